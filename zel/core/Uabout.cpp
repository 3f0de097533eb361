#include "zel/core/Uabout.h"

#include "platform/kvcls/kvcls.h"
#include "platform/ui/Application.h"
#include "platform/ui/ControlBuilder.h"
#include "platform/ui/Graphics.h"

namespace {

// The emblem: a trough with its film and the dipper above it.
class TLogo : public TCustomControl {
public:
    explicit TLogo(TComponent* Owner) : TCustomControl(Owner) {}

protected:
    void Paint() override
    {
        TCanvas* canvas = Canvas();
        const int w = ClientWidth(), h = ClientHeight();
        canvas->Brush()->SetColor(clWhite);
        canvas->FillRect(TRect{0, 0, w, h});
        canvas->Brush()->SetColor(RGB(90, 160, 220));
        canvas->FillRect(TRect{4, h / 2, w - 4, h - 6});
        canvas->Pen()->SetColor(RGB(0, 0, 128));
        canvas->Rectangle(4, h / 2 - 4, w - 4, h - 4);
        canvas->MoveTo(w / 2, 4);
        canvas->LineTo(w / 2, h - 10);
    }
};

}  // namespace

TFAbout::TFAbout(TComponent* Owner) : TForm(Owner)
{
    SetUpInfoBox(this, "FAbout", "About", 340, 260);
    imgLogo = MakeControl<TLogo>(this, this, "imgLogo", "", 12, 12, 64, 64);
    lblProduct = MakeControl<TLabel>(this, this, "lblProduct", "Zelmora 2.0", 90, 12, 230, 18);
    lblProduct->Font()->SetStyle(TFontStyles() << fsBold);
    lblDescription = MakeControl<TLabel>(this, this, "lblDescription",
                                         "Control of the film trough and its deposition accessories", 90, 34, 240, 16);
    lblVersionCaption = MakeControl<TLabel>(this, this, "lblVersionCaption", "Version:", 90, 58, 60, 16);
    LBVersion = MakeControl<TLabel>(this, this, "LBVersion", "", 150, 58, 170, 16);
    mmoCredits = MakeControl<TMemo>(this, this, "mmoCredits", "", 12, 90, 316, 100);
    mmoCredits->SetReadOnly(true);
    TStringList credits;
    credits.SetText(
        "Instrument control, data acquisition and film deposition.\n"
        "Made by the laboratory's instrument group.\n"
        "Questions and reports: the instrument group of your laboratory.");
    mmoCredits->SetLines(credits);
    pnlOk = MakeOkPanel(this, 130, 204);
    OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
}

void TFAbout::FormCreate(TObject*) { LBVersion->SetCaption(GetProgramVersion(Application->ExeName())); }

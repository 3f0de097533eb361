#include "zel/core/Uabout.h"

#include "platform/kvcls/kvcls.h"
#include "platform/ui/Application.h"
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
    Name = "FAbout";
    SetCaption("About");
    SetBorderStyle(bsNone);
    Position = poScreenCenter;
    SetBounds(0, 0, 340, 260);
    imgLogo = new TLogo(this);
    imgLogo->Name = "imgLogo";
    imgLogo->SetBounds(12, 12, 64, 64);
    imgLogo->SetParent(this);
    lblProduct = new TLabel(this);
    lblProduct->Name = "lblProduct";
    lblProduct->SetCaption("Zelmora 2.0");
    lblProduct->Font()->SetStyle(TFontStyles() << fsBold);
    lblProduct->SetBounds(90, 12, 230, 18);
    lblProduct->SetParent(this);
    lblDescription = new TLabel(this);
    lblDescription->Name = "lblDescription";
    lblDescription->SetCaption("Control of the film trough and its deposition accessories");
    lblDescription->SetBounds(90, 34, 240, 16);
    lblDescription->SetParent(this);
    lblVersionCaption = new TLabel(this);
    lblVersionCaption->Name = "lblVersionCaption";
    lblVersionCaption->SetCaption("Version:");
    lblVersionCaption->SetBounds(90, 58, 60, 16);
    lblVersionCaption->SetParent(this);
    LBVersion = new TLabel(this);
    LBVersion->Name = "LBVersion";
    LBVersion->SetBounds(150, 58, 170, 16);
    LBVersion->SetParent(this);
    mmoCredits = new TMemo(this);
    mmoCredits->Name = "mmoCredits";
    mmoCredits->SetReadOnly(true);
    mmoCredits->SetBounds(12, 90, 316, 100);
    mmoCredits->SetParent(this);
    TStringList credits;
    credits.SetText(
        "Instrument control, data acquisition and film deposition.\n"
        "Made by the laboratory's instrument group.\n"
        "Questions and reports: the instrument group of your laboratory.");
    mmoCredits->SetLines(credits);
    pnlOk = new TPanel(this);
    pnlOk->Name = "pnlOk";
    pnlOk->SetCaption("OK");
    pnlOk->SetBounds(130, 204, 80, 25);
    pnlOk->SetParent(this);
    DefaultControl = pnlOk;
    CancelControl = pnlOk;
    pnlOk->OnClick = [this](TObject*) {
        if (Modal())
            ModalResult = mrOk;
        else
            Close();
    };
    OnCreate = [this](TObject* Sender) { FormCreate(Sender); };
}

void TFAbout::FormCreate(TObject*) { LBVersion->SetCaption(GetProgramVersion(Application->ExeName())); }

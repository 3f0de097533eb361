#include "kvc/KvColorButton.h"

#include "platform/ui/Dialogs.h"

namespace KVC {

TKvColorButton::TKvColorButton(TComponent* Owner) : TCustomControl(Owner)
{
    SetColor(clBtnFace);
    SetBounds(0, 0, 23, 22);
}

void TKvColorButton::SetEraseBackground(bool Value)
{
    FEraseBackground = Value;
    if (Value) Repaint();
}

void TKvColorButton::SetFlat(bool Value)
{
    FFlat = Value;
    Invalidate();
}

void TKvColorButton::SetFlatColor(TColor Value)
{
    FFlatColor = Value;
    Invalidate();
}

void TKvColorButton::Paint()
{
    TRect r = ClientRect();
    TCanvas* canvas = FBuffer.Begin(r.Width(), r.Height());
    if (FEraseBackground) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(GetParent() ? GetParent()->GetColor() : clBtnFace);
        canvas->FillRect(r);
    }
    if (FFlat) {
        canvas->Pen()->SetColor(FFlatColor);
    } else {
        const TColor light = FPressed ? clBtnShadow : clBtnHighlight;
        const TColor dark = FPressed ? clBtnHighlight : clBtnShadow;
        Frame3D(canvas, r, light, dark, 2);
        canvas->Pen()->SetColor(clBlack);
    }
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(GetColor());
    canvas->Rectangle(r);
    FBuffer.CopyTo(Canvas());
    if (OnPaint) OnPaint(this);
}

void TKvColorButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    FPressed = true;
    Repaint();
}

void TKvColorButton::Click()
{
    FPressed = false;
    Repaint();
    if (ShowColorDialog) {
        // The dialog knows plain colours only: a system colour is offered as it shows.
        const TColor shown = ColorToRGB(GetColor());
        const std::optional<std::uint32_t> chosen = PromptForColor(static_cast<std::uint32_t>(shown));
        if (chosen && static_cast<TColor>(*chosen) != shown) {
            SetColor(static_cast<TColor>(*chosen));
            Repaint();
            if (OnChange) OnChange(this);
        }
    }
    TCustomControl::Click();
}

}  // namespace KVC

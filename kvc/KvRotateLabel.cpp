#include "kvc/KvRotateLabel.h"

#include "kvc/KvServiceFuncs.h"

namespace KVC {

TKvRotateLabel::TKvRotateLabel(TComponent* Owner) : TCustomLabel(Owner) { Font()->SetName("Arial"); }

void TKvRotateLabel::SetEscapement(int Value)
{
    if (Value == FAngle) return;
    while (Value < 0) Value += 360;
    while (Value > 360) Value -= 360;
    FAngle = Value;
    // A turned caption needs other bounds.
    AdjustBounds();
    Invalidate();
}

void TKvRotateLabel::SetTextStyle(TTextStyle Value)
{
    if (Value == FTextStyle) return;
    FTextStyle = Value;
    Invalidate();
}

void TKvRotateLabel::AdjustBounds()
{
    if (!GetAutoSize() || Loading()) return;
    TBitmap measure;
    measure.SetSize(1, 1);
    measure.Canvas()->Font()->Assign(*Font());
    TSize size;
    CalcTextSize(measure.Canvas(), size, FAngle, GetCaption());
    SetBounds(GetLeft(), GetTop(), size.cx, size.cy);
}

void TKvRotateLabel::DrawCaption(TCanvas* Canvas)
{
    Canvas->Font()->Assign(*Font());
    Canvas->Brush()->SetStyle(bsClear);
    TPoint origin;
    DrawTitleText(Canvas, ClientRect(), origin, FAngle, GetCaption(), GetAlignment(), GetLayout());
}

void TKvRotateLabel::Paint()
{
    // A transparent label draws its text over what lies beneath, so it has no picture
    // of its own to prepare.
    if (GetTransparent()) {
        DrawCaption(Canvas());
        return;
    }
    TCanvas* canvas = FBuffer.Begin(ClientWidth(), ClientHeight());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->Brush()->SetColor(GetColor());
    canvas->FillRect(ClientRect());
    DrawCaption(canvas);
    FBuffer.CopyTo(Canvas());
}

}  // namespace KVC

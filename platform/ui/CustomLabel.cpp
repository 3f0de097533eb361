#include "platform/ui/CustomLabel.h"

namespace {
unsigned TextFormat(TAlignment Alignment, TTextLayout Layout, bool WordWrap)
{
    static constexpr unsigned Horizontal[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    static constexpr unsigned Vertical[] = {DT_TOP, DT_VCENTER, DT_BOTTOM};
    return Horizontal[Alignment] | Vertical[Layout] | (WordWrap ? DT_WORDBREAK : DT_SINGLELINE) | DT_EXPANDTABS;
}
}  // namespace

TCustomLabel::TCustomLabel(TComponent* Owner) : TGraphicControl(Owner) { SetBounds(0, 0, 65, 17); }

void TCustomLabel::SetAlignment(TAlignment Value)
{
    if (Value == FAlignment) return;
    FAlignment = Value;
    Invalidate();
}

void TCustomLabel::SetLayout(TTextLayout Value)
{
    if (Value == FLayout) return;
    FLayout = Value;
    Invalidate();
}

void TCustomLabel::SetAutoSize(bool Value)
{
    if (Value == FAutoSize) return;
    FAutoSize = Value;
    AdjustBounds();
}

void TCustomLabel::SetTransparent(bool Value)
{
    if (Value == FTransparent) return;
    FTransparent = Value;
    Invalidate();
}

void TCustomLabel::SetWordWrap(bool Value)
{
    if (Value == FWordWrap) return;
    FWordWrap = Value;
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::Loaded()
{
    TGraphicControl::Loaded();
    AdjustBounds();
}

void TCustomLabel::TextChanged()
{
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::FontChanged()
{
    TGraphicControl::FontChanged();
    AdjustBounds();
    Invalidate();
}

void TCustomLabel::AdjustBounds()
{
    if (!FAutoSize || Loading()) return;
    TBitmap measure;
    measure.SetSize(1, 1);
    measure.Canvas()->Font()->Assign(*Font());
    TRect r{0, 0, FWordWrap ? GetWidth() : 0, 0};
    measure.Canvas()->DrawText(GetCaption(), r, TextFormat(FAlignment, FLayout, FWordWrap) | DT_CALCRECT);
    SetBounds(GetLeft(), GetTop(), r.Width(), r.Height());
}

void TCustomLabel::Paint()
{
    TCanvas* canvas = Canvas();
    canvas->Font()->Assign(*Font());
    TRect r = ClientRect();
    if (!FTransparent) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(GetColor());
        canvas->FillRect(r);
    }
    canvas->Brush()->SetStyle(bsClear);
    canvas->DrawText(GetCaption(), r, TextFormat(FAlignment, FLayout, FWordWrap));
}

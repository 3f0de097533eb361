#include "platform/ui/Shape.h"

TShape::TShape(TComponent* Owner) : TGraphicControl(Owner) {}

void TShape::SetBrushColor(TColor Value)
{
    FBrushColor = Value;
    Invalidate();
}

void TShape::SetPenColor(TColor Value)
{
    FPenColor = Value;
    Invalidate();
}

void TShape::Paint()
{
    TCanvas* canvas = Canvas();
    canvas->Pen()->SetColor(FPenColor);
    canvas->Brush()->SetColor(FBrushColor);
    canvas->Ellipse(0, 0, GetWidth(), GetHeight());
}

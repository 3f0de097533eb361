// A plain figure on a window: an ellipse filled in its brush colour with a rim in its pen
// colour, as the process windows use for their status lamps.
#pragma once
#include "platform/ui/Controls.h"
#include "platform/ui/Graphics.h"

class TShape : public TGraphicControl {
public:
    explicit TShape(TComponent* Owner);
    TColor GetBrushColor() const { return FBrushColor; }
    void SetBrushColor(TColor Value);
    TColor GetPenColor() const { return FPenColor; }
    void SetPenColor(TColor Value);

protected:
    void Paint() override;

private:
    TColor FBrushColor = clWhite;
    TColor FPenColor = clBlack;
};

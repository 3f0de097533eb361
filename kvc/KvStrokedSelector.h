// The outline settings shared by the selectors that draw a stroke (the line and the
// rectangle): the pen, its back colour for stripes, the striped look, and the shift
// state that moves the whole figure.
#pragma once
#include <memory>
#include "kvc/KvCustomImageSelector.h"

namespace KVC {

class TKvStrokedSelector : public TKvCustomImageSelector {
public:
    explicit TKvStrokedSelector(TComponent* Owner);
    ~TKvStrokedSelector() override;

    TPen* Pen() const { return FPen.get(); }
    void SetPen(const TPen* Value);
    TColor GetPenBackColor() const { return FPenBackColor; }
    void SetPenBackColor(TColor Value);
    bool GetPenStripy() const { return FPenStripy; }
    void SetPenStripy(bool Value);
    // The exact modifier keys and mouse button that start a move of the whole figure.
    TShiftState GetShiftStateMove() const { return FShiftStateMove; }
    void SetShiftStateMove(TShiftState Value);
    int GetPenStripyLineWidth() const { return FPenStripyLineWidth; }
    void SetPenStripyLineWidth(int Value);
    int GetPenStripyTickLen() const { return FPenStripyTickLen; }
    void SetPenStripyTickLen(int Value);

protected:
    std::unique_ptr<TPen> FPen;
    TColor FPenBackColor = clWhite;
    bool FPenStripy = false;
    TShiftState FShiftStateMove = 0;
    int FPenStripyLineWidth = 2;
    int FPenStripyTickLen = 5;
};

}  // namespace KVC

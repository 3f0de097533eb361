// A rectangle over a control: its corners and sides are dragged one by one, the whole
// rectangle with the move shift state; the rectangle is kept in values.
#pragma once
#include <functional>
#include <memory>
#include "kvc/KvCustomImageSelector.h"

namespace KVC {

using TKvDrawRectEvent = std::function<void(TCanvas* ACanvas, TRect BorderRect)>;

class TKvRectSelector : public TKvCustomImageSelector {
public:
    explicit TKvRectSelector(TComponent* Owner);
    ~TKvRectSelector() override;

    TKvRect* Value() const { return FValue.get(); }
    void SetValue(const TKvRect* Value);
    TPen* Pen() const { return FPen.get(); }
    void SetPen(const TPen* Value);
    TColor GetPenBackColor() const { return FPenBackColor; }
    void SetPenBackColor(TColor Value);
    bool GetPenStripy() const { return FPenStripy; }
    void SetPenStripy(bool Value);
    // The exact modifier keys and mouse button that start a move of the whole rectangle.
    TShiftState GetShiftStateMove() const { return FShiftStateMove; }
    void SetShiftStateMove(TShiftState Value);
    int GetPenStripyLineWidth() const { return FPenStripyLineWidth; }
    void SetPenStripyLineWidth(int Value);
    int GetPenStripyTickLen() const { return FPenStripyTickLen; }
    void SetPenStripyTickLen(int Value);

    // Draws the rectangle instead of the selector.
    TKvDrawRectEvent OnDrawKvRect;

    // Starts a new rectangle at the pixel; its right-bottom corner follows the mouse.
    void NewCapturedRect(int X, int Y);
    // Handle under the pointer: 0 none, 1 left-top, 2 right-top, 3 right-bottom,
    // 4 left-bottom, 5 left, 6 top, 7 right, 8 bottom, 9 the whole rectangle.
    int CheckMouseCapture(int X, int Y);
    void SetNewValueCoord(int Kind, int X, int Y);

    void CheckBounds() override;

protected:
    bool MouseEvent(TMessage& Message) override;
    void Draw(TCanvas* Canvas) override;

private:
    // Keeps the edges that Kind sets inside the constraints, each from one side.
    void LimitEdges(int Kind);

    std::unique_ptr<TKvRect> FValue;
    std::unique_ptr<TPen> FPen;
    TColor FPenBackColor = clWhite;
    bool FPenStripy = false;
    TShiftState FShiftStateMove = 0;
    int FPenStripyLineWidth = 2;
    int FPenStripyTickLen = 5;
};

}  // namespace KVC

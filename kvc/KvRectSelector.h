// A rectangle over a control: its corners and sides are dragged one by one, the whole
// rectangle with the move shift state; the rectangle is kept in values.
#pragma once
#include <functional>
#include <memory>
#include "kvc/KvStrokedSelector.h"

namespace KVC {

using TKvDrawRectEvent = std::function<void(TCanvas* ACanvas, TRect BorderRect)>;

class TKvRectSelector : public TKvStrokedSelector {
public:
    explicit TKvRectSelector(TComponent* Owner);
    ~TKvRectSelector() override;

    TKvRect* Value() const { return FValue.get(); }
    void SetValue(const TKvRect* Value);

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
};

}  // namespace KVC

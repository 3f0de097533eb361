// A line segment over a control: its two end points are dragged one by one, the whole
// segment with the move shift state; both ends are kept in values.
#pragma once
#include <functional>
#include <memory>
#include "kvc/KvStrokedSelector.h"

namespace KVC {

using TKvDrawLineEvent = std::function<void(TCanvas* cnv, TPoint pt1, TPoint pt2)>;

class TKvLineSelector : public TKvStrokedSelector {
public:
    explicit TKvLineSelector(TComponent* Owner);
    ~TKvLineSelector() override;

    TKvPoint* Point1() const { return FPoint1.get(); }
    TKvPoint* Point2() const { return FPoint2.get(); }
    void SetPoint1(const TKvPoint* Value);
    void SetPoint2(const TKvPoint* Value);

    // Draws the line instead of the selector.
    TKvDrawLineEvent OnDrawKvLine;

    // Starts a new line at the pixel: both ends there, the second end follows the mouse.
    void NewCapturedLine(int X, int Y);
    // Handle under the pointer: 0 none, 1 Point1, 2 Point2, 3 the whole line.
    int CheckMouseCapture(int X, int Y) const;
    void SetNewValueCoord(int Kind, int X, int Y);

    void CheckBounds() override;

protected:
    bool MouseEvent(TMessage& Message) override;
    void Draw(TCanvas* Canvas) override;

private:
    std::unique_ptr<TKvPoint> FPoint1;
    std::unique_ptr<TKvPoint> FPoint2;
};

}  // namespace KVC

// The track bar: an integer position on a bar with a thumb, moved by mouse, wheel and
// keys; OnChange runs at every change of the position, by the operator or from code.
#pragma once
#include "platform/ui/Controls.h"

enum TTrackBarOrientation { trHorizontal = 0, trVertical = 1 };
// The side the tick marks are drawn on.
enum TTickMark { tmBottomRight = 0, tmTopLeft = 1, tmBoth = 2 };

class TTrackBar : public TWinControl {
public:
    explicit TTrackBar(TComponent* Owner);

    int GetMin() const;
    void SetMin(int Value);
    int GetMax() const;
    void SetMax(int Value);
    int GetPosition() const;
    void SetPosition(int Value);
    int GetFrequency() const { return FFrequency; }
    void SetFrequency(int Value);
    int GetLineSize() const;
    void SetLineSize(int Value);
    int GetPageSize() const;
    void SetPageSize(int Value);
    TTrackBarOrientation GetOrientation() const { return FOrientation; }
    // At run time the bar turns in place: width and height swap.
    void SetOrientation(TTrackBarOrientation Value);
    TTickMark GetTickMarks() const { return FTickMarks; }
    void SetTickMarks(TTickMark Value);

    TNotifyEvent OnChange;

protected:
    virtual void Changed();

private:
    void ApplyTicks();
    int FFrequency = 1;
    TTrackBarOrientation FOrientation = trHorizontal;
    TTickMark FTickMarks = tmBottomRight;
};

// The track bar with one event more: OnChanged once the operator lets go of the mouse
// button or key that moved it, for commands that should go out once per move.
#pragma once
#include "platform/ui/TrackBar.h"

namespace KVC {

class TKvTrackBar : public TTrackBar {
public:
    using TTrackBar::TTrackBar;
    TNotifyEvent OnChanged;

protected:
    void WndProc(TMessage& Message) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void KeyUp(WORD& Key, TShiftState Shift) override;

private:
    void ReleasedAfterMove();
    int FOldPosition = 0;
};

}  // namespace KVC

#include "kvc/KvTrackBar.h"

namespace KVC {

void TKvTrackBar::WndProc(TMessage& Message)
{
    // The bar itself moves on the press (a click on the bar, an arrow key), so the
    // position is taken before the press reaches it; else the release would find no move.
    TMouseButtonMessage mouse{};
    if ((DecodeMouseButtonMessage(Message.Msg, mouse) && mouse.Down) || Message.Msg == WM_KEYDOWN)
        FOldPosition = GetPosition();
    TTrackBar::WndProc(Message);
}

void TKvTrackBar::ReleasedAfterMove()
{
    if (GetPosition() == FOldPosition) return;
    // One report per move, also when a key and a button come up after it.
    FOldPosition = GetPosition();
    if (OnChanged) OnChanged(this);
}

void TKvTrackBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TTrackBar::MouseUp(Button, Shift, X, Y);
    ReleasedAfterMove();
}

void TKvTrackBar::KeyUp(WORD& Key, TShiftState Shift)
{
    TTrackBar::KeyUp(Key, Shift);
    ReleasedAfterMove();
}

}  // namespace KVC

// The mouse cursor shown over a control, and the wait cursor over the whole program.
#pragma once
#include "platform/ui/Controls.h"

enum TCursor {
    crDefault = 0,
    crArrow = -2,
    crCross = -3,
    crIBeam = -4,
    crSizeNESW = -6,
    crSizeNS = -7,
    crSizeNWSE = -8,
    crSizeWE = -9,
    crHandPoint = -21,
    crSizeAll = -22
};

void SetControlCursor(TControl* Control, TCursor Cursor);
TCursor GetControlCursor(const TControl* Control);

// Shows the wait cursor over every window of the program while it lives: for work on
// the window thread that keeps the operator waiting. Nests.
class TWaitCursor {
public:
    TWaitCursor();
    ~TWaitCursor();
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

// True while a TWaitCursor lives.
bool WaitCursorShown();

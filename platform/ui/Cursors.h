// The mouse cursor shown over a control.
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

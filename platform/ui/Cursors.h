// The mouse cursor shown over a control.
#pragma once
#include "platform/ui/Controls.h"

enum TCursor { crDefault = 0, crArrow = -2, crCross = -3, crIBeam = -4, crHandPoint = -21 };

void SetControlCursor(TControl* Control, TCursor Cursor);
TCursor GetControlCursor(const TControl* Control);

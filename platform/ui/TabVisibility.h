// Whether a page's tab is offered at all: a hidden tab leaves its page and the controls on
// it in place, so code keeps reaching them, while the operator can no longer select it.
#pragma once
#include "platform/ui/ComCtrls.h"

void SetTabVisible(TTabSheet* Sheet, bool Visible);
bool GetTabVisible(const TTabSheet* Sheet);

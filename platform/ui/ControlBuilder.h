// Builds a control of a window in one step: its owner, name, caption (when one is
// given), bounds and parent.
#pragma once
#include "platform/ui/Controls.h"

template <class T>
T* MakeControl(TComponent* Owner, TWinControl* Parent, const char* Name, const char* Caption, int Left, int Top,
               int Width, int Height)
{
    auto* control = new T(Owner);
    control->Name = Name;
    if (*Caption) control->SetCaption(Caption);
    control->SetBounds(Left, Top, Width, Height);
    control->SetParent(Parent);
    return control;
}

// Windows are laid out in pixels for a narrower font than the desktop may give them. Before
// a window shows, its controls make room for their own texts: a control whose caption or
// longest choice does not fit grows, and whatever lies to its right in the same container
// moves right with its whole column, so rows stay aligned; a container that needs more room
// grows too, moving its own right-hand neighbours, up to the window.
#pragma once

class TWinControl;

// Fits the controls inside Parent to their texts, innermost containers first. Gives how
// much wider Parent's client area must become to hold them (0 when it already does).
int FitToText(TWinControl* Parent);

// The keyboard and mouse-button state at this moment, by virtual key code.
#pragma once
#include <functional>

// High bit set (negative) while the key is down. Known keys: shift (0x10), control
// (0x11), alt (0x12), left, right and middle mouse buttons (0x01, 0x02, 0x04).
short GetKeyState(int VirtualKey);

// Tests replace the source of the state; an empty function restores the real one.
void SetKeyStateSource(std::function<bool(int VirtualKey)> IsDown);

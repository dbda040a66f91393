#pragma once
// The keyboard focus inside a window without activating that window.
#include "platform/gui/Controls.h"

// Makes the control its window's focus without activating the window:
// another window (a find or spelling dialog) keeps the keyboard, and the
// control gets it when its window is active again (at once when it is).
void SetWindowFocus(TWinControl* control);
// The control is its window's focus, whether that window is active or not.
bool HoldsWindowFocus(const TWinControl* control);

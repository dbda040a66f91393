#pragma once
// The monitor that holds a form, and a wait for one message.
#include "platform/gui/Controls.h"

class TCustomForm;

// Bounds, in screen coordinates, of the monitor that holds most of Form
// (the primary monitor for a form not yet shown or nil). Full monitor
// bounds, not the work area, so a placement matches what the user sees.
TRect MonitorBoundsOf(const TCustomForm* Form);

// Blocks until at least one event arrives for the GUI thread, handles it
// and returns: a nested loop that turns once per message.
void HandleOneMessage();

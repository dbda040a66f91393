#pragma once
// A control drawn by its own widget onto a canvas, as printing images it.
#include "platform/gui/Controls.h"

// Renders control's widget with its top-left at (x, y), its own background
// included; children too when withChildren. A control without a widget
// draws nothing.
void PaintControlTo(TControl* control, TCanvas& canvas, Integer x, Integer y, bool withChildren);

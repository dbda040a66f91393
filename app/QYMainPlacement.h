#pragma once
// Where the main window goes when its saved position is restored.
#include "platform/gui/GfxTypes.h"

#include <vector>

// A window's left, top, width and height.
struct TWindowBounds {
  Integer Left = 0, Top = 0, Width = 0, Height = 0;
  bool operator==(const TWindowBounds&) const = default;
};

// Fits saved bounds onto the screens (work areas, the primary first). The
// screen the window overlaps most is used, the primary when it overlaps none.
// A window wider than that screen is put at its left edge with the screen's
// width, a taller one at its top with the screen's height; a window that lies
// (partly) outside it, as after a monitor was unplugged, is moved back inside.
TWindowBounds FitWindowOnScreen(const TWindowBounds& window, const std::vector<TRect>& screens);

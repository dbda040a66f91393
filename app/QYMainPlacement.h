#pragma once
// Where a window goes when its saved position is restored, or when it is
// placed beside another one.
#include "platform/gui/GfxTypes.h"

#include <vector>

// A window's left, top, width and height (the area inside its frame).
struct TWindowBounds {
  Integer Left = 0, Top = 0, Width = 0, Height = 0;
  bool operator==(const TWindowBounds&) const = default;
};

// Fits saved bounds onto the screens (work areas, the primary first), frame
// and all: frame holds the widths of the window's frame (title bar and
// borders) as Left, Top, Right, Bottom. The screen the window overlaps most
// is used, the primary when it overlaps none. A window wider than that screen
// is put at its left edge with the screen's width, a taller one at its top
// with the screen's height; a window that lies (partly) outside it, as after
// a monitor was unplugged, is moved back inside.
TWindowBounds FitWindowOnScreen(const TWindowBounds& window, const std::vector<TRect>& screens,
                                const TRect& frame = TRect());

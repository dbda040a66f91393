#include "app/QYMainPlacement.h"

#include <algorithm>

namespace {
Int64 OverlapArea(const TRect& a, const TRect& b) {
  TRect r;
  if (!IntersectRect(r, a, b)) return 0;
  return Int64(r.Width()) * r.Height();
}
}  // namespace

TWindowBounds FitWindowOnScreen(const TWindowBounds& window, const std::vector<TRect>& screens,
                                const TRect& frame) {
  if (screens.empty()) return window;
  const Integer frameW = frame.Left + frame.Right, frameH = frame.Top + frame.Bottom;
  // The whole window, its frame included, is what must be seen.
  TWindowBounds b{window.Left - frame.Left, window.Top - frame.Top, window.Width + frameW,
                  window.Height + frameH};
  const TRect wr = Bounds(b.Left, b.Top, b.Width, b.Height);
  const TRect* screen = &screens.front();
  Int64 best = 0;
  for (const TRect& s : screens) {
    const Int64 a = OverlapArea(wr, s);
    if (a > best) {
      best = a;
      screen = &s;
    }
  }
  if (screen->Width() < b.Width) {
    b.Left = screen->Left;
    b.Width = screen->Width();
  }
  if (screen->Height() < b.Height) {
    b.Top = screen->Top;
    b.Height = screen->Height();
  }
  b.Left = std::clamp(b.Left, screen->Left, screen->Right - b.Width);
  b.Top = std::clamp(b.Top, screen->Top, screen->Bottom - b.Height);
  return {b.Left + frame.Left, b.Top + frame.Top, std::max(0, b.Width - frameW),
          std::max(0, b.Height - frameH)};
}

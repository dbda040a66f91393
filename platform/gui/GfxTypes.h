#pragma once
// Points, sizes and rectangles of the drawing layer. Rectangles are
// half-open: Right and Bottom lie just outside, as every caller assumes.
#include "platform/base/Types.h"

#include <algorithm>

struct TPoint {
  Integer X = 0;
  Integer Y = 0;
  constexpr TPoint() = default;
  constexpr TPoint(Integer x, Integer y) : X(x), Y(y) {}
  constexpr bool operator==(const TPoint&) const = default;
};

struct TSize {
  Integer cx = 0;
  Integer cy = 0;
  constexpr TSize() = default;
  constexpr TSize(Integer w, Integer h) : cx(w), cy(h) {}
  constexpr bool operator==(const TSize&) const = default;
};

struct TRect {
  Integer Left = 0;
  Integer Top = 0;
  Integer Right = 0;
  Integer Bottom = 0;
  constexpr TRect() = default;
  constexpr TRect(Integer l, Integer t, Integer r, Integer b) : Left(l), Top(t), Right(r), Bottom(b) {}
  constexpr TRect(TPoint topLeft, TPoint bottomRight)
      : Left(topLeft.X), Top(topLeft.Y), Right(bottomRight.X), Bottom(bottomRight.Y) {}
  constexpr Integer Width() const { return Right - Left; }
  constexpr Integer Height() const { return Bottom - Top; }
  constexpr TPoint TopLeft() const { return {Left, Top}; }
  constexpr TPoint BottomRight() const { return {Right, Bottom}; }
  constexpr bool operator==(const TRect&) const = default;
};

constexpr TPoint Point(Integer x, Integer y) { return {x, y}; }
constexpr TRect Rect(Integer left, Integer top, Integer right, Integer bottom) {
  return {left, top, right, bottom};
}
constexpr TRect Bounds(Integer left, Integer top, Integer width, Integer height) {
  return {left, top, left + width, top + height};
}

// True for a rectangle without area.
constexpr bool IsRectEmpty(const TRect& r) { return r.Right <= r.Left || r.Bottom <= r.Top; }
constexpr bool PtInRect(const TRect& r, TPoint p) {
  return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
}
constexpr void OffsetRect(TRect& r, Integer dx, Integer dy) {
  r.Left += dx;
  r.Right += dx;
  r.Top += dy;
  r.Bottom += dy;
}
constexpr void InflateRect(TRect& r, Integer dx, Integer dy) {
  r.Left -= dx;
  r.Right += dx;
  r.Top -= dy;
  r.Bottom += dy;
}
// The common part; false (and an all-zero result) when there is none.
constexpr bool IntersectRect(TRect& dst, const TRect& a, const TRect& b) {
  dst = TRect(std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
              std::min(a.Bottom, b.Bottom));
  if (IsRectEmpty(dst)) {
    dst = TRect();
    return false;
  }
  return true;
}
// The smallest rectangle holding both; an empty one does not count.
constexpr bool UnionRect(TRect& dst, const TRect& a, const TRect& b) {
  if (IsRectEmpty(a)) {
    dst = b;
  } else if (IsRectEmpty(b)) {
    dst = a;
  } else {
    dst = TRect(std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
                std::max(a.Bottom, b.Bottom));
  }
  return !IsRectEmpty(dst);
}

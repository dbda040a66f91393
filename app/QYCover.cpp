#include "app/QYCover.h"

TCoverPoint CoverLabelOrigin(int w, int h, int rows, int row, int textW, int textH) {
  TCoverPoint p;
  p.X = w / 2 - textW / 2;
  if (p.X < 1) p.X = 0;
  p.Y = (rows > 0 ? h / rows : 0) * row - textH / 2;
  if (p.Y <= 0) p.Y = 0;
  return p;
}

TCoverRect CoverLabelFrame(TCoverPoint origin, int textW, int textH, int size) {
  TCoverRect r;
  r.Left = origin.X > size / 3 ? origin.X - size / 3 : origin.X;
  r.Top = origin.Y > size / 6 ? origin.Y - size / 6 : origin.Y;
  r.Right = origin.X + textW + size / 3;
  r.Bottom = origin.Y + textH + size / 6;
  return r;
}

TCoverPoint CoverAddressOrigin(int w, int h, int rows, int row, int maxW, int maxLineH) {
  TCoverPoint p;
  p.X = w / 2 - maxW / 2;
  if (p.X < 1) p.X = 0;
  p.Y = (rows > 0 ? h / rows : 0) * row - maxLineH / 2;
  if (p.Y < 1) p.Y = 0;
  return p;
}

TCoverRect CoverAddressFrame(TCoverPoint origin, int maxW, int totalH, int size) {
  TCoverRect r;
  r.Left = origin.X - size / 3 > 0 ? origin.X - size / 3 : 0;
  r.Top = origin.Y - size / 6 > 0 ? origin.Y - size / 6 : 0;
  r.Right = origin.X + maxW + size / 3;
  r.Bottom = origin.Y + totalH + size / 6;
  return r;
}

TCoverPoint CoverCentredOrigin(int areaW, int areaH, int bmpW, int bmpH) {
  return {areaW / 2 - bmpW / 2, areaH / 2 - bmpH / 2};
}

TCoverPoint CoverTileStart(int areaW, int areaH, int bmpW, int bmpH) {
  TCoverPoint p = CoverCentredOrigin(areaW, areaH, bmpW, bmpH);
  // A picture of no size would never step back to the edge.
  if (bmpW > 0)
    while (p.X > 0) p.X -= bmpW;
  if (bmpH > 0)
    while (p.Y > 0) p.Y -= bmpH;
  return p;
}

std::vector<TCoverPoint> CoverTiles(int areaW, int areaH, int bmpW, int bmpH) {
  std::vector<TCoverPoint> tiles;
  if (bmpW <= 0 || bmpH <= 0) return tiles;
  const TCoverPoint start = CoverTileStart(areaW, areaH, bmpW, bmpH);
  for (int y = start.Y; y < areaH; y += bmpH)
    for (int x = start.X; x < areaW; x += bmpW) tiles.push_back({x, y});
  return tiles;
}

TCoverButtonPlaces CoverButtonPlaces(int w, int h, int buttonW, int buttonH) {
  TCoverButtonPlaces b;
  const int left = (w - buttonW) / 2;
  const int top = ((h - buttonH) / 3) * 2;
  b.Open = {left, top, left + buttonW, top + buttonH};
  b.Lock = {left, b.Open.Bottom, left + buttonW, b.Open.Bottom + buttonH};
  b.Exit = {left, b.Lock.Bottom, left + buttonW, b.Lock.Bottom + buttonH};
  return b;
}

TCoverRule CoverRuleLine(int areaW, int areaH, int windowW) {
  const int y = (areaH / 30) * 9;
  return {{areaW / 12, y}, {windowW - areaW / 12, y}};
}

std::vector<String> CoverAddressLines(const String& address) {
  std::vector<String> lines;
  String line;
  for (size_t i = 0; i < address.size(); ++i) {
    const char c = address[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(line);
      line.clear();
      if (c == '\r' && i + 1 < address.size() && address[i + 1] == '\n') ++i;
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

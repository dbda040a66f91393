#include "app/QYSplash.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
// Round half away from zero, as the drawing code expects.
int RoundInt(double v) { return static_cast<int>(std::lround(v)); }

TColor Rgb(int r, int g, int b) {
  auto clamp = [](int v) { return std::clamp(v, 0, 255); };
  return clamp(r) | (clamp(g) << 8) | (clamp(b) << 16);
}
}  // namespace

TSplashGeometry SplashGeometry(int screenW, int screenH) {
  TSplashGeometry g;
  g.Unit = std::min(screenW, screenH) / 15;
  g.RadiusX = 2.25 * g.Unit;
  g.RadiusY = g.Unit;
  g.Width = static_cast<int>(std::trunc(2 * g.RadiusX));
  g.Height = static_cast<int>(std::trunc(2 * g.RadiusY));
  g.Centre = {g.Width / 2, g.Height / 2};
  return g;
}

std::vector<TSplashPoint> SplashRegionPoints(const TSplashGeometry& g) {
  std::vector<TSplashPoint> pts;
  pts.reserve(720);
  for (int k = 0; k < 720; ++k) {
    const double a = (k / 2) * std::numbers::pi / 180.0;
    pts.push_back({g.Centre.X + RoundInt(std::cos(a) * g.RadiusX),
                   g.Centre.Y + RoundInt(std::sin(a) * g.RadiusY)});
  }
  return pts;
}

std::vector<TSplashPoint> SplashRingPoints(const TSplashGeometry& g, int ring) {
  std::vector<TSplashPoint> pts;
  pts.reserve(361);
  const double rx = g.RadiusX - ring;
  const double ry = g.RadiusY - ring / 2.25;
  for (int k = 0; k <= 360; ++k) {
    const double a = k * std::numbers::pi / 180.0;
    pts.push_back({RoundInt(g.Centre.X + std::cos(a) * rx), RoundInt(g.Centre.Y + std::sin(a) * ry)});
  }
  return pts;
}

int SplashRingCount(const TSplashGeometry& g) { return RoundInt(g.RadiusX + 0.5) + 1; }

TColor SplashRingColor(const TSplashGeometry& g, int ring) {
  if (ring <= 0 || g.Unit <= 0) return Rgb(255, 255, 255);
  // Ring i is drawn in the colour computed after ring i − 1.
  const double steps = 2.25 * g.Unit;
  const int i = ring - 1;
  return Rgb(RoundInt(214 + i * (255 - 214) / steps), RoundInt(213 + i * (255 - 213) / steps),
             RoundInt(182 + i * (0 - 182) / steps));
}

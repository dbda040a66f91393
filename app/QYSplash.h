#pragma once
// The start-up splash: a borderless ellipse with a colour gradient, the
// maker's name and the program's name, shown until the main window is ready.
#include "platform/base/Types.h"
#include "platform/gui/Forms.h"

#include <vector>

struct TSplashPoint {
  int X = 0;
  int Y = 0;
  bool operator==(const TSplashPoint&) const = default;
};

// The splash's proportions for a screen of the given size: u is the smaller
// side / 15, the ellipse's radii are 2.25 u and u.
struct TSplashGeometry {
  int Unit = 0;
  double RadiusX = 0, RadiusY = 0;
  int Width = 0, Height = 0;
  TSplashPoint Centre;
};
TSplashGeometry SplashGeometry(int screenW, int screenH);

// The window's outline: 720 points, two per degree, around the ellipse.
std::vector<TSplashPoint> SplashRegionPoints(const TSplashGeometry& g);

// Ring i of the gradient: 361 points (one per degree, the last closing the
// curve) on the ellipse with radii (rx − i, ry − i / 2.25).
std::vector<TSplashPoint> SplashRingPoints(const TSplashGeometry& g, int ring);
// The number of rings (0 … Round(rx + 0.5)).
int SplashRingCount(const TSplashGeometry& g);
// The pen colour of ring i: white for the first, then from the window's
// colour RGB(214, 213, 182) toward RGB(255, 255, 0).
TColor SplashRingColor(const TSplashGeometry& g, int ring);

constexpr TColor SplashBackColor = 0xB6D5D6;  // RGB(214, 213, 182)
constexpr TColor SplashLineColor = 0xF0FBFF;  // cream

// The smallest point size, from 1 upward, at which text in the canvas's font
// is at least minHeight pixels high.
int SplashFontSize(TCanvas& canvas, const String& text, int minHeight);

// Paints the splash on canvas (its window of g.Width × g.Height): the
// gradient rings, the maker's name above the middle, the program's name below
// it and the cream line between them.
void PaintSplashOn(TCanvas& canvas, const TSplashGeometry& g);

// The splash window: borderless, on top, centred; caption "Splash".
class TSplash : public TForm {
public:
  explicit TSplash(TComponent* AOwner);

  void FormPaint(TObject* Sender);
  // Lines under the names (what the start waits for), parted by "\n";
  // "" for none.
  void SetStatusText(const String& text);
  const String& StatusText() const { return FStatusText; }

  // The size and shape for the screen it was made on.
  TSplashGeometry Geometry;

private:
  String FStatusText;
  void ApplyShape();
  bool FPainting = false;
};

// While it lives, the splash (which stays on top of every window) steps aside
// for each message box or modal window, and comes back after it: the
// start-up's questions and failure boxes are never hidden behind it.
class TSplashInteractionGuard : public TInteractionHook {
public:
  explicit TSplashInteractionGuard(TCustomForm* splash);
  ~TSplashInteractionGuard() override;
  TSplashInteractionGuard(const TSplashInteractionGuard&) = delete;
  TSplashInteractionGuard& operator=(const TSplashInteractionGuard&) = delete;

  int Run(TInteraction& request) override;

private:
  TCustomForm* FSplash;
  TInteractionHook* FPrevious;
};

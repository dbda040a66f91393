#include "app/QYSplash.h"

#include "platform/gui/Graphics.h"

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

int SplashFontSize(TCanvas& canvas, const String& text, int minHeight) {
  // Beyond this no screen is tall enough; it stops a font without glyphs.
  constexpr int MaxSize = 1000;
  int size = 1;
  for (; size < MaxSize; ++size) {
    canvas.Font.SetSize(size);
    if (canvas.TextHeight(text) >= minHeight) break;
  }
  return size;
}

void PaintSplashOn(TCanvas& canvas, const TSplashGeometry& g) {
  canvas.Brush.Color = SplashBackColor;
  canvas.Brush.Style = bsSolid;
  canvas.FillRect(Rect(0, 0, g.Width, g.Height));

  canvas.Pen.Width = 1;
  canvas.Brush.Style = bsClear;
  const int rings = SplashRingCount(g);
  for (int i = 0; i < rings; ++i) {
    canvas.Pen.Color = SplashRingColor(g, i);
    std::vector<TPoint> pts;
    for (const TSplashPoint& p : SplashRingPoints(g, i)) pts.emplace_back(p.X, p.Y);
    canvas.PolyBezier(pts);
  }

  canvas.SetBkMode(TRANSPARENT);
  const int third = g.Height / 3;
  const int middle = (g.Height / 4) * 2;

  canvas.Font.SetName("Arial Black");
  canvas.Font.SetColor(clBlue);
  SplashFontSize(canvas, "BRIXANE", third);
  TSize e = canvas.TextExtent("BRIXANE");
  canvas.TextOut(g.Width / 2 - e.cx / 2, middle - e.cy, "BRIXANE");

  canvas.Font.SetName("Century");
  canvas.Font.SetColor(clBlack);
  SplashFontSize(canvas, "QUILLORY", third);
  e = canvas.TextExtent("QUILLORY");
  canvas.TextOut(g.Width / 2 - e.cx / 2, middle, "QUILLORY");

  canvas.Pen.Width = 2;
  canvas.Pen.Color = SplashLineColor;
  const int margin = g.Width * 13 / 100;
  canvas.MoveTo(margin, g.Height / 2);
  canvas.LineTo(g.Width - margin, g.Height / 2);
}

// ---------------------------------------------------------------------------

TSplash::TSplash(TComponent* AOwner) : TForm(AOwner) {
  SetName("Splash");
  SetCaption("Splash");
  SetBorderStyle(bsNone);
  SetFormStyle(fsStayOnTop);
  Position = poScreenCenter;
  Geometry = SplashGeometry(Screen->Width(), Screen->Height());
  ApplyShape();
  OnPaint = [this](TObject* s) { FormPaint(s); };
}

void TSplash::ApplyShape() {
  // Borderless: the window is all client area.
  SetBounds(GetLeft(), GetTop(), Geometry.Width, Geometry.Height);
  SetColor(SplashBackColor);
  std::vector<TPoint> outline;
  for (const TSplashPoint& p : SplashRegionPoints(Geometry)) outline.emplace_back(p.X, p.Y);
  SetWindowRegion(outline);
}

void TSplash::FormPaint(TObject*) {
  if (FPainting) return;
  FPainting = true;
  PaintSplashOn(*Canvas(), Geometry);
  if (!FStatusText.empty()) {
    // The wait is said in place of the maker's name, in the ellipse's upper
    // half, as large as its lines fit there.
    TCanvas& c = *Canvas();
    std::vector<String> lines;
    for (size_t start = 0; start <= FStatusText.size();) {
      const size_t end = std::min(FStatusText.find('\n', start), FStatusText.size());
      lines.push_back(FStatusText.substr(start, end - start));
      start = end + 1;
    }
    const int top = Geometry.Height / 8, bottom = Geometry.Height / 2 - 2;
    const int width = Geometry.Width * 3 / 4;
    c.Brush.Color = SplashBackColor;
    c.Brush.Style = bsSolid;
    c.FillRect(Rect((Geometry.Width - width) / 2, top, (Geometry.Width + width) / 2, bottom));
    c.SetBkMode(TRANSPARENT);
    c.Font.SetName("Arial");
    c.Font.SetColor(clBlack);
    c.Font.SetSize(12);
    auto fits = [&] {
      int height = 0;
      for (const String& line : lines) {
        const TSize e = c.TextExtent(line);
        if (e.cx > width) return false;
        height += e.cy;
      }
      return height <= bottom - top;
    };
    while (c.Font.GetSize() > 6 && !fits()) c.Font.SetSize(c.Font.GetSize() - 1);
    int y = top;
    for (const String& line : lines) {
      const TSize e = c.TextExtent(line);
      c.TextOut(Geometry.Width / 2 - e.cx / 2, y, line);
      y += e.cy;
    }
  }
  FPainting = false;
}

void TSplash::SetStatusText(const String& text) {
  FStatusText = text;
  Repaint();
}

// ---------------------------------------------------------------------------

TSplashInteractionGuard::TSplashInteractionGuard(TCustomForm* splash)
    : FSplash(splash), FPrevious(SetInteractionHook(this)) {}

TSplashInteractionGuard::~TSplashInteractionGuard() { SetInteractionHook(FPrevious); }

int TSplashInteractionGuard::Run(TInteraction& request) {
  const bool shown = FSplash && FSplash->GetVisible();
  if (shown) FSplash->Hide();
  // The request goes to the hook that was in use before this one.
  SetInteractionHook(FPrevious);
  int result = 0;
  try {
    result = RunInteraction(request);
  } catch (...) {
    SetInteractionHook(this);
    if (shown) FSplash->Show();
    throw;
  }
  SetInteractionHook(this);
  if (shown) FSplash->Show();
  return result;
}

#include "platform/gui/Graphics.h"

#include "platform/base/CodePages.h"
#include "platform/gui/GuiPrivate.h"
#include "platform/gui/QtText.h"
#include "platform/gui/SymbolEncoding.h"
#include "platform/gui/TextMeasure.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QRegion>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <mutex>
#include <set>
#include <unordered_map>

namespace {

// Under a mapping that shrinks (the print preview draws printer pixels at
// screen size), a band thinner than a pixel would fall between pixel centres
// and vanish, and grid lines would come and go with their position: such a
// band is widened to one device pixel. A band on the edge of the clip (a
// table's outer border) keeps that pixel inside it.
void FillVisible(QPainter* p, const QRect& r, const QColor& color) {
  const QTransform& t = p->worldTransform();
  if (t.type() != QTransform::TxScale || r.isEmpty()) {
    p->fillRect(r, color);
    return;
  }
  const QRectF d = t.mapRect(QRectF(r));
  if (d.width() >= 1 && d.height() >= 1) {
    p->fillRect(r, color);
    return;
  }
  double left = std::round(d.left()), top = std::round(d.top());
  double right = std::max(std::round(d.right()), left + 1), bottom = std::max(std::round(d.bottom()), top + 1);
  if (p->hasClipping()) {
    const QRectF c = t.mapRect(p->clipBoundingRect());
    const double clipRight = std::round(c.right()), clipBottom = std::round(c.bottom());
    if (right > clipRight && right - left == 1 && clipRight - 1 >= std::floor(d.left())) {
      right = clipRight;
      left = right - 1;
    }
    if (bottom > clipBottom && bottom - top == 1 && clipBottom - 1 >= std::floor(d.top())) {
      bottom = clipBottom;
      top = bottom - 1;
    }
  }
  p->save();
  p->setWorldTransform(QTransform());
  p->fillRect(QRectF(left, top, right - left, bottom - top), color);
  p->restore();
}

// Pixel patterns of styled one-pixel pens: on, off, on, off, ...
const std::vector<int>& DashPattern(TPenStyle style) {
  static const std::vector<int> dash{18, 6};
  static const std::vector<int> dot{3, 3};
  static const std::vector<int> dashDot{9, 6, 3, 6};
  static const std::vector<int> dashDotDot{9, 3, 3, 3, 3, 3};
  static const std::vector<int> solid{};
  switch (style) {
    case psDash: return dash;
    case psDot: return dot;
    case psDashDot: return dashDot;
    case psDashDotDot: return dashDotDot;
    default: return solid;
  }
}

// Printers and PDF writers report their own resolution; screens and images
// are 96 pixels per inch for documents.
bool IsPagedDevice(QPaintDevice* dev) {
  return dev && (dev->devType() == QInternal::Printer || dynamic_cast<QPagedPaintDevice*>(dev) != nullptr);
}

bool IsRaster(QPainter* p) { return p->paintEngine() && p->paintEngine()->type() == QPaintEngine::Raster; }

Qt::BrushStyle HatchOf(TBrushStyle style) {
  switch (style) {
    case bsHorizontal: return Qt::HorPattern;
    case bsVertical: return Qt::VerPattern;
    case bsFDiagonal: return Qt::BDiagPattern;
    case bsBDiagonal: return Qt::FDiagPattern;
    case bsCross: return Qt::CrossPattern;
    case bsDiagCross: return Qt::DiagCrossPattern;
    case bsClear: return Qt::NoBrush;
    default: return Qt::SolidPattern;
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// TFont

TFont::TFont()
    : FName("Arial"),
      FHeight(-MulDiv(8, ScreenPixelsPerInch, 72)),
      FColor(clWindowText),
      FCharset(DEFAULT_CHARSET),
      FPitch(fpDefault),
      FPixelsPerInch(ScreenPixelsPerInch) {}

TFont::TFont(const TFont& other)
    : TPersistent(),
      FName(other.FName),
      FHeight(other.FHeight),
      FStyle(other.FStyle),
      FColor(other.FColor),
      FCharset(other.FCharset),
      FPitch(other.FPitch),
      FPixelsPerInch(other.FPixelsPerInch),
      FWidth(other.FWidth),
      FData(other.FData) {}

TFont& TFont::operator=(const TFont& other) {
  if (this != &other) Assign(other);
  return *this;
}

TFont::~TFont() = default;

void TFont::Assign(const TPersistent* Source) {
  if (auto src = dynamic_cast<const TFont*>(Source)) {
    if (src == this) return;
    FName = src->FName;
    FHeight = src->FPixelsPerInch == FPixelsPerInch ? src->FHeight
                                                    : -MulDiv(src->GetSize(), FPixelsPerInch, 72);
    FStyle = src->FStyle;
    FColor = src->FColor;
    FCharset = src->FCharset;
    FPitch = src->FPitch;
    FWidth = src->FWidth;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

void TFont::Changed() {
  FData.reset();
  if (OnChange) OnChange(this);
}

void TFont::SetName(const String& name) {
  if (name.empty() || name == FName) return;
  FName = name;
  Changed();
}

Integer TFont::GetSize() const { return -MulDiv(FHeight, 72, FPixelsPerInch); }

void GetSystemFont(TFont& font) {
  const QFont f = QGuiApplication::font();
  font.SetName(FromQ(f.family()));
  if (f.pixelSize() > 0)
    font.SetHeight(-f.pixelSize());
  else
    font.SetSize(static_cast<Integer>(std::lround(f.pointSizeF())));
}

void TFont::SetSize(Integer points) { SetHeight(-MulDiv(points, FPixelsPerInch, 72)); }

void TFont::SetHeight(Integer height) {
  if (height == FHeight) return;
  FHeight = height;
  Changed();
}

void TFont::SetStyle(TFontStyles style) {
  if (style == FStyle) return;
  FStyle = style;
  Changed();
}

void TFont::SetColor(TColor color) {
  if (color == FColor) return;
  FColor = color;
  if (OnChange) OnChange(this);
}

void TFont::SetCharset(TFontCharset charset) {
  if (charset == FCharset) return;
  FCharset = charset;
  Changed();
}

void TFont::SetPitch(TFontPitch pitch) {
  if (pitch == FPitch) return;
  FPitch = pitch;
  Changed();
}

void TFont::SetPixelsPerInch(Integer ppi) {
  if (ppi <= 0 || ppi == FPixelsPerInch) return;
  FPixelsPerInch = ppi;
  Changed();
}

void TFont::SetWidth(Integer averageCharWidth) {
  if (averageCharWidth < 0) averageCharWidth = 0;
  if (averageCharWidth == FWidth) return;
  FWidth = averageCharWidth;
  Changed();
}

bool TFont::IsEqual(const TFont& other) const {
  return SameText(FName, other.FName) && FHeight == other.FHeight && FStyle == other.FStyle &&
         FColor == other.FColor && FCharset == other.FCharset && FPitch == other.FPitch && FWidth == other.FWidth;
}

String TFont::ResolvedName() const { return Data()->ResolvedFamily; }

const QFont& TFont::QtFont() const { return Data()->Font; }

namespace {

// The fonts made so far by their attributes: a style switch while painting
// finds its font again without building a QFont and its key.
struct TFontAttrs {
  String Name;
  Integer Height, PixelsPerInch, Width;
  unsigned Style;
  int Pitch;
  bool operator==(const TFontAttrs& o) const {
    return Height == o.Height && PixelsPerInch == o.PixelsPerInch && Width == o.Width && Style == o.Style &&
           Pitch == o.Pitch && Name == o.Name;
  }
};

struct TFontAttrsHash {
  size_t operator()(const TFontAttrs& a) const {
    size_t h = std::hash<String>()(a.Name);
    for (size_t v : {size_t(a.Height), size_t(a.PixelsPerInch), size_t(a.Width), size_t(a.Style), size_t(a.Pitch)})
      h = h * 1000003u ^ v;
    return h;
  }
};

std::mutex& FontAttrsLock() {
  static std::mutex m;
  return m;
}

std::unordered_map<TFontAttrs, std::shared_ptr<const TFontData>, TFontAttrsHash>& FontsByAttrs() {
  static std::unordered_map<TFontAttrs, std::shared_ptr<const TFontData>, TFontAttrsHash> fonts;
  return fonts;
}

// The family text of the named font is drawn in. A name that is not an
// installed family is matched once to the one the system draws in its
// place (an alias, or a substitute), and only so many names are matched,
// each a search of the system's fonts: past them, the system's general
// family. Any number of unknown names (a document's font table of
// thousands) then costs a bounded number of searches and holds one font of
// each family drawn, not one each. The symbol fonts keep their names, which
// say how their codes are shown.
QString DrawnFamily(const String& name) {
  constexpr size_t kMatchedNames = 512;
  const QString family = ToQ(name);
  if (family.isEmpty() || SymbolCodeFontOf(name.c_str()) != TSymbolCodeFont::None) return family;
  static std::mutex lock;
  static std::unordered_map<String, QString> drawn;
  {
    std::lock_guard<std::mutex> guard(lock);
    static const std::set<QString> installed = [] {
      std::set<QString> names;
      for (const QString& f : QFontDatabase::families()) names.insert(f.toCaseFolded());
      return names;
    }();
    if (installed.count(family.toCaseFolded())) return family;
    if (auto it = drawn.find(name); it != drawn.end()) return it->second;
    static const QString general = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    if (drawn.size() >= kMatchedNames) return general;
  }
  const QString matched = QFontInfo(QFont(family)).family();
  std::lock_guard<std::mutex> guard(lock);
  return drawn.emplace(name, matched.isEmpty() ? family : matched).first->second;
}

}  // namespace

const std::shared_ptr<const TFontData>& TFont::Data() const {
  if (FData) return FData;
  unsigned styleBits = 0;
  for (TFontStyle st : {fsBold, fsItalic, fsUnderline, fsStrikeOut})
    if (FStyle.Contains(st)) styleBits |= 1u << static_cast<unsigned>(st);
  TFontAttrs attrs{FName, FHeight, FPixelsPerInch, FWidth, styleBits, static_cast<int>(FPitch)};
  {
    std::lock_guard<std::mutex> guard(FontAttrsLock());
    auto it = FontsByAttrs().find(attrs);
    if (it != FontsByAttrs().end()) {
      FData = it->second;
      return FData;
    }
  }
  QFont f;
  f.setFamilies({DrawnFamily(FName)});
  f.setKerning(false);
  f.setHintingPreference(QFont::PreferNoHinting);
  f.setWeight(FStyle.Contains(fsBold) ? QFont::Bold : QFont::Normal);
  f.setItalic(FStyle.Contains(fsItalic));
  if (FPitch == fpFixed) {
    f.setFixedPitch(true);
    f.setStyleHint(QFont::TypeWriter);
  }
  Integer pixels = FHeight < 0 ? -FHeight : FHeight;
  if (pixels == 0) pixels = MulDiv(12, FPixelsPerInch, 72);  // the default character height
  f.setPixelSize(std::max(1, pixels));
  if (FHeight > 0) {
    // A positive height is the cell height (ascent + descent): scale the
    // character height so that the cell comes out at that height.
    QFont probe = f;
    probe.setPixelSize(1000);
    auto probeData = FontDataFor(probe);
    if (probeData->Height > 0) f.setPixelSize(std::max(1, MulDiv(FHeight, 1000, probeData->Height)));
  }
  if (FWidth > 0) {
    auto natural = FontDataFor(f);
    if (natural->AveCharWidth > 0) f.setStretch(std::clamp(MulDiv(FWidth, 100, natural->AveCharWidth), 1, 4000));
  }
  // Decorations are drawn by our own text drawing; the data carries them.
  f.setUnderline(FStyle.Contains(fsUnderline));
  f.setStrikeOut(FStyle.Contains(fsStrikeOut));
  FData = FontDataFor(f);
  std::lock_guard<std::mutex> guard(FontAttrsLock());
  FontsByAttrs().emplace(std::move(attrs), FData);
  return FData;
}

void TPen::Assign(const TPersistent* Source) {
  if (auto src = dynamic_cast<const TPen*>(Source)) {
    Color = src->Color;
    Width = src->Width;
    Style = src->Style;
    Mode = src->Mode;
    return;
  }
  TPersistent::Assign(Source);
}

void TBrush::Assign(const TPersistent* Source) {
  if (auto src = dynamic_cast<const TBrush*>(Source)) {
    Color = src->Color;
    Style = src->Style;
    return;
  }
  TPersistent::Assign(Source);
}

// ---------------------------------------------------------------------------
// TCanvas

struct TCanvas::TState {
  TPoint WindowOrg, ViewportOrg;
  TSize WindowExt, ViewportExt;
  int MapMode;
  Integer CharExtra;
  int TextAlign, BkMode;
  TColor BkColor;
  // The brush the background was last taken from: a brush changed since
  // the state was saved gives the background anew.
  TColor BkBrushColor;
  TBrushStyle BkBrushStyle;
  TPoint BrushOrg;
  int StretchMode;
  bool PainterSaved;
};

TCanvas::TCanvas() = default;

TCanvas::TCanvas(QPainter* painter) { SetHandle(painter); }

TCanvas::TCanvas(QPaintDevice* device) { SetDevice(device); }

TCanvas::~TCanvas() {
  Flush();
  ReleaseHandle();
}

QPainter* TCanvas::Handle() { return RequirePainter(); }

void TCanvas::Flush() {
  if (FTextBatch && !FTextBatch->Empty() && FPainter && FPainter->isActive()) FTextBatch->Flush(*FPainter);
}

void TCanvas::SetHandle(QPainter* painter) {
  Flush();
  ReleaseHandle();
  FPainter = painter;
  FTextBatch.reset();
  FSaved.clear();
  FWindowOrg = FViewportOrg = TPoint();
  FWindowExt = FViewportExt = TSize(1, 1);
  FMapMode = MM_TEXT;
  if (painter) {
    const QTransform t = painter->worldTransform();
    FBase[0] = t.m11();
    FBase[1] = t.m12();
    FBase[2] = t.m21();
    FBase[3] = t.m22();
    FBase[4] = t.dx();
    FBase[5] = t.dy();
    FHasBaseTransform = !t.isIdentity();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setRenderHint(QPainter::TextAntialiasing, true);
    QPaintDevice* dev = painter->device();
    if (IsPagedDevice(dev)) {
      SetPixelsPerInch(dev->logicalDpiY());
      FTextBatch = std::make_unique<TGlyphBatch>();
    }
  }
}

void TCanvas::SetDevice(QPaintDevice* device) {
  SetHandle(nullptr);
  FDevice = device;
  if (device) {
    SetPixelsPerInch(IsPagedDevice(device) ? device->logicalDpiY() : ScreenPixelsPerInch);
  }
}

QPaintDevice* TCanvas::Device() const {
  if (FDevice) return FDevice;
  return FPainter ? FPainter->device() : nullptr;
}

void TCanvas::ReleaseHandle() {
  if (FOwnPainter) {
    Flush();
    FTextBatch.reset();
    if (FOwnPainter->isActive()) FOwnPainter->end();
    FOwnPainter.reset();
    FPainter = nullptr;
    FSaved.clear();
  }
}

void TCanvas::SetPixelsPerInch(Integer ppi) {
  if (ppi <= 0) return;
  FPixelsPerInch = ppi;
  Font.SetPixelsPerInch(ppi);
}

QPainter* TCanvas::RequirePainter() {
  Flush();
  return Painter();
}

QPainter* TCanvas::Painter() {
  if (FPainter) return FPainter;
  if (!FDevice) return nullptr;
  FOwnPainter = std::make_unique<QPainter>();
  if (!FOwnPainter->begin(FDevice)) {
    FOwnPainter.reset();
    return nullptr;
  }
  FPainter = FOwnPainter.get();
  FPainter->setRenderHint(QPainter::Antialiasing, false);
  FPainter->setRenderHint(QPainter::TextAntialiasing, true);
  if (IsPagedDevice(FDevice)) FTextBatch = std::make_unique<TGlyphBatch>();
  FHasBaseTransform = false;
  std::fill(std::begin(FBase), std::end(FBase), 0.0);
  FBase[0] = FBase[3] = 1.0;
  ApplyMapping();
  return FPainter;
}

void TCanvas::ApplyMapping() {
  if (!FPainter) return;
  double sx = 1, sy = 1;
  if (FMapMode == MM_ANISOTROPIC && FWindowExt.cx != 0 && FWindowExt.cy != 0) {
    sx = static_cast<double>(FViewportExt.cx) / FWindowExt.cx;
    sy = static_cast<double>(FViewportExt.cy) / FWindowExt.cy;
  }
  const QTransform mapping(sx, 0, 0, sy, FViewportOrg.X - FWindowOrg.X * sx, FViewportOrg.Y - FWindowOrg.Y * sy);
  const QTransform base(FBase[0], FBase[1], FBase[2], FBase[3], FBase[4], FBase[5]);
  FPainter->setWorldTransform(mapping * base);
}

TPoint TCanvas::LPtoDP(TPoint p) const {
  double sx = 1, sy = 1;
  if (FMapMode == MM_ANISOTROPIC && FWindowExt.cx != 0 && FWindowExt.cy != 0) {
    sx = static_cast<double>(FViewportExt.cx) / FWindowExt.cx;
    sy = static_cast<double>(FViewportExt.cy) / FWindowExt.cy;
  }
  return {static_cast<Integer>(std::lround((p.X - FWindowOrg.X) * sx + FViewportOrg.X)),
          static_cast<Integer>(std::lround((p.Y - FWindowOrg.Y) * sy + FViewportOrg.Y))};
}

TPoint TCanvas::DPtoLP(TPoint p) const {
  double sx = 1, sy = 1;
  if (FMapMode == MM_ANISOTROPIC && FViewportExt.cx != 0 && FViewportExt.cy != 0) {
    sx = static_cast<double>(FWindowExt.cx) / FViewportExt.cx;
    sy = static_cast<double>(FWindowExt.cy) / FViewportExt.cy;
  }
  return {static_cast<Integer>(std::lround((p.X - FViewportOrg.X) * sx + FWindowOrg.X)),
          static_cast<Integer>(std::lround((p.Y - FViewportOrg.Y) * sy + FWindowOrg.Y))};
}

// Pen modes become raster operations on image devices; other devices (the
// printer) have none, and draw as the plain pen.
void TCanvas::ApplyRop(QPainter* p, bool usePenMode) {
  QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
  if (usePenMode && IsRaster(p)) {
    switch (Pen.Mode) {
      case pmXor: mode = QPainter::RasterOp_SourceXorDestination; break;
      case pmNotXor: mode = QPainter::RasterOp_NotSourceXorDestination; break;
      case pmNot: mode = QPainter::RasterOp_NotDestination; break;
      case pmNotCopy: mode = QPainter::RasterOp_NotSource; break;
      case pmMerge: mode = QPainter::RasterOp_SourceOrDestination; break;
      case pmMask: mode = QPainter::RasterOp_SourceAndDestination; break;
      case pmNotMerge: mode = QPainter::RasterOp_NotSourceAndNotDestination; break;
      case pmNotMask: mode = QPainter::RasterOp_NotSourceOrNotDestination; break;
      case pmMaskPenNot: mode = QPainter::RasterOp_SourceAndNotDestination; break;
      case pmMaskNotPen: mode = QPainter::RasterOp_NotSourceAndDestination; break;
      case pmMergePenNot: mode = QPainter::RasterOp_SourceOrNotDestination; break;
      case pmMergeNotPen: mode = QPainter::RasterOp_NotSourceOrDestination; break;
      default: break;
    }
  }
  p->setCompositionMode(mode);
}

namespace {
// The colour a pen-mode figure is drawn in where the mode fixes it.
QColor PenModeColor(TPenMode mode, TColor color) {
  if (mode == pmBlack) return Qt::black;
  if (mode == pmWhite) return Qt::white;
  return QColorOf(color);
}
}  // namespace

void TCanvas::SyncBrushBackground() {
  if (Brush.Color == FAppliedBrushColor && Brush.Style == FAppliedBrushStyle) return;
  FAppliedBrushColor = Brush.Color;
  FAppliedBrushStyle = Brush.Style;
  FBkColor = Brush.Color;
  FBkMode = Brush.Style == bsSolid ? OPAQUE : TRANSPARENT;
}

void TCanvas::FillPixels(QPainter* p, const TRect& r, TColor color) {
  if (IsRectEmpty(r)) return;
  FillVisible(p, QRect(r.Left, r.Top, r.Width(), r.Height()), QColorOf(color));
}

void TCanvas::FillBrushRect(QPainter* p, const TRect& r) {
  if (IsRectEmpty(r) || Brush.Style == bsClear) return;
  const QRect qr(r.Left, r.Top, r.Width(), r.Height());
  if (Brush.Style == bsSolid) {
    FillVisible(p, qr, QColorOf(Brush.Color));
    return;
  }
  SyncBrushBackground();
  if (FBkMode == OPAQUE) FillVisible(p, qr, QColorOf(FBkColor));
  QBrush brush(QColorOf(Brush.Color), HatchOf(Brush.Style));
  p->setBrushOrigin(FBrushOrg.X, FBrushOrg.Y);
  p->fillRect(qr, brush);
}

// A one-pixel pen line from a to b (b itself only with includeEnd), or a
// wide line; dotted and dashed patterns are laid pixel by pixel so that they
// land on the same pixels on every device.
void TCanvas::DrawStyledLine(QPainter* p, TPoint a, TPoint b, bool includeEnd) {
  if (Pen.Style == psClear || Pen.Mode == pmNop) return;
  const QColor color = PenModeColor(Pen.Mode, Pen.Color);
  const Integer width = std::max(1, Pen.Width);
  const std::vector<int>& pattern = width == 1 ? DashPattern(Pen.Style) : DashPattern(psSolid);
  if (width > 1 && a.X != b.X && a.Y != b.Y) {
    QPen pen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p->setPen(pen);
    p->setBrush(Qt::NoBrush);
    p->drawLine(QPointF(a.X + 0.5, a.Y + 0.5), QPointF(b.X + 0.5, b.Y + 0.5));
    return;
  }
  if (width > 1) {
    // Horizontal or vertical wide line: a band centred on the line.
    const Integer lo = -(width - 1) / 2;
    auto span = [includeEnd](Integer from, Integer to, Integer& first, Integer& last) {
      // Pixels from `from` towards `to`, `to` itself only with includeEnd.
      if (from <= to) {
        first = from;
        last = includeEnd ? to + 1 : to;
      } else {
        first = includeEnd ? to : to + 1;
        last = from + 1;
      }
    };
    Integer first, last;
    if (a.Y == b.Y) {
      span(a.X, b.X, first, last);
      if (last > first) FillVisible(p, QRect(first, a.Y + lo, last - first, width), color);
    } else {
      span(a.Y, b.Y, first, last);
      if (last > first) FillVisible(p, QRect(a.X + lo, first, width, last - first), color);
    }
    return;
  }
  // One-pixel line: walk the pixels (Bresenham), applying the pattern.
  QPolygon points;
  const Integer dx = std::abs(b.X - a.X), dy = std::abs(b.Y - a.Y);
  const Integer sx = a.X < b.X ? 1 : -1, sy = a.Y < b.Y ? 1 : -1;
  Integer steps = std::max(dx, dy) + (includeEnd ? 1 : 0);
  if (!pattern.empty() && (dx == 0 || dy == 0)) {
    // Across or down: the pattern's runs as rectangles, the same pixels as
    // the walk below (table grids are drawn of these, by the hundred).
    const bool across = dy == 0;
    const Integer step = across ? sx : sy;
    const Integer start = across ? a.X : a.Y;
    // Only the part that can show is walked, from a whole period before it
    // (a table's outer grid line runs far outside the window).
    Integer i = 0;
    if (p->transform().type() <= QTransform::TxTranslate && p->device()) {
      QRect shown(0, 0, p->device()->width(), p->device()->height());
      shown.translate(-static_cast<int>(p->transform().dx()), -static_cast<int>(p->transform().dy()));
      if (p->hasClipping()) shown &= p->clipBoundingRect().toAlignedRect();
      const Integer cross = across ? a.Y : a.X;
      const Integer lo = across ? shown.left() : shown.top(), hi = across ? shown.right() : shown.bottom();
      if (shown.isEmpty() || cross < (across ? shown.top() : shown.left()) ||
          cross > (across ? shown.bottom() : shown.right()))
        return;
      // The steps i whose pixel start + step * i lies in lo..hi.
      const Integer iLo = step > 0 ? lo - start : start - hi, iHi = step > 0 ? hi - start : start - lo;
      if (iHi < 0 || iLo >= steps) return;
      Integer period = 0;
      for (int n : pattern) period += n;
      if (iLo > 0 && period > 0) i = iLo / period * period;
      steps = std::min(steps, iHi + 1);
    }
    size_t seg = 0;
    while (i < steps) {
      const Integer n = std::min<Integer>(pattern[seg], steps - i);
      if (seg % 2 == 0 && n > 0) {
        const Integer from = start + step * i, to = from + step * (n - 1);
        const Integer lo = std::min(from, to);
        FillVisible(p, across ? QRect(lo, a.Y, n, 1) : QRect(a.X, lo, 1, n), color);
      }
      i += std::max<Integer>(n, 1);
      seg = (seg + 1) % pattern.size();
    }
    return;
  }
  Integer err = dx - dy;
  Integer x = a.X, y = a.Y;
  size_t seg = 0;
  int left = pattern.empty() ? 0 : pattern[0];
  points.reserve(steps);
  for (Integer i = 0; i < steps; ++i) {
    const bool on = pattern.empty() || seg % 2 == 0;
    if (on) points.append(QPoint(x, y));
    if (!pattern.empty() && --left == 0) {
      seg = (seg + 1) % pattern.size();
      left = pattern[seg];
    }
    const Integer e2 = 2 * err;
    if (e2 > -dy) {
      err -= dy;
      x += sx;
    }
    if (e2 < dx) {
      err += dx;
      y += sy;
    }
  }
  if (points.isEmpty()) return;
  if (a.Y == b.Y && pattern.empty()) {
    const Integer x1 = std::min(points.first().x(), points.last().x());
    const Integer x2 = std::max(points.first().x(), points.last().x());
    FillVisible(p, QRect(x1, a.Y, x2 - x1 + 1, 1), color);
    return;
  }
  if (a.X == b.X && pattern.empty()) {
    const Integer y1 = std::min(points.first().y(), points.last().y());
    const Integer y2 = std::max(points.first().y(), points.last().y());
    FillVisible(p, QRect(a.X, y1, 1, y2 - y1 + 1), color);
    return;
  }
  QPen pen(color, 1, Qt::SolidLine, Qt::FlatCap);
  pen.setCosmetic(true);
  p->setPen(pen);
  p->drawPoints(points);
}

void TCanvas::MoveTo(Integer x, Integer y) { PenPos = TPoint(x, y); }

void TCanvas::LineTo(Integer x, Integer y) {
  if (QPainter* p = RequirePainter()) {
    ApplyRop(p, true);
    DrawStyledLine(p, PenPos, TPoint(x, y), false);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  }
  PenPos = TPoint(x, y);
}

void TCanvas::Polyline(const std::vector<TPoint>& points) {
  if (points.size() < 2) return;
  QPainter* p = RequirePainter();
  if (!p) return;
  ApplyRop(p, true);
  for (size_t i = 1; i < points.size(); ++i) DrawStyledLine(p, points[i - 1], points[i], false);
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

// Figures Qt draws itself: the pen and brush become Qt's, aliased.
void TCanvas::ShapeWithQt(const std::function<void(QPainter*)>& paint, bool usePen, bool useBrush) {
  QPainter* p = RequirePainter();
  if (!p || Pen.Mode == pmNop) return;
  ApplyRop(p, true);
  if (usePen && Pen.Style != psClear) {
    const Integer width = std::max(1, Pen.Width);
    QPen pen(PenModeColor(Pen.Mode, Pen.Color), width, Qt::SolidLine, width == 1 ? Qt::FlatCap : Qt::RoundCap,
             Qt::RoundJoin);
    const auto& pattern = width == 1 ? DashPattern(Pen.Style) : DashPattern(psSolid);
    if (!pattern.empty()) pen.setDashPattern(QList<qreal>(pattern.begin(), pattern.end()));
    p->setPen(pen);
  } else {
    p->setPen(Qt::NoPen);
  }
  if (useBrush && Brush.Style != bsClear) {
    QColor color = Pen.Mode == pmBlack || Pen.Mode == pmWhite ? PenModeColor(Pen.Mode, Brush.Color)
                                                               : QColorOf(Brush.Color);
    p->setBrush(QBrush(color, HatchOf(Brush.Style)));
    p->setBrushOrigin(FBrushOrg.X, FBrushOrg.Y);
    SyncBrushBackground();
    p->setBackgroundMode(Brush.Style != bsSolid && FBkMode == OPAQUE ? Qt::OpaqueMode : Qt::TransparentMode);
    p->setBackground(QColorOf(FBkColor));
  } else {
    p->setBrush(Qt::NoBrush);
  }
  paint(p);
  p->setBackgroundMode(Qt::TransparentMode);
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TCanvas::Polygon(const std::vector<TPoint>& points) {
  if (points.size() < 2) return;
  QPolygon poly;
  for (const TPoint& pt : points) poly.append(QPoint(pt.X, pt.Y));
  ShapeWithQt([&](QPainter* p) { p->drawPolygon(poly, Qt::OddEvenFill); }, true, true);
}

void TCanvas::PolyBezier(const std::vector<TPoint>& points) {
  if (points.size() < 4) return;
  QPainterPath path(QPointF(points[0].X, points[0].Y));
  for (size_t i = 1; i + 2 < points.size(); i += 3) {
    path.cubicTo(QPointF(points[i].X, points[i].Y), QPointF(points[i + 1].X, points[i + 1].Y),
                 QPointF(points[i + 2].X, points[i + 2].Y));
  }
  ShapeWithQt([&](QPainter* p) { p->drawPath(path); }, true, false);
}

void TCanvas::DrawPenFrame(QPainter* p, Integer x1, Integer y1, Integer x2, Integer y2) {
  const Integer w = std::max(1, Pen.Width);
  const QColor color = PenModeColor(Pen.Mode, Pen.Color);
  if (w == 1 && !DashPattern(Pen.Style).empty()) {
    DrawStyledLine(p, TPoint(x1, y1), TPoint(x2 - 1, y1), false);
    DrawStyledLine(p, TPoint(x2 - 1, y1), TPoint(x2 - 1, y2 - 1), false);
    DrawStyledLine(p, TPoint(x2 - 1, y2 - 1), TPoint(x1, y2 - 1), false);
    DrawStyledLine(p, TPoint(x1, y2 - 1), TPoint(x1, y1), false);
    return;
  }
  const Integer width = x2 - x1, height = y2 - y1;
  if (width <= 0 || height <= 0) return;
  if (2 * w >= width || 2 * w >= height) {
    FillVisible(p, QRect(x1, y1, width, height), color);
    return;
  }
  // Four bands that do not overlap, so XOR frames invert each pixel once.
  FillVisible(p, QRect(x1, y1, width, w), color);
  FillVisible(p, QRect(x1, y2 - w, width, w), color);
  FillVisible(p, QRect(x1, y1 + w, w, height - 2 * w), color);
  FillVisible(p, QRect(x2 - w, y1 + w, w, height - 2 * w), color);
}

void TCanvas::Rectangle(Integer x1, Integer y1, Integer x2, Integer y2) {
  QPainter* p = RequirePainter();
  if (!p || Pen.Mode == pmNop) return;
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  ApplyRop(p, true);
  const bool brush = Brush.Style != bsClear;
  if (Pen.Style == psClear) {
    // No frame: the fill stops one pixel short on the right and bottom.
    if (brush) FillBrushRect(p, TRect(x1, y1, x2 - 1, y2 - 1));
  } else {
    const Integer w = std::max(1, Pen.Width);
    Integer l = x1, t = y1, r = x2, b = y2;
    if (Pen.Style != psInsideFrame && w > 1) {
      // The pen is centred on the rectangle's outline.
      l -= (w - 1) / 2;
      t -= (w - 1) / 2;
      r += w / 2;
      b += w / 2;
    }
    if (brush) FillBrushRect(p, TRect(l + w, t + w, r - w, b - w));
    DrawPenFrame(p, l, t, r, b);
  }
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TCanvas::RoundRect(Integer x1, Integer y1, Integer x2, Integer y2, Integer cornerW, Integer cornerH) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  const Integer inset = Pen.Style == psInsideFrame ? std::max(1, Pen.Width) / 2 : 0;
  const QRectF r(x1 + inset, y1 + inset, x2 - x1 - 1 - 2 * inset, y2 - y1 - 1 - 2 * inset);
  ShapeWithQt([&](QPainter* p) { p->drawRoundedRect(r, cornerW / 2.0, cornerH / 2.0); }, true, true);
}

void TCanvas::Ellipse(Integer x1, Integer y1, Integer x2, Integer y2) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  const Integer inset = Pen.Style == psInsideFrame ? std::max(1, Pen.Width) / 2 : 0;
  const QRect r(x1 + inset, y1 + inset, x2 - x1 - 1 - 2 * inset, y2 - y1 - 1 - 2 * inset);
  ShapeWithQt([&](QPainter* p) { p->drawEllipse(r); }, true, true);
}

void TCanvas::FillRect(const TRect& r) {
  QPainter* p = RequirePainter();
  if (!p) return;
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  FillBrushRect(p, r);
}

void TCanvas::FrameRect(const TRect& r) {
  QPainter* p = RequirePainter();
  if (!p || IsRectEmpty(r) || Brush.Style == bsClear) return;
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  const QColor c = QColorOf(Brush.Color);
  FillVisible(p, QRect(r.Left, r.Top, r.Width(), 1), c);
  if (r.Height() > 1) FillVisible(p, QRect(r.Left, r.Bottom - 1, r.Width(), 1), c);
  if (r.Height() > 2) {
    FillVisible(p, QRect(r.Left, r.Top + 1, 1, r.Height() - 2), c);
    if (r.Width() > 1) FillVisible(p, QRect(r.Right - 1, r.Top + 1, 1, r.Height() - 2), c);
  }
}

void TCanvas::DrawFocusRect(const TRect& r) {
  QPainter* p = RequirePainter();
  if (!p || IsRectEmpty(r) || !IsRaster(p)) return;
  // Every other pixel of the frame, inverted.
  QPolygon points;
  auto add = [&](Integer x, Integer y) {
    if (((x + y) & 1) == 0) points.append(QPoint(x, y));
  };
  for (Integer x = r.Left; x < r.Right; ++x) {
    add(x, r.Top);
    if (r.Bottom - 1 > r.Top) add(x, r.Bottom - 1);
  }
  for (Integer y = r.Top + 1; y < r.Bottom - 1; ++y) {
    add(r.Left, y);
    if (r.Right - 1 > r.Left) add(r.Right - 1, y);
  }
  p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  QPen pen(Qt::white, 1);
  pen.setCosmetic(true);
  p->setPen(pen);
  p->drawPoints(points);
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

QImage* TCanvas::ImageDevice() const {
  QPaintDevice* dev = Device();
  if (dev && dev->devType() == QInternal::Image) return static_cast<QImage*>(dev);
  return nullptr;
}

TColor TCanvas::GetPixel(Integer x, Integer y) {
  QImage* img = ImageDevice();
  if (!img) return clNone;
  const TPoint d = LPtoDP(TPoint(x, y));
  if (!img->valid(d.X, d.Y)) return clNone;
  const QRgb rgb = img->pixel(d.X, d.Y);
  return RGB(qRed(rgb), qGreen(rgb), qBlue(rgb));
}

void TCanvas::SetPixel(Integer x, Integer y, TColor color) {
  QPainter* p = RequirePainter();
  if (!p) return;
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  p->fillRect(QRect(x, y, 1, 1), QColorOf(color));
}

// --- text ---

Integer TCanvas::DrawTextRun(Integer x, Integer y, const WideString& text, const Integer* dx, const TRect* opaque,
                             const TRect* clip) {
  const TSecretTextScope secret(SensitiveText);
  const auto& fd = *Font.Data();
  // Text placed by its left edge is measured as it is drawn when held back.
  const bool measureFirst = dx || (FTextAlign & (TA_UPDATECP | TA_CENTER));
  Integer width = 0;
  if (dx) {
    for (size_t i = 0; i < text.size(); ++i) width += dx[i];
  } else if (measureFirst) {
    width = TextWidthOf(fd, text.data(), text.size(), FCharExtra);
  }
  QPainter* p = Painter();
  if (!p) return measureFirst ? width : TextWidthOf(fd, text.data(), text.size(), FCharExtra);
  SyncBrushBackground();
  if (FTextAlign & TA_UPDATECP) {
    x = PenPos.X;
    y = PenPos.Y;
  }
  const int horz = FTextAlign & TA_CENTER;
  if (horz == TA_CENTER) x -= width / 2;
  else if (horz == TA_RIGHT) x -= width;
  const int vert = FTextAlign & TA_BASELINE;
  if (vert == TA_BASELINE) y -= fd.Ascent;
  else if (vert == TA_BOTTOM) y -= fd.Height;
  if (FTextAlign & TA_UPDATECP) PenPos.X = horz == TA_RIGHT ? x : x + width;

  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  const bool rtl = (FTextAlign & TA_RTLREADING) != 0 || FRtlOutput;
  const QColor color = QColorOf(Font.GetColor());
  // Plain text on a printer joins the text held back before it.
  Integer drawnWidth = 0;
  if (FTextBatch && !clip && !opaque && FBkMode != OPAQUE && !SensitiveText && !rtl &&
      FTextBatch->Add(*p, Font.Data(), x, y, text.data(), text.size(), FCharExtra, dx, color, drawnWidth))
    return measureFirst ? width : drawnWidth;
  if (!measureFirst) width = TextWidthOf(fd, text.data(), text.size(), FCharExtra);
  Flush();
  if (clip) {
    p->save();
    p->setClipRect(QRect(clip->Left, clip->Top, clip->Width(), clip->Height()), Qt::IntersectClip);
  }
  if (opaque) {
    FillPixels(p, *opaque, FBkColor);
  } else if (FBkMode == OPAQUE && !text.empty()) {
    FillPixels(p, TRect(x, y, x + width, y + fd.Height), FBkColor);
  }
  DrawShapedText(*p, fd, x, y, text.data(), text.size(), FCharExtra, dx, color, rtl);
  if (clip) p->restore();
  return width;
}

void TCanvas::TextOut(Integer x, Integer y, const String& text) { TextOutW(x, y, Utf8ToWide(text)); }

void TCanvas::TextOutW(Integer x, Integer y, const WideString& text) {
  const Integer width = DrawTextRun(x, y, text, nullptr, nullptr, nullptr);
  if (!(FTextAlign & TA_UPDATECP)) PenPos = TPoint(x + width, y);
}

void TCanvas::TextRect(const TRect& r, Integer x, Integer y, const String& text) {
  SyncBrushBackground();
  ExtTextOut(x, y, ETO_CLIPPED | (Brush.Style != bsClear ? ETO_OPAQUE : 0), &r, Utf8ToWide(text), nullptr);
}

void TCanvas::ExtTextOut(Integer x, Integer y, int options, const TRect* rect, const WideString& text,
                         const Integer* dx) {
  SyncBrushBackground();
  const TRect* opaque = (options & ETO_OPAQUE) && rect ? rect : nullptr;
  const TRect* clip = (options & ETO_CLIPPED) && rect ? rect : nullptr;
  if (opaque && !clip && text.empty()) {
    if (QPainter* p = RequirePainter()) FillPixels(p, *opaque, FBkColor);
    return;
  }
  FRtlOutput = (options & ETO_RTLREADING) != 0;
  DrawTextRun(x, y, text, dx, opaque, clip);
  FRtlOutput = false;
}

TSize TCanvas::TextExtentW(const WideString& text) {
  const TSecretTextScope secret(SensitiveText);
  const auto& fd = *Font.Data();
  return TSize(TextWidthOf(fd, text.data(), text.size(), FCharExtra), fd.Height);
}

Integer TCanvas::TextWidthW(const WideString& text) { return TextExtentW(text).cx; }

TSize TCanvas::TextExtent(const String& text) { return TextExtentW(Utf8ToWide(text)); }

Integer TCanvas::TextWidth(const String& text) { return TextExtent(text).cx; }

Integer TCanvas::TextHeight(const String& text) { return TextExtent(text).cy; }

bool TCanvas::GetTextExtentExPoint(const WideString& text, Integer maxExtent, Integer* fit,
                                   std::vector<Integer>* dx, TSize* size) {
  const TSecretTextScope secret(SensitiveText);
  const auto& fd = *Font.Data();
  std::vector<Integer> local;
  std::vector<Integer>& extents = dx ? *dx : local;
  TextExtents(fd, text.data(), text.size(), FCharExtra, extents);
  if (fit) *fit = FitCount(extents, maxExtent);
  if (size) *size = TSize(extents.empty() ? 0 : extents.back(), fd.Height);
  return true;
}

bool TCanvas::GetCharacterPlacement(const WideString& text, TCharacterPlacement& placement) {
  const TSecretTextScope secret(SensitiveText);
  const auto& fd = *Font.Data();
  auto shaped = ShapeText(fd, text, (FTextAlign & TA_RTLREADING) != 0);
  const size_t n = text.size();
  placement.Order = shaped->VisualOrder;
  placement.Dx.resize(n);
  placement.Class.resize(n);
  Integer width = 0;
  for (size_t i = 0; i < n; ++i) {
    // Extra spacing follows every character (cluster), as in measuring.
    placement.Dx[i] = shaped->Advances[i] + (shaped->ClusterStart[i] ? FCharExtra : 0);
    placement.Class[i] = shaped->RightToLeft[i] ? GCPCLASS_HEBREW : GCPCLASS_LATIN;
    width += placement.Dx[i];
  }
  placement.Width = width;
  return true;
}

bool TCanvas::GetTextMetrics(TTextMetric& tm) {
  const auto& fd = *Font.Data();
  tm = TTextMetric();
  tm.tmHeight = fd.Height;
  tm.tmAscent = fd.Ascent;
  tm.tmDescent = fd.Descent;
  tm.tmInternalLeading = fd.InternalLeading;
  tm.tmExternalLeading = fd.ExternalLeading;
  tm.tmAveCharWidth = fd.AveCharWidth;
  tm.tmMaxCharWidth = fd.MaxCharWidth;
  tm.tmWeight = fd.Weight;
  tm.tmItalic = Font.GetStyle().Contains(fsItalic) ? 1 : 0;
  tm.tmUnderlined = Font.GetStyle().Contains(fsUnderline) ? 1 : 0;
  tm.tmStruckOut = Font.GetStyle().Contains(fsStrikeOut) ? 1 : 0;
  // Low bit set for variable pitch, as the device-context convention has it.
  tm.tmPitchAndFamily = fd.FixedPitch ? 0 : 1;
  tm.tmCharSet = Font.GetCharset();
  tm.tmDigitizedAspectX = tm.tmDigitizedAspectY = FPixelsPerInch;
  return true;
}

bool TCanvas::GetOutlineTextMetrics(TOutlineTextMetric& otm) {
  const auto& fd = *Font.Data();
  otm = TOutlineTextMetric();
  GetTextMetrics(otm.otmTextMetrics);
  otm.otmAscent = fd.Ascent;
  otm.otmDescent = -fd.Descent;
  otm.otmsUnderscoreSize = fd.UnderlineThickness;
  otm.otmsUnderscorePosition = -fd.UnderlinePosition;
  otm.otmsStrikeoutSize = fd.UnderlineThickness;
  otm.otmsStrikeoutPosition = fd.StrikeOutPosition;
  otm.otmEMSquare = fd.EmSquare;
  return fd.Raw.isValid();
}

Integer TCanvas::SetTextCharacterExtra(Integer extra) {
  const Integer old = FCharExtra;
  FCharExtra = extra;
  return old;
}

int TCanvas::SetTextAlign(int flags) {
  const int old = FTextAlign;
  FTextAlign = flags;
  return old;
}

int TCanvas::SetBkMode(int mode) {
  SyncBrushBackground();
  const int old = FBkMode;
  if (mode == OPAQUE || mode == TRANSPARENT) FBkMode = mode;
  return old;
}

int TCanvas::GetBkMode() {
  SyncBrushBackground();
  return FBkMode;
}

TColor TCanvas::SetBkColor(TColor color) {
  SyncBrushBackground();
  const TColor old = FBkColor;
  FBkColor = color;
  return old;
}

TColor TCanvas::GetBkColor() {
  SyncBrushBackground();
  return FBkColor;
}

void TCanvas::SetBrushOrg(Integer x, Integer y) { FBrushOrg = TPoint(x, y); }

TCanvas::TTools TCanvas::GetTools() const {
  return TTools{Pen.Color, Pen.Width, Pen.Style, Pen.Mode, Brush.Color, Brush.Style, FBrushOrg, FBkMode, FBkColor,
                FAppliedBrushColor, FAppliedBrushStyle, FTextAlign, FCharExtra, CopyMode, FStretchMode};
}

void TCanvas::SetTools(const TTools& tools) {
  Pen.Color = tools.PenColor;
  Pen.Width = tools.PenWidth;
  Pen.Style = tools.PenStyle;
  Pen.Mode = tools.PenMode;
  Brush.Color = tools.BrushColor;
  Brush.Style = tools.BrushStyle;
  FBrushOrg = tools.BrushOrg;
  FBkMode = tools.BkMode;
  FBkColor = tools.BkColor;
  FAppliedBrushColor = tools.BkBrushColor;
  FAppliedBrushStyle = tools.BkBrushStyle;
  FTextAlign = tools.TextAlign;
  FCharExtra = tools.CharExtra;
  CopyMode = tools.CopyMode;
  FStretchMode = tools.StretchMode;
}

// --- graphics ---

void TCanvas::Draw(Integer x, Integer y, TGraphic* graphic) {
  if (!graphic || graphic->GetEmpty()) return;
  graphic->Draw(*this, Bounds(x, y, graphic->GetWidth(), graphic->GetHeight()));
}

void TCanvas::StretchDraw(const TRect& r, TGraphic* graphic) {
  if (!graphic || graphic->GetEmpty()) return;
  graphic->Draw(*this, r);
}

void TCanvas::DrawImage(const TRect& dest, const QImage& image, const TRect& srcRect) {
  QPainter* p = RequirePainter();
  if (!p || image.isNull() || IsRectEmpty(dest)) return;
  const QRect d(dest.Left, dest.Top, dest.Width(), dest.Height());
  const QRect s(srcRect.Left, srcRect.Top, srcRect.Width(), srcRect.Height());
  QPainter::CompositionMode mode = QPainter::CompositionMode_SourceOver;
  const bool raster = IsRaster(p);
  switch (CopyMode) {
    case cmBlackness: p->fillRect(d, Qt::black); return;
    case cmWhiteness: p->fillRect(d, Qt::white); return;
    case cmDstInvert:
      if (raster) {
        p->setCompositionMode(QPainter::RasterOp_NotDestination);
        p->fillRect(d, Qt::white);
        p->setCompositionMode(QPainter::CompositionMode_SourceOver);
      }
      return;
    case cmSrcInvert: if (raster) mode = QPainter::RasterOp_SourceXorDestination; break;
    case cmSrcAnd: if (raster) mode = QPainter::RasterOp_SourceAndDestination; break;
    case cmSrcPaint: if (raster) mode = QPainter::RasterOp_SourceOrDestination; break;
    case cmNotSrcCopy: if (raster) mode = QPainter::RasterOp_NotSource; break;
    case cmSrcErase: if (raster) mode = QPainter::RasterOp_SourceAndNotDestination; break;
    case cmNotSrcErase: if (raster) mode = QPainter::RasterOp_NotSourceAndNotDestination; break;
    case cmMergePaint: if (raster) mode = QPainter::RasterOp_NotSourceOrDestination; break;
    default: break;
  }
  p->setCompositionMode(mode);
  p->setRenderHint(QPainter::SmoothPixmapTransform, FStretchMode == HALFTONE && d.size() != s.size());
  p->drawImage(d, image, s);
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

int TCanvas::SetStretchBltMode(int mode) {
  const int old = FStretchMode;
  FStretchMode = mode == HALFTONE ? HALFTONE : COLORONCOLOR;
  return old;
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* source, const TRect& srcRect) {
  if (!source) return;
  QImage* img = source->ImageDevice();
  if (!img) return;
  // The source's pixels are its device pixels: map the logical rectangle.
  const TPoint a = source->LPtoDP(srcRect.TopLeft()), b = source->LPtoDP(srcRect.BottomRight());
  if (source == this) {
    const QImage copy = img->copy();
    DrawImage(dest, copy, TRect(a, b));
  } else {
    DrawImage(dest, *img, TRect(a, b));
  }
}

// --- clipping, state and mapping ---

namespace {
int RegionKind(QPainter* p) {
  if (!p->hasClipping()) return SIMPLEREGION;
  const QRegion r = p->clipRegion();
  if (r.isEmpty()) return NULLREGION;
  return r.rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

QRect LogicalDeviceRect(QPainter* p) {
  QPaintDevice* dev = p->device();
  const QRect devRect(0, 0, dev ? dev->width() : 0, dev ? dev->height() : 0);
  bool invertible = false;
  const QTransform inv = p->worldTransform().inverted(&invertible);
  return invertible ? inv.mapRect(devRect) : devRect;
}
}  // namespace

int TCanvas::IntersectClipRect(Integer left, Integer top, Integer right, Integer bottom) {
  QPainter* p = RequirePainter();
  if (!p) return RGN_ERROR;
  const QRect r(left, top, std::max(0, right - left), std::max(0, bottom - top));
  if (p->hasClipping()) {
    p->setClipRect(r, Qt::IntersectClip);
  } else {
    p->setClipRect(r.intersected(LogicalDeviceRect(p)), Qt::ReplaceClip);
  }
  return RegionKind(p);
}

int TCanvas::ExcludeClipRect(Integer left, Integer top, Integer right, Integer bottom) {
  QPainter* p = RequirePainter();
  if (!p) return RGN_ERROR;
  const QRegion current = p->hasClipping() ? p->clipRegion() : QRegion(LogicalDeviceRect(p));
  p->setClipRegion(current.subtracted(QRegion(left, top, right - left, bottom - top)), Qt::ReplaceClip);
  return RegionKind(p);
}

int TCanvas::SelectClipRect(const TRect* r) {
  QPainter* p = RequirePainter();
  if (!p) return RGN_ERROR;
  if (!r) {
    p->setClipping(false);
    return SIMPLEREGION;
  }
  p->setClipRect(QRect(r->Left, r->Top, r->Width(), r->Height()), Qt::ReplaceClip);
  return RegionKind(p);
}

TRect TCanvas::ClipRect() {
  QPainter* p = RequirePainter();
  if (!p) return TRect();
  const QRect r = p->hasClipping() ? p->clipBoundingRect().toAlignedRect() : LogicalDeviceRect(p);
  return TRect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
}

int TCanvas::SaveDC() {
  QPainter* p = RequirePainter();
  SyncBrushBackground();
  if (p) p->save();
  FSaved.push_back(TState{FWindowOrg, FViewportOrg, FWindowExt, FViewportExt, FMapMode, FCharExtra, FTextAlign,
                          FBkMode, FBkColor, FAppliedBrushColor, FAppliedBrushStyle, FBrushOrg, FStretchMode,
                          p != nullptr});
  return static_cast<int>(FSaved.size());
}

bool TCanvas::RestoreDC(int index) {
  const int count = static_cast<int>(FSaved.size());
  int keep;
  if (index < 0) keep = count + index;
  else keep = index - 1;
  if (keep < 0 || keep >= count) return false;
  Flush();
  while (static_cast<int>(FSaved.size()) > keep) {
    const TState s = FSaved.back();
    FSaved.pop_back();
    if (s.PainterSaved && FPainter) FPainter->restore();
    FWindowOrg = s.WindowOrg;
    FViewportOrg = s.ViewportOrg;
    FWindowExt = s.WindowExt;
    FViewportExt = s.ViewportExt;
    FMapMode = s.MapMode;
    FCharExtra = s.CharExtra;
    FTextAlign = s.TextAlign;
    FBkMode = s.BkMode;
    FBkColor = s.BkColor;
    FAppliedBrushColor = s.BkBrushColor;
    FAppliedBrushStyle = s.BkBrushStyle;
    FBrushOrg = s.BrushOrg;
    FStretchMode = s.StretchMode;
  }
  ApplyMapping();
  return true;
}

void TCanvas::SetWindowOrgEx(Integer x, Integer y, TPoint* old) {
  if (old) *old = FWindowOrg;
  FWindowOrg = TPoint(x, y);
  RequirePainter();
  ApplyMapping();
}

void TCanvas::SetViewportOrgEx(Integer x, Integer y, TPoint* old) {
  if (old) *old = FViewportOrg;
  FViewportOrg = TPoint(x, y);
  RequirePainter();
  ApplyMapping();
}

int TCanvas::SetMapMode(int mode) {
  const int old = FMapMode;
  FMapMode = mode == MM_ANISOTROPIC ? MM_ANISOTROPIC : MM_TEXT;
  RequirePainter();
  ApplyMapping();
  return old;
}

void TCanvas::SetWindowExtEx(Integer cx, Integer cy, TSize* old) {
  if (old) *old = FWindowExt;
  if (FMapMode != MM_ANISOTROPIC) return;
  FWindowExt = TSize(cx, cy);
  RequirePainter();
  ApplyMapping();
}

void TCanvas::SetViewportExtEx(Integer cx, Integer cy, TSize* old) {
  if (old) *old = FViewportExt;
  if (FMapMode != MM_ANISOTROPIC) return;
  FViewportExt = TSize(cx, cy);
  RequirePainter();
  ApplyMapping();
}

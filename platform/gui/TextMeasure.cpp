#include "platform/gui/TextMeasure.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QHash>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <mutex>
#include <unordered_map>

// Glyph and advance of every character of simple text, filled a page of
// 256 characters at a time. Simple text needs no shaping: one glyph per
// UTF-16 unit, left to right, and no kerning or ligatures.
struct TGlyphTable {
  struct TPage {
    std::array<quint32, 256> Glyph{};
    std::array<Integer, 256> Advance{};
    std::array<bool, 256> Simple{};
  };
  std::mutex Lock;
  std::array<std::unique_ptr<TPage>, 256> Pages;
};

namespace {

// Characters that need neither shaping nor reordering in any font: Latin,
// Greek, Cyrillic, punctuation, symbols and the CJK ideographs. Combining
// marks, right-to-left and Indic scripts, controls and surrogates go through
// Qt's shaping instead.
bool IsSimpleUnit(char16_t c) {
  if (c < 0x20) return false;
  if (c < 0x7F) return true;
  if (c < 0xA0) return false;
  if (c < 0x300) return true;
  if (c < 0x370) return false;
  if (c < 0x483) return true;
  if (c < 0x48A) return false;
  if (c < 0x590) return true;
  if (c < 0x1E00) return false;
  if (c < 0x2000) return true;
  if (c < 0x200B) return true;
  if (c < 0x2010) return false;
  if (c < 0x2028) return true;
  if (c < 0x202F) return false;
  if (c < 0x2060) return true;
  if (c < 0x2070) return false;
  if (c < 0x20D0) return true;
  if (c < 0x2100) return false;
  if (c < 0x2C00) return true;
  if (c < 0x2E00) return false;
  if (c < 0x2E80) return true;
  if (c < 0x3000) return false;
  if ((c >= 0x302A && c <= 0x302F) || c == 0x3099 || c == 0x309A) return false;
  if (c < 0xA000) return true;
  if (c < 0xAC00) return false;
  if (c < 0xD7A4) return true;
  if (c < 0xE000) return false;
  if (c < 0xFB00) return true;
  if (c < 0xFE10) return false;
  if (c < 0xFE20) return true;
  if (c < 0xFE30) return false;
  if (c < 0xFE70) return true;
  if (c < 0xFF00) return false;
  if (c < 0xFFF0) return true;
  return false;
}

const TGlyphTable::TPage& PageOf(const TFontData& font, char16_t c) {
  TGlyphTable& table = *font.Glyphs;
  const unsigned pageNo = c >> 8;
  std::lock_guard<std::mutex> guard(table.Lock);
  auto& page = table.Pages[pageNo];
  if (!page) {
    auto fresh = std::make_unique<TGlyphTable::TPage>();
    QChar chars[256];
    for (int i = 0; i < 256; ++i) chars[i] = QChar(static_cast<char16_t>((pageNo << 8) | static_cast<unsigned>(i)));
    quint32 glyphs[256];
    int numGlyphs = 256;
    if (font.Raw.isValid() && font.Raw.glyphIndexesForChars(chars, 256, glyphs, &numGlyphs) && numGlyphs == 256) {
      QPointF advances[256];
      font.Raw.advancesForGlyphIndexes(glyphs, advances, 256,
                                       QRawFont::SeparateAdvances | QRawFont::UseDesignMetrics);
      for (int i = 0; i < 256; ++i) {
        const char16_t ch = static_cast<char16_t>((pageNo << 8) | static_cast<unsigned>(i));
        fresh->Glyph[i] = glyphs[i];
        fresh->Advance[i] = static_cast<Integer>(std::lround(advances[i].x()));
        // A space may legitimately map to a glyph of its own; a character the
        // font lacks maps to 0 and needs Qt's font fallback.
        fresh->Simple[i] = glyphs[i] != 0 && IsSimpleUnit(ch);
      }
    }
    page = std::move(fresh);
  }
  return *page;
}

// Extents of simple text; false (and nothing useful in out) when some unit
// needs shaping.
bool SimpleExtents(const TFontData& font, const char16_t* text, size_t length, Integer charExtra,
                   std::vector<Integer>* out, Integer* width) {
  if (out) out->resize(length);
  Integer x = 0;
  const TGlyphTable::TPage* page = nullptr;
  unsigned pageNo = 0x10000;
  for (size_t i = 0; i < length; ++i) {
    const char16_t c = text[i];
    if ((c >> 8) != pageNo) {
      pageNo = c >> 8;
      page = &PageOf(font, c);
    }
    const unsigned k = c & 0xFF;
    if (!page->Simple[k]) return false;
    x += page->Advance[k] + charExtra;
    if (out) (*out)[i] = x;
  }
  if (width) *width = x;
  return true;
}

// ---------------------------------------------------------------------------
// The cache of shaped complex text.

struct TShapeKey {
  uint32_t FontId;
  std::u16string Text;
  bool operator==(const TShapeKey&) const = default;
};
struct TShapeKeyHash {
  size_t operator()(const TShapeKey& k) const {
    return std::hash<std::u16string>()(k.Text) ^ (static_cast<size_t>(k.FontId) * 0x9E3779B97F4A7C15ull);
  }
};

// Layout measures the same texts over and over; shaping complex text is the
// costly part, so keep the results up to a bound on the characters held.
constexpr size_t MaxCachedUnits = 4u << 20;

struct TShapeCache {
  std::mutex Lock;
  std::unordered_map<TShapeKey, std::shared_ptr<const TShapedText>, TShapeKeyHash> Map;
  size_t Units = 0;
};

TShapeCache& ShapeCache() {
  static TShapeCache cache;
  return cache;
}

std::shared_ptr<TShapedText> ShapeSimple(const TFontData& font, const char16_t* text, size_t length) {
  auto result = std::make_shared<TShapedText>();
  if (!SimpleExtents(font, text, length, 0, &result->Extents, &result->Width)) return nullptr;
  result->Advances.resize(length);
  result->UnitX.resize(length);
  result->VisualOrder.resize(length);
  result->RightToLeft.assign(length, false);
  TShapedGlyphs run;
  run.Font = font.Raw;
  run.Glyphs.resize(length);
  run.X.resize(length);
  run.Unit.resize(length);
  Integer x = 0;
  for (size_t i = 0; i < length; ++i) {
    const auto& page = PageOf(font, text[i]);
    const unsigned k = text[i] & 0xFF;
    result->Advances[i] = page.Advance[k];
    result->UnitX[i] = x;
    result->VisualOrder[i] = static_cast<Integer>(i);
    run.Glyphs[i] = page.Glyph[k];
    run.X[i] = x;
    run.Unit[i] = static_cast<Integer>(i);
    x += page.Advance[k];
  }
  result->Runs.push_back(std::move(run));
  return result;
}

bool IsRtlChar(char16_t c) {
  const auto dir = QChar(c).direction();
  return dir == QChar::DirR || dir == QChar::DirAL || dir == QChar::DirRLE || dir == QChar::DirRLO ||
         dir == QChar::DirRLI;
}

// Shapes with Qt's text layout: one line, no wrapping, kerning off. Each
// cluster's width comes from its caret edges, rounded to whole pixels.
std::shared_ptr<TShapedText> ShapeComplex(const TFontData& font, const char16_t* text, size_t length) {
  auto result = std::make_shared<TShapedText>();
  result->Simple = false;
  const Integer n = static_cast<Integer>(length);
  result->Extents.assign(length, 0);
  result->Advances.assign(length, 0);
  result->UnitX.assign(length, 0);
  result->VisualOrder.assign(length, 0);
  result->RightToLeft.assign(length, false);
  if (length == 0) return result;

  const QString qs = QString::fromUtf16(text, static_cast<qsizetype>(length));
  QTextLayout layout(qs, font.Font);
  QTextOption option;
  option.setWrapMode(QTextOption::NoWrap);
  option.setUseDesignMetrics(true);
  option.setTextDirection(Qt::LayoutDirectionAuto);
  layout.setTextOption(option);
  layout.setCacheEnabled(true);
  layout.beginLayout();
  QTextLine line = layout.createLine();
  if (line.isValid()) line.setLineWidth(1e7);
  layout.endLayout();
  if (!line.isValid()) return result;

  const qreal lineLeft = line.naturalTextRect().left();
  struct TCluster {
    Integer Start, End, Left, Width;
    bool Rtl;
  };
  std::vector<TCluster> clusters;
  Integer pos = 0;
  while (pos < n) {
    Integer end = pos + 1;
    while (end < n && !layout.isValidCursorPosition(end)) ++end;
    // The leading edge of the cluster's first unit and the trailing edge of
    // its last one.
    qreal lead = line.cursorToX(pos, QTextLine::Leading) - lineLeft;
    qreal trail = line.cursorToX(end - 1, QTextLine::Trailing) - lineLeft;
    const QChar::Category category = QChar(text[pos]).category();
    const bool zeroWidthKind = category == QChar::Other_Format || category == QChar::Mark_NonSpacing ||
                               category == QChar::Mark_Enclosing || category == QChar::Other_Control;
    if (std::abs(lead - trail) < 0.01 && !zeroWidthKind) {
      // At a change of direction the caret edges are ambiguous; the glyphs
      // of the cluster tell where it really is.
      qreal lo = 0, hi = 0;
      bool any = false;
      for (const QGlyphRun& gr : layout.glyphRuns(pos, end - pos)) {
        const QList<quint32> glyphs = gr.glyphIndexes();
        const QList<QPointF> positions = gr.positions();
        const QList<QPointF> advances = gr.rawFont().advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics);
        for (qsizetype g = 0; g < glyphs.size(); ++g) {
          const qreal gl = positions[g].x() - lineLeft, gh = gl + advances[g].x();
          lo = any ? std::min(lo, gl) : gl;
          hi = any ? std::max(hi, gh) : gh;
          any = true;
        }
      }
      if (any) {
        const bool rtl = IsRtlChar(text[pos]);
        lead = rtl ? hi : lo;
        trail = rtl ? lo : hi;
      }
    }
    const Integer l = static_cast<Integer>(std::lround(std::min(lead, trail)));
    const Integer r = static_cast<Integer>(std::lround(std::max(lead, trail)));
    const bool rtl = lead > trail || (lead == trail && IsRtlChar(text[pos]));
    clusters.push_back({pos, end, l, r - l, rtl});
    pos = end;
  }
  // Cumulative extents in logical order.
  Integer x = 0;
  for (const auto& c : clusters) {
    x += c.Width;
    result->Advances[c.Start] = c.Width;
    for (Integer i = c.Start; i < c.End; ++i) {
      result->Extents[i] = x;
      result->UnitX[i] = c.Left;
      result->RightToLeft[i] = c.Rtl;
    }
    if (c.Rtl) result->AnyRightToLeft = true;
  }
  result->Width = x;
  // Visual order: clusters sorted by their left edge.
  std::vector<size_t> idx(clusters.size());
  for (size_t i = 0; i < idx.size(); ++i) idx[i] = i;
  std::stable_sort(idx.begin(), idx.end(), [&](size_t a, size_t b) { return clusters[a].Left < clusters[b].Left; });
  Integer visual = 0;
  for (size_t k : idx) {
    for (Integer i = clusters[k].Start; i < clusters[k].End; ++i) result->VisualOrder[i] = visual++;
  }
  // The glyphs Qt placed, rounded to whole pixels.
  for (const QGlyphRun& glyphRun : line.glyphRuns()) {
    TShapedGlyphs run;
    run.Font = glyphRun.rawFont();
    const QList<quint32> glyphs = glyphRun.glyphIndexes();
    const QList<QPointF> positions = glyphRun.positions();
    run.Glyphs.assign(glyphs.begin(), glyphs.end());
    run.X.reserve(positions.size());
    for (const QPointF& p : positions) run.X.push_back(static_cast<Integer>(std::lround(p.x() - lineLeft)));
    run.Unit.assign(run.Glyphs.size(), -1);
    result->Runs.push_back(std::move(run));
  }
  return result;
}

std::mutex& FontRegistryLock() {
  static std::mutex m;
  return m;
}

}  // namespace

// ---------------------------------------------------------------------------

std::shared_ptr<const TFontData> FontDataFor(const QFont& font) {
  static std::map<QString, std::shared_ptr<const TFontData>> registry;
  static uint32_t nextId = 1;
  const QString key = font.key() + QLatin1Char('/') + QString::number(font.hintingPreference()) +
                      QLatin1Char('/') + QString::number(font.kerning());
  std::lock_guard<std::mutex> guard(FontRegistryLock());
  auto it = registry.find(key);
  if (it != registry.end()) return it->second;

  auto data = std::make_shared<TFontData>();
  data->Font = font;
  data->Raw = QRawFont::fromFont(font);
  data->Id = nextId++;
  const QFontMetricsF fm(font);
  data->Ascent = static_cast<Integer>(std::ceil(fm.ascent() - 1e-6));
  data->Descent = static_cast<Integer>(std::ceil(fm.descent() - 1e-6));
  data->Height = data->Ascent + data->Descent;
  const Integer em = font.pixelSize() > 0 ? font.pixelSize() : static_cast<Integer>(std::lround(fm.height()));
  data->InternalLeading = std::max(0, data->Height - em);
  data->ExternalLeading = std::max(0, static_cast<Integer>(std::lround(fm.leading())));
  data->AveCharWidth = static_cast<Integer>(std::lround(fm.averageCharWidth()));
  data->MaxCharWidth = static_cast<Integer>(std::lround(fm.maxWidth()));
  data->UnderlineThickness = std::max(1, static_cast<Integer>(std::lround(fm.lineWidth())));
  data->UnderlinePosition = std::max(1, static_cast<Integer>(std::lround(fm.underlinePos())));
  data->StrikeOutPosition = static_cast<Integer>(std::lround(fm.strikeOutPos()));
  data->EmSquare = data->Raw.isValid() ? static_cast<Integer>(std::lround(data->Raw.unitsPerEm())) : em;
  data->Weight = font.weight() >= QFont::DemiBold ? 700 : 400;
  const QFontInfo info(font);
  data->FixedPitch = info.fixedPitch();
  const QByteArray family = info.family().toUtf8();
  data->ResolvedFamily.assign(family.constData(), static_cast<size_t>(family.size()));
  data->Glyphs = std::make_shared<TGlyphTable>();
  registry.emplace(key, data);
  return data;
}

std::shared_ptr<const TShapedText> ShapeText(const TFontData& font, const char16_t* text, size_t length) {
  if (auto simple = ShapeSimple(font, text, length)) return simple;
  TShapeCache& cache = ShapeCache();
  TShapeKey key{font.Id, std::u16string(text, length)};
  {
    std::lock_guard<std::mutex> guard(cache.Lock);
    auto it = cache.Map.find(key);
    if (it != cache.Map.end()) return it->second;
  }
  std::shared_ptr<const TShapedText> shaped = ShapeComplex(font, text, length);
  std::lock_guard<std::mutex> guard(cache.Lock);
  if (cache.Units + length > MaxCachedUnits) {
    cache.Map.clear();
    cache.Units = 0;
  }
  if (cache.Map.emplace(std::move(key), shaped).second) cache.Units += length;
  return shaped;
}

void TextExtents(const TFontData& font, const char16_t* text, size_t length, Integer charExtra,
                 std::vector<Integer>& extents) {
  if (SimpleExtents(font, text, length, charExtra, &extents, nullptr)) return;
  auto shaped = ShapeText(font, text, length);
  extents.resize(length);
  Integer clusters = 0;
  for (size_t i = 0; i < length; ++i) {
    if (i == 0 || shaped->Advances[i] != 0 || shaped->Extents[i] != shaped->Extents[i - 1]) ++clusters;
    extents[i] = shaped->Extents[i] + clusters * charExtra;
  }
}

Integer TextWidthOf(const TFontData& font, const char16_t* text, size_t length, Integer charExtra) {
  Integer width = 0;
  if (SimpleExtents(font, text, length, charExtra, nullptr, &width)) return width;
  std::vector<Integer> extents;
  TextExtents(font, text, length, charExtra, extents);
  return extents.empty() ? 0 : extents.back();
}

Integer FitCount(const std::vector<Integer>& extents, Integer maxExtent) {
  // Extents never decrease, so the fit is an upper-bound search.
  auto it = std::upper_bound(extents.begin(), extents.end(), maxExtent);
  return static_cast<Integer>(it - extents.begin());
}

void DrawShapedText(QPainter& painter, const TFontData& font, Integer x, Integer y, const char16_t* text,
                    size_t length, Integer charExtra, const Integer* dx, const QColor& color) {
  if (length == 0) return;
  const Integer baseline = y + font.Ascent;
  Integer totalWidth = 0;
  painter.setPen(color);
  auto shaped = ShapeText(font, text, length);
  if (shaped->Simple || dx == nullptr) {
    // Left edge of every unit, with the caller's advances when given.
    std::vector<Integer> unitX(length);
    if (shaped->Simple) {
      Integer pos = 0;
      for (size_t i = 0; i < length; ++i) {
        unitX[i] = pos;
        pos += dx ? dx[i] : shaped->Advances[i] + charExtra;
      }
      totalWidth = pos;
    } else {
      totalWidth = shaped->Width;
    }
    for (const TShapedGlyphs& run : shaped->Runs) {
      QList<quint32> glyphs(run.Glyphs.begin(), run.Glyphs.end());
      QList<QPointF> positions;
      positions.reserve(static_cast<qsizetype>(run.Glyphs.size()));
      for (size_t g = 0; g < run.Glyphs.size(); ++g) {
        const Integer gx = shaped->Simple && run.Unit[g] >= 0 ? unitX[static_cast<size_t>(run.Unit[g])] : run.X[g];
        positions.push_back(QPointF(x + gx, baseline));
      }
      QGlyphRun glyphRun;
      glyphRun.setRawFont(run.Font);
      glyphRun.setGlyphIndexes(glyphs);
      glyphRun.setPositions(positions);
      painter.drawGlyphRun(QPointF(0, 0), glyphRun);
    }
  } else {
    // Complex text with explicit advances: each cluster is drawn at the
    // position the advances give it, so the caller's spacing is kept.
    Integer pos = 0;
    size_t start = 0;
    while (start < length) {
      size_t end = start + 1;
      while (end < length && shaped->Advances[end] == 0 && shaped->Extents[end] == shaped->Extents[start]) ++end;
      auto cluster = ShapeText(font, text + start, end - start);
      for (const TShapedGlyphs& run : cluster->Runs) {
        QList<quint32> glyphs(run.Glyphs.begin(), run.Glyphs.end());
        QList<QPointF> positions;
        for (size_t g = 0; g < run.Glyphs.size(); ++g) positions.push_back(QPointF(x + pos + run.X[g], baseline));
        QGlyphRun glyphRun;
        glyphRun.setRawFont(run.Font);
        glyphRun.setGlyphIndexes(glyphs);
        glyphRun.setPositions(positions);
        painter.drawGlyphRun(QPointF(0, 0), glyphRun);
      }
      for (size_t i = start; i < end; ++i) pos += dx[i];
      start = end;
    }
    totalWidth = pos;
  }
  // Decorations across the whole advance, as the font describes them.
  if (font.Font.underline()) {
    painter.fillRect(QRect(x, baseline + font.UnderlinePosition - font.UnderlineThickness / 2, totalWidth,
                           font.UnderlineThickness),
                     color);
  }
  if (font.Font.strikeOut()) {
    painter.fillRect(QRect(x, baseline - font.StrikeOutPosition - font.UnderlineThickness / 2, totalWidth,
                           font.UnderlineThickness),
                     color);
  }
}

void ClearTextMeasureCache() {
  TShapeCache& cache = ShapeCache();
  std::lock_guard<std::mutex> guard(cache.Lock);
  cache.Map.clear();
  cache.Units = 0;
}

size_t TextMeasureCacheSize() {
  TShapeCache& cache = ShapeCache();
  std::lock_guard<std::mutex> guard(cache.Lock);
  return cache.Map.size();
}

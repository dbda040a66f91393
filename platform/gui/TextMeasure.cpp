#include "platform/gui/TextMeasure.h"

#include "platform/base/Wipe.h"
#include "platform/gui/QtText.h"
#include "platform/gui/SymbolEncoding.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QHash>
#include <QPainter>
#include <QPainterPath>
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
    // Spaces whose glyph leaves no ink: placed by their advance, never drawn.
    std::array<bool, 256> Blank{};
  };
  std::mutex Lock;
  std::array<std::unique_ptr<TPage>, 256> Pages;
};

namespace {

thread_local bool SecretText = false;

// The text handed to Qt's layout, wiped before it is freed when secret (the
// layout that shared it is gone by then, so no copy is made to write to).
class TLayoutText {
public:
  TLayoutText(const char16_t* text, size_t length)
      : Text(QString::fromUtf16(text, static_cast<qsizetype>(length))) {}
  ~TLayoutText() {
    if (SecretText && !Text.isEmpty()) WipeBytes(Text.data(), static_cast<size_t>(Text.size()) * sizeof(QChar));
  }
  QString Text;
};

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
        fresh->Blank[i] = fresh->Simple[i] && QChar::isSpace(ch) && font.Raw.pathForGlyph(glyphs[i]).isEmpty();
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
  bool RightToLeft;
  std::u16string Text;
  bool operator==(const TShapeKey&) const = default;
};
struct TShapeKeyHash {
  size_t operator()(const TShapeKey& k) const {
    const size_t font = static_cast<size_t>(k.FontId) * 2 + (k.RightToLeft ? 1 : 0);
    return std::hash<std::u16string>()(k.Text) ^ (font * 0x9E3779B97F4A7C15ull);
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
  result->ClusterStart.assign(length, true);
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

// Shapes one word with Qt's text layout: one line, no wrapping, kerning off.
// Each cluster's width comes from its caret edges, rounded to whole pixels.
// (Finding caret edges costs time in the length of the text, so only words
// are shaped this way; see ShapeMixed.)
std::shared_ptr<TShapedText> ShapeWord(const TFontData& font, const char16_t* text, size_t length, bool) {
  auto result = std::make_shared<TShapedText>();
  result->Simple = false;
  const Integer n = static_cast<Integer>(length);
  result->Extents.assign(length, 0);
  result->Advances.assign(length, 0);
  result->UnitX.assign(length, 0);
  result->VisualOrder.assign(length, 0);
  result->RightToLeft.assign(length, false);
  result->ClusterStart.assign(length, false);
  if (length == 0) return result;

  TLayoutText qs(text, length);
  QTextLayout layout(qs.Text, font.Font);
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
    // Both edges of the cluster, asked at its first unit: asked at a unit
    // inside it (the second half of a surrogate pair, as the fallback font's
    // emoji are), the trailing edge is that of the character after it, and
    // the cluster would be measured a character wider than it is drawn.
    qreal lead = line.cursorToX(pos, QTextLine::Leading) - lineLeft;
    qreal trail = line.cursorToX(pos, QTextLine::Trailing) - lineLeft;
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
    result->ClusterStart[c.Start] = true;
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


// Words longer than this are shaped in pieces (ending on cluster
// boundaries), so that no single shaping pass grows quadratic.
constexpr size_t MaxWordUnits = 128;

bool ContinuesCluster(char16_t c) {
  if (c >= 0xDC00 && c <= 0xDFFF) return true;  // low surrogate
  if (c == 0x200D) return true;                 // zero-width joiner
  const QChar::Category cat = QChar(c).category();
  return cat == QChar::Mark_NonSpacing || cat == QChar::Mark_SpacingCombining || cat == QChar::Mark_Enclosing;
}

bool SimpleIn(const TFontData& font, char16_t c) { return PageOf(font, c).Simple[c & 0xFF]; }

struct TSegment {
  size_t Start, End;
  bool Complex;
};

// Stretches of simple text, and the words (between spaces) that need
// shaping, in logical order.
std::vector<TSegment> Segments(const TFontData& font, const char16_t* text, size_t n) {
  std::vector<TSegment> segs;
  size_t i = 0;
  while (i < n) {
    size_t e = i;
    if (text[i] == u' ') {
      while (e < n && text[e] == u' ') ++e;
    } else {
      while (e < n && text[e] != u' ') ++e;
    }
    bool complex = false;
    for (size_t k = i; k < e && !complex; ++k) complex = !SimpleIn(font, text[k]);
    if (complex) {
      size_t s = i;
      while (s < e) {
        size_t pe = std::min(e, s + MaxWordUnits);
        while (pe < e && ContinuesCluster(text[pe])) ++pe;
        segs.push_back({s, pe, true});
        s = pe;
      }
    } else if (!segs.empty() && !segs.back().Complex) {
      segs.back().End = e;
    } else {
      segs.push_back({i, e, false});
    }
    i = e;
  }
  return segs;
}

using TShapeFunction = std::shared_ptr<TShapedText> (*)(const TFontData&, const char16_t*, size_t, bool);

std::shared_ptr<const TShapedText> CachedShape(const TFontData& font, const char16_t* text, size_t length,
                                               bool rtl, TShapeFunction shape) {
  // Secret text is never a key: it would outlive the drawing.
  if (SecretText) return shape(font, text, length, rtl);
  TShapeCache& cache = ShapeCache();
  TShapeKey key{font.Id, rtl, std::u16string(text, length)};
  {
    std::lock_guard<std::mutex> guard(cache.Lock);
    auto it = cache.Map.find(key);
    if (it != cache.Map.end()) return it->second;
  }
  std::shared_ptr<const TShapedText> shaped = shape(font, text, length, rtl);
  std::lock_guard<std::mutex> guard(cache.Lock);
  if (cache.Units + length > MaxCachedUnits) {
    cache.Map.clear();
    cache.Units = 0;
  }
  if (cache.Map.emplace(std::move(key), shaped).second) cache.Units += length;
  return shaped;
}

// Text that needs shaping somewhere: simple stretches take their advances
// from the glyph table, the other words are shaped one by one (and cached),
// so the whole costs time in proportion to its length. Without right-to-left
// text the pieces sit side by side in logical order; with it, Qt lays out
// the whole text for the visual order and the glyph positions.
// The logical part of mixed text: extents, advances, clusters and the
// direction of every unit, from the simple stretches and the shaped words.
void MixedExtents(const TFontData& font, const char16_t* text, size_t n, TShapedText& result,
                  std::vector<TSegment>& segs, std::vector<std::shared_ptr<const TShapedText>>& words,
                  std::vector<Integer>& segX) {
  result.Simple = false;
  result.Extents.assign(n, 0);
  result.Advances.assign(n, 0);
  result.RightToLeft.assign(n, false);
  result.ClusterStart.assign(n, true);
  segs = Segments(font, text, n);
  words.assign(segs.size(), nullptr);
  segX.assign(segs.size(), 0);
  Integer x = 0;
  for (size_t k = 0; k < segs.size(); ++k) {
    const TSegment& seg = segs[k];
    segX[k] = x;
    if (!seg.Complex) {
      for (size_t i = seg.Start; i < seg.End; ++i) {
        const Integer adv = PageOf(font, text[i]).Advance[text[i] & 0xFF];
        x += adv;
        result.Extents[i] = x;
        result.Advances[i] = adv;
      }
      continue;
    }
    auto word = CachedShape(font, text + seg.Start, seg.End - seg.Start, false, &ShapeWord);
    words[k] = word;
    for (size_t j = 0; j < seg.End - seg.Start; ++j) {
      result.Extents[seg.Start + j] = x + word->Extents[j];
      result.Advances[seg.Start + j] = word->Advances[j];
      result.RightToLeft[seg.Start + j] = word->RightToLeft[j];
      result.ClusterStart[seg.Start + j] = word->ClusterStart[j];
    }
    x += word->Width;
    if (word->AnyRightToLeft) result.AnyRightToLeft = true;
  }
  result.Width = x;
}

std::shared_ptr<TShapedText> ShapeMixed(const TFontData& font, const char16_t* text, size_t n, bool rtl) {
  auto result = std::make_shared<TShapedText>();
  std::vector<TSegment> segs;
  std::vector<std::shared_ptr<const TShapedText>> words;
  std::vector<Integer> segX;
  MixedExtents(font, text, n, *result, segs, words, segX);
  result->UnitX.assign(n, 0);
  result->VisualOrder.assign(n, 0);

  if (!result->AnyRightToLeft && !rtl) {
    for (size_t k = 0; k < segs.size(); ++k) {
      const TSegment& seg = segs[k];
      if (!seg.Complex) {
        TShapedGlyphs run;
        run.Font = font.Raw;
        Integer gx = segX[k];
        for (size_t i = seg.Start; i < seg.End; ++i) {
          result->UnitX[i] = gx;
          run.Glyphs.push_back(PageOf(font, text[i]).Glyph[text[i] & 0xFF]);
          run.X.push_back(gx);
          run.Unit.push_back(static_cast<Integer>(i));
          gx += result->Advances[i];
        }
        result->Runs.push_back(std::move(run));
        continue;
      }
      const auto& word = *words[k];
      for (size_t j = 0; j < seg.End - seg.Start; ++j) result->UnitX[seg.Start + j] = segX[k] + word.UnitX[j];
      for (const TShapedGlyphs& wordRun : word.Runs) {
        TShapedGlyphs run = wordRun;
        for (Integer& gx : run.X) gx += segX[k];
        run.Unit.assign(run.Glyphs.size(), -1);
        run.BaseUnit = static_cast<Integer>(seg.Start);
        result->Runs.push_back(std::move(run));
      }
    }
    for (size_t i = 0; i < n; ++i) result->VisualOrder[i] = static_cast<Integer>(i);
    return result;
  }

  // Right-to-left text: one layout of the whole text gives each piece's
  // place on the line and the glyphs to draw.
  result->AnyRightToLeft = true;
  TLayoutText qs(text, n);
  QTextLayout layout(qs.Text, font.Font);
  QTextOption option;
  option.setWrapMode(QTextOption::NoWrap);
  option.setUseDesignMetrics(true);
  option.setTextDirection(rtl ? Qt::RightToLeft : Qt::LayoutDirectionAuto);
  layout.setTextOption(option);
  layout.setCacheEnabled(true);
  layout.beginLayout();
  QTextLine line = layout.createLine();
  if (line.isValid()) line.setLineWidth(1e7);
  layout.endLayout();
  const qreal lineLeft = line.isValid() ? line.naturalTextRect().left() : 0;
  for (size_t k = 0; k < segs.size(); ++k) {
    const TSegment& seg = segs[k];
    qreal left = 0;
    bool any = false;
    for (const QGlyphRun& gr : layout.glyphRuns(static_cast<int>(seg.Start), static_cast<int>(seg.End - seg.Start))) {
      for (const QPointF& p : gr.positions()) {
        left = any ? std::min(left, p.x()) : p.x();
        any = true;
      }
    }
    const Integer segLeft = any ? static_cast<Integer>(std::lround(left - lineLeft)) : segX[k];
    for (size_t i = seg.Start; i < seg.End; ++i) {
      result->UnitX[i] = seg.Complex ? segLeft + words[k]->UnitX[i - seg.Start]
                                     : segLeft + (i > seg.Start ? result->Extents[i - 1] - segX[k] : 0);
    }
  }
  if (line.isValid()) {
    for (const QGlyphRun& glyphRun : line.glyphRuns()) {
      TShapedGlyphs run;
      run.Font = glyphRun.rawFont();
      const QList<quint32> glyphs = glyphRun.glyphIndexes();
      const QList<QPointF> positions = glyphRun.positions();
      run.Glyphs.assign(glyphs.begin(), glyphs.end());
      for (const QPointF& p : positions) run.X.push_back(static_cast<Integer>(std::lround(p.x() - lineLeft)));
      run.Unit.assign(run.Glyphs.size(), -1);
      result->Runs.push_back(std::move(run));
    }
  }
  std::vector<size_t> order(n);
  for (size_t i = 0; i < n; ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return result->UnitX[a] < result->UnitX[b]; });
  for (size_t v = 0; v < n; ++v) result->VisualOrder[order[v]] = static_cast<Integer>(v);
  return result;
}

// A face that keeps the Symbol font's glyphs at its 8-bit codes: either its
// character map is the Windows symbol one (platform 3, encoding 0), or, as
// with the free clones, a Unicode map puts alpha at 'a' and the bullet at
// 0xB7 and the face has neither at its Unicode place (every ordinary face
// that fontconfig offers instead has the bullet).
bool IsSymbolFace(const QRawFont& raw) {
  if (!raw.isValid()) return false;
  const QByteArray cmap = raw.fontTable("cmap");
  auto u16 = [&](qsizetype at) {
    return static_cast<unsigned>(static_cast<unsigned char>(cmap[at])) << 8 | static_cast<unsigned char>(cmap[at + 1]);
  };
  const unsigned tables = cmap.size() >= 4 ? u16(2) : 0;
  for (unsigned i = 0; i < tables; ++i) {
    const qsizetype at = 4 + static_cast<qsizetype>(i) * 8;
    if (at + 4 > cmap.size()) break;
    if (u16(at) == 3 && u16(at + 2) == 0) return true;
  }
  return raw.supportsCharacter(QChar(u'a')) && raw.supportsCharacter(QChar(u'\u00B7')) &&
         !raw.supportsCharacter(QChar(u'\u03B1')) && !raw.supportsCharacter(QChar(u'\u2022'));
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
  data->ResolvedFamily = FromQ(info.family());
  data->Glyphs = std::make_shared<TGlyphTable>();
  const TSymbolCodeFont codeFont =
      font.families().isEmpty() ? TSymbolCodeFont::None : SymbolCodeFontOf(font.families().front().toUtf8().constData());
  if (codeFont != TSymbolCodeFont::None) {
    // fontconfig may answer "Symbol" with a symbol face (which maps the
    // codes through its own table) or with an ordinary Unicode face.
    data->SymbolFace = IsSymbolFace(data->Raw);
    data->WingdingsCodes = codeFont == TSymbolCodeFont::Wingdings;
    auto codes = std::make_shared<std::array<char16_t, 0x100>>();
    for (unsigned code = 0; code < 0x100; ++code) {
      const char32_t twin = SymbolFontCharToUnicode(data->WingdingsCodes ? "Wingdings" : "Symbol", code);
      char16_t shown = static_cast<char16_t>(code);
      // A character beyond 16 bits would change the text's length, which
      // measuring and the caret follow: such a code stays itself here.
      if (twin && twin < 0x10000 && !(data->SymbolFace && data->Raw.supportsCharacter(QChar(shown))))
        shown = static_cast<char16_t>(twin);
      (*codes)[code] = shown;
    }
    data->SymbolCodes = std::move(codes);
  }
  registry.emplace(key, data);
  return data;
}

const char16_t* FaceText(const TFontData& font, const char16_t* text, size_t length, std::u16string& buffer) {
  if (!font.SymbolCodes) return text;
  const auto& codes = *font.SymbolCodes;
  auto shown = [&](char16_t c) -> char16_t {
    if (c < 0x100) return codes[c];
    if (c >= 0xF020 && c <= 0xF0FF)
      return SymbolFontCharToUnicode(font.WingdingsCodes ? "Wingdings" : "Symbol", c) ? codes[c - 0xF000] : c;
    if (font.SymbolFace && !font.WingdingsCodes && !font.Raw.supportsCharacter(QChar(c))) {
      const unsigned code = UnicodeToSymbolCode(c);
      if (code && codes[code] == code) return static_cast<char16_t>(code);
    }
    return c;
  };
  size_t i = 0;
  while (i < length && shown(text[i]) == text[i]) ++i;
  if (i == length) return text;
  buffer.assign(text, length);
  for (; i < length; ++i) buffer[i] = shown(text[i]);
  return buffer.data();
}

std::shared_ptr<const TShapedText> ShapeText(const TFontData& font, const char16_t* text, size_t length,
                                             bool rtlReading) {
  std::u16string faceText;
  TWipeTextOnExit<char16_t> wipe(faceText, SecretText);
  text = FaceText(font, text, length, faceText);
  if (!rtlReading) {
    if (auto simple = ShapeSimple(font, text, length)) return simple;
  }
  return CachedShape(font, text, length, rtlReading, &ShapeMixed);
}

namespace {

// Extents of text already in the face's own characters.
void FaceExtents(const TFontData& font, const char16_t* text, size_t length, Integer charExtra,
                 std::vector<Integer>& extents) {
  if (SimpleExtents(font, text, length, charExtra, &extents, nullptr)) return;
  // Extents need no visual order: the pieces are measured on their own,
  // which keeps long paragraphs linear in their length.
  TShapedText shaped;
  std::vector<TSegment> segs;
  std::vector<std::shared_ptr<const TShapedText>> words;
  std::vector<Integer> segX;
  MixedExtents(font, text, length, shaped, segs, words, segX);
  extents.resize(length);
  Integer clusters = 0;
  for (size_t i = 0; i < length; ++i) {
    if (shaped.ClusterStart[i]) ++clusters;
    extents[i] = shaped.Extents[i] + clusters * charExtra;
  }
}

}  // namespace

// The face text is made once: a twin may itself be a code of the table.
void TextExtents(const TFontData& font, const char16_t* text, size_t length, Integer charExtra,
                 std::vector<Integer>& extents) {
  std::u16string faceText;
  TWipeTextOnExit<char16_t> wipe(faceText, SecretText);
  FaceExtents(font, FaceText(font, text, length, faceText), length, charExtra, extents);
}

Integer TextWidthOf(const TFontData& font, const char16_t* text, size_t length, Integer charExtra) {
  std::u16string faceText;
  TWipeTextOnExit<char16_t> wipe(faceText, SecretText);
  text = FaceText(font, text, length, faceText);
  Integer width = 0;
  if (SimpleExtents(font, text, length, charExtra, nullptr, &width)) return width;
  std::vector<Integer> extents;
  FaceExtents(font, text, length, charExtra, extents);
  return extents.empty() ? 0 : extents.back();
}

Integer FitCount(const std::vector<Integer>& extents, Integer maxExtent) {
  // Extents never decrease, so the fit is an upper-bound search.
  auto it = std::upper_bound(extents.begin(), extents.end(), maxExtent);
  return static_cast<Integer>(it - extents.begin());
}

namespace {

// Underline and strike-out across the whole advance, as the font describes
// them.
void DrawDecorations(QPainter& painter, const TFontData& font, Integer x, Integer baseline, Integer width,
                     const QColor& color) {
  if (font.Font.underline()) {
    painter.fillRect(
        QRect(x, baseline + font.UnderlinePosition - font.UnderlineThickness / 2, width, font.UnderlineThickness),
        color);
  }
  if (font.Font.strikeOut()) {
    painter.fillRect(
        QRect(x, baseline - font.StrikeOutPosition - font.UnderlineThickness / 2, width, font.UnderlineThickness),
        color);
  }
}

// Appends simple text's glyphs straight from the font's glyph table, one a
// unit placed by its advance (or the caller's), to a glyph run: a printed
// page is mostly such text, and shaping it first would only copy the same
// glyphs. Spaces take their room but add no glyph: each glyph sent costs a
// printed page description its bytes. False, with nothing appended, when a
// unit needs shaping.
bool AppendSimpleGlyphs(const TFontData& font, Integer x, Integer baseline, const char16_t* text, size_t length,
                        Integer charExtra, const Integer* dx, QList<quint32>& glyphs, QList<QPointF>& positions,
                        Integer& width) {
  std::u16string faceText;
  TWipeTextOnExit<char16_t> wipe(faceText, SecretText);
  text = FaceText(font, text, length, faceText);
  // Room for every unit, written in place (the lists grow by their own
  // steps as a batch fills) and cut to the glyphs made.
  const qsizetype before = glyphs.size();
  glyphs.resize(before + static_cast<qsizetype>(length));
  positions.resize(before + static_cast<qsizetype>(length));
  quint32* glyph = glyphs.data() + before;
  QPointF* position = positions.data() + before;
  qsizetype made = 0;
  const TGlyphTable::TPage* page = nullptr;
  unsigned pageNo = 0x10000;
  Integer pos = 0;
  for (size_t i = 0; i < length; ++i) {
    const char16_t c = text[i];
    if ((c >> 8) != pageNo) {
      pageNo = c >> 8;
      page = &PageOf(font, c);
    }
    const unsigned k = c & 0xFF;
    if (!page->Simple[k]) {
      glyphs.resize(before);
      positions.resize(before);
      return false;
    }
    if (!page->Blank[k]) {
      glyph[made] = page->Glyph[k];
      position[made] = QPointF(x + pos, baseline);
      ++made;
    }
    pos += dx ? dx[i] : page->Advance[k] + charExtra;
  }
  glyphs.resize(before + made);
  positions.resize(before + made);
  width = pos;
  return true;
}

void DrawGlyphs(QPainter& painter, const QRawFont& font, const QList<quint32>& glyphs,
                const QList<QPointF>& positions) {
  if (glyphs.isEmpty()) return;
  QGlyphRun glyphRun;
  glyphRun.setRawFont(font);
  glyphRun.setGlyphIndexes(glyphs);
  glyphRun.setPositions(positions);
  painter.drawGlyphRun(QPointF(0, 0), glyphRun);
}

bool DrawSimpleText(QPainter& painter, const TFontData& font, Integer x, Integer baseline, const char16_t* text,
                    size_t length, Integer charExtra, const Integer* dx, Integer& width) {
  QList<quint32> glyphs;
  QList<QPointF> positions;
  if (!AppendSimpleGlyphs(font, x, baseline, text, length, charExtra, dx, glyphs, positions, width)) return false;
  DrawGlyphs(painter, font.Raw, glyphs, positions);
  return true;
}

}  // namespace

void DrawShapedText(QPainter& painter, const TFontData& font, Integer x, Integer y, const char16_t* text,
                    size_t length, Integer charExtra, const Integer* dx, const QColor& color, bool rtlReading) {
  if (length == 0) return;
  const Integer baseline = y + font.Ascent;
  painter.setPen(color);
  Integer simpleWidth = 0;
  if (!rtlReading && DrawSimpleText(painter, font, x, baseline, text, length, charExtra, dx, simpleWidth)) {
    DrawDecorations(painter, font, x, baseline, simpleWidth, color);
    return;
  }
  auto shaped = ShapeText(font, text, length, rtlReading);
  // Left edge of every unit with the caller's advances or the character
  // extra. Right-to-left text keeps the places Qt gave its glyphs.
  const bool placeable = !shaped->AnyRightToLeft;
  std::vector<Integer> unitX;
  Integer totalWidth = shaped->Width;
  if (placeable) {
    unitX.resize(length);
    Integer pos = 0;
    for (size_t i = 0; i < length; ++i) {
      unitX[i] = pos;
      pos += dx ? dx[i] : shaped->Advances[i] + (shaped->ClusterStart[i] ? charExtra : 0);
    }
    totalWidth = pos;
  }
  for (const TShapedGlyphs& run : shaped->Runs) {
    QList<quint32> glyphs(run.Glyphs.begin(), run.Glyphs.end());
    QList<QPointF> positions;
    positions.reserve(static_cast<qsizetype>(run.Glyphs.size()));
    for (size_t g = 0; g < run.Glyphs.size(); ++g) {
      Integer gx = run.X[g];
      if (placeable && run.Unit[g] >= 0) {
        gx = unitX[static_cast<size_t>(run.Unit[g])];
      } else if (placeable && run.BaseUnit >= 0) {
        const size_t base = static_cast<size_t>(run.BaseUnit);
        gx += unitX[base] - shaped->UnitX[base];
      }
      positions.push_back(QPointF(x + gx, baseline));
    }
    QGlyphRun glyphRun;
    glyphRun.setRawFont(run.Font);
    glyphRun.setGlyphIndexes(glyphs);
    glyphRun.setPositions(positions);
    painter.drawGlyphRun(QPointF(0, 0), glyphRun);
  }
  DrawDecorations(painter, font, x, baseline, totalWidth, color);
}

bool TGlyphBatch::Add(QPainter& painter, const std::shared_ptr<const TFontData>& font, Integer x, Integer y,
                      const char16_t* text, size_t length, Integer charExtra, const Integer* dx,
                      const QColor& color, Integer& width) {
  if (!font || font->Font.underline() || font->Font.strikeOut()) return false;
  if (FFont && (FFont != font || FColor != color)) Flush(painter);
  if (!AppendSimpleGlyphs(*font, x, y + font->Ascent, text, length, charExtra, dx, FGlyphs, FPositions, width))
    return false;
  FFont = font;
  FColor = color;
  return true;
}

void TGlyphBatch::Flush(QPainter& painter) {
  if (!FFont) return;
  if (!FGlyphs.isEmpty()) {
    painter.setPen(FColor);
    DrawGlyphs(painter, FFont->Raw, FGlyphs, FPositions);
  }
  FFont.reset();
  FGlyphs.clear();
  FPositions.clear();
}

TSecretTextScope::TSecretTextScope(bool on) : FWas(SecretText) { SecretText = SecretText || on; }
TSecretTextScope::~TSecretTextScope() { SecretText = FWas; }
bool SecretTextActive() { return SecretText; }

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

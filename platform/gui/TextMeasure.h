#pragma once
// The text measuring contract of the drawing layer.
//
// - Kerning and ligatures are off, so widths add up: the width of a text is
//   the sum of the widths of its pieces.
// - Each run of one font is shaped once; its characters get whole-pixel
//   advances, and the extents are the cumulative sums of those advances.
// - Document text is drawn as glyph runs at exactly those positions, so a
//   caret or selection edge computed from the extents lands on the glyph.
// - Right-to-left and complex text is shaped by Qt (visual order, clusters,
//   font fallback); a cluster's width goes to its first UTF-16 unit.
//
// Positions are in device pixels of the font (TFont::Height is in pixels of
// the device the font is used on).
#include "platform/base/Types.h"

#include <QColor>
#include <QFont>
#include <QGlyphRun>
#include <QRawFont>
#include <array>
#include <memory>
#include <vector>

class TFont;

// Measuring data of one font: the Qt font, the raw font used for glyph
// runs and the rounded metrics. Shared by every TFont that describes the
// same face, size and style.
struct TFontData {
  QFont Font;
  QRawFont Raw;
  uint32_t Id = 0;
  Integer Height = 0;  // ascent + descent
  Integer Ascent = 0;
  Integer Descent = 0;
  Integer InternalLeading = 0;
  Integer ExternalLeading = 0;
  Integer AveCharWidth = 0;
  Integer MaxCharWidth = 0;
  Integer UnderlinePosition = 0;  // pixels below the baseline
  Integer UnderlineThickness = 1;
  Integer StrikeOutPosition = 0;  // pixels above the baseline
  Integer EmSquare = 0;
  Integer Weight = 400;
  bool FixedPitch = false;
  String ResolvedFamily;
  // Per-character glyphs and advances of simple text (TextMeasure.cpp).
  std::shared_ptr<struct TGlyphTable> Glyphs;
  // Fonts asked for as "Symbol" or "Wingdings": what the face found shows
  // for each code 0..0xFF (the code itself in a symbol face, its Unicode
  // twin in an ordinary one). Null for every other font.
  std::shared_ptr<const std::array<char16_t, 0x100>> SymbolCodes;
  // The face found keeps codes of its own (a symbol-encoded face).
  bool SymbolFace = false;
  // The codes are the Wingdings font's, not the Symbol font's.
  bool WingdingsCodes = false;
};

// The text as the face of font shows it: Symbol codes (also at
// U+F020..U+F0FF) become what the face draws them with, and Unicode twins of
// Symbol codes that a symbol face lacks become the codes. Unit for unit, so
// extents stay aligned; returns text itself when nothing changes.
const char16_t* FaceText(const TFontData& font, const char16_t* text, size_t length, std::u16string& buffer);

// Builds (or finds) the measuring data for a Qt font sized in pixels.
std::shared_ptr<const TFontData> FontDataFor(const QFont& font);

// One glyph run of shaped text, positions relative to the text's left edge
// and baseline, in whole pixels.
struct TShapedGlyphs {
  QRawFont Font;
  std::vector<quint32> Glyphs;
  std::vector<Integer> X;
  // Logical UTF-16 index each glyph belongs to (-1 when not known); such
  // glyphs move with explicit advances and character extra.
  std::vector<Integer> Unit;
  // For glyphs without a unit: the first unit of the word they belong to,
  // whose movement they follow (-1: they stay where shaping put them).
  Integer BaseUnit = -1;
};

// A shaped text: extents in logical order plus the glyphs to draw.
struct TShapedText {
  // Extents[i]: the cumulative width of units 0..i (logical order).
  std::vector<Integer> Extents;
  // Advance of every unit (0 for the trailing units of a cluster).
  std::vector<Integer> Advances;
  // Visual x of the left edge of every unit, relative to the text's left
  // edge; for left-to-right text this is Extents[i-1].
  std::vector<Integer> UnitX;
  // Visual position of each logical unit (0 = leftmost).
  std::vector<Integer> VisualOrder;
  // True for units of right-to-left runs.
  std::vector<bool> RightToLeft;
  // True for the first unit of every cluster (character extra follows each
  // cluster once).
  std::vector<bool> ClusterStart;
  std::vector<TShapedGlyphs> Runs;
  Integer Width = 0;
  // Simple text: one glyph per unit, left to right, from the font itself.
  bool Simple = true;
  bool AnyRightToLeft = false;
};

// Shapes text in a font (cached; safe to call from any thread). The result
// does not include character extra. With rtlReading the text reads right
// to left as a whole (its runs are ordered from the right).
std::shared_ptr<const TShapedText> ShapeText(const TFontData& font, const char16_t* text, size_t length,
                                             bool rtlReading = false);
inline std::shared_ptr<const TShapedText> ShapeText(const TFontData& font, const WideString& text,
                                                    bool rtlReading = false) {
  return ShapeText(font, text.data(), text.size(), rtlReading);
}

// Cumulative extents with extra pixels after every character (cluster).
void TextExtents(const TFontData& font, const char16_t* text, size_t length, Integer charExtra,
                 std::vector<Integer>& extents);
// The width of text, equal to the last extent.
Integer TextWidthOf(const TFontData& font, const char16_t* text, size_t length, Integer charExtra);
// How many units fit into maxExtent given cumulative extents (the largest
// count whose extent is <= maxExtent; never splits a cluster).
Integer FitCount(const std::vector<Integer>& extents, Integer maxExtent);

// Draws text with its left edge at x and its top at y (the baseline at
// y + Ascent) through painter, at the measured positions. With dx, unit i
// advances by dx[i] instead (one entry per UTF-16 unit). Decorations
// (underline, strike-out) follow the font.
class QPainter;
void DrawShapedText(QPainter& painter, const TFontData& font, Integer x, Integer y, const char16_t* text,
                    size_t length, Integer charExtra, const Integer* dx, const QColor& color,
                    bool rtlReading = false);

// Simple text held back and drawn as one glyph run while the font and the
// colour stay the same: a printer's page description grows by every run it
// is sent (a state of its own, the font, the colour), and a line of text
// that follows on in one style needs none of it again. Drawn in the order
// added, so the page is the same as drawing each text at once.
class TGlyphBatch {
public:
  // Adds text as DrawShapedText draws it, first drawing what is held when
  // the font or the colour differs, and answers its advance in width. False,
  // with nothing added, when the text needs shaping or has underline or
  // strike-out: the caller draws it itself after Flush.
  bool Add(QPainter& painter, const std::shared_ptr<const TFontData>& font, Integer x, Integer y,
           const char16_t* text, size_t length, Integer charExtra, const Integer* dx, const QColor& color,
           Integer& width);
  // Draws what is held through painter and empties the batch.
  void Flush(QPainter& painter);
  bool Empty() const { return FFont == nullptr; }

private:
  std::shared_ptr<const TFontData> FFont;
  QColor FColor;
  QList<quint32> FGlyphs;
  QList<QPointF> FPositions;
};

// While one is alive on a thread, text measured and drawn there is secret:
// shaping neither looks in the cache nor fills it, and the copies handed to
// Qt's text layout are wiped before they are freed.
class TSecretTextScope {
public:
  explicit TSecretTextScope(bool on);
  ~TSecretTextScope();
  TSecretTextScope(const TSecretTextScope&) = delete;
  TSecretTextScope& operator=(const TSecretTextScope&) = delete;

private:
  bool FWas;
};
bool SecretTextActive();

// Drops every cached shaping result (fonts installed or removed).
void ClearTextMeasureCache();
// Shaping results currently cached (for tests of the cache bounds).
size_t TextMeasureCacheSize();

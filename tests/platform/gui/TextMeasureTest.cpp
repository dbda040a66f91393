// The measuring contract: additive whole-pixel extents, fits that agree
// with the extents, and glyphs drawn exactly where the extents put them.
#include "platform/base/CodePages.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/TextMeasure.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

struct FontCase {
  const char* Name;
  int Size;
  TFontStyles Style;
};

const FontCase Fonts[] = {
    {"Liberation Sans", 10, {}}, {"Liberation Sans", 11, {fsBold}},           {"Liberation Serif", 12, {fsItalic}},
    {"DejaVu Sans", 9, {}},      {"Liberation Mono", 10, {fsBold, fsItalic}}, {"Arial", 14, {fsUnderline}},
};

void Apply(TCanvas& canvas, const FontCase& f) {
  canvas.Font.SetName(f.Name);
  canvas.Font.SetSize(f.Size);
  canvas.Font.SetStyle(f.Style);
}

QImage White(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(Qt::white);
  return img;
}

}  // namespace

TEST(TextMeasure, ExtentsAreAdditiveAndMatchWidths) {
  const WideString text = u"The quick brown fox, AV Wa To 1234 \u00e9t\u00e9 \u0416\u0438\u0437\u043d\u044c!";
  QImage img = White(10, 10);
  TCanvas canvas(static_cast<QPaintDevice*>(&img));
  for (const auto& f : Fonts) {
    Apply(canvas, f);
    std::vector<Integer> dx;
    Integer fit = -1;
    ASSERT_TRUE(canvas.GetTextExtentExPoint(text, 1 << 30, &fit, &dx));
    ASSERT_EQ(dx.size(), text.size());
    EXPECT_EQ(fit, static_cast<Integer>(text.size()));
    EXPECT_EQ(canvas.TextWidthW(text), dx.back()) << f.Name;
    for (size_t k = 1; k <= text.size(); ++k) {
      // Every prefix measured on its own equals its extent, and the rest
      // measured on its own makes up the difference (kerning is off).
      const Integer prefix = canvas.TextWidthW(text.substr(0, k));
      EXPECT_EQ(prefix, dx[k - 1]) << f.Name << " prefix " << k;
      EXPECT_EQ(prefix + canvas.TextWidthW(text.substr(k)), dx.back()) << f.Name << " split " << k;
    }
  }
}

TEST(TextMeasure, FitMatchesExtentsAtEveryBoundary) {
  const WideString text = u"Justified text wraps at fitted widths.";
  TCanvas canvas;
  for (const auto& f : Fonts) {
    Apply(canvas, f);
    std::vector<Integer> dx;
    canvas.GetTextExtentExPoint(text, 0, nullptr, &dx);
    for (size_t k = 1; k <= text.size(); ++k) {
      Integer fit = -1;
      canvas.GetTextExtentExPoint(text, dx[k - 1], &fit, nullptr);
      EXPECT_GE(fit, static_cast<Integer>(k)) << f.Name << " at " << k;
      EXPECT_TRUE(fit == static_cast<Integer>(text.size()) || dx[static_cast<size_t>(fit)] > dx[k - 1]);
      canvas.GetTextExtentExPoint(text, dx[k - 1] - 1, &fit, nullptr);
      EXPECT_LT(fit, static_cast<Integer>(k)) << f.Name << " below " << k;
    }
    Integer fit = -1;
    canvas.GetTextExtentExPoint(text, -1, &fit, nullptr);
    EXPECT_EQ(fit, 0);
    canvas.GetTextExtentExPoint(WideString(), 100, &fit, nullptr);
    EXPECT_EQ(fit, 0);
  }
}

TEST(TextMeasure, MixedStyleRunsDrawWhereMeasured) {
  // A line of three runs in three styles, laid out by adding run widths, is
  // drawn glyph for glyph where the extents say: drawing each character on
  // its own at its extent gives the same pixels as drawing the runs.
  struct Run {
    FontCase Font;
    WideString Text;
  } runs[] = {{{"Liberation Sans", 12, {}}, u"Mixed "},
              {{"Liberation Serif", 14, {fsBold, fsItalic}}, u"style "},
              {{"DejaVu Sans", 10, {}}, u"runs|ll"}};
  QImage whole = White(400, 40), pieces = White(400, 40);
  TCanvas a(static_cast<QPaintDevice*>(&whole)), b(static_cast<QPaintDevice*>(&pieces));
  for (TCanvas* c : {&a, &b}) c->Brush.Style = bsClear;
  Integer x = 5;
  Integer total = 0;
  for (const auto& run : runs) {
    Apply(a, run.Font);
    Apply(b, run.Font);
    a.TextOutW(x, 8, run.Text);
    std::vector<Integer> dx;
    b.GetTextExtentExPoint(run.Text, 0, nullptr, &dx);
    for (size_t i = 0; i < run.Text.size(); ++i) b.TextOutW(x + (i ? dx[i - 1] : 0), 8, run.Text.substr(i, 1));
    x += dx.back();
    total += b.TextWidthW(run.Text);
  }
  EXPECT_EQ(x - 5, total);
  a.ReleaseHandle();
  b.ReleaseHandle();
  EXPECT_TRUE(whole == pieces);
  // And the bar glyph's ink starts inside its own cell.
  TCanvas m;
  Apply(m, runs[2].Font);
  std::vector<Integer> dx;
  m.GetTextExtentExPoint(runs[2].Text, 0, nullptr, &dx);
  const Integer barLeft = x - dx.back() + dx[3];  // cell of '|'
  const Integer barRight = x - dx.back() + dx[4];
  // Only the upper half of the line, where the neighbouring lower-case
  // letters have no ink.
  TTextMetric tm;
  m.GetTextMetrics(tm);
  int inkColumn = -1;
  for (int col = barLeft - 2; col < barRight + 2 && inkColumn < 0; ++col)
    for (int row = 8; row < 8 + tm.tmAscent / 2; ++row)
      if (qGray(whole.pixel(col, row)) < 128) {
        inkColumn = col;
        break;
      }
  EXPECT_GE(inkColumn, barLeft);
  EXPECT_LT(inkColumn, barRight);
}

// Characters the font lacks come from a fallback font (an emoji beyond the
// basic plane, a star inside it): drawn as part of the whole text they stand
// where the extents put them, so that a piece drawn again at its measured
// place (a selected word) covers the same pixels.
TEST(TextMeasure, FallbackCharactersDrawWhereMeasured) {
  const WideString texts[] = {u"tset \U0001F600smiel", u"a\U0001F600b", u"xy \U0001F600\U0001F642 cd",
                              u"go \u2605star", u"\U0001F600"};
  for (const FontCase& f : {FontCase{"Liberation Sans", 10, {}}, FontCase{"Arial", 14, {}},
                            FontCase{"Liberation Serif", 12, {fsBold}}}) {
    for (const WideString& text : texts) {
      SCOPED_TRACE(std::string(f.Name) + " " + WideToUtf8(text));
      QImage whole = White(300, 40), pieces = White(300, 40);
      TCanvas a(static_cast<QPaintDevice*>(&whole)), b(static_cast<QPaintDevice*>(&pieces));
      for (TCanvas* c : {&a, &b}) {
        c->Brush.Style = bsClear;
        Apply(*c, f);
      }
      a.TextOutW(5, 8, text);
      std::vector<Integer> dx;
      b.GetTextExtentExPoint(text, 0, nullptr, &dx);
      ASSERT_EQ(dx.size(), text.size());
      // Each character on its own at its extent; a surrogate pair whole.
      for (size_t i = 0; i < text.size();) {
        const size_t n = text[i] >= 0xD800 && text[i] < 0xDC00 && i + 1 < text.size() ? 2 : 1;
        b.TextOutW(5 + (i ? dx[i - 1] : 0), 8, text.substr(i, n));
        i += n;
      }
      a.ReleaseHandle();
      b.ReleaseHandle();
      int firstDiff = -1;
      for (int x = 0; x < whole.width() && firstDiff < 0; ++x)
        for (int y = 0; y < whole.height(); ++y)
          if (whole.pixel(x, y) != pieces.pixel(x, y)) {
            firstDiff = x;
            break;
          }
      EXPECT_EQ(firstDiff, -1) << "drawn apart from its measured place from column " << firstDiff;
    }
  }
}

TEST(TextMeasure, CharacterExtraAddsToEveryCharacter) {
  TCanvas canvas;
  canvas.Font.SetName("Liberation Sans");
  canvas.Font.SetSize(10);
  const WideString text = u"spacing";
  const Integer plain = canvas.TextWidthW(text);
  EXPECT_EQ(canvas.SetTextCharacterExtra(3), 0);
  EXPECT_EQ(canvas.TextWidthW(text), plain + 3 * static_cast<Integer>(text.size()));
  std::vector<Integer> dx;
  canvas.GetTextExtentExPoint(text, 0, nullptr, &dx);
  EXPECT_EQ(dx.back(), canvas.TextWidthW(text));
  TCharacterPlacement placement;
  canvas.GetCharacterPlacement(text, placement);
  EXPECT_EQ(placement.Width, dx.back());
}

TEST(TextMeasure, ClustersAndRightToLeft) {
  TCanvas canvas;
  canvas.Font.SetName("DejaVu Sans");
  canvas.Font.SetSize(12);
  // A combining accent belongs to its base: the same edge for both units.
  std::vector<Integer> dx;
  canvas.GetTextExtentExPoint(u"e\u0301x", 0, nullptr, &dx);
  ASSERT_EQ(dx.size(), 3u);
  EXPECT_GT(dx[0], 0);
  EXPECT_EQ(dx[0], dx[1]);
  EXPECT_GT(dx[2], dx[1]);
  Integer fit = -1;
  canvas.GetTextExtentExPoint(u"e\u0301x", dx[0], &fit, nullptr);
  EXPECT_EQ(fit, 2);

  // Hebrew runs right to left: the first logical letter is drawn rightmost.
  const WideString hebrew = u"\u05e9\u05dc\u05d5\u05dd";
  TCharacterPlacement placement;
  ASSERT_TRUE(canvas.GetCharacterPlacement(hebrew, placement));
  ASSERT_EQ(placement.Order.size(), 4u);
  EXPECT_EQ(placement.Order[0], 3);
  EXPECT_EQ(placement.Order[3], 0);
  for (Byte cls : placement.Class) EXPECT_EQ(cls, GCPCLASS_HEBREW);
  canvas.GetTextExtentExPoint(hebrew, 0, nullptr, &dx);
  EXPECT_EQ(placement.Width, dx.back());

  // Mixed text keeps logical extents additive.
  const WideString mixed = u"abc \u05d0\u05d1\u05d2 def";
  canvas.GetTextExtentExPoint(mixed, 0, nullptr, &dx);
  EXPECT_EQ(dx.back(), canvas.TextWidthW(mixed));
  for (size_t i = 1; i < dx.size(); ++i) EXPECT_GE(dx[i], dx[i - 1]);

  // Reading order: left to right the Latin word comes first; read right to
  // left it comes last, while the extents do not change.
  TCharacterPlacement ltr, rtl;
  canvas.GetCharacterPlacement(mixed, ltr);
  canvas.SetTextAlign(TA_RTLREADING);
  canvas.GetCharacterPlacement(mixed, rtl);
  canvas.SetTextAlign(0);
  EXPECT_EQ(ltr.Order[0], 0);
  EXPECT_GT(rtl.Order[0], rtl.Order[4]);
  EXPECT_EQ(ltr.Width, rtl.Width);

  // Shaping results of complex text are cached and shared.
  const auto& fd = *canvas.FontData();
  EXPECT_EQ(ShapeText(fd, mixed).get(), ShapeText(fd, mixed).get());
}

TEST(TextMeasure, FontSizesAndMetrics) {
  TFont font;
  font.SetName("Liberation Sans");
  struct {
    Integer Ppi, Size, Height;
  } cases[] = {{96, 10, -13}, {96, 8, -11}, {96, 12, -16}, {600, 10, -83}, {1200, 10, -167}};
  for (const auto& c : cases) {
    font.SetPixelsPerInch(c.Ppi);
    font.SetSize(c.Size);
    EXPECT_EQ(font.GetHeight(), c.Height) << c.Ppi << " " << c.Size;
    EXPECT_EQ(font.GetSize(), c.Size);
  }
  TCanvas canvas;
  canvas.Font.SetName("Liberation Sans");
  canvas.Font.SetSize(10);
  TTextMetric tm;
  ASSERT_TRUE(canvas.GetTextMetrics(tm));
  EXPECT_EQ(tm.tmHeight, tm.tmAscent + tm.tmDescent);
  EXPECT_EQ(canvas.TextHeight("Xg"), tm.tmHeight);
  EXPECT_GE(tm.tmHeight, 13);
  EXPECT_GT(tm.tmAveCharWidth, 3);
  TOutlineTextMetric otm;
  ASSERT_TRUE(canvas.GetOutlineTextMetrics(otm));
  EXPECT_LT(otm.otmsUnderscorePosition, 0);
  EXPECT_GE(otm.otmsUnderscoreSize, 1);
  // A positive height asks for the cell height.
  canvas.Font.SetHeight(20);
  canvas.GetTextMetrics(tm);
  EXPECT_NEAR(tm.tmHeight, 20, 1);
  // Average character width scales the font horizontally.
  canvas.Font.SetSize(10);
  const Integer normal = canvas.TextWidthW(u"wwwwwwwwww");
  canvas.GetTextMetrics(tm);
  canvas.Font.SetWidth(tm.tmAveCharWidth * 2);
  EXPECT_GT(canvas.TextWidthW(u"wwwwwwwwww"), normal * 3 / 2);
}

TEST(TextMeasure, MissingFaceFallsBackAndSaysSo) {
  TFont font;
  font.SetName("No Such Face Quillory");
  font.SetSize(10);
  const String resolved = font.ResolvedName();
  EXPECT_FALSE(resolved.empty());
  EXPECT_NE(resolved, "No Such Face Quillory");
  TFont arial;
  arial.SetName("Arial");
  EXPECT_EQ(arial.ResolvedName(), "Liberation Sans");
  TCanvas canvas;
  canvas.Font.Assign(font);
  EXPECT_GT(canvas.TextWidth("fallback"), 20);
}

TEST(TextMeasure, PrinterResolutionScalesWidths) {
  // The same text at 600 pixels per inch is about 6.25 times as wide.
  TCanvas screen, printer;
  for (TCanvas* c : {&screen, &printer}) {
    c->Font.SetName("Liberation Serif");
  }
  printer.SetPixelsPerInch(600);
  screen.Font.SetSize(12);
  printer.Font.SetSize(12);
  const WideString text = u"A line of printed text to compare.";
  const double ratio = static_cast<double>(printer.TextWidthW(text)) / screen.TextWidthW(text);
  EXPECT_NEAR(ratio, 600.0 / 96.0, 0.35);
}

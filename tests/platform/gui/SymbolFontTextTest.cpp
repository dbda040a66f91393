// Text in the Symbol font reaches a glyph whatever face fontconfig finds for
// it: a symbol face takes the 8-bit codes, an ordinary face their Unicode
// twins; measuring and drawing agree either way.
#include "platform/gui/Graphics.h"
#include "platform/gui/SymbolEncoding.h"
#include "platform/gui/TextMeasure.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <gtest/gtest.h>

namespace {

QImage White(int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  img.fill(Qt::white);
  return img;
}

// Bounding box of the dark pixels; empty when there is no ink.
QRect Ink(const QImage& img) {
  QRect box;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (qGray(img.pixel(x, y)) < 160) box |= QRect(x, y, 1, 1);
  return box;
}

// The glyph the face found for "Symbol" has for a code, drawn with Qt
// alone: the twin when the face has it, else the code itself (a symbol
// face maps U+0020..U+00FF through its own table).
QRect OracleInk(int pixelSize, char16_t twin, unsigned code, int x, int baseline, QSize size) {
  QFont f;
  f.setFamilies({"Symbol"});
  f.setPixelSize(pixelSize);
  f.setHintingPreference(QFont::PreferNoHinting);
  const QRawFont raw = QRawFont::fromFont(f);
  quint32 glyph = 0;
  int n = 1;
  for (QChar c : {QChar(twin), QChar(static_cast<char16_t>(code))}) {
    if (!raw.supportsCharacter(c)) continue;
    raw.glyphIndexesForChars(&c, 1, &glyph, &n);
    break;
  }
  if (glyph == 0) return QRect();
  QImage img = White(size.width(), size.height());
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillPath(raw.pathForGlyph(glyph).translated(x, baseline), Qt::black);
  p.end();
  return Ink(img);
}

}  // namespace

TEST(SymbolEncoding, CodesAndTwinsMatch) {
  const struct {
    unsigned Code;
    char16_t Twin;
  } cases[] = {{0xB7, u'\u2022'}, {0xA7, u'\u2663'}, {0xDE, u'\u21D2'}, {0x61, u'\u03B1'}, {0x57, u'\u03A9'},
               {0xD7, u'\u22C5'}, {0xE0, u'\u25CA'}, {0x20, u' '},      {0x7F, 0},          {0xF0, 0},
               {0x1F, 0},         {0x100, 0}};
  for (const auto& c : cases) {
    EXPECT_EQ(SymbolCodeToUnicode(c.Code), c.Twin) << c.Code;
    if (c.Twin) {
      EXPECT_EQ(UnicodeToSymbolCode(c.Twin), c.Code) << c.Code;
    }
  }
  // Every twin leads back to a code that shows it; the serif and sans-serif
  // marks share theirs, and the serif code is the one chosen.
  for (unsigned code = 0x20; code <= 0xFF; ++code) {
    const char16_t twin = SymbolCodeToUnicode(code);
    if (twin) {
      EXPECT_EQ(SymbolCodeToUnicode(UnicodeToSymbolCode(twin)), twin) << code;
    }
  }
  EXPECT_EQ(UnicodeToSymbolCode(u'\u00AE'), 0xD2u);
  EXPECT_EQ(UnicodeToSymbolCode(u'\u00B7'), 0u);
  // Wingdings: the marks lists use, and codes beyond the plane.
  const struct {
    unsigned Code;
    char32_t Twin;
  } wingdings[] = {{0x9F, U'\u2022'}, {0x9E, U'\u22C5'},  {0xA7, U'\u25AA'}, {0x6C, U'\u25CF'}, {0xD8, U'\u27A2'},
                   {0xFC, U'\u2714'}, {0x76, U'\u2756'},  {0x71, U'\u2751'}, {0x4A, U'\u263A'}, {0x21, U'\U0001F589'},
                   {0x7F, 0},         {0xFF, 0},          {0x1F, 0},         {0x100, 0}};
  for (const auto& c : wingdings) EXPECT_EQ(WingdingsCodeToUnicode(c.Code), c.Twin) << std::hex << c.Code;
}

// The code, its private-use form and its twin draw the same glyph, with ink
// inside the measured width, where the face's own glyph is.
TEST(SymbolFontText, CodesDrawTheirGlyphsInWhateverFaceIsFound) {
  const struct {
    unsigned Code;
    char16_t Twin;
  } cases[] = {{0xB7, u'\u2022'}, {0xA7, u'\u2663'}, {0xDE, u'\u21D2'}, {0x61, u'\u03B1'}};
  constexpr int Size = 40;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Code);
    std::vector<QImage> drawn;
    for (const WideString& text : {WideString(1, static_cast<char16_t>(c.Code)),
                                   WideString(1, static_cast<char16_t>(0xF000 + c.Code)), WideString(1, c.Twin)}) {
      QImage img = White(Size * 2, Size * 2);
      Integer width = 0, ascent = 0;
      {
        TCanvas canvas(static_cast<QPaintDevice*>(&img));
        canvas.Font.SetName("Symbol");
        canvas.Font.SetHeight(-Size);
        canvas.Brush.Style = bsClear;
        canvas.TextOutW(10, 10, text);
        width = canvas.TextWidthW(text);
        TTextMetric tm;
        canvas.GetTextMetrics(tm);
        ascent = tm.tmAscent;
      }
      const QRect ink = Ink(img);
      ASSERT_FALSE(ink.isEmpty()) << "no ink for U+" << std::hex << static_cast<unsigned>(text[0]);
      EXPECT_GT(width, 0);
      EXPECT_GE(ink.left(), 10 - 2);
      EXPECT_LE(ink.right(), 10 + width + 1);
      const QRect oracle = OracleInk(Size, c.Twin, c.Code, 10, 10 + ascent, img.size());
      if (!oracle.isEmpty()) {
        EXPECT_NEAR(ink.left(), oracle.left(), 1);
        EXPECT_NEAR(ink.right(), oracle.right(), 1);
        EXPECT_NEAR(ink.top(), oracle.top(), 1);
        EXPECT_NEAR(ink.bottom(), oracle.bottom(), 1);
      }
      drawn.push_back(img);
    }
    EXPECT_TRUE(drawn[0] == drawn[1]);
    EXPECT_TRUE(drawn[0] == drawn[2]);
  }
}

// Other fonts keep their own characters: a middle dot is no bullet.
TEST(SymbolFontText, OtherFontsAreNotMapped) {
  auto draw = [](const char* name, char16_t ch) {
    QImage img = White(60, 60);
    TCanvas canvas(static_cast<QPaintDevice*>(&img));
    canvas.Font.SetName(name);
    canvas.Font.SetHeight(-30);
    canvas.Brush.Style = bsClear;
    canvas.TextOutW(10, 10, WideString(1, ch));
    canvas.ReleaseHandle();
    return Ink(img);
  };
  for (const char* name : {"Arial", "DejaVu Sans"}) {
    const QRect dot = draw(name, u'\u00B7'), bullet = draw(name, u'\u2022');
    ASSERT_FALSE(dot.isEmpty()) << name;
    EXPECT_LT(dot.width() * dot.height(), bullet.width() * bullet.height()) << name;
  }
}

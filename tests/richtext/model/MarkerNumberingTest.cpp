// List markers: counter texts, counting by level, legal numbering, the
// binary form, and markers placed in a document.
#include "platform/gui/Graphics.h"
#include "platform/gui/SymbolEncoding.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLMarkerText.h"
#include "richtext/model/VLMarkers.h"

#include <QImage>
#include <cmath>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <gtest/gtest.h>

#include <functional>

TEST(MarkerNumbering, CounterTexts) {
  struct TCase {
    Integer Value;
    TVLListType Type;
    const char* Text;
  };
  const TCase cases[] = {
      {1994, vllstUpperRoman, "MCMXCIV"}, {4000, vllstUpperRoman, "MMMM"},
      {14, vllstLowerRoman, "xiv"},       {0, vllstUpperRoman, "?"},
      {-3, vllstLowerRoman, "?"},         {1, vllstLowerAlpha, "a"},
      {26, vllstLowerAlpha, "z"},         {27, vllstLowerAlpha, "aa"},
      {28, vllstLowerAlpha, "ab"},        {702, vllstUpperAlpha, "ZZ"},
      {703, vllstUpperAlpha, "AAA"},      {0, vllstLowerAlpha, ""},
      {-7, vllstDecimal, "-7"},           {12, vllstImageListCounter, "12"},
      {5, vllstBullet, ""},               {5, vllstUnicodeBullet, ""},
  };
  for (const TCase& c : cases) EXPECT_EQ(VLCounterText(c.Value, c.Type), c.Text) << c.Value;

  TVLLevelTexts levels;
  levels[0] = "3";
  levels[1] = "1";
  EXPECT_EQ(VLFormatMarkerText("%0:s.%1:s", levels), "3.1");
  EXPECT_EQ(VLFormatMarkerText("%s-%s", levels), "3-1");
  // Specifiers that are no level text are copied, never interpreted.
  EXPECT_EQ(VLFormatMarkerText("%d %n %999:s %", levels), "%d %n %999:s %");
}

namespace {

struct TListDoc {
  explicit TListDoc(std::initializer_list<TVLListType> levelTypes, TVLListLevelOptions options = {vlloContinuous, vlloLevelReset})
      : Style(nullptr), Doc(&Style) {
    TVLListInfo* list = Style.ListStyles->Add();
    for (TVLListType t : levelTypes) {
      TVLListLevel* l = list->Levels->Add();
      l->ListType = t;
      l->FormatString = "%0:s.%1:s.%2:s";
      l->Options = options;
    }
  }
  void Add(Integer level, bool reset = false, Integer startFrom = 1) {
    Doc.SetListMarker(Doc.GetItemCount(), 0, level, startFrom, 0, reset);
    Doc.AddTextItem("item", 0, -1);
  }
  std::vector<Integer> Counters() {
    std::vector<Integer> r;
    TVLMarkerList* list = Doc.GetMarkers(false);
    for (Integer i = 0; list && i < list->Count(); ++i) r.push_back(list->GetCounter(i));
    return r;
  }
  AnsiString Text(Integer index) { return Doc.GetMarkers(false)->GetDisplayString(index); }
  TVLStyle Style;
  TVLDocumentData Doc;
};

}  // namespace

TEST(MarkerNumbering, CountingByLevel) {
  TListDoc d({vllstDecimal, vllstDecimal, vllstDecimal});
  for (Integer level : {0, 1, 1, 0, 1}) d.Add(level);
  EXPECT_EQ(d.Counters(), (std::vector<Integer>{1, 1, 2, 2, 1}));

  TListDoc noReset({vllstDecimal, vllstDecimal}, {vlloContinuous});
  for (Integer level : {0, 1, 1, 0, 1}) noReset.Add(level);
  EXPECT_EQ(noReset.Counters(), (std::vector<Integer>{1, 1, 2, 2, 3}));

  TListDoc inner({vllstDecimal, vllstDecimal, vllstDecimal});
  inner.Add(2);
  inner.Add(1);
  EXPECT_EQ(inner.Counters(), (std::vector<Integer>{1, 2}));

  TListDoc reset({vllstDecimal});
  reset.Add(0);
  reset.Add(0, true, 5);
  reset.Add(0);
  EXPECT_EQ(reset.Counters(), (std::vector<Integer>{1, 5, 6}));
}

TEST(MarkerNumbering, LevelTextsAndLegalNumbering) {
  for (bool legal : {false, true}) {
    TVLListLevelOptions options{vlloContinuous, vlloLevelReset};
    if (legal) options.Include(vlloLegalStyleNumbering);
    TListDoc d({vllstUpperRoman, vllstDecimal}, options);
    d.Style.ListStyles->Items(0)->Levels->Items(0)->FormatString = "%0:s.";
    d.Style.ListStyles->Items(0)->Levels->Items(1)->FormatString = "%0:s.%1:s";
    d.Add(0);
    d.Add(0);
    d.Add(0);
    d.Add(1);
    EXPECT_EQ(d.Text(2), "III.") << legal;
    EXPECT_EQ(d.Text(3), legal ? "3.1" : "III.1");
  }
  // A level-2 marker with no level-1 parent shows level 1's start value.
  TListDoc gap({vllstDecimal, vllstLowerAlpha, vllstDecimal});
  gap.Add(0);
  gap.Add(2);
  EXPECT_EQ(gap.Text(1), "1.a.1");
}

TEST(MarkerNumbering, BinaryFormRoundTripsAndRefusesLyingCounts) {
  TListDoc d({vllstDecimal, vllstDecimal});
  d.Add(0);
  d.Add(1, true, 7);
  TVLMarkerList* list = d.Doc.GetMarkers(false);
  AnsiString bin = list->SaveToBinaryString(list->Count());
  EXPECT_EQ(bin.size(), 8u + 2 * 17);
  TVLMarkerList back;
  ASSERT_TRUE(back.LoadFromBinaryString(bin, false));
  ASSERT_EQ(back.Count(), 2);
  EXPECT_EQ(back.Get(1)->Level, 1);
  EXPECT_TRUE(back.Get(1)->Reset);
  EXPECT_EQ(back.Get(1)->StartFrom, 7);
  EXPECT_EQ(back.GetCounter(1), 7);
  AnsiString lying = bin;
  lying[4] = '\x7F';
  EXPECT_FALSE(back.LoadFromBinaryString(lying, false));
  EXPECT_FALSE(back.LoadFromBinaryString(bin.substr(0, 20), false));
}

TEST(MarkerNumbering, MarkersInADocument) {
  TListDoc d({vllstDecimal});
  d.Doc.AddTextItem("one", 0, 0);
  d.Doc.AddTextItem("two", 0, -1);
  d.Doc.AddTextItem("three", 0, 0);
  // In the middle of a paragraph the marker goes to its start.
  d.Doc.SetListMarker(1, 0, 0, 1, 0, false);
  ASSERT_EQ(d.Doc.GetItemCount(), 4);
  EXPECT_EQ(d.Doc.GetItem(0)->StyleNo, vlsListMarker);
  EXPECT_TRUE(d.Doc.GetItem(1)->GetSameAsPrev());
  // Again on the same paragraph changes that marker.
  d.Doc.SetListMarker(2, 0, 0, 4, 0, true);
  EXPECT_EQ(d.Doc.GetItemCount(), 4);
  Integer listNo, level, startFrom;
  bool reset;
  EXPECT_EQ(d.Doc.GetListMarkerInfo(2, listNo, level, startFrom, reset), 0);
  EXPECT_EQ(startFrom, 4);
  EXPECT_TRUE(reset);
  EXPECT_EQ(d.Counters(), (std::vector<Integer>{4}));
  d.Doc.SetListMarker(3, 0, 0, 1, 0, false);
  EXPECT_EQ(d.Counters(), (std::vector<Integer>{4, 5}));
  EXPECT_EQ(d.Doc.GetListMarkerInfo(1, listNo, level, startFrom, reset), 0);
  // Removing one renumbers the rest; removing the last drops the list.
  d.Doc.DeleteItems(0, 1);
  EXPECT_EQ(d.Counters(), (std::vector<Integer>{1}));
  d.Doc.DeleteItems(2, 1);
  EXPECT_EQ(d.Doc.GetMarkers(false), nullptr);
}

// Markers of two lists in turn: one taken out, or moved to the other list,
// leaves the list it was in counted anew after it, whichever list's marker
// comes next.
TEST(MarkerNumbering, TheListAMarkerLeavesIsCountedAnew) {
  struct TCase {
    const char* What;
    std::function<void(TVLDocumentData&)> Change;
    std::vector<Integer> Counters;
  };
  const TCase cases[] = {
      {"the first taken out", [](TVLDocumentData& d) { d.DeleteItems(0, 2); }, {1, 1, 2, 2}},
      {"the second taken out", [](TVLDocumentData& d) { d.DeleteItems(2, 2); }, {1, 2, 1, 3}},
      {"the first moved to the other list", [](TVLDocumentData& d) { d.SetListMarker(0, 1, 0, 1, 0, false); },
       {1, 2, 1, 3, 2}},
  };
  for (const TCase& c : cases) {
    TListDoc d({vllstDecimal});
    d.Style.ListStyles->Add()->Levels->Add()->ListType = vllstDecimal;
    for (Integer listNo : {0, 1, 0, 1, 0}) {
      d.Doc.SetListMarker(d.Doc.GetItemCount(), listNo, 0, 1, 0, false);
      d.Doc.AddTextItem("item", 0, -1);
    }
    ASSERT_EQ(d.Counters(), (std::vector<Integer>{1, 1, 2, 2, 3}));
    c.Change(d.Doc);
    EXPECT_EQ(d.Counters(), c.Counters) << c.What;
  }
}

TEST(MarkerNumbering, PlainText) {
  TListDoc d({vllstLowerRoman, vllstBullet, vllstPicture});
  d.Style.ListStyles->Items(0)->Levels->Items(0)->FormatString = "(%0:s)";
  TVLListLevel* bullet = d.Style.ListStyles->Items(0)->Levels->Items(1);
  bullet->FormatString = "\xB7\xDE";
  bullet->GetFont()->SetName("symbol");
  d.Add(0);
  d.Add(0);
  d.Add(1);
  d.Add(2);
  TVLMarkerList* list = d.Doc.GetMarkers(false);
  EXPECT_EQ(VLMarkerAsText(*list->Get(1), d.Doc, false), "(ii) ");
  EXPECT_EQ(VLMarkerAsText(*list->Get(2), d.Doc, false), "*=> ");
  EXPECT_EQ(VLMarkerAsText(*list->Get(3), d.Doc, false), "* ");
  EXPECT_EQ(VLMarkerAsText(*list->Get(3), d.Doc, true), AnsiString("*\0 \0", 4));
}

TEST(MarkerNumbering, MeasuringSplitsTheBoxByAlignment) {
  TListDoc d({vllstDecimal});
  TVLListLevel* level = d.Style.ListStyles->Items(0)->Levels->Items(0);
  level->FormatString = "%0:s.";
  level->LeftIndent = 30;
  level->FirstIndent = -10;
  level->MarkerIndent = 0;
  d.Add(0);
  TVLMarkerItemInfo& marker = *d.Doc.GetMarkers(false)->Get(0);
  TBitmap bmp(10, 10);
  TCanvas& canvas = *bmp.Canvas();
  const Integer w = VLMeasureMarker(marker, d.Doc, canvas, nullptr, false).Height > 0
                        ? canvas.TextWidthW(u"1.")
                        : 0;
  ASSERT_GT(w, 0);
  struct TCase {
    TVLMarkerAlignment Align;
    bool Rtl;
    Integer Width, Offset, MinWidth;
  };
  const TCase cases[] = {
      {vlmaLeft, false, std::max(w, 20), 0, std::max(w, 20)},
      {vlmaRight, false, w + 20, -w, 20},
      {vlmaRight, true, w + 20, w, 20},
  };
  for (const TCase& c : cases) {
    level->MarkerAlignment = c.Align;
    TVLMarkerMetrics m = VLMeasureMarker(marker, d.Doc, canvas, nullptr, c.Rtl);
    EXPECT_EQ(m.Width, c.Width) << c.Align;
    EXPECT_EQ(m.Offset, c.Offset) << c.Align;
    EXPECT_EQ(m.MinWidth, c.MinWidth) << c.Align;
  }
  // At twice the screen's resolution the gap doubles.
  TVLScreenAndDevice sad;
  sad.ppixDevice = sad.ppiyDevice = 192;
  level->MarkerAlignment = vlmaRight;
  EXPECT_EQ(VLMeasureMarker(marker, d.Doc, canvas, &sad, false).MinWidth, 40);
  marker.ListNo = -1;
  EXPECT_EQ(VLMeasureMarker(marker, d.Doc, canvas, nullptr, false).Width, 0);
}

namespace {

// The rows of ink in a bitmap: first and last row with a dark pixel.
std::pair<Integer, Integer> InkRows(TBitmap& bmp) {
  Integer top = -1, bottom = -1;
  for (Integer y = 0; y < bmp.GetHeight(); ++y)
    for (Integer x = 0; x < bmp.GetWidth(); ++x)
      if ((bmp.Canvas()->GetPixel(x, y) & 0xFF) < 0xE0) {
        if (top < 0) top = y;
        bottom = y;
        break;
      }
  return {top, bottom};
}

std::vector<TColor> Pixels(TBitmap& bmp) {
  std::vector<TColor> r;
  for (Integer y = 0; y < bmp.GetHeight(); ++y)
    for (Integer x = 0; x < bmp.GetWidth(); ++x) r.push_back(bmp.Canvas()->GetPixel(x, y));
  return r;
}

// Box of the dark pixels of a bitmap; empty without ink.
QRect InkBox(TBitmap& bmp) {
  QRect box;
  for (Integer y = 0; y < bmp.GetHeight(); ++y)
    for (Integer x = 0; x < bmp.GetWidth(); ++x)
      if ((bmp.Canvas()->GetPixel(x, y) & 0xFF) < 0xA0) box |= QRect(x, y, 1, 1);
  return box;
}

// The ink of a glyph taken from the font itself with Qt alone: the first of
// the characters the face has, its outline filled with its baseline at
// baseline. Empty when the face has none of them.
QRect GlyphInk(const QFont& font, std::initializer_list<char16_t> chars, int x, int baseline, QSize size) {
  const QRawFont raw = QRawFont::fromFont(font);
  quint32 glyph = 0;
  for (char16_t ch : chars) {
    QChar c(ch);
    int n = 1;
    if (raw.supportsCharacter(c) && raw.glyphIndexesForChars(&c, 1, &glyph, &n) && glyph) break;
    glyph = 0;
  }
  if (!glyph) return QRect();
  QImage img(size, QImage::Format_RGB32);
  img.fill(Qt::white);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillPath(raw.pathForGlyph(glyph).translated(x, baseline), Qt::black);
  p.end();
  QRect box;
  for (int y = 0; y < img.height(); ++y)
    for (int xx = 0; xx < img.width(); ++xx)
      if (qGray(img.pixel(xx, y)) < 0xA0) box |= QRect(xx, y, 1, 1);
  return box;
}

void Clear(TBitmap& bmp) {
  bmp.Canvas()->Brush.Color = clWhite;
  bmp.Canvas()->Brush.Style = bsSolid;
  bmp.Canvas()->FillRect(TRect(0, 0, bmp.GetWidth(), bmp.GetHeight()));
}

}  // namespace

// A bullet of a symbol font draws as the glyph that font would show, not as
// the code page's character of the same byte; plain text keeps its readable
// forms, and the stored level is not touched.
TEST(MarkerNumbering, SymbolFontBulletsDrawAsTheirGlyphs) {
  const struct {
    const char* Font;  // "" for a level without a font
    char Code;
    char16_t Shown;
    const char* Plain;
    const char16_t* Unicode;  // the plain text in UTF-16: a code without a readable form as it shows
  } cases[] = {
      {"Symbol", '\xB7', u'\u2022', "* ", u"* "},          {"symbol", '\xDE', u'\u21D2', "=> ", u"=> "},
      {"Symbol", '\xA7', u'\u2663', "* ", u"* "},          {"Wingdings", '\xA7', u'\u25AA', "\xA7 ", u"\u25AA "},
      {"Wingdings", 'l', u'\u25CF', "l ", u"\u25CF "},     {"Arial", '\xB7', u'\u00B7', "\xB7 ", u"\u00B7 "},
      {"", '\xB7', u'\u00B7', "\xB7 ", u"\u00B7 "},         {"Symbol", 'o', u'o', "o ", u"\u03BF "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Font) + " " + std::to_string(static_cast<unsigned char>(c.Code)));
    TListDoc d({vllstBullet});
    TVLListLevel* level = d.Style.ListStyles->Items(0)->Levels->Items(0);
    level->FormatString = AnsiString(1, c.Code);
    if (*c.Font) {
      level->GetFont()->SetName(c.Font);
      level->GetFont()->SetSize(20);
    }
    d.Add(0);
    TVLMarkerItemInfo& marker = *d.Doc.GetMarkers(false)->Get(0);
    EXPECT_EQ(VLMarkerAsText(marker, d.Doc, false), c.Plain);
    EXPECT_EQ(RawUnicodeToWide(VLMarkerAsText(marker, d.Doc, true)), WideString(c.Unicode));

    TBitmap drawn(60, 60), expected(60, 60);
    Clear(drawn);
    Clear(expected);
    VLPaintMarker(marker, d.Doc, 5, 5, *drawn.Canvas());
    TCanvas& e = *expected.Canvas();
    e.Font.Assign(*level->GetFont());
    e.Brush.Style = bsClear;
    e.TextOutW(5, 5, WideString(1, c.Shown));
    EXPECT_NE(InkRows(drawn).first, -1);
    EXPECT_TRUE(Pixels(drawn) == Pixels(expected));
    // The ink is the glyph the face itself has for the character: its
    // Unicode form, or, in a face that keeps the symbol font's codes, the
    // code.
    const QFont& qf = e.Font.QtFont();
    const QRect oracle = GlyphInk(qf, {c.Shown, static_cast<char16_t>(static_cast<unsigned char>(c.Code))}, 5,
                                  5 + static_cast<int>(std::ceil(QRawFont::fromFont(qf).ascent() - 1e-6)), QSize(60, 60));
    ASSERT_FALSE(oracle.isEmpty());
    const QRect ink = InkBox(drawn);
    EXPECT_NEAR(ink.left(), oracle.left(), 1);
    EXPECT_NEAR(ink.right(), oracle.right(), 1);
    EXPECT_NEAR(ink.top(), oracle.top(), 1);
    EXPECT_NEAR(ink.bottom(), oracle.bottom(), 1);
    EXPECT_EQ(VLMeasureMarker(marker, d.Doc, e, nullptr, false).Height, e.TextExtentW(WideString(1, c.Shown)).cy);
    EXPECT_EQ(level->FormatString, AnsiString(1, c.Code));
  }
}

// The marker is as large as its level's font says.
TEST(MarkerNumbering, TheMarkerFollowsItsLevelsFontSize) {
  TListDoc d({vllstBullet});
  TVLListLevel* level = d.Style.ListStyles->Items(0)->Levels->Items(0);
  level->FormatString = "\xB7";
  level->GetFont()->SetName("Symbol");
  d.Add(0);
  TVLMarkerItemInfo& marker = *d.Doc.GetMarkers(false)->Get(0);
  std::vector<Integer> inks, heights;
  for (Integer size : {8, 12, 24}) {
    level->GetFont()->SetSize(size);
    TBitmap bmp(80, 80);
    Clear(bmp);
    VLPaintMarker(marker, d.Doc, 5, 5, *bmp.Canvas());
    const auto [top, bottom] = InkRows(bmp);
    ASSERT_GE(top, 0) << size;
    inks.push_back(bottom - top + 1);
    heights.push_back(VLMeasureMarker(marker, d.Doc, *bmp.Canvas(), nullptr, false).Height);
  }
  // A 12-point bullet is no speck, and twice the size draws it about twice
  // as large.
  EXPECT_GE(inks[1], 4);
  EXPECT_LT(inks[0], inks[1]);
  EXPECT_GE(inks[2], inks[1] * 3 / 2);
  EXPECT_LT(heights[0], heights[1]);
  EXPECT_LT(heights[1], heights[2]);
}

// The stock bulleted lists use these characters of the symbol fonts; a
// machine without those fonts must still show the bullet, not the letter
// that shares its code (Wingdings' check mark is "ü").
TEST(MarkerNumbering, EveryStockSymbolBulletHasItsUnicodeForm) {
  const struct {
    const char* Font;
    unsigned char Code;
    char16_t Shown;
  } cases[] = {
      {"Wingdings", 0x76, u'\u2756'}, {"Wingdings", 0xD8, u'\u27A2'}, {"Wingdings", 0xA7, u'\u25AA'},
      {"Wingdings", 0x71, u'\u2751'}, {"Wingdings", 0xFC, u'\u2714'}, {"Symbol", 0xB7, u'\u2022'},
      {"Symbol", 0xA8, u'\u2666'},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Font) + " " + std::to_string(c.Code));
    EXPECT_EQ(SymbolFontCharToUnicode(c.Font, c.Code), c.Shown);
    EXPECT_EQ(VLMarkerDisplayText(AnsiString(1, static_cast<char>(c.Code)), c.Font, 1252), WideString(1, c.Shown));
  }
}

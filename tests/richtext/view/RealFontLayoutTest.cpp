// Layout with the real fonts of the drawing layer: pieces are as wide as the
// canvas measures their text, lines stay within the width, and a painted
// document keeps its ink inside the boxes that layout gave its pieces.
#include "LayoutFixture.h"

#include "richtext/model/VLTextItems.h"
#include "richtext/model/VLUni.h"

#include <QImage>
#include <cstdlib>

using namespace qytest;

namespace {

struct TRealDoc : TLayoutDoc {
  TRealDoc() {
    Data.Measurer = TVLTextMeasurer::Default();
    for (Integer i = 0; i < Style.TextStyles->Count(); ++i) Style.TextStyles->Items(i)->FontName = "Arial";
    Style.TextStyles->Items(1)->Size = 14;
    Style.TextStyles->Items(1)->Style = TFontStyles{fsBold};
    Style.TextStyles->Items(2)->Style = TFontStyles{fsItalic};
    Data.Width = 480;
  }
};

// A mixed document: heading, styled body, a list, a picture box, a
// right-to-left paragraph, justified and centred text and a break.
void BuildMixed(TRealDoc& d) {
  const Integer justified = d.Para(vlaJustify);
  const Integer centred = d.Para(vlaCenter, 120);
  const Integer rtl = d.Para(vlaLeft, 100, vllsPercent, vlbdRightToLeft);
  d.Style.ParaStyles->Items(0)->SpaceAfter = 4;
  d.Text("A day by the river", 1, 0);
  d.Text("We walked along the water in the morning; the light was ", 0, 0);
  d.Text("quiet and grey", 2, -1);
  d.Text(", and the garden smelled of rain.", 0, -1);
  for (const char* entry : {"letters to answer", "seeds for the garden", "call the library"}) {
    d.Marker(12, 36);
    d.Text(entry, 0, -1);
  }
  d.Text("A sketch of the bridge:", 0, 0);
  d.Picture(120, 60);
  d.Wide(u"\u05E9\u05DC\u05D5\u05DD \u05E2\u05D5\u05DC\u05DD \u05D1\u05D5\u05E7\u05E8 \u05D8\u05D5\u05D1", 0, rtl);
  d.Text(" (hello world) ", 0, -1);
  d.Text("Justified text spreads the room that is left over evenly between the words of every line "
         "but the last one of its paragraph, which keeps its natural spacing.",
         0, justified);
  d.Break();
  d.Text("centred, with one and a fifth line spacing, across two lines of text in the middle", 0, centred);
}

// The debug painter: every piece where layout put it.
QImage Paint(TRealDoc& d) {
  QImage image(d.Data.Width, d.Data.DocumentHeight, QImage::Format_RGB32);
  image.fill(Qt::white);
  TCanvas canvas;
  canvas.SetDevice(&image);
  canvas.Brush.Style = bsClear;
  for (Integer i = 0; i < d.Data.DrawItems.Count(); ++i) {
    const TVLDrawLineInfo& di = d.DI(i);
    TCustomVLItemInfo* item = d.Data.GetItem(di.ItemNo);
    const Integer styleNo = d.Data.GetItemStyle(di.ItemNo);
    if (styleNo >= 0) {
      d.Style.ApplyStyle(&canvas, styleNo, VLGetItemBiDiMode(*d.Data.Items, &d.Style, di.ItemNo, vlbdUnspecified));
      canvas.Font.SetColor(clBlack);
      const WideString text = d.Data.GetDisplayText(di.ItemNo).substr(static_cast<size_t>(di.TextOffset - 1),
                                                                      static_cast<size_t>(di.Length));
      canvas.SetTextAlign(0);
      canvas.TextOutW(di.Left + di.JustifyExtra, di.Top, text);
    } else if (styleNo == vlsListMarker) {
      VLPaintMarker(*static_cast<TVLMarkerItemInfo*>(item), d.Data, di.Left, di.Top, canvas);
    } else if (styleNo == vlsBreak) {
      VLPaintBreak(*static_cast<TVLBreakItemInfo*>(item), di.Left, di.Left + di.Width, di.Top, canvas, {}, &d.Style);
    } else {
      canvas.Brush.Style = bsSolid;
      canvas.Brush.Color = 0xE0C0A0;
      canvas.FillRect(TRect(di.Left + 1, di.Top + 1, di.Left + di.Width - 1, di.Top + di.Height - 1));
      canvas.Brush.Style = bsClear;
    }
  }
  canvas.ReleaseHandle();
  return image;
}

}  // namespace

TEST(RealFontLayout, PiecesAreAsWideAsTheirText) {
  TRealDoc d;
  BuildMixed(d);
  d.Format();
  TCanvas canvas;
  Integer pieces = 0;
  for (Integer i = 0; i < d.Data.DrawItems.Count(); ++i) {
    const TVLDrawLineInfo& di = d.DI(i);
    const Integer styleNo = d.Data.GetItemStyle(di.ItemNo);
    if (styleNo < 0) continue;
    d.Style.ApplyStyle(&canvas, styleNo, vlbdUnspecified);
    const WideString text = d.Data.GetDisplayText(di.ItemNo).substr(static_cast<size_t>(di.TextOffset - 1),
                                                                    static_cast<size_t>(di.Length));
    EXPECT_EQ(di.Width - di.JustifyExtra, canvas.TextWidthW(text)) << "piece " << i;
    EXPECT_LE(di.Left + di.Width, d.Data.GetLeftMargin() + d.Data.TextWidth + 1) << "piece " << i;
    ++pieces;
  }
  EXPECT_GT(pieces, 20);
  // The text of every line start is its own measured height below the last.
  EXPECT_GT(d.Data.DocumentHeight, 200);
}

TEST(RealFontLayout, SurrogatePairsStayWhole) {
  TRealDoc d;
  d.Data.Options.Include(vloClientTextWidth);
  d.Data.Width = 14;
  d.Wide(u"\U0001F600\U0001F601a\U00010400\U00010401");
  d.Format();
  for (Integer i = 0; i < d.Data.DrawItems.Count(); ++i) {
    const TVLDrawLineInfo& di = d.DI(i);
    const WideString text = d.Data.GetDisplayText(0);
    const char16_t last = text[static_cast<size_t>(di.TextOffset + di.Length - 2)];
    EXPECT_FALSE(last >= 0xD800 && last <= 0xDBFF) << "piece " << i;
  }
}

TEST(RealFontLayout, PaintedInkStaysInsideThePieces) {
  TRealDoc d;
  BuildMixed(d);
  d.Format();
  const QImage image = Paint(d);
  if (const char* dir = std::getenv("QY_SCREENSHOT_DIR")) image.save(QString::fromUtf8(dir) + "/layout-mixed.png");
  // Every painted pixel lies in a piece's box (two pixels of slack for
  // antialiasing and italic overhang).
  int outside = 0, ink = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      if ((image.pixel(x, y) & 0xFFFFFF) == 0xFFFFFF) continue;
      ++ink;
      bool inside = false;
      for (Integer i = 0; i < d.Data.DrawItems.Count() && !inside; ++i) {
        const TVLDrawLineInfo& di = d.DI(i);
        inside = x >= di.Left - 2 && x < di.Left + di.Width + 2 && y >= di.Top - 1 && y <= di.Top + di.Height + 1;
      }
      if (!inside) ++outside;
    }
  EXPECT_GT(ink, 1000);
  EXPECT_EQ(outside, 0);
}

// Text in the Symbol font, in its private-use forms and as Unicode twins,
// is laid out and painted with ink inside every piece, whichever face the
// machine finds for "Symbol".
TEST(RealFontLayout, SymbolFontTextShowsInItsPieces) {
  TRealDoc d;
  TFontInfo* symbol = d.Style.TextStyles->Add();
  symbol->FontName = "Symbol";
  symbol->Size = 16;
  symbol->Unicode = true;
  const Integer symbolStyle = d.Style.TextStyles->Count() - 1;
  const std::u16string texts[] = {u"\uF0B7", u"\uF0A7", u"\uF0DE", u"\u2022", u"\uF061\uF062"};
  for (const auto& t : texts) d.Data.AddTextItemTag(Raw(t), symbolStyle, 0, TVLTag());
  d.Format();
  ASSERT_EQ(d.Data.DrawItems.Count(), static_cast<Integer>(std::size(texts)));
  const QImage image = Paint(d);
  for (Integer i = 0; i < d.Data.DrawItems.Count(); ++i) {
    const TVLDrawLineInfo& di = d.DI(i);
    EXPECT_GT(di.Width, 0) << "piece " << i;
    int ink = 0;
    for (int y = di.Top; y < di.Top + di.Height && y < image.height(); ++y)
      for (int x = di.Left; x < di.Left + di.Width && x < image.width(); ++x)
        if (qGray(image.pixel(x, y)) < 128) ++ink;
    EXPECT_GT(ink, 4) << "piece " << i;
  }
}

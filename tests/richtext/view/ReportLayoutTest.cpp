// Report layout: a document cut into pages of caller-given heights on a
// bitmap, without a printer.
#include "ViewerFixture.h"

#include "richtext/view/VLReport.h"

#include <QImage>

namespace {

struct TReport {
  TReport() : Style(nullptr) {
    for (Integer i = 0; i < Style.TextStyles->Count(); ++i) {
      Style.TextStyles->Items(i)->FontName = "Arial";
      Style.TextStyles->Items(i)->Unicode = true;
    }
    Helper.Vellum()->SetStyle(&Style);
  }
  void Paragraphs(Integer count) {
    for (Integer i = 1; i <= count; ++i) Helper.Vellum()->AddTextItem("Line " + std::to_string(i), 0, 0);
  }
  // The texts page p draws.
  std::vector<String> Texts(Integer p, TCanvas* canvas) {
    std::vector<String> texts;
    Style.OnDrawStyleText = [&](TVLStyle*, const AnsiString& s, TCanvas*, Integer, Integer, Integer, Integer,
                                Integer, Integer, TVLTextDrawStates, bool&) {
      String ascii;
      for (char ch : s)
        if (ch) ascii += ch;
      texts.push_back(ascii);
    };
    Helper.DrawPage(p, canvas, 0, 0);
    Style.OnDrawStyleText = nullptr;
    return texts;
  }
  TVLStyle Style;
  TVLReportHelper Helper;
};

}  // namespace

TEST(ReportLayout, PagesOfGivenHeights) {
  TReport r;
  r.Paragraphs(60);
  TBitmap bmp(300, 300);
  r.Helper.Init(bmp.Canvas(), 300);
  std::vector<Integer> heights;
  for (Integer h : {150, 300, 200, 400, 400, 400, 400, 400, 400, 400, 400}) {
    if (!r.Helper.FormatNextPage(h)) break;
    heights.push_back(h);
  }
  const Integer pages = r.Helper.PagesCount();
  ASSERT_GE(pages, 3);
  EXPECT_FALSE(r.Helper.FormatNextPage(400));
  EXPECT_EQ(r.Helper.PagesCount(), pages);
  // Each page holds no more than its height, and every line is printed
  // once, in order.
  int next = 1;
  for (Integer p = 1; p <= pages; ++p) {
    EXPECT_LE(r.Helper.PageContentHeight(p), heights[static_cast<size_t>(p - 1)]) << p;
    for (const String& t : r.Texts(p, bmp.Canvas())) EXPECT_EQ(t, "Line " + std::to_string(next++));
  }
  EXPECT_EQ(next, 61);
  // The short first page holds fewer lines than the second.
  EXPECT_LT(r.Texts(1, bmp.Canvas()).size(), r.Texts(2, bmp.Canvas()).size());
  EXPECT_THROW(r.Helper.DrawPage(pages + 1, bmp.Canvas(), 0, 0), EVellumError);
}

TEST(ReportLayout, DrawsAtTheGivenPlace) {
  TReport r;
  r.Paragraphs(3);
  TBitmap bmp(400, 200);
  bmp.Canvas()->Brush.Color = clWhite;
  bmp.Canvas()->FillRect(TRect(0, 0, 400, 200));
  r.Helper.Init(bmp.Canvas(), 200);
  ASSERT_TRUE(r.Helper.FormatNextPage(200));
  r.Helper.DrawPage(1, bmp.Canvas(), 200, 0);
  bmp.Canvas()->ReleaseHandle();
  const QImage* image = bmp.Canvas()->ImageDevice();
  int leftDark = 0, rightDark = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 400; ++x)
      if (qRed(image->pixel(x, y)) < 0x80) ++(x < 200 ? leftDark : rightDark);
  EXPECT_EQ(leftDark, 0);
  EXPECT_GT(rightDark, 20);
  EXPECT_EQ(bmp.Canvas()->GetViewportOrgEx(), TPoint(0, 0));
}

TEST(ReportLayout, EmptyDocumentAndCounter) {
  TReport r;
  TBitmap bmp(100, 100);
  EXPECT_FALSE(r.Helper.FormatNextPage(100));  // before Init
  r.Helper.Init(bmp.Canvas(), 100);
  EXPECT_FALSE(r.Helper.FormatNextPage(100));
  EXPECT_EQ(r.Helper.PagesCount(), 0);
  const Integer top = r.Helper.Vellum()->TopMargin, bottom = r.Helper.Vellum()->BottomMargin;
  r.Paragraphs(2);
  for (int i = 1; i < 10000; ++i) r.Helper.Init(bmp.Canvas(), 100);
  EXPECT_EQ(r.Helper.FormatCounter(), 0);
  EXPECT_EQ(r.Helper.Vellum()->TopMargin, top);
  EXPECT_EQ(r.Helper.Vellum()->BottomMargin, bottom);
  EXPECT_TRUE(r.Helper.FormatNextPage(100));
}

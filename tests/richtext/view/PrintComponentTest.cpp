// The print component's requests: the picture of a control supplied by the
// program, the list a document saved from inside a list continues on
// paper, and the range of the page being drawn.
#include "PrintFixture.h"

#include "platform/gui/StdCtrls.h"
#include "richtext/model/VLItem.h"

#include <QImage>

using qytest::TPrintDoc;

namespace {

TColor PixelAt(TBitmap& bmp, Integer x, Integer y) {
  const QImage* image = bmp.Canvas()->ImageDevice();
  bmp.Canvas()->ReleaseHandle();
  const QRgb c = image->pixel(x, y);
  return static_cast<TColor>(qRed(c) | (qGreen(c) << 8) | (qBlue(c) << 16));
}

TEST(PrintComponent, AControlPrintsAsThePictureTheProgramSupplies) {
  constexpr TColor Red = 0x0000FF;
  struct Case {
    bool handler, supplies;
  } cases[] = {{true, true}, {true, false}, {false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.handler) + std::to_string(c.supplies));
    TPrintDoc doc;
    doc.Style.Color = clWhite;
    doc.Add("Before");
    auto* item = new TVLControlItemInfo(doc.View->VLData());
    item->StyleNo = vlsComponent;
    item->ParaNo = 0;
    auto* button = new TButton(nullptr);
    button->SetBounds(0, 0, 60, 30);
    item->Control = button;
    doc.View->AddItem("", item);
    const Integer itemNo = doc.View->ItemCount() - 1;
    std::vector<TControl*> asked;
    if (c.handler)
      doc.Print.OnPrintComponent = [&](TVLPrint* sender, TControl* printMe, std::unique_ptr<TBitmap>& image) {
        EXPECT_EQ(sender, &doc.Print);
        EXPECT_FALSE(image);
        asked.push_back(printMe);
        if (!c.supplies) return;
        image = std::make_unique<TBitmap>(60, 30);
        image->Canvas()->Brush.Color = Red;
        image->Canvas()->FillRect(TRect(0, 0, 60, 30));
        image->Canvas()->ReleaseHandle();
      };
    ASSERT_EQ(doc.Paginate(), 1);
    TVLMainPrintableData& pd = doc.PD();
    const TVLDrawLineInfo* d = nullptr;
    for (Integer i = 0; i < pd.DrawItems.Count(); ++i)
      if (pd.DrawItems[i]->ItemNo == itemNo) d = pd.DrawItems[i];
    ASSERT_TRUE(d);
    const Integer x = pd.LeftOffset + d->Left + d->Width / 2, y = d->Top - pd.GetPageTopCoord(1) + d->Height / 2;
    TBitmap bmp(x + d->Width, y + d->Height);
    pd.DrawPage(1, bmp.Canvas(), false, false);
    EXPECT_EQ(asked, c.handler ? std::vector<TControl*>{button} : std::vector<TControl*>{});
    EXPECT_EQ(PixelAt(bmp, x, y) == Red, c.supplies);
  }
}

TEST(PrintComponent, ADocumentSavedInsideAListContinuesItOnPaper) {
  struct Case {
    bool inside;
    Integer listNo, level;
    Integer expectedIndent;  // screen pixels; -1: the paragraph's own
  } cases[] = {{true, 0, 1, 90}, {true, 0, 0, 45}, {false, 0, 1, -1}, {true, -1, 0, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.inside) + " " + std::to_string(c.listNo) + " " + std::to_string(c.level));
    TPrintDoc doc;
    TVLListInfo* list = doc.Style.ListStyles->Add();
    list->Levels->Add()->LeftIndent = 45;
    list->Levels->Add()->LeftIndent = 90;
    doc.Style.ParaStyles->Items(0)->LeftIndent = 7;
    doc.Add("Continued item");
    doc.Add("Next");
    TVLLayoutInfo layout;
    layout.StartsInsideParagraph = c.inside;
    layout.StartMarkerListNo = c.listNo;
    layout.StartMarkerLevel = c.level;
    doc.Format();
    doc.Print.AssignSource(doc.View.get());
    doc.PD().ApplyLayoutInfo(layout);
    doc.Print.FormatPages();
    ASSERT_EQ(doc.Print.GetPagesCount(), 1);
    TVLMainPrintableData& pd = doc.PD();
    Integer listNo = -2, level = -2;
    bool useStart = false;
    pd.GetStartListLevel(listNo, level, useStart);
    const bool stored = c.inside && c.listNo >= 0;
    EXPECT_EQ(listNo, stored ? c.listNo : -1);
    EXPECT_EQ(level, stored ? c.level : -1);
    EXPECT_EQ(useStart, stored);
    const Integer margin = MulDiv(doc.View->LeftMargin, 600, 96);
    const Integer indent = c.expectedIndent < 0 ? 7 : c.expectedIndent;
    EXPECT_NEAR(pd.DrawItems[0]->Left, margin + MulDiv(indent, 600, 96), 1);
    // Only the first paragraph continues the list.
    EXPECT_NEAR(pd.DrawItems[pd.DrawItems.Count() - 1]->Left, margin + MulDiv(7, 600, 96), 1);
  }
}

TEST(PrintComponent, TheRangeOfThePageBeingDrawn) {
  TPrintDoc doc;
  doc.Paragraphs(300);
  const Integer pages = doc.Paginate();
  ASSERT_GE(pages, 2);
  TVLMainPrintableData& pd = doc.PD();
  TVLPageRange range;
  EXPECT_FALSE(pd.GetDrawnPageRange(range));
  std::vector<TVLPageRange> seen;
  doc.Print.OnPagePostpaint = [&](TVLPrint*, Integer, TCanvas*, bool, const TRect&, const TRect&) {
    TVLPageRange r;
    EXPECT_TRUE(doc.PD().GetDrawnPageRange(r));
    seen.push_back(r);
  };
  TBitmap bmp(20, 20);
  for (Integer p = 1; p <= pages; ++p) pd.DrawPage(p, bmp.Canvas(), false, false);
  ASSERT_EQ(static_cast<Integer>(seen.size()), pages);
  for (Integer p = 1; p <= pages; ++p) {
    SCOPED_TRACE(p);
    const std::vector<Integer> items = doc.ItemsOnPage(p);
    const TVLPageRange& r = seen[static_cast<size_t>(p - 1)];
    EXPECT_EQ(r.StartItemNo, items.front());
    EXPECT_EQ(r.EndItemNo, items.back());
    EXPECT_EQ(r.StartOffs, 1);
    EXPECT_EQ(r.EndOffs, static_cast<Integer>(("Paragraph " + std::to_string(items.back() + 1)).size()) + 1);
    EXPECT_EQ(r.StartPart, -1);
    EXPECT_EQ(r.EndPart, -1);
  }
  EXPECT_FALSE(pd.GetDrawnPageRange(range));
}

}  // namespace

// The item resizer: handles on exactly one selected picture, the frame a
// drag of each handle gives (proportions, symmetric Ctrl drags, minimum),
// and the committed size as one undo step.
#include "EditTestSupport.h"
#include "richtext/model/VLItem.h"

using namespace qytest;

namespace {

// "ab", a 100 x 50 picture (spacing 1: a 102 x 52 draw item), "cd".
struct TPictureDoc : TEditDoc {
  TPictureDoc() {
    Text("ab");
    auto p = TVLGraphicItemInfo::CreateEx(&Data, std::make_unique<TBitmap>(100, 50), vlvaBaseline);
    p->ParaNo = -1;
    Data.AddItem("", p.release());
    Data.AddTextItem("cd", 0, -1);
    Data.Width = 400;
    Format();
  }
  void SelectPicture() {
    const Integer d = Data.Item2FirstDrawItem(1);
    Data.SelStartDrawItem = Data.SelEndDrawItem = d;
    Data.SelStartOffs = 0;
    Data.SelEndOffs = 1;
    Data.PlaceCaret(false, false, false);
  }
  TVLGraphicItemInfo* Picture() { return static_cast<TVLGraphicItemInfo*>(Data.GetItem(1)); }
};

}  // namespace

TEST(Resizer, HandlesShowOnlyOnOneSelectedResizablePicture) {
  TPictureDoc d;
  d.Caret(0, 2);
  EXPECT_EQ(d.Data.Resizer, nullptr);
  d.SelectPicture();
  ASSERT_NE(d.Data.Resizer, nullptr);
  EXPECT_EQ(d.Data.Resizer->ItemNo, 1);
  // A selection of more than the picture has none.
  d.Data.SelEndDrawItem = d.Data.Item2FirstDrawItem(2);
  d.Data.SelEndOffs = 2;
  d.Data.PlaceCaret(false, false, false);
  EXPECT_EQ(d.Data.Resizer, nullptr);
  // Neither has a picture in a read-only paragraph.
  d.Style.ParaStyles->Items(0)->Options = d.Style.ParaStyles->Items(0)->Options + TVLParaOptions{vlpaoReadOnly};
  d.SelectPicture();
  EXPECT_EQ(d.Data.Resizer, nullptr);
}

// The handles name a line of the layout. Laid out again, the paragraph's
// new lines may take the freed lines' addresses (the allocator hands them
// back): the line at the handles' number is then another item's, at the
// same address, and the handles go, or move to the picture's own line.
TEST(Resizer, HandlesLeaveALineThatNowHoldsAnotherItem) {
  for (const bool after : {false, true}) {
    SCOPED_TRACE(after ? "the line after" : "the line before");
    TPictureDoc d;
    d.SelectPicture();
    ASSERT_NE(d.Data.Resizer, nullptr);
    const Integer n = d.Data.Resizer->DrawItemNo;
    TVLDrawLineInfo* line = d.Data.DrawItems[n];
    TVLDrawLineInfo* other = d.Data.DrawItems[after ? n + 1 : n - 1];
    // The picture's line at the text's address, the text's at the picture's.
    std::swap(*line, *other);
    d.Data.RefreshResizer();
    if (const TVLItemResizer* r = d.Data.Resizer.get()) {
      EXPECT_EQ(r->Item, d.Picture());
      EXPECT_EQ(d.Data.GetItem(d.Data.DrawItems[r->DrawItemNo]->ItemNo), d.Picture()) << "the handles on the text";
    }
    std::swap(*line, *other);
  }
}

TEST(Resizer, DraggingEachHandleGivesTheExpectedFrame) {
  struct TCase {
    const char* What;
    Integer Handle;
    Integer DX, DY;
    bool Shift, Ctrl;
    TVLItemResizer::TFrame Expected;
  } cases[] = {
      // The draw item is 102 x 52; handles sit 3 pixels inside it.
      {"bottom-right corner keeps the proportions", 2, 50, 0, false, false, {0, 0, 152, 77}},
      {"right edge changes the width only", 5, 20, 0, false, false, {0, 0, 122, 52}},
      {"right edge with Shift keeps the proportions", 5, 100, 0, true, false, {0, 0, 202, 102}},
      {"bottom edge with Ctrl grows both sides", 6, 0, 10, false, true, {0, -10, 102, 62}},
      {"left edge with Ctrl grows both sides", 7, -20, 0, false, true, {-20, 0, 122, 52}},
      {"a corner drag that does not move keeps the size", 0, 0, 0, false, false, {0, 0, 102, 52}},
      {"past the opposite edge stops at 2 pixels", 5, -300, 0, false, false, {0, 0, 2, 52}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    TPictureDoc d;
    d.SelectPicture();
    TVLItemResizer& r = *d.Data.Resizer;
    Integer hx, hy;
    r.GetHandlePos(c.Handle, true, hx, hy);
    const Integer x = r.DrawItem->Left + hx, y = r.DrawItem->Top + hy;
    Integer hit = -1;
    ASSERT_TRUE(r.HandleAt(x, y, 0, 0, hit));
    EXPECT_EQ(hit, c.Handle);
    ASSERT_TRUE(r.StartDrag(x, y, 0, 0));
    r.DragTo(c.Shift, c.Ctrl, x + c.DX, y + c.DY, 0, 0);
    EXPECT_EQ(r.Frame.Left, c.Expected.Left);
    EXPECT_EQ(r.Frame.Top, c.Expected.Top);
    EXPECT_EQ(r.Frame.Right, c.Expected.Right);
    EXPECT_EQ(r.Frame.Bottom, c.Expected.Bottom);
  }
}

TEST(Resizer, ACommittedSizeIsOneUndoStepAndEscapeCommitsNothing) {
  TPictureDoc d;
  const AnsiString before = d.Vlf();
  d.SelectPicture();
  TVLItemResizer& r = *d.Data.Resizer;
  Integer hx, hy;
  r.GetHandlePos(5, true, hx, hy);
  ASSERT_TRUE(r.StartDrag(r.DrawItem->Left + hx, r.DrawItem->Top + hy, 0, 0));
  r.DragTo(false, false, r.DrawItem->Left + hx - 40, r.DrawItem->Top + hy, 0, 0);
  EXPECT_TRUE(d.Data.CancelResize());
  r.EndDrag();
  EXPECT_EQ(r.Width, 102);
  // A drag to a 62 x 52 frame stores 60 x 50 (the spacing comes off).
  ASSERT_TRUE(r.StartDrag(r.DrawItem->Left + hx, r.DrawItem->Top + hy, 0, 0));
  r.DragTo(false, false, r.DrawItem->Left + hx - 40, r.DrawItem->Top + hy, 0, 0);
  r.EndDrag();
  d.Data.CommitResize(r.ItemNo, r.Width, r.Height);
  EXPECT_EQ(d.Picture()->GetImageWidth(&d.Style), 60);
  EXPECT_EQ(d.Picture()->GetImageHeight(&d.Style), 50);
  ASSERT_EQ(d.Data.UndoList->Count(), 1);
  EXPECT_EQ(d.Data.UndoList->Get(0)->UndoType, vlutModifyItem);
  EXPECT_EQ(d.Data.DrawItems[d.Data.Item2FirstDrawItem(1)]->Width, 62);
  d.Data.UndoList->Undo(&d.Data);
  EXPECT_EQ(d.Vlf(), before);
  EXPECT_EQ(d.Data.DrawItems[d.Data.Item2FirstDrawItem(1)]->Width, 102);
}

// A click on the selection that starts no drag, in an editor scrolled
// sideways: past the end of a short line the caret goes to the line's end,
// out of sight, and is shown once the press is over, whether its release
// came to the editor or went elsewhere.
#include "EditorFixture.h"

#include "richtext/model/VLItem.h"

using namespace qytest;

namespace {

// "ab", then a picture wider than the view in a paragraph of its own.
void Fill(TEditor& e) {
  e.Edit->Clear();
  e.Edit->AddTextItem("ab", 0, 0);
  auto bitmap = std::make_unique<TBitmap>(900, 20);
  bitmap->Canvas()->Brush.Color = 0xC8A070;
  bitmap->Canvas()->FillRect(TRect(0, 0, 900, 20));
  auto pic = TVLGraphicItemInfo::CreateEx(e.Edit->VLData(), std::move(bitmap), vlvaBaseline);
  pic->ParaNo = 0;
  e.Edit->AddItem("", pic.release());
  e.Edit->Format();
}

}  // namespace

TEST(ClickOnSelection, ACaretPutPastTheEndOfALineScrolledAwayIsShownOnceThePressIsOver) {
  struct TCase {
    const char* What;
    bool ReleaseElsewhere;  // the next the editor hears is a move without the button
  };
  const TCase cases[] = {{"released in place", false}, {"the release went elsewhere", true}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    TEditor e;
    Fill(e);
    e.Edit->SelectAll();
    e.Edit->HScrollTo(300);
    TVLEditVLData& d = e.D();
    ASSERT_GT(d.GetHOffset(), 0) << "the view does not scroll sideways";
    // On the first line, right of its end (inside the selection's lines).
    const TVLDrawLineInfo* first = d.DrawItems[0];
    const Integer x = 150, y = first->Top + first->Height / 2 - d.GetVOffset();
    ASSERT_GT(x + d.GetHOffset(), first->Left + first->Width);
    e.Edit->MouseDown(mbLeft, TShiftState{ssLeft}, x, y);
    ASSERT_TRUE(d.GetState() & vlstDragPending) << "the press on the selection armed no drag";
    if (c.ReleaseElsewhere)
      e.Edit->MouseMove(TShiftState(), x, y);
    else
      e.Edit->MouseUp(mbLeft, TShiftState(), x, y);
    EXPECT_FALSE(d.SelectionExists());
    EXPECT_EQ(d.GetCaretItemNo(), 0);
    EXPECT_EQ(d.GetCaretOffset(), d.GetItemEndOffset(0));
    EXPECT_TRUE(d.CaretInView()) << "the caret at " << d.CaretX << " of a view scrolled to " << d.GetHOffset();
    // It needs no sideways scroll: the view shows the left edge.
    EXPECT_EQ(d.GetHOffset(), 0);
  }
}

// The editor's own state across document operations: deleting unused
// styles keeps the current styles and drops the undo history that names
// styles by number; replacing one whole item keeps its tag.
#include "EditTestSupport.h"

using namespace qytest;

TEST(EditorBookkeeping, DeletingUnusedStylesKeepsTheCurrentStyles) {
  TEditDoc d;
  // Two styles no item uses; the second is current.
  TFontInfo* gone = d.Style.TextStyles->Add();
  gone->Size = 31;
  gone->Standard = false;
  TFontInfo* cur = d.Style.TextStyles->Add();
  cur->Size = 33;
  cur->Standard = false;
  TParaInfo* para = d.Style.ParaStyles->Add();
  para->SpaceBefore = 17;
  para->Standard = false;
  d.Text("abc");
  d.Format();
  d.Caret(0, 4);
  d.Data.BeginUndoSequence(vlutTyping, true);
  d.Data.InsertTypedString("x");
  ASSERT_EQ(d.Data.UndoList->Count(), 1);
  d.Data.CurTextStyleNo = d.Style.TextStyles->Count() - 1;
  d.Data.CurParaStyleNo = d.Style.ParaStyles->Count() - 1;
  d.Data.DeleteUnusedStyles(true, true, false);
  ASSERT_LT(d.Data.CurTextStyleNo, d.Style.TextStyles->Count());
  EXPECT_EQ(d.Style.TextStyles->Items(d.Data.CurTextStyleNo)->Size, 33);
  ASSERT_LT(d.Data.CurParaStyleNo, d.Style.ParaStyles->Count());
  EXPECT_EQ(d.Style.ParaStyles->Items(d.Data.CurParaStyleNo)->SpaceBefore, 17);
  for (Integer i = 0; i < d.Style.TextStyles->Count(); ++i) EXPECT_NE(d.Style.TextStyles->Items(i)->Size, 31);
  EXPECT_EQ(d.Data.UndoList->Count(), 0);
  EXPECT_EQ(d.Data.RedoList->Count(), 0);
}

TEST(EditorBookkeeping, ReplacingOneWholeItemOfTheCurrentStyleKeepsItsTag) {
  struct TCase {
    const char* What;
    Integer SelEnd;     // offset where the selection of "abc" ends
    Integer CurStyle;
    bool KeepsTag;
  } cases[] = {
      {"the whole item", 4, 0, true},
      {"part of the item", 3, 0, false},
      {"another current style", 4, 1, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    TEditDoc d;
    d.Text("abc");
    d.Data.AddTextItem("de", 1, -1);
    d.Data.GetItem(0)->Tag.Int = 77;
    d.Format();
    d.Data.SelStartDrawItem = d.Data.SelEndDrawItem = 0;
    d.Data.SelStartOffs = 1;
    d.Data.SelEndOffs = c.SelEnd;
    d.Data.CurTextStyleNo = c.CurStyle;
    d.Data.CaptureCurTag();
    EXPECT_EQ(d.Data.CurTag.Int == 77, c.KeepsTag);
  }
}

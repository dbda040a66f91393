#include "ActionTestSupport.h"
#include "EditorBench.h"
#include "actions/VLActionsPara.h"

#include <gtest/gtest.h>

namespace {

// Two paragraphs of plain text, the caret at the start of the first.
void TwoParagraphs(TEditorBench& b, Integer para = 0) {
  b.Edit->Clear();
  b.Edit->AddTextItem("one", 0, para);
  b.Edit->AddTextItem("two", 0, para);
  b.Edit->Format();
  b.Edit->SetCaret(0, b.Edit->GetItemStartOffset(0));
}

TEST(ParagraphActionTest, AligningTwiceAddsNoStyleAndChecksTheCurrentAlignment) {
  TEditorBench b;
  b.PlainSheet();
  TwoParagraphs(b);
  TvlActionAlignCenter center(nullptr);
  TvlActionAlignLeft left(nullptr);
  center.SetControl(b.Edit);
  left.SetControl(b.Edit);
  left.Update();
  EXPECT_TRUE(left.GetChecked());
  ASSERT_TRUE(center.Execute());
  ASSERT_EQ(b.Sheet->ParaStyles->Count(), 2);
  EXPECT_EQ(b.Para(1).Alignment, vlaCenter);
  EXPECT_FALSE(b.Para(1).Standard);
  EXPECT_EQ(b.Edit->GetItem(0)->ParaNo, 1);
  EXPECT_EQ(b.Edit->GetItem(1)->ParaNo, 0);  // the caret touched only the first
  ASSERT_TRUE(center.Execute());
  EXPECT_EQ(b.Sheet->ParaStyles->Count(), 2);
  EXPECT_TRUE(center.GetChecked());
  left.Update();
  EXPECT_FALSE(left.GetChecked());
}

TEST(ParagraphActionTest, IndentStepsClampAndKeepTheFirstLineOnThePage) {
  struct Case {
    const char* what;
    bool increase;
    Integer left, first;
    TVLBorderStyle border;
    TVLBiDiMode bidi;
    Integer wantLeft, wantRight, wantFirst;
  };
  const Case cases[] = {
      {"dec from 10", false, 10, 0, vlbNone, vlbdUnspecified, 0, 0, 0},
      {"dec keeps first line at margin 5", false, 10, -30, vlbNone, vlbdUnspecified, 0, 0, -5},
      {"dec with a 2-px border offset 4", false, 10, 0, vlbSingle, vlbdUnspecified, 5, 0, 0},
      {"inc to the maximum", true, 190, 0, vlbNone, vlbdUnspecified, 200, 0, 0},
      {"inc on the right in RTL", true, 10, 0, vlbNone, vlbdRightToLeft, 10, 24, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TEditorBench b;
    b.PlainSheet();
    Integer para = b.AddPara([&](TParaInfo& p) {
      p.LeftIndent = c.left;
      p.FirstIndent = c.first;
      p.Border.Style = c.border;
      p.Border.Width = 2;
      p.Border.BorderOffsets.Left = 4;
      p.BiDiMode = c.bidi;
    });
    TwoParagraphs(b, para);
    TvlActionIndentInc inc(nullptr);
    TvlActionIndentDec dec(nullptr);
    TvlAction& action = c.increase ? static_cast<TvlAction&>(inc) : dec;
    action.SetControl(b.Edit);
    ASSERT_TRUE(action.Execute());
    const TParaInfo& p = b.Para(b.Edit->GetItem(0)->ParaNo);
    EXPECT_EQ(p.LeftIndent, c.wantLeft);
    EXPECT_EQ(p.RightIndent, c.wantRight);
    EXPECT_EQ(p.FirstIndent, c.wantFirst);
    EXPECT_EQ(b.Edit->GetItem(1)->ParaNo, para);
  }
}

// The list levels move with the indent (what the fake editor counts; a
// real list's levels are the editor's own tests').
TEST(ParagraphActionTest, IndentStepsAlsoMoveListLevels) {
  for (bool increase : {true, false}) {
    TActionBench b;
    b.Editor->SetRuns({{"text", 0, 0, true}});
    TvlActionIndentInc inc(nullptr);
    TvlActionIndentDec dec(nullptr);
    TvlAction& action = increase ? static_cast<TvlAction&>(inc) : dec;
    action.SetControl(b.Editor);
    ASSERT_TRUE(b.Run(action));
    EXPECT_EQ(b.Editor->ListLevelChanges, increase ? 1 : -1);
  }
}

TEST(ParagraphActionTest, OneUndoRestoresStylesAndListLevels) {
  TEditorBench b;
  b.PlainSheet();
  TwoParagraphs(b);
  TvlActionIndentInc inc(nullptr);
  inc.SetControl(b.Edit);
  ASSERT_TRUE(inc.Execute());
  ASSERT_NE(b.Edit->GetItem(0)->ParaNo, 0);
  b.Edit->Undo();
  EXPECT_EQ(b.Edit->GetItem(0)->ParaNo, 0);
  EXPECT_EQ(b.Edit->GetUndoType(), 0);  // it was one step
  // The fake's count of list levels comes back too.
  TActionBench f;
  f.Editor->SetRuns({{"text", 0, 0, true}});
  inc.SetControl(f.Editor);
  ASSERT_TRUE(f.Run(inc));
  EXPECT_EQ(f.Editor->UndoList.size(), 1u);
  EXPECT_EQ(f.Editor->GroupMode, 0);
  f.Editor->Undo();
  EXPECT_EQ(f.Editor->ListLevelChanges, 0);
}

TEST(ParagraphActionTest, WordWrapAndLineSpacingFollowTheCurrentParagraph) {
  TEditorBench b;
  b.PlainSheet();
  Integer between = b.AddPara([](TParaInfo& p) {
    p.LineSpacing = 150;
    p.LineSpacingType = vllsSpaceBetween;
  });
  TwoParagraphs(b, between);
  TvlActionLineSpacing150 spacing(nullptr);
  TvlActionWordWrap wrap(nullptr);
  spacing.SetControl(b.Edit);
  wrap.SetControl(b.Edit);
  spacing.Update();
  EXPECT_FALSE(spacing.GetChecked());  // 150 of the other type
  ASSERT_TRUE(spacing.Execute());
  const TParaInfo& p = b.Para(b.Edit->GetItem(0)->ParaNo);
  EXPECT_EQ(p.LineSpacingType, vllsPercent);
  EXPECT_EQ(p.LineSpacing, 150);
  spacing.Update();
  EXPECT_TRUE(spacing.GetChecked());

  ASSERT_TRUE(wrap.Execute());  // checked (wrapping): turns it off
  EXPECT_TRUE(b.Para(b.Edit->GetItem(0)->ParaNo).Options.Contains(vlpaoNoWrap));
  wrap.Update();
  EXPECT_FALSE(wrap.GetChecked());
}

TEST(ParagraphActionTest, ProtectedParagraphsStayAndRefusalsChangeNothing) {
  TEditorBench b;
  b.PlainSheet();
  Integer locked = b.AddPara([](TParaInfo& p) { p.Options.Include(vlpaoStyleProtect); });
  TwoParagraphs(b, locked);
  TvlActionAlignRight right(nullptr);
  right.SetControl(b.Edit);
  ASSERT_TRUE(right.Execute());
  EXPECT_EQ(b.Edit->GetItem(0)->ParaNo, locked);
  // Refused by the host: nothing moves, no step of undo.
  TwoParagraphs(b);
  b.Edit->OnChanging = [](TCustomVellumEdit*, bool& can) { can = false; };
  ASSERT_TRUE(right.Execute());
  EXPECT_EQ(b.Edit->GetItem(0)->ParaNo, 0);
  EXPECT_EQ(b.Sheet->ParaStyles->Count(), 2);
  EXPECT_EQ(b.Edit->GetUndoType(), 0);
}

// No style sheet: what only the fake editor can be.
TEST(ParagraphActionTest, FailuresDisable) {
  TActionBench b;
  b.Editor->SetRuns({{"text", 0, 0, true}});
  TvlActionAlignRight right(nullptr);
  right.SetControl(b.Editor);
  right.Update();
  ASSERT_TRUE(right.GetEnabled());
  b.Editor->Style = nullptr;
  right.Update();
  EXPECT_FALSE(right.GetEnabled());
}

TEST(ParagraphActionTest, ColourWithPaddingRaisesTheSpacingOfChosenSides) {
  TEditorBench b;
  b.PlainSheet();
  Integer para = b.AddPara([](TParaInfo& p) {
    p.LeftIndent = 6;
    p.SpaceBefore = 20;
  });
  TwoParagraphs(b, para);
  TvlActionParaColorAndPadding action(nullptr);
  action.SetControl(b.Edit);
  action.UserInterface = vlacNone;
  action.SetColor(0x00FF00);
  action.Padding.Left = 12;
  action.Padding.Top = 3;
  action.PaddingSides.Right = false;
  action.Padding.Right = 9;
  ASSERT_TRUE(action.Execute());
  const TParaInfo& p = b.Para(b.Edit->GetItem(0)->ParaNo);
  EXPECT_EQ(p.Background.Color, 0x00FF00);
  EXPECT_EQ(p.Background.BorderOffsets.Left, 12);
  EXPECT_EQ(p.LeftIndent, 12);
  EXPECT_EQ(p.Background.BorderOffsets.Top, 3);
  EXPECT_EQ(p.SpaceBefore, 20);
  EXPECT_EQ(p.Background.BorderOffsets.Right, 0);
  EXPECT_EQ(action.GetCurrentColor(ActionEditorOf(b.Edit)), 0x00FF00);
}

}  // namespace

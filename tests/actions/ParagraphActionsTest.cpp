#include "ActionTestSupport.h"
#include "actions/VLActionsPara.h"

#include <gtest/gtest.h>

namespace {

TEST(ParagraphActionTest, AligningTwiceAddsNoStyleAndChecksTheCurrentAlignment) {
  TActionBench b;
  b.Editor->SetRuns({{"one", 0, 0, true}, {"two", 0, 0, true}});
  TvlActionAlignCenter center(nullptr);
  TvlActionAlignLeft left(nullptr);
  center.SetControl(b.Editor);
  left.SetControl(b.Editor);
  left.Update();
  EXPECT_TRUE(left.GetChecked());
  ASSERT_TRUE(b.Run(center));
  ASSERT_EQ(b.Sheet->ParaStyles->Count(), 2);
  EXPECT_EQ(b.Para(1).Alignment, vlaCenter);
  EXPECT_FALSE(b.Para(1).Standard);
  EXPECT_EQ(b.Editor->Runs[0].ParaNo, 1);
  EXPECT_EQ(b.Editor->Runs[1].ParaNo, 0);  // the caret touched only the first
  ASSERT_TRUE(b.Run(center));
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
    TActionBench b;
    Integer para = b.AddPara([&](TParaInfo& p) {
      p.LeftIndent = c.left;
      p.FirstIndent = c.first;
      p.Border.Style = c.border;
      p.Border.Width = 2;
      p.Border.BorderOffsets.Left = 4;
      p.BiDiMode = c.bidi;
    });
    b.Editor->SetRuns({{"text", 0, para, true}});
    TvlActionIndentInc inc(nullptr);
    TvlActionIndentDec dec(nullptr);
    TvlAction& action = c.increase ? static_cast<TvlAction&>(inc) : dec;
    action.SetControl(b.Editor);
    ASSERT_TRUE(b.Run(action));
    const TParaInfo& p = b.Para(b.Editor->Runs[0].ParaNo);
    EXPECT_EQ(p.LeftIndent, c.wantLeft);
    EXPECT_EQ(p.RightIndent, c.wantRight);
    EXPECT_EQ(p.FirstIndent, c.wantFirst);
    EXPECT_EQ(b.Editor->ListLevelChanges, c.increase ? 1 : -1);
  }
}

TEST(ParagraphActionTest, OneUndoRestoresStylesAndListLevels) {
  TActionBench b;
  b.Editor->SetRuns({{"text", 0, 0, true}});
  TvlActionIndentInc inc(nullptr);
  inc.SetControl(b.Editor);
  ASSERT_TRUE(b.Run(inc));
  EXPECT_EQ(b.Editor->UndoList.size(), 1u);
  EXPECT_EQ(b.Editor->GroupMode, 0);
  b.Editor->Undo();
  EXPECT_EQ(b.Editor->Runs[0].ParaNo, 0);
  EXPECT_EQ(b.Editor->ListLevelChanges, 0);
}

TEST(ParagraphActionTest, WordWrapAndLineSpacingFollowTheCurrentParagraph) {
  TActionBench b;
  Integer between = b.AddPara([](TParaInfo& p) {
    p.LineSpacing = 150;
    p.LineSpacingType = vllsSpaceBetween;
  });
  b.Editor->SetRuns({{"text", 0, between, true}});
  TvlActionLineSpacing150 spacing(nullptr);
  TvlActionWordWrap wrap(nullptr);
  spacing.SetControl(b.Editor);
  wrap.SetControl(b.Editor);
  spacing.Update();
  EXPECT_FALSE(spacing.GetChecked());  // 150 of the other type
  ASSERT_TRUE(b.Run(spacing));
  const TParaInfo& p = b.Para(b.Editor->Runs[0].ParaNo);
  EXPECT_EQ(p.LineSpacingType, vllsPercent);
  spacing.Update();
  EXPECT_TRUE(spacing.GetChecked());

  ASSERT_TRUE(b.Run(wrap));  // checked (wrapping): turns it off
  EXPECT_TRUE(b.Para(b.Editor->Runs[0].ParaNo).Options.Contains(vlpaoNoWrap));
  wrap.Update();
  EXPECT_FALSE(wrap.GetChecked());
}

TEST(ParagraphActionTest, ProtectedParagraphsStayAndFailuresDisable) {
  TActionBench b;
  Integer locked = b.AddPara([](TParaInfo& p) { p.Options.Include(vlpaoStyleProtect); });
  b.Editor->SetRuns({{"text", 0, locked, true}});
  TvlActionAlignRight right(nullptr);
  right.SetControl(b.Editor);
  ASSERT_TRUE(b.Run(right));
  EXPECT_EQ(b.Editor->Runs[0].ParaNo, locked);
  b.Editor->Style = nullptr;
  right.Update();
  EXPECT_FALSE(right.GetEnabled());
}

TEST(ParagraphActionTest, ColourWithPaddingRaisesTheSpacingOfChosenSides) {
  TActionBench b;
  Integer para = b.AddPara([](TParaInfo& p) {
    p.LeftIndent = 6;
    p.SpaceBefore = 20;
  });
  b.Editor->SetRuns({{"text", 0, para, true}});
  TvlActionParaColorAndPadding action(nullptr);
  action.SetControl(b.Editor);
  action.UserInterface = vlacNone;
  action.SetColor(0x00FF00);
  action.Padding.Left = 12;
  action.Padding.Top = 3;
  action.PaddingSides.Right = false;
  action.Padding.Right = 9;
  ASSERT_TRUE(b.Run(action));
  const TParaInfo& p = b.Para(b.Editor->Runs[0].ParaNo);
  EXPECT_EQ(p.Background.Color, 0x00FF00);
  EXPECT_EQ(p.Background.BorderOffsets.Left, 12);
  EXPECT_EQ(p.LeftIndent, 12);
  EXPECT_EQ(p.Background.BorderOffsets.Top, 3);
  EXPECT_EQ(p.SpaceBefore, 20);
  EXPECT_EQ(p.Background.BorderOffsets.Right, 0);
  EXPECT_EQ(action.GetCurrentColor(b.Editor), 0x00FF00);
}

}  // namespace

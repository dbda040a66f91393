#include "ActionTestSupport.h"
#include "actions/VLActionsFontStyle.h"

#include <gtest/gtest.h>

namespace {

TEST(FontSizeStepTest, PercentAndOnePointStepsFollowTheirRounding) {
  struct Case {
    Integer size;
    Integer grow, shrink, growPoint, shrinkPoint;
  };
  // Grow/shrink by 10 % round halves to even; one-point steps keep the sign.
  const Case cases[] = {
      {8, 9, 7, 9, 7},     {10, 11, 9, 11, 9},  {11, 12, 10, 12, 10}, {12, 13, 11, 13, 11},
      {5, 6, 4, 6, 4},     {15, 16, 14, 16, 14}, {25, 28, 22, 26, 24}, {95, 100, 86, 96, 94},
      {1, 2, 1, 2, 1},     {100, 100, 90, 100, 99}, {-10, -11, -9, -11, -9},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size);
    EXPECT_EQ(GrowSizeByPercent(c.size, 10, 100), c.grow);
    EXPECT_EQ(ShrinkSizeByPercent(c.size, 10, 1), c.shrink);
    EXPECT_EQ(GrowSizeByOnePoint(c.size, 100), c.growPoint);
    EXPECT_EQ(ShrinkSizeByOnePoint(c.size, 1), c.shrinkPoint);
  }
  EXPECT_EQ(GrowSizeByPercent(120, 10, 100), 100);
  EXPECT_EQ(ShrinkSizeByPercent(3, 10, 4), 4);
  // Growing a negative size stops at the limit instead of running away.
  EXPECT_EQ(GrowSizeByPercent(-95, 10, 100), -100);
}

TEST(FontStyleActionTest, BoldFromABoldCaretClearsBoldEverywhereAsOneUndoStep) {
  TActionBench b;
  Integer bold = b.AddText([](TFontInfo& s) { s.Style.Include(fsBold); });
  b.Editor->SetRuns({{"Bold", bold, 0, true}, {"plain", 0, 0, false}, {"more", bold, 0, false}});
  b.Editor->CurTextStyleNo = bold;
  b.Editor->Select(0, 1, 2, 5);
  TvlActionFontBold action(nullptr);
  action.SetControl(b.Editor);
  const Integer stylesBefore = b.Sheet->TextStyles->Count();

  ASSERT_TRUE(b.Run(action));
  EXPECT_TRUE(action.GetChecked());  // from the caret's style, before executing
  for (const TFakeRun& r : b.Editor->Runs) EXPECT_FALSE(b.Text(r.StyleNo).Style.Contains(fsBold)) << r.Text;
  // Un-bolding the bold style finds the plain style 0: nothing is added.
  EXPECT_EQ(b.Editor->Runs[0].StyleNo, 0);
  EXPECT_EQ(b.Sheet->TextStyles->Count(), stylesBefore);
  EXPECT_EQ(b.Editor->UndoList.size(), 1u);
  b.Editor->Undo();
  EXPECT_EQ(b.Editor->Runs[0].StyleNo, bold);
  EXPECT_EQ(b.Editor->Runs[1].StyleNo, 0);

  // From a plain caret every run becomes bold, plain runs sharing one new style.
  b.Editor->CurTextStyleNo = 0;
  ASSERT_TRUE(b.Run(action));
  EXPECT_FALSE(action.GetChecked());
  for (const TFakeRun& r : b.Editor->Runs) EXPECT_TRUE(b.Text(r.StyleNo).Style.Contains(fsBold)) << r.Text;
  EXPECT_EQ(b.Editor->Runs[1].StyleNo, bold);
}

TEST(FontStyleActionTest, ConversionReusesOrAddsOneNonStandardStyle) {
  TActionBench b;
  int added = 0;
  ActionEvents->OnStyleAdded = [&](TObject*, TCustomVLInfo*) { ++added; };
  b.Editor->SetRuns({{"one", 0, 0, true}, {"two", 0, 0, false}});
  b.Editor->Select(0, 1, 1, 4);
  TvlActionFontItalic italic(nullptr);
  italic.SetControl(b.Editor);
  ASSERT_TRUE(b.Run(italic));
  ActionEvents->OnStyleAdded = nullptr;
  EXPECT_EQ(added, 1);
  ASSERT_EQ(b.Sheet->TextStyles->Count(), 2);
  EXPECT_FALSE(b.Text(1).Standard);
  EXPECT_TRUE(b.Text(1).Style.Contains(fsItalic));
  EXPECT_EQ(b.Editor->Runs[0].StyleNo, 1);
  EXPECT_EQ(b.Editor->Runs[1].StyleNo, 1);
  EXPECT_EQ(b.Editor->CurTextStyleNo, 1);
}

TEST(FontStyleActionTest, ProtectedStylesAndTheCaretSwitchRuleAreKept) {
  TActionBench b;
  Integer locked = b.AddText([](TFontInfo& s) { s.Protection.Include(vlprStyleProtect); });
  Integer sticky = b.AddText([](TFontInfo& s) { s.Protection.Include(vlprDoNotAutoSwitch); });
  b.Editor->SetRuns({{"locked", locked, 0, true}, {"sticky", sticky, 0, false}});
  b.Editor->CurTextStyleNo = sticky;
  b.Editor->Select(0, 1, 1, 7);
  TvlActionFontUnderline underline(nullptr);
  underline.SetControl(b.Editor);
  ASSERT_TRUE(b.Run(underline));
  EXPECT_EQ(b.Editor->Runs[0].StyleNo, locked);
  // A selected run of a no-auto-switch style changes; the caret style does not.
  EXPECT_TRUE(b.Text(b.Editor->Runs[1].StyleNo).Style.Contains(fsUnderline));
  EXPECT_EQ(b.Editor->CurTextStyleNo, sticky);
}

TEST(FontStyleActionTest, HandlerIsRestoredAndUpdateDisablesWithoutAStyleSheet) {
  TActionBench b;
  bool ownCalled = false;
  b.Editor->OnStyleConversion = [&](TVLActionEditor*, Integer, Integer, bool, Integer&) { ownCalled = true; };
  b.Editor->SetRuns({{"x", 0, 0, true}});
  TvlActionFontGrow grow(nullptr);
  grow.SetControl(b.Editor);
  ASSERT_TRUE(b.Run(grow));
  EXPECT_EQ(b.Text(b.Editor->CurTextStyleNo).Size, 11);
  ASSERT_TRUE(b.Editor->OnStyleConversion);
  Integer n = 0;
  b.Editor->OnStyleConversion(b.Editor, 0, 0, false, n);
  EXPECT_TRUE(ownCalled);

  TvlActionFontOverline overline(nullptr);
  overline.SetControl(b.Editor);
  b.Editor->Style = nullptr;
  overline.Update();
  EXPECT_FALSE(overline.GetEnabled());
  EXPECT_FALSE(overline.GetChecked());
}

TEST(FontStyleActionTest, CaptionsAndHintsComeFromTheEnglishTable) {
  TActionBench b;
  TvlActionFontAllCaps caps(nullptr);
  TvlActionFontShrinkOnePoint shrink(nullptr);
  EXPECT_EQ(caps.GetCaption(), "&All Capitals");
  EXPECT_EQ(caps.GetHint(), "All Capitals|Changes all characters of the selected text to capital letters");
  EXPECT_EQ(shrink.GetCaption(), "Shri&nk Font by One Point");
}

}  // namespace

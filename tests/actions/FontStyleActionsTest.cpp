#include "ActionTestSupport.h"
#include "EditorBench.h"
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

// The editor: items of a paragraph, the caret where a selection ends.
void FillRuns(TVellumEdit* e, const std::vector<std::pair<const char*, Integer>>& runs) {
  e->Clear();
  bool first = true;
  for (const auto& [text, style] : runs) {
    e->AddTextItem(text, style, first ? 0 : -1);
    first = false;
  }
  e->Format();
}

TEST(FontStyleActionTest, BoldFromABoldCaretClearsBoldEverywhereAsOneUndoStep) {
  TEditorBench b;
  b.PlainSheet();
  const Integer bold = b.AddText([](TFontInfo& s) { s.Style.Include(fsBold); });
  FillRuns(b.Edit, {{"Bold", bold}, {"plain", 0}, {"more", bold}});
  const std::string before = TEditorBench::Runs(b.Edit);
  // Selected from the start; the caret ends in "more", a bold run.
  b.Edit->SetSelectionBounds(0, b.Edit->GetItemStartOffset(0), 2, b.Edit->GetItemEndOffset(2));
  TvlActionFontBold action(nullptr);
  action.SetControl(b.Edit);
  const Integer stylesBefore = b.Sheet->TextStyles->Count();

  ASSERT_TRUE(action.Execute());
  EXPECT_TRUE(action.GetChecked());  // from the caret's style, before executing
  // Un-bolding the bold style finds the plain style 0: nothing is added.
  EXPECT_EQ(TEditorBench::Runs(b.Edit), "Boldplainmore:0");
  EXPECT_EQ(b.Sheet->TextStyles->Count(), stylesBefore);
  // One step of undo takes it all back.
  b.Edit->Undo();
  EXPECT_EQ(TEditorBench::Runs(b.Edit), before);
  EXPECT_EQ(b.Edit->GetUndoType(), 0);

  // From a plain caret every run becomes bold, the plain one taking the
  // bold style there is.
  FillRuns(b.Edit, {{"plain", 0}, {"Bold", bold}});
  b.Edit->SetSelectionBounds(1, b.Edit->GetItemEndOffset(1), 0, b.Edit->GetItemStartOffset(0));
  ASSERT_TRUE(action.Execute());
  EXPECT_FALSE(action.GetChecked());
  EXPECT_EQ(TEditorBench::Runs(b.Edit), "plainBold:" + std::to_string(bold));
  EXPECT_EQ(b.Sheet->TextStyles->Count(), stylesBefore);
}

TEST(FontStyleActionTest, ConversionReusesOrAddsOneNonStandardStyle) {
  TEditorBench b;
  b.PlainSheet();
  int added = 0;
  ActionEvents->OnStyleAdded = [&](TObject*, TCustomVLInfo*) { ++added; };
  struct TUnhook {  // the events are the whole program's
    ~TUnhook() { ActionEvents->OnStyleAdded = nullptr; }
  } unhook;
  FillRuns(b.Edit, {{"one", 0}});
  b.Edit->AddTextItem("two", 0, 0);
  b.Edit->Format();
  b.Edit->SetSelectionBounds(0, b.Edit->GetItemStartOffset(0), 1, b.Edit->GetItemEndOffset(1));
  TvlActionFontItalic italic(nullptr);
  italic.SetControl(b.Edit);
  ASSERT_TRUE(italic.Execute());
  // Two paragraphs, one new style for both.
  EXPECT_EQ(added, 1);
  ASSERT_EQ(b.Sheet->TextStyles->Count(), 2);
  EXPECT_FALSE(b.Text(1).Standard);
  EXPECT_TRUE(b.Text(1).Style.Contains(fsItalic));
  EXPECT_EQ(TEditorBench::Runs(b.Edit), "one:1/two:1");
  EXPECT_EQ(b.Edit->GetCurTextStyleNo(), 1);
}

TEST(FontStyleActionTest, ProtectedStylesAndTheCaretSwitchRuleAreKept) {
  TEditorBench b;
  b.PlainSheet();
  const Integer locked = b.AddText([](TFontInfo& s) { s.Protection.Include(vlprStyleProtect); });
  const Integer sticky = b.AddText([](TFontInfo& s) { s.Protection.Include(vlprDoNotAutoSwitch); });
  FillRuns(b.Edit, {{"locked", locked}, {"sticky", sticky}});
  b.Edit->SetSelectionBounds(0, b.Edit->GetItemStartOffset(0), 1, b.Edit->GetItemEndOffset(1));
  // The caret never switches to a no-auto-switch style by itself: chosen.
  b.Edit->SetCurTextStyleNo(sticky);
  ASSERT_EQ(b.Edit->GetCurTextStyleNo(), sticky);
  TvlActionFontUnderline underline(nullptr);
  underline.SetControl(b.Edit);
  ASSERT_TRUE(underline.Execute());
  EXPECT_EQ(b.Edit->GetItem(0)->StyleNo, locked);
  // A selected run of a no-auto-switch style changes; the caret style does not.
  EXPECT_TRUE(b.Text(b.Edit->GetItem(1)->StyleNo).Style.Contains(fsUnderline));
  EXPECT_EQ(b.Edit->GetCurTextStyleNo(), sticky);
}

// Refused by the host or read-only, a style command changes nothing and
// leaves no step of undo.
TEST(FontStyleActionTest, ARefusedChangeLeavesTheDocumentAlone) {
  for (bool readOnly : {false, true}) {
    SCOPED_TRACE(readOnly ? "read-only" : "refused by the host");
    TEditorBench b;
    b.PlainSheet();
    FillRuns(b.Edit, {{"word", 0}});
    b.Edit->SelectAll();
    b.Edit->OnChanging = [](TCustomVellumEdit*, bool& can) { can = false; };
    b.Edit->SetReadOnly(readOnly);
    TvlActionFontBold bold(nullptr);
    bold.SetControl(b.Edit);
    ASSERT_TRUE(bold.Execute());
    EXPECT_EQ(TEditorBench::Runs(b.Edit), "word:0");
    EXPECT_EQ(b.Edit->GetUndoType(), 0);
  }
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

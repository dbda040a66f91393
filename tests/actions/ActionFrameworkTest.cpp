#include "ActionTestSupport.h"
#include "EditorBench.h"
#include "actions/ColorVLFrm.h"
#include "actions/VLActionsColor.h"
#include "actions/VLActionsFontStyle.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/StdCtrls.h"

#include <QAction>
#include <gtest/gtest.h>

namespace {

TEST(ActionTargetTest, CellEditorsAreClimbedToTheOutermostEditor) {
  TActionBench b;
  auto* cell = new TFakeEditor(b.Form, b.Sheet);
  auto* inner = new TFakeEditor(b.Form, b.Sheet);
  cell->CellParent = b.Editor;
  inner->CellParent = cell;
  b.Editor->Inplace = cell;
  cell->Inplace = inner;
  auto* edit = new TEdit(b.Form);
  TvlActionFontBold bold(nullptr);
  struct Case {
    TObject* target;
    bool handles;
    TVLActionEditor* editor;
  };
  const Case cases[] = {{inner, true, b.Editor}, {cell, true, b.Editor}, {b.Editor, true, b.Editor},
                        {edit, false, nullptr}, {nullptr, false, nullptr}};
  for (const Case& c : cases) {
    EXPECT_EQ(bold.HandlesTarget(c.target), c.handles);
    if (c.handles) {
      EXPECT_EQ(bold.GetControl(c.target), c.editor);
    }
  }
  EXPECT_THROW(bold.GetControl(edit), EInvalidCast);
  // Bound to an editor, the action handles whatever has the focus.
  bold.SetControl(cell);
  EXPECT_TRUE(bold.HandlesTarget(edit));
  EXPECT_EQ(bold.GetControl(edit), b.Editor);
  // The library default works the same way.
  bold.SetControl(nullptr);
  SetDefaultActionControl(inner);
  EXPECT_TRUE(bold.HandlesTarget(edit));
  delete inner;
  EXPECT_EQ(GetDefaultActionControl(), nullptr);
  cell->Inplace = nullptr;
}

TEST(ActionTargetTest, StyleHandlersReachEveryNestedEditor) {
  TActionBench b;
  auto* cell = new TFakeEditor(b.Form, b.Sheet);
  cell->CellParent = b.Editor;
  b.Editor->Inplace = cell;
  cell->SetRuns({{"in cell", 0, 0, true}});
  cell->Select(0, 1, 0, 8);
  TvlActionFontStrikeout strike(nullptr);
  strike.SetControl(b.Editor);
  ASSERT_TRUE(strike.Execute());
  // The innermost editor did the work, through the action's handler.
  EXPECT_TRUE(b.Text(cell->Runs[0].StyleNo).Style.Contains(fsStrikeOut));
  EXPECT_FALSE(cell->OnStyleConversion);
  EXPECT_FALSE(b.Editor->OnStyleConversion);
}

TEST(ActionEnableTest, LibrarySwitchDisabledFlagAndFreedControl) {
  TActionBench b;
  TvlActionFontGrow grow(nullptr);
  grow.SetControl(b.Editor);
  grow.Update();
  EXPECT_TRUE(grow.GetEnabled());
  ActionsEnabled = false;
  grow.Update();
  EXPECT_FALSE(grow.GetEnabled());
  EXPECT_FALSE(grow.Execute());  // update runs first: nothing happens
  ActionsEnabled = true;
  grow.Disabled = true;
  grow.Update();
  EXPECT_FALSE(grow.GetEnabled());
  grow.Disabled = false;
  delete b.Editor;
  b.Editor = nullptr;
  EXPECT_EQ(grow.GetControl(), nullptr);
}

// An action that fails while it runs.
class TFailingAction : public TvlAction {
public:
  TFailingAction() : TvlAction(nullptr) {}
  void ExecuteTarget(TObject*) override { throw Exception("broken command"); }
};

TEST(ActionEnableTest, AFailingCommandIsReportedAndTheProgramGoesOn) {
  TActionBench b;
  TFailingAction failing;
  failing.SetControl(b.Editor);
  TInteractionScript script;
  script.Answer(IDOK);
  failing.Handle()->trigger();
  ASSERT_EQ(script.Shown.size(), 1u);
  EXPECT_NE(script.Shown[0].Text.find("broken command"), String::npos);
  TvlActionFontBold bold(nullptr);
  bold.SetControl(b.Editor);
  b.Editor->SetRuns({{"x", 0, 0, true}});
  EXPECT_TRUE(bold.Execute());
}

TEST(ActionSharedTest, ColourNamesFollowTheLanguageTable) {
  struct Case {
    TColor color;
    const char* name;
  };
  const Case cases[] = {
      {clNone, "Transparent"}, {clBtnFace, "Auto"},           {clWindowText, "Auto"},
      {clWindow, "Auto"},      {0x00800000, "Dark Blue"},     {0x000000FF, "Red"},
      {0x00FFFFFF, "White"},   {0x00C08040, "RGB(64,128,192)"}, {0x000080FF, "RGB(255,128,0)"},
  };
  for (const Case& c : cases) EXPECT_EQ(ColorToDisplayString(c.color), c.name);
}

TEST(ActionSharedTest, SelectedItemRangeLeavesItemsOnlyTouched) {
  TActionBench b;
  b.Editor->SetRuns({{"a", 0, 0, true}, {"bb", 0, 0, false}, {"c", 0, 0, false}, {"ddd", 0, 0, false},
                     {"e", 0, 0, false}, {"f", 0, 0, false}, {"g", 0, 0, false}});
  struct Case {
    Integer sn, so, en, eo, first, last;
  };
  const Case cases[] = {
      {3, 4, 6, 1, 4, 5},  // end of item 3 to start of item 6
      {2, 1, 2, 1, 2, 2},  // no selection
      {1, 2, 3, 2, 1, 3},
      {3, 2, 1, 1, 1, 3},  // backwards
  };
  for (const Case& c : cases) {
    b.Editor->Select(c.sn, c.so, c.en, c.eo);
    Integer first = -1, last = -1;
    GetSelectedItemRange(b.Editor, first, last);
    EXPECT_EQ(first, c.first);
    EXPECT_EQ(last, c.last);
  }
}

TEST(ColorActionTest, HintNamesTheColourOnlyWithoutAPicker) {
  TActionBench b;
  TvlActionFontColor color(nullptr);
  EXPECT_EQ(color.GetHint(), "Text Color|Changes color of the selected text");
  color.UserInterface = vlacNone;
  color.SetColor(0x0000FF);
  EXPECT_EQ(color.GetHint(), "Text Color (Red)|Changes color of the selected text");
  color.SetColor(0x00123456);
  EXPECT_EQ(GetShortHint(color.GetHint()), "Text Color (RGB(86,52,18))");
  // A caption the window gave (its own access key) outlives a new colour.
  color.SetCaption("Text C&olor...");
  color.SetColor(0x0000FF);
  EXPECT_EQ(color.GetCaption(), "Text C&olor...");
  EXPECT_EQ(color.GetHint(), "Text Color (Red)|Changes color of the selected text");
}

TEST(ColorActionTest, DialogStartsOnYellowForNoColourAndAppliesTheChoice) {
  TEditorBench b;
  b.PlainSheet();
  b.Text(0).Jump = true;
  TEditorBench::Fill(b.Edit, "link");
  b.Edit->SelectAll();
  TvlActionFontBackColor back(nullptr);
  back.SetControl(b.Edit);
  back.UserInterface = vlacColorDialog;
  int shown = 0, hidden = 0;
  back.OnShowColorPicker = [&](TObject*) { ++shown; };
  back.OnHideColorPicker = [&](TObject*) { ++hidden; };
  TInteractionScript script;
  script.Do([](TInteraction& r) {
    EXPECT_EQ(r.Color, 0x0000FFFF);
    r.Color = 0x00FF00;
    return int(mrOk);
  });
  script.Answer(mrCancel);
  ASSERT_TRUE(back.Execute());
  ASSERT_EQ(b.Edit->GetItem(0)->StyleNo, 1);
  const TFontInfo& s = b.Text(1);
  EXPECT_EQ(s.BackColor, 0x00FF00);
  EXPECT_EQ(s.HoverBackColor, 0x00FF00);  // equal backgrounds of a link move together
  ASSERT_TRUE(back.Execute());             // cancelled: nothing changes
  EXPECT_EQ(b.Edit->GetItem(0)->StyleNo, 1);
  EXPECT_EQ(b.Sheet->TextStyles->Count(), 2);
  EXPECT_EQ(shown, 2);
  EXPECT_EQ(hidden, 2);
}

TEST(ColorActionTest, PopupPickAppliesAndASecondRunClosesIt) {
  TEditorBench b;
  b.PlainSheet();
  TEditorBench::Fill(b.Edit, "text");
  b.Edit->SelectAll();
  TvlActionFontColor color(nullptr);
  color.SetControl(b.Edit);
  int hidden = 0;
  color.OnHideColorPicker = [&](TObject*) { ++hidden; };
  ASSERT_TRUE(color.Execute());
  TfrmColor* popup = color.ColorPopup();
  ASSERT_NE(popup, nullptr);
  EXPECT_EQ(popup->SelectedIndex, 0);  // the automatic window-text entry
  popup->Buttons[17]->Click();         // "Red"
  for (int i = 0; i < 3; ++i) Application->ProcessMessages();
  EXPECT_EQ(color.ColorPopup(), nullptr);
  EXPECT_EQ(b.Text(b.Edit->GetItem(0)->StyleNo).Color, 0x0000FF);
  EXPECT_EQ(color.GetColor(), 0x0000FF);
  ASSERT_TRUE(color.Execute());
  ASSERT_NE(color.ColorPopup(), nullptr);
  ASSERT_TRUE(color.Execute());  // the second run closes it without a pick
  for (int i = 0; i < 3; ++i) Application->ProcessMessages();
  EXPECT_EQ(color.ColorPopup(), nullptr);
  EXPECT_EQ(hidden, 2);
}

}  // namespace

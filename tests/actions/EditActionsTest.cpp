#include "ActionTestSupport.h"
#include "actions/ListVLFrm.h"
#include "actions/VLActionsEdit.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/Dialogs.h"

#include <gtest/gtest.h>

namespace {

void PutOnClipboard(bool rtf, bool text) {
  TClipboard& clip = Clipboard();
  clip.Open();
  clip.Clear();
  if (text) clip.SetAsText("pasted");
  if (rtf) clip.SetData(RegisterClipboardFormat("Rich Text Format"), "{\\rtf1 pasted}");
  clip.Close();
}

TEST(EditActionTest, EnablingFollowsUndoRedoSelectionAndClipboard) {
  TActionBench b;
  b.Editor->SetRuns({{"hello", 0, 0, true}});
  TvlActionUndo undo(nullptr);
  TvlActionRedo redo(nullptr);
  TvlActionCut cut(nullptr);
  TvlActionCopy copy(nullptr);
  TvlActionPaste paste(nullptr);
  for (TvlAction* a : std::initializer_list<TvlAction*>{&undo, &redo, &cut, &copy, &paste}) a->SetControl(b.Editor);
  auto states = [&] {
    std::string s;
    for (TvlAction* a : std::initializer_list<TvlAction*>{&undo, &redo, &cut, &copy, &paste}) {
      a->Update();
      s += a->GetEnabled() ? '1' : '0';
    }
    return s;
  };
  PutOnClipboard(false, false);
  EXPECT_EQ(states(), "00000");  // a fresh editor, nothing selected, empty clipboard
  b.Editor->Select(0, 1, 0, 3);
  EXPECT_EQ(states(), "00110");
  ASSERT_TRUE(b.Run(copy));
  EXPECT_EQ(Clipboard().GetAsText(), "he");
  EXPECT_EQ(states(), "00111");
  ASSERT_TRUE(b.Run(cut));
  EXPECT_EQ(b.Editor->Text(), "llo");
  EXPECT_EQ(states(), "10001");
  ASSERT_TRUE(b.Run(undo));
  EXPECT_EQ(b.Editor->Text(), "hello");
  EXPECT_EQ(states().substr(0, 2), "01");
  ASSERT_TRUE(b.Run(redo));
  EXPECT_EQ(b.Editor->Text(), "llo");
  ActionsEnabled = false;
  EXPECT_EQ(states(), "00000");
  ActionsEnabled = true;
}

TEST(EditActionTest, ReadOnlyEditorRefusesCutAndPasteItself) {
  TActionBench b;
  b.Editor->SetRuns({{"hello", 0, 0, true}});
  b.Editor->ReadOnly = true;
  b.Editor->Select(0, 1, 0, 6);
  PutOnClipboard(false, true);
  TvlActionCut cut(nullptr);
  TvlActionPaste paste(nullptr);
  cut.SetControl(b.Editor);
  paste.SetControl(b.Editor);
  ASSERT_TRUE(b.Run(cut));
  ASSERT_TRUE(b.Run(paste));
  EXPECT_EQ(b.Editor->Text(), "hello");
}

TEST(EditActionTest, PasteSpecialListsRichTextThenTextAndPastesTheChoice) {
  TActionBench b;
  b.Editor->SetRuns({{"x", 0, 0, true}});
  PutOnClipboard(true, true);
  TvlActionPasteSpecial special(nullptr);
  special.SetControl(b.Editor);
  EXPECT_EQ(special.GetCaption(), "Paste &Special...");
  std::vector<String> listed;
  String caption, label;
  TInteractionScript script;
  script.Do([&](TInteraction& r) {
    auto* list = dynamic_cast<TfrmVLList*>(r.Form);
    if (!list) return int(mrCancel);
    caption = list->GetText();
    label = list->Label1->GetText();
    for (int i = 0; i < list->lst->Items().Count(); ++i) listed.push_back(list->lst->Items().Get(i));
    EXPECT_EQ(list->lst->GetItemIndex(), 0);
    list->lst->SetItemIndex(1);  // "Text"
    return int(mrOk);
  });
  script.Answer(mrCancel);
  ASSERT_TRUE(b.Run(special));
  EXPECT_EQ(caption, "Paste Special");
  EXPECT_EQ(label, "&Paste as:");
  EXPECT_EQ(listed, (std::vector<String>{"Rich text format", "Text", "Unicode text"}));
  EXPECT_EQ(b.Editor->Calls, (std::vector<std::string>{"PasteText"}));
  // Cancel pastes nothing.
  ASSERT_TRUE(b.Run(special));
  EXPECT_EQ(b.Editor->Calls.size(), 1u);
  EXPECT_EQ(script.Unexpected, 0);
}

TEST(EditActionTest, PasteSpecialWithAnEmptyClipboardShowsNothing) {
  TActionBench b;
  b.Editor->SetRuns({{"x", 0, 0, true}});
  PutOnClipboard(false, false);
  TvlActionPasteSpecial special(nullptr);
  special.SetControl(b.Editor);
  TInteractionScript script;
  special.ExecuteTarget(nullptr);
  EXPECT_TRUE(script.Shown.empty());
}

TEST(EditActionTest, SelectAllSelectsAndAnEmptyDocumentStaysEmpty) {
  TActionBench b;
  b.Editor->SetRuns({{"abc", 0, 0, true}, {"de", 0, 0, false}});
  TvlActionSelectAll all(nullptr);
  all.SetControl(b.Editor);
  ASSERT_TRUE(b.Run(all));
  EXPECT_EQ(b.Editor->GetSelText(), "abcde");
  b.Editor->Runs.clear();
  b.Editor->Select(0, 1, 0, 1);
  ASSERT_TRUE(b.Run(all));
  EXPECT_FALSE(b.Editor->SelectionExists());
}

}  // namespace

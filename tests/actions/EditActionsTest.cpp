#include "EditorBench.h"
#include "actions/ListVLFrm.h"
#include "actions/VLActionsEdit.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/Dialogs.h"

#include <gtest/gtest.h>

namespace {

void PutOnClipboard(const char* rtf, const char* text) {
  TClipboard& clip = Clipboard();
  clip.Open();
  clip.Clear();
  if (text) clip.SetAsText(text);
  if (rtf) clip.SetData(RegisterClipboardFormat("Rich Text Format"), rtf);
  clip.Close();
}

TEST(EditActionTest, EnablingFollowsUndoRedoSelectionAndClipboard) {
  TEditorBench b;
  TEditorBench::Fill(b.Edit, "hello");
  b.Edit->SetCaret(0, b.Edit->GetItemStartOffset(0));
  TvlActionUndo undo(nullptr);
  TvlActionRedo redo(nullptr);
  TvlActionCut cut(nullptr);
  TvlActionCopy copy(nullptr);
  TvlActionPaste paste(nullptr);
  const std::initializer_list<TvlAction*> all{&undo, &redo, &cut, &copy, &paste};
  for (TvlAction* a : all) a->SetControl(b.Edit);
  auto states = [&] {
    std::string s;
    for (TvlAction* a : all) {
      a->Update();
      s += a->GetEnabled() ? '1' : '0';
    }
    return s;
  };
  PutOnClipboard(nullptr, nullptr);
  EXPECT_EQ(states(), "00000");  // a fresh editor, nothing selected, empty clipboard
  TEditorBench::Select(b.Edit, 0, 2);
  EXPECT_EQ(states(), "00110");
  ASSERT_TRUE(copy.Execute());
  EXPECT_EQ(Clipboard().GetAsText(), "he");
  EXPECT_EQ(states(), "00111");
  ASSERT_TRUE(cut.Execute());
  EXPECT_EQ(TEditorBench::Text(b.Edit), "llo");
  EXPECT_EQ(states(), "10001");
  ASSERT_TRUE(undo.Execute());
  EXPECT_EQ(TEditorBench::Text(b.Edit), "hello");
  EXPECT_EQ(states().substr(0, 2), "01");
  ASSERT_TRUE(redo.Execute());
  EXPECT_EQ(TEditorBench::Text(b.Edit), "llo");
  ActionsEnabled = false;
  EXPECT_EQ(states(), "00000");
  ActionsEnabled = true;
  // Read-only, what would only change the text is greyed: Copy stays.
  TEditorBench::Select(b.Edit, 0, 2);
  EXPECT_EQ(states().substr(2), "111");
  b.Edit->SetReadOnly(true);
  EXPECT_EQ(states().substr(2), "010");
  b.Edit->SetReadOnly(false);
}

// A refused change leaves both the document and the clipboard as they were;
// the refusal may come from the read-only flag or from the host's OnChanging.
TEST(EditActionTest, CutAndPasteAskTheEditorFirst) {
  struct Case {
    const char* name;
    bool readOnly;
    bool hostRefuses;
    const char* afterCut;
    const char* clipboardAfterCut;
    const char* afterPaste;
  };
  const Case cases[] = {
      {"allowed", false, false, "lo", "hel", "pastedlo"},
      {"read-only", true, false, "hello", "before", "hello"},
      {"refused by the host", false, true, "hello", "before", "hello"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TEditorBench b;
    TEditorBench::Fill(b.Edit, "hello");
    int asked = 0;
    b.Edit->OnChanging = [&](TCustomVellumEdit*, bool& can) {
      ++asked;
      if (c.hostRefuses) can = false;
    };
    b.Edit->SetReadOnly(c.readOnly);
    TEditorBench::Select(b.Edit, 0, 3);
    PutOnClipboard(nullptr, "before");
    TvlActionCut cut(nullptr);
    TvlActionPaste paste(nullptr);
    cut.SetControl(b.Edit);
    paste.SetControl(b.Edit);
    // Read-only, Cut and Paste are greyed and do not run at all.
    EXPECT_EQ(cut.Execute(), !c.readOnly);
    EXPECT_EQ(TEditorBench::Text(b.Edit), c.afterCut);
    EXPECT_EQ(Clipboard().GetAsText(), c.clipboardAfterCut);
    EXPECT_EQ(asked, c.readOnly ? 0 : 1);  // once for the whole cut
    PutOnClipboard(nullptr, "pasted");
    b.Edit->SetCaret(0, b.Edit->GetItemStartOffset(0));
    EXPECT_EQ(paste.Execute(), !c.readOnly);
    EXPECT_EQ(TEditorBench::Text(b.Edit), c.afterPaste);
  }
}

TEST(EditActionTest, PasteSpecialListsRichTextThenTextAndPastesTheChoice) {
  TEditorBench b;
  TEditorBench::Fill(b.Edit, "x");
  b.Edit->SetCaret(0, b.Edit->GetItemEndOffset(0));
  PutOnClipboard("{\\rtf1 rich}", "plain");
  TvlActionPasteSpecial special(nullptr);
  special.SetControl(b.Edit);
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
  ASSERT_TRUE(special.Execute());
  EXPECT_EQ(caption, "Paste Special");
  EXPECT_EQ(label, "&Paste as:");
  EXPECT_EQ(listed, (std::vector<String>{"Rich text format", "Text", "Unicode text"}));
  EXPECT_EQ(TEditorBench::Text(b.Edit), "xplain");
  // Cancel pastes nothing.
  ASSERT_TRUE(special.Execute());
  EXPECT_EQ(TEditorBench::Text(b.Edit), "xplain");
  EXPECT_EQ(script.Unexpected, 0);
}

TEST(EditActionTest, PasteSpecialWithAnEmptyClipboardShowsNothing) {
  TEditorBench b;
  TEditorBench::Fill(b.Edit, "x");
  PutOnClipboard(nullptr, nullptr);
  TvlActionPasteSpecial special(nullptr);
  special.SetControl(b.Edit);
  TInteractionScript script;
  special.ExecuteTarget(nullptr);
  EXPECT_TRUE(script.Shown.empty());
  EXPECT_EQ(TEditorBench::Text(b.Edit), "x");
}

TEST(EditActionTest, SelectAllSelectsAndAnEmptyDocumentStaysEmpty) {
  TEditorBench b;
  b.Edit->AddTextItem("abc", 0, 0);
  b.Edit->AddTextItem("de", 0, -1);
  b.Edit->Format();
  TvlActionSelectAll all(nullptr);
  all.SetControl(b.Edit);
  ASSERT_TRUE(all.Execute());
  EXPECT_EQ(b.Edit->GetSelText(), "abcde");
  b.Edit->Clear();
  b.Edit->Format();
  ASSERT_TRUE(all.Execute());
  EXPECT_FALSE(b.Edit->SelectionExists());
}

}  // namespace

#include "EditorBench.h"
#include "actions/ListVLFrm.h"
#include "actions/VLActionsEdit.h"
#include "actions/VLActionsFind.h"
#include "actions/VLActionsFontStyle.h"
#include "actions/VLVellumActionEditor.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"
#include "richtext/editor/VellumEdit.h"
#include "richtext/rtf/VLRTFImport.h"

#include <gtest/gtest.h>

namespace {

TEST(VellumActionEditorTest, ReplaceAllWorksInUtf8AndCountsOnlyDoneReplacements) {
  struct Case {
    const char* text;
    const char* find;
    const char* with;
    int options;
    bool readOnly;
    const char* after;
    const char* summary;
  };
  const Case cases[] = {
      {"banana", "a", "aa", frDown, false, "baanaanaa", "3 strings replaced."},
      {"caf\u00e9 ol\u00c9", "\u00e9", "e", frDown, false, "cafe ole", "2 strings replaced."},
      {"caf\u00e9 ol\u00c9", "\u00e9", "e", frDown | frMatchCase, false, "cafe ol\u00c9", "1 string replaced."},
      {"banana", "a", "aa", frDown, true, "banana", "0 strings replaced."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    TEditorBench b;
    TEditorBench::Fill(b.Edit, c.text);
    b.Edit->SetCaret(0, b.Edit->GetItemStartOffset(0));
    auto* replace = new TvlActionReplace(b.Form);
    replace->SetControl(b.Edit);
    TInteractionScript script;
    script.Answer(mrOk).Answer(IDOK);
    ASSERT_TRUE(replace->Execute());
    TvlaReplaceDialog& d = *replace->ReplaceDialog();
    d.FindText = c.find;
    d.ReplaceText = c.with;
    d.Options = c.options;
    b.Edit->SetReadOnly(c.readOnly);
    d.PressReplace(true);
    EXPECT_EQ(TEditorBench::Text(b.Edit), c.after);
    ASSERT_EQ(script.Shown.size(), 2u);
    EXPECT_EQ(script.Shown[1].Text, c.summary);
  }
}

TEST(VellumActionEditorTest, TheHostsStyleHandlerSurvivesAnAction) {
  TEditorBench b;
  TEditorBench::Fill(b.Edit, "word");
  b.Edit->SelectAll();
  int hostCalls = 0;
  b.Edit->OnStyleConversion = [&](TCustomVellumEdit*, Integer, Integer, bool, Integer&) { ++hostCalls; };
  TVLActionEditor* editor = ActionEditorOf(b.Edit);
  // Read and written back, the host's handler is the host's, not a wrapper.
  editor->SetOnStyleConversion(editor->GetOnStyleConversion());
  b.Edit->ApplyStyleConversion(0);
  EXPECT_GT(hostCalls, 0);
  hostCalls = 0;
  TvlActionFontBold bold(b.Form);
  bold.SetControl(b.Edit);
  ASSERT_TRUE(bold.Execute());
  EXPECT_TRUE(b.Bold(b.Edit, 0));
  EXPECT_EQ(hostCalls, 0);  // the action's handler did the work
  b.Edit->ApplyStyleConversion(0);
  EXPECT_GT(hostCalls, 0);  // and the host's is back
  // The adapter lives as long as its control.
  EXPECT_EQ(ActionEditorOf(b.Edit), editor);
  EXPECT_EQ(editor->EditorControl(), b.Edit);
  EXPECT_EQ(editor->GetCellEditorParent(), nullptr);
  EXPECT_EQ(editor->GetInnermostEditor(), editor);
}

TEST(VellumActionEditorTest, PasteSpecialPastesEachListedFormat) {
  struct Case {
    int code;
    const char* entry;
    bool keepsBold;
  };
  const Case cases[] = {
      {1, "Vellum Format", true}, {2, "Rich text format", true}, {3, "Text", false}, {4, "Unicode text", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.entry);
    TEditorBench b;
    TVellumEdit* source = b.Make();
    TEditorBench::Fill(source, "bold");
    source->SelectAll();
    TvlActionFontBold bold(b.Form);
    bold.SetControl(source);
    ASSERT_TRUE(bold.Execute());
    source->SelectAll();
    ASSERT_TRUE(source->Copy());
    TEditorBench::Fill(b.Edit, "x");
    b.Edit->SetCaret(0, b.Edit->GetItemEndOffset(0));
    TvlActionPasteSpecial special(b.Form);
    special.SetControl(b.Edit);
    std::vector<String> listed;
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      auto* list = dynamic_cast<TfrmVLList*>(r.Form);
      if (!list) return int(mrCancel);
      for (int i = 0; i < list->lst->Items().Count(); ++i) listed.push_back(list->lst->Items().Get(i));
      for (int i = 0; i < list->lst->Items().Count(); ++i)
        if (list->lst->Items().Get(i) == c.entry) list->lst->SetItemIndex(i);
      return int(mrOk);
    });
    ASSERT_TRUE(special.Execute());
    EXPECT_EQ(listed, (std::vector<String>{"Vellum Format", "Rich text format", "Text", "Unicode text"}));
    EXPECT_EQ(TEditorBench::Text(b.Edit), "xbold");
    const Integer last = b.Edit->ItemCount() - 1;
    EXPECT_EQ(b.Bold(b.Edit, last), c.keepsBold);
  }
}

}  // namespace

#include "ActionTestSupport.h"
#include "actions/VLActionsFind.h"
#include "platform/gui/Dialogs.h"

#include <gtest/gtest.h>

namespace {

// Find and replace actions owned by the form, with the editor focused.
struct TFindBench : TActionBench {
  TFindBench() {
    Find = new TvlActionFind(Form);
    Next = new TvlActionFindNext(Form);
    Replace = new TvlActionReplace(Form);
    for (TvlAction* a : std::initializer_list<TvlAction*>{Find, Next, Replace}) a->SetControl(Editor);
  }
  // Opens the replace dialog and sets its texts and options.
  TvlaReplaceDialog& OpenReplace(const String& find, const String& with, int options) {
    TInteractionScript script;
    script.Answer(mrOk);
    EXPECT_TRUE(Run(*Replace));
    TvlaReplaceDialog& d = *Replace->ReplaceDialog();
    d.FindText = find;
    d.ReplaceText = with;
    d.Options = options;
    return d;
  }
  TvlActionFind* Find;
  TvlActionFindNext* Next;
  TvlActionReplace* Replace;
};

TEST(FindActionTest, MissingTextReportsTheSearchStringUnderSearchComplete) {
  TFindBench b;
  b.Editor->SetRuns({{"some text", 0, 0, true}});
  TInteractionScript script;
  script.Answer(mrOk).Answer(IDOK);
  ASSERT_TRUE(b.Run(*b.Find));
  ASSERT_NE(b.Find->FindDialog(), nullptr);
  EXPECT_EQ(b.Find->FindDialog()->Owner(), b.Form);  // the editor's form owns it
  b.Find->FindDialog()->FindText = "abc";
  b.Find->FindDialog()->PressFindNext();
  ASSERT_EQ(script.Shown.size(), 2u);
  EXPECT_EQ(script.Shown[1].Text, "Search string 'abc' not found.");
  EXPECT_EQ(script.Shown[1].Caption, "Search Complete");
  EXPECT_EQ(script.Shown[1].Icon, MB_ICONINFORMATION);
}

TEST(FindActionTest, FindNextSearchesOnOrOpensTheDialog) {
  TFindBench b;
  b.Editor->SetRuns({{"one two one", 0, 0, true}});
  TInteractionScript script;
  script.Answer(mrOk);
  ASSERT_TRUE(b.Run(*b.Next));  // never used: the dialog opens
  ASSERT_EQ(script.Shown.size(), 1u);
  EXPECT_EQ(script.Shown[0].Kind, TInteractionKind::FindDialog);
  b.Find->FindDialog()->FindText = "one";
  ASSERT_TRUE(b.Run(*b.Next));
  EXPECT_EQ(b.Editor->SelStartOffs, 1);
  ASSERT_TRUE(b.Run(*b.Next));
  EXPECT_EQ(b.Editor->SelStartOffs, 9);
  EXPECT_EQ(script.Shown.size(), 1u);

  TActionBench lone;
  TvlActionFindNext orphan(nullptr);
  orphan.SetControl(lone.Editor);
  EXPECT_THROW(orphan.ExecuteTarget(nullptr), Exception);
  try {
    orphan.ExecuteTarget(nullptr);
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message, "TvlActionFind object is not assigned!");
  }
}

TEST(ReplaceActionTest, ReplaceAllCountsAndEndsAfterOnePass) {
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
      {"banana", "a", "aa", 0, false, "baanaanaa", "3 strings replaced."},
      {"banana", "an", "", frDown, false, "ba", "2 strings replaced."},
      {"banana", "nan", "N", frDown, false, "baNa", "1 string replaced."},
      {"banana", "x", "y", frDown, false, "banana", "0 strings replaced."},
      {"banana", "a", "aa", frDown, true, "banana", "0 strings replaced."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text) + " " + c.find + " " + std::to_string(c.options));
    TFindBench b;
    b.Editor->SetRuns({{c.text, 0, 0, true}});
    const Integer end = static_cast<Integer>(std::string(c.text).size()) + 1;
    if (!(c.options & frDown)) b.Editor->Select(0, end, 0, end);
    TvlaReplaceDialog& d = b.OpenReplace(c.find, c.with, c.options);
    b.Editor->ReadOnly = c.readOnly;
    TInteractionScript script;
    script.Answer(IDOK);
    d.PressReplace(true);
    EXPECT_EQ(b.Editor->Text(), c.after);
    ASSERT_EQ(script.Shown.size(), 1u);
    EXPECT_EQ(script.Shown[0].Text, c.summary);
    EXPECT_EQ(script.Shown[0].Caption, "Search Complete");
  }
}

TEST(ReplaceActionTest, ReplaceTestsTheSelectionByCaseThenFindsTheNext) {
  struct Case {
    int options;
    const char* after;
  };
  const Case cases[] = {{frDown, "x abc"}, {frDown | frMatchCase, "ABC x"}};
  for (const Case& c : cases) {
    TFindBench b;
    b.Editor->SetRuns({{"ABC abc", 0, 0, true}});
    b.Editor->Select(0, 1, 0, 4);
    TvlaReplaceDialog& d = b.OpenReplace("abc", "x", c.options);
    AnsiString replacing;
    b.Replace->OnReplacing = [&](TObject*, TVLActionEditor* e, const AnsiString& text) {
      EXPECT_EQ(e, b.Editor);
      replacing = text;
    };
    TInteractionScript script;
    d.PressReplace(false);
    if (!(c.options & frMatchCase)) {
      EXPECT_EQ(replacing, "x");
      d.PressReplace(false);  // the next match was selected: replace it too
      EXPECT_EQ(b.Editor->Text(), "x x");
    } else {
      EXPECT_EQ(replacing, "");
      EXPECT_EQ(b.Editor->GetSelText(), "abc");
      d.PressReplace(false);
      EXPECT_EQ(b.Editor->Text(), c.after);
    }
  }
}

TEST(FindActionTest, DialogsCloseEachOtherAndNeedAnOwnedEditor) {
  TFindBench b;
  b.Editor->SetRuns({{"text", 0, 0, true}});
  TInteractionScript script;
  script.Answer(mrOk).Answer(mrOk);
  ASSERT_TRUE(b.Run(*b.Find));
  ASSERT_TRUE(b.Run(*b.Replace));
  EXPECT_FALSE(b.Find->FindDialog()->Visible());
  // The form that owned the dialogs goes: the actions forget them.
  TActionBench other;
  TvlActionFind lone(nullptr);
  TFakeEditor* unowned = new TFakeEditor(nullptr, other.Sheet);
  lone.SetControl(unowned);
  lone.Update();
  EXPECT_FALSE(lone.GetEnabled());
  delete unowned;
  EXPECT_EQ(lone.GetControl(), nullptr);
}

}  // namespace

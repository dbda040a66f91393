#include "ActionTestSupport.h"
#include "EditorBench.h"
#include "TableTestSupport.h"
#include "actions/VLALocalize.h"
#include "actions/VLActionsFind.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Dialogs.h"

#include <QAbstractButton>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QWindow>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Find and replace actions owned by the form, bound to a real editor.
struct TFindBench : TEditorBench {
  TFindBench() {
    Find = new TvlActionFind(Form);
    Next = new TvlActionFindNext(Form);
    Replace = new TvlActionReplace(Form);
    for (TvlAction* a : std::initializer_list<TvlAction*>{Find, Next, Replace}) a->SetControl(Edit);
  }
  void Fill(const String& text) {
    TEditorBench::Fill(Edit, text);
    Edit->SetCaret(0, Edit->GetItemStartOffset(0));
  }
  static bool Run(TBasicAction& action) { return action.Execute(); }
  String Text() { return TEditorBench::Text(Edit); }
  // The selection's start, counted in characters from the item's start.
  Integer SelStart() {
    Integer sn, so, en, eo;
    Edit->GetSelectionBounds(sn, so, en, eo, true);
    return so - Edit->GetItemStartOffset(0);
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

// The real find and replace windows: owned by the searched editor's window
// (the window manager keeps them above it) and showing the current
// language's texts, also after a switch of language.
TEST(FindActionTest, TheWindowsAreOwnedByTheEditorsWindowAndSpeakItsLanguage) {
  struct Case {
    const char* language;
    const char* findTitle;  // the texts every language must show as its own
    const char* replaceAll;
  };
  const Case cases[] = {{"Russian", "Поиск", "Заменить &все"},
                        {"German", "Suchen", "&Alle ersetzen"},
                        {"Lithuanian", "Rasti", "Pakeisti vi&sus"},
                        {"English (US)", "Find", "Replace &All"}};
  TFindBench b;
  b.Fill("some text");
  b.Form->Show();
  for (const Case& k : cases) {
    SCOPED_TRACE(k.language);
    SwitchLanguage(k.language);
    ASSERT_TRUE(b.Run(*b.Find));
    ASSERT_TRUE(b.Run(*b.Replace));
    for (TFindDialog* d : {static_cast<TFindDialog*>(b.Find->FindDialog()),
                           static_cast<TFindDialog*>(b.Replace->ReplaceDialog())}) {
      ASSERT_NE(d, nullptr);
      QDialog* w = d->FWindow->Dialog;
      ASSERT_NE(w, nullptr);
      ASSERT_NE(w->windowHandle(), nullptr);
      EXPECT_EQ(w->windowHandle()->transientParent(), WidgetOf(b.Edit)->window()->windowHandle()) << "no owner";
      std::vector<std::string> shown;
      for (QLabel* l : w->findChildren<QLabel*>()) shown.push_back(l->text().toStdString());
      for (QPushButton* p : w->findChildren<QPushButton*>()) shown.push_back(p->text().toStdString());
      for (QAbstractButton* c : w->findChildren<QAbstractButton*>()) shown.push_back(c->text().toStdString());
      for (QGroupBox* g : w->findChildren<QGroupBox*>()) shown.push_back(g->title().toStdString());
      auto has = [&](const String& text) { return std::find(shown.begin(), shown.end(), text) != shown.end(); };
      const bool replace = d == b.Replace->ReplaceDialog();
      EXPECT_EQ(w->windowTitle().toStdString(), replace ? LanguageText(580) : String(k.findTitle));
      for (Word id : {581, 583, 584, 586, 196}) EXPECT_TRUE(has(LanguageText(id))) << id << " " << LanguageText(id);
      if (replace) {
        EXPECT_TRUE(has(k.replaceAll));
        EXPECT_TRUE(has(LanguageText(582)));
        EXPECT_TRUE(has(LanguageText(587)));
      } else {
        for (Word id : {585, 589, 590}) EXPECT_TRUE(has(LanguageText(id))) << id;
      }
      d->CloseDialog();
    }
  }
}

TEST(FindActionTest, MissingTextReportsTheSearchStringUnderSearchComplete) {
  TFindBench b;
  b.Fill("some text");
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
  b.Fill("one two one");
  TInteractionScript script;
  script.Answer(mrOk);
  ASSERT_TRUE(b.Run(*b.Next));  // never used: the dialog opens
  ASSERT_EQ(script.Shown.size(), 1u);
  EXPECT_EQ(script.Shown[0].Kind, TInteractionKind::FindDialog);
  b.Find->FindDialog()->FindText = "one";
  ASSERT_TRUE(b.Run(*b.Next));
  EXPECT_EQ(b.SelStart(), 0);
  EXPECT_EQ(b.Edit->GetSelText(), "one");
  ASSERT_TRUE(b.Run(*b.Next));
  EXPECT_EQ(b.SelStart(), 8);
  EXPECT_EQ(b.Edit->GetSelText(), "one");
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
    b.Fill(c.text);
    if (!(c.options & frDown)) b.Edit->SetCaret(0, b.Edit->GetItemEndOffset(0));
    TvlaReplaceDialog& d = b.OpenReplace(c.find, c.with, c.options);
    b.Edit->SetReadOnly(c.readOnly);
    TInteractionScript script;
    script.Answer(IDOK);
    d.PressReplace(true);
    EXPECT_EQ(b.Text(), c.after);
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
    b.Fill("ABC abc");
    TEditorBench::Select(b.Edit, 0, 3);
    TvlaReplaceDialog& d = b.OpenReplace("abc", "x", c.options);
    AnsiString replacing;
    b.Replace->OnReplacing = [&](TObject*, TVLActionEditor* e, const AnsiString& text) {
      EXPECT_EQ(e, ActionEditorOf(b.Edit));
      replacing = text;
    };
    TInteractionScript script;
    d.PressReplace(false);
    if (!(c.options & frMatchCase)) {
      EXPECT_EQ(replacing, "x");
      d.PressReplace(false);  // the next match was selected: replace it too
      EXPECT_EQ(b.Text(), "x x");
    } else {
      EXPECT_EQ(replacing, "");
      EXPECT_EQ(b.Edit->GetSelText(), "abc");
      d.PressReplace(false);
      EXPECT_EQ(b.Text(), c.after);
    }
  }
}

// Paragraphs of one list (numbered or bulleted): the selection read back
// is the match alone, without the paragraph's marker.
struct TListFindBench : TFindBench {
  TListFindBench(const std::vector<String>& paras, bool numbered) {
    PlainSheet();
    TEditorBench::Text(0).Unicode = true;  // for the text outside code page 1252
    Sheet->ListStyles->Clear();
    TVLListLevel* level = Sheet->ListStyles->Add()->Levels->Add();
    level->LeftIndent = 24;
    if (numbered) {
      level->ListType = vllstDecimal;
      level->FormatString = "%0:s.";
    }
    Edit->Clear();
    for (const String& p : paras) Edit->AddTextItem(p, 0, 0);
    Edit->Format();
    Edit->SelectAll();
    Edit->ApplyListStyle(0, -1, 1, false);
    Edit->SetCaret(1, Edit->GetItemStartOffset(1));  // item 0: the first marker
  }
  String Paras() {
    String s;
    for (Integer i = 0; i < Edit->ItemCount(); ++i) {
      if (i && !Edit->GetItem(i)->GetSameAsPrev()) s += "|";
      s += Edit->GetItemTextUtf8(i);
    }
    return s;
  }
};

TEST(ReplaceActionTest, ListParagraphsAndNonAsciiMatchesAreReplaced) {
  const String lodz = "\xC5\x81\xC3\xB3\x64\xC5\xBA", lodzLower = "\xC5\x82\xC3\xB3\x64\xC5\xBA";
  for (bool numbered : {true, false}) {
    SCOPED_TRACE(numbered ? "numbered" : "bulleted");
    TListFindBench b({"one world", "two world", "three world", "in " + lodz}, numbered);
    ASSERT_NE(b.Paras().find("one world"), String::npos) << b.Paras();
    TvlaReplaceDialog& d = b.OpenReplace("world", "earth", frDown);
    TInteractionScript script;
    script.Answer(IDOK).Answer(IDOK);
    d.PressFindNext();
    EXPECT_EQ(b.Edit->GetSelText(), "world");
    EXPECT_EQ(b.Edit->GetSelTextW(), u"world");
    d.PressReplace(false);  // replaces the selected match and selects the next
    EXPECT_EQ(b.Edit->GetSelText(), "world");
    d.PressReplace(true);  // the selected match counts too
    EXPECT_EQ(b.Paras().find("world"), String::npos) << b.Paras();
    ASSERT_EQ(script.Shown.size(), 1u);
    EXPECT_EQ(script.Shown[0].Text, "2 strings replaced.");
    // A match that differs in case only, outside ASCII.
    b.Edit->SetCaret(1, b.Edit->GetItemStartOffset(1));
    d.FindText = lodzLower;
    d.ReplaceText = "Krak\xC3\xB3w";
    d.PressFindNext();
    EXPECT_EQ(b.Edit->GetSelText(), lodz);
    d.PressReplace(false);
    EXPECT_NE(b.Paras().find("in Krak\xC3\xB3w"), String::npos) << b.Paras();
    // A whole list paragraph selected: its text without the marker.
    b.Edit->SetSelectionBounds(1, b.Edit->GetItemStartOffset(1), 1, b.Edit->GetItemEndOffset(1));
    EXPECT_EQ(b.Edit->GetSelText(), "one earth");
  }
}

// "Keyword" with a bold first letter: Find selects the whole word over both
// items, Replace puts the replacement in the first item's style, Replace
// All counts it once; whole words and case are read across the change.
TEST(ReplaceActionTest, AWordWithAStyleChangeInsideIsFoundAndReplacedWhole) {
  struct Case {
    const char* find;
    int options;
    const char* firstFound;  // "" when nothing is found
    const char* after;       // the runs after Replace All
    const char* summary;
  };
  const Case cases[] = {
      {"keyword", frDown, "Keyword", "term:1|, term:0", "2 strings replaced."},
      {"keyword", 0, "keyword", "term:1|, term:0", "2 strings replaced."},
      {"KEYWORD", frDown | frWholeWord, "Keyword", "term:1|, term:0", "2 strings replaced."},
      {"Keyword", frDown | frMatchCase, "Keyword", "term:1|, key:0|word:1", "1 string replaced."},
      {"eyword", frDown | frWholeWord, "", "K:1|eyword, key:0|word:1", "0 strings replaced."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.find) + " " + std::to_string(c.options));
    TFindBench b;
    b.PlainSheet();
    const Integer bold = b.AddText([](TFontInfo& f) { f.Style = TFontStyles{fsBold}; });
    b.Edit->Clear();
    b.Edit->AddTextItem("K", bold, 0);
    b.Edit->AddTextItem("eyword, key", 0, -1);
    b.Edit->AddTextItem("word", bold, -1);
    b.Edit->Format();
    if (c.options & frDown)
      b.Edit->SetCaret(0, b.Edit->GetItemStartOffset(0));
    else
      b.Edit->SetCaret(2, b.Edit->GetItemEndOffset(2));
    TvlaReplaceDialog& d = b.OpenReplace(c.find, "term", c.options);
    {
      TInteractionScript script;
      script.Answer(IDOK);  // "not found"
      d.PressFindNext();
      EXPECT_EQ(b.Edit->GetSelText(), c.firstFound);
      EXPECT_EQ(script.Shown.size(), *c.firstFound ? 0u : 1u);
    }
    TInteractionScript script;
    script.Answer(IDOK);
    d.PressReplace(true);
    EXPECT_EQ(TEditorBench::Runs(b.Edit), c.after);
    ASSERT_EQ(script.Shown.size(), 1u);
    EXPECT_EQ(script.Shown[0].Text, c.summary);
  }
}

TEST(ReplaceActionTest, MatchesInTableCellsAreReplaced) {
  tabletest::TTableWindow w(2, 2);
  auto* replace = new TvlActionReplace(w.Form.get());
  replace->SetControl(w.Edit);
  w.CaretOutside();
  {
    TInteractionScript script;
    script.Answer(mrOk);
    ASSERT_TRUE(w.Run(*replace));
  }
  TvlaReplaceDialog& d = *replace->ReplaceDialog();
  d.FindText = "1";
  d.ReplaceText = "\xC3\xA9";
  d.Options = frDown;
  TInteractionScript script;
  script.Answer(IDOK);
  d.PressFindNext();
  EXPECT_EQ(w.Edit->GetSelText(), "1");  // in the cell "01"
  d.PressReplace(false);
  EXPECT_EQ(w.Grid(), "00,0\xC3\xA9 / 10,11");
  d.PressReplace(true);
  EXPECT_EQ(w.Grid(), "00,0\xC3\xA9 / \xC3\xA9" "0,\xC3\xA9\xC3\xA9");
  ASSERT_EQ(script.Shown.size(), 1u);
  EXPECT_EQ(script.Shown[0].Text, "3 strings replaced.");
}

TEST(FindActionTest, DialogsCloseEachOtherAndNeedAnOwnedEditor) {
  TFindBench b;
  b.Fill("text");
  TInteractionScript script;
  script.Answer(mrOk).Answer(mrOk);
  ASSERT_TRUE(b.Run(*b.Find));
  ASSERT_TRUE(b.Run(*b.Replace));
  EXPECT_FALSE(b.Find->FindDialog()->Visible());
  // An editor no form owns (the fake: a real one always has a form) offers
  // nothing; once it goes, the action forgets it.
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

// The spelling dialog left for the editor and taken up again (the user
// clicks into the entry, then on the dialog): the check goes on at the same
// word, and the dialog offers what the prompt offered, no more.
#include "SpellEditorSupport.h"

#include "platform/gui/ControlsPrivate.h"
#include "spell/scCustomDictionary.h"
#include "spell/scSpellDialog.h"

#include <QApplication>
#include <QListWidget>
#include <QTest>
#include <gtest/gtest.h>

namespace {
using spellvltest::ActivateWindowOf;
using spellvltest::TSpellEditor;

// A double click with the mouse on row Row of List.
void DoubleClickRow(TListBox* List, int Row) {
  auto* list = static_cast<QListWidget*>(WidgetOf(List));
  const QPoint at = list->visualItemRect(list->item(Row)).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
  QApplication::processEvents();
}

std::vector<std::string> LearnedWords(TSpellEditor& w) {
  std::vector<std::string> words;
  TCustomDictionary* d = w.Spell->LearningDictionary();
  AnsiString word, with;
  for (int i = 0; d && i < d->GetAddedCount(); ++i) {
    d->GetAddedWord(i, word);
    words.push_back(word);
  }
  for (int i = 0; d && i < d->GetAutoCorrectCount(); ++i) {
    d->GetAutoCorrect(i, with, word);
    words.push_back(word + "->" + with);
  }
  return words;
}

struct TPromptState {
  bool change, changeAll, autoCorrect, suggestions, ignore;
  std::string replaceWith;
  bool operator==(const TPromptState&) const = default;
};

std::ostream& operator<<(std::ostream& o, const TPromptState& s) {
  return o << "change " << s.change << " changeAll " << s.changeAll << " autoCorrect " << s.autoCorrect
           << " suggestions " << s.suggestions << " ignore " << s.ignore << " replaceWith '" << s.replaceWith << "'";
}

TPromptState StateOf(TSpellDialog* d) {
  return {d->ChangeButton->GetEnabled(), d->ChangeAllButton->GetEnabled(), d->AutoCorrectButton->GetEnabled(),
          d->SuggestionsListbox->GetEnabled(), d->IgnoreButton->GetEnabled(), d->ReplaceWithEdit->GetText()};
}

TEST(DialogActivation, TheDialogTakenUpAgainOffersWhatThePromptOffered) {
  struct Case {
    std::string text, word;
    TPromptState prompt;
  } cases[] = {
      // No suggestions: nothing to change the word to.
      {"happy Zqxvjkwpf days", "Zqxvjkwpf", {false, false, false, false, true, ""}},
      {"Caf\xC3\xA9 zqxvjkwpf \xC5\x81\xC3\xB3" "d\xC5\xBA", "zqxvjkwpf", {false, false, false, false, true, ""}},
      // Suggestions: the first one is offered.
      {"happy wrods days", "wrods", {true, true, true, true, true, "words"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    TSpellEditor w;
    w.SetText({c.text});
    TInteractionScript script;
    script.Answer(IDOK);
    w.Check();
    ASSERT_TRUE(w.Spell->CheckRunning());
    TSpellDialog* d = w.Dialog();
    ASSERT_NE(d, nullptr);
    ASSERT_TRUE(ActivateWindowOf(d));
    ASSERT_EQ(d->NotFoundEdit->GetText(), c.word);
    EXPECT_EQ(StateOf(d), c.prompt);
    for (int round = 0; round < 3; ++round) {
      SCOPED_TRACE(round);
      ASSERT_TRUE(ActivateWindowOf(w.E.Form.get()));
      // Away from the dialog, its commands wait.
      EXPECT_FALSE(d->IgnoreButton->GetEnabled());
      EXPECT_FALSE(d->ChangeButton->GetEnabled());
      ASSERT_TRUE(ActivateWindowOf(d));
      ASSERT_EQ(w.Dialog(), d);
      EXPECT_EQ(d->NotFoundEdit->GetText(), c.word);
      EXPECT_EQ(StateOf(d), c.prompt);
    }
    // The "(no suggestions)" line is no replacement, however it is clicked.
    DoubleClickRow(d->SuggestionsListbox, 0);
    if (!c.prompt.suggestions) {
      ASSERT_TRUE(w.Spell->CheckRunning());
      EXPECT_EQ(d->NotFoundEdit->GetText(), c.word);
      EXPECT_EQ(d->ReplaceWithEdit->GetText(), "");
      d->IgnoreButton->Click();
    }
    EXPECT_FALSE(w.Spell->CheckRunning());
    for (const std::string& learned : LearnedWords(w)) {
      EXPECT_EQ(learned.find("suggestions"), std::string::npos);
    }
    if (!c.prompt.suggestions) {
      EXPECT_EQ(w.E.Text(), c.text);
    }
  }
}

// The keyboard starts where the prompt is answered, never in the read-only
// word: a replacement typed at once goes to "Change To"; at a repeated word,
// where nothing is typed, Space ignores it.
TEST(DialogActivation, TheKeyboardStartsWhereThePromptIsAnswered) {
  struct Case {
    std::string text, word, keyboard;
    const char* typed;  // replaces the offered word, then Change; empty: Space
    std::string result;
  } cases[] = {
      {"happy wrods days", "wrods", "ReplaceWithEdit", "birds", "happy birds days"},
      {"happy Zqxvjkwpf days", "Zqxvjkwpf", "ReplaceWithEdit", "good", "happy good days"},
      {"the the end", "the the", "IgnoreButton", "", "the the end"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    TSpellEditor w;
    w.SetText({c.text});
    TInteractionScript script;
    script.Answer(IDOK);
    w.Check();
    ASSERT_TRUE(w.Spell->CheckRunning());
    TSpellDialog* d = w.Dialog();
    ASSERT_TRUE(ActivateWindowOf(d));
    ASSERT_EQ(d->NotFoundEdit->GetText(), c.word);
    TControl* focused = TControl::FromWidget(QApplication::focusWidget());
    ASSERT_NE(focused, nullptr) << "the keyboard is nowhere in the dialog";
    EXPECT_EQ(focused->GetName(), c.keyboard);
    QWidget* keys = QApplication::focusWidget();
    if (*c.typed) {
      QTest::keyClick(keys, Qt::Key_A, Qt::ControlModifier);
      QTest::keyClicks(keys, c.typed);
      EXPECT_EQ(d->ReplaceWithEdit->GetText(), c.typed);
      if (d->ChangeButton->GetEnabled()) d->ChangeButton->Click();
    } else {
      QTest::keyClick(keys, Qt::Key_Space);
    }
    QApplication::processEvents();
    if (w.Spell->CheckRunning()) d->CancelButton->Click();
    EXPECT_EQ(w.E.Text(), c.result);
  }
}

// Commands that reach the engine anyway (a host's own buttons, a script):
// an empty replacement is no pair to keep.
TEST(DialogActivation, AnEmptyChangeAllOrAutoCorrectIsRefusedAndTeachesNothing) {
  struct Case {
    std::string command, replacement;
  } cases[] = {{"Change All", ""}, {"Change All", "  "}, {"Change All", "\n"},
               {"Auto-Correct", ""}, {"Auto-Correct", " \t"}, {"Auto-Correct", "\r\n"},
               // No-break spaces, a soft hyphen, a control character: nothing shows.
               {"Change All", "\xA0"}, {"Auto-Correct", "\xA0\xA0\xA0"}, {"Auto-Correct", "\xAD"},
               {"Change All", " \x1F"}};
  for (const auto& [command, replacement] : cases) {
    SCOPED_TRACE(command + " '" + replacement + "'");
    TSpellEditor w;
    w.SetText({"happy Zqxv days"});
    {
      TInteractionScript script;
      script.Answer(IDOK);
      w.Check();
      ASSERT_TRUE(w.Spell->CheckRunning());
      ASSERT_EQ(w.Dialog()->NotFoundEdit->GetText(), "Zqxv");
      if (command == "Change All")
        w.Spell->ChangeAll(replacement);
      else
        w.Spell->AutoCorrect(replacement);
      ASSERT_TRUE(w.Spell->CheckRunning());
      EXPECT_EQ(w.Dialog()->NotFoundEdit->GetText(), "Zqxv");
      EXPECT_EQ(w.E.Text(), "happy Zqxv days");
      w.Dialog()->IgnoreButton->Click();
      EXPECT_FALSE(w.Spell->CheckRunning());
    }
    AnsiString with;
    EXPECT_FALSE(w.Spell->InternalDictionary().FindAutoCorrect("Zqxv", with)) << with;
    ASSERT_NE(w.Spell->ActiveCustomDictionary(), nullptr);
    EXPECT_FALSE(w.Spell->ActiveCustomDictionary()->FindAutoCorrect("Zqxv", with)) << with;
    // The next check asks about the word again instead of deleting it.
    TInteractionScript script;
    script.Answer(IDOK);
    w.Check();
    ASSERT_TRUE(w.Spell->CheckRunning());
    EXPECT_EQ(w.Dialog()->NotFoundEdit->GetText(), "Zqxv");
    w.Dialog()->CancelButton->Click();
    EXPECT_EQ(w.E.Text(), "happy Zqxv days");
  }
}

}  // namespace

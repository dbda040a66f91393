// A Replace With that shows nothing (spaces of any kind, zero-width and
// control characters) would delete its word unseen: it is refused in the
// spelling dialog, by the engine and in the dictionary editor.
#include "SpellEditorSupport.h"

#include "spell/scConfigDialogs.h"
#include "spell/scCustomDictionary.h"
#include "spell/scUtil.h"

#include "platform/gui/ControlsPrivate.h"

#include <gtest/gtest.h>

namespace {
using spellvltest::TSpellEditor;

// What a user can type or paste that shows nothing (UTF-8).
const char* const kInvisible[] = {
    "   ",                       // ordinary spaces
    "\xC2\xA0",                  // no-break space
    "\xC2\xA0\xC2\xA0\xC2\xA0",  // three of them
    "\t\xE2\x80\xAF ",           // tab, narrow no-break space, space
    "\xE2\x80\x83",              // em space
    "\xE3\x80\x80",              // ideographic space
    "\xE2\x80\x8B",              // zero-width space
    "\xE2\x80\x8D\xE2\x81\xA0",  // zero-width joiner, word joiner
    "\xEF\xBB\xBF",              // byte order mark
    "\xC2\xAD",                  // soft hyphen
    "\x01\x7F",                  // control characters
    "\xF3\xA0\x80\xA0",          // tag space, beyond the basic plane
    "\xCC\x80",                  // a combining grave accent with nothing to sit on
    "\xE2\x81\xA4\xCC\x81\xCC\xA3",  // invisible plus, two combining marks
    "\xEF\xBF\xB9",              // interlinear annotation anchor
    "\xF0\x9D\x85\xB3",          // musical begin beam (a format character)
    "\xF0\x93\x90\xB0",          // hieroglyph joiner (a format character)
    "\xF0\x9B\xB2\xA0",          // shorthand letter overlap (a format character)
    "\xF3\xA0\x84\x81",          // variation selector beyond the basic plane
    "\xE2\x80\xA8",              // line separator
};

// Into Widget as the keyboard sends Text (a key event per character); what
// no key can type (control characters) arrives as a paste would.
void Enter(TEdit* Edit, const char* Text) {
  Edit->SetText("");
  spellvltest::TypeText(WidgetOf(Edit), Text);
  if (Edit->GetText() != Text) Edit->SetText(Text);
}

TEST(InvisibleReplacement, ChangeCommandsStayGreyAndTheWordStays) {
  for (const char* with : kInvisible) {
    SCOPED_TRACE(testing::PrintToString(std::string(with)));
    TSpellEditor w;
    w.Spell->Configuration().SetActive(true);
    w.Spell->OpenDictionaries();
    w.SetText({"later Pkvfjhq here"});
    TInteractionScript script;
    for (int i = 0; i < 4; ++i) script.Answer(IDOK);
    w.Check();
    ASSERT_TRUE(w.Spell->CheckRunning());
    TSpellDialog* d = w.Dialog();
    ASSERT_EQ(d->NotFoundEdit->GetText(), "Pkvfjhq");
    ASSERT_EQ(d->ReplaceWithEdit->GetText(), "");  // no suggestions
    Enter(d->ReplaceWithEdit, with);
    for (TButton* b : {d->ChangeButton, d->ChangeAllButton, d->AutoCorrectButton})
      EXPECT_FALSE(b->GetEnabled()) << b->GetName();
    // A visible letter beside it is a replacement.
    d->ReplaceWithEdit->SetText(String(with) + "x");
    for (TButton* b : {d->ChangeButton, d->ChangeAllButton, d->AutoCorrectButton})
      EXPECT_TRUE(b->GetEnabled()) << b->GetName();
    // The engine refuses the same text by itself, with no message naming
    // nothing in quotes: the check stays at the word.
    d->DialogControl->Change(with);
    d->DialogControl->ChangeAll(with);
    d->DialogControl->AutoCorrect(with);
    ASSERT_TRUE(w.Spell->CheckRunning());
    EXPECT_EQ(d->NotFoundEdit->GetText(), "Pkvfjhq");
    EXPECT_TRUE(script.Shown.empty()) << script.Shown[0].Text;
    d->CancelButton->Click();
    EXPECT_EQ(w.E.Text(), "later Pkvfjhq here");
    // Nothing was taught: the next check asks again, and the learning
    // dictionary holds no blank word.
    AnsiString r;
    ASSERT_NE(w.Spell->ActiveCustomDictionary(), nullptr);
    EXPECT_FALSE(w.Spell->ActiveCustomDictionary()->FindAutoCorrect("Pkvfjhq", r)) << r;
    EXPECT_FALSE(w.Spell->InternalDictionary().FindAutoCorrect("Pkvfjhq", r)) << r;
    w.Check();
    ASSERT_TRUE(w.Spell->CheckRunning());
    EXPECT_EQ(w.Dialog()->NotFoundEdit->GetText(), "Pkvfjhq");
    w.Dialog()->CancelButton->Click();
    EXPECT_EQ(w.E.Text(), "later Pkvfjhq here");
    w.Spell->CloseDictionaries();
    if (TCustomDictionary* learning = w.Spell->LearningDictionary()) {
      AnsiString word;
      for (int i = 0; i < learning->GetAddedCount(); ++i) {
        learning->GetAddedWord(i, word);
        EXPECT_FALSE(IsUnusableReplacement(word)) << "learned " << testing::PrintToString(word);
      }
    }
  }
}

TEST(InvisibleReplacement, TheDictionaryEditorOffersNoBlankPair) {
  TSpellEditor w;
  w.Spell->Configuration().SetActive(true);
  w.Spell->OpenDictionaries();
  TCustomDictionary* custom = w.Spell->ActiveCustomDictionary();
  ASSERT_NE(custom, nullptr);
  ASSERT_TRUE(custom->AddAutoCorrect("teh", "the"));
  TCustomDictionaryEditDialog d(nullptr);
  w.Spell->BindDialogControl(&d, custom);
  for (const char* with : kInvisible) {
    SCOPED_TRACE(testing::PrintToString(std::string(with)));
    // Neither a word to accept nor one to exclude.
    for (auto [edit, add] : {std::pair{d.IgnoreEdit, d.AddIgnoreButton}, std::pair{d.ExcludeEdit, d.AddExcludeButton}}) {
      Enter(edit, with);
      EXPECT_FALSE(add->GetEnabled()) << edit->GetName();
      add->Click();
      Enter(edit, "Pkvfjhq");
      EXPECT_TRUE(add->GetEnabled()) << edit->GetName();
    }
    EXPECT_EQ(custom->GetAddedCount(), 0);
    EXPECT_EQ(custom->GetExcludedCount(), 0);
    Enter(d.ReplaceEdit, "Pkvfjhq");
    Enter(d.WithEdit, with);
    EXPECT_FALSE(d.AddAutoCorrectButton->GetEnabled());
    d.WithEdit->SetText("x");
    EXPECT_TRUE(d.AddAutoCorrectButton->GetEnabled());
    // A pair's replacement edited to nothing visible keeps the last one.
    d.ReplaceEdit->SetText("teh");
    ASSERT_GE(d.AutoCorrectList->GetItemIndex(), 0);
    Enter(d.WithEdit, with);
    AnsiString r;
    EXPECT_TRUE(custom->FindAutoCorrect("teh", r));
    EXPECT_EQ(r, "the");
    EXPECT_FALSE(custom->FindAutoCorrect("Pkvfjhq", r)) << r;
  }
}

}  // namespace

// Words beyond ASCII through the spelling dialog, the dictionary editor,
// the thesaurus dialog and the dictionary files: every letter reaches the
// entry and the files as the user wrote or chose it.
#include "SpellEditorSupport.h"

#include "platform/base/SysUtils.h"
#include "spell/scConfigDialogs.h"
#include "spell/scCustomDictionary.h"
#include "spell/scSpellDialog.h"
#include "spell/scThesaurus.h"
#include "spell/scUtil.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace {
using spellvltest::TSpellEditor;

struct TStep {
  String shown;       // the Not Found word
  String offered;     // what Replace With holds when it comes ("" for anything)
  String button;      // Change, ChangeAll, Add, AutoCorrect, Ignore
  String typed = "";  // typed into Replace With first
};

TButton* ButtonNamed(TSpellDialog* d, const String& name) {
  if (name == "Change") return d->ChangeButton;
  if (name == "ChangeAll") return d->ChangeAllButton;
  if (name == "Add") return d->AddButton;
  if (name == "AutoCorrect") return d->AutoCorrectButton;
  return d->IgnoreButton;
}

std::string FileBytes(const String& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// The bytes an entry has in a dictionary file: kind, word, 0 (and the
// replacement, 0, for a pair).
std::string EntryBytes(char kind, const std::string& word, const std::string& replacement = "") {
  std::string e(1, kind);
  e += word;
  e += '\0';
  if (kind == 'A') {
    e += replacement;
    e += '\0';
  }
  return e;
}

std::vector<std::string> AddedWords(TCustomDictionary& d) {
  std::vector<std::string> r;
  AnsiString w;
  for (int i = 0; i < d.GetAddedCount(); ++i) {
    d.GetAddedWord(i, w);
    r.push_back(w);
  }
  std::sort(r.begin(), r.end());
  return r;
}

std::vector<std::pair<std::string, std::string>> Pairs(TCustomDictionary& d) {
  std::vector<std::pair<std::string, std::string>> r;
  AnsiString w, rep;
  for (int i = 0; i < d.GetAutoCorrectCount(); ++i) {
    d.GetAutoCorrect(i, rep, w);
    r.emplace_back(w, rep);
  }
  std::sort(r.begin(), r.end());
  return r;
}

TEST(AccentedWords, DialogCommandsKeepEveryLetterInTheEntryAndTheFiles) {
  // Engine bytes are code page 1252: \xE9 é, \xEF ï, \xFB û, \xF1 ñ, \xDF ß.
  struct Case {
    std::vector<std::string> text;
    std::vector<TStep> steps;
    std::string result;
    std::vector<std::string> added;                            // the custom dictionary's words, bytes
    std::vector<std::pair<std::string, std::string>> pairs;    // its auto-correct pairs, bytes
    std::vector<std::pair<std::string, std::string>> learned;  // learned pairs, bytes
    int refused = 0;  // replacements refused with a message
  } cases[] = {
      {{"My fiancee and I met at the cafe."},
       {{"fiancee", "fiancée", "Change"}, {"cafe", "café", "Change"}},
       "My fiancée and I met at the café.",
       {},
       {},
       {{"cafe", "caf\xE9"}, {"fiancee", "fianc\xE9" "e"}}},
      {{"cafe, cafe", "and cafe again"},
       {{"cafe", "café", "ChangeAll"}},
       "café, café|and café again",
       {},
       {},
       {{"cafe", "caf\xE9"}}},
      // Pasted or typed replacements with letters of the code page.
      {{"manana we go to the Strasse"},
       // A changed word is checked again: the new one is shown as typed.
       {{"manana", "", "Change", "mañana"}, {"mañana", "", "Ignore"}, {"Strasse", "", "ChangeAll", "Straße"}},
       "mañana we go to the Straße",
       {},
       {},
       {{"Strasse", "Stra\xDF" "e"}, {"manana", "ma\xF1" "ana"}}},
      {{"a naïve plan and crème brulee"},
       {{"naïve", "", "Add"}, {"crème", "", "Ignore"}, {"brulee", "", "AutoCorrect", "brûlée"}},
       "a naïve plan and crème brûlée",
       {"na\xEFve"},
       {{"brulee", "br\xFBl\xE9" "e"}},
       {{"brulee", "br\xFBl\xE9" "e"}}},
      // A curly apostrophe in the entry: suggestions keep it whole.
      {{"I don\xE2\x80\x99t know, dont you"},
       {{"dont", "don\xE2\x80\x99t", "Change"}},
       "I don\xE2\x80\x99t know, don\xE2\x80\x99t you",
       {},
       {},
       {{"dont", "don\x92t"}}},
      // Letters the code page lacks are letters of their words: the words
      // are passed over whole, never cut at them or rewritten.
      {{"\xC3\xA9" "crivain \xC5\x81\xC3\xB3" "d s\xC4\x85 \xC4\x8D" "ia b\xC4\x99" "d\xC4\x99 \xC4\x97jo "
        "\xC5\xAB" "kis Gy\xC5\x91r wrods"},
       {{"écrivain", "", "Ignore"}, {"wrods", "words", "Change"}},
       "\xC3\xA9" "crivain \xC5\x81\xC3\xB3" "d s\xC4\x85 \xC4\x8D" "ia b\xC4\x99" "d\xC4\x99 \xC4\x97jo "
       "\xC5\xAB" "kis Gy\xC5\x91r words",
       {},
       {},
       {{"wrods", "words"}}},
      // A replacement the code page cannot hold is refused, not mangled.
      {{"we flew to Lodzz"},
       {{"Lodzz", "", "Change", "\xC5\x81\xC3\xB3" "d\xC5\xBA"}, {"Lodzz", "", "Ignore"}},
       "we flew to Lodzz",
       {},
       {},
       {},
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text[0]);
    TSpellEditor w;
    w.SetText(c.text);
    TInteractionScript script;
    for (int i = 0; i < c.refused; ++i) script.Answer(IDOK);
    script.Answer(IDOK);  // "The spelling check is complete."
    w.Check();
    for (const TStep& s : c.steps) {
      ASSERT_TRUE(w.Spell->CheckRunning()) << "ended before " << s.shown;
      TSpellDialog* d = w.Dialog();
      EXPECT_EQ(d->NotFoundEdit->GetText(), s.shown);
      if (!s.offered.empty()) {
        EXPECT_EQ(d->ReplaceWithEdit->GetText(), s.offered);
        EXPECT_EQ(d->SuggestionsListbox->Items().Get(0), s.offered);
      }
      for (int i = 0; i < d->SuggestionsListbox->Items().Count(); ++i)
        EXPECT_TRUE(IsUtf8(d->SuggestionsListbox->Items().Get(i)) &&
                    d->SuggestionsListbox->Items().Get(i).find("\xEF\xBF\xBD") == String::npos)
            << d->SuggestionsListbox->Items().Get(i);
      if (!s.typed.empty()) d->ReplaceWithEdit->SetText(s.typed);
      ButtonNamed(d, s.button)->Click();
    }
    EXPECT_FALSE(w.Spell->CheckRunning());
    EXPECT_EQ(w.E.Text(), c.result);
    ASSERT_EQ(script.Shown.size(), static_cast<size_t>(c.refused) + 1);
    for (int i = 0; i < c.refused; ++i)
      EXPECT_NE(script.Shown[static_cast<size_t>(i)].Text.find("cannot hold"), String::npos);

    // The files hold the words in the dictionaries' code page, byte for byte.
    TCustomDictionary* custom = w.Spell->ActiveCustomDictionary();
    TCustomDictionary* learning = w.Spell->LearningDictionary();
    ASSERT_TRUE(custom && learning);
    ASSERT_TRUE(custom->Save());
    ASSERT_TRUE(learning->Save());
    const std::string customBytes = FileBytes(custom->FileName());
    const std::string learnedBytes = FileBytes(learning->FileName());
    for (const auto& a : c.added) EXPECT_NE(customBytes.find(EntryBytes('I', a)), std::string::npos) << a;
    for (const auto& [from, to] : c.pairs)
      EXPECT_NE(customBytes.find(EntryBytes('A', from, to)), std::string::npos) << from;
    for (const auto& [from, to] : c.learned) {
      EXPECT_NE(learnedBytes.find(EntryBytes('A', from, to)), std::string::npos) << from;
      EXPECT_NE(learnedBytes.find(EntryBytes('I', to)), std::string::npos) << to;
    }
    TCustomDictionary reread, relearned;
    ASSERT_TRUE(reread.SetFileName(custom->FileName()));
    ASSERT_TRUE(relearned.SetFileName(learning->FileName()));
    EXPECT_EQ(AddedWords(reread), c.added);
    EXPECT_EQ(Pairs(reread), c.pairs);
    EXPECT_EQ(Pairs(relearned), c.learned);
  }
}

TEST(AccentedWords, PairsMadeInTheEditorApplyWholeAtTheNextCheck) {
  TSpellEditor w;
  w.Spell->Configuration().SetActive(true);
  w.Spell->OpenDictionaries();
  TCustomDictionary* custom = w.Spell->ActiveCustomDictionary();
  ASSERT_NE(custom, nullptr);
  {
    TCustomDictionaryEditDialog d(nullptr);
    w.Spell->BindDialogControl(&d, custom);
    struct Row {
      String word, with;
    } rows[] = {{"brulee", "brûlée"}, {"creme", "crème"}, {"Beyonce", "Beyoncé"}};
    for (const Row& r : rows) {
      d.ReplaceEdit->SetText(r.word);
      d.WithEdit->SetText(r.with);
      ASSERT_TRUE(d.AddAutoCorrectButton->GetEnabled()) << r.word;
      d.AddAutoCorrectButton->Click();
    }
    d.IgnoreEdit->SetText("naïveté");
    ASSERT_TRUE(d.AddIgnoreButton->GetEnabled());
    d.AddIgnoreButton->Click();
    // A word the dictionary cannot hold is not offered for adding.
    d.IgnoreEdit->SetText("Łódź");
    EXPECT_FALSE(d.AddIgnoreButton->GetEnabled());
    d.ReplaceEdit->SetText("Lodz");
    d.WithEdit->SetText("Łódź");
    EXPECT_FALSE(d.AddAutoCorrectButton->GetEnabled());
  }
  EXPECT_TRUE(custom->IsAddedWord("na\xEFvet\xE9"));
  AnsiString r;
  EXPECT_TRUE(custom->FindAutoCorrect("brulee", r));
  EXPECT_EQ(r, "br\xFBl\xE9" "e");
  // The editor shows the rows as they were typed when it opens again.
  {
    TCustomDictionaryEditDialog d(nullptr);
    w.Spell->BindDialogControl(&d, custom);
    std::vector<String> words, pairs;
    for (int i = 0; i < d.IgnoreList->Items().Count(); ++i) words.push_back(d.IgnoreList->Items().Get(i));
    for (int i = 0; i < d.AutoCorrectList->Items().Count(); ++i) pairs.push_back(d.AutoCorrectList->Items().Get(i));
    EXPECT_EQ(words, std::vector<String>{"naïveté"});
    EXPECT_EQ(pairs, (std::vector<String>{"Beyonce  →  Beyoncé", "brulee  →  brûlée", "creme  →  crème"}));
  }
  // The next check applies the pairs without asking and accepts the word.
  w.SetText({"creme brulee for Beyonce, naïveté"});
  TInteractionScript script;
  script.Answer(IDOK);
  w.Check();
  EXPECT_FALSE(w.Spell->CheckRunning()) << w.Dialog()->NotFoundEdit->GetText();
  EXPECT_EQ(w.E.Text(), "crème brûlée for Beyoncé, naïveté");
}

TEST(AccentedWords, LearnedEntriesDamagedBeforeAreDroppedWhenRead) {
  TSpellEditor w;
  const String file = w.Tmp.str() + "/learn.spl";
  {
    TCustomDictionary d;
    ASSERT_TRUE(d.SetFileName(file));
    d.SetActive(true);
    d.AddAutoCorrect("fiancee", "fianc\xEF\xBF\xBD" "e");  // U+FFFD in UTF-8
    d.AddWord("fianc\xEF\xBF\xBD" "e");
    d.AddAutoCorrect("cafe", "caf\xC3\xA9");  // UTF-8 read as 1252
    d.AddAutoCorrect("dont", "don\xE2\x80\x99t");
    d.AddAutoCorrect("teh", "the");  // sound entries stay
    d.AddAutoCorrect("naive", "na\xEFve");
    d.AddWord("caf\xE9");
    ASSERT_TRUE(d.Save());
  }
  w.SetText({"My fiancee at the cafe"});
  TInteractionScript script;
  script.Answer(IDOK);
  w.Check();
  ASSERT_TRUE(w.Spell->CheckRunning());
  TSpellDialog* d = w.Dialog();
  EXPECT_EQ(d->NotFoundEdit->GetText(), "fiancee");
  EXPECT_EQ(d->ReplaceWithEdit->GetText(), "fiancée");
  d->ChangeButton->Click();
  EXPECT_EQ(d->ReplaceWithEdit->GetText(), "café");
  d->ChangeButton->Click();
  EXPECT_EQ(w.E.Text(), "My fiancée at the café");
  TCustomDictionary* learning = w.Spell->LearningDictionary();
  ASSERT_TRUE(learning && learning->Save());
  TCustomDictionary reread;
  ASSERT_TRUE(reread.SetFileName(file));
  EXPECT_EQ(Pairs(reread), (std::vector<std::pair<std::string, std::string>>{
                               {"cafe", "caf\xE9"}, {"fiancee", "fianc\xE9" "e"}, {"naive", "na\xEFve"}, {"teh", "the"}}));
  EXPECT_EQ(AddedWords(reread), (std::vector<std::string>{"caf\xE9", "fianc\xE9" "e"}));
}

TEST(AccentedWords, ThesaurusShowsAndPutsInWordsWithTheirLetters) {
  TSpellEditor w;
  w.SetText({"such a cliché here"});
  w.E.Edit->SetSelectionBounds(0, 10, 0, 10);  // inside "cliché"
  String looked, chosen;
  std::vector<String> shown;
  TInteractionScript script;
  script.Do([&](TInteraction& r) {
    auto* d = dynamic_cast<TThesDialog*>(r.Form);
    if (!d) return static_cast<int>(mrCancel);
    looked = d->LookupCombo->GetText();
    for (int m = 0; m < d->ContextLV->Items().Count(); ++m) {
      shown.push_back(d->ContextLV->Items().Get(m));
      d->ContextLV->SetItemIndex(m);
      d->SelectContext(m);
      for (int i = 0; i < d->WordList->Items().Count(); ++i) shown.push_back(d->WordList->Items().Get(i));
    }
    // Look up a word typed with an accent, then take a word offered for it.
    d->ReplaceEdit->SetText("café");
    d->LookupButton->Click();
    EXPECT_EQ(d->LookupCombo->GetText(), "café");
    d->ContextLV->SetItemIndex(0);
    d->SelectContext(0);
    d->ReplaceEdit->SetText("naïveté");
    d->ReplaceButton->Click();
    chosen = "naïveté";
    return static_cast<int>(mrOk);
  });
  w.Thesaurus->LookupVellumEdit(w.E.Edit);
  EXPECT_EQ(looked, "cliché");
  ASSERT_FALSE(shown.empty());
  for (const String& s : shown) EXPECT_TRUE(IsUtf8(s) && s.find("\xEF\xBF\xBD") == String::npos) << s;
  EXPECT_EQ(w.E.Text(), "such a " + chosen + " here");
}

}  // namespace

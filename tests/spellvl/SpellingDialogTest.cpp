// Scripted spelling checks of a real editor through the spelling dialog.
#include "SpellEditorSupport.h"
#include "support/AccessKeyWalk.h"

#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/QtText.h"
#include "spell/scCustomDictionary.h"
#include "spell/scUtil.h"
#include "spellvl/VellumParser.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>

namespace {
using spellvltest::TSpellEditor;

// One prompt of the dialog and the button pressed for it.
struct TStep {
  std::string shown;
  bool repeated;
  std::function<TButton*(TSpellDialog*)> button;
  std::string replaceWith = "";  // typed into "Replace With" first, when not empty
};

TButton* Change(TSpellDialog* d) { return d->ChangeButton; }
TButton* ChangeAll(TSpellDialog* d) { return d->ChangeAllButton; }
TButton* Ignore(TSpellDialog* d) { return d->IgnoreButton; }
TButton* Add(TSpellDialog* d) { return d->AddButton; }

// Runs the steps; returns the prompts that came beyond them (none is right).
std::vector<std::string> RunSteps(TSpellEditor& w, const std::vector<TStep>& steps, TInteractionScript& script) {
  w.Check();
  for (const TStep& s : steps) {
    if (!w.Spell->CheckRunning()) {
      ADD_FAILURE() << "the check ended before \"" << s.shown << "\"";
      return {};
    }
    TSpellDialog* d = w.Dialog();
    EXPECT_EQ(d->NotFoundEdit->GetText(), s.shown);
    EXPECT_EQ(d->NotFoundText->GetText(), s.repeated ? "Repeated Word:" : "Not Found:") << s.shown;
    if (!s.replaceWith.empty()) d->ReplaceWithEdit->SetText(s.replaceWith);
    TButton* b = s.button(d);
    EXPECT_TRUE(b->GetEnabled()) << b->GetName() << " for " << s.shown;
    b->Click();
  }
  std::vector<std::string> extra;
  for (int guard = 0; w.Spell->CheckRunning() && guard < 10; ++guard) {
    extra.push_back(w.Dialog()->NotFoundEdit->GetText());
    w.Dialog()->CancelButton->Click();
  }
  (void)script;
  return extra;
}

TEST(SpellingDialog, ScriptedChecksEndWithTheCorrectedText) {
  struct Case {
    std::vector<std::string> text;
    std::vector<TStep> steps;
    std::string result;
    int undoSteps;  // editor undo steps that bring the text back
  } cases[] = {
      {{"teh the the quik"},
       {{"teh", false, Change},
        {"the the", true, Change},
        {"the the", true, Change},
        {"quik", false, Change, "quick"}},
       "the quick",
       4},
      // Change All also changes every later occurrence, without asking.
      {{"recieve and recieve", "then recieve"}, {{"recieve", false, ChangeAll, "receive"}}, "receive and receive|then receive", 3},
      // ... in its capitalised and upper-case forms too, in their case.
      {{"teh cat. Teh dog. TEH END teh"}, {{"teh", false, ChangeAll, "the"}}, "the cat. The dog. THE END the", -1},
      {{"good wrods here"}, {{"wrods", false, Ignore}}, "good wrods here", -1},
      // A word after an emoji is replaced where it stands.
      {{"\xF0\x9F\x98\x80 teh end"}, {{"teh", false, Change}}, "\xF0\x9F\x98\x80 the end", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text[0]);
    TSpellEditor w;
    w.SetText(c.text);
    const std::string before = w.E.Text();
    TInteractionScript script;
    script.Answer(IDOK);  // "The spelling check is complete."
    EXPECT_TRUE(RunSteps(w, c.steps, script).empty());
    EXPECT_FALSE(w.Spell->CheckRunning());
    EXPECT_EQ(w.E.Text(), c.result);
    ASSERT_EQ(script.Shown.size(), 1u);
    EXPECT_EQ(script.Shown[0].Text, "The spelling check is complete.");
    if (c.undoSteps > 0) {
      EXPECT_EQ(w.UndoStepsTo(before), c.undoSteps);
    }
  }
}

// The dialog by keyboard, in each of its languages and at each kind of
// prompt: every command it offers answers its key (pressed from another
// control, a button goes down and takes the focus, a label's key takes it to
// its field), and no two of its controls show one key, but for English's
// fixed "C&hange" and "&Help". At a repeated word Ignore All and Change All
// do nothing: their keys answer Ignore and Change.
TEST(SpellingDialog, EveryCommandOfferedAnswersItsKeyAtEveryPromptInEveryLanguage) {
  using namespace qytest::keywalk;
  struct TPrompt {
    const char* Name;
    const char* Text;
    bool Repeated;
    // At a repeated word, the key of this button, and the text it leaves.
    TButton* TSpellDialog::*KeyOf = nullptr;
    const char* Left = "";
  };
  const TPrompt prompts[] = {
      {"not found, with suggestions", "happy wrods days", false},
      {"not found, without suggestions", "happy Zqxvjkwpf days", false},
      {"repeated word, the key of Change All", "and the the cat", true, &TSpellDialog::ChangeAllButton, "and the cat"},
      {"repeated word, the key of Ignore All", "and the the cat", true, &TSpellDialog::IgnoreAllButton,
       "and the the cat"},
  };
  TSpellEditor w;
  w.Spell->HelpCtxSpellDialog = 7;  // Help shows too
  for (int language = 0; language < kSpellLanguageCount; ++language)
    for (const TPrompt& p : prompts) {
      SCOPED_TRACE(std::to_string(language) + ", " + p.Name);
      w.Spell->UILanguage = static_cast<TSpellLanguageType>(language);
      w.SetText({p.Text});
      TInteractionScript script;
      script.Answer(IDOK);  // "The spelling check is complete."
      w.Check();
      ASSERT_TRUE(w.Spell->CheckRunning());
      TSpellDialog* d = w.Dialog();
      ASSERT_TRUE(spellvltest::ActivateWindowOf(d));
      ASSERT_EQ(d->RepeatedState(), p.Repeated);
      for (const std::string& fault :
           CheckOpenKeys(d, [&](const std::string&, int key) { return language == ltEnglish && key == Qt::Key_H; }))
        ADD_FAILURE() << "language " << language << ", " << p.Name << ": " << fault;
      if (p.KeyOf) {
        PressAlt(QApplication::focusWidget(), QKeySequence::mnemonic(ToQ((d->*p.KeyOf)->GetText()))[0].key());
        Settle();
        EXPECT_FALSE(w.Spell->CheckRunning());
        EXPECT_EQ(w.E.Text(), p.Left);
      }
      w.Spell->CancelCheck();
      Settle();
    }
}

// A pair taught by Change All, Auto-Correct or the dictionary editor covers
// the word's lower-case, capitalised and upper-case forms, each replaced in
// its own case; a replacement with a case of its own keeps it.
TEST(SpellingDialog, TaughtPairsCoverEveryCaseFormInItsOwnCase) {
  auto autoCorrect = [](TSpellDialog* d) { return d->AutoCorrectButton; };
  struct Case {
    std::string text;
    std::vector<std::pair<std::string, std::string>> taught;  // in the custom dictionary before
    std::vector<TStep> steps;
    std::string result;
  } cases[] = {
      {"Beleive it, I beleive, BELEIVE", {}, {{"Beleive", false, ChangeAll, "Believe"}}, "Believe it, I believe, BELIEVE"},
      {"Beleive it, I beleive, BELEIVE", {}, {{"Beleive", false, autoCorrect, "Believe"}}, "Believe it, I believe, BELIEVE"},
      {"BELEIVE it, I beleive", {}, {{"BELEIVE", false, ChangeAll, "BELIEVE"}}, "BELIEVE it, I believe"},
      {"brulee, Brulee, BRULEE", {{"brulee", "Br\xC3\xBBl\xC3\xA9" "e"}}, {},
       "Br\xC3\xBBl\xC3\xA9" "e, Br\xC3\xBBl\xC3\xA9" "e, BR\xC3\x9BL\xC3\x89" "E"},
      {"recieve, RECIEVE, Recieve", {{"Recieve", "Receive"}}, {}, "receive, RECEIVE, Receive"},
      {"creme, Creme, CREME", {{"creme", "cr\xC3\xA8me"}}, {}, "cr\xC3\xA8me, Cr\xC3\xA8me, CR\xC3\x88ME"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    TSpellEditor w;
    w.Spell->Configuration().SetActive(true);
    w.Spell->OpenDictionaries();
    ASSERT_NE(w.Spell->ActiveCustomDictionary(), nullptr);
    for (const auto& [word, with] : c.taught)
      ASSERT_TRUE(w.Spell->ActiveCustomDictionary()->AddAutoCorrect(SpellWordFromText(word), SpellWordFromText(with)));
    w.SetText({c.text});
    TInteractionScript script;
    script.Answer(IDOK);
    EXPECT_TRUE(RunSteps(w, c.steps, script).empty());
    EXPECT_EQ(w.E.Text(), c.result);
  }
}

// Where the text takes no changes the pair is offered instead, first.
TEST(SpellingDialog, ATaughtPairLeadsTheSuggestionsOfEveryCaseForm) {
  struct Case {
    std::string word, first;
  } cases[] = {{"brulee", "Br\xC3\xBBl\xC3\xA9" "e"},
               {"Brulee", "Br\xC3\xBBl\xC3\xA9" "e"},
               {"BRULEE", "BR\xC3\x9BL\xC3\x89" "E"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.word);
    TSpellEditor w;
    w.Spell->Configuration().SetActive(true);
    w.Spell->OpenDictionaries();
    ASSERT_NE(w.Spell->ActiveCustomDictionary(), nullptr);
    ASSERT_TRUE(w.Spell->ActiveCustomDictionary()->AddAutoCorrect("brulee", SpellWordFromText("Br\xC3\xBBl\xC3\xA9" "e")));
    w.SetText({"sweet " + c.word});
    w.E.Edit->SetReadOnly(true);
    TInteractionScript script;
    script.Answer(IDOK);
    w.Check();
    ASSERT_TRUE(w.Spell->CheckRunning());
    TSpellDialog* d = w.Dialog();
    EXPECT_EQ(d->NotFoundEdit->GetText(), c.word);
    ASSERT_GT(d->SuggestionsListbox->Items().Count(), 0);
    EXPECT_EQ(d->SuggestionsListbox->Items().Get(0), c.first);
    d->CancelButton->Click();
  }
}

// A character beyond the basic plane (an emoji) is none the dictionaries
// can hold: typed into Replace With it is refused with a message and the
// entry keeps its text exactly; in the text it is passed over and kept.
TEST(SpellingDialog, CharactersBeyondTheBasicPlaneAreKeptExactly) {
  struct Case {
    const char* button;
    const char* typed;
  } cases[] = {{"Change", "the\xF0\x9F\x98\x80"},
               {"Change All", "\xF0\x9F\x98\x80"},
               {"Auto-Correct", "t\xF0\x9D\x90\x80h"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.button) + " " + c.typed);
    const std::string text = "teh \xF0\x9F\x98\x80" "cat wrods\xF0\x9F\x98\x80 caf\xC3\xA9";
    TSpellEditor w;
    w.SetText({text});
    TInteractionScript script;
    script.Answer(IDOK);  // the refusal
    script.Answer(IDOK);  // "The spelling check is complete."
    w.Check();
    ASSERT_TRUE(w.Spell->CheckRunning());
    TSpellDialog* d = w.Dialog();
    ASSERT_EQ(d->NotFoundEdit->GetText(), "teh");
    d->ReplaceWithEdit->SetText("");
    spellvltest::TypeText(WidgetOf(d->ReplaceWithEdit), c.typed);
    ASSERT_EQ(d->ReplaceWithEdit->GetText(), c.typed);
    TButton* b = std::string(c.button) == "Change" ? d->ChangeButton
                 : std::string(c.button) == "Change All" ? d->ChangeAllButton
                                                          : d->AutoCorrectButton;
    ASSERT_TRUE(b->GetEnabled());
    b->Click();
    ASSERT_EQ(script.Shown.size(), 1u);
    EXPECT_NE(script.Shown[0].Text.find("cannot hold"), String::npos) << script.Shown[0].Text;
    EXPECT_NE(script.Shown[0].Text.find(c.typed), String::npos) << script.Shown[0].Text;
    EXPECT_EQ(w.E.Text(), text);
    ASSERT_TRUE(w.Spell->CheckRunning());
    EXPECT_EQ(d->NotFoundEdit->GetText(), "teh");
    d->IgnoreButton->Click();
    // The word beside an emoji is checked on its own; the emoji stays.
    ASSERT_TRUE(w.Spell->CheckRunning());
    EXPECT_EQ(d->NotFoundEdit->GetText(), "wrods");
    d->ReplaceWithEdit->SetText("words");
    d->ChangeButton->Click();
    EXPECT_FALSE(w.Spell->CheckRunning());
    EXPECT_EQ(w.E.Text(), "teh \xF0\x9F\x98\x80" "cat words\xF0\x9F\x98\x80 caf\xC3\xA9");
    // Nothing was taught with a stand-in for the character.
    AnsiString with;
    EXPECT_FALSE(w.Spell->InternalDictionary().FindAutoCorrect("teh", with)) << with;
    for (TCustomDictionary* taught : {w.Spell->ActiveCustomDictionary(), w.Spell->LearningDictionary()}) {
      ASSERT_NE(taught, nullptr);
      EXPECT_FALSE(taught->FindAutoCorrect("teh", with)) << with;
    }
  }
}

// A letter beyond the basic plane (mathematical bold capitals) is a letter
// of its word: the word is passed over whole (no dictionary can hold it),
// never checked or changed without it. Words after such letters are found,
// shown and changed where they stand.
TEST(SpellingDialog, LettersBeyondTheBasicPlaneKeepTheirWordWhole) {
  const std::string bold = "\xF0\x9D\x90\x80", bold2 = "\xF0\x9D\x90\x81";
  struct Case {
    std::string text, word, typed, after;
  } cases[] = {
      {"wrods" + bold + " teh", "teh", "the", "wrods" + bold + " the"},
      {bold + "wrods teh", "teh", "the", bold + "wrods the"},
      {"wr" + bold + "ods teh", "teh", "the", "wr" + bold + "ods the"},
      {bold + bold2 + " wrods", "wrods", "words", bold + bold2 + " words"},
      {"x" + bold + bold2 + " wrods" + bold + " wrods", "wrods", "words", "x" + bold + bold2 + " wrods" + bold + " words"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    TSpellEditor w;
    w.SetText({c.text});
    TInteractionScript script;
    script.Answer(IDOK);  // "The spelling check is complete."
    w.Check();
    ASSERT_TRUE(w.Spell->CheckRunning());
    TSpellDialog* d = w.Dialog();
    EXPECT_EQ(d->NotFoundEdit->GetText(), c.word);
    // The editor shows the word itself selected, after the pairs before it.
    EXPECT_EQ(w.E.Edit->GetInnermostEditor()->GetSelText(), c.word);
    d->ReplaceWithEdit->SetText("");
    spellvltest::TypeText(WidgetOf(d->ReplaceWithEdit), c.typed.c_str());
    d->ChangeButton->Click();
    EXPECT_FALSE(w.Spell->CheckRunning());
    EXPECT_EQ(w.E.Text(), c.after);
  }
}

TEST(SpellingDialog, SuggestionListIsShortAndNamesEachWordOnce) {
  struct Case {
    std::string text, word, first;
  } cases[] = {
      // At the start of a sentence: the capitalised form, never both forms.
      {"Acording to plan.", "Acording", "According"},
      {"Amature work.", "Amature", "Amateur"},
      {"It was teh end.", "teh", "the"},
      {"Wierd day.", "Wierd", "Weird"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    TSpellEditor w;
    w.SetText({c.text});
    TInteractionScript script;
    script.Answer(IDOK);
    w.Check();
    TSpellDialog* d = w.Dialog();
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(d->NotFoundEdit->GetText(), c.word);
    TStrings& items = d->SuggestionsListbox->Items();
    ASSERT_GT(items.Count(), 0);
    EXPECT_LE(items.Count(), 10);
    EXPECT_EQ(items.Get(0), c.first);
    std::set<std::string> seen;
    for (int i = 0; i < items.Count(); ++i) {
      std::string key = items.Get(i);
      for (char& ch : key) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
      EXPECT_TRUE(seen.insert(key).second) << items.Get(i) << " twice";
    }
    d->CancelButton->Click();
  }
}

TEST(SpellingDialog, ReplacementsAndLearnedCorrectionsAreOneLine) {
  const char* typed[] = {"The\nend", "The \r\n  end", "The\xE2\x80\xA8" "end", "\nThe end\n"};
  for (auto button : {Change, ChangeAll, +[](TSpellDialog* d) { return d->AutoCorrectButton; }})
    for (const char* text : typed) {
      SCOPED_TRACE(text);
      TSpellEditor w;
      w.SetText({"teh cat"});
      TInteractionScript script;
      script.Answer(IDOK);
      EXPECT_TRUE(RunSteps(w, {{"teh", false, button, text}}, script).empty());
      EXPECT_EQ(w.E.Text(), "The end cat");  // one paragraph still
      ASSERT_NE(w.Spell->LearningDictionary(), nullptr);
      AnsiString learned;
      EXPECT_TRUE(w.Spell->LearningDictionary()->FindAutoCorrect("teh", learned));
      EXPECT_EQ(learned, "The end");
      TStringList offered;
      w.Spell->BuildSuggestions("teh", 10, &offered);
      for (int i = 0; i < offered.Count(); ++i) EXPECT_EQ(offered[i].find_first_of("\r\n"), String::npos);
    }
  // The dictionaries take no line break from any other path either.
  TCustomDictionary d;
  EXPECT_FALSE(d.AddAutoCorrect("teh", "The\nXX"));
  EXPECT_FALSE(d.AddWord("two\nlines"));
  EXPECT_TRUE(d.AddAutoCorrect("teh", "the"));
}

TEST(SpellingDialog, AddTeachesTheDictionaryForTheNextCheck) {
  TSpellEditor w;
  w.SetText({"the zorblax sings"});
  {
    TInteractionScript script;
    script.Answer(IDOK);
    EXPECT_TRUE(RunSteps(w, {{"zorblax", false, Add}}, script).empty());
  }
  ASSERT_NE(w.Spell->ActiveCustomDictionary(), nullptr);
  EXPECT_TRUE(w.Spell->ActiveCustomDictionary()->IsAddedWord("zorblax"));
  // The next check has nothing to ask.
  TInteractionScript script;
  script.Answer(IDOK);
  EXPECT_TRUE(RunSteps(w, {}, script).empty());
  EXPECT_EQ(w.E.Text(), "the zorblax sings");
}

TEST(SpellingDialog, ButtonsFollowSuggestionsAndTheReplacementText) {
  TSpellEditor w;
  w.SetText({"a xqzvkw and a wrods"});
  TInteractionScript script;
  script.Answer(IDOK);
  w.Check();
  TSpellDialog* d = w.Dialog();
  ASSERT_NE(d, nullptr);
  struct Expect {
    std::string word;
    bool suggestions;
  } words[] = {{"xqzvkw", false}, {"wrods", true}};
  for (const Expect& x : words) {
    ASSERT_EQ(d->NotFoundEdit->GetText(), x.word);
    EXPECT_EQ(d->SuggestionsListbox->GetEnabled(), x.suggestions);
    EXPECT_EQ(d->ChangeButton->GetEnabled(), x.suggestions);
    EXPECT_EQ(d->ChangeAllButton->GetEnabled(), x.suggestions);
    EXPECT_EQ(d->AutoCorrectButton->GetEnabled(), x.suggestions);
    if (!x.suggestions) {
      EXPECT_EQ(d->SuggestionsListbox->Items().Get(0), "(no suggestions)");
      EXPECT_EQ(d->ReplaceWithEdit->GetText(), "");
      d->ReplaceWithEdit->SetText("x");  // typing enables them
      EXPECT_TRUE(d->ChangeButton->GetEnabled());
      d->ReplaceWithEdit->SetText("");
      EXPECT_FALSE(d->ChangeButton->GetEnabled());
    } else {
      EXPECT_EQ(d->ReplaceWithEdit->GetText(), d->SuggestionsListbox->Items().Get(0));
      EXPECT_EQ(d->SuggestionsListbox->GetItemIndex(), 0);
      EXPECT_TRUE(d->UndoButton->GetEnabled());  // the Ignore before
    }
    d->IgnoreButton->Click();
  }
  EXPECT_FALSE(w.Spell->CheckRunning());
}

TEST(SpellingDialog, ReadOnlyEntryIsReportedNotChanged) {
  TSpellEditor w;
  w.SetText({"teh cat", "wrods"});
  // A correction learnt before would apply by itself in writable text.
  w.Spell->InternalDictionary().AddAutoCorrect("teh", "the");
  w.E.Edit->SetReadOnly(true);
  TInteractionScript script;
  script.Answer(IDOK);
  w.Check();
  std::vector<std::string> shown;
  for (int guard = 0; w.Spell->CheckRunning() && guard < 10; ++guard) {
    TSpellDialog* d = w.Dialog();
    shown.push_back(d->NotFoundEdit->GetText());
    for (TButton* b : {d->ChangeButton, d->ChangeAllButton, d->AutoCorrectButton})
      EXPECT_FALSE(b->GetEnabled()) << b->GetName();
    EXPECT_TRUE(d->IgnoreButton->GetEnabled());
    // Even a command that arrives anyway changes nothing.
    w.Spell->Change("dogs");
  }
  EXPECT_EQ(shown, (std::vector<std::string>{"teh", "wrods"}));
  EXPECT_EQ(w.E.Text(), "teh cat|wrods");
  EXPECT_FALSE(w.Spell->TextChanged());
  EXPECT_FALSE(w.E.Edit->Modified);
}

// A parser over a read-only editor that offers replacements all the same.
struct TClaimsWritableParser : TVellumParser {
  bool CanReplace() override { return true; }
};

TEST(SpellingDialog, ReplacementsTheTextRefusesEndTheCheckWithTheTextAsItWas) {
  // The editor's owner refuses every change, or the editor is read-only
  // behind a parser that offers replacements: the check must not read the
  // refused word again and again. A correction it learnt is reported
  // instead, a command is taken as Ignore; nothing is recorded or learnt.
  enum THow { OwnerRefuses, ReadOnlyBehindWritableParser };
  enum TCommand { doChange, doChangeAll, doAutoCorrect };
  for (THow how : {OwnerRefuses, ReadOnlyBehindWritableParser})
    for (TCommand command : {doChange, doChangeAll, doAutoCorrect}) {
      SCOPED_TRACE(testing::Message() << "how " << how << ", command " << command);
      TSpellEditor w;
      w.SetText({"teh cat", "wrods the the end"});
      w.Spell->InternalDictionary().AddAutoCorrect("teh", "the");
      auto refuse = [](TCustomVellumEdit*, bool& can) { can = false; };
      if (how == OwnerRefuses) w.E.Edit->OnChanging = refuse;
      else w.E.Edit->SetReadOnly(true);
      // Without a bound the check would go round inside Check(): after many
      // more words than the text has, the editor is let take the change.
      int words = 0;
      bool rescued = false;
      w.Spell->OnWordCheck = [&](TObject*, const AnsiString&, TWordCheckType&, AnsiString&) {
        if (++words < 200 || rescued) return;
        rescued = true;
        w.E.Edit->OnChanging = nullptr;
        w.E.Edit->SetReadOnly(false);
      };
      TInteractionScript script;
      script.Answer(IDOK);
      if (how == OwnerRefuses) {
        w.Check();
      } else {
        auto* parser = new TClaimsWritableParser;  // the check frees it at its end
        parser->Initialize(w.E.Edit);
        w.Spell->CheckParser(parser, ctWholeText);
      }
      std::vector<std::string> shown;
      for (int guard = 0; w.Spell->CheckRunning() && guard < 10; ++guard) {
        shown.push_back(w.Dialog()->NotFoundEdit->GetText());
        if (w.Spell->RepeatedWord()) {
          w.Spell->DeleteRepeated();
          continue;
        }
        switch (command) {
          case doChange: w.Spell->Change("fine"); break;
          case doChangeAll: w.Spell->ChangeAll("fine"); break;
          case doAutoCorrect: w.Spell->AutoCorrect("fine"); break;
        }
      }
      EXPECT_FALSE(rescued) << "the check read the refused word again and again";
      EXPECT_FALSE(w.Spell->CheckRunning()) << "the check goes on after ten prompts";
      EXPECT_EQ(shown, (std::vector<std::string>{"teh", "wrods", "the the"}));
      EXPECT_EQ(w.E.Text(), "teh cat|wrods the the end");
      EXPECT_FALSE(w.Spell->TextChanged());
      EXPECT_FALSE(w.E.Edit->Modified);
      AnsiString learnt;
      EXPECT_FALSE(w.Spell->InternalDictionary().FindAutoCorrect("wrods", learnt)) << learnt;
      TCustomDictionary* custom = w.Spell->ActiveCustomDictionary();
      EXPECT_FALSE(custom && custom->FindAutoCorrect("wrods", learnt)) << learnt;
    }
}

TEST(SpellingDialog, MisspellingInATableCellIsFound) {
  TSpellEditor w;
  TVLEditVLData& d = w.E.D();
  d.Clear();
  auto t = TVLTableItemInfo::CreateEx(1, 2, &d);
  t->GetCell(0, 0)->Clear();
  t->GetCell(0, 0)->AddTextItem(spellvltest::U("fine words"), 0, 0);
  t->GetCell(0, 1)->Clear();
  t->GetCell(0, 1)->AddTextItem(spellvltest::U("a mispeled word"), 0, 0);
  d.AddItem("", t.release());  // the document starts with the table
  d.AddTextItem(spellvltest::U("and wrods after"), 0, 0);
  w.Format();
  TInteractionScript script;
  script.Answer(IDOK);
  w.Check();
  std::vector<std::string> shown;
  for (int guard = 0; w.Spell->CheckRunning() && guard < 20; ++guard) {
    shown.push_back(w.Dialog()->NotFoundEdit->GetText());
    w.Dialog()->IgnoreButton->Click();
  }
  EXPECT_EQ(shown, (std::vector<std::string>{"mispeled", "wrods"}));
}

TEST(SpellingDialog, WordSplitByAStyleChangeIsOneWord) {
  TSpellEditor w;
  TVLEditVLData& d = w.E.D();
  d.Clear();
  d.AddTextItem(spellvltest::U("a qu"), 0, 0);
  d.AddTextItem(spellvltest::U("ik"), 1, -1);  // bold, same paragraph
  d.AddTextItem(spellvltest::U(" fox"), 0, -1);
  w.Format();
  TInteractionScript script;
  script.Answer(IDOK);
  EXPECT_TRUE(RunSteps(w, {{"quik", false, Change, "quick"}}, script).empty());
  EXPECT_EQ(w.E.Text(), "a quick fox");
}

TEST(SpellingDialog, ClosingTheEditorMidCheckEndsTheCheck) {
  TSpellEditor w;
  w.SetText({"teh wrods"});
  TInteractionScript script;
  w.Check();
  ASSERT_TRUE(w.Spell->CheckRunning());
  ASSERT_NE(w.Dialog(), nullptr);
  w.E.Form.reset();  // the editor goes with its window
  EXPECT_FALSE(w.Spell->CheckRunning());
  EXPECT_EQ(w.Spell->CurrentParser(), nullptr);
  EXPECT_TRUE(script.Shown.empty());  // cancelled: no end message
  // The component is usable afterwards.
  qytest::TEditor other;
  other.D().Clear();
  other.D().AddTextItem(spellvltest::U("wrods"), 0, 0);
  other.Edit->Format();
  w.Spell->CheckVellumEdit(other.Edit, ctWholeText);
  ASSERT_TRUE(w.Spell->CheckRunning());
  EXPECT_EQ(w.Dialog()->NotFoundEdit->GetText(), "wrods");
  w.Spell->CancelCheck();
  EXPECT_FALSE(w.Spell->CheckRunning());
}

}  // namespace

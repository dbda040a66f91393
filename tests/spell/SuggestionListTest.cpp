#include "spell/scCustomDictionary.h"
#include "spell/scPhoneticsMap.h"
#include "spell/scSpellBase.h"
#include "spell/scSuggestions.h"
#include "spell/scUtil.h"

#include "platform/gui/Menus.h"
#include "SpellTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

TEST(SuggestionList, CommonMisspellingsGetTheirWordFirst) {
  qytest::TempDir tmp;
  auto e = spelltest::MakeEngine(tmp.str());
  e->SetSuggestionsLearning(false);
  struct Case {
    const char* typo;
    const char* first;
  } cases[] = {{"teh", "the"}, {"recieve", "receive"}, {"Teh", "The"}, {"freind", "friend"},
               {"seperate", "separate"}, {"adress", "address"}};
  for (const auto& c : cases) {
    TStringList list;
    e->GetSuggestions(c.typo, &list);
    ASSERT_GT(list.Count(), 0) << c.typo;
    EXPECT_EQ(list[0], c.first) << c.typo;
    for (int i = 1; i < list.Count(); ++i)  // ordered by score
      EXPECT_LE(reinterpret_cast<intptr_t>(list.Objects(i - 1)),
                reinterpret_cast<intptr_t>(list.Objects(i)));
  }
  TStringList list;
  e->MaxSuggestions = 0;
  e->GetSuggestions("teh", &list);
  EXPECT_EQ(list.Count(), 0);
  e->MaxSuggestions = 3;
  e->GetSuggestions("teh", &list);
  EXPECT_EQ(list.Count(), 3);
  e->MaxSuggestions = -1;
  e->GetSuggestions("teh", &list);
  EXPECT_GT(list.Count(), 3);
}

TEST(SuggestionList, RealWordsBeforeSplitsAndMoreWhenTheBestAreWeak) {
  qytest::TempDir tmp;
  auto e = spelltest::MakeEngine(tmp.str());
  e->SetSuggestionsLearning(false);
  struct Case {
    const char* typo;
    const char* first;
    int atLeast;  // suggestions offered
  } cases[] = {
      {"Delagates", "Delegates", 3}, {"delagates", "delegates", 3},
      // Two edits away: the dictionary's near words fill the list.
      {"restaraunt", "restaurant", 5}, {"tommorrow", "tomorrow", 4}, {"wierd", "weird", 3},
      {"definately", "definitely", 5}, {"acheive", "achieve", 5},
  };
  for (const auto& c : cases) {
    TStringList list;
    e->BuildSuggestions(c.typo, 10, &list);
    ASSERT_GT(list.Count(), 0) << c.typo;
    EXPECT_EQ(list[0], c.first) << c.typo;
    EXPECT_GE(list.Count(), c.atLeast) << c.typo;
    // A split form never stands before a word of the dictionary.
    bool split = false;
    for (int i = 0; i < list.Count(); ++i) {
      const bool isSplit = list[i].find(' ') != AnsiString::npos;
      EXPECT_FALSE(split && !isSplit) << c.typo << ": " << list[i] << " after a split";
      split = split || isSplit;
    }
  }
}

// Slips add up with a word's length: two in a short word, three in a word
// of seven letters or more, the first letter among them or not; the word
// meant is in the dialog's list, in lower case and capitalised.
TEST(SuggestionList, WordsSeveralSlipsAwayAreOffered) {
  qytest::TempDir tmp;
  auto e = spelltest::MakeEngine(tmp.str());
  e->SetSuggestionsLearning(false);
  struct Case {
    const char* typo;
    const char* meant;
  } cases[] = {
      // Four letters, two slips.
      {"bizy", "busy"}, {"kaos", "chaos"},
      // Seven and eight letters, three slips; the first letter too.
      {"wundeews", "windows"}, {"shoudln", "shouldn't"}, {"fonetik", "phonetic"}, {"nollidge", "knowledge"},
  };
  for (const auto& c : cases)
    for (const bool capital : {false, true}) {
      std::string typo = c.typo, meant = c.meant;
      if (capital) {
        typo[0] = SpellUpperChar(typo[0]);
        meant[0] = SpellUpperChar(meant[0]);
      }
      TStringList list;
      e->BuildSuggestions(typo, kDialogSuggestions, &list);
      const auto words = list.ToVector();
      EXPECT_TRUE(std::find(words.begin(), words.end(), meant) != words.end()) << typo << ": " << list.GetCommaText();
    }
}

// Spellings several slips from the word meant (four edits and more) that
// sound like it: the word comes first, or among the first few, in lower
// case, capitalised and in capitals.
TEST(SuggestionList, FarSpellingsThatSoundAlikeOfferTheWordMeant) {
  qytest::TempDir tmp;
  auto e = spelltest::MakeEngine(tmp.str());
  e->SetSuggestionsLearning(false);
  struct Case {
    const char* typo;
    const char* meant;
    int within;  // among the first so many
  } cases[] = {
      {"beaurocracy", "bureaucracy", 1}, {"beauracracy", "bureaucracy", 1},
      {"beaurocratic", "bureaucratic", 1}, {"beuracracy", "bureaucracy", 1},
      {"zoocheeni", "zucchini", 1}, {"zefer", "zephyr", 1}, {"suvenear", "souvenir", 1},
      // Behind the spelling's words of the same score.
      {"macason", "moccasin", 5},
      // Five edits out, beyond the phonetic maximum: the only word offered.
      {"ekspeeriens", "experience", 1},
  };
  for (const auto& c : cases)
    for (const int form : {0, 1, 2}) {
      std::string typo = c.typo, meant = c.meant;
      if (form == 1) {
        typo[0] = SpellUpperChar(typo[0]);
        meant[0] = SpellUpperChar(meant[0]);
      } else if (form == 2) {
        typo = SpellUpper(typo);
        meant = SpellUpper(meant);
      }
      TStringList list;
      e->BuildSuggestions(typo, kDialogSuggestions, &list);
      const int at = list.IndexOf(meant);
      EXPECT_TRUE(at >= 0 && at < c.within) << typo << ": " << list.GetCommaText();
    }
}

// Misspellings from other lists than the benchmark's whose intended word the
// lists by spelling alone hold among their ten: the words that sound as
// typed join those lists without pushing it out, in lower case and
// capitalised (among them a list that kept the word's plural).
TEST(SuggestionList, SoundAlikesPushNoWordTheSpellingAloneOffered) {
  qytest::TempDir tmp;
  auto e = spelltest::MakeEngine(tmp.str());
  e->SetSuggestionsLearning(false);
  const std::pair<const char*, const char*> cases[] = {
      {"clossions", "collisions"}, {"coalasece", "coalescence"}, {"discconet", "disconnect"},
      {"enegeries", "energies"},   {"garanty", "guarantee"},     {"mistrow", "maestro"},
      {"prefences", "preferences"},
  };
  for (const auto& [typo, meant] : cases)
    for (const bool capital : {false, true}) {
      std::string t = typo, m = meant;
      if (capital) {
        t[0] = SpellUpperChar(t[0]);
        m[0] = SpellUpperChar(m[0]);
      }
      for (const bool alike : {false, true}) {
        e->SoundAlikeSuggestions = alike;
        TStringList list;
        e->BuildSuggestions(t, kDialogSuggestions, &list);
        EXPECT_GE(list.IndexOf(m), 0) << t << (alike ? " with" : " without") << " sound-alikes: "
                                      << list.GetCommaText();
      }
    }
}

// The spelling benchmark's misspellings, lower case and capitalised, whose
// intended word the engine before the near-word index offered in its first
// ten: every one is still in ours.
TEST(SuggestionList, EveryWordTheEarlierListsOfferedIsStillOffered) {
  qytest::TempDir tmp;
  auto e = spelltest::MakeEngine(tmp.str());
  e->SetSuggestionsLearning(false);
  const auto lines = spelltest::ReadLines((qytest::SourceDir() / "tests/spell/data/earlier-suggestions.tsv").string());
  int offered = 0;
  std::vector<std::string> lost;
  for (const auto& line : lines) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    for (size_t at = 0;;) {
      const size_t tab = line.find('\t', at);
      fields.push_back(line.substr(at, tab - at));
      if (tab == std::string::npos) break;
      at = tab + 1;
    }
    ASSERT_EQ(fields.size(), 4u) << line;
    const std::string& typo = fields[2];
    const std::string& meant = fields[3];
    ++offered;
    TStringList list;
    e->BuildSuggestions(typo, kDialogSuggestions, &list);
    const auto words = list.ToVector();
    if (std::find(words.begin(), words.end(), meant) == words.end())
      lost.push_back(fields[0] + " " + typo + " -> " + meant + ": " + list.GetCommaText());
  }
  EXPECT_GT(offered, 4500);
  std::string all;
  for (const auto& l : lost) all += l + "\n";
  EXPECT_TRUE(lost.empty()) << lost.size() << " lost:\n" << all;
}

TEST(SuggestionList, MappingAndLearnedCorrections) {
  qytest::TempDir tmp;
  {
    TCustomDictionary map;
    map.SetFileName(tmp.str() + "/map.spu");
    map.AddAutoCorrect("colour", "color");
    ASSERT_TRUE(map.Save());
  }
  auto e = spelltest::MakeEngine(tmp.str());
  e->SetMappingDictionaryName("map.spu");  // no main dictionary open yet: stored only
  EXPECT_EQ(e->MappingDictionary(), nullptr);
  TStringList list;
  e->GetSuggestions("colour", &list);
  EXPECT_EQ(list.ToVector(), std::vector<String>{"color"});
  AnsiString r;
  EXPECT_TRUE(e->FindCorrection("colour", r));
  EXPECT_EQ(r, "color");
  // A learned correction comes first even when nothing else offers it, and
  // a later choice replaces it.
  ASSERT_NE(e->LearningDictionary(), nullptr);
  e->LearnCorrection("teh", "tech");
  e->GetSuggestions("teh", &list);
  EXPECT_EQ(list[0], "tech");
  e->LearnCorrection("teh", "zebra");
  e->GetSuggestions("teh", &list);
  EXPECT_EQ(list[0], "zebra");
  // Score 0, doubled, less one for a word the learning dictionary holds.
  EXPECT_EQ(reinterpret_cast<intptr_t>(list.Objects(0)), -1);
}

TEST(SuggestionList, SecondPhoneticPassWithTheGeneralRules) {
  qytest::TempDir tmp;
  auto e = spelltest::MakeEngine(tmp.str());
  e->SetSuggestionsLearning(false);
  std::vector<int> languages;
  e->OnAdjustPhoneticsMap = [&](TObject*) { languages.push_back(e->PhoneticsMap().Language()); };
  TStringList list;
  e->GetSuggestions("xqzvkw", &list);  // few candidates: a second pass
  EXPECT_EQ(languages, (std::vector<int>{0x0409, 0}));
  e->GetSuggestions("xqzvkw", &list);  // English rules come back first
  EXPECT_EQ(languages, (std::vector<int>{0x0409, 0, 0x0409, 0}));
}

namespace {
// Chooses the first item with Tag among the pop-up's items, like a click.
TMenuItem* FindTag(TMenuItem* root, int tag) {
  for (int i = 0; i < root->Count(); ++i) {
    TMenuItem* it = root->Items(i);
    if (it->Tag == tag) return it;
    if (TMenuItem* sub = FindTag(it, tag)) return sub;
  }
  return nullptr;
}
}  // namespace

TEST(SuggestionList, PopupMenuOffersAndApplies) {
  qytest::TempDir tmp;
  auto e = spelltest::MakeEngine(tmp.str());
  int chooseTag = 7;
  std::vector<std::string> captions;
  e->OnPopupDoMenu = [&](TObject*, TObject* menu, int, int, int& action, String& word) {
    auto* popup = dynamic_cast<TPopupMenu*>(menu);
    captions.clear();
    for (int i = 0; i < popup->Items()->Count(); ++i)
      captions.push_back(popup->Items()->Items(i)->GetCaption() +
                         (popup->Items()->Items(i)->GetEnabled() ? "" : " (off)"));
    if (TMenuItem* it = FindTag(popup->Items(), chooseTag)) {
      action = static_cast<int>(it->Tag);
      word = it->GetCaption();
    }
    // A second pop-up while this one is open is refused.
    AnsiString other = "x";
    EXPECT_EQ(e->ShowPopupMenu(nullptr, TSpellPopupOptions{spReplace}, 0, 0, other), spCancel);
  };
  const TSpellPopupOptions all{spDialog, spAutoCorrect, spChangeAll, spAdd,
                               spIgnoreAll, spIgnore, spReplace};
  AnsiString word = "teh";
  EXPECT_EQ(e->ShowPopupMenu(nullptr, all, 10, 10, word), spReplace);
  EXPECT_EQ(word, "the");
  EXPECT_EQ(captions.size(), 5u + 1 + 3 + 1 + 2 + 1);  // 5 words, -, 3 commands, -, 2 subs, dialog
  chooseTag = 3;
  word = "teh";
  EXPECT_EQ(e->ShowPopupMenu(nullptr, all, 10, 10, word), spChangeAll);
  AnsiString r;
  EXPECT_TRUE(e->InternalDictionary().FindAutoCorrect("teh", r));
  chooseTag = 5;
  word = "qqzzyx";
  EXPECT_EQ(e->ShowPopupMenu(nullptr, all, 10, 10, word), spIgnoreAll);
  EXPECT_TRUE(e->IsWordAcceptable("qqzzyx"));
  EXPECT_EQ(captions.front(), "(no suggestions) (off)");
  EXPECT_EQ(std::count(captions.begin(), captions.end(), "&Change All"), 0);
  chooseTag = 0;  // dismissed
  word = "teh";
  EXPECT_EQ(e->ShowPopupMenu(nullptr, all, 10, 10, word), spCancel);
  EXPECT_EQ(word, "teh");
}

// The pop-up's five words at the start of a sentence: the capitalised
// form, each word once whatever its case.
TEST(SuggestionList, PopupWordsDifferBeyondCase) {
  qytest::TempDir tmp;
  auto e = spelltest::MakeEngine(tmp.str());
  e->SetSuggestionsLearning(false);
  std::vector<std::string> words;
  e->OnPopupDoMenu = [&](TObject*, TObject* menu, int, int, int&, String&) {
    auto* popup = dynamic_cast<TPopupMenu*>(menu);
    words.clear();
    for (int i = 0; i < popup->Items()->Count() && popup->Items()->Items(i)->Tag == 7; ++i)
      words.push_back(popup->Items()->Items(i)->GetCaption());
  };
  const struct {
    const char* typo;
    const char* first;
  } cases[] = {{"Acording", "According"}, {"Amature", "Amateur"}, {"ACORDING", "ACCORDING"}, {"Teh", "The"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typo);
    AnsiString word = c.typo;
    e->ShowPopupMenu(nullptr, TSpellPopupOptions{spReplace}, 0, 0, word);
    ASSERT_FALSE(words.empty());
    EXPECT_LE(words.size(), 5u);
    EXPECT_EQ(words[0], c.first);
    std::set<std::string> seen;
    for (const auto& w : words) EXPECT_TRUE(seen.insert(SpellLower(w)).second) << w << " twice";
  }
}

TEST(SuggestionList, PopupAddIsOffWithoutAnActiveCustomDictionary) {
  qytest::TempDir tmp;
  auto e = spelltest::MakeEngine(tmp.str());
  e->ConfigDefaultActiveCustom = "";
  std::vector<std::string> captions;
  e->OnPopupDoMenu = [&](TObject*, TObject* menu, int, int, int& action, String&) {
    auto* popup = dynamic_cast<TPopupMenu*>(menu);
    for (int i = 0; i < popup->Items()->Count(); ++i)
      captions.push_back(popup->Items()->Items(i)->GetCaption() +
                         (popup->Items()->Items(i)->GetEnabled() ? "" : " (off)"));
    action = 4;
  };
  AnsiString word = "teh";
  e->Configuration().SetActive(true);
  EXPECT_EQ(e->ActiveCustomDictionary(), nullptr);
  EXPECT_EQ(e->ShowPopupMenu(nullptr, TSpellPopupOptions{spAdd, spAutoCorrect, spReplace}, 0, 0, word),
            spCancel);
  EXPECT_NE(std::find(captions.begin(), captions.end(), "&Add (off)"), captions.end());
  EXPECT_EQ(std::count(captions.begin(), captions.end(), "A&uto Correct"), 0);
}

// The single edits of a typed word are first compared with the dictionary's
// words within two edits and the words added elsewhere; a word the user
// added (to the active custom dictionary, or by Ignore All) must still be
// offered, however many words were added. Expected first where no word of
// the dictionary comes closer.
TEST(SuggestionList, WordsTheUserAddedAreOfferedBesideTheDictionarys) {
  for (const int filler : {0, 3000}) {
    SCOPED_TRACE(filler);
    qytest::TempDir tmp;
    auto e = spelltest::MakeEngine(tmp.str());
    e->SetSuggestionsLearning(false);
    e->Configuration().SetActive(true);
    TCustomDictionary* custom = e->ActiveCustomDictionary();
    ASSERT_NE(custom, nullptr);
    for (int i = 0; i < filler; ++i) custom->AddWord("qyfiller" + std::to_string(i));
    ASSERT_TRUE(custom->AddWord("Z\xFCrichsee"));
    ASSERT_TRUE(custom->AddWord("frobnicator"));
    e->InternalDictionary().AddWord("quillbrook");
    const struct {
      const char* typo;
      const char* expected;
      bool first;
    } cases[] = {{"Z\xFCrichse", "Z\xFCrichsee", true},   {"z\xFCrichsee", "Z\xFCrichsee", true},
                 {"frobnicater", "frobnicator", true},    {"frobincator", "frobnicator", true},
                 {"FROBNICATR", "FROBNICATOR", true},     {"quilbrook", "quillbrook", true},
                 {"quillbrooks", "quillbrook", false},    {"accomodate", "accommodate", true},
                 {"caf\xE9s", "caf\xE9", false},           {"fiancee", "fianc\xE9" "e", true},
                 {"dosen\x92t", "doesn\x92t", true},       {"Wensday", "Wednesday", false}};
    for (const auto& c : cases) {
      TStringList list;
      e->BuildSuggestions(c.typo, kDialogSuggestions, &list);
      const int at = list.IndexOf(c.expected);
      EXPECT_GE(at, 0) << c.typo;
      if (c.first) {
        EXPECT_EQ(at, 0) << c.typo;
      }
    }
  }
}

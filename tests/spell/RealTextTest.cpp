// Spelling on text as people write it: typographic apostrophes, capitals,
// pronoun possessives, hyphenated and elided words.
#include "spell/scCustomDictionary.h"
#include "spell/scParseEngine.h"
#include "spell/scSpellBase.h"
#include "spell/scStringParser.h"
#include "spell/scUtil.h"

#include "SpellTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {
const AnsiString kCurly = "\x92";  // U+2019 in code page 1252

AnsiString Curly(AnsiString s) {
  std::replace(s.begin(), s.end(), '\'', '\x92');
  return s;
}

std::vector<AnsiString> Suggest(TSpellCheckerBase& e, const AnsiString& word, int max = 10) {
  TStringList l;
  e.BuildSuggestions(word, max, &l);
  std::vector<AnsiString> r;
  for (int i = 0; i < l.Count(); ++i) r.push_back(l[i]);
  return r;
}
}  // namespace

TEST(RealText, TypographicApostropheIsAcceptedExactlyWhenTheStraightOneIs) {
  qytest::TempDir tmp;
  auto e = spelltest::MakeEngine(tmp.str());
  for (const char* w : {"don't", "it's", "Rust's", "elephant's", "Monday's", "they're", "dont",
                        "elephnt's", "doesn't", "your's", "its's", "o'clock", "qqzz's"}) {
    const bool straight = e->IsWordAcceptable(w);
    EXPECT_EQ(e->IsWordAcceptable(Curly(w)), straight) << w;
  }
  EXPECT_TRUE(e->IsWordAcceptable(Curly("don't")));
  EXPECT_TRUE(e->IsWordAcceptable(Curly("it's")));
  EXPECT_TRUE(e->IsWordAcceptable(Curly("Rust's")));
  EXPECT_FALSE(e->IsWordAcceptable(Curly("dont's")));
  // U+02BC reaches the engine as the same apostrophe.
  EXPECT_EQ(SpellTextFromWide(u"don\u02BCt"), Curly("don't"));
  EXPECT_EQ(SpellTextFromWide(u"don\u2019t"), Curly("don't"));
}

TEST(RealText, CustomWordsMatchEitherApostrophe) {
  qytest::TempDir tmp;
  auto e = spelltest::MakeEngine(tmp.str());
  e->IsWordAcceptable("x");  // opens the dictionaries
  ASSERT_NE(e->ActiveCustomDictionary(), nullptr);
  e->ActiveCustomDictionary()->AddWord("Quillory's");
  e->ActiveCustomDictionary()->AddWord(Curly("Vellum's"));
  for (const char* w : {"Quillory's", "Vellum's"}) {
    EXPECT_TRUE(e->IsWordAcceptable(w)) << w;
    EXPECT_TRUE(e->IsWordAcceptable(Curly(w))) << w;
  }
}

TEST(RealText, SplitterTreatsTheTypographicApostropheAsTheApostrophe) {
  struct Case {
    AnsiString text;
    std::vector<AnsiString> words;
  } cases[] = {
      {Curly("I don't know"), {"I", Curly("don't"), "know"}},
      {Curly("the dogs' bowls"), {"the", "dogs", "bowls"}},
      {Curly("'quoted' word"), {"quoted", "word"}},
      {"a co-founder met ex-partners", {"a", "co-founder", "met", "ex-partners"}},
      {"well - known 1-2 x-", {"well", "known", "1", "2", "x"}},
  };
  for (const auto& c : cases) {
    AnsiString text = c.text + " ";
    TStringParser p;
    p.Initialize(&text);
    TMainParsingEngine s;
    s.Initialize(&p, ctWholeText);
    std::vector<AnsiString> got;
    for (AnsiString w;;) {
      s.NextWord(w);
      if (w.empty()) break;
      got.push_back(w);
    }
    EXPECT_EQ(got, c.words) << c.text;
  }
}

TEST(RealText, ReplacementKeepsTheUsersApostrophe) {
  for (const AnsiString& style : {AnsiString("'"), kCurly}) {
    qytest::TempDir tmp;
    auto e = spelltest::MakeEngine(tmp.str());
    e->SynchronousCheck = false;
    AnsiString text = "I don" + style + "t mind, I dont care.";
    AnsiString offered;
    e->OnPromptWord = [&](TObject*, const AnsiString& word, bool) {
      const auto s = Suggest(*e, word);
      offered = s.empty() ? "" : s.front();
    };
    e->CheckString(text);
    ASSERT_TRUE(e->CheckRunning());
    ASSERT_EQ(e->CurrentWord(), "dont");
    EXPECT_EQ(offered, "don" + style + "t");
    e->Change("don't");
    EXPECT_FALSE(e->CheckRunning());
    EXPECT_EQ(text, "I don" + style + "t mind, I don" + style + "t care.");
  }
}

TEST(RealText, CapitalisedWordsGetTheLowerCaseSuggestionsInTheirCase) {
  qytest::TempDir tmp;
  auto e = spelltest::MakeEngine(tmp.str());
  struct Case {
    const char* word;
    const char* first;
  } cases[] = {{"Teh", "The"},          {"TEH", "THE"},         {"teh", "the"},
               {"Hte", "The"},          {"HTE", "THE"},         {"Recieve", "Receive"},
               {"RECIEVE", "RECEIVE"},  {"Elephnt", "Elephant"}, {"WENDESDAY", "WEDNESDAY"},
               {"Wendesday", "Wednesday"}};
  for (const auto& c : cases) {
    const auto s = Suggest(*e, c.word, 8);
    ASSERT_FALSE(s.empty()) << c.word;
    EXPECT_EQ(s.front(), c.first) << c.word;
    const std::set<AnsiString> unique(s.begin(), s.end());
    EXPECT_EQ(unique.size(), s.size()) << c.word;
    // Every suggestion in the word's case pattern.
    const AnsiString w = c.word;
    for (const auto& x : s) {
      if (IsAllUpper(w)) {
        EXPECT_TRUE(IsAllUpper(x)) << c.word << " " << x;
      } else if (SpellUpperChar(w[0]) == w[0]) {
        EXPECT_EQ(SpellUpperChar(x[0]), x[0]) << c.word << " " << x;
      }
    }
  }
  EXPECT_TRUE(e->IsWordAcceptable("MONDAY"));
  EXPECT_TRUE(e->IsWordAcceptable("Monday"));
}

TEST(RealText, PronounsHaveNoApostrophePossessive) {
  qytest::TempDir tmp;
  auto e = spelltest::MakeEngine(tmp.str());
  for (const char* w : {"your's", "their's", "her's", "our's", "its's", "Your's", "his's"})
    EXPECT_FALSE(e->IsWordAcceptable(w)) << w;
  for (const char* w : {"it's", "Rust's", "elephant's", "John's"})
    EXPECT_TRUE(e->IsWordAcceptable(w)) << w;
  for (auto [word, want] : {std::pair{"your's", "yours"}, {"their's", "theirs"}, {"her's", "hers"}}) {
    const auto s = Suggest(*e, word);
    EXPECT_NE(std::find(s.begin(), s.end(), want), s.end()) << word;
  }
  const auto curly = Suggest(*e, Curly("your's"));
  EXPECT_NE(std::find(curly.begin(), curly.end(), "yours"), curly.end());
}

TEST(RealText, HyphenatedAndElidedWords) {
  qytest::TempDir tmp;
  auto e = spelltest::MakeEngine(tmp.str());
  struct Case {
    const char* word;
    bool ok;
  } cases[] = {{"co-founder", true}, {"well-known", true}, {"Co-Founder", true},
               {"self-aware", true}, {"re-enter", true},    {"co-foundr", false},
               {"elephnt-like", false}, {"co-", false},     {"founder-co", false}};
  for (const auto& c : cases) EXPECT_EQ(e->IsWordAcceptable(c.word), c.ok) << c.word;

  // Elided words are accepted after their apostrophe, and only there.
  AnsiString text = Curly("'Twas cold 'til noon, said 'em; til twas");
  std::vector<AnsiString> denied;
  e->SynchronousCheck = false;
  e->OnPromptWord = [&](TObject*, const AnsiString& word, bool) { denied.push_back(word); };
  e->CheckString(text);
  for (int guard = 0; e->CheckRunning() && guard < 20; ++guard) e->Ignore();
  EXPECT_EQ(denied, (std::vector<AnsiString>{"til", "twas"}));
}

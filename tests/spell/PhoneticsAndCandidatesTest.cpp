#include "spell/scPhoneticsMap.h"
#include "spell/scSuggestions.h"
#include "spell/scUtil.h"

#include <gtest/gtest.h>

#include <set>

TEST(PhoneticsMap, KeysOfTheRuleTables) {
  struct Case {
    int language;
    const char* word;
    const char* key;
  } cases[] = {
      {0x0409, "phone", "phn"},       // vowels leave no trace
      {0x0409, "Phone", "phn"},       // keys are made from the lower case
      {0x0409, "father", "fa0r"},     // "th" gives the digit 0
      {0x0409, "aboha", "abh"},       // vowel, h, vowel: h, second vowel read again
      {0x0409, "abahb", "ab"},        // "ah" leaves nothing; the repeated b collapses
      {0x0409, "abbbbb", "ab"},       // repeats collapse
      {0x0409, "taxi", "taks"},
      {0x0409, "zzcatch", "zzkx"},    // "tch" is consumed whole
      {0x0409, "abcdefghijklmnop", "abktfkjk"},  // stops when the budget of 6 is spent
      {0x040C, "bateau", "bad"},      // French
      {0x0407, "abfahrt", "abrd"},    // other languages: the general table
  };
  for (const auto& c : cases) {
    TPhoneticsMap map;
    map.BuildRules(c.language);
    AnsiString key;
    map.MakeKey(c.word, key);
    EXPECT_EQ(key, c.key) << c.word;
  }
}

// The sound of a whole word: spellings of one sound share it whatever
// their first letters, other sounds do not.
TEST(PhoneticsMap, SoundKeysOfWholeWords) {
  struct Case {
    const char* a;
    const char* b;
    bool same;
  } cases[] = {
      {"beaurocracy", "bureaucracy", true},  {"beauracracy", "Bureaucracy", true},
      {"zoocheeni", "zucchini", true},       {"zefer", "zephyr", true},
      {"tecnic", "technique", true},         {"skool", "school", true},
      {"nite", "night", true},               {"fone", "phone", true},
      {"mouse", "mouth", false},
      {"knowledge", "nowledge", true},       {"accept", "akcept", true},
      {"bureaucracy", "autocracy", false},   {"chair", "kair", false},
      {"cent", "kent", false},               {"edge", "eggs", false},
      {"apple", "bapple", false},            {"rubber", "ruber", true},
  };
  for (const auto& c : cases) {
    AnsiString a, b;
    MakeSoundKey(c.a, a);
    MakeSoundKey(c.b, b);
    EXPECT_EQ(a == b, c.same) << c.a << " [" << a << "] " << c.b << " [" << b << "]";
  }
  // Letters alone; a vowel only at the start; "x" at the start as "s".
  const std::pair<const char*, const char*> keys[] = {
      {"Bureaucracy's", "brkrss"}, {"ashore", "axr"}, {"xylophone", "slfn"}, {"taxi", "tks"}};
  for (const auto& [word, expected] : keys) {
    AnsiString key;
    MakeSoundKey(word, key);
    EXPECT_EQ(key, expected) << word;
  }
}

TEST(PhoneticsMap, LongestRuleWinsAndDistanceRule) {
  TPhoneticsMap map;
  map.AddRule("a", "1", 1);
  map.AddRule("ab", "2", 2);
  map.AddRule("abc", "3", 3);
  map.AddRule("ab", "4", 2);  // replaces the earlier "ab"
  AnsiString r;
  int consumed = 0;
  EXPECT_TRUE(map.Match("abd", r, 0, consumed));
  EXPECT_EQ(r, "4");
  EXPECT_EQ(consumed, 2);
  EXPECT_TRUE(map.Match("abcd", r, 0, consumed));
  EXPECT_EQ(r, "3");
  EXPECT_FALSE(map.Match("x", r, 0, consumed));
  EXPECT_EQ(r, "");
  // Distance at most length / divisor and at most the maximum.
  EXPECT_TRUE(map.IsWithinDistance("abcd", 2));
  EXPECT_FALSE(map.IsWithinDistance("abcd", 3));
  EXPECT_FALSE(map.IsWithinDistance(std::string(20, 'a'), 5));
  map.SetPrefixDepth(0);
  EXPECT_EQ(map.PrefixDepth(), 2);
}

TEST(EditDistance, SwapsCountOnceAndLongWordsGiveTheirLength) {
  struct Case {
    const char* a;
    const char* b;
    int d;
  } cases[] = {{"teh", "the", 1}, {"abcd", "abdc", 1}, {"aab", "aab", 0}, {"kitten", "sitting", 3},
               {"", "abc", 3},    {"ab", "ba", 1},     {"aa", "aa", 0}};
  for (const auto& c : cases) EXPECT_EQ(EditDistance(c.a, c.b), c.d) << c.a << " " << c.b;
  EXPECT_EQ(EditDistance(std::string(255, 'a'), "a"), 255);
  EXPECT_EQ(EditDistance("b", std::string(300, 'a')), 300);
}

namespace {
// A word check over a fixed set, recording what it was asked.
struct FakeWords {
  std::set<std::string> words;
  std::vector<std::string> asked;
  TWordCheckEvent Check() {
    return [this](const AnsiString& c, bool& found) {
      asked.push_back(c);
      found = words.count(c) > 0;
    };
  }
};
}  // namespace

TEST(SuggestionsGenerator, EditsInTheirOrder) {
  FakeWords fake{{"the", "tea", "teh s", "he", "tech", "ten", "te", "tehx"}, {}};
  TSuggestionsGenerator g;
  TStringList results;
  g.Generate("teh", 100, fake.Check(), &results);
  // Transpositions, insertions, deletions, substitutions, splits.
  EXPECT_EQ(results.ToVector(),
            (std::vector<String>{"the", "tehx", "tech", "te", "tea", "ten"}));
  // A two-letter word gets no transpositions; splits need two letters each side.
  fake.asked.clear();
  results.Clear();
  g.Generate("ab", 100, fake.Check(), &results);
  EXPECT_EQ(std::count(fake.asked.begin(), fake.asked.end(), "ba"), 0);
}

TEST(SuggestionsGenerator, ListStopsOneAboveTheMaximum) {
  FakeWords fake{{"cat", "bat", "hat", "mat", "rat", "sat", "vat"}, {}};
  TSuggestionsGenerator g;
  TStringList results;
  g.Generate("xat", 2, fake.Check(), &results);
  EXPECT_EQ(results.Count(), 3);
}

TEST(SuggestionsGenerator, CasePassesAndLowerCaseFormsStandForCapitals) {
  FakeWords fake{{"Paris", "paris", "London", "london"}, {}};
  TSuggestionsGenerator g;
  TStringList results;
  g.Generate("parsi", 10, fake.Check(), &results);
  EXPECT_EQ(results.ToVector(), (std::vector<String>{"paris"}));
  // Two leading capitals: a second pass on "Lodnon" finds "London".
  results.Clear();
  fake.asked.clear();
  g.Generate("LOdnon", 10, fake.Check(), &results);
  EXPECT_NE(std::find(fake.asked.begin(), fake.asked.end(), "London"), fake.asked.end());
  EXPECT_EQ(results.IndexOf("London") >= 0, true);
}

TEST(SuggestionsGenerator, SplitsAndLanguages) {
  FakeWords fake{{"in", "deed", "end", "Then", "and"}, {}};
  TSuggestionsGenerator g;
  TStringList results;
  g.Generate("indeed", 10, fake.Check(), &results);
  EXPECT_NE(results.IndexOf("in deed"), -1);
  results.Clear();
  g.Generate("end.Then", 10, fake.Check(), &results);
  EXPECT_NE(results.IndexOf("end.  Then"), -1);
  g.SetLanguage(1053);  // Swedish: no splits
  EXPECT_EQ(g.Operations(), 0x0F);
  results.Clear();
  g.Generate("indeed", 10, fake.Check(), &results);
  EXPECT_EQ(results.IndexOf("in deed"), -1);
  const size_t before = g.InnerAlphabet().size();
  g.SetLanguage(0x040C);
  EXPECT_EQ(g.InnerAlphabet().size(), before + 1);
  EXPECT_EQ(g.Operations(), 0x1F);
  EXPECT_EQ(TSuggestionsGenerator().InnerAlphabet().size(), 67u);
  EXPECT_EQ(TSuggestionsGenerator().FirstAlphabet().size(), 122u);
}

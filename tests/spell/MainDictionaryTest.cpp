#include "spell/scMainDictionary.h"
#include "spell/scPhoneticsMap.h"
#include "spell/scUtil.h"

#include "platform/base/CodePages.h"
#include "SpellTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <map>
#include <set>

namespace {
const std::vector<std::string> kWords = {"a",     "I",      "cat",    "cats",   "catalog",
                                         "zebra", "zebras", "phone",  "phoney", "fone",
                                         "dog",   "doge",   "Paris",  "co",     "cot"};
}

TEST(MainDictionary, LookupEdgeCasesOnCompiledFile) {
  qytest::TempDir tmp;
  const std::string path = tmp.str() + "/t.spm";
  ASSERT_TRUE(spelltest::CompileWords(kWords, path));
  TMainDictionary d;
  d.Open(path);
  ASSERT_EQ(d.FileName(), path);
  EXPECT_LT(d.WidthSelector(), 65535u);  // two-byte child numbers
  EXPECT_EQ(d.Name(), "Test");
  EXPECT_EQ(d.Language(), 0x0409);
  struct Case {
    const char* word;
    bool found;
    int depth;
  } cases[] = {
      {"", false, 0},        {"a", true, 1},       {"I", true, 1},     {"b", false, 0},
      {"cat", true, 3},      {"ca", false, 2},     {"catalog", true, 7}, {"catal", false, 5},
      {"zebra", true, 5},    {"zeb", false, 3},    // ends among inline characters
      {"zebras", true, 6},   {"zebrass", false, 6}, {"paris", false, 1}, {"Paris", true, 5},
      {"cats", true, 4},     {"catz", false, 3},
  };
  for (const auto& c : cases) {
    int depth = -1;
    EXPECT_EQ(d.Lookup(c.word, depth), c.found) << c.word;
    EXPECT_EQ(depth, c.depth) << c.word;
  }
}

TEST(MainDictionary, PhoneticMatchesShareKeyAndPrefix) {
  qytest::TempDir tmp;
  const std::string path = tmp.str() + "/t.spm";
  ASSERT_TRUE(spelltest::CompileWords(kWords, path));
  TMainDictionary d;
  d.Open(path);
  TPhoneticsMap map;
  map.BuildRules(0x0409);
  TStringList results;
  d.FindPhoneticMatches("phonne", map, &results);
  EXPECT_EQ(results.ToVector(), (std::vector<String>{"phone", "phoney"}));
  d.FindPhoneticMatches("phonne", map, &results);  // no duplicates
  EXPECT_EQ(results.Count(), 2);
  // "catalog" keeps "lo" as inline characters of its second "a": a prefix
  // that ends at that "a" finds the word, one that ends after "l" does not.
  results.Clear();
  map.SetPrefixDepth(4);
  d.FindPhoneticMatches("catalgo", map, &results);
  EXPECT_EQ(results.ToVector(), std::vector<String>{"catalog"});
  results.Clear();
  map.SetPrefixDepth(5);
  d.FindPhoneticMatches("catalgo", map, &results);
  EXPECT_EQ(results.Count(), 0);
}

TEST(MainDictionary, NearWordsLieWithinTheDistanceWhateverTheCase) {
  TMainDictionary d;
  d.Open(spelltest::American());
  d.SetActive(true);
  ASSERT_TRUE(d.UsesNodeTable());
  struct Case {
    const char* word;
    int distance;
    const char* found;
  } cases[] = {{"restaraunt", 2, "restaurant"}, {"wensday", 2, "Wednesday"}, {"tommorrow", 2, "tomorrow"},
               {"hte", 1, "the"}, {"acheive", 1, "achieve"}};
  for (const auto& c : cases) {
    TStringList near;
    d.FindNearWords(c.word, c.distance, 200, &near);
    EXPECT_GE(near.IndexOf(c.found), 0) << c.word;
    for (int i = 0; i < near.Count(); ++i) {
      EXPECT_LE(EditDistance(SpellLower(c.word), SpellLower(near[i])), c.distance) << c.word << " " << near[i];
      EXPECT_TRUE(d.WordExists(near[i])) << near[i];
    }
  }
  TStringList few;
  d.FindNearWords("abcdefgh", 2, 3, &few);
  EXPECT_LE(few.Count(), 3);
}

// Every word of the list whose whole sound is the typed word's, and only
// those, whatever the first letters, in the list's order; each once, none
// already listed, at most the limit (the first ones).
TEST(MainDictionary, SoundAlikesAreTheWordsOfTheSameSound) {
  qytest::TempDir tmp;
  const std::string path = tmp.str() + "/t.spm";
  const std::vector<std::string> words = {"bureaucracy", "bureaucracy's", "autocracy", "Bureau", "zucchini",
                                          "zephyr",      "Zephyrs",       "safer",     "cat",    "cot",
                                          "kit"};
  ASSERT_TRUE(spelltest::CompileWords(words, path));
  TMainDictionary d;
  d.Open(path);
  struct Case {
    const char* typed;
    std::vector<String> found;
  } cases[] = {
      {"beaurocracy", {"bureaucracy"}}, {"BEAURACRACY", {"bureaucracy"}}, {"zoocheeni", {"zucchini"}},
      {"zefers", {"Zephyrs"}},          {"kat", {"cat", "cot", "kit"}},   {"qqq", {}},
  };
  for (const auto& c : cases) {
    TStringList found;
    d.FindSoundAlikes(c.typed, 100, &found);
    EXPECT_EQ(found.ToVector(), c.found) << c.typed;
  }
  TStringList listed;
  listed.Add("COT");
  d.FindSoundAlikes("kat", 100, &listed);
  EXPECT_EQ(listed.ToVector(), (std::vector<String>{"COT", "cat", "kit"}));
  TStringList one;
  d.FindSoundAlikes("kat", 1, &one);
  EXPECT_EQ(one.ToVector(), std::vector<String>{"cat"});
}

// The index by sound is made a first letter of the sound at a time, as
// searches ask: whatever letters were asked before, a search finds every
// word of the list that sounds as typed, as the whole list's keys tell.
TEST(MainDictionary, SoundAlikesAreEveryWordOfTheListOfTheSameSound) {
  TMainDictionary d;
  d.Open(spelltest::American());
  d.SetActive(true);
  ASSERT_TRUE(d.UsesNodeTable());
  std::map<std::string, std::set<std::string>> bySound;
  AnsiString key;
  for (const auto& line : spelltest::ReadLines("/usr/share/dict/american-english"))
    if (!line.empty()) {
      const std::string w = Utf8ToAnsi(line, 1252);
      MakeSoundKey(w, key);
      bySound[key].insert(SpellLower(w));
    }
  ASSERT_GT(bySound.size(), 20000u);
  // Sounds that begin with a vowel, a silent letter, two letters for one,
  // a doubled letter, "x", "ch" both ways, a capital, and letters beyond ASCII.
  for (const char* typed : {"ekspeeriens", "wrods", "nollidge", "fotograf", "oozeing", "zylofone", "kemistry",
                            "chirch", "Beaurocracy", "kaf\xE9", "gnome", "hole", "tecnic", "eggs"}) {
    SCOPED_TRACE(typed);
    MakeSoundKey(typed, key);
    TStringList found;
    d.FindSoundAlikes(typed, SIZE_MAX, &found);
    std::set<std::string> got;
    for (int i = 0; i < found.Count(); ++i) EXPECT_TRUE(got.insert(SpellLower(found[i])).second) << found[i];
    EXPECT_EQ(got, bySound[key]);
  }
}

// The walk leaves branches early (by row, by word length, at the edge of
// the distance); it must still find every word a plain comparison with the
// whole list finds.
TEST(MainDictionary, NearWordsAreEveryWordOfTheListWithinTheDistance) {
  TMainDictionary d;
  d.Open(spelltest::American());
  d.SetActive(true);
  ASSERT_TRUE(d.UsesNodeTable());
  // Optimal string alignment: an edit or a swap of neighbours costs one.
  auto distance = [](const std::string& a, const std::string& b) {
    const size_t n = a.size(), m = b.size();
    std::vector<std::vector<int>> t(n + 1, std::vector<int>(m + 1));
    for (size_t i = 0; i <= n; ++i) t[i][0] = static_cast<int>(i);
    for (size_t j = 0; j <= m; ++j) t[0][j] = static_cast<int>(j);
    for (size_t i = 1; i <= n; ++i)
      for (size_t j = 1; j <= m; ++j) {
        t[i][j] = std::min({t[i - 1][j] + 1, t[i][j - 1] + 1, t[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
        if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
          t[i][j] = std::min(t[i][j], t[i - 2][j - 2] + 1);
      }
    return t[n][m];
  };
  std::vector<std::string> list;
  for (const auto& line : spelltest::ReadLines("/usr/share/dict/american-english"))
    if (!line.empty()) list.push_back(Utf8ToAnsi(line, 1252));
  ASSERT_GT(list.size(), 50000u);
  struct Case {
    std::string word;
    int distance;
    bool sameFirst;
  };
  std::vector<Case> cases = {{"teh", 2, false},        {"wensday", 2, false},     {"acommodation", 3, true},
               {"definately", 2, false}, {"caf\xE9", 1, false},     {"Thier", 2, false},
               {"xqzvkw", 3, false},     {"restaraunt", 3, true},   {"a", 1, false},
               {"hte", 1, false},        {"recieve", 1, false},     {"taht", 2, false},
               // Long words two edits out: both edits at the start, both at
               // the end, a swap across the middle, letters beyond ASCII, an
               // apostrophe, capitals, and a word too long for any.
               {"xxcommodation", 2, false}, {"accommodatino", 2, false}, {"xccommoadtion", 2, false},
               {"accomodatoin", 2, false},  {"fiaanc\xE9", 2, false},    {"doesnt'", 2, false},
               {"WEDNSEDAY", 2, false},     {"bcdefgh", 2, false},       {"adress", 2, false},
               {"frend", 2, false},         {"abscence", 2, false},      {"unneccessarily", 2, false},
               {std::string(70, 'e'), 2, false},
               // Three edits out from any first letter: the beginning or
               // the ending within one edit, or neither.
               {"wundeews", 3, false},      {"fonetik", 3, false},       {"shoudln", 3, false},
               {"xcommodatoin", 3, false},  {"acommodaxxon", 3, false},  {"xcxommodation", 3, false},
               {"tomorrwo", 3, false},      {"Freinsd", 3, false},       {"caf\xE9teria", 3, false},
               {"gouvernmant", 3, false},   {"qwertyu", 3, false}};
  // Three out with a swap of neighbours at every place, wherever the search
  // parts the word, and the first and last letters changed.
  for (const std::string word : {"windows", "shouldnt", "knowledge", "remarkable", "information"})
    for (size_t at = 1; at + 2 < word.size(); ++at) {
      std::string typo = word;
      std::swap(typo[at], typo[at + 1]);
      typo.front() = 'x';
      typo.back() = 'z';
      cases.push_back({typo, 3, false});
    }
  for (const auto& c : cases) {
    SCOPED_TRACE(c.word);
    const std::string typed = SpellLower(c.word);
    std::set<std::string> expected;
    for (const auto& w : list) {
      const std::string lower = SpellLower(w);
      if (c.sameFirst && lower[0] != typed[0]) continue;
      if (distance(typed, lower) <= c.distance) expected.insert(lower);
    }
    TStringList near;
    d.FindNearWords(c.word, c.distance, 100000, &near, c.sameFirst);
    std::set<std::string> found;
    for (int i = 0; i < near.Count(); ++i) found.insert(SpellLower(near[i]));
    EXPECT_EQ(found, expected);
    // In the walk's order: the same words as a walk one edit further out
    // finds, in its order, less the words it adds.
    if (c.sameFirst) continue;
    TStringList wider;
    d.FindNearWords(c.word, c.distance + 1, 100000, &wider);
    std::vector<String> inOrder;
    for (int i = 0; i < wider.Count(); ++i)
      if (expected.count(SpellLower(wider[i]))) inOrder.push_back(wider[i]);
    EXPECT_EQ(near.ToVector(), inOrder);
  }
}

TEST(MainDictionary, PhoneticResultsStopAt501) {
  TMainDictionary d;
  d.Open(spelltest::American());
  ASSERT_EQ(d.FileName(), spelltest::American());
  TPhoneticsMap map;
  map.BuildRules(0);
  map.KeyBudget = 1;  // short keys: very many matches
  TStringList results;
  d.FindPhoneticMatches("sanity", map, &results);
  EXPECT_LE(results.Count(), 501);
  EXPECT_GE(results.Count(), 100);
}

TEST(MainDictionary, EverySourceWordFoundAndRandomNonWordsNot) {
  for (const char* name : {"American", "British"}) {
    const std::string file = spelltest::BinDir() + "/" + name + ".spm";
    const std::string source =
        std::string("/usr/share/dict/") + (name[0] == 'A' ? "american" : "british") + "-english";
    TMainDictionary d;
    d.Open(file);
    ASSERT_EQ(d.FileName(), file);
    EXPECT_GE(d.WidthSelector(), 65535u);  // the variable child-number form
    EXPECT_EQ(d.Language(), name[0] == 'A' ? 0x0409 : 0x0809);
    std::set<std::string> words;
    for (const auto& line : spelltest::ReadLines(source)) {
      const std::string w = Utf8ToAnsi(line, 1252);
      words.insert(w);
      ASSERT_TRUE(d.WordExists(w)) << name << " " << line;
    }
    EXPECT_GT(words.size(), 100000u);
    std::mt19937 rng(20);
    int tested = 0;
    while (tested < 10000) {
      std::string w;
      const int len = 3 + static_cast<int>(rng() % 8);
      for (int i = 0; i < len; ++i) w += static_cast<char>('a' + rng() % 26);
      if (words.count(w)) continue;
      ++tested;
      ASSERT_FALSE(d.WordExists(w)) << name << " " << w;
    }
  }
}

TEST(MainDictionary, CompilersRebuildByteIdenticalFiles) {
  qytest::TempDir tmp;
  const std::string again = tmp.str() + "/American.spm";
  const std::string cmd = std::string(QY_TOOLS_DIR) +
                          "/SpmCompile /usr/share/dict/american-english '" + again +
                          "' 'American English' 0x0409 > /dev/null";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  EXPECT_TRUE(qytest::ReadFileBytes(again) == qytest::ReadFileBytes(spelltest::American()));
  const std::string thesaurus = tmp.str() + "/Wordhoard.spt";
  const std::string cmd2 = std::string(QY_TOOLS_DIR) +
                           "/SptCompile /usr/share/mythes/th_en_US_v2.dat "
                           "/usr/share/wordnet/cntlist.rev '" + thesaurus +
                           "' English /usr/share/wordnet/adj.exc /usr/share/wordnet/adv.exc > /dev/null";
  ASSERT_EQ(std::system(cmd2.c_str()), 0);
  EXPECT_TRUE(qytest::ReadFileBytes(thesaurus) == qytest::ReadFileBytes(spelltest::Thesaurus()));
}

TEST(MainDictionary, DamagedFilesAreRefusedOrFindNothing) {
  qytest::TempDir tmp;
  const std::string good = tmp.str() + "/t.spm";
  ASSERT_TRUE(spelltest::CompileWords(kWords, good));
  const std::string bytes = qytest::ReadFileBytes(good);
  struct Case {
    const char* name;
    std::string data;
    bool accepted;
  } cases[] = {
      {"short", bytes.substr(0, 1024), false},
      {"banner", "X" + bytes.substr(1), false},
      {"no tables", bytes.substr(0, bytes.size() - 3000), true},
      {"counts", [&] {
         std::string b = bytes;
         const size_t countsAt = 1024 + 1 + 2 * (4 + 1) + 12;
         b[countsAt + 3] = '\x7F';  // an absurd section 0 count
         return b;
       }(), false},
  };
  for (const auto& c : cases) {
    const std::string path = tmp.str() + "/" + c.name + ".spm";
    qytest::WriteFileBytes(path, c.data);
    TMainDictionary d;
    d.Open(path);
    EXPECT_EQ(d.FileName() == path, c.accepted) << c.name;
    EXPECT_FALSE(d.WordExists("cat")) << c.name;
  }
  // A refused file keeps what was accepted before.
  TMainDictionary d;
  d.Open(good);
  d.Open(tmp.str() + "/banner.spm");
  EXPECT_EQ(d.FileName(), good);
}

// The node table and the cached phonetic keys must answer exactly as the
// walk over the mapped records: every word, near misses (for the depth),
// and phonetic searches under both rule sets the engine alternates, with
// settings changed between searches.
TEST(MainDictionary, NodeTableAndKeyCacheAgreeWithMappedWalk) {
  for (const char* name : {"American", "British"}) {
    const std::string file = spelltest::BinDir() + "/" + name + ".spm";
    const std::string source =
        std::string("/usr/share/dict/") + (name[0] == 'A' ? "american" : "british") + "-english";
    TMainDictionary fast, walk;
    fast.Open(file);
    walk.SetNodeTableAllowed(false);
    walk.Open(file);
    ASSERT_TRUE(fast.WordExists("cat"));
    ASSERT_TRUE(walk.WordExists("cat"));
    ASSERT_TRUE(fast.UsesNodeTable());
    ASSERT_FALSE(walk.UsesNodeTable());
    std::vector<std::string> words;
    for (const auto& line : spelltest::ReadLines(source)) words.push_back(Utf8ToAnsi(line, 1252));
    for (const auto& w : words) {
      std::string variants[] = {w, w.substr(0, w.size() - 1), w + "s", w + "\xE9", w};
      variants[4][w.size() / 2] = 'q';
      for (const auto& v : variants) {
        int d1 = -1, d2 = -1;
        const bool f1 = fast.Lookup(v.c_str(), d1), f2 = walk.Lookup(v.c_str(), d2);
        ASSERT_EQ(f1, f2) << name << " " << v;
        ASSERT_EQ(d1, d2) << name << " " << v;
      }
    }
    TPhoneticsMap a, b;  // a switches rule sets as the engine does; b only for walk
    for (size_t i = 0; i < words.size(); i += 97) {
      std::string typo = words[i];
      if (typo.size() > 3) std::swap(typo[2], typo[3]);
      for (int language : {0x0409, 0}) {
        a.BuildRules(language);
        b.BuildRules(language);
        if (i % 5 == 0) a.KeyBudget = b.KeyBudget = 3 + static_cast<int>(i % 4);
        if (i % 7 == 0) a.CollapseRepeats = b.CollapseRepeats = !a.CollapseRepeats;
        TStringList r1, r2;
        fast.FindPhoneticMatches(typo, a, &r1);
        walk.FindPhoneticMatches(typo, b, &r2);
        ASSERT_EQ(r1.ToVector(), r2.ToVector()) << name << " " << typo << " " << language;
      }
    }
    // A rule added after the rules were built changes the keys at once.
    a.BuildRules(0x0409);
    b.BuildRules(0x0409);
    a.KeyBudget = b.KeyBudget = 6;
    TStringList r0, r1, r2;
    fast.FindPhoneticMatches("catalgo", a, &r0);
    a.AddRule("o", "o", 1);
    b.AddRule("o", "o", 1);
    fast.FindPhoneticMatches("catalgo", a, &r1);
    walk.FindPhoneticMatches("catalgo", b, &r2);
    EXPECT_EQ(r1.ToVector(), r2.ToVector());
    EXPECT_NE(r0.ToVector(), r1.ToVector());
  }
}

// Rule sets put aside and taken back make the keys a fresh build makes,
// and a set changed after its build is built again, not taken back.
TEST(PhoneticsMap, RuleSetsTakenBackMakeFreshKeys) {
  const std::vector<std::string> words = {"phonetic", "knight", "character", "sugar",
                                          "exception", "whatever", "judge", "cello"};
  auto keys = [&](const TPhoneticsMap& m) {
    std::vector<std::string> k;
    for (const auto& w : words) {
      AnsiString key;
      m.MakeKey(w, key);
      k.push_back(key);
    }
    return k;
  };
  for (int language : {0x0409, 0x0419, 0x040C, 0}) {
    TPhoneticsMap fresh;
    fresh.BuildRules(language);
    TPhoneticsMap m;
    m.BuildRules(language);
    const uint64_t stamp = m.RulesStamp();
    m.BuildRules(language == 0 ? 0x0409 : 0);
    EXPECT_NE(m.RulesStamp(), stamp);
    m.BuildRules(language);
    EXPECT_EQ(m.RulesStamp(), stamp) << language;
    EXPECT_EQ(keys(m), keys(fresh)) << language;
    m.AddRule("k", "q", 1);
    EXPECT_NE(m.RulesStamp(), stamp);
    m.BuildRules(language == 0 ? 0x0409 : 0);
    m.BuildRules(language);
    EXPECT_EQ(keys(m), keys(fresh)) << language;
  }
}

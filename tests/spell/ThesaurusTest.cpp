#include "platform/base/CodePages.h"
#include "spell/scStringParser.h"
#include "spell/scThesaurusBase.h"
#include "spell/scThesaurusFile.h"
#include "spell/scUtil.h"
#include "tools/JournalWords.h"

#include "SpellTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

namespace {
void Put(std::string& o, uint32_t v, int n) {
  for (int i = 0; i < n; ++i) o += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A small thesaurus: "cat" (a terminal node), "card" (a tail node "r" with
// the chain "d"), three meanings.
std::string Fixture() {
  struct N {
    char c;
    std::vector<uint16_t> kids;
    int parent;  // -1: no parent link
    bool tail, terminal;
    std::vector<uint16_t> entries;
  };
  const std::vector<N> nodes = {
      {0, {1}, -1, false, false, {}},         // 0 root
      {'c', {2}, 0, false, false, {}},        // 1
      {'a', {3, 4}, 1, false, false, {}},     // 2
      {'t', {}, 2, false, true, {12, 5}},     // 3 "cat": meaning 2 kind 2, meaning 1 kind 0
      {'r', {5}, 2, true, false, {0}},        // 4 "card" via its tail
      {'d', {}, -1, false, false, {}},        // 5 chain
  };
  std::string recs, data;
  for (const auto& n : nodes) {
    const uint32_t off = static_cast<uint32_t>(data.size());
    const bool single = n.kids.size() == 1;
    if (single) {
      Put(data, n.kids[0], 2);
    } else {
      data += static_cast<char>(n.kids.size());
      for (auto k : n.kids) Put(data, k, 2);
    }
    if (n.parent >= 0) Put(data, static_cast<uint32_t>(n.parent), 2);
    if (n.tail || n.terminal) {
      data += static_cast<char>(n.entries.size());
      for (auto e : n.entries) Put(data, e, 2);
    }
    Put(recs, off | (single ? 1u << 20 : 0) | (n.parent >= 0 ? 1u << 21 : 0) |
                  (n.tail ? 1u << 22 : 0) | (n.terminal ? 1u << 23 : 0) |
                  (static_cast<uint32_t>(static_cast<Byte>(n.c)) << 24),
        4);
  }
  // Meanings: head node, four counts, offset; lists follow in the list data.
  struct M {
    uint16_t head;
    std::vector<uint16_t> lists[4];
  };
  const std::vector<M> meanings = {
      {4, {{3}, {}, {}, {3, 3}}},  // "card": its head in no list, list 4 longest
      {3, {{4}, {}, {}, {}}},
      {3, {{}, {4}, {}, {}}},
  };
  std::string mrec, ldata;
  for (const auto& m : meanings) {
    Put(mrec, m.head, 2);
    for (const auto& l : m.lists) Put(mrec, static_cast<uint32_t>(l.size()), 2);
    Put(mrec, static_cast<uint32_t>(ldata.size()), 4);
    for (const auto& l : m.lists)
      for (auto w : l) Put(ldata, w, 2);
  }
  std::string out(kSptBanner, kSptBannerLength);
  out.resize(kSptHeaderSize, '\0');
  auto shortString = [&](const std::string& s) {
    out += static_cast<char>(s.size());
    out += s;
  };
  shortString("Tiny");
  for (const char* k : {"k0", "k1", "k2", "k3", "k4"}) shortString(k);
  Put(out, static_cast<uint32_t>(nodes.size()), 4);
  out += recs;
  Put(out, static_cast<uint32_t>(data.size()), 4);
  out += data;
  Put(out, static_cast<uint32_t>(meanings.size()), 2);
  out += mrec;
  Put(out, static_cast<uint32_t>(ldata.size()), 4);
  out += ldata;
  return out;
}
}  // namespace

TEST(ThesaurusFile, TrieTailsReferencesAndCase) {
  qytest::TempDir tmp;
  const std::string path = tmp.str() + "/t.spt";
  qytest::WriteFileBytes(path, Fixture());
  TThesaurusFile f;
  f.SetFileName(path);
  ASSERT_TRUE(f.Lookup("cat"));
  EXPECT_EQ(f.Name(), "Tiny");
  ASSERT_EQ(f.Results().size(), 2u);
  const TThesaurusEntry& e = *f.Results()[0];  // v = 12: meaning 2, kind 2
  EXPECT_EQ(e.Word, "cat");
  EXPECT_EQ(e.Kind, 2);
  EXPECT_EQ(e.KindName, "k2");
  EXPECT_EQ(e.Lists[1], std::vector<AnsiString>{"card"});
  struct Case {
    const char* word;
    bool found;
  } cases[] = {{"card", true}, {"car", false}, {"cards", false}, {"ca", false},
               {"", false},    {"dog", false}, {"CARD", true},   {"Cat", true}};
  for (const auto& c : cases) EXPECT_EQ(f.Lookup(c.word), c.found) << c.word;
  ASSERT_TRUE(f.Lookup("CAT"));
  EXPECT_EQ(f.Results()[0]->Word, "CAT");
  EXPECT_EQ(f.Results()[0]->Lists[1], std::vector<AnsiString>{"CARD"});
  ASSERT_TRUE(f.Lookup("Card"));
  EXPECT_EQ(f.Results()[0]->Word, "Card");
  EXPECT_EQ(f.Results()[0]->Lists[0], std::vector<AnsiString>{"Cat"});
  f.LowerCaseRetry = false;
  EXPECT_FALSE(f.Lookup("Card"));
}

TEST(ThesaurusFile, DamagedFilesFindNothing) {
  qytest::TempDir tmp;
  const std::string good = Fixture();
  const size_t nodesAt = kSptHeaderSize + 5 + 5 * 3 + 4;
  auto patchNode = [&](int node, uint32_t v) {
    std::string b = good;
    for (int i = 0; i < 4; ++i) b[nodesAt + 4 * node + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return b;
  };
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"foreign", "X" + good.substr(1)},
      {"short", good.substr(0, good.size() - 1)},
      {"data offset", patchNode(1, 0x0FFFFF | (1u << 20) | (1u << 21) | ('c' << 24))},
      // "d" made the single child of itself: the tail never ends.
      {"tail cycle", patchNode(5, 0x000000 | (1u << 20) | ('d' << 24))},
  };
  for (const auto& [name, bytes] : cases) {
    const std::string path = tmp.str() + "/" + name + ".spt";
    qytest::WriteFileBytes(path, bytes);
    TThesaurusFile f;
    f.SetFileName(path);
    EXPECT_FALSE(f.Lookup("card") && !f.Results().empty()) << name;
  }
}

TEST(ThesaurusFile, CompiledFileHoldsEveryListWord) {
  TThesaurusFile f;
  f.SetFileName(spelltest::Thesaurus());
  ASSERT_TRUE(f.Lookup("happy"));
  ASSERT_FALSE(f.Results().empty());
  EXPECT_LE(f.NodeCount(), 65536u);
  EXPECT_LE(f.MeaningCount(), 13107u);
  bool glad = false;
  for (const auto& e : f.Results())
    for (const auto& l : e->Lists)
      for (const auto& w : l) glad = glad || w == "glad";
  EXPECT_TRUE(glad);
  ASSERT_TRUE(f.Lookup("HAPPY"));
  EXPECT_EQ(f.Results()[0]->Word, "HAPPY");
  ASSERT_TRUE(f.Lookup("Happy"));
  EXPECT_EQ(f.Results()[0]->Word.substr(0, 1), "H");
  // Every word of every list resolves to a word that is found again.
  ASSERT_TRUE(f.Lookup("good"));
  int checked = 0;
  std::vector<AnsiString> words;
  for (const auto& e : f.Results())
    for (const auto& l : e->Lists) words.insert(words.end(), l.begin(), l.end());
  for (const auto& w : words) {
    uint32_t node = 0;
    EXPECT_TRUE(f.FindWord(w, node)) << w;
    ++checked;
  }
  EXPECT_GT(checked, 10);
}

namespace {
bool Lists(const TThesaurusEntry& e, const char* word) {
  for (const auto& l : e.Lists)
    if (std::find(l.begin(), l.end(), word) != l.end()) return true;
  return false;
}
}  // namespace

TEST(ThesaurusFile, CompiledFileHoldsAJournalsVocabularyAndEveryMeaning) {
  TThesaurusFile f;
  f.SetFileName(spelltest::Thesaurus());
  f.SetActive(true);
  ASSERT_TRUE(f.Active());
  // Tail records let far more words fit the 16-bit node numbers.
  // (Antonyms are no longer listed, so the words only an antonym named are
  // gone.)
  EXPECT_GE(f.HeadwordCount(), 19500u);
  for (const char* w : {"diary", "journal", "entry", "memory", "feeling", "mood", "gratitude"}) {
    EXPECT_TRUE(f.Lookup(w) && !f.Results().empty()) << w;
  }
  ASSERT_TRUE(f.Lookup("journal"));
  bool personal = false, periodical = false, axle = false;
  for (const auto& e : f.Results()) {
    personal = personal || Lists(*e, "diary");
    periodical = periodical || Lists(*e, "periodical");
    axle = axle || Lists(*e, "axle");
  }
  EXPECT_TRUE(personal);
  // Meanings without synonyms stay apart: the magazine and the part of a shaft.
  EXPECT_TRUE(periodical);
  EXPECT_TRUE(axle);
  ASSERT_TRUE(f.Lookup("diary"));
  bool journal = false;
  for (const auto& e : f.Results()) journal = journal || Lists(*e, "journal");
  EXPECT_TRUE(journal);
}

TEST(ThesaurusComponent, LookupAtTheCaretAndReplacement) {
  qytest::TempDir tmp;
  const std::string path = tmp.str() + "/t.spt";
  qytest::WriteFileBytes(path, Fixture());
  TThesaurusBase th(nullptr);
  th.SetFilename(path);
  std::vector<AnsiString> context;
  AnsiString choose = "card";
  int changes = 0;
  th.OnPromptLookup = [&](TObject*, const AnsiString& w, auto& results) {
    EXPECT_EQ(w, "cat");
    // Both meanings of "cat" offer "card" alone: the second would repeat it.
    EXPECT_EQ(results.size(), 1u);
    th.PromptContext(0);
    if (!choose.empty()) th.ChooseReplacement(choose);
  };
  th.OnPromptContext = [&](TObject*, std::vector<AnsiString>& words) { context = words; };
  th.OnBeforeChange = [&](TObject*) { ++changes; };
  AnsiString text = "a cat sat";
  auto* p = new TStringParser;
  p->Initialize(&text);
  p->SetPosition(4, 0, ppCurrent);  // inside "cat"
  EXPECT_TRUE(th.LookupParser(p));
  EXPECT_EQ(text, "a card sat");
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(context, std::vector<AnsiString>{"card"});
  // Closing without a choice leaves the text.
  choose.clear();
  text = "a cat sat";
  p->Initialize(&text);
  p->SetPosition(3, 0, ppCurrent);
  EXPECT_TRUE(th.LookupParser(p));
  EXPECT_EQ(text, "a cat sat");
  EXPECT_EQ(changes, 1);
  AnsiString none = "   ";
  p->Initialize(&none);
  EXPECT_FALSE(th.LookupParser(p));
  delete p;
  EXPECT_FALSE(th.ThesaurusFile().Active());  // put back as it was
}

TEST(ThesaurusComponent, ContextListsAndDoubleClicks) {
  qytest::TempDir tmp;
  const std::string path = tmp.str() + "/t.spt";
  qytest::WriteFileBytes(path, Fixture());
  TThesaurusBase th(nullptr);
  th.SetFilename(path);
  std::vector<AnsiString> context;
  th.OnPromptContext = [&](TObject*, std::vector<AnsiString>& words) { context = words; };
  th.LookupWord("card");
  ASSERT_EQ(th.ThesaurusFile().Results().size(), 1u);
  th.PromptContext(0);  // kind 0, head "card" in no list: the longest list
  EXPECT_EQ(context, (std::vector<AnsiString>{"cat", "cat"}));
  context.clear();
  th.PromptContext(5);
  EXPECT_TRUE(context.empty());
  int lookups = 0;
  th.OnPromptLookup = [&](TObject*, const AnsiString&, auto&) { ++lookups; };
  th.DoubleClickAction = dcaNone;
  th.DoubleClickWord("cat");
  EXPECT_EQ(lookups, 0);
  th.DoubleClickAction = dcaLookup;
  th.DoubleClickWord("cat");
  EXPECT_EQ(lookups, 1);
  EXPECT_EQ(th.ThesaurusFile().LastWord(), "cat");
}

TEST(ThesaurusFile, MeaningsAreToldApartAndLeadToOtherWords) {
  TThesaurusFile f;
  f.SetFileName(spelltest::Thesaurus());
  std::vector<const char*> words(std::begin(kJournalWords), std::end(kJournalWords));
  words.insert(words.end(), {"market", "good", "run", "light"});
  for (const char* w : words) {
    SCOPED_TRACE(w);
    ASSERT_TRUE(f.Lookup(w));
    TThesaurusBase::NameMeanings(w, f.Results());
    ASSERT_FALSE(f.Results().empty());
    std::set<AnsiString> captions;
    for (const auto& e : f.Results()) {
      EXPECT_TRUE(captions.insert(e->Caption).second) << e->Caption;
      EXPECT_NE(SpellLower(e->Caption), w) << e->Caption;
      bool other = false;
      for (const AnsiString& o : TThesaurusBase::ContextWords(*e)) other = other || SpellLower(o) != w;
      EXPECT_TRUE(other) << e->Caption;
    }
  }
  // "happy" leads to the everyday words, not to its opposite.
  ASSERT_TRUE(f.Lookup("happy"));
  TThesaurusBase::NameMeanings("happy", f.Results());
  std::set<AnsiString> offered;
  for (const auto& e : f.Results())
    for (const AnsiString& o : TThesaurusBase::ContextWords(*e)) offered.insert(o);
  for (const char* w : {"glad", "cheerful", "content", "joyful"}) EXPECT_EQ(offered.count(w), 1u) << w;
  EXPECT_EQ(offered.count("unhappy"), 0u);
}

TEST(ThesaurusFile, EveryCommonJournalWordIsAHeadword) {
  TThesaurusFile f;
  f.SetFileName(spelltest::Thesaurus());
  EXPECT_EQ(std::size(kJournalWords), 200u);
  for (const char* w : kJournalWords) EXPECT_TRUE(f.Lookup(w) && !f.Results().empty()) << w;
}

namespace {
// A sense of the thesaurus source the build compiles (WordNet's, one a
// line): its headword with its synonyms, and those with the words similar,
// broader or related to it (antonyms left out).
struct TSourceSense {
  std::set<std::string> Core, All;
  // The words of this sense for Word: all of them for one of its own
  // words; for a word only similar or related to it, its own words alone
  // (the others are that word's neighbours, not Word's).
  const std::set<std::string>* For(const std::string& Word) const {
    return Core.count(Word) ? &All : All.count(Word) ? &Core : nullptr;
  }
};

std::vector<TSourceSense> SourceSenses(const std::string& path, const std::set<std::string>& Words) {
  std::vector<TSourceSense> senses;
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);  // the encoding
  while (std::getline(in, line)) {
    const auto bar = line.rfind('|');
    if (bar == std::string::npos) continue;
    const std::string head = line.substr(0, bar);
    const int count = std::atoi(line.c_str() + bar + 1);
    for (int i = 0; i < count && std::getline(in, line); ++i) {
      TSourceSense sense;
      sense.Core.insert(head);
      std::istringstream terms(line);
      std::string term;
      std::getline(terms, term, '|');  // part of speech
      while (std::getline(terms, term, '|')) {
        if (term.find(" (antonym)") != std::string::npos) continue;
        const auto mark = term.find(" (");
        if (mark == std::string::npos)
          sense.Core.insert(term);
        else
          term.resize(mark);
        sense.All.insert(term);
      }
      sense.All.insert(sense.Core.begin(), sense.Core.end());
      if (std::any_of(Words.begin(), Words.end(), [&](const std::string& w) { return sense.All.count(w) > 0; }))
        senses.push_back(std::move(sense));
    }
  }
  return senses;
}
}  // namespace

// Each meaning offers the words of one sense: the word's own, or the words
// of a sense it is similar or related to, never that sense's other
// neighbours ("sad" is like "bad"; "pretty", like "bad", is no word for
// "sad").
TEST(ThesaurusFile, EachMeaningOffersTheWordsOfOneSense) {
  const std::string source = "/usr/share/mythes/th_en_US_v2.dat";
  if (!std::ifstream(source)) GTEST_SKIP() << "no thesaurus source " << source;
  std::set<std::string> words(std::begin(kJournalWords), std::begin(kJournalWords) + 50);
  const auto senses = SourceSenses(source, words);
  TThesaurusFile f;
  f.SetFileName(spelltest::Thesaurus());
  for (const std::string& word : words) {
    SCOPED_TRACE(word);
    ASSERT_TRUE(f.Lookup(word));
    TThesaurusBase::NameMeanings(word, f.Results());
    ASSERT_FALSE(f.Results().empty());
    std::map<std::string, int> meaningsOffering;
    for (const auto& e : f.Results()) {
      std::set<std::string> offered;
      for (const AnsiString& w : TThesaurusBase::ContextWords(*e))
        if (SpellLower(w) != word) offered.insert(AnsiToUtf8(w, 1252));
      for (const auto& w : offered) ++meaningsOffering[w];
      const bool oneSense = std::any_of(senses.begin(), senses.end(), [&](const TSourceSense& s) {
        const auto* mine = s.For(word);
        return mine && std::includes(mine->begin(), mine->end(), offered.begin(), offered.end());
      });
      std::string list;
      for (const auto& w : offered) list += w + ", ";
      EXPECT_TRUE(oneSense) << e->Caption << ": " << list;
      // Named by words it offers.
      const std::string first = e->Caption.substr(0, e->Caption.find(','));
      EXPECT_TRUE(offered.count(AnsiToUtf8(first, 1252))) << e->Caption;
    }
    // A word is offered again only where the source lists it in another
    // sense of the word, not by every meaning that borders on one.
    for (const auto& [w, n] : meaningsOffering) {
      const auto listed = std::count_if(senses.begin(), senses.end(), [&](const TSourceSense& s) {
        const auto* mine = s.For(word);
        return mine && mine->count(w);
      });
      EXPECT_LE(n, listed) << w;
    }
  }
}

// A word's own comparative and superlative are forms of it, not its
// senses: "good" is not named by "better, best".
TEST(ThesaurusFile, ComparativesAreNoMeaningOfTheirWord) {
  TThesaurusFile f;
  f.SetFileName(spelltest::Thesaurus());
  struct Case {
    const char* word;
    std::vector<const char*> grades;
  } cases[] = {{"good", {"better", "best"}}, {"bad", {"worse", "worst"}}, {"happy", {"happier", "happiest"}},
               {"calm", {"calmer", "calmest"}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.word);
    ASSERT_TRUE(f.Lookup(c.word));
    TThesaurusBase::NameMeanings(c.word, f.Results());
    ASSERT_FALSE(f.Results().empty());
    for (const auto& e : f.Results())
      for (const AnsiString& w : TThesaurusBase::ContextWords(*e))
        for (const char* g : c.grades) EXPECT_NE(SpellLower(w), g) << e->Caption;
  }
}

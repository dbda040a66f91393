// Compiles the thesaurus file (".spt") from a MyThes data file, ranking
// headwords by the sense-tag counts of a WordNet count list so that the
// most used ones, each with all its meanings, fit the format's limits
// (16-bit node numbers, 13,107 meanings). Then reads the file back and
// checks every word.
//
//   SptCompile <th_*.dat> <cntlist.rev> <output.spt> <display name> [<adj.exc> ...]
//
// The WordNet exception lists name the irregular comparatives ("better
// good"): a headword's own comparative or superlative is a form of it, not
// a word of its sense, and is left out of its adjective and adverb senses
// (as the base word is left out of the comparative's).
#include "platform/base/CodePages.h"
#include "spell/scThesaurusBase.h"
#include "spell/scThesaurusFile.h"
#include "tools/JournalWords.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

constexpr size_t kMaxNodes = 65536;
constexpr size_t kMaxMeanings = 13107;  // v = meaning * 5 + kind stays 16-bit
constexpr size_t kMaxEntriesPerWord = 255;
constexpr size_t kFirstPassSenses = 8;

struct TMeaning {
  std::string Pos;
  std::vector<std::string> Lists[4];  // synonyms, similar, broader, related
  std::string Head;
  double Score = 0;
};

int Fail(const std::string& why) {
  std::cerr << "SptCompile: " << why << "\n";
  return 1;
}

bool ToCp1252(const std::string& utf8, std::string& out) {
  bool lossless = true;
  out = WideToAnsi(Utf8ToWide(utf8), 1252, lossless);
  if (!lossless || out.empty() || out.size() > 60) return false;
  for (unsigned char c : out)
    if (c < ' ') return false;
  return true;
}

std::string TrimTerm(std::string s) {
  while (!s.empty() && (s.back() == ' ' || s.back() == '\r')) s.pop_back();
  size_t i = 0;
  while (i < s.size() && s[i] == ' ') ++i;
  return s.substr(i);
}

std::string Lower(const std::string& s) { return AnsiLowerCase(s, 1252); }

// Irregular forms to their base words, from WordNet exception lists.
using TForms = std::unordered_map<std::string, std::vector<std::string>>;

bool ReadForms(const std::string& path, TForms& forms) {
  std::ifstream in(path);
  if (!in) return false;
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::string form, base;
    if (!(words >> form)) continue;
    std::replace(form.begin(), form.end(), '_', ' ');
    while (words >> base) {
      std::replace(base.begin(), base.end(), '_', ' ');
      forms[form].push_back(base);
    }
  }
  return true;
}

// Whether Word is Head's comparative or superlative: listed as irregular,
// or made by the regular endings (kind-er, nice-r, happ-ier, big-ger).
bool IsGradeOf(const std::string& Word, const std::string& Head, const TForms& forms) {
  if (auto f = forms.find(Word); f != forms.end())
    if (std::find(f->second.begin(), f->second.end(), Head) != f->second.end()) return true;
  if (Head.empty() || Word.size() <= Head.size()) return false;
  std::vector<std::string> made;
  for (const char* end : {"er", "est"}) {
    made.push_back(Head + end);
    if (Head.back() == 'e') made.push_back(Head + (end + 1));
    if (Head.back() == 'y') made.push_back(Head.substr(0, Head.size() - 1) + "i" + end);
    made.push_back(Head + Head.back() + end);
  }
  return std::find(made.begin(), made.end(), Word) != made.end();
}

// A journal's own vocabulary: always in the file, ahead of every other word,
// with the feeling and everyday words of kJournalWords.
const char* const kDiaryWords[] = {
    "diary", "journal", "entry", "memory", "feeling", "mood", "emotion", "thought", "reflection",
    "note", "record", "memoir", "day", "week", "month", "year", "today", "yesterday", "tomorrow",
    "morning", "afternoon", "evening", "night", "moment", "event", "experience", "dream", "hope",
    "wish", "fear", "worry", "anxiety", "joy", "happy", "sad", "angry", "calm", "tired", "grateful",
    "gratitude", "love", "friend", "family", "home", "work", "trip", "travel", "goal", "plan",
    "habit", "health", "sleep", "remember", "recall", "reflect", "write", "feel", "think", "wonder",
    "lonely", "excited", "nervous", "proud", "peaceful", "stress", "weather", "walk", "visit",
    "birthday", "holiday", "weekend", "letter", "story", "secret", "life", "past", "future"};

// A plain trie of every word of the chosen meanings.
struct TTrie {
  struct TNode {
    Byte Char = 0;
    int Parent = -1;
    std::map<Byte, int> Children;
    bool Terminal = false;
  };
  std::vector<TNode> Nodes{TNode{}};
  int Insert(const std::string& w) {
    int n = 0;
    for (unsigned char c : w) {
      auto it = Nodes[n].Children.find(c);
      if (it == Nodes[n].Children.end()) {
        Nodes.push_back({c, n, {}, false});
        const int id = static_cast<int>(Nodes.size()) - 1;
        Nodes[n].Children[c] = id;
        n = id;
      } else {
        n = it->second;
      }
    }
    Nodes[n].Terminal = true;
    return n;
  }
};

void Put(std::string& out, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

void PutShort(std::string& out, const std::string& s) {
  out += static_cast<char>(s.size());
  out += s;
}

struct TLayout {
  size_t NodeCount = 0, MeaningCount = 0;
  std::map<std::string, std::vector<uint16_t>> Entries;  // word -> references
  std::string Nodes, NodeData, Records, Lists;
};

// Lays out the file for the meanings of the first Count headwords taken.
// A word whose rest is a chain of single letters is stored on a tail node,
// and the chains are shared by suffix: "-ation" is stored once for all the
// words that end in it. That is what lets about 20,000 headwords fit in
// 16-bit node numbers.
bool Build(const std::vector<TMeaning>& meanings, const std::vector<std::vector<size_t>>& taken,
           size_t Count, TLayout& L) {
  L = TLayout{};
  std::vector<size_t> chosen;
  for (size_t i = 0; i < Count; ++i) chosen.insert(chosen.end(), taken[i].begin(), taken[i].end());
  L.MeaningCount = chosen.size();
  TTrie trie;
  std::map<std::string, int> leafOf;
  for (size_t number = 0; number < chosen.size(); ++number) {
    const TMeaning& m = meanings[chosen[number]];
    for (int l = 0; l < 4; ++l)
      for (const auto& w : m.Lists[l]) {
        leafOf[w] = trie.Insert(w);
        if (l == 2) continue;  // broader terms are listed, not looked up under
        auto& e = L.Entries[w];
        if (e.size() < kMaxEntriesPerWord) e.push_back(static_cast<uint16_t>(number * 5 + l + 1));
      }
  }
  const auto& T = trie.Nodes;
  const size_t n = T.size();
  // chainOnly: below and including the node, one path whose only word end is its leaf.
  std::vector<bool> chainOnly(n, false), tail(n, false);
  for (size_t i = n; i-- > 1;) {
    if (T[i].Children.empty())
      chainOnly[i] = T[i].Terminal;
    else
      chainOnly[i] = !T[i].Terminal && T[i].Children.size() == 1 &&
                     chainOnly[T[i].Children.begin()->second];
  }
  for (size_t i = 1; i < n; ++i)
    tail[i] = chainOnly[i] && !T[i].Children.empty() &&
              (T[i].Parent == 0 || !chainOnly[static_cast<size_t>(T[i].Parent)]);

  // Numbers: the trie down to the tail nodes breadth first, then the chains.
  std::vector<int> byNumber{0};
  std::vector<int> numberOf(n, -1);
  numberOf[0] = 0;
  for (size_t i = 0; i < byNumber.size(); ++i) {
    if (tail[static_cast<size_t>(byNumber[i])]) continue;
    for (auto [c, child] : T[static_cast<size_t>(byNumber[i])].Children) {
      numberOf[static_cast<size_t>(child)] = static_cast<int>(byNumber.size());
      byNumber.push_back(child);
    }
  }
  std::map<std::string, int> chainOf;
  std::vector<std::string> chains;
  auto suffixBelow = [&](int node) {
    std::string s;
    for (int c = node; !T[static_cast<size_t>(c)].Children.empty();) {
      c = T[static_cast<size_t>(c)].Children.begin()->second;
      s += static_cast<char>(T[static_cast<size_t>(c)].Char);
    }
    return s;
  };
  std::function<int(const std::string&)> chain = [&](const std::string& s) {
    auto it = chainOf.find(s);
    if (it != chainOf.end()) return it->second;
    if (s.size() > 1) chain(s.substr(1));
    const int number = static_cast<int>(byNumber.size() + chains.size());
    chainOf[s] = number;
    chains.push_back(s);
    return number;
  };
  std::map<int, int> tailChild;
  for (int node : byNumber)
    if (tail[static_cast<size_t>(node)]) tailChild[node] = chain(suffixBelow(node));
  L.NodeCount = byNumber.size() + chains.size();
  if (L.NodeCount > kMaxNodes) return true;  // too large; the caller tries fewer

  // The node of each word: its own, or the tail node above its leaf.
  std::map<std::string, int> nodeOfWord;
  for (const auto& [w, leaf] : leafOf) {
    int k = leaf;
    while (numberOf[static_cast<size_t>(k)] < 0) k = T[static_cast<size_t>(k)].Parent;
    nodeOfWord[w] = numberOf[static_cast<size_t>(k)];
  }
  auto putEntries = [&](const std::string& w) {
    const auto it = L.Entries.find(w);
    const size_t count = it == L.Entries.end() ? 0 : it->second.size();
    L.NodeData += static_cast<char>(count);
    if (count)
      for (uint16_t v : it->second) Put(L.NodeData, v, 2);
  };
  auto wordOf = [&](int node) {
    std::string w;
    for (int k = node; k > 0; k = T[static_cast<size_t>(k)].Parent)
      w.insert(w.begin(), static_cast<char>(T[static_cast<size_t>(k)].Char));
    return w;
  };
  for (int node : byNumber) {
    const auto& t = T[static_cast<size_t>(node)];
    const uint32_t offset = static_cast<uint32_t>(L.NodeData.size());
    if (offset > 0xFFFFF) return false;
    const bool isTail = tail[static_cast<size_t>(node)];
    const bool single = isTail || t.Children.size() == 1;
    if (t.Children.size() > 255) return false;
    if (isTail) {
      Put(L.NodeData, static_cast<uint32_t>(tailChild[node]), 2);
    } else if (single) {
      Put(L.NodeData, static_cast<uint32_t>(numberOf[static_cast<size_t>(t.Children.begin()->second)]), 2);
    } else {
      L.NodeData += static_cast<char>(t.Children.size());
      for (auto [c, child] : t.Children) Put(L.NodeData, static_cast<uint32_t>(numberOf[static_cast<size_t>(child)]), 2);
    }
    const bool hasParent = node != 0;
    if (hasParent) Put(L.NodeData, static_cast<uint32_t>(numberOf[static_cast<size_t>(t.Parent)]), 2);
    if (isTail)
      putEntries(wordOf(node) + suffixBelow(node));
    else if (t.Terminal)
      putEntries(wordOf(node));
    Put(L.Nodes, offset | (single ? 1u << 20 : 0) | (hasParent ? 1u << 21 : 0) |
                     (isTail ? 1u << 22 : 0) | (t.Terminal ? 1u << 23 : 0) |
                     (static_cast<uint32_t>(t.Char) << 24),
        4);
  }
  for (const auto& s : chains) {
    const uint32_t offset = static_cast<uint32_t>(L.NodeData.size());
    if (offset > 0xFFFFF) return false;
    const bool single = s.size() > 1;
    if (single)
      Put(L.NodeData, static_cast<uint32_t>(chainOf[s.substr(1)]), 2);
    else
      L.NodeData += '\0';
    Put(L.Nodes, offset | (single ? 1u << 20 : 0) | (static_cast<uint32_t>(static_cast<Byte>(s[0])) << 24), 4);
  }

  for (size_t idx : chosen) {
    const TMeaning& m = meanings[idx];
    Put(L.Records, static_cast<uint32_t>(nodeOfWord[m.Head]), 2);
    for (const auto& l : m.Lists) Put(L.Records, static_cast<uint32_t>(l.size()), 2);
    Put(L.Records, static_cast<uint32_t>(L.Lists.size()), 4);
    for (const auto& l : m.Lists)
      for (const auto& w : l) Put(L.Lists, static_cast<uint32_t>(nodeOfWord[w]), 2);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) return Fail("usage: SptCompile <th_*.dat> <cntlist.rev> <output.spt> <name> [<adj.exc> ...]");
  const std::string source = argv[1], counts = argv[2], target = argv[3], title = argv[4];
  TForms forms;
  for (int i = 5; i < argc; ++i)
    if (!ReadForms(argv[i], forms)) return Fail(std::string("cannot read ") + argv[i]);

  // Word frequencies: sense-tag counts summed by lemma.
  std::unordered_map<std::string, double> freq;
  {
    std::ifstream in(counts);
    if (!in) return Fail("cannot read " + counts);
    for (std::string key, sense, n; in >> key >> sense >> n;) {
      std::string lemma = key.substr(0, key.find('%'));
      std::replace(lemma.begin(), lemma.end(), '_', ' ');
      freq[Lower(lemma)] += std::stod(n);
    }
  }

  // Meanings: one per distinct sense line (part of speech and every list),
  // so that two senses that differ only in their broader terms stay apart.
  std::ifstream in(source, std::ios::binary);
  if (!in) return Fail("cannot read " + source);
  std::string line;
  std::getline(in, line);  // the encoding line
  std::map<std::string, size_t> seen;
  std::vector<TMeaning> meanings;
  std::map<std::string, std::vector<size_t>> sensesOf;  // block headword -> its meanings
  std::map<std::string, size_t> uses;                     // how often a word is listed
  while (std::getline(in, line)) {
    const auto bar = line.rfind('|');
    if (bar == std::string::npos) continue;
    std::string head;
    const bool headOk = ToCp1252(line.substr(0, bar), head);
    const int senses = std::atoi(line.c_str() + bar + 1);
    for (int s = 0; s < senses && std::getline(in, line); ++s) {
      if (!headOk) continue;
      TMeaning m;
      size_t start = 0;
      bool first = true;
      while (start <= line.size()) {
        size_t end = line.find('|', start);
        if (end == std::string::npos) end = line.size();
        std::string term = TrimTerm(line.substr(start, end - start));
        start = end + 1;
        if (first) {
          m.Pos = term;
          first = false;
          continue;
        }
        // An antonym is no word to put in a word's place: left out.
        int list = 0;
        for (auto [mark, l] : {std::pair{" (similar term)", 1}, {" (generic term)", 2},
                               {" (antonym)", -1}, {" (related term)", 3}}) {
          const std::string sm = mark;
          if (term.size() > sm.size() && term.compare(term.size() - sm.size(), sm.size(), sm) == 0) {
            term.resize(term.size() - sm.size());
            list = l;
          }
        }
        std::string w;
        const bool graded = m.Pos == "(adj)" || m.Pos == "(adv)";
        if (list >= 0 && ToCp1252(term, w) && w != head && !(graded && (IsGradeOf(Lower(w), Lower(head), forms) || IsGradeOf(Lower(head), Lower(w), forms))) &&
            std::find(m.Lists[list].begin(), m.Lists[list].end(), w) == m.Lists[list].end())
          m.Lists[list].push_back(w);
      }
      // Synonyms stay in the source's order, nearest the headword first:
      // they name the meaning. The other lists offer their most used words
      // first.
      for (int l = 1; l < 4; ++l)
        std::stable_sort(m.Lists[l].begin(), m.Lists[l].end(), [&](const std::string& a, const std::string& b) {
          const auto fa = freq.find(Lower(a)), fb = freq.find(Lower(b));
          return (fa == freq.end() ? 0 : fa->second) > (fb == freq.end() ? 0 : fb->second);
        });
      m.Lists[0].insert(m.Lists[0].begin(), head);
      std::string key = m.Pos;
      for (const auto& l : m.Lists) {
        std::vector<std::string> sorted = l;
        std::sort(sorted.begin(), sorted.end());
        key += '\x01';
        for (const auto& w : sorted) key += w + '\x02';
      }
      auto [it, fresh] = seen.emplace(key, meanings.size());
      auto& mine = sensesOf[head];
      if (std::find(mine.begin(), mine.end(), it->second) == mine.end()) mine.push_back(it->second);
      if (!fresh) continue;
      for (const auto& l : m.Lists)
        for (const auto& w : l) ++uses[w];
      for (const auto& w : m.Lists[0]) {
        auto f = freq.find(Lower(w));
        const double score = f == freq.end() ? 0 : f->second;
        if (score > m.Score) {
          m.Score = score;
          m.Head = w;
        }
      }
      if (m.Head.empty()) m.Head = head;
      meanings.push_back(std::move(m));
    }
  }
  if (meanings.empty()) return Fail("no meanings in " + source);

  // Headwords by their use to a writer: a journal's own vocabulary first,
  // then by how often the word is used, then by how often the thesaurus
  // lists it. Single words come before phrases of equal rank.
  struct TRank {
    std::string Word;
    int Priority;
    double Freq;
    size_t Uses;
  };
  std::set<std::string> journal;
  for (const char* w : kDiaryWords) journal.insert(w);
  for (const char* w : kJournalWords) journal.insert(w);
  std::vector<TRank> ranks;
  for (const auto& [w, list] : sensesOf) {
    auto f = freq.find(Lower(w));
    const double fr = f == freq.end() ? 0 : f->second;
    const bool phrase = w.find(' ') != std::string::npos;
    int priority = journal.count(w) ? 0 : fr > 0 ? 1 : phrase ? 3 : 2;
    ranks.push_back({w, priority, fr, uses[w]});
  }
  std::stable_sort(ranks.begin(), ranks.end(), [](const TRank& a, const TRank& b) {
    if (a.Priority != b.Priority) return a.Priority < b.Priority;
    if (a.Freq != b.Freq) return a.Freq > b.Freq;
    return a.Uses > b.Uses;
  });

  // Take headwords whole, with every one of their meanings, while the
  // meanings fit. A word with very many senses spends the meaning budget on
  // senses a writer seldom looks for, so such words wait for a second pass
  // (the journal's vocabulary never waits). The node budget then cuts the
  // sequence (below).
  std::vector<std::vector<size_t>> taken;  // new meanings of each headword taken
  {
    std::vector<bool> chosenMeaning(meanings.size(), false);
    std::vector<bool> done(ranks.size(), false);
    size_t count = 0;
    for (int pass = 0; pass < 2; ++pass)
      for (size_t r = 0; r < ranks.size(); ++r) {
        if (done[r]) continue;
        std::vector<size_t> fresh;
        for (size_t idx : sensesOf[ranks[r].Word])
          if (!chosenMeaning[idx]) fresh.push_back(idx);
        if (pass == 0 && ranks[r].Priority > 0 && fresh.size() > kFirstPassSenses) continue;
        done[r] = true;
        if (count + fresh.size() > kMaxMeanings) continue;
        if (sensesOf[ranks[r].Word].size() > kMaxEntriesPerWord) continue;
        for (size_t idx : fresh) chosenMeaning[idx] = true;
        count += fresh.size();
        taken.push_back(std::move(fresh));
      }
  }

  // The largest prefix of the taken headwords whose file fits the nodes.
  TLayout layout;
  size_t lo = 0, hi = taken.size();
  while (lo < hi) {
    const size_t mid = (lo + hi + 1) / 2;
    TLayout trial;
    if (Build(meanings, taken, mid, trial) && trial.NodeCount <= kMaxNodes)
      lo = mid;
    else
      hi = mid - 1;
  }
  if (!Build(meanings, taken, lo, layout) || layout.NodeCount > kMaxNodes)
    return Fail("the thesaurus does not fit the file format");
  const auto& entries = layout.Entries;
  const auto& nodes = layout.Nodes;
  const auto& nodeData = layout.NodeData;
  const auto& records = layout.Records;
  const auto& lists = layout.Lists;

  std::string out(kSptBanner, kSptBannerLength);
  out += "Source: MyThes English thesaurus, ranked by WordNet sense counts\r\n";
  if (out.size() > kSptHeaderSize) return Fail("header too long");
  out.resize(kSptHeaderSize, '\0');
  PutShort(out, title);
  for (const char* k : {"meaning", "synonym", "similar", "broader", "related"}) PutShort(out, k);
  Put(out, static_cast<uint32_t>(layout.NodeCount), 4);
  out += nodes;
  Put(out, static_cast<uint32_t>(nodeData.size()), 4);
  out += nodeData;
  Put(out, static_cast<uint32_t>(layout.MeaningCount), 2);
  out += records;
  Put(out, static_cast<uint32_t>(lists.size()), 4);
  out += lists;

  const std::string temp = target + ".tmp";
  {
    std::ofstream f(temp, std::ios::binary | std::ios::trunc);
    f.write(out.data(), static_cast<std::streamsize>(out.size()));
    if (!f) return Fail("cannot write " + temp);
  }
  if (std::rename(temp.c_str(), target.c_str()) != 0) return Fail("cannot write " + target);

  TThesaurusFile check;
  check.LowerCaseRetry = false;
  check.SetFileName(target);
  check.SetActive(true);
  if (!check.Active()) return Fail("the reader refuses the output");
  size_t words = 0, leading = 0;
  for (const auto& [w, refs] : entries) {
    if (!check.Lookup(w) || check.Results().size() != refs.size())
      return Fail("word not found after compiling: " + w);
    ++words;
    // What the dialog shows: some look-ups offer no word but their own.
    TThesaurusBase::NameMeanings(w, check.Results());
    if (!check.Results().empty()) ++leading;
  }
  size_t sourceHeads = 0;
  for (size_t r = 0; r < lo; ++r) sourceHeads += !taken[r].empty();
  std::cout << target << ": " << layout.MeaningCount << " meanings, " << lo << " of the source's headwords ("
            << sourceHeads << " with meanings of their own), " << words << " words to look up, " << leading
            << " of them with another word to offer, " << layout.NodeCount << " nodes, " << out.size()
            << " bytes\n";
  return 0;
}

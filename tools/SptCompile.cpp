// Compiles the thesaurus file (".spt") from a MyThes data file, ranking
// the meanings by the sense-tag counts of a WordNet count list so that the
// most used ones fit the format's limits (16-bit node numbers, 13,107
// meanings). Then reads the file back and checks every word.
//
//   SptCompile <th_*.dat> <cntlist.rev> <output.spt> <display name>
#include "platform/base/CodePages.h"
#include "spell/scThesaurusFile.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

constexpr size_t kMaxNodes = 65536;
constexpr size_t kMaxMeanings = 13107;  // v = meaning * 5 + kind stays 16-bit
constexpr size_t kMaxEntriesPerWord = 255;

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

// A trie that counts what a set of words would add.
struct TTrie {
  struct TNode {
    Byte Char = 0;
    int Parent = -1;
    std::map<Byte, int> Children;
    bool Terminal = false;
  };
  std::vector<TNode> Nodes{TNode{}};
  int Find(const std::string& w) const {
    int n = 0;
    for (unsigned char c : w) {
      auto it = Nodes[n].Children.find(c);
      if (it == Nodes[n].Children.end()) return -1;
      n = it->second;
    }
    return n;
  }
  size_t Missing(const std::string& w) const {
    int n = 0;
    size_t i = 0;
    for (; i < w.size(); ++i) {
      auto it = Nodes[n].Children.find(static_cast<Byte>(w[i]));
      if (it == Nodes[n].Children.end()) break;
      n = it->second;
    }
    return w.size() - i;
  }
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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) return Fail("usage: SptCompile <th_*.dat> <cntlist.rev> <output.spt> <name>");
  const std::string source = argv[1], counts = argv[2], target = argv[3], title = argv[4];

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

  // Meanings: one per distinct sense (part of speech and synonym set).
  std::ifstream in(source, std::ios::binary);
  if (!in) return Fail("cannot read " + source);
  std::string line;
  std::getline(in, line);  // the encoding line
  std::map<std::pair<std::string, std::vector<std::string>>, size_t> seen;
  std::vector<TMeaning> meanings;
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
        int list = 0;
        for (auto [mark, l] : {std::pair{" (similar term)", 1}, {" (generic term)", 2},
                               {" (antonym)", 3}, {" (related term)", 3}}) {
          const std::string sm = mark;
          if (term.size() > sm.size() && term.compare(term.size() - sm.size(), sm.size(), sm) == 0) {
            term.resize(term.size() - sm.size());
            list = l;
          }
        }
        std::string w;
        if (ToCp1252(term, w) && w != head &&
            std::find(m.Lists[list].begin(), m.Lists[list].end(), w) == m.Lists[list].end())
          m.Lists[list].push_back(w);
      }
      m.Lists[0].insert(m.Lists[0].begin(), head);
      std::vector<std::string> key = m.Lists[0];
      std::sort(key.begin(), key.end());
      if (seen.count({m.Pos, key})) continue;
      seen[{m.Pos, key}] = meanings.size();
      for (const auto& w : m.Lists[0]) {
        auto it = freq.find(Lower(w));
        const double f = it == freq.end() ? 0 : it->second;
        if (f > m.Score) {
          m.Score = f;
          m.Head = w;
        }
      }
      if (m.Head.empty()) m.Head = head;
      meanings.push_back(std::move(m));
    }
  }
  if (meanings.empty()) return Fail("no meanings in " + source);

  // The most used meanings first; ties in a fixed order.
  std::vector<size_t> order(meanings.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return meanings[a].Score > meanings[b].Score; });

  TTrie trie;
  std::vector<size_t> chosen;
  std::map<std::string, std::vector<uint16_t>> entries;  // word -> references
  for (size_t idx : order) {
    if (chosen.size() >= kMaxMeanings) break;
    TMeaning& m = meanings[idx];
    if (m.Score <= 0) break;
    // Words that would overflow a node's meaning count are left out.
    std::set<std::string> words;
    for (const auto& l : m.Lists) words.insert(l.begin(), l.end());
    size_t added = 0;
    std::set<std::string> prefixes;  // shared prefixes of new words count once
    for (const auto& w : words) {
      const size_t miss = trie.Missing(w);
      for (size_t k = w.size() - miss + 1; k <= w.size(); ++k)
        if (prefixes.insert(w.substr(0, k)).second) ++added;
    }
    if (trie.Nodes.size() + added > kMaxNodes) continue;
    const uint16_t number = static_cast<uint16_t>(chosen.size());
    chosen.push_back(idx);
    for (const auto& w : words) trie.Insert(w);
    for (int l : {0, 1, 3}) {
      const int kind = l + 1;
      for (const auto& w : m.Lists[l]) {
        auto& e = entries[w];
        if (e.size() < kMaxEntriesPerWord) e.push_back(static_cast<uint16_t>(number * 5 + kind));
      }
    }
  }

  // Node records with parent links, in breadth-first order.
  std::vector<int> byNumber{0};
  std::vector<int> numberOf(trie.Nodes.size(), -1);
  numberOf[0] = 0;
  for (size_t i = 0; i < byNumber.size(); ++i)
    for (auto [c, child] : trie.Nodes[byNumber[i]].Children) {
      numberOf[child] = static_cast<int>(byNumber.size());
      byNumber.push_back(child);
    }
  if (byNumber.size() > kMaxNodes) return Fail("too many nodes");

  auto wordOf = [&](int node) {
    std::string w;
    for (int n = node; n > 0; n = trie.Nodes[n].Parent) w.insert(w.begin(), static_cast<char>(trie.Nodes[n].Char));
    return w;
  };
  std::string nodes, nodeData;
  for (int node : byNumber) {
    const auto& n = trie.Nodes[node];
    const uint32_t offset = static_cast<uint32_t>(nodeData.size());
    if (offset > 0xFFFFF) return Fail("node data too large");
    const bool single = n.Children.size() == 1;
    if (n.Children.size() > 255) return Fail("a node has more than 255 children");
    if (single) {
      Put(nodeData, numberOf[n.Children.begin()->second], 2);
    } else {
      nodeData += static_cast<char>(n.Children.size());
      for (auto [c, child] : n.Children) Put(nodeData, numberOf[child], 2);
    }
    const bool hasParent = node != 0;
    if (hasParent) Put(nodeData, numberOf[n.Parent], 2);
    if (n.Terminal) {
      const auto it = entries.find(wordOf(node));
      const size_t count = it == entries.end() ? 0 : it->second.size();
      nodeData += static_cast<char>(count);
      if (count) for (uint16_t v : it->second) Put(nodeData, v, 2);
    }
    Put(nodes, offset | (single ? 1u << 20 : 0) | (hasParent ? 1u << 21 : 0) |
                   (n.Terminal ? 1u << 23 : 0) | (static_cast<uint32_t>(n.Char) << 24),
        4);
  }

  std::string records, lists;
  for (size_t idx : chosen) {
    const TMeaning& m = meanings[idx];
    Put(records, numberOf[trie.Find(m.Head)], 2);
    for (const auto& l : m.Lists) Put(records, static_cast<uint32_t>(l.size()), 2);
    Put(records, static_cast<uint32_t>(lists.size()), 4);
    for (const auto& l : m.Lists)
      for (const auto& w : l) Put(lists, numberOf[trie.Find(w)], 2);
  }

  std::string out(kSptBanner, kSptBannerLength);
  out += "Source: MyThes English thesaurus, ranked by WordNet sense counts\r\n";
  if (out.size() > kSptHeaderSize) return Fail("header too long");
  out.resize(kSptHeaderSize, '\0');
  PutShort(out, title);
  for (const char* k : {"meaning", "synonym", "similar", "broader", "related"}) PutShort(out, k);
  Put(out, static_cast<uint32_t>(byNumber.size()), 4);
  out += nodes;
  Put(out, static_cast<uint32_t>(nodeData.size()), 4);
  out += nodeData;
  Put(out, static_cast<uint32_t>(chosen.size()), 2);
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
  size_t words = 0;
  for (const auto& [w, refs] : entries) {
    if (!check.Lookup(w) || check.Results().size() != refs.size())
      return Fail("word not found after compiling: " + w);
    ++words;
  }
  std::cout << target << ": " << chosen.size() << " meanings, " << words << " words, "
            << byNumber.size() << " nodes, " << out.size() << " bytes\n";
  return 0;
}

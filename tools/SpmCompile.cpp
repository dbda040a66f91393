// Compiles a word list (UTF-8, one word a line) into a main dictionary
// file (".spm"), then reads the file back and checks that every word is
// found. The output depends only on the input, so a rebuild is identical.
//
//   SpmCompile <word list> <output.spm> <display name> <language id>
#include "platform/base/CodePages.h"
#include "spell/scMainDictionary.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct TNode {
  Byte Char = 0;
  bool EndOfWord = false;
  std::vector<int> Children;  // in byte order
};

struct TRecordOut {
  int Node = 0;                // the record's own node
  std::vector<Byte> Inline;    // folded chain
  int Last = 0;                // node whose children are the record's
  uint32_t Number = 0;
};

void Put32(std::string& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

int Fail(const std::string& why) {
  std::cerr << "SpmCompile: " << why << "\n";
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) return Fail("usage: SpmCompile <word list> <output.spm> <name> <language id>");
  const std::string source = argv[1], target = argv[2], displayName = argv[3];
  const uint32_t language = static_cast<uint32_t>(std::stoul(argv[4], nullptr, 0));

  std::ifstream in(source, std::ios::binary);
  if (!in) return Fail("cannot read " + source);
  std::set<std::string> words;  // exact, byte order
  size_t refused = 0;
  for (std::string line; std::getline(in, line);) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (line.empty()) continue;
    bool lossless = true;
    std::string w = WideToAnsi(Utf8ToWide(line), 1252, lossless);
    bool ok = lossless && w.size() < 255;
    for (unsigned char c : w) ok = ok && c > ' ';
    if (!ok) {
      ++refused;
      continue;
    }
    words.insert(w);
  }
  if (words.empty()) return Fail("no words in " + source);

  // The character trie.
  std::vector<TNode> nodes(1);
  for (const auto& w : words) {
    int n = 0;
    for (unsigned char c : w) {
      int found = -1;
      for (int ch : nodes[n].Children)
        if (nodes[ch].Char == c) found = ch;
      if (found < 0) {
        found = static_cast<int>(nodes.size());
        nodes.push_back({c, false, {}});
        nodes[n].Children.push_back(found);  // sorted input keeps byte order
      }
      n = found;
    }
    nodes[n].EndOfWord = true;
  }

  // Children with the most words below them come first: look-ups try the
  // children in stored order. Ties keep byte order.
  std::vector<uint32_t> below(nodes.size(), 0);
  for (size_t n = nodes.size(); n-- > 0;) {
    below[n] += nodes[n].EndOfWord ? 1 : 0;
    for (int c : nodes[n].Children) below[n] += below[c];
  }
  for (auto& n : nodes)
    std::stable_sort(n.Children.begin(), n.Children.end(),
                     [&](int a, int b) { return below[a] > below[b]; });

  // Records in breadth-first order, so that the children of a record, which
  // look-ups try one after another, lie side by side. Chains are folded into
  // inline characters; first letters get none (look-ups take them from the
  // first-letter table), nor do second letters, where the phonetic search's
  // prefix of two characters ends.
  std::vector<TRecordOut> records;
  std::vector<int> recordOfNode(nodes.size(), -1);
  std::vector<std::pair<int, int>> queue{{0, 0}};  // node, depth
  for (size_t q = 0; q < queue.size(); ++q) {
    auto [node, depth] = queue[q];
    TRecordOut r;
    r.Node = node;
    r.Last = node;
    if (depth >= 3) {
      while (r.Inline.size() < 8 && nodes[r.Last].Children.size() == 1) {
        const TNode& c = nodes[nodes[r.Last].Children[0]];
        if (c.EndOfWord || c.Children.size() != 1) break;
        r.Inline.push_back(c.Char);
        r.Last = nodes[r.Last].Children[0];
      }
    }
    recordOfNode[node] = static_cast<int>(records.size());
    for (int child : nodes[r.Last].Children) queue.push_back({child, depth + 1});
    records.push_back(std::move(r));
  }

  // Global numbers: grouped by inline count, the root first.
  std::array<uint32_t, 9> counts{};
  for (const auto& r : records) ++counts[r.Inline.size()];
  std::array<uint32_t, 9> next{};
  for (int k = 1; k < 9; ++k) next[k] = next[k - 1] + counts[k - 1];
  for (auto& r : records) r.Number = next[r.Inline.size()]++;
  const uint32_t total = static_cast<uint32_t>(records.size());
  if (total >= kSpmNoChildren) return Fail("too many records");
  const uint32_t width = total;

  auto numberOf = [&](int node) { return records[recordOfNode[node]].Number; };
  std::string pool;
  auto putChild = [&](uint32_t n) {
    if (width < 65535) {
      pool += static_cast<char>(n & 0xFF);
      pool += static_cast<char>(n >> 8);
    } else if (n < 0x8000) {
      pool += static_cast<char>(0x80 | (n >> 8));
      pool += static_cast<char>(n & 0xFF);
    } else {
      pool += static_cast<char>(n >> 16);
      pool += static_cast<char>((n >> 8) & 0xFF);
      pool += static_cast<char>(n & 0xFF);
    }
  };
  if (width >= 65535 && total > 0x7FFFFF) return Fail("record numbers too large");

  // Record words, in file order (by number).
  std::vector<const TRecordOut*> byNumber(total);
  for (const auto& r : records) byNumber[r.Number] = &r;
  std::vector<uint32_t> listOffset(total, 0);  // where a record's list begins
  std::string recordBytes;
  for (const TRecordOut* r : byNumber) {
    const auto& kids = nodes[r->Last].Children;
    uint32_t ref = kSpmNoChildren, count = 0;
    if (kids.size() == 1) {
      ref = numberOf(kids[0]);
      count = 1;
    } else if (kids.size() >= 2) {
      ref = static_cast<uint32_t>(pool.size());
      if (kids.size() >= 8) {
        pool += static_cast<char>(kids.size());
        listOffset[r->Number] = ref + 1;
      } else {
        count = static_cast<uint32_t>(kids.size());
        listOffset[r->Number] = ref;
      }
      for (int k : kids) putChild(numberOf(k));
    }
    if (pool.size() >= kSpmNoChildren) return Fail("child-list pool too large");
    const TNode& n = nodes[r->Node];
    Put32(recordBytes, n.Char | (ref << 8) | (count << 28) | (n.EndOfWord ? 0x80000000u : 0));
    recordBytes.append(r->Inline.begin(), r->Inline.end());
  }

  std::string letters(2048, '\0');
  for (int child : nodes[0].Children) {
    const TNode& n = nodes[child];
    const TRecordOut& r = records[recordOfNode[child]];
    const auto& kids = nodes[r.Last].Children;
    char* e = letters.data() + 8 * n.Char;
    e[0] = n.EndOfWord ? 1 : 0;
    e[1] = static_cast<char>(kids.size());
    uint32_t ref = kids.size() == 1 ? numberOf(kids[0]) : listOffset[r.Number];
    for (int i = 0; i < 4; ++i) e[4 + i] = static_cast<char>((ref >> (8 * i)) & 0xFF);
  }

  std::string out(kSpmBanner, kSpmBannerLength);
  std::ostringstream about;
  about << "Source: " << source << "\r\nWords: " << words.size() << "\r\nRefused: " << refused
        << "\r\nCode page: 1252\r\n";
  out += about.str();
  if (out.size() > kSpmHeaderSize) return Fail("header too long");
  out.resize(kSpmHeaderSize, '\0');
  const WideString wname = Utf8ToWide(displayName);
  if (wname.size() > 255) return Fail("name too long");
  out += static_cast<char>(wname.size());
  for (char16_t u : wname) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  }
  out += std::string(2, '\0');
  Put32(out, language);
  Put32(out, 1252);  // the words' code page, for our own tools
  Put32(out, width);
  for (uint32_t c : counts) Put32(out, c);
  out += recordBytes;
  Put32(out, static_cast<uint32_t>(pool.size()));
  out += pool;
  out += letters;
  out += std::string(1024, '\0');

  const std::string temp = target + ".tmp";
  {
    std::ofstream f(temp, std::ios::binary | std::ios::trunc);
    f.write(out.data(), static_cast<std::streamsize>(out.size()));
    if (!f) return Fail("cannot write " + temp);
  }
  if (std::rename(temp.c_str(), target.c_str()) != 0) return Fail("cannot write " + target);

  // Read back through the reader the program uses.
  TMainDictionary check;
  check.Open(target);
  if (check.FileName() != target) return Fail("the reader refuses the output");
  for (const auto& w : words)
    if (!check.WordExists(w)) return Fail("word not found after compiling: " + w);
  std::cout << target << ": " << words.size() << " words, " << total << " records, "
            << pool.size() << " pool bytes, " << out.size() << " bytes\n";
  return 0;
}

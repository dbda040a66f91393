#include "spell/scThesaurusFile.h"

#include "platform/base/SysUtils.h"
#include "spell/scUtil.h"

#include <cstring>
#include <fstream>

const char kSptBanner[] = "Quillory Thesaurus version 1.0\r\n";
static_assert(sizeof(kSptBanner) - 1 == kSptBannerLength);

namespace {
constexpr size_t kMaxWord = 255;

uint32_t Get(const std::string& s, size_t at, int bytes) {
  uint32_t v = 0;
  for (int i = 0; i < bytes; ++i) v |= static_cast<uint32_t>(static_cast<Byte>(s[at + i])) << (8 * i);
  return v;
}

// Reads a length-prefixed string or a counted block from a whole file.
class TReader {
public:
  explicit TReader(const std::string& data) : FData(data) {}
  bool Skip(size_t n) { return Take(n) != nullptr; }
  bool ShortString(AnsiString& s) {
    const char* p = Take(1);
    if (!p) return false;
    const size_t n = static_cast<Byte>(*p);
    const char* t = Take(n);
    if (!t) return false;
    s.assign(t, n);
    return true;
  }
  bool U32(uint32_t& v) { return Number(v, 4); }
  bool U16(uint32_t& v) { return Number(v, 2); }
  bool Block(std::string& out, uint64_t n) {
    const char* p = Take(n);
    if (!p) return false;
    out.assign(p, static_cast<size_t>(n));
    return true;
  }

private:
  bool Number(uint32_t& v, int bytes) {
    const char* p = Take(static_cast<uint64_t>(bytes));
    if (!p) return false;
    v = 0;
    for (int i = 0; i < bytes; ++i) v |= static_cast<uint32_t>(static_cast<Byte>(p[i])) << (8 * i);
    return true;
  }
  const char* Take(uint64_t n) {
    if (n > FData.size() - FPos) return nullptr;
    const char* p = FData.data() + FPos;
    FPos += static_cast<size_t>(n);
    return p;
  }
  const std::string& FData;
  size_t FPos = 0;
};
}  // namespace

void TThesaurusFile::Open() {
  // A FIFO in the file's place would block the reading.
  if (!FileExists(FFileName) || !IsRegularFile(FFileName)) return;
  // Bounded as the dictionaries are: one larger is not read whole.
  if (TooLargeToRead(FFileName)) return;
  std::ifstream f(FFileName, std::ios::binary);
  std::string data((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  if (!f && !f.eof()) return;
  if (data.size() < kSptHeaderSize || std::memcmp(data.data(), kSptBanner, kSptBannerLength) != 0)
    return;
  TReader r(data);
  AnsiString name;
  std::vector<AnsiString> kinds(5);
  uint32_t n = 0, d = 0, rc = 0, l = 0;
  std::string nodes, nodeData, meanings, lists;
  if (!r.Skip(kSptHeaderSize) || !r.ShortString(name)) return;
  for (auto& k : kinds)
    if (!r.ShortString(k)) return;
  if (!r.U32(n) || n == 0 || !r.Block(nodes, 4ull * n) || !r.U32(d) || !r.Block(nodeData, d) ||
      !r.U16(rc) || !r.Block(meanings, 14ull * rc) || !r.U32(l) || !r.Block(lists, l))
    return;
  FName = name;
  FKindNames = kinds;
  FNodes = std::move(nodes);
  FNodeData = std::move(nodeData);
  FMeanings = std::move(meanings);
  FLists = std::move(lists);
  FActive = true;
}

void TThesaurusFile::Close() {
  if (!FActive) return;
  FNodes.clear();
  FNodeData.clear();
  FMeanings.clear();
  FLists.clear();
  FActive = false;
}

void TThesaurusFile::SetActive(bool Value) {
  if (Value == FActive) return;
  if (Value)
    Open();
  else
    Close();
}

void TThesaurusFile::SetFileName(const String& Value) {
  if (Value == FFileName || !FileExists(Value)) return;
  const bool wasActive = FActive;
  Close();
  FFileName = Value;
  if (wasActive) Open();
}

bool TThesaurusFile::ReadNode(uint32_t Number, TNode& N, bool WithLists) const {
  if (Number >= NodeCount()) return false;
  const uint32_t v = Get(FNodes, 4ull * Number, 4);
  N.DataOffset = v & 0xFFFFF;
  N.SingleChild = (v >> 20) & 1;
  N.HasParent = (v >> 21) & 1;
  N.Tail = (v >> 22) & 1;
  N.Terminal = (v >> 23) & 1;
  N.Char = static_cast<Byte>(v >> 24);
  N.Children.clear();
  N.Entries.clear();
  N.Parent = 0;
  size_t at = N.DataOffset;
  const size_t size = FNodeData.size();
  auto need = [&](size_t n) { return at <= size && n <= size - at; };
  if (N.SingleChild) {
    if (!need(2)) return false;
    N.Children.push_back(static_cast<uint16_t>(Get(FNodeData, at, 2)));
    at += 2;
  } else {
    if (!need(1)) return false;
    const size_t c = static_cast<Byte>(FNodeData[at++]);
    if (!need(2 * c)) return false;
    for (size_t i = 0; i < c; ++i) N.Children.push_back(static_cast<uint16_t>(Get(FNodeData, at + 2 * i, 2)));
    at += 2 * c;
  }
  if (N.HasParent) {
    if (!need(2)) return false;
    N.Parent = static_cast<uint16_t>(Get(FNodeData, at, 2));
    at += 2;
  }
  if (WithLists && (N.Terminal || N.Tail)) {
    if (!need(1)) return false;
    const size_t e = static_cast<Byte>(FNodeData[at++]);
    if (!need(2 * e)) return false;
    for (size_t i = 0; i < e; ++i) N.Entries.push_back(static_cast<uint16_t>(Get(FNodeData, at + 2 * i, 2)));
  }
  return true;
}

uint32_t TThesaurusFile::HeadwordCount() const {
  uint32_t count = 0;
  TNode n;
  for (uint32_t i = 1; i < NodeCount(); ++i)
    if (ReadNode(i, n, true) && (n.Terminal || n.Tail) && !n.Entries.empty()) ++count;
  return count;
}

bool TThesaurusFile::TailOf(const TNode& N, AnsiString& Tail) const {
  Tail.clear();
  if (N.Children.empty()) return true;
  TNode c;
  if (!ReadNode(N.Children[0], c, false)) return false;
  for (;;) {
    Tail += static_cast<char>(c.Char);
    if (Tail.size() > kMaxWord) return false;  // a cycle in a damaged file
    if (!c.SingleChild || c.Children.empty()) return true;
    if (!ReadNode(c.Children[0], c, false)) return false;
  }
}

bool TThesaurusFile::FindWord(const AnsiString& Word, uint32_t& Node) const {
  if (Word.empty() || Word.size() > kMaxWord) return false;
  TNode cur;
  if (!ReadNode(0, cur, false)) return false;
  uint32_t curNumber = 0;
  size_t i = 0;
  while (i < Word.size()) {
    if (cur.Children.empty()) return false;
    bool found = false;
    TNode child;
    for (uint16_t c : cur.Children) {
      if (!ReadNode(c, child, false)) return false;
      if (child.Char == static_cast<Byte>(Word[i])) {
        curNumber = c;
        found = true;
        break;
      }
    }
    if (!found) return false;
    ++i;
    cur = child;
    if (cur.Terminal && i == Word.size()) break;
    if (cur.Tail) {
      AnsiString tail;
      if (!TailOf(cur, tail) || Word.compare(i, AnsiString::npos, tail) != 0) return false;
      i = Word.size();
      break;
    }
  }
  if (!cur.Terminal && !cur.Tail) return false;
  Node = curNumber;
  return true;
}

bool TThesaurusFile::GetWord(AnsiString& Word, uint32_t Node) const {
  Word.clear();
  TNode n;
  if (Node == 0 || !ReadNode(Node, n, false)) return false;
  Word = static_cast<char>(n.Char);
  if (n.Tail) {
    AnsiString tail;
    if (!TailOf(n, tail)) return false;
    Word += tail;
  }
  while (n.HasParent && n.Parent != 0) {
    if (!ReadNode(n.Parent, n, false)) return false;
    Word.insert(Word.begin(), static_cast<char>(n.Char));
    if (Word.size() > 2 * kMaxWord) return false;  // a parent cycle
  }
  return true;
}

bool TThesaurusFile::FillEntry(uint32_t Meaning, int Kind, TThesaurusEntry& Result) const {
  if (Meaning >= MeaningCount()) return false;
  const size_t at = 14ull * Meaning;
  if (!GetWord(Result.Word, Get(FMeanings, at, 2))) return false;
  Result.Kind = Kind;
  Result.KindName = Kind < static_cast<int>(FKindNames.size()) ? FKindNames[Kind] : AnsiString();
  uint64_t offset = Get(FMeanings, at + 10, 4);
  for (int l = 0; l < 4; ++l) {
    const uint32_t count = Get(FMeanings, at + 2 + 2 * l, 2);
    if (offset > FLists.size() || 2ull * count > FLists.size() - offset) return false;
    for (uint32_t i = 0; i < count; ++i) {
      AnsiString w;
      if (!GetWord(w, Get(FLists, static_cast<size_t>(offset + 2 * i), 2))) return false;
      Result.Lists[l].push_back(w);
    }
    offset += 2ull * count;
  }
  return true;
}

void TThesaurusFile::MatchCase(const AnsiString& Pattern, TThesaurusEntry& Entry) const {
  if (Pattern.empty()) return;
  const bool upper = IsAllUpper(Pattern);
  const bool initial = SpellUpper(Pattern.substr(0, 1)) == Pattern.substr(0, 1);
  auto apply = [&](AnsiString& w) {
    if (w.empty()) return;
    if (upper)
      w = SpellUpper(w);
    else if (initial)
      w[0] = SpellUpper(w.substr(0, 1))[0];
  };
  apply(Entry.Word);
  for (auto& l : Entry.Lists)
    for (auto& w : l) apply(w);
}

bool TThesaurusFile::Lookup(const AnsiString& Word) {
  SetActive(true);
  if (!FActive) return false;
  FResults.clear();
  FLastWord = Word;
  uint32_t node = 0;
  bool caseChanged = false;
  if (!FindWord(Word, node)) {
    if (!LowerCaseRetry || !FindWord(SpellLower(Word), node)) return false;
    caseChanged = true;
  }
  TNode n;
  if (!ReadNode(node, n, true)) return true;
  for (uint16_t v : n.Entries) {
    auto e = std::make_unique<TThesaurusEntry>();
    if (!FillEntry(v / 5u, static_cast<int>(v % 5u), *e)) continue;
    if (caseChanged) MatchCase(FLastWord, *e);
    FResults.push_back(std::move(e));
  }
  return true;
}

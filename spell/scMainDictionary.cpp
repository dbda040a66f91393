#include "spell/scMainDictionary.h"

#include "platform/base/CodePages.h"
#include "spell/scPhoneticsMap.h"
#include "spell/scUtil.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <functional>
#include <set>
#include <string_view>
#include <vector>
#include <type_traits>
#include <typeinfo>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

const char kSpmBanner[] =
    "Quillory Word List Compiler version 1.0\r\n"
    "Compiled by the Quillory project\r\n"
    "https://quillory.invalid/\r\n"
    "words@qyl.invalid\r\n"
    "\r\n";
static_assert(sizeof(kSpmBanner) - 1 == kSpmBannerLength);

namespace {
constexpr uint32_t kMaxResults = 501;
constexpr int kMaxWordLength = 255;  // enumeration depth and buffer bound
constexpr int kMaxNearDistance = 8;

constexpr uint32_t kNoNode = 0xFFFFFFFF;

bool IsAscii(const AnsiString& S) {
  for (char c : S)
    if (static_cast<Byte>(c) >= 0x80) return false;
  return true;
}

// Results->IndexOf(Word) >= 0, for the plain case-blind list the
// suggestions use: two words of plain letters compared byte by byte (their
// folded comparison says the same), the rest as the list compares them.
bool Listed(const TStrings& Results, const AnsiString& Word) {
  const auto* list = dynamic_cast<const TStringList*>(&Results);
  if (!list || typeid(*list) != typeid(TStringList) || list->GetSorted() || list->GetCaseSensitive() ||
      !IsAscii(Word))
    return Results.IndexOf(Word) >= 0;
  for (int i = 0; i < list->Count(); ++i) {
    const AnsiString s = list->Get(i);
    if (s.size() == Word.size() && IsAscii(s)) {
      bool same = true;
      for (size_t k = 0; k < s.size() && same; ++k) {
        const char a = s[k], b = Word[k];
        same = a == b || ((a | 0x20) == (b | 0x20) && (a | 0x20) >= 'a' && (a | 0x20) <= 'z');
      }
      if (same) return true;
    } else if (!IsAscii(s) && AnsiSameText(s, Word)) {
      return true;
    }
  }
  return false;
}
constexpr size_t kMaxKeyEntries = 250000;  // both rule sets of a whole dictionary fit

// The node table's fields.
Byte NodeChar(uint64_t n) { return static_cast<Byte>(n); }
bool NodeEnd(uint64_t n) { return (n >> 8) & 1; }
int NodeInline(uint64_t n) { return static_cast<int>((n >> 9) & 0xF); }
uint32_t NodeKids(uint64_t n) { return static_cast<uint32_t>((n >> 13) & 0xFF); }
uint32_t NodeInlineAt(uint64_t n) { return static_cast<uint32_t>((n >> 21) & 0x7FFFFF); }
uint32_t NodeFirst(uint64_t n) { return static_cast<uint32_t>(n >> 44); }
// The near-word walk's fields of a node.
uint32_t ReachLetters(uint64_t r) { return static_cast<uint32_t>(r); }
int ReachShortest(uint64_t r) { return static_cast<int>((r >> 32) & 0xFF); }
int ReachLongest(uint64_t r) { return static_cast<int>((r >> 40) & 0xFF); }
Byte ReachLow(uint64_t r) { return static_cast<Byte>(r >> 48); }

// A letter's bit in the node table's letter sets: a to z and the
// apostrophe each their own, the other letters sharing five (a shared bit
// only makes the walk leave fewer branches).
uint32_t LetterBit(Byte lower) {
  if (lower >= 'a' && lower <= 'z') return 1u << (lower - 'a');
  if (lower == '\'') return 1u << 26;
  return 1u << (27 + lower % 5);
}

uint32_t U32(const Byte* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
}  // namespace

TMainDictionary::~TMainDictionary() { SetActive(false); }

void TMainDictionary::Open(const String& FileName) {
  TMemoryMap header;
  if (!header.Open(FileName)) return;
  FUsage = 0;
  const bool wasActive = FActive;
  SetActive(false);
  const Byte* banner = header.Span(0, kSpmHeaderSize + 1);
  if (!banner || std::memcmp(banner, kSpmBanner, kSpmBannerLength) != 0) return;
  Byte n = banner[kSpmHeaderSize];
  uint64_t pos = kSpmHeaderSize + 1;
  const Byte* name = header.Span(pos, 2ull * (n + 1));
  if (!name) return;
  WideString wide;
  for (int i = 0; i <= n; ++i) {
    char16_t u = static_cast<char16_t>(name[2 * i] | (name[2 * i + 1] << 8));
    if (u == 0) break;
    wide += u;
  }
  pos += 2ull * (n + 1);
  const Byte* ints = header.Span(pos, 12 + 36);
  if (!ints) return;
  std::array<uint32_t, 9> counts{};
  for (int k = 0; k < 9; ++k) counts[k] = U32(ints + 12 + 4 * k);
  // Section offsets in 64 bits; a file too short for its sections is
  // refused here rather than at the first look-up.
  std::array<uint64_t, 10> start{}, first{};
  start[0] = pos + 48;
  for (int k = 1; k <= 9; ++k) {
    start[k] = start[k - 1] + static_cast<uint64_t>(counts[k - 1]) * (k + 3);
    first[k] = first[k - 1] + counts[k - 1];
  }
  if (start[9] + 4 > header.Size() || first[9] == 0 || first[9] >= kSpmNoChildren) return;
  FName = WideToAnsi(wide, CP_ACP);
  FLanguage = static_cast<int>(U32(ints));
  FSecondInteger = U32(ints + 4);
  FWidth = U32(ints + 8);
  FCounts = counts;
  FStart = start;
  FFirst = first;
  FRecordsEnd = start[9];
  FFileName = FileName;
  header.Close();
  SetActive(wasActive);
}

void TMainDictionary::SetActive(bool Value) {
  if (Value == FActive) return;
  if (!Value) {
    FMap.Close();
    FActive = false;
    FSecond.clear();
    FSecond.shrink_to_fit();
    FNodes = {};
    FChars = {};
    FInline = {};
    FSecondNode = {};
    FReach = {};
    FWords.reset();
    FKeyBlocks.clear();
    FKeyEntries = 0;
    FScratchBlock.reset();
    return;
  }
  if (FFileName.empty()) return;
  if (!FMap.Open(FFileName) || FMap.Size() <= kSpmHeaderSize) {
    FMap.Close();
    return;
  }
  uint32_t pool = 0;
  if (FRecordsEnd + 4 > FMap.Size() || !FMap.ReadU32(FRecordsEnd, pool) ||
      FRecordsEnd + 4 + static_cast<uint64_t>(pool) + 3072 > FMap.Size()) {
    FMap.Close();
    return;
  }
  FPoolStart = FRecordsEnd + 4;
  FPoolSize = pool;
  std::memcpy(FFirstLetters.data(), FMap.Data() + FPoolStart + pool, FFirstLetters.size());
  for (int k = 0; k < 10; ++k) FSectionPtr[k] = FMap.Data() + FStart[k];
  FActive = true;
  BuildSecondLetters();
  if (FNodeTableAllowed) BuildNodes();
}

void TMainDictionary::SetNodeTableAllowed(bool Value) {
  if (Value == FNodeTableAllowed) return;
  FNodeTableAllowed = Value;
  if (FActive) {
    SetActive(false);
    SetActive(true);
  }
}

void TMainDictionary::BuildNodes() {
  // Depth first from the root, each node's children given consecutive
  // numbers when the node is reached, so that a word's nodes lie close
  // together. A record reached twice, a bad reference or a second-letter
  // record outside the tree leaves the table empty: such a file keeps the
  // checked walk.
  const uint32_t total = static_cast<uint32_t>(FFirst[9]);
  std::vector<uint32_t> index(total, kNoNode);  // record to node
  std::vector<uint32_t> recordOf;                // node to record
  recordOf.reserve(total);
  std::vector<uint64_t> nodes(total, 0);
  std::vector<Byte> inlineChars;
  std::vector<uint32_t> pending{0};  // nodes to fill, the next on top
  index[0] = 0;
  recordOf.push_back(0);
  auto fail = [&] {
    FNodes = {};
    FChars = {};
    FInline = {};
    FSecondNode = {};
    FReach = {};
    FWords.reset();
  };
  while (!pending.empty()) {
    const uint32_t node = pending.back();
    pending.pop_back();
    TRecord r;
    if (!ReadRecord(recordOf[node], r)) return fail();
    const TChildren c = ChildrenOf(r);
    if (!c.Valid || c.Count > 0xFF) return fail();
    const uint64_t first = recordOf.size();
    uint64_t cursor = 0;
    uint32_t m = 0;
    for (uint32_t i = 0; i < c.Count; ++i) {
      if (!NextChild(c, cursor, m) || m >= total || index[m] != kNoNode) return fail();
      index[m] = static_cast<uint32_t>(recordOf.size());
      recordOf.push_back(m);
    }
    const uint64_t at = inlineChars.size();
    if (at + static_cast<uint64_t>(r.InlineCount) >= (1ull << 23)) return fail();
    inlineChars.insert(inlineChars.end(), r.Inline, r.Inline + r.InlineCount);
    nodes[node] = static_cast<uint64_t>(r.Char) | (static_cast<uint64_t>(r.EndOfWord) << 8) |
                  (static_cast<uint64_t>(r.InlineCount) << 9) |
                  (static_cast<uint64_t>(c.Count) << 13) | (at << 21) |
                  ((c.Count ? first : 0) << 44);
    for (uint32_t i = c.Count; i-- > 0;) pending.push_back(static_cast<uint32_t>(first + i));
  }
  nodes.resize(recordOf.size());
  std::vector<uint32_t> second(FSecond.size(), kNoNode);
  for (size_t i = 0; i < FSecond.size(); ++i) {
    if (FSecond[i] == 0xFFFFFFFF) continue;
    if (FSecond[i] >= total || index[FSecond[i]] == kNoNode) return fail();
    second[i] = index[FSecond[i]];
  }
  std::vector<Byte> chars(nodes.size() + 16, 0);  // padded for reads of sixteen
  for (size_t i = 0; i < nodes.size(); ++i) chars[i] = NodeChar(nodes[i]);
  FNodes = std::move(nodes);
  FChars = std::move(chars);
  FInline = std::move(inlineChars);
  FSecondNode = std::move(second);
  // Children are numbered after their parent: one pass from the end.
  FReach.assign(FNodes.size(), 0);
  const Byte* low = SpellLowerTable();
  for (size_t i = FNodes.size(); i-- > 0;) {
    const uint64_t v = FNodes[i];
    int shortest = NodeEnd(v) ? 1 : 0xFF, longest = NodeEnd(v) ? 1 : 0;
    const int step = 1 + NodeInline(v);
    uint64_t letters = LetterBit(low[NodeChar(v)]);
    for (int k = 0; k < NodeInline(v); ++k) letters |= LetterBit(low[FInline[NodeInlineAt(v) + k]]);
    for (uint32_t k = NodeFirst(v), end = NodeFirst(v) + NodeKids(v); k < end && k < FNodes.size(); ++k) {
      shortest = std::min(shortest, step + ReachShortest(FReach[k]));
      longest = std::max(longest, step + ReachLongest(FReach[k]));
      letters |= ReachLetters(FReach[k]);
    }
    FReach[i] = letters | (static_cast<uint64_t>(std::min(shortest, 0xFF)) << 32) |
                (static_cast<uint64_t>(std::min(longest, 0xFF)) << 40) |
                (static_cast<uint64_t>(low[NodeChar(v)]) << 48);
  }
}

bool TMainDictionary::LookupNodes(const char* Word, uint32_t Node, int& Depth) const {
  // The walk of Lookup below, over the node table. Depth is the number of
  // characters matched, which is where w stands whenever the walk ends.
  const uint64_t* nodes = FNodes.data();
  const Byte* inlineChars = FInline.data();
  const Byte* const start = reinterpret_cast<const Byte*>(Word);
  const Byte* w = start + 1;
  bool found = false;
  for (;;) {
    const uint64_t v = nodes[Node];
    ++w;
    if (*w == 0) {
      found = NodeEnd(v);
      break;
    }
    if (const int k = NodeInline(v)) {
      const Byte* in = inlineChars + NodeInlineAt(v);
      int j = 0;
      while (j < k && *w != 0 && *w == in[j]) ++j, ++w;
      if (j < k || *w == 0) break;
    }
    const uint32_t kid = FindKid(NodeFirst(v), NodeKids(v), *w);
    if (kid == kNoNode) break;
    Node = kid;
  }
  Depth = static_cast<int>(w - start);
  return found;
}

size_t TMainDictionary::TableBytes() const {
  size_t n = FNodes.capacity() * sizeof(uint64_t) + FChars.capacity() + FInline.capacity() +
             FReach.capacity() * sizeof(uint64_t) +
             (FSecond.capacity() + FSecondNode.capacity()) * sizeof(uint32_t);
  if (FWords)
    n += sizeof(TWordIndex) + FWords->Text.capacity() + FWords->Backward.capacity() +
         FWords->Endings.capacity() * sizeof(uint64_t) +
         (FWords->Start.capacity() + FWords->ByEnding.capacity() + FWords->OfNode.capacity() +
          FWords->SoundGroups.capacity() + FWords->BySound.capacity() + FWords->SoundNext.capacity() +
          FWords->SoundChecks.capacity()) *
             sizeof(uint32_t);
  if (FWords)
    for (const auto& heads : FWords->SoundHeads) n += heads.capacity() * sizeof(uint32_t);
  for (const auto& [node, blocks] : FKeyBlocks)
    for (const auto& b : blocks)
      n += sizeof(TKeyBlock) + b->Text.capacity() + b->Entries.capacity() * sizeof(TKeyEntry) +
           b->ByKey.capacity() * sizeof(uint32_t);
  return n;
}

uint32_t TMainDictionary::FindKid(uint32_t First, uint32_t Count, Byte Ch) const {
  // The first of Count siblings whose character is Ch, sixteen at a time
  // where the processor allows: a compare loop that stops at an
  // unpredictable place costs more than the few bytes read past the end.
  const Byte* chars = FChars.data() + First;
#if defined(__SSE2__)
  const __m128i want = _mm_set1_epi8(static_cast<char>(Ch));
  for (uint32_t at = 0; at < Count; at += 16) {
    const __m128i got = _mm_loadu_si128(reinterpret_cast<const __m128i*>(chars + at));
    uint32_t mask = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(got, want)));
    if (Count - at < 16) mask &= (1u << (Count - at)) - 1;
    if (mask) return First + at + static_cast<uint32_t>(__builtin_ctz(mask));
  }
#else
  for (uint32_t i = 0; i < Count; ++i)
    if (chars[i] == Ch) return First + i;
#endif
  return kNoNode;
}

bool TMainDictionary::ReadRecord(uint32_t Number, TRecord& R) const {
  if (Number >= FFirst[9]) return false;
  int k = 0;
  const Byte* p = RecordAt(Number, k);
  const uint32_t v = U32(p);
  R.Char = static_cast<Byte>(v & 0xFF);
  R.ChildRef = (v >> 8) & 0xFFFFF;
  R.ChildCount = (v >> 28) & 7;
  R.EndOfWord = (v >> 31) != 0;
  R.Inline = p + 4;
  R.InlineCount = k;
  return true;
}

TMainDictionary::TChildren TMainDictionary::ChildrenOf(const TRecord& R) const {
  TChildren c;
  if (R.ChildCount == 1) {
    c.Count = 1;
    c.Single = R.ChildRef;
  } else if (R.ChildCount >= 2) {
    c.Count = R.ChildCount;
    c.InPool = true;
    c.PoolOffset = R.ChildRef;
  } else if (R.ChildRef != kSpmNoChildren) {
    if (R.ChildRef >= FPoolSize) {
      c.Valid = false;
      return c;
    }
    c.Count = FMap.Data()[FPoolStart + R.ChildRef];
    c.InPool = true;
    c.PoolOffset = static_cast<uint64_t>(R.ChildRef) + 1;
  }
  return c;
}

bool TMainDictionary::NextChild(const TChildren& C, uint64_t& Cursor, uint32_t& Number) const {
  if (!C.InPool) {
    if (Cursor != 0) return false;
    Number = C.Single;
    Cursor = 1;
    return true;
  }
  // Cursor counts bytes from the list's start.
  const uint64_t at = C.PoolOffset + Cursor;
  auto byteAt = [&](uint64_t off, Byte& b) {
    if (off >= FPoolSize) return false;
    b = FMap.Data()[FPoolStart + off];
    return true;
  };
  Byte b0 = 0, b1 = 0, b2 = 0;
  if (!byteAt(at, b0) || !byteAt(at + 1, b1)) return false;
  if (FWidth < 65535) {
    Number = static_cast<uint32_t>(b0) | (static_cast<uint32_t>(b1) << 8);
    Cursor += 2;
  } else if (b0 >= 0x80) {
    Number = (static_cast<uint32_t>(b0 & 0x7F) << 8) | b1;
    Cursor += 2;
  } else {
    if (!byteAt(at + 2, b2)) return false;
    Number = (static_cast<uint32_t>(b0) << 16) | (static_cast<uint32_t>(b1) << 8) | b2;
    Cursor += 3;
  }
  return true;
}

bool TMainDictionary::FindChild(const TChildren& C, Byte Ch, TRecord& Found) const {
  if (!C.Valid) return false;
  int k = 0;
  if (!C.InPool) {
    if (C.Count == 0 || C.Single >= FFirst[9] || *RecordAt(C.Single, k) != Ch) return false;
    return ReadRecord(C.Single, Found);
  }
  // The list's numbers decoded in place; only a record's character is read
  // until it matches.
  const Byte* pool = FMap.Data() + FPoolStart;
  uint64_t at = C.PoolOffset;
  const uint64_t size = FPoolSize;
  const bool narrow = FWidth < 65535;
  for (uint32_t i = 0; i < C.Count; ++i) {
    if (at + 2 > size) return false;
    uint32_t n;
    const Byte b0 = pool[at];
    if (narrow) {
      n = b0 | (static_cast<uint32_t>(pool[at + 1]) << 8);
      at += 2;
    } else if (b0 >= 0x80) {
      n = (static_cast<uint32_t>(b0 & 0x7F) << 8) | pool[at + 1];
      at += 2;
    } else {
      if (at + 3 > size) return false;
      n = (static_cast<uint32_t>(b0) << 16) | (static_cast<uint32_t>(pool[at + 1]) << 8) |
          pool[at + 2];
      at += 3;
    }
    if (n >= FFirst[9]) return false;
    if (*RecordAt(n, k) == Ch) return ReadRecord(n, Found);
  }
  return false;
}

void TMainDictionary::BuildSecondLetters() {
  FSecondBlock.fill(-1);
  FSecond.clear();
  for (int c = 0; c < 256; ++c) {
    const Byte* entry = FFirstLetters.data() + 8 * c;
    if (entry[1] == 0) continue;
    TChildren cands;
    cands.Count = entry[1];
    cands.InPool = cands.Count > 1;
    if (cands.InPool)
      cands.PoolOffset = U32(entry + 4);
    else
      cands.Single = U32(entry + 4);
    FSecondBlock[c] = static_cast<int16_t>(FSecond.size() / 256);
    FSecond.resize(FSecond.size() + 256, 0xFFFFFFFF);
    uint32_t* block = FSecond.data() + FSecond.size() - 256;
    uint64_t cursor = 0;
    uint32_t number = 0;
    int k = 0;
    for (uint32_t i = 0; i < cands.Count; ++i) {
      if (!NextChild(cands, cursor, number) || number >= FFirst[9]) break;
      const Byte ch = *RecordAt(number, k);
      if (block[ch] == 0xFFFFFFFF) block[ch] = number;  // the first in stored order
    }
  }
}

bool TMainDictionary::Lookup(const char* Word, int& Depth) {
  Depth = 0;
  if (!FActive) SetActive(true);
  if (!FActive || !Word || !*Word) return false;
  const Byte* entry = FFirstLetters.data() + 8 * static_cast<Byte>(Word[0]);
  if (Word[1] == 0 && entry[0]) {
    Depth = 1;
    return true;
  }
  if (entry[1] == 0) return false;
  Depth = 1;
  // The record of the second character, from the table made on activation.
  const int16_t block = FSecondBlock[static_cast<Byte>(Word[0])];
  if (block < 0) return false;
  const size_t second = static_cast<size_t>(block) * 256 + static_cast<Byte>(Word[1]);
  if (!FNodes.empty()) {
    const uint32_t node = FSecondNode[second];
    return node != kNoNode && LookupNodes(Word, node, Depth);
  }
  uint32_t n = FSecond[second];
  if (n == 0xFFFFFFFF) return false;
  // Then one record per character, read in place; every number and offset
  // from the file is checked before it is used.
  const uint32_t total = static_cast<uint32_t>(FFirst[9]);
  const Byte* pool = FMap.Data() + FPoolStart;
  const uint64_t poolSize = FPoolSize;
  const bool narrow = FWidth < 65535;
  size_t i = 1;
  for (;;) {
    int k = 0;
    const Byte* p = RecordAt(n, k);
    const uint32_t v = U32(p);
    ++Depth;
    ++i;
    if (Word[i] == 0) return (v >> 31) != 0;
    for (int j = 0; j < k; ++j) {
      if (Word[i] == 0 || static_cast<Byte>(Word[i]) != p[4 + j]) return false;
      ++i;
      ++Depth;
    }
    if (Word[i] == 0) return false;  // ended right after the inline characters
    const Byte want = static_cast<Byte>(Word[i]);
    uint32_t count = (v >> 28) & 7;
    const uint32_t ref = (v >> 8) & 0xFFFFF;
    if (count == 1) {
      if (ref >= total || *RecordAt(ref, k) != want) return false;
      n = ref;
      continue;
    }
    uint64_t at = ref;
    if (count == 0) {
      if (ref == kSpmNoChildren || ref >= poolSize) return false;
      count = pool[ref];
      at = static_cast<uint64_t>(ref) + 1;
    }
    bool found = false;
    for (uint32_t c = 0; c < count; ++c) {
      if (at + 2 > poolSize) return false;
      uint32_t m;
      const Byte b0 = pool[at];
      if (narrow) {
        m = b0 | (static_cast<uint32_t>(pool[at + 1]) << 8);
        at += 2;
      } else if (b0 >= 0x80) {
        m = (static_cast<uint32_t>(b0 & 0x7F) << 8) | pool[at + 1];
        at += 2;
      } else {
        if (at + 3 > poolSize) return false;
        m = (static_cast<uint32_t>(b0) << 16) | (static_cast<uint32_t>(pool[at + 1]) << 8) |
            pool[at + 2];
        at += 3;
      }
      if (m >= total) return false;
      if (*RecordAt(m, k) == want) {
        n = m;
        found = true;
        break;
      }
    }
    if (!found) return false;
  }
}

bool TMainDictionary::WordExists(const AnsiString& Word) {
  int depth = 0;
  return Lookup(Word.c_str(), depth);
}

void TMainDictionary::FindPhoneticMatches(const AnsiString& Word, const TPhoneticsMap& Phonetics,
                                          TStrings* Results) {
  if (!Results) return;
  if (!FActive) SetActive(true);
  if (!FActive) return;
  Phonetics.MakeKey(Word, FKey);
  if (FKey.size() < 2) return;
  const size_t depth = std::min<size_t>(static_cast<size_t>(Phonetics.PrefixDepth()), Word.size());
  const AnsiString prefix = Word.substr(0, depth);
  if (!FNodes.empty()) return FindPhoneticMatchesInNodes(prefix, Phonetics, Results);
  TRecord r, root;
  if (!ReadRecord(0, root)) return;
  TChildren cands = ChildrenOf(root);
  size_t i = 0;
  size_t recordAt = 0;  // where the last record's character sits in the prefix
  while (i < prefix.size()) {
    if (!FindChild(cands, static_cast<Byte>(prefix[i]), r)) return;
    recordAt = i++;
    // A prefix that ends at the record's own character takes its whole
    // subtree; one that ends among its inline characters finds nothing.
    for (int k = 0; k < r.InlineCount && i < prefix.size(); ++k) {
      if (static_cast<Byte>(prefix[i]) != r.Inline[k]) return;
      if (++i == prefix.size() && k + 1 < r.InlineCount) return;
    }
    cands = ChildrenOf(r);
  }
  if (prefix.empty()) return;
  FPhonetics = &Phonetics;
  FResults = Results;
  AnsiString buffer = prefix.substr(0, recordAt);
  FVisits = 0;
  Enumerate(r, buffer, 0);
  FPhonetics = nullptr;
  FResults = nullptr;
}

namespace {
// The walk of FindNearWords: one row of the edit-distance table per letter
// of the path, all rows in one buffer, so that a step allocates nothing.
struct TNearWalk {
  const uint64_t* Nodes;
  size_t NodeCount;
  const Byte* Inline;
  const uint64_t* Reach;
  Byte Low[256];
  std::vector<Byte> Word;  // lower case
  int N = 0, Max = 0;
  size_t Limit = 0, Found = 0;
  std::vector<int> Rows;   // (depth + 1) rows of N + 1 cells
  Byte Path[kMaxWordLength + 1];
  int Mins[kMaxWordLength + 1];  // each row's smallest cell
  size_t Depth = 0;        // letters in Path
  TStrings* Results = nullptr;
  std::set<AnsiString> Seen;  // lower case: a word once whatever its case

  int* Row(size_t d) { return Rows.data() + d * static_cast<size_t>(N + 1); }

  // Appends c to the path; false when no word below can come close enough.
  // Only the cells within Max of the diagonal can be Max or less: the others
  // keep Max + 1 from the start.
  bool Step(Byte c) {
    const Byte lc = Low[c];
    const int* prev = Row(Depth);
    int* row = Row(Depth + 1);
    const int* before = Depth >= 1 ? Row(Depth - 1) : nullptr;
    const Byte last = Depth >= 1 ? Low[Path[Depth - 1]] : 0;
    const int i = static_cast<int>(Depth + 1);
    row[0] = i;
    int best = row[0];
    const int lo = std::max(1, i - Max), hi = std::min(N, i + Max);
    for (int j = lo; j <= hi; ++j) {
      const Byte at = Word[static_cast<size_t>(j - 1)];
      int v = std::min(prev[j] + 1, row[j - 1] + 1);
      v = std::min(v, prev[j - 1] + (at == lc ? 0 : 1));
      if (before && j >= 2 && at == last && Word[static_cast<size_t>(j - 2)] == lc)
        v = std::min(v, before[j - 2] + 1);
      row[j] = v;
      best = std::min(best, v);
    }
    Path[Depth++] = c;
    Mins[Depth] = best;
    return best <= Max;
  }

  void Walk(uint32_t node) {
    if (Found >= Limit || Depth + 1 >= static_cast<size_t>(kMaxWordLength)) return;
    const uint64_t v = Nodes[node];
    const size_t depth = Depth;
    if (static_cast<int>(depth) + ReachShortest(Reach[node]) > N + Max ||
        static_cast<int>(depth) + ReachLongest(Reach[node]) + Max < N)
      return;
    if (Step(NodeChar(v))) {
      if (NodeEnd(v) && Row(Depth)[N] <= Max) {
        AnsiString w(reinterpret_cast<const char*>(Path), Depth);
        AnsiString key = w;
        for (char& c : key) c = static_cast<char>(Low[static_cast<Byte>(c)]);
        if (Seen.insert(key).second) {
          Results->Add(w);
          ++Found;
        }
      }
      bool alive = true;
      const Byte* in = Inline + NodeInlineAt(v);
      for (int k = 0; k < NodeInline(v) && alive && Depth + 1 < static_cast<size_t>(kMaxWordLength); ++k)
        alive = Step(in[k]);
      if (alive) {
        // At the edge (no cell below Max here or a row before, and too deep
        // for a deletion to help) a letter must match where a cell is Max:
        // other children are left without a step.
        const int i = static_cast<int>(Depth);
        const bool edge = i >= 1 && i + 1 >= Max && Mins[Depth] >= Max && Mins[Depth - 1] >= Max;
        Byte allowed[2 * kMaxNearDistance + 2];
        int count = 0;
        if (edge) {
          const int* row = Row(Depth);
          for (int j = std::max(0, i - Max), last = std::min(N - 1, i + Max); j <= last; ++j)
            if (row[j] == Max) allowed[count++] = Word[static_cast<size_t>(j)];
        }
        for (uint32_t kid = NodeFirst(v), end = NodeFirst(v) + NodeKids(v); kid < end && kid < NodeCount; ++kid) {
          if (edge) {
            const Byte c = Low[NodeChar(Nodes[kid])];
            bool match = false;
            for (int k = 0; k < count && !match; ++k) match = allowed[k] == c;
            if (!match) continue;
          }
          Walk(kid);
        }
      }
    }
    Depth = depth;
  }
};
// The same walk for a word of fewer than 64 letters, one machine word per
// row and distance (Fixed, when not 0: a distance known when compiled, so
// that the loops over the distances unroll): bit j of Rows[i][d] is set when the path's first i
// letters come within d edits of the word's first j. A step is a few shifts
// and masks whatever the width of the band.
template <int Fixed>
struct TNearBits {
  const uint64_t* Nodes;
  size_t NodeCount;
  const Byte* Inline;
  const uint64_t* Reach;
  const Byte* Low;
  uint64_t Match[256] = {};  // bit j: the word's letter j (from 1) is this lower-case byte
  uint32_t Bits[256] = {};   // each byte's letter bit, in lower case
  uint64_t Where[32] = {};   // bit j: the word's letter j has this letter bit
  uint64_t Missing[4][256];  // the places of a set of letter bits, a byte of the set at a time
  uint32_t WordLetters = 0;
  int N = 0, MaxRun = 0;
  uint64_t All = 0;  // bits 0 to N
  size_t Limit = 0, FoundCount = 0;
  uint64_t Rows[kMaxWordLength + 1][kMaxNearDistance + 1];
  Byte Path[kMaxWordLength + 1];
  size_t Depth = 0;
  TStrings* Results = nullptr;
  std::set<AnsiString> Seen;  // lower case: a word once whatever its case
  // With Split at h (distance two only), the walk keeps to paths that bring
  // the word's first h letters within one edit (Reached[i]: some row up to
  // i did) and gathers the nodes where words end in Hits, not Results.
  int Split = -1;
  uint64_t SplitMask = 0;  // bits 0 to h
  bool Reached[kMaxWordLength + 1];
  std::vector<uint32_t>* Hits = nullptr;

  void Start(const AnsiString& Word, int MaxDistance) {
    N = static_cast<int>(Word.size());
    MaxRun = MaxDistance;
    const int Max = MaxRun;
    All = N >= 63 ? ~0ull : (2ull << N) - 1;
    for (int c = 0; c < 256; ++c) Bits[c] = LetterBit(Low[c]);
    for (int j = 1; j <= N; ++j) {
      const Byte c = Low[static_cast<Byte>(Word[static_cast<size_t>(j - 1)])];
      Match[c] |= 1ull << j;
      Where[std::countr_zero(Bits[c])] |= 1ull << j;
      WordLetters |= Bits[c];
    }
    for (int d = 0; d <= Max; ++d) Rows[0][d] = (d >= 63 ? ~0ull : (2ull << d) - 1) & All;
    for (int k = 0; k < 4; ++k) {
      Missing[k][0] = 0;
      for (int m = 1; m < 256; ++m)
        Missing[k][m] = Missing[k][m & (m - 1)] | Where[8 * k + std::countr_zero(static_cast<unsigned>(m))];
    }
  }

  // Appends c to the path; false when no word below can come close enough.
  // Inside the walk's loops, without a call.
  [[gnu::always_inline]] bool Step(Byte c) {
    const int Max = Fixed ? Fixed : MaxRun;
    const uint64_t m = Match[Low[c]];
    const uint64_t* prev = Rows[Depth];
    uint64_t* row = Rows[Depth + 1];
    row[0] = (prev[0] << 1) & m;
    if (Depth >= 1) {
      // A swap of neighbours: the word's letters j - 1 and j are c and the
      // path's last letter.
      const uint64_t* before = Rows[Depth - 1];
      const uint64_t swap = Match[Low[Path[Depth - 1]]] & (m << 1);
      for (int d = 1; d <= Max; ++d)
        row[d] = (((prev[d] << 1) & m) | (prev[d - 1] << 1) | prev[d - 1] | (row[d - 1] << 1) |
                  ((before[d - 1] << 2) & swap)) & All;
    } else {
      for (int d = 1; d <= Max; ++d)
        row[d] = (((prev[d] << 1) & m) | (prev[d - 1] << 1) | prev[d - 1] | (row[d - 1] << 1)) & All;
    }
    Path[Depth++] = c;
    if (Split < 0) return row[Max] != 0;
    const bool reached = Reached[Depth - 1] || ((row[1] >> Split) & 1);
    Reached[Depth] = reached;
    return row[Max] != 0 && (reached || (row[1] & SplitMask) != 0);
  }

  // Whether a whole word comes within Max (the walk's table for one word).
  bool Near(const char* Text, size_t Length) {
    const int Max = Fixed ? Fixed : MaxRun;
    Depth = 0;
    bool alive = true;
    for (size_t k = 0; k < Length && alive; ++k) alive = Step(static_cast<Byte>(Text[k]));
    const bool near = alive && ((Rows[Depth][Max] >> N) & 1);
    Depth = 0;
    return near;
  }

  void Found(uint32_t Node) {
    if (Hits) {
      Hits->push_back(Node);
      return;
    }
    AnsiString w(reinterpret_cast<const char*>(Path), Depth);
    Add(w);
  }
  void Add(const AnsiString& Word) {
    AnsiString key = Word;
    for (char& c : key) c = static_cast<char>(Low[static_cast<Byte>(c)]);
    if (Seen.insert(key).second) {
      Results->Add(Word);
      ++FoundCount;
    }
  }

  // Whether a word below a child of the path walked so far can still come
  // within Max: not too short or too long, and each letter of the word past
  // the place reached that no word below holds costs an edit. What depends
  // only on the path is worked out once for all the children.
  struct TGate {
    int Depth = 0;
    uint32_t Wanted = 0;  // the word's letters, less the path's last (a swap across the boundary)
    int Count = 0;
    uint64_t Above[kMaxNearDistance + 1];  // places past where each distance still reaches
    int Spare[kMaxNearDistance + 1];       // and the edits left there
  };
  void OpenGate(TGate& g) const {
    const int Max = Fixed ? Fixed : MaxRun;
    g.Depth = static_cast<int>(Depth);
    g.Wanted = WordLetters & ~(Depth >= 1 ? Bits[Path[Depth - 1]] : 0u);
    g.Count = 0;
    const uint64_t* row = Rows[Depth];
    for (int d = 0; d <= Max; ++d) {
      if (!row[d]) continue;
      const int last = 63 - std::countl_zero(row[d]);
      g.Above[g.Count] = last >= 63 ? 0 : ~((2ull << last) - 1);
      g.Spare[g.Count++] = Max - d;
    }
  }
  // Whether x has at most Spare bits set, counted without a branch: the
  // children's answers are taken side by side, and a branch per child
  // mispredicts about every other time.
  // (The processor's own count where the walk is built for one that has it.)
  static bool AtMost(uint64_t x, int Spare) { return __builtin_popcountll(x) <= Spare; }
  bool Reachable(const TGate& g, uint64_t r) const {
    const int Max = Fixed ? Fixed : MaxRun;
    bool fits = g.Depth + ReachShortest(r) <= N + Max && g.Depth + ReachLongest(r) + Max >= N;
    const uint32_t missing = g.Wanted & ~ReachLetters(r);
    const uint64_t miss = Missing[0][missing & 0xFF] | Missing[1][(missing >> 8) & 0xFF] |
                          Missing[2][(missing >> 16) & 0xFF] | Missing[3][missing >> 24];
    bool some = false;
    for (int k = 0; k < g.Count; ++k) some |= AtMost(miss & g.Above[k], g.Spare[k]);
    return fits & some;
  }

  // Steps into a node that Reachable let through.
  // Built twice, with and without the processor's bit count, the one that
  // runs chosen when the program loads.
  __attribute__((target_clones("popcnt", "default")))
  void Walk(uint32_t node) {
    const int Max = Fixed ? Fixed : MaxRun;
    if (FoundCount >= Limit || Depth + 1 >= static_cast<size_t>(kMaxWordLength)) return;
    const uint64_t v = Nodes[node];
    const size_t depth = Depth;
    if (Step(NodeChar(v))) {
      if (NodeEnd(v) && ((Rows[Depth][Max] >> N) & 1)) Found(node);
      bool alive = true;
      const Byte* in = Inline + NodeInlineAt(v);
      for (int k = 0; k < NodeInline(v) && alive && Depth + 1 < static_cast<size_t>(kMaxWordLength); ++k)
        alive = Step(in[k]);
      if (alive) {
        // At the edge (nothing below Max here or a row before) a child's
        // letter must match where this row reaches Max: other children are
        // left without a step.
        const bool edge = Max == 0 || (Rows[Depth][Max - 1] | Rows[Depth - 1][Max - 1]) == 0;
        const uint64_t allowed = Rows[Depth][Max] << 1;
        // The same for the beginning while it has spent its one edit and
        // not yet come within one of the word's first letters: a child's
        // letter must follow a cell of one there.
        const bool start = Split >= 0 && !Reached[Depth] && (Rows[Depth][0] | Rows[Depth - 1][0]) == 0;
        const uint64_t begun = (Rows[Depth][1] << 1) & SplitMask;
        TGate gate;
        OpenGate(gate);
        uint32_t open[256];
        int count = 0;
        const uint32_t end = static_cast<uint32_t>(std::min<size_t>(NodeFirst(v) + NodeKids(v), NodeCount));
        if (edge || start) {
          // Few children have a letter that may follow: the others are left
          // before the rest is asked.
          for (uint32_t kid = NodeFirst(v); kid < end; ++kid) {
            const uint64_t r = Reach[kid];
            if ((!edge || (allowed & Match[ReachLow(r)]) != 0) && (!start || (begun & Match[ReachLow(r)]) != 0) &&
                Reachable(gate, r))
              open[count++] = kid;
          }
        } else {
          for (uint32_t kid = NodeFirst(v); kid < end; ++kid) {
            open[count] = kid;
            count += Reachable(gate, Reach[kid]);
          }
        }
        for (int k = 0; k < count; ++k) Walk(open[k]);
      }
    }
    Depth = depth;
  }
};
}  // namespace

namespace {
// The words whose lower-case letters read backwards begin within one edit
// of Tail, from the index by ending (six letters a key, in order): a walk
// of the sorted keys as of a tree, each level a byte. A word may come more
// than once; a word that lies past the keys' six letters comes whole, for
// the caller's comparison to decide.
struct TEndingSearch {
  const std::vector<uint64_t>& Keys;
  const std::vector<uint32_t>& Numbers;
  std::string_view Tail;
  std::vector<uint32_t>& Out;
  int Shortest = 0, Longest = 0xFF;  // of the words wanted

  static Byte At(uint64_t Key, int K) { return static_cast<Byte>(Key >> (56 - 8 * K)); }
  // The part of [Lo, Hi), whose keys agree in their first K bytes, whose
  // byte K is C.
  std::pair<size_t, size_t> Child(size_t Lo, size_t Hi, int K, Byte C) const {
    const auto begin = Keys.begin();
    const auto a = std::partition_point(begin + static_cast<ptrdiff_t>(Lo), begin + static_cast<ptrdiff_t>(Hi),
                                        [&](uint64_t x) { return At(x, K) < C; });
    const auto b = std::partition_point(a, begin + static_cast<ptrdiff_t>(Hi), [&](uint64_t x) { return At(x, K) == C; });
    return {static_cast<size_t>(a - begin), static_cast<size_t>(b - begin)};
  }
  void Collect(size_t Lo, size_t Hi) {
    for (size_t at = Lo; at < Hi; ++at) {
      const int length = static_cast<int>(Keys[at] & 0xFF);
      if (length >= Shortest && length <= Longest) Out.push_back(Numbers[at]);
    }
  }
  // The keys of [Lo, Hi), which agree in their first K bytes, that go on
  // with Tail from I: found at once, the edit being spent.
  void Exact(size_t Lo, size_t Hi, int K, size_t I) {
    if (Lo >= Hi) return;
    int k = K;
    uint64_t want = K == 0 ? 0 : Keys[Lo] & (~0ull << (64 - 8 * K));
    for (; I < Tail.size() && k < 6; ++I, ++k) want |= static_cast<uint64_t>(static_cast<Byte>(Tail[I])) << (56 - 8 * k);
    const uint64_t mask = k == 0 ? 0 : ~0ull << (64 - 8 * k);
    const auto begin = Keys.begin();
    const auto a = std::partition_point(begin + static_cast<ptrdiff_t>(Lo), begin + static_cast<ptrdiff_t>(Hi),
                                        [&](uint64_t x) { return (x & mask) < want; });
    const auto b = std::partition_point(a, begin + static_cast<ptrdiff_t>(Hi), [&](uint64_t x) { return (x & mask) == want; });
    Collect(static_cast<size_t>(a - begin), static_cast<size_t>(b - begin));
  }
  // Tail from I against the keys of [Lo, Hi), which agree in their first K
  // bytes and in Tail's letters before I, the edit not yet spent.
  void Search(size_t Lo, size_t Hi, int K, size_t I) {
    if (Lo >= Hi) return;
    if (I == Tail.size() || K == 6) return Collect(Lo, Hi);
    const Byte want = static_cast<Byte>(Tail[I]);
    Exact(Lo, Hi, K, I + 1);  // a typed letter too many
    if (I + 1 < Tail.size() && static_cast<Byte>(Tail[I + 1]) != want) {
      // Two typed letters swapped.
      const auto [c, d] = Child(Lo, Hi, K, static_cast<Byte>(Tail[I + 1]));
      if (K + 1 == 6)
        Collect(c, d);
      else {
        const auto [e, f] = Child(c, d, K + 1, want);
        Exact(e, f, K + 2, I + 2);
      }
    }
    // The same letter, another letter in the word, or one typed letter
    // missing; the end of a shorter word (byte 0) needs none of them.
    for (size_t at = Lo; at < Hi;) {
      const Byte c = At(Keys[at], K);
      const auto [from, to] = Child(at, Hi, K, c);
      if (c == want)
        Search(from, to, K + 1, I + 1);
      else if (c != 0)
        Exact(from, to, K + 1, I + 1);
      if (c != 0) Exact(from, to, K + 1, I);
      at = to;
    }
  }
};
}  // namespace

void TMainDictionary::FindNearWords(const AnsiString& Word, int MaxDistance, size_t Limit, TStrings* Results,
                                    bool SameFirst) {
  if (!Results || Word.empty() || Word.size() >= static_cast<size_t>(kMaxWordLength)) return;
  MaxDistance = std::clamp(MaxDistance, 0, kMaxNearDistance);
  if (!FActive) SetActive(true);
  if (!FActive || FNodes.empty()) return;
  auto search = [&](auto fixed) {
    using TBits = TNearBits<decltype(fixed)::value>;
    // Default-initialised: the rows are written before they are read.
    std::unique_ptr<TBits> b(new TBits);
    b->Nodes = FNodes.data();
    b->NodeCount = FNodes.size();
    b->Inline = FInline.data();
    b->Reach = FReach.data();
    // Letters compare without case: "wensday" finds "Wednesday".
    b->Low = SpellLowerTable();
    b->Start(Word, MaxDistance);
    b->Limit = Limit;
    b->Results = Results;
    for (int i = 0; i < Results->Count(); ++i) b->Seen.insert(SpellLower(Results->Get(i)));
    // Two or three edits out, a long word in two parts with a letter between
    // them (a swap of neighbours across one of its sides leaves the other
    // side whole): when the word's first letters come within one edit of a
    // word's beginning, the walk finds it, keeping to those beginnings;
    // otherwise the rest of the edits fall on the last letters, and the word
    // is found by its ending. Two edits out the ending is then exact (two to
    // five letters, as many as keep those words few without leaving the walk
    // too little); three out it comes within one edit (half the word).
    const int n = static_cast<int>(Word.size());
    const bool split = !SameFirst && ((MaxDistance == 2 && n >= 5) || (MaxDistance == 3 && n >= 6));
    const int ending = MaxDistance == 3 ? (n + 2) / 2 : n >= 10 ? 5 : n >= 7 ? 4 : n == 6 ? 3 : 2;
    std::vector<uint32_t> hits;
    if (split) {
      b->Split = n - 1 - ending;
      b->SplitMask = (2ull << b->Split) - 1;
      b->Reached[0] = false;
      b->Hits = &hits;
    }
    const uint64_t root = FNodes[0];
    const Byte first = b->Low[static_cast<Byte>(Word[0])];
    typename TBits::TGate gate;
    b->OpenGate(gate);
    for (uint32_t kid = NodeFirst(root), end = NodeFirst(root) + NodeKids(root); kid < end && kid < FNodes.size(); ++kid)
      if ((!SameFirst || ReachLow(FReach[kid]) == first) && b->Reachable(gate, FReach[kid])) b->Walk(kid);
    if (!split) return;
    const TWordIndex& index = Words();
    for (uint32_t& h : hits) h = index.OfNode[h];
    const int parted = b->Split;
    b->Split = -1;
    b->Hits = nullptr;
    auto check = [&](uint32_t k) {
      const uint32_t length = index.Start[k + 1] - index.Start[k];
      if (static_cast<int>(length) > n + MaxDistance || static_cast<int>(length) + MaxDistance < n) return;
      if (b->Near(index.Text.data() + index.Start[k], length)) hits.push_back(k);
    };
    if (MaxDistance == 3) {
      std::string tail;
      for (int k = n - 1; k > parted; --k) tail += static_cast<char>(b->Low[static_cast<Byte>(Word[static_cast<size_t>(k)])]);
      std::vector<uint32_t> ends;
      TEndingSearch{index.Endings, index.ByEnding, tail, ends, n - 3, n + 3}.Search(0, index.Endings.size(), 0, 0);
      std::sort(ends.begin(), ends.end());
      ends.erase(std::unique(ends.begin(), ends.end()), ends.end());
      for (uint32_t k : ends) check(k);
    } else {
      // The words that end in the typed word's last letters.
      uint64_t last = 0;
      for (int k = n - 1, i = 0; i < 8; --k, ++i)
        last = (last << 8) | (k > parted ? b->Low[static_cast<Byte>(Word[static_cast<size_t>(k)])] : 0u);
      const int shift = 8 * (8 - ending);
      const auto from = std::lower_bound(index.Endings.begin(), index.Endings.end(), last);
      for (auto at = from; at != index.Endings.end() && (*at >> shift) == (last >> shift); ++at) {
        const int length = static_cast<int>(*at & 0xFF);
        if (length > n + 2 || length + 2 < n) continue;
        check(index.ByEnding[static_cast<size_t>(at - index.Endings.begin())]);
      }
    }
    // Both in the walk's order, each word once.
    std::sort(hits.begin(), hits.end());
    hits.erase(std::unique(hits.begin(), hits.end()), hits.end());
    for (uint32_t k : hits) {
      if (b->FoundCount >= Limit) break;
      b->Add(index.Text.substr(index.Start[k], index.Start[k + 1] - index.Start[k]));
    }
  };
  if (Word.size() < 64) {
    switch (MaxDistance) {
      case 1: search(std::integral_constant<int, 1>{}); break;
      case 2: search(std::integral_constant<int, 2>{}); break;
      case 3: search(std::integral_constant<int, 3>{}); break;
      default: search(std::integral_constant<int, 0>{}); break;
    }
    return;
  }
  TNearWalk w;
  w.Nodes = FNodes.data();
  w.NodeCount = FNodes.size();
  w.Inline = FInline.data();
  w.Reach = FReach.data();
  // Letters compare without case: "wensday" finds "Wednesday".
  std::memcpy(w.Low, SpellLowerTable(), sizeof w.Low);
  for (char c : Word) w.Word.push_back(w.Low[static_cast<Byte>(c)]);
  w.N = static_cast<int>(Word.size());
  w.Max = MaxDistance;
  w.Limit = Limit;
  w.Results = Results;
  for (int i = 0; i < Results->Count(); ++i) w.Seen.insert(SpellLower(Results->Get(i)));
  w.Rows.assign(static_cast<size_t>(kMaxWordLength + 1) * static_cast<size_t>(w.N + 1), MaxDistance + 1);
  for (int j = 0; j <= w.N; ++j) w.Row(0)[j] = j;
  w.Mins[0] = 0;
  const uint64_t root = FNodes[0];
  for (uint32_t kid = NodeFirst(root), end = NodeFirst(root) + NodeKids(root); kid < end && kid < FNodes.size(); ++kid)
    if (!SameFirst || w.Low[NodeChar(FNodes[kid])] == w.Word[0]) w.Walk(kid);
}

namespace {
uint64_t SoundHash(const char* Key, size_t Length) {
  uint64_t h = 1469598103934665603ull;
  for (size_t i = 0; i < Length; ++i) h = (h ^ static_cast<Byte>(Key[i])) * 1099511628211ull;
  return h;
}
}  // namespace

void TMainDictionary::FindSoundAlikes(const AnsiString& Word, size_t Limit, TStrings* Results) {
  if (!Results || Word.empty() || Word.size() >= static_cast<size_t>(kMaxWordLength)) return;
  char typed[kSoundKeyRoom], key[kSoundKeyRoom];
  const size_t typedLength = SoundKeyOf(Word.data(), Word.size(), typed);
  if (typedLength < 2) return;
  if (!FActive) SetActive(true);
  if (!FActive || FNodes.empty()) return;
  Words();
  TWordIndex& index = *FWords;
  const uint32_t count = static_cast<uint32_t>(index.Start.size()) - 1;
  auto text = [&](uint32_t k) { return index.Text.data() + index.Start[k]; };
  auto length = [&](uint32_t k) { return index.Start[k + 1] - index.Start[k]; };
  if (index.SoundGroups.empty()) {
    // The words by their sound's first letter (a few letters of each word
    // tell it), in ascending order within a letter.
    std::vector<Byte> first(count);
    index.SoundGroups.assign(257, 0);
    for (uint32_t k = 0; k < count; ++k) {
      first[k] = SoundKeyOf(text(k), length(k), key, 1) ? static_cast<Byte>(key[0]) : 0;
      ++index.SoundGroups[first[k] + 1];
    }
    for (size_t g = 1; g < index.SoundGroups.size(); ++g) index.SoundGroups[g] += index.SoundGroups[g - 1];
    index.BySound.resize(count);
    std::vector<uint32_t> at(index.SoundGroups.begin(), index.SoundGroups.end() - 1);
    for (uint32_t k = 0; k < count; ++k) index.BySound[at[first[k]]++] = k;
    index.SoundNext.resize(count);
    index.SoundChecks.resize(count);
  }
  const Byte group = static_cast<Byte>(typed[0]);
  std::vector<uint32_t>& heads = index.SoundHeads[group];
  if (heads.empty()) {
    // Chains of the letter's words by a hash of the whole sound, each in
    // ascending order: made from the last word back, with no sort, on the
    // letter's first search.
    const uint32_t from = index.SoundGroups[group], to = index.SoundGroups[group + 1];
    uint32_t buckets = 1;
    while (buckets < to - from) buckets <<= 1;
    heads.assign(buckets, kNoNode);
    for (uint32_t j = to; j-- > from;) {
      const uint32_t k = index.BySound[j];
      const uint64_t h = SoundHash(key, SoundKeyOf(text(k), length(k), key));
      uint32_t& head = heads[h & (buckets - 1)];
      index.SoundNext[k] = head;
      index.SoundChecks[k] = static_cast<uint32_t>(h >> 32);
      head = k;
    }
  }
  const uint64_t h = SoundHash(typed, typedLength);
  const uint32_t check = static_cast<uint32_t>(h >> 32);
  std::set<AnsiString> seen;
  for (int i = 0; i < Results->Count(); ++i) seen.insert(SpellLower(Results->Get(i)));
  size_t found = 0;
  AnsiString word;
  for (uint32_t k = heads[h & (heads.size() - 1)]; k != kNoNode && found < Limit; k = index.SoundNext[k]) {
    if (index.SoundChecks[k] != check) continue;
    // The hash alone may join two sounds.
    if (SoundKeyOf(text(k), length(k), key) != typedLength || std::memcmp(key, typed, typedLength) != 0) continue;
    word.assign(text(k), length(k));
    if (!seen.insert(SpellLower(word)).second) continue;
    Results->Add(word);
    ++found;
  }
}

uint64_t TMainDictionary::EndingKey(const TWordIndex& Index, uint32_t Word) {
  uint64_t key = 0;
  for (uint32_t a = Index.Start[Word], i = 0; i < 8; ++i, ++a)
    key = (key << 8) | (a < Index.Start[Word + 1] ? static_cast<Byte>(Index.Backward[a]) : 0u);
  return key;
}

const TMainDictionary::TWordIndex& TMainDictionary::Words() {
  if (FWords) return *FWords;
  auto index = std::make_unique<TWordIndex>();
  index->OfNode.assign(FNodes.size(), kNoNode);
  AnsiString buffer;
  const uint64_t root = FNodes[0];
  for (uint32_t kid = NodeFirst(root), end = NodeFirst(root) + NodeKids(root); kid < end && kid < FNodes.size(); ++kid)
    CollectWords(kid, buffer, *index);
  const uint32_t count = static_cast<uint32_t>(index->Start.size());
  index->Start.push_back(static_cast<uint32_t>(index->Text.size()));
  const Byte* low = SpellLowerTable();
  index->Backward.resize(index->Text.size());
  for (uint32_t k = 0; k < count; ++k)
    for (uint32_t a = index->Start[k], b = index->Start[k + 1]; a < b; ++a)
      index->Backward[a] = static_cast<char>(low[static_cast<Byte>(index->Text[index->Start[k] + index->Start[k + 1] - 1 - a])]);
  // Sorted by the first six letters, sixteen bits of their packed number a
  // pass from the lowest (a search asks for endings shorter than that).
  std::vector<uint64_t> keys(count);
  for (uint32_t k = 0; k < count; ++k) keys[k] = EndingKey(*index, k);
  std::vector<uint32_t> order(count), next(count);
  for (uint32_t k = 0; k < count; ++k) order[k] = k;
  std::vector<uint32_t> starts(65537);
  for (int shift = 16; shift < 64; shift += 16) {
    std::fill(starts.begin(), starts.end(), 0);
    for (uint32_t k : order) ++starts[((keys[k] >> shift) & 0xFFFF) + 1];
    for (size_t b = 1; b < starts.size(); ++b) starts[b] += starts[b - 1];
    for (uint32_t k : order) next[starts[(keys[k] >> shift) & 0xFFFF]++] = k;
    order.swap(next);
  }
  index->Endings.resize(count);
  for (uint32_t k = 0; k < count; ++k)
    index->Endings[k] = (keys[order[k]] & ~0xFFFFull) | std::min<uint32_t>(index->Start[order[k] + 1] - index->Start[order[k]], 0xFF);
  index->ByEnding = std::move(order);
  FWords = std::move(index);
  return *FWords;
}

void TMainDictionary::CollectWords(uint32_t Node, AnsiString& Buffer, TWordIndex& Index) const {
  // The near-word walk's order: a node's word, then its inline letters and
  // its children in stored order.
  if (Buffer.size() + 1 >= static_cast<size_t>(kMaxWordLength)) return;
  const uint64_t v = FNodes[Node];
  const size_t mark = Buffer.size();
  Buffer += static_cast<char>(NodeChar(v));
  if (NodeEnd(v)) {
    Index.OfNode[Node] = static_cast<uint32_t>(Index.Start.size());
    Index.Start.push_back(static_cast<uint32_t>(Index.Text.size()));
    Index.Text += Buffer;
  }
  Buffer.append(reinterpret_cast<const char*>(FInline.data() + NodeInlineAt(v)), static_cast<size_t>(NodeInline(v)));
  for (uint32_t kid = NodeFirst(v), end = NodeFirst(v) + NodeKids(v); kid < end && kid < FNodes.size(); ++kid)
    CollectWords(kid, Buffer, Index);
  Buffer.resize(mark);
}

void TMainDictionary::Enumerate(const TRecord& R, AnsiString& Buffer, int Depth) {
  if (Depth > kMaxWordLength || Buffer.size() + 1 + R.InlineCount > kMaxWordLength) return;
  if (++FVisits > FFirst[9]) return;  // more visits than records: a cycle
  const size_t mark = Buffer.size();
  Buffer += static_cast<char>(R.Char);
  if (R.EndOfWord) {
    AnsiString key;
    FPhonetics->MakeKey(Buffer, key);
    if (key != FKey) {
      if (key.size() > FKey.size()) {
        Buffer.resize(mark);
        return;
      }
    } else if (static_cast<uint32_t>(FResults->Count()) < kMaxResults) {
      if (!Listed(*FResults, Buffer)) FResults->Add(Buffer);
    } else {
      Buffer.resize(mark);
      return;
    }
  }
  Buffer.append(reinterpret_cast<const char*>(R.Inline), static_cast<size_t>(R.InlineCount));
  const TChildren c = ChildrenOf(R);
  if (c.Valid) {
    uint64_t cursor = 0;
    uint32_t number = 0;
    TRecord child;
    for (uint32_t i = 0; i < c.Count; ++i) {
      if (!NextChild(c, cursor, number) || !ReadRecord(number, child)) break;
      Enumerate(child, Buffer, Depth + 1);
    }
  }
  Buffer.resize(mark);
}

void TMainDictionary::FindPhoneticMatchesInNodes(const AnsiString& Prefix,
                                                 const TPhoneticsMap& Phonetics,
                                                 TStrings* Results) {
  // The prefix walk of FindPhoneticMatches over the node table.
  uint32_t node = 0;
  size_t i = 0, recordAt = 0;
  while (i < Prefix.size()) {
    const uint64_t v = FNodes[node];
    const uint64_t* kid = FNodes.data() + NodeFirst(v);
    const uint64_t* end = kid + NodeKids(v);
    while (kid != end && NodeChar(*kid) != static_cast<Byte>(Prefix[i])) ++kid;
    if (kid == end) return;
    node = static_cast<uint32_t>(kid - FNodes.data());
    recordAt = i++;
    const uint64_t r = *kid;
    const Byte* in = FInline.data() + NodeInlineAt(r);
    for (int k = 0; k < NodeInline(r) && i < Prefix.size(); ++k) {
      if (static_cast<Byte>(Prefix[i]) != in[k]) return;
      if (++i == Prefix.size() && k + 1 < NodeInline(r)) return;
    }
  }
  if (Prefix.empty()) return;
  const TKeyBlock& b = KeyBlock(node, Prefix.substr(0, recordAt), Phonetics);
  // The enumeration's choices replayed on the cached keys: a longer key
  // skips the word's subtree, and so does a full list. So the words found
  // are those of the key itself, in order, below no word of a longer key.
  const char* text = b.Text.data();
  const std::string_view key(FKey);
  auto keyOf = [&](uint32_t e) { return std::string_view(text + b.Entries[e].Key, b.Entries[e].KeyLength); };
  auto at = std::lower_bound(b.ByKey.begin(), b.ByKey.end(), key,
                             [&](uint32_t e, std::string_view k) { return keyOf(e) < k; });
  for (; at != b.ByKey.end() && keyOf(*at) == key; ++at) {
    const TKeyEntry& x = b.Entries[*at];
    if (x.Above > key.size()) continue;
    if (static_cast<uint32_t>(Results->Count()) >= kMaxResults) break;
    const AnsiString word(text + x.Key + x.KeyLength, x.WordLength);
    if (!Listed(*Results, word)) Results->Add(word);
  }
}

const TMainDictionary::TKeyBlock& TMainDictionary::KeyBlock(uint32_t Node, const AnsiString& Stem,
                                                            const TPhoneticsMap& Phonetics) {
  // Keys depend on the rules and on these settings; a map of a derived
  // class may compute them otherwise, so its keys are never kept.
  const bool keep = typeid(Phonetics) == typeid(TPhoneticsMap);
  if (keep)
    for (const auto& b : FKeyBlocks[Node])
      if (b->Stamp == Phonetics.RulesStamp() && b->Budget == Phonetics.KeyBudget &&
          b->Collapse == Phonetics.CollapseRepeats && b->PrefixDepth == Phonetics.PrefixDepth())
        return *b;
  auto block = std::make_unique<TKeyBlock>();
  block->Stamp = Phonetics.RulesStamp();
  block->Budget = Phonetics.KeyBudget;
  block->Collapse = Phonetics.CollapseRepeats;
  block->PrefixDepth = Phonetics.PrefixDepth();
  AnsiString buffer = Stem;
  CollectKeys(Node, buffer, 0, Phonetics, *block, 0);
  const TKeyBlock& b = *block;
  auto keyOf = [&](uint32_t e) { return std::string_view(b.Text.data() + b.Entries[e].Key, b.Entries[e].KeyLength); };
  // Sorted on the keys' first eight bytes, packed so that numbers compare as
  // the bytes do; the whole keys only where those are equal.
  std::vector<std::pair<uint64_t, uint32_t>> order(block->Entries.size());
  for (uint32_t e = 0; e < order.size(); ++e) {
    const std::string_view k = keyOf(e);
    uint64_t packed = 0;
    for (size_t i = 0; i < 8; ++i) packed = (packed << 8) | (i < k.size() ? static_cast<Byte>(k[i]) : 0u);
    order[e] = {packed, e};
  }
  std::sort(order.begin(), order.end(), [&](const auto& x, const auto& y) {
    if (x.first != y.first) return x.first < y.first;
    const std::string_view a = keyOf(x.second), b = keyOf(y.second);
    return a < b || (a == b && x.second < y.second);
  });
  block->ByKey.resize(order.size());
  for (size_t i = 0; i < order.size(); ++i) block->ByKey[i] = order[i].second;
  if (!keep) {
    FScratchBlock = std::move(block);
    return *FScratchBlock;
  }
  if (FKeyEntries + block->Entries.size() > kMaxKeyEntries) {
    FKeyBlocks.clear();  // full: start again rather than grow without bound
    FKeyEntries = 0;
  }
  auto& list = FKeyBlocks[Node];
  FKeyEntries += block->Entries.size();
  list.push_back(std::move(block));
  return *list.back();
}

void TMainDictionary::CollectKeys(uint32_t Node, AnsiString& Buffer, int Depth,
                                  const TPhoneticsMap& Phonetics, TKeyBlock& Block, uint32_t Above) {
  // Enumerate's order and limits; a tree has no cycle to guard against.
  const uint64_t v = FNodes[Node];
  const int k = NodeInline(v);
  if (Depth > kMaxWordLength || Buffer.size() + 1 + static_cast<size_t>(k) > kMaxWordLength)
    return;
  const size_t mark = Buffer.size();
  Buffer += static_cast<char>(NodeChar(v));
  if (NodeEnd(v)) {
    AnsiString key;
    Phonetics.MakeKey(Buffer, key);
    TKeyEntry e{};
    e.Key = static_cast<uint32_t>(Block.Text.size());
    e.KeyLength = static_cast<uint32_t>(key.size());
    e.WordLength = static_cast<uint16_t>(Buffer.size());
    e.Above = static_cast<uint16_t>(std::min<uint32_t>(Above, 0xFFFF));
    Above = std::max<uint32_t>(Above, static_cast<uint32_t>(key.size()));
    Block.Text += key;
    Block.Text += Buffer;
    Block.Entries.push_back(e);
  }
  Buffer.append(reinterpret_cast<const char*>(FInline.data() + NodeInlineAt(v)),
                static_cast<size_t>(k));
  const uint32_t first = NodeFirst(v), kids = NodeKids(v);
  for (uint32_t c = 0; c < kids; ++c) CollectKeys(first + c, Buffer, Depth + 1, Phonetics, Block, Above);
  Buffer.resize(mark);
}

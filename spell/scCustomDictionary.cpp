#include "spell/scCustomDictionary.h"

#include "platform/base/FindFiles.h"
#include "platform/base/IniFiles.h"
#include "platform/base/Streams.h"
#include "platform/base/SysUtils.h"
#include "spell/scUtil.h"

#include <algorithm>
#include <cstring>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <fstream>
#include <mutex>
#include <set>
#include <tuple>

const char kSpuBanner[] =
    "Quillory User Dictionary format 1.0\r\n"
    "Compiled by the Quillory project\r\n"
    "https://quillory.invalid/\r\n"
    "words@qyl.invalid\r\n"
    "\r\n";
static_assert(sizeof(kSpuBanner) - 1 == kSpuBannerLength);

namespace {
constexpr uint32_t kSizes[] = {251,      509,      1021,      2039,      4093,      8191,
                               16381,    32749,    65521,     131071,    262139,    524287,
                               1048573,  2097143,  4194301,   8388593,   16777213,  33554393,
                               67108859, 134217689, 268435399, 536870909, 1073741789, 2147483647};

bool IsTableSize(uint32_t n) {
  for (uint32_t s : kSizes)
    if (s == n) return true;
  return false;
}

int32_t ReadI32(const std::string& s, size_t at) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) v |= static_cast<uint32_t>(static_cast<Byte>(s[at + i])) << (8 * i);
  return static_cast<int32_t>(v);
}

void PutI32(std::string& out, int32_t v) {
  const uint32_t u = static_cast<uint32_t>(v);
  for (int i = 0; i < 4; ++i) out += static_cast<char>((u >> (8 * i)) & 0xFF);
}
}  // namespace

uint32_t NextTableSize(uint32_t N) {
  for (uint32_t s : kSizes)
    if (s > N) return s;
  return 0;
}

std::function<void(const String& fileName, const String& setAside, int recovered)> TCustomDictionary::OnDamaged;
std::function<void(const String& fileName, int dropped)> TCustomDictionary::OnEntriesDropped;

namespace {
// A word of a damaged file worth carrying over: a run of letters, digits
// and the marks words hold (spaces too in a replacement), not bytes of the
// file's numbers that happen to follow a kind byte.
bool ReadableEntry(const std::string& s, bool spaces) {
  if (s.size() < 2 || s.size() > static_cast<size_t>(kSpuMaxPair)) return false;
  for (char c : s)
    if (!(IsSpellLetter(c) || (c >= '0' && c <= '9') || IsApostrophe(c) || c == '-' || c == '.' ||
          c == '&' || (spaces && c == ' ')))
      return false;
  return true;
}
}  // namespace

int TCustomDictionary::RecoverEntries(const String& FileName) {
  std::ifstream f(FileName, std::ios::binary | std::ios::ate);
  if (!f) return 0;
  // Bounded: a dictionary of this size holds millions of words.
  constexpr std::streamoff kMostRead = 64 << 20;
  const std::streamoff size = std::min<std::streamoff>(f.tellg(), kMostRead);
  if (size <= 0) return 0;
  std::string bytes(static_cast<size_t>(size), '\0');
  f.seekg(0);
  f.read(bytes.data(), size);
  bytes.resize(static_cast<size_t>(f.gcount()));
  // Entries are a kind byte, the word and a 0 (a pair: its replacement and
  // another 0), one after another in the pool.
  std::vector<std::string> parts;
  // Only what a 0 ends: a cut entry would come back as another word.
  for (size_t at = 0, end; (end = bytes.find('\0', at)) != std::string::npos; at = end + 1)
    parts.push_back(bytes.substr(at, end - at));
  int recovered = 0;
  for (size_t i = 0; i < parts.size(); ++i) {
    const std::string& p = parts[i];
    if (p.empty()) continue;
    const std::string word = p.substr(1);
    if ((p[0] == 'I' || p[0] == 'E') && ReadableEntry(word, false)) {
      if (p[0] == 'I' ? AddWord(word) : AddExcludedWord(word)) ++recovered;
    } else if (p[0] == 'A' && i + 1 < parts.size() && ReadableEntry(word, false) &&
               ReadableEntry(parts[i + 1], true)) {
      if (AddAutoCorrect(word, parts[i + 1])) ++recovered;
      ++i;
    }
  }
  return recovered;
}

bool TCustomDictionary::FirstTold(const String& FileName, const TFileStamp& Stamp) {
  // The same file is read by more than one object (the check, the
  // settings dialogs): the user hears of it once until it changes.
  static std::mutex lock;
  static std::set<std::tuple<String, Int64, Int64>> told;
  std::lock_guard<std::mutex> guard(lock);
  return told.emplace(FileName, Stamp.Time, Stamp.Size).second;
}

TCustomDictionary::TCustomDictionary() = default;

TCustomDictionary::~TCustomDictionary() { SetActive(false); }

TCustomDictionary::TFileStamp TCustomDictionary::StampOf(const String& FileName) {
  TFileStamp s;
  s.Time = FileAge(FileName);
  if (s.Time >= 0) s.Size = FileSizeOf(FileName);
  return s;
}

bool TCustomDictionary::CheckFile(const String& FileName, std::string* Body) {
  if (FileName.empty()) return true;
  // Opened without waiting: a FIFO or device in the dictionary's place
  // would block the reading.
  const int fd = OpenRegularFile(FileName, O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    // A missing one is made at the first Add; anything else in its place
    // is left alone.
    if (errno != ENOENT) return false;
    return CanCreateFile(FileName, true);
  }
  struct stat st {};
  // Nor is one larger than any dictionary read whole, or written over.
  bool ok = ::fstat(fd, &st) == 0 && st.st_size <= LargestSettingsFile && st.st_size >= 120;
  std::string bytes;
  if (ok) {
    bytes.resize(Body ? static_cast<size_t>(st.st_size) : 121);
    bytes.resize(ReadUpTo(fd, bytes.data(), bytes.size()));
    ok = bytes.size() >= 120 && std::memcmp(bytes.data(), kSpuBanner, kSpuBannerLength) == 0 && bytes[119] == 0;
  }
  ::close(fd);
  if (ok && Body) Body->assign(bytes.size() > 121 ? bytes.substr(121) : std::string());
  return ok;
}

bool TCustomDictionary::SetFileName(const String& FileName) {
  if (!CheckFile(FileName, nullptr)) return false;
  const bool wasActive = FActive;
  SetActive(false);
  if (FActive) return false;  // the old file could not be saved
  FFileName = FileName;
  FHasFileName = !FileName.empty();
  SetActive(wasActive);
  return true;
}

void TCustomDictionary::ResetContents() {
  FAddedCount = FExcludedCount = FAutoCorrectCount = 0;
  FDroppedEntries = 0;
  FEntryCount = 0;
  FRemovedCount = 0;
  FPool.clear();
  FPool.shrink_to_fit();
  FTable.clear();
  FIndexesValid = false;
  FAddedIndex.clear();
  FExcludedIndex.clear();
  FAutoCorrectIndex.clear();
}

void TCustomDictionary::SetActive(bool Value) {
  if (Value == FActive) return;
  if (Value) {
    ResetContents();
    if (FHasFileName) {
      // Grown past the bound since it was opened: refused as it stands,
      // not set aside as damaged.
      if (TooLargeToRead(FFileName)) return;
      std::string body;
      const bool readable = CheckFile(FFileName, &body);
      const bool exists = FileExists(FFileName);
      if (exists && !(readable && LoadFromBody(body))) {
        // Read as empty, it would be written over at the next Add and every
        // word in it lost: it is set aside, the user told, and a new one
        // started. What is no regular file is never touched.
        if (!IsRegularFile(FFileName)) return;
        const String aside = FFileName + ".damaged";
        if (FileExists(aside)) DeleteFile(aside);
        if (!RenameFile(FFileName, aside)) return;
        ResetContents();
        FFileDate = TFileStamp{};
        FModified = true;
        // The new dictionary starts with what can still be read.
        FActive = true;
        const int recovered = RecoverEntries(aside);
        if (OnDamaged) OnDamaged(FFileName, aside, recovered);
        return;
      } else if (!readable) {
        return;
      } else if (exists) {
        FFileDate = StampOf(FFileName);
        if (FDroppedEntries > 0 && OnEntriesDropped && FirstTold(FFileName, FFileDate)) {
          FActive = true;
          OnEntriesDropped(FFileName, FDroppedEntries);
          return;
        }
      } else {
        FFileDate = TFileStamp{};
        FModified = true;
      }
    }
    FActive = true;
    return;
  }
  // Pending words are kept in memory while they cannot be written.
  if (FModified && !Save()) return;
  FModified = false;
  ResetContents();
  FPending.clear();
  FActive = false;
}

bool TCustomDictionary::LoadFromBody(const std::string& Body) {
  // Body starts at offset 121, after the banner, its 0 and the 0x1A byte.
  auto fail = [&] {
    ResetContents();
    return false;
  };
  size_t at = 0;
  if (Body.size() < at + 20) return fail();
  const int32_t added = ReadI32(Body, at), excluded = ReadI32(Body, at + 4),
                autos = ReadI32(Body, at + 8), entries = ReadI32(Body, at + 12),
                m = ReadI32(Body, at + 16);
  at += 20;
  if (added < 0 || excluded < 0 || autos < 0 || entries < 0 || m < 0) return fail();
  if (m != 0 && !IsTableSize(static_cast<uint32_t>(m))) return fail();
  if (Body.size() - at < static_cast<uint64_t>(m) * 4 + 4) return fail();
  std::vector<int32_t> table(static_cast<size_t>(m));
  for (int32_t i = 0; i < m; ++i) table[i] = ReadI32(Body, at + 4 * static_cast<size_t>(i));
  at += static_cast<size_t>(m) * 4;
  const int32_t s = ReadI32(Body, at);
  at += 4;
  if (s < 0 || Body.size() - at < static_cast<uint64_t>(s)) return fail();
  FPool.assign(Body, at, static_cast<size_t>(s));
  FTable = std::move(table);
  // Every live slot must point at a whole entry inside the pool; the
  // counts are taken from the table, not trusted from the file.
  int32_t live = 0, removed = 0, empty = 0, counts[3] = {0, 0, 0};
  for (int32_t v : FTable) {
    if (v == 0) {
      ++empty;
      continue;
    }
    if (v == -1) {
      ++removed;
      continue;
    }
    size_t len = 0;
    const char* e = EntryAt(v, &len);
    if (!e) return fail();
    const char kind = FPool[static_cast<size_t>(v) - 1];
    if (kind == 'A') {
      size_t rest = static_cast<size_t>(v) + len + 1;
      if (rest >= FPool.size() || !std::memchr(FPool.data() + rest, 0, FPool.size() - rest))
        return fail();
    }
    ++counts[kind == 'I' ? 0 : kind == 'E' ? 1 : 2];
    ++live;
  }
  if (m > 0 && empty == 0) return fail();
  // Counts that disagree with the table: the file was not written whole.
  if (added != counts[0] || excluded != counts[1] || autos != counts[2] || entries != live) return fail();
  FEntryCount = live;
  FRemovedCount = removed;
  FAddedCount = counts[0];
  FExcludedCount = counts[1];
  FAutoCorrectCount = counts[2];
  // A pair read is held to the rules of one typed: an empty or blank
  // replacement (an earlier version stored them) would delete its word
  // from every text checked, a control character or line break (a file
  // edited by hand) would go into the text. It is dropped, and the file
  // written again without it at the next save.
  for (int32_t& v : FTable) {
    if (v <= 0 || FPool[static_cast<size_t>(v) - 1] != 'A') continue;
    size_t len = 0;
    EntryAt(v, &len);
    const size_t at = static_cast<size_t>(v) + len + 1;  // inside the pool: checked above
    if (!IsUnusableReplacement(AnsiString(FPool.data() + at, strnlen(FPool.data() + at, FPool.size() - at)))) continue;
    v = -1;
    --FEntryCount;
    --FAutoCorrectCount;
    ++FRemovedCount;
    ++FDroppedEntries;
    FModified = true;
  }
  return true;
}

const char* TCustomDictionary::EntryAt(int32_t SlotValue, size_t* Length) const {
  if (SlotValue < 1 || static_cast<size_t>(SlotValue) >= FPool.size()) return nullptr;
  const char kind = FPool[static_cast<size_t>(SlotValue) - 1];
  if (kind != 'I' && kind != 'E' && kind != 'A') return nullptr;
  const char* start = FPool.data() + SlotValue;
  const void* end = std::memchr(start, 0, FPool.size() - static_cast<size_t>(SlotValue));
  if (!end) return nullptr;
  if (Length) *Length = static_cast<size_t>(static_cast<const char*>(end) - start);
  return start;
}

bool TCustomDictionary::SaveToFile(const String& FileName) {
  std::string out(kSpuBanner, kSpuBannerLength);
  out += '\0';
  out += '\x1A';
  PutI32(out, FAddedCount);
  PutI32(out, FExcludedCount);
  PutI32(out, FAutoCorrectCount);
  PutI32(out, FEntryCount);
  PutI32(out, static_cast<int32_t>(FTable.size()));
  for (int32_t v : FTable) PutI32(out, v);
  PutI32(out, static_cast<int32_t>(FPool.size()));
  out += FPool;
  try {
    // The user's words: the owner's alone.
    SaveBytesAtomically(FileName, out, true);
  } catch (const Exception&) {
    return false;
  }
  return true;
}

void TCustomDictionary::IndexEntry(char Kind, int32_t SlotValue) {
  switch (Kind) {
    case 'I': FAddedIndex.push_back(SlotValue); break;
    case 'E': FExcludedIndex.push_back(SlotValue); break;
    case 'A': FAutoCorrectIndex.push_back(SlotValue); break;
    default: break;
  }
}

void TCustomDictionary::BuildIndexes() {
  if (FIndexesValid) return;
  if (!FActive) SetActive(true);
  FAddedIndex.clear();
  FExcludedIndex.clear();
  FAutoCorrectIndex.clear();
  FAddedIndex.reserve(static_cast<size_t>(FAddedCount) + 256);
  FExcludedIndex.reserve(static_cast<size_t>(FExcludedCount) + 256);
  FAutoCorrectIndex.reserve(static_cast<size_t>(FAutoCorrectCount) + 256);
  for (int32_t v : FTable)
    if (v > 0) IndexEntry(FPool[static_cast<size_t>(v) - 1], v);
  FIndexesValid = true;
}

int TCustomDictionary::GetAddedCount() {
  BuildIndexes();
  return static_cast<int>(FAddedIndex.size());
}
int TCustomDictionary::GetExcludedCount() {
  BuildIndexes();
  return static_cast<int>(FExcludedIndex.size());
}
int TCustomDictionary::GetAutoCorrectCount() {
  BuildIndexes();
  return static_cast<int>(FAutoCorrectIndex.size());
}

void TCustomDictionary::GetEntryText(int32_t SlotValue, AnsiString& S) const {
  size_t len = 0;
  const char* p = EntryAt(SlotValue, &len);
  S = p ? AnsiString(p, len) : AnsiString();
}

bool TCustomDictionary::FindEntry(char Kind, const AnsiString& Word, int32_t& SlotValue,
                                  int& Index) {
  if (!FActive) SetActive(true);
  const uint32_t m = static_cast<uint32_t>(FTable.size());
  if (m < 1) return false;
  uint32_t i = DictionaryHash(Word.data(), Word.size(), m);
  const uint32_t step = DictionaryProbeStep(i);
  // At most one pass over the table: a table without empty slots cannot
  // make the search run on.
  for (uint32_t tries = 0; tries < m; ++tries) {
    const int32_t v = FTable[i];
    if (v == 0) return false;
    if (v > 0) {
      size_t len = 0;
      const char* e = EntryAt(v, &len);
      if (e && len == Word.size() && std::memcmp(e, Word.data(), len) == 0) {
        SlotValue = v;
        Index = static_cast<int>(i);
        return Kind == '*' || FPool[static_cast<size_t>(v) - 1] == Kind;
      }
    }
    i = static_cast<uint32_t>((static_cast<uint64_t>(i) + step) % m);
  }
  return false;
}

void TCustomDictionary::AppendToPool(const char* Data, int Length) {
  FPool.append(Data, static_cast<size_t>(Length));
}

void TCustomDictionary::InsertIntoTable(std::vector<int32_t>& Table, const char* Key,
                                        size_t KeyLength, int32_t SlotValue) {
  const uint32_t m = static_cast<uint32_t>(Table.size());
  uint32_t i = DictionaryHash(Key, KeyLength, m);
  if (Table[i] > 0) {
    const uint32_t step = DictionaryProbeStep(i);
    uint32_t tries = 0;
    while (Table[i] != 0 && tries++ < m) i = static_cast<uint32_t>((static_cast<uint64_t>(i) + step) % m);
    if (Table[i] != 0) {  // no empty slot on the path: take a removed one
      for (uint32_t k = 0; k < m; ++k)
        if (Table[k] <= 0) {
          i = k;
          break;
        }
    }
  }
  if (&Table == &FTable && Table[i] == -1) --FRemovedCount;
  Table[i] = SlotValue;
}

void TCustomDictionary::Rebuild(uint32_t Size) {
  std::vector<int32_t> table(Size, 0);
  for (int32_t v : FTable) {
    if (v <= 0) continue;
    size_t len = 0;
    const char* e = EntryAt(v, &len);
    if (e) InsertIntoTable(table, e, len, v);
  }
  FTable = std::move(table);
  FRemovedCount = 0;
  FIndexesValid = false;
}

void TCustomDictionary::AddToTable(const AnsiString& Word, int32_t SlotValue) {
  const uint32_t m = static_cast<uint32_t>(FTable.size());
  if (static_cast<uint64_t>(FEntryCount) * 4 >= m) {
    if (uint32_t next = NextTableSize(m)) Rebuild(next);
  } else if (static_cast<uint64_t>(FEntryCount + FRemovedCount) * 4 >= m) {
    // Removed slots count against the fill, so a table never runs out of
    // empty slots however often words are removed and added.
    Rebuild(m);
  }
  if (!FTable.empty()) InsertIntoTable(FTable, Word.data(), Word.size(), SlotValue);
}

bool TCustomDictionary::AddEntry(char Kind, const AnsiString& Word, const AnsiString& Replacement) {
  if (!FActive) SetActive(true);
  if (Word.size() + Replacement.size() > kSpuMaxPair) return false;
  std::string entry(1, Kind);
  entry += Word;
  entry += '\0';
  if (Kind == 'A') {
    entry += Replacement;
    entry += '\0';
  }
  int32_t slot = 0;
  int index = 0;
  // Entries are one line each: the editor lists them so and a learned line
  // break would split every later paragraph it is offered for. A pair that
  // replaces a word with nothing would delete it from the text.
  if (Word.empty() || Word.find('\0') != AnsiString::npos || HasLineBreak(Word) || HasLineBreak(Replacement) ||
      IsInvisibleText(SpellWordToText(Word)) ||
      (Kind == 'A' && IsUnusableReplacement(Replacement)) || FindEntry('*', Word, slot, index))
    return false;
  if (FPool.size() + entry.size() >= 0x7FFFFFFF) return false;
  const int32_t slotValue = static_cast<int32_t>(FPool.size()) + 1;
  AppendToPool(entry.data(), static_cast<int>(entry.size()));
  ++FEntryCount;
  AddToTable(Word, slotValue);
  if (FIndexesValid) IndexEntry(Kind, slotValue);
  return true;
}

bool TCustomDictionary::RemoveEntry(char Kind, const AnsiString& Word) {
  int32_t slot = 0;
  int index = 0;
  if (!FindEntry(Kind, Word, slot, index)) return false;
  FTable[static_cast<size_t>(index)] = -1;
  --FEntryCount;
  ++FRemovedCount;
  FIndexesValid = false;
  return true;
}

std::unique_ptr<TCustomDictionary> TCustomDictionary::CreateNew() {
  return std::make_unique<TCustomDictionary>();
}

bool TCustomDictionary::Save() {
  if (!FModified || !FHasFileName) return true;
  if (!CheckFile(FFileName, nullptr)) return false;
  const TFileStamp now = FileExists(FFileName) ? StampOf(FFileName) : FFileDate;
  bool ok;
  if (now == FFileDate) {
    ok = SaveToFile(FFileName);
  } else {
    // Another writer changed the file: load it as it is now and replay our
    // changes on it, in the order they were made.
    auto fresh = CreateNew();
    ok = fresh->SetFileName(FFileName);
    if (ok) {
      fresh->SetActive(true);
      for (const auto& p : FPending) {
        if (p.Op == '+') {
          if (p.Kind == 'I') fresh->AddWord(p.Word);
          else if (p.Kind == 'E') fresh->AddExcludedWord(p.Word);
          else fresh->AddAutoCorrect(p.Word, p.Replacement);
        } else {
          if (p.Kind == 'I') fresh->RemoveWord(p.Word);
          else if (p.Kind == 'E') fresh->RemoveExcludedWord(p.Word);
          else fresh->RemoveAutoCorrect(p.Word);
        }
      }
      ok = fresh->Save();
      if (ok) fresh->SetModified(false);
    }
  }
  if (!ok) return false;
  FModified = false;
  FPending.clear();
  return true;
}

bool TCustomDictionary::SaveAs(const String& FileName) {
  if (!FActive) SetActive(true);
  return SaveToFile(FileName);
}

void TCustomDictionary::GetAddedWord(int Index, AnsiString& Word) {
  BuildIndexes();
  Word.clear();
  if (Index >= 0 && Index < static_cast<int>(FAddedIndex.size())) GetEntryText(FAddedIndex[Index], Word);
}

void TCustomDictionary::GetExcludedWord(int Index, AnsiString& Word) {
  BuildIndexes();
  Word.clear();
  if (Index >= 0 && Index < static_cast<int>(FExcludedIndex.size()))
    GetEntryText(FExcludedIndex[Index], Word);
}

void TCustomDictionary::GetAutoCorrect(int Index, AnsiString& Replacement, AnsiString& Word) {
  BuildIndexes();
  Word.clear();
  Replacement.clear();
  if (Index < 0 || Index >= static_cast<int>(FAutoCorrectIndex.size())) return;
  const int32_t v = FAutoCorrectIndex[Index];
  GetEntryText(v, Word);
  // The replacement follows the word's terminator; it has no kind byte of
  // its own, so it is read straight from the pool.
  const size_t start = static_cast<size_t>(v) + Word.size() + 1;
  if (start >= FPool.size()) return;
  const void* end = std::memchr(FPool.data() + start, 0, FPool.size() - start);
  if (end) Replacement.assign(FPool.data() + start, static_cast<const char*>(end) - (FPool.data() + start));
}

bool TCustomDictionary::IsAddedWord(const AnsiString& Word) {
  int32_t s = 0;
  int i = 0;
  return FindEntry('I', Word, s, i);
}

bool TCustomDictionary::IsExcludedWord(const AnsiString& Word) {
  int32_t s = 0;
  int i = 0;
  return FindEntry('E', Word, s, i);
}

bool TCustomDictionary::FindAutoCorrect(const AnsiString& Word, AnsiString& Replacement) {
  int32_t s = 0;
  int i = 0;
  if (!FindEntry('A', Word, s, i)) return false;
  const size_t at = static_cast<size_t>(s) + Word.size() + 1;
  const char* p = FPool.data() + at;
  Replacement.assign(p, strnlen(p, FPool.size() - at));
  return true;
}

void TCustomDictionary::Record(char Op, char Kind, const AnsiString& Word,
                               const AnsiString& Replacement) {
  if (FHasFileName) FPending.push_back({Op, Kind, Word, Replacement});
  FModified = true;
}

bool TCustomDictionary::AddWord(const AnsiString& Word) {
  if (!AddEntry('I', Word, "")) return false;
  Record('+', 'I', Word, "");
  ++FAddedCount;
  return true;
}

bool TCustomDictionary::AddExcludedWord(const AnsiString& Word) {
  if (!AddEntry('E', Word, "")) return false;
  Record('+', 'E', Word, "");
  ++FExcludedCount;
  return true;
}

bool TCustomDictionary::AddAutoCorrect(const AnsiString& Word, const AnsiString& Replacement) {
  if (!AddEntry('A', Word, Replacement)) return false;
  Record('+', 'A', Word, Replacement);
  ++FAutoCorrectCount;
  return true;
}

bool TCustomDictionary::RemoveWord(const AnsiString& Word) {
  if (!RemoveEntry('I', Word)) return false;
  Record('-', 'I', Word, "");
  --FAddedCount;
  return true;
}

bool TCustomDictionary::RemoveExcludedWord(const AnsiString& Word) {
  if (!RemoveEntry('E', Word)) return false;
  Record('-', 'E', Word, "");
  --FExcludedCount;
  return true;
}

bool TCustomDictionary::RemoveAutoCorrect(const AnsiString& Word) {
  if (!RemoveEntry('A', Word)) return false;
  Record('-', 'A', Word, "");
  --FAutoCorrectCount;
  return true;
}

void TCustomDictionary::Clear() {
  if (!FActive) SetActive(true);
  ResetContents();
  FPending.clear();
}

#include "platform/base/IniFiles.h"

#include <unordered_set>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <mutex>
#include <set>

namespace fs = std::filesystem;

namespace {

// Open INI objects by file, so that one flushes its pending writes before
// another one of the same file looks at the disk.
std::mutex gOpenMutex;
std::map<String, std::set<void*>>& OpenFiles() {
  static std::map<String, std::set<void*>> files;
  return files;
}

String StripQuotes(const String& v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

}  // namespace

TIniFile::TIniFile(const String& FileName) : FFileName(FileName) {
  std::error_code ec;
  FKey = fs::absolute(fs::u8path(FileName), ec).lexically_normal().string();
  if (ec) FKey = FileName;
  {
    std::lock_guard<std::mutex> lock(gOpenMutex);
    OpenFiles()[FKey].insert(this);
  }
  Sync();
}

TIniFile::~TIniFile() {
  try {
    Flush();
  } catch (...) {
    // Destructors cannot report; UpdateFile is the way to see failures.
  }
  std::lock_guard<std::mutex> lock(gOpenMutex);
  auto it = OpenFiles().find(FKey);
  if (it != OpenFiles().end()) {
    it->second.erase(this);
    if (it->second.empty()) OpenFiles().erase(it);
  }
}

TIniFile::TIdentity TIniFile::CurrentIdentity() const {
  TIdentity id;
  struct stat st;
  if (::stat(FFileName.c_str(), &st) == 0) {
    id.Exists = true;
    id.Size = st.st_size;
    id.MTimeNs = static_cast<Int64>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    id.Inode = st.st_ino;
  }
  return id;
}

void TIniFile::Sync() {
  std::vector<TIniFile*> others;
  {
    std::lock_guard<std::mutex> lock(gOpenMutex);
    auto it = OpenFiles().find(FKey);
    if (it != OpenFiles().end())
      for (void* p : it->second)
        if (p != this) others.push_back(static_cast<TIniFile*>(p));
  }
  for (TIniFile* o : others) {
    if (!o->FDirty) continue;
    try {
      o->Flush();
    } catch (const Exception&) {
      // The other object keeps its changes and reports them at its UpdateFile.
    }
  }
  if (FDirty) return;
  const TIdentity id = CurrentIdentity();
  if (id != FIdentity || FLines.empty()) Load();
}

TIniFile::TLine TIniFile::ParseLine(const String& raw) {
  TLine line;
  line.Raw = raw;
  const String t = Trim(raw);
  if (t.empty() || t[0] == ';') return line;
  if (t[0] == '[') {
    const size_t close = t.find(']');
    line.Kind = lkSection;
    line.Name = Trim(t.substr(1, close == String::npos ? String::npos : close - 1));
    return line;
  }
  const size_t eq = t.find('=');
  if (eq == String::npos) return line;
  line.Kind = lkKey;
  line.Name = Trim(t.substr(0, eq));
  line.Value = StripQuotes(Trim(t.substr(eq + 1)));
  if (line.Name.empty()) line.Kind = lkOther;
  return line;
}

namespace {
// The name as CompareText compares it.
String SectionKey(const String& name) {
  String k = Trim(name);
  for (char& c : k)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return k;
}
}  // namespace

void TIniFile::Load() {
  FLines.clear();
  LinesChanged();
  FBom = false;
  FIdentity = CurrentIdentity();
  FTooLarge = FIdentity.Size > LargestSettingsFile;
  if (!FIdentity.Exists || FTooLarge) return;
  String data;
  try {
    data = LoadBytesFromFile(FFileName);
  } catch (const EStreamError&) {
    return;  // unreadable: reads give the defaults, as with the platform
  }
  if (data.size() >= 3 && data.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    FBom = true;
    data.erase(0, 3);
  }
  size_t i = 0;
  while (i < data.size()) {
    size_t j = i;
    while (j < data.size() && data[j] != '\r' && data[j] != '\n') ++j;
    FLines.push_back(ParseLine(data.substr(i, j - i)));
    if (j < data.size() && data[j] == '\r') ++j;
    if (j < data.size() && data[j] == '\n') ++j;
    i = j;
  }
}

bool TIniFile::TooLarge() {
  Sync();
  return FTooLarge;
}

void TIniFile::BeginChange() {
  Sync();
  if (FTooLarge) throw EIniFileException("Unable to write to " + FFileName + ": it is larger than any settings file");
  if (!FWritableChecked) {
    // Find out now whether the file can be written, so the caller hears of
    // it from the write rather than never; asked as the write will be made,
    // with the process's effective rights.
    auto writable = [](const char* path) { return ::faccessat(AT_FDCWD, path, W_OK, AT_EACCESS) == 0; };
    const String dir = ExtractFilePath(FFileName);
    bool ok = DirectoryExists(dir.empty() ? String(".") : dir) && writable(dir.empty() ? "." : dir.c_str());
    if (ok && FileExists(FFileName)) ok = writable(FFileName.c_str());
    if (!ok) throw EIniFileException("Unable to write to " + FFileName);
    FWritableChecked = true;
  }
}

void TIniFile::Flush() {
  if (!FDirty) return;
  String out;
  if (FBom) out = "\xEF\xBB\xBF";
  for (const TLine& l : FLines) {
    out += l.Raw;
    out += "\r\n";
  }
  try {
    SaveBytesAtomically(FFileName, out, OwnerOnly);
  } catch (const EStreamError&) {
    throw EIniFileException("Unable to write to " + FFileName);
  }
  FDirty = false;
  FIdentity = CurrentIdentity();
}

void TIniFile::UpdateFile() { Flush(); }

int TIniFile::FindSection(const String& Section) const {
  if (!FIndexValid) {
    FSectionIndex.clear();
    for (size_t i = 0; i < FLines.size(); ++i)
      if (FLines[i].Kind == lkSection) FSectionIndex.emplace(SectionKey(FLines[i].Name), static_cast<int>(i));
    FIndexValid = true;
  }
  const auto it = FSectionIndex.find(SectionKey(Section));
  return it == FSectionIndex.end() ? -1 : it->second;
}

int TIniFile::SectionEnd(int header) const {
  size_t i = static_cast<size_t>(header) + 1;
  while (i < FLines.size() && FLines[i].Kind != lkSection) ++i;
  return static_cast<int>(i);
}

int TIniFile::FindKey(const String& Section, const String& Ident) const {
  const int h = FindSection(Section);
  if (h < 0) return -1;
  const int end = SectionEnd(h);
  const String key = Trim(Ident);
  for (int i = h + 1; i < end; ++i)
    if (FLines[static_cast<size_t>(i)].Kind == lkKey && SameText(FLines[static_cast<size_t>(i)].Name, key)) return i;
  return -1;
}

bool TIniFile::SectionExists(const String& Section) {
  Sync();
  const int h = FindSection(Section);
  if (h < 0) return false;
  const int end = SectionEnd(h);
  for (int i = h + 1; i < end; ++i)
    if (FLines[static_cast<size_t>(i)].Kind == lkKey) return true;
  return false;
}

bool TIniFile::ValueExists(const String& Section, const String& Ident) {
  Sync();
  return FindKey(Section, Ident) >= 0;
}

String TIniFile::ReadString(const String& Section, const String& Ident, const String& Default) {
  Sync();
  const int k = FindKey(Section, Ident);
  return k < 0 ? Default : FLines[static_cast<size_t>(k)].Value;
}

void TIniFile::WriteString(const String& Section, const String& Ident, const String& Value) {
  BeginChange();
  const String key = Trim(Ident);
  String value = OneLine(Value);
  // Reading trims the value and strips one pair of quotes: a value that would
  // lose something that way is written quoted.
  if (!value.empty() && (std::isspace(static_cast<unsigned char>(value.front())) ||
                         std::isspace(static_cast<unsigned char>(value.back())) || StripQuotes(value) != value))
    value = "\"" + value + "\"";
  const int k = FindKey(Section, key);
  FDirty = true;
  if (k >= 0) {
    // In its place: no line moves.
    FLines[static_cast<size_t>(k)] = ParseLine(FLines[static_cast<size_t>(k)].Name + "=" + value);
    return;
  }
  const TLine line = ParseLine(key + "=" + value);
  const int h = FindSection(Section);
  if (h < 0) {
    FLines.push_back(ParseLine("[" + Trim(Section) + "]"));
    FLines.push_back(line);
    FSectionIndex.emplace(SectionKey(FLines[FLines.size() - 2].Name), static_cast<int>(FLines.size()) - 2);
    return;
  }
  // After the section's last key, before any blank lines that end it.
  int pos = h + 1;
  const int end = SectionEnd(h);
  for (int i = h + 1; i < end; ++i)
    if (FLines[static_cast<size_t>(i)].Kind == lkKey) pos = i + 1;
  FLines.insert(FLines.begin() + pos, line);
  LinesMoved(pos, 1);
}

Integer TIniFile::ReadInteger(const String& Section, const String& Ident, Integer Default) {
  return StrToIntDef(ReadString(Section, Ident, String()), Default);
}

void TIniFile::WriteInteger(const String& Section, const String& Ident, Integer Value) {
  WriteString(Section, Ident, IntToStr(Value));
}

bool TIniFile::ReadBool(const String& Section, const String& Ident, bool Default) {
  return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TIniFile::WriteBool(const String& Section, const String& Ident, bool Value) {
  WriteString(Section, Ident, Value ? "1" : "0");
}

double TIniFile::ReadFloat(const String& Section, const String& Ident, double Default) {
  return StrToFloatDef(ReadString(Section, Ident, String()), Default);
}

void TIniFile::WriteFloat(const String& Section, const String& Ident, double Value) {
  WriteString(Section, Ident, FloatToStr(Value));
}

Integer TIniFile::ReadBinaryStream(const String& Section, const String& Ident, TStream& Value) {
  const String text = ReadString(Section, Ident, String());
  AnsiString bytes;
  auto hex = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  for (size_t i = 0; i + 1 < text.size(); i += 2) {
    const int hi = hex(text[i]), lo = hex(text[i + 1]);
    if (hi < 0 || lo < 0) break;
    bytes.push_back(static_cast<char>(hi * 16 + lo));
  }
  Value.WriteBytes(bytes);
  return static_cast<Integer>(bytes.size());
}

void TIniFile::WriteBinaryStream(const String& Section, const String& Ident, TStream& Value) {
  static const char kHex[] = "0123456789ABCDEF";
  const AnsiString bytes = Value.ReadBytes(std::max<Int64>(0, Value.Remaining()));
  String text;
  text.reserve(bytes.size() * 2);
  for (char c : bytes) {
    text.push_back(kHex[static_cast<Byte>(c) >> 4]);
    text.push_back(kHex[static_cast<Byte>(c) & 15]);
  }
  WriteString(Section, Ident, text);
}

void TIniFile::ReadSection(const String& Section, TStrings& Strings) {
  Sync();
  Strings.BeginUpdate();
  Strings.Clear();
  const int h = FindSection(Section);
  if (h >= 0) {
    const int end = SectionEnd(h);
    for (int i = h + 1; i < end; ++i)
      if (FLines[static_cast<size_t>(i)].Kind == lkKey) Strings.Add(FLines[static_cast<size_t>(i)].Name);
  }
  Strings.EndUpdate();
}

void TIniFile::ReadSections(TStrings& Strings) {
  Sync();
  Strings.BeginUpdate();
  Strings.Clear();
  std::unordered_set<String> seen;
  for (const TLine& l : FLines) {
    if (l.Kind != lkSection) continue;
    if (!seen.insert(SectionKey(l.Name)).second) continue;
    Strings.Add(l.Name);
  }
  Strings.EndUpdate();
}

void TIniFile::ReadSectionValues(const String& Section, TStrings& Strings) {
  Sync();
  Strings.BeginUpdate();
  Strings.Clear();
  const int h = FindSection(Section);
  if (h >= 0) {
    const int end = SectionEnd(h);
    for (int i = h + 1; i < end; ++i) {
      const TLine& l = FLines[static_cast<size_t>(i)];
      if (l.Kind == lkKey) Strings.Add(l.Name + "=" + l.Value);
    }
  }
  Strings.EndUpdate();
}

void TIniFile::EraseSection(const String& Section) {
  BeginChange();
  for (int h = FindSection(Section); h >= 0; h = FindSection(Section)) {
    const int end = SectionEnd(h);
    FLines.erase(FLines.begin() + h, FLines.begin() + end);
    FDirty = true;
  LinesChanged();
  }
}

void TIniFile::DeleteKey(const String& Section, const String& Ident) {
  BeginChange();
  const int k = FindKey(Section, Ident);
  if (k < 0) return;
  FLines.erase(FLines.begin() + k);
  FDirty = true;
  LinesMoved(k, -1);
}

// A file of many sections is written to without finding them all again:
// the sections after a line put in or taken out move with it.
void TIniFile::LinesMoved(int from, int by) {
  if (!FIndexValid) return;
  for (auto& [name, line] : FSectionIndex)
    if (line >= from) line += by;
}

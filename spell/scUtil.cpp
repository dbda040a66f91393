#include "spell/scUtil.h"

#include "platform/base/CodePages.h"
#include "platform/base/IniFiles.h"
#include "platform/base/Streams.h"
#include "platform/base/SysUtils.h"
#include "platform/gui/CharKinds.h"
#include "platform/gui/FormMonitor.h"
#include "platform/gui/Forms.h"
#include "platform/os/FolderMacros.h"
#include "platform/os/SysPaths.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

void ReplaceMacro(const String& Macro, const String& Value, const String& S, String& Result) {
  auto p = S.find(Macro);
  if (p == String::npos || Macro.empty()) {
    Result = S;
    return;
  }
  Result = S.substr(0, p) + Value + S.substr(p + Macro.size());
}

String SpellUserName() {
  String n = GetLoginName();
  if (n.size() > 256) n.resize(256);
  return n.empty() ? String("default") : n;
}

void GetSpecialFolder(int Folder, String& Path) {
  switch (Folder) {
    case CSIDL_APPDATA: Path = GetDataFolder(); break;
    case CSIDL_CONFIG: Path = GetUserConfigFolder(); break;
    case CSIDL_PERSONAL: Path = GetDocumentsFolder(); break;
    default: Path.clear();
  }
  while (Path.size() > 1 && Path.back() == '/') Path.pop_back();
}

void ExpandPathMacros(const String& S, String& Result) {
  String r;
  ReplaceMacro("%AppName%", GetProgramName(), S, r);
  if (S.find("%UserName%") != String::npos) ReplaceMacro("%UserName%", SpellUserName(), r, r);
  ReplaceMacro("%AppDir%", GetProgramDataFolder(), r, r);
  if (S.find("%AppData%") != String::npos) {
    String folder;
    GetSpecialFolder(CSIDL_APPDATA, folder);
    ReplaceMacro("%AppData%", folder.empty() ? GetProgramFolder() : folder, r, r);
  }
  if (S.find("%AppConfig%") != String::npos) {
    String folder;
    GetSpecialFolder(CSIDL_CONFIG, folder);
    ReplaceMacro("%AppConfig%", folder.empty() ? GetProgramFolder() : folder, r, r);
  }
  if (S.find("%MyDocuments%") != String::npos) {
    String folder;
    GetSpecialFolder(CSIDL_PERSONAL, folder);
    ReplaceMacro("%MyDocuments%", folder, r, r);
  }
  String env;
  Result = ExpandEnvironmentStrings(r, env) ? env : r;
}

String ExpandPathMacros(const String& S) {
  String r;
  ExpandPathMacros(S, r);
  return r;
}

String CustomDictionaryFileName(const String& Name) {
  if (Name.empty() || Name.front() == '.') return String();
  for (unsigned char c : Name)
    if (c == '/' || c == '\\') return String();
  const size_t dot = Name.rfind('.');
  const String file = (dot == String::npos ? Name : Name.substr(0, dot)) + ".spu";
  return IsStorableDictionaryName(file) && file.size() <= kMostDictionaryFileName ? file : String();
}

bool IsStorableDictionaryName(const String& Name) {
  if (Name.empty() || !IsUtf8(Name) || Name.front() == ' ' || Name.back() == ' ') return false;
  for (unsigned char c : Name)
    if (c < 0x20 || c == 0x7F) return false;
  const char f = Name.front();
  return !(Name.size() >= 2 && (f == '"' || f == '\'') && Name.back() == f);
}

namespace {
// Name on one line of a message: each control character as a visible mark.
String ShownName(const String& Name) {
  String shown;
  for (unsigned char c : Name) shown += c < 0x20 || c == 0x7F ? String("\u2423") : String(1, static_cast<char>(c));
  return shown;
}
}  // namespace

// The reason comes first and the name after it, on a line of its own: a
// long name wraps without pushing the reason out of sight.
String DictionaryFolderRefusedText(const String& Folder) {
  return "This dictionary folder cannot be used: the spelling settings keep only folder names without line "
         "breaks or other control characters, spaces at either end or quotes around them.\r\n\r\n" +
         ShownName(Folder);
}

String DictionaryFileRefusedText(const String& FileName) {
  if (TooLargeToRead(FileName)) return TooLargeFileText("dictionary file", "dictionary", FileName, "spelling goes on without it");
  // What is no file at all (a named pipe, a folder), or one that may not be
  // read, is named for what it is.
  struct stat st {};
  if (const String problem = ::stat(FileName.c_str(), &st) == 0 ? RegularFileProblem(FileName) : String();
      !problem.empty())
    return "This dictionary file cannot be used: " + problem + ". Spelling goes on without it.\r\n\r\n" + FileName;
  return "This dictionary file is damaged or is not a dictionary. Spelling goes on without it.\r\n\r\n" + FileName;
}

String SettingsFileRefusedText(const String& FileName) {
  return TooLargeFileText("spelling settings file", "settings file", FileName, "spelling goes on with the standard settings");
}

bool TooLargeToRead(const String& FileName) {
  struct stat st {};
  return ::stat(FileName.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > LargestSettingsFile;
}

String TooLargeFileText(const String& Named, const String& Any, const String& FileName, const String& Instead) {
  return "The " + Named + "\r\n" + FileName + "\r\nis larger than " + IntToStr(LargestSettingsFile >> 20) +
         " MB, larger than any " + Any + " could be. It is neither read nor written; " + Instead + ".";
}

String DictionaryNameRefusedText(const String& Name) {
  const String shown = ShownName(Name);
  const size_t dot = Name.rfind('.');
  if (IsStorableDictionaryName(Name) && (dot == String::npos ? Name.size() : dot) + 4 > kMostDictionaryFileName)
    return "This dictionary name is too long: a dictionary name has at most " +
           std::to_string(kMostDictionaryFileName - 4) +
           " letters (fewer where letters outside the basic Latin alphabet take more room in a file name)."
           "\r\n\r\n" + shown;
  return "This dictionary name cannot be used: the spelling settings keep only plain file names, without a "
         "slash, a leading dot, line breaks or other control characters, spaces at either end or quotes around "
         "them.\r\n\r\n" + shown;
}

bool CanCreateFile(const String& FileName, bool DeleteOnClose) {
  if (FileName.empty()) return false;
  int fd = ::open(FileName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd >= 0) {
    ::close(fd);
    if (DeleteOnClose) ::unlink(FileName.c_str());
    return true;
  }
  if (errno != EEXIST) return false;
  fd = ::open(FileName.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

void ForceFolders(const String& Path) {
  if (Path.empty() || DirectoryExists(Path)) return;
  String p = Path;
  while (p.size() > 1 && (p.back() == '/' || p.back() == '\\')) p.pop_back();
  auto slash = p.find_last_of("/\\");
  if (p.size() > 2 && slash != String::npos && slash > 0) {
    String parent = p.substr(0, slash);
    if (parent != p) ForceFolders(parent);
  }
  // The folders of the user's dictionaries and settings hold their words.
  ::mkdir(p.c_str(), 0700);
}

bool IsRegularFile(const String& FileName) {
  struct stat st {};
  return ::stat(FileName.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

void ForcePrivateFolder(const String& Path) {
  ForceFolders(Path);
  String p = Path;
  while (p.size() > 1 && p.back() == '/') p.pop_back();
  // An existing folder is closed to others only when it is the program's
  // own, inside the configuration or data folder: a folder the user chose
  // for a dictionary elsewhere keeps the access they gave it.
  bool own = false;
  for (int folder : {CSIDL_CONFIG, CSIDL_APPDATA}) {
    String base;
    GetSpecialFolder(folder, base);
    own = own || (!base.empty() && p.size() > base.size() + 1 && p.compare(0, base.size() + 1, base + "/") == 0);
  }
  if (!own) return;
  struct stat st {};
  if (::lstat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() && (st.st_mode & 077) != 0)
    ::chmod(p.c_str(), st.st_mode & 0700);
}

TPoint PlaceRect(const TRect& M, int X, int Y, int Width, int Height) {
  X = std::max(X, M.Left);
  Y = std::max(Y, M.Top);
  if (X + Width > M.Right) X = M.Right - Width;
  if (Y + Height > M.Bottom) Y = M.Bottom - Height;
  return {X, Y};
}

TPoint PlaceRectBeside(const TRect& M, const TRect& F, const TRect& R, bool Horizontal,
                       bool Vertical) {
  int x = F.Left, y = F.Top;
  if (Horizontal) x = R.Left + F.Width() > M.Right ? M.Right - F.Width() : R.Left;
  if (Vertical) y = R.Bottom + F.Height() > M.Bottom ? R.Top - F.Height() : R.Bottom;
  return PlaceRect(M, x, y, F.Width(), F.Height());
}

TRect FrameRectOf(TCustomForm* Form, const TRect& Margins) {
  const TRect b = Form->BoundsRect();
  return TRect(b.Left - Margins.Left, b.Top - Margins.Top, b.Right + Margins.Right, b.Bottom + Margins.Bottom);
}

// X, Y are where the window's client area goes; the whole frame stays on
// the monitor.
void PlaceDialog(TCustomForm* Form, int X, int Y) {
  if (!Form) return;
  Form->PlaceByFrame([Form, X, Y](const TRect& m) {
    const int w = Form->GetWidth(), h = Form->GetHeight();
    const TPoint p = PlaceRect(MonitorBoundsOf(Form), X - m.Left, Y - m.Top, w + m.Left + m.Right, h + m.Top + m.Bottom);
    Form->SetBounds(p.X + m.Left, p.Y + m.Top, w, h);
  });
}

void PlaceFrameBeside(TCustomForm* Form, const TRect& Margins, const TRect& R, bool Horizontal, bool Vertical) {
  const TPoint p = PlaceRectBeside(MonitorBoundsOf(Form), FrameRectOf(Form, Margins), R, Horizontal, Vertical);
  Form->SetBounds(p.X + Margins.Left, p.Y + Margins.Top, Form->GetWidth(), Form->GetHeight());
}

// Beside R by the whole frame, so that the title bar does not cover R.
void PlaceDialogBeside(TCustomForm* Form, const TRect& R, bool Horizontal, bool Vertical) {
  if (!Form) return;
  Form->PlaceByFrame(
      [Form, R, Horizontal, Vertical](const TRect& m) { PlaceFrameBeside(Form, m, R, Horizontal, Vertical); });
}

void GetLibraryVersion(String& S) { S = "1.0"; }

void TEventList::Add(const void* Key, THandler Handler) {
  FItems.push_back({Key, std::make_shared<THandler>(std::move(Handler))});
}

void TEventList::Remove(const void* Key) {
  auto it = std::find_if(FItems.begin(), FItems.end(), [&](const TItem& i) { return i.Key == Key; });
  if (it != FItems.end()) FItems.erase(it);
}

void TEventList::Fire(TObject* Sender) {
  // A handler may remove itself; the copy keeps the walk valid.
  auto items = FItems;
  for (auto& i : items)
    if (*i.Handler) (*i.Handler)(Sender);
}

int EditDistance(const AnsiString& A, const AnsiString& B) {
  const int la = static_cast<int>(A.size()), lb = static_cast<int>(B.size());
  if (la >= 255 || lb >= 255) return std::max(la, lb);
  // Byte-sized cells, one row at a time.
  Byte prev[256], cur[256];
  for (int j = 0; j <= lb; ++j) prev[j] = static_cast<Byte>(j);
  for (int i = 1; i <= la; ++i) {
    cur[0] = static_cast<Byte>(i);
    for (int j = 1; j <= lb; ++j) {
      int cost = A[i - 1] == B[j - 1] ? 0 : 1;
      cur[j] = static_cast<Byte>(std::min({prev[j] + 1, cur[j - 1] + 1, prev[j - 1] + cost}));
    }
    std::copy(cur, cur + lb + 1, prev);
  }
  int dist = prev[lb];
  // A swap of neighbours at the same place in both words counts once.
  const int shorter = std::min(la, lb);
  for (int i = 2; i <= shorter; ++i) {
    if (A[i - 1] == B[i - 2] && A[i - 2] == B[i - 1] && A[i - 1] != A[i - 2] && dist > 0) {
      --dist;
      ++i;
    }
  }
  return dist;
}

namespace {
bool IsVowel(char c) {
  switch (SpellLowerChar(c)) {
    case 'a': case 'e': case 'i': case 'o': case 'u': case 'y': return true;
    default: return false;
  }
}
}  // namespace

namespace {
// A split form comes after every word of the dictionary.
constexpr int kEdit = 10, kDouble = 5, kVowel = 6, kSwap = 7, kVowelSwap = 3, kMove = 12, kFirst = 4,
              kSplit = 100, kApostrophe = 3, kSound = 6, kCase = 1;

// One sound written another common way ("k" for "ch", "ite" for "ight").
struct TSound {
  const char* Typed;
  int TypedLength;
  const char* Meant;
  int MeantLength;
};
constexpr TSound kSounds[] = {
    {"k", 1, "ch", 2},  {"k", 1, "c", 1},   {"c", 1, "k", 1},   {"s", 1, "c", 1},   {"c", 1, "s", 1},
    {"z", 1, "s", 1},   {"s", 1, "z", 1},   {"f", 1, "ph", 2},  {"ite", 3, "ight", 4}, {"w", 1, "wh", 2},
    {"sh", 2, "ti", 2}, {"j", 1, "g", 1},   {"g", 1, "j", 1},   {"er", 2, "or", 2}, {"or", 2, "er", 2}};
constexpr int kSoundCount = static_cast<int>(std::size(kSounds));
static_assert(kSoundCount <= 32);

// The sounds by their last letter: a place asks only those that end in its letter.
struct TSoundEnds {
  uint32_t Typed[256] = {}, Meant[256] = {};
  TSoundEnds() {
    for (int k = 0; k < kSoundCount; ++k) {
      Typed[static_cast<Byte>(kSounds[k].Typed[kSounds[k].TypedLength - 1])] |= 1u << k;
      Meant[static_cast<Byte>(kSounds[k].Meant[kSounds[k].MeantLength - 1])] |= 1u << k;
    }
  }
};
const TSoundEnds& SoundEnds() {
  static const TSoundEnds ends;
  return ends;
}

// Vowels by byte, whatever their case: the scoring asks of every letter.
struct TVowels {
  bool Is[256] = {};
  TVowels() {
    for (int c = 0; c < 256; ++c) Is[c] = IsVowel(static_cast<char>(c));
  }
};
const TVowels& Vowels() {
  static const TVowels vowels;
  return vowels;
}

bool EndsWith(const Byte* L, int End, const char* Part, int N) {
  if (End < N) return false;
  for (int k = 0; k < N; ++k)
    if (L[End - N + k] != static_cast<Byte>(Part[k])) return false;
  return true;
}

// A letter the other word lacks: cheap when it repeats a neighbour.
int Extra(const AnsiString& S, const Byte* L, int I) {
  const char c = S[static_cast<size_t>(I)];
  if (c == ' ' || c == '-') return kSplit;
  if (c == '\'' || c == '\x92') return kApostrophe;
  return L[I] == L[I - 1] || L[I] == L[I + 1] ? kDouble : kEdit;
}
}  // namespace

TSuggestionScorer::TSuggestionScorer(const AnsiString& Typed) : FTyped(Typed) {
  const int la = static_cast<int>(Typed.size());
  if (la >= 255) return;
  // In lower case once, with a blank on either side, so that the table's
  // inner loop compares bytes.
  const Byte* low = SpellLowerTable();
  FLower.assign(static_cast<size_t>(la) + 2, 0);
  for (int i = 0; i < la; ++i) FLower[static_cast<size_t>(i) + 1] = low[static_cast<Byte>(Typed[static_cast<size_t>(i)])];
  const Byte* const A = FLower.data() + 1;
  FEnds.assign(static_cast<size_t>(la) + 1, 0);
  FDrop.resize(static_cast<size_t>(la));
  FVowel.resize(static_cast<size_t>(la));
  const TSoundEnds& ends = SoundEnds();
  for (int i = 1; i <= la; ++i)
    for (uint32_t m = ends.Typed[A[i - 1]]; m; m &= m - 1) {
      const TSound& s = kSounds[std::countr_zero(m)];
      if (EndsWith(A, i, s.Typed, s.TypedLength)) FEnds[static_cast<size_t>(i)] |= 1u << std::countr_zero(m);
    }
  for (int i = 0; i < la; ++i) {
    FDrop[static_cast<size_t>(i)] = Extra(Typed, A, i);
    FVowel[static_cast<size_t>(i)] = IsVowel(Typed[static_cast<size_t>(i)]);
  }
}

int TSuggestionScorer::Cost(const AnsiString& Candidate) const {
  const AnsiString& Typed = FTyped;
  const int la = static_cast<int>(Typed.size()), lb = static_cast<int>(Candidate.size());
  if (la >= 255 || lb >= 255) return kEdit * std::max(la, lb);
  const Byte* low = SpellLowerTable();
  Byte tb[258];
  tb[0] = tb[lb + 1] = 0;
  for (int j = 0; j < lb; ++j) tb[j + 1] = low[static_cast<Byte>(Candidate[static_cast<size_t>(j)])];
  const Byte* const A = FLower.data() + 1;  // A[-1] and A[la] are 0
  const Byte* const B = tb + 1;
  // Every candidate of a list is scored: the table is kept between calls.
  thread_local std::vector<int> rows;
  rows.resize(static_cast<size_t>((la + 1) * (lb + 1)));
  int* const table = rows.data();
  auto cell = [table, lb](int i, int j) -> int& { return table[i * (lb + 1) + j]; };
  // Which sounds end at each place of the candidate.
  const TSoundEnds& ends = SoundEnds();
  uint32_t meantEnds[256];
  meantEnds[0] = 0;
  for (int j = 1; j <= lb; ++j) {
    uint32_t found = 0;
    for (uint32_t m = ends.Meant[B[j - 1]]; m; m &= m - 1) {
      const TSound& s = kSounds[std::countr_zero(m)];
      if (EndsWith(B, j, s.Meant, s.MeantLength)) found |= 1u << std::countr_zero(m);
    }
    meantEnds[j] = found;
  }
  // The candidate's letters as the inner loop asks of them, once.
  // A substitution of letters that differ beyond case: for a typed vowel
  // and for another letter.
  int extraB[256], subVowel[256], subOther[256];
  bool vowelB[256];
  const bool* vowel = Vowels().Is;
  for (int j = 0; j < lb; ++j) {
    const char b = Candidate[static_cast<size_t>(j)];
    extraB[j] = Extra(Candidate, B, j);
    vowelB[j] = vowel[static_cast<Byte>(b)];
    const bool blank = b == ' ' || b == '-';
    subVowel[j] = blank ? kSplit : vowelB[j] ? kVowel : kEdit;
    subOther[j] = blank ? kSplit : kEdit;
  }
  cell(0, 0) = 0;
  for (int j = 1; j <= lb; ++j) cell(0, j) = cell(0, j - 1) + extraB[j - 1];
  for (int i = 1; i <= la; ++i) {
    const int dropA = FDrop[static_cast<size_t>(i - 1)];
    cell(i, 0) = cell(i - 1, 0) + dropA;
    const char a = Typed[static_cast<size_t>(i - 1)];
    const Byte la1 = A[i - 1];
    const bool vowelA = FVowel[static_cast<size_t>(i - 1)];
    const uint32_t typedEnds = FEnds[static_cast<size_t>(i)];
    const bool blankA = a == ' ' || a == '-';
    const int* subRow = blankA ? nullptr : vowelA ? subVowel : subOther;
    for (int j = 1; j <= lb; ++j) {
      const char b = Candidate[static_cast<size_t>(j - 1)];
      const Byte lb1 = B[j - 1];
      const bool bothVowels = vowelA && vowelB[j - 1];
      const int sub = a == b ? 0 : la1 == lb1 ? kCase : subRow ? subRow[j - 1] : kSplit;
      int v = std::min({cell(i - 1, j) + dropA, cell(i, j - 1) + extraB[j - 1], cell(i - 1, j - 1) + sub});
      if (i >= 2 && j >= 2 && la1 == B[j - 2] && A[i - 2] == lb1 && la1 != lb1)
        v = std::min(v, cell(i - 2, j - 2) + (bothVowels ? kVowelSwap : kSwap));
      // A letter moved past two others ("rau" for "ura").
      if (i >= 3 && j >= 3) {
        const Byte x = A[i - 3], y = A[i - 2], p = B[j - 3], q = B[j - 2];
        if ((p == y && q == la1 && lb1 == x) || (p == la1 && q == x && lb1 == y))
          if (!(x == y && y == la1)) v = std::min(v, cell(i - 3, j - 3) + kMove);
      }
      for (uint32_t both = typedEnds & meantEnds[j]; both; both &= both - 1) {
        const TSound& s = kSounds[std::countr_zero(both)];
        v = std::min(v, cell(i - s.TypedLength, j - s.MeantLength) + kSound);
      }
      cell(i, j) = v;
    }
  }
  int cost = cell(la, lb);
  const bool swappedStart = la > 1 && lb > 1 && A[0] == B[1] && A[1] == B[0];
  if (la > 0 && lb > 0 && A[0] != B[0] && !swappedStart) cost += kFirst;
  return cost;
}

int SuggestionCost(const AnsiString& Typed, const AnsiString& Candidate) {
  return TSuggestionScorer(Typed).Cost(Candidate);
}

uint32_t DictionaryHash(const char* Key, size_t Length, uint32_t M) {
  if (M < 2) return 0;
  uint64_t h = 0, a = 31415;
  for (size_t i = 0; i < Length; ++i) {
    h = (a * h + static_cast<Byte>(Key[i])) % M;
    a = (a * 27183) % (M - 1);
  }
  return static_cast<uint32_t>(h);
}

namespace {
// The code page's case mapping as two byte tables, made once: look-ups
// and suggestions change the case of every candidate.
struct TCaseTables {
  Byte Upper[256], Lower[256];
  TCaseTables() {
    AnsiString all(256, '\0');
    for (int i = 0; i < 256; ++i) all[i] = static_cast<char>(i);
    const AnsiString up = AnsiUpperCase(all, 1252), low = AnsiLowerCase(all, 1252);
    for (int i = 0; i < 256; ++i) {
      Upper[i] = static_cast<Byte>(up[i]);
      Lower[i] = static_cast<Byte>(low[i]);
    }
  }
};
const TCaseTables& CaseTables() {
  static const TCaseTables t;
  return t;
}
}  // namespace

const Byte* SpellUpperTable() { return CaseTables().Upper; }
const Byte* SpellLowerTable() { return CaseTables().Lower; }

AnsiString SpellUpper(const AnsiString& S) {
  const Byte* t = SpellUpperTable();
  AnsiString r = S;
  for (char& c : r) c = static_cast<char>(t[static_cast<Byte>(c)]);
  return r;
}

AnsiString SpellLower(const AnsiString& S) {
  const Byte* t = SpellLowerTable();
  AnsiString r = S;
  for (char& c : r) c = static_cast<char>(t[static_cast<Byte>(c)]);
  return r;
}

bool IsAllUpper(const AnsiString& S) {
  const Byte* t = SpellUpperTable();
  for (char c : S)
    if (t[static_cast<Byte>(c)] != static_cast<Byte>(c)) return false;
  return true;
}

bool IsAllLower(const AnsiString& S) {
  const Byte* t = SpellLowerTable();
  for (char c : S)
    if (t[static_cast<Byte>(c)] != static_cast<Byte>(c)) return false;
  return true;
}

AnsiString StraightApostrophes(const AnsiString& S) { return ApostrophesAs(S, '\''); }

AnsiString ApostrophesAs(const AnsiString& S, char Apostrophe) {
  AnsiString r = S;
  for (char& c : r)
    if (IsApostrophe(c)) c = Apostrophe;
  return r;
}

AnsiString SpellTextFromWide(const WideString& W) {
  WideString w = W;
  for (char16_t& c : w)
    if (c == u'\u02BC') c = u'\u2019';
  return WideToAnsi(w, 1252);
}

bool IsSpellLetter(char C) {
  return SpellUpperChar(C) != SpellLowerChar(C) || C == '\xDF' || C == '\xFF' || C == kForeignLetter;
}

bool IsForeignLetterUnit(char16_t U) {
  // Half a surrogate pair says nothing by itself: SpellBytesOfUnits looks
  // at the pair.
  return !(U >= 0xD800 && U <= 0xDFFF) && IsWordCharacter(U);
}

namespace {
struct TUnitBytes {
  char Byte[0x10000];
  TUnitBytes() {
    for (int u = 0; u < 0x10000; ++u) Byte[u] = IsForeignLetterUnit(static_cast<char16_t>(u)) ? kForeignLetter : '?';
    for (int b = 0; b < 0x100; ++b) {
      const WideString w = AnsiToWide(AnsiString(1, static_cast<char>(b)), 1252);
      if (w.size() == 1 && (w[0] != u'?' || b == '?')) Byte[w[0]] = static_cast<char>(b);
    }
    // 1252 leaves these bytes undefined: their control characters are no
    // text, and the marker must never come from the text itself.
    for (char16_t u : {u'\u0081', u'\u008D', u'\u008F', u'\u0090', u'\u009D'}) Byte[u] = '?';
    Byte[0x02BC] = kTypographicApostrophe;
  }
};
const TUnitBytes& UnitBytes() {
  static const TUnitBytes t;
  return t;
}
}  // namespace

char SpellByteOfUnit(char16_t U) { return UnitBytes().Byte[U]; }

void SpellBytesOfUnits(const char16_t* W, size_t N, char* Out) {
  for (size_t i = 0; i < N; ++i) {
    const char16_t u = W[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < N && W[i + 1] >= 0xDC00 && W[i + 1] <= 0xDFFF) {
      // One character in two units: both stand for it, so a letter beyond
      // the basic plane keeps its word whole and lengths keep.
      Out[i] = Out[i + 1] = SpellByteOfCodePoint(CodePointAt(W, N, i, nullptr));
      ++i;
      continue;
    }
    Out[i] = SpellByteOfUnit(u);
  }
}

char SpellByteOfCodePoint(char32_t C) {
  if (C < 0x10000) return SpellByteOfUnit(static_cast<char16_t>(C));
  return IsWordCharacter(C) ? kForeignLetter : '?';
}

bool IsMisencodedWord(const AnsiString& Word) {
  auto at = [&](size_t i) { return i < Word.size() ? static_cast<Byte>(Word[i]) : 0; };
  auto follows = [&](size_t i) { return at(i) >= 0x80 && at(i) <= 0xBF; };
  for (size_t i = 0; i < Word.size(); ++i) {
    const Byte b = at(i);
    // The replacement character, a quote or dash of U+2000-U+206F, or a
    // Latin letter of U+00C0-U+024F, each in its UTF-8 bytes.
    if (b == 0xEF && at(i + 1) == 0xBF && at(i + 2) == 0xBD) return true;
    if (b == 0xE2 && at(i + 1) >= 0x80 && at(i + 1) <= 0x81 && follows(i + 2)) return true;
    if (b >= 0xC3 && b <= 0xC9 && follows(i + 1)) return true;
  }
  return false;
}

String ReplacementRefusedText(const String& Text) {
  return "\u201C" + Text + "\u201D has letters the spelling dictionaries cannot hold: it is not put in.";
}

String UnstorableLettersText(const String& Text) {
  bool lossless = true;
  SpellWordFromText(Text, &lossless);
  if (lossless) return String();
  // Each character of the text (its UTF-8 bytes) on its own, once.
  std::vector<String> lost;
  for (size_t i = 0; i < Text.size();) {
    size_t n = 1;
    const unsigned char lead = static_cast<unsigned char>(Text[i]);
    if (lead >= 0xF0) n = 4;
    else if (lead >= 0xE0) n = 3;
    else if (lead >= 0xC0) n = 2;
    const String ch = Text.substr(i, n);
    i += n;
    bool one = true;
    SpellWordFromText(ch, &one);
    if (!one && std::find(lost.begin(), lost.end(), ch) == lost.end()) lost.push_back(ch);
  }
  String list;
  for (size_t i = 0; i < lost.size(); ++i)
    list += (i == 0 ? "" : i + 1 == lost.size() ? " and " : ", ") + String("\u201C") + lost[i] + "\u201D";
  return "The dictionary cannot store " + (list.empty() ? String("some of these characters") : list) + ".";
}

bool IsInvisibleText(const String& Text) {
  // Marks that sit on nothing show nothing either; one on a visible
  // character is part of it.
  const WideString w = Utf8ToWide(Text);
  for (size_t i = 0, n = 0; i < w.size(); i += n) {
    const char32_t c = CodePointAt(w.data(), w.size(), i, &n);
    if (!IsBlankCharacter(c) && !IsNonSpacingMark(c)) return false;
  }
  return true;
}

bool IsUnusableReplacement(const AnsiString& Replacement) {
  // A control byte (the stand-in for a letter the code page lacks among
  // them) would go into the text as an invisible character, a line break
  // would split its paragraph.
  for (char ch : Replacement) {
    const Byte b = static_cast<Byte>(ch);
    if (b < 0x20 || b == 0x7F || b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) return true;
  }
  return IsInvisibleText(SpellWordToText(Replacement));
}

String SpellWordToText(const AnsiString& Word) { return AnsiToUtf8(Word, 1252); }

AnsiString SpellWordFromText(const String& Text, bool* Lossless) {
  const WideString w = Utf8ToWide(Text);
  AnsiString a;
  a.reserve(w.size());
  bool lossless = true;
  for (size_t i = 0; i < w.size(); ++i) {
    const char16_t u = w[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < w.size() && w[i + 1] >= 0xDC00 && w[i + 1] <= 0xDFFF) {
      // One character beyond the basic plane: one "?".
      ++i;
      a += '?';
      lossless = false;
      continue;
    }
    const char b = SpellByteOfUnit(u);
    if ((b == '?' && u != u'?') || b == kForeignLetter) lossless = false;
    a += b;
  }
  if (Lossless) *Lossless = lossless;
  return a;
}

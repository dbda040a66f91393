#pragma once
// What the spell engine, its configuration and the thesaurus share: path
// macros, a multicast handler list, dialog placement, two file-system
// operations, the custom dictionary's hash and the edit distance.
#include "platform/base/Types.h"
#include "platform/gui/GfxTypes.h"

#include <functional>
#include <memory>
#include <vector>

class TCustomForm;

// S with the first occurrence of Macro (case-sensitive) replaced by Value.
void ReplaceMacro(const String& Macro, const String& Value, const String& S, String& Result);
// "%AppName%", "%UserName%", "%AppDir%" (the program's data folder, where
// the main dictionaries and the thesaurus lie), "%AppData%" (the XDG data folder),
// "%AppConfig%" (the XDG configuration folder), "%MyDocuments%", then
// environment variables written "%NAME%". Each macro once, at its first
// occurrence.
void ExpandPathMacros(const String& S, String& Result);
String ExpandPathMacros(const String& S);
// The user name for "%UserName%": "default" when it cannot be read.
String SpellUserName();

// Folder numbers of GetSpecialFolder.
constexpr int CSIDL_PERSONAL = 5;
constexpr int CSIDL_APPDATA = 26;
constexpr int CSIDL_CONFIG = 0x1000;  // the XDG configuration folder
void GetSpecialFolder(int Folder, String& Path);

// True when FileName can be opened for writing, created if missing. With
// DeleteOnClose a file made by the test is removed again.
bool CanCreateFile(const String& FileName, bool DeleteOnClose);
// The longest file name (in bytes) a custom dictionary can have: saving
// writes a temporary file beside it whose name is 16 bytes longer, and a
// file name has at most 255.
constexpr size_t kMostDictionaryFileName = 255 - 16;
// The file a custom dictionary named Name is kept in: Name with the ".spu"
// extension, or empty when Name is no plain file name of the dictionary
// folder (a separator, "." or "..", a leading dot, a control character)
// or too long for one.
String CustomDictionaryFileName(const String& Name);
// Whether the settings file can keep Name and give it back unchanged: UTF-8
// without control characters, no space at either end, not in quotes.
bool IsStorableDictionaryName(const String& Name);
// Why a dictionary file name is refused.
String DictionaryNameRefusedText(const String& Name);
// Why a dictionary file that is there cannot be used.
String DictionaryFileRefusedText(const String& FileName);
// Why the settings file is neither read nor written.
String SettingsFileRefusedText(const String& FileName);
// A file of the user's words or of a thesaurus is bounded as the settings
// files are (LargestSettingsFile): one larger is neither read nor written.
bool TooLargeToRead(const String& FileName);
// Why such a file is refused: Named ("The <Named>", its name on a line of
// its own), Any ("larger than any <Any> could be"), what goes on instead.
String TooLargeFileText(const String& Named, const String& Any, const String& FileName, const String& Instead);
// Why a dictionary folder is refused (IsStorableDictionaryName is false).
String DictionaryFolderRefusedText(const String& Folder);
// Creates every missing folder of Path, parents first (each its owner's
// alone, 0700); failures ignored.
void ForceFolders(const String& Path);
// True for a regular file (a link to one included): never a FIFO, device
// or folder, whose reading could block or means nothing.
bool IsRegularFile(const String& FileName);
// ForceFolders, and a folder of the program's own inside the configuration
// or data folder that others may enter is made its owner's alone.
void ForcePrivateFolder(const String& Path);

// Moves Form to (X, Y), kept on the monitor that holds it.
void PlaceDialog(TCustomForm* Form, int X, int Y);
// The window's frame around its bounds, for the margins given.
TRect FrameRectOf(TCustomForm* Form, const TRect& Margins);
// Places Form beside the screen rectangle R (a word on screen).
void PlaceDialogBeside(TCustomForm* Form, const TRect& R, bool Horizontal, bool Vertical);
// The same at once, for the frame margins given.
void PlaceFrameBeside(TCustomForm* Form, const TRect& Margins, const TRect& R, bool Horizontal, bool Vertical);
// The placement rules on plain rectangles (monitor bounds, form bounds).
TPoint PlaceRect(const TRect& Monitor, int X, int Y, int Width, int Height);
TPoint PlaceRectBeside(const TRect& Monitor, const TRect& Form, const TRect& R, bool Horizontal,
                       bool Vertical);

void GetLibraryVersion(String& S);

// Handlers called in the order they were added; each keyed by an object so
// that it can be removed again.
class TEventList : public TObject {
public:
  using THandler = std::function<void(TObject* Sender)>;
  void Add(const void* Key, THandler Handler);
  void Remove(const void* Key);
  void Fire(TObject* Sender);
  int Count() const { return static_cast<int>(FItems.size()); }

private:
  struct TItem {
    const void* Key;
    std::shared_ptr<THandler> Handler;
  };
  std::vector<TItem> FItems;
};

// Levenshtein distance where a swap of two different neighbouring letters
// counts 1; the larger length for words of 255 characters or more.
// How far Candidate lies from what was Typed, for ranking suggestions, in
// tenths of an edit: the slips people make cost less than an edit (a
// doubled or undoubled letter, one vowel for another, two neighbours
// swapped, a letter's case), and a changed first letter or a split into two
// words more.
int SuggestionCost(const AnsiString& Typed, const AnsiString& Candidate);
// The same for one typed word and many candidates: the typed word's side
// of the table made once.
class TSuggestionScorer {
 public:
  explicit TSuggestionScorer(const AnsiString& Typed);
  int Cost(const AnsiString& Candidate) const;

 private:
  AnsiString FTyped;
  std::vector<Byte> FLower;
  std::vector<uint32_t> FEnds;
  std::vector<int> FDrop;
  std::vector<char> FVowel;
};
int EditDistance(const AnsiString& A, const AnsiString& B);

// The custom dictionary's hash of a key for a table of M slots, and the
// probe step for a home index. 64-bit arithmetic, so every table size
// works; identical to the 31-bit form for the sizes up to 32,749.
uint32_t DictionaryHash(const char* Key, size_t Length, uint32_t M);
inline uint32_t DictionaryProbeStep(uint32_t Home) { return Home % 97 + 1; }

// Case helpers over the dictionaries' 8-bit code page (1252).
// 256-byte case tables of the code page.
const Byte* SpellUpperTable();
const Byte* SpellLowerTable();
inline char SpellUpperChar(char C) { return static_cast<char>(SpellUpperTable()[static_cast<Byte>(C)]); }
inline char SpellLowerChar(char C) { return static_cast<char>(SpellLowerTable()[static_cast<Byte>(C)]); }
AnsiString SpellUpper(const AnsiString& S);
AnsiString SpellLower(const AnsiString& S);
bool IsAllUpper(const AnsiString& S);  // S equals its upper case
bool IsAllLower(const AnsiString& S);
// C is a letter of the code page (its two cases differ, or it is one of
// the caseless letters 0xDF and 0xFF).
bool IsSpellLetter(char C);

// Apostrophes. Text may use the typographic apostrophe (U+2019, byte 0x92
// in code page 1252; U+02BC is read as the same byte) where dictionaries
// hold the straight one; both count as the apostrophe.
constexpr char kTypographicApostrophe = '\x92';
inline bool IsApostrophe(char C) { return C == '\'' || C == kTypographicApostrophe; }
// S with every apostrophe straight, the form dictionaries hold.
AnsiString StraightApostrophes(const AnsiString& S);
// Whether StraightApostrophes would change S: a scan, where the look-ups of
// every checked word would otherwise copy it.
inline bool HasTypographicApostrophe(const AnsiString& S) {
  for (char c : S)
    if (c == kTypographicApostrophe) return true;
  return false;
}
// S with every apostrophe written as Apostrophe.
AnsiString ApostrophesAs(const AnsiString& S, char Apostrophe);
// The apostrophe S is written with: the first one in S, else Default.
inline char ApostropheOf(const AnsiString& S, char Default) {
  for (char c : S)
    if (IsApostrophe(c)) return c;
  return Default;
}
// Text for the spell engine: code page 1252, with U+02BC (modifier letter
// apostrophe, which 1252 lacks) taken as the typographic apostrophe.
AnsiString SpellTextFromWide(const WideString& W);

// A letter of the text that the code page lacks ("Ł", "ą") stands in the
// engine's text as this byte, which 1252 leaves undefined: the word stays
// whole, and no dictionary can hold it, so it is never rewritten.
constexpr char kForeignLetter = '\x81';
inline bool HasForeignLetter(const AnsiString& S) { return S.find(kForeignLetter) != AnsiString::npos; }
// Whether a UTF-16 unit is a letter, mark or digit of its own (a half of
// a surrogate pair never is: see SpellBytesOfUnits).
bool IsForeignLetterUnit(char16_t U);
// The engine's byte for one UTF-16 unit of the text: its code-page byte,
// kForeignLetter for another letter, "?" for anything else.
char SpellByteOfUnit(char16_t U);
// The same for a code point, one beyond the basic plane included.
char SpellByteOfCodePoint(char32_t C);
// The engine's bytes for N units of text, one per unit: both units of a
// surrogate pair get the byte of their character, so a letter beyond the
// basic plane is a letter of its word.
void SpellBytesOfUnits(const char16_t* W, size_t N, char* Out);

// Every word that crosses between the engine and a control, a file of the
// user or the editor is converted here, once. Text is UTF-8.
String SpellWordToText(const AnsiString& Word);
// Lossless (when given) is false when Text holds a character the code page
// lacks; such a character becomes kForeignLetter or "?".
AnsiString SpellWordFromText(const String& Text, bool* Lossless = nullptr);
// A stored word damaged by an earlier conversion fault: it holds U+FFFD
// in UTF-8, or UTF-8 letters or quotes read as the code page ("cafÃ©").
bool IsMisencodedWord(const AnsiString& Word);
// Why a replacement with letters the dictionaries cannot hold is refused.
String ReplacementRefusedText(const String& Text);
// Text (UTF-8) that shows nothing, decided by the characters' Unicode
// categories: empty, or only spaces and separators of any kind, control
// and format characters (zero-width spaces and joiners, direction marks,
// the soft hyphen, tags), variation selectors, fillers and marks with no
// character to sit on. A replacement so made would delete its word unseen.
// The one rule for the spelling dialog, the engine, the dictionary editor
// and the dictionary files.
bool IsInvisibleText(const String& Text);
// A replacement (engine bytes) that must never go into a text: one that
// shows nothing, or holds a control character or a line break.
bool IsUnusableReplacement(const AnsiString& Replacement);
// Which characters of Text a dictionary cannot store, as a sentence for
// the user; '' when it can store all of them.
String UnstorableLettersText(const String& Text);

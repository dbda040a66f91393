#pragma once
// INI files with the semantics of the platform's profile files: sections in
// brackets, "key=value" lines, section and key names without case, values
// read with surrounding blanks and one pair of surrounding quotes removed.
// The file's other lines (comments, order, spelling) are kept as they are.
#include "platform/base/Streams.h"
#include "platform/base/Strings.h"
#include "platform/base/SysUtils.h"

#include <unordered_map>
#include <vector>

QY_DECLARE_EXCEPTION(EIniFileException, Exception);

// The largest settings file the program reads whole: far past any the
// program writes.
inline constexpr Int64 LargestSettingsFile = Int64(16) << 20;

// Writes change the object at once and reach the disk, atomically (a
// temporary file renamed into place), at UpdateFile, at destruction, or
// before another TIniFile of the same file reads or writes; so within the
// program every write is seen at once, as with the platform's profile calls.
// A file that cannot be written raises EIniFileException "Unable to write
// to <file>" on the first write (and on UpdateFile for later failures, such
// as a full disk; the destructor cannot report them). A file changed on disk
// by someone else is read again before the next read or write.
class TIniFile : public TObject {
public:
  explicit TIniFile(const String& FileName);
  ~TIniFile() override;
  TIniFile(const TIniFile&) = delete;
  TIniFile& operator=(const TIniFile&) = delete;

  const String& FileName() const { return FFileName; }
  // The file is larger than LargestSettingsFile: it is not read (reads give
  // their defaults) and never written over (a write raises
  // EIniFileException), so a grown or foreign file costs neither the memory
  // nor the user's file.
  bool TooLarge();
  // Written readable by its owner only (a file that holds the user's words).
  bool OwnerOnly = false;

  bool SectionExists(const String& Section);  // the section has a key
  bool ValueExists(const String& Section, const String& Ident);

  String ReadString(const String& Section, const String& Ident, const String& Default);
  // Line breaks in Value become blanks, so a value cannot make lines of its
  // own (sections or keys) in the file.
  void WriteString(const String& Section, const String& Ident, const String& Value);
  // Decimal or hexadecimal ("$1F", "0x1F"); anything else gives Default.
  Integer ReadInteger(const String& Section, const String& Ident, Integer Default);
  void WriteInteger(const String& Section, const String& Ident, Integer Value);
  // An integer: 0 is false, any other number true; "1"/"0" written.
  bool ReadBool(const String& Section, const String& Ident, bool Default);
  void WriteBool(const String& Section, const String& Ident, bool Value);
  double ReadFloat(const String& Section, const String& Ident, double Default);
  void WriteFloat(const String& Section, const String& Ident, double Value);
  // Bytes as hexadecimal digits. Reading appends the decoded bytes (up to
  // the first character that is not a hexadecimal pair) to Value at its
  // position and answers how many there were.
  Integer ReadBinaryStream(const String& Section, const String& Ident, TStream& Value);
  void WriteBinaryStream(const String& Section, const String& Ident, TStream& Value);

  // Key names of the section; all section names; "key=value" pairs.
  void ReadSection(const String& Section, TStrings& Strings);
  void ReadSections(TStrings& Strings);
  void ReadSectionValues(const String& Section, TStrings& Strings);
  void EraseSection(const String& Section);
  void DeleteKey(const String& Section, const String& Ident);

  // Writes pending changes now (EIniFileException on failure).
  void UpdateFile();

private:
  enum TLineKind { lkOther, lkSection, lkKey };
  struct TLine {
    TLineKind Kind = lkOther;
    String Raw;
    String Name;   // section or key name, trimmed
    String Value;  // key value as read (trimmed, quotes removed)
  };
  struct TIdentity {
    bool Exists = false;
    Int64 Size = 0, MTimeNs = 0;
    uint64_t Inode = 0;
    bool operator==(const TIdentity&) const = default;
  };

  void Sync();         // before every operation
  void BeginChange();  // before every modification
  void Load();
  void Flush();
  TIdentity CurrentIdentity() const;
  static TLine ParseLine(const String& raw);
  int FindSection(const String& Section) const;  // header line or -1
  int SectionEnd(int header) const;              // first line after the section
  int FindKey(const String& Section, const String& Ident) const;

  String FFileName;
  String FKey;  // normalised path shared by instances of the same file
  std::vector<TLine> FLines;
  bool FBom = false;
  bool FDirty = false;
  bool FWritableChecked = false;
  bool FTooLarge = false;
  TIdentity FIdentity;
  // The first header line of each section, by its name in ASCII capitals;
  // made again after the lines change. A file of many sections is looked
  // up without walking all of them each time.
  mutable std::unordered_map<String, int> FSectionIndex;
  mutable bool FIndexValid = false;
  void LinesChanged() { FIndexValid = false; }
  void LinesMoved(int from, int by);  // a key line put in (by 1) or taken out (-1) at from
};

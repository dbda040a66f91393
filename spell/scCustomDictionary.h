#pragma once
// A custom dictionary: the user's added words, excluded words and
// auto-correct pairs, an open-addressing hash table over a byte pool, kept
// in a ".spu" file. Changes made meanwhile by another writer of the same
// file are merged on save.
#include "platform/base/Strings.h"

#include <functional>
#include <memory>
#include <vector>

extern const char kSpuBanner[];
constexpr size_t kSpuBannerLength = 119;
constexpr int kSpuMaxPair = 500;

class TCustomDictionary : public TObject {
public:
  TCustomDictionary();
  ~TCustomDictionary() override;
  TCustomDictionary(const TCustomDictionary&) = delete;
  TCustomDictionary& operator=(const TCustomDictionary&) = delete;

  // Told when a dictionary file that cannot be read whole was set aside
  // (renamed to setAside, "<file>.damaged") and a new one started with the
  // recovered words and pairs it could still read.
  static std::function<void(const String& fileName, const String& setAside, int recovered)> OnDamaged;
  // Told when pairs that must not reach a text (a replacement that shows
  // nothing, holds a control character or a line break) were dropped as the
  // file was read: once for each state of the file.
  static std::function<void(const String& fileName, int dropped)> OnEntriesDropped;
  // Adds the entries still readable in a damaged dictionary file; how many.
  int RecoverEntries(const String& FileName);

  virtual bool SetFileName(const String& FileName);
  virtual void SetActive(bool Value);
  virtual int GetAddedCount();
  virtual int GetExcludedCount();
  virtual int GetAutoCorrectCount();
  // True when FileName holds a custom dictionary, or is '' or names a file
  // that does not exist and can be created. With Body, an accepted file's
  // contents after the banner are returned in it.
  virtual bool CheckFile(const String& FileName, std::string* Body);
  // Reads the counts, table and pool; false (dictionary left empty) when
  // they do not hold together.
  virtual bool LoadFromBody(const std::string& Body);
  // Writes the whole file through a temporary file renamed into place, so
  // a failed write leaves the previous file. False on failure.
  virtual bool SaveToFile(const String& FileName);
  virtual void IndexEntry(char Kind, int32_t SlotValue);
  virtual void BuildIndexes();
  virtual void GetEntryText(int32_t SlotValue, AnsiString& S) const;
  virtual bool FindEntry(char Kind, const AnsiString& Word, int32_t& SlotValue, int& Index);
  virtual void AppendToPool(const char* Data, int Length);
  virtual void AddToTable(const AnsiString& Word, int32_t SlotValue);
  virtual bool AddEntry(char Kind, const AnsiString& Word, const AnsiString& Replacement);
  virtual bool RemoveEntry(char Kind, const AnsiString& Word);
  virtual std::unique_ptr<TCustomDictionary> CreateNew();
  // Writes pending changes; false when the file could not be written (the
  // changes then stay pending and the dictionary stays modified).
  virtual bool Save();
  virtual bool SaveAs(const String& FileName);
  virtual void GetAddedWord(int Index, AnsiString& Word);
  virtual void GetExcludedWord(int Index, AnsiString& Word);
  virtual void GetAutoCorrect(int Index, AnsiString& Replacement, AnsiString& Word);
  virtual bool IsAddedWord(const AnsiString& Word);
  virtual bool IsExcludedWord(const AnsiString& Word);
  virtual bool FindAutoCorrect(const AnsiString& Word, AnsiString& Replacement);
  virtual bool AddWord(const AnsiString& Word);
  virtual bool AddExcludedWord(const AnsiString& Word);
  virtual bool AddAutoCorrect(const AnsiString& Word, const AnsiString& Replacement);
  virtual bool RemoveWord(const AnsiString& Word);
  virtual bool RemoveExcludedWord(const AnsiString& Word);
  virtual bool RemoveAutoCorrect(const AnsiString& Word);
  virtual void Clear();

  const String& FileName() const { return FFileName; }
  bool Active() const { return FActive; }
  bool Modified() const { return FModified; }
  void SetModified(bool Value) { FModified = Value; }
  int EntryCount() const { return FEntryCount; }
  // Entries of the file read last that were left out as damaged (pairs
  // with an empty replacement).
  int DroppedEntries() const { return FDroppedEntries; }
  int TableSize() const { return static_cast<int>(FTable.size()); }
  int PoolSize() const { return static_cast<int>(FPool.size()); }

private:
  struct TFileStamp {
    Int64 Time = -1;
    Int64 Size = -1;
    bool operator==(const TFileStamp&) const = default;
  };
  // One change waiting for the next save, in the order it was made.
  struct TPending {
    char Op;    // '+' added, '-' removed
    char Kind;  // 'I', 'E', 'A'
    AnsiString Word, Replacement;
  };
  static TFileStamp StampOf(const String& FileName);
  // True the first time it is asked for this file in this state.
  static bool FirstTold(const String& FileName, const TFileStamp& Stamp);
  void InsertIntoTable(std::vector<int32_t>& Table, const char* Key, size_t KeyLength,
                       int32_t SlotValue);
  void Rebuild(uint32_t Size);
  const char* EntryAt(int32_t SlotValue, size_t* Length) const;
  void Record(char Op, char Kind, const AnsiString& Word, const AnsiString& Replacement);
  void ResetContents();

  String FFileName;
  bool FActive = false;
  bool FModified = false;
  int32_t FAddedCount = 0, FExcludedCount = 0, FAutoCorrectCount = 0;
  TFileStamp FFileDate;
  int32_t FEntryCount = 0;
  int32_t FRemovedCount = 0;  // slots holding -1
  int FDroppedEntries = 0;
  std::string FPool;
  std::vector<int32_t> FTable;
  bool FIndexesValid = false;
  std::vector<int32_t> FAddedIndex, FExcludedIndex, FAutoCorrectIndex;
  bool FHasFileName = false;
  std::vector<TPending> FPending;
};

// The next table size after N (251 for 0); 0 past the largest.
uint32_t NextTableSize(uint32_t N);

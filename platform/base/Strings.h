#pragma once
// String lists: strings, each with an attached object pointer.
#include "platform/base/Components.h"
#include "platform/base/Streams.h"

#include <functional>
#include <vector>

enum TDuplicates { dupIgnore, dupAccept, dupError };

// The abstract list; controls (combo box items, memo lines) derive from it.
// Indexes are 0-based. Bad indexes raise EStringListError
// "List index out of bounds (n)".
class TStrings : public TPersistent {
public:
  ~TStrings() override = default;

  // --- what a concrete list provides
  virtual int Count() const = 0;
  virtual String Get(int Index) const = 0;
  virtual TObject* GetObject(int Index) const = 0;
  virtual void Put(int Index, const String& S);
  virtual void PutObject(int Index, TObject* AObject) = 0;
  virtual void InsertObject(int Index, const String& S, TObject* AObject) = 0;
  virtual void Delete(int Index) = 0;
  virtual void Clear() = 0;

  // --- common behaviour
  void Insert(int Index, const String& S) { InsertObject(Index, S, nullptr); }
  // Answers the index the string went to.
  virtual int Add(const String& S) { return AddObject(S, nullptr); }
  virtual int AddObject(const String& S, TObject* AObject);
  void AddStrings(const TStrings& Strings);
  void Append(const String& S) { Add(S); }
  virtual void Exchange(int Index1, int Index2);
  virtual void Move(int CurIndex, int NewIndex);

  String operator[](int Index) const { return Get(Index); }
  String Strings(int Index) const { return Get(Index); }
  TObject* Objects(int Index) const { return GetObject(Index); }

  // Case-insensitive unless the list says otherwise (CaseSensitive).
  virtual int IndexOf(const String& S) const;
  int IndexOfName(const String& Name) const;
  int IndexOfObject(const TObject* AObject) const;

  // "name=value" entries.
  String Names(int Index) const;                 // "" when the entry has no "="
  String Values(const String& Name) const;       // "" when absent
  // An empty value deletes the entry; a new name is added at the end.
  void SetValue(const String& Name, const String& Value);
  String ValueFromIndex(int Index) const;
  void SetValueFromIndex(int Index, const String& Value);
  char NameValueSeparator = '=';

  // Lines joined with LineBreak (CR LF); setting splits at CR LF, LF or CR.
  String GetText() const;
  virtual void SetText(const String& Value);
  String LineBreak = "\r\n";

  // Items separated by Delimiter; an item holding a blank, the delimiter,
  // the quote or a control character is quoted (quotes doubled). Reading
  // also splits at blanks unless StrictDelimiter.
  String GetDelimitedText() const;
  void SetDelimitedText(const String& Value);
  char Delimiter = ',';
  char QuoteChar = '"';
  bool StrictDelimiter = false;
  // DelimitedText with "," and '"' whatever Delimiter and QuoteChar say.
  String GetCommaText() const;
  void SetCommaText(const String& Value);

  // Bytes as they are (no code-page conversion).
  virtual void LoadFromStream(TStream& Stream);  // from the position to the end
  virtual void SaveToStream(TStream& Stream) const;
  void LoadFromFile(const String& FileName);
  void SaveToFile(const String& FileName) const;  // atomic

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  bool Equals(const TStrings& Other) const;
  void Assign(const TPersistent* Source) override;
  std::vector<String> ToVector() const;

  bool GetCaseSensitive() const { return FCaseSensitive; }
  virtual void SetCaseSensitive(bool Value) { FCaseSensitive = Value; }

protected:
  // Called when the update count goes from 0 to 1 (true) and back (false).
  virtual void SetUpdateState(bool Updating);
  virtual int CompareStrings(const String& S1, const String& S2) const;
  void CheckIndex(int Index, int Limit) const;
  bool FCaseSensitive = false;

private:
  String DelimitedWith(char Delimiter, char QuoteChar, bool StrictDelimiter) const;
  void SetDelimitedWith(const String& Value, char Delimiter, char QuoteChar, bool StrictDelimiter);
  int FUpdateCount = 0;
};

class TStringList;
using TStringListSortCompare = std::function<int(TStringList* List, int Index1, int Index2)>;

// The list itself. A plain list does not own its objects; with OwnsObjects
// it deletes them when their entry is deleted, the list cleared or destroyed.
class TStringList : public TStrings {
public:
  TStringList() = default;
  explicit TStringList(bool AOwnsObjects) : OwnsObjects(AOwnsObjects) {}
  ~TStringList() override;
  TStringList(const TStringList&) = delete;
  TStringList& operator=(const TStringList&) = delete;

  int Count() const override { return static_cast<int>(FList.size()); }
  String Get(int Index) const override;
  // The string itself, without a copy; valid until the list changes.
  const String& Ref(int Index) const;
  TObject* GetObject(int Index) const override;
  void Put(int Index, const String& S) override;  // not on a sorted list
  void PutObject(int Index, TObject* AObject) override;
  // Not on a sorted list (EStringListError "Operation not allowed on sorted list").
  void InsertObject(int Index, const String& S, TObject* AObject) override;
  void Delete(int Index) override;
  void Clear() override;
  // A sorted list puts the string at its place, minding Duplicates
  // (dupError raises EStringListError "String list does not allow duplicates").
  int AddObject(const String& S, TObject* AObject) override;
  void Exchange(int Index1, int Index2) override;
  // Not on a sorted list (checked before anything moves).
  void Move(int CurIndex, int NewIndex) override;

  int IndexOf(const String& S) const override;
  // Binary search of a sorted list: true when found; Index is the place of
  // S or where it would go (the first of equal strings).
  bool Find(const String& S, int& Index) const;

  // Case-insensitive lists compare without case over the whole of Unicode.
  virtual void Sort();
  virtual void CustomSort(const TStringListSortCompare& Compare);
  bool GetSorted() const { return FSorted; }
  void SetSorted(bool Value);
  void SetCaseSensitive(bool Value) override;

  TDuplicates Duplicates = dupIgnore;
  bool OwnsObjects = false;
  // The strings are secrets: each is overwritten before its memory is freed
  // (replaced, deleted, cleared, or with the list).
  bool Sensitive = false;

  // Sender is the list.
  std::function<void(TObject* Sender)> OnChange;
  std::function<void(TObject* Sender)> OnChanging;

protected:
  void SetUpdateState(bool Updating) override;
  virtual void Changed();
  virtual void Changing();

private:
  struct TItem {
    String S;
    TObject* Object = nullptr;
  };
  void InsertItem(int Index, const String& S, TObject* AObject);
  std::vector<TItem> FList;
  bool FSorted = false;
};

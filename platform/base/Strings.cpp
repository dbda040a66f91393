#include "platform/base/Strings.h"

#include "platform/base/Wipe.h"

#include <algorithm>
#include <numeric>

// ---------------------------------------------------------------------------
// TStrings

void TStrings::CheckIndex(int Index, int Limit) const {
  if (Index < 0 || Index >= Limit)
    throw EStringListError("List index out of bounds (" + IntToStr(Index) + ")");
}

void TStrings::Put(int Index, const String& S) {
  TObject* obj = GetObject(Index);
  Delete(Index);
  InsertObject(Index, S, obj);
}

int TStrings::AddObject(const String& S, TObject* AObject) {
  const int index = Count();
  InsertObject(index, S, AObject);
  return index;
}

void TStrings::AddStrings(const TStrings& Strings) {
  BeginUpdate();
  try {
    for (int i = 0; i < Strings.Count(); ++i) AddObject(Strings.Get(i), Strings.GetObject(i));
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::Exchange(int Index1, int Index2) {
  CheckIndex(Index1, Count());
  CheckIndex(Index2, Count());
  if (Index1 == Index2) return;
  BeginUpdate();
  const String s1 = Get(Index1);
  TObject* o1 = GetObject(Index1);
  Put(Index1, Get(Index2));
  PutObject(Index1, GetObject(Index2));
  Put(Index2, s1);
  PutObject(Index2, o1);
  EndUpdate();
}

void TStrings::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  CheckIndex(CurIndex, Count());
  CheckIndex(NewIndex, Count());
  BeginUpdate();
  const String s = Get(CurIndex);
  TObject* o = GetObject(CurIndex);
  Delete(CurIndex);
  InsertObject(NewIndex, s, o);
  EndUpdate();
}

int TStrings::CompareStrings(const String& S1, const String& S2) const {
  return FCaseSensitive ? CompareStr(S1, S2) : AnsiCompareText(S1, S2);
}

int TStrings::IndexOf(const String& S) const {
  for (int i = 0; i < Count(); ++i)
    if (CompareStrings(Get(i), S) == 0) return i;
  return -1;
}

int TStrings::IndexOfName(const String& Name) const {
  for (int i = 0; i < Count(); ++i) {
    const String s = Get(i);
    const size_t p = s.find(NameValueSeparator);
    if (p != String::npos && CompareStrings(s.substr(0, p), Name) == 0) return i;
  }
  return -1;
}

int TStrings::IndexOfObject(const TObject* AObject) const {
  for (int i = 0; i < Count(); ++i)
    if (GetObject(i) == AObject) return i;
  return -1;
}

String TStrings::Names(int Index) const {
  const String s = Get(Index);
  const size_t p = s.find(NameValueSeparator);
  return p == String::npos ? String() : s.substr(0, p);
}

String TStrings::Values(const String& Name) const {
  const int i = IndexOfName(Name);
  return i < 0 ? String() : ValueFromIndex(i);
}

void TStrings::SetValue(const String& Name, const String& Value) {
  const int i = IndexOfName(Name);
  if (Value.empty()) {
    if (i >= 0) Delete(i);
    return;
  }
  const String entry = Name + NameValueSeparator + Value;
  if (i >= 0) {
    Put(i, entry);
  } else {
    Add(entry);
  }
}

String TStrings::ValueFromIndex(int Index) const {
  const String s = Get(Index);
  const size_t p = s.find(NameValueSeparator);
  return p == String::npos ? String() : s.substr(p + 1);
}

void TStrings::SetValueFromIndex(int Index, const String& Value) {
  if (Value.empty()) {
    Delete(Index);
    return;
  }
  Put(Index, Names(Index) + NameValueSeparator + Value);
}

String TStrings::GetText() const {
  String r;
  for (int i = 0; i < Count(); ++i) {
    r += Get(i);
    r += LineBreak;
  }
  return r;
}

void TStrings::SetText(const String& Value) {
  BeginUpdate();
  try {
    Clear();
    size_t i = 0;
    const size_t n = Value.size();
    while (i < n) {
      size_t j = i;
      while (j < n && Value[j] != '\r' && Value[j] != '\n') ++j;
      Add(Value.substr(i, j - i));
      if (j < n && Value[j] == '\r') ++j;
      if (j < n && Value[j] == '\n') ++j;
      i = j;
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

String TStrings::GetDelimitedText() const { return DelimitedWith(Delimiter, QuoteChar, StrictDelimiter); }

String TStrings::DelimitedWith(char Delimiter, char QuoteChar, bool StrictDelimiter) const {
  if (Count() == 1 && Get(0).empty()) return String(2, QuoteChar);
  String r;
  for (int i = 0; i < Count(); ++i) {
    const String s = Get(i);
    bool quote = false;
    for (char c : s) {
      const unsigned char u = static_cast<unsigned char>(c);
      if ((!StrictDelimiter && u <= ' ') || (StrictDelimiter && u == 0) || c == QuoteChar ||
          c == Delimiter) {
        quote = true;
        break;
      }
    }
    if (quote) {
      r.push_back(QuoteChar);
      for (char c : s) {
        if (c == QuoteChar) r.push_back(QuoteChar);
        r.push_back(c);
      }
      r.push_back(QuoteChar);
    } else {
      r += s;
    }
    if (i + 1 < Count()) r.push_back(Delimiter);
  }
  return r;
}

void TStrings::SetDelimitedText(const String& Value) {
  SetDelimitedWith(Value, Delimiter, QuoteChar, StrictDelimiter);
}

void TStrings::SetDelimitedWith(const String& Value, char Delimiter, char QuoteChar,
                                bool StrictDelimiter) {
  BeginUpdate();
  try {
    Clear();
    size_t p = 0;
    const size_t n = Value.size();
    auto isBlank = [&](size_t k) {
      const unsigned char u = static_cast<unsigned char>(Value[k]);
      return u >= 1 && u <= ' ';
    };
    auto skipBlanks = [&] {
      while (p < n && isBlank(p)) ++p;
    };
    skipBlanks();
    while (p < n) {
      String s;
      if (Value[p] == QuoteChar) {
        ++p;
        while (p < n) {
          if (Value[p] == QuoteChar) {
            if (p + 1 < n && Value[p + 1] == QuoteChar) {
              s.push_back(QuoteChar);
              p += 2;
              continue;
            }
            ++p;
            break;
          }
          s.push_back(Value[p++]);
        }
      } else {
        const size_t start = p;
        while (p < n && (StrictDelimiter || static_cast<unsigned char>(Value[p]) > ' ') &&
               Value[p] != Delimiter)
          ++p;
        s = Value.substr(start, p - start);
      }
      Add(s);
      if (!StrictDelimiter) skipBlanks();
      if (p < n && Value[p] == Delimiter) {
        ++p;
        if (p >= n) Add(String());
        if (!StrictDelimiter) skipBlanks();
      }
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

String TStrings::GetCommaText() const { return DelimitedWith(',', '"', false); }

void TStrings::SetCommaText(const String& Value) { SetDelimitedWith(Value, ',', '"', false); }

void TStrings::LoadFromStream(TStream& Stream) {
  const Int64 n = std::max<Int64>(0, Stream.Remaining());
  SetText(Stream.ReadBytes(n));
}

void TStrings::SaveToStream(TStream& Stream) const { Stream.WriteBytes(GetText()); }

void TStrings::LoadFromFile(const String& FileName) { SetText(LoadBytesFromFile(FileName)); }

void TStrings::SaveToFile(const String& FileName) const { SaveBytesAtomically(FileName, GetText()); }

void TStrings::BeginUpdate() {
  if (FUpdateCount == 0) SetUpdateState(true);
  ++FUpdateCount;
}

void TStrings::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) SetUpdateState(false);
}

void TStrings::SetUpdateState(bool) {}

bool TStrings::Equals(const TStrings& Other) const {
  if (Count() != Other.Count()) return false;
  for (int i = 0; i < Count(); ++i)
    if (Get(i) != Other.Get(i)) return false;
  return true;
}

void TStrings::Assign(const TPersistent* Source) {
  const auto* src = dynamic_cast<const TStrings*>(Source);
  if (!src) {
    TPersistent::Assign(Source);
    return;
  }
  if (src == this) return;
  BeginUpdate();
  try {
    Clear();
    NameValueSeparator = src->NameValueSeparator;
    Delimiter = src->Delimiter;
    QuoteChar = src->QuoteChar;
    StrictDelimiter = src->StrictDelimiter;
    AddStrings(*src);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

std::vector<String> TStrings::ToVector() const {
  std::vector<String> r;
  r.reserve(static_cast<size_t>(Count()));
  for (int i = 0; i < Count(); ++i) r.push_back(Get(i));
  return r;
}

// ---------------------------------------------------------------------------
// TStringList

TStringList::~TStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
  if (Sensitive)
    for (auto& item : FList) WipeText(item.S);
  if (OwnsObjects)
    for (auto& item : FList) delete item.Object;
}

String TStringList::Get(int Index) const {
  CheckIndex(Index, Count());
  return FList[static_cast<size_t>(Index)].S;
}

const String& TStringList::Ref(int Index) const {
  CheckIndex(Index, Count());
  return FList[static_cast<size_t>(Index)].S;
}

TObject* TStringList::GetObject(int Index) const {
  CheckIndex(Index, Count());
  return FList[static_cast<size_t>(Index)].Object;
}

void TStringList::Put(int Index, const String& S) {
  if (FSorted) throw EStringListError("Operation not allowed on sorted list");
  CheckIndex(Index, Count());
  Changing();
  String& kept = FList[static_cast<size_t>(Index)].S;
  // A shorter text would leave the old one's tail in the buffer, a longer
  // one frees the buffer: either way it is wiped first.
  if (Sensitive && &kept != &S) WipeText(kept);
  kept = S;
  Changed();
}

void TStringList::PutObject(int Index, TObject* AObject) {
  CheckIndex(Index, Count());
  Changing();
  FList[static_cast<size_t>(Index)].Object = AObject;
  Changed();
}

void TStringList::InsertItem(int Index, const String& S, TObject* AObject) {
  Changing();
  FList.insert(FList.begin() + Index, TItem{S, AObject});
  Changed();
}

void TStringList::InsertObject(int Index, const String& S, TObject* AObject) {
  if (FSorted) throw EStringListError("Operation not allowed on sorted list");
  if (Index < 0 || Index > Count())
    throw EStringListError("List index out of bounds (" + IntToStr(Index) + ")");
  InsertItem(Index, S, AObject);
}

int TStringList::AddObject(const String& S, TObject* AObject) {
  int index;
  if (!FSorted) {
    index = Count();
  } else if (Find(S, index)) {
    switch (Duplicates) {
      case dupIgnore:
        return index;
      case dupError:
        throw EStringListError("String list does not allow duplicates");
      case dupAccept:
        // After the equal ones, so equal strings keep their order of adding.
        while (index < Count() && CompareStrings(FList[static_cast<size_t>(index)].S, S) == 0)
          ++index;
        break;
    }
  }
  InsertItem(index, S, AObject);
  return index;
}

void TStringList::Delete(int Index) {
  CheckIndex(Index, Count());
  Changing();
  TObject* obj = FList[static_cast<size_t>(Index)].Object;
  if (Sensitive) WipeText(FList[static_cast<size_t>(Index)].S);
  FList.erase(FList.begin() + Index);
  if (OwnsObjects) delete obj;
  Changed();
}

void TStringList::Clear() {
  if (FList.empty()) return;
  Changing();
  std::vector<TItem> old;
  old.swap(FList);
  if (Sensitive)
    for (auto& item : old) WipeText(item.S);
  if (OwnsObjects)
    for (auto& item : old) delete item.Object;
  Changed();
}

void TStringList::Exchange(int Index1, int Index2) {
  CheckIndex(Index1, Count());
  CheckIndex(Index2, Count());
  Changing();
  std::swap(FList[static_cast<size_t>(Index1)], FList[static_cast<size_t>(Index2)]);
  Changed();
}

void TStringList::Move(int CurIndex, int NewIndex) {
  if (FSorted) throw EStringListError("Operation not allowed on sorted list");
  TStrings::Move(CurIndex, NewIndex);
}

int TStringList::IndexOf(const String& S) const {
  if (!FSorted) return TStrings::IndexOf(S);
  int index;
  return Find(S, index) ? index : -1;
}

bool TStringList::Find(const String& S, int& Index) const {
  int lo = 0, hi = Count() - 1;
  bool found = false;
  while (lo <= hi) {
    const int mid = lo + (hi - lo) / 2;
    const int c = CompareStrings(FList[static_cast<size_t>(mid)].S, S);
    if (c < 0) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
      if (c == 0) found = true;
    }
  }
  Index = lo;
  return found;
}

void TStringList::Sort() {
  CustomSort([](TStringList* list, int a, int b) {
    return list->CompareStrings(list->FList[static_cast<size_t>(a)].S,
                                list->FList[static_cast<size_t>(b)].S);
  });
}

void TStringList::CustomSort(const TStringListSortCompare& Compare) {
  if (Count() < 2) return;
  Changing();
  // Sort a permutation so that Compare sees indexes into the unchanged list.
  std::vector<int> order(FList.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](int a, int b) { return Compare(this, a, b) < 0; });
  std::vector<TItem> sorted;
  sorted.reserve(FList.size());
  for (int i : order) sorted.push_back(std::move(FList[static_cast<size_t>(i)]));
  FList.swap(sorted);
  Changed();
}

void TStringList::SetSorted(bool Value) {
  if (FSorted == Value) return;
  if (Value) Sort();
  FSorted = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
  if (FCaseSensitive == Value) return;
  FCaseSensitive = Value;
  if (FSorted) Sort();
}

void TStringList::SetUpdateState(bool Updating) {
  if (Updating) {
    Changing();
  } else {
    Changed();
  }
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

#pragma once
// The basic containers of the rich-text library and its exception class.
#include "platform/base/SysUtils.h"

#include <memory>
#include <vector>

// The rich-text library's exception, raised with fixed English messages.
QY_DECLARE_EXCEPTION(EVellumError, Exception);

// The library's fixed messages.
inline constexpr const char* errVLUnicode = "Can't perform Unicode operation";
inline constexpr const char* errVLItemRangeError = "Item index is out of bounds";
inline constexpr const char* errVLInvalidItemInfo =
    "Can't get or set this kind of information for this item";
inline constexpr const char* errVLTagsTypesMismatch =
    "Can't assign Vellum to Vellum - tags types mismatch";
inline constexpr const char* errVLStyleNoRegistered =
    "Can't register Vellum item type - this StyleNo is already registered";
inline constexpr const char* errVLInvalidVLF = "Invalid VLF format";
inline constexpr const char* errVLInternalPrint = "Internal printing error";

// Raises the list index error of the platform for an index outside 0..count-1.
[[noreturn]] void VLListIndexError(Integer index);

// A list that owns its objects: deleting an entry or clearing the list frees it.
class TVLList : public TObject {
public:
  TVLList() = default;
  TVLList(const TVLList&) = delete;
  TVLList& operator=(const TVLList&) = delete;
  // Frees the entries through the virtual Clear of the most derived list that
  // still exists; descendants with their own clearing call it from their own
  // destructor.
  ~TVLList() override;

  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  TObject* Get(Integer index) const;
  TObject* operator[](Integer index) const { return Get(index); }
  template <class T>
  T* GetAs(Integer index) const {
    return static_cast<T*>(Get(index));
  }
  Integer Add(std::unique_ptr<TObject> item);
  void Insert(Integer index, std::unique_ptr<TObject> item);
  Integer IndexOf(const TObject* item) const;
  // Replaces the object at index, freeing the old one.
  void Put(Integer index, std::unique_ptr<TObject> item);
  // Frees the objects first to last, then empties the list.
  virtual void Clear();
  // Frees the object at index and removes its slot.
  void Delete(Integer index);
  // Removes the slot; the caller takes the object.
  std::unique_ptr<TObject> DeleteWithoutFree(Integer index);
  // Moves an entry without freeing it.
  void Move(Integer curIndex, Integer newIndex);

protected:
  std::vector<std::unique_ptr<TObject>> FItems;
};

// A list of signed 32-bit integers.
class TVLIntegerList : public TObject {
public:
  TVLIntegerList() = default;
  TVLIntegerList(const TVLIntegerList& source) : TObject(), FItems(source.FItems) {}
  TVLIntegerList& operator=(const TVLIntegerList& source) {
    Assign(source);
    return *this;
  }
  // Count copies of value (nothing for a count of 0 or less).
  static TVLIntegerList CreateFilled(Integer count, Integer value);
  static TVLIntegerList CreateCopy(const TVLIntegerList& source);

  Integer Count() const { return static_cast<Integer>(FItems.size()); }
  Integer Get(Integer index) const;
  void Put(Integer index, Integer value);
  Integer operator[](Integer index) const { return Get(index); }
  Integer Add(Integer value);
  void Insert(Integer index, Integer value);
  void Delete(Integer index);
  void Clear() { FItems.clear(); }
  Integer IndexOf(Integer value) const;
  void Assign(const TVLIntegerList& source);
  void Fill(Integer value, Integer count);
  // The index of the first entry equal to value, appending it when absent.
  virtual Integer AddUnique(Integer value);
  void Sort();
  const std::vector<Integer>& Values() const { return FItems; }
  bool operator==(const TVLIntegerList& other) const { return FItems == other.FItems; }

protected:
  std::vector<Integer> FItems;
};

// A list of colours that never holds clNone.
class TVLColorList : public TVLIntegerList {
public:
  // As the integer list's AddUnique; clNone is skipped (returns -1).
  Integer AddUnique(Integer color) override;
};

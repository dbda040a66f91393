#include "richtext/model/VLClasses.h"

#include <algorithm>

void VLListIndexError(Integer index) {
  throw EListError("List index out of bounds (" + IntToStr(index) + ")");
}

// ---------------------------------------------------------------------------
TVLList::~TVLList() { TVLList::Clear(); }

TObject* TVLList::Get(Integer index) const {
  if (index < 0 || index >= Count()) VLListIndexError(index);
  return FItems[static_cast<size_t>(index)].get();
}

Integer TVLList::Add(std::unique_ptr<TObject> item) {
  FItems.push_back(std::move(item));
  return Count() - 1;
}

void TVLList::Insert(Integer index, std::unique_ptr<TObject> item) {
  if (index < 0 || index > Count()) VLListIndexError(index);
  FItems.insert(FItems.begin() + index, std::move(item));
}

Integer TVLList::IndexOf(const TObject* item) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].get() == item) return static_cast<Integer>(i);
  return -1;
}

void TVLList::Put(Integer index, std::unique_ptr<TObject> item) {
  if (index < 0 || index >= Count()) VLListIndexError(index);
  FItems[static_cast<size_t>(index)] = std::move(item);
}

void TVLList::Clear() {
  // First to last, as owners of linked objects expect.
  for (auto& item : FItems) item.reset();
  FItems.clear();
}

void TVLList::Delete(Integer index) {
  if (index < 0 || index >= Count()) VLListIndexError(index);
  FItems[static_cast<size_t>(index)].reset();
  FItems.erase(FItems.begin() + index);
}

std::unique_ptr<TObject> TVLList::DeleteWithoutFree(Integer index) {
  if (index < 0 || index >= Count()) VLListIndexError(index);
  std::unique_ptr<TObject> result = std::move(FItems[static_cast<size_t>(index)]);
  FItems.erase(FItems.begin() + index);
  return result;
}

void TVLList::Move(Integer curIndex, Integer newIndex) {
  if (curIndex < 0 || curIndex >= Count()) VLListIndexError(curIndex);
  if (newIndex < 0 || newIndex >= Count()) VLListIndexError(newIndex);
  std::unique_ptr<TObject> item = std::move(FItems[static_cast<size_t>(curIndex)]);
  FItems.erase(FItems.begin() + curIndex);
  FItems.insert(FItems.begin() + newIndex, std::move(item));
}

// ---------------------------------------------------------------------------
TVLIntegerList TVLIntegerList::CreateFilled(Integer count, Integer value) {
  TVLIntegerList result;
  result.Fill(value, count);
  return result;
}

TVLIntegerList TVLIntegerList::CreateCopy(const TVLIntegerList& source) {
  TVLIntegerList result;
  result.Assign(source);
  return result;
}

Integer TVLIntegerList::Get(Integer index) const {
  if (index < 0 || index >= Count()) VLListIndexError(index);
  return FItems[static_cast<size_t>(index)];
}

void TVLIntegerList::Put(Integer index, Integer value) {
  if (index < 0 || index >= Count()) VLListIndexError(index);
  FItems[static_cast<size_t>(index)] = value;
}

Integer TVLIntegerList::Add(Integer value) {
  FItems.push_back(value);
  return Count() - 1;
}

void TVLIntegerList::Insert(Integer index, Integer value) {
  if (index < 0 || index > Count()) VLListIndexError(index);
  FItems.insert(FItems.begin() + index, value);
}

void TVLIntegerList::Delete(Integer index) {
  if (index < 0 || index >= Count()) VLListIndexError(index);
  FItems.erase(FItems.begin() + index);
}

Integer TVLIntegerList::IndexOf(Integer value) const {
  auto it = std::find(FItems.begin(), FItems.end(), value);
  return it == FItems.end() ? -1 : static_cast<Integer>(it - FItems.begin());
}

void TVLIntegerList::Assign(const TVLIntegerList& source) {
  if (&source == this) return;
  FItems.clear();
  FItems.reserve(source.FItems.size());
  FItems.insert(FItems.end(), source.FItems.begin(), source.FItems.end());
}

void TVLIntegerList::Fill(Integer value, Integer count) {
  FItems.clear();
  if (count <= 0) return;
  FItems.assign(static_cast<size_t>(count), value);
}

Integer TVLIntegerList::AddUnique(Integer value) {
  Integer index = IndexOf(value);
  if (index >= 0) return index;
  return Add(value);
}

void TVLIntegerList::Sort() { std::sort(FItems.begin(), FItems.end()); }

// ---------------------------------------------------------------------------
Integer TVLColorList::AddUnique(Integer color) {
  if (color == clNone) return -1;
  return TVLIntegerList::AddUnique(color);
}

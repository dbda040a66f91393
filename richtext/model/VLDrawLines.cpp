// Draw lines and their list with in-place replacement.
#include "richtext/model/VLDrawLines.h"

#include <algorithm>

#include "richtext/model/VLClasses.h"
#include "richtext/model/VLItem.h"
#include "richtext/model/VLUni.h"

std::unique_ptr<TVLDrawLineInfo> TVLDrawLineInfo::CreateEx(Integer left, Integer top, Integer width,
                                                           Integer height, Integer itemNo,
                                                           bool startsNewLine) {
  auto d = std::make_unique<TVLDrawLineInfo>();
  d->SetData(left, top, itemNo, startsNewLine);
  d->SetSize(width, height);
  return d;
}

void TVLDrawLineInfo::SetData(Integer left, Integer top, Integer itemNo, bool startsNewLine) {
  Left = left;
  Top = top;
  ItemNo = itemNo;
  StartsNewLine = startsNewLine;
}

void TVLDrawLineInfo::SetSize(Integer width, Integer height) {
  Width = width;
  Height = height;
}

void TVLDrawLines::Insert(Integer index, std::unique_ptr<TVLDrawLineInfo> item) {
  if (FPendingCount == 0 && FPendingFirst >= 0 && index == FPendingFirst && index < Count()) {
    // The range grew past its old slots in the middle of the list: open a
    // gap as large as what was laid out so far, so that the lines after it
    // move a few times instead of once per new line.
    const size_t gap = static_cast<size_t>(std::max<Integer>(16, index - FSessionStart));
    const size_t old = FItems.size();
    FItems.resize(old + gap);
    std::move_backward(FItems.begin() + index, FItems.begin() + static_cast<std::ptrdiff_t>(old), FItems.end());
    FPendingCount = static_cast<Integer>(gap);
  }
  if (FPendingCount > 0 && index == FPendingFirst) {
    FItems[static_cast<size_t>(index)] = std::move(item);
    ++FPendingFirst;
    --FPendingCount;
    return;
  }
  if (index < 0 || index > Count()) VLListIndexError(index);
  FItems.insert(FItems.begin() + index, std::move(item));
  // A real insert before the pending range moves it.
  if (FPendingCount > 0 && index < FPendingFirst) ++FPendingFirst;
}

void TVLDrawLines::Delete(Integer index) {
  if (index < 0 || index >= Count()) VLListIndexError(index);
  if (FPendingCount == 0) {
    FItems.erase(FItems.begin() + index);
    return;
  }
  if (index == FPendingFirst - 1) {
    FItems[static_cast<size_t>(index)].reset();
    --FPendingFirst;
    ++FPendingCount;
    return;
  }
  FItems.erase(FItems.begin() + index);
  if (index < FPendingFirst) --FPendingFirst;
}

void TVLDrawLines::MarkForDelete(Integer first, Integer last) {
  FSessionStart = first;
  if (last < first) {
    FPendingFirst = first;
    FPendingCount = 0;
    return;
  }
  if (first < 0 || last >= Count()) VLListIndexError(first < 0 ? first : last);
  for (Integer i = first; i <= last; ++i) FItems[static_cast<size_t>(i)].reset();
  FPendingFirst = first;
  FPendingCount = last - first + 1;
}

void TVLDrawLines::DeleteMarked() {
  if (FPendingCount > 0) {
    FItems.erase(FItems.begin() + FPendingFirst, FItems.begin() + FPendingFirst + FPendingCount);
  }
  FPendingCount = 0;
  FPendingFirst = -1;
}

std::vector<std::unique_ptr<TVLDrawLineInfo>> TVLDrawLines::RemoveRange(Integer first, Integer last) {
  std::vector<std::unique_ptr<TVLDrawLineInfo>> removed;
  if (last < first) return removed;
  if (first < 0 || last >= Count()) VLListIndexError(first < 0 ? first : last);
  for (Integer i = first; i <= last; ++i) removed.push_back(std::move(FItems[static_cast<size_t>(i)]));
  FItems.erase(FItems.begin() + first, FItems.begin() + last + 1);
  return removed;
}

void TVLDrawLines::Clear() {
  FItems.clear();
  FPendingFirst = -1;
  FPendingCount = 0;
}

AnsiString TVLDrawLines::GetText(Integer index, const TStrings& items) const {
  const TVLDrawLineInfo* d = Get(index);
  const auto* item = static_cast<const TCustomVLItemInfo*>(items.GetObject(d->ItemNo));
  return TextCopy(items.Get(d->ItemNo), d->TextOffset, d->Length, item ? item->ItemOptions : 0);
}

AnsiString TVLDrawLines::GetSubText(Integer index, const TStrings& items, Integer start,
                                    Integer count) const {
  const TVLDrawLineInfo* d = Get(index);
  if (start + count > d->Length + 1) count = d->Length - start + 1;
  if (count < 0) count = 0;
  const auto* item = static_cast<const TCustomVLItemInfo*>(items.GetObject(d->ItemNo));
  return TextCopy(items.Get(d->ItemNo), d->TextOffset + start - 1, count,
                  item ? item->ItemOptions : 0);
}

// Bullets and numbering: list markers put on, taken off or moved a level on
// the selected paragraphs as one undo group, and numbered lists recounted.
#include "richtext/editor/VLEditData.h"
#include "richtext/model/VLMarkers.h"

#include <algorithm>

bool TVLEditVLData::ListHasTextNumbering(Integer listNo) {
  TVLStyle* style = GetStyle();
  return style && listNo >= 0 && listNo < style->ListStyles->Count() &&
         style->ListStyles->Items(listNo)->HasTextNumbering();
}

void TVLEditVLData::ApplyListToParas(TListWalk& w) {
  TVLStyle* style = GetStyle();
  // Item positions that follow the item list while markers come and go.
  auto shift = [&](Integer at, Integer by) {
    for (Integer* p : w.Positions)
      if (*p >= at) *p += by;
    w.Last += by;
    w.Delta += by;
  };
  const Integer firstPara = w.First;
  for (Integer p = w.Last; p >= w.First; --p) {
    if (p > 0 && !GetItem(p)->IsParaStart()) continue;
    if (GetItem(p)->GetBoolValue(0)) continue;
    bool had = false;
    Integer oldList = -1, oldLevel = 0, oldStart = 1;
    bool oldReset = false, oldProtect = false, pageBreak = false;
    TVLTag oldTag;
    std::unique_ptr<TVLCPInfo> oldCP;
    bool f = false;
    if (auto* m = dynamic_cast<TVLMarkerItemInfo*>(GetItem(p)); m && m->StyleNo == vlsListMarker) {
      had = true;
      if (ListHasTextNumbering(m->ListNo)) {
        w.Lists.insert(m->ListNo);
        if (TVLMarkerList* list = GetMarkers(false)) {
          const Integer index = list->IndexOf(m);
          if (index >= 0 && (w.FirstMarkerIndex < 0 || index < w.FirstMarkerIndex)) w.FirstMarkerIndex = index;
        }
      }
      oldList = m->ListNo;
      oldLevel = m->Level;
      oldStart = m->StartFrom;
      oldReset = m->Reset;
      oldTag = CopyTag(m->Tag);
      oldProtect = m->DeleteProtect;
      if (m->Checkpoint) oldCP = m->Checkpoint->CreateCopy(TagsArePChars());
      pageBreak = m->GetPageBreakBefore();
      if (w.Mode == 1) {
        if (p + 1 < GetItemCount() && GetItem(p + 1)->GetSameAsPrev()) SetSameAsPrev(p + 1, false, f, -1);
        w.Full = w.Full || f;
      }
      DeleteItem(p, f);
      w.Full = w.Full || f;
      shift(p + 1, -1);
      if (w.Mode == 1) {
        if (pageBreak && p < GetItemCount()) SetPageBreak(p, true);
        continue;
      }
    } else if (w.Mode != 0) {
      continue;
    }
    auto marker = std::make_unique<TVLMarkerItemInfo>(this);
    marker->StyleNo = vlsListMarker;
    if (w.Mode == 2) {
      marker->ListNo = oldList;
      Integer levels = 1;
      if (style && oldList >= 0 && oldList < style->ListStyles->Count())
        levels = std::max<Integer>(style->ListStyles->Items(oldList)->Levels->Count(), 1);
      marker->Level = std::clamp(oldLevel + w.Level, 0, levels - 1);
      marker->StartFrom = oldStart;
      marker->Reset = oldReset;
    } else {
      marker->ListNo = w.ListNo;
      marker->Level = w.Level >= 0 ? w.Level : (had ? oldLevel : 0);
      marker->StartFrom = w.StartFrom;
      marker->Reset = w.Reset && p == firstPara;
    }
    if (ListHasTextNumbering(marker->ListNo)) w.Lists.insert(marker->ListNo);
    marker->Tag = oldTag;
    marker->DeleteProtect = oldProtect;
    if (oldCP) marker->Checkpoint = oldCP.release();
    // The paragraph's first item: its page break goes to the marker.
    TCustomVLItemInfo* head = p < GetItemCount() ? GetItem(p) : nullptr;
    marker->ParaNo = head ? head->ParaNo : 0;
    if (pageBreak || (head && head->GetPageBreakBefore())) marker->ItemOptions |= vlioPageBreakBefore;
    InsertItem(p, "", f, false, marker.release());
    w.Full = w.Full || f;
    shift(p, 1);
    if (p + 1 < GetItemCount()) {
      // Already continuing the removed marker's line, or a paragraph start.
      if (GetItem(p + 1)->GetSameAsPrev()) {
        if (GetItem(p + 1)->GetPageBreakBefore()) SetPageBreak(p + 1, false);
      } else {
        SetSameAsPrev(p + 1, true, f, -1);
      }
      w.Full = w.Full || f;
    }
  }
}

void TVLEditVLData::ApplyListOperation(Integer mode, Integer listNo, Integer level, Integer startFrom,
                                       bool reset) {
  PrepareEmptyDocument();
  if (GetItemCount() == 0) return;
  BeginUndoSequence(vlutLists, true);
  TListWalk w;
  {
    TVLUndoGroupModeGuard group(this);
    w.Mode = mode;
    w.ListNo = listNo;
    w.Level = level;
    w.StartFrom = startFrom;
    w.Reset = reset;
    const bool hadSel = SelectionExists();
    Integer ss = 0, sso = 0, se = 0, seo = 0;
    if (hadSel) GetSelBounds(false, ss, sso, se, seo);
    Integer caretItem = GetCaretItemNo(), caretOffs = GetCaretOffset();
    Integer first, fo, last, lo;
    GetSelectionBoundsOrCaret(first, fo, last, lo);
    if (first > last) std::swap(first, last);
    first = std::clamp(first, 0, GetItemCount() - 1);
    last = std::clamp(last, first, GetItemCount() - 1);
    while (first > 0 && !GetItem(first)->IsParaStart()) --first;
    while (last + 1 < GetItemCount() && !GetItem(last + 1)->IsParaStart()) ++last;
    const TVLReformatRange range = ItemRange(first, last);
    const Integer w0 = CalculateMinItemsWidth(first, last);
    w.First = first;
    w.Last = last;
    w.Positions = {&ss, &se, &caretItem};
    ApplyListToParas(w);
    // A position that was on a removed marker stays at its paragraph start.
    for (Integer* p : w.Positions) *p = std::clamp(*p, 0, GetItemCount() - 1);
    const Integer w1 = CalculateMinItemsWidth(w.First, std::max(w.First, w.Last));
    const bool full = w.Full || (w1 != w0 && (DocumentWidth <= w0 || DocumentWidth <= w1));
    ReformatAfterEdit(range, w.Delta, full);
    auto fix = [&](Integer item, Integer& offs) {
      offs = std::clamp(offs, GetItemStartOffset(item), GetItemEndOffset(item));
    };
    if (hadSel) {
      fix(ss, sso);
      fix(se, seo);
      StoreSelBounds(ss, sso, se, seo);
    }
    fix(caretItem, caretOffs);
    Integer d, o;
    Item2DrawItem(caretItem, caretOffs, d, o);
    if (d >= 0) {
      CaretDrawItemNo = d;
      SkipMarker(true, o);
      BuildCharPositions(o - 2);
    }
    PlaceCaret(true, true, false);
  }
  NotifyChange(true);
  RenumberLists(w.Lists, std::max(w.FirstMarkerIndex, 0));
}

void TVLEditVLData::RenumberLists(const std::set<Integer>& lists, Integer startIndex) {
  TVLMarkerList* markers = GetMarkers(false);
  if (!markers || lists.empty()) return;
  Integer firstItem = -1, lastItem = -1;
  // A whole new layout drops the caret's draw item: it goes back on its text.
  auto reformatKeepingCaret = [this] {
    Integer caretItem = -1, caretOffs = 0;
    if (CaretDrawItemNo >= 0 && CaretDrawItemNo < DrawItems.Count() && CaretStop()) {
      caretItem = GetCaretItemNo();
      caretOffs = GetCaretOffset();
    }
    Reformat();
    InvalidateHost();
    if (caretItem >= 0) SetCaretToItemPos(caretItem, caretOffs);
  };
  for (Integer listNo : lists) {
    for (Integer i = std::max(startIndex, 0); i < markers->Count(); ++i) {
      if (markers->Get(i)->ListNo != listNo) continue;
      markers->RecalcCounters(i, GetStyle());
      break;
    }
  }
  for (Integer i = std::max(startIndex, 0); i < markers->Count(); ++i) {
    if (lists.count(markers->Get(i)->ListNo) == 0) continue;
    const Integer itemNo = ItemNoOfObject(markers->Get(i));
    if (itemNo < 0) {
      firstItem = -1;
      break;
    }
    if (firstItem < 0) firstItem = itemNo;
    lastItem = itemNo;
  }
  if (firstItem < 0) {
    // The recounted markers are not all items of this document.
    reformatKeepingCaret();
    return;
  }
  Integer f = Item2FirstDrawItem(firstItem), l = Item2FirstDrawItem(lastItem);
  if (f < 0 || l < 0) {
    reformatKeepingCaret();
    return;
  }
  Integer ef, el;
  ExpandReformatRange(f, l, ef, el);
  FormatParasExact(ef, el, 0, false);
}

void TVLEditVLData::UpdateListNumbering(Integer first, Integer last) {
  TVLMarkerList* markers = GetMarkers(false);
  if (!markers || GetItemCount() == 0) return;
  first = std::clamp(first, 0, GetItemCount() - 1);
  last = std::clamp(last, first, GetItemCount() - 1);
  while (first > 0 && !GetItem(first)->IsParaStart()) --first;
  std::set<Integer> lists;
  Integer startIndex = -1;
  for (Integer i = first; i <= last; ++i) {
    auto* m = dynamic_cast<TVLMarkerItemInfo*>(GetItem(i));
    if (!m || m->StyleNo != vlsListMarker || !ListHasTextNumbering(m->ListNo)) continue;
    lists.insert(m->ListNo);
    if (startIndex < 0) startIndex = markers->IndexOf(m);
  }
  if (startIndex >= 0) RenumberLists(lists, startIndex);
}

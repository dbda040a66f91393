// Putting one item at the caret, deleting the selection and the Delete key.
#include "richtext/editor/VLEditData.h"
#include "richtext/view/VLHitTesting.h"
#include "richtext/model/VLUni.h"

#include <algorithm>

namespace {

constexpr Byte LineBits = vlioSameAsPrev | vlioPageBreakBefore | vlioBR;

}  // namespace

// ---------------------------------------------------------------------------
// Item tests

bool TVLEditVLData::IsParagraphAnchored(Integer itemNo) {
  TVLCPInfo* cp = GetItem(itemNo)->Checkpoint;
  return cp && cp->Persistent;
}

bool TVLEditVLData::ParaHasAnchoredItem(Integer itemNo) {
  const Integer start = GetParaStartItem(itemNo);
  for (Integer i = start; i < GetItemCount(); ++i) {
    if (i > start && GetItem(i)->IsParaStart()) break;
    if (IsParagraphAnchored(i)) return true;
  }
  return false;
}

bool TVLEditVLData::IsParaReadOnly(Integer itemNo) {
  TVLStyle* style = GetStyle();
  if (!style || itemNo < 0 || itemNo >= GetItemCount()) return false;
  const Integer p = GetItem(itemNo)->ParaNo;
  return p >= 0 && p < style->ParaStyles->Count() && style->ParaStyles->Items(p)->Options.Contains(vlpaoReadOnly);
}

bool TVLEditVLData::HasProtection(Integer itemNo, TVLProtectOption option) {
  TVLStyle* style = GetStyle();
  if (!style || GetItemStyle(itemNo) < 0) return false;
  const Integer s = GetItemActualStyle(GetItem(itemNo));
  return s >= 0 && s < style->TextStyles->Count() && style->TextStyles->Items(s)->Protection.Contains(option);
}

bool TVLEditVLData::IsItemDeleteProtected(Integer itemNo) {
  if (GetItemStyle(itemNo) >= 0) return HasProtection(itemNo, vlprDeleteProtect);
  auto* nt = dynamic_cast<TVLNonTextItemInfo*>(GetItem(itemNo));
  return nt && nt->DeleteProtect;
}

std::unique_ptr<TCustomVLItemInfo> TVLEditVLData::CreateTextItem(Integer styleNo, Integer paraNo,
                                                                 bool sameAsPrev, bool br) {
  std::unique_ptr<TCustomVLItemInfo> item = VLTextItemClass.Create(this);
  item->StyleNo = styleNo;
  item->ParaNo = paraNo;
  item->ItemOptions = static_cast<Byte>((sameAsPrev ? vlioSameAsPrev : 0) | (br ? vlioBR : 0));
  TVLStyle* style = GetStyle();
  const Integer actual = GetActualStyleNo(styleNo, paraNo);
  if (style && actual >= 0 && actual < style->TextStyles->Count() && style->TextStyles->Items(actual)->Unicode)
    item->ItemOptions |= vlioUnicode;
  return item;
}

std::unique_ptr<TCustomVLItemInfo> TVLEditVLData::CopyTextItem(Integer itemNo) {
  std::unique_ptr<TCustomVLItemInfo> item = DuplicateItem(*GetItem(itemNo), this, false);
  item->ItemOptions &= vlioSameAsPrev | vlioUnicode;
  return item;
}

// ---------------------------------------------------------------------------
// Inserting

bool TVLEditVLData::InsertTextItemAtCaret(const AnsiString& text, Integer styleNo, bool inheritTag,
                                          bool caretBefore) {
  AnsiString t = text;
  return InsertItemAtCaret(t, CreateTextItem(styleNo, CurParaStyleNo, false, false).release(), caretBefore,
                           inheritTag);
}

bool TVLEditVLData::InsertItemAtCaret(AnsiString& text, TCustomVLItemInfo* itemIn, bool caretBefore,
                                      bool inheritTag) {
  std::unique_ptr<TCustomVLItemInfo> item(itemIn);
  const bool isBreak = item->StyleNo == vlsBreak;
  const bool anchored = item->Checkpoint && item->Checkpoint->Persistent;
  const bool fullLine = item->GetBoolValue(0);
  const bool marker = item->StyleNo == vlsListMarker;
  if (!isBreak && !anchored) item->ParaNo = CurParaStyleNo;
  if (ActiveItem) {
    Beep();
    return false;
  }
  PrepareEmptyDocument();
  if (!EnsureValidCaret()) {
    Beep();
    return false;
  }
  const TVLCharPos stop = *CaretStop();
  const TVLDrawLineInfo* di = DrawItems[stop.DrawItemNo];
  const Integer n = di->ItemNo;
  TCustomVLItemInfo* cur = GetItem(n);
  if (!fullLine && !anchored && !marker) {
    item->ItemOptions = static_cast<Byte>((item->ItemOptions & ~LineBits) | vlioSameAsPrev);
    item->ParaNo = cur->ParaNo;
  } else {
    item->ItemOptions &= static_cast<Byte>(~LineBits);
    if (!isBreak) item->ParaNo = CurParaStyleNo;
  }
  TVLStyle* style = GetStyle();
  if (style && item->ParaNo >= 0 && item->ParaNo < style->ParaStyles->Count() &&
      style->ParaStyles->Items(item->ParaNo)->Options.Contains(vlpaoReadOnly)) {
    Beep();
    return false;
  }
  if (inheritTag && item->StyleNo >= 0 && item->Tag == TVLTag() && item->StyleNo == CurTextStyleNo)
    item->Tag = CopyTag(CurTag);
  const bool curText = cur->StyleNo >= 0;
  const Integer pos = curText ? di->TextOffset + stop.Offset - 1 : stop.Offset;
  const Integer len = curText ? GetItemLength(n) : 0;
  const TVLReformatRange range = CaretLineRange();
  Integer delta = 1, at = n;
  bool full = false, f = false;
  // The item that the new one goes before and that must continue its line.
  bool joinFollower = false;
  auto takeLineBits = [&](TCustomVLItemInfo* from) {
    item->ItemOptions = static_cast<Byte>((item->ItemOptions & ~LineBits) | (from->ItemOptions & (vlioBR | vlioPageBreakBefore)));
    item->ParaNo = isBreak ? 0 : from->ParaNo;
  };
  // A full-line item at the start of a list paragraph goes before the
  // paragraph: it would leave the marker with nothing of its own paragraph
  // after it, which a cell closing or a reading makes up for with an item
  // the undo history does not know of.
  const bool listStart = n > 0 && GetItemStyle(n - 1) == vlsListMarker && (curText ? len == 0 || pos <= 1 : pos == 0);
  if (fullLine && !marker && listStart) {
    at = n - 1;
    takeLineBits(GetItem(n - 1));
  } else if (!curText) {
    if (marker) return true;
    if (pos == 0) {
      at = n;
      if (cur->IsFromNewLine()) {
        takeLineBits(cur);
        joinFollower = !fullLine;
      }
    } else {
      at = n + 1;
      if (cur->GetBoolValue(0)) item->ItemOptions &= static_cast<Byte>(~LineBits);
    }
  } else if (len == 0) {
    if (IsParaReadOnly(n)) {
      Beep();
      return false;
    }
    // The new item takes the empty item's place.
    item->ItemOptions = static_cast<Byte>((item->ItemOptions & ~LineBits) | (cur->ItemOptions & LineBits));
    if (!isBreak) item->ParaNo = cur->ItemOptions & vlioSameAsPrev ? cur->ParaNo : CurParaStyleNo;
    DeleteItem(n, f);
    full = full || f;
    delta = 0;
    at = n;
    // A marker into an empty list paragraph takes the place of the
    // paragraph's own: a paragraph has one number.
    if (marker && n > 0 && GetItemStyle(n - 1) == vlsListMarker) {
      TCustomVLItemInfo* own = GetItem(n - 1);
      item->ItemOptions = static_cast<Byte>((item->ItemOptions & ~LineBits) | (own->ItemOptions & LineBits));
      DeleteItem(n - 1, f);
      full = full || f;
      delta = -1;
      at = n - 1;
    }
  } else {
    if (marker) return true;
    // Text inserted into tagged text of its own style carries the tag on.
    if (inheritTag && item->StyleNo >= 0 && item->Tag == TVLTag() && item->StyleNo == cur->StyleNo)
      item->Tag = CopyTag(cur->Tag);
    if (pos <= 1) {
      at = n;
      if (cur->IsFromNewLine()) {
        takeLineBits(cur);
        joinFollower = !fullLine;
      }
    } else if (pos >= len + 1) {
      at = n + 1;
    } else {
      if (HasProtection(n, vlprModifyProtect)) {
        Beep();
        return false;
      }
      const AnsiString tail = TextCopy(GetItemTextA(n), pos, len - pos + 1, GetItemOptions(n));
      std::unique_ptr<TCustomVLItemInfo> right = CopyTextItem(n);
      right->ItemOptions = static_cast<Byte>((right->ItemOptions & ~LineBits) | vlioSameAsPrev);
      right->ParaNo = cur->ParaNo;
      DeleteSubstring(n, pos, -1);
      InsertItem(n + 1, tail, f, false, right.release());
      full = full || f;
      at = n + 1;
      delta = 2;
    }
  }
  // A full-line item stands in a paragraph of its own.
  if (fullLine) item->ItemOptions &= static_cast<Byte>(~(vlioSameAsPrev | vlioBR));
  TCustomVLItemInfo* raw = item.release();
  InsertItem(at, text, f, false, raw);
  full = full || f;
  if (at + 1 < GetItemCount()) {
    if (joinFollower) {
      SetSameAsPrev(at + 1, true, f, -1);
      full = full || f;
    } else if (fullLine && !GetItem(at + 1)->IsParaStart()) {
      SetSameAsPrev(at + 1, false, f, -1);
      SetBR(at + 1, false, f);
    }
  }
  full = full || ParaMinWidth(at) > DocumentWidth;
  ReformatAfterEdit(range, delta, full);
  if (caretBefore)
    SetCaretToItemPos(at, GetItemStartOffset(at));
  else
    SetCaretToItemPos(at, GetItemEndOffset(at));
  return true;
}

// ---------------------------------------------------------------------------
// Deleting the selection

bool TVLEditVLData::CanDeleteSelection() {
  if (!SelectionExists()) return true;
  Integer s, so, e, eo;
  GetSelBounds(true, s, so, e, eo);
  if (IsParaReadOnly(CurParaStyleNo >= 0 ? GetCaretItemNo() : s) && CurParaStyleNo >= 0) {
    TVLStyle* style = GetStyle();
    if (style && CurParaStyleNo < style->ParaStyles->Count() &&
        style->ParaStyles->Items(CurParaStyleNo)->Options.Contains(vlpaoReadOnly))
      return false;
  }
  for (Integer i = s + 1; i < e; ++i)
    if (IsItemDeleteProtected(i) || IsParaReadOnly(i)) return false;
  auto judge = [&](Integer i, Integer from, Integer to) {
    if (from >= to) return true;
    const bool whole = from <= GetItemStartOffset(i) && to >= GetItemEndOffset(i);
    if (GetItemStyle(i) >= 0) {
      if (whole) return !HasProtection(i, vlprDeleteProtect);
      return !HasProtection(i, vlprModifyProtect);
    }
    return !IsItemDeleteProtected(i);
  };
  if (s == e) {
    if (!judge(s, so, eo)) return false;
    if (IsParaReadOnly(s)) return false;
  } else {
    if (!judge(s, so, GetItemEndOffset(s)) || !judge(e, GetItemStartOffset(e), eo)) return false;
    if (IsParaReadOnly(s) && !(GetItem(s)->IsParaStart() && so <= GetItemStartOffset(s))) return false;
    if (IsParaReadOnly(e) &&
        !(eo >= GetItemEndOffset(e) && (e + 1 >= GetItemCount() || GetItem(e + 1)->IsParaStart())))
      return false;
    for (Integer i = s + 1; i <= e; ++i)
      if (GetItem(i)->IsParaStart() && IsParagraphAnchored(i)) return false;
  }
  return true;
}

void TVLEditVLData::DeleteRange(Integer s, Integer so, Integer e, Integer eo, Integer& caretItem,
                                Integer& caretOffs, Integer& removed, bool& full) {
  bool f = false;
  bool joinFlag = false, joinNext = false;
  auto endsLine = [&](Integer i) { return i + 1 >= GetItemCount() || GetItem(i + 1)->IsFromNewLine(); };
  if (s == e) {
    joinFlag = endsLine(s);
  } else {
    if (eo >= GetItemEndOffset(e)) {
      joinFlag = endsLine(e);
      DeleteItem(e, f);
      full = full || f;
      ++removed;
    } else {
      if (GetItemStyle(e) >= 0 && eo > 1) DeleteSubstring(e, 1, eo - 1);
      joinNext = true;
      joinFlag = false;
    }
    if (e - 1 >= s + 1) {
      DeleteItems(s + 1, e - 1, f);
      full = full || f;
      removed += e - 1 - s;
    }
    eo = GetItemEndOffset(s);
  }
  // Item s from so to eo.
  const bool isText = GetItemStyle(s) >= 0;
  const bool whole = so <= GetItemStartOffset(s) && eo >= GetItemEndOffset(s) && (isText || so < eo);
  if (!whole) {
    if (isText && eo > so) DeleteSubstring(s, so, eo - so);
    caretItem = s;
    caretOffs = so;
    if (s != e && s + 1 < GetItemCount() && GetItem(s)->GetBoolValue(0)) {
      // Nothing goes on after a table: what is left of the end's paragraph
      // starts one, also when its start went with the selection (the end
      // in a later item, after a line break, or at the end of an item that
      // went whole).
      const bool goesOn = !GetItem(s + 1)->IsParaStart();
      if (goesOn) {
        SetSameAsPrev(s + 1, false, f, -1);
        full = full || f;
        SetBR(s + 1, false, f);
        full = true;
      }
      if (joinNext || goesOn) {
        caretItem = s + 1;
        caretOffs = GetItemStartOffset(s + 1);
      }
    } else if (joinNext && s + 1 < GetItemCount()) {
      SetSameAsPrev(s + 1, true, f, -1);
      full = full || f;
    }
    return;
  }
  TCustomVLItemInfo* item = GetItem(s);
  const bool afterMarker = s > 0 && GetItemStyle(s - 1) == vlsListMarker;
  if (joinFlag && item->GetSameAsPrev() && !afterMarker) joinFlag = false;
  // Nothing goes on after a marker from a table the selection ended at:
  // the list paragraph keeps an empty text of its own for what is typed.
  if (afterMarker && joinNext && s + 1 < GetItemCount() && GetItem(s + 1)->GetBoolValue(0)) joinFlag = true;
  const Byte bits = item->ItemOptions & LineBits;
  const Integer paraNo = item->ParaNo;
  const bool fromNewLine = item->IsFromNewLine();
  DeleteItem(s, f);
  full = full || f;
  ++removed;
  if (joinFlag) {
    // The paragraph stays, empty, in the current text style.
    std::unique_ptr<TCustomVLItemInfo> empty = CreateTextItem(CurTextStyleNo, paraNo, false, false);
    empty->ItemOptions = static_cast<Byte>((empty->ItemOptions & ~LineBits) | bits);
    InsertItem(s, "", f, false, empty.release());
    full = full || f;
    --removed;
    caretItem = s;
    caretOffs = 1;
  } else if (fromNewLine && s < GetItemCount()) {
    TCustomVLItemInfo* next = GetItem(s);
    if (!next->IsFromNewLine() || joinNext) {
      RestoreItemFlags(s, bits, vlumNewLine);
      Integer end = s;
      while (end + 1 < GetItemCount() && !GetItem(end + 1)->IsParaStart()) ++end;
      SetParaRange(s, end, f, paraNo);
      full = full || f;
    }
    caretItem = s;
    caretOffs = GetItemStartOffset(s);
  } else {
    caretItem = std::max(s - 1, 0);
    caretOffs = s > 0 ? GetItemEndOffset(s - 1) : GetItemStartOffset(0);
    if (joinNext && s > 0 && s < GetItemCount()) {
      SetSameAsPrev(s, true, f, -1);
      full = full || f;
    }
  }
}

bool TVLEditVLData::DeleteSelection() {
  if (!SelectionExists()) {
    if (ActiveItem) {
      if (ActiveItem->CanDeletePartiallySelected()) {
        ActiveItem->DeletePartiallySelected();
        return true;
      }
      Beep();
      return false;
    }
    return true;
  }
  if (!CanDeleteSelection()) {
    Beep();
    return false;
  }
  // A drop caret of a drag over this document: inside the selection the
  // deletion is refused; after it, it keeps its place in the text.
  Integer dropTail = -1;
  if (DragDropCaret && DragDropCaret->VLData == this && DragDropCaret->ItemNo >= 0 &&
      DragDropCaret->ItemNo < GetItemCount()) {
    Integer s, so, e, eo;
    GetSelBounds(true, s, so, e, eo);
    const Integer di = DragDropCaret->ItemNo, dof = DragDropCaret->ItemOffs;
    const bool afterStart = di > s || (di == s && dof > so);
    const bool beforeEnd = di < e || (di == e && dof < eo);
    if (afterStart && beforeEnd) {
      Beep();
      return false;
    }
    if (!beforeEnd) dropTail = UnitsToEnd(di, dof);
  }
  BeginUndoSequence(vlutDelete, true);
  Integer ds, dso, de, deo;
  GetDrawItemSelBounds(true, ds, dso, de, deo);
  TVLReformatRange range;
  ExpandReformatRange(ds, de, range.First, range.Last);
  Integer s, so, e, eo;
  GetSelBounds(true, s, so, e, eo);
  Deselect(nullptr, true);
  if (so <= GetItemStartOffset(s) && s > 0 && GetItem(s)->GetSameAsPrev() && s < e) {
    --s;
    so = GetItemEndOffset(s);
  }
  // A bound on a marker: the start keeps the marker with its paragraph;
  // the end takes it only when the selection passed it.
  AdjustBoundOffMarker(s, so, true);
  AdjustBoundOffMarker(e, eo, false);
  if (e < s || (e == s && eo < so)) {
    e = s;
    eo = so;
  }
  Integer caretItem = s, caretOffs = so, removed = 0;
  bool full = false;
  DeleteRange(s, so, e, eo, caretItem, caretOffs, removed, full);
  if (caretItem + 1 < GetItemCount() && caretItem >= 0 &&
      CanConcateItems(caretItem, GetItem(caretItem), GetItem(caretItem + 1), false)) {
    const bool emptyFirst = GetItemLength(caretItem) == 0;
    ConcateItems(caretItem);
    if (emptyFirst && GetItemTextA(caretItem).empty() == false && caretOffs > 1) caretOffs = 1;
    ++removed;
  }
  caretItem = std::clamp(caretItem, 0, GetItemCount() - 1);
  ReformatAfterEdit(range, -removed, full);
  SetCaretToItemPos(caretItem, caretOffs);
  // A merged paragraph carries the first paragraph's style throughout.
  const Integer paraNo = GetItem(caretItem)->ParaNo;
  Integer first = GetParaStartItem(caretItem), last = caretItem;
  while (last + 1 < GetItemCount() && !GetItem(last + 1)->IsParaStart()) ++last;
  bool differs = false;
  for (Integer i = first; i <= last; ++i) differs = differs || GetItem(i)->ParaNo != paraNo;
  if (differs) {
    const TVLReformatRange r2 = ItemRange(first, last);
    bool f = false;
    SetParaRange(first, last, f, paraNo);
    const Integer offs = GetCaretOffset();
    ReformatAfterEdit(r2, 0, f);
    SetCaretToItemPos(caretItem, offs);
  }
  if (dropTail >= 0) {
    Integer item, offs;
    PositionFromEnd(dropTail, item, offs);
    VLSetDragDropCaret(*this, GetCanvas(), item, offs, *DragDropCaret);
  }
  DoSelect();
  return true;
}

void TVLEditVLData::AdjustBoundOffMarker(Integer& itemNo, Integer& offs, bool preferNext) {
  if (itemNo < 0 || itemNo >= GetItemCount() || GetItemStyle(itemNo) != vlsListMarker) return;
  const bool afterMarker = offs >= GetItemEndOffset(itemNo);
  if ((afterMarker || preferNext || itemNo == 0) && itemNo + 1 < GetItemCount()) {
    ++itemNo;
    offs = GetItemStartOffset(itemNo);
  } else if (itemNo > 0) {
    --itemNo;
    offs = GetItemEndOffset(itemNo);
  }
}

// Positions after an edit keep their distance from the document's end: a
// character of text or a non-text item is one unit.
Integer TVLEditVLData::UnitsToEnd(Integer itemNo, Integer offs) {
  Integer units = GetItemEndOffset(itemNo) - offs;
  for (Integer i = itemNo + 1; i < GetItemCount(); ++i)
    units += GetItemEndOffset(i) - GetItemStartOffset(i);
  return units;
}

void TVLEditVLData::PositionFromEnd(Integer units, Integer& itemNo, Integer& offs) {
  for (Integer i = GetItemCount() - 1; i >= 0; --i) {
    const Integer size = GetItemEndOffset(i) - GetItemStartOffset(i);
    if (units <= size || i == 0) {
      itemNo = i;
      offs = std::max(GetItemStartOffset(i), GetItemEndOffset(i) - units);
      return;
    }
    units -= size;
  }
  itemNo = 0;
  offs = 0;
}

// ---------------------------------------------------------------------------
// The Delete key

void TVLEditVLData::DeleteKey(bool continuing) {
  if (!EnsureValidCaret()) return;
  const TVLCharPos stop = *CaretStop();
  const TVLDrawLineInfo* di = DrawItems[stop.DrawItemNo];
  const Integer n = di->ItemNo;
  if (IsParaReadOnly(n)) {
    Beep();
    return;
  }
  const bool isText = GetItemStyle(n) >= 0;
  const Integer pos = isText ? di->TextOffset + stop.Offset - 1 : stop.Offset;
  const bool atItemEnd = pos >= GetItemEndOffset(n);
  const bool atLineEnd = IsCaretAtLineEnd();
  const Integer count = GetItemCount();
  if (atLineEnd && atItemEnd) {
    if (n + 1 >= count) {
      if (isText && GetItemLength(n) == 0 && n > 0) BackspacePressed(false, true, false);
      return;
    }
    TCustomVLItemInfo* next = GetItem(n + 1);
    if (GetItem(n)->GetBoolValue(0) || (next->GetBoolValue(0) && (!isText || GetItemLength(n) > 0))) {
      MoveCaretRight(false, false);
      return;
    }
    if (next->GetSameAsPrev()) {
      // A line wrapped inside a paragraph: go on at the next line.
      CaretDrawItemNo = stop.DrawItemNo + 1;
      SetCaretToDrawItemStart();
      DeleteKey(true);
      return;
    }
    // The end of a paragraph: the next one joins it.
    if (IsParaReadOnly(n + 1) || HasProtection(n + 1, vlprParaStartProtect) || ParaHasAnchoredItem(n + 1)) {
      Beep();
      return;
    }
    BeginUndoSequence(vlutDelete, true);
    Integer nextEnd = n + 1;
    while (nextEnd + 1 < count && !GetItem(nextEnd + 1)->IsParaStart()) ++nextEnd;
    const TVLReformatRange range = ItemRange(GetParaStartItem(n), nextEnd);
    bool full = false, f = false;
    Integer removed = 0, caretItem = n, caretOffs = pos;
    if (GetItemStyle(n + 1) == vlsListMarker && !IsItemDeleteProtected(n + 1) && n + 2 < count &&
        GetItem(n + 2)->GetSameAsPrev()) {
      // A list paragraph joins without its marker: what followed the marker
      // goes on in this paragraph (with this one's marker, if any), and an
      // empty item left before it goes.
      const Integer paraNo = GetItem(n)->ParaNo;
      DeleteItem(n + 1, f);
      full = true;
      removed = 1;
      if (isText && GetItemLength(n) == 0 && !IsItemDeleteProtected(n)) {
        const Byte bits = GetItem(n)->ItemOptions & LineBits;
        DeleteItem(n, f);
        removed = 2;
        RestoreItemFlags(n, bits, vlumNewLine);
        caretOffs = GetItemStartOffset(n);
      }
      Integer end = n;
      while (end + 1 < GetItemCount() && !GetItem(end + 1)->IsParaStart()) ++end;
      SetParaRange(n, end, f, paraNo);
      ReformatAfterEdit(range, -removed, full);
      SetCaretToItemPos(caretItem, caretOffs, true);
      return;
    }
    if (isText && GetItemLength(n) == 0 && !IsItemDeleteProtected(n)) {
      const Byte bits = GetItem(n)->ItemOptions & LineBits;
      DeleteItem(n, f);
      full = full || f;
      removed = 1;
      RestoreItemFlags(n, bits, vlumNewLine);
      caretItem = n;
      caretOffs = GetItemStartOffset(n);
    } else if (GetItemStyle(n + 1) >= 0 && GetItemLength(n + 1) == 0 &&
               (n + 2 >= count || GetItem(n + 2)->IsParaStart()) && !IsItemDeleteProtected(n + 1)) {
      DeleteItem(n + 1, f);
      full = full || f;
      removed = 1;
    } else if (CanConcateItems(n, GetItem(n), next, true)) {
      const Integer paraNo = GetItem(n)->ParaNo;
      ConcateItems(n);
      removed = 1;
      Integer end = n;
      while (end + 1 < GetItemCount() && !GetItem(end + 1)->IsParaStart()) ++end;
      SetParaRange(n, end, f, paraNo);
      full = full || f;
    } else {
      SetSameAsPrev(n + 1, true, f, -1);
      full = full || f;
    }
    ReformatAfterEdit(range, -removed, full);
    SetCaretToItemPos(caretItem, caretOffs, true);
    return;
  }
  if (atLineEnd) {
    const Integer nextD = stop.DrawItemNo + 1;
    if (nextD >= DrawItems.Count()) return;
    const TVLDrawLineInfo* nd = DrawItems[nextD];
    const bool gap = nd->ItemNo != n || nd->TextOffset > di->TextOffset + di->Length;
    CaretDrawItemNo = nextD;
    SetCaretToDrawItemStart();
    if (gap)
      BackspacePressed(false, true, false);
    else
      DeleteKey(true);
    return;
  }
  ++CaretCharPos;
  BackspacePressed(false, true, false);
}

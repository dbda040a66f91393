// Typing, Backspace and Enter.
#include "richtext/editor/VLEditData.h"
#include "richtext/view/VLHitTesting.h"
#include "richtext/model/VLUni.h"

#include <algorithm>

namespace {

constexpr Byte LineBits = vlioSameAsPrev | vlioPageBreakBefore | vlioBR;

}  // namespace

// ---------------------------------------------------------------------------
// Typing

void TVLEditVLData::KeyPressed(char key) {
  TVLStyle* style = GetStyle();
  if (!style || ActiveItem || !CanDeleteSelection()) {
    Beep();
    return;
  }
  const Integer actual = GetActualStyleNo(CurTextStyleNo, CurParaStyleNo);
  AnsiString s(1, key);
  if (actual >= 0 && actual < style->TextStyles->Count() && style->TextStyles->Items(actual)->Unicode) {
    AnsiString r;
    KeyboardAnsiToRawUnicode(s, r);
    if (r.empty()) return;
    s = r;
  }
  InsertTypedString(s);
}

void TVLEditVLData::InsertTypedText(const WideString& text, bool asTyping) {
  TVLStyle* style = GetStyle();
  if (!style || text.empty()) return;
  PrepareEmptyDocument();
  const Integer styleNo = StyleForText(CurTextStyleNo, text);
  if (styleNo != CurTextStyleNo) SetCurTextStyleNo(styleNo);
  const Integer actual = GetActualStyleNo(CurTextStyleNo, CurParaStyleNo);
  const AnsiString raw = WideStringToRawUnicode(text);
  if (actual >= 0 && actual < style->TextStyles->Count() && style->TextStyles->Items(actual)->Unicode)
    InsertTypedString(raw, asTyping);
  else
    InsertTypedString(RawUnicodeToAnsi(raw, GetStyleCodePage(actual)), asTyping);
}

void TVLEditVLData::InsertTypedString(const AnsiString& s, bool asTyping) {
  TVLStyle* style = GetStyle();
  if (!style || ActiveItem || !CanDeleteSelection()) {
    Beep();
    return;
  }
  if (s.empty()) return;
  PrepareEmptyDocument();
  if (!EnsureValidCaret()) return;
  const Integer actual = GetActualStyleNo(CurTextStyleNo, CurParaStyleNo);
  const bool unicode = actual >= 0 && actual < style->TextStyles->Count() && style->TextStyles->Items(actual)->Unicode;
  const Integer l = unicode ? static_cast<Integer>(s.size() / 2) : static_cast<Integer>(s.size());
  Integer d = CaretStop()->DrawItemNo;
  CaretDrawItemNo = d;
  Integer itemNo = DrawItems[d]->ItemNo;
  if (IsParaReadOnly(itemNo)) {
    Beep();
    return;
  }
  Integer k = CaretStop()->Offset - 1;
  Integer shift = 1;
  bool newItem = false;
  auto fits = [&](Integer i) {
    // The item's encoding must be the one the string is in.
    return GetItemStyle(i) >= 0 && GetItem(i)->IsUnicode() == unicode;
  };
  if (GetItem(itemNo)->StyleNo != CurTextStyleNo || !fits(itemNo)) {
    const bool isText = GetItemStyle(itemNo) >= 0;
    const bool afterEnd = (!isText && CaretStop()->Offset == 1) ||
                          (isText && DrawItems[d]->TextOffset + k > GetItemLength(itemNo));
    if (afterEnd && d + 1 < DrawItems.Count()) {
      const Integer next = DrawItems[d + 1]->ItemNo;
      if (next != itemNo && GetItem(next)->GetSameAsPrev() && GetItem(next)->StyleNo == CurTextStyleNo &&
          fits(next) && DrawItems[d + 1]->TextOffset == 1) {
        d = d + 1;
        itemNo = next;
        shift = 2;
        k = 1;
      } else {
        newItem = true;
      }
    } else {
      newItem = true;
    }
  }
  if (!newItem) {
    if (HasProtection(itemNo, vlprConcateProtect)) {
      newItem = true;
    } else if (HasProtection(itemNo, vlprModifyProtect)) {
      const Integer p = DrawItems[d]->TextOffset + k + 1 - shift;
      if (p <= GetItemStartOffset(itemNo) || p >= GetItemEndOffset(itemNo))
        newItem = true;
      else {
        Beep();
        return;
      }
    }
  }
  if (newItem) {
    BeginUndoSequence(vlutInsert, true);
    InsertTextItemAtCaret(s, CurTextStyleNo, true, false);
    NotifyChange(true);
    return;
  }
  const Integer pos = DrawItems[d]->TextOffset + k + 1 - shift;
  const TVLReformatRange range = CaretLineRange();
  if (l > 1 || !asTyping) {
    // An input method's commit or a dead-key sequence: one step of undo.
    BeginUndoSequence(vlutEnter, true);
    InsertSubstring(itemNo, pos, s);
  } else {
    UndoList->AddTyping(itemNo, pos, unicode);
    ++EditStamp;
    AnsiString text = GetItemTextA(itemNo);
    TextInsert(s, text, pos, GetItemOptions(itemNo));
    ItemAction(vliaTextModifying, GetItem(itemNo), text, this);
    SetItemTextA(itemNo, text);
  }
  ReformatAfterEdit(range, 0, ParaMinWidth(itemNo) > DocumentWidth);
  // After the whole string, not after its first character.
  SetCaretToItemPos(itemNo, pos + l);
  NotifyChange(true);
}

// ---------------------------------------------------------------------------
// Backspace

bool TVLEditVLData::MoveAnchoredCheckpoint(Integer itemNo, bool preferPrevious) {
  if (!IsParagraphAnchored(itemNo)) return true;
  // An anchored checkpoint may not vanish with its item: it goes to a
  // neighbour in the same paragraph.
  if (!preferPrevious && itemNo + 1 < GetItemCount() && !GetItem(itemNo + 1)->IsParaStart() &&
      !IsParagraphAnchored(itemNo + 1)) {
    MoveCheckpoint(itemNo, itemNo + 1);
    return true;
  }
  if (!GetItem(itemNo)->IsParaStart() && itemNo > 0 && !IsParagraphAnchored(itemNo - 1)) {
    MoveCheckpoint(itemNo, itemNo - 1);
    return true;
  }
  return false;
}

void TVLEditVLData::DeleteItemBeforeCaret(Integer n) {
  if (IsParaReadOnly(n) || IsItemDeleteProtected(n) || !MoveAnchoredCheckpoint(n, false)) {
    Beep();
    return;
  }
  Integer targetItem = n - 1, targetOffs = n > 0 ? GetItemEndOffset(n - 1) : 0;
  const TVLReformatRange range = ItemRange(std::max(n - 1, 0), std::min(n + 1, GetItemCount() - 1));
  TCustomVLItemInfo* item = GetItem(n);
  const Byte bits = item->ItemOptions & LineBits;
  const bool fromNewLine = item->IsFromNewLine();
  bool full = false, f = false;
  Integer removed = 1;
  DeleteItem(n, full);
  if (n < GetItemCount() && GetItem(n)->GetSameAsPrev()) {
    if (fromNewLine || n == 0) {
      RestoreItemFlags(n, bits, vlumNewLine);
      targetItem = n;
      targetOffs = GetItemStartOffset(n);
    } else if (n > 0 && CanConcateItems(n - 1, GetItem(n - 1), GetItem(n), false)) {
      ConcateItems(n - 1);
      ++removed;
    }
  }
  full = full || f;
  if (targetItem < 0) {
    targetItem = 0;
    targetOffs = GetItemStartOffset(0);
  }
  ReformatAfterEdit(range, -removed, full);
  SetCaretToItemPos(targetItem, targetOffs);
}

void TVLEditVLData::ReplaceWithEmptyItem(Integer n) {
  if (IsParaReadOnly(n) || IsItemDeleteProtected(n)) {
    Beep();
    return;
  }
  const TVLReformatRange range = ItemRange(n, n);
  TCustomVLItemInfo* old = GetItem(n);
  std::unique_ptr<TCustomVLItemInfo> item = CreateTextItem(CurTextStyleNo, CurParaStyleNo, false, false);
  item->ItemOptions = static_cast<Byte>((item->ItemOptions & ~LineBits) | (old->ItemOptions & LineBits));
  if (old->IsFromNewLine() && old->GetSameAsPrev() == false && !old->IsParaStart()) item->ParaNo = old->ParaNo;
  if (old->StyleNo >= 0) item->Tag = CopyTag(old->Tag);
  bool full = false, f = false;
  DeleteItem(n, f);
  full = full || f;
  InsertItem(n, "", f, false, item.release());
  full = full || f;
  ReformatAfterEdit(range, 0, full);
  SetCaretToItemPos(n, 1);
}

void TVLEditVLData::BackspaceAtParaStart(Integer n, const TVLReformatRange& range) {
  bool full = false, f = false;
  TCustomVLItemInfo* item = GetItem(n);
  // A page break before the paragraph goes first, alone.
  const Integer pbItem = n > 0 && GetItemStyle(n - 1) == vlsListMarker ? n - 1 : n;
  if (GetItem(pbItem)->GetPageBreakBefore()) {
    SetPageBreak(n, false);
    ReformatAfterEdit(range, 0, false);
    SetCaretToItemPos(n, GetItemStartOffset(n));
    InvalidateHost();
    return;
  }
  if (n > 0 && GetItemStyle(n - 1) == vlsListMarker) {
    DeleteItemBeforeCaret(n - 1);
    return;
  }
  if (item->StyleNo >= 0 && GetItemLength(n) == 0) {
    if (IsItemDeleteProtected(n) || IsParaReadOnly(n) || IsParagraphAnchored(n)) {
      Beep();
      return;
    }
    const Byte bits = item->ItemOptions & LineBits;
    DeleteItem(n, f);
    full = full || f;
    if (n < GetItemCount() && GetItem(n)->GetSameAsPrev()) RestoreItemFlags(n, bits, vlumNewLine);
    ReformatAfterEdit(range, -1, full);
    SetCaretToItemPos(n - 1, GetItemEndOffset(n - 1), true);
    return;
  }
  TCustomVLItemInfo* prev = GetItem(n - 1);
  if (prev->StyleNo >= 0 && GetItemLength(n - 1) == 0 && (n - 1 == 0 || GetItem(n - 1)->IsFromNewLine())) {
    if (IsItemDeleteProtected(n - 1) || IsParaReadOnly(n - 1) || IsParaReadOnly(n) || ParaHasAnchoredItem(n - 1)) {
      Beep();
      return;
    }
    if (!prev->GetBR()) SetBR(n, false, f);
    if (n > 1 && GetItemStyle(n - 2) == vlsListMarker) SetSameAsPrev(n, true, f, -1);
    DeleteItem(n - 1, f);
    full = full || f;
    ReformatAfterEdit(range, -1, full);
    SetCaretToItemPos(n - 1, GetItemStartOffset(n - 1));
    return;
  }
  if (IsParaReadOnly(n) || IsParaReadOnly(n - 1) || HasProtection(n, vlprParaStartProtect) ||
      ParaHasAnchoredItem(n)) {
    Beep();
    return;
  }
  const Integer paraNo = prev->ParaNo;
  if (CanConcateItems(n - 1, prev, item, true)) {
    const Integer target = GetItemLength(n - 1) + 1;
    ConcateItems(n - 1);
    Integer end = n - 1;
    while (end + 1 < GetItemCount() && !GetItem(end + 1)->IsParaStart()) ++end;
    SetParaRange(n - 1, end, f, paraNo);
    full = full || f;
    ReformatAfterEdit(range, -1, full);
    SetCaretToItemPos(n - 1, target, true);
    return;
  }
  SetSameAsPrev(n, true, f, -1);
  full = full || f;
  ReformatAfterEdit(range, 0, full);
  SetCaretToItemPos(n, GetItemStartOffset(n), true);
}

bool TVLEditVLData::KeepTableFromKey(Integer itemNo) {
  if (itemNo < 0 || itemNo >= GetItemCount() || GetItemStyle(itemNo) != vlsTable) return false;
  Integer s1, o1, s2, o2;
  GetSelBounds(true, s1, o1, s2, o2);
  const bool selected = SelectionExists() && (s1 < itemNo || (s1 == itemNo && o1 == 0)) &&
                        (s2 > itemNo || (s2 == itemNo && o2 == 1));
  const Integer d = Item2FirstDrawItem(itemNo);
  const TVLDrawLineInfo* di = d >= 0 ? DrawItems[d] : nullptr;
  const bool visible = di && di->Width > 0 && di->Height > 0 && di->Top < GetVOffset() + GetHeight() &&
                       di->Top + di->Height > GetVOffset();
  if (selected && visible) return false;
  // Shown and selected first; the next key takes it.
  if (!selected) SetSelectionBounds(itemNo, 0, itemNo, 1);
  if (di) VLShowRectangle(*this, di->Left, di->Top, di->Width, std::min(di->Height, std::max(GetHeight(), 1)));
  // A table wider than the view shows its left part: the caret after it
  // is brought back into sight.
  ScrollToCaret();
  Invalidate();
  return true;
}

void TVLEditVLData::BackspacePressed(bool ctrl, bool wholeCharacter, bool recursive) {
  if (!EnsureValidCaret()) return;
  const TVLCharPos stop = *CaretStop();
  const Integer d = stop.DrawItemNo;
  CaretDrawItemNo = d;
  const TVLDrawLineInfo* di = DrawItems[d];
  const Integer n = di->ItemNo;
  const bool isText = GetItemStyle(n) >= 0;
  Integer k = stop.Offset;
  if (recursive && d + 1 < DrawItems.Count() && DrawItems[d + 1]->ItemNo != n && isText)
    k = GetItemEndOffset(n) - di->TextOffset + 1;
  if (IsParaReadOnly(n)) {
    Beep();
    return;
  }
  const Integer pos = isText ? di->TextOffset + k - 1 : k;
  const bool atItemStart = isText ? pos <= 1 : k == 0;
  TCustomVLItemInfo* item = GetItem(n);
  if (CaretCharPos == 0 && atItemStart) {
    if (n == 0) return;
    TCustomVLItemInfo* prev = GetItem(n - 1);
    if (item->GetBoolValue(0) || (prev->GetBoolValue(0) && (!isText || GetItemLength(n) > 0))) {
      MoveCaretLeft(false, false);
      return;
    }
  }
  if (!isText && k == 1 && KeepTableFromKey(n)) return;
  const TVLReformatRange range = CaretLineRange();
  if (CaretCharPos == 0 && atItemStart && item->GetSameAsPrev() && n > 0 &&
      GetItemStyle(n - 1) != vlsListMarker) {
    // The start of a wrapped line: the last character of the line above goes.
    CaretDrawItemNo = d - 1;
    BuildCharPositions(0);
    CaretCharPos = static_cast<Integer>(CharPositions.size()) - 1;
    BackspacePressed(ctrl, wholeCharacter, true);
    return;
  }
  BeginUndoSequence(vlutDelete, true);
  if (CaretCharPos == 0 && atItemStart &&
      (item->IsFromNewLine() || (n > 0 && GetItemStyle(n - 1) == vlsListMarker))) {
    BackspaceAtParaStart(n, range);
    return;
  }
  Integer count = 1;
  const Integer p = pos - 1;
  if (isText) {
    const AnsiString text = GetItemTextA(n);
    const Byte opts = GetItemOptions(n);
    if (ctrl) {
      count = 1;
      Integer i = p - 1;
      for (; i >= 1; --i) {
        if (IsSpaceAt(text, i, opts) && !IsSpaceAt(text, i + 1, opts)) break;
        ++count;
      }
    } else if (wholeCharacter) {
      count = std::max(1, p + 1 - GetPrevCharOffset(text, opts, p + 1));
    }
    count = std::min(count, p);
  }
  const bool wholeItem = (!isText && k == 1) || (isText && count == GetItemLength(n) && p == GetItemLength(n));
  if (wholeItem) {
    if (item->GetSameAsPrev() && !(n > 0 && GetItemStyle(n - 1) == vlsListMarker)) {
      DeleteItemBeforeCaret(n);
    } else if (n + 1 < GetItemCount() && GetItem(n + 1)->GetSameAsPrev()) {
      DeleteItemBeforeCaret(n);
    } else {
      ReplaceWithEmptyItem(n);
    }
    return;
  }
  if (!isText || count <= 0) return;
  if (HasProtection(n, vlprModifyProtect)) {
    Beep();
    return;
  }
  const Integer w = ParaMinWidth(n);
  DeleteSubstring(n, p - count + 1, count);
  ReformatAfterEdit(range, 0, DocumentWidth <= w && WidthNeedsFull(w, ParaMinWidth(n)));
  SetCaretToItemPos(n, p - count + 1);
}

// ---------------------------------------------------------------------------
// Enter

bool TVLEditVLData::EnterAtBoundary(bool lineBreak, Integer d, Integer n, bool atLineEnd) {
  TVLStyle* style = GetStyle();
  TCustomVLItemInfo* item = GetItem(n);
  if (HasProtection(n, vlprParaStartProtect)) {
    Beep();
    return false;
  }
  if (atLineEnd && item->StyleNo == CurTextStyleNo && CurTextStyleNo >= 0 &&
      CurTextStyleNo < style->TextStyles->Count() && style->TextStyles->Items(CurTextStyleNo)->NextStyleNo != -1)
    SetCurTextStyleNo(style->TextStyles->Items(CurTextStyleNo)->NextStyleNo);
  const bool nextHasBR = n + 1 < GetItemCount() && GetItem(n + 1)->GetBR();
  if (!lineBreak && !nextHasBR) {
    const Integer p = item->ParaNo;
    const Integer nextPara = p >= 0 && p < style->ParaStyles->Count() ? style->ParaStyles->Items(p)->NextParaNo : -1;
    if (IsParaReadOnly(n))
      SetCurParaStyleNo(nextPara == -1 ? 0 : nextPara);
    else if (atLineEnd && nextPara != -1)
      SetCurParaStyleNo(nextPara);
  }
  Integer styleNo = CurTextStyleNo;
  const Integer actual = GetActualStyleNo(styleNo, CurParaStyleNo);
  if (actual >= 0 && actual < style->TextStyles->Count() &&
      style->TextStyles->Items(actual)->Protection.Contains(vlprModifyProtect))
    styleNo = 0;
  std::unique_ptr<TCustomVLItemInfo> ni = CreateTextItem(styleNo, CurParaStyleNo, false, false);
  const bool singleStop = CharPositions.size() == 1;
  if (lineBreak) ni->ParaNo = item->ParaNo;
  if (item->StyleNo == styleNo) {
    ni->Tag = CopyTag(item->Tag);
    ni->Hint = item->Hint;
  }
  const TVLReformatRange range = CaretLineRange();
  bool full = false, f = false;
  Integer at, caretItem;
  const bool markerLine = n > 0 && GetItemStyle(n - 1) == vlsListMarker && item->GetSameAsPrev();
  Integer added = 1, marker = -1;
  if (atLineEnd) {
    at = n + 1;
    if (lineBreak) ni->ItemOptions |= vlioBR;
    // A new list paragraph gets a marker of its own.
    if (!lineBreak && ni->ParaNo == item->ParaNo && CopyListMarker(n, at, true, f)) {
      full = full || f;
      marker = at++;
      ni->ItemOptions |= vlioSameAsPrev;
      ++added;
    }
    caretItem = at;
    InsertItem(at, "", f, false, ni.release());
    full = full || f;
  } else if (markerLine) {
    // The marker's line gets the new empty item; the old text follows on a
    // line (or a list paragraph) of its own.
    at = n;
    ni->ItemOptions = static_cast<Byte>((ni->ItemOptions & ~LineBits) | vlioSameAsPrev);
    ni->ParaNo = item->ParaNo;
    InsertItem(at, "", f, false, ni.release());
    full = full || f;
    caretItem = at + 1;
    if (lineBreak) {
      SetBR(at + 1, true, f);
    } else if (CopyListMarker(at, at + 1, true, f)) {
      marker = at + 1;
      caretItem = at + 2;
      ++added;
    }
    full = full || f;
  } else {
    at = n;
    // The new item takes the line's place; the old first item moves down.
    const Byte bits = item->ItemOptions & LineBits;
    ni->ItemOptions = static_cast<Byte>((ni->ItemOptions & ~LineBits) | bits);
    if (!lineBreak && !item->IsParaStart()) ni->ParaNo = item->ParaNo;
    InsertItem(at, "", f, false, ni.release());
    full = full || f;
    caretItem = at + 1;
    if (lineBreak && !singleStop) {
      SetBR(at + 1, true, f);
    } else {
      SetPageBreak(at + 1, false);
      if (lineBreak) SetBR(at + 1, true, f);
    }
    full = full || f;
  }
  ReformatAfterEdit(range, added, full || ParaMinWidth(at) > DocumentWidth);
  if (marker >= 0) UpdateListNumbering(marker, marker);
  SetCaretToItemPos(caretItem, GetItemStartOffset(caretItem));
  return true;
}

bool TVLEditVLData::InsertEnter(bool lineBreak) {
  PrepareEmptyDocument();
  if (!EnsureValidCaret()) return false;
  const TVLCharPos stop = *CaretStop();
  const Integer d = stop.DrawItemNo;
  CaretDrawItemNo = d;
  const TVLDrawLineInfo* di = DrawItems[d];
  const Integer n = di->ItemNo;
  TVLStyle* style = GetStyle();
  TCustomVLItemInfo* item = GetItem(n);
  if (style && item->ParaNo >= 0 && item->ParaNo < style->ParaStyles->Count() &&
      style->ParaStyles->Items(item->ParaNo)->Options.Contains(vlpaoDoNotWantReturns)) {
    Beep();
    return false;
  }
  BeginUndoSequence(vlutEnter, true);
  const bool isText = GetItemStyle(n) >= 0;
  const Integer pos = isText ? di->TextOffset + stop.Offset - 1 : stop.Offset;
  const bool atStart = CaretCharPos == 0 && pos <= GetItemStartOffset(n) &&
                       (item->IsParaStart() || (n > 0 && GetItemStyle(n - 1) == vlsListMarker));
  const bool atEnd = IsCaretAtParaEnd();
  if (atEnd) return EnterAtBoundary(lineBreak, d, n, true);
  if (atStart) return EnterAtBoundary(lineBreak, d, n, false);
  if (IsParaReadOnly(n)) {
    Beep();
    return false;
  }
  const TVLReformatRange range = CaretLineRange();
  bool full = false, f = false;
  Integer delta = 0, caretItem;
  auto breakBefore = [&](Integer i) {
    if (HasProtection(i, vlprParaStartProtect)) return false;
    if (lineBreak) {
      SetBR(i, true, f);
    } else {
      SetSameAsPrev(i, false, f, -1);
    }
    full = full || f;
    return true;
  };
  Integer marker = -1;
  // Before item i, without a line break: a list paragraph's marker is
  // duplicated to start the new paragraph, and i continues it.
  auto markerBefore = [&](Integer i) {
    if (lineBreak || HasProtection(i, vlprParaStartProtect) || !CopyListMarker(i, i, true, f)) return false;
    full = full || f;
    marker = i;
    ++delta;
    return true;
  };
  if (pos <= GetItemStartOffset(n)) {
    if (markerBefore(n)) {
      caretItem = n + 1;
    } else if (!breakBefore(n)) {
      Beep();
      return false;
    } else {
      caretItem = n;
    }
  } else if (pos >= GetItemEndOffset(n)) {
    if (n + 1 >= GetItemCount()) {
      Beep();
      return false;
    }
    if (markerBefore(n + 1)) {
      caretItem = n + 2;
    } else if (!breakBefore(n + 1)) {
      Beep();
      return false;
    } else {
      caretItem = n + 1;
    }
  } else {
    if (HasProtection(n, vlprParaStartProtect) || HasProtection(n, vlprModifyProtect)) {
      Beep();
      return false;
    }
    const AnsiString tail = TextCopy(GetItemTextA(n), pos, GetItemLength(n) - pos + 1, GetItemOptions(n));
    std::unique_ptr<TCustomVLItemInfo> right = CopyTextItem(n);
    right->ItemOptions = static_cast<Byte>((right->ItemOptions & ~LineBits) | (lineBreak ? vlioBR : 0));
    right->ParaNo = item->ParaNo;
    DeleteSubstring(n, pos, -1);
    caretItem = n + 1;
    if (!lineBreak && CopyListMarker(n, n + 1, true, f)) {
      full = full || f;
      marker = n + 1;
      right->ItemOptions |= vlioSameAsPrev;
      ++caretItem;
      ++delta;
    }
    InsertItem(caretItem, tail, f, false, right.release());
    full = full || f;
    ++delta;
  }
  ReformatAfterEdit(range, delta, full);
  if (marker >= 0) UpdateListNumbering(marker, marker);
  SetCaretToItemPos(caretItem, GetItemStartOffset(caretItem));
  return true;
}

// Text and paragraph styles applied to the selection through the conversion
// callbacks; every change goes through the recording primitives so that one
// Undo restores it.
#include "richtext/editor/VLEditData.h"
#include "richtext/model/VLUni.h"

#include <algorithm>

namespace {

// Bit 23 of the state word: the item resizer is not rebuilt meanwhile.
constexpr Cardinal vlstApplyingStyle = 8388608;

// Sets the flag for the lifetime of the guard, also when an exception passes.
class TStateFlagGuard {
public:
  TStateFlagGuard(TCustomVLFormattedData* data, Cardinal flag) : FData(data), FFlag(flag) {
    FData->SetState(FData->GetState() | FFlag);
  }
  ~TStateFlagGuard() { FData->SetState(FData->GetState() & ~FFlag); }
  TStateFlagGuard(const TStateFlagGuard&) = delete;
  TStateFlagGuard& operator=(const TStateFlagGuard&) = delete;

private:
  TCustomVLFormattedData* FData;
  Cardinal FFlag;
};

}  // namespace

Integer TVLEditVLData::ConvertStyleNo(Integer styleNo) {
  Integer n = styleNo;
  DoStyleConversion(styleNo, FConvUserData, true, n);
  return n;
}

Integer TVLEditVLData::ConvertParaNo(Integer paraNo) {
  Integer n = paraNo;
  DoParaStyleConversion(paraNo, FConvUserData, n);
  return n;
}

bool TVLEditVLData::MustClearTag(TCustomVLItemInfo* item, Integer newStyleNo) {
  return ClearTagOnStyleApp() && item->StyleNo != newStyleNo && !(item->Tag == TVLTag());
}

void TVLEditVLData::ClearTagOnStyleChange(Integer itemNo, Integer newStyleNo) {
  if (MustClearTag(GetItem(itemNo), newStyleNo)) SetTag(itemNo, TVLTag());
}

AnsiString TVLEditVLData::ConvertTextForStyle(const AnsiString& text, Integer oldStyleNo,
                                              Integer& newStyleNo, Integer paraNo) {
  TVLStyle* style = GetStyle();
  if (!style) return text;
  const Integer o = GetActualStyleNo(oldStyleNo, paraNo);
  const Integer n = GetActualStyleNo(newStyleNo, paraNo);
  const Integer count = style->TextStyles->Count();
  if (o < 0 || o >= count || n < 0 || n >= count) return text;
  const bool ou = style->TextStyles->Items(o)->Unicode;
  const bool nu = style->TextStyles->Items(n)->Unicode;
  if (ou && !nu) {
    const Cardinal cp = GetStyleCodePage(n);
    AnsiString ansi = RawUnicodeToAnsi(text, cp);
    if (AnsiToRawUnicode(ansi, cp) == text) return ansi;
    // The 8-bit style cannot hold every character: its Unicode twin can.
    newStyleNo = UnicodeTwin(n);
    return text;
  }
  if (!ou && nu) return AnsiToRawUnicode(text, GetStyleCodePage(o));
  return text;
}

void TVLEditVLData::ChangeItemStyle(Integer itemNo, Integer newStyleNo) {
  TCustomVLItemInfo* item = GetItem(itemNo);
  const AnsiString text = ConvertTextForStyle(GetItemTextA(itemNo), item->StyleNo, newStyleNo, item->ParaNo);
  ChangeText(itemNo, text);
  SetStyleNo(itemNo, newStyleNo);
}

// ---------------------------------------------------------------------------
// Per-item steps; they keep the walk's selection bounds on the same text.

void TVLEditVLData::ConvertWholeItem(TStyleWalk&, Integer itemNo) {
  TCustomVLItemInfo* item = GetItem(itemNo);
  if (item->StyleNo < 0) {
    item->ApplyStyleConversion(FConvUserData);
    return;
  }
  const Integer n = ConvertStyleNo(GetItemActualStyle(item));
  if (n == item->StyleNo) return;
  ClearTagOnStyleChange(itemNo, n);
  ChangeItemStyle(itemNo, n);
}

void TVLEditVLData::ConvertItemStart(TStyleWalk& w, Integer itemNo, Integer from, Integer to) {
  TCustomVLItemInfo* item = GetItem(itemNo);
  Integer n = ConvertStyleNo(GetItemActualStyle(item));
  if (n == item->StyleNo) return;
  const Byte opts = GetItemOptions(itemNo);
  const AnsiString piece = TextCopy(GetItemTextA(itemNo), from, to - from, opts);
  DeleteSubstring(itemNo, from, to - from);
  const AnsiString text = ConvertTextForStyle(piece, item->StyleNo, n, item->ParaNo);
  std::unique_ptr<TCustomVLItemInfo> ni = CreateTextItem(n, item->ParaNo, false, false);
  ni->ItemOptions = static_cast<Byte>(
      (ni->ItemOptions & vlioUnicode) | (item->ItemOptions & (vlioSameAsPrev | vlioBR | vlioPageBreakBefore)));
  if (!MustClearTag(item, n)) ni->Tag = CopyTag(item->Tag);
  bool f = false;
  InsertItem(itemNo, text, f, false, ni.release());
  // The checkpoint and the line start belong to the first piece now.
  if (GetItem(itemNo + 1)->Checkpoint) MoveCheckpoint(itemNo + 1, itemNo);
  SetSameAsPrev(itemNo + 1, true, f, -1);
  ++w.Delta;
  if (w.S == itemNo) w.SO = 1;
  if (w.E == itemNo) w.EO = to - from + 1;
}

void TVLEditVLData::ConvertItemEnd(TStyleWalk& w, Integer itemNo, Integer from, Integer to) {
  TCustomVLItemInfo* item = GetItem(itemNo);
  Integer n = ConvertStyleNo(GetItemActualStyle(item));
  if (n == item->StyleNo) return;
  const Byte opts = GetItemOptions(itemNo);
  const AnsiString piece = TextCopy(GetItemTextA(itemNo), from, to - from, opts);
  DeleteSubstring(itemNo, from, to - from);
  const AnsiString text = ConvertTextForStyle(piece, item->StyleNo, n, item->ParaNo);
  std::unique_ptr<TCustomVLItemInfo> ni = CreateTextItem(n, item->ParaNo, true, false);
  if (!MustClearTag(item, n)) ni->Tag = CopyTag(item->Tag);
  bool f = false;
  InsertItem(itemNo + 1, text, f, false, ni.release());
  ++w.Delta;
  if (w.E == itemNo) w.EO = w.EO - from + 1;
  if (w.E >= itemNo) ++w.E;
  if (w.S == itemNo) {
    w.S = itemNo + 1;
    w.SO = 1;
  } else if (w.S > itemNo) {
    ++w.S;
  }
}

void TVLEditVLData::ConvertItemMiddle(TStyleWalk& w, Integer itemNo, Integer from, Integer to) {
  TCustomVLItemInfo* item = GetItem(itemNo);
  const Integer n = ConvertStyleNo(GetItemActualStyle(item));
  if (n == item->StyleNo) return;
  const Byte opts = GetItemOptions(itemNo);
  const AnsiString text = GetItemTextA(itemNo);
  const Integer len = GetItemLength(itemNo);
  const AnsiString before = TextCopy(text, 1, from - 1, opts);
  const AnsiString after = TextCopy(text, to, len - to + 1, opts);
  bool f = false;
  // The part after the selection, of the old style.
  std::unique_ptr<TCustomVLItemInfo> a = CopyTextItem(itemNo);
  a->ItemOptions = static_cast<Byte>((a->ItemOptions & vlioUnicode) | vlioSameAsPrev);
  a->Tag = CopyTag(item->Tag);
  InsertItem(itemNo + 1, after, f, false, a.release());
  // The part before it takes over the line start, checkpoint and page break.
  std::unique_ptr<TCustomVLItemInfo> b = CopyTextItem(itemNo);
  b->ItemOptions = static_cast<Byte>(
      (b->ItemOptions & vlioUnicode) | (item->ItemOptions & (vlioSameAsPrev | vlioBR | vlioPageBreakBefore)));
  b->Tag = CopyTag(item->Tag);
  InsertItem(itemNo, before, f, false, b.release());
  const Integer mid = itemNo + 1;
  if (GetItem(mid)->Checkpoint) MoveCheckpoint(mid, itemNo);
  SetSameAsPrev(mid, true, f, -1);
  ClearTagOnStyleChange(mid, n);
  DeleteSubstring(mid, to, -1);
  DeleteSubstring(mid, 1, from - 1);
  ChangeItemStyle(mid, n);
  w.Delta += 2;
  w.S = w.E = mid;
  w.SO = 1;
  w.EO = to - from + 1;
}

void TVLEditVLData::MergeAfterConversion(TStyleWalk& w, Integer first, Integer last) {
  first = std::max(first - 1, 0);
  last = std::min(last + 1, GetItemCount() - 1);
  for (Integer i = last; i > first; --i) {
    if (!CanConcateItems(i - 1, GetItem(i - 1), GetItem(i), false)) continue;
    const Integer prevLen = GetItemLength(i - 1);
    ConcateItems(i - 1);
    --w.Delta;
    if (i == w.S) {
      --w.S;
      w.SO += prevLen;
    }
    if (i == w.E) w.EO += prevLen;
    if (i <= w.E) --w.E;
  }
}

// ---------------------------------------------------------------------------
// Text styles

void TVLEditVLData::ApplyStyleConversion(Integer userData) {
  if (ActiveItem) {
    ActiveItem->ApplyStyleConversionToSubVLDatas(userData);
    return;
  }
  FConvUserData = userData;
  TVLStyle* style = GetStyle();
  if (style) {
    const Integer cur = GetActualStyleNo(CurTextStyleNo, CurParaStyleNo);
    if (cur >= 0 && cur < style->TextStyles->Count() &&
        !style->TextStyles->Items(cur)->Protection.Contains(vlprDoNotAutoSwitch))
      LastAutoStyleNo = CurTextStyleNo;
  }
  Integer newCur = CurTextStyleNo;
  DoStyleConversion(CurTextStyleNo, userData, false, newCur);
  if (!SelectionExists()) {
    PrepareEmptyDocument();
    const Integer itemNo = GetCaretItemNo();
    if (itemNo >= 0 && GetItemStyle(itemNo) >= 0 && GetItemLength(itemNo) == 0) {
      BeginUndoSequence(vlutStyle, true);
      const TVLReformatRange range = ItemRange(itemNo, itemNo);
      TStyleWalk w;
      ConvertWholeItem(w, itemNo);
      ReformatAfterEdit(range, 0, false);
      SetCurTextStyleNo(newCur);
      SetCaretToItemPos(itemNo, GetItemStartOffset(itemNo));
      NotifyChange(true);
    }
    SetCurTextStyleNo(newCur);
    return;
  }
  BeginUndoSequence(vlutStyle, true);
  Integer rs, rso, re, reo;
  GetSelBounds(false, rs, rso, re, reo);
  const bool forward = rs < re || (rs == re && rso <= reo);
  TStyleWalk w;
  GetSelBounds(true, w.S, w.SO, w.E, w.EO);
  const Integer w0 = CalculateMinItemsWidth(w.S, w.E);
  const TVLReformatRange range = ItemRange(w.S, w.E);
  const Integer s = w.S, so = w.SO, e = w.E, eo = w.EO;
  auto isText = [&](Integer i) { return GetItemStyle(i) >= 0; };
  if (s == e) {
    if (!isText(s)) {
      GetItem(s)->ApplyStyleConversion(userData);
    } else {
      const bool fromStart = so <= GetItemStartOffset(s), toEnd = eo >= GetItemEndOffset(s);
      if (fromStart && toEnd)
        ConvertWholeItem(w, s);
      else if (fromStart)
        ConvertItemStart(w, s, so, eo);
      else if (toEnd)
        ConvertItemEnd(w, s, so, eo);
      else
        ConvertItemMiddle(w, s, so, eo);
    }
  } else {
    if (!isText(e))
      GetItem(e)->ApplyStyleConversion(userData);
    else if (eo >= GetItemEndOffset(e))
      ConvertWholeItem(w, e);
    else
      ConvertItemStart(w, e, 1, eo);
    for (Integer i = e - 1; i > s; --i) ConvertWholeItem(w, i);
    if (!isText(s))
      GetItem(s)->ApplyStyleConversion(userData);
    else if (so <= GetItemStartOffset(s))
      ConvertWholeItem(w, s);
    else
      ConvertItemEnd(w, s, so, GetItemEndOffset(s));
  }
  MergeAfterConversion(w, w.S, w.E);
  const Integer w1 = CalculateMinItemsWidth(w.S, w.E);
  {
    TStateFlagGuard guard(this, vlstApplyingStyle);
    const bool full = w1 != w0 && (DocumentWidth <= w0 || DocumentWidth <= w1);
    ReformatAfterEdit(range, w.Delta, full);
  }
  if (forward)
    StoreSelBounds(w.S, w.SO, w.E, w.EO);
  else
    StoreSelBounds(w.E, w.EO, w.S, w.SO);
  Integer d, o;
  if (forward)
    Item2DrawItem(w.E, w.EO, d, o);
  else
    Item2DrawItem(w.S, w.SO, d, o);
  if (d >= 0) {
    CaretDrawItemNo = d;
    BuildCharPositions(o - 2);
  }
  SetCurTextStyleNo(newCur);
  PlaceCaret(true, true, true);
  NotifyChange(true);
}

// ---------------------------------------------------------------------------
// Paragraph styles

void TVLEditVLData::ApplyParaStyleConversion(Integer paraNoOrUserData, bool convert) {
  if (ActiveItem) {
    if (convert)
      ActiveItem->ApplyParaStyleConversionToSubVLDatas(paraNoOrUserData);
    else
      ActiveItem->ApplyParaStyleToSubVLDatas(paraNoOrUserData);
    return;
  }
  PrepareEmptyDocument();
  if (GetItemCount() == 0) return;
  FConvUserData = paraNoOrUserData;
  const bool hadSel = SelectionExists();
  Integer ss = 0, sso = 0, se = 0, seo = 0;
  if (hadSel) GetSelBounds(false, ss, sso, se, seo);
  const Integer caretItem = GetCaretItemNo(), caretOffs = GetCaretOffset();
  Integer first, firstOffs, last, lastOffs;
  GetSelectionBoundsOrCaret(first, firstOffs, last, lastOffs);
  if (first > last) std::swap(first, last);
  while (first > 0 && !GetItem(first)->IsParaStart()) --first;
  while (last + 1 < GetItemCount() && !GetItem(last + 1)->IsParaStart()) ++last;
  const TVLReformatRange range = ItemRange(first, last);
  bool full = false;
  if (convert) {
    std::vector<Integer> list;
    list.reserve(static_cast<size_t>(last - first + 1));
    bool changes = false;
    for (Integer i = first; i <= last; ++i) {
      list.push_back(ConvertParaNo(GetItem(i)->ParaNo));
      changes = changes || list.back() != GetItem(i)->ParaNo;
    }
    if (changes) {
      // Without a sequence the change would leave nothing to undo.
      BeginUndoSequence(vlutParaStyle, true);
      SetParaList(first, list, full);
    }
  } else {
    SetParaRange(first, last, full, paraNoOrUserData);
  }
  {
    TStateFlagGuard guard(this, vlstApplyingStyle);
    ReformatAfterEdit(range, 0, full);
  }
  if (hadSel) StoreSelBounds(ss, sso, se, seo);
  Integer d, o;
  Item2DrawItem(caretItem, caretOffs, d, o);
  if (d >= 0) {
    CaretDrawItemNo = d;
    BuildCharPositions(o - 2);
  }
  PlaceCaret(true, true, false);
  SetCurParaStyleNo(GetItem(std::clamp(caretItem, 0, GetItemCount() - 1))->ParaNo);
  NotifyChange(true);
}

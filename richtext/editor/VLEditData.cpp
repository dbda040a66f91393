#include "richtext/editor/VLEditData.h"

#include "platform/base/SysUtils.h"
#include "richtext/editor/VLUndoRecords.h"
#include "richtext/model/VLUni.h"

#include <algorithm>
#include <iostream>

namespace {

// No caret stop stands before these: the low half of a surrogate pair and
// combining marks belong to the character before them.
bool InsideCharacter(char16_t c) { return (c >= 0xDC00 && c <= 0xDFFF) || IsCombiningMark(c); }

}  // namespace

TVLEditVLData::TVLEditVLData(TCustomVellum* vellum) : TVellumVLData(vellum) {
  UndoList = std::make_unique<TVLUndoList>(this);
  RedoList = std::make_unique<TVLUndoList>(this);
}

TVLEditVLData::~TVLEditVLData() = default;

void TVLEditVLData::ClearDrawLines() {
  CharPositions.clear();
  CaretDrawItemNo = -1;
  CaretCharPos = -1;
  CurTag = TVLTag();
  TVellumVLData::ClearDrawLines();
}

void TVLEditVLData::Clear() {
  TVellumVLData::Clear();
  if (UndoList) UndoList->Clear();
  if (RedoList) RedoList->Clear();
  LastAutoStyleNo = 0;
  SetCurParaStyleNo(0);
  SetCurTextStyleNo(0);
  SetState(GetState() | vlstEditorCleared);
}

void TVLEditVLData::LogRepair(const String& message) { std::cerr << "Vellum editor: " << message << "\n"; }

// ---------------------------------------------------------------------------
// Current styles

void TVLEditVLData::SetCurTextStyleNo(Integer value) {
  if (value == CurTextStyleNo && !(GetState() & vlstStylePending)) return;
  CurTextStyleNo = value;
  SetState(GetState() & ~vlstStylePending);
  DoCurTextStyleChanged();
}

void TVLEditVLData::SetCurParaStyleNo(Integer value) {
  if (value == CurParaStyleNo) return;
  CurParaStyleNo = value;
  DoCurParaStyleChanged();
}

Integer TVLEditVLData::UnicodeTwin(Integer styleNo) {
  TVLStyle* style = GetStyle();
  if (!style) return styleNo;
  TFontInfos* fonts = style->TextStyles.get();
  if (styleNo < 0 || styleNo >= fonts->Count()) styleNo = 0;
  TFontInfo* src = fonts->Items(styleNo);
  if (src->Unicode) return styleNo;
  for (Integer i = 0; i < fonts->Count(); ++i) {
    TFontInfo* f = fonts->Items(i);
    if (f->Unicode && f->IsEqualMasked(*src, ~Cardinal(vlfiUnicode | vlfiCharset))) return i;
  }
  // No twin yet: the default Unicode style when it is the same font, else
  // a copy of the style that holds Unicode.
  TFontInfo* twin = fonts->Add();
  twin->Assign(src);
  twin->Unicode = true;
  twin->Standard = false;
  return fonts->Count() - 1;
}

Integer TVLEditVLData::StyleForText(Integer styleNo, const WideString& text) {
  TVLStyle* style = GetStyle();
  if (!style || text.empty()) return styleNo;
  const Integer actual = GetActualStyleNo(styleNo, CurParaStyleNo);
  if (actual < 0 || actual >= style->TextStyles->Count()) return styleNo;
  if (style->TextStyles->Items(actual)->Unicode) return styleNo;
  const AnsiString raw = WideStringToRawUnicode(text);
  const Cardinal cp = GetStyleCodePage(actual);
  const AnsiString ansi = RawUnicodeToAnsi(raw, cp);
  if (AnsiToRawUnicode(ansi, cp) == raw) return styleNo;
  return UnicodeTwin(actual);
}

// ---------------------------------------------------------------------------
// Undo sequences

TVLUndoList* TVLEditVLData::GetRecordingUndoList() {
  ++EditStamp;
  if (UndoDestination == 1 && UndoList->Limit != 0) return UndoList.get();
  if (UndoDestination == 2) return RedoList.get();
  return nullptr;
}

void TVLEditVLData::FinalizeNestedItem() {
  if (GetState() & vlstFinalizingUndo) return;
  SetState(GetState() | vlstFinalizingUndo);
  struct TClear {
    TVLEditVLData* D;
    ~TClear() { D->SetState(D->GetState() & ~vlstFinalizingUndo); }
  } clear{this};
  if (ActiveItem)
    ActiveItem->FinalizeUndoGroup();
  else if (TCustomVLItemInfo* sub = GetActiveSubItem())
    sub->FinalizeUndoGroup();
}

bool TVLEditVLData::BeginUndoSequence(Byte undoType, bool finalize) {
  return BeginNamedUndoSequence(undoType, String(), finalize);
}

bool TVLEditVLData::BeginNamedUndoSequence(Byte undoType, const String& caption, bool finalize) {
  if (finalize) FinalizeNestedItem();
  Integer item = -1, offs = -1;
  if (DrawItems.Count() > 0) {
    item = GetCaretItemNo();
    offs = GetCaretOffset();
  }
  const bool opened = UndoList->BeginGroup(undoType, caption, item, offs);
  UndoDestination = opened ? 1 : 0;
  return opened;
}

bool TVLEditVLData::BeginRedoSequence(Byte undoType, const String& caption) {
  Integer item = -1, offs = -1;
  if (DrawItems.Count() > 0) {
    item = GetCaretItemNo();
    offs = GetCaretOffset();
  }
  const bool opened = RedoList->BeginGroup(undoType, caption, item, offs);
  UndoDestination = opened ? 2 : 0;
  return opened;
}

void TVLEditVLData::SetUndoGroupMode(bool on) {
  if (on) {
    if (UndoList->GroupModeCounter == INT32_MAX) throw EIntOverflow("Integer overflow");
    ++UndoList->GroupModeCounter;
  } else {
    if (UndoList->GroupModeCounter > 0) --UndoList->GroupModeCounter;
    UndoList->RemoveEmptyLastGroup();
  }
}

// ---------------------------------------------------------------------------
// Caret stops

void TVLEditVLData::BuildStopsPlain(Integer d, bool firstOfLine, Integer target, Integer& caretStop) {
  const TVLDrawLineInfo* di = DrawItems[d];
  const Integer itemNo = di->ItemNo;
  const bool isText = GetItemStyle(itemNo) >= 0;
  const Integer len = isText ? di->Length : 0;
  const Integer startO = isText ? 1 : 0;
  const Integer endO = isText ? len + 1 : 1;
  const bool mine = d == CaretDrawItemNo;
  // A non-text item of a right-to-left paragraph is entered from its right
  // edge; text with a direction takes its stops from the placed characters.
  const bool rtlObject =
      !isText && VLGetParaBiDiMode(GetStyle(), GetItem(itemNo)->ParaNo, GetBiDiMode()) == vlbdRightToLeft;
  std::vector<Integer> carets;
  if (isText && len > 0) {
    const TVLBiDiMode mode = VLGetItemBiDiMode(*Items, GetStyle(), itemNo, GetBiDiMode());
    if (mode != vlbdUnspecified) {
      TCanvas* canvas = GetCanvas();
      const TVLMeasuredText& m = MeasureItemText(canvas, itemNo);
      const size_t from = static_cast<size_t>(di->TextOffset - 1);
      if (from + static_cast<size_t>(len) <= m.Text.size()) {
        UseTextStyle(canvas, GetItemStyle(itemNo), mode);
        if (!GetCaretPositions(canvas, WideStringToRawUnicode(WideString(m.Text.substr(from, static_cast<size_t>(len)))),
                               carets, vlioUnicodeBit) ||
            carets.size() != static_cast<size_t>(len + 1))
          carets.clear();
      }
    }
  }
  const bool placed = !carets.empty();
  auto placedX = [&](Integer k) { return di->Left + di->JustifyExtra + carets[static_cast<size_t>(k)]; };
  auto add = [&](Integer x, Integer offs, Integer shift) {
    CharPositions.push_back({x, d, offs, shift});
    return static_cast<Integer>(CharPositions.size()) - 1;
  };
  if (firstOfLine) {
    if (!(isText && GetItemLength(itemNo) == 0)) {
      const Integer i = placed      ? add(placedX(0), startO, 0)
                        : rtlObject ? add(di->Left + di->Width, startO, 2)
                                    : add(di->Left, startO, 1);
      if (mine && target <= startO - 2) caretStop = i;
    }
  } else if (mine && target <= startO - 2 && !CharPositions.empty()) {
    // The start of a draw item shows as the end of the one before it.
    caretStop = static_cast<Integer>(CharPositions.size()) - 1;
  }
  if (placed) {
    const TVLMeasuredText& m = MeasureItemText(GetCanvas(), itemNo);
    const Integer base = di->TextOffset - 1;
    for (Integer k = 0; k <= len - 2; ++k) {
      const size_t next = static_cast<size_t>(base + k + 1);
      if (next < m.Text.size() && InsideCharacter(m.Text[next])) {
        if (mine && target == k && !CharPositions.empty()) caretStop = static_cast<Integer>(CharPositions.size()) - 1;
        continue;
      }
      const Integer i = add(placedX(k + 1), k + 2, 0);
      if (mine && target == k) caretStop = i;
    }
    const Integer i = add(placedX(len), endO, 0);
    if (mine && target >= endO - 2) caretStop = i;
    return;
  }
  if (isText && len > 0) {
    const TVLMeasuredText& m = MeasureItemText(GetCanvas(), itemNo);
    const Integer base = di->TextOffset - 1;
    const Integer baseX = base > 0 && base - 1 < static_cast<Integer>(m.Extents.size()) ? m.Extents[base - 1] : 0;
    for (Integer k = 0; k <= len - 2; ++k) {
      const size_t next = static_cast<size_t>(base + k + 1);
      if (next < m.Text.size() && InsideCharacter(m.Text[next])) {
        if (mine && target == k && !CharPositions.empty()) caretStop = static_cast<Integer>(CharPositions.size()) - 1;
        continue;
      }
      const Integer ext = static_cast<size_t>(base + k) < m.Extents.size() ? m.Extents[static_cast<size_t>(base + k)] : 0;
      const Integer i = add(di->Left + ext - baseX, k + 2, 1);
      if (mine && target == k) caretStop = i;
    }
  }
  const Integer i = rtlObject ? add(di->Left, endO, 1) : add(di->Left + di->Width, endO, isText ? 1 : 2);
  if (mine && target >= endO - 2) caretStop = i;
}

void TVLEditVLData::BuildCharPositions(Integer target) {
  CharPositions.clear();
  if (CaretDrawItemNo < 0 || CaretDrawItemNo >= DrawItems.Count()) {
    if (CaretDrawItemNo >= DrawItems.Count()) CaretDrawItemNo = -1;
    return;
  }
  ResetMeasuring();
  CaretCharPos = 100000;
  Integer first, last;
  GetLineBounds(CaretDrawItemNo, first, last);
  if (GetItemStyle(DrawItems[first]->ItemNo) == vlsListMarker && first < last) {
    if (CaretDrawItemNo == first) {
      CaretDrawItemNo = first + 1;
      target = GetOffsBeforeDrawItem(first + 1) - 2;
    }
    ++first;
  }
  Integer caretStop = -1;
  for (Integer d = first; d <= last; ++d) BuildStopsPlain(d, d == first, target, caretStop);
  if (caretStop >= 0) CaretCharPos = caretStop;
}

const TVLCharPos* TVLEditVLData::CaretStop() const {
  if (CaretCharPos < 0 || CaretCharPos >= static_cast<Integer>(CharPositions.size())) return nullptr;
  return &CharPositions[static_cast<size_t>(CaretCharPos)];
}

bool TVLEditVLData::EnsureValidCaret() {
  if (DrawItems.Count() == 0) return false;
  // Stops built before the lines changed may name a line that is gone.
  const TVLCharPos* stop = CaretStop();
  if (CaretDrawItemNo >= 0 && CaretDrawItemNo < DrawItems.Count() && stop && stop->DrawItemNo >= 0 &&
      stop->DrawItemNo < DrawItems.Count())
    return true;
  LogRepair("Invalid caret position. Please contact the developer, if you can reproduce this problem");
  CaretDrawItemNo = 0;
  Integer offs = GetOffsBeforeDrawItem(0);
  SkipMarker(true, offs);
  BuildCharPositions(offs - 2);
  if (!CaretStop()) CaretCharPos = CharPositions.empty() ? -1 : 0;
  return CaretStop() != nullptr;
}

void TVLEditVLData::SkipMarker(bool forward, Integer& offs) {
  if (CaretDrawItemNo < 0 || CaretDrawItemNo >= DrawItems.Count()) return;
  if (GetItemStyle(DrawItems[CaretDrawItemNo]->ItemNo) != vlsListMarker) return;
  if ((forward || CaretDrawItemNo == 0) && CaretDrawItemNo + 1 < DrawItems.Count()) {
    ++CaretDrawItemNo;
    offs = GetOffsBeforeDrawItem(CaretDrawItemNo);
  } else if (CaretDrawItemNo > 0) {
    --CaretDrawItemNo;
    offs = GetOffsAfterDrawItem(CaretDrawItemNo);
  }
}

void TVLEditVLData::PlaceCaret(bool scrollToCaret, bool updateFirst, bool keepCurStyles) {
  if (GetState() & vlstDoNotFormat) return;
  // updateFirst paints nothing now: the control draws its caret inside its
  // own paint, so the change and the caret are painted once, when the
  // toolkit next paints.
  UpdateResizer();
  if (ActiveItem || (GetState() & vlstNestedCaret)) {
    HostSetCaret(0, 0, 0, false);
    DoCaretMove();
    return;
  }
  Integer h = 0, dh = 0;
  if (CaretDrawItemNo != -1) {
    EnsureValidCaret();
    const TVLCharPos* stop = CaretStop();
    if (stop && stop->DrawItemNo >= 0 && stop->DrawItemNo < DrawItems.Count()) {
      CaretDrawItemNo = stop->DrawItemNo;
      const TVLDrawLineInfo* di = DrawItems[CaretDrawItemNo];
      dh = di->Height;
      h = std::min(di->Height + 2, MaxCaretHeight);
      CaretX = stop->X - 1 + stop->Shift;
      CaretY = di->Top - 1;
    }
  }
  CaretHeight = h;
  CaretDrawHeight = dh;
  UpdateHostCaret();
  if (CaretDrawItemNo != -1) {
    Integer itemNo = DrawItems[CaretDrawItemNo]->ItemNo;
    TCustomVLItemInfo* item = GetItem(itemNo);
    if (!keepCurStyles) SetCurParaStyleNo(item->ParaNo);
    // A selection made backwards that ends at the end of its draw item takes
    // its style from the item that continues the line.
    if (SelectionExists() && (SelEndDrawItem < SelStartDrawItem ||
                              (SelEndDrawItem == SelStartDrawItem && SelEndOffs < SelStartOffs))) {
      if (SelEndOffs >= GetOffsAfterDrawItem(SelEndDrawItem) && SelEndDrawItem + 1 < DrawItems.Count()) {
        const Integer next = DrawItems[SelEndDrawItem + 1]->ItemNo;
        if (GetItem(next)->GetSameAsPrev()) {
          itemNo = next;
          item = GetItem(next);
        }
      }
    }
    // A control that takes the focus becomes the focused item.
    if (item->GetBoolValue(3)) {
      FocusedItem = itemNo;
      InvalidateHost();
    } else if (FocusedItem != -1) {
      FocusedItem = -1;
      InvalidateHost();
    }
    if (item->StyleNo >= 0 && !keepCurStyles && !Inserting) {
      TVLStyle* style = GetStyle();
      const Integer actual = GetItemActualStyle(item);
      if (style && actual >= 0 && actual < style->TextStyles->Count() &&
          style->TextStyles->Items(actual)->Protection.Contains(vlprDoNotAutoSwitch)) {
        const Integer last = LastAutoStyleNo;
        if (last >= 0 && last < style->TextStyles->Count() &&
            !style->TextStyles->Items(last)->Protection.Contains(vlprDoNotAutoSwitch))
          SetCurTextStyleNo(last);
      } else {
        SetCurTextStyleNo(item->StyleNo);
        LastAutoStyleNo = item->StyleNo;
      }
    }
    // A link whose look changes under the mouse shows as hovered while the
    // caret stands on it.
    if (item->GetBoolValueEx(3, GetStyle())) {
      CaretJumpID = item->JumpID;
      SetState(GetState() | vlstCaretOnLink);
      InvalidateHost();
    } else if (GetState() & vlstCaretOnLink) {
      CaretJumpID = -1;
      SetState(GetState() & ~vlstCaretOnLink);
      InvalidateHost();
    }
  }
  if (scrollToCaret && !CaptureMouseItem) ScrollToCaret();
  DoCaretMove();
}

bool TVLEditVLData::CaretInView(Integer wide, Integer high) {
  if (!ShowsOwnCaret()) return false;
  if (wide < 0) wide = GetWidth();
  if (high < 0) high = GetHeight();
  const Integer left = GetHOffset(), top = GetVOffset();
  return CaretX >= left && CaretX + CaretWidth <= left + wide && CaretY >= top && CaretY < top + high;
}

void TVLEditVLData::ScrollToCaret() {
  // A cell editor's caret is its own to show.
  if (!ShowsOwnCaret() || FHoldView > 0) return;
  const Integer h = CaretHeight;
  const Integer margin = 5;
  // Sideways as well: a line wider than the window (no wrapping, a wide
  // table) keeps the caret in sight, a quarter of the width left of it.
  const Integer left = GetHOffset(), wide = GetWidth();
  const Integer top = GetVOffset(), visible = GetHeight();
  // The mouse puts the caret under the pointer: on a line partly shown it
  // scrolls nothing, or a double click's second press would land on what
  // scrolled there.
  if (FKeepView && CaretX >= left && CaretX < left + wide && CaretY + h > top && CaretY < top + visible) return;
  // Out of sight (past the end of a line scrolled away), it is shown once
  // the press is let go: shown now, the view would move under the pointer
  // and the release would select up to other text.
  if (FPressHeld) {
    FShowAfterRelease = true;
    return;
  }
  // A caret the view shows unscrolled goes with the left edge shown.
  if (wide > 0 && CaretX + CaretWidth <= wide) {
    if (left > 0) HScrollTo(0);
  } else if (wide > 0 && (CaretX < left || CaretX + CaretWidth > left + wide)) {
    HScrollTo(std::max(0, CaretX - wide / 4));
  }
  if (CaretY - margin < top)
    VScrollTo(std::max(0, CaretY - margin));
  else if (visible > 0 && CaretY + h + margin > top + visible)
    // A caret taller than the view (beside a tall table) shows its top.
    VScrollTo(std::min(CaretY - margin, CaretY + h + margin - visible));
}

void TVLEditVLData::ApplyCurParaStyleToCaretPara() {
  const Integer itemNo = GetCaretItemNo();
  if (itemNo < 0) return;
  Integer first = GetParaStartItem(itemNo), last = itemNo;
  while (last + 1 < GetItemCount() && !GetItem(last + 1)->IsParaStart()) ++last;
  bool differs = false;
  for (Integer i = first; i <= last; ++i) differs = differs || GetItem(i)->ParaNo != CurParaStyleNo;
  if (!differs || !GetRecordingUndoList()) return;
  const TVLReformatRange range = ItemRange(first, last);
  bool full = false;
  SetParaRange(first, last, full, CurParaStyleNo);
  const Integer offs = GetCaretOffset();
  ReformatAfterEdit(range, 0, full);
  SetCaretToItemPos(itemNo, offs);
}

void TVLEditVLData::SetCaretToItemPos(Integer itemNo, Integer offs, bool applyParaStyle) {
  if (DrawItems.Count() == 0) return;
  itemNo = std::clamp(itemNo, 0, GetItemCount() - 1);
  offs = std::clamp(offs, GetItemStartOffset(itemNo), GetItemEndOffset(itemNo));
  Integer d, o;
  Item2DrawItem(itemNo, offs, d, o);
  if (d < 0) {
    d = 0;
    o = GetOffsBeforeDrawItem(0);
  }
  CaretDrawItemNo = d;
  SkipMarker(true, o);
  BuildCharPositions(o - 2);
  PlaceCaret(true, true, false);
  if (applyParaStyle) ApplyCurParaStyleToCaretPara();
}

void TVLEditVLData::SetCaretToDrawItemStart() {
  Integer o = GetOffsBeforeDrawItem(CaretDrawItemNo);
  SkipMarker(true, o);
  BuildCharPositions(o - 2);
  PlaceCaret(true, false, false);
}

void TVLEditVLData::UpdateHostCaret() {
  const Integer h = CaretHeight;
  // While an item edits in place (a cell editor) the caret is its own: the
  // place kept from before would show a second caret (beside a table, as
  // tall as it was).
  if (h == 0 || ActiveItem || (GetState() & vlstNestedCaret)) {
    HostSetCaret(0, 0, 0, false);
    return;
  }
  HostSetCaret(CaretX - GetHOffset() - CaretWidth / 2,
               CaretY - GetVOffset() + CaretDrawHeight + 1 - CaretExtraHeight - h, h + 2 * CaretExtraHeight,
               // Handles on a picture or a drop caret stand for the caret.
               HostFocused() && !Resizer && !DragDropCaret && !(HostReadOnly() && HideReadOnlyCaret()));
}

// ---------------------------------------------------------------------------
// Caret queries

void TVLEditVLData::PrepareEmptyDocument() {
  if (GetItemCount() > 0 || !GetStyle()) return;
  AddTextItem("", CurTextStyleNo, CurParaStyleNo);
  if (GetStyle()->TextStyles->Count() > CurTextStyleNo && CurTextStyleNo >= 0 &&
      GetStyle()->TextStyles->Items(CurTextStyleNo)->Unicode)
    GetItem(0)->ItemOptions |= vlioUnicode;
  Reformat();
  if (DrawItems.Count() > 0) {
    CaretDrawItemNo = 0;
    BuildCharPositions(-1);
    CaretCharPos = 0;
  }
}

Integer TVLEditVLData::ItemNoOfObject(TCustomVLItemInfo* item) {
  if (CaretDrawItemNo >= 0 && CaretDrawItemNo < DrawItems.Count() &&
      GetItem(DrawItems[CaretDrawItemNo]->ItemNo) == item)
    return DrawItems[CaretDrawItemNo]->ItemNo;
  return GetItemNo(item);
}

Integer TVLEditVLData::GetCaretItemNo() {
  PrepareEmptyDocument();
  if (ActiveItem) return ItemNoOfObject(ActiveItem);
  if (TCustomVLItemInfo* sub = GetActiveSubItem()) return ItemNoOfObject(sub);
  if (CaretDrawItemNo < 0 || CaretDrawItemNo >= DrawItems.Count()) return -1;
  return DrawItems[CaretDrawItemNo]->ItemNo;
}

Integer TVLEditVLData::GetCaretOffset() {
  PrepareEmptyDocument();
  if (ActiveItem) return 1;
  if (CaretDrawItemNo < 0 || CaretDrawItemNo >= DrawItems.Count()) return -1;
  const TVLCharPos* stop = CaretStop();
  if (!stop) return -1;
  const TVLDrawLineInfo* di = DrawItems[CaretDrawItemNo];
  if (GetItemStyle(di->ItemNo) >= 0) return di->TextOffset + stop->Offset - 1;
  return stop->Offset;
}

void TVLEditVLData::GetCaretPositionBiased(bool preferNext, Integer& itemNo, Integer& offs) {
  itemNo = GetCaretItemNo();
  offs = GetCaretOffset();
  if (itemNo < 0) return;
  if (preferNext) {
    if (offs >= GetItemEndOffset(itemNo) && itemNo + 1 < GetItemCount()) {
      ++itemNo;
      offs = GetItemStartOffset(itemNo);
    }
  } else if (offs <= GetItemStartOffset(itemNo)) {
    if (itemNo == 0) {
      itemNo = -1;
    } else {
      --itemNo;
      offs = GetItemEndOffset(itemNo);
    }
  }
}

void TVLEditVLData::GetSelectionBoundsOrCaret(Integer& startNo, Integer& startOffs, Integer& endNo,
                                              Integer& endOffs) {
  if (SelectionExists()) {
    GetSelBounds(true, startNo, startOffs, endNo, endOffs);
    return;
  }
  startNo = endNo = GetCaretItemNo();
  startOffs = endOffs = GetCaretOffset();
}

bool TVLEditVLData::GetCaretClientPoint(TPoint& point) {
  const TVLCharPos* stop = CaretStop();
  if (!stop || CaretDrawItemNo < 0 || CaretDrawItemNo >= DrawItems.Count()) return false;
  point = TPoint{stop->X - 1 + stop->Shift - GetHOffset(), DrawItems[CaretDrawItemNo]->Top - 1 - GetVOffset()};
  return true;
}

bool TVLEditVLData::SelectionExists() const {
  return SelStartDrawItem >= 0 && SelEndDrawItem >= 0 &&
         (SelStartDrawItem != SelEndDrawItem || SelStartOffs != SelEndOffs);
}

// ---------------------------------------------------------------------------
// Re-layout after edits

TVLReformatRange TVLEditVLData::ItemRange(Integer firstItem, Integer lastItem) {
  TVLReformatRange r;
  const Integer count = DrawItems.Count();
  if (count == 0 || GetItemCount() == 0) return r;
  firstItem = std::clamp(firstItem, 0, GetItemCount() - 1);
  lastItem = std::clamp(lastItem, firstItem, GetItemCount() - 1);
  Integer f = Item2FirstDrawItem(firstItem);
  Integer l = lastItem + 1 < GetItemCount() ? Item2FirstDrawItem(lastItem + 1) - 1 : count - 1;
  if (f < 0 || l < 0) return r;
  l = std::clamp(l, f, count - 1);
  ExpandReformatRange(f, l, r.First, r.Last);
  return r;
}

TVLReformatRange TVLEditVLData::CaretLineRange() {
  TVLReformatRange r;
  if (CharPositions.empty() || DrawItems.Count() == 0) return r;
  const Integer f = std::min(CharPositions.front().DrawItemNo, DrawItems.Count() - 1);
  const Integer l = std::min(CharPositions.back().DrawItemNo, DrawItems.Count() - 1);
  ExpandReformatRange(f, l, r.First, r.Last);
  return r;
}

void TVLEditVLData::ReformatAfterEdit(const TVLReformatRange& range, Integer delta, bool full) {
  if (full || range.First < 0 || range.Last < range.First || range.Last >= DrawItems.Count() ||
      GetItemCount() == 0) {
    Reformat();
    InvalidateHost();
    return;
  }
  FormatParas(range.First, range.Last, delta);
}

bool TVLEditVLData::WidthNeedsFull(Integer w, Integer n) const {
  if (n == w) return false;
  return n > DocumentWidth || w >= DocumentWidth;
}

Integer TVLEditVLData::ParaMinWidth(Integer itemNo) {
  if (itemNo < 0 || itemNo >= GetItemCount()) return 0;
  return CalculateParaMinWidth(itemNo);
}

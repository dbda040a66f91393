// Smaller editing operations of the editor data: the page break at the
// caret and the reformat that keeps the caret on its text.
#include "richtext/editor/VLEditData.h"

#include <algorithm>

void TVLEditVLData::ReformatKeepingCaret(bool full, bool noCaching, Integer itemNo, bool scrollAndUpdate,
                                         bool keepCurStyles) {
  const Integer caretItem = GetCaretItemNo(), caretOffs = GetCaretOffset();
  // Even without scrolling, a caret on the screen stays there when the lines
  // move under it (a table widened past the window's edge).
  const bool shown = !scrollAndUpdate && CaretInView();
  if (full) {
    // The selection is held by lines, which a new layout numbers anew: it
    // stays on its items as the caret does (a border drag that widens a
    // table in a cell rewraps the cell's text before it).
    Integer ss = -1, sso = 0, se = -1, seo = 0;
    const bool selected = SelStartDrawItem >= 0 && SelEndDrawItem >= 0 && SelStartDrawItem < DrawItems.Count() &&
                          SelEndDrawItem < DrawItems.Count();
    if (selected) GetSelBounds(false, ss, sso, se, seo);
    Reformat();
    if (selected && ss >= 0 && se >= 0 && ss < GetItemCount() && se < GetItemCount())
      StoreSelBounds(ss, sso, se, seo);
    InvalidateHost();
  } else if (itemNo >= 0 && itemNo < GetItemCount()) {
    Integer d = -1;
    if (CaretDrawItemNo >= 0 && CaretDrawItemNo < DrawItems.Count() && DrawItems[CaretDrawItemNo]->ItemNo == itemNo)
      d = CaretDrawItemNo;
    else
      d = Item2FirstDrawItem(itemNo);
    if (d >= 0) {
      Integer f, l;
      ExpandReformatRange(d, d, f, l);
      FormatParas(f, l, 0);
    }
  }
  if (caretItem < 0 || GetItemCount() == 0) return;
  const Integer item = std::clamp(caretItem, 0, GetItemCount() - 1);
  Integer d, o;
  Item2DrawItem(item, std::clamp(caretOffs, GetItemStartOffset(item), GetItemEndOffset(item)), d, o);
  if (d >= 0) {
    CaretDrawItemNo = d;
    BuildCharPositions(o - 2);
  }
  PlaceCaret(scrollAndUpdate, scrollAndUpdate, keepCurStyles);
  if (shown && !CaretInView()) ScrollToCaret();
}

void TVLEditVLData::InsertPageBreak() {
  FinalizeNestedItem();
  PrepareEmptyDocument();
  if (!EnsureValidCaret()) return;
  // The break goes where the caret is and keeps what was selected: the
  // selection is let go, else it outlives the split with the caret on the
  // next line, and a click inside it no longer places the caret.
  if (SelectionExists()) {
    const Integer caretItem = GetCaretItemNo(), caretOffs = GetCaretOffset();
    SetSelectionBounds(caretItem, caretOffs, caretItem, caretOffs);
    if (!EnsureValidCaret()) return;
  }
  BeginUndoSequence(vlutInsertPageBreak, true);
  Integer itemNo = GetCaretItemNo();
  {
    TVLUndoGroupModeGuard group(this);
    const Integer offs = GetCaretOffset();
    TCustomVLItemInfo* item = GetItem(itemNo);
    const bool afterMarker = itemNo > 0 && GetItemStyle(itemNo - 1) == vlsListMarker;
    const bool inside = offs > GetItemStartOffset(itemNo);
    if (inside || (item->GetSameAsPrev() && itemNo != 0 && !afterMarker)) {
      if (!InsertEnter(false)) return;
      itemNo = GetCaretItemNo();
    }
    // A list paragraph's break belongs to its marker.
    if (itemNo > 0 && GetItemStyle(itemNo - 1) == vlsListMarker) --itemNo;
    bool f = false;
    if (GetItem(itemNo)->GetBR()) SetBR(itemNo, false, f);
    SetPageBreak(itemNo, true);
  }
  ReformatKeepingCaret(false, false, itemNo, true);
  InvalidateHost();
  NotifyChange(true);
}

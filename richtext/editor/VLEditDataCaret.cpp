// Caret movement by characters, words, lines, pages and paragraphs, and the
// selection that follows the caret while Shift is held.
#include "richtext/editor/VLEditData.h"
#include "richtext/model/VLUni.h"

#include <algorithm>

namespace {

// The caret moves by paragraphs while whole paragraphs are selected.
bool ParagraphSelection(TVLEditVLData& d) {
  TVLStyle* style = d.GetStyle();
  if (!style || style->SelectionMode != vlsmParagraph || !d.SelectionExists()) return false;
  Integer sn, so, en, eo;
  d.GetSelBounds(true, sn, so, en, eo);
  for (Integer i = sn + 1; i <= en; ++i)
    if (d.GetItem(i)->IsParaStart()) return true;
  return false;
}

}  // namespace

bool TVLEditVLData::IsCaretOnLastLine() const {
  return !CharPositions.empty() && CharPositions.back().DrawItemNo == DrawItems.Count() - 1;
}

bool TVLEditVLData::MoveCaretLeft(bool selecting, bool wordMove) {
  if (!EnsureValidCaret()) return true;
  const TVLCharPos stop = *CaretStop();
  const TVLDrawLineInfo* di = DrawItems[stop.DrawItemNo];
  const Integer itemNo = di->ItemNo;
  const Integer p = stop.Offset + di->TextOffset - 2;
  if (selecting && ParagraphSelection(*this)) {
    MoveCaretToPrevParaStart();
    return false;
  }
  bool result = false;
  if (wordMove && GetItemStyle(itemNo) >= 0 && p > 0) {
    const AnsiString text = GetItemTextA(itemNo);
    const Byte opts = GetItemOptions(itemNo);
    Integer n = 1;
    for (Integer i = p - 1; i >= 1; --i) {
      if (IsSpaceAt(text, i, opts) && !IsSpaceAt(text, i + 1, opts)) break;
      ++n;
    }
    if (n <= CaretCharPos && CharPositions[static_cast<size_t>(CaretCharPos - n)].DrawItemNo == stop.DrawItemNo) {
      CaretCharPos -= n;
    } else {
      Integer d, o;
      Item2DrawItem(itemNo, p - n + 1, d, o);
      CaretDrawItemNo = d;
      SkipMarker(false, o);
      BuildCharPositions(o - 2);
    }
  } else if (CaretCharPos > 0) {
    if (!selecting && !wordMove && GetItem(itemNo)->EnterItem(1, 0)) return false;
    --CaretCharPos;
  } else {
    // The line's first stop: to the end of the previous line.
    const Integer d = CharPositions.front().DrawItemNo;
    if (d == 0 || (d == 1 && GetItemStyle(DrawItems[0]->ItemNo) == vlsListMarker)) return true;
    CaretDrawItemNo = d - 1;
    if (CaretDrawItemNo == 0 && GetItemStyle(DrawItems[0]->ItemNo) == vlsListMarker) result = true;
    Integer o = GetOffsAfterDrawItem(CaretDrawItemNo);
    SkipMarker(false, o);
    BuildCharPositions(o - 2);
  }
  PlaceCaret(true, false, false);
  return result;
}

bool TVLEditVLData::MoveCaretRight(bool selecting, bool wordMove) {
  if (!EnsureValidCaret()) return true;
  if (selecting && ParagraphSelection(*this)) {
    MoveCaretToNextParaEnd();
    return false;
  }
  const Integer lastStop = static_cast<Integer>(CharPositions.size()) - 1;
  auto toNextDrawItem = [&] {
    CaretDrawItemNo = CharPositions.back().DrawItemNo + 1;
    Integer o = GetOffsBeforeDrawItem(CaretDrawItemNo);
    SkipMarker(true, o);
    BuildCharPositions(o - 2);
  };
  if (!wordMove) {
    if (CaretCharPos < lastStop) {
      const Integer nextItem = DrawItems[CharPositions[static_cast<size_t>(CaretCharPos + 1)].DrawItemNo]->ItemNo;
      if (!selecting && GetItem(nextItem)->EnterItem(0, 0)) return false;
      ++CaretCharPos;
    } else {
      if (CharPositions.back().DrawItemNo >= DrawItems.Count() - 1) return true;
      toNextDrawItem();
    }
  } else {
    ++CaretCharPos;
    if (CaretCharPos > lastStop) {
      if (CharPositions.back().DrawItemNo >= DrawItems.Count() - 1) {
        --CaretCharPos;
        return true;
      }
      toNextDrawItem();
    }
    const TVLCharPos& stop = CharPositions[static_cast<size_t>(CaretCharPos)];
    const TVLDrawLineInfo* di = DrawItems[stop.DrawItemNo];
    const Integer itemNo = di->ItemNo;
    if (GetItemStyle(itemNo) >= 0) {
      const AnsiString text = GetItemTextA(itemNo);
      const Byte opts = GetItemOptions(itemNo);
      const Integer len = TextLength(text, opts);
      const Integer p = stop.Offset + di->TextOffset - 1;
      Integer n = 0;
      for (Integer i = p; i < len; ++i) {
        if (IsSpaceAt(text, i, opts) && !IsSpaceAt(text, i + 1, opts)) break;
        ++n;
      }
      if (n > 0 || p <= len) {
        const Integer target = CaretCharPos + n + 1;
        if (p > len) {
          // At the item's end already.
        } else if (target <= static_cast<Integer>(CharPositions.size()) - 1 &&
                   CharPositions[static_cast<size_t>(target)].DrawItemNo == stop.DrawItemNo) {
          CaretCharPos = target;
        } else {
          Integer d, o;
          Item2DrawItem(itemNo, std::min(p + n + 1, len + 1), d, o);
          CaretDrawItemNo = d;
          SkipMarker(true, o);
          BuildCharPositions(o - 2);
        }
      }
    }
  }
  PlaceCaret(true, false, false);
  return false;
}

bool TVLEditVLData::MoveCaretUp(bool selecting, bool noEnter) {
  if (!EnsureValidCaret()) return true;
  Integer f = CharPositions.front().DrawItemNo;
  auto atFirstLine = [&] {
    if (selecting && CaretCharPos != 0) {
      CaretCharPos = 0;
    } else {
      VScrollTo(0);
    }
  };
  if (f == 0 || (f == 1 && GetItemStyle(DrawItems[0]->ItemNo) == vlsListMarker)) {
    atFirstLine();
    return true;
  }
  if (selecting && ParagraphSelection(*this)) {
    MoveCaretToPrevParaStart();
    return false;
  }
  const Integer x = CaretStop()->X;
  Integer q = f - 1;
  if (GetItemStyle(DrawItems[q]->ItemNo) == vlsListMarker) {
    if (q == 0) {
      atFirstLine();
      return true;
    }
    --q;
  }
  Integer d, o;
  FindDrawItemForSel(x, DrawItems[q]->Top + 1, d, o, false);
  if (d < 0) return true;
  CaretDrawItemNo = d;
  const TVLDrawLineInfo* di = DrawItems[d];
  if (!selecting && !noEnter && di->Left <= x && x <= di->Left + di->Width &&
      GetItem(di->ItemNo)->EnterItem(3, x - di->Left))
    return false;
  SkipMarker(true, o);
  BuildCharPositions(o - 2);
  PlaceCaret(true, false, false);
  return false;
}

bool TVLEditVLData::MoveCaretDown(bool selecting, bool noEnter) {
  if (!EnsureValidCaret()) return true;
  if (IsCaretOnLastLine()) {
    if (selecting && CaretCharPos != static_cast<Integer>(CharPositions.size()) - 1)
      CaretCharPos = static_cast<Integer>(CharPositions.size()) - 1;
    else {
      VScrollTo(DocumentHeight);
      // A last line taller than the view (a tall table) keeps the caret's
      // top in sight.
      ScrollToCaret();
    }
    return true;
  }
  if (selecting && ParagraphSelection(*this)) {
    MoveCaretToNextParaEnd();
    return false;
  }
  const Integer x = CaretStop()->X;
  const Integer probe = CharPositions.back().DrawItemNo + 1;
  Integer d, o;
  FindDrawItemForSel(x, DrawItems[probe]->Top + 1, d, o, false);
  if (d < 0) return true;
  CaretDrawItemNo = d;
  const TVLDrawLineInfo* di = DrawItems[d];
  if (!selecting && !noEnter && di->Left <= x && x <= di->Left + di->Width &&
      GetItem(di->ItemNo)->EnterItem(2, x - di->Left))
    return false;
  SkipMarker(true, o);
  BuildCharPositions(o - 2);
  PlaceCaret(true, false, false);
  return false;
}

bool TVLEditVLData::MoveCaretHome(bool atDocument) {
  if (!EnsureValidCaret()) return atDocument;
  if (atDocument) {
    CaretDrawItemNo = 0;
    Integer o = GetOffsBeforeDrawItem(0);
    SkipMarker(true, o);
    BuildCharPositions(o - 2);
    CaretCharPos = 0;
  } else {
    CaretCharPos = 0;
    CaretDrawItemNo = CharPositions.front().DrawItemNo;
  }
  PlaceCaret(true, false, false);
  return atDocument;
}

bool TVLEditVLData::MoveCaretEnd(bool atDocument) {
  if (!EnsureValidCaret()) return atDocument;
  if (atDocument) {
    CaretDrawItemNo = DrawItems.Count() - 1;
    BuildCharPositions(GetOffsAfterDrawItem(CaretDrawItemNo) - 2);
    CaretCharPos = static_cast<Integer>(CharPositions.size()) - 1;
  } else {
    CaretCharPos = static_cast<Integer>(CharPositions.size()) - 1;
    CaretDrawItemNo = CharPositions.back().DrawItemNo;
  }
  PlaceCaret(true, false, false);
  return atDocument;
}

bool TVLEditVLData::MoveCaretPageUp() {
  if (!EnsureValidCaret()) return false;
  const Integer x = CaretStop()->X;
  const Integer h = GetHeight();
  // A window of no height still moves the probe (it would never end).
  const Integer step = std::max(h / 2, 1);
  Integer y = GetVOffset() - h * 2 / 3;
  while (y > 0) {
    Integer n, o;
    FindDrawItemForSel(x, y, n, o, false);
    if (n >= 0 && n < CaretDrawItemNo) {
      CaretDrawItemNo = n;
      SkipMarker(true, o);
      BuildCharPositions(o - 2);
      PlaceCaret(true, false, false);
      return false;
    }
    y -= step;
  }
  MoveCaretHome(true);
  return false;
}

bool TVLEditVLData::MoveCaretPageDown() {
  if (!EnsureValidCaret()) return false;
  const Integer x = CaretStop()->X;
  const Integer h = GetHeight();
  const Integer step = std::max(h / 2, 1);
  Integer y = GetVOffset() + h * 2 / 3;
  while (y < DocumentHeight) {
    Integer n, o;
    FindDrawItemForSel(x, y, n, o, false);
    if (n > CaretDrawItemNo) {
      CaretDrawItemNo = n;
      SkipMarker(true, o);
      BuildCharPositions(o - 2);
      PlaceCaret(false, false, false);
      VScrollTo(DrawItems[CaretDrawItemNo]->Top);
      return false;
    }
    y += step;
  }
  MoveCaretEnd(true);
  return false;
}

void TVLEditVLData::MoveCaretToPrevParaStart() {
  auto paraStart = [&](Integer d) {
    while (d > 0 && !(GetItem(DrawItems[d]->ItemNo)->IsParaStart() &&
                      DrawItems[d - 1]->ItemNo != DrawItems[d]->ItemNo))
      --d;
    return d;
  };
  Integer d = paraStart(CaretDrawItemNo);
  if (d != 0 && d == CaretDrawItemNo && CaretCharPos == 0) d = paraStart(d - 1);
  CaretDrawItemNo = d;
  Integer o = GetOffsBeforeDrawItem(d);
  SkipMarker(true, o);
  BuildCharPositions(o - 2);
  PlaceCaret(true, false, false);
}

void TVLEditVLData::MoveCaretToNextParaEnd() {
  const Integer count = DrawItems.Count();
  auto paraEnd = [&](Integer d) {
    while (d + 1 < count && !(GetItem(DrawItems[d + 1]->ItemNo)->IsParaStart() &&
                              DrawItems[d + 1]->ItemNo != DrawItems[d]->ItemNo))
      ++d;
    return d;
  };
  Integer d = paraEnd(CaretDrawItemNo);
  if (d != count - 1 && d == CaretDrawItemNo && IsCaretAtLineEnd()) d = paraEnd(d + 1);
  CaretDrawItemNo = d;
  BuildCharPositions(GetOffsAfterDrawItem(d) - 2);
  PlaceCaret(true, false, false);
}

// ---------------------------------------------------------------------------
// Selection that follows the caret

void TVLEditVLData::StartSelectionAtCaret() {
  if (SelectionExists() || !CaretStop()) return;
  const TVLCharPos* stop = CaretStop();
  SelStartDrawItem = SelEndDrawItem = stop->DrawItemNo;
  SelStartOffs = SelEndOffs = stop->Offset;
}

void TVLEditVLData::ExtendSelectionToCaret() {
  const TVLCharPos* stop = CaretStop();
  if (!stop) return;
  if (SelStartDrawItem < 0) {
    SelStartDrawItem = stop->DrawItemNo;
    SelStartOffs = stop->Offset;
  }
  SelEndDrawItem = stop->DrawItemNo;
  SelEndOffs = stop->Offset;
  CaretToSelectionEnd();
  DoSelect();
}

void TVLEditVLData::CaretToSelectionEnd() {
  if (SelEndDrawItem < 0) return;
  if (GetItemStyle(DrawItems[SelEndDrawItem]->ItemNo) == vlsListMarker &&
      SelEndDrawItem + 1 < DrawItems.Count()) {
    ++SelEndDrawItem;
    SelEndOffs = GetOffsBeforeDrawItem(SelEndDrawItem);
  }
  CaretDrawItemNo = SelEndDrawItem;
  BuildCharPositions(SelEndOffs - 2);
  PlaceCaret(true, false, false);
}

void TVLEditVLData::GetDrawItemSelBounds(bool normalize, Integer& startNo, Integer& startOffs, Integer& endNo,
                                         Integer& endOffs) const {
  TVellumVLData::GetDrawItemSelBounds(normalize, startNo, startOffs, endNo, endOffs);
  if (startNo >= 0) return;
  const TVLCharPos* stop = CaretStop();
  if (!stop || stop->DrawItemNo < 0 || stop->DrawItemNo >= DrawItems.Count()) return;
  startNo = endNo = stop->DrawItemNo;
  startOffs = endOffs = stop->Offset;
}

bool TVLEditVLData::IsCaretAtParaEnd() {
  const TVLCharPos* stop = CaretStop();
  if (!stop || !IsCaretAtLineEnd() || stop->DrawItemNo < 0 || stop->DrawItemNo >= DrawItems.Count()) return false;
  const TVLDrawLineInfo* di = DrawItems[stop->DrawItemNo];
  const Integer n = di->ItemNo;
  if (n + 1 < GetItemCount() && !GetItem(n + 1)->IsParaStart()) return false;
  const Integer pos = GetItemStyle(n) >= 0 ? di->TextOffset + stop->Offset - 1 : stop->Offset;
  return pos >= GetItemEndOffset(n);
}

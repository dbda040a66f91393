#include "richtext/view/VLHitTesting.h"

#include "richtext/model/VLItem.h"
#include "richtext/model/VLUni.h"
#include "richtext/view/VLPaint.h"

#include <algorithm>

namespace {

bool IsTextDrawItem(TCustomVLFormattedData& d, Integer n) { return d.GetItemStyle(d.DrawItems[n]->ItemNo) >= 0; }

// Whether character i (1-based inside draw item n) is a delimiter.
bool DelimiterAt(TCustomVLFormattedData& d, const WideString& text, const TVLDrawLineInfo* di, Integer i,
                 const AnsiString& delims) {
  const Integer k = di->TextOffset - 1 + i - 1;
  if (k < 0 || k >= static_cast<Integer>(text.size())) return true;
  return IsDelimiterW(text[static_cast<size_t>(k)], delims);
}

bool SelChanged(TCustomVLFormattedData& d, Integer s, Integer so, Integer e, Integer eo) {
  return d.SelStartDrawItem != s || d.SelStartOffs != so || d.SelEndDrawItem != e || d.SelEndOffs != eo;
}

bool StartsPara(TCustomVLFormattedData& d, Integer n) {
  return n == 0 || (d.DrawItems[n - 1]->ItemNo != d.DrawItems[n]->ItemNo &&
                    d.GetItem(d.DrawItems[n]->ItemNo)->IsParaStart());
}

}  // namespace

void VLGetItemAt(TCustomVLFormattedData& data, Integer x, Integer y, TCustomVLFormattedData*& vlData,
                 Integer& itemNo, Integer& offs, bool strict, bool& found) {
  vlData = &data;
  itemNo = -1;
  offs = 0;
  found = false;
  Integer di, dOffs;
  data.FindDrawItemForSel(x, y, di, dOffs, strict);
  if (di < 0) return;
  data.DrawItem2Item(di, dOffs, itemNo, offs);
  const TVLDrawLineInfo* d = data.DrawItems[di];
  found = x >= d->Left && x < d->Left + d->Width && y >= d->Top && y < d->Top + d->Height;
  TCustomVLItemInfo* item = data.GetItem(itemNo);
  if (item->StyleNo < 0) {
    if (auto* sub = dynamic_cast<TCustomVLFormattedData*>(item->GetSubVLDataAt(x - d->Left, y - d->Top))) {
      Integer ox, oy;
      sub->GetOrigin(ox, oy);
      Integer dx, dy;
      data.GetOrigin(dx, dy);
      VLGetItemAt(*sub, x + dx - ox, y + dy - oy, vlData, itemNo, offs, strict, found);
    }
  }
}

void VLGetWordAt(TCustomVLFormattedData& data, TCanvas* canvas, Integer x, Integer y,
                 TCustomVLFormattedData*& vlData, Integer& itemNo, Integer& styleNo, WideString& word,
                 Integer& wordStart) {
  vlData = &data;
  itemNo = -1;
  styleNo = 0;
  word.clear();
  wordStart = 0;
  const Integer dx = x + data.GetHOffset(), dy = y + data.GetVOffset();
  const Integer n = data.FindDrawItemAtPoint(dx, dy);
  if (n < 0) return;
  const TVLDrawLineInfo* d = data.DrawItems[n];
  itemNo = d->ItemNo;
  TCustomVLItemInfo* item = data.GetItem(itemNo);
  styleNo = item->StyleNo;
  if (styleNo < 0) {
    if (auto* sub = dynamic_cast<TCustomVLFormattedData*>(item->GetSubVLDataAt(dx - d->Left, dy - d->Top)))
      VLGetWordAt(*sub, canvas, dx - d->Left, dy - d->Top, vlData, itemNo, styleNo, word, wordStart);
    return;
  }
  const WideString text = data.GetDisplayText(itemNo);
  const AnsiString delims = data.GetDelimiters();
  // The character under the point: the boundary nearest to x.
  data.ResetMeasuring();
  Integer best = 1, bestDist = -1;
  const bool rtl = VLGetParaBiDiMode(data.GetStyle(), item->ParaNo, data.GetBiDiMode()) == vlbdRightToLeft;
  for (Integer i = 1; i <= d->Length; ++i) {
    const Integer left = VLTextPrefixWidth(data, canvas, n, i);
    const Integer right = VLTextPrefixWidth(data, canvas, n, i + 1);
    const Integer cl = rtl ? d->Left + d->Width - right : d->Left + left;
    const Integer cr = rtl ? d->Left + d->Width - left : d->Left + right;
    const Integer dist = dx < cl ? cl - dx : (dx >= cr ? dx - cr + 1 : 0);
    if (bestDist < 0 || dist < bestDist) {
      bestDist = dist;
      best = i;
    }
  }
  data.ResetMeasuring();
  if (d->Length == 0 || DelimiterAt(data, text, d, best, delims)) return;
  Integer k = d->TextOffset - 1 + best;  // 1-based in the item
  Integer s = k, e = k;
  while (s > 1 && !IsDelimiterW(text[static_cast<size_t>(s - 2)], delims)) --s;
  while (e < static_cast<Integer>(text.size()) && !IsDelimiterW(text[static_cast<size_t>(e)], delims)) ++e;
  word = text.substr(static_cast<size_t>(s - 1), static_cast<size_t>(e - s + 1));
  wordStart = s;
}

bool VLIsDrawItemInSelection(TCustomVLFormattedData& data, Integer drawItemNo, Integer offs) {
  Integer s, so, e, eo;
  data.GetDrawItemSelBounds(true, s, so, e, eo);
  if (s < 0 || e < 0 || (s == e && so == eo)) return false;
  const bool afterStart = drawItemNo > s || (drawItemNo == s && offs >= so);
  const bool beforeEnd = drawItemNo < e || (drawItemNo == e && offs <= eo);
  return afterStart && beforeEnd;
}

bool VLIsInsideWord(TCustomVLFormattedData& data, Integer drawItemNo, Integer offs) {
  if (drawItemNo < 0 || !IsTextDrawItem(data, drawItemNo)) return false;
  const TVLDrawLineInfo* d = data.DrawItems[drawItemNo];
  if (offs <= 1 || offs > d->Length) return false;
  const WideString text = data.GetDisplayText(d->ItemNo);
  const AnsiString delims = data.GetDelimiters();
  return !DelimiterAt(data, text, d, offs - 1, delims) && !DelimiterAt(data, text, d, offs, delims);
}

void VLGetWordBounds(TCustomVLFormattedData& data, Integer drawItemNo, Integer offs, Integer& wordStart,
                     Integer& wordEnd) {
  const TVLDrawLineInfo* d = data.DrawItems[drawItemNo];
  const WideString text = data.GetDisplayText(d->ItemNo);
  const AnsiString delims = data.GetDelimiters();
  wordStart = offs;
  while (wordStart > 1 && !DelimiterAt(data, text, d, wordStart - 1, delims)) --wordStart;
  wordEnd = offs;
  while (wordEnd <= d->Length && !DelimiterAt(data, text, d, wordEnd, delims)) ++wordEnd;
}

bool VLExpandSelectionToLines(TCustomVLFormattedData& data, bool fromAnchor) {
  if (data.SelStartDrawItem < 0) return false;
  const Integer s0 = data.SelStartDrawItem, so0 = data.SelStartOffs, e0 = data.SelEndDrawItem,
                eo0 = data.SelEndOffs;
  if (fromAnchor) {
    data.SelEndDrawItem = data.SelStartDrawItem;
    data.SelEndOffs = data.SelStartOffs;
  }
  const bool down = data.SelEndDrawItem > data.SelStartDrawItem ||
                    (data.SelEndDrawItem == data.SelStartDrawItem && data.SelEndOffs >= data.SelStartOffs);
  Integer& a = down ? data.SelStartDrawItem : data.SelEndDrawItem;
  Integer& ao = down ? data.SelStartOffs : data.SelEndOffs;
  Integer& b = down ? data.SelEndDrawItem : data.SelStartDrawItem;
  Integer& bo = down ? data.SelEndOffs : data.SelStartOffs;
  Integer first, last;
  data.GetLineBounds(a, first, last);
  a = first;
  ao = data.GetOffsBeforeDrawItem(first);
  data.GetLineBounds(b, first, last);
  b = last;
  bo = data.GetOffsAfterDrawItem(last);
  return SelChanged(data, s0, so0, e0, eo0);
}

bool VLExpandSelectionToParagraph(TCustomVLFormattedData& data, bool onlyIfMultiPara) {
  Integer s, so, e, eo;
  data.GetDrawItemSelBounds(true, s, so, e, eo);
  if (s < 0 || e < 0 || (s == e && so == eo)) return false;
  if (onlyIfMultiPara) {
    bool multi = false;
    for (Integer i = s + 1; i <= e && !multi; ++i) multi = StartsPara(data, i);
    if (!multi) return false;
  }
  const Integer s0 = data.SelStartDrawItem, so0 = data.SelStartOffs, e0 = data.SelEndDrawItem,
                eo0 = data.SelEndOffs;
  while (s > 0 && !StartsPara(data, s)) --s;
  while (e + 1 < data.DrawItems.Count() && !StartsPara(data, e + 1)) ++e;
  const bool down = !(data.SelEndDrawItem < data.SelStartDrawItem ||
                      (data.SelEndDrawItem == data.SelStartDrawItem && data.SelEndOffs < data.SelStartOffs));
  if (down) {
    data.SelStartDrawItem = s;
    data.SelStartOffs = data.GetOffsBeforeDrawItem(s);
    data.SelEndDrawItem = e;
    data.SelEndOffs = data.GetOffsAfterDrawItem(e);
  } else {
    data.SelEndDrawItem = s;
    data.SelEndOffs = data.GetOffsBeforeDrawItem(s);
    data.SelStartDrawItem = e;
    data.SelStartOffs = data.GetOffsAfterDrawItem(e);
  }
  return SelChanged(data, s0, so0, e0, eo0);
}

bool VLExtendSelectionTo(TCustomVLFormattedData& data, Integer x, Integer y) {
  const Integer s0 = data.SelStartDrawItem, so0 = data.SelStartOffs, e0 = data.SelEndDrawItem,
                eo0 = data.SelEndOffs;
  Integer n, o;
  data.FindDrawItemForSel(x, y, n, o, false);
  if (n < 0) return false;
  data.SelEndDrawItem = n;
  data.SelEndOffs = o;
  VLExpandSelectionToLines(data, false);
  if (data.GetStyle() && data.GetStyle()->SelectionMode == vlsmParagraph) VLExpandSelectionToParagraph(data, true);
  return SelChanged(data, s0, so0, e0, eo0);
}

bool VLExtendSelectionByWords(TCustomVLFormattedData& data, TVLSelectingInfo& info, Integer x, Integer y) {
  const Integer s0 = data.SelStartDrawItem, so0 = data.SelStartOffs, e0 = data.SelEndDrawItem,
                eo0 = data.SelEndOffs;
  Integer n, o;
  data.FindDrawItemForSel(x, y, n, o, false);
  if (n < 0) return false;
  if (info.AnchorState == 3) {
    data.SelEndDrawItem = n;
    data.SelEndOffs = o;
    VLExpandSelectionToParagraph(data, true);
    return SelChanged(data, s0, so0, e0, eo0);
  }
  const bool haveAnchorWord = info.AnchorState != 2 || info.AnchorWordEnd > info.AnchorWordStart;
  auto inAnchorWord = [&] {
    return n == info.AnchorDrawItem && o >= info.AnchorWordStart && o <= info.AnchorWordEnd;
  };
  auto afterAnchorWord = [&] {
    return n > info.AnchorDrawItem || (n == info.AnchorDrawItem && o > info.AnchorWordEnd);
  };
  bool snap = true;
  if (info.AnchorState == 0 && haveAnchorWord) {
    if (inAnchorWord()) {
      snap = false;
    } else {
      data.SelStartDrawItem = info.AnchorDrawItem;
      data.SelStartOffs = afterAnchorWord() ? info.AnchorWordStart : info.AnchorWordEnd;
      info.AnchorState = 1;
    }
  } else if (info.AnchorState == 1 && inAnchorWord()) {
    data.SelStartDrawItem = info.AnchorDrawItem;
    data.SelStartOffs = info.AnchorOffs;
    info.AnchorState = 2;
    snap = false;
  }
  if (snap) {
    if (VLIsInsideWord(data, n, o)) {
      Integer ws, we;
      VLGetWordBounds(data, n, o, ws, we);
      const bool after = n > info.AnchorDrawItem || (n == info.AnchorDrawItem && o > info.AnchorOffs);
      if (n != info.CurrentDrawItem || ws != info.CurrentWordStart || we != info.CurrentWordEnd) {
        info.CurrentState = 0;
        info.CurrentDrawItem = n;
        info.CurrentWordStart = ws;
        info.CurrentWordEnd = we;
      } else if ((after && o < info.CurrentOffs) || (!after && o > info.CurrentOffs)) {
        info.CurrentState = 2;
      }
      info.CurrentOffs = o;
      if (info.CurrentState == 0) o = after ? we : ws;
    } else {
      info.CurrentDrawItem = -1;
      info.CurrentWordStart = info.CurrentWordEnd = 0;
    }
  }
  data.SelEndDrawItem = n;
  data.SelEndOffs = o;
  return SelChanged(data, s0, so0, e0, eo0);
}

void VLShowRectangle(TCustomVLFormattedData& data, Integer x, Integer y, Integer width, Integer height) {
  // What fits in the view unscrolled is shown with the left edge: a view
  // left a few pixels sideways cuts every line's first letters.
  if (x + width <= data.GetWidth()) {
    if (data.GetHOffset() > 0) data.HScrollTo(0);
  } else if (x < data.GetHOffset() || x + width > data.GetHOffset() + data.GetWidth()) {
    data.HScrollTo(x - data.GetWidth() / 4);
  }
  const Integer bottom = data.GetVOffset() + data.GetHeight();
  const Integer step = data.GetVSmallStep();
  if (y + height > bottom - 2 * step && y < data.GetVOffset() + step) return;
  if (y + height <= bottom) {
    if (y < data.GetVOffset()) data.VScrollTo(y);
  } else {
    data.VScrollTo(y + height - data.GetHeight() + step);
  }
}

void VLSetDragDropCaret(TCustomVLFormattedData& data, TCanvas* canvas, Integer itemNo, Integer offs,
                        TVLDragDropCaretInfo& info) {
  info.VLData = &data;
  info.ItemNo = itemNo;
  info.ItemOffs = offs;
  Integer n, o;
  data.Item2DrawItem(itemNo, offs, n, o);
  if (n < 0) return;
  const TVLDrawLineInfo* d = data.DrawItems[n];
  info.X = d->Left;
  info.Y = d->Top;
  info.Height = d->Height;
  if (data.GetItemStyle(itemNo) < 0 || d->Length == 0) {
    if (o > data.GetOffsBeforeDrawItem(n)) info.X = d->Left + d->Width;
    return;
  }
  TCustomVLItemInfo* item = data.GetItem(itemNo);
  const Integer w = VLTextPrefixWidth(data, canvas, n, o);
  const bool rtl = VLGetParaBiDiMode(data.GetStyle(), item->ParaNo, data.GetBiDiMode()) == vlbdRightToLeft;
  info.X = rtl ? d->Left + d->Width - w : d->Left + w;
}

void VLDrawDragDropCaret(TCanvas* canvas, const TVLDragDropCaretInfo& info, Integer hOffset, Integer vOffset) {
  if (!info.VLData) return;
  Integer ox, oy;
  info.VLData->GetOrigin(ox, oy);
  ox -= hOffset;
  oy -= vOffset;
  canvas->Pen.Mode = pmNot;
  canvas->Pen.Width = 1;
  canvas->Brush.Style = bsClear;
  canvas->Pen.Style = psSolid;
  for (Integer y = info.Y; y <= info.Y + info.Height; y += 2) {
    canvas->MoveTo(info.X + ox, y + oy);
    canvas->LineTo(info.X + ox + 2, y + oy);
  }
  canvas->Pen.Mode = pmCopy;
}

// Partial reformat: the paragraphs an edit touched are laid out again in
// place, and the draw items after them move and are renumbered.
#include "platform/base/SysUtils.h"
#include "richtext/view/VLFormattedDataState.h"

#include <algorithm>

namespace {

bool StartsPara(TCustomVLFormattedData& d, Integer drawItemNo) {
  const TVLDrawLineInfo* di = d.DrawItems[drawItemNo];
  return d.GetItem(di->ItemNo)->IsParaStart() &&
         (drawItemNo == 0 || d.DrawItems[drawItemNo - 1]->ItemNo != di->ItemNo);
}

}  // namespace

void TCustomVLFormattedData::ExpandReformatRange(Integer first, Integer last, Integer& expFirst,
                                                 Integer& expLast) {
  const Integer count = DrawItems.Count();
  expFirst = first;
  while (expFirst > 0 && !StartsPara(*this, expFirst)) --expFirst;
  if (expFirst > 0) {
    --expFirst;
    while (expFirst > 0 && !StartsPara(*this, expFirst)) --expFirst;
  }
  // The rest of last's paragraph, then the following paragraph.
  Integer e = last;
  for (int pass = 0; pass < 2; ++pass) {
    const Integer item = DrawItems[e]->ItemNo;
    while (e + 1 < count && DrawItems[e + 1]->ItemNo == item) ++e;
    while (e + 1 < count && !GetItem(DrawItems[e + 1]->ItemNo)->IsParaStart()) ++e;
    if (e + 1 >= count) break;
    if (pass == 0) ++e;
  }
  expLast = std::min(e, count - 1);
}

void TCustomVLFormattedData::FormatParas(Integer startDrawItem, Integer endDrawItem, Integer itemsDelta) {
  const Integer count = DrawItems.Count();
  if (count == 0 || startDrawItem < 0 || endDrawItem >= count) {
    Reformat();
    return;
  }
  Integer s = startDrawItem;
  while (s > 0 && (GetItem(DrawItems[s]->ItemNo)->GetSameAsPrev() ||
                   DrawItems[s - 1]->ItemNo == DrawItems[s]->ItemNo))
    --s;
  const Integer itemCount = GetItemCount();
  Integer e = endDrawItem;
  if (DrawItems[e]->ItemNo + itemsDelta >= itemCount - 1) {
    e = count - 1;
  } else {
    const Integer item = DrawItems[e]->ItemNo;
    while (e + 1 < count && DrawItems[e + 1]->ItemNo == item) ++e;
    if (e + 1 < count) {
      Integer k = e + 1;
      while (k < count) {
        const Integer newNo = DrawItems[k]->ItemNo + itemsDelta;
        if (newNo >= itemCount || !GetItem(newNo)->GetSameAsPrev()) break;
        ++k;
      }
      e = k - 1;
    }
  }
  FormatParasExact(s, e, itemsDelta, false);
}

Integer TCustomVLFormattedData::PieceBottom(const TVLDrawLineInfo* d) {
  // A text line reaches its font's external leading below the piece when
  // lines add it (the piece's box starts that much above the text).
  Integer bottom = d->Top + d->Height;
  const Integer styleNo = GetItemStyle(d->ItemNo);
  if (styleNo >= 0 && (GetLayoutFlags() & vllfExternalLeading))
    bottom += TextStyleMetrics(GetCanvas(), styleNo, VLGetItemBiDiMode(*Items, GetStyle(), d->ItemNo, GetBiDiMode()))
                  .tmExternalLeading;
  return bottom;
}

void TCustomVLFormattedData::FormatParasExact(Integer startDrawItem, Integer endDrawItem,
                                              Integer itemsDelta, bool itemFlag) {
  const Integer oldCount = DrawItems.Count();
  TVLStyle* style = GetStyle();
  if (!style || oldCount == 0 || startDrawItem < 0 || endDrawItem < startDrawItem ||
      endDrawItem >= oldCount || GetItemCount() == 0) {
    Reformat(itemFlag);
    return;
  }
  ResetMeasuring();
  const Integer itemCount = GetItemCount();
  Integer firstItem = std::clamp(DrawItems[startDrawItem]->ItemNo, 0, itemCount - 1);
  Integer lastItem = std::clamp(DrawItems[endDrawItem]->ItemNo + itemsDelta, 0, itemCount - 1);
  lastItem = std::max(lastItem, firstItem);
  const bool firstFullLine = GetItem(firstItem)->GetBoolValue(0);

  // Bottom of the line before the range, and top of the line after it.
  Integer y0 = GetTopMargin();
  if (startDrawItem > 0) {
    Integer f, l;
    GetLineBounds(startDrawItem - 1, f, l);
    y0 = INT32_MIN;
    for (Integer i = f; i <= l; ++i) {
      const TVLDrawLineInfo* d = DrawItems[i];
      // A full-line item drops the line spacing of the line before it.
      y0 = std::max(y0, PieceBottom(d) + (firstFullLine ? 0 : d->ExtraSpaceBelow));
    }
  }
  Integer oldNextTop = -1;
  if (endDrawItem < oldCount - 1) {
    Integer f, l;
    GetLineBounds(endDrawItem + 1, f, l);
    oldNextTop = DrawItems[endDrawItem + 1]->Top;
    for (Integer i = endDrawItem + 1; i <= l; ++i) oldNextTop = std::min(oldNextTop, DrawItems[i]->Top);
  }
  const Integer oldDocHeight = DocumentHeight;

  // Hypertext areas of the old range go; later ones follow their draw items.
  Jumps.erase(std::remove_if(Jumps.begin(), Jumps.end(),
                             [&](const std::unique_ptr<TVLJumpInfo>& j) {
                               return j->DrawItemNo >= startDrawItem && j->DrawItemNo <= endDrawItem;
                             }),
              Jumps.end());

  TVLFormatState st;
  st.Canvas = GetCanvas();
  st.Style = style;
  st.Flags = GetLayoutFlags();
  st.ItemFlag = itemFlag;
  st.SharedItems = ShareItems();
  GetResolutionInfo(st.Canvas, st.Res);
  st.Res.ScaledLeftMargin = st.Res.ToDeviceX(GetLeftMargin());
  st.Res.ScaledRightMargin = st.Res.ToDeviceX(GetRightMargin());
  st.Baseline = y0;
  // The line before the range was finished and trimmed already. Whether a
  // space was swallowed last shows as an uncovered space after the last
  // text piece before the range.
  st.TrimFloor = startDrawItem;
  for (Integer k = startDrawItem - 1; k >= 0; --k) {
    const TVLDrawLineInfo* d = DrawItems[k];
    if (GetItemStyle(d->ItemNo) < 0 || d->Length == 0) continue;
    const WideString text = GetDisplayText(d->ItemNo);
    const size_t end = static_cast<size_t>(d->TextOffset - 1 + d->Length);
    st.SpaceConsumed = end < text.size() && text[end] == u' ';
    break;
  }
  st.InsertAt = startDrawItem;
  st.ParaStartItem = GetParaStartItem(firstItem);
  DrawItems.MarkForDelete(startDrawItem, endDrawItem);
  try {
    FormatItems(st, firstItem, lastItem);
  } catch (...) {
    // What is left of the range is dropped; the document needs a Format.
    DrawItems.DeleteMarked();
    LastFormattedItem = -1;
    throw;
  }
  // The next item would trim the range's last line when it starts a line
  // with text of its own.
  const Integer nextItem = lastItem + 1;
  if (nextItem < itemCount && GetItemStyle(nextItem) >= 0 && GetItem(nextItem)->IsFromNewLine() &&
      !Items->Get(nextItem).empty())
    TrimLastSpace(st);
  FinishLine(st, true);
  DrawItems.DeleteMarked();
  const Integer pending = st.PendingSpace;
  const Integer lineBottom = VLCheckedAdd(st.Baseline, st.LineDescent);
  const Integer newCount = DrawItems.Count();
  const Integer next = lastItem + 1;
  Integer newNextTop = VLCheckedAdd(lineBottom, pending);
  if (next < itemCount && GetItem(next)->GetBoolValue(0)) {
    // The next item stands on a line of its own: line spacing does not
    // reach it, the spacing of its own paragraph does.
    newNextTop = lineBottom + style->ParaStyles->Items(GetItem(lastItem)->ParaNo)->SpaceAfter +
                 style->ParaStyles->Items(GetItem(next)->ParaNo)->SpaceBefore;
    if (GetItemStyle(next) == vlsBreak) newNextTop += style->ParaStyles->Items(0)->SpaceBefore;
  } else {
    if (next >= itemCount || GetItem(next)->IsParaStart())
      newNextTop += style->ParaStyles->Items(GetItem(lastItem)->ParaNo)->SpaceAfter;
    if (next < itemCount && GetItem(next)->IsParaStart())
      newNextTop += style->ParaStyles->Items(GetItem(next)->ParaNo)->SpaceBefore;
  }
  const Integer following = st.InsertAt;
  Integer contentBottom = newNextTop;
  const bool moved = !(itemsDelta == 0 && newCount == oldCount && newNextTop == oldNextTop);
  if (moved) {
    const Integer dy = oldNextTop < 0 ? 0 : newNextTop - oldNextTop;
    // Items keep their first draw items unless items or draw items came or went.
    const bool renumber = !st.SharedItems && (itemsDelta != 0 || newCount != oldCount);
    for (Integer i = following; i < newCount; ++i) {
      TVLDrawLineInfo* d = DrawItems[i];
      d->Top = VLCheckedAdd(d->Top, dy);
      d->ItemNo += itemsDelta;
      if (renumber && (i == 0 || DrawItems[i - 1]->ItemNo != d->ItemNo)) GetItem(d->ItemNo)->DrawItemNo = i;
    }
    // Everything after the range moved by dy, its lowest line too (lines
    // only go down), so the content bottom moves with it.
    contentBottom = following < newCount ? VLCheckedAdd(oldDocHeight - GetBottomMargin(), dy) : newNextTop;
    for (auto& j : Jumps)
      if (j->DrawItemNo > endDrawItem) {
        j->DrawItemNo += newCount - oldCount;
        j->Top += dy;
      }
    const Integer newHeight = VLCheckedAdd(GetBottomMargin(), contentBottom);
    if (newHeight != DocumentHeight) {
      DocumentHeight = newHeight;
      AdjustVScrollStep();
      const Integer v = GetVOffset();
      SkipFormat = true;
      SetDocumentSize(GetDocumentWidth(), DocumentHeight, false);
      SkipFormat = false;
      if (GetVOffset() != v) InvalidateBand(0, GetHeight());
    }
  }
  // The band to repaint, relative to the visible area: the range's lines,
  // and everything below them when the lines after the range moved.
  const Integer v = GetVOffset();
  const Integer bandBottom = moved ? std::max(contentBottom, oldDocHeight - GetBottomMargin()) : newNextTop;
  InvalidTop = std::max(y0 - 10 - v, 0);
  InvalidBottom = std::min(bandBottom + 10 - v, GetHeight());
  if (InvalidBottom > InvalidTop) InvalidateBand(InvalidTop, InvalidBottom);
  AdjustChildrenCoords();
  LastFormattedItem = itemCount - 1;
  // The band is painted with the rest of the change (the caret, scrolling)
  // when the toolkit next paints, not once now and again for the caret.
  AfterFormat(firstItem, lastItem, true);
}

// Partial reformat: the paragraphs an edit touched are laid out again in
// place, and the draw items after them move and are renumbered.
#include "platform/base/SysUtils.h"
#include "platform/base/Wipe.h"
#include "richtext/view/VLFormattedDataState.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

bool StartsPara(TCustomVLFormattedData& d, Integer drawItemNo) {
  const TVLDrawLineInfo* di = d.DrawItems[drawItemNo];
  return d.GetItem(di->ItemNo)->IsParaStart() &&
         (drawItemNo == 0 || d.DrawItems[drawItemNo - 1]->ItemNo != di->ItemNo);
}

// A draw item of the range as it was before the range was laid out again.
struct TOldPiece {
  Integer ItemNo, Left, Top, Width, Height, ExtraSpaceBelow, JustifyExtra;
  bool StartsNewLine;
  Cardinal Digest;
};

TOldPiece OldPieceOf(const TVLDrawLineInfo* d) {
  return {d->ItemNo, d->Left, d->Top, d->Width, d->Height, d->ExtraSpaceBelow, d->JustifyExtra, d->StartsNewLine,
          d->Digest};
}

bool SamePiece(const TOldPiece& o, const TVLDrawLineInfo* d) {
  return o.Digest != 0 && o.Digest == d->Digest && o.Left == d->Left && o.Top == d->Top && o.Width == d->Width &&
         o.Height == d->Height && o.ExtraSpaceBelow == d->ExtraSpaceBelow && o.JustifyExtra == d->JustifyExtra &&
         o.StartsNewLine == d->StartsNewLine;
}

// Where the lines of a run of pieces start (the first piece always does).
template <typename F>
std::vector<Integer> LineStarts(Integer count, F startsLine) {
  std::vector<Integer> starts;
  for (Integer i = 0; i < count; ++i)
    if (i == 0 || startsLine(i)) starts.push_back(i);
  starts.push_back(count);
  return starts;
}

constexpr Cardinal FnvBasis = 2166136261u;

// FNV-1a over 8-byte words (then the remaining bytes), folded to 32 bits.
Cardinal Mix(Cardinal h32, const void* data, size_t size) {
  const auto* p = static_cast<const unsigned char*>(data);
  uint64_t h = 0xCBF29CE484222325ull ^ h32;
  size_t i = 0;
  for (; i + 8 <= size; i += 8) {
    uint64_t word;
    std::memcpy(&word, p + i, 8);
    h = (h ^ word) * 0x100000001B3ull;
  }
  for (; i < size; ++i) h = (h ^ p[i]) * 0x100000001B3ull;
  return static_cast<Cardinal>(h ^ (h >> 32));
}

Cardinal MixValue(Cardinal h, int64_t value) { return Mix(h, &value, sizeof value); }

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
                               const Integer n = j->HostDrawItemNo >= 0 ? j->HostDrawItemNo : j->DrawItemNo;
                               return n >= startDrawItem && n <= endDrawItem;
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
    WideString text = GetDisplayText(d->ItemNo);
    const TWipeTextOnExit<char16_t> wipe(text, IsSensitive());
    const size_t end = static_cast<size_t>(d->TextOffset - 1 + d->Length);
    st.SpaceConsumed = end < text.size() && text[end] == u' ';
    break;
  }
  st.InsertAt = startDrawItem;
  st.ParaStartItem = GetParaStartItem(firstItem);
  std::vector<TOldPiece> old;
  old.reserve(static_cast<size_t>(endDrawItem - startDrawItem + 1));
  for (Integer i = startDrawItem; i <= endDrawItem; ++i) old.push_back(OldPieceOf(DrawItems[i]));
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
      !Items->Ref(nextItem).empty())
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
  // What follows the range: its next line, or the end of the document.
  const Integer oldNext = oldNextTop >= 0 ? oldNextTop : oldDocHeight - GetBottomMargin();
  const bool moved = !(itemsDelta == 0 && newCount == oldCount && newNextTop == oldNext);
  // A scroll bar that came or went with the new height changes the width
  // the lines wrap at.
  bool barsChanged = false;
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
      if (j->HostDrawItemNo > endDrawItem) {
        j->HostDrawItemNo += newCount - oldCount;
        j->Top += dy;
      } else if (j->HostDrawItemNo < 0 && j->DrawItemNo > endDrawItem) {
        j->DrawItemNo += newCount - oldCount;
        j->Top += dy;
      }
    const Integer newHeight = VLCheckedAdd(GetBottomMargin(), contentBottom);
    if (newHeight != DocumentHeight) {
      DocumentHeight = newHeight;
      AdjustVScrollStep();
      const Integer v = GetVOffset(), w = GetWidth(), h = GetHeight();
      SkipFormat = true;
      SetDocumentSize(GetDocumentWidth(), DocumentHeight, false);
      SkipFormat = false;
      if (GetVOffset() != v) InvalidateBand(0, GetHeight());
      barsChanged = GetWidth() != w || GetHeight() != h;
    }
  }
  // A line laid out wider than the document (a table an indent moved
  // right) widens it as a full layout would: the view scrolls that far, and
  // a caret placed there can be brought into view.
  if (SticksOut(startDrawItem, following - 1)) {
    DocumentWidth = LinesRight(startDrawItem, following - 1) - GetLeftMargin();
    const Integer w = GetWidth(), h = GetHeight();
    SkipFormat = true;
    SetDocumentSize(GetLeftMargin() + DocumentWidth + GetRightMargin(), DocumentHeight, false);
    SkipFormat = false;
    barsChanged = barsChanged || GetWidth() != w || GetHeight() != h;
  }
  DigestDrawItems(startDrawItem - 1, following);
  // The band to repaint: everything below the range's first line when the
  // lines after the range moved; otherwise only the range's lines that
  // show something else or stand elsewhere than before.
  Integer bandTop = y0 - 10;
  Integer bandBottom = (moved ? std::max(contentBottom, oldDocHeight - GetBottomMargin()) : newNextTop) + 10;
  // Custom painting and paragraph borders (whose edges follow the widest
  // line) may change pixels of lines that show the same.
  // Lines before the first that changed stay where they were even when
  // what follows moved.
  bool linesAlone = !style->OnDrawStyleText && !style->OnDrawTextBack && !style->OnDrawParaBack;
  for (Integer item = firstItem; linesAlone && item <= lastItem; ++item)
    linesAlone = style->ParaStyles->Items(GetItem(item)->ParaNo)->Border.Style == vlbNone;
  if (linesAlone) {
    const Integer oldN = static_cast<Integer>(old.size()), newN = following - startDrawItem;
    const std::vector<Integer> oldLines =
        LineStarts(oldN, [&](Integer i) { return old[static_cast<size_t>(i)].StartsNewLine; });
    const std::vector<Integer> newLines =
        LineStarts(newN, [&](Integer i) { return DrawItems[startDrawItem + i]->StartsNewLine; });
    const Integer oldCountL = static_cast<Integer>(oldLines.size()) - 1;
    const Integer newCountL = static_cast<Integer>(newLines.size()) - 1;
    // The self-painting item counts as unchanged while it keeps its place.
    auto samePiece = [&](const TOldPiece& o, const TVLDrawLineInfo* d) {
      if (SamePiece(o, d)) return true;
      return SelfPaintingItem && itemsDelta == 0 && o.ItemNo == d->ItemNo && o.Left == d->Left && o.Top == d->Top &&
             o.StartsNewLine == d->StartsNewLine && GetItem(d->ItemNo) == SelfPaintingItem;
    };
    auto sameLine = [&](Integer o, Integer n) {
      const Integer len = oldLines[o + 1] - oldLines[o];
      if (len != newLines[n + 1] - newLines[n]) return false;
      for (Integer k = 0; k < len; ++k)
        if (!samePiece(old[static_cast<size_t>(oldLines[o] + k)], DrawItems[startDrawItem + newLines[n] + k]))
          return false;
      return true;
    };
    Integer prefix = 0;
    while (prefix < oldCountL && prefix < newCountL && sameLine(prefix, prefix)) ++prefix;
    Integer suffix = 0;
    while (!moved && suffix < std::min(oldCountL, newCountL) - prefix &&
           sameLine(oldCountL - 1 - suffix, newCountL - 1 - suffix))
      ++suffix;
    if (!moved && prefix == oldCountL && prefix == newCountL) {
      bandBottom = bandTop;
    } else {
      if (prefix > 0) {
        Integer bottom = INT32_MIN;
        for (Integer i = newLines[prefix - 1]; i < newLines[prefix]; ++i) {
          const TVLDrawLineInfo* d = DrawItems[startDrawItem + i];
          bottom = std::max(bottom, PieceBottom(d) + d->ExtraSpaceBelow);
        }
        bandTop = bottom - 10;
      }
      if (suffix > 0) {
        Integer top = INT32_MAX;
        for (Integer i = newLines[newCountL - suffix]; i < newLines[newCountL - suffix + 1]; ++i)
          top = std::min(top, DrawItems[startDrawItem + i]->Top);
        bandBottom = top + 10;
      }
    }
  }
  const Integer v = GetVOffset();
  InvalidTop = std::max(bandTop - v, 0);
  InvalidBottom = std::min(bandBottom - v, GetHeight());
  if (InvalidBottom > InvalidTop) InvalidateBand(InvalidTop, InvalidBottom);
  AdjustChildrenCoords();
  LastFormattedItem = itemCount - 1;
  // The band is painted with the rest of the change (the caret, scrolling)
  // when the toolkit next paints, not once now and again for the caret.
  AfterFormat(firstItem, lastItem, true);
  if (barsChanged) {
    // The whole document wraps anew at the width beside the bar (keeping
    // the selection and the line at the top), as a resize does.
    Format(true, false, false, 0, GetCanvas(), false, itemFlag);
    InvalidateBand(0, GetHeight());
  }
}

Integer TCustomVLFormattedData::LinesRight(Integer first, Integer last) {
  Integer right = 0;
  for (Integer i = std::max<Integer>(first, 0); i <= last && i < DrawItems.Count(); ++i)
    right = std::max(right, VLCheckedAdd(DrawItems[i]->Left, DrawItems[i]->Width));
  return right;
}

bool TCustomVLFormattedData::SticksOut(Integer first, Integer last) {
  if (KeepsItsWidth() || GetSourceVLData() != this) return false;
  return LinesRight(first, last) > GetLeftMargin() + DocumentWidth;
}

void TCustomVLFormattedData::DigestDrawItems(Integer first, Integer last) {
  first = std::max<Integer>(first, 0);
  last = std::min(last, DrawItems.Count() - 1);
  Integer rawItem = -1;
  // The item's own text: digests need no copy of it.
  static const AnsiString none;
  const AnsiString* rawText = &none;
  Cardinal rawDigest = 0;
  for (Integer n = first; n <= last; ++n) {
    TVLDrawLineInfo* d = DrawItems[n];
    TCustomVLItemInfo* item = GetItem(d->ItemNo);
    const Integer styleNo = GetItemActualStyle(item);
    if (styleNo < 0) {
      d->Digest = 0;
      continue;
    }
    if (d->ItemNo != rawItem) {
      rawItem = d->ItemNo;
      rawText = &ItemTextRef(rawItem);
      const AnsiString& raw = *rawText;
      // 8-bit text may use several bytes a character: the whole item counts.
      rawDigest = item->IsUnicode() ? 0 : Mix(FnvBasis, raw.data(), raw.size());
    }
    const bool firstOfItem = n == 0 || DrawItems[n - 1]->ItemNo != d->ItemNo;
    const bool lastOfItem = n + 1 >= DrawItems.Count() || DrawItems[n + 1]->ItemNo != d->ItemNo;
    // The end-of-paragraph or line-break mark depends on what follows.
    const Integer nextOptions =
        lastOfItem && d->ItemNo + 1 < GetItemCount() ? GetItem(d->ItemNo + 1)->ItemOptions : -1;
    Cardinal h = FnvBasis;
    for (const int64_t value : {int64_t{styleNo}, int64_t{item->ParaNo}, int64_t{item->ItemOptions},
                                int64_t{item->JumpID}, int64_t{item->Checkpoint != nullptr}, int64_t{firstOfItem},
                                int64_t{lastOfItem}, int64_t{nextOptions}, int64_t{d->Length}, int64_t{rawDigest}})
      h = MixValue(h, value);
    // Unicode pieces count by their own characters, wherever they stand in
    // the item: text typed above them leaves them as they were.
    if (!item->IsUnicode()) {
      h = MixValue(h, d->TextOffset);
    } else {
      const AnsiString& raw = *rawText;
      const size_t from = std::min(raw.size(), static_cast<size_t>(std::max<Integer>(d->TextOffset - 1, 0)) * 2);
      const size_t to = std::min(raw.size(), from + static_cast<size_t>(std::max<Integer>(d->Length, 0)) * 2);
      h = Mix(h, raw.data() + from, to - from);
    }
    d->Digest = h | 1u;
  }
}

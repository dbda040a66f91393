// Layout: items into lines of draw items, the document's width and height.
#include "platform/base/SysUtils.h"
#include "platform/base/Wipe.h"
#include "richtext/model/VLMarkers.h"
#include "richtext/model/VLUni.h"
#include "richtext/view/VLFormattedDataState.h"

#include <algorithm>

namespace {

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

TParaInfo* ParaOf(TVLStyle* style, TCustomVLItemInfo* item) { return style->ParaStyles->Items(item->ParaNo); }

// The last place before p[n] where the line may break (after that unit),
// -1 when none. Spaces the text starts with end a word before it.
Integer UnicodeBreakBefore(const char16_t* p, Integer n) {
  const char16_t* r = FindLineBreak(p, n);
  if (r && r < p + n) return static_cast<Integer>(r - p);
  Integer k = 0;
  while (k < n && p[k] == u' ') ++k;
  return k - 1;
}

bool NoWrap(const TVLFormatState& st, TParaInfo* para) { return !st.WrapsAll && para->Options.Contains(vlpaoNoWrap); }

}  // namespace

// ---------------------------------------------------------------------------
// The driver.

void TCustomVLFormattedData::Format(bool onlyResized, bool force, bool noScroll, Integer depth,
                                    TCanvas* canvas, bool onlyTail, bool itemFlag) {
  if (SkipFormat) {
    SkipFormat = false;
    return;
  }
  if (depth > 1 || !GetStyle() || (FState & vlstDoNotFormat)) return;
  if (!canvas) canvas = GetCanvas();
  // The whole document laid out at its owner's request: items that keep
  // their layout between runs (tables) measure everything again.
  if (depth == 0 && itemFlag && !onlyResized)
    for (Integer i = 0; i < GetItemCount(); ++i) GetItem(i)->LayoutAnew();
  if (depth == 0) FState |= vlstDoNotFormat;
  ResetMeasuring();
  TVLMeasuringRun run(*this);

  // What the resize mode and the tail mode restore afterwards.
  Integer selSI = -1, selSO = -1, selEI = -1, selEO = -1;
  TCustomVLItemInfo* topItem = nullptr;
  Integer topDelta = 0;
  const Integer savedVOffset = GetVOffset();
  if (depth == 0 && onlyResized) {
    GetSelBounds(false, selSI, selSO, selEI, selEO);
    if (!noScroll && DrawItems.Count() > 0) {
      const Integer n = std::min(FindDrawItemAtY(savedVOffset, 1), DrawItems.Count() - 1);
      topItem = GetItem(DrawItems[n]->ItemNo);
      topDelta = savedVOffset - DrawItems[n]->Top;
    }
  }

  TVLFormatState st;
  st.Canvas = canvas;
  st.Style = GetStyle();
  st.Flags = GetLayoutFlags();
  st.ItemFlag = itemFlag;
  st.SharedItems = ShareItems();
  st.WrapsAll = KeepsItsWidth();
  bool laidOut = false;
  try {
    GetResolutionInfo(canvas, st.Res);
    st.Res.ScaledLeftMargin = st.Res.ToDeviceX(GetLeftMargin());
    st.Res.ScaledRightMargin = st.Res.ToDeviceX(GetRightMargin());
    const Integer margins = st.Res.ScaledLeftMargin + st.Res.ScaledRightMargin;
    const Integer minText = st.Res.ToDeviceX(GetMinTextWidth());
    Integer paraStart = 0;
    const Integer minDocWidth =
        KeepsItsWidth() ? 0
                        : MinItemsWidth(0, GetItemCount() - 1, canvas, st.Res.IsScreen() ? nullptr : &st.Res, paraStart);
    Integer newDocWidth = std::max(GetWidth() - margins, minDocWidth);
    newDocWidth = std::max(newDocWidth, minText);
    Integer newTextWidth;
    if (!GetOptions().Contains(vloClientTextWidth)) {
      const Integer maxText = st.Res.ToDeviceX(GetMaxTextWidth());
      newTextWidth = GetMaxTextWidth() > 0 && maxText < newDocWidth ? maxText : newDocWidth;
    } else {
      newTextWidth = std::max(GetWidth() - margins, minText);
    }
    if (!onlyResized || force || newDocWidth != DocumentWidth || newTextWidth != TextWidth) {
      DocumentWidth = newDocWidth;
      TextWidth = newTextWidth;
      laidOut = true;
      RunFormat(st, onlyTail);
    }
    // An item laid out wider than its minimum said (a table whose cells
    // changed since it was measured) widens the document to it, as far as
    // the view scrolls.
    if (SticksOut(0, DrawItems.Count() - 1))
      DocumentWidth = LinesRight(0, DrawItems.Count() - 1) - GetLeftMargin();
    // Report the size; a scroll bar that appears or vanishes changes the
    // visible width, and the layout runs once more for it.
    const Integer oldW = GetWidth(), oldH = GetHeight();
    SkipFormat = true;
    SetDocumentSize(GetLeftMargin() + DocumentWidth + GetRightMargin(), DocumentHeight, true);
    SkipFormat = false;
    if (GetWidth() != oldW || GetHeight() != oldH) {
      FState &= ~vlstDoNotFormat;
      Format(onlyResized, force, false, depth + 1, canvas, false, itemFlag);
      if (depth == 0) FState |= vlstDoNotFormat;
    }
    if (depth == 0) {
      if (onlyResized && !noScroll) {
        Integer y = 0;
        if (topItem) {
          const Integer n = Item2FirstDrawItem(GetItemNo(topItem));
          if (n >= 0) y = DrawItems[n]->Top + topDelta;
        }
        VScrollTo(std::max(y, 0));
      }
      AdjustChildrenCoords();
      if (onlyTail) VScrollTo(GetOptions().Contains(vloScrollToEnd) ? DocumentHeight : savedVOffset);
      if (onlyResized) StoreSelBounds(selSI, selSO, selEI, selEO);
      else if (SelStartDrawItem >= DrawItems.Count() || SelEndDrawItem >= DrawItems.Count())
        Deselect(nullptr, false);
    }
  } catch (...) {
    SkipFormat = false;
    // The run that was laying out when it failed (the innermost) tells what
    // was finished: only those items count as laid out; the others lose
    // their draw items and say so.
    if (laidOut && !FLayoutFailed) {
      FLayoutFailed = true;
      const Integer last = st.LastFinished;
      Integer keep = DrawItems.Count();
      while (keep > 0 && DrawItems[keep - 1]->ItemNo > last) --keep;
      DrawItems.RemoveRange(keep, DrawItems.Count() - 1);
      if (!st.SharedItems)
        for (Integer i = last + 1; i < GetItemCount(); ++i) GetItem(i)->DrawItemNo = -1;
      LastFormattedItem = last;
    }
    if (depth == 0) {
      FLayoutFailed = false;
      FState &= ~vlstDoNotFormat;
      AfterFormat(0, GetItemCount() - 1, false);
    }
    throw;
  }
  if (depth == 0) {
    FState &= ~vlstDoNotFormat;
    LastFormattedItem = GetItemCount() - 1;
    AfterFormat(0, GetItemCount() - 1, false);
  }
}

void TCustomVLFormattedData::RunFormat(TVLFormatState& st, bool onlyTail) {
  Integer first = 0;
  if (!onlyTail) {
    ClearDrawLines();
    st.Baseline = GetTopMargin();
  } else {
    first = LastFormattedItem + 1;
    st.Baseline = DocumentHeight - GetBottomMargin();
    if (LastFormattedItem >= 0 && LastFormattedItem < GetItemCount())
      st.Baseline -= st.Res.ToDeviceY(ParaOf(st.Style, GetItem(LastFormattedItem))->SpaceAfter);
    st.LastFinished = LastFormattedItem;
  }
  st.InsertAt = DrawItems.Count();
  const Integer firstNew = st.InsertAt;
  if (first < GetItemCount()) {
    st.ParaStartItem = GetParaStartItem(first);
    FormatItems(st, first, GetItemCount() - 1);
  }
  if (!(FState & vlstOpenEndedLastLine)) FinishLine(st, true);
  else FinishLine(st, false);
  DigestDrawItems(firstNew - 1, DrawItems.Count() - 1);
  Integer h = VLCheckedAdd(GetBottomMargin(), st.Baseline);
  h = VLCheckedAdd(h, st.LineDescent + st.PendingSpace);
  if (GetItemCount() > 0)
    h = VLCheckedAdd(h, st.Res.ToDeviceY(ParaOf(st.Style, GetItem(GetItemCount() - 1))->SpaceAfter));
  DocumentHeight = h;
  AdjustVScrollStep();
  for (auto& j : Jumps) {
    // An area of a nested document lies at that document's draw item.
    TCustomVLFormattedData* owner = j->VLData ? j->VLData : this;
    if (j->DrawItemNo < 0 || j->DrawItemNo >= owner->DrawItems.Count()) continue;
    Integer ox = 0, oy = 0;
    owner->GetOrigin(ox, oy);
    j->Left = owner->DrawItems[j->DrawItemNo]->Left + ox;
    j->Top = owner->DrawItems[j->DrawItemNo]->Top + oy;
  }
}

void TCustomVLFormattedData::FormatItems(TVLFormatState& st, Integer first, Integer last) {
  for (Integer i = first; i <= last; ++i) {
    TCustomVLItemInfo* item = i == st.NextNo ? st.Next : GetItem(i);
    st.Item = item;
    st.ItemNo = i;
    st.Para = nullptr;
    if (item->IsParaStart() || i == 0) st.ParaStartItem = i;
    FormatOneItem(st, i);
    st.LastFinished = i;
  }
}

void TCustomVLFormattedData::FormatOneItem(TVLFormatState& st, Integer itemNo) {
  TCustomVLItemInfo* item = itemNo == st.ItemNo ? st.Item : GetItem(itemNo);
  const Integer styleNo = GetItemActualStyle(item);
  if (styleNo < 0) {
    if (!dynamic_cast<TVLRectItemInfo*>(item)) FormatFullLineItem(st, itemNo);
    else FormatRectItem(st, itemNo);
    return;
  }
  // The display text and its extents, measured once for the item.
  const TVLMeasuredText& measured =
      itemNo == st.NextNo && st.NextText ? *st.NextText : MeasureItemText(st.Canvas, itemNo);
  st.Para = ParaOf(st.Style, item);
  SelectTextStyle(st, styleNo, itemNo);
  st.TextItemNo = itemNo;
  st.Text = measured.Text;
  st.Ext = measured.Extents;
  const Integer len = static_cast<Integer>(st.Text.size());
  if (st.Para->Alignment != vlaJustify || len == 0) {
    FormatTextPiece(st, itemNo, 0, len);
    return;
  }
  // Justified paragraphs: every word (with the space before it) is a piece.
  Integer start = 0;
  while (start < len) {
    Integer end = start;
    if (st.Char(end) == u' ') ++end;
    while (end < len && st.Char(end) != u' ') ++end;
    FormatTextPiece(st, itemNo, start, end - start);
    start = end;
  }
}

void TCustomVLFormattedData::SelectTextStyle(TVLFormatState& st, Integer styleNo, Integer itemNo) {
  if (styleNo == st.CurTextStyle) return;
  const TVLBiDiMode bidi = VLGetItemBiDiMode(*Items, st.Style, itemNo, GetBiDiMode());
  st.TM = TextStyleMetrics(st.Canvas, styleNo, bidi);
  const TFontInfo* fi = st.Style->TextStyles->Items(styleNo);
  st.VShiftPx = MulDiv(st.TM.tmHeight, fi->VShift, 100);
  st.ExternalLeading = (st.Flags & vllfExternalLeading) ? st.TM.tmExternalLeading : 0;
  st.CurTextStyle = styleNo;
}

void TCustomVLFormattedData::InsertDrawItem(TVLFormatState& st, std::unique_ptr<TVLDrawLineInfo> d) {
  VLCheckedAdd(d->Top, d->Height);
  VLCheckedAdd(d->Left, d->Width);
  if (d->StartsNewLine) st.LineStart = st.InsertAt;
  DrawItems.Insert(st.InsertAt, std::move(d));
  ++st.InsertAt;
}

void TCustomVLFormattedData::RaiseBaseline(TVLFormatState& st, Integer ascent) {
  if (ascent <= st.LineAscent) return;
  const Integer delta = ascent - st.LineAscent;
  if (st.LineStart >= 0)
    for (Integer i = st.LineStart; i < st.InsertAt; ++i)
      DrawItems[i]->Top = VLCheckedAdd(DrawItems[i]->Top, delta);
  st.Baseline = VLCheckedAdd(st.Baseline, delta);
  st.LineAscent = ascent;
}

Integer TCustomVLFormattedData::ParaSpaceAfter(TVLFormatState& st, Integer itemNo) {
  return st.Res.ToDeviceY(ParaOf(st.Style, GetItem(itemNo))->SpaceAfter);
}

Integer TCustomVLFormattedData::ParaSpaceBefore(TVLFormatState& st, Integer itemNo) {
  return st.Res.ToDeviceY(ParaOf(st.Style, GetItem(itemNo))->SpaceBefore);
}

// A paragraph's last line loses the space it ends with.
void TCustomVLFormattedData::TrimLastSpace(TVLFormatState& st) {
  if (!st.SpaceConsumed && st.InsertAt > st.TrimFloor) {
    const Integer last = st.InsertAt - 1;
    TVLDrawLineInfo* d = DrawItems[last];
    const Integer lastStyle = GetItemStyle(d->ItemNo);
    const bool afterMarker = last > 0 && GetItemStyle(DrawItems[last - 1]->ItemNo) == vlsListMarker;
    if (lastStyle >= 0 && d->Length > 0 && !d->StartsNewLine && !afterMarker) {
      WideString text = GetDisplayText(d->ItemNo);
      const TWipeTextOnExit<char16_t> wipe(text, IsSensitive());
      const size_t endPos = static_cast<size_t>(d->TextOffset + d->Length - 2);
      if (endPos < text.size() && text[endPos] == u' ') {
        if (d->Length == 1 && DrawItems[last - 1]->ItemNo == d->ItemNo) {
          DrawItems.Delete(last);
          --st.InsertAt;
        } else {
          --d->Length;
          // Measured again in its own style.
          UseTextStyle(st.Canvas, lastStyle, VLGetItemBiDiMode(*Items, st.Style, d->ItemNo, GetBiDiMode()));
          std::vector<Integer> e;
          Measurer->GetExtents(st.Canvas, text.substr(static_cast<size_t>(d->TextOffset - 1),
                                                       static_cast<size_t>(d->Length)),
                               e);
          d->Width = e.empty() ? 0 : e.back();
        }
        st.SpaceConsumed = true;
      }
    }
  }
}

void TCustomVLFormattedData::NewLine(TVLFormatState& st, Integer itemNo, bool trim) {
  if (trim) TrimLastSpace(st);
  FinishLine(st, st.NewParaPending);
  Integer left = 0, right = 0;
  GetLineIndents(itemNo, st.NewParaPending, st.ParaStartItem, right, left);
  const bool current = itemNo == st.ItemNo && st.Para;
  TCustomVLItemInfo* item = current ? st.Item : GetItem(itemNo);
  if (st.NewParaPending && !item->GetBR()) {
    if (itemNo > 0) st.LineDescent = VLCheckedAdd(st.LineDescent, ParaSpaceAfter(st, itemNo - 1));
    st.LineDescent = VLCheckedAdd(st.LineDescent, ParaSpaceBefore(st, itemNo));
  }
  const bool noWrap = NoWrap(st, current ? st.Para : ParaOf(st.Style, item));
  st.SplitsWord = false;
  st.LineWidth = (noWrap ? DocumentWidth : TextWidth) - st.Res.ToDeviceX(left + right);
  st.LeftEdge = st.Res.ToDeviceX(left) + st.Res.ScaledLeftMargin;
}

void TCustomVLFormattedData::FormatTextPiece(TVLFormatState& st, Integer itemNo, Integer offs,
                                             Integer len) {
  TCustomVLItemInfo* item = itemNo == st.ItemNo ? st.Item : GetItem(itemNo);
  const Integer styleNo = GetItemActualStyle(item);
  const TFontInfo* fi = st.Style->TextStyles->Items(styleNo);
  const bool jump = fi->Jump;
  if (!item->GetSameAsPrev() && offs == 0) st.NewParaPending = true;
  SelectTextStyle(st, styleNo, itemNo);
  const Integer ascent = st.TM.tmAscent + st.ExternalLeading + st.VShiftPx;
  const Integer descent = st.TM.tmDescent - st.VShiftPx;
  const bool swallow = (st.Flags & vllfSwallowSpaces) != 0;
  const bool unicode = item->IsUnicode();
  const bool noWrap = NoWrap(st, itemNo == st.ItemNo && st.Para ? st.Para : ParaOf(st.Style, item));
  // A list's marker is a word of its own: the text after it goes to the
  // next line when its first word does not fit beside it (a narrow cell).
  // Only a word no line could hold is split beside the marker, where that
  // line is full. Asked only when the item's start does not fit there; it
  // captures nothing, so the common case builds no closure.
  const auto splitsBesideMarker = [](TCustomVLFormattedData& d, TVLFormatState& st, Integer itemNo, bool unicode) {
    if (itemNo == 0 || d.GetItemStyle(itemNo - 1) != vlsListMarker) return false;
    Integer left = 0, right = 0, paraStart = st.ParaStartItem;
    d.GetLineIndents(itemNo, false, paraStart, right, left);
    const Integer line = d.TextWidth - st.Res.ToDeviceX(left + right);
    const Integer len = static_cast<Integer>(st.Text.size());
    Integer end = 1;
    while (end < len && !(unicode ? IsLineBreakBetween(st.Char(end - 1), st.Char(end))
                                  : st.Char(end - 1) == u' ' || st.Char(end) == u' '))
      ++end;
    Integer word = st.Width(0, end);
    if (end == len && word <= line) word = VLCheckedAdd(word, d.GluedWidth(st, itemNo, line - word, unicode));
    return word > line;
  };

  auto place = [&](Integer from, Integer count, bool lineStart) {
    auto d = std::make_unique<TVLDrawLineInfo>();
    d->ItemNo = itemNo;
    d->TextOffset = from + 1;
    d->Length = count;
    d->Width = count > 0 ? st.Width(from, count) : 0;
    d->Height = st.TM.tmHeight;
    if (lineStart) {
      d->StartsNewLine = true;
      st.Baseline = VLCheckedAdd(st.Baseline, st.PendingSpace);
      d->Top = VLCheckedAdd(st.Baseline, st.LineDescent);
      st.LineAscent = ascent;
      st.Baseline = VLCheckedAdd(d->Top, ascent);
      st.LineDescent = descent;
    } else {
      RaiseBaseline(st, ascent);
      d->Top = st.Baseline - ascent;
      st.LineDescent = std::max(st.LineDescent, descent);
    }
    d->Left = VLCheckedAdd(st.LeftEdge, st.X);
    const Integer width = d->Width, n = st.InsertAt;
    // The item's first piece: it starts after a space swallowed at a line
    // break when the item begins with one.
    if (!st.SharedItems && (from == 0 || n == 0 || DrawItems[n - 1]->ItemNo != itemNo)) item->DrawItemNo = n;
    if ((st.Flags & vllfCollectJumps) && jump && count > 0) {
      auto j = std::make_unique<TVLJumpInfo>();
      j->Width = width;
      j->Height = d->Height;
      // Pieces of one item share its id; NextJumpNo grows once the item's
      // first piece is placed.
      j->JumpID = offs == 0 ? NextJumpNo : NextJumpNo - 1;
      j->DrawItemNo = n;
      j->Cursor = fi->JumpCursor;
      j->VLData = this;
      Jumps.push_back(std::move(j));
    }
    InsertDrawItem(st, std::move(d));
    st.X = VLCheckedAdd(st.X, width);
    st.NewParaPending = false;
  };

  if (len == 0) {
    const bool lineStart = !item->GetSameAsPrev() || st.NoLineYet;
    if (lineStart) {
      NewLine(st, itemNo, false);
      st.X = 0;
    }
    place(offs, 0, lineStart);
    if (jump) item->JumpID = -3;
    return;
  }

  Integer pos = offs;
  Integer remaining = len;
  bool lineStart = (!item->GetSameAsPrev() && offs == 0) || st.NoLineYet;
  while (remaining > 0) {
    if (lineStart) {
      NewLine(st, itemNo, st.NewParaPending);
      st.X = 0;
      // The spaces a wrapped line would start with stay at the break, however
      // the text is cut into items around it.
      if (swallow && !st.NewParaPending)
        while (remaining > 1 && st.Char(pos) == u' ') {
          ++pos;
          --remaining;
          st.SpaceConsumed = true;
        }
    }
    const Integer room = std::max(st.LineWidth - st.X, 0);
    Integer fit = FitText(st, pos, remaining, room, noWrap);
    // A line takes at least one character; a word wider than the line is
    // split where the line is full.
    const bool fitsWhole = fit == remaining;
    const bool mustTake = lineStart;
    bool mayForce =
        mustTake || st.SplitsWord || (!fitsWhole && fit > 0 && pos == 0 && splitsBesideMarker(*this, st, itemNo, unicode));
    // The item's end fits, but a word that goes on in the next item ("didn"
    // and "’t") may not: the line breaks where it would if the text were one
    // item, before that word, not inside it.
    if (fitsWhole && !noWrap && pos + remaining == static_cast<Integer>(st.Text.size()) &&
        itemNo + 1 < GetItemCount()) {
      const Integer free = room - st.Width(pos, remaining);
      if (GluedWidth(st, itemNo, free, unicode) > free) {
        const Integer brk = LastBreak(st, pos, remaining, unicode);
        mayForce = mayForce || (brk < 0 && pos == 0 && splitsBesideMarker(*this, st, itemNo, unicode));
        if (brk >= 0) fit = brk + 1;
        else if (!mayForce) fit = 0;
        else st.SplitsWord = true;
      }
    }
    // Spaces that end the item and do not fit hang past the line's end: a
    // wrapped line never starts with them.
    if (swallow && fit < remaining) {
      Integer e = fit;
      while (e < remaining && st.Char(pos + e) == u' ') ++e;
      if (e == remaining) fit = remaining;
    }
    if (fit == 0) {
      if (mustTake) {
        fit = 1;
        if (remaining > 1 && IsHighSurrogate(st.Char(pos)) && IsLowSurrogate(st.Char(pos + 1)))
          fit = 2;
      } else {
        // The space the line breaks at goes with the break, as inside an item.
        if (swallow && remaining > 1 && st.Char(pos) == u' ') {
          ++pos;
          --remaining;
          st.SpaceConsumed = true;
        }
        st.NewParaPending = false;
        lineStart = true;
        continue;
      }
    }
    Integer pieceLen = fit;
    Integer consumed = fit;
    bool swallowed = false;
    if (fit < remaining) {
      const char16_t* p = st.Text.data() + pos;
      Integer brk = -1;
      // A space right after what fits is the latest break: the line takes
      // everything before it.
      if (swallow && p[fit] == u' ') {
        const bool nextContinues = itemNo + 1 < GetItemCount() && !IsFromNewLine(itemNo + 1);
        if (remaining - fit > 1 || nextContinues) {
          brk = fit;
          ++fit;
        }
      }
      if (brk >= 0) {
      } else if (!unicode) {
        for (Integer i = fit - 1; i >= 0; --i)
          if (p[i] == u' ') {
            brk = i;
            break;
          }
      } else {
        brk = UnicodeBreakBefore(p, fit);
      }
      if (brk < 0) {
        if (!mayForce) {
          st.NewParaPending = false;
          lineStart = true;
          continue;
        }
        pieceLen = consumed = fit;
      } else if (!swallow || (brk == 0 && (lineStart || remaining == 1)) || (unicode && p[brk] != u' ')) {
        pieceLen = consumed = brk + 1;
      } else {
        pieceLen = brk;
        consumed = brk + 1;
        swallowed = true;
        // More spaces at the break stay with it (the item keeps a piece).
        while (consumed < remaining && p[consumed] == u' ' && (pieceLen > 0 || consumed + 1 < remaining)) ++consumed;
      }
    }
    if (pieceLen > 0 || !swallowed) place(pos, pieceLen, lineStart);
    else st.NewParaPending = false;
    st.SpaceConsumed = swallowed;
    pos += consumed;
    remaining -= consumed;
    lineStart = true;
  }
  if (jump && offs == 0) {
    item->JumpID = NextJumpNo;
    ++NextJumpNo;
  }
}

// The width of the text after the item that the line may not be broken
// from: the rest of a word that goes on in the following items. Measuring
// stops once it passes limit.
Integer TCustomVLFormattedData::GluedWidth(TVLFormatState& st, Integer itemNo, Integer limit, bool unicode) {
  if (st.Text.empty()) return 0;
  char16_t last = st.Text.back();
  // Nothing sticks to a trailing space: the common case costs no look-ahead.
  if (last == u' ') return 0;
  Integer glued = 0;
  for (Integer next = itemNo + 1, count = GetItemCount(); next < count; ++next) {
    TCustomVLItemInfo* item = GetItem(next);
    if (next == itemNo + 1) {
      st.Next = item;
      st.NextNo = next;
      st.NextText = nullptr;
    }
    if (item->IsFromNewLine() || GetItemActualStyle(item) < 0) break;
    // The measured texts stay where they are for the run: the current
    // item's text and extents remain valid.
    const TVLMeasuredText& m = MeasureItemText(st.Canvas, next);
    if (next == itemNo + 1) st.NextText = &m;
    if (m.Text.empty()) continue;
    // 8-bit text breaks only at spaces.
    const bool own = item->IsUnicode();
    auto breaks = [](bool uni, char16_t a, char16_t b) {
      return uni ? IsLineBreakBetween(a, b) : (a == u' ' || b == u' ');
    };
    if (breaks(unicode && own, last, m.Text[0])) break;
    size_t i = 1;
    while (i < m.Text.size() && !breaks(own, m.Text[i - 1], m.Text[i])) ++i;
    glued = VLCheckedAdd(glued, m.Extents[i - 1]);
    if (glued > limit || i < m.Text.size()) break;
    last = m.Text.back();
    unicode = own;
  }
  return glued;
}

// The last place in [from, from + count) of the current text after which
// the line may break (relative to from), -1 when there is none.
Integer TCustomVLFormattedData::LastBreak(TVLFormatState& st, Integer from, Integer count, bool unicode) {
  const char16_t* p = st.Text.data() + from;
  if (!unicode) {
    for (Integer i = count - 1; i >= 0; --i)
      if (p[i] == u' ') return i;
    return -1;
  }
  if (count < 2) return p[0] == u' ' ? 0 : -1;
  return UnicodeBreakBefore(p, count - 1);
}

Integer TCustomVLFormattedData::FitText(TVLFormatState& st, Integer from, Integer count, Integer room,
                                        bool noWrap) {
  if (noWrap) return count;
  const Integer total = st.Width(from, count);
  if (total > 0 && total <= room) return count;
  const std::span<const Integer> e = st.Ext;
  const Integer base = from > 0 ? e[static_cast<size_t>(from - 1)] : 0;
  const int64_t limit = static_cast<int64_t>(base) + room;
  auto first = e.begin() + from, last = e.begin() + from + count;
  Integer fit = static_cast<Integer>(
      std::upper_bound(first, last, limit, [](int64_t v, Integer x) { return v < x; }) - first);
  // Never between the halves of a surrogate pair.
  if (fit > 0 && fit < count && IsLowSurrogate(st.Char(from + fit)) && IsHighSurrogate(st.Char(from + fit - 1)))
    --fit;
  return fit;
}

void TCustomVLFormattedData::FormatFullLineItem(TVLFormatState& st, Integer itemNo) {
  TCustomVLItemInfo* item = GetItem(itemNo);
  st.NewParaPending = true;
  FinishLine(st, true);
  if (itemNo > 0) st.LineDescent = VLCheckedAdd(st.LineDescent, ParaSpaceAfter(st, itemNo - 1));
  st.LineDescent = VLCheckedAdd(st.LineDescent, ParaSpaceBefore(st, itemNo));
  auto d = std::make_unique<TVLDrawLineInfo>();
  d->ItemNo = itemNo;
  d->TextOffset = 0;
  d->StartsNewLine = true;
  if (GetItemStyle(itemNo) == vlsBreak) {
    st.LineDescent = VLCheckedAdd(st.LineDescent, st.Res.ToDeviceY(st.Style->ParaStyles->Items(0)->SpaceBefore));
    const Integer h = st.Res.ToDeviceY(5);
    d->Left = st.Res.ScaledLeftMargin;
    d->Width = TextWidth;
    d->Height = 2 * h + 1;
    d->Top = VLCheckedAdd(st.Baseline, st.LineDescent);
    st.Baseline = VLCheckedAdd(d->Top, h + 1);
    st.LineAscent = st.LineDescent = h;
  } else {
    TParaInfo* para = ParaOf(st.Style, item);
    st.LineWidth = TextWidth - st.Res.ToDeviceX(para->LeftIndent + para->RightIndent);
    st.LeftEdge = st.Res.ToDeviceX(para->LeftIndent) + st.Res.ScaledLeftMargin;
    Integer r1 = 0, offset = 0;
    // A printed copy shares the items, which measure themselves in screen
    // pixels: they get the width in those and their size is scaled below.
    const bool printing = st.SharedItems && !st.Res.IsScreen();
    if (printing)
      item->CalcSizeForPaper(MulDiv(st.LineWidth, st.Res.Sad.ppixScreen, st.Res.Sad.ppixDevice),
                             ScreenLineWidth(itemNo), r1, offset);
    else
      item->CalcSizeForDocWidth(st.LineWidth, r1, offset);
    if (printing) offset = st.Res.ToDeviceX(offset);
    if (st.SharedItems) {
      // Items that may be split over pages keep their own printing record.
      d = item->CreateDrawLineInfo(st.Res.Sad);
      d->ItemNo = itemNo;
      d->TextOffset = 0;
      d->StartsNewLine = true;
    }
    CanvasFontChanged();
    if (item->GetBoolValue(4)) st.CurTextStyle = -1;
    auto* nt = dynamic_cast<TVLNonTextItemInfo*>(item);
    d->Width = nt ? st.Res.ToDeviceX(nt->GetWidth()) : 0;
    d->Height = nt ? st.Res.ToDeviceY(nt->GetHeight()) : 0;
    // Items that lay themselves out again for the paper (tables) do it now,
    // no wider than the line (also on a canvas of the screen's resolution).
    if (st.SharedItems) d->LayOutForPrinting(this, st.Canvas, std::max<Integer>(1, st.LineWidth - offset));
    Integer left = st.LeftEdge + offset;
    // One wider than the line starts at its left: the view scrolls no
    // further left than the document's edge.
    const Integer free = std::max<Integer>(st.LineWidth - d->Width, 0);
    if (para->Alignment == vlaRight) left += free;
    else if (para->Alignment == vlaCenter) left += free / 2;
    d->Left = left;
    d->Top = VLCheckedAdd(st.Baseline, st.LineDescent);
    st.Baseline = VLCheckedAdd(d->Top, d->Height);
    st.LineAscent = d->Height;
    st.LineDescent = 0;
  }
  st.NoLineYet = false;
  st.PendingSpace = 0;
  if (!st.SharedItems) item->DrawItemNo = st.InsertAt;
  const Integer left = d->Left, top = d->Top;
  InsertDrawItem(st, std::move(d));
  // Items with documents of their own register their hypertext areas.
  if (st.Flags & vllfCollectJumps) item->BuildJumps(left, top, NextJumpNo, &Jumps);
  st.X = 0;
}

void TCustomVLFormattedData::FormatRectItem(TVLFormatState& st, Integer itemNo) {
  auto* item = static_cast<TVLRectItemInfo*>(GetItem(itemNo));
  if (!item->GetSameAsPrev()) st.NewParaPending = true;
  TParaInfo* para = ParaOf(st.Style, item);
  const Integer sizeWidth =
      TextWidth - st.Res.ToDeviceX(para->LeftIndent + para->RightIndent + para->FirstIndent);
  const bool rtl = ParaBiDi(itemNo) == vlbdRightToLeft;
  const TVLItemSize size = Measurer->MeasureRectItem(st.Canvas, *item, *this, st.Res.IsScreen() ? nullptr : &st.Res.Sad,
                                                     sizeWidth, rtl);
  CanvasFontChanged();
  if (item->GetBoolValue(4)) st.CurTextStyle = -1;
  // On paper a picture may be split over pages; it keeps its own printing
  // record, which does that.
  std::unique_ptr<TVLDrawLineInfo> d =
      st.SharedItems ? item->CreateDrawLineInfo(st.Res.Sad) : std::make_unique<TVLDrawLineInfo>();
  Integer width = size.Width, height = size.Height, descent = size.Descent;
  // Paper cuts nothing: a picture wider than the room its line leaves it
  // is printed narrowed to that, its height in proportion (one split over
  // pages keeps its size).
  const bool narrows = st.WrapsAll && item->GetGraphic() && !dynamic_cast<TVLMultiImagePrintInfo*>(d.get());
  const auto fitTo = [&](Integer room) {
    // A line left no room (an indent past a narrow cell's width) still
    // narrows it, to a sliver of its own: kept at its size it would widen
    // the column past what its words need.
    room = std::max(room, std::min(width, st.Res.ToDeviceX(16)));
    if (!narrows || width <= room) return;
    height = std::max<Integer>(1, MulDiv(height, room, width));
    descent = MulDiv(descent, room, width);
    width = room;
  };
  const auto shift = [&] {
    return item->VShiftAbs ? st.Res.ToDeviceY(item->VShift) : MulDiv(height, item->VShift, 100);
  };
  const auto ascentPart = [&] { return item->VAlign == vlvaMiddle ? height / 2 : height - descent; };
  const bool afterMarker = itemNo > 0 && GetItemStyle(itemNo - 1) == vlsListMarker;
  const bool noWrap = NoWrap(st, para);
  d->ItemNo = itemNo;
  d->TextOffset = 0;
  if (!st.NoLineYet && ((item->GetSameAsPrev() && (st.X + width <= st.LineWidth || noWrap)) || afterMarker)) {
    fitTo(st.LineWidth - st.X);
    RaiseBaseline(st, shift() + ascentPart());
    d->Top = st.Baseline - ascentPart() - shift();
    st.LineDescent = std::max(st.LineDescent, height - ascentPart() - shift());
  } else {
    if (item->GetSameAsPrev()) st.NewParaPending = false;
    NewLine(st, itemNo, item->GetSameAsPrev());
    fitTo(st.LineWidth);
    d->StartsNewLine = true;
    st.X = 0;
    st.Baseline = VLCheckedAdd(st.Baseline, st.PendingSpace);
    d->Top = VLCheckedAdd(st.Baseline, st.LineDescent);
    st.LineAscent = ascentPart() + shift();
    st.Baseline = VLCheckedAdd(d->Top, st.LineAscent);
    st.LineDescent = height - st.LineAscent;
  }
  d->Width = width;
  d->Height = height;
  d->Left = VLCheckedAdd(st.LeftEdge, st.X);
  st.X = VLCheckedAdd(st.X, width);
  const Integer n = st.InsertAt;
  if (!st.SharedItems) item->DrawItemNo = n;
  if ((st.Flags & vllfCollectJumps) && item->GetBoolValueEx(1, st.Style)) {
    auto j = std::make_unique<TVLJumpInfo>();
    j->Width = width;
    j->Height = height;
    j->JumpID = NextJumpNo;
    j->DrawItemNo = n;
    j->Cursor = item->GetHypertextCursor(st.Style);
    j->VLData = this;
    Jumps.push_back(std::move(j));
    item->JumpID = NextJumpNo;
    ++NextJumpNo;
  }
  InsertDrawItem(st, std::move(d));
  st.NewParaPending = false;
}

TVLBiDiMode TCustomVLFormattedData::ParaBiDi(Integer itemNo) {
  return VLGetParaBiDiMode(GetStyle(), GetItem(itemNo)->ParaNo, GetBiDiMode());
}

// ---------------------------------------------------------------------------
// Minimum widths.

Integer TCustomVLFormattedData::TextMinWidth(TCanvas* canvas, Integer itemNo, bool noWrap) {
  const TVLMeasuredText& m = MeasureItemText(canvas, itemNo);
  const std::span<const Integer> e = m.Extents;
  if (e.empty()) return 0;
  if (noWrap) return e.back();
  Integer best = 0, wordStart = 0;
  const Integer n = static_cast<Integer>(m.Text.size());
  for (Integer i = 0; i <= n; ++i) {
    if (i == n || m.Text[static_cast<size_t>(i)] == u' ') {
      if (i > wordStart) {
        const Integer w = e[static_cast<size_t>(i - 1)] - (wordStart > 0 ? e[static_cast<size_t>(wordStart - 1)] : 0);
        best = std::max(best, w);
      }
      wordStart = i + 1;
    }
  }
  return best;
}

Integer TCustomVLFormattedData::CalculateParaMinWidthEx(Integer itemNo, Integer& paraStartItem,
                                                       TCanvas* canvas, const TVLResolutionInfo* res) {
  ResetMeasuring();
  return ParaMinWidth(itemNo, paraStartItem, canvas, res);
}

Integer TCustomVLFormattedData::ParaMinWidth(Integer itemNo, Integer& paraStartItem, TCanvas* canvas,
                                            const TVLResolutionInfo* res) {
  if (!canvas) canvas = GetCanvas();
  TVLStyle* style = GetStyle();
  if (!style || GetItemCount() == 0) return 0;
  Integer first = VLGetLineBreakStartItem(*Items, itemNo);
  Integer last = first;
  while (last + 1 < GetItemCount() && GetItem(last + 1)->GetSameAsPrev()) ++last;
  if (GetItem(first)->IsParaStart() || first == 0) paraStartItem = first;
  else paraStartItem = VLGetParaStartItem(*Items, first);
  auto scaleX = [res](Integer v) { return res ? res->ToDeviceX(v) : v; };
  const TVLScreenAndDevice* sad = res && !res->IsScreen() ? &res->Sad : nullptr;
  const Integer indents = scaleX(GetHorzIndents(first, paraStartItem));
  // Paper wraps every paragraph and narrows a picture to its line, as
  // Format lays them out there.
  const bool paper = KeepsItsWidth();
  const bool noWrap = !paper && style->ParaStyles->Items(GetItem(first)->ParaNo)->Options.Contains(vlpaoNoWrap);
  const bool rtl = ParaBiDi(first) == vlbdRightToLeft;
  Integer total = 0, best = 0, markerWidth = 0;
  for (Integer i = first; i <= last; ++i) {
    TCustomVLItemInfo* item = GetItem(i);
    const Integer st = GetItemActualStyle(item);
    Integer w;
    if (st >= 0) {
      w = TextMinWidth(canvas, i, noWrap);
    } else if (auto* rect = dynamic_cast<TVLRectItemInfo*>(item); rect && paper && rect->GetGraphic()) {
      w = 0;
    } else if (rect) {
      const TVLItemSize size = Measurer->MeasureRectItem(canvas, *rect, *this, sad, 0, rtl);
      CanvasFontChanged();
      w = noWrap ? size.Width : size.MinWidth;
    } else {
      w = item->GetMinWidth(paper && res ? &res->Sad : sad, canvas, this);
      CanvasFontChanged();
    }
    if (noWrap) {
      total += w;
      continue;
    }
    if (i > first && GetItemStyle(i - 1) == vlsListMarker) w += markerWidth;
    if (st == vlsListMarker) markerWidth = w;
    best = std::max(best, w);
  }
  return (noWrap ? total : best) + indents;
}

Integer TCustomVLFormattedData::LoneLineWidth(Integer itemNo) {
  // As Format sizes the document, with this paragraph its only content.
  Integer paraStart = 0;
  const Integer window = GetWidth() - GetLeftMargin() - GetRightMargin();
  Integer text =
      std::max({window, CalculateParaMinWidthEx(itemNo, paraStart, GetCanvas(), nullptr), GetMinTextWidth()});
  if (GetOptions().Contains(vloClientTextWidth)) text = std::max(window, GetMinTextWidth());
  else if (GetMaxTextWidth() > 0 && GetMaxTextWidth() < text) text = GetMaxTextWidth();
  const TParaInfo* para = ParaOf(GetStyle(), GetItem(itemNo));
  return text - para->LeftIndent - para->RightIndent;
}

Integer TCustomVLFormattedData::CalculateMinItemsWidthEx(Integer first, Integer last, TCanvas* canvas,
                                                        const TVLResolutionInfo* res,
                                                        Integer& paraStartItem) {
  ResetMeasuring();
  return MinItemsWidth(first, last, canvas, res, paraStartItem);
}

Integer TCustomVLFormattedData::MinItemsWidth(Integer first, Integer last, TCanvas* canvas,
                                             const TVLResolutionInfo* res, Integer& paraStartItem) {
  if (GetItemCount() == 0) return 0;
  if (!canvas) canvas = GetCanvas();
  first = VLGetLineBreakStartItem(*Items, std::max(first, 0));
  last = std::min(last, GetItemCount() - 1);
  Integer best = 0;
  for (Integer i = first; i <= last; ++i) {
    if (i != first && GetItem(i)->GetSameAsPrev()) continue;
    best = std::max(best, ParaMinWidth(i, paraStartItem, canvas, res));
  }
  return best;
}

Integer TCustomVLFormattedData::CalculateMinDocWidth(TCanvas* canvas, const TVLResolutionInfo* res) {
  if (res && res->Sad.ppixDevice == res->Sad.ppixScreen && res->Sad.ppiyDevice == res->Sad.ppiyScreen)
    res = nullptr;
  Integer paraStart = 0;
  return CalculateMinItemsWidthEx(0, GetItemCount() - 1, canvas, res, paraStart);
}

Integer TCustomVLFormattedData::CalculateParaMinWidth(Integer itemNo) {
  Integer paraStart = 0;
  return CalculateParaMinWidthEx(itemNo, paraStart, GetCanvas(), nullptr);
}

Integer TCustomVLFormattedData::CalculateMinItemsWidth(Integer first, Integer last) {
  Integer paraStart = 0;
  return CalculateMinItemsWidthEx(first, last, GetCanvas(), nullptr, paraStart);
}

// Line finishing: alignment, justification, line spacing, right-to-left
// order; and the indents of a line.
#include "platform/base/Wipe.h"
#include "richtext/model/VLMarkers.h"
#include "richtext/model/VLUni.h"
#include "richtext/view/VLFormattedDataState.h"

#include <algorithm>

namespace {

// The direction of a character as layout classifies it: strong left to
// right, strong right to left, or neither (kept from the context).
TVLBiDiMode CharDirection(char16_t c) {
  if ((c >= 0x0590 && c <= 0x08FF) || (c >= 0xFB1D && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFE))
    return vlbdRightToLeft;
  if ((c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z')) return vlbdLeftToRight;
  if (c == 0xAA || c == 0xB5 || c == 0xBA) return vlbdLeftToRight;
  if (c >= 0xC0 && c <= 0x24F && c != 0xD7 && c != 0xF7) return vlbdLeftToRight;
  if (c >= 0x0370 && c <= 0x058F && c != 0x037E && c != 0x0387) return vlbdLeftToRight;
  if (c >= 0x0900 && c <= 0x1FFF) return vlbdLeftToRight;
  if ((c >= 0x3040 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF))
    return vlbdLeftToRight;
  return vlbdUnspecified;
}

// A list lays its lines out by its level's indents, not by the paragraph's,
// which are what make room for a box on other paragraphs: its marker and
// text move in by the room the box takes on that side instead.
Integer ListBoxRoom(const TParaInfo& para, bool rightSide) {
  const TVLBorder& b = para.Border;
  if (b.Style == vlbNone || !(rightSide ? b.VisibleBorders.Right : b.VisibleBorders.Left)) return 0;
  return std::max<Integer>(rightSide ? b.BorderOffsets.Right : b.BorderOffsets.Left, 0) + b.GetTotalWidth();
}

}  // namespace

void TCustomVLFormattedData::GetLineIndents(Integer itemNo, bool firstLine, Integer& paraStartItem,
                                            Integer& rightIndent, Integer& leftIndent) {
  TVLStyle* style = GetStyle();
  TCustomVLItemInfo* item = GetItem(itemNo);
  if (paraStartItem > itemNo || paraStartItem < 0 ||
      (paraStartItem < itemNo && !GetItem(paraStartItem)->IsParaStart() && paraStartItem != 0))
    paraStartItem = VLGetParaStartItem(*Items, itemNo);
  TParaInfo* para = style->ParaStyles->Items(item->ParaNo);
  const bool rtl = VLGetParaBiDiMode(style, item->ParaNo, GetBiDiMode()) == vlbdRightToLeft;
  const bool continued = (GetState() & vlstContinuedList) && paraStartItem == 0;
  if (continued) firstLine = false;
  auto* startMarker = dynamic_cast<TVLMarkerItemInfo*>(GetItem(paraStartItem));
  TVLListLevel* level = startMarker ? startMarker->GetLevelInfo(style) : nullptr;
  if (firstLine) {
    auto* marker = dynamic_cast<TVLMarkerItemInfo*>(item);
    if (marker && marker->GetLevelInfo(style)) {
      TVLListLevel* own = marker->GetLevelInfo(style);
      const Integer indent = own->MarkerIndent + ListBoxRoom(*para, rtl);
      leftIndent = rtl ? para->LeftIndent : indent;
      rightIndent = rtl ? indent : para->RightIndent;
    } else if (level) {
      const Integer indent = level->LeftIndent + ListBoxRoom(*para, rtl);
      leftIndent = rtl ? para->LeftIndent : indent;
      rightIndent = rtl ? indent : para->RightIndent;
    } else {
      leftIndent = para->LeftIndent;
      if (!item->GetBR() && !item->GetBoolValue(0)) leftIndent += para->FirstIndent;
      rightIndent = para->RightIndent;
    }
    return;
  }
  if (!level && continued) {
    Integer listNo = -1, levelNo = -1;
    bool useStart = false;
    GetStartListLevel(listNo, levelNo, useStart);
    level = VLGetListLevel(style, listNo, levelNo);
  }
  if (level) {
    const Integer indent = level->LeftIndent + ListBoxRoom(*para, rtl);
    leftIndent = rtl ? para->LeftIndent : indent;
    rightIndent = rtl ? indent : para->RightIndent;
  } else {
    leftIndent = para->LeftIndent;
    rightIndent = para->RightIndent;
  }
}

Integer TCustomVLFormattedData::GetHorzIndents(Integer itemNo, Integer& paraStartItem) {
  TVLStyle* style = GetStyle();
  TCustomVLItemInfo* item = GetItem(itemNo);
  if (paraStartItem > itemNo || paraStartItem < 0) paraStartItem = VLGetParaStartItem(*Items, itemNo);
  TParaInfo* para = style->ParaStyles->Items(item->ParaNo);
  const bool rtl = VLGetParaBiDiMode(style, item->ParaNo, GetBiDiMode()) == vlbdRightToLeft;
  auto* startMarker = dynamic_cast<TVLMarkerItemInfo*>(GetItem(paraStartItem));
  TVLListLevel* level = startMarker ? startMarker->GetLevelInfo(style) : nullptr;
  if (!level && (GetState() & vlstContinuedList) && paraStartItem == 0) {
    Integer listNo = -1, levelNo = -1;
    bool useStart = false;
    GetStartListLevel(listNo, levelNo, useStart);
    level = VLGetListLevel(style, listNo, levelNo);
  }
  if (level)
    return level->LeftIndent + ListBoxRoom(*para, rtl) + std::max(level->FirstIndent, 0) +
           (rtl ? para->LeftIndent : para->RightIndent);
  Integer r = para->LeftIndent + para->RightIndent;
  if (para->FirstIndent > 0 && !item->GetBoolValue(0)) r += para->FirstIndent;
  return r;
}

void TCustomVLFormattedData::FinishLine(TVLFormatState& st, bool isParaEnd) {
  st.PendingSpace = 0;
  if (st.NoLineYet) {
    st.NoLineYet = false;
    return;
  }
  if (st.InsertAt == 0 || st.LineStart < 0 || st.LineStart >= st.InsertAt) return;
  const Integer first = st.LineStart, last = st.InsertAt - 1;
  TCustomVLItemInfo* lastItem = GetItem(DrawItems[last]->ItemNo);
  if (lastItem->GetBoolValue(0)) return;
  TParaInfo* para = st.Style->ParaStyles->Items(lastItem->ParaNo);
  const TVLBiDiMode mode = VLGetParaBiDiMode(st.Style, lastItem->ParaNo, GetBiDiMode());
  TVLAlignment align = para->Alignment;
  if (align == vlaJustify && mode != vlbdUnspecified) align = vlaLeft;
  Integer free = 0;
  if (align != vlaLeft && !(align == vlaJustify && isParaEnd)) {
    const Integer rightLimit = st.LeftEdge + st.LineWidth;
    free = rightLimit - (DrawItems[last]->Left + DrawItems[last]->Width);
    if (align == vlaCenter) free = std::max(free / 2, 0);
  }
  // Line spacing.
  if (para->LineSpacingType == vllsPercent && para->LineSpacing >= 50) {
    Integer top = 0, bottom = 0;
    bool any = false;
    for (Integer i = first; i <= last; ++i) {
      const TVLDrawLineInfo* d = DrawItems[i];
      if (GetItemStyle(d->ItemNo) < 0) continue;
      top = any ? std::min(top, d->Top) : d->Top;
      bottom = any ? std::max(bottom, d->Top + d->Height) : d->Top + d->Height;
      any = true;
    }
    if (any)
      st.PendingSpace = static_cast<Integer>(static_cast<int64_t>(bottom - top) * (para->LineSpacing - 100) / 100);
  } else if (para->LineSpacingType == vllsSpaceBetween && para->LineSpacing >= 0) {
    st.PendingSpace = st.Res.ToDeviceY(para->LineSpacing);
  }
  if (st.PendingSpace != 0)
    for (Integer i = first; i <= last; ++i) DrawItems[i]->ExtraSpaceBelow = st.PendingSpace;

  if (align == vlaJustify) {
    if (!isParaEnd && last > first) {
      Integer count = 0;
      auto counted = [&](Integer i) {
        const TVLDrawLineInfo* d = DrawItems[i];
        if (GetItemStyle(d->ItemNo) < 0 || d->Length == 0) return false;
        const AnsiString& raw = Items->Ref(d->ItemNo);
        const Byte options = GetItem(d->ItemNo)->ItemOptions;
        return IsSpaceAt(raw, d->TextOffset, options);
      };
      for (Integer i = first + 1; i <= last; ++i)
        if (counted(i)) ++count;
      for (Integer i = first + 1; i <= last; ++i) {
        TVLDrawLineInfo* d = DrawItems[i];
        if (count > 0 && counted(i)) {
          const Integer add = free / count;
          d->JustifyExtra = add;
          d->Width += add;
          free -= add;
          --count;
        }
        d->Left = DrawItems[i - 1]->Left + DrawItems[i - 1]->Width;
      }
    }
  } else if (free != 0) {
    for (Integer i = last; i >= first; --i) DrawItems[i]->Left += free;
  }
  if (mode != vlbdUnspecified) ReorderBiDiLine(st, first, last, mode);
}

void TCustomVLFormattedData::ReorderBiDiLine(TVLFormatState& st, Integer first, Integer last,
                                             TVLBiDiMode mode) {
  const Integer s = first;
  TCustomVLItemInfo* startItem = GetItem(DrawItems[s]->ItemNo);
  if (mode == vlbdRightToLeft && !startItem->GetSameAsPrev() && DrawItems[s]->TextOffset <= 1) {
    Integer shift;
    if (auto* marker = dynamic_cast<TVLMarkerItemInfo*>(startItem)) {
      shift = Measurer->MeasureRectItem(st.Canvas, *marker, *this, st.Res.IsScreen() ? nullptr : &st.Res.Sad,
                                        0, true).RTLShift;
    } else {
      shift = -st.Res.ToDeviceX(st.Style->ParaStyles->Items(startItem->ParaNo)->FirstIndent);
    }
    for (Integer i = s; i <= last; ++i) DrawItems[i]->Left += shift;
  }
  if (s == last) return;
  // The direction at the start and at the end of every piece.
  const Integer n = last - s + 1;
  std::vector<TVLBiDiMode> firstDir(static_cast<size_t>(n)), lastDir(static_cast<size_t>(n));
  for (Integer k = 0; k < n; ++k) {
    const TVLDrawLineInfo* d = DrawItems[s + k];
    TVLBiDiMode dir = mode;
    const Integer styleNo = GetItemStyle(d->ItemNo);
    if (styleNo >= 0) {
      const TVLBiDiMode own = st.Style->TextStyles->Items(styleNo)->BiDiMode;
      if (own != vlbdUnspecified) dir = own;
    }
    firstDir[static_cast<size_t>(k)] = lastDir[static_cast<size_t>(k)] = dir;
    if (styleNo >= 0 && d->Length > 0) {
      WideString text = GetDisplayText(d->ItemNo);
      const TWipeTextOnExit<char16_t> wipe(text, IsSensitive());
      const size_t a = static_cast<size_t>(d->TextOffset - 1), b = a + static_cast<size_t>(d->Length) - 1;
      if (b < text.size()) {
        const TVLBiDiMode fa = CharDirection(text[a]), fb = CharDirection(text[b]);
        if (fa != vlbdUnspecified) firstDir[static_cast<size_t>(k)] = fa;
        if (fb != vlbdUnspecified) lastDir[static_cast<size_t>(k)] = fb;
      }
    }
  }
  // Visual order.
  std::vector<Integer> order;
  TVLBiDiMode prev = mode;
  size_t pos = 0;
  for (Integer k = 0; k < n; ++k) {
    TVLBiDiMode dir = mode;
    if (prev == firstDir[static_cast<size_t>(k)]) dir = prev;
    prev = lastDir[static_cast<size_t>(k)];
    if (dir == vlbdLeftToRight && order.size() > pos) ++pos;
    order.insert(order.begin() + static_cast<std::ptrdiff_t>(pos), s + k);
  }
  // Positions, keeping the gap that stood before every piece in logical
  // order (measured before any piece moved).
  std::vector<Integer> gaps(static_cast<size_t>(n), 0);
  for (Integer k = 1; k < n; ++k)
    gaps[static_cast<size_t>(k)] =
        DrawItems[s + k]->Left - (DrawItems[s + k - 1]->Left + DrawItems[s + k - 1]->Width);
  Integer x = DrawItems[s]->Left;
  for (Integer k : order) {
    TVLDrawLineInfo* d = DrawItems[k];
    d->Left = x;
    x += d->Width + gaps[static_cast<size_t>(k - s)];
  }
}

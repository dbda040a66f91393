#include "richtext/view/VLPaint.h"

#include "richtext/model/VLItem.h"
#include "richtext/model/VLUni.h"

#include <algorithm>

namespace {

Integer ExtentOf(const TVLMeasuredText& m, Integer chars) {
  if (chars <= 0 || m.Extents.empty()) return 0;
  return m.Extents[static_cast<size_t>(std::min<Integer>(chars, static_cast<Integer>(m.Extents.size())) - 1)];
}

struct TPainter {
  TCustomVLFormattedData& D;
  TCanvas* C;
  TVLStyle* S;
  const TVLPaintInfo& Info;
  TVLOptions Opts;
  Integer XShift = 0, YShift = 0;
  // The size of the area painted (the canvas's origin is its corner).
  Integer ClipWidth = 0, ClipHeight = 0;
  Integer LastStyleNo = -1;
  Integer StartDI = -1, StartOffs = 0, EndDI = -1, EndOffs = 0;
  bool HasSel = false;
  Integer LineTop = 0, LineBottom = 0;
  bool LineRectValid = false;

  TCustomVLItemInfo* ItemOf(Integer n) const { return D.GetItem(D.DrawItems[n]->ItemNo); }
  bool FirstOfItem(Integer n) const {
    return n == 0 || D.DrawItems[n - 1]->ItemNo != D.DrawItems[n]->ItemNo;
  }
  bool LastOfItem(Integer n) const {
    return n + 1 >= D.DrawItems.Count() || D.DrawItems[n + 1]->ItemNo != D.DrawItems[n]->ItemNo;
  }
  bool StartsPara(Integer n) const { return FirstOfItem(n) && ItemOf(n)->IsParaStart(); }
  bool Hovered(TCustomVLItemInfo* item) const {
    return (D.GetState() & vlstJumpHovered) && D.HoveredJump >= 0 && item->JumpID == D.HoveredJump;
  }

  Integer ParaRight(TParaInfo* para) {
    if (Opts.Contains(vloClientTextWidth)) return D.GetWidth() - (D.GetRightMargin() + para->RightIndent);
    if (D.GetMaxTextWidth() < 1) return D.GetDocumentWidth() - (D.GetRightMargin() + para->RightIndent);
    return D.GetLeftMargin() + D.GetMaxTextWidth() - para->RightIndent;
  }

  // Pass 1: the paragraph from draw item start, up to the next paragraph start.
  Integer PaintPara(Integer start) {
    const Integer count = D.DrawItems.Count();
    Integer end = start + 1;
    while (end < count && !StartsPara(end)) ++end;
    TCustomVLItemInfo* item = ItemOf(start);
    if (item->StyleNo == vlsBreak) return end;
    TParaInfo* para = S->ParaStyles->Items(item->ParaNo);
    if (para->Border.Style == vlbNone && para->Background.Color == clNone && !S->OnDrawParaBack) return end;
    Integer left = D.GetLeftMargin() + para->LeftIndent + std::min<Integer>(para->FirstIndent, 0);
    Integer right = ParaRight(para);
    Integer top = D.DrawItems[start]->Top, bottom = top;
    // A list's marker and text lie by the level's indents: the box holds
    // them, clear of its lines.
    const Integer clear = item->StyleNo == vlsListMarker ? 1 : 0;
    for (Integer i = start; i < end; ++i) {
      const TVLDrawLineInfo* d = D.DrawItems[i];
      right = std::max(right, d->Left + d->Width + clear);
      if (clear) left = std::min(left, d->Left - clear);
      top = std::min(top, d->Top);
      bottom = std::max(bottom, d->Top + d->Height + d->ExtraSpaceBelow);
    }
    TRect r(left - XShift, top - YShift, right - XShift, bottom - YShift);
    para->Background.PrepareDraw(r);
    S->DrawParaBack(C, item->ParaNo, r, Info.ColorMode, Info.Printing);
    if (Info.Printing)
      para->Border.DrawScaled(r, C, Info.ColorMode, TVLScreenAndDevice());
    else
      para->Border.Draw(r, C);
    LastStyleNo = -1;
    return end;
  }

  void ComputeLineRect(Integer n) {
    Integer first, last;
    D.GetLineBounds(n, first, last);
    LineTop = D.DrawItems[first]->Top;
    LineBottom = LineTop;
    for (Integer i = first; i <= last; ++i) {
      const TVLDrawLineInfo* d = D.DrawItems[i];
      LineTop = std::min(LineTop, d->Top);
      LineBottom = std::max(LineBottom, d->Top + d->Height + d->ExtraSpaceBelow);
    }
    if (StartsPara(first)) LineTop -= S->ParaStyles->Items(ItemOf(first)->ParaNo)->SpaceBefore;
    if (last + 1 >= D.DrawItems.Count() || StartsPara(last + 1))
      LineBottom += S->ParaStyles->Items(ItemOf(last)->ParaNo)->SpaceAfter;
  }

  Integer LineTopOf(Integer n) {
    Integer first, last;
    D.GetLineBounds(n, first, last);
    Integer top = D.DrawItems[first]->Top;
    for (Integer i = first; i <= last; ++i) top = std::min(top, D.DrawItems[i]->Top);
    return top;
  }

  bool ItemSelected(Integer n) const {
    if (Info.SelectedAsWhole) return true;
    if (!HasSel || n < StartDI || n > EndDI) return false;
    if (n == EndDI && EndOffs == 0) return false;
    if (n == StartDI && StartOffs == 1) return false;
    return true;
  }

  void PaintNonText(Integer n, TCustomVLItemInfo* item) {
    // The pen, brush and background an item sets end with it.
    const TCanvasToolsKeeper keep(C);
    const TVLDrawLineInfo* d = D.DrawItems[n];
    TVLTextDrawStates state;
    const bool selected = ItemSelected(n);
    if (selected) state.Include(vltsSelected);
    if (Hovered(item)) state.Include(vltsHover);
    if (item == D.CurrentItem) state.Include(vltsItemStart);
    if (Info.Focused) state.Include(vltsControlFocused);
    if (!item->GetBoolValue(0)) {
      if (selected && LineRectValid && item->StyleNo != vlsListMarker) {
        const TColor color = Info.Focused ? S->SelColor : S->InactiveSelColor;
        if (color != clNone) {
          C->Brush.Style = bsSolid;
          C->Brush.Color = color;
          C->FillRect(TRect(d->Left - XShift, LineTop - YShift, d->Left + d->Width - XShift, LineBottom - YShift));
          C->Brush.Style = bsClear;
        }
      }
      item->Paint(d->Left - XShift, d->Top - YShift, C, state, S, &D);
    } else {
      Integer w = D.GetDocumentWidth();
      if (Opts.Contains(vloClientTextWidth)) {
        w = D.GetWidth();
      } else if (D.GetMaxTextWidth() > 0) {
        w = std::min(w, D.GetMaxTextWidth() + D.GetLeftMargin() + D.GetRightMargin());
      }
      item->PaintFullWidth(d->Left - XShift, w - D.GetRightMargin() - XShift, d->Top - YShift, C, state, S,
                           TRect(XShift, YShift, XShift + ClipWidth, YShift + ClipHeight), &D);
    }
    if (item->GetBoolValue(4)) LastStyleNo = -1;
  }

  // One text piece: characters from..to (1-based inside the draw item).
  void DrawPiece(Integer n, TCustomVLItemInfo* item, Integer styleNo, Integer from, Integer to, Integer x,
                 Integer width, TVLTextDrawStates state) {
    const TVLDrawLineInfo* d = D.DrawItems[n];
    if (Info.Focused) state.Include(vltsControlFocused);
    if (S->OnDrawStyleText) {
      if (from == 1) {
        state.Include(vltsDrawItemStart);
        if (d->TextOffset == 1) state.Include(vltsItemStart);
      }
      if (to >= d->Length) {
        state.Include(vltsDrawItemEnd);
        if (d->TextOffset + d->Length - 1 >= D.GetItemLength(d->ItemNo)) state.Include(vltsItemEnd);
      }
    }
    S->ApplyStyleColor(C, styleNo, state, Info.Printing, Info.ColorMode);
    if (Opts.Contains(vloShowSpecialCharacters)) state.Include(vltsSpecialCharacters);
    Integer spaceBefore = 0;
    if (from == 1) {
      spaceBefore = d->JustifyExtra;
      width += spaceBefore;
    } else {
      x += d->JustifyExtra;
    }
    if (state.Contains(vltsSelected) && width > 0 && S->SelectionStyle == vlssLines && LineRectValid) {
      C->FillRect(TRect(x - 1 - XShift, LineTop - YShift, x + width + 1 - XShift, LineBottom - YShift));
    }
    const AnsiString s = TextCopy(D.GetItemTextA(d->ItemNo), d->TextOffset + from - 1, to - from + 1,
                                  item->ItemOptions);
    S->DrawStyleText(s, C, styleNo, spaceBefore, x - XShift, d->Top - YShift, width, d->Height, state, Info.Printing,
                     false, Info.ColorMode, VLGetParaBiDiMode(S, item->ParaNo, D.GetBiDiMode()), &D, d->ItemNo,
                     d->TextOffset + from - 1);
  }

  bool RightToLeft(Integer styleNo, TVLBiDiMode paraBiDi) const {
    const TVLBiDiMode own = S->TextStyles->Items(styleNo)->BiDiMode;
    return (own != vlbdUnspecified ? own : paraBiDi) == vlbdRightToLeft;
  }

  void PaintText(Integer n, TCustomVLItemInfo* item) {
    const TVLDrawLineInfo* d = D.DrawItems[n];
    const Integer styleNo = D.GetItemActualStyle(item);
    const TVLBiDiMode paraBiDi = VLGetParaBiDiMode(S, item->ParaNo, D.GetBiDiMode());
    if (styleNo != LastStyleNo) {
      S->ApplyStyle(C, styleNo, paraBiDi);
      LastStyleNo = styleNo;
      D.CanvasFontChanged();
    }
    TVLTextDrawStates base;
    if (S->TextStyles->Items(styleNo)->Jump && Hovered(item)) base.Include(vltsHover);
    const Integer len = d->Length;
    const bool inside = HasSel && n >= StartDI && n <= EndDI;
    const bool partial = inside && !Info.SelectedAsWhole &&
                         ((n == StartDI && StartOffs > 1) || (n == EndDI && EndOffs <= len));
    if (Info.SelectedAsWhole || (inside && !partial)) {
      TVLTextDrawStates st = base;
      st.Include(vltsSelected);
      DrawPiece(n, item, styleNo, 1, len, d->Left, d->Width - d->JustifyExtra, st);
      return;
    }
    DrawPiece(n, item, styleNo, 1, len, d->Left, d->Width - d->JustifyExtra, base);
    if (!partial) return;
    const Integer from = (n == StartDI && StartOffs > 1) ? StartOffs : 1;
    const Integer to = (n == EndDI && EndOffs <= len) ? EndOffs - 1 : len;
    if (to < from) return;
    TVLTextDrawStates st = base;
    st.Include(vltsSelected);
    if (RightToLeft(styleNo, paraBiDi)) {
      // Right-to-left characters stand at their placed (visual) positions,
      // not at the left-to-right prefix.
      if (Info.Focused) st.Include(vltsControlFocused);
      S->ApplyStyleColor(C, styleNo, st, Info.Printing, Info.ColorMode);
      const AnsiString s = TextCopy(D.GetItemTextA(d->ItemNo), d->TextOffset, len, item->ItemOptions);
      if (TryTextOutPlaced(true, C, d->Left + d->JustifyExtra - XShift, d->Top - YShift, s, item->ItemOptions,
                           from, to, d->Height)) {
        C->Brush.Style = bsClear;
        return;
      }
    }
    // The selected part over the whole text, at the measured prefix; the
    // extents are those layout placed the characters with.
    D.UseTextStyle(C, styleNo, paraBiDi);
    const Integer x = d->Left + VLTextPrefixWidth(D, C, n, from);
    Integer width = 0;
    if (S->OnDrawStyleText || S->SelectionStyle == vlssLines)
      width = VLTextPrefixWidth(D, C, n, to + 1) - VLTextPrefixWidth(D, C, n, from);
    S->ApplyStyle(C, styleNo, paraBiDi);
    D.CanvasFontChanged();
    DrawPiece(n, item, styleNo, from, to, x, width, st);
  }

  void PaintSpecialMark(Integer n) {
    const Integer count = D.DrawItems.Count();
    if (!LastOfItem(n)) return;
    const TVLDrawLineInfo* d = D.DrawItems[n];
    TCustomVLItemInfo* item = ItemOf(n);
    bool paraEnd = n + 1 >= count;
    if (!paraEnd) {
      TCustomVLItemInfo* next = ItemOf(n + 1);
      if (next->IsParaStart())
        paraEnd = true;
      else if (!next->GetBR())
        return;
    }
    const Integer styleNo = LastStyleNo >= 0 ? LastStyleNo : 0;
    const TVLBiDiMode bidi = VLGetParaBiDiMode(S, item->ParaNo, D.GetBiDiMode());
    S->ApplyStyle(C, styleNo, bidi);
    S->ApplyStyleColor(C, styleNo, TVLTextDrawStates(), Info.Printing, Info.ColorMode);
    C->Brush.Style = bsClear;
    const WideString mark = paraEnd ? WideString(u"\u00B6") : WideString(u"\u21B5");
    const TSize size = C->TextExtentW(mark);
    const Integer x = bidi == vlbdRightToLeft ? d->Left - size.cx : d->Left + d->Width;
    C->TextOutW(x - XShift, d->Top + d->Height - size.cy - YShift, mark);
    LastStyleNo = -1;
    D.CanvasFontChanged();
  }

  // Pass 3: the page breaks pagination computed.
  void PaintSoftPageBreaks(Integer first, Integer last) {
    const auto* breaks = dynamic_cast<const TVLSoftPageBreakList*>(D.SoftPageBreaks.get());
    if (!breaks || !Opts.Contains(vloShowPageBreaks)) return;
    const Integer firstItem = D.DrawItems[first]->ItemNo;
    for (const TVLSoftPageBreakInfo& b : breaks->Items) {
      if (b.ItemNo < firstItem) continue;
      if (b.ItemNo < 0 || b.ItemNo >= D.GetItemCount()) break;
      Integer n, offs;
      D.Item2DrawItem(b.ItemNo, b.Offset, n, offs);
      if (n < 0) continue;
      if (n > last) break;
      // A break before everything is the first page's top.
      if (n == 0 && b.PartTop < 0) continue;
      const Integer y = b.PartTop < 0 ? LineTopOf(n) : D.DrawItems[n]->Top + b.PartTop;
      S->DrawPageBreak(C, y - YShift - 1, XShift, vlpbSoftPageBreak, Info.Control);
      LastStyleNo = -1;
    }
  }

  void Run(const TRect& clip) {
    const Integer count = D.DrawItems.Count();
    XShift = D.GetHOffset() + clip.Left;
    YShift = D.GetVOffset() + clip.Top;
    ClipWidth = clip.Width();
    ClipHeight = clip.Height();
    const Integer clipTop = clip.Top + D.GetVOffset(), clipBottom = clip.Bottom + D.GetVOffset();
    D.GetDrawItemSelBounds(true, StartDI, StartOffs, EndDI, EndOffs);
    HasSel = StartDI >= 0 && EndDI >= 0 && !(StartDI == EndDI && StartOffs == EndOffs);
    if (count > 0) {
      const Integer first = D.FindDrawItemAtY(clipTop, 1);
      Integer last = count - 1;
      for (Integer i = first; i < count; ++i) {
        if (D.DrawItems[i]->Top > clipBottom) {
          Integer j = i + 1;
          while (j < count && !D.DrawItems[j]->StartsNewLine) ++j;
          if (j < count) last = std::min(last, j);
          break;
        }
      }
      Integer paraStart = first;
      while (paraStart > 0 && !StartsPara(paraStart)) --paraStart;
      for (Integer i = paraStart; i <= last;) i = PaintPara(i);
      if (S->OnDrawTextBack) {
        for (Integer i = first; i <= last; ++i) {
          const TVLDrawLineInfo* d = D.DrawItems[i];
          TCustomVLItemInfo* item = ItemOf(i);
          if (item->StyleNo < 0) continue;
          TVLTextDrawStates st;
          if (Hovered(item)) st.Include(vltsHover);
          S->DrawTextBack(C, &D, d->ItemNo, D.GetItemActualStyle(item), d->Left - XShift, d->Top - YShift,
                          d->Width, d->Height, st);
        }
      }
      PaintSoftPageBreaks(first, last);
      for (Integer i = first; i <= last; ++i) {
        const TVLDrawLineInfo* d = D.DrawItems[i];
        TCustomVLItemInfo* item = ItemOf(i);
        if (d->StartsNewLine || i == first) {
          LineRectValid = HasSel && S->SelectionStyle == vlssLines &&
                          VLGetParaBiDiMode(S, item->ParaNo, D.GetBiDiMode()) == vlbdUnspecified;
          if (LineRectValid) ComputeLineRect(i);
        }
        if (FirstOfItem(i) && item->GetPageBreakBefore() && Opts.Contains(vloShowPageBreaks)) {
          S->DrawPageBreak(C, LineTopOf(i) - YShift - 1, XShift, vlpbPageBreak, Info.Control);
          LastStyleNo = -1;
        }
        if (FirstOfItem(i) && item->Checkpoint && Opts.Contains(vloShowCheckpoints)) {
          S->DrawCheckpoint(C, d->Left - XShift, d->Top - YShift, d->ItemNo, XShift, item->Checkpoint->RaiseEvent,
                            Info.Control);
          LastStyleNo = -1;
        }
        if (item->StyleNo < 0)
          PaintNonText(i, item);
        else
          PaintText(i, item);
        if (Opts.Contains(vloShowSpecialCharacters)) PaintSpecialMark(i);
      }
      D.PaintOverlay(C, XShift, YShift);
    }
    if (D.NotAddedCP && Opts.Contains(vloShowCheckpoints)) {
      S->DrawCheckpoint(C, 0, D.DocumentHeight - D.GetBottomMargin() - YShift, -1, XShift,
                        D.NotAddedCP->RaiseEvent, Info.Control);
    }
    C->Brush.Style = bsClear;
  }
};

}  // namespace

Integer VLTextPrefixWidth(TCustomVLFormattedData& data, TCanvas* canvas, Integer drawItemNo, Integer from) {
  const TVLDrawLineInfo* d = data.DrawItems[drawItemNo];
  const TVLMeasuredText& m = data.MeasureItemText(canvas, d->ItemNo);
  return ExtentOf(m, d->TextOffset - 1 + from - 1) - ExtentOf(m, d->TextOffset - 1);
}

void VLPaintTo(TCustomVLFormattedData& data, TCanvas* canvas, const TRect& clip, const TVLPaintInfo& info) {
  TVLStyle* style = data.GetStyle();
  if (!style) return;
  TPainter p{data, canvas, style, info, data.GetOptions()};
  data.ResetMeasuring();
  p.Run(clip);
  data.ResetMeasuring();
}

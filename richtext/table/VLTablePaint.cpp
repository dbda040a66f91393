// Table painting on screen: background, rules, the outer border, then every
// visible cell with its colour, content and border. Invisible borders show
// as dotted grid lines in an editor.
#include "richtext/table/VLTable.h"

#include "richtext/model/VLFuncs.h"
#include "richtext/view/VLControlData.h"
#include "richtext/view/VLFlags.h"
#include "richtext/view/VLPaint.h"

#include <algorithm>

TPenStyle TableGridDrawStyle = psDot;

namespace {

// The canvas clip of the table whose cell is being painted: a table nested
// in that cell gets only its cell's own extent from the document painter.
const TRect* OuterClip = nullptr;

// Set while a table is printed; thread-local as reports may paint off the
// main thread.
thread_local bool OnPaper = false;
thread_local TVLColorMode PaperMode = vlcmColor;
TVLColorMode PaintMode() { return OnPaper ? PaperMode : vlcmColor; }

struct TBorder {
  Integer Left, Top, Right, Bottom, Width;
  TColor LightColor, Color, BackgroundColor;
  TVLTableBorderStyle Style;
  const TVLBooleanRect* Visible;  // nullptr: all sides
  Integer Row, Col;
};

class TTablePainter {
public:
  TTablePainter(TVLTableItemInfo& t, TCanvas* canvas, const TRect& clip, bool showGrid)
      : T(t), C(canvas), Clip(clip), ShowGrid(showGrid) {}

  void DrawBorder(const TBorder& b) {
    if (b.Right < Clip.Left || b.Left > Clip.Right || b.Bottom < Clip.Top || b.Top > Clip.Bottom) return;
    if (T.OnDrawBorder) {
      bool doDefault = true;
      T.OnDrawBorder(&T, C, b.Left, b.Top, b.Right, b.Bottom, b.Width, b.LightColor, b.Color, b.BackgroundColor,
                     b.Style, OnPaper, b.Visible, b.Row, b.Col, doDefault);
      if (!doDefault) return;
    }
    const bool grid = ShowGrid && TableGridDrawStyle != psClear;
    auto visible = [&](int side) {
      if (!b.Visible) return true;
      return side == 0 ? b.Visible->Left : side == 1 ? b.Visible->Top : side == 2 ? b.Visible->Right : b.Visible->Bottom;
    };
    if (b.Width == 0) {
      if (grid) {
        GridPen();
        C->Brush.Style = bsClear;
        C->Rectangle(b.Left, b.Top, b.Right, b.Bottom);
        SolidPen();
        C->Brush.Style = bsSolid;
      }
      return;
    }
    if (grid && b.Visible && !(visible(0) && visible(1) && visible(2) && visible(3))) {
      GridPen();
      if (!visible(1) && !CoveredByNeighbour(b, 1)) Line(b.Left, b.Top, b.Right, b.Top);
      if (!visible(3) && !CoveredByNeighbour(b, 3)) Line(b.Left, b.Bottom - 1, b.Right, b.Bottom - 1);
      if (!visible(0) && !CoveredByNeighbour(b, 0)) Line(b.Left, ClipY(b.Top), b.Left, ClipY(b.Bottom));
      if (!visible(2) && !CoveredByNeighbour(b, 2)) Line(b.Right - 1, ClipY(b.Top), b.Right - 1, ClipY(b.Bottom));
      SolidPen();
    }
    if (b.Style == vltbColor) {
      if (b.Color == clNone) return;
      C->Pen.Color = ApplyColorModeFore(b.Color, PaintMode());
      if (!b.Visible || (visible(0) && visible(1) && visible(2) && visible(3))) {
        // Four bands rather than a framed rectangle: a preview that shrinks
        // the page keeps each side at least a pixel wide.
        const Integer w = std::min({b.Width, b.Right - b.Left, b.Bottom - b.Top});
        C->Brush.Style = bsSolid;
        C->Brush.Color = C->Pen.Color;
        C->FillRect(TRect(b.Left, b.Top, b.Right, b.Top + w));
        C->FillRect(TRect(b.Left, b.Bottom - w, b.Right, b.Bottom));
        C->FillRect(TRect(b.Left, b.Top, b.Left + w, b.Bottom));
        C->FillRect(TRect(b.Right - w, b.Top, b.Right, b.Bottom));
        SolidPen();
        return;
      }
      const bool overlap = T.Options.Contains(vltoOverlappingCorners);
      for (Integer i = 0; i < b.Width; ++i) {
        const Integer l = b.Left + i, t = b.Top + i, r = b.Right - 1 - i, bt = b.Bottom - 1 - i;
        const Integer hl = overlap ? b.Left : l, hr = overlap ? b.Right : r + 1;
        const Integer vt = overlap ? b.Top : t, vb = overlap ? b.Bottom : bt + 1;
        if (visible(1)) Line(hl, t, hr, t);
        if (visible(3)) Line(hl, bt, hr, bt);
        if (visible(0)) Line(l, ClipY(vt), l, ClipY(vb));
        if (visible(2)) Line(r, ClipY(vt), r, ClipY(vb));
      }
      return;
    }
    // Three-dimensional styles.
    const Integer right = b.Right - 1, bottom = b.Bottom - 1;
    const TColor highlight = b.BackgroundColor == clBtnHighlight ? clBtnFace : clBtnHighlight;
    TColor first, second;
    switch (b.Style) {
      case vltbRaised: first = highlight, second = clBtnShadow; break;
      case vltbLowered: first = clBtnShadow, second = highlight; break;
      case vltbRaisedColor: first = b.LightColor, second = b.Color; break;
      default: first = b.Color, second = b.LightColor; break;
    }
    first = ApplyColorModeFore(first, PaintMode());
    second = ApplyColorModeFore(second, PaintMode());
    for (Integer i = 0; i < b.Width; ++i) {
      C->Pen.Color = first;
      if (visible(1)) Line(b.Left + i, b.Top + i, right - i + 1, b.Top + i);
      if (visible(0)) Line(b.Left + i, ClipY(b.Top + i), b.Left + i, ClipY(bottom - i + 1));
      C->Pen.Color = second;
      if (visible(3)) Line(b.Left + i, bottom - i, right - i + 1, bottom - i);
      if (visible(2)) Line(right - i, ClipY(b.Top + i), right - i, ClipY(bottom - i + 1));
    }
    SolidPen();
  }

  void PaintCell(TVLTableCellData& cell, Integer row, Integer col, Integer left, Integer top, TColor selColor,
                 bool wholeSelected, bool focused) {
    TRect r = T.PaintCellRect(cell, row, col);
    OffsetRect(r, left, top);
    TColor fill = cell.Color;
    if ((wholeSelected || cell.Selected) && selColor != clNone) fill = selColor;
    const Integer cb = T.PaintLenX(T.CellBorderWidth);
    if (fill != clNone) {
      C->Brush.Style = bsSolid;
      C->Brush.Color = ApplyColorModeBack(fill, PaintMode());
      TRect f = r;
      if (T.Options.Contains(vltoCellBelowBorders)) f = TRect(r.Left - cb, r.Top - cb, r.Right + cb, r.Bottom + cb);
      C->FillRect(f);
    }
    if (TVLBackground* back = cell.GetBackground(); back && back->GetBitmap() && !back->GetBitmap()->GetEmpty() && !(wholeSelected || cell.Selected)) {
      const TRect part(std::max(r.Left, Clip.Left), std::max(r.Top, Clip.Top), std::min(r.Right, Clip.Right),
                       std::min(r.Bottom, Clip.Bottom));
      if (part.Right > part.Left && part.Bottom > part.Top)
        T.PaintPicture(*back, C, part, r);
    }
    // The content: the cell document paints itself where the canvas shows it.
    const TRect inner(std::max(r.Left, Clip.Left), std::max(r.Top, Clip.Top), std::min(r.Right, Clip.Right),
                      std::min(r.Bottom, Clip.Bottom));
    if (inner.Right > inner.Left && inner.Bottom > inner.Top && !T.PrintCellContent(row, col, C, r) &&
        cell.DrawItems.Count() > 0) {
      TVLPaintInfo info;
      info.Focused = focused;
      info.SelectedAsWhole = wholeSelected;
      info.ColorMode = PaintMode();
      info.Printing = OnPaper;
      const TRect* saved = OuterClip;
      OuterClip = &Clip;
      // Cut at the cell's edge, as its editor shows it and as it prints: a
      // paragraph's padding or border reaching past it stays off the
      // table's borders and the cells beside.
      const int state = C->SaveDC();
      C->IntersectClipRect(r.Left, r.Top, r.Right, r.Bottom);
      // The cell's scroll offsets place its content inside it on the canvas.
      VLPaintTo(cell, C, Clip, info);
      C->RestoreDC(state);
      OuterClip = saved;
    }
    DrawBorder({r.Left - cb, r.Top - cb, r.Right + cb, r.Bottom + cb, cb,
                cell.BorderLightColor != clNone ? cell.BorderLightColor : T.CellBorderLightColor,
                cell.BorderColor != clNone ? cell.BorderColor : T.CellBorderColor, T.Color, T.CellBorderStyle,
                &cell.VisibleBorders, row, col});
  }

private:
  Integer ClipY(Integer y) const { return std::clamp(y, Clip.Top - 1, Clip.Bottom + 1); }
  void Line(Integer x1, Integer y1, Integer x2, Integer y2) {
    C->MoveTo(x1, y1);
    C->LineTo(x2, y2);
  }
  void GridPen() {
    C->Pen.Width = 1;
    C->Pen.Style = TableGridDrawStyle;
    C->Pen.Color = ApplyColorModeFore(clBtnFace, PaintMode());
    C->Pen.Mode = pmCopy;
  }
  void SolidPen() {
    C->Pen.Width = 1;
    C->Pen.Style = psSolid;
    C->Pen.Mode = pmCopy;
  }
  // A neighbour's visible border drawn over this side (negative spacing).
  bool CoveredByNeighbour(const TBorder& b, int side) const {
    if (b.Row < 0) return false;
    Integer mr, mc;
    const TVLTableCellData* self = T.Rows.GetMainCell(b.Row, b.Col, mr, mc);
    if (!self) return false;
    switch (side) {
      case 1:
        if (b.Row == 0) return T.BorderVSpacing < 0 && T.BorderWidth >= 1;
        if (T.CellVSpacing < 0)
          if (const auto* n = T.Rows.GetMainCell(b.Row - 1, b.Col, mr, mc)) return n->VisibleBorders.Bottom;
        return false;
      case 3:
        if (b.Row + self->RowSpan >= T.RowCount()) return T.BorderVSpacing < 0 && T.BorderWidth >= 1;
        if (T.CellVSpacing < 0)
          if (const auto* n = T.Rows.GetMainCell(b.Row + self->RowSpan, b.Col, mr, mc)) return n->VisibleBorders.Top;
        return false;
      case 0:
        if (b.Col == 0) return T.BorderHSpacing < 0 && T.BorderWidth >= 1;
        if (T.CellHSpacing < 0)
          if (const auto* n = T.Rows.GetMainCell(b.Row, b.Col - 1, mr, mc)) return n->VisibleBorders.Right;
        return false;
      default:
        if (b.Col + self->ColSpan >= T.ColCount()) return T.BorderHSpacing < 0 && T.BorderWidth >= 1;
        if (T.CellHSpacing < 0)
          if (const auto* n = T.Rows.GetMainCell(b.Row, b.Col + self->ColSpan, mr, mc)) return n->VisibleBorders.Left;
        return false;
    }
  }

  TVLTableItemInfo& T;
  TCanvas* C;
  TRect Clip;
  bool ShowGrid;
};

}  // namespace

TVLTablePaperScope::TVLTablePaperScope(TVLColorMode mode) : SavedOnPaper(OnPaper), SavedMode(PaperMode) {
  OnPaper = true;
  PaperMode = mode;
}

TVLTablePaperScope::~TVLTablePaperScope() {
  OnPaper = SavedOnPaper;
  PaperMode = SavedMode;
}

bool TVLTableItemInfo::ShowsGrid() const {
  // Only an editor lays its document out in the writers' jump mode.
  auto* root = dynamic_cast<TCustomVLFormattedData*>(FVLData ? FVLData->GetAbsoluteRootData() : nullptr);
  return !OnPaper && root && (root->GetLayoutFlags() & vllfWriterJumpMode) && !Options.Contains(vltoHideGridLines);
}

void TVLTableItemInfo::PaintFullWidth(Integer left, Integer /*right*/, Integer top, TCanvas* canvas,
                                      TVLTextDrawStates state, TVLStyle* style, const TRect& clipRect,
                                      TCustomVLData* vlData) {
  if (!canvas) return;
  // The borders and fills leave their pen and brush behind: what follows
  // the table starts from the canvas as it was.
  const TCanvasToolsKeeper keep(canvas);
  // The document painter's clip is in document coordinates with the canvas
  // at its top-left corner.
  const TRect clip = OuterClip && dynamic_cast<TVLTableCellData*>(vlData)
                         ? *OuterClip
                         : TRect(0, 0, clipRect.Right - clipRect.Left, clipRect.Bottom - clipRect.Top);
  const TVLTableItemFormattingInfo& F = PaintFormatting();
  PaintLeft = left;
  PaintTop = top;
  // Cells take their client coordinates from the table's place on the
  // canvas while it paints, from the table itself otherwise.
  struct TOrigin {
    TVLTableItemInfo& T;
    Integer X, Y;
    ~TOrigin() {
      T.OriginX = X;
      T.OriginY = Y;
    }
  } restore{*this, OriginX, OriginY};
  OriginX = left;
  OriginY = top;
  const bool focused = state.Contains(vltsControlFocused);
  const TColor selColor = style && !OnPaper ? (focused ? style->SelColor : style->InactiveSelColor) : clNone;
  const bool wholeSelected = state.Contains(vltsSelected);
  TTablePainter p(*this, canvas, clip, ShowsGrid());
  const TRect table(left, top, left + F.Width, top + F.Height);
  const Integer R = RowCount(), C = ColCount();
  const bool laidOut = !Rows.IsEmpty() && static_cast<Integer>(F.RowStarts.size()) == R + 1 &&
                       static_cast<Integer>(F.ColStarts.size()) == C + 1;

  // Background.
  // On paper the table may be asked to print white.
  const TColor color = Color != clNone && OnPaper && PrintOptions.Contains(vltoWhiteBackground) ? clWhite : Color;
  if (color != clNone) {
    const TRect r(std::max(table.Left, clip.Left), std::max(table.Top, clip.Top), std::min(table.Right, clip.Right),
                  std::min(table.Bottom, clip.Bottom));
    if (r.Right > r.Left && r.Bottom > r.Top) {
      canvas->Brush.Style = bsSolid;
      canvas->Brush.Color = ApplyColorModeBack(color, PaintMode());
      canvas->FillRect(r);
    }
  }
  // The table's picture lies over its colour and under its cells.
  if (TVLBackground* back = GetTableBackground(); back && back->GetBitmap() && !back->GetBitmap()->GetEmpty()) {
    const TRect r(std::max(table.Left, clip.Left), std::max(table.Top, clip.Top), std::min(table.Right, clip.Right),
                  std::min(table.Bottom, clip.Bottom));
    if (r.Right > r.Left && r.Bottom > r.Top)
      PaintPicture(*back, canvas, r, table);
  }
  canvas->Pen.Width = 1;
  canvas->Pen.Style = psSolid;
  // The table's own lengths, scaled on paper.
  const Integer bw = PaintLenX(BorderWidth), bhs = PaintLenX(BorderHSpacing), bvs = PaintLenY(BorderVSpacing);
  const Integer cbw = PaintLenX(CellBorderWidth), chs = PaintLenX(CellHSpacing), cvs = PaintLenY(CellVSpacing);
  if (laidOut) {
    const bool vRules = VRuleWidth != 0 && VRuleColor != clNone;
    const bool hRules = HRuleWidth != 0 && HRuleColor != clNone;
    const Integer vrw = std::max<Integer>(1, PaintLenX(VRuleWidth)), hrw = std::max<Integer>(1, PaintLenY(HRuleWidth));
    auto line = [&](Integer x1, Integer y1, Integer x2, Integer y2) {
      canvas->MoveTo(x1, y1);
      canvas->LineTo(x2, y2);
    };
    if (vRules) {
      canvas->Pen.Color = ApplyColorModeFore(VRuleColor, PaintMode());
      const Integer w = vrw;
      const Integer e = hRules && HOutermostRule ? bw + bvs / 2 : 0;
      const Integer y1 = std::max(table.Top + e, clip.Top - 1), y2 = std::min(table.Bottom - e, clip.Bottom + 1);
      auto rule = [&](Integer x) {
        for (Integer i = 0; i < w; ++i) line(x - w / 2 + i, y1, x - w / 2 + i, y2);
      };
      if (VOutermostRule) rule(left + bw + bhs / 2);
      for (Integer j = 0; j + 1 < C; ++j) {
        const Integer x = left + F.ColStarts[static_cast<size_t>(j) + 1] - (chs + 2 * cbw + 1) / 2;
        if (x - w > clip.Right) break;
        rule(x);
      }
      if (VOutermostRule) rule(left + F.Width - (bw + bhs / 2) - 1 + (w % 2 == 0 ? 1 : 0));
    }
    if (hRules) {
      canvas->Pen.Color = ApplyColorModeFore(HRuleColor, PaintMode());
      const Integer h = hrw;
      const Integer e = vRules && VOutermostRule ? bw + bhs / 2 : 0;
      auto rule = [&](Integer y) {
        for (Integer i = 0; i < h; ++i) line(left + e, y - h / 2 + i, left + F.Width - e, y - h / 2 + i);
      };
      if (HOutermostRule) rule(top + bw + bvs / 2);
      for (Integer r = 0; r + 1 < R; ++r) {
        const Integer y = F.RowStarts[static_cast<size_t>(r) + 1] + top - (cvs + 2 * cbw + 1) / 2;
        if (y - h > clip.Bottom) break;
        rule(y);
      }
      if (HOutermostRule) rule(table.Bottom - (bw + bvs / 2) - 1 + (h % 2 == 0 ? 1 : 0));
    }
  }
  TColor back = clNone;
  if (auto* doc = dynamic_cast<TCustomVLFormattedData*>(vlData ? vlData : FVLData)) back = doc->GetColor();
  p.DrawBorder({table.Left, table.Top, table.Right, table.Bottom, bw, BorderLightColor, BorderColor, back,
                BorderStyle, nullptr, -1, -1});
  if (!laidOut) return;
  // Cells whose glyphs may reach a little into the clip count as in it (on
  // paper the clip is a page's rows, and the rows of other pages stay out).
  const Integer Slack = OnPaper ? 0 : 8;
  // The first visible row: the last one starting above the clip's top.
  const Integer y0 = clip.Top - Slack - top - bw;
  Integer first = 0;
  if (R >= 2)
    first = std::max<Integer>(
        0, static_cast<Integer>(std::upper_bound(F.RowStarts.begin(), F.RowStarts.begin() + R, y0) - F.RowStarts.begin()) - 1);
  // The first visible column likewise: a wide table scrolled sideways
  // paints only what the window shows, a column repainted only that column.
  const Integer x0 = clip.Left - Slack - left - bw - cbw;
  Integer firstCol = 0;
  if (C >= 2)
    firstCol = std::max<Integer>(
        0, static_cast<Integer>(std::upper_bound(F.ColStarts.begin(), F.ColStarts.begin() + C, x0) - F.ColStarts.begin()) - 1);
  // Cells that start above it but reach into it.
  for (Integer c = C - 1; c >= firstCol && first > 0; --c) {
    Integer mr, mc;
    TVLTableCellData* cell = Rows.GetMainCell(first, c, mr, mc);
    if (cell && mr < first && (mc == c || (c == firstCol && mc < firstCol)))
      p.PaintCell(*cell, mr, mc, left, top, selColor, wholeSelected, focused);
  }
  for (Integer r = first; r < R; ++r) {
    if (top + F.RowStarts[static_cast<size_t>(r)] - cbw > clip.Bottom + Slack) break;
    // A cell of this row that starts left of the first visible column.
    if (firstCol > 0) {
      Integer mr, mc;
      TVLTableCellData* cell = Rows.GetMainCell(r, firstCol, mr, mc);
      if (cell && mr == r && mc < firstCol) p.PaintCell(*cell, mr, mc, left, top, selColor, wholeSelected, focused);
    }
    for (Integer c = firstCol; c < C; ++c) {
      if (left + F.ColStarts[static_cast<size_t>(c)] - cbw > clip.Right + Slack) break;
      if (TVLTableCellData* cell = GetCell(r, c)) p.PaintCell(*cell, r, c, left, top, selColor, wholeSelected, focused);
    }
  }
  canvas->Pen.Width = 1;
  if (FDragMode != 0) {
    // The border being dragged shows where it will go.
    canvas->Pen.Style = psDot;
    canvas->Pen.Color = clWindowText;
    if (FDragMode == 1) {
      canvas->MoveTo(left + FDragPos, top);
      canvas->LineTo(left + FDragPos, top + F.Height);
    } else {
      canvas->MoveTo(left, top + FDragPos);
      canvas->LineTo(left + F.Width, top + FDragPos);
    }
    canvas->Pen.Style = psSolid;
  }
}

void TVLTableItemInfo::PaintPicturesUnderCell(TCanvas* canvas, const TRect& clip, TVLTableCellData& cell, Integer x,
                                              Integer y) {
  auto paint = [&](TVLBackground* back, const TRect& whole) {
    if (!back || !back->GetBitmap() || back->GetBitmap()->GetEmpty()) return;
    const TRect part(std::max(whole.Left, clip.Left), std::max(whole.Top, clip.Top), std::min(whole.Right, clip.Right),
                     std::min(whole.Bottom, clip.Bottom));
    if (part.Right > part.Left && part.Bottom > part.Top) PaintPicture(*back, canvas, part, whole);
  };
  const TVLTableItemFormattingInfo& F = PaintFormatting();
  if (cell.Color == clNone) paint(GetTableBackground(), TRect(x, y, x + F.Width, y + F.Height));
  paint(cell.GetBackground(), TRect(x + cell.Left, y + cell.Top, x + cell.Left + cell.Width, y + cell.Top + cell.Height));
}

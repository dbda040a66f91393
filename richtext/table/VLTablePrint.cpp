// Tables on paper: where the page breaks fall and how one page's rows are
// drawn.
#include "richtext/table/VLTablePrint.h"

#include "richtext/model/VLClasses.h"
#include "richtext/model/VLFuncs.h"
#include "richtext/table/VLTable.h"
#include "richtext/view/VLPrint.h"

#include <cstdint>
#include <limits>
#include <numeric>

// ---- row groups and heading rows ----------------------------------------------------

bool TVLTableItemInfo::CanRepeatHeadingRows() const {
  const Integer h = std::min(HeadingRowCount, RowCount());
  if (h <= 0) return false;
  for (Integer c = 0; c < ColCount(); ++c) {
    Integer mr, mc;
    const TVLTableCellData* cell = Rows.GetMainCell(h - 1, c, mr, mc);
    if (cell && mr + cell->RowSpan > h) return false;
  }
  return true;
}

Integer TVLTableItemInfo::GetLastRowOfGroup(Integer row) const {
  Integer r = row;
  for (;;) {
    if (r >= RowCount() - 1) return r;
    bool grew = false;
    for (Integer c = ColCount() - 1; c >= 0; --c) {
      Integer mr, mc;
      const TVLTableCellData* cell = Rows.GetMainCell(r, c, mr, mc);
      if (!cell) continue;
      if (mr + cell->RowSpan - 1 > r) {
        r = mr + cell->RowSpan - 1;
        grew = true;
        break;
      }
      c = mc;
    }
    if (!grew) return r;
  }
}

Integer TVLTableItemInfo::GetFirstRowOfGroup(Integer row) const {
  for (;;) {
    if (row < 1) return row;
    bool moved = false;
    for (Integer c = ColCount() - 1; c >= 0; --c) {
      Integer mr, mc;
      const TVLTableCellData* cell = Rows.GetMainCell(row, c, mr, mc);
      if (!cell) continue;
      if (mr < row) {
        row = mr;
        moved = true;
        break;
      }
      c = mc;
    }
    if (!moved) return row;
  }
}

// ---- the printing record --------------------------------------------------------------

std::unique_ptr<TVLDrawLineInfo> TVLTableItemInfo::CreateDrawLineInfo(const TVLScreenAndDevice& sad) {
  auto d = std::make_unique<TVLTablePrintInfo>(this, sad);
  const TVLTableItemFormattingInfo& F = FormattingInfo;
  const Integer R = RowCount();
  auto y = [&sad](Integer v) { return MulDiv(v, sad.ppiyDevice, sad.ppiyScreen); };
  if (!Rows.IsEmpty() && static_cast<Integer>(F.RowStarts.size()) == R + 1 &&
      static_cast<Integer>(F.RowHeights.size()) == R) {
    for (Integer r = 0; r < R; ++r) {
      const Integer top = F.RowStarts[static_cast<size_t>(r)];
      const Integer bottom = top + F.RowHeights[static_cast<size_t>(r)] + 2 * CellPadding + CellBorderWidth;
      d->RowTops.push_back(y(top));
      d->RowHeights.push_back(y(bottom) - y(top));
    }
  }
  d->TableHeight = y(F.Height);
  d->HeadingCount = HeadingRowCount;
  d->RepeatHeading = CanRepeatHeadingRows();
  return d;
}

TVLTablePrintInfo::TVLTablePrintInfo(TVLTableItemInfo* table, const TVLScreenAndDevice& sad)
    : Table(table), Sad(sad) {}

void TVLTablePrintInfo::FitToWidth(Integer width) {
  if (width <= 0 || Width <= width) return;
  const Integer num = width, den = Width;
  auto scale = [num, den](Integer v) { return MulDiv(v, num, den); };
  for (size_t r = 0; r < RowTops.size(); ++r) {
    const Integer top = scale(RowTops[r]), bottom = scale(RowTops[r] + RowHeights[r]);
    RowTops[r] = top;
    RowHeights[r] = bottom - top;
  }
  TableHeight = scale(TableHeight);
  Height = scale(Height);
  Width = width;
  FitNum = num;
  FitDen = den;
}

Integer TVLTablePrintInfo::ExtraHeight() const {
  const Integer R = RowCount();
  if (R == 0) return TableHeight;
  return RowTops[static_cast<size_t>(HeadingRows())] + TableHeight - RowBottom(R - 1);
}

bool TVLTablePrintInfo::InitSplit() {
  PartsList.clear();
  const Integer R = RowCount();
  if (R == 0 || !Table->PrintOptions.Contains(vltoRowsSplit)) return false;
  if (RepeatHeading && HeadingCount >= R) return false;
  auto part = std::make_unique<TVLTablePrintPart>();
  part->FirstRow = std::min(HeadingRows(), R);
  part->RowCount = R - part->FirstRow;
  part->Height = TableHeight;
  PartsList.push_back(std::move(part));
  return true;
}

bool TVLTablePrintInfo::CanSplitFirst(Integer height) {
  const Integer R = RowCount(), h = HeadingRows();
  if (R == 0 || h >= R) return false;
  const Integer y = height - ExtraHeight() + RowTops[static_cast<size_t>(h)];
  return y > RowBottom(Table->GetLastRowOfGroup(h));
}

bool TVLTablePrintInfo::SplitAt(Integer height) {
  if (PartsList.empty()) throw EVellumError(errVLInternalPrint);
  TVLTablePrintPart& p = *PartsList.back();
  const Integer R = RowCount(), h = HeadingRows();
  if (p.RowCount <= 1 || p.Height <= height) return false;
  if (h >= R) return false;
  const Integer e = ExtraHeight();
  const Integer y = height - e + RowTops[static_cast<size_t>(p.FirstRow)];
  // The first row past the first that does not end above y.
  Integer k = 1;
  while (k < p.RowCount && RowBottom(p.FirstRow + k) < y) ++k;
  if (k >= p.RowCount) throw EVellumError(errVLInternalPrint);
  Integer b = Table->GetFirstRowOfGroup(p.FirstRow + k);
  // A page takes at least its first group, even when that does not fit.
  if (b <= p.FirstRow) b = Table->GetLastRowOfGroup(p.FirstRow) + 1;
  const Integer n = b - p.FirstRow;
  if (n > p.RowCount) throw EVellumError(errVLInternalPrint);
  if (n == p.RowCount) return false;
  p.RowCount = n;
  p.Height = RowBottom(b - 1) + e - RowTops[static_cast<size_t>(p.FirstRow)];
  auto next = std::make_unique<TVLTablePrintPart>();
  next->FirstRow = b;
  next->RowCount = R - b;
  next->Height = RowBottom(R - 1) + e - RowTops[static_cast<size_t>(b)];
  PartsList.push_back(std::move(next));
  return true;
}

// ---- drawing on paper -------------------------------------------------------------------

void TVLTableItemInfo::Print(TCanvas* canvas, Integer x, Integer y, Integer /*x2*/, bool /*preview*/,
                             bool /*correctY*/, const TVLScreenAndDevice& sad, TCustomVLData* vlData,
                             TVLColorMode colorMode) {
  const TVLTableItemFormattingInfo& F = FormattingInfo;
  const Integer R = RowCount();
  if (!canvas || sad.ppixScreen <= 0 || sad.ppiyScreen <= 0) return;
  // Which rows: all of them, or one page part's.
  Integer first = 0, count = R, heading = 0;
  // The scale of a table fitted to the printable width.
  Integer fitNum = 1, fitDen = 1;
  auto* doc = dynamic_cast<TCustomPrintableVLData*>(vlData);
  TVLTablePrintInfo* info = nullptr;
  if (doc && doc->CurrentDrawItemNo >= 0 && doc->CurrentDrawItemNo < doc->DrawItems.Count())
    info = dynamic_cast<TVLTablePrintInfo*>(doc->DrawItems[doc->CurrentDrawItemNo]);
  if (info && info->Table == this) {
    fitNum = info->FitNum;
    fitDen = info->FitDen;
    if (doc->CurrentPart >= 0 && doc->CurrentPart < info->PartCount() && info->RowCount() == R) {
      const TVLTablePrintPart& part = *info->PartsList[static_cast<size_t>(doc->CurrentPart)];
      first = part.FirstRow;
      count = part.RowCount;
      heading = info->HeadingRows();
    }
  }
  const bool laidOut = R > 0 && static_cast<Integer>(F.RowStarts.size()) == R + 1 &&
                       static_cast<Integer>(F.RowHeights.size()) == R;
  const bool whole = !laidOut || (first == 0 && count == R);
  if (!laidOut) {
    first = 0, count = R, heading = 0;
  }
  const Integer cb = CellBorderWidth;
  auto bottomOf = [&](Integer r) {
    return F.RowStarts[static_cast<size_t>(r)] + F.RowHeights[static_cast<size_t>(r)] + 2 * CellPadding + cb;
  };
  // The rows drawn (table coordinates) and the repeated heading above them.
  const Integer last = std::min(first + count, R) - 1;
  const Integer headEnd = !whole && heading > 0 ? F.RowStarts[static_cast<size_t>(heading)] - cb : 0;
  const Integer from = whole || first == 0 ? 0 : first == heading ? headEnd : F.RowStarts[static_cast<size_t>(first)] - cb;
  const Integer to = whole || last == R - 1 ? F.Height : bottomOf(last);
  const Integer drawn = headEnd + (to - from);

  // The table paints itself in the screen pixels it was laid out in: the
  // canvas mapping takes them to the device, wherever the page is mapped to.
  const int saved = canvas->SaveDC();
  const Integer ppi = canvas->GetPixelsPerInch();
  struct TRestore {
    TCanvas* C;
    int Saved;
    Integer Ppi;
    ~TRestore() {
      C->RestoreDC(Saved);
      C->SetPixelsPerInch(Ppi);
    }
  } restore{canvas, saved, ppi};
  TVLTablePaperScope paper(colorMode);
  TSize we{1, 1}, ve{1, 1};
  if (canvas->GetMapMode() == MM_ANISOTROPIC) {
    canvas->SetWindowExtEx(1, 1, &we);
    canvas->SetViewportExtEx(1, 1, &ve);
    if (we.cx == 0 || we.cy == 0) we = TSize{1, 1};
  }
  // A table wider than the printable width is scaled to it. Rows that cannot
  // be split and are taller than the page (a row group, or a table that may
  // not split) are shrunk to the page instead of losing their foot.
  Integer shrinkNum = fitNum, shrinkDen = fitDen;
  if (doc && doc->DrawingPageNo > 0) {
    const Integer room = doc->GetPageContentBottom(doc->DrawingPageNo) - y;
    const Integer height = MulDiv(drawn, sad.ppiyDevice, sad.ppiyScreen);
    if (room > 0 && MulDiv(height, fitNum, fitDen) > room) shrinkNum = room, shrinkDen = height;
  }
  const TPoint wo = canvas->GetWindowOrgEx(), vo = canvas->GetViewportOrgEx();
  canvas->SetMapMode(MM_ANISOTROPIC);
  canvas->SetWindowOrgEx(0, 0);
  // A preview's own mapping times the resolutions times the shrink can pass
  // 32 bits: the ratios are reduced first.
  auto fit = [](int64_t window, int64_t viewport) {
    const int64_t g = std::gcd(window, viewport);
    if (g > 1) window /= g, viewport /= g;
    while (std::max(std::abs(window), std::abs(viewport)) > std::numeric_limits<int32_t>::max() / 2)
      window /= 2, viewport /= 2;
    return std::pair<Integer, Integer>(static_cast<Integer>(window ? window : 1), static_cast<Integer>(viewport));
  };
  const auto [wx, vx] = fit(int64_t{we.cx} * sad.ppixScreen * shrinkDen, int64_t{ve.cx} * sad.ppixDevice * shrinkNum);
  const auto [wy, vy] = fit(int64_t{we.cy} * sad.ppiyScreen * shrinkDen, int64_t{ve.cy} * sad.ppiyDevice * shrinkNum);
  canvas->SetWindowExtEx(wx, wy);
  canvas->SetViewportExtEx(vx, vy);
  canvas->SetViewportOrgEx(vo.X + MulDiv(x - wo.X, ve.cx, we.cx), vo.Y + MulDiv(y - wo.Y, ve.cy, we.cy));
  // The fonts are sized in the screen pixels the cells were laid out in; the
  // mapping alone shrinks them, as it shrinks everything else.
  canvas->SetPixelsPerInch(sad.ppiyScreen);

  TVLStyle* style = vlData ? vlData->GetStyle() : nullptr;
  const Integer w = F.Width;
  // Paints the table's rows between from and to (table coordinates) at dest.
  // The painter leaves out the cells outside its clip, which starts at the
  // canvas origin: the origin moves to dest.
  auto region = [&](Integer top, Integer bottom, Integer dest) {
    if (bottom <= top) return;
    const int s = canvas->SaveDC();
    canvas->SetWindowOrgEx(0, -dest);
    canvas->IntersectClipRect(0, 0, w, bottom - top);
    PaintFullWidth(0, w, -top, canvas, TVLTextDrawStates(), style, TRect(0, 0, w, bottom - top), FVLData);
    canvas->RestoreDC(s);
  };
  if (whole) {
    region(0, F.Height, 0);
    return;
  }
  // The repeated heading rows with the table's top border.
  region(0, headEnd, 0);
  region(from, to, headEnd);
  const Integer bottom = drawn;
  // The outer border is closed where the table is cut.
  if (BorderWidth > 0 && BorderColor != clNone) {
    canvas->Brush.Style = bsSolid;
    canvas->Brush.Color = ApplyColorModeFore(BorderStyle == vltbColor ? BorderColor : clBtnShadow, colorMode);
    if (from > 0 && heading == 0) canvas->FillRect(TRect(0, 0, w, BorderWidth));
    if (last < R - 1) canvas->FillRect(TRect(0, bottom - BorderWidth, w, bottom));
    canvas->Brush.Style = bsClear;
  }
}

void TVLTableItemInfo::DrawBackgroundForPrinting(TCanvas* canvas, const TRect& rect, const TRect& itemRect,
                                                 TVLColorMode colorMode, Integer what) {
  if (!canvas || what == 0) return;
  TColor color = Color;
  if (color != clNone) color = PrintOptions.Contains(vltoWhiteBackground) ? clWhite : ApplyColorModeBack(color, colorMode);
  if (color != clNone) {
    const TRect r(std::max(rect.Left, itemRect.Left), std::max(rect.Top, itemRect.Top),
                  std::min(rect.Right, itemRect.Right), std::min(rect.Bottom, itemRect.Bottom));
    if (r.Right > r.Left && r.Bottom > r.Top) {
      canvas->Brush.Style = bsSolid;
      canvas->Brush.Color = color;
      canvas->FillRect(r);
    }
  }
  if (what == 1) return;
  TVLBackground* back = GetTableBackground();
  if (!back || !back->GetBitmap() || back->GetBitmap()->GetEmpty()) return;
  const TRect r(std::max(rect.Left, itemRect.Left), std::max(rect.Top, itemRect.Top),
                std::min(rect.Right, itemRect.Right), std::min(rect.Bottom, itemRect.Bottom));
  if (r.Right > r.Left && r.Bottom > r.Top)
    back->Draw(canvas, r, 0, 0, itemRect.Left, itemRect.Top, itemRect.Width(), itemRect.Height(), clNone, true);
}

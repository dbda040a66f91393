#include "richtext/rtf/VLRTFTableImport.h"

#include "richtext/rtf/VLRTFImport.h"
#include "richtext/rtf/VLRTFListImport.h"
#include "richtext/table/VLTable.h"

#include <algorithm>
#include <set>

namespace {
constexpr Integer Tolerance = 1;
// Cells of one scratch row beyond this share the last one.
constexpr Integer MaxScratchCells = 4096;

// The row's edges, kept ascending even when the input is not.
std::vector<Integer> RowEdges(const TVLRTFRowProperties& row) {
  std::vector<Integer> edges{row.Left};
  for (const auto& cell : row.Cells) edges.push_back(std::max(cell->RightBoundary, edges.back() + 2 * Tolerance + 1));
  return edges;
}

// The index of the first of the edges at or right of x (within the tolerance).
Integer FindEdge(const std::vector<Integer>& edges, Integer x) {
  return static_cast<Integer>(std::lower_bound(edges.begin(), edges.end(), x - Tolerance) - edges.begin());
}

bool NearEdge(const std::vector<Integer>& edges, Integer e, Integer x) {
  return e < static_cast<Integer>(edges.size()) && std::abs(edges[static_cast<size_t>(e)] - x) <= Tolerance;
}
}  // namespace

struct TVLRTFTableImport::TTableInfo {
  std::vector<Integer> CellEdges;
  Integer SavedRow = -1, SavedCol = -1;
  // The document that was current when the table started.
  TCustomVLData* StartData = nullptr;
  std::unique_ptr<TVLTableItemInfo> Table;
  std::unique_ptr<TVLTableItemInfo> RowTable;
  Integer VSpacingSum = 0, TopSpacing = 0, LastBottomSpacing = 0, HSpacingSum = 0;
  Integer PaddingSum = 0, PaddingCount = 0, Width = 0;
  Integer RowBorderSum = 0, RowBorderCount = 0, CellBorderSum = 0, CellBorderCount = 0;
  bool HSpacingGiven = false, VSpacingGiven = false, CellWidthsGiven = false;
  bool SingleColourCellBorders = true, PixelMode = false, RowEnded = false;
  // The last row's alignment, when a row gave one.
  Integer RowAlignment = -1;
  // The scratch cells that hold content not yet laid into a row.
  Integer UsedScratchCells = 1;
};

TVLRTFTableImport::TVLRTFTableImport(TVLRTFReaderProperties& props) : P(props) {}
TVLRTFTableImport::~TVLRTFTableImport() = default;

void TVLRTFTableImport::ReaderTable(TVLRTFTableEventKind kind) {
  switch (kind) {
    case vlf_tbl_TableStart: TableStart(); break;
    case vlf_tbl_TableEnd: TableEnd(); break;
    case vlf_tbl_RowEnd: if (!FStack.empty()) RowEnd(); break;
    case vlf_tbl_CellEnd: if (!FStack.empty()) CellEnd(); break;
  }
}

void TVLRTFTableImport::ItemAdded(TCustomVLData* doc) {
  if (FStack.empty() || doc == P.HeaderVLData || doc == P.FooterVLData) return;
  TTableInfo& info = *FStack.back();
  if (auto* cell = dynamic_cast<TVLTableCellData*>(doc); cell && cell->GetTable() == info.RowTable.get())
    info.RowEnded = false;
}

TVLTableCellData* TVLRTFTableImport::ScratchCell(TTableInfo& info, Integer col) {
  // A row may name more cells than it filled.
  return col >= 0 && col < info.RowTable->ColCount() ? info.RowTable->GetCell(0, col) : nullptr;
}

void TVLRTFTableImport::TableStart() {
  auto info = std::make_unique<TTableInfo>();
  info->Table = TVLTableItemInfo::CreateEx(0, 0, P.CurrentData);
  info->Table->BeforeLoading(2);
  if (P.PageBreakPending && P.PageBreakData == P.CurrentData) {
    info->Table->SetPageBreakBefore(true);
    P.PageBreakPending = false;
  }
  TVLTableItemInfo& t = *info->Table;
  t.Color = clNone;
  t.BorderStyle = vltbRaisedColor;
  t.CellBorderStyle = vltbLoweredColor;
  t.CellBorderColor = t.BorderColor = t.BorderLightColor = t.CellBorderLightColor = clWindowText;
  info->RowTable = TVLTableItemInfo::CreateEx(1, 1, P.CurrentData);
  info->RowTable->BeforeLoading(2);
  info->StartData = P.CurrentData;
  info->SavedRow = P.CurrentRow;
  info->SavedCol = P.CurrentCol;
  info->RowEnded = true;
  P.CurrentRow = P.CurrentCol = 0;
  TVLTableCellData* cell = info->RowTable->GetCell(0, 0);
  cell->Clear();
  P.CurrentData = cell;
  P.Style = cell->GetStyle();
  FStack.push_back(std::move(info));
}

void TVLRTFTableImport::CellEnd() {
  TTableInfo& info = *FStack.back();
  if (P.CurrentData->GetItemCount() == 0) {
    P.ReaderNewText(P.Reader, AnsiString(), rtf_ts_NewPara);
    P.ReaderUpdateMarker(P.Reader);
  }
  if (P.CurrentCol + 1 >= MaxScratchCells) return;
  ++P.CurrentCol;
  if (info.RowTable->ColCount() == P.CurrentCol) info.RowTable->InsertCols(P.CurrentCol, 1, -1, false);
  info.UsedScratchCells = std::max(info.UsedScratchCells, P.CurrentCol + 1);
  TVLTableCellData* cell = ScratchCell(info, P.CurrentCol);
  cell->Clear();
  P.CurrentData = cell;
}

void TVLRTFTableImport::ContinueInANewTable() {
  TTableInfo& old = *FStack.back();
  std::unique_ptr<TVLTableItemInfo> rowTable = std::move(old.RowTable);
  const Integer usedScratch = old.UsedScratchCells, col = P.CurrentCol;
  // Nothing is left after the old table's last row.
  old.RowTable = TVLTableItemInfo::CreateEx(1, 1, old.StartData);
  old.RowTable->BeforeLoading(2);
  old.UsedScratchCells = 1;
  old.RowEnded = true;
  TableEnd();
  TableStart();
  TTableInfo& next = *FStack.back();
  next.RowTable = std::move(rowTable);
  next.UsedScratchCells = usedScratch;
  next.RowEnded = false;
  P.CurrentCol = col;
  P.CurrentData = ScratchCell(next, col);
  if (!P.CurrentData) P.CurrentData = ScratchCell(next, 0);
  P.Style = P.CurrentData->GetStyle();
}

Int64 TVLRTFTableImport::ColumnsWithRow(const TTableInfo& info, const TVLRTFRowProperties& row) {
  // Only the row's edges add columns: cells past the ones it defines (the
  // one opened after its last cell among them) share its last cell. Its
  // edges are further apart than the tolerance, so each edge not near one
  // of the table's is a column more.
  const std::vector<Integer> edges = RowEdges(row);
  const Int64 cols = info.Table->ColCount();
  if (info.CellEdges.empty()) return std::max<Int64>(cols, static_cast<Int64>(edges.size()) - 1);
  return cols + std::count_if(edges.begin(), edges.end(), [&info](Integer x) {
           return !NearEdge(info.CellEdges, FindEdge(info.CellEdges, x), x);
         });
}

void TVLRTFTableImport::RowEnd() {
  {
    // A table holds no more cells than a saved document reads back: rows
    // past that go on in a table of their own.
    TTableInfo& info = *FStack.back();
    const Int64 rows = info.Table->RowCount();
    if (rows > 0 && (rows + 1) * ColumnsWithRow(info, P.Reader->RTFState.GetRowProperties()) > VLTableMaxCells)
      ContinueInANewTable();
  }
  TTableInfo& info = *FStack.back();
  FinishRow(info);
  info.RowEnded = true;
  ++P.CurrentRow;
  P.CurrentCol = 0;
  info.RowTable->Rows.Reset(1, 1);
  info.UsedScratchCells = 1;
  TVLTableCellData* cell = ScratchCell(info, 0);
  cell->Clear();
  P.CurrentData = cell;
}

void TVLRTFTableImport::MakeFiller(TVLTableItemInfo& table, Integer row, Integer col) {
  TVLTableCellData* cell = table.GetCell(row, col);
  if (!cell) return;
  cell->VisibleBorders.SetAll(false);
  cell->Clear();
  cell->AddTextItem("", P.GetCellTextStyleNo(), P.GetDefaultParaNo(vlaLeft));
}

void TVLRTFTableImport::SplitColumn(TVLTableItemInfo& table, Integer k) {
  std::set<TVLTableCellData*> widened;
  std::vector<TVLTableCellData*> mains;
  // The row being laid (the last) gets a cell of its own.
  const Integer last = table.RowCount() - 1;
  for (Integer r = 0; r < table.RowCount(); ++r) {
    if (r == last) {
      mains.push_back(nullptr);
      continue;
    }
    Integer mr, mc;
    TVLTableCellData* main = table.Rows.GetMainCell(r, k - 1, mr, mc);
    mains.push_back(main);
  }
  for (Integer r = 0; r < table.RowCount(); ++r) {
    auto& cells = table.Rows.GetRow(r)->Cells;
    cells.insert(cells.begin() + k, nullptr);
    TVLTableCellData* main = mains[static_cast<size_t>(r)];
    if (!main) {
      cells[static_cast<size_t>(k)] = std::make_unique<TVLTableCellData>(&table);
    } else if (widened.insert(main).second) {
      ++main->ColSpan;
    }
  }
}

void TVLRTFTableImport::ApplyCellProps(TTableInfo& info, TVLTableCellData& cell, const TVLRTFCellProperties& c,
                                       const TVLRTFRowProperties& row, Integer s, Integer e) {
  cell.Color = c.BackColor == rtf_clNone ? clNone : c.BackColor;
  if (info.PixelMode)
    cell.BestHeight = c.Height;
  else if (row.Height > 0)
    cell.BestHeight = P.Twips(row.Height);
  const TVLRTFBorderSide* sides[4];
  for (Integer i = 0; i < 4; ++i) {
    sides[i] = c.Border.HasLine(i) ? c.Border.SideOrNil(i) : nullptr;
    if (sides[i]) {
      info.CellBorderSum += sides[i]->Width;
      ++info.CellBorderCount;
    }
  }
  cell.VisibleBorders.SetValues(sides[0] != nullptr, sides[1] != nullptr, sides[2] != nullptr, sides[3] != nullptr);
  auto colorOf = [](const TVLRTFBorderSide* side) {
    return side && side->Color != rtf_clNone ? (side->Color == rtf_clAuto ? clWindowText : side->Color) : clNone;
  };
  cell.BorderColor = sides[0] ? colorOf(sides[0]) : colorOf(sides[1]);
  cell.BorderLightColor = sides[2] ? colorOf(sides[2]) : colorOf(sides[3]);
  if (!(cell.BorderColor == cell.BorderLightColor || cell.BorderColor == clNone || cell.BorderLightColor == clNone))
    info.SingleColourCellBorders = false;
  if (info.PixelMode) {
    cell.BestWidth = c.Width;
  } else {
    info.CellWidthsGiven = info.CellWidthsGiven || c.Width != 0;
    if (info.CellWidthsGiven)
      cell.BestWidth = c.Width < 1 ? c.Width / 50 : P.Twips(c.Width);
    else if (e < static_cast<Integer>(info.CellEdges.size()) && s >= 0)
      cell.BestWidth = P.Twips(info.CellEdges[static_cast<size_t>(e)] - info.CellEdges[static_cast<size_t>(s)]);
  }
  cell.VAlign = c.VAlign == 1 ? vlcBottom : c.VAlign == 2 ? vlcMiddle : vlcTop;
}

void TVLRTFTableImport::FinishRow(TTableInfo& info) {
  TVLTableItemInfo& table = *info.Table;
  TVLRTFRowProperties& row = P.Reader->RTFState.GetRowProperties();
  const Integer r = table.RowCount();
  table.InsertRows(r, 1, -1, false);

  if (row.Heading) table.HeadingRowCount = table.RowCount();
  if (row.AlignmentGiven) info.RowAlignment = row.Alignment;
  // Spacing and padding bookkeeping, in twips.
  const bool defined[4] = {row.SpacingTwips[0], row.SpacingTwips[1], row.SpacingTwips[2], row.SpacingTwips[3]};
  if (defined[1]) {
    if (r == 0)
      info.TopSpacing = row.Spacing[1];
    else
      info.VSpacingSum += row.Spacing[1];
  }
  info.VSpacingSum += r > 0 ? info.LastBottomSpacing : 0;
  info.HSpacingGiven = info.HSpacingGiven || defined[0] || defined[2];
  info.VSpacingGiven = info.VSpacingGiven || defined[1] || defined[3];
  if (defined[3]) info.LastBottomSpacing = row.Spacing[3];
  for (Integer side : {0, 2}) {
    if (defined[side])
      info.HSpacingSum += row.Spacing[static_cast<size_t>(side)];
    else
      info.HSpacingSum += row.PaddingTwips[static_cast<size_t>(side)] ? row.Gap - row.Padding[static_cast<size_t>(side)] : row.Gap;
  }
  for (Integer side = 0; side < 4; ++side) {
    if (row.Border.HasLine(side)) {
      info.RowBorderSum += row.Border.SideOrNil(side)->Width;
      ++info.RowBorderCount;
    }
    if (row.PaddingTwips[static_cast<size_t>(side)]) info.PaddingSum += row.Padding[static_cast<size_t>(side)];
    ++info.PaddingCount;
  }
  if (row.HasOwnSizes) {
    info.Width = row.Width;
    info.PixelMode = true;
  } else if ((info.Width <= 0 && row.Width < info.Width) || (info.Width >= 0 && row.Width > info.Width)) {
    info.Width = row.Width;
  }
  auto sideColor = [&row](Integer a, Integer b) -> const TVLRTFBorderSide* {
    if (const TVLRTFBorderSide* s = row.Border.SideOrNil(a)) return s;
    return row.Border.SideOrNil(b);
  };
  if (const TVLRTFBorderSide* s = sideColor(2, 3); s && s->Color != rtf_clNone)
    table.BorderLightColor = s->Color == rtf_clAuto ? clWindowText : s->Color;
  if (const TVLRTFBorderSide* s = sideColor(0, 1); s && s->Color != rtf_clNone)
    table.BorderColor = s->Color == rtf_clAuto ? clWindowText : s->Color;

  const std::vector<Integer> edges = RowEdges(row);
  auto findEdge = [&info](Integer x) { return FindEdge(info.CellEdges, x); };
  auto near = [&info](Integer e, Integer x) { return NearEdge(info.CellEdges, e, x); };
  if (info.CellEdges.empty()) {
    info.CellEdges = edges;
    table.InsertCols(0, static_cast<Integer>(edges.size()) - 1, -1, false);
  } else {
    for (Integer x : edges) {
      const Integer e = findEdge(x);
      if (near(e, x)) continue;
      const Integer columns = table.ColCount();
      if (e == 0) {
        info.CellEdges.insert(info.CellEdges.begin(), x);
        table.InsertCols(0, 1, -1, false);
        if (r > 0 && table.MergeCells(0, 0, 1, r)) MakeFiller(table, 0, 0);
      } else if (e == static_cast<Integer>(info.CellEdges.size())) {
        info.CellEdges.push_back(x);
        table.InsertCols(columns, 1, -1, false);
        if (r > 0 && table.MergeCells(0, columns, 1, r)) MakeFiller(table, 0, columns);
      } else {
        info.CellEdges.insert(info.CellEdges.begin() + e, x);
        SplitColumn(table, e);
      }
    }
  }
  // Lay the row's cells over the grid.
  const Integer cols = static_cast<Integer>(info.CellEdges.size()) - 1;
  const Integer first = findEdge(edges.front());
  if (first > 0 && table.MergeCells(r, 0, first, 1)) MakeFiller(table, r, 0);
  Integer col = first;
  const Integer cellCount = static_cast<Integer>(row.Cells.size());
  Integer i = 0;
  // A vertical merge takes the columns of the cell above it: the row's
  // cells that end within them are covered, not the columns after them.
  Integer coveredTo = -1;
  TVLTableCellData* coveredBy = nullptr;
  for (; i < cellCount && col < cols; ++i) {
    const TVLRTFCellProperties& c = *row.Cells[static_cast<size_t>(i)];
    if (coveredBy && findEdge(edges[static_cast<size_t>(i) + 1]) <= coveredTo) {
      if (TVLTableCellData* from = ScratchCell(info, i); from && !VLTableCellHoldsNothing(*from)) coveredBy->MoveItemsFrom(from);
      continue;
    }
    coveredBy = nullptr;
    Integer end = std::clamp(findEdge(edges[static_cast<size_t>(i) + 1]), col + 1, cols);
    if (c.HMerge == 2 && col > 0) {
      Integer mr, mc;
      if (TVLTableCellData* prev = table.Rows.GetMainCell(r, col - 1, mr, mc); prev && mr == r) {
        table.Rows.MergeCells(mr, mc, end - mc, 1, true);
        if (TVLTableCellData* from = ScratchCell(info, i); from && !VLTableCellHoldsNothing(*from))
          prev->MoveItemsFrom(from);
        col = end;
        continue;
      }
    }
    if (end - col > 1) table.Rows.MergeCells(r, col, end - col, 1, true);
    if (c.VMerge == 2 && r > 0) {
      Integer mr, mc;
      if (TVLTableCellData* above = table.Rows.GetMainCell(r - 1, col, mr, mc)) {
        const Integer span = std::max(above->ColSpan, end - mc);
        if (mc == col && table.Rows.MergeCells(mr, mc, span, r - mr + 1, true)) {
          if (TVLTableCellData* from = ScratchCell(info, i); from && !VLTableCellHoldsNothing(*from)) above->MoveItemsFrom(from);
          col = mc + span;
          if (col > end) {
            coveredTo = col;
            coveredBy = above;
          }
          continue;
        }
      }
    }
    if (TVLTableCellData* cell = table.GetCell(r, col)) {
      ApplyCellProps(info, *cell, c, row, col, end);
      cell->Clear();
      if (TVLTableCellData* from = ScratchCell(info, i)) cell->MoveItemsFrom(from);
    }
    col = end;
  }
  if (col < table.ColCount() && table.MergeCells(r, col, table.ColCount() - col, 1)) MakeFiller(table, r, col);
  // Cells the row filled beyond the ones it defined keep their text in the
  // row's last cell.
  Integer mr, mc;
  TVLTableCellData* last = cols > 0 ? table.Rows.GetMainCell(r, cols - 1, mr, mc) : nullptr;
  for (; last && i < info.UsedScratchCells; ++i)
    if (TVLTableCellData* from = ScratchCell(info, i);
        from && !VLTableCellHoldsNothing(*from)) {
      if (last->GetItemCount() == 1 && last->GetItemTextA(0).empty()) last->Clear();
      last->MoveItemsFrom(from);
    }
}

void TVLRTFTableImport::FinishTable(TTableInfo& info) {
  TVLTableItemInfo& t = *info.Table;
  if (t.NormalizeGrid() && info.StartData) {
    TVLFWarnings w = info.StartData->GetVLFWarnings();
    w.Include(vlfwTableGridRepaired);
    info.StartData->SetVLFWarnings(w);
  }
  const double ppt = P.PixelsPerTwip;
  if (info.SingleColourCellBorders) t.CellBorderStyle = vltbColor;
  if (t.BorderColor == t.BorderLightColor) t.BorderStyle = vltbColor;
  t.CellPadding = info.PaddingCount ? RTFRound(info.PaddingSum * ppt / info.PaddingCount) : 0;
  const Integer textStyle = P.GetCellTextStyleNo();
  const Integer para = P.GetDefaultParaNo(vlaLeft);
  for (Integer r = 0; r < t.RowCount(); ++r)
    for (Integer c = 0; c < t.ColCount(); ++c)
      if (TVLTableCellData* cell = t.GetCell(r, c)) {
        if (!info.PixelMode && cell->BestWidth > 2 * t.CellPadding) cell->BestWidth -= 2 * t.CellPadding;
        if (cell->GetItemCount() == 0) cell->AddTextItem("", textStyle, para);
      }
  if (P.CollapseCellBorders && !(info.HSpacingGiven && info.VSpacingGiven))
    for (Integer r = 0; r < t.RowCount(); ++r)
      for (Integer c = 0; c < t.ColCount(); ++c) {
        TVLTableCellData* cell = t.GetCell(r, c);
        if (!cell) continue;
        Integer mr, mc;
        if (!info.HSpacingGiven && c > 0)
          if (TVLTableCellData* left = t.Rows.GetMainCell(r, c - 1, mr, mc); left && left->VisibleBorders.Right)
            cell->VisibleBorders.Left = false;
        if (!info.VSpacingGiven && r > 0)
          if (TVLTableCellData* up = t.Rows.GetMainCell(r - 1, c, mr, mc); up && up->VisibleBorders.Bottom)
            cell->VisibleBorders.Top = false;
      }
  const Integer rows = t.RowCount();
  if (info.VSpacingGiven) {
    if (rows > 1) t.CellVSpacing = RTFRound(info.VSpacingSum * ppt / (rows - 1));
    t.BorderVSpacing = RTFRound((info.TopSpacing + info.LastBottomSpacing) * ppt);
  } else {
    t.CellVSpacing = t.BorderVSpacing = -1;
  }
  t.CellHSpacing = info.HSpacingGiven && rows ? RTFRound(info.HSpacingSum * ppt / rows) : -1;
  t.BorderHSpacing = t.CellHSpacing;
  if (info.PixelMode) {
    t.BestWidth = info.Width;
  } else if (info.Width > 0) {
    const double border = info.RowBorderCount ? static_cast<double>(info.RowBorderSum) / info.RowBorderCount : 0;
    t.BestWidth = RTFRound((info.Width - border) * ppt);
  } else if (info.Width < 0) {
    t.BestWidth = info.Width / 50;
  } else if (P.TableWidthFromCellEdges && info.CellEdges.size() > 1) {
    t.BestWidth = P.Twips(info.CellEdges.back() - info.CellEdges.front());
  }
  auto average = [ppt](Integer sum, Integer count) {
    if (count <= 0) return 0;
    Integer w = RTFRound(static_cast<double>(sum) * ppt / count);
    if (w == 0 && sum / count >= 5) w = 1;
    return w;
  };
  t.CellBorderWidth = average(info.CellBorderSum, info.CellBorderCount);
  t.BorderWidth = average(info.RowBorderSum, info.RowBorderCount);
  if (!info.HSpacingGiven && !info.VSpacingGiven && t.BorderWidth == t.CellBorderWidth)
    t.BorderWidth = t.BorderHSpacing = t.BorderVSpacing = 0;
  if (P.AutoHideTableGridLines) t.Options.Include(vltoHideGridLines);
}

void TVLRTFTableImport::TableEnd() {
  if (FStack.empty()) return;
  std::unique_ptr<TTableInfo> info = std::move(FStack.back());
  FStack.pop_back();
  TCustomVLData* parent;
  if (FStack.empty()) {
    parent = P.CurrentDestination == rtf_hf_Header && P.HeaderVLData   ? P.HeaderVLData
             : P.CurrentDestination == rtf_hf_Footer && P.FooterVLData ? P.FooterVLData
                                                                       : P.Target;
    // A header or footer nobody asked for: the table goes where it started
    // (the discarded document), never into one of its own cells.
    if (P.CurrentDestination != rtf_hf_MainText && parent == P.Target && info->StartData) parent = info->StartData;
  } else {
    TTableInfo& outer = *FStack.back();
    parent = ScratchCell(outer, std::max(0, info->SavedCol));
    if (!parent) parent = ScratchCell(outer, 0);
  }
  FinishTable(*info);
  TCustomVLData* cellDoc = P.CurrentData;
  if (P.PageBreakPending && P.PageBreakData == cellDoc) P.PageBreakData = parent;
  const bool breakPending = P.PageBreakPending;
  TCustomVLData* breakData = P.PageBreakData;
  P.PageBreakPending = false;
  P.CurrentData = parent;
  P.Style = parent->GetStyle();
  P.CurrentRow = info->SavedRow;
  P.CurrentCol = info->SavedCol;
  TVLTableItemInfo& t = *info->Table;
  const Integer edgeCount = static_cast<Integer>(info->CellEdges.size());
  if (edgeCount > 0 && t.ColCount() > edgeCount - 1) t.DeleteCols(edgeCount - 1, t.ColCount() - edgeCount + 1, false);
  const Integer alignment = info->RowAlignment >= 0 ? info->RowAlignment : P.Reader->RTFState.ParaProps.Alignment;
  t.ParaNo = P.GetDefaultParaNo(static_cast<TVLAlignment>(std::clamp(alignment, 0, 3)));
  if (t.RowCount() > 0 && !t.Rows.IsEmpty()) {
    AnsiString text;
    P.AddItem(text, std::move(info->Table), rtf_ts_NewPara);
  }
  if (!info->RowEnded) {
    // Content after the last row ends up after the table, from every cell.
    P.InsideTableEnd = true;
    for (Integer c = 0; c < info->UsedScratchCells; ++c) {
      TVLTableCellData* cell = ScratchCell(*info, c);
      if (!cell) continue;
      while (cell->GetItemCount() > 0) {
        TCustomVLItemInfo* item = cell->GetItem(0);
        AnsiString text = cell->GetItemTextA(0);
        const bool continues = item->GetSameAsPrev();
        cell->Items->Delete(0);
        if (item->StyleNo == vlsListMarker) {
          cell->RemoveMarkerFromList(item, true);
        }
        std::unique_ptr<TCustomVLItemInfo> owned(item);
        P.AddItem(text, std::move(owned), continues ? rtf_ts_ContinuePara : rtf_ts_NewPara);
      }
    }
    P.InsideTableEnd = false;
    P.Lists->ForgetMarker();
  }
  P.PageBreakPending = breakPending;
  P.PageBreakData = breakData;
}

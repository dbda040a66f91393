#include "richtext/table/VLTable.h"
#include "richtext/view/VLControlData.h"

#include <algorithm>

namespace {
void InvalidateView(TCustomVLData* data) {
  if (auto* view = dynamic_cast<TVLControlData*>(data ? data->GetAbsoluteRootData() : nullptr)) view->Invalidate();
}
}  // namespace

TCustomVLFormattedData* TVLTableItemInfo::SelectingDocument() const {
  auto* doc = dynamic_cast<TCustomVLFormattedData*>(FVLData);
  if (!doc || !doc->GetOptions().Contains(vloAllowSelection)) return nullptr;
  return doc;
}

void TVLTableItemInfo::Select(Integer startRow, Integer startCol, Integer colOffset, Integer rowOffset) {
  TCustomVLFormattedData* doc = SelectingDocument();
  if (!doc || Rows.IsEmpty()) return;
  // An anchor or corner off the grid would make every later query wrong.
  const Integer R = RowCount(), C = ColCount();
  startRow = std::clamp(startRow, 0, R - 1);
  startCol = std::clamp(startCol, 0, C - 1);
  rowOffset = std::clamp(startRow + rowOffset, 0, R - 1) - startRow;
  colOffset = std::clamp(startCol + colOffset, 0, C - 1) - startCol;
  if (CloseCellEditor) CloseCellEditor(true);
  doc->SetActiveItem(this);
  FCellsSelected = true;
  SelStartRow = startRow;
  SelStartCol = startCol;
  SelRowOffset = rowOffset;
  SelColOffset = colOffset;
  UpdateCellsSelectedState();
  InvalidateView(FVLData);
}

void TVLTableItemInfo::SelectRows(Integer startRow, Integer count) {
  if (startRow < 0 || startRow >= RowCount() || count < 1) return;
  Select(startRow, 0, Rows.GetRow(startRow)->Count() - 1, count - 1);
}

void TVLTableItemInfo::SelectCols(Integer startCol, Integer count) {
  if (startCol < 0 || startCol >= ColCount() || count < 1) return;
  Select(0, startCol, count - 1, RowCount() - 1);
}

void TVLTableItemInfo::ForgetCellSelection() {
  if (!FCellsSelected && !FSelecting && SelStartRow < 0) return;
  FCellsSelected = FSelecting = false;
  SelStartRow = SelStartCol = -1;
  SelRowOffset = SelColOffset = 0;
  UpdateCellsSelectedState();
}

void TVLTableItemInfo::ClearCellSelection() {
  if (CloseCellEditor) CloseCellEditor(true);
  FCellsSelected = false;
  FSelecting = false;
  SelStartRow = SelStartCol = -1;
  SelRowOffset = SelColOffset = 0;
  UpdateCellsSelectedState();
  // Holding neither cells nor the caret, the table no longer takes the
  // document's keys.
  if (auto* doc = dynamic_cast<TCustomVLFormattedData*>(FVLData); doc && doc->ActiveItem == this && !FInplaceEditor)
    doc->SetActiveItem(nullptr);
  InvalidateView(FVLData);
}

bool TVLTableItemInfo::StartSelecting(Integer row, Integer col) {
  TCustomVLFormattedData* doc = SelectingDocument();
  if (!doc || row < 0 || row >= RowCount() || col < 0 || col >= ColCount()) return false;
  SelStartRow = row;
  SelStartCol = col;
  SelRowOffset = SelColOffset = 0;
  FCellsSelected = false;
  doc->SetActiveItem(this);
  UpdateCellsSelectedState();
  FSelecting = true;
  return true;
}

bool TVLTableItemInfo::GetNormalizedSelectionBounds(bool includeEditedCell, Integer& topRow, Integer& leftCol,
                                                    Integer& colCount, Integer& rowCount) {
  topRow = leftCol = -1;
  colCount = rowCount = 0;
  if (FCellsSelected && SelStartRow < 0) {
    FCellsSelected = false;
    FSelecting = false;
  }
  if (FCellsSelected) {
    Integer r1, c1, r2, c2;
    const TVLTableCellData* a = Rows.GetMainCell(SelStartRow, SelStartCol, r1, c1);
    const TVLTableCellData* b = Rows.GetMainCell(SelStartRow + SelRowOffset, SelStartCol + SelColOffset, r2, c2);
    if (!a || !b) return false;
    topRow = std::min(r1, r2);
    leftCol = std::min(c1, c2);
    const Integer bottom = std::max(r1 + a->RowSpan, r2 + b->RowSpan) - 1;
    const Integer right = std::max(c1 + a->ColSpan, c2 + b->ColSpan) - 1;
    rowCount = bottom - topRow + 1;
    colCount = right - leftCol + 1;
    return true;
  }
  if (includeEditedCell && FEditedRow >= 0 && FEditedRow < RowCount() && FEditedCol >= 0 &&
      FEditedCol < ColCount()) {
    Integer r, c;
    const TVLTableCellData* cell = Rows.GetMainCell(FEditedRow, FEditedCol, r, c);
    if (!cell) return false;
    topRow = r;
    leftCol = c;
    rowCount = cell->RowSpan;
    colCount = cell->ColSpan;
    return true;
  }
  return false;
}

bool TVLTableItemInfo::IsCellSelected(Integer row, Integer col) const {
  if (!FCellsSelected || SelStartRow < 0) return false;
  Integer top, left, cols, rows;
  if (!const_cast<TVLTableItemInfo*>(this)->GetNormalizedSelectionBounds(false, top, left, cols, rows)) return false;
  Integer r, c;
  const TVLTableCellData* cell = Rows.GetMainCell(row, col, r, c);
  if (!cell) return false;
  return r < top + rows && r + cell->RowSpan > top && c < left + cols && c + cell->ColSpan > left;
}

void TVLTableItemInfo::UpdateCellsSelectedState() {
  for (Integer r = 0; r < RowCount(); ++r)
    for (Integer c = 0; c < Rows.GetRow(r)->Count(); ++c) {
      TVLTableCellData* cell = Rows.GetRow(r)->GetCell(c);
      if (!cell) continue;
      cell->Selected = IsCellSelected(r, c);
      if (cell->Selected || (r == SelStartRow && c == SelStartCol)) continue;
      cell->Deselect(nullptr, false);
    }
}

// Structure operations of tables: merging, unmerging, splitting, inserting
// and deleting rows and columns, all built from a few grid primitives that
// record their own inverse, so that an operation is undone exactly.
#include "richtext/editor/VLEditData.h"
#include "richtext/model/VLMarkers.h"
#include "richtext/model/VLUni.h"
#include "richtext/table/VLTable.h"
#include "richtext/table/VLTableUndo.h"

#include "platform/base/Streams.h"

#include <algorithm>

namespace {

const char* const errIndex = "Invalid row or column index";

bool HoldsNothing(TCustomVLData& cell) {
  return cell.GetItemCount() == 0 ||
         (cell.GetItemCount() == 1 && cell.GetItem(0)->StyleNo >= 0 && cell.GetItemTextA(0).empty());
}

// Integer division that keeps a non-zero size non-zero (and its sign).
Integer DivideSize(Integer size, Integer parts) {
  const Integer v = size / std::max(1, parts);
  if (v == 0 && size > 0) return 1;
  if (v == 0 && size < 0) return -1;
  return v;
}

// Appends a copy of source's content to target (the undo record keeps the
// originals untouched).
void AppendCopy(TVLTableCellData& source, TVLTableCellData& target) {
  TMemoryStream stream;
  // A content that cannot be copied stops the merge before anything changed.
  if (!source.SaveVLFToStream(stream, false, clNone, nullptr, bsNoBitmap, nullptr))
    throw EVellumError("Cell content cannot be copied");
  stream.SetPosition(0);
  TVLTableCellData copy(source.GetTable());
  copy.Clear();
  TColor color = clNone;
  if (!copy.LoadVLFFromStream(stream, color, nullptr, nullptr, nullptr))
    throw EVellumError("Cell content cannot be copied");
  if (HoldsNothing(target)) target.Clear();
  target.MoveItemsFrom(&copy);
}

// Opens one undo group of the table's editor for a command and closes it,
// also when an exception passes; the command's steps become one record.
// Afterwards the table is laid out anew.
class TTableCommand {
public:
  // given: where the command was given, when its cell editor closed before.
  explicit TTableCommand(TVLTableItemInfo& table, const TVLTableItemInfo::TCaretCell* given = nullptr) : T(table) {
    // Where the command was given, before its cell editor closes: undone or
    // redone, the caret goes back there.
    const TVLTableItemInfo::TCaretCell at = given ? *given : T.CaretCell();
    if (T.CloseCellEditor) T.CloseCellEditor(true);
    // A table that no document holds yet (being read) records nothing.
    Edit = T.IsHosted() ? dynamic_cast<TVLEditVLData*>(T.GetVLData()) : nullptr;
    if (!Edit) return;
    ItemNo = Edit->GetItemNo(&T);
    if (ItemNo < 0) {
      Edit = nullptr;
      return;
    }
    Edit->BeginUndoSequence(vlutModifyItem, true);
    Edit->SetUndoGroupMode(true);
    TVLTableItemInfo::NoteCaretCell(Edit, ItemNo, at);
    Edit->SaveItemParaWidth(ItemNo, Width);
    // A command inside another adds to the outer one's record.
    if (!T.RecordsUndo() && Edit->GetRecordingUndoList()) {
      Record = std::make_unique<TVLUndoTableStructure>();
      Collector = std::make_unique<TVLTableItemInfo::TUndoCollector>(T, Record.get());
    }
  }
  ~TTableCommand() {
    T.Changed();
    if (!Edit) return;
    // Steps done before an exception stay done, and undoable.
    Commit();
    Edit->SetUndoGroupMode(false);
  }
  TTableCommand(const TTableCommand&) = delete;
  TTableCommand& operator=(const TTableCommand&) = delete;
  // After a command that went through: the record is in the undo list, the
  // editor lays the table out and hears of the change.
  void Finish() {
    T.Changed();
    if (!Edit) return;
    Commit();
    if (Edit->DrawItems.Count() > 0) Edit->ReformatAfterItemChange(ItemNo, Width);
    Edit->NotifyChange(true);
  }

  void Commit() {
    Collector.reset();
    if (Record && !Record->Steps.empty())
      if (TVLUndoList* list = Edit->GetRecordingUndoList()) {
        Record->Action = vlumModifyItem;
        Record->ItemNo = ItemNo;
        Record->W = Width;
        list->AddInfo(std::move(Record));
      }
    Record.reset();
  }

  TVLTableItemInfo& T;
  TVLEditVLData* Edit = nullptr;
  Integer ItemNo = -1;
  Integer Width = 0;
  std::unique_ptr<TVLUndoTableStructure> Record;
  std::unique_ptr<TVLTableItemInfo::TUndoCollector> Collector;
};

}  // namespace

// ---------------------------------------------------------------------------
// Attributes

TVLCellAttributes TVLCellAttributes::Of(const TVLTableCellData& cell) {
  TVLCellAttributes a;
  a.Color = cell.Color;
  a.BorderColor = cell.BorderColor;
  a.BorderLightColor = cell.BorderLightColor;
  a.BestWidth = cell.BestWidth;
  a.BestHeight = cell.BestHeight;
  a.Left = cell.VisibleBorders.Left;
  a.Top = cell.VisibleBorders.Top;
  a.Right = cell.VisibleBorders.Right;
  a.Bottom = cell.VisibleBorders.Bottom;
  a.VAlign = cell.VAlign;
  a.RowSpan = cell.RowSpan;
  a.ColSpan = cell.ColSpan;
  return a;
}

void TVLCellAttributes::ApplyTo(TVLTableCellData& cell) const {
  cell.Color = Color;
  cell.BorderColor = BorderColor;
  cell.BorderLightColor = BorderLightColor;
  cell.BestWidth = BestWidth;
  cell.BestHeight = BestHeight;
  cell.VisibleBorders.SetValues(Left, Top, Right, Bottom);
  cell.VAlign = VAlign;
  cell.RowSpan = RowSpan;
  cell.ColSpan = ColSpan;
}

// ---------------------------------------------------------------------------
// Primitives

Integer TVLTableItemInfo::GetUndoItemNo() const {
  auto* edit = dynamic_cast<TVLEditVLData*>(FVLData);
  if (!edit || edit->UndoList->Limit == 0) return -1;
  return edit->GetItemNo(this);
}

void TVLTableItemInfo::AddUndoStep(std::unique_ptr<TVLTableUndoStep> step) {
  if (FCollector) FCollector->Steps.push_back(std::move(step));
}

void TVLTableItemInfo::DetachCell(TVLTableCellData& cell) {
  cell.Selected = false;
  cell.Deselect(nullptr, false);
  ShareCellMarkers(cell, false);
  for (Integer i = 0; i < cell.GetItemCount(); ++i) cell.GetItem(i)->MovingToUndoList(i, &cell, nullptr);
  cell.SetTable(nullptr);
}

void TVLTableItemInfo::AttachCell(TVLTableCellData& cell) {
  cell.SetTable(this);
  // The cell joins the list before its inner tables come back: a table
  // coming back puts its markers after the marker before it, which must be
  // counted already (else they go to the list's start).
  if (IsPlaced()) ShareCellMarkers(cell, true);
  for (Integer i = 0; i < cell.GetItemCount(); ++i) cell.GetItem(i)->MovingFromUndoList(i, &cell);
}

void TVLTableItemInfo::ExchangeCell(Integer row, Integer col, std::unique_ptr<TVLTableCellData>& cell) {
  if (row < 0 || row >= RowCount() || col < 0 || col >= Rows.GetRow(row)->Count()) throw EVellumError(errIndex);
  auto& slot = Rows.GetRow(row)->Cells[static_cast<size_t>(col)];
  std::swap(slot, cell);
  if (slot) AttachCell(*slot);
  if (!RecordsUndo()) {
    if (cell) ShareCellMarkers(*cell, false);
    cell.reset();
    return;
  }
  // A covered position that receives a cell is recorded too: its undo
  // covers it again.
  if (cell) DetachCell(*cell);
  auto r = std::make_unique<TVLUndoTableCell>();
  r->Row = row;
  r->Col = col;
  r->Cell = std::move(cell);
  AddUndoStep(std::move(r));
}

void TVLTableItemInfo::SetCellAttributes(Integer row, Integer col, const TVLCellAttributes& value) {
  TVLTableCellData* cell = GetCell(row, col);
  if (!cell) throw EVellumError(errIndex);
  const TVLCellAttributes old = TVLCellAttributes::Of(*cell);
  if (old == value) return;
  if (RecordsUndo()) {
    auto r = std::make_unique<TVLUndoCellAttributes>();
    r->Row = row;
    r->Col = col;
    r->Value = old;
    AddUndoStep(std::move(r));
  }
  value.ApplyTo(*cell);
}

void TVLTableItemInfo::InsertPositions(Integer firstRow, Integer rowCount, Integer col, Integer count,
                                       std::vector<std::unique_ptr<TVLTableCellData>> cells) {
  if (firstRow < 0 || rowCount < 0 || firstRow + rowCount > RowCount() || count < 0) throw EVellumError(errIndex);
  for (Integer r = firstRow; r < firstRow + rowCount; ++r)
    if (col < 0 || col > Rows.GetRow(r)->Count()) throw EVellumError(errIndex);
  cells.resize(static_cast<size_t>(rowCount * count));
  size_t k = 0;
  for (Integer r = firstRow; r < firstRow + rowCount; ++r) {
    auto& row = Rows.GetRow(r)->Cells;
    for (Integer n = 0; n < count; ++n, ++k) row.insert(row.begin() + col + n, std::move(cells[k]));
  }
  SyncColCount();
  // Attached in their places, so that their list markers find their order.
  for (Integer r = firstRow; r < firstRow + rowCount; ++r)
    for (Integer n = 0; n < count; ++n)
      if (TVLTableCellData* cell = Rows.GetRow(r)->GetCell(col + n)) AttachCell(*cell);
  if (RecordsUndo()) {
    auto r = std::make_unique<TVLUndoTablePositions>();
    r->FirstRow = firstRow;
    r->RowCount = rowCount;
    r->Col = col;
    r->Count = count;
    AddUndoStep(std::move(r));
  }
}

void TVLTableItemInfo::RemovePositions(Integer firstRow, Integer rowCount, Integer col, Integer count) {
  if (firstRow < 0 || rowCount < 0 || firstRow + rowCount > RowCount() || count < 0) throw EVellumError(errIndex);
  for (Integer r = firstRow; r < firstRow + rowCount; ++r)
    if (col < 0 || col + count > Rows.GetRow(r)->Count()) throw EVellumError(errIndex);
  const bool record = RecordsUndo();
  std::vector<std::unique_ptr<TVLTableCellData>> kept;
  for (Integer r = firstRow; r < firstRow + rowCount; ++r) {
    auto& row = Rows.GetRow(r)->Cells;
    for (Integer n = 0; n < count; ++n) {
      auto& slot = row[static_cast<size_t>(col + n)];
      if (slot && record) DetachCell(*slot);
      else if (slot) ShareCellMarkers(*slot, false);
      kept.push_back(std::move(slot));
    }
    row.erase(row.begin() + col, row.begin() + col + count);
  }
  SyncColCount();
  if (!record) return;
  auto r = std::make_unique<TVLUndoTablePositions>();
  r->Insert = true;
  r->FirstRow = firstRow;
  r->RowCount = rowCount;
  r->Col = col;
  r->Count = count;
  r->Cells = std::move(kept);
  AddUndoStep(std::move(r));
}

void TVLTableItemInfo::InsertRowObjects(Integer index, std::vector<std::unique_ptr<TVLTableRow>> rows) {
  if (index < 0 || index > RowCount()) throw EVellumError(errIndex);
  const Integer count = static_cast<Integer>(rows.size());
  Rows.Rows.insert(Rows.Rows.begin() + index, std::make_move_iterator(rows.begin()),
                   std::make_move_iterator(rows.end()));
  SyncColCount();
  for (Integer r = index; r < index + count; ++r)
    for (auto& cell : Rows.GetRow(r)->Cells)
      if (cell) AttachCell(*cell);
  if (RecordsUndo()) {
    auto r = std::make_unique<TVLUndoTableRows>();
    r->Index = index;
    r->Count = count;
    AddUndoStep(std::move(r));
  }
}

void TVLTableItemInfo::RemoveRowObjects(Integer index, Integer count) {
  if (index < 0 || count < 0 || index + count > RowCount()) throw EVellumError(errIndex);
  const bool record = RecordsUndo();
  std::vector<std::unique_ptr<TVLTableRow>> kept;
  for (Integer r = index; r < index + count; ++r) {
    auto& row = Rows.Rows[static_cast<size_t>(r)];
    for (auto& cell : row->Cells)
      if (cell && record) DetachCell(*cell);
      else if (cell) ShareCellMarkers(*cell, false);
    kept.push_back(std::move(row));
  }
  Rows.Rows.erase(Rows.Rows.begin() + index, Rows.Rows.begin() + index + count);
  if (!record) return;
  auto r = std::make_unique<TVLUndoTableRows>();
  r->Insert = true;
  r->Index = index;
  r->Count = count;
  r->Rows = std::move(kept);
  AddUndoStep(std::move(r));
}

std::unique_ptr<TVLTableCellData> TVLTableItemInfo::NewCellLike(const TVLTableCellData* model) {
  auto cell = std::make_unique<TVLTableCellData>(this);
  if (model) cell->AssignAttributesFrom(*model, false, 1, 1);
  return cell;
}

// ---------------------------------------------------------------------------
// Merging

bool TVLTableItemInfo::ClampMergeRect(Integer top, Integer left, Integer& colSpan, Integer& rowSpan) const {
  if (top < 0 || left < 0 || top >= RowCount() || left >= ColCount()) throw EVellumError(errIndex);
  rowSpan = std::min(rowSpan, RowCount() - top);
  colSpan = std::min(colSpan, Rows.GetRow(top)->Count() - left);
  if (colSpan < 2 && rowSpan < 2) return false;
  if (colSpan < 1 || rowSpan < 1) throw EVellumError("Parameters for cell merging are not correct");
  const TVLTableCellData* cell = Rows.GetRow(top)->GetCell(left);
  if (!cell) return false;
  return cell->RowSpan < rowSpan || cell->ColSpan < colSpan;
}

bool TVLTableItemInfo::CanMergeCells(Integer top, Integer left, Integer colSpan, Integer rowSpan,
                                     bool skipRowColCheck) {
  if (Rows.IsEmpty() || !ClampMergeRect(top, left, colSpan, rowSpan)) return false;
  bool other = false;
  for (Integer r = top; r < top + rowSpan; ++r)
    for (Integer c = left; c < left + colSpan; ++c) {
      Integer mr, mc;
      const TVLTableCellData* cell = Rows.GetMainCell(r, c, mr, mc);
      if (!cell || mr < top || mc < left || mr + cell->RowSpan > top + rowSpan || mc + cell->ColSpan > left + colSpan)
        return false;
      if (mr != top || mc != left) other = true;
    }
  if (skipRowColCheck) return other;
  // No column or row may be left without a cell of its own.
  for (Integer c = left + 1; c < left + colSpan; ++c) {
    bool found = false;
    for (Integer r = 0; r < RowCount() && !found; ++r)
      found = (r < top || r >= top + rowSpan) && Rows.GetRow(r)->GetCell(c);
    if (!found) return false;
  }
  for (Integer r = top + 1; r < top + rowSpan; ++r) {
    bool found = false;
    for (Integer c = 0; c < Rows.GetRow(r)->Count() && !found; ++c)
      found = (c < left || c >= left + colSpan) && Rows.GetRow(r)->GetCell(c);
    if (!found) return false;
  }
  return true;
}

bool TVLTableItemInfo::DoMergeCells(Integer top, Integer left, Integer colSpan, Integer rowSpan,
                                    bool skipRowColCheck, bool updateBestWidth) {
  if (Rows.IsEmpty() || !ClampMergeRect(top, left, colSpan, rowSpan)) return false;
  if (!CanMergeCells(top, left, colSpan, rowSpan, skipRowColCheck)) {
    if (FVLData) FVLData->Beep();
    return false;
  }
  TVLTableCellData* main = GetCell(top, left);
  TVLCellAttributes merged = TVLCellAttributes::Of(*main);
  merged.ColSpan = colSpan;
  merged.RowSpan = rowSpan;
  if (updateBestWidth) {
    // Per row the cells' widths add up (percent when any is in percent);
    // of the rows, percent wins, then the largest value.
    Integer pixels = 0, percent = 0;
    for (Integer r = top; r < top + rowSpan; ++r) {
      Integer px = 0, pc = 0;
      for (Integer c = left; c < left + colSpan; ++c)
        if (const TVLTableCellData* cell = Rows.GetRow(r)->GetCell(c)) {
          if (cell->BestWidth < 0) pc += -cell->BestWidth;
          else px += cell->BestWidth;
        }
      if (pc > 0) percent = std::max(percent, pc);
      else pixels = std::max(pixels, px);
    }
    merged.BestWidth = percent > 0 ? -percent : pixels;
  }
  if (!RecordsUndo()) {
    for (Integer r = top; r < top + rowSpan; ++r)
      for (Integer c = left; c < left + colSpan; ++c) {
        auto& slot = Rows.GetRow(r)->Cells[static_cast<size_t>(c)];
        if (!slot || slot.get() == main) continue;
        if (!HoldsNothing(*slot)) {
          if (HoldsNothing(*main)) main->Clear();
          // The moved markers take their new places in the list.
          ShareCellMarkers(*slot, false);
          main->MoveItemsFrom(slot.get());
        }
        slot.reset();
      }
    merged.ApplyTo(*main);
    return true;
  }
  // Recorded: a new top-left cell takes copies of the contents, and the old
  // cells go into the undo records as they are.
  auto cell = NewCellLike(main);
  merged.ApplyTo(*cell);
  for (Integer r = top; r < top + rowSpan; ++r)
    for (Integer c = left; c < left + colSpan; ++c)
      if (TVLTableCellData* from = Rows.GetRow(r)->GetCell(c); from && (from == main || !HoldsNothing(*from)))
        AppendCopy(*from, *cell);
  for (Integer r = top + rowSpan - 1; r >= top; --r)
    for (Integer c = left + colSpan - 1; c >= left; --c)
      if ((r != top || c != left) && Rows.GetRow(r)->GetCell(c)) {
        std::unique_ptr<TVLTableCellData> none;
        ExchangeCell(r, c, none);
      }
  ExchangeCell(top, left, cell);
  return true;
}

bool TVLTableItemInfo::MergeCells(Integer top, Integer left, Integer colSpan, Integer rowSpan, bool skipRowColCheck) {
  if (Rows.IsEmpty()) return false;
  Integer cs = colSpan, rs = rowSpan;
  if (!ClampMergeRect(top, left, cs, rs)) return false;
  TTableCommand command(*this);
  const bool merged = DoMergeCells(top, left, colSpan, rowSpan, skipRowColCheck, true);
  if (merged) command.Finish();
  return merged;
}

// ---------------------------------------------------------------------------
// Unmerging

void TVLTableItemInfo::UnmergeColumnsOfRow(Integer row, Integer col, Integer width, Integer rowSpan) {
  TVLTableCellData* cell = GetCell(row, col);
  for (Integer c = col + 1; c < col + cell->ColSpan; ++c) {
    auto part = NewCellLike(cell);
    part->BestWidth = width;
    part->RowSpan = rowSpan;
    ExchangeCell(row, c, part);
  }
  TVLCellAttributes a = TVLCellAttributes::Of(*cell);
  a.ColSpan = 1;
  a.BestWidth = width;
  SetCellAttributes(row, col, a);
}

void TVLTableItemInfo::UnmergeCell(Integer row, Integer col, bool unmergeRows, bool unmergeCols) {
  TVLTableCellData* cell = GetCell(row, col);
  if (!cell) return;
  const Integer R = cell->RowSpan, S = cell->ColSpan;
  const Integer width = unmergeCols ? DivideSize(cell->BestWidth, S) : cell->BestWidth;
  if (unmergeRows && R > 1) {
    const Integer height = cell->BestHeight / R;
    for (Integer r = row + 1; r < row + R; ++r) {
      auto part = NewCellLike(cell);
      part->BestWidth = cell->BestWidth;
      part->BestHeight = height;
      part->ColSpan = S;
      ExchangeCell(r, col, part);
    }
    TVLCellAttributes a = TVLCellAttributes::Of(*cell);
    a.RowSpan = 1;
    a.BestHeight = height;
    SetCellAttributes(row, col, a);
    if (unmergeCols && S > 1)
      for (Integer r = row; r < row + R; ++r) UnmergeColumnsOfRow(r, col, width, 1);
  } else if (unmergeCols && S > 1) {
    UnmergeColumnsOfRow(row, col, width, R);
  }
}

void TVLTableItemInfo::UnmergeCells(Integer top, Integer left, Integer colSpan, Integer rowSpan, bool unmergeRows,
                                    bool unmergeCols) {
  if (Rows.IsEmpty() || (!unmergeRows && !unmergeCols)) return;
  if (top < 0 || left < 0 || top >= RowCount() || left >= ColCount()) throw EVellumError(errIndex);
  const Integer bottom = std::min(top + rowSpan, RowCount()) - 1;
  const Integer right = std::min(left + colSpan, ColCount()) - 1;
  TTableCommand command(*this);
  for (Integer r = bottom; r >= top; --r)
    for (Integer c = right; c >= left; --c)
      if (TVLTableCellData* cell = Rows.GetRow(r)->GetCell(c);
          cell && ((unmergeCols && cell->ColSpan != 1) || (unmergeRows && cell->RowSpan != 1)))
        UnmergeCell(r, c, unmergeRows, unmergeCols);
  command.Finish();
}

// ---------------------------------------------------------------------------
// Inserting

void TVLTableItemInfo::DoInsertRows(Integer index, Integer count, Integer copyIndex, bool divideHeights) {
  const Integer rows = RowCount(), cols = ColCount();
  if (index < 0 || index > rows || copyIndex < -1 || copyIndex >= rows) throw EVellumError(errIndex);
  if (count < 1) return;
  // Cells that start above the new rows and reach below them grow over them.
  std::vector<char> marked(static_cast<size_t>(cols), 0);
  if (index < rows)
    for (Integer c = cols - 1; c >= 0;) {
      Integer mr, mc;
      TVLTableCellData* cell = Rows.GetMainCell(index, c, mr, mc);
      if (!cell) {
        --c;
        continue;
      }
      if (mr < index) {
        for (Integer k = mc; k < mc + cell->ColSpan; ++k) marked[static_cast<size_t>(k)] = 1;
        TVLCellAttributes a = TVLCellAttributes::Of(*cell);
        a.RowSpan += count;
        SetCellAttributes(mr, mc, a);
      }
      c = mc - 1;
    }
  std::vector<std::unique_ptr<TVLTableRow>> fresh;
  for (Integer n = 0; n < count; ++n) {
    fresh.push_back(std::make_unique<TVLTableRow>(0, this));
    fresh.back()->Cells.resize(static_cast<size_t>(cols));
  }
  for (Integer c = 0; c < cols;) {
    if (marked[static_cast<size_t>(c)]) {
      ++c;
      continue;
    }
    TVLTableCellData* model = copyIndex >= 0 ? Rows.GetRow(copyIndex)->GetCell(c) : nullptr;
    if (!model) {
      for (auto& row : fresh) row->Cells[static_cast<size_t>(c)] = std::make_unique<TVLTableCellData>(this);
      ++c;
      continue;
    }
    if (divideHeights) {
      TVLCellAttributes a = TVLCellAttributes::Of(*model);
      a.BestHeight = a.BestHeight * a.RowSpan / (a.RowSpan + count);
      SetCellAttributes(copyIndex, c, a);
    }
    // The copy's span stops before a column that a grown cell covers.
    Integer span = 1;
    while (span < model->ColSpan && c + span < cols && !marked[static_cast<size_t>(c + span)]) ++span;
    for (auto& row : fresh) {
      auto cell = NewCellLike(model);
      cell->BestWidth = model->BestWidth;
      cell->BestHeight = model->BestHeight / std::max(1, model->RowSpan);
      cell->ColSpan = span;
      row->Cells[static_cast<size_t>(c)] = std::move(cell);
    }
    c += span;
  }
  InsertRowObjects(index, std::move(fresh));
}

void TVLTableItemInfo::DoInsertCols(Integer index, Integer count, Integer copyIndex, bool divideWidths) {
  const Integer rows = RowCount(), cols = ColCount();
  if (index < 0 || index > cols || copyIndex < -1 || copyIndex >= cols) throw EVellumError(errIndex);
  if (count < 1) return;
  if (rows == 0) {
    FCols = cols + count;
    return;
  }
  std::vector<char> marked(static_cast<size_t>(rows), 0);
  if (index < cols)
    for (Integer r = rows - 1; r >= 0;) {
      Integer mr, mc;
      TVLTableCellData* cell = Rows.GetMainCell(r, index, mr, mc);
      if (!cell) {
        --r;
        continue;
      }
      if (mc < index) {
        for (Integer k = mr; k < mr + cell->RowSpan; ++k) marked[static_cast<size_t>(k)] = 1;
        TVLCellAttributes a = TVLCellAttributes::Of(*cell);
        a.ColSpan += count;
        SetCellAttributes(mr, mc, a);
      }
      r = mr - 1;
    }
  std::vector<std::unique_ptr<TVLTableCellData>> cells(static_cast<size_t>(rows * count));
  auto at = [&](Integer r, Integer n) -> std::unique_ptr<TVLTableCellData>& {
    return cells[static_cast<size_t>(r * count + n)];
  };
  for (Integer r = 0; r < rows;) {
    if (marked[static_cast<size_t>(r)]) {
      ++r;
      continue;
    }
    TVLTableCellData* model = copyIndex >= 0 ? Rows.GetRow(r)->GetCell(copyIndex) : nullptr;
    if (!model) {
      for (Integer n = 0; n < count; ++n) at(r, n) = std::make_unique<TVLTableCellData>(this);
      ++r;
      continue;
    }
    if (divideWidths) {
      TVLCellAttributes a = TVLCellAttributes::Of(*model);
      a.BestWidth = a.BestWidth * a.ColSpan / (a.ColSpan + count);
      SetCellAttributes(r, copyIndex, a);
    }
    // The copy's span stops above a row that a grown cell covers.
    Integer span = 1;
    while (span < model->RowSpan && r + span < rows && !marked[static_cast<size_t>(r + span)]) ++span;
    for (Integer n = 0; n < count; ++n) {
      auto cell = NewCellLike(model);
      cell->BestWidth = model->BestWidth / std::max(1, model->ColSpan);
      cell->BestHeight = model->BestHeight;
      cell->RowSpan = span;
      at(r, n) = std::move(cell);
    }
    r += span;
  }
  InsertPositions(0, rows, index, count, std::move(cells));
}

void TVLTableItemInfo::InsertRows(Integer index, Integer count, Integer copyIndex, bool select) {
  if (index < 0 || index > RowCount() || copyIndex < -1 || copyIndex >= RowCount()) throw EVellumError(errIndex);
  if (count < 1) return;
  {
    TTableCommand command(*this);
    DoInsertRows(index, count, copyIndex, false);
    command.Finish();
  }
  if (select) SelectRows(index, count);
}

void TVLTableItemInfo::InsertCols(Integer index, Integer count, Integer copyIndex, bool select) {
  if (index < 0 || index > ColCount() || copyIndex < -1 || copyIndex >= ColCount()) throw EVellumError(errIndex);
  if (count < 1) return;
  {
    TTableCommand command(*this);
    DoInsertCols(index, count, copyIndex, false);
    command.Finish();
  }
  if (select) SelectCols(index, count);
}

// ---------------------------------------------------------------------------
// Deleting

void TVLTableItemInfo::DoDeleteRows(Integer index, Integer count, bool decrease) {
  const Integer rows = RowCount();
  count = std::min(count, rows - index);
  const Integer last = index + count - 1;
  // Cells that start in the deleted rows and reach below them leave their
  // lower part behind (empty: the content goes with the rows).
  for (Integer c = ColCount() - 1; c >= 0 && last + 1 < rows;) {
    Integer mr, mc;
    TVLTableCellData* cell = Rows.GetMainCell(last, c, mr, mc);
    if (!cell) {
      --c;
      continue;
    }
    if (mr >= index && mr + cell->RowSpan - 1 > last) {
      const Integer span = cell->RowSpan, P = mr + span - (last + 1);
      auto part = NewCellLike(cell);
      part->BestWidth = cell->BestWidth;
      part->ColSpan = cell->ColSpan;
      part->RowSpan = P;
      part->BestHeight = cell->BestHeight * P / span;
      TVLCellAttributes a = TVLCellAttributes::Of(*cell);
      if (decrease) a.BestHeight = a.BestHeight * (span - P) / span;
      a.RowSpan = span - P;
      SetCellAttributes(mr, mc, a);
      ExchangeCell(last + 1, mc, part);
    }
    c = mc - 1;
  }
  // Cells that start above lose the deleted rows.
  for (Integer c = ColCount() - 1; c >= 0;) {
    Integer mr, mc;
    TVLTableCellData* cell = Rows.GetMainCell(index, c, mr, mc);
    if (!cell) {
      --c;
      continue;
    }
    if (mr < index) {
      const Integer span = cell->RowSpan;
      const Integer S = mr + span - 1 > last ? span - count : index - mr;
      TVLCellAttributes a = TVLCellAttributes::Of(*cell);
      if (decrease) a.BestHeight = a.BestHeight * S / span;
      a.RowSpan = S;
      SetCellAttributes(mr, mc, a);
    }
    c = mc - 1;
  }
  RemoveRowObjects(index, count);
}

void TVLTableItemInfo::DoDeleteCols(Integer index, Integer count, bool decrease) {
  const Integer cols = ColCount();
  count = std::min(count, cols - index);
  const Integer last = index + count - 1;
  for (Integer r = RowCount() - 1; r >= 0 && last + 1 < cols;) {
    Integer mr, mc;
    TVLTableCellData* cell = Rows.GetMainCell(r, last, mr, mc);
    if (!cell) {
      --r;
      continue;
    }
    if (mc >= index && mc + cell->ColSpan - 1 > last) {
      const Integer span = cell->ColSpan, P = mc + span - (last + 1);
      auto part = NewCellLike(cell);
      part->BestHeight = cell->BestHeight;
      part->RowSpan = cell->RowSpan;
      part->ColSpan = P;
      part->BestWidth = cell->BestWidth * P / span;
      TVLCellAttributes a = TVLCellAttributes::Of(*cell);
      if (decrease) a.BestWidth = a.BestWidth * (span - P) / span;
      a.ColSpan = span - P;
      SetCellAttributes(mr, mc, a);
      ExchangeCell(mr, last + 1, part);
    }
    r = mr - 1;
  }
  for (Integer r = RowCount() - 1; r >= 0;) {
    Integer mr, mc;
    TVLTableCellData* cell = Rows.GetMainCell(r, index, mr, mc);
    if (!cell) {
      --r;
      continue;
    }
    if (mc < index) {
      const Integer span = cell->ColSpan;
      const Integer S = mc + span - 1 > last ? span - count : index - mc;
      TVLCellAttributes a = TVLCellAttributes::Of(*cell);
      if (decrease) a.BestWidth = a.BestWidth * S / span;
      a.ColSpan = S;
      SetCellAttributes(mr, mc, a);
    }
    r = mr - 1;
  }
  RemovePositions(0, RowCount(), index, count);
}

void TVLTableItemInfo::DeleteRows(Integer index, Integer count, bool decreaseHeight) {
  if (Rows.IsEmpty()) return;
  if (index < 0 || index >= RowCount() || count < 1 || (index == 0 && count > RowCount()))
    throw EVellumError(errIndex);
  const Integer edited = FEditedRow, editedCol = FEditedCol;
  const Integer deleted = std::min(count, RowCount() - index);
  const TCaretCell at = CaretCell();
  ClearCellSelection();
  {
    TTableCommand command(*this, &at);
    DoDeleteRows(index, count, decreaseHeight);
    command.Finish();
  }
  // The chosen cell follows its row, or goes to the row that took the
  // deleted rows' place.
  FEditedRow = FEditedCol = -1;
  if (edited >= 0 && RowCount() > 0) {
    Integer row = edited > index + deleted - 1 ? edited - deleted : edited < index ? edited : index;
    row = std::min(row, RowCount() - 1);
    Integer mr, mc;
    if (Rows.GetMainCell(row, std::min(editedCol, ColCount() - 1), mr, mc)) {
      FEditedRow = mr;
      FEditedCol = mc;
    }
  }
}

void TVLTableItemInfo::DeleteCols(Integer index, Integer count, bool decreaseWidth) {
  if (Rows.IsEmpty()) return;
  if (index < 0 || index >= ColCount() || count < 1 || (index == 0 && count > ColCount()))
    throw EVellumError(errIndex);
  const Integer editedRow = FEditedRow, edited = FEditedCol;
  const Integer deleted = std::min(count, ColCount() - index);
  const TCaretCell at = CaretCell();
  ClearCellSelection();
  {
    TTableCommand command(*this, &at);
    DoDeleteCols(index, count, decreaseWidth);
    command.Finish();
  }
  FEditedRow = FEditedCol = -1;
  if (edited >= 0 && ColCount() > 0 && RowCount() > 0) {
    Integer col = edited > index + deleted - 1 ? edited - deleted : edited < index ? edited : index;
    col = std::min(col, ColCount() - 1);
    Integer mr, mc;
    if (Rows.GetMainCell(std::min(editedRow, RowCount() - 1), col, mr, mc)) {
      FEditedRow = mr;
      FEditedCol = mc;
    }
  }
}

// ---------------------------------------------------------------------------
// Splitting

Integer TVLTableItemInfo::SplitCellVertically(Integer row, Integer col, Integer parts) {
  if (parts < 2 || row < 0 || row >= RowCount() || col < 0 || col >= ColCount() || !GetCell(row, col)) return 0;
  TTableCommand command(*this);
  Integer added = 0;
  {
    const Integer S = GetCell(row, col)->ColSpan;
    if (S > 1) UnmergeCell(row, col, false, true);
    if (S > parts) {
      // Merged again into parts groups, the narrower ones on the left.
      for (Integer C = S, P = parts; C > 0 && P > 0; --P) {
        const Integer width = C / P;
        const Integer first = col + C - width;
        DoMergeCells(row, first, width, GetCell(row, first)->RowSpan, true, true);
        C -= width;
      }
    } else if (S < parts) {
      added = parts - S;
      for (Integer K = col + S - 1, P = parts, C = S; K >= col && P > 0 && C > 0; --K, --C) {
        const Integer share = P / C;
        P -= share;
        if (share < 2) continue;
        DoInsertCols(K, share - 1, K, true);
        // Every other row joins its new cells to its old one again.
        for (Integer r = RowCount() - 1; r >= 0;) {
          Integer mr, mc;
          TVLTableCellData* cell = Rows.GetMainCell(r, K, mr, mc);
          if (!cell) {
            --r;
            continue;
          }
          if (mr != row) {
            Integer lr, lc;
            const TVLTableCellData* lastCell = Rows.GetMainCell(mr, K + share - 1, lr, lc);
            if (lastCell) DoMergeCells(mr, mc, lc + lastCell->ColSpan - mc, cell->RowSpan, true, true);
          }
          r = mr - 1;
        }
      }
    }
  }
  command.Finish();
  return added;
}

Integer TVLTableItemInfo::SplitCellHorizontally(Integer row, Integer col, Integer parts) {
  if (parts < 2 || row < 0 || row >= RowCount() || col < 0 || col >= ColCount() || !GetCell(row, col)) return 0;
  TTableCommand command(*this);
  Integer added = 0;
  {
    const Integer S = GetCell(row, col)->RowSpan;
    if (S > 1) UnmergeCell(row, col, true, false);
    if (S > parts) {
      for (Integer C = S, P = parts; C > 0 && P > 0; --P) {
        const Integer height = C / P;
        const Integer first = row + C - height;
        DoMergeCells(first, col, GetCell(first, col)->ColSpan, height, true, true);
        C -= height;
      }
    } else if (S < parts) {
      added = parts - S;
      for (Integer K = row + S - 1, P = parts, C = S; K >= row && P > 0 && C > 0; --K, --C) {
        const Integer share = P / C;
        P -= share;
        if (share < 2) continue;
        DoInsertRows(K, share - 1, K, true);
        for (Integer c = ColCount() - 1; c >= 0;) {
          Integer mr, mc;
          TVLTableCellData* cell = Rows.GetMainCell(K, c, mr, mc);
          if (!cell) {
            --c;
            continue;
          }
          if (mc != col) {
            Integer lr, lc;
            const TVLTableCellData* lastCell = Rows.GetMainCell(K + share - 1, mc, lr, lc);
            if (lastCell) DoMergeCells(mr, mc, cell->ColSpan, lr + lastCell->RowSpan - mr, true, true);
          }
          c = mc - 1;
        }
      }
    }
  }
  command.Finish();
  return added;
}

bool TVLTableItemInfo::IsPlainBlock(Integer top, Integer left, Integer colSpan, Integer rowSpan) const {
  if (top < 0 || left < 0 || colSpan < 1 || rowSpan < 1 || top + rowSpan > RowCount() || left + colSpan > ColCount())
    return false;
  for (Integer r = top; r < top + rowSpan; ++r)
    for (Integer c = left; c < left + colSpan; ++c) {
      const TVLTableCellData* cell = Rows.GetRow(r)->GetCell(c);
      if (!cell || cell->ColSpan != 1 || cell->RowSpan != 1) return false;
    }
  return true;
}

Integer TVLTableItemInfo::SplitPlainBlockVertically(Integer top, Integer left, Integer colSpan, Integer rowSpan,
                                                    Integer parts) {
  if (!IsPlainBlock(top, left, colSpan, rowSpan)) return -1;
  const Integer count = parts - 1;
  for (Integer c = left + colSpan - 1; c >= left; --c) {
    // The block's cells end in the rightmost of their parts, the new empty
    // ones to their left sharing their width.
    std::vector<std::unique_ptr<TVLTableCellData>> fresh;
    fresh.reserve(static_cast<size_t>(rowSpan * count));
    for (Integer r = top; r < top + rowSpan; ++r) {
      TVLTableCellData* model = GetCell(r, c);
      TVLCellAttributes a = TVLCellAttributes::Of(*model);
      a.BestWidth = a.BestWidth / parts;
      SetCellAttributes(r, c, a);
      for (Integer n = 0; n < count; ++n) {
        auto cell = NewCellLike(model);
        cell->BestWidth = a.BestWidth;
        cell->BestHeight = model->BestHeight;
        fresh.push_back(std::move(cell));
      }
    }
    InsertPositions(top, rowSpan, c, count, std::move(fresh));
    // The other rows' positions go in after the column's cell, which grows
    // over them and keeps its content where it is.
    if (top > 0) InsertPositions(0, top, c + 1, count, {});
    if (top + rowSpan < RowCount()) InsertPositions(top + rowSpan, RowCount() - top - rowSpan, c + 1, count, {});
    Integer lastMain = -1, lastMainCol = -1;
    for (Integer r = 0; r < RowCount(); ++r) {
      if (r == top) r = top + rowSpan;
      if (r >= RowCount()) break;
      Integer mr, mc;
      TVLTableCellData* cell = Rows.GetRow(r)->GetCell(c);
      if (cell) {
        mr = r;
        mc = c;
      } else {
        cell = Rows.GetMainCell(r, c, mr, mc);
      }
      // A cell over several rows grows once.
      if (!cell || mr < r || (mr == lastMain && mc == lastMainCol)) continue;
      lastMain = mr;
      lastMainCol = mc;
      TVLCellAttributes a = TVLCellAttributes::Of(*cell);
      a.ColSpan += count;
      SetCellAttributes(mr, mc, a);
    }
  }
  return colSpan * count;
}

Integer TVLTableItemInfo::SplitPlainBlockHorizontally(Integer top, Integer left, Integer colSpan, Integer rowSpan,
                                                      Integer parts) {
  if (!IsPlainBlock(top, left, colSpan, rowSpan)) return -1;
  const Integer count = parts - 1;
  const Integer cols = ColCount();
  for (Integer r = top + rowSpan - 1; r >= top; --r) {
    // New rows go in above the row: the block's cells end in the bottom
    // part, with new empty cells above them sharing their height; a cell
    // of the other columns that starts in the row moves up to the first
    // new row and grows over the rest, and one that comes from above grows.
    std::vector<std::unique_ptr<TVLTableRow>> fresh;
    for (Integer n = 0; n < count; ++n) {
      fresh.push_back(std::make_unique<TVLTableRow>(0, this));
      fresh.back()->Cells.resize(static_cast<size_t>(cols));
      fresh.back()->VAlign = Rows.GetRow(r)->VAlign;
    }
    std::vector<Integer> moved;
    for (Integer c = 0; c < cols; ++c) {
      TVLTableCellData* cell = Rows.GetRow(r)->GetCell(c);
      if (c >= left && c < left + colSpan) {
        TVLCellAttributes a = TVLCellAttributes::Of(*cell);
        a.BestHeight = a.BestHeight / parts;
        SetCellAttributes(r, c, a);
        for (auto& row : fresh) {
          auto part = NewCellLike(cell);
          part->BestWidth = cell->BestWidth;
          part->BestHeight = a.BestHeight;
          row->Cells[static_cast<size_t>(c)] = std::move(part);
        }
      } else if (cell) {
        auto up = NewCellLike(cell);
        TVLCellAttributes a = TVLCellAttributes::Of(*cell);
        a.RowSpan += count;
        a.ApplyTo(*up);
        AppendCopy(*cell, *up);
        fresh.front()->Cells[static_cast<size_t>(c)] = std::move(up);
        moved.push_back(c);
      } else {
        Integer mr, mc;
        TVLTableCellData* main = Rows.GetMainCell(r, c, mr, mc);
        if (main && mr < r && mc == c) {
          TVLCellAttributes a = TVLCellAttributes::Of(*main);
          a.RowSpan += count;
          SetCellAttributes(mr, mc, a);
        }
      }
    }
    InsertRowObjects(r, std::move(fresh));
    // The moved cells' old places are covered now.
    for (Integer c : moved) {
      std::unique_ptr<TVLTableCellData> none;
      ExchangeCell(r + count, c, none);
    }
  }
  return rowSpan * count;
}

Integer TVLTableItemInfo::SplitCellsHorizontally(Integer top, Integer left, Integer colSpan, Integer rowSpan,
                                                 Integer parts) {
  if (parts < 2 || Rows.IsEmpty() || top < 0 || left < 0 || top >= RowCount() || left >= ColCount()) return 0;
  TTableCommand command(*this);
  if (const Integer added = SplitPlainBlockHorizontally(top, left, std::min(colSpan, ColCount() - left),
                                                        std::min(rowSpan, RowCount() - top), parts);
      added >= 0) {
    command.Finish();
    return added;
  }
  Integer total = 0;
  for (Integer r = std::min(top + rowSpan, RowCount()) - 1; r >= top; --r) {
    Integer added = 0;
    // The rows each cell of the row spans before the cells on its left are
    // split: one those splits grew over their new rows already has them.
    std::vector<Integer> spans;
    for (Integer c = left; c < std::min(left + colSpan, ColCount()); ++c) {
      const TVLTableCellData* cell = Rows.GetRow(r)->GetCell(c);
      spans.push_back(cell ? cell->RowSpan : 0);
    }
    for (Integer c = left; c < std::min(left + colSpan, ColCount()); ++c) {
      TVLTableCellData* cell = Rows.GetRow(r)->GetCell(c);
      if (!cell) continue;
      // Rows added for the cells on the left lie under this one: it takes
      // them in before it is split itself (never the cells below them).
      if (const Integer missing = added - (cell->RowSpan - spans[static_cast<size_t>(c - left)]); missing > 0) {
        Integer M = 0;
        const Integer below = r + cell->RowSpan;
        while (M < missing && below + M < RowCount() && Rows.GetRow(below + M)->GetCell(c)) ++M;
        if (M > 0) DoMergeCells(r, c, cell->ColSpan, cell->RowSpan + M, true, true);
      }
      added += SplitCellHorizontally(r, c, parts);
    }
    total += added;
  }
  command.Finish();
  return total;
}

Integer TVLTableItemInfo::SplitCellsVertically(Integer top, Integer left, Integer colSpan, Integer rowSpan,
                                               Integer parts) {
  if (parts < 2 || Rows.IsEmpty() || top < 0 || left < 0 || top >= RowCount() || left >= ColCount()) return 0;
  TTableCommand command(*this);
  if (const Integer added = SplitPlainBlockVertically(top, left, std::min(colSpan, ColCount() - left),
                                                      std::min(rowSpan, RowCount() - top), parts);
      added >= 0) {
    command.Finish();
    return added;
  }
  Integer total = 0;
  for (Integer c = std::min(left + colSpan, ColCount()) - 1; c >= left; --c) {
    Integer added = 0;
    for (Integer r = top; r < std::min(top + rowSpan, RowCount()); ++r) {
      TVLTableCellData* cell = Rows.GetRow(r)->GetCell(c);
      if (!cell) continue;
      if (added > 0) {
        Integer M = 0;
        const Integer right = c + cell->ColSpan;
        while (M < added && right + M < ColCount() && Rows.GetRow(r)->GetCell(right + M)) ++M;
        if (M > 0) DoMergeCells(r, c, cell->ColSpan + M, cell->RowSpan, true, true);
      }
      added += SplitCellVertically(r, c, parts);
    }
    total += added;
  }
  command.Finish();
  return total;
}

// ---------------------------------------------------------------------------
// Commands on the selection

bool TVLTableItemInfo::SplitSelectionFits(Integer colParts, Integer rowParts, bool merge) {
  Integer top, left, cols, rows;
  if (!GetNormalizedSelectionBounds(true, top, left, cols, rows)) return false;
  // Each column (row) of the block gains at most the parts its narrowest
  // (shortest) cell lacks; merged first, the block is one cell.
  Int64 addedCols = 0, addedRows = 0;
  if (merge) {
    addedCols = std::max(0, colParts - cols);
    addedRows = std::max(0, rowParts - rows);
  } else {
    std::vector<Integer> minColSpan(static_cast<size_t>(cols), 0), minRowSpan(static_cast<size_t>(rows), 0);
    for (Integer r = top; r < top + rows; ++r)
      for (Integer c = left; c < left + cols; ++c)
        if (const TVLTableCellData* cell = Rows.GetRow(r)->GetCell(c)) {
          Integer& mc = minColSpan[static_cast<size_t>(c - left)];
          Integer& mr = minRowSpan[static_cast<size_t>(r - top)];
          mc = mc == 0 ? cell->ColSpan : std::min(mc, cell->ColSpan);
          mr = mr == 0 ? cell->RowSpan : std::min(mr, cell->RowSpan);
        }
    for (Integer span : minColSpan)
      if (span > 0) addedCols += std::max(0, colParts - span);
    for (Integer span : minRowSpan)
      if (span > 0) addedRows += std::max(0, rowParts - span);
  }
  return GridFits(RowCount() + addedRows, ColCount() + addedCols);
}

void TVLTableItemInfo::InsertRowsAbove(Integer count) {
  Integer top, left, cols, rows;
  if (!GetNormalizedSelectionBounds(true, top, left, cols, rows) || !GridFits(Int64(RowCount()) + count, ColCount())) {
    if (FVLData) FVLData->Beep();
    return;
  }
  InsertRows(top, count, top, true);
}

void TVLTableItemInfo::InsertRowsBelow(Integer count) {
  Integer top, left, cols, rows;
  if (!GetNormalizedSelectionBounds(true, top, left, cols, rows) || !GridFits(Int64(RowCount()) + count, ColCount())) {
    if (FVLData) FVLData->Beep();
    return;
  }
  InsertRows(top + rows, count, top + rows - 1, true);
}

void TVLTableItemInfo::InsertColsLeft(Integer count) {
  Integer top, left, cols, rows;
  if (!GetNormalizedSelectionBounds(true, top, left, cols, rows) || !GridFits(RowCount(), Int64(ColCount()) + count)) {
    if (FVLData) FVLData->Beep();
    return;
  }
  InsertCols(left, count, left, true);
}

void TVLTableItemInfo::InsertColsRight(Integer count) {
  Integer top, left, cols, rows;
  if (!GetNormalizedSelectionBounds(true, top, left, cols, rows) || !GridFits(RowCount(), Int64(ColCount()) + count)) {
    if (FVLData) FVLData->Beep();
    return;
  }
  InsertCols(left + cols, count, left + cols - 1, true);
}

void TVLTableItemInfo::DeleteSelectedRows() {
  Integer top, left, cols, rows;
  if (!GetNormalizedSelectionBounds(true, top, left, cols, rows)) {
    if (FVLData) FVLData->Beep();
    return;
  }
  DeleteRows(top, rows, true);
}

void TVLTableItemInfo::DeleteSelectedCols() {
  Integer top, left, cols, rows;
  if (!GetNormalizedSelectionBounds(true, top, left, cols, rows)) {
    if (FVLData) FVLData->Beep();
    return;
  }
  DeleteCols(left, cols, true);
}

void TVLTableItemInfo::DeleteEmptyRows() {
  if (Rows.IsEmpty()) return;
  TTableCommand command(*this);
  auto empty = [this](Integer r) {
    const auto& cells = Rows.GetRow(r)->Cells;
    return std::none_of(cells.begin(), cells.end(), [](const auto& cell) { return cell != nullptr; });
  };
  // Each run of empty rows goes at once: a deletion per row costs a walk
  // over the merged cells each (seconds after a large merged cell split).
  for (Integer r = RowCount() - 1; r >= 0; --r) {
    if (!empty(r)) continue;
    Integer first = r;
    while (first > 0 && empty(first - 1)) --first;
    DeleteRows(first, r - first + 1, false);
    r = first;
  }
  command.Finish();
}

void TVLTableItemInfo::DeleteEmptyCols() {
  if (Rows.IsEmpty()) return;
  TTableCommand command(*this);
  std::vector<char> own(static_cast<size_t>(ColCount()), 0);
  for (Integer r = 0; r < RowCount(); ++r)
    for (Integer c = 0; c < std::min(ColCount(), Rows.GetRow(r)->Count()); ++c)
      if (Rows.GetRow(r)->GetCell(c)) own[static_cast<size_t>(c)] = 1;
  // Each run of columns without a cell of their own goes at once.
  for (Integer c = ColCount() - 1; c >= 0; --c) {
    if (own[static_cast<size_t>(c)]) continue;
    Integer first = c;
    while (first > 0 && !own[static_cast<size_t>(first) - 1]) --first;
    DeleteCols(first, c - first + 1, false);
    c = first;
  }
  command.Finish();
}

bool TVLTableItemInfo::CanMergeSelectedCells(bool skipRowColCheck) {
  Integer top, left, cols, rows;
  return FCellsSelected && GetNormalizedSelectionBounds(false, top, left, cols, rows) &&
         CanMergeCells(top, left, cols, rows, skipRowColCheck);
}

bool TVLTableItemInfo::MergeSelectedCells(bool skipRowColCheck) {
  Integer top, left, cols, rows;
  if (!FCellsSelected || !GetNormalizedSelectionBounds(false, top, left, cols, rows)) return false;
  if (!MergeCells(top, left, cols, rows, skipRowColCheck)) return false;
  Select(top, left, 0, 0);
  return true;
}

void TVLTableItemInfo::UnmergeSelectedCells(bool unmergeRows, bool unmergeCols) {
  Integer top, left, cols, rows;
  if (!GetNormalizedSelectionBounds(true, top, left, cols, rows)) return;
  UnmergeCells(top, left, cols, rows, unmergeRows, unmergeCols);
  if (FCellsSelected) UpdateCellsSelectedState();
}

void TVLTableItemInfo::SplitSelectedCellsVertically(Integer parts) {
  Integer top, left, cols, rows;
  if (!GetNormalizedSelectionBounds(true, top, left, cols, rows)) return;
  if (!SplitSelectionFits(parts, 1, false)) {
    if (FVLData) FVLData->Beep();
    return;
  }
  const Integer added = SplitCellsVertically(top, left, cols, rows, parts);
  // Selected whether the split began at the caret or on selected cells: a
  // split the other way that follows takes the same cells.
  Select(top, left, cols + added - 1, rows - 1);
}

void TVLTableItemInfo::SplitSelectedCellsHorizontally(Integer parts) {
  Integer top, left, cols, rows;
  if (!GetNormalizedSelectionBounds(true, top, left, cols, rows)) return;
  if (!SplitSelectionFits(1, parts, false)) {
    if (FVLData) FVLData->Beep();
    return;
  }
  const Integer added = SplitCellsHorizontally(top, left, cols, rows, parts);
  Select(top, left, cols - 1, rows + added - 1);
}

// ---------------------------------------------------------------------------
// Typing over the selected cells

bool TVLTableItemInfo::EnterForTyping() {
  Integer top, left, cols, rows;
  if (!FCellsSelected || !Options.Contains(vltoEditing) || !IsInEditor() ||
      !GetNormalizedSelectionBounds(false, top, left, cols, rows))
    return false;
  return CreateInplaceEditor(-1, top, left, false, false, true, false) && FInplaceEditor;
}

// ---------------------------------------------------------------------------
// Emptying the selected cells

bool TVLTableItemInfo::CanDeletePartiallySelected() const {
  if (!Options.Contains(vltoEditing) || !FCellsSelected || !IsInEditor()) return false;
  auto* self = const_cast<TVLTableItemInfo*>(this);
  for (Integer r = 0; r < RowCount(); ++r)
    for (Integer c = 0; c < Rows.GetRow(r)->Count(); ++c)
      if (Rows.GetRow(r)->GetCell(c) && IsCellSelected(r, c) && !self->CellMayBeEdited(r, c)) return false;
  return true;
}

void TVLTableItemInfo::DeletePartiallySelected() {
  if (!FCellsSelected || !CanChange()) return;
  std::vector<std::pair<Integer, Integer>> cells;
  for (Integer r = 0; r < RowCount(); ++r)
    for (Integer c = 0; c < Rows.GetRow(r)->Count(); ++c)
      if (Rows.GetRow(r)->GetCell(c) && IsCellSelected(r, c) && CellMayBeEdited(r, c)) cells.emplace_back(r, c);
  if (cells.empty()) return;
  TTableCommand command(*this);
  // Each cell gives way to an empty one like it; the undo keeps the old.
  for (const auto& [r, c] : cells) {
    TVLTableCellData* old = GetCell(r, c);
    auto fresh = NewCellLike(old);
    fresh->BestWidth = old->BestWidth;
    fresh->BestHeight = old->BestHeight;
    fresh->RowSpan = old->RowSpan;
    fresh->ColSpan = old->ColSpan;
    fresh->AssignSizeFrom(*old);
    fresh->ResetContent();
    ExchangeCell(r, c, fresh);
  }
  UpdateCellsSelectedState();
  command.Finish();
}

// ---------------------------------------------------------------------------
// Copying the selected cells

std::unique_ptr<TCustomVLItemInfo> TVLTableItemInfo::CopyPartiallySelected(TCustomVLData* vlData, WideString& text) {
  Integer top, left, cols, rows;
  if (!FCellsSelected || !GetNormalizedSelectionBounds(false, top, left, cols, rows)) return nullptr;
  // The whole table copied, then cut down to the selected rectangle: merged
  // cells that reach out of it lose what lies outside, as a deletion of
  // those rows and columns leaves them.
  auto copy = std::make_unique<TVLTableItemInfo>(vlData);
  // A table that cannot be copied whole (a cell whose content is away in an
  // editor) is copied as plain text selection rather than ending the program.
  try {
    copy->LoadFromBytes(SaveToBytes());
  } catch (const Exception&) {
    return nullptr;
  }
  copy->ParaNo = ParaNo;
  // A merged cell that reaches into the rectangle from above or from the
  // left is selected whole (a Cut empties it), but its own corner goes with
  // the rows and columns cut away: its content is kept aside for the part
  // that stays, which then becomes its corner.
  struct TKept {
    Integer Row, Col;
    std::unique_ptr<TVLTableCellData> Content;
  };
  std::vector<TKept> kept;
  for (Integer r = top; r < top + rows; ++r)
    for (Integer c = left; c < left + cols; ++c) {
      Integer mr, mc;
      TVLTableCellData* cell = copy->Rows.GetMainCell(r, c, mr, mc);
      if (!cell || (mr >= top && mc >= left) || r != std::max(mr, top) || c != std::max(mc, left)) continue;
      auto content = copy->NewCellLike(cell);
      content->Clear();
      content->MoveItemsFrom(cell);
      kept.push_back({r - top, c - left, std::move(content)});
    }
  if (top + rows < copy->RowCount()) copy->DeleteRows(top + rows, copy->RowCount() - top - rows, true);
  if (top > 0) copy->DeleteRows(0, top, true);
  if (left + cols < copy->ColCount()) copy->DeleteCols(left + cols, copy->ColCount() - left - cols, true);
  if (left > 0) copy->DeleteCols(0, left, true);
  for (TKept& k : kept)
    if (TVLTableCellData* part = copy->GetCell(k.Row, k.Col)) {
      part->Clear();
      part->MoveItemsFrom(k.Content.get());
    }
  copy->NormalizeGrid();
  copy->Changed();
  // As text, like cells of a sheet: a tab between cells, a line per row.
  const AnsiString colSep = copy->TextColSeparator, rowSep = copy->TextRowSeparator;
  copy->TextColSeparator = "\t";
  copy->TextRowSeparator = "\r\n";
  text = RawUnicodeToWideString(copy->AsText(80, vlData, AnsiString(), String(), false, true));
  copy->TextColSeparator = colSep;
  copy->TextRowSeparator = rowSep;
  return copy;
}

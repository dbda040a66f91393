#include "richtext/table/VLTable.h"

#include "platform/base/Streams.h"
#include "richtext/model/VLFMisc.h"
#include "richtext/model/VLMarkers.h"

#include <algorithm>

bool VLTableCellHoldsNothing(TCustomVLData& cell) {
  return cell.GetItemCount() == 0 ||
         (cell.GetItemCount() == 1 && cell.GetItem(0)->StyleNo >= 0 && cell.GetItemTextA(0).empty());
}

Int64 VLShownTextSize(TCustomVLData& data) {
  Int64 size = 0;
  for (Integer i = 0; i < data.GetItemCount(); ++i) {
    if (auto* table = dynamic_cast<TVLTableItemInfo*>(data.GetItem(i)))
      size += VLShownTextSize(*table);
    else if (data.GetItem(i)->StyleNo >= 0)
      size += static_cast<Int64>(data.GetItemTextA(i).size());
  }
  return size;
}

Int64 VLShownTextSize(TVLTableItemInfo& table) {
  Int64 size = 0;
  const Integer rows = table.RowCount(), cols = std::max<Integer>(table.ColCount(), 0);
  std::vector<char> covered(static_cast<size_t>(rows) * static_cast<size_t>(cols), 0);
  for (Integer r = 0; r < rows; ++r) {
    const auto& cells = table.Rows.GetRow(r)->Cells;
    for (Integer c = 0; c < std::min<Integer>(cols, static_cast<Integer>(cells.size())); ++c) {
      TVLTableCellData* cell = cells[static_cast<size_t>(c)].get();
      if (!cell || covered[static_cast<size_t>(r) * static_cast<size_t>(cols) + static_cast<size_t>(c)]) continue;
      size += VLShownTextSize(*cell);
      for (Integer rr = r; rr < std::min(rows, r + std::max<Integer>(1, cell->RowSpan)); ++rr)
        for (Integer cc = c; cc < std::min(cols, c + std::max<Integer>(1, cell->ColSpan)); ++cc)
          covered[static_cast<size_t>(rr) * static_cast<size_t>(cols) + static_cast<size_t>(cc)] = 1;
    }
  }
  return size;
}

void VLRegisterTableItem() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterItemClass(vlsTable, VLItemClassOf<TVLTableItemInfo>());
}

// ---------------------------------------------------------------------------

TVLTableCellData::TVLTableCellData(TVLTableItemInfo* table) : TVLItemFormattedData(nullptr), FTable(table) {
  ResetContent();
}

TVLTableCellData::~TVLTableCellData() {
  // The document around may be going too: the clearing reaches no further.
  FTable = nullptr;
  Clear();
  FMarkers.reset();
}

TCustomVLData* TVLTableCellData::GetParentData() { return FTable ? FTable->GetVLData() : nullptr; }

TCustomVLData* TVLTableCellData::GetRootData() {
  TCustomVLData* parent = GetParentData();
  return parent ? parent->GetRootData() : this;
}

TCustomVLData* TVLTableCellData::GetAbsoluteRootData() {
  TCustomVLData* parent = GetParentData();
  return parent ? parent->GetAbsoluteRootData() : this;
}

TVLMarkerList* TVLTableCellData::GetMarkers(bool allowCreate) {
  if (SharesMarkers && FTable) return TCustomVLData::GetMarkers(allowCreate);
  if (!FMarkers && allowCreate) FMarkers = std::make_unique<TVLMarkerList>();
  return FMarkers.get();
}

void TVLTableCellData::DropOwnMarkers() { FMarkers.reset(); }

void TVLTableCellData::DestroyMarkers() {
  // The outermost document keeps its list; only a list of our own goes.
  if (!SharesMarkers) FMarkers.reset();
}

void TVLTableCellData::GetParentInfo(Integer& itemNo, std::unique_ptr<TVLStoreSubVLData>& location) {
  itemNo = -1;
  location.reset();
  TCustomVLData* parent = GetParentData();
  Integer r, c;
  if (!FTable || !parent || !FindPlace(r, c)) return;
  itemNo = parent->GetItemNo(FTable);
  location = std::make_unique<TVLTableStoreSubVLData>(r, c);
}

TCustomVLData* TVLTableCellData::GetEditableVLData() {
  if (TCustomVLData* d = GetVLData(); d != this) return d;
  Integer r, c;
  if (!FTable || !FindPlace(r, c)) return this;
  FTable->EditCell(r, c);
  return GetVLData();
}

void TVLTableCellData::DropEmptyBackground() {
  if (FBackground && FBackground->Empty()) FBackground.reset();
}

void TVLTableCellData::SetBackgroundImage(std::unique_ptr<TGraphic> graphic) {
  if (graphic && !FBackground) FBackground = std::make_unique<TVLBackground>(false);
  if (FBackground) {
    if (graphic) FBackground->AssignImage(std::move(graphic), this);
    else FBackground->FreeImage();
  }
  DropEmptyBackground();
}

void TVLTableCellData::SetBackgroundStyle(TVLItemBackgroundStyle value) {
  if (value == GetBackgroundStyle()) return;
  if (!FBackground) FBackground = std::make_unique<TVLBackground>(false);
  FBackground->SetItemBackStyle(value);
  DropEmptyBackground();
}

void TVLTableCellData::AssignAttributesFrom(const TVLTableCellData& source, bool copySize,
                                            Integer colDivisor, Integer rowDivisor) {
  Color = source.Color;
  BorderColor = source.BorderColor;
  BorderLightColor = source.BorderLightColor;
  VisibleBorders.Assign(&source.VisibleBorders);
  VAlign = source.VAlign;
  if (TGraphic* image = source.GetBackgroundImage(); image && !image->GetEmpty()) {
    if (!FBackground) FBackground = std::make_unique<TVLBackground>(false);
    FBackground->AssignImageCopy(*image, this);
  } else if (FBackground) {
    FBackground->FreeImage();
  }
  SetBackgroundStyle(source.GetBackgroundStyle());
  BackgroundImageFileName = source.BackgroundImageFileName;
  if (copySize) {
    BestWidth = source.BestWidth / std::max(1, colDivisor);
    BestHeight = source.BestHeight / std::max(1, rowDivisor);
  }
}

Integer TVLTableCellData::GetWidth() { return std::max(0, Width - 2 * (FTable ? FTable->CellPadding : 0)); }

Integer TVLTableCellData::GetHeight() { return std::max(0, Height - 2 * (FTable ? FTable->CellPadding : 0)); }

bool TVLTableCellData::FindPlace(Integer& row, Integer& col) const {
  row = col = -1;
  if (!FTable) return false;
  // The place found last time holds while the grid did not move the cell;
  // a search of the whole grid in every call made layout quadratic.
  const auto& rows = FTable->Rows.Rows;
  const size_t hr = static_cast<size_t>(FPlaceRow), hc = static_cast<size_t>(FPlaceCol);
  if (FPlaceRow >= 0 && hr < rows.size() && hc < rows[hr]->Cells.size() && rows[hr]->Cells[hc].get() == this) {
    row = FPlaceRow;
    col = FPlaceCol;
    return true;
  }
  // One search sets the place of every cell, so that after a change of the
  // grid the cells are found again in one pass, not one pass each.
  for (size_t r = 0; r < rows.size(); ++r)
    for (size_t c = 0; c < rows[r]->Cells.size(); ++c)
      if (TVLTableCellData* cell = rows[r]->Cells[c].get()) {
        cell->FPlaceRow = static_cast<Integer>(r);
        cell->FPlaceCol = static_cast<Integer>(c);
      }
  if (FPlaceRow >= 0 && static_cast<size_t>(FPlaceRow) < rows.size() &&
      static_cast<size_t>(FPlaceCol) < rows[static_cast<size_t>(FPlaceRow)]->Cells.size() &&
      rows[static_cast<size_t>(FPlaceRow)]->Cells[static_cast<size_t>(FPlaceCol)].get() == this) {
    row = FPlaceRow;
    col = FPlaceCol;
    return true;
  }
  FPlaceRow = FPlaceCol = -1;
  return false;
}

TVLTableRow* TVLTableCellData::GetRow() const {
  Integer r, c;
  return FindPlace(r, c) ? FTable->Rows.GetRow(r) : nullptr;
}

TVLCellVAlign TVLTableCellData::GetRealVAlign() const {
  if (VAlign != vlcVDefault) return VAlign;
  const TVLTableRow* row = GetRow();
  const TVLCellVAlign rowAlign = row ? row->VAlign : vlcTop;
  return rowAlign == vlcVDefault ? vlcMiddle : rowAlign;
}

Integer TVLTableCellData::GetVAlignOffset() const {
  const Integer pad = FTable ? FTable->CellPadding : 0;
  const Integer room = Height - 2 * pad - ContentHeight();
  switch (GetRealVAlign()) {
    case vlcMiddle: return std::max(0, room / 2);
    case vlcBottom: return std::max(0, room);
    default: return 0;
  }
}

void TVLTableCellData::GetOrigin(Integer& x, Integer& y) {
  x = y = 0;
  auto* doc = FTable ? dynamic_cast<TCustomVLFormattedData*>(FTable->GetVLData()) : nullptr;
  if (doc) {
    doc->GetOrigin(x, y);
    const Integer n = FTable->DrawItemNo;
    if (n >= 0 && n < doc->DrawItems.Count() && doc->DrawItems[n]->ItemNo >= 0 &&
        doc->GetItem(doc->DrawItems[n]->ItemNo) == FTable) {
      x += doc->DrawItems[n]->Left;
      y += doc->DrawItems[n]->Top;
    }
  }
  const Integer pad = FTable ? FTable->CellPadding : 0;
  x += Left + pad;
  y += Top + pad + GetVAlignOffset();
}

void TVLTableCellData::ResetContent() {
  Clear();
  AddTextItem("", 0, 0);
}

// ---------------------------------------------------------------------------

TVLTableRow::TVLTableRow(Integer cellCount, TVLTableItemInfo* table) {
  for (Integer i = 0; i < cellCount; ++i) Cells.push_back(std::make_unique<TVLTableCellData>(table));
}

TVLTableCellData* TVLTableRow::GetCell(Integer col) const {
  if (col < 0 || col >= Count()) return nullptr;
  return Cells[static_cast<size_t>(col)].get();
}

Integer TVLTableRow::GetBestHeight() const {
  Integer best = 0;
  for (const auto& cell : Cells)
    if (cell && cell->RowSpan < 2) best = std::max(best, cell->BestHeight);
  return best;
}

Integer TVLTableRow::GetMinHeight() const {
  Integer best = 0;
  for (const auto& cell : Cells)
    if (cell && cell->RowSpan < 2) best = std::max(best, cell->GetMinHeight());
  return best > 0 ? best : 10;
}

void TVLTableRows::Reset(Integer rowCount, Integer colCount) {
  Rows.clear();
  for (Integer r = 0; r < rowCount; ++r) Rows.push_back(std::make_unique<TVLTableRow>(colCount, FTable));
}

TVLTableCellData* TVLTableRows::GetMainCell(Integer row, Integer col, Integer& mainRow,
                                            Integer& mainCol) const {
  mainRow = mainCol = -1;
  if (row < 0 || row >= Count() || col < 0 || col >= GetRow(row)->Count()) return nullptr;
  for (Integer r = row; r >= 0; --r) {
    const TVLTableRow* rw = GetRow(r);
    for (Integer c = std::min(col, rw->Count() - 1); c >= 0; --c) {
      TVLTableCellData* cell = rw->GetCell(c);
      if (cell && r + cell->RowSpan > row && c + cell->ColSpan > col) {
        mainRow = r;
        mainCol = c;
        return cell;
      }
    }
  }
  return nullptr;
}

bool TVLTableRows::MergeCells(Integer top, Integer left, Integer colSpan, Integer rowSpan,
                              bool allowMerge, bool /*extra*/) {
  if (colSpan < 1 || rowSpan < 1 || top < 0 || left < 0 || top + rowSpan > Count()) return false;
  for (Integer r = top; r < top + rowSpan; ++r)
    if (left + colSpan > GetRow(r)->Count()) return false;
  TVLTableCellData* main = GetRow(top)->GetCell(left);
  if (!main) return false;
  for (Integer r = top; r < top + rowSpan; ++r)
    for (Integer c = left; c < left + colSpan; ++c) {
      Integer mr, mc;
      TVLTableCellData* cell = GetMainCell(r, c, mr, mc);
      if (!cell || mr < top || mc < left || mr + cell->RowSpan > top + rowSpan ||
          mc + cell->ColSpan > left + colSpan)
        return false;
    }
  if (!allowMerge) return true;
  for (Integer r = top; r < top + rowSpan; ++r)
    for (Integer c = left; c < left + colSpan; ++c) {
      auto& slot = GetRow(r)->Cells[static_cast<size_t>(c)];
      if (!slot || slot.get() == main) continue;
      if (!VLTableCellHoldsNothing(*slot)) {
        if (VLTableCellHoldsNothing(*main)) main->Clear();
        main->MoveItemsFrom(slot.get());
      }
      slot.reset();
    }
  main->RowSpan = rowSpan;
  main->ColSpan = colSpan;
  return true;
}

// ---------------------------------------------------------------------------

TVLTableItemInfo::TVLTableItemInfo(TCustomVLData* vlData) : TVLFullLineItemInfo(vlData), Rows(this), FVLData(vlData) {
  StyleNo = vlsTable;
  // A new table has one empty cell; readers reset the grid to their own.
  FCols = 1;
  Rows.Reset(1, 1);
}

TVLTableItemInfo::~TVLTableItemInfo() {
  FGoing = true;
  DropInplaceEditor();
  // The cells' markers leave the document's list with the table.
  DetachMarkers();
  FDestroying = true;
}

bool TVLTableItemInfo::IsPlaced() const {
  if (FDestroying || !FHosted || !FVLData) return false;
  if (FOwnItemNo < 0 || FOwnItemNo >= FVLData->GetItemCount() || FVLData->GetItem(FOwnItemNo) != this) {
    FOwnItemNo = FVLData->GetItemNo(this);
    if (FOwnItemNo < 0) return false;
  }
  // A cell not in its table's grid (a copy being made of a cell's content,
  // a new cell not put in yet) places nothing: its markers would find no
  // place in the document's list.
  Integer r, c;
  if (auto* cell = dynamic_cast<TVLTableCellData*>(FVLData))
    return cell->GetTable() && cell->FindPlace(r, c) && cell->GetTable()->IsPlaced();
  return true;
}

void TVLTableItemInfo::ShareCellMarkers(TVLTableCellData& cell, bool share) {
  // In document order, so that every marker finds the one before it in the
  // list already.
  if (share && !cell.SharesMarkers) {
    cell.DropOwnMarkers();
    cell.SharesMarkers = true;
  }
  for (Integer i = 0; i < cell.GetItemCount(); ++i) {
    TCustomVLItemInfo* item = cell.GetItem(i);
    if (item->StyleNo == vlsListMarker && cell.SharesMarkers) {
      if (share) cell.AddMarkerToList(i);
      else cell.RemoveMarkerFromList(item, false);
    } else if (auto* inner = dynamic_cast<TVLTableItemInfo*>(item)) {
      for (const auto& row : inner->Rows.Rows)
        for (const auto& c : row->Cells)
          if (c) inner->ShareCellMarkers(*c, share);
    }
  }
  if (!share) cell.SharesMarkers = false;
}

void TVLTableItemInfo::AttachMarkers() {
  if (!IsPlaced()) return;
  for (const auto& row : Rows.Rows)
    for (const auto& cell : row->Cells)
      if (cell) ShareCellMarkers(*cell, true);
}

void TVLTableItemInfo::DetachMarkers() {
  for (const auto& row : Rows.Rows)
    for (const auto& cell : row->Cells)
      if (cell) ShareCellMarkers(*cell, false);
}

void TVLTableItemInfo::MovingToUndoList(Integer itemNo, TCustomVLData* vlData, TObject* containerUndoItem) {
  DetachMarkers();
  FHosted = false;
  // Out of the document it is no longer the active item, so it keeps no
  // selected cells either: brought back by redo, it would show a block that
  // the keys typed next do not reach.
  ForgetCellSelection();
  TVLFullLineItemInfo::MovingToUndoList(itemNo, vlData, containerUndoItem);
}

void TVLTableItemInfo::MovingFromUndoList(Integer itemNo, TCustomVLData* vlData) {
  TVLFullLineItemInfo::MovingFromUndoList(itemNo, vlData);
  if (vlData) FVLData = vlData;
  FHosted = true;
  AttachMarkers();
}

std::unique_ptr<TVLTableItemInfo> TVLTableItemInfo::CreateEx(Integer rows, Integer cols, TCustomVLData* vlData) {
  auto t = std::make_unique<TVLTableItemInfo>(vlData);
  t->FCols = std::max(0, cols);
  t->Rows.Reset(std::max(0, rows), t->FCols);
  return t;
}

// Written as text (6) like any other content.
bool TVLTableItemInfo::GetBoolValue(Integer prop) const {
  // 1: the item read is to be put into the document.
  if (prop == 1) return !FRefused;
  return prop == 0 || prop == 4 || prop == 5 || prop == 6 || prop == 10 || TVLFullLineItemInfo::GetBoolValue(prop);
}

void TVLTableItemInfo::Inserting(TCustomVLData* vlData, AnsiString& text, bool safe) {
  if (vlData) FVLData = vlData;
  for (const auto& row : Rows.Rows)
    for (const auto& cell : row->Cells)
      if (cell) {
        cell->SetTable(this);
        if (cell->GetItemCount() == 0) cell->AddTextItem("", 0, 0);
      }
  FStructureChanged = true;
  TVLFullLineItemInfo::Inserting(vlData, text, safe);
}

void TVLTableItemInfo::Inserted(TCustomVLData* vlData, Integer itemNo) {
  FVLData = vlData;
  FOwnItemNo = itemNo;
  FHosted = true;
  TVLFullLineItemInfo::Inserted(vlData, itemNo);
  AttachMarkers();
}

void TVLTableItemInfo::RegisterInnerMarkers(TObject* /*markerList*/) {
  for (const auto& row : Rows.Rows)
    for (const auto& cell : row->Cells)
      if (cell)
        for (Integer i = 0; i < cell->GetItemCount(); ++i)
          if (cell->GetItem(i)->StyleNo == vlsListMarker) cell->AddMarkerToList(i);
}

TVLTableCellData* TVLTableItemInfo::GetCell(Integer row, Integer col) const {
  if (row < 0 || row >= Rows.Count() || col < 0 || col >= Rows.GetRow(row)->Count())
    throw EVellumError("Invalid row or column index");
  return Rows.GetRow(row)->GetCell(col);
}

bool TVLTableItemInfo::NormalizeGrid() {
  bool repaired = false;
  const Integer rows = RowCount();
  const Integer cols = ColCount();
  for (Integer r = 0; r < rows; ++r) {
    auto& cells = Rows.GetRow(r)->Cells;
    if (static_cast<Integer>(cells.size()) > cols) {
      // Keep the text of the surplus cells in the last position that can take it.
      TVLTableCellData* keeper = nullptr;
      for (Integer c = cols - 1; c >= 0 && !keeper; --c) keeper = cells[static_cast<size_t>(c)].get();
      for (size_t c = static_cast<size_t>(cols); c < cells.size(); ++c)
        if (cells[c] && !VLTableCellHoldsNothing(*cells[c])) {
          if (!keeper) {
            cells[0] = std::make_unique<TVLTableCellData>(this);
            keeper = cells[0].get();
            keeper->Clear();
          } else if (VLTableCellHoldsNothing(*keeper)) {
            keeper->Clear();
          }
          keeper->MoveItemsFrom(cells[c].get());
        }
      cells.resize(static_cast<size_t>(cols));
      repaired = true;
    } else if (static_cast<Integer>(cells.size()) < cols) {
      cells.resize(static_cast<size_t>(cols));
      repaired = true;
    }
  }
  // Reading order: a cell may cover only positions that nobody covers yet
  // and that hold no cell of their own.
  std::vector<char> covered(static_cast<size_t>(rows) * static_cast<size_t>(cols), 0);
  auto at = [&](Integer r, Integer c) -> char& { return covered[static_cast<size_t>(r * cols + c)]; };
  for (Integer r = 0; r < rows; ++r)
    for (Integer c = 0; c < cols; ++c) {
      auto& slot = Rows.GetRow(r)->Cells[static_cast<size_t>(c)];
      if (at(r, c)) continue;
      if (!slot) {
        slot = std::make_unique<TVLTableCellData>(this);
        repaired = true;
      }
      TVLTableCellData& cell = *slot;
      auto freeAt = [&](Integer rr, Integer cc) {
        return !at(rr, cc) && (rr == r && cc == c ? true : !Rows.GetRow(rr)->Cells[static_cast<size_t>(cc)]);
      };
      Integer colSpan = 1;
      while (colSpan < cell.ColSpan && c + colSpan < cols && freeAt(r, c + colSpan)) ++colSpan;
      Integer rowSpan = 1;
      while (rowSpan < cell.RowSpan && r + rowSpan < rows) {
        bool rowFree = true;
        for (Integer k = c; k < c + colSpan && rowFree; ++k) rowFree = freeAt(r + rowSpan, k);
        if (!rowFree) break;
        ++rowSpan;
      }
      if (colSpan != cell.ColSpan || rowSpan != cell.RowSpan) repaired = true;
      cell.ColSpan = colSpan;
      cell.RowSpan = rowSpan;
      for (Integer rr = r; rr < r + rowSpan; ++rr)
        for (Integer cc = c; cc < c + colSpan; ++cc) at(rr, cc) = 1;
    }
  return repaired;
}

TCustomVLData* TVLTableItemInfo::GetSubVLDataOf(const TVLStoreSubVLData* location) {
  const auto* s = dynamic_cast<const TVLTableStoreSubVLData*>(location);
  if (!s || s->Row < 0 || s->Row >= RowCount() || s->Col < 0 || s->Col >= ColCount()) return nullptr;
  TVLTableCellData* cell = GetCell(s->Row, s->Col);
  return cell ? cell->GetVLData() : nullptr;
}

void TVLTableItemInfo::ChooseSubVLData(const TVLStoreSubVLData* storeState) {
  const auto* s = dynamic_cast<const TVLTableStoreSubVLData*>(storeState);
  if (!s || s->Row < 0 || s->Row >= RowCount() || s->Col < 0 || s->Col >= ColCount() || !GetCell(s->Row, s->Col))
    return;
  FEditedRow = s->Row;
  FEditedCol = s->Col;
  ShowChosenCell(s->Row, s->Col);
}

// An edited cell's items are in its editor: their styles count and follow.
void TVLTableItemInfo::MarkStylesInUse(TVLIntegerList& usedText, TVLIntegerList& usedPara,
                                       TVLIntegerList& usedList) {
  TVLFullLineItemInfo::MarkStylesInUse(usedText, usedPara, usedList);
  for (const auto& row : Rows.Rows)
    for (const auto& cell : row->Cells)
      if (cell) cell->GetVLData()->MarkStylesInUse(usedText, usedPara, usedList);
}

void TVLTableItemInfo::UpdateStyles(const TVLIntegerList& textShift, const TVLIntegerList& paraShift,
                                    const TVLIntegerList& listShift) {
  TVLFullLineItemInfo::UpdateStyles(textShift, paraShift, listShift);
  for (const auto& row : Rows.Rows)
    for (const auto& cell : row->Cells)
      if (cell) cell->GetVLData()->RenumberItemStyles(textShift, paraShift, listShift);
}


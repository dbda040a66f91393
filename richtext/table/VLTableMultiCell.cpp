// Style changes applied to the content of many cells at once: each cell's
// content passes through a hidden editor, whose history for that cell is
// kept in one record of the document's undo list, so that undoing replays
// the cells' own steps. Also the undo records of property changes.
#include "richtext/editor/VellumEdit.h"
#include "richtext/editor/VLEditData.h"
#include "richtext/table/VLCellEditor.h"
#include "richtext/table/VLTable.h"
#include "richtext/table/VLTableUndo.h"

#include <memory>

namespace {

// Operations the hidden editor runs on a cell's whole content.
enum { opParaStyle, opParaStyleConversion, opStyleConversion };

// An invisible editor inside the editor that holds the table, with its
// settings and style sheet; it records undo when that editor does.
std::unique_ptr<TCustomVellumEdit> MakeHiddenEditor(TCustomVellumEdit& host) {
  auto hidden = std::make_unique<TVellumEdit>(nullptr);
  hidden->SetVisible(false);
  hidden->Options = host.Options;
  hidden->SetEditorOptions(host.GetEditorOptions());
  hidden->SetStyle(host.GetStyle());
  hidden->SetUndoLimit(host.GetUndoLimit() != 0 ? -1 : 0);
  hidden->SetParent(&host);
  hidden->SetBounds(0, 0, std::max(host.GetWidth(), 100), 100);
  // Styles go through the holding editor: it knows the style that an
  // applied text style gives, and the application's conversions (a cell
  // editor's are those of the editor it is open in).
  TCustomVellumEdit* h = &host;
  hidden->OnParaStyleConversion = [h](TCustomVellumEdit*, Integer paraNo, Integer userData, bool,
                                      Integer& newParaNo) { h->DataParaStyleConversion(paraNo, userData, newParaNo); };
  hidden->OnStyleConversion = [h](TCustomVellumEdit*, Integer styleNo, Integer userData, bool applied,
                                  Integer& newStyleNo) { h->DataStyleConversion(styleNo, userData, applied, newStyleNo); };
  return hidden;
}

// The cell's content moves into the editor, laid out.
void LoadCell(TCustomVellumEdit& hidden, TVLTableCellData& cell) {
  TVLEditVLData* d = hidden.EditData();
  d->Clear();
  d->MoveItemsFrom(&cell);
  if (d->GetItemCount() == 0) d->AddTextItem("", 0, 0);
  hidden.Format();
}

void StoreCell(TCustomVellumEdit& hidden, TVLTableCellData& cell) {
  TVLEditVLData* d = hidden.EditData();
  cell.Clear();
  cell.MoveItemsFrom(d);
  d->Clear();
  if (cell.GetItemCount() == 0) cell.ResetContent();
}

}  // namespace

// ---------------------------------------------------------------------------
// Records

TVLTableItemInfo* VLUndoTable(TVLEditVLData* data, Integer itemNo) {
  auto* table = data && itemNo >= 0 && itemNo < data->GetItemCount()
                    ? dynamic_cast<TVLTableItemInfo*>(data->GetItem(itemNo))
                    : nullptr;
  if (!table) throw EVellumError("Undo error");
  return table;
}

void TVLUndoModifyCellIntProperty::Undo(TVLEditVLData* data) {
  TVLTableItemInfo* t = VLUndoTable(data, ItemNo);
  W = data->ParaMinWidth(ItemNo);
  t->StoreCellIntProperty(data, ItemNo, PropertyName, Row, Col, Value);
  t->AfterUndoChangeProperty();
}

void TVLUndoModifyCellIntProperties::Undo(TVLEditVLData* data) {
  TVLTableItemInfo* t = VLUndoTable(data, ItemNo);
  W = data->ParaMinWidth(ItemNo);
  t->StoreCellIntProperties(data, ItemNo, Row, Col, Properties);
  t->AfterUndoChangeProperty();
}

void TVLUndoModifyRowVAlign::Undo(TVLEditVLData* data) {
  TVLTableItemInfo* t = VLUndoTable(data, ItemNo);
  W = data->ParaMinWidth(ItemNo);
  t->StoreRowVAlign(data, ItemNo, Row, Value);
  t->AfterUndoChangeProperty();
}

void TVLUndoModifyCellVisibleBorders::Undo(TVLEditVLData* data) {
  TVLTableItemInfo* t = VLUndoTable(data, ItemNo);
  W = data->ParaMinWidth(ItemNo);
  t->StoreCellVisibleBorders(data, ItemNo, Row, Col, Left, Top, Right, Bottom);
  t->AfterUndoChangeProperty();
}

void TVLUndoModifyBackgroundImage::Undo(TVLEditVLData* data) {
  TVLTableItemInfo* t = VLUndoTable(data, ItemNo);
  W = data->ParaMinWidth(ItemNo);
  t->StoreBackgroundImage(data, ItemNo, Row, Col, std::move(Graphic));
  t->AfterUndoChangeProperty();
}

void TVLUndoMultiCellsModify::Undo(TVLEditVLData* data) {
  TVLTableItemInfo* t = VLUndoTable(data, ItemNo);
  W = data->ParaMinWidth(ItemNo);
  TCustomVellumEdit* host = data->Editor();
  if (!host) throw EVellumError("Undo error");
  auto hidden = MakeHiddenEditor(*host);
  TVLEditVLData* d = hidden->EditData();
  auto opposite = std::make_unique<TVLUndoMultiCellsModify>();
  opposite->Action = Action;
  opposite->ItemNo = ItemNo;
  opposite->IsRedo = !IsRedo;
  for (TCell& entry : Cells) {
    TVLTableCellData* cell = t->GetCell(entry.Row, entry.Col);
    if (!cell) throw EVellumError("Undo error");
    LoadCell(*hidden, *cell);
    d->UndoList->Clear();
    d->RedoList->Clear();
    TVLUndoList* source = IsRedo ? d->RedoList.get() : d->UndoList.get();
    const size_t steps = entry.Groups.size();
    for (auto& g : entry.Groups) source->AddGroup(std::move(g));
    entry.Groups.clear();
    for (size_t i = 0; i < steps && source->Count() > 0; ++i) IsRedo ? hidden->Redo() : hidden->Undo();
    TVLUndoList* produced = IsRedo ? d->UndoList.get() : d->RedoList.get();
    if (produced->Count() > 0) opposite->Cells.push_back({entry.Row, entry.Col, produced->TakeGroups()});
    StoreCell(*hidden, *cell);
  }
  Cells.clear();
  hidden.reset();
  t->Changed();
  t->FormattingInfo.Width = 0;
  if (TVLUndoList* list = data->GetRecordingUndoList(); list && !opposite->Cells.empty()) {
    opposite->W = W;
    list->AddInfo(std::move(opposite));
  }
}

// ---------------------------------------------------------------------------
// Operations on the content of the selected cells

bool TVLTableItemInfo::CellMayBeEdited(Integer row, Integer col) {
  if (!OnCellEditing) return true;
  bool allow = true;
  OnCellEditing(this, row, col, true, allow);
  return allow;
}

void TVLTableItemInfo::ApplyToSelectedCells(Integer kind, Integer value) {
  if (!Options.Contains(vltoEditing) || !FCellsSelected || !CanChange()) return;
  auto* edit = dynamic_cast<TVLEditVLData*>(FVLData);
  TCustomVellumEdit* host = edit ? edit->Editor() : nullptr;
  if (!host) return;
  const Integer itemNo = GetOwnItemNo();
  if (itemNo < 0) return;
  const Integer width = SaveParaWidth(itemNo);
  edit->BeginUndoSequence(vlutModifyItem, true);
  edit->SetUndoGroupMode(true);
  struct TGroupOff {
    TVLEditVLData* E;
    ~TGroupOff() { E->SetUndoGroupMode(false); }
  } groupOff{edit};
  auto hidden = MakeHiddenEditor(*host);
  TVLEditVLData* d = hidden->EditData();
  auto record = std::make_unique<TVLUndoMultiCellsModify>();
  record->Action = vlumModifyItem;
  record->ItemNo = itemNo;
  record->W = width;
  bool changed = false;
  for (Integer r = 0; r < RowCount(); ++r)
    for (Integer c = 0; c < Rows.GetRow(r)->Count(); ++c) {
      TVLTableCellData* cell = Rows.GetRow(r)->GetCell(c);
      if (!cell || !IsCellSelected(r, c) || !CellMayBeEdited(r, c)) continue;
      LoadCell(*hidden, *cell);
      d->UndoList->Clear();
      hidden->SelectAll();
      switch (kind) {
        case opParaStyle: hidden->ApplyParaStyle(value); break;
        case opParaStyleConversion: hidden->ApplyParaStyleConversion(value); break;
        default: hidden->ApplyStyleConversion(value); break;
      }
      d->UndoList->RemoveEmptyLastGroup();
      if (d->UndoList->Count() > 0) {
        record->Cells.push_back({r, c, d->UndoList->TakeGroups()});
        changed = true;
      } else if (hidden->GetUndoLimit() == 0) {
        // Without undo nothing tells whether the cell changed.
        changed = true;
      }
      StoreCell(*hidden, *cell);
      cell->Selected = true;
    }
  hidden.reset();
  if (!record->Cells.empty())
    if (TVLUndoList* list = edit->GetRecordingUndoList()) list->AddInfo(std::move(record));
  Changed();
  ReformatAfterChange(itemNo, width);
  if (changed) NotifyEditorChange();
}

void TVLTableItemInfo::ApplyParaStyleToSubVLDatas(Integer paraNo) { ApplyToSelectedCells(opParaStyle, paraNo); }

void TVLTableItemInfo::ApplyParaStyleConversionToSubVLDatas(Integer userData) {
  ApplyToSelectedCells(opParaStyleConversion, userData);
}

void TVLTableItemInfo::ApplyStyleConversionToSubVLDatas(Integer userData) {
  ApplyToSelectedCells(opStyleConversion, userData);
}

// Table and cell properties set by name with undo, and the operations that
// change all selected cells at once. In an editor every change leaves a
// record holding the old value; elsewhere the values are simply stored.
#include "richtext/editor/VellumEdit.h"
#include "richtext/editor/VLEditData.h"
#include "richtext/table/VLCellEditor.h"
#include "richtext/table/VLTable.h"
#include "richtext/table/VLTableUndo.h"

#include <algorithm>
#include <mutex>

namespace {

const char* const errIndex = "Invalid row or column index";

// A property: its name, whether it can change the table's size, whether
// undoing it needs the document reformatted, and its field.
template <class Owner>
struct TPropEntry {
  const char* Name;
  bool Size, Reformat;
  std::function<Integer(const Owner&)> Get;
  std::function<void(Owner&, Integer)> Set;
};

template <class Owner, class F>
TPropEntry<Owner> Field(const char* name, bool size, bool reformat, F Owner::*field) {
  return {name, size, reformat, [field](const Owner& o) { return static_cast<Integer>(o.*field); },
          [field](Owner& o, Integer v) { o.*field = static_cast<F>(v); }};
}

const std::vector<TPropEntry<TVLTableItemInfo>>& TableProps() {
  using T = TVLTableItemInfo;
  static const std::vector<TPropEntry<T>> props = {
      Field("BestWidth", true, true, &T::BestWidth),
      Field("BorderColor", false, false, &T::BorderColor),
      Field("BorderHSpacing", true, true, &T::BorderHSpacing),
      Field("BorderLightColor", false, false, &T::BorderLightColor),
      Field("BorderStyle", false, false, &T::BorderStyle),
      Field("BorderVSpacing", false, true, &T::BorderVSpacing),
      Field("BorderWidth", true, true, &T::BorderWidth),
      Field("CellBorderColor", false, false, &T::CellBorderColor),
      Field("CellBorderLightColor", false, false, &T::CellBorderLightColor),
      Field("CellBorderWidth", true, true, &T::CellBorderWidth),
      Field("CellHSpacing", true, true, &T::CellHSpacing),
      Field("CellPadding", true, true, &T::CellPadding),
      Field("CellVSpacing", false, true, &T::CellVSpacing),
      Field("Color", false, false, &T::Color),
      Field("HeadingRowCount", false, false, &T::HeadingRowCount),
      Field("HOutermostRule", false, false, &T::HOutermostRule),
      Field("HRuleColor", false, false, &T::HRuleColor),
      Field("HRuleWidth", false, false, &T::HRuleWidth),
      Field("VOutermostRule", false, false, &T::VOutermostRule),
      Field("VRuleColor", false, false, &T::VRuleColor),
      Field("VRuleWidth", false, false, &T::VRuleWidth),
      Field("CellBorderStyle", false, false, &T::CellBorderStyle),
      Field("BackgroundStyle", false, false, &T::BackgroundStyle),
      // Keeping rows whole on a page is one of these; a set goes by its mask.
      {"PrintOptions", false, false, [](const T& t) { return static_cast<Integer>(t.PrintOptions.ToMask()); },
       [](T& t, Integer v) {
         t.PrintOptions = TVLTablePrintOptions::FromMask(static_cast<decltype(t.PrintOptions.ToMask())>(v));
       }},
  };
  return props;
}

const std::vector<TPropEntry<TVLTableCellData>>& CellProps() {
  using C = TVLTableCellData;
  static const std::vector<TPropEntry<C>> props = {
      Field("BestHeight", false, true, &C::BestHeight),
      Field("BestWidth", true, true, &C::BestWidth),
      Field("Color", false, false, &C::Color),
      {"BackgroundStyle", false, false, [](const C& c) { return static_cast<Integer>(c.GetBackgroundStyle()); },
       [](C& c, Integer v) { c.SetBackgroundStyle(static_cast<TVLItemBackgroundStyle>(v)); }},
      Field("BorderColor", false, false, &C::BorderColor),
      Field("BorderLightColor", false, false, &C::BorderLightColor),
      Field("VAlign", false, true, &C::VAlign),
  };
  return props;
}

template <class Owner>
const TPropEntry<Owner>* Find(const std::vector<TPropEntry<Owner>>& props, const String& name) {
  for (const auto& p : props)
    if (name == p.Name) return &p;
  return nullptr;
}

// The table's properties join the item property registry, so that the
// document's own property records (and their undo) reach them by name.
void RegisterTableProperties() {
  static std::once_flag once;
  std::call_once(once, [] {
    for (const auto& p : TableProps()) {
      const TPropEntry<TVLTableItemInfo>* entry = &p;
      TVLPropertyRegistry::Instance().Register(
          p.Name, {[entry](const TCustomVLItemInfo& item, Integer& v) {
                     auto* t = dynamic_cast<const TVLTableItemInfo*>(&item);
                     if (!t) return false;
                     v = entry->Get(*t);
                     return true;
                   },
                   [entry](TCustomVLItemInfo& item, Integer v) {
                     auto* t = dynamic_cast<TVLTableItemInfo*>(&item);
                     if (!t) return false;
                     entry->Set(*t, v);
                     return true;
                   }});
    }
  });
}

TVLTableCellData& CellAt(const TVLTableItemInfo& t, Integer row, Integer col) {
  TVLTableCellData* cell = t.GetCell(row, col);
  if (!cell) throw EVellumError(errIndex);
  return *cell;
}

template <class R>
std::unique_ptr<R> MakeRecord(TVLEditVLData* edit, Integer itemNo) {
  auto r = std::make_unique<R>();
  r->Action = vlumModifyItem;
  r->ItemNo = itemNo;
  r->W = itemNo >= 0 && itemNo < edit->GetItemCount() ? edit->ParaMinWidth(itemNo) : 0;
  return r;
}

// A copy of a picture of its own class.
std::unique_ptr<TGraphic> CopyGraphic(const TGraphic* graphic) {
  if (!graphic || graphic->GetEmpty()) return nullptr;
  std::unique_ptr<TGraphic> copy = VLCreateGraphicLike(*graphic);
  if (copy) copy->Assign(graphic);
  return copy;
}

}  // namespace

// ---------------------------------------------------------------------------
// Where the table lies

bool TVLTableItemInfo::IsInEditor() const { return dynamic_cast<TVLEditVLData*>(FVLData) != nullptr; }

Integer TVLTableItemInfo::GetOwnItemNo() const {
  if (!FVLData) return -1;
  if (FOwnItemNo < 0 || FOwnItemNo >= FVLData->GetItemCount() || FVLData->GetItem(FOwnItemNo) != this)
    FOwnItemNo = FVLData->GetItemNo(this);
  return FOwnItemNo;
}

TVLEditVLData* TVLTableItemInfo::RecordingData() const {
  // A table being read or lying in an undo record changes without records.
  if (!FHosted) return nullptr;
  auto* edit = dynamic_cast<TVLEditVLData*>(FVLData);
  return edit && GetOwnItemNo() >= 0 ? edit : nullptr;
}

bool TVLTableItemInfo::CanChange() const {
  auto* edit = dynamic_cast<TVLEditVLData*>(FVLData);
  if (!edit) return false;
  TCustomVellumEdit* editor = edit->Editor();
  return editor ? editor->BeforeChange(false) : !edit->HostReadOnly();
}

void TVLTableItemInfo::BeginUndoGroup() {
  TVLEditVLData* edit = RecordingData();
  if (!edit) return;
  if (FGroupDepth++ == 0) {
    FGroupItemNo = GetOwnItemNo();
    FGroupWidth = SaveParaWidth(FGroupItemNo);
    FGroupChanged = FGroupReformat = false;
  }
  edit->BeginUndoSequence(vlutModifyItem, true);
  edit->SetUndoGroupMode(true);
}

void TVLTableItemInfo::EndUndoGroup() {
  TVLEditVLData* edit = RecordingData();
  if (!edit || FGroupDepth == 0) return;
  edit->SetUndoGroupMode(false);
  if (--FGroupDepth > 0) return;
  const bool changed = FGroupChanged, reformat = FGroupReformat;
  FGroupChanged = FGroupReformat = false;
  if (changed) AfterSetterChange(edit, FGroupItemNo, FGroupWidth, true, reformat);
}

void TVLTableItemInfo::NotifyEditorChange() {
  if (auto* edit = dynamic_cast<TVLEditVLData*>(FVLData)) edit->NotifyChange(true);
}

Integer TVLTableItemInfo::SaveParaWidth(Integer itemNo) const {
  auto* edit = dynamic_cast<TVLEditVLData*>(FVLData);
  Integer width = 0;
  if (edit && itemNo >= 0 && itemNo < edit->GetItemCount()) edit->SaveItemParaWidth(itemNo, width);
  return width;
}

void TVLTableItemInfo::ReformatAfterChange(Integer itemNo, Integer oldWidth) {
  auto* edit = dynamic_cast<TVLEditVLData*>(FVLData);
  if (!edit || itemNo < 0 || itemNo >= edit->GetItemCount() || edit->DrawItems.Count() == 0) return;
  // The table is laid out again whatever its width.
  FormattingInfo.Width = 0;
  edit->ReformatAfterItemChange(itemNo, oldWidth);
  // The open cell's lines were rewrapped at its new width after its row
  // was measured.
  FollowEditorHeightsAfterLayout();
}

void TVLTableItemInfo::AfterSetterChange(TVLEditVLData* edit, Integer itemNo, Integer width, bool changed,
                                         bool reformat) {
  Changed();
  if (!changed) return;
  if (FGroupDepth > 0) {
    FGroupChanged = true;
    FGroupReformat = FGroupReformat || reformat;
    return;
  }
  if (reformat)
    ReformatAfterChange(itemNo, width);
  else
    edit->InvalidateHost();
  UpdateEditorLook();
  edit->NotifyChange(true);
}

// ---------------------------------------------------------------------------
// Table properties

std::vector<String> TVLTableItemInfo::PropertyNames() {
  std::vector<String> names;
  for (const auto& p : TableProps()) names.emplace_back(p.Name);
  return names;
}

bool TVLTableItemInfo::GetIntProperty(const String& name, Integer& value) const {
  const auto* p = Find(TableProps(), name);
  if (!p) return false;
  value = p->Get(*this);
  return true;
}

bool TVLTableItemInfo::SetPropertyWithUndo(const String& name, Integer value) {
  const auto* p = Find(TableProps(), name);
  return p && SetIntPropertyWithUndo(name, value, p->Size, p->Reformat);
}

bool TVLTableItemInfo::SetIntPropertyWithUndo(const String& name, Integer value, bool /*sizeFlag*/,
                                              bool reformatFlag) {
  const auto* p = Find(TableProps(), name);
  if (!p) return false;
  RegisterTableProperties();
  TVLEditVLData* edit = RecordingData();
  if (!edit) {
    const bool changed = p->Get(*this) != value;
    p->Set(*this, value);
    Changed();
    if (changed) UpdateEditorLook();
    return true;
  }
  // The cell editor's history goes into the document first; the change is
  // a step of the document's own.
  DestroyInplaceEditor(true);
  const Integer itemNo = GetOwnItemNo();
  const Integer before = p->Get(*this);
  RecordStep(edit, itemNo, reformatFlag, [&] {
    edit->SetItemIntPropertyWithUndo(itemNo, name, value);
    return before != value;
  });
  return true;
}

void TVLTableItemInfo::RecordStep(TVLEditVLData* edit, Integer itemNo, bool reformat,
                                  const std::function<bool()>& Store) {
  const Integer width = SaveParaWidth(itemNo);
  edit->BeginUndoSequence(vlutModifyItem, true);
  const bool changed = Store();
  // An unchanged value leaves no step behind.
  edit->UndoList->RemoveEmptyLastGroup();
  AfterSetterChange(edit, itemNo, width, changed, reformat);
}

void TVLTableItemInfo::AfterUndoChangeProperty() {
  Changed();
  UpdateEditorLook();
}

void TVLTableItemInfo::UpdateEditorLook() {
  if (!FInplaceEditor) return;
  TVLTableInplaceEdit* e = FInplaceEditor;
  if (e->LeftMargin != CellPadding || e->RightMargin != CellPadding || e->TopMargin != CellPadding ||
      e->BottomMargin != CellPadding) {
    e->LeftMargin = e->RightMargin = e->TopMargin = e->BottomMargin = CellPadding;
    e->Format();
  }
  TColor color = e->Cell && e->Cell->Color != clNone ? e->Cell->Color : Color;
  if (color == clNone && e->ParentEditor) color = e->ParentEditor->GetEffectiveColor();
  e->SetColor(color);
  PlaceInplaceEditor();
  e->Invalidate();
}

void TVLTableItemInfo::SetBackgroundStyle(TVLItemBackgroundStyle value) {
  if (value == BackgroundStyle) return;
  SetPropertyWithUndo("BackgroundStyle", value);
}

// ---------------------------------------------------------------------------
// Cell properties

std::vector<String> TVLTableItemInfo::CellPropertyNames() {
  std::vector<String> names;
  for (const auto& p : CellProps()) names.emplace_back(p.Name);
  return names;
}

bool TVLTableItemInfo::GetCellIntProperty(const TVLTableCellData& cell, const String& name, Integer& value) {
  const auto* p = Find(CellProps(), name);
  if (!p) return false;
  value = p->Get(cell);
  return true;
}

bool TVLTableItemInfo::StoreCellIntProperty(TVLEditVLData* edit, Integer itemNo, const String& name, Integer row,
                                            Integer col, Integer value) {
  const auto* p = Find(CellProps(), name);
  if (!p) return false;
  TVLTableCellData& cell = CellAt(*this, row, col);
  const Integer old = p->Get(cell);
  if (old == value) return false;
  if (TVLUndoList* list = edit ? edit->GetRecordingUndoList() : nullptr) {
    auto r = MakeRecord<TVLUndoModifyCellIntProperty>(edit, itemNo);
    r->Row = row;
    r->Col = col;
    r->PropertyName = name;
    r->Value = old;
    list->AddInfo(std::move(r));
  }
  p->Set(cell, value);
  Changed();
  return true;
}

bool TVLTableItemInfo::StoreRowVAlign(TVLEditVLData* edit, Integer itemNo, Integer row, TVLCellVAlign value) {
  if (row < 0 || row >= Rows.Count()) throw EVellumError(errIndex);
  TVLTableRow& r = *Rows.GetRow(row);
  if (r.VAlign == value) return false;
  if (TVLUndoList* list = edit ? edit->GetRecordingUndoList() : nullptr) {
    auto rec = MakeRecord<TVLUndoModifyRowVAlign>(edit, itemNo);
    rec->Row = row;
    rec->Value = r.VAlign;
    list->AddInfo(std::move(rec));
  }
  r.VAlign = value;
  Changed();
  return true;
}

void TVLTableItemInfo::SetRowVAlign(TVLCellVAlign value, Integer row) {
  TVLEditVLData* edit = RecordingData();
  if (!edit) {
    StoreRowVAlign(nullptr, -1, row, value);
    Changed();
    return;
  }
  const Integer itemNo = GetOwnItemNo();
  RecordStep(edit, itemNo, true, [&] { return StoreRowVAlign(edit, itemNo, row, value); });
}

bool TVLTableItemInfo::StoreCellIntProperties(TVLEditVLData* edit, Integer itemNo, Integer row, Integer col,
                                              const std::vector<std::pair<String, Integer>>& values) {
  TVLTableCellData& cell = CellAt(*this, row, col);
  std::vector<std::pair<String, Integer>> old;
  for (const auto& [name, value] : values) {
    const auto* p = Find(CellProps(), name);
    if (!p || p->Get(cell) == value) continue;
    old.emplace_back(name, p->Get(cell));
    p->Set(cell, value);
  }
  if (old.empty()) return false;
  if (TVLUndoList* list = edit ? edit->GetRecordingUndoList() : nullptr) {
    auto r = MakeRecord<TVLUndoModifyCellIntProperties>(edit, itemNo);
    r->Row = row;
    r->Col = col;
    r->Properties = std::move(old);
    list->AddInfo(std::move(r));
  }
  Changed();
  return true;
}

bool TVLTableItemInfo::StoreCellVisibleBorders(TVLEditVLData* edit, Integer itemNo, Integer row, Integer col,
                                               bool left, bool top, bool right, bool bottom) {
  TVLTableCellData& cell = CellAt(*this, row, col);
  const TVLBooleanRect& v = cell.VisibleBorders;
  if (v.IsEqualEx(left, top, right, bottom)) return false;
  if (TVLUndoList* list = edit ? edit->GetRecordingUndoList() : nullptr) {
    auto r = MakeRecord<TVLUndoModifyCellVisibleBorders>(edit, itemNo);
    r->Row = row;
    r->Col = col;
    r->Left = v.Left;
    r->Top = v.Top;
    r->Right = v.Right;
    r->Bottom = v.Bottom;
    list->AddInfo(std::move(r));
  }
  cell.VisibleBorders.SetValues(left, top, right, bottom);
  Changed();
  return true;
}

bool TVLTableItemInfo::StoreBackgroundImage(TVLEditVLData* edit, Integer itemNo, Integer row, Integer col,
                                            std::unique_ptr<TGraphic> graphic) {
  const bool own = row < 0 && col < 0;
  TVLTableCellData* cell = own ? nullptr : &CellAt(*this, row, col);
  TVLBackground* back = own ? FBackground.get() : cell->GetBackground();
  TGraphic* current = back ? back->GetBitmap() : nullptr;
  if (graphic && graphic.get() == current) {
    (void)graphic.release();
    return false;
  }
  if (!graphic && !current) return false;
  // The old picture goes into the record as it is.
  std::unique_ptr<TGraphic> old = back ? std::move(back->Image) : nullptr;
  if (back) back->PaletteCopy.reset();
  if (TVLUndoList* list = edit ? edit->GetRecordingUndoList() : nullptr) {
    auto r = MakeRecord<TVLUndoModifyBackgroundImage>(edit, itemNo);
    r->Row = row;
    r->Col = col;
    r->Graphic = std::move(old);
    list->AddInfo(std::move(r));
  }
  if (own) {
    if (graphic) {
      if (!FBackground) FBackground = std::make_unique<TVLBackground>(false);
      FBackground->AssignImage(std::move(graphic), FVLData);
    } else {
      FBackground.reset();
    }
  } else {
    cell->SetBackgroundImage(std::move(graphic));
  }
  Changed();
  if (FInplaceEditor) FInplaceEditor->Invalidate();
  return true;
}

TVLBackground* TVLTableItemInfo::GetTableBackground() const {
  if (!FBackground) return nullptr;
  if (FBackground->GetItemBackStyle() != BackgroundStyle) FBackground->SetItemBackStyle(BackgroundStyle);
  return FBackground.get();
}

void TVLTableItemInfo::SetBackgroundImage(std::unique_ptr<TGraphic> graphic) {
  if (graphic && graphic.get() == GetBackgroundImage()) {
    (void)graphic.release();
    return;
  }
  if (graphic && graphic->GetEmpty()) graphic.reset();
  TVLEditVLData* edit = RecordingData();
  if (!edit) {
    StoreBackgroundImage(nullptr, -1, -1, -1, std::move(graphic));
    return;
  }
  const Integer itemNo = GetOwnItemNo();
  RecordStep(edit, itemNo, false, [&] { return StoreBackgroundImage(edit, itemNo, -1, -1, std::move(graphic)); });
}

bool TVLTableItemInfo::SetCellIntPropertyWithUndo(Integer itemNo, const String& name, bool /*sizeFlag*/,
                                                  bool reformatFlag, Integer row, Integer col, Integer value) {
  if (!Find(CellProps(), name)) return false;
  TVLEditVLData* edit = RecordingData();
  if (!edit) {
    StoreCellIntProperty(nullptr, -1, name, row, col, value);
    Changed();
    UpdateEditorLook();
    return true;
  }
  if (itemNo < 0 || itemNo >= edit->GetItemCount() || edit->GetItem(itemNo) != this) itemNo = GetOwnItemNo();
  RecordStep(edit, itemNo, reformatFlag, [&] { return StoreCellIntProperty(edit, itemNo, name, row, col, value); });
  return true;
}

bool TVLTableItemInfo::SetCellPropertyWithUndo(const String& name, Integer row, Integer col, Integer value) {
  const auto* p = Find(CellProps(), name);
  return p && SetCellIntPropertyWithUndo(-1, name, p->Size, p->Reformat, row, col, value);
}

void TVLTableItemInfo::SetCellBestHeightEx(Integer value, Integer row, Integer col, Integer itemNo) {
  SetCellIntPropertyWithUndo(itemNo, "BestHeight", false, true, row, col, value);
}
void TVLTableItemInfo::SetCellBestWidthEx(Integer value, Integer row, Integer col, Integer itemNo) {
  SetCellIntPropertyWithUndo(itemNo, "BestWidth", true, true, row, col, value);
}
void TVLTableItemInfo::SetCellBestHeight(Integer value, Integer row, Integer col) {
  SetCellBestHeightEx(value, row, col, -1);
}
void TVLTableItemInfo::SetCellBestWidth(Integer value, Integer row, Integer col) {
  SetCellBestWidthEx(value, row, col, -1);
}
void TVLTableItemInfo::SetCellColor(TColor value, Integer row, Integer col) {
  SetCellIntPropertyWithUndo(-1, "Color", false, false, row, col, value);
}
void TVLTableItemInfo::SetCellBackgroundStyle(TVLItemBackgroundStyle value, Integer row, Integer col) {
  SetCellIntPropertyWithUndo(-1, "BackgroundStyle", false, false, row, col, value);
}
void TVLTableItemInfo::SetCellBorderColor(TColor value, Integer row, Integer col) {
  SetCellIntPropertyWithUndo(-1, "BorderColor", false, false, row, col, value);
}
void TVLTableItemInfo::SetCellBorderLightColor(TColor value, Integer row, Integer col) {
  SetCellIntPropertyWithUndo(-1, "BorderLightColor", false, false, row, col, value);
}
void TVLTableItemInfo::SetCellVAlign(TVLCellVAlign value, Integer row, Integer col) {
  SetCellIntPropertyWithUndo(-1, "VAlign", false, true, row, col, value);
}

void TVLTableItemInfo::SetCellVisibleBorders(bool left, bool top, bool right, bool bottom, Integer row,
                                             Integer col) {
  TVLEditVLData* edit = RecordingData();
  if (!edit) {
    StoreCellVisibleBorders(nullptr, -1, row, col, left, top, right, bottom);
    Changed();
    return;
  }
  if (CellAt(*this, row, col).VisibleBorders.IsEqualEx(left, top, right, bottom)) {
    Changed();
    return;
  }
  const Integer itemNo = GetOwnItemNo();
  RecordStep(edit, itemNo, false,
             [&] { return StoreCellVisibleBorders(edit, itemNo, row, col, left, top, right, bottom); });
}

void TVLTableItemInfo::SetCellBackgroundImage(std::unique_ptr<TGraphic> graphic, Integer row, Integer col) {
  TVLTableCellData& cell = CellAt(*this, row, col);
  if (graphic && graphic.get() == cell.GetBackgroundImage()) {
    (void)graphic.release();
    return;
  }
  TVLEditVLData* edit = RecordingData();
  if (!edit) {
    StoreBackgroundImage(nullptr, -1, row, col, std::move(graphic));
    Changed();
    return;
  }
  DestroyInplaceEditor(true);
  const Integer itemNo = GetOwnItemNo();
  RecordStep(edit, itemNo, false, [&] { return StoreBackgroundImage(edit, itemNo, row, col, std::move(graphic)); });
}

void TVLTableItemInfo::AssignCellAttributesWithUndo(Integer itemNo, Integer row, Integer col,
                                                    const TVLTableCellData& source, bool includeSize,
                                                    Integer heightDivisor, Integer widthDivisor) {
  TVLTableCellData& cell = CellAt(*this, row, col);
  heightDivisor = std::max(heightDivisor, 1);
  widthDivisor = std::max(widthDivisor, 1);
  TVLEditVLData* edit = RecordingData();
  if (!edit) {
    cell.AssignAttributesFrom(source, includeSize, widthDivisor, heightDivisor);
    Changed();
    return;
  }
  if (itemNo < 0 || itemNo >= edit->GetItemCount() || edit->GetItem(itemNo) != this) itemNo = GetOwnItemNo();
  BeginUndoGroup();
  const TVLBooleanRect& v = source.VisibleBorders;
  SetCellVisibleBorders(v.Left, v.Top, v.Right, v.Bottom, row, col);
  if (source.GetBackgroundImage() != cell.GetBackgroundImage())
    SetCellBackgroundImage(CopyGraphic(source.GetBackgroundImage()), row, col);
  std::vector<std::pair<String, Integer>> values = {
      {"Color", source.Color},
      {"BorderColor", source.BorderColor},
      {"BorderLightColor", source.BorderLightColor},
      {"VAlign", source.VAlign},
      {"BackgroundStyle", source.GetBackgroundStyle()}};
  if (includeSize) {
    values.emplace_back("BestWidth", source.BestWidth / widthDivisor);
    values.emplace_back("BestHeight", source.BestHeight / heightDivisor);
  }
  edit->BeginUndoSequence(vlutModifyItem, true);
  const bool changed = StoreCellIntProperties(edit, itemNo, row, col, values);
  cell.BackgroundImageFileName = source.BackgroundImageFileName;
  if (changed) {
    FGroupChanged = true;
    FGroupReformat = true;
  }
  EndUndoGroup();
  Changed();
}

// ---------------------------------------------------------------------------
// The selected cells

TVLTableInplaceEdit* TVLTableItemInfo::GetEditedCell(Integer& row, Integer& col) const {
  row = FInplaceEditor ? FInplaceEditor->Row : -1;
  col = FInplaceEditor ? FInplaceEditor->Col : -1;
  return FInplaceEditor;
}

bool TVLTableItemInfo::ForEachSelectedCell(const std::function<bool(Integer row, Integer col)>& visit) {
  Integer er = -1, ec = -1;
  GetEditedCell(er, ec);
  const TVLTableCellData* edited = er >= 0 ? GetCell(er, ec) : nullptr;
  bool any = false;
  for (Integer r = 0; r < RowCount(); ++r)
    for (Integer c = 0; c < Rows.GetRow(r)->Count(); ++c) {
      const TVLTableCellData* cell = Rows.GetRow(r)->GetCell(c);
      if (!cell) continue;
      if (!(FCellsSelected && IsCellSelected(r, c)) && cell != edited) continue;
      any = true;
      if (!visit(r, c)) return true;
    }
  return any;
}

void TVLTableItemInfo::SetSelectedCellsColor(TColor value) {
  BeginUndoGroup();
  ForEachSelectedCell([&](Integer r, Integer c) {
    SetCellColor(value, r, c);
    return true;
  });
  EndUndoGroup();
}

void TVLTableItemInfo::SetSelectedCellsBorderColor(TColor value) {
  BeginUndoGroup();
  ForEachSelectedCell([&](Integer r, Integer c) {
    SetCellBorderColor(value, r, c);
    return true;
  });
  EndUndoGroup();
}

void TVLTableItemInfo::SetSelectedCellsBorderLightColor(TColor value) {
  BeginUndoGroup();
  ForEachSelectedCell([&](Integer r, Integer c) {
    SetCellBorderLightColor(value, r, c);
    return true;
  });
  EndUndoGroup();
}

void TVLTableItemInfo::SetSelectedCellsVAlign(TVLCellVAlign value) {
  BeginUndoGroup();
  ForEachSelectedCell([&](Integer r, Integer c) {
    SetCellVAlign(value, r, c);
    return true;
  });
  EndUndoGroup();
}

void TVLTableItemInfo::SetSelectedCellsVisibleBorders(const TVLBooleanRect& sides, bool value) {
  BeginUndoGroup();
  ForEachSelectedCell([&](Integer r, Integer c) {
    const TVLBooleanRect& v = GetCell(r, c)->VisibleBorders;
    SetCellVisibleBorders(sides.Left ? value : v.Left, sides.Top ? value : v.Top, sides.Right ? value : v.Right,
                          sides.Bottom ? value : v.Bottom, r, c);
    return true;
  });
  EndUndoGroup();
}

// ---------------------------------------------------------------------------
// Opening cells

void TVLTableItemInfo::EditCellEx(Integer row, Integer col, bool force) {
  if (!Options.Contains(vltoEditing) && !force) return;
  // A nested table: the cell that holds it opens first.
  if (auto* holder = dynamic_cast<TVLTableCellData*>(FVLData)) {
    TVLTableItemInfo* outer = holder->GetTable();
    Integer hr = -1, hc = -1;
    if (outer)
      for (Integer r = 0; r < outer->RowCount() && hr < 0; ++r)
        for (Integer c = 0; c < outer->Rows.GetRow(r)->Count(); ++c)
          if (outer->Rows.GetRow(r)->GetCell(c) == holder) {
            hr = r;
            hc = c;
            break;
          }
    if (hr < 0) throw EVellumError("Internal error");
    outer->EditCellEx(hr, hc, force);
  }
  // Opening the holding cell moved the table into that cell's editor.
  if (dynamic_cast<TVLTableCellData*>(FVLData)) return;
  CreateInplaceEditor(-1, row, col, false, true, false, false);
}

#include "richtext/editor/VLUndoRecords.h"

#include "richtext/editor/VLEditData.h"
#include "richtext/model/VLUni.h"

namespace {

// Frees an item a record still holds: the document hears of it first.
void FreeUndoItem(TCustomVLData* data, TCustomVLItemInfo* item, const AnsiString& text) {
  if (!item) return;
  if (data) {
    AnsiString t = text;
    data->ItemAction(vliaDestroying, item, t, data);
    data->NotifyControlItem(vlcaDestroyInUndoList, -1, item);
  }
  if (TVLCPInfo* cp = item->Checkpoint) {
    item->Checkpoint = nullptr;
    delete cp;
  }
  delete item;
}

}  // namespace

void TVLUndoItemNoInfo::GetAffectedRange(Integer& startItemNo, Integer& endItemNo, TVLEditVLData* data) {
  if (ItemNo < 0) return;
  startItemNo = ItemNo;
  endItemNo = LastAffectedItemNo >= 0 ? LastAffectedItemNo : ItemNo;
}

void TVLUndoReformateRange::Undo(TVLEditVLData* data) {
  data->AddReformatRange(ItemNo, LastAffectedItemNo, FinalUpdate);
}

bool TVLUndoWidthInfo::FullReformatAfterUndo(TVLEditVLData* data) {
  if (ItemNo < 0 || ItemNo >= data->GetItemCount()) return true;
  return data->WidthNeedsFull(W, data->ParaMinWidth(ItemNo));
}

void TVLUndoChangeTextInfo::Undo(TVLEditVLData* data) {
  W = data->ParaMinWidth(ItemNo);
  data->ChangeText(ItemNo, Text);
}

void TVLUndoDeleteSubstringInfo::Undo(TVLEditVLData* data) {
  W = data->ParaMinWidth(ItemNo);
  data->InsertSubstring(ItemNo, Offset, Text);
}

void TVLUndoInsertSubstringInfo::Undo(TVLEditVLData* data) {
  W = data->ParaMinWidth(ItemNo);
  data->DeleteSubstring(ItemNo, Offset, Length);
}

void TVLUndoTypingInfo::Undo(TVLEditVLData* data) {
  W = data->ParaMinWidth(ItemNo);
  AnsiString text = data->GetItemTextA(ItemNo);
  const Byte opts = Unicode ? vlioUnicode : 0;
  const Integer pos = Offset + Length - 1;
  const AnsiString ch = TextCopy(text, pos, 1, opts);
  TextDelete(text, pos, 1, opts);
  --Length;
  data->SetItemTextA(ItemNo, text);
  AnsiString t = text;
  data->ItemAction(vliaTextModifying, data->GetItem(ItemNo), t, data);
  if (TVLUndoList* redo = data->GetRecordingUndoList()) redo->AddRedoTyping(ch, ItemNo, Offset + Length + 1);
}

void TVLRedoTypingInfo::Undo(TVLEditVLData* data) {
  W = data->ParaMinWidth(ItemNo);
  const Integer n = CharCount();
  const size_t unit = Unicode ? 2 : 1;
  const AnsiString ch = Text.substr(Text.size() - unit);
  Text.resize(Text.size() - unit);
  AnsiString text = data->GetItemTextA(ItemNo);
  TextInsert(ch, text, Offset - n, Unicode ? vlioUnicode : 0);
  data->SetItemTextA(ItemNo, text);
  AnsiString t = text;
  data->ItemAction(vliaTextModifying, data->GetItem(ItemNo), t, data);
  if (TVLUndoList* undo = data->GetRecordingUndoList()) undo->AddTyping(ItemNo, Offset - n, Unicode);
}

TVLUndoItemInfo::~TVLUndoItemInfo() { FreeUndoItem(GetOwnerVLData(), Item, Text); }

void TVLUndoDeleteItemInfo::Undo(TVLEditVLData* data) {
  TCustomVLItemInfo* item = Item;
  Item = nullptr;
  bool full = false;
  data->InsertItem(ItemNo, Text, full, true, item);
  FullReformat = FullReformat || full;
}

bool TVLUndoDeleteItemInfo::FullReformatAfterUndo(TVLEditVLData* data) {
  return FullReformat || data->ParaMinWidth(ItemNo) > data->DocumentWidth;
}

void TVLUndoModifyItemInfo::Undo(TVLEditVLData* data) {
  TCustomVLItemInfo* item = Item;
  Item = nullptr;
  data->ReplaceItem(ItemNo, Text, item);
}

bool TVLUndoModifyItemInfo::FullReformatBeforeUndo(TVLEditVLData* data) {
  return data->ParaMinWidth(ItemNo) >= data->DocumentWidth;
}

TVLUndoDeleteItemsInfo::~TVLUndoDeleteItemsInfo() {
  for (auto& [text, item] : List) FreeUndoItem(GetOwnerVLData(), item, text);
}

void TVLUndoDeleteItemsInfo::Undo(TVLEditVLData* data) {
  bool full = false;
  const Integer count = static_cast<Integer>(List.size());
  auto list = std::move(List);
  List.clear();
  data->InsertItems(StartItemNo, list, full, true);
  EndItemNo = StartItemNo + count - 1;
  FullReformat = FullReformat || full;
}

void TVLUndoDeleteItemsInfo::GetAffectedRange(Integer& startItemNo, Integer& endItemNo, TVLEditVLData* data) {
  startItemNo = StartItemNo;
  endItemNo = StartItemNo + static_cast<Integer>(List.size());
}

bool TVLUndoDeleteItemsInfo::FullReformatAfterUndo(TVLEditVLData* data) {
  if (FullReformat) return true;
  if (EndItemNo < StartItemNo) return false;
  return data->CalculateMinItemsWidth(StartItemNo, EndItemNo) > data->DocumentWidth;
}

void TVLUndoInsertItemInfo::Undo(TVLEditVLData* data) {
  bool full = false;
  data->DeleteItem(ItemNo, full);
}

bool TVLUndoInsertItemInfo::FullReformatBeforeUndo(TVLEditVLData* data) {
  return data->ParaMinWidth(ItemNo) >= data->DocumentWidth;
}

void TVLUndoInsertItemsInfo::Undo(TVLEditVLData* data) {
  bool full = false;
  data->DeleteItems(ItemNo, ItemNo + Count - 1, full);
}

void TVLUndoInsertItemsInfo::GetAffectedRange(Integer& startItemNo, Integer& endItemNo, TVLEditVLData* data) {
  startItemNo = ItemNo;
  endItemNo = ItemNo + Count - 1;
}

bool TVLUndoInsertItemsInfo::FullReformatBeforeUndo(TVLEditVLData* data) {
  return data->CalculateMinItemsWidth(ItemNo, ItemNo + Count - 1) >= data->DocumentWidth;
}

void TVLUndoParaListInfo::Undo(TVLEditVLData* data) {
  bool full = false;
  data->SetParaList(StartItemNo, List, full);
  FullReformat = FullReformat || full;
}

void TVLUndoParaListInfo::GetAffectedRange(Integer& startItemNo, Integer& endItemNo, TVLEditVLData* data) {
  startItemNo = StartItemNo;
  endItemNo = StartItemNo + static_cast<Integer>(List.size());
}

void TVLUndoStyleNoInfo::Undo(TVLEditVLData* data) {
  W = data->ParaMinWidth(ItemNo);
  data->SetStyleNo(ItemNo, StyleNo);
}

void TVLUndoFlagsInfo::Undo(TVLEditVLData* data) { data->RestoreItemFlags(ItemNo, Flags, Action); }

void TVLUndoTagInfo::Undo(TVLEditVLData* data) { data->SetTag(ItemNo, Tag); }

void TVLUndoExtraIntProperty::Undo(TVLEditVLData* data) {
  W = data->ParaMinWidth(ItemNo);
  data->SetExtraIntProperty(ItemNo, Property, Value);
}

void TVLUndoModifyItemIntProperty::Undo(TVLEditVLData* data) {
  W = data->ParaMinWidth(ItemNo);
  data->SetItemIntPropertyWithUndo(ItemNo, PropertyName, Value);
}

void TVLUndoResizeInfo::Undo(TVLEditVLData* data) {
  W = data->ParaMinWidth(ItemNo);
  data->Resize(ItemNo, Width, Height);
}

void TVLUndoAddCPInfo::Undo(TVLEditVLData* data) { data->DeleteCheckpoint(ItemNo); }

void TVLUndoDeleteCPInfo::Undo(TVLEditVLData* data) { data->AddCheckpoint(ItemNo, Checkpoint.release()); }

void TVLUndoModifyItemTerminator::Undo(TVLEditVLData* data) { data->AddModifyItemTerminator(ItemNo, !Flag); }

void TVLUndoReplaceItemInfo::Undo(TVLEditVLData* data) {
  TCustomVLItemInfo* item = Item;
  Item = nullptr;
  data->ReplaceItemObject(ItemNo, item);
}

void TVLUndoModifyItemIntProperties::Undo(TVLEditVLData* data) {
  W = data->ParaMinWidth(ItemNo);
  data->SetItemIntPropertiesWithUndo(ItemNo, Properties);
}

void TVLUndoNestedContent::Undo(TVLEditVLData* data) {
  // Down the path; the items passed lay their inner documents out anew.
  TCustomVLData* doc = data;
  std::vector<TCustomVLItemInfo*> passed;
  for (const TStep& step : Path) {
    if (step.ItemNo < 0 || step.ItemNo >= doc->GetItemCount()) throw EVellumError("Undo error");
    TCustomVLItemInfo* item = doc->GetItem(step.ItemNo);
    doc = item->GetSubVLDataOf(step.Location.get());
    if (!doc) throw EVellumError("Undo error");
    passed.push_back(item);
  }
  if (passed.empty()) throw EVellumError("Undo error");
  auto inverse = std::make_unique<TVLUndoNestedContent>();
  inverse->Action = Action;
  inverse->ItemNo = ItemNo;
  for (const TStep& step : Path) inverse->Path.push_back({step.ItemNo, step.Location->Duplicate()});
  TMemoryStream now;
  doc->SaveDataProperty(now);
  inverse->Content = now.Bytes();
  TStringStream before(Content);
  if (!doc->LoadDataProperty(before)) throw EVellumError("Undo error");
  for (auto it = passed.rbegin(); it != passed.rend(); ++it) (*it)->SubVLDataChanged();
  if (TVLUndoList* list = data->GetRecordingUndoList()) list->AddInfo(std::move(inverse));
}

void TVLCompositeUndo::Undo(TVLEditVLData* data) {
  if (UndoList && UndoList->Count() > 0) UndoList->Undo(data);
}

// ---------------------------------------------------------------------------
// Property registry

TVLPropertyRegistry& TVLPropertyRegistry::Instance() {
  static TVLPropertyRegistry registry;
  return registry;
}

namespace {

template <class T, class F>
TVLIntProperty FieldProperty(F T::*field) {
  return {[field](const TCustomVLItemInfo& item, Integer& v) {
            auto* t = dynamic_cast<const T*>(&item);
            if (!t) return false;
            v = static_cast<Integer>(t->*field);
            return true;
          },
          [field](TCustomVLItemInfo& item, Integer v) {
            auto* t = dynamic_cast<T*>(&item);
            if (!t) return false;
            t->*field = static_cast<F>(v);
            return true;
          }};
}

// A property the item keeps elsewhere (a picture's transparency lives on
// its bitmap), reached through its extra-property accessors.
TVLIntProperty ExtraProperty(TVLExtraItemProperty prop) {
  return {[prop](const TCustomVLItemInfo& item, Integer& v) { return item.GetExtraIntProperty(prop, v); },
          [prop](TCustomVLItemInfo& item, Integer v) { return item.SetExtraIntProperty(prop, v); }};
}

}  // namespace

TVLPropertyRegistry::TVLPropertyRegistry() {
  Register("VAlign", FieldProperty(&TVLRectItemInfo::VAlign));
  Register("VShift", FieldProperty(&TVLRectItemInfo::VShift));
  Register("VShiftAbs", FieldProperty(&TVLRectItemInfo::VShiftAbs));
  Register("Spacing", FieldProperty(&TVLRectItemInfo::Spacing));
  Register("MinHeightOnPage", FieldProperty(&TVLRectItemInfo::MinHeightOnPage));
  Register("ImageWidth", FieldProperty(&TVLGraphicItemInfo::ImageWidth));
  Register("ImageHeight", FieldProperty(&TVLGraphicItemInfo::ImageHeight));
  Register("Transparent", ExtraProperty(vleipTransparent));
  Register("TransparentMode", ExtraProperty(vleipTransparentMode));
  Register("TransparentColor", ExtraProperty(vleipTransparentColor));
  Register("LineWidth", FieldProperty(&TVLBreakItemInfo::LineWidth));
  Register("Style", FieldProperty(&TVLBreakItemInfo::Style));
  Register("Color", FieldProperty(&TVLBreakItemInfo::Color));
  Register("ImageIndex", FieldProperty(&TVLBulletItemInfo::ImageIndex));
  Register("HotImageIndex", FieldProperty(&TVLHotspotItemInfo::HotImageIndex));
  Register("DeleteProtect", FieldProperty(&TVLNonTextItemInfo::DeleteProtect));
}

void TVLPropertyRegistry::Register(const String& name, TVLIntProperty property) {
  FProps.emplace(name, std::move(property));
}

bool TVLPropertyRegistry::Get(const TCustomVLItemInfo& item, const String& name, Integer& value) const {
  auto [b, e] = FProps.equal_range(name);
  for (auto it = b; it != e; ++it)
    if (it->second.Get(item, value)) return true;
  return false;
}

bool TVLPropertyRegistry::Set(TCustomVLItemInfo& item, const String& name, Integer value) const {
  auto [b, e] = FProps.equal_range(name);
  for (auto it = b; it != e; ++it)
    if (it->second.Set(item, value)) return true;
  return false;
}

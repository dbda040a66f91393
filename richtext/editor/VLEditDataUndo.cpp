// The recording primitives: every change an editor makes to the item list
// goes through one of these; each first records its own inverse into the
// list that records now (none: the change is made and what it removes is
// freed at once).
#include "richtext/editor/VLEditData.h"
#include "richtext/editor/VLUndoRecords.h"
#include "richtext/model/VLMarkers.h"
#include "richtext/model/VLUni.h"

#include <algorithm>

namespace {

constexpr Byte LineBits = vlioSameAsPrev | vlioPageBreakBefore | vlioBR;

template <class T>
std::unique_ptr<T> MakeRecord(Byte action, Integer itemNo) {
  auto r = std::make_unique<T>();
  r->Action = action;
  r->ItemNo = itemNo;
  return r;
}

}  // namespace

void TVLEditVLData::AddReformatRange(Integer first, Integer last, bool flag) {
  if (TVLUndoList* list = GetRecordingUndoList()) {
    auto r = MakeRecord<TVLUndoReformateRange>(vlumReformatRange, first);
    r->LastAffectedItemNo = last;
    r->FinalUpdate = flag;
    list->AddInfo(std::move(r));
  }
}

void TVLEditVLData::DeleteItem(Integer itemNo, bool& fullReformat) {
  if (itemNo < 0 || itemNo >= GetItemCount()) throw Exception("Undo error");
  fullReformat = ParaMinWidth(itemNo) >= DocumentWidth;
  TCustomVLItemInfo* item = GetItem(itemNo);
  if (TVLUndoList* list = GetRecordingUndoList()) {
    auto r = MakeRecord<TVLUndoDeleteItemInfo>(vlumDeleteItem, itemNo);
    r->Text = GetItemTextA(itemNo);
    r->FullReformat = fullReformat;
    // The checkpoint goes with the item; it leaves the document's chain.
    if (item->Checkpoint) UnlinkCheckpoint(item->Checkpoint, true);
    if (item->StyleNo == vlsListMarker) RemoveMarkerFromList(item, false);
    AnsiString t = r->Text;
    ItemAction(vliaMovingToUndoList, item, t, this);
    item->MovingToUndoList(itemNo, this, r.get());
    Items->PutObject(itemNo, nullptr);
    Items->Delete(itemNo);
    r->Item = item;
    list->AddInfo(std::move(r));
  } else {
    FreeItemAt(itemNo, false);
    Items->Delete(itemNo);
  }
  UpdateCPItemNumbers();
}

void TVLEditVLData::DeleteItems(Integer first, Integer last, bool& fullReformat) {
  if (last < first) return;
  if (first < 0 || last >= GetItemCount()) throw Exception("Undo error");
  fullReformat = CalculateMinItemsWidth(first, last) >= DocumentWidth;
  if (TVLUndoList* list = GetRecordingUndoList()) {
    auto r = std::make_unique<TVLUndoDeleteItemsInfo>();
    r->Action = vlumDeleteItems;
    r->StartItemNo = first;
    r->FullReformat = fullReformat;
    r->List.resize(static_cast<size_t>(last - first + 1));
    for (Integer i = last; i >= first; --i) {
      TCustomVLItemInfo* item = GetItem(i);
      if (item->Checkpoint) UnlinkCheckpoint(item->Checkpoint, true);
      if (item->StyleNo == vlsListMarker) RemoveMarkerFromList(item, false);
      AnsiString t = GetItemTextA(i);
      ItemAction(vliaMovingToUndoList, item, t, this);
      item->MovingToUndoList(i, this, r.get());
      r->List[static_cast<size_t>(i - first)] = {GetItemTextA(i), item};
      Items->PutObject(i, nullptr);
    }
    DeleteItemBlock(first, last);
    list->AddInfo(std::move(r));
  } else {
    for (Integer i = last; i >= first; --i) FreeItemAt(i, false);
    DeleteItemBlock(first, last);
  }
  UpdateCPItemNumbers();
}

void TVLEditVLData::InsertItem(Integer itemNo, const AnsiString& textIn, bool& fullReformat,
                               bool callMovingFromUndo, TCustomVLItemInfo* item) {
  if (itemNo < 0 || itemNo > GetItemCount()) throw Exception("Undo error");
  // The rest of a paragraph the new item now starts takes its style. Not
  // while a group is replayed: its other records put the paragraph numbers
  // back themselves, and the states in between are not whole paragraphs.
  Integer contEnd = -1;
  if (!callMovingFromUndo && item->IsParaStart() && itemNo < GetItemCount() && !GetItem(itemNo)->IsParaStart()) {
    contEnd = itemNo;
    while (contEnd + 1 < GetItemCount() && !GetItem(contEnd + 1)->IsParaStart()) ++contEnd;
  }
  TVLCPInfo* cp = item->Checkpoint;
  if (TVLUndoList* list = GetRecordingUndoList()) {
    auto r = MakeRecord<TVLUndoInsertItemInfo>(vlumInsertItem, itemNo);
    list->AddInfo(std::move(r));
  }
  AnsiString text = textIn;
  item->Inserting(this, text, false);
  Items->InsertObject(itemNo, text, item);
  item->Inserted(this, itemNo);
  if (item->StyleNo == vlsListMarker) AddMarkerToList(itemNo);
  if (callMovingFromUndo) item->MovingFromUndoList(itemNo, this);
  item->UpdatePaletteInfo(GetDoInPaletteMode(), false);
  if (cp) {
    cp->ItemInfo = item;
    ++CPCount;  // before linking, as in AddCheckpoint
    LinkCheckpoint(cp, itemNo);
  }
  fullReformat = false;
  if (contEnd >= 0) {
    bool f = false;
    SetParaRange(itemNo + 1, contEnd + 1, f, item->ParaNo);
    fullReformat = f;
  }
  if (ParaMinWidth(itemNo) > DocumentWidth) fullReformat = true;
}

void TVLEditVLData::InsertItems(Integer itemNo,
                                std::vector<std::pair<AnsiString, TCustomVLItemInfo*>>& list,
                                bool& fullReformat, bool callMovingFromUndo) {
  const Integer count = static_cast<Integer>(list.size());
  if (count == 0) return;
  if (itemNo < 0 || itemNo > GetItemCount()) throw Exception("Undo error");
  AddInsertItemsRecord(itemNo, count);
  std::vector<std::pair<AnsiString, TCustomVLItemInfo*>> block;
  block.reserve(list.size());
  for (auto& [text, item] : list) {
    AnsiString t = text;
    item->Inserting(this, t, false);
    block.emplace_back(t, item);
  }
  list.clear();
  InsertItemBlock(itemNo, block);
  for (Integer i = itemNo; i < itemNo + count; ++i) {
    TCustomVLItemInfo* item = GetItem(i);
    item->Inserted(this, i);
    if (item->StyleNo == vlsListMarker) AddMarkerToList(i);
    if (callMovingFromUndo) item->MovingFromUndoList(i, this);
    item->UpdatePaletteInfo(GetDoInPaletteMode(), false);
    if (TVLCPInfo* cp = item->Checkpoint) {
      cp->ItemInfo = item;
      LinkCheckpoint(cp, i);
      ++CPCount;
    }
  }
  fullReformat = CalculateMinItemsWidth(itemNo, itemNo + count - 1) > DocumentWidth;
}

void TVLEditVLData::AddInsertItemsRecord(Integer itemNo, Integer count) {
  if (count == 0) return;
  if (TVLUndoList* list = GetRecordingUndoList()) {
    auto r = MakeRecord<TVLUndoInsertItemsInfo>(vlumInsertItems, itemNo);
    r->Count = count;
    list->AddInfo(std::move(r));
  }
}

void TVLEditVLData::ReplaceItem(Integer itemNo, const AnsiString& text, TCustomVLItemInfo* newItem) {
  if (itemNo < 0 || itemNo >= GetItemCount()) throw Exception("Undo error");
  TCustomVLItemInfo* old = GetItem(itemNo);
  newItem->ParaNo = old->ParaNo;
  newItem->ItemOptions = static_cast<Byte>((newItem->ItemOptions & ~LineBits) | (old->ItemOptions & LineBits));
  newItem->JumpID = old->JumpID;
  newItem->DrawItemNo = old->DrawItemNo;
  if (!newItem->Checkpoint && old->Checkpoint) {
    newItem->Checkpoint = old->Checkpoint;
    newItem->Checkpoint->ItemInfo = newItem;
    old->Checkpoint = nullptr;
  }
  if (ActiveItem == old) ActiveItem = newItem;
  if (CaptureMouseItem == old) CaptureMouseItem = nullptr;
  if (TVLUndoList* list = GetRecordingUndoList()) {
    auto r = MakeRecord<TVLUndoModifyItemInfo>(vlumModifyItem, itemNo);
    r->Text = GetItemTextA(itemNo);
    r->Item = old;
    list->AddInfo(std::move(r));
  } else {
    FreeItem(old, false);
  }
  Items->Put(itemNo, text);
  Items->PutObject(itemNo, newItem);
}

void TVLEditVLData::ReplaceItemObject(Integer itemNo, TCustomVLItemInfo* newItem) {
  if (itemNo < 0 || itemNo >= GetItemCount()) {
    delete newItem;
    throw Exception("Undo error");
  }
  TCustomVLItemInfo* old = GetItem(itemNo);
  newItem->ParaNo = old->ParaNo;
  newItem->ItemOptions = static_cast<Byte>((newItem->ItemOptions & ~LineBits) | (old->ItemOptions & LineBits));
  newItem->JumpID = old->JumpID;
  newItem->DrawItemNo = old->DrawItemNo;
  newItem->Tag = old->Tag;
  newItem->Checkpoint = old->Checkpoint;
  if (newItem->Checkpoint) newItem->Checkpoint->ItemInfo = newItem;
  old->Checkpoint = nullptr;
  if (ActiveItem == old) ActiveItem = newItem;
  if (CaptureMouseItem == old) CaptureMouseItem = nullptr;
  AnsiString text = GetItemTextA(itemNo);
  if (TVLUndoList* list = GetRecordingUndoList()) {
    auto r = MakeRecord<TVLUndoReplaceItemInfo>(vlumModifyItem, itemNo);
    r->Text = text;
    r->Item = old;
    list->AddInfo(std::move(r));
  } else {
    FreeItem(old, false);
  }
  newItem->Inserting(this, text, false);
  Items->PutObject(itemNo, newItem);
  newItem->Inserted(this, itemNo);
}

void TVLEditVLData::DeleteSubstring(Integer itemNo, Integer index, Integer count) {
  if (itemNo < 0 || itemNo >= GetItemCount()) throw Exception("Undo error");
  AnsiString text = GetItemTextA(itemNo);
  const Byte opts = GetItemOptions(itemNo);
  if (count == -1) count = TextLength(text, opts) - index + 1;
  if (count <= 0) return;
  if (TVLUndoList* list = GetRecordingUndoList()) {
    auto r = MakeRecord<TVLUndoDeleteSubstringInfo>(vlumDeleteSubstring, itemNo);
    r->Offset = index;
    r->Text = TextCopy(text, index, count, opts);
    r->W = ParaMinWidth(itemNo);
    list->AddInfo(std::move(r));
  }
  TextDelete(text, index, count, opts);
  ItemAction(vliaTextModifying, GetItem(itemNo), text, this);
  SetItemTextA(itemNo, text);
}

void TVLEditVLData::InsertSubstring(Integer itemNo, Integer index, const AnsiString& s) {
  if (s.empty()) return;
  if (itemNo < 0 || itemNo >= GetItemCount() || GetItemStyle(itemNo) < 0) throw Exception("Undo error");
  const Byte opts = GetItemOptions(itemNo);
  if (TVLUndoList* list = GetRecordingUndoList()) {
    auto r = MakeRecord<TVLUndoInsertSubstringInfo>(vlumInsertSubstring, itemNo);
    r->Offset = index;
    r->Length = TextLength(s, opts);
    r->W = ParaMinWidth(itemNo);
    list->AddInfo(std::move(r));
  }
  AnsiString text = GetItemTextA(itemNo);
  TextInsert(s, text, index, opts);
  ItemAction(vliaTextModifying, GetItem(itemNo), text, this);
  SetItemTextA(itemNo, text);
}

void TVLEditVLData::ChangeText(Integer itemNo, const AnsiString& newText) {
  if (itemNo < 0 || itemNo >= GetItemCount()) throw Exception("Undo error");
  const AnsiString old = GetItemTextA(itemNo);
  if (old == newText) return;
  if (TVLUndoList* list = GetRecordingUndoList()) {
    auto r = MakeRecord<TVLUndoChangeTextInfo>(vlumChangeText, itemNo);
    r->Text = old;
    r->W = ParaMinWidth(itemNo);
    list->AddInfo(std::move(r));
  }
  AnsiString t = newText;
  ItemAction(vliaTextModifying, GetItem(itemNo), t, this);
  SetItemTextA(itemNo, t);
}

void TVLEditVLData::RestoreItemFlags(Integer itemNo, Byte flags, Byte action) {
  if (itemNo < 0 || itemNo >= GetItemCount()) throw Exception("Undo error");
  TCustomVLItemInfo* item = GetItem(itemNo);
  if ((item->ItemOptions & LineBits) == (flags & LineBits)) return;
  if (TVLUndoList* list = GetRecordingUndoList()) {
    std::unique_ptr<TVLUndoFlagsInfo> r;
    if (action == vlumBR)
      r = std::make_unique<TVLUndoBRInfo>();
    else if (action == vlumPageBreak)
      r = std::make_unique<TVLUndoPageBreakInfo>();
    else
      r = std::make_unique<TVLUndoNewLineInfo>();
    r->Action = action;
    r->ItemNo = itemNo;
    r->Flags = item->ItemOptions & LineBits;
    r->FullReformat = true;
    list->AddInfo(std::move(r));
  }
  item->ItemOptions = static_cast<Byte>((item->ItemOptions & ~LineBits) | (flags & LineBits));
}

void TVLEditVLData::SetSameAsPrev(Integer itemNo, bool value, bool& fullReformat, Integer newParaNo) {
  fullReformat = false;
  TCustomVLItemInfo* item = GetItem(itemNo);
  // A full-line item (a table) is a paragraph of its own: it neither goes
  // on after another item nor lets one go on after it; the reader puts a
  // break there whatever was saved.
  if (item->GetBoolValue(0) || (value && itemNo > 0 && GetItem(itemNo - 1)->GetBoolValue(0))) return;
  if (!value && !item->GetSameAsPrev()) return;
  if (value && item->GetSameAsPrev()) return;
  const Integer w = ParaMinWidth(itemNo);
  if (value) {
    bool f = false;
    SetBR(itemNo, false, f);
    SetPageBreak(itemNo, false);
  }
  // The end of the paragraph that continues after the item.
  Integer end = itemNo;
  while (end + 1 < GetItemCount() && !GetItem(end + 1)->IsParaStart()) ++end;
  if (value && itemNo > 0) {
    bool f = false;
    SetParaRange(itemNo, end, f, GetItem(itemNo - 1)->ParaNo);
  } else if (!value && newParaNo != -1) {
    bool f = false;
    SetParaRange(itemNo, end, f, newParaNo);
  }
  Byte flags = item->ItemOptions & LineBits;
  flags = value ? static_cast<Byte>((flags | vlioSameAsPrev) & ~(vlioBR | vlioPageBreakBefore))
                : static_cast<Byte>(flags & ~vlioSameAsPrev);
  RestoreItemFlags(itemNo, flags, vlumNewLine);
  fullReformat = WidthNeedsFull(w, ParaMinWidth(itemNo));
}

void TVLEditVLData::SetBR(Integer itemNo, bool value, bool& fullReformat) {
  fullReformat = false;
  TCustomVLItemInfo* item = GetItem(itemNo);
  if (value == item->GetBR()) return;
  if (value && item->GetBoolValue(0)) return;
  const Integer w = ParaMinWidth(itemNo);
  Byte flags = item->ItemOptions & LineBits;
  flags = value ? static_cast<Byte>((flags | vlioBR) & ~vlioSameAsPrev) : static_cast<Byte>(flags & ~vlioBR);
  RestoreItemFlags(itemNo, flags, vlumBR);
  fullReformat = WidthNeedsFull(w, ParaMinWidth(itemNo));
}

void TVLEditVLData::SetPageBreak(Integer itemNo, bool value) {
  if (itemNo > 0 && GetItemStyle(itemNo - 1) == vlsListMarker) --itemNo;
  TCustomVLItemInfo* item = GetItem(itemNo);
  if (value == item->GetPageBreakBefore()) return;
  if (value && item->GetSameAsPrev()) return;
  Byte flags = item->ItemOptions & LineBits;
  flags = value ? static_cast<Byte>((flags | vlioPageBreakBefore) & ~(vlioSameAsPrev | vlioBR))
                : static_cast<Byte>(flags & ~vlioPageBreakBefore);
  RestoreItemFlags(itemNo, flags, vlumPageBreak);
}

void TVLEditVLData::SetParaRange(Integer first, Integer last, bool& fullReformat, Integer paraNo) {
  fullReformat = false;
  if (last < first) return;
  last = std::min(last, GetItemCount() - 1);
  std::vector<Integer> list;
  list.reserve(static_cast<size_t>(last - first + 1));
  TVLStyle* style = GetStyle();
  bool changes = false;
  for (Integer i = first; i <= last; ++i) {
    const Integer old = GetItem(i)->ParaNo;
    Integer n = paraNo;
    if (style && old >= 0 && old < style->ParaStyles->Count() &&
        style->ParaStyles->Items(old)->Options.Contains(vlpaoStyleProtect)) {
      // A protected paragraph keeps its style unless it continues one that
      // already has the new style.
      const bool continues = i > 0 && !GetItem(i)->IsParaStart() &&
                             (i - 1 < first ? GetItem(i - 1)->ParaNo : list.back()) == paraNo;
      if (!continues) n = old;
    }
    list.push_back(n);
    changes = changes || n != old;
  }
  if (changes) SetParaList(first, list, fullReformat);
}

void TVLEditVLData::SetParaList(Integer first, const std::vector<Integer>& list, bool& fullReformat) {
  fullReformat = false;
  if (list.empty()) return;
  const Integer last = std::min(first + static_cast<Integer>(list.size()) - 1, GetItemCount() - 1);
  const Integer w = CalculateMinItemsWidth(first, last);
  if (TVLUndoList* rec = GetRecordingUndoList()) {
    auto r = std::make_unique<TVLUndoParaListInfo>();
    r->Action = vlumPara;
    r->StartItemNo = first;
    for (Integer i = first; i <= last; ++i) r->List.push_back(GetItem(i)->ParaNo);
    rec->AddInfo(std::move(r));
  }
  for (Integer i = first; i <= last; ++i) GetItem(i)->ParaNo = list[static_cast<size_t>(i - first)];
  fullReformat = WidthNeedsFull(w, CalculateMinItemsWidth(first, last));
}

void TVLEditVLData::SetStyleNo(Integer itemNo, Integer styleNo) {
  TCustomVLItemInfo* item = GetItem(itemNo);
  if (item->StyleNo < 0 || item->StyleNo == styleNo) return;
  if (TVLUndoList* list = GetRecordingUndoList()) {
    auto r = MakeRecord<TVLUndoStyleNoInfo>(vlumStyleNo, itemNo);
    r->StyleNo = item->StyleNo;
    r->W = ParaMinWidth(itemNo);
    list->AddInfo(std::move(r));
  }
  TVLStyle* style = GetStyle();
  if (style) {
    const Integer actual = GetActualStyleNo(styleNo, item->ParaNo);
    if (actual >= 0 && actual < style->TextStyles->Count()) {
      if (style->TextStyles->Items(actual)->Unicode)
        item->ItemOptions |= vlioUnicode;
      else
        item->ItemOptions &= static_cast<Byte>(~vlioUnicode);
    }
  }
  item->StyleNo = styleNo;
}

void TVLEditVLData::SetTag(Integer itemNo, const TVLTag& tag) {
  TCustomVLItemInfo* item = GetItem(itemNo);
  if (AreTagsEqual(item->Tag, tag)) return;
  if (TVLUndoList* list = GetRecordingUndoList()) {
    auto r = MakeRecord<TVLUndoTagInfo>(vlumTag, itemNo);
    r->Tag = CopyTag(item->Tag);
    list->AddInfo(std::move(r));
  }
  item->Tag = CopyTag(tag);
}

void TVLEditVLData::SetExtraIntProperty(Integer itemNo, TVLExtraItemProperty prop, Integer value) {
  TCustomVLItemInfo* item = GetItem(itemNo);
  Integer old = 0;
  if (!item->GetExtraIntProperty(prop, old) || old == value) return;
  if (TVLUndoList* list = GetRecordingUndoList()) {
    auto r = MakeRecord<TVLUndoExtraIntProperty>(vlumModifyItem, itemNo);
    r->Property = prop;
    r->Value = old;
    r->W = ParaMinWidth(itemNo);
    list->AddInfo(std::move(r));
  }
  item->SetExtraIntProperty(prop, value);
}

void TVLEditVLData::SetItemIntPropertyWithUndo(Integer itemNo, const String& name, Integer value) {
  TCustomVLItemInfo* item = GetItem(itemNo);
  Integer old = 0;
  const TVLPropertyRegistry& reg = TVLPropertyRegistry::Instance();
  if (!reg.Get(*item, name, old) || old == value) return;
  item->BeforeUndoChangeProperty();
  if (TVLUndoList* list = GetRecordingUndoList()) {
    auto r = MakeRecord<TVLUndoModifyItemIntProperty>(vlumModifyItem, itemNo);
    r->PropertyName = name;
    r->Value = old;
    r->W = ParaMinWidth(itemNo);
    list->AddInfo(std::move(r));
  }
  reg.Set(*item, name, value);
  item->AfterUndoChangeProperty();
}

void TVLEditVLData::SetItemIntPropertiesWithUndo(Integer itemNo,
                                                 const std::vector<std::pair<String, Integer>>& values) {
  TCustomVLItemInfo* item = GetItem(itemNo);
  const TVLPropertyRegistry& reg = TVLPropertyRegistry::Instance();
  auto r = MakeRecord<TVLUndoModifyItemIntProperties>(vlumModifyItem, itemNo);
  r->W = ParaMinWidth(itemNo);
  item->BeforeUndoChangeProperty();
  for (const auto& [name, value] : values) {
    Integer old = 0;
    if (!reg.Get(*item, name, old) || old == value) continue;
    r->Properties.emplace_back(name, old);
    reg.Set(*item, name, value);
  }
  item->AfterUndoChangeProperty();
  // A record that changed nothing is dropped.
  if (r->Properties.empty()) return;
  if (TVLUndoList* list = GetRecordingUndoList()) list->AddInfo(std::move(r));
}

void TVLEditVLData::ConcateItems(Integer itemNo) {
  TCustomVLItemInfo* a = GetItem(itemNo);
  TCustomVLItemInfo* b = GetItem(itemNo + 1);
  bool full = false;
  if (GetItemTextA(itemNo + 1).empty()) {
    DeleteItem(itemNo + 1, full);
    return;
  }
  if (a->IsUnicode() != b->IsUnicode()) {
    // Only an empty first item gives way to an item of the other encoding.
    if (GetItemLength(itemNo) != 0) return;
    const Byte flags = a->ItemOptions & LineBits;
    SetParaRange(itemNo + 1, itemNo + 1, full, a->ParaNo);
    RestoreItemFlags(itemNo + 1, flags, vlumNewLine);
    if (a->Checkpoint && !b->Checkpoint) AddCheckpoint(itemNo + 1, a->Checkpoint->CreateCopy(TagsArePChars()).release());
    DeleteItem(itemNo, full);
    return;
  }
  if (GetItemLength(itemNo) == 0) {
    SetTag(itemNo, b->Tag);
    SetStyleNo(itemNo, b->StyleNo);
  }
  InsertSubstring(itemNo, GetItemLength(itemNo) + 1, GetItemTextA(itemNo + 1));
  // A position named on the joined text stays with it.
  if (b->Checkpoint && !a->Checkpoint) AddCheckpoint(itemNo, b->Checkpoint->CreateCopy(TagsArePChars()).release());
  DeleteItem(itemNo + 1, full);
}

// ---------------------------------------------------------------------------
// Checkpoints, sizes and bracketing records

void TVLEditVLData::AddModifyItemTerminator(Integer itemNo, bool flag) {
  if (TVLUndoList* list = GetRecordingUndoList()) {
    auto r = MakeRecord<TVLUndoModifyItemTerminator>(vlumModifyItem, itemNo);
    r->Flag = flag;
    list->AddInfo(std::move(r));
  }
}

void TVLEditVLData::AddCheckpoint(Integer itemNo, TVLCPInfo* cp) {
  if (itemNo == -1 ? NotAddedCP != nullptr : GetItem(itemNo)->Checkpoint != nullptr) {
    delete cp;
    throw EVellumError("Checkpoint error");
  }
  if (!cp) return;
  if (TVLUndoList* list = GetRecordingUndoList()) list->AddInfo(MakeRecord<TVLUndoAddCPInfo>(vlumCheckpoint, itemNo));
  // Counted first: the renumbering before linking must see every item's
  // checkpoint, or one after the new one keeps a stale number and the chain
  // leaves item order.
  ++CPCount;
  if (itemNo == -1) {
    NotAddedCP = cp;
  } else {
    TCustomVLItemInfo* item = GetItem(itemNo);
    item->Checkpoint = cp;
    cp->ItemInfo = item;
    UpdateCPItemNumbers();
    LinkCheckpoint(cp, itemNo);
  }
}

void TVLEditVLData::DeleteCheckpoint(Integer itemNo) {
  TVLCPInfo* cp = itemNo == -1 ? NotAddedCP : GetItem(itemNo)->Checkpoint;
  if (!cp) throw EVellumError("Checkpoint error");
  if (itemNo == -1)
    NotAddedCP = nullptr;
  else {
    UnlinkCheckpoint(cp, false);
    GetItem(itemNo)->Checkpoint = nullptr;
  }
  --CPCount;
  if (TVLUndoList* list = GetRecordingUndoList()) {
    auto r = MakeRecord<TVLUndoDeleteCPInfo>(vlumCheckpoint, itemNo);
    r->Checkpoint.reset(cp);
    list->AddInfo(std::move(r));
  } else {
    delete cp;
  }
}

void TVLEditVLData::MoveCheckpoint(Integer from, Integer to) {
  TVLCPInfo* cp = from == -1 ? NotAddedCP : GetItem(from)->Checkpoint;
  if (!cp) return;
  if (to == -1 ? NotAddedCP != nullptr : GetItem(to)->Checkpoint != nullptr) DeleteCheckpoint(to);
  AddCheckpoint(to, cp->CreateCopy(TagsArePChars()).release());
  DeleteCheckpoint(from);
}

void TVLEditVLData::Resize(Integer itemNo, Integer width, Integer height, bool reformat) {
  TCustomVLItemInfo* item = GetItem(itemNo);
  if (auto* c = dynamic_cast<TVLControlItemInfo*>(item)) {
    if (!c->Control || (c->Control->GetWidth() == width && c->Control->GetHeight() == height)) return;
    if (TVLUndoList* list = GetRecordingUndoList()) {
      auto r = MakeRecord<TVLUndoResizeInfo>(vlumModifyItem, itemNo);
      r->Width = c->Control->GetWidth();
      r->Height = c->Control->GetHeight();
      r->W = ParaMinWidth(itemNo);
      list->AddInfo(std::move(r));
    }
    ResizeControl(itemNo, width, height, reformat);
    return;
  }
  auto* g = dynamic_cast<TVLGraphicItemInfo*>(item);
  if (!g || (g->ImageWidth == width && g->ImageHeight == height)) return;
  const Integer w = ParaMinWidth(itemNo);
  if (TVLUndoList* list = GetRecordingUndoList()) {
    auto r = MakeRecord<TVLUndoResizeInfo>(vlumModifyItem, itemNo);
    r->Width = g->ImageWidth;
    r->Height = g->ImageHeight;
    r->W = w;
    list->AddInfo(std::move(r));
  }
  g->ImageWidth = width;
  g->ImageHeight = height;
  if (reformat) ReformatAfterItemChange(itemNo, w);
}

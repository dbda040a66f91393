#include "richtext/model/VLData.h"

#include "platform/base/Streams.h"
#include "platform/base/Wipe.h"
#include "platform/gui/Dialogs.h"
#include "richtext/model/VLFuncs.h"
#include "richtext/model/VLMarkers.h"
#include "richtext/model/VLUni.h"

#include <functional>
#include <unordered_set>

namespace {

TVLRTFReadHook* RTFReadHook = nullptr;
std::function<std::unique_ptr<TVLRTFReadHook>()>& RTFReadHookFactory() {
  static std::function<std::unique_ptr<TVLRTFReadHook>()> factory;
  return factory;
}

// The base item behaviour reaches its document through these hooks.
const bool HooksInstalled = [] {
  TVLItemDocumentHooks& h = VLItemDocumentHooks();
  h.ItemAction = [](TCustomVLData* d, TVLItemAction action, TCustomVLItemInfo* item,
                    AnsiString& text) {
    if (d) d->ItemAction(action, item, text, d);
  };
  h.GetOptions = [](const TCustomVLData* d) {
    return d ? const_cast<TCustomVLData*>(d)->GetOptions() : TVLOptions();
  };
  h.GetItemText = [](const TCustomVLData* d, Integer itemNo) {
    if (!d || itemNo < 0 || itemNo >= d->GetItemCount()) return AnsiString();
    return d->GetItemTextA(itemNo);
  };
  h.GetItemHint = [](TCustomVLData* d, TCustomVLItemInfo* item, Integer itemNo) {
    String hint = item ? item->Hint : String();
    if (d) d->DoItemHint(d, itemNo, hint);
    return hint;
  };
  h.GetParentControl = [](TCustomVLData* d) -> TControl* {
    return d ? dynamic_cast<TControl*>(d->GetParentControl()) : nullptr;
  };
  return true;
}();

}  // namespace

void VLRegisterRTFReadHook(TVLRTFReadHook* hook) { RTFReadHook = hook; }
TVLRTFReadHook* VLGetRTFReadHook() { return RTFReadHook; }
void VLRegisterRTFReadHookFactory(std::function<std::unique_ptr<TVLRTFReadHook>()> factory) {
  RTFReadHookFactory() = std::move(factory);
}
std::unique_ptr<TVLRTFReadHook> VLMakeRTFReadHook() {
  return RTFReadHookFactory() ? RTFReadHookFactory()() : nullptr;
}

// ---------------------------------------------------------------------------

TCustomVLData::TCustomVLData() { CreateItems(); }

void TCustomVLData::CreateItems() {
  // A sharing document has its list handed over by ShareItemsFrom; the
  // virtual ShareItems of a descendant is not known yet here, so a sharing
  // descendant drops this list in its own constructor.
  Items = new TStringList();
  FOwnsItems = true;
}

TCustomVLData::~TCustomVLData() {
  // Descendants clear in their own destructors while their overrides still
  // exist; what remains is freed here with the base behaviour.
  if (FOwnsItems && Items) {
    for (Integer i = 0; i < Items->Count(); ++i) {
      auto* item = static_cast<TCustomVLItemInfo*>(Items->GetObject(i));
      if (item && item->Checkpoint) {
        delete item->Checkpoint;
        item->Checkpoint = nullptr;
      }
      delete item;
    }
    Items->Clear();
    delete Items;
  }
  delete NotAddedCP;
  Items = nullptr;
}

// ---------------------------------------------------------------------------
// Settings: a nested document asks its root; a root that does not answer
// them itself gives the published defaults instead of asking itself again.

#define QY_VL_ASK_ROOT(call, fallback)           \
  TCustomVLData* root = GetRootData();          \
  if (root && root != this) return root->call;  \
  return fallback

TVLOptions TCustomVLData::GetOptions() { QY_VL_ASK_ROOT(GetOptions(), TVLOptions()); }
void TCustomVLData::SetOptions(TVLOptions value) {
  TCustomVLData* root = GetRootData();
  if (root && root != this) root->SetOptions(value);
}
TVLFOptions TCustomVLData::GetVLFOptions() { QY_VL_ASK_ROOT(GetVLFOptions(), VLFDefaultOptions); }
void TCustomVLData::SetVLFOptions(TVLFOptions value) {
  TCustomVLData* root = GetRootData();
  if (root && root != this) root->SetVLFOptions(value);
}
TVLRTFOptions TCustomVLData::GetRTFOptions() { QY_VL_ASK_ROOT(GetRTFOptions(), TVLRTFOptions()); }
void TCustomVLData::SetRTFOptions(TVLRTFOptions value) {
  TCustomVLData* root = GetRootData();
  if (root && root != this) root->SetRTFOptions(value);
}
TVLFWarnings TCustomVLData::GetVLFWarnings() { QY_VL_ASK_ROOT(GetVLFWarnings(), FVLFWarnings); }
void TCustomVLData::SetVLFWarnings(TVLFWarnings value) {
  TCustomVLData* root = GetRootData();
  if (root && root != this)
    root->SetVLFWarnings(value);
  else
    FVLFWarnings = value;
}
TVLFReaderStyleMode TCustomVLData::GetVLFTextStylesReadMode() {
  QY_VL_ASK_ROOT(GetVLFTextStylesReadMode(), vlf_sInsertMerge);
}
TVLFReaderStyleMode TCustomVLData::GetVLFParaStylesReadMode() {
  QY_VL_ASK_ROOT(GetVLFParaStylesReadMode(), vlf_sInsertMerge);
}
TVLPaletteAction TCustomVLData::GetDoInPaletteMode() { QY_VL_ASK_ROOT(GetDoInPaletteMode(), vlpaDoNothing); }
void* TCustomVLData::GetPalette() { QY_VL_ASK_ROOT(GetPalette(), nullptr); }
void* TCustomVLData::GetLogPalette() { QY_VL_ASK_ROOT(GetLogPalette(), nullptr); }
TVLBiDiMode TCustomVLData::GetBiDiMode() { QY_VL_ASK_ROOT(GetBiDiMode(), vlbdUnspecified); }
String TCustomVLData::GetDelimiters() { QY_VL_ASK_ROOT(GetDelimiters(), String(" .;,:(){}\"/\\<>!?[]")); }
TVLRTFReadHook* TCustomVLData::GetRTFReadProperties() { QY_VL_ASK_ROOT(GetRTFReadProperties(), nullptr); }
TObject* TCustomVLData::GetParentControl() { QY_VL_ASK_ROOT(GetParentControl(), nullptr); }

TVLStyle* TCustomVLData::GetStyle() {
  TCustomVLData* parent = GetParentData();
  return parent && parent != this ? parent->GetStyle() : nullptr;
}

void TCustomVLData::GetParentInfo(Integer& itemNo, std::unique_ptr<TVLStoreSubVLData>& location) {
  itemNo = -1;
  location.reset();
}

TVLFStyleMaps* TCustomVLData::GetVLFStyleMaps() { QY_VL_ASK_ROOT(GetVLFStyleMaps(), nullptr); }

#define QY_VL_ASK_ABS_ROOT(call)                   \
  TCustomVLData* root = GetAbsoluteRootData();    \
  if (root && root != this) root->call

void TCustomVLData::DoVLFPictureNeeded(const String& name, Integer tag,
                                       std::unique_ptr<TGraphic>& graphic) {
  TCustomVLData* root = GetRootData();
  if (root && root != this) root->DoVLFPictureNeeded(name, tag, graphic);
}
void TCustomVLData::DoVLFControlNeeded(const String& name, Integer tag, TObject*& control) {
  TCustomVLData* root = GetRootData();
  if (root && root != this) root->DoVLFControlNeeded(name, tag, control);
}
void TCustomVLData::DoVLFImageListNeeded(Integer imageListTag, TComponent*& imageList) {
  TCustomVLData* root = GetRootData();
  if (root && root != this) root->DoVLFImageListNeeded(imageListTag, imageList);
}
void TCustomVLData::DoItemHint(TCustomVLData* vlData, Integer itemNo, String& hint) {
  QY_VL_ASK_ABS_ROOT(DoItemHint(vlData, itemNo, hint));
}
void TCustomVLData::DoReadHyperlink(const String& target, const String& extras, Integer docFormat,
                                    Integer& styleNo, TCustomVLItemInfo* item) {
  TCustomVLData* root = GetRootData();
  if (root && root != this) root->DoReadHyperlink(target, extras, docFormat, styleNo, item);
}

// ---------------------------------------------------------------------------
// Items

TCustomVLItemInfo* TCustomVLData::GetItem(Integer itemNo) const {
  return static_cast<TCustomVLItemInfo*>(Items->GetObject(itemNo));
}

Integer TCustomVLData::GetItemNo(const TCustomVLItemInfo* item) const {
  for (Integer i = 0; i < Items->Count(); ++i)
    if (Items->GetObject(i) == item) return i;
  return -1;
}

void TCustomVLData::AddItem(const AnsiString& textIn, TCustomVLItemInfo* item) {
  AnsiString text = textIn;
  TWipeTextOnExit<char> wipe(text, IsSensitive());
  const Integer count = GetItemCount();
  bool continues = false;
  if (item->ParaNo == -1 && count > 0 && !GetItem(count - 1)->GetBoolValue(0)) {
    item->SetSameAsPrev(true);
    item->ParaNo = GetItem(count - 1)->ParaNo;
    continues = true;
  }
  if (!continues) {
    // A marker is always followed by an item of its own paragraph.
    if (count > 0 && GetItem(count - 1)->StyleNo == vlsListMarker) AddTextItem("", 0, -1);
    item->SetSameAsPrev(false);
    if (item->GetBR() || !AddParagraphMode)
      item->SetBR(true);
    else
      item->SetBR(false);
    if (item->ParaNo == -1) item->ParaNo = 0;
  }
  if (TVLCPInfo* carried = item->Checkpoint) {
    if (!NotAddedCP) {
      NotAddedCP = new TVLCPInfo();
      NotAddedCP->Name = carried->Name;
      NotAddedCP->RaiseEvent = carried->RaiseEvent;
      NotAddedCP->Tag = CopyTag(carried->Tag);
      ++CPCount;
    }
    item->Checkpoint = nullptr;
    AttachPendingCheckpoint(item);
  }
  item->UpdatePaletteInfo(GetDoInPaletteMode(), false);
  item->Inserting(this, text, false);
  Integer itemNo = Items->AddObject(text, item);
  item->Inserted(this, itemNo);
  if (item->StyleNo == vlsListMarker) AddMarkerToList(itemNo);
}

void TCustomVLData::AddTextItemTag(const AnsiString& textIn, Integer styleNo, Integer paraNo,
                                   const TVLTag& tag) {
  std::unique_ptr<TCustomVLItemInfo> item = VLTextItemClass.Create(this);
  item->StyleNo = styleNo < 0 ? vlsDefStyle : styleNo;
  item->ParaNo = paraNo;
  item->Tag = tag;
  TVLStyle* style = GetStyle();
  bool unicode = false;
  if (style) {
    unicode = style->TextStyles->Items(GetActualStyleNo(item->StyleNo, paraNo))->Unicode;
    if (unicode) item->ItemOptions |= vlioUnicode;
  }
  Integer spaces = style ? style->SpacesInTab : 8;
  AnsiString text = unicode ? ReplaceTabsW(textIn, spaces) : ::ReplaceTabs(textIn, spaces);
  TWipeTextOnExit<char> wipe(text, IsSensitive());
  AddItem(text, item.release());
}

void TCustomVLData::AddTextItem(const AnsiString& text, Integer styleNo, Integer paraNo) {
  AddTextItemTag(text, styleNo, paraNo, TVLTag());
}

void TCustomVLData::AddAnsiTextItemTag(const AnsiString& text, Integer styleNo, Integer paraNo,
                                       const TVLTag& tag) {
  if (styleNo < 0) styleNo = vlsDefStyle;
  Integer lookupPara = paraNo;
  if (lookupPara == -1) lookupPara = GetItemCount() > 0 ? GetItem(GetItemCount() - 1)->ParaNo : 0;
  TVLStyle* style = GetStyle();
  if (style) {
    Integer actual = GetActualStyleNo(styleNo, lookupPara);
    if (style->TextStyles->Items(actual)->Unicode) {
      AddTextItemTag(AnsiToRawUnicode(text, GetStyleCodePage(actual)), styleNo, paraNo, tag);
      return;
    }
  }
  AddTextItemTag(text, styleNo, paraNo, tag);
}

void TCustomVLData::AddUnicodeTextItemTag(const AnsiString& rawUnicode, Integer styleNo,
                                          Integer paraNo, const TVLTag& tag) {
  if (styleNo < 0) styleNo = vlsDefStyle;
  TVLStyle* style = GetStyle();
  if (style) {
    Integer actual = GetActualStyleNo(styleNo, paraNo);
    if (!style->TextStyles->Items(actual)->Unicode) {
      AddTextItemTag(RawUnicodeToAnsi(rawUnicode, GetStyleCodePage(actual)), styleNo, paraNo, tag);
      return;
    }
  }
  AddTextItemTag(rawUnicode, styleNo, paraNo, tag);
}

void TCustomVLData::CheckItemClass(Integer itemNo,
                                   const std::function<bool(const TCustomVLItemInfo*)>& isClass) {
  if (!isClass(GetItem(itemNo))) throw EVellumError(errVLInvalidItemInfo);
}

Integer TCustomVLData::GetActualStyleNo(Integer styleNo, Integer paraNo) const {
  if (styleNo != vlsDefStyle) return styleNo;
  TVLStyle* style = const_cast<TCustomVLData*>(this)->GetStyle();
  if (!style) return 0;
  Integer def = style->ParaStyles->Items(paraNo)->DefStyleNo;
  return def < 0 ? 0 : def;
}

Integer TCustomVLData::GetItemActualStyle(const TCustomVLItemInfo* item) const {
  return GetActualStyleNo(item->StyleNo, item->ParaNo);
}
Integer TCustomVLData::GetItemStyle(Integer itemNo) const { return GetItemActualStyle(GetItem(itemNo)); }
Integer TCustomVLData::GetItemPara(Integer itemNo) const { return GetItem(itemNo)->ParaNo; }
Byte TCustomVLData::GetItemOptions(Integer itemNo) const { return GetItem(itemNo)->ItemOptions; }
const TVLTag& TCustomVLData::GetItemTag(Integer itemNo) const { return GetItem(itemNo)->Tag; }
TVLCPInfo* TCustomVLData::GetItemCheckpoint(Integer itemNo) const { return GetItem(itemNo)->Checkpoint; }

Integer TCustomVLData::GetItemLength(Integer itemNo) const {
  const TCustomVLItemInfo* item = GetItem(itemNo);
  if (item->StyleNo < 0) return 1;
  return TextLength(Items->Ref(itemNo), item->ItemOptions);
}

Integer TCustomVLData::GetItemStartOffset(Integer itemNo) const {
  return GetItem(itemNo)->StyleNo >= 0 ? 1 : 0;
}

Integer TCustomVLData::GetItemEndOffset(Integer itemNo) const {
  return GetItem(itemNo)->StyleNo >= 0 ? GetItemLength(itemNo) + 1 : 1;
}

bool TCustomVLData::IsFromNewLine(Integer itemNo) const { return GetItem(itemNo)->IsFromNewLine(); }
bool TCustomVLData::IsParaStart(Integer itemNo) const { return GetItem(itemNo)->IsParaStart(); }

bool TCustomVLData::GetPageBreakBefore(Integer itemNo) const {
  if (itemNo < 0 || itemNo >= GetItemCount()) throw EVellumError(errVLItemRangeError);
  if (itemNo > 0 && GetItem(itemNo - 1)->StyleNo == vlsListMarker)
    return GetItem(itemNo - 1)->GetPageBreakBefore();
  return GetItem(itemNo)->GetPageBreakBefore();
}

void TCustomVLData::SetPageBreakBefore(Integer itemNo, bool value) {
  if (itemNo < 0 || itemNo >= GetItemCount()) throw EVellumError(errVLItemRangeError);
  GetItem(itemNo)->SetPageBreakBefore(value);
}

Integer TCustomVLData::FindControlItemNo(const TObject* control) const {
  auto* c = dynamic_cast<const TControl*>(control);
  if (!c) return -1;
  for (Integer i = 0; i < GetItemCount(); ++i)
    if (GetItem(i)->OwnsControl(const_cast<TControl*>(c))) return i;
  return -1;
}

Cardinal TCustomVLData::GetStyleCodePage(Integer styleNo) {
  TVLStyle* style = GetStyle();
  if (!style) return 0;
  if (styleNo < 0) return style->DefCodePage;
  return CharsetToCodePage(style->TextStyles->Items(styleNo)->Charset);
}

Cardinal TCustomVLData::GetStyleLocale(Integer styleNo) {
  TVLStyle* style = GetStyle();
  if (!style || styleNo < 0) return 1024;
  return LanguageToLocale(CharsetToLanguage(style->TextStyles->Items(styleNo)->Charset));
}

Cardinal TCustomVLData::GetDefaultCodePage() {
  TVLStyle* style = GetStyle();
  return style ? style->DefCodePage : 0;
}

void TCustomVLData::Beep() {
  TVLStyle* style = GetStyle();
  if (style && style->UseSound) MessageBeep(0);
}

void TCustomVLData::UpdateItemsPaletteInfo() {
  if (ShareItems()) return;
  for (Integer i = 0; i < GetItemCount(); ++i) GetItem(i)->UpdatePaletteInfo(GetDoInPaletteMode(), false);
}

// ---------------------------------------------------------------------------
// Freeing

void TCustomVLData::FreeItem(TCustomVLItemInfo* item, bool clearing) {
  if (!item) return;
  if (item->StyleNo == vlsListMarker) RemoveMarkerFromList(item, clearing);
  if (TVLCPInfo* cp = item->Checkpoint) {
    item->Checkpoint = nullptr;
    FreeCheckpoint(cp, true, true);
  }
  delete item;
}

void TCustomVLData::NotifyControlItem(TVLControlAction action, Integer itemNo, TCustomVLItemInfo* item) {
  if (auto* ctrl = dynamic_cast<TVLControlItemInfo*>(item)) DoControlAction(action, itemNo, ctrl->Control);
}

void TCustomVLData::FreeItemAt(Integer itemNo, bool clearing) {
  TCustomVLItemInfo* item = GetItem(itemNo);
  AnsiString text = Items->Get(itemNo);
  ItemAction(vliaDestroying, item, text, this);
  NotifyControlItem(vlcaDestroy, itemNo, item);
  Items->PutObject(itemNo, nullptr);
  FreeItem(item, clearing);
}

namespace {

// Ends a string list update on every path.
class TUpdateGuard {
public:
  explicit TUpdateGuard(TStringList* list) : FList(list) { FList->BeginUpdate(); }
  ~TUpdateGuard() { FList->EndUpdate(); }

private:
  TStringList* FList;
};

}  // namespace

void TCustomVLData::DeleteItems(Integer firstItemNo, Integer count) {
  if (ShareItems() || firstItemNo < 0 || firstItemNo >= GetItemCount()) return;
  count = std::min(count, GetItemCount() - firstItemNo);
  if (count <= 0) return;
  TUpdateGuard guard(Items);
  for (Integer i = firstItemNo; i < firstItemNo + count; ++i) FreeItemAt(i, false);
  for (Integer i = 0; i < count; ++i) Items->Delete(firstItemNo);
}

void TCustomVLData::InsertItemBlock(Integer index,
                                    const std::vector<std::pair<AnsiString, TCustomVLItemInfo*>>& items) {
  if (items.empty()) return;
  index = std::clamp(index, 0, GetItemCount());
  TUpdateGuard guard(Items);
  // The string list inserts one entry at a time; taking the tail off its end
  // and appending everything makes the block one move of the tail.
  std::vector<std::pair<AnsiString, TObject*>> tail;
  tail.reserve(static_cast<size_t>(GetItemCount() - index));
  for (Integer i = GetItemCount() - 1; i >= index; --i) {
    tail.emplace_back(Items->Get(i), Items->GetObject(i));
    Items->Delete(i);
  }
  for (const auto& [text, item] : items) Items->AddObject(text, item);
  for (auto it = tail.rbegin(); it != tail.rend(); ++it) Items->AddObject(it->first, it->second);
}

void TCustomVLData::DeleteItemBlock(Integer first, Integer last) {
  first = std::max(first, 0);
  last = std::min(last, GetItemCount() - 1);
  if (last < first) return;
  TUpdateGuard guard(Items);
  std::vector<std::pair<AnsiString, TObject*>> tail;
  tail.reserve(static_cast<size_t>(GetItemCount() - last - 1));
  for (Integer i = GetItemCount() - 1; i > last; --i) {
    tail.emplace_back(Items->Get(i), Items->GetObject(i));
    Items->Delete(i);
  }
  for (Integer i = last; i >= first; --i) Items->Delete(i);
  for (auto it = tail.rbegin(); it != tail.rend(); ++it) Items->AddObject(it->first, it->second);
}

void TCustomVLData::Clear() {
  const Cardinal state = GetState();
  const bool wasClearing = (state & vlstClearing) != 0;
  SetState((state | vlstClearing) & ~(vlstClearReset1 | vlstClearReset2));
  struct TRestore {
    TCustomVLData* Self;
    bool WasClearing;
    ~TRestore() {
      if (!WasClearing) Self->SetState(Self->GetState() & ~vlstClearing);
    }
  } restore{this, wasClearing};
  if (!ShareItems()) {
    TUpdateGuard guard(Items);
    // The markers leave their list together: one by one, each would be
    // looked up and erased from the list's front.
    if (TVLMarkerList* list = GetMarkers(false)) {
      std::unordered_set<const TCustomVLItemInfo*> markers;
      for (Integer i = 0; i < GetItemCount(); ++i)
        if (GetItem(i)->StyleNo == vlsListMarker) markers.insert(GetItem(i));
      const Integer from = list->DeleteMany(markers);
      // A cell's markers leave the document's list: those after them count
      // without them.
      if (list->Count() == 0) DestroyMarkers();
      else if (from >= 0) list->RecalcFrom(from, GetStyle());
    }
    for (Integer i = 0; i < GetItemCount(); ++i) FreeItemAt(i, true);
    Items->Clear();
  }
  if (NotAddedCP) FreeCheckpoint(NotAddedCP, false, true);
  FirstCP = LastCP = nullptr;
  if (TStringList* props = GetDocProperties()) props->Clear();
}

void TCustomVLData::NormalizeParaNo(Integer itemNo) {
  const Integer count = GetItemCount();
  if (count == 0) return;
  if (itemNo >= count || itemNo < 0) itemNo = count - 1;
  Integer first = itemNo;
  while (first > 0 && !GetItem(first)->IsParaStart()) --first;
  const Integer paraNo = GetItem(first)->ParaNo;
  for (Integer i = first + 1; i < count && !GetItem(i)->IsParaStart(); ++i) GetItem(i)->ParaNo = paraNo;
}

void TCustomVLData::GetSaveRange(bool selectionOnly, Integer& startItemNo, Integer& endItemNo,
                                 Integer& startOffs, Integer& endOffs, Integer& startPart,
                                 Integer& endPart) {
  startPart = endPart = 0;
  if (GetItemCount() == 0) {
    startItemNo = endItemNo = -1;
    startOffs = endOffs = 0;
    return;
  }
  startItemNo = 0;
  startOffs = GetItemStartOffset(0);
  endItemNo = GetItemCount() - 1;
  endOffs = GetItemEndOffset(endItemNo);
}

bool TCustomVLData::GetNextFileName(const String& prefix, const String& path, const String& ext,
                                    Integer& counter, bool overwriteFiles, String& fileName) {
  // Bounded so that a folder of read-only files cannot keep it looping.
  for (Integer tries = 0; tries < 1000000; ++tries) {
    ++counter;
    fileName = path + prefix + std::to_string(counter) + ext;
    if (!FileExists(fileName)) return true;
    if (overwriteFiles && !FileIsReadOnly(fileName)) return true;
  }
  return false;
}

void TCustomVLData::ShareItemsFrom(TCustomVLData* source) {
  if (!ShareItems()) return;
  Clear();
  if (FOwnsItems) {
    delete Items;
    FOwnsItems = false;
  }
  Items = source->Items;
}

// ---------------------------------------------------------------------------
// Checkpoints

void TCustomVLData::UpdateCPItemNumbers() {
  if (CPCount == 0) return;
  Integer found = 0;
  for (Integer i = 0; i < GetItemCount() && found < CPCount; ++i)
    if (TVLCPInfo* cp = GetItem(i)->Checkpoint) {
      cp->ItemNo = i;
      ++found;
    }
}

TVLCPInfo* TCustomVLData::FindCPBeforeItem(Integer itemNo) {
  UpdateCPItemNumbers();
  if (!FirstCP || FirstCP->ItemNo >= itemNo) return nullptr;
  TVLCPInfo* cp = FirstCP;
  while (cp->Next && cp->Next->ItemNo < itemNo) cp = cp->Next;
  return cp;
}

void TCustomVLData::RelinkCheckpoints() {
  FirstCP = LastCP = nullptr;
  for (Integer i = 0; i < GetItemCount(); ++i) {
    TVLCPInfo* cp = GetItem(i)->Checkpoint;
    if (!cp) continue;
    cp->ItemNo = i;
    cp->Next = nullptr;
    cp->Prev = LastCP;
    if (LastCP)
      LastCP->Next = cp;
    else
      FirstCP = cp;
    LastCP = cp;
  }
}

void TCustomVLData::LinkCheckpoint(TVLCPInfo* cp, Integer itemNo) {
  if (itemNo == -1 || !cp) return;
  UpdateCPItemNumbers();
  cp->Next = cp->Prev = nullptr;
  cp->ItemNo = itemNo;
  if (!FirstCP) {
    FirstCP = LastCP = cp;
  } else if (itemNo < FirstCP->ItemNo) {
    cp->Next = FirstCP;
    FirstCP->Prev = cp;
    FirstCP = cp;
  } else if (itemNo >= LastCP->ItemNo) {
    cp->Prev = LastCP;
    LastCP->Next = cp;
    LastCP = cp;
  } else {
    TVLCPInfo* after = FirstCP;
    while (after->Next && after->Next->ItemNo <= itemNo) after = after->Next;
    cp->Next = after->Next;
    cp->Prev = after;
    if (after->Next) after->Next->Prev = cp;
    after->Next = cp;
  }
}

void TCustomVLData::UnlinkCheckpoint(TVLCPInfo* cp, bool decCount) {
  if (!cp) return;
  cp->ItemInfo = nullptr;
  if (FirstCP == cp) FirstCP = cp->Next;
  if (LastCP == cp) LastCP = cp->Prev;
  if (cp->Prev) cp->Prev->Next = cp->Next;
  if (cp->Next) cp->Next->Prev = cp->Prev;
  cp->Next = cp->Prev = nullptr;
  if (decCount) --CPCount;
}

void TCustomVLData::FreeCheckpoint(TVLCPInfo*& cp, bool unlink, bool decCount) {
  TVLCPInfo* doomed = cp;  // cp may be NotAddedCP itself
  if (!doomed) return;
  if (unlink) UnlinkCheckpoint(doomed, false);
  if (doomed == NotAddedCP) NotAddedCP = nullptr;
  delete doomed;
  cp = nullptr;
  if (decCount) --CPCount;
}

void TCustomVLData::AttachPendingCheckpoint(TCustomVLItemInfo* item) {
  if (!NotAddedCP) return;
  TVLCPInfo* cp = NotAddedCP;
  NotAddedCP = nullptr;
  cp->Next = nullptr;
  cp->Prev = LastCP;
  if (LastCP)
    LastCP->Next = cp;
  else
    FirstCP = cp;
  LastCP = cp;
  cp->ItemInfo = item;
  item->Checkpoint = cp;
}

void TCustomVLData::MoveItemsFrom(TCustomVLData* source) {
  if (!source) return;
  if (TagsArePChars() != source->TagsArePChars()) throw EVellumError(errVLTagsTypesMismatch);
  // The source's markers are registered here as their items arrive. A
  // source that shares a list (a table cell: the document's) takes them out
  // of it first, nested cells' too: the list must not name items another
  // document may free.
  TVLMarkerList* list = source->GetMarkers(false);
  if (list && list == GetMarkers(false)) {
    // Both count in one list (a cell and its editor): the markers keep
    // their places in it.
  } else if (list) {
    std::unordered_set<const TCustomVLItemInfo*> moving;
    std::function<void(TCustomVLData*)> collect = [&](TCustomVLData* data) {
      for (Integer i = 0; i < data->GetItemCount(); ++i) {
        TCustomVLItemInfo* item = data->GetItem(i);
        if (item->StyleNo == vlsListMarker) moving.insert(item);
        std::unique_ptr<TVLStoreSubVLData> state;
        for (TCustomVLData* sub = item->GetSubVLData(state, 0); sub && state; sub = item->GetSubVLData(state, 4))
          collect(sub);
      }
    };
    collect(source);
    const Integer from = list->DeleteMany(moving);
    source->DestroyMarkers();
    // A list the source shares stays (the document's, for a cell going to
    // its editor): its markers after the moved ones count without them, as
    // they would read back.
    if (from >= 0 && source->GetMarkers(false) == list && list->Count() > 0) list->RecalcFrom(from, source->GetStyle());
  } else {
    source->DestroyMarkers();
  }
  for (Integer i = 0; i < source->GetItemCount(); ++i) {
    TCustomVLItemInfo* item = source->GetItem(i);
    if (item->GetSameAsPrev()) item->ParaNo = -1;
    AddItem(source->Items->Get(i), item);
  }
  // The moved items received records of their own; the source's old chain
  // is released here.
  for (TVLCPInfo* cp = source->FirstCP; cp;) {
    TVLCPInfo* next = cp->Next;
    delete cp;
    cp = next;
  }
  // A trailing checkpoint of the source is kept when this document has none.
  if (source->NotAddedCP) {
    if (!NotAddedCP) {
      NotAddedCP = source->NotAddedCP;
      ++CPCount;
    } else {
      delete source->NotAddedCP;
    }
  }
  source->Items->Clear();
  source->FirstCP = source->LastCP = source->NotAddedCP = nullptr;
  source->CPCount = 0;
  source->Clear();
}

void TCustomVLData::NotifyItemsInserting(TCustomVLData* vlData, bool safe) {
  for (Integer i = 0; i < GetItemCount(); ++i) {
    AnsiString text = Items->Get(i);
    GetItem(i)->Inserting(vlData, text, safe);
    Items->Put(i, text);
  }
}

bool TCustomVLData::CanConcateItems(Integer itemNo, TCustomVLItemInfo* item1,
                                    TCustomVLItemInfo* item2, bool ignoreParaBreak) {
  if (!item1 || !item2 || item1->StyleNo < 0 || item2->StyleNo < 0) return false;
  const bool empty1 = Items->Get(itemNo).empty();
  const bool empty2 = itemNo + 1 < GetItemCount() && Items->Get(itemNo + 1).empty();
  if ((empty1 || empty2) && (ignoreParaBreak || item2->GetSameAsPrev())) return true;
  if (item1->StyleNo != item2->StyleNo) return false;
  if (!item2->GetSameAsPrev() && !ignoreParaBreak) return false;
  TVLStyle* style = GetStyle();
  const Integer s1 = GetItemActualStyle(item1), s2 = GetItemActualStyle(item2);
  if (style && style->TextStyles->Items(s1)->Unicode != style->TextStyles->Items(s2)->Unicode)
    return false;
  if (item1->Hint != item2->Hint || !AreTagsEqual(item1->Tag, item2->Tag) || item2->Checkpoint)
    return false;
  if (empty1 || empty2 || !style) return true;
  const TVLProtectOptions prot = style->TextStyles->Items(s1)->Protection;
  return !prot.Contains(vlprModifyProtect) && !prot.Contains(vlprConcateProtect);
}

void TCustomVLData::ConcateItems(Integer first, Integer last) {
  if (first < 0) first = 0;
  if (last >= GetItemCount()) last = GetItemCount() - 1;
  for (Integer i = last; i > first; --i) {
    TCustomVLItemInfo* prev = GetItem(i - 1);
    TCustomVLItemInfo* item = GetItem(i);
    if (!CanConcateItems(i - 1, prev, item, false)) continue;
    AnsiString prevText = Items->Get(i - 1);
    const AnsiString text = Items->Get(i);
    if (prevText.empty() && !text.empty()) {
      // The joined text keeps its own style and encoding; the empty item
      // contributed only its place.
      prev->StyleNo = item->StyleNo;
      prev->ItemOptions = static_cast<Byte>((prev->ItemOptions & ~vlioUnicode) | (item->ItemOptions & vlioUnicode));
      prev->Tag = item->Tag;
      prev->Hint = item->Hint;
    } else if (!prevText.empty() && text.empty()) {
      // nothing to append
    }
    Items->Put(i - 1, prevText + text);
    Items->PutObject(i, nullptr);
    FreeItem(item, false);
    Items->Delete(i);
  }
}

Byte TCustomVLData::LoadRTF(const String& fileName) {
  TVLRTFReadHook* reader = GetRTFReadProperties();
  if (!reader) return VLRTFNoReader;
  const Integer before = GetItemCount() - 1;
  Byte result = reader->ReadFromFile(fileName, this);
  ConcateItems(before, GetItemCount() - 1);
  return result;
}

Byte TCustomVLData::LoadRTFFromStream(TStream& stream) {
  TVLRTFReadHook* reader = GetRTFReadProperties();
  if (!reader) return VLRTFNoReader;
  const Integer before = GetItemCount() - 1;
  Byte result = reader->ReadFromStream(stream, this);
  ConcateItems(before, GetItemCount() - 1);
  return result;
}

// ---------------------------------------------------------------------------
// A document of its own

TVLDocumentData::TVLDocumentData(TVLStyle* style) : Style(style) {}

TVLDocumentData::~TVLDocumentData() {
  Clear();
  FMarkers.reset();
}

TVLRTFReadHook* TVLDocumentData::GetRTFReadProperties() { return VLGetRTFReadHook(); }

void TVLDocumentData::ReleaseVLFStyleMaps() {
  FStyleMaps.Text.reset();
  FStyleMaps.Para.reset();
  FStyleMaps.List.reset();
}

TVLMarkerList* TVLDocumentData::GetMarkers(bool allowCreate) {
  if (!FMarkers && allowCreate) FMarkers = std::make_unique<TVLMarkerList>();
  return FMarkers.get();
}

void TVLDocumentData::DestroyMarkers() { FMarkers.reset(); }

void TVLDocumentData::DoVLFPictureNeeded(const String& name, Integer tag,
                                         std::unique_ptr<TGraphic>& graphic) {
  if (OnVLFPictureNeeded) OnVLFPictureNeeded(this, name, tag, graphic);
}

void TVLDocumentData::DoVLFControlNeeded(const String& name, Integer tag, TObject*& control) {
  if (OnVLFControlNeeded) OnVLFControlNeeded(this, name, tag, control);
}

void TVLDocumentData::DoVLFImageListNeeded(Integer imageListTag, TComponent*& imageList) {
  if (OnVLFImageListNeeded) OnVLFImageListNeeded(this, imageListTag, imageList);
}

void TVLDocumentData::DoControlAction(TVLControlAction action, Integer itemNo, TObject* control) {
  if (OnControlAction) OnControlAction(this, action, itemNo, control);
}

#include "richtext/model/VLItem.h"

#include "platform/base/Strings.h"
#include "richtext/model/VLFMisc.h"
#include "richtext/model/VLKeptRecord.h"
#include "richtext/model/VLMarkers.h"

#include <algorithm>
#include <cstring>

namespace {

const char* const IntPropertyNames[] = {"",        "vshift", "vshiftabs", "width",
                                        "height",  "transparent", "tmode", "tcolor",
                                        "minheightonpage", "spacing", "resizable", "unremovable"};
const char* const StrPropertyNames[] = {"", "hint", "alt", "filename"};

struct TVellumItemTypeInfo {
  Integer StyleNo;
  TVLItemClass ItemClass;
};

std::vector<TVellumItemTypeInfo>& Registry() {
  static std::vector<TVellumItemTypeInfo> registry;
  return registry;
}

bool InRange(const TVLIntegerList& list, Integer index) { return index >= 0 && index < list.Count(); }

void Mark(TVLIntegerList& list, Integer index) {
  if (InRange(list, index)) list.Put(index, 1);
}

// number - (shift[number] - 1), for numbers the shift list covers.
Integer Shifted(const TVLIntegerList& shift, Integer number) {
  return InRange(shift, number) ? number - (shift[number] - 1) : number;
}

TVLOptions DocumentOptions(const TCustomVLData* vlData) {
  const auto& hooks = VLItemDocumentHooks();
  return vlData && hooks.GetOptions ? hooks.GetOptions(vlData) : TVLOptions();
}

bool ReadParams(const char*& p, Integer* values[], int count) {
  for (int i = 0; i < count; ++i)
    if (!VLFReadNumber(p, *values[i])) return false;
  return true;
}

}  // namespace

TVLItemDocumentHooks& VLItemDocumentHooks() {
  static TVLItemDocumentHooks hooks;
  return hooks;
}

const char* VLExtraIntPropertyName(TVLExtraItemProperty prop) {
  return prop >= vleipUnknown && prop <= vleipUnremovable ? IntPropertyNames[prop] : "";
}

const char* VLExtraStrPropertyName(TVLExtraItemStrProperty prop) {
  return prop >= vlesipUnknown && prop <= vlesipFileName ? StrPropertyNames[prop] : "";
}

bool VLTagsEqual(const TVLTag& a, const TVLTag& b, bool tagsArePChars) {
  return tagsArePChars ? a.Str == b.Str : a.Int == b.Int;
}

TVLTag VLCopyTag(const TVLTag& tag, bool tagsArePChars) {
  TVLTag copy;
  if (tagsArePChars)
    copy.Str = tag.Str;
  else
    copy.Int = tag.Int;
  return copy;
}

// ---------------------------------------------------------------------------
// TVLCPInfo
void TVLCPInfo::Assign(const TVLCPInfo& source, bool tagsArePChars) {
  Name = source.Name;
  RaiseEvent = source.RaiseEvent;
  Persistent = source.Persistent;
  Tag = VLCopyTag(source.Tag, tagsArePChars);
}

std::unique_ptr<TVLCPInfo> TVLCPInfo::CreateCopy(bool tagsArePChars) const {
  auto copy = std::make_unique<TVLCPInfo>();
  copy->Assign(*this, tagsArePChars);
  return copy;
}

// ---------------------------------------------------------------------------
// TCustomVLItemInfo
TCustomVLItemInfo::TCustomVLItemInfo(TCustomVLData* /*vlData*/) {}

TCustomVLItemInfo::~TCustomVLItemInfo() = default;

void TCustomVLItemInfo::Assign(const TPersistent* source) {
  if (auto src = dynamic_cast<const TCustomVLItemInfo*>(source)) {
    StyleNo = src->StyleNo;
    ParaNo = src->ParaNo;
    ItemOptions = src->ItemOptions;
    Hint = src->Hint;
    return;
  }
  TPersistent::Assign(source);
}

void TCustomVLItemInfo::SetSameAsPrev(bool value) {
  if (value)
    ItemOptions = static_cast<Byte>((ItemOptions | vlioSameAsPrev) &
                                    ~(vlioPageBreakBefore | vlioBR));
  else
    ItemOptions = static_cast<Byte>(ItemOptions & ~vlioSameAsPrev);
}

void TCustomVLItemInfo::SetPageBreakBefore(bool value) {
  if (value)
    ItemOptions = static_cast<Byte>((ItemOptions | vlioPageBreakBefore) &
                                    ~(vlioSameAsPrev | vlioBR));
  else
    ItemOptions = static_cast<Byte>(ItemOptions & ~vlioPageBreakBefore);
}

void TCustomVLItemInfo::SetBR(bool value) {
  if (value) {
    ItemOptions = static_cast<Byte>(ItemOptions & ~vlioSameAsPrev);
    // A full-line item never takes the bit.
    if (GetBoolValue(0))
      ItemOptions = static_cast<Byte>(ItemOptions & ~vlioBR);
    else
      ItemOptions = static_cast<Byte>(ItemOptions | vlioBR);
  } else {
    ItemOptions = static_cast<Byte>(ItemOptions & ~vlioBR);
  }
}

Integer TCustomVLItemInfo::GetActualStyleNo(TVLStyle* vlStyle) const {
  if (StyleNo != vlsDefStyle) return StyleNo;
  Integer def = vlStyle ? vlStyle->ParaStyles->Items(ParaNo)->DefStyleNo : -1;
  return def < 0 ? 0 : def;
}

Integer TCustomVLItemInfo::GetMinWidth(const TVLScreenAndDevice* sad, TCanvas* /*canvas*/,
                                       TCustomVLData* /*vlData*/) {
  return sad ? MulDiv(20, sad->ppixDevice, sad->ppixScreen) : 20;
}

bool TCustomVLItemInfo::GetBoolValue(Integer prop) const {
  if (prop == 1 || prop == 2) return true;
  return prop >= 12;
}

bool TCustomVLItemInfo::GetBoolValueEx(Integer prop, TVLStyle* /*vlStyle*/) const {
  return prop == 0;
}

void TCustomVLItemInfo::Inserting(TCustomVLData* vlData, AnsiString& text, bool /*safe*/) {
  const auto& hooks = VLItemDocumentHooks();
  if (vlData && hooks.ItemAction) hooks.ItemAction(vlData, vliaInserting, this, text);
}

void TCustomVLItemInfo::Inserted(TCustomVLData* vlData, Integer /*itemNo*/) {
  const auto& hooks = VLItemDocumentHooks();
  AnsiString empty;
  if (vlData && hooks.ItemAction) hooks.ItemAction(vlData, vliaInserted, this, empty);
}

void TCustomVLItemInfo::CalcSizeForDocWidth(Integer /*docWidth*/, Integer& result1,
                                            Integer& result2) {
  result1 = 1;
  result2 = 0;
}

std::unique_ptr<TVLDrawLineInfo> TCustomVLItemInfo::CreateDrawLineInfo(const TVLScreenAndDevice& /*sad*/) {
  return std::make_unique<TVLDrawLineInfo>();
}

Integer TCustomVLItemInfo::GetVLFExtraPropertyCount() const { return Hint.empty() ? 0 : 1; }

void TCustomVLItemInfo::SaveVLFExtraProperties(TStream& stream) const {
  if (!Hint.empty()) VLFWriteExtraStrProperty(stream, vlesipHint, Hint);
}

bool TCustomVLItemInfo::ReadVLFLine(const AnsiString& s, TCustomVLData* /*vlData*/,
                                    Integer /*lineNo*/, Integer /*lineCount*/,
                                    AnsiString& /*name*/, TObject*& /*cpInfo*/) {
  ReadExtraProperty(*this, s);
  return true;
}

void TCustomVLItemInfo::MovingToUndoList(Integer itemNo, TCustomVLData* vlData,
                                         TObject* /*containerUndoItem*/) {
  // Out of the document it is gone to those holding it from outside (the
  // document's active item); undo brings it back without that role.
  FLife.reset();
  const auto& hooks = VLItemDocumentHooks();
  if (!vlData || !hooks.ItemAction) return;
  AnsiString text = hooks.GetItemText ? hooks.GetItemText(vlData, itemNo) : AnsiString();
  hooks.ItemAction(vlData, vliaMovingToUndoList, this, text);
}

bool TCustomVLItemInfo::MouseMove(TShiftState /*shift*/, Integer /*x*/, Integer /*y*/,
                                  Integer itemNo, TCustomVLData* vlData) {
  if (!DocumentOptions(vlData).Contains(vloShowItemHints)) return false;
  const auto& hooks = VLItemDocumentHooks();
  String hint = hooks.GetItemHint ? hooks.GetItemHint(vlData, this, itemNo) : Hint;
  if (TControl* control = hooks.GetParentControl ? hooks.GetParentControl(vlData) : nullptr)
    control->SetHint(hint);
  if (hint.empty() && hooks.CancelHint) hooks.CancelHint();
  return false;
}

Word TCustomVLItemInfo::GetHypertextCursor(TVLStyle* vlStyle) const {
  return vlStyle ? vlStyle->JumpCursor : crJump;
}

void TCustomVLItemInfo::MarkStylesInUse(TVLIntegerList& /*usedTextStyles*/,
                                        TVLIntegerList& usedParaStyles,
                                        TVLIntegerList& /*usedListStyles*/) {
  Mark(usedParaStyles, ParaNo);
}

void TCustomVLItemInfo::UpdateStyles(const TVLIntegerList& /*textStylesShift*/,
                                     const TVLIntegerList& paraStylesShift,
                                     const TVLIntegerList& /*listStylesShift*/) {
  ParaNo = Shifted(paraStylesShift, ParaNo);
}

bool TCustomVLItemInfo::SetExtraStrProperty(TVLExtraItemStrProperty prop, const String& value) {
  if (prop != vlesipHint) return false;
  Hint = value;
  return true;
}

bool TCustomVLItemInfo::GetExtraStrProperty(TVLExtraItemStrProperty prop, String& value) const {
  if (prop != vlesipHint) return false;
  value = Hint;
  return true;
}

// ---------------------------------------------------------------------------
// TVLTextItemInfo
bool TVLTextItemInfo::GetBoolValueEx(Integer prop, TVLStyle* vlStyle) const {
  switch (prop) {
    case 1:
    case 2:
    case 4: return vlStyle && vlStyle->TextStyles->Items(GetActualStyleNo(vlStyle))->Jump;
    case 3: {
      if (!vlStyle) return false;
      Integer no = GetActualStyleNo(vlStyle);
      return vlStyle->TextStyles->Items(no)->Jump && vlStyle->StyleHoverSensitive(no);
    }
    default: return TCustomVLItemInfo::GetBoolValueEx(prop, vlStyle);
  }
}

void TVLTextItemInfo::ExecuteJump(TCustomVLData* vlData) {
  const auto& hooks = VLItemDocumentHooks();
  if (vlData && hooks.ExecuteJump) hooks.ExecuteJump(vlData, JumpID);
}

void TVLTextItemInfo::MarkStylesInUse(TVLIntegerList& usedTextStyles,
                                      TVLIntegerList& usedParaStyles,
                                      TVLIntegerList& usedListStyles) {
  TCustomVLItemInfo::MarkStylesInUse(usedTextStyles, usedParaStyles, usedListStyles);
  Mark(usedTextStyles, StyleNo);
}

void TVLTextItemInfo::UpdateStyles(const TVLIntegerList& textStylesShift,
                                   const TVLIntegerList& paraStylesShift,
                                   const TVLIntegerList& listStylesShift) {
  TCustomVLItemInfo::UpdateStyles(textStylesShift, paraStylesShift, listStylesShift);
  StyleNo = Shifted(textStylesShift, StyleNo);
}

// ---------------------------------------------------------------------------
// TVLNonTextItemInfo
void TVLNonTextItemInfo::Assign(const TPersistent* source) {
  if (auto src = dynamic_cast<const TVLNonTextItemInfo*>(source)) DeleteProtect = src->DeleteProtect;
  TCustomVLItemInfo::Assign(source);
}

Integer TVLNonTextItemInfo::GetVLFExtraPropertyCount() const {
  return TCustomVLItemInfo::GetVLFExtraPropertyCount() + (DeleteProtect ? 1 : 0);
}

void TVLNonTextItemInfo::SaveVLFExtraProperties(TStream& stream) const {
  TCustomVLItemInfo::SaveVLFExtraProperties(stream);
  if (DeleteProtect) VLFWriteExtraIntProperty(stream, vleipUnremovable, 1);
}

bool TVLNonTextItemInfo::SetExtraIntProperty(TVLExtraItemProperty prop, Integer value) {
  if (prop != vleipUnremovable) return TCustomVLItemInfo::SetExtraIntProperty(prop, value);
  DeleteProtect = value != 0;
  return true;
}

bool TVLNonTextItemInfo::GetExtraIntProperty(TVLExtraItemProperty prop, Integer& value) const {
  if (prop != vleipUnremovable) return TCustomVLItemInfo::GetExtraIntProperty(prop, value);
  value = DeleteProtect ? 1 : 0;
  return true;
}

bool TVLFullLineItemInfo::GetBoolValue(Integer prop) const {
  return prop == 0 ? true : TVLNonTextItemInfo::GetBoolValue(prop);
}

// ---------------------------------------------------------------------------
// TVLRectItemInfo
TVLRectItemInfo::TVLRectItemInfo(TCustomVLData* vlData) : TVLNonTextItemInfo(vlData) {}

void TVLRectItemInfo::Assign(const TPersistent* source) {
  if (auto src = dynamic_cast<const TVLRectItemInfo*>(source)) {
    MinHeightOnPage = src->MinHeightOnPage;
    VAlign = src->VAlign;
    VShift = src->VShift;
    VShiftAbs = src->VShiftAbs;
    Spacing = src->Spacing;
  }
  TVLNonTextItemInfo::Assign(source);
}

AnsiString TVLRectItemInfo::GetVLFParams(TCustomVLData* /*vlData*/) const {
  return IntToStr(VAlign);
}

// A parameter text that ends where it starts (nothing, or the line's end)
// asks for the defaults.
static bool NoVLFParams(const char* p) { return !*p || *p == '\r' || *p == '\n'; }

bool TVLRectItemInfo::ReadVLFParams(const char*& p) {
  if (NoVLFParams(p)) {
    VAlign = vlvaBaseline;
    return true;
  }
  Integer v = 0;
  if (!VLFReadNumber(p, v)) return false;
  VAlign = v == vlvaMiddle ? vlvaMiddle : vlvaBaseline;
  return true;
}

Integer TVLRectItemInfo::GetVLFExtraPropertyCount() const {
  return TVLNonTextItemInfo::GetVLFExtraPropertyCount() + (VShift != 0 ? 1 : 0) +
         (VShiftAbs ? 1 : 0) + (Spacing != 1 ? 1 : 0);
}

void TVLRectItemInfo::SaveVLFExtraProperties(TStream& stream) const {
  TVLNonTextItemInfo::SaveVLFExtraProperties(stream);
  if (VShift != 0) VLFWriteExtraIntProperty(stream, vleipVShift, VShift);
  if (VShiftAbs) VLFWriteExtraIntProperty(stream, vleipVShiftAbsolute, 1);
  if (Spacing != 1) VLFWriteExtraIntProperty(stream, vleipSpacing, Spacing);
}

bool TVLRectItemInfo::SetExtraIntProperty(TVLExtraItemProperty prop, Integer value) {
  switch (prop) {
    case vleipVShift: VShift = value; return true;
    case vleipVShiftAbsolute: VShiftAbs = value != 0; return true;
    case vleipSpacing: Spacing = value < 0 ? 0 : value; return true;
    default: return TVLNonTextItemInfo::SetExtraIntProperty(prop, value);
  }
}

bool TVLRectItemInfo::GetExtraIntProperty(TVLExtraItemProperty prop, Integer& value) const {
  switch (prop) {
    case vleipVShift: value = VShift; return true;
    case vleipVShiftAbsolute: value = VShiftAbs ? 1 : 0; return true;
    case vleipSpacing: value = Spacing; return true;
    default: return TVLNonTextItemInfo::GetExtraIntProperty(prop, value);
  }
}

// ---------------------------------------------------------------------------
// TVLBreakItemInfo
void TVLBreakItemInfo::Assign(const TPersistent* source) {
  if (auto src = dynamic_cast<const TVLBreakItemInfo*>(source)) {
    LineWidth = src->LineWidth;
    Style = src->Style;
    Color = src->Color;
  }
  TVLFullLineItemInfo::Assign(source);
}

bool TVLBreakItemInfo::GetBoolValue(Integer prop) const {
  return prop == 2 ? false : TVLFullLineItemInfo::GetBoolValue(prop);
}

bool TVLBreakItemInfo::GetBoolValueEx(Integer prop, TVLStyle* vlStyle) const {
  return prop == 0 ? false : TVLFullLineItemInfo::GetBoolValueEx(prop, vlStyle);
}

AnsiString TVLBreakItemInfo::GetVLFParams(TCustomVLData* /*vlData*/) const {
  return IntToStr(Color) + " " + IntToStr(Style) + " " + IntToStr(LineWidth);
}

bool TVLBreakItemInfo::ReadVLFParams(const char*& p) {
  if (NoVLFParams(p)) {
    Color = clNone;
    Style = 0;
    LineWidth = 1;
    return true;
  }
  Integer color = 0, style = 0, width = 0;
  Integer* values[] = {&color, &style, &width};
  if (!ReadParams(p, values, 3)) return false;
  Color = color;
  Style = static_cast<Byte>(style);
  LineWidth = static_cast<Byte>(width);
  return true;
}

// ---------------------------------------------------------------------------
// TVLMarkerItemInfo
void TVLMarkerItemInfo::Assign(const TPersistent* source) {
  if (auto src = dynamic_cast<const TVLMarkerItemInfo*>(source)) {
    ListNo = src->ListNo;
    Level = src->Level;
    StartFrom = src->StartFrom;
    Reset = src->Reset;
  }
  TVLRectItemInfo::Assign(source);
}

bool TVLMarkerItemInfo::GetBoolValue(Integer prop) const {
  return prop == 4 || prop == 5 ? true : TVLRectItemInfo::GetBoolValue(prop);
}

TVLListLevel* TVLMarkerItemInfo::GetLevelInfo(TVLStyle* vlStyle) const {
  if (!vlStyle || ListNo < 0 || ListNo >= vlStyle->ListStyles->Count()) return nullptr;
  TVLListLevelCollection& levels = *vlStyle->ListStyles->Items(ListNo)->Levels;
  if (levels.Count() == 0) return nullptr;
  Integer level = Level < 0 ? 0 : std::min(Level, levels.Count() - 1);
  return levels.Items(level);
}

bool TVLMarkerItemInfo::GetBoolValueEx(Integer prop, TVLStyle* vlStyle) const {
  switch (prop) {
    case 0: {
      TVLListLevel* level = GetLevelInfo(vlStyle);
      const TPicture* picture = level ? level->PictureOrNil() : nullptr;
      return !(picture && dynamic_cast<const TMetafile*>(picture->GetGraphic()));
    }
    case 5: return true;
    default: return TVLRectItemInfo::GetBoolValueEx(prop, vlStyle);
  }
}

AnsiString TVLMarkerItemInfo::GetVLFParams(TCustomVLData* /*vlData*/) const {
  return IntToStr(ListNo) + " " + IntToStr(Level) + " " + IntToStr(StartFrom) + " " +
         (Reset ? "1" : "0");
}

bool TVLMarkerItemInfo::ReadVLFParams(const char*& p) {
  Integer reset = 0;
  Integer* values[] = {&ListNo, &Level, &StartFrom, &reset};
  if (!ReadParams(p, values, 4)) return false;
  Reset = reset != 0;
  return true;
}

void TVLMarkerItemInfo::MarkStylesInUse(TVLIntegerList& usedTextStyles,
                                        TVLIntegerList& usedParaStyles,
                                        TVLIntegerList& usedListStyles) {
  TVLRectItemInfo::MarkStylesInUse(usedTextStyles, usedParaStyles, usedListStyles);
  Mark(usedListStyles, ListNo);
}

void TVLMarkerItemInfo::UpdateStyles(const TVLIntegerList& textStylesShift,
                                     const TVLIntegerList& paraStylesShift,
                                     const TVLIntegerList& listStylesShift) {
  TVLRectItemInfo::UpdateStyles(textStylesShift, paraStylesShift, listStylesShift);
  ListNo = Shifted(listStylesShift, ListNo);
}

// ---------------------------------------------------------------------------
// Factory and registry
TVLItemClass VLTextItemClass = VLItemClassOf<TVLTextItemInfo>();

std::unique_ptr<TCustomVLItemInfo> CreateVellumItem(Integer styleNo, TCustomVLData* vlData) {
  std::unique_ptr<TCustomVLItemInfo> item;
  if (styleNo >= 0) {
    item = VLTextItemClass.Create(vlData);
  } else {
    switch (styleNo) {
      case vlsListMarker: item = std::make_unique<TVLMarkerItemInfo>(vlData); break;
      case vlsHotPicture: item = std::make_unique<TVLHotGraphicItemInfo>(vlData); break;
      case vlsBullet: item = std::make_unique<TVLBulletItemInfo>(vlData); break;
      case vlsComponent: item = std::make_unique<TVLControlItemInfo>(vlData); break;
      case vlsHotspot: item = std::make_unique<TVLHotspotItemInfo>(vlData); break;
      case vlsPicture: item = std::make_unique<TVLGraphicItemInfo>(vlData); break;
      case vlsBreak: item = std::make_unique<TVLBreakItemInfo>(vlData); break;
      case vlsKeptRecord: item = std::make_unique<TVLKeptRecordItemInfo>(vlData); break;
      default:
        for (const auto& entry : Registry())
          if (entry.StyleNo == styleNo) {
            item = entry.ItemClass.Create(vlData);
            break;
          }
        break;
    }
  }
  if (item) item->StyleNo = styleNo;
  return item;
}

void RegisterItemClass(Integer styleNo, const TVLItemClass& itemClass) {
  if (styleNo >= -9) throw EVellumError(errVLStyleNoRegistered);
  for (const auto& entry : Registry()) {
    if (entry.StyleNo != styleNo) continue;
    if (entry.ItemClass.Type == itemClass.Type) return;
    throw EVellumError(errVLStyleNoRegistered);
  }
  Registry().push_back({styleNo, itemClass});
}

void UnregisterItemClass(Integer styleNo) {
  auto& r = Registry();
  r.erase(std::remove_if(r.begin(), r.end(), [&](const TVellumItemTypeInfo& e) { return e.StyleNo == styleNo; }),
          r.end());
}

std::unique_ptr<TCustomVLItemInfo> DuplicateItem(const TCustomVLItemInfo& source,
                                                 TCustomVLData* vlData, bool copyCheckpoint) {
  // A new item of the source's own class: the factory's for its style
  // number, else the registered class of that type.
  std::unique_ptr<TCustomVLItemInfo> item = CreateVellumItem(source.StyleNo, vlData);
  if (item && typeid(*item) != typeid(source)) {
    for (const auto& entry : Registry())
      if (entry.ItemClass.Type == typeid(source)) {
        item = entry.ItemClass.Create(vlData);
        break;
      }
  }
  if (!item) return nullptr;
  item->Assign(&source);
  const bool tagsArePChars = DocumentOptions(vlData).Contains(vloTagsArePChars);
  // The checkpoint is handed to the caller, who links it into its document.
  if (copyCheckpoint && source.Checkpoint)
    item->Checkpoint = source.Checkpoint->CreateCopy(tagsArePChars).release();
  item->Tag = VLCopyTag(source.Tag, tagsArePChars);
  return item;
}

void ReadExtraProperty(TCustomVLItemInfo& item, const AnsiString& line) {
  size_t eq = line.find('=');
  if (eq == AnsiString::npos) return;
  const AnsiString name = line.substr(0, eq);
  const AnsiString value = line.substr(eq + 1);
  for (int i = vleipVShift; i <= vleipUnremovable; ++i)
    if (name == IntPropertyNames[i]) {
      item.SetExtraIntProperty(static_cast<TVLExtraItemProperty>(i), StrToIntDef(value, 0));
      return;
    }
  for (int i = vlesipHint; i <= vlesipFileName; ++i)
    if (name == StrPropertyNames[i]) {
      item.SetExtraStrProperty(static_cast<TVLExtraItemStrProperty>(i), VLFDecodeOneLine(value));
      return;
    }
  item.SetExtraCustomProperty(name, value);
}

void VLFWriteExtraIntProperty(TStream& stream, TVLExtraItemProperty prop, Integer value) {
  VLFWriteLine(stream, AnsiString(VLExtraIntPropertyName(prop)) + "=" + IntToStr(value));
}

void VLFWriteExtraStrProperty(TStream& stream, TVLExtraItemStrProperty prop, const String& value) {
  // One line whatever the value holds: line breaks travel as bytes 01 and 02.
  VLFWriteLine(stream, AnsiString(VLExtraStrPropertyName(prop)) + "=" + VLFEncodeOneLine(value));
}

AnsiString GetHTMLImageAlign(TVLVAlign vAlign) {
  return vAlign == vlvaMiddle ? " align=middle" : "";
}

Byte VLFItemOptions(Byte itemOptions, bool forceSameAsPrev) {
  if (forceSameAsPrev)
    itemOptions = static_cast<Byte>((itemOptions | vlioSameAsPrev) &
                                    ~(vlioPageBreakBefore | vlioBR));
  return static_cast<Byte>(itemOptions & 0x0F);
}

// ---------------------------------------------------------------------------
// Paragraph navigation.
namespace {

const TCustomVLItemInfo* ItemAt(const TStrings& items, Integer itemNo) {
  return static_cast<const TCustomVLItemInfo*>(items.Objects(itemNo));
}

// Walks back from itemNo to the nearest item that passes the test.
template <class Test>
Integer WalkBack(const TStrings& items, Integer itemNo, Test test) {
  if (itemNo < 1) return itemNo;
  if (itemNo >= items.Count()) itemNo = items.Count() - 1;
  while (itemNo > 0 && !test(*ItemAt(items, itemNo))) --itemNo;
  return itemNo;
}

template <class Test>
Integer WalkForward(const TStrings& items, Integer last, Test test) {
  Integer i = last < 0 ? 0 : last + 1;
  while (i < items.Count() && !test(*ItemAt(items, i))) ++i;
  return i - 1;
}

}  // namespace

void VLClampItemNo(Integer& itemNo, Integer count) {
  if (itemNo >= count) itemNo = count - 1;
  if (itemNo < 0) itemNo = 0;
}

Integer VLGetParaStartItem(const TStrings& items, Integer itemNo) {
  return WalkBack(items, itemNo, [](const TCustomVLItemInfo& i) { return i.IsParaStart(); });
}

Integer VLGetLineBreakStartItem(const TStrings& items, Integer itemNo) {
  return WalkBack(items, itemNo, [](const TCustomVLItemInfo& i) { return i.IsFromNewLine(); });
}

void VLExpandToParas(const TStrings& items, Integer first, Integer last, Integer& paraFirst,
                     Integer& paraLast) {
  auto test = [](const TCustomVLItemInfo& i) { return i.IsParaStart(); };
  paraFirst = std::max<Integer>(0, WalkBack(items, first, test));
  paraLast = WalkForward(items, last, test);
}

void VLExpandToParaSections(const TStrings& items, Integer first, Integer last,
                            Integer& sectionFirst, Integer& sectionLast) {
  auto test = [](const TCustomVLItemInfo& i) { return i.IsFromNewLine(); };
  sectionFirst = std::max<Integer>(0, WalkBack(items, first, test));
  sectionLast = WalkForward(items, last, test);
}

TVLBiDiMode VLGetParaBiDiMode(TVLStyle* style, Integer paraNo, TVLBiDiMode docBiDiMode) {
  if (!style) return docBiDiMode;
  TVLBiDiMode mode = style->ParaStyles->Items(paraNo)->BiDiMode;
  return mode != vlbdUnspecified ? mode : docBiDiMode;
}

TVLBiDiMode VLGetItemBiDiMode(const TStrings& items, TVLStyle* style, Integer itemNo,
                              TVLBiDiMode docBiDiMode) {
  if (itemNo < 0 || itemNo >= items.Count()) return docBiDiMode;
  const TCustomVLItemInfo& item = *ItemAt(items, itemNo);
  if (style && item.StyleNo >= 0) {
    TVLBiDiMode mode = style->TextStyles->Items(item.GetActualStyleNo(style))->BiDiMode;
    if (mode != vlbdUnspecified) return mode;
  }
  return VLGetParaBiDiMode(style, item.ParaNo, docBiDiMode);
}

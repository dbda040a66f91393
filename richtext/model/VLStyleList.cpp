// List styles and their levels.
#include "richtext/model/VLStyle.h"

#include <random>

bool PicturesEqual(const TPicture* a, const TPicture* b) {
  const TGraphic* ga = a ? a->GetGraphic() : nullptr;
  const TGraphic* gb = b ? b->GetGraphic() : nullptr;
  const bool emptyA = !ga || ga->GetEmpty();
  const bool emptyB = !gb || gb->GetEmpty();
  if (emptyA || emptyB) return emptyA && emptyB;
  return typeid(*ga) == typeid(*gb) && ga->GetWidth() == gb->GetWidth() &&
         ga->GetHeight() == gb->GetHeight() && ga->SaveToBytes() == gb->SaveToBytes();
}

// ---------------------------------------------------------------------------
// TVLMarkerFont
TVLMarkerFont::TVLMarkerFont() {
  SetName("Arial");
  SetSize(8);
}

bool TVLMarkerFont::IsEqual(const TFont& value) const {
  return GetHeight() == value.GetHeight() && GetStyle() == value.GetStyle() &&
         GetColor() == value.GetColor() && GetCharset() == value.GetCharset() &&
         SameText(GetName(), value.GetName());
}

bool TVLMarkerFont::IsDefault() const {
  return GetSize() == 8 && GetColor() == clWindowText && GetCharset() == 1 &&
         GetStyle().Empty() && SameText(GetName(), "Arial");
}

// ---------------------------------------------------------------------------
// TVLListLevel
TVLListLevel::TVLListLevel(TCollection* collection) : TCollectionItem(collection) {}

TVLListLevel::~TVLListLevel() = default;

void TVLListLevel::Assign(const TPersistent* source) {
  if (auto src = dynamic_cast<const TVLListLevel*>(source)) {
    ListType = src->ListType;
    SetPicture(src->FPicture.get());
    ImageList = src->ImageList;
    ImageIndex = src->ImageIndex;
    FormatString = src->FormatString;
    FormatStringW = src->FormatStringW;
    LeftIndent = src->LeftIndent;
    FirstIndent = src->FirstIndent;
    MarkerIndent = src->MarkerIndent;
    MarkerAlignment = src->MarkerAlignment;
    SetFont(src->FFont.get());
    Options = src->Options;
    StartFrom = src->StartFrom;
    return;
  }
  TCollectionItem::Assign(source);
}

String TVLListLevel::GetDisplayName() const { return "List Level " + IntToStr(GetIndex()); }

TPicture* TVLListLevel::GetPicture() {
  if (!FPicture) FPicture = std::make_unique<TPicture>();
  return FPicture.get();
}

void TVLListLevel::SetPicture(const TPicture* value) {
  if (value == FPicture.get()) return;
  if (!value || !value->GetGraphic() || value->GetGraphic()->GetEmpty()) {
    FPicture.reset();
    return;
  }
  if (!FPicture) FPicture = std::make_unique<TPicture>();
  FPicture->Assign(value);
  if (FPicture->GetGraphic()) FPicture->GetGraphic()->SetTransparent(true);
}

TVLMarkerFont* TVLListLevel::GetFont() {
  if (!FFont) FFont = std::make_unique<TVLMarkerFont>();
  return FFont.get();
}

void TVLListLevel::SetFont(const TFont* value) {
  if (value == FFont.get()) return;
  if (!value) {
    FFont.reset();
    return;
  }
  if (!FFont) FFont = std::make_unique<TVLMarkerFont>();
  FFont->Assign(value);
}

bool TVLListLevel::HasNumbering() const {
  return ListType >= vllstDecimal && ListType <= vllstImageListCounter;
}

bool TVLListLevel::HasTextNumbering() const {
  return ListType >= vllstDecimal && ListType <= vllstUpperRoman;
}

bool TVLListLevel::HasPicture() const {
  return FPicture && FPicture->GetGraphic() && !FPicture->GetGraphic()->GetEmpty();
}

bool TVLListLevel::UsesFont() const {
  return ListType == vllstBullet || HasTextNumbering() || ListType == vllstUnicodeBullet;
}

TCustomVLData* TVLListLevel::GetAttachedData() const {
  auto levels = dynamic_cast<TVLListLevelCollection*>(GetCollection());
  if (!levels || !levels->GetListInfo()) return nullptr;
  auto lists = dynamic_cast<TVLListInfos*>(levels->GetListInfo()->GetCollection());
  return lists ? lists->FVLData : nullptr;
}

// ---------------------------------------------------------------------------
// TVLListLevelCollection
TVLListLevelCollection::TVLListLevelCollection(TVLListInfo* owner)
    : TCollection(TCollection::Factory<TVLListLevel>(), owner), FOwner(owner) {}

TVLListLevel* TVLListLevelCollection::Add() {
  return static_cast<TVLListLevel*>(TCollection::Add());
}

TVLListLevel* TVLListLevelCollection::Items(Integer index) const {
  return static_cast<TVLListLevel*>(TCollection::Items(index));
}

// ---------------------------------------------------------------------------
// TVLListInfo
TVLListInfo::TVLListInfo(TCollection* collection)
    : TCustomVLInfo(collection), Levels(std::make_unique<TVLListLevelCollection>(this)) {
  StyleName = FDefaultStyleName = "List Style";
}

TVLListInfo::~TVLListInfo() = default;

void TVLListInfo::Assign(const TPersistent* source) {
  if (auto src = dynamic_cast<const TVLListInfo*>(source)) {
    Levels->Assign(src->Levels.get());
    OneLevelPreview = src->OneLevelPreview;
  }
  TCustomVLInfo::Assign(source);
}

bool TVLListInfo::HasNumbering() const {
  for (Integer i = 0; i < Levels->Count(); ++i)
    if (Levels->Items(i)->HasNumbering()) return true;
  return false;
}

bool TVLListInfo::AllNumbered() const {
  for (Integer i = 0; i < Levels->Count(); ++i)
    if (!Levels->Items(i)->HasNumbering()) return false;
  return true;
}

bool TVLListInfo::HasTextNumbering() const {
  for (Integer i = 0; i < Levels->Count(); ++i)
    if (Levels->Items(i)->HasTextNumbering()) return true;
  return false;
}

Integer TVLListInfo::GetListID() const {
  if (FListID == 0) {
    static std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<Integer> draw(0, 0x7FFFFFFE);
    do FListID = draw(generator);
    while (FListID == 0);
  }
  return FListID;
}

// ---------------------------------------------------------------------------
// TVLListInfos
TVLListInfos::TVLListInfos(TCollectionItemFactory itemClass, TVLStyle* owner)
    : TCustomVLInfos(std::move(itemClass), owner) {}

TVLListInfo* TVLListInfos::Add() { return static_cast<TVLListInfo*>(TCollection::Add()); }

TVLListInfo* TVLListInfos::Items(Integer index) const {
  return static_cast<TVLListInfo*>(TCollection::Items(index));
}

void TVLListInfos::SetItems(Integer index, const TVLListInfo& value) {
  Items(index)->Assign(&value);
}

void TVLListInfos::RemoveImageList(const TComponent* imageList) {
  for (Integer i = 0; i < Count(); ++i) {
    TVLListLevelCollection& levels = *Items(i)->Levels;
    for (Integer j = 0; j < levels.Count(); ++j)
      if (levels.Items(j)->ImageList == imageList) levels.Items(j)->ImageList = nullptr;
  }
}

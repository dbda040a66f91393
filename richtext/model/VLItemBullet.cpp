// Bullets and hotspots: pictures from an image list that the application
// supplies by number, their painting, printing, VLF records and the picture
// files of an HTML export, one per distinct image.
#include "platform/base/Streams.h"
#include "platform/gui/ImgList.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLFMisc.h"
#include "richtext/model/VLItem.h"
#include "richtext/model/VLItemVLF.h"

namespace {

bool NoParams(const char* p) { return !*p || *p == '\r' || *p == '\n'; }

}  // namespace

void TVLBulletItemInfo::Assign(const TPersistent* source) {
  if (auto src = dynamic_cast<const TVLBulletItemInfo*>(source)) {
    ImageList = src->ImageList;
    ImageIndex = src->ImageIndex;
    ImageListTag = src->ImageListTag;
  }
  TVLRectItemInfo::Assign(source);
}

TCustomImageList* TVLBulletItemInfo::GetImageList() const { return dynamic_cast<TCustomImageList*>(ImageList); }

bool TVLBulletItemInfo::GetBoolValue(Integer prop) const {
  switch (prop) {
    case 1: return ImageList != nullptr;
    case 3: return true;
    default: return TVLRectItemInfo::GetBoolValue(prop);
  }
}

Integer TVLBulletItemInfo::GetImageWidth(TVLStyle* /*vlStyle*/) const {
  TCustomImageList* list = GetImageList();
  return list ? list->GetWidth() : 0;
}

Integer TVLBulletItemInfo::GetImageHeight(TVLStyle* /*vlStyle*/) const {
  TCustomImageList* list = GetImageList();
  return list ? list->GetHeight() : 0;
}

Integer TVLBulletItemInfo::GetWidth() const { return GetImageWidth(nullptr) + 2 * Spacing; }
Integer TVLBulletItemInfo::GetHeight() const { return GetImageHeight(nullptr) + 2 * Spacing; }

Integer TVLBulletItemInfo::GetMinWidth(const TVLScreenAndDevice* sad, TCanvas* /*canvas*/,
                                       TCustomVLData* /*vlData*/) {
  return sad ? MulDiv(GetWidth(), sad->ppixDevice, sad->ppixScreen) : GetWidth();
}

void TVLBulletItemInfo::Paint(Integer x, Integer y, TCanvas* canvas, TVLTextDrawStates state, TVLStyle* style,
                              TCustomVLData* /*vlData*/) {
  TCustomImageList* list = GetImageList();
  if (!list) return;
  TColor blend = clNone;
  if (state.Contains(vltsSelected) && style)
    blend = state.Contains(vltsControlFocused) ? style->SelColor : style->InactiveSelColor;
  const Integer index = GetImageIndex(state.Contains(vltsItemStart));
  // Drawn without the list's background colour; blended when the colour is
  // below clNone as a signed number (a plain or system colour).
  const TColor keepBlend = list->BlendColor, keepBack = list->BkColor;
  list->BkColor = clNone;
  if (blend < clNone) {
    list->BlendColor = ColorToRGB(blend);
    list->Draw(canvas, x + Spacing, y + Spacing, index, dsSelected, true);
  } else {
    list->Draw(canvas, x + Spacing, y + Spacing, index, dsTransparent, true);
  }
  list->BlendColor = keepBlend;
  list->BkColor = keepBack;
  if (state.Contains(vltsHover) && style && style->HoverColor != clNone) {
    // On the box itself, unlike pictures' hover frame.
    canvas->Pen.Color = style->HoverColor;
    canvas->Pen.Width = 1;
    canvas->Pen.Style = psSolid;
    canvas->Pen.Mode = pmCopy;
    canvas->Brush.Style = bsClear;
    canvas->Rectangle(x, y, x + GetWidth(), y + GetHeight());
  }
}

bool TVLBulletItemInfo::PrintToBitmap(TBitmap* bitmap, bool /*preview*/, TCustomVLData* /*vlData*/,
                                      const TVLDrawLineInfo* /*drawLine*/, Integer /*part*/,
                                      TVLColorMode /*colorMode*/) {
  TCustomImageList* list = GetImageList();
  if (list && bitmap) list->Draw(bitmap->Canvas(), 0, 0, ImageIndex, true);
  return true;
}

AnsiString TVLBulletItemInfo::GetVLFParams(TCustomVLData* /*vlData*/) const {
  Integer tag = ImageList ? static_cast<Integer>(ImageList->Tag) : ImageListTag;
  return IntToStr(tag) + " " + IntToStr(ImageIndex);
}

bool TVLBulletItemInfo::ReadVLFParams(const char*& p) {
  return VLFReadNumber(p, ImageListTag) && VLFReadNumber(p, ImageIndex);
}

bool TVLBulletItemInfo::CheckImageIndex(TCustomVLData* vlData, Integer& index) {
  TCustomImageList* list = GetImageList();
  if (!list || (index >= 0 && index < list->Count())) return true;
  VLFAddWarning(vlData, vlfwConvLargeImageIdx);
  if (!VLFOptionsOf(vlData).Contains(vlfoConvLargeImageIdxToZero)) return false;
  index = 0;
  return true;
}

bool TVLBulletItemInfo::ReadVLFLine(const AnsiString& s, TCustomVLData* vlData, Integer lineNo,
                                    Integer /*lineCount*/, AnsiString& name, TObject*& /*cpInfo*/) {
  if (lineNo != 0) {
    ReadExtraProperty(*this, s);
    return true;
  }
  name = VLFDecodeOneLine(s);
  TComponent* list = nullptr;
  if (vlData) vlData->DoVLFImageListNeeded(ImageListTag, list);
  ImageList = list;
  return CheckImageIndex(vlData, ImageIndex);
}

void TVLBulletItemInfo::SaveVLF(TStream& stream, TCustomVLData* vlData, Integer /*itemNo*/, Integer paraNo,
                                const AnsiString& name, bool /*part*/, bool /*forceSameAsPrev*/) {
  VLFWriteItemHeader(stream, vlData, *this, GetVLFExtraPropertyCount() + 1, paraNo, 0);
  VLFWriteLine(stream, VLFEncodeOneLine(name));
  SaveVLFExtraProperties(stream);
}

// ---- hotspots ----------------------------------------------------------------------

void TVLHotspotItemInfo::Assign(const TPersistent* source) {
  if (auto src = dynamic_cast<const TVLHotspotItemInfo*>(source)) HotImageIndex = src->HotImageIndex;
  TVLBulletItemInfo::Assign(source);
}

bool TVLHotspotItemInfo::GetBoolValueEx(Integer prop, TVLStyle* vlStyle) const {
  switch (prop) {
    case 1:
    case 2:
    case 4: return true;
    case 3: return HotImageIndex != ImageIndex;
    default: return TVLBulletItemInfo::GetBoolValueEx(prop, vlStyle);
  }
}

AnsiString TVLHotspotItemInfo::GetVLFParams(TCustomVLData* vlData) const {
  return TVLBulletItemInfo::GetVLFParams(vlData) + " " + IntToStr(HotImageIndex);
}

bool TVLHotspotItemInfo::ReadVLFParams(const char*& p) {
  if (!TVLBulletItemInfo::ReadVLFParams(p)) return false;
  // Without a hot image the normal one serves for both.
  if (NoParams(p)) {
    HotImageIndex = ImageIndex;
    return true;
  }
  return VLFReadNumber(p, HotImageIndex);
}

bool TVLHotspotItemInfo::ReadVLFLine(const AnsiString& s, TCustomVLData* vlData, Integer lineNo,
                                     Integer lineCount, AnsiString& name, TObject*& cpInfo) {
  if (!TVLBulletItemInfo::ReadVLFLine(s, vlData, lineNo, lineCount, name, cpInfo)) return false;
  return lineNo != 0 || CheckImageIndex(vlData, HotImageIndex);
}

void TVLHotspotItemInfo::ExecuteJump(TCustomVLData* vlData) {
  const auto& hooks = VLItemDocumentHooks();
  if (vlData && hooks.ExecuteJump) hooks.ExecuteJump(vlData, JumpID);
}

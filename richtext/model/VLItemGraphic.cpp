// Pictures and hypertext pictures: sizes, painting, printing (whole, onto
// the device, or split over pages), extra properties and their VLF record.
#include "platform/base/Streams.h"
#include "platform/gui/Graphics.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLFMisc.h"
#include "richtext/model/VLItem.h"
#include "richtext/model/VLItemVLF.h"
#include "richtext/model/VLPictureLimits.h"

namespace {

void FrameRect(TCanvas* canvas, TColor color, Integer left, Integer top, Integer right, Integer bottom) {
  canvas->Pen.Color = color;
  canvas->Pen.Width = 1;
  canvas->Pen.Style = psSolid;
  canvas->Pen.Mode = pmCopy;
  canvas->Brush.Style = bsClear;
  canvas->Rectangle(left, top, right, bottom);
}

}  // namespace

// The hover and selection frames of pictures, bullets and controls.
void VLPaintItemFrames(TCanvas* canvas, Integer x, Integer y, Integer width, Integer height,
                       TVLTextDrawStates state, TVLStyle* style, bool hoverFrame) {
  if (!style) return;
  if (hoverFrame && state.Contains(vltsHover) && style->HoverColor != clNone)
    FrameRect(canvas, style->HoverColor, x - 1, y - 1, x + width + 1, y + height + 1);
  if (!state.Contains(vltsSelected)) return;
  const TColor color = state.Contains(vltsControlFocused) ? style->SelColor : style->InactiveSelColor;
  if (color != clNone) FrameRect(canvas, color, x, y, x + width, y + height);
}

std::unique_ptr<TVLGraphicItemInfo> TVLGraphicItemInfo::CreateEx(TCustomVLData* vlData,
                                                                 std::unique_ptr<TGraphic> image,
                                                                 TVLVAlign vAlign) {
  auto item = std::make_unique<TVLGraphicItemInfo>(vlData);
  item->StyleNo = vlsPicture;
  item->Image = std::move(image);
  item->VAlign = vAlign;
  return item;
}

TVLCreateGraphicFunc CreateGraphicOfClass = [](const String& className) {
  return CreateGraphicOfClassName(className);
};

std::function<void(TGraphic* graphic)> AfterImportGraphic = [](TGraphic*) {};

std::unique_ptr<TGraphic> VLCreateGraphicLike(const TGraphic& source) {
  return CreateGraphicOfClass ? CreateGraphicOfClass(source.ClassName()) : nullptr;
}

TVLGraphicItemInfo::~TVLGraphicItemInfo() = default;

void TVLGraphicItemInfo::Assign(const TPersistent* source) {
  if (auto src = dynamic_cast<const TVLGraphicItemInfo*>(source)) {
    Image.reset();
    PaletteCopy.reset();
    if (src->Image) {
      Image = VLCreateGraphicLike(*src->Image);
      if (Image) Image->Assign(src->Image.get());
    }
    if (src->PaletteCopy) {
      PaletteCopy = VLCreateGraphicLike(*src->PaletteCopy);
      if (PaletteCopy) PaletteCopy->Assign(src->PaletteCopy.get());
    }
    ImageWidth = src->ImageWidth;
    ImageHeight = src->ImageHeight;
    Alt = src->Alt;
    ImageFileName = src->ImageFileName;
    if (src->HasSource())
      SetSource(src->FSourceClassName, src->FSourceBytes);
    else
      SetSource(String(), AnsiString());
  }
  TVLRectItemInfo::Assign(source);
}

void TVLGraphicItemInfo::SetSource(const String& className, AnsiString bytes) {
  FSourceClassName = className;
  FSourceBytes = std::move(bytes);
  FSourceImage = FSourceClassName.empty() ? nullptr : Image.get();
  if (FSourceImage) Image->Modified = false;
}

bool TVLGraphicItemInfo::HasSource() const {
  return Image && Image.get() == FSourceImage && !Image->Modified;
}

bool TVLGraphicItemInfo::GetBoolValue(Integer prop) const {
  switch (prop) {
    case 1: return Image != nullptr;
    case 3:
    case 4: return true;
    case 8: return Image && !dynamic_cast<const TIcon*>(Image.get());
    default: return TVLRectItemInfo::GetBoolValue(prop);
  }
}

bool TVLGraphicItemInfo::GetBoolValueEx(Integer prop, TVLStyle* vlStyle) const {
  if (prop == 0) return !dynamic_cast<const TMetafile*>(Image.get());
  return TVLRectItemInfo::GetBoolValueEx(prop, vlStyle);
}

Integer TVLGraphicItemInfo::GetImageWidth(TVLStyle* /*vlStyle*/) const {
  return ImageWidth > 0 ? ImageWidth : (Image ? Image->GetWidth() : 0);
}

Integer TVLGraphicItemInfo::GetImageHeight(TVLStyle* /*vlStyle*/) const {
  return ImageHeight > 0 ? ImageHeight : (Image ? Image->GetHeight() : 0);
}

Integer TVLGraphicItemInfo::GetWidth() const { return GetImageWidth(nullptr) + 2 * Spacing; }
Integer TVLGraphicItemInfo::GetHeight() const { return GetImageHeight(nullptr) + 2 * Spacing; }

Integer TVLGraphicItemInfo::GetMinWidth(const TVLScreenAndDevice* sad, TCanvas* /*canvas*/,
                                        TCustomVLData* /*vlData*/) {
  return sad ? MulDiv(GetWidth(), sad->ppixDevice, sad->ppixScreen) : GetWidth();
}

void TVLGraphicItemInfo::Paint(Integer x, Integer y, TCanvas* canvas, TVLTextDrawStates state,
                               TVLStyle* style, TCustomVLData* /*vlData*/) {
  const Integer w = GetImageWidth(style), h = GetImageHeight(style);
  TGraphic* g = PaletteCopy ? PaletteCopy.get() : Image.get();
  if (g) {
    if (ImageWidth > 0 || ImageHeight > 0)
      canvas->StretchDraw(Bounds(x + Spacing, y + Spacing, w, h), g);
    else
      canvas->Draw(x + Spacing, y + Spacing, g);
  }
  VLPaintItemFrames(canvas, x, y, w + 2 * Spacing, h + 2 * Spacing, state, style, true);
}

bool TVLGraphicItemInfo::PrintToBitmap(TBitmap* bitmap, bool preview, TCustomVLData* /*vlData*/,
                                       const TVLDrawLineInfo* drawLine, Integer part,
                                       TVLColorMode /*colorMode*/) {
  if (!Image || !bitmap) return true;
  Integer y0 = 0;
  auto* multi = dynamic_cast<const TVLMultiImagePrintInfo*>(drawLine);
  if (multi && part >= 0 && part < static_cast<Integer>(multi->PartsList.size()))
    y0 = -multi->PartsList[static_cast<size_t>(part)]->ImageTop;
  TGraphic* copy = preview ? PaletteCopy.get() : nullptr;
  if (ImageWidth <= 0 && ImageHeight <= 0) {
    bitmap->Canvas()->Draw(0, y0, copy ? copy : Image.get());
    return true;
  }
  // A page's slice is a window on the whole picture, which keeps its height.
  const Integer wholeHeight = y0 != 0 || multi ? GetImageHeight(nullptr) : bitmap->GetHeight();
  const TRect whole(0, y0, bitmap->GetWidth(), y0 + wholeHeight);
  if (copy) {
    bitmap->Canvas()->StretchDraw(whole, copy);
    return true;
  }
  const bool sameWidth = ImageWidth <= 0 || ImageWidth == Image->GetWidth();
  const bool sameHeight = ImageHeight <= 0 || ImageHeight == Image->GetHeight();
  if (sameWidth && sameHeight) {
    bitmap->Canvas()->StretchDraw(whole, Image.get());
    return true;
  }
  // The picture at its own size; the printer stretches the bitmap. A
  // transparent picture keeps what lay under it, stretched along.
  std::unique_ptr<TBitmap> under;
  if (Image->GetTransparent()) {
    under = std::make_unique<TBitmap>();
    under->Assign(bitmap);
  }
  if (part < 0)
    bitmap->SetSize(Image->GetWidth(), Image->GetHeight());
  else
    bitmap->SetWidth(Image->GetWidth());
  if (under) bitmap->Canvas()->StretchDraw(TRect(0, 0, bitmap->GetWidth(), bitmap->GetHeight()), under.get());
  bitmap->Canvas()->Draw(0, y0, Image.get());
  return true;
}

void TVLGraphicItemInfo::Print(TCanvas* canvas, Integer x, Integer y, Integer /*x2*/, bool preview,
                               bool /*correctY*/, const TVLScreenAndDevice& sad,
                               TCustomVLData* vlData, TVLColorMode /*colorMode*/) {
  if (!Image) return;
  if (!preview) canvas->SaveDC();
  TVLStyle* style = vlData ? vlData->GetStyle() : nullptr;
  const Integer w = MulDiv(GetImageWidth(style), sad.ppixDevice, sad.ppixScreen);
  const Integer h = MulDiv(GetImageHeight(style), sad.ppiyDevice, sad.ppiyScreen);
  canvas->StretchDraw(Bounds(x + MulDiv(Spacing, sad.ppixDevice, sad.ppixScreen),
                             y + MulDiv(Spacing, sad.ppiyDevice, sad.ppiyScreen), w, h),
                      Image.get());
  if (!preview) canvas->RestoreDC(-1);
}

std::unique_ptr<TVLDrawLineInfo> TVLGraphicItemInfo::CreateDrawLineInfo(const TVLScreenAndDevice& sad) {
  const bool ownHeight = ImageHeight <= 0 || (Image && ImageHeight == Image->GetHeight());
  if (GetBoolValueEx(0, nullptr) && MinHeightOnPage != 0 && ownHeight) {
    auto d = std::make_unique<TVLMultiImagePrintInfo>(this, sad);
    d->Width = MulDiv(GetWidth(), sad.ppixDevice, sad.ppixScreen);
    d->Height = MulDiv(GetHeight(), sad.ppiyDevice, sad.ppiyScreen);
    return d;
  }
  return TVLRectItemInfo::CreateDrawLineInfo(sad);
}

void TVLGraphicItemInfo::UpdatePaletteInfo(Integer /*paletteAction*/, bool /*forceRecreateCopy*/) {
  // A copy is made only for a logical palette, which true-colour devices
  // never have: whatever the action, no copy remains.
  PaletteCopy.reset();
}

void TVLGraphicItemInfo::MovingToUndoList(Integer itemNo, TCustomVLData* vlData, TObject* containerUndoItem) {
  PaletteCopy.reset();
  TVLRectItemInfo::MovingToUndoList(itemNo, vlData, containerUndoItem);
}

// ---- extra properties -----------------------------------------------------------

namespace {

TBitmap* TransparentBitmap(const std::unique_ptr<TGraphic>& image) {
  auto* b = dynamic_cast<TBitmap*>(image.get());
  return b && b->GetTransparent() ? b : nullptr;
}

}  // namespace

Integer TVLGraphicItemInfo::GetVLFExtraPropertyCount() const {
  Integer n = TVLRectItemInfo::GetVLFExtraPropertyCount() + (ImageWidth > 0 ? 1 : 0) +
              (ImageHeight > 0 ? 1 : 0) + (MinHeightOnPage > 0 ? 1 : 0);
  if (TBitmap* b = TransparentBitmap(Image)) n += 2 + (b->GetTransparentMode() == tmFixed ? 1 : 0);
  return n + (!ImageFileName.empty() ? 1 : 0) + (!Alt.empty() ? 1 : 0);
}

void TVLGraphicItemInfo::SaveVLFExtraProperties(TStream& stream) const {
  TVLRectItemInfo::SaveVLFExtraProperties(stream);
  if (ImageWidth > 0) VLFWriteExtraIntProperty(stream, vleipImageWidth, ImageWidth);
  if (ImageHeight > 0) VLFWriteExtraIntProperty(stream, vleipImageHeight, ImageHeight);
  if (MinHeightOnPage > 0) VLFWriteExtraIntProperty(stream, vleipMinHeightOnPage, MinHeightOnPage);
  if (TBitmap* b = TransparentBitmap(Image)) {
    VLFWriteExtraIntProperty(stream, vleipTransparent, 1);
    VLFWriteExtraIntProperty(stream, vleipTransparentMode, b->GetTransparentMode());
    if (b->GetTransparentMode() == tmFixed)
      VLFWriteExtraIntProperty(stream, vleipTransparentColor, b->GetTransparentColor());
  }
  if (!ImageFileName.empty()) VLFWriteExtraStrProperty(stream, vlesipFileName, ImageFileName);
  if (!Alt.empty()) VLFWriteExtraStrProperty(stream, vlesipAltText, Alt);
}

bool TVLGraphicItemInfo::SetExtraIntProperty(TVLExtraItemProperty prop, Integer value) {
  auto* bitmap = dynamic_cast<TBitmap*>(Image.get());
  switch (prop) {
    case vleipImageWidth: ImageWidth = value; return true;
    case vleipImageHeight: ImageHeight = value; return true;
    case vleipTransparent:
      if (!bitmap) return false;
      bitmap->SetTransparent(value != 0);
      return true;
    case vleipTransparentMode:
      if (!bitmap) return false;
      bitmap->SetTransparentMode(value == tmFixed ? tmFixed : tmAuto);
      return true;
    case vleipTransparentColor:
      if (!bitmap) return false;
      bitmap->SetTransparentColor(value);
      return true;
    case vleipMinHeightOnPage: MinHeightOnPage = value; return true;
    default: return TVLRectItemInfo::SetExtraIntProperty(prop, value);
  }
}

bool TVLGraphicItemInfo::GetExtraIntProperty(TVLExtraItemProperty prop, Integer& value) const {
  auto* bitmap = dynamic_cast<const TBitmap*>(Image.get());
  switch (prop) {
    case vleipImageWidth: value = ImageWidth; return true;
    case vleipImageHeight: value = ImageHeight; return true;
    case vleipTransparent:
      if (!bitmap) return false;
      value = bitmap->GetTransparent() ? 1 : 0;
      return true;
    case vleipTransparentMode:
      if (!bitmap) return false;
      value = bitmap->GetTransparentMode();
      return true;
    case vleipTransparentColor:
      if (!bitmap) return false;
      value = bitmap->GetTransparentColor();
      return true;
    case vleipMinHeightOnPage: value = MinHeightOnPage; return true;
    default: return TVLRectItemInfo::GetExtraIntProperty(prop, value);
  }
}

bool TVLGraphicItemInfo::SetExtraStrProperty(TVLExtraItemStrProperty prop, const String& value) {
  switch (prop) {
    case vlesipAltText: Alt = value; return true;
    case vlesipFileName: ImageFileName = value; return true;
    default: return TVLRectItemInfo::SetExtraStrProperty(prop, value);
  }
}

bool TVLGraphicItemInfo::GetExtraStrProperty(TVLExtraItemStrProperty prop, String& value) const {
  switch (prop) {
    case vlesipAltText: value = Alt; return true;
    case vlesipFileName: value = ImageFileName; return true;
    default: return TVLRectItemInfo::GetExtraStrProperty(prop, value);
  }
}

// ---- VLF ---------------------------------------------------------------------------

bool TVLGraphicItemInfo::ReadVLFLine(const AnsiString& s, TCustomVLData* vlData, Integer lineNo,
                                     Integer lineCount, AnsiString& name, TObject*& /*cpInfo*/) {
  if (ReadType == 1) {
    // The application supplies the picture by name.
    if (lineNo == 0) {
      name = VLFDecodeOneLine(s);
      std::unique_ptr<TGraphic> graphic;
      if (vlData) vlData->DoVLFPictureNeeded(name, Tag.Int, graphic);
      Image = std::move(graphic);
    } else {
      ReadExtraProperty(*this, s);
    }
    return true;
  }
  if (lineNo == 0) {
    name = VLFDecodeOneLine(s);
    return true;
  }
  if (lineNo == 1) {
    // Only our own picture classes are ever made from a name in a document.
    FSourceClassName = s;
    if (IsGraphicClassRegistered(s) && CreateGraphicOfClass) Image = CreateGraphicOfClass(s);
    if (!Image) {
      VLFAddWarning(vlData, vlfwUnknownPicFmt);
      return VLFOptionsOf(vlData).Contains(vlfoIgnoreUnknownPicFmt);
    }
    return true;
  }
  if (lineNo < lineCount - 1) {
    ReadExtraProperty(*this, s);
    return true;
  }
  AnsiString bytes;
  if (!VLFReadItemData(s, ReadType, bytes)) return false;
  if (!Image) return true;
  // Pictures whose header claims more than their data can hold are not
  // decoded; like unreadable ones they show the bad-picture image and keep
  // their bytes for saving.
  bool loaded = VLPictureWithinLimits(bytes);
  if (loaded) {
    try {
      Image->LoadFromBytes(bytes);
    } catch (const Exception&) {
      loaded = false;
    }
  }
  if (!loaded) {
    VLFAddWarning(vlData, vlfwInvalidPicture);
    TVLStyle* style = vlData ? vlData->GetStyle() : nullptr;
    TGraphic* bad = style ? style->GetInvalidPicture()->GetGraphic() : nullptr;
    Image = bad ? VLCreateGraphicLike(*bad) : nullptr;
    if (Image)
      Image->Assign(bad);
    else
      Image = std::make_unique<TBitmap>();
  } else if (auto* meta = dynamic_cast<TMetafile*>(Image.get()); meta && !meta->Enhanced && meta->Inch == 0) {
    meta->Inch = 1440;
  }
  SetSource(FSourceClassName, std::move(bytes));
  return true;
}

void TVLGraphicItemInfo::SaveVLF(TStream& stream, TCustomVLData* vlData, Integer /*itemNo*/,
                                 Integer paraNo, const AnsiString& name, bool /*part*/,
                                 bool /*forceSameAsPrev*/) {
  const TVLFOptions options = VLFOptionsOf(vlData);
  const Integer extras = GetVLFExtraPropertyCount();
  if (Image && options.Contains(vlfoSavePicturesBody)) {
    const bool binary = options.Contains(vlfoSaveBinary);
    // A picture as it was read goes back as it came.
    const bool kept = HasSource();
    VLFWriteItemHeader(stream, vlData, *this, extras + 3, paraNo, binary ? 2 : 0);
    VLFWriteLine(stream, VLFEncodeOneLine(name));
    VLFWriteLine(stream, kept ? GetSourceClassName() : Image->ClassName());
    SaveVLFExtraProperties(stream);
    VLFWriteItemData(stream, binary, kept ? GetSourceBytes() : Image->SaveToBytes());
  } else {
    VLFWriteItemHeader(stream, vlData, *this, extras + 1, paraNo, 1);
    VLFWriteLine(stream, VLFEncodeOneLine(name));
    SaveVLFExtraProperties(stream);
  }
}

// ---- hypertext pictures ------------------------------------------------------------

bool TVLHotGraphicItemInfo::GetBoolValueEx(Integer prop, TVLStyle* vlStyle) const {
  if (prop == 1 || prop == 2 || prop == 4) return true;
  return TVLGraphicItemInfo::GetBoolValueEx(prop, vlStyle);
}

void TVLHotGraphicItemInfo::ExecuteJump(TCustomVLData* vlData) {
  const auto& hooks = VLItemDocumentHooks();
  if (vlData && hooks.ExecuteJump) hooks.ExecuteJump(vlData, JumpID);
}

// ---- printing over pages ----------------------------------------------------------

TVLMultiImagePrintInfo::TVLMultiImagePrintInfo(TVLRectItemInfo* item, const TVLScreenAndDevice& sad)
    : Sad(sad), Item(item) {}

Integer TVLMultiImagePrintInfo::ImageHeightOnScreen() const { return Item->GetImageHeight(nullptr); }

bool TVLMultiImagePrintInfo::ItemIsMetafile() const { return !Item->GetBoolValueEx(0, nullptr); }

bool TVLMultiImagePrintInfo::InitSplit() {
  if (Item->MinHeightOnPage == 0) return false;
  PartsList.clear();
  auto part = std::make_unique<TVLImagePrintPart>();
  part->ImageTop = 0;
  part->ImageHeight = ImageHeightOnScreen();
  part->Height = MulDiv(part->ImageHeight, Sad.ppiyDevice, Sad.ppiyScreen);
  PartsList.push_back(std::move(part));
  return true;
}

bool TVLMultiImagePrintInfo::CanSplitFirst(Integer y) {
  const Integer rows = MulDiv(y, Sad.ppiyScreen, Sad.ppiyDevice);
  const Integer m = Item->MinHeightOnPage, h = ImageHeightOnScreen();
  if (rows < 1 || ItemIsMetafile() || m < 1 || rows < m) return false;
  return h - rows >= m || rows > h;
}

bool TVLMultiImagePrintInfo::SplitAt(Integer y) {
  const Integer m = Item->MinHeightOnPage;
  if (m < 1) return false;
  if (PartsList.empty()) throw EVellumError(errVLInternalPrint);
  TVLImagePrintPart& last = *PartsList.back();
  if (m >= last.ImageHeight) return false;
  const Integer rows = MulDiv(y, Sad.ppiyScreen, Sad.ppiyDevice);
  const Integer rest = last.ImageHeight - rows;
  if (rest < m || rows < m) return false;
  last.ImageHeight = rows;
  last.Height = MulDiv(rows, Sad.ppiyDevice, Sad.ppiyScreen);
  auto next = std::make_unique<TVLImagePrintPart>();
  next->ImageTop = last.ImageTop + rows;
  next->ImageHeight = rest;
  next->Height = MulDiv(rest, Sad.ppiyDevice, Sad.ppiyScreen);
  PartsList.push_back(std::move(next));
  return true;
}

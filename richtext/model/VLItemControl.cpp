// Control items: sizes (fixed or a share of the document width), placing
// and parenting the control, frames, printing through the control's image,
// extra properties and the VLF record with the control's state.
#include "platform/base/Streams.h"
#include "platform/gui/Graphics.h"
#include "richtext/model/CtrlImg.h"
#include "richtext/model/VLControlClasses.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLFMisc.h"
#include "richtext/model/VLItem.h"
#include "richtext/model/VLItemVLF.h"

#include <algorithm>

namespace {

TWinControl* ParentOf(TCustomVLData* vlData) {
  return vlData ? dynamic_cast<TWinControl*>(vlData->GetParentControl()) : nullptr;
}

}  // namespace

TVLControlItemInfo::~TVLControlItemInfo() { delete Control; }

void TVLControlItemInfo::Assign(const TPersistent* source) {
  if (auto src = dynamic_cast<const TVLControlItemInfo*>(source)) {
    ResizableControl = src->ResizableControl;
    PercentWidth = src->PercentWidth;
  }
  TVLRectItemInfo::Assign(source);
}

bool TVLControlItemInfo::GetBoolValue(Integer prop) const {
  switch (prop) {
    case 1: return Control != nullptr;
    case 3:
    case 7:
    case 9: return true;
    case 8: return ResizableControl && PercentWidth == 0;
    default: return TVLRectItemInfo::GetBoolValue(prop);
  }
}

bool TVLControlItemInfo::GetBoolValueEx(Integer prop, TVLStyle* vlStyle) const {
  switch (prop) {
    case 2: {
      auto win = dynamic_cast<const TWinControl*>(Control);
      return win && win->TabStop && win->CanFocus();
    }
    case 4: return false;
    default: return TVLRectItemInfo::GetBoolValueEx(prop, vlStyle);
  }
}

Integer TVLControlItemInfo::GetImageWidth(TVLStyle* /*vlStyle*/) const { return Control ? Control->GetWidth() : 0; }
Integer TVLControlItemInfo::GetImageHeight(TVLStyle* /*vlStyle*/) const { return Control ? Control->GetHeight() : 0; }
Integer TVLControlItemInfo::GetWidth() const { return GetImageWidth(nullptr) + 2 * Spacing; }
Integer TVLControlItemInfo::GetHeight() const { return GetImageHeight(nullptr) + 2 * Spacing; }

Integer TVLControlItemInfo::GetMinWidth(const TVLScreenAndDevice* sad, TCanvas* /*canvas*/,
                                        TCustomVLData* /*vlData*/) {
  const Integer w = PercentWidth != 0 ? 20 : GetWidth();
  return sad ? MulDiv(w, sad->ppixDevice, sad->ppixScreen) : w;
}

Integer TVLControlItemInfo::PercentWidthFor(Integer docWidth) const {
  return docWidth * PercentWidth / 100 - 2;
}

void TVLControlItemInfo::CalcSizeForDocWidth(Integer docWidth, Integer& result1, Integer& result2) {
  if (Control && PercentWidth >= 1 && PercentWidth <= 100)
    Control->SetWidth(std::max(PercentWidthFor(docWidth), 0));
  result1 = GetHorizontalOffset();
  result2 = 0;
}

void TVLControlItemInfo::MovingToPosition(Integer x, Integer y, bool updateTop) {
  if (!Control) return;
  Control->SetLeft(x + Spacing);
  // The control keeps its true document position; its window stays within
  // what the window system takes.
  Control->Tag = y + Spacing;
  if (updateTop) Control->SetTop(static_cast<Integer>(std::clamp<intptr_t>(Control->Tag, -10000, 10000)));
  Control->SetVisible(true);
}

void TVLControlItemInfo::Inserting(TCustomVLData* vlData, AnsiString& text, bool safe) {
  if (Control) {
    Control->SetVisible(false);
    Control->SetParent(safe ? nullptr : ParentOf(vlData));
  }
  TVLRectItemInfo::Inserting(vlData, text, safe);
}

void TVLControlItemInfo::MovingToUndoList(Integer itemNo, TCustomVLData* vlData, TObject* containerUndoItem) {
  if (Control) Control->SetParent(nullptr);
  if (vlData) vlData->NotifyControlItem(vlcaMoveToUndoList, itemNo, this);
  TVLRectItemInfo::MovingToUndoList(itemNo, vlData, containerUndoItem);
}

void TVLControlItemInfo::MovingFromUndoList(Integer itemNo, TCustomVLData* vlData) {
  if (vlData) vlData->NotifyControlItem(vlcaMoveFromUndoList, itemNo, this);
  if (Control) Control->SetParent(ParentOf(vlData));
}

void TVLControlItemInfo::Focus() {
  if (auto* win = dynamic_cast<TWinControl*>(Control)) win->SetFocus();
}

void TVLControlItemInfo::Paint(Integer x, Integer y, TCanvas* canvas, TVLTextDrawStates state, TVLStyle* style,
                               TCustomVLData* /*vlData*/) {
  // The control paints itself; the item draws only its frames.
  VLPaintItemFrames(canvas, x, y, GetWidth(), GetHeight(), state, style, true);
}

std::unique_ptr<TVLDrawLineInfo> TVLControlItemInfo::CreateDrawLineInfo(const TVLScreenAndDevice& sad) {
  if (GetBoolValueEx(0, nullptr) && MinHeightOnPage != 0) {
    auto d = std::make_unique<TVLMultiImagePrintInfo>(this, sad);
    d->Width = MulDiv(GetWidth(), sad.ppixDevice, sad.ppixScreen);
    d->Height = MulDiv(GetHeight(), sad.ppiyDevice, sad.ppiyScreen);
    return d;
  }
  return TVLRectItemInfo::CreateDrawLineInfo(sad);
}

bool TVLControlItemInfo::PrintToBitmap(TBitmap* bitmap, bool /*preview*/, TCustomVLData* vlData,
                                       const TVLDrawLineInfo* drawLine, Integer part, TVLColorMode /*colorMode*/) {
  if (!bitmap) return false;
  std::unique_ptr<TBitmap> image;
  try {
    const auto& hooks = VLItemDocumentHooks();
    if (!(hooks.PrintComponent && hooks.PrintComponent(vlData, Control, image))) image = DrawControl(Control);
  } catch (const std::exception&) {
    image.reset();
  }
  if (!image) {
    // A control that cannot be imaged leaves its place framed, and the
    // print goes on.
    TCanvas* c = bitmap->Canvas();
    c->Brush.Style = bsClear;
    c->Pen.Color = clBlack;
    c->Pen.Width = 1;
    c->Pen.Style = psSolid;
    c->Rectangle(0, 0, bitmap->GetWidth(), bitmap->GetHeight());
    return true;
  }
  if (MinHeightOnPage < 1) {
    if (image->GetWidth() > bitmap->GetWidth() || image->GetHeight() > bitmap->GetHeight())
      bitmap->SetSize(std::max(bitmap->GetWidth(), image->GetWidth()), std::max(bitmap->GetHeight(), image->GetHeight()));
    bitmap->Canvas()->Draw((bitmap->GetWidth() - image->GetWidth()) / 2, (bitmap->GetHeight() - image->GetHeight()) / 2,
                           image.get());
    return true;
  }
  Integer y0 = 0;
  auto* multi = dynamic_cast<const TVLMultiImagePrintInfo*>(drawLine);
  if (multi && part >= 0 && part < static_cast<Integer>(multi->PartsList.size()))
    y0 = -multi->PartsList[static_cast<size_t>(part)]->ImageTop;
  bitmap->Canvas()->Draw(0, y0, image.get());
  return true;
}

Integer TVLControlItemInfo::GetVLFExtraPropertyCount() const {
  return TVLRectItemInfo::GetVLFExtraPropertyCount() + (MinHeightOnPage > 0 ? 1 : 0) + (ResizableControl ? 1 : 0);
}

void TVLControlItemInfo::SaveVLFExtraProperties(TStream& stream) const {
  TVLRectItemInfo::SaveVLFExtraProperties(stream);
  if (MinHeightOnPage > 0) VLFWriteExtraIntProperty(stream, vleipMinHeightOnPage, MinHeightOnPage);
  if (ResizableControl) VLFWriteExtraIntProperty(stream, vleipResizable, 1);
}

bool TVLControlItemInfo::SetExtraIntProperty(TVLExtraItemProperty prop, Integer value) {
  switch (prop) {
    case vleipMinHeightOnPage: MinHeightOnPage = value; return true;
    case vleipResizable: ResizableControl = value != 0; return true;
    default: return TVLRectItemInfo::SetExtraIntProperty(prop, value);
  }
}

bool TVLControlItemInfo::GetExtraIntProperty(TVLExtraItemProperty prop, Integer& value) const {
  switch (prop) {
    case vleipMinHeightOnPage: value = MinHeightOnPage; return true;
    case vleipResizable: value = ResizableControl ? 1 : 0; return true;
    default: return TVLRectItemInfo::GetExtraIntProperty(prop, value);
  }
}

bool TVLControlItemInfo::ReadVLFLine(const AnsiString& s, TCustomVLData* vlData, Integer lineNo,
                                     Integer lineCount, AnsiString& name, TObject*& /*cpInfo*/) {
  if (lineNo == 0) {
    name = VLFDecodeOneLine(s);
    if (ReadType == 1) {
      TObject* supplied = nullptr;
      if (vlData) vlData->DoVLFControlNeeded(name, Tag.Int, supplied);
      delete Control;
      Control = dynamic_cast<TControl*>(supplied);
      if (Control) {
        Control->SetVisible(false);
        Control->SetParent(ParentOf(vlData));
      }
    }
    return true;
  }
  if (ReadType == 1) {
    ReadExtraProperty(*this, s);
    return true;
  }
  if (lineNo == 1) {
    // Only classes of the whitelist are ever made from a name in a document.
    delete Control;
    Control = nullptr;
    if (const TVLControlClass* cls = FindVLControlClass(s)) {
      Control = cls->Create(nullptr);
      Control->SetParent(ParentOf(vlData));
    }
    return true;
  }
  if (lineNo < lineCount - 1) {
    ReadExtraProperty(*this, s);
    return true;
  }
  AnsiString bytes;
  if (!VLFReadItemData(s, ReadType, bytes)) return false;
  if (!Control) {
    VLFAddWarning(vlData, vlfwUnknownCtrls);
    return VLFOptionsOf(vlData).Contains(vlfoIgnoreUnknownCtrls);
  }
  if (!VLControlFromBytes(*Control, bytes)) return false;
  Control->SetVisible(false);
  return true;
}

void TVLControlItemInfo::SaveVLF(TStream& stream, TCustomVLData* vlData, Integer itemNo, Integer paraNo,
                                 const AnsiString& name, bool /*part*/, bool /*forceSameAsPrev*/) {
  const TVLFOptions options = VLFOptionsOf(vlData);
  const Integer extras = GetVLFExtraPropertyCount();
  const TVLControlClass* cls = VLControlClassOf(Control);
  if (vlData) vlData->NotifyControlItem(vlcaBeforeVLFSave, itemNo, this);
  if (cls && options.Contains(vlfoSaveControlsBody)) {
    const bool binary = options.Contains(vlfoSaveBinary);
    VLFWriteItemHeader(stream, vlData, *this, extras + 3, paraNo, binary ? 2 : 0);
    VLFWriteLine(stream, VLFEncodeOneLine(name));
    VLFWriteLine(stream, cls->Name);
    SaveVLFExtraProperties(stream);
    VLFWriteItemData(stream, binary, VLControlToBytes(*Control));
  } else {
    // The application supplies the control by name when the record is read.
    VLFWriteItemHeader(stream, vlData, *this, extras + 1, paraNo, 1);
    VLFWriteLine(stream, VLFEncodeOneLine(name));
    SaveVLFExtraProperties(stream);
  }
  if (vlData) vlData->NotifyControlItem(vlcaAfterVLFSave, itemNo, this);
}

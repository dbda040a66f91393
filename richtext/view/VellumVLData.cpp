#include "richtext/view/VellumVLData.h"

#include "richtext/model/VLItem.h"
#include "richtext/model/VLMarkers.h"
#include "richtext/view/Vellum.h"

TVellumVLData::TVellumVLData(TCustomVellum* vellum) : Vellum(vellum) {
  if (vellum) FLayoutFlags = vellum->Flags;
  SetState(GetState() | vlstViewDocument);
}

TVellumVLData::~TVellumVLData() {
  ClearDrawLines();
  Clear();
  FMarkers.reset();
}

TVLOptions TVellumVLData::GetOptions() { return Vellum ? Vellum->Options : TVLControlData::GetOptions(); }
void TVellumVLData::SetOptions(TVLOptions value) {
  if (Vellum) Vellum->Options = value;
}
TVLFOptions TVellumVLData::GetVLFOptions() { return Vellum ? Vellum->VLFOptions : TVLControlData::GetVLFOptions(); }
void TVellumVLData::SetVLFOptions(TVLFOptions value) {
  if (Vellum) Vellum->VLFOptions = value;
}
TVLRTFOptions TVellumVLData::GetRTFOptions() { return Vellum ? Vellum->RTFOptions : TVLControlData::GetRTFOptions(); }
void TVellumVLData::SetRTFOptions(TVLRTFOptions value) {
  if (Vellum) Vellum->RTFOptions = value;
}
TVLFReaderStyleMode TVellumVLData::GetVLFTextStylesReadMode() {
  return Vellum ? Vellum->VLFTextStylesReadMode : TVLControlData::GetVLFTextStylesReadMode();
}
TVLFReaderStyleMode TVellumVLData::GetVLFParaStylesReadMode() {
  return Vellum ? Vellum->VLFParaStylesReadMode : TVLControlData::GetVLFParaStylesReadMode();
}
TVLPaletteAction TVellumVLData::GetDoInPaletteMode() {
  return Vellum ? Vellum->DoInPaletteMode : TVLControlData::GetDoInPaletteMode();
}
TVLBiDiMode TVellumVLData::GetBiDiMode() { return Vellum ? Vellum->GetBiDiMode() : TVLControlData::GetBiDiMode(); }
TVLStyle* TVellumVLData::GetStyle() { return Vellum ? Vellum->GetStyle() : TVLControlData::GetStyle(); }
String TVellumVLData::GetDelimiters() { return Vellum ? Vellum->Delimiters : TVLControlData::GetDelimiters(); }
TVLRTFReadHook* TVellumVLData::GetRTFReadProperties() {
  return Vellum ? Vellum->GetRTFReadProperties() : TVLControlData::GetRTFReadProperties();
}
TObject* TVellumVLData::GetParentControl() { return Vellum; }
TStringList* TVellumVLData::GetDocProperties() {
  return (Vellum && (GetState() & vlstViewDocument)) ? Vellum->DocProperties.get() : nullptr;
}

void TVellumVLData::ReleaseVLFStyleMaps() {
  FStyleMaps.Text.reset();
  FStyleMaps.Para.reset();
  FStyleMaps.List.reset();
}

TVLMarkerList* TVellumVLData::GetMarkers(bool allowCreate) {
  if (!FMarkers && allowCreate) FMarkers = std::make_unique<TVLMarkerList>();
  return FMarkers.get();
}

void TVellumVLData::DestroyMarkers() { FMarkers.reset(); }
TCustomVLData* TVellumVLData::GetActiveSubVLData() { return Vellum ? Vellum->GetActiveSubVLData() : nullptr; }
TCustomVLItemInfo* TVellumVLData::GetActiveSubItem() { return Vellum ? Vellum->ActiveItem : nullptr; }

void TVellumVLData::GetSaveRange(bool selectionOnly, Integer& startItemNo, Integer& endItemNo,
                                 Integer& startOffs, Integer& endOffs, Integer& startPart, Integer& endPart) {
  if (!selectionOnly) {
    TCustomVLData::GetSaveRange(false, startItemNo, endItemNo, startOffs, endOffs, startPart, endPart);
    return;
  }
  startPart = endPart = 0;
  if (!SelectionExists(false, false)) {
    startItemNo = endItemNo = -1;
    startOffs = endOffs = 0;
    return;
  }
  GetSelBounds(true, startItemNo, startOffs, endItemNo, endOffs);
}

// ---- host answers ----------------------------------------------------------------------

// Without a control (a document edited headless) the host answers nothing.
Integer TVellumVLData::GetDocumentWidth() { return Vellum ? Vellum->XSize : 0; }
Integer TVellumVLData::GetLeftMargin() { return Vellum ? Vellum->LeftMargin : 0; }
Integer TVellumVLData::GetRightMargin() { return Vellum ? Vellum->RightMargin : 0; }
Integer TVellumVLData::GetTopMargin() { return Vellum ? Vellum->TopMargin : 0; }
Integer TVellumVLData::GetBottomMargin() { return Vellum ? Vellum->BottomMargin : 0; }
Integer TVellumVLData::GetMinTextWidth() { return Vellum ? Vellum->MinTextWidth : 0; }
Integer TVellumVLData::GetMaxTextWidth() { return Vellum ? Vellum->MaxTextWidth : 0; }
Integer TVellumVLData::GetWidth() { return Vellum ? Vellum->ClientWidth() : 0; }
Integer TVellumVLData::GetHeight() { return Vellum ? Vellum->ClientHeight() : 0; }
Integer TVellumVLData::GetHOffset() { return Vellum ? Vellum->HPos : 0; }
Integer TVellumVLData::GetVOffset() { return Vellum ? Vellum->VPos * Vellum->GetVSmallStep() : 0; }
Integer TVellumVLData::GetVSmallStep() { return Vellum ? Vellum->GetVSmallStep() : 1; }

void TVellumVLData::SetDocumentSize(Integer width, Integer height, bool reformat) {
  if (!Vellum) return;
  const Integer step = Vellum->GetVSmallStep();
  Vellum->UpdateScrollBars(width, height / step + (height % step ? 1 : 0), true, true);
}

void TVellumVLData::AdjustVScrollStep() {
  // Keeps the vertical range within 32000 units (a 16-bit thumb).
  if (!Vellum) return;
  Integer step = Vellum->GetVSmallStep();
  if (step <= 0) return;
  if (DocumentHeight / step >= 32001) {
    step = DocumentHeight / 32000;
    if (DocumentHeight / step > 32000) ++step;
    Vellum->SetVSmallStep(step);
  } else if (step > 10 && DocumentHeight / 10 < 32001) {
    Vellum->SetVSmallStep(10);
  }
}

void TVellumVLData::VScrollTo(Integer y) {
  if (!NoScroll && Vellum) Vellum->ScrollTo(y);
}

void TVellumVLData::HScrollTo(Integer x) {
  if (!NoScroll && Vellum) Vellum->HScrollTo(x);
}

TCanvas* TVellumVLData::GetCanvas() {
  TCanvas* c = Vellum ? Vellum->Canvas() : nullptr;
  return c ? c : TCustomVLFormattedData::GetCanvas();
}

TVLBackground* TVellumVLData::GetBackground() { return Vellum ? Vellum->GetBackground() : nullptr; }

TColor TVellumVLData::GetColor() { return Vellum ? Vellum->GetEffectiveColor() : clWindow; }

// ---- events -------------------------------------------------------------------------------

bool TVellumVLData::IsOnVLMouseDownAssigned() { return Vellum && Vellum->OnVLMouseDown; }
void TVellumVLData::DoVLMouseDown(TMouseButton button, TShiftState shift, Integer itemNo, Integer x, Integer y) {
  if (Vellum && Vellum->OnVLMouseDown) Vellum->OnVLMouseDown(Vellum, button, shift, itemNo, x, y);
}
bool TVellumVLData::IsOnVLMouseUpAssigned() { return Vellum && Vellum->OnVLMouseUp; }
void TVellumVLData::DoVLMouseUp(TMouseButton button, TShiftState shift, Integer itemNo, Integer x, Integer y) {
  if (Vellum && Vellum->OnVLMouseUp) Vellum->OnVLMouseUp(Vellum, button, shift, itemNo, x, y);
}
bool TVellumVLData::IsOnVLDblClickAssigned() { return Vellum && Vellum->OnVLDblClick; }
void TVellumVLData::DoVLDblClick(const String& word, Integer styleNo) {
  if (Vellum && Vellum->OnVLDblClick) Vellum->OnVLDblClick(Vellum, word, styleNo);
}
bool TVellumVLData::IsOnVLRightClickAssigned() { return Vellum && Vellum->OnVLRightClick; }
void TVellumVLData::DoVLRightClick(const String& word, Integer styleNo, Integer x, Integer y) {
  if (Vellum && Vellum->OnVLRightClick) Vellum->OnVLRightClick(Vellum, word, styleNo, x, y);
}
bool TVellumVLData::IsOnJumpAssigned() { return Vellum && Vellum->OnJump; }
void TVellumVLData::DoJump(Integer id) {
  if (Vellum && Vellum->OnJump) Vellum->OnJump(Vellum, id);
}
void TVellumVLData::DoVLMouseMove(Integer id) {
  if (Vellum && Vellum->OnVLMouseMove) Vellum->OnVLMouseMove(Vellum, id);
}
bool TVellumVLData::IsOnCopyAssigned() { return Vellum && Vellum->OnCopy; }
void TVellumVLData::DoSelect() {
  if (Vellum && Vellum->OnSelect) Vellum->OnSelect(Vellum);
}
bool TVellumVLData::CanStartDragging() {
  return Vellum && !Vellum->Options.Contains(vloDisallowDrag) && !(GetState() & vlstDragPending);
}

TControl* TVellumVLData::GetHostControl() { return Vellum; }
bool TVellumVLData::HasChildControls() { return Vellum && Vellum->ControlCount() > 0; }
TCursor TVellumVLData::GetNormalCursor() { return Vellum ? Vellum->Cursor : crDefault; }
void TVellumVLData::RequestDrag() {
  if (Vellum) Vellum->ArmDrag();
}

TCPEventKind TVellumVLData::GetCPEventKind() { return Vellum ? Vellum->CPEventKind : cpeNone; }
bool TVellumVLData::IsOnCheckpointVisibleAssigned() { return Vellum && Vellum->OnCheckpointVisible; }
void TVellumVLData::DoCheckpointVisible(TVLCPInfo* checkpoint) {
  if (Vellum && Vellum->OnCheckpointVisible) Vellum->OnCheckpointVisible(Vellum, checkpoint);
}

void TVellumVLData::ItemAction(TVLItemAction action, TCustomVLItemInfo* item, AnsiString& text,
                               TCustomVLData* vlData) {
  if (Vellum && Vellum->OnItemAction) Vellum->OnItemAction(Vellum, action, item, text, vlData);
}

void TVellumVLData::DoControlAction(TVLControlAction action, Integer itemNo, TObject* control) {
  if (Vellum && Vellum->OnControlAction) Vellum->OnControlAction(Vellum, action, itemNo, control);
}

void TVellumVLData::DoVLFPictureNeeded(const String& name, Integer tag, std::unique_ptr<TGraphic>& graphic) {
  if (Vellum && Vellum->OnVLFPictureNeeded) Vellum->OnVLFPictureNeeded(Vellum, name, tag, graphic);
}

void TVellumVLData::DoVLFControlNeeded(const String& name, Integer tag, TObject*& control) {
  if (Vellum && Vellum->OnVLFControlNeeded) Vellum->OnVLFControlNeeded(Vellum, name, tag, control);
}

void TVellumVLData::DoVLFImageListNeeded(Integer imageListTag, TComponent*& imageList) {
  if (Vellum && Vellum->OnVLFImageListNeeded) Vellum->OnVLFImageListNeeded(Vellum, imageListTag, imageList);
}

void TVellumVLData::DoItemHint(TCustomVLData* vlData, Integer itemNo, String& hint) {
  if (Vellum && Vellum->OnItemHint) Vellum->OnItemHint(Vellum, vlData, itemNo, hint);
}

void TVellumVLData::DoReadHyperlink(const String& target, const String& extras, Integer docFormat,
                                    Integer& styleNo, TCustomVLItemInfo* item) {
  // A picture or bullet read with a link becomes its hypertext kind.
  if (styleNo == vlsBullet)
    styleNo = vlsHotspot;
  else if (styleNo == vlsPicture)
    styleNo = vlsHotPicture;
  if (Vellum && Vellum->OnReadHyperlink) Vellum->OnReadHyperlink(Vellum, target, extras, docFormat, styleNo, item);
}

TVLExportEvents* TVellumVLData::GetExportEvents() {
  // The view's handlers as they are now; a link without its own handler
  // takes its target from OnURLNeeded.
  if (!Vellum) return nullptr;
  FExportEvents = Vellum->ExportEvents;
  if (!FExportEvents.OnWriteHyperlink && Vellum->OnURLNeeded) {
    TCustomVellum* v = Vellum;
    FExportEvents.OnWriteHyperlink = [v](TCustomVLData*, Integer id, Integer, Integer, String& target, String&) {
      if (v->OnURLNeeded) v->OnURLNeeded(v, id, target);
    };
  }
  return &FExportEvents;
}

#include "richtext/view/VellumVLData.h"

#include "richtext/model/VLMarkers.h"
#include "richtext/view/Vellum.h"

TVellumVLData::TVellumVLData(TCustomVellum* vellum) : Vellum(vellum) {
  FLayoutFlags = vellum->Flags;
  SetState(GetState() | vlstViewDocument);
}

TVellumVLData::~TVellumVLData() {
  ClearDrawLines();
  Clear();
  FMarkers.reset();
}

TVLOptions TVellumVLData::GetOptions() { return Vellum->Options; }
void TVellumVLData::SetOptions(TVLOptions value) { Vellum->Options = value; }
TVLFOptions TVellumVLData::GetVLFOptions() { return Vellum->VLFOptions; }
void TVellumVLData::SetVLFOptions(TVLFOptions value) { Vellum->VLFOptions = value; }
TVLRTFOptions TVellumVLData::GetRTFOptions() { return Vellum->RTFOptions; }
void TVellumVLData::SetRTFOptions(TVLRTFOptions value) { Vellum->RTFOptions = value; }
TVLFReaderStyleMode TVellumVLData::GetVLFTextStylesReadMode() { return Vellum->VLFTextStylesReadMode; }
TVLFReaderStyleMode TVellumVLData::GetVLFParaStylesReadMode() { return Vellum->VLFParaStylesReadMode; }
TVLPaletteAction TVellumVLData::GetDoInPaletteMode() { return Vellum->DoInPaletteMode; }
TVLBiDiMode TVellumVLData::GetBiDiMode() { return Vellum->GetBiDiMode(); }
TVLStyle* TVellumVLData::GetStyle() { return Vellum->GetStyle(); }
String TVellumVLData::GetDelimiters() { return Vellum->Delimiters; }
TVLRTFReadHook* TVellumVLData::GetRTFReadProperties() { return Vellum->GetRTFReadProperties(); }
TObject* TVellumVLData::GetParentControl() { return Vellum; }
TStringList* TVellumVLData::GetDocProperties() {
  return (GetState() & vlstViewDocument) ? Vellum->DocProperties.get() : nullptr;
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
TCustomVLData* TVellumVLData::GetActiveSubVLData() { return Vellum->GetActiveSubVLData(); }
TCustomVLItemInfo* TVellumVLData::GetActiveSubItem() { return Vellum->ActiveItem; }

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

Integer TVellumVLData::GetDocumentWidth() { return Vellum->XSize; }
Integer TVellumVLData::GetLeftMargin() { return Vellum->LeftMargin; }
Integer TVellumVLData::GetRightMargin() { return Vellum->RightMargin; }
Integer TVellumVLData::GetTopMargin() { return Vellum->TopMargin; }
Integer TVellumVLData::GetBottomMargin() { return Vellum->BottomMargin; }
Integer TVellumVLData::GetMinTextWidth() { return Vellum->MinTextWidth; }
Integer TVellumVLData::GetMaxTextWidth() { return Vellum->MaxTextWidth; }
Integer TVellumVLData::GetWidth() { return Vellum->ClientWidth(); }
Integer TVellumVLData::GetHeight() { return Vellum->ClientHeight(); }
Integer TVellumVLData::GetHOffset() { return Vellum->HPos; }
Integer TVellumVLData::GetVOffset() { return Vellum->VPos * Vellum->GetVSmallStep(); }
Integer TVellumVLData::GetVSmallStep() { return Vellum->GetVSmallStep(); }

void TVellumVLData::SetDocumentSize(Integer width, Integer height, bool reformat) {
  const Integer step = Vellum->GetVSmallStep();
  Vellum->UpdateScrollBars(width, height / step + (height % step ? 1 : 0), true, true);
}

void TVellumVLData::AdjustVScrollStep() {
  // Keeps the vertical range within 32000 units (a 16-bit thumb).
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
  if (!NoScroll) Vellum->ScrollTo(y);
}

void TVellumVLData::HScrollTo(Integer x) {
  if (!NoScroll) Vellum->HScrollTo(x);
}

TCanvas* TVellumVLData::GetCanvas() {
  TCanvas* c = Vellum->Canvas();
  return c ? c : TCustomVLFormattedData::GetCanvas();
}

TColor TVellumVLData::GetColor() { return Vellum->GetEffectiveColor(); }

// ---- events -------------------------------------------------------------------------------

bool TVellumVLData::IsOnVLMouseDownAssigned() { return static_cast<bool>(Vellum->OnVLMouseDown); }
void TVellumVLData::DoVLMouseDown(TMouseButton button, TShiftState shift, Integer itemNo, Integer x, Integer y) {
  if (Vellum->OnVLMouseDown) Vellum->OnVLMouseDown(Vellum, button, shift, itemNo, x, y);
}
bool TVellumVLData::IsOnVLMouseUpAssigned() { return static_cast<bool>(Vellum->OnVLMouseUp); }
void TVellumVLData::DoVLMouseUp(TMouseButton button, TShiftState shift, Integer itemNo, Integer x, Integer y) {
  if (Vellum->OnVLMouseUp) Vellum->OnVLMouseUp(Vellum, button, shift, itemNo, x, y);
}
bool TVellumVLData::IsOnVLDblClickAssigned() { return static_cast<bool>(Vellum->OnVLDblClick); }
void TVellumVLData::DoVLDblClick(const String& word, Integer styleNo) {
  if (Vellum->OnVLDblClick) Vellum->OnVLDblClick(Vellum, word, styleNo);
}
bool TVellumVLData::IsOnVLRightClickAssigned() { return static_cast<bool>(Vellum->OnVLRightClick); }
void TVellumVLData::DoVLRightClick(const String& word, Integer styleNo, Integer x, Integer y) {
  if (Vellum->OnVLRightClick) Vellum->OnVLRightClick(Vellum, word, styleNo, x, y);
}
bool TVellumVLData::IsOnJumpAssigned() { return static_cast<bool>(Vellum->OnJump); }
void TVellumVLData::DoJump(Integer id) {
  if (Vellum->OnJump) Vellum->OnJump(Vellum, id);
}
void TVellumVLData::DoVLMouseMove(Integer id) {
  if (Vellum->OnVLMouseMove) Vellum->OnVLMouseMove(Vellum, id);
}
bool TVellumVLData::IsOnCopyAssigned() { return static_cast<bool>(Vellum->OnCopy); }
void TVellumVLData::DoSelect() {
  if (Vellum->OnSelect) Vellum->OnSelect(Vellum);
}
bool TVellumVLData::CanStartDragging() {
  return !Vellum->Options.Contains(vloDisallowDrag) && !(GetState() & vlstDragPending);
}

TControl* TVellumVLData::GetHostControl() { return Vellum; }
TCursor TVellumVLData::GetNormalCursor() { return Vellum->Cursor; }
void TVellumVLData::RequestDrag() { Vellum->ArmDrag(); }

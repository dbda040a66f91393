#pragma once
// The data object of the viewer control: it answers every host question of
// the laid-out document (margins, widths, canvas, scroll position, colour,
// options, style sheet) from its control and fires the control's events on
// behalf of the document.
#include "richtext/model/VLExport.h"
#include "richtext/view/VLControlData.h"

class TCustomVellum;
class TVLMarkerList;

class TVellumVLData : public TVLControlData {
public:
  explicit TVellumVLData(TCustomVellum* vellum);
  ~TVellumVLData() override;

  TCustomVellum* Vellum;

  TVLOptions GetOptions() override;
  void SetOptions(TVLOptions value) override;
  TVLFOptions GetVLFOptions() override;
  void SetVLFOptions(TVLFOptions value) override;
  TVLRTFOptions GetRTFOptions() override;
  void SetRTFOptions(TVLRTFOptions value) override;
  TVLFWarnings GetVLFWarnings() override { return FVLFWarnings; }
  void SetVLFWarnings(TVLFWarnings value) override { FVLFWarnings = value; }
  TVLFReaderStyleMode GetVLFTextStylesReadMode() override;
  TVLFReaderStyleMode GetVLFParaStylesReadMode() override;
  TVLPaletteAction GetDoInPaletteMode() override;
  TVLBiDiMode GetBiDiMode() override;
  TVLStyle* GetStyle() override;
  String GetDelimiters() override;
  TVLRTFReadHook* GetRTFReadProperties() override;
  TObject* GetParentControl() override;
  TStringList* GetDocProperties() override;
  TVLFStyleMaps* GetVLFStyleMaps() override { return &FStyleMaps; }
  void ReleaseVLFStyleMaps() override;
  TVLMarkerList* GetMarkers(bool allowCreate) override;
  void DestroyMarkers() override;
  TCustomVLData* GetActiveSubVLData() override;
  TCustomVLItemInfo* GetActiveSubItem() override;
  void GetSaveRange(bool selectionOnly, Integer& startItemNo, Integer& endItemNo, Integer& startOffs,
                    Integer& endOffs, Integer& startPart, Integer& endPart) override;

  Integer GetDocumentWidth() override;
  Integer GetLeftMargin() override;
  Integer GetRightMargin() override;
  Integer GetTopMargin() override;
  Integer GetBottomMargin() override;
  Integer GetMinTextWidth() override;
  Integer GetMaxTextWidth() override;
  Integer GetWidth() override;
  Integer GetHeight() override;
  void SetDocumentSize(Integer width, Integer height, bool reformat) override;
  void AdjustVScrollStep() override;
  Integer GetHOffset() override;
  Integer GetVOffset() override;
  void VScrollTo(Integer y) override;
  void HScrollTo(Integer x) override;
  Integer GetVSmallStep() override;
  TVLBackground* GetBackground() override;
  // Set while a load fills the background, so that it is taken up once.
  bool UpdatingBackground = false;
  TCanvas* GetCanvas() override;
  TColor GetColor() override;
  // Keeps scrolling still (the no-scroll state bit).
  bool NoScroll = false;

  bool IsOnVLMouseDownAssigned() override;
  void DoVLMouseDown(TMouseButton button, TShiftState shift, Integer itemNo, Integer x, Integer y) override;
  bool IsOnVLMouseUpAssigned() override;
  void DoVLMouseUp(TMouseButton button, TShiftState shift, Integer itemNo, Integer x, Integer y) override;
  bool IsOnVLDblClickAssigned() override;
  void DoVLDblClick(const String& word, Integer styleNo) override;
  bool IsOnVLRightClickAssigned() override;
  void DoVLRightClick(const String& word, Integer styleNo, Integer x, Integer y) override;
  bool IsOnJumpAssigned() override;
  void DoJump(Integer id) override;
  void DoVLMouseMove(Integer id) override;
  bool IsOnCopyAssigned() override;
  void DoSelect() override;
  bool CanStartDragging() override;
  Integer GetFirstJumpNo() override { return FirstJumpNo; }
  // The number of the document's first hyperlink.
  Integer FirstJumpNo = 0;

  TCPEventKind GetCPEventKind() override;
  bool IsOnCheckpointVisibleAssigned() override;
  void DoCheckpointVisible(TVLCPInfo* checkpoint) override;
  void ItemAction(TVLItemAction action, TCustomVLItemInfo* item, AnsiString& text, TCustomVLData* vlData) override;
  void DoControlAction(TVLControlAction action, Integer itemNo, TObject* control) override;
  void DoVLFPictureNeeded(const String& name, Integer tag, std::unique_ptr<TGraphic>& graphic) override;
  void DoVLFControlNeeded(const String& name, Integer tag, TObject*& control) override;
  void DoVLFImageListNeeded(Integer imageListTag, TComponent*& imageList) override;
  void DoItemHint(TCustomVLData* vlData, Integer itemNo, String& hint) override;
  void DoReadHyperlink(const String& target, const String& extras, Integer docFormat, Integer& styleNo,
                       TCustomVLItemInfo* item) override;
  TVLExportEvents* GetExportEvents() override;

  TControl* GetHostControl() override;
  TCursor GetNormalCursor() override;
  void RequestDrag() override;
  // Embedded controls are the view's children; without any there is
  // nothing to move after a layout.
  bool HasChildControls() override;

private:
  TVLFWarnings FVLFWarnings;
  TVLFStyleMaps FStyleMaps;
  std::unique_ptr<TVLMarkerList> FMarkers;
  TVLExportEvents FExportEvents;
};

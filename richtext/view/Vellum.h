#pragma once
// The read-only rich-text viewer control: it holds the view-level settings
// (margins, text widths, options, file-format options, style sheet,
// background, events) and one document data object to which nearly every
// document operation goes; it turns window input into calls on that data.
// The editor control is built on it.
#include "platform/base/Strings.h"
#include "platform/gui/DragDrop.h"
#include "platform/gui/Messages.h"
#include "richtext/model/VLBack.h"
#include "richtext/model/VLExport.h"
#include "richtext/view/VLScroller.h"
#include "richtext/view/VellumVLData.h"

#include <array>
#include <functional>
#include <memory>

class TStream;
class TTimer;

// Private window messages of the viewer.
inline constexpr Cardinal WM_VLEVENT = WM_USER + 15;
inline constexpr Cardinal WM_VLDRAGDROP = WM_USER + 16;

enum TVLTabNavigationType { vltnNone, vltnTab, vltnCtrlTab };

// The options of a new viewer.
inline const TVLOptions VellumDefaultOptions{vloAllowSelection, vloScrollToEnd, vloShowPageBreaks,
                                            vloAutoCopyText, vloAutoCopyVLF, vloAutoCopyImage,
                                            vloAutoCopyRTF, vloFormatInvalidate, vloDblClickSelectsWord,
                                            vloRClickDeselects};
inline const TVLRTFOptions VellumDefaultRTFOptions{vlrtfDuplicateUnicode, vlrtfSaveEMFAsWMF,
                                                  vlrtfSaveJpegAsJpeg};
inline const char* const VellumDefaultDelimiters = " .;,:(){}\"/\\";

class TCustomVellum;
using TVLJumpEvent = std::function<void(TObject* sender, Integer id)>;
using TVLDblClickEvent = std::function<void(TCustomVellum* sender, const String& clickedWord, Integer style)>;
using TVLRightClickEvent =
    std::function<void(TCustomVellum* sender, const String& clickedWord, Integer style, Integer x, Integer y)>;
using TVLMouseEvent = std::function<void(TCustomVellum* sender, TMouseButton button, TShiftState shift,
                                         Integer itemNo, Integer x, Integer y)>;
using TVLPaintEvent = std::function<void(TCustomVellum* sender, TCanvas* canvas, bool prepaint)>;

class TCustomVellum : public TVLScroller {
public:
  // The layout record the document was last loaded with (empty when none).
  const TVLLayoutInfo& LoadedLayout() const { return FLoadedLayout; }
  explicit TCustomVellum(TComponent* owner);
  ~TCustomVellum() override;

  // ---- settings -------------------------------------------------------------------
  TVLOptions Options = VellumDefaultOptions;
  TVLRTFOptions RTFOptions = VellumDefaultRTFOptions;
  TVLFOptions VLFOptions = VLFDefaultOptions;
  TVLFReaderStyleMode VLFTextStylesReadMode = vlf_sInsertMerge;
  TVLFReaderStyleMode VLFParaStylesReadMode = vlf_sInsertMerge;
  String Delimiters = VellumDefaultDelimiters;
  TCPEventKind CPEventKind = cpeNone;
  Integer LeftMargin = 5, RightMargin = 5, TopMargin = 5, BottomMargin = 5;
  Integer MinTextWidth = 0, MaxTextWidth = 0;
  // The cursor over text.
  TCursor Cursor = crDefault;
  TVLTabNavigationType TabNavigation = vltnTab;
  // Behaviour bits the document reads (bit 0 hypertext areas, bit 8 the
  // view's own document).
  Word Flags = vllfCollectJumps | vllfSwallowSpaces | vllfDragDocument;
  std::unique_ptr<TStringList> DocProperties;
  // The document background: a colour and a picture placed in one of the
  // background styles. Changing either repaints and decides whether
  // scrolling may move pixels or must repaint everything.
  TVLBackground* GetBackground() const { return FBackground.get(); }
  TBitmap* GetBackgroundBitmap() const;
  void SetBackgroundBitmap(const TBitmap* value);
  TBackgroundStyle GetBackgroundStyle() const;
  void SetBackgroundStyle(TBackgroundStyle value);
  void BackgroundChanged();
  // True-colour screens have no palette: the items and the background drop
  // any palette copy, and the view repaints.
  void UpdatePaletteInfo();
  void SetDoInPaletteMode(TVLPaletteAction value);
  TVLStyle* GetStyle() const { return FStyle; }
  void SetStyle(TVLStyle* value);
  void Notification(TComponent* component, TOperation operation) override;
  void SetVSmallStep(Integer value) override;
  void SetBiDiMode(TVLBiDiMode value) override;
  // The effective background colour: Color, else the style sheet's, else
  // the window colour.
  TColor GetEffectiveColor() const;
  TVellumVLData* VLData() const { return FData.get(); }
  // This view's own RTF reader settings, made on first use.
  TVLRTFReadHook* GetRTFReadProperties();

  // ---- content --------------------------------------------------------------------
  void Format();
  void Clear();
  void ClearDrawLines();
  void Deselect();
  void SelectAll();
  bool SelectionExists();
  void GetSelectionBounds(Integer& startItemNo, Integer& startItemOffs, Integer& endItemNo,
                          Integer& endItemOffs, bool normalize);
  void SetSelectionBounds(Integer startItemNo, Integer startItemOffs, Integer endItemNo, Integer endItemOffs);
  TRect GetSelectionRect();
  TGraphic* GetSelectedImage();
  String GetSelText();
  WideString GetSelTextW();
  void AddTextItem(const String& text, Integer styleNo, Integer paraNo);
  void AddItem(const AnsiString& text, TCustomVLItemInfo* item);
  Integer ItemCount() const;
  // An item's text in UTF-8 (empty for items without text).
  String GetItemTextUtf8(Integer itemNo) const;
  TCustomVLItemInfo* GetItem(Integer itemNo) const;
  bool GetItemCoords(Integer itemNo, Integer& left, Integer& top);
  Integer GetItemStartOffset(Integer itemNo) const;
  Integer GetItemEndOffset(Integer itemNo) const;
  Integer GetDocumentHeight() const;
  Integer GetJumpPointItemNo(Integer jumpId);
  bool ClearSoftPageBreaks();
  bool SearchText(const String& text, bool down, bool matchCase, bool wholeWord);

  // ---- files ------------------------------------------------------------------------
  // A VLF read that fails leaves the viewer in the load-failed state: it
  // shows what was read, says so, and refuses to save until cleared or a
  // load succeeds, so that a damaged document never overwrites a stored one.
  bool LoadVLFFromStream(TStream& stream);
  bool LoadVLF(const String& fileName);
  bool SaveVLFToStream(TStream& stream, bool selectionOnly);
  bool SaveVLF(const String& fileName, bool selectionOnly);
  bool LoadRTFFromStream(TStream& stream);
  bool LoadRTF(const String& fileName);
  bool SaveRTFToStream(TStream& stream, bool selectionOnly);
  bool SaveRTF(const String& fileName, bool selectionOnly);
  bool SaveHTMLFile(const String& fileName, const String& title, const String& imagesPrefix,
                    TVLSaveOptions options);
  bool SaveCSSHTMLFile(const String& fileName, const String& title, const String& imagesPrefix,
                       TVLSaveOptions options);
  bool LoadText(const String& fileName, Integer styleNo, Integer paraNo, bool asSingleParagraph);
  bool LoadTextUnicode(const String& fileName, Integer styleNo, Integer paraNo, bool asSingleParagraph);
  bool SaveText(const String& fileName, Integer lineWidth);
  bool SaveTextUnicode(const String& fileName, Integer lineWidth);
  bool SaveTextToStream(TStream& stream, bool selectionOnly, bool unicode);
  bool LoadFailed() const { return FLoadFailed; }
  // Copies the selection in every format the options ask for.
  bool Copy();

  // ---- events -----------------------------------------------------------------------
  TVLJumpEvent OnJump;
  TVLJumpEvent OnVLMouseMove;
  TVLDblClickEvent OnVLDblClick;
  TVLRightClickEvent OnVLRightClick;
  TVLMouseEvent OnVLMouseDown, OnVLMouseUp;
  TNotifyEvent OnSelect, OnCopy;
  TVLPaintEvent OnPaint;
  // The end of a drag and a drop reported by a nested editor (Obj: the
  // target or source, null when it is gone).
  std::function<void(TObject* sender, TObject* obj, Integer x, Integer y)> OnEndDrag, OnDragDrop;
  void AssignEvents(const TCustomVellum& source);

  // Reading: what a document names but does not hold, links and hints.
  std::function<void(TCustomVellum* sender, const String& name, Integer tag, std::unique_ptr<TGraphic>& graphic)>
      OnVLFPictureNeeded;
  std::function<void(TCustomVellum* sender, const String& name, Integer tag, TObject*& control)> OnVLFControlNeeded;
  std::function<void(TCustomVellum* sender, Integer imageListTag, TComponent*& imageList)> OnVLFImageListNeeded;
  std::function<void(TCustomVellum* sender, const String& target, const String& extras, Integer docFormat,
                     Integer& styleNo, TCustomVLItemInfo* item)>
      OnReadHyperlink;
  std::function<void(TCustomVellum* sender, TCustomVLData* vlData, Integer itemNo, String& hintText)> OnItemHint;
  std::function<void(TCustomVellum* sender, TVLControlAction action, Integer itemNo, TObject* control)>
      OnControlAction;
  std::function<void(TCustomVellum* sender, TVLItemAction action, TCustomVLItemInfo* item, AnsiString& text,
                     TCustomVLData* vlData)>
      OnItemAction;
  // Saving: the target of a link when OnWriteHyperlink leaves it to us.
  std::function<void(TCustomVellum* sender, Integer id, String& url)> OnURLNeeded;
  // The saving events of the writers (links, extra codes, items, controls
  // and images in saved files).
  TVLExportEvents ExportEvents;
  // A checkpoint scrolled into view (null: the one reported before left it).
  std::function<void(TCustomVellum* sender, TVLCPInfo* checkpoint)> OnCheckpointVisible;

  // ---- auto-scroll ----------------------------------------------------------------
  Integer AutoScrollDX = 0, AutoScrollDY = 0;
  void StartAutoScrollTimer(bool slow);
  void StopAutoScrollTimer();
  bool AutoScrollTimerOn() const;
  Cardinal AutoScrollInterval() const;
  // One timer tick (the timer calls it).
  void AutoScrollTick();
  // A mouse move at the pointer, so that a selection follows scrolled text.
  void GenerateMouseMove();

  // The input handlers (also for tests).
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void DblClick() override;
  bool DoKeyDown(Word& key, TShiftState shift) override;
  bool DoKeyUp(Word& key, TShiftState shift) override;
  // Where the platform has a primary selection (X11), what is selected is
  // offered there as text, for a middle-click paste elsewhere.
  void OfferPrimarySelection();
  // A middle click: the viewer does nothing, an editor pastes the primary
  // selection there.
  virtual void MiddleClick(int x, int y) {}
  // The drag of the selection: a press on it arms it, a move past the drag
  // distance starts it, a release before that is a click.
  void ArmDrag() { FDragArmed = true; }
  void StartDragging();
  // A drag of this view's selection is running (a drop onto the view itself).
  bool IsDraggingSelection() const { return FDragSource != nullptr; }
  TDragSource* DragSourceObject() const { return FDragSource; }
  // The effects the drag allows (the editor adds moving) and what the drop
  // chose (DROPEFFECT_NONE when cancelled).
  virtual int DragEffects() { return DROPEFFECT_COPY; }
  virtual void DragFinished(int effect) {}
  static bool IsCopyShortcut(TShiftState shift, Word key);
  static bool IsCutShortcut(TShiftState shift, Word key);
  static bool IsPasteShortcut(TShiftState shift, Word key);

protected:
  // Descendants create their own data class.
  TCustomVellum(TComponent* owner, const std::function<std::unique_ptr<TVellumVLData>(TCustomVellum*)>& makeData);
  void Paint() override;
  void Resize() override;
  void WndProc(TMessage& message) override;
  void DoEnter() override;
  void DoExit() override;
  void DoContextPopup(TPoint mousePos, bool& handled) override;
  void VScrolled() override;
  void HScrolled() override;
  void ResetScrollPositions() override;
  void InitScrollBars() override;
  // Tab and Shift+Tab reach the control for moving among hyperlinks.
  virtual void RefreshNested(bool refreshSelf);

private:
  void Init();
  void ApplyLayout(const TVLLayoutInfo& layout);
  TVLLayoutInfo CreateLayoutInfo() const;
  std::unique_ptr<TVellumVLData> FData;
  TVLStyle* FStyle = nullptr;
  std::unique_ptr<TVLBackground> FBackground;
  std::unique_ptr<TVLRTFReadHook> FRTFReadProperties;
  std::unique_ptr<TTimer> FAutoScrollTimer;
  bool FLoadFailed = false;
  // The layout the last VLF load brought (its stored lengths are written
  // back for margins left as loaded).
  TVLLayoutInfo FLoadedLayout;
  bool FPopupFromMouseUp = false;
  bool FDragArmed = false;
  TPoint FPressPoint;
  // Moves of the mouse being handled: a scroll they cause (the caret shown
  // in a cell) makes up no move of its own inside them.
  int FMouseMoveDepth = 0;
  // The selection last offered as the primary selection.
  std::array<Integer, 4> FOfferedSelection{-1, -1, -1, -1};
  TDragSource* FDragSource = nullptr;
  // The release comes next when releasing (not when it went elsewhere).
  void ClickInsteadOfDrag(int x, int y, bool releasing);
};

class TVellum : public TCustomVellum {
public:
  explicit TVellum(TComponent* owner) : TCustomVellum(owner) {}
};

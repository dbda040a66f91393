#pragma once
// A laid-out document: the document model's item list plus where every piece
// of every item stands (draw items), the hypertext areas, the selection in
// draw-item terms and the formatted width and height. The host (a view, a
// table cell, a printed page) answers margins, sizes, scroll offsets and the
// canvas through virtual operations; layout itself needs no window.
#include "platform/gui/Graphics.h"
#include "richtext/model/VLData.h"
#include "richtext/view/VLDrawLines.h"
#include "richtext/view/VLFlags.h"
#include "richtext/view/VLTextMeasurer.h"

#include <functional>
#include <unordered_map>
#include <memory>
#include <vector>

class TVLBackground;
class TCustomVLFormattedData;
struct TVLFormatState;

// Coordinates of a document stay below this; layout refuses to go beyond
// it with EIntOverflow instead of wrapping. Half the 32-bit range, so that
// a coordinate plus any other still fits: entries of many megabytes are
// tens of millions of pixels tall.
inline constexpr Integer VLMaxCoordinate = (1 << 30) - 1;

// Screen and device pixels per inch, then the left and right margins
// scaled to the device (filled by layout).
struct TVLResolutionInfo {
  TVLScreenAndDevice Sad;
  Integer ScaledLeftMargin = 0;
  Integer ScaledRightMargin = 0;
  Integer ToDeviceX(Integer v) const { return MulDiv(v, Sad.ppixDevice, Sad.ppixScreen); }
  Integer ToDeviceY(Integer v) const { return MulDiv(v, Sad.ppiyDevice, Sad.ppiyScreen); }
  bool IsScreen() const {
    return Sad.ppixDevice == Sad.ppixScreen && Sad.ppiyDevice == Sad.ppiyScreen;
  }
};

// One hypertext area.
class TVLJumpInfo : public TObject {
public:
  Integer Left = 0, Top = 0, Width = 0, Height = 0;
  Integer JumpID = 0;
  TCustomVLFormattedData* VLData = nullptr;
  Integer DrawItemNo = -1;  // in VLData's draw items
  // The draw item of this document that holds VLData (a table's), when the
  // area lies in a nested document; -1 for the document's own areas.
  Integer HostDrawItemNo = -1;
  Word Cursor = crJump;
};

// The hypertext areas of a document; items that hold documents of their
// own (tables) add theirs through BuildJumps.
class TVLJumpList : public TObject, public std::vector<std::unique_ptr<TVLJumpInfo>> {};

// The page breaks pagination computed, in document order, which painting
// shows: each before a position of an item, or, for an item split over
// pages, PartTop pixels below the item's top (-1: not split).
struct TVLSoftPageBreakInfo {
  Integer ItemNo = 0;
  Integer Offset = 0;
  Integer PartTop = -1;
};
class TVLSoftPageBreakList : public TObject {
public:
  std::vector<TVLSoftPageBreakInfo> Items;
};

class TCustomVLFormattedData : public TCustomVLData {
public:
  TCustomVLFormattedData();
  ~TCustomVLFormattedData() override;

  // ---- host answers ------------------------------------------------------
  virtual void PaintOverlay(TCanvas* canvas, Integer hOffset, Integer vOffset) {}
  virtual void SetActiveItem(TCustomVLItemInfo* item);
  virtual void GetResolutionInfo(TCanvas* canvas, TVLResolutionInfo& res);
  // List number and level that continue at the start of this document.
  virtual void GetStartListLevel(Integer& listNo, Integer& level, bool& useStartFrom);
  virtual void ClearDrawLines();
  virtual void GetOrigin(Integer& x, Integer& y);
  virtual Integer GetDocumentWidth() = 0;
  virtual Integer GetLeftMargin() = 0;
  virtual Integer GetRightMargin() = 0;
  virtual Integer GetTopMargin() = 0;
  virtual Integer GetBottomMargin() = 0;
  virtual Integer GetMinTextWidth() = 0;
  virtual Integer GetMaxTextWidth() = 0;
  // Lines never run past GetWidth, not even for a word or item wider than
  // it (that one is broken or cut instead); else the document grows to its
  // widest item.
  virtual bool KeepsItsWidth() { return false; }
  virtual Integer GetWidth() = 0;
  virtual Integer GetHeight() = 0;
  virtual void SetDocumentSize(Integer width, Integer height, bool reformat) = 0;
  virtual void AdjustVScrollStep() = 0;
  // Offsets and scrolling in pixels; the view converts to its units.
  virtual Integer GetHOffset() { return 0; }
  virtual Integer GetVOffset() { return 0; }
  virtual void VScrollTo(Integer y) = 0;
  virtual void HScrollTo(Integer x) = 0;
  virtual Integer GetVSmallStep() = 0;
  virtual TVLBackground* GetBackground() = 0;
  // The canvas layout measures on: a device-less canvas of the data's own
  // unless the host gives one.
  virtual TCanvas* GetCanvas();
  virtual TColor GetColor() = 0;
  virtual void XorDraw();
  // The layout flags (vllf… bits of VLFlags.h).
  virtual Word GetLayoutFlags() { return FLayoutFlags; }
  virtual void SetLayoutFlags(Word value) { FLayoutFlags = value; }
  // The runtime state word (vlst… bits).
  Cardinal GetState() override { return FState; }
  void SetState(Cardinal value) override { FState = value; }

  // ---- layout (VLFormattedDataLayout.cpp) ----------------------------------------------
  virtual void Format(bool onlyResized, bool force, bool noScroll, Integer depth, TCanvas* canvas,
                      bool onlyTail, bool itemFlag);
  void Reformat(bool itemFlag = false);
  Integer CalculateMinDocWidth(TCanvas* canvas, const TVLResolutionInfo* res);
  Integer CalculateMinItemsWidthEx(Integer first, Integer last, TCanvas* canvas,
                                   const TVLResolutionInfo* res, Integer& paraStartItem);
  Integer CalculateParaMinWidthEx(Integer itemNo, Integer& paraStartItem, TCanvas* canvas,
                                  const TVLResolutionInfo* res);
  Integer CalculateParaMinWidth(Integer itemNo);
  // The line a paragraph gets when nothing else in the document is wider:
  // the window's text width, or the paragraph's own minimum.
  Integer LoneLineWidth(Integer itemNo);
  // A printed copy: that line of the item in the document on the screen
  // (0: none).
  virtual Integer ScreenLineWidth(Integer /*itemNo*/) { return 0; }
  Integer CalculateMinItemsWidth(Integer first, Integer last);
  // Line indents (VLFormattedDataLines.cpp).
  void GetLineIndents(Integer itemNo, bool firstLine, Integer& paraStartItem, Integer& rightIndent,
                      Integer& leftIndent);
  Integer GetHorzIndents(Integer itemNo, Integer& paraStartItem);

  // ---- partial reformat (VLFormattedDataPartial.cpp) --------------------------------
  void ExpandReformatRange(Integer first, Integer last, Integer& expFirst, Integer& expLast);
  void FormatParas(Integer startDrawItem, Integer endDrawItem, Integer itemsDelta);
  void FormatParasExact(Integer startDrawItem, Integer endDrawItem, Integer itemsDelta,
                        bool itemFlag);
  // The band of the host to repaint after a partial reformat: top and
  // bottom relative to the visible area (set by FormatParasExact).
  Integer InvalidTop = 0, InvalidBottom = 0;
  // An item that repaints what changed in it (a table whose cell is typed
  // in): while its piece keeps its place, the partial reformat leaves it
  // out of the band it repaints.
  TCustomVLItemInfo* SelfPaintingItem = nullptr;
  // After a reformat of first..last (partial: only those were laid out).
  virtual void AfterFormat(Integer first, Integer last, bool partial) {}
  // The right edge of the widest of the draw items first..last, and whether
  // it sticks out of the document (a cell's editor keeps the cell's width).
  Integer LinesRight(Integer first, Integer last);
  bool SticksOut(Integer first, Integer last);
  // Host hook of the partial reformat: repaint a band (when the toolkit
  // next paints; nothing is drawn onto the window outside a paint).
  virtual void InvalidateBand(Integer top, Integer bottom) {}

  // ---- point to position (VLFormattedDataHitTest.cpp) --------------------------------------
  void FindDrawItemForSel(Integer x, Integer y, Integer& drawItemNo, Integer& offs, bool strict);
  Integer FindDrawItemAtPoint(Integer x, Integer y);

  // ---- draw items and selection -----------------------------------------------
  void Clear() override;
  virtual void Deselect(TCustomVLItemInfo* newPartiallySelected, bool makeEvent);
  void SelectAll();
  // The select event (the view fires it).
  virtual void DoSelect() {}
  Integer GetOffsBeforeDrawItem(Integer n) const;
  Integer GetOffsAfterDrawItem(Integer n) const;
  // The selection in draw items (-1 when none; an editor answers its caret).
  virtual void GetDrawItemSelBounds(bool normalize, Integer& startNo, Integer& startOffs, Integer& endNo,
                                    Integer& endOffs) const;
  void GetSelBounds(bool normalize, Integer& startItemNo, Integer& startItemOffs,
                    Integer& endItemNo, Integer& endItemOffs) const;
  void StoreSelBounds(Integer startItemNo, Integer startItemOffs, Integer endItemNo,
                      Integer endItemOffs);
  void DrawItem2Item(Integer drawItemNo, Integer drawItemOffs, Integer& itemNo,
                     Integer& itemOffs) const;
  void Item2DrawItem(Integer itemNo, Integer itemOffs, Integer& drawItemNo,
                     Integer& drawItemOffs) const;
  Integer Item2FirstDrawItem(Integer itemNo) const;
  void GetLineBounds(Integer n, Integer& first, Integer& last) const;
  Integer FindDrawItemAtY(Integer y, Integer mode) const;
  Integer FindDrawItemByItem(Integer itemNo) const;
  virtual Integer GetFirstItemVisible();
  virtual Integer GetLastItemVisible();
  static int CompareDrawItemsLeft(const TVLDrawLineInfo* a, const TVLDrawLineInfo* b);
  void ResetHoveredJump();
  // The mouse-move report of a jump (-1: none under the mouse).
  virtual void DoJumpHover(Integer jumpID) {}
  void AdjustChildrenCoords();
  // Whether the host control shows child controls (a data object without
  // a window has none).
  virtual bool HasChildControls() { return false; }
  void ClearJumps();
  // The links listed here that lie in a nested document (its lines laid out
  // anew or gone).
  void ForgetJumpsOf(TCustomVLFormattedData* nested);

  // ---- measuring ------------------------------------------------------------------
  // Item text as UTF-16 units, one per character of the item (all capitals
  // applied for text styles that show them).
  WideString GetDisplayText(Integer itemNo);
  // The display text and extents of text item itemNo in its style (cached
  // while the item's text and style are unchanged).
  const TVLMeasuredText& MeasureItemText(TCanvas* canvas, Integer itemNo);
  // Selects a text style into the canvas unless it holds it already.
  void UseTextStyle(TCanvas* canvas, Integer styleNo, TVLBiDiMode bidi);
  const TTextMetric& TextStyleMetrics(TCanvas* canvas, Integer styleNo, TVLBiDiMode bidi);
  // Forgets which style the canvas holds and the metrics of the styles (at
  // the start of every run: others draw on the canvas in between).
  void ResetMeasuring();
  // The canvas's font was changed by someone else (an item measuring itself).
  void CanvasFontChanged() { FAppliedStyle = -1; }

  // ---- fields ----------------------------------------------------------------
  std::function<void(TCustomVLFormattedData* sender, Integer x, Integer y)> XorDrawing;
  TCustomVLItemInfo* CaptureMouseItem = nullptr;
  std::unique_ptr<TObject> SelectingInfo;
  bool XorDrawn = false;
  Integer XorX = 0, XorY = 0;
  TVLJumpList Jumps;
  Integer NextJumpNo = 0;
  Integer LastFormattedItem = -1;
  Integer HoveredJump = -1;
  Integer CaptureDrawItem = -1;
  TCustomVLFormattedData* HoverData = nullptr;
  Integer PressedJump = -1;
  TVLItemRef ActiveItem;
  bool SkipFormat = false;
  std::unique_ptr<TObject> SoftPageBreaks;
  Integer MouseDownDrawItem = -1;
  TCustomVLItemInfo* CurrentItem = nullptr;
  Integer DocumentWidth = -1;
  Integer DocumentHeight = 0;
  Integer TextWidth = -1;
  Integer FocusedItem = -1;
  TVLDrawLines DrawItems;
  Integer SelStartDrawItem = -1, SelEndDrawItem = -1;
  Integer SelStartOffs = 0, SelEndOffs = 0;

  // How text is measured (the canvas's measurer unless replaced).
  TVLTextMeasurer* Measurer = TVLTextMeasurer::Default();
  TVLExtentsCache ExtentsCache;

protected:
  Word FLayoutFlags = vllfCollectJumps | vllfSwallowSpaces;
  Cardinal FState = 0;

private:
  friend struct TVLFormatState;
  // Layout working routines (VLFormattedDataLayout.cpp, VLFormattedDataLines.cpp).
  void FormatItems(TVLFormatState& st, Integer first, Integer last);
  void FormatOneItem(TVLFormatState& st, Integer itemNo);
  void FormatTextPiece(TVLFormatState& st, Integer itemNo, Integer offs, Integer len);
  void FormatFullLineItem(TVLFormatState& st, Integer itemNo);
  void FormatRectItem(TVLFormatState& st, Integer itemNo);
  void NewLine(TVLFormatState& st, Integer itemNo, bool trim);
  void TrimLastSpace(TVLFormatState& st);
  void RaiseBaseline(TVLFormatState& st, Integer ascent);
  void InsertDrawItem(TVLFormatState& st, std::unique_ptr<TVLDrawLineInfo> d);
  void FinishLine(TVLFormatState& st, bool isParaEnd);
  void ReorderBiDiLine(TVLFormatState& st, Integer first, Integer last, TVLBiDiMode mode);
  void SelectTextStyle(TVLFormatState& st, Integer styleNo, Integer itemNo);
  Integer FitText(TVLFormatState& st, Integer from, Integer count, Integer room, bool noWrap);
  Integer GluedWidth(TVLFormatState& st, Integer itemNo, Integer limit, bool unicode);
  Integer LastBreak(TVLFormatState& st, Integer from, Integer count, bool unicode);
  Integer ParaSpaceAfter(TVLFormatState& st, Integer itemNo);
  Integer ParaSpaceBefore(TVLFormatState& st, Integer itemNo);
  Integer TextMinWidth(TCanvas* canvas, Integer itemNo, bool noWrap);
  TVLBiDiMode ParaBiDi(Integer itemNo);
  void RunFormat(TVLFormatState& st, bool onlyTail);

  Integer PieceBottom(const TVLDrawLineInfo* d);
  // Sets the digests of draw items first..last (VLFormattedDataPartial.cpp).
  void DigestDrawItems(Integer first, Integer last);
  Integer ParaMinWidth(Integer itemNo, Integer& paraStartItem, TCanvas* canvas, const TVLResolutionInfo* res);
  WideString DisplayTextOf(const AnsiString& raw, TCustomVLItemInfo* item);

  Integer MinItemsWidth(Integer first, Integer last, TCanvas* canvas, const TVLResolutionInfo* res,
                        Integer& paraStartItem);
  struct TStyleMemo {
    Integer KeyA = -1, KeyU = -1;
    bool HasMetrics = false;
    TTextMetric Metrics;
  };
  TStyleMemo& StyleMemo(TCanvas* canvas, Integer styleNo, TVLBiDiMode bidi);
  std::unordered_map<int64_t, TStyleMemo> FStyleMemo;
  int64_t FAppliedStyle = -1;
  // What this run measured, by item number (items do not change in a run);
  // used only while a run is active.
  std::vector<const TVLMeasuredText*> FRunTexts;
  bool FRunActive = false;
  // A failed layout run has already marked what it finished.
  bool FLayoutFailed = false;
  friend class TVLMeasuringRun;
  std::unique_ptr<TCanvas> FOwnCanvas;
};

// A layout run that measures every item more than once (minimum widths,
// then lines): items measured once in the run are not looked up again.
class TVLMeasuringRun {
public:
  explicit TVLMeasuringRun(TCustomVLFormattedData& data) : FData(data), FOuter(data.FRunActive) {
    if (!FOuter) data.ResetMeasuring();
    data.FRunActive = true;
  }
  ~TVLMeasuringRun() {
    FData.FRunActive = FOuter;
    if (!FOuter) FData.FRunTexts.clear();
  }
  TVLMeasuringRun(const TVLMeasuringRun&) = delete;
  TVLMeasuringRun& operator=(const TVLMeasuringRun&) = delete;

private:
  TCustomVLFormattedData& FData;
  bool FOuter;
};

// Checked position arithmetic: a result past the coordinate limit raises
// EIntOverflow.
[[noreturn]] void VLCoordinateOverflow();
inline Integer VLCheckedAdd(Integer a, Integer b) {
  const int64_t r = static_cast<int64_t>(a) + b;
  if (r > VLMaxCoordinate || r < -VLMaxCoordinate) VLCoordinateOverflow();
  return static_cast<Integer>(r);
}

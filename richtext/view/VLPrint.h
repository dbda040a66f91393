#pragma once
// Printing a document: the document is laid out once more at the printer's
// resolution (sharing the items of the view that shows it), cut into pages
// between lines, and each page is drawn on the printer or, scaled, on a
// preview canvas. Lengths here are device pixels unless named otherwise;
// margins and header/footer positions are millimetres.
#include "richtext/view/VLFormattedData.h"

#include <functional>
#include <limits>
#include <memory>
#include <vector>

class TCustomVellum;
class TPrinter;
class TBitmap;
class TVLPrint;

enum TVLPrintingStep { vlpsStarting, vlpsProceeding, vlpsFinished };

// One page: where its content begins in the printed document.
struct TVLPageInfo {
  // Document y of the page's top (its first line less the space before it).
  Integer StartY = 0;
  Integer StartDrawItemNo = 0;
  // 0: the page begins with a whole draw item; else the part (from 1) of a
  // split draw item.
  Integer StartPart = 0;
  // Where the items after a split item's part are placed from.
  Integer StartY2 = 0;
};

class TControl;

// What a page shows: its first and last item with the offsets where the page
// begins and ends in them (text: 1-based characters; others 0 before, 1
// after) and, where it begins or ends inside an item split over pages, the
// part (from 0) it shows; -1 otherwise.
struct TVLPageRange {
  Integer StartItemNo = -1, StartOffs = 0, EndItemNo = -1, EndOffs = 0;
  Integer StartPart = -1, EndPart = -1;
};

// A document laid out for printing; it never owns items.
inline constexpr Integer kAllLinesAfter = std::numeric_limits<Integer>::min();
inline constexpr Integer kAllLinesUpTo = std::numeric_limits<Integer>::max();
// A line window moved down by dy (the unbounded ends kept).
inline Integer MovedLineBound(Integer v, Integer dy) {
  return v == kAllLinesAfter || v == kAllLinesUpTo ? v : v + dy;
}

class TCustomPrintableVLData : public TCustomVLFormattedData {
public:
  bool ShareItems() override { return true; }
  // Paper is as wide as it is: what the screen shows wider (a table, an
  // unwrapped line) is laid out within the page's width.
  bool KeepsItsWidth() override;
  Integer ScreenLineWidth(Integer itemNo) override;

  // ---- page geometry (device pixels) ---------------------------------------------
  virtual TVLBackground* GetPrintBackground() { return nullptr; }
  virtual Integer GetPageTopCoord(Integer /*pageNo*/) { return 0; }
  virtual Integer GetPageTopCoord2(Integer /*pageNo*/) { return 0; }
  virtual Integer GetPrintableAreaTop() { return 0; }
  virtual Integer GetPrintableAreaLeft(Integer /*pageNo*/) { return 0; }
  // Where a page's content must end (page pixels); a picture reaching
  // below it is scaled down to end there rather than cut off.
  virtual Integer GetPageContentBottom(Integer /*pageNo*/) { return std::numeric_limits<Integer>::max(); }
  virtual void PagePrepaint(TCanvas* /*canvas*/, Integer /*pageNo*/, bool /*preview*/, bool /*correction*/) {}
  virtual void PagePostpaint(TCanvas* /*canvas*/, Integer /*pageNo*/, bool /*preview*/) {}
  // First and last draw item of a page, and the part the first begins with
  // (-1: a whole item).
  virtual void GetDrawItemsRange(Integer pageNo, Integer& first, Integer& firstPart, Integer& last);
  virtual void CheckPageNo(Integer /*pageNo*/) {}
  virtual TVLColorMode GetColorMode() { return vlcmPrinterColor; }
  // Every hypertext item drawn, with its rectangle on the page.
  virtual void DrawHyperlink(TCustomVLData* /*source*/, Integer /*itemNo*/, const TRect& /*r*/) {}
  virtual void DrawPage(Integer pageNo, TCanvas* canvas, bool preview, bool correction);
  // The document whose items are printed.
  virtual TCustomVLData* GetSourceForPrinting() { return this; }
  // The resolution the document was laid out for.
  virtual const TVLScreenAndDevice& PrintResolution() = 0;
  // Paints into bitmap what lies behind it when its top-left corner is at
  // (x, y): screen pixels from the printable area's top-left or, with
  // fromItem, from the current draw item's. The page's picture shows there
  // unless the item's paragraph has a colour; a layer other than 0 lets the
  // current item add its own background (a table's).
  virtual void DrawPageBackground(Integer x, Integer y, TBitmap& bitmap, const TVLScreenAndDevice& sad, Integer layer,
                                  bool fromItem);

  // ---- host answers shared by all printed documents -----------------------
  Integer GetDocumentWidth() override { return GetWidth(); }
  Integer GetMinTextWidth() override { return 0; }
  Integer GetMaxTextWidth() override { return 0; }
  void SetDocumentSize(Integer, Integer, bool) override {}
  void AdjustVScrollStep() override {}
  void VScrollTo(Integer) override {}
  void HScrollTo(Integer) override {}
  Integer GetVSmallStep() override { return 1; }
  TVLBackground* GetBackground() override { return nullptr; }
  void GetResolutionInfo(TCanvas* canvas, TVLResolutionInfo& res) override;

  // Fills r of canvas with color, pen and brush.
  static void FillBackground(TCanvas* canvas, const TRect& r, TColor color);

  // The page being drawn and the draw item being drawn (-1 outside).
  Integer DrawingPageNo = -1;
  Integer CurrentDrawItemNo = -1;
  // The page part of the current draw item being drawn (-1: all of it).
  Integer CurrentPart = -1;
  // Where the current non-text item is drawn (page pixels).
  Integer CurrentItemY = 0;
  // The lines drawn: those ending below LinesAfter and not below LinesUpTo
  // (draw item coordinates). A table row cut over pages prints each line
  // of its cells on the page where the line ends.
  Integer LinesAfter = kAllLinesAfter, LinesUpTo = kAllLinesUpTo;
  // The top and bottom of the line that holds draw item n.
  void LineSpan(Integer n, Integer& top, Integer& bottom) const;

protected:
  // The page's picture background in screen pixels, kept while a page with
  // one is drawn.
  std::unique_ptr<TBitmap> FPageBack;
  // The current draw item's offset from the printable area's top-left
  // (screen pixels), and its item's own background painted into bitmap.
  void CurrentItemOffset(const TVLScreenAndDevice& sad, Integer& x, Integer& y);
  // The item of the draw item being printed; null when there is none.
  TCustomVLItemInfo* CurrentDrawnItem();
  // Its paragraph's background colour (clNone: none).
  TColor CurrentParaColor();
  void DrawItemBackground(Integer x, Integer y, TBitmap& bitmap, const TVLScreenAndDevice& sad, Integer layer);
};

// A document printed inside a rectangle of its parent's page: a header or
// a footer.
class TVLRectPrintableData : public TCustomPrintableVLData {
public:
  TVLRectPrintableData(TCustomVLData* source, TCustomPrintableVLData* parent);

  Integer GetLeftMargin() override { return 0; }
  Integer GetRightMargin() override { return 0; }
  Integer GetTopMargin() override { return 0; }
  Integer GetBottomMargin() override { return 0; }
  Integer GetWidth() override { return Width; }
  Integer GetHeight() override { return Height; }
  TColor GetColor() override { return Color; }
  TCustomVLData* GetSourceForPrinting() override { return Source; }
  Integer GetPrintableAreaLeft(Integer) override { return Left; }
  Integer GetPrintableAreaTop() override { return Top; }
  Integer GetPageTopCoord(Integer) override { return -Top; }
  Integer GetPageTopCoord2(Integer) override { return -Top; }
  TCustomVLData* GetParentData() override { return Parent; }
  TCustomVLData* GetRootData() override { return Parent->GetRootData(); }
  // The list markers (and their counters) are the source's, whose items are
  // printed: a cell's own list, or its document's.
  TVLMarkerList* GetMarkers(bool allowCreate) override { return Source->GetMarkers(allowCreate); }
  TVLStyle* GetStyle() override { return Source->GetStyle(); }
  TVLOptions GetOptions() override { return Source->GetOptions(); }
  TVLBiDiMode GetBiDiMode() override { return Source->GetBiDiMode(); }
  TCanvas* GetCanvas() override { return Parent->GetCanvas(); }
  TVLColorMode GetColorMode() override { return Parent->GetColorMode(); }
  const TVLScreenAndDevice& PrintResolution() override { return Parent->PrintResolution(); }
  void DrawHyperlink(TCustomVLData* source, Integer itemNo, const TRect& r) override {
    Parent->DrawHyperlink(source, itemNo, r);
  }
  // Without a colour of its own (Transparent) the parent's page shows.
  void DrawPageBackground(Integer x, Integer y, TBitmap& bitmap, const TVLScreenAndDevice& sad, Integer layer,
                          bool fromItem) override;

  // Set when the rectangle has no colour of its own, so that what lies
  // under it on the parent's page shows through.
  bool Transparent = false;
  TCustomVLData* Source;
  TCustomPrintableVLData* Parent;
  Integer Left = 0, Top = 0, Width = 0, Height = 0;
  TColor Color = clNone;
};

// The printed document of a print component: pages, printer margins,
// header and footer.
class TVLMainPrintableData : public TCustomPrintableVLData {
public:
  explicit TVLMainPrintableData(TVLPrint* owner);
  ~TVLMainPrintableData() override;

  // Takes the source document's items (shared), style sheet, margins,
  // colour and background.
  void AssignSource(TCustomVellum* source);
  void SetHeader(TCustomVLData* source);
  void SetFooter(TCustomVLData* source);
  TVLRectPrintableData* Header() const { return FHeader.get(); }
  TVLRectPrintableData* Footer() const { return FFooter.get(); }

  // Lays the document out for the printer and cuts it into pages; answers
  // the page count (0 without a printer or without draw items).
  Integer Paginate(TPrinter* printer);
  Integer PageCount() const { return static_cast<Integer>(Pages.size()); }

  Integer GetLeftMargin() override { return SourceLeftMargin; }
  Integer GetRightMargin() override { return SourceRightMargin; }
  Integer GetTopMargin() override { return 0; }
  Integer GetBottomMargin() override { return 0; }
  Integer GetWidth() override { return PrintableWidth; }
  Integer GetHeight() override { return PrintableHeight; }
  TColor GetColor() override;
  TVLStyle* GetStyle() override { return Style; }
  TVLOptions GetOptions() override { return Options; }
  TVLBiDiMode GetBiDiMode() override { return BiDiMode; }
  TCanvas* GetCanvas() override;
  TVLBackground* GetPrintBackground() override { return Background; }
  TVLColorMode GetColorMode() override { return ColorMode; }
  const TVLScreenAndDevice& PrintResolution() override { return Sad; }
  TCustomVLData* GetSourceForPrinting() override { return SourceData ? SourceData : this; }
  // The list markers (and their counters) are the source's: the pages share its items.
  TVLMarkerList* GetMarkers(bool allowCreate) override {
    return SourceData ? SourceData->GetMarkers(allowCreate) : nullptr;
  }

  Integer GetPageTopCoord(Integer pageNo) override;
  Integer GetPageTopCoord2(Integer pageNo) override;
  Integer GetPrintableAreaTop() override { return TopOffset; }
  Integer GetPrintableAreaLeft(Integer pageNo) override;
  Integer GetPageContentBottom(Integer pageNo) override;
  void GetDrawItemsRange(Integer pageNo, Integer& first, Integer& firstPart, Integer& last) override;
  void CheckPageNo(Integer pageNo) override;
  void DrawPage(Integer pageNo, TCanvas* canvas, bool preview, bool correction) override;
  void PagePrepaint(TCanvas* canvas, Integer pageNo, bool preview, bool correction) override;
  void PagePostpaint(TCanvas* canvas, Integer pageNo, bool preview) override;
  void DrawHyperlink(TCustomVLData* source, Integer itemNo, const TRect& r) override;
  // The range of the page being drawn (false when no page is).
  bool GetDrawnPageRange(TVLPageRange& range);
  // A document saved from inside a list continues that list on paper: the
  // layout record's list and level number the first paragraph.
  void ApplyLayoutInfo(const TVLLayoutInfo& layout);
  void GetStartListLevel(Integer& listNo, Integer& level, bool& useStartFrom) override;
  Integer PageStartListNo = -1, PageStartListLevel = -1;
  bool HasPageStartList = false;

  // Report layout: the document laid out on canvas at width (its pixels)
  // with no sheet margins, then cut one page of a caller-given height at a
  // time (false once every draw item is on a page).
  void LayOutOn(TCanvas* canvas, Integer width);
  bool CutNextPage(Integer pageHeight);

  // The sheet of a page (device pixels, origin at the printable part's
  // top-left) and the area the document prints in.
  TRect SheetRect() const;
  TRect PrintAreaRect(Integer pageNo);
  // The whole sheet of paper in the same pixels: the printer's unprintable
  // edges lie left of and above the origin.
  TRect PaperRect() const;

  TVLPrint* Owner;
  TCustomVLData* SourceData = nullptr;
  TVLStyle* Style = nullptr;
  TVLOptions Options;
  TVLBiDiMode BiDiMode = vlbdUnspecified;
  TColor Color = clWindow;
  TVLBackground* Background = nullptr;
  bool TransparentBackground = false;
  TVLColorMode ColorMode = vlcmPrinterColor;
  bool MirrorMargins = false;
  bool ClipMargins = false;
  Integer LeftMarginMM = 20, RightMarginMM = 20, TopMarginMM = 20, BottomMarginMM = 20;
  Integer HeaderYMM = 10, FooterYMM = 10;
  // The source's margins (screen pixels); top and bottom go on every page.
  Integer SourceLeftMargin = 0, SourceRightMargin = 0, SourceTopMargin = 0, SourceBottomMargin = 0;

  // Filled by pagination.
  std::vector<TVLPageInfo> Pages;
  TVLScreenAndDevice Sad;
  Integer DeviceTopMargin = 0, DeviceBottomMargin = 0;
  Integer LeftOffset = 0, TopOffset = 0, RightOffset = 0, BottomOffset = 0, MirroredLeftOffset = 0;
  Integer PrintableWidth = 0, PrintableHeight = 0;
  // The edges the printer cannot print on, left and top, and the paper's size.
  Integer UnprintableLeft = 0, UnprintableTop = 0, PaperWidth = 0, PaperHeight = 0;
  bool PrinterReady = false;

private:
  void PrepareForPrinting(TPrinter* printer);
  void FormatHeaderFooter(TVLRectPrintableData* data);
  // One step of the page cutter; ends at most one page.
  void FormatNextPage();
  void AddPage(Integer startDrawItemNo, Integer startY, Integer startPart);
  Integer SpaceBeforeOf(Integer drawItemNo);
  Integer SpaceAfterOf(Integer drawItemNo);
  bool StartsLine(Integer drawItemNo) const;
  std::unique_ptr<TVLRectPrintableData> FHeader, FFooter;
  TCanvas* FPrinterCanvas = nullptr;
  // The cutter's state between calls.
  Integer FN = 0, FReserved = 0, FY0 = 0, FSplitHeight = 0, FPageHeight = 0;
  bool FSplitting = false;
};

// The print component: paginates a view's document and prints it, or draws
// its pages for a preview.
class TVLPrint {
public:
  TVLPrint();
  virtual ~TVLPrint();
  TVLPrint(const TVLPrint&) = delete;
  TVLPrint& operator=(const TVLPrint&) = delete;

  TVLMainPrintableData& Data() { return *FData; }

  // The printer pages are made for (the program's printer when unset).
  TPrinter* GetPrinter();
  TPrinter* PrinterOverride = nullptr;

  void AssignSource(TCustomVellum* source) { FData->AssignSource(source); }
  void SetHeader(TCustomVLData* source) { FData->SetHeader(source); }
  void SetFooter(TCustomVLData* source) { FData->SetFooter(source); }
  void Clear();
  void FormatPages();
  Integer GetPagesCount() const { return FData->PageCount(); }
  bool PagesFormatted() const { return FPagesFormatted; }
  bool IsPrinterReady() const { return FData->PrinterReady; }
  Integer FormatCounter() const { return FFormatCounter; }

  // Prints pages 1..count; an error while drawing aborts the job and
  // restores the printer's copy count.
  void Print(const String& title, Integer copies, bool collate);
  void PrintPages(Integer firstPage, Integer lastPage, const String& title, Integer copies, bool collate);

  // Page pageNo scaled into pageRect of a screen canvas, which stands for the
  // whole paper: the page lands where the printer puts it.
  void DrawPreview(Integer pageNo, TCanvas* canvas, const TRect& pageRect);
  // The printable area of page pageNo, scaled into pageRect, with the
  // canvas's pen and brush.
  void DrawMarginsRect(TCanvas* canvas, const TRect& pageRect, Integer pageNo);
  // The paper at 100 % in screen pixels.
  Integer GetPreview100PercentWidth();
  Integer GetPreview100PercentHeight();

  bool PreviewCorrection = true;
  // Space kept free at the top of page 1 (device pixels); Print resets it.
  Integer FirstPageOffset = 0;
  // Where the content ends on the last page, from the printable area's top.
  Integer LastPageEnd = 0;

  std::function<void(TVLPrint* sender, Integer pageCompleted, TVLPrintingStep step)> OnFormatting;
  std::function<void(TVLPrint* sender, Integer pageCompleted, TVLPrintingStep step)> OnSendingToPrinter;
  using TPagePaintEvent = std::function<void(TVLPrint* sender, Integer pageNo, TCanvas* canvas, bool preview,
                                             const TRect& pageRect, const TRect& printAreaRect)>;
  TPagePaintEvent OnPagePrepaint;
  TPagePaintEvent OnPagePostpaint;
  std::function<void(TVLPrint* sender, TCustomVLData* vlData, Integer itemNo, const TRect& r)> OnDrawHyperlink;
  // A control is printed as the picture the handler leaves in image (none:
  // its place is framed); without a handler the control draws itself.
  std::function<void(TVLPrint* sender, TControl* printMe, std::unique_ptr<TBitmap>& image)> OnPrintComponent;

protected:
  std::unique_ptr<TVLMainPrintableData> FData;
  bool FPagesFormatted = false;
  Integer FFormatCounter = 0;
  void BumpFormatCounter() { FFormatCounter = FFormatCounter >= 9999 ? 0 : FFormatCounter + 1; }
};

// Millimetres to device pixels at ppi, less the unprintable part on that
// side, never below 0.
Integer VLMMToDevice(Integer mm, Integer ppi, Integer unprintable);
// Device pixels of a resolution record to its screen pixels.
inline Integer VLToScreenX(const TVLScreenAndDevice& sad, Integer v) { return MulDiv(v, sad.ppixScreen, sad.ppixDevice); }
inline Integer VLToScreenY(const TVLScreenAndDevice& sad, Integer v) { return MulDiv(v, sad.ppiyScreen, sad.ppiyDevice); }

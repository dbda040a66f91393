// Printable documents: layout for the printer and the page cutter.
#include "richtext/view/VLPrint.h"

#include "platform/gui/Printers.h"
#include "richtext/model/VLBack.h"
#include "richtext/model/VLClasses.h"
#include "richtext/model/VLItem.h"
#include "richtext/view/Vellum.h"

#include <algorithm>

Integer VLMMToDevice(Integer mm, Integer ppi, Integer unprintable) {
  return std::max<Integer>(0, MulDiv(mm, 5 * ppi, 127) - unprintable);
}

// ---- every printed document --------------------------------------------------------

void TCustomPrintableVLData::GetDrawItemsRange(Integer /*pageNo*/, Integer& first, Integer& firstPart,
                                               Integer& last) {
  first = 0;
  firstPart = -1;
  last = DrawItems.Count() - 1;
}

bool TCustomPrintableVLData::KeepsItsWidth() { return true; }

Integer TCustomPrintableVLData::ScreenLineWidth(Integer itemNo) {
  auto* shown = dynamic_cast<TCustomVLFormattedData*>(GetSourceForPrinting());
  return shown && shown != this && itemNo < shown->GetItemCount() ? shown->LoneLineWidth(itemNo) : 0;
}

void TCustomPrintableVLData::GetResolutionInfo(TCanvas* /*canvas*/, TVLResolutionInfo& res) {
  res.Sad = PrintResolution();
}

// ---- header and footer ---------------------------------------------------------------

TVLRectPrintableData::TVLRectPrintableData(TCustomVLData* source, TCustomPrintableVLData* parent)
    : Source(source), Parent(parent) {
  ShareItemsFrom(source);
}

// ---- the printed document -------------------------------------------------------------

TVLMainPrintableData::TVLMainPrintableData(TVLPrint* owner) : Owner(owner) {}

TVLMainPrintableData::~TVLMainPrintableData() {
  FHeader.reset();
  FFooter.reset();
  // The items belong to the source: only the draw items go.
  ClearDrawLines();
}

void TVLMainPrintableData::AssignSource(TCustomVellum* source) {
  Pages.clear();
  ClearDrawLines();
  SourceData = nullptr;
  if (!source) return;
  // The pages share the document's items: a cell's are in the cell only
  // once its editor is closed.
  source->DestroyInplaceEditor();
  ShareItemsFrom(source->VLData());
  SourceData = source->VLData();
  SourceLeftMargin = source->LeftMargin;
  SourceRightMargin = source->RightMargin;
  SourceTopMargin = source->TopMargin;
  SourceBottomMargin = source->BottomMargin;
  Style = source->GetStyle();
  Options = source->Options;
  BiDiMode = source->VLData()->GetBiDiMode();
  Color = source->GetEffectiveColor();
  Background = source->GetBackground();
  ApplyLayoutInfo(source->LoadedLayout());
}

void TVLMainPrintableData::ApplyLayoutInfo(const TVLLayoutInfo& layout) {
  HasPageStartList = layout.StartsInsideParagraph && layout.StartMarkerListNo >= 0;
  PageStartListNo = HasPageStartList ? layout.StartMarkerListNo : -1;
  PageStartListLevel = HasPageStartList ? layout.StartMarkerLevel : -1;
  const Cardinal state = GetState();
  SetState(HasPageStartList ? state | vlstContinuedList : state & ~vlstContinuedList);
}

void TVLMainPrintableData::GetStartListLevel(Integer& listNo, Integer& level, bool& useStartFrom) {
  if (!HasPageStartList) {
    TCustomPrintableVLData::GetStartListLevel(listNo, level, useStartFrom);
    return;
  }
  listNo = PageStartListNo;
  level = PageStartListLevel;
  useStartFrom = listNo >= 0;
}

bool TVLMainPrintableData::GetDrawnPageRange(TVLPageRange& range) {
  range = TVLPageRange();
  if (DrawingPageNo < 1 || DrawingPageNo > PageCount()) return false;
  Integer first, firstPart, last;
  GetDrawItemsRange(DrawingPageNo, first, firstPart, last);
  last = std::min(last, DrawItems.Count() - 1);
  if (first < 0 || first > last) return false;
  const TVLDrawLineInfo* a = DrawItems[first];
  const TVLDrawLineInfo* b = DrawItems[last];
  range.StartItemNo = a->ItemNo;
  range.StartOffs = GetItemStyle(a->ItemNo) >= 0 ? a->TextOffset : 0;
  range.EndItemNo = b->ItemNo;
  range.EndOffs = GetItemStyle(b->ItemNo) >= 0 ? b->TextOffset + b->Length : 1;
  range.StartPart = firstPart >= 0 && a->PartCount() > 0 ? firstPart : -1;
  if (DrawingPageNo < PageCount()) {
    const TVLPageInfo& next = Pages[static_cast<size_t>(DrawingPageNo)];
    // The next page goes on inside this page's last item.
    if (next.StartPart > 1 && b->PartCount() > 0) range.EndPart = next.StartPart - 2;
  }
  return true;
}

void TVLMainPrintableData::SetHeader(TCustomVLData* source) {
  FHeader.reset();
  if (source) FHeader = std::make_unique<TVLRectPrintableData>(source, this);
}

void TVLMainPrintableData::SetFooter(TCustomVLData* source) {
  FFooter.reset();
  if (source) FFooter = std::make_unique<TVLRectPrintableData>(source, this);
}

TColor TVLMainPrintableData::GetColor() { return TransparentBackground ? clNone : Color; }

TCanvas* TVLMainPrintableData::GetCanvas() {
  return FPrinterCanvas ? FPrinterCanvas : TCustomVLFormattedData::GetCanvas();
}

Integer TVLMainPrintableData::GetPageTopCoord(Integer pageNo) {
  CheckPageNo(pageNo);
  Integer y = Pages[static_cast<size_t>(pageNo - 1)].StartY - TopOffset - DeviceTopMargin;
  if (pageNo == 1) y -= Owner ? Owner->FirstPageOffset : 0;
  return y;
}

Integer TVLMainPrintableData::GetPageTopCoord2(Integer pageNo) {
  CheckPageNo(pageNo);
  Integer y = Pages[static_cast<size_t>(pageNo - 1)].StartY2 - TopOffset - DeviceTopMargin;
  if (pageNo == 1) y -= Owner ? Owner->FirstPageOffset : 0;
  return y;
}

Integer TVLMainPrintableData::GetPrintableAreaLeft(Integer pageNo) {
  return MirrorMargins && pageNo % 2 == 0 ? MirroredLeftOffset : LeftOffset;
}

Integer TVLMainPrintableData::GetPageContentBottom(Integer /*pageNo*/) {
  return TopOffset + PrintableHeight - DeviceBottomMargin;
}

void TVLMainPrintableData::CheckPageNo(Integer pageNo) {
  if (pageNo < 1 || pageNo > PageCount()) throw EVellumError("Invalid page number is specified for printing");
}

void TVLMainPrintableData::GetDrawItemsRange(Integer pageNo, Integer& first, Integer& firstPart, Integer& last) {
  CheckPageNo(pageNo);
  const TVLPageInfo& page = Pages[static_cast<size_t>(pageNo - 1)];
  first = page.StartDrawItemNo;
  firstPart = page.StartPart - 1;
  if (pageNo < PageCount()) {
    const TVLPageInfo& next = Pages[static_cast<size_t>(pageNo)];
    last = next.StartDrawItemNo - 1 + (next.StartPart > 1 ? 1 : 0);
  } else {
    last = DrawItems.Count() - 1;
  }
}

TRect TVLMainPrintableData::SheetRect() const {
  return TRect(0, 0, PrintableWidth + LeftOffset + RightOffset, PrintableHeight + TopOffset + BottomOffset);
}

TRect TVLMainPrintableData::PaperRect() const {
  const TRect sheet = SheetRect();
  if (PaperWidth < sheet.Width() || PaperHeight < sheet.Height()) return sheet;
  return Bounds(-UnprintableLeft, -UnprintableTop, PaperWidth, PaperHeight);
}

TRect TVLMainPrintableData::PrintAreaRect(Integer pageNo) {
  return Bounds(GetPrintableAreaLeft(pageNo), TopOffset, PrintableWidth, PrintableHeight);
}

void TVLMainPrintableData::DrawHyperlink(TCustomVLData* source, Integer itemNo, const TRect& r) {
  if (Owner && Owner->OnDrawHyperlink) Owner->OnDrawHyperlink(Owner, source, itemNo, r);
}

void TVLMainPrintableData::FormatHeaderFooter(TVLRectPrintableData* data) {
  data->Format(false, true, false, 0, FPrinterCanvas, false, false);
}

void TVLMainPrintableData::PrepareForPrinting(TPrinter* printer) {
  Sad.ppixScreen = 96;
  Sad.ppiyScreen = 96;
  Sad.ppixDevice = printer->XDPI();
  Sad.ppiyDevice = printer->YDPI();
  DeviceTopMargin = MulDiv(SourceTopMargin, Sad.ppiyDevice, Sad.ppiyScreen);
  DeviceBottomMargin = MulDiv(SourceBottomMargin, Sad.ppiyDevice, Sad.ppiyScreen);
  FPrinterCanvas->SetPixelsPerInch(Sad.ppiyDevice);

  const Integer pageW = printer->PageWidth(), pageH = printer->PageHeight();
  const Integer offX = printer->PhysicalOffsetX(), offY = printer->PhysicalOffsetY();
  const Integer rightUnprintable = printer->PhysicalWidth() - (pageW + offX);
  const Integer bottomUnprintable = printer->PhysicalHeight() - (pageH + offY);
  UnprintableLeft = offX;
  UnprintableTop = offY;
  PaperWidth = printer->PhysicalWidth();
  PaperHeight = printer->PhysicalHeight();
  LeftOffset = VLMMToDevice(LeftMarginMM, Sad.ppixDevice, offX);
  TopOffset = VLMMToDevice(TopMarginMM, Sad.ppiyDevice, offY);
  RightOffset = VLMMToDevice(RightMarginMM, Sad.ppixDevice, rightUnprintable);
  BottomOffset = VLMMToDevice(BottomMarginMM, Sad.ppiyDevice, bottomUnprintable);
  MirroredLeftOffset = VLMMToDevice(RightMarginMM, Sad.ppixDevice, offX);

  if (FHeader) {
    FHeader->Left = LeftOffset;
    FHeader->Width = pageW - (LeftOffset + RightOffset);
    FHeader->Top = VLMMToDevice(HeaderYMM, Sad.ppiyDevice, offY);
    FHeader->Height = 1;
    FormatHeaderFooter(FHeader.get());
    TopOffset = std::max(TopOffset, FHeader->Top + FHeader->DocumentHeight);
  }
  if (FFooter) {
    FFooter->Left = LeftOffset;
    FFooter->Width = pageW - (LeftOffset + RightOffset);
    FFooter->Top = 0;
    FFooter->Height = 1;
    FormatHeaderFooter(FFooter.get());
    const Integer f = MulDiv(FooterYMM, 5 * Sad.ppiyDevice, 127) - bottomUnprintable + FFooter->DocumentHeight;
    FFooter->Top = pageH - f;
    BottomOffset = std::max(BottomOffset, f);
  }
  // Margins wider than the sheet leave no room rather than a negative one.
  PrintableWidth = std::max<Integer>(1, pageW - (LeftOffset + RightOffset));
  PrintableHeight = std::max<Integer>(1, pageH - (TopOffset + BottomOffset));
}

Integer TVLMainPrintableData::Paginate(TPrinter* printer) {
  auto formatting = [this](Integer page, TVLPrintingStep step) {
    if (Owner && Owner->OnFormatting) Owner->OnFormatting(Owner, page, step);
  };
  formatting(0, vlpsStarting);
  Pages.clear();
  FPrinterCanvas = printer ? printer->Canvas() : nullptr;
  PrinterReady = FPrinterCanvas != nullptr;
  if (!FPrinterCanvas || !Style) {
    PrinterReady = PrinterReady && Style;
    FPrinterCanvas = nullptr;
    ClearDrawLines();
    return 0;
  }
  try {
    PrepareForPrinting(printer);
    Format(false, true, false, 0, FPrinterCanvas, false, false);
  } catch (...) {
    FPrinterCanvas = nullptr;
    throw;
  }
  FPrinterCanvas = nullptr;
  if (DrawItems.Count() == 0) return 0;
  FPageHeight = std::max<Integer>(1, PrintableHeight - DeviceTopMargin - DeviceBottomMargin);
  formatting(0, vlpsProceeding);
  FN = 0;
  do {
    FormatNextPage();
  } while (FN < DrawItems.Count());
  formatting(PageCount(), vlpsFinished);
  return PageCount();
}

void TVLMainPrintableData::LayOutOn(TCanvas* canvas, Integer width) {
  Pages.clear();
  FN = 0;
  FSplitting = false;
  Sad.ppixScreen = Sad.ppiyScreen = 96;
  Sad.ppixDevice = Sad.ppiyDevice = canvas->GetPixelsPerInch();
  // Pages get no top or bottom margin from the view.
  DeviceTopMargin = DeviceBottomMargin = 0;
  LeftOffset = TopOffset = RightOffset = BottomOffset = MirroredLeftOffset = 0;
  UnprintableLeft = UnprintableTop = PaperWidth = PaperHeight = 0;
  PrintableWidth = std::max<Integer>(1, width);
  PrintableHeight = 1;
  PrinterReady = true;
  if (!Style) {
    ClearDrawLines();
    return;
  }
  FPrinterCanvas = canvas;
  try {
    Format(false, true, false, 0, canvas, false, false);
  } catch (...) {
    FPrinterCanvas = nullptr;
    throw;
  }
  FPrinterCanvas = nullptr;
}

bool TVLMainPrintableData::CutNextPage(Integer pageHeight) {
  if (DrawItems.Count() == 0 || (!Pages.empty() && FN >= DrawItems.Count())) return false;
  FPageHeight = std::max<Integer>(1, pageHeight);
  PrintableHeight = FPageHeight;
  FormatNextPage();
  return true;
}

Integer TVLMainPrintableData::SpaceBeforeOf(Integer drawItemNo) {
  TCustomVLItemInfo* item = GetItem(DrawItems[drawItemNo]->ItemNo);
  if (item->ParaNo < 0 || !Style) return 0;
  return MulDiv(Style->ParaStyles->Items(item->ParaNo)->SpaceBefore, Sad.ppiyDevice, Sad.ppiyScreen);
}

Integer TVLMainPrintableData::SpaceAfterOf(Integer drawItemNo) {
  TCustomVLItemInfo* item = GetItem(DrawItems[drawItemNo]->ItemNo);
  if (item->ParaNo < 0 || !Style) return 0;
  return MulDiv(Style->ParaStyles->Items(item->ParaNo)->SpaceAfter, Sad.ppiyDevice, Sad.ppiyScreen);
}

bool TVLMainPrintableData::StartsLine(Integer drawItemNo) const {
  return drawItemNo == 0 || DrawItems[drawItemNo]->StartsNewLine;
}

void TVLMainPrintableData::AddPage(Integer startDrawItemNo, Integer startY, Integer startPart) {
  TVLPageInfo page;
  page.StartDrawItemNo = startDrawItemNo;
  page.StartY = startY;
  page.StartPart = startPart;
  Pages.push_back(page);
}

namespace {

Integer PartHeight(TVLDrawLineInfo* d, Integer index) { return d->PartHeight(index); }
Integer PartCount(TVLDrawLineInfo* d) { return d->PartCount(); }

}  // namespace

void TVLMainPrintableData::FormatNextPage() {
  const Integer count = DrawItems.Count();
  auto proceeding = [this](Integer page) {
    if (Owner && Owner->OnFormatting) Owner->OnFormatting(Owner, page, vlpsProceeding);
  };
  if (Pages.empty()) {
    AddPage(0, 0, 0);
    FY0 = 0;
    FN = 0;
    FReserved = Owner ? Owner->FirstPageOffset : 0;
    FSplitting = false;
  }
  const Integer c = PageCount();
  const Integer p = FPageHeight;
  auto startsAt = [this, c](Integer n) { return Pages[static_cast<size_t>(c - 1)].StartDrawItemNo == n; };

  // The end of the document: where the content stops on the last page.
  auto finish = [&]() {
    Integer first, last;
    GetLineBounds(count - 1, first, last);
    Integer bottom = 0;
    for (Integer i = first; i <= last; ++i) bottom = std::max(bottom, DrawItems[i]->Top + DrawItems[i]->Height);
    bottom += SpaceAfterOf(count - 1);
    const TVLPageInfo& lastPage = Pages.back();
    Integer end = bottom - (lastPage.StartPart > 0 ? lastPage.StartY2 : lastPage.StartY);
    if (PageCount() == 1 && Owner) end += Owner->FirstPageOffset;
    if (Owner) Owner->LastPageEnd = end;
    proceeding(c);
  };

  if (FSplitting) {
    TVLDrawLineInfo* d = DrawItems[FN];
    const Integer sb = SpaceBeforeOf(FN), sa = SpaceAfterOf(FN);
    if (d->SplitAt(FSplitHeight)) {
      AddPage(FN, -sb, PartCount(d));
      if (startsAt(FN))
        Pages[static_cast<size_t>(c - 1)].StartY2 = d->Top + d->Height - PartHeight(d, PartCount(d) - 2) - sb;
      proceeding(c);
      FReserved = 0;
      FY0 = 0;
      FSplitHeight = p + Pages.back().StartY - sa;
      return;
    }
    if (startsAt(FN)) {
      FY0 = d->Top + d->Height - PartHeight(d, PartCount(d) - 1) - sb;
      Pages[static_cast<size_t>(c - 1)].StartY2 = FY0;
    }
    ++FN;
    FSplitting = false;
  }

  while (FN < count) {
    TVLDrawLineInfo* d = DrawItems[FN];
    TCustomVLItemInfo* item = GetItem(d->ItemNo);
    const bool pageBreak =
        FN > 0 && DrawItems[FN - 1]->ItemNo != d->ItemNo && item->GetPageBreakBefore() && !startsAt(FN);
    const Integer sb = SpaceBeforeOf(FN), sa = SpaceAfterOf(FN);
    if (d->InitSplit()) {
      if (startsAt(FN)) {
        Pages.back().StartPart = 1;
        Pages.back().StartY = -sb;
      }
      FSplitHeight = FY0 + p - FReserved - d->Top - sa;
      if (!pageBreak && (startsAt(FN) || d->CanSplitFirst(FSplitHeight))) {
        FSplitting = true;
        FormatNextPage();  // cuts the first part on this page
        return;
      }
      AddPage(FN, -sb, 1);
      proceeding(c);
      FY0 = 0;
      FReserved = 0;
      FSplitHeight = p + Pages.back().StartY - sa;
      FSplitting = true;
      return;
    }
    const Integer h = d->Top + d->Height + sa;
    if (FY0 + p - FReserved < h || pageBreak) {
      // A new page at the start of this line.
      Integer l = FN;
      while (l > 0 && !StartsLine(l)) --l;
      if (FReserved <= 0 && startsAt(l)) {
        // One line taller than a page: it keeps a page of its own.
        ++l;
        while (l < count && !StartsLine(l)) ++l;
      }
      if (l < count) {
        Integer y0 = DrawItems[l]->Top;
        for (Integer i = l + 1; i < count && !StartsLine(i); ++i) y0 = std::min(y0, DrawItems[i]->Top);
        AddPage(l, y0 - SpaceBeforeOf(l), 0);
        FY0 = Pages.back().StartY;
        proceeding(c);
        FReserved = 0;
        FN = l;
        return;
      }
      FN = l;
      finish();
      return;
    }
    ++FN;
  }
  finish();
}

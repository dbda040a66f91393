// The print component: pagination, the print job and preview pictures.
#include "platform/gui/Printers.h"
#include "richtext/view/VLPrint.h"

#include "richtext/model/VLItem.h"

namespace {

// A control item printed in a document of a print component asks the
// component's OnPrintComponent for its picture (headers and footers ask
// through the page they lie on).
void InstallPrintComponentHook() {
  static const bool installed = [] {
    VLItemDocumentHooks().PrintComponent = [](TCustomVLData* vlData, TControl* control,
                                              std::unique_ptr<TBitmap>& image) {
      auto* data = dynamic_cast<TCustomPrintableVLData*>(vlData);
      while (auto* rect = dynamic_cast<TVLRectPrintableData*>(data)) data = rect->Parent;
      auto* main = dynamic_cast<TVLMainPrintableData*>(data);
      TVLPrint* owner = main ? main->Owner : nullptr;
      if (!owner || !owner->OnPrintComponent) return false;
      owner->OnPrintComponent(owner, control, image);
      return true;
    };
    return true;
  }();
  (void)installed;
}

}  // namespace

TVLPrint::TVLPrint() : FData(std::make_unique<TVLMainPrintableData>(this)) { InstallPrintComponentHook(); }

TVLPrint::~TVLPrint() = default;

TPrinter* TVLPrint::GetPrinter() { return PrinterOverride ? PrinterOverride : Printer(); }

void TVLPrint::Clear() {
  FData->Pages.clear();
  FData->ClearDrawLines();
  // Secret text measured for the pages goes with them.
  if (FData->ExtentsCache.Wipe) FData->ExtentsCache.Clear();
  FPagesFormatted = false;
}

void TVLPrint::FormatPages() {
  BumpFormatCounter();
  FPagesFormatted = false;
  FData->Paginate(GetPrinter());
  FPagesFormatted = true;
}

void TVLPrint::Print(const String& title, Integer copies, bool collate) {
  PrintPages(1, GetPagesCount(), title, copies, collate);
}

void TVLPrint::PrintPages(Integer firstPage, Integer lastPage, const String& title, Integer copies, bool collate) {
  if (lastPage < firstPage) return;
  FirstPageOffset = 0;
  auto sending = [this](Integer page, TVLPrintingStep step) {
    if (OnSendingToPrinter) OnSendingToPrinter(this, page, step);
  };
  sending(0, vlpsStarting);
  TPrinter* printer = GetPrinter();
  printer->Title = title;
  copies = std::max<Integer>(1, copies);
  const Integer savedCopies = printer->GetCopies();
  Integer ownCopies = copies;
  if (printer->SupportsMultipleCopies()) {
    printer->SetCopies(copies);
    ownCopies = 1;
  } else {
    printer->SetCopies(1);
  }
  // A failing page ends the job without output and leaves the printer's
  // copy count as it was.
  struct TJob {
    TPrinter* P;
    Integer Copies;
    bool Done = false;
    ~TJob() {
      if (!Done) P->Abort();
      P->SetCopies(Copies);
    }
  } job{printer, savedCopies};
  printer->BeginDoc();
  auto sheet = [&](Integer page, Integer copy) {
    FData->DrawPage(page, printer->Canvas(), false, false);
    sending(page, vlpsProceeding);
    if (!(page == lastPage && copy == ownCopies)) printer->NewPage();
  };
  if (collate) {
    for (Integer c = 1; c <= ownCopies; ++c)
      for (Integer p = firstPage; p <= lastPage; ++p) sheet(p, c);
  } else {
    for (Integer p = firstPage; p <= lastPage; ++p)
      for (Integer c = 1; c <= ownCopies; ++c) sheet(p, c);
  }
  printer->EndDoc();
  job.Done = true;
  printer->SetCopies(savedCopies);
  sending(0, vlpsFinished);
}

void TVLPrint::DrawPreview(Integer pageNo, TCanvas* canvas, const TRect& pageRect) {
  canvas->SetMapMode(MM_TEXT);
  canvas->Brush.Style = bsSolid;
  canvas->Brush.Color = clWhite;
  canvas->Pen.Color = clWhite;
  canvas->FillRect(pageRect);
  // The page rectangle stands for the paper: the sheet the printer draws on
  // starts inside it by the edges it cannot print.
  const TRect paper = FData->PaperRect();
  if (paper.Width() <= 0 || paper.Height() <= 0 || pageRect.Width() <= 0 || pageRect.Height() <= 0) return;
  const int saved = canvas->SaveDC();
  const Integer ppi = canvas->GetPixelsPerInch();
  struct TRestore {
    TCanvas* C;
    int Saved;
    Integer Ppi;
    ~TRestore() {
      C->RestoreDC(Saved);
      C->SetMapMode(MM_TEXT);
      C->SetViewportOrgEx(0, 0);
      C->SetPixelsPerInch(Ppi);
    }
  } restore{canvas, saved, ppi};
  canvas->IntersectClipRect(pageRect.Left, pageRect.Top, pageRect.Right, pageRect.Bottom);
  canvas->SetMapMode(MM_ANISOTROPIC);
  // The sheet the printer draws on, in whole pixels of the page rectangle:
  // it is mapped as a rectangle of its own, so that a border thinner than a
  // pixel keeps both its sides.
  const TRect sheet = FData->SheetRect();
  const TRect onPage(pageRect.Left + MulDiv(sheet.Left - paper.Left, pageRect.Width(), paper.Width()),
                     pageRect.Top + MulDiv(sheet.Top - paper.Top, pageRect.Height(), paper.Height()),
                     pageRect.Left + MulDiv(sheet.Right - paper.Left, pageRect.Width(), paper.Width()),
                     pageRect.Top + MulDiv(sheet.Bottom - paper.Top, pageRect.Height(), paper.Height()));
  if (sheet.Width() <= 0 || sheet.Height() <= 0 || onPage.Width() <= 0 || onPage.Height() <= 0) return;
  canvas->SetWindowExtEx(sheet.Width(), sheet.Height());
  canvas->SetViewportExtEx(onPage.Width(), onPage.Height());
  canvas->SetViewportOrgEx(onPage.Left, onPage.Top);
  // Fonts at printer size: the mapping scales them down.
  canvas->SetPixelsPerInch(FData->Sad.ppiyDevice);
  FData->DrawPage(pageNo, canvas, true, PreviewCorrection);
}

void TVLPrint::DrawMarginsRect(TCanvas* canvas, const TRect& pageRect, Integer pageNo) {
  const TRect paper = FData->PaperRect();
  const Integer w = paper.Width(), h = paper.Height();
  if (w <= 0 || h <= 0) return;
  const Integer pw = pageRect.Width(), ph = pageRect.Height();
  const Integer left = FData->GetPrintableAreaLeft(pageNo) - paper.Left, top = FData->TopOffset - paper.Top;
  canvas->Rectangle(pageRect.Left + MulDiv(left, pw, w), pageRect.Top + MulDiv(top, ph, h),
                    pageRect.Left + MulDiv(left + FData->PrintableWidth, pw, w),
                    pageRect.Top + MulDiv(top + FData->PrintableHeight, ph, h));
}

Integer TVLPrint::GetPreview100PercentWidth() {
  const TVLScreenAndDevice& sad = FData->Sad;
  return MulDiv(FData->PaperRect().Width(), sad.ppixScreen, sad.ppixDevice);
}

Integer TVLPrint::GetPreview100PercentHeight() {
  const TVLScreenAndDevice& sad = FData->Sad;
  return MulDiv(FData->PaperRect().Height(), sad.ppiyScreen, sad.ppiyDevice);
}

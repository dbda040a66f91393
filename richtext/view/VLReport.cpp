// Report layout on a caller's canvas.
#include "richtext/view/VLReport.h"

#include "richtext/model/VLClasses.h"

TVLReportHelper::TVLReportHelper() : FVellum(std::make_unique<TVellum>(nullptr)) {
  FData->ColorMode = vlcmColor;
}

TVLReportHelper::~TVLReportHelper() {
  // The printed data shares the view's items: it goes first.
  FData.reset();
}

void TVLReportHelper::Init(TCanvas* canvas, Integer width) {
  BumpFormatCounter();
  FPagesMade = 0;
  FHeights.clear();
  FReady = false;
  FData->AssignSource(FVellum.get());
  FData->LayOutOn(canvas, width);
  FPagesFormatted = true;
  FReady = true;
}

bool TVLReportHelper::FormatNextPage(Integer pageHeight) {
  if (!FReady || !FData->CutNextPage(pageHeight)) return false;
  ++FPagesMade;
  FHeights.push_back(pageHeight);
  return true;
}

void TVLReportHelper::DrawPage(Integer pageNo, TCanvas* canvas, Integer left, Integer top) {
  if (pageNo < 1 || pageNo > FPagesMade) throw EVellumError("Invalid page number is specified for printing");
  const TPoint origin = canvas->GetViewportOrgEx();
  const Integer ppi = canvas->GetPixelsPerInch();
  struct TRestore {
    TCanvas* C;
    TPoint Origin;
    Integer Ppi;
    ~TRestore() {
      C->SetViewportOrgEx(Origin.X, Origin.Y);
      C->SetPixelsPerInch(Ppi);
    }
  } restore{canvas, origin, ppi};
  canvas->SetViewportOrgEx(origin.X + left, origin.Y + top);
  canvas->SetPixelsPerInch(FData->Sad.ppiyDevice);
  FData->PrintableHeight = FHeights[static_cast<size_t>(pageNo - 1)];
  FData->DrawPage(pageNo, canvas, false, false);
}

Integer TVLReportHelper::PageContentHeight(Integer pageNo) {
  if (pageNo < 1 || pageNo > FPagesMade) throw EVellumError("Invalid page number is specified for printing");
  Integer first, part, last;
  FData->GetDrawItemsRange(pageNo, first, part, last);
  const Integer startY = FData->Pages[static_cast<size_t>(pageNo - 1)].StartY;
  Integer bottom = startY;
  for (Integer i = first; i <= last; ++i)
    bottom = std::max(bottom, FData->DrawItems[i]->Top + FData->DrawItems[i]->Height);
  return bottom - startY;
}

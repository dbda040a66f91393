#pragma once
// Report layout: a document laid out page by page on any canvas (a bitmap,
// a dialog's preview) without a printer. The program fills Vellum, calls
// Init once for a canvas and a width, then FormatNextPage with each page's
// height until it answers false, and draws the pages it wants.
#include "richtext/view/VLPrint.h"
#include "richtext/view/Vellum.h"

#include <memory>
#include <vector>

class TVLReportHelper : public TVLPrint {
public:
  TVLReportHelper();
  ~TVLReportHelper() override;

  // The document (its margins, style sheet and colour are used).
  TVellum* Vellum() const { return FVellum.get(); }

  // Lays the document out on canvas at width pixels of that canvas; the
  // pages made before are dropped.
  void Init(TCanvas* canvas, Integer width);
  // Ends one more page at most pageHeight high; false when every draw item
  // is on a page already (or before Init).
  bool FormatNextPage(Integer pageHeight);
  // Pages made since Init.
  Integer PagesCount() const { return FPagesMade; }
  // Draws page pageNo (1-based) on canvas with its top-left corner at
  // (left, top). Raises EVellumError for a page that was not made.
  void DrawPage(Integer pageNo, TCanvas* canvas, Integer left, Integer top);
  // The height page pageNo's content takes.
  Integer PageContentHeight(Integer pageNo);

private:
  std::unique_ptr<TVellum> FVellum;
  Integer FPagesMade = 0;
  // The height each page was cut at.
  std::vector<Integer> FHeights;
  bool FReady = false;
};

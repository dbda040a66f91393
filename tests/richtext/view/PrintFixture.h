#pragma once
// A viewer document printed through a PDF printer (600 pixels per inch, so
// the same everywhere), with helpers to read the pages back.
#include "ViewerFixture.h"

#include "platform/gui/Printers.h"
#include "richtext/view/VLPrint.h"
#include "support/TestSupport.h"

#include <memory>
#include <vector>

namespace qytest {

struct TPrintDoc : TViewer {
  TPrintDoc() {
    Pdf.OutputFileName = (Dir / "job.pdf").string();
    Print.PrinterOverride = &Pdf;
  }
  // count paragraphs "Paragraph 1" .. "Paragraph count".
  void Paragraphs(Integer count) {
    for (Integer i = 1; i <= count; ++i) Add("Paragraph " + std::to_string(i));
  }
  Integer Paginate() {
    Format();
    Print.AssignSource(View.get());
    Print.FormatPages();
    return Print.GetPagesCount();
  }
  TVLMainPrintableData& PD() { return Print.Data(); }
  // Height one page of content may take.
  Integer PageHeight() { return PD().PrintableHeight - PD().DeviceTopMargin - PD().DeviceBottomMargin; }
  // The item numbers drawn on page p, in drawing order.
  std::vector<Integer> ItemsOnPage(Integer p) {
    Integer first, part, last;
    PD().GetDrawItemsRange(p, first, part, last);
    std::vector<Integer> items;
    for (Integer i = first; i <= last; ++i)
      if (items.empty() || items.back() != PD().DrawItems[i]->ItemNo) items.push_back(PD().DrawItems[i]->ItemNo);
    return items;
  }

  TempDir Dir;
  TPrinter Pdf;
  TVLPrint Print;
};

}  // namespace qytest

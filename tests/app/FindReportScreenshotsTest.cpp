// Pictures of the find window at a hit, the record selection dialog and a
// journal report's preview, under a real display (skipped elsewhere).
#include "FindReportSupport.h"

#include "app/QYJournalReport.h"
#include "platform/base/DateTime.h"
#include "platform/gui/Printers.h"
#include "richtext/view/VLPrint.h"
#include "support/Screenshots.h"

#include <QCoreApplication>
#include <QThread>
#include <QWidget>
#include <gtest/gtest.h>

using namespace qytest;

namespace {

void Settle() {
  for (int i = 0; i < 20; ++i) {
    QCoreApplication::processEvents();
    QThread::msleep(20);
  }
}

void Keep(TCustomForm* form, const char* name, int minWidth, int minHeight) {
  QWidget* w = WindowWidgetOf(form);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(KeepScreenshot(w->grab().toImage(), name, {minWidth, minHeight, {}}), "");
}

TEST(FindReportScreenshots, FindSelectionAndPreview) {
  QY_SCREENSHOT_NEEDS_DISPLAY();
  TFindReportWorld w;
  w.Main->SetBounds(0, 0, 1100, 760);
  w.Main->Show();
  const Integer a = w.Journal("Travel");
  const Integer b = w.Journal("Garden");
  w.Store({{a, EncodeDate(2024, 8, 2), TFindReportWorld::EntryVLF({"Boxes everywhere.", "The move is set for Friday."})},
           {b, EncodeDate(2024, 8, 3), TFindReportWorld::EntryVLF({"Tomatoes at last."})},
           {a, EncodeDate(2024, 8, 9), TFindReportWorld::EntryVLF({"After the move: a quiet street."})}});
  w.StartFind("move");
  int seen = w.Find->HitsShown;
  ASSERT_TRUE(w.NextHit(seen));
  Settle();
  Keep(w.Find.get(), "global-find.png", 300, 200);
  w.Find->StopFind();
  w.Find->Close();

  TInteractionScript script;
  script.Do([](TInteraction& r) {
    Settle();
    Keep(r.Form, "record-selection.png", 400, 250);
    static_cast<TDlgRecordSelection*>(r.Form)->pbOk->Click();
    return static_cast<int>(mrOk);
  });
  script.Do([](TInteraction& r) {
    auto* p = static_cast<TFormPrintPreview*>(r.Form);
    p->SetBounds(0, 0, 900, 700);
    p->ActionZoomFullPage->Execute();
    Settle();
    Keep(p, "journal-preview.png", 500, 400);
    return static_cast<int>(mrOk);
  });
  TPrinter pdf;
  pdf.OutputFileName = (TempDir().path() / "preview.pdf").string();
  w.Preview->VLPrint1->PrinterOverride = &pdf;
  BuildJournalReport(roPreview, rsSelection, rlPagePerDay);
  w.Preview->VLPrint1->PrinterOverride = nullptr;
  EXPECT_EQ(script.Unexpected, 0);
}

}  // namespace

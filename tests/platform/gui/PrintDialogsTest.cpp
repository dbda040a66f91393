// The printing dialogs the Qt hook runs, the paper size and the resolution a
// job draws at.
#include "support/TestSupport.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Printers.h"
#include "platform/gui/QtText.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

// Inspects and cancels the first modal dialog the real hook shows.
class TDialogCatcher {
public:
  explicit TDialogCatcher(std::function<void(QDialog*)> inspect) : FInspect(std::move(inspect)) {
    FTimer.setInterval(10);
    QObject::connect(&FTimer, &QTimer::timeout, [this] {
      auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (!dialog) return;
      FTimer.stop();
      FInspect(dialog);
      dialog->reject();
    });
    FTimer.start();
  }

private:
  std::function<void(QDialog*)> FInspect;
  QTimer FTimer;
};

int Refuse(TInteraction&) { return mrCancel; }

TEST(PrintDialogs, EachKindHasOneRunnerAndASecondIsRefused) {
  // The print dialogs register in the printer's unit; another unit cannot
  // silently take their place.
  Printer();
  EXPECT_THROW(RegisterInteractionRunner(TInteractionKind::PrintDialog, &Refuse), Exception);
  EXPECT_THROW(RegisterInteractionRunner(TInteractionKind::PrinterSetupDialog, &Refuse), Exception);
}

TEST(PrintDialogs, PrinterSetupChoosesThePrinterOrAPdfFile) {
  ASSERT_EQ(SetInteractionHook(nullptr), nullptr);
  QString shown, title;
  bool toFile = false;
  TDialogCatcher catcher([&](QDialog* d) {
    shown = d->metaObject()->className();
    title = d->windowTitle();
    if (auto* pd = qobject_cast<QPrintDialog*>(d)) toFile = pd->testOption(QAbstractPrintDialog::PrintToFile);
  });
  TPrinterSetupDialog dialog(nullptr);
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(shown, QString("QPrintDialog"));
  EXPECT_EQ(title, QString("Printer Setup"));
  EXPECT_TRUE(toFile);
}

TEST(PrintDialogs, APdfFileChosenInThePrintDialogIsWhereTheJobsGo) {
  ASSERT_EQ(SetInteractionHook(nullptr), nullptr);
  std::unique_ptr<TPrinter> old = SetPrinter(std::make_unique<TPrinter>());
  const QString file = QDir::temp().filePath("chosen-in-dialog.pdf");
  QString suggested;
  QTimer timer;
  timer.setInterval(10);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    auto* pd = qobject_cast<QPrintDialog*>(QApplication::activeModalWidget());
    if (!pd) return;
    timer.stop();
    // Without a printer the dialog stands on its PDF file: the user types
    // the file's name.
    if (auto* name = pd->findChild<QLineEdit*>("filename")) {
      suggested = name->text();
      name->setText(file);
    }
    pd->accept();
  });
  timer.start();
  TPrintDialog dialog(nullptr);
  if (Printer()->HasPrinters()) GTEST_SKIP() << "a printer is installed here";
  EXPECT_TRUE(dialog.Execute());
  // A name is suggested in a folder that exists (a fresh home has no
  // Documents folder, and the dialog refuses a file in a missing one).
  EXPECT_TRUE(suggested.endsWith(".pdf")) << suggested.toStdString();
  EXPECT_TRUE(QFileInfo(suggested).dir().exists()) << suggested.toStdString();
  EXPECT_EQ(Printer()->OutputFileName, FromQ(file));
  String pdf;
  EXPECT_EQ(CurrentPrinterChoice(pdf), PdfFileChoice);
  EXPECT_EQ(pdf, FromQ(file));
  SetPrinter(std::move(old));
}

TEST(PrintDialogs, PrintDialogOffersThePageRange) {
  ASSERT_EQ(SetInteractionHook(nullptr), nullptr);
  struct {
    int Min = -1, Max = -1, From = -1, To = -1;
    bool RangeOffered = false, RangeChosen = false;
  } seen;
  TDialogCatcher catcher([&](QDialog* d) {
    auto* pd = qobject_cast<QPrintDialog*>(d);
    ASSERT_NE(pd, nullptr);
    seen.Min = pd->minPage();
    seen.Max = pd->maxPage();
    seen.From = pd->fromPage();
    seen.To = pd->toPage();
    seen.RangeOffered = pd->testOption(QAbstractPrintDialog::PrintPageRange);
    seen.RangeChosen = pd->printRange() == QAbstractPrintDialog::PageRange;
  });
  TPrintDialog dialog(nullptr);
  dialog.MinPage = 1;
  dialog.MaxPage = 9;
  dialog.FromPage = 2;
  dialog.ToPage = 4;
  dialog.PrintRange = prPageNums;
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(seen.Min, 1);
  EXPECT_EQ(seen.Max, 9);
  EXPECT_EQ(seen.From, 2);
  EXPECT_EQ(seen.To, 4);
  EXPECT_TRUE(seen.RangeOffered);
  EXPECT_TRUE(seen.RangeChosen);
}

TEST(PrintDialogs, PaperSizesSetTheSheet) {
  TPrinter printer;
  const Integer dpi = printer.XDPI();
  struct Case {
    Integer Paper;
    double WidthMm, HeightMm;
  };
  for (const Case& c : {Case{DMPAPER_A4, 210, 297}, Case{DMPAPER_LETTER, 215.9, 279.4}, Case{DMPAPER_A5, 148, 210},
                        Case{DMPAPER_LEGAL, 215.9, 355.6}, Case{DMPAPER_A3, 297, 420}}) {
    printer.SetPaperSize(c.Paper);
    EXPECT_EQ(printer.GetPaperSize(), c.Paper);
    // Sheets are whole points: within 1/72 inch of the millimetres.
    EXPECT_NEAR(printer.PhysicalWidth(), c.WidthMm / 25.4 * dpi, dpi / 72.0) << c.Paper;
    EXPECT_NEAR(printer.PhysicalHeight(), c.HeightMm / 25.4 * dpi, dpi / 72.0) << c.Paper;
  }
  EXPECT_THROW(printer.SetPaperSize(4711), EPrinter);
  EXPECT_EQ(printer.GetPaperSize(), DMPAPER_A3);
}

TEST(PrintDialogs, AJobDrawsAtTheResolutionItRunsAt) {
  qytest::TempDir dir;
  TPrinter printer;
  // The canvas first measures at another resolution than the PDF job's.
  printer.Handle()->setResolution(300);
  TCanvas* canvas = printer.Canvas();
  canvas->Font.SetName("Liberation Sans");
  canvas->Font.SetSize(10);
  EXPECT_EQ(canvas->GetPixelsPerInch(), 300);
  const Integer before = canvas->TextWidth("Resolution");
  printer.OutputFileName = (dir / "job.pdf").string();
  printer.BeginDoc();
  EXPECT_EQ(printer.XDPI(), 600);
  EXPECT_EQ(canvas->GetPixelsPerInch(), 600);
  EXPECT_EQ(canvas->Font.GetSize(), 10);
  EXPECT_NEAR(canvas->TextWidth("Resolution"), 2 * before, 3);
  printer.EndDoc();
}

}  // namespace

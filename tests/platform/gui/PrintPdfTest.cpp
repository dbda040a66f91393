// The printer writing a PDF: pages, text, resolution and job states.
#include "support/TestSupport.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Printers.h"
#include "platform/gui/TextMeasure.h"

#include <QProcess>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

String RunTool(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  p.waitForFinished(30000);
  const QByteArray out = p.readAllStandardOutput();
  return String(out.constData(), static_cast<size_t>(out.size()));
}

}  // namespace

TEST(PrintPdf, TwoPagesWithTheirText) {
  qytest::TempDir dir;
  const String file = (dir / "job.pdf").string();
  TPrinter printer;
  printer.OutputFileName = file;
  printer.Title = "Quillory test job";
  EXPECT_EQ(printer.XDPI(), 600);
  const Integer width = printer.PageWidth(), height = printer.PageHeight();
  EXPECT_GT(width, 4000);  // A4 or Letter at 600 pixels per inch
  EXPECT_GT(height, width);
  printer.BeginDoc();
  EXPECT_TRUE(printer.Printing());
  EXPECT_EQ(printer.PageNumber(), 1);
  EXPECT_THROW(printer.BeginDoc(), EPrinter);
  TCanvas* canvas = printer.Canvas();
  EXPECT_EQ(canvas->GetPixelsPerInch(), 600);
  canvas->Font.SetName("Liberation Serif");
  canvas->Font.SetSize(12);
  EXPECT_EQ(canvas->Font.GetHeight(), -100);
  canvas->Brush.Style = bsClear;
  canvas->TextOut(600, 600, "First page of the journal");
  canvas->Pen.Width = 6;
  canvas->Rectangle(500, 500, width - 500, 1000);
  printer.NewPage();
  EXPECT_EQ(printer.PageNumber(), 2);
  canvas->TextOutW(600, 600, u"Second page, \u00e9t\u00e9 and \u05e9\u05dc\u05d5\u05dd");
  printer.EndDoc();
  EXPECT_FALSE(printer.Printing());

  const String info = RunTool("pdfinfo", {QString::fromStdString(file)});
  const size_t pages = info.find("Pages:");
  ASSERT_NE(pages, String::npos) << info;
  EXPECT_EQ(std::stoi(info.substr(pages + 6)), 2) << info;
  EXPECT_NE(info.find("Quillory test job"), String::npos) << info;
  const String text = RunTool("pdftotext", {"-layout", QString::fromStdString(file), "-"});
  const size_t first = text.find("First page of the journal");
  const size_t second = text.find("Second page");
  EXPECT_NE(first, String::npos) << text;
  EXPECT_NE(second, String::npos) << text;
  EXPECT_LT(first, second);
  EXPECT_NE(text.find("\f"), String::npos);  // a page break between them
  EXPECT_NE(text.find("\xC3\xA9t\xC3\xA9"), String::npos) << text;
}

TEST(PrintPdf, MeasuresAtPrinterResolutionOutsideAJob) {
  TPrinter printer;
  TCanvas* canvas = printer.Canvas();
  EXPECT_FALSE(canvas->HandleAllocated());
  canvas->Font.SetName("Liberation Sans");
  canvas->Font.SetSize(10);
  TCanvas screen;
  screen.Font.SetName("Liberation Sans");
  screen.Font.SetSize(10);
  const Integer device = canvas->TextWidth("Pagination measures here");
  const Integer onScreen = screen.TextWidth("Pagination measures here");
  EXPECT_NEAR(static_cast<double>(device) / onScreen, 6.25, 0.4);
  printer.SetOrientation(poLandscape);
  EXPECT_EQ(printer.GetOrientation(), poLandscape);
  EXPECT_GT(printer.PageWidth(), printer.PageHeight());
  printer.SetCopies(3);
  EXPECT_EQ(printer.GetCopies(), 3);
  EXPECT_THROW(printer.SetPrinterIndex(static_cast<Integer>(printer.Printers().size())), EPrinter);
}

TEST(PrintPdf, NoPrinterAndAbortedJobs) {
  TPrinter printer;
  if (printer.HasPrinters()) GTEST_SKIP() << "a printer is installed here";
  EXPECT_EQ(printer.PrinterName(), "");
  try {
    printer.BeginDoc();
    FAIL() << "printing without a printer started";
  } catch (const EPrinter& e) {
    EXPECT_EQ(e.Message, "No Printer Defined");
  }
  EXPECT_THROW(printer.NewPage(), EPrinter);
  EXPECT_THROW(printer.EndDoc(), EPrinter);

  qytest::TempDir dir;
  printer.OutputFileName = (dir / "aborted.pdf").string();
  printer.BeginDoc();
  printer.Canvas()->TextOut(10, 10, "never printed");
  printer.Abort();
  EXPECT_TRUE(printer.Aborted());
  EXPECT_FALSE(printer.Printing());
  EXPECT_FALSE(std::filesystem::exists(dir / "aborted.pdf"));
}

TEST(PrintPdf, SetupDialogGoesThroughTheInteractionHook) {
  TInteractionScript script;
  script.Answer(mrCancel);
  EXPECT_FALSE(ExecutePrinterSetup());
  ASSERT_EQ(script.Shown.size(), 1u);
  EXPECT_EQ(script.Shown[0].Kind, TInteractionKind::PrinterSetupDialog);
  script.Answer(mrOk);
  EXPECT_TRUE(ExecutePrinterSetup());
}

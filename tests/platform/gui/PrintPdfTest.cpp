// The printer writing a PDF: pages, text, resolution and job states.
#include "support/PdfPages.h"
#include "support/TestSupport.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Printers.h"
#include "platform/gui/TextMeasure.h"

#include <QProcess>
#include <csignal>
#include <fstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
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

// The mean colour of the dark pixels in a word's box, on its page drawn at
// dpi; invalid when none are dark.
QColor InkColour(const QImage& page, const qytest::TPdfWord& word, int dpi) {
  const auto px = [dpi](double points) { return static_cast<int>(points * dpi / 72 + 0.5); };
  long r = 0, g = 0, b = 0, n = 0;
  for (int y = std::max(0, px(word.YMin)); y < std::min(page.height(), px(word.YMax)); ++y)
    for (int x = std::max(0, px(word.XMin)); x < std::min(page.width(), px(word.XMax)); ++x) {
      const QRgb c = page.pixel(x, y);
      if (qGray(c) >= 128) continue;
      r += qRed(c);
      g += qGreen(c);
      b += qBlue(c);
      ++n;
    }
  return n ? QColor(static_cast<int>(r / n), static_cast<int>(g / n), static_cast<int>(b / n)) : QColor();
}

void SetTextFont(TCanvas* canvas, TColor color, TFontStyles style = TFontStyles{}) {
  canvas->Font.SetName("Liberation Sans");
  canvas->Font.SetSize(12);
  canvas->Font.SetStyle(style);
  canvas->Font.SetColor(color);
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

// A PDF job writes beside its file until whole: cut short by a kill after
// its first page, or aborted, it leaves under the name chosen either
// nothing or the file that was there; ended, the whole PDF, the owner's
// alone.
TEST(PrintPdf, AJobCutShortLeavesNoCutFileUnderItsName) {
  qytest::TempDir dir;
  const std::string earlier = "an earlier report";
  for (const bool existed : {false, true}) {
    SCOPED_TRACE(existed ? "over an earlier file" : "a new file");
    const std::string file = (dir / (existed ? "old.pdf" : "new.pdf")).string();
    if (existed) std::ofstream(file) << earlier;
    const auto left = [&] {
      return std::filesystem::exists(file) ? qytest::ReadFileBytes(file) : std::string("(none)");
    };
    const std::string expected = existed ? earlier : "(none)";
    // Killed while its second page is drawn.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      TPrinter printer;
      printer.OutputFileName = file;
      printer.BeginDoc();
      SetTextFont(printer.Canvas(), clBlack);
      for (int k = 0; k < 200; ++k) printer.Canvas()->TextOut(600, 600 + 30 * k, "a line of the first page");
      printer.NewPage();
      printer.Canvas()->TextOut(600, 600, "the second page begins");
      printer.Canvas()->Flush();
      const char one = 1;
      (void)!::write(ready[1], &one, 1);
      for (;;) ::pause();
    }
    ::close(ready[1]);
    char got = 0;
    const bool began = ::read(ready[0], &got, 1) == 1;
    ::close(ready[0]);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(began) << "the job did not reach its second page";
    EXPECT_EQ(left(), expected) << "after a kill";
    // Aborted in this process the same.
    TPrinter printer;
    printer.OutputFileName = file;
    printer.BeginDoc();
    printer.Canvas()->TextOut(10, 10, "never printed");
    EXPECT_EQ(left(), expected) << "while printing";
    printer.Abort();
    EXPECT_EQ(left(), expected) << "after an abort";
    // Nothing else of the jobs stays in the folder.
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
      if (e.path().filename().string()[0] == '.') ADD_FAILURE() << "left beside it: " << e.path();
    printer.BeginDoc();
    SetTextFont(printer.Canvas(), clBlack);
    printer.Canvas()->TextOut(600, 600, "The whole report");
    printer.EndDoc();
    EXPECT_EQ(left().rfind("%PDF", 0), 0u);
    EXPECT_NE(RunTool("pdftotext", {QString::fromStdString(file), "-"}).find("The whole report"), String::npos);
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
  }
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

// A printer's canvas sends text that follows on in one font and colour as
// one run: whatever else is drawn, clipped, mapped or paged in between still
// meets the text in the order it was drawn.
TEST(PrintPdf, TextSentInRunsKeepsItsPlaceAmongOtherDrawing) {
  qytest::TempDir dir;
  const String file = (dir / "order.pdf").string();
  TPrinter printer;
  printer.OutputFileName = file;
  printer.BeginDoc();
  TCanvas* canvas = printer.Canvas();
  canvas->Brush.Style = bsClear;
  auto word = [&](Integer x, Integer y, const char16_t* text, TColor color, TFontStyles style = TFontStyles{}) {
    SetTextFont(canvas, color, style);
    canvas->Brush.Style = bsClear;
    canvas->TextOutW(x, y, text);
  };
  auto fill = [&](TColor color, const TRect& r) {
    canvas->Brush.Style = bsSolid;
    canvas->Brush.Color = color;
    canvas->FillRect(r);
  };
  // A fill after text covers it; text after a fill lies on it.
  word(600, 600, u"alpha", clBlack);
  word(1400, 600, u"beta", clNavy);
  fill(clWhite, TRect(1350, 560, 2400, 760));
  fill(clYellow, TRect(2550, 560, 3600, 760));
  word(2600, 600, u"gamma", clBlack);
  // Text before a clip is not clipped by it; text inside a saved clip stays
  // clipped once the state is restored.
  word(1400, 1000, u"delta", clNavy);
  canvas->SaveDC();
  canvas->IntersectClipRect(500, 880, 1300, 1180);
  word(600, 900, u"epsilon", clBlack);
  word(1400, 900, u"zeta", clNavy);
  canvas->RestoreDC(-1);
  word(2600, 900, u"eta", clNavy);
  // Text before a change of the mapping stays where it was drawn.
  word(600, 1300, u"theta", clBlack);
  TPoint origin;
  canvas->SetWindowOrgEx(-2000, 0, &origin);
  word(600, 1300, u"iota", clBlack);
  canvas->SetWindowOrgEx(origin.X, origin.Y);
  // Fonts of one colour one after the other; spaces between words.
  word(600, 1600, u"kappa", clBlack);
  word(1400, 1600, u"kappa", clBlack, TFontStyles{fsBold});
  word(600, 1900, u"omicron pi rho", clNavy);
  word(600, 2200, u"lambda", clBlack);
  printer.NewPage();
  word(600, 600, u"mu", clBlack);
  printer.EndDoc();

  const int dpi = 144;
  const qytest::TPdfLayout layout = qytest::PdfLayout(file);
  const QImage page1 = qytest::PdfPageImage(file, 1, dpi);
  ASSERT_FALSE(page1.isNull());
  struct TExpect {
    const char* Word;
    int Page;
    bool Inked;
    TColor Colour;
  };
  const TExpect expected[] = {
      {"alpha", 1, true, clBlack},   {"beta", 1, false, clNavy},    {"gamma", 1, true, clBlack},
      {"delta", 1, true, clNavy},    {"epsilon", 1, true, clBlack}, {"zeta", 1, false, clNavy},
      {"eta", 1, true, clNavy},      {"theta", 1, true, clBlack},   {"iota", 1, true, clBlack},
      {"omicron", 1, true, clNavy},  {"pi", 1, true, clNavy},       {"rho", 1, true, clNavy},
      {"lambda", 1, true, clBlack},  {"mu", 2, true, clBlack},
  };
  for (const TExpect& e : expected) {
    SCOPED_TRACE(e.Word);
    const qytest::TPdfWord* w = layout.Find(e.Word);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Page, e.Page);
    if (w->Page != 1) continue;
    const double ink = qytest::InkShare(page1, *w, dpi);
    if (!e.Inked) {
      EXPECT_LT(ink, 0.01);
      continue;
    }
    EXPECT_GT(ink, 0.05);
    const QColor c = InkColour(page1, *w, dpi);
    ASSERT_TRUE(c.isValid());
    if (e.Colour == clNavy) EXPECT_GT(c.blue() - c.red(), 40) << c.name().toStdString();
    else EXPECT_LT(c.blue() - c.red(), 20) << c.name().toStdString();
  }
  // 2000 pixels at 600 per inch: 240 points.
  const qytest::TPdfWord *theta = layout.Find("theta"), *iota = layout.Find("iota");
  ASSERT_TRUE(theta && iota);
  EXPECT_NEAR(iota->XMin - theta->XMin, 240, 3);
  const std::vector<qytest::TPdfWord> kappas = layout.Starting("kappa");
  ASSERT_EQ(kappas.size(), 2u);
  EXPECT_GT(kappas[1].XMax - kappas[1].XMin, kappas[0].XMax - kappas[0].XMin + 1) << "the bold one is wider";
  EXPECT_NE(qytest::PdfText(file).find("omicron pi rho"), std::string::npos);
}

// Text sent in runs prints the ink of the same text sent a piece at a time
// (secret text is never held back).
TEST(PrintPdf, TextSentInRunsPrintsTheSameInk) {
  qytest::TempDir dir;
  const String file = (dir / "ink.pdf").string();
  TPrinter printer;
  printer.OutputFileName = file;
  printer.BeginDoc();
  TCanvas* canvas = printer.Canvas();
  for (int copy = 0; copy < 2; ++copy) {
    if (copy) printer.NewPage();
    canvas->SensitiveText = copy == 1;
    Integer y = 600;
    for (int line = 0; line < 6; ++line, y += 150) {
      Integer x = 600;
      for (int piece = 0; piece < 5; ++piece) {
        // One colour in two fonts, then the other colour.
        const bool navy = (line + piece / 2) % 2 != 0;
        SetTextFont(canvas, navy ? clNavy : clBlack,
                    piece == 1 ? TFontStyles{fsItalic} : piece == 3 ? TFontStyles{fsBold} : TFontStyles{});
        canvas->Brush.Style = bsClear;
        const WideString text = piece == 0 ? u"Quite a few" : u" words, written in pieces";
        canvas->TextOutW(x, y, text);
        x += canvas->TextWidthW(text);
      }
    }
  }
  printer.EndDoc();
  const QImage first = qytest::PdfPageImage(file, 1, 144), second = qytest::PdfPageImage(file, 2, 144);
  ASSERT_FALSE(first.isNull());
  ASSERT_EQ(first.size(), second.size());
  long differ = 0, inked = 0;
  for (int y = 0; y < first.height(); ++y)
    for (int x = 0; x < first.width(); ++x) {
      differ += first.pixel(x, y) != second.pixel(x, y);
      inked += qGray(first.pixel(x, y)) < 128;
    }
  EXPECT_GT(inked, 1000);
  EXPECT_EQ(differ, 0);
}

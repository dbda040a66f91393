// Printing to a PDF through the printer: every page's text present and in
// order, copies and collation, and a failing page that ends the job.
#include "PrintFixture.h"

#include <QProcess>
#include <QStringList>

#include <filesystem>
#include <sstream>

using qytest::TPrintDoc;

namespace {

String RunTool(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  p.waitForFinished(30000);
  const QByteArray out = p.readAllStandardOutput();
  return String(out.constData(), static_cast<size_t>(out.size()));
}

// The PDF's text, page by page.
std::vector<String> PdfPages(const String& file) {
  const String text = RunTool("pdftotext", {QString::fromStdString(file), "-"});
  std::vector<String> pages;
  std::stringstream in(text);
  String page;
  while (std::getline(in, page, '\f')) pages.push_back(page);
  if (!pages.empty() && pages.back().find_first_not_of(" \n") == String::npos) pages.pop_back();
  return pages;
}

// The number of the first "Paragraph n" of a page's text.
int FirstParagraph(const String& page) {
  const size_t at = page.find("Paragraph ");
  return at == String::npos ? -1 : std::stoi(page.substr(at + 10));
}

}  // namespace

TEST(PrintJob, EveryPageTextInOrder) {
  TPrintDoc doc;
  doc.Paragraphs(250);
  const Integer pages = doc.Paginate();
  ASSERT_GE(pages, 3);
  std::vector<std::pair<Integer, TVLPrintingStep>> steps;
  doc.Print.OnSendingToPrinter = [&](TVLPrint*, Integer page, TVLPrintingStep step) {
    steps.push_back({page, step});
  };
  doc.Print.Print("Journal print", 1, true);
  EXPECT_FALSE(doc.Pdf.Printing());
  const std::vector<String> text = PdfPages(doc.Pdf.OutputFileName);
  ASSERT_EQ(static_cast<Integer>(text.size()), pages);
  // Every paragraph once, in order, on the page pagination gave it.
  for (Integer p = 1; p <= pages; ++p) {
    size_t from = 0;
    for (Integer item : doc.ItemsOnPage(p)) {
      const String want = "Paragraph " + std::to_string(item + 1) + "\n";
      const size_t at = text[static_cast<size_t>(p - 1)].find(want, from);
      ASSERT_NE(at, String::npos) << want << " on page " << p;
      from = at + want.size();
    }
  }
  ASSERT_EQ(static_cast<Integer>(steps.size()), pages + 2);
  EXPECT_EQ(steps.front(), std::make_pair(0, vlpsStarting));
  for (Integer p = 1; p <= pages; ++p) EXPECT_EQ(steps[static_cast<size_t>(p)], std::make_pair(p, vlpsProceeding));
  EXPECT_EQ(steps.back(), std::make_pair(0, vlpsFinished));
  const String info = RunTool("pdfinfo", {QString::fromStdString(doc.Pdf.OutputFileName)});
  EXPECT_NE(info.find("Journal print"), String::npos) << info;
}

TEST(PrintJob, CopiesAndCollation) {
  struct Case {
    bool collate;
    std::vector<int> order;  // page numbers in sheet order
  };
  for (const Case& c : {Case{true, {1, 2, 3, 1, 2, 3}}, Case{false, {1, 1, 2, 2, 3, 3}}}) {
    TPrintDoc doc;
    doc.Paragraphs(5);
    doc.View->GetItem(2)->ItemOptions |= vlioPageBreakBefore;
    doc.View->GetItem(4)->ItemOptions |= vlioPageBreakBefore;
    ASSERT_EQ(doc.Paginate(), 3);
    const Integer copiesBefore = doc.Pdf.GetCopies();
    doc.Print.Print("Copies", 2, c.collate);
    EXPECT_EQ(doc.Pdf.GetCopies(), copiesBefore);
    const std::vector<String> text = PdfPages(doc.Pdf.OutputFileName);
    ASSERT_EQ(text.size(), c.order.size());
    const int firstOf[] = {0, 1, 3, 5};
    for (size_t i = 0; i < text.size(); ++i)
      EXPECT_EQ(FirstParagraph(text[i]), firstOf[c.order[i]]) << "sheet " << i << " collate " << c.collate;
  }
}

TEST(PrintJob, AFailingPageEndsTheJob) {
  TPrintDoc doc;
  doc.Paragraphs(250);
  ASSERT_GE(doc.Paginate(), 3);
  doc.Pdf.SetCopies(1);
  doc.Print.OnPagePrepaint = [](TVLPrint*, Integer page, TCanvas*, bool, const TRect&, const TRect&) {
    if (page == 2) throw EVellumError("Out of paper");
  };
  EXPECT_THROW(doc.Print.Print("Failing", 3, true), EVellumError);
  // The job is over: no half-written file, the copy count as before, and
  // the next job prints.
  EXPECT_FALSE(doc.Pdf.Printing());
  EXPECT_EQ(doc.Pdf.GetCopies(), 1);
  EXPECT_FALSE(std::filesystem::exists(doc.Pdf.OutputFileName));
  doc.Print.OnPagePrepaint = nullptr;
  doc.Print.Print("Again", 1, true);
  EXPECT_EQ(static_cast<Integer>(PdfPages(doc.Pdf.OutputFileName).size()), doc.Print.GetPagesCount());
}

TEST(PrintJob, PagePaintEventsGetTheSheetAndTheArea) {
  TPrintDoc doc;
  doc.Paragraphs(3);
  doc.PD().LeftMarginMM = 30;
  ASSERT_EQ(doc.Paginate(), 1);
  TRect sheet, area;
  int calls = 0;
  doc.Print.OnPagePrepaint = [&](TVLPrint*, Integer, TCanvas*, bool preview, const TRect& s, const TRect& a) {
    sheet = s;
    area = a;
    EXPECT_FALSE(preview);
    ++calls;
  };
  doc.Print.OnPagePostpaint = [&](TVLPrint*, Integer, TCanvas*, bool, const TRect&, const TRect&) { ++calls; };
  doc.Print.Print("Events", 1, true);
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(sheet, TRect(0, 0, doc.Pdf.PageWidth(), doc.Pdf.PageHeight()));
  EXPECT_EQ(area.Left, VLMMToDevice(30, 600, doc.Pdf.PhysicalOffsetX()));
  EXPECT_EQ(area.Top, doc.PD().TopOffset);
  EXPECT_EQ(area.Width(), doc.PD().PrintableWidth);
}

namespace {

// Runs of white space as one space, none at the ends.
String Squeezed(const String& s) {
  String out;
  bool space = false;
  for (char ch : s) {
    if (ch == ' ' || ch == '\n' || ch == '\f' || ch == '\t' || ch == '\r') {
      space = !out.empty();
      continue;
    }
    if (space) out += ' ';
    space = false;
    out += ch;
  }
  return out;
}

}  // namespace

TEST(PrintJob, MegabyteDocumentToPdf) {
  TPrintDoc doc;
  TVellum header(nullptr), footer(nullptr);
  header.SetStyle(&doc.Style);
  footer.SetStyle(&doc.Style);
  header.AddTextItem("Notebook of the year", 0, 0);
  footer.AddTextItem("Kept at home", 0, 0);
  doc.Print.SetHeader(header.VLData());
  doc.Print.SetFooter(footer.VLData());
  // One line per paragraph, each numbered: about 1 MB of text.
  const char* const words[] = {"morning", "walk", "river", "bright", "quiet", "letters", "garden", "coffee"};
  std::vector<String> lines;
  size_t bytes = 0;
  for (int n = 1; bytes < 1000000; ++n) {
    String line = "Line " + std::to_string(n);
    for (int w = 0; line.size() < 60; ++w) line += String(" ") + words[(n * 7 + w * 3) % 8];
    bytes += line.size();
    lines.push_back(line);
    doc.Add(line);
  }
  const Integer pages = doc.Paginate();
  ASSERT_GT(pages, 100);
  doc.Print.Print("Megabyte", 1, true);
  const String info = RunTool("pdfinfo", {QString::fromStdString(doc.Pdf.OutputFileName)});
  const size_t at = info.find("Pages:");
  ASSERT_NE(at, String::npos) << info;
  EXPECT_EQ(std::stoi(info.substr(at + 6)), pages);
  // The text, page by page: header, the page's lines, footer.
  String expected;
  for (Integer p = 1; p <= pages; ++p) {
    expected += "Notebook of the year\n";
    for (Integer item : doc.ItemsOnPage(p)) expected += lines[static_cast<size_t>(item)] + "\n";
    expected += "Kept at home\n";
  }
  const String text = RunTool("pdftotext", {QString::fromStdString(doc.Pdf.OutputFileName), "-"});
  const String want = Squeezed(expected), got = Squeezed(text);
  EXPECT_EQ(got.size(), want.size());
  if (got != want) {
    size_t d = 0;
    while (d < got.size() && d < want.size() && got[d] == want[d]) ++d;
    ADD_FAILURE() << "differs at " << d << ": got \"" << got.substr(d, 80) << "\", want \"" << want.substr(d, 80)
                  << "\"";
  }
  doc.Print.SetHeader(nullptr);
  doc.Print.SetFooter(nullptr);
}

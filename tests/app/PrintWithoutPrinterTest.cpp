// A computer without a printer: the preview shows the entry on the locale's
// paper, Print and Printer Setup offer a PDF file, the PDF holds the entry,
// and the print commands' hint names where they print to.
#include "FindReportSupport.h"

#include "app/QYJournalReport.h"
#include "platform/base/DateTime.h"
#include "platform/gui/Printers.h"
#include "richtext/view/VLPrint.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sys/stat.h>
#include <sstream>

using namespace qytest;

namespace {

class PrintWithoutPrinterTest : public testing::Test {
protected:
  PrintWithoutPrinterTest() : Old(SetPrinter(std::make_unique<TPrinter>())) {
    ProfileSettings.ConfirmPrint = false;
    Journal = W.OpenWindow("Diary", 0);
    TMainJournalWorld::TypeAtEnd(Journal, "north of the river");
  }
  ~PrintWithoutPrinterTest() override { SetPrinter(std::move(Old)); }

  void SetUp() override {
    if (Printer()->HasPrinters()) GTEST_SKIP() << "a printer is installed here";
  }

  String PdfText(const String& pdf) {
    const std::string out = pdf + ".txt";
    const std::string cmd = "pdftotext '" + pdf + "' '" + out + "'";
    if (std::system(cmd.c_str()) != 0) return "pdftotext failed";
    std::ifstream in(out);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  std::unique_ptr<TPrinter> Old;
  TFindReportWorld W;
  TOpenJournal* Journal = nullptr;
  qytest::TempDir Dir;
};

TEST_F(PrintWithoutPrinterTest, ThePreviewShowsTheEntryOnTheLocalesPaper) {
  TInteractionScript script;
  int pages = 0;
  Integer paper = 0;
  script.Do([&](TInteraction& r) {
    if (r.Form != W.Preview.get()) return static_cast<int>(mrCancel);
    pages = W.Preview->VLPrint1->GetPagesCount();
    paper = W.Preview->VLPrint1->GetPrinter()->GetPaperSize();
    return static_cast<int>(mrOk);
  });
  BuildJournalReport(roPreview, rsCurrentEntry, rlPagePerDay);
  ASSERT_EQ(script.Shown.size(), 1u) << script.Shown.front().Caption << ": " << script.Shown.front().Text;
  EXPECT_EQ(script.Shown[0].Form, W.Preview.get());
  EXPECT_GE(pages, 1);
  EXPECT_EQ(paper, LocaleDefaultPaperSize());
}

TEST_F(PrintWithoutPrinterTest, PrintAsksForAPdfFileAndWritesTheEntryThere) {
  const String pdf = (Dir.path() / "entry.pdf").string();
  TInteractionScript script;
  TInteraction offered;
  script.Do([&](TInteraction& r) {
    offered = r;
    r.PrinterName = PdfFileChoice;
    r.FileName = pdf;
    return static_cast<int>(mrOk);
  });
  BuildJournalReport(roPrint, rsCurrentEntry, rlPagePerDay);
  ASSERT_EQ(script.Shown.size(), 1u) << script.Shown.back().Caption << ": " << script.Shown.back().Text;
  EXPECT_EQ(offered.Kind, TInteractionKind::PrintDialog);
  EXPECT_EQ(offered.PrinterName, PdfFileChoice);
  EXPECT_NE(PdfText(pdf).find("north of the river"), String::npos);
  EXPECT_EQ(W.Main->ActionPrint->GetHint(), "print to PDF file " + pdf);
}

// A second print to a file must not replace the first without a word: each
// print asks for its file, suggesting a name no earlier print took, and the
// file is the owner's alone (the password report holds the password).
TEST_F(PrintWithoutPrinterTest, EachPrintToAFileAsksForItsNameAndKeepsEarlierOnes) {
  const String first = (Dir.path() / "entry.pdf").string();
  const String second = (Dir.path() / "entry (2).pdf").string();
  std::vector<TInteraction> offered;
  TInteractionScript script;
  for (int i = 0; i < 2; ++i)
    script.Do([&](TInteraction& r) {
      offered.push_back(r);
      r.PrinterName = PdfFileChoice;
      if (r.FileName.empty()) r.FileName = first;
      return static_cast<int>(mrOk);
    });
  BuildJournalReport(roPrint, rsCurrentEntry, rlPagePerDay);
  const String firstBytes = qytest::ReadFileBytes(first);
  TMainJournalWorld::TypeAtEnd(Journal, " and the café");
  BuildJournalReport(roPrint, rsCurrentEntry, rlPagePerDay);
  ASSERT_EQ(offered.size(), 2u);
  EXPECT_EQ(offered[1].Kind, TInteractionKind::PrintDialog);
  EXPECT_EQ(offered[1].FileName, second);
  EXPECT_EQ(qytest::ReadFileBytes(first), firstBytes);
  EXPECT_NE(PdfText(second).find("and the café"), String::npos);
  for (const String& f : {first, second}) {
    struct stat st {};
    ASSERT_EQ(::stat(f.c_str(), &st), 0) << f;
    EXPECT_EQ(st.st_mode & 0777, 0600u) << f;
  }
}

// A print to a file the user named: over an existing file, which is then
// the owner's alone as a new one is (a report may hold the password); into
// a folder that is not there, or under a file taken for a folder, with a
// message that says which folder and what the system answered.
TEST_F(PrintWithoutPrinterTest, PrintToAFileOverAnOldOneOrWhereNoneCanBe) {
  const struct {
    const char* Name;
    String Target;
    std::function<void()> Prepare;
    const char* Said;  // in the message; none when the print succeeds
  } cases[] = {
      {"over a file readable by all", (Dir.path() / "caf\u00e9.pdf").string(),
       [&] {
         qytest::WriteFileBytes(Dir.path() / "caf\u00e9.pdf", "an older print");
         ::chmod((Dir.path() / "caf\u00e9.pdf").c_str(), 0644);
       },
       nullptr},
      {"into a missing folder", (Dir.path() / "\u0141\u00f3d\u017a" / "deeper" / "entry.pdf").string(), [] {},
       "the folder "},
      {"under a file", (Dir.path() / "notes.txt" / "entry.pdf").string(),
       [&] { qytest::WriteFileBytes(Dir.path() / "notes.txt", "x"); }, "is a file, not a folder"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    c.Prepare();
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      r.PrinterName = PdfFileChoice;
      r.FileName = c.Target;
      return static_cast<int>(mrOk);
    });
    if (c.Said) script.Answer(IDOK);
    BuildJournalReport(roPrint, rsCurrentEntry, rlPagePerDay);
    if (!c.Said) {
      ASSERT_EQ(script.Shown.size(), 1u) << script.Shown.back().Text;
      EXPECT_NE(PdfText(c.Target).find("north of the river"), String::npos);
      struct stat st {};
      ASSERT_EQ(::stat(c.Target.c_str(), &st), 0);
      EXPECT_EQ(st.st_mode & 0777, 0600u);
      continue;
    }
    ASSERT_EQ(script.Shown.size(), 2u);
    const String& text = script.Shown[1].Text;
    EXPECT_NE(text.find(c.Target), String::npos) << text;
    EXPECT_NE(text.find(c.Said), String::npos) << text;
    if (String(c.Name) == "into a missing folder") {
      EXPECT_NE(text.find("the folder " + (Dir.path() / "\u0141\u00f3d\u017a").string() + " does not exist"),
                String::npos)
          << text;
    }
    EXPECT_FALSE(std::filesystem::exists(c.Target));
  }
}

TEST_F(PrintWithoutPrinterTest, PrinterSetupChoosesTheFileThePrintCommandsName) {
  const String pdf = (Dir.path() / "setup.pdf").string();
  EXPECT_EQ(W.Main->ActionPrint->GetHint(), "print to a PDF file (no printer installed)");
  TInteractionScript script;
  script.Do([&](TInteraction& r) {
    EXPECT_EQ(r.Kind, TInteractionKind::PrinterSetupDialog);
    r.PrinterName = PdfFileChoice;
    r.FileName = pdf;
    return static_cast<int>(mrOk);
  });
  W.Main->ActionPrinterSetupDialogExecute(W.Main);
  EXPECT_EQ(Printer()->OutputFileName, pdf);
  for (TAction* a : {W.Main->ActionPrint, W.Main->ActionPrintPagePerDay, W.Main->ActionPrintPageFilled})
    EXPECT_EQ(a->GetHint(), "print to PDF file " + pdf);
  EXPECT_EQ(W.Main->ActionPrinterSetupDialog->GetCaption(), "Printer Set&up...");
}

}  // namespace

// The activity window keeps a log, toggles beside the main window without
// leaving the screen, and its shortcut works from its own window too.
#include "app/QYActivity.h"

#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Printers.h"
#include "support/PdfPages.h"
#include "support/TestSupport.h"

#include <sys/stat.h>

#include <QApplication>
#include <QWidget>
#include <QKeyEvent>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(ActivityWindow, LogClearsAndTogglesBesideTheMainWindow) {
  TForm main(nullptr);
  main.SetBounds(40, 60, 300, 400);
  TActivityDisplayWindow log(nullptr);
  EXPECT_EQ(log.GetCaption(), "Activity Window");
  EXPECT_FALSE(log.GetVisible());

  log.AddLine("Searching Journal: Daily");
  log.AddLine("Found on Monday, March 1, 2004");
  EXPECT_EQ(log.LineCount(), 2);
  log.BitBtn1Click(nullptr);
  EXPECT_EQ(log.LineCount(), 0);
  log.AddLine("first after clearing");
  ASSERT_EQ(log.LineCount(), 1);
  EXPECT_EQ(log.Line(0), "first after clearing");

  // Positions are compared within the window frame's few pixels, which the
  // toolkit adds when it places a top-level window.
  constexpr int Frame = 6;
  log.ToggleBeside(&main);
  EXPECT_TRUE(log.GetVisible());
  EXPECT_NEAR(log.GetTop(), main.GetTop(), Frame);
  EXPECT_NEAR(log.GetLeft(), main.GetLeft() + main.GetWidth(), Frame);
  log.ToggleBeside(&main);
  EXPECT_FALSE(log.GetVisible());
  EXPECT_NEAR(log.GetLeft(), main.GetLeft() + main.GetWidth(), Frame);
}

TEST(ActivityWindow, StaysOnTheScreenWhereThereIsNoRoomBesideTheMainWindow) {
  const TRect screen = Screen->WorkAreaRect();
  TForm main(nullptr);
  TActivityDisplayWindow log(nullptr);
  struct Case {
    const char* what;
    TRect mainBounds;  // left, top, width, height
  };
  const Case cases[] = {
      {"main fills the screen", Rect(screen.Left, screen.Top, screen.Width(), screen.Height())},
      {"main at the right edge", Rect(screen.Right - 300, screen.Top + 20, 300, 300)},
      {"main low on the screen", Rect(screen.Left + 10, screen.Bottom - 100, 200, 90)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    main.SetBounds(c.mainBounds.Left, c.mainBounds.Top, c.mainBounds.Right, c.mainBounds.Bottom);
    main.Show();
    log.ToggleBeside(&main);
    ASSERT_TRUE(log.GetVisible());
    Application->ProcessMessages();
    // Shown once, the window has its frame: the next showing keeps it all in.
    log.ToggleBeside(&main);
    log.ToggleBeside(&main);
    const TRect f = log.GetFrameMargins();
    EXPECT_GE(log.GetLeft() - f.Left, screen.Left);
    EXPECT_GE(log.GetTop() - f.Top, screen.Top);
    EXPECT_LE(log.GetLeft() + log.GetWidth() + f.Right, screen.Right);
    EXPECT_LE(log.GetTop() + log.GetHeight() + f.Bottom, screen.Bottom);
    log.ToggleBeside(&main);
    EXPECT_FALSE(log.GetVisible());
  }
}

TEST(ActivityWindow, ItsShortcutHidesItFromItsOwnWindow) {
  TActivityDisplayWindow log(nullptr);
  TCustomForm* savedMain = Application->MainForm;
  TForm main(nullptr);
  main.SetBounds(40, 60, 300, 400);
  Application->MainForm = &main;
  log.ToggleBeside(&main);
  ASSERT_TRUE(log.GetVisible());
  log.BringToFront();
  Application->ProcessMessages();
  // Ctrl+Alt+W typed while the log window is the active one.
  QWidget* active = QApplication::activeWindow();
  ASSERT_NE(active, nullptr);
  ASSERT_EQ(active->windowTitle(), "Activity Window");
  QKeyEvent press(QEvent::KeyPress, Qt::Key_W, Qt::ControlModifier | Qt::AltModifier);
  QCoreApplication::sendEvent(active, &press);
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_W, Qt::ControlModifier | Qt::AltModifier);
  QCoreApplication::sendEvent(active, &release);
  Application->ProcessMessages();
  EXPECT_FALSE(log.GetVisible());
  EXPECT_EQ(log.ToggleWindow->GetShortCut(), ActivityWindowShortCut);
  Application->MainForm = savedMain;
}

// Without a printer the log's Print offers a PDF file as every other print
// does (it used to refuse), asks for the file again at the next print under
// a name no earlier print took, and prints the log view's own pages: long
// events wrap inside the margins instead of running off the page.
TEST(ActivityWindow, PrintOffersAPdfFileAndWrapsTheLogsPages) {
  auto old = SetPrinter(std::make_unique<TPrinter>());
  if (Printer()->HasPrinters()) {
    SetPrinter(std::move(old));
    GTEST_SKIP() << "a printer is installed here";
  }
  qytest::TempDir dir;
  TActivityDisplayWindow log(nullptr);
  for (int i = 1; i <= 80; ++i) log.AddLine("event number " + std::to_string(i) + " in Łódź");
  String longLine;
  for (int i = 1; i <= 60; ++i) longLine += (i > 1 ? " " : "") + String(i < 10 ? "wörd0" : "wörd") + std::to_string(i);
  log.AddLine(longLine);
  const String pdf = (dir / "café log.pdf").string();
  std::vector<TInteraction> offered;
  auto choose = [&](const String& file) {
    return [&, file](TInteraction& r) {
      offered.push_back(r);
      if (file.empty()) return static_cast<int>(mrCancel);
      r.PrinterName = PdfFileChoice;
      r.FileName = file;
      return static_cast<int>(mrOk);
    };
  };
  {
    TInteractionScript script;
    script.Do(choose(pdf));
    log.BitBtn2Click(nullptr);
    ASSERT_EQ(script.Shown.size(), 1u) << script.Shown.back().Text;
    EXPECT_EQ(script.Shown[0].Kind, TInteractionKind::PrintDialog);
  }
  ASSERT_TRUE(FileExists(pdf));
  struct stat st {};
  ASSERT_EQ(::stat(pdf.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(Printer()->Title, "Quillory Log");
  const qytest::TPdfLayout layout = qytest::PdfLayout(pdf);
  ASSERT_FALSE(layout.PageSizes.empty());
  EXPECT_GE(layout.PageSizes.size(), 2u);
  EXPECT_NE(qytest::PdfText(pdf).find("event number 80 in Łódź"), std::string::npos);
  const qytest::TPdfWord* first = layout.Find("wörd01");
  const qytest::TPdfWord* last = layout.Find("wörd60");
  ASSERT_TRUE(first && last);
  EXPECT_TRUE(last->Page > first->Page || last->YMin > first->YMax) << "the long event was not wrapped";
  // 20 mm at the right stay free.
  for (const qytest::TPdfWord& w : layout.Words)
    EXPECT_LE(w.XMax, layout.PageSizes[static_cast<size_t>(w.Page - 1)].first - 56.0) << w.Text;

  // The next print asks again, suggesting a new name; Cancel prints nothing.
  const String before = qytest::ReadFileBytes(pdf);
  {
    TInteractionScript script;
    script.Do(choose(""));
    log.BitBtn2Click(nullptr);
    ASSERT_EQ(script.Shown.size(), 1u) << script.Shown.back().Text;
  }
  ASSERT_EQ(offered.size(), 2u);
  EXPECT_EQ(offered[1].PrinterName, PdfFileChoice);
  EXPECT_EQ(offered[1].FileName, (dir / "café log (2).pdf").string());
  EXPECT_EQ(qytest::ReadFileBytes(pdf), before);
  EXPECT_FALSE(FileExists((dir / "café log (2).pdf").string()));
  SetPrinter(std::move(old));
}

// Print pressed by its key on a log with nothing in it says so and asks for
// no printer or file; a log with a line goes on to ask where to print.
TEST(ActivityWindow, PrintingAnEmptyLogSaysThereIsNothingToPrint) {
  auto old = SetPrinter(std::make_unique<TPrinter>());
  const struct {
    const char* Name;
    std::vector<String> Lines;
    bool Cleared;
    TInteractionKind Shown;
  } cases[] = {
      {"never written", {}, false, TInteractionKind::MessageBox},
      {"cleared", {"Searching Journal: Daily"}, true, TInteractionKind::MessageBox},
      {"one event", {"Searching Journal: Daily"}, false, TInteractionKind::PrintDialog},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    // With a printer the log would print at once.
    if (c.Shown == TInteractionKind::PrintDialog && Printer()->HasPrinters()) continue;
    TActivityDisplayWindow log(nullptr);
    for (const String& line : c.Lines) log.AddLine(line);
    if (c.Cleared) log.BitBtn1Click(nullptr);
    log.Show();
    QWidget* window = WidgetOf(&log)->window();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    log.BitBtn2->SetFocus();
    QApplication::processEvents();
    ASSERT_EQ(QApplication::focusWidget(), WidgetOf(log.BitBtn2));
    TInteractionScript script;
    script.Answer(mrCancel);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QApplication::processEvents();
    ASSERT_EQ(script.Shown.size(), 1u) << "nothing was said";
    EXPECT_EQ(script.Shown[0].Kind == TInteractionKind::PrintDialog, c.Shown == TInteractionKind::PrintDialog)
        << "the print dialog " << (c.Shown == TInteractionKind::PrintDialog ? "did not ask" : "asked where to print");
    if (c.Shown == TInteractionKind::MessageBox) {
      EXPECT_EQ(script.Shown[0].Text, "The activity log is empty: there is nothing to print.");
    }
    log.Hide();
  }
  SetPrinter(std::move(old));
}

TEST(ActivityWindow, PrintingProblemsAreToldInPlainWords) {
  const std::pair<const char*, const char*> cases[] = {
      {"No Printer Defined", "No printer is set up on this computer."},
      {"Printer selected is not valid", "The chosen printer is not available."},
      {"Printing in progress", "Another print job of Quillory is still running."},
      {"The print job could not be started", "The printer did not accept the print job."},
      {"Out of paper in tray 2", "Out of paper in tray 2"},  // already plain words
      {"", "The printer reported a problem."},
  };
  for (const auto& [message, expected] : cases) EXPECT_EQ(PrintProblemText(EPrinter(message)), expected) << message;
}

}  // namespace

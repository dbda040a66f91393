#include "platform/os/HelpViewer.h"

#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QTextBrowser>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>

namespace {

namespace fs = std::filesystem;

TEST(HelpViewerTest, EveryContextAndKeywordOfTheProgramHasAPage) {
  THelpViewer viewer;
  viewer.SetHelpFolder((qytest::SourceDir() / "resources/help").string());
  for (int context : {13, 1001, 86, 22, 57, 35, 18, 23}) {
    String page = viewer.PageForContext(context);
    ASSERT_FALSE(page.empty()) << context;
    EXPECT_TRUE(fs::is_regular_file(qytest::SourceDir() / "resources/help" / page)) << page;
  }
  for (const char* keyword : {"Welcome", "Password", "Change Password", "Create New Journal", "Manage Journals"})
    EXPECT_FALSE(viewer.PageForKeyword(keyword).empty()) << keyword;
  EXPECT_EQ(viewer.PageForKeyword("manage journals"), viewer.PageForKeyword("Manage Journals"));
  EXPECT_EQ(viewer.PageForContext(0), "");
  EXPECT_EQ(viewer.PageForContext(4242), "");

  EXPECT_TRUE(viewer.ShowContext(1001));
  EXPECT_EQ(viewer.CurrentPage(), "password.html");
  ASSERT_NE(viewer.Window(), nullptr);
  EXPECT_FALSE(viewer.ShowKeyword("No Such Topic"));
  EXPECT_EQ(viewer.CurrentPage(), "password.html");
  viewer.Close();
}

// Following links, then going back and forward by the window's buttons and
// by Alt+Left and Alt+Right: each button is usable only while there is a
// page to go to, and the window's title names the page shown.
TEST(HelpViewerTest, BackAndForwardGoThroughThePagesSeenAndTheTitleFollows) {
  qytest::TempDir dir;
  qytest::WriteFileBytes(dir / "index.txt", "1|First|first.html\n");
  qytest::WriteFileBytes(dir / "first.html",
                         "<html><head><title>First page</title></head><body><a href=\"second.html\">on</a></body></html>");
  qytest::WriteFileBytes(dir / "second.html", "<html><head><title>Second page</title></head><body>x</body></html>");
  qytest::WriteFileBytes(dir / "third.html", "<html><head><title>Third page</title></head><body>y</body></html>");
  THelpViewer viewer;
  viewer.SetHelpFolder(dir.str());
  ASSERT_TRUE(viewer.ShowContext(1));
  QWidget* window = viewer.Window();
  ASSERT_NE(window, nullptr);
  auto* browser = window->findChild<QTextBrowser*>();
  auto* back = window->findChild<QAction*>("HelpBack");
  auto* forward = window->findChild<QAction*>("HelpForward");
  ASSERT_TRUE(browser && back && forward);
  // Both are on the window's bar, where the user sees them.
  for (QAction* a : {back, forward}) {
    bool onBar = false;
    for (QToolBar* bar : window->findChildren<QToolBar*>()) onBar |= bar->actions().contains(a);
    EXPECT_TRUE(onBar) << a->objectName().toStdString();
  }
  auto go = [&](const char* page) {
    browser->setSource(QUrl::fromLocalFile(QString::fromStdString((dir / page).string())));
  };
  auto press = [&](Qt::Key key) {
    QTest::keyClick(browser, key, Qt::AltModifier);
    QCoreApplication::processEvents();
  };
  struct TStep {
    std::function<void()> Do;
    const char* Title;
    bool Back, Forward;
  };
  const TStep steps[] = {
      {[] {}, "First page", false, false},
      {[&] { go("second.html"); }, "Second page", true, false},
      {[&] { go("third.html"); }, "Third page", true, false},
      {[&] { back->trigger(); }, "Second page", true, true},
      {[&] { back->trigger(); }, "First page", false, true},
      {[&] { forward->trigger(); }, "Second page", true, true},
      {[&] { press(Qt::Key_Right); }, "Third page", true, false},
      {[&] { press(Qt::Key_Left); }, "Second page", true, true},
      // A new page drops the pages ahead.
      {[&] { go("first.html"); }, "First page", true, false},
  };
  int n = 0;
  for (const TStep& step : steps) {
    SCOPED_TRACE(n++);
    step.Do();
    EXPECT_EQ(window->windowTitle().toStdString(), step.Title);
    EXPECT_EQ(back->isEnabled(), step.Back);
    EXPECT_EQ(forward->isEnabled(), step.Forward);
  }
  viewer.Close();
}

TEST(HelpViewerTest, IndexEntriesCannotLeaveTheHelpFolder) {
  qytest::TempDir dir;
  qytest::WriteFileBytes(dir / "index.txt", "1||../secret.html\n2||/etc/passwd\n3|Ok|ok.html\n");
  qytest::WriteFileBytes(dir / "ok.html", "<html><head><title>Ok</title></head></html>");
  THelpViewer viewer;
  viewer.SetHelpFolder(dir.str());
  EXPECT_EQ(viewer.PageForContext(1), "");
  EXPECT_EQ(viewer.PageForContext(2), "");
  EXPECT_EQ(viewer.PageForContext(3), "ok.html");
  EXPECT_EQ(viewer.PageForKeyword("ok"), "ok.html");
}

// The window opens whole on the screen, also after it was left where a
// screen no longer is.
TEST(HelpViewerTest, TheWindowOpensWholeOnTheScreen) {
  THelpViewer viewer;
  viewer.SetHelpFolder((qytest::SourceDir() / "resources/help").string());
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  const QPoint leftAt[] = {{-2000, -2000}, {screen.right() - 50, screen.bottom() - 50}, {screen.left(), screen.top()}};
  for (QPoint at : leftAt) {
    SCOPED_TRACE(at.x());
    ASSERT_TRUE(viewer.ShowContext(57));
    viewer.Window()->move(at);
    viewer.Close();
    ASSERT_TRUE(viewer.ShowContext(1001));
    const QRect g = viewer.Window()->geometry();
    EXPECT_TRUE(screen.contains(g)) << g.x() << "," << g.y() << " " << g.width() << "x" << g.height();
    EXPECT_GE(g.width(), 200);
  }
  viewer.Close();
}

// Help asked for from a modal box can be used while the box is up (it is a
// window of the box's, which the box does not block), and stays open as a
// window of its own once the box is gone.
TEST(HelpViewerTest, HelpFromAModalBoxIsUsableAndOutlivesIt) {
  THelpViewer viewer;
  viewer.SetHelpFolder((qytest::SourceDir() / "resources/help").string());
  QDialog box;
  bool ownedByBox = false, shown = false;
  QTimer::singleShot(0, [&] {
    ASSERT_EQ(QApplication::activeModalWidget(), &box);
    ASSERT_TRUE(viewer.ShowContext(1001));
    QWidget* help = viewer.Window();
    ownedByBox = help->parentWidget() == &box && help->isWindow();
    shown = help->isVisible();
    box.accept();
  });
  box.exec();
  EXPECT_TRUE(ownedByBox);
  EXPECT_TRUE(shown);
  QWidget* help = viewer.Window();
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(help->parentWidget(), nullptr);
  EXPECT_TRUE(help->isVisible());
  // The page it shows can be closed like any window.
  EXPECT_TRUE(help->close());
  EXPECT_FALSE(help->isVisible());
}

}  // namespace

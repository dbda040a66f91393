// What the user did not aim at the main window never takes the keyboard from
// the window the user works in: an automatic hide or lock, or a resize of the
// cover, with another window active leaves that window active and its typing
// where it was. These tests need a window manager: the "_framed" test runs
// them on a display of their own with one
// (tests/scripts/with_window_manager.sh); elsewhere they skip.
#include "MainWindowJournalSupport.h"

#include "app/QYActivity.h"
#include "app/QYAutoSave.h"
#include "platform/gui/ControlsPrivate.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

bool WindowsAreFramed() {
  static const bool framed = [] {
    if (QGuiApplication::platformName() != "xcb") return false;
    TForm probe(nullptr);
    probe.SetBounds(300, 300, 200, 100);
    probe.Show();
    return QTest::qWaitFor([&] { return probe.GetFrameMargins().Top > 0; }, 60000);
  }();
  return framed;
}

// Another program's window, the user typing in it.
struct TOtherWindow {
  TOtherWindow() {
    Window.setWindowTitle("Another program");
    Window.setGeometry(700, 500, 400, 120);
    Edit = new QLineEdit(&Window);
    Edit->setGeometry(10, 10, 300, 30);
    Window.show();
    Window.raise();
    Window.activateWindow();
    Edit->setFocus();
  }
  bool Active() const { return QApplication::activeWindow() == &Window; }
  QWidget Window;
  QLineEdit* Edit = nullptr;
};

TEST(Framed, AnAutomaticHideLockOrResizeLeavesTheKeyboardWithTheActiveWindow) {
  if (!WindowsAreFramed())
    GTEST_SKIP() << "no window manager frames the windows here (run through the _framed test, which starts "
                    "Xvfb with openbox)";
  enum TEvent { eAutoHide, eAutoLock, eResizeOnCover };
  const struct {
    const char* Name;
    TEvent Event;
  } cases[] = {{"auto hide", eAutoHide}, {"auto lock", eAutoLock}, {"resize on the cover", eResizeOnCover}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    qytest::TMainJournalWorld w;
    TOpenJournal* journal = w.OpenWindow("Diary", 0);
    ProfileSettings.AutoHideMinimize = ProfileSettings.AutoLockMinimize = false;
    w.Main->SetBounds(40, 40, 900, 650);
    w.Main->Show();
    ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeWindow() != nullptr; }, 60000));
    if (c.Event == eResizeOnCover) w.Main->SetScreenMode(smCover);

    TOtherWindow other;
    ASSERT_TRUE(QTest::qWaitFor([&] { return other.Active(); }, 60000));
    QTest::keyClicks(other.Edit, "abc");

    switch (c.Event) {
      case eAutoHide:
        ProfileSettings.AutoHideOn = true;
        ProfileSettings.AutoHideInterval = 1;
        LastActivityTime = Now() - 2.0 / (24 * 60);
        AutomaticSaveTimerTimer(Now());
        break;
      case eAutoLock:
        ProfileSettings.AutoLockOn = true;
        ProfileSettings.AutoLockInterval = 1;
        LastActivityTime = Now() - 2.0 / (24 * 60);
        AutomaticSaveTimerTimer(Now());
        break;
      case eResizeOnCover: w.Main->SetBounds(60, 60, 820, 600); break;
    }
    ASSERT_EQ(ScreenMode, smCover);
    // Time for an activation the window manager would carry out.
    QTest::qWait(800);
    EXPECT_TRUE(other.Active()) << "the active window is "
                                << (QApplication::activeWindow()
                                        ? QApplication::activeWindow()->windowTitle().toStdString()
                                        : std::string("none"));
    // The user's next key goes where the keyboard is: into the other window,
    // not to the cover's Open button.
    QWidget* keys = QApplication::focusWidget();
    ASSERT_NE(keys, nullptr);
    QTest::keyClick(keys, Qt::Key_Space);
    QTest::keyClicks(keys, "de");
    Application->ProcessMessages();
    EXPECT_EQ(other.Edit->text().toStdString(), "abc de");
    EXPECT_EQ(ScreenMode, smCover);
    if (c.Event != eAutoLock && JournalsLoaded) {
      EXPECT_EQ(journal->Document->Text().find("de"), String::npos);
    }

    // The user coming back to the main window finds the Open button ready.
    w.Main->BringToFront();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == WindowWidgetOf(w.Main); }, 60000));
    EXPECT_TRUE(w.Main->pbOpenQuillory->Focused());
    ProfileSettings.AutoHideOn = ProfileSettings.AutoLockOn = false;
  }
}

// The activity window opens beside the main window with its whole frame on
// the screen the first time too, before the window manager has framed it:
// where the main window leaves no room, its frame ends at the screen's edge.
TEST(Framed, TheActivityWindowOpensWithItsWholeFrameOnTheScreen) {
  if (!WindowsAreFramed())
    GTEST_SKIP() << "no window manager frames the windows here (run through the _framed test, which starts "
                    "Xvfb with openbox)";
  const TRect screen = Screen->WorkAreaRect();
  TForm main(nullptr);
  main.SetBounds(screen.Right - 400, screen.Top + 60, 300, 300);
  main.Show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return main.GetFrameMargins().Top > 0; }, 60000));
  TActivityDisplayWindow log(nullptr);
  log.ToggleBeside(&main);
  ASSERT_TRUE(log.GetVisible());
  QWidget* window = WindowWidgetOf(&log);
  ASSERT_TRUE(QTest::qWaitFor([&] { return log.GetFrameMargins().Top > 0; }, 60000));
  // Until the window has settled where it is placed.
  QRect frame;
  for (int stable = 0; stable < 20; QTest::qWait(25)) {
    stable = window->frameGeometry() == frame ? stable + 1 : 0;
    frame = window->frameGeometry();
  }
  EXPECT_GE(frame.left(), screen.Left);
  EXPECT_LE(frame.right() + 1, screen.Right) << "the frame's right edge is past the screen's";
  EXPECT_GE(frame.top(), screen.Top);
}

}  // namespace

// A second start brings the running program back under a window manager,
// whatever its windows' state: minimised with a modal dialog open, the main
// window and the dialog come back and the dialog is in front with the
// keyboard. These tests need a window manager: the "_framed" test runs them
// on a display of their own with one (tests/scripts/with_window_manager.sh);
// elsewhere they skip.
#include "DatabaseTestSupport.h"

#include "platform/gui/Forms.h"

#include <QGuiApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

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

std::string ReadText(const std::filesystem::path& p) {
  std::ifstream in(p);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool WaitForText(const std::filesystem::path& p, const std::string& text, int ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    if (ReadText(p).find(text) != std::string::npos) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

// The main window minimised from normal, from maximised or with the journal
// open, or the dialog minimised, with Tools > Preferences open: a second start brings both back, the main window in the
// state it had, and the dialog in front with the keyboard.
TEST(Framed, ASecondStartBringsBackTheMinimisedWindowAndItsModalDialog) {
  if (!WindowsAreFramed())
    GTEST_SKIP() << "no window manager frames the windows here (run through the _framed test, which starts "
                    "Xvfb with openbox)";
  const auto helper = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "startup_second_instance";
  const struct {
    const char* How;
    const char* Back;
  } cases[] = {{"normal", "state main=normal main-mapped=1 dialog-mapped=1 dialog-active=1"},
               {"maximised", "state main=maximised main-mapped=1 dialog-mapped=1 dialog-active=1"},
               {"journal", "state main=normal main-mapped=1 dialog-mapped=1 dialog-active=1"},
               {"dialog", "state main=normal main-mapped=1 dialog-mapped=1 dialog-active=1"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.How);
    qytest::TempDir root;
    const auto prog = root / "prog", docs = root / "docs", run = root / "run", log = root / "first.log";
    qytest::TDatabaseWorld::MakeTemplate((prog / "DataTemplate").string());
    std::filesystem::create_directories(docs);
    std::filesystem::create_directories(run);
    std::filesystem::permissions(run, std::filesystem::perms::owner_all, std::filesystem::perm_options::replace);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(run.string()));

    // Tools > Preferences open, then the main window minimised: the window
    // manager takes the dialog down with it.
    QProcess first;
    first.setProcessEnvironment(env);
    first.setProcessChannelMode(QProcess::ForwardedChannels);
    first.start(QString::fromStdString(helper.string()),
                {"modal", QString::fromStdString(prog.string()), QString::fromStdString(docs.string()),
                 QString::fromStdString(log.string()), c.How});
    ASSERT_TRUE(first.waitForStarted());
    const bool minimised = WaitForText(log, "minimised", 90000);
    if (!minimised) {
      qytest::WriteFileBytes(log.string() + ".go", "");
      first.waitForFinished(30000);
      FAIL() << ReadText(log);
    }

    QProcess second;
    second.setProcessEnvironment(env);
    second.start(QString::fromStdString(helper.string()), {});
    ASSERT_TRUE(second.waitForFinished(60000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);

    // Both windows back in view, the dialog in front with the keyboard.
    EXPECT_TRUE(WaitForText(log, "restored", 60000)) << ReadText(log);
    // Time for a restore that would undo the window's state.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    qytest::WriteFileBytes(log.string() + ".go", "");
    ASSERT_TRUE(first.waitForFinished(60000)) << ReadText(log);
    EXPECT_EQ(first.exitCode(), 0);
    const std::string text = ReadText(log);
    EXPECT_NE(text.find(c.Back), std::string::npos) << text;
  }
}

}  // namespace

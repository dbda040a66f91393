// Insert File and Save a Copy through a converter that hangs: the window
// goes on (its timers and repaints run), a progress window offers Cancel,
// which stops the converter at once and says nothing; a converter stopped
// at the time limit is said to have timed out. A converter description file
// that cannot be used is named once.
#include "actions/VLActionsFile.h"
#include "actions/VLActionsInsert.h"
#include "platform/gui/Dialogs.h"
#include "platform/os/SysPaths.h"
#include "support/KeySeam.h"
#include "support/TestSupport.h"

#include "EditorBench.h"

#include <QApplication>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>

namespace fs = std::filesystem;

namespace {

struct TDescription {
  explicit TDescription(const std::string& text) {
    fs::create_directories(Path.parent_path());
    qytest::WriteFileBytes(Path, text);
  }
  ~TDescription() {
    std::error_code ec;
    fs::remove_all(Path, ec);
  }
  fs::path Path = fs::path(GetConfigFolder()) / "quillory" / "converters.ini";
};

QProgressDialog* ShownProgress() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* p = qobject_cast<QProgressDialog*>(w); p && p->isVisible()) return p;
  return nullptr;
}

// Runs Command (Insert File or Save a Copy of a "hang" file) and, when
// Cancel, presses the progress window's Cancel as soon as it shows.
struct TRun {
  bool SawProgress = false;
  int Ticks = 0;
  std::vector<String> Messages;
};

TRun RunHanging(bool exportCopy, bool cancel, const fs::path& dir) {
  TRun run;
  TEditorBench b;
  TEditorBench::Fill(b.Edit, "Caf\xC3\xA9 entry");
  b.Edit->SetCaret(0, b.Edit->GetItemStartOffset(0));
  TvlAction* action = nullptr;
  if (exportCopy) {
    auto* e = new TvlActionExport(b.Form);
    e->Filter = {ffeOfficeConverters};
    action = e;
  } else {
    auto* i = new TvlActionInsertFile(b.Form);
    i->Filter = {ffiOfficeConverters};
    action = i;
  }
  action->SetControl(b.Edit);
  const std::string name = (dir / (exportCopy ? "copy.hang" : "in.hang")).string();
  qytest::WriteFileBytes(dir / "in.hang", "{\\rtf1 never}");
  QTimer timer;
  timer.setInterval(20);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    ++run.Ticks;
    QProgressDialog* p = ShownProgress();
    if (!p) return;
    run.SawProgress = true;
    if (!cancel) return;
    if (auto* button = p->findChild<QPushButton*>()) button->click();
  });
  timer.start();
  TInteractionScript script;
  script.Do([&](TInteraction& r) {
    r.FileName = name;
    r.FilterIndex = 1;
    return mrOk;
  });
  script.Answer(IDOK);  // a message, if one comes
  action->Update();
  EXPECT_TRUE(action->Execute());
  for (size_t i = 1; i < script.Shown.size(); ++i) run.Messages.push_back(script.Shown[i].Text);
  EXPECT_EQ(TEditorBench::Text(b.Edit), "Caf\xC3\xA9 entry");
  EXPECT_FALSE(fs::exists(dir / "copy.hang"));
  return run;
}

TEST(ConversionProgress, AHangingConverterCanBeCancelledOrTimesOutWhileTheWindowGoesOn) {
  qytest::TempDir dir;
  for (const bool exportCopy : {false, true}) {
    SCOPED_TRACE(exportCopy ? "Save a Copy" : "Insert File");
    {
      // Only Cancel can stop it before it ends (and then with a message
      // that it wrote nothing).
      TDescription description(
          "[Limits]\nTime=3600\n"
          "[Hang]\nExtensions=hang\nImport=sleep 600\nExport=sleep 600\n");
      std::optional<TRun> run;
      {
        qytest::TCallWatchdog watchdog("the conversion cancelled from its progress window");
        run = RunHanging(exportCopy, true, dir.path());
      }
      const TRun& cancelled = *run;
      EXPECT_TRUE(cancelled.SawProgress);
      EXPECT_TRUE(cancelled.Messages.empty());
    }
    {
      TDescription description(
          "[Limits]\nTime=3\n"
          "[Hang]\nExtensions=hang\nImport=sleep 60\nExport=sleep 60\n");
      const TRun timedOut = RunHanging(exportCopy, false, dir.path());
      EXPECT_TRUE(timedOut.SawProgress);
      // The window's timers ran all along the three seconds (about 150
      // ticks; a loaded machine runs fewer).
      EXPECT_GT(timedOut.Ticks, 10);
      ASSERT_EQ(timedOut.Messages.size(), 1u);
      EXPECT_NE(timedOut.Messages[0].find("did not finish within 3 seconds"), String::npos) << timedOut.Messages[0];
    }
  }
}

TEST(ConversionProgress, AnUnusableDescriptionFileIsNamedOnce) {
  qytest::TempDir dir;
  TDescription description("");
  fs::remove(description.Path);
  fs::create_directories(description.Path);  // a folder in its place
  std::vector<size_t> shown;
  for (int time = 0; time < 2; ++time) {
    TEditorBench b;
    auto* action = new TvlActionInsertFile(b.Form);
    action->SetControl(b.Edit);
    TInteractionScript script;
    if (time == 0) script.Answer(IDOK);
    script.Answer(mrCancel);  // the file dialog
    action->Update();
    EXPECT_TRUE(action->Execute());
    EXPECT_EQ(script.Unexpected, 0);
    shown.push_back(script.Shown.size());
    if (time == 0) {
      ASSERT_EQ(script.Shown.size(), 2u);
      EXPECT_NE(script.Shown[0].Text.find(description.Path.string()), String::npos) << script.Shown[0].Text;
      EXPECT_NE(script.Shown[0].Text.find("it is a folder"), String::npos) << script.Shown[0].Text;
    }
  }
  EXPECT_EQ(shown, (std::vector<size_t>{2, 1}));
}

}  // namespace

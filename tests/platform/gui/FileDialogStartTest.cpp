// The file dialogs the Qt hook runs: where they start when the caller names
// no folder (Documents, Pictures for pictures), and the type a typed
// extension chooses.
#include "support/TestSupport.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/QtText.h"

#include <QApplication>
#include <QFileDialog>
#include <QMetaObject>
#include <QStandardPaths>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace {

// Runs the dialog with the real hook; act sees the toolkit's dialog while up.
template <typename TDialog>
bool RunReal(TDialog& dialog, const std::function<void(QFileDialog*)>& act) {
  TInteractionHook* previous = SetInteractionHook(nullptr);
  QTimer timer;
  timer.setInterval(10);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    // The shown dialog, whether or not it has become the active modal
    // widget yet (activation is asynchronous).
    QFileDialog* d = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* f = qobject_cast<QFileDialog*>(w); f && f->isVisible()) d = f;
    if (!d) return;
    // Acts again on every tick while the dialog stays up: an accept can be
    // ignored while the dialog's folder model still loads.
    act(d);
  });
  timer.start();
  const bool ok = dialog.Execute();
  SetInteractionHook(previous);
  return ok;
}

TEST(FileDialogStart, TheStartFolderAndTheTypeATypedExtensionChooses) {
  {
  qytest::TempDir dir;
  TSaveDialog dialog(nullptr);
  dialog.Filter = "Vellum Files (*.vlf)|*.vlf|RTF Files (*.rtf)|*.rtf|Text (*.txt)|*.txt";
  dialog.FilterIndex = 1;
  dialog.DefaultExt = "vlf";
  dialog.InitialDir = dir.path().string();
  ASSERT_TRUE(RunReal(dialog, [](QFileDialog* d) {
    d->selectFile("entry.rtf");
    static_cast<QDialog*>(d)->accept();
  }));
  EXPECT_EQ(dialog.FilterIndex, 2);
  EXPECT_EQ(ExtractFileName(dialog.FileName), "entry.rtf");
  }

  const struct {
    const char* Filter;
    QStandardPaths::StandardLocation Where;
  } cases[] = {{"Vellum Files (*.vlf)|*.vlf|RTF Files (*.rtf)|*.rtf", QStandardPaths::DocumentsLocation},
               {"Pictures (*.jpg;*.png)|*.jpg;*.png", QStandardPaths::PicturesLocation}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Filter);
    const QString expected = QDir(QStandardPaths::writableLocation(c.Where)).absolutePath();
    QDir().mkpath(expected);
    TOpenDialog dialog(nullptr);
    dialog.Filter = c.Filter;
    QString dir;
    RunReal(dialog, [&](QFileDialog* d) {
      dir = d->directory().absolutePath();
      d->reject();
    });
    EXPECT_EQ(FromQ(dir), FromQ(expected));
  }
}

}  // namespace

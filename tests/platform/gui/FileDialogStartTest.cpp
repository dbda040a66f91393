// The file dialogs the Qt hook runs: where they start when the caller names
// no folder (Documents, Pictures for pictures), the type a typed extension
// chooses, and the toolkit's own dialog showing its columns whole.
#include "support/TestSupport.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/QtText.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHeaderView>
#include <QAbstractItemView>
#include <QCompleter>
#include <QLineEdit>
#include <QMessageBox>
#include <QScreen>
#include <QTreeView>
#include <QMetaObject>
#include <QStandardPaths>
#include <QTimer>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include <functional>

namespace {

// The shown file dialog, whether or not it has become the active modal
// widget yet (activation is asynchronous).
QFileDialog* ShownFileDialog() {
  QFileDialog* d = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* f = qobject_cast<QFileDialog*>(w); f && f->isVisible()) d = f;
  return d;
}

// Runs the dialog with the real hook; act sees the toolkit's dialog while up.
template <typename TDialog>
bool RunReal(TDialog& dialog, const std::function<void(QFileDialog*)>& act) {
  TInteractionHook* previous = SetInteractionHook(nullptr);
  QTimer timer;
  timer.setInterval(10);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    QFileDialog* d = ShownFileDialog();
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
    // Typed as the user types it (selectFile leaves a focused name box as it is).
    auto* name = d->findChild<QLineEdit*>("fileNameEdit");
    if (!name) {
      ADD_FAILURE() << "no file name box";
      d->reject();
      return;
    }
    name->setText("entry.rtf");
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

// Without a desktop dialog (none under the offscreen platform) the toolkit's
// own one is used; a long name does not push the size, type and date out of
// sight, and none of them is cut ("148…KiB").
TEST(FileDialogStart, TheToolkitsOwnDialogShowsItsColumnsWhole) {
  qytest::TempDir dir;
  qytest::WriteFileBytes(dir / "A rather long file name for a journal copy of the first of December 2026.rtf",
                         std::string(152000, 'x'));
  qytest::WriteFileBytes(dir / "notes.rtf", std::string(3000000, 'y'));
  struct TCase {
    const char* Name;
    std::function<bool(const std::function<void(QFileDialog*)>&)> Run;
  };
  TOpenDialog open(nullptr);
  open.Filter = "RTF Files (*.rtf)|*.rtf";
  open.InitialDir = dir.str();
  TSaveDialog save(nullptr);
  save.Filter = open.Filter;
  save.InitialDir = dir.str();
  const TCase cases[] = {{"open", [&](const auto& act) { return RunReal(open, act); }},
                         {"save", [&](const auto& act) { return RunReal(save, act); }}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    bool looked = false;
    QElapsedTimer waited;
    waited.start();
    int ticksWithFiles = 0;
    c.Run([&](QFileDialog* d) {
      auto* view = d->findChild<QTreeView*>();
      // The folder's files come in the background, and the columns are laid
      // out after they came: a later tick looks.
      if (view && view->model()->rowCount(view->rootIndex()) >= 2) ++ticksWithFiles;
      if (view && ticksWithFiles < 3 && waited.elapsed() < 60000) return;
      [&] {
        EXPECT_FALSE(d->testOption(QFileDialog::DontUseNativeDialog));
        ASSERT_NE(view, nullptr);
        ASSERT_EQ(view->model()->rowCount(view->rootIndex()), 2);
        const QRect screen = d->screen()->availableGeometry();
        EXPECT_GE(d->width(), std::min(800, screen.width() * 8 / 10));
        QHeaderView* header = view->header();
        ASSERT_GE(header->count(), 4);
        for (int column = 1; column < header->count(); ++column) {
          if (header->isSectionHidden(column)) continue;
          SCOPED_TRACE(column);
          for (int row = 0; row < 2; ++row) {
            const QString text = view->model()->index(row, column, view->rootIndex()).data().toString();
            EXPECT_GT(header->sectionSize(column), view->fontMetrics().horizontalAdvance(text)) << text.toStdString();
          }
          EXPECT_LE(header->sectionViewportPosition(column) + header->sectionSize(column), view->viewport()->width());
          EXPECT_GE(header->sectionViewportPosition(column), 0);
        }
        looked = true;
      }();
      d->reject();
    });
    EXPECT_TRUE(looked);
  }
}

// Choosing a folder goes through the same dialog: it starts in the folder
// given, shows folders only, and answers the one chosen.
TEST(FileDialogStart, AFolderIsChosenInTheSameDialog) {
  qytest::TempDir dir;
  std::filesystem::create_directories(dir / "Backups");
  qytest::WriteFileBytes(dir / "notes.rtf", "x");
  TInteractionHook* previous = SetInteractionHook(nullptr);
  QTimer timer;
  timer.setInterval(10);
  bool looked = false;
  QObject::connect(&timer, &QTimer::timeout, [&] {
    QFileDialog* d = ShownFileDialog();
    if (!d) return;
    timer.stop();
    EXPECT_EQ(FromQ(QDir(d->directory()).absolutePath()), FromQ(QDir(ToQ(dir.str())).absolutePath()));
    EXPECT_EQ(d->fileMode(), QFileDialog::Directory);
    EXPECT_TRUE(d->testOption(QFileDialog::ShowDirsOnly));
    d->setDirectory(ToQ((dir / "Backups").string()));
    looked = true;
    static_cast<QDialog*>(d)->accept();
  });
  timer.start();
  String folder = dir.str();
  const bool chosen = SelectDirectory("Backup / Restore Location", "", folder);
  SetInteractionHook(previous);
  EXPECT_TRUE(looked);
  ASSERT_TRUE(chosen);
  EXPECT_EQ(folder, (dir / "Backups").string());
}


// A double quote in a typed name is part of the name: the toolkit's dialog
// reads it as its list of several files and answered another name in
// another folder (`x" ;.docx` became " ;.docx"), with no word.
TEST(FileDialogStart, ANameHoldingDoubleQuotesIsTakenAsTyped) {
  qytest::TempDir dir;
  qytest::WriteFileBytes(dir / "\u0141\u00f3d\u017a \"notes\".rtf", "{\\rtf1 x}");
  std::filesystem::create_directories(dir / "don\u2019t \"keep\"");
  struct TCase {
    const char* Typed;
    std::function<bool(String&)> Run;
    std::string Expected;
  };
  TSaveDialog save(nullptr);
  save.Filter = "Word Document (*.docx)|*.docx|RTF Files (*.rtf)|*.rtf";
  save.DefaultExt = "docx";
  save.InitialDir = dir.str();
  TOpenDialog open(nullptr);
  open.Filter = "RTF Files (*.rtf)|*.rtf";
  open.InitialDir = dir.str();
  String typed;
  int ticksAfter = -1;  // -1: not typed yet
  int ticksLoaded = 0;
  const auto typeAndEnter = [&](QFileDialog* d) {
    if (ticksAfter >= 0) {
      // A dialog that does not take the name stays up.
      if (++ticksAfter < 6000) return;  // about a minute
      ADD_FAILURE() << "the dialog did not take the name";
      d->reject();
      return;
    }
    auto* name = d->findChild<QLineEdit*>("fileNameEdit");
    auto* view = d->findChild<QAbstractItemView*>("treeView");
    if (!name || !view) {
      ADD_FAILURE() << "no file name box";
      d->reject();
      return;
    }
    // The folder's files come in the background, and the dialog puts the
    // name of what it selects into the box meanwhile: typed once they came.
    if (view->model()->rowCount(view->rootIndex()) >= 1) ++ticksLoaded;
    if (ticksLoaded < 3) return;
    name->setFocus();
    name->clear();
    // One key a character, beyond-ASCII ones by their text.
    for (const QChar ch : ToQ(typed)) QTest::sendKeyEvent(QTest::Click, name, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    // The name is typed whole: the list of completions offered meanwhile
    // is closed first (there Return would take a completion).
    if (name->completer() && name->completer()->popup()->isVisible()) name->completer()->popup()->hide();
    if (name->text() != ToQ(typed)) return;  // typed again on the next tick
    ticksAfter = 0;
    QTest::keyClick(name, Qt::Key_Return);
  };
  // A message the dialog shows over itself (a name not found) is a failure
  // here, and is closed: the typing above waits in it.
  QTimer watch;
  int ticksShown = 0;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ticksShown = box ? ticksShown + 1 : 0;
    if (ticksShown < 50) return;
    ADD_FAILURE() << "the dialog said: " << box->text().toStdString();
    box->reject();
  });
  watch.start(20);
  const auto runFile = [&](TOpenDialog& dialog) {
    return [&](String& chosen) {
      if (!RunReal(dialog, typeAndEnter)) return false;
      chosen = dialog.FileName;
      return true;
    };
  };
  const TCase cases[] = {
      {"x\" ;.docx", runFile(save), (dir / "x\" ;.docx").string()},
      {"caf\u00e9 \"draft\"", runFile(save), (dir / "caf\u00e9 \"draft\".docx").string()},
      {"\u0141\u00f3d\u017a \"notes\".rtf", runFile(open), (dir / "\u0141\u00f3d\u017a \"notes\".rtf").string()},
      {"don\u2019t \"keep\"",
       [&](String& chosen) {
         TInteractionHook* previous = SetInteractionHook(nullptr);
         QTimer timer;
         timer.setInterval(10);
         QObject::connect(&timer, &QTimer::timeout, [&] {
           if (QFileDialog* d = ShownFileDialog()) typeAndEnter(d);
         });
         timer.start();
         chosen = dir.str();
         const bool ok = SelectDirectory("Backup / Restore Location", "", chosen);
         SetInteractionHook(previous);
         return ok;
       },
       (dir / "don\u2019t \"keep\"").string()},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Typed);
    typed = c.Typed;
    ticksAfter = -1;
    ticksLoaded = 0;
    String chosen;
    ASSERT_TRUE(c.Run(chosen));
    EXPECT_EQ(chosen, c.Expected);
  }
}

}  // namespace

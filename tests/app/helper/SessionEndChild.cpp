// The program ended by a signal with typing not yet saved, for the test
// that sends it:
//
//   session_end_child type <root> <program folder> <ready file> <text>
//       starts the program on <root>'s own home and documents, opens the
//       journal (making its first journal), types <text> with the keyboard
//       into the entry, writes <ready file> and waits for the end.
//   session_end_child convert <root> <program folder> <ready file> <text>
//       as type, then saves a copy of the entry through a converter that
//       never ends, and writes <ready file> once its progress window shows.
//       Every message box's text is added to <root>/boxes.
//   session_end_child check <root> <program folder> <text>
//       starts it again, opens the journal and ends with 0 when the entry
//       holds <text>.
//
// The program's clock stands at one moment in both runs: the restart opens
// the entry of the same day however long the runs take, also across
// midnight.
#include "app/QYAddJournal.h"
#include "app/QYDatabase.h"
#include "app/QYEditor.h"
#include "app/QYJournals.h"
#include "app/QYMain.h"
#include "app/QYProfile.h"
#include "app/QYStartup.h"

#include "platform/base/DateTime.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"
#include "richtext/editor/VellumEdit.h"

#include "PrivateFolders.h"

#include <QApplication>
#include <QKeyEvent>
#include <QProgressDialog>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

// Boxes are answered as a user making a first journal would; a copy is
// saved as CopyName in the format of the converter of ".hang" files.
class TAnsweringHook : public TInteractionHook {
public:
  fs::path Boxes;
  String CopyName;
  int Run(TInteraction& r) override {
    if (auto* dlg = dynamic_cast<TdlgAddJournal*>(r.Form)) {
      dlg->eJournalName->SetText("Café Diary");
      return mrOk;
    }
    if (r.Kind == TInteractionKind::SaveDialog) {
      const QStringList parts = QString::fromStdString(r.Filter).split('|');
      for (int i = 1; i < parts.size(); i += 2)
        if (parts[i].contains("*.hang")) r.FilterIndex = i / 2 + 1;
      r.FileName = CopyName;
      return mrOk;
    }
    std::ofstream(Boxes, std::ios::app) << r.Text << "\n";
    std::fprintf(stderr, "box \"%s\": %s\n", r.Caption.c_str(), r.Text.c_str());
    if (r.Caption == "Welcome to Quillory") return IDYES;
    if (r.Caption == "Quillory Start-Up") return IDNO;
    return r.Kind == TInteractionKind::MessageBox ? IDOK : static_cast<int>(mrOk);
  }
};

void Settle() {
  for (int i = 0; i < 5; ++i) {
    QApplication::processEvents();
    QTest::qWait(10);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  const bool converting = mode == "convert" && argc == 6;
  const bool typing = (mode == "type" || converting) && argc == 6;
  if (!typing && !(mode == "check" && argc == 5)) {
    std::fprintf(stderr, "usage: %s type|convert <root> <program folder> <ready file> <text> | check <root> "
                         "<program folder> <text>\n", argv[0]);
    return 2;
  }
  const fs::path root = argv[2];
  const std::string programDir = argv[3];
  const std::string ready = typing ? argv[4] : "";
  const String text = typing ? argv[5] : argv[4];
  UsePrivateFolders(root);
  TFixedClock clock(0);
  clock.SetLocal(EncodeDateTime(2025, 6, 14, 12, 0, 0, 0));
  int one = 1;
  char* args[] = {argv[0], nullptr};
  QApplication toolkit(one, args);
  TDatabaseFolders folders = SystemDatabaseFolders();
  folders.ProgramDir = programDir;
  folders.DocumentsDir = (root / "docs").string();
  CompleteDatabaseFolders(folders);
  SetMainWindowDatabaseFolders(folders);
  TAnsweringHook hook;
  hook.Boxes = root / "boxes";
  hook.CopyName = (root / "docs" / "copy.hang").string();
  SetInteractionHook(&hook);
  ProfileSettings.AutoSaveOn = false;
  int verdict = 3;
  std::function<void()> step = [&] {
    TformQuilloryMain* m = formQuilloryMain;
    if (!m || !m->Showing()) {
      QTimer::singleShot(50, step);
      return;
    }
    // Nothing saves on its own while the signal is awaited.
    ProfileSettings.AutoSaveOn = false;
    m->pbOpenQuilloryClick(m);
    Settle();
    TOpenJournal* j = CurrentJournal;
    if (!j || !j->EditorWindow) {
      std::fprintf(stderr, "no journal open\n");
      verdict = 4;
      Application->Terminate();
      return;
    }
    if (!typing) {
      const String stored = j->Document->Text();
      verdict = stored.find(text) != String::npos ? 0 : 5;
      std::fprintf(stderr, "entry after the restart: \"%s\"\n", stored.c_str());
      m->ActionExit->Execute();
      return;
    }
    QWidget* editor = WidgetOf(j->EditorWindow->QuilloryText);
    editor->setFocus();
    // Key by key, with the text a keyboard of those letters sends.
    for (QChar ch : QString::fromStdString(text)) {
      QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
      QApplication::sendEvent(editor, &press);
      QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
      QApplication::sendEvent(editor, &release);
    }
    Settle();
    if (!j->Document->Modified && !j->EditorWindow->QuilloryText->Modified) {
      std::fprintf(stderr, "the typing did not reach the entry\n");
      verdict = 6;
      Application->Terminate();
      return;
    }
    verdict = 0;
    if (!converting) {
      std::ofstream(ready) << "typed\n";
      return;
    }
    // A converter that would run for ten minutes, stopped by its limit
    // after half of one.
    const fs::path description = root / "home/.config/quillory/converters.ini";
    fs::create_directories(description.parent_path());
    std::ofstream(description) << "[Limits]\nTime=30\n[Hang]\nExtensions=hang\nExport=sleep 600\n";
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
      for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QProgressDialog*>(w) && w->isVisible() && !fs::exists(ready))
          std::ofstream(ready) << "converting\n";
    });
    watch.start(20);
    auto* copy = dynamic_cast<TBasicAction*>(m->FindComponent("vlActionExport"));
    if (!copy) {
      std::fprintf(stderr, "no Save a Copy\n");
      verdict = 7;
      Application->Terminate();
      return;
    }
    copy->Execute();
  };
  QTimer::singleShot(100, step);
  const int code = QuilloryMain(one, args);
  SetInteractionHook(nullptr);
  return code != 0 ? 10 + code : verdict;
}

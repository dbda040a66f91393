// The program's own entry, for the single-instance tests.
//
//   startup_second_instance
//       a later start: finds the test's instance running and hands "restore"
//       to it. Any box it would show is answered Cancel and its caption
//       printed ("box <caption>").
//   startup_second_instance first <program folder> <documents folder> <log>
//       a first start on a new database folder: the first start's question
//       is held open (its event loop running, as a real box's would) until
//       the file <log>.go appears, then answered OK. Logs "question
//       splash=<0|1>" (whether the splash is up meanwhile),
//       "answered pending=<0|1>", each other box as "box <caption>", and
//       once the main window runs "running pending=<0|1> shown=<0|1>"; then
//       the program ends.
//   startup_second_instance hold <program folder> <documents folder> <log>
//       a start on that documents folder (the first start's question
//       answered OK) that runs, minimised, until <log>.go appears. Logs
//       "running <pid>", "restored" when a later start brought it back, and
//       each box as "box <caption>: <text>". A start that ends without
//       running (it handed over, or was refused) logs "ended <exit code>".
//       The wait for a holder that does not answer is cut to 1.5 s.
//   startup_second_instance modal <program folder> <documents folder> <log>
//   startup_second_instance modal <program folder> <documents folder> <log> maximised
//   startup_second_instance modal <program folder> <documents folder> <log> journal
//   startup_second_instance modal <program folder> <documents folder> <log> dialog
//   startup_second_instance modal <program folder> <documents folder> <log> outside
//       as hold, but with Tools > Preferences open (the real modal dialog)
//       when the window manager minimises the main window (xdotool); the
//       main window maximised first, or the journal opened first (its
//       first journal made), or the dialog minimised instead of the main
//       window, or left to be minimised from outside
//       (logs "open <window id>" when it may be). Logs "minimised" once the main
//       window is minimised, "restored" when it is back with the dialog in
//       view, and when <log>.go appears the windows' state as
//       "state main=<normal|maximised|minimised> main-mapped=<0|1>
//       dialog-mapped=<0|1> dialog-active=<0|1>"; then the dialog is closed
//       and the program ends.
#include "app/QYAddJournal.h"
#include "app/QYDatabase.h"
#include "app/QYMain.h"
#include "app/QYPreferences.h"
#include "app/QYStartup.h"

#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"

#include <QApplication>
#include <QGuiApplication>
#include <QProcess>
#include <QWidget>
#include <QWindow>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

// Answers every box OK and writes one line per box to the log file.
class TAnswerAllHook : public TInteractionHook {
public:
  explicit TAnswerAllHook(std::string log) : FLog(std::move(log)) { FPrevious = SetInteractionHook(this); }
  ~TAnswerAllHook() override { SetInteractionHook(FPrevious); }
  int Run(TInteraction& r) override {
    Log("box " + r.Caption + ": " + r.Text);
    return r.Kind == TInteractionKind::MessageBox ? IDOK : mrCancel;
  }
  void Log(const std::string& line) {
    std::ofstream out(FLog, std::ios::app);
    out << line << "\n";
  }

protected:
  std::string FLog;
  TInteractionHook* FPrevious = nullptr;
};

// As TAnswerAllHook, but the preferences dialog runs for real.
class TRealPreferencesHook : public TAnswerAllHook {
public:
  using TAnswerAllHook::TAnswerAllHook;
  int Run(TInteraction& r) override {
    if (auto* add = dynamic_cast<TdlgAddJournal*>(r.Form)) {
      add->eJournalName->SetText("Caf\xC3\xA9 Diary");
      return mrOk;
    }
    if (!r.Form || r.Form != dlgPreferences) return TAnswerAllHook::Run(r);
    // The dialogs of the toolkit for as long as it runs.
    TInteractionHook* self = SetInteractionHook(FPrevious);
    const int answer = InteractionHook().Run(r);
    SetInteractionHook(self);
    return answer;
  }
};

// Whether the window server shows the form's window (an iconified window
// is unmapped).
bool Mapped(const TCustomForm* f) {
  QWidget* w = f ? WindowWidgetOf(f) : nullptr;
  return w && w->isVisible() && w->windowHandle() && w->windowHandle()->isExposed();
}

bool Active(const TCustomForm* f) {
  QWidget* w = f ? WindowWidgetOf(f) : nullptr;
  return w && w->windowHandle() && QGuiApplication::focusWindow() == w->windowHandle();
}

// The first start holds its first question until the test lets it go.
class TLoggingHook : public TAnswerAllHook {
public:
  using TAnswerAllHook::TAnswerAllHook;

  int Run(TInteraction& r) override {
    if (r.Kind == TInteractionKind::MessageBox && r.Caption == "CREATING NEW QUILLORY DATABASE") {
      bool splash = false;
      for (int i = 0; i < Screen->FormCount(); ++i)
        splash = splash || (Screen->Forms(i)->GetName() == "Splash" && Screen->Forms(i)->GetVisible());
      Log(std::string("question splash=") + (splash ? "1" : "0"));
      for (int i = 0; i < 6000 && !std::filesystem::exists(FLog + ".go"); ++i) {
        Application->ProcessMessages();
        QThread::msleep(10);
      }
      Log(std::string("answered pending=") + (InstanceRestorePending() ? "1" : "0"));
      return IDOK;
    }
    // The one other question of a first start.
    if (r.Kind == TInteractionKind::MessageBox && r.Caption == "Quillory Start-Up") return IDNO;
    Log("box " + r.Caption);
    return r.Kind == TInteractionKind::MessageBox ? IDOK : mrCancel;
  }
};

int FirstStart(int argc, char** argv) {
  TLoggingHook hook(argv[4]);
  TDatabaseFolders folders = SystemDatabaseFolders();
  folders.ProgramDir = argv[2];
  folders.DocumentsDir = argv[3];
  CompleteDatabaseFolders(folders);
  SetMainWindowDatabaseFolders(folders);
  // Once the message loop runs with the main window shown, report and end.
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (!formQuilloryMain || !formQuilloryMain->GetVisible() || !Application->MainForm) return;
    hook.Log(std::string("running pending=") + (InstanceRestorePending() ? "1" : "0") +
             " shown=" + (formQuilloryMain->GetWindowState() != wsMinimized ? "1" : "0"));
    watch.stop();
    Application->Terminate();
  });
  watch.start(50);
  return QuilloryMain(argc, argv);
}

int HoldStart(int argc, char** argv) {
  TAnswerAllHook hook(argv[4]);
  const std::string go = std::string(argv[4]) + ".go";
  TDatabaseFolders folders = SystemDatabaseFolders();
  folders.ProgramDir = argv[2];
  folders.DocumentsDir = argv[3];
  CompleteDatabaseFolders(folders);
  SetMainWindowDatabaseFolders(folders);
  DatabaseLockWaitMs = 1500;
  bool minimised = false, restored = false;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (!formQuilloryMain || !formQuilloryMain->GetVisible() || !Application->MainForm) return;
    if (!minimised) {
      formQuilloryMain->SetWindowState(wsMinimized);
      minimised = true;
      hook.Log("running " + std::to_string(::getpid()));
    } else if (!restored && formQuilloryMain->GetWindowState() != wsMinimized) {
      restored = true;
      hook.Log("restored");
    }
    if (std::filesystem::exists(go)) {
      watch.stop();
      Application->Terminate();
    }
  });
  watch.start(50);
  const int code = QuilloryMain(argc, argv);
  if (!minimised) hook.Log("ended " + std::to_string(code));
  return code;
}

int ModalStart(int argc, char** argv) {
  TRealPreferencesHook hook(argv[4]);
  const std::string how = argc >= 6 ? argv[5] : "";
  const bool outside = how == "outside";
  const std::string go = std::string(argv[4]) + ".go";
  TDatabaseFolders folders = SystemDatabaseFolders();
  folders.ProgramDir = argv[2];
  folders.DocumentsDir = argv[3];
  CompleteDatabaseFolders(folders);
  SetMainWindowDatabaseFolders(folders);
  enum { stStarting, stOpening, stOpen, stMinimised, stRestored, stEnding } step = stStarting;
  int settled = 0;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    TformQuilloryMain* main = formQuilloryMain;
    if (!main || !main->GetVisible() || !Application->MainForm || !dlgPreferences) return;
    switch (step) {
      case stStarting:
        if (how == "maximised") main->SetWindowState(wsMaximized);
        if (how == "journal") main->pbOpenQuilloryClick(main);
        // Tools > Preferences: its modal loop runs inside this call.
        step = stOpening;
        QTimer::singleShot(0, [main] { ActionPreferencesExecute(main); });
        break;
      case stOpening:
        // Settled in view first, as a user would see it before minimising.
        if (Mapped(main) && Mapped(dlgPreferences) && ++settled > 5) {
          step = stOpen;
          // Minimised by the window manager, as its title bar button does:
          // the program is not asked and learns of it afterwards.
          const QString id =
              QString::number(WindowWidgetOf(how == "dialog" ? static_cast<TCustomForm*>(dlgPreferences) : main)->winId());
          hook.Log("open " + id.toStdString());
          if (!outside && QProcess::execute("xdotool", {"windowminimize", id}) != 0)
            main->SetWindowState(wsMinimized);
        }
        break;
      case stOpen:
        if ((how == "dialog" || main->GetWindowState() == wsMinimized) && !Mapped(main) && !Mapped(dlgPreferences)) {
          step = stMinimised;
          hook.Log("minimised");
        }
        break;
      case stMinimised:
        if (main->GetWindowState() != wsMinimized && Mapped(main) && Mapped(dlgPreferences) &&
            Active(dlgPreferences)) {
          step = stRestored;
          hook.Log("restored");
        }
        break;
      default: break;
    }
    if (step != stEnding && std::filesystem::exists(go)) {
      step = stEnding;
      const TWindowState state = main->GetWindowState();
      hook.Log(std::string("state main=") +
               (state == wsMinimized ? "minimised" : state == wsMaximized ? "maximised" : "normal") +
               " main-mapped=" + (Mapped(main) ? "1" : "0") + " dialog-mapped=" +
               (Mapped(dlgPreferences) ? "1" : "0") + " dialog-active=" + (Active(dlgPreferences) ? "1" : "0"));
      watch.stop();
      dlgPreferences->ModalResult = mrCancel;
      QTimer::singleShot(0, [] { Application->Terminate(); });
    }
  });
  watch.start(50);
  return QuilloryMain(argc, argv);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication toolkit(argc, argv);
  if (argc >= 5 && std::string(argv[1]) == "modal") return ModalStart(argc, argv);
  if (argc >= 5 && std::string(argv[1]) == "first") return FirstStart(argc, argv);
  if (argc >= 5 && std::string(argv[1]) == "hold") return HoldStart(argc, argv);
  TInteractionScript script;
  int code = QuilloryMain(argc, argv);
  for (const TInteraction& r : script.Shown) std::printf("box %s\n", r.Caption.c_str());
  return code;
}

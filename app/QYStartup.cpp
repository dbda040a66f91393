#include "app/QYStartup.h"

#include "app/QYErrorDisplay.h"

#include <exception>

std::function<void(const String& step, bool begins)> ShutdownStepTimed;

int RunShutdownSteps(const std::vector<TShutdownStep>& steps,
                     const std::function<void(const String&)>& showStatus) {
  int failures = 0;
  for (const TShutdownStep& step : steps) {
    String name = step.FailureText;
    if (name.rfind("Problem ", 0) == 0) name.erase(0, 8);
    if (ShutdownStepTimed) ShutdownStepTimed(name, true);
    try {
      if (!step.Status.empty() && showStatus) showStatus(step.Status);
      if (step.Run) step.Run();
    } catch (const std::exception& e) {
      ++failures;
      ShowErrorDisplay(step.FailureText, e);
    } catch (...) {
      ++failures;
      ShowErrorDisplay(step.FailureText, "unknown error", "Exception");
    }
    if (ShutdownStepTimed) ShutdownStepTimed(name, false);
  }
  return failures;
}

TAppHooks& AppHooks() {
  static TAppHooks hooks;
  return hooks;
}

void SaveCurrentEntryHook(int saveMode) {
  if (AppHooks().SaveCurrentEntry) AppHooks().SaveCurrentEntry(saveMode);
}

void UnloadJournalsHook() {
  if (AppHooks().UnloadJournals) AppHooks().UnloadJournals();
}

void LoadJournalsHook() {
  if (AppHooks().LoadJournals) AppHooks().LoadJournals();
}

bool JournalsLoadedHook() { return AppHooks().JournalsLoaded && AppHooks().JournalsLoaded(); }

void SaveToolBarLayoutHook(const String& fileName) {
  if (AppHooks().SaveToolBarLayout) AppHooks().SaveToolBarLayout(fileName);
}

void LoadToolBarLayoutHook(const String& fileName) {
  if (AppHooks().LoadToolBarLayout) AppHooks().LoadToolBarLayout(fileName);
}

// ---------------------------------------------------------------------------
// The main block.

#include "app/QYAbout.h"
#include "app/QYActivity.h"
#include "app/QYAddJournal.h"
#include "app/QYDataModule.h"
#include "app/QYDatabase.h"
#include "app/QYJournals.h"
#include "app/QYGlobalFind.h"
#include "app/QYMain.h"
#include "app/QYPassword.h"
#include "app/QYPreferences.h"
#include "app/QYPrintPreview.h"
#include "app/QYRecordSelection.h"
#include "app/QYSplash.h"

#include "platform/gui/Forms.h"
#include "platform/gui/SessionEnd.h"
#include "platform/os/Semaphores.h"
#include "platform/os/SingleInstance.h"

#include <algorithm>
#include <cstdio>
#include <memory>

const char* const SingleInstanceName = "quillory";

namespace {
bool GStartupWindowsReady = false;
bool GRestorePending = false;
}  // namespace

void HandleInstanceMessage(const String& message) {
  if (message != "restore") return;
  // Before the windows exist there is nothing to restore, and the main
  // window may be half made (its creation asks the first start's question).
  if (!GStartupWindowsReady) {
    GRestorePending = true;
    return;
  }
  RestoreRunningInstance();
}

void SetStartupWindowsReady(bool ready) {
  GStartupWindowsReady = ready;
  if (ready && GRestorePending) {
    GRestorePending = false;
    RestoreRunningInstance();
  }
}

bool InstanceRestorePending() { return GRestorePending; }

TSingleInstance::TRole StartSingleInstance(TSingleInstance& instance) {
  instance.OnMessage = HandleInstanceMessage;
  return instance.Start("restore");
}

bool CreateStartupWindows() {
  Application->ShowMainForm = true;
  Application->SetTitle("Quillory");
  Application->HelpFile = "Quillory.hlp";
  TformQuilloryMain* main = Application->CreateForm<TformQuilloryMain>();
  if (main->SetUpCancelled) return false;
  Application->CreateForm<TdlgAddJournal>();
  new TJournalDataModule(Application);
  Application->CreateForm<TChangePasswordDlg>();
  Application->CreateForm<TPasswordDlg>();
  Application->CreateForm<TdlgPreferences>();
  Application->CreateForm<TdlgAboutBox>();
  Application->CreateForm<TfGlobalFind>();
  Application->CreateForm<TFormPrintPreview>();
  Application->CreateForm<TFormPrintJournalLoadProgress>();
  Application->CreateForm<TDlgRecordSelection>();
  Application->CreateForm<TActivityDisplayWindow>();
  return true;
}

int QuilloryMain(int argc, char** argv) {
  (void)argc;
  (void)argv;
  // The toolkit first: the hand-over to a running instance talks over a
  // local socket.
  Application->Initialize();
  RegisterDocumentFormats();
  RegisterJournalHooks();
  TSingleInstance instance(SingleInstanceName);
  switch (StartSingleInstance(instance)) {
    case TSingleInstance::siSecondary: return 0;
    case TSingleInstance::siFailed:
      // The running instance holds the lock but does not answer (or no lock
      // can be made): running beside it would put two programs on one
      // database.
      MessageBox("Quillory cannot start.\r\n\r\n" + instance.FailureText(), "Quillory",
                 MB_OK | MB_ICONERROR);
      return 1;
    case TSingleInstance::siPrimary: break;
  }
  // Guards the database set-up and the loading of the settings.
  const std::shared_ptr<TNamedSemaphore> dbSemaphore = DBSemaphore();
  // A later start on the same journal from another runtime folder finds
  // this program through the database folder's lock.
  if (instance.IsListening()) DatabaseLockContact = instance.SocketPath();

  auto splash = std::make_unique<TSplash>(Application);
  splash->Show();
  splash->Repaint();
  Application->ProcessMessagesExcludingInput();
  DatabaseLockWaitNotice = [&splash](const String& text) {
    String line = text;
    std::replace(line.begin(), line.end(), '\n', ' ');
    std::fprintf(stderr, "Quillory: %s\n", line.c_str());
    if (!splash) return;
    splash->SetStatusText(text);
    Application->ProcessMessagesExcludingInput();
  };
  struct TNoticeEnd {
    ~TNoticeEnd() { DatabaseLockWaitNotice = nullptr; }
  } noticeEnd;
  // Boxes of the start-up (the first start's question, a failed copy) are
  // never hidden behind the splash.
  auto guard = std::make_unique<TSplashInteractionGuard>(splash.get());

  // A failure while the windows are made (the database engine, the alias,
  // an unreadable styles file) is shown, and the program ends.
  try {
    if (!CreateStartupWindows()) {
      guard.reset();
      splash.reset();
      Application->DestroyComponents();
      return 0;
    }
  } catch (const Exception& e) {
    guard.reset();
    splash.reset();
    Application->ShowException(e);
    Application->DestroyComponents();
    return 1;
  } catch (const std::exception& e) {
    guard.reset();
    splash.reset();
    Application->ShowException(Exception(e.what()));
    Application->DestroyComponents();
    return 1;
  }

  guard.reset();
  splash->Hide();
  splash.reset();
  // Logout, shutdown and kill end the program as Exit does: every open
  // entry and the settings are saved first.
  TSessionEndWatch sessionEnd;
  sessionEnd.OnSessionEnd = [](int) {
    if (formQuilloryMain && !formQuilloryMain->Closing) formQuilloryMain->RunExitSequence();
    else Application->Terminate();
  };
  if (!sessionEnd.Start()) std::fprintf(stderr, "Quillory: no handler for the end of the session\n");
  SetStartupWindowsReady(true);
  Application->Run();
  SetStartupWindowsReady(false);
  // The database engine closes; the single-instance lock and the semaphore
  // are released as this block ends.
  QuillorySession().CloseIdleConnections();
  return 0;
}

// The timer's countdowns, automatic save, hide and lock, and automatic saves
// that survive the program being killed at any moment.
#include "support/ChildProcess.h"
#include "JournalTestSupport.h"

#include "app/QYAutoSave.h"
#include "app/QYGlobalFind.h"
#include "platform/base/DateTime.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Mouse.h"

#include <QCursor>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using qytest::TJournalWorld;

constexpr double Minute = 1.0 / (24.0 * 60.0);

// A moment a little past the given minutes, clear of rounding.
TDateTime At(TDateTime t0, double minutes) { return t0 + (minutes + 0.01) * Minute; }

struct TTimerWorld : TJournalWorld {
  TTimerWorld() {
    auto& w = AutoTimerWindows();
    w.OpenScreen = [this] { return OpenShown; };
    w.SwitchToCover = [this] { OpenShown = false; ++Covers; };
    w.Minimize = [this] { ++Minimized; };
    w.CloseFind = nullptr;
    w.StatusPanel = [this](int panel, const String& text) {
      if (panel == 2) State = text;
    };
    TimerPaused = false;
  }
  ~TTimerWorld() { AutoTimerWindows() = TAutoTimerWindows(); }
  bool OpenShown = true;
  int Covers = 0, Minimized = 0;
  String State;
};

TEST(AutoSave, CountdownsFollowTheIntervalsAndTheSaveFires) {
  TTimerWorld w;
  ProfileSettings.AutoSaveInterval = 1;
  ProfileSettings.AutoHideOn = true;
  ProfileSettings.AutoHideInterval = 5;
  ProfileSettings.AutoLockOn = true;
  ProfileSettings.AutoLockInterval = 10;
  TOpenJournal* j = w.Open("Diary", 0);
  const TDateTime t0 = Now();
  LastSaveTime = t0;
  LastActivityTime = t0;
  // Unmodified: no save part.
  EXPECT_EQ(AutomaticSaveTimerTimer(At(t0, 0.5)), "hide:5 m  lock:10 m  ");
  TJournalWorld::Type(j, "words");
  // Three minutes after the last save with an interval of 1: saved at once,
  // and so nothing left to count down to.
  EXPECT_EQ(AutomaticSaveTimerTimer(At(t0, 3)), "hide:2 m  lock:7 m  ");
  EXPECT_EQ(EntryStateWord, "auto saved");
  EXPECT_EQ(w.Count("SELECT count(*) FROM Quillory"), 1);
  EXPECT_FALSE(j->Document->Modified);
  EXPECT_EQ(AutomaticSaveTimerTimer(At(t0, 3.2)), "hide:2 m  lock:7 m  ");

  // A pause changes nothing, however long; the resume restarts the idle time.
  PauseTimer();
  TJournalWorld::Type(j, "more");
  EXPECT_EQ(AutomaticSaveTimerTimer(At(t0, 60)), "");
  EXPECT_TRUE(j->Document->Modified);
  EXPECT_EQ(w.Covers, 0);
  ResumeTimer();
  EXPECT_FALSE(TimerPaused);
  EXPECT_LT(WholeMinutes(LastActivityTime, Now()), 1);
}

// The first entry of a new journal is a blank day: its save minutes count
// from its load, as for a stored entry, not from the start of the calendar.
TEST(AutoSave, ABlankDayCountsItsSaveMinutesFromItsLoad) {
  TTimerWorld w;
  ProfileSettings.AutoSaveInterval = 2;
  ProfileSettings.AutoHideOn = ProfileSettings.AutoLockOn = false;
  LastSaveTime = 0;
  TOpenJournal* j = w.Open("Diary", 0);
  const TDateTime t0 = Now();
  TJournalWorld::Type(j, "first words");
  EXPECT_EQ(AutomaticSaveTimerTimer(At(t0, 0.5)), "save:2 m  ");
  EXPECT_TRUE(j->Document->Modified);
  EXPECT_EQ(AutomaticSaveTimerTimer(At(t0, 2)), "");
  EXPECT_FALSE(j->Document->Modified);
}

TEST(AutoSave, IdleUserSeesTheCoverAfterHideAndIsLockedAfterLock) {
  TTimerWorld w;
  ProfileSettings.AutoHideOn = true;
  ProfileSettings.AutoHideInterval = 5;
  ProfileSettings.AutoHideMinimize = true;
  ProfileSettings.AutoLockOn = true;
  ProfileSettings.AutoLockInterval = 10;
  QuillorySession().AddPassword("Pass;Word");
  TOpenJournal* j = w.Open("Diary", 0);
  TJournalWorld::Type(j, "unsaved when hidden");
  const TDateTime t0 = Now();
  LastActivityTime = t0;
  LastSaveTime = t0;
  AutomaticSaveTimerTimer(At(t0, 4.9));
  EXPECT_EQ(w.Covers, 0);
  AutomaticSaveTimerTimer(At(t0, 5));
  EXPECT_EQ(w.Covers, 1);
  EXPECT_EQ(w.Minimized, 1);
  EXPECT_EQ(w.State, "autohide");
  EXPECT_TRUE(JournalsLoaded);
  EXPECT_EQ(w.Count("SELECT count(*) FROM Quillory"), 1);
  // The cover is shown; only the lock still counts down.
  EXPECT_EQ(AutomaticSaveTimerTimer(At(t0, 9)), "lock:1 m  ");
  AutomaticSaveTimerTimer(At(t0, 10));
  EXPECT_EQ(w.State, "autolock");
  EXPECT_FALSE(JournalsLoaded);
  EXPECT_EQ(CurrentJournal, nullptr);
  EXPECT_FALSE(QuillorySession().HasPassword("Pass;Word"));
  // Nothing open: the countdowns are gone.
  EXPECT_EQ(AutomaticSaveTimerTimer(At(t0, 11)), "");
}

TEST(AutoSave, LockCommandSavesUnloadsAndForgetsThePassword) {
  TTimerWorld w;
  ProfileSettings.AutoLockMinimize = false;
  QuillorySession().AddPassword("Pass;Word");
  TOpenJournal* j = w.Open("Diary", 0);
  TJournalWorld::Type(j, "locked away");
  LockJournal(false);
  EXPECT_EQ(w.Count("SELECT count(*) FROM Quillory"), 1);
  EXPECT_FALSE(JournalsLoaded);
  EXPECT_FALSE(QuillorySession().HasPassword("Pass;Word"));
  EXPECT_EQ(w.Covers, 1);
  EXPECT_EQ(w.Minimized, 0);
  EXPECT_EQ(w.State, "");
}

// A lock closes the journals: one whose entry cannot be saved stays open
// with what was typed, by command and by timer, until the save goes through.
TEST(AutoSave, LockThatCannotSaveLeavesTheJournalOpen) {
  for (const bool automatic : {false, true}) {
    SCOPED_TRACE(automatic ? "timer" : "command");
    TTimerWorld w;
    ProfileSettings.AutoLockMinimize = false;
    QuillorySession().AddPassword("Pass;Word");
    TOpenJournal* j = w.Open("Diary", 0);
    TJournalWorld::Type(j, "typed before the lock");
    w.Exec("CREATE TRIGGER Injected BEFORE INSERT ON QUILLORY"
           " WHEN (SELECT count(*) FROM Journals WHERE JournalName = 'Fail') > 0"
           " BEGIN SELECT RAISE(ABORT, 'injected'); END");
    w.Exec("INSERT INTO Journals (JournalID, JournalName) VALUES (999, 'Fail')");
    TInteractionScript script;
    script.Answer(IDOK).Answer(IDOK);
    LockJournal(automatic);
    EXPECT_TRUE(JournalsLoaded);
    EXPECT_EQ(CurrentJournal, j);
    EXPECT_TRUE(j->Document->Modified);
    EXPECT_NE(j->Document->Text().find("typed before the lock"), String::npos);
    EXPECT_TRUE(QuillorySession().HasPassword("Pass;Word"));
    EXPECT_EQ(w.Covers, 0);
    // The database error, and for the command the refusal.
    EXPECT_EQ(script.Shown.size(), automatic ? 1u : 2u);

    w.Exec("DELETE FROM Journals WHERE JournalID = 999");
    LockJournal(automatic);
    EXPECT_FALSE(JournalsLoaded);
    EXPECT_EQ(w.Count("SELECT count(*) FROM Quillory"), 1);
    EXPECT_EQ(w.Covers, 1);
  }
}

std::vector<int> Reported(const std::filesystem::path& report) {
  std::vector<int> cycles;
  std::ifstream in(report);
  for (int n; in >> n;) cycles.push_back(n);
  return cycles;
}

// The program is killed at random moments while it saves one cycle after
// another; every cycle it reported saved is in the entry afterwards, and the
// file passes its check. QY_KILL_RUNS sets the number of kills (default 12).
TEST(AutoSave, KilledProgramLosesNoReportedSaveAndLeavesASoundFile) {
  // The clock of the helper's runs (tests/app/helper/AutoSaveCycles.cpp):
  // each run and this test's reading meet in one entry, also across midnight.
  TFixedClock clock(0);
  clock.SetLocal(EncodeDateTime(2025, 6, 14, 12, 0, 0, 0));
  TJournalWorld w;
  const String password = "Kill;Pass_123";
  w.AddJournal("Diary", 0);
  RestructureTablePassword("", password, "QUILLORY");
  QuillorySession().AddPassword(password);
  CloseDatabaseFiles();
  const auto helper = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "autosave_cycles";
  const auto report = w.Root / "report.txt";
  const int cycles = 200;
  const char* runsEnv = std::getenv("QY_KILL_RUNS");
  const int kills = runsEnv ? std::atoi(runsEnv) : 12;
  std::mt19937 random(20261207);
  for (int run = 0; run <= kills; ++run) {
    const bool finish = run == kills;
    const int status = qytest::RunChild(
        {helper.string(), w.DataDir(), password, report.string(), std::to_string(cycles)},
        finish ? std::nullopt : std::optional<unsigned>(std::uniform_int_distribution<int>(30000, 400000)(random)));
    if (finish) {
      ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    // After each kill: the file is sound and holds every reported cycle.
    QuillorySession().CloseIdleConnections();
    RegenerateTableIndexes("QUILLORY");
    const std::vector<int> saved = Reported(report);
    TOpenJournal* j = FindOrOpenJournal(1);
    ASSERT_NE(j, nullptr);
    const String text = j->Document->Text() + "\n";
    for (size_t k = 0; k < saved.size(); ++k) {
      ASSERT_EQ(saved[k], static_cast<int>(k) + 1);
      ASSERT_NE(text.find("cycle " + std::to_string(saved[k]) + "\n"), String::npos)
          << "run " << run << " lost cycle " << saved[k];
    }
    CloseJournal(j);
    FreeEntryStatements();
    CloseDatabaseFiles();
  }
  EXPECT_EQ(Reported(report).size(), static_cast<size_t>(cycles));
}


// What holds the timer back: a modal dialog holds all of it, the find
// window the save; a pointer that did not move is no activity.
TEST(AutoSave, DialogsPauseTheTimerAndTheFindWindowTheSave) {
  TTimerWorld w;
  ProfileSettings.AutoSaveInterval = 1;
  ProfileSettings.AutoHideOn = true;
  ProfileSettings.AutoHideInterval = 5;
  ProfileSettings.AutoLockOn = false;
  TOpenJournal* j = w.Open("Diary", 0);
  const TDateTime t0 = Now();
  LastSaveTime = LastActivityTime = t0;
  TJournalWorld::Type(j, "in the middle of a change");

  // A formatting dialog is up: nothing saves, nothing hides.
  TForm dialog(nullptr);
  TInteractionScript script;
  String inside = "not run";
  script.Do([&](TInteraction&) {
    inside = AutomaticSaveTimerTimer(At(t0, 30));
    return static_cast<int>(mrCancel);
  });
  dialog.ShowModal();
  EXPECT_EQ(inside, "");
  EXPECT_TRUE(j->Document->Modified);
  EXPECT_EQ(w.Covers, 0);

  // The find window is up: the entry is not saved under it; hiding goes on.
  TfGlobalFind find(nullptr);
  find.Show();
  EXPECT_EQ(AutomaticSaveTimerTimer(At(t0, 3)), "hide:2 m  ");
  EXPECT_TRUE(j->Document->Modified);
  find.Hide();
  EXPECT_EQ(AutomaticSaveTimerTimer(At(t0, 3)), "hide:2 m  ");
  EXPECT_FALSE(j->Document->Modified);
}

TEST(AutoSave, APointerThatDidNotMoveIsNoActivity) {
  TTimerWorld w;
  const TDateTime before = Now() - 5 * Minute;
  PointerActivity();
  LastActivityTime = before;
  // The cover appearing under the resting pointer sends moves.
  for (int i = 0; i < 3; ++i) PointerActivity();
  EXPECT_EQ(LastActivityTime, before);
  QCursor::setPos(GetCursorPos().X + 7, GetCursorPos().Y + 5);
  if (GetCursorPos().X == -1) GTEST_SKIP() << "no pointer to move here";
  PointerActivity();
  EXPECT_GT(LastActivityTime, before);
}

}  // namespace

// The main window: first start, cover mode, the saved position, the exit
// sequence with failing steps, the error handler and the restore command.
#include "DatabaseTestSupport.h"

#include "app/QYMain.h"
#include "app/QYStartup.h"

#include "platform/gui/ControlImage.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Graphics.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace {

class MainWindowTest : public testing::Test {
protected:
  void SetUp() override {
    SetMainWindowDatabaseFolders(World.Folders);
    AppHooks() = {};
    AppHooks().UnloadJournals = [this] { ++Unloaded; };
  }
  void TearDown() override {
    delete Main;
    Application->MainForm = nullptr;
    Application->OnException = nullptr;
    SetMainWindowDatabaseFolders(std::nullopt);
    AppHooks() = {};
  }
  // Creates the main window as the program does; the first start's question
  // about the new database folder is answered with OK.
  TformQuilloryMain* Create() {
    TInteractionScript script;
    script.Answer(IDOK);
    Main = Application->CreateForm<TformQuilloryMain>();
    Shown = script.Shown;
    return Main;
  }
  Integer Key(const char* key) { return GetProfileInteger(key, -12345); }

  qytest::TDatabaseWorld World;
  TformQuilloryMain* Main = nullptr;
  std::vector<TInteraction> Shown;
  int Unloaded = 0;
};

TEST_F(MainWindowTest, FirstStartMakesTheDatabaseAndShowsTheCover) {
  Create();
  ASSERT_FALSE(Main->SetUpCancelled);
  // The new database, then whether to start at log-in (asked once).
  ASSERT_EQ(Shown.size(), 2u);
  EXPECT_EQ(Shown[0].Caption, "CREATING NEW QUILLORY DATABASE");
  EXPECT_EQ(Shown[1].Caption, "Quillory Start-Up");
  EXPECT_TRUE(DirectoryExists(World.DataDir()));
  EXPECT_TRUE(FileExists(World.DataDir() + "/QYStyle.ini"));
  EXPECT_EQ(StyleFilePath, World.DataDir() + "/QYStyle.ini");
  EXPECT_EQ(ToolBarFilePath, World.DataDir() + "/ToolBar.cfg");
  EXPECT_EQ(Main->GetCaption(), "QUILLORY");
  EXPECT_EQ(ProfileSettings.LogonName, "alice");

  // Cover mode: the cover and its buttons, no status bar or tool bars.
  EXPECT_EQ(ScreenMode, smCover);
  EXPECT_TRUE(Main->pCoverBitmap->GetVisible());
  EXPECT_TRUE(Main->pbOpenQuillory->GetVisible());
  EXPECT_FALSE(Main->StatusBar->GetVisible());
  EXPECT_FALSE(Main->ControlBar->GetVisible());
  EXPECT_EQ(Main->pbOpenQuillory->GetCaption(), "&Open Quillory");

  // Six panels; the owner text in panel 4.
  ASSERT_EQ(Main->StatusBar->Panels().Count(), 6);
  EXPECT_EQ(Main->StatusText(spOwner), "Journal of alice");
  // No word before anything happened.
  EXPECT_EQ(Main->StatusText(spState), "");
  EXPECT_EQ(Main->StatusText(spCountdown), "");
  // The design widths, wider where the bar's font needs it.
  const int widths[] = {40, 40, 200, 200, 300, 50};
  for (int i = 0; i < 6; ++i) EXPECT_GE(Main->StatusBar->Panels()[i]->GetWidth(), widths[i]);
  EXPECT_EQ(Main->StatusBar->Panels()[0]->GetWidth(), 40);

  // Switching modes shows the open screen's bars and hides the cover.
  Main->SetScreenMode(smOpen);
  EXPECT_TRUE(Main->StatusBar->GetVisible());
  EXPECT_FALSE(Main->pCoverBitmap->GetVisible());
  Main->SetScreenMode(smOpen);  // the same mode again changes nothing
  EXPECT_TRUE(Main->StatusBar->GetVisible());
  Main->SetScreenMode(smCover);
  EXPECT_TRUE(Main->pCoverBitmap->GetVisible());
}

TEST_F(MainWindowTest, CancellingTheNewDatabaseEndsTheStart) {
  TInteractionScript script;
  script.Answer(IDCANCEL);
  Main = Application->CreateForm<TformQuilloryMain>();
  EXPECT_TRUE(Main->SetUpCancelled);
  EXPECT_FALSE(DirectoryExists(World.DataDir()));
}

TEST_F(MainWindowTest, JournalOwnerTextFollowsTheSettings) {
  Create();
  struct Case {
    String userName;
    bool display;
    String text;
  };
  const Case cases[] = {{"Anne Shirley", true, "Journal of Anne Shirley"},
                        {"Anne Shirley", false, "Journal of alice"},
                        {"", true, "Journal of alice"}};
  for (const Case& c : cases) {
    ProfileSettings.UserName = c.userName;
    ProfileSettings.DisplayUserName = c.display;
    EXPECT_EQ(JournalOwnerText(), c.text);
  }
}

TEST_F(MainWindowTest, SavedPositionIsRestoredOnScreen) {
  World.SetUp();
  const TRect screen = Screen->WorkAreaRect();
  struct Case {
    const char* what;
    bool save;
    Integer x, y, w, h;
    TRect expected;  // left, top, width, height
  };
  const Case cases[] = {
      {"inside", true, screen.Left + 10, screen.Top + 20, 300, 200, Rect(screen.Left + 10, screen.Top + 20, 300, 200)},
      {"off to the right", true, screen.Right + 2000, screen.Top + 5, 300, 200,
       Rect(screen.Right - 300, screen.Top + 5, 300, 200)},
      {"above and left", true, screen.Left - 4000, screen.Top - 4000, 300, 200,
       Rect(screen.Left, screen.Top, 300, 200)},
      {"larger than the screen", true, 50, 50, screen.Width() + 400, screen.Height() + 300,
       Rect(screen.Left, screen.Top, screen.Width(), screen.Height())},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetProfileValue("SaveWindowPositions", pvBoolean, c.save);
    SetProfileValue("QY_Pos.X", pvInteger, Int64(c.x));
    SetProfileValue("QY_Pos.Y", pvInteger, Int64(c.y));
    SetProfileValue("QY_Pos.W", pvInteger, Int64(c.w));
    SetProfileValue("QY_Pos.H", pvInteger, Int64(c.h));
    SetProfileValue("QY_Pos.State", pvEnumeration, Int64(wsNormal));
    Create();
    Main->RestoreWindowPosition();
    EXPECT_EQ(Main->GetLeft(), c.expected.Left);
    EXPECT_EQ(Main->GetTop(), c.expected.Top);
    EXPECT_EQ(Main->GetWidth(), c.expected.Right);
    EXPECT_EQ(Main->GetHeight(), c.expected.Bottom);
    delete Main;
    Main = nullptr;
    Application->MainForm = nullptr;
  }
  // With the setting off nothing is read: the form keeps its own bounds.
  SetProfileValue("SaveWindowPositions", pvBoolean, false);
  SetProfileValue("QY_Pos.X", pvInteger, Int64(screen.Left + 33));
  Create();
  Main->SetBounds(screen.Left + 5, screen.Top + 6, 320, 240);
  const TRect before = Main->BoundsRect();
  Main->RestoreWindowPosition();
  EXPECT_EQ(Main->BoundsRect(), before);
}

// From the start the backup command says where it backs up to: the folder
// of the settings, or the default one beside the database folder.
TEST_F(MainWindowTest, TheBackupCommandNamesItsFolderFromTheStart) {
  World.SetUp();
  const struct {
    const char* What;
    String Stored;  // empty: nothing stored
  } cases[] = {{"default", ""}, {"chosen", "/media/stick/Journal Backups"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    if (!c.Stored.empty()) SetProfileValue("BackupRestoreLocation", pvString, c.Stored);
    Create();
    const String folder = c.Stored.empty() ? World.DataDir() + " Backup" : c.Stored;
    EXPECT_EQ(Main->ActionBackup->GetHint(), "backup database to " + folder);
    delete Main;
    Main = nullptr;
    Application->MainForm = nullptr;
  }
}

TEST_F(MainWindowTest, RestoredWindowKeepsItsWholeFrameOnTheScreen) {
  World.SetUp();
  const TRect screen = Screen->WorkAreaRect();
  SetProfileValue("SaveWindowPositions", pvBoolean, true);
  SetProfileValue("QY_Pos.X", pvInteger, Int64(screen.Left));
  SetProfileValue("QY_Pos.Y", pvInteger, Int64(screen.Top));
  SetProfileValue("QY_Pos.W", pvInteger, Int64(screen.Width() + 300));
  SetProfileValue("QY_Pos.H", pvInteger, Int64(screen.Height() + 200));
  SetProfileValue("QY_Pos.State", pvEnumeration, Int64(wsNormal));
  Create();
  auto frameInside = [&](const char* when) {
    SCOPED_TRACE(when);
    const TRect frame = Main->GetFrameMargins();
    ASSERT_NE(frame, TRect());  // a shown window has its frame
    EXPECT_GE(Main->GetLeft() - frame.Left, screen.Left);
    EXPECT_GE(Main->GetTop() - frame.Top, screen.Top);
    EXPECT_LE(Main->GetLeft() + Main->GetWidth() + frame.Right, screen.Right);
    EXPECT_LE(Main->GetTop() + Main->GetHeight() + frame.Bottom, screen.Bottom);
  };
  // Placed before the first showing, when the frame is not known yet.
  Main->Show();
  Application->ProcessMessages();
  frameInside("first showing");
  // Placed again while shown.
  Main->RestoreWindowPosition();
  Application->ProcessMessages();
  frameInside("restored while shown");
}

TEST_F(MainWindowTest, ExitWritesThePositionAndUnloadsTheJournals) {
  Create();
  Main->SetBounds(Screen->WorkAreaLeft() + 12, Screen->WorkAreaTop() + 34, 456, 321);
  std::vector<String> statuses;
  AppHooks().SaveCurrentEntry = [&](int mode) { statuses.push_back("entry " + std::to_string(mode)); };
  TInteractionScript script;
  EXPECT_EQ(Main->RunExitSequence(), 0);
  EXPECT_TRUE(script.Shown.empty());
  EXPECT_TRUE(Main->Closing);
  EXPECT_EQ(statuses, (std::vector<String>{"entry 1"}));
  EXPECT_EQ(Unloaded, 1);
  EXPECT_EQ(Key("QY_Pos.X"), Main->GetLeft());
  EXPECT_EQ(Key("QY_Pos.Y"), Main->GetTop());
  EXPECT_EQ(Key("QY_Pos.W"), 456);
  EXPECT_EQ(Key("QY_Pos.H"), 321);
  EXPECT_EQ(GetProfileString("QY_Pos.State", "?"), "0");
  EXPECT_EQ(Main->StatusText(spState), "BYE! Have a Good Day :)");
  // The settings of the record were written too.
  EXPECT_EQ(GetProfileString("UserName", "?"), ProfileSettings.UserName);
}

TEST_F(MainWindowTest, AFailingExitStepIsShownAndTheOthersStillRun) {
  Create();
  struct Case {
    const char* step;
    std::function<void()> inject;
  };
  const Case cases[] = {
      {"Problem Saving Tool Bar",
       [] { AppHooks().SaveToolBarLayout = [](const String&) { throw EFCreateError("Cannot create file"); }; }},
      {"Problem Saving Current Entry",
       [] { AppHooks().SaveCurrentEntry = [](int) { throw EDatabaseError("entry table is locked"); }; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.step);
    Unloaded = 0;
    SetProfileValue("QY_Pos.W", pvInteger, Int64(1));
    AppHooks().SaveToolBarLayout = nullptr;
    AppHooks().SaveCurrentEntry = nullptr;
    c.inject();
    TInteractionScript script;
    script.Answer(IDOK);
    EXPECT_EQ(Main->RunExitSequence(), 1);
    ASSERT_EQ(script.Shown.size(), 1u);
    EXPECT_EQ(script.Shown[0].Caption, "Error Display");
    EXPECT_EQ(script.Shown[0].Text.rfind(String(c.step) + "\r\r", 0), 0u) << script.Shown[0].Text;
    // Every later step ran: positions written, journals unloaded.
    EXPECT_EQ(Key("QY_Pos.W"), Main->GetWidth());
    EXPECT_EQ(Unloaded, 1);
  }
}

TEST_F(MainWindowTest, AnUncaughtErrorIsShownThenEndsThroughTheExitSequence) {
  Create();
  TInteractionScript script;
  script.Answer(IDOK);
  Application->HandleException(std::make_exception_ptr(EConvertError("'x' is not a valid integer value")));
  ASSERT_GE(script.Shown.size(), 1u);
  EXPECT_NE(script.Shown[0].Text.find("'x' is not a valid integer value"), String::npos);
  EXPECT_TRUE(Main->Closing);
  EXPECT_EQ(Unloaded, 1);  // the entries were saved on the way out
}

TEST_F(MainWindowTest, RestoreMessageBringsTheMinimisedWindowBack) {
  Create();
  Main->Show();
  Main->SetWindowState(wsMinimized);
  Application->ProcessMessages();
  Main->InstanceMessageReceived("something else");
  EXPECT_EQ(Main->GetWindowState(), wsMinimized);
  Main->InstanceMessageReceived("restore");
  Application->ProcessMessages();
  EXPECT_EQ(Main->GetWindowState(), wsNormal);
  EXPECT_TRUE(Main->GetVisible());
}

TEST_F(MainWindowTest, RestoreBeforeTheStartupWindowsExistIsAppliedWhenTheyDo) {
  Create();
  Main->Show();
  Main->SetWindowState(wsMinimized);
  Application->ProcessMessages();
  SetStartupWindowsReady(false);
  HandleInstanceMessage("something else");
  EXPECT_FALSE(InstanceRestorePending());
  HandleInstanceMessage("restore");
  Application->ProcessMessages();
  EXPECT_TRUE(InstanceRestorePending());
  EXPECT_EQ(Main->GetWindowState(), wsMinimized);
  SetStartupWindowsReady(true);
  Application->ProcessMessages();
  EXPECT_FALSE(InstanceRestorePending());
  EXPECT_EQ(Main->GetWindowState(), wsNormal);
  // Once they exist a restore is applied at once.
  Main->SetWindowState(wsMinimized);
  HandleInstanceMessage("restore");
  Application->ProcessMessages();
  EXPECT_EQ(Main->GetWindowState(), wsNormal);
  SetStartupWindowsReady(false);
}

}  // namespace

namespace {

// What a panel shows is never cut off at its edges: the countdowns at their
// widest, the longest state and progress texts, a long owner name.
TEST_F(MainWindowTest, StatusPanelsShowTheirTextsWhole) {
  Create();
  Main->SetBounds(0, 0, 1600, 700);
  Main->SetScreenMode(smOpen);
  ProfileSettings.UserName = "Anne Shirley-Cuthbert of Green Gables, Avonlea";
  ProfileSettings.DisplayUserName = true;
  const struct {
    int Panel;
    String Text;
  } cases[] = {
      {spCountdown, "save:120 m  hide:120 m  lock:120 m  "},
      {spCountdown, "save:-999 m  hide:0 m  lock:-1 m  "},
      {spState, "Saving Window Positions..."},
      {spState, "BYE! Have a Good Day :)"},
      {spState, "tree pointer dead end"},
      {spOwner, JournalOwnerText()},
  };
  TStatusBar* bar = Main->StatusBar;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Text);
    Main->SetStatusText(c.Panel, c.Text);
    TBitmap bmp(bar->GetWidth(), bar->GetHeight());
    PaintControlTo(bar, *bmp.Canvas(), 0, 0, false);
    const TRect r = bar->PanelRect(c.Panel);
    // Ink inside the bevel; text cut off by the panel reaches its margins.
    int first = -1, last = -1;
    for (int x = r.Left + 2; x < r.Right - 2; ++x)
      for (int y = r.Top + 2; y < r.Bottom - 2; ++y)
        if ((bmp.Canvas()->GetPixel(x, y) & 0xFF) < 0x80) {
          if (first < 0) first = x;
          last = x;
          break;
        }
    ASSERT_GE(first, 0);
    EXPECT_GT(first, r.Left + 3);
    EXPECT_LT(last, r.Right - 4);
  }
  // The countdown panel still starts where the design puts it.
  EXPECT_EQ(bar->PanelRect(spCountdown).Left, 40 + 40 + bar->Panels()[spState]->GetWidth());
}

TEST_F(MainWindowTest, LeftColumnShowsTheChosenPartsTopToBottom) {
  Create();
  struct Case {
    bool tree, calendar;
    bool column, splitter;
  };
  const Case cases[] = {{false, false, false, false},
                        {true, false, true, false},
                        {false, true, true, false},
                        {true, true, true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "tree " << c.tree << " calendar " << c.calendar);
    ProfileSettings.ShowEntryTree = c.tree;
    ProfileSettings.ShowMonthCalendar = c.calendar;
    Main->ArrangeLeftColumn();
    EXPECT_EQ(Main->pTreesAndLists->GetVisible(), c.column);
    EXPECT_EQ(Main->sEditorSplitter->GetVisible(), c.column);
    EXPECT_EQ(Main->pEntryTree->GetVisible(), c.tree);
    EXPECT_EQ(Main->pMonthCalendar->GetVisible(), c.calendar);
    EXPECT_EQ(Main->sCalendarSplitter->GetVisible(), c.splitter);
    if (c.tree) {
      EXPECT_EQ(Main->pEntryTree->GetAlign(), alClient);  // the last part fills the rest
    }
    if (c.calendar) {
      EXPECT_EQ(Main->pMonthCalendar->GetAlign(), c.tree ? alTop : alClient);
    }
    if (c.calendar && c.tree) {
      // Above the tree the calendar takes just the height a month needs.
      EXPECT_GE(Main->MonthCalendar->GetHeight(), Main->MonthCalendar->NaturalSize().cy);
      EXPECT_GE(Main->MonthCalendar->GetWidth(), Main->MonthCalendar->NaturalSize().cx);
      EXPECT_GT(Main->pEntryTree->GetTop(), Main->pMonthCalendar->GetTop());
    }
  }
}

}  // namespace

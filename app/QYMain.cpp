#include "app/QYMain.h"

#include "app/QYAbout.h"
#include "app/QYActivity.h"
#include "app/QYAutoSave.h"
#include "app/QYJournals.h"
#include "app/QYCover.h"
#include "app/QYEntryTree.h"
#include "app/QYDatabase.h"
#include "app/QYEditor.h"
#include "app/QYGlobalFind.h"
#include "app/QYErrorDisplay.h"
#include "app/QYMainPlacement.h"
#include "app/QYPassword.h"
#include "app/QYProfile.h"
#include "app/QYSettingsPaths.h"
#include "app/QYShortcut.h"
#include "app/QYStartup.h"

#include "platform/base/DateTime.h"
#include "platform/base/SysUtils.h"
#include "platform/db/DBPassword.h"
#include "platform/os/SysPaths.h"
#include "richtext/model/VLStyle.h"
#include "richtext/model/VLStyleIni.h"
#include "richtext/rtf/VLOfficeCnv.h"

#include <exception>

TformQuilloryMain* formQuilloryMain = nullptr;
String StyleFilePath;
String ToolBarFilePath;
TDateTime LastChangeTime = 0;
TDateTime LastActivityTime = 0;
Byte ScreenMode = 2;
bool OpenScreenShown = true;

namespace {
std::optional<TDatabaseFolders>& FolderOverride() {
  static std::optional<TDatabaseFolders> folders;
  return folders;
}

// Any stored form of a number (the enumeration keys come back as text).
Integer ProfileNumber(const TProfileValue& v, Integer def) {
  if (auto* i = std::get_if<Int64>(&v)) return static_cast<Integer>(*i);
  if (auto* b = std::get_if<bool>(&v)) return *b ? 1 : 0;
  if (auto* d = std::get_if<double>(&v)) return static_cast<Integer>(*d);
  if (auto* s = std::get_if<String>(&v)) return StrToIntDef(*s, def);
  return def;
}
}  // namespace

void SetMainWindowDatabaseFolders(std::optional<TDatabaseFolders> folders) {
  FolderOverride() = std::move(folders);
}

TDatabaseFolders MainWindowDatabaseFolders() {
  return FolderOverride() ? *FolderOverride() : SystemDatabaseFolders();
}

String JournalOwnerText() {
  const TProfileSettings& s = ProfileSettings;
  if (!s.UserName.empty() && s.DisplayUserName) return "Journal of " + s.UserName;
  return "Journal of " + DatabaseFolders.WindowsUserName;
}

void RestoreRunningInstance() {
  if (!Application) return;
  Application->Restore();
  if (TCustomForm* main = Application->MainForm) {
    if (main->GetWindowState() == wsMinimized) main->SetWindowState(wsNormal);
    main->Show();
    main->BringToFront();
  }
}

// ---------------------------------------------------------------------------

TformQuilloryMain::TformQuilloryMain(TComponent* AOwner) : TForm(AOwner) {
  formQuilloryMain = this;
  // Deriving a journal's key takes a second or more: the user sees the
  // hourglass meanwhile, not a window that seems to hang.
  SetKeyDerivationNotice(BusyNotice);
  SetName("formQuilloryMain");
  SetFormStyle(fsMDIForm);
  SetBounds(0, 0, 1000, 720);
  Position = poScreenCenter;
  KeyPreview = true;
  BuildActions();
  BuildControls();
  BuildCommands();
  OnCreate = [this](TObject* s) { FormCreate(s); };
  OnShow = [this](TObject* s) { FormShow(s); };
  OnActivate = [this](TObject* s) { FormActivate(s); };
  OnResize = [this](TObject* s) { FormResize(s); };
  OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
  OnDestroy = [this](TObject* s) { FormDestroy(s); };
  OnKeyPress = [](TObject*, char16_t&) { LastActivityTime = Now(); };
  OnMouseDown = [](TObject*, TMouseButton, TShiftState, int, int) { LastActivityTime = Now(); };
  OnMouseMove = [](TObject*, TShiftState, int, int) { PointerActivity(); };
}

TformQuilloryMain::~TformQuilloryMain() {
  if (FEditorWindows) UnregisterEditorWindows();
  AppHooks().SaveToolBarLayout = nullptr;
  AppHooks().LoadToolBarLayout = nullptr;
  if (formQuilloryMain == this) {
    formQuilloryMain = nullptr;
    SetKeyDerivationNotice(nullptr);
  }
}

TAction* TformQuilloryMain::NewAction(const char* name, const char* caption, const char* hint,
                                      TShortCut shortcut, TNotifyEvent run) {
  auto* a = new TAction(this);
  a->SetName(name);
  a->SetActionList(ActionList);
  a->SetCaption(caption);
  a->SetHint(hint);
  a->SetShortCut(shortcut);
  a->OnExecute = std::move(run);
  return a;
}

void TformQuilloryMain::BuildActions() {
  ActionList = new TActionList(this);
  // On the cover only what the cover offers works, by menu and by key: the
  // commands of a hidden or locked journal would show or change it.
  ActionList->Allows = [this](const TContainedAction* a) {
    if (ScreenMode != smCover) return true;
    for (const TContainedAction* c :
         {static_cast<TContainedAction*>(ActionExit), static_cast<TContainedAction*>(ActionLock),
          static_cast<TContainedAction*>(ActionAbout), static_cast<TContainedAction*>(HelpContents),
          static_cast<TContainedAction*>(ActionGotoBrixaneWebSite)})
      if (a == c) return true;
    return false;
  };
  auto make = [this](const char* name, const char* caption, const char* hint, TShortCut shortcut,
                     void (TformQuilloryMain::*handler)(TObject*)) {
    return NewAction(name, caption, hint, shortcut, [this, handler](TObject* s) { (this->*handler)(s); });
  };
  ActionExit = make("ActionExit", "E&xit Quillory", "exit quillory", scAlt | VK_F4,
                    &TformQuilloryMain::ActionExitExecute);
  ActionLock = make("ActionLock", "&Lock Quillory", "lock journal now", scCtrl | 'L',
                    &TformQuilloryMain::ActionLockExecute);
  ActionHide = make("ActionHide", "&Hide Quillory", "hide journal now", scCtrl | 'H',
                    &TformQuilloryMain::ActionHideExecute);
  ActionAbout = make("ActionAbout", "About Quillory", "about quillory", scNone,
                     &TformQuilloryMain::ActionAboutExecute);
  ShowActivityDisplayWindow =
      make("ShowActivityDisplayWindow", "Activity Window", "show or hide the activity window",
           ActivityWindowShortCut, &TformQuilloryMain::ShowActivityDisplayWindowExecute);
  ActionChangePassword = make("ActionChangePassword", "Change Password", "change password", scNone,
                              &TformQuilloryMain::ActionChangePasswordExecute);
  ActionToggleReadOnly = make("ActionToggleReadOnly", "Toggle Read Only", "toggle read only",
                              scNone, &TformQuilloryMain::ActionToggleReadOnlyExecute);
}

void TformQuilloryMain::BuildControls() {
  StatusBar = new TStatusBar(this);
  StatusBar->SetName("StatusBar");
  StatusBar->SetParent(this);
  StatusBar->SetAlign(alBottom);
  struct PanelDef {
    const char* text;
    int width;
    TStatusPanelBevel bevel;
    TAlignment alignment;
  };
  const PanelDef panels[] = {{"num", 40, pbRaised, taCenter},    {"caps", 40, pbRaised, taCenter},
                             {"", 200, pbLowered, taCenter}, {"", 200, pbLowered, taCenter},
                             {"user name", 300, pbLowered, taCenter}, {"", 50, pbNone, taLeftJustify}};
  for (const PanelDef& d : panels) {
    TStatusPanel* p = StatusBar->Panels().Add();
    p->SetText(d.text);
    p->SetWidth(d.width);
    p->SetBevel(d.bevel);
    p->SetAlignment(d.alignment);
  }
  // No panel cuts off the texts it shows: the state words and the longest
  // progress texts, and the countdowns at their widest.
  FitStatusPanel(spState, {"nothing to delete", "tree pointer dead end", "Saving Quillory Profile...",
                           "Saving Window Positions...", "BYE! Have a Good Day :)"});
  FitStatusPanel(spCountdown, {WidestCountdownText()});

  ControlBar = new TPanel(this);
  ControlBar->SetName("ControlBar");
  ControlBar->SetParent(this);
  ControlBar->SetAlign(alTop);
  ControlBar->SetHeight(30);
  ControlBar->SetCaption("");

  pTreesAndLists = new TPanel(this);
  pTreesAndLists->SetName("pTreesAndLists");
  pTreesAndLists->SetParent(this);
  pTreesAndLists->SetAlign(alLeft);
  pTreesAndLists->SetWidth(230);
  pTreesAndLists->SetCaption("");
  pMonthCalendar = new TPanel(this);
  pMonthCalendar->SetName("pMonthCalendar");
  pMonthCalendar->SetParent(pTreesAndLists);
  pMonthCalendar->SetCaption("");
  sCalendarSplitter = new TSplitter(this);
  sCalendarSplitter->SetName("sCalendarSplitter");
  sCalendarSplitter->SetParent(pTreesAndLists);
  pEntryTree = new TPanel(this);
  pEntryTree->SetName("pEntryTree");
  pEntryTree->SetParent(pTreesAndLists);
  pEntryTree->SetCaption("");
  MonthCalendar = new TMonthCalendar(this);
  MonthCalendar->SetName("MonthCalendar");
  MonthCalendar->SetParent(pMonthCalendar);
  MonthCalendar->SetAlign(alClient);
  tEntryTree = new TTreeView(this);
  tEntryTree->SetName("tEntryTree");
  tEntryTree->SetParent(pEntryTree);
  tEntryTree->SetAlign(alClient);
  sEditorSplitter = new TSplitter(this);
  sEditorSplitter->SetName("sEditorSplitter");
  sEditorSplitter->SetParent(this);
  sEditorSplitter->SetAlign(alLeft);

  pCoverBitmap = new TPanel(this);
  pCoverBitmap->SetName("pCoverBitmap");
  pCoverBitmap->SetParent(this);
  pCoverBitmap->SetAlign(alClient);
  pCoverBitmap->SetCaption("");
  pCoverBitmap->SetBevelOuter(bvNone);
  CoverBitMap = new TPaintBox(this);
  CoverBitMap->SetName("CoverBitMap");
  CoverBitMap->SetParent(pCoverBitmap);
  CoverBitMap->SetAlign(alClient);
  CoverBitMap->OnPaint = [this](TObject* s) { CoverBitMapPaint(s); };

  auto button = [this](const char* name, const char* caption) {
    auto* b = new TButton(this);
    b->SetName(name);
    b->SetParent(pCoverBitmap);
    b->SetCaption(caption);
    b->SetBounds(0, 0, 140, 28);
    return b;
  };
  pbOpenQuillory = button("pbOpenQuillory", "&Open Quillory");
  pbOpenQuillory->OnClick = [this](TObject* s) { pbOpenQuilloryClick(s); };
  pbLockQuillory = button("pbLockQuillory", "&Lock Quillory");
  pbLockQuillory->OnClick = [this](TObject*) { ActionLock->Execute(); };
  pbExitQuillory = button("pbExitQuillory", "E&xit Quillory");
  pbExitQuillory->OnClick = [this](TObject*) { ActionExit->Execute(); };
}

// ---------------------------------------------------------------------------

void TformQuilloryMain::FormCreate(TObject*) {
  Closing = false;
  // The journals opened from here on show in editor windows of this frame.
  RegisterEditorWindows(this);
  FEditorWindows = true;
  Application->OnIdle = [](TObject*, bool&) {};
  Application->OnException = [this](TObject* s, const Exception& e) { ApplicationException(s, e); };
  VerifySavesReadBack = false;
  SetCaption("QUILLORY");

  // Without its database folder the program cannot run.
  if (!SetUpDatabase(MainWindowDatabaseFolders())) {
    SetUpCancelled = true;
    return;
  }
  // A conversion of a killed run left the entry there as plain RTF.
  RemoveConversionLeftovers();
  const String& dataDir = DatabaseFolders.DataDir;
  Application->HelpFile = DatabaseFolders.ProgramDir + "/Quillory.hlp";
  const String iconFile = DatabaseFolders.ProgramDir + "/icons/quillory.ico";
  if (FileExists(iconFile)) {
    try {
      TIcon icon;
      icon.LoadFromFile(iconFile);
      SetIcon(icon);
    } catch (const Exception&) {
      // The window keeps the toolkit's icon.
    }
  }

  QuilloryDefaultStyle = new TVLStyle(this);
  StyleFilePath = dataDir + "/" + VLStyleFileName;
  if (SettingsPathProblem(StyleFilePath, TSettingsPathKind::Styles) == SettingsPathMissing) {
    QuilloryInitialStyles(*QuilloryDefaultStyle);
    try {
      VLStyleSaveINI(*QuilloryDefaultStyle, StyleFilePath, VLStyleSectionName, true);
    } catch (const std::exception& e) {
      ShowErrorDisplay("Save Styles", e);
    }
  } else if (!LoadStylesFile(*QuilloryDefaultStyle)) {
    // Told why; the file stays as it is for the user to look at.
    QuilloryInitialStyles(*QuilloryDefaultStyle);
  }
  ToolBarFilePath = dataDir + "/ToolBar.cfg";
  if (FileExists(ToolBarFilePath)) LoadToolBarLayoutHook(ToolBarFilePath);

  LoadProfile();
  ProfileSettings.LogonName = DatabaseFolders.WindowsUserName;
  SetStatusText(spOwner, JournalOwnerText());

  AskStartUpOnce();
  SyncStartUpShortcut(ProfileSettings.StartUpFolder);
  ShowBackupTarget();

  ScreenMode = 2;
  LastChangeTime = Now();
  LastActivityTime = Now();
  OpenScreenShown = true;
  ArrangeLeftColumn();
  SetScreenMode(smCover);
  StartAutomaticSaveTimer(this);
  AttachEntryTree(this);
  FCreated = true;
}

void AskStartUpOnce() {
  if (GetProfileBoolean("StartUpAsked", false)) return;
  // Nothing is put into the desktop's start-up without the user's word;
  // Preferences keeps the answer and changes it later.
  const bool yes = MessageBox("Start Quillory each time you log in?\r\n\r\n"
                              "Tools > Preferences can change this later.",
                              "Quillory Start-Up", MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
  ProfileSettings.StartUpFolder = yes ? sufInStartUpFolder : sufNotInStartUpFolder;
  SetProfileValue("StartUpFolder", pvInteger, Int64(ProfileSettings.StartUpFolder));
  SetProfileValue("StartUpAsked", pvBoolean, true);
}

void TformQuilloryMain::FormShow(TObject*) {
  RestoreWindowPosition();
  ShowNumLockState();
  ShowCapsLockState();
  RefreshCover();
}

void TformQuilloryMain::FormActivate(TObject*) {
  KeepFrameOnScreen();
  ShowNumLockState();
  ShowCapsLockState();
  RefreshCover();
}

void TformQuilloryMain::FormResize(TObject*) {
  ShowNumLockState();
  ShowCapsLockState();
  RefreshCover();
}

void TformQuilloryMain::RefreshCover() {
  if (ScreenMode == smCover) LayoutCover(this, CoverBitMap);
}

void TformQuilloryMain::CoverBitMapPaint(TObject*) { PaintCover(this, CoverBitMap); }

namespace {

// Exiting closes every journal: an entry that cannot be saved would be lost,
// so the user decides.
bool ReadyToExit() {
  if (!JournalsLoaded || SaveJournalsBeforeClosing()) return true;
  return MessageBox("An entry could not be saved.\r\nExit anyway and lose the changes?", "Entry Not Saved",
                    MB_YESNO | MB_ICONEXCLAMATION) == IDYES;
}

}  // namespace

void TformQuilloryMain::FormClose(TObject*, TCloseAction& Action) {
  // Closing the window is the exit command; the exit sequence ends the
  // application itself.
  if (!Closing) {
    if (!ReadyToExit()) {
      Action = caNone;
      return;
    }
    RunExitSequence();
  }
  Action = caHide;
}

void TformQuilloryMain::FormDestroy(TObject*) {}

// ---------------------------------------------------------------------------
// Window position.

void TformQuilloryMain::RestoreWindowPosition() {
  TWindowBounds b{GetLeft(), GetTop(), GetWidth(), GetHeight()};
  TWindowState state = GetWindowState();
  if (ProfileSettings.SaveWindowPositions) {
    b.Left = GetProfileInteger("QY_Pos.X", b.Left);
    b.Top = GetProfileInteger("QY_Pos.Y", b.Top);
    b.Width = GetProfileInteger("QY_Pos.W", b.Width);
    b.Height = GetProfileInteger("QY_Pos.H", b.Height);
    const Integer s = ProfileNumber(GetProfileValue("QY_Pos.State", pvEnumeration, Int64(state)), state);
    if (s >= wsNormal && s <= wsMaximized) state = static_cast<TWindowState>(s);
  }
  // A position saved on a larger or detached screen is brought back into
  // view, frame and title bar included.
  const TRect frame = GetFrameMargins();
  b = FitWindowOnScreen(b, {Screen->WorkAreaRect()}, frame);
  SetBounds(b.Left, b.Top, b.Width, b.Height);
  if (state != GetWindowState()) SetWindowState(state);
  // Before its first showing the window has no frame yet: fit it again once
  // it has one.
  FFitFrameWhenShown = frame == TRect();
}

void TformQuilloryMain::KeepFrameOnScreen() {
  if (!FFitFrameWhenShown || !GetVisible() || GetWindowState() != wsNormal) return;
  const TRect frame = GetFrameMargins();
  if (frame == TRect()) return;
  FFitFrameWhenShown = false;
  const TWindowBounds now{GetLeft(), GetTop(), GetWidth(), GetHeight()};
  const TWindowBounds b = FitWindowOnScreen(now, {Screen->WorkAreaRect()}, frame);
  if (!(b == now)) SetBounds(b.Left, b.Top, b.Width, b.Height);
}

void TformQuilloryMain::SaveWindowPosition() {
  SetProfileValue("QY_Pos.X", pvInteger, Int64(GetLeft()));
  SetProfileValue("QY_Pos.Y", pvInteger, Int64(GetTop()));
  SetProfileValue("QY_Pos.W", pvInteger, Int64(GetWidth()));
  SetProfileValue("QY_Pos.H", pvInteger, Int64(GetHeight()));
  SetProfileValue("QY_Pos.State", pvEnumeration, Int64(GetWindowState()));
}

// ---------------------------------------------------------------------------
// Exit.

int TformQuilloryMain::RunExitSequence() {
  Closing = true;
  // The tree's worker must not read the files the shut-down closes.
  StopEntryTreeThreads();
  StopGlobalFind();
  auto status = [this](const String& text) {
    SetStatusText(spState, text);
    Application->ProcessMessagesExcludingInput();
  };
  const int failures = RunShutdownSteps(ExitSteps(status), status);
  status("BYE! Have a Good Day :)");
  Application->Terminate();
  return failures;
}

std::vector<TShutdownStep> TformQuilloryMain::ExitSteps(const std::function<void(const String&)>& status) {
  return {
      {"", "Problem Saving Current Entry", [] { SaveCurrentEntryHook(1); }},
      {"Saving Tool Bar CFG...", "Problem Saving Tool Bar", [] { SaveToolBarLayoutHook(ToolBarFilePath); }},
      {"", "Problem Saving Profile", [status] { SaveProfile(status); }},
      {"Saving Window Positions...", "Problem Saving Window Positions", [this] { SaveWindowPosition(); }},
      {"", "Problem Unloading Journals", [] { UnloadJournalsHook(); }},
  };
}

void TformQuilloryMain::ActionExitExecute(TObject*) {
  if (Closing || !ReadyToExit()) return;
  RunExitSequence();
}

void TformQuilloryMain::ApplicationException(TObject*, const Exception& E) {
  Application->ShowException(E);
  // An error nobody caught ends the program, but through the exit sequence,
  // so that every open entry is still saved.
  if (FHandlingException || Closing || !FCreated) {
    Application->Terminate();
    return;
  }
  FHandlingException = true;
  // The error may have left a document half-changed: what the exit saves
  // must read back as shown.
  VerifySavesReadBack = true;
  RunExitSequence();
}

// ---------------------------------------------------------------------------
// Second start.

void TformQuilloryMain::InstanceMessageReceived(const String& message) {
  if (message == "restore") RestoreRunningInstance();
}

// ---------------------------------------------------------------------------
// Status bar.

void TformQuilloryMain::SetStatusText(int panel, const String& text) {
  if (!StatusBar || panel >= StatusBar->Panels().Count()) return;
  // The owner's name is the user's to choose: its panel grows with it, and
  // the hints are whole sentences.
  if (panel == spOwner || panel == spHint) FitStatusPanel(panel, {text});
  StatusBar->Panels()[panel]->SetText(text);
  StatusBar->Repaint();
}

void TformQuilloryMain::FitStatusPanel(int panel, std::initializer_list<String> texts) {
  TStatusPanel* p = StatusBar->Panels()[panel];
  int width = p->GetWidth();
  for (const String& t : texts) width = std::max(width, StatusBar->PanelWidthFor(t));
  if (width != p->GetWidth()) p->SetWidth(width);
}

String TformQuilloryMain::StatusText(int panel) const {
  if (!StatusBar || panel >= StatusBar->Panels().Count()) return "";
  return StatusBar->Panels()[panel]->GetText();
}

void TformQuilloryMain::ShowEntryDate(TOpenJournal* j) {
  if (!j) return;
  if (j->JournalKind == 1) {
    QuilloryDate->SetBlank();
    QuilloryDate->SetEnabled(false);
    return;
  }
  QuilloryDate->SetEnabled(true);
  QuilloryDate->SetDate(j->EntryDate);
  MonthCalendar->SetDate(j->EntryDate);
}

void TformQuilloryMain::OfferFirstJournal() {
  SetStatusText(spHint, "No journal yet: New Journal");
  if (MessageBox("You have no journal yet.\r\n\r\nCreate your first journal now?", "Welcome to Quillory",
                 MB_YESNO | MB_ICONQUESTION) != IDYES)
    return;
  ActionNewJournalExecute(this);
  if (FirstJournal) SetStatusText(spHint, "");
}

void TformQuilloryMain::ShowNumLockState() {
  SetStatusText(spNumLock, (GetKeyState(VK_NUMLOCK) & 1) ? "num" : "");
}

void TformQuilloryMain::ShowCapsLockState() {
  SetStatusText(spCapsLock, (GetKeyState(VK_CAPITAL) & 1) ? "cap" : "");
}

// ---------------------------------------------------------------------------
// Screen modes.

void TformQuilloryMain::SetScreenMode(Byte mode) {
  if (mode == ScreenMode) return;
  OpenScreenShown = !OpenScreenShown;
  pTreesAndLists->SetVisible(OpenScreenShown && ProfileSettings.ShowEntryTree);
  sEditorSplitter->SetVisible(pTreesAndLists->GetVisible() && OpenScreenShown);
  if (sEditorSplitter->GetVisible()) sEditorSplitter->SetLeft(pTreesAndLists->GetWidth() + 1);
  StatusBar->SetVisible(OpenScreenShown);
  ControlBar->SetVisible(OpenScreenShown);
  pbOpenQuillory->SetVisible(!OpenScreenShown);
  pbLockQuillory->SetVisible(!OpenScreenShown);
  pbExitQuillory->SetVisible(!OpenScreenShown);
  pCoverBitmap->SetVisible(!OpenScreenShown);
  ScreenMode = mode;
  ActionList->AllowsChanged();
  FollowCurrentEditor();
  RefreshCover();
}

void TformQuilloryMain::ArrangeLeftColumn() {
  pEntryTree->SetVisible(ProfileSettings.ShowEntryTree);
  pMonthCalendar->SetVisible(ProfileSettings.ShowMonthCalendar);
  pTreesAndLists->SetVisible(pEntryTree->GetVisible() || pMonthCalendar->GetVisible());
  sEditorSplitter->SetVisible(pTreesAndLists->GetVisible());
  if (pTreesAndLists->GetVisible()) sEditorSplitter->SetLeft(pTreesAndLists->GetWidth() + 1);

  std::vector<TControl*> parts;
  if (pMonthCalendar->GetVisible()) parts.push_back(pMonthCalendar);
  const bool both = pMonthCalendar->GetVisible() && pEntryTree->GetVisible();
  sCalendarSplitter->SetVisible(both);
  if (both) parts.push_back(sCalendarSplitter);
  if (pEntryTree->GetVisible()) parts.push_back(pEntryTree);
  if (parts.empty()) return;

  const int share = pTreesAndLists->GetHeight() / static_cast<int>(parts.size());
  for (size_t i = 0; i < parts.size(); ++i) {
    TControl* part = parts[i];
    part->SetAlign(alNone);
    part->SetBounds(0, static_cast<int>(i) * share, pTreesAndLists->GetWidth(),
                    part == sCalendarSplitter ? 3 : share - 5);
    part->Repaint();
  }
  for (size_t i = 0; i + 1 < parts.size(); ++i) parts[i]->SetAlign(alTop);
  parts.back()->SetAlign(alClient);
  // The calendar itself gets the height a month needs; the panel's frame
  // comes on top of it.
  const TSize month = MonthCalendar->NaturalSize();
  pMonthCalendar->SetHeight(month.cy);
  pMonthCalendar->SetHeight(2 * month.cy - MonthCalendar->GetHeight());
  // A month shows whole: the column widens when the calendar needs it.
  const int missing = month.cx - MonthCalendar->GetWidth();
  if (pMonthCalendar->GetVisible() && missing > 0) {
    pTreesAndLists->SetWidth(pTreesAndLists->GetWidth() + missing);
    sEditorSplitter->SetLeft(pTreesAndLists->GetWidth() + 1);
  }
}

// ---------------------------------------------------------------------------
// Cover buttons and commands.

namespace {
enum TEntryTableOpen { etOpen, etNeedsPassword, etFailed };

// Opens the entry table with the passwords the session holds. Only an
// encrypted file that they do not open needs a password; any other failure
// (a missing, empty, damaged or foreign file) is kept in failure.
TEntryTableOpen TryOpenEntryTable(TTable& table, std::exception_ptr& failure) {
  try {
    table.Open();
    return etOpen;
  } catch (const EDBPasswordError&) {
    return etNeedsPassword;
  } catch (const std::exception&) {
    failure = std::current_exception();
    return etFailed;
  }
}

// Reminds of an overdue backup or password change.
void Remind(const char* key, bool on, Integer interval, const char* caption, const String& what) {
  const TDateTime last = GetProfileDateTime(key, Now());
  if (on && Now() - last > interval)
    MessageBox("Your last " + what + " is greater than the " + IntToStr(interval) + "\r" +
                   "day interval set in preferences." + "\r\r" + "You should " +
                   (String(key) == "LPCD" ? "change your password." : "backup the database."),
               caption, MB_OK | MB_ICONINFORMATION);
}
}  // namespace

void TformQuilloryMain::pbOpenQuilloryClick(TObject*) {
  LastChangeTime = Now();
  LastActivityTime = Now();
  {
    TTable table;
    BindToDatabase(table);
    table.TableName = "QUILLORY";
    std::exception_ptr failure;
    TEntryTableOpen state = TryOpenEntryTable(table, failure);
    while (state == etNeedsPassword) {
      if (!dlgPassword || dlgPassword->ShowModal() != mrOk) break;
      state = TryOpenEntryTable(table, failure);
      if (state == etNeedsPassword) {
        MessageBox("Password Does Not Match\r\nPlease Enter Password Again", "Password",
                   MB_OK | MB_ICONEXCLAMATION);
        QuillorySession().RemoveAllPasswords();
        // A password that opened nothing is not kept either.
        WipeString(JournalPassword);
      }
    }
    if (state == etFailed) {
      // A password cannot help: the cause and the file are shown instead.
      try {
        std::rethrow_exception(failure);
      } catch (const std::exception& e) {
        ShowErrorDisplay("Open Journal", e);
      }
      return;
    }
    if (table.Active()) {
      RecordJournalCipherSettings();
      RenewPasswordRecord(JournalPassword);
      SetScreenMode(smOpen);
      if (!JournalsLoadedHook()) {
        table.Close();
        LoadJournalsHook();
        if (!FirstJournal && JournalCount() == 0) OfferFirstJournal();
      }
    }
  }
  Remind("LastBackupDate", ProfileSettings.BackupReminder, ProfileSettings.BackupReminderInterval,
         "Backup Reminder", "backup");
  Remind("LPCD", ProfileSettings.PasswordChangeReminder, ProfileSettings.PasswordChangeInterval,
         "Password Reminder", "password change");
}

void TformQuilloryMain::ActionLockExecute(TObject*) {
  if (!ReadyToLock(false)) return;
  // A search must not go on into a locked journal.
  StopGlobalFind();
  // The password brings each entry back with its caret where it was.
  KeepCaretPlaces();
  UnloadJournalsHook();
  // The tree reads no more without the password; it goes on at the next open.
  StopEntryTreeThreads();
  // Locked means no password stays in memory: it is asked again to open.
  QuillorySession().RemoveAllPasswords();
  WipeString(JournalPassword);
  SetScreenMode(smCover);
  if (ProfileSettings.AutoLockMinimize) Application->Minimize();
}

void TformQuilloryMain::ActionHideExecute(TObject*) {
  SaveCurrentEntryHook(1);
  SetScreenMode(smCover);
  if (ProfileSettings.AutoHideMinimize) Application->Minimize();
}

void TformQuilloryMain::ActionAboutExecute(TObject*) {
  auto box = std::make_unique<TdlgAboutBox>(this);
  box->DoCreate();
  box->ShowModal();
}

void TformQuilloryMain::ActionChangePasswordExecute(TObject*) {
  PauseTimer();
  struct TResume {
    ~TResume() { ResumeTimer(); }
  } resume;
  ChangePassword();
}

void TformQuilloryMain::ActionToggleReadOnlyExecute(TObject*) { ::ActionToggleReadOnlyExecute(); }

void TformQuilloryMain::ShowActivityDisplayWindowExecute(TObject*) {
  if (ActivityDisplayWindow) ActivityDisplayWindow->ToggleBeside(this);
}

#pragma once
// The main window: a multiple-document frame that shows the cover while the
// journal is closed, the status bar, the saved window position, the exit
// sequence and the hand-over from a second start.
#include "platform/gui/ActnList.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/gui/StdCtrls.h"

#include "app/QYDatabase.h"
#include "app/QYStartup.h"

#include <initializer_list>
#include <memory>
#include <optional>

class TVLSpellChecker;
class TVLThesaurus;
class TVLStyle;
class TUpDown;
struct TOpenJournal;

// Screen modes: the cover, the open journal; 2 before the first switch.
constexpr Byte smCover = 0;
constexpr Byte smOpen = 1;

// Status bar panels.
constexpr int spNumLock = 0;
constexpr int spCapsLock = 1;
constexpr int spState = 2;
constexpr int spCountdown = 3;
constexpr int spOwner = 4;
// Why the entry is as it is (read-only, no journal yet), in plain words.
constexpr int spHint = 5;

class TformQuilloryMain : public TForm {
public:
  explicit TformQuilloryMain(TComponent* AOwner);
  ~TformQuilloryMain() override;

  // The font name and size chosen in the tool bar, applied by the editors.
  String ChosenFontName;
  Integer ChosenFontSize = 11;
  // Set when exit begins.
  bool Closing = false;
  // True while the style controls are being written.
  bool UpdatingStyleControls = false;
  // The user cancelled the creation of a new database folder: the program
  // ends before any other window is made.
  bool SetUpCancelled = false;

  // --- controls
  TStatusBar* StatusBar = nullptr;
  TPanel* ControlBar = nullptr;        // the tool bars' area
  TPanel* pTreesAndLists = nullptr;    // the left column
  TPanel* pMonthCalendar = nullptr;
  TPanel* pEntryTree = nullptr;
  TMonthCalendar* MonthCalendar = nullptr;
  TTreeView* tEntryTree = nullptr;
  TSplitter* sCalendarSplitter = nullptr;
  TSplitter* sEditorSplitter = nullptr;
  TPanel* pCoverBitmap = nullptr;      // the cover, filling the window
  TPaintBox* CoverBitMap = nullptr;
  TButton* pbOpenQuillory = nullptr;
  TButton* pbLockQuillory = nullptr;
  TButton* pbExitQuillory = nullptr;

  // --- components
  TVLStyle* QuilloryDefaultStyle = nullptr;
  TActionList* ActionList = nullptr;
  TAction* ActionExit = nullptr;
  TAction* ActionLock = nullptr;
  TAction* ActionHide = nullptr;
  TAction* ActionAbout = nullptr;
  TAction* ShowActivityDisplayWindow = nullptr;
  TAction* ActionChangePassword = nullptr;
  TAction* ActionToggleReadOnly = nullptr;

  // --- handlers
  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormActivate(TObject* Sender);
  void FormResize(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormDestroy(TObject* Sender);
  void CoverBitMapPaint(TObject* Sender);
  void pbOpenQuilloryClick(TObject* Sender);
  void ActionExitExecute(TObject* Sender);
  void ActionLockExecute(TObject* Sender);
  void ActionHideExecute(TObject* Sender);
  void ActionAboutExecute(TObject* Sender);
  void ShowActivityDisplayWindowExecute(TObject* Sender);
  void ActionChangePasswordExecute(TObject* Sender);
  void ActionToggleReadOnlyExecute(TObject* Sender);
  void ApplicationException(TObject* Sender, const Exception& E);
  // A message from another start of the program ("restore").
  void InstanceMessageReceived(const String& message);

  // Status bar: the panel's text, repainted at once.
  void SetStatusText(int panel, const String& text);
  String StatusText(int panel) const;
  // Widens the panel to show each of the texts whole; never narrows it.
  void FitStatusPanel(int panel, std::initializer_list<String> texts);
  void ShowNumLockState();
  void ShowCapsLockState();
  // The date picker and calendar follow the journal's entry; a topic
  // journal's entry has no date: the picker is blank and the calendar stays.
  void ShowEntryDate(TOpenJournal* journal);
  // After an open that found no journal at all: offers the New Journal dialog.
  void OfferFirstJournal();

  // Screen modes and the left column.
  void SetScreenMode(Byte mode);
  void ArrangeLeftColumn();

  // The shut-down, every step run even when one fails; answers the number
  // of failed steps. Ends the application.
  int RunExitSequence();
  // Its steps in order (after the searches and the tree's reading stopped),
  // each showing its progress through status.
  std::vector<TShutdownStep> ExitSteps(const std::function<void(const String&)>& status);
  // Restores the saved position (FormShow's work) and writes it (exit).
  void RestoreWindowPosition();
  void SaveWindowPosition();
  // Once the window has its frame: pulls it onto the screen when the
  // restored position left the title bar or a border outside.
  void KeepFrameOnScreen();

  // --- commands, menus and tool bars (QYMainCommands.cpp)
  TMainMenu* MainMenu = nullptr;
  TPopupMenu* PopupMenu1 = nullptr;  // the editors' pop-up menu
  TToolBar* tbStandard = nullptr;
  TToolBar* tbFormat = nullptr;
  TToolBar* tbDates = nullptr;
  TComboBox* tbFontName = nullptr;
  TEdit* tbFontSize = nullptr;
  TUpDown* tbUpDownFontSize = nullptr;
  TComboBox* cbTextStyles = nullptr;
  TComboBox* cbParagraphStyles = nullptr;
  TDateTimePicker* QuilloryDate = nullptr;
  TComboBox* cbSelectJournal = nullptr;
  TAction* ActionNewJournal = nullptr;
  TAction* ActionSave = nullptr;
  TAction* ActionDelete = nullptr;
  TAction* ActionDatePrevious = nullptr;
  TAction* ActionDateToday = nullptr;
  TAction* ActionDateNext = nullptr;
  TAction* ActionDateStamp = nullptr;
  TAction* ActionTimeStamp = nullptr;
  TAction* ActionDateTimeStamp = nullptr;
  TAction* ActionHideShowEntryTree = nullptr;
  TAction* ActionShowHideMonthCalendar = nullptr;
  TAction* ActionEntryTreeFullExpand = nullptr;
  TAction* ActionEntryTreeFullCollapse = nullptr;
  TAction* ActionJumpWindow = nullptr;
  TAction* ActionPrinterSetupDialog = nullptr;
  TAction* HelpContents = nullptr;
  TAction* ActionGotoBrixaneWebSite = nullptr;
  // The hint of the print commands: the printer or the PDF file they print to.
  String PrintHint;
  // Sets it on the print commands.
  void ShowPrintTarget();
  // The backup command's hint names the folder it backs up to (the setting).
  void ShowBackupTarget();
  // Spelling and the thesaurus of the current entry (QYSpelling.cpp).
  TAction* ActionSpell = nullptr;
  TAction* ActionThesaurus = nullptr;
  TAction* ActionSpellSetup = nullptr;
  TVLSpellChecker* VLSpellChecker = nullptr;
  TVLThesaurus* VLThesaurus = nullptr;
  void BuildSpelling();
  void ActionSpellExecute(TObject* Sender);
  void ActionThesaurusExecute(TObject* Sender);
  void ActionSpellSetupExecute(TObject* Sender);

  void ActionNewJournalExecute(TObject* Sender);
  void ActionDatePreviousExecute(TObject* Sender);
  void ActionDateTodayExecute(TObject* Sender);
  void ActionDateNextExecute(TObject* Sender);
  void QuilloryDateChange(TObject* Sender);
  void MonthCalendarDblClick(TObject* Sender);
  void cbSelectJournalClick(TObject* Sender);
  // A stamp's key pressed in a read-only entry (its command greyed):
  // the user is told why nothing goes in. True when the key was one.
  bool TellReadOnlyStampKey(TShortCut key);
  void InsertStamp(int kind);
  void ActionHideShowEntryTreeExecute(TObject* Sender);
  void ActionShowHideMonthCalendarExecute(TObject* Sender);
  void ActionEntryTreeFullExpandExecute(TObject* Sender);
  void ActionEntryTreeFullCollapseExecute(TObject* Sender);
  void ActionJumpWindowExecute(TObject* Sender);
  void ActionPrinterSetupDialogExecute(TObject* Sender);
  void HelpContentsExecute(TObject* Sender);
  void ActionGotoBrixaneWebSiteExecute(TObject* Sender);
  void tbFontNameClick(TObject* Sender);
  void tbFontSizeApply();
  void cbTextStylesClick(TObject* Sender);
  void cbParagraphStylesClick(TObject* Sender);
  void SetJournalCommandsEnabled(bool enabled);
  void ShowModifiedState(bool modified);
  // Refills the text-style and paragraph-style boxes from the current
  // journal's style sheet.
  void FillStyleBoxes();
  // Saves the current entry and shows the journal's entry of the date, its
  // window in front (the tree, the find window, the navigation commands).
  void GoToJournalDate(Integer journalID, TDateTime date);
  // Lays the tool bars out in the tool-bar area (after a layout change).
  void ArrangeToolBars();

  // --- preferences, journals and the database (QYOptionsCommands.cpp)
  TAction* ActionPreferences = nullptr;
  TAction* ActionJournalManager = nullptr;
  TAction* ActionBackup = nullptr;
  TAction* ActionRestore = nullptr;
  TAction* ActionPackAndRegenIndexes = nullptr;
  // Their commands, in the "Tools" menu.
  void BuildOptionsCommands();

  // --- journal find and printing (QYReportCommands.cpp)
  TAction* ActionGlobalFind = nullptr;
  TAction* ActionPreview = nullptr;
  TAction* ActionPrint = nullptr;
  TAction* ActionPreviewPagePerDay = nullptr;
  TAction* ActionPrintPagePerDay = nullptr;
  TAction* ActionPreviewPageFilled = nullptr;
  TAction* ActionPrintPageFilled = nullptr;
  TAction* ActionPrintPassword = nullptr;
  // Makes the commands and adds them to the File and Edit menus and the
  // standard tool bar.
  void BuildFindAndPrintCommands();

  // --- tables (QYTableCommands.cpp): the Table menu and the Insert Table
  // button of the format bar.
  void BuildTableCommands();

private:
  void BuildControls();
  void BuildActions();
  // A command of the main window's action list.
  TAction* NewAction(const char* name, const char* caption, const char* hint, TShortCut shortcut,
                     TNotifyEvent run);
  void BuildCommands();
  void RefreshCover();
  bool FHandlingException = false;
  bool FFitFrameWhenShown = false;
  // The creation went through: the exit sequence has something to save.
  bool FCreated = false;
  bool FEditorWindows = false;
};

// The main window (nullptr before it is created and after it is gone).
extern TformQuilloryMain* formQuilloryMain;

// Process-wide values of the main window's unit.
extern String StyleFilePath;    // DataDir + "/QYStyle.ini"
extern String ToolBarFilePath;  // DataDir + "/ToolBar.cfg"
extern TDateTime LastChangeTime;
extern TDateTime LastActivityTime;
extern Byte ScreenMode;
extern bool OpenScreenShown;

// "Journal of " and the user's name from the settings when it is set and
// shown, else the log-on name.
String JournalOwnerText();

// The folders the main window finds or creates its database in: the
// system's unless others were set before it is created.
void SetMainWindowDatabaseFolders(std::optional<TDatabaseFolders> folders);
TDatabaseFolders MainWindowDatabaseFolders();

// At the first start: asks whether the program starts at log-in (No unless
// the user says Yes) and keeps the answer.
void AskStartUpOnce();

// Restores, raises and activates the application's main form (the running
// instance's answer to a second start).
void RestoreRunningInstance();

// The text of a date (1), time (2) or date-and-time (3) stamp at the moment,
// in the locale's formats; empty for any other kind.
String DateTimeStampText(int kind, TDateTime moment);
// Its undo caption.
String DateTimeStampCaption(int kind);

// The tool-bar layout the program starts with, and the one its bars show now.
struct TToolBarLayout;
TToolBarLayout DefaultToolBarLayout();
TToolBarLayout CurrentToolBarLayout(TformQuilloryMain* main);
void ApplyToolBarLayout(TformQuilloryMain* main, const TToolBarLayout& layout);

// The name Save a Copy offers for the journal's entry: "<journal>
// <yyyy-mm-dd>" (a topic journal: its name).
String SuggestedCopyName(const TOpenJournal* journal);
// The title of a copy that has one (a web page, a book): the entry's date as
// its window shows it (a topic journal: its name).
String CopyTitle(const TOpenJournal* journal);

// Leaves the current entry for another one: saves it first; when that fails
// the user decides whether to leave it unsaved. False: stay.
bool LeaveCurrentEntry();

#pragma once
// Message boxes, input prompts and the one interaction hook that every modal
// loop passes through (message boxes, ShowModal, the common dialogs).
//
// In the program the hook runs the real Qt dialog. Tests install a
// TInteractionScript, which answers each request in turn and records what
// would have been shown, so nothing ever blocks on a user.
#include "platform/base/Types.h"

#include <deque>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

class TCustomForm;
class TFindDialog;
class TPopupMenu;
class QMimeData;
class QWidget;

// ---------------------------------------------------------------------------
// MessageBox flags and results (the values are the ones the design stores).
constexpr int MB_OK = 0x00000000;
constexpr int MB_OKCANCEL = 0x00000001;
constexpr int MB_ABORTRETRYIGNORE = 0x00000002;
constexpr int MB_YESNOCANCEL = 0x00000003;
constexpr int MB_YESNO = 0x00000004;
constexpr int MB_RETRYCANCEL = 0x00000005;
constexpr int MB_TYPEMASK = 0x0000000F;
constexpr int MB_ICONERROR = 0x00000010;
constexpr int MB_ICONHAND = MB_ICONERROR;
constexpr int MB_ICONSTOP = MB_ICONERROR;
constexpr int MB_ICONQUESTION = 0x00000020;
constexpr int MB_ICONEXCLAMATION = 0x00000030;
constexpr int MB_ICONWARNING = MB_ICONEXCLAMATION;
constexpr int MB_ICONINFORMATION = 0x00000040;
constexpr int MB_ICONASTERISK = MB_ICONINFORMATION;
constexpr int MB_ICONMASK = 0x000000F0;
constexpr int MB_DEFBUTTON1 = 0x00000000;
constexpr int MB_DEFBUTTON2 = 0x00000100;
constexpr int MB_DEFBUTTON3 = 0x00000200;
constexpr int MB_DEFMASK = 0x00000F00;
constexpr int MB_APPLMODAL = 0x00000000;
constexpr int MB_SYSTEMMODAL = 0x00001000;
constexpr int MB_TASKMODAL = 0x00002000;
constexpr int MB_SETFOREGROUND = 0x00010000;
constexpr int MB_TOPMOST = 0x00040000;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDABORT = 3;
constexpr int IDRETRY = 4;
constexpr int IDIGNORE = 5;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// ---------------------------------------------------------------------------
// Modal results (also the values buttons carry in ModalResult).
using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = IDOK;
constexpr TModalResult mrCancel = IDCANCEL;
constexpr TModalResult mrAbort = IDABORT;
constexpr TModalResult mrRetry = IDRETRY;
constexpr TModalResult mrIgnore = IDIGNORE;
constexpr TModalResult mrYes = IDYES;
constexpr TModalResult mrNo = IDNO;
constexpr TModalResult mrAll = 8;
constexpr TModalResult mrNoToAll = 9;
constexpr TModalResult mrYesToAll = 10;

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll,
                  mbYesToAll, mbHelp };
using TMsgDlgButtons = std::vector<TMsgDlgBtn>;

// ---------------------------------------------------------------------------
// What a modal interaction is.
enum class TInteractionKind {
  MessageBox,        // Buttons = MB_ type bits, Icon = MB_ICON bits; result IDOK…
  MessageDlg,        // DlgType and DlgButtons; result mrYes…
  InputQuery,        // Caption, Text (prompt), Value in/out; result mrOk/mrCancel
  ShowModal,         // Form; result = the form's modal result
  OpenDialog,        // FileName(s), Filter, FilterIndex, InitialDir, DefaultExt, Options
  SaveDialog,        // the same
  SelectDirectory,   // Caption, Root, Value (folder) in/out
  FontDialog,        // Font* fields in/out
  ColorDialog,       // Color in/out
  PrintDialog,       // Copies, Collate, FromPage/ToPage, PrinterName in/out
  PrinterSetupDialog,// PrinterName in/out
  FindDialog,        // FindText, Options; modeless: the hook shows it
  ReplaceDialog,     // FindText, ReplaceText, Options
  PopupMenu,         // Menu at X, Y (screen); a script clicks an item itself
  DragDrop,          // Drag offered from DragSource with the effects in Buttons;
                     // result = the DROPEFFECT_ the drop chose
};

// Font description carried by the font dialog (sizes in points; style bits
// fsBold 1, fsItalic 2, fsUnderline 4, fsStrikeOut 8).
struct TFontChoice {
  String Name;
  int Size = 0;
  int Style = 0;
  TColor Color = clBlack;
  int Charset = 1;
};

// One request to the hook. Fields not used by a kind stay at their defaults;
// a hook writes the user's answers into the in/out fields.
struct TInteraction {
  TInteractionKind Kind = TInteractionKind::MessageBox;
  String Caption;
  String Text;
  int Buttons = 0;            // MessageBox: MB_ type bits (with default-button bits)
  int Icon = 0;               // MessageBox: MB_ICON bits
  TMsgDlgType DlgType = mtCustom;
  TMsgDlgButtons DlgButtons;
  String Value;               // InputQuery value; SelectDirectory folder
  String Root;                // SelectDirectory root
  // File dialogs.
  String FileName;
  std::vector<String> Files;
  String Filter;              // "text|pattern|text|pattern"
  int FilterIndex = 1;        // 1-based
  String InitialDir;
  String DefaultExt;
  String Title;
  int Options = 0;
  // Font and colour dialogs.
  TFontChoice Font;
  TColor Color = clBlack;
  // Print dialogs.
  String PrinterName;
  int Copies = 1;
  bool Collate = false;
  int FromPage = 0, ToPage = 0, MinPage = 0, MaxPage = 0;
  bool PrintRange = false;    // true when the user chose a page range
  // Find and replace.
  String FindText;
  String ReplaceText;
  // Find and replace: the dialog object, whose OnFind/OnReplace the script
  // or the real window calls.
  TFindDialog* FindDialog = nullptr;
  // ShowModal.
  TCustomForm* Form = nullptr;
  // Pop-up menus.
  TPopupMenu* Menu = nullptr;
  int X = 0, Y = 0;
  // Drags: the data offered (read-only) and the widget it leaves from.
  const QMimeData* Drag = nullptr;
  QWidget* DragSource = nullptr;
};

// Open/save dialog options (TInteraction::Options, TOpenDialog::Options).
constexpr int ofReadOnly = 0x0001;
constexpr int ofOverwritePrompt = 0x0002;
constexpr int ofHideReadOnly = 0x0004;
constexpr int ofNoChangeDir = 0x0008;
constexpr int ofAllowMultiSelect = 0x0200;
constexpr int ofExtensionDifferent = 0x0400;
constexpr int ofPathMustExist = 0x0800;
constexpr int ofFileMustExist = 0x1000;
constexpr int ofEnableSizing = 0x800000;

// Find/replace options.
constexpr int frDown = 0x0001;
constexpr int frWholeWord = 0x0002;
constexpr int frMatchCase = 0x0004;
constexpr int frFindNext = 0x0008;
constexpr int frReplace = 0x0010;
constexpr int frReplaceAll = 0x0020;
constexpr int frHideMatchCase = 0x8000;
constexpr int frHideWholeWord = 0x10000;
constexpr int frHideUpDown = 0x4000;
constexpr int frDisableMatchCase = 0x0800;
constexpr int frDisableUpDown = 0x0400;
constexpr int frDisableWholeWord = 0x1000;

// The hook. Run answers one request and returns its result (the MessageBox
// ID, the modal result, or mrOk/mrCancel for prompts and common dialogs).
class TInteractionHook {
public:
  virtual ~TInteractionHook() = default;
  virtual int Run(TInteraction& request) = 0;
};

// The real dialogs that live in other units register how they run
// (ShowModal's loop, the find window); the Qt hook calls them. One runner
// per kind: registering another for a kind that has one raises Exception.
using TInteractionRunner = int (*)(TInteraction&);
void RegisterInteractionRunner(TInteractionKind kind, TInteractionRunner runner);

// The hook in use (the Qt dialogs unless a test installed its own).
TInteractionHook& InteractionHook();
// Installs a hook (nullptr restores the Qt dialogs); returns the previous one.
TInteractionHook* SetInteractionHook(TInteractionHook* hook);
// Passes a request to the hook in use.
int RunInteraction(TInteraction& request);

// A hook for tests: answers requests in the queued order and records every
// request it saw (after the answer wrote into it). It installs itself for
// its lifetime. A request with no queued answer is recorded in Unexpected
// and cancelled (IDCANCEL / mrCancel) so that a test fails instead of hanging.
class TInteractionScript : public TInteractionHook {
public:
  using TAction = std::function<int(TInteraction&)>;

  TInteractionScript();
  ~TInteractionScript() override;
  TInteractionScript(const TInteractionScript&) = delete;
  TInteractionScript& operator=(const TInteractionScript&) = delete;

  // Presses a button / returns a result ("press OK" = Answer(IDOK)).
  TInteractionScript& Answer(int result);
  // Types a value (InputQuery), chooses a file or folder, then answers.
  TInteractionScript& AnswerValue(const String& value, int result = mrOk);
  // Arbitrary script: fill the form's controls, choose a colour, …
  TInteractionScript& Do(TAction action);

  int Run(TInteraction& request) override;

  size_t Pending() const { return FQueue.size(); }
  // Every request seen, in order.
  std::vector<TInteraction> Shown;
  // Requests that arrived with nothing queued.
  int Unexpected = 0;

private:
  std::deque<TAction> FQueue;
  TInteractionHook* FPrevious = nullptr;
};

// ---------------------------------------------------------------------------
// The calls. Texts may use "\r\n" or a lone "\r" as line breaks.
int MessageBox(const String& text, const String& caption, int flags);
TModalResult MessageDlg(const String& text, TMsgDlgType dlgType, const TMsgDlgButtons& buttons,
                        int helpContext = 0);
void ShowMessage(const String& text);
// True when the user pressed OK; value is changed only then.
bool InputQuery(const String& caption, const String& prompt, String& value);
String InputBox(const String& caption, const String& prompt, const String& defaultValue);
// Folder browser: true when the user chose a folder (written to directory).
bool SelectDirectory(const String& caption, const String& root, String& directory);
// An audible refusal. Tests count calls through BeepCount.
void MessageBeep(int kind = 0);
extern int BeepCount;

// Line breaks of the design's texts as the toolkit shows them ("\r\n" and a
// lone "\r" become "\n").
String NormalizeLineBreaks(const String& text);

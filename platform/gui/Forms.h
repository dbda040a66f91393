#pragma once
// Forms (top-level windows, dialogs, MDI frames and children), the
// application object and the screen.
#include "platform/base/Strings.h"
#include "platform/gui/Controls.h"
#include "platform/gui/Dialogs.h"

#include <exception>
#include <functional>
#include <memory>
#include <vector>

class TMainMenu;
class TActionList;
class QKeyEvent;

enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TPosition { poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
                 poMainFormCenter, poOwnerFormCenter };
// Stored by the program as 0/1/2.
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;
using TFormBorderStyle = TBorderStyle;

// The least width of a window whose title bar shows caption whole, with room
// for the window manager's icon and buttons. Forms and message boxes are
// never narrower when shown.
int CaptionFitWidth(const String& caption);

class QWindow;

class TCustomForm : public TCustomControl {
public:
  explicit TCustomForm(TComponent* AOwner);
  ~TCustomForm() override;

  // Runs OnCreate; the application's CreateForm calls it once the form's
  // own constructor has built its controls.
  virtual void DoCreate();

  String GetText() const override;
  void SetText(const String& value) override;

  TFormBorderStyle GetBorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle value);
  TFormStyle GetFormStyle() const { return FFormStyle; }
  // fsMDIChild needs the application's main form to be an MDI frame.
  void SetFormStyle(TFormStyle value);
  // A window that only reports how work goes (a progress window): shown,
  // it leaves the keyboard with the window the user works in and never
  // takes it; its buttons answer the mouse.
  void SetTakesKeyboard(bool value);
  bool GetTakesKeyboard() const { return FTakesKeyboard; }
  // Shapes the window to a polygon (winding fill, window coordinates): only
  // the inside is drawn and takes the mouse. An empty polygon removes it.
  void SetWindowRegion(const std::vector<TPoint>& polygon);
  std::vector<TPoint> WindowRegion() const { return FWindowRegion; }
  // The least size the user can drag the window to (its content area).
  void SetMinimumSize(Integer width, Integer height);
  TPosition Position = poDesigned;
  TWindowState GetWindowState() const;
  void SetWindowState(TWindowState value);
  bool KeyPreview = false;
  TModalResult ModalResult = mrNone;
  bool Modal() const { return FModal; }

  TWinControl* GetActiveControl() const;
  void SetActiveControl(TWinControl* control);
  TMainMenu* GetMenu() const { return FMenu; }
  void SetMenu(TMainMenu* menu);
  void SetIcon(const TIcon& icon);
  int HelpContext = 0;
  String HelpKeyword;

  void SetVisible(bool value) override;
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  // The widths of the window frame around the bounds (title bar and borders)
  // as Left, Top, Right, Bottom; zero until the window system has framed
  // the window (a top-level window once shown).
  TRect GetFrameMargins() const;
  // Places the window by its frame, title bar included: Place gets the
  // frame margins and sets the bounds. It runs at once (before the window
  // is framed, with the margins of its owner's or the main form's frame)
  // and again, in turn with the others made meanwhile, once the window
  // manager has framed the shown window.
  void PlaceByFrame(std::function<void(const TRect& Margins)> Place);
  // Shows, brings to the front and activates the window.
  void Show();
  void Hide();
  // Asks OnCloseQuery and OnClose; hides, frees (later), minimises or keeps
  // the form as OnClose decides. Closing the main form ends the program.
  void Close();
  bool CloseQuery();
  // Frees the form once the handler that called Release has returned.
  void Release();
  // Shows the form modally through the interaction hook; answers ModalResult.
  // The focus goes back where it was once the form is gone.
  virtual TModalResult ShowModal();
  // The window the form belongs to (its transient parent: the window
  // manager keeps the form above it, and a modal owner lets it take input).
  // When none is set, a form is shown over the modal window, else the active
  // window, else the main form.
  TCustomForm* PopupParent = nullptr;
  // The owner window the form was given when last shown (nullptr: none).
  QWindow* OwnerWindow() const;
  void BringToFront();
  // The window this one stays above and with (the window manager's owner,
  // or transient parent); nullptr for none. Takes effect when shown.
  void SetOwnerWindow(TCustomForm* Owner);
  TCustomForm* GetOwnerWindow() const;
  // What the window system has been told: the shown window is owned by
  // Owner's window.
  bool WindowOwnedBy(const TCustomForm* Owner) const;
  // Runs the command of the form's action lists that the key calls; true
  // when one ran. The main form's keys work so from the program's other
  // windows that are not modal, for keys those leave unused.
  bool IsShortCut(Word Key, TShiftState Shift);

  // --- MDI frame
  int MDIChildCount() const;
  TCustomForm* MDIChildren(int index) const;  // 0 = the active (topmost) one
  TCustomForm* ActiveMDIChild() const;
  void Cascade();
  void Tile();
  void ArrangeIcons();
  void Next();
  void Previous();

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TNotifyEvent OnDestroy;

  bool QtEvent(QEvent* event) override;
  // Events of the window frame (close, activation, state changes).
  bool FrameEvent(QEvent* event);
  void WndProc(TMessage& Message) override;
  // The modal loop of the real hook; answers the modal result.
  TModalResult RunModalLoop();

protected:
  QWidget* ClientWidget() const override;
  // The top-level window (or an MDI child's sub-window).
  QWidget* WindowWidget() const;
  friend QWidget* WindowWidgetOf(const TCustomForm* form);
  QWidget* GeometryWidget() const override;
  void AlignedRemainder(const TRect& Rect) override;
  virtual void DoShow();
  virtual void DoHide();
  virtual void Activate();
  virtual void Deactivate();
  virtual void DoClose(TCloseAction& Action);
  bool DoKeyDown(Word& Key, TShiftState Shift) override;

private:
  std::vector<TPoint> FWindowRegion;
  friend class TApplication;
  friend class TFormFrameFilter;
  void PlaceOnFirstShow();
  void SetOwnerWindow();
  void LayoutFrame();
  void ApplyWindowFlags();
  void BecomeMDIChild();
  void MDIActivated();
  struct TFormImpl;
  std::unique_ptr<TFormImpl> FForm;
  TFormBorderStyle FBorderStyle = bsSizeable;
  TFormStyle FFormStyle = fsNormal;
  TWindowState FWindowState = wsNormal;
  TMainMenu* FMenu = nullptr;
  bool FModal = false;
  bool FShownOnce = false;
  bool FClosing = false;
  bool FActive = false;
  bool FTakesKeyboard = true;
};

// The first form up AComponent's owner chain, AComponent itself included.
TCustomForm* OwnerForm(TComponent* AComponent);

// Opens the menu whose access key is Key (a letter or digit) on the menu bar
// of Form's window (an MDI child's: the frame's), as Alt with the key does
// there; false when no menu of that bar has the key.
bool OpenMenuOfAccessKey(TCustomForm* Form, Word Key);

class TForm : public TCustomForm {
public:
  explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
};

// ---------------------------------------------------------------------------

using TExceptionEvent = std::function<void(TObject* Sender, const Exception& E)>;
using TIdleEvent = std::function<void(TObject* Sender, bool& Done)>;

class TApplication : public TComponent {
public:
  TApplication();
  ~TApplication() override;

  // Creates the Qt application when there is none yet.
  void Initialize();
  // Creates a form owned by the application; the first becomes MainForm.
  template <typename T>
  T* CreateForm() {
    Initialize();
    T* form = new T(this);
    if (!MainForm) MainForm = form;
    form->DoCreate();
    return form;
  }
  TCustomForm* MainForm = nullptr;
  bool ShowMainForm = true;

  String GetTitle() const { return FTitle; }
  void SetTitle(const String& value);
  String HelpFile;

  // Shows the main form and runs the event loop until Terminate.
  void Run();
  void Terminate();
  bool Terminated() const { return FTerminated; }
  // A modal window (a form shown modally, a message box, a common dialog)
  // is up.
  bool ModalShowing() const;
  // Handles pending events (also posted messages), then returns.
  void ProcessMessages();
  // The same without user input (repaints, timers and posted messages only).
  void ProcessMessagesExcludingInput();
  // Shows the exception through OnException, or in an error box.
  void HandleException(TObject* Sender);
  void HandleException(std::exception_ptr e);
  void ShowException(const Exception& E);
  void Minimize();
  void Restore();
  void BringToFront();
  int MessageBox(const String& text, const String& caption, int flags);

  // Hints: Hint changes fire OnHint (a status bar shows them).
  String GetHint() const { return FHint; }
  void SetHint(const String& value);
  bool ShowHint = true;
  // Shows the short hint of the control under the screen point at that
  // point (hides the hint window when that control has none to show).
  void ActivateHint(TPoint CursorPos);
  void CancelHint();

  // Help: by context number or keyword, shown in the help window.
  bool HelpContext(int context);
  bool HelpKeyword(const String& keyword);
  bool HelpCommand(int command, intptr_t data);

  // Runs the idle work now (OnIdle and the action updates).
  void Idle();
  // Something the actions' state depends on changed (focus, selection,
  // document, clipboard): the next idle pass of the event loop updates them.
  // Idle passes with nothing changed run OnIdle only.
  void InvalidateActions() { FActionsDirty = true; }
  bool ActionsInvalid() const { return FActionsDirty; }
  // Action lists whose actions the idle work updates.
  void RegisterActionList(TActionList* list);
  void UnregisterActionList(TActionList* list);

  TExceptionEvent OnException;
  TIdleEvent OnIdle;
  TNotifyEvent OnHint;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnMinimize;
  TNotifyEvent OnRestore;

  // Key preview of a form (the application's key filter calls it).
  static bool PreviewKey(TCustomForm* form, QKeyEvent* ke);

private:
  String FTitle;
  String FHint;
  bool FTerminated = false;
  bool FRunning = false;
  bool FInIdle = false;
  bool FActionsDirty = true;
  void LoopIdle();
  std::vector<TActionList*> FActionLists;
  struct TAppImpl;
  std::unique_ptr<TAppImpl> FApp;
};

// ---------------------------------------------------------------------------

class TScreen : public TComponent {
public:
  TScreen();
  ~TScreen() override;

  Integer Width() const;
  Integer Height() const;
  // The screen less task bars and panels.
  TRect WorkAreaRect() const;
  Integer WorkAreaLeft() const { return WorkAreaRect().Left; }
  Integer WorkAreaTop() const { return WorkAreaRect().Top; }
  Integer WorkAreaWidth() const { return WorkAreaRect().Width(); }
  Integer WorkAreaHeight() const { return WorkAreaRect().Height(); }
  Integer PixelsPerInch() const { return ScreenPixelsPerInch; }
  // The installed font families, sorted without case.
  TStrings& Fonts();
  // The application-wide cursor (crDefault: each control's own).
  TCursor GetCursor() const { return FCursor; }
  void SetCursor(TCursor value);
  TCustomForm* ActiveForm() const;
  TWinControl* ActiveControl() const;
  int FormCount() const;
  TCustomForm* Forms(int index) const;

private:
  std::unique_ptr<TStringList> FFonts;
  TCursor FCursor = crDefault;
};

// Keeps the hourglass up for its lifetime, also when an exception leaves.
class TWaitCursor {
public:
  TWaitCursor();
  ~TWaitCursor();
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;

private:
  TCursor FSaved;
};

// A slow step told by its begin (true) and end (false), as a notice from a
// library below the windows: the hourglass is up from the first begin to
// the last end. Steps told from other threads than the GUI thread hold no
// window up and are passed over.
void BusyNotice(bool begins);

extern TApplication* Application;
extern TScreen* Screen;

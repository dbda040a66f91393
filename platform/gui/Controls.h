#pragma once
// Controls: TControl wraps a Qt widget it owns; TWinControl adds children,
// focus, keys and alignment; TCustomControl paints itself on a Canvas and
// may carry scroll bars, a caret and input-method hooks.
#include "platform/base/Components.h"
#include "platform/base/Set.h"
#include "platform/gui/Cursors.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/Messages.h"

#include <functional>
#include <memory>
#include <vector>

class QEvent;
class QObject;
class QPainter;
class QRegion;
class QWidget;
class TPopupMenu;
class TWinControl;
class TCustomForm;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateItem>;
enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
enum TScrollBarKind { sbHorizontal, sbVertical };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// ---------------------------------------------------------------------------
// Virtual-key codes (letters and digits are their ASCII upper-case codes).
constexpr Word VK_LBUTTON = 0x01, VK_RBUTTON = 0x02, VK_CANCEL = 0x03, VK_MBUTTON = 0x04;
constexpr Word VK_BACK = 0x08, VK_TAB = 0x09, VK_CLEAR = 0x0C, VK_RETURN = 0x0D;
constexpr Word VK_SHIFT = 0x10, VK_CONTROL = 0x11, VK_MENU = 0x12, VK_PAUSE = 0x13, VK_CAPITAL = 0x14;
constexpr Word VK_ESCAPE = 0x1B, VK_SPACE = 0x20, VK_PRIOR = 0x21, VK_NEXT = 0x22, VK_END = 0x23,
               VK_HOME = 0x24, VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28;
constexpr Word VK_SELECT = 0x29, VK_PRINT = 0x2A, VK_SNAPSHOT = 0x2C, VK_INSERT = 0x2D, VK_DELETE = 0x2E,
               VK_HELP = 0x2F;
constexpr Word VK_LWIN = 0x5B, VK_RWIN = 0x5C, VK_APPS = 0x5D;
constexpr Word VK_NUMPAD0 = 0x60, VK_MULTIPLY = 0x6A, VK_ADD = 0x6B, VK_SEPARATOR = 0x6C, VK_SUBTRACT = 0x6D,
               VK_DECIMAL = 0x6E, VK_DIVIDE = 0x6F;
constexpr Word VK_F1 = 0x70, VK_F2 = 0x71, VK_F3 = 0x72, VK_F4 = 0x73, VK_F5 = 0x74, VK_F6 = 0x75,
               VK_F7 = 0x76, VK_F8 = 0x77, VK_F9 = 0x78, VK_F10 = 0x79, VK_F11 = 0x7A, VK_F12 = 0x7B;
constexpr Word VK_NUMLOCK = 0x90, VK_SCROLL = 0x91;
constexpr Word VK_OEM_1 = 0xBA, VK_OEM_PLUS = 0xBB, VK_OEM_COMMA = 0xBC, VK_OEM_MINUS = 0xBD,
               VK_OEM_PERIOD = 0xBE, VK_OEM_2 = 0xBF, VK_OEM_3 = 0xC0, VK_OEM_4 = 0xDB, VK_OEM_5 = 0xDC,
               VK_OEM_6 = 0xDD, VK_OEM_7 = 0xDE;

// The virtual key of a Qt key code (Qt::Key), 0 when there is none.
Word VirtualKeyFromQtKey(int qtKey);
// The Qt key code of a virtual key, 0 when there is none.
int QtKeyFromVirtualKey(Word key);
// The toggle state of Num Lock / Caps Lock (bit 0 set when on), as far as the
// platform reports it; other keys: bit 15 while held.
int16_t GetKeyState(int virtualKey);
// The modifier keys and mouse buttons held right now.
TShiftState KeyboardShiftState();

// ---------------------------------------------------------------------------
using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TMouseWheelEvent =
    std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled)>;
using TKeyEvent = std::function<void(TObject* Sender, Word& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char16_t& Key)>;
using TScrollEvent = std::function<void(TObject* Sender, TScrollBarKind Kind, TScrollCode Code, int& ScrollPos)>;
using TContextPopupEvent = std::function<void(TObject* Sender, TPoint MousePos, bool& Handled)>;

// ---------------------------------------------------------------------------
class TControl : public TComponent {
public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  // The control a widget (or one of its ancestors) belongs to.
  static TControl* FromWidget(QWidget* widget);
  QObject* MessageReceiver() const;

  TWinControl* GetParent() const { return FParent; }
  virtual void SetParent(TWinControl* AParent);

  // --- geometry, relative to the parent's client area
  Integer GetLeft() const;
  Integer GetTop() const;
  Integer GetWidth() const;
  Integer GetHeight() const;
  void SetLeft(Integer v) { SetBounds(v, GetTop(), GetWidth(), GetHeight()); }
  void SetTop(Integer v) { SetBounds(GetLeft(), v, GetWidth(), GetHeight()); }
  void SetWidth(Integer v) { SetBounds(GetLeft(), GetTop(), v, GetHeight()); }
  void SetHeight(Integer v) { SetBounds(GetLeft(), GetTop(), GetWidth(), v); }
  virtual void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight);
  TRect BoundsRect() const { return Bounds(GetLeft(), GetTop(), GetWidth(), GetHeight()); }
  virtual TRect GetClientRect() const;
  Integer ClientWidth() const { return GetClientRect().Width(); }
  Integer ClientHeight() const { return GetClientRect().Height(); }
  void SetClientWidth(Integer v);
  void SetClientHeight(Integer v);
  TPoint ClientToScreen(TPoint p) const;
  TPoint ScreenToClient(TPoint p) const;

  TAlign GetAlign() const { return FAlign; }
  void SetAlign(TAlign value);

  // The property, not whether the window is on screen (a hidden parent hides
  // a visible child).
  bool GetVisible() const { return FVisible; }
  virtual void SetVisible(bool value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible here and in every parent.
  bool Showing() const;
  bool GetEnabled() const { return FEnabled; }
  virtual void SetEnabled(bool value);
  // The left button went down on the control (or a child that left the
  // press to it) and has not come up yet.
  bool HoldsMousePress() const { return FPressed; }
  // The rest of a press whose control goes before the release (a cell
  // editor closed by the drag begun in it): its moves and its release come
  // here, wherever the pointer is, and the capture ends with the release.
  void TakeOverMousePress();

  TColor GetColor() const { return FColor; }
  virtual void SetColor(TColor value);
  // Changes apply to the widget at once.
  TFont Font;

  virtual String GetText() const;
  virtual void SetText(const String& value);
  String GetCaption() const { return GetText(); }
  void SetCaption(const String& value) { SetText(value); }

  // "short|long": the tool tip shows the short part, Application.Hint the long.
  const String& GetHint() const { return FHint; }
  void SetHint(const String& value);
  bool ShowHint = true;

  TCursor GetCursor() const { return FCursor; }
  void SetCursor(TCursor value);
  // A mouse-transparent control lets clicks and moves through to whatever
  // lies below it (an overlay drawn over another control).
  void SetMouseTransparent(bool value);
  TPopupMenu* GetPopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* menu);

  virtual void Invalidate();
  // Paints what is pending now.
  virtual void Update();
  virtual void Repaint();
  void Refresh() { Repaint(); }
  void BringToFront();
  void SendToBack();

  // --- messages
  // The message entry point. The default calls a handler set with
  // SetMessageHandler and otherwise leaves Result at 0.
  virtual void WndProc(TMessage& Message);
  void SetMessageHandler(Cardinal msg, std::function<void(TMessage&)> handler);
  intptr_t Perform(Cardinal msg, intptr_t wParam = 0, intptr_t lParam = 0);

  // Fires OnClick (buttons also set their form's modal result).
  virtual void Click();

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TMouseWheelEvent OnMouseWheel;
  TNotifyEvent OnResize;
  TContextPopupEvent OnContextPopup;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

  // Handles one event of the widget (from the toolkit); true = consumed.
  virtual bool QtEvent(QEvent* event);

  // An event or a message is being delivered to the control: a handler of
  // it is on the stack (further out, too), or the toolkit still has the
  // context menu event of a right press to send it; it may not be deleted
  // now.
  bool InHandler() const;
  // Deletes the control once no handler of it is on the stack and the event
  // loop runs again (nothing when it is gone by then): for a control that
  // is closed from inside one of its own handlers.
  void ReleaseWhenIdle();

protected:
  // The widget (nullptr once Qt destroyed it with its parent). Other units
  // of the GUI layer reach it through WidgetOf (ControlsPrivate.h); code
  // outside the layer never does.
  QWidget* Widget() const;
  friend QWidget* WidgetOf(const TControl* control);
  // Binds the widget this control stands for; the control deletes it.
  void SetWidget(QWidget* widget);
  // The widget that carries the geometry (a form's window, an MDI child's
  // sub-window).
  virtual QWidget* GeometryWidget() const;
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void DblClick();
  // A context menu is asked for at MousePos ((-1, -1) from the keyboard);
  // Handled keeps the control's popup menu from opening.
  virtual void DoContextPopup(TPoint MousePos, bool& Handled);
  virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
  virtual void Resize();
  virtual void FontChanged();
  virtual void VisibleChanging() {}
  // Where the client area starts inside the widget (a frame or a scroll bar
  // on the left moves it); mouse positions and children are relative to it.
  virtual TPoint ClientOrigin() const { return TPoint(); }
  friend TPoint ClientOriginOf(const TControl* control);
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Controls that do not click on a mouse release (buttons use their own
  // signal; edits never click).
  bool FClickOnMouseUp = true;
  // The control paints its own background (panels, paint boxes).
  void ApplyColor();

  TWinControl* FParent = nullptr;
  TAlign FAlign = alNone;
  bool FVisible = true;
  bool FEnabled = true;
  TColor FColor = clDefault;
  String FText;
  String FHint;
  TCursor FCursor = crDefault;
  TPopupMenu* FPopupMenu = nullptr;
  // Bounds kept while there is no widget (or before it has a size).
  TRect FBounds = Bounds(0, 0, 0, 0);

private:
  friend class TWinControl;
  friend void RunControlHandler(TControl* control, const std::function<void()>& handler);
  friend bool DeliverControlEvent(TControl* control, QEvent* e);
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
  void EndPressCapture();
  bool FPressed = false;
  int FWheelAccum = 0;
};

// ---------------------------------------------------------------------------
class TWinControl : public TControl {
public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;

  int ControlCount() const { return static_cast<int>(FControls.size()); }
  TControl* Controls(int index) const { return FControls.at(static_cast<size_t>(index)); }
  bool ContainsControl(const TControl* control) const;
  // Lays out the aligned children over the client area.
  virtual void AlignControls();
  void DisableAlign() { ++FAlignLock; }
  void EnableAlign();

  // --- focus
  virtual void SetFocus();
  bool Focused() const;
  virtual bool CanFocus() const;
  bool TabStop = true;
  int GetTabOrder() const { return FTabOrder; }
  void SetTabOrder(int value);

  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

  bool QtEvent(QEvent* event) override;

protected:
  // The widget children are placed in (the client area).
  virtual QWidget* ClientWidget() const;
  friend QWidget* ClientWidgetOf(const TWinControl* control);
  // Key phases; a handler sets Key to 0 to swallow it. Answers whether the
  // key was swallowed.
  virtual bool DoKeyDown(Word& Key, TShiftState Shift);
  virtual bool DoKeyUp(Word& Key, TShiftState Shift);
  virtual bool DoKeyPress(char16_t& Key);
  // The characters the key being handled produces (empty for keys that
  // produce none); valid during DoKeyDown, so that a control can take the
  // key and its text in one step.
  const WideString& KeyText() const { return FKeyText; }
  // Whether the control takes this key itself before any menu or action
  // shortcut bound to it (editing keys of an editor).
  virtual bool WantsShortcutKey(Word Key, TShiftState Shift) { return false; }
  virtual void DoEnter();
  virtual void DoExit();
  // The rectangle aligned children share (ClientRect by default).
  virtual TRect AlignRect() const;
  // What the aligned children left over (an MDI frame puts its client there).
  virtual void AlignedRemainder(const TRect& Rect) {}
  // Puts every child's widget back where its bounds say (after the client
  // origin moved).
  void PlaceChildren();
  // A child joined or left (tool bars and page controls take its widget).
  virtual void ChildInserted(TControl* Control) {}
  virtual void ChildRemoved(TControl* Control) {}
  virtual void ChildVisibleChanged(TControl* Control) {}
  // A child's bounds changed (the default re-aligns for aligned children).
  virtual void ChildBoundsChanged(TControl* Control);

private:
  friend class TControl;
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  bool KeyFromFocusedChild() const;
  std::vector<TControl*> FControls;
  int FAlignLock = 0;
  int FTabOrder = -1;
  bool FAligning = false;
  bool FReinjecting = false;
  WideString FKeyText;
};

// ---------------------------------------------------------------------------
// Window styles a control that paints itself takes from CreateParams. Only
// the frame and the side of the vertical bar change anything here; the
// scroll bars come and go with SetScrollInfo, and children always clip.
constexpr Cardinal WS_BORDER = 0x00800000;
constexpr Cardinal WS_VSCROLL = 0x00200000;
constexpr Cardinal WS_HSCROLL = 0x00100000;
constexpr Cardinal WS_CLIPCHILDREN = 0x02000000;
constexpr Cardinal WS_EX_CLIENTEDGE = 0x00000200;
constexpr Cardinal WS_EX_LEFTSCROLLBAR = 0x00004000;

struct TCreateParams {
  Cardinal Style = 0;
  Cardinal ExStyle = 0;
};

// System metrics (GetSystemMetrics) and settings (SystemParametersInfo).
constexpr int SM_CXVSCROLL = 2;
constexpr int SM_CYBORDER = 6;
constexpr int SM_CYHSCROLL = 3;
constexpr int SM_CYVSCROLL = 20;
constexpr int SM_CXHSCROLL = 21;
constexpr int SM_CXDRAG = 68;
constexpr int SM_CYDRAG = 69;
// The scroll-bar sizes of the style in use (what a shown bar takes from the
// client area); the desktop's drag distance; a thin border line (1). 0 for
// any other index.
int GetSystemMetrics(int index);
constexpr unsigned SPI_GETWHEELSCROLLLINES = 0x0068;
// SPI_GETWHEELSCROLLLINES: the lines one wheel notch scrolls into *value.
// False (value untouched) for any other action.
bool SystemParametersInfo(unsigned action, unsigned param, void* value, unsigned winIni = 0);
// Milliseconds within which a second click makes a double click.
Cardinal GetDoubleClickTime();
// The time stamp (milliseconds) of the last input event the controls saw.
Cardinal GetMessageTime();
// The pointer in screen coordinates.
bool GetCursorPos(TPoint& point);
// Mouse capture: every mouse event goes to control until released (or until
// the control goes). GetCapture answers the holder, nullptr when none.
TControl* SetCapture(TControl* control);
bool ReleaseCapture();
TControl* GetCapture();
// Tells a press from the start of a drag: true once the pointer has moved
// the desktop's drag distance (SM_CXDRAG) from where the button went down.
bool DragDetect(TPoint pressedAt, TPoint now);

// ---------------------------------------------------------------------------
struct TScrollInfo {
  int Min = 0;
  int Max = 0;
  int Page = 0;
  int Pos = 0;
  int TrackPos = 0;
};

// A control that paints itself (OnPaint / Paint with Canvas), with optional
// scroll bars, a caret it draws and blinks, and input-method hooks.
class TCustomControl : public TWinControl {
public:
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;

  // Bound to the widget's painter while a paint runs; usable for measuring
  // at other times.
  TCanvas* Canvas() const { return FActiveCanvas; }
  TNotifyEvent OnPaint;

  TRect GetClientRect() const override;

  // --- window frame: RecreateWnd asks CreateParams again and applies it.
  // WS_BORDER frames the control with a line, WS_EX_CLIENTEDGE with a sunken
  // edge two pixels wide; WS_EX_LEFTSCROLLBAR puts the vertical bar on the
  // left (right-to-left windows). The client area lies inside the frame and
  // the bars. Call it once the constructor is done (CreateParams is virtual).
  void RecreateWnd();
  bool Ctl3D = true;

  // --- painting: invalid rectangles collect until painted; Update paints
  // them now, and only them. A WM_ERASEBKGND handler answering non-zero says
  // that painting covers everything: nothing is erased beforehand, and
  // ScrollWindow moves the pixels instead of repainting them.
  void InvalidateRect(const TRect& Rect);
  void Invalidate() override;
  void Update() override;
  // The area waiting to be painted (client coordinates; empty when none).
  TRect GetUpdateRect() const;

  // --- scroll bars: range Min..Max with a page of Page; the largest position
  // is Max - Page + 1; a page larger than the range hides the bar unless
  // DisableNoScroll, which shows it disabled.
  void SetScrollInfo(TScrollBarKind kind, const TScrollInfo& info, bool disableNoScroll = false);
  TScrollInfo GetScrollInfo(TScrollBarKind kind) const;
  int GetScrollPos(TScrollBarKind kind) const;
  void SetScrollPos(TScrollBarKind kind, int pos);
  void ShowScrollBar(TScrollBarKind kind, bool show);
  bool ScrollBarVisible(TScrollBarKind kind) const;
  void EnableScrollBar(TScrollBarKind kind, bool enable);
  void SetScrollSteps(TScrollBarKind kind, int lineStep);
  // A WM_HSCROLL/WM_VSCROLL handler (or OnScroll) that sets the position
  // decides where the bar ends; otherwise the bar's own step stands.
  // Thumb dragging sends scTrack positions while dragging when true, only
  // the final scPosition when false.
  bool Tracking = true;
  // Moves the pixels of the client area; the uncovered strip becomes
  // invalid (Update paints it).
  void ScrollWindow(int dx, int dy);
  // Also sent as WM_HSCROLL/WM_VSCROLL (WParam code, LParam position).
  TScrollEvent OnScroll;

  // --- caret (one per control)
  void CreateCaret(int width, int height);
  void DestroyCaret();
  void SetCaretPos(int x, int y);
  TPoint GetCaretPos() const;
  void ShowCaret();
  void HideCaret();
  bool CaretVisible() const;

  // --- input method: composition text arrives as preedit (CursorPos: the
  // input method's cursor inside it, in UTF-16 units), the result as commit.
  // The editor draws the preedit itself. OnImeSurrounding answers the input
  // method's questions about the text around the caret: the paragraph's
  // text and the caret and selection-anchor positions in it.
  void SetInputMethodEnabled(bool enabled);
  std::function<void(TObject* Sender, const WideString& Text, int CursorPos)> OnImePreedit;
  std::function<void(TObject* Sender, const WideString& Text)> OnImeCommit;
  std::function<bool(TObject* Sender, WideString& Text, int& CursorPos, int& AnchorPos)> OnImeSurrounding;
  // Keeps Tab (and Shift+Tab) for the control instead of moving focus.
  bool WantTabs = false;

  // Runs a paint now into the given canvas (printing, tests).
  void PaintTo(TCanvas* canvas);

  bool QtEvent(QEvent* event) override;

protected:
  virtual void Paint();
  virtual void CreateParams(TCreateParams& Params) {}
  TPoint ClientOrigin() const override;
  // Part of the client area became invalid (InvalidateRect, Invalidate):
  // a control that keeps its own image of the client area learns what to
  // draw again.
  virtual void Invalidated(const TRect& Rect) {}
  virtual void ImePreedit(const WideString& Text, int CursorPos);
  virtual void ImeCommit(const WideString& Text);
  virtual bool ImeSurrounding(WideString& Text, int& CursorPos, int& AnchorPos);
  virtual void Scroll(TScrollBarKind Kind, TScrollCode Code, int& Pos);

private:
  friend class TPaintHostWidget;
  void PaintWidget(const QRegion& region);
  void PaintFrame(QPainter& painter);
  void LayoutScrollBars();
  void ClipChild(QWidget* child) const;
  void ClipChildren() const;
  void ApplyScrollPosition(TScrollBarKind kind, int pos);
  std::unique_ptr<TCanvas> FCanvas;
  TCanvas* FActiveCanvas = nullptr;
  struct TCustomImpl;
  std::unique_ptr<TCustomImpl> FCustom;
};

// The form a control sits on (nullptr when none).
TCustomForm* GetParentForm(const TControl* control);
// "short|long" hint parts.
String GetShortHint(const String& hint);
String GetLongHint(const String& hint);

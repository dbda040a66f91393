#include "platform/gui/Controls.h"

#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Forms.h"
#include "platform/gui/GuiPrivate.h"
#include "platform/gui/Menus.h"
#include "platform/gui/QtText.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QCursor>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <QStyleHints>
#include <QTimer>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>
#include <map>

// ---------------------------------------------------------------------------
// Keys

namespace {

struct TKeyPair {
  int Qt;
  Word Vk;
};

const TKeyPair kKeys[] = {
    {Qt::Key_Backspace, VK_BACK},     {Qt::Key_Tab, VK_TAB},         {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Clear, VK_CLEAR},        {Qt::Key_Return, VK_RETURN},   {Qt::Key_Enter, VK_RETURN},
    {Qt::Key_Shift, VK_SHIFT},        {Qt::Key_Control, VK_CONTROL}, {Qt::Key_Alt, VK_MENU},
    {Qt::Key_Pause, VK_PAUSE},        {Qt::Key_CapsLock, VK_CAPITAL}, {Qt::Key_Escape, VK_ESCAPE},
    {Qt::Key_Space, VK_SPACE},        {Qt::Key_PageUp, VK_PRIOR},    {Qt::Key_PageDown, VK_NEXT},
    {Qt::Key_End, VK_END},            {Qt::Key_Home, VK_HOME},       {Qt::Key_Left, VK_LEFT},
    {Qt::Key_Up, VK_UP},              {Qt::Key_Right, VK_RIGHT},     {Qt::Key_Down, VK_DOWN},
    {Qt::Key_Select, VK_SELECT},      {Qt::Key_Print, VK_SNAPSHOT},  {Qt::Key_Insert, VK_INSERT},
    {Qt::Key_Delete, VK_DELETE},      {Qt::Key_Help, VK_HELP},       {Qt::Key_Meta, VK_LWIN},
    {Qt::Key_Menu, VK_APPS},          {Qt::Key_NumLock, VK_NUMLOCK}, {Qt::Key_ScrollLock, VK_SCROLL},
    {Qt::Key_Semicolon, VK_OEM_1},    {Qt::Key_Colon, VK_OEM_1},     {Qt::Key_Equal, VK_OEM_PLUS},
    {Qt::Key_Plus, VK_OEM_PLUS},     {Qt::Key_Comma, VK_OEM_COMMA}, {Qt::Key_Less, VK_OEM_COMMA},
    {Qt::Key_Minus, VK_OEM_MINUS},    {Qt::Key_Underscore, VK_OEM_MINUS}, {Qt::Key_Period, VK_OEM_PERIOD},
    {Qt::Key_Greater, VK_OEM_PERIOD}, {Qt::Key_Slash, VK_OEM_2},     {Qt::Key_Question, VK_OEM_2},
    {Qt::Key_QuoteLeft, VK_OEM_3},    {Qt::Key_AsciiTilde, VK_OEM_3}, {Qt::Key_BracketLeft, VK_OEM_4},
    {Qt::Key_BraceLeft, VK_OEM_4},    {Qt::Key_Backslash, VK_OEM_5}, {Qt::Key_Bar, VK_OEM_5},
    {Qt::Key_BracketRight, VK_OEM_6}, {Qt::Key_BraceRight, VK_OEM_6}, {Qt::Key_Apostrophe, VK_OEM_7},
    {Qt::Key_QuoteDbl, VK_OEM_7},
};

// Shifted digits on a US layout arrive as their symbols; the key is the digit.
const std::pair<int, char> kShiftedDigits[] = {{Qt::Key_Exclam, '1'},   {Qt::Key_At, '2'},
                                               {Qt::Key_NumberSign, '3'}, {Qt::Key_Dollar, '4'},
                                               {Qt::Key_Percent, '5'},  {Qt::Key_AsciiCircum, '6'},
                                               {Qt::Key_Ampersand, '7'}, {Qt::Key_Asterisk, '8'},
                                               {Qt::Key_ParenLeft, '9'}, {Qt::Key_ParenRight, '0'}};

}  // namespace

Word VirtualKeyFromQtKey(int qtKey) {
  if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) return static_cast<Word>('A' + (qtKey - Qt::Key_A));
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return static_cast<Word>('0' + (qtKey - Qt::Key_0));
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return static_cast<Word>(VK_F1 + (qtKey - Qt::Key_F1));
  for (auto& k : kKeys)
    if (k.Qt == qtKey) return k.Vk;
  for (auto& [q, d] : kShiftedDigits)
    if (q == qtKey) return static_cast<Word>(d);
  return 0;
}

int QtKeyFromVirtualKey(Word key) {
  if (key >= 'A' && key <= 'Z') return Qt::Key_A + (key - 'A');
  if (key >= '0' && key <= '9') return Qt::Key_0 + (key - '0');
  if (key >= VK_F1 && key <= VK_F1 + 23) return Qt::Key_F1 + (key - VK_F1);
  for (auto& k : kKeys)
    if (k.Vk == key) return k.Qt;
  return 0;
}

// The keypad's operators are keys of their own, not shifted digits.
Word VirtualKeyOfEvent(const QKeyEvent* ke) {
  if (ke->modifiers() & Qt::KeypadModifier) {
    switch (ke->key()) {
      case Qt::Key_Asterisk: return VK_MULTIPLY;
      case Qt::Key_Plus: return VK_ADD;
      case Qt::Key_Minus: return VK_SUBTRACT;
      case Qt::Key_Slash: return VK_DIVIDE;
      default: break;
    }
  }
  return VirtualKeyFromQtKey(ke->key());
}

TShiftState ShiftFromQt(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons) {
  TShiftState s;
  if (mods & Qt::ShiftModifier) s.Include(ssShift);
  if (mods & Qt::ControlModifier) s.Include(ssCtrl);
  if (mods & Qt::AltModifier) s.Include(ssAlt);
  if (buttons & Qt::LeftButton) s.Include(ssLeft);
  if (buttons & Qt::RightButton) s.Include(ssRight);
  if (buttons & Qt::MiddleButton) s.Include(ssMiddle);
  return s;
}

TShiftState KeyboardShiftState() {
  return ShiftFromQt(QGuiApplication::queryKeyboardModifiers(), QGuiApplication::mouseButtons());
}

int16_t GetKeyState(int virtualKey) {
  auto held = [](bool down) { return static_cast<int16_t>(down ? 0x8000 : 0); };
  Qt::KeyboardModifiers mods = QGuiApplication::queryKeyboardModifiers();
  switch (virtualKey) {
    case VK_SHIFT: return held(mods & Qt::ShiftModifier);
    case VK_CONTROL: return held(mods & Qt::ControlModifier);
    case VK_MENU: return held(mods & Qt::AltModifier);
    case VK_LBUTTON: return held(QGuiApplication::mouseButtons() & Qt::LeftButton);
    case VK_RBUTTON: return held(QGuiApplication::mouseButtons() & Qt::RightButton);
    case VK_NUMLOCK:
    case VK_CAPITAL: return LockKeyToggled(virtualKey) ? 1 : 0;
    default: return 0;
  }
}

namespace {
Cardinal& LastMessageTime() {
  static Cardinal time = 0;
  return time;
}
}  // namespace

int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
    case SM_CYVSCROLL:
    case SM_CXHSCROLL: return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    case SM_CXDRAG:
    case SM_CYDRAG: return QGuiApplication::styleHints()->startDragDistance();
    case SM_CYBORDER: return 1;
    default: return 0;
  }
}

bool SystemParametersInfo(unsigned action, unsigned, void* value, unsigned) {
  if (action != SPI_GETWHEELSCROLLLINES || !value) return false;
  *static_cast<unsigned*>(value) = static_cast<unsigned>(QGuiApplication::styleHints()->wheelScrollLines());
  return true;
}

Cardinal GetDoubleClickTime() {
  return static_cast<Cardinal>(QGuiApplication::styleHints()->mouseDoubleClickInterval());
}

Cardinal GetMessageTime() { return LastMessageTime(); }

bool GetCursorPos(TPoint& point) {
  const QPoint p = QCursor::pos();
  point = TPoint(p.x(), p.y());
  return true;
}

TControl* SetCapture(TControl* control) {
  TControl* previous = GetCapture();
  if (QWidget* w = WidgetOf(control)) w->grabMouse();
  return previous;
}

bool ReleaseCapture() {
  if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
  return true;
}

TControl* GetCapture() { return TControl::FromWidget(QWidget::mouseGrabber()); }

bool DragDetect(TPoint pressedAt, TPoint now) {
  const int limit = QGuiApplication::styleHints()->startDragDistance();
  return std::abs(now.X - pressedAt.X) >= limit || std::abs(now.Y - pressedAt.Y) >= limit;
}

String GetShortHint(const String& hint) {
  size_t bar = hint.find('|');
  return bar == String::npos ? hint : hint.substr(0, bar);
}

String GetLongHint(const String& hint) {
  size_t bar = hint.find('|');
  return bar == String::npos ? hint : hint.substr(bar + 1);
}

// ---------------------------------------------------------------------------
// The filter that hands a control's widget events to the control.

class TControlFilter : public QObject {
public:
  explicit TControlFilter(TControl* control) : FControl(control) {}
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (watched != WidgetOf(FControl)) return false;
    return DeliverControlEvent(FControl, e);
  }

private:
  TControl* FControl;
};

struct TControl::TImpl {
  QPointer<QWidget> Widget;
  std::unique_ptr<TControlFilter> Filter;
  std::unique_ptr<TMessageReceiver> Receiver;
  std::map<Cardinal, std::function<void(TMessage&)>> Handlers;
  // Handlers of the control on the stack, and a deletion waiting for none.
  int HandlerDepth = 0;
  bool ReleasePending = false;
  // The mouse captured by TakeOverMousePress, till the release.
  bool PressCaptured = false;
  // A right press reached the control's widget (or a child of it): the
  // toolkit keeps that widget to send it the press's context menu event
  // once the press's handlers are over, so the control must outlive that.
  bool ContextMenuDue = false;
};

namespace {

// Deleted from the application object once the event loop runs: never
// from inside the toolkit's delivery to the control.
void QueueRelease(TControl* control) {
  const QPointer<QObject> alive(control->MessageReceiver());
  QMetaObject::invokeMethod(
      qApp,
      [control, alive] {
        // Entered again meanwhile: leaving that handler queues it anew.
        if (alive && !control->InHandler()) delete control;
      },
      Qt::QueuedConnection);
}

}  // namespace

void RunControlHandler(TControl* control, const std::function<void()>& handler) {
  // The handler may delete the control (its receiver goes first).
  const QPointer<QObject> alive(control->MessageReceiver());
  ++control->FImpl->HandlerDepth;
  GuardedCall(handler);
  if (!alive) return;
  if (--control->FImpl->HandlerDepth == 0 && control->FImpl->ReleasePending) QueueRelease(control);
}

bool TControl::InHandler() const { return FImpl->HandlerDepth > 0 || FImpl->ContextMenuDue; }

bool DeliverControlEvent(TControl* control, QEvent* e) {
  // The wait over: a release asked for meanwhile can come now.
  auto endWait = [](TControl* c) {
    TControl::TImpl& impl = *c->FImpl;
    if (!impl.ContextMenuDue) return;
    impl.ContextMenuDue = false;
    if (impl.HandlerDepth == 0 && impl.ReleasePending) QueueRelease(c);
  };
  TControl::TImpl& impl = *control->FImpl;
  if (e->type() == QEvent::ContextMenu) {
    endWait(control);
  } else if (e->type() == QEvent::MouseButtonPress && e->spontaneous() &&
             static_cast<QMouseEvent*>(e)->button() == Qt::RightButton && !impl.ContextMenuDue) {
    // Only the widget the window system's press went to gets that event
    // (the parents the press goes on to do not).
    impl.ContextMenuDue = true;
    // No context menu event comes when the press lies outside the window's
    // own widget: the wait ends once the event loop runs again.
    const QPointer<QObject> alive(control->MessageReceiver());
    QMetaObject::invokeMethod(
        qApp,
        [control, alive, endWait] {
          if (alive) endWait(control);
        },
        Qt::QueuedConnection);
  }
  // One pointer: the handler is held without an allocation, which could
  // fail under memory exhaustion where nothing may raise (inside the
  // toolkit, a window being destroyed).
  struct {
    TControl* Control;
    QEvent* Event;
    bool Consumed = false;
  } call{control, e};
  RunControlHandler(control, [to = &call] { to->Consumed = to->Control->QtEvent(to->Event); });
  return call.Consumed;
}

void TControl::ReleaseWhenIdle() {
  if (FImpl->ReleasePending) return;
  FImpl->ReleasePending = true;
  if (FImpl->HandlerDepth == 0) QueueRelease(this);
}

namespace {
const char* const kControlProperty = "qy_control";
}

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FImpl(std::make_unique<TImpl>()) {
  FImpl->Receiver = std::make_unique<TMessageReceiver>(this);
  Font.OnChange = [this](TObject*) { FontChanged(); };
}

TControl::~TControl() {
  FImpl->Receiver.reset();  // drops messages still queued for us
  if (FParent) FParent->RemoveControl(this);
  if (FImpl->Widget) {
    FImpl->Widget->removeEventFilter(FImpl->Filter.get());
    FImpl->Widget->setProperty(kControlProperty, QVariant());
    delete FImpl->Widget.data();
  }
}

void TControl::TakeOverMousePress() {
  QWidget* w = Widget();
  if (!w || !w->isVisible()) return;
  FPressed = true;
  FImpl->PressCaptured = true;
  w->grabMouse();
}

void TControl::EndPressCapture() {
  if (!FImpl->PressCaptured) return;
  FImpl->PressCaptured = false;
  if (QWidget::mouseGrabber() == Widget()) Widget()->releaseMouse();
}

QWidget* TControl::Widget() const { return FImpl->Widget.data(); }
QWidget* WidgetOf(const TControl* control) { return control ? control->Widget() : nullptr; }
TPoint ClientOriginOf(const TControl* control) { return control ? control->ClientOrigin() : TPoint(); }
QObject* TControl::MessageReceiver() const { return FImpl->Receiver.get(); }
QWidget* TControl::GeometryWidget() const { return Widget(); }

TControl* TControl::FromWidget(QWidget* widget) {
  for (QWidget* w = widget; w; w = w->parentWidget()) {
    QVariant v = w->property(kControlProperty);
    if (v.isValid()) return static_cast<TControl*>(v.value<void*>());
  }
  return nullptr;
}

void TControl::SetWidget(QWidget* widget) {
  FImpl->Widget = widget;
  if (!widget) return;
  widget->setProperty(kControlProperty, QVariant::fromValue<void*>(this));
  if (!FImpl->Filter) FImpl->Filter = std::make_unique<TControlFilter>(this);
  widget->installEventFilter(FImpl->Filter.get());
  widget->setAttribute(Qt::WA_Hover, true);
  if (FBounds.Width() > 0 || FBounds.Height() > 0)
    widget->setGeometry(FBounds.Left, FBounds.Top, FBounds.Width(), FBounds.Height());
  else
    FBounds = Bounds(widget->x(), widget->y(), widget->width(), widget->height());
}

void TControl::SetParent(TWinControl* AParent) {
  if (AParent == FParent) return;
  TRect bounds = BoundsRect();
  if (FParent) FParent->RemoveControl(this);
  FParent = AParent;
  if (QWidget* w = GeometryWidget()) {
    const TPoint o = ClientOriginOf(AParent);
    w->setParent(AParent ? AParent->ClientWidget() : nullptr);
    w->setGeometry(bounds.Left + o.X, bounds.Top + o.Y, bounds.Width(), bounds.Height());
    if (AParent) w->setVisible(FVisible);
  }
  if (FParent) FParent->InsertControl(this);
}

// A window's x() and y() include the frame the window manager draws, while
// SetBounds places the inside of it; reading the inside too keeps a saved
// position from creeping by the frame on every restore.
Integer TControl::GetLeft() const {
  QWidget* w = GeometryWidget();
  return w ? w->geometry().x() - ClientOriginOf(FParent).X : FBounds.Left;
}
Integer TControl::GetTop() const {
  QWidget* w = GeometryWidget();
  return w ? w->geometry().y() - ClientOriginOf(FParent).Y : FBounds.Top;
}
Integer TControl::GetWidth() const {
  QWidget* w = GeometryWidget();
  return w ? w->width() : FBounds.Width();
}
Integer TControl::GetHeight() const {
  QWidget* w = GeometryWidget();
  return w ? w->height() : FBounds.Height();
}

void TControl::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  AWidth = std::max(0, AWidth);
  AHeight = std::max(0, AHeight);
  FBounds = Bounds(ALeft, ATop, AWidth, AHeight);
  const TPoint o = ClientOriginOf(FParent);
  if (QWidget* w = GeometryWidget()) w->setGeometry(ALeft + o.X, ATop + o.Y, AWidth, AHeight);
  if (auto* self = dynamic_cast<TWinControl*>(this)) self->AlignControls();
  if (FParent && !FParent->FAligning) FParent->ChildBoundsChanged(this);
}

void TWinControl::ChildBoundsChanged(TControl* Control) {
  if (Control->GetAlign() != alNone) AlignControls();
}

TRect TControl::GetClientRect() const {
  QWidget* w = Widget();
  return w ? Rect(0, 0, w->width(), w->height()) : Rect(0, 0, FBounds.Width(), FBounds.Height());
}

void TControl::SetClientWidth(Integer v) { SetWidth(GetWidth() - ClientWidth() + v); }
void TControl::SetClientHeight(Integer v) { SetHeight(GetHeight() - ClientHeight() + v); }

TPoint TControl::ClientToScreen(TPoint p) const {
  QWidget* w = Widget();
  if (!w) return p;
  const TPoint o = ClientOrigin();
  QPoint g = w->mapToGlobal(QPoint(p.X + o.X, p.Y + o.Y));
  return {g.x(), g.y()};
}

TPoint TControl::ScreenToClient(TPoint p) const {
  QWidget* w = Widget();
  if (!w) return p;
  const TPoint o = ClientOrigin();
  QPoint l = w->mapFromGlobal(QPoint(p.X, p.Y));
  return {l.x() - o.X, l.y() - o.Y};
}

void TControl::SetAlign(TAlign value) {
  if (value == FAlign) return;
  FAlign = value;
  if (FParent) FParent->AlignControls();
}

void TControl::SetVisible(bool value) {
  if (value == FVisible) return;
  VisibleChanging();
  FVisible = value;
  if (QWidget* w = GeometryWidget())
    if (FParent || !value || w->parentWidget()) w->setVisible(value);
  if (FParent) FParent->ChildVisibleChanged(this);
  if (FParent && FAlign != alNone) FParent->AlignControls();
}

bool TControl::Showing() const {
  for (const TControl* c = this; c; c = c->FParent)
    if (!c->FVisible) return false;
  QWidget* w = Widget();
  return w && w->isVisible();
}

void TControl::SetEnabled(bool value) {
  FEnabled = value;
  if (QWidget* w = Widget()) w->setEnabled(value);
}

void TControl::SetColor(TColor value) {
  FColor = value;
  ApplyColor();
}

void TControl::ApplyColor() {
  QWidget* w = Widget();
  if (!w) return;
  if (FColor == clDefault || FColor == clNone) {
    w->setAutoFillBackground(false);
    return;
  }
  const QColor c = QColorOf(FColor);
  QPalette pal = w->palette();
  pal.setColor(QPalette::Window, c);
  pal.setColor(QPalette::Base, c);
  pal.setColor(QPalette::Button, c);
  w->setPalette(pal);
  w->setAutoFillBackground(true);
}

void TControl::FontChanged() {
  QWidget* w = Widget();
  if (!w) return;
  w->setFont(Font.QtFont());
  const QColor c = QColorOf(Font.GetColor());
  QPalette pal = w->palette();
  // The font's colour is the text of an enabled control: a disabled one keeps
  // the style's dimmed text, so that it looks unavailable.
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
      pal.setColor(group, role, c);
  w->setPalette(pal);
}

String TControl::GetText() const { return FText; }
void TControl::SetText(const String& value) { FText = value; }

void TControl::SetHint(const String& value) {
  FHint = value;
  if (QWidget* w = Widget()) w->setToolTip(ToQ(GetShortHint(value)));
}

void TControl::SetMouseTransparent(bool value) {
  if (QWidget* w = Widget()) w->setAttribute(Qt::WA_TransparentForMouseEvents, value);
}

void TControl::SetCursor(TCursor value) {
  FCursor = value;
  QWidget* w = Widget();
  if (!w) return;
  if (value == crDefault)
    w->unsetCursor();
  else
    w->setCursor(CursorOf(value));
}

void TControl::SetPopupMenu(TPopupMenu* menu) {
  if (FPopupMenu == menu) return;
  if (FPopupMenu) FPopupMenu->RemoveFreeNotification(this);
  FPopupMenu = menu;
  if (menu) menu->FreeNotification(this);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FPopupMenu) FPopupMenu = nullptr;
}

void TControl::Invalidate() {
  if (QWidget* w = Widget()) w->update();
}
void TControl::Update() {
  if (QWidget* w = Widget()) w->repaint();
}
void TControl::Repaint() {
  if (QWidget* w = Widget()) w->repaint();
}
void TControl::BringToFront() {
  if (QWidget* w = GeometryWidget()) w->raise();
}
void TControl::SendToBack() {
  if (QWidget* w = GeometryWidget()) w->lower();
}

void TControl::WndProc(TMessage& Message) {
  auto it = FImpl->Handlers.find(Message.Msg);
  if (it != FImpl->Handlers.end() && it->second) it->second(Message);
}

void TControl::SetMessageHandler(Cardinal msg, std::function<void(TMessage&)> handler) {
  FImpl->Handlers[msg] = std::move(handler);
}

intptr_t TControl::Perform(Cardinal msg, intptr_t wParam, intptr_t lParam) {
  return SendMessage(this, msg, wParam, lParam);
}

void TControl::Click() {
  TAskingWindow asking(Widget());
  if (OnClick) OnClick(this);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}
void TControl::MouseMove(TShiftState Shift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}
void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}
void TControl::DoContextPopup(TPoint MousePos, bool& Handled) {
  if (OnContextPopup) OnContextPopup(this, MousePos, Handled);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}
bool TControl::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
  return handled;
}
void TControl::Resize() {
  if (OnResize) OnResize(this);
}

namespace {
bool ButtonOf(Qt::MouseButton b, TMouseButton& out) {
  switch (b) {
    case Qt::LeftButton: out = mbLeft; return true;
    case Qt::RightButton: out = mbRight; return true;
    case Qt::MiddleButton: out = mbMiddle; return true;
    default: return false;
  }
}
}  // namespace

bool TControl::QtEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
      LastMessageTime() = static_cast<Cardinal>(static_cast<QInputEvent*>(event)->timestamp());
      break;
    default: break;
  }
  const QPoint origin(ClientOrigin().X, ClientOrigin().Y);
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      auto* me = static_cast<QMouseEvent*>(event);
      TMouseButton button;
      if (!ButtonOf(me->button(), button)) return false;
      TShiftState shift = ShiftFromQt(me->modifiers(), me->buttons());
      const QPoint p = me->position().toPoint() - origin;
      if (event->type() == QEvent::MouseButtonDblClick) {
        shift.Include(ssDouble);
        if (button == mbLeft) DblClick();
      }
      FPressed = button == mbLeft;
      MouseDown(button, shift, p.x(), p.y());
      return false;
    }
    case QEvent::MouseButtonRelease: {
      auto* me = static_cast<QMouseEvent*>(event);
      TMouseButton button;
      if (!ButtonOf(me->button(), button)) return false;
      const QPoint p = me->position().toPoint() - origin;
      bool wasPressed = FPressed && button == mbLeft;
      FPressed = false;
      if (button == mbLeft) EndPressCapture();
      MouseUp(button, ShiftFromQt(me->modifiers(), me->buttons()), p.x(), p.y());
      if (wasPressed && FClickOnMouseUp && Widget() && Widget()->rect().contains(p + origin)) Click();
      return false;
    }
    case QEvent::MouseMove: {
      auto* me = static_cast<QMouseEvent*>(event);
      // A move without the button: its release went elsewhere (a dialog
      // that came up meanwhile), and the mouse is everyone's again.
      if (!(me->buttons() & Qt::LeftButton) && FImpl->PressCaptured) {
        FPressed = false;
        EndPressCapture();
      }
      const QPoint p = me->position().toPoint() - origin;
      MouseMove(ShiftFromQt(me->modifiers(), me->buttons()), p.x(), p.y());
      return false;
    }
    case QEvent::Wheel: {
      auto* we = static_cast<QWheelEvent*>(event);
      // Touchpads send fractions of a notch: hand on whole notches only.
      FWheelAccum += we->angleDelta().y();
      bool handled = false;
      while (FWheelAccum >= 120 || FWheelAccum <= -120) {
        int delta = FWheelAccum > 0 ? 120 : -120;
        FWheelAccum -= delta;
        QPoint g = we->globalPosition().toPoint();
        handled = DoMouseWheel(ShiftFromQt(we->modifiers(), we->buttons()), delta, {g.x(), g.y()}) || handled;
      }
      return handled;
    }
    case QEvent::Resize: Resize(); return false;
    case QEvent::ContextMenu: {
      auto* ce = static_cast<QContextMenuEvent*>(event);
      // From the keyboard the position is (-1, -1), as callers expect.
      TPoint pos = ce->reason() == QContextMenuEvent::Keyboard ? TPoint(-1, -1)
                                                                : TPoint(ce->x() - origin.x(), ce->y() - origin.y());
      bool handled = false;
      DoContextPopup(pos, handled);
      if (handled) return true;
      if (FPopupMenu && FPopupMenu->AutoPopup) {
        FPopupMenu->PopupComponent = this;
        FPopupMenu->Popup(ce->globalPos().x(), ce->globalPos().y());
        return true;
      }
      return false;
    }
    case QEvent::Enter:
      if (OnMouseEnter) OnMouseEnter(this);
      if (Application && !FHint.empty()) Application->SetHint(GetLongHint(FHint));
      return false;
    case QEvent::Leave:
      if (OnMouseLeave) OnMouseLeave(this);
      Perform(CM_MOUSELEAVE);
      return false;
    default: return false;
  }
}

// ---------------------------------------------------------------------------

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) { FClickOnMouseUp = false; }

TWinControl::~TWinControl() {
  for (TControl* c : FControls) c->FParent = nullptr;
  FControls.clear();
}

QWidget* TWinControl::ClientWidget() const { return Widget(); }
QWidget* ClientWidgetOf(const TWinControl* control) { return control ? control->ClientWidget() : nullptr; }

void TWinControl::InsertControl(TControl* control) {
  FControls.push_back(control);
  if (auto* win = dynamic_cast<TWinControl*>(control); win && win->FTabOrder < 0) {
    int count = 0;
    for (TControl* c : FControls)
      if (c != control && dynamic_cast<TWinControl*>(c)) ++count;
    win->FTabOrder = count;
  }
  ChildInserted(control);
  if (control->GetAlign() != alNone) AlignControls();
}

void TWinControl::RemoveControl(TControl* control) {
  FControls.erase(std::remove(FControls.begin(), FControls.end(), control), FControls.end());
  if (Destroying()) return;
  ChildRemoved(control);
  if (control->GetAlign() != alNone) AlignControls();
}

void TWinControl::PlaceChildren() {
  const TPoint o = ClientOrigin();
  for (TControl* c : FControls)
    if (QWidget* gw = c->GeometryWidget())
      gw->setGeometry(c->FBounds.Left + o.X, c->FBounds.Top + o.Y, c->FBounds.Width(), c->FBounds.Height());
}

bool TWinControl::ContainsControl(const TControl* control) const {
  for (const TControl* c = control; c; c = c->GetParent())
    if (c == this) return true;
  return false;
}

TRect TWinControl::AlignRect() const { return GetClientRect(); }

void TWinControl::EnableAlign() {
  if (FAlignLock > 0 && --FAlignLock == 0) AlignControls();
}

void TWinControl::AlignControls() {
  if (FAlignLock > 0 || FAligning) return;
  FAligning = true;
  TRect r = AlignRect();
  const TPoint o = ClientOrigin();
  auto place = [o](TControl* c, int l, int t, int w, int h) {
    c->FBounds = Bounds(l, t, std::max(0, w), std::max(0, h));
    if (QWidget* gw = c->GeometryWidget()) gw->setGeometry(l + o.X, t + o.Y, std::max(0, w), std::max(0, h));
    if (auto* win = dynamic_cast<TWinControl*>(c)) win->AlignControls();
  };
  for (TAlign kind : {alTop, alBottom, alLeft, alRight, alClient}) {
    std::vector<TControl*> list;
    for (TControl* c : FControls)
      if (c->GetAlign() == kind && c->GetVisible()) list.push_back(c);
    // Those nearer the edge they align to come first.
    std::stable_sort(list.begin(), list.end(), [kind](TControl* a, TControl* b) {
      switch (kind) {
        case alTop: return a->GetTop() < b->GetTop();
        case alBottom: return a->GetTop() + a->GetHeight() > b->GetTop() + b->GetHeight();
        case alLeft: return a->GetLeft() < b->GetLeft();
        case alRight: return a->GetLeft() + a->GetWidth() > b->GetLeft() + b->GetWidth();
        default: return false;
      }
    });
    for (TControl* c : list) {
      switch (kind) {
        case alTop:
          place(c, r.Left, r.Top, r.Width(), c->GetHeight());
          r.Top += c->GetHeight();
          break;
        case alBottom:
          place(c, r.Left, r.Bottom - c->GetHeight(), r.Width(), c->GetHeight());
          r.Bottom -= c->GetHeight();
          break;
        case alLeft:
          place(c, r.Left, r.Top, c->GetWidth(), r.Height());
          r.Left += c->GetWidth();
          break;
        case alRight:
          place(c, r.Right - c->GetWidth(), r.Top, c->GetWidth(), r.Height());
          r.Right -= c->GetWidth();
          break;
        case alClient: place(c, r.Left, r.Top, r.Width(), r.Height()); break;
        default: break;
      }
    }
  }
  AlignedRemainder(r);
  FAligning = false;
}

// The focus moves inside the window only: a control never brings its window
// to the front nor takes the keyboard from the program the user works in
// (a timer's hide, a resize). In a window that is not active it is the
// control that has the keyboard once the user activates the window.
void TWinControl::SetFocus() {
  QWidget* w = Widget();
  if (!w) return;
  // The focus leaving another control runs its handlers, which may close
  // this one: it stays on the stack, as in a handler of its own, till the
  // toolkit is done with it.
  RunControlHandler(this, [w] { w->setFocus(Qt::OtherFocusReason); });
}

bool TWinControl::Focused() const {
  QWidget* w = Widget();
  if (!w) return false;
  QWidget* f = QApplication::focusWidget();
  return f && (f == w || f == w->focusProxy() || (f->focusProxy() == w));
}

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c; c = c->GetParent())
    if (!c->GetVisible() || !c->GetEnabled()) return false;
  return Widget() != nullptr;
}

void TWinControl::SetTabOrder(int value) {
  FTabOrder = value;
  if (!FParent) return;
  std::vector<TWinControl*> siblings;
  for (TControl* c : FParent->FControls)
    if (auto* w = dynamic_cast<TWinControl*>(c); w && w != this) siblings.push_back(w);
  std::stable_sort(siblings.begin(), siblings.end(),
                   [](TWinControl* a, TWinControl* b) { return a->FTabOrder < b->FTabOrder; });
  size_t at = static_cast<size_t>(std::clamp(value, 0, static_cast<int>(siblings.size())));
  siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(at), this);
  for (size_t i = 0; i < siblings.size(); ++i) siblings[i]->FTabOrder = static_cast<int>(i);
  for (size_t i = 1; i < siblings.size(); ++i)
    if (siblings[i - 1]->Widget() && siblings[i]->Widget())
      QWidget::setTabOrder(siblings[i - 1]->Widget(), siblings[i]->Widget());
}

bool TWinControl::DoKeyDown(Word& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
  return Key == 0;
}
bool TWinControl::DoKeyUp(Word& Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
  return Key == 0;
}
bool TWinControl::DoKeyPress(char16_t& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
  return Key == 0;
}
void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}
void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

// Keys a focused child did not take travel up to its parents; only the
// focused control sees them, as on the platform the design knew.
bool TWinControl::KeyFromFocusedChild() const {
  QWidget* w = Widget();
  QWidget* f = QApplication::focusWidget();
  return w && f && f != w && w->isAncestorOf(f) && TControl::FromWidget(f) != this;
}

bool TWinControl::QtEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress: {
      if (FReinjecting || KeyFromFocusedChild()) return false;
      auto* ke = static_cast<QKeyEvent*>(event);
      Word key = VirtualKeyOfEvent(ke);
      TShiftState shift = ShiftFromQt(ke->modifiers(), Qt::NoButton);
      QString text = ke->text();
      FKeyText = text.toStdU16String();
      const bool down = key != 0 && DoKeyDown(key, shift);
      FKeyText.clear();
      if (down) return true;
      if (text.isEmpty() || (ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) return false;
      QString typed;
      bool changed = false;
      for (QChar ch : text) {
        // Control characters (Backspace, Return, Escape, Tab) arrive too.
        char16_t c = ch.unicode();
        bool swallowed = DoKeyPress(c);
        if (swallowed) {
          changed = true;
          continue;
        }
        if (c != ch.unicode()) changed = true;
        typed += QChar(c);
      }
      if (!changed) return false;
      if (!typed.isEmpty() && Widget()) {
        QKeyEvent replaced(QEvent::KeyPress, ke->key(), ke->modifiers(), typed, ke->isAutoRepeat());
        FReinjecting = true;
        QCoreApplication::sendEvent(Widget(), &replaced);
        FReinjecting = false;
      }
      return true;
    }
    case QEvent::ShortcutOverride: {
      if (KeyFromFocusedChild()) return false;
      auto* ke = static_cast<QKeyEvent*>(event);
      const Word key = VirtualKeyOfEvent(ke);
      if (key != 0 && WantsShortcutKey(key, ShiftFromQt(ke->modifiers(), Qt::NoButton))) {
        ke->accept();
        return true;
      }
      return false;
    }
    case QEvent::KeyRelease: {
      if (FReinjecting || KeyFromFocusedChild()) return false;
      auto* ke = static_cast<QKeyEvent*>(event);
      Word key = VirtualKeyOfEvent(ke);
      return key != 0 && DoKeyUp(key, ShiftFromQt(ke->modifiers(), Qt::NoButton));
    }
    case QEvent::FocusIn: DoEnter(); return false;
    case QEvent::FocusOut: DoExit(); return false;
    case QEvent::Resize:
      AlignControls();
      return TControl::QtEvent(event);
    default: return TControl::QtEvent(event);
  }
}

TCustomForm* GetParentForm(const TControl* control) {
  const TControl* c = control;
  while (c && c->GetParent()) c = c->GetParent();
  return dynamic_cast<TCustomForm*>(const_cast<TControl*>(c));
}

#include "platform/gui/Forms.h"

#include <QClipboard>

#include "platform/gui/ActnList.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/GuiPrivate.h"
#include "platform/gui/Menus.h"
#include "platform/gui/Messages.h"
#include "platform/gui/QtText.h"
#include "platform/gui/StdCtrls.h"
#include "platform/os/HelpViewer.h"

#include <QAbstractEventDispatcher>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QStyle>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QKeySequence>
#include <QMenuBar>
#include <QPointer>
#include <QPolygon>
#include <QRegion>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QToolTip>
#include <QWindow>
#include <QWindowStateChangeEvent>
#include <algorithm>
#include <cstdio>

namespace {

// The Qt application the program makes when there is none: exceptions that
// escape any event handler stop here and go to the application's handler.
class TQtApplication : public QApplication {
public:
  TQtApplication(int& argc, char** argv) : QApplication(argc, argv) {}
  bool notify(QObject* receiver, QEvent* e) override {
    try {
      return QApplication::notify(receiver, e);
    } catch (...) {
      HandleDispatchException();
      return false;
    }
  }
};

const char* const kFormProperty = "qy_form";

TCustomForm* FormOfWindow(QWidget* w) {
  for (; w; w = w->parentWidget()) {
    QVariant v = w->property(kFormProperty);
    if (v.isValid()) return static_cast<TCustomForm*>(v.value<void*>());
  }
  return nullptr;
}

template <typename T>
T* FindControl(TWinControl* root, const std::function<bool(T*)>& pred) {
  for (int i = 0; i < root->ControlCount(); ++i) {
    TControl* c = root->Controls(i);
    if (auto* t = dynamic_cast<T*>(c); t && pred(t)) return t;
    if (auto* w = dynamic_cast<TWinControl*>(c))
      if (T* found = FindControl<T>(w, pred)) return found;
  }
  return nullptr;
}

TModalResult RunModalForm(TInteraction& r) { return r.Form ? r.Form->RunModalLoop() : mrCancel; }

QPointer<QWidget>& LastWorkFocus();

}  // namespace

// Passes the window frame's events to its form.
class TFormFrameFilter : public QObject {
public:
  explicit TFormFrameFilter(TCustomForm* form) : FForm(form) {}
  bool eventFilter(QObject*, QEvent* e) override {
    bool consumed = false;
    GuardedCall([&] { consumed = FForm->FrameEvent(e); });
    return consumed;
  }

private:
  TCustomForm* FForm;
};

namespace {

// A window shown for a while (a progress window) gives the keyboard back to
// where it was once hidden, as a closed dialog does: no window manager does
// it for a window without an owner, and the keys typed next would reach no
// window. Asked anew even when the toolkit still counts the old window
// active, since the window manager may handle the hidden one's activation
// after this. A window the user went to meanwhile keeps the keyboard.
void GiveKeyboardBack(QWidget* hidden, QWidget* back) {
  if (!back || !back->isVisible() || back->window() == hidden) return;
  QWidget* now = QApplication::activeWindow();
  if (now && now != hidden && now != back->window()) return;
  back->window()->activateWindow();
  GiveFocusBack(back);
}

}  // namespace

struct TCustomForm::TFormImpl {
  QPointer<QWidget> Frame;
  QPointer<QMdiSubWindow> Sub;
  QPointer<QMdiArea> Area;
  std::unique_ptr<TFormFrameFilter> FrameFilter;
  TWinControl* ActiveControl = nullptr;
  bool ModalClosed = false;
  bool ReleasePending = false;
  // The owner window's frame and form (the form is read only while the
  // frame lives).
  QPointer<QWidget> OwnerFrame;
  TCustomForm* OwnerWindow = nullptr;
  // The widget that had the keyboard when Show brought this window up.
  QPointer<QWidget> KeyboardFrom;
  // A placement waiting for the window's own frame, and the timer that
  // looks for it.
  std::vector<std::function<void(const TRect&)>> PlaceByFrame;
  QPointer<QTimer> FrameWait;
  int FrameWaitTicks = 0;
};

// ---------------------------------------------------------------------------

TCustomForm::TCustomForm(TComponent* AOwner) : TCustomControl(AOwner), FForm(std::make_unique<TFormImpl>()) {
  if (Application) Application->Initialize();
  FClickOnMouseUp = false;
  FVisible = false;
  TabStop = false;
  auto* frame = new QWidget(nullptr, Qt::Window);
  frame->setProperty(kFormProperty, QVariant::fromValue<void*>(this));
  // The frame holds the menu bar and the client area; we place both, so
  // sizes are right before the window is ever shown.
  Widget()->setParent(frame);
  Widget()->setFocusPolicy(Qt::NoFocus);
  FForm->Frame = frame;
  FForm->FrameFilter = std::make_unique<TFormFrameFilter>(this);
  frame->installEventFilter(FForm->FrameFilter.get());
  frame->resize(320, 240);
  FBounds = Bounds(0, 0, 320, 240);
  // The client area takes the frame's size now, not the toolkit's default:
  // forms set their client size and place controls before the first show.
  LayoutFrame();
  ApplyWindowFlags();
}

namespace {
// Children of a frame are maximised together: when the maximised one goes,
// the one that becomes active takes the whole area rather than falling back
// to its small normal size.
void KeepMaximised(QMdiArea* area, bool wasMaximised) {
  if (!area || !wasMaximised) return;
  QMdiSubWindow* next = area->currentSubWindow();
  if (next && next->isVisible() && !next->isMaximized() && !next->isMinimized()) next->showMaximized();
}
}  // namespace

TCustomForm::~TCustomForm() {
  GuardedCall([this] {
    if (OnDestroy) OnDestroy(this);
  });
  if (Application && Application->MainForm == this) Application->MainForm = nullptr;
  if (FForm->Sub) {
    QMdiSubWindow* sub = FForm->Sub;
    if (QMdiArea* area = sub->mdiArea(); area && area->currentSubWindow() == sub) {
      // Closing a child activates the one below it.
      const bool maximised = sub->isVisible() && sub->isMaximized();
      auto list = area->subWindowList(QMdiArea::StackingOrder);
      for (auto it = list.rbegin(); it != list.rend(); ++it)
        if (*it != sub && (*it)->isVisible()) {
          area->setActiveSubWindow(*it);
          break;
        }
      KeepMaximised(area, maximised);
    }
    sub->removeEventFilter(FForm->FrameFilter.get());
    delete sub;
  }
  if (FForm->Frame) {
    FForm->Frame->removeEventFilter(FForm->FrameFilter.get());
    delete FForm->Frame.data();
  }
}

QWidget* TCustomForm::ClientWidget() const { return Widget(); }
QWidget* TCustomForm::WindowWidget() const {
  if (FForm->Sub) return FForm->Sub.data();
  return FForm->Frame.data();
}

QWidget* WindowWidgetOf(const TCustomForm* form) { return form ? form->WindowWidget() : nullptr; }
QWidget* TCustomForm::GeometryWidget() const { return WindowWidget(); }

void TCustomForm::DoCreate() {
  if (OnCreate) OnCreate(this);
}

String TCustomForm::GetText() const { return FText; }

void TCustomForm::SetText(const String& value) {
  FText = value;
  if (FForm->Frame) FForm->Frame->setWindowTitle(ToQ(value));
  if (FForm->Sub) FForm->Sub->setWindowTitle(ToQ(value));
}

void TCustomForm::SetBorderStyle(TFormBorderStyle value) {
  FBorderStyle = value;
  ApplyWindowFlags();
}

void TCustomForm::SetTakesKeyboard(bool value) {
  FTakesKeyboard = value;
  ApplyWindowFlags();
}

void TCustomForm::SetMinimumSize(Integer width, Integer height) {
  if (QWidget* w = WindowWidget()) w->setMinimumSize(width, height);
}

void TCustomForm::ApplyWindowFlags() {
  QWidget* frame = FForm->Frame;
  if (!frame || FFormStyle == fsMDIChild) return;
  bool wasVisible = frame->isVisible();
  Qt::WindowFlags flags = Qt::Window;
  switch (FBorderStyle) {
    case bsNone: flags |= Qt::FramelessWindowHint; break;
    case bsDialog: flags = Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint; break;
    case bsToolWindow:
    case bsSizeToolWin: flags = Qt::Tool; break;
    default: break;
  }
  if (FFormStyle == fsStayOnTop) flags |= Qt::WindowStaysOnTopHint;
  // Not even asked for the keyboard: a window manager would give it one
  // as it comes up and not hand it back once it goes.
  if (!FTakesKeyboard) flags |= Qt::WindowDoesNotAcceptFocus;
  frame->setWindowFlags(flags);
  frame->setAttribute(Qt::WA_ShowWithoutActivating, !FTakesKeyboard);
  if (wasVisible) frame->show();
}

void TCustomForm::SetFormStyle(TFormStyle value) {
  if (value == FFormStyle) return;
  if (FFormStyle == fsMDIChild || FFormStyle == fsMDIForm)
    throw EInvalidOperation("Cannot change the style of an MDI window");
  FFormStyle = value;
  if (value == fsMDIForm) {
    auto* area = new QMdiArea(Widget());
    area->setProperty(kFormProperty, QVariant::fromValue<void*>(this));
    FForm->Area = area;
    QObject::connect(area, &QMdiArea::subWindowActivated, area,
                     [this](QMdiSubWindow*) { GuardedCall([this] { MDIActivated(); }); });
    area->show();
    AlignControls();
  } else if (value == fsMDIChild) {
    BecomeMDIChild();
  } else {
    ApplyWindowFlags();
  }
}

void TCustomForm::BecomeMDIChild() {
  TCustomForm* frameForm = Application ? Application->MainForm : nullptr;
  if (!frameForm || frameForm == this || !frameForm->FForm->Area) {
    FFormStyle = fsNormal;
    throw EInvalidOperation("Cannot create form. No MDI forms are currently active");
  }
  TRect bounds = BoundsRect();
  QMdiSubWindow* sub = frameForm->FForm->Area->addSubWindow(FForm->Frame);
  sub->setAttribute(Qt::WA_DeleteOnClose, false);
  sub->setProperty(kFormProperty, QVariant::fromValue<void*>(this));
  sub->installEventFilter(FForm->FrameFilter.get());
  // The mouse on the form stays the form's: passed on to the sub-window, a
  // press no control took would work its title bar (hidden when maximised)
  // by where the pointer last hovered there, opening its system menu.
  FForm->Frame->setAttribute(Qt::WA_NoMousePropagation);
  sub->setWindowTitle(ToQ(FText));
  FForm->Sub = sub;
  sub->setGeometry(bounds.Left, bounds.Top, std::max(bounds.Width(), 100), std::max(bounds.Height(), 60));
  // MDI children show as soon as they exist.
  SetVisible(true);
}

void TCustomForm::MDIActivated() {
  QMdiArea* area = FForm->Area;
  if (!area) return;
  TCustomForm* now = ActiveMDIChild();
  for (QMdiSubWindow* s : area->subWindowList()) {
    TCustomForm* f = FormOfWindow(s);
    if (f && f != now && f->FActive) f->Deactivate();
  }
  if (now && !now->FActive) now->Activate();
}

void TCustomForm::AlignedRemainder(const TRect& Rect) {
  if (FForm->Area) FForm->Area->setGeometry(Rect.Left, Rect.Top, Rect.Width(), Rect.Height());
}

TWindowState TCustomForm::GetWindowState() const {
  QWidget* w = WindowWidget();
  if (!w || !w->isVisible()) return FWindowState;
  Qt::WindowStates s = w->windowState();
  if (s & Qt::WindowMinimized) return wsMinimized;
  if (s & Qt::WindowMaximized) return wsMaximized;
  return wsNormal;
}

void TCustomForm::SetWindowState(TWindowState value) {
  FWindowState = value;
  QWidget* w = WindowWidget();
  if (!w || !w->isVisible()) return;
  switch (value) {
    case wsMinimized: w->showMinimized(); break;
    case wsMaximized: w->showMaximized(); break;
    default: w->showNormal(); break;
  }
}

TWinControl* TCustomForm::GetActiveControl() const {
  if (TControl* c = TControl::FromWidget(QApplication::focusWidget()))
    if (auto* w = dynamic_cast<TWinControl*>(c); w && GetParentForm(w) == this && w != this) return w;
  return FForm->ActiveControl;
}

void TCustomForm::SetActiveControl(TWinControl* control) {
  FForm->ActiveControl = control;
  if (control && Showing() && control->CanFocus()) control->SetFocus();
}

void TCustomForm::SetMenu(TMainMenu* menu) {
  if (FMenu && FMenu != menu && FMenu->MenuBar()->parentWidget() == FForm->Frame) {
    FMenu->MenuBar()->hide();
    FMenu->MenuBar()->setParent(nullptr);
  }
  FMenu = menu;
  if (!FForm->Frame) return;
  if (menu) {
    menu->MenuBar()->setParent(FForm->Frame);
    menu->MenuBar()->show();
  }
  LayoutFrame();
}

void TCustomForm::LayoutFrame() {
  QWidget* frame = FForm->Frame;
  QWidget* host = Widget();
  if (!frame || !host) return;
  int top = 0;
  if (FMenu && FMenu->MenuBar()->parentWidget() == frame) {
    top = FMenu->MenuBar()->sizeHint().height();
    FMenu->MenuBar()->setGeometry(0, 0, frame->width(), top);
  }
  host->setGeometry(0, top, frame->width(), std::max(0, frame->height() - top));
  AlignControls();
}

void TCustomForm::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  AWidth = std::max(0, AWidth);
  AHeight = std::max(0, AHeight);
  FBounds = Bounds(ALeft, ATop, AWidth, AHeight);
  if (QWidget* w = GeometryWidget()) w->setGeometry(ALeft, ATop, AWidth, AHeight);
  if (FForm->Sub && FForm->Frame) {
    // The sub-window's own frame takes some room.
    QRect inner = FForm->Sub->contentsRect();
    FForm->Frame->resize(inner.width(), inner.height());
  }
  LayoutFrame();
}

TRect TCustomForm::GetFrameMargins() const {
  QWidget* w = WindowWidget();
  if (!w || !w->isWindow()) return TRect();
  const QRect inner = w->geometry(), outer = w->frameGeometry();
  return Rect(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
              outer.bottom() - inner.bottom());
}

namespace {
TRect MarginsOf(QWidget* w) {
  if (!w || !w->isWindow() || !w->isVisible()) return TRect();
  const QRect inner = w->geometry(), outer = w->frameGeometry();
  return Rect(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
              outer.bottom() - inner.bottom());
}
}  // namespace

void TCustomForm::PlaceByFrame(std::function<void(const TRect& Margins)> Place) {
  QWidget* w = WindowWidget();
  if (!Place) return;
  if (!w || !w->isWindow()) return Place(TRect());
  const TRect own = w->isVisible() ? GetFrameMargins() : TRect();
  if (own != TRect()) return Place(own);
  // Not framed yet: the frame of a window the same window manager drew
  // stands in for it meanwhile.
  TRect guess;
  for (QWidget* other : {FForm->OwnerFrame ? FForm->OwnerFrame->window() : nullptr,
                         Application && Application->MainForm ? Application->MainForm->WindowWidget() : nullptr,
                         QApplication::activeWindow()})
    if (guess == TRect() && other != w) guess = MarginsOf(other);
  Place(guess);
  FForm->PlaceByFrame.push_back(std::move(Place));
  FForm->FrameWaitTicks = 0;
  if (FForm->FrameWait) return;
  // The window manager frames a window soon after it is mapped, with no
  // event of the toolkit's own to say so; without one (offscreen) the wait
  // ends after a few seconds.
  auto* timer = new QTimer(w);
  FForm->FrameWait = timer;
  timer->setInterval(15);
  QObject::connect(timer, &QTimer::timeout, timer, [this, timer] {
    QWidget* win = WindowWidget();
    const TRect m = win && win->isVisible() ? GetFrameMargins() : TRect();
    const bool done = m != TRect() || ++FForm->FrameWaitTicks > 300;
    if (!done) return;
    timer->stop();
    timer->deleteLater();
    auto places = std::move(FForm->PlaceByFrame);
    FForm->PlaceByFrame.clear();
    if (m != TRect())
      for (auto& place : places) GuardedCall([&] { place(m); });
  });
  timer->start();
}

void TCustomForm::SetIcon(const TIcon& icon) {
  QIcon qi(QPixmap::fromImage(icon.ToImage()));
  if (FForm->Frame) FForm->Frame->setWindowIcon(qi);
  if (FForm->Sub) FForm->Sub->setWindowIcon(qi);
}

int CaptionFitWidth(const String& caption) {
  if (caption.empty()) return 0;
  QFont font = QApplication::font();
  // Window managers commonly draw titles bold and a little larger.
  font.setBold(true);
  font.setPointSizeF(font.pointSizeF() * 1.1);
  const int text = QFontMetrics(font).horizontalAdvance(ToQ(caption));
  const int bar = QApplication::style() ? QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight) : 24;
  // The icon and up to four buttons, each about as wide as the bar is high,
  // and room for decorations wider than ours.
  return text * 6 / 5 + 6 * std::max(bar, 24) + 32;
}

void TCustomForm::PlaceOnFirstShow() {
  QWidget* w = WindowWidget();
  if (!w || FFormStyle == fsMDIChild) return;
  auto centreOn = [&](const QRect& r) {
    w->move(r.x() + (r.width() - w->width()) / 2, r.y() + (r.height() - w->height()) / 2);
  };
  TCustomForm* over = nullptr;
  switch (Position) {
    case poScreenCenter:
    case poDesktopCenter:
      if (QScreen* s = QGuiApplication::primaryScreen()) centreOn(s->availableGeometry());
      break;
    case poOwnerFormCenter: over = OwnerForm(Owner()); [[fallthrough]];
    case poMainFormCenter:
      if (!over && Application) over = Application->MainForm;
      if (over && over != this && over->WindowWidget() && over->WindowWidget()->isVisible())
        centreOn(over->WindowWidget()->frameGeometry());
      else if (QScreen* s = QGuiApplication::primaryScreen())
        centreOn(s->availableGeometry());
      break;
    default: break;
  }
}

void TCustomForm::SetOwnerWindow() {
  QWidget* w = WindowWidget();
  if (!w || !w->isWindow() || FFormStyle == fsMDIChild || (Application && Application->MainForm == this)) return;
  w->winId();
  QWindow* self = w->windowHandle();
  if (!self) return;
  // A window that is shown, is not this one and does not already sit above
  // it (which would make a loop).
  auto usable = [self](QWindow* o) -> QWindow* {
    if (!o || !o->isVisible()) return nullptr;
    for (QWindow* p = o; p; p = p->transientParent())
      if (p == self) return nullptr;
    return o;
  };
  auto of = [](QWidget* widget) { return widget ? widget->window()->windowHandle() : nullptr; };
  QWindow* owner = PopupParent ? usable(of(WindowWidgetOf(PopupParent))) : nullptr;
  if (!owner) owner = usable(QGuiApplication::modalWindow());
  if (!owner) owner = usable(of(QApplication::activeWindow()));
  if (!owner && Application && Application->MainForm) owner = usable(of(WindowWidgetOf(Application->MainForm)));
  self->setTransientParent(owner);
}

bool TApplication::ModalShowing() const { return QApplication::activeModalWidget() != nullptr; }

QWindow* TCustomForm::OwnerWindow() const {
  QWidget* w = WindowWidget();
  return w && w->windowHandle() ? w->windowHandle()->transientParent() : nullptr;
}

void TCustomForm::SetVisible(bool value) {
  QWidget* w = WindowWidget();
  if (value == FVisible && (!w || w->isVisible() == value)) return;
  FVisible = value;
  if (!w) return;
  if (value) {
    // A title cut to "Change Passwor..." reads like a fault.
    if (FFormStyle != fsMDIChild && FBorderStyle != bsNone && w->isWindow()) {
      const int fit = CaptionFitWidth(GetText());
      if (w->width() < fit) SetWidth(fit);
    }
    if (!FShownOnce) {
      FShownOnce = true;
      PlaceOnFirstShow();
    }
    SetOwnerWindow();
    DoShow();
    if (FForm->OwnerFrame && w->isWindow()) {
      QWidget* owner = FForm->OwnerFrame->window();
      owner->winId();
      w->winId();
      if (w->windowHandle() && owner->windowHandle())
        w->windowHandle()->setTransientParent(owner->windowHandle());
    }
    switch (FWindowState) {
      case wsMinimized: w->showMinimized(); break;
      case wsMaximized: w->showMaximized(); break;
      default: w->show(); break;
    }
    AlignControls();
  } else {
    if (FFormStyle == fsMDIChild && FForm->Sub) {
      const bool maximised = FForm->Sub->isMaximized();
      QMdiArea* area = FForm->Sub->mdiArea();
      w->hide();
      // A hidden child may stay the area's current one: the one below it
      // takes over.
      if (area && (!area->currentSubWindow() || area->currentSubWindow() == FForm->Sub)) {
        auto list = area->subWindowList(QMdiArea::StackingOrder);
        for (auto it = list.rbegin(); it != list.rend(); ++it)
          if (*it != FForm->Sub && (*it)->isVisible()) {
            area->setActiveSubWindow(*it);
            break;
          }
      }
      KeepMaximised(area, maximised);
    } else {
      w->hide();
      GiveKeyboardBack(w, FForm->KeyboardFrom);
    }
    if (FActive) Deactivate();
    DoHide();
  }
}

void TCustomForm::SetOwnerWindow(TCustomForm* Owner) {
  if (Owner == this) Owner = nullptr;
  FForm->OwnerWindow = Owner;
  FForm->OwnerFrame = Owner ? Owner->WindowWidget() : nullptr;
}

TCustomForm* TCustomForm::GetOwnerWindow() const {
  return FForm->OwnerFrame ? FForm->OwnerWindow : nullptr;
}

bool TCustomForm::WindowOwnedBy(const TCustomForm* Owner) const {
  QWidget* w = WindowWidget();
  QWidget* o = Owner ? Owner->WindowWidget() : nullptr;
  if (!w || !o || !w->windowHandle() || !o->window()->windowHandle()) return false;
  return w->windowHandle()->transientParent() == o->window()->windowHandle();
}

TCustomForm* OwnerForm(TComponent* AComponent) {
  for (TComponent* c = AComponent; c; c = c->Owner())
    if (auto* f = dynamic_cast<TCustomForm*>(c)) return f;
  return nullptr;
}

bool OpenMenuOfAccessKey(TCustomForm* Form, Word Key) {
  QWidget* w = WindowWidgetOf(Form);
  QMenuBar* bar = w ? w->window()->findChild<QMenuBar*>() : nullptr;
  if (!bar || !bar->isVisible()) return false;
  for (QAction* a : bar->actions()) {
    const QKeySequence key = QKeySequence::mnemonic(a->text());
    if (key.isEmpty() || key[0].key() != static_cast<Qt::Key>(Key) || !a->isVisible() || !a->isEnabled()) continue;
    bar->setActiveAction(a);
    return true;
  }
  return false;
}

void TCustomForm::Show() {
  QWidget* before = QApplication::focusWidget();
  SetVisible(true);
  BringToFront();
  // A modal form gives the keyboard back itself.
  FForm->KeyboardFrom = !FModal && !FForm->Sub && before && before->window() != WindowWidget() ? before : nullptr;
}

void TCustomForm::Hide() { SetVisible(false); }

void TCustomForm::BringToFront() {
  QWidget* w = WindowWidget();
  if (!w || !w->isVisible()) return;
  w->raise();
  if (FForm->Sub) {
    if (QMdiArea* area = FForm->Sub->mdiArea()) area->setActiveSubWindow(FForm->Sub);
    return;
  }
  if (!FTakesKeyboard) return;
  w->activateWindow();
  // Without a window manager activation would never arrive.
  if (QGuiApplication::platformName() == "offscreen") QApplication::setActiveWindow(w);
}

void TCustomForm::DoShow() {
  if (OnShow) OnShow(this);
}
void TCustomForm::DoHide() {
  if (OnHide) OnHide(this);
}
void TCustomForm::Activate() {
  FActive = true;
  if (FForm->ActiveControl && FForm->ActiveControl->CanFocus() && !FForm->ActiveControl->Focused())
    FForm->ActiveControl->SetFocus();
  if (OnActivate) OnActivate(this);
}
void TCustomForm::Deactivate() {
  FActive = false;
  if (OnDeactivate) OnDeactivate(this);
}
void TCustomForm::DoClose(TCloseAction& Action) {
  if (OnClose) OnClose(this, Action);
}

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  // An MDI frame asks its children first.
  for (int i = 0; i < MDIChildCount() && canClose; ++i) canClose = MDIChildren(i)->CloseQuery();
  if (canClose && OnCloseQuery) OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::Close() {
  if (FClosing) return;
  if (FModal) {
    ModalResult = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = FFormStyle == fsMDIChild ? caMinimize : caHide;
  FClosing = true;
  try {
    DoClose(action);
  } catch (...) {
    FClosing = false;
    throw;
  }
  FClosing = false;
  bool isMain = Application && Application->MainForm == this;
  if (action == caNone) return;
  if (isMain) {
    Hide();
    Application->Terminate();
    return;
  }
  switch (action) {
    case caHide: Hide(); break;
    case caMinimize: SetWindowState(wsMinimized); break;
    case caFree:
      Hide();
      Release();
      break;
    default: break;
  }
}

void TCustomForm::Release() {
  if (FForm->ReleasePending) return;
  FForm->ReleasePending = true;
  PostMessage(this, CM_RELEASE);
}

void TCustomForm::WndProc(TMessage& Message) {
  if (Message.Msg == CM_RELEASE) {
    // Deleted from the application object, not from inside our own receiver.
    QPointer<QObject> alive(MessageReceiver());
    QMetaObject::invokeMethod(
        qApp, [this, alive] {
          if (alive) delete this;
        },
        Qt::QueuedConnection);
    return;
  }
  TCustomControl::WndProc(Message);
}

TModalResult TCustomForm::ShowModal() {
  if (FVisible || FModal) throw EInvalidOperation("Cannot make a visible window modal");
  QWidget* w = WindowWidget();
  TFocusBack focusBack;
  FModal = true;
  ModalResult = mrNone;
  FForm->ModalClosed = false;
  if (w) w->setWindowModality(Qt::ApplicationModal);
  try {
    Show();
    TInteraction r;
    r.Kind = TInteractionKind::ShowModal;
    r.Caption = GetText();
    r.Form = this;
    int result = RunInteraction(r);
    if (ModalResult == mrNone) ModalResult = result != mrNone ? result : mrCancel;
    if (!FForm->ModalClosed) {
      TCloseAction action = caHide;
      DoClose(action);
    }
  } catch (...) {
    FModal = false;
    if (w) w->setWindowModality(Qt::NonModal);
    Hide();
    throw;
  }
  FModal = false;
  Hide();
  if (w) w->setWindowModality(Qt::NonModal);
  return ModalResult;
}

TModalResult TCustomForm::RunModalLoop() {
  QWidget* w = WindowWidget();
  for (;;) {
    while (ModalResult == mrNone && w && w->isVisible() && !(Application && Application->Terminated()))
      QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    if (ModalResult == mrNone) ModalResult = mrCancel;
    if (CloseQuery()) {
      TCloseAction action = caHide;
      DoClose(action);
      if (action != caNone) break;
    }
    ModalResult = mrNone;
    if (!w || !w->isVisible()) w->show();
  }
  FForm->ModalClosed = true;
  return ModalResult;
}

bool TCustomForm::DoKeyDown(Word& Key, TShiftState Shift) { return TCustomControl::DoKeyDown(Key, Shift); }

namespace {
bool MainFormShortCut(QEvent* event) {
  // A key no control of a secondary window took: the main window's command
  // for it, as from the main window itself (never while a modal window is up).
  if (event->type() != QEvent::KeyPress || !Application || !Application->MainForm ||
      !Application->MainForm->GetVisible() || QApplication::activeModalWidget())
    return false;
  auto* ke = static_cast<QKeyEvent*>(event);
  const Word key = VirtualKeyOfEvent(ke);
  return key != 0 && Application->MainForm->IsShortCut(key, ShiftFromQt(ke->modifiers(), Qt::NoButton));
}
}  // namespace

bool TCustomForm::QtEvent(QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    auto* ke = static_cast<QKeyEvent*>(event);
    bool plain = (ke->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && (ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter || ke->key() == Qt::Key_Escape)) {
      bool escape = ke->key() == Qt::Key_Escape;
      TButton* button = FindControl<TButton>(this, [escape](TButton* b) {
        return (escape ? b->Cancel : b->Default) && b->CanFocus();
      });
      if (button) {
        button->Click();
        return true;
      }
    }
  }
  if (TCustomControl::QtEvent(event)) return true;
  return !FModal && FFormStyle != fsMDIChild && Application && Application->MainForm != this &&
         MainFormShortCut(event);
}


namespace {
// The action lists a component owns, and those of the components it owns.
void CollectActionLists(TComponent* owner, std::vector<TActionList*>& lists) {
  for (int i = 0; i < owner->ComponentCount(); ++i) {
    TComponent* c = owner->Components(i);
    if (auto* list = dynamic_cast<TActionList*>(c)) lists.push_back(list);
    else if (!dynamic_cast<TCustomForm*>(c)) CollectActionLists(c, lists);
  }
}
}  // namespace

bool TCustomForm::IsShortCut(Word Key, TShiftState Shift) {
  const TShortCut sc = ShortCut(Key, Shift);
  if (sc == scNone) return false;
  std::vector<TActionList*> lists;
  CollectActionLists(this, lists);
  for (TActionList* list : lists)
    for (int i = 0; i < list->ActionCount(); ++i) {
      auto* a = dynamic_cast<TCustomAction*>(list->Actions(i));
      if (!a) continue;
      const auto& more = a->GetSecondaryShortCuts();
      if (a->GetShortCut() != sc && std::find(more.begin(), more.end(), sc) == more.end()) continue;
      // The key belongs to this command; it runs when it is enabled now.
      return a->Execute();
    }
  return false;
}

bool TCustomForm::FrameEvent(QEvent* event) {
  switch (event->type()) {
    case QEvent::Close: {
      if (FModal) {
        ModalResult = mrCancel;
        event->ignore();
        return true;
      }
      if (FClosing) return false;
      event->ignore();
      Close();
      return true;
    }
    case QEvent::WindowActivate:
      // The window system's word that it is active may come after it was
      // hidden again.
      if (QWidget* w = WindowWidget(); w && !w->isVisible() && FForm->KeyboardFrom) {
        GiveKeyboardBack(w, FForm->KeyboardFrom);
        return false;
      }
      if (FFormStyle != fsMDIChild && !FActive) Activate();
      if (Application && Application->OnActivate) Application->OnActivate(Application);
      return false;
    case QEvent::WindowDeactivate:
      if (FFormStyle != fsMDIChild && FActive) Deactivate();
      return false;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
      // No control of the window has the keyboard (it has none that takes
      // it): the form takes the keys itself.
      if (FFormStyle == fsMDIChild) return false;
      if (QWidget* w = WindowWidget(); !w || w->focusWidget()) return false;
      return QtEvent(event);
    case QEvent::WindowStateChange: {
      QWidget* w = WindowWidget();
      if (w) {
        Qt::WindowStates s = w->windowState();
        FWindowState = (s & Qt::WindowMinimized) ? wsMinimized : (s & Qt::WindowMaximized) ? wsMaximized : wsNormal;
      }
      return false;
    }
    case QEvent::Resize:
      LayoutFrame();
      return false;
    default: return false;
  }
}

int TCustomForm::MDIChildCount() const {
  if (!FForm->Area) return 0;
  int n = 0;
  for (QMdiSubWindow* s : FForm->Area->subWindowList())
    if (FormOfWindow(s)) ++n;
  return n;
}

TCustomForm* TCustomForm::MDIChildren(int index) const {
  if (!FForm->Area) throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  auto list = FForm->Area->subWindowList(QMdiArea::StackingOrder);
  std::vector<TCustomForm*> forms;
  // The topmost first, as the design counts them.
  for (auto it = list.rbegin(); it != list.rend(); ++it)
    if (TCustomForm* f = FormOfWindow(*it)) forms.push_back(f);
  if (FForm->Area->currentSubWindow()) {
    TCustomForm* cur = FormOfWindow(FForm->Area->currentSubWindow());
    auto pos = std::find(forms.begin(), forms.end(), cur);
    if (pos != forms.end()) std::rotate(forms.begin(), pos, pos + 1);
  }
  if (index < 0 || index >= static_cast<int>(forms.size()))
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
  return forms[static_cast<size_t>(index)];
}

TCustomForm* TCustomForm::ActiveMDIChild() const {
  if (!FForm->Area) return nullptr;
  QMdiSubWindow* cur = FForm->Area->currentSubWindow();
  return cur && cur->isVisible() ? FormOfWindow(cur) : nullptr;
}

void TCustomForm::Cascade() {
  if (FForm->Area) FForm->Area->cascadeSubWindows();
}
void TCustomForm::Tile() {
  if (FForm->Area) FForm->Area->tileSubWindows();
}
void TCustomForm::ArrangeIcons() {
  if (FForm->Area) FForm->Area->tileSubWindows();
}
void TCustomForm::Next() {
  if (FForm->Area) FForm->Area->activateNextSubWindow();
}
void TCustomForm::Previous() {
  if (FForm->Area) FForm->Area->activatePreviousSubWindow();
}

// ---------------------------------------------------------------------------
// Application

namespace {
// The window system may hand the keyboard to one of our windows while a
// pop-up menu is open (a window manager on a busy machine answers late);
// the toolkit ignores that change, so that once the menu closes no window,
// or one no longer there, counts as active although another has the
// keyboard. The active window follows the keyboard again then.
void TakeUpTheFocusWindow() {
  if (QApplication::activePopupWidget()) return;
  QWindow* focus = QGuiApplication::focusWindow();
  if (!focus || !focus->isActive()) return;
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (top->windowHandle() != focus || !top->isVisible()) continue;
    if (QApplication::activeWindow() != top) QApplication::setActiveWindow(top);
    return;
  }
}

// Key preview: the form sees keys before the focused control.
class TKeyPreviewFilter : public QObject {
public:
  bool eventFilter(QObject* watched, QEvent* e) override {
    if (e->type() == QEvent::Hide && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->windowType() == Qt::Popup)
      QTimer::singleShot(0, qApp, [] { TakeUpTheFocusWindow(); });
    // User input and window changes may change what the actions show.
    switch (e->type()) {
      case QEvent::KeyPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::Shortcut:
      case QEvent::WindowActivate:
      case QEvent::InputMethod:
        if (Application) Application->InvalidateActions();
        break;
      default:
        break;
    }
    if (e->type() != QEvent::KeyPress && e->type() != QEvent::KeyRelease) return false;
    if (watched != QApplication::focusWidget()) return false;
    bool consumed = false;
    GuardedCall([&] { consumed = Preview(static_cast<QWidget*>(watched), static_cast<QKeyEvent*>(e)); });
    return consumed;
  }
  static bool Preview(QWidget* w, QKeyEvent* ke);
};
}  // namespace

struct TApplication::TAppImpl {
  std::unique_ptr<QApplication> OwnApp;
  std::unique_ptr<TKeyPreviewFilter> Preview;
  QMetaObject::Connection IdleConnection;
  bool Hooked = false;
};

// TApplication is a friend of TCustomForm, so the preview runs through it.
bool TApplication::PreviewKey(TCustomForm* form, QKeyEvent* ke) {
    Word key = VirtualKeyOfEvent(ke);
    TShiftState shift = ShiftFromQt(ke->modifiers(), Qt::NoButton);
    if (ke->type() == QEvent::KeyRelease) return key != 0 && form->DoKeyUp(key, shift);
    if (key != 0 && form->DoKeyDown(key, shift)) return true;
    if (!ke->text().isEmpty() && !(ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
      for (QChar ch : ke->text()) {
        char16_t c = ch.unicode();
        if (form->DoKeyPress(c)) return true;
      }
    }
    return false;
}

bool TKeyPreviewFilter::Preview(QWidget* w, QKeyEvent* ke) {
  TControl* control = TControl::FromWidget(w);
  if (!control) return false;
  TCustomForm* form = GetParentForm(control);
  if (!form || !form->KeyPreview || control == form) return false;
  return TApplication::PreviewKey(form, ke);
}

namespace {
TApplication gApplication;
TScreen gScreen;
}  // namespace

TApplication* Application = &gApplication;
TScreen* Screen = &gScreen;

TApplication::TApplication() : TComponent(nullptr), FApp(std::make_unique<TAppImpl>()) {
  RegisterInteractionRunner(TInteractionKind::ShowModal, &RunModalForm);
  SetDispatchExceptionSink([](std::exception_ptr e) { Application->HandleException(e); });
}

TApplication::~TApplication() {
  SetDispatchExceptionSink(nullptr);
  // Widgets cannot outlive the Qt application: when it is gone already the
  // forms are left to the process's end.
  // The same holds for a Qt application we made ourselves: this object is a
  // global, destroyed after Qt's own globals, so that application and the
  // forms still open are left to the end of the process (Run has already
  // destroyed the forms of a normal run).
  if (!QCoreApplication::instance() || FApp->OwnApp) {
    while (ComponentCount() > 0) RemoveComponent(Components(ComponentCount() - 1));
    (void)FApp->OwnApp.release();
  } else {
    DestroyComponents();
  }
}

void TApplication::Initialize() {
  if (!QCoreApplication::instance()) {
    static int argc = 1;
    static char name[] = "quillory";
    static char* argv[] = {name, nullptr};
    FApp->OwnApp = std::make_unique<TQtApplication>(argc, argv);
  }
  if (FApp->Hooked) return;
  FApp->Hooked = true;
  FApp->Preview = std::make_unique<TKeyPreviewFilter>();
  qApp->installEventFilter(FApp->Preview.get());
  LastWorkFocus();  // watch the focus from the start
  if (QAbstractEventDispatcher* d = QAbstractEventDispatcher::instance()) {
    FApp->IdleConnection = QObject::connect(d, &QAbstractEventDispatcher::aboutToBlock, qApp, [this] {
      GuardedCall([this] { LoopIdle(); });
    });
    QObject::connect(qApp, &QApplication::focusChanged, qApp, [this] { InvalidateActions(); });
    if (QClipboard* clip = QGuiApplication::clipboard())
      QObject::connect(clip, &QClipboard::dataChanged, qApp, [this] { InvalidateActions(); });
  }
}

void TApplication::SetTitle(const String& value) {
  FTitle = value;
  if (QCoreApplication::instance()) QGuiApplication::setApplicationDisplayName(ToQ(value));
}

void TApplication::Run() {
  Initialize();
  FRunning = true;
  if (MainForm && ShowMainForm) MainForm->Show();
  if (!FTerminated) QApplication::exec();
  FRunning = false;
  // Forms go while the Qt application still exists.
  DestroyComponents();
}

void TApplication::Terminate() {
  FTerminated = true;
  if (FRunning) QCoreApplication::exit(0);
}

void TApplication::ProcessMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void TApplication::ProcessMessagesExcludingInput() {
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TApplication::HandleException(TObject* Sender) {
  (void)Sender;
  HandleException(std::current_exception());
}

void TApplication::HandleException(std::exception_ptr e) {
  if (!e) return;
  try {
    std::rethrow_exception(e);
  } catch (const EAbort&) {
    // The silent exception.
  } catch (const Exception& ex) {
    if (OnException)
      OnException(this, ex);
    else
      ShowException(ex);
  } catch (const std::exception& ex) {
    Exception wrapped(ex.what());
    if (OnException)
      OnException(this, wrapped);
    else
      ShowException(wrapped);
  } catch (...) {
    Exception wrapped("Unknown error");
    if (OnException)
      OnException(this, wrapped);
    else
      ShowException(wrapped);
  }
}

void TApplication::ShowException(const Exception& E) {
  String msg = E.Message;
  if (!msg.empty() && msg.back() != '.') msg += '.';
  ::MessageBox(msg, FTitle.empty() ? "Error" : FTitle, MB_OK | MB_ICONERROR);
}

int TApplication::MessageBox(const String& text, const String& caption, int flags) {
  return ::MessageBox(text, caption, flags);
}

void TApplication::Minimize() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (FormOfWindow(w) && w->isVisible()) w->showMinimized();
  if (OnMinimize) OnMinimize(this);
}

void TApplication::Restore() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (FormOfWindow(w) && w->isVisible() && (w->windowState() & Qt::WindowMinimized))
      w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
  if (MainForm && MainForm->WindowWidget() && MainForm->GetVisible()) MainForm->BringToFront();
  if (OnRestore) OnRestore(this);
}

void TApplication::BringToFront() {
  if (MainForm) MainForm->BringToFront();
}

void TApplication::SetHint(const String& value) {
  if (value == FHint) return;
  FHint = value;
  if (OnHint) OnHint(this);
}

void TApplication::ActivateHint(TPoint CursorPos) {
  const QPoint at(CursorPos.X, CursorPos.Y);
  TControl* control = TControl::FromWidget(QApplication::widgetAt(at));
  const String text = control ? GetShortHint(control->GetHint()) : String();
  if (!ShowHint || !control || !control->ShowHint || text.empty()) {
    QToolTip::hideText();
    return;
  }
  QToolTip::showText(at, ToQ(text), WidgetOf(control));
}

void TApplication::CancelHint() { QToolTip::hideText(); }

namespace {
// The help window is a window of the program like the others: a key its
// page does not take is the main window's command (Lock, Hide, ...).
class THelpKeys : public QObject {
public:
  explicit THelpKeys(QObject* window) : QObject(window) { setObjectName(QStringLiteral("HelpKeys")); }
  bool eventFilter(QObject* watched, QEvent* event) override { return watched == parent() && MainFormShortCut(event); }
};

bool HelpShown(bool shown) {
  QWidget* window = THelpViewer::Instance().Window();
  if (window && !window->findChild<QObject*>(QStringLiteral("HelpKeys"), Qt::FindDirectChildrenOnly))
    window->installEventFilter(new THelpKeys(window));
  return shown;
}
}  // namespace

bool TApplication::HelpContext(int context) { return HelpShown(THelpViewer::Instance().ShowContext(context)); }
bool TApplication::HelpKeyword(const String& keyword) {
  return HelpShown(THelpViewer::Instance().ShowKeyword(keyword));
}
bool TApplication::HelpCommand(int command, intptr_t data) {
  // HELP_CONTEXT (1) and HELP_FINDER/HELP_CONTENTS (11/3) are the ones used.
  if (command == 1) return HelpContext(static_cast<int>(data));
  return HelpShown(THelpViewer::Instance().ShowPage(THelpViewer::Instance().PageForKeyword("Contents")));
}

void TApplication::LoopIdle() {
  if (FActionsDirty) {
    Idle();
    return;
  }
  if (FInIdle || !OnIdle) return;
  FInIdle = true;
  try {
    bool done = true;
    OnIdle(this, done);
  } catch (...) {
    FInIdle = false;
    throw;
  }
  FInIdle = false;
}

void TApplication::Idle() {
  if (FInIdle) return;
  FInIdle = true;
  try {
    bool done = true;
    if (OnIdle) OnIdle(this, done);
    FActionsDirty = false;
    for (size_t i = 0; i < FActionLists.size(); ++i) FActionLists[i]->UpdateActions();
  } catch (...) {
    FInIdle = false;
    throw;
  }
  FInIdle = false;
}

void TApplication::RegisterActionList(TActionList* list) {
  FActionLists.push_back(list);
  FActionsDirty = true;
}

void TApplication::UnregisterActionList(TActionList* list) {
  FActionLists.erase(std::remove(FActionLists.begin(), FActionLists.end(), list), FActionLists.end());
}

// ---------------------------------------------------------------------------
// Screen

TScreen::TScreen() : TComponent(nullptr) {}
TScreen::~TScreen() = default;

Integer TScreen::Width() const {
  QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->geometry().width() : 0;
}

Integer TScreen::Height() const {
  QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->geometry().height() : 0;
}

TRect TScreen::WorkAreaRect() const {
  QScreen* s = QGuiApplication::primaryScreen();
  if (!s) return {};
  QRect r = s->availableGeometry();
  return Bounds(r.x(), r.y(), r.width(), r.height());
}

TStrings& TScreen::Fonts() {
  if (!FFonts) {
    FFonts = std::make_unique<TStringList>();
    // A family installed by several foundries comes as "Name [foundry]"
    // once for each: the user picks the family, listed once.
    QStringList families;
    for (const QString& f : QFontDatabase::families()) {
      if (QFontDatabase::isPrivateFamily(f)) continue;
      QString name = f;
      if (const qsizetype b = name.lastIndexOf(QLatin1String(" [")); b > 0 && name.endsWith(u']')) name.truncate(b);
      families.push_back(name);
    }
    std::sort(families.begin(), families.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    families.erase(std::unique(families.begin(), families.end(),
                               [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }),
                   families.end());
    for (const QString& f : families) FFonts->Add(FromQ(f));
  }
  return *FFonts;
}

void TScreen::SetCursor(TCursor value) {
  if (value == FCursor) return;
  FCursor = value;
  // A program without a GUI application (a command-line check, a
  // benchmark) has no cursor: asking for one would abort it.
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
  while (QGuiApplication::overrideCursor()) QGuiApplication::restoreOverrideCursor();
  if (value != crDefault) QGuiApplication::setOverrideCursor(CursorOf(value));
}

TCustomForm* TScreen::ActiveForm() const {
  if (QWidget* w = QApplication::activeWindow()) return FormOfWindow(w);
  return nullptr;
}

namespace {
bool IsMenuWidget(const QWidget* w) { return qobject_cast<const QMenu*>(w) || qobject_cast<const QMenuBar*>(w); }

// The last control with the keyboard focus that was not a menu: a menu bar
// opened from the keyboard and an open menu take the focus while they are
// up, yet their commands are for the control that had it before.
QPointer<QWidget>& LastWorkFocus() {
  static QPointer<QWidget> last;
  static bool watching = false;
  if (!watching && qApp) {
    watching = true;
    if (QWidget* now = QApplication::focusWidget(); now && !IsMenuWidget(now)) last = now;
    QObject::connect(qApp, &QApplication::focusChanged, qApp, [](QWidget*, QWidget* now) {
      if (now && !IsMenuWidget(now)) last = now;
    });
  }
  return last;
}
}  // namespace

TWinControl* TScreen::ActiveControl() const {
  QPointer<QWidget>& last = LastWorkFocus();
  QWidget* focus = QApplication::focusWidget();
  if (IsMenuWidget(focus) || (!focus && QApplication::activePopupWidget()))
    focus = last && last->isVisible() ? last.data() : nullptr;
  return dynamic_cast<TWinControl*>(TControl::FromWidget(focus));
}

int TScreen::FormCount() const {
  int n = 0;
  for (QWidget* w : QApplication::allWidgets())
    if (w->property(kFormProperty).isValid() && !qobject_cast<QMdiSubWindow*>(w) && !qobject_cast<QMdiArea*>(w)) ++n;
  return n;
}

TCustomForm* TScreen::Forms(int index) const {
  int n = 0;
  for (QWidget* w : QApplication::allWidgets())
    if (w->property(kFormProperty).isValid() && !qobject_cast<QMdiSubWindow*>(w) && !qobject_cast<QMdiArea*>(w))
      if (n++ == index) return FormOfWindow(w);
  throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

TWaitCursor::TWaitCursor() : FSaved(Screen->GetCursor()) { Screen->SetCursor(crHourGlass); }
TWaitCursor::~TWaitCursor() { Screen->SetCursor(FSaved); }

void BusyNotice(bool begins) {
  if (!Screen || !qApp || QThread::currentThread() != qApp->thread()) return;
  static int depth = 0;
  static std::unique_ptr<TWaitCursor> wait;
  if (begins) {
    if (depth++ == 0) wait = std::make_unique<TWaitCursor>();
  } else if (depth > 0 && --depth == 0) {
    wait.reset();
  }
}

void TCustomForm::SetWindowRegion(const std::vector<TPoint>& polygon) {
  FWindowRegion = polygon;
  QWidget* w = WindowWidget();
  if (!w) return;
  if (polygon.empty()) {
    w->clearMask();
    return;
  }
  QPolygon poly;
  poly.reserve(static_cast<int>(polygon.size()));
  for (const TPoint& p : polygon) poly << QPoint(p.X, p.Y);
  w->setMask(QRegion(poly, Qt::WindingFill));
}

#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/QtText.h"

#include <QApplication>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStyle>
#include <QStyleHints>
#include <QTimer>
#include <dlfcn.h>

QCursor CursorOf(TCursor cursor) { return CursorById(cursor); }

// The lock keys' state comes from the X keyboard extension when the program
// runs on X11 (libX11 is loaded at run time; there is no portable way).
bool LockKeyToggled(int virtualKey) {
  if (QGuiApplication::platformName() != "xcb") return false;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11 || !x11->display()) return false;
  using TGetIndicatorState = int (*)(void*, unsigned int, unsigned int*);
  static TGetIndicatorState getState = [] {
    void* lib = ::dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
    if (!lib) lib = ::dlopen("libX11.so.6", RTLD_LAZY);
    return lib ? reinterpret_cast<TGetIndicatorState>(::dlsym(lib, "XkbGetIndicatorState")) : nullptr;
  }();
  if (!getState) return false;
  unsigned int state = 0;
  const unsigned int useCoreKbd = 0x0100;
  if (getState(x11->display(), useCoreKbd, &state) != 0) return false;
  // Indicator 0 is Caps Lock, 1 is Num Lock on the usual keyboard maps.
  return virtualKey == VK_CAPITAL ? (state & 1u) != 0 : (state & 2u) != 0;
}

// ---------------------------------------------------------------------------

struct TCustomControl::TCustomImpl {
  QPointer<QScrollBar> Bars[2];
  bool BarShown[2] = {false, false};
  TScrollInfo Info[2];
  // Caret.
  bool CaretCreated = false;
  bool CaretShown = false;
  bool BlinkOn = true;
  int CaretX = 0, CaretY = 0, CaretW = 1, CaretH = 0;
  QTimer Blink;
};

TPaintHostWidget::TPaintHostWidget(TCustomControl* control, QWidget* parent) : QWidget(parent), FControl(control) {
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
}

void TPaintHostWidget::paintEvent(QPaintEvent*) {
  GuardedCall([this] { FControl->PaintWidget(); });
}

void TPaintHostWidget::inputMethodEvent(QInputMethodEvent* e) {
  GuardedCall([&] {
    if (!e->commitString().isEmpty()) FControl->ImeCommit(e->commitString().toStdU16String());
    FControl->ImePreedit(e->preeditString().toStdU16String(), static_cast<int>(e->preeditString().size()));
  });
  e->accept();
}

QVariant TPaintHostWidget::inputMethodQuery(Qt::InputMethodQuery query) const {
  switch (query) {
    case Qt::ImEnabled: return testAttribute(Qt::WA_InputMethodEnabled);
    case Qt::ImCursorRectangle: {
      TPoint p = FControl->GetCaretPos();
      return QRect(p.X, p.Y, 1, std::max(1, height() > 0 ? FControl->FCustom->CaretH : 1));
    }
    case Qt::ImFont: return FControl->Font.QtFont();
    case Qt::ImCursorPosition:
    case Qt::ImAnchorPosition: return 0;
    case Qt::ImSurroundingText:
    case Qt::ImCurrentSelection: return QString();
    default: return QWidget::inputMethodQuery(query);
  }
}

bool TPaintHostWidget::focusNextPrevChild(bool next) {
  if (FControl->WantTabs) return false;
  return QWidget::focusNextPrevChild(next);
}

TCustomControl::TCustomControl(TComponent* AOwner)
    : TWinControl(AOwner), FCanvas(std::make_unique<TCanvas>()), FCustom(std::make_unique<TCustomImpl>()) {
  FClickOnMouseUp = true;
  FActiveCanvas = FCanvas.get();
  SetWidget(new TPaintHostWidget(this));
  FCanvas->Font.Assign(Font);
  int flash = QGuiApplication::styleHints()->cursorFlashTime();
  FCustom->Blink.setInterval(flash > 0 ? flash / 2 : 530);
  QObject::connect(&FCustom->Blink, &QTimer::timeout, [this] {
    FCustom->BlinkOn = !FCustom->BlinkOn;
    if (QWidget* w = Widget())
      w->update(FCustom->CaretX, FCustom->CaretY, std::max(1, FCustom->CaretW), std::max(1, FCustom->CaretH));
  });
}

TCustomControl::~TCustomControl() { FCustom->Blink.stop(); }

void TCustomControl::Paint() {
  if (OnPaint) OnPaint(this);
}

void TCustomControl::PaintWidget() {
  QWidget* w = Widget();
  if (!w) return;
  QPainter painter(w);
  FCanvas->SetHandle(&painter);
  try {
    Paint();
  } catch (...) {
    FCanvas->SetHandle(nullptr);
    throw;
  }
  FCanvas->SetHandle(nullptr);
  if (FCustom->CaretCreated && FCustom->CaretShown && FCustom->BlinkOn) {
    // Drawn inverting, like a system caret, so it shows on any background.
    painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    painter.fillRect(FCustom->CaretX, FCustom->CaretY, std::max(1, FCustom->CaretW), std::max(1, FCustom->CaretH),
                     Qt::white);
  }
}

void TCustomControl::PaintTo(TCanvas* canvas) {
  TCanvas* own = FActiveCanvas;
  FActiveCanvas = canvas;
  try {
    Paint();
  } catch (...) {
    FActiveCanvas = own;
    throw;
  }
  FActiveCanvas = own;
}

TRect TCustomControl::GetClientRect() const {
  TRect r = TWinControl::GetClientRect();
  for (int k = 0; k < 2; ++k) {
    QScrollBar* bar = FCustom->Bars[k];
    if (!bar || !FCustom->BarShown[k]) continue;
    if (k == sbVertical)
      r.Right -= bar->sizeHint().width();
    else
      r.Bottom -= bar->sizeHint().height();
  }
  r.Right = std::max(r.Left, r.Right);
  r.Bottom = std::max(r.Top, r.Bottom);
  return r;
}

namespace {
TScrollCode CodeOfAction(int action) {
  switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: return scLineDown;
    case QAbstractSlider::SliderSingleStepSub: return scLineUp;
    case QAbstractSlider::SliderPageStepAdd: return scPageDown;
    case QAbstractSlider::SliderPageStepSub: return scPageUp;
    case QAbstractSlider::SliderToMinimum: return scTop;
    case QAbstractSlider::SliderToMaximum: return scBottom;
    default: return scTrack;
  }
}
}  // namespace

void TCustomControl::Scroll(TScrollBarKind Kind, TScrollCode Code, int& Pos) {
  if (OnScroll) OnScroll(this, Kind, Code, Pos);
  TMessage m{Kind == sbVertical ? WM_VSCROLL : WM_HSCROLL, Code, Pos, 0, nullptr};
  WndProc(m);
}

void TCustomControl::SetScrollInfo(TScrollBarKind kind, const TScrollInfo& info, bool disableNoScroll) {
  QWidget* w = Widget();
  if (!w) return;
  QPointer<QScrollBar>& bar = FCustom->Bars[kind];
  if (!bar) {
    bar = new QScrollBar(kind == sbVertical ? Qt::Vertical : Qt::Horizontal, w);
    bar->setCursor(Qt::ArrowCursor);
    QScrollBar* b = bar;
    QObject::connect(b, &QAbstractSlider::actionTriggered, b, [this, kind, b](int action) {
      GuardedCall([&] {
        if (action == QAbstractSlider::SliderNoAction) return;
        if (action == QAbstractSlider::SliderMove && !Tracking) return;
        int pos = b->sliderPosition();
        TScrollCode code = CodeOfAction(action);
        Scroll(kind, code, pos);
        if (pos != b->sliderPosition()) b->setSliderPosition(pos);
        FCustom->Info[kind].Pos = pos;
      });
    });
    QObject::connect(b, &QAbstractSlider::sliderReleased, b, [this, kind, b] {
      GuardedCall([&] {
        int pos = b->sliderPosition();
        Scroll(kind, scPosition, pos);
        FCustom->Info[kind].Pos = pos;
        FCustom->Info[kind].TrackPos = pos;
        Scroll(kind, scEndScroll, pos);
      });
    });
  }
  TScrollInfo i = info;
  int page = std::max(0, i.Page);
  int maxPos = page > 0 ? i.Max - page + 1 : i.Max;
  if (maxPos < i.Min) maxPos = i.Min;
  i.Pos = std::clamp(i.Pos, i.Min, maxPos);
  FCustom->Info[kind] = i;
  QSignalBlocker block(bar.data());
  bar->setRange(i.Min, maxPos);
  bar->setPageStep(std::max(1, page));
  bar->setValue(i.Pos);
  bar->setTracking(Tracking);
  bool needed = maxPos > i.Min;
  if (needed || disableNoScroll) {
    bar->setEnabled(needed);
    FCustom->BarShown[kind] = true;
  } else {
    FCustom->BarShown[kind] = false;
  }
  LayoutScrollBars();
}

TScrollInfo TCustomControl::GetScrollInfo(TScrollBarKind kind) const {
  TScrollInfo i = FCustom->Info[kind];
  if (QScrollBar* bar = FCustom->Bars[kind]) {
    i.Pos = bar->value();
    i.TrackPos = bar->sliderPosition();
  }
  return i;
}

int TCustomControl::GetScrollPos(TScrollBarKind kind) const { return GetScrollInfo(kind).Pos; }

void TCustomControl::SetScrollPos(TScrollBarKind kind, int pos) {
  TScrollInfo i = GetScrollInfo(kind);
  i.Pos = pos;
  SetScrollInfo(kind, i, FCustom->BarShown[kind] && FCustom->Bars[kind] && !FCustom->Bars[kind]->isEnabled());
}

void TCustomControl::ShowScrollBar(TScrollBarKind kind, bool show) {
  if (show && !FCustom->Bars[kind]) SetScrollInfo(kind, FCustom->Info[kind], true);
  FCustom->BarShown[kind] = show;
  LayoutScrollBars();
}

bool TCustomControl::ScrollBarVisible(TScrollBarKind kind) const {
  return FCustom->Bars[kind] && FCustom->BarShown[kind];
}

void TCustomControl::EnableScrollBar(TScrollBarKind kind, bool enable) {
  if (FCustom->Bars[kind]) FCustom->Bars[kind]->setEnabled(enable);
}

void TCustomControl::SetScrollSteps(TScrollBarKind kind, int lineStep) {
  if (!FCustom->Bars[kind]) SetScrollInfo(kind, FCustom->Info[kind]);
  FCustom->Bars[kind]->setSingleStep(std::max(1, lineStep));
}

void TCustomControl::LayoutScrollBars() {
  QWidget* w = Widget();
  if (!w) return;
  QScrollBar* v = FCustom->Bars[sbVertical];
  QScrollBar* h = FCustom->Bars[sbHorizontal];
  bool vs = v && FCustom->BarShown[sbVertical];
  bool hs = h && FCustom->BarShown[sbHorizontal];
  int vw = vs ? v->sizeHint().width() : 0;
  int hh = hs ? h->sizeHint().height() : 0;
  if (v) {
    v->setVisible(vs);
    if (vs) v->setGeometry(w->width() - vw, 0, vw, w->height() - hh);
  }
  if (h) {
    h->setVisible(hs);
    if (hs) h->setGeometry(0, w->height() - hh, w->width() - vw, hh);
  }
}

void TCustomControl::ScrollWindow(int dx, int dy) {
  QWidget* w = Widget();
  if (!w) return;
  TRect r = GetClientRect();
  // The rectangle form moves the pixels only, not the children.
  w->scroll(dx, dy, QRect(r.Left, r.Top, r.Width(), r.Height()));
}

bool TCustomControl::QtEvent(QEvent* event) {
  if (event->type() == QEvent::Resize) LayoutScrollBars();
  if (event->type() == QEvent::FocusOut || event->type() == QEvent::FocusIn) {
    FCustom->BlinkOn = true;
  }
  return TWinControl::QtEvent(event);
}

// --- caret ------------------------------------------------------------------

void TCustomControl::CreateCaret(int width, int height) {
  if (FCustom->CaretCreated && FCustom->CaretShown) Invalidate();
  FCustom->CaretCreated = true;
  FCustom->CaretShown = false;
  FCustom->CaretW = std::max(1, width);
  FCustom->CaretH = std::clamp(height, 1, 1000);
}

void TCustomControl::DestroyCaret() {
  if (!FCustom->CaretCreated) return;
  QWidget* w = Widget();
  if (w && FCustom->CaretShown) w->update(FCustom->CaretX, FCustom->CaretY, FCustom->CaretW, FCustom->CaretH);
  FCustom->CaretCreated = false;
  FCustom->CaretShown = false;
  FCustom->Blink.stop();
}

void TCustomControl::SetCaretPos(int x, int y) {
  QWidget* w = Widget();
  if (w && FCustom->CaretShown) w->update(FCustom->CaretX, FCustom->CaretY, FCustom->CaretW, FCustom->CaretH);
  FCustom->CaretX = x;
  FCustom->CaretY = y;
  FCustom->BlinkOn = true;
  if (w && FCustom->CaretShown) {
    w->update(x, y, FCustom->CaretW, FCustom->CaretH);
    if (w->hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle);
  }
}

TPoint TCustomControl::GetCaretPos() const { return {FCustom->CaretX, FCustom->CaretY}; }

void TCustomControl::ShowCaret() {
  if (!FCustom->CaretCreated) return;
  FCustom->CaretShown = true;
  FCustom->BlinkOn = true;
  FCustom->Blink.start();
  if (QWidget* w = Widget()) w->update(FCustom->CaretX, FCustom->CaretY, FCustom->CaretW, FCustom->CaretH);
}

void TCustomControl::HideCaret() {
  if (!FCustom->CaretShown) return;
  FCustom->CaretShown = false;
  FCustom->Blink.stop();
  if (QWidget* w = Widget()) w->update(FCustom->CaretX, FCustom->CaretY, FCustom->CaretW, FCustom->CaretH);
}

bool TCustomControl::CaretVisible() const { return FCustom->CaretCreated && FCustom->CaretShown; }

// --- input method -------------------------------------------------------------

void TCustomControl::SetInputMethodEnabled(bool enabled) {
  if (QWidget* w = Widget()) w->setAttribute(Qt::WA_InputMethodEnabled, enabled);
}

void TCustomControl::ImePreedit(const WideString& Text, int CursorPos) {
  if (OnImePreedit) OnImePreedit(this, Text, CursorPos);
}

void TCustomControl::ImeCommit(const WideString& Text) {
  if (OnImeCommit) OnImeCommit(this, Text);
}

// ---------------------------------------------------------------------------

TChildEventForwarder::TChildEventForwarder(TControl* control, QWidget* child) : QObject(child), FControl(control) {
  child->installEventFilter(this);
}

bool TChildEventForwarder::eventFilter(QObject*, QEvent* e) {
  switch (e->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ContextMenu: {
      bool consumed = false;
      GuardedCall([&] { consumed = FControl->QtEvent(e); });
      return consumed;
    }
    default: return false;
  }
}

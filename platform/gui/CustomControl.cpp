#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/QtText.h"

#include <QApplication>
#include <QChildEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QLocale>
#include <QPaintEvent>
#include <QPainter>
#include <QPointer>
#include <QRegion>
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
  int LineStep[2] = {0, 0};
  // Set when the position is set while a scroll message is handled.
  bool PosSet[2] = {false, false};
  TCreateParams Params;
  TPoint Origin;
  // Invalid area not painted yet, client coordinates.
  QRegion Pending;
  // Caret.
  bool CaretCreated = false;
  bool CaretShown = false;
  bool BlinkOn = true;
  int CaretX = 0, CaretY = 0, CaretW = 1, CaretH = 0;
  QTimer Blink;
  // Buttons pressed on the frame or between the bars, until released.
  Qt::MouseButtons AsidePress;
};

TPaintHostWidget::TPaintHostWidget(TCustomControl* control, QWidget* parent) : QWidget(parent), FControl(control) {
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
}

void TPaintHostWidget::paintEvent(QPaintEvent* e) {
  GuardedCall([&] { FControl->PaintWidget(e->region()); });
}

void TPaintHostWidget::inputMethodEvent(QInputMethodEvent* e) {
  RunControlHandler(FControl, [&] {
    if (!e->commitString().isEmpty()) FControl->ImeCommit(e->commitString().toStdU16String());
    // The input method places its own cursor in the preedit; without one it
    // stands at the end.
    const QString preedit = e->preeditString();
    int cursor = static_cast<int>(preedit.size());
    for (const QInputMethodEvent::Attribute& a : e->attributes())
      if (a.type == QInputMethodEvent::Cursor) cursor = std::clamp(a.start, 0, static_cast<int>(preedit.size()));
    FControl->ImePreedit(preedit.toStdU16String(), cursor);
  });
  e->accept();
}

QVariant TPaintHostWidget::inputMethodQuery(Qt::InputMethodQuery query) const {
  switch (query) {
    case Qt::ImEnabled: return testAttribute(Qt::WA_InputMethodEnabled);
    case Qt::ImCursorRectangle: {
      const TPoint p = FControl->GetCaretPos();
      const TPoint o = FControl->ClientOrigin();
      return QRect(p.X + o.X, p.Y + o.Y, 1, std::max(1, FControl->FCustom->CaretH));
    }
    case Qt::ImFont: return FControl->Font.QtFont();
    case Qt::ImCursorPosition:
    case Qt::ImAnchorPosition:
    case Qt::ImSurroundingText:
    case Qt::ImCurrentSelection: {
      WideString text;
      int cursor = 0, anchor = 0;
      bool known = false;
      GuardedCall([&] { known = FControl->ImeSurrounding(text, cursor, anchor); });
      const int size = known ? static_cast<int>(text.size()) : 0;
      cursor = std::clamp(cursor, 0, size);
      anchor = std::clamp(anchor, 0, size);
      if (query == Qt::ImCursorPosition) return cursor;
      if (query == Qt::ImAnchorPosition) return anchor;
      const QString all = known ? QString::fromStdU16String(text) : QString();
      if (query == Qt::ImSurroundingText) return all;
      return all.mid(std::min(cursor, anchor), std::abs(cursor - anchor));
    }
    default: return QWidget::inputMethodQuery(query);
  }
}

bool TPaintHostWidget::focusNextPrevChild(bool next) {
  if (FControl->WantTabs) return false;
  return QWidget::focusNextPrevChild(next);
}

// Child controls show, and take the mouse, inside the client area only:
// not over the frame or the scroll bars (a cell editor scrolled half out of
// the view would cover the bar and take its presses).
void TPaintHostWidget::childEvent(QChildEvent* e) {
  QWidget::childEvent(e);
  // Polished: constructed whole, and before it first shows.
  if (e->type() == QEvent::ChildPolished) {
    auto* child = qobject_cast<QWidget*>(e->child());
    if (!child || qobject_cast<QScrollBar*>(child)) return;
    child->installEventFilter(this);
    FControl->ClipChild(child);
  }
}

bool TPaintHostWidget::eventFilter(QObject* watched, QEvent* e) {
  // Every event of the child passes here: the few that matter first.
  const QEvent::Type type = e->type();
  if (type != QEvent::Move && type != QEvent::Resize && type != QEvent::ParentChange) return false;
  auto* child = qobject_cast<QWidget*>(watched);
  if (!child) return false;
  if (child->parentWidget() == this) {
    FControl->ClipChild(child);
  } else if (type == QEvent::ParentChange) {
    // Placed elsewhere: whole again there.
    child->removeEventFilter(this);
    child->clearMask();
  }
  return false;
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
      w->update(FCustom->CaretX + FCustom->Origin.X, FCustom->CaretY + FCustom->Origin.Y,
                std::max(1, FCustom->CaretW), std::max(1, FCustom->CaretH));
  });
}

TCustomControl::~TCustomControl() { FCustom->Blink.stop(); }

void TCustomControl::Paint() {
  if (OnPaint) OnPaint(this);
}

namespace {
QRect ToQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }
TRect FromQRect(const QRect& r) { return Bounds(r.x(), r.y(), r.width(), r.height()); }

int FrameWidthOf(const TCreateParams& p) {
  if (p.ExStyle & WS_EX_CLIENTEDGE) return 2;
  return (p.Style & WS_BORDER) ? 1 : 0;
}

// Controls whose painting covers everything say so by answering
// WM_ERASEBKGND; only they are opaque, so that Qt neither erases under them
// nor repaints what ScrollWindow can move.
void UpdateOpaqueness(TCustomControl* control, QWidget* w) {
  w->setAttribute(Qt::WA_OpaquePaintEvent, control->Perform(WM_ERASEBKGND) != 0);
}
}  // namespace

void TCustomControl::PaintWidget(const QRegion& region) {
  QWidget* w = Widget();
  if (!w) return;
  UpdateOpaqueness(this, w);
  QPainter painter(w);
  const TPoint o = ClientOrigin();
  const QRect client = ToQRect(GetClientRect()).translated(o.X, o.Y);
  const QRegion clip = region & client;
  FCustom->Pending -= clip.translated(-o.X, -o.Y);
  if (!clip.isEmpty()) {
    painter.save();
    // The canvas sees client coordinates clipped to what is being painted.
    painter.setClipRegion(clip);
    painter.translate(o.X, o.Y);
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
      painter.fillRect(FCustom->CaretX, FCustom->CaretY, std::max(1, FCustom->CaretW),
                       std::max(1, FCustom->CaretH), Qt::white);
    }
    painter.restore();
  }
  PaintFrame(painter);
}

void TCustomControl::PaintFrame(QPainter& painter) {
  QWidget* w = Widget();
  const int frame = FrameWidthOf(FCustom->Params);
  const bool corner = ScrollBarVisible(sbVertical) && ScrollBarVisible(sbHorizontal);
  if (frame == 0 && !corner) return;
  TCanvas canvas(&painter);
  if (corner) {
    QScrollBar* v = FCustom->Bars[sbVertical];
    QScrollBar* h = FCustom->Bars[sbHorizontal];
    canvas.Brush.Color = clBtnFace;
    canvas.FillRect(Bounds(v->x(), h->y(), v->width(), h->height()));
  }
  TRect r = Rect(0, 0, w->width(), w->height());
  if (frame == 2) {
    DrawEdge(canvas, r, EDGE_SUNKEN, BF_RECT);
  } else if (frame == 1) {
    canvas.Brush.Color = clWindowFrame;
    canvas.FrameRect(r);
  }
}

void TCustomControl::RecreateWnd() {
  TCreateParams params;
  CreateParams(params);
  FCustom->Params = params;
  LayoutScrollBars();
  if (QWidget* w = Widget()) w->update();
}

TPoint TCustomControl::ClientOrigin() const { return FCustom->Origin; }

void TCustomControl::InvalidateRect(const TRect& Rect) {
  QWidget* w = Widget();
  if (!w) return;
  const QRect r = ToQRect(Rect) & ToQRect(GetClientRect());
  if (r.isEmpty()) return;
  Invalidated(FromQRect(r));
  FCustom->Pending += r;
  w->update(r.translated(FCustom->Origin.X, FCustom->Origin.Y));
}

void TCustomControl::Invalidate() {
  QWidget* w = Widget();
  if (!w) return;
  Invalidated(GetClientRect());
  FCustom->Pending += ToQRect(GetClientRect());
  w->update();
}

void TCustomControl::Update() {
  QWidget* w = Widget();
  if (!w || FCustom->Pending.isEmpty()) return;
  // Qt paints everything dirty in the window now, which includes this.
  w->repaint(FCustom->Pending.translated(FCustom->Origin.X, FCustom->Origin.Y));
}

TRect TCustomControl::GetUpdateRect() const { return FromQRect(FCustom->Pending.boundingRect()); }

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
  const int frame = FrameWidthOf(FCustom->Params);
  r.Right -= 2 * frame;
  r.Bottom -= 2 * frame;
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

// After a scroll message: a position the handler set wins over the one the
// bar stepped to by itself.
void TCustomControl::ApplyScrollPosition(TScrollBarKind kind, int pos) {
  QScrollBar* bar = FCustom->Bars[kind];
  const int final = FCustom->PosSet[kind] ? FCustom->Info[kind].Pos : pos;
  FCustom->PosSet[kind] = false;
  if (bar && final != bar->sliderPosition()) bar->setSliderPosition(final);
  FCustom->Info[kind].Pos = bar ? bar->sliderPosition() : final;
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
        FCustom->PosSet[kind] = false;
        Scroll(kind, code, pos);
        ApplyScrollPosition(kind, pos);
      });
    });
    QObject::connect(b, &QAbstractSlider::sliderReleased, b, [this, kind, b] {
      GuardedCall([&] {
        int pos = b->sliderPosition();
        FCustom->PosSet[kind] = false;
        Scroll(kind, scPosition, pos);
        ApplyScrollPosition(kind, pos);
        FCustom->Info[kind].TrackPos = FCustom->Info[kind].Pos;
        Scroll(kind, scEndScroll, pos);
        FCustom->PosSet[kind] = false;
      });
    });
  }
  TScrollInfo i = info;
  int page = std::max(0, i.Page);
  int maxPos = page > 0 ? i.Max - page + 1 : i.Max;
  if (maxPos < i.Min) maxPos = i.Min;
  i.Pos = std::clamp(i.Pos, i.Min, maxPos);
  FCustom->Info[kind] = i;
  FCustom->PosSet[kind] = true;
  QSignalBlocker block(bar.data());
  bar->setRange(i.Min, maxPos);
  bar->setPageStep(std::max(1, page));
  bar->setValue(i.Pos);
  bar->setTracking(Tracking);
  if (FCustom->LineStep[kind] > 0) bar->setSingleStep(FCustom->LineStep[kind]);
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
  // Kept for a bar made later (or never, without a widget).
  FCustom->LineStep[kind] = std::max(1, lineStep);
  if (QScrollBar* bar = FCustom->Bars[kind]) bar->setSingleStep(FCustom->LineStep[kind]);
}

void TCustomControl::LayoutScrollBars() {
  QWidget* w = Widget();
  if (!w) return;
  QScrollBar* v = FCustom->Bars[sbVertical];
  QScrollBar* h = FCustom->Bars[sbHorizontal];
  bool vs = v && FCustom->BarShown[sbVertical];
  bool hs = h && FCustom->BarShown[sbHorizontal];
  const int vw = vs ? v->sizeHint().width() : 0;
  const int hh = hs ? h->sizeHint().height() : 0;
  const int f = FrameWidthOf(FCustom->Params);
  const bool left = (FCustom->Params.ExStyle & WS_EX_LEFTSCROLLBAR) != 0;
  const int inW = std::max(0, w->width() - 2 * f), inH = std::max(0, w->height() - 2 * f);
  if (v) {
    v->setVisible(vs);
    if (vs) v->setGeometry(left ? f : f + inW - vw, f, vw, std::max(0, inH - hh));
  }
  if (h) {
    h->setVisible(hs);
    if (hs) h->setGeometry(left ? f + vw : f, f + inH - hh, std::max(0, inW - vw), hh);
  }
  const TPoint origin(left ? f + vw : f, f);
  if (origin != FCustom->Origin) {
    FCustom->Origin = origin;
    PlaceChildren();
    w->update();
  }
  ClipChildren();
}

void TCustomControl::ClipChild(QWidget* child) const {
  QWidget* w = Widget();
  if (!w || child->parentWidget() != w) return;
  const QRect client = ToQRect(GetClientRect()).translated(FCustom->Origin.X, FCustom->Origin.Y);
  const QRect g = child->geometry();
  if (client.contains(g)) {
    if (!child->mask().isEmpty()) child->clearMask();
    return;
  }
  // (An empty mask is no mask: a child wholly outside keeps a pixel off
  // its own area.)
  const QRect shown = client.intersected(g).translated(-g.topLeft());
  const QRegion mask = shown.isEmpty() ? QRegion(-1, -1, 1, 1) : QRegion(shown);
  if (child->mask() != mask) child->setMask(mask);
}

void TCustomControl::ClipChildren() const {
  QWidget* w = Widget();
  if (!w) return;
  for (QObject* o : w->children())
    if (auto* child = qobject_cast<QWidget*>(o); child && !qobject_cast<QScrollBar*>(child)) ClipChild(child);
}

void TCustomControl::ScrollWindow(int dx, int dy) {
  QWidget* w = Widget();
  if (!w || (dx == 0 && dy == 0)) return;
  UpdateOpaqueness(this, w);
  const QRect client = ToQRect(GetClientRect());
  const TPoint o = FCustom->Origin;
  // The caret's pixels would move with the rest: paint it away and back.
  if (FCustom->CaretCreated && FCustom->CaretShown) {
    const QRect caret(FCustom->CaretX, FCustom->CaretY, std::max(1, FCustom->CaretW), std::max(1, FCustom->CaretH));
    FCustom->Pending += (caret | caret.translated(dx, dy)) & client;
    w->update(caret.translated(o.X, o.Y));
  }
  // The rectangle form moves the pixels only, not the children.
  w->scroll(dx, dy, client.translated(o.X, o.Y));
  const QRegion uncovered = QRegion(client) - QRegion(client.translated(dx, dy));
  FCustom->Pending = (FCustom->Pending.translated(dx, dy) & client) | uncovered;
}

bool TCustomControl::QtEvent(QEvent* event) {
  if (event->type() == QEvent::Resize) LayoutScrollBars();
  if (event->type() == QEvent::FocusOut || event->type() == QEvent::FocusIn) {
    FCustom->BlinkOn = true;
  }
  // The frame and the square between the two bars are not the client
  // area: a press there is nobody's, nor are its moves and release. Handed
  // on, it would land on what the control does not show there, and its
  // release, kept inside the client area, elsewhere.
  switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      auto* me = static_cast<QMouseEvent*>(event);
      const QRect client = ToQRect(GetClientRect()).translated(FCustom->Origin.X, FCustom->Origin.Y);
      if (client.contains(me->position().toPoint())) break;
      FCustom->AsidePress |= me->button();
      event->accept();
      return true;
    }
    case QEvent::MouseButtonRelease: {
      auto* me = static_cast<QMouseEvent*>(event);
      if (!(FCustom->AsidePress & me->button())) break;
      FCustom->AsidePress &= ~me->button();
      event->accept();
      return true;
    }
    case QEvent::MouseMove: {
      auto* me = static_cast<QMouseEvent*>(event);
      // (Its release went elsewhere: the moves are the control's again.)
      FCustom->AsidePress &= me->buttons();
      if (FCustom->AsidePress) {
        event->accept();
        return true;
      }
      break;
    }
    default: break;
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
  if (w && FCustom->CaretShown)
    w->update(FCustom->CaretX + FCustom->Origin.X, FCustom->CaretY + FCustom->Origin.Y, FCustom->CaretW,
              FCustom->CaretH);
  FCustom->CaretCreated = false;
  FCustom->CaretShown = false;
  FCustom->Blink.stop();
}

void TCustomControl::SetCaretPos(int x, int y) {
  QWidget* w = Widget();
  const TPoint o = FCustom->Origin;
  if (w && FCustom->CaretShown)
    w->update(FCustom->CaretX + o.X, FCustom->CaretY + o.Y, FCustom->CaretW, FCustom->CaretH);
  FCustom->CaretX = x;
  FCustom->CaretY = y;
  FCustom->BlinkOn = true;
  if (w && FCustom->CaretShown) {
    w->update(x + o.X, y + o.Y, FCustom->CaretW, FCustom->CaretH);
    if (w->hasFocus())
      QGuiApplication::inputMethod()->update(Qt::ImCursorRectangle | Qt::ImCursorPosition | Qt::ImAnchorPosition |
                                             Qt::ImSurroundingText | Qt::ImCurrentSelection);
  }
}

TPoint TCustomControl::GetCaretPos() const { return {FCustom->CaretX, FCustom->CaretY}; }

void TCustomControl::ShowCaret() {
  if (!FCustom->CaretCreated) return;
  FCustom->CaretShown = true;
  FCustom->BlinkOn = true;
  FCustom->Blink.start();
  if (QWidget* w = Widget())
    w->update(FCustom->CaretX + FCustom->Origin.X, FCustom->CaretY + FCustom->Origin.Y, FCustom->CaretW,
              FCustom->CaretH);
}

void TCustomControl::HideCaret() {
  if (!FCustom->CaretShown) return;
  FCustom->CaretShown = false;
  FCustom->Blink.stop();
  if (QWidget* w = Widget())
    w->update(FCustom->CaretX + FCustom->Origin.X, FCustom->CaretY + FCustom->Origin.Y, FCustom->CaretW,
              FCustom->CaretH);
}

bool TCustomControl::CaretVisible() const { return FCustom->CaretCreated && FCustom->CaretShown; }

// --- input method -------------------------------------------------------------

namespace {

// A change of the keyboard's input language reaches the control with the
// focus as WM_INPUTLANGCHANGE, once the first control takes input-method
// input.
void WatchInputLanguage() {
  static QPointer<QInputMethod> watched;
  QInputMethod* im = qGuiApp ? QGuiApplication::inputMethod() : nullptr;
  if (!im || watched == im) return;
  watched = im;
  QObject::connect(im, &QInputMethod::localeChanged, im, [im] {
    auto* host = dynamic_cast<TPaintHostWidget*>(QApplication::focusWidget());
    if (!host) return;
    const intptr_t charset = CharsetOfLocale(im->locale());
    GuardedCall([&] { host->Control()->Perform(WM_INPUTLANGCHANGE, charset); });
  });
}

}  // namespace

void TCustomControl::SetInputMethodEnabled(bool enabled) {
  if (QWidget* w = Widget()) w->setAttribute(Qt::WA_InputMethodEnabled, enabled);
  if (enabled) WatchInputLanguage();
}

void TCustomControl::ImePreedit(const WideString& Text, int CursorPos) {
  if (OnImePreedit) OnImePreedit(this, Text, CursorPos);
}

void TCustomControl::ImeCommit(const WideString& Text) {
  if (OnImeCommit) OnImeCommit(this, Text);
}

bool TCustomControl::ImeSurrounding(WideString& Text, int& CursorPos, int& AnchorPos) {
  return OnImeSurrounding && OnImeSurrounding(this, Text, CursorPos, AnchorPos);
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
      return DeliverControlEvent(FControl, e);
    }
    default: return false;
  }
}

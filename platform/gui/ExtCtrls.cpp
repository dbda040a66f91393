#include "platform/gui/ExtCtrls.h"

#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/QtText.h"

#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QWidget>
#include <algorithm>
#include <qdrawutil.h>

// ---------------------------------------------------------------------------
// Panel

TPanel::TPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  FColor = clBtnFace;
  FClickOnMouseUp = true;
  TabStop = false;
  Widget()->setFocusPolicy(Qt::NoFocus);
  SetBounds(0, 0, 185, 41);
}

void TPanel::SetText(const String& value) {
  FText = value;
  Invalidate();
}
void TPanel::SetBevelOuter(TBevelCut value) {
  FBevelOuter = value;
  AlignControls();
  Invalidate();
}
void TPanel::SetBevelInner(TBevelCut value) {
  FBevelInner = value;
  AlignControls();
  Invalidate();
}
void TPanel::SetBevelWidth(int value) {
  FBevelWidth = std::max(1, value);
  AlignControls();
  Invalidate();
}
void TPanel::SetAlignment(TAlignment value) {
  FAlignment = value;
  Invalidate();
}
void TPanel::SetBorderStyle(TBorderStyle value) {
  FBorderStyle = value;
  AlignControls();
  Invalidate();
}

TRect TPanel::AlignRect() const {
  TRect r = GetClientRect();
  int inset = (FBorderStyle == bsSingle ? 1 : 0) + (FBevelOuter != bvNone ? FBevelWidth : 0) +
              (FBevelInner != bvNone ? FBevelWidth : 0);
  InflateRect(r, -inset, -inset);
  return r;
}

void TPanel::Paint() {
  QPainter* p = Canvas()->Handle();
  QWidget* w = Widget();
  if (!p || !w) return;
  QRect r = w->rect();
  p->fillRect(r, QColorOf(FColor == clDefault ? clBtnFace : FColor));
  const QPalette& pal = w->palette();
  if (FBorderStyle == bsSingle) {
    p->setPen(QColorOf(clWindowFrame));
    p->drawRect(r.adjusted(0, 0, -1, -1));
    r.adjust(1, 1, -1, -1);
  }
  for (TBevelCut cut : {FBevelOuter, FBevelInner}) {
    if (cut == bvNone) continue;
    if (cut != bvSpace) qDrawShadePanel(p, r, pal, cut == bvLowered, FBevelWidth);
    r.adjust(FBevelWidth, FBevelWidth, -FBevelWidth, -FBevelWidth);
  }
  if (ShowCaption && !FText.empty()) {
    Qt::Alignment a = Qt::AlignVCenter | (FAlignment == taCenter         ? Qt::AlignHCenter
                                          : FAlignment == taRightJustify ? Qt::AlignRight
                                                                         : Qt::AlignLeft);
    p->setFont(w->font());
    p->setPen(pal.color(QPalette::WindowText));
    p->drawText(r.adjusted(2, 0, -2, 0), static_cast<int>(a) | (ShowAccelChar ? Qt::TextShowMnemonic : 0),
                ToQ(FText));
  }
  if (OnPaint) OnPaint(this);
}

// ---------------------------------------------------------------------------
// Splitter

TSplitter::TSplitter(TComponent* AOwner) : TCustomControl(AOwner) {
  TabStop = false;
  FClickOnMouseUp = false;
  Widget()->setFocusPolicy(Qt::NoFocus);
  SetBounds(0, 0, 3, 100);
  FAlign = alLeft;
  SetCursor(crHSplit);
}

void TSplitter::Paint() {
  if (QPainter* p = Canvas()->Handle()) p->fillRect(Widget()->rect(), QColorOf(clBtnFace));
}

TControl* TSplitter::FindControl() const {
  TWinControl* parent = GetParent();
  if (!parent) return nullptr;
  // The control aligned the same way whose edge touches ours.
  for (int i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (c == this || !c->GetVisible() || c->GetAlign() != FAlign) continue;
    switch (FAlign) {
      case alLeft:
        if (c->GetLeft() + c->GetWidth() == GetLeft()) return c;
        break;
      case alRight:
        if (c->GetLeft() == GetLeft() + GetWidth()) return c;
        break;
      case alTop:
        if (c->GetTop() + c->GetHeight() == GetTop()) return c;
        break;
      case alBottom:
        if (c->GetTop() == GetTop() + GetHeight()) return c;
        break;
      default: break;
    }
  }
  return nullptr;
}

void TSplitter::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  FControl = FindControl();
  if (!FControl) return;
  FDragging = true;
  FStart = ClientToScreen({X, Y});
  FStartSize = (FAlign == alLeft || FAlign == alRight) ? FControl->GetWidth() : FControl->GetHeight();
}

void TSplitter::MouseMove(TShiftState Shift, int X, int Y) {
  TCustomControl::MouseMove(Shift, X, Y);
  if (!FDragging || !FControl) return;
  TPoint now = ClientToScreen({X, Y});
  int delta = 0;
  switch (FAlign) {
    case alLeft: delta = now.X - FStart.X; break;
    case alRight: delta = FStart.X - now.X; break;
    case alTop: delta = now.Y - FStart.Y; break;
    case alBottom: delta = FStart.Y - now.Y; break;
    default: break;
  }
  int size = std::max(MinSize, FStartSize + delta);
  if (FAlign == alLeft || FAlign == alRight)
    FControl->SetWidth(size);
  else
    FControl->SetHeight(size);
  if (GetParent()) GetParent()->AlignControls();
}

void TSplitter::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseUp(Button, Shift, X, Y);
  if (!FDragging) return;
  FDragging = false;
  FControl = nullptr;
  if (OnMoved) OnMoved(this);
}

// ---------------------------------------------------------------------------

TPaintBox::TPaintBox(TComponent* AOwner) : TCustomControl(AOwner) {
  TabStop = false;
  Widget()->setFocusPolicy(Qt::NoFocus);
  SetBounds(0, 0, 105, 105);
}

TImage::TImage(TComponent* AOwner) : TCustomControl(AOwner), FPicture(std::make_unique<TPicture>()) {
  TabStop = false;
  Widget()->setFocusPolicy(Qt::NoFocus);
  FPicture->OnChange = [this](TObject*) { Invalidate(); };
  SetBounds(0, 0, 105, 105);
}

TImage::~TImage() { FPicture->OnChange = nullptr; }

void TImage::SetStretch(bool value) {
  FStretch = value;
  Invalidate();
}
void TImage::SetCenter(bool value) {
  FCenter = value;
  Invalidate();
}
void TImage::SetProportional(bool value) {
  FProportional = value;
  Invalidate();
}

TRect TImage::DestRect() const {
  int pw = FPicture->GetWidth(), ph = FPicture->GetHeight();
  int cw = ClientWidth(), ch = ClientHeight();
  int w = pw, h = ph;
  if (pw > 0 && ph > 0 && (FStretch || (FProportional && (pw > cw || ph > ch)))) {
    if (FProportional) {
      // Largest size of the picture's shape that fits.
      if (static_cast<int64_t>(cw) * ph > static_cast<int64_t>(ch) * pw) {
        h = ch;
        w = static_cast<int>(static_cast<int64_t>(pw) * ch / ph);
      } else {
        w = cw;
        h = static_cast<int>(static_cast<int64_t>(ph) * cw / pw);
      }
    } else {
      w = cw;
      h = ch;
    }
  }
  int x = 0, y = 0;
  if (FCenter) {
    x = (cw - w) / 2;
    y = (ch - h) / 2;
  }
  return Bounds(x, y, w, h);
}

void TImage::Paint() {
  if (OnPaint) OnPaint(this);
  TGraphic* g = FPicture->GetGraphic();
  if (!g || g->GetEmpty()) return;
  TRect r = DestRect();
  if (r.Width() == g->GetWidth() && r.Height() == g->GetHeight())
    Canvas()->Draw(r.Left, r.Top, g);
  else
    Canvas()->StretchDraw(r, g);
}

// ---------------------------------------------------------------------------

TScrollBox::TScrollBox(TComponent* AOwner) : TWinControl(AOwner) {
  auto* area = new QScrollArea();
  area->setWidgetResizable(false);
  FSurface = new QWidget();
  area->setWidget(FSurface);
  SetWidget(area);
  SetBounds(0, 0, 185, 41);
}

QWidget* TScrollBox::ClientWidget() const { return FSurface; }

TRect TScrollBox::GetClientRect() const {
  auto* area = static_cast<QScrollArea*>(Widget());
  if (!area) return {};
  QSize s = area->viewport()->size();
  return Rect(0, 0, s.width(), s.height());
}

void TScrollBox::AlignControls() {
  TWinControl::AlignControls();
  auto* area = static_cast<QScrollArea*>(Widget());
  if (!area) return;
  // The surface holds every child and is at least the visible area.
  int w = area->viewport()->width(), h = area->viewport()->height();
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!c->GetVisible() || c->GetAlign() != alNone) continue;
    w = std::max(w, c->GetLeft() + c->GetWidth());
    h = std::max(h, c->GetTop() + c->GetHeight());
  }
  FSurface->resize(w, h);
}

void TScrollBox::ScrollInView(TControl* control) {
  auto* area = static_cast<QScrollArea*>(Widget());
  if (area && control && WidgetOf(control)) area->ensureWidgetVisible(WidgetOf(control));
}

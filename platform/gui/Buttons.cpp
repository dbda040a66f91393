#include "platform/gui/Buttons.h"

#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/QtText.h"

#include <QBitmap>
#include <QPixmap>
#include <QToolButton>

namespace {
QToolButton* Tool(const TSpeedButton* b) { return static_cast<QToolButton*>(WidgetOf(b)); }
}  // namespace

TSpeedButton::TSpeedButton(TComponent* AOwner) : TWinControl(AOwner), FGlyph(std::make_unique<TBitmap>()) {
  auto* w = new QToolButton();
  w->setFocusPolicy(Qt::NoFocus);
  w->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  w->setCheckable(true);
  SetWidget(w);
  TabStop = false;
  FClickOnMouseUp = false;
  QObject::connect(w, &QToolButton::clicked, w, [this] { GuardedCall([this] { Click(); }); });
  SetBounds(0, 0, 23, 22);
  ApplyState();
}

TSpeedButton::~TSpeedButton() = default;

String TSpeedButton::GetText() const { return FText; }

void TSpeedButton::SetText(const String& value) {
  FText = value;
  if (QToolButton* w = Tool(this)) {
    w->setText(ToQ(value));
    w->setToolButtonStyle(FGlyph->GetEmpty() ? Qt::ToolButtonTextOnly
                                          : (value.empty() ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextBesideIcon));
  }
}

void TSpeedButton::ApplyState() {
  QToolButton* w = Tool(this);
  if (!w) return;
  w->setAutoRaise(FFlat);
  w->setChecked(FDown);
}

void TSpeedButton::ReleaseOthers() {
  if (FGroupIndex == 0 || !FParent) return;
  for (int i = 0; i < FParent->ControlCount(); ++i)
    if (auto* other = dynamic_cast<TSpeedButton*>(FParent->Controls(i));
        other && other != this && other->FGroupIndex == FGroupIndex && other->FDown) {
      other->FDown = false;
      other->ApplyState();
    }
}

void TSpeedButton::SetDown(bool value) {
  // A button outside a group cannot stay down.
  if (FGroupIndex == 0) value = false;
  if (value == FDown) {
    ApplyState();
    return;
  }
  FDown = value;
  if (FDown) ReleaseOthers();
  ApplyState();
}

void TSpeedButton::SetFlat(bool value) {
  FFlat = value;
  ApplyState();
}

void TSpeedButton::SetGroupIndex(int value) {
  FGroupIndex = value;
  if (FGroupIndex == 0) FDown = false;
  ApplyState();
}

void TSpeedButton::SetAllowAllUp(bool value) {
  FAllowAllUp = value;
  // The group takes the setting as one.
  if (FGroupIndex == 0 || !FParent) return;
  for (int i = 0; i < FParent->ControlCount(); ++i)
    if (auto* other = dynamic_cast<TSpeedButton*>(FParent->Controls(i));
        other && other->FGroupIndex == FGroupIndex)
      other->FAllowAllUp = value;
}

void TSpeedButton::SetTakesFocus(bool value) {
  FTakesFocus = value;
  TabStop = value;
  if (QToolButton* w = Tool(this)) w->setFocusPolicy(value ? Qt::StrongFocus : Qt::NoFocus);
}

TBitmap& TSpeedButton::Glyph() { return *FGlyph; }

void TSpeedButton::GlyphChanged() {
  QToolButton* w = Tool(this);
  if (!w) return;
  if (FGlyph->GetEmpty()) {
    w->setIcon(QIcon());
  } else {
    const QImage& img = FGlyph->Image();
    QPixmap pm = QPixmap::fromImage(img);
    // The bottom-left pixel's colour is the transparent one.
    QRgb key = img.pixel(0, img.height() - 1);
    pm.setMask(QBitmap::fromImage(img.createMaskFromColor(key, Qt::MaskInColor)));
    w->setIcon(QIcon(pm));
    w->setIconSize(pm.size());
  }
  SetText(FText);
}

void TSpeedButton::Click() {
  if (FGroupIndex != 0) {
    if (!FDown)
      SetDown(true);
    else if (FAllowAllUp)
      SetDown(false);
  }
  ApplyState();  // the toolkit flipped its own state on the click
  if (OnClick) OnClick(this);
}

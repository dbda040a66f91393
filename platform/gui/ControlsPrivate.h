#pragma once
// Internals shared by the control units (not for other libraries).
#include "platform/gui/Controls.h"
#include "platform/gui/GuiPrivate.h"

#include <QCursor>
#include <QWidget>

class QKeyEvent;
// The widgets behind a control, for the GUI layer's own units (null-safe).
QWidget* WidgetOf(const TControl* control);
QWidget* ClientWidgetOf(const TWinControl* control);
// Where the client area starts inside a control's widget.
TPoint ClientOriginOf(const TControl* control);
// A form's top-level window (or an MDI child's sub-window).
QWidget* WindowWidgetOf(const TCustomForm* form);
// The virtual key of a toolkit key event (the keypad told apart).
Word VirtualKeyOfEvent(const QKeyEvent* ke);
TShiftState ShiftFromQt(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons);
// The cursor for an id: the standard shapes, or the program's own cursors.
QCursor CursorOf(TCursor cursor);
// Num Lock / Caps Lock toggle state where the platform tells it.
bool LockKeyToggled(int virtualKey);

// The widget of a control that paints itself: forwards painting, the input
// method and the Tab decision to its control.
class TPaintHostWidget : public QWidget {
public:
  TPaintHostWidget(TCustomControl* control, QWidget* parent = nullptr);
  TCustomControl* Control() const { return FControl; }

protected:
  void paintEvent(QPaintEvent* e) override;
  void inputMethodEvent(QInputMethodEvent* e) override;
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
  bool focusNextPrevChild(bool next) override;
  void childEvent(QChildEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

private:
  TCustomControl* FControl;
};

// Passes mouse events of a child widget (a list's viewport) to its control.
class TChildEventForwarder : public QObject {
public:
  TChildEventForwarder(TControl* control, QWidget* child);
  bool eventFilter(QObject* watched, QEvent* e) override;

private:
  TControl* FControl;
};

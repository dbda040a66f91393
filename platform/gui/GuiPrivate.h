#pragma once
// Shared internals of the GUI layer's units (not for other libraries).
#include "platform/gui/Messages.h"

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <memory>

class QColor;
class QLocale;

// Colours at the Qt boundary: system colours resolve through ColorToRGB.
QColor QColorOf(TColor color);
TColor FromQColor(const QColor& color);

// The font charset of a locale's language (LanguageCharset, SysLocale.h).
Byte CharsetOfLocale(const QLocale& locale);

// The event that carries a posted message.
class TPostedMessageEvent : public QEvent {
public:
  static QEvent::Type EventType();
  TPostedMessageEvent(TMessage msg, std::unique_ptr<TObject> data)
      : QEvent(EventType()), Msg(msg), Data(std::move(data)) {}
  TMessage Msg;
  std::unique_ptr<TObject> Data;
};

// Runs a handler of the control (an event or a message delivered to it),
// which is inside it meanwhile (TControl::InHandler); exceptions go to the
// dispatch sink. The toolkit's calls into a control pass here.
void RunControlHandler(TControl* control, const std::function<void()>& handler);
// Hands an event of the control's widget (or of a child whose events are
// the control's) to the control through RunControlHandler; true = consumed.
bool DeliverControlEvent(TControl* control, QEvent* e);

// The object a control's posted messages are queued on; it dies with the
// control, and Qt then frees whatever is still queued for it.
class TMessageReceiver : public QObject {
public:
  explicit TMessageReceiver(TControl* control) : FControl(control) {}
  bool event(QEvent* e) override;

private:
  TControl* FControl;
};

// Where the focus was before a modal box: it goes back there once the box is
// gone, so the commands that follow the focused editor stay live without a
// click.
class TFocusBack {
public:
  TFocusBack();
  ~TFocusBack();
  TFocusBack(const TFocusBack&) = delete;
  TFocusBack& operator=(const TFocusBack&) = delete;

private:
  QPointer<QWidget> FFocus;
};

// The window a click came from while its handler runs: a question the
// handler asks belongs to that window and comes up in front of it, also
// where the window does not take the keyboard (a progress window) and so
// is not the active one.
class TAskingWindow {
public:
  explicit TAskingWindow(QWidget* from);
  ~TAskingWindow();
  TAskingWindow(const TAskingWindow&) = delete;
  TAskingWindow& operator=(const TAskingWindow&) = delete;
  // The innermost such window still shown (nullptr: none).
  static QWidget* Current();

private:
  QPointer<QWidget> FPrevious;
};

// The keyboard back to a widget that had it before another window took it:
// its window activated, the widget focused (nothing when it is gone or
// hidden).
void GiveFocusBack(QWidget* focus);

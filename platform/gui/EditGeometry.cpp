#include "platform/gui/EditGeometry.h"

#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/StdCtrls.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTextBlock>
#include <QTextCursor>

#include <algorithm>

namespace {
QPlainTextEdit* Memo(const TCustomEdit* e) { return qobject_cast<QPlainTextEdit*>(WidgetOf(e)); }
QLineEdit* Line(const TCustomEdit* e) { return qobject_cast<QLineEdit*>(WidgetOf(e)); }

TRect FromQ(const QRect& r) { return TRect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height()); }

// The caret rectangle at Index in the widget's coordinates.
QRect CaretAt(const TCustomEdit* edit, int index) {
  if (QPlainTextEdit* m = Memo(edit)) {
    QTextCursor c(m->document());
    c.setPosition(std::clamp(index, 0, std::max(0, m->document()->characterCount() - 1)));
    return m->cursorRect(c).translated(m->viewport()->pos());
  }
  if (QLineEdit* l = Line(edit)) {
    // The line edit tells its caret's place only where the caret is: it is
    // moved there and back, with the selection kept.
    const QSignalBlocker block(l);
    const int start = l->selectionStart(), length = l->selectedText().size(), caret = l->cursorPosition();
    l->setCursorPosition(std::clamp(index, 0, static_cast<int>(l->text().size())));
    const QRect r = l->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    if (start >= 0 && length > 0) {
      if (caret == start) l->setSelection(start + length, -length);
      else l->setSelection(start, length);
    } else {
      l->setCursorPosition(caret);
    }
    return r;
  }
  return QRect();
}
}  // namespace

bool EditIsMultiLine(const TCustomEdit* edit) { return Memo(edit) != nullptr; }

TRect EditCharRect(const TCustomEdit* edit, int index) {
  const QRect a = CaretAt(edit, index), b = CaretAt(edit, index + 1);
  if (a.isNull()) return TRect(0, 0, 0, 0);
  const int right = b.top() == a.top() && b.left() > a.left() ? b.left() : a.left();
  const TPoint o = ClientOriginOf(edit);
  return FromQ(QRect(a.left() - o.X, a.top() - o.Y, right - a.left(), a.height()));
}

int EditFirstVisibleLine(const TCustomEdit* edit) {
  QPlainTextEdit* m = Memo(edit);
  return m ? m->cursorForPosition(QPoint(0, 0)).blockNumber() : 0;
}

int EditVisibleLineCount(const TCustomEdit* edit) {
  QPlainTextEdit* m = Memo(edit);
  if (!m) return 1;
  const int h = m->fontMetrics().lineSpacing();
  return h > 0 ? std::max(1, m->viewport()->height() / h) : 1;
}

void EditCenterLine(TCustomEdit* edit, int line) {
  QPlainTextEdit* m = Memo(edit);
  if (!m) return;
  const QSignalBlocker block(m);
  const QTextCursor kept = m->textCursor();
  QScrollBar* bar = m->verticalScrollBar();
  bar->setValue(bar->value() + line - (EditFirstVisibleLine(edit) + EditVisibleLineCount(edit) / 2));
  QTextCursor end = kept, start = kept;
  end.setPosition(kept.selectionEnd());
  start.setPosition(kept.selectionStart());
  m->setTextCursor(end);
  m->ensureCursorVisible();
  m->setTextCursor(start);
  m->ensureCursorVisible();
  m->setTextCursor(kept);
}

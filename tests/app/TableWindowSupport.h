#pragma once
// Tables in the journal window as a test reaches them: the chain of cell
// editors, a table's cells on the screen, and the mouse delivered as the
// toolkit delivers it.
#include "richtext/editor/VellumEdit.h"
#include "richtext/table/VLCellEditor.h"
#include "richtext/table/VLTable.h"
#include "platform/gui/ControlsPrivate.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <vector>

namespace qytest {

// The cell editors open below an editor, outermost first.
inline std::vector<TVLTableInplaceEdit*> CellEditorChain(TCustomVellumEdit* editor) {
  std::vector<TVLTableInplaceEdit*> chain;
  for (TCustomVellumEdit* e = editor; (e = dynamic_cast<TCustomVellumEdit*>(e->GetInplaceEditor()));)
    chain.push_back(static_cast<TVLTableInplaceEdit*>(e));
  return chain;
}

// The first table of the document an editor shows.
inline TVLTableItemInfo* FirstTableIn(TCustomVellumEdit* holder) {
  TVLEditVLData& d = *holder->EditData();
  for (Integer i = 0; i < d.GetItemCount(); ++i)
    if (auto* t = dynamic_cast<TVLTableItemInfo*>(d.GetItem(i))) return t;
  return nullptr;
}

// The middle of a cell (or a point dx pixels into its text) on the screen.
inline QPoint CellPointOnScreen(TCustomVellumEdit* holder, TVLTableItemInfo* t, Integer row, Integer col,
                                Integer dx = -1) {
  TVLEditVLData& d = *holder->EditData();
  const TVLDrawLineInfo* li = d.DrawItems[t->DrawItemNo];
  const TVLTableCellData* cell = t->GetCell(row, col);
  const QPoint local(li->Left - d.GetHOffset() + cell->Left + (dx < 0 ? cell->Width / 2 : t->CellPadding + dx),
                     li->Top - d.GetVOffset() + cell->Top + cell->Height / 2);
  return ClientWidgetOf(holder)->mapToGlobal(local);
}

// The mouse as the window system hands it over: to the window, where the
// toolkit finds the widget under a press and keeps the rest of the click for
// that one (dropping it, that one gone). A press first puts the pointer
// there, for what asks the screen where the mouse is; a drag's moves do not
// (the pointer's own moves would come in between).
enum class TWindowMouseAct { Press, Move, Release, DoubleClick };
inline void WindowMouse(QWidget* top, TWindowMouseAct act, QPoint global, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QWindow* window = top ? top->windowHandle() : nullptr;
  if (!window) return;
  const QPoint at = window->mapFromGlobal(global);
  switch (act) {
    case TWindowMouseAct::Press:
    case TWindowMouseAct::DoubleClick:
      QCursor::setPos(global);
      // On a display the pointer's move arrives as an event: before the press.
      if (QGuiApplication::platformName() != "offscreen") QTest::qWait(50);
      if (act == TWindowMouseAct::Press)
        QTest::mousePress(window, Qt::LeftButton, mods, at);
      else
        QTest::mouseDClick(window, Qt::LeftButton, mods, at);
      break;
    case TWindowMouseAct::Move: QTest::mouseMove(window, at); break;
    case TWindowMouseAct::Release: QTest::mouseRelease(window, Qt::LeftButton, mods, at); break;
  }
}

// WindowMouse for a click's events one at a time (press, moves, release),
// with the pointer where each says, for what asks the screen (the move an
// editor makes up after a scroll or on taking the focus).
class TMouseGrab {
public:
  void Send(QWidget* top, QEvent::Type type, QPoint global, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    if (QGuiApplication::platformName() == "offscreen") QCursor::setPos(global);
    const TWindowMouseAct act = type == QEvent::MouseButtonPress     ? TWindowMouseAct::Press
                                : type == QEvent::MouseButtonRelease ? TWindowMouseAct::Release
                                                                     : TWindowMouseAct::Move;
    WindowMouse(top, act, global, mods);
  }
};

// Clicks and drags on a window seam's main window (screen points), each
// event settled before the next.
template <typename Seam>
struct TMouseOn : Seam {
  bool Mouse(QEvent::Type type, QPoint global, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    Pointer.Send(this->Window(), type, global, mods);
    return this->Settle();
  }
  bool ClickAt(QPoint global, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    return Mouse(QEvent::MouseButtonPress, global, mods) && Mouse(QEvent::MouseButtonRelease, global, mods);
  }
  bool DragBetween(QPoint from, QPoint to) {
    if (!Mouse(QEvent::MouseButtonPress, from)) return false;
    for (int i = 1; i <= 4; ++i)
      if (!Mouse(QEvent::MouseMove, from + (to - from) * i / 4)) return false;
    return Mouse(QEvent::MouseButtonRelease, to);
  }

  TMouseGrab Pointer;
};

// The mouse through a seam's main window as the window system hands it
// over (screen points), each event settled before the next.
template <typename Seam>
struct TWindowMouseOn : Seam {
  using Seam::Seam;
  bool WindowMouse(TWindowMouseAct act, QPoint global) {
    qytest::WindowMouse(this->Window(), act, global);
    return this->Settle();
  }
  bool WindowClick(QPoint global) {
    return WindowMouse(TWindowMouseAct::Press, global) && WindowMouse(TWindowMouseAct::Release, global);
  }
  bool WindowDrag(QPoint from, QPoint to) {
    if (!WindowMouse(TWindowMouseAct::Press, from)) return false;
    for (int i = 1; i <= 4; ++i)
      if (!WindowMouse(TWindowMouseAct::Move, from + (to - from) * i / 4)) return false;
    return WindowMouse(TWindowMouseAct::Release, to);
  }
};

}  // namespace qytest

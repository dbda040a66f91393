#pragma once
// Tables in the journal window as a test reaches them: the chain of cell
// editors, a table's cells on the screen, and the mouse delivered as the
// toolkit delivers it.
#include "richtext/editor/VellumEdit.h"
#include "richtext/table/VLCellEditor.h"
#include "richtext/table/VLTable.h"
#include "platform/gui/ControlsPrivate.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPointer>
#include <QWidget>

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

// The mouse as the toolkit delivers it: to a widget that grabbed it, else
// to the widget of top under the press, which keeps it till the release.
// The pressed widget may go meanwhile (a cell editor closing): the rest of
// the click then finds the widget under the mouse.
class TMouseGrab {
public:
  void Send(QWidget* top, QEvent::Type type, QPoint global, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    if (type == QEvent::MouseButtonPress || !FGrabber) {
      FGrabber = top->childAt(top->mapFromGlobal(global));
      if (!FGrabber) FGrabber = top;
    }
    QWidget* w = QWidget::mouseGrabber() ? QWidget::mouseGrabber() : FGrabber.data();
    QMouseEvent e(type, w->mapFromGlobal(QPointF(global)), QPointF(global), Qt::LeftButton,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, mods);
    QApplication::sendEvent(w, &e);
    if (type == QEvent::MouseButtonRelease) FGrabber = nullptr;
  }

private:
  QPointer<QWidget> FGrabber;
};

}  // namespace qytest

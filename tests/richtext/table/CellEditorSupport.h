#pragma once
// A real editor window holding "Before", a table and "After", driven by
// toolkit mouse and key events as a user would.
#include "platform/base/CodePages.h"
#include "richtext/editor/EditorFixture.h"
#include "richtext/table/VLCellEditor.h"

#include <string>

namespace celltest {

inline std::string DocText(TCustomVLData* doc) {
  std::string s;
  for (Integer i = 0; i < doc->GetItemCount(); ++i) {
    TCustomVLItemInfo* item = doc->GetItem(i);
    if (i > 0 && item->IsParaStart()) s += "|";
    if (item->StyleNo < 0)
      s += "#";
    else if (item->IsUnicode())
      s += WideToUtf8(RawUnicodeToWideString(doc->GetItemTextA(i)));
    else
      s += doc->GetItemTextA(i);
  }
  return s;
}

struct TTableEditor : qytest::TEditor {
  TTableEditor(Integer rows, Integer cols, bool fill = true) {
    VLRegisterTableItem();
    TVLEditVLData& d = D();
    d.Clear();
    d.AddTextItem(U("Before"), 0, 0);
    auto t = TVLTableItemInfo::CreateEx(rows, cols, &d);
    t->CellBorderWidth = 1;
    t->CellPadding = 2;
    if (fill)
      for (Integer r = 0; r < rows; ++r)
        for (Integer c = 0; c < cols; ++c) {
          TVLTableCellData* cell = t->GetCell(r, c);
          cell->Clear();
          cell->AddTextItem(U((std::to_string(r) + std::to_string(c)).c_str()), 0, 0);
        }
    T = t.get();
    d.AddItem("", t.release());
    d.AddTextItem(U("After"), 0, 0);
    Edit->Format();
    QApplication::processEvents();
  }

  static AnsiString U(const char* text) { return WideStringToRawUnicode(Utf8ToWide(text)); }
  Integer TableItemNo() const { return D().GetItemNo(T); }
  // A point of the cell in the editor's client area (dx, dy from its
  // content's top-left corner; -1: its middle).
  QPoint CellPoint(Integer row, Integer col, Integer dx = -1, Integer dy = -1) const {
    const TVLDrawLineInfo* d = D().DrawItems[T->DrawItemNo];
    const TVLTableCellData* cell = T->GetCell(row, col);
    const Integer x = d->Left - D().GetHOffset() + cell->Left + (dx < 0 ? cell->Width / 2 : T->CellPadding + dx);
    const Integer y = d->Top - D().GetVOffset() + cell->Top + (dy < 0 ? cell->Height / 2 : T->CellPadding + dy);
    return QPoint(x, y);
  }
  // The widget that takes the mouse: client coordinates.
  QWidget* Surface() const { return ClientWidgetOf(Edit); }
  void Click(Integer row, Integer col, Qt::KeyboardModifiers mods = Qt::NoModifier, Integer dx = -1) {
    QTest::mouseClick(Surface(), Qt::LeftButton, mods, CellPoint(row, col, dx));
    QApplication::processEvents();
  }
  void ClickAt(QPoint p, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::mouseClick(Surface(), Qt::LeftButton, mods, p);
    QApplication::processEvents();
  }
  // A point given in the table's own coordinates, in the client area.
  TPoint TablePoint(Integer x, Integer y) const {
    const TVLDrawLineInfo* d = D().DrawItems[T->DrawItemNo];
    return TPoint(d->Left - D().GetHOffset() + x, d->Top - D().GetVOffset() + y);
  }
  // The mouse as the control receives it (buttons held in the shift state).
  void Down(TPoint p, TShiftState shift = TShiftState{ssLeft}) { Edit->MouseDown(mbLeft, shift, p.X, p.Y); }
  void Move(TPoint p, TShiftState shift = TShiftState{ssLeft}) { Edit->MouseMove(shift, p.X, p.Y); }
  void Up(TPoint p, TShiftState shift = TShiftState()) {
    Edit->MouseUp(mbLeft, shift, p.X, p.Y);
    QApplication::processEvents();
  }
  TPoint CellCentre(Integer row, Integer col) const {
    const QPoint p = CellPoint(row, col);
    return TPoint(p.x(), p.y());
  }
  TVLTableInplaceEdit* Cell() const { return T->GetInplaceEditor(); }
  QWidget* Target() const { return Cell() ? WidgetOf(Cell()) : W(); }
  // Keys go where the user's keyboard sends them: to the open cell editor.
  void Press(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(Target(), key, mods);
    QApplication::processEvents();
  }
  void Write(const char* text) {
    QTest::keyClicks(Target(), text);
    QApplication::processEvents();
  }
  std::string CellText(Integer row, Integer col) const { return DocText(T->GetCell(row, col)->GetVLData()); }
  TVLTableInplaceEdit* TableEditorAt(Integer row, Integer col) const {
    TVLTableInplaceEdit* e = Cell();
    return e && e->Row == row && e->Col == col ? e : nullptr;
  }

  TVLTableItemInfo* T = nullptr;
};

// A 2 x 2 table in the editor's table's cell (1, 1), its cells "in"; the
// outer table is laid out anew around it.
inline TVLTableItemInfo* NestOne(TTableEditor& e) {
  TVLTableCellData* cell = e.T->GetCell(1, 1);
  auto t = TVLTableItemInfo::CreateEx(2, 2, cell);
  t->CellBorderWidth = 1;
  t->CellPadding = 2;
  for (Integer r = 0; r < 2; ++r)
    for (Integer c = 0; c < 2; ++c) {
      t->GetCell(r, c)->Clear();
      t->GetCell(r, c)->AddTextItem(TTableEditor::U("in"), 0, 0);
    }
  TVLTableItemInfo* placed = t.get();
  cell->AddItem("", t.release());
  e.T->Changed();
  e.T->FormattingInfo.Width = 0;
  e.Edit->Format();
  QApplication::processEvents();
  return placed;
}

}  // namespace celltest

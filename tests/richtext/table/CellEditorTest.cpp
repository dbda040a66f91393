// Editing table cells in place through the keyboard and the mouse of a real
// editor window: typing, moving between cells, leaving the table, undo.
#include "CellEditorSupport.h"

using namespace celltest;

namespace {

// Where the caret ends up: in a cell's editor, or in the document that
// holds the table (item and offset).
struct TWhere {
  Integer Row = -1, Col = -1;
  Integer Item = -1, Offs = -1;
};

TWhere Where(TTableEditor& e) {
  TWhere w;
  if (TVLTableInplaceEdit* c = e.Cell()) {
    w.Row = c->Row;
    w.Col = c->Col;
    w.Item = c->CurItemNo();
    w.Offs = c->OffsetInCurItem();
  } else {
    w.Item = e.Edit->CurItemNo();
    w.Offs = e.Edit->OffsetInCurItem();
  }
  return w;
}

}  // namespace

TEST(CellEditor, ClickOpensTheCellUnderThePointer) {
  TTableEditor e(3, 3);
  for (Integer r = 0; r < 3; ++r)
    for (Integer c = 0; c < 3; ++c) {
      e.Click(r, c);
      ASSERT_NE(e.Cell(), nullptr) << r << "," << c;
      EXPECT_EQ(e.Cell()->Row, r);
      EXPECT_EQ(e.Cell()->Col, c);
      EXPECT_EQ(DocText(e.Cell()->EditData()), e.CellText(r, c));
    }
  // A click outside the table closes the editor and gives the cell its items back.
  e.ClickAt(QPoint(300, 3));
  EXPECT_EQ(e.Cell(), nullptr);
  EXPECT_EQ(e.CellText(2, 2), "22");
}

TEST(CellEditor, TypingTabAndBackspace) {
  struct Case {
    const char* name;
    Integer row, col;
    std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>> keys;
    const char* typed;
    Integer endRow, endCol;
    const char* texts;  // all cells after the keys, in reading order, "," between them
  };
  const Case cases[] = {
      {"typing edits only the cell", 1, 1, {{Qt::Key_End, {}}}, "xy", 1, 1, "00,01,02,10,11xy,12,20,21,22"},
      {"Tab goes to the next cell", 1, 1, {{Qt::Key_Tab, {}}}, "t", 1, 2, "00,01,02,10,11,t12,20,21,22"},
      {"Tab at a row's end goes to the next row", 0, 2, {{Qt::Key_Tab, {}}}, "t", 1, 0,
       "00,01,02,t10,11,12,20,21,22"},
      {"Shift+Tab goes back", 1, 1, {{Qt::Key_Tab, Qt::ShiftModifier}}, "s", 1, 0, "00,01,02,10s,11,12,20,21,22"},
      {"Tab in the last cell stays", 2, 2, {{Qt::Key_End, {}}, {Qt::Key_Tab, {}}}, "z", 2, 2,
       "00,01,02,10,11,12,20,21,22z"},
      {"Shift+Tab in the first cell stays", 0, 0, {{Qt::Key_Tab, Qt::ShiftModifier}}, "a", 0, 0,
       "a00,01,02,10,11,12,20,21,22"},
      {"Backspace at a cell's start stays in the cell", 1, 1, {{Qt::Key_Home, {}}, {Qt::Key_Backspace, {}}}, "b", 1,
       1, "00,01,02,10,b11,12,20,21,22"},
      {"Backspace deletes inside the cell", 1, 1, {{Qt::Key_End, {}}, {Qt::Key_Backspace, {}}}, "", 1, 1,
       "00,01,02,10,1,12,20,21,22"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TTableEditor e(3, 3);
    e.Click(k.row, k.col);
    ASSERT_NE(e.Cell(), nullptr);
    e.Press(Qt::Key_Home);
    for (const auto& [key, mods] : k.keys) e.Press(key, mods);
    e.Write(k.typed);
    ASSERT_NE(e.Cell(), nullptr);
    EXPECT_EQ(e.Cell()->Row, k.endRow);
    EXPECT_EQ(e.Cell()->Col, k.endCol);
    std::string all;
    for (Integer r = 0; r < 3; ++r)
      for (Integer c = 0; c < 3; ++c) all += (all.empty() ? "" : ",") + e.CellText(r, c);
    EXPECT_EQ(all, k.texts);
    // Nothing outside the table changed.
    EXPECT_EQ(DocText(&e.D()), "Before|#|After");
  }
}

TEST(CellEditor, CaretLeavesTheCellInEveryDirection) {
  struct Case {
    const char* name;
    Integer row, col;
    bool atEnd;  // the caret starts at the cell's end (else its start)
    Qt::Key key;
    Qt::KeyboardModifiers mods;
    // Expected: a cell, or a place in the document (row -1): item 0..3 are
    // "Before", the table, "After"; -2 for the document's last offset.
    Integer row2, col2, item, offs;
  };
  const Case cases[] = {
      {"left from the first cell: before the table", 0, 0, false, Qt::Key_Left, {}, -1, -1, 1, 0},
      {"up from the first row: before the table", 0, 1, false, Qt::Key_Up, {}, -1, -1, 1, 0},
      {"right from the last cell: after the table", 2, 2, true, Qt::Key_Right, {}, -1, -1, 1, 1},
      {"down from the last row: after the table", 2, 0, true, Qt::Key_Down, {}, -1, -1, 1, 1},
      {"left into the neighbour, caret at its end", 1, 1, false, Qt::Key_Left, {}, 1, 0, 0, 3},
      {"left from a row's first cell: previous row's last", 1, 0, false, Qt::Key_Left, {}, 0, 2, 0, 3},
      {"right into the neighbour, caret at its start", 1, 1, true, Qt::Key_Right, {}, 1, 2, 0, 1},
      {"up into the row above", 1, 1, false, Qt::Key_Up, {}, 0, 1, 0, 3},
      {"down into the row below", 1, 1, true, Qt::Key_Down, {}, 2, 1, 0, 1},
      {"Ctrl+Home: the document's start", 1, 1, true, Qt::Key_Home, Qt::ControlModifier, -1, -1, 0, 1},
      {"Ctrl+End: the document's end", 1, 1, false, Qt::Key_End, Qt::ControlModifier, -1, -1, 2, 6},
      {"Home stays in the cell", 1, 1, true, Qt::Key_Home, {}, 1, 1, 0, 1},
      {"End stays in the cell", 1, 1, false, Qt::Key_End, {}, 1, 1, 0, 3},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TTableEditor e(3, 3);
    e.Click(k.row, k.col);
    ASSERT_NE(e.Cell(), nullptr);
    e.Press(k.atEnd ? Qt::Key_End : Qt::Key_Home);
    e.Press(k.key, k.mods);
    const TWhere w = Where(e);
    EXPECT_EQ(w.Row, k.row2);
    EXPECT_EQ(w.Col, k.col2);
    EXPECT_EQ(w.Item, k.item);
    EXPECT_EQ(w.Offs, k.offs);
    if (k.row2 < 0) {
      EXPECT_TRUE(e.Edit->Focused());
    }
  }
}

TEST(CellEditor, CaretEntersTheTableFromOutside) {
  struct Case {
    const char* name;
    Integer item, offs;
    Qt::Key key;
    Integer row, col;
  };
  const Case cases[] = {
      {"right from before the table: the first cell", 1, 0, Qt::Key_Right, 0, 0},
      {"left from after the table: the last cell", 1, 1, Qt::Key_Left, 2, 2},
      {"down from the line above: the first row", 0, 1, Qt::Key_Down, 0, 0},
      {"up from the line below: the last row", 2, 1, Qt::Key_Up, 2, 0},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TTableEditor e(3, 3);
    e.Edit->SetCaret(k.item, k.offs);
    e.Press(k.key);
    ASSERT_NE(e.Cell(), nullptr);
    EXPECT_EQ(e.Cell()->Row, k.row);
    EXPECT_EQ(e.Cell()->Col, k.col);
  }
}

TEST(CellEditor, CellChangesAreUndoneStepByStepInTheDocument) {
  TTableEditor e(3, 3);
  e.Edit->ClearUndo();
  e.Click(1, 1);
  e.Press(Qt::Key_End);
  e.Write("ab");
  e.Press(Qt::Key_Return);
  e.Write("c");
  ASSERT_EQ(e.CellText(1, 1), "11ab|c");
  EXPECT_TRUE(e.Edit->Modified);
  // Out of the cell: the document's undo list holds the cell's history.
  e.ClickAt(QPoint(300, 3));
  ASSERT_EQ(e.Cell(), nullptr);
  EXPECT_EQ(e.CellText(1, 1), "11ab|c");
  EXPECT_NE(e.Edit->GetUndoType(), vlutNone);
  // Typing goes back a character a step, as in the document itself.
  const char* steps[] = {"11ab|", "11ab", "11a", "11"};
  for (const char* expected : steps) {
    e.Edit->Undo();
    QApplication::processEvents();
    EXPECT_EQ(e.CellText(1, 1), expected);
  }
  EXPECT_EQ(DocText(&e.D()), "Before|#|After");
  e.Edit->Redo();
  QApplication::processEvents();
  EXPECT_EQ(e.CellText(1, 1), "11a");
  // Undo with the cell's own history empty reaches the document.
  TTableEditor f(2, 2);
  f.Edit->ClearUndo();
  f.Edit->SetCaret(2, 6);
  f.Write("!");
  f.Click(0, 0);
  ASSERT_NE(f.Cell(), nullptr);
  f.Press(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(f.Cell(), nullptr);
  EXPECT_EQ(DocText(&f.D()), "Before|#|After");
}

TEST(CellEditor, ReadOnlyDocumentRefusesCellTyping) {
  TTableEditor e(2, 2);
  e.Edit->SetReadOnly(true);
  e.Click(0, 1);
  ASSERT_NE(e.Cell(), nullptr);
  e.Write("x");
  EXPECT_EQ(e.CellText(0, 1), "01");
  EXPECT_FALSE(e.Edit->Modified);
}

TEST(CellEditor, TableGrowsWithItsCellAndOnlyThen) {
  TTableEditor e(2, 2);
  e.Click(0, 0);
  const Integer before = e.T->GetHeight();
  const Integer formats = e.T->CellFormatCount;
  e.Press(Qt::Key_End);
  // A word no wider than the cell's widest: same height, same narrowest
  // width, and the table is not laid out again.
  e.Write(" 1");
  EXPECT_EQ(e.T->CellFormatCount, formats);
  EXPECT_EQ(e.T->GetHeight(), before);
  e.Press(Qt::Key_Return);
  e.Write("y");
  EXPECT_GT(e.T->GetHeight(), before);
  // Only the rows were measured again: no cell was laid out anew.
  EXPECT_EQ(e.T->CellFormatCount, formats);
  // The editor covers the taller cell.
  const TVLTableCellData* cell = e.T->GetCell(0, 0);
  EXPECT_EQ(e.Cell()->GetHeight(), cell->Height);
  // "After" moved down with the table.
  const TVLDrawLineInfo* t = e.D().DrawItems[e.T->DrawItemNo];
  const Integer after = e.D().Item2FirstDrawItem(2);
  EXPECT_GE(e.D().DrawItems[after]->Top, t->Top + e.T->GetHeight());
}

TEST(CellEditor, TheApplicationMayRefuseACellAndHearsItsEnd) {
  TTableEditor e(2, 2);
  std::vector<std::string> heard;
  e.T->OnCellEditing = [&](TVLTableItemInfo*, Integer r, Integer c, bool, bool& allow) {
    allow = !(r == 0 && c == 1);
    heard.push_back("edit " + std::to_string(r) + std::to_string(c));
  };
  e.T->OnCellEndEdit = [&](TVLTableItemInfo*, Integer r, Integer c, bool clearing) {
    heard.push_back("end " + std::to_string(r) + std::to_string(c) + (clearing ? " clearing" : ""));
  };
  e.Click(0, 1);
  EXPECT_EQ(e.Cell(), nullptr);
  e.Click(1, 0);
  ASSERT_NE(e.Cell(), nullptr);
  e.Write("x");
  e.ClickAt(QPoint(300, 3));
  EXPECT_EQ(e.Cell(), nullptr);
  EXPECT_EQ(e.CellText(1, 0), "10x");  // the click lay right of the text
  const std::vector<std::string> expected = {"edit 01", "edit 10", "end 10"};
  EXPECT_EQ(heard, expected);
}

// A word typed into a cell of a table too narrow for its columns widens its
// column: only that column's cells are laid out again, and the result is
// the layout made from scratch. A second table in the same document is not
// laid out again at all.
TEST(CellEditor, WideningColumnLaysOutOnlyItsCells) {
  TTableEditor e(6, 40);
  auto second = TVLTableItemInfo::CreateEx(3, 40, &e.D());
  TVLTableItemInfo* other = second.get();
  e.D().AddItem("", second.release());
  e.Edit->Format();
  QApplication::processEvents();
  ASSERT_GT(e.T->GetWidth(), e.Edit->ClientWidth());  // every column at its minimum
  e.Click(2, 3);
  ASSERT_NE(e.Cell(), nullptr);
  e.Press(Qt::Key_End);
  const Integer formats = e.T->CellFormatCount, otherFormats = other->CellFormatCount;
  const Integer before = e.T->GetWidth();
  e.Write("widening");
  EXPECT_GT(e.T->GetWidth(), before);
  // Six cells of the column, at most once per key.
  EXPECT_LE(e.T->CellFormatCount - formats, 6 * 8);
  EXPECT_GT(e.T->CellFormatCount - formats, 0);
  EXPECT_EQ(other->CellFormatCount, otherFormats);
  auto places = [](TVLTableItemInfo& t) {
    std::vector<Integer> v{t.GetWidth(), t.GetHeight()};
    for (Integer r = 0; r < t.RowCount(); ++r)
      for (Integer c = 0; c < t.ColCount(); ++c)
        if (TVLTableCellData* cell = t.GetCell(r, c))
          v.insert(v.end(), {cell->Left, cell->Top, cell->Width, cell->Height, cell->DocumentHeight});
    return v;
  };
  const std::vector<Integer> typed = places(*e.T);
  const Integer minWidth = e.T->GetMinWidth(nullptr, nullptr, &e.D());
  e.T->Changed();
  e.D().Format(false, true, false, 0, nullptr, false, false);
  EXPECT_EQ(typed, places(*e.T));
  EXPECT_EQ(minWidth, e.T->GetMinWidth(nullptr, nullptr, &e.D()));
}

// Dialogs are placed beside the selection: while a cell is edited, that is
// the cell editor's selection, not the whole table.
TEST(CellEditor, TheSelectionRectangleIsTheOpenCellsOwn) {
  TTableEditor e(3, 3);
  e.Click(2, 1);
  ASSERT_NE(e.Cell(), nullptr);
  e.Press(Qt::Key_Home);
  e.Press(Qt::Key_End, Qt::ShiftModifier);
  const TRect inner = e.Cell()->GetSelectionRect();
  const TRect outer = e.Edit->GetSelectionRect();
  EXPECT_EQ(outer, inner);
  const TPoint cellTopLeft = e.Cell()->ClientToScreen(TPoint(0, 0));
  EXPECT_GE(outer.Left, cellTopLeft.X);
  EXPECT_GE(outer.Top, cellTopLeft.Y);
  EXPECT_LE(outer.Bottom, cellTopLeft.Y + e.Cell()->GetHeight());
}

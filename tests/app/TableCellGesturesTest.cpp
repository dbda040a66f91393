// The mouse over tables in the journal window, as the toolkit delivers it:
// a border drag while a cell is edited gives back the caret, the selection
// and the cell editors as they were; text dragged into, out of and within
// cells, at any depth, moves (with Ctrl: copies) as in the body text, and
// one Ctrl+Z takes the whole drop back; copies made again and again beside
// a link add no text styles.
#include "TableWindowSupport.h"
#include "WindowSeamSupport.h"

#include "actions/HypVLFrm.h"
#include "app/QYEditor.h"
#include "platform/gui/DragDrop.h"
#include "richtext/table/VLCellEditor.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QScrollBar>
#include <gtest/gtest.h>

#include <string>

namespace {

struct TGestureWindow : qytest::TWindowMouseOn<qytest::TDiaryWindow> {
  bool WindowKey(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(Window()->windowHandle(), key, mods);
    return Settle();
  }
  bool WindowType(const std::string& text) {
    for (const char ch : text)
      if (!WindowKey(static_cast<Qt::Key>(QChar(ch).toUpper().unicode()))) return false;
    return true;
  }

  // The cell editors open, outermost first, and the table a level holds
  // (level 0: the entry's own table).
  std::vector<TVLTableInplaceEdit*> Cells() const { return qytest::CellEditorChain(Edit()); }
  TCustomVellumEdit* Holder(size_t level) const {
    return level == 0 ? static_cast<TCustomVellumEdit*>(Edit()) : Cells()[level - 1];
  }
  TVLTableItemInfo* TableAt(size_t level) const { return qytest::FirstTableIn(Holder(level)); }

  // A point on the first line of the entry's text: dx pixels in, or (-1)
  // past its end.
  QPoint BodyPoint(Integer dx) const {
    TVLEditVLData& d = *Edit()->EditData();
    const TVLDrawLineInfo* first = d.DrawItems[0];
    const Integer x = dx < 0 ? first->Left + first->Width + 2 : first->Left + dx;
    return ClientWidgetOf(Edit())->mapToGlobal(QPoint(x - d.GetHOffset(), first->Top + first->Height / 2 - d.GetVOffset()));
  }
  // A point on the first line of a cell: dx pixels into its text, or (-1)
  // near its right edge, past the text.
  static QPoint CellLinePoint(TCustomVellumEdit* holder, TVLTableItemInfo* t, Integer row, Integer col, Integer dx) {
    TVLEditVLData& d = *holder->EditData();
    const TVLDrawLineInfo* li = d.DrawItems[t->DrawItemNo];
    const TVLTableCellData* cell = t->GetCell(row, col);
    const Integer x = cell->Left + (dx < 0 ? cell->Width - t->CellPadding - 3 : t->CellPadding + dx);
    return ClientWidgetOf(holder)->mapToGlobal(
        QPoint(li->Left - d.GetHOffset() + x, li->Top - d.GetVOffset() + cell->Top + t->CellPadding + 5));
  }

  // The selection pressed at `from` and dragged towards `to`: the drag the
  // program starts is dropped there (with Ctrl: a copy) on the widget that
  // takes drops, as the toolkit hands it over, and the drag keeps the rest
  // of the press (its moves and its release reach no widget). The effect
  // the drop took; -1 when no drag began.
  int DragText(QPoint from, QPoint to, bool ctrl) {
    int effect = -1;
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      effect = DropAt(r.Drag, r.Buttons, to, ctrl);
      return effect;
    });
    if (!WindowMouse(qytest::TWindowMouseAct::Press, from)) return -2;
    for (int i = 1; i <= 4 && effect == -1; ++i)
      if (!WindowMouse(qytest::TWindowMouseAct::Move, from + (to - from) * i / 4)) return -2;
    if (effect == -1) {
      WindowMouse(qytest::TWindowMouseAct::Release, to);
    } else {
      // The button is up when the drop is done: only the toolkit's count of
      // the buttons hears of it.
      QTestPrivate::qtestMouseButtons = Qt::NoButton;
    }
    return effect;
  }

  int DropAt(const QMimeData* data, int allowed, QPoint global, bool ctrl) {
    QWidget* w = Window()->childAt(Window()->mapFromGlobal(global));
    while (w && !w->acceptDrops()) w = w->parentWidget();
    if (!w) return DROPEFFECT_NONE;
    const QPoint p = w->mapFromGlobal(global);
    Qt::DropActions actions;
    if (allowed & DROPEFFECT_COPY) actions |= Qt::CopyAction;
    if (allowed & DROPEFFECT_MOVE) actions |= Qt::MoveAction;
    const Qt::KeyboardModifiers mods = ctrl ? Qt::ControlModifier : Qt::NoModifier;
    QDragEnterEvent enter(p, actions, data, Qt::LeftButton, mods);
    QCoreApplication::sendEvent(w, &enter);
    if (!enter.isAccepted()) return DROPEFFECT_NONE;
    QDragMoveEvent move(p, actions, data, Qt::LeftButton, mods);
    QCoreApplication::sendEvent(w, &move);
    QDropEvent drop(QPointF(p), actions, data, Qt::LeftButton, mods);
    QCoreApplication::sendEvent(w, &drop);
    if (!drop.isAccepted()) return DROPEFFECT_NONE;
    return drop.dropAction() == Qt::MoveAction ? DROPEFFECT_MOVE : DROPEFFECT_COPY;
  }
};

// A cell edited with the caret after "EK" (or "K" selected), one level or
// three deep; a column or a row border of the outermost or the innermost
// table dragged. The sizes change, the same editors come back, and the next
// letter lands where the caret was (or replaces the selection).
TEST(TableCellGestures, ABorderDragGivesTheCaretAndTheCellEditorsBack) {
  struct Case {
    const char* name;
    size_t depth, level;
    bool row, selected;
  };
  const Case cases[] = {
      {"column, one deep", 1, 0, false, false},  {"row, one deep", 1, 0, true, false},
      {"column of the outermost, three deep", 3, 0, false, false},
      {"row of the outermost, three deep", 3, 0, true, false},
      {"column of the innermost, three deep", 3, 2, false, false},
      {"row of the innermost with a selection, three deep", 3, 2, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TGestureWindow w;
    for (size_t i = 0; i < c.depth; ++i) ASSERT_TRUE(w.InsertTable(2, 2));
    ASSERT_TRUE(w.Type("EK"));
    if (c.selected) {
      ASSERT_TRUE(w.Key(Qt::Key_Left, Qt::ShiftModifier));
    }
    ASSERT_EQ(w.Cells().size(), c.depth);
    TVLTableItemInfo* inner = w.TableAt(c.depth - 1);
    TCustomVellumEdit* holder = w.Holder(c.level);
    TVLTableItemInfo* t = w.TableAt(c.level);
    const TVLTableCellData* a = t->GetCell(0, 0);
    const TVLTableCellData* b = c.row ? t->GetCell(1, 0) : t->GetCell(0, 1);
    const Integer size = c.row ? a->Height : a->Width;
    // The middle of the border between the first cell and its neighbour.
    TVLEditVLData& d = *holder->EditData();
    const TVLDrawLineInfo* li = d.DrawItems[t->DrawItemNo];
    const QPoint local = c.row ? QPoint(a->Left + a->Width / 2, (a->Top + a->Height + b->Top) / 2)
                               : QPoint((a->Left + a->Width + b->Left) / 2, a->Top + a->Height / 2);
    const QPoint border = ClientWidgetOf(holder)->mapToGlobal(
        local + QPoint(li->Left - d.GetHOffset(), li->Top - d.GetVOffset()));
    ASSERT_TRUE(w.WindowDrag(border, border + (c.row ? QPoint(0, 24) : QPoint(30, 0))));
    EXPECT_NE(c.row ? t->GetCell(0, 0)->Height : t->GetCell(0, 0)->Width, size) << "the border moved";
    ASSERT_EQ(w.Cells().size(), c.depth) << "the chain of cell editors is back";
    EXPECT_EQ(w.Cells().back()->Cell, inner->GetCell(0, 0));
    ASSERT_TRUE(w.WindowType("x"));
    EXPECT_EQ(qytest::DocumentText(*inner->GetCell(0, 0)->GetVLData()), c.selected ? "Ex" : "EKx") << w.Shown();
  }
}

// Columns (or rows) of a table selected by the Table menu, the table in
// the entry or in a cell; a border of that table dragged, or of the table
// around it grabbed on the edge of the cell being edited (the press reaches
// that cell's editor first): the sizes change, and the same cells stay
// selected, with the cell editors around them.
TEST(TableCellGestures, ABorderDragKeepsTheSelectedCells) {
  struct Case {
    const char* name;
    size_t depth;
    bool row, edge;
  };
  const Case cases[] = {{"columns, one deep", 1, false, false},
                        {"rows, one deep", 1, true, false},
                        {"columns, two deep", 2, false, false},
                        {"rows, two deep", 2, true, false},
                        {"columns, the outer table's border on the edited cell's edge", 2, false, true},
                        {"rows, the outer table's border on the edited cell's edge", 2, true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TGestureWindow w;
    for (size_t i = 0; i < c.depth; ++i) {
      ASSERT_TRUE(w.InsertTable(2, 2));
      // The inner table in the second cell of the row (column) of the outer.
      if (c.edge && i == 0) {
        ASSERT_TRUE(w.Key(c.row ? Qt::Key_Down : Qt::Key_Tab));
      }
    }
    ASSERT_TRUE(w.Type("EK"));
    ASSERT_TRUE(w.Menu(c.row ? "vlActionTableSelectRows" : "vlActionTableSelectCols"));
    TVLTableItemInfo* selected = w.TableAt(c.depth - 1);
    ASSERT_TRUE(selected->CellsSelected());
    ASSERT_EQ(w.Cells().size(), c.depth - 1);
    Integer top, left, cols, rows;
    ASSERT_TRUE(selected->GetNormalizedSelectionBounds(false, top, left, cols, rows));
    const size_t level = c.edge ? 0 : c.depth - 1;
    TCustomVellumEdit* holder = w.Holder(level);
    TVLTableItemInfo* t = w.TableAt(level);
    const TVLTableCellData* a = t->GetCell(0, 0);
    const TVLTableCellData* b = c.row ? t->GetCell(1, 0) : t->GetCell(0, 1);
    const Integer size = c.row ? a->Height : a->Width;
    TVLEditVLData& d = *holder->EditData();
    const TVLDrawLineInfo* li = d.DrawItems[t->DrawItemNo];
    // The middle of the border between the first cell and its neighbour, or
    // the neighbour's first pixel (the edited cell's edge).
    const QPoint local = c.edge  ? (c.row ? QPoint(b->Left + b->Width / 2, b->Top) : QPoint(b->Left, b->Top + b->Height / 2))
                         : c.row ? QPoint(a->Left + a->Width / 2, (a->Top + a->Height + b->Top) / 2)
                                 : QPoint((a->Left + a->Width + b->Left) / 2, a->Top + a->Height / 2);
    const TPoint origin = ClientOriginOf(holder);
    const QPoint border = ClientWidgetOf(holder)->mapToGlobal(
        local + QPoint(li->Left - d.GetHOffset() + origin.X, li->Top - d.GetVOffset() + origin.Y));
    ASSERT_TRUE(w.WindowDrag(border, border + (c.row ? QPoint(0, 24) : QPoint(30, 0))));
    EXPECT_NE(c.row ? t->GetCell(0, 0)->Height : t->GetCell(0, 0)->Width, size) << "the border moved";
    EXPECT_EQ(w.Cells().size(), c.depth - 1);
    ASSERT_TRUE(selected->CellsSelected()) << "the drag let go of the selected cells";
    Integer top2, left2, cols2, rows2;
    ASSERT_TRUE(selected->GetNormalizedSelectionBounds(false, top2, left2, cols2, rows2));
    EXPECT_EQ(std::vector<Integer>({top2, left2, cols2, rows2}), std::vector<Integer>({top, left, cols, rows}));
  }
}

// The caret after "EK" in the second cell of a row: the border before that
// cell is pressed on the cell's first pixel (the cell editor's edge, which
// the table takes for the border) and dragged. The cell editor had the
// press too; the caret stays after "EK" all the same.
TEST(TableCellGestures, ABorderGrabbedOnTheEditedCellsEdgeLeavesItsCaret) {
  for (const bool row : {false, true}) {
    SCOPED_TRACE(row ? "row" : "column");
    TGestureWindow w;
    ASSERT_TRUE(w.InsertTable(2, 2));
    ASSERT_TRUE(w.Key(row ? Qt::Key_Down : Qt::Key_Tab));
    ASSERT_TRUE(w.Type("EK"));
    ASSERT_EQ(w.Cells().size(), 1u);
    TVLTableItemInfo* t = w.TableAt(0);
    TVLTableCellData* edited = row ? t->GetCell(1, 0) : t->GetCell(0, 1);
    ASSERT_EQ(w.Cells()[0]->Cell, edited);
    const Integer size = row ? t->GetCell(0, 0)->Height : t->GetCell(0, 0)->Width;
    TVLEditVLData& d = *w.Edit()->EditData();
    const TVLDrawLineInfo* li = d.DrawItems[t->DrawItemNo];
    const QPoint local = row ? QPoint(edited->Left + edited->Width / 2, edited->Top)
                             : QPoint(edited->Left, edited->Top + edited->Height / 2);
    const TPoint origin = ClientOriginOf(w.Edit());
    const QPoint edge = ClientWidgetOf(w.Edit())->mapToGlobal(
        local + QPoint(li->Left - d.GetHOffset() + origin.X, li->Top - d.GetVOffset() + origin.Y));
    ASSERT_TRUE(w.WindowDrag(edge, edge + (row ? QPoint(0, 20) : QPoint(30, 0))));
    EXPECT_NE(row ? t->GetCell(0, 0)->Height : t->GetCell(0, 0)->Width, size) << "the border moved";
    ASSERT_EQ(w.Cells().size(), 1u);
    ASSERT_TRUE(w.WindowType("x"));
    EXPECT_EQ(qytest::DocumentText(*edited->GetVLData()), "EKx") << w.Shown();
  }
}

// "AB" and "EK" as two paragraphs of the entry or of a cell, a table (2x2)
// before or after them, the caret put at the end of "EK" by a click. A
// border of that table, not edited, is dragged (also past the edited cell):
// the table gets the sizes, the editors and the caret stay where they were
// and the next letter lands there.
TEST(TableCellGestures, ABorderDragOfATableBesideTheCaretLeavesTheCaret) {
  struct Case {
    const char* name;
    size_t depth;
    bool tableFirst, row;
    // The pointer taken past the edited cell into the next one.
    bool far;
    const char* text;
  };
  const Case cases[] = {
      {"column of a table after the caret's line, in a cell", 1, false, false, false, "AB|EKx|[///]"},
      {"row of a table after the caret's line, in a cell", 1, false, true, false, "AB|EKx|[///]"},
      {"column of a table before the lines, in a cell", 1, true, false, false, "[///]|AB|EKx"},
      {"column of a table in a cell, past the cell", 1, false, false, true, "AB|EKx|[///]"},
      {"column of a table in the body", 0, false, false, false, "AB|EKx|[///]"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TGestureWindow w;
    if (c.depth > 0) {
      ASSERT_TRUE(w.InsertTable(2, 2));
    }
    ASSERT_TRUE(w.Type("AB"));
    ASSERT_TRUE(w.Key(Qt::Key_Return));
    ASSERT_TRUE(w.Type("EK"));
    if (c.tableFirst) {
      ASSERT_TRUE(w.Key(Qt::Key_Up));
      ASSERT_TRUE(w.Key(Qt::Key_Home));
    }
    ASSERT_TRUE(w.InsertTable(2, 2));
    ASSERT_EQ(w.Cells().size(), c.depth + 1);
    TCustomVellumEdit* holder = w.Holder(c.depth);
    TVLEditVLData& d = *holder->EditData();
    // A click past the end of "EK" leaves the new table's cell.
    Integer ek = -1;
    for (Integer i = 0; i < d.GetItemCount(); ++i)
      if (d.GetItem(i)->StyleNo >= 0 && WideToUtf8(RawUnicodeToWideString(d.GetItemTextA(i))) == "EK") ek = i;
    ASSERT_GE(ek, 0) << w.Shown();
    const TVLDrawLineInfo* line = d.DrawItems[d.FindDrawItemByItem(ek)];
    const QPoint end = ClientWidgetOf(holder)->mapToGlobal(
        QPoint(line->Left + line->Width + 2 - d.GetHOffset(), line->Top + line->Height / 2 - d.GetVOffset()));
    ASSERT_TRUE(w.WindowMouse(qytest::TWindowMouseAct::Press, end));
    ASSERT_TRUE(w.WindowMouse(qytest::TWindowMouseAct::Release, end));
    ASSERT_EQ(w.Cells().size(), c.depth);
    ASSERT_EQ(d.GetCaretItemNo(), ek);
    TVLTableItemInfo* t = w.TableAt(c.depth);
    const TVLTableCellData* a = t->GetCell(0, 0);
    const TVLTableCellData* b = c.row ? t->GetCell(1, 0) : t->GetCell(0, 1);
    const Integer size = c.row ? a->Height : a->Width;
    const TVLDrawLineInfo* li = d.DrawItems[t->DrawItemNo];
    const QPoint local = c.row ? QPoint(a->Left + a->Width / 2, (a->Top + a->Height + b->Top) / 2)
                               : QPoint((a->Left + a->Width + b->Left) / 2, a->Top + a->Height / 2);
    const QPoint border =
        ClientWidgetOf(holder)->mapToGlobal(local + QPoint(li->Left - d.GetHOffset(), li->Top - d.GetVOffset()));
    const Integer by = c.far ? w.TableAt(0)->GetCell(0, 0)->Width : -20;
    ASSERT_TRUE(w.WindowDrag(border, border + (c.row ? QPoint(0, 24) : QPoint(by, 0))));
    EXPECT_NE(c.row ? t->GetCell(0, 0)->Height : t->GetCell(0, 0)->Width, size) << "the border moved";
    ASSERT_EQ(w.Cells().size(), c.depth);
    EXPECT_EQ(d.GetCaretItemNo(), ek) << "the caret stays on its line";
    ASSERT_TRUE(w.WindowType("x"));
    EXPECT_EQ(qytest::DocumentText(d), c.text) << w.Shown();
  }
}

// Two tables in the body, a cell of one edited with the caret after "EK":
// a border of the other is dragged. The sizes change, the cell editor
// comes back and the next letter lands after "EK". A double click on the
// border is two drags that move it nowhere: no size changes, and the cell
// editor (or the block of cells) is kept just the same.
TEST(TableCellGestures, ABorderDragOfAnotherTableLeavesTheEditedCell) {
  struct Case {
    const char* name;
    bool editFirst, row, outerEdge;
    const char* text;
    // The edited table's columns selected instead (Table > Select Columns):
    // they stay selected.
    bool block = false;
    bool twice = false;
  };
  const Case cases[] = {
      {"column of the table after the edited one", true, false, false, "AB|[EKx///]|[///]"},
      {"row of the table before the edited one", false, true, false, "AB|[///]|[EKx///]"},
      {"outer edge of the table after the edited one", true, false, true, "AB|[EKx///]|[///]"},
      {"column of the table after one with selected columns", true, false, false, nullptr, true},
      {"row of the table before one with selected columns", false, true, false, nullptr, true},
      {"double click on a column of the table after the edited one", true, false, false, "AB|[EKx///]|[///]", false, true},
      {"double click on a row of the table before the edited one", false, true, false, "AB|[///]|[EKx///]", false, true},
      {"double click on a column of the table after one with selected columns", true, false, false, nullptr, true, true},
      {"double click on a row of the table before one with selected columns", false, true, false, nullptr, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TGestureWindow w;
    ASSERT_TRUE(w.Type("AB"));
    ASSERT_TRUE(w.InsertTable(2, 2));
    // Back after "AB": the second table goes in before the first.
    ASSERT_TRUE(w.WindowMouse(qytest::TWindowMouseAct::Press, w.BodyPoint(-1)));
    ASSERT_TRUE(w.WindowMouse(qytest::TWindowMouseAct::Release, w.BodyPoint(-1)));
    ASSERT_TRUE(w.InsertTable(2, 2));
    TVLEditVLData& d = *w.Edit()->EditData();
    std::vector<TVLTableItemInfo*> tables;
    for (Integer i = 0; i < d.GetItemCount(); ++i)
      if (auto* t = dynamic_cast<TVLTableItemInfo*>(d.GetItem(i))) tables.push_back(t);
    ASSERT_EQ(tables.size(), 2u) << w.Shown();
    TVLTableItemInfo* edited = tables[c.editFirst ? 0 : 1];
    TVLTableItemInfo* dragged = tables[c.editFirst ? 1 : 0];
    const QPoint cell = TGestureWindow::CellLinePoint(w.Edit(), edited, 0, 0, 2);
    ASSERT_TRUE(w.WindowMouse(qytest::TWindowMouseAct::Press, cell));
    ASSERT_TRUE(w.WindowMouse(qytest::TWindowMouseAct::Release, cell));
    ASSERT_TRUE(w.Type("EK"));
    ASSERT_EQ(w.Cells().size(), 1u);
    ASSERT_EQ(w.Cells()[0]->Table, edited);
    if (c.block) {
      ASSERT_TRUE(w.Menu("vlActionTableSelectCols"));
      ASSERT_TRUE(edited->CellsSelected());
    }
    const TVLTableCellData* a = dragged->GetCell(0, 0);
    const TVLTableCellData* b = c.row ? dragged->GetCell(1, 0) : dragged->GetCell(0, 1);
    const TVLTableCellData* moved = c.outerEdge ? b : a;
    const Integer size = c.row ? moved->Height : moved->Width;
    const TVLDrawLineInfo* li = d.DrawItems[dragged->DrawItemNo];
    QPoint local = c.row ? QPoint(a->Left + a->Width / 2, (a->Top + a->Height + b->Top) / 2)
                         : QPoint((a->Left + a->Width + b->Left) / 2, a->Top + a->Height / 2);
    if (c.outerEdge)
      local.setX(dragged->FormattingInfo.Width -
                 (dragged->BorderWidth + dragged->BorderHSpacing + dragged->CellBorderWidth) / 2);
    const QPoint border =
        ClientWidgetOf(w.Edit())->mapToGlobal(local + QPoint(li->Left - d.GetHOffset(), li->Top - d.GetVOffset()));
    if (c.twice) {
      ASSERT_TRUE(w.WindowMouse(qytest::TWindowMouseAct::DoubleClick, border));
      EXPECT_EQ(c.row ? moved->Height : moved->Width, size) << "the border stayed";
    } else {
      ASSERT_TRUE(w.WindowDrag(border, border + (c.row ? QPoint(0, 24) : QPoint(-30, 0))));
      EXPECT_NE(c.row ? moved->Height : moved->Width, size) << "the border moved";
    }
    if (c.block) {
      EXPECT_TRUE(edited->CellsSelected()) << "the presses on the border let go of the other table's selected cells";
      EXPECT_TRUE(w.Cells().empty());
      continue;
    }
    ASSERT_EQ(w.Cells().size(), 1u) << "the cell editor is back";
    EXPECT_EQ(w.Cells()[0]->Table, edited);
    ASSERT_TRUE(w.WindowType("x"));
    EXPECT_EQ(w.Shown(), c.text);
  }
}

// "alpha beta" in the body, then a table one or three deep whose innermost
// first cells hold "one two" and "six". A double-clicked word dragged
// within its cell, to the next cell, out to the body, or from the body into
// a cell: it moves there (with Ctrl a copy stays), comes in selected, one
// Ctrl+Z gives the entry back as it was, and a redo does the drop again.
// Undone, a word moved out of a cell takes the caret back with it.
TEST(TableCellGestures, TextDraggedIntoOutOfAndWithinCellsMovesAsInTheBody) {
  enum TWhere { SameCell, OtherCell, CellToBody, BodyToCell };
  struct Case {
    TWhere where;
    size_t depth;
    bool copy;
    const char *body, *first, *second;
  };
  const Case cases[] = {
      {SameCell, 1, false, "alpha beta", " twoone", "six"},
      {SameCell, 3, false, "alpha beta", " twoone", "six"},
      {SameCell, 3, true, "alpha beta", "one twoone", "six"},
      {OtherCell, 1, false, "alpha beta", " two", "sixone"},
      {OtherCell, 3, false, "alpha beta", " two", "sixone"},
      {OtherCell, 1, true, "alpha beta", "one two", "sixone"},
      {CellToBody, 1, false, "alpha betaone", " two", "six"},
      {CellToBody, 3, false, "alpha betaone", " two", "six"},
      {CellToBody, 3, true, "alpha betaone", "one two", "six"},
      {BodyToCell, 1, false, " beta", "one two", "sixalpha"},
      {BodyToCell, 3, false, " beta", "one two", "sixalpha"},
      {BodyToCell, 1, true, "alpha beta", "one two", "sixalpha"},
  };
  const char* names[] = {"within the cell", "to the next cell", "out to the body", "from the body into a cell"};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(names[c.where]) + ", " + std::to_string(c.depth) + " deep" + (c.copy ? ", Ctrl" : ""));
    TGestureWindow w;
    ASSERT_TRUE(w.Type("alpha beta"));
    ASSERT_TRUE(w.Key(Qt::Key_Return));
    for (size_t i = 0; i < c.depth; ++i) ASSERT_TRUE(w.InsertTable(2, 2));
    ASSERT_TRUE(w.Type("one two"));
    ASSERT_TRUE(w.Key(Qt::Key_Tab));
    ASSERT_TRUE(w.Type("six"));
    auto shown = [&](const std::string& body, const std::string& first, const std::string& second) {
      const std::string cells = first + "/" + second + "//]";
      return body + (c.depth == 1 ? "|[" + cells : "|[[[" + cells + "///]///]");
    };
    const std::string before = w.Shown();
    ASSERT_EQ(before, shown("alpha beta", "one two", "six"));
    // Where the words are and where they go, while the cells are laid out.
    TCustomVellumEdit* holder = w.Holder(c.depth - 1);
    TVLTableItemInfo* inner = w.TableAt(c.depth - 1);
    const bool fromBody = c.where == BodyToCell;
    const QPoint word = fromBody ? w.BodyPoint(3) : TGestureWindow::CellLinePoint(holder, inner, 0, 0, 3);
    const QPoint to = c.where == CellToBody  ? w.BodyPoint(-1)
                      : c.where == SameCell ? TGestureWindow::CellLinePoint(holder, inner, 0, 0, -1)
                                            : TGestureWindow::CellLinePoint(holder, inner, 0, 1, -1);
    ASSERT_TRUE(w.WindowMouse(qytest::TWindowMouseAct::DoubleClick, word));
    const std::string dragged = fromBody ? "alpha" : "one";
    ASSERT_EQ(WideToUtf8(w.Innermost()->GetSelTextW()), dragged) << "the double click selects the word";
    EXPECT_EQ(w.DragText(word, to, c.copy), c.copy ? DROPEFFECT_COPY : DROPEFFECT_MOVE);
    const std::string after = shown(c.body, c.first, c.second);
    EXPECT_EQ(w.Shown(), after);
    EXPECT_EQ(WideToUtf8(w.Innermost()->GetSelTextW()), dragged) << "the dropped word comes in selected";
    ASSERT_TRUE(w.WindowKey(Qt::Key_Z, Qt::ControlModifier));
    EXPECT_EQ(w.Shown(), before) << "one Ctrl+Z takes the drop back";
    ASSERT_TRUE(w.WindowKey(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier));
    EXPECT_EQ(w.Shown(), after) << "Ctrl+Shift+Z does it again";
    // A word moved out of its cell and taken back: the caret is back
    // beside it, in the cell, and the next letter goes there.
    if (c.where == CellToBody && !c.copy) {
      ASSERT_TRUE(w.WindowKey(Qt::Key_Z, Qt::ControlModifier));
      ASSERT_TRUE(w.WindowType("x"));
      EXPECT_EQ(w.Shown(), shown("alpha beta", "onex two", "six")) << "the letter after Ctrl+Z";
    }
  }
}

// "alpha beta " and a link in the body, then a table whose first cells hold
// "one two" and "six" (the link's style goes on to the plain one). A word
// copied four times into a cell or out to the body, by the mouse with Ctrl
// held or by Ctrl+C and Ctrl+V: each copy lands, and the entry keeps as many
// text styles as before (the link's style, brought along with the copy,
// equals its own: were it added on each copy, with every copy of it, their
// number would double each time till a copy took for ever).
TEST(TableCellGestures, CopiesBesideALinkAddNoTextStyles) {
  enum TWay { BodyToCell, CellToBody, PasteInCell };
  const char* names[] = {"dragged from the body into a cell", "dragged out of a cell to the body",
                         "Ctrl+C and Ctrl+V in a cell"};
  for (const TWay way : {BodyToCell, CellToBody, PasteInCell}) {
    SCOPED_TRACE(names[way]);
    TGestureWindow w;
    ASSERT_TRUE(w.Type("alpha beta "));
    {
      TInteractionScript script;
      script.Do([](TInteraction& r) {
        auto* f = dynamic_cast<TfrmVLHyp*>(r.Form);
        if (!f) return static_cast<int>(mrCancel);
        f->txtText->SetText("a link");
        f->txtTarget->SetText("https://example.org/");
        f->UpdateOkButton();
        return static_cast<int>(mrOk);
      });
      ASSERT_TRUE(w.Menu("vlActionInsertHyperlink"));
      ASSERT_EQ(script.Pending(), 0u);
    }
    ASSERT_TRUE(w.Key(Qt::Key_Return));
    ASSERT_TRUE(w.InsertTable(2, 2));
    ASSERT_TRUE(w.Type("one two"));
    ASSERT_TRUE(w.Key(Qt::Key_Tab));
    ASSERT_TRUE(w.Type("six"));
    ASSERT_EQ(w.Shown(), "alpha beta a link|[one two/six//]");
    TFontInfos& styles = *w.J->EditorWindow->QuilloryStyle->TextStyles;
    const Integer count = styles.Count();
    bool linked = false;
    for (Integer i = 0; i < count; ++i) linked = linked || (styles.Items(i)->Jump && styles.Items(i)->NextStyleNo >= 0);
    ASSERT_TRUE(linked) << "no link style that goes on to another";
    const std::string word = way == BodyToCell ? "alpha" : "one";
    for (int round = 1; round <= 4; ++round) {
      SCOPED_TRACE("copy " + std::to_string(round));
      TVLTableItemInfo* t = w.TableAt(0);
      const QPoint from = way == BodyToCell ? w.BodyPoint(3) : TGestureWindow::CellLinePoint(w.Edit(), t, 0, 0, 3);
      ASSERT_TRUE(w.WindowMouse(qytest::TWindowMouseAct::DoubleClick, from));
      ASSERT_EQ(WideToUtf8(w.Innermost()->GetSelTextW()), word);
      if (way == PasteInCell) {
        ASSERT_TRUE(w.Key(Qt::Key_C, Qt::ControlModifier));
        ASSERT_TRUE(w.Key(Qt::Key_End));
        ASSERT_TRUE(w.Key(Qt::Key_V, Qt::ControlModifier));
      } else {
        const QPoint to = way == BodyToCell ? TGestureWindow::CellLinePoint(w.Edit(), t, 0, 1, -1) : w.BodyPoint(-1);
        ASSERT_EQ(w.DragText(from, to, true), DROPEFFECT_COPY);
      }
      const std::string shown = w.Shown();
      size_t n = 0;
      for (size_t at = shown.find(word); at != std::string::npos; at = shown.find(word, at + 1)) ++n;
      EXPECT_EQ(n, static_cast<size_t>(1 + round)) << shown;
      EXPECT_EQ(styles.Count(), count) << "the copy added text styles";
    }
  }
}

}  // namespace

// A table one or two deep whose first cell holds "one" and whose cell below
// holds "alpha beta" and lines enough to reach past the bottom of the view.
// With "one" edited (the entry showing the top of the table), a click on the
// visible first word of the tall cell, or a double click on it: the entry
// stays where it is, and the double click selects that word, not one the
// entry scrolled under the mouse between the clicks.
TEST(TableCellGestures, AClickOnACellReachingPastTheViewLeavesTheEntryWhereItIs) {
  struct Case {
    size_t depth;
    qytest::TWindowMouseAct act;
  };
  const Case cases[] = {
      {1, qytest::TWindowMouseAct::Press},
      {1, qytest::TWindowMouseAct::DoubleClick},
      {2, qytest::TWindowMouseAct::Press},
      {2, qytest::TWindowMouseAct::DoubleClick},
  };
  for (const Case& c : cases) {
    const bool twice = c.act == qytest::TWindowMouseAct::DoubleClick;
    SCOPED_TRACE(std::to_string(c.depth) + " deep" + (twice ? ", double click" : ", click"));
    TGestureWindow w;
    // Lines above: the table starts below the top of the view.
    for (int i = 0; i < 6; ++i) {
      ASSERT_TRUE(w.Type("above"));
      ASSERT_TRUE(w.Key(Qt::Key_Return));
    }
    for (size_t i = 0; i < c.depth; ++i) ASSERT_TRUE(w.InsertTable(2, 1));
    ASSERT_TRUE(w.Key(Qt::Key_Tab));
    ASSERT_TRUE(w.Type("alpha beta"));
    for (int i = 0; i < 40; ++i) {
      ASSERT_TRUE(w.Key(Qt::Key_Return));
      ASSERT_TRUE(w.Type("gamma"));
    }
    ASSERT_TRUE(w.Key(Qt::Key_Tab, Qt::ShiftModifier));
    ASSERT_TRUE(w.Type("one"));
    ASSERT_EQ(w.Cells().size(), c.depth);
    // The entry scrolled back to its top by its scroll bar.
    QScrollBar* bar = nullptr;
    for (QScrollBar* b : ClientWidgetOf(w.Edit())->parentWidget()->findChildren<QScrollBar*>())
      if (b->orientation() == Qt::Vertical && b->isVisible()) bar = b;
    ASSERT_NE(bar, nullptr);
    bar->triggerAction(QAbstractSlider::SliderToMinimum);
    ASSERT_TRUE(w.Settle());
    TCustomVellumEdit* holder = w.Holder(c.depth - 1);
    TVLTableItemInfo* inner = w.TableAt(c.depth - 1);
    TVLEditVLData& root = *w.Edit()->EditData();
    const TVLTableCellData* tall = inner->GetCell(1, 0);
    // The tall cell's first line is on the screen, its end below it.
    const QPoint word = TGestureWindow::CellLinePoint(holder, inner, 1, 0, 3);
    const QRect view(ClientWidgetOf(w.Edit())->mapToGlobal(QPoint(0, 0)), ClientWidgetOf(w.Edit())->size());
    ASSERT_TRUE(view.contains(word));
    ASSERT_GT(tall->Height, view.height());
    const Integer top = root.GetVOffset();
    ASSERT_TRUE(w.WindowMouse(c.act, word));
    if (!twice) {
      ASSERT_TRUE(w.WindowMouse(qytest::TWindowMouseAct::Release, word));
    }
    EXPECT_EQ(root.GetVOffset(), top) << "the entry scrolled";
    ASSERT_EQ(w.Cells().size(), c.depth);
    EXPECT_EQ(w.Cells().back()->Cell, tall);
    EXPECT_EQ(WideToUtf8(w.Innermost()->GetSelTextW()), twice ? "alpha" : "");
  }
}

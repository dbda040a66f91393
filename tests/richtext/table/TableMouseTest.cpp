// The mouse over a table in an editor: blocks, rows and columns of cells
// selected, their cursors, and borders dragged to new column widths and
// row heights as one undo step.
#include "CellEditorSupport.h"

using namespace celltest;

namespace {

struct TBlock {
  Integer Top, Left, Cols, Rows;
  bool operator==(const TBlock&) const = default;
};

std::ostream& operator<<(std::ostream& os, const TBlock& b) {
  return os << "top " << b.Top << " left " << b.Left << " cols " << b.Cols << " rows " << b.Rows;
}

TBlock Selected(TVLTableItemInfo& t) {
  TBlock b{-1, -1, 0, 0};
  if (!t.CellsSelected() || !t.GetNormalizedSelectionBounds(false, b.Top, b.Left, b.Cols, b.Rows)) return {-1, -1, 0, 0};
  return b;
}

constexpr TCursor crSelectRow = 104, crSelectCol = 105;

}  // namespace

TEST(TableMouse, ShiftClickAndDragSelectBlocks) {
  struct Case {
    const char* name;
    Integer fromRow, fromCol, toRow, toCol;
    bool drag;  // button held from the first cell to the second (else a Shift+click)
    TBlock expected;
  };
  const Case cases[] = {
      {"Shift+click down and right", 0, 0, 1, 2, false, {0, 0, 3, 2}},
      {"Shift+click up and left", 2, 2, 0, 1, false, {0, 1, 2, 3}},
      {"Shift+click in one column", 0, 1, 2, 1, false, {0, 1, 1, 3}},
      {"drag over cells", 0, 0, 1, 1, true, {0, 0, 2, 2}},
      {"drag backwards", 2, 1, 1, 0, true, {1, 0, 2, 2}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TTableEditor e(3, 3);
    if (k.drag) {
      e.Down(e.CellCentre(k.fromRow, k.fromCol));
      e.Move(e.CellCentre(k.toRow, k.toCol));
      e.Up(e.CellCentre(k.toRow, k.toCol));
    } else {
      e.Click(k.fromRow, k.fromCol);
      e.Click(k.toRow, k.toCol, Qt::ShiftModifier);
    }
    EXPECT_EQ(Selected(*e.T), k.expected);
    // A block of cells replaces the cell editor; its cells are marked.
    EXPECT_EQ(e.Cell(), nullptr);
    for (Integer r = 0; r < 3; ++r)
      for (Integer c = 0; c < 3; ++c)
        EXPECT_EQ(e.T->GetCell(r, c)->Selected, r >= k.expected.Top && r < k.expected.Top + k.expected.Rows &&
                                                    c >= k.expected.Left && c < k.expected.Left + k.expected.Cols)
            << r << "," << c;
    EXPECT_EQ(e.CellText(1, 1), "11");
  }
}

TEST(TableMouse, DragBackToTheAnchorAndClickElsewhereClear) {
  TTableEditor e(3, 3);
  e.Down(e.CellCentre(0, 0));
  e.Move(e.CellCentre(1, 1));
  EXPECT_TRUE(e.T->CellsSelected());
  e.Move(e.CellCentre(0, 0));
  EXPECT_FALSE(e.T->CellsSelected());
  e.Up(e.CellCentre(0, 0));
  e.Click(0, 0);
  e.Click(2, 2, Qt::ShiftModifier);
  ASSERT_TRUE(e.T->CellsSelected());
  e.ClickAt(QPoint(300, 3));
  EXPECT_FALSE(e.T->CellsSelected());
  EXPECT_EQ(e.D().ActiveItem, nullptr);
}

TEST(TableMouse, BorderZonesSelectRowsAndColumnsWithTheirCursors) {
  struct Case {
    const char* name;
    bool rowZone;  // the left outer edge (else the top one)
    Integer index;
    bool optionOn;
    TCursor cursor;
    TBlock expected;
  };
  const Case cases[] = {
      {"left edge selects row 1", true, 1, true, crSelectRow, {1, 0, 3, 1}},
      {"left edge selects row 2", true, 2, true, crSelectRow, {2, 0, 3, 1}},
      {"top edge selects column 0", false, 0, true, crSelectCol, {0, 0, 1, 3}},
      {"top edge selects column 2", false, 2, true, crSelectCol, {0, 2, 1, 3}},
      {"no row selection without its option", true, 1, false, crArrow, {-1, -1, 0, 0}},
      {"no column selection without its option", false, 1, false, crArrow, {-1, -1, 0, 0}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TTableEditor e(3, 3);
    if (!k.optionOn) e.T->Options.Exclude(k.rowZone ? vltoRowSelect : vltoColSelect);
    const TVLTableCellData* cell = e.T->GetCell(k.rowZone ? k.index : 0, k.rowZone ? 0 : k.index);
    // The middle of the outer border zone beside the cell.
    const TPoint p = k.rowZone ? e.TablePoint(1, cell->Top + cell->Height / 2)
                               : e.TablePoint(cell->Left + cell->Width / 2, 1);
    e.Move(p, TShiftState());
    EXPECT_EQ(e.Edit->GetCursor(), k.cursor);
    e.Down(p);
    e.Up(p);
    EXPECT_EQ(Selected(*e.T), k.expected);
  }
}

TEST(TableMouse, BorderDragsChangeSizesAsOneUndoStep) {
  struct Case {
    const char* name;
    bool column;
    Integer boundary;  // 1-based: the border after column (row) boundary - 1
    Integer delta;
    bool shift, readOnly;
  };
  const Case cases[] = {
      {"inner column border to the right", true, 1, 40, false, false},
      {"inner column border to the left", true, 2, -30, false, false},
      {"with Shift only the left column is set", true, 1, 40, true, false},
      {"the right outer edge resizes the last column", true, 3, -60, false, false},
      {"row border down", false, 1, 25, false, false},
      {"read-only: nothing changes", true, 1, 40, false, true},
      {"a column border let go where it was pressed: nothing changes", true, 1, 0, false, false},
      {"a row border let go where it was pressed: nothing changes", false, 1, 0, false, false},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TTableEditor e(3, 3);
    e.Edit->ClearUndo();
    e.Edit->SetReadOnly(k.readOnly);
    const TVLTableItemFormattingInfo before = e.T->FormattingInfo;
    const Integer inner = 2 * e.T->CellBorderWidth + (k.column ? e.T->CellHSpacing : e.T->CellVSpacing);
    Integer border;
    if (k.column)
      border = k.boundary < 3 ? before.ColStarts[k.boundary] - inner / 2 : before.Width - 1;
    else
      border = before.RowStarts[k.boundary] - inner / 2;
    const TPoint from = k.column ? e.TablePoint(border, 5) : e.TablePoint(5, border);
    const TPoint to = k.column ? TPoint(from.X + k.delta, from.Y) : TPoint(from.X, from.Y + k.delta);
    const TShiftState shift = k.shift ? TShiftState{ssLeft, ssShift} : TShiftState{ssLeft};
    e.Move(from, TShiftState());
    EXPECT_EQ(e.Edit->GetCursor(), k.column ? crHSplit : crVSplit);
    e.Down(from, shift);
    e.Move(to, shift);
    e.Up(to);
    const TVLTableItemFormattingInfo& after = e.T->FormattingInfo;
    if (k.readOnly || k.delta == 0) {
      EXPECT_EQ(after.ColStarts, before.ColStarts);
      EXPECT_EQ(after.RowStarts, before.RowStarts);
      EXPECT_EQ(e.Edit->GetUndoType(), vlutNone);
      // The columns and rows still follow their text.
      for (Integer r = 0; r < 3; ++r)
        for (Integer c = 0; c < 3; ++c) {
          EXPECT_EQ(e.T->GetCell(r, c)->BestWidth, 0);
          EXPECT_EQ(e.T->GetCell(r, c)->BestHeight, 0);
        }
      continue;
    }
    // The border stands where it was dropped (within the rounding of the
    // spacing around it).
    const Integer j = k.boundary;
    if (k.column && j < 3) {
      EXPECT_NEAR(after.ColStarts[j] - inner / 2, border + k.delta, 1);
      // Without Shift the column on the right keeps its right edge.
      if (!k.shift) {
        EXPECT_EQ(after.ColStarts[j + 1], before.ColStarts[j + 1]);
      } else {
        EXPECT_NE(after.ColStarts[j + 1], before.ColStarts[j + 1]);
      }
    } else if (k.column) {
      // The table keeps the page's width; the last column takes the change.
      EXPECT_NEAR(after.ColWidths[2], before.ColWidths[2] + k.delta, 2);
    } else {
      EXPECT_NEAR(after.RowStarts[j] - inner / 2, border + k.delta, 1);
    }
    EXPECT_TRUE(e.Edit->Modified);
    // One undo puts every size back.
    ASSERT_EQ(e.Edit->GetUndoType(), vlutModifyItem);
    e.Edit->Undo();
    EXPECT_EQ(e.T->FormattingInfo.ColStarts, before.ColStarts);
    EXPECT_EQ(e.T->FormattingInfo.RowStarts, before.RowStarts);
    for (Integer r = 0; r < 3; ++r)
      for (Integer c = 0; c < 3; ++c) {
        EXPECT_EQ(e.T->GetCell(r, c)->BestWidth, 0);
        EXPECT_EQ(e.T->GetCell(r, c)->BestHeight, 0);
      }
    EXPECT_EQ(e.Edit->GetUndoType(), vlutNone);
  }
}

TEST(TableMouse, DraggingAPercentColumnOfAnEmptyTableWithoutPadding) {
  // All cells empty and no padding: the room a percentage is taken of can
  // be nothing; the drag must not divide by it.
  TTableEditor e(2, 2, false);
  e.T->CellPadding = 0;
  e.T->CellBorderWidth = 0;
  e.T->CellHSpacing = 10;
  e.T->BorderHSpacing = 5;
  e.T->BestWidth = 1;  // grows to its minimum: nothing but its structure
  for (Integer r = 0; r < 2; ++r) e.T->GetCell(r, 0)->BestWidth = -50;
  e.T->Changed();
  e.Edit->Format();
  ASSERT_EQ(e.T->FormattingInfo.ColWidths[0], 0);
  const Integer border = e.T->FormattingInfo.ColStarts[1] - e.T->CellHSpacing / 2;
  e.Down(e.TablePoint(border, 3));
  e.Move(e.TablePoint(border + 10, 3));
  e.Up(e.TablePoint(border + 10, 3));
  EXPECT_LE(e.T->GetCell(0, 0)->BestWidth, -1);
}

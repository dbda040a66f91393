// A table as part of its document: Find inside cells shown in the cell
// editor, keys that reach a table, words and controls found inside cells.
#include "CellEditorSupport.h"

#include "platform/gui/ExtCtrls.h"
#include "richtext/view/VLHitTesting.h"

using namespace celltest;

TEST(TableInDocument, FindSelectsMatchesInTheCellEditorCellByCell) {
  TTableEditor e(3, 3);
  e.Edit->SetCaret(0, 1);
  struct Step {
    Integer row, col, start, end;  // the match inside the cell's editor
  };
  // "1" in the cells "00".."22": twice in "11".
  const Step steps[] = {{0, 1, 2, 3}, {1, 0, 1, 2}, {1, 1, 1, 2}, {1, 1, 2, 3}, {1, 2, 1, 2}, {2, 1, 2, 3}};
  for (const Step& s : steps) {
    SCOPED_TRACE(testing::Message() << s.row << "," << s.col << " at " << s.start);
    ASSERT_TRUE(e.Edit->SearchText("1", true, false, false));
    TVLTableInplaceEdit* c = e.Cell();
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->Row, s.row);
    EXPECT_EQ(c->Col, s.col);
    Integer s1, o1, s2, o2;
    c->EditData()->GetSelBounds(true, s1, o1, s2, o2);
    EXPECT_EQ(o1, s.start);
    EXPECT_EQ(o2, s.end);
    EXPECT_EQ(e.CellText(s.row, s.col), std::to_string(s.row) + std::to_string(s.col));
  }
  // Past the last match the search goes on after the table and ends there.
  EXPECT_FALSE(e.Edit->SearchText("1", true, false, false));
  // A word after the table is found from inside a cell too.
  e.Click(0, 0);
  ASSERT_TRUE(e.Edit->SearchText("After", true, true, false));
  EXPECT_EQ(e.Cell(), nullptr);
  Integer s1, o1, s2, o2;
  e.D().GetSelBounds(true, s1, o1, s2, o2);
  EXPECT_EQ(s1, 2);
  EXPECT_EQ(o1, 1);
  EXPECT_EQ(o2, 6);
}

TEST(TableInDocument, KeysDeleteATableOnlyWhenItIsSelectedAndShown) {
  struct Case {
    const char* name;
    Integer item, offs;
    Qt::Key key;
    bool selectedFirst, scrolledAway;
    // After the first key: the table still there, selected; after a second one: gone.
  };
  const Case cases[] = {
      {"Backspace after the table", 1, 1, Qt::Key_Backspace, false, false},
      {"Delete before the table", 1, 0, Qt::Key_Delete, false, false},
      {"Backspace on a selected table scrolled out of view", 1, 0, Qt::Key_Backspace, true, true},
      {"Delete on a selected table scrolled out of view", 1, 0, Qt::Key_Delete, true, true},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TTableEditor e(2, 2);
    if (k.scrolledAway) {
      for (int i = 0; i < 80; ++i) e.D().AddTextItem(TTableEditor::U("line"), 0, 0);
      e.Edit->Format();
    }
    auto tables = [&] {
      int n = 0;
      for (Integer i = 0; i < e.D().GetItemCount(); ++i) n += e.D().GetItemStyle(i) == vlsTable;
      return n;
    };
    if (k.selectedFirst)
      e.Edit->SetSelectionBounds(1, 0, 1, 1);
    else
      e.Edit->SetCaret(k.item, k.offs);
    if (k.scrolledAway) {
      e.Edit->ScrollTo(e.D().DocumentHeight);
      QApplication::processEvents();
      ASSERT_GT(e.D().GetVOffset(), e.D().DrawItems[e.T->DrawItemNo]->Top + e.T->GetHeight());
    }
    e.Press(k.key);
    ASSERT_EQ(tables(), 1);
    Integer s1, o1, s2, o2;
    e.D().GetSelBounds(true, s1, o1, s2, o2);
    EXPECT_EQ(s1, 1);
    EXPECT_EQ(o1, 0);
    EXPECT_EQ(s2, 1);
    EXPECT_EQ(o2, 1);
    // Now on the screen.
    const TVLDrawLineInfo* d = e.D().DrawItems[e.T->DrawItemNo];
    EXPECT_LT(d->Top, e.D().GetVOffset() + e.D().GetHeight());
    EXPECT_GT(d->Top + d->Height, e.D().GetVOffset());
    e.Press(k.key);
    EXPECT_EQ(tables(), 0);
    e.Edit->Undo();
    EXPECT_EQ(tables(), 1);
  }
}

TEST(TableInDocument, WordUnderThePointerInsideACell) {
  TTableEditor e(3, 3);
  e.T->GetCell(1, 2)->Clear();
  e.T->GetCell(1, 2)->AddTextItem(TTableEditor::U("alpha beta"), 0, 0);
  e.T->Changed();
  e.Edit->Format();
  struct Case {
    Integer row, col, dx;
    const char* word;
  };
  const Case cases[] = {{1, 2, 2, "alpha"}, {0, 0, 3, "00"}, {2, 1, 1, "21"}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.word);
    const QPoint p = e.CellPoint(k.row, k.col, k.dx, 3);
    TCustomVLFormattedData* data = nullptr;
    Integer itemNo, styleNo, start;
    WideString word;
    VLGetWordAt(e.D(), e.D().GetCanvas(), p.x(), p.y(), data, itemNo, styleNo, word, start);
    EXPECT_EQ(WideToUtf8(word), k.word);
    EXPECT_EQ(data, e.T->GetCell(k.row, k.col));
    EXPECT_EQ(start, 1);
  }
}

TEST(TableInDocument, ControlsAreLocatedInTheirCells) {
  TTableEditor e(2, 3);
  auto addPanel = [](TCustomVLData* doc) {
    auto* item = new TVLControlItemInfo(doc);
    item->StyleNo = vlsComponent;
    item->ParaNo = -1;
    auto* panel = new TPanel(nullptr);
    panel->SetBounds(0, 0, 20, 10);
    item->Control = panel;
    doc->AddItem("", item);
    return panel;
  };
  TPanel* outer = addPanel(e.T->GetCell(1, 2));
  auto nested = TVLTableItemInfo::CreateEx(1, 2, e.T->GetCell(0, 1));
  TPanel* inner = addPanel(nested->GetCell(0, 1));
  e.T->GetCell(0, 1)->AddItem("", nested.release());
  TPanel stray(nullptr);
  e.Edit->Format();
  struct Case {
    TPanel* control;
    bool found;
    Integer row, col;      // the outer table's cell
    Integer cellOf;        // 0: the outer cell holds it, 1: the nested table's cell (0, 1)
    Integer itemNo;
  };
  const Case cases[] = {{outer, true, 1, 2, 0, 1}, {inner, true, 0, 1, 1, 1}, {&stray, false, -1, -1, 0, -1}};
  for (const Case& k : cases) {
    TCustomVLData* data = nullptr;
    Integer itemNo = -1;
    EXPECT_EQ(e.T->LocateControl(k.control, data, itemNo), k.found);
    EXPECT_EQ(e.T->OwnsControl(k.control), k.found);
    if (!k.found) {
      EXPECT_EQ(data, nullptr);
      continue;
    }
    EXPECT_EQ(e.T->SearchRow(), k.row);
    EXPECT_EQ(e.T->SearchCol(), k.col);
    TVLTableCellData* cell = e.T->GetCell(k.row, k.col);
    if (k.cellOf == 1) cell = dynamic_cast<TVLTableItemInfo*>(cell->GetItem(cell->GetItemCount() - 1))->GetCell(0, 1);
    EXPECT_EQ(data, cell);
    EXPECT_EQ(itemNo, k.itemNo);
  }
}

TEST(TableInDocument, EnteringFromBelowOpensTheCellCoveringTheLastRow) {
  TTableEditor e(3, 3);
  // The last row's first two cells become one.
  e.T->DestroyInplaceEditor(false);
  ASSERT_TRUE(e.T->MergeCells(2, 0, 2, 1));
  e.Edit->Format();
  struct Case {
    Integer from, coord, row, col;
  };
  const Case cases[] = {{1, 0, 2, 2}, {3, 5, 2, 0}, {2, 5, 0, 0}, {0, 0, 0, 0}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.from);
    ASSERT_TRUE(e.T->EnterItem(k.from, k.coord));
    ASSERT_NE(e.Cell(), nullptr);
    EXPECT_EQ(e.Cell()->Row, k.row);
    EXPECT_EQ(e.Cell()->Col, k.col);
  }
  e.T->Options.Exclude(vltoEditing);
  e.T->DestroyInplaceEditor(true);
  EXPECT_FALSE(e.T->EnterItem(0, 0));
  EXPECT_EQ(e.Cell(), nullptr);
}

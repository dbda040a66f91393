// Changes applied to all selected cells of a table in an editor: one undo
// step in the editor's list, undone and redone exactly, also when the
// selection reaches into merged cells and when the change goes through the
// cells' content (paragraph and text styles).
#include "TableDump.h"
#include "TableTestSupport.h"

#include "richtext/editor/EditorFixture.h"
#include "richtext/table/VLCellEditor.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

AnsiString U(const char* text) { return WideStringToRawUnicode(Utf8ToWide(text)); }

// "before", a 3x3 table "a".."i" whose (1,1) spans two rows and columns
// (holding e f h i), "after"; cells (0,0) and (2,0) centred (paragraph
// style 1).
struct MultiCell : ::testing::Test {
  MultiCell() {
    VLRegisterTableItem();
    while (E.Style.ParaStyles->Count() < 2) E.Style.ParaStyles->Add();
    E.Style.ParaStyles->Items(1)->Alignment = vlaCenter;
    TVLEditVLData& d = E.D();
    d.Clear();
    d.AddTextItem(U("before"), 0, 0);
    auto t = TVLTableItemInfo::CreateEx(3, 3, &d);
    for (Integer r = 0; r < 3; ++r)
      for (Integer c = 0; c < 3; ++c) {
        TVLTableCellData* cell = t->GetCell(r, c);
        cell->Clear();
        const char text[] = {static_cast<char>('a' + r * 3 + c), 0};
        cell->AddTextItem(U(text), 0, (r == 0 || r == 2) && c == 0 ? 1 : 0);
      }
    EXPECT_TRUE(t->Rows.MergeCells(1, 1, 2, 2, true));
    T = t.get();
    d.AddItem("", t.release());
    d.AddTextItem(U("after"), 0, 0);
    E.Edit->Format();
  }
  Integer Steps() { return E.D().UndoList->Count(); }
  std::string State() { return tabletest::Dump(*T) + E.Text(); }
  qytest::TEditor E;
  TVLTableItemInfo* T;
};

TEST_F(MultiCell, AttributeChangesOnSelectedCellsAreOneStepRestoredExactly) {
  using Op = std::function<void(TVLTableItemInfo&)>;
  struct Case {
    const char* name;
    Op op;
    // The cells that must have changed, as "row,col " pairs.
    const char* touched;
  } cases[] = {
      {"colour", [](auto& t) { t.SetSelectedCellsColor(0x00FFFF); }, "0,1 0,2 1,1 "},
      {"border colour", [](auto& t) { t.SetSelectedCellsBorderColor(0x0000FF); }, "0,1 0,2 1,1 "},
      {"vertical alignment", [](auto& t) { t.SetSelectedCellsVAlign(vlcBottom); }, "0,1 0,2 1,1 "},
      {"no borders", [](auto& t) { t.SetSelectedCellsVisibleBorders(TVLBooleanRect(true), false); },
       "0,1 0,2 1,1 "},
      {"left border off",
       [](auto& t) {
         TVLBooleanRect left(false);
         left.Left = true;
         t.SetSelectedCellsVisibleBorders(left, false);
       },
       "0,1 0,2 1,1 "},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    E.D().UndoList->Clear();
    // Two cells of column 1: the block widens over the whole merged cell.
    T->Select(0, 1, 0, 1);
    std::vector<TVLCellAttributes> old;
    for (Integer r = 0; r < 3; ++r)
      for (Integer c = 0; c < 3; ++c)
        old.push_back(T->GetCell(r, c) ? TVLCellAttributes::Of(*T->GetCell(r, c)) : TVLCellAttributes());
    const std::string before = State();
    k.op(*T);
    const std::string after = State();
    EXPECT_EQ(Steps(), 1);
    std::string touched;
    for (Integer r = 0; r < 3; ++r)
      for (Integer c = 0; c < 3; ++c)
        if (T->GetCell(r, c) && !(TVLCellAttributes::Of(*T->GetCell(r, c)) == old[static_cast<size_t>(r * 3 + c)]))
          touched += std::to_string(r) + "," + std::to_string(c) + " ";
    EXPECT_EQ(touched, k.touched);
    for (int round = 0; round < 2; ++round) {
      E.Edit->Undo();
      EXPECT_EQ(State(), before);
      E.Edit->Redo();
      EXPECT_EQ(State(), after);
    }
    E.Edit->Undo();
    ASSERT_TRUE(tabletest::assertGridInvariant(*T));
  }
}

TEST_F(MultiCell, StructureChangesOnTheSelectionAreOneStepRestoredExactly) {
  using Op = std::function<void(TVLTableItemInfo&)>;
  struct Case {
    const char* name;
    Op op;
    const char* grid;  // per row: each position's spans, "-" covered
  } cases[] = {
      {"merge", [](auto& t) { EXPECT_TRUE(t.MergeSelectedCells(true)); }, "3x3 - -/- - -/- - -/"},
      {"unmerge", [](auto& t) { t.UnmergeSelectedCells(true, true); }, "1x1 1x1 1x1/1x1 1x1 1x1/1x1 1x1 1x1/"},
      {"split into columns", [](auto& t) { t.SplitSelectedCellsVertically(2); },
       "1x1 1x1 1x1 1x1 1x1 1x1/1x1 1x1 2x2 - 2x2 -/1x1 1x1 - - - -/"},
      {"split into rows", [](auto& t) { t.SplitSelectedCellsHorizontally(2); },
       "1x1 1x1 1x1/1x1 1x1 1x1/1x1 2x2 -/1x1 - -/1x1 2x2 -/1x1 - -/"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    E.D().UndoList->Clear();
    // A 2x2 block from (0,0) reaching into the merged cell: it widens to
    // the whole table.
    T->Select(0, 0, 1, 1);
    const std::string before = State();
    k.op(*T);
    ASSERT_TRUE(tabletest::assertGridInvariant(*T));
    std::string grid;
    for (Integer r = 0; r < T->RowCount(); ++r) {
      for (Integer c = 0; c < T->Rows.GetRow(r)->Count(); ++c) {
        TVLTableCellData* cell = T->Rows.GetRow(r)->GetCell(c);
        grid += (c ? " " : "") + (cell ? std::to_string(cell->RowSpan) + "x" + std::to_string(cell->ColSpan) : "-");
      }
      grid += "/";
    }
    EXPECT_EQ(grid, k.grid);
    const std::string after = State();
    EXPECT_EQ(Steps(), 1);
    for (int round = 0; round < 2; ++round) {
      E.Edit->Undo();
      EXPECT_EQ(State(), before);
      E.Edit->Redo();
      EXPECT_EQ(State(), after);
    }
    E.Edit->Undo();
  }
}

TEST_F(MultiCell, WithoutASelectionTheEditedCellAloneChanges) {
  ASSERT_TRUE(T->CreateInplaceEditor(-1, 2, 0, false, true, false, true));
  T->SetSelectedCellsVAlign(vlcMiddle);
  EXPECT_EQ(T->GetCell(2, 0)->VAlign, vlcMiddle);
  EXPECT_EQ(T->GetCell(0, 0)->VAlign, vlcVDefault);
  EXPECT_EQ(T->GetCell(1, 1)->VAlign, vlcVDefault);
  EXPECT_EQ(Steps(), 1);
}

TEST_F(MultiCell, StylesOnSelectedCellsAreOneStepUndoneTogether) {
  using Op = std::function<void(qytest::TEditor&)>;
  struct Case {
    const char* name;
    Op op;
    const char* cells;  // paragraph style / text style of each selected cell's items afterwards
  } cases[] = {
      // Of the six cells, two have the style already.
      {"paragraph style", [](auto& e) { e.Edit->ApplyParaStyle(1); }, "a:1/0 b:1/0 c:1/0 d:1/0 efhi:1/0 g:1/0 "},
      {"text style", [](auto& e) { e.Edit->ApplyTextStyle(1); }, "a:1/1 b:0/1 c:0/1 d:0/1 efhi:0/1 g:1/1 "},
      {"paragraph style conversion",
       [](auto& e) {
         e.Edit->OnParaStyleConversion = [](TCustomVellumEdit*, Integer paraNo, Integer userData, bool,
                                            Integer& newParaNo) { newParaNo = paraNo == 0 ? userData : 0; };
         e.Edit->ApplyParaStyleConversion(1);
       },
       "a:0/0 b:1/0 c:1/0 d:1/0 efhi:1/0 g:0/0 "},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    E.D().UndoList->Clear();
    // The whole table: the block from (0,0) widens over the merged cell.
    T->Select(0, 0, 1, 1);
    const std::string before = State();
    k.op(E);
    const std::string after = State();
    EXPECT_EQ(Steps(), 1);
    std::string cells;
    for (auto [r, c] : {std::pair{0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1}, {2, 0}}) {
      TVLTableCellData* cell = T->GetCell(r, c);
      for (Integer i = 0; i < cell->GetItemCount(); ++i) cells += tabletest::ItemText(*cell, i);
      cells += ":";
      std::string styles;
      for (Integer i = 0; i < cell->GetItemCount(); ++i) {
        const std::string s = std::to_string(cell->GetItem(i)->ParaNo) + "/" +
                              std::to_string(cell->GetItem(i)->StyleNo);
        if (styles.empty()) styles = s;
        else if (styles != s) styles = "mixed";
      }
      cells += styles + " ";
    }
    EXPECT_EQ(cells, k.cells);
    // The document around the table keeps its styles.
    EXPECT_EQ(E.D().GetItem(0)->ParaNo, 0);
    EXPECT_EQ(E.D().GetItem(0)->StyleNo, 0);
    for (int round = 0; round < 2; ++round) {
      E.Edit->Undo();
      EXPECT_EQ(State(), before);
      E.Edit->Redo();
      EXPECT_EQ(State(), after);
    }
    E.Edit->Undo();
  }
}

TEST_F(MultiCell, WithoutUndoTheCellsChangeAndNothingIsRecorded) {
  E.Edit->SetUndoLimit(0);
  T->Select(0, 0, 1, 1);
  E.Edit->ApplyParaStyle(1);
  EXPECT_EQ(T->GetCell(0, 1)->GetItem(0)->ParaNo, 1);
  EXPECT_EQ(T->GetCell(1, 1)->GetItem(3)->ParaNo, 1);
  T->SetSelectedCellsColor(0x00FF00);
  EXPECT_EQ(T->GetCell(1, 0)->Color, 0x00FF00);
  EXPECT_EQ(Steps(), 0);
}

TEST_F(MultiCell, DeletingSelectedCellsEmptiesThemInOneStep) {
  T->Select(0, 1, 0, 1);
  const std::string before = State();
  E.Key(Qt::Key_Delete);
  std::string text;
  for (Integer r = 0; r < 3; ++r)
    for (Integer c = 0; c < 3; ++c)
      if (TVLTableCellData* cell = T->GetCell(r, c))
        for (Integer i = 0; i < cell->GetItemCount(); ++i) text += tabletest::ItemText(*cell, i);
  EXPECT_EQ(text, "adg") << State();
  EXPECT_EQ(T->GetCell(1, 1)->RowSpan, 2);
  EXPECT_EQ(Steps(), 1);
  const std::string after = State();
  E.Edit->Undo();
  EXPECT_EQ(State(), before);
  E.Edit->Redo();
  EXPECT_EQ(State(), after);
}

TEST_F(MultiCell, EditCellOpensTheCellsThatHoldANestedTable) {
  // A 2x2 table inside cell (2,0).
  TVLTableCellData* holder = T->GetCell(2, 0);
  auto inner = TVLTableItemInfo::CreateEx(2, 2, holder);
  TVLTableItemInfo* in = inner.get();
  holder->AddItem("", inner.release());
  E.Edit->Format();
  struct Case {
    const char* name;
    bool editing, force, opens;
  } cases[] = {
      {"editing allowed", true, false, true},
      {"editing not allowed", false, false, false},
      {"forced", false, true, true},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    if (T->GetInplaceEditor()) T->DestroyInplaceEditor(false);
    for (TVLTableItemInfo* t : {T, in}) {
      if (k.editing) t->Options.Include(vltoEditing);
      else t->Options.Exclude(vltoEditing);
    }
    in->EditCellEx(1, 1, k.force);
    EXPECT_EQ(in->GetInplaceEditor() != nullptr, k.opens);
    Integer row = -1, col = -1;
    EXPECT_EQ(T->GetEditedCell(row, col) != nullptr, k.opens);
    if (k.opens) {
      EXPECT_EQ(row, 2);
      EXPECT_EQ(col, 0);
      in->GetEditedCell(row, col);
      EXPECT_EQ(row, 1);
      EXPECT_EQ(col, 1);
    }
  }
}

TEST(EditCellOfADetachedTable, IsAnInternalError) {
  VLRegisterTableItem();
  auto outer = TVLTableItemInfo::CreateEx(1, 1, nullptr);
  // A cell that no table holds at any position.
  TVLTableCellData stray(outer.get());
  auto inner = TVLTableItemInfo::CreateEx(1, 1, &stray);
  try {
    inner->EditCellEx(0, 0, true);
    FAIL() << "no error";
  } catch (const EVellumError& e) {
    EXPECT_STREQ(e.what(), "Internal error");
  }
}

}  // namespace

// A text style over the selected cells joins a cell's items, and the history
// keeps the item it took out (in the hidden editor's steps the record holds).
// Clearing the history later, as a new day's entry does, frees it: the
// document's editor hears of it.
TEST_F(MultiCell, ItemsJoinedByAStyleOnSelectedCellsLeaveTheHistorySafely) {
  TVLTableCellData* cell = T->GetCell(0, 1);
  cell->AddTextItem(U("ż"), 1, -1);
  T->Changed();
  E.Edit->Format();
  E.D().UndoList->Clear();
  int freed = 0;
  E.Edit->OnItemAction = [&](TCustomVellum*, TVLItemAction action, TCustomVLItemInfo*, AnsiString&, TCustomVLData*) {
    if (action == vliaDestroying) ++freed;
  };
  T->Select(0, 1, 0, 1);
  E.Edit->ApplyTextStyle(0);
  ASSERT_EQ(Steps(), 1);
  ASSERT_EQ(cell->GetItemCount(), 1);
  EXPECT_EQ(tabletest::ItemText(*cell, 0), "bż");
  freed = 0;
  E.Edit->ClearUndo();
  EXPECT_GE(freed, 1);
  EXPECT_EQ(tabletest::ItemText(*cell, 0), "bż");
  E.Edit->OnItemAction = nullptr;
}

// What a table's cells answer to the document model: page breaks in plain
// text loaded into a cell, and the document a cell is edited in.
#include "CellEditorSupport.h"
#include "TableTestSupport.h"

#include "support/TestSupport.h"

#include <fstream>
#include <gtest/gtest.h>

namespace {

TEST(TableCellAnswers, PlainTextInACellHasNoPageBreaks) {
  VLRegisterTableItem();
  TVLStyle style(nullptr);
  qytest::TempDir dir;
  const std::string file = (dir / "paged.txt").string();
  std::ofstream(file, std::ios::binary) << "one\x0Ctwo\r\nthree\r\n";
  auto countBreaks = [](TCustomVLData& d) {
    Integer n = 0;
    for (Integer i = 0; i < d.GetItemCount(); ++i) n += d.GetPageBreakBefore(i) ? 1 : 0;
    return n;
  };
  TVLDocumentData doc(&style);
  doc.Clear();
  ASSERT_TRUE(doc.LoadText(file, 0, 0, false));
  EXPECT_EQ(countBreaks(doc), 1);
  auto t = TVLTableItemInfo::CreateEx(1, 1, &doc);
  TVLTableCellData* cell = t->GetCell(0, 0);
  cell->Clear();
  ASSERT_TRUE(cell->LoadText(file, 0, 0, false));
  EXPECT_EQ(countBreaks(*cell), 0);
  // The form feed stays in the text instead of breaking the page.
  ASSERT_EQ(cell->GetItemCount(), 2);
  EXPECT_EQ(cell->GetItemTextA(0), "one\x0Ctwo");
  EXPECT_EQ(cell->GetItemTextA(1), "three");
}

TEST(TableCellAnswers, TheEditableDocumentOfACellIsItsEditors) {
  celltest::TTableEditor e(2, 2);
  TVLTableCellData* cell = e.T->GetCell(1, 0);
  TCustomVLData* editable = cell->GetEditableVLData();
  ASSERT_TRUE(e.T->GetInplaceEditor());
  EXPECT_NE(editable, cell);
  EXPECT_EQ(editable, cell->GetVLData());
  EXPECT_EQ(e.T->EditedRow(), 1);
  EXPECT_EQ(e.T->EditedCol(), 0);
  // Asked again, the open editor answers.
  EXPECT_EQ(cell->GetEditableVLData(), editable);
  // A table that may not be edited leaves the cell itself.
  e.T->DestroyInplaceEditor(false);
  e.T->Options -= TVLTableOptions{vltoEditing};
  TVLTableCellData* other = e.T->GetCell(0, 1);
  EXPECT_EQ(other->GetEditableVLData(), other);
  EXPECT_FALSE(e.T->GetInplaceEditor());
}

}  // namespace

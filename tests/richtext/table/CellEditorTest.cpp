// Editing table cells in place through the keyboard and the mouse.
#include "CellEditorSupport.h"

using namespace celltest;

TEST(CellEditor, ClickTypeTab) {
  TTableEditor e(3, 3);
  e.Click(1, 1);
  ASSERT_NE(e.Cell(), nullptr);
  EXPECT_EQ(e.Cell()->Row, 1);
  EXPECT_EQ(e.Cell()->Col, 1);
  e.Press(Qt::Key_End);
  e.Write("xy");
  EXPECT_EQ(e.CellText(1, 1), "11xy");
  e.Press(Qt::Key_Tab);
  ASSERT_NE(e.Cell(), nullptr);
  EXPECT_EQ(e.Cell()->Col, 2);
  e.Write("z");
  EXPECT_EQ(e.CellText(1, 2), "z12");
  EXPECT_EQ(e.CellText(1, 1), "11xy");
}

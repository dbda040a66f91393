// The grid: what the user may change in each kind of column, and that only
// the user's changes are reported.
#include "platform/gui/Grids.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct TChange {
  int Col, Row;
};

TEST(Grid, OnlyTheUsersEditsOfEditableCellsAreReported) {
  TStringGrid grid(nullptr);
  grid.SetColumns({{"Name", gckText}, {"Shown", gckCheck}, {"Kind", gckReadOnly}, {"Id", gckReadOnly, false}});
  grid.SetRowCount(3);
  std::vector<TChange> changes;
  grid.OnCellChanged = [&](TObject*, int col, int row) { changes.push_back({col, row}); };
  // The program's own filling is silent.
  for (int r = 0; r < 3; ++r) {
    grid.SetCell(0, r, "journal " + IntToStr(r));
    grid.SetChecked(1, r, r != 1);
    grid.SetCell(2, r, "D");
    grid.SetCell(3, r, IntToStr(10 + r));
  }
  EXPECT_TRUE(changes.empty());
  const struct {
    const char* What;
    int Col, Row;
    bool Toggle;
    bool Reported;
  } cases[] = {
      {"name typed", 0, 1, false, true},
      {"box ticked", 1, 1, true, true},
      {"box cleared", 1, 2, true, true},
      {"read-only typed", 2, 0, false, false},
      {"hidden typed", 3, 0, false, false},
      {"text column toggled", 0, 0, true, false},
  };
  for (const auto& c : cases) {
    changes.clear();
    const String before = grid.Cell(c.Col, c.Row);
    if (c.Toggle) grid.ToggleCell(c.Col, c.Row);
    else grid.EditCell(c.Col, c.Row, "typed");
    ASSERT_EQ(changes.size(), c.Reported ? 1u : 0u) << c.What;
    if (c.Reported) {
      EXPECT_EQ(changes[0].Col, c.Col) << c.What;
      EXPECT_EQ(changes[0].Row, c.Row) << c.What;
    } else {
      EXPECT_EQ(grid.Cell(c.Col, c.Row), before) << c.What;
    }
  }
  EXPECT_EQ(grid.Cell(0, 1), "typed");
  EXPECT_TRUE(grid.Checked(1, 1));
  EXPECT_FALSE(grid.Checked(1, 2));
  EXPECT_FALSE(grid.Column(3).Visible);
  // Rows go from the middle; the others keep their cells.
  grid.DeleteRow(1);
  ASSERT_EQ(grid.RowCount(), 2);
  EXPECT_EQ(grid.Cell(3, 1), "12");
  EXPECT_TRUE(changes.empty());
  grid.SetRow(1);
  EXPECT_EQ(grid.GetRow(), 1);
}

}  // namespace

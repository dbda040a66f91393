// A new table and its cells: the published defaults and the cell answers.
#include "TableTestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(TableDefaults, NewTableAndCells) {
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  TVLTableItemInfo t(&doc);
  EXPECT_EQ(t.StyleNo, -60);
  EXPECT_EQ(t.RowCount(), 1);
  EXPECT_EQ(t.ColCount(), 1);
  EXPECT_EQ(tabletest::CellText(t.GetCell(0, 0)), "");
  EXPECT_EQ(t.GetCell(0, 0)->GetItemCount(), 1);
  EXPECT_EQ(t.Options.ToMask(), 31u);
  EXPECT_EQ(t.PrintOptions.ToMask(), 3u);
  struct Int {
    const char* name;
    Integer value, expected;
  };
  const Int ints[] = {{"BestWidth", t.BestWidth, 0},          {"HeadingRowCount", t.HeadingRowCount, 0},
                      {"BorderWidth", t.BorderWidth, 0},      {"BorderVSpacing", t.BorderVSpacing, 2},
                      {"BorderHSpacing", t.BorderHSpacing, 2}, {"CellBorderWidth", t.CellBorderWidth, 0},
                      {"CellPadding", t.CellPadding, 1},      {"VRuleWidth", t.VRuleWidth, 0},
                      {"HRuleWidth", t.HRuleWidth, 0},        {"CellVSpacing", t.CellVSpacing, 2},
                      {"CellHSpacing", t.CellHSpacing, 2}};
  for (const Int& i : ints) EXPECT_EQ(i.value, i.expected) << i.name;
  const Int colours[] = {{"Color", t.Color, clWindow},
                         {"BorderColor", t.BorderColor, clWindowText},
                         {"BorderLightColor", t.BorderLightColor, clBtnHighlight},
                         {"CellBorderColor", t.CellBorderColor, clWindowText},
                         {"CellBorderLightColor", t.CellBorderLightColor, clBtnHighlight},
                         {"VRuleColor", t.VRuleColor, clWindowText},
                         {"HRuleColor", t.HRuleColor, clWindowText}};
  for (const Int& i : colours) EXPECT_EQ(i.value, i.expected) << i.name;
  EXPECT_EQ(t.BorderStyle, vltbRaised);
  EXPECT_EQ(t.CellBorderStyle, vltbLowered);
  EXPECT_EQ(t.BackgroundStyle, vlbsColor);
  EXPECT_EQ(t.TextRowSeparator, "\r\n");
  EXPECT_EQ(t.TextColSeparator, "\r\n");
  EXPECT_FALSE(t.VOutermostRule || t.HOutermostRule);

  auto t2 = TVLTableItemInfo::CreateEx(2, 2, &doc);
  for (Integer r = 0; r < 2; ++r) {
    EXPECT_EQ(t2->Rows.GetRow(r)->VAlign, vlcTop);
    for (Integer c = 0; c < 2; ++c) {
      TVLTableCellData* cell = t2->GetCell(r, c);
      EXPECT_EQ(cell->Color, clNone);
      EXPECT_EQ(cell->BorderColor, clNone);
      EXPECT_EQ(cell->BorderLightColor, clNone);
      EXPECT_TRUE(cell->VisibleBorders.IsAllEqual(true));
      EXPECT_EQ(cell->VAlign, vlcVDefault);
      EXPECT_EQ(cell->GetRealVAlign(), vlcTop);  // the row's alignment
      EXPECT_EQ(cell->RowSpan * cell->ColSpan, 1);
      EXPECT_EQ(cell->GetTable(), t2.get());
      EXPECT_EQ(cell->GetParentData(), &doc);
      EXPECT_EQ(cell->GetStyle(), &style);
      EXPECT_EQ(cell->GetColor(), clNone);
    }
  }
  // A cell split into three columns gets a third of the width.
  TVLTableCellData* a = t2->GetCell(0, 0);
  a->BestWidth = 100;
  a->BestHeight = 50;
  a->Color = 0x123456;
  t2->GetCell(0, 1)->AssignAttributesFrom(*a, true, 3, 2);
  EXPECT_EQ(t2->GetCell(0, 1)->BestWidth, 33);
  EXPECT_EQ(t2->GetCell(0, 1)->BestHeight, 25);
  EXPECT_EQ(t2->GetCell(0, 1)->Color, 0x123456);
  t2->GetCell(1, 1)->AssignAttributesFrom(*a, false, 3, 2);
  EXPECT_EQ(t2->GetCell(1, 1)->BestWidth, 0);
  // Rows answer the heights of their single-row cells.
  t2->GetCell(1, 0)->BestHeight = 40;
  EXPECT_EQ(t2->Rows.GetRow(1)->GetBestHeight(), 40);
  EXPECT_EQ(t2->Rows.GetRow(1)->GetMinHeight(), 40);
  EXPECT_EQ(t2->Rows.GetRow(0)->GetMinHeight(), 50);
  // Placed into another document, an emptied cell gets a paragraph again
  // and the cells answer to the new document.
  TVLDocumentData other(&style);
  t2->GetCell(1, 1)->Clear();
  AnsiString text;
  t2->Inserting(&other, text, true);
  EXPECT_EQ(t2->GetCell(1, 1)->GetItemCount(), 1);
  EXPECT_EQ(t2->GetCell(0, 0)->GetParentData(), &other);
  // Updates nest.
  t2->BeginUpdate();
  t2->BeginUpdate();
  t2->EndUpdate();
  EXPECT_TRUE(t2->IsUpdating());
  t2->EndUpdate();
  EXPECT_FALSE(t2->IsUpdating());
}

}  // namespace

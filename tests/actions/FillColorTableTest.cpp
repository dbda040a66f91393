#include "TableTestSupport.h"
#include "actions/FillColorVLFrm.h"
#include "actions/VLActionsColor.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using tabletest::TTableWindow;

// The colour grid's cell at (5, 30) is black.
constexpr TColor Picked = 0x000000;

void ClickControl(TControl* c, QPoint at = QPoint(6, 8)) {
  QTest::mouseClick(WidgetOf(c), Qt::LeftButton, {}, at);
  Application->ProcessMessages();
}

std::vector<int> Entries(TfrmVLFillColor& d) {
  std::vector<int> codes;
  TStrings& items = d.GetComboBoxItems(d._cmb);
  for (int i = 0; i < items.Count(); ++i)
    codes.push_back(static_cast<int>(reinterpret_cast<intptr_t>(items.GetObject(i))));
  return codes;
}

enum TWhere { InCells, InEditedCell, OnTable };

void Go(TTableWindow& w, TWhere where) {
  switch (where) {
    case InCells:
      w.Click(0, 0);
      w.Click(0, 1, Qt::ShiftModifier);
      break;
    case InEditedCell: w.Click(1, 1); break;
    case OnTable:
      w.CaretOutside();
      w.Edit->SetSelectionBounds(1, 0, 1, 1);  // the table as one item
      break;
  }
}

TEST(FillColorTable, TheCellsOrTheTableAreOfferedWhereTheCaretIs) {
  struct Case {
    const char* what;
    TWhere where;
    TVLAFillColorApplyToSet allowed;
    std::vector<int> entries;
    int selected;
    bool shown;
    TColor shownColor;
  };
  const TVLAFillColorApplyToSet all{vlafcaApplyText, vlafcaApplyParagraph, vlafcaApplyCell, vlafcaApplyTable};
  const Case cases[] = {
      {"whole cells", InCells, all, {vlafcaText, vlafcaParagraph, vlafcaCell, vlafcaTable}, vlafcaCell, true,
       clYellow},
      {"whole cells, cells and table only", InCells, {vlafcaApplyCell, vlafcaApplyTable},
       {vlafcaCell, vlafcaTable}, vlafcaCell, true, clYellow},
      {"edited cell", InEditedCell, all, {vlafcaText, vlafcaParagraph, vlafcaCell, vlafcaTable}, vlafcaParagraph,
       true, clNone},  // the cell's paragraph has no colour of its own
      {"the table", OnTable, all, {vlafcaText, vlafcaParagraph, vlafcaTable}, vlafcaTable, true, clAqua},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TTableWindow w;
    w.T()->GetCell(0, 0)->Color = clYellow;
    w.T()->GetCell(0, 1)->Color = clYellow;
    w.T()->Color = clAqua;
    Go(w, c.where);
    TvlActionFillColor action(w.Form.get());
    action.SetControl(w.Edit);
    action.AllowApplyingTo = c.allowed;
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      auto& d = *static_cast<TfrmVLFillColor*>(r.Form);
      EXPECT_EQ(Entries(d), c.entries);
      EXPECT_EQ(d.SelectedElement(), c.selected);
      EXPECT_EQ(d.ColorIndeterminate, !c.shown);
      if (c.shown) {
        EXPECT_EQ(d.FillColor, c.shownColor);
      }
      return mrCancel;
    });
    ASSERT_TRUE(w.Run(action));
    EXPECT_EQ(script.Unexpected, 0);
  }
}

TEST(FillColorTable, CellsAndTableTakeTheColourAsOneStepUnlessTheEntryIsReadOnly) {
  struct Case {
    const char* what;
    TWhere where;
    bool readOnly;
  };
  const Case cases[] = {
      {"cells", InCells, false},
      {"cells, read-only", InCells, true},
      {"table", OnTable, false},
      {"table, read-only", OnTable, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TTableWindow w;
    w.T()->Color = clAqua;
    Go(w, c.where);
    w.Edit->SetReadOnly(c.readOnly);
    TvlActionFillColor action(w.Form.get());
    action.SetControl(w.Edit);
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      auto& d = *static_cast<TfrmVLFillColor*>(r.Form);
      Application->ProcessMessages();
      ClickControl(d.vlcg, QPoint(5, 30));
      ClickControl(d.btnOk);
      return d.ModalResult;
    });
    ASSERT_TRUE(w.Run(action));
    const bool changed = !c.readOnly;
    if (c.where == InCells) {
      EXPECT_EQ(w.T()->GetCell(0, 0)->Color, changed ? Picked : clNone);
      EXPECT_EQ(w.T()->GetCell(0, 1)->Color, changed ? Picked : clNone);
      EXPECT_EQ(w.T()->GetCell(1, 1)->Color, clNone);
      EXPECT_EQ(w.T()->Color, clAqua);
    } else {
      EXPECT_EQ(w.T()->Color, changed ? Picked : clAqua);
      EXPECT_EQ(w.T()->GetCell(0, 0)->Color, clNone);
    }
    if (!changed) continue;
    w.Edit->SetReadOnly(false);
    w.Edit->Undo();
    w.Settle();
    EXPECT_EQ(w.T()->Color, clAqua);
    EXPECT_EQ(w.T()->GetCell(0, 0)->Color, clNone);
    EXPECT_EQ(w.T()->GetCell(0, 1)->Color, clNone);
    EXPECT_EQ(w.Edit->GetUndoType(), vlutNone);
  }
}

}  // namespace

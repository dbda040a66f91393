// The commands that change the attributes of the selected cells and of the
// table: alignment, visible borders, the properties dialog, the cell
// colour, and the grid lines of every view.
#include "TableTestSupport.h"

#include "actions/ItemPropVLFrm.h"
#include "richtext/view/Vellum.h"

#include <QEvent>
#include <QObject>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace {

using tabletest::TTableWindow;

TfrmVLItemProp* PropertiesOf(TInteraction& r) {
  auto* f = dynamic_cast<TfrmVLItemProp*>(r.Form);
  EXPECT_NE(f, nullptr);
  return f;
}

TEST(TableAttributes, TopBorderOnCellsThatDifferShowsItOnBothThenHidesIt) {
  TTableWindow w;
  TvlActionTableCellTopBorder top(w.Form.get());
  w.T()->GetCell(0, 1)->VisibleBorders.Top = false;
  w.Click(0, 0);
  w.Click(0, 1, Qt::ShiftModifier);
  struct TStep {
    bool CheckedBefore;
    bool TopAfter;
  };
  // Unchecked while one cell lacks it: shown on both; then checked: hidden on both.
  for (const TStep& s : std::vector<TStep>{{false, true}, {true, false}}) {
    top.Update();
    EXPECT_EQ(top.GetChecked(), s.CheckedBefore);
    w.Run(top);
    EXPECT_EQ(w.T()->GetCell(0, 0)->VisibleBorders.Top, s.TopAfter);
    EXPECT_EQ(w.T()->GetCell(0, 1)->VisibleBorders.Top, s.TopAfter);
    // The other sides stay as they were.
    EXPECT_TRUE(w.T()->GetCell(0, 1)->VisibleBorders.Left);
  }
  w.Edit->Undo();
  w.Settle();
  EXPECT_TRUE(w.T()->GetCell(0, 0)->VisibleBorders.Top);
  EXPECT_TRUE(w.T()->GetCell(0, 1)->VisibleBorders.Top);
}

TEST(TableAttributes, SideCommandsCheckAndChangeOnlyTheirSides) {
  struct TCase {
    const char* Name;
    std::function<TvlActionTableCellBorder*(TComponent*)> Make;
    bool CheckedOnNewCells;
    bool L, T, R, B;  // the edited cell's sides after one execution
  };
  const std::vector<TCase> cases = {
      {"left", [](TComponent* o) { return new TvlActionTableCellLeftBorder(o); }, true, false, true, true, true},
      {"right", [](TComponent* o) { return new TvlActionTableCellRightBorder(o); }, true, true, true, false, true},
      {"bottom", [](TComponent* o) { return new TvlActionTableCellBottomBorder(o); }, true, true, true, true, false},
      {"all", [](TComponent* o) { return new TvlActionTableCellAllBorders(o); }, true, false, false, false, false},
      {"none", [](TComponent* o) { return new TvlActionTableCellNoBorders(o); }, false, false, false, false, false},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.Name);
    TTableWindow w;
    std::unique_ptr<TvlActionTableCellBorder> action(k.Make(w.Form.get()));
    w.Click(1, 1);
    action->Update();
    EXPECT_EQ(action->GetChecked(), k.CheckedOnNewCells);
    w.Run(*action);
    const TVLBooleanRect& v = w.T()->GetCell(1, 1)->VisibleBorders;
    EXPECT_EQ(v.Left, k.L);
    EXPECT_EQ(v.Top, k.T);
    EXPECT_EQ(v.Right, k.R);
    EXPECT_EQ(v.Bottom, k.B);
    // Only the edited cell.
    EXPECT_TRUE(w.T()->GetCell(1, 0)->VisibleBorders.Right);
  }
}

TEST(TableAttributes, AlignmentIsCheckedWhenEveryCellHasItAndSetsAllAsOneStep) {
  TTableWindow w;
  TvlActionTableCellVAlignDefault byDefault(w.Form.get());
  TvlActionTableCellVAlignBottom bottom(w.Form.get());
  w.Click(0, 0);
  w.Click(1, 1, Qt::ShiftModifier);
  EXPECT_TRUE(w.Enabled(byDefault));
  EXPECT_TRUE(byDefault.GetChecked());
  bottom.Update();
  EXPECT_FALSE(bottom.GetChecked());
  w.Run(bottom);
  for (Integer r = 0; r < 2; ++r)
    for (Integer c = 0; c < 2; ++c) EXPECT_EQ(w.T()->GetCell(r, c)->VAlign, vlcBottom);
  EXPECT_EQ(w.T()->GetCell(2, 2)->VAlign, vlcVDefault);
  bottom.Update();
  EXPECT_TRUE(bottom.GetChecked());
  w.Edit->Undo();
  w.Settle();
  for (Integer r = 0; r < 2; ++r)
    for (Integer c = 0; c < 2; ++c) EXPECT_EQ(w.T()->GetCell(r, c)->VAlign, vlcVDefault);
}

// Counts the cells the walk hands over.
class TCountingAction : public TvlActionTableMultiCellAttributes {
public:
  using TvlActionTableMultiCellAttributes::TvlActionTableMultiCellAttributes;
  bool ProcessCell(TVLTableItemInfo*, Integer Row, Integer Col, Integer) override {
    Visited.push_back(std::to_string(Row) + std::to_string(Col));
    return true;
  }
  bool ExecuteOnTable(TVLActionEditor*, TVLTableItemInfo* Table, Integer) override {
    ForEachSelectedCell(Table, 2);
    return false;
  }
  bool CanExecuteOnTable(TVLActionEditor*, TVLTableItemInfo*, Integer) override { return true; }
  std::vector<std::string> Visited;
};

TEST(TableAttributes, AMergedCellIsVisitedOnceAtItsOwnPosition) {
  TTableWindow w;
  w.T()->MergeCells(0, 0, 2, 2);
  w.Edit->Format();
  w.Settle();
  TCountingAction count(w.Form.get());
  // The block from the merged cell to (1, 2).
  w.Click(0, 0);
  w.Click(1, 2, Qt::ShiftModifier);
  w.Run(count);
  EXPECT_EQ(count.Visited, (std::vector<std::string>{"00", "02", "12"}));
  // The caret alone in a cell: that cell.
  count.Visited.clear();
  w.Click(2, 1);
  w.Run(count);
  EXPECT_EQ(count.Visited, (std::vector<std::string>{"21"}));
}

// The text items the framework's item walk reaches.
class TItemCounter : public TvlAction {
public:
  using TvlAction::TvlAction;
  void ProcessItem(TCustomVLData* VLData, Integer ItemNo, TVLActionEditor*, void*) override {
    Texts.push_back(tabletest::DocText(VLData).substr(0, 2));
    (void)ItemNo;
  }
  std::vector<std::string> Texts;
};

TEST(TableAttributes, TheItemWalkVisitsTheItemsOfWhollySelectedCellsOnly) {
  TTableWindow w;
  w.T()->MergeCells(0, 0, 2, 1);
  w.Edit->Format();
  w.Settle();
  w.Click(0, 0);
  w.Click(0, 2, Qt::ShiftModifier);
  TItemCounter walk(w.Form.get());
  walk.WalkItems(w.Edit->EditData(), nullptr, 0, w.Edit->EditData()->GetItemCount() - 1, nullptr);
  // The merged cell holds two paragraphs; each is one item, visited once.
  EXPECT_EQ(walk.Texts, (std::vector<std::string>{"00", "00", "02"}));
}

TEST(TableAttributes, TheWidthOpensAsItIsAndComesBackUnchanged) {
  struct TCase {
    Integer Width;
    Integer CellWidth;  // of every cell
    bool Indeterminate;
    double Shown;       // < 0: the laid-out width
    int Unit;
    std::function<void(TfrmVLItemProp*)> Edit;
    Integer After;
  };
  const std::vector<TCase> cases = {
      {-50, 0, false, 50, 0, nullptr, -50},
      {300, 0, false, 300, 1, nullptr, 300},
      // Automatic: the whole width available, or its columns' pixels; it
      // stays automatic unless changed.
      {0, 0, false, 100, 0, nullptr, 0},
      {0, 120, false, -1, 1, nullptr, 0},
      {0, 0, false, 100, 0, [](TfrmVLItemProp* f) { f->seTableWidth->SetValue(60); }, -60},
      {0, 0, false, 100, 0, [](TfrmVLItemProp* f) { f->cmbTWType->SetItemIndex(1); }, 100},
      {-50, 0, false, 50, 0, [](TfrmVLItemProp* f) { f->seTableWidth->SetValue(150); }, -100},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(std::to_string(k.Width) + " " + std::to_string(k.CellWidth) + (k.Edit ? " changed" : ""));
    TTableWindow w;
    w.T()->BestWidth = k.Width;
    for (Integer r = 0; r < w.T()->RowCount(); ++r)
      for (Integer c = 0; c < w.T()->ColCount(); ++c)
        if (TVLTableCellData* cell = w.T()->GetCell(r, c)) cell->BestWidth = k.CellWidth;
    w.T()->Changed();
    w.Edit->Format();
    w.Settle();
    TvlActionTableProperties properties(w.Form.get());
    w.Click(0, 0);
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      TfrmVLItemProp* f = PropertiesOf(r);
      EXPECT_EQ(f->seTableWidth->GetIndeterminate(), k.Indeterminate);
      if (!k.Indeterminate) {
        EXPECT_EQ(f->seTableWidth->GetValue(), k.Shown < 0 ? w.T()->GetWidth() : k.Shown);
      }
      EXPECT_EQ(f->cmbTWType->GetItemIndex(), k.Unit);
      EXPECT_TRUE(f->IsTabSheetVisible(f->tsCells));
      EXPECT_FALSE(f->IsTabSheetVisible(f->tsImage));
      if (k.Edit) k.Edit(f);
      return mrOk;
    });
    w.Run(properties);
    EXPECT_EQ(w.T()->BestWidth, k.After);
  }
}

TEST(TableAttributes, CellsOfTwoColoursShowUndecidedAndANewColourGoesToBoth) {
  TTableWindow w;
  w.T()->GetCell(0, 0)->Color = clRed;
  w.T()->GetCell(0, 1)->Color = clBlue;
  TvlActionTableProperties properties(w.Form.get());
  w.Click(0, 0);
  w.Click(0, 1, Qt::ShiftModifier);
  struct TStep {
    TColor Choose;  // clNone: leave undecided
    TColor Left, Right;
  };
  for (const TStep& s : std::vector<TStep>{{clNone, clRed, clBlue}, {clGreen, clGreen, clGreen}}) {
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      TfrmVLItemProp* f = PropertiesOf(r);
      EXPECT_TRUE(f->cmbCellColor->GetIndeterminate());
      if (s.Choose != clNone) f->cmbCellColor->SetChosenColor(s.Choose);
      return mrOk;
    });
    // Back in the editor after the dialog, as the user is.
    w.Edit->SetFocus();
    w.Settle();
    w.Run(properties);
    EXPECT_EQ(w.T()->GetCell(0, 0)->Color, s.Left);
    EXPECT_EQ(w.T()->GetCell(0, 1)->Color, s.Right);
    EXPECT_EQ(w.T()->GetCell(0, 2)->Color, clNone);
  }
  // The whole dialog is one step.
  w.Edit->Undo();
  w.Settle();
  EXPECT_EQ(w.T()->GetCell(0, 0)->Color, clRed);
  EXPECT_EQ(w.T()->GetCell(0, 1)->Color, clBlue);
}

TEST(TableAttributes, CellSettingsAreKeptWhenTheRowsAlignmentsDiffer) {
  TTableWindow w;
  w.T()->Rows.GetRow(0)->VAlign = vlcTop;
  w.T()->Rows.GetRow(1)->VAlign = vlcBottom;
  TvlActionTableProperties properties(w.Form.get());
  w.Click(0, 0);
  w.Click(1, 0, Qt::ShiftModifier);
  TInteractionScript script;
  script.Do([&](TInteraction& r) {
    TfrmVLItemProp* f = PropertiesOf(r);
    EXPECT_EQ(f->rgRowVAlign->GetItemIndex(), -1);
    f->cmbCellColor->SetChosenColor(clYellow);
    return mrOk;
  });
  w.Run(properties);
  EXPECT_EQ(w.T()->GetCell(0, 0)->Color, clYellow);
  EXPECT_EQ(w.T()->GetCell(1, 0)->Color, clYellow);
  EXPECT_EQ(w.T()->Rows.GetRow(0)->VAlign, vlcTop);
  EXPECT_EQ(w.T()->Rows.GetRow(1)->VAlign, vlcBottom);
}

TEST(TableAttributes, OneUndoTakesBackTheRowsAlignmentAndKeepingRowsWhole) {
  TTableWindow w;
  ASSERT_TRUE(w.T()->PrintOptions.Contains(vltoRowsSplit));
  TvlActionTableProperties properties(w.Form.get());
  w.Click(0, 0);
  w.Click(1, 0, Qt::ShiftModifier);
  TInteractionScript script;
  script.Do([&](TInteraction& r) {
    TfrmVLItemProp* f = PropertiesOf(r);
    f->rgRowVAlign->SetItemIndex(vlcBottom);
    f->cbNoSplit->SetChecked(true);
    f->cmbCellColor->SetChosenColor(clYellow);
    return mrOk;
  });
  w.Run(properties);
  EXPECT_EQ(w.T()->Rows.GetRow(1)->VAlign, vlcBottom);
  EXPECT_FALSE(w.T()->PrintOptions.Contains(vltoRowsSplit));
  w.Edit->Undo();
  w.Settle();
  EXPECT_EQ(w.T()->Rows.GetRow(0)->VAlign, vlcTop);
  EXPECT_EQ(w.T()->Rows.GetRow(1)->VAlign, vlcTop);
  EXPECT_TRUE(w.T()->PrintOptions.Contains(vltoRowsSplit));
  EXPECT_EQ(w.T()->GetCell(0, 0)->Color, clNone);
}

TEST(TableAttributes, AFlatSideKeepsEachCellsOwnValueUntilDecided) {
  for (bool decide : {false, true}) {
    SCOPED_TRACE(decide ? "Ctrl+L" : "left alone");
    TTableWindow w;
    w.T()->GetCell(0, 1)->VisibleBorders.Left = false;
    TvlActionTableProperties properties(w.Form.get());
    w.Click(0, 0);
    w.Click(0, 1, Qt::ShiftModifier);
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      TfrmVLItemProp* f = PropertiesOf(r);
      EXPECT_TRUE(f->btnLeft->GetFlat());
      EXPECT_FALSE(f->btnLeft->GetDown());
      if (decide) {
        Word key = 'L';
        f->FormKeyDown(key, TShiftState{ssCtrl});
        EXPECT_FALSE(f->btnLeft->GetFlat());
      }
      return mrOk;
    });
    w.Run(properties);
    // Ctrl+L turns the side on for both; otherwise each keeps its own.
    EXPECT_TRUE(w.T()->GetCell(0, 0)->VisibleBorders.Left);
    EXPECT_EQ(w.T()->GetCell(0, 1)->VisibleBorders.Left, decide);
  }
}

TEST(TableAttributes, AReadOnlyEditorRefusesACellColour) {
  for (bool readOnly : {false, true}) {
    SCOPED_TRACE(readOnly);
    TTableWindow w;
    w.Click(0, 0);
    w.Click(0, 1, Qt::ShiftModifier);
    w.Edit->SetReadOnly(readOnly);
    TVLActionEditor* holder = nullptr;
    TVLTableItemInfo* t = EditorOfControl(w.Edit)->FindCurrentTable(holder);
    ASSERT_EQ(t, w.T());
    SetSelectedCellsColor(holder, t, clLime);
    EXPECT_EQ(t->GetCell(0, 0)->Color, readOnly ? clNone : clLime);
    EXPECT_EQ(t->GetCell(0, 1)->Color, readOnly ? clNone : clLime);
    TColor common = clBlack;
    EXPECT_TRUE(GetSelectedCellsColor(t, common));
    EXPECT_EQ(common, readOnly ? clNone : clLime);
  }
}

TEST(TableAttributes, SpanTestsSeeTheMergedCellsOfTheSelectionOnly) {
  TTableWindow w;
  w.T()->MergeCells(0, 0, 2, 1);  // two columns in row 0
  w.Edit->Format();
  w.Settle();
  struct TCase {
    const char* Where;
    std::function<void()> Go;
    bool Rows, Cols;
  };
  const std::vector<TCase> cases = {
      {"nothing", [&] { w.CaretOutside(); }, false, false},
      {"merged cell", [&] { w.Click(0, 0); }, false, true},
      {"plain cell", [&] { w.Click(2, 2); }, false, false},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.Where);
    k.Go();
    EXPECT_EQ(TableSelectionHasRowSpan(w.T()), k.Rows);
    EXPECT_EQ(TableSelectionHasColSpan(w.T()), k.Cols);
  }
}

// Counts the paint events of a widget.
struct TPaintCounter : QObject {
  int Paints = 0;
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++Paints;
    return false;
  }
};

TEST(TableAttributes, TheGridToggleRepaintsEveryViewAndRestoresDottedLines) {
  TTableWindow one, two;
  TvlActionTableGrid grid(one.Form.get());
  const TPenStyle saved = TableGridDrawStyle;
  TableGridDrawStyle = psDash;
  TPaintCounter a, b;
  ClientWidgetOf(one.Edit)->installEventFilter(&a);
  ClientWidgetOf(two.Edit)->installEventFilter(&b);
  struct TStep {
    bool CheckedBefore;
    TPenStyle After;
  };
  for (const TStep& s : std::vector<TStep>{{true, psClear}, {false, psDot}}) {
    // Enabled without any editor having the focus.
    one.CaretOutside();
    EXPECT_TRUE(one.Enabled(grid));
    EXPECT_EQ(grid.GetChecked(), s.CheckedBefore);
    one.Settle();
    two.Settle();
    a.Paints = b.Paints = 0;
    grid.ExecuteTarget(nullptr);
    one.Settle();
    two.Settle();
    EXPECT_EQ(TableGridDrawStyle, s.After);
    EXPECT_GT(a.Paints, 0);
    EXPECT_GT(b.Paints, 0);
  }
  ClientWidgetOf(one.Edit)->removeEventFilter(&a);
  ClientWidgetOf(two.Edit)->removeEventFilter(&b);
  TableGridDrawStyle = saved;
}

}  // namespace


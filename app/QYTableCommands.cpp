// The main window's table commands: a Table menu after Insert, and Insert
// Table beside the picture and link buttons of the format bar.
#include "actions/VLActionsTable.h"
#include "app/QYMain.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/Menus.h"

#include <initializer_list>

void TformQuilloryMain::BuildTableCommands() {
  auto editing = [this](TvlCustomAction* a, const char* name) {
    a->SetName(name);
    a->SetActionList(ActionList);
    return a;
  };
  TvlCustomAction* insertTable = editing(new TvlActionInsertTable(this), "vlActionInsertTable");
  TvlCustomAction* rowsAbove = editing(new TvlActionTableInsertRowsAbove(this), "vlActionTableInsertRowsAbove");
  TvlCustomAction* rowsBelow = editing(new TvlActionTableInsertRowsBelow(this), "vlActionTableInsertRowsBelow");
  TvlCustomAction* colLeft = editing(new TvlActionTableInsertColLeft(this), "vlActionTableInsertColLeft");
  TvlCustomAction* colRight = editing(new TvlActionTableInsertColRight(this), "vlActionTableInsertColRight");
  TvlCustomAction* deleteRows = editing(new TvlActionTableDeleteRows(this), "vlActionTableDeleteRows");
  TvlCustomAction* deleteCols = editing(new TvlActionTableDeleteCols(this), "vlActionTableDeleteCols");
  TvlCustomAction* deleteTable = editing(new TvlActionTableDeleteTable(this), "vlActionTableDeleteTable");
  TvlCustomAction* merge = editing(new TvlActionTableMergeCells(this), "vlActionTableMergeCells");
  TvlCustomAction* split = editing(new TvlActionTableSplitCells(this), "vlActionTableSplitCells");
  TvlCustomAction* selectTable = editing(new TvlActionTableSelectTable(this), "vlActionTableSelectTable");
  TvlCustomAction* selectRows = editing(new TvlActionTableSelectRows(this), "vlActionTableSelectRows");
  TvlCustomAction* selectCols = editing(new TvlActionTableSelectCols(this), "vlActionTableSelectCols");
  TvlCustomAction* selectCell = editing(new TvlActionTableSelectCell(this), "vlActionTableSelectCell");
  TvlCustomAction* top = editing(new TvlActionTableCellVAlignTop(this), "vlActionTableCellVAlignTop");
  TvlCustomAction* middle = editing(new TvlActionTableCellVAlignMiddle(this), "vlActionTableCellVAlignMiddle");
  TvlCustomAction* bottom = editing(new TvlActionTableCellVAlignBottom(this), "vlActionTableCellVAlignBottom");
  TvlCustomAction* defaultAlign = editing(new TvlActionTableCellVAlignDefault(this), "vlActionTableCellVAlignDefault");
  TvlCustomAction* leftBorder = editing(new TvlActionTableCellLeftBorder(this), "vlActionTableCellLeftBorder");
  TvlCustomAction* rightBorder = editing(new TvlActionTableCellRightBorder(this), "vlActionTableCellRightBorder");
  TvlCustomAction* topBorder = editing(new TvlActionTableCellTopBorder(this), "vlActionTableCellTopBorder");
  TvlCustomAction* bottomBorder = editing(new TvlActionTableCellBottomBorder(this), "vlActionTableCellBottomBorder");
  TvlCustomAction* allBorders = editing(new TvlActionTableCellAllBorders(this), "vlActionTableCellAllBorders");
  TvlCustomAction* noBorders = editing(new TvlActionTableCellNoBorders(this), "vlActionTableCellNoBorders");
  TvlCustomAction* properties = editing(new TvlActionTableProperties(this), "vlActionTableProperties");
  TvlCustomAction* grid = editing(new TvlActionTableGrid(this), "vlActionTableGrid");

  auto menu = [](TMenuItem* parent, const char* caption) {
    auto* m = new TMenuItem(nullptr);
    m->SetCaption(caption);
    parent->Add(m);
    return m;
  };
  auto items = [](TMenuItem* parent, std::initializer_list<TBasicAction*> actions) {
    for (TBasicAction* a : actions) {
      auto* m = new TMenuItem(nullptr);
      if (a) m->SetAction(a);
      else m->SetCaption("-");
      parent->Add(m);
    }
  };
  // Alt+T is the Today command's: the menu takes A. The alignment and
  // border commands share their letters, so each family has a submenu.
  auto* table = new TMenuItem(nullptr);
  table->SetCaption("T&able");
  TMenuItem* root = MainMenu->Items();
  int at = root->Count();
  for (int i = 0; i < root->Count(); ++i)
    if (root->Items(i)->GetCaption() == "&Insert") at = i + 1;
  root->Insert(at, table);
  items(table, {insertTable, nullptr, rowsAbove, rowsBelow, colLeft, colRight, nullptr, deleteRows, deleteCols,
                deleteTable, nullptr, merge, split, nullptr, selectTable, selectRows, selectCols, selectCell,
                nullptr});
  items(menu(table, "Vertical Alig&nment"), {top, middle, bottom, defaultAlign});
  items(menu(table, "&Visible Borders"), {leftBorder, rightBorder, topBorder, bottomBorder, allBorders, noBorders});
  items(table, {nullptr, properties, grid});
}

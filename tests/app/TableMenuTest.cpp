// The journal window's Table menu: where its commands stand, and a table
// made, shaped and undone in an entry through it (and none in a read-only one).
#include "MainWindowJournalSupport.h"

#include "actions/InsTableVLFrm.h"
#include "actions/VLActionsTable.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Menus.h"
#include "richtext/table/VLCellEditor.h"

#include <gtest/gtest.h>

namespace {

using qytest::TMainJournalWorld;

// The actions of a menu, "-" for a line, "[caption]" for a submenu
// followed by its actions.
std::vector<String> Actions(TMenuItem* menu) {
  std::vector<String> names;
  for (int k = 0; k < menu->Count(); ++k) {
    TMenuItem* item = menu->Items(k);
    if (item->Count() > 0) {
      names.push_back("[" + item->GetCaption() + "]");
      for (const String& n : Actions(item)) names.push_back(n);
    } else {
      names.push_back(item->GetAction() ? item->GetAction()->GetName() : String("-"));
    }
  }
  return names;
}

TEST(TableMenu, StandsAfterInsertWithEveryTableCommand) {
  TMainJournalWorld world;
  TMenuItem* root = world.Main->MainMenu->Items();
  int insert = -1, table = -1;
  for (int i = 0; i < root->Count(); ++i) {
    if (root->Items(i)->GetCaption() == "&Insert") insert = i;
    if (root->Items(i)->GetCaption() == "T&able") table = i;
  }
  ASSERT_GE(insert, 0);
  ASSERT_EQ(table, insert + 1);
  EXPECT_EQ(Actions(root->Items(table)),
            (std::vector<String>{"vlActionInsertTable", "-", "vlActionTableInsertRowsAbove",
                                 "vlActionTableInsertRowsBelow", "vlActionTableInsertColLeft",
                                 "vlActionTableInsertColRight", "-", "vlActionTableDeleteRows",
                                 "vlActionTableDeleteCols", "vlActionTableDeleteTable", "-",
                                 "vlActionTableMergeCells", "vlActionTableSplitCells", "-",
                                 "vlActionTableSelectTable", "vlActionTableSelectRows", "vlActionTableSelectCols",
                                 "vlActionTableSelectCell", "-", "[Vertical Alig&nment]",
                                 "vlActionTableCellVAlignTop", "vlActionTableCellVAlignMiddle",
                                 "vlActionTableCellVAlignBottom", "vlActionTableCellVAlignDefault",
                                 "[&Visible Borders]", "vlActionTableCellLeftBorder", "vlActionTableCellRightBorder",
                                 "vlActionTableCellTopBorder", "vlActionTableCellBottomBorder",
                                 "vlActionTableCellAllBorders", "vlActionTableCellNoBorders", "-",
                                 "vlActionTableProperties", "vlActionTableGrid"}));
  // Captions from the language table.
  auto* insertTable = dynamic_cast<TCustomAction*>(world.Main->FindComponent("vlActionInsertTable"));
  ASSERT_NE(insertTable, nullptr);
  EXPECT_EQ(insertTable->GetCaption(), "&Insert Table...");
}

TEST(TableMenu, ATableMadeInAnEntryMarksItChangedAndUndoesInOneStep) {
  TMainJournalWorld world;
  TOpenJournal* j = world.OpenWindow("Diary", 0);
  TVellumEdit* e = TMainJournalWorld::Editor(j);
  e->InsertText("reading log");
  world.Main->Show();
  j->EditorWindow->FocusEditor();
  Application->ProcessMessages();
  j->Document->Modified = false;
  auto* insert = dynamic_cast<TCustomAction*>(world.Main->FindComponent("vlActionInsertTable"));
  auto* below = dynamic_cast<TCustomAction*>(world.Main->FindComponent("vlActionTableInsertRowsAbove"));
  ASSERT_NE(insert, nullptr);
  ASSERT_NE(below, nullptr);
  TInteractionScript script;
  script.Do([](TInteraction& r) {
    auto* f = dynamic_cast<TfrmInsTable*>(r.Form);
    EXPECT_NE(f, nullptr);
    if (f) {
      f->SetRows(3);
      f->SetColumns(4);
    }
    return mrOk;
  });
  insert->Update();
  ASSERT_TRUE(insert->GetEnabled());
  ASSERT_TRUE(insert->Execute());
  Application->ProcessMessages();
  TVLTableItemInfo* table = nullptr;
  for (Integer i = 0; i < e->ItemCount(); ++i)
    if (auto* t = dynamic_cast<TVLTableItemInfo*>(e->GetItem(i))) table = t;
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->RowCount(), 3);
  EXPECT_EQ(table->ColCount(), 4);
  EXPECT_TRUE(j->Document->Modified);
  // The caret is in the first cell: the row commands apply there.
  ASSERT_NE(table->GetInplaceEditor(), nullptr);
  table->GetInplaceEditor()->SetFocus();
  Application->ProcessMessages();
  below->Update();
  ASSERT_TRUE(below->GetEnabled());
  ASSERT_TRUE(below->Execute());
  EXPECT_EQ(table->RowCount(), 4);
  e->Undo();
  Application->ProcessMessages();
  EXPECT_EQ(table->RowCount(), 3);
  // In a read-only entry Insert Table is greyed as the other commands that
  // would change the entry are: no dialog that leads to nothing; reached
  // all the same, it says why.
  e->SetReadOnly(true);
  insert->Update();
  EXPECT_FALSE(insert->GetEnabled());
  TInteractionScript told;
  told.Answer(IDOK);
  insert->Execute();
  Application->ProcessMessages();
  ASSERT_EQ(told.Shown.size(), 1u) << "a dialog was offered";
  EXPECT_EQ(told.Shown[0].Kind, TInteractionKind::MessageBox);
  EXPECT_EQ(told.Shown[0].Text, "This entry is read-only: nothing can be inserted into it.");
  e->SetReadOnly(false);
}

}  // namespace

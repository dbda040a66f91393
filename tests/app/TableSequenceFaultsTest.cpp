// What random sequences of table commands in the journal window found, each
// replayed as its user does it (menu commands, keys, clicks): a table gone
// with its rows leaves the entry's editor working, a selected cell takes
// the typing, Find from the top reaches every cell, also after a block of
// cells was selected.
#include "TableWindowSupport.h"
#include "WindowSeamSupport.h"

#include "actions/VLActionsFind.h"
#include "platform/gui/CommonDialogs.h"
#include "richtext/table/VLCellEditor.h"

#include <QDialog>
#include <QLineEdit>
#include <QMouseEvent>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace {

using qytest::DocumentText;
using qytest::TWindowSeam;

size_t Tables(const std::string& shown) { return static_cast<size_t>(std::count(shown.begin(), shown.end(), '[')); }

struct TTableSteps : qytest::TMouseOn<TWindowSeam> {
  TTableSteps() {
    J = OpenWindow("Diary", 0);
    ShowActive();
    J->EditorWindow->FocusEditor();
    Settle();
  }
  TVellumEdit* Edit() const { return Editor(J); }
  std::string Shown() const { return DocumentText(*Edit()->VLData()); }
  TCustomVellumEdit* Innermost() const { return Edit()->GetInnermostEditor(); }
  size_t CellEditors() const { return qytest::CellEditorChain(Edit()).size(); }
  // The keyboard reaches the editor the caret is in.
  bool KeysToInnermost() const {
    QWidget* target = KeyTarget();
    QWidget* inner = WidgetOf(Innermost());
    return target && inner && (target == inner || inner->isAncestorOf(target));
  }

  // Typed key by key, each where the keyboard is when it comes (the first
  // key over a selected cell opens the cell's editor, which takes the rest).
  bool TypeEach(const std::string& utf8) {
    const QString text = QString::fromUtf8(utf8.c_str());
    for (const QChar ch : text)
      if (!Type(QString(ch).toStdString())) return false;
    return true;
  }

  // A press and a release on the entry's first line, outside the tables
  // (sent apart: a press may free the widget under it).
  bool ClickFirstLine() {
    TVLEditVLData* d = Edit()->EditData();
    if (d->DrawItems.Count() == 0) return false;
    const TVLDrawLineInfo* item = d->DrawItems[0];
    QWidget* surface = ClientWidgetOf(Edit());
    const QPoint at(item->Left - d->GetHOffset() + 3, item->Top - d->GetVOffset() + 3);
    QTest::mousePress(surface, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(surface, Qt::LeftButton, Qt::NoModifier, at);
    return Settle();
  }
  // Edit > Find with the word, Find Next by Enter; false when "not found"
  // is shown. The find window stays open.
  bool FindNext(const std::string& word) {
    TInteractionHook* answers = SetInteractionHook(nullptr);
    const bool shown = Menu("vlActionFind");
    SetInteractionHook(answers);
    auto* f = dynamic_cast<TvlActionFind*>(Main->FindComponent("vlActionFind"));
    TFindDialog* dlg = f ? f->FindDialog() : nullptr;
    if (!shown || !dlg || !dlg->FWindow->Dialog) return false;
    dlg->FWindow->Find->setText(QString::fromUtf8(word.c_str()));
    dlg->FindText = word;
    if (!Activate(dlg->FWindow->Dialog)) return false;
    dlg->FWindow->Find->setFocus();
    Settle();
    TInteractionScript script;
    script.Answer(IDOK);
    if (!Key(Qt::Key_Return)) return false;
    const bool found = script.Shown.empty();
    dlg->CloseDialog();
    Settle();
    return found && Activate(Window());
  }

  // The mouse on a cell of the entry's first table, as the toolkit
  // delivers it.
  QPoint OuterCell(Integer row, Integer col) const {
    return qytest::CellPointOnScreen(Edit(), qytest::FirstTableIn(Edit()), row, col);
  }
  // A match found `depth` tables deep: selected in the innermost of as
  // many cell editors, the keyboard there, and text typed after the find
  // window closed replaces it there, not in an outer cell.
  void ExpectTypingReplacesMatch(const std::string& word, size_t depth) {
    EXPECT_EQ(CellEditors(), depth);
    EXPECT_EQ(WideToUtf8(Innermost()->GetSelTextW()), word);
    EXPECT_TRUE(KeysToInnermost());
    ASSERT_TRUE(Type("Zürich"));
    EXPECT_EQ(DocumentText(*Innermost()->VLData()), "Zürich") << Shown();
    const std::string shown = Shown();
    EXPECT_EQ(shown.find(word), std::string::npos) << shown;
    EXPECT_EQ(std::count(shown.begin(), shown.end(), 'Z'), 1) << shown;
  }
  // A block of cells is selected in a table of the open editors.
  bool CellsSelected() const {
    std::vector<TCustomVellumEdit*> editors{Edit()};
    for (TVLTableInplaceEdit* e : qytest::CellEditorChain(Edit())) editors.push_back(e);
    for (TCustomVellumEdit* e : editors) {
      TVLTableItemInfo* t = qytest::FirstTableIn(e);
      for (Integer r = 0; t && r < t->RowCount(); ++r)
        for (Integer c = 0; c < t->ColCount(); ++c)
          if (t->IsCellSelected(r, c)) return true;
    }
    return false;
  }

  TOpenJournal* J = nullptr;
};

// A table whose every row is selected (by Select Table, or by Select Rows
// in a one-row table), then Delete Rows: the table goes, and the editor it
// was in (the entry's, or the cell editor of an outer table) types and takes
// a new table as before.
TEST(TableSequenceFaults, DeletingEveryRowLeavesTheEditorWorking) {
  struct Case {
    const char* name;
    Integer rows;
    const char* select;
    bool nested;
  };
  const Case cases[] = {{"Select Table in 2x2", 2, "vlActionTableSelectTable", false},
                        {"Select Rows in 1x2", 1, "vlActionTableSelectRows", false},
                        {"Select Table in 2x2 in a cell", 2, "vlActionTableSelectTable", true}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TTableSteps w;
    ASSERT_TRUE(w.Type("Before"));
    ASSERT_TRUE(w.Key(Qt::Key_Return));
    if (k.nested) {
      ASSERT_TRUE(w.InsertTable(1, 2));
    }
    ASSERT_TRUE(w.InsertTable(k.rows, 2));
    ASSERT_TRUE(w.Type("cell"));
    ASSERT_TRUE(w.Menu(k.select));
    ASSERT_TRUE(w.Menu("vlActionTableDeleteRows"));
    const size_t outer = k.nested ? 1 : 0;
    EXPECT_EQ(Tables(w.Shown()), outer) << w.Shown();
    EXPECT_EQ(w.CellEditors(), k.nested ? 1u : 0u);
    EXPECT_TRUE(w.KeysToInnermost());
    ASSERT_TRUE(w.Type("typed"));
    EXPECT_NE(w.Shown().find("typed"), std::string::npos) << w.Shown();
    ASSERT_TRUE(w.InsertTable(1, 1)) << "Insert Table is refused";
    EXPECT_EQ(Tables(w.Shown()), outer + 1) << w.Shown();
    // Undoing brings the deleted table back whole.
    for (int i = 0; i < 12 && w.Shown().find("cell") == std::string::npos; ++i)
      if (!w.Menu("vlActionUndo")) break;
    EXPECT_EQ(Tables(w.Shown()), outer + 1) << w.Shown();
    EXPECT_NE(w.Shown().find("cell"), std::string::npos) << w.Shown();
  }
}

// Table > Select Cell, then typing: the text goes into the selected cell,
// after what it holds, also when a table in that cell was just deleted by
// its rows.
TEST(TableSequenceFaults, TypingAfterSelectCellGoesIntoTheCell) {
  for (const bool emptiedCell : {false, true}) {
    SCOPED_TRACE(emptiedCell ? "after a table in the cell went with its rows" : "plain cell");
    TTableSteps w;
    ASSERT_TRUE(w.InsertTable(2, 2));
    ASSERT_TRUE(w.Type("a1"));
    if (emptiedCell) {
      ASSERT_TRUE(w.InsertTable(2, 2));
      ASSERT_TRUE(w.Menu("vlActionTableSelectTable"));
      ASSERT_TRUE(w.Menu("vlActionTableDeleteRows"));
      ASSERT_EQ(Tables(w.Shown()), 1u) << w.Shown();
    }
    ASSERT_TRUE(w.Menu("vlActionTableSelectCell"));
    ASSERT_TRUE(w.TypeEach("don’t "));
    EXPECT_EQ(w.CellEditors(), 1u);
    EXPECT_TRUE(w.KeysToInnermost());
    EXPECT_EQ(w.Shown(), emptiedCell ? "[a1|don’t ///]" : "[a1don’t ///]");
  }
}

// A word only in a table nested in a cell of a table (two and three
// deep), searched from the entry's start: it is found, selected in the
// cell editor the caret went to, and typing replaces it there.
TEST(TableSequenceFaults, FindFromTheTopReachesTablesInCells) {
  for (const int depth : {2, 3}) {
    SCOPED_TRACE("depth " + std::to_string(depth));
    TTableSteps w;
    ASSERT_TRUE(w.Type("Before café"));
    ASSERT_TRUE(w.Key(Qt::Key_Return));
    ASSERT_TRUE(w.Type("After"));
    ASSERT_TRUE(w.Key(Qt::Key_Home));
    for (int level = 1; level <= depth; ++level) {
      ASSERT_TRUE(w.InsertTable(2, 2));
      ASSERT_TRUE(w.Type(level == depth ? "Łódź" : "café"));
      ASSERT_TRUE(w.Key(Qt::Key_Tab));
      ASSERT_TRUE(w.Type("don’t"));
      ASSERT_TRUE(w.Key(Qt::Key_Tab));
    }
    ASSERT_TRUE(w.ClickFirstLine());
    ASSERT_TRUE(w.Key(Qt::Key_Home, Qt::ControlModifier));
    ASSERT_EQ(w.CellEditors(), 0u);
    ASSERT_TRUE(w.FindNext("Łódź")) << "not found in " << w.Shown();
    w.ExpectTypingReplacesMatch("Łódź", static_cast<size_t>(depth));
  }
}

// The entry starts with a table (the word in the first cell of a table one
// to three deep), cells are selected after it was edited, and Ctrl+Home:
// Find no longer goes on from the cell edited last, past the word. It finds
// it, and typing replaces it. The cells are selected in the entry's table
// each way a user has, and by Select Table in the innermost one (Ctrl+Home
// then goes to the start of the cell that holds it).
TEST(TableSequenceFaults, FindAfterACellSelectionReachesEveryCell) {
  struct Way {
    const char* name;
    std::function<bool(TTableSteps&)> select;
  };
  auto clickThen = [](const char* command) {
    return [command](TTableSteps& w) { return w.ClickAt(w.OuterCell(1, 1)) && w.Menu(command); };
  };
  const Way ways[] = {
      {"Select Table", clickThen("vlActionTableSelectTable")},
      {"Select Cell", clickThen("vlActionTableSelectCell")},
      {"drag", [](TTableSteps& w) { return w.DragBetween(w.OuterCell(1, 0), w.OuterCell(1, 1)); }},
      {"Shift+click",
       [](TTableSteps& w) { return w.ClickAt(w.OuterCell(1, 0)) && w.ClickAt(w.OuterCell(1, 1), Qt::ShiftModifier); }},
      {"Select Table in the innermost", [](TTableSteps& w) { return w.Menu("vlActionTableSelectTable"); }},
  };
  for (const Way& way : ways)
    for (const int depth : {1, 2, 3}) {
      SCOPED_TRACE(std::string(way.name) + ", depth " + std::to_string(depth));
      TTableSteps w;
      for (int level = 1; level <= depth; ++level) ASSERT_TRUE(w.InsertTable(2, 2));
      ASSERT_TRUE(w.Type("Łódź"));
      ASSERT_TRUE(w.Key(Qt::Key_Tab));
      ASSERT_TRUE(w.Type("don’t"));
      ASSERT_TRUE(way.select(w));
      ASSERT_TRUE(w.CellsSelected()) << w.Shown();
      ASSERT_TRUE(w.Key(Qt::Key_Home, Qt::ControlModifier));
      const bool found = w.FindNext("Łódź");
      EXPECT_TRUE(found) << "not found in " << w.Shown();
      if (found) w.ExpectTypingReplacesMatch("Łódź", static_cast<size_t>(depth));
    }
}

}  // namespace

// What random sequences of table commands in the journal window found, each
// replayed as its user does it (menu commands, keys, clicks): a table gone
// with its rows leaves the entry's editor working, a selected cell takes
// the typing.
#include "WindowSeamSupport.h"

#include "richtext/table/VLCellEditor.h"

#include <QMouseEvent>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using qytest::DocumentText;
using qytest::TWindowSeam;

size_t Tables(const std::string& shown) { return static_cast<size_t>(std::count(shown.begin(), shown.end(), '[')); }

struct TTableSteps : TWindowSeam {
  TTableSteps() {
    J = OpenWindow("Diary", 0);
    ShowActive();
    J->EditorWindow->FocusEditor();
    Settle();
  }
  TVellumEdit* Edit() const { return Editor(J); }
  std::string Shown() const { return DocumentText(*Edit()->VLData()); }
  TCustomVellumEdit* Innermost() const { return Edit()->GetInnermostEditor(); }
  size_t CellEditors() const {
    size_t n = 0;
    for (TCustomVellumEdit* e = Edit(); (e = dynamic_cast<TCustomVellumEdit*>(e->GetInplaceEditor()));) ++n;
    return n;
  }
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

}  // namespace

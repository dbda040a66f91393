// What random sequences of table commands in the journal window found, each
// replayed as its user does it (menu commands, keys, clicks): a table gone
// with its rows leaves the entry's editor working, a selected cell takes
// the typing, Find from the top reaches every cell, also after a block of
// cells was selected, and upward from the end the cell beside a tall one, a drag that closed the cell editor it began in leaves
// the entry editable, text after a table keeps its paragraph when what lay
// between them goes (also its first item or a line break), undo and redo of a table command bring the caret back
// to its cell, a drag back into its own cell leaves the keys there, a block
// of cells gone with its editor is not painted, an error in a save keeps the
// stored entry, a changed text style and a reading of the entry lay out
// every nested cell as the window showed it, and a table or a line put at
// the start of a bulleted line of a cell is undone once the cell was left,
// also after the journal was hidden and opened again, and a right click on
// the edge of the edited cell leaves no freed editor under the press.
#include "TableWindowSupport.h"
#include "WindowSeamSupport.h"

#include "actions/FontVLFrm.h"
#include "actions/IntegerVLFrm.h"
#include "actions/SplitVLFrm.h"
#include "actions/VLActionsFind.h"
#include "app/QYAutoSave.h"
#include "app/QYPreferences.h"
#include "platform/gui/CommonDialogs.h"
#include "richtext/model/VLMarkers.h"
#include "richtext/table/VLCellEditor.h"

#include <QDialog>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QRadioButton>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace {

using qytest::DocumentText;
using qytest::TWindowSeam;

size_t Tables(const std::string& shown) { return static_cast<size_t>(std::count(shown.begin(), shown.end(), '[')); }

struct TTableSteps : qytest::TMouseOn<qytest::TDiaryWindow> {
  size_t CellEditors() const { return qytest::CellEditorChain(Edit()).size(); }
  // "Before", then a rows x cols table (inside the cell of a 1 x 2 table when
  // nested) whose first two cells hold the given words.
  bool BeforeAndTable(bool nested, int rows, int cols, const char* first, const char* second) {
    return Type("Before") && Key(Qt::Key_Return) && (!nested || InsertTable(1, 2)) && InsertTable(rows, cols) &&
           Type(first) && Key(Qt::Key_Tab) && Type(second);
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
  // Edit > Find with the word (upward by its access key when asked), Find
  // Next by Enter; false when "not found" is shown. The find window stays
  // open.
  bool FindNext(const std::string& word, bool up = false) {
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
    if (up) {
      qytest::WindowKeyClick(dlg->FWindow->Dialog->windowHandle(), Qt::Key_U, Qt::AltModifier);
      Settle();
      if (!dlg->FWindow->Up || !dlg->FWindow->Up->isChecked()) return false;
    }
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
  // The timer's tick, its save minutes run out: the entry saved as the
  // program saves it by itself. An error is kept where the program would
  // show it and end.
  bool AutomaticSave() {
    ProfileSettings.AutoSaveOn = true;
    ProfileSettings.AutoSaveInterval = 1;
    LastSaveTime = Now() - 2.0 / (24 * 60);
    if (!RecordingErrors) {
      Application->OnException = [this](TObject*, const Exception& e) { Escaped += std::string(e.what()) + "; "; };
      RecordingErrors = true;
    }
    GuardedCall([] { AutomaticSaveTimer->Fire(); });
    return Settle();
  }
  // Table > Split Cells into that many columns.
  bool SplitColumns(Integer columns) {
    TInteractionScript script;
    script.Do([=](TInteraction& r) {
      auto* f = dynamic_cast<TfrmVLSplit*>(r.Form);
      if (!f) return static_cast<int>(mrCancel);
      f->rbSplit->SetChecked(true);
      f->seColumns->SetValue(columns);
      f->seRows->SetValue(1);
      if (f->cbMerge->GetEnabled()) f->cbMerge->SetChecked(false);
      return static_cast<int>(mrOk);
    });
    return Menu("vlActionTableSplitCells") && script.Pending() == 0;
  }
  // Tables nested `depth` deep, each in the first cell of the one before,
  // the caret in the innermost.
  bool NestTables(int depth) {
    for (int level = 1; level <= depth; ++level)
      if (!InsertTable(2, 2)) return false;
    return CellEditors() == static_cast<size_t>(depth);
  }

  // Cells painted as selected anywhere in the entry, tables in cells
  // included.
  static size_t PaintedSelected(TCustomVLData& d) {
    size_t n = 0;
    for (Integer i = 0; i < d.GetItemCount(); ++i)
      if (auto* t = dynamic_cast<TVLTableItemInfo*>(d.GetItem(i)))
        for (Integer r = 0; r < t->RowCount(); ++r)
          for (Integer c = 0; c < t->ColCount(); ++c)
            if (TVLTableCellData* cell = t->GetCell(r, c))
              n += (cell->Selected ? 1 : 0) + PaintedSelected(*cell->GetVLData());
    return n;
  }
  // A press in one point, the mouse over the others in turn, the release
  // at the last.
  bool DragThrough(const std::vector<QPoint>& points) {
    if (!Mouse(QEvent::MouseButtonPress, points.front())) return false;
    for (size_t i = 1; i < points.size(); ++i)
      for (int k = 1; k <= 3; ++k)
        if (!Mouse(QEvent::MouseMove, points[i - 1] + (points[i] - points[i - 1]) * k / 3)) return false;
    return Mouse(QEvent::MouseButtonRelease, points.back());
  }

  // Lines of the cells of every table of a document, tables in cells
  // included (each cell as shown: in its editor while one is open on it),
  // that are not laid out in the style's present size (their height is not
  // lineHeight) or run past the right edge of their cell.
  static std::vector<std::string> StaleCellLines(TCustomVLData& d, Integer lineHeight) {
    std::vector<std::string> stale;
    for (Integer i = 0; i < d.GetItemCount(); ++i)
      if (auto* t = dynamic_cast<TVLTableItemInfo*>(d.GetItem(i)))
        for (Integer r = 0; r < t->RowCount(); ++r)
          for (Integer c = 0; c < t->ColCount(); ++c) {
            TVLTableCellData* cell = t->GetCell(r, c);
            if (!cell) continue;
            auto* shown = dynamic_cast<TCustomVLFormattedData*>(cell->GetVLData());
            for (Integer k = 0; shown && k < shown->DrawItems.Count(); ++k) {
              const TVLDrawLineInfo* line = shown->DrawItems[k];
              if (shown->GetItem(line->ItemNo)->StyleNo < 0) continue;
              if (line->Height != lineHeight || line->Left + line->Width > cell->Width)
                stale.push_back(DocumentText(*shown) + ": a line " + std::to_string(line->Height) + " high, " +
                                std::to_string(line->Left + line->Width) + " of " + std::to_string(cell->Width) +
                                " wide");
            }
            for (const std::string& inner : StaleCellLines(*cell->GetVLData(), lineHeight)) stale.push_back(inner);
          }
    return stale;
  }
  // The column widths of every table of a document as laid out, tables in
  // cells included: "[w w [w w]]".
  static std::string ColumnWidths(TCustomVLData& d) {
    std::string out;
    for (Integer i = 0; i < d.GetItemCount(); ++i)
      if (auto* t = dynamic_cast<TVLTableItemInfo*>(d.GetItem(i))) {
        out += "[";
        for (const Integer w : t->FormattingInfo.ColWidths) out += std::to_string(w) + " ";
        for (Integer r = 0; r < t->RowCount(); ++r)
          for (Integer c = 0; c < t->ColCount(); ++c)
            if (TVLTableCellData* cell = t->GetCell(r, c)) out += ColumnWidths(*cell->GetVLData());
        out += "]";
      }
    return out;
  }
  // File > Hide (the entry saved, the cover shown), then Open on the
  // cover: the journal is back as it was left, the keyboard in its entry.
  bool HideAndOpen() {
    if (!Menu("ActionHide") || ScreenMode != smCover) return false;
    QTest::mouseClick(WidgetOf(Main->pbOpenQuillory), Qt::LeftButton);
    if (!Settle() || ScreenMode != smOpen || !Activate(Window())) return false;
    J->EditorWindow->FocusEditor();
    return Settle();
  }
  // Ctrl+Z till no open editor has anything left to undo (false when that
  // never comes).
  bool UndoEverything() {
    auto left = [this] {
      if (Edit()->GetUndoType() != vlutNone) return true;
      for (TVLTableInplaceEdit* e : qytest::CellEditorChain(Edit()))
        if (e->GetUndoType() != vlutNone) return true;
      return false;
    };
    for (int i = 0; i < 24 && left(); ++i)
      if (!Key(Qt::Key_Z, Qt::ControlModifier)) return false;
    return !left();
  }

  // The height of the entry's first line, in the entry's first style.
  Integer FirstLineHeight() const { return Edit()->EditData()->DrawItems[0]->Height; }

  // Errors that reached the application while recorded (AutomaticSave).
  std::string Escaped;
  bool RecordingErrors = false;

  // The entry as stored for its day, read back.
  std::string Stored() { return StoredFor(J->JournalID, J->EntryDate); }
  // The same once the journal was closed.
  std::string StoredFor(Integer journalId, double day) {
    const String blob = StoredBlob(journalId, std::floor(day));
    TEntryDocument doc;
    TMemoryStream s;
    s.Write(blob.data(), static_cast<Int64>(blob.size()));
    s.Seek(0, soBeginning);
    if (blob.empty() || !doc.LoadVLF(s)) return "nothing stored";
    return DocumentText(doc.Data);
  }

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

// A table whose right column is one cell over both rows: its bottom-left
// cell is the last one in reading order, after the tall one. Find upward
// from the entry's end (Ctrl+End) reaches a word there, in the cell itself
// or in a table nested in it; it is selected and typing replaces it.
TEST(TableSequenceFaults, FindUpFromTheEndReachesTheCellBesideATallOne) {
  for (const bool nested : {false, true}) {
    SCOPED_TRACE(nested ? "in a nested table" : "in the cell");
    TTableSteps w;
    ASSERT_TRUE(w.Type("Before café"));
    ASSERT_TRUE(w.Key(Qt::Key_Return));
    ASSERT_TRUE(w.Type("After"));
    ASSERT_TRUE(w.Key(Qt::Key_Home));
    ASSERT_TRUE(w.InsertTable(2, 2));
    ASSERT_TRUE(w.Type("café"));
    ASSERT_TRUE(w.Key(Qt::Key_Tab));
    ASSERT_TRUE(w.Type("don’t"));
    ASSERT_TRUE(w.Key(Qt::Key_Tab));
    if (nested) {
      ASSERT_TRUE(w.InsertTable(2, 2));
    }
    ASSERT_TRUE(w.Type("Łódź"));
    ASSERT_TRUE(w.ClickAt(w.OuterCell(0, 1)));
    ASSERT_TRUE(w.ClickAt(w.OuterCell(1, 1), Qt::ShiftModifier));
    ASSERT_TRUE(w.Menu("vlActionTableMergeCells"));
    TVLTableItemInfo* t = qytest::FirstTableIn(w.Edit());
    ASSERT_TRUE(t && t->GetCell(0, 1) && !t->GetCell(1, 1) && t->GetCell(1, 0)) << w.Shown();
    ASSERT_TRUE(w.ClickFirstLine());
    ASSERT_TRUE(w.Key(Qt::Key_End, Qt::ControlModifier));
    ASSERT_EQ(w.CellEditors(), 0u);
    const bool found = w.FindNext("Łódź", true);
    EXPECT_TRUE(found) << "not found in " << w.Shown();
    if (found) w.ExpectTypingReplacesMatch("Łódź", nested ? 2 : 1);
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

// A drag begun in a cell of a table nested in a cell goes over another
// cell (of that table, or of the outer one) and ends off the entry, on its
// window's title: the block of cells closes the cell editor that took the
// press, yet every table that followed the drag hears the release, and
// the keys typed next go into the block's cell.
TEST(TableSequenceFaults, DragThatClosedItsCellEditorLeavesTheEntryEditable) {
  for (const bool toOuter : {false, true}) {
    SCOPED_TRACE(toOuter ? "to a cell of the outer table" : "to a cell of the nested table");
    TTableSteps w;
    ASSERT_TRUE(w.Type("Before"));
    ASSERT_TRUE(w.Key(Qt::Key_Return));
    ASSERT_TRUE(w.InsertTable(2, 2));
    ASSERT_TRUE(w.InsertTable(2, 2));
    ASSERT_TRUE(w.Type("in"));
    const std::vector<TVLTableInplaceEdit*> chain = qytest::CellEditorChain(w.Edit());
    ASSERT_EQ(chain.size(), 2u);
    TVLTableItemInfo* outer = qytest::FirstTableIn(w.Edit());
    TVLTableItemInfo* nested = qytest::FirstTableIn(chain[0]);
    ASSERT_TRUE(outer && nested);
    const QPoint from = qytest::CellPointOnScreen(chain[0], nested, 0, 0);
    const QPoint to = toOuter ? qytest::CellPointOnScreen(w.Edit(), outer, 1, 1)
                              : qytest::CellPointOnScreen(chain[0], nested, 1, 1);
    QMdiSubWindow* frame = nullptr;
    for (QWidget* p = WidgetOf(w.Edit()); p && !frame; p = p->parentWidget()) frame = qobject_cast<QMdiSubWindow*>(p);
    ASSERT_NE(frame, nullptr);
    const QPoint title = frame->mapToGlobal(QPoint(frame->width() / 2, 4));
    ASSERT_NE(frame->childAt(frame->mapFromGlobal(title)), WidgetOf(w.Edit()));
    qytest::TMouseGrab mouse;
    mouse.Send(w.Window(), QEvent::MouseButtonPress, from);
    mouse.Send(w.Window(), QEvent::MouseMove, (from + to) / 2);
    mouse.Send(w.Window(), QEvent::MouseMove, to);
    mouse.Send(w.Window(), QEvent::MouseMove, title);
    mouse.Send(w.Window(), QEvent::MouseButtonRelease, title);
    ASSERT_TRUE(w.Settle());
    EXPECT_LT(w.CellEditors(), 2u) << "the drag made no block of cells";
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    for (TCustomVellumEdit* e = w.Edit(); e; e = dynamic_cast<TCustomVellumEdit*>(e->GetInplaceEditor()))
      EXPECT_EQ(e->EditData()->CaptureMouseItem, nullptr) << "a table still holds the mouse";
    ASSERT_TRUE(w.TypeEach("typed"));
    EXPECT_NE(w.Shown().find("typed"), std::string::npos) << w.Shown();
  }
}

// The start of the paragraph after a table selected from the table's end
// (Shift+Left over its first letters and the break), then the selection
// typed over, deleted or cut: the rest stays a paragraph of its own, as
// a table stands alone, and the entry saved reads back as shown.
TEST(TableSequenceFaults, TextAfterATableKeepsItsParagraph) {
  struct Case {
    const char* name;
    const char* shown;
  };
  const Case cases[] = {{"typed over", "Before|[cell/]|Łter"},
                        {"Backspace", "Before|[cell/]|ter"},
                        {"Delete", "Before|[cell/]|ter"},
                        {"Edit > Cut", "Before|[cell/]|ter"}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TTableSteps w;
    ASSERT_TRUE(w.Type("Before"));
    ASSERT_TRUE(w.Key(Qt::Key_Return));
    ASSERT_TRUE(w.Type("After"));
    ASSERT_TRUE(w.Key(Qt::Key_Home));
    ASSERT_TRUE(w.InsertTable(1, 2));
    ASSERT_TRUE(w.Type("cell"));
    ASSERT_TRUE(w.Key(Qt::Key_End, Qt::ControlModifier));
    ASSERT_EQ(w.CellEditors(), 0u);
    ASSERT_TRUE(w.Key(Qt::Key_Home));
    ASSERT_TRUE(w.Keys(Qt::Key_Right, 2));
    ASSERT_TRUE(w.Keys(Qt::Key_Left, 3, Qt::ShiftModifier));
    ASSERT_EQ(w.Shown(), "Before|[cell/]|After");
    const std::string name = k.name;
    if (name == "typed over")
      ASSERT_TRUE(w.Type("Ł"));
    else if (name == "Backspace")
      ASSERT_TRUE(w.Key(Qt::Key_Backspace));
    else if (name == "Delete")
      ASSERT_TRUE(w.Key(Qt::Key_Delete));
    else
      ASSERT_TRUE(w.Menu("vlActionCut"));
    EXPECT_EQ(w.Shown(), k.shown);
    ASSERT_TRUE(w.Key(Qt::Key_S, Qt::ControlModifier));
    EXPECT_EQ(w.Stored(), w.Shown()) << "the stored entry differs from the shown one";
  }
}

// The selection from a table's end runs into its next paragraph past where
// that paragraph's first item ends (into a bold word after plain text, or
// past a line break): Shift+Down from a cell of the last row, or Shift+Left
// back to the table. Typed over or deleted, what is left of the paragraph
// stays one of its own, as saved, and Undo brings the whole of it back.
TEST(TableSequenceFaults, TextAfterATableKeepsItsParagraphPastItsFirstItem) {
  struct Case {
    const char* name;
    bool lineBreak;  // a line break after "After " (else bold from there)
    bool fromCell;   // Shift+Down x2 from cell (1,1), else Shift+Left to the table
    Qt::Key key;     // what replaces the selection (0: typing "X")
    const char* shown;
    int reach = 9;   // Right from the table into the paragraph, then back
  };
  const Case cases[] = {
      {"Shift+Down from the cell, typed over", false, true, Qt::Key(0), nullptr},
      {"Shift+Down from the cell, Delete", false, true, Qt::Key_Delete, nullptr},
      {"Shift+Left over a change of style, typed over", false, false, Qt::Key(0), "Before|[a/b/c/d]|Xld words"},
      {"Shift+Left over a change of style, Backspace", false, false, Qt::Key_Backspace, "Before|[a/b/c/d]|ld words"},
      {"Shift+Left over a line break, typed over", true, false, Qt::Key(0), "Before|[a/b/c/d]|Xold words"},
      {"Shift+Left over a line break, Delete", true, false, Qt::Key_Delete, "Before|[a/b/c/d]|old words"},
      // The end where the first item ends: that item goes whole.
      {"Shift+Left over the whole first item, Delete", false, false, Qt::Key_Delete, "Before|[a/b/c/d]|bold words", 7},
      {"Shift+Left over the whole first item, typed over", false, false, Qt::Key(0), "Before|[a/b/c/d]|Xbold words", 7},
  };
  const std::string words = "bold words that run on past the end of the line";
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TTableSteps w;
    ASSERT_TRUE(w.BeforeAndTable(false, 2, 2, "a", "b"));
    ASSERT_TRUE(w.Key(Qt::Key_Tab));
    ASSERT_TRUE(w.Type("c"));
    ASSERT_TRUE(w.Key(Qt::Key_Tab));
    ASSERT_TRUE(w.Type("d"));
    ASSERT_TRUE(w.Key(Qt::Key_End, Qt::ControlModifier));
    ASSERT_TRUE(w.Type("After "));
    ASSERT_TRUE(k.lineBreak ? w.Key(Qt::Key_Return, Qt::ShiftModifier) : w.Key(Qt::Key_B, Qt::ControlModifier));
    ASSERT_TRUE(w.Type(words + ", " + words + ", " + words));
    ASSERT_TRUE(w.Key(Qt::Key_Return));
    ASSERT_TRUE(w.Type("Second"));
    const std::string before = w.Shown();
    ASSERT_TRUE(w.ClickAt(w.OuterCell(1, 1)));
    ASSERT_TRUE(w.Key(Qt::Key_End));
    ASSERT_EQ(w.CellEditors(), 1u);
    if (k.fromCell) {
      // The first leaves the table, the second selects a line below.
      ASSERT_TRUE(w.Keys(Qt::Key_Down, 2, Qt::ShiftModifier));
    } else {
      ASSERT_TRUE(w.Key(Qt::Key_Down));
      ASSERT_TRUE(w.Keys(Qt::Key_Right, k.reach));
      ASSERT_TRUE(w.Keys(Qt::Key_Left, k.reach, Qt::ShiftModifier));
    }
    ASSERT_EQ(w.CellEditors(), 0u);
    const std::string selected = WideToUtf8(w.Innermost()->GetSelTextW());
    // The break after the table, then the paragraph: no cell.
    const size_t text = selected.find_first_not_of("\r\n");
    ASSERT_TRUE(text > 0 && text != std::string::npos && selected.compare(text, 6, "After ") == 0) << selected;
    ASSERT_LT(selected.size(), words.size() * 3) << "the selection reaches the paragraph's end";
    ASSERT_TRUE(k.key ? w.Key(k.key) : w.Type("X"));
    if (k.shown) {
      EXPECT_EQ(w.Shown().rfind(k.shown, 0), 0u) << w.Shown();
    } else {
      EXPECT_EQ(w.Shown().rfind(k.key ? "Before|[a/b/c/d]| " : "Before|[a/b/c/d]|X ", 0), 0u) << w.Shown();
    }
    EXPECT_EQ(w.Shown().substr(w.Shown().size() - 11), "line|Second") << w.Shown();
    ASSERT_TRUE(w.Key(Qt::Key_S, Qt::ControlModifier));
    EXPECT_EQ(w.Stored(), w.Shown()) << "the stored entry differs from the shown one";
    ASSERT_TRUE(w.Key(Qt::Key_Z, Qt::ControlModifier));
    EXPECT_EQ(w.Shown(), before);
    ASSERT_TRUE(w.Key(Qt::Key_S, Qt::ControlModifier));
    EXPECT_EQ(w.Stored(), before);
  }
}

// A table command given with the caret after "b" in cell (0,1) (Merge
// Cells on the selected row), then Undo by the Edit menu, or Undo and Redo
// by their keys: the caret is back in the cell the command was given in
// (the nearest cell when that one went), its editor open, and the keys
// typed next land there, not in a new paragraph after the table.
TEST(TableSequenceFaults, UndoAndRedoOfATableCommandBringTheCaretBackToItsCell) {
  struct Case {
    const char* command;
    // The table with "Zürich" typed after the undo, and after the redo
    // ("Zürich" alone: the table went).
    const char* undone;
    const char* redone;
  };
  const Case cases[] = {
      {"vlActionTableInsertRowsAbove", "[a/bZürich//]", "[//a/bZürich//]"},
      {"vlActionTableInsertColRight", "[a/bZürich//]", "[a/bZürich////]"},
      {"vlActionTableDeleteRows", "[a/bZürich//]", "[/Zürich]"},
      {"vlActionTableDeleteCols", "[a/bZürich//]", "[aZürich/]"},
      {"vlActionTableMergeCells", "[aZürich/b//]", "[a|bZürich//]"},
      {"vlActionTableDeleteTable", "[a/bZürich//]", "Zürich"},
  };
  for (const bool nested : {false, true})
    for (const Case& k : cases)
      for (const bool redo : {false, true}) {
        const bool byKeys = redo;
        SCOPED_TRACE(std::string(k.command) + (redo ? ", undo and redo by keys" : ", undo by menu") +
                     (nested ? ", in a cell" : ""));
        TTableSteps w;
        ASSERT_TRUE(w.BeforeAndTable(nested, 2, 2, "a", "b"));
        // Merge Cells wants a block: the row's two cells.
        if (std::string(k.command) == "vlActionTableMergeCells") {
          ASSERT_TRUE(w.Menu("vlActionTableSelectRows"));
        }
        {
          TInteractionScript answers;
          answers.Do([](TInteraction& r) {
            if (auto* f = dynamic_cast<TfrmInteger*>(r.Form)) {
              f->SetValue(1);
              return static_cast<int>(mrOk);
            }
            return static_cast<int>(IDOK);
          });
          ASSERT_TRUE(w.Menu(k.command)) << "the command is disabled";
        }
        const std::string done = w.Shown();
        ASSERT_TRUE(byKeys ? w.Key(Qt::Key_Z, Qt::ControlModifier) : w.Menu("vlActionUndo"));
        EXPECT_NE(w.Shown(), done) << "nothing undone";
        if (redo) {
          ASSERT_TRUE(byKeys ? w.Key(Qt::Key_Y, Qt::ControlModifier) : w.Menu("vlActionRedo"));
          EXPECT_EQ(w.Shown(), done) << "the redo differs from the command";
        }
        EXPECT_TRUE(w.KeysToInnermost()) << "the keys go to "
                                         << (w.KeyTarget() ? w.KeyTarget()->metaObject()->className() : "nothing");
        ASSERT_TRUE(w.Type("Zürich"));
        const std::string table = redo ? k.redone : k.undone;
        EXPECT_EQ(w.Shown(), nested ? "Before|[" + table + "/]" : "Before|" + table);
      }
}

// Merge Cells or Split Cells in a table three deep, between saves by the
// timer, then Ctrl+Z in the innermost editor: the next automatic save
// stores the entry as shown, and no error ends the program.
TEST(TableSequenceFaults, AutomaticSaveAfterUndoOfANestedCommandKeepsTheEntry) {
  struct Case {
    const char* name;
    std::function<bool(TTableSteps&)> command;
  };
  const Case cases[] = {
      {"Merge Cells of a row",
       [](TTableSteps& w) { return w.Menu("vlActionTableSelectRows") && w.Menu("vlActionTableMergeCells"); }},
      {"Split Cells into 2 columns", [](TTableSteps& w) { return w.SplitColumns(2); }},
  };
  for (const Case& k : cases)
    for (const int saveBy : {0, 1, 2}) {
      const bool byTimer = saveBy == 0;
      SCOPED_TRACE(std::string(k.name) + (saveBy == 0   ? ", saved by the timer"
                                          : saveBy == 1 ? ", saved by Ctrl+S"
                                                        : ", saved by File > Save"));
      TTableSteps w;
      ASSERT_TRUE(w.Type("Before"));
      ASSERT_TRUE(w.Key(Qt::Key_Return));
      ASSERT_TRUE(w.NestTables(3));
      ASSERT_TRUE(w.Type("Łódź"));
      ASSERT_TRUE(w.AutomaticSave());
      ASSERT_TRUE(k.command(w)) << "the command is disabled";
      const std::string done = w.Shown();
      ASSERT_TRUE(byTimer       ? w.AutomaticSave()
                  : saveBy == 1 ? w.Key(Qt::Key_S, Qt::ControlModifier)
                                : w.Menu("ActionSave"));
      ASSERT_TRUE(w.Key(Qt::Key_Z, Qt::ControlModifier));
      EXPECT_NE(w.Shown(), done) << "nothing undone";
      ASSERT_TRUE(w.AutomaticSave());
      EXPECT_EQ(w.Escaped, "");
      EXPECT_EQ(Tables(w.Shown()), 3u) << w.Shown();
      EXPECT_NE(w.Shown().find("Łódź"), std::string::npos) << w.Shown();
      EXPECT_EQ(w.Stored(), w.Shown()) << "the stored entry differs from the shown one";
      // The keyboard is still where the caret is.
      EXPECT_TRUE(w.KeysToInnermost());
    }
}

// A drag begun in a cell goes over another cell of the table (a block of
// two) and back to its own before the release: no block is left, and the
// keys typed next go into that cell, in the entry's table and in a table
// in a cell.
TEST(TableSequenceFaults, DragBackIntoItsCellLeavesTheKeysThere) {
  for (const bool nested : {false, true}) {
    SCOPED_TRACE(nested ? "a table in a cell" : "the entry's table");
    TTableSteps w;
    ASSERT_TRUE(w.BeforeAndTable(nested, 2, 1, "top", "low"));
    TCustomVellumEdit* holder =
        nested ? static_cast<TCustomVellumEdit*>(qytest::CellEditorChain(w.Edit())[0]) : w.Edit();
    TVLTableItemInfo* t = qytest::FirstTableIn(holder);
    ASSERT_NE(t, nullptr);
    const QPoint low = qytest::CellPointOnScreen(holder, t, 1, 0), top = qytest::CellPointOnScreen(holder, t, 0, 0);
    ASSERT_TRUE(w.DragThrough({low, top, low}));
    EXPECT_FALSE(w.CellsSelected());
    EXPECT_TRUE(w.KeysToInnermost());
    ASSERT_TRUE(w.TypeEach("don’t"));
    const std::string shown = w.Shown();
    EXPECT_NE(shown.find("top/low"), std::string::npos) << shown;
    EXPECT_EQ(std::count(shown.begin(), shown.end(), 'd'), 1) << shown;
    EXPECT_NE(shown.find("don’t"), std::string::npos) << "the keys were lost: " << shown;
  }
}

// A drag from a cell of a table in a cell out over the outer table, then a
// click into another cell of the outer table: the block the drag made in
// the inner table is gone with its editor, and is not painted.
TEST(TableSequenceFaults, ABlockGoneWithItsCellEditorIsNotPainted) {
  TTableSteps w;
  ASSERT_TRUE(w.Type("Before"));
  ASSERT_TRUE(w.Key(Qt::Key_Return));
  ASSERT_TRUE(w.InsertTable(2, 2));
  ASSERT_TRUE(w.InsertTable(2, 2));
  ASSERT_TRUE(w.Type("in"));
  TVLTableInplaceEdit* cellEditor = qytest::CellEditorChain(w.Edit())[0];
  TVLTableItemInfo* outer = qytest::FirstTableIn(w.Edit());
  TVLTableItemInfo* inner = qytest::FirstTableIn(cellEditor);
  ASSERT_TRUE(outer && inner);
  ASSERT_TRUE(w.DragThrough({qytest::CellPointOnScreen(cellEditor, inner, 1, 0),
                             qytest::CellPointOnScreen(cellEditor, inner, 0, 1),
                             qytest::CellPointOnScreen(w.Edit(), outer, 1, 1)}));
  ASSERT_TRUE(w.ClickAt(qytest::CellPointOnScreen(w.Edit(), outer, 0, 1)));
  EXPECT_EQ(TTableSteps::PaintedSelected(*w.Edit()->VLData()), 0u) << w.Shown();
  EXPECT_FALSE(inner->CellsSelected());
  EXPECT_TRUE(w.KeysToInnermost());
}

// An error part way through an automatic save (a handler of the innermost
// table fails while the cell editors close for it) ends the program through
// its exit sequence: the exit does not store what the error left (the
// nested tables still in their cell editors), the entry stored before stays
// as it was, and the user is told.
TEST(TableSequenceFaults, AnErrorInASaveKeepsTheStoredEntry) {
  TTableSteps w;
  ASSERT_TRUE(w.Type("Before"));
  ASSERT_TRUE(w.Key(Qt::Key_Return));
  ASSERT_TRUE(w.NestTables(3));
  ASSERT_TRUE(w.Type("Łódź"));
  ASSERT_TRUE(w.AutomaticSave());
  const std::string good = w.Stored();
  ASSERT_EQ(good, w.Shown());
  const Integer journalId = w.J->JournalID;
  const double day = w.J->EntryDate;
  ASSERT_TRUE(w.Type(" don’t"));
  TVLTableItemInfo* innermost = qytest::FirstTableIn(qytest::CellEditorChain(w.Edit())[1]);
  ASSERT_NE(innermost, nullptr);
  innermost->OnCellEndEdit = [](TVLTableItemInfo*, Integer, Integer, bool) {
    throw EVellumError("a cell handler failed");
  };
  // The program's own handler of errors nobody caught: shown, then the
  // exit sequence.
  w.RecordingErrors = true;
  Application->OnException = [&w](TObject* sender, const Exception& e) { w.Main->ApplicationException(sender, e); };
  TInteractionScript answers;
  for (int i = 0; i < 8; ++i) answers.Answer(IDOK);
  ASSERT_TRUE(w.AutomaticSave());
  ASSERT_TRUE(w.Main->Closing) << "the error did not end the program";
  std::vector<std::string> shown;
  for (const TInteraction& box : answers.Shown) shown.push_back(box.Caption + ": " + box.Text);
  ASSERT_FALSE(shown.empty());
  EXPECT_NE(shown.front().find("a cell handler failed"), std::string::npos) << shown.front();
  EXPECT_EQ(std::count_if(shown.begin(), shown.end(),
                          [](const std::string& box) { return box.rfind("Entry Not Saved: ", 0) == 0; }),
            1)
      << "the user is not told once that the entry was not saved";
  EXPECT_EQ(w.StoredFor(journalId, day), good) << "the exit stored what the error left";
}

// Preferences changes the size of the text style the entry is written in:
// every table is laid out again, tables in cells at every depth too, with
// or without their cell editors open, and also once the entry is read
// again after a change of date; no line of a cell keeps the old size or runs
// past the cell's right edge.
TEST(TableSequenceFaults, AChangedTextStyleLaysOutEveryNestedCell) {
  enum TThen { EditorsOpen, EditorsClosed, DateChanged };
  for (const TThen then : {EditorsOpen, EditorsClosed, DateChanged}) {
    SCOPED_TRACE(then == EditorsOpen     ? "cell editors open"
                 : then == EditorsClosed ? "cell editors closed"
                                         : "the day after and back");
    TTableSteps w;
    ASSERT_TRUE(w.Type("Before"));
    ASSERT_TRUE(w.Key(Qt::Key_Return));
    // Words in the second cell of each table, each table in the first cell
    // of the one before.
    for (int level = 1; level <= 3; ++level) {
      ASSERT_TRUE(w.InsertTable(2, 2));
      ASSERT_TRUE(w.Key(Qt::Key_Tab));
      ASSERT_TRUE(w.Type("Łódź café don’t Zürich naïve über straße"));
      ASSERT_TRUE(w.Key(Qt::Key_Tab, Qt::ShiftModifier));
    }
    if (then != EditorsOpen) {
      ASSERT_TRUE(w.ClickFirstLine());
    }
    const Integer before = w.FirstLineHeight();
    ASSERT_EQ(TTableSteps::StaleCellLines(*w.Edit()->VLData(), before), std::vector<std::string>{});
    ASSERT_TRUE(w.ChangeTextStyleSize("24"));
    if (then == DateChanged) {
      TInteractionScript answers;
      for (int i = 0; i < 3; ++i) answers.Answer(IDOK);
      ASSERT_TRUE(w.Menu("ActionDateNext"));
      ASSERT_TRUE(w.Menu("ActionDatePrevious"));
      ASSERT_EQ(Tables(w.Shown()), 3u) << w.Shown();
    }
    ASSERT_GT(w.FirstLineHeight(), before) << "the style did not change";
    EXPECT_EQ(TTableSteps::StaleCellLines(*w.Edit()->VLData(), w.FirstLineHeight()), std::vector<std::string>{});
  }
}

// Tables nested three deep are written and saved, then the entry is read
// again (a change of date and back) and saved, over and over: the widths of
// the columns the user saw while writing are the ones every reading gives,
// also when the text style changed after the entry was saved.
TEST(TableSequenceFaults, OpeningAndSavingKeepsTheColumnWidths) {
  for (const bool styleChanged : {false, true}) {
    SCOPED_TRACE(styleChanged ? "the text style changed" : "as written");
    TTableSteps w;
    ASSERT_TRUE(w.Type("Before"));
    ASSERT_TRUE(w.Key(Qt::Key_Return));
    for (int level = 1; level <= 3; ++level) {
      ASSERT_TRUE(w.InsertTable(2, 2));
      ASSERT_TRUE(w.Key(Qt::Key_Tab));
      ASSERT_TRUE(w.Type("Łódź café don’t Zürich naïve über straße"));
      ASSERT_TRUE(w.Key(Qt::Key_Tab, Qt::ShiftModifier));
    }
    ASSERT_TRUE(w.Type("first"));
    ASSERT_TRUE(w.Menu("ActionSave"));
    if (styleChanged) {
      ASSERT_TRUE(w.ChangeTextStyleSize("18"));
    }
    const std::string seen = TTableSteps::ColumnWidths(*w.Edit()->VLData());
    for (int round = 1; round <= 3; ++round) {
      SCOPED_TRACE("reading " + std::to_string(round));
      TInteractionScript answers;
      for (int i = 0; i < 3; ++i) answers.Answer(IDOK);
      ASSERT_TRUE(w.Menu("ActionDateNext"));
      ASSERT_TRUE(w.Menu("ActionDatePrevious"));
      ASSERT_EQ(Tables(w.Shown()), 3u) << w.Shown();
      EXPECT_EQ(TTableSteps::ColumnWidths(*w.Edit()->VLData()), seen);
      ASSERT_TRUE(w.Menu("ActionSave"));
    }
  }
}

// A table or a line put on an empty list line of a cell, then the cell
// left, by the keys or a click into another: Undo takes the new item away
// again, the cell as it was.
TEST(TableSequenceFaults, AnItemPutOnAnEmptyListLineOfACellUndoesOnceTheCellWasLeft) {
  struct Case {
    const char* name;
    std::function<bool(TTableSteps&)> put;
  };
  const Case puts[] = {
      {"Insert Table", [](TTableSteps& w) { return w.InsertTable(1, 2); }},
      {"Insert Horizontal Line", [](TTableSteps& w) { return w.Menu("vlActionInsertHLine"); }},
  };
  for (const Case& k : puts)
    for (const bool byKeys : {false, true}) {
      SCOPED_TRACE(std::string(k.name) + (byKeys ? ", the cell left by Shift+Left" : ", the cell left by a click"));
      TTableSteps w;
      ASSERT_TRUE(w.Type("Before"));
      ASSERT_TRUE(w.Key(Qt::Key_Return));
      ASSERT_TRUE(w.InsertTable(2, 2));
      ASSERT_TRUE(w.Type("a"));
      ASSERT_TRUE(w.Key(Qt::Key_Tab));
      ASSERT_TRUE(w.Menu("vlActionParaBullets"));
      const std::string before = w.Shown();
      ASSERT_TRUE(k.put(w));
      const std::string put = w.Shown();
      ASSERT_NE(put, before) << "nothing was put";
      if (byKeys) {
        // Out of the table put there (when one was), then out of the cell.
        ASSERT_TRUE(w.Keys(Qt::Key_Left, 3, Qt::ShiftModifier));
      } else {
        ASSERT_TRUE(w.ClickAt(w.OuterCell(1, 1)));
      }
      ASSERT_EQ(w.CellEditors(), 1u);
      EXPECT_EQ(qytest::CellEditorChain(w.Edit())[0]->Col, byKeys ? 0 : 1) << "the cell was not left";
      EXPECT_EQ(w.Shown(), put);
      ASSERT_TRUE(w.Menu("vlActionUndo"));
      EXPECT_EQ(w.Shown(), before) << "the undo did not take back what was put";
    }
}

// A table or a line inserted at the start of a bulleted line in a cell
// (over its selected word, before the word, or on the empty line), then
// Hide and Open on the cover, which save the entry and so close the cell
// editors and open them again: what was inserted stands before the bulleted
// line, the line keeps its text, Ctrl+Z takes the insert back and undoing
// everything gives back the blank day.
TEST(TableSequenceFaults, UndoAfterHidingTakesBackWhatWasInsertedInABulletedCell) {
  struct Case {
    const char* name;
    const char* typed;
    bool selectWord;
    bool line;
    const char* inserted;
  };
  const Case cases[] = {{"a table over the selected word", "café", true, false, "[[//]|///]"},
                        {"a table before the word", "café", false, false, "[[//]|café///]"},
                        {"a table on the empty line", "", false, false, "[[//]|///]"},
                        {"a line before the word", "café", false, true, "[|café///]"}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TTableSteps w;
    ASSERT_TRUE(w.InsertTable(2, 2));
    ASSERT_TRUE(w.Menu("vlActionParaBullets"));
    ASSERT_TRUE(w.Type(k.typed));
    ASSERT_TRUE(w.Key(Qt::Key_Home, k.selectWord ? Qt::ShiftModifier : Qt::NoModifier));
    const std::string start = w.Shown();
    ASSERT_TRUE(k.line ? w.Menu("vlActionInsertHLine") : w.InsertTable(1, 3));
    EXPECT_EQ(w.Shown(), k.inserted);
    ASSERT_TRUE(w.HideAndOpen());
    EXPECT_EQ(w.Shown(), k.inserted) << "hiding changed the entry";
    ASSERT_TRUE(w.Key(Qt::Key_Z, Qt::ControlModifier));
    EXPECT_EQ(w.Shown(), start) << "Ctrl+Z does not take the insert back";
    // The day was blank when read.
    EXPECT_TRUE(w.UndoEverything()) << "undo never ends: " << w.Shown();
    EXPECT_EQ(w.Shown(), "") << "nothing is left to undo, but the entry is not as it was read";
  }
}

// Bullets in a cell (and in a table nested in a cell), the cell left, then
// opened again: the entry's list of markers names the markers the cell
// editor holds, where they stand, and no other (an open cell shows the
// numbers it shows closed). Left again, the cell's markers are counted as
// before.
TEST(TableSequenceFaults, TheEntrysMarkersNameThoseItsCellEditorsHold) {
  for (const bool nested : {false, true}) {
    SCOPED_TRACE(nested ? "bullets in a nested table" : "bullets in a cell");
    TTableSteps w;
    ASSERT_TRUE(w.BeforeAndTable(nested, 2, 2, "one", "two"));
    ASSERT_TRUE(w.Menu("vlActionParaBullets"));
    ASSERT_TRUE(w.Key(Qt::Key_Return));
    ASSERT_TRUE(w.Type("café"));
    ASSERT_TRUE(w.ClickFirstLine());
    ASSERT_EQ(w.CellEditors(), 0u);
    TVLEditVLData* entry = w.Edit()->EditData();
    auto named = [entry] { return qytest::MarkersNamed(entry); };
    // The markers of the entry's text and closed cells, and of the open
    // cell editors' documents.
    auto held = [&w, entry] {
      std::set<const TCustomVLItemInfo*> all = qytest::MarkersOf(entry);
      for (TVLTableInplaceEdit* e : qytest::CellEditorChain(w.Edit())) all.merge(qytest::MarkersOf(e->VLData()));
      return all;
    };
    ASSERT_EQ(held().size(), 2u);
    EXPECT_EQ(named(), held());
    // The cell with the bullets, or the outer cell holding their table.
    ASSERT_TRUE(w.ClickAt(w.OuterCell(0, nested ? 0 : 1)));
    ASSERT_GE(w.CellEditors(), 1u);
    EXPECT_EQ(held().size(), 2u);
    EXPECT_EQ(named(), held()) << "the entry's list does not name the markers its cell editor holds";
    ASSERT_TRUE(w.ClickFirstLine());
    EXPECT_EQ(named().size(), 2u);
    EXPECT_EQ(named(), held());
  }
}

// A right click on the edge of the cell being edited: the press reaches the
// cell's editor, which lies over the whole cell, and then the editor that
// holds the table, for which the cell's border line is outside every cell,
// so the cell editor closes under the press. The toolkit sends the context
// menu event of the press to that editor afterwards: it must still be there
// to get it. The entry types on where the keyboard is.
TEST(TableSequenceFaults, RightClickOnTheEdgeOfTheEditedCellClosesItsEditorSafely) {
  for (const bool nested : {false, true}) {
    SCOPED_TRACE(nested ? "a table in a cell" : "a table in the entry");
    TTableSteps w;
    ASSERT_TRUE(w.BeforeAndTable(nested, 2, 2, "one", "two"));
    const std::vector<TVLTableInplaceEdit*> chain = qytest::CellEditorChain(w.Edit());
    ASSERT_EQ(chain.size(), nested ? 2u : 1u);
    QWidget* edited = WidgetOf(chain.back());
    const QPoint edge = edited->mapToGlobal(QPoint(0, edited->height() / 2));
    QWindow* window = w.Window()->windowHandle();
    const QPoint at = window->mapFromGlobal(edge);
    QCursor::setPos(edge);
    QTest::mousePress(window, Qt::RightButton, Qt::NoModifier, at);
    QTest::mouseRelease(window, Qt::RightButton, Qt::NoModifier, at);
    ASSERT_TRUE(w.Settle());
    if (QWidget* menu = QApplication::activePopupWidget()) menu->close();
    ASSERT_TRUE(w.Settle());
    EXPECT_TRUE(w.KeysToInnermost());
    ASSERT_TRUE(w.TypeEach("typed"));
    EXPECT_NE(w.Shown().find("typed"), std::string::npos) << w.Shown();
    EXPECT_NE(w.Shown().find("two"), std::string::npos) << w.Shown();
  }
}

}  // namespace

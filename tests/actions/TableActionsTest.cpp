// The table commands on a real editor: the user clicks into cells, selects
// with Shift+click, chooses commands and answers their dialogs.
#include "TableTestSupport.h"

#include "actions/InsTableVLFrm.h"
#include "actions/IntegerVLFrm.h"
#include "actions/SplitVLFrm.h"
#include "actions/VLActionsInsert.h"
#include "platform/gui/Clipbrd.h"
#include "richtext/rtf/VLRTFImport.h"
#include "support/TableCells.h"
#include "richtext/view/VLCopy.h"
#include "support/KeySeam.h"
#include "support/TestSupport.h"
#include "platform/base/Streams.h"

#include <array>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace {

using tabletest::TTableWindow;

// The form a scripted dialog shows, as its own class.
template <typename T>
T* FormOf(TInteraction& r) {
  auto* f = dynamic_cast<T*>(r.Form);
  EXPECT_NE(f, nullptr);
  return f;
}

class TableActions : public ::testing::Test {};

TEST_F(TableActions, AnAutosizeTableFollowsTheWindowAndTakesTheCaret) {
  TTableWindow w(0, 0, false);
  w.Edit->SetCaret(0, 7);
  TvlActionInsertTable insert(w.Form.get());
  TInteractionScript script;
  script.Do([](TInteraction& r) {
    auto* f = FormOf<TfrmInsTable>(r);
    EXPECT_EQ(f->GetRows(), 2);
    EXPECT_EQ(f->GetColumns(), 2);
    EXPECT_TRUE(f->rbFitContents->GetChecked());
    return mrOk;
  });
  EXPECT_TRUE(w.Run(insert));
  TVLTableItemInfo* t = w.T();
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(w.Grid(), ", / ,");
  // No pixel widths of its own: the table takes the text width, whatever
  // that becomes.
  for (Integer r = 0; r < 2; ++r)
    for (Integer c = 0; c < 2; ++c) EXPECT_EQ(t->GetCell(r, c)->BestWidth, 0);
  auto fits = [&](const char* when) {
    SCOPED_TRACE(when);
    TVLEditVLData& d = *w.Edit->EditData();
    // The window's width for text, which the document must not outgrow.
    const Integer W = d.GetWidth() - d.GetLeftMargin() - d.GetRightMargin();
    ASSERT_GT(W, 100);
    EXPECT_LE(t->GetWidth(), W);
    EXPECT_GE(t->GetWidth(), W - 30);
    EXPECT_LE(d.DocumentWidth, W);
  };
  fits("inserted");
  EXPECT_EQ(t->BorderStyle, vltbColor);
  EXPECT_EQ(t->CellBorderStyle, vltbColor);
  // The caret is in the first cell: typing goes there.
  ASSERT_NE(t->GetInplaceEditor(), nullptr);
  EXPECT_EQ(t->EditedRow(), 0);
  EXPECT_EQ(t->EditedCol(), 0);
  QTest::keyClicks(WidgetOf(t->GetInplaceEditor()), "Day");
  w.Settle();
  // Columns added on the right stay inside the window.
  TvlActionTableInsertColRight right(w.Form.get());
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(w.Run(right));
  EXPECT_EQ(t->ColCount(), 5);
  fits("three columns added");
  w.Edit->SetBounds(0, 0, 350, 400);
  w.Edit->Format();
  w.Settle();
  fits("the window narrower");
  t->DestroyInplaceEditor(true);
  EXPECT_EQ(tabletest::DocText(t->GetCell(0, 0)), "Day");
}

TEST_F(TableActions, InsertTableTakesTheWidthChosenAndRemembersOnlyWhenAsked) {
  struct TCase {
    const char* Name;
    std::function<void(TfrmInsTable*)> Choose;
    Integer Width;        // the new table's
    bool Remember;
  };
  const std::vector<TCase> cases = {
      {"fit window", [](TfrmInsTable* f) { f->rbFitWindow->SetChecked(true); }, -100, false},
      {"250 pixels", [](TfrmInsTable* f) { f->SetTableWidth(250); }, 250, false},
      {"150 percent is the whole width", [](TfrmInsTable* f) {
         f->rbFitManual->SetChecked(true);
         f->seWidth->SetValue(150);
         f->cmbWidthType->SetItemIndex(0);
       }, -100, false},
      {"remembered", [](TfrmInsTable* f) {
         f->SetTableWidth(-50);
         f->SetRows(4);
         f->SetColumns(3);
         f->cbRemember->SetChecked(true);
       }, -50, true},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.Name);
    TTableWindow w(0, 0, false);
    TvlActionInsertTable insert(w.Form.get());
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      k.Choose(FormOf<TfrmInsTable>(r));
      return mrOk;
    });
    w.Run(insert);
    ASSERT_NE(w.T(), nullptr);
    EXPECT_EQ(w.T()->BestWidth, k.Width);
    EXPECT_EQ(w.T()->GetCell(0, 0)->BestWidth, 0);
    EXPECT_EQ(insert.BestWidth, k.Remember ? k.Width : 0);
    EXPECT_EQ(insert.RowCount, k.Remember ? 4 : 2);
    EXPECT_EQ(insert.ColCount, k.Remember ? 3 : 2);
  }
}

TEST_F(TableActions, CancelOrAReadOnlyEditorInsertsNoTable) {
  for (bool readOnly : {false, true}) {
    SCOPED_TRACE(readOnly ? "read-only" : "cancel");
    TTableWindow w(0, 0, false);
    w.Edit->SetReadOnly(readOnly);
    TvlActionInsertTable insert(w.Form.get());
    TInteractionScript script;
    if (readOnly) script.Answer(IDOK);
    else
      script.Do([&](TInteraction& r) {
        FormOf<TfrmInsTable>(r)->cbRemember->SetChecked(true);
        FormOf<TfrmInsTable>(r)->SetRows(7);
        return mrCancel;
      });
    w.Run(insert);
    // A read-only entry offers no dialog, its answer could change nothing:
    // it says why.
    ASSERT_EQ(script.Shown.size(), 1u);
    EXPECT_EQ(script.Shown[0].Kind, readOnly ? TInteractionKind::MessageBox : TInteractionKind::ShowModal);
    EXPECT_EQ(w.T(), nullptr);
    EXPECT_EQ(insert.RowCount, 2);
  }
}

// Tables nested depth deep in the window's document, the cell editors open
// down to the innermost cell as clicks into it open them; answers the data
// of the innermost cell editor, which holds the cell's items while open.
TVLEditVLData* OpenNestedCell(TTableWindow& w, Integer depth) {
  TCustomVLData* host = w.Edit->EditData();
  TVLTableItemInfo* innermost = nullptr;
  for (Integer level = 0; level < depth; ++level) {
    auto t = TVLTableItemInfo::CreateEx(1, 1, host);
    innermost = t.get();
    host->AddItem("", t.release());
    host = innermost->GetCell(0, 0);
  }
  w.Edit->Format();
  w.Settle();
  innermost->EditCell(0, 0);
  w.Settle();
  return innermost->GetInplaceEditor() ? innermost->GetInplaceEditor()->EditData() : nullptr;
}

bool HoldsTable(TCustomVLData* d) {
  for (Integer i = 0; i < d->GetItemCount(); ++i)
    if (dynamic_cast<TVLTableItemInfo*>(d->GetItem(i))) return true;
  return false;
}

TEST_F(TableActions, InsertTableInACellAsDeepAsTablesGoIsRefusedWithAMessage) {
  struct TCase {
    Integer Depth;  // of the table whose cell holds the caret
    bool Inserts;
  };
  for (const TCase& k : {TCase{VLTableMaxNesting - 1, true}, TCase{VLTableMaxNesting, false}}) {
    SCOPED_TRACE(k.Depth);
    TTableWindow w(0, 0, false);
    TVLEditVLData* cell = OpenNestedCell(w, k.Depth);
    ASSERT_NE(cell, nullptr);
    const Integer itemsBefore = cell->GetItemCount();
    TvlActionInsertTable insert(w.Form.get());
    TInteractionScript script;
    script.Answer(mrOk);  // the dialog's OK, or the message's
    w.Run(insert);
    EXPECT_EQ(script.Unexpected, 0);
    ASSERT_EQ(script.Shown.size(), 1u);
    EXPECT_EQ(script.Shown[0].Kind, k.Inserts ? TInteractionKind::ShowModal : TInteractionKind::MessageBox);
    EXPECT_EQ(HoldsTable(cell), k.Inserts);
    if (!k.Inserts) {
      EXPECT_EQ(cell->GetItemCount(), itemsBefore);
      EXPECT_NE(script.Shown[0].Text.find(std::to_string(VLTableMaxNesting)), std::string::npos);
    }
  }
}

// A table pasted or inserted from a file into the deepest cell would be
// saved and then left out on reading: the whole insert is refused, the user
// is told why, and the cell keeps its text. One level up it goes in.
TEST_F(TableActions, ATablePastedOrInsertedIntoTheDeepestCellIsRefusedWithAMessage) {
  qytest::TempDir dir;
  VLRegisterRTFReader();  // as the program does at its start
  TVLStyle style(nullptr);
  while (style.TextStyles->Count() < 2) style.TextStyles->Add();
  for (Integer i = 0; i < style.TextStyles->Count(); ++i) style.TextStyles->Items(i)->Unicode = true;
  TVLDocumentData source(&style);
  source.AddTextItem(TTableWindow::U("Łódź"), 0, 0);
  auto t = TVLTableItemInfo::CreateEx(1, 2, &source);
  t->GetCell(0, 1)->Clear();
  t->GetCell(0, 1)->AddTextItem(TTableWindow::U("café"), 0, 0);
  source.AddItem("", t.release());
  source.VLFOptions.Include(vlfoSaveBinary);
  TMemoryStream vlf, rtf;
  ASSERT_TRUE(source.SaveVLFToStream(vlf, false, clNone, nullptr, bsNoBitmap, nullptr));
  ASSERT_TRUE(source.SaveRTFToStream(rtf, false, 0, clWindow, nullptr, nullptr));
  const AnsiString vlfBytes(static_cast<const char*>(vlf.Memory()), static_cast<size_t>(vlf.GetSize()));
  const AnsiString rtfBytes(static_cast<const char*>(rtf.Memory()), static_cast<size_t>(rtf.GetSize()));
  qytest::WriteFileBytes(dir / "table.vlf", vlfBytes);
  qytest::WriteFileBytes(dir / "table.rtf", rtfBytes);

  enum TPath { CtrlVOfVLF, CtrlVOfRTF, InsertFileVLF, InsertFileRTF };
  for (TPath path : {CtrlVOfVLF, CtrlVOfRTF, InsertFileVLF, InsertFileRTF})
    for (Integer depth : {VLTableMaxNesting - 1, VLTableMaxNesting}) {
      SCOPED_TRACE(std::to_string(path) + " at depth " + std::to_string(depth));
      const bool fits = depth < VLTableMaxNesting;
      TTableWindow w(0, 0, false);
      TVLEditVLData* cell = OpenNestedCell(w, depth);
      ASSERT_NE(cell, nullptr);
      TCustomVellumEdit* inner = w.Edit->GetInnermostEditor();
      qytest::TypeKeys(ClientWidgetOf(inner), "don’t");
      w.Settle();
      const std::string before = tabletest::DocText(cell);
      ASSERT_EQ(before, "don’t");
      TInteractionScript script;
      if (path == InsertFileVLF || path == InsertFileRTF)
        script.AnswerValue((dir / (path == InsertFileVLF ? "table.vlf" : "table.rtf")).string());
      if (!fits) script.Answer(mrOk);
      if (path == CtrlVOfVLF || path == CtrlVOfRTF) {
        Clipboard().Clear();
        if (path == CtrlVOfVLF)
          Clipboard().SetData(RegisterClipboardFormat(VLFClipboardFormatName), VLMakeVLFBlock(vlfBytes));
        else
          Clipboard().SetData(RegisterClipboardFormat(RTFClipboardFormatName), rtfBytes);
        QTest::keyClick(ClientWidgetOf(inner), Qt::Key_V, Qt::ControlModifier);
        w.Settle();
      } else {
        TvlActionInsertFile insert(w.Form.get());
        insert.Filter = {ffiVLF, ffiRTF};
        insert.FilterIndex = path == InsertFileVLF ? 1 : 2;
        w.Run(insert);
      }
      EXPECT_EQ(script.Unexpected, 0);
      EXPECT_EQ(script.Pending(), 0u);
      std::vector<std::string> messages;
      for (const TInteraction& r : script.Shown)
        if (r.Kind == TInteractionKind::MessageBox) messages.push_back(r.Text);
      EXPECT_EQ(HoldsTable(cell), fits);
      if (fits) {
        EXPECT_TRUE(messages.empty());
      } else {
        ASSERT_EQ(messages.size(), 1u) << "one message, not also \"Error loading file\"";
        EXPECT_NE(messages[0].find(std::to_string(VLTableMaxNesting)), std::string::npos) << messages[0];
        EXPECT_EQ(tabletest::DocText(cell), before);
        // The entry is not marked as read in part by what was refused.
        EXPECT_TRUE(w.Edit->VLData()->GetVLFWarnings().Empty());
      }
    }
}

// Our RTF of a merged block, pasted, came in with the next column of the
// block's rows merged and its texts moved into one cell: at the document's
// level and in a cell at every depth a table may lie, the block comes in
// cell for cell.
TEST_F(TableActions, AMergedBlockPastedAsRTFKeepsEveryCellAtEveryDepth) {
  VLRegisterRTFReader();
  TVLStyle style(nullptr);
  TVLDocumentData source(&style);
  auto made = TVLTableItemInfo::CreateEx(3, 3, &source);
  for (Integer r = 0; r < 3; ++r)
    for (Integer c = 0; c < 3; ++c)
      made->GetCell(r, c)->SetItemTextA(0, std::string(1, static_cast<char>('a' + c)) + std::to_string(r + 1));
  ASSERT_TRUE(made->MergeCells(0, 0, 2, 2, true));
  const std::string want = tabletest::Cells(*made);
  ASSERT_EQ(want, "3x3: a1b1a2b2[2x2] . c1 / . . c2 / a3 b3 c3");
  source.AddItem("", made.release());
  TMemoryStream rtf;
  ASSERT_TRUE(source.SaveRTFToStream(rtf, false, 0, clWindow, nullptr, nullptr));
  const AnsiString rtfBytes(static_cast<const char*>(rtf.Memory()), static_cast<size_t>(rtf.GetSize()));
  for (Integer depth : {0, 1, 2, 3, VLTableMaxNesting - 1}) {
    SCOPED_TRACE("depth " + std::to_string(depth));
    TTableWindow w(0, 0, false);
    TCustomVLData* target = depth == 0 ? w.Edit->EditData() : OpenNestedCell(w, depth);
    ASSERT_NE(target, nullptr);
    Clipboard().Clear();
    Clipboard().SetData(RegisterClipboardFormat(RTFClipboardFormatName), rtfBytes);
    TInteractionScript script;
    QTest::keyClick(ClientWidgetOf(w.Edit->GetInnermostEditor()), Qt::Key_V, Qt::ControlModifier);
    w.Settle();
    EXPECT_EQ(script.Unexpected, 0);
    TVLTableItemInfo* pasted = nullptr;
    for (Integer i = 0; i < target->GetItemCount() && !pasted; ++i)
      pasted = dynamic_cast<TVLTableItemInfo*>(target->GetItem(i));
    ASSERT_TRUE(pasted);
    EXPECT_EQ(tabletest::Cells(*pasted), want);
  }
}

TEST_F(TableActions, EachStructureCommandUndoesInOneStep) {
  struct TCase {
    const char* Name;
    std::function<TvlActionTableCell*(TComponent*)> Make;
    // Cells clicked, the second with Shift (-1: none).
    Integer Row, Col, ToRow, ToCol;
    std::function<int(TInteraction&)> Dialog;  // nullptr: none expected
    const char* After;
    // Blocks merged before (top, left, columns, rows).
    std::vector<std::array<Integer, 4>> Merged = {};
  };
  const std::vector<TCase> cases = {
      {"row above", [](TComponent* o) { return new TvlActionTableInsertRowsAbove(o); }, 1, 1, -1, -1, nullptr,
       "00,01,02 / ,, / 10,11,12 / 20,21,22"},
      {"row below a middle row", [](TComponent* o) { return new TvlActionTableInsertRowsBelow(o); }, 1, 1, -1, -1,
       nullptr, "00,01,02 / 10,11,12 / ,, / 20,21,22"},
      {"column left", [](TComponent* o) { return new TvlActionTableInsertColLeft(o); }, 0, 1, -1, -1, nullptr,
       "00,,01,02 / 10,,11,12 / 20,,21,22"},
      {"column right", [](TComponent* o) { return new TvlActionTableInsertColRight(o); }, 0, 1, -1, -1, nullptr,
       "00,01,,02 / 10,11,,12 / 20,21,,22"},
      {"delete rows", [](TComponent* o) { return new TvlActionTableDeleteRows(o); }, 0, 0, 1, 0, nullptr,
       "20,21,22"},
      {"delete columns", [](TComponent* o) { return new TvlActionTableDeleteCols(o); }, 0, 1, 0, 2, nullptr,
       "00 / 10 / 20"},
      {"merge", [](TComponent* o) { return new TvlActionTableMergeCells(o); }, 0, 0, 0, 1, nullptr,
       "00|01[1x2],.,02 / 10,11,12 / 20,21,22"},
      {"split into two columns", [](TComponent* o) { return new TvlActionTableSplitCells(o); }, 1, 1, -1, -1,
       [](TInteraction& r) {
         auto* f = FormOf<TfrmVLSplit>(r);
         EXPECT_FALSE(f->rbUnmerge->GetEnabled());
         f->seColumns->SetValue(2);
         f->seRows->SetValue(1);
         return mrOk;
       },
       // The content stays in the right part; the column's other cells span both.
       "00,01[1x2],.,02 / 10,,11,12 / 20,21[1x2],.,22"},
      // The caret's cell editor goes with its row, and the column only the
      // merged cells kept apart after it: still one step.
      {"delete the caret's row beside merged cells", [](TComponent* o) { return new TvlActionTableDeleteRows(o); }, 1,
       1, -1, -1, nullptr, "00|01,02 / 20|21,22", {{0, 0, 2, 1}, {2, 0, 2, 1}}},
      {"delete the caret's column beside merged cells", [](TComponent* o) { return new TvlActionTableDeleteCols(o); },
       1, 1, -1, -1, nullptr, "00|10,02|12 / 20,22", {{0, 0, 1, 2}, {0, 2, 1, 2}}},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.Name);
    TTableWindow w;
    for (const auto& [top, left, cols, rows] : k.Merged) ASSERT_TRUE(w.T()->MergeCells(top, left, cols, rows, true));
    w.Edit->Format();
    w.Settle();
    const std::string before = w.Grid();
    std::unique_ptr<TvlActionTableCell> action(k.Make(w.Form.get()));
    w.Click(k.Row, k.Col);
    if (k.ToRow >= 0) w.Click(k.ToRow, k.ToCol, Qt::ShiftModifier);
    TInteractionScript script;
    if (k.Dialog) script.Do(k.Dialog);
    EXPECT_TRUE(w.Enabled(*action));
    w.Run(*action);
    EXPECT_EQ(script.Unexpected, 0);
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_EQ(w.Grid(), k.After);
    w.Edit->Undo();
    w.Settle();
    EXPECT_EQ(w.Grid(), before);
  }
}

// Split Cells makes the same table whether the caret stands in the cell or
// the cell is selected, and one undo takes the whole split back.
TEST_F(TableActions, SplitFromTheCaretOrTheSelectedCellMakesTheSameTable) {
  for (Integer cols = 1; cols <= 3; ++cols)
    for (Integer rows = 1; rows <= 3; ++rows) {
      std::string grids[2];
      for (int selected = 0; selected < 2; ++selected) {
        SCOPED_TRACE(std::to_string(cols) + " x " + std::to_string(rows) + (selected ? " selected" : " caret"));
        TTableWindow w;
        const std::string before = w.Grid();
        w.Click(1, 1);
        if (selected) {
          TvlActionTableSelectCell select(w.Form.get());
          ASSERT_TRUE(w.Run(select));
          ASSERT_EQ(w.T()->GetInplaceEditor(), nullptr);
        }
        TvlActionTableSplitCells split(w.Form.get());
        TInteractionScript script;
        script.Do([&](TInteraction& r) {
          auto* f = FormOf<TfrmVLSplit>(r);
          f->rbSplit->SetChecked(true);
          f->seColumns->SetValue(cols);
          f->seRows->SetValue(rows);
          return mrOk;
        });
        ASSERT_TRUE(w.Enabled(split));
        w.Run(split);
        EXPECT_EQ(script.Pending(), 0u);
        EXPECT_EQ(w.T()->ColCount(), 3 + cols - 1);
        EXPECT_EQ(w.T()->RowCount(), 3 + rows - 1);
        // The split cell's place now holds cols x rows cells of its own.
        for (Integer r = 1; r < 1 + rows; ++r)
          for (Integer c = 1; c < 1 + cols; ++c) {
            TVLTableCellData* cell = w.T()->GetCell(r, c);
            ASSERT_NE(cell, nullptr) << r << "," << c;
            EXPECT_EQ(cell->RowSpan, 1) << r << "," << c;
            EXPECT_EQ(cell->ColSpan, 1) << r << "," << c;
          }
        grids[selected] = w.Grid();
        w.Edit->Undo();
        w.Settle();
        EXPECT_EQ(w.Grid(), before);
      }
      EXPECT_EQ(grids[0], grids[1]) << cols << " x " << rows;
    }
}

// After a command that changes the grid the caret waits in a cell: in the
// new row's first cell, in the new column's cell of the row it was in, in
// the merged or split cell, in the cell that took deleted ones' place.
// What the user types lands there; typed over a block of selected cells it
// goes on in the first of them. No command leaves a state that drops it.
TEST_F(TableActions, TypingAfterAStructureCommandLandsInACell) {
  auto split = [](Integer cols, Integer rows) {
    return [cols, rows](TInteraction& r) {
      auto* f = FormOf<TfrmVLSplit>(r);
      f->rbSplit->SetChecked(true);
      f->seColumns->SetValue(cols);
      f->seRows->SetValue(rows);
      return mrOk;
    };
  };
  struct TCase {
    const char* Name;
    std::function<TvlActionTableCell*(TComponent*)> Make;
    // Cells clicked, the second with Shift (-1: none).
    Integer Row, Col, ToRow, ToCol;
    bool MergeFirstColumn;
    std::function<int(TInteraction&)> Dialog;  // nullptr: none expected
    const char* After;
    // Blocks merged before (top, left, columns, rows).
    std::vector<std::array<Integer, 4>> Merged = {};
  };
  auto rowBelow = [](TComponent* o) {
    auto* a = new TvlActionTableInsertRowsBelow(o);
    a->AllowMultiple = false;
    return a;
  };
  auto rowAbove = [](TComponent* o) { return new TvlActionTableInsertRowsAbove(o); };
  auto colLeft = [](TComponent* o) { return new TvlActionTableInsertColLeft(o); };
  auto colRight = [](TComponent* o) { return new TvlActionTableInsertColRight(o); };
  auto delRows = [](TComponent* o) { return new TvlActionTableDeleteRows(o); };
  auto delCols = [](TComponent* o) { return new TvlActionTableDeleteCols(o); };
  auto merge = [](TComponent* o) { return new TvlActionTableMergeCells(o); };
  auto splitCells = [](TComponent* o) { return new TvlActionTableSplitCells(o); };
  auto selectTable = [](TComponent* o) { return new TvlActionTableSelectTable(o); };
  auto selectRow = [](TComponent* o) { return new TvlActionTableSelectRows(o); };
  auto selectCol = [](TComponent* o) { return new TvlActionTableSelectCols(o); };
  auto selectCell = [](TComponent* o) { return new TvlActionTableSelectCell(o); };
  auto alignTop = [](TComponent* o) { return new TvlActionTableCellVAlignTop(o); };
  const std::vector<TCase> cases = {
      {"row below a middle row", rowBelow, 1, 1, -1, -1, false, nullptr, "00,01,02 / 10,11,12 / Łódź,, / 20,21,22"},
      {"row below the last row", rowBelow, 2, 2, -1, -1, false, nullptr, "00,01,02 / 10,11,12 / 20,21,22 / Łódź,,"},
      {"row below beside a merged cell", rowBelow, 1, 2, -1, -1, true, nullptr,
       "00|10[2x1],01,02 / .,11,12 / Łódź,, / 20,21,22"},
      {"row above", rowAbove, 1, 1, -1, -1, false, nullptr, "00,01,02 / Łódź,, / 10,11,12 / 20,21,22"},
      {"row above selected cells", rowAbove, 2, 1, 1, 2, false, nullptr, "00,01,02 / Łódź,, / 10,11,12 / 20,21,22"},
      {"column left", colLeft, 1, 1, -1, -1, false, nullptr, "00,,01,02 / 10,Łódź,11,12 / 20,,21,22"},
      {"column right", colRight, 1, 1, -1, -1, false, nullptr, "00,01,,02 / 10,11,Łódź,12 / 20,21,,22"},
      {"column right of the last column", colRight, 0, 2, -1, -1, false, nullptr,
       "00,01,02,Łódź / 10,11,12, / 20,21,22,"},
      {"column right of selected cells", colRight, 2, 0, 1, 1, false, nullptr,
       "00,01,,02 / 10,11,Łódź,12 / 20,21,,22"},
      {"column right beside a merged cell", colRight, 2, 0, -1, -1, true, nullptr,
       "00|10[2x1],[2x1],01,02 / .,.,11,12 / 20,Łódź,21,22"},
      {"delete selected rows", delRows, 1, 1, 1, 2, false, nullptr, "00,01,02 / 20,Łódź21,22"},
      {"delete selected columns", delCols, 1, 1, 1, 2, false, nullptr, "00 / Łódź10 / 20"},
      {"merge", merge, 1, 1, 1, 2, false, nullptr, "00,01,02 / 10,Łódź11|12[1x2],. / 20,21,22"},
      {"split a cell", splitCells, 1, 1, -1, -1, false, split(2, 1), "00,01[1x2],.,02 / 10,Łódź,11,12 / 20,21[1x2],.,22"},
      {"split selected cells", splitCells, 1, 1, 1, 2, false, split(2, 1),
       "00,01[1x2],.,02[1x2],. / 10,Łódź,11,,12 / 20,21[1x2],.,22[1x2],."},
      // The selecting commands leave cells selected: typing goes on after
      // the text of the first of them.
      {"select table", selectTable, 1, 1, -1, -1, false, nullptr, "00Łódź,01,02 / 10,11,12 / 20,21,22"},
      {"select row", selectRow, 1, 1, -1, -1, false, nullptr, "00,01,02 / 10Łódź,11,12 / 20,21,22"},
      {"select column", selectCol, 1, 2, -1, -1, false, nullptr, "00,01,02Łódź / 10,11,12 / 20,21,22"},
      {"select cell", selectCell, 2, 1, -1, -1, false, nullptr, "00,01,02 / 10,11,12 / 20,21Łódź,22"},
      {"alignment of selected cells", alignTop, 1, 1, 2, 2, false, nullptr, "00,01,02 / 10,11Łódź,12 / 20,21,22"},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.Name);
    TTableWindow w;
    if (k.MergeFirstColumn) {
      w.T()->MergeCells(0, 0, 1, 2);
      w.Edit->Format();
      w.Settle();
    }
    std::unique_ptr<TvlActionTableCell> action(k.Make(w.Form.get()));
    w.Click(k.Row, k.Col);
    if (k.ToRow >= 0) w.Click(k.ToRow, k.ToCol, Qt::ShiftModifier);
    TInteractionScript script;
    if (k.Dialog) script.Do(k.Dialog);
    ASSERT_TRUE(w.Run(*action));
    EXPECT_EQ(script.Pending(), 0u);
    const int beeps = BeepCount;
    // Each key to the widget that has the keyboard then, as the user's do.
    for (const char* key : {"Ł", "ó", "d", "ź"}) {
      qytest::TypeKeys(QApplication::focusWidget(), key);
      w.Settle();
    }
    EXPECT_EQ(BeepCount, beeps);
    if (w.T()->GetInplaceEditor()) w.T()->DestroyInplaceEditor(true);
    EXPECT_EQ(w.Grid(), k.After);
    EXPECT_EQ(tabletest::DocText(w.Edit->EditData()), "Before|#|After");
  }
}

// Split Cells on a block of cells splits each cell of it: every cell keeps
// its own text (none is joined to its neighbour below or to the right), the
// rows and columns outside the block grow over the new parts, and one undo
// takes it all back, one redo brings it again.
TEST_F(TableActions, SplittingABlockOfCellsKeepsEachCellsText) {
  struct TCase {
    const char* Name;
    Integer Cols, Rows;
    const char* After;
  } cases[] = {
      {"two columns", 2, 1, "00,01[1x2],.,02[1x2],. / 10,,11,,12 / 20,,21,,22"},
      {"two rows", 1, 2, "00,01,02 / 10[2x1],, / .,11,12 / 20[2x1],, / .,21,22"},
      {"two by two", 2, 2,
       "00,01[1x2],.,02[1x2],. / 10[2x1],,,, / .,,11,,12 / 20[2x1],,,, / .,,21,,22"},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.Name);
    TTableWindow w;
    const std::string before = w.Grid();
    w.Click(1, 1);
    w.Click(2, 2, Qt::ShiftModifier);
    TvlActionTableSplitCells split(w.Form.get());
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      auto* f = FormOf<TfrmVLSplit>(r);
      f->rbSplit->SetChecked(true);
      f->cbMerge->SetChecked(false);
      f->seColumns->SetValue(k.Cols);
      f->seRows->SetValue(k.Rows);
      return mrOk;
    });
    ASSERT_TRUE(w.Run(split));
    EXPECT_EQ(script.Pending(), 0u);
    if (w.T()->GetInplaceEditor()) w.T()->DestroyInplaceEditor(true);
    EXPECT_EQ(w.Grid(), k.After);
    w.Edit->Undo();
    w.Settle();
    EXPECT_EQ(w.Grid(), before);
    w.Edit->Redo();
    w.Settle();
    EXPECT_EQ(w.Grid(), k.After);
  }
}

// Split Cells into columns on a plain block: each cell's preferred width is
// shared evenly by its parts, which together are as wide as it was.
TEST_F(TableActions, SplittingABlockIntoColumnsSharesEachCellsWidthEvenly) {
  for (Integer parts : {2, 3}) {
    SCOPED_TRACE(parts);
    TTableWindow w;
    for (Integer r = 0; r < 3; ++r)
      for (Integer c = 0; c < 3; ++c) w.T()->GetCell(r, c)->BestWidth = 60 + 30 * c;
    w.Edit->Format();
    w.Settle();
    w.Click(1, 1);
    w.Click(2, 2, Qt::ShiftModifier);
    TvlActionTableSplitCells split(w.Form.get());
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      auto* f = FormOf<TfrmVLSplit>(r);
      f->rbSplit->SetChecked(true);
      f->cbMerge->SetChecked(false);
      f->seColumns->SetValue(parts);
      f->seRows->SetValue(1);
      return mrOk;
    });
    ASSERT_TRUE(w.Run(split));
    if (w.T()->GetInplaceEditor()) w.T()->DestroyInplaceEditor(true);
    ASSERT_EQ(w.T()->ColCount(), 3 + 2 * (parts - 1));
    // Column 1 of old became columns 1..parts, column 2 the ones after.
    for (Integer r : {1, 2})
      for (Integer old : {1, 2}) {
        SCOPED_TRACE("row " + std::to_string(r) + ", old column " + std::to_string(old));
        const Integer width = 60 + 30 * old, first = 1 + (old - 1) * parts;
        Integer sum = 0;
        for (Integer c = first; c < first + parts; ++c) {
          const TVLTableCellData* cell = w.T()->GetCell(r, c);
          ASSERT_NE(cell, nullptr) << c;
          EXPECT_EQ(cell->BestWidth, width / parts) << c;
          sum += cell->BestWidth;
        }
        EXPECT_EQ(sum, width);
      }
  }
}

TEST_F(TableActions, DeletingEveryRowOrColumnRemovesTheTableAsOneStep) {
  for (bool rows : {true, false}) {
    SCOPED_TRACE(rows ? "rows" : "columns");
    TTableWindow w;
    TvlActionTableDeleteRows deleteRows(w.Form.get());
    TvlActionTableDeleteCols deleteCols(w.Form.get());
    w.Click(0, 1);
    if (rows) w.Click(2, 1, Qt::ShiftModifier);
    else w.Click(0, 0, Qt::ShiftModifier), w.Click(0, 2, Qt::ShiftModifier);
    if (!rows) {
      // A whole row of cells: every column.
      TvlActionTableSelectRows selectRow(w.Form.get());
      w.Run(selectRow);
    }
    w.Run(rows ? static_cast<TBasicAction&>(deleteRows) : deleteCols);
    EXPECT_EQ(w.Grid(), "no table");
    // The table's line is left empty.
    EXPECT_EQ(tabletest::DocText(w.Edit->EditData()), "Before||After");
    w.Edit->Undo();
    w.Settle();
    EXPECT_EQ(w.Grid(), "00,01,02 / 10,11,12 / 20,21,22");
  }
}

TEST_F(TableActions, DeleteTableFromTheCaretInACellIsOneStep) {
  TTableWindow w;
  TvlActionTableDeleteTable deleteTable(w.Form.get());
  w.Click(1, 1);
  ASSERT_NE(w.T()->GetInplaceEditor(), nullptr);
  w.Run(deleteTable);
  EXPECT_EQ(w.Grid(), "no table");
  w.Edit->Undo();
  w.Settle();
  EXPECT_EQ(w.Grid(), "00,01,02 / 10,11,12 / 20,21,22");
}

TEST_F(TableActions, InsertRowBelowAsksForACountOnlyBelowTheLastRow) {
  struct TCase {
    const char* Name;
    Integer Row;
    const char* Typed;  // nullptr: no prompt expected
    int Answer;
    Integer Rows;       // afterwards
  };
  const std::vector<TCase> cases = {
      {"middle row", 1, nullptr, 0, 4},
      {"last row, three", 2, "3", mrOk, 6},
      {"last row, cancelled", 2, "3", mrCancel, 3},
      // A typed count past the prompt's range is held to it.
      {"last row, far too many", 2, "5000", mrOk, 103},
      {"last row, none", 2, "0", mrOk, 4},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.Name);
    TTableWindow w;
    TvlActionTableInsertRowsBelow below(w.Form.get());
    w.Click(k.Row, 0);
    TInteractionScript script;
    if (k.Typed)
      script.Do([&](TInteraction& r) {
        auto* f = FormOf<TfrmInteger>(r);
        EXPECT_EQ(f->GetValue(), 1);
        EXPECT_EQ(r.Form->GetText(), "Add Rows");
        EXPECT_EQ(f->lbl->GetText(), "Row &count:");
        f->se->SetText(k.Typed);
        return k.Answer;
      });
    w.Run(below);
    EXPECT_EQ(script.Unexpected, 0);
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_EQ(w.T()->RowCount(), k.Rows);
  }
}

TEST_F(TableActions, SplitRestoresTheOriginalCellsOfAMerge) {
  TTableWindow w;
  w.T()->MergeCells(0, 0, 2, 2);
  w.Edit->Format();
  w.Settle();
  TvlActionTableSplitCells split(w.Form.get());
  w.Click(0, 0);
  EXPECT_TRUE(w.Enabled(split));
  TInteractionScript script;
  script.Do([](TInteraction& r) {
    auto* f = FormOf<TfrmVLSplit>(r);
    EXPECT_TRUE(f->rbUnmerge->GetEnabled());
    EXPECT_TRUE(f->cbUnmergeRows->GetChecked());
    EXPECT_TRUE(f->cbUnmergeCols->GetChecked());
    f->rbUnmerge->SetChecked(true);
    f->cbUnmergeRows->SetChecked(false);
    return mrOk;
  });
  w.Run(split);
  // Only the columns come apart; the rows stay joined.
  EXPECT_EQ(w.T()->GetCell(0, 0)->ColSpan, 1);
  EXPECT_EQ(w.T()->GetCell(0, 0)->RowSpan, 2);
  ASSERT_NE(w.T()->GetCell(0, 1), nullptr);
  EXPECT_EQ(w.T()->GetCell(0, 1)->RowSpan, 2);
}

TEST_F(TableActions, CommandsAreEnabledOnlyWhereTheyApply) {
  TTableWindow w;
  TvlActionInsertTable insert(w.Form.get());
  TvlActionTableInsertRowsAbove above(w.Form.get());
  TvlActionTableDeleteTable deleteTable(w.Form.get());
  TvlActionTableSelectTable selectTable(w.Form.get());
  TvlActionTableSelectCell selectCell(w.Form.get());
  TvlActionTableMergeCells merge(w.Form.get());
  TvlActionTableSplitCells split(w.Form.get());
  TvlActionTableCellTopBorder top(w.Form.get());
  TvlActionTableProperties properties(w.Form.get());
  struct TState {
    const char* Where;
    std::function<void()> Go;
    bool Insert, Above, Whole, Cell, Merge, Split, Top, Properties;
  };
  const std::vector<TState> states = {
      {"outside", [&] { w.CaretOutside(); }, true, false, false, false, false, false, false, false},
      {"caret in a cell", [&] { w.Click(1, 1); }, true, true, true, true, false, true, true, true},
      {"two cells selected", [&] { w.Click(1, 2, Qt::ShiftModifier); }, false, true, true, false, true, true, true, true},
  };
  for (const TState& s : states) {
    SCOPED_TRACE(s.Where);
    s.Go();
    EXPECT_EQ(w.Enabled(insert), s.Insert);
    EXPECT_EQ(w.Enabled(above), s.Above);
    EXPECT_EQ(w.Enabled(deleteTable), s.Whole);
    EXPECT_EQ(w.Enabled(selectTable), s.Whole);
    EXPECT_EQ(w.Enabled(selectCell), s.Cell);
    EXPECT_EQ(w.Enabled(merge), s.Merge);
    EXPECT_EQ(w.Enabled(split), s.Split);
    EXPECT_EQ(w.Enabled(top), s.Top);
    EXPECT_EQ(w.Enabled(properties), s.Properties);
  }
}

TEST_F(TableActions, SelectCommandsSelectTheTableItsRowsColumnsOrTheCell) {
  struct TCase {
    const char* Name;
    std::function<TvlActionTableCell*(TComponent*)> Make;
    Integer Top, Left, Cols, Rows;
  };
  const std::vector<TCase> cases = {
      {"table", [](TComponent* o) { return new TvlActionTableSelectTable(o); }, 0, 0, 3, 3},
      {"rows", [](TComponent* o) { return new TvlActionTableSelectRows(o); }, 1, 0, 3, 1},
      {"columns", [](TComponent* o) { return new TvlActionTableSelectCols(o); }, 0, 2, 1, 3},
      {"cell", [](TComponent* o) { return new TvlActionTableSelectCell(o); }, 1, 2, 1, 1},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.Name);
    TTableWindow w;
    std::unique_ptr<TvlActionTableCell> action(k.Make(w.Form.get()));
    w.Click(1, 2);
    w.Run(*action);
    Integer top, left, cols, rows;
    ASSERT_TRUE(w.T()->GetNormalizedSelectionBounds(false, top, left, cols, rows));
    EXPECT_EQ(top, k.Top);
    EXPECT_EQ(left, k.Left);
    EXPECT_EQ(cols, k.Cols);
    EXPECT_EQ(rows, k.Rows);
    EXPECT_EQ(w.T()->GetInplaceEditor(), nullptr);
  }
}

}  // namespace

// The bounds of tables as the user meets them. What the table commands make
// stays within what the reader takes back: a command that would grow a
// table past it is refused with a message, and what they made is saved and
// read back whole. Table records that claim far more than their bytes hold,
// read through each path the program reads VLF by (an entry loaded into its
// window, Insert > File, Ctrl+V), cost what their bytes can describe.
#include "TableTestSupport.h"

#include "actions/IntegerVLFrm.h"
#include "actions/SplitVLFrm.h"
#include "actions/VLActionsInsert.h"
#include "platform/base/Streams.h"
#include "platform/gui/Clipbrd.h"
#include "richtext/model/VLClipFormats.h"
#include "richtext/model/VLFMisc.h"
#include "richtext/view/VLCopy.h"
#include "support/KeySeam.h"
#include "support/TestSupport.h"
#include "support/WorkCost.h"

#include <gtest/gtest.h>

namespace {

using tabletest::TTableWindow;

std::string Int32(std::uint32_t v) {
  std::string s(4, '\0');
  for (int k = 0; k < 4; ++k) s[static_cast<size_t>(k)] = static_cast<char>((v >> (8 * k)) & 0xFF);
  return s;
}

// A table stream whose cell list claims rows x cols and holds two cells.
std::string ClaimingStream(int rows, int cols) {
  std::string s = std::string("QPS1\x0ATVLTableSW\x00", 16) + std::string("\x01" "C", 2);
  s += "\x03" + Int32(static_cast<std::uint32_t>(rows)).substr(0, 2) + "\x03" +
       Int32(static_cast<std::uint32_t>(cols)).substr(0, 2) + "\x01";
  for (int i = 0; i < 2; ++i) s += std::string("\x02\x01\x02\x01QPS1\x02TD\x00\x00", 13);
  return s + std::string("\x00\x00", 2);
}

const std::string Before = "-8 1 3\r\n0 1 0 0 0 0\r\nbefore\r\n";
const std::string After = "0 1 0 0 0 0\r\nafter\r\n";

struct TRecord {
  const char* Name;
  std::string Vlf;
};

std::vector<TRecord> Records() {
  const std::string dir = (qytest::SourceDir() / "tests/richtext/table/data/").string();
  // The older form: the grid in the header and one line per position, the
  // header claiming as many lines as the grid has positions.
  std::string legacy = "-60 200000 0 0 0 0 400 500 31 0 -16777211 0 0 -16777208 -16777196 0 2 2 0 -16777208 "
                       "-16777196 1 1 2 2\r\n";
  for (int i = 0; i < 4; ++i) legacy += "1 1 0 0 0 3 1 1 1 1 0 0 \r\n";
  return {
      {"the 204-byte entry", qytest::ReadFileBytes(dir + "vlf-table-bomb-204b.vlf")},
      {"older record claiming 400 x 500 lines", Before + legacy + After},
      {"stream claiming 400 x 500 in text", Before + "-60 3 0 0 0 0 \r\n\r\n1\r\n" +
                                                VLFStringToHex(ClaimingStream(400, 500)) + "\r\n" + After},
      {"stream claiming 400 x 500 in binary",
       Before + "-60 3 0 0 2 0 \r\n\r\n1\r\n" + Int32(static_cast<std::uint32_t>(ClaimingStream(400, 500).size())) +
           ClaimingStream(400, 500) + After},
  };
}

// A rows x cols grid held by one merged cell, as a table stream.
std::string MergedGridStream(int rows, int cols) {
  auto i32 = [](int v) { return "\x04" + Int32(static_cast<std::uint32_t>(v)); };
  std::string s = std::string("QPS1\x0ATVLTableSW\x00", 16) + std::string("\x01" "C", 2);
  s += i32(rows) + i32(cols) + "\x01" + i32(cols) + i32(rows) + std::string("QPS1\x02TD\x00\x00", 9);
  return s + std::string("\x00\x00", 2);
}

TVLTableItemInfo* FirstTable(TCustomVLData& doc) {
  for (Integer i = 0; i < doc.GetItemCount(); ++i)
    if (auto* t = dynamic_cast<TVLTableItemInfo*>(doc.GetItem(i))) return t;
  return nullptr;
}

enum TPath { StoredEntry, InsertFile, CtrlV };
const char* PathName(TPath p) { return p == StoredEntry ? "stored entry" : p == InsertFile ? "Insert > File" : "Ctrl+V"; }

}  // namespace

TEST(TableRecordCost, ARecordClaimingAGridItsBytesCannotHoldCostsLittleOnEveryPath) {
  qytest::TempDir dir;
  for (const TRecord& record : Records())
    for (TPath path : {StoredEntry, InsertFile, CtrlV}) {
      SCOPED_TRACE(std::string(record.Name) + " through " + PathName(path));
      ASSERT_LT(record.Vlf.size(), 600u);
      TTableWindow w(0, 0, false);
      w.Edit->SetCaret(0, 3);
      qytest::WriteFileBytes(dir / "entry.vlf", record.Vlf);
      TInteractionScript script;
      bool stored = false;
      const qytest::TWorkCost cost = qytest::MeasureWork([&] {
        if (path == StoredEntry) {
          // As the journal opens an entry: the editor loads it and lays it out.
          TStringStream s(record.Vlf);
          stored = w.Edit->LoadVLFFromStream(s);
          w.Edit->Format();
        } else if (path == InsertFile) {
          script.AnswerValue((dir / "entry.vlf").string());
          script.Answer(mrOk);  // an "Error loading file." message, if any
          TvlActionInsertFile insert(w.Form.get());
          insert.Filter = {ffiVLF};
          insert.FilterIndex = 1;
          w.Run(insert);
        } else {
          Clipboard().Clear();
          Clipboard().SetData(RegisterClipboardFormat(VLFClipboardFormatName), VLMakeVLFBlock(record.Vlf));
          QTest::keyClick(ClientWidgetOf(w.Edit), Qt::Key_V, Qt::ControlModifier);
        }
        w.Settle();
      });
      ASSERT_TRUE(cost.PeakKnown);
      // A cell per claimed position took a second and most of a gigabyte
      // (the 204-byte entry), or a fifth of a gigabyte (400 x 500 lines).
      EXPECT_LT(cost.CpuSeconds, 0.3);
      EXPECT_LT(cost.PeakGrowthBytes, std::int64_t{64} << 20);
      // Whatever was read of it, no table past what the bytes describe.
      for (Integer i = 0; i < w.Edit->EditData()->GetItemCount(); ++i)
        if (auto* t = dynamic_cast<TVLTableItemInfo*>(w.Edit->EditData()->GetItem(i))) {
          EXPECT_LE(static_cast<size_t>(t->RowCount()) * static_cast<size_t>(t->ColCount()), record.Vlf.size());
        }
      const std::string text = tabletest::DocText(w.Edit->EditData());
      if (path == StoredEntry) {
        if (stored) {
          EXPECT_EQ(text, "before|after");
        }
      } else {
        // Inserted: the text around the refused table, or nothing at all.
        EXPECT_TRUE(text == "Before|After" || text.find("before") != std::string::npos) << text;
      }
    }
}

// Tables at the bound, grown by the commands as the user gives them: one
// row or column, or a split, that reaches the bound goes through and is
// saved and read back whole; one past it is refused with a message and
// leaves the table as it was. (Each starts from a grid held by one merged
// cell and a column of cells of their own, so that it stays cheap.)
TEST(TableLimits, CommandsGrowATableUpToWhatIsReadBackAndRefuseToGoPast) {
  const Integer bound = static_cast<Integer>(VLTableMaxCells);
  auto splitInto = [](Integer cols, Integer rows, bool merge) {
    return [=](TInteraction& r) {
      auto* f = dynamic_cast<TfrmVLSplit*>(r.Form);
      EXPECT_NE(f, nullptr);
      if (!f) return mrCancel;
      f->rbSplit->SetChecked(true);
      f->cbMerge->SetChecked(merge);
      f->seColumns->SetValue(cols);
      f->seRows->SetValue(rows);
      return mrOk;
    };
  };
  struct TCase {
    const char* Name;
    Integer Rows, Cols;  // the merged grid, before the column of cells
    std::function<TvlActionTableCell*(TComponent*)> Make;
    Integer Col;        // the cell the caret is in, in row 0 (-1: the whole last column selected)
    std::function<int(TInteraction&)> Dialog;  // nullptr: none
    // The grid the command makes (a split then drops the columns and rows
    // the merged grid leaves without a cell of their own: 0, any grid).
    Integer RowsAfter, ColsAfter;
  };
  auto rowBelow = [](TComponent* o) { return new TvlActionTableInsertRowsBelow(o); };
  auto rowAbove = [](TComponent* o) { return new TvlActionTableInsertRowsAbove(o); };
  auto colLeft = [](TComponent* o) { return new TvlActionTableInsertColLeft(o); };
  auto colRight = [](TComponent* o) { return new TvlActionTableInsertColRight(o); };
  auto split = [](TComponent* o) { return new TvlActionTableSplitCells(o); };
  auto count = [](const char* typed) {
    return [=](TInteraction& r) {
      auto* f = dynamic_cast<TfrmInteger*>(r.Form);
      EXPECT_NE(f, nullptr);
      if (f) f->se->SetText(typed);
      return mrOk;
    };
  };
  const std::vector<TCase> cases = {
      {"row below up to the bound", 399, 499, rowBelow, 0, nullptr, 400, 500},
      {"row below past the bound", 400, 499, rowBelow, 0, nullptr, 401, 500},
      {"hundred rows below past the bound", 301, 499, rowBelow, 0, count("100"), 401, 500},
      {"hundred rows below up to the bound", 300, 499, rowBelow, 0, count("100"), 400, 500},
      {"row above past the bound", 400, 499, rowAbove, 499, nullptr, 401, 500},
      {"column left up to the bound", 400, 498, colLeft, 498, nullptr, 400, 500},
      {"column right past the bound", 400, 499, colRight, 0, nullptr, 400, 501},
      {"split into two columns up to the bound", 400, 498, split, 498, splitInto(2, 1, false), 0, 0},
      {"split into three columns past the bound", 400, 498, split, 498, splitInto(3, 1, false), 400, 501},
      {"split the last column into two rows past the bound", 400, 499, split, -1, splitInto(1, 2, false), 402,
       500},
      {"merged first, then split past the bound", 400, 498, split, -1, splitInto(3, 1, true), 400, 501},
      {"merged first, then split within the bound", 400, 497, split, -1, splitInto(2, 2, true), 0, 0},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.Name);
    const bool fits = static_cast<Int64>(k.RowsAfter) * k.ColsAfter <= bound;
    const bool anyGrid = k.RowsAfter == 0;
    TTableWindow w(0, 0, false);
    {
      // The merged grid, and a column of cells of their own right of it.
      const std::string vlf = Before + "-60 3 0 0 0 0 \r\n\r\n1\r\n" +
                              VLFStringToHex(MergedGridStream(k.Rows, k.Cols)) + "\r\n" + After;
      TStringStream s(vlf);
      ASSERT_TRUE(w.Edit->LoadVLFFromStream(s));
      w.Edit->Format();
      TVLTableItemInfo* t = FirstTable(*w.Edit->EditData());
      ASSERT_NE(t, nullptr);
      t->InsertCols(k.Cols, 1, -1, false);
      t->GetCell(0, 0)->SetItemTextA(0, TTableWindow::U("Łódź"));
      t->GetCell(0, 0)->GetItem(0)->ItemOptions |= vlioUnicode;
      w.Edit->Format();
      w.Settle();
      if (k.Col >= 0) {
        t->EditCell(0, k.Col);
      } else {
        t->Select(0, k.Cols, 0, 1);  // the first two cells of the last column
      }
      w.Settle();
    }
    TVLTableItemInfo* t = FirstTable(*w.Edit->EditData());
    const Integer rowsBefore = t->RowCount(), colsBefore = t->ColCount();
    std::unique_ptr<TvlActionTableCell> action(k.Make(w.Form.get()));
    if (auto* below = dynamic_cast<TvlActionTableInsertRowsBelow*>(action.get())) below->AllowMultiple = k.Dialog != nullptr;
    TInteractionScript script;
    if (k.Dialog) script.Do(k.Dialog);
    if (!fits) script.Answer(mrOk);
    w.Run(*action);
    EXPECT_EQ(script.Unexpected, 0);
    EXPECT_EQ(script.Pending(), 0u);
    std::vector<std::string> messages;
    for (const TInteraction& r : script.Shown)
      if (r.Kind == TInteractionKind::MessageBox) messages.push_back(r.Text);
    t = FirstTable(*w.Edit->EditData());
    ASSERT_NE(t, nullptr);
    if (!fits) {
      EXPECT_EQ(messages.size(), 1u);
      if (!messages.empty()) {
        EXPECT_EQ(messages[0], "A table can have at most " + std::to_string(bound) + " cells.");
      }
      EXPECT_EQ(t->RowCount(), rowsBefore);
      EXPECT_EQ(t->ColCount(), colsBefore);
      continue;
    }
    EXPECT_TRUE(messages.empty());
    const Integer rowsAfter = anyGrid ? t->RowCount() : k.RowsAfter, colsAfter = anyGrid ? t->ColCount() : k.ColsAfter;
    EXPECT_EQ(t->RowCount(), rowsAfter);
    EXPECT_EQ(t->ColCount(), colsAfter);
    EXPECT_NE(Int64(t->RowCount()) * t->ColCount(), Int64(rowsBefore) * colsBefore);
    if (t->GetInplaceEditor()) t->DestroyInplaceEditor(true);
    // Saved as the entry is, and read back whole.
    TMemoryStream saved;
    ASSERT_TRUE(w.Edit->EditData()->SaveVLFToStream(saved, false, clNone, nullptr, bsNoBitmap, nullptr));
    saved.SetPosition(0);
    TVLDocumentData back(&w.Style);
    TColor color = clNone;
    ASSERT_TRUE(back.LoadVLFFromStream(saved, color, nullptr, nullptr, nullptr));
    EXPECT_FALSE(back.GetVLFWarnings().Contains(vlfwTableTooLarge));
    EXPECT_FALSE(back.GetVLFWarnings().Contains(vlfwTableGridRepaired));
    TVLTableItemInfo* b = FirstTable(back);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->RowCount(), rowsAfter);
    EXPECT_EQ(b->ColCount(), colsAfter);
    EXPECT_EQ(tabletest::DocText(b->GetCell(0, 0)), "Łódź");
  }
}

// Typing in a cell lays out and repaints only what changes: the result must
// be what a layout of the whole table and a repaint of the whole window give.
#include "CellEditorSupport.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <vector>

namespace {

using celltest::TTableEditor;

// A table wider than the window (every column at its narrowest, the
// columns after a widened one only move) or one with room to share.
struct TTypingEditor : TTableEditor {
  TTypingEditor(Integer cols, bool wide) : TTableEditor(5, cols) {
    for (Integer r = 0; r < 5; ++r)
      for (Integer c = 0; c < cols; ++c) {
        TVLTableCellData* cell = T->GetCell(r, c);
        cell->Clear();
        cell->AddTextItem(U(wide ? ("cell " + std::to_string(r) + "." + std::to_string(c)).c_str() : "ab"), 0, 0);
      }
    T->Color = clWhite;
    T->CellBorderWidth = 1;
    T->Changed();
    Edit->Format();
    QApplication::processEvents();
  }

  // The document area as the window shows it (without the cell editor
  // over it, whose own painting is not in question).
  QImage Shown() const {
    QWidget* w = Surface();
    QImage image(w->size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter p(&image);
    w->render(&p, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    return image;
  }

  // Every number the layout gives the table and its cells.
  std::vector<Integer> Geometry() const {
    const TVLTableItemFormattingInfo& F = T->FormattingInfo;
    std::vector<Integer> g{F.Width, F.Height};
    for (const auto* v : {&F.ColWidths, &F.RowHeights, &F.ColStarts, &F.RowStarts}) g.insert(g.end(), v->begin(), v->end());
    for (Integer r = 0; r < T->RowCount(); ++r)
      for (Integer c = 0; c < T->ColCount(); ++c) {
        const TVLTableCellData* cell = T->GetCell(r, c);
        g.insert(g.end(), {cell->Left, cell->Top, cell->Width, cell->Height, cell->DocumentHeight});
      }
    return g;
  }
};

constexpr Integer WideColumns = 20;

// What is typed in cell (3, 2) after moving to its end.
struct TStep {
  const char* name;
  std::vector<Qt::Key> keys;
};

const std::vector<TStep>& Steps() {
  static const std::vector<TStep> steps{
      {"widen the column", {Qt::Key_W, Qt::Key_I, Qt::Key_D, Qt::Key_E, Qt::Key_R}},
      {"wrap a line", {Qt::Key_Space, Qt::Key_A}},
      {"a new paragraph", {Qt::Key_Return, Qt::Key_B}},
      {"shrink the row back", {Qt::Key_Backspace, Qt::Key_Backspace, Qt::Key_Backspace, Qt::Key_Backspace}},
      {"shrink the column back", {Qt::Key_Backspace, Qt::Key_Backspace, Qt::Key_Backspace, Qt::Key_Backspace}},
      {"widen by much", {Qt::Key_M, Qt::Key_M, Qt::Key_M, Qt::Key_M, Qt::Key_M, Qt::Key_M, Qt::Key_M, Qt::Key_M}},
  };
  return steps;
}

// The table is laid out again exactly when a column's narrowest width
// changes, and the layout is the one made of the whole table from scratch
// (as on opening the entry): where every column is at its narrowest only
// the widened column's cells are laid out again; with room to share the
// columns' shares move with their narrowest widths.
TEST(CellTyping, LayoutAfterEachKeyIsTheWholeTablesLayout) {
  for (const bool wide : {true, false}) {
    SCOPED_TRACE(wide ? "wider than the window" : "with room to share");
    TTypingEditor e(wide ? WideColumns : 4, wide);
    ASSERT_EQ(e.T->GetWidth() > e.Edit->ClientWidth(), wide);
    e.Click(3, 2);
    ASSERT_NE(e.Cell(), nullptr);
    e.Press(Qt::Key_End);
    for (const TStep& step : Steps()) {
      SCOPED_TRACE(step.name);
      const Integer formats = e.T->CellFormatCount;
      for (Qt::Key key : step.keys) e.Press(key);
      // No more than the column's cells (every cell, with room) were laid
      // out again per key.
      const Integer perKey = wide ? e.T->RowCount() : e.T->RowCount() * e.T->ColCount();
      EXPECT_LE(e.T->CellFormatCount - formats, static_cast<Integer>(step.keys.size()) * perKey);
      const std::vector<Integer> typed = e.Geometry();
      // The whole table measured and laid out anew gives the same.
      e.T->Changed();
      e.D().ReformatKeepingCaret(false, false, e.TableItemNo(), false, true);
      EXPECT_EQ(e.Geometry(), typed);
    }
  }
}

TEST(CellTyping, RepaintingWhatChangedShowsWhatRepaintingAllShows) {
  enum TTable { Wide, Room, Merged };
  for (const TTable table : {Wide, Room, Merged}) {
    SCOPED_TRACE(table == Wide ? "wider than the window" : table == Room ? "with room to share" : "with merged cells");
    const bool wide = table != Room;
    TTypingEditor e(wide ? WideColumns : 4, wide);
    if (table == Merged) {
      // One cell beside the edited one over its row and the row above, its
      // text in the middle; one over the edited column and the next.
      ASSERT_TRUE(e.T->MergeCells(2, 1, 1, 2));
      e.T->GetCell(2, 1)->VAlign = vlcMiddle;
      ASSERT_TRUE(e.T->MergeCells(0, 2, 2, 1));
      e.Edit->Format();
      QApplication::processEvents();
    }
    // The line after the table shows, and moves with it.
    ASSERT_LT(e.D().DocumentHeight + 40, e.Edit->ClientHeight());
    e.Click(3, 2);
    ASSERT_NE(e.Cell(), nullptr);
    e.Press(Qt::Key_End);
    for (const TStep& step : Steps()) {
      SCOPED_TRACE(step.name);
      for (Qt::Key key : step.keys) {
        e.Press(key);
        e.Surface()->repaint();
        const QImage partial = e.Shown();
        e.Edit->Repaint();
        const QImage full = e.Shown();
        EXPECT_TRUE(partial == full) << "after key " << key;
      }
    }
  }
}

// A 1 x cols table whose first cell holds these paragraphs, its editor
// opened by a click on the cell's last line and the caret at its end.
void OpenAtEndOfFirstCell(TTableEditor& e, const std::vector<std::string>& paragraphs) {
  TVLTableCellData* cell = e.T->GetCell(0, 0);
  cell->Clear();
  for (const std::string& p : paragraphs) cell->AddTextItem(TTableEditor::U(p.c_str()), 0, 0);
  e.T->Changed();
  e.Edit->Format();
  QApplication::processEvents();
  e.ClickAt(e.CellPoint(0, 0, cell->Width - 2 * e.T->CellPadding - 3, cell->Height - 2 * e.T->CellPadding - 4));
  ASSERT_NE(e.Cell(), nullptr);
  e.Press(Qt::Key_End);
  ASSERT_NE(e.Cell(), nullptr);
}

// Whether the cell editor is still open; it must show all its lines and
// the middle of its caret.
bool ShowsAllItsLines(const TTableEditor& e, const std::string& after) {
  if (!e.Cell()) {
    ADD_FAILURE() << "the cell editor closed after " << after;
    return false;
  }
  TVLEditVLData* d = e.Cell()->EditData();
  EXPECT_GE(e.Cell()->GetHeight(), d->DocumentHeight) << after;
  TPoint p;
  EXPECT_TRUE(d->GetCaretClientPoint(p)) << after;
  EXPECT_LT(p.Y + d->CaretHeight / 2, e.Cell()->ClientHeight()) << after;
  return true;
}

std::string Repeated(const char* word, int times) {
  std::string s;
  for (int i = 0; i < times; ++i) s += word;
  return s;
}

}  // namespace

// A column narrowed by what is typed in its cell rewraps the cell's other
// lines, which can make it taller: the editor over the cell shows all its
// lines after every key, its caret included.
TEST(CellTyping, TheEditorShowsAllItsLinesAsItsColumnNarrows) {
  for (const Integer cols : {3, 4, 5, 6}) {
    SCOPED_TRACE(std::to_string(cols) + " columns");
    TTableEditor e(1, cols);
    OpenAtEndOfFirstCell(e, {Repeated("ab ", 40), "cafexxxxxxxxxxxxxxxxxxxxxxxx"});
    if (HasFatalFailure()) return;
    int grew = 0;
    Integer height = e.Cell()->EditData()->DocumentHeight;
    for (int key = 0; key < 24; ++key) {
      e.Press(Qt::Key_Backspace);
      if (!ShowsAllItsLines(e, "after " + std::to_string(key + 1) + " keys")) return;
      grew += e.Cell()->EditData()->DocumentHeight > height;
      height = e.Cell()->EditData()->DocumentHeight;
    }
    // (The case the test is about came up.)
    if (cols == 5) {
      EXPECT_GT(grew, 0);
    }
  }
}

// A new line in a cell that makes the entry taller than the window brings
// the vertical scroll bar: the table narrows to the rest of the window,
// and the cell's lines rewrap (taller, in some of the widths below) after
// the cell's change was handled. The editor over the cell still shows all
// its lines and its caret; so too when the bar goes again.
TEST(CellTyping, TheEditorShowsAllItsLinesWhenTheScrollBarComesOrGoes) {
  int rewrapped = 0;
  for (int words = 8; words <= 60; ++words) {
    SCOPED_TRACE(std::to_string(words) + " words");
    TTableEditor e(1, 1);
    OpenAtEndOfFirstCell(e, {Repeated("abc ", words)});
    if (HasFatalFailure()) return;
    auto barShown = [&e] { return e.D().DocumentHeight > e.Edit->ClientHeight(); };
    // How much the cell's lines grow per Return, and how much at the Return
    // that brought the bar.
    auto lines = [&e] { return e.Cell()->EditData()->DocumentHeight; };
    Integer line = 0, grew = 0;
    int keys = 0;
    while (!barShown() && keys < 60) {
      const Integer before = lines();
      e.Press(Qt::Key_Return);
      if (!ShowsAllItsLines(e, "Return " + std::to_string(++keys))) return;
      grew = lines() - before;
      if (keys == 1) line = grew;
    }
    ASSERT_TRUE(barShown()) << "the entry never grew past the window";
    rewrapped += grew > line;
    while (barShown() && keys > 0) {
      e.Press(Qt::Key_Backspace);
      if (!ShowsAllItsLines(e, "Backspace after " + std::to_string(keys--) + " Returns")) return;
    }
  }
  // (The bar rewrapped the cell's words to more lines.)
  EXPECT_GT(rewrapped, 0);
}

// After each table command, as the user chooses it, the window shows what a
// repaint of all of it shows: the parts the command had repainted are all
// that changed, and they are painted where a whole repaint paints them.
#include "TableTestSupport.h"

#include "actions/ItemPropVLFrm.h"
#include "actions/SplitVLFrm.h"
#include "actions/TableBackVLFrm.h"
#include "platform/gui/ExtCtrls.h"

#include <QImage>
#include <QKeyEvent>
#include <QWheelEvent>

#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using tabletest::TTableWindow;

// A picture no part of which looks like another: a tile of it painted a
// few pixels off shows.
std::unique_ptr<TBitmap> Picture(TColor ground) {
  auto bmp = std::make_unique<TBitmap>(17, 13);
  TCanvas* c = bmp->Canvas();
  c->Brush.Style = bsSolid;
  const struct {
    TRect R;
    TColor Color;
  } parts[] = {{TRect(0, 0, 17, 13), ground},
               {TRect(0, 0, 5, 3), clRed},
               {TRect(7, 2, 12, 9), clBlue},
               {TRect(3, 8, 9, 13), clGreen},
               {TRect(14, 5, 17, 11), clPurple}};
  for (const auto& p : parts) {
    c->Brush.Color = p.Color;
    c->FillRect(p.R);
  }
  c->ReleaseHandle();
  return bmp;
}

// Five rows of three cells with text beyond ASCII, borders, a fill and a
// tiled picture, narrower than the window. Below it a status line that, as
// the main window's, is painted at once on every change: the toolkit then
// paints what is pending in the whole window, the editor's parts too, in
// the middle of a command made of several steps.
struct TPictureTable : TTableWindow {
  TPictureTable() : TTableWindow(5, 3) {
    Form->SetBounds(0, 0, 520, 450);
    Status = new TPanel(Form.get());
    Status->SetParent(Form.get());
    Status->SetBounds(0, 402, 500, 24);
    Edit->OnChange = [this](TObject*) {
      Status->SetCaption("modified " + std::to_string(++Changes));
      Status->Repaint();
    };
    TVLTableItemInfo* t = T();
    for (Integer r = 0; r < t->RowCount(); ++r)
      for (Integer c = 0; c < t->ColCount(); ++c) {
        TVLTableCellData* cell = t->GetCell(r, c);
        cell->Clear();
        const std::string text = (c == 1 ? "café " : "Łódź ") + std::to_string(r) + std::to_string(c);
        cell->AddTextItem(U(text.c_str()), 0, 0);
      }
    t->BorderWidth = 2;
    t->CellBorderWidth = 1;
    t->CellPadding = 3;
    t->BestWidth = -80;
    t->Color = clYellow;
    t->SetBackgroundImage(Picture(clAqua));
    t->SetBackgroundStyle(vlbsTiled);
    t->Changed();
    Edit->Format();
    Settle();
  }

  TPanel* Status = nullptr;
  int Changes = 0;

  // What the window shows now, the cell editor over the document.
  QImage Shown() {
    Settle();
    return ClientWidgetOf(Edit)->grab().toImage();
  }

  // What it shows once everything in it is painted again.
  QImage Repainted() {
    Edit->Repaint();
    if (TCustomVellumEdit* cell = T() ? T()->GetInplaceEditor() : nullptr) cell->Repaint();
    return ClientWidgetOf(Edit)->grab().toImage();
  }
};

// Where two pictures of the window differ, for the failure message.
std::string Difference(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return "the sizes differ";
  int left = a.width(), top = a.height(), right = -1, bottom = -1, count = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (a.pixel(x, y) != b.pixel(x, y)) {
        ++count;
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  if (count == 0) return "none";
  return std::to_string(count) + " pixels in x " + std::to_string(left) + ".." + std::to_string(right) + ", y " +
         std::to_string(top) + ".." + std::to_string(bottom);
}

// Typed key by key, as a keyboard with those letters sends them.
void TypeKeys(QWidget* target, const char* utf8) {
  for (QChar ch : QString::fromUtf8(utf8)) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(target, &release);
  }
}

// The Properties dialog's table page changed by change, then OK.
std::function<int(TInteraction&)> TablePage(std::function<void(TfrmVLItemProp*)> change) {
  return [change](TInteraction& r) {
    auto* f = dynamic_cast<TfrmVLItemProp*>(r.Form);
    EXPECT_NE(f, nullptr);
    if (!f) return static_cast<int>(mrCancel);
    // Shown: the handlers that follow the user's typing are live.
    f->Show();
    change(f);
    f->Hide();
    return static_cast<int>(mrOk);
  };
}

TEST(TableRepaint, EveryCommandLeavesWhatAWholeRepaintShows) {
  using TMake = std::function<TBasicAction*(TComponent*)>;
  const TMake properties = [](TComponent* o) { return new TvlActionTableProperties(o); };
  struct TCase {
    const char* Name;
    TMake Make;  // nullptr: Typed is typed into the cell clicked
    // Cells clicked, the second with Shift (-1: none).
    Integer Row, Col, ToRow, ToCol;
    std::vector<std::function<int(TInteraction&)>> Dialogs;
    const char* Typed = nullptr;
    std::function<void(TVLTableItemInfo*)> Setup = nullptr;  // the table changed first
    std::function<bool(TVLTableItemInfo*)> Done = nullptr;   // the dialog's change arrived
  };
  const std::vector<TCase> cases = {
      {"insert a row above", [](TComponent* o) { return new TvlActionTableInsertRowsAbove(o); }, 2, 1, -1, -1, {}},
      {"insert a row below", [](TComponent* o) { return new TvlActionTableInsertRowsBelow(o); }, 2, 1, -1, -1, {}},
      {"insert a column left", [](TComponent* o) { return new TvlActionTableInsertColLeft(o); }, 2, 1, -1, -1, {}},
      {"insert a column right", [](TComponent* o) { return new TvlActionTableInsertColRight(o); }, 2, 2, -1, -1, {}},
      {"delete the first row", [](TComponent* o) { return new TvlActionTableDeleteRows(o); }, 0, 0, -1, -1, {}},
      {"delete a middle row", [](TComponent* o) { return new TvlActionTableDeleteRows(o); }, 2, 1, -1, -1, {}},
      {"delete the last row", [](TComponent* o) { return new TvlActionTableDeleteRows(o); }, 4, 2, -1, -1, {}},
      {"delete several rows", [](TComponent* o) { return new TvlActionTableDeleteRows(o); }, 1, 0, 3, 0, {}},
      {"delete a middle column", [](TComponent* o) { return new TvlActionTableDeleteCols(o); }, 1, 1, -1, -1, {}},
      {"delete the last column", [](TComponent* o) { return new TvlActionTableDeleteCols(o); }, 3, 2, -1, -1, {}},
      {"merge cells", [](TComponent* o) { return new TvlActionTableMergeCells(o); }, 1, 0, 2, 1, {}},
      {"split a cell",
       [](TComponent* o) { return new TvlActionTableSplitCells(o); },
       2,
       1,
       -1,
       -1,
       {[](TInteraction& r) {
         auto* f = dynamic_cast<TfrmVLSplit*>(r.Form);
         EXPECT_NE(f, nullptr);
         if (!f) return static_cast<int>(mrCancel);
         f->rbSplit->SetChecked(true);
         f->seColumns->SetValue(2);
         f->seRows->SetValue(2);
         return static_cast<int>(mrOk);
       }}},
      {"typing a second line in a cell", nullptr, 2, 1, -1, -1, {}, "żółw"},
      // Without borders the dotted grid lines show: when the table grows
      // their dots move.
      {"typing a second line in a cell without borders", nullptr, 2, 1, -1, -1, {}, "żółw",
       [](TVLTableItemInfo* t) {
         t->BorderWidth = 0;
         t->CellBorderWidth = 0;
       }},
      {"properties: a wider padding", properties, 1, 1, -1, -1,
       {TablePage([](TfrmVLItemProp* f) { f->seCellPadding->SetValue(9); })},
       nullptr,
       nullptr,
       [](TVLTableItemInfo* t) { return t->CellPadding == 9; }},
      {"properties: a wider spacing", properties, 1, 1, -1, -1,
       {TablePage([](TfrmVLItemProp* f) { f->seCellSpacing->SetValue(6); })},
       nullptr,
       nullptr,
       [](TVLTableItemInfo* t) { return t->CellHSpacing == 6; }},
      {"properties: a wider border", properties, 1, 1, -1, -1,
       {TablePage([](TfrmVLItemProp* f) { f->BorderWidth = 5; })},
       nullptr,
       nullptr,
       [](TVLTableItemInfo* t) { return t->BorderWidth == 5; }},
      {"properties: another fill", properties, 1, 1, -1, -1,
       {TablePage([](TfrmVLItemProp* f) { f->cmbTableColor->SetChosenColor(clLime); })},
       nullptr,
       nullptr,
       [](TVLTableItemInfo* t) { return t->Color == clLime; }},
      {"properties: a stretched picture", properties, 1, 1, -1, -1,
       {TablePage([](TfrmVLItemProp* f) { f->btnTableBack->Click(); }),
        [](TInteraction& r) {
          auto* d = dynamic_cast<TfrmVLTableBack*>(r.Form);
          EXPECT_NE(d, nullptr);
          if (!d) return static_cast<int>(mrCancel);
          auto picture = Picture(clWhite);
          d->SetBackground(clYellow, vlbsStretched, picture.get());
          return static_cast<int>(mrOk);
        }},
       nullptr,
       nullptr,
       [](TVLTableItemInfo* t) { return t->BackgroundStyle == vlbsStretched; }},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.Name);
    TPictureTable w;
    if (k.Setup) {
      k.Setup(w.T());
      w.T()->Changed();
      w.Edit->Format();
      w.Settle();
    }
    std::unique_ptr<TBasicAction> action(k.Make ? k.Make(w.Form.get()) : nullptr);
    w.Click(k.Row, k.Col);
    if (k.ToRow >= 0) w.Click(k.ToRow, k.ToCol, Qt::ShiftModifier);
    const std::string before = w.Grid();
    // Painted whole once, as after the clicks; the command repaints only
    // what it changes.
    w.Repainted();
    TInteractionScript script;
    for (const auto& dialog : k.Dialogs) script.Do(dialog);
    if (action) {
      w.Run(*action);
    } else {
      // The cell editor paints the pictures under its cell itself.
      ASSERT_NE(w.T()->GetInplaceEditor(), nullptr);
      // A new line first, so that what is repainted does not start at the
      // cell's corner.
      QTest::keyClick(WidgetOf(w.T()->GetInplaceEditor()), Qt::Key_Return);
      w.Settle();
      TypeKeys(WidgetOf(w.T()->GetInplaceEditor()), k.Typed);
      w.Settle();
      EXPECT_NE(w.Grid().find(std::string("café 21|") + k.Typed), std::string::npos) << w.Grid();
    }
    EXPECT_EQ(script.Unexpected, 0);
    EXPECT_EQ(script.Pending(), 0u);
    ASSERT_NE(w.T(), nullptr);
    if (k.Done) {
      EXPECT_TRUE(k.Done(w.T()));
    }
    const QImage shown = w.Shown();
    const QImage whole = w.Repainted();
    EXPECT_TRUE(shown == whole) << "differing: " << Difference(shown, whole) << "; table " << before << " -> "
                                << w.Grid();
  }
}

// Deleting the rows or columns of the cell being edited keeps the caret in
// the table, in the cell that took the edited one's place: no caret is
// drawn beside the table, and what is typed next goes into that cell.
TEST(TableRepaint, DeletingRowsOrColumnsKeepsTheCaretInTheTable) {
  struct TCase {
    const char* Name;
    bool Rows;
    Integer Row, Col;
    Integer CaretRow, CaretCol;  // where typing goes afterwards
    const char* Cell;            // its text then
  };
  const TCase cases[] = {
      {"the first row", true, 0, 1, 0, 1, "żcafé 11"},
      {"a middle row", true, 2, 1, 2, 1, "żcafé 31"},
      {"the last row", true, 4, 2, 3, 2, "żŁódź 32"},
      {"a middle column", false, 1, 1, 1, 1, "żŁódź 12"},
      {"the last column", false, 3, 2, 3, 1, "żcafé 31"},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.Name);
    TPictureTable w;
    TVLTableItemInfo* t = w.T();
    w.Click(k.Row, k.Col);
    ASSERT_NE(t->GetInplaceEditor(), nullptr);
    TvlActionTableDeleteRows rows(w.Form.get());
    TvlActionTableDeleteCols cols(w.Form.get());
    EXPECT_TRUE(w.Run(k.Rows ? static_cast<TBasicAction&>(rows) : cols));
    // Beside the table, where the document's caret stood after it, the
    // window shows the document's white.
    EXPECT_FALSE(w.Edit->CaretVisible());
    const QImage shown = w.Shown();
    TVLEditVLData& d = *w.Edit->EditData();
    const TVLDrawLineInfo* line = d.DrawItems[t->DrawItemNo];
    // (The picture of the window has its frame around the client area.)
    const TPoint origin = ClientOriginOf(w.Edit);
    const int x = origin.X + line->Left + t->GetWidth() + 1 - d.GetHOffset();
    int marked = 0;
    for (int y = line->Top; y < line->Top + line->Height; ++y)
      marked += shown.pixelColor(x, origin.Y + y - d.GetVOffset()) != QColor(Qt::white);
    EXPECT_EQ(marked, 0) << "pixels beside the table at x " << x;
    TCustomVellumEdit* cell = t->GetInplaceEditor();
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(t->EditedRow(), k.CaretRow);
    EXPECT_EQ(t->EditedCol(), k.CaretCol);
    TypeKeys(WidgetOf(cell), "ż");
    w.Settle();
    t->DestroyInplaceEditor(true);
    EXPECT_EQ(tabletest::DocText(t->GetCell(k.CaretRow, k.CaretCol)), k.Cell);
  }
}

// While a cell is edited the caret is the cell editor's: the document's own
// caret stays hidden when the document scrolls under it or when the program
// sets its read-only flag again (as every automatic save does), wherever it
// stood before (in the text, or after the table once Delete Rows ran).
TEST(TableRepaint, TheDocumentsCaretStaysHiddenWhileACellIsEdited) {
  enum TThen { Wheel, ReadOnlyFlag };
  for (const bool deleted : {false, true})
    for (const TThen then : {Wheel, ReadOnlyFlag}) {
      SCOPED_TRACE(std::string(deleted ? "after Delete Rows" : "after a click") + ", " +
                   (then == Wheel ? "the wheel" : "the read-only flag"));
      TPictureTable w;
      // Lines enough after the table for the document to scroll.
      TVLEditVLData& d = *w.Edit->EditData();
      for (int i = 0; i < 40; ++i) d.AddTextItem(TTableWindow::U(("Gdańsk " + std::to_string(i)).c_str()), 0, 0);
      w.Edit->Format();
      w.Settle();
      w.Click(2, 1);
      if (deleted) {
        TvlActionTableDeleteRows rows(w.Form.get());
        ASSERT_TRUE(w.Run(rows));
      }
      ASSERT_NE(w.T()->GetInplaceEditor(), nullptr);
      ASSERT_FALSE(w.Edit->CaretVisible());
      if (then == Wheel) {
        const Integer v = d.GetVOffset();
        QWidget* area = ClientWidgetOf(w.Edit);
        const QPoint at(area->width() / 2, area->height() - 20);
        QWheelEvent wheel(at, area->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(area, &wheel);
        w.Settle();
        ASSERT_GT(d.GetVOffset(), v);
      } else {
        w.Edit->SetReadOnly(false);
        w.Settle();
      }
      EXPECT_FALSE(w.Edit->CaretVisible());
      EXPECT_NE(w.T()->GetInplaceEditor(), nullptr);
    }
}

}  // namespace

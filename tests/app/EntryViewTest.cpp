// The entry's caret in the journal window as its user meets it: the view
// scrolls sideways to show it; a lock and the password bring it back where
// it stood, also in a cell three tables deep; and a paragraph's background
// in a cell stays painted while that cell is edited.
#include "TableWindowSupport.h"
#include "WindowSeamSupport.h"

#include "actions/VLActionsColor.h"
#include "actions/VLActionsPara.h"
#include "actions/VLActionsParaDlg.h"
#include "app/QYAutoSave.h"
#include "app/QYPassword.h"
#include "app/QYProfile.h"
#include "platform/db/DBPassword.h"
#include "platform/gui/Clipbrd.h"
#include "richtext/view/VLCopy.h"

#include <QImage>
#include <QScrollBar>
#include <QWheelEvent>
#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

const String kPassword = "Caret;Key-4";

struct TCaretWindow : qytest::TWindowMouseOn<qytest::TDiaryWindow> {
  using TWindowMouseOn::TWindowMouseOn;
  std::vector<TVLTableInplaceEdit*> Cells() const { return qytest::CellEditorChain(Edit()); }

  // The entry's scroll bar of one direction, when shown.
  QScrollBar* Bar(Qt::Orientation o) const {
    for (QScrollBar* b : ClientWidgetOf(Edit())->parentWidget()->findChildren<QScrollBar*>())
      if (b->orientation() == o && b->isVisible()) return b;
    return nullptr;
  }

  // Where the caret stands in the entry's view (its client area), whichever
  // editor holds it; empty when it lies outside it.
  std::string CaretOutOfSight() const {
    TCustomVellumEdit* e = Innermost();
    TPoint p;
    if (!e->EditData()->GetCaretClientPoint(p)) return "no caret";
    QWidget* view = ClientWidgetOf(Edit());
    const QPoint at = view->mapFromGlobal(ClientWidgetOf(e)->mapToGlobal(QPoint(p.X, p.Y)));
    if (QRect(QPoint(0, 0), view->size()).contains(at)) return std::string();
    return "the caret at " + std::to_string(at.x()) + "," + std::to_string(at.y()) + " of a view " +
           std::to_string(view->width()) + "x" + std::to_string(view->height()) + " scrolled to " +
           std::to_string(Edit()->EditData()->GetHOffset());
  }

  // A table of one row wider than the view (its cells hold long words),
  // after a first line "first"; the caret in its last cell.
  bool WideTable() {
    if (!Type("first") || !Key(Qt::Key_Return) || !InsertTable(1, 3)) return false;
    for (int c = 0; c < 3; ++c) {
      if (c > 0 && !Key(Qt::Key_Tab)) return false;
      if (!Type(std::string(c == 2 ? "far" : "wide") + std::string(40, 'm'))) return false;
    }
    return Bar(Qt::Horizontal) != nullptr;
  }
  // From the far cell of the wide table back to the first cell's start by
  // the keyboard, which shows the view unscrolled; else what failed.
  std::string ToFirstCell() {
    if (!Key(Qt::Key_Tab, Qt::ShiftModifier) || !Key(Qt::Key_Tab, Qt::ShiftModifier) || !Key(Qt::Key_Home))
      return "Shift+Tab";
    return Edit()->EditData()->GetHOffset() == 0 ? "" : "the first cell left the view scrolled";
  }

  // The wheel turned over the middle of the entry's view, notches down
  // (up when negative).
  bool Wheel(int notches) {
    QWidget* view = ClientWidgetOf(Edit());
    for (int i = 0; i < std::abs(notches); ++i) {
      const QPoint at(view->width() / 2, view->height() / 2);
      QWheelEvent wheel(at, view->mapToGlobal(at), QPoint(), QPoint(0, notches > 0 ? -120 : 120), Qt::NoButton,
                        Qt::NoModifier, Qt::NoScrollPhase, false);
      QApplication::sendEvent(view, &wheel);
      if (!Settle()) return false;
    }
    return true;
  }
  // A press on a scroll bar's trough just before its end (below or right of
  // its slider), clicked `times`.
  bool TroughClicks(Qt::Orientation o, int times) {
    for (int i = 0; i < times; ++i) {
      QScrollBar* bar = Bar(o);
      if (!bar) return false;
      const QPoint at = o == Qt::Vertical ? QPoint(bar->width() / 2, bar->height() - bar->width() - 4)
                                          : QPoint(bar->width() - bar->height() - 4, bar->height() / 2);
      if (!WindowClick(bar->mapToGlobal(at))) return false;
    }
    return true;
  }
  // The screen point just past the end of the entry's line that holds the
  // text item `text` (none: an empty point).
  QPoint PastLineOf(const std::string& text) const {
    TVLEditVLData& d = *Edit()->EditData();
    for (Integer i = 0; i < d.GetItemCount(); ++i)
      if (d.GetItemStyle(i) >= 0 && ItemText(d, i) == text) {
        const TVLDrawLineInfo* li = d.DrawItems[d.GetItem(i)->DrawItemNo];
        return ClientWidgetOf(Edit())->mapToGlobal(
            QPoint(li->Left - d.GetHOffset() + li->Width + 12, li->Top - d.GetVOffset() + li->Height / 2));
      }
    return QPoint();
  }
  static std::string ItemText(TCustomVLData& d, Integer i) {
    return d.GetItem(i)->IsUnicode() ? WideToUtf8(RawUnicodeToWideString(d.GetItemTextA(i)))
                                     : std::string(d.GetItemTextA(i));
  }

  // The entry's text pasted from an RTF file of the test data.
  bool PasteRTF(const char* file) {
    Clipboard().Clear();
    Clipboard().SetData(RegisterClipboardFormat(RTFClipboardFormatName),
                        qytest::ReadFileBytes(qytest::SourceDir() / "tests/app/data" / file));
    return Menu("vlActionPaste");
  }
  // The line holding the text item `text` in the document of `d`,
  // searched through the closed cells of its tables at any depth, in the
  // coordinates of that document.
  static bool TextLine(TCustomVLFormattedData& d, const std::string& text, QRect& line) {
    for (Integer n = 0; n < d.DrawItems.Count(); ++n) {
      const TVLDrawLineInfo* li = d.DrawItems[n];
      if (auto* t = dynamic_cast<TVLTableItemInfo*>(d.GetItem(li->ItemNo))) {
        for (Integer r = 0; r < t->RowCount(); ++r)
          for (Integer c = 0; c < t->ColCount(); ++c)
            if (TVLTableCellData* cell = t->GetCell(r, c); cell && TextLine(*cell, text, line)) {
              line.translate(li->Left + cell->Left, li->Top + cell->Top + cell->GetVAlignOffset());
              return true;
            }
      } else if (d.GetItemStyle(li->ItemNo) >= 0 && ItemText(d, li->ItemNo) == text) {
        line = QRect(li->Left, li->Top, li->Width, li->Height);
        return true;
      }
    }
    return false;
  }
  // That line in the entry's view as it is scrolled now (an empty one
  // when not found).
  QRect InView(const std::string& text) const {
    QRect line;
    // In the innermost cell editor open, else in the entry's document and
    // its closed cells.
    if (TCustomVellumEdit* inner = Innermost(); inner != Edit() && TextLine(*inner->EditData(), text, line)) {
      const TPoint origin = ClientOriginOf(inner);
      const QPoint at = ClientWidgetOf(Edit())->mapFromGlobal(
          ClientWidgetOf(inner)->mapToGlobal(QPoint(line.left() + origin.X, line.top() + origin.Y)));
      return QRect(at, line.size());
    }
    TVLEditVLData& d = *Edit()->EditData();
    if (!TextLine(d, text, line)) return QRect();
    const TPoint origin = ClientOriginOf(Edit());
    return line.translated(origin.X - d.GetHOffset(), origin.Y - d.GetVOffset());
  }
  // The end of that line (`dx` pixels into it from its start when given),
  // half down it, on the screen.
  QPoint OnScreen(const std::string& text, int dx = -1) const {
    const QRect line = InView(text);
    if (line.isEmpty()) return QPoint();
    return ClientWidgetOf(Edit())->mapToGlobal(
        QPoint(dx < 0 ? line.right() : line.left() + dx, line.top() + line.height() / 2));
  }
  // The open cell editors (table and cell of each) and the caret of the
  // innermost editor.
  std::string CaretPlace() const {
    std::string place;
    for (TVLTableInplaceEdit* c : Cells())
      place += std::to_string(reinterpret_cast<uintptr_t>(c->Table)) + " " + std::to_string(c->Row) + "," +
               std::to_string(c->Col) + " > ";
    TVLEditVLData& d = *Innermost()->EditData();
    return place + std::to_string(d.GetCaretItemNo()) + ":" + std::to_string(d.GetCaretOffset());
  }
};

// Placing the caret shows it, sideways too: typing past the window's edge
// in a line that does not wrap, Home on the first line of an entry
// scrolled right over a wide table, Ctrl+Home after a far cell scrolled the
// view, a click in the selection past the end of a line scrolled away,
// moving into a far cell of a wide table, Backspace after a wide
// table (which selects it and shows it from its left edge), Select All from
// a cell (the caret goes to the selection's end), Right onto a table taller
// than the view (the caret as tall as the table shows its top), and the view
// narrowed under a caret it showed.
TEST(EntryView, TheViewScrollsSidewaysToShowTheCaret) {
  // The steps before the letter; what went wrong on the way, "" when none.
  struct Case {
    const char* name;
    std::function<std::string(TCaretWindow&)> act;
    std::string typedWhere;  // where the letter "x" must land
  };
  const Case cases[] = {
      {"a line without wrapping typed past the edge",
       [](TCaretWindow& w) -> std::string {
         if (!w.Menu("vlActionWordWrap")) return "no Word Wrap";
         for (int i = 0; i < 30; ++i)
           if (!w.Type("word" + std::to_string(i) + " ")) return "typing";
         return w.Bar(Qt::Horizontal) ? "" : "no horizontal scroll bar";
       },
       "word29 x"},
      {"Home on the first line, the view scrolled right",
       [](TCaretWindow& w) -> std::string {
         if (!w.WideTable()) return "no wide table";
         // The view taken right by its scroll bar; a click on the first
         // line (past its end), then Home.
         w.Bar(Qt::Horizontal)->triggerAction(QAbstractSlider::SliderToMaximum);
         if (!w.Settle() || w.Edit()->EditData()->GetHOffset() == 0) return "not scrolled right";
         TVLEditVLData& d = *w.Edit()->EditData();
         const TVLDrawLineInfo* first = d.DrawItems[0];
         QWidget* view = ClientWidgetOf(w.Edit());
         const QPoint line(view->width() / 2, first->Top + first->Height / 2 - d.GetVOffset());
         if (!w.WindowClick(view->mapToGlobal(line)) || !w.Cells().empty()) return "the click";
         return w.Key(Qt::Key_Home) ? "" : "Home";
       },
       "xfirst"},
      {"a click in the selection past the end of the first line, the view scrolled right",
       [](TCaretWindow& w) -> std::string {
         if (!w.WideTable()) return "no wide table";
         // All selected; the click on the first line starts no drag and
         // puts the caret at the line's end, left of the view.
         if (!w.Key(Qt::Key_A, Qt::ControlModifier) || !w.Cells().empty()) return "Ctrl+A";
         w.Bar(Qt::Horizontal)->triggerAction(QAbstractSlider::SliderToMaximum);
         TVLEditVLData& d = *w.Edit()->EditData();
         if (!w.Settle() || d.GetHOffset() < 200) return "not scrolled right";
         const TVLDrawLineInfo* first = d.DrawItems[0];
         QWidget* view = ClientWidgetOf(w.Edit());
         const QPoint line(view->width() / 2, first->Top + first->Height / 2 - d.GetVOffset());
         if (!w.WindowClick(view->mapToGlobal(line)) || !w.Cells().empty()) return "the click";
         return d.SelectionExists() ? "the click left text selected" : "";
       },
       "firstx"},
      {"Ctrl+Home after a far cell scrolled the view",
       [](TCaretWindow& w) -> std::string {
         if (!w.WideTable()) return "no wide table";
         if (w.Edit()->EditData()->GetHOffset() == 0) return "the far cell left the view unscrolled";
         return w.Key(Qt::Key_Home, Qt::ControlModifier) && w.Cells().empty() ? "" : "Ctrl+Home";
       },
       "xfirst"},
      {"Tab into the far cell of a wide table",
       [](TCaretWindow& w) -> std::string {
         if (!w.WideTable()) return "no wide table";
         // To the first cell's start, then to the far cell by the keyboard.
         if (const std::string failed = w.ToFirstCell(); !failed.empty()) return failed;
         return w.Key(Qt::Key_Tab) && w.Key(Qt::Key_Tab) && w.Key(Qt::Key_End) ? "" : "Tab";
       },
       "far" + std::string(40, 'm') + "x"},
      {"Backspace after a wide table selects it",
       [](TCaretWindow& w) -> std::string {
         if (!w.WideTable()) return "no wide table";
         // Out of the far cell past its end: the caret after the table.
         if (!w.Key(Qt::Key_End) || !w.Key(Qt::Key_Right) || !w.Cells().empty()) return "out of the table";
         if (!w.Key(Qt::Key_Backspace)) return "Backspace";
         return w.Edit()->EditData()->SelectionExists() ? "" : "the table not selected";
       },
       "first|x"},
      {"Select All from the first cell of a wide table",
       [](TCaretWindow& w) -> std::string {
         if (!w.WideTable()) return "no wide table";
         if (const std::string failed = w.ToFirstCell(); !failed.empty()) return failed;
         // The caret goes to the selection's end, not beside the table the
         // closed cell editor leaves it at.
         return w.Key(Qt::Key_A, Qt::ControlModifier) && w.Cells().empty() ? "" : "Ctrl+A";
       },
       "x"},
      {"Right onto a table taller than the view, from the line above it at the view's bottom",
       [](TCaretWindow& w) -> std::string {
         if (!w.Type("first")) return "typing";
         for (int i = 0; i < 30; ++i)
           if (!w.Key(Qt::Key_Return) || !w.Type("line" + std::to_string(i))) return "typing";
         if (!w.Key(Qt::Key_Return) || !w.InsertTable(1, 1)) return "no table";
         for (int i = 0; i < 40; ++i)
           if (!w.Type("tall" + std::to_string(i)) || !w.Key(Qt::Key_Return)) return "typing in the cell";
         if (!w.Key(Qt::Key_Home, Qt::ControlModifier) || !w.Cells().empty()) return "Ctrl+Home";
         TVLEditVLData& d = *w.Edit()->EditData();
         // Down to the last line before the table: the view follows it.
         for (int i = 0; i < 30; ++i)
           if (!w.Key(Qt::Key_Down)) return "Down";
         if (d.GetVOffset() == 0) return "not scrolled down";
         if (!w.Key(Qt::Key_End) || !w.Key(Qt::Key_Right)) return "Right";
         return w.Cells().empty() && d.CaretHeight > d.GetHeight() ? "" : "the caret is not beside the table";
       },
       "line29|x|[tall0"},
      {"the view taken a step right by the scroll bar, then Right in the first cell",
       [](TCaretWindow& w) -> std::string {
         if (!w.WideTable()) return "no wide table";
         if (const std::string failed = w.ToFirstCell(); !failed.empty()) return failed;
         w.Bar(Qt::Horizontal)->triggerAction(QAbstractSlider::SliderSingleStepAdd);
         if (!w.Settle() || w.Edit()->EditData()->GetHOffset() == 0) return "the arrow did not scroll";
         if (!w.Key(Qt::Key_Right) || w.Cells().size() != 1) return "Right";
         const Integer h = w.Edit()->EditData()->GetHOffset();
         return h == 0 ? "" : "the view stays " + std::to_string(h) + " pixels right of the left edge";
       },
       "wxide"},
      {"the view narrowed by the entry tree, the caret near its right edge",
       [](TCaretWindow& w) -> std::string {
         if (!w.Menu("vlActionWordWrap")) return "no Word Wrap";
         const int width = ClientWidgetOf(w.Edit())->width();
         TVLEditVLData& d = *w.Edit()->EditData();
         for (int i = 0; d.CaretX < width * 7 / 8; ++i)
           if (i > 200 || !w.Type("word" + std::to_string(i) + " ")) return "typing";
         if (d.GetHOffset() != 0) return "scrolled before the tree shows";
         if (!w.Menu("ActionHideShowEntryTree") || ClientWidgetOf(w.Edit())->width() >= width) return "the tree";
         return "";
       },
       " x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TCaretWindow w;
    ASSERT_EQ(c.act(w), "") << w.Shown();
    EXPECT_EQ(w.CaretOutOfSight(), "");
    ASSERT_TRUE(w.Type("x"));
    EXPECT_NE(w.Shown().find(c.typedWhere), std::string::npos) << w.Shown();
    EXPECT_EQ(w.CaretOutOfSight(), "") << "after typing";
  }
}

// A cell edited, its caret at the end of the cell's first line, then the
// view scrolled away from it by the wheel or by the scroll bar's trough
// until the caret is wholly out of sight: a press anywhere in the view
// lands where the pointer is (a line of the entry past its end, an empty
// cell of the same table, a cell beside the edited one) and the view stays
// where it was; the letter typed next goes there.
TEST(EntryView, APressAfterScrollingAwayFromTheEditedCellLandsUnderThePointer) {
  enum class TScroll { Wheel, Trough };
  enum class TTarget { Line, EmptyCell, CellBeside };
  struct Case {
    const char* name;
    TScroll scroll;
    TTarget target;
  };
  const Case cases[] = {
      {"the wheel, then a line of the entry", TScroll::Wheel, TTarget::Line},
      {"the scroll bar's trough, then a line of the entry", TScroll::Trough, TTarget::Line},
      {"the wheel, then an empty cell of a tall table", TScroll::Wheel, TTarget::EmptyCell},
      {"the wheel, then the cell below the edited one", TScroll::Wheel, TTarget::CellBeside},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TCaretWindow w;
    ASSERT_TRUE(w.Type("first"));
    ASSERT_TRUE(w.Key(Qt::Key_Return));
    ASSERT_TRUE(w.InsertTable(2, 2));
    ASSERT_TRUE(w.Type("cellX"));
    if (c.target != TTarget::Line) {
      // The first cell taller than the view: its first line leaves it while
      // the second row is still to be seen.
      for (int i = 0; i < 50; ++i) ASSERT_TRUE(w.Key(Qt::Key_Return) && w.Type("c" + std::to_string(i)));
    }
    ASSERT_TRUE(w.Key(Qt::Key_End, Qt::ControlModifier));
    ASSERT_TRUE(w.Key(Qt::Key_Return));
    for (int i = 1; i <= 40; ++i) {
      ASSERT_TRUE((i == 1 || w.Key(Qt::Key_Return)) && w.Type("tl " + std::to_string(i)));
    }
    ASSERT_TRUE(w.Key(Qt::Key_Home, Qt::ControlModifier));
    TVLTableItemInfo* t = qytest::FirstTableIn(w.Edit());
    ASSERT_NE(t, nullptr);
    {
      // A click on the cell's first line, then End.
      TVLEditVLData& d = *w.Edit()->EditData();
      const TVLDrawLineInfo* li = d.DrawItems[t->DrawItemNo];
      const TVLTableCellData* cell = t->GetCell(0, 0);
      const QPoint first(li->Left - d.GetHOffset() + cell->Left + t->CellPadding + 2,
                         li->Top - d.GetVOffset() + cell->Top + t->CellPadding + 4);
      ASSERT_TRUE(w.WindowClick(ClientWidgetOf(w.Edit())->mapToGlobal(first)));
    }
    ASSERT_EQ(w.Cells().size(), 1u);
    ASSERT_TRUE(w.Key(Qt::Key_End));
    ASSERT_EQ(w.Cells().size(), 1u);
    ASSERT_EQ(qytest::DocumentText(*w.Innermost()->VLData()).substr(0, 5), "cellX");
    ASSERT_EQ(w.CaretOutOfSight(), "");
    TVLEditVLData& d = *w.Edit()->EditData();
    const QWidget* view = ClientWidgetOf(w.Edit());
    // Scrolled on until the caret is out of sight, and the target in it.
    QPoint target;
    int hidden = 0;
    for (int turns = 0; turns < 40; ++turns) {
      target = c.target == TTarget::Line
                   ? w.PastLineOf("tl 20")
                   : qytest::CellPointOnScreen(w.Edit(), t, 1, c.target == TTarget::EmptyCell ? 1 : 0);
      const QPoint local = view->mapFromGlobal(target);
      const bool shown = local.y() > 0 && local.y() < view->height() - 20;
      // Wholly out of sight: a notch past the first view without it.
      if (w.CaretOutOfSight() != "" && shown && turns > 0 && hidden++ > 0) break;
      ASSERT_TRUE(c.scroll == TScroll::Wheel ? w.Wheel(1) : w.TroughClicks(Qt::Vertical, 1));
    }
    ASSERT_NE(w.CaretOutOfSight(), "") << "the view never left the caret";
    ASSERT_EQ(w.Cells().size(), 1u) << "the scroll closed the cell editor";
    const Integer top = d.GetVOffset();
    ASSERT_TRUE(w.WindowClick(target));
    EXPECT_EQ(d.GetVOffset(), top) << "the press moved the view";
    ASSERT_TRUE(w.Type("M"));
    switch (c.target) {
      case TTarget::Line:
        EXPECT_NE(w.Shown().find("tl 20M"), std::string::npos) << w.Shown();
        break;
      case TTarget::EmptyCell:
      case TTarget::CellBeside: {
        const Integer col = c.target == TTarget::EmptyCell ? 1 : 0;
        ASSERT_EQ(w.Cells().size(), 1u) << w.Shown();
        EXPECT_EQ(std::make_pair(w.Cells()[0]->Row, w.Cells()[0]->Col), std::make_pair(Integer(1), col)) << w.Shown();
        EXPECT_EQ(qytest::DocumentText(*w.Innermost()->VLData()), "M") << w.Shown();
        break;
      }
    }
  }
}

// The entry with a table three deep in a cell above forty lines (pasted
// as RTF); a click at the end of a paragraph of the entry, of a cell, of a
// cell two or three tables deep, and a letter typed there; then the wheel
// turned 40 notches down, away from the caret. What the user did not ask
// for (the automatic save's minutes run out, the lock's countdown ticking,
// the keyboard gone to another window and back, a dialog opened and
// cancelled) leaves the view where the wheel took it and the caret where
// it was; a click where "tl 39" is then puts the next letter there.
TEST(EntryView, WorkTheUserDidNotAskForLeavesTheViewWhereItWas) {
  enum class TBackground { Save, Countdown, OtherWindow, Dialog };
  struct Case {
    const char* name;
    const char* paragraph;
    size_t depth;
    TBackground background;
  };
  const Case cases[] = {
      {"the entry's text, saved", "first line", 0, TBackground::Save},
      {"a cell, saved", "cellX", 1, TBackground::Save},
      {"two tables deep, saved", "nestB end", 2, TBackground::Save},
      {"three tables deep, saved", "deepA", 3, TBackground::Save},
      {"three tables deep, the countdown", "deepA", 3, TBackground::Countdown},
      {"two tables deep, another window and back", "nestB end", 2, TBackground::OtherWindow},
      {"three tables deep, another window and back", "deepA", 3, TBackground::OtherWindow},
      {"three tables deep, a dialog cancelled", "deepA", 3, TBackground::Dialog},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TCaretWindow w;
    ASSERT_TRUE(w.PasteRTF("rtf-nested-cell-above-a-long-entry.rtf"));
    ASSERT_TRUE(w.Key(Qt::Key_Home, Qt::ControlModifier));
    ASSERT_TRUE(w.WindowClick(w.OnScreen(c.paragraph)));
    ASSERT_EQ(w.Cells().size(), c.depth) << w.Shown();
    ASSERT_TRUE(w.Type("Q"));
    ASSERT_NE(qytest::DocumentText(*w.Innermost()->VLData()).find(std::string(c.paragraph) + "Q"), std::string::npos)
        << w.Shown();
    ASSERT_TRUE(w.Wheel(40));
    ASSERT_NE(w.CaretOutOfSight(), "") << "the wheel left the caret in sight";
    TVLEditVLData& d = *w.Edit()->EditData();
    const Integer left = d.GetHOffset(), top = d.GetVOffset();
    const std::string caret = w.CaretPlace();
    switch (c.background) {
      case TBackground::Save: {
        const bool on = ProfileSettings.AutoSaveOn;
        ProfileSettings.AutoSaveOn = true;
        LastSaveTime = Now() - (ProfileSettings.AutoSaveInterval + 1) / 1440.0;
        AutomaticSaveTimer->Fire();
        ProfileSettings.AutoSaveOn = on;
        ASSERT_FALSE(w.J->Document->Modified) << "not saved";
        break;
      }
      case TBackground::Countdown: {
        const bool on = ProfileSettings.AutoLockOn;
        ProfileSettings.AutoLockOn = true;
        AutomaticSaveTimer->Fire();
        ProfileSettings.AutoLockOn = on;
        break;
      }
      case TBackground::OtherWindow: {
        QWidget other;
        other.resize(200, 100);
        other.show();
        ASSERT_TRUE(w.Activate(&other));
        ASSERT_TRUE(w.Settle());
        ASSERT_TRUE(w.Activate(w.Window()));
        break;
      }
      case TBackground::Dialog: {
        TInteractionScript script;
        script.Answer(mrCancel);
        ASSERT_TRUE(w.Menu("vlActionParagraph"));
        break;
      }
    }
    ASSERT_TRUE(w.Settle());
    EXPECT_EQ(std::make_pair(d.GetHOffset(), d.GetVOffset()), std::make_pair(left, top)) << "the view moved";
    EXPECT_EQ(w.CaretPlace(), caret) << "the caret moved";
    ASSERT_TRUE(w.WindowClick(w.OnScreen("tl 39")));
    ASSERT_TRUE(w.Type("H"));
    EXPECT_NE(w.Shown().find("tl 39H"), std::string::npos) << w.Shown();
    EXPECT_NE(w.Shown().find(std::string(c.paragraph) + "Q"), std::string::npos) << w.Shown();
  }
}

// A cell two or three tables deep edited, its caret at the end of its
// line; the view scrolled by the scroll bar's arrow a step at a time until
// that line is cut by the view's top edge: a press at its start, on what
// is shown of it, puts the caret there (the press goes to the cell's own
// editor) and leaves the view where it was; the letter typed next goes
// there.
TEST(EntryView, APressOnAPartlyShownLineOfANestedCellKeepsTheView) {
  struct Case {
    const char* name;
    const char* paragraph;
    size_t depth;
  };
  for (const Case& c : {Case{"two tables deep", "nestA", 2}, Case{"three tables deep", "deepB", 3}}) {
    SCOPED_TRACE(c.name);
    TCaretWindow w;
    ASSERT_TRUE(w.PasteRTF("rtf-nested-cell-above-a-long-entry.rtf"));
    ASSERT_TRUE(w.Key(Qt::Key_Home, Qt::ControlModifier));
    ASSERT_TRUE(w.WindowClick(w.OnScreen(c.paragraph)));
    ASSERT_EQ(w.Cells().size(), c.depth);
    ASSERT_TRUE(w.Key(Qt::Key_End));
    TVLEditVLData& d = *w.Edit()->EditData();
    QScrollBar* bar = w.Bar(Qt::Vertical);
    ASSERT_NE(bar, nullptr);
    const TPoint origin = ClientOriginOf(w.Edit());
    QRect line = w.InView(c.paragraph);
    ASSERT_FALSE(line.isEmpty());
    // The line's top out of sight, at least 4 pixels of it shown.
    for (int click = 0; click < 60 && !(line.top() < origin.Y && line.bottom() >= origin.Y + 4); ++click) {
      ASSERT_TRUE(w.WindowClick(bar->mapToGlobal(QPoint(bar->width() / 2, bar->height() - bar->width() / 2))));
      line = w.InView(c.paragraph);
    }
    ASSERT_TRUE(line.top() < origin.Y && line.bottom() >= origin.Y + 4) << "the line never stood cut by the top edge";
    ASSERT_EQ(w.Cells().size(), c.depth) << "the scroll closed the cell editors";
    const Integer top = d.GetVOffset();
    ASSERT_TRUE(w.WindowClick(
        ClientWidgetOf(w.Edit())->mapToGlobal(QPoint(line.left() + 4, (origin.Y + line.bottom()) / 2 + 1))));
    EXPECT_EQ(d.GetVOffset(), top) << "the press moved the view";
    ASSERT_EQ(w.Cells().size(), c.depth) << w.Shown();
    ASSERT_TRUE(w.Type("Z"));
    std::string cell = qytest::DocumentText(*w.Innermost()->VLData());
    const size_t z = cell.find('Z');
    ASSERT_NE(z, std::string::npos) << "the letter went elsewhere: " << w.Shown();
    EXPECT_LT(z, cell.size() - 1) << "the caret stayed at the line's end: " << cell;
    EXPECT_EQ(cell.erase(z, 1), c.paragraph) << w.Shown();
  }
}

// A line of the entry's own text partly shown at the top or the bottom of
// the view (scrolled by the scroll bar's arrow, a few pixels at a time): a
// double click on any of its words selects that word and the view stays
// where it was (the first press puts the caret on the partly shown line;
// moving the view to show it whole would give the second press another
// line).
TEST(EntryView, ADoubleClickOnAPartlyShownLineSelectsItsWordAndKeepsTheView) {
  TCaretWindow w;
  for (int i = 1; i <= 40; ++i)
    ASSERT_TRUE((i == 1 || w.Key(Qt::Key_Return)) &&
                w.Type("alpha" + std::to_string(i) + " beta" + std::to_string(i) + " gamma" + std::to_string(i)));
  ASSERT_TRUE(w.Key(Qt::Key_Home, Qt::ControlModifier));
  TVLEditVLData& d = *w.Edit()->EditData();
  QWidget* view = ClientWidgetOf(w.Edit());
  int tried = 0;
  for (int click = 0; click < 16; ++click) {
    QScrollBar* bar = w.Bar(Qt::Vertical);
    ASSERT_NE(bar, nullptr);
    // The bar's arrow at its lower end.
    ASSERT_TRUE(w.WindowClick(bar->mapToGlobal(QPoint(bar->width() / 2, bar->height() - bar->width() / 2))));
    const Integer top = d.GetVOffset(), bottom = top + d.GetHeight();
    for (const bool atTop : {true, false}) {
      // The line cut by the view's edge, at least 3 pixels of it shown.
      const TVLDrawLineInfo* line = nullptr;
      for (Integer n = 0; n < d.DrawItems.Count() && !line; ++n) {
        const TVLDrawLineInfo* l = d.DrawItems[n];
        const Integer edge = atTop ? top : bottom;
        if (l->Top + 3 <= edge && edge <= l->Top + l->Height - 3) line = l;
      }
      if (!line) continue;
      const std::string text = TCaretWindow::ItemText(d, line->ItemNo);
      const Integer y = atTop ? (top + line->Top + line->Height) / 2 : (line->Top + bottom) / 2;
      for (size_t word = 0; word < 3; ++word) {
        SCOPED_TRACE("word " + std::to_string(word) + " of \"" + text + "\", " + (atTop ? "at the top" : "at the bottom") +
                     ", the view at " + std::to_string(top));
        // A point inside the word (not at its edges), along the line.
        size_t from = 0;
        for (size_t k = 0; k < word; ++k) from = text.find(' ', from) + 1;
        const size_t to = std::min(text.find(' ', from), text.size());
        const std::string expected = text.substr(from, to - from);
        Integer x = -1;
        for (Integer px = line->Left; px < line->Left + line->Width && x < 0; ++px) {
          Integer n = -1, o = -1;
          d.FindDrawItemForSel(px, line->Top + line->Height / 2, n, o, false);
          // (An offset counts from 1, before the first letter.)
          const Integer before = o - 1;
          if (n >= 0 && d.DrawItems[n] == line && before > Integer(from) + 1 && before < Integer(to) - 1) x = px;
        }
        ASSERT_GE(x, 0);
        // (The view's coordinates start inside its frame.)
        const TPoint origin = ClientOriginOf(w.Edit());
        ASSERT_TRUE(w.WindowMouse(qytest::TWindowMouseAct::DoubleClick,
                                  view->mapToGlobal(QPoint(static_cast<int>(x - d.GetHOffset()) + origin.X,
                                                           static_cast<int>(y - top) + origin.Y))));
        EXPECT_EQ(d.GetVOffset(), top) << "the double click moved the view";
        EXPECT_TRUE(w.Innermost() == w.Edit() && WideToUtf8(w.Edit()->GetSelTextW()) == expected)
            << "the word double-clicked is not selected: \"" << WideToUtf8(w.Innermost()->GetSelTextW()) << "\" is";
        if (d.GetVOffset() != top) return;
        ++tried;
      }
    }
  }
  EXPECT_GE(tried, 12) << "few lines partly shown";
}

// The entry protected by a password; the caret in its text, in a cell, or
// in a cell two or three tables deep. Lock (Ctrl+L, or the lock when idle),
// then Open with the password, or File > Change Password, which closes and
// opens the journal again, or a save and the previous day and back (by
// the Date menu's keys, the month calendar or the date picker): the next
// letter lands where the caret was.
TEST(EntryView, LockAndOpenPutTheCaretBackWhereItWas) {
  enum class TClose { Lock, Idle, NewPassword, DateAndBack, CalendarAndBack, PickerAndBack, ReadOnlyDateAndBack };
  struct Case {
    const char* name;
    size_t depth;
    TClose close;
  };
  for (const Case& c : {Case{"in the text", 0, TClose::Lock}, Case{"in a cell", 1, TClose::Lock},
                        Case{"three tables deep", 3, TClose::Lock},
                        Case{"three tables deep, locked when idle", 3, TClose::Idle},
                        Case{"three tables deep, the password changed", 3, TClose::NewPassword},
                        Case{"in the text, saved, the previous day and back", 0, TClose::DateAndBack},
                        Case{"two tables deep, saved, the previous day and back", 2, TClose::DateAndBack},
                        Case{"three tables deep, saved, the previous day and back", 3, TClose::DateAndBack},
                        Case{"two tables deep, the calendar's previous day and back", 2, TClose::CalendarAndBack},
                        Case{"two tables deep, the date picker's previous day and back", 2, TClose::PickerAndBack},
                        Case{"two tables deep on an earlier day, read only toggled off, the previous day and back, "
                             "read only toggled off",
                             2, TClose::ReadOnlyDateAndBack}}) {
    SCOPED_TRACE(c.name);
    TCaretWindow w([] {
      RestructureTablePassword("", kPassword, "QUILLORY");
      QuillorySession().AddPassword(kPassword);
      JournalPassword = kPassword;
    });
    auto password = std::make_unique<TPasswordDlg>(nullptr);
    auto change = std::make_unique<TChangePasswordDlg>(nullptr);
    const bool protect = ProfileSettings.ProtectPriorEntries;
    if (c.close == TClose::ReadOnlyDateAndBack) {
      // An earlier day's entry, shown read only, made writable.
      ProfileSettings.ProtectPriorEntries = true;
      ASSERT_TRUE(w.WindowKey(Qt::Key_P, Qt::AltModifier));
      w.J = CurrentJournal;
      ASSERT_TRUE(w.J->Document->ReadOnly);
      ASSERT_TRUE(w.Menu("ActionToggleReadOnly"));
      ASSERT_FALSE(w.J->Document->ReadOnly);
      ASSERT_TRUE(w.Activate(w.Window()));
      ASSERT_TRUE(w.Settle());
    }
    ASSERT_TRUE(w.Type("before"));
    ASSERT_TRUE(w.Key(Qt::Key_Return));
    ASSERT_TRUE(w.Type("after"));
    ASSERT_TRUE(w.Key(Qt::Key_Home));
    for (size_t i = 0; i < c.depth; ++i) ASSERT_TRUE(w.InsertTable(2, 2));
    // The second cell of the innermost table.
    if (c.depth > 0) {
      ASSERT_TRUE(w.Key(Qt::Key_Tab));
    }
    ASSERT_TRUE(w.Type("EK"));
    ASSERT_TRUE(w.Key(Qt::Key_Left));
    ASSERT_EQ(w.Cells().size(), c.depth);
    if (c.close == TClose::DateAndBack) {
      // Ctrl+S, then Date Previous and Date Next by their keys.
      ASSERT_TRUE(w.WindowKey(Qt::Key_S, Qt::ControlModifier));
      ASSERT_FALSE(w.J->Document->Modified);
      ASSERT_TRUE(w.WindowKey(Qt::Key_P, Qt::AltModifier));
      ASSERT_TRUE(w.Shown().empty()) << w.Shown();
      ASSERT_TRUE(w.WindowKey(Qt::Key_N, Qt::AltModifier));
    } else if (c.close == TClose::CalendarAndBack || c.close == TClose::PickerAndBack) {
      const double day = std::floor(w.J->EntryDate);
      for (const double to : {day - 1, day}) {
        if (c.close == TClose::CalendarAndBack) {
          w.Main->MonthCalendar->SetDate(to);
          w.Main->MonthCalendarDblClick(w.Main->MonthCalendar);
        } else {
          w.Main->QuilloryDate->SetDate(to);
        }
        ASSERT_TRUE(w.Settle());
        ASSERT_EQ(std::floor(CurrentJournal->EntryDate), to);
        if (to < day) {
          ASSERT_TRUE(w.Shown().empty()) << w.Shown();
        }
      }
      ASSERT_TRUE(w.Activate(w.Window()));
      w.J->EditorWindow->FocusEditor();
    } else if (c.close == TClose::ReadOnlyDateAndBack) {
      // Date Previous, Date Next (read only again), read only toggled off.
      ASSERT_TRUE(w.WindowKey(Qt::Key_P, Qt::AltModifier));
      ASSERT_TRUE(w.WindowKey(Qt::Key_N, Qt::AltModifier));
      w.J = CurrentJournal;
      ASSERT_TRUE(w.J->Document->ReadOnly);
      ASSERT_TRUE(w.Menu("ActionToggleReadOnly"));
      ASSERT_FALSE(w.J->Document->ReadOnly);
    } else if (c.close == TClose::NewPassword) {
      TInteractionScript script;
      script.Do([](TInteraction& r) {
        auto* d = dynamic_cast<TChangePasswordDlg*>(r.Form);
        if (!d) return static_cast<int>(mrOk);
        d->eExistingPassword->SetText(kPassword);
        d->eNewPassword->SetText("Caret;Key-5");
        d->eRepeatNewPassword->SetText("Caret;Key-5");
        return static_cast<int>(mrOk);
      });
      // Its word that the change went through, the page to print.
      for (int i = 0; i < 3; ++i) script.Answer(IDOK);
      ASSERT_TRUE(w.Menu("ActionChangePassword"));
      ASSERT_TRUE(w.Settle());
      ASSERT_EQ(JournalPassword, "Caret;Key-5");
    } else {
      {
        TInteractionScript script;
        for (int i = 0; i < 3; ++i) script.Answer(IDOK);
        if (c.close == TClose::Idle) {
          ProfileSettings.AutoLockOn = true;
          AutomaticSaveTimerTimer(LastActivityTime + (ProfileSettings.AutoLockInterval + 1) / 1440.0);
          ProfileSettings.AutoLockOn = false;
        } else {
          ASSERT_TRUE(w.Menu("ActionLock"));
        }
      }
      ASSERT_EQ(ScreenMode, smCover);
      {
        TInteractionScript script;
        script.Do([](TInteraction& r) { return qytest::AnswerPasswordDialog(r, kPassword); });
        for (int i = 0; i < 3; ++i) script.Answer(IDOK);
        QTest::mouseClick(WidgetOf(w.Main->pbOpenQuillory), Qt::LeftButton);
        ASSERT_TRUE(w.Settle());
      }
    }
    ASSERT_EQ(ScreenMode, smOpen);
    w.J = CurrentJournal;
    ASSERT_TRUE(w.J && w.J->EditorWindow);
    ASSERT_TRUE(w.Activate(w.Window()));
    ASSERT_TRUE(w.Settle());
    EXPECT_EQ(w.Cells().size(), c.depth);
    ASSERT_TRUE(w.WindowKey(Qt::Key_X));
    if (c.depth == 0) {
      EXPECT_EQ(w.Shown(), "before|ExKafter");
    } else {
      EXPECT_EQ(qytest::DocumentText(*w.Innermost()->VLData()), "ExK") << w.Shown();
    }
    ProfileSettings.ProtectPriorEntries = protect;
    QuillorySession().RemoveAllPasswords();
    WipeString(JournalPassword);
  }
}

// A paragraph of a cell coloured by Format > Paragraph Color, or by the
// Paragraph Borders and Background dialog with padding: its background
// shows while the cell is edited, as when it is not, and inside its cell
// either way (padding past the cell's edge is cut there, over neither the
// table's borders nor the cell beside).
TEST(EntryView, AParagraphBackgroundInACellShowsWhileTheCellIsEdited) {
  struct Case {
    const char* name;
    size_t depth;
    Integer padding;
  };
  for (const Case& c : {Case{"a cell", 1, 0}, Case{"a cell two tables deep", 2, 0}, Case{"a cell, padded", 1, 8},
                        Case{"a cell two tables deep, padded", 2, 8}}) {
    SCOPED_TRACE(c.name);
    TCaretWindow w;
    ASSERT_TRUE(w.Type("first"));
    ASSERT_TRUE(w.Key(Qt::Key_Return));
    for (size_t i = 0; i < c.depth; ++i) ASSERT_TRUE(w.InsertTable(2, 2));
    ASSERT_TRUE(w.Type("EK"));
    if (c.padding == 0) {
      auto* color = dynamic_cast<TvlActionParaColor*>(w.Main->FindComponent("vlActionParaColor"));
      ASSERT_NE(color, nullptr);
      // The colour picked without the picker.
      color->UserInterface = vlacNone;
      color->SetColor(clYellow);
      ASSERT_TRUE(w.Menu("vlActionParaColor"));
    } else {
      auto* borders = dynamic_cast<TvlActionParaBorder*>(w.Main->FindComponent("vlActionParaBorder"));
      ASSERT_NE(borders, nullptr);
      // What the dialog's OK gives: the colour and padding, the indents as
      // they were.
      borders->UserInterface = false;
      borders->Background.Color = clYellow;
      borders->Background.BorderOffsets.SetAll(c.padding);
      borders->ValidProperties =
          vlpbBackColor | vlpbPaddingLeft | vlpbPaddingTop | vlpbPaddingRight | vlpbPaddingBottom;
      ASSERT_TRUE(w.Menu("vlActionParaBorder"));
    }
    ASSERT_EQ(w.Cells().size(), c.depth);
    TCustomVellumEdit* holder = c.depth == 1 ? static_cast<TCustomVellumEdit*>(w.Edit()) : w.Cells()[c.depth - 2];
    TVLTableItemInfo* t = qytest::FirstTableIn(holder);
    TVLTableCellData* cell = t->GetCell(0, 0);
    // The colour at a point of the cell's own coordinates, in the entry's view.
    auto at = [&](Integer x, Integer y) {
      TVLEditVLData& d = *holder->EditData();
      const TVLDrawLineInfo* li = d.DrawItems[t->DrawItemNo];
      const QPoint global = ClientWidgetOf(holder)->mapToGlobal(
          QPoint(li->Left - d.GetHOffset() + cell->Left + x, li->Top - d.GetVOffset() + cell->Top + y));
      QWidget* view = ClientWidgetOf(w.Edit());
      const QImage image = view->grab().toImage();
      const QPoint p = view->mapFromGlobal(global) * image.devicePixelRatio();
      return image.pixelColor(p).rgb() & 0xFFFFFF;
    };
    const QRgb yellow = qRgb(255, 255, 0) & 0xFFFFFF;
    // Past the text on the paragraph's line, near the cell's right edge;
    // then beside the cell and above it, past its border.
    auto check = [&](const char* when) {
      const Integer y = t->CellPadding + 5;
      EXPECT_EQ(at(cell->Width - t->CellPadding - 3, y), yellow) << when;
      for (Integer gap = 3; gap <= 12; ++gap) {
        EXPECT_NE(at(cell->Width + gap, y), yellow) << when << ": " << gap << " pixels beside the cell";
        EXPECT_NE(at(cell->Width / 2, -gap), yellow) << when << ": " << gap << " pixels above the cell";
      }
    };
    check("while the cell is edited");
    if (c.depth > 1) continue;
    // The caret taken out of the table: the cell closes.
    ASSERT_TRUE(w.Key(Qt::Key_Home, Qt::ControlModifier));
    ASSERT_TRUE(w.Cells().empty());
    check("with the cell closed");
    ASSERT_TRUE(w.WindowClick(qytest::CellPointOnScreen(w.Edit(), t, 0, 0)));
    ASSERT_EQ(w.Cells().size(), 1u);
    check("with the cell edited again");
  }
}

}  // namespace

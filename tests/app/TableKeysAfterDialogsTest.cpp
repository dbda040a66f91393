// The keyboard after a window of the program came and went over the journal
// window while the caret was in a table cell, a nested one too: a print to a
// PDF file and the table dialogs. The keys typed next land in the cell the
// caret was in, and after a print the next Ctrl+P prints again.
#include "FindReportSupport.h"
#include "TableWindowSupport.h"

#include "platform/gui/Printers.h"
#include "richtext/table/VLCellEditor.h"
#include "support/TestSupport.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTimer>
#include <QMenu>
#include <QPointer>
#include <QWindow>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

using qytest::DocumentText;

struct TTableDialogWindow : qytest::TFindReportWorld {
  TTableDialogWindow() : Old(SetPrinter(std::make_unique<TPrinter>())) {
    ProfileSettings.ConfirmPrint = false;
    J = OpenWindow("Diary", 0);
    ShowActive();
    J->EditorWindow->FocusEditor();
    Settle();
  }
  ~TTableDialogWindow() { SetPrinter(std::move(Old)); }

  TVellumEdit* Edit() const { return Editor(J); }
  std::vector<TVLTableInplaceEdit*> Cells() const { return qytest::CellEditorChain(Edit()); }
  static TVLTableItemInfo* TableIn(TCustomVellumEdit* holder) { return qytest::FirstTableIn(holder); }
  static QPoint CellPoint(TCustomVellumEdit* holder, TVLTableItemInfo* t, Integer row, Integer col) {
    return qytest::CellPointOnScreen(holder, t, row, col);
  }
  bool Mouse(QEvent::Type type, QPoint global) {
    Pointer.Send(Window(), type, global);
    return Settle();
  }
  bool ClickAt(QPoint global) {
    return Mouse(QEvent::MouseButtonPress, global) && Mouse(QEvent::MouseButtonRelease, global);
  }
  // A command chosen with the mouse from its menu: the menu pops up, takes
  // the keyboard, runs the command on the release and gives the keyboard
  // back as it closes.
  bool MenuByMouse(const char* actionName) {
    TMenuItem* item = FindItem(Main->MainMenu->Items(), actionName);
    if (!item || !item->Parent() || !item->GetAction()) return false;
    item->GetAction()->Update();
    QMenu* menu = item->Parent()->SubMenu();
    QAction* handle = item->Handle();
    if (!menu || !handle || !handle->isEnabled()) return false;
    menu->popup(Window()->mapToGlobal(QPoint(10, 10)));
    if (!WaitFor([menu] { return menu->isVisible(); })) return false;
    const QPoint at = menu->actionGeometry(handle).center();
    QTest::mouseMove(menu, at);
    for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
      if (!menu->isVisible()) return false;
      QMouseEvent e(type, QPointF(at), QPointF(menu->mapToGlobal(at)), Qt::LeftButton,
                    type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
      QApplication::sendEvent(menu, &e);
    }
    return Settle() && !menu->isVisible();
  }
  // The next modal dialog answered as its user does: a key on the control
  // that has its keyboard, once it is up.
  static void PressInNextDialog(Qt::Key key) {
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [poll, key] {
      QWidget* modal = QApplication::activeModalWidget();
      if (!modal || !modal->isVisible()) {
        QTimer::singleShot(20, *poll);
        return;
      }
      // Return is OK wherever the keyboard is in the toolkit's dialogs
      // (a list box there takes the key for itself).
      if (key == Qt::Key_Return)
        for (QDialogButtonBox* box : modal->findChildren<QDialogButtonBox*>())
          if (QPushButton* ok = box->button(QDialogButtonBox::Ok)) {
            ok->click();
            return;
          }
      QTest::keyClick(modal->focusWidget() ? modal->focusWidget() : modal, key);
    };
    QTimer::singleShot(20, *poll);
  }
  static TMenuItem* FindItem(TMenuItem* menu, const char* actionName) {
    for (int k = 0; menu && k < menu->Count(); ++k) {
      TMenuItem* item = menu->Items(k);
      if (item->GetAction() && item->GetAction()->GetName() == actionName) return item;
      if (TMenuItem* inner = FindItem(item, actionName)) return inner;
    }
    return nullptr;
  }
  // Keys as the window system hands them out: to the active window,
  // shortcuts first, then the widget that has its keyboard focus. With no
  // window active a key reaches nothing.
  bool WindowKey(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* active = QApplication::activeWindow();
    if (active && active->windowHandle()) qytest::WindowKeyClick(active->windowHandle(), key, mods);
    return Settle();
  }
  bool WindowType(const std::string& text) {
    for (const char ch : text) {
      QWidget* active = QApplication::activeWindow();
      if (active && active->windowHandle()) QTest::keyClick(active->windowHandle(), ch);
      if (!Settle()) return false;
    }
    return true;
  }
  // A 2x2 table with "a" and "d" in its left cells and a 2x2 table with
  // "n" in its first cell nested in the top right one.
  bool BuildNested() {
    return InsertTable(2, 2) && Type("a") && Key(Qt::Key_Tab) && InsertTable(2, 2) && Type("n") &&
           Cells().size() == 2;
  }
  TVLTableItemInfo* Outer() const { return TableIn(Edit()); }
  TVLTableItemInfo* Inner() const {
    TVLTableCellData* cell = Outer()->GetCell(0, 1);
    TCustomVLData& d = *cell->GetVLData();
    for (Integer i = 0; i < d.GetItemCount(); ++i)
      if (auto* t = dynamic_cast<TVLTableItemInfo*>(d.GetItem(i))) return t;
    return nullptr;
  }

  TOpenJournal* J = nullptr;
  qytest::TMouseGrab Pointer;
  std::unique_ptr<TPrinter> Old;
  qytest::TempDir Dir;
};

// Where the caret is put before the dialog, and the cell the keys belong in.
struct Place {
  const char* name;
  std::function<bool(TTableDialogWindow&)> put;
  std::function<TVLTableCellData*(TTableDialogWindow&)> cell;
};

std::vector<Place> Places() {
  return {
      {"outer cell (0,0)",
       [](TTableDialogWindow& w) {
         return w.ClickAt(TTableDialogWindow::CellPoint(w.Edit(), w.Outer(), 0, 0)) && w.Cells().size() == 1;
       },
       [](TTableDialogWindow& w) { return w.Outer()->GetCell(0, 0); }},
      {"outer cell (1,1)",
       [](TTableDialogWindow& w) {
         return w.ClickAt(TTableDialogWindow::CellPoint(w.Edit(), w.Outer(), 1, 1)) && w.Cells().size() == 1;
       },
       [](TTableDialogWindow& w) { return w.Outer()->GetCell(1, 1); }},
      {"nested cell (0,0)", [](TTableDialogWindow& w) { return w.Cells().size() == 2; },
       [](TTableDialogWindow& w) { return w.Inner()->GetCell(0, 0); }},
      {"nested cell (1,1)",
       [](TTableDialogWindow& w) {
         return w.ClickAt(TTableDialogWindow::CellPoint(w.Cells()[0], w.Inner(), 1, 1)) && w.Cells().size() == 2;
       },
       [](TTableDialogWindow& w) { return w.Inner()->GetCell(1, 1); }},
  };
}

// A window over the journal window and gone again; true when it came.
struct Dialog {
  const char* name;
  std::function<bool(TTableDialogWindow&)> run;
};

std::vector<Dialog> Dialogs() {
  // Ctrl+P to a PDF file: the print dialog answered with Return, then the
  // progress window while the report is built.
  auto print = [](TTableDialogWindow& w) {
    auto files = [&w] {
      const std::filesystem::directory_iterator all(w.Dir.path());
      return std::distance(std::filesystem::begin(all), std::filesystem::end(all));
    };
    const auto before = files();
    // The window the toolkit counts active whenever it looks while the
    // progress window is up: the journal window keeps the keyboard.
    std::vector<QWidget*> active;
    QTimer sample;
    QObject::connect(&sample, &QTimer::timeout, [&active] {
      QWidget* progress = WindowWidgetOf(FormPrintJournalLoadProgress);
      if (progress && progress->isVisible()) active.push_back(QApplication::activeWindow());
    });
    sample.start(0);
    TTableDialogWindow::PressInNextDialog(Qt::Key_Return);
    const bool printed = w.WindowKey(Qt::Key_P, Qt::ControlModifier) && files() == before + 1;
    sample.stop();
    EXPECT_FALSE(active.empty()) << "the progress window came";
    EXPECT_EQ(std::count(active.begin(), active.end(), w.Window()), std::ssize(active))
        << "the journal window active while the report was built";
    return printed;
  };
  // A table dialog from the Table menu, cancelled with Escape.
  auto cancelled = [](const char* action) {
    return [action](TTableDialogWindow& w) {
      TTableDialogWindow::PressInNextDialog(Qt::Key_Escape);
      return w.MenuByMouse(action);
    };
  };
  return {{"Print", print},
          {"Split Cells", cancelled("vlActionTableSplitCells")},
          {"Table Properties", cancelled("vlActionTableProperties")}};
}

// The caret in a cell of the outer or the nested table, a window over the
// journal window and gone: a letter typed then lands in that cell, and
// after a print Ctrl+P prints again.
TEST(TableKeysAfterDialogs, KeysAfterADialogLandInTheCell) {
  for (const Dialog& dialog : Dialogs()) {
    for (const Place& at : Places()) {
      SCOPED_TRACE(std::string(dialog.name) + ", " + at.name);
      TTableDialogWindow w;
      Printer()->OutputFileName = (w.Dir.path() / "entry.pdf").string();
      ASSERT_TRUE(w.BuildNested());
      ASSERT_TRUE(at.put(w));
      TVLTableCellData* cell = at.cell(w);
      const std::string before = DocumentText(*cell->GetVLData());
      ASSERT_TRUE(dialog.run(w));
      ASSERT_TRUE(w.WindowType("k"));
      EXPECT_EQ(DocumentText(*cell->GetVLData()), before + "k");
      if (std::string(dialog.name) == "Print") {
        EXPECT_TRUE(dialog.run(w)) << "Ctrl+P prints again";
      }
    }
  }
}

// The same under a window manager, which carries out activation itself: the
// progress window of a print to a PDF file comes and goes, and the keys
// typed next still reach the cell the caret was in. Runs through the
// "_framed" test (Xvfb with openbox); elsewhere it skips.
TEST(Framed, KeysAfterAPrintLandInTheCell) {
  if (!TTableDialogWindow::WindowManagerRunning())
    GTEST_SKIP() << "no window manager here (run through the _framed test, which starts Xvfb with openbox)";
  const Dialog print = Dialogs().front();
  for (const Place& at : Places()) {
    SCOPED_TRACE(at.name);
    TTableDialogWindow w;
    Printer()->OutputFileName = (w.Dir.path() / "entry.pdf").string();
    ASSERT_TRUE(w.BuildNested());
    ASSERT_TRUE(at.put(w));
    TVLTableCellData* cell = at.cell(w);
    const std::string before = DocumentText(*cell->GetVLData());
    ASSERT_TRUE(print.run(w));
    // Time for what the window manager does once the progress window went.
    QTest::qWait(800);
    w.Settle();
    QWidget* active = QApplication::activeWindow();
    EXPECT_EQ(active, w.Window()) << "the active window is "
                                  << (active ? active->windowTitle().toStdString() : std::string("none"));
    ASSERT_TRUE(w.WindowType("k"));
    EXPECT_EQ(DocumentText(*cell->GetVLData()), before + "k");
  }
}

}  // namespace

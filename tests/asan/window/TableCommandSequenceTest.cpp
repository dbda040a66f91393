// Seeded random sequences of what a user does to tables in the real journal
// window: the Table menu's commands, cell selections by click, Shift+click
// and drag, a word double-clicked (and dragged from), typing, Tab, Enter and Backspace in the cell editors, Undo and
// Redo in runs, the clipboard, Find and Replace (up and down, by keys),
// Print, a change of date, Lock and Save, over tables nested up to three
// deep. After every step the program must
// still answer, keys must reach the editor the caret is in, a saved entry
// must read back as the window shows it, and undoing everything must give
// back the entry the sequence started from.
//
// QY_TABLE_SEQUENCE_SEED=N runs that seed alone, QY_TABLE_SEQUENCE_STEPS=N
// sets the steps of each sequence; scripts/table-sequences.sh runs many
// seeds side by side.
#include "app/FindReportSupport.h"
#include "app/TableWindowSupport.h"

#include "actions/IntegerVLFrm.h"
#include "actions/SplitVLFrm.h"
#include "actions/VLActionsFind.h"
#include "app/QYPassword.h"
#include "app/QYDatabase.h"
#include "platform/db/DBPassword.h"
#include "platform/db/DBTables.h"
#include "platform/gui/Clipbrd.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/Printers.h"
#include "richtext/table/VLCellEditor.h"
#include "support/TestSupport.h"

#include <QDialog>
#include <QLineEdit>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using qytest::DocumentText;
using qytest::TFindReportWorld;
using qytest::TWindowSeam;

const String kPassword = "Table;Seq-7";

// Occurrences of a text in another.
size_t Occurrences(const std::string& in, const std::string& what) {
  size_t n = 0;
  for (size_t at = in.find(what); at != std::string::npos; at = in.find(what, at + what.size())) ++n;
  return n;
}

// Text typed went in at one place of a document: a new copy of it, or
// one that splits an earlier copy ("c|afé" typed into "café"), which no
// count of copies shows.
bool InsertedOnce(const std::string& before, const std::string& after, const std::string& text) {
  if (Occurrences(after, text) > Occurrences(before, text)) return true;
  if (after.size() != before.size() + text.size()) return false;
  for (size_t at = 0; at <= before.size(); ++at)
    if (after.compare(0, at, before, 0, at) == 0 && after.compare(at, text.size(), text) == 0 &&
        after.compare(at + text.size(), std::string::npos, before, at, std::string::npos) == 0)
      return true;
  return false;
}

// A cell of a table that lies in an editor's own document, where the user
// sees it.
struct TSpot {
  TCustomVellumEdit* Editor;
  TVLTableItemInfo* Table;
  Integer Row, Col;
  int Level;  // how many cell editors the editor is inside
};

struct TSequence : TFindReportWorld {
  // The entry starts with tables nested `depth` deep (0 to 3) between two
  // paragraphs, each made through the Table menu with words in its cells.
  TSequence(unsigned seed, int depth) : Rng(seed) {
    // Nothing cut by an earlier seed or test to paste: a seed runs here as
    // it does in a program of its own.
    Clipboard().Clear();
    ProfileSettings.ConfirmPrint = false;
    Password = std::make_unique<TPasswordDlg>(nullptr);
    // The journal's file protected by a password, which the session knows
    // as after it was typed at the start.
    RestructureTablePassword("", kPassword, "QUILLORY");
    QuillorySession().AddPassword(kPassword);
    JournalPassword = kPassword;
    // An exception that reaches the application ends the program there (it
    // saves and exits); here it fails the sequence, which cannot go on.
    Application->OnException = [this](TObject*, const Exception& e) {
      Escaped = std::string(e.ClassName()) + ": " + e.what();
    };
    J = OpenWindow("Diary", 0);
    ShowActive();
    J->EditorWindow->FocusEditor();
    Settle();
    Type("Before café");
    Key(Qt::Key_Return);
    Type("After");
    Key(Qt::Key_Home);
    for (int level = 0; level < depth; ++level) {
      InsertTable(2, 2);
      Type(level % 2 ? "Łódź" : "café");
      Key(Qt::Key_Tab);
      Type("don’t");
      Key(Qt::Key_Tab);
    }
    Edit()->ClearUndo();
    Start = Shown();
  }
  ~TSequence() {
    QuillorySession().RemoveAllPasswords();
    WipeString(JournalPassword);
  }

  TVellumEdit* Edit() const { return J && J->EditorWindow ? Editor(J) : nullptr; }
  std::string Shown() const { return Edit() ? DocumentText(*Edit()->VLData()) : std::string("no window"); }
  TCustomVellumEdit* Innermost() const { return Edit()->GetInnermostEditor(); }
  // The open editors, the entry's first, then each cell editor inside.
  std::vector<TCustomVellumEdit*> Chain() const {
    std::vector<TCustomVellumEdit*> chain;
    for (TCustomVellumEdit* e = Edit(); e; e = dynamic_cast<TCustomVellumEdit*>(e->GetInplaceEditor()))
      chain.push_back(e);
    return chain;
  }

  int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(Rng); }
  bool Chance(int percent) { return Pick(1, 100) <= percent; }

  // Each step printed as it starts: a crash leaves the way to it.
  void Note(const std::string& what) {
    Log += what + "; ";
    std::printf("  %s\n", what.c_str());
    std::fflush(stdout);
  }

  // Every cell the user sees of the tables in the open editors' documents.
  std::vector<TSpot> Spots() const {
    std::vector<TSpot> spots;
    const std::vector<TCustomVellumEdit*> chain = Chain();
    for (size_t level = 0; level < chain.size(); ++level) {
      TCustomVLData* d = chain[level]->VLData();
      for (Integer i = 0; i < d->GetItemCount(); ++i)
        if (auto* t = dynamic_cast<TVLTableItemInfo*>(d->GetItem(i)))
          for (Integer r = 0; r < t->RowCount(); ++r)
            for (Integer c = 0; c < t->ColCount(); ++c)
              if (t->GetCell(r, c)) spots.push_back({chain[level], t, r, c, static_cast<int>(level)});
    }
    return spots;
  }
  // Where a cell's middle (or a point dx pixels into its text) lies in the
  // main window; false when it is not on the screen.
  bool WindowPoint(const TSpot& s, QPoint& at, Integer dx = -1) const {
    TVLEditVLData* d = s.Editor->EditData();
    if (s.Table->DrawItemNo < 0 || s.Table->DrawItemNo >= d->DrawItems.Count()) return false;
    const TVLDrawLineInfo* item = d->DrawItems[s.Table->DrawItemNo];
    const TVLTableCellData* cell = s.Table->GetCell(s.Row, s.Col);
    if (!cell || cell->Width <= 0 || cell->Height <= 0) return false;
    QWidget* surface = ClientWidgetOf(s.Editor);
    const QPoint p(item->Left - d->GetHOffset() + cell->Left + (dx < 0 ? cell->Width / 2 : s.Table->CellPadding + dx),
                   item->Top - d->GetVOffset() + cell->Top + std::min<Integer>(cell->Height / 2, 6));
    if (!surface || !surface->isVisible() || !surface->rect().contains(p)) return false;
    at = surface->mapTo(Window(), p);
    return Window()->rect().contains(at);
  }
  // The mouse at a point of the window, through the window as the window
  // system hands it over.
  void MouseAt(qytest::TWindowMouseAct act, QPoint at, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    qytest::WindowMouse(Window(), act, Window()->mapToGlobal(at), mods);
  }
  void ClickWindowAt(QPoint at, Qt::KeyboardModifiers mods) {
    MouseAt(qytest::TWindowMouseAct::Press, at, mods);
    MouseAt(qytest::TWindowMouseAct::Release, at, mods);
  }
  std::string Name(const TSpot& s) const {
    return "cell " + std::to_string(s.Row) + "," + std::to_string(s.Col) + " of a table at level " +
           std::to_string(s.Level);
  }

  bool ClickCell(Qt::KeyboardModifiers mods) {
    const std::vector<TSpot> spots = Spots();
    if (spots.empty()) return false;
    const TSpot s = spots[static_cast<size_t>(Pick(0, static_cast<int>(spots.size()) - 1))];
    QPoint at;
    if (!WindowPoint(s, at)) return false;
    Note(std::string(mods ? "shift+click " : "click ") + Name(s));
    ClickWindowAt(at, mods);
    return true;
  }
  // Another cell of the same table, and where it lies in the window.
  bool OtherCell(const TSpot& a, TSpot& b, QPoint& at) {
    std::vector<TSpot> same;
    for (const TSpot& s : Spots())
      if (s.Table == a.Table && (s.Row != a.Row || s.Col != a.Col)) same.push_back(s);
    if (same.empty()) return false;
    b = same[static_cast<size_t>(Pick(0, static_cast<int>(same.size()) - 1))];
    return WindowPoint(b, at);
  }
  void DragTo(QPoint from, QPoint to) {
    MouseAt(qytest::TWindowMouseAct::Press, from);
    MouseAt(qytest::TWindowMouseAct::Move, (from + to) / 2);
    MouseAt(qytest::TWindowMouseAct::Move, to);
    MouseAt(qytest::TWindowMouseAct::Release, to);
  }
  bool DragCells() {
    const std::vector<TSpot> spots = Spots();
    if (spots.size() < 2) return false;
    const TSpot a = spots[static_cast<size_t>(Pick(0, static_cast<int>(spots.size()) - 1))];
    TSpot b{};
    QPoint from, to;
    if (!WindowPoint(a, from) || !OtherCell(a, b, to)) return false;
    Note("drag from " + Name(a) + " to " + std::to_string(b.Row) + "," + std::to_string(b.Col));
    DragTo(from, to);
    return true;
  }
  // A double click on a cell's first word, which selects it; then perhaps a
  // drag from the selected word over another cell of the table.
  bool DoubleClickWord() {
    const std::vector<TSpot> spots = Spots();
    if (spots.empty()) return false;
    const TSpot a = spots[static_cast<size_t>(Pick(0, static_cast<int>(spots.size()) - 1))];
    QPoint word;
    if (!WindowPoint(a, word, 3)) return false;
    Note("double-click the word in " + Name(a));
    MouseAt(qytest::TWindowMouseAct::DoubleClick, word);
    TSpot b{};
    QPoint to;
    if (!Chance(50) || !Settle() || !OtherCell(a, b, to)) return true;
    Note("drag from the word to " + std::to_string(b.Row) + "," + std::to_string(b.Col));
    DragTo(word, to);
    return true;
  }
  // A click on the entry's first paragraph, outside every table.
  bool ClickOutside() {
    TVLEditVLData* d = Edit()->EditData();
    if (d->DrawItems.Count() == 0 || dynamic_cast<TVLTableItemInfo*>(d->GetItem(0))) return false;
    const TVLDrawLineInfo* item = d->DrawItems[0];
    QWidget* surface = ClientWidgetOf(Edit());
    const QPoint p(item->Left - d->GetHOffset() + 3, item->Top - d->GetVOffset() + 3);
    if (!surface->rect().contains(p)) return false;
    Note("click outside the tables");
    ClickWindowAt(surface->mapTo(Window(), p), Qt::NoModifier);
    return true;
  }

  // Text typed where the keyboard is: it must land in the editor the caret
  // is in, once.
  void TypeChecked(const std::string& text) {
    TCustomVellumEdit* inner = Innermost();
    const std::string before = DocumentText(*inner->VLData());
    const bool cellsSelected = AnyCellsSelected();
    // Typed over a selection, the text replaces it, and with it perhaps an
    // earlier copy of the same text: then it need only be there.
    const bool replacing = inner->EditData()->SelectionExists();
    Note("type " + text);
    QWidget* target = KeyTarget();
    const bool toEditor = target && (target == WidgetOf(inner) || WidgetOf(inner)->isAncestorOf(target));
    ASSERT_TRUE(Type(text)) << "typing does not end";
    if (cellsSelected) return;
    EXPECT_TRUE(toEditor) << "the keys go to " << (target ? target->metaObject()->className() : "nothing")
                          << ", not to the editor of the caret";
    // The caret's editor may have closed (a key left the cell), but not
    // before the text went into it.
    const std::vector<TCustomVellumEdit*> chain = Chain();
    if (std::find(chain.begin(), chain.end(), inner) != chain.end()) {
      const std::string after = DocumentText(*inner->VLData());
      EXPECT_TRUE(replacing ? Occurrences(after, text) > 0 : InsertedOnce(before, after, text))
          << "the text did not land in the editor of the caret (" << Chain().size() - 1
          << " cell editors open, the keys went to " << (target ? target->metaObject()->className() : "nothing")
          << "); shown: " << Shown();
    }
  }
  bool AnyCellsSelected() const {
    for (const TSpot& s : Spots())
      if (s.Table->CellsSelected()) return true;
    return false;
  }

  // Type-ahead: the text arrives while what the Tab set going is still
  // under way, and goes where the keyboard is by then.
  void TabThenTypeAhead(bool back) {
    Note(std::string(back ? "shift+tab" : "tab") + " with type-ahead");
    const Qt::KeyboardModifiers mods = back ? Qt::ShiftModifier : Qt::NoModifier;
    QWidget* target = KeyTarget();
    if (!target) return;
    QTest::keyClick(target, Qt::Key_Tab, mods);
    QTimer::singleShot(0, [] { qytest::TypeKeys(KeyTarget(), "ÿ"); });
    ASSERT_TRUE(Settle()) << "Tab does not end";
    // Where the caret went, the letter is.
    TCustomVellumEdit* inner = Innermost();
    if (AnyCellsSelected()) return;
    EXPECT_GT(Occurrences(DocumentText(*inner->VLData()), "ÿ"), 0u)
        << "the letter typed after the Tab is not where the caret went; shown: " << Shown();
  }

  void Command(const char* action) {
    Note(action);
    Menu(action);  // a disabled command is not reached, as in its menu
  }

  void InsertTableHere() {
    if (Chain().size() > 3) return;  // deeper than three is refused
    const int rows = Pick(1, 3), cols = Pick(1, 3);
    Note("insert table " + std::to_string(rows) + "x" + std::to_string(cols));
    InsertTable(rows, cols);
  }

  void Split() {
    Note("split cells");
    TInteractionScript script;
    const int cols = Pick(1, 3), rows = Pick(1, 2);
    const bool merge = Chance(50), unmerge = Chance(30);
    script.Do([=](TInteraction& r) {
      auto* f = dynamic_cast<TfrmVLSplit*>(r.Form);
      if (!f) return static_cast<int>(mrCancel);
      if (unmerge && f->rbUnmerge->GetEnabled()) {
        f->rbUnmerge->SetChecked(true);
      } else {
        f->rbSplit->SetChecked(true);
        f->seColumns->SetValue(cols);
        f->seRows->SetValue(rows);
        if (f->cbMerge->GetEnabled()) f->cbMerge->SetChecked(merge);
      }
      return static_cast<int>(mrOk);
    });
    Menu("vlActionTableSplitCells");
  }

  void UndoRun(bool redo) {
    const int n = Pick(1, 6);
    const bool keys = Chance(50);
    Note(std::string(redo ? "redo" : "undo") + " x" + std::to_string(n) + (keys ? " by keys" : " by menu"));
    for (int i = 0; i < n; ++i) {
      if (keys)
        ASSERT_TRUE(redo ? Key(Qt::Key_Y, Qt::ControlModifier) : Key(Qt::Key_Z, Qt::ControlModifier));
      else if (!Menu(redo ? "vlActionRedo" : "vlActionUndo"))
        break;
    }
  }

  void ClipboardCommand() {
    if (Chance(50)) {
      Note("select 3 to the left");
      Keys(Qt::Key_Left, 3, Qt::ShiftModifier);
    }
    static const char* const commands[] = {"vlActionCut", "vlActionCopy", "vlActionPaste"};
    Command(commands[Pick(0, 2)]);
  }

  // The word searched for: one in a nested table's cell when there is one.
  std::string FindWord() {
    std::string nested, any;
    for (const char* w : {"café", "Łódź", "don’t", "After"}) {
      std::string out;
      NestedCells(*Edit()->VLData(), 0, out);
      if (nested.empty() && out.find(w) != std::string::npos) nested = w;
      if (any.empty() && Shown().find(w) != std::string::npos) any = w;
    }
    return nested.empty() ? any : nested;
  }
  static void NestedCells(TCustomVLData& d, int level, std::string& out) {
    for (Integer i = 0; i < d.GetItemCount(); ++i)
      if (auto* t = dynamic_cast<TVLTableItemInfo*>(d.GetItem(i)))
        for (Integer r = 0; r < t->RowCount(); ++r)
          for (Integer c = 0; c < t->ColCount(); ++c)
            if (TVLTableCellData* cell = t->GetCell(r, c)) {
              if (level > 0) out += DocumentText(*cell->GetVLData()) + "/";
              NestedCells(*cell->GetVLData(), level + 1, out);
            }
  }
  void Find() {
    const std::string word = FindWord();
    if (word.empty()) return;
    Note("find " + word + ", close the window");
    // Ctrl+Home in a cell goes to the cell's start; in the entry's text,
    // to the entry's, from where every match is ahead.
    const bool home = Chance(50);
    if (home) Key(Qt::Key_Home, Qt::ControlModifier);
    const bool fromTop = home && Chain().size() == 1 && Edit()->EditData()->GetCaretItemNo() == 0;
    // The find window is the toolkit's own, not one of the answered boxes.
    TInteractionHook* answers = SetInteractionHook(nullptr);
    const bool shown = Menu("vlActionFind");
    SetInteractionHook(answers);
    if (!shown) return;
    auto* f = dynamic_cast<TvlActionFind*>(Main->FindComponent("vlActionFind"));
    ASSERT_NE(f, nullptr);
    TFindDialog* d = f->FindDialog();
    ASSERT_TRUE(d && d->FWindow->Dialog);
    d->FWindow->Find->setText(QString::fromUtf8(word.c_str()));
    d->FindText = word;
    ASSERT_TRUE(Activate(d->FWindow->Dialog));
    d->FWindow->Find->setFocus();
    Settle();
    {
      TInteractionScript script;  // "not found" answered
      script.Answer(IDOK);
      ASSERT_TRUE(Key(Qt::Key_Return)) << "Find Next does not end";
      // From the top the word is there to be found, and shown selected
      // where the caret went.
      if (fromTop) {
        EXPECT_TRUE(script.Shown.empty()) << word << " not found in " << Shown();
        EXPECT_EQ(WideToUtf8(Innermost()->GetSelTextW()), word) << "the match is not selected where the caret is";
      }
    }
    d->CloseDialog();
    Settle();
    ASSERT_TRUE(Activate(Window()));
    TypeChecked("ð");
  }

  // Find Up or Down, or Replace, all by keys: Ctrl+Home or Ctrl+End first,
  // the window opened by Ctrl+F (Replace by its menu item), the word typed,
  // the direction's key with Enter right behind it (Replace: the word for
  // itself, Find Next or Replace All); Escape closes the window. From the
  // entry's very start down, or its very end up, the word is found and
  // selected; replaced by itself the entry reads as before.
  void FindByKeys() {
    const std::string word = FindWord();
    if (word.empty()) return;
    const bool replace = Chance(30), up = !replace && Chance(50), all = replace && Chance(50);
    Note(std::string(replace ? (all ? "replace all " : "replace, find next ") : (up ? "find up " : "find down ")) +
         word + " by keys");
    ASSERT_TRUE(Key(up ? Qt::Key_End : Qt::Key_Home, Qt::ControlModifier));
    TVLEditVLData* d = Edit()->EditData();
    const Integer last = d->GetItemCount() - 1;
    Integer sn, so, en, eo;
    Edit()->GetSelectionBounds(sn, so, en, eo, true);
    const bool inEntry = Chain().size() == 1 && !d->SelectionExists();
    const bool fromEdge = inEntry && (up ? en == last && !dynamic_cast<TVLTableItemInfo*>(d->GetItem(last)) &&
                                               eo == Edit()->GetItemEndOffset(last)
                                         : en == 0 && eo <= Edit()->GetItemStartOffset(0));
    const std::string before = Shown();
    const char* command = replace ? "vlActionReplace" : "vlActionFind";
    // The window is the toolkit's own, not one of the answered boxes.
    TInteractionHook* answers = SetInteractionHook(nullptr);
    const bool shown = replace ? Menu(command) : Key(Qt::Key_F, Qt::ControlModifier);
    SetInteractionHook(answers);
    if (!shown) return;
    TFindDialog* dialog = nullptr;
    if (auto* f = dynamic_cast<TvlActionFind*>(Main->FindComponent(command))) dialog = f->FindDialog();
    if (auto* r = dynamic_cast<TvlActionReplace*>(Main->FindComponent(command))) dialog = r->ReplaceDialog();
    if (!dialog || !dialog->Visible()) return;  // disabled where the caret is
    ASSERT_TRUE(WaitFor([&] { return QApplication::activeWindow() == dialog->FWindow->Dialog; }))
        << "the window has not the keyboard";
    QWindow* window = dialog->FWindow->Dialog->windowHandle();
    ASSERT_TRUE(Type(word));
    {
      TInteractionScript script;  // "not found" or the count answered
      script.Answer(IDOK);
      if (replace) {
        ASSERT_TRUE(Key(Qt::Key_Tab));
        ASSERT_TRUE(Type(word));
        QTest::keyClick(window, all ? Qt::Key_A : Qt::Key_Return, all ? Qt::AltModifier : Qt::NoModifier);
        ASSERT_TRUE(WaitFor([&] { return !all || !script.Shown.empty(); })) << "Replace All does not end";
      } else {
        QTest::keyClick(window, up ? Qt::Key_U : Qt::Key_D, Qt::AltModifier);
        QTest::keyClick(window, Qt::Key_Return);
      }
      ASSERT_TRUE(Settle()) << "the search does not end";
      if (fromEdge && !all) {
        EXPECT_TRUE(script.Shown.empty()) << word << " not found " << (up ? "up" : "down") << " in " << Shown();
        EXPECT_EQ(WideToUtf8(Innermost()->GetSelTextW()), word) << "the match is not selected where the caret is";
      }
    }
    EXPECT_EQ(Shown(), before) << "the entry changed";
    if (QApplication::activeWindow() == dialog->FWindow->Dialog) QTest::keyClick(window, Qt::Key_Escape);
    Settle();
    EXPECT_FALSE(dialog->Visible()) << "Escape leaves the window open";
    ASSERT_TRUE(Activate(Window()));
    TypeChecked("ð");
  }

  void Print() {
    Note("print to a PDF file");
    TInteractionScript script;
    const std::string pdf = (Dir / ("entry" + std::to_string(++Prints) + ".pdf")).string();
    script.Do([pdf](TInteraction& r) {
      r.PrinterName = PdfFileChoice;
      r.FileName = pdf;
      return static_cast<int>(mrOk);
    });
    for (int i = 0; i < 3; ++i) script.Answer(IDOK);
    Menu("ActionPrint");
    TypeChecked("þ");
  }

  void DateAndBack() {
    const std::string before = Shown();
    const bool back = Chance(50);
    Note(back ? "the day before and back" : "the day after and back");
    {
      TInteractionScript script;
      for (int i = 0; i < 3; ++i) script.Answer(IDOK);
      ASSERT_TRUE(Menu(back ? "ActionDatePrevious" : "ActionDateNext"));
      ASSERT_TRUE(Menu(back ? "ActionDateNext" : "ActionDatePrevious"));
    }
    EXPECT_EQ(Shown(), before) << "the entry read back differs";
    Start = Shown();
  }

  void LockAndOpen() {
    const std::string before = Shown();
    Note("lock and open with the password");
    {
      TInteractionScript script;
      for (int i = 0; i < 3; ++i) script.Answer(IDOK);
      ASSERT_TRUE(Menu("ActionLock"));
    }
    ASSERT_EQ(ScreenMode, smCover);
    {
      TInteractionScript script;
      script.Do([](TInteraction& r) {
        auto* dlg = dynamic_cast<TPasswordDlg*>(r.Form);
        if (!dlg) return static_cast<int>(mrCancel);
        dlg->FormShow(dlg);
        dlg->ePassword->SetText(kPassword);
        dlg->OKBtn->Click();
        return static_cast<int>(dlg->ModalResult);
      });
      for (int i = 0; i < 3; ++i) script.Answer(IDOK);
      QTest::mouseClick(WidgetOf(Main->pbOpenQuillory), Qt::LeftButton);
      ASSERT_TRUE(Settle());
    }
    ASSERT_EQ(ScreenMode, smOpen);
    J = CurrentJournal;
    ASSERT_TRUE(J && J->EditorWindow) << "the journal is not shown after the password";
    ASSERT_TRUE(Activate(Window()));
    J->EditorWindow->FocusEditor();
    Settle();
    EXPECT_EQ(Shown(), before) << "the entry read back differs";
    Start = Shown();
  }

  void Save() {
    Note("save");
    if (Chance(50))
      ASSERT_TRUE(Key(Qt::Key_S, Qt::ControlModifier));
    else
      ASSERT_TRUE(Menu("ActionSave"));
    CheckStored();
  }
  // The entry stored for the day reads back as the window shows it.
  void CheckStored() {
    const String blob = StoredBlob(J->JournalID, std::floor(J->EntryDate));
    ASSERT_FALSE(blob.empty()) << "nothing stored";
    TEntryDocument doc;
    TMemoryStream s;
    s.Write(blob.data(), static_cast<Int64>(blob.size()));
    s.Seek(0, soBeginning);
    ASSERT_TRUE(doc.LoadVLF(s)) << "the stored entry does not read";
    EXPECT_EQ(DocumentText(doc.Data), Shown()) << "the stored entry differs from the shown one";
  }

  // Failures recorded so far in the running test (of every seed).
  static int Failures() {
    return testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count();
  }

  void Step() {
    const int failuresBefore = Failures();
    static const char* const texts[] = {"café", "Łódź", "don’t ", "x", "Ünïcödé"};
    // What a step asks besides its own dialogs: a count (Insert Rows
    // Below the last row), a message box read and closed.
    TInteractionScript answers;
    for (int i = 0; i < 8; ++i)
      answers.Do([this](TInteraction& r) {
        if (auto* f = dynamic_cast<TfrmInteger*>(r.Form)) {
          f->SetValue(Pick(1, 2));
          return static_cast<int>(mrOk);
        }
        return r.Form ? static_cast<int>(mrCancel) : static_cast<int>(IDOK);
      });
    switch (Directions && Chance(4) ? -1 : Pick(0, 38)) {
      case -1: FindByKeys(); break;
      case 0: case 1: case 2: InsertTableHere(); break;
      case 3: Command("vlActionTableInsertRowsAbove"); break;
      case 4: Command("vlActionTableInsertRowsBelow"); break;
      case 5: Command("vlActionTableInsertColLeft"); break;
      case 6: Command("vlActionTableInsertColRight"); break;
      case 7: Command("vlActionTableDeleteRows"); break;
      case 8: Command("vlActionTableDeleteCols"); break;
      case 9: if (Chance(40)) Command("vlActionTableDeleteTable"); break;
      case 10: case 11: Command("vlActionTableMergeCells"); break;
      case 12: Split(); break;
      case 13: Command(Chance(50) ? "vlActionTableSelectTable" : "vlActionTableSelectCell"); break;
      case 14: case 15: ClickCell(Qt::ShiftModifier); break;
      case 16: case 17: DragCells(); break;
      case 18: case 19: case 20: TypeChecked(texts[Pick(0, 4)]); break;
      case 21: Note("tab"); Key(Qt::Key_Tab); break;
      case 22: Note("shift+tab"); Key(Qt::Key_Tab, Qt::ShiftModifier); break;
      case 23: TabThenTypeAhead(Chance(30)); break;
      case 24: Note("enter"); Key(Qt::Key_Return); break;
      case 25: Note("join by backspace"); Key(Qt::Key_Home); Key(Qt::Key_Backspace); break;
      case 26: case 27: ClickCell(Qt::NoModifier); break;
      case 28: if (!ClickOutside()) { Note("ctrl+end"); Key(Qt::Key_End, Qt::ControlModifier); } break;
      case 29: case 30: UndoRun(false); break;
      case 31: UndoRun(true); break;
      case 32: ClipboardCommand(); break;
      case 33: if (Chance(50)) Find(); else Print(); break;
      case 34: if (Chance(50)) DateAndBack(); else LockAndOpen(); break;
      case 35: case 36: DoubleClickWord(); break;
      default: Save(); break;
    }
    if (Failures() > failuresBefore) return;
    ASSERT_TRUE(Settle()) << "the window never settles";
    ASSERT_EQ(Escaped, "") << "an exception reached the application";
    // A dialog must not have taken the window's activation for good.
    if (QApplication::activeWindow() != Window()) Activate(Window());
  }

  // Everything undone (by the menu, as far as it goes) gives back the
  // entry the sequence started with, or last read back.
  void UndoAll() {
    Note("undo everything");
    int presses = 0;
    while (Edit()->GetUndoType() != vlutNone && presses < 2000) {
      ++presses;
      if (!Menu("vlActionUndo")) break;
    }
    EXPECT_EQ(Shown(), Start) << "undoing everything does not give back the start";
  }

  std::mt19937 Rng;
  std::unique_ptr<TPasswordDlg> Password;
  TOpenJournal* J = nullptr;
  std::string Start;
  std::string Log;
  std::string Escaped;
  qytest::TempDir Dir;
  int Prints = 0;
  // Find steps may search up or down, or replace, all by keys (sequences
  // replayed as they once ran keep the plain Find).
  bool Directions = true;
};

unsigned EnvNumber(const char* name, unsigned fallback) {
  const char* v = std::getenv(name);
  return v && *v ? static_cast<unsigned>(std::strtoul(v, nullptr, 10)) : fallback;
}

void RunSeeds(const std::vector<unsigned>& seeds, int steps, bool directions = true) {
  // Every seed runs, in a window of its own, whatever an earlier one found.
  const testing::TestResult& result = *testing::UnitTest::GetInstance()->current_test_info()->result();
  std::vector<unsigned> failed;
  for (const unsigned seed : seeds) {
    std::printf("table sequence seed %u, %d steps (rerun alone with QY_TABLE_SEQUENCE_SEED=%u)\n", seed, steps, seed);
    std::fflush(stdout);
    SCOPED_TRACE("seed " + std::to_string(seed) + " (rerun alone with QY_TABLE_SEQUENCE_SEED=" +
                 std::to_string(seed) + ")");
    const int before = result.total_part_count();
    auto failing = [&] { return result.total_part_count() > before; };
    TSequence s(seed, static_cast<int>(seed % 4));
    s.Directions = directions;
    for (int step = 0; step < steps && !failing(); ++step) {
      s.Step();
      if (std::getenv("QY_TABLE_SEQUENCE_TRACE")) {
        std::printf("%d: %s\n", step, s.Shown().c_str());
        std::fflush(stdout);
      }
    }
    if (!failing()) s.UndoAll();
    if (failing()) {
      ADD_FAILURE() << "steps: " << s.Log;
      failed.push_back(seed);
    }
  }
  for (const unsigned seed : failed) std::printf("failing seed %u\n", seed);
}

TEST(TableCommandSequence, RandomSequencesKeepTheEntryWhole) {
  std::vector<unsigned> seeds;
  if (std::getenv("QY_TABLE_SEQUENCE_SEED"))
    seeds.push_back(EnvNumber("QY_TABLE_SEQUENCE_SEED", 1));
  else
    for (unsigned s = 1; s <= 14; ++s) seeds.push_back(s);
  RunSeeds(seeds, static_cast<int>(EnvNumber("QY_TABLE_SEQUENCE_STEPS", 100)));
}

// Sequences that once found a fault, replayed whole: 91 pressed into a cell
// that the mouse move run by the focus leaving the table's editor took for
// another one: that move selected cells and closed the cell editor the focus
// was going to. 576 saved while a cell editor closed over caret stops of
// lines an undo had taken away (a null line under the caret); it was found
// before words were double-clicked, and now makes other steps. The first
// 150 steps of 6 undid in a cell whose change showed the caret before it
// was placed anew: its stops still named a line the undo took away. The
// first 230 steps of 792 printed tables nested in a table fitted to the
// line, each fitted in turn: the scale's exact fraction outgrew an Integer.
TEST(TableCommandSequence, SequencesThatFoundFaults) {
  if (std::getenv("QY_TABLE_SEQUENCE_SEED")) GTEST_SKIP() << "one seed asked for";
  RunSeeds({576, 91}, 300, false);
  RunSeeds({6}, 150, false);
  RunSeeds({792}, 230, false);
}

}  // namespace

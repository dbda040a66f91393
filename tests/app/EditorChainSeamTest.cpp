// The journal window's editor and the cell editors open inside it, driven
// through the real window: undo and redo through nested tables end and come
// back, saves keep the caret where typing goes on, a search that finds
// nothing leaves the table alone, and dialogs opened over a cell neither
// lose their activation to it nor leave the keyboard elsewhere.
#include "WindowSeamSupport.h"

#include "actions/InsTableVLFrm.h"
#include "actions/VLActionsFind.h"
#include "app/QYAutoSave.h"
#include "app/QYSpelling.h"
#include "platform/base/CodePages.h"
#include "richtext/model/VLUni.h"
#include "platform/gui/CommonDialogs.h"
#include "richtext/table/VLCellEditor.h"
#include "spell/scSpell.h"
#include "spell/scSpellDialog.h"
#include "spellvl/VLSpellChecker.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QWindow>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

namespace {

using qytest::DocumentText;
using qytest::TWindowSeam;

struct TChainWindow : qytest::TDiaryWindow {

  // The cell editors open, outermost first.
  std::vector<TVLTableInplaceEdit*> Cells() const {
    std::vector<TVLTableInplaceEdit*> chain;
    for (TCustomVellumEdit* e = Edit(); (e = dynamic_cast<TCustomVellumEdit*>(e->GetInplaceEditor()));)
      chain.push_back(static_cast<TVLTableInplaceEdit*>(e));
    return chain;
  }

};

// Undo and Redo till nothing is left, and thirty presses more, by the keys
// (where the keyboard is: the innermost cell) and by the Edit menu, after a
// preview closed and reopened the cells: every press ends, undo gets back
// to the empty entry and redo to all that was typed.
TEST(EditorChainSeam, UndoAndRedoThroughANestedTableEndAndComeBack) {
  struct Case {
    const char* name;
    std::function<bool(TChainWindow&)> undo, redo;
  };
  const Case cases[] = {
      {"keys", [](TChainWindow& w) { return w.Key(Qt::Key_Z, Qt::ControlModifier); },
       [](TChainWindow& w) { return w.Key(Qt::Key_Y, Qt::ControlModifier); }},
      {"Edit menu", [](TChainWindow& w) { return w.Menu("vlActionUndo") || w.Settle(); },
       [](TChainWindow& w) { return w.Menu("vlActionRedo") || w.Settle(); }},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TChainWindow w;
    ASSERT_TRUE(w.InsertTable(2, 2));
    ASSERT_EQ(w.Cells().size(), 1u);
    ASSERT_TRUE(w.Type("outer café"));
    ASSERT_TRUE(w.Key(Qt::Key_Return));
    ASSERT_TRUE(w.InsertTable(2, 2));
    ASSERT_EQ(w.Cells().size(), 2u);
    ASSERT_TRUE(w.Type("inner1 Łódź"));
    ASSERT_TRUE(w.Key(Qt::Key_Tab));
    ASSERT_TRUE(w.Type("inner2 don’t"));
    const std::string typed = w.Shown();
    ASSERT_NE(typed.find("inner2 don’t"), std::string::npos) << typed;
    {
      TInteractionScript script;
      script.Answer(mrOk);
      ASSERT_TRUE(w.Menu("ActionPreview"));
    }
    ASSERT_EQ(w.Shown(), typed);
    // Every typed letter is a step: pressed till the command greys, with a
    // bound far above the steps there are.
    int presses = 0;
    for (; w.Edit()->GetUndoType() != vlutNone && presses < 200; ++presses)
      ASSERT_TRUE(k.undo(w)) << "undo " << presses << " does not end";
    EXPECT_EQ(w.Shown(), "") << "all undone";
    ASSERT_GT(presses, 30);
    for (int i = 0; i < presses + 30; ++i) ASSERT_TRUE(k.redo(w)) << "redo " << i << " does not end";
    EXPECT_EQ(w.Shown(), typed) << "all redone";
  }
}

// Type, save, type, save… in an open cell, of a table and of a table in a
// cell, by Ctrl+S and by the automatic save: each word goes on where the
// last one ended.
TEST(EditorChainSeam, TypingAfterEachSaveGoesOnWhereTheCaretIs) {
  const char* const words[] = {" alpha", " béta", " gamma’s", " delta"};
  for (const bool nested : {false, true})
    for (const bool automatic : {false, true}) {
      SCOPED_TRACE(std::string(nested ? "nested" : "table") + (automatic ? ", automatic save" : ", Ctrl+S"));
      TChainWindow w;
      ASSERT_TRUE(w.InsertTable(2, 2));
      if (nested) {
        ASSERT_TRUE(w.InsertTable(2, 2));
      }
      ASSERT_TRUE(w.Type("x11"));
      std::string expected = "x11";
      for (const char* word : words) {
        ASSERT_TRUE(w.Type(word));
        expected += word;
        if (automatic) {
          ProfileSettings.AutoSaveOn = true;
          ProfileSettings.AutoSaveInterval = 1;
          LastSaveTime = Now() - 1.0;
          AutomaticSaveTimerTimer(Now());
          ASSERT_TRUE(w.Settle());
        } else {
          ASSERT_TRUE(w.Key(Qt::Key_S, Qt::ControlModifier));
        }
        ASSERT_FALSE(w.J->Document->Modified) << "saved after" << word;
        ASSERT_EQ(w.Cells().size(), nested ? 2u : 1u);
        ASSERT_EQ(DocumentText(*w.Innermost()->EditData()), expected);
      }
    }
}

// The real find or replace window of a command, opened from its menu item.
TFindDialog* OpenFindWindow(TChainWindow& w, const char* command, const std::string& text) {
  if (!w.Menu(command)) return nullptr;
  TFindDialog* d = nullptr;
  if (auto* f = dynamic_cast<TvlActionFind*>(w.Main->FindComponent(command))) d = f->FindDialog();
  if (auto* r = dynamic_cast<TvlActionReplace*>(w.Main->FindComponent(command))) d = r->ReplaceDialog();
  if (!d || !d->FWindow->Dialog) return nullptr;
  d->FWindow->Find->setText(QString::fromUtf8(text.c_str()));
  d->FindText = text;  // as typing it and pressing a button does
  if (!TWindowSeam::Activate(d->FWindow->Dialog)) return nullptr;
  d->FWindow->Find->setFocus();
  w.Settle();
  return d;
}

QPushButton* Button(TFindDialog* d, const char* caption) {
  for (QPushButton* b : d->FWindow->Dialog->findChildren<QPushButton*>())
    if (b->text() == caption) return b;
  return nullptr;
}

// A search that finds nothing, started in the last cell (Replace All that
// replaces nothing, F3 past the last match): the caret and selection stay
// where they were, in the cell, and the next key (Delete) leaves the table.
TEST(EditorChainSeam, ASearchThatFindsNothingLeavesTheCaretInItsCell) {
  struct Case {
    const char* name;
    std::function<void(TChainWindow&)> search;
    const char* selected;  // what stays selected in the cell
    const char* afterDelete;
  };
  const Case cases[] = {
      {"Replace All, none replaced",
       [](TChainWindow& w) {
         TFindDialog* d = OpenFindWindow(w, "vlActionReplace", "nowhere");
         ASSERT_NE(d, nullptr);
         QPushButton* all = Button(d, "Replace &All");
         ASSERT_NE(all, nullptr);
         TInteractionScript script;
         script.Answer(IDOK);
         QTest::mouseClick(all, Qt::LeftButton);
         ASSERT_TRUE(w.Settle());
         ASSERT_EQ(script.Shown.size(), 1u);
         EXPECT_EQ(script.Shown[0].Text, "0 strings replaced.");
         d->CloseDialog();
       },
       "", "[///Łódź last]"},
      {"F3 past the last match",
       [](TChainWindow& w) {
         TFindDialog* d = OpenFindWindow(w, "vlActionFind", "last");
         ASSERT_NE(d, nullptr);
         d->CloseDialog();
         ASSERT_TRUE(TWindowSeam::Activate(w.Window()));
         TInteractionScript script;
         script.Answer(IDOK).Answer(IDOK);
         ASSERT_TRUE(w.Key(Qt::Key_Home));
         ASSERT_TRUE(w.Key(Qt::Key_F3));  // finds it in the cell
         ASSERT_TRUE(w.Key(Qt::Key_F3));  // nothing past it
         ASSERT_EQ(script.Shown.size(), 1u);
       },
       "last", "[///Łódź ]"},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TChainWindow w;
    ASSERT_TRUE(w.InsertTable(2, 2));
    ASSERT_TRUE(w.Keys(Qt::Key_Tab, 3));
    ASSERT_TRUE(w.Type("Łódź last"));
    ASSERT_EQ(w.Shown(), "[///Łódź last]");
    k.search(w);
    ASSERT_FALSE(testing::Test::HasFatalFailure());
    ASSERT_TRUE(TWindowSeam::Activate(w.Window()));
    ASSERT_EQ(w.Cells().size(), 1u) << "the cell was left";
    TVLTableInplaceEdit* cell = w.Cells()[0];
    EXPECT_EQ(cell->Row, 1);
    EXPECT_EQ(cell->Col, 1);
    EXPECT_EQ(std::string(cell->GetSelText()), k.selected);
    EXPECT_FALSE(w.Edit()->EditData()->SelectionExists()) << "the document holds a selection";
    ASSERT_TRUE(w.Key(Qt::Key_Delete));
    EXPECT_EQ(w.Shown(), k.afterDelete);
  }
}

// Find Next with the match in a cell: the find window, owned by the
// journal window, stays the active one, so the next Enter is Find Next
// again and not a paragraph break in the cell.
TEST(EditorChainSeam, AMatchInACellLeavesTheFindWindowActive) {
  TChainWindow w;
  ASSERT_TRUE(w.Type("top"));
  ASSERT_TRUE(w.Key(Qt::Key_Return));
  ASSERT_TRUE(w.InsertTable(2, 2));
  ASSERT_TRUE(w.Type("café one"));
  ASSERT_TRUE(w.Key(Qt::Key_Tab));
  ASSERT_TRUE(w.Type("café two"));
  // The caret before the table: the search goes into the cells.
  ASSERT_TRUE(w.Key(Qt::Key_Home, Qt::ControlModifier));
  ASSERT_TRUE(w.Cells().empty());
  TFindDialog* d = OpenFindWindow(w, "vlActionFind", "café");
  ASSERT_NE(d, nullptr);
  TInteractionScript unexpected;  // a "not found" box must not wait for an answer
  QDialog* dialog = d->FWindow->Dialog;
  ASSERT_NE(dialog->windowHandle(), nullptr);
  EXPECT_EQ(dialog->windowHandle()->transientParent(), w.Window()->windowHandle()) << "no owner";
  for (const char* cellText : {"café one", "café two"}) {
    SCOPED_TRACE(cellText);
    ASSERT_TRUE(w.Key(Qt::Key_Return));  // the find window's default button
    ASSERT_EQ(w.Cells().size(), 1u);
    EXPECT_EQ(std::string(w.Cells()[0]->GetSelText()), "café");
    EXPECT_EQ(QApplication::activeWindow(), dialog) << "the journal window took the activation";
    EXPECT_EQ(w.Shown(), "top|[café one/café two//]");
    if (TWindowSeam::WindowManagerRunning()) {
      EXPECT_TRUE(TWindowSeam::WaitFor([&] { return TWindowSeam::StackedAbove(dialog, w.Window()); }))
          << "the journal window covers the find window";
    }
  }
  EXPECT_EQ(unexpected.Shown.size(), 0u);
  if (!TWindowSeam::WindowManagerRunning())
    std::printf("No window manager: the stacking of the find window is not checked.\n");
  d->CloseDialog();
}

// A dialog run from a cell (Table Properties… OK, Save a Copy… Save): the
// keyboard comes back to the cell, typing goes on there.
TEST(EditorChainSeam, ADialogClosedFromACellGivesItTheKeyboardBack) {
  qytest::TempDir dir;
  struct Case {
    const char* name;
    const char* command;
    std::function<void(TInteractionScript&)> answer;
  };
  const std::string copy = (dir / "copy.rtf").string();
  const Case cases[] = {
      {"Table Properties", "vlActionTableProperties", [](TInteractionScript& s) { s.Answer(mrOk); }},
      {"Save a Copy", "vlActionExport", [&](TInteractionScript& s) { s.AnswerValue(copy.c_str()).Answer(IDOK); }},
  };
  for (const bool nested : {false, true})
    for (const Case& k : cases) {
      SCOPED_TRACE(std::string(k.name) + (nested ? ", nested" : ""));
      TChainWindow w;
      ASSERT_TRUE(w.InsertTable(2, 2));
      if (nested) {
        ASSERT_TRUE(w.InsertTable(2, 2));
      }
      ASSERT_TRUE(w.Type("ab"));
      {
        TInteractionScript script;
        k.answer(script);
        ASSERT_TRUE(w.Menu(k.command));
      }
      ASSERT_TRUE(TWindowSeam::Activate(w.Window()));
      ASSERT_TRUE(w.Type("ç"));
      ASSERT_EQ(w.Cells().size(), nested ? 2u : 1u);
      EXPECT_EQ(DocumentText(*w.Innermost()->EditData()), "abç");
    }
}

// Another day's entry read into the window while a cell (or a cell in a
// cell) holds the keyboard: what is typed next goes into the new entry.
TEST(EditorChainSeam, TypingAfterADateChangeFromACellGoesIntoTheNewEntry) {
  for (const char* command : {"ActionDateNext", "ActionDatePrevious"})
    for (const bool nested : {false, true}) {
      SCOPED_TRACE(std::string(command) + (nested ? ", nested" : ""));
      TChainWindow w;
      ASSERT_TRUE(w.InsertTable(2, 2));
      if (nested) {
        ASSERT_TRUE(w.InsertTable(2, 2));
      }
      ASSERT_TRUE(w.Type("Łódź"));
      ASSERT_TRUE(w.Menu(command));
      ASSERT_TRUE(w.Cells().empty());
      ASSERT_TRUE(w.Type("café"));
      EXPECT_EQ(w.Shown(), "café");
    }
}

// After a change of entry the caret stands where typing will go, one line
// tall, before any key is pressed: not where the last entry had it (beside
// a table, as tall as the table), and not hidden.
TEST(EditorChainSeam, TheCaretOfTheNewEntryShowsWhereTypingGoes) {
  for (const char* command : {"ActionDateNext", "ActionDatePrevious"})
    for (const int depth : {0, 1, 2}) {
      SCOPED_TRACE(std::string(command) + ", tables " + std::to_string(depth));
      TChainWindow w;
      ASSERT_TRUE(w.Type("café"));
      for (int i = 0; i < depth; ++i) ASSERT_TRUE(w.InsertTable(2, 2));
      ASSERT_TRUE(w.Type("Łódź"));
      ASSERT_TRUE(w.Menu(command));
      ASSERT_TRUE(w.Cells().empty());
      ASSERT_TRUE(w.Settle());
      TVellumEdit* e = w.Edit();
      EXPECT_TRUE(e->CaretVisible());
      const TPoint shown = e->GetCaretPos();
      const Integer height = e->EditData()->CaretHeight;
      // The same empty line after a letter typed and taken back.
      ASSERT_TRUE(w.Type("x"));
      ASSERT_TRUE(w.Key(Qt::Key_Backspace));
      EXPECT_EQ(w.Shown(), "");
      EXPECT_TRUE(e->CaretVisible());
      EXPECT_EQ(shown.X, e->GetCaretPos().X);
      EXPECT_EQ(shown.Y, e->GetCaretPos().Y);
      EXPECT_EQ(height, e->EditData()->CaretHeight);
    }
}

// Typing in a cell nested deep in a long entry: the window follows the
// caret of the innermost cell, as it does in the body text.
TEST(EditorChainSeam, TheWindowFollowsTheCaretOfADeeplyNestedCell) {
  for (const int depth : {1, 3, int(VLTableMaxNesting)}) {
    SCOPED_TRACE(depth);
    TChainWindow w;
    for (int i = 0; i < 50; ++i) {
      ASSERT_TRUE(w.Type("line café " + std::to_string(i)));
      ASSERT_TRUE(w.Key(Qt::Key_Return));
    }
    while (w.Cells().size() < size_t(depth)) ASSERT_TRUE(w.InsertTable(1, 1));
    for (int i = 0; i < 3; ++i) {
      ASSERT_TRUE(w.Type("don’t Łódź"));
      ASSERT_TRUE(w.Key(Qt::Key_Return));
    }
    TCustomVellumEdit* inner = w.Innermost();
    TVLEditVLData* d = inner->EditData();
    ASSERT_GT(d->CaretHeight, 0);
    TPoint at;
    ASSERT_TRUE(d->GetCaretClientPoint(at));
    const TPoint caret = inner->ClientToScreen(at);
    const TPoint top = w.Edit()->ClientToScreen(TPoint(0, 0));
    EXPECT_GE(caret.Y, top.Y);
    EXPECT_LE(caret.Y + d->CaretHeight, top.Y + w.Edit()->ClientHeight()) << "the caret is below the window";
  }
}

// The spelling check stops at a word in a cell: its dialog stays the
// active window (its buttons stay usable), Enter is the dialog's and puts
// no paragraph break into the cell, and after the check the keyboard is in
// the entry again.
TEST(EditorChainSeam, ASpellingCheckInACellKeepsItsDialogActive) {
  TChainWindow w;
  ASSERT_TRUE(w.Type("one twoo"));
  ASSERT_TRUE(w.Key(Qt::Key_Return));
  ASSERT_TRUE(w.InsertTable(2, 2));
  ASSERT_TRUE(w.Type("three wrods"));
  ASSERT_TRUE(w.Key(Qt::Key_Home, Qt::ControlModifier));
  const std::string before = w.Shown();
  TVLSpellChecker* spell = w.UseBuiltDictionaries();
  TInteractionScript script;
  script.Answer(IDOK);
  ASSERT_TRUE(w.Menu("ActionSpell"));
  auto stoppedAt = [&](const char* word) {
    return TWindowSeam::WaitFor([&] {
      return spell->CheckRunning() && spell->Dialog() && std::string(spell->Dialog()->NotFoundEdit->GetText()) == word;
    });
  };
  // The first word is outside the table; Ignore, clicked, moves into it.
  ASSERT_TRUE(stoppedAt("twoo"));
  ASSERT_TRUE(TWindowSeam::Activate(WidgetOf(spell->Dialog())->window()));
  QTest::mouseClick(WidgetOf(spell->Dialog()->IgnoreButton), Qt::LeftButton);
  ASSERT_TRUE(stoppedAt("wrods"));
  ASSERT_EQ(w.Cells().size(), 1u) << "the word is shown in its cell";
  QWidget* dialog = WidgetOf(spell->Dialog())->window();
  EXPECT_EQ(QApplication::activeWindow(), dialog) << "the journal window took the activation";
  TWindowSeam::Activate(dialog);
  ASSERT_TRUE(w.Key(Qt::Key_Return));
  auto breaks = [](const std::string& t) { return std::count(t.begin(), t.end(), '|'); };
  EXPECT_EQ(breaks(w.Shown()), breaks(before)) << w.Shown();
  CancelSpellCheck();
  ASSERT_TRUE(w.Settle());
  ASSERT_TRUE(TWindowSeam::Activate(w.Window()));
  const std::string after = w.Shown();
  ASSERT_TRUE(w.Type("Ł"));
  EXPECT_NE(w.Shown(), after) << "the typed letter went elsewhere";
}

}  // namespace

namespace {

// The lock keys in the journal's editor and in cells nested to any depth:
// the status bar reads the lock state again at each press and release (here
// the keyboard's locks are off, so a stale "cap" or "num" goes), and a typed
// key counts as the user's activity wherever the caret is.
TEST(EditorChainSeam, EveryEditorOfTheChainReportsTheLockKeysAndTyping) {
  struct Case {
    const char* name;
    Qt::Key key;
    int panel;
    const char* stale;
  };
  const Case keys[] = {{"Caps Lock", Qt::Key_CapsLock, spCapsLock, "cap"},
                       {"Num Lock", Qt::Key_NumLock, spNumLock, "num"}};
  for (const int depth : {0, 1, 2}) {
    SCOPED_TRACE("cells nested " + std::to_string(depth) + " deep");
    TChainWindow w;
    for (int i = 0; i < depth; ++i) ASSERT_TRUE(w.InsertTable(2, 2));
    ASSERT_EQ(w.Cells().size(), static_cast<size_t>(depth));
    ASSERT_EQ(TWindowSeam::KeyTarget(), WidgetOf(w.Innermost()));
    for (const Case& k : keys) {
      SCOPED_TRACE(k.name);
      w.Main->SetStatusText(k.panel, k.stale);
      ASSERT_TRUE(w.Key(k.key));
      EXPECT_EQ(w.Main->StatusText(k.panel), "");
    }
    LastActivityTime = 0;
    ASSERT_TRUE(w.Type("é"));
    EXPECT_GT(LastActivityTime, 0) << "typing was no activity";
  }
}

}  // namespace

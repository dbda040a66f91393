// The journal window's editor and the cell editors open inside it, driven
// through the real window: undo and redo through nested tables end and come
// back, saves keep the caret where typing goes on, a search that finds
// nothing leaves the table alone, and dialogs opened over a cell neither
// lose their activation to it nor leave the keyboard elsewhere.
#include "WindowSeamSupport.h"

#include "actions/InsTableVLFrm.h"
#include "actions/VLActionsFind.h"
#include "app/QYAutoSave.h"
#include "platform/base/CodePages.h"
#include "richtext/model/VLUni.h"
#include "platform/gui/CommonDialogs.h"
#include "richtext/table/VLCellEditor.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QWindow>
#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using qytest::TWindowSeam;

std::string Text(TCustomVLData& d) {
  std::string s;
  for (Integer i = 0; i < d.GetItemCount(); ++i) {
    TCustomVLItemInfo* item = d.GetItem(i);
    if (i > 0 && item->IsParaStart()) s += "|";
    if (auto* t = dynamic_cast<TVLTableItemInfo*>(item)) {
      s += "[";
      for (Integer r = 0; r < t->RowCount(); ++r)
        for (Integer c = 0; c < t->ColCount(); ++c)
          if (TVLTableCellData* cell = t->GetCell(r, c)) s += (r + c > 0 ? "/" : "") + Text(*cell->GetVLData());
      s += "]";
    } else if (item->StyleNo >= 0) {
      s += item->IsUnicode() ? WideToUtf8(RawUnicodeToWideString(d.GetItemTextA(i))) : std::string(d.GetItemTextA(i));
    }
  }
  return s;
}

struct TChainWindow : TWindowSeam {
  TChainWindow() {
    J = OpenWindow("Diary", 0);
    ShowActive();
    J->EditorWindow->FocusEditor();
    Settle();
  }
  TVellumEdit* Edit() const { return Editor(J); }
  std::string Shown() const { return Text(*Edit()->VLData()); }
  TCustomVellumEdit* Innermost() const { return Edit()->GetInnermostEditor(); }

  // Table > Insert Table, rows x cols, where the caret is.
  bool InsertTable(Integer rows, Integer cols) {
    TInteractionScript script;
    script.Do([=](TInteraction& r) {
      auto* f = dynamic_cast<TfrmInsTable*>(r.Form);
      if (!f) return static_cast<int>(mrCancel);
      f->SetRows(rows);
      f->SetColumns(cols);
      return static_cast<int>(mrOk);
    });
    return Menu("vlActionInsertTable") && script.Pending() == 0;
  }

  // The cell editors open, outermost first.
  std::vector<TVLTableInplaceEdit*> Cells() const {
    std::vector<TVLTableInplaceEdit*> chain;
    for (TCustomVellumEdit* e = Edit(); (e = dynamic_cast<TCustomVellumEdit*>(e->GetInplaceEditor()));)
      chain.push_back(static_cast<TVLTableInplaceEdit*>(e));
    return chain;
  }

  TOpenJournal* J = nullptr;
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
        ASSERT_EQ(Text(*w.Innermost()->EditData()), expected);
      }
    }
}

}  // namespace

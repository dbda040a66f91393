// Undo and redo through any mix of typing in cells, typing in the document,
// structure operations and property changes: undoing everything passes
// back through every earlier state, and redoing everything forward through
// them again, as the editor's undo and redo keys reach them.
#include "CellEditorSupport.h"
#include "TableDump.h"
#include "TableTestSupport.h"

#include "platform/gui/ControlsPrivate.h"
#include "support/KeySeam.h"

#include <functional>
#include <random>
#include <typeinfo>

using namespace celltest;

namespace {

// A document's paragraphs of text, its tables as their dump (cells read
// where their items are, in an open editor too), tables in cells after
// their table.
std::string Picture(TCustomVLData& d) {
  std::string s;
  for (Integer i = 0; i < d.GetItemCount(); ++i) {
    TCustomVLItemInfo* item = d.GetItem(i);
    if (i > 0 && item->IsParaStart()) s += "|";
    auto* t = dynamic_cast<TVLTableItemInfo*>(item);
    if (!t) {
      s += tabletest::ItemText(d, i);
      continue;
    }
    s += "[padding " + std::to_string(t->CellPadding) + " " + tabletest::Dump(*t);
    for (Integer r = 0; r < t->RowCount(); ++r)
      for (Integer c = 0; c < t->Rows.GetRow(r)->Count(); ++c)
        if (TVLTableCellData* cell = t->Rows.GetRow(r)->GetCell(c))
          for (Integer k = 0; k < cell->GetVLData()->GetItemCount(); ++k)
            if (dynamic_cast<TVLTableItemInfo*>(cell->GetVLData()->GetItem(k)))
              s += " in (" + std::to_string(r) + "," + std::to_string(c) + "): " + Picture(*cell->GetVLData());
    s += "]";
  }
  return s;
}

std::string State(TTableEditor& e) { return Picture(e.D()); }

// The table inside a cell of the document's table, if one is there now.
TVLTableItemInfo* NestedTable(TTableEditor& e) {
  for (Integer r = 0; r < e.T->RowCount(); ++r)
    for (Integer c = 0; c < e.T->ColCount(); ++c)
      if (TVLTableCellData* cell = e.T->GetCell(r, c))
        for (Integer k = 0; k < cell->GetVLData()->GetItemCount(); ++k)
          if (auto* t = dynamic_cast<TVLTableItemInfo*>(cell->GetVLData()->GetItem(k))) return t;
  return nullptr;
}

// Posted replays (a cell's history handed back to its editor) run.
void Settle() {
  for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

// A user's action; false when it did nothing (no step to undo).
using TAction = std::function<bool(TTableEditor&)>;

struct TSequence {
  std::vector<std::string> States;
  std::string Log;
};

// Runs the actions, keeping the state after each that changed something.
TSequence RunActions(TTableEditor& e, const std::vector<std::pair<std::string, TAction>>& actions) {
  TSequence s;
  s.States.push_back(State(e));
  for (const auto& [name, act] : actions) {
    const bool did = act(e);
    Settle();
    const std::string now = State(e);
    if (!did || now == s.States.back()) continue;
    s.Log += name + "; ";
    s.States.push_back(now);
  }
  return s;
}

// Undo back to the start and redo forward to the end, through every
// kept state (typing of several characters takes a press for each).
// The editor's own keys: Ctrl+Z undoes, Ctrl+Shift+Z redoes.
enum TDirection { Back, Forward };
void Press(TTableEditor& e, TDirection d) {
  QTest::keyClick(WidgetOf(e.Edit->GetInnermostEditor()), Qt::Key_Z,
                  d == Back ? Qt::ControlModifier : Qt::ControlModifier | Qt::ShiftModifier);
  Settle();
}

bool Reach(TTableEditor& e, TDirection key, const std::string& state) {
  for (int presses = 0; presses < 4; ++presses) {
    Press(e, key);
    if (State(e) == state) return true;
  }
  return false;
}

std::string Lists(TTableEditor& e) {
  std::string s;
  for (TVLUndoList* l : {e.D().UndoList.get(), e.D().RedoList.get()}) {
    s += "list:";
    for (Integer g = 0; g < l->Count(); ++g) {
      s += " {" + std::to_string(l->Get(g)->UndoType);
      for (Integer r = 0; r < l->Get(g)->Count(); ++r) s += std::string(" ") + typeid(*l->Get(g)->Get(r)).name();
      s += "}";
    }
    s += "\n";
  }
  return s;
}

void CheckUndoRedo(TTableEditor& e, const TSequence& s) {
  SCOPED_TRACE(s.Log);
  const size_t n = s.States.size() - 1;
  for (size_t i = n; i-- > 0;) {
    ASSERT_TRUE(Reach(e, Back, s.States[i])) << "undo to step " << i << "\n" << State(e) << "\nwanted\n"
                                                  << s.States[i];
    ASSERT_TRUE(tabletest::assertGridInvariant(*e.T));
  }
  EXPECT_EQ(e.Edit->GetUndoType(), vlutNone) << Lists(e);
  for (size_t i = 1; i <= n; ++i) {
    ASSERT_NE(e.Edit->GetRedoType(), vlutNone) << "redo to step " << i << " is greyed";
    ASSERT_TRUE(Reach(e, Forward, s.States[i])) << "redo to step " << i << "\n" << State(e) << "\nwanted\n"
                                                  << s.States[i];
    ASSERT_TRUE(tabletest::assertGridInvariant(*e.T));
  }
  EXPECT_EQ(e.Edit->GetRedoType(), vlutNone);
}

// ---- actions ----

TAction TypeInCell(Integer row, Integer col, std::string text, bool atStart = false) {
  return [=](TTableEditor& e) {
    Integer r, c;
    if (!e.T->Rows.GetMainCell(row, col, r, c)) return false;
    e.Click(r, c);
    if (!e.Cell()) return false;
    e.Press(atStart ? Qt::Key_Home : Qt::Key_End);
    e.Write(text.c_str());
    return true;
  };
}

TAction EnterInCell() {
  return [](TTableEditor& e) {
    if (!e.Cell()) return false;
    e.Press(Qt::Key_Return);
    return true;
  };
}

TAction BackspaceInCell() {
  return [](TTableEditor& e) {
    TVLTableInplaceEdit* c = e.Cell();
    if (!c || c->EditData()->GetItemCount() != 1 || c->EditData()->GetItemTextA(0).empty()) return false;
    e.Press(Qt::Key_End);
    e.Press(Qt::Key_Backspace);
    return true;
  };
}

// Typing after the table: Ctrl+End leaves an open cell for the document's end.
TAction TypeAtEnd(std::string text) {
  return [=](TTableEditor& e) {
    if (e.Cell())
      e.Press(Qt::Key_End, Qt::ControlModifier);
    else
      e.Edit->SetCaret(e.Edit->ItemCount() - 1, e.Edit->GetItemEndOffset(e.Edit->ItemCount() - 1));
    e.Write(text.c_str());
    return true;
  };
}

// Typing before the table: a click on the first line.
TAction TypeAtStart(std::string text) {
  return [=](TTableEditor& e) {
    e.ClickAt(QPoint(300, 3));
    e.Press(Qt::Key_End);
    e.Write(text.c_str());
    return true;
  };
}

TAction Table(std::function<bool(TVLTableItemInfo&)> op) {
  return [op](TTableEditor& e) { return op(*e.T); };
}

TEST(TableUndoSequences, MixedSequencesAreUndoneAndRedoneStepByStep) {
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, TAction>> actions;
    Integer undoFirst = 0;  // Ctrl+Z presses before a new cell edit
  };
  auto rows = [](TVLTableItemInfo& t) { return t.RowCount(); };
  const Case cases[] = {
      {"typing after the table follows typing in a cell",
       {{"xyz in a cell", TypeInCell(0, 0, "xyz")}, {"Q after the table", TypeAtEnd("Q")}}},
      {"a merge follows typing in a cell",
       {{"xyz in a cell", TypeInCell(0, 0, "xyz")},
        {"merge", Table([](TVLTableItemInfo& t) { return t.MergeCells(0, 0, 2, 1); })}}},
      {"a row deletion follows typing in a cell",
       {{"xyz in a cell", TypeInCell(1, 1, "xyz")},
        {"delete a row", Table([&](TVLTableItemInfo& t) {
           const Integer n = rows(t);
           t.DeleteRows(0, 1, false);
           return rows(t) == n - 1;
         })}}},
      {"cells, document, structure and properties in turn",
       {{"a before", TypeAtStart("a")},
        {"cell 1,1", TypeInCell(1, 1, "b")},
        {"enter in the cell", EnterInCell()},
        {"c in the cell", TypeInCell(1, 1, "c")},
        {"cell 2,0", TypeInCell(2, 0, "d", true)},
        {"insert a column", Table([](TVLTableItemInfo& t) {
           t.InsertCols(1, 1, -1, false);
           return true;
         })},
        {"cell 0,1", TypeInCell(0, 1, "e")},
        {"colour", Table([](TVLTableItemInfo& t) {
           t.SetCellColor(0x00FFCC, 2, 2);
           return true;
         })},
        {"f after", TypeAtEnd("f")},
        {"backspace in 0,1", [](TTableEditor& e) { return TypeInCell(0, 1, "")(e) && BackspaceInCell()(e); }},
        {"padding", Table([](TVLTableItemInfo& t) {
           t.SetCellPadding(5);
           return true;
         })},
        {"g in 0,1", TypeInCell(0, 1, "g")}}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TTableEditor e(3, 3);
    e.Edit->ClearUndo();
    const TSequence s = RunActions(e, k.actions);
    ASSERT_EQ(s.States.size(), k.actions.size() + 1) << s.Log;
    CheckUndoRedo(e, s);
    // And back once more: the redone history undoes again.
    for (size_t i = s.States.size() - 1; i-- > 0;) EXPECT_TRUE(Reach(e, Back, s.States[i])) << i;
  }
}

// Undo and then a new edit in a cell: what could be redone ends there.
TEST(TableUndoSequences, ANewCellEditAfterUndoEndsTheRedo) {
  TTableEditor e(2, 2);
  e.Edit->ClearUndo();
  TypeInCell(0, 0, "xyz")(e);
  TypeAtEnd("Q")(e);
  Settle();
  Press(e, Back);
  Press(e, Back);
  ASSERT_EQ(e.CellText(0, 0), "00xy");
  ASSERT_NE(e.Cell(), nullptr);
  e.Write("w");
  Settle();
  EXPECT_EQ(e.CellText(0, 0), "00xyw");
  EXPECT_EQ(e.Edit->GetRedoType(), vlutNone);
  Press(e, Forward);
  EXPECT_EQ(e.CellText(0, 0), "00xyw");
  EXPECT_EQ(DocText(&e.D()), "Before|#|After");
}

// Random mixes on a 3 x 3 table between two paragraphs, fixed seeds; from
// seed 21 on its cell (1, 1) holds a 2 x 2 table that takes typing and
// structure changes too.
TEST(TableUndoSequences, RandomMixesComeBackStateByState) {
  for (unsigned seed = 1; seed <= 40; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    TTableEditor e(3, 3);
    const bool nested = seed > 20;
    if (nested) {
      TVLTableCellData* cell = e.T->GetCell(1, 1);
      auto t = TVLTableItemInfo::CreateEx(2, 2, cell);
      for (Integer r = 0; r < 2; ++r)
        for (Integer c = 0; c < 2; ++c) {
          t->GetCell(r, c)->Clear();
          t->GetCell(r, c)->AddTextItem(TTableEditor::U(("n" + std::to_string(r) + std::to_string(c)).c_str()), 0, 0);
        }
      cell->AddItem("", t.release());
      e.Edit->Format();
    }
    e.Edit->ClearUndo();
    std::vector<std::pair<std::string, TAction>> actions;
    for (int step = 0; step < 30; ++step) {
      const char ch[] = {static_cast<char>('a' + pick(0, 25)), 0};
      const std::string text = ch;
      if (nested && pick(0, 2) == 0) {
        const Integer r = pick(0, 2), c = pick(0, 2);
        if (pick(0, 2) > 0) {
          actions.push_back({"type " + text + " in the inner " + std::to_string(r) + "," + std::to_string(c),
                             [=](TTableEditor& ed) {
                               TVLTableItemInfo* t = NestedTable(ed);
                               if (!t || r >= t->RowCount() || c >= t->ColCount() || !t->GetCell(r, c)) return false;
                               t->EditCellEx(r, c, true);
                               QApplication::processEvents();
                               TVLTableInplaceEdit* inner = t->GetInplaceEditor();
                               if (!inner) return false;
                               QTest::keyClick(WidgetOf(inner), Qt::Key_End);
                               QTest::keyClicks(WidgetOf(inner), text.c_str());
                               return true;
                             }});
        } else {
          const bool insert = pick(0, 1) == 1;
          actions.push_back({std::string(insert ? "insert" : "delete") + " an inner row " + std::to_string(r),
                             [=](TTableEditor& ed) {
                               TVLTableItemInfo* t = NestedTable(ed);
                               if (!t || !t->GetCell(0, 0)) return false;
                               // As the Table menu does: on the table the caret is in.
                               t->EditCellEx(0, 0, true);
                               QApplication::processEvents();
                               if (insert) {
                                 if (r > t->RowCount()) return false;
                                 t->InsertRows(r, 1, -1, false);
                               } else {
                                 if (t->RowCount() < 2 || r >= t->RowCount()) return false;
                                 t->DeleteRows(r, 1, false);
                               }
                               return true;
                             }});
        }
        continue;
      }
      switch (pick(0, 11)) {
        case 0:
        case 1:
        case 2: {
          const Integer r = pick(0, 4), c = pick(0, 4);
          actions.push_back({"type " + text + " in " + std::to_string(r) + "," + std::to_string(c),
                             [=](TTableEditor& ed) {
                               if (r >= ed.T->RowCount() || c >= ed.T->ColCount()) return false;
                               return TypeInCell(r, c, text, r % 2 == 1)(ed);
                             }});
          break;
        }
        case 3: actions.push_back({"enter", EnterInCell()}); break;
        case 4: actions.push_back({"backspace", BackspaceInCell()}); break;
        case 5: actions.push_back({"type " + text + " at the end", TypeAtEnd(text)}); break;
        case 6: actions.push_back({"type " + text + " at the start", TypeAtStart(text)}); break;
        case 7: {
          const bool cols = pick(0, 1) == 1;
          const Integer at = pick(0, 3);
          actions.push_back({std::string("insert ") + (cols ? "col " : "row ") + std::to_string(at),
                             Table([=](TVLTableItemInfo& t) {
                               if (cols ? at > t.ColCount() : at > t.RowCount()) return false;
                               if (cols)
                                 t.InsertCols(at, 1, -1, false);
                               else
                                 t.InsertRows(at, 1, -1, false);
                               return true;
                             })});
          break;
        }
        case 8: {
          const bool cols = pick(0, 1) == 1;
          const Integer at = pick(0, 3);
          actions.push_back({std::string("delete ") + (cols ? "col " : "row ") + std::to_string(at),
                             Table([=](TVLTableItemInfo& t) {
                               const Integer n = cols ? t.ColCount() : t.RowCount();
                               if (n < 2 || at >= n) return false;
                               if (cols)
                                 t.DeleteCols(at, 1, false);
                               else
                                 t.DeleteRows(at, 1, false);
                               return true;
                             })});
          break;
        }
        case 9: {
          const Integer r = pick(0, 3), c = pick(0, 3);
          actions.push_back({"merge at " + std::to_string(r) + "," + std::to_string(c),
                             Table([=](TVLTableItemInfo& t) {
                               if (r + 1 >= t.RowCount() || c + 1 >= t.ColCount()) return false;
                               return t.MergeCells(r, c, 2, 1);
                             })});
          break;
        }
        case 10: {
          const Integer r = pick(0, 3), c = pick(0, 3);
          actions.push_back({"split at " + std::to_string(r) + "," + std::to_string(c),
                             Table([=](TVLTableItemInfo& t) {
                               if (r >= t.RowCount() || c >= t.ColCount() || !t.GetCell(r, c)) return false;
                               return t.SplitCellVertically(r, c, 2) > 0;
                             })});
          break;
        }
        default: {
          const Integer r = pick(0, 3), c = pick(0, 3);
          const TColor color = pick(0, 1) ? 0x3366FF : 0xCC9900;
          const Integer padding = pick(1, 6);
          const bool cell = pick(0, 1) == 1;
          actions.push_back({cell ? "cell colour" : "padding", Table([=](TVLTableItemInfo& t) {
                               if (!cell) {
                                 if (t.CellPadding == padding) return false;
                                 t.SetCellPadding(padding);
                                 return true;
                               }
                               TVLTableCellData* target = r < t.RowCount() && c < t.ColCount() ? t.GetCell(r, c) : nullptr;
                               if (!target || target->Color == color) return false;
                               t.SetCellColor(color, r, c);
                               return true;
                             })});
        }
      }
    }
    const TSequence s = RunActions(e, actions);
    ASSERT_GT(s.States.size(), 5u) << s.Log;
    CheckUndoRedo(e, s);
  }
}

// ---- every depth, every editor of the chain ----

// The table at a depth: 0 is the document's, each further one the table in
// a cell of the one before.
TVLTableItemInfo* TableAt(TTableEditor& e, int depth) {
  TVLTableItemInfo* t = e.T;
  for (int k = 0; k < depth && t; ++k) {
    TVLTableItemInfo* inner = nullptr;
    for (Integer r = 0; r < t->RowCount() && !inner; ++r)
      for (Integer c = 0; c < t->ColCount() && !inner; ++c)
        if (TVLTableCellData* cell = t->GetCell(r, c))
          for (Integer i = 0; i < cell->GetVLData()->GetItemCount() && !inner; ++i)
            inner = dynamic_cast<TVLTableItemInfo*>(cell->GetVLData()->GetItem(i));
    t = inner;
  }
  return t;
}

// The open editors from the document's to the innermost cell's.
std::vector<TCustomVellumEdit*> Chain(TTableEditor& e) {
  std::vector<TCustomVellumEdit*> chain;
  for (TCustomVellumEdit* x = e.Edit; x; x = dynamic_cast<TCustomVellumEdit*>(x->GetInplaceEditor())) chain.push_back(x);
  return chain;
}

void NestTables(TTableEditor& e, int depth) {
  TVLTableItemInfo* holder = e.T;
  for (int k = 1; k < depth; ++k) {
    TVLTableCellData* cell = holder->GetCell(1, 1);
    auto t = TVLTableItemInfo::CreateEx(2, 2, cell);
    for (Integer r = 0; r < 2; ++r)
      for (Integer c = 0; c < 2; ++c) {
        t->GetCell(r, c)->Clear();
        t->GetCell(r, c)->AddTextItem(TTableEditor::U(("d" + std::to_string(k) + std::to_string(r) + std::to_string(c)).c_str()), 0, 0);
      }
    holder = t.get();
    cell->AddItem("", t.release());
  }
  e.Edit->Format();
}

// Undo (or redo) asked of one editor of the chain, by its key or by the
// command the Edit menu runs on it.
struct TAsk {
  enum { Outer, Middle, Innermost } Who;
  bool Key;
};

std::string AskName(const TAsk& a) {
  static const char* const who[] = {"outer", "middle", "innermost"};
  return std::string(a.Key ? "key to the " : "command of the ") + who[a.Who] + " editor";
}

bool Ask(TTableEditor& e, qytest::TPostedCounter& counter, const TAsk& a, TDirection d) {
  const std::vector<TCustomVellumEdit*> chain = Chain(e);
  TCustomVellumEdit* target = a.Who == TAsk::Outer ? chain.front()
                              : a.Who == TAsk::Innermost ? chain.back()
                                                          : chain[chain.size() / 2];
  const qytest::TCallWatchdog watchdog((d == Back ? "undo by the " : "redo by the ") + AskName(a));
  if (a.Key)
    QTest::keyClick(WidgetOf(target), Qt::Key_Z,
                    d == Back ? Qt::ControlModifier : Qt::ControlModifier | Qt::ShiftModifier);
  else if (d == Back)
    target->Undo();
  else
    target->Redo();
  return qytest::SettleWithin(counter);
}

TEST(TableUndoSequences, EveryDepthComesBackWhicheverEditorIsAsked) {
  const TAsk asks[] = {{TAsk::Innermost, true}, {TAsk::Outer, false},  {TAsk::Middle, true},
                       {TAsk::Outer, true},     {TAsk::Middle, false}, {TAsk::Innermost, false}};
  qytest::TPostedCounter counter;
  for (int depth = 1; depth <= 3; ++depth)
    for (unsigned seed = 1; seed <= 6; ++seed) {
      SCOPED_TRACE("depth " + std::to_string(depth) + ", seed " + std::to_string(seed));
      std::mt19937 rng(seed * 7 + static_cast<unsigned>(depth));
      auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
      TTableEditor e(3, 3);
      NestTables(e, depth);
      e.Edit->ClearUndo();
      std::vector<std::pair<std::string, TAction>> actions;
      for (int step = 0; step < 14; ++step) {
        const int level = pick(0, depth - 1);
        const Integer r = pick(0, 1), c = pick(0, 1);
        static const char* const words[] = {"a", "é", "ł", "z", "’"};
        const std::string text = words[pick(0, 4)];
        switch (pick(0, 5)) {
          case 0:
            actions.push_back({"type " + text + " at the end", [=](TTableEditor& ed) {
                                 if (ed.Cell()) ed.Press(Qt::Key_End, Qt::ControlModifier);
                                 qytest::TypeKeys(ed.Target(), text);
                                 return true;
                               }});
            break;
          case 1:
            actions.push_back({"insert a row at depth " + std::to_string(level), [=](TTableEditor& ed) {
                                 TVLTableItemInfo* t = TableAt(ed, level);
                                 if (!t || !t->GetCell(0, 0)) return false;
                                 t->EditCellEx(0, 0, true);
                                 QApplication::processEvents();
                                 t->InsertRows(0, 1, -1, false);
                                 return true;
                               }});
            break;
          default:
            actions.push_back({"type " + text + " at depth " + std::to_string(level) + " in " + std::to_string(r) +
                                   "," + std::to_string(c),
                               [=](TTableEditor& ed) {
                                 TVLTableItemInfo* t = TableAt(ed, level);
                                 if (!t || r >= t->RowCount() || c >= t->ColCount() || !t->GetCell(r, c)) return false;
                                 t->EditCellEx(r, c, true);
                                 QApplication::processEvents();
                                 TVLTableInplaceEdit* cell = t->GetInplaceEditor();
                                 if (!cell) return false;
                                 QTest::keyClick(WidgetOf(cell), Qt::Key_End);
                                 qytest::TypeKeys(WidgetOf(cell), text);
                                 return true;
                               }});
        }
      }
      const TSequence s = RunActions(e, actions);
      ASSERT_GT(s.States.size(), 4u) << s.Log;
      SCOPED_TRACE(s.Log);
      // Each state is reached within a few asks, each ask ending within a
      // few rounds of events, whichever editor it goes to.
      size_t n = 0;
      auto reach = [&](TDirection d, const std::string& want) {
        for (int tries = 0; tries < 4; ++tries) {
          const TAsk& a = asks[n++ % std::size(asks)];
          if (!Ask(e, counter, a, d)) {
            ADD_FAILURE() << AskName(a) << " does not end";
            return false;
          }
          if (State(e) == want) return true;
        }
        return false;
      };
      for (size_t i = s.States.size() - 1; i-- > 0;)
        ASSERT_TRUE(reach(Back, s.States[i])) << "undo to step " << i << "\n" << State(e) << "\nwanted\n" << s.States[i];
      EXPECT_EQ(e.Edit->GetUndoType(), vlutNone);
      for (size_t i = 1; i < s.States.size(); ++i) {
        for (TCustomVellumEdit* x : Chain(e)) ASSERT_NE(x->GetRedoType(), vlutNone) << "redo to step " << i;
        ASSERT_TRUE(reach(Forward, s.States[i])) << "redo to step " << i << "\n" << State(e) << "\nwanted\n" << s.States[i];
      }
      for (TCustomVellumEdit* x : Chain(e)) EXPECT_EQ(x->GetRedoType(), vlutNone);
    }
}

}  // namespace

// The history of a cell in a table nested in another table's cell: it
// passes outwards as the editors around it close, and whatever ends it
// later (the window closing, typing that drops what could be redone, a
// new day's entry clearing the history) frees its records safely, the
// items they kept announced to the document's editor. Undo and redo in an
// open cell stay in that cell.
#include "CellEditorSupport.h"
#include "support/KeySeam.h"

#include "platform/base/Streams.h"

#include <QPointer>

using namespace celltest;

namespace {

void Settle() {
  for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

// In the nested cell (0, 0): "x", Enter, "y" and two Backspaces; the second
// joins the paragraphs, and the history keeps the paragraph it took out.
void JoinInNestedCell(TVLTableItemInfo* in) {
  in->EditCellEx(0, 0, true);
  Settle();
  TVLTableInplaceEdit* ce = in->GetInplaceEditor();
  ASSERT_NE(ce, nullptr);
  QTest::keyClick(WidgetOf(ce), Qt::Key_End);
  qytest::TypeKeys(WidgetOf(ce), "x");
  QTest::keyClick(WidgetOf(ce), Qt::Key_Return);
  qytest::TypeKeys(WidgetOf(ce), "y");
  QTest::keyClick(WidgetOf(ce), Qt::Key_Backspace);
  QTest::keyClick(WidgetOf(ce), Qt::Key_Backspace);
  Settle();
  ASSERT_EQ(DocText(in->GetCell(0, 0)->GetVLData()), "inx");
}

// Counts the items the document's editor hears are freed: while the document
// keeps all of its own, those an undo record kept.
struct TFreedFromHistory {
  explicit TFreedFromHistory(TVellumEdit* edit) {
    edit->OnItemAction = [this](TCustomVellum*, TVLItemAction action, TCustomVLItemInfo*, AnsiString&,
                                TCustomVLData*) {
      if (action == vliaDestroying) ++Count;
    };
  }
  int Count = 0;
};

// Cell (0, 0) of the table `depth` levels down: the document's first table
// is level 1, the one in its cell (0, 0) level 2, and so on.
TVLTableCellData* CellAtDepth(TCustomVLData* doc, int depth) {
  TVLTableCellData* cell = nullptr;
  for (int level = 0; level < depth; ++level) {
    TVLTableItemInfo* t = nullptr;
    for (Integer i = 0; i < doc->GetItemCount() && !t; ++i) t = dynamic_cast<TVLTableItemInfo*>(doc->GetItem(i));
    if (!t) return nullptr;
    cell = t->GetCell(0, 0);
    doc = cell->GetVLData();
  }
  return cell;
}

}  // namespace

TEST(NestedCellHistory, AJoinInANestedCellOutlivesTheEditorsAroundIt) {
  enum TEnd { ClearedAfterClosing, TypingDropsTheRedo, WindowCloses };
  struct Case {
    const char* name;
    TEnd end;
  };
  const Case cases[] = {
      {"the editors close from the inside out, then the history is cleared", ClearedAfterClosing},
      {"undo reaches into the nested cell, then typing in the document drops the redo", TypingDropsTheRedo},
      {"the window closes with the history in the document", WindowCloses},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    {
      TTableEditor e(3, 3);
      TVLTableItemInfo* in = NestOne(e);
      e.Edit->ClearUndo();
      JoinInNestedCell(in);
      // Another cell of the outer table: the nested editor closes, then the
      // one around it; then the document's own text: the outer one too.
      e.T->EditCellEx(0, 0, true);
      Settle();
      e.ClickAt(QPoint(5, 5));
      ASSERT_EQ(e.Cell(), nullptr);
      EXPECT_EQ(e.Edit->GetUndoType(), vlutModifyItem);
      EXPECT_EQ(DocText(in->GetCell(0, 0)->GetVLData()), "inx");
      TFreedFromHistory freed(e.Edit);
      switch (k.end) {
        case ClearedAfterClosing:
          e.Edit->ClearUndo();
          EXPECT_EQ(e.Edit->GetUndoType(), vlutNone);
          EXPECT_GE(freed.Count, 1);
          EXPECT_EQ(DocText(in->GetCell(0, 0)->GetVLData()), "inx");
          break;
        case TypingDropsTheRedo: {
          for (int i = 0; i < 3; ++i) {
            e.Edit->Undo();
            Settle();
          }
          EXPECT_NE(e.Edit->GetRedoType(), vlutNone);
          e.ClickAt(QPoint(5, 5));
          qytest::TypeKeys(e.Target(), "q");
          Settle();
          EXPECT_EQ(e.Edit->GetRedoType(), vlutNone);
          EXPECT_NE(DocText(&e.D()).find('q'), std::string::npos);
          break;
        }
        case WindowCloses: break;
      }
      e.Edit->OnItemAction = nullptr;
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    Settle();
  }
}

// Tables inserted each in the last one's cell, typing in the innermost, then
// what a change of day does: the entry is saved (its cell editors close for
// that and open again), the document cleared with its history, and the
// saved entry read back.
TEST(NestedCellHistory, ADayChangeClearsTheHistoryOfCellsNestedDeep) {
  for (const int depth : {3, VLTableMaxNesting}) {
    SCOPED_TRACE("depth " + std::to_string(depth));
    qytest::TEditor e;
    VLRegisterTableItem();
    e.Edit->Clear();
    e.Edit->EditData()->AddTextItem(TTableEditor::U("Entry"), 0, 0);
    e.Edit->Format();
    e.Edit->ClearUndo();
    for (int level = 0; level < depth; ++level) {
      TCustomVellumEdit* inner = e.Edit->GetInnermostEditor();
      auto t = TVLTableItemInfo::CreateEx(1, 1, inner->EditData());
      TVLTableItemInfo* placed = t.get();
      ASSERT_TRUE(inner->InsertItem("", t.release())) << level;
      placed->EditCell(0, 0);
      QApplication::processEvents();
      ASSERT_NE(placed->GetInplaceEditor(), nullptr) << level;
    }
    TCustomVellumEdit* innermost = e.Edit->GetInnermostEditor();
    qytest::TypeKeys(WidgetOf(innermost), "café Łódź");
    Settle();
    TMemoryStream saved;
    ASSERT_TRUE(e.Edit->SaveVLFToStream(saved, false));
    // The cells' editors opened again after the save, down to the innermost.
    EXPECT_EQ(DocText(e.Edit->GetInnermostEditor()->EditData()), "café Łódź");
    e.Edit->Clear();
    e.Edit->Format();
    EXPECT_EQ(e.Edit->GetUndoType(), vlutNone);
    saved.SetPosition(0);
    ASSERT_TRUE(e.Edit->LoadVLFFromStream(saved));
    e.Edit->Format();
    TVLTableCellData* cell = CellAtDepth(&e.D(), depth);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(DocText(cell->GetVLData()), "café Łódź");
  }
}

// Undo and redo in an open cell while the document (and at depth 2 the cell
// around it) holds steps of its own: the step is the cell's, and the cell's
// editor stays open with the caret in it.
TEST(NestedCellHistory, UndoAndRedoInAnOpenCellStayInThatCell) {
  for (const int depth : {1, 2}) {
    SCOPED_TRACE("depth " + std::to_string(depth));
    TTableEditor e(3, 3);
    TVLTableItemInfo* in = depth == 2 ? NestOne(e) : nullptr;
    e.Edit->ClearUndo();
    // A step of the document.
    e.Edit->SetCaret(2, e.Edit->GetItemEndOffset(2));
    qytest::TypeKeys(e.W(), "!");
    Settle();
    ASSERT_EQ(DocText(&e.D()).substr(DocText(&e.D()).size() - 6), "After!");
    // A step of the outer cell.
    e.T->EditCellEx(1, 1, true);
    Settle();
    ASSERT_NE(e.Cell(), nullptr);
    e.Press(Qt::Key_Home);
    e.Write("m");
    ASSERT_EQ(DocText(e.Cell()->EditData()).substr(0, 3), "m11");
    TVLTableInplaceEdit* cell = e.Cell();
    if (depth == 2) {
      in->EditCellEx(0, 0, true);
      Settle();
      cell = in->GetInplaceEditor();
      ASSERT_NE(cell, nullptr);
    }
    QTest::keyClick(WidgetOf(cell), Qt::Key_End);
    qytest::TypeKeys(WidgetOf(cell), "ab");
    Settle();
    const std::string typed = DocText(cell->EditData());
    const QPointer<QWidget> open(WidgetOf(cell));
    struct Step {
      Qt::KeyboardModifiers mods;
      const char* cellText;
    };
    const std::string base = depth == 2 ? "in" : "m11";
    for (const Step& s : {Step{Qt::ControlModifier, "a"}, Step{Qt::ControlModifier | Qt::ShiftModifier, "ab"}}) {
      SCOPED_TRACE(s.mods & Qt::ShiftModifier ? "redo" : "undo");
      QTest::keyClick(WidgetOf(cell), Qt::Key_Z, s.mods);
      Settle();
      ASSERT_FALSE(open.isNull()) << "the cell's editor was closed";
      ASSERT_EQ(depth == 2 ? in->GetInplaceEditor() : e.Cell(), cell);
      EXPECT_EQ(DocText(cell->EditData()), base + s.cellText);
      EXPECT_EQ(cell->CurItemNo(), 0);
      EXPECT_EQ(cell->OffsetInCurItem(), cell->EditData()->GetItemEndOffset(0));
      EXPECT_EQ(e.Edit->GetInnermostEditor(), cell);
      // Nothing outside the cell moved.
      EXPECT_NE(DocText(&e.D()).find("After!"), std::string::npos);
      if (depth == 2) {
        EXPECT_EQ(DocText(e.Cell()->EditData()).substr(0, 3), "m11");
      }
    }
    EXPECT_EQ(DocText(cell->EditData()), typed);
  }
}

// A deletion in a nested cell, then Undo and typing, all through the window:
// mouse clicks open the cells and leave them, keys go to the editor that has
// the keyboard.
TEST(NestedCellHistory, DeleteInANestedCellThenUndoAndTypeThroughTheWindow) {
  TTableEditor e(3, 3);
  TVLTableItemInfo* in = NestOne(e);
  e.Edit->ClearUndo();
  auto keys = [&](Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* focused = QApplication::focusWidget();
    ASSERT_NE(focused, nullptr);
    QTest::keyClick(focused, key, mods);
    Settle();
  };
  auto type = [&](const char* text) {
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    qytest::TypeKeys(QApplication::focusWidget(), text);
    Settle();
  };
  // "After" under the mouse, in the document's window.
  auto clickAfter = [&] {
    for (Integer i = 0; i < e.D().DrawItems.Count(); ++i)
      if (const TVLDrawLineInfo* d = e.D().DrawItems[i]; d->ItemNo == 2) {
        e.ClickAt(QPoint(d->Left - e.D().GetHOffset() + 30, d->Top - e.D().GetVOffset() + 4));
        return;
      }
  };
  // The document has a step of its own first.
  clickAfter();
  keys(Qt::Key_End);
  type("!");
  e.Click(1, 1);
  TVLTableInplaceEdit* middle = e.Cell();
  ASSERT_NE(middle, nullptr);
  // The nested cell (0, 1) under the mouse, in the outer cell's editor.
  TVLEditVLData* md = middle->EditData();
  const TVLDrawLineInfo* d = md->DrawItems[in->DrawItemNo];
  const TVLTableCellData* target = in->GetCell(0, 1);
  const QPoint p(d->Left - md->GetHOffset() + target->Left + target->Width / 2,
                 d->Top - md->GetVOffset() + target->Top + target->Height / 2);
  QTest::mouseClick(ClientWidgetOf(middle), Qt::LeftButton, Qt::NoModifier, p);
  Settle();
  TVLTableInplaceEdit* nested = in->GetInplaceEditor();
  ASSERT_NE(nested, nullptr);
  ASSERT_EQ(nested->Col, 1);
  ASSERT_EQ(QApplication::focusWidget(), WidgetOf(nested));
  const QPointer<QWidget> open(WidgetOf(nested));
  // Undo and redo stay in the nested cell: its editor open, with the keyboard.
  auto stillThere = [&] {
    ASSERT_FALSE(open.isNull()) << "the nested cell's editor was closed";
    ASSERT_EQ(in->GetInplaceEditor(), nested);
    EXPECT_EQ(QApplication::focusWidget(), WidgetOf(nested));
  };
  keys(Qt::Key_End);
  type("Łódź");
  keys(Qt::Key_Return);
  type("y");
  keys(Qt::Key_Backspace);
  keys(Qt::Key_Backspace);  // joins: the paragraph goes into the history
  EXPECT_EQ(DocText(nested->EditData()), "inŁódź");
  keys(Qt::Key_Z, Qt::ControlModifier);
  stillThere();
  if (HasFatalFailure()) return;
  EXPECT_EQ(DocText(nested->EditData()), "inŁódź|");
  keys(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  stillThere();
  if (HasFatalFailure()) return;
  EXPECT_EQ(DocText(nested->EditData()), "inŁódź");
  // Another cell of the outer table, then the text below the table: the
  // editors close from the inside out, their history passing outwards.
  e.Click(0, 0);
  ASSERT_EQ(in->GetInplaceEditor(), nullptr);
  clickAfter();
  ASSERT_EQ(e.Cell(), nullptr);
  ASSERT_EQ(QApplication::focusWidget(), e.W());
  // Undo reaches back into the nested cell and past the join.
  for (int i = 0; i < 3; ++i) keys(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(DocText(in->GetCell(0, 1)->GetVLData()), "inŁódź|");
  ASSERT_NE(e.Edit->GetRedoType(), vlutNone);
  // Back to the text below the table, and typing there drops what could be
  // redone, the paragraph's record with it.
  clickAfter();
  ASSERT_EQ(e.Cell(), nullptr);
  keys(Qt::Key_End);
  type("é");
  EXPECT_EQ(e.Edit->GetRedoType(), vlutNone);
  EXPECT_EQ(DocText(in->GetCell(0, 1)->GetVLData()), "inŁódź|");
  EXPECT_NE(DocText(&e.D()).find("After!é"), std::string::npos);
  e.Edit->ClearUndo();
  EXPECT_EQ(e.Edit->GetUndoType(), vlutNone);
}

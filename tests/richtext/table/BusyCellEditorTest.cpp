// Commands run from a cell editor's own context menu, while its handler is
// on the stack: the editor may not be freed under it. A close for a while
// (a save, a property change) is refused and the editor stays; a close for
// good takes effect for the document at once, and the editor goes once the
// menu's handler is over. The cell's text is kept either way.
#include "CellEditorSupport.h"
#include "support/KeySeam.h"

#include "platform/base/Streams.h"

#include <QPointer>

using namespace celltest;

namespace {

void Settle() {
  for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

// The text as VLF keeps it (UTF-16, low byte first).
bool Holds(const TMemoryStream& s, const char16_t* text) {
  std::string bytes;
  for (const char16_t* p = text; *p; ++p) {
    bytes += static_cast<char>(*p & 0xFF);
    bytes += static_cast<char>(*p >> 8);
  }
  return s.Bytes().find(bytes) != std::string::npos;
}

}  // namespace

TEST(BusyCellEditor, CommandsFromTheCellEditorsOwnMenu) {
  enum TCommand { Save, CloseForAWhile, CloseForGood };
  struct Case {
    const char* name;
    int depth;
    TCommand command;
  };
  const Case cases[] = {
      {"saving the entry", 1, Save},
      {"saving the entry from a nested cell", 2, Save},
      {"closing the editors for a while", 1, CloseForAWhile},
      {"closing the editors for a while from a nested cell", 2, CloseForAWhile},
      {"select all closes the editors for good", 1, CloseForGood},
      {"select all from a nested cell", 2, CloseForGood},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TTableEditor e(3, 3);
    TVLTableItemInfo* in = k.depth == 2 ? NestOne(e) : nullptr;
    TVLTableItemInfo* table = in ? in : e.T;
    table->EditCellEx(0, 0, true);
    Settle();
    TVLTableInplaceEdit* cell = table->GetInplaceEditor();
    ASSERT_NE(cell, nullptr);
    QTest::keyClick(WidgetOf(cell), Qt::Key_End);
    qytest::TypeKeys(WidgetOf(cell), "café");
    Settle();
    const std::string typed = DocText(cell->EditData());
    const QPointer<QWidget> alive(WidgetOf(cell));
    TVLTableCellData* edited = cell->Cell;

    bool ran = false, saved = true, stayed = false, closed = false, aliveInside = false;
    Integer itemsInside = -1;
    std::string refusal;
    cell->OnContextPopup = [&](TObject*, TPoint, bool& handled) {
      handled = true;
      if (ran) return;
      ran = true;
      switch (k.command) {
        case Save: {
          TMemoryStream s;
          saved = e.Edit->SaveVLFToStream(s, false);
          break;
        }
        case CloseForAWhile:
          try {
            e.Edit->SuspendInplaceEditor();
          } catch (const EVLTableInplaceError& x) {
            refusal = x.Message;
          }
          break;
        case CloseForGood:
          e.Edit->SelectAll();
          closed = e.Cell() == nullptr && table->GetInplaceEditor() == nullptr;
          break;
      }
      stayed = e.Edit->GetInnermostEditor() == cell;
      // The handler goes on with its editor.
      aliveInside = !alive.isNull();
      if (aliveInside) itemsInside = cell->EditData()->GetItemCount();
    };
    QTest::mouseClick(ClientWidgetOf(cell), Qt::RightButton, Qt::NoModifier, QPoint(4, 4));
    Settle();
    ASSERT_TRUE(ran);
    ASSERT_TRUE(aliveInside) << "the editor was freed under its own handler";
    switch (k.command) {
      case Save:
      case CloseForAWhile: {
        if (k.command == Save) {
          EXPECT_FALSE(saved) << "a save without the cell's text passed for whole";
        } else {
          EXPECT_EQ(refusal, "Cannot destroy cell inplace editor at this time");
        }
        EXPECT_TRUE(stayed);
        ASSERT_FALSE(alive.isNull());
        EXPECT_EQ(table->GetInplaceEditor(), cell);
        EXPECT_EQ(DocText(cell->EditData()), typed);
        // Once the menu is over, the save goes through with the cell's text.
        TMemoryStream s;
        EXPECT_TRUE(e.Edit->SaveVLFToStream(s, false));
        EXPECT_TRUE(Holds(s, u"café"));
        EXPECT_EQ(DocText(table->GetInplaceEditor()->EditData()), typed);
        break;
      }
      case CloseForGood:
        EXPECT_TRUE(closed);
        EXPECT_FALSE(stayed);
        EXPECT_EQ(itemsInside, 1);
        // Freed once its handler was over.
        EXPECT_TRUE(alive.isNull());
        EXPECT_EQ(DocText(edited), typed);
        break;
    }
  }
}

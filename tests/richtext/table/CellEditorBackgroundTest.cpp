// The cell editor as part of the editor that holds its table: the holder's
// background behind a transparent cell, scrolling left to the holder, and
// drops relayed to the holder.
#include "CellEditorSupport.h"
#include "tests/richtext/view/LayoutTestSupport.h"

#include <gtest/gtest.h>

namespace {

constexpr TColor Green = 0x00FF00;

// The colours are the table's and its cell (1, 1)'s; nested, the cell
// edited is one of a table in that cell, itself transparent, and what it
// shows lies behind both.
TEST(CellEditorBackground, ATransparentCellShowsTheHoldersBackground) {
  struct Case {
    TColor tableColor, cellColor;
    bool nested, shows;
    TColor expected;
  } cases[] = {{clNone, clNone, false, true, Green},
               {clYellow, clNone, false, false, clYellow},
               {clNone, clAqua, false, false, clAqua},
               {clNone, clNone, true, true, Green},
               {clNone, clAqua, true, true, clAqua}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.tableColor) + " " + std::to_string(c.cellColor) + (c.nested ? " nested" : ""));
    celltest::TTableEditor e(2, 2);
    e.Edit->SetBackgroundBitmap(qytest::PlainBitmap(Green).get());
    e.Edit->SetBackgroundStyle(bsTiled);
    e.T->Color = c.tableColor;
    e.T->GetCell(1, 1)->Color = c.cellColor;
    TVLTableItemInfo* in = c.nested ? celltest::NestOne(e) : nullptr;
    if (in) {
      in->Color = clNone;
      in->EditCellEx(0, 0, true);
    } else
      e.T->EditCell(1, 1);
    TVLTableInplaceEdit* editor = (in ? in : e.T)->GetInplaceEditor();
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->ShowParentBackground, c.shows);
    TBitmap image(editor->ClientWidth(), editor->ClientHeight());
    editor->PaintTo(image.Canvas());
    // Right of the cell's short text.
    EXPECT_EQ(ColorToRGB(image.Canvas()->GetPixel(editor->ClientWidth() - 2, editor->ClientHeight() - 2)),
              ColorToRGB(c.expected));
  }
}

TEST(CellEditorBackground, TheCellEditorScrollsOnlyInItsOwnScrollingMode) {
  for (bool own : {false, true}) {
    SCOPED_TRACE(own);
    celltest::TTableEditor e(1, 1);
    TVLTableCellData* cell = e.T->GetCell(0, 0);
    cell->Clear();
    for (int i = 0; i < 30; ++i) cell->AddTextItem("line", 0, 0);
    e.Edit->Format();
    e.T->EditCell(0, 0);
    TVLTableInplaceEdit* editor = e.T->GetInplaceEditor();
    ASSERT_TRUE(editor);
    editor->OwnScrolling = own;
    // Shorter than its content, as a window that scrolls itself would be.
    editor->SetBounds(editor->GetLeft(), editor->GetTop(), editor->GetWidth(), 20);
    editor->Format();
    editor->VScrollTo(40, false);
    EXPECT_EQ(editor->VPos > 0, own);
  }
}

TEST(CellEditorBackground, ADropOnTheCellEditorReachesTheHolder) {
  celltest::TTableEditor e(2, 2);
  std::vector<std::tuple<TObject*, TObject*, Integer, Integer>> drops;
  e.Edit->OnDragDrop = [&](TObject* sender, TObject* source, Integer x, Integer y) {
    drops.emplace_back(sender, source, x, y);
  };
  e.T->EditCell(0, 1);
  TVLTableInplaceEdit* editor = e.T->GetInplaceEditor();
  ASSERT_TRUE(editor);
  ASSERT_TRUE(editor->OnDragDrop);
  TObject source;
  editor->OnDragDrop(editor, &source, 3, 4);
  ASSERT_EQ(drops.size(), 1u);
  EXPECT_EQ(std::get<0>(drops[0]), static_cast<TObject*>(e.Edit));
  EXPECT_EQ(std::get<1>(drops[0]), &source);
  EXPECT_EQ(std::get<2>(drops[0]), editor->GetLeft() + 3);
  EXPECT_EQ(std::get<3>(drops[0]), editor->GetTop() + 4);
}

}  // namespace

// A table's background picture as the window shows it: behind the cells,
// over the table's fill colour, and behind the cell being edited.
#include "TableTestSupport.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

using tabletest::TTableWindow;

std::unique_ptr<TBitmap> Plain(Integer w, Integer h, TColor color) {
  auto bmp = std::make_unique<TBitmap>(w, h);
  bmp->Canvas()->Brush.Color = color;
  bmp->Canvas()->FillRect(TRect(0, 0, w, h));
  bmp->Canvas()->ReleaseHandle();
  return bmp;
}

// What the window shows: the editor with the cell editor over it.
QImage Shown(TTableWindow& w) {
  w.Settle();
  return ClientWidgetOf(w.Edit)->grab().toImage();
}

// A point of cell (row, col) away from its text: near its bottom-right.
QPoint Blank(TTableWindow& w, Integer row, Integer col) {
  const TVLTableCellData* cell = w.T()->GetCell(row, col);
  return w.CellPoint(row, col) + QPoint(cell->Width / 2 - 3, cell->Height / 2 - 3);
}

bool IsRed(const QColor& c) { return c.red() > 200 && c.green() < 60 && c.blue() < 60; }

TEST(TablePictures, ThePictureShowsOverTheFillAndBehindTheEditedCell) {
  struct TCase {
    const char* Name;
    TColor Fill;
    bool Editing;
    TColor CellPicture;  // clNone: none
  } cases[] = {
      {"white table, caret outside", clWindow, false, clNone},
      {"white table, cell edited", clWindow, true, clNone},
      {"yellow fill, caret outside", clYellow, false, clNone},
      {"yellow fill, cell edited", clYellow, true, clNone},
      {"no fill, cell edited", clNone, true, clNone},
      {"the edited cell's own picture", clYellow, true, clBlue},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.Name);
    TTableWindow w;
    TVLTableItemInfo* t = w.T();
    t->Color = k.Fill;
    t->SetBackgroundImage(Plain(8, 8, clRed));
    t->SetBackgroundStyle(vlbsTiled);
    if (k.CellPicture != clNone) {
      t->GetCell(1, 1)->SetBackgroundImage(Plain(8, 8, k.CellPicture));
      t->GetCell(1, 1)->SetBackgroundStyle(vlbsTiled);
    }
    w.Edit->Format();
    if (k.Editing)
      w.Click(1, 1);
    else
      w.CaretOutside();
    ASSERT_EQ(t->GetInplaceEditor() != nullptr, k.Editing);
    const QImage shown = Shown(w);
    EXPECT_TRUE(IsRed(shown.pixelColor(Blank(w, 0, 0)))) << shown.pixelColor(Blank(w, 0, 0)).name().toStdString();
    const QColor edited = shown.pixelColor(Blank(w, 1, 1));
    if (k.CellPicture != clNone)
      EXPECT_GT(edited.blue(), 200) << edited.name().toStdString();
    else
      EXPECT_TRUE(IsRed(edited)) << edited.name().toStdString();
  }
}


}  // namespace

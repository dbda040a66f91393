// Cells as documents of their own: background pictures kept in files and
// painted behind the content.
#include "TableTestSupport.h"

#include "platform/base/Streams.h"
#include "richtext/view/LayoutTestSupport.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

constexpr TColor Blue = 0xFF0000;

std::unique_ptr<TBitmap> Square(TColor color) {
  auto b = std::make_unique<TBitmap>(4, 4);
  b->Canvas()->Brush.Color = color;
  b->Canvas()->FillRect(TRect(0, 0, 4, 4));
  return b;
}

TEST(TableContainer, CellBackgroundsAreStoredAndPainted) {
  VLRegisterTableItem();
  TVLStyle style(nullptr);
  qytest::ResetStylesForLayout(style);
  for (bool binary : {true, false}) {
    SCOPED_TRACE(binary);
    qytest::TTestLayoutData doc(&style);
    if (!binary) doc.SetVLFOptions(doc.GetVLFOptions() - TVLFOptions{vlfoSaveBinary});
    auto t = TVLTableItemInfo::CreateEx(2, 2, &doc);
    t->GetCell(1, 1)->SetBackgroundImage(Square(Blue));
    t->GetCell(1, 1)->SetBackgroundStyle(vlbsTiled);
    t->GetCell(0, 1)->SetBackgroundStyle(vlbsCentered);
    // A style without a picture and back: nothing left to keep.
    t->GetCell(1, 0)->SetBackgroundStyle(vlbsStretched);
    t->GetCell(1, 0)->SetBackgroundStyle(vlbsColor);
    EXPECT_EQ(t->GetCell(1, 0)->GetBackground(), nullptr);
    doc.AddItem("", t.release());
    TMemoryStream out;
    ASSERT_TRUE(doc.SaveVLFToStream(out, false, clNone, nullptr, bsNoBitmap, nullptr));
    out.SetPosition(0);
    qytest::TTestLayoutData back(&style);
    TColor color = clNone;
    ASSERT_TRUE(back.LoadVLFFromStream(out, color, nullptr, nullptr, nullptr));
    auto* r = dynamic_cast<TVLTableItemInfo*>(back.GetItem(0));
    ASSERT_TRUE(r);
    EXPECT_FALSE(back.GetVLFWarnings().Contains(vlfwTableGridRepaired));
    struct Cell {
      Integer row, col;
      bool picture;
      TVLItemBackgroundStyle placement;
    } cells[] = {{0, 0, false, vlbsColor}, {0, 1, false, vlbsCentered}, {1, 0, false, vlbsColor}, {1, 1, true, vlbsTiled}};
    for (const Cell& c : cells) {
      TVLTableCellData* cell = r->GetCell(c.row, c.col);
      EXPECT_EQ(cell->GetBackgroundImage() != nullptr, c.picture) << c.row << "," << c.col;
      EXPECT_EQ(cell->GetBackgroundStyle(), c.placement) << c.row << "," << c.col;
    }
    ASSERT_TRUE(r->GetCell(1, 1)->GetBackgroundImage());
    EXPECT_EQ(r->GetCell(1, 1)->GetBackgroundImage()->GetWidth(), 4);

    r->Color = clNone;
    r->Layout(300, true, nullptr);
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(Qt::white);
    TCanvas canvas(&image);
    r->PaintFullWidth(10, 310, 10, &canvas, {}, &style, TRect(0, 0, 400, 300), &back);
    canvas.ReleaseHandle();
    auto blue = [&](TVLTableCellData* cell) {
      return image.pixel(10 + cell->Left + cell->Width - 2, 10 + cell->Top + cell->Height - 2) == qRgb(0, 0, 255);
    };
    EXPECT_TRUE(blue(r->GetCell(1, 1)));
    EXPECT_FALSE(blue(r->GetCell(0, 1)));
    EXPECT_FALSE(blue(r->GetCell(1, 0)));
  }
}

}  // namespace

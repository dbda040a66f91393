// Cursors by id and the program's own cursor images.
#include "platform/gui/Cursors.h"

#include <QBitmap>
#include <QCursor>
#include <QPixmap>
#include <gtest/gtest.h>

TEST(GraphicsCursor, StandardIdsMapToDesktopShapes) {
  struct {
    TCursor Id;
    Qt::CursorShape Shape;
  } cases[] = {{crDefault, Qt::ArrowCursor},
               {crArrow, Qt::ArrowCursor},
               {crIBeam, Qt::IBeamCursor},
               {crHourGlass, Qt::WaitCursor},
               {crHandPoint, Qt::PointingHandCursor},
               {crDrag, Qt::DragCopyCursor},
               {crNoDrop, Qt::ForbiddenCursor},
               {crSizeAll, Qt::SizeAllCursor},
               {crSizeWE, Qt::SizeHorCursor},
               {crSizeNS, Qt::SizeVerCursor},
               {crNone, Qt::BlankCursor},
               {999, Qt::ArrowCursor}};
  for (const auto& c : cases) EXPECT_EQ(CursorById(c.Id).shape(), c.Shape) << c.Id;
  EXPECT_EQ(LoadSystemCursor(IDC_HAND)->shape(), Qt::PointingHandCursor);
}

TEST(GraphicsCursor, OwnImagesAndRegisteredIds) {
  struct {
    const char* Name;
    QPoint HotSpot;
  } cases[] = {{"VL_JUMP_CURSOR", QPoint(6, 0)},
               {"VL_FLIPARROW_CURSOR", QPoint(11, 0)},
               {"VL_ZOOMIN_CURSOR", QPoint(7, 7)},
               {"VL_ZOOMOUT_CURSOR", QPoint(7, 7)}};
  for (const auto& c : cases) {
    bool found = false;
    const QCursor cursor = *LoadCursorResource(c.Name, &found);
    EXPECT_TRUE(found) << c.Name;
    EXPECT_EQ(cursor.shape(), Qt::BitmapCursor) << c.Name;
    const QPixmap pixmap = cursor.pixmap();
    ASSERT_FALSE(pixmap.isNull()) << c.Name;
    EXPECT_EQ(cursor.hotSpot(), c.HotSpot) << c.Name;
    // The hot spot is on the drawn outline; the corner is see-through.
    const QImage image = pixmap.toImage();
    EXPECT_EQ(qAlpha(image.pixel(c.HotSpot)), 255) << c.Name;
    EXPECT_EQ(qAlpha(image.pixel(image.width() - 1, image.height() - 1)), 0) << c.Name;
  }
  bool found = true;
  EXPECT_EQ(LoadCursorResource("NO_SUCH_CURSOR", &found)->shape(), Qt::ArrowCursor);
  EXPECT_FALSE(found);

  // Registrations last for the process: a fresh id each run keeps repeats honest.
  static int ownId = 4100;
  const int id = ++ownId;
  EXPECT_FALSE(IsCursorRegistered(id));
  SetCursorById(id, LoadCursorResource("VL_JUMP_CURSOR"));
  EXPECT_TRUE(IsCursorRegistered(id));
  EXPECT_EQ(CursorById(id).shape(), Qt::BitmapCursor);
  SetCursorById(crHandPoint, std::make_shared<const QCursor>(Qt::CrossCursor));
  EXPECT_EQ(CursorById(crHandPoint).shape(), Qt::CrossCursor);
  SetCursorById(crHandPoint, std::make_shared<const QCursor>(Qt::PointingHandCursor));
}

#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

#include <QWidget>
#include <gtest/gtest.h>

namespace {

TEST(OwnerDrawComboTest, TheClosedFaceIsPaintedByTheHandler) {
  Application->Initialize();
  TForm form(nullptr);
  TComboBox combo(nullptr);
  combo.SetParent(&form);
  combo.SetBounds(0, 0, 120, 24);
  combo.SetStyle(csOwnerDrawFixed);
  for (const char* s : {"1", "2", "3"}) combo.Items().Add(s);
  std::vector<std::pair<int, bool>> drawn;  // index, as the face
  combo.OnDrawItem = [&](TWinControl*, int index, const TRect& r, TOwnerDrawState state) {
    drawn.emplace_back(index, state.Contains(odComboBoxEdit));
    combo.Canvas()->Brush.Color = clRed;
    combo.Canvas()->FillRect(r);
  };
  WidgetOf(&combo)->grab();
  EXPECT_TRUE(drawn.empty());  // nothing selected: the style draws the face
  combo.SetItemIndex(2);
  QImage face = WidgetOf(&combo)->grab().toImage();
  ASSERT_EQ(drawn.size(), 1u);
  EXPECT_EQ(drawn[0], std::make_pair(2, true));
  // The handler's red fills the field, not the button.
  EXPECT_EQ(face.pixelColor(20, 12).rgb() & 0xFFFFFF, 0xFF0000u);
  EXPECT_NE(face.pixelColor(112, 12).rgb() & 0xFFFFFF, 0xFF0000u);
}

// A drop-down list without a handler shows its selected line in the face;
// a face with nothing selected stays blank.
TEST(OwnerDrawComboTest, APlainListShowsItsSelectedLine) {
  Application->Initialize();
  TForm form(nullptr);
  TComboBox combo(nullptr);
  combo.SetParent(&form);
  combo.SetBounds(0, 0, 160, 24);
  combo.SetStyle(csDropDownList);
  for (const char* s : {"Garden Diary", "Travel"}) combo.Items().Add(s);
  auto darkPixels = [&] {
    const QImage face = WidgetOf(&combo)->grab().toImage();
    int dark = 0;
    for (int y = 0; y < face.height(); ++y)
      for (int x = 4; x < 120; ++x)
        if (qGray(face.pixel(x, y)) < 100) ++dark;
    return dark;
  };
  const int blank = darkPixels();
  combo.SetItemIndex(0);
  ASSERT_EQ(combo.GetItemIndex(), 0);
  EXPECT_GT(darkPixels(), blank + 20);
}

}  // namespace

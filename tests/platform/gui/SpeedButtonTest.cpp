#include "platform/gui/Bevel.h"
#include "platform/gui/Buttons.h"
#include "platform/gui/Forms.h"

#include <gtest/gtest.h>

namespace {

TEST(SpeedButtonTest, GroupsKeepAtMostOneDownAndAllowAllUpReleases) {
  Application->Initialize();
  TForm form(nullptr);
  TSpeedButton a(nullptr), b(nullptr), c(nullptr), loose(nullptr);
  for (TSpeedButton* s : {&a, &b, &c, &loose}) s->SetParent(&form);
  for (TSpeedButton* s : {&a, &b, &c}) s->SetGroupIndex(1);
  int clicks = 0;
  b.OnClick = [&](TObject*) { ++clicks; };
  struct Step {
    TSpeedButton* click;
    const char* down;  // a, b, c
  };
  const Step steps[] = {{&a, "100"}, {&b, "010"}, {&b, "010"}, {&c, "001"}, {&loose, "001"}};
  for (const Step& s : steps) {
    s.click->Click();
    std::string down = {a.GetDown() ? '1' : '0', b.GetDown() ? '1' : '0', c.GetDown() ? '1' : '0'};
    EXPECT_EQ(down, s.down);
  }
  EXPECT_EQ(clicks, 2);
  EXPECT_FALSE(loose.GetDown());
  loose.SetDown(true);  // outside a group a button cannot stay down
  EXPECT_FALSE(loose.GetDown());
  a.SetAllowAllUp(true);
  EXPECT_TRUE(c.GetAllowAllUp());  // the group shares the setting
  c.Click();
  EXPECT_FALSE(c.GetDown());
  b.SetDown(true);
  a.SetDown(true);
  EXPECT_FALSE(b.GetDown());
  EXPECT_FALSE(a.CanFocus());
  // Flat is kept as a value of its own.
  a.SetFlat(true);
  EXPECT_TRUE(a.GetFlat());
}

TEST(BevelTest, ShapesDrawTheirLinesInTheStyleColours) {
  Application->Initialize();
  TForm form(nullptr);
  form.SetBounds(0, 0, 200, 200);
  TBevel bevel(nullptr);
  bevel.SetParent(&form);
  bevel.SetBounds(0, 0, 40, 20);
  struct Case {
    TBevelShape shape;
    TBevelStyle style;
    int x, y;
    TColor color;
  };
  const Case cases[] = {
      {bsTopLine, bsLowered, 10, 0, clBtnShadow},   {bsTopLine, bsLowered, 10, 1, clBtnHighlight},
      {bsTopLine, bsRaised, 10, 0, clBtnHighlight}, {bsBox, bsLowered, 0, 10, clBtnShadow},
      {bsBox, bsLowered, 39, 10, clBtnHighlight},   {bsRightLine, bsLowered, 38, 5, clBtnShadow},
  };
  for (const Case& c : cases) {
    bevel.SetShape(c.shape);
    bevel.SetStyle(c.style);
    TBitmap bmp(40, 20);
    bmp.Canvas()->Brush.Color = clWhite;
    bmp.Canvas()->FillRect(Rect(0, 0, 40, 20));
    bevel.PaintTo(bmp.Canvas());
    EXPECT_EQ(bmp.Canvas()->GetPixel(c.x, c.y) & 0xFFFFFF, ColorToRGB(c.color) & 0xFFFFFF)
        << c.shape << " " << c.style << " " << c.x << "," << c.y;
  }
}

}  // namespace

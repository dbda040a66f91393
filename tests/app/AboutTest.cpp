// The about box reads the version block into its fields and labels; the
// splash takes its size from the screen and paints its gradient.
#include "app/QYAbout.h"
#include "app/QYSplash.h"

#include "platform/gui/Forms.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(About, VersionValuesFillTheFieldsAndLabels) {
  struct Case {
    TVersionBlock block;
    String product, version, productLabel, company;
  };
  const Case cases[] = {
      {ProgramVersionBlock(), "Quillory", QY_TEST_VERSION, "Quillory " QY_TEST_VERSION, "Brixane"},
      // A program without a version block: empty values, the label keeps its blank.
      {{}, "", "", " ", ""},
      {{{"ProductName", "Quillory"}, {"ProductVersion", "9.9"}}, "Quillory", "9.9", "Quillory 9.9", ""},
  };
  for (const Case& c : cases) {
    TdlgAboutBox box(nullptr, c.block);
    box.DoCreate();
    EXPECT_EQ(box.GetCaption(), "About Brixane Quillory");
    EXPECT_EQ(box.ProductName, c.product);
    EXPECT_EQ(box.ProductVersion, c.version);
    EXPECT_EQ(box.CompanyName, c.company);
    EXPECT_EQ(box.lProductName->GetCaption(), c.productLabel);
    EXPECT_EQ(box.lCompanyName->GetCaption(), c.company);
    EXPECT_FALSE(box.lWebSite->GetCaption().empty());
    EXPECT_EQ(box.OKButton->GetCaption(), "OK");
    EXPECT_TRUE(box.OKButton->Default);
    // Labels are centred over the panel.
    const int mid = box.Panel->GetWidth() / 2;
    EXPECT_NEAR(box.lWebSite->GetLeft() + box.lWebSite->GetWidth() / 2, mid, 1);
  }
}

TEST(About, TheStartUpBoxKeepsTheVersionForTheCover) {
  {
    TdlgAboutBox box(nullptr, {{"ProductVersion", "7.1.2"}});
    box.DoCreate();
    EXPECT_EQ(dlgAboutBox, &box);
    EXPECT_EQ(ProgramProductVersion(), "7.1.2");
  }
  EXPECT_EQ(dlgAboutBox, nullptr);
  EXPECT_EQ(ProgramProductVersion(), QY_TEST_VERSION);
}

TEST(Splash, SizedFromTheScreenAndPaintedAsAnEllipse) {
  TSplash splash(nullptr);
  EXPECT_EQ(splash.GetCaption(), "Splash");
  EXPECT_EQ(splash.GetBorderStyle(), bsNone);
  EXPECT_EQ(splash.GetFormStyle(), fsStayOnTop);
  const TSplashGeometry g = SplashGeometry(Screen->Width(), Screen->Height());
  EXPECT_EQ(splash.GetWidth(), g.Width);
  EXPECT_EQ(splash.GetHeight(), g.Height);

  TBitmap image(g.Width, g.Height);
  PaintSplashOn(*image.Canvas(), g);
  TCanvas& c = *image.Canvas();
  // The outermost ring is white; the cream line runs through the middle;
  // the corners, outside the ellipse, keep the window colour.
  int x = g.Width - 1;
  while (x > 0 && c.GetPixel(x, g.Height / 2 - 10) == SplashBackColor) --x;
  EXPECT_EQ(c.GetPixel(x, g.Height / 2 - 10), clWhite);
  EXPECT_EQ(c.GetPixel(g.Width / 2 - g.Width / 4, g.Height / 2), SplashLineColor);
  EXPECT_EQ(c.GetPixel(1, 1), SplashBackColor);
  // Both names are written: blue above the line, black below it.
  int blue = 0, black = 0;
  for (int y = 0; y < g.Height; ++y)
    for (int x = g.Width / 4; x < g.Width * 3 / 4; ++x) {
      const TColor p = c.GetPixel(x, y);
      if (p == clBlue) blue += y < g.Height / 2 ? 1 : -1000;
      if (p == clBlack) black += y >= g.Height / 2 ? 1 : -1000;
    }
  EXPECT_GT(blue, 0);
  EXPECT_GT(black, 0);
}

}  // namespace

// The about box reads the version block into its fields and labels; the
// activity window keeps a log and toggles beside the main window; the splash
// takes its size from the screen and paints its gradient.
#include "app/QYAbout.h"
#include "app/QYActivity.h"
#include "app/QYSplash.h"

#include "platform/gui/Forms.h"
#include "platform/gui/Printers.h"
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

TEST(ActivityWindow, LogClearsAndTogglesBesideTheMainWindow) {
  TForm main(nullptr);
  main.SetBounds(40, 60, 500, 400);
  TActivityDisplayWindow log(nullptr);
  EXPECT_EQ(log.GetCaption(), "ActivityDisplayWindow");
  EXPECT_FALSE(log.GetVisible());

  log.AddLine("Searching Journal: Daily");
  log.AddLine("Found on Monday, March 1, 2004");
  EXPECT_EQ(log.LineCount(), 2);
  log.BitBtn1Click(nullptr);
  EXPECT_EQ(log.LineCount(), 0);
  log.AddLine("first after clearing");
  ASSERT_EQ(log.LineCount(), 1);
  EXPECT_EQ(log.Line(0), "first after clearing");

  // Positions are compared within the window frame's few pixels, which the
  // toolkit adds when it places a top-level window.
  constexpr int Frame = 4;
  log.ToggleBeside(&main);
  EXPECT_TRUE(log.GetVisible());
  EXPECT_NEAR(log.GetTop(), main.GetTop(), Frame);
  EXPECT_NEAR(log.GetLeft(), main.GetLeft() + main.GetWidth(), Frame);
  log.ToggleBeside(&main);
  EXPECT_FALSE(log.GetVisible());
  EXPECT_NEAR(log.GetLeft(), main.GetLeft() + main.GetWidth(), Frame);
}

TEST(ActivityWindow, PrintsTheLogOrReportsWhyNot) {
  qytest::TempDir dir;
  TActivityDisplayWindow log(nullptr);
  for (int i = 1; i <= 80; ++i) log.AddLine("event number " + std::to_string(i));
  TPrinter* printer = Printer();
  const String pdf = (dir / "log.pdf").string();
  printer->OutputFileName = pdf;
  {
    TInteractionScript script;
    log.BitBtn2Click(nullptr);
    EXPECT_TRUE(script.Shown.empty());
  }
  printer->OutputFileName.clear();
  ASSERT_TRUE(FileExists(pdf));
  EXPECT_EQ(printer->Title, "Quillory Log");
  // 80 lines of 10 pt do not fit on one page inside the margins.
  const String text = qytest::ReadFileBytes(pdf);
  EXPECT_NE(text.find("/Count 2"), String::npos);

  if (!printer->HasPrinters()) {
    TInteractionScript script;
    script.Answer(IDOK);
    log.BitBtn2Click(nullptr);
    ASSERT_EQ(script.Shown.size(), 1u);
    EXPECT_EQ(script.Shown[0].Caption, "Error Display");
    EXPECT_EQ(script.Shown[0].Text.rfind("Print Log\r\r", 0), 0u);
  }
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

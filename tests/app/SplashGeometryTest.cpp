// The splash window's ellipse and gradient rings.
#include "app/QYSplash.h"

#include <gtest/gtest.h>

namespace {

TEST(SplashGeometry, SizeFollowsTheSmallerScreenSide) {
  struct Case {
    int sw, sh;
    int unit, width, height;
  };
  const Case cases[] = {{1280, 1024, 68, 306, 136}, {1024, 1280, 68, 306, 136}, {800, 600, 40, 180, 80}};
  for (const Case& c : cases) {
    const TSplashGeometry g = SplashGeometry(c.sw, c.sh);
    EXPECT_EQ(g.Unit, c.unit);
    EXPECT_EQ(g.Width, c.width);
    EXPECT_EQ(g.Height, c.height);
    EXPECT_EQ(g.Centre, (TSplashPoint{c.width / 2, c.height / 2}));
  }
}

TEST(SplashGeometry, RegionIsTheEllipseTwoPointsPerDegree) {
  const TSplashGeometry g = SplashGeometry(1280, 1024);
  const auto pts = SplashRegionPoints(g);
  ASSERT_EQ(pts.size(), 720u);
  EXPECT_EQ(pts[0], (TSplashPoint{306, 68}));    // 0°: right end
  EXPECT_EQ(pts[1], pts[0]);                     // k div 2: each angle twice
  EXPECT_EQ(pts[180], (TSplashPoint{153, 136}));  // 90°: bottom
  EXPECT_EQ(pts[360], (TSplashPoint{0, 68}));     // 180°: left end
  EXPECT_EQ(pts[540], (TSplashPoint{153, 0}));    // 270°: top
  for (const auto& p : pts) {
    EXPECT_GE(p.X, 0);
    EXPECT_LE(p.X, g.Width);
    EXPECT_GE(p.Y, 0);
    EXPECT_LE(p.Y, g.Height);
  }
}

TEST(SplashGeometry, RingsShrinkAndFadeFromWhiteTowardYellow) {
  const TSplashGeometry g = SplashGeometry(1280, 1024);
  EXPECT_EQ(SplashRingCount(g), 155);
  const auto outer = SplashRingPoints(g, 0);
  ASSERT_EQ(outer.size(), 361u);
  EXPECT_EQ(outer.front(), outer.back());  // a closed curve
  EXPECT_EQ(outer[0], (TSplashPoint{306, 68}));
  const auto inner = SplashRingPoints(g, 10);
  EXPECT_EQ(inner[0].X, 296);
  EXPECT_EQ(inner[90].Y, 68 + 64);  // ry − 10 / 2.25 = 63.56

  EXPECT_EQ(SplashRingColor(g, 0), 0xFFFFFF);
  EXPECT_EQ(SplashRingColor(g, 1), SplashBackColor);
  // After 2.25 u rings the colour has reached yellow.
  EXPECT_EQ(SplashRingColor(g, 154), 0x00FFFF);
}

}  // namespace

TEST(SplashGeometry, TheWindowIsShapedToTheOutline) {
  TSplash splash(nullptr);
  const auto outline = SplashRegionPoints(splash.Geometry);
  const auto region = splash.WindowRegion();
  ASSERT_EQ(region.size(), outline.size());
  for (size_t i = 0; i < outline.size(); ++i) {
    EXPECT_EQ(region[i].X, outline[i].X);
    EXPECT_EQ(region[i].Y, outline[i].Y);
  }
}

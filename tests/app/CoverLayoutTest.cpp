// Geometry of the cover screen: labels on the 30-row grid, frames, tiles,
// the rule and the buttons.
#include "app/QYCover.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

TEST(CoverLayout, LabelOriginAndFrame) {
  struct Case {
    const char* what;
    int w, h, row, textW, textH, size;
    TCoverPoint origin;
    TCoverRect frame;
  };
  const Case cases[] = {
      // 600 / 30 = 20 per row; row 6 centre at 120.
      {"title", 800, 600, 6, 300, 40, 40, {250, 100}, {237, 94, 563, 146}},
      // Too wide for the window: pinned to the left edge, frame not moved left.
      {"long caption", 400, 600, 10, 900, 14, 12, {0, 193}, {0, 191, 904, 209}},
      // One pixel to spare stays; the frame cannot step left of it.
      {"x of 1", 402, 600, 10, 400, 14, 12, {1, 193}, {1, 191, 405, 209}},
      // Row 0 would put the text above the top: pinned to 0.
      {"row 0", 800, 600, 0, 100, 20, 8, {350, 0}, {348, 0, 452, 21}},
      // Near the edge the frame's subtraction is skipped, not clipped.
      {"near edge", 110, 600, 1, 100, 30, 40, {5, 5}, {5, 5, 118, 41}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const TCoverPoint p = CoverLabelOrigin(c.w, c.h, CoverRows, c.row, c.textW, c.textH);
    EXPECT_EQ(p, c.origin);
    EXPECT_EQ(CoverLabelFrame(p, c.textW, c.textH, c.size), c.frame);
  }
}

TEST(CoverLayout, AddressBlockFrameNeverLeavesTheArea) {
  // Rows of 20 px; row 12 centre at 240; widest line 200, line height 15.
  TCoverPoint p = CoverAddressOrigin(800, 600, CoverRows, 12, 200, 15);
  EXPECT_EQ(p, (TCoverPoint{300, 233}));
  EXPECT_EQ(CoverAddressFrame(p, 200, 45, 8), (TCoverRect{298, 232, 502, 279}));
  // A block wider than the area starts at 0 and its frame is clipped at 0.
  p = CoverAddressOrigin(100, 600, CoverRows, 12, 300, 15);
  EXPECT_EQ(p.X, 0);
  EXPECT_EQ(CoverAddressFrame(p, 300, 15, 8).Left, 0);
}

TEST(CoverLayout, TilesPutOneTileExactlyInTheCentre) {
  struct Case {
    int areaW, areaH, bmpW, bmpH;
    TCoverPoint start;
    size_t count;
  };
  const Case cases[] = {
      {100, 100, 30, 30, {-25, -25}, 25},  // centre tile at (35, 35)
      {640, 480, 640, 480, {0, 0}, 1},     // picture of the area's size
      {100, 80, 300, 200, {-100, -60}, 1}, // picture larger than the area
      {90, 90, 30, 30, {0, 0}, 9},         // the centred tile reaches the corner
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.areaW << "x" << c.areaH << " / " << c.bmpW << "x" << c.bmpH);
    EXPECT_EQ(CoverTileStart(c.areaW, c.areaH, c.bmpW, c.bmpH), c.start);
    const auto tiles = CoverTiles(c.areaW, c.areaH, c.bmpW, c.bmpH);
    EXPECT_EQ(tiles.size(), c.count);
    const TCoverPoint centre = CoverCentredOrigin(c.areaW, c.areaH, c.bmpW, c.bmpH);
    EXPECT_NE(std::find(tiles.begin(), tiles.end(), centre), tiles.end());
  }
  // A picture without size draws nothing rather than looping.
  EXPECT_TRUE(CoverTiles(100, 100, 0, 30).empty());
}

TEST(CoverLayout, ButtonsStackBelowTheMiddleAndTheRuleSpansTheWindow) {
  const TCoverButtonPlaces b = CoverButtonPlaces(800, 600, 100, 25);
  EXPECT_EQ(b.Open, (TCoverRect{350, 382, 450, 407}));
  EXPECT_EQ(b.Lock, (TCoverRect{350, 407, 450, 432}));
  EXPECT_EQ(b.Exit, (TCoverRect{350, 432, 450, 457}));

  const TCoverRule r = CoverRuleLine(800, 600, 800);
  EXPECT_EQ(r.From, (TCoverPoint{66, 180}));
  EXPECT_EQ(r.To, (TCoverPoint{734, 180}));
}

TEST(CoverLayout, AddressLinesKeepTheirTextAndOrder) {
  const std::pair<const char*, std::vector<String>> cases[] = {
      {"12 Main Street\r\nSpringfield", {"12 Main Street", "Springfield"}},
      {"a\nb\rc", {"a", "b", "c"}},
      {"one line", {"one line"}},
      {"", {}},
      {"x\r\n\r\ny", {"x", "", "y"}},
  };
  for (const auto& [text, lines] : cases) EXPECT_EQ(CoverAddressLines(text), lines) << text;
}

}  // namespace

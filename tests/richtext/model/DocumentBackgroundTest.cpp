// Document backgrounds: what they store, and where their picture lands on
// screen and on paper in each style.
#include "richtext/model/VLBack.h"

#include <gtest/gtest.h>

namespace {

// A 10 x 10 picture: red top-left quarter, lime top-right, blue bottom-left,
// yellow bottom-right.
std::unique_ptr<TBitmap> Quarters() {
  auto b = std::make_unique<TBitmap>(10, 10);
  const TColor colours[2][2] = {{clRed, clLime}, {clBlue, clYellow}};
  for (Integer r = 0; r < 2; ++r)
    for (Integer c = 0; c < 2; ++c) {
      b->Canvas()->Brush.Color = colours[r][c];
      b->Canvas()->FillRect(Bounds(c * 5, r * 5, 5, 5));
    }
  return b;
}

TColor At(TBitmap& b, Integer x, Integer y) { return b.Canvas()->GetPixel(x, y); }

}  // namespace

TEST(DocumentBackground, EmptyAndFullRedrawByStyleAndPicture) {
  struct TCase {
    TBackgroundStyle Style;
    int Picture;  // 0 none, 1 empty, 2 a picture
    bool Empty, FullRedraw;
  } cases[] = {
      {bsNoBitmap, 0, true, false},        {bsNoBitmap, 1, true, false},        {bsNoBitmap, 2, false, false},
      {bsStretched, 0, false, false},      {bsStretched, 2, false, true},       {bsTiled, 1, false, false},
      {bsTiled, 2, false, true},           {bsTiledAndScrolled, 2, false, false}, {bsCentered, 2, false, true},
      {bsCentered, 0, false, false},
  };
  for (const TCase& c : cases) {
    TVLBackground back(c.Picture == 1);
    if (c.Picture == 2) back.AssignImage(Quarters(), nullptr);
    back.Style = c.Style;
    EXPECT_EQ(back.Empty(), c.Empty) << c.Style << "/" << c.Picture;
    EXPECT_EQ(back.ScrollRequiresFullRedraw(), c.FullRedraw) << c.Style << "/" << c.Picture;
  }
}

TEST(DocumentBackground, ItemStylesMapBothTiledStylesToOne) {
  const std::pair<TBackgroundStyle, TVLItemBackgroundStyle> map[] = {
      {bsNoBitmap, vlbsColor}, {bsStretched, vlbsStretched}, {bsTiled, vlbsTiled},
      {bsTiledAndScrolled, vlbsTiled}, {bsCentered, vlbsCentered}};
  for (auto [style, item] : map) {
    TVLBackground back(false);
    back.Style = style;
    EXPECT_EQ(back.GetItemBackStyle(), item);
  }
  TVLBackground back(false);
  back.SetItemBackStyle(vlbsTiled);
  EXPECT_EQ(back.Style, bsTiled);
}

TEST(DocumentBackground, PaintsEachStyleWhereItBelongs) {
  struct TProbe {
    Integer X, Y;
    TColor Color;
  };
  struct TCase {
    TBackgroundStyle Style;
    bool Picture;
    Integer HOffset, VOffset;
    std::vector<TProbe> Probes;
  } cases[] = {
      {bsTiled, true, 0, 0, {{2, 2, clRed}, {17, 2, clLime}, {12, 17, clBlue}, {98, 98, clYellow}}},
      {bsTiled, true, 7, 3, {{2, 2, clRed}, {17, 2, clLime}}},
      {bsTiledAndScrolled, true, 5, 0, {{2, 2, clLime}, {7, 2, clRed}}},
      {bsTiledAndScrolled, true, 0, 5, {{2, 2, clBlue}}},
      {bsCentered, true, 0, 0, {{46, 46, clRed}, {53, 53, clYellow}, {10, 10, clGray}, {90, 50, clGray}}},
      {bsStretched, true, 0, 0, {{10, 10, clRed}, {90, 10, clLime}, {10, 90, clBlue}, {90, 90, clYellow}}},
      {bsTiled, false, 0, 0, {{2, 2, clGray}, {50, 50, clGray}}},
  };
  for (const TCase& c : cases) {
    TVLBackground back(false);
    if (c.Picture) back.AssignImage(Quarters(), nullptr);
    back.Style = c.Style;
    TBitmap out(100, 100);
    back.Draw(out.Canvas(), TRect(0, 0, 100, 100), c.HOffset, c.VOffset, 0, 0, 100, 100, clGray, true);
    for (const TProbe& p : c.Probes) EXPECT_EQ(At(out, p.X, p.Y), p.Color) << c.Style << " at " << p.X << "," << p.Y;
  }
}

TEST(DocumentBackground, RepaintingAPartPaintsWhatTheWholeWould) {
  TVLBackground back(false);
  back.AssignImage(Quarters(), nullptr);
  back.Style = bsCentered;
  // Only the clip rectangle changes; a larger picture sits at a negative
  // offset and is cut at the area.
  TBitmap out(100, 100);
  out.Canvas()->Brush.Color = clWhite;
  out.Canvas()->FillRect(TRect(0, 0, 100, 100));
  back.Draw(out.Canvas(), TRect(40, 40, 60, 60), 0, 0, 0, 0, 100, 100, clGray, true);
  EXPECT_EQ(At(out, 46, 46), clRed);
  EXPECT_EQ(At(out, 41, 41), clGray);
  EXPECT_EQ(At(out, 30, 30), clWhite);

  TBitmap buffer(20, 20);
  back.Draw(buffer.Canvas(), TRect(40, 40, 60, 60), 0, 0, 0, 0, 100, 100, clGray, false);
  EXPECT_EQ(At(buffer, 6, 6), clRed);
  EXPECT_EQ(At(buffer, 13, 13), clYellow);

  TVLBackground big(false);
  auto large = std::make_unique<TBitmap>(300, 300);
  large->Canvas()->Brush.Color = clLime;
  large->Canvas()->FillRect(TRect(0, 0, 300, 300));
  big.AssignImage(std::move(large), nullptr);
  big.Style = bsCentered;
  TBitmap small(100, 100);
  big.Draw(small.Canvas(), TRect(0, 0, 100, 100), 0, 0, 0, 0, 100, 100, clGray, true);
  EXPECT_EQ(At(small, 0, 0), clLime);
  EXPECT_EQ(At(small, 99, 99), clLime);
}

TEST(DocumentBackground, PrintedTilesKeepTheirSizeInInches) {
  TVLBackground back(false);
  back.AssignImage(Quarters(), nullptr);
  back.Style = bsTiledAndScrolled;
  TVLScreenAndDevice sad;
  sad.ppixDevice = sad.ppiyDevice = 192;
  TBitmap page(100, 100);
  back.Print(page.Canvas(), TRect(0, 0, 100, 100), TRect(0, 0, 100, 100), sad, clGray);
  EXPECT_EQ(At(page, 4, 4), clRed);
  EXPECT_EQ(At(page, 14, 4), clLime);
  EXPECT_EQ(At(page, 24, 4), clRed);
  EXPECT_EQ(At(page, 14, 14), clYellow);

  back.Style = bsCentered;
  TBitmap centred(100, 100);
  back.Print(centred.Canvas(), TRect(0, 0, 100, 100), TRect(0, 0, 100, 100), sad, clGray);
  EXPECT_EQ(At(centred, 45, 45), clRed);
  EXPECT_EQ(At(centred, 55, 55), clYellow);
  EXPECT_EQ(At(centred, 5, 5), clGray);
}

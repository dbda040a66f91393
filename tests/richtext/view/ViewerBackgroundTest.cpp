// The viewer paints its document background under the text in every
// background style, follows scrolling where the style says so, and takes
// the background with a document it loads.
#include "ViewerFixture.h"

#include "platform/base/Streams.h"
#include "platform/gui/GfxColors.h"

using namespace qytest;

namespace {

constexpr Integer Tile = 20;
constexpr TColor Quadrants[2][2] = {{0x0000FF, 0x00FF00}, {0xFF0000, 0x00FFFF}};  // [row][col]

// A 20 x 20 tile of four coloured quadrants, so that a probe tells which
// part of which tile lies under it.
std::unique_ptr<TBitmap> QuadrantTile() {
  auto tile = std::make_unique<TBitmap>(Tile, Tile);
  TCanvas* c = tile->Canvas();
  c->Brush.Style = bsSolid;
  for (int r = 0; r < 2; ++r)
    for (int col = 0; col < 2; ++col) {
      c->Brush.Color = Quadrants[r][col];
      c->FillRect(Bounds(col * Tile / 2, r * Tile / 2, Tile / 2, Tile / 2));
    }
  return tile;
}

TColor TileColorAt(Integer x, Integer y) {
  const Integer tx = ((x % Tile) + Tile) % Tile, ty = ((y % Tile) + Tile) % Tile;
  return Quadrants[ty * 2 / Tile][tx * 2 / Tile];
}

// A long document of short paragraphs: the right part of the view shows
// only background.
struct TBackViewer : TViewer {
  TBackViewer() {
    Style.Color = clWhite;
    for (int i = 0; i < 200; ++i) Add("a");
    Format();
    View->SetBackgroundBitmap(QuadrantTile().get());
  }
  TColor Probe(Integer x, Integer y) {
    TBitmap image(View->ClientWidth(), View->ClientHeight());
    View->PaintTo(image.Canvas());
    return ColorToRGB(image.Canvas()->GetPixel(x, y));
  }
};

// Probes inside quadrants only (never on a quadrant's edge).
const TPoint Probes[] = {{300, 3}, {305, 17}, {342, 144}, {375, 208}, {355, 251}};

}  // namespace

TEST(ViewerBackground, TilesFollowTheScrollPositionOnlyWhenTheStyleSaysSo) {
  struct TCase {
    TBackgroundStyle Style;
    Integer VUnits;
    bool Scrolls;
  } cases[] = {
      {bsTiled, 0, false},
      {bsTiled, 7, false},
      {bsTiledAndScrolled, 0, true},
      {bsTiledAndScrolled, 7, true},
      {bsTiledAndScrolled, 33, true},
  };
  for (const TCase& c : cases) {
    TBackViewer v;
    v.View->SetBackgroundStyle(c.Style);
    v.View->VScrollTo(c.VUnits, false);
    const Integer vOff = v.Data().GetVOffset();
    ASSERT_EQ(vOff, c.VUnits * v.View->GetVSmallStep());
    for (const TPoint& p : Probes) {
      const Integer y = c.Scrolls ? p.Y + vOff : p.Y;
      // The probe's quadrant position must sit clear of the quadrant edges.
      const Integer ty = ((y % Tile) + Tile) % Tile;
      if (ty == Tile / 2 - 1 || ty == Tile / 2 || ty == 0 || ty == Tile - 1) continue;
      EXPECT_EQ(v.Probe(p.X, p.Y), TileColorAt(p.X, y))
          << "style " << c.Style << " scrolled " << c.VUnits << " at " << p.X << "," << p.Y;
    }
  }
}

TEST(ViewerBackground, CentredAndStretchedPictures) {
  {
    TBackViewer v;
    v.View->SetBackgroundStyle(bsCentered);
    v.View->VScrollTo(12, false);
    const Integer left = (v.View->ClientWidth() - Tile) / 2, top = (v.View->ClientHeight() - Tile) / 2;
    // One picture in the middle of the window, whatever the scroll position.
    EXPECT_EQ(v.Probe(left + 3, top + 3), Quadrants[0][0]);
    EXPECT_EQ(v.Probe(left + 16, top + 16), Quadrants[1][1]);
    // Around it, the colour of the document.
    EXPECT_EQ(v.Probe(left + 16, top + 16 + Tile), static_cast<TColor>(0xFFFFFF));
    EXPECT_EQ(v.Probe(left - 20, top + 3), static_cast<TColor>(0xFFFFFF));
  }
  {
    TBackViewer v;
    v.View->SetBackgroundStyle(bsStretched);
    const Integer w = v.View->ClientWidth(), h = v.View->ClientHeight();
    // The picture covers the whole window: its quadrants are the window's.
    EXPECT_EQ(v.Probe(w / 2 + 10, 10), Quadrants[0][1]);
    EXPECT_EQ(v.Probe(w - 10, h - 10), Quadrants[1][1]);
    EXPECT_EQ(v.Probe(w / 2 + 10, h / 2 + 10), Quadrants[1][1]);
    EXPECT_EQ(v.Probe(w / 2 + 10, h / 2 - 10), Quadrants[0][1]);
  }
}

TEST(ViewerBackground, ScrollingRepaintsWholeOnlyForAPictureFixedToTheWindow) {
  struct TCase {
    TBackgroundStyle Style;
    bool Picture;
    bool FullRedraw;
  } cases[] = {
      {bsNoBitmap, true, false},  {bsStretched, true, true}, {bsTiled, true, true},
      {bsTiledAndScrolled, true, false}, {bsCentered, true, true}, {bsTiled, false, false},
  };
  for (const TCase& c : cases) {
    TBackViewer v;
    if (!c.Picture) v.View->SetBackgroundBitmap(nullptr);
    v.View->SetBackgroundStyle(c.Style);
    EXPECT_EQ(v.View->FullRedraw, c.FullRedraw) << c.Style << " " << c.Picture;
  }
  // Changing the picture itself is noticed too.
  TBackViewer v;
  v.View->SetBackgroundStyle(bsTiled);
  v.View->GetBackgroundBitmap()->SetSize(0, 0);
  EXPECT_FALSE(v.View->FullRedraw);
}

TEST(ViewerBackground, ALoadedDocumentBringsItsBackground) {
  TBackViewer source;
  source.View->VLFOptions.Include(vlfoSaveBack);
  source.View->SetBackgroundStyle(bsTiled);
  TMemoryStream stream;
  ASSERT_TRUE(source.View->SaveVLFToStream(stream, false));

  TViewer target;
  target.View->VLFOptions.Include(vlfoLoadBack);
  stream.SetPosition(0);
  ASSERT_TRUE(target.View->LoadVLFFromStream(stream));
  target.Format();
  EXPECT_EQ(target.View->GetBackgroundStyle(), bsTiled);
  EXPECT_EQ(target.View->GetBackgroundBitmap()->GetWidth(), Tile);
  EXPECT_TRUE(target.View->FullRedraw);
  TBitmap image(target.View->ClientWidth(), target.View->ClientHeight());
  target.View->PaintTo(image.Canvas());
  EXPECT_EQ(ColorToRGB(image.Canvas()->GetPixel(303, 13)), TileColorAt(303, 13));
}

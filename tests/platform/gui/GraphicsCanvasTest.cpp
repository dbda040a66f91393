// Pixel-exact drawing of the canvas on an image: half-open rectangles,
// inside-frame pens, styled lines, XOR figures, clipping and mapping.
#include "platform/gui/Graphics.h"

#include <QImage>
#include <algorithm>
#include <gtest/gtest.h>
#include <string>

namespace {

struct Board {
  QImage Image;
  TCanvas Canvas;
  explicit Board(int w = 60, int h = 40, QImage::Format format = QImage::Format_RGB32) : Image(w, h, format), Canvas() {
    Image.fill(Qt::white);
    Canvas.SetDevice(&Image);
  }
  // The pixels of one row as characters (the raster painter writes straight
  // into the image, so they can be read while it is open): '#' pen colour, 'o' brush colour,
  // '.' white, '?' anything else.
  std::string Row(int y, int from, int to, QRgb pen = qRgb(0, 0, 0), QRgb brush = qRgb(255, 0, 0)) {
    std::string s;
    for (int x = from; x < to; ++x) {
      const QRgb c = Image.pixel(x, y) & 0xFFFFFF;
      s += c == (pen & 0xFFFFFF) ? '#' : c == (brush & 0xFFFFFF) ? 'o' : c == 0xFFFFFF ? '.' : '?';
    }
    return s;
  }
  std::string Column(int x, int from, int to) {
    std::string s;
    for (int y = from; y < to; ++y) {
      const QRgb c = Image.pixel(x, y) & 0xFFFFFF;
      s += c == 0 ? '#' : c == 0xFF0000 ? 'o' : c == 0xFFFFFF ? '.' : '?';
    }
    return s;
  }
};

}  // namespace

TEST(GraphicsCanvas, RectanglesAreHalfOpenAndFramesInside) {
  struct Case {
    const char* Name;
    TPenStyle Style;
    int Width;
    std::string Row12;  // x 8..22 on row 12 (inside the rectangle)
    std::string Row10;  // the top edge row
  } cases[] = {
      {"solid 1", psSolid, 1, "..#ooooooooo#..", "..###########.."},
      {"inside frame 3", psInsideFrame, 3, "..###ooooo###..", "..###########.."},
      {"centred 3", psSolid, 3, ".###ooooooo###.", ".#############."},
      {"no pen", psClear, 1, "..oooooooooo...", "..oooooooooo..."},
  };
  for (const auto& c : cases) {
    Board b;
    b.Canvas.Pen.Style = c.Style;
    b.Canvas.Pen.Width = c.Width;
    b.Canvas.Pen.Color = clBlack;
    b.Canvas.Brush.Color = clBlue;  // 0xFF0000 = blue in 0x00BBGGRR
    b.Canvas.Rectangle(10, 10, 21, 20);
    EXPECT_EQ(b.Row(13, 8, 23, qRgb(0, 0, 0), qRgb(0, 0, 255)), c.Row12) << c.Name;
    if (c.Style != psClear) {
      EXPECT_EQ(b.Row(10, 8, 23, qRgb(0, 0, 0), qRgb(0, 0, 255)), c.Row10) << c.Name;
    }
  }
  // Without a frame the fill stops one pixel early at the bottom too.
  Board b;
  b.Canvas.Pen.Style = psClear;
  b.Canvas.Brush.Color = clRed;
  b.Canvas.Rectangle(5, 5, 8, 9);
  EXPECT_EQ(b.Column(5, 3, 11), "..ooo...");
  EXPECT_EQ(b.Row(5, 3, 10), "..oo...");
  b.Canvas.Brush.Color = clRed;
  b.Canvas.FillRect(Rect(20, 5, 23, 9));
  EXPECT_EQ(b.Column(20, 3, 11), "..oooo..");
  EXPECT_EQ(b.Row(6, 18, 25), "..ooo..");
}

TEST(GraphicsCanvas, LinesLeaveOutTheEndPointAndFollowPatterns) {
  struct Case {
    const char* Name;
    TPenStyle Style;
    TPoint From, To;
    std::string Expected;  // row 5 (or column 5), pixels 0..24
  } cases[] = {
      {"solid", psSolid, {0, 5}, {20, 5}, "####################....."},
      {"solid backwards", psSolid, {20, 5}, {0, 5}, ".####################...."},
      {"dotted", psDot, {0, 5}, {20, 5}, "###...###...###...##....."},
      {"dotted backwards", psDot, {20, 5}, {0, 5}, ".##...###...###...###...."},
      {"dotted from far outside", psDot, {-1000, 5}, {20, 5}, "..###...###...###........"},
      {"dashed", psDash, {0, 5}, {24, 5}, "##################......."},
      {"dash dot", psDashDot, {0, 5}, {24, 5}, "#########......###......."},
      {"clear", psClear, {0, 5}, {20, 5}, "........................."},
  };
  for (const auto& c : cases) {
    Board b;
    b.Canvas.Pen.Style = c.Style;
    b.Canvas.MoveTo(c.From.X, c.From.Y);
    b.Canvas.LineTo(c.To.X, c.To.Y);
    EXPECT_EQ(b.Row(5, 0, 25), c.Expected) << c.Name;
    EXPECT_EQ(b.Canvas.PenPos, c.To);
  }
  // Vertical dotted line; diagonal line without its end point.
  Board v;
  v.Canvas.Pen.Style = psDot;
  v.Canvas.MoveTo(5, 0);
  v.Canvas.LineTo(5, 14);
  EXPECT_EQ(v.Column(5, 0, 16), "###...###...##..");
  Board up;
  up.Canvas.Pen.Style = psDashDot;
  up.Canvas.MoveTo(5, 24);
  up.Canvas.LineTo(5, 0);
  EXPECT_EQ(up.Column(5, 0, 25), ".......###......#########");
  Board d;
  d.Canvas.MoveTo(0, 0);
  d.Canvas.LineTo(4, 4);
  d.Canvas.ReleaseHandle();
  for (int i = 0; i < 4; ++i) EXPECT_EQ(d.Image.pixel(i, i) & 0xFFFFFF, 0u) << i;
  EXPECT_EQ(d.Image.pixel(4, 4) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(GraphicsCanvas, XorDrawnTwiceRestoresTheImage) {
  for (QImage::Format format : {QImage::Format_RGB32, QImage::Format_ARGB32_Premultiplied}) {
    Board b(80, 60, format);
    // A background with texture, so that inversion is visible everywhere.
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 80; ++x) b.Image.setPixel(x, y, qRgb(x * 3, y * 4, (x ^ y) & 0xFF));
    const QImage before = b.Image.copy();
    auto figures = [](TCanvas& c) {
      c.MoveTo(3, 3);
      c.LineTo(70, 50);
      c.Pen.Style = psDot;
      c.MoveTo(0, 30);
      c.LineTo(79, 30);
      c.Pen.Style = psSolid;
      c.Pen.Width = 3;
      c.Brush.Style = bsClear;
      c.Rectangle(10, 10, 40, 30);
      c.Pen.Width = 1;
      c.Brush.Style = bsSolid;
      c.Rectangle(50, 5, 75, 25);
      c.DrawFocusRect(Rect(2, 40, 30, 58));
    };
    for (TPenMode mode : {pmXor, pmNot, pmNotXor}) {
      b.Canvas.Pen.Mode = mode;
      b.Canvas.Pen.Color = clYellow;
      b.Canvas.Brush.Color = clAqua;
      figures(b.Canvas);
      b.Canvas.ReleaseHandle();
      EXPECT_FALSE(b.Image == before) << mode;
      figures(b.Canvas);
      b.Canvas.ReleaseHandle();
      EXPECT_TRUE(b.Image == before) << mode;
      // Inverting never makes the picture see-through.
      figures(b.Canvas);
      b.Canvas.ReleaseHandle();
      for (int y = 0; y < 60; ++y)
        for (int x = 0; x < 80; ++x) ASSERT_EQ(qAlpha(b.Image.pixel(x, y)), 255) << x << "," << y;
      figures(b.Canvas);
      b.Canvas.ReleaseHandle();
    }
  }
}

TEST(GraphicsCanvas, ClippingSaveRestoreAndOrigins) {
  Board b;
  b.Canvas.Brush.Color = clRed;
  const int saved = b.Canvas.SaveDC();
  EXPECT_EQ(b.Canvas.IntersectClipRect(10, 10, 20, 20), SIMPLEREGION);
  EXPECT_EQ(b.Canvas.ClipRect(), Rect(10, 10, 20, 20));
  b.Canvas.FillRect(Rect(0, 0, 60, 40));
  EXPECT_EQ(b.Row(15, 8, 22, 0, qRgb(255, 0, 0)), "..oooooooooo..");
  EXPECT_TRUE(b.Canvas.RestoreDC(saved));
  EXPECT_EQ(b.Canvas.ClipRect(), Rect(0, 0, 60, 40));
  b.Canvas.Brush.Color = clBlack;
  b.Canvas.FillRect(Rect(0, 30, 60, 31));
  EXPECT_EQ(b.Row(30, 0, 4), "####");

  // Window origin: logical (100, 100) lands on device (0, 0).
  Board m;
  TPoint old;
  m.Canvas.SetWindowOrgEx(100, 100, &old);
  EXPECT_EQ(old, TPoint(0, 0));
  m.Canvas.Brush.Color = clBlack;
  m.Canvas.FillRect(Rect(100, 100, 103, 101));
  EXPECT_EQ(m.Row(0, 0, 5), "###..");
  EXPECT_EQ(m.Canvas.LPtoDP(TPoint(110, 105)), TPoint(10, 5));
  // An excluded rectangle keeps its pixels.
  m.Canvas.SetWindowOrgEx(0, 0);
  m.Canvas.ExcludeClipRect(2, 10, 4, 12);
  m.Canvas.FillRect(Rect(0, 10, 6, 11));
  EXPECT_EQ(m.Row(10, 0, 7), "##..##.");
  // Anisotropic mapping doubles everything.
  Board z;
  z.Canvas.SetMapMode(MM_ANISOTROPIC);
  z.Canvas.SetWindowExtEx(10, 10);
  z.Canvas.SetViewportExtEx(20, 20);
  z.Canvas.Brush.Color = clBlack;
  z.Canvas.FillRect(Rect(1, 1, 3, 2));
  EXPECT_EQ(z.Row(2, 0, 8), "..####..");
}

// Shrunk to a twelfth (printer pixels at screen size in the print preview),
// every grid line of a table still shows wherever it falls: lines thinner
// than a pixel are widened to one, not dropped between pixel centres.
TEST(GraphicsCanvas, ShrunkLinesAndBandsStayVisible) {
  Board b(60, 60);
  b.Canvas.SetMapMode(MM_ANISOTROPIC);
  b.Canvas.SetWindowExtEx(1200, 1200);
  b.Canvas.SetViewportExtEx(100, 100);
  b.Canvas.Brush.Color = clBlack;
  b.Canvas.Pen.Color = clBlack;
  for (int i = 0; i < 12; ++i) {
    SCOPED_TRACE(i);
    b.Image.fill(Qt::white);
    const Integer x = 60 + i * 37;  // every fraction of a device pixel
    b.Canvas.FillRect(Rect(x, 0, x + 5, 600));    // a band of 0.4 pixels
    b.Canvas.MoveTo(0, x);
    b.Canvas.LineTo(600, x);                       // a one-unit pen line
    b.Canvas.Brush.Style = bsClear;
    b.Canvas.Rectangle(0, 0, 650, x + 200);        // a frame's four sides
    b.Canvas.Brush.Style = bsSolid;
    const std::string across = b.Row(20, 0, 60), down = b.Column(30, 0, 60);
    EXPECT_GE(std::count(across.begin(), across.end(), '#'), 2) << across;  // the band and the frame's left side
    EXPECT_GE(std::count(down.begin(), down.end(), '#'), 3) << down;        // the line and the frame's top and bottom
  }
}

TEST(GraphicsCanvas, TextBackgroundFollowsTheBrush) {
  for (bool clear : {false, true}) {
    Board b(120, 30);
    b.Canvas.Font.SetName("Liberation Sans");
    b.Canvas.Font.SetSize(10);
    b.Canvas.Font.SetColor(clBlack);
    b.Canvas.Brush.Color = clRed;
    b.Canvas.Brush.Style = clear ? bsClear : bsSolid;
    b.Canvas.TextOut(5, 5, "ii");
    const TSize size = b.Canvas.TextExtent("ii");
    b.Canvas.ReleaseHandle();
    // The cell's last pixel column, left of which the text ends.
    const QRgb corner = b.Image.pixel(5 + size.cx - 1, 5) & 0xFFFFFF;
    EXPECT_EQ(corner, clear ? 0xFFFFFFu : 0xFF0000u);
    EXPECT_EQ(b.Image.pixel(5 + size.cx, 5) & 0xFFFFFF, 0xFFFFFFu);
  }
  // An explicit background mode survives until the brush changes.
  TCanvas c;
  c.Brush.Style = bsFDiagonal;
  EXPECT_EQ(c.GetBkMode(), TRANSPARENT);
  c.SetBkMode(OPAQUE);
  EXPECT_EQ(c.GetBkMode(), OPAQUE);
  c.Brush.Style = bsSolid;
  EXPECT_EQ(c.GetBkMode(), OPAQUE);
  c.Brush.Style = bsClear;
  EXPECT_EQ(c.GetBkMode(), TRANSPARENT);
}

// A saved state put back gives the background of the brush then in use: a
// brush changed inside the saved stretch and left so (text's clear brush
// after a solid border) does not bring back the background of the brush
// that was there when the state was saved, and a background set on purpose
// comes back with the brush it was set for.
TEST(GraphicsCanvas, RestoredStatesKeepTheBackgroundOfTheBrushInUse) {
  struct TCase {
    const char* Name;
    TBrushStyle AtSave, Inside;
    int Explicit;  // a mode set before the save, or 0
    int Expected;
  };
  for (const TCase& c : {TCase{"solid, then clear", bsSolid, bsClear, 0, TRANSPARENT},
                         TCase{"clear, then solid", bsClear, bsSolid, 0, OPAQUE},
                         TCase{"clear with an opaque background", bsClear, bsSolid, OPAQUE, OPAQUE},
                         TCase{"solid with a clear background", bsSolid, bsClear, TRANSPARENT, TRANSPARENT}}) {
    SCOPED_TRACE(c.Name);
    Board b(120, 30);
    b.Canvas.Font.SetName("Liberation Sans");
    b.Canvas.Font.SetSize(10);
    b.Canvas.Font.SetColor(clBlack);
    b.Canvas.Brush.Color = clBlack;
    b.Canvas.Brush.Style = c.AtSave;
    if (c.Explicit) b.Canvas.SetBkMode(c.Explicit);
    const int saved = b.Canvas.SaveDC();
    b.Canvas.Brush.Color = clRed;
    b.Canvas.Brush.Style = c.Inside;
    b.Canvas.TextOut(5, 5, "ii");
    if (c.Explicit) {
      // The brush the background was set for, back before the restore.
      b.Canvas.Brush.Color = clBlack;
      b.Canvas.Brush.Style = c.AtSave;
    }
    b.Canvas.RestoreDC(saved);
    EXPECT_EQ(b.Canvas.GetBkMode(), c.Expected);
    // Text after it on a clear brush is its letters only.
    if (c.Inside == bsClear && !c.Explicit) {
      b.Image.fill(Qt::white);
      b.Canvas.TextOut(5, 5, "ii");
      const TSize size = b.Canvas.TextExtent("ii");
      b.Canvas.ReleaseHandle();
      EXPECT_EQ(b.Image.pixel(5 + size.cx - 1, 5) & 0xFFFFFF, 0xFFFFFFu);
    }
  }
}

// What one piece of drawing sets on a canvas ends with its keeper: pen,
// brush, background, text settings, and the font when asked.
TEST(GraphicsCanvas, AKeeperPutsTheToolsBack) {
  for (bool font : {false, true}) {
    SCOPED_TRACE(font ? "with the font" : "without the font");
    TCanvas c;
    c.Pen.Color = clBlue;
    c.Brush.Color = clYellow;
    c.Brush.Style = bsClear;
    c.SetTextAlign(TA_BASELINE);
    c.SetTextCharacterExtra(2);
    c.Font.SetSize(10);
    const int mode = c.GetBkMode();
    {
      const TCanvasToolsKeeper keep(&c, font);
      c.Pen.Color = clRed;
      c.Pen.Width = 3;
      c.Pen.Style = psDot;
      c.Brush.Color = clBlack;
      c.Brush.Style = bsSolid;
      c.SetBkMode(OPAQUE);
      c.SetBkColor(clBlack);
      c.SetTextAlign(TA_RIGHT);
      c.SetTextCharacterExtra(0);
      c.Font.SetSize(20);
    }
    EXPECT_EQ(c.Pen.Color, clBlue);
    EXPECT_EQ(c.Pen.Width, 1);
    EXPECT_EQ(c.Pen.Style, psSolid);
    EXPECT_EQ(c.Brush.Color, clYellow);
    EXPECT_EQ(c.Brush.Style, bsClear);
    EXPECT_EQ(c.GetBkMode(), mode);
    EXPECT_EQ(c.GetTextAlign(), TA_BASELINE);
    EXPECT_EQ(c.GetTextCharacterExtra(), 2);
    EXPECT_EQ(c.Font.GetSize(), font ? 10 : 20);
  }
}

TEST(GraphicsCanvas, HatchedBrushWithOpaqueBackground) {
  Board b(20, 20);
  b.Canvas.Brush.Color = clBlack;
  b.Canvas.Brush.Style = bsHorizontal;
  b.Canvas.SetBkMode(OPAQUE);
  b.Canvas.SetBkColor(clRed);
  b.Canvas.FillRect(Rect(0, 0, 20, 20));
  const std::string column = b.Column(3, 0, 16);
  EXPECT_NE(column.find('#'), std::string::npos);
  EXPECT_NE(column.find('o'), std::string::npos);
  EXPECT_EQ(column.find('.'), std::string::npos);
}

TEST(GraphicsCanvas, CopyRectAndStretchDraw) {
  TBitmap src(4, 2);
  for (int x = 0; x < 4; ++x) {
    src.Canvas()->SetPixel(x, 0, x % 2 ? clBlack : clRed);
    src.Canvas()->SetPixel(x, 1, clBlack);
  }
  Board b(20, 10);
  b.Canvas.CopyRect(Rect(2, 2, 6, 4), src.Canvas(), Rect(0, 0, 4, 2));
  EXPECT_EQ(b.Row(2, 0, 8, qRgb(0, 0, 0), qRgb(255, 0, 0)), "..o#o#..");
  EXPECT_EQ(b.Row(3, 0, 8), "..####..");
  b.Canvas.StretchDraw(Rect(10, 0, 18, 2), &src);
  EXPECT_EQ(b.Row(0, 10, 18, qRgb(0, 0, 0), qRgb(255, 0, 0)), "oo##oo##");
  // Transparent bitmaps leave their transparent colour's pixels alone.
  src.SetTransparent(true);
  src.SetTransparentColor(clRed);
  Board t(10, 4);
  t.Canvas.Draw(1, 1, &src);
  EXPECT_EQ(t.Row(1, 0, 6), "..#.#.");
}

TEST(GraphicsCanvas, ColourNamesAndSystemColours) {
  struct {
    TColor Color;
    const char* Text;
  } names[] = {{clBlack, "clBlack"},           {clRed, "clRed"},        {clWindowText, "clWindowText"},
               {clBtnFace, "clBtnFace"},       {clNone, "clNone"},      {clInfoBk, "clInfoBk"},
               {clMoneyGreen, "clMoneyGreen"}, {0x123456, "$00123456"}, {static_cast<TColor>(0xFF000099), "$FF000099"}};
  for (const auto& n : names) {
    EXPECT_EQ(ColorToString(n.Color), n.Text);
    EXPECT_EQ(StringToColor(n.Text), n.Color) << n.Text;
  }
  EXPECT_EQ(StringToColor("CLRED"), clRed);
  EXPECT_EQ(StringToColor("255"), clRed);
  EXPECT_EQ(StringToColor("$FF"), clRed);
  EXPECT_THROW(StringToColor("reddish"), EConvertError);
  EXPECT_THROW(StringToColor("$123456789"), EConvertError);
  for (TColor sys : {clWindow, clWindowText, clBtnFace, clHighlight, clHighlightText, clGrayText, clInfoBk, clInfoText,
                     clBtnShadow, clScrollBar, cl3DDkShadow}) {
    EXPECT_EQ(ColorToRGB(sys) & 0xFF000000, 0) << std::hex << sys;
  }
  EXPECT_EQ(ColorToRGB(clRed), clRed);
  EXPECT_EQ(ColorToRGB(clNone), clNone);
  EXPECT_NE(ColorToRGB(clWindow), ColorToRGB(clWindowText));
}

TEST(GraphicsCanvas, ShapesStayInsideTheirBox) {
  // Ellipses, rounded rectangles, polygons and curves never paint at or
  // beyond the right and bottom edges of their box.
  for (int shape = 0; shape < 4; ++shape) {
    Board b(40, 40);
    b.Canvas.Brush.Color = clRed;
    switch (shape) {
      case 0:
        b.Canvas.Ellipse(5, 5, 25, 21);
        break;
      case 1:
        b.Canvas.RoundRect(5, 5, 25, 21, 6, 6);
        break;
      case 2:
        b.Canvas.Polygon({{5, 5}, {24, 5}, {14, 20}});
        break;
      case 3:
        b.Canvas.PolyBezier({{5, 20}, {5, 5}, {24, 5}, {24, 20}});
        break;
    }
    b.Canvas.ReleaseHandle();
    int minX = 99, maxX = -1, minY = 99, maxY = -1;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 40; ++x)
        if ((b.Image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) {
          minX = std::min(minX, x);
          maxX = std::max(maxX, x);
          minY = std::min(minY, y);
          maxY = std::max(maxY, y);
        }
    EXPECT_GE(minX, 5) << shape;
    EXPECT_GE(minY, 5) << shape;
    EXPECT_LE(maxX, 24) << shape;
    EXPECT_LE(maxY, 20) << shape;
    EXPECT_GE(maxX, 23) << shape;
  }
}

TEST(GraphicsCanvas, DrawTextWrapsAlignsAndMeasures) {
  TCanvas canvas;
  canvas.Font.SetName("Liberation Sans");
  canvas.Font.SetSize(10);
  const Integer line = canvas.TextHeight("X");
  const Integer word = canvas.TextWidth("word");
  const Integer space = canvas.TextWidth(" ");
  struct Case {
    const char* Name;
    const char* Text;
    Integer Width;
    unsigned Format;
    Integer Lines, ResultWidth;
  } cases[] = {
      {"one line", "word word", 500, 0, 1, 2 * word + space},
      {"line breaks", "word\r\nword word\nword", 500, 0, 3, 2 * word + space},
      {"single line ignores breaks", "word\nword", 500, DT_SINGLELINE, 1, 2 * word},
      {"wrapped at spaces", "word word word", 2 * word + space, DT_WORDBREAK, 2, 2 * word + space},
      {"long word stays whole", "wordwordword word", word, DT_WORDBREAK, 2, 3 * word},
      {"edit control breaks words", "wordword", word, DT_WORDBREAK | DT_EDITCONTROL, 2, word},
      {"prefix removed", "&word", 500, 0, 1, word},
      {"double prefix is an ampersand", "a&&b", 500, 0, 1, canvas.TextWidth("a&b")},
      {"no prefix processing", "a&&b", 500, DT_NOPREFIX, 1, canvas.TextWidth("a&&b")},
  };
  for (const auto& c : cases) {
    TRect r(10, 20, 10 + c.Width, 30);
    const Integer h = DrawText(canvas, c.Text, r, c.Format | DT_CALCRECT);
    EXPECT_EQ(h, c.Lines * line) << c.Name;
    EXPECT_EQ(r.Bottom, 20 + c.Lines * line) << c.Name;
    const Integer expected = (c.Format & DT_WORDBREAK) ? std::max(c.Width, c.ResultWidth) : c.ResultWidth;
    EXPECT_EQ(r.Width(), expected) << c.Name;
  }
}

TEST(GraphicsCanvas, DrawTextPlacesAndClips) {
  Board b(200, 60);
  b.Canvas.Font.SetName("Liberation Sans");
  b.Canvas.Font.SetSize(10);
  b.Canvas.Font.SetColor(clBlack);
  b.Canvas.Brush.Style = bsClear;
  auto inkBounds = [&](int& left, int& right, int& top, int& bottom) {
    left = top = 999;
    right = bottom = -1;
    for (int y = 0; y < 60; ++y)
      for (int x = 0; x < 200; ++x)
        if (qGray(b.Image.pixel(x, y)) < 160) {
          left = std::min(left, x);
          right = std::max(right, x);
          top = std::min(top, y);
          bottom = std::max(bottom, y);
        }
  };
  TRect r(0, 0, 200, 60);
  const Integer w = b.Canvas.TextWidth("Centre");
  const Integer h = DrawText(b.Canvas, "Centre", r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  int left, right, top, bottom;
  inkBounds(left, right, top, bottom);
  EXPECT_NEAR(left, (200 - w) / 2, 2);
  EXPECT_NEAR(right, (200 + w) / 2, 2);
  EXPECT_GT(top, 20);
  EXPECT_LT(bottom, 40);
  EXPECT_EQ(h, (60 - b.Canvas.TextHeight("X")) / 2 + b.Canvas.TextHeight("X"));
  // Clipped to the rectangle unless DT_NOCLIP.
  b.Image.fill(Qt::white);
  TRect small(0, 0, 12, 60);
  DrawText(b.Canvas, "Wide words here", small, DT_SINGLELINE);
  inkBounds(left, right, top, bottom);
  EXPECT_LT(right, 12);
  // The prefix underline sits under its character only: below the "O" the
  // underline row is inked, below the "n" it is not.
  TOutlineTextMetric otm;
  b.Canvas.GetOutlineTextMetrics(otm);
  const int row = otm.otmTextMetrics.tmAscent - otm.otmsUnderscorePosition;
  const Integer o = b.Canvas.TextWidth("O");
  const Integer ope = b.Canvas.TextWidth("Ope");
  for (const char* text : {"&Open", "Open"}) {
    b.Image.fill(Qt::white);
    TRect pr(0, 0, 200, 60);
    DrawText(b.Canvas, text, pr, DT_SINGLELINE);
    const bool prefixed = text[0] == '&';
    EXPECT_EQ(qGray(b.Image.pixel(o / 2, row)) < 100, prefixed) << text;
    EXPECT_GT(qGray(b.Image.pixel(ope + 2, row)), 200) << text;
  }
}

TEST(GraphicsCanvas, EdgesUseTheThreeDColours) {
  Board b(20, 20);
  TRect r(2, 2, 12, 12);
  DrawEdge(b.Canvas, r, EDGE_SUNKEN, BF_RECT | BF_ADJUST | BF_MIDDLE);
  EXPECT_EQ(r, Rect(4, 4, 10, 10));
  auto rgb = [&](int x, int y) {
    return static_cast<TColor>(RGB(qRed(b.Image.pixel(x, y)), qGreen(b.Image.pixel(x, y)), qBlue(b.Image.pixel(x, y))));
  };
  EXPECT_EQ(rgb(5, 2), ColorToRGB(clBtnShadow));        // outer top
  EXPECT_EQ(rgb(5, 11), ColorToRGB(clBtnHighlight));    // outer bottom
  EXPECT_EQ(rgb(3, 5), ColorToRGB(cl3DDkShadow));       // inner left
  EXPECT_EQ(rgb(10, 5), ColorToRGB(cl3DLight));         // inner right
  EXPECT_EQ(rgb(6, 6), ColorToRGB(clBtnFace));          // middle
  EXPECT_EQ(rgb(12, 5), static_cast<TColor>(clWhite));  // outside
  TRect keep(0, 0, 5, 5);
  DrawEdge(b.Canvas, keep, EDGE_RAISED, BF_RECT);
  EXPECT_EQ(keep, Rect(0, 0, 5, 5));
}

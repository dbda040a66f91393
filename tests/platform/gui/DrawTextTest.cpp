// Formatted text in rectangles: ellipsis, alignment, line heights.
#include "platform/gui/GfxColors.h"
#include "platform/gui/Graphics.h"

#include <QImage>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct TInk {
  int Left = 999, Right = -1;
};

TInk InkOf(const QImage& img) {
  TInk ink;
  for (int y = 0; y < img.height(); ++y)
    for (int x = 0; x < img.width(); ++x)
      if (qGray(img.pixel(x, y)) < 160) {
        ink.Left = std::min(ink.Left, x);
        ink.Right = std::max(ink.Right, x);
      }
  return ink;
}

TEST(DrawText, EllipsisShortensWhatDoesNotFitAndAlignmentPlacesInk) {
  const char* const text = "A sentence much wider than its box";
  struct Case {
    const char* Name;
    unsigned Format;
    int BoxRight;
    bool InkInside;  // no ink at or beyond the box's right edge
  };
  const Case cases[] = {
      {"unclipped overflows", DT_SINGLELINE | DT_NOCLIP, 80, false},
      {"ellipsis fits unclipped", DT_SINGLELINE | DT_NOCLIP | DT_END_ELLIPSIS, 80, true},
      {"ellipsis right-aligned", DT_SINGLELINE | DT_NOCLIP | DT_END_ELLIPSIS | DT_RIGHT, 80, true},
      {"ellipsis on a wrapped long word", DT_WORDBREAK | DT_NOCLIP | DT_END_ELLIPSIS, 30, true},
  };
  for (const Case& c : cases) {
    QImage img(400, 80, QImage::Format_RGB32);
    img.fill(Qt::white);
    TCanvas canvas(static_cast<QPaintDevice*>(&img));
    canvas.Font.SetName("Liberation Sans");
    canvas.Font.SetSize(10);
    canvas.Font.SetColor(clBlack);
    canvas.Brush.Style = bsClear;
    const char* drawn = (c.Format & DT_WORDBREAK) ? "Incomprehensibilities" : text;
    TRect r(10, 0, c.BoxRight, 80);
    DrawText(canvas, drawn, r, c.Format);
    canvas.ReleaseHandle();
    const TInk ink = InkOf(img);
    ASSERT_LE(ink.Left, ink.Right) << c.Name << ": nothing drawn";
    EXPECT_GE(ink.Left, 10) << c.Name;
    EXPECT_EQ(ink.Right < c.BoxRight, c.InkInside) << c.Name << " right " << ink.Right;
    if (c.Format & DT_RIGHT) {
      EXPECT_GE(ink.Right, c.BoxRight - 4) << c.Name;
    }
  }
  // Measuring never shortens: the extent is the whole text's.
  TCanvas canvas;
  canvas.Font.SetName("Liberation Sans");
  canvas.Font.SetSize(10);
  TRect r(0, 0, 40, 10);
  DrawText(canvas, text, r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT);
  EXPECT_EQ(r.Width(), canvas.TextWidth(text));
}

TEST(DrawText, HeightAndPlacementOfLines) {
  TCanvas canvas;
  canvas.Font.SetName("Liberation Sans");
  canvas.Font.SetSize(10);
  const Integer line = canvas.TextHeight("X");
  struct Case {
    const char* Name;
    const char* Text;
    unsigned Format;
    Integer Expected;  // the height returned for a 100-high box
  };
  const Case cases[] = {
      {"three paragraphs, mixed breaks", "a\rb\r\nc", 0, 3 * line},
      {"blank line between", "a\n\nb", 0, 3 * line},
      {"bottom", "a", DT_SINGLELINE | DT_BOTTOM, 100},
      {"vertical centre", "a", DT_SINGLELINE | DT_VCENTER, (100 - line) / 2 + line},
      {"bottom ignored without single line", "a", DT_BOTTOM, line},
      {"tabs expand on one line", "a\tb", DT_EXPANDTABS, line},
  };
  for (const Case& c : cases) {
    QImage img(200, 100, QImage::Format_RGB32);
    img.fill(Qt::white);
    TCanvas on(static_cast<QPaintDevice*>(&img));
    on.Font.SetName("Liberation Sans");
    on.Font.SetSize(10);
    TRect box(0, 0, 200, 100);
    EXPECT_EQ(DrawText(on, c.Text, box, c.Format), c.Expected) << c.Name;
    on.ReleaseHandle();
  }
  // Expanded tabs are wider than the tab character alone.
  TRect plain(0, 0, 500, 20), expanded(0, 0, 500, 20);
  DrawText(canvas, "a\tb", plain, DT_SINGLELINE | DT_CALCRECT);
  DrawText(canvas, "a\tb", expanded, DT_SINGLELINE | DT_EXPANDTABS | DT_CALCRECT);
  EXPECT_GT(expanded.Width(), canvas.TextWidth("ab") + 2 * canvas.TextWidth(" "));
}

}  // namespace

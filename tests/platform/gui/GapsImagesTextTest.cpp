#include "platform/gui/GfxColors.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/ImgList.h"

#include <QImage>
#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct TRgb {
  int R, G, B;
  bool operator==(const TRgb&) const = default;
};

std::ostream& operator<<(std::ostream& os, const TRgb& c) {
  return os << "(" << c.R << "," << c.G << "," << c.B << ")";
}

TRgb At(const QImage& img, int x, int y) {
  const QRgb p = img.pixel(x, y);
  return {qRed(p), qGreen(p), qBlue(p)};
}

// A 4x4 red image whose top-left pixel the mask bitmap clears.
void AddRedWithMaskedCorner(TImageList& list) {
  TBitmap image(4, 4);
  image.Canvas()->Brush.Color = clRed;
  image.Canvas()->FillRect(Rect(0, 0, 4, 4));
  TBitmap mask(4, 4);
  mask.Canvas()->Brush.Color = clBlack;
  mask.Canvas()->FillRect(Rect(0, 0, 4, 4));
  mask.Canvas()->SetPixel(0, 0, clWhite);
  const Integer before = list.Count();
  ASSERT_EQ(list.Add(&image, &mask), before);
}

TEST(GapsImageList, DrawingStylesBackgroundsAndMasksByPixel) {
  struct Case {
    const char* Name;
    TDrawingStyle Style;
    bool Enabled;
    TColor Bk;
    bool Masked;
    TRgb Solid;   // an opaque pixel of the image
    TRgb Corner;  // the masked pixel, over a green background
  };
  const TRgb green{0, 128, 0};
  const Case cases[] = {
      {"normal", dsNormal, true, clNone, true, {255, 0, 0}, green},
      {"background colour", dsNormal, true, clYellow, true, {255, 0, 0}, {255, 255, 0}},
      {"transparent ignores background", dsTransparent, true, clYellow, true, {255, 0, 0}, green},
      {"unmasked is opaque white", dsNormal, true, clNone, false, {255, 0, 0}, {255, 255, 255}},
      {"focus blends a quarter", dsFocus, true, clNone, true, {191, 0, 63}, green},
      {"selected blends half", dsSelected, true, clNone, true, {127, 0, 127}, green},
      {"disabled is light grey", dsNormal, false, clNone, true, {171, 171, 171}, green},
      {"disabled and selected", dsSelected, false, clNone, true, {85, 85, 213}, green},
  };
  for (const Case& c : cases) {
    TImageList list(nullptr, 4, 4);
    AddRedWithMaskedCorner(list);
    list.BkColor = c.Bk;
    list.Masked = c.Masked;
    list.BlendColor = clBlue;
    QImage img(10, 10, QImage::Format_RGB32);
    img.fill(QColor(0, 128, 0));
    TCanvas canvas(static_cast<QPaintDevice*>(&img));
    list.Draw(&canvas, 3, 2, 0, c.Style, c.Enabled);
    canvas.ReleaseHandle();
    EXPECT_EQ(At(img, 5, 4), c.Solid) << c.Name;
    EXPECT_EQ(At(img, 3, 2), c.Corner) << c.Name;
    EXPECT_EQ(At(img, 7, 4), green) << c.Name << ": outside the image";
    EXPECT_EQ(At(img, 2, 2), green) << c.Name << ": outside the image";
  }
}

TEST(GapsImageList, SlicingMovingReplacingAndBitmaps) {
  TImageList list(nullptr, 2, 2);
  // A strip of three (and a half) images: red, lime, blue; the half is dropped.
  TBitmap strip(7, 2);
  const TColor colours[] = {clRed, clLime, clBlue, clYellow};
  for (int i = 0; i < 4; ++i) {
    strip.Canvas()->Brush.Color = colours[i];
    strip.Canvas()->FillRect(Rect(2 * i, 0, 2 * i + 2, 2));
  }
  EXPECT_EQ(list.Add(&strip, nullptr), 0);
  ASSERT_EQ(list.Count(), 3);
  auto firstPixel = [&](int index) {
    const QRgb p = list.Image(index).pixel(1, 1);
    return RGB(qRed(p), qGreen(p), qBlue(p));
  };
  EXPECT_EQ(firstPixel(0), clRed);
  EXPECT_EQ(firstPixel(2), clBlue);
  struct Move {
    int From, To;
    TColor Expected[3];
  };
  for (const Move& m : {Move{0, 2, {clLime, clBlue, clRed}}, Move{2, 0, {clRed, clLime, clBlue}},
                        Move{1, 1, {clRed, clLime, clBlue}}}) {
    list.Move(m.From, m.To);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(firstPixel(i), m.Expected[i]) << m.From << "->" << m.To << " #" << i;
  }
  EXPECT_THROW(list.Move(0, 3), EInvalidOperation);
  EXPECT_THROW(list.Move(-1, 0), EInvalidOperation);

  TBitmap yellow(2, 2);
  yellow.Canvas()->Brush.Color = clYellow;
  yellow.Canvas()->FillRect(Rect(0, 0, 2, 2));
  list.Replace(1, &yellow, nullptr);
  EXPECT_EQ(firstPixel(1), clYellow);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_THROW(list.Replace(3, &yellow, nullptr), EInvalidOperation);

  // GetBitmap flattens transparency onto the background colour.
  TImageList masked(nullptr, 4, 4);
  AddRedWithMaskedCorner(masked);
  for (TColor bk : {clNone, clAqua}) {
    masked.BkColor = bk;
    TBitmap out;
    masked.GetBitmap(0, &out);
    const QImage img = out.ToImage();
    ASSERT_EQ(img.width(), 4);
    const TRgb expected = bk == clNone ? TRgb{255, 255, 255} : TRgb{0, 255, 255};
    EXPECT_EQ(At(img, 0, 0), expected);
    EXPECT_EQ(At(img, 2, 2), (TRgb{255, 0, 0}));
  }
  // Changing the size drops every image.
  list.SetWidth(4);
  EXPECT_EQ(list.Count(), 0);
}

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

TEST(GapsDrawText, EllipsisShortensWhatDoesNotFitAndAlignmentPlacesInk) {
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

TEST(GapsDrawText, HeightAndPlacementOfLines) {
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

// Image lists: drawing styles, masks, slicing and the bitmaps they hand out.
#include "platform/gui/GfxColors.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/ImgList.h"

#include <QImage>
#include <gtest/gtest.h>

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

TEST(ImageList, DrawingStylesBackgroundsAndMasksByPixel) {
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

TEST(ImageList, SlicingMovingReplacingAndBitmaps) {
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

}  // namespace

// JPEG pictures: bytes kept when not re-encoded, compression from bitmaps,
// scaled, quantised and grey decoding, and errors for damaged data.
#include "platform/base/Streams.h"
#include "platform/gui/Jpeg.h"

#include <QImage>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

// Four colour quadrants, so that decoded colours can be checked.
void Quadrants(TBitmap& bmp, int w, int h) {
  bmp.SetSize(w, h);
  TCanvas* c = bmp.Canvas();
  const TColor colors[4] = {clRed, clLime, clBlue, clYellow};
  for (int q = 0; q < 4; ++q) {
    c->Brush.Color = colors[q];
    c->FillRect(Rect(q % 2 ? w / 2 : 0, q / 2 ? h / 2 : 0, q % 2 ? w : w / 2, q / 2 ? h : h / 2));
  }
}

AnsiString Encode(int w, int h, bool progressive, bool gray = false, int quality = 90) {
  TBitmap bmp;
  Quadrants(bmp, w, h);
  TJPEGImage jpeg;
  jpeg.Assign(&bmp);
  jpeg.ProgressiveEncoding = progressive;
  jpeg.SetGrayscale(gray);
  jpeg.CompressionQuality = quality;
  return jpeg.SaveToBytes();
}

bool Near(QRgb c, int r, int g, int b) {
  return std::abs(qRed(c) - r) < 24 && std::abs(qGreen(c) - g) < 24 && std::abs(qBlue(c) - b) < 24;
}

}  // namespace

TEST(JpegImage, BytesAreKeptUnlessReencoded) {
  for (bool progressive : {false, true}) {
    const AnsiString bytes = Encode(64, 48, progressive);
    ASSERT_EQ(bytes.substr(0, 2), "\xFF\xD8");
    // Progressive files carry a progressive frame header.
    EXPECT_EQ(bytes.find("\xFF\xC2") != AnsiString::npos, progressive);
    TMemoryStream in;
    in.WriteBytes(bytes);
    in.SetPosition(0);
    TJPEGImage jpeg;
    jpeg.LoadFromStream(in);
    EXPECT_EQ(jpeg.GetWidth(), 64);
    EXPECT_EQ(jpeg.GetHeight(), 48);
    // Changing how it decodes is not re-encoding: the bytes stay.
    jpeg.SetScale(jsHalf);
    jpeg.CompressionQuality = 10;
    TMemoryStream out;
    jpeg.SaveToStream(out);
    EXPECT_EQ(out.Bytes(), bytes);
    // Compress does re-encode, at the new quality.
    jpeg.SetScale(jsFullSize);
    jpeg.Compress();
    EXPECT_NE(jpeg.SaveToBytes(), bytes);
    TJPEGImage again;
    again.LoadFromBytes(jpeg.SaveToBytes());
    EXPECT_EQ(again.GetWidth(), 64);
  }
  // Quality decides the size of a detailed picture.
  TBitmap noise(64, 64);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x)
      noise.Image().setPixel(x, y, qRgb((x * 37 + y * 11) % 256, (x * y) % 256, (x ^ y) * 4 % 256));
  size_t sizes[2];
  for (int i = 0; i < 2; ++i) {
    TJPEGImage jpeg;
    jpeg.Assign(&noise);
    jpeg.CompressionQuality = i == 0 ? 10 : 95;
    sizes[i] = jpeg.SaveToBytes().size();
  }
  EXPECT_LT(sizes[0] * 2, sizes[1]);
}

TEST(JpegImage, DecodesColoursAtEveryScale) {
  const AnsiString bytes = Encode(100, 60, false);
  struct {
    TJPEGScale Scale;
    int W, H;
  } cases[] = {{jsFullSize, 100, 60}, {jsHalf, 50, 30}, {jsQuarter, 25, 15}, {jsEighth, 13, 8}};
  for (const auto& c : cases) {
    TJPEGImage jpeg;
    jpeg.SetScale(c.Scale);
    jpeg.LoadFromBytes(bytes);
    EXPECT_EQ(jpeg.GetWidth(), c.W) << c.Scale;
    EXPECT_EQ(jpeg.GetHeight(), c.H) << c.Scale;
    const QImage img = jpeg.ToImage();
    EXPECT_EQ(img.width(), c.W);
    EXPECT_TRUE(Near(img.pixel(1, 1), 255, 0, 0)) << c.Scale;
    EXPECT_TRUE(Near(img.pixel(c.W - 2, 1), 0, 255, 0)) << c.Scale;
    EXPECT_TRUE(Near(img.pixel(1, c.H - 2), 0, 0, 255)) << c.Scale;
    EXPECT_TRUE(Near(img.pixel(c.W - 2, c.H - 2), 255, 255, 0)) << c.Scale;
  }
  // Changing the scale after loading decodes again from the kept bytes.
  TJPEGImage jpeg;
  jpeg.LoadFromBytes(bytes);
  jpeg.SetScale(jsQuarter);
  EXPECT_EQ(jpeg.ToImage().width(), 25);
  EXPECT_EQ(jpeg.NativeWidth(), 100);
}

TEST(JpegImage, QuantisedAndGreyOutput) {
  const AnsiString bytes = Encode(32, 32, true);
  TJPEGImage eight;
  eight.SetPixelFormat(jf8Bit);
  eight.LoadFromBytes(bytes);
  QImage img = eight.ToImage();
  EXPECT_EQ(img.format(), QImage::Format_Indexed8);
  EXPECT_LE(img.colorCount(), 256);
  EXPECT_TRUE(Near(img.pixel(2, 2), 255, 0, 0));

  TJPEGImage grey;
  grey.SetGrayscale(true);
  grey.LoadFromBytes(bytes);
  img = grey.ToImage();
  const QRgb c = img.pixel(2, 2);
  EXPECT_EQ(qRed(c), qGreen(c));
  EXPECT_EQ(qGreen(c), qBlue(c));

  // A file stored in grey decodes grey and keeps its bytes.
  const AnsiString greyBytes = Encode(16, 16, false, true);
  TJPEGImage stored;
  stored.LoadFromBytes(greyBytes);
  const QRgb g = stored.ToImage().pixel(1, 1);
  EXPECT_EQ(qRed(g), qBlue(g));
  EXPECT_EQ(stored.SaveToBytes(), greyBytes);
}

TEST(JpegImage, BitmapConversionsBothWays) {
  TBitmap bmp;
  Quadrants(bmp, 20, 20);
  TJPEGImage jpeg;
  jpeg.Assign(&bmp);
  EXPECT_FALSE(jpeg.GetEmpty());
  EXPECT_EQ(jpeg.GetWidth(), 20);
  TBitmap back;
  back.Assign(&jpeg);
  EXPECT_EQ(back.GetWidth(), 20);
  EXPECT_TRUE(Near(back.Image().pixel(15, 15), 255, 255, 0));
  // Copies share nothing that a change could reach.
  TJPEGImage copy;
  copy.Assign(&jpeg);
  jpeg.Assign(nullptr);
  EXPECT_TRUE(jpeg.GetEmpty());
  EXPECT_FALSE(copy.GetEmpty());
}

TEST(JpegImage, DamagedDataRaisesAndKeepsThePicture) {
  const AnsiString good = Encode(48, 32, false);
  TJPEGImage jpeg;
  jpeg.LoadFromBytes(good);
  struct {
    const char* Name;
    AnsiString Bytes;
  } cases[] = {
      {"empty", AnsiString()},
      {"not jpeg", AnsiString("BM\x10\0\0\0", 6)},
      {"truncated in header", good.substr(0, 30)},
      {"truncated in scan", good.substr(0, good.size() / 2)},
      {"no end marker", good.substr(0, good.size() - 2)},
  };
  for (const auto& c : cases) {
    EXPECT_THROW(jpeg.LoadFromBytes(c.Bytes), EInvalidGraphic) << c.Name;
    EXPECT_EQ(jpeg.GetWidth(), 48) << c.Name;
    EXPECT_EQ(jpeg.SaveToBytes(), good) << c.Name;
  }
}

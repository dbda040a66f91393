// Damaged picture data must raise EInvalidGraphic and never read or write
// outside its buffers (this program runs under the address and undefined-
// behaviour sanitizers).
#include "platform/base/Streams.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/Jpeg.h"

#include <QImage>
#include <gtest/gtest.h>
#include <random>

namespace {

AnsiString SampleBmp(int w, int h, TPixelFormat format) {
  TBitmap bmp(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) bmp.Image().setPixel(x, y, qRgb(x * 30, y * 40, (x + y) * 10));
  bmp.SetPixelFormat(format);
  return bmp.SaveToBytes();
}

AnsiString SampleJpeg(bool progressive) {
  TBitmap bmp(40, 24);
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 40; ++x) bmp.Image().setPixel(x, y, qRgb(x * 6, y * 10, 128));
  TJPEGImage jpeg;
  jpeg.Assign(&bmp);
  jpeg.ProgressiveEncoding = progressive;
  jpeg.CompressionQuality = 80;
  jpeg.Compress();
  return jpeg.SaveToBytes();
}

// A hand-made BMP: file header, 40-byte info header, colour table, bits.
AnsiString MakeBmp(int32_t w, int32_t h, uint16_t bpp, uint32_t compression, uint32_t colorsUsed,
                   const AnsiString& palette, const AnsiString& bits) {
  AnsiString s = "BM";
  auto put32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  };
  auto put16 = [&](uint16_t v) {
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>(v >> 8));
  };
  put32(static_cast<uint32_t>(54 + palette.size() + bits.size()));
  put32(0);
  put32(static_cast<uint32_t>(54 + palette.size()));
  put32(40);
  put32(static_cast<uint32_t>(w));
  put32(static_cast<uint32_t>(h));
  put16(1);
  put16(bpp);
  put32(compression);
  put32(static_cast<uint32_t>(bits.size()));
  put32(0);
  put32(0);
  put32(colorsUsed);
  put32(0);
  return s + palette + bits;
}

}  // namespace

TEST(GraphicsCorruptInput, TruncatedBitmapsRaiseAtEveryLength) {
  for (TPixelFormat format : {pf24bit, pf32bit}) {
    const AnsiString full = SampleBmp(7, 5, format);
    TBitmap ok;
    ASSERT_NO_THROW(ok.LoadFromBytes(full));
    for (size_t len = 0; len < full.size(); ++len) {
      TBitmap bmp;
      EXPECT_THROW(bmp.LoadFromBytes(full.data(), len), EInvalidGraphic) << "length " << len;
      EXPECT_TRUE(bmp.GetEmpty());
    }
  }
}

TEST(GraphicsCorruptInput, MalformedBitmapHeadersRaise) {
  const AnsiString pal8(4 * 2, '\x40');
  struct Case {
    const char* Name;
    AnsiString Bytes;
  } cases[] = {
      {"zero width", MakeBmp(0, 4, 24, 0, 0, "", AnsiString(48, 'x'))},
      {"huge size", MakeBmp(0x7FFFFFFF, 0x7FFFFFFF, 24, 0, 0, "", AnsiString(64, 'x'))},
      {"odd depth", MakeBmp(2, 2, 7, 0, 0, "", AnsiString(16, 'x'))},
      {"too many colours", MakeBmp(2, 2, 8, 0, 100000, pal8, AnsiString(8, '\0'))},
      {"colour table past end", MakeBmp(2, 2, 8, 0, 200, pal8, "")},
      {"unknown compression", MakeBmp(2, 2, 24, 4, 0, "", AnsiString(16, 'x'))},
      {"RLE on 24 bits", MakeBmp(2, 2, 24, 1, 0, "", AnsiString(16, 'x'))},
      {"RLE run past data", MakeBmp(4, 4, 8, 1, 2, pal8, AnsiString("\x00\x05\x01", 3))},
      {"not a bitmap", AnsiString("GIF89a and more bytes here")},
  };
  for (const auto& c : cases) {
    TBitmap bmp;
    EXPECT_THROW(bmp.LoadFromBytes(c.Bytes), EInvalidGraphic) << c.Name;
  }
}

TEST(GraphicsCorruptInput, RunLengthBitmapWritesStayInside) {
  // Runs that overrun the row and deltas that leave the picture are dropped.
  const AnsiString pal8 = AnsiString("\x00\x00\xFF\x00\x00\xFF\x00\x00", 8);
  const AnsiString rle = AnsiString(
      "\x09\x01"
      "\x00\x02\x05\x01"
      "\x00\x03\x01\x00\x01\x00"
      "\x00\x00"
      "\x00\x01",
      16);
  TBitmap bmp;
  ASSERT_NO_THROW(bmp.LoadFromBytes(MakeBmp(4, 2, 8, 1, 2, pal8, rle)));
  EXPECT_EQ(bmp.GetWidth(), 4);
  EXPECT_EQ(bmp.Image().pixel(0, 1), qRgb(0, 0xFF, 0));  // bottom row first
}

TEST(GraphicsCorruptInput, DamagedJpegRaises) {
  const AnsiString good = SampleJpeg(false);
  TJPEGImage ok;
  ASSERT_NO_THROW(ok.LoadFromBytes(good));
  // Truncated anywhere: before the header ends, inside the scan, before EOI.
  for (size_t len : {size_t{0}, size_t{2}, size_t{20}, good.size() / 3, good.size() / 2, good.size() - 2}) {
    TJPEGImage jpeg;
    EXPECT_THROW(jpeg.LoadFromBytes(good.data(), len), EInvalidGraphic) << "length " << len;
    EXPECT_TRUE(jpeg.GetEmpty());
  }
  // A frame header claiming zero lines.
  AnsiString zeroHeight = good;
  const size_t sof = zeroHeight.find("\xFF\xC0");
  ASSERT_NE(sof, AnsiString::npos);
  zeroHeight[sof + 5] = 0;
  zeroHeight[sof + 6] = 0;
  TJPEGImage a;
  EXPECT_THROW(a.LoadFromBytes(zeroHeight), EInvalidGraphic);
  // Not JPEG at all.
  TJPEGImage b;
  EXPECT_THROW(b.LoadFromBytes(AnsiString("BM not a jpeg at all")), EInvalidGraphic);
}

TEST(GraphicsCorruptInput, RandomMutationsNeverCrash) {
  std::mt19937 rng(12345);
  const AnsiString sources[] = {SampleBmp(9, 7, pf24bit), SampleBmp(5, 3, pf32bit), SampleJpeg(false),
                                SampleJpeg(true)};
  int raised = 0;
  for (const AnsiString& source : sources) {
    for (int round = 0; round < 150; ++round) {
      AnsiString bytes = source;
      const int edits = 1 + static_cast<int>(rng() % 6);
      for (int e = 0; e < edits; ++e) bytes[rng() % bytes.size()] = static_cast<char>(rng() & 0xFF);
      if (rng() % 3 == 0) bytes.resize(rng() % bytes.size());
      for (const char* cls : {"TBitmap", "TJPEGImage", "TIcon", "TMetafile"}) {
        auto graphic = CreateGraphicOfClassName(cls);
        ASSERT_TRUE(graphic);
        try {
          graphic->LoadFromBytes(bytes);
          QImage img = graphic->ToImage();
          (void)img;
        } catch (const EInvalidGraphic&) {
          ++raised;
        }
      }
    }
  }
  EXPECT_GT(raised, 0);
}

TEST(GraphicsCorruptInput, StreamPositionAfterBitmap) {
  // A bitmap inside a longer stream leaves the position right after it.
  const AnsiString bmp = SampleBmp(3, 2, pf24bit);
  TMemoryStream stream;
  stream.WriteBytes("xx" + bmp + "tail");
  stream.SetPosition(2);
  TBitmap b;
  b.LoadFromStream(stream);
  EXPECT_EQ(stream.GetPosition(), static_cast<Int64>(2 + bmp.size()));
  EXPECT_EQ(stream.ReadBytes(4), "tail");
}

TEST(GraphicsCorruptInput, TextOfAnyUnitsMeasuresAndDraws) {
  // Lone surrogates, controls, marks without a base, mixed directions:
  // measuring stays additive in shape and drawing stays inside its buffers.
  std::mt19937 rng(7);
  const char16_t pool[] = {u'a',   u' ',   u'\t',  0x0301, 0x05D0, 0x0627, 0x200F, 0x202E, 0xD800, 0xDC00,
                           0x0E01, 0x0915, 0x094D, 0xFFFF, 0x0000, 0x4E2D, u'1',   u',',   0xFEFF, 0x2066};
  QImage img(300, 40, QImage::Format_RGB32);
  TCanvas canvas(static_cast<QPaintDevice*>(&img));
  canvas.Font.SetName("DejaVu Sans");
  canvas.Font.SetSize(10);
  for (int round = 0; round < 300; ++round) {
    WideString text;
    const int len = static_cast<int>(rng() % 40);
    for (int i = 0; i < len; ++i) text += pool[rng() % (sizeof pool / sizeof pool[0])];
    std::vector<Integer> dx;
    Integer fit = -1;
    canvas.GetTextExtentExPoint(text, 50, &fit, &dx);
    ASSERT_EQ(dx.size(), text.size());
    for (size_t i = 1; i < dx.size(); ++i) ASSERT_GE(dx[i], dx[i - 1]);
    ASSERT_GE(fit, 0);
    ASSERT_LE(fit, static_cast<Integer>(text.size()));
    TCharacterPlacement placement;
    canvas.GetCharacterPlacement(text, placement);
    ASSERT_EQ(placement.Order.size(), text.size());
    canvas.TextOutW(5, 5, text);
    canvas.ExtTextOut(5, 20, ETO_CLIPPED, nullptr, text, dx.empty() ? nullptr : dx.data());
  }
}

TEST(GraphicsCorruptInput, DeviceDependentBitmapsNeverReadPastTheirData) {
  // Exactly as many bytes as the rows need (a heap copy, so that one byte
  // more would be caught), and one byte fewer.
  for (Integer bits : {1, 4, 8, 24, 32}) {
    for (Integer w : {1, 3, 7, 16}) {
      const size_t stride = ((static_cast<size_t>(w) * static_cast<size_t>(bits) + 15) / 16) * 2;
      const size_t need = stride * 4 + (static_cast<size_t>(w) * static_cast<size_t>(bits) + 7) / 8;
      std::vector<char> data(need, '\x5A');
      TBitmap bmp;
      EXPECT_NO_THROW(bmp.LoadFromDDB(w, 5, 1, bits, data.data(), data.size())) << bits << " " << w;
      std::vector<char> shorter(need - 1, '\x5A');
      EXPECT_THROW(bmp.LoadFromDDB(w, 5, 1, bits, shorter.data(), shorter.size()), EInvalidGraphic);
    }
  }
}

TEST(GraphicsCorruptInput, FormattedTextOfAnyShape) {
  QImage img(120, 60, QImage::Format_RGB32);
  TCanvas canvas(static_cast<QPaintDevice*>(&img));
  const char* texts[] = {"", "&", "&&&", "a&", "\r\n\r", "\t\tx", "   ", "word", "averyveryverylongword and more"};
  for (const char* t : texts) {
    for (unsigned format : {0u, DT_WORDBREAK, DT_WORDBREAK | DT_EDITCONTROL,
                            DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS}) {
      for (Integer width : {0, 1, 30, 120}) {
        TRect r(0, 0, width, 60);
        EXPECT_GE(DrawText(canvas, t, r, format), 0);
      }
    }
  }
}

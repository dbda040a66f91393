// Bitmaps in the BMP stream format, icons, metafiles, the class registry
// and the picture holder.
#include "support/TestSupport.h"
#include "platform/base/Streams.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/Jpeg.h"

#include <QImage>
#include <QImageReader>
#include <cstring>
#include <gtest/gtest.h>

namespace {

uint32_t Le32(const AnsiString& s, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(s[at + static_cast<size_t>(i)]);
  return v;
}

void Put32(AnsiString& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
void Put16(AnsiString& s, uint16_t v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>(v >> 8));
}

// A BMP with an explicit colour table and rows as given (already padded).
AnsiString IndexedBmp(int32_t w, int32_t h, uint16_t bpp, const std::vector<QRgb>& palette, const AnsiString& rows,
                      uint32_t offBits = 0xFFFFFFFF) {
  AnsiString s = "BM";
  const uint32_t palBytes = static_cast<uint32_t>(palette.size() * 4);
  Put32(s, static_cast<uint32_t>(54 + palBytes + rows.size()));
  Put32(s, 0);
  Put32(s, offBits == 0xFFFFFFFF ? 54 + palBytes : offBits);
  Put32(s, 40);
  Put32(s, static_cast<uint32_t>(w));
  Put32(s, static_cast<uint32_t>(h));
  Put16(s, 1);
  Put16(s, bpp);
  Put32(s, 0);
  Put32(s, static_cast<uint32_t>(rows.size()));
  Put32(s, 0);
  Put32(s, 0);
  Put32(s, static_cast<uint32_t>(palette.size()));
  Put32(s, 0);
  for (QRgb c : palette) {
    s.push_back(static_cast<char>(qBlue(c)));
    s.push_back(static_cast<char>(qGreen(c)));
    s.push_back(static_cast<char>(qRed(c)));
    s.push_back('\0');
  }
  return s + rows;
}

void Gradient(TBitmap& bmp, int w, int h) {
  bmp.SetSize(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) bmp.Image().setPixel(x, y, qRgb(x * 20 % 256, y * 30 % 256, (x * y) % 256));
}

bool SamePixels(const QImage& a, const QImage& b) {
  if (a.size() != b.size()) return false;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x)
      if ((a.pixel(x, y) & 0xFFFFFF) != (b.pixel(x, y) & 0xFFFFFF)) return false;
  return true;
}

}  // namespace

TEST(GraphicsBitmap, StreamRoundTripIn24And32Bits) {
  struct Case {
    TPixelFormat Format;
    uint16_t Bits;
    int W, H;
  } cases[] = {{pf24bit, 24, 7, 5}, {pf32bit, 32, 7, 5}, {pfDevice, 24, 1, 1}, {pf24bit, 24, 13, 2}};
  for (const auto& c : cases) {
    TBitmap src;
    Gradient(src, c.W, c.H);
    src.SetPixelFormat(c.Format);
    TMemoryStream stream;
    src.SaveToStream(stream);
    const AnsiString bytes = stream.Bytes();
    ASSERT_GE(bytes.size(), 54u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(Le32(bytes, 2), bytes.size());
    EXPECT_EQ(Le32(bytes, 10), 54u);
    EXPECT_EQ(static_cast<uint8_t>(bytes[28]), c.Bits);
    const size_t stride = ((c.W * c.Bits + 31) / 32) * 4;
    EXPECT_EQ(bytes.size(), 54 + stride * c.H);
    stream.SetPosition(0);
    TBitmap back;
    back.LoadFromStream(stream);
    EXPECT_EQ(back.GetWidth(), c.W);
    EXPECT_EQ(back.GetHeight(), c.H);
    EXPECT_TRUE(SamePixels(back.Image(), src.Image()));
    EXPECT_EQ(back.SaveToBytes(), bytes);
  }
}

TEST(GraphicsBitmap, ReadsIndexedAndTopDownFiles) {
  const std::vector<QRgb> two{qRgb(255, 0, 0), qRgb(0, 0, 255)};
  const std::vector<QRgb> four{qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(0, 255, 0), qRgb(10, 20, 30)};
  struct Case {
    const char* Name;
    AnsiString Bytes;
    QRgb TopLeft, TopRight, BottomLeft;
    TPixelFormat Format;
  } cases[] = {
      // 1-bit 3x2, bottom-up: bottom row 1,0,1; top row 0,1,1.
      {"1 bit", IndexedBmp(3, 2, 1, two, AnsiString("\xA0\0\0\0\x60\0\0\0", 8)), two[0], two[1], two[1], pf1bit},
      // 4-bit 3x2: bottom row 2,3,0; top row 1,0,2.
      {"4 bit", IndexedBmp(3, 2, 4, four, AnsiString("\x23\x00\0\0\x10\x20\0\0", 8)), four[1], four[2], four[2],
       pf8bit},
      // 8-bit 2x2 top-down (negative height): top row 3,2; bottom 1,0.
      {"8 bit top-down", IndexedBmp(2, -2, 8, four, AnsiString("\x03\x02\0\0\x01\x00\0\0", 8)), four[3], four[2],
       four[1], pf8bit},
      // Data offset 0 in the file header: the bits follow the colour table.
      {"offset 0", IndexedBmp(2, 1, 8, four, AnsiString("\x02\x03\0\0", 4), 0), four[2], four[3], four[2], pf8bit},
  };
  for (const auto& c : cases) {
    TBitmap bmp;
    ASSERT_NO_THROW(bmp.LoadFromBytes(c.Bytes)) << c.Name;
    const QImage& img = bmp.Image();
    EXPECT_EQ(img.pixel(0, 0), c.TopLeft) << c.Name;
    EXPECT_EQ(img.pixel(img.width() - 1, 0), c.TopRight) << c.Name;
    EXPECT_EQ(img.pixel(0, img.height() - 1), c.BottomLeft) << c.Name;
    EXPECT_EQ(bmp.GetPixelFormat(), c.Format) << c.Name;
  }
  // A bare device-independent bitmap (no file header) loads too.
  const AnsiString file = IndexedBmp(2, 1, 8, four, AnsiString("\x02\x03\0\0", 4));
  TBitmap dib;
  dib.LoadFromDIB(file.data() + 14, file.size() - 14);
  EXPECT_EQ(dib.Image().pixel(1, 0), four[3]);
}

TEST(GraphicsBitmap, ScanLinesHaveThePixelFormatsLayout) {
  TBitmap bmp(3, 2);
  bmp.SetPixelFormat(pf24bit);
  auto* row = static_cast<uint8_t*>(bmp.ScanLine(1));
  row[0] = 0x11;  // blue
  row[1] = 0x22;  // green
  row[2] = 0x33;  // red
  EXPECT_EQ(bmp.Image().pixel(0, 1), qRgb(0x33, 0x22, 0x11));
  bmp.SetPixelFormat(pf32bit);
  auto* row32 = static_cast<uint8_t*>(bmp.ScanLine(0));
  row32[4] = 0x44;
  row32[5] = 0x55;
  row32[6] = 0x66;
  EXPECT_EQ(bmp.Image().pixel(1, 0) & 0xFFFFFF, qRgb(0x66, 0x55, 0x44) & 0xFFFFFF);
  EXPECT_THROW(bmp.ScanLine(2), EInvalidGraphic);
  // Drawing on the canvas and saving see the same pixels.
  bmp.Canvas()->SetPixel(2, 1, clBlue);
  TBitmap copy;
  copy.LoadFromBytes(bmp.SaveToBytes());
  EXPECT_EQ(copy.Image().pixel(2, 1) & 0xFFFFFF, 0x0000FFu);
  // Resizing keeps the old pixels at the top left.
  bmp.SetSize(5, 4);
  EXPECT_EQ(bmp.Image().pixel(2, 1) & 0xFFFFFF, 0x0000FFu);
  EXPECT_EQ(bmp.Image().pixel(4, 3) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(GraphicsBitmap, TransparencySettings) {
  TBitmap bmp;
  Gradient(bmp, 4, 4);
  bmp.Canvas()->SetPixel(0, 3, clLime);
  EXPECT_EQ(bmp.GetTransparentMode(), tmAuto);
  EXPECT_EQ(bmp.GetTransparentColor(), clLime);  // bottom-left pixel
  bmp.SetTransparentColor(clRed);
  EXPECT_EQ(bmp.GetTransparentMode(), tmFixed);
  EXPECT_EQ(bmp.GetTransparentColor(), clRed);
  bmp.SetTransparentMode(tmAuto);
  EXPECT_EQ(bmp.GetTransparentColor(), clLime);
  TBitmap copy;
  bmp.SetTransparent(true);
  copy.Assign(&bmp);
  EXPECT_TRUE(copy.GetTransparent());
  EXPECT_EQ(copy.GetTransparentColor(), clLime);
}

TEST(GraphicsBitmap, AnyImageFileHasTheCallersPixelLimitNotTheToolkits) {
  qytest::TempDir dir;
  const std::string file = (dir / "big.png").string();
  QImage big(1200, 1000, QImage::Format_ARGB32);
  big.fill(QColor(10, 200, 30, 128));
  ASSERT_TRUE(big.save(QString::fromStdString(file), "PNG"));
  // The toolkit's own memory limit far below the picture (4.6 MB decoded),
  // as its 128 MB are below a PNG of 34 megapixels.
  const int limit = QImageReader::allocationLimit();
  QImageReader::setAllocationLimit(1);
  struct Case {
    int64_t maxPixels;
    bool loads;
  } cases[] = {{100'000'000, true}, {1'200'000, true}, {1'199'999, false}};
  for (const Case& c : cases) {
    TBitmap b;
    EXPECT_EQ(b.LoadFromAnyImageFile(file, c.maxPixels), c.loads) << c.maxPixels;
    if (c.loads) {
      EXPECT_EQ(b.GetWidth(), 1200);
      EXPECT_EQ(b.GetHeight(), 1000);
    }
    EXPECT_EQ(QImageReader::allocationLimit(), 1);  // put back
  }
  QImageReader::setAllocationLimit(limit);
  // Written as PNG it stays lossless.
  TBitmap b;
  ASSERT_TRUE(b.LoadFromAnyImageFile(file, 100'000'000));
  QImage back;
  const AnsiString png = b.SaveToPNGBytes();
  ASSERT_TRUE(back.loadFromData(reinterpret_cast<const uchar*>(png.data()), static_cast<int>(png.size()), "PNG"));
  EXPECT_EQ(back.pixelColor(7, 7), b.Image().pixelColor(7, 7));
}

TEST(GraphicsBitmap, RegistryKnowsOnlyOurClasses) {
  for (const char* name : {"TBitmap", "TJPEGImage", "TIcon", "TMetafile"}) {
    auto g = CreateGraphicOfClassName(name);
    ASSERT_TRUE(g) << name;
    EXPECT_EQ(g->ClassName(), name);
    EXPECT_TRUE(g->GetEmpty());
    EXPECT_TRUE(IsGraphicClassRegistered(name));
  }
  for (const char* name : {"TPngImage", "TGIFImage", "", "TObject", "TGraphic"}) {
    EXPECT_FALSE(CreateGraphicOfClassName(name)) << name;
  }
  EXPECT_EQ(GraphicClassForExtension(".JPG"), "TJPEGImage");
  EXPECT_EQ(GraphicClassForExtension("jpeg"), "TJPEGImage");
  EXPECT_EQ(GraphicClassForExtension("bmp"), "TBitmap");
  EXPECT_EQ(GraphicClassForExtension("emf"), "TMetafile");
  EXPECT_EQ(GraphicClassForExtension("png"), "");
  const String filter = GraphicFilter();
  EXPECT_EQ(filter.rfind("All (", 0), 0u);
  EXPECT_NE(filter.find("JPEG Image File (*.jpg)|*.jpg"), String::npos);
  EXPECT_NE(filter.find("|Bitmaps (*.bmp)|*.bmp"), String::npos);
}

TEST(GraphicsBitmap, PictureLoadsByExtension) {
  qytest::TempDir dir;
  TBitmap bmp;
  Gradient(bmp, 6, 4);
  const String bmpFile = (dir / "a.bmp").string();
  bmp.SaveToFile(bmpFile);
  TJPEGImage jpeg;
  jpeg.Assign(&bmp);
  const String jpgFile = (dir / "b.JPEG").string();
  jpeg.SaveToFile(jpgFile);

  TPicture picture;
  int changes = 0;
  picture.OnChange = [&](TObject*) { ++changes; };
  picture.LoadFromFile(bmpFile);
  EXPECT_EQ(picture.GetGraphic()->ClassName(), "TBitmap");
  EXPECT_EQ(picture.GetWidth(), 6);
  picture.LoadFromFile(jpgFile);
  EXPECT_EQ(picture.GetGraphic()->ClassName(), "TJPEGImage");
  EXPECT_EQ(picture.GetHeight(), 4);
  EXPECT_EQ(changes, 2);

  // Contents that do not match the extension, and unknown extensions.
  const String wrong = (dir / "c.jpg").string();
  qytest::WriteFileBytes(wrong, qytest::ReadFileBytes(bmpFile));
  EXPECT_THROW(picture.LoadFromFile(wrong), EInvalidGraphic);
  EXPECT_EQ(picture.GetGraphic()->ClassName(), "TJPEGImage");  // unchanged
  EXPECT_THROW(picture.LoadFromFile((dir / "d.png").string()), EInvalidGraphic);

  // Assigning copies the graphic; the copy is independent.
  TPicture other;
  other.Assign(&picture);
  ASSERT_TRUE(other.GetGraphic());
  EXPECT_NE(other.GetGraphic(), picture.GetGraphic());
  EXPECT_EQ(other.GetGraphic()->SaveToBytes(), picture.GetGraphic()->SaveToBytes());
  other.Bitmap();
  EXPECT_EQ(other.GetGraphic()->ClassName(), "TBitmap");
}

TEST(GraphicsBitmap, IconsAndMetafiles) {
  // An icon made from a bitmap saves as ICO and loads back at its size.
  TBitmap bmp;
  Gradient(bmp, 16, 16);
  TIcon icon;
  icon.Assign(&bmp);
  const AnsiString ico = icon.SaveToBytes();
  ASSERT_GE(ico.size(), 6u);
  TIcon back;
  back.LoadFromBytes(ico);
  EXPECT_EQ(back.GetWidth(), 16);
  EXPECT_EQ(back.SaveToBytes(), ico);  // loaded bytes are kept
  EXPECT_THROW(back.LoadFromBytes(AnsiString("\0\0\2\0\1\0", 6)), EInvalidGraphic);

  // An enhanced metafile header: frame 0..2540 x 0..1270 (0.01 mm).
  AnsiString emf(88, '\0');
  auto set32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) emf[at + static_cast<size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  set32(0, 1);
  set32(4, 88);
  set32(32, 2540);
  set32(36, 1270);
  set32(40, 0x464D4520);
  TMetafile meta;
  meta.LoadFromBytes(emf);
  EXPECT_TRUE(meta.Enhanced);
  EXPECT_EQ(meta.GetMMWidth(), 2540);
  EXPECT_EQ(meta.GetWidth(), 96);
  EXPECT_EQ(meta.GetHeight(), 48);
  EXPECT_EQ(meta.SaveToBytes(), emf);
  // A placeable Windows metafile: 1440 units per inch, 2880 x 720 units.
  AnsiString wmf(40, '\0');
  const uint8_t head[] = {0xD7, 0xCD, 0xC6, 0x9A, 0, 0, 0, 0, 0, 0, 0x40, 0x0B, 0xD0, 0x02, 0xA0, 0x05};
  std::memcpy(wmf.data(), head, sizeof head);
  TMetafile placeable;
  placeable.LoadFromBytes(wmf);
  EXPECT_FALSE(placeable.Enhanced);
  EXPECT_EQ(placeable.Inch, 1440);
  EXPECT_EQ(placeable.GetWidth(), 192);
  EXPECT_EQ(placeable.GetHeight(), 48);
  EXPECT_THROW(placeable.LoadFromBytes(AnsiString("nothing like a metafile")), EInvalidGraphic);
  // No player: a framed placeholder is drawn in the picture's box.
  QImage img(120, 60, QImage::Format_RGB32);
  img.fill(Qt::white);
  TCanvas canvas(static_cast<QPaintDevice*>(&img));
  canvas.StretchDraw(Rect(10, 5, 106, 53), &meta);
  canvas.ReleaseHandle();
  EXPECT_NE(img.pixel(10, 5) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(img.pixel(9, 5) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_EQ(img.pixel(106, 53) & 0xFFFFFF, 0xFFFFFFu);
}

TEST(GraphicsBitmap, RecordedMetafileReplays) {
  TMetafile meta;
  {
    TMetafileCanvas mc(&meta, nullptr);
    mc.Brush.Color = clRed;
    mc.FillRect(Rect(0, 0, 10, 10));
    mc.Brush.Color = clBlue;
    mc.FillRect(Rect(10, 0, 20, 10));
  }
  EXPECT_FALSE(meta.GetEmpty());
  EXPECT_EQ(meta.GetWidth(), 20);
  QImage img(40, 20, QImage::Format_RGB32);
  img.fill(Qt::white);
  TCanvas canvas(static_cast<QPaintDevice*>(&img));
  canvas.StretchDraw(Rect(0, 0, 40, 20), &meta);  // twice the size
  canvas.ReleaseHandle();
  EXPECT_EQ(img.pixel(15, 15) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(img.pixel(25, 15) & 0xFFFFFF, 0x0000FFu);
}

namespace {
// A holder that forgets its image list when the list goes.
class TListHolder : public TComponent {
 public:
  using TComponent::TComponent;
  TCustomImageList* List = nullptr;
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == List) List = nullptr;
  }
};
}  // namespace

TEST(GraphicsBitmap, ImageListRemovalReachesHolders) {
  TListHolder holder(nullptr);
  TChangeLink link;
  {
    TImageList list(nullptr, 8, 8);
    holder.List = &list;
    list.FreeNotification(&holder);
    list.RegisterChanges(&link);
    EXPECT_EQ(link.Sender, &list);
  }
  EXPECT_EQ(holder.List, nullptr);
  EXPECT_EQ(link.Sender, nullptr);
}

TEST(GraphicsBitmap, ImageListDrawsNormalGreyedAndBlended) {
  TImageList list(nullptr, 4, 4);
  TBitmap strip(8, 4);  // two images: red, then blue with a lime corner
  strip.Canvas()->Brush.Color = clRed;
  strip.Canvas()->FillRect(Rect(0, 0, 4, 4));
  strip.Canvas()->Brush.Color = clBlue;
  strip.Canvas()->FillRect(Rect(4, 0, 8, 4));
  strip.Canvas()->SetPixel(0, 3, clLime);
  strip.Canvas()->SetPixel(4, 3, clLime);
  TChangeLink link;
  int changes = 0;
  link.OnChange = [&](TObject*) { ++changes; };
  list.RegisterChanges(&link);
  EXPECT_EQ(list.AddMasked(&strip, clDefault), 0);
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(changes, 1);

  QImage img(30, 10, QImage::Format_RGB32);
  img.fill(Qt::white);
  TCanvas canvas(static_cast<QPaintDevice*>(&img));
  list.Draw(&canvas, 0, 0, 0);
  list.Draw(&canvas, 5, 0, 1, false);
  list.BlendColor = clWhite;
  list.Draw(&canvas, 10, 0, 0, dsSelected, true);
  canvas.ReleaseHandle();
  EXPECT_EQ(img.pixel(1, 1) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(img.pixel(0, 3) & 0xFFFFFF, 0xFFFFFFu);  // masked corner
  const QRgb grey = img.pixel(6, 1);
  EXPECT_EQ(qRed(grey), qGreen(grey));
  EXPECT_EQ(qGreen(grey), qBlue(grey));
  EXPECT_GT(qRed(grey), 127);  // lightened
  const QRgb blended = img.pixel(11, 1);
  EXPECT_EQ(qRed(blended), 255);
  EXPECT_NEAR(qGreen(blended), 127, 1);
  list.Delete(0);
  EXPECT_EQ(changes, 2);
  list.UnRegisterChanges(&link);
  list.Clear();
  EXPECT_EQ(changes, 2);
  EXPECT_THROW(list.Delete(3), EInvalidOperation);
}

TEST(GraphicsBitmap, DeviceDependentBitmaps) {
  struct Case {
    const char* Name;
    Integer W, H, Bits, WidthBytes;
    AnsiString Data;
    QRgb TopLeft, BottomRight;
  } cases[] = {
      {"1 bit, word rows", 3, 2, 1, 0, AnsiString("\x80\0\x20\0", 4), qRgb(255, 255, 255), qRgb(255, 255, 255)},
      {"4 bits", 2, 1, 4, 0, AnsiString("\x9C", 1), qRgb(255, 0, 0), qRgb(0, 0, 255)},
      {"8 bits, cube", 2, 1, 8, 0, AnsiString("\x0F\x10", 2), qRgb(255, 255, 255), qRgb(0, 0, 0)},
      {"24 bits, given stride", 1, 2, 24, 4, AnsiString("\x01\x02\x03\0\x04\x05\x06", 7), qRgb(3, 2, 1), qRgb(6, 5, 4)},
      {"32 bits", 1, 1, 32, 0, AnsiString("\x10\x20\x30\x00", 4), qRgb(0x30, 0x20, 0x10), qRgb(0x30, 0x20, 0x10)},
  };
  for (const auto& c : cases) {
    TBitmap bmp;
    ASSERT_NO_THROW(bmp.LoadFromDDB(c.W, c.H, 1, c.Bits, c.Data.data(), c.Data.size(), c.WidthBytes)) << c.Name;
    EXPECT_EQ(bmp.Image().pixel(0, 0), c.TopLeft) << c.Name;
    EXPECT_EQ(bmp.Image().pixel(c.W - 1, c.H - 1), c.BottomRight) << c.Name;
  }
  // Too little data for the rows, bad geometry: raised, nothing read beyond.
  TBitmap bmp;
  EXPECT_THROW(bmp.LoadFromDDB(100, 100, 1, 24, "abc", 3), EInvalidGraphic);
  EXPECT_THROW(bmp.LoadFromDDB(4, 4, 1, 8, "abcdefgh", 8, 2), EInvalidGraphic);
  EXPECT_THROW(bmp.LoadFromDDB(4, 4, 4, 1, "abcdefgh", 8), EInvalidGraphic);
  EXPECT_THROW(bmp.LoadFromDDB(0x10000, 0x10000, 1, 1, "", 0), EInvalidGraphic);
  EXPECT_TRUE(bmp.GetEmpty());
}

// Picture data of RTF into graphics: each kind decoded and sized, damaged
// data refused without reading past it.
#include "RTFTestSupport.h"

#include "richtext/rtf/VLRTFPictures.h"

#include <gtest/gtest.h>

#include <zlib.h>

namespace {

std::string Png(uint32_t w, uint32_t h, int colorType, int depth, const std::string& rows) {
  auto be = [](uint32_t v) {
    return std::string{static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                       static_cast<char>(v)};
  };
  auto chunk = [&](const std::string& type, const std::string& body) {
    const std::string td = type + body;
    return be(static_cast<uint32_t>(body.size())) + td +
           be(static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(td.data()), static_cast<uInt>(td.size()))));
  };
  std::string ihdr = be(w) + be(h) + std::string{static_cast<char>(depth), static_cast<char>(colorType), 0, 0, 0};
  uLongf len = compressBound(static_cast<uLong>(rows.size()));
  std::string z(len, '\0');
  compress(reinterpret_cast<Bytef*>(z.data()), &len, reinterpret_cast<const Bytef*>(rows.data()),
           static_cast<uLong>(rows.size()));
  z.resize(len);
  return std::string("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", ihdr) + chunk("IDAT", z) + chunk("IEND", "");
}

TEST(RTFPictureDecode, PngColourTypesAndFilters) {
  // 2 x 2 RGB: row 0 unfiltered, row 1 with the "up" filter.
  const std::string rgb = Png(2, 2, 2, 8, std::string("\0\xff\0\0\0\xff\0", 7) + std::string("\2\0\0\xff\0\0\0", 7));
  auto b = RTFDecodePNG(rgb.data(), rgb.size());
  ASSERT_TRUE(b);
  EXPECT_EQ(b->GetWidth(), 2);
  const auto* row1 = static_cast<const unsigned char*>(b->ScanLine(1));
  EXPECT_EQ(row1[2], 0xFF);  // red stays red in row 1
  EXPECT_EQ(row1[0], 0xFF);  // blue added by the filter
  // 1-bit palette.
  const std::string pal = Png(8, 1, 3, 1, std::string("\0\xaa", 2));
  std::string withPalette = pal.substr(0, 33);
  {
    const std::string plte("\0\0\0\xff\xff\xff", 6);
    std::string c = std::string("\0\0\0\6PLTE", 8) + plte;
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(c.data() + 4), 10);
    c += std::string{static_cast<char>(crc >> 24), static_cast<char>(crc >> 16), static_cast<char>(crc >> 8),
                     static_cast<char>(crc)};
    withPalette += c + pal.substr(33);
  }
  auto p = RTFDecodePNG(withPalette.data(), withPalette.size());
  ASSERT_TRUE(p);
  EXPECT_EQ(static_cast<const unsigned char*>(p->ScanLine(0))[0], 0xFF);
  EXPECT_EQ(static_cast<const unsigned char*>(p->ScanLine(0))[4], 0x00);
  // Damage: cut data, a huge size, an unknown filter.
  for (const std::string& bad : {rgb.substr(0, rgb.size() - 20), Png(70000, 70000, 2, 8, std::string(7, '\0')),
                                 Png(1, 1, 2, 8, std::string("\7\0\0\0", 4)), std::string("\x89PNG", 4)})
    EXPECT_FALSE(RTFDecodePNG(bad.data(), bad.size()));
}

TEST(RTFPictureDecode, KindsAndSizes) {
  struct Case {
    Byte Kind;
    std::string Data;
    Integer PicW, PicH, Mapping;
    Integer Width;  // -1: no graphic
  } cases[] = {
      {6, std::string("\x28\0\0\0\2\0\0\0\1\0\0\0\1\0\x18\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 40) +
              std::string(8, '\x7f'),
       0, 0, 0, 2},
      {6, std::string("\x28\0\0\0\xff\xff\0\0\1\0\0\0\1\0\x18\0", 16), 0, 0, 0, -1},
      {7, std::string("\xf0\0", 2), 8, 1, 0, 8},
      {7, std::string("\xf0", 1), 800, 600, 0, -1},
      {5, std::string("\1\0\x09\0\0\3\x0c\0\0\0\0\0\3\0\0\0\0\0", 18), 2540, 1270, 8, 96},
      {2, std::string("\xff\xd8\xff\xd9", 4), 0, 0, 0, -1},
      {3, std::string("PICT", 4), 0, 0, 0, -1},
  };
  for (const auto& c : cases) {
    TVLRTFPicture pic;
    pic.Kind = c.Kind;
    pic.PicW = c.PicW;
    pic.PicH = c.PicH;
    pic.MappingMode = c.Mapping;
    pic.Data.WriteBytes(c.Data);
    auto g = RTFDecodePicture(pic, 96);
    if (c.Width < 0) {
      EXPECT_FALSE(g) << static_cast<int>(c.Kind);
    } else {
      ASSERT_TRUE(g) << static_cast<int>(c.Kind);
      EXPECT_EQ(g->GetWidth(), c.Width) << static_cast<int>(c.Kind);
    }
  }
}

TEST(RTFPictureDecode, MetafileScaleAppliesOnlyWhenNotFull) {
  const std::string wmf = "0100090000030c0000000000030000000000";
  for (Integer scale : {100, 50}) {
    TVLStyle style(nullptr);
    TVLDocumentData doc(&style);
    TVLRTFReaderProperties props;
    ASSERT_EQ(rtftest::Import(props, doc,
                              "{\\rtf1 {\\pict\\wmetafile8\\picw2540\\pich1270\\picscalex" + std::to_string(scale) +
                                  " " + wmf + "}}"),
              0);
    auto* g = dynamic_cast<TVLGraphicItemInfo*>(doc.GetItem(0));
    ASSERT_TRUE(g);
    EXPECT_EQ(g->ImageWidth, scale == 100 ? 0 : 48);
    EXPECT_EQ(g->ImageHeight, 0);
  }
}

}  // namespace

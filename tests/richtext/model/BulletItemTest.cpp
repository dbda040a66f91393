// Bullets and hotspots: image lists supplied by number, index checks, hot
// images and painting with selection blending.
#include "platform/base/Streams.h"
#include "platform/gui/ImgList.h"
#include "richtext/model/VLData.h"

#include <gtest/gtest.h>

namespace {

// A list of 12 x 10 images in plain colours.
std::unique_ptr<TImageList> Colours(std::initializer_list<TColor> colours) {
  auto list = std::make_unique<TImageList>(nullptr, 12, 10);
  list->Tag = 7;
  for (TColor c : colours) {
    TBitmap b(12, 10);
    b.Canvas()->Brush.Color = c;
    b.Canvas()->FillRect(TRect(0, 0, 12, 10));
    list->Add(&b, nullptr);
  }
  return list;
}

bool Read(TVLDocumentData& doc, const AnsiString& vlf) {
  TStringStream in(vlf);
  TColor color = clNone;
  return doc.LoadVLFFromStream(in, color, nullptr, nullptr, nullptr);
}

}  // namespace

TEST(BulletItem, ReadsItsImageListByNumberAndChecksTheIndices) {
  auto list = Colours({clRed, clLime, clBlue});
  struct TCase {
    const char* Header;
    bool AllowLarge;
    bool Read;
    Integer Kind, Index, Hot;
    bool Warned;
  } cases[] = {
      {"-6 1 0 0 0 0 7 2", false, true, vlsBullet, 2, -1, false},
      {"-4 1 0 0 0 0 7 1", false, true, vlsHotspot, 1, 1, false},
      {"-4 1 0 0 0 0 7 1 2", false, true, vlsHotspot, 1, 2, false},
      {"-6 1 0 0 0 0 7 3", false, false, 0, 0, 0, true},
      {"-6 1 0 0 0 0 7 3", true, true, vlsBullet, 0, -1, true},
      {"-4 1 0 0 0 0 7 1 9", false, false, 0, 0, 0, true},
      {"-4 1 0 0 0 0 7 1 9", true, true, vlsHotspot, 1, 0, true},
      {"-6 1 0 0 0 0 7", false, false, 0, 0, 0, false},
  };
  TVLStyle style(nullptr);
  for (const TCase& c : cases) {
    TVLDocumentData doc(&style);
    if (c.AllowLarge) doc.VLFOptions.Include(vlfoConvLargeImageIdxToZero);
    Integer asked = -1;
    doc.OnVLFImageListNeeded = [&](TCustomVLData*, Integer tag, TComponent*& l) {
      asked = tag;
      l = list.get();
    };
    EXPECT_EQ(Read(doc, AnsiString("-8 1 3\r\n") + c.Header + "\r\nbullet\r\n"), c.Read) << c.Header;
    EXPECT_EQ(doc.GetVLFWarnings().Contains(vlfwConvLargeImageIdx), c.Warned) << c.Header;
    if (!c.Read) continue;
    EXPECT_EQ(asked, 7);
    ASSERT_EQ(doc.GetItemCount(), 1);
    auto* bullet = dynamic_cast<TVLBulletItemInfo*>(doc.GetItem(0));
    ASSERT_NE(bullet, nullptr);
    EXPECT_EQ(bullet->StyleNo, c.Kind);
    EXPECT_EQ(bullet->ImageIndex, c.Index) << c.Header;
    EXPECT_EQ(doc.GetItemTextA(0), "bullet");
    EXPECT_EQ(bullet->GetWidth(), 14);
    EXPECT_EQ(bullet->GetHeight(), 12);
    if (auto* hot = dynamic_cast<TVLHotspotItemInfo*>(bullet)) {
      EXPECT_EQ(hot->HotImageIndex, c.Hot) << c.Header;
      EXPECT_EQ(hot->GetBoolValueEx(3, nullptr), c.Hot != c.Index);
      EXPECT_EQ(hot->GetImageIndex(true), c.Hot);
    }
  }
}

TEST(BulletItem, WithoutAListItIsLeftOut) {
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  ASSERT_TRUE(Read(doc, "-8 1 3\r\n-6 1 0 0 0 0 7 2\r\nbullet\r\n"));
  EXPECT_EQ(doc.GetItemCount(), 0);
}

TEST(BulletItem, PaintsTheHotImageUnderTheMouseAndBlendsWhenSelected) {
  auto list = Colours({clRed, clLime});
  TVLStyle style(nullptr);
  style.SelColor = clBlue;
  style.InactiveSelColor = clBlack;
  style.HoverColor = clYellow;
  TVLHotspotItemInfo hot(nullptr);
  hot.ImageList = list.get();
  hot.ImageIndex = 0;
  hot.HotImageIndex = 1;
  struct TCase {
    TVLTextDrawStates State;
    TColor Inside, Corner;
  } cases[] = {
      {{}, clRed, clWhite},
      {{vltsItemStart}, clLime, clWhite},
      {{vltsSelected, vltsControlFocused}, 0x7F007F, clWhite},
      {{vltsSelected}, 0x00007F, clWhite},
      {{vltsHover}, clRed, clYellow},
  };
  for (const TCase& c : cases) {
    TBitmap out(30, 30);
    out.Canvas()->Brush.Color = clWhite;
    out.Canvas()->FillRect(TRect(0, 0, 30, 30));
    hot.Paint(5, 5, out.Canvas(), c.State, &style, nullptr);
    EXPECT_EQ(out.Canvas()->GetPixel(10, 10), c.Inside);
    EXPECT_EQ(out.Canvas()->GetPixel(5, 5), c.Corner);
  }
}

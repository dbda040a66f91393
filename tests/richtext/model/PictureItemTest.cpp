// Picture items: their boxes, painting, printing whole and over pages, extra
// properties and their VLF record, which keeps the stored bytes.
#include "platform/base/Streams.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/Jpeg.h"
#include "richtext/model/VLData.h"

#include <gtest/gtest.h>

#include <QImage>

namespace {

std::unique_ptr<TBitmap> Filled(Integer w, Integer h, TColor color) {
  auto b = std::make_unique<TBitmap>(w, h);
  b->Canvas()->Brush.Color = color;
  b->Canvas()->FillRect(TRect(0, 0, w, h));
  return b;
}

std::unique_ptr<TVLGraphicItemInfo> Picture(std::unique_ptr<TGraphic> g) {
  return TVLGraphicItemInfo::CreateEx(nullptr, std::move(g), vlvaBaseline);
}

AnsiString Write(TCustomVLData& doc) {
  TMemoryStream s;
  EXPECT_TRUE(doc.SaveVLFToStream(s, false, clNone, nullptr, bsNoBitmap, nullptr));
  return s.Bytes();
}

bool Read(TCustomVLData& doc, const AnsiString& vlf) {
  TStringStream in(vlf);
  TColor color = clNone;
  return doc.LoadVLFFromStream(in, color, nullptr, nullptr, nullptr);
}

AnsiString JpegBytes() {
  QImage img(40, 30, QImage::Format_RGB32);
  img.fill(qRgb(200, 60, 20));
  TBitmap b;
  b.SetImage(img);
  TJPEGImage jpeg;
  jpeg.Assign(&b);
  jpeg.Compress();
  return jpeg.SaveToBytes();
}

}  // namespace

TEST(PictureItem, BoxesTakeImageSizeAndSpacing) {
  struct TCase {
    Integer ExplicitW, ExplicitH, Spacing, Width, Height;
  } cases[] = {{0, 0, 1, 34, 18}, {0, 0, 0, 32, 16}, {10, 0, 1, 12, 18}, {-5, 40, 2, 36, 44}};
  for (const TCase& c : cases) {
    auto pic = Picture(std::make_unique<TBitmap>(32, 16));
    pic->ImageWidth = c.ExplicitW;
    pic->ImageHeight = c.ExplicitH;
    pic->Spacing = c.Spacing;
    EXPECT_EQ(pic->GetWidth(), c.Width) << c.ExplicitW;
    EXPECT_EQ(pic->GetHeight(), c.Height) << c.ExplicitH;
  }
  auto pic = Picture(std::make_unique<TBitmap>(32, 16));
  TVLScreenAndDevice sad;
  sad.ppixDevice = sad.ppiyDevice = 192;
  EXPECT_EQ(pic->GetMinWidth(nullptr, nullptr, nullptr), 34);
  EXPECT_EQ(pic->GetMinWidth(&sad, nullptr, nullptr), 68);
}

TEST(PictureItem, SplitsOverPagesOnlyWhereBothPartsKeepTheMinimum) {
  TVLScreenAndDevice sad;
  auto pic = Picture(std::make_unique<TBitmap>(10, 200));
  pic->MinHeightOnPage = 50;
  auto line = pic->CreateDrawLineInfo(sad);
  auto* multi = dynamic_cast<TVLMultiImagePrintInfo*>(line.get());
  ASSERT_NE(multi, nullptr);
  EXPECT_EQ(multi->Height, 202);
  EXPECT_THROW(multi->SplitAt(120), EVellumError);
  ASSERT_TRUE(multi->InitSplit());
  struct TCase {
    Integer Y;
    bool Allowed;
  } cases[] = {{120, true}, {160, false}, {30, false}, {0, false}, {150, true}, {250, true}};
  for (const TCase& c : cases) EXPECT_EQ(multi->CanSplitFirst(c.Y), c.Allowed) << c.Y;
  ASSERT_TRUE(multi->SplitAt(120));
  ASSERT_EQ(multi->PartsList.size(), 2u);
  EXPECT_EQ(multi->PartsList[0]->ImageHeight, 120);
  EXPECT_EQ(multi->PartsList[1]->ImageTop, 120);
  EXPECT_EQ(multi->PartsList[1]->ImageHeight, 80);
  EXPECT_EQ(multi->PartsList[1]->GetPartStart(), 120);
  // 80 rows left: a cut would leave less than 50 on one side.
  EXPECT_FALSE(multi->SplitAt(40));

  // Printed at twice the screen resolution, a device row is half a picture row.
  TVLScreenAndDevice fine;
  fine.ppiyDevice = 192;
  auto pic2 = Picture(std::make_unique<TBitmap>(10, 200));
  pic2->MinHeightOnPage = 50;
  auto line2 = pic2->CreateDrawLineInfo(fine);
  ASSERT_TRUE(line2->InitSplit());
  EXPECT_TRUE(line2->CanSplitFirst(240));
  EXPECT_FALSE(line2->CanSplitFirst(320));
}

TEST(PictureItem, PicturesThatMustNotSplitGetPlainDrawLines) {
  TVLScreenAndDevice sad;
  auto never = Picture(std::make_unique<TBitmap>(10, 200));
  auto meta = std::make_unique<TMetafile>();
  meta->SetWidth(10);
  meta->SetHeight(200);
  auto metafile = Picture(std::move(meta));
  metafile->MinHeightOnPage = 50;
  auto stretched = Picture(std::make_unique<TBitmap>(10, 200));
  stretched->MinHeightOnPage = 50;
  stretched->ImageHeight = 300;
  auto ownHeight = Picture(std::make_unique<TBitmap>(10, 200));
  ownHeight->MinHeightOnPage = 50;
  ownHeight->ImageHeight = 200;
  EXPECT_FALSE(never->CreateDrawLineInfo(sad)->InitSplit());
  EXPECT_EQ(dynamic_cast<TVLMultiImagePrintInfo*>(metafile->CreateDrawLineInfo(sad).get()), nullptr);
  EXPECT_EQ(dynamic_cast<TVLMultiImagePrintInfo*>(stretched->CreateDrawLineInfo(sad).get()), nullptr);
  EXPECT_NE(dynamic_cast<TVLMultiImagePrintInfo*>(ownHeight->CreateDrawLineInfo(sad).get()), nullptr);
}

TEST(PictureItem, PrintingAPagePartShiftsThePictureUp) {
  auto bmp = std::make_unique<TBitmap>(10, 200);
  bmp->Canvas()->Brush.Color = clRed;
  bmp->Canvas()->FillRect(TRect(0, 0, 10, 100));
  bmp->Canvas()->Brush.Color = clLime;
  bmp->Canvas()->FillRect(TRect(0, 100, 10, 200));
  auto pic = Picture(std::move(bmp));
  pic->MinHeightOnPage = 50;
  TVLScreenAndDevice sad;
  auto line = pic->CreateDrawLineInfo(sad);
  ASSERT_TRUE(line->InitSplit());
  ASSERT_TRUE(line->SplitAt(100));
  for (Integer part : {0, 1}) {
    TBitmap out(10, 100);
    ASSERT_TRUE(pic->PrintToBitmap(&out, false, nullptr, line.get(), part, vlcmColor));
    EXPECT_EQ(out.Canvas()->GetPixel(5, 50), part == 0 ? clRed : clLime) << part;
  }
}

TEST(PictureItem, PaintsThePictureInsideItsSpacingWithHoverAndSelectionFrames) {
  TVLStyle style(nullptr);
  style.HoverColor = clBlue;
  style.SelColor = clYellow;
  style.InactiveSelColor = clFuchsia;
  auto pic = Picture(Filled(8, 8, clRed));
  pic->Spacing = 2;
  struct TCase {
    TVLTextDrawStates State;
    TColor Outside, Border, Inside;
  } cases[] = {
      {{}, clWhite, clWhite, clRed},
      {{vltsHover}, clBlue, clWhite, clRed},
      {{vltsSelected, vltsControlFocused}, clWhite, clYellow, clRed},
      {{vltsSelected}, clWhite, clFuchsia, clRed},
  };
  for (const TCase& c : cases) {
    TBitmap canvas(40, 40);
    canvas.Canvas()->Brush.Color = clWhite;
    canvas.Canvas()->FillRect(TRect(0, 0, 40, 40));
    pic->Paint(10, 10, canvas.Canvas(), c.State, &style, nullptr);
    EXPECT_EQ(canvas.Canvas()->GetPixel(9, 15), c.Outside);
    EXPECT_EQ(canvas.Canvas()->GetPixel(10, 15), c.Border);
    EXPECT_EQ(canvas.Canvas()->GetPixel(12, 12), c.Inside);
    EXPECT_EQ(canvas.Canvas()->GetPixel(19, 19), c.Inside);
    EXPECT_EQ(canvas.Canvas()->GetPixel(21, 21), c.Border);
  }
}

TEST(PictureItem, ExtraPropertiesGoToTheirOwnFieldsAndTransparencyOnlyToBitmaps) {
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  auto bmp = Filled(4, 4, clGreen);
  auto pic = Picture(std::move(bmp));
  pic->StyleNo = vlsPicture;
  pic->Alt = "the alt";
  pic->ImageFileName = "photo.jpg";
  pic->ImageWidth = 8;
  pic->MinHeightOnPage = 3;
  EXPECT_TRUE(pic->SetExtraIntProperty(vleipTransparent, 1));
  EXPECT_TRUE(pic->SetExtraIntProperty(vleipTransparentColor, clGreen));
  EXPECT_EQ(pic->GetVLFExtraPropertyCount(), 7);
  doc.AddItem("p", pic.release());
  const AnsiString vlf = Write(doc);
  EXPECT_NE(vlf.find("width=8\r\nminheightonpage=3\r\ntransparent=1\r\ntmode=1\r\ntcolor=32768\r\n"
                     "filename=photo.jpg\r\nalt=the alt\r\n"),
            AnsiString::npos);
  TVLDocumentData back(&style);
  ASSERT_TRUE(Read(back, vlf));
  auto* read = dynamic_cast<TVLGraphicItemInfo*>(back.GetItem(0));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->Alt, "the alt");
  EXPECT_EQ(read->ImageFileName, "photo.jpg");
  Integer v = 0;
  EXPECT_TRUE(read->GetExtraIntProperty(vleipTransparent, v));
  EXPECT_EQ(v, 1);
  EXPECT_TRUE(read->GetExtraIntProperty(vleipTransparentColor, v));
  EXPECT_EQ(v, clGreen);
  EXPECT_EQ(Write(back), vlf);

  auto jpeg = std::make_unique<TJPEGImage>();
  jpeg->LoadFromBytes(JpegBytes());
  auto photo = Picture(std::move(jpeg));
  EXPECT_FALSE(photo->SetExtraIntProperty(vleipTransparent, 1));
  EXPECT_FALSE(photo->GetExtraIntProperty(vleipTransparentMode, v));
}

TEST(PictureItem, JpegBytesSurviveAVLFRoundTripUnchanged) {
  const AnsiString bytes = JpegBytes();
  TVLStyle style(nullptr);
  for (bool binary : {true, false}) {
    TVLDocumentData doc(&style);
    if (!binary) doc.VLFOptions.Exclude(vlfoSaveBinary);
    auto jpeg = std::make_unique<TJPEGImage>();
    jpeg->LoadFromBytes(bytes);
    auto pic = Picture(std::move(jpeg));
    pic->StyleNo = vlsHotPicture;
    doc.AddItem("photo", pic.release());
    const AnsiString vlf = Write(doc);
    TVLDocumentData back(&style);
    if (!binary) back.VLFOptions.Exclude(vlfoSaveBinary);
    ASSERT_TRUE(Read(back, vlf));
    auto* read = dynamic_cast<TVLHotGraphicItemInfo*>(back.GetItem(0));
    ASSERT_NE(read, nullptr);
    ASSERT_NE(dynamic_cast<TJPEGImage*>(read->Image.get()), nullptr);
    EXPECT_EQ(read->Image->SaveToBytes(), bytes);
    EXPECT_EQ(read->GetSourceBytes(), bytes);
    EXPECT_EQ(Write(back), vlf);
  }
}

TEST(PictureItem, PicturesSuppliedByTheApplicationComeByName) {
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  doc.VLFOptions.Exclude(vlfoSavePicturesBody);
  auto pic = Picture(std::make_unique<TBitmap>(5, 6));
  pic->StyleNo = vlsPicture;
  pic->Alt = "x";
  doc.AddItem("logo", pic.release());
  const AnsiString vlf = Write(doc);
  EXPECT_EQ(vlf, "-8 1 3 1\r\n-3 2 0 0 1 0 0\r\nlogo\r\nalt=x\r\n-8 1 3\r\n");
  TVLDocumentData back(&style);
  std::vector<String> asked;
  back.OnVLFPictureNeeded = [&](TCustomVLData*, const String& name, Integer, std::unique_ptr<TGraphic>& g) {
    asked.push_back(name);
    g = std::make_unique<TBitmap>(7, 9);
  };
  ASSERT_TRUE(Read(back, vlf));
  ASSERT_EQ(asked, std::vector<String>{"logo"});
  auto* read = dynamic_cast<TVLGraphicItemInfo*>(back.GetItem(0));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->GetWidth(), 9);
  EXPECT_EQ(read->Alt, "x");
}

TEST(PictureItem, PictureDataClaimingMoreThanItHoldsIsNotDecoded) {
  // A bitmap header that claims 60000 x 60000 pixels in a few bytes.
  AnsiString bmp = TBitmap(2, 2).SaveToBytes();
  for (size_t at : {18u, 22u}) {
    bmp[at] = '\x60';
    bmp[at + 1] = '\xEA';
    bmp[at + 2] = 0;
    bmp[at + 3] = 0;
  }
  AnsiString vlf = "-8 1 3 1\r\n-3 3 0 0 0 0 0\r\np\r\nTBitmap\r\n";
  static const char hex[] = "0123456789ABCDEF";
  for (unsigned char c : bmp) {
    vlf += hex[c >> 4];
    vlf += hex[c & 15];
  }
  vlf += "\r\n-8 1 3\r\n";
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  doc.VLFOptions.Exclude(vlfoSaveBinary);
  ASSERT_TRUE(Read(doc, vlf));
  EXPECT_TRUE(doc.GetVLFWarnings().Contains(vlfwInvalidPicture));
  auto* read = dynamic_cast<TVLGraphicItemInfo*>(doc.GetItem(0));
  ASSERT_NE(read, nullptr);
  EXPECT_LT(read->GetWidth(), 1000);
  EXPECT_EQ(Write(doc), vlf);
}

TEST(PictureItem, GraphicsOfRunTimeClassesComeFromTheReplaceableFunction) {
  // The application's function sees every class asked for; names that our
  // registry does not know never reach it.
  const TVLCreateGraphicFunc saved = CreateGraphicOfClass;
  std::vector<String> asked;
  CreateGraphicOfClass = [&](const String& className) {
    asked.push_back(className);
    return saved(className);
  };
  struct TRestore {
    const TVLCreateGraphicFunc& Saved;
    ~TRestore() { CreateGraphicOfClass = Saved; }
  } restore{saved};

  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  auto pic = Picture(Filled(4, 3, clRed));
  pic->StyleNo = vlsPicture;
  doc.AddItem("p", pic.release());
  AnsiString vlf = Write(doc);
  TVLDocumentData back(&style);
  ASSERT_TRUE(Read(back, vlf));
  EXPECT_EQ(asked, std::vector<String>{"TBitmap"});

  // A copy of a picture is made the same way.
  asked.clear();
  auto copy = Picture(nullptr);
  copy->Assign(back.GetItem(0));
  EXPECT_EQ(asked, std::vector<String>{"TBitmap"});
  EXPECT_EQ(copy->GetImageWidth(nullptr), 4);

  // A class of the document's own choosing is refused before the function.
  asked.clear();
  const size_t at = vlf.find("TBitmap");
  ASSERT_NE(at, AnsiString::npos);
  vlf.replace(at, 7, "TShellX");
  TVLDocumentData strange(&style);
  EXPECT_FALSE(Read(strange, vlf));
  EXPECT_TRUE(asked.empty());
}

// Documents built to hurt: picture and numbering bombs, counters at the edge
// of their range, records of unknown kinds. Each loads quickly with a
// warning, keeps the rest of its content and saves without growing.
#include "platform/base/Streams.h"
#include "platform/gui/Graphics.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLFMisc.h"
#include "richtext/model/VLKeptRecord.h"
#include "richtext/model/VLMarkers.h"
#include "richtext/model/VLPictureLimits.h"
#include "support/TestSupport.h"
#include "support/WorkCost.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

namespace {

AnsiString Le32(uint32_t v) {
  AnsiString s;
  for (int k = 0; k < 4; ++k) s += static_cast<char>((v >> (8 * k)) & 0xFF);
  return s;
}
AnsiString Le16(uint32_t v) { return Le32(v).substr(0, 2); }

// An 8-bit RLE bitmap claiming width x height whose data end at once.
AnsiString RleBomb(uint32_t width, uint32_t height) {
  AnsiString info = Le32(40) + Le32(width) + Le32(height) + Le16(1) + Le16(8) + Le32(1) + Le32(0) + Le32(0) +
                    Le32(0) + Le32(2) + Le32(0);
  AnsiString palette = AnsiString(8, '\0');
  AnsiString bits("\x00\x01", 2);  // end of bitmap
  const uint32_t off = 14 + 40 + 8;
  return "BM" + Le32(off + static_cast<uint32_t>(bits.size())) + Le32(0) + Le32(off) + info + palette + bits;
}

AnsiString SmallBitmap() {
  TBitmap b(4, 3);
  return b.SaveToBytes();
}

AnsiString PictureRecord(const AnsiString& cls, const AnsiString& bytes) {
  return "-3 3 0 0 2 0 0\r\npic\r\n" + cls + "\r\n" + Le32(static_cast<uint32_t>(bytes.size())) + bytes;
}

struct TLoaded {
  bool Ok = false;
  double Seconds = 0;
  TVLFWarnings Warnings;
};

TLoaded Load(TVLDocumentData& doc, const AnsiString& bytes) {
  TStringStream s(bytes);
  TColor color = clNone;
  TLoaded r;
  // CPU time, not the clock's: a loaded machine does not change it.
  r.Seconds = qytest::MeasureWork([&] { r.Ok = doc.LoadVLFFromStream(s, color, nullptr, nullptr, nullptr); }).CpuSeconds;
  r.Warnings = doc.GetVLFWarnings();
  return r;
}

AnsiString Save(TVLDocumentData& doc) {
  TMemoryStream out;
  EXPECT_TRUE(doc.SaveVLFToStream(out, false, clNone, nullptr, bsNoBitmap, nullptr));
  return out.Bytes();
}

int64_t Pixels(const TGraphic* g) { return g ? int64_t{g->GetWidth()} * g->GetHeight() : 0; }

}  // namespace

TEST(HostileVLF, ReproducersLoadQuicklyWithWarningsAndSaveWithoutGrowing) {
  struct TCase {
    const char* File;
    TVLFWarning Warning;
  };
  const TCase cases[] = {
      {"repro-rle-bomb-x4.vlf", vlfwInvalidPicture},
      {"repro-roman-amplification.vlf", vlfwInvalidData},
      {"repro-counter-overflow.vlf", vlfwInvalidData},
  };
  for (const TCase& c : cases) {
    const AnsiString bytes =
        qytest::ReadFileBytes(qytest::SourceDir() / "tests/richtext/model/data/repro" / c.File);
    ASSERT_FALSE(bytes.empty()) << c.File;
    TVLStyle style(nullptr);
    TVLDocumentData doc(&style);
    doc.VLFOptions.Include(vlfoSaveTextStyles);
    doc.VLFOptions.Include(vlfoSaveParaStyles);
    TLoaded r = Load(doc, bytes);
    EXPECT_TRUE(r.Ok) << c.File;
    EXPECT_GT(doc.GetItemCount(), 0) << c.File;
    EXPECT_LT(r.Seconds, 5.0) << c.File;
    if (c.Warning != vlfwInvalidData) {
      EXPECT_TRUE(r.Warnings.Contains(c.Warning)) << c.File;
    }
    for (Integer i = 0; i < doc.GetItemCount(); ++i) {
      EXPECT_LE(Pixels(doc.GetItem(i)->GetGraphic()), 1 << 22);
    }
    if (TVLMarkerList* list = doc.GetMarkers(false)) {
      for (Integer i = 0; i < list->Count(); ++i) {
        EXPECT_LE(list->GetDisplayString(i).size(), VLMaxMarkerTextLength) << c.File;
      }
    }
    // What was read is written back, pictures as their own bytes.
    EXPECT_LT(Save(doc).size(), 4 * bytes.size() + 65536) << c.File;
  }
}

TEST(HostileVLF, PictureLimitsWeighClaimedSizeAgainstData) {
  struct TCase {
    const char* Name;
    AnsiString Bytes;
    bool Within;
  };
  const AnsiString jpegHeader("\xFF\xD8\xFF\xC0\x00\x11\x08\xFF\xFF\xFF\xFF\x03", 12);
  const TCase cases[] = {
      {"small bitmap", SmallBitmap(), true},
      {"RLE bitmap claiming 16384 squared", RleBomb(16384, 16384), false},
      {"RLE bitmap of two megapixels", RleBomb(2000, 1000), true},
      {"bitmap over the absolute cap", RleBomb(20000, 20000) + AnsiString(2'000'000, '\0'), false},
      {"JPEG frame claiming 65535 squared", jpegHeader + AnsiString(100, '\0'), false},
      {"negative height counts by size", RleBomb(16384, static_cast<uint32_t>(-16384)), false},
      {"data without a known header", "not a picture", true},
  };
  for (const TCase& c : cases) EXPECT_EQ(VLPictureWithinLimits(c.Bytes), c.Within) << c.Name;
}

TEST(HostileVLF, PictureOverTheLimitsIsABadPictureKeptForSaving) {
  const AnsiString bomb = RleBomb(16384, 16384);
  for (bool binary : {true, false}) {
    TVLStyle style(nullptr);
    TVLDocumentData doc(&style);
    if (!binary) doc.VLFOptions.Exclude(vlfoSaveBinary);
    const AnsiString in = "-8 1 3 1\r\n" + PictureRecord("TBitmap", bomb) + "0 1 0 0 0 0\r\nafter\r\n-8 1 3\r\n";
    TLoaded r = Load(doc, in);
    ASSERT_TRUE(r.Ok);
    EXPECT_TRUE(r.Warnings.Contains(vlfwInvalidPicture));
    ASSERT_EQ(doc.GetItemCount(), 2);
    EXPECT_EQ(doc.GetItemTextA(1), "after");
    auto* pic = dynamic_cast<TVLGraphicItemInfo*>(doc.GetItem(0));
    ASSERT_NE(pic, nullptr);
    EXPECT_LE(Pixels(pic->Image.get()), 1 << 16);
    const AnsiString out = Save(doc);
    if (binary) {
      EXPECT_EQ(out, in);
    } else {
      EXPECT_NE(out.find("TBitmap\r\n"), AnsiString::npos);
    }
    // Read again, the same bytes come back.
    TVLDocumentData again(&style);
    Load(again, out);
    auto* pic2 = dynamic_cast<TVLGraphicItemInfo*>(again.GetItem(0));
    ASSERT_NE(pic2, nullptr);
    EXPECT_EQ(pic2->GetSourceBytes(), bomb);
  }
}

TEST(HostileVLF, UnchangedPictureIsSavedFromItsBytesAndAChangedOneReencoded) {
  // A bitmap whose own bytes differ from what the bitmap writer makes.
  AnsiString bytes = SmallBitmap();
  bytes += "trailing bytes the writer would not make";
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  ASSERT_TRUE(Load(doc, "-8 1 3\r\n" + PictureRecord("tbitmap", bytes)).Ok);
  const AnsiString out = Save(doc);
  EXPECT_NE(out.find("tbitmap\r\n" + Le32(static_cast<uint32_t>(bytes.size())) + bytes), AnsiString::npos);
  auto* pic = dynamic_cast<TVLGraphicItemInfo*>(doc.GetItem(0));
  ASSERT_NE(pic, nullptr);
  // A copy keeps them too.
  TVLGraphicItemInfo copy(&doc);
  copy.Assign(pic);
  EXPECT_TRUE(copy.HasSource());
  static_cast<TBitmap*>(pic->Image.get())->SetSize(8, 8);
  EXPECT_FALSE(pic->HasSource());
  const AnsiString changed = Save(doc);
  EXPECT_EQ(changed.find("trailing bytes"), AnsiString::npos);
  EXPECT_NE(changed.find("TBitmap\r\n"), AnsiString::npos);
}

TEST(HostileVLF, UnknownRecordsAreKeptAndWrittenBackUnchanged) {
  struct TCase {
    const char* Name;
    AnsiString Record;
  };
  const TCase cases[] = {
      {"text lines", "-60 2 0 0 0 0 1 2 3\r\nrow one\r\nrow two\r\n"},
      {"binary block", "-77 2 -1 1 2 0 x\r\nname\r\n" + Le32(5) + AnsiString("\0\r\n\x01z", 5)},
      {"no lines", "-99 0 0 0 0 0\r\n"},
  };
  for (const TCase& c : cases) {
    TVLStyle style(nullptr);
    TVLDocumentData doc(&style);
    const AnsiString in =
        "-8 1 3 1\r\n0 1 0 0 0 0\r\nbefore\r\n" + c.Record + "0 1 0 0 0 0\r\nafter\r\n-8 1 3\r\n";
    TLoaded r = Load(doc, in);
    ASSERT_TRUE(r.Ok) << c.Name;
    ASSERT_EQ(doc.GetItemCount(), 3) << c.Name;
    EXPECT_EQ(doc.GetItemTextA(2), "after") << c.Name;
    EXPECT_NE(dynamic_cast<TVLKeptRecordItemInfo*>(doc.GetItem(1)), nullptr) << c.Name;
    EXPECT_EQ(Save(doc), in) << c.Name;
  }
  // From a stream without item options the record gains them, as a
  // stream written here has them.
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  ASSERT_TRUE(Load(doc, "-60 1 0 0 0\r\nx\r\n").Ok);
  EXPECT_EQ(Save(doc), "-8 1 3 1\r\n-60 1 0 0 0 0\r\nx\r\n-8 1 3\r\n");
}

TEST(HostileVLF, EmptyParametersReadAsDefaults) {
  struct TCase {
    const char* Name;
    AnsiString Header;
  };
  const TCase cases[] = {
      {"break", "-1 0 0 0 0 0 \r\n"},
      {"break without the space", "-1 0 0 0 0 0\r\n"},
      {"picture", "-3 1 0 0 1 0 \r\npic\r\n"},
      {"hypertext picture", "-10 1 0 0 1 0\r\npic\r\n"},
  };
  for (const TCase& c : cases) {
    TVLStyle style(nullptr);
    TVLDocumentData doc(&style);
    // Pictures without a body come from the application.
    doc.OnVLFPictureNeeded = [](TCustomVLData*, const String&, Integer, std::unique_ptr<TGraphic>& g) {
      g = std::make_unique<TBitmap>(2, 2);
    };
    TLoaded r = Load(doc, "-8 1 3\r\n" + c.Header);
    ASSERT_TRUE(r.Ok) << c.Name;
    ASSERT_EQ(doc.GetItemCount(), 1) << c.Name;
    if (auto* b = dynamic_cast<TVLBreakItemInfo*>(doc.GetItem(0))) {
      EXPECT_EQ(b->Color, clNone);
      EXPECT_EQ(b->Style, 0);
      EXPECT_EQ(b->LineWidth, 1);
    } else {
      auto* rect = dynamic_cast<TVLRectItemInfo*>(doc.GetItem(0));
      ASSERT_NE(rect, nullptr) << c.Name;
      EXPECT_EQ(rect->VAlign, vlvaBaseline) << c.Name;
    }
  }
}

TEST(HostileVLF, CountersSaturateAndNumbersStayShort) {
  TVLStyle style(nullptr);
  TVLListInfo* list = style.ListStyles->Add();
  TVLListLevel* level = list->Levels->Add();
  level->ListType = vllstUpperRoman;
  AnsiString format;
  for (int i = 0; i < 1000; ++i) format += "%0:s.";
  level->FormatString = format;
  struct TCase {
    Integer StartFrom;
    Integer Second;
    const char* SecondText;
  };
  const TCase cases[] = {
      {INT_MAX, INT_MAX, "2147483647."},
      {4998, 4999, "MMMMCMXCIX."},
      {100000000, 100000001, "100000001."},
  };
  for (const TCase& c : cases) {
    TVLDocumentData doc(&style);
    doc.SetListMarker(doc.GetItemCount(), 0, 0, c.StartFrom, 0, true);
    doc.AddTextItem("a", 0, -1);
    doc.SetListMarker(doc.GetItemCount(), 0, 0, 1, 0, false);
    doc.AddTextItem("b", 0, -1);
    TVLMarkerList* markers = doc.GetMarkers(false);
    ASSERT_NE(markers, nullptr);
    ASSERT_EQ(markers->Count(), 2);
    EXPECT_EQ(markers->GetCounter(1), c.Second);
    const AnsiString& text = markers->GetDisplayString(1);
    EXPECT_EQ(text.size(), VLMaxMarkerTextLength);
    EXPECT_EQ(text.substr(0, strlen(c.SecondText)), c.SecondText);
  }
}

namespace {

AnsiString AllBytes() {
  AnsiString s;
  for (int b = 0; b < 256; ++b) s += static_cast<char>(b);
  return s;
}

}  // namespace

TEST(HostileVLF, OneLineStringsKeepEveryByteAndPlainOnesKeepTheFormatsEscape) {
  // What the format's own escape writes is what is written whenever the
  // string has none of the bytes that escape cannot carry back.
  const AnsiString plain[] = {"", "tip", "two\r\nlines", "quote \" and\ttab", "\xE9t\xE9"};
  for (const AnsiString& s : plain) {
    EXPECT_EQ(VLFEncodeOneLine(s), VLFEncodeLineBreaks(s));
    EXPECT_EQ(VLFDecodeOneLine(VLFEncodeOneLine(s)), s);
  }
  const AnsiString all = AllBytes();
  const AnsiString encoded = VLFEncodeOneLine(all);
  EXPECT_EQ(encoded.find_first_of(AnsiString("\r\n\0", 3)), AnsiString::npos);
  EXPECT_EQ(VLFDecodeOneLine(encoded), all);
  // A stray escape byte stands for itself.
  EXPECT_EQ(VLFDecodeOneLine("a\x10z\x10"), "a\x10z\x10");
}

TEST(HostileVLF, EveryByteValueSurvivesASaveInHintsTagsNamesAndText) {
  const AnsiString all = AllBytes();
  for (bool binary : {false, true}) {
    TVLStyle style(nullptr);
    TVLDocumentData doc(&style);
    doc.Options.Include(vloTagsArePChars);
    doc.SetState(doc.GetState() | vlstViewDocument);
    doc.DocProperties = std::make_unique<TStringList>();
    doc.DocProperties->Add(all);
    doc.VLFOptions.Include(vlfoSaveDocProperties);
    if (!binary) doc.VLFOptions.Exclude(vlfoSaveBinary);
    TVLTag tag;
    tag.Str = all;
    doc.AddTextItemTag("text", 0, 0, tag);
    doc.GetItem(0)->Hint = all;
    auto pic = TVLGraphicItemInfo::CreateEx(&doc, std::make_unique<TBitmap>(2, 2), vlvaBaseline);
    pic->StyleNo = vlsPicture;
    pic->Hint = all;
    pic->Alt = all;
    doc.AddTextItem(all, 0, 0);
    doc.AddItem(all, pic.release());
    doc.NotAddedCP = new TVLCPInfo();
    doc.NotAddedCP->Name = all;
    ++doc.CPCount;
    const AnsiString bytes = Save(doc);

    TVLDocumentData back(&style);
    back.Options.Include(vloTagsArePChars);
    back.DocProperties = std::make_unique<TStringList>();
    TLoaded r = Load(back, bytes);
    ASSERT_TRUE(r.Ok) << binary;
    ASSERT_EQ(back.GetItemCount(), 3);
    EXPECT_EQ(back.GetItem(0)->Hint, all);
    EXPECT_EQ(back.GetItem(0)->Tag.Str, all);
    EXPECT_EQ(back.GetItemTextA(1), doc.GetItemTextA(1));
    EXPECT_FALSE(back.GetItem(1)->IsUnicode());
    EXPECT_EQ(back.GetItemTextA(2), all);
    EXPECT_EQ(back.GetItem(2)->Hint, all);
    EXPECT_EQ(dynamic_cast<TVLGraphicItemInfo*>(back.GetItem(2))->Alt, all);
    ASSERT_NE(back.NotAddedCP, nullptr);
    EXPECT_EQ(back.NotAddedCP->Name, all);
    ASSERT_EQ(back.DocProperties->Count(), 1);
    EXPECT_EQ(back.DocProperties->Get(0), all);
  }
}

TEST(HostileVLF, EightBitTextInHexadecimalOfEarlierWritersStillReads) {
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  ASSERT_TRUE(Load(doc, "-8 1 3\r\n0 1 0 0 3 0\r\n610D0A62\r\n").Ok);
  ASSERT_EQ(doc.GetItemCount(), 1);
  EXPECT_EQ(doc.GetItemTextA(0), "a\r\nb");
}

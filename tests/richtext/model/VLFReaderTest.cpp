// The VLF reader on hand-written streams: what it accepts, what it repairs
// and what it refuses without reading past the data.
#include "platform/base/Streams.h"
#include "richtext/model/VLData.h"
#include "platform/gui/Graphics.h"
#include "richtext/model/VLMarkers.h"

#include <gtest/gtest.h>

namespace {

AnsiString Bin32(uint32_t v) {
  AnsiString s;
  for (int k = 0; k < 4; ++k) s += static_cast<char>((v >> (8 * k)) & 0xFF);
  return s;
}

struct TReadResult {
  bool Ok;
  Integer Count;
  TVLFWarnings Warnings;
};

TReadResult Read(TVLDocumentData& doc, const AnsiString& bytes) {
  TStringStream s(bytes);
  TColor color = clNone;
  bool ok = doc.LoadVLFFromStream(s, color, nullptr, nullptr, nullptr);
  return {ok, doc.GetItemCount(), doc.GetVLFWarnings()};
}

}  // namespace

TEST(VLFReader, FixturesReadAsTheFormatSays) {
  struct TCase {
    const char* Name;
    AnsiString Bytes;
    bool Ok;
    Integer Items;
  };
  const TCase cases[] = {
      {"empty stream", "", true, 0},
      {"version record only", "-8 1 3\r\n", true, 0},
      {"version 1.0 text item", "0 1 0 0 0\r\nHello\r\n", true, 1},
      {"one record", "-8 1 3\r\n0 1 0 0 0 0\r\nabc\r\n", true, 1},
      {"three paragraphs", "-8 1 3\r\n0 3 0 0 0 0\r\na\r\nb\r\nc\r\n", true, 3},
      {"break without lines", "-8 1 3\r\n-1 0 0 0 0 0 255 0 2\r\n", true, 1},
      {"lone LF line ends", "-8 1 3\n0 1 0 0 0 0\nx\n", true, 1},
      {"header not a number", "-8 1 3\r\nabc 1 0 0 0 0\r\nx\r\n", false, 0},
      {"ends inside a record", "-8 1 3\r\n0 3 0 0 0 0\r\na\r\n", false, 1},
      {"unknown item kind is kept", "-8 1 3\r\n-77 1 0 0 0 0\r\nx\r\n", true, 1},
      {"negative line count", "-8 1 3\r\n0 -1 0 0 0 0\r\n", false, 0},
      {"truncated binary block",
       "-8 1 3\r\n-3 3 0 0 2 0 0\r\npic\r\nTBitmap\r\n" + Bin32(100) + AnsiString(10, 'x'), false, 0},
      {"binary length past the end", "-8 1 3\r\n-9 2 0 0 2 0 1\r\n\r\n" + Bin32(0xFFFFFFF0u), false, 0},
      {"binary block after a lone LF", "-8 1 3\r\n-9 2 0 0 2 0 1\r\n\n" + Bin32(1) + "\x0e", false, 0},
      {"raw Unicode without CR LF", "-8 1 3\r\n0 1 0 8 0 0\na\x00\x29\x20", false, 0},
      {"odd raw Unicode at the end", AnsiString("-8 1 3\r\n0 1 0 8 0 0\r\na\x00" "b", 13), false, 0},
      {"raw Unicode stopped by U+0000 cannot repeat empty lines",
       AnsiString("-8 1 3\r\n0 100000 0 8 0 0\r\n \0\0\0", 30), false, 0},
      {"bad hexadecimal line", "-8 1 3\r\n0 1 0 8 3 0\r\n41Z0\r\n", false, 0},
      {"layout shorter than its minimum", "-8 1 3\r\n-9 2 0 0 0 0 3\r\n\r\n0000000010000000\r\n", true, 0},
      {"a version line inside, as a selection in a cell was written",
       "-8 1 3\r\n0 1 0 0 0 0\r\nx\r\n-8 1 3\r\n0 1 0 0 0 0\r\ny\r\n", true, 2},
      {"end line announced and there", "-8 1 3 1\r\n0 1 0 0 0 0\r\nabc\r\n-8 1 3\r\n", true, 1},
      {"end line announced, cut between records", "-8 1 3 1\r\n0 1 0 0 0 0\r\nabc\r\n", false, 1},
      {"end line announced, cut after the version line", "-8 1 3 1\r\n", false, 0},
      {"records after the end line", "-8 1 3 1\r\n0 1 0 0 0 0\r\na\r\n-8 1 3\r\n0 1 0 0 0 0\r\nb\r\n", false, 2},
      {"selection in a cell cut after the cell's announcement",
       "-8 1 3 1\r\n0 1 0 0 0 0\r\nx\r\n-8 1 3 1\r\n", false, 1},
      {"selection in a cell ended", "-8 1 3 1\r\n-8 1 3 1\r\n0 1 0 0 0 0\r\nx\r\n-8 1 3\r\n", true, 1},
  };
  for (const TCase& c : cases) {
    TVLStyle style(nullptr);
    TVLDocumentData doc(&style);
    TReadResult r = Read(doc, c.Bytes);
    EXPECT_EQ(r.Ok, c.Ok) << c.Name;
    EXPECT_EQ(r.Count, c.Items) << c.Name;
    if (!c.Ok) {
      EXPECT_TRUE(r.Warnings.Contains(vlfwInvalidData)) << c.Name;
    }
  }
}

TEST(VLFReader, ThreeLineRecordGivesThreeParagraphsWithTheHeaderValues) {
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  doc.Options.Include(vloTagsArePChars);
  TReadResult r = Read(doc, "-8 1 3\r\n2 3 1 0 0 \"go\" \"tip\"\r\na\r\nb\r\nc\r\n");
  ASSERT_TRUE(r.Ok);
  ASSERT_EQ(r.Count, 3);
  for (Integer i = 0; i < 3; ++i) {
    EXPECT_TRUE(doc.IsParaStart(i));
    EXPECT_EQ(doc.GetItem(i)->StyleNo, 2);
    EXPECT_EQ(doc.GetItem(i)->ParaNo, 1);
    EXPECT_EQ(doc.GetItem(i)->Tag.Str, "go");
    EXPECT_EQ(doc.GetItem(i)->Hint, "tip");
  }
  EXPECT_EQ(doc.GetItemTextA(2), "c");
}

TEST(VLFReader, UnknownTextStyleFailsOrBecomesZeroWithWarning) {
  for (bool convert : {false, true}) {
    TVLStyle style(nullptr);
    while (style.TextStyles->Count() > 3) style.TextStyles->Delete(style.TextStyles->Count() - 1);
    TVLDocumentData doc(&style);
    if (convert) doc.VLFOptions.Include(vlfoConvUnknownStylesToZero);
    TReadResult r = Read(doc, "-8 1 3\r\n5 1 0 0 0 0\r\nx\r\n");
    EXPECT_EQ(r.Ok, convert);
    EXPECT_TRUE(r.Warnings.Contains(vlfwConvUnknownStyles));
    if (convert) {
      ASSERT_EQ(r.Count, 1);
      EXPECT_EQ(doc.GetItem(0)->StyleNo, 0);
      EXPECT_EQ(r.Warnings.ToMask() & 0x7F, 0x04u);
    }
  }
}

TEST(VLFReader, TextIsConvertedToTheEncodingOfItsStyle) {
  TVLStyle style(nullptr);
  style.TextStyles->Items(1)->Unicode = true;
  TVLDocumentData doc(&style);
  // "é?" as UTF-16 into 8-bit style 0, and 8-bit "é" into Unicode style 1.
  AnsiString raw("\xE9\x00\x2D\x4E", 4);
  TReadResult r = Read(doc, "-8 1 3\r\n0 1 0 8 3 0\r\n" + AnsiString("E9002D4E") + "\r\n1 1 0 0 0 0\r\n\xE9\r\n");
  ASSERT_TRUE(r.Ok);
  ASSERT_EQ(r.Count, 2);
  EXPECT_EQ(doc.GetItemTextA(0), "\xE9?");
  EXPECT_FALSE(doc.GetItem(0)->IsUnicode());
  EXPECT_EQ(doc.GetItemTextA(1), AnsiString("\xE9\x00", 2));
  EXPECT_TRUE(doc.GetItem(1)->IsUnicode());
  EXPECT_TRUE(r.Warnings.Contains(vlfwConvFromUnicode));
  EXPECT_TRUE(r.Warnings.Contains(vlfwConvToUnicode));
  (void)raw;
}

TEST(VLFReader, CheckpointsAttachToTheNextItemOrTrailTheDocument) {
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  TReadResult r = Read(doc, "-8 1 3\r\n-2 1 0 0 0 7 1 0\r\nhere\r\n0 1 0 0 0 0\r\nx\r\n-2 1 0 0 0 0\r\nend\r\n");
  ASSERT_TRUE(r.Ok);
  ASSERT_NE(doc.GetItemCheckpoint(0), nullptr);
  EXPECT_EQ(doc.GetItemCheckpoint(0)->Name, "here");
  EXPECT_EQ(doc.GetItemCheckpoint(0)->Tag.Int, 7);
  EXPECT_TRUE(doc.GetItemCheckpoint(0)->RaiseEvent);
  ASSERT_NE(doc.NotAddedCP, nullptr);
  EXPECT_EQ(doc.NotAddedCP->Name, "end");
  EXPECT_EQ(doc.CPCount, 2);

  // The same trailing record inserted in the middle of a document is dropped.
  TStringStream s("-8 1 3\r\n0 1 0 0 0 0\r\ny\r\n-2 1 0 0 0 0\r\nmid\r\n");
  TColor color = clNone;
  ASSERT_TRUE(doc.InsertVLFFromStream(s, 0, color, nullptr, nullptr, nullptr, false));
  EXPECT_EQ(doc.NotAddedCP->Name, "end");
  EXPECT_EQ(doc.CPCount, 2);
}

TEST(VLFReader, MarkerAtTheEndGetsAnEmptyTextItemAndLevelsAreBounded) {
  TVLStyle style(nullptr);
  TVLListInfo* list = style.ListStyles->Add();
  list->Levels->Add()->ListType = vllstDecimal;
  TVLDocumentData doc(&style);
  TReadResult r = Read(doc, "-8 1 3\r\n-11 0 0 0 0 0 0 300 1 0\r\n");
  ASSERT_TRUE(r.Ok);
  ASSERT_EQ(r.Count, 2);
  EXPECT_EQ(doc.GetItem(0)->StyleNo, vlsListMarker);
  EXPECT_EQ(static_cast<TVLMarkerItemInfo*>(doc.GetItem(0))->Level, 255);
  EXPECT_TRUE(r.Warnings.Contains(vlfwConvUnknownStyles));
  EXPECT_EQ(doc.GetItem(1)->StyleNo, 0);
  EXPECT_TRUE(doc.GetItem(1)->GetSameAsPrev());
  ASSERT_NE(doc.GetMarkers(false), nullptr);
  EXPECT_EQ(doc.GetMarkers(false)->Count(), 1);
}

TEST(VLFReader, DocumentPropertiesAndLayoutAreAppliedWhenAsked) {
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  doc.DocProperties = std::make_unique<TStringList>();
  doc.VLFOptions.Include(vlfoLoadLayout);
  AnsiString layout = Bin32(0) + Bin32(30) + Bin32(5) + Bin32(6) + Bin32(7) + Bin32(8) + Bin32(100) +
                      Bin32(600) + AnsiString(1, '\x02') + AnsiString(5, '\x00');
  AnsiString bytes = "-8 1 3\r\n-9 1 0 0 0 0 5\r\na\x01\x02" "b\r\n-9 2 0 0 2 0 3\r\n\r\n" +
                     Bin32(static_cast<uint32_t>(layout.size())) + layout;
  TStringStream s(bytes);
  TColor color = clNone;
  TVLLayoutInfo info;
  ASSERT_TRUE(doc.LoadVLFFromStream(s, color, nullptr, nullptr, &info));
  ASSERT_EQ(doc.DocProperties->Count(), 1);
  EXPECT_EQ(doc.DocProperties->Get(0), "a\r\nb");
  EXPECT_TRUE(info.Loaded);
  EXPECT_EQ(info.LeftMargin, 5);
  EXPECT_EQ(info.MaxTextWidth, 600);
  EXPECT_EQ(info.BiDiMode, vlbdRightToLeft);

  // A layout block that claims fewer than its 25 known bytes is refused.
  AnsiString shortLayout = Bin32(0) + Bin32(10) + AnsiString(25, '\x00');
  TStringStream bad("-8 1 3\r\n-9 2 0 0 2 0 3\r\n\r\n" + Bin32(static_cast<uint32_t>(shortLayout.size())) +
                    shortLayout);
  TVLLayoutInfo info2;
  EXPECT_FALSE(doc.LoadVLFFromStream(bad, color, nullptr, nullptr, &info2));
  EXPECT_FALSE(info2.Loaded);
}

// Stored margins and text widths beyond reason (a damaged stream) are
// bounded for use; the stored values stay beside them for writing back.
TEST(VLFReader, LayoutLengthsAreBoundedAndKeptAsStored) {
  const struct {
    uint32_t Stored;
    Integer Margin, Width;  // as read into a margin and into a text width
  } cases[] = {{5, 5, 5},
               {1000, 1000, 1000},
               {1001, VLMaxLayoutMargin, 1001},
               {16777221, VLMaxLayoutMargin, VLMaxLayoutWidth},
               {0xFFFFFFFBu, 0, 0},  // -5
               {0x80000000u, 0, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Stored);
    TVLStyle style(nullptr);
    TVLDocumentData doc(&style);
    doc.VLFOptions.Include(vlfoLoadLayout);
    AnsiString layout = Bin32(0) + Bin32(30);
    for (int k = 0; k < 6; ++k) layout += Bin32(c.Stored);
    layout += AnsiString(1, '\x00') + AnsiString(5, '\x00');
    TStringStream s("-8 1 3\r\n-9 2 0 0 2 0 3\r\n\r\n" + Bin32(static_cast<uint32_t>(layout.size())) + layout);
    TColor color = clNone;
    TVLLayoutInfo info;
    ASSERT_TRUE(doc.LoadVLFFromStream(s, color, nullptr, nullptr, &info));
    ASSERT_TRUE(info.Loaded);
    for (Integer margin : {info.LeftMargin, info.RightMargin, info.TopMargin, info.BottomMargin})
      EXPECT_EQ(margin, c.Margin);
    EXPECT_EQ(info.MinTextWidth, c.Width);
    EXPECT_EQ(info.MaxTextWidth, c.Width);
    for (Integer stored : info.StoredLengths) EXPECT_EQ(static_cast<uint32_t>(stored), c.Stored);
  }
}

TEST(VLFReader, FileThatCannotBeOpenedIsFalse) {
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  TColor color = clNone;
  EXPECT_FALSE(doc.LoadVLF("/nonexistent/folder/x.vlf", color, nullptr, nullptr, nullptr));
}

namespace {

// A stream carrying its own style sheet with a seventh, red text style.
AnsiString StreamWithStyles() {
  TVLStyle source(nullptr);
  TFontInfo* red = source.TextStyles->Add();
  red->StyleName = "Red";
  red->Color = clRed;
  red->Size = 31;
  TVLDocumentData doc(&source);
  doc.SetState(doc.GetState() | vlstViewDocument);
  doc.VLFOptions.Include(vlfoSaveTextStyles);
  doc.VLFOptions.Include(vlfoSaveParaStyles);
  doc.AddTextItem("red", 6, 0);
  doc.AddTextItem("plain", 0, 0);
  TMemoryStream out;
  EXPECT_TRUE(doc.SaveVLFToStream(out, false, clNone, nullptr, bsNoBitmap, nullptr));
  return out.Bytes();
}

}  // namespace

TEST(VLFReader, StyleModesReplaceMapOrMerge) {
  const AnsiString vlf = StreamWithStyles();
  struct TCase {
    const char* Name;
    bool Replace;
    TVLFReaderStyleMode Mode;
    bool Ok;
    Integer Styles;
  };
  const TCase cases[] = {
      {"replace", true, vlf_sInsertMerge, true, 7},
      {"merge appends the new style", false, vlf_sInsertMerge, true, 7},
      {"map uses an existing style", false, vlf_sInsertMap, true, 6},
      {"ignore leaves the number out of range", false, vlf_sIgnore, false, 6},
  };
  for (const TCase& c : cases) {
    TVLStyle style(nullptr);
    TVLDocumentData doc(&style);
    doc.VLFTextStylesReadMode = c.Mode;
    doc.VLFParaStylesReadMode = c.Mode;
    TStringStream in(vlf);
    TColor color = clNone;
    bool ok = c.Replace ? doc.LoadVLFFromStream(in, color, nullptr, nullptr, nullptr)
                        : doc.InsertVLFFromStream(in, 0, color, nullptr, nullptr, nullptr, false);
    EXPECT_EQ(ok, c.Ok) << c.Name;
    EXPECT_EQ(style.TextStyles->Count(), c.Styles) << c.Name;
    if (!ok) continue;
    ASSERT_EQ(doc.GetItemCount(), 2) << c.Name;
    const TFontInfo* got = style.TextStyles->Items(doc.GetItem(0)->StyleNo);
    if (c.Styles == 7) {
      EXPECT_EQ(got->StyleName, "Red") << c.Name;
      EXPECT_EQ(got->Size, 31) << c.Name;
    } else {
      EXPECT_LT(doc.GetItem(0)->StyleNo, 6) << c.Name;
    }
    EXPECT_EQ(doc.GetItem(1)->StyleNo, 0) << c.Name;
  }
}

TEST(VLFReader, BackgroundIsAppliedWithLoadBack) {
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  doc.VLFOptions.Include(vlfoSaveBack);
  doc.AddTextItem("x", 0, 0);
  TBitmap picture(4, 3);
  TMemoryStream out;
  ASSERT_TRUE(doc.SaveVLFToStream(out, false, clYellow, &picture, bsTiled, nullptr));
  for (bool loadBack : {true, false}) {
    TVLDocumentData back(&style);
    if (loadBack) back.VLFOptions.Include(vlfoLoadBack);
    TStringStream in(out.Bytes());
    TColor color = clNone;
    TBitmap bmp;
    TBackgroundStyle bs = bsNoBitmap;
    ASSERT_TRUE(back.LoadVLFFromStream(in, color, &bmp, &bs, nullptr));
    EXPECT_EQ(back.GetItemCount(), 1);
    EXPECT_EQ(color, loadBack ? clYellow : clNone);
    EXPECT_EQ(bs, loadBack ? bsTiled : bsNoBitmap);
    EXPECT_EQ(bmp.GetWidth(), loadBack ? 4 : 0);
  }
}

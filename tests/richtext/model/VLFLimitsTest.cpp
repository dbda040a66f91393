// What the writer makes at and past the bounds of the VLF reader outside
// tables: written with the program's own writer and read back, a document
// within the bounds comes back whole with no warning; one past them gives a
// load warning and keeps the text around the part that was bounded.
#include "support/VLFRoundTrip.h"
#include "platform/base/Streams.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLMarkers.h"
#include "richtext/model/VLStyle.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

std::string Save(TVLDocumentData& doc) { return qytest::SaveVLFBytes(doc); }

bool Load(TVLDocumentData& doc, const std::string& vlf) { return qytest::LoadVLFBytes(doc, vlf); }

TVLMarkerItemInfo* FirstMarker(TCustomVLData& doc) {
  for (Integer i = 0; i < doc.GetItemCount(); ++i)
    if (auto* m = dynamic_cast<TVLMarkerItemInfo*>(doc.GetItem(i))) return m;
  return nullptr;
}

// "before", a list paragraph, "after"; the sheet has lists lists of levels
// levels each.
void AddListDoc(TVLStyle& style, TVLDocumentData& doc, Integer lists, Integer levels) {
  for (Integer k = 0; k < lists; ++k) {
    TVLListInfo* list = style.ListStyles->Add();
    for (Integer l = 0; l < levels; ++l) list->Levels->Add()->ListType = vllstDecimal;
  }
  doc.AddTextItem("before", 0, 0);
  doc.SetListMarker(doc.GetItemCount(), 0, 0, 1, 0, false);
  doc.AddTextItem("Łódź item", 0, -1);
  doc.AddTextItem("after", 0, 0);
}

}  // namespace

// A marker's level (the level text table has 256 places) and its list (the
// lists of the sheet): the last of each is read as written, one past is
// bounded with a warning and the paragraphs around it stay.
TEST(VLFLimits, ListMarkersPastTheirLevelsAndListsAreBoundedWithAWarning) {
  const Integer lists = 3;
  struct Case {
    const char* Name;
    Integer ListNo, Level;
    bool Whole;
    Integer ReadListNo, ReadLevel;
  } cases[] = {
      {"first level", 0, 0, true, 0, 0},
      {"last level", 0, 255, true, 0, 255},
      {"one level past", 0, 256, false, 0, 255},
      {"far past", 1, 100000, false, 1, 255},
      {"below the first", 0, -1, false, 0, 0},
      {"last list", lists - 1, 3, true, lists - 1, 3},
      {"one list past", lists, 3, false, 0, 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TVLStyle style(nullptr);
    TVLDocumentData doc(&style);
    AddListDoc(style, doc, lists, 9);
    TVLMarkerItemInfo* m = FirstMarker(doc);
    ASSERT_TRUE(m);
    // The model bounds what it sets; past the bound only the fields go.
    m->ListNo = c.ListNo;
    m->Level = c.Level;
    const std::string vlf = Save(doc);
    TVLDocumentData back(&style);
    ASSERT_TRUE(Load(back, vlf));
    EXPECT_EQ(back.GetVLFWarnings().Empty(), c.Whole);
    EXPECT_EQ(back.GetVLFWarnings().Contains(vlfwConvUnknownStyles), !c.Whole);
    ASSERT_EQ(back.GetItemCount(), doc.GetItemCount());
    EXPECT_EQ(back.GetItemTextA(0), "before");
    EXPECT_EQ(back.GetItemTextA(2), "Łódź item");
    EXPECT_EQ(back.GetItemTextA(3), "after");
    TVLMarkerItemInfo* r = FirstMarker(back);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->ListNo, c.ReadListNo);
    EXPECT_EQ(r->Level, c.ReadLevel);
  }
}

// An item's text style and its paragraph's style: the last of the sheet is
// read as written; one past, the item gets the first style with a warning
// and the items around it stay.
TEST(VLFLimits, StylesPastTheSheetBecomeTheFirstWithAWarning) {
  struct Case {
    const char* Name;
    bool Para;
    Integer Past;  // how far past the last style
  } cases[] = {
      {"last text style", false, 0},
      {"one text style past", false, 1},
      {"last paragraph style", true, 0},
      {"one paragraph style past", true, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TVLStyle style(nullptr);
    TVLDocumentData doc(&style);
    const Integer last = c.Para ? style.ParaStyles->Count() - 1 : style.TextStyles->Count() - 1;
    const Integer no = last + c.Past;
    doc.AddTextItem("before", 0, 0);
    doc.AddTextItem("middle", c.Para ? 0 : no, c.Para ? no : 0);
    doc.AddTextItem("after", 0, 0);
    ASSERT_EQ(c.Para ? doc.GetItem(1)->ParaNo : doc.GetItem(1)->StyleNo, no);
    const std::string vlf = Save(doc);
    TVLDocumentData back(&style);
    back.VLFOptions.Include(vlfoConvUnknownStylesToZero);
    ASSERT_TRUE(Load(back, vlf));
    EXPECT_EQ(back.GetVLFWarnings().Empty(), c.Past == 0);
    EXPECT_EQ(back.GetVLFWarnings().Contains(vlfwConvUnknownStyles), c.Past != 0);
    ASSERT_EQ(back.GetItemCount(), 3);
    EXPECT_EQ(back.GetItemTextA(0), "before");
    EXPECT_EQ(back.GetItemTextA(1), "middle");
    EXPECT_EQ(back.GetItemTextA(2), "after");
    EXPECT_EQ(c.Para ? back.GetItem(1)->ParaNo : back.GetItem(1)->StyleNo, c.Past ? 0 : no);
  }
}

// Margins and text widths: the largest the reader takes are read as written;
// one more is bounded for use, with the written value kept beside it for
// saving back (nothing is lost, so no warning), and the text is read.
TEST(VLFLimits, LayoutLengthsPastTheirBoundsAreBoundedAndKeptAsWritten) {
  struct Case {
    const char* Name;
    Integer Margin, Width;
    Integer ReadMargin, ReadWidth;
  } cases[] = {
      {"at the bounds", VLMaxLayoutMargin, VLMaxLayoutWidth, VLMaxLayoutMargin, VLMaxLayoutWidth},
      {"margins one past", VLMaxLayoutMargin + 1, 600, VLMaxLayoutMargin, 600},
      {"widths one past", 7, VLMaxLayoutWidth + 1, 7, VLMaxLayoutWidth},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TVLStyle style(nullptr);
    TVLDocumentData doc(&style);
    doc.AddTextItem("before", 0, 0);
    doc.AddTextItem("after", 0, 0);
    doc.VLFOptions.Include(vlfoSaveLayout);
    doc.VLFOptions.Include(vlfoSaveBinary);
    TVLLayoutInfo layout;
    layout.LeftMargin = layout.RightMargin = layout.TopMargin = layout.BottomMargin = c.Margin;
    layout.MinTextWidth = layout.MaxTextWidth = c.Width;
    TMemoryStream out;
    ASSERT_TRUE(doc.SaveVLFToStream(out, false, clNone, nullptr, bsNoBitmap, &layout));
    TVLDocumentData back(&style);
    back.VLFOptions.Include(vlfoLoadLayout);
    TStringStream in(out.Bytes());
    TColor color = clNone;
    TVLLayoutInfo read;
    ASSERT_TRUE(back.LoadVLFFromStream(in, color, nullptr, nullptr, &read));
    ASSERT_TRUE(read.Loaded);
    EXPECT_TRUE(back.GetVLFWarnings().Empty());
    ASSERT_EQ(back.GetItemCount(), 2);
    EXPECT_EQ(back.GetItemTextA(0), "before");
    EXPECT_EQ(back.GetItemTextA(1), "after");
    for (Integer m : {read.LeftMargin, read.RightMargin, read.TopMargin, read.BottomMargin})
      EXPECT_EQ(m, c.ReadMargin);
    EXPECT_EQ(read.MinTextWidth, c.ReadWidth);
    EXPECT_EQ(read.MaxTextWidth, c.ReadWidth);
    for (size_t k = 0; k < 6; ++k) EXPECT_EQ(read.StoredLengths[k], k < 4 ? c.Margin : c.Width);
  }
}

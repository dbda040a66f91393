// Entries taller than two million pixels, and stored layouts with absurd
// margins, open, lay out and scroll to their end.
#include "ViewerFixture.h"

#include "platform/base/Streams.h"
#include "richtext/model/VLStyle.h"
#include "support/TestSupport.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <iterator>

using namespace qytest;

namespace {

// The draw item of the last item, scrolled into view by the End key's
// scroll code; it must be inside the window and found again by a hit test
// at its place.
void ExpectEndReachable(TViewer& v) {
  v.View->VScrollTo(v.View->YSize, true);
  TVellumVLData& d = v.Data();
  const Integer last = d.DrawItems.Count() - 1;
  ASSERT_GE(last, 0);
  const TVLDrawLineInfo& di = *d.DrawItems[last];
  const Integer top = di.Top - d.GetVOffset();
  EXPECT_GE(top, 0);
  EXPECT_LE(top + di.Height, v.View->ClientHeight());
  const TPoint p = v.At(last, 1);
  EXPECT_EQ(d.FindDrawItemAtPoint(p.X + d.GetHOffset(), p.Y + d.GetVOffset()), last);
  EXPECT_EQ(d.GetLastItemVisible(), v.View->ItemCount() - 1);
}

}  // namespace

// A stored layout whose left margin became 16,777,221 pixels through one
// flipped bit: the entry opens, lays out at a bounded margin, and saving it
// again writes the stored bytes unchanged.
TEST(LongDocument, StoredMarginsBeyondReasonAreBoundedButKept) {
  const struct {
    const char* File;
    Integer LeftMargin;
  } cases[] = {{"vlf-layout-margin-original.vlf", 5}, {"vlf-layout-margin-overflow.vlf", VLMaxLayoutMargin}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.File);
    const std::string bytes = ReadFileBytes(SourceDir() / "tests/richtext/view/data" / c.File);
    ASSERT_FALSE(bytes.empty());
    TViewer v;
    // As the journal's editor reads and writes entries.
    const TVLFOptions entryOptions{vlfoSavePicturesBody, vlfoSaveControlsBody, vlfoIgnoreUnknownPicFmt,
                                   vlfoIgnoreUnknownCtrls, vlfoConvUnknownStylesToZero,
                                   vlfoConvLargeImageIdxToZero, vlfoSaveBinary, vlfoSaveBack,
                                   vlfoLoadBack, vlfoSaveTextStyles, vlfoSaveParaStyles,
                                   vlfoSaveLayout, vlfoLoadLayout};
    v.View->VLFOptions = entryOptions;
    TMemoryStream in;
    in.WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
    in.SetPosition(0);
    ASSERT_TRUE(v.View->LoadVLFFromStream(in));
    EXPECT_EQ(v.View->LeftMargin, c.LeftMargin);
    EXPECT_EQ(v.View->RightMargin, 5);
    ASSERT_NO_THROW(v.Format());
    ASSERT_GT(v.Data().DrawItems.Count(), 0);
    EXPECT_EQ(v.DI(0).Left, c.LeftMargin);
    const TPoint p = v.At(0, 1);
    EXPECT_EQ(v.Data().FindDrawItemAtPoint(p.X, p.Y), 0);
    TMemoryStream out;
    ASSERT_TRUE(v.View->SaveVLFToStream(out, false));
    // Written back as it was, with the end line of a document written now.
    const std::string version = "-8 1 3\r\n";
    ASSERT_EQ(bytes.substr(0, version.size()), version);
    EXPECT_TRUE(std::string(static_cast<const char*>(out.Memory()), static_cast<size_t>(out.GetSize())) ==
                "-8 1 3 1\r\n" + bytes.substr(version.size()) + version);
    // A margin changed after loading is written as it now is.
    v.View->LeftMargin = 40;
    TMemoryStream changed;
    ASSERT_TRUE(v.View->SaveVLFToStream(changed, false));
    TViewer again;
    again.View->VLFOptions = entryOptions;
    changed.SetPosition(0);
    ASSERT_TRUE(again.View->LoadVLFFromStream(changed));
    EXPECT_EQ(again.View->LeftMargin, 40);
  }
}

// Paragraph spacing stretches a short document past the old limit of
// 2,147,483 pixels, so the test stays fast.
TEST(LongDocument, TallerThanTwoMillionPixelsScrollsToItsEnd) {
  for (const Integer height : {1000000, 3000000, 9000000}) {
    SCOPED_TRACE(height);
    TViewer v;
    v.Style.ParaStyles->Add();
    TParaInfo* spaced = v.Style.ParaStyles->Items(1);
    spaced->SpaceBefore = 30000;
    const Integer paragraphs = height / 30000;
    for (Integer i = 0; i < paragraphs; ++i) v.Add("Paragraph " + std::to_string(i), 0, 1);
    v.Add("The last line of the entry", 0, 0);
    v.Format();
    EXPECT_GT(v.Data().DocumentHeight, paragraphs * 30000);
    ExpectEndReachable(v);
    // The thumb's range stays within what a 16-bit position can say.
    EXPECT_LE(v.View->YSize, 32001);
    // Back at the top, the first paragraph is under the first line.
    v.View->VScrollTo(0, true);
    EXPECT_EQ(v.Data().GetVOffset(), 0);
  }
}

// The 16 MB entry of short formatted paragraphs (as an RTF import makes
// it: runs of plain, bold, italic and coloured text) opens and scrolls to
// its end. Slow: run as a labelled test of its own.
TEST(LongDocument, DISABLED_SixteenMegabyteEntry) {
  TViewer v;
  v.Style.TextStyles->Add()->Style = TFontStyles{fsBold};
  v.Style.TextStyles->Add()->Style = TFontStyles{fsItalic};
  v.Style.TextStyles->Add()->Color = clRed;
  for (Integer i = v.Style.TextStyles->Count() - 3; i < v.Style.TextStyles->Count(); ++i) {
    v.Style.TextStyles->Items(i)->FontName = "Arial";
    v.Style.TextStyles->Items(i)->Unicode = true;
  }
  const Integer bold = v.Style.TextStyles->Count() - 3, italic = bold + 1, red = bold + 2;
  const std::pair<const char*, Integer> runs[] = {
      {"Lorem ipsum dolor sit amet, ", 0}, {"consectetur", bold}, {" adipiscing ", 0}, {"elit", italic},
      {", sed do ", 0}, {"eiusmod", red}, {" tempor incididunt ut labore et dolore magna aliqua.", 0}};
  size_t bytes = 0;
  const auto start = std::chrono::steady_clock::now();
  for (Integer p = 0; bytes < 16u * 1024 * 1024; ++p) {
    for (size_t r = 0; r < std::size(runs); ++r) {
      // Each paragraph starts with its first run; the others continue it.
      v.View->AddTextItem(runs[r].first, runs[r].second, r == 0 ? 0 : -1);
      bytes += std::strlen(runs[r].first);
    }
    bytes += 60;  // the RTF markup around each paragraph
  }
  v.Add("The last line of the entry", 0, 0);
  v.Format();
  const auto took = std::chrono::steady_clock::now() - start;
  std::printf("%d items, %d pixels high, %lld ms\n", v.View->ItemCount(), v.Data().DocumentHeight,
              static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
  EXPECT_GT(v.Data().DocumentHeight, 2147483);
  ExpectEndReachable(v);
}

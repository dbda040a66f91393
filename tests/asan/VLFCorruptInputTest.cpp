// Damaged VLF must end in false and never read outside the data (this
// program runs under the address and undefined-behaviour sanitizers).
#include "platform/base/Streams.h"
#include "richtext/model/VLData.h"

#include <gtest/gtest.h>
#include <random>

namespace {

AnsiString SampleVLF() {
  TVLStyle style(nullptr);
  style.ListStyles->Add()->Levels->Add()->ListType = vllstDecimal;
  TVLDocumentData doc(&style);
  doc.SetState(doc.GetState() | vlstViewDocument);
  doc.VLFOptions.Include(vlfoSaveTextStyles);
  doc.VLFOptions.Include(vlfoSaveParaStyles);
  doc.AddTextItem("first", 0, 0);
  doc.AddTextItem(AnsiString("u\0n\0", 4), 1, -1);
  doc.SetListMarker(doc.GetItemCount(), 0, 0, 1, 0, false);
  doc.AddTextItem("item", 0, -1);
  auto pic = TVLGraphicItemInfo::CreateEx(&doc, std::make_unique<TBitmap>(3, 2), vlvaBaseline);
  pic->StyleNo = vlsPicture;
  doc.AddItem("pic", pic.release());
  // A trailing checkpoint after the picture: freed with the document.
  doc.NotAddedCP = new TVLCPInfo();
  doc.NotAddedCP->Name = "end";
  ++doc.CPCount;
  TMemoryStream out;
  doc.SaveVLFToStream(out, false, clNone, nullptr, bsNoBitmap, nullptr);
  return out.Bytes();
}

}  // namespace

TEST(VLFCorruptInput, CutAndFlippedStreamsAreRefusedSafely) {
  const AnsiString good = SampleVLF();
  ASSERT_GT(good.size(), 100u);
  std::mt19937 r(7);
  for (size_t cut = 0; cut <= good.size(); ++cut) {
    TVLStyle style(nullptr);
    TVLDocumentData doc(&style);
    TStringStream in(good.substr(0, cut));
    TColor color = clNone;
    doc.LoadVLFFromStream(in, color, nullptr, nullptr, nullptr);
  }
  for (int round = 0; round < 3000; ++round) {
    AnsiString bad = good;
    for (int k = 1 + static_cast<int>(r() % 4); k > 0; --k) bad[r() % bad.size()] = static_cast<char>(r());
    TVLStyle style(nullptr);
    TVLDocumentData doc(&style);
    TStringStream in(bad);
    TColor color = clNone;
    if (!doc.LoadVLFFromStream(in, color, nullptr, nullptr, nullptr)) {
      EXPECT_TRUE(doc.GetVLFWarnings().Contains(vlfwInvalidData));
    }
  }
}

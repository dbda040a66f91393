// A bordered paragraph printed to PDF: its box holds its line, whatever
// the list number in front of the text.
#include "PrintFixture.h"

#include "richtext/model/VLMarkers.h"
#include "support/PdfPages.h"

#include <QImage>

#include <algorithm>

using qytest::TPrintDoc;

namespace {

// Centred, bold, 16 pt paragraphs in a double box, as a lettered list (a,
// b, c) whose letters are in a smaller font, or without a list. The box's
// lines (where each begins) in points from the top of the first
// paragraph's word, where no text
// is: a little inside its left edge.
std::vector<double> BoxLines(bool list) {
  TPrintDoc doc;
  TFontInfo* big = doc.Style.TextStyles->Add();
  big->FontName = "Arial";
  big->Unicode = true;
  big->Size = 16;
  big->Style = TFontStyles{fsBold};
  const Integer bigNo = doc.Style.TextStyles->Count() - 1;
  TParaInfo* boxed = doc.Style.ParaStyles->Add();
  boxed->Alignment = vlaCenter;
  boxed->Border.Style = vlbDouble;
  boxed->Border.Color = clBlack;
  boxed->Border.Width = 1;
  boxed->Border.InternalWidth = 2;
  const Integer boxedNo = doc.Style.ParaStyles->Count() - 1;
  TVLListLevel* level = doc.Style.ListStyles->Add()->Levels->Add();
  level->ListType = vllstLowerAlpha;
  level->FormatString = "%0:s)";
  level->GetFont()->SetSize(10);
  for (const char* text : {"caf\xC3\xA9", "\xC5\x81\xC3\xB3" "d\xC5\xBA", "don\xE2\x80\x99t"}) {
    if (list) {
      doc.View->VLData()->SetListMarker(doc.View->ItemCount(), 0, 0, 1, boxedNo, false);
      doc.View->AddTextItem(text, bigNo, -1);
    } else {
      doc.View->AddTextItem(text, bigNo, boxedNo);
    }
  }
  std::vector<double> lines;
  if (doc.Paginate() < 1) return lines;
  doc.Print.Print("boxes", 1, true);
  const qytest::TPdfLayout pdf = qytest::PdfLayout(doc.Pdf.OutputFileName);
  const qytest::TPdfWord* word = pdf.Find("caf\xC3\xA9");
  const int dpi = 288;
  const double scale = dpi / 72.0;
  const QImage page = qytest::PdfPageImage(doc.Pdf.OutputFileName, 1, dpi);
  if (!word || page.isNull()) return lines;
  const int x = static_cast<int>((doc.PD().LeftMarginMM * 72 / 25.4 + 12) * scale);
  // From above the word to the middle of the next paragraph.
  bool dark = false;
  for (int y = static_cast<int>((word->YMin - 12) * scale); y <= static_cast<int>((word->YMax + 8) * scale); ++y) {
    const bool was = dark;
    dark = qGray(page.pixel(x, y)) < 128;
    if (dark && !was) lines.push_back(y / scale - word->YMin);
  }
  return lines;
}

TEST(PrintParaBorder, TheBoxOfALetteredParagraphHoldsItsLineAsWithoutTheList) {
  const std::vector<double> plain = BoxLines(false), lettered = BoxLines(true);
  ASSERT_FALSE(plain.empty());
  // Above the word's letters: the box's top lines.
  EXPECT_LE(plain.front(), 0.5);
  EXPECT_LE(lettered.front(), 0.5);
  ASSERT_EQ(lettered.size(), plain.size());
  for (size_t i = 0; i < plain.size(); ++i) EXPECT_NEAR(lettered[i], plain[i], 0.5) << i;
}

}  // namespace

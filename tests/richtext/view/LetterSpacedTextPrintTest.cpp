// Letter-spaced text on paper (a date stamp's style): the run as wide as the
// screen lays it out, and the text after it following it as on the screen.
#include "PrintFixture.h"

#include "support/PdfPages.h"

#include <algorithm>

using qytest::TPrintDoc;

namespace {

struct TSpacedLine {
  double RunWidth = 0;  // the spaced run on paper, points
  double Gap = 0;       // from its last letter to the next word, points
  double ScreenRun = 0, ScreenGap = 0;  // the same on the screen, in points
};

// A line of a letter-spaced run (spacing in screen pixels) and a plain word
// after it, printed to PDF.
TSpacedLine PrintSpacedLine(Integer spacing, const String& run) {
  TPrintDoc doc;
  TFontInfo* spaced = doc.Style.TextStyles->Add();
  spaced->FontName = "Arial";
  spaced->Unicode = true;
  spaced->CharSpacing = spacing;
  const Integer spacedNo = doc.Style.TextStyles->Count() - 1;
  doc.Add(run, spacedNo, 0);
  doc.View->AddTextItem(" after", 0, -1);
  TSpacedLine out;
  if (doc.Paginate() != 1) return out;
  // The screen's draw items, one per item on the one line.
  TCustomVLFormattedData& shown = *doc.View->VLData();
  if (shown.DrawItems.Count() != 2) return out;
  const double points = 72.0 / 96;
  out.ScreenRun = shown.DrawItems[0]->Width * points;
  doc.Print.Print("spaced", 1, true);
  const qytest::TPdfLayout pdf = qytest::PdfLayout(doc.Pdf.OutputFileName);
  const qytest::TPdfWord* after = pdf.Find("after");
  if (!after) return out;
  // pdftotext parts a spaced run into letters: the run is every word left
  // of "after" on its line.
  double left = 1e9, right = -1e9;
  for (const qytest::TPdfWord& w : pdf.Words)
    if (&w != after && w.Page == after->Page && std::abs(w.YMax - after->YMax) < 2 && w.XMax <= after->XMin + 0.5) {
      left = std::min(left, w.XMin);
      right = std::max(right, w.XMax);
    }
  if (right < left) return out;
  out.RunWidth = right - left;
  out.Gap = after->XMin - right;
  return out;
}

}  // namespace

TEST(LetterSpacedTextPrint, TheRunAndTheTextAfterItLieOnPaperAsOnTheScreen) {
  struct TCase {
    Integer Spacing;
    const char* Run;
  } cases[] = {
      {2, "MONDAY, MARCH 10, 2025"},
      {5, "* * *  9:30 AM  * * *"},
      {10, "spaced"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE("spacing " + std::to_string(c.Spacing) + ", \"" + c.Run + "\"");
    const TSpacedLine line = PrintSpacedLine(c.Spacing, c.Run);
    ASSERT_GT(line.RunWidth, 0) << "the line did not print as one line";
    // The run's width: the screen's, the last letter's own spacing aside.
    const double spacingPoints = c.Spacing * 72.0 / 96;
    EXPECT_NEAR(line.RunWidth, line.ScreenRun - spacingPoints, line.ScreenRun * 0.06 + 1);
    // After it: its last letter's spacing and a space, no more.
    EXPECT_LT(line.Gap, spacingPoints + 6) << "the text after the run stands apart on paper";
    EXPECT_GT(line.Gap, 0);
  }
}

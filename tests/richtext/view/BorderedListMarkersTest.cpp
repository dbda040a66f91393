// A lettered list in paragraphs with a double box: the letters ("a)", "b)")
// lie inside the box, right of its left lines, on the screen and on the
// printed page, wherever the paragraph's own indent and the box's offset put
// the box.
#include "PrintFixture.h"

#include "richtext/model/VLMarkers.h"
#include "support/PdfPages.h"

#include <QImage>

#include <algorithm>

using qytest::TPrintDoc;

namespace {

struct TBoxCase {
  const char* Name;
  Integer ParaLeftIndent;  // the paragraph's own indent (lists lay out by the level's)
  Integer BoxOffset;       // the box's left offset from the paragraph
  Integer MarkerIndent;
};

// Paragraphs "one", "two", "three" lettered a), b), c) in red, each in a
// black double box.
void FillLetteredBoxes(TPrintDoc& doc, const TBoxCase& c) {
  TParaInfo* boxed = doc.Style.ParaStyles->Add();
  boxed->LeftIndent = c.ParaLeftIndent;
  boxed->Border.Style = vlbDouble;
  boxed->Border.Color = clBlack;
  boxed->Border.Width = 1;
  boxed->Border.InternalWidth = 1;
  boxed->Border.BorderOffsets.Left = c.BoxOffset;
  const Integer boxedNo = doc.Style.ParaStyles->Count() - 1;
  TVLListLevel* level = doc.Style.ListStyles->Add()->Levels->Add();
  level->ListType = vllstLowerAlpha;
  level->FormatString = "%0:s)";
  level->MarkerIndent = c.MarkerIndent;
  level->LeftIndent = 30;
  level->FirstIndent = 0;
  level->GetFont()->SetSize(10);
  level->GetFont()->SetColor(clRed);
  for (const char* text : {"one", "two", "three"}) {
    doc.View->VLData()->SetListMarker(doc.View->ItemCount(), 0, 0, 1, boxedNo, false);
    doc.View->AddTextItem(text, 0, -1);
  }
}

bool Red(QRgb p) { return qRed(p) >= 150 && qGreen(p) <= 110 && qBlue(p) <= 110; }
bool Dark(QRgb p) { return qGray(p) < 128; }

// Over rows top..bottom (a line of text) and columns left of textLeft: the
// rightmost column dark all the way down (the box's inner left line), and
// the leftmost red pixel (the letter). "" when both are found and the
// letter lies right of the line.
std::string LetterRightOfBox(const QImage& page, int top, int bottom, int textLeft) {
  if (page.isNull() || top < 0 || bottom >= page.height() || top >= bottom) return "no picture of the line";
  int line = -1, red = -1;
  for (int x = 0; x < std::min(textLeft, page.width()); ++x) {
    bool full = true;
    for (int y = top; y <= bottom && full; ++y) full = Dark(page.pixel(x, y));
    if (full) line = x;
    for (int y = top; y <= bottom && red < 0; ++y)
      if (Red(page.pixel(x, y))) red = x;
  }
  if (line < 0) return "no left line of the box";
  if (red < 0) return "no letter";
  if (red <= line)
    return "the letter starts at x " + std::to_string(red) + ", on or left of the box's line at x " +
           std::to_string(line);
  return "";
}

const TBoxCase kCases[] = {
    {"box at the margin, no offset", 0, 0, 0},
    {"box made room for in the paragraph's indent", 8, 4, 0},
    {"letters indented", 0, 2, 6},
};

TEST(BorderedListMarkers, OnScreenTheLettersLieInsideTheBox) {
  for (const TBoxCase& c : kCases) {
    SCOPED_TRACE(c.Name);
    TPrintDoc doc;
    FillLetteredBoxes(doc, c);
    doc.Format();
    TBitmap image(400, 300);
    image.Canvas()->Brush.Color = clWhite;
    image.Canvas()->FillRect(TRect(0, 0, 400, 300));
    doc.View->PaintTo(image.Canvas());
    ASSERT_NE(image.Canvas()->ImageDevice(), nullptr);
    const QImage page = image.Canvas()->ImageDevice()->convertToFormat(QImage::Format_RGB32);
    // Each paragraph's text draw item: the line's height, the text's left.
    int checked = 0;
    for (Integer i = 0; i < doc.Data().DrawItems.Count(); ++i) {
      const TVLDrawLineInfo& d = doc.DI(i);
      if (doc.Data().GetItemStyle(d.ItemNo) < 0) continue;
      SCOPED_TRACE(i);
      EXPECT_EQ(LetterRightOfBox(page, d.Top, d.Top + d.Height - 1, d.Left), "");
      ++checked;
    }
    EXPECT_EQ(checked, 3);
  }
}

TEST(BorderedListMarkers, OnThePrintedPageTheLettersLieInsideTheBox) {
  for (const TBoxCase& c : kCases) {
    SCOPED_TRACE(c.Name);
    TPrintDoc doc;
    FillLetteredBoxes(doc, c);
    ASSERT_GE(doc.Paginate(), 1);
    doc.Print.Print("boxes", 1, true);
    const qytest::TPdfLayout pdf = qytest::PdfLayout(doc.Pdf.OutputFileName);
    const int dpi = 288;
    const double scale = dpi / 72.0;
    const QImage page = qytest::PdfPageImage(doc.Pdf.OutputFileName, 1, dpi).convertToFormat(QImage::Format_RGB32);
    for (const char* text : {"one", "two", "three"}) {
      SCOPED_TRACE(text);
      const qytest::TPdfWord* word = pdf.Find(text);
      ASSERT_NE(word, nullptr);
      EXPECT_EQ(LetterRightOfBox(page, static_cast<int>(word->YMin * scale) + 1,
                                 static_cast<int>(word->YMax * scale) - 1, static_cast<int>(word->XMin * scale) - 1),
                "");
    }
  }
}

}  // namespace

#pragma once
// Reading a printed PDF back with poppler's tools: the words with their
// boxes (pdftotext -bbox), the text, and a page as a picture (pdftoppm).
#include <QImage>
#include <QRect>

#include <functional>
#include <string>
#include <vector>

namespace qytest {

struct TPdfWord {
  int Page = 0;  // from 1
  std::string Text;
  // Points from the page's top-left corner.
  double XMin = 0, YMin = 0, XMax = 0, YMax = 0;
  double Height() const { return YMax - YMin; }
  double CentreX() const { return (XMin + XMax) / 2; }
};

struct TPdfLayout {
  std::vector<TPdfWord> Words;
  // Page sizes in points, in page order.
  std::vector<std::pair<double, double>> PageSizes;
  // The words whose text begins with prefix, in reading order.
  std::vector<TPdfWord> Starting(const std::string& prefix) const;
  // The first word equal to text; nullptr when none.
  const TPdfWord* Find(const std::string& text) const;
  // The word after w in reading order; nullptr at the end.
  const TPdfWord* Next(const TPdfWord* w) const;
};

// With raw, words are read in the order the file draws them, so that the
// letters of a column one letter wide, drawn line by line, are not joined
// over lines into one word as reading by position does.
TPdfLayout PdfLayout(const std::string& file, bool raw = false);
// A picture drawn in a PDF (pdfimages -list): its page (from 1), its own
// pixels and the resolution it is drawn at, which give its width on paper.
struct TPdfImage {
  int Page = 0;
  int Width = 0, Height = 0;
  double XPpi = 0, YPpi = 0;
  double PointsWide() const { return XPpi > 0 ? Width * 72.0 / XPpi : 0; }
};
std::vector<TPdfImage> PdfImages(const std::string& file);
// The text of the PDF, pages separated by form feeds.
std::string PdfText(const std::string& file, bool layout = false);
// Page page (from 1) drawn at dpi pixels per inch; null image on failure.
QImage PdfPageImage(const std::string& file, int page, int dpi);

// The share of the pixels in a word's box, on its page drawn at dpi, that
// are dark: a word's letters leave most of its box paper, a background
// filled under them hardly any.
double InkShare(const QImage& page, const TPdfWord& word, int dpi);
// A word's box on its page drawn at dpi (pixels).
QRect WordBox(const TPdfWord& word, double dpi);
// The dark vertical rules (a border) that run across every row y0..y1 of a
// page between x0 and x1: the x of each, a rule a few pixels wide once.
std::vector<int> VerticalRules(const QImage& page, int x0, int x1, int y0, int y1);
// What is wrong with the ink of the words of a printed layout on its pages
// as pageImage draws them (page from 1, at dpi), each as "word (page n,
// fault)": a box more than half dark (a bar, not letters), a box without
// ink (a word missing there) and a rule running through a word from its top
// to its bottom (a cell border the word runs under).
std::vector<std::string> WordInkFaults(const TPdfLayout& layout, const std::function<QImage(int page)>& pageImage,
                                       double dpi);
// How far the ink of page `other` lies right of and below the ink of page
// `page` (both drawn at dpi), in points: the shifts, up to reach points either
// way, that best line up the pages' counts of dark pixels in each column and
// in each row. Where text lands, not how its letters are drawn.
std::pair<double, double> InkShift(const QImage& page, const QImage& other, double dpi, double reach = 30);
// The words of the file printed as bars, each as "word (page n, share)":
// those whose boxes are more than half dark on their pages at dpi. A page
// that cannot be drawn is named as such.
std::vector<std::string> WordsPrintedAsBars(const std::string& file, int dpi = 144);

}  // namespace qytest

#pragma once
// Reading a printed PDF back with poppler's tools: the words with their
// boxes (pdftotext -bbox), the text, and a page as a picture (pdftoppm).
#include <QImage>

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

TPdfLayout PdfLayout(const std::string& file);
// The text of the PDF, pages separated by form feeds.
std::string PdfText(const std::string& file, bool layout = false);
// Page page (from 1) drawn at dpi pixels per inch; null image on failure.
QImage PdfPageImage(const std::string& file, int page, int dpi);

// The share of the pixels in a word's box, on its page drawn at dpi, that
// are dark: a word's letters leave most of its box paper, a background
// filled under them hardly any.
double InkShare(const QImage& page, const TPdfWord& word, int dpi);
// The words of the file printed as bars, each as "word (page n, share)":
// those whose boxes are more than half dark on their pages at dpi. A page
// that cannot be drawn is named as such.
std::vector<std::string> WordsPrintedAsBars(const std::string& file, int dpi = 144);

}  // namespace qytest

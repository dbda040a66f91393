#include "support/PdfPages.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>

namespace qytest {

namespace {

QByteArray Run(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  p.waitForFinished(60000);
  return p.readAllStandardOutput();
}

std::string Unescape(QString s) {
  s.replace("&lt;", "<").replace("&gt;", ">").replace("&quot;", "\"").replace("&apos;", "'").replace("&amp;", "&");
  return s.toStdString();
}

}  // namespace

std::vector<TPdfWord> TPdfLayout::Starting(const std::string& prefix) const {
  std::vector<TPdfWord> out;
  for (const TPdfWord& w : Words)
    if (w.Text.rfind(prefix, 0) == 0) out.push_back(w);
  return out;
}

const TPdfWord* TPdfLayout::Find(const std::string& text) const {
  for (const TPdfWord& w : Words)
    if (w.Text == text) return &w;
  return nullptr;
}

const TPdfWord* TPdfLayout::Next(const TPdfWord* w) const {
  if (!w || w < Words.data() || w + 1 >= Words.data() + Words.size()) return nullptr;
  return w + 1;
}

TPdfLayout PdfLayout(const std::string& file) {
  TPdfLayout out;
  const QString html = QString::fromUtf8(Run("pdftotext", {"-bbox", QString::fromStdString(file), "-"}));
  static const QRegularExpression tag(
      R"re(<page width="([\d.]+)" height="([\d.]+)">|<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
  for (auto it = tag.globalMatch(html); it.hasNext();) {
    const QRegularExpressionMatch m = it.next();
    if (!m.captured(1).isEmpty()) {
      out.PageSizes.push_back({m.captured(1).toDouble(), m.captured(2).toDouble()});
      continue;
    }
    TPdfWord w;
    w.Page = static_cast<int>(out.PageSizes.size());
    w.XMin = m.captured(3).toDouble();
    w.YMin = m.captured(4).toDouble();
    w.XMax = m.captured(5).toDouble();
    w.YMax = m.captured(6).toDouble();
    w.Text = Unescape(m.captured(7));
    out.Words.push_back(w);
  }
  return out;
}

std::string PdfText(const std::string& file, bool layout) {
  QStringList args;
  if (layout) args << "-layout";
  args << QString::fromStdString(file) << "-";
  const QByteArray text = Run("pdftotext", args);
  return std::string(text.constData(), static_cast<size_t>(text.size()));
}

QImage PdfPageImage(const std::string& file, int page, int dpi) {
  QTemporaryDir dir;
  if (!dir.isValid()) return QImage();
  const QString prefix = dir.filePath("page");
  Run("pdftoppm", {"-png", "-r", QString::number(dpi), "-f", QString::number(page), "-l", QString::number(page),
                   "-singlefile", QString::fromStdString(file), prefix});
  return QImage(prefix + ".png");
}

double InkShare(const QImage& page, const TPdfWord& word, int dpi) {
  const auto px = [dpi](double points) { return static_cast<int>(points * dpi / 72 + 0.5); };
  const int x0 = std::max(0, px(word.XMin)), x1 = std::min(page.width(), px(word.XMax));
  const int y0 = std::max(0, px(word.YMin)), y1 = std::min(page.height(), px(word.YMax));
  long dark = 0, all = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      dark += qGray(page.pixel(x, y)) < 128;
      ++all;
    }
  return all ? static_cast<double>(dark) / static_cast<double>(all) : 0.0;
}

std::vector<std::string> WordsPrintedAsBars(const std::string& file, int dpi) {
  const TPdfLayout layout = PdfLayout(file);
  std::vector<std::string> bars;
  QImage page;
  int shown = 0;
  for (const TPdfWord& w : layout.Words) {
    if (w.Page != shown) {
      shown = w.Page;
      page = PdfPageImage(file, shown, dpi);
      if (page.isNull()) bars.push_back("page " + std::to_string(shown) + " not drawn");
    }
    if (page.isNull()) continue;
    const double share = InkShare(page, w, dpi);
    if (share > 0.5)
      bars.push_back(w.Text + " (page " + std::to_string(w.Page) + ", " + std::to_string(share).substr(0, 4) + ")");
  }
  return bars;
}

}  // namespace qytest

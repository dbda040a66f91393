#include "support/PdfPages.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdlib>

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

TPdfLayout PdfLayout(const std::string& file, bool raw) {
  TPdfLayout out;
  QStringList args = {"-bbox", QString::fromStdString(file), "-"};
  if (raw) args.prepend("-raw");
  const QString html = QString::fromUtf8(Run("pdftotext", args));
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

std::vector<TPdfImage> PdfImages(const std::string& file) {
  std::vector<TPdfImage> out;
  const QString list = QString::fromUtf8(Run("pdfimages", {"-list", QString::fromStdString(file)}));
  // page num type width height color comp bpc enc interp object ID x-ppi y-ppi size ratio
  for (const QString& line : list.split('\n')) {
    const QStringList f = line.simplified().split(' ');
    bool number = false;
    const int page = f.value(0).toInt(&number);
    if (!number || f.size() < 14 || f.value(2) == "smask" || f.value(2) == "mask") continue;
    out.push_back({page, f[3].toInt(), f[4].toInt(), f[12].toDouble(), f[13].toDouble()});
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

namespace {

bool Dark(const QImage& page, int x, int y) { return qGray(page.pixel(x, y)) < 128; }
// A thin line drawn smaller than a pixel comes out grey.
bool Ruled(const QImage& page, int x, int y) { return qGray(page.pixel(x, y)) < 192; }

double DarkShare(const QImage& page, const QRect& box) {
  const QRect r = box & page.rect();
  long dark = 0;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) dark += Dark(page, x, y);
  const long all = static_cast<long>(r.width()) * r.height();
  return all > 0 ? static_cast<double>(dark) / static_cast<double>(all) : 0.0;
}

// Each page drawn once, in the order the words ask for them.
std::vector<std::string> EachWordOnItsPage(const TPdfLayout& layout, const std::function<QImage(int)>& pageImage,
                                           const std::function<std::string(const QImage&, const TPdfWord&)>& fault) {
  std::vector<std::string> out;
  QImage page;
  int shown = 0;
  for (const TPdfWord& w : layout.Words) {
    if (w.Page != shown) {
      shown = w.Page;
      page = pageImage(shown);
      if (page.isNull()) out.push_back("page " + std::to_string(shown) + " not drawn");
    }
    if (page.isNull()) continue;
    const std::string f = fault(page, w);
    if (!f.empty()) out.push_back(w.Text + " (page " + std::to_string(w.Page) + ", " + f + ")");
  }
  return out;
}

}  // namespace

QRect WordBox(const TPdfWord& word, double dpi) {
  const auto px = [dpi](double points) { return static_cast<int>(points * dpi / 72 + 0.5); };
  return QRect(QPoint(px(word.XMin), px(word.YMin)), QPoint(px(word.XMax) - 1, px(word.YMax) - 1));
}

double InkShare(const QImage& page, const TPdfWord& word, int dpi) { return DarkShare(page, WordBox(word, dpi)); }

std::vector<int> VerticalRules(const QImage& page, int x0, int x1, int y0, int y1) {
  std::vector<int> rules;
  x0 = std::max(0, x0);
  x1 = std::min(page.width(), x1);
  y0 = std::max(0, y0);
  y1 = std::min(page.height() - 1, y1);
  if (y1 < y0) return rules;
  int last = -10;
  for (int x = x0; x < x1; ++x) {
    bool across = true;
    for (int y = y0; y <= y1 && across; ++y) across = Ruled(page, x, y);
    if (!across) continue;
    // One rule, however many pixels wide.
    if (x - last > 1) rules.push_back(x);
    last = x;
  }
  return rules;
}

std::vector<std::string> WordInkFaults(const TPdfLayout& layout, const std::function<QImage(int)>& pageImage,
                                       double dpi) {
  return EachWordOnItsPage(layout, pageImage, [dpi](const QImage& page, const TPdfWord& w) -> std::string {
    const QRect box = WordBox(w, dpi);
    const double share = DarkShare(page, box);
    if (share > 0.5) return "a bar, " + std::to_string(share).substr(0, 4) + " dark";
    if (share == 0) return "no ink";
    // A letter never runs through the whole height of its box (ascent to
    // descent); a border does.
    if (box.width() > 2 && !VerticalRules(page, box.left() + 1, box.right(), box.top(), box.bottom()).empty())
      return "a rule through it";
    return std::string();
  });
}

std::pair<double, double> InkShift(const QImage& page, const QImage& other, double dpi, double reach) {
  const int w = std::min(page.width(), other.width()), h = std::min(page.height(), other.height());
  std::vector<long> columns[2] = {std::vector<long>(static_cast<size_t>(w)), std::vector<long>(static_cast<size_t>(w))};
  std::vector<long> rows[2] = {std::vector<long>(static_cast<size_t>(h)), std::vector<long>(static_cast<size_t>(h))};
  for (int k = 0; k < 2; ++k) {
    const QImage& image = k == 0 ? page : other;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (Dark(image, x, y)) {
          ++columns[k][static_cast<size_t>(x)];
          ++rows[k][static_cast<size_t>(y)];
        }
  }
  const int most = static_cast<int>(reach * dpi / 72);
  // The shift s of the second profile that leaves the least difference.
  const auto best = [most](const std::vector<long>& a, const std::vector<long>& b) {
    int found = 0;
    long least = -1;
    for (int s = -most; s <= most; ++s) {
      long differ = 0;
      for (int i = 0; i < static_cast<int>(a.size()); ++i) {
        const int j = i + s;
        differ += std::abs(a[static_cast<size_t>(i)] - (j >= 0 && j < static_cast<int>(b.size()) ? b[static_cast<size_t>(j)] : 0));
      }
      if (least < 0 || differ < least) least = differ, found = s;
    }
    return found;
  };
  return {best(columns[0], columns[1]) * 72.0 / dpi, best(rows[0], rows[1]) * 72.0 / dpi};
}

std::vector<std::string> WordsPrintedAsBars(const std::string& file, int dpi) {
  const TPdfLayout layout = PdfLayout(file);
  return EachWordOnItsPage(
      layout, [&](int page) { return PdfPageImage(file, page, dpi); },
      [dpi](const QImage& page, const TPdfWord& w) -> std::string {
        const double share = InkShare(page, w, dpi);
        return share > 0.5 ? std::to_string(share).substr(0, 4) : std::string();
      });
}

}  // namespace qytest

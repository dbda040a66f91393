#pragma once
// Screenshots of real windows: each is checked (size, not blank, the colours
// it must show) and then kept in the folder named by QY_SCREENSHOT_DIR. CTest
// runs the screenshot tests under a virtual display with the build folder's
// screenshots/; scripts/update-screenshots.sh gives docs/screenshots/. With
// the variable unset a picture is checked and kept nowhere.
#include <QColor>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace qytest {

// A display the windows really show on (xcb, as under xvfb-run).
inline bool OnDisplay() { return std::getenv("DISPLAY") && QGuiApplication::platformName() == "xcb"; }

// Run for its pictures (QY_SCREENSHOT_DIR set), a screenshot test without a
// display fails instead of skipping: the run would check nothing.
inline bool ScreenshotsWanted() { return std::getenv("QY_SCREENSHOT_DIR") != nullptr; }

struct TPictureCheck {
  int MinWidth = 1, MinHeight = 1;
  // Colours (0xRRGGBB) that must appear, each within Tolerance per channel.
  std::vector<unsigned> Colours;
  int Tolerance = 6;
  // Some text: pixels darker than 0x50 in every channel.
  bool DarkText = true;
};

// Empty when the picture passes; else what is wrong with it.
inline std::string CheckPicture(const QImage& image, const TPictureCheck& c) {
  if (image.isNull()) return "no picture";
  if (image.width() < c.MinWidth || image.height() < c.MinHeight)
    return "size " + std::to_string(image.width()) + "x" + std::to_string(image.height()) + ", expected at least " +
           std::to_string(c.MinWidth) + "x" + std::to_string(c.MinHeight);
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  std::map<unsigned, long> counts;
  std::vector<bool> found(c.Colours.size(), false);
  bool dark = false;
  for (int y = 0; y < rgb.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    for (int x = 0; x < rgb.width(); ++x) {
      const unsigned p = line[x] & 0xFFFFFFu;
      ++counts[p];
      const int r = qRed(p), g = qGreen(p), b = qBlue(p);
      if (r < 0x50 && g < 0x50 && b < 0x50) dark = true;
      for (size_t i = 0; i < c.Colours.size(); ++i) {
        const unsigned want = c.Colours[i];
        if (std::abs(r - int(want >> 16 & 0xFF)) <= c.Tolerance && std::abs(g - int(want >> 8 & 0xFF)) <= c.Tolerance &&
            std::abs(b - int(want & 0xFF)) <= c.Tolerance)
          found[i] = true;
      }
    }
  }
  long most = 0;
  for (const auto& [colour, n] : counts) most = std::max(most, n);
  const long all = static_cast<long>(rgb.width()) * rgb.height();
  if (counts.size() < 8 || most > all * 98 / 100)
    return "blank: " + std::to_string(counts.size()) + " colours, the commonest on " + std::to_string(most * 100 / all) +
           "% of it";
  for (size_t i = 0; i < c.Colours.size(); ++i)
    if (!found[i]) {
      char hex[16];
      std::snprintf(hex, sizeof hex, "%06X", c.Colours[i]);
      return std::string("colour ") + hex + " missing";
    }
  if (c.DarkText && !dark) return "no text";
  return {};
}

// Checks the picture and keeps it as <QY_SCREENSHOT_DIR>/<name>; the
// answer is CheckPicture's, or the failure to write.
inline std::string KeepScreenshot(const QImage& image, const std::string& name, const TPictureCheck& check) {
  std::string wrong = CheckPicture(image, check);
  if (!wrong.empty()) return name + ": " + wrong;
  const char* dir = std::getenv("QY_SCREENSHOT_DIR");
  if (!dir || !*dir) return {};
  QDir().mkpath(QString::fromUtf8(dir));
  const QString file = QString::fromUtf8(dir) + "/" + QString::fromStdString(name);
  if (!image.save(file, "PNG")) return name + ": cannot write " + file.toStdString();
  return {};
}

}  // namespace qytest

// The first lines of a screenshot test: skip without a display, unless the
// run is for the pictures.
#define QY_SCREENSHOT_NEEDS_DISPLAY()                                                   \
  do {                                                                                  \
    if (!qytest::OnDisplay()) {                                                         \
      if (qytest::ScreenshotsWanted()) FAIL() << "screenshots asked for, but no display"; \
      GTEST_SKIP() << "needs an X display (QT_QPA_PLATFORM=xcb)";                       \
    }                                                                                   \
  } while (0)

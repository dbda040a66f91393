#include "platform/gui/FontList.h"

#include "platform/gui/QtText.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QList>
#include <QRawFont>
#include <algorithm>

namespace {

// A family that is not installed is drawn in the one the system puts in
// its place: that one's sizes and scripts are what the user gets.
QString Installed(const String& family) {
  const QString name = ToQ(family);
  if (name.isEmpty() || QFontDatabase::hasFamily(name)) return name;
  return QFontInfo(QFont(name)).family();
}

}  // namespace

String InstalledFontFamily(const String& family) { return FromQ(Installed(family)); }

bool FontIsScalable(const String& family) { return QFontDatabase::isSmoothlyScalable(Installed(family)); }

std::vector<Integer> FontPointSizes(const String& family) {
  if (FontIsScalable(family)) return {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
  std::vector<Integer> sizes;
  for (int s : QFontDatabase::pointSizes(Installed(family))) sizes.push_back(s);
  std::sort(sizes.begin(), sizes.end());
  sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
  return sizes;
}

std::vector<TFontCharset> FontCharsets(const String& family) {
  std::vector<TFontCharset> result;
  auto add = [&result](TFontCharset c) {
    if (std::find(result.begin(), result.end(), c) == result.end()) result.push_back(c);
  };
  for (QFontDatabase::WritingSystem ws : QFontDatabase::writingSystems(Installed(family))) {
    switch (ws) {
      case QFontDatabase::Latin:
        add(ANSI_CHARSET);
        add(EASTEUROPE_CHARSET);
        add(BALTIC_CHARSET);
        add(TURKISH_CHARSET);
        break;
      case QFontDatabase::Cyrillic: add(RUSSIAN_CHARSET); break;
      case QFontDatabase::Greek: add(GREEK_CHARSET); break;
      case QFontDatabase::Hebrew: add(HEBREW_CHARSET); break;
      case QFontDatabase::Arabic: add(ARABIC_CHARSET); break;
      case QFontDatabase::Thai: add(THAI_CHARSET); break;
      case QFontDatabase::Vietnamese: add(VIETNAMESE_CHARSET); break;
      case QFontDatabase::Japanese: add(SHIFTJIS_CHARSET); break;
      case QFontDatabase::Korean: add(HANGEUL_CHARSET); break;
      case QFontDatabase::SimplifiedChinese: add(GB2312_CHARSET); break;
      case QFontDatabase::TraditionalChinese: add(CHINESEBIG5_CHARSET); break;
      case QFontDatabase::Symbol: add(SYMBOL_CHARSET); break;
      default: break;
    }
  }
  return result;
}

bool FontHasCharacter(const String& family, char16_t ch) {
  // A grid asks for hundreds of characters of one family in a row.
  static QString lastFamily;
  static QRawFont lastFace;
  const QString name = Installed(family);
  if (name != lastFamily || !lastFace.isValid()) {
    QFont font(name);
    font.setPixelSize(16);
    lastFace = QRawFont::fromFont(font);
    lastFamily = name;
  }
  return lastFace.isValid() && lastFace.supportsCharacter(QChar(ch));
}

String CharsetScriptName(TFontCharset charset) {
  switch (charset) {
    case ANSI_CHARSET: return "Western";
    case EASTEUROPE_CHARSET: return "Central European";
    case BALTIC_CHARSET: return "Baltic";
    case TURKISH_CHARSET: return "Turkish";
    case RUSSIAN_CHARSET: return "Cyrillic";
    case GREEK_CHARSET: return "Greek";
    case HEBREW_CHARSET: return "Hebrew";
    case ARABIC_CHARSET: return "Arabic";
    case THAI_CHARSET: return "Thai";
    case VIETNAMESE_CHARSET: return "Vietnamese";
    case SHIFTJIS_CHARSET: return "Japanese";
    case HANGEUL_CHARSET: return "Hangul";
    case GB2312_CHARSET: return "Chinese Simplified";
    case CHINESEBIG5_CHARSET: return "Chinese Traditional";
    case SYMBOL_CHARSET: return "Symbol";
    default: return "";
  }
}

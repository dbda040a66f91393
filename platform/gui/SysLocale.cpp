#include "platform/gui/SysLocale.h"

#include "platform/gui/GuiPrivate.h"

#include <QLocale>
#include <QString>

bool SysLocaleMiddleEast() { return QLocale::system().textDirection() == Qt::RightToLeft; }

TFontCharset CharsetOfLocale(const QLocale& locale) {
  const QLocale::Script script = locale.script();
  switch (locale.language()) {
    case QLocale::Japanese: return SHIFTJIS_CHARSET;
    case QLocale::Korean: return HANGEUL_CHARSET;
    case QLocale::Chinese: {
      const QLocale::Territory t = locale.territory();
      const bool traditional = script == QLocale::TraditionalHanScript ||
                               (script != QLocale::SimplifiedHanScript &&
                                (t == QLocale::Taiwan || t == QLocale::HongKong || t == QLocale::Macao));
      return traditional ? CHINESEBIG5_CHARSET : GB2312_CHARSET;
    }
    case QLocale::Thai: return THAI_CHARSET;
    case QLocale::Vietnamese: return VIETNAMESE_CHARSET;
    case QLocale::Turkish: return TURKISH_CHARSET;
    // Written in Latin with the Turkish letters, or in Cyrillic.
    case QLocale::Azerbaijani:
    case QLocale::Uzbek: return script == QLocale::CyrillicScript ? RUSSIAN_CHARSET : TURKISH_CHARSET;
    case QLocale::Estonian:
    case QLocale::Latvian:
    case QLocale::Lithuanian: return BALTIC_CHARSET;
    case QLocale::Czech:
    case QLocale::Slovak:
    case QLocale::Polish:
    case QLocale::Hungarian:
    case QLocale::Romanian:
    case QLocale::Croatian:
    case QLocale::Slovenian:
    case QLocale::Albanian: return EASTEUROPE_CHARSET;
    case QLocale::Serbian:
    case QLocale::Bosnian: return script == QLocale::CyrillicScript ? RUSSIAN_CHARSET : EASTEUROPE_CHARSET;
    default: break;
  }
  // Everything else by its script: Cyrillic, Greek, Hebrew and Arabic have
  // a code page each, the other Latin languages the Western one, and the
  // rest (Indic, Georgian, Armenian, ...) none.
  switch (script) {
    case QLocale::LatinScript: return ANSI_CHARSET;
    case QLocale::CyrillicScript: return RUSSIAN_CHARSET;
    case QLocale::GreekScript: return GREEK_CHARSET;
    case QLocale::HebrewScript: return HEBREW_CHARSET;
    case QLocale::ArabicScript: return ARABIC_CHARSET;
    default: break;
  }
  return locale.language() == QLocale::C ? ANSI_CHARSET : DEFAULT_CHARSET;
}

TFontCharset LanguageCharset(const String& localeName) {
  return CharsetOfLocale(QLocale(QString::fromStdString(localeName)));
}

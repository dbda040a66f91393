// The keyboard's input language: the charset of a language's code page, and
// the change reaching the control with the focus as WM_INPUTLANGCHANGE.
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Forms.h"
#include "platform/gui/SysLocale.h"

#include <QApplication>
#include <QGuiApplication>
#include <QInputMethod>
#include <QLocale>
#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(InputLanguage, CharsetOfTheLanguagesCodePage) {
  const struct {
    const char* Locale;
    TFontCharset Expected;
  } cases[] = {
      {"en_US", ANSI_CHARSET},        {"de_DE", ANSI_CHARSET},         {"pt_BR", ANSI_CHARSET},
      {"C", ANSI_CHARSET},            {"ru_RU", RUSSIAN_CHARSET},      {"uk_UA", RUSSIAN_CHARSET},
      {"bg", RUSSIAN_CHARSET},        {"sr_Cyrl_RS", RUSSIAN_CHARSET}, {"sr_Latn_RS", EASTEUROPE_CHARSET},
      {"pl_PL", EASTEUROPE_CHARSET},  {"cs", EASTEUROPE_CHARSET},      {"el_GR", GREEK_CHARSET},
      {"tr_TR", TURKISH_CHARSET},     {"az_Latn", TURKISH_CHARSET},    {"he_IL", HEBREW_CHARSET},
      {"ar_EG", ARABIC_CHARSET},      {"fa_IR", ARABIC_CHARSET},       {"lt_LT", BALTIC_CHARSET},
      {"vi_VN", VIETNAMESE_CHARSET},  {"th_TH", THAI_CHARSET},         {"ja_JP", SHIFTJIS_CHARSET},
      {"ko_KR", HANGEUL_CHARSET},     {"zh_CN", GB2312_CHARSET},       {"zh_TW", CHINESEBIG5_CHARSET},
      {"zh_Hant_HK", CHINESEBIG5_CHARSET}, {"zh_Hans_HK", GB2312_CHARSET},
      // No 8-bit code page of their own.
      {"hi_IN", DEFAULT_CHARSET},     {"ka_GE", DEFAULT_CHARSET},      {"hy_AM", DEFAULT_CHARSET},
  };
  for (const auto& c : cases) EXPECT_EQ(LanguageCharset(c.Locale), c.Expected) << c.Locale;
}

TEST(InputLanguage, AChangeReachesTheFocusedControlWithTheNewCharset) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 300, 200);
  TCustomControl a(&form), b(&form);
  for (TCustomControl* c : {&a, &b}) {
    c->SetParent(&form);
    c->SetInputMethodEnabled(true);
  }
  b.SetBounds(0, 100, 100, 50);
  std::vector<intptr_t> gotA, gotB;
  a.SetMessageHandler(WM_INPUTLANGCHANGE, [&](TMessage& m) { gotA.push_back(m.WParam); });
  b.SetMessageHandler(WM_INPUTLANGCHANGE, [&](TMessage& m) { gotB.push_back(m.WParam); });
  form.Show();
  b.SetFocus();
  QApplication::processEvents();
  ASSERT_TRUE(b.Focused());
  QInputMethod* im = QGuiApplication::inputMethod();
  emit im->localeChanged();
  const intptr_t expected = LanguageCharset(im->locale().name().toStdString());
  EXPECT_TRUE(gotA.empty());
  EXPECT_EQ(gotB, std::vector<intptr_t>{expected});
}

}  // namespace

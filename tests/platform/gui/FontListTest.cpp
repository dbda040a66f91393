#include "platform/gui/FontList.h"
#include "platform/gui/Forms.h"

#include <gtest/gtest.h>

namespace {

TEST(FontListTest, ScalableFontsOfferTheStandardSizesAndTheirScripts) {
  Application->Initialize();
  const String family = "DejaVu Sans";
  ASSERT_TRUE(FontIsScalable(family));
  std::vector<Integer> sizes = FontPointSizes(family);
  ASSERT_EQ(sizes.size(), 16u);
  EXPECT_EQ(sizes.front(), 8);
  EXPECT_EQ(sizes.back(), 72);
  EXPECT_TRUE(std::is_sorted(sizes.begin(), sizes.end()));
  std::vector<TFontCharset> charsets = FontCharsets(family);
  for (TFontCharset c : {ANSI_CHARSET, EASTEUROPE_CHARSET, RUSSIAN_CHARSET, GREEK_CHARSET})
    EXPECT_NE(std::find(charsets.begin(), charsets.end(), c), charsets.end()) << int(c);
  // Each covered charset is listed once.
  std::vector<TFontCharset> unique = charsets;
  std::sort(unique.begin(), unique.end());
  EXPECT_EQ(std::unique(unique.begin(), unique.end()), unique.end());
}

TEST(FontListTest, AFamilyThatIsNotInstalledOffersWhatItsSubstituteHas) {
  Application->Initialize();
  for (const char* family : {"Arial", "No Such Font Family"}) {
    SCOPED_TRACE(family);
    // Drawn in an installed scalable font: its sizes and scripts, not none.
    EXPECT_EQ(FontPointSizes(family).size(), 16u);
    EXPECT_FALSE(FontCharsets(family).empty());
  }
}

TEST(FontListTest, CharsetsHaveScriptNames) {
  struct Case {
    TFontCharset charset;
    const char* name;
  };
  const Case cases[] = {{ANSI_CHARSET, "Western"}, {EASTEUROPE_CHARSET, "Central European"},
                        {RUSSIAN_CHARSET, "Cyrillic"}, {ARABIC_CHARSET, "Arabic"},
                        {BALTIC_CHARSET, "Baltic"}, {MAC_CHARSET, ""}};
  for (const Case& c : cases) EXPECT_EQ(CharsetScriptName(c.charset), c.name);
}

}  // namespace

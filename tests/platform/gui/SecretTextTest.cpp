// Text drawn on a canvas marked as holding secret text stays out of the
// shaping cache and leaves no copy once drawn and measured.
#include "platform/base/Wipe.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/TextMeasure.h"
#include "support/SecretMemory.h"

#include <QImage>
#include <gtest/gtest.h>

using namespace qytest;

namespace {

TEST(SecretText, SecretTextIsNeitherCachedNorLeftBehind) {
  struct TCase {
    const char* Name;
    const TExtraLetters& Letters;
    bool Secret;
  };
  // Combining marks and Hebrew go through Qt's text layout and the cache.
  const TCase cases[] = {
      {"combining marks, secret", CombiningMarks, true},
      {"Hebrew, secret", HebrewLetters, true},
      {"Latin-1, secret", Latin1Letters, true},
      {"combining marks, ordinary", CombiningMarks, false},
      {"Hebrew, ordinary", HebrewLetters, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    ClearTextMeasureCache();
    const TSecretText secret(40, c.Letters);
    QImage image(600, 60, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
      TCanvas canvas(&image);
      canvas.Font.SetName("DejaVu Sans");
      canvas.Font.SetSize(12);
      canvas.SensitiveText = c.Secret;
      WideString text;
      secret.Into(text);
      canvas.TextOutW(2, 2, text);
      std::vector<Integer> extents;
      canvas.GetTextExtentExPoint(text, 1000, nullptr, &extents);
      TCharacterPlacement placement;
      canvas.GetCharacterPlacement(text, placement);
      EXPECT_GT(canvas.TextWidthW(text), 100);
      WipeText(text);
    }
    image.fill(Qt::white);
    const size_t cached = TextMeasureCacheSize();
    const size_t left = CountSecretCopies(secret);
    if (c.Secret) {
      EXPECT_EQ(cached, 0u);
      EXPECT_EQ(left, 0u);
    } else if (c.Letters != Latin1Letters) {
      // The cache keeps what it shaped, keyed by the text.
      EXPECT_GT(cached, 0u);
      EXPECT_GE(left, 1u);
    }
  }
  ClearTextMeasureCache();
}

TEST(SecretText, ScopesNestAndEnd) {
  EXPECT_FALSE(SecretTextActive());
  {
    const TSecretTextScope outer(true);
    EXPECT_TRUE(SecretTextActive());
    {
      // An ordinary canvas inside keeps the text secret.
      const TSecretTextScope inner(false);
      EXPECT_TRUE(SecretTextActive());
    }
    EXPECT_TRUE(SecretTextActive());
  }
  EXPECT_FALSE(SecretTextActive());
}

}  // namespace

// The theme flag and the four clipboard formats of rich text.
#include "platform/gui/Clipbrd.h"
#include "richtext/model/VLClipFormats.h"
#include "richtext/model/VLXPTheme.h"

#include <gtest/gtest.h>

TEST(ThemeAndClipboardFormats, FormatsAreRegisteredOnceInOrderAsTheirMimeTypes) {
  EXPECT_TRUE(VLThemesActive());
  const std::pair<Word, const char*> formats[] = {
      {ClipboardFormatVLF(), "application/x-vellum-format"},
      {ClipboardFormatRTF(), "text/rtf"},
      {ClipboardFormatURL(), "text/uri-list"},
      {ClipboardFormatHTML(), "text/html"},
  };
  const char* names[] = {"Vellum Format", "Rich Text Format", "UniformResourceLocator", "HTML Format"};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(ClipboardFormatMimeType(formats[i].first), formats[i].second);
    EXPECT_EQ(ClipboardFormatName(formats[i].first), names[i]);
    EXPECT_EQ(RegisterClipboardFormat(names[i]), formats[i].first);
    if (i > 0) {
      EXPECT_LT(formats[i - 1].first, formats[i].first);
    }
  }
}

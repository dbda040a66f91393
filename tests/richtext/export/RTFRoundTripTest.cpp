// RTF written by our writer and read back by our reader: every document of
// the generated set comes back with the same paragraph texts in the same
// order, with a list marker where one was. What RTF cannot carry is left out
// of the comparison: a rule goes out as an empty paragraph with a bottom
// border and comes back as such; an image-list bullet comes back as the
// picture it was written as; and a marker at a level its list does not have
// is numbered on a counter of its own here but read back clamped to the
// list's last level, so marker values may differ.
#include "ExportSamples.h"

#include "platform/base/CodePages.h"
#include "platform/base/Streams.h"
#include "richtext/rtf/VLRTFImport.h"
#include "richtext/rtf/VLRTFReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The non-empty paragraphs of the document's plain text (list-marker texts
// included), less the text forms of rules, as UTF-16 lines.
std::vector<std::u16string> Paragraphs(TVLDocumentData& d) {
  TMemoryStream out;
  EXPECT_TRUE(d.SaveTextToStream("", out, 0, false, false, true, false));
  std::u16string text(static_cast<size_t>(out.GetSize()) / 2, u'\0');
  std::memcpy(text.data(), out.Memory(), text.size() * 2);
  std::vector<std::u16string> paras;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(u"\r\n", start);
    if (end == std::u16string::npos) end = text.size();
    std::u16string line = text.substr(start, end - start);
    while (!line.empty() && line.back() == u' ') line.pop_back();
    const bool rule = !line.empty() && line.find_first_not_of(line[0]) == std::u16string::npos &&
                      (line[0] == u'-' || line[0] == u'=' || line[0] == u'_');
    if (!line.empty() && !rule) paras.push_back(line);
    start = end + 2;
  }
  return paras;
}

// "A. text" and "B. text" hold the same text after a list marker.
bool SameParagraph(const std::u16string& want, const std::u16string& got) {
  if (want == got) return true;
  if (want.rfind(u"* ", 0) == 0 && want.substr(2) == got) return true;  // bullet picture
  const size_t a = want.find(u' '), b = got.find(u' ');
  if (a == std::u16string::npos || b == std::u16string::npos) return false;
  auto marker = [](const std::u16string& t) {
    return t.size() >= 2 && t.size() <= 12 && (t.back() == u'.' || t.back() == u')');
  };
  return marker(want.substr(0, a)) && marker(got.substr(0, b)) && want.substr(a) == got.substr(b);
}

bool SameParagraphs(const std::vector<std::u16string>& want, const std::vector<std::u16string>& got) {
  if (want.size() != got.size()) return false;
  for (size_t k = 0; k < want.size(); ++k)
    if (!SameParagraph(want[k], got[k])) return false;
  return true;
}

std::string Utf8(const std::u16string& s) {
  return WideToUtf8(s);
}

}  // namespace

TEST(RTFRoundTrip, OurReaderReadsOurWriterBackToTheSameText) {
  VLRegisterRTFReader();
  // Lists come back only when the reader may add the styles they need.
  TVLRTFReaderProperties& props = VLDefaultRTFReaderProperties();
  const auto savedText = props.TextStyleMode, savedPara = props.ParaStyleMode;
  props.TextStyleMode = vlrsAddIfNeeded;
  props.ParaStyleMode = vlrsAddIfNeeded;
  unsigned failures = 0;
  for (unsigned n = 0; n < 120 && failures < 5; ++n) {
    SCOPED_TRACE("document " + std::to_string(n));
    auto sample = MakeExportSample(n, 20, 2);
    TVLDocumentData& d = *sample->Doc;
    TVLRTFOptions options;
    if (n % 2) options.Include(vlrtfSaveStyleSheet);
    if (n % 3) options.Include(vlrtfDuplicateUnicode);
    d.RTFOptions = options;
    TMemoryStream rtf;
    ASSERT_TRUE(d.SaveRTFToStream(rtf, false, 0, clWindow, nullptr, nullptr));
    rtf.SetPosition(0);

    TVLStyle style(nullptr);
    TVLDocumentData back(&style);
    ASSERT_EQ(back.LoadRTFFromStream(rtf), 0);
    const auto want = Paragraphs(d), got = Paragraphs(back);
    EXPECT_FALSE(want.empty());
    if (!SameParagraphs(want, got)) {
      size_t k = 0;
      while (k < want.size() && k < got.size() && SameParagraph(want[k], got[k])) ++k;
      ADD_FAILURE() << "paragraph " << k << " differs (" << want.size() << " paragraphs written, "
                    << got.size() << " read): \"" << Utf8(k < want.size() ? want[k] : u"")
                    << "\" became \"" << Utf8(k < got.size() ? got[k] : u"") << "\"";
      ++failures;
    }
  }
  props.TextStyleMode = savedText;
  props.ParaStyleMode = savedPara;
}

TEST(RTFRoundTrip, ListRestartedMidDocumentKeepsItsNumbers) {
  VLRegisterRTFReader();
  TVLRTFReaderProperties& props = VLDefaultRTFReaderProperties();
  const auto savedText = props.TextStyleMode, savedPara = props.ParaStyleMode;
  props.TextStyleMode = vlrsAddIfNeeded;
  props.ParaStyleMode = vlrsAddIfNeeded;
  TVLStyle s(nullptr);
  TVLListInfo* list = s.ListStyles->Add();
  TVLListLevel* lvl = list->Levels->Add();
  lvl->ListType = vllstDecimal;
  lvl->FormatString = "%0:s.";
  lvl->LeftIndent = 24;
  TVLDocumentData d(&s);
  auto item = [&](const char* text, bool reset, Integer start = 1) {
    d.SetAddParagraphMode(true);
    d.SetListMarker(-1, 0, 0, start, 0, reset);
    d.AddTextItem(text, 0, -1);
  };
  item("one", false);
  item("two", false);
  item("three", false);
  d.AddTextItem("between", 0, 0);
  item("again", true, 5);
  item("more", false);
  TMemoryStream rtf;
  ASSERT_TRUE(d.SaveRTFToStream(rtf, false, 0, clWindow, nullptr, nullptr));
  rtf.SetPosition(0);
  TVLStyle style(nullptr);
  TVLDocumentData back(&style);
  ASSERT_EQ(back.LoadRTFFromStream(rtf), 0);
  const std::vector<std::u16string> want = {u"1. one", u"2. two", u"3. three", u"between", u"5. again", u"6. more"};
  EXPECT_EQ(Paragraphs(d), want);
  const auto got = Paragraphs(back);
  ASSERT_EQ(got.size(), want.size());
  for (size_t k = 0; k < want.size(); ++k) EXPECT_EQ(Utf8(got[k]), Utf8(want[k])) << "paragraph " << k;
  props.TextStyleMode = savedText;
  props.ParaStyleMode = savedPara;
}

TEST(RTFRoundTrip, StyleNamesWithSemicolonsComeBackWhole) {
  TVLStyle style(nullptr);
  style.ParaStyles->Items(0)->StyleName = "Quote; indented";
  style.TextStyles->Items(0)->StyleName = "a;b;";
  TVLDocumentData d(&style);
  d.AddTextItem("text", 0, 0);
  TVLRTFOptions options;
  options.Include(vlrtfSaveStyleSheet);
  d.RTFOptions = options;
  TMemoryStream rtf;
  ASSERT_TRUE(d.SaveRTFToStream(rtf, false, 0, clWindow, nullptr, nullptr));
  const AnsiString bytes = rtf.Bytes();
  EXPECT_NE(bytes.find("Quote\\'3b indented;}"), AnsiString::npos) << bytes;
  EXPECT_NE(bytes.find("a\\'3bb\\'3b;}"), AnsiString::npos) << bytes;
  rtf.SetPosition(0);
  TVLRTFReader reader;
  reader.OnNewText = [](TVLRTFReader*, const AnsiString&, TVLRTFPosition) {};
  ASSERT_EQ(reader.ReadFromStream(rtf), 0);
  std::vector<std::string> names;
  for (const auto& e : reader.StyleSheet) names.push_back(e->Name);
  EXPECT_NE(std::find(names.begin(), names.end(), "Quote; indented"), names.end());
  EXPECT_NE(std::find(names.begin(), names.end(), "a;b;"), names.end());
}

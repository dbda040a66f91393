// Tables in a footer that no document was given for: the import ends, their
// content stays out of the text, and content after the last row goes to the
// discarded document instead of round and round in its own cell.
#include "RTFTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(RTFDiscardedHeaderFooter, TablesEndOutsideTheText) {
  const char* const cases[] = {
      "{\\rtf1 a\\par{\\footer\\intbl x\\cell\\row\\intbl y}b}",
      "{\\rtf1 a\\par{\\footer\\intbl x\\cell\\row\\intbl y}}",
      "{\\rtf1 a\\par{\\footer\\intbl x\\cell\\row\\intbl\\itap2 y\\nestcell}b}",
      "{\\rtf1 a\\par{\\footer\\intbl x{\\footer\\intbl y}\\cell}b}",
  };
  for (const char* rtf : cases) {
    TVLStyle style(nullptr);
    TVLDocumentData doc(&style), header(&style);
    TVLRTFReaderProperties props;
    props.HeaderVLData = &header;
    ASSERT_EQ(rtftest::Import(props, doc, rtf), 0) << rtf;
    const std::string text = rtftest::PlainText(doc);
    EXPECT_EQ(text.substr(0, 1), "a") << rtf;
    EXPECT_EQ(text.find_first_of("xy|"), std::string::npos) << rtf << ": " << text;
    EXPECT_EQ(header.GetItemCount(), 0) << rtf;
  }
}

// The fuzzer's find: inserted with lists, a header and no footer document.
TEST(RTFDiscardedHeaderFooter, FuzzFindEnds) {
  const std::string bytes =
      qytest::ReadFileBytes(qytest::SourceDir() / "tests/richtext/rtf/data/fuzz-timeout-footer-table.rtf");
  ASSERT_FALSE(bytes.empty());
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style), header(&style);
  TVLRTFReaderProperties props;
  props.UnicodeMode = vlruMixed;
  props.TextStyleMode = vlrsAddIfNeeded;
  props.ParaStyleMode = vlrsAddIfNeeded;
  props.HeaderVLData = &header;
  doc.AddTextItem("before", 0, 0);
  doc.AddTextItem("after", 0, 0);
  TStringStream in(bytes);
  Integer index = 1;
  EXPECT_EQ(props.InsertFromStream(in, &doc, index), 3);
  EXPECT_NE(rtftest::PlainText(doc).find("before"), std::string::npos);
}

}  // namespace

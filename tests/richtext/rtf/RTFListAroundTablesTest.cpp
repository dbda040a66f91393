// A numbered list whose paragraphs go on after a table counts on from before
// the table, the table's own list paragraphs included, as long as the
// paragraphs name the same list override; an override that restarts its
// level restarts it.
#include "RTFTestSupport.h"
#include "richtext/model/VLMarkers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using rtftest::Import;

namespace {

const char* const Head =
    "{\\rtf1{\\fonttbl{\\f0 Arial;}}"
    "{\\*\\listtable{\\list{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}}"
    "\\listid1}{\\list{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\'02\\'00);}{\\levelnumbers\\'01;}}"
    "\\listid2}}"
    "{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}{\\listoverride\\listid2\\ls2}"
    "{\\listoverride\\listid1\\listoverridecount1{\\lfolevel\\listoverridestartat\\levelstartat5}\\ls3}}";

TEST(RTFListAroundTables, NumberingGoesOnThroughTables) {
  struct Case {
    const char* What;
    const char* Body;
    std::vector<std::string> Markers;
  } cases[] = {
      {"list items in the cells",
       "\\pard\\ls1\\ilvl0 a\\par"
       "\\trowd\\cellx2000\\cellx4000\\pard\\intbl\\ls1\\ilvl0 c1\\cell\\pard\\intbl\\ls1\\ilvl0 c2\\cell\\row"
       "\\pard\\ls1\\ilvl0 b\\par",
       {"1.", "4."}},
      {"a table without list items in between",
       "\\pard\\ls1\\ilvl0 a\\par"
       "\\trowd\\cellx2000\\pard\\intbl x\\cell\\row"
       "\\pard\\ls1\\ilvl0 b\\par",
       {"1.", "2."}},
      {"two rows, then two paragraphs",
       "\\pard\\ls1\\ilvl0 a\\par"
       "\\trowd\\cellx2000\\pard\\intbl\\ls1\\ilvl0 r1\\cell\\row"
       "\\trowd\\cellx2000\\pard\\intbl\\ls1\\ilvl0 r2\\cell\\row"
       "\\pard\\ls1\\ilvl0 b\\par\\pard\\ls1\\ilvl0 c\\par",
       {"1.", "4.", "5."}},
      {"another list in the table does not break the first",
       "\\pard\\ls1\\ilvl0 a\\par"
       "\\trowd\\cellx2000\\pard\\intbl\\ls2\\ilvl0 o\\cell\\row"
       "\\pard\\ls1\\ilvl0 b\\par",
       {"1.", "2."}},
      {"an override that starts again does",
       "\\pard\\ls1\\ilvl0 a\\par"
       "\\trowd\\cellx2000\\pard\\intbl\\ls1\\ilvl0 c\\cell\\row"
       "\\pard\\ls3\\ilvl0 b\\par",
       {"1.", "5."}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    rtftest::TImported in;
    ASSERT_EQ(in.Read(std::string(Head) + c.Body + "}"), 0);
    EXPECT_EQ(rtftest::MarkerTexts(in.Doc), c.Markers);
  }
}

}  // namespace

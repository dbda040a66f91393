// Where a list item's text starts after its number: at the level's tab, at
// the hanging indent when the number is followed by a tab and no tab is
// given (office suites write such lists), right after the number otherwise.
#include "RTFTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

TEST(RTFListIndents, TheTextStartsWhereTheNumbersTabTakesIt) {
  struct Case {
    const char* What;
    const char* Level;  // the words of the level after its text and numbers
    Integer Marker;  // twips from the paragraph's left
    Integer Gap;     // twips from the number's start to the text's, 0 for right after it
  } cases[] = {
      {"tab given", "\\fi-360\\li720\\jclisttab\\tx720", 360, 360},
      {"tab beyond the indent", "\\fi-360\\li720\\jclisttab\\tx1080", 360, 720},
      {"no tab, a tab follows the number", "\\levelfollow0\\fi-360\\li720", 360, 360},
      {"no tab, nothing said of what follows", "\\fi-360\\li1080", 720, 360},
      {"no tab, a space follows the number", "\\levelfollow1\\fi-360\\li720", 360, 0},
      {"no tab, nothing follows the number", "\\levelfollow2\\fi-360\\li720", 360, 0},
      {"no hanging indent", "\\fi0\\li720", 720, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    const std::string rtf = std::string("{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\*\\listtable{\\list{\\listlevel\\levelnfc0"
                                        "\\levelstartat1{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}") +
                            c.Level + "}\\listid1}}{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}"
                                      "\\pard\\ls1\\ilvl0 item\\par}";
    rtftest::TImported in;
    ASSERT_EQ(in.Read(rtf), 0);
    const TVLListInfos& lists = *in.Style.ListStyles;
    ASSERT_GT(lists.Count(), 0);
    const TVLListLevel& level = *lists.Items(lists.Count() - 1)->Levels->Items(0);
    // Pixels at the reader's resolution, compared in twips.
    const auto twips = [&](Integer px) { return px * 1440 / in.Props.PixelsPerInch; };
    EXPECT_EQ(twips(level.MarkerIndent), c.Marker);
    EXPECT_EQ(twips(std::max<Integer>(0, level.LeftIndent + level.FirstIndent - level.MarkerIndent)), c.Gap);
  }
}

}  // namespace

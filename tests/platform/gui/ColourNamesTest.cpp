// Colour names and values as INI files and property streams write them.
#include "platform/base/SysUtils.h"
#include "platform/gui/GfxColors.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <vector>

namespace {

TEST(ColourNames, EveryColourNameRoundTripsAndNamesAreUnique) {
  std::vector<String> names;
  GetColorValues([&](const String& n) { names.push_back(n); });
  ASSERT_GE(names.size(), 50u);
  std::set<TColor> values;
  for (const String& name : names) {
    TColor c = 0;
    ASSERT_TRUE(IdentToColor(name, c)) << name;
    EXPECT_TRUE(values.insert(c).second) << name << " shares its value";
    EXPECT_EQ(ColorToString(c), name);
    EXPECT_EQ(StringToColor(name), c) << name;
    String ident;
    EXPECT_TRUE(ColorToIdent(c, ident));
    EXPECT_EQ(ident, name);
    if (IsSystemColor(c)) {
      EXPECT_FALSE(IsSystemColor(ColorToRGB(c))) << name;
    }
  }
  // Unnamed values as eight hex digits, in both directions and any case.
  struct Case {
    TColor Color;
    const char* Text;
  };
  for (const Case& c : {Case{0x00010203, "$00010203"}, Case{0x00ABCDEF, "$00ABCDEF"},
                        Case{static_cast<TColor>(0xFF0000FE), "$FF0000FE"}, Case{0x02000001, "$02000001"}}) {
    EXPECT_EQ(ColorToString(c.Color), c.Text);
    EXPECT_EQ(StringToColor(c.Text), c.Color) << c.Text;
    String lower = c.Text;
    for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    EXPECT_EQ(StringToColor(lower), c.Color) << lower;
  }
  EXPECT_EQ(StringToColor(" $0000FF "), clRed);
  EXPECT_EQ(StringToColor("0x00FF00"), clLime);
  for (const char* bad : {"$", "$12G", "", "cl", "clRedd", "0x"}) {
    TColor c;
    EXPECT_FALSE(IdentToColor(bad, c)) << bad;
    EXPECT_THROW(StringToColor(bad), EConvertError) << bad;
  }
  EXPECT_EQ(RGB(0x12, 0x34, 0x56), 0x563412);
  EXPECT_EQ(GetRValue(0x563412), 0x12);
  EXPECT_EQ(GetGValue(0x563412), 0x34);
  EXPECT_EQ(GetBValue(0x563412), 0x56);
  for (int i = 0; i <= MaxSysColorIndex; ++i) EXPECT_FALSE(IsSystemColor(FixedSysColor(i))) << i;
  EXPECT_EQ(FixedSysColor(-1), clBlack);
  EXPECT_EQ(FixedSysColor(MaxSysColorIndex + 1), clBlack);
}

}  // namespace

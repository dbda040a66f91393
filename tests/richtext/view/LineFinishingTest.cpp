// Line finishing: line spacing, justification and right-to-left order.
#include "LayoutFixture.h"

using namespace qytest;

TEST(LineFinishing, LineSpacingModes) {
  struct TCase {
    Integer Spacing;
    TVLLineSpacingType Type;
    Integer Extra;
  };
  // Size 16: lines of 20 pixels (ascent 16, descent 4), 11-pixel characters.
  const TCase cases[] = {{150, vllsPercent, 10}, {50, vllsPercent, -10}, {49, vllsPercent, 0},
                         {100, vllsPercent, 0},  {7, vllsSpaceBetween, 7}, {-1, vllsSpaceBetween, 0}};
  for (const TCase& c : cases) {
    TLayoutDoc d;
    d.Style.TextStyles->Items(0)->Size = 16;
    d.Data.Width = 65;
    d.Text("aaaa bbbb", 0, d.Para(vlaLeft, c.Spacing, c.Type));
    d.Format();
    ASSERT_EQ(d.Data.DrawItems.Count(), 2);
    EXPECT_EQ(d.DI(0).ExtraSpaceBelow, c.Extra) << c.Spacing;
    EXPECT_EQ(d.DI(1).Top, 5 + 20 + c.Extra) << c.Spacing;
    EXPECT_EQ(d.Data.DocumentHeight, 5 + 20 + c.Extra + 20 + c.Extra + 5) << c.Spacing;
  }
  // A line of pictures only gets no percent spacing.
  TLayoutDoc d;
  d.Picture(20, 10, d.Para(vlaLeft, 150));
  d.Format();
  EXPECT_EQ(d.DI(0).ExtraSpaceBelow, 0);
}

TEST(LineFinishing, JustificationSpreadsTheRemainderToTheLastSpaces) {
  // Characters of 7 pixels and spaces of 12: "a", " b", " c", " d" fill 64
  // of 74 pixels; " eeee" does not fit its space and wraps.
  TLayoutDoc d;
  d.M.SpaceWidth = 12;
  d.Data.Width = 84;
  d.Text("a b c d eeee", 0, d.Para(vlaJustify));
  d.Format();
  ExpectPieces(d,
               {{5, 5, 7, 13, 1, 1, true},
                {12, 5, 22, 13, 2, 2, false},
                {34, 5, 22, 13, 4, 2, false},
                {56, 5, 23, 13, 6, 2, false},
                {5, 18, 28, 13, 9, 4, true}},
               "justified");
  EXPECT_EQ(d.DI(1).JustifyExtra, 3);
  EXPECT_EQ(d.DI(2).JustifyExtra, 3);
  EXPECT_EQ(d.DI(3).JustifyExtra, 4);
  // The paragraph's last line stays as it is.
  EXPECT_EQ(d.DI(4).JustifyExtra, 0);
  // In a paragraph with a direction, justification counts as left.
  TLayoutDoc r;
  r.M.SpaceWidth = 12;
  r.Data.Width = 84;
  r.Text("a b c d eeee", 0, r.Para(vlaJustify, 100, vllsPercent, vlbdLeftToRight));
  r.Format();
  EXPECT_EQ(r.DI(3).JustifyExtra, 0);
  EXPECT_EQ(r.DI(3).Left, 50);
}

TEST(LineFinishing, RightToLeftLinesAreReordered) {
  struct TCase {
    std::vector<std::u16string> Pieces;
    Integer FirstIndent;
    std::vector<Integer> Lefts;
  };
  // Pieces of two characters (14 pixels) from the left margin 5.
  const TCase cases[] = {
      // Right-to-left, left-to-right, right-to-left: visually reversed.
      {{u"\u05D0\u05D1", u"cd", u"\u05D2\u05D3"}, 0, {33, 19, 5}},
      // Two left-to-right neighbours keep their order between them.
      {{u"\u05D0\u05D1", u"cd", u"ef"}, 0, {33, 5, 19}},
      // The first indent is taken back on the first line.
      {{u"\u05D0\u05D1", u"cd", u"\u05D2\u05D3"}, 6, {33, 19, 5}},
      // Neutral pieces take the paragraph's direction.
      {{u"12", u"\u05D0\u05D1"}, 0, {19, 5}},
  };
  for (const TCase& c : cases) {
    TLayoutDoc d;
    const Integer p = d.Para(vlaLeft, 100, vllsPercent, vlbdRightToLeft);
    d.Style.ParaStyles->Items(p)->FirstIndent = c.FirstIndent;
    for (size_t i = 0; i < c.Pieces.size(); ++i) d.Wide(c.Pieces[i], 0, i == 0 ? p : -1);
    d.Format();
    std::vector<Integer> lefts;
    for (Integer i = 0; i < d.Data.DrawItems.Count(); ++i) lefts.push_back(d.DI(i).Left);
    EXPECT_EQ(lefts, c.Lefts) << c.FirstIndent;
  }
}

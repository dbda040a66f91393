// Layout of items into lines: line breaks and positions computed by hand
// with the fixed measurer (7-pixel characters, 13-pixel lines).
#include "LayoutFixture.h"

#include "platform/base/CodePages.h"
#include "platform/base/SysUtils.h"

#include <random>

using namespace qytest;

TEST(LayoutLines, ParagraphBreaksAndPositions) {
  // 70 pixels of text width: ten characters per line.
  struct TCase {
    Word Flags;
    std::vector<TPiece> Pieces;
    Integer Height;
  };
  const TCase cases[] = {
      // Swallowed: the space at the break is on neither line.
      {vllfCollectJumps | vllfSwallowSpaces, {{5, 5, 63, 13, 1, 9, true}, {5, 18, 49, 13, 11, 7, true}}, 36},
      // Kept at the end of the upper line.
      {0, {{5, 5, 70, 13, 1, 10, true}, {5, 18, 49, 13, 11, 7, true}}, 36},
  };
  for (const TCase& c : cases) {
    TLayoutDoc d;
    d.Data.SetLayoutFlags(c.Flags);
    d.Text("aaaa bbbb cccc dd");
    d.Format();
    ExpectPieces(d, c.Pieces, "paragraph");
    EXPECT_EQ(d.Data.DocumentHeight, c.Height);
    EXPECT_EQ(d.Data.TextWidth, 70);
    EXPECT_EQ(d.Data.DocumentWidth, 70);
  }
}

TEST(LayoutLines, StylesSpacingBreaksAndEmptyItems) {
  {
    // A larger style on the line raises the baseline of what stands before it.
    TLayoutDoc d;
    d.Text("ab");
    d.Text("CD", 1, -1);
    d.Format();
    ExpectPieces(d, {{5, 15, 14, 13, 1, 2, true}, {19, 5, 28, 26, 1, 2, false}}, "raised baseline");
    EXPECT_EQ(d.Data.DocumentHeight, 25 + 6 + 5);
  }
  {
    // Space before 4 and after 6 around two paragraphs.
    TLayoutDoc d;
    const Integer p = d.Para();
    d.Style.ParaStyles->Items(p)->SpaceBefore = 4;
    d.Style.ParaStyles->Items(p)->SpaceAfter = 6;
    d.Text("ab", 0, p);
    d.Text("cd", 0, p);
    d.Format();
    ExpectPieces(d, {{5, 9, 14, 13, 1, 2, true}, {5, 32, 14, 13, 1, 2, true}}, "paragraph spacing");
    EXPECT_EQ(d.Data.DocumentHeight, 56);
  }
  {
    // A break is 11 pixels high over the whole text width, from the margin.
    TLayoutDoc d;
    const Integer p = d.Para();
    d.Style.ParaStyles->Items(p)->LeftIndent = 20;
    d.Text("ab", 0, p);
    d.Break();
    d.Text("cd", 0, p);
    d.Format();
    ExpectPieces(d, {{25, 5, 14, 13, 1, 2, true}, {5, 18, 70, 11, 0, 0, true}, {25, 29, 14, 13, 1, 2, true}},
                 "break");
    EXPECT_EQ(d.Data.DocumentHeight, 47);
  }
  {
    // An empty item still makes a line of the text's height.
    TLayoutDoc d;
    d.Text("");
    d.Text("ab");
    d.Format();
    ExpectPieces(d, {{5, 5, 0, 13, 1, 0, true}, {5, 18, 14, 13, 1, 2, true}}, "empty item");
  }
}

TEST(LayoutLines, EmptyDocumentIsItsMargins) {
  TLayoutDoc d;
  d.Data.Margins[1] = 7;
  d.Data.Margins[3] = 9;
  d.Format();
  EXPECT_EQ(d.Data.DrawItems.Count(), 0);
  EXPECT_EQ(d.Data.DocumentHeight, 16);
  d.Data.ClearDrawLines();
  EXPECT_EQ(d.Data.DocumentHeight, 16);
  EXPECT_EQ(d.Data.GetFirstItemVisible(), -1);
}

TEST(LayoutLines, WordsWiderThanTheLineAreSplit) {
  struct TCase {
    const char16_t* Text;
    bool ClientWidth;
    Integer Width;
    std::vector<Integer> Lengths;
  };
  const TCase cases[] = {
      {u"abcdefghijklmnop", true, 80, {10, 6}},
      // A line narrower than one character still takes one, and a surrogate
      // pair is never split between lines.
      {u"\U0001F600\U0001F600x", true, 15, {2, 2, 1}},
      {u"a\U0001F600bc", true, 15, {1, 2, 1, 1}},
      {u"x\u0301yz", true, 30, {3, 1}},
  };
  for (const TCase& c : cases) {
    TLayoutDoc d;
    if (c.ClientWidth) d.Data.Options.Include(vloClientTextWidth);
    d.Data.Width = c.Width;
    d.Wide(c.Text);
    d.Format();
    std::vector<Integer> lengths;
    for (Integer i = 0; i < d.Data.DrawItems.Count(); ++i) lengths.push_back(d.DI(i).Length);
    EXPECT_EQ(lengths, c.Lengths);
  }
}

TEST(LayoutLines, WordsGoingOnInTheNextItemMoveWhole) {
  // 70 pixels: ten characters a line, the space at a break swallowed. Items after the first go on its line;
  // a false Wide stores them as 8-bit text (the curly apostrophe is 0x92).
  struct TCase {
    const char* What;
    bool Wide;
    std::vector<std::u16string> Items;
    const char* Lines;
  };
  const TCase cases[] = {
      {"apostrophe starting the next item", true, {u"so we didn", u"\u2019t go"}, "so we|didn\u2019t go"},
      {"in 8-bit text", false, {u"so we didn", u"\u2019t go"}, "so we|didn\u2019t go"},
      {"a word over three items", true, {u"so we ", u"didn", u"\u2019t go"}, "so we |didn\u2019t go"},
      {"within one item", true, {u"so we didn\u2019t go"}, "so we|didn\u2019t go"},
      {"a space starting the next item", true, {u"so we saw", u" it go"}, "so we saw|it go"},
      {"a word wider than the line", true, {u"abcdefgh", u"ijklmnop"}, "abcdefghij|klmnop"},
      {"in 8-bit text, wider than the line", false, {u"ab cdefgh", u"ijklmnop", u"q"}, "ab|cdefghijkl|mnopq"},
      {"the item's last word runs on", true, {u"kxney", u"d jxm", u"eamf", u"t sas"}, "kxneyd|jxmeamft|sas"},
      {"in 8-bit text", false, {u"kxney", u"d jxm", u"eamf", u"t sas"}, "kxneyd|jxmeamft|sas"},
      {"over four items", true, {u"Sunda", u"y Wed", u"nesda", u"ys"}, "Sunday|Wednesdays"},
  };
  for (const TCase& c : cases) {
    TLayoutDoc d;
    for (size_t i = 0; i < c.Items.size(); ++i) {
      const Integer para = i == 0 ? 0 : -1;
      if (c.Wide) d.Wide(c.Items[i], 0, para);
      else {
        AnsiString a;
        for (char16_t ch : c.Items[i]) a += ch == u'\u2019' ? '\x92' : static_cast<char>(ch);
        d.Data.AddTextItem(a, 0, para);
      }
    }
    d.Format();
    std::u16string lines;
    for (Integer i = 0; i < d.Data.DrawItems.Count(); ++i) {
      const TVLDrawLineInfo& a = d.DI(i);
      if (a.StartsNewLine && i > 0) lines += u'|';
      lines += c.Items[static_cast<size_t>(a.ItemNo)].substr(static_cast<size_t>(a.TextOffset - 1),
                                                           static_cast<size_t>(a.Length));
    }
    EXPECT_EQ(WideToUtf8(lines), c.Lines) << c.What;
  }
}

TEST(LayoutLines, AlignmentMovesTheLine) {
  struct TCase {
    TVLAlignment Align;
    Integer Left;
  };
  // "abcd" is 28 of 70 pixels.
  const TCase cases[] = {{vlaLeft, 5}, {vlaRight, 47}, {vlaCenter, 26}, {vlaJustify, 5}};
  for (const TCase& c : cases) {
    TLayoutDoc d;
    d.Text("abcd", 0, d.Para(c.Align));
    d.Format();
    EXPECT_EQ(d.DI(0).Left, c.Left) << c.Align;
  }
  // Centred content wider than its room is not moved left.
  TLayoutDoc d;
  d.Data.Options.Include(vloClientTextWidth);
  d.Data.Width = 30;
  d.Picture(50, 10, d.Para(vlaCenter));
  d.Format();
  EXPECT_EQ(d.DI(0).Left, 5);
}

TEST(LayoutLines, ListMarkerKeepsItsText) {
  {
    TLayoutDoc d;
    d.Data.Options.Include(vloClientTextWidth);
    d.Marker(10, 30);
    d.Text("aaaa bbbb cccc", 0, -1);
    d.Marker(10, 30);
    d.Text("abcdefghijklmnopqrstuvwxyz", 0, -1);
    d.Format();
    // The marker at its indent, its text after it; later lines at the level's
    // left indent. A word no line holds is split beside the marker.
    ExpectPieces(d,
                 {{15, 5, 20, 13, 0, 0, true},
                  {35, 5, 28, 13, 1, 4, false},
                  {35, 18, 28, 13, 6, 4, true},
                  {35, 31, 28, 13, 11, 4, true},
                  {15, 44, 20, 13, 0, 0, true},
                  {35, 44, 35, 13, 1, 5, false},
                  {35, 57, 35, 13, 6, 5, true},
                  {35, 70, 35, 13, 11, 5, true},
                  {35, 83, 35, 13, 16, 5, true},
                  {35, 96, 35, 13, 21, 5, true},
                  {35, 109, 7, 13, 26, 1, true}},
                 "list");
  }
  // A narrow column with a left indent narrower than the marker: a first
  // word that a line of its own holds goes there whole, and none of the
  // text goes past the line beside a marker that fills it.
  struct TCase {
    const char* Name;
    Integer Width;
    AnsiString Text, GoesOn;  // GoesOn: an item the first word runs on into
    std::vector<TPiece> Pieces;
  };
  const TCase cases[] = {
      {"a word one line holds", 80, "abcdefg", "", {{15, 5, 20, 13, 0, 0, true}, {17, 18, 49, 13, 1, 7, true}}},
      {"a word in a run of two items", 80, "abcd", "efg",
       {{15, 5, 20, 13, 0, 0, true}, {17, 18, 28, 13, 1, 4, true}, {45, 18, 21, 13, 1, 3, false}}},
      {"a marker as wide as the line", 40, "abcd", "",
       {{15, 5, 20, 13, 0, 0, true}, {17, 18, 14, 13, 1, 2, true}, {17, 31, 14, 13, 3, 2, true}}},
  };
  for (const TCase& c : cases) {
    TLayoutDoc d;
    d.Data.Options.Include(vloClientTextWidth);
    d.Data.Width = c.Width;
    d.Marker(10, 12);
    d.Text(c.Text, 0, -1);
    if (!c.GoesOn.empty()) d.Text(c.GoesOn, 0, -1);
    d.Format();
    ExpectPieces(d, c.Pieces, c.Name);
  }
}

TEST(LayoutLines, TailIsLaidOutLikeTheWhole) {
  TLayoutDoc d;
  d.Text("aaaa bbbb cccc dd");
  d.Text("ee", 1, -1);
  d.Format();
  TVLDrawLineInfo* first = d.Data.DrawItems[0];
  d.Text("ff gggg hhhh", 0, 0);
  d.Picture(20, 10);
  d.Text("iiii", 0, 0);
  d.Data.Format(false, false, false, 0, nullptr, true, false);
  EXPECT_EQ(d.Data.DrawItems[0], first);
  std::vector<TPiece> tail;
  for (Integer i = 0; i < d.Data.DrawItems.Count(); ++i) {
    const TVLDrawLineInfo& a = d.DI(i);
    tail.push_back({a.Left, a.Top, a.Width, a.Height, a.TextOffset, a.Length, a.StartsNewLine});
  }
  const Integer tailHeight = d.Data.DocumentHeight;
  d.Format();
  ExpectPieces(d, tail, "tail");
  EXPECT_EQ(d.Data.DocumentHeight, tailHeight);
  EXPECT_EQ(d.Data.LastFormattedItem, 4);
}

TEST(LayoutLines, ScrollBarAppearingFormatsAgainNarrower) {
  TLayoutDoc d;
  d.Data.Height = 30;
  d.Data.ScrollBarWidth = 20;
  d.Text("aaaa bbbb cccc dd eeee");
  d.Format();
  // 80 - 20 - 10 = 50 pixels: seven characters per line.
  EXPECT_TRUE(d.Data.ScrollBarShown);
  EXPECT_EQ(d.Data.TextWidth, 50);
  EXPECT_EQ(d.DI(0).Length, 4);
  EXPECT_EQ(d.Data.SizeReports, 2);
  EXPECT_EQ(d.Data.ReportedHeight, d.Data.DocumentHeight);
}

TEST(LayoutLines, ResizeWithTheSameWidthKeepsLayoutAndSelection) {
  TLayoutDoc d;
  d.Text("aaaa bbbb cccc dd");
  d.Format();
  d.Data.StoreSelBounds(0, 3, 0, 12);
  TVLDrawLineInfo* first = d.Data.DrawItems[0];
  d.Data.VOffset = 7;
  d.Data.Format(true, false, false, 0, nullptr, false, false);
  EXPECT_EQ(d.Data.DrawItems[0], first);
  Integer si, so, ei, eo;
  d.Data.GetSelBounds(false, si, so, ei, eo);
  EXPECT_EQ(std::vector<Integer>({si, so, ei, eo}), std::vector<Integer>({0, 3, 0, 12}));
  EXPECT_EQ(d.Data.VOffset, 7);
  // A wider host lays out again and keeps the selection by item position.
  d.Data.Width = 200;
  d.Data.Format(true, false, true, 0, nullptr, false, false);
  EXPECT_EQ(d.Data.DrawItems.Count(), 1);
  d.Data.GetSelBounds(false, si, so, ei, eo);
  EXPECT_EQ(std::vector<Integer>({si, so, ei, eo}), std::vector<Integer>({0, 3, 0, 12}));
}

TEST(LayoutLines, FailedLayoutLeavesTheRestUnformatted) {
  // A paragraph far below every coordinate the view can handle: layout
  // refuses it rather than wrapping, and says what was laid out.
  TLayoutDoc d;
  const Integer far = d.Para();
  d.Style.ParaStyles->Items(far)->SpaceBefore = VLMaxCoordinate;
  d.Text("ab");
  d.Text("cd");
  d.Text("ef", 0, far);
  d.Text("gh");
  EXPECT_THROW(d.Format(), EIntOverflow);
  EXPECT_EQ(d.Data.LastFormattedItem, 1);
  EXPECT_EQ(d.Data.DrawItems.Count(), 2);
  EXPECT_EQ(d.Data.GetItem(1)->DrawItemNo, 1);
  EXPECT_EQ(d.Data.GetItem(2)->DrawItemNo, -1);
  EXPECT_EQ(d.Data.GetItem(3)->DrawItemNo, -1);
  EXPECT_EQ(d.Data.GetState() & vlstDoNotFormat, 0u);
  // The next layout runs again (and fails again the same way).
  EXPECT_THROW(d.Format(), EIntOverflow);
}

TEST(LayoutLines, HypertextAreasOfWrappedLinksShareTheirId) {
  TLayoutDoc d;
  const Integer link = 4;
  ASSERT_TRUE(d.Style.TextStyles->Items(link)->Jump);
  d.Text("aaaa bbbb cccc dddd eeee", link);
  d.Text(" plain", 0, -1);
  d.Text("ff", link, -1);
  d.Text("", link, 0);
  d.Picture(10, 10);
  d.Format();
  // The wrapped link: three lines, three areas, one id.
  ASSERT_EQ(d.Data.Jumps.size(), 4u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(d.Data.Jumps[static_cast<size_t>(i)]->JumpID, 0) << i;
    EXPECT_EQ(d.Data.Jumps[static_cast<size_t>(i)]->Top, d.DI(i).Top) << i;
  }
  EXPECT_EQ(d.Data.Jumps[3]->JumpID, 1);
  EXPECT_EQ(d.Data.GetItem(0)->JumpID, 0);
  EXPECT_EQ(d.Data.GetItem(2)->JumpID, 1);
  // An empty link has no area; a plain picture is no link.
  EXPECT_EQ(d.Data.GetItem(3)->JumpID, -3);
  EXPECT_EQ(d.Data.NextJumpNo, 2);
  // Without the flag no areas are collected.
  d.Data.SetLayoutFlags(vllfSwallowSpaces);
  d.Format();
  EXPECT_TRUE(d.Data.Jumps.empty());
}

TEST(LayoutLines, MinimumWidthsSetTheDocumentWidth) {
  struct TCase {
    const char* What;
    Integer Left, Right, First;
    bool NoWrap, Marker;
    Integer MinWidth;
  };
  // 7-pixel characters; pictures 10 + 2 pixels; markers 20 pixels.
  const TCase cases[] = {
      {"widest word and indents", 10, 5, 8, false, false, 42 + 23},
      {"a negative first indent counts nothing", 10, 5, -4, false, false, 42 + 15},
      {"a paragraph that does not wrap", 0, 0, 0, true, false, 63 + 12},
      {"a marker and the word after it", 0, 0, 0, false, true, 30 + 20 + 42},
  };
  for (const TCase& c : cases) {
    TLayoutDoc d;
    const Integer p = d.Para();
    TParaInfo* para = d.Style.ParaStyles->Items(p);
    para->LeftIndent = c.Left;
    para->RightIndent = c.Right;
    para->FirstIndent = c.First;
    if (c.NoWrap) para->Options.Include(vlpaoNoWrap);
    if (c.Marker) {
      d.Marker(10, 30, p);
      d.Text("ab abcdef", 0, -1);
    } else {
      d.Text("ab abcdef", 0, p);
      d.Picture(10, 10);
    }
    EXPECT_EQ(d.Data.CalculateMinDocWidth(nullptr, nullptr), c.MinWidth) << c.What;
  }
  // Without a client text width lines never wrap narrower than the widest
  // unbreakable element; a maximum text width narrows them.
  TLayoutDoc d;
  d.Text("abcdefghijklmnopqrst");
  d.Format();
  EXPECT_EQ(d.Data.DocumentWidth, 140);
  EXPECT_EQ(d.Data.TextWidth, 140);
  EXPECT_EQ(d.Data.ReportedWidth, 150);
  d.Data.MaxTextWidth = 50;
  d.Format();
  EXPECT_EQ(d.Data.TextWidth, 50);
  d.Data.MaxTextWidth = 0;
  d.Data.MinTextWidth = 200;
  d.Format();
  EXPECT_EQ(d.Data.DocumentWidth, 200);
}

namespace {

// The lines of a laid-out document as text, each without the spaces it ends
// with (a space left at the end of an item is drawn, one inside an item is
// swallowed: the same line either way).
std::vector<std::u16string> LineTexts(TLayoutDoc& d, const std::vector<std::u16string>& items) {
  std::vector<std::u16string> lines;
  for (Integer i = 0; i < d.Data.DrawItems.Count(); ++i) {
    const TVLDrawLineInfo& a = d.DI(i);
    if (a.StartsNewLine || lines.empty()) lines.emplace_back();
    lines.back() += items[static_cast<size_t>(a.ItemNo)].substr(static_cast<size_t>(a.TextOffset - 1),
                                                              static_cast<size_t>(a.Length));
  }
  for (auto& l : lines)
    while (!l.empty() && l.back() == u' ') l.pop_back();
  return lines;
}

std::string Joined(const std::vector<std::u16string>& lines) {
  std::u16string s;
  for (const auto& l : lines) s += (s.empty() ? u"" : u"|") + l;
  return WideToUtf8(s);
}

}  // namespace

// Where a paragraph's text is cut into items (a style changed mid-word, a
// spelling mark) never moves its line breaks: random paragraphs cut at random
// places into items of random styles as wide as each other lay out at every
// width as the same text in one item does.
TEST(LayoutLines, ItemBoundariesNeverMoveLineBreaks) {
  struct TMode {
    const char* What;
    bool Wide, RealFont;
  };
  const TMode modes[] = {{"8-bit text", false, false}, {"Unicode text", true, false}, {"a real font", true, true}};
  // (An opening bracket before spaces, which keeps the next word, is left out.)
  const char16_t* marks[] = {u"-", u"\u2019", u",", u".", u")", u"/", u"!"};
  std::mt19937 rng(90);
  auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
  for (const TMode& mode : modes) {
    int compared = 0, differing = 0;
    std::string firstDiffs;
    for (int para = 0; para < (mode.RealFont ? 300 : 1500); ++para) {
      std::u16string text;
      const int words = 1 + pick(14);
      for (int w = 0; w < words; ++w) {
        if (w > 0) text += pick(8) == 0 ? u"  " : u" ";
        const int len = 1 + pick(pick(4) == 0 ? 16 : 8);
        for (int c = 0; c < len; ++c) text += static_cast<char16_t>(u'a' + pick(26));
        if (mode.Wide && pick(4) == 0) text.insert(text.size() - static_cast<size_t>(pick(len)), marks[pick(7)]);
      }
      std::vector<std::u16string> items;
      for (size_t at = 0; at < text.size();) {
        const size_t n = std::min(text.size() - at, static_cast<size_t>(1 + pick(9)));
        items.push_back(text.substr(at, n));
        at += n;
      }
      auto layout = [&](const std::vector<std::u16string>& its, Integer width) {
        TLayoutDoc d;
        if (mode.RealFont) {
          d.Data.Measurer = TVLTextMeasurer::Default();
          for (Integer i = 0; i < d.Style.TextStyles->Count(); ++i) d.Style.TextStyles->Items(i)->FontName = "Liberation Mono";
        }
        // Styles that differ in all but their width.
        const Integer base = d.Style.TextStyles->Count();
        for (Integer k = 0; k < 3; ++k) {
          TFontInfo* f = d.Style.TextStyles->Add();
          f->Size = 10;
          f->Unicode = mode.Wide;
          if (mode.RealFont) f->FontName = "Liberation Mono";
          f->Color = static_cast<TColor>(0x102030 * (k + 1));
          if (k == 1) f->Style = TFontStyles{fsUnderline};
        }
        d.Data.Options.Include(vloClientTextWidth);
        d.Data.Width = width;
        for (size_t i = 0; i < its.size(); ++i) {
          const Integer style = its.size() == 1 ? base : base + pick(3);
          const Integer paraNo = i == 0 ? 0 : -1;
          if (mode.Wide) d.Data.AddTextItemTag(Raw(its[i]), style, paraNo, TVLTag());
          else {
            AnsiString a;
            for (char16_t ch : its[i]) a += static_cast<char>(ch);
            d.Data.AddTextItem(a, style, paraNo);
          }
        }
        d.Format();
        return LineTexts(d, its);
      };
      for (Integer width : {20, 35, 49, 60, 70, 77, 84, 100, 131, 170}) {
        const auto whole = layout({text}, width), cut = layout(items, width);
        ++compared;
        if (whole == cut) continue;
        if (++differing <= 3) {
          std::u16string shown;
          for (const auto& it : items) shown += (shown.empty() ? u"" : u"\u00a6") + it;
          firstDiffs += "\n  at " + std::to_string(width) + " px, items \"" + WideToUtf8(shown) + "\": one item \"" +
                        Joined(whole) + "\", cut \"" + Joined(cut) + "\"";
        }
      }
    }
    EXPECT_EQ(differing, 0) << mode.What << ": " << differing << " of " << compared << " layouts differ" << firstDiffs;
  }
}

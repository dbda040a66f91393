#include "spell/scStringParser.h"

#include <gtest/gtest.h>

TEST(StringParser, MovesSelectsAndReplaces) {
  AnsiString empty;
  TStringParser p;
  p.Initialize(&empty);
  EXPECT_EQ(p.GetChar(), 0);
  EXPECT_FALSE(p.MoveNext());

  AnsiString s = "one two three";
  p.Initialize(&s);
  p.SetPosition(0, 0, ppCurrent);
  int x = -1, y = -1;
  p.GetPosition(x, y);
  EXPECT_EQ(x, 1);
  EXPECT_EQ(y, 0);
  EXPECT_FALSE(p.MovePrevious());
  p.GetPosition(x, y);
  EXPECT_EQ(x, 1);
  // Replace "two" by a longer word with an end mark after it.
  p.SetPosition(14, 0, ppEnd);
  p.SetPosition(8, 0, ppCurrent);
  p.SelectWord(3);
  p.ReplaceWord("twelve", 0);
  EXPECT_EQ(s, "one twelve three");
  p.GetPosition(x, y);
  EXPECT_EQ(x, 11);
  // The end mark moved by 3: "three" still ends inside the range.
  p.SetPosition(14, 0, ppCurrent);
  EXPECT_TRUE(p.MoveNext());
  EXPECT_TRUE(p.MoveNext());
  EXPECT_TRUE(p.MoveNext());
  EXPECT_FALSE(p.MoveNext());
  // Ignore moves past the selection; rectangles have no window.
  p.SetPosition(4, 0, ppCurrent);
  p.SelectWord(3);
  p.IgnoreWord(10);
  p.GetPosition(x, y);
  EXPECT_EQ(x, 4);
  TRect r;
  p.GetSelectionScreenRect(r);
  EXPECT_EQ(r.Left, -1);
  p.GetControlScreenRect(r);
  EXPECT_EQ(r.Bottom, -1);
  int sx, sy, ex, ey;
  p.GetSelectionPosition(sx, sy, ex, ey);
  EXPECT_EQ(sx, 4);
  EXPECT_EQ(ex, 4);
  int data = 5;
  p.UndoLast(1, saChange, data);
  EXPECT_EQ(data, 5);
  EXPECT_EQ(s, "one twelve three");
}

TEST(StringParser, BlocksAgreeWithSingleSteps) {
  // Ahead hands out what MoveNext and GetChar would give one by one, up
  // to the end mark.
  struct Case {
    const char* text;
    int start, endMark;  // endMark 0: none
  } cases[] = {
      {"one two", 1, 0}, {"one two", 3, 0}, {"one two", 1, 3}, {"one two", 5, 5},
      {"one two", 6, 2}, {"x", 1, 0},       {"x", 1, 1},       {"", 1, 0},
  };
  for (const auto& c : cases) {
    AnsiString a = c.text, b = c.text;
    TStringParser block, steps;
    block.Initialize(&a);
    steps.Initialize(&b);
    for (TStringParser* p : {&block, &steps}) {
      if (c.endMark) p->SetPosition(c.endMark, 0, ppEnd);
      p->SetPosition(c.start, 0, ppCurrent);
    }
    const char* data = nullptr;
    const int n = block.Ahead(data);
    std::string fromBlock(data ? data : "", static_cast<size_t>(n)), fromSteps;
    if (n > 0) {
      fromSteps += steps.GetChar();
      while (static_cast<int>(fromSteps.size()) < n && steps.MoveNext()) fromSteps += steps.GetChar();
    }
    EXPECT_EQ(fromBlock, fromSteps) << c.text << " " << c.start << " " << c.endMark;
    // The step after the block is the one single steps would take next.
    if (n > 1) block.Skip(n - 1);
    EXPECT_EQ(block.MoveNext(), steps.MoveNext()) << c.text << " " << c.start << " " << c.endMark;
    EXPECT_EQ(block.GetChar(), steps.GetChar()) << c.text << " " << c.start << " " << c.endMark;
  }
}

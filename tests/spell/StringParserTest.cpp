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

// Caret stops and caret movement over a document laid out with fixed
// metrics: 7 pixels a character, text from x = 5, 27 characters a line.
#include "EditTestSupport.h"

using namespace qytest;

TEST(CaretStops, StopsOfALineAndTheirPixelColumns) {
  TEditDoc d;
  d.Text("ab", 0);
  d.Text("cd", 1, -1);
  d.Format();
  d.Caret(0, 1);
  // One stop per position; the boundary of the two items is the end of the
  // first (no stop of its own at the start of the second).
  ASSERT_EQ(d.Data.CharPositions.size(), 5u);
  const Integer xs[] = {5, 12, 19, 26, 33};
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(d.Data.CharPositions[i].X, xs[i]) << i;
  d.Caret(1, 1);
  EXPECT_EQ(d.Data.CaretCharPos, 2);
  EXPECT_EQ(d.Data.GetCaretItemNo(), 0);
  EXPECT_EQ(d.Data.GetCaretOffset(), 3);
  EXPECT_EQ(d.Data.CaretX, 19);
  // A caret query on an empty editor first makes an item to type into.
  TEditDoc e;
  EXPECT_EQ(e.Data.GetCaretItemNo(), 0);
  EXPECT_EQ(e.Data.GetItemCount(), 1);
  EXPECT_EQ(e.Data.GetCaretOffset(), 1);
}

TEST(CaretStops, NoStopInsideASurrogatePairOrBeforeACombiningMark) {
  TEditDoc d;
  d.Data.AddUnicodeTextItemTag(WideToRawUnicode(u"a\U0001F600e\u0301z"), d.UStyle, 0, TVLTag());
  d.Format();
  d.Caret(0, 1);
  std::vector<Integer> offs;
  for (const TVLCharPos& p : d.Data.CharPositions) offs.push_back(p.Offset);
  EXPECT_EQ(offs, (std::vector<Integer>{1, 2, 4, 6, 7}));
  // Right steps over whole characters.
  d.Data.MoveCaretRight(false, false);
  d.Data.MoveCaretRight(false, false);
  EXPECT_EQ(d.Data.GetCaretOffset(), 4);
}

TEST(CaretMovement, LeftRightAndWordsAcrossLines) {
  TEditDoc d;
  // Wraps after "alpha beta gamma delta " (27 characters fit).
  d.Text("alpha beta gamma delta epsilon zeta");
  d.Text("second");
  d.Format();
  ASSERT_GT(d.Data.DrawItems.Count(), 2);
  struct TCase {
    const char* What;
    Integer Item, Offs;
    bool Left, Word;
    Integer ExpItem, ExpOffs;
    bool Edge;
  } cases[] = {
      {"left at a line start goes to the end of the previous line", 1, 1, true, false, 0, 36, false},
      {"ctrl+left mid-word goes to the word start", 0, 15, true, true, 0, 12, false},
      {"ctrl+left at a word start goes to the previous word", 0, 12, true, true, 0, 7, false},
      {"ctrl+right goes to the next word start", 0, 8, false, true, 0, 12, false},
      {"left at the document start stays", 0, 1, true, false, 0, 1, true},
      {"right at the document end stays", 1, 7, false, false, 1, 7, true},
      {"ctrl+right at the document end stays", 1, 7, false, true, 1, 7, true},
      {"right at a paragraph end goes to the next paragraph", 0, 36, false, false, 1, 1, false},
  };
  for (const TCase& c : cases) {
    d.Caret(c.Item, c.Offs);
    const bool edge = c.Left ? d.Data.MoveCaretLeft(false, c.Word) : d.Data.MoveCaretRight(false, c.Word);
    EXPECT_EQ(edge, c.Edge) << c.What;
    EXPECT_EQ(d.Data.GetCaretItemNo(), c.ExpItem) << c.What;
    EXPECT_EQ(d.Data.GetCaretOffset(), c.ExpOffs) << c.What;
  }
}

TEST(CaretMovement, UpAndDownKeepTheStopsX) {
  TEditDoc d;
  d.Text("0123456789");
  d.Text("ab");
  d.Text("0123456789");
  d.Format();
  d.Caret(0, 6);  // x = 5 + 5 * 7 = 40
  EXPECT_FALSE(d.Data.MoveCaretDown(false, false));
  // The short line: its end.
  EXPECT_EQ(d.Data.GetCaretItemNo(), 1);
  EXPECT_EQ(d.Data.GetCaretOffset(), 3);
  EXPECT_FALSE(d.Data.MoveCaretDown(false, false));
  // No remembered column: the x of the short line's end.
  EXPECT_EQ(d.Data.GetCaretItemNo(), 2);
  EXPECT_EQ(d.Data.GetCaretOffset(), 3);
  EXPECT_TRUE(d.Data.MoveCaretDown(false, false));
  d.Caret(2, 9);
  EXPECT_FALSE(d.Data.MoveCaretUp(false, false));
  EXPECT_EQ(d.Data.GetCaretOffset(), 3);
  d.Caret(0, 4);
  d.Data.VOffset = 7;
  EXPECT_TRUE(d.Data.MoveCaretUp(false, false));
  EXPECT_EQ(d.Data.VOffset, 0);
  // Shift+Up on the first line selects to the line start.
  d.Data.StartSelectionAtCaret();
  EXPECT_TRUE(d.Data.MoveCaretUp(true, false));
  d.Data.ExtendSelectionToCaret();
  EXPECT_EQ(d.Data.GetCaretOffset(), 1);
  Integer s, so, e, eo;
  d.Data.GetSelBounds(true, s, so, e, eo);
  EXPECT_EQ(so, 1);
  EXPECT_EQ(eo, 4);
}

TEST(CaretMovement, HomeEndAndPagesEvenInAWindowOfNoHeight) {
  TEditDoc d;
  for (int i = 0; i < 40; ++i) d.Text("line " + IntToStr(i));
  d.Format();
  d.Caret(5, 3);
  EXPECT_FALSE(d.Data.MoveCaretEnd(false));
  EXPECT_EQ(d.Data.GetCaretOffset(), 7);
  EXPECT_TRUE(d.Data.MoveCaretHome(true));
  EXPECT_EQ(d.Data.GetCaretItemNo(), 0);
  EXPECT_TRUE(d.Data.MoveCaretEnd(true));
  EXPECT_EQ(d.Data.GetCaretItemNo(), 39);
  for (Integer h : {0, 1, 100}) {
    d.Data.Height = h;
    d.Caret(0, 1);
    d.Data.VOffset = 0;
    d.Data.MoveCaretPageDown();
    EXPECT_GT(d.Data.GetCaretItemNo(), 0) << h;
    d.Data.MoveCaretPageUp();
    EXPECT_LT(d.Data.GetCaretItemNo(), 39) << h;
  }
  d.Data.Height = 100;
  d.Caret(0, 1);
  d.Data.MoveCaretPageDown();
  const Integer after = d.Data.GetCaretItemNo();
  EXPECT_GT(after, 2);
  EXPECT_LT(after, 10);
}

TEST(CaretMovement, AnInvalidCaretIsRepairedAndLogged) {
  TEditDoc d;
  d.Text("abc");
  d.Format();
  d.Caret(0, 2);
  d.Data.CaretCharPos = 100000;
  d.Data.PlaceCaret(false, false, false);
  EXPECT_EQ(d.Data.Repairs, 1);
  EXPECT_EQ(d.Data.GetCaretOffset(), 1);
}

TEST(CaretStops, RightToLeftParagraphs) {
  TEditDoc d;
  d.Style.ParaStyles->Items(1)->BiDiMode = vlbdRightToLeft;
  d.Data.AddUnicodeTextItemTag(WideToRawUnicode(u"\u05e9\u05dc\u05d5\u05dd"), d.UStyle, 1, TVLTag());
  const Integer pic = d.Picture(20, 10);
  d.Data.GetItem(pic)->ParaNo = 1;
  d.Data.GetItem(pic)->ItemOptions &= static_cast<Byte>(~vlioSameAsPrev);
  d.Format();
  // Hebrew: the stops are the placed characters', right to left, with no
  // shift of their own.
  d.Caret(0, 1);
  ASSERT_EQ(d.Data.CharPositions.size(), 5u);
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(d.Data.CharPositions[i].Offset, static_cast<Integer>(i + 1));
    EXPECT_EQ(d.Data.CharPositions[i].Shift, 0);
    if (i > 0) {
      EXPECT_LT(d.Data.CharPositions[i].X, d.Data.CharPositions[i - 1].X) << i;
    }
  }
  const Integer before = d.Data.CaretX;
  d.Data.MoveCaretRight(false, false);
  EXPECT_EQ(d.Data.GetCaretOffset(), 2);
  EXPECT_LT(d.Data.CaretX, before) << "forward in the text is leftwards on screen";
  // A picture is entered from its right edge and left at its left edge.
  d.Caret(pic, 0);
  ASSERT_EQ(d.Data.CharPositions.size(), 2u);
  const TVLDrawLineInfo* di = d.Data.DrawItems[d.Data.GetItem(pic)->DrawItemNo];
  EXPECT_EQ(d.Data.CharPositions[0].X, di->Left + di->Width);
  EXPECT_EQ(d.Data.CharPositions[0].Shift, 2);
  EXPECT_EQ(d.Data.CharPositions[1].X, di->Left);
  EXPECT_EQ(d.Data.CharPositions[1].Shift, 1);
}

// Searching a viewer's document and copying its selection.
#include "ViewerFixture.h"

#include "platform/base/CodePages.h"
#include "platform/gui/Clipbrd.h"
#include "richtext/view/VLSearch.h"

using namespace qytest;

TEST(Search, FindWordAcceptsWholeWordsWithoutOverlaps) {
  const AnsiString delims = " .;,";
  const struct {
    std::u16string Text, Pattern;
    bool Whole, Backward;
    Integer Expected;
  } cases[] = {
      {u"concat cat", u"cat", true, false, 8},
      {u"concat cat", u"cat", false, false, 4},
      {u"concatenate", u"cat", true, false, 0},
      {u"aaa", u"aa", false, true, 1},
      {u"cat, cat. cats", u"cat", true, true, 6},
      {u"", u"x", false, false, 0},
  };
  for (const auto& c : cases) {
    const Integer p = c.Backward ? VLFindWordBackward(c.Text, c.Pattern, c.Whole, delims)
                                 : VLFindWord(c.Text, c.Pattern, c.Whole, delims);
    EXPECT_EQ(p, c.Expected) << WideToUtf8(c.Text);
  }
}

TEST(Search, SelectsMatchesAndMovesOn) {
  TViewer v;
  v.Add("The Cat sat.");
  v.Add("A second CAT and a cat.");
  v.Format();
  // Case-insensitive downward search walks from one match to the next.
  const struct {
    Integer Item, Start, End;
  } expected[] = {{0, 5, 8}, {1, 10, 13}, {1, 20, 23}};
  for (const auto& e : expected) {
    ASSERT_TRUE(v.View->SearchText("cat", true, false, true));
    Integer s, so, en, eo;
    v.View->GetSelectionBounds(s, so, en, eo, true);
    EXPECT_EQ(s, e.Item);
    EXPECT_EQ(so, e.Start);
    EXPECT_EQ(eo, e.End);
  }
  EXPECT_FALSE(v.View->SearchText("cat", true, false, true)) << "nothing after the last match";
  // Matching case skips the capitals.
  v.View->Deselect();
  ASSERT_TRUE(v.View->SearchText("CAT", true, true, false));
  Integer s, so, en, eo;
  v.View->GetSelectionBounds(s, so, en, eo, true);
  EXPECT_EQ(s, 1);
  EXPECT_EQ(so, 10);
  // Upward the search starts behind the match (its moving end), so it finds
  // the same word; the next upward search starts in front of it.
  ASSERT_TRUE(v.View->SearchText("cat", false, false, false));
  v.View->GetSelectionBounds(s, so, en, eo, false);
  EXPECT_EQ(s, 1);
  EXPECT_EQ(so, 13) << "the anchor of an upward match is its end";
  EXPECT_EQ(eo, 10);
  ASSERT_TRUE(v.View->SearchText("cat", false, false, false));
  v.View->GetSelectionBounds(s, so, en, eo, true);
  EXPECT_EQ(s, 0);
  EXPECT_EQ(so, 5);
}

// "Keyword" with a bold first letter is one word over two text items of a
// paragraph: found whole and selected over both, the options read across the
// style change; a paragraph's end or a picture is no part of a match.
TEST(Search, AWordWithAStyleChangeInsideIsFoundWhole) {
  TViewer v;
  v.Style.TextStyles->Items(1)->Style = TFontStyles{fsBold};
  v.Add("K", 1);
  v.Add("eyword, key", 0, -1);
  v.Add("word", 1, -1);
  v.Add("Key", 0);
  v.Add("word", 1);  // a paragraph of its own
  v.Add("Ke", 0);
  v.Picture(8, 8, -1, "Key");  // a picture named as letters, between letters
  v.Add("word", 1, -1);
  v.Format();
  struct TMatch {
    Integer From, FromOffs, To, ToOffs;
    bool operator==(const TMatch&) const = default;
  };
  const struct {
    const char* Text;
    bool Down, MatchCase, WholeWord;
    std::vector<TMatch> Expected;  // in the order the search finds them
  } cases[] = {
      {"keyword", true, false, false, {{0, 1, 1, 7}, {1, 9, 2, 5}}},
      {"keyword", false, false, false, {{1, 9, 2, 5}, {0, 1, 1, 7}}},
      {"KEYWORD", true, false, true, {{0, 1, 1, 7}, {1, 9, 2, 5}}},
      {"keyword", true, true, false, {{1, 9, 2, 5}}},
      {"Keyword", false, true, true, {{0, 1, 1, 7}}},
      {"eyword", true, false, true, {}},  // a letter of another style before it
      {"keyw", true, false, true, {}},
      {"d, k", true, false, false, {{1, 6, 1, 10}}},
      {"keyword key", true, false, false, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Text << (c.Down ? " down" : " up") << (c.MatchCase ? " case" : "")
                                    << (c.WholeWord ? " whole" : ""));
    if (c.Down)
      v.View->SetSelectionBounds(0, 1, 0, 1);
    else
      v.View->SetSelectionBounds(7, 5, 7, 5);
    std::vector<TMatch> found;
    while (found.size() < 5 && v.View->SearchText(c.Text, c.Down, c.MatchCase, c.WholeWord)) {
      TMatch m{};
      v.View->GetSelectionBounds(m.From, m.FromOffs, m.To, m.ToOffs, true);
      found.push_back(m);
    }
    ASSERT_EQ(found.size(), c.Expected.size());
    for (size_t i = 0; i < found.size(); ++i) {
      EXPECT_TRUE(found[i] == c.Expected[i]) << i << ": " << found[i].From << "," << found[i].FromOffs << " - "
                                             << found[i].To << "," << found[i].ToOffs;
    }
  }
  // What is selected reads as the word.
  v.View->SetSelectionBounds(0, 1, 0, 1);
  ASSERT_TRUE(v.View->SearchText("keyword", true, false, false));
  EXPECT_EQ(v.View->GetSelText(), "Keyword");
}

TEST(Search, UnicodeTextOnAWesternCodePage) {
  TViewer v;
  // An 8-bit style in the Western code page and a Unicode one.
  v.Style.TextStyles->Items(0)->Unicode = false;
  v.Add("Plain Western text");
  TFontInfo* wide = v.Style.TextStyles->Add();
  wide->Unicode = true;
  v.Add("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, \xD0\xBC\xD0\xB8\xD1\x80!",
        v.Style.TextStyles->Count() - 1);  // "Привет, мир!"
  v.Format();
  // Lower-case Cyrillic finds the capitalised word; "?" finds nothing.
  ASSERT_TRUE(v.View->SearchText("\xD0\xBF\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", true, false, true));
  Integer s, so, e, eo;
  v.View->GetSelectionBounds(s, so, e, eo, true);
  EXPECT_EQ(s, 1);
  EXPECT_EQ(so, 1);
  EXPECT_EQ(eo, 7);
  v.View->Deselect();
  EXPECT_FALSE(v.View->SearchText("?", true, false, false));
  // 8-bit text is found by its Unicode form.
  EXPECT_TRUE(v.View->SearchText("WESTERN", true, false, true));
}

TEST(Copy, VLFBlockStartsWithItsLength) {
  const struct {
    size_t Size;
    unsigned char B0, B1, B2, B3;
  } cases[] = {{0, 0, 0, 0, 0}, {1000, 0xE8, 0x03, 0, 0}, {70000, 0x70, 0x11, 0x01, 0}};
  for (const auto& c : cases) {
    const AnsiString block = VLMakeVLFBlock(AnsiString(c.Size, 'x'));
    ASSERT_EQ(block.size(), c.Size + 4);
    EXPECT_EQ(static_cast<unsigned char>(block[0]), c.B0);
    EXPECT_EQ(static_cast<unsigned char>(block[1]), c.B1);
    EXPECT_EQ(static_cast<unsigned char>(block[2]), c.B2);
    EXPECT_EQ(static_cast<unsigned char>(block[3]), c.B3);
  }
}

TEST(Copy, SelectionGoesOnTheClipboardInItsFormats) {
  TViewer v;
  v.Add("Copy this word, please");
  v.Add("and the next line");
  v.Format();
  v.View->SetSelectionBounds(0, 6, 1, 4);
  int copies = 0;
  v.View->OnCopy = [&](TObject*) { ++copies; };
  ASSERT_TRUE(v.View->Copy());
  EXPECT_EQ(copies, 1);
  const Word vlf = RegisterClipboardFormat(VLFClipboardFormatName);
  ASSERT_TRUE(Clipboard().HasFormat(vlf));
  const AnsiString block = Clipboard().GetData(vlf);
  ASSERT_GT(block.size(), 4u);
  const uint32_t n = static_cast<unsigned char>(block[0]) | static_cast<unsigned char>(block[1]) << 8 |
                     static_cast<unsigned char>(block[2]) << 16 | static_cast<uint32_t>(static_cast<unsigned char>(block[3])) << 24;
  EXPECT_EQ(n + 4, block.size());
  // The text is made when it is read.
  EXPECT_EQ(Clipboard().GetAsText(), "this word, please\r\nand");
  // The VLF pastes back as the selected items.
  TViewer target;
  TMemoryStream stream;
  stream.WriteBuffer(block.data() + 4, static_cast<Int64>(n));
  stream.SetPosition(0);
  ASSERT_TRUE(target.View->LoadVLFFromStream(stream));
  EXPECT_EQ(target.View->ItemCount(), 2);
}

TEST(Copy, OptionsAndSelectionDecide) {
  TViewer v;
  v.Add("text");
  v.Format();
  // Nothing to copy: true, clipboard untouched.
  Clipboard().SetAsText("unchanged");
  EXPECT_TRUE(v.View->Copy());
  EXPECT_EQ(Clipboard().GetAsText(), "unchanged");
  // Copying switched off entirely.
  v.View->SelectAll();
  v.View->Options = TVLOptions{vloAllowSelection};
  EXPECT_FALSE(v.View->Copy());
  EXPECT_EQ(Clipboard().GetAsText(), "unchanged");
}

TEST(Copy, PictureOnlyForExactlyOnePicture) {
  TViewer v;
  v.Add("a");
  const Integer pic = v.Picture(30, 20);
  v.Add("b", 0, -1);
  v.Format();
  auto* item = v.View->GetItem(pic);
  const struct {
    Integer S, SO, E, EO;
    bool Picture;
  } cases[] = {{1, 0, 1, 1, true}, {0, 2, 2, 1, true}, {0, 1, 1, 1, false}, {1, 0, 2, 2, false}};
  for (const auto& c : cases) {
    v.View->SetSelectionBounds(c.S, c.SO, c.E, c.EO);
    EXPECT_EQ(v.View->GetSelectedImage() != nullptr, c.Picture && item->GetGraphic() != nullptr)
        << c.S << "/" << c.SO << "-" << c.E << "/" << c.EO;
    EXPECT_EQ(v.View->GetSelectedImage(), c.Picture ? item->GetGraphic() : nullptr);
  }
}

// Text and paragraph styles applied to the selection: items split at the
// selection bounds, joined again where they match, and one Undo restores
// the document byte for byte.
#include "EditTestSupport.h"

using namespace qytest;

namespace {

// A conversion to one fixed text style, as the editor's ApplyTextStyle does.
void ToStyle(TEditDoc& d, Integer styleNo) {
  d.Data.TextConversion = [styleNo](Integer, Integer, bool, Integer& n) { n = styleNo; };
}

std::string Styles(TEditDoc& d) {
  std::string r;
  for (Integer i = 0; i < d.Data.GetItemCount(); ++i) r += std::to_string(d.Data.GetItemStyle(i)) + " ";
  return r;
}

}  // namespace

TEST(ApplyTextStyle, SelectionsSplitItemsAndOneUndoRestores) {
  struct TCase {
    const char* What;
    Integer SI, SO, EI, EO;
    const char* Dump;
    const char* Styles;
    Integer SelS, SelSO, SelE, SelEO;
  } cases[] = {
      {"middle of one word: three items", 0, 3, 0, 5, "ab+cd+ef|ghi", "0 1 0 0 ", 1, 1, 1, 3},
      {"start of an item", 0, 1, 0, 3, "ab+cdef|ghi", "1 0 0 ", 0, 1, 0, 3},
      {"end of an item", 0, 5, 0, 7, "abcd+ef|ghi", "0 1 0 ", 1, 1, 1, 3},
      {"whole item", 0, 1, 0, 7, "abcdef|ghi", "1 0 ", 0, 1, 0, 7},
      {"across a paragraph break", 0, 5, 1, 3, "abcd+ef|gh+i", "0 1 1 0 ", 1, 1, 2, 3},
      {"backward selection keeps its direction", 1, 3, 0, 5, "abcd+ef|gh+i", "0 1 1 0 ", 2, 3, 1, 1},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    TEditDoc d;
    d.Text("abcdef");
    d.Text("ghi");
    d.Format();
    const AnsiString before = d.Vlf();
    d.Data.StoreSelBounds(c.SI, c.SO, c.EI, c.EO);
    ToStyle(d, 1);
    d.Data.ApplyStyleConversion(0);
    EXPECT_EQ(d.Dump(), c.Dump);
    EXPECT_EQ(Styles(d), c.Styles);
    Integer s, so, e, eo;
    d.Data.GetSelBounds(false, s, so, e, eo);
    EXPECT_EQ(std::vector<Integer>({s, so, e, eo}), std::vector<Integer>({c.SelS, c.SelSO, c.SelE, c.SelEO}));
    ASSERT_EQ(d.Data.UndoList->Count(), 1);
    d.Data.UndoList->Undo(&d.Data);
    EXPECT_EQ(d.Vlf(), before);
    d.Data.RedoList->Redo(&d.Data);
    EXPECT_EQ(d.Dump(), c.Dump);
  }
}

TEST(ApplyTextStyle, MatchingNeighboursJoinAndSameStyleRecordsNothing) {
  TEditDoc d;
  d.Text("bold", 1);
  d.Data.AddTextItem("plain", 0, -1);
  d.Format();
  ASSERT_EQ(d.Dump(), "bold+plain");
  d.Data.StoreSelBounds(1, 1, 1, 6);
  ToStyle(d, 1);
  d.Data.ApplyStyleConversion(0);
  EXPECT_EQ(d.Dump(), "boldplain");
  EXPECT_EQ(Styles(d), "1 ");
  Integer s, so, e, eo;
  d.Data.GetSelBounds(false, s, so, e, eo);
  EXPECT_EQ(std::vector<Integer>({s, so, e, eo}), std::vector<Integer>({0, 5, 0, 10}));
  d.Data.UndoList->Undo(&d.Data);
  EXPECT_EQ(d.Dump(), "bold+plain");

  // The same style again: no record for the item.
  d.Data.UndoList->Clear();
  d.Data.StoreSelBounds(0, 1, 0, 5);
  d.Data.ApplyStyleConversion(0);
  ASSERT_EQ(d.Data.UndoList->Count(), 1);
  EXPECT_EQ(d.Data.UndoList->Get(0)->Count(), 0);
}

TEST(ApplyTextStyle, CodePagesAndUnicodeTwin) {
  TEditDoc d;
  d.Data.AddTextItem(WideStringToRawUnicode(u"caf\u00e9 \u4e2d"), d.UStyle, 0);
  d.Data.GetItem(0)->ItemOptions |= vlioUnicode;
  d.Text("plain");
  d.Format();
  // Unicode to 8-bit: the Chinese character cannot be held, so the item
  // goes to the bold style's Unicode twin and keeps every character.
  d.Data.StoreSelBounds(0, 1, 0, 7);
  ToStyle(d, 1);
  d.Data.ApplyStyleConversion(0);
  EXPECT_EQ(d.Dump(), "u:caf\u00e9 \u4e2d|plain");
  const Integer twin = d.Data.GetItemStyle(0);
  EXPECT_NE(twin, d.UStyle);
  EXPECT_TRUE(d.Style.TextStyles->Items(twin)->Unicode);
  EXPECT_TRUE(d.Style.TextStyles->Items(twin)->Style.Contains(fsBold));
  // 8-bit to Unicode converts through the code page.
  d.Data.StoreSelBounds(1, 1, 1, 6);
  ToStyle(d, d.UStyle);
  d.Data.ApplyStyleConversion(0);
  EXPECT_EQ(d.Dump(), "u:caf\u00e9 \u4e2d|u:plain");
  d.Data.UndoList->Undo(&d.Data);
  EXPECT_EQ(d.Dump(), "u:caf\u00e9 \u4e2d|plain");
}

TEST(ApplyTextStyle, TagsAndNoSelection) {
  for (bool clear : {true, false}) {
    TEditDoc d;
    d.Text("tagged");
    d.Data.GetItem(0)->Tag.Int = 7;
    d.Format();
    d.Data.ClearTags = clear;
    d.Data.StoreSelBounds(0, 1, 0, 7);
    ToStyle(d, 1);
    d.Data.ApplyStyleConversion(0);
    EXPECT_EQ(d.Data.GetItem(0)->Tag.Int, clear ? 0 : 7);
  }
  // Without a selection only the current style changes...
  TEditDoc d;
  d.Text("abc");
  d.Format();
  d.Caret(0, 2);
  ToStyle(d, 1);
  d.Data.ApplyStyleConversion(0);
  EXPECT_EQ(d.Data.CurTextStyleNo, 1);
  EXPECT_EQ(Styles(d), "0 ");
  EXPECT_EQ(d.Data.UndoList->Count(), 0);
  // ...except that an empty item at the caret takes it at once.
  TEditDoc e;
  e.Text("");
  e.Format();
  e.Caret(0, 1);
  ToStyle(e, 1);
  e.Data.ApplyStyleConversion(0);
  EXPECT_EQ(Styles(e), "1 ");
  e.Data.UndoList->Undo(&e.Data);
  EXPECT_EQ(Styles(e), "0 ");
}

TEST(ApplyParaStyle, ThreeParagraphsFixedAndConverted) {
  TEditDoc d;
  d.Text("one");
  d.Text("two");
  d.Data.AddTextItem("more", 1, -1);
  d.Text("three");
  d.Text("four");
  d.Format();
  const AnsiString before = d.Vlf();
  d.Data.StoreSelBounds(0, 2, 3, 2);
  d.Data.BeginUndoSequence(vlutParaStyle, true);
  d.Data.ApplyParaStyleConversion(1, false);
  std::string paras;
  for (Integer i = 0; i < d.Data.GetItemCount(); ++i) paras += std::to_string(d.Data.GetItem(i)->ParaNo);
  EXPECT_EQ(paras, "11110");
  EXPECT_EQ(d.Data.CurParaStyleNo, 1);
  ASSERT_EQ(d.Data.UndoList->Count(), 1);
  d.Data.UndoList->Undo(&d.Data);
  EXPECT_EQ(d.Vlf(), before);

  // Converted: the callback sees each paragraph number and the user data.
  d.Data.ParaConversion = [](Integer p, Integer user, Integer& n) { n = p + user; };
  d.Data.StoreSelBounds(2, 2, 3, 2);
  d.Data.BeginUndoSequence(vlutParaStyle, true);
  d.Data.ApplyParaStyleConversion(1, true);
  paras.clear();
  for (Integer i = 0; i < d.Data.GetItemCount(); ++i) paras += std::to_string(d.Data.GetItem(i)->ParaNo);
  EXPECT_EQ(paras, "01110");
}

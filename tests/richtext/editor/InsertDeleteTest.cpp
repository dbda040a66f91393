// Inserting items at the caret, deleting selections, Backspace, Delete and
// Enter, each undone back to the document it started from.
#include "EditTestSupport.h"
#include "richtext/view/VLHitTesting.h"

using namespace qytest;

namespace {

// Runs an edit inside one undo group, as the editor control does.
template <class F>
void Edit(TEditDoc& d, Byte undoType, F f) {
  d.Data.BeginUndoSequence(undoType, true);
  d.Data.SetUndoGroupMode(true);
  f();
  d.Data.SetUndoGroupMode(false);
}

void UndoAll(TEditDoc& d) {
  while (d.Data.UndoList->Count() > 0) d.Data.UndoList->Undo(&d.Data);
}

void Select(TEditDoc& d, Integer si, Integer so, Integer ei, Integer eo) {
  d.Data.StoreSelBounds(si, so, ei, eo);
}

}  // namespace

TEST(InsertItem, APictureMidWordSplitsTheItemAndOneUndoJoinsIt) {
  TEditDoc d;
  d.Text("abcdef");
  d.Format();
  const AnsiString before = d.Vlf();
  d.Caret(0, 4);
  Edit(d, vlutInsert, [&] {
    auto* p = new TVLGraphicItemInfo(&d.Data);
    p->StyleNo = vlsPicture;
    p->ImageWidth = 20;
    p->ImageHeight = 10;
    AnsiString t;
    EXPECT_TRUE(d.Data.InsertItemAtCaret(t, p, false, false));
  });
  EXPECT_EQ(d.Dump(), "abc+#+def");
  EXPECT_EQ(d.Data.GetCaretItemNo(), 1);
  EXPECT_EQ(d.Data.GetCaretOffset(), 1);
  ASSERT_EQ(d.Data.UndoList->Count(), 1);
  d.Data.UndoList->Undo(&d.Data);
  EXPECT_EQ(d.Dump(), "abcdef");
  EXPECT_EQ(d.Vlf(), before);
  d.Data.RedoList->Redo(&d.Data);
  EXPECT_EQ(d.Dump(), "abc+#+def");
}

TEST(InsertItem, PlacementCases) {
  struct TCase {
    const char* What;
    Integer Item, Offs;
    bool Break;
    const char* Expected;
  } cases[] = {
      {"before a paragraph start the old first item continues the new one", 1, 1, false, "one|#+two|"},
      {"at a paragraph end", 0, 4, false, "one+#|two|"},
      {"into an empty paragraph the empty item is replaced", 2, 1, false, "one|two|#"},
      {"a break mid-word stands in a paragraph of its own", 0, 2, true, "o|#|ne|two|"},
  };
  for (const TCase& c : cases) {
    TEditDoc d;
    d.Text("one");
    d.Text("two");
    d.Text("");
    d.Format();
    const AnsiString before = d.Vlf();
    d.Caret(c.Item, c.Offs);
    Edit(d, vlutInsert, [&] {
      TCustomVLItemInfo* item;
      if (c.Break) {
        auto* b = new TVLBreakItemInfo(&d.Data);
        b->StyleNo = vlsBreak;
        item = b;
      } else {
        auto* p = new TVLGraphicItemInfo(&d.Data);
        p->StyleNo = vlsPicture;
        p->ImageWidth = p->ImageHeight = 10;
        item = p;
      }
      AnsiString t;
      d.Data.InsertItemAtCaret(t, item, false, false);
    });
    EXPECT_EQ(d.Dump(), c.Expected) << c.What;
    UndoAll(d);
    EXPECT_EQ(d.Vlf(), before) << c.What;
  }
}

TEST(InsertItem, AReadOnlyParagraphRefusesAndFreesTheItem) {
  TEditDoc d;
  d.Style.ParaStyles->Items(1)->Options = TVLParaOptions{vlpaoReadOnly};
  d.Text("locked", 0, 1);
  d.Format();
  d.Caret(0, 3);
  d.Data.SetCurParaStyleNo(1);
  auto* p = new TVLGraphicItemInfo(&d.Data);
  p->StyleNo = vlsPicture;
  AnsiString t;
  EXPECT_FALSE(d.Data.InsertItemAtCaret(t, p, false, false));
  EXPECT_EQ(d.Dump(), "locked");
}

TEST(DeleteSelection, AcrossThreeParagraphsLeavesOneInTheFirstStyle) {
  TEditDoc d;
  d.Text("first para", 0, 0);
  d.Text("second", 0, 1);
  d.Text("third para", 1, 1);
  d.Format();
  const AnsiString before = d.Vlf();
  Select(d, 0, 3, 2, 7);
  Edit(d, vlutDelete, [&] { EXPECT_TRUE(d.Data.DeleteSelection()); });
  EXPECT_EQ(d.Dump(), "fi+para");
  for (Integer i = 0; i < d.Data.GetItemCount(); ++i) EXPECT_EQ(d.Data.GetItem(i)->ParaNo, 0) << i;
  EXPECT_EQ(d.Data.GetCaretItemNo(), 0);
  EXPECT_EQ(d.Data.GetCaretOffset(), 3);
  UndoAll(d);
  EXPECT_EQ(d.Vlf(), before);
}

TEST(DeleteSelection, CasesAndProtection) {
  struct TCase {
    const char* What;
    Integer Si, So, Ei, Eo;
    bool Protect;
    const char* Expected;
  } cases[] = {
      {"a whole one-item paragraph leaves an empty item", 1, 1, 1, 4, false, "one||three"},
      {"inside one item", 0, 2, 0, 3, false, "oe|two|three"},
      {"from a paragraph start to the next start", 1, 1, 2, 1, false, "one|three"},
      {"a delete-protected item refuses the whole deletion", 0, 2, 2, 3, true, "one|two|three"},
  };
  for (const TCase& c : cases) {
    TEditDoc d;
    d.Style.TextStyles->Items(1)->Protection = TVLProtectOptions{vlprDeleteProtect};
    d.Text("one");
    d.Text("two", c.Protect ? 1 : 0);
    d.Text("three");
    d.Format();
    const AnsiString before = d.Vlf();
    d.Caret(0, 1);
    Select(d, c.Si, c.So, c.Ei, c.Eo);
    Edit(d, vlutDelete, [&] { EXPECT_EQ(d.Data.DeleteSelection(), !c.Protect) << c.What; });
    EXPECT_EQ(d.Dump(), c.Expected) << c.What;
    UndoAll(d);
    EXPECT_EQ(d.Vlf(), before) << c.What;
  }
}

TEST(Backspace, Cases) {
  struct TCase {
    const char* What;
    Integer Item, Offs;
    bool Ctrl;
    const char* Expected;
    Integer CaretItem, CaretOffs;
  } cases[] = {
      {"a character", 0, 3, false, "ac||next word  here", 0, 2},
      {"after an empty paragraph it removes that paragraph", 2, 1, false, "abc|next word  here", 1, 1},
      {"at the start of an empty paragraph removes it", 1, 1, false, "abc|next word  here", 0, 4},
      {"at the very start nothing happens", 0, 1, false, "abc||next word  here", 0, 1},
      {"ctrl removes the word and keeps the space before it", 2, 10, true, "abc||next   here", 2, 6},
      {"ctrl after spaces removes them with the word", 2, 12, true, "abc||next here", 2, 6},
  };
  for (const TCase& c : cases) {
    TEditDoc d;
    d.Text("abc");
    d.Text("");
    d.Text("next word  here");
    d.Format();
    const AnsiString before = d.Vlf();
    d.Caret(c.Item, c.Offs);
    d.Data.BackspacePressed(c.Ctrl, false, false);
    EXPECT_EQ(d.Dump(), c.Expected) << c.What;
    EXPECT_EQ(d.Data.GetCaretItemNo(), c.CaretItem) << c.What;
    EXPECT_EQ(d.Data.GetCaretOffset(), c.CaretOffs) << c.What;
    UndoAll(d);
    EXPECT_EQ(d.Vlf(), before) << c.What;
  }
}

TEST(Backspace, JoiningTwoTextParagraphsConcatenatesIntoTheFirstStyle) {
  TEditDoc d;
  d.Text("left", 0, 0);
  d.Text("right", 0, 1);
  d.Format();
  d.Caret(1, 1);
  d.Data.BackspacePressed(false, false, false);
  EXPECT_EQ(d.Dump(), "leftright");
  EXPECT_EQ(d.Data.GetItem(0)->ParaNo, 0);
  EXPECT_EQ(d.Data.GetCaretOffset(), 5);
}

TEST(Backspace, APictureAloneOnItsLineBecomesAnEmptyItem) {
  TEditDoc d;
  d.Text("abc");
  auto* p = new TVLGraphicItemInfo(&d.Data);
  p->StyleNo = vlsPicture;
  p->ParaNo = 0;
  p->ImageWidth = p->ImageHeight = 10;
  d.Data.AddItem("", p);
  d.Format();
  d.Caret(1, 1);
  d.Data.BackspacePressed(false, false, false);
  EXPECT_EQ(d.Dump(), "abc|");
  EXPECT_EQ(d.Data.GetCaretItemNo(), 1);
}

TEST(DeleteKey, Cases) {
  struct TCase {
    const char* What;
    Integer Item, Offs;
    const char* Expected;
  } cases[] = {
      {"a character", 0, 2, "ac||xyz"},
      {"at a paragraph end whose next paragraph is empty removes only that", 0, 4, "abc|xyz"},
      {"at the end of an empty paragraph joins the next to it", 1, 1, "abc|xyz"},
      {"at the document end nothing", 2, 4, "abc||xyz"},
  };
  for (const TCase& c : cases) {
    TEditDoc d;
    d.Text("abc");
    d.Text("");
    d.Text("xyz");
    d.Format();
    const AnsiString before = d.Vlf();
    d.Caret(c.Item, c.Offs);
    d.Data.BeginUndoSequence(vlutDelete, true);
    d.Data.DeleteKey(false);
    EXPECT_EQ(d.Dump(), c.Expected) << c.What;
    UndoAll(d);
    EXPECT_EQ(d.Vlf(), before) << c.What;
  }
}

TEST(DeleteKey, AtTheEndOfASoftWrappedLineRemovesTheHiddenSpace) {
  TEditDoc d;
  d.Text("aaaaaaaaaaaaaaaaaaaaaaaaa bbbb");
  d.Format();
  ASSERT_EQ(d.Data.DrawItems.Count(), 2);
  d.Caret(0, 26);
  d.Data.MoveCaretEnd(false);
  d.Data.DeleteKey(false);
  EXPECT_EQ(d.Dump(), "aaaaaaaaaaaaaaaaaaaaaaaaabbbb");
}

TEST(Enter, Cases) {
  struct TCase {
    const char* What;
    Integer Item, Offs;
    bool LineBreak;
    const char* Expected;
    Integer CaretItem;
  } cases[] = {
      {"inside a word splits the paragraph", 0, 3, false, "he|llo", 1},
      {"shift inside a word makes a new line of the same paragraph", 0, 3, true, "he/llo", 1},
      {"at the paragraph end adds an empty paragraph", 0, 6, false, "hello|", 1},
      {"at the paragraph start adds an empty paragraph before", 0, 1, false, "|hello", 1},
  };
  for (const TCase& c : cases) {
    TEditDoc d;
    d.Text("hello");
    d.Format();
    const AnsiString before = d.Vlf();
    d.Caret(c.Item, c.Offs);
    EXPECT_TRUE(d.Data.InsertEnter(c.LineBreak)) << c.What;
    EXPECT_EQ(d.Dump(), c.Expected) << c.What;
    EXPECT_EQ(d.Data.GetCaretItemNo(), c.CaretItem) << c.What;
    EXPECT_EQ(d.Data.UndoList->GetLastGroupType(), vlutEnter) << c.What;
    d.Data.UndoList->Undo(&d.Data);
    EXPECT_EQ(d.Vlf(), before) << c.What;
  }
}

TEST(Enter, NextStylesAndRefusal) {
  TEditDoc d;
  d.Style.TextStyles->Items(1)->NextStyleNo = 0;
  d.Style.ParaStyles->Items(1)->NextParaNo = 0;
  TParaInfo* noReturns = d.Style.ParaStyles->Add();
  noReturns->Options = TVLParaOptions{vlpaoDoNotWantReturns};
  d.Text("Heading", 1, 1);
  d.Text("single", 0, d.Style.ParaStyles->Count() - 1);
  d.Format();
  d.Caret(0, 8);
  EXPECT_TRUE(d.Data.InsertEnter(false));
  EXPECT_EQ(d.Data.CurTextStyleNo, 0);
  EXPECT_EQ(d.Data.GetItem(1)->ParaNo, 0);
  EXPECT_EQ(d.Data.GetItem(1)->StyleNo, 0);
  d.Caret(2, 3);
  EXPECT_FALSE(d.Data.InsertEnter(false));
  EXPECT_EQ(d.Dump(), "Heading||single");
}

TEST(Typing, InputMethodCommitIsOneGroupWithTheCaretAfterIt) {
  TEditDoc d;
  d.Data.AddUnicodeTextItemTag(WideToRawUnicode(u"ab"), d.UStyle, 0, TVLTag());
  d.Format();
  d.Caret(0, 2);
  d.Data.InsertTypedText(u"\u65e5\u672c\u8a9e");
  EXPECT_EQ(d.Dump(), "u:a\u65e5\u672c\u8a9eb");
  EXPECT_EQ(d.Data.UndoList->Count(), 1);
  EXPECT_EQ(d.Data.UndoList->GetLastGroupType(), vlutEnter);
  EXPECT_EQ(d.Data.GetCaretOffset(), 5);
  d.Data.UndoList->Undo(&d.Data);
  EXPECT_EQ(d.Dump(), "u:ab");
}

TEST(Typing, TextAnEightBitStyleCannotHoldGoesToAUnicodeStyle) {
  TEditDoc d;
  d.Text("plain");
  d.Format();
  d.Caret(0, 6);
  d.Data.InsertTypedText(u"\u0416");
  EXPECT_EQ(d.Dump(), "plain+u:\u0416");
  const Integer s = d.Data.GetItem(1)->StyleNo;
  EXPECT_TRUE(d.Style.TextStyles->Items(s)->Unicode);
  // Text the style holds stays in it.
  d.Caret(0, 6);
  d.Data.InsertTypedText(u"x");
  EXPECT_EQ(d.Data.GetItemTextA(0), "plainx");
}

TEST(Typing, StylesDecideWhereACharacterGoes) {
  TEditDoc d;
  d.Style.TextStyles->Items(1)->Protection = TVLProtectOptions{vlprModifyProtect};
  d.Text("bold", 1);
  d.Text("reg", 0, -1);
  d.Format();
  // At a bold word's end with the regular style current: into the regular item.
  d.Caret(0, 5);
  d.Data.SetCurTextStyleNo(0);
  d.Data.InsertTypedString("x");
  EXPECT_EQ(d.Dump(), "bold+xreg");
  // Inside protected text: refused.
  d.Caret(0, 3);
  d.Data.InsertTypedString("y");
  EXPECT_EQ(d.Dump(), "bold+xreg");
  // At the document end in another style: a new item.
  d.Caret(1, 5);
  d.Data.SetCurTextStyleNo(d.UStyle);
  d.Data.InsertTypedString(WideToRawUnicode(u"z"));
  EXPECT_EQ(d.Dump(), "bold+xreg+u:z");
  EXPECT_EQ(d.Data.UndoList->GetLastGroupType(), vlutInsert);
}

TEST(InsertItem, InsertedTextInheritsTheTagOfTextOfItsStyle) {
  struct TCase {
    const char* What;
    Integer Offs, StyleNo;
    bool Inherit;
    Integer ExpectedTag;
  } cases[] = {
      {"inside", 2, 0, true, 7},
      {"before", 1, 0, true, 7},
      {"after", 3, 0, true, 7},
      {"another style", 2, 1, true, 0},
      {"not asked", 2, 0, false, 0},
  };
  for (const TCase& c : cases) {
    TEditDoc d;
    d.Text("ab");
    d.Data.GetItem(0)->Tag = TVLTag{7, ""};
    d.Format();
    d.Caret(0, c.Offs);
    ASSERT_TRUE(d.Data.InsertTextItemAtCaret("X", c.StyleNo, c.Inherit, false)) << c.What;
    Integer found = -1;
    for (Integer i = 0; i < d.Data.GetItemCount(); ++i)
      if (d.Data.GetItemTextA(i) == "X") found = i;
    ASSERT_GE(found, 0) << c.What;
    EXPECT_EQ(d.Data.GetItem(found)->Tag.Int, c.ExpectedTag) << c.What;
  }
}

TEST(DeleteSelection, ADropCaretInsideRefusesAndOneAfterKeepsItsPlaceInTheText) {
  struct TCase {
    const char* What;
    Integer SI, SO, EI, EO;    // the selection
    Integer DI, DO;            // the drop caret
    bool Deleted;
    std::string Dump;
    Integer ExpDI, ExpDO;
  } cases[] = {
      {"inside", 0, 7, 0, 12, 0, 9, false, "alpha beta gamma|two|three", 0, 9},
      {"after, same item", 0, 7, 0, 12, 0, 14, true, "alpha gamma|two|three", 0, 9},
      {"at the end", 0, 7, 0, 12, 0, 12, true, "alpha gamma|two|three", 0, 7},
      {"at the start stays", 0, 7, 0, 12, 0, 7, true, "alpha gamma|two|three", 0, 7},
      {"before", 0, 7, 0, 12, 0, 2, true, "alpha gamma|two|three", 0, 2},
      {"across paragraphs, after", 0, 3, 1, 2, 2, 3, true, "alwo|three", 1, 3},
      {"across paragraphs, inside", 0, 3, 2, 2, 1, 2, false, "alpha beta gamma|two|three", 1, 2},
  };
  for (const TCase& c : cases) {
    TEditDoc d;
    d.Text("alpha beta gamma");
    d.Text("two");
    d.Text("three");
    d.Format();
    d.Data.DragDropCaret = std::make_unique<TVLDragDropCaretInfo>();
    VLSetDragDropCaret(d.Data, d.Data.GetCanvas(), c.DI, c.DO, *d.Data.DragDropCaret);
    d.Data.StoreSelBounds(c.SI, c.SO, c.EI, c.EO);
    d.Caret(c.EI, c.EO);
    d.Data.StoreSelBounds(c.SI, c.SO, c.EI, c.EO);
    EXPECT_EQ(d.Data.DeleteSelection(), c.Deleted) << c.What;
    EXPECT_EQ(d.Dump(), c.Dump) << c.What;
    EXPECT_EQ(d.Data.DragDropCaret->ItemNo, c.ExpDI) << c.What;
    EXPECT_EQ(d.Data.DragDropCaret->ItemOffs, c.ExpDO) << c.What;
  }
}

// The editor's selection as the document sees it: the caret stands for an
// empty selection, a piece of one line (a found word) selected with the
// caret at its end, deleting a selection whose bound lies on a list marker,
// and the caret at a paragraph's end.
#include "EditTestSupport.h"
#include "EditorFixture.h"
#include "richtext/model/VLMarkers.h"

using namespace qytest;

namespace {

// "hello world" | "second"
struct TTwoParas : TEditDoc {
  TTwoParas() {
    Text("hello world");
    Text("second");
    Data.Width = 400;
    Format();
  }
};

// Numbered paragraphs "one", "two", "three": marker, text, marker, text...
struct TListDoc : TEditDoc {
  TListDoc() {
    TVLListInfo* list = Style.ListStyles->Add();
    TVLListLevel* level = list->Levels->Add();
    level->ListType = vllstDecimal;
    level->FormatString = "%0:s.";
    for (const char* t : {"one", "two", "three"}) Text(t);
    Data.Width = 400;
    Format();
    Data.StoreSelBounds(0, 1, 2, 6);
    Data.ApplyListOperation(0, 0, 0, 1, false);
    Data.UndoList->Clear();
    Data.Deselect(nullptr, false);
  }
  // Paragraph texts, "#" for a marker.
  std::string Paras() {
    std::string r;
    for (Integer i = 0; i < Data.GetItemCount(); ++i) {
      if (i > 0 && Data.GetItem(i)->IsParaStart()) r += "|";
      r += Data.GetItemStyle(i) == vlsListMarker ? std::string("#") : std::string(Data.GetItemTextA(i));
    }
    return r;
  }
};

}  // namespace

TEST(SelectionBounds, TheCaretStandsForAnEmptySelection) {
  TTwoParas d;
  d.Caret(0, 4);
  Integer s, so, e, eo;
  d.Data.GetDrawItemSelBounds(true, s, so, e, eo);
  EXPECT_EQ(s, d.Data.CaretDrawItemNo);
  EXPECT_EQ(e, s);
  EXPECT_EQ(so, 4);
  EXPECT_EQ(eo, 4);
  d.Data.GetSelectionBounds(s, so, e, eo, true);
  EXPECT_EQ(std::vector<Integer>({s, so, e, eo}), std::vector<Integer>({0, 4, 0, 4}));
  EXPECT_FALSE(d.Data.SelectionExists(true, true)) << "an empty selection is still none";
  // A real selection answers itself.
  d.Data.StoreSelBounds(1, 5, 0, 2);
  d.Data.GetSelectionBounds(s, so, e, eo, true);
  EXPECT_EQ(std::vector<Integer>({s, so, e, eo}), std::vector<Integer>({0, 2, 1, 5}));
}

TEST(SelectionBounds, SelectingInOneLinePutsTheCaretAtTheEnd) {
  struct TCase {
    bool Backward;
    Integer CaretOffs;
  } cases[] = {{false, 10}, {true, 7}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Backward ? "backward" : "forward");
    TTwoParas d;
    d.Caret(1, 2);
    const Integer di = d.Data.Item2FirstDrawItem(0);
    d.Data.SelectInItem(di, 7, 3, c.Backward);
    Integer s, so, e, eo;
    d.Data.GetSelectionBounds(s, so, e, eo, true);
    EXPECT_EQ(std::vector<Integer>({s, so, e, eo}), std::vector<Integer>({0, 7, 0, 10}));
    EXPECT_EQ(d.Data.GetCaretItemNo(), 0);
    EXPECT_EQ(d.Data.GetCaretOffset(), c.CaretOffs);
  }
}

TEST(SelectionBounds, AFoundWordIsSelectedOnceWithTheCaretAfterIt) {
  TEditor e;
  e.Type("one two one two");
  e.Edit->SetCaret(0, 1);
  int selects = 0;
  e.Edit->OnSelect = [&](TObject*) { ++selects; };
  for (Integer expectedEnd : {8, 16}) {
    selects = 0;
    ASSERT_TRUE(e.Edit->SearchText("two", true, false, false));
    Integer s, so, en, eo;
    e.Edit->GetSelectionBounds(s, so, en, eo, true);
    EXPECT_EQ(eo - so, 3);
    EXPECT_EQ(eo, expectedEnd);
    EXPECT_EQ(e.Edit->OffsetInCurItem(), expectedEnd) << "the caret follows the found word";
    EXPECT_EQ(selects, 1);
  }
}

TEST(SelectionBounds, DeletingFromOrToAListMarker) {
  // Items: 0 #, 1 one, 2 #, 3 two, 4 #, 5 three; offset 0 of a marker is
  // before it, 1 after it.
  struct TCase {
    const char* What;
    Integer S, SO, E, EO;
    const char* Expected;
  } cases[] = {
      {"from before a marker: the marker stays", 2, 0, 3, 3, "#one|#o|#three"},
      {"from after a marker", 2, 1, 3, 3, "#one|#o|#three"},
      {"up to before a marker: the paragraphs stay apart", 1, 2, 2, 0, "#o|#two|#three"},
      {"up to after a marker: it goes with the break", 1, 2, 2, 1, "#otwo|#three"},
      {"from the document's first marker", 0, 0, 1, 2, "#ne|#two|#three"},
      {"only a marker: nothing goes", 2, 0, 2, 1, "#one|#two|#three"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    TListDoc d;
    ASSERT_EQ(d.Paras(), "#one|#two|#three");
    const AnsiString before = d.Vlf();
    d.Data.StoreSelBounds(c.S, c.SO, c.E, c.EO);
    ASSERT_TRUE(d.Data.DeleteSelection());
    EXPECT_EQ(d.Paras(), c.Expected);
    EXPECT_NE(d.Data.GetItemStyle(d.Data.GetCaretItemNo()), vlsListMarker) << "the caret is off the markers";
    d.Data.UndoList->Undo(&d.Data);
    EXPECT_EQ(d.Vlf(), before);
  }
}

TEST(SelectionBounds, TheCaretAtAParagraphsEnd) {
  TEditDoc d;
  d.Text("abc");
  d.Data.AddTextItem("def", 1, -1);  // continues the line
  d.Text("ghi");
  d.Picture(20, 10);
  d.Data.GetItem(3)->ParaNo = 0;
  d.Data.GetItem(3)->ItemOptions |= vlioSameAsPrev;
  d.Data.Width = 400;
  d.Format();
  struct TCase {
    Integer Item, Offs;
    bool AtEnd;
  } cases[] = {
      {0, 3, false}, {0, 4, false},  // the line goes on in the next item
      {1, 3, false}, {1, 4, true},   {2, 4, false},  // before the picture
      {3, 0, false}, {3, 1, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.Item) + ":" + std::to_string(c.Offs));
    d.Caret(c.Item, c.Offs);
    EXPECT_EQ(d.Data.IsCaretAtParaEnd(), c.AtEnd);
  }
}

// Bullets and numbering on paragraphs: markers put on, moved a level and
// taken off as one undo step each, with the numbers recounted.
#include "EditTestSupport.h"
#include "richtext/model/VLMarkers.h"

using namespace qytest;

namespace {

// List 0: numbered, two levels; list 1: bullets.
void AddLists(TEditDoc& d) {
  TVLListInfo* numbered = d.Style.ListStyles->Add();
  for (Integer k = 0; k < 2; ++k) {
    TVLListLevel* l = numbered->Levels->Add();
    l->ListType = vllstDecimal;
    l->FormatString = k == 0 ? "%0:s." : "%0:s.%1:s.";
  }
  d.Style.ListStyles->Add()->Levels->Add()->ListType = vllstBullet;
}

// Per paragraph: "n<level>:<number>" for a numbered marker, "b" for a
// bullet, "-" without a marker.
std::string Lists(TEditDoc& d) {
  std::string r;
  TVLMarkerList* markers = d.Data.GetMarkers(false);
  for (Integer i = 0; i < d.Data.GetItemCount(); ++i) {
    TCustomVLItemInfo* item = d.Data.GetItem(i);
    if (!item->IsParaStart() && i > 0) continue;
    if (auto* m = dynamic_cast<TVLMarkerItemInfo*>(item)) {
      if (m->ListNo == 1)
        r += "b ";
      else
        r += "n" + std::to_string(m->Level) + ":" + std::string(markers->DisplayStringOf(m)) + " ";
      EXPECT_TRUE(i + 1 < d.Data.GetItemCount() && d.Data.GetItem(i + 1)->GetSameAsPrev());
    } else {
      r += "- ";
    }
  }
  return r;
}

TEditDoc* Doc(std::unique_ptr<TEditDoc>& holder) {
  holder = std::make_unique<TEditDoc>();
  AddLists(*holder);
  for (const char* t : {"one", "two", "three", "four"}) holder->Text(t);
  holder->Format();
  return holder.get();
}

}  // namespace

TEST(ListOperations, ApplyChangeLevelAndRemoveEachUndoInOneStep) {
  std::unique_ptr<TEditDoc> holder;
  TEditDoc& d = *Doc(holder);
  const AnsiString plain = d.Vlf();
  struct TStep {
    const char* What;
    Integer Mode, ListNo, Level;
    Integer SI, EI, EO;  // the caret alone when SI = EI and EO = 1
    const char* Expected;
  } steps[] = {
      {"numbering on three paragraphs", 0, 0, 0, 0, 2, 2, "n0:1. n0:2. n0:3. - "},
      {"second paragraph a level down", 2, -1, 1, 3, 3, 1, "n0:1. n1:1.1. n0:2. - "},
      {"beyond the last level keeps the last", 2, -1, 1, 3, 3, 1, "n0:1. n1:1.1. n0:2. - "},
      {"removing the middle renumbers the rest", 1, -1, 0, 3, 3, 1, "n0:1. - n0:2. - "},
      {"bullets keep a paragraph's level when asked", 0, 1, -1, 0, 5, 2, "b b b b "},
  };
  std::vector<AnsiString> states{plain};
  for (const TStep& s : steps) {
    SCOPED_TRACE(s.What);
    if (s.SI == s.EI && s.EO == 1) {
      d.Data.Deselect(nullptr, false);
      d.Caret(s.SI, 1);
    } else {
      d.Data.StoreSelBounds(s.SI, 1, s.EI, s.EO);
    }
    d.Data.ApplyListOperation(s.Mode, s.ListNo, s.Level, 1, false);
    EXPECT_EQ(Lists(d), s.Expected);
    states.push_back(d.Vlf());
  }
  // Each operation is one group; undoing walks back through every state.
  ASSERT_EQ(d.Data.UndoList->Count(), 5);
  for (size_t i = states.size() - 1; i > 0; --i) {
    d.Data.UndoList->Undo(&d.Data);
    EXPECT_EQ(d.Vlf(), states[i - 1]) << i;
  }
  EXPECT_EQ(Lists(d), "- - - - ");
}

TEST(ListOperations, RestartOnlyAtTheFirstParagraphAndNeverOnAFullLineItem) {
  std::unique_ptr<TEditDoc> holder;
  TEditDoc& d = *Doc(holder);
  d.Data.StoreSelBounds(0, 1, 1, 2);
  d.Data.ApplyListOperation(0, 0, 0, 1, false);
  d.Data.StoreSelBounds(4, 1, 5, 2);
  d.Data.ApplyListOperation(0, 0, 0, 5, true);
  EXPECT_EQ(Lists(d), "n0:1. n0:2. n0:5. n0:6. ");

  TEditDoc e;
  AddLists(e);
  e.Text("text");
  auto* b = new TVLBreakItemInfo(&e.Data);
  b->StyleNo = vlsBreak;
  e.Data.AddItem("", b);
  e.Text("more");
  e.Format();
  e.Data.StoreSelBounds(0, 1, 2, 2);
  e.Data.ApplyListOperation(0, 1, 0, 1, false);
  EXPECT_EQ(e.Dump(), "#+text|#|#+more");
  EXPECT_EQ(e.Data.GetItemStyle(2), vlsBreak);
}

TEST(ListOperations, EnterInANumberedParagraphDuplicatesTheMarkerAndRenumbers) {
  struct TCase {
    const char* What;
    Integer Item, Offs;  // in "#+one|#+two|#+three|four" after numbering
    bool LineBreak;
    const char* Dump;
    const char* Lists;
  } cases[] = {
      {"inside the text", 3, 2, false, "#+one|#+t|#+wo|#+three|four", "n0:1. n0:2. n0:3. n0:4. - "},
      {"at the end", 3, 4, false, "#+one|#+two|#+|#+three|four", "n0:1. n0:2. n0:3. n0:4. - "},
      {"at the start", 3, 1, false, "#+one|#+|#+two|#+three|four", "n0:1. n0:2. n0:3. n0:4. - "},
      {"shift+enter inside keeps one marker", 3, 2, true, "#+one|#+t/wo|#+three|four", "n0:1. n0:2. n0:3. - "},
      {"shift+enter at the start", 3, 1, true, "#+one|#+/two|#+three|four", "n0:1. n0:2. n0:3. - "},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    std::unique_ptr<TEditDoc> holder;
    TEditDoc& d = *Doc(holder);
    d.Data.StoreSelBounds(0, 1, 2, 6);
    d.Data.ApplyListOperation(0, 0, 0, 1, false);
    d.Data.Deselect(nullptr, false);
    ASSERT_EQ(d.Dump(), "#+one|#+two|#+three|four");
    const AnsiString before = d.Vlf();
    d.Caret(c.Item, c.Offs);
    ASSERT_TRUE(d.Data.InsertEnter(c.LineBreak));
    EXPECT_EQ(d.Dump(), c.Dump);
    EXPECT_EQ(Lists(d), c.Lists);
    // The caret is on the text that moved on, never on a marker.
    EXPECT_GE(d.Data.GetItemStyle(d.Data.GetCaretItemNo()), 0);
    d.Data.UndoList->Undo(&d.Data);
    EXPECT_EQ(d.Vlf(), before);
    EXPECT_EQ(Lists(d), "n0:1. n0:2. n0:3. - ");
  }
}

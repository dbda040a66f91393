// Undo lists and groups: limits, group mode, typing coalescing, replay into
// the opposite list.
#include "EditTestSupport.h"
#include "richtext/editor/VLUndoRecords.h"

using namespace qytest;

namespace {

struct TUndoDoc : TEditDoc {
  TUndoDoc() {
    Text("hello world");
    Format();
    Caret(0, 1);
  }
  void Type(const char* s) {
    for (const char* p = s; *p; ++p) Data.InsertTypedString(AnsiString(1, *p));
  }
};

}  // namespace

TEST(UndoList, TypingIsOneGroupThatUndoesACharacterAtATime) {
  TUndoDoc d;
  const int full = d.Data.FullFormats;
  d.Type("abc");
  // A keystroke lays out only its paragraphs.
  EXPECT_EQ(d.Data.FullFormats, full);
  EXPECT_EQ(d.Data.PartialFormats, 3);
  ASSERT_EQ(d.Data.UndoList->Count(), 1);
  TVLUndoInfos* g = d.Data.UndoList->Get(0);
  EXPECT_EQ(g->UndoType, vlutTyping);
  ASSERT_EQ(g->Count(), 1);
  EXPECT_EQ(g->Get(0)->TypingCount(), 3);
  EXPECT_EQ(d.Dump(), "abchello world");

  const char* after[] = {"abhello world", "ahello world", "hello world"};
  for (int step = 0; step < 3; ++step) {
    d.Data.UndoList->Undo(&d.Data);
    EXPECT_EQ(d.Dump(), after[step]) << step;
    EXPECT_EQ(d.Data.UndoList->Count(), step < 2 ? 1 : 0) << step;
    ASSERT_EQ(d.Data.RedoList->Count(), 1) << step;
    auto* r = dynamic_cast<TVLRedoTypingInfo*>(d.Data.RedoList->Get(0)->Get(0));
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->Text.size(), static_cast<size_t>(step + 1)) << step;
    EXPECT_EQ(d.Data.GetCaretOffset(), 3 - step) << step;
  }
  for (int step = 0; step < 3; ++step) d.Data.RedoList->Redo(&d.Data);
  EXPECT_EQ(d.Dump(), "abchello world");
  EXPECT_EQ(d.Data.RedoList->Count(), 0);
  EXPECT_EQ(d.Data.UndoList->Get(0)->Get(0)->TypingCount(), 3);
  EXPECT_EQ(d.Data.GetCaretOffset(), 4);
}

TEST(UndoList, LimitsDropTheOldestOrRecordNothing) {
  struct TCase {
    Integer Limit;
    int Actions;
    Integer Groups;
  } cases[] = {{0, 4, 0}, {3, 4, 3}, {-1, 4, 4}, {1, 2, 1}};
  for (const TCase& c : cases) {
    TUndoDoc d;
    d.Data.UndoList->Limit = c.Limit;
    for (int i = 0; i < c.Actions; ++i) {
      // Moving the caret between keystrokes starts a new group.
      d.Caret(0, 1 + i * 2);
      d.Type("x");
    }
    EXPECT_EQ(d.Data.UndoList->Count(), c.Groups) << c.Limit;
    if (c.Limit == 3) {
      EXPECT_EQ(d.Data.UndoList->Get(0)->CaretOffs, 3);
    }
    EXPECT_EQ(d.Data.BeginUndoSequence(vlutInsert, false), c.Limit != 0) << c.Limit;
  }
}

TEST(UndoList, GroupModeMergesSequencesButNotIntoTyping) {
  TUndoDoc d;
  d.Data.SetUndoGroupMode(true);
  d.Data.BeginUndoSequence(vlutInsert, false);
  d.Data.InsertSubstring(0, 1, "A");
  d.Data.BeginUndoSequence(vlutInsert, false);
  d.Data.InsertSubstring(0, 1, "B");
  d.Data.SetUndoGroupMode(false);
  EXPECT_EQ(d.Data.UndoList->Count(), 1);
  d.Data.UndoList->Undo(&d.Data);
  EXPECT_EQ(d.Dump(), "hello world");

  // A typing group last: a following sequence opens a group of its own.
  d.Caret(0, 1);
  d.Type("q");
  d.Data.SetUndoGroupMode(true);
  d.Data.BeginUndoSequence(vlutInsert, false);
  d.Data.InsertSubstring(0, 1, "Z");
  d.Data.SetUndoGroupMode(false);
  EXPECT_EQ(d.Data.UndoList->Count(), 2);
  EXPECT_EQ(d.Data.UndoList->GetLastGroupType(), vlutInsert);
}

TEST(UndoList, EmptyGroupPassesItsCaretAndCaptionOn) {
  TUndoDoc d;
  d.Data.UndoList->BeginGroup(vlutCustom, "Named", 0, 5);
  d.Data.UndoList->BeginGroup(vlutDelete, "", 0, 9);
  ASSERT_EQ(d.Data.UndoList->Count(), 1);
  EXPECT_EQ(d.Data.UndoList->Get(0)->UndoType, vlutDelete);
  EXPECT_EQ(d.Data.UndoList->Get(0)->CaretOffs, 5);
  EXPECT_EQ(d.Data.UndoList->Get(0)->Caption, "Named");
  d.Data.UndoList->RemoveEmptyLastGroup();
  EXPECT_EQ(d.Data.UndoList->Count(), 0);
}

TEST(UndoList, MisuseRaisesTheLibraryErrors) {
  TUndoDoc d;
  EXPECT_THROW(d.Data.UndoList->Undo(&d.Data), EVellumError);
  EXPECT_THROW(d.Data.UndoList->AddInfo(std::make_unique<TVLUndoTagInfo>()), EVellumError);
  d.Type("a");
  EXPECT_THROW(d.Data.UndoList->AddInfo(std::make_unique<TVLUndoTagInfo>()), EVellumError);
}

TEST(UndoList, TypingElsewhereStartsANewGroup) {
  TUndoDoc d;
  d.Type("ab");
  d.Caret(0, 8);
  d.Type("c");
  EXPECT_EQ(d.Data.UndoList->Count(), 2);
  EXPECT_EQ(d.Dump(), "abhelloc world");
}

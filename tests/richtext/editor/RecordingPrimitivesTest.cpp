// Each recording primitive, undone, gives the document back; redone, the
// change again.
#include "EditTestSupport.h"
#include "richtext/editor/VLUndoRecords.h"

#include <functional>

using namespace qytest;

namespace {

std::string Checkpoints(TEditDoc& d) {
  std::string r;
  for (Integer i = 0; i < d.Data.GetItemCount(); ++i)
    if (TVLCPInfo* cp = d.Data.GetItem(i)->Checkpoint) r += std::to_string(i) + ":" + cp->Name + ";";
  for (TVLCPInfo* cp = d.Data.FirstCP; cp; cp = cp->Next) r += "/" + cp->Name;
  return r + "#" + std::to_string(d.Data.CPCount);
}

}  // namespace

TEST(RecordingPrimitives, EachUndoesAndRedoes) {
  struct TCase {
    const char* What;
    std::function<void(TVLEditVLData&)> Change;
  } cases[] = {
      {"delete substring to the end", [](TVLEditVLData& d) { d.DeleteSubstring(0, 3, -1); }},
      {"insert substring", [](TVLEditVLData& d) { d.InsertSubstring(1, 2, "XY"); }},
      {"change text", [](TVLEditVLData& d) { d.ChangeText(2, "other"); }},
      {"delete an item with a checkpoint", [](TVLEditVLData& d) { bool f; d.DeleteItem(1, f); }},
      {"delete items", [](TVLEditVLData& d) { bool f; d.DeleteItems(0, 1, f); }},
      {"same as previous with a page break", [](TVLEditVLData& d) { bool f; d.SetSameAsPrev(3, true, f, -1); }},
      {"line break", [](TVLEditVLData& d) { bool f; d.SetBR(1, true, f); }},
      {"page break", [](TVLEditVLData& d) { d.SetPageBreak(1, true); }},
      {"paragraph range", [](TVLEditVLData& d) { bool f; d.SetParaRange(0, 2, f, 1); }},
      {"style", [](TVLEditVLData& d) { d.SetStyleNo(0, 1); }},
      {"tag", [](TVLEditVLData& d) { d.SetTag(0, TVLTag{7, ""}); }},
      {"concatenation", [](TVLEditVLData& d) { d.ConcateItems(2); }},
      {"add a checkpoint", [](TVLEditVLData& d) {
         auto* cp = new TVLCPInfo();
         cp->Name = "new";
         d.AddCheckpoint(0, cp);
       }},
      {"move a checkpoint", [](TVLEditVLData& d) { d.MoveCheckpoint(1, 2); }},
      {"resize a picture", [](TVLEditVLData& d) { d.Resize(4, 30, 40); }},
      {"property by name", [](TVLEditVLData& d) { d.SetItemIntPropertyWithUndo(4, "VShift", 5); }},
      {"extra property", [](TVLEditVLData& d) { d.SetExtraIntProperty(4, vleipSpacing, 3); }},
      {"properties by name", [](TVLEditVLData& d) {
         d.SetItemIntPropertiesWithUndo(4, {{"ImageWidth", 12}, {"Spacing", 4}, {"NoSuchProperty", 1}});
       }},
      {"picture to hot picture", [](TVLEditVLData& d) {
         auto* hot = new TVLHotGraphicItemInfo(&d);
         hot->Assign(d.GetItem(4));
         hot->StyleNo = vlsHotPicture;
         d.ReplaceItemObject(4, hot);
       }},
  };
  for (const TCase& c : cases) {
    TEditDoc d;
    d.Text("first");
    d.Text("second");
    d.Text("third", 0, -1);
    d.Text("fourth");
    d.Data.GetItem(3)->SetPageBreakBefore(true);
    d.Picture(10, 10);
    auto* cp = new TVLCPInfo();
    cp->Name = "mark";
    d.Format();
    d.Data.BeginUndoSequence(vlutModifyItem, false);
    d.Data.AddCheckpoint(1, cp);
    d.Data.UndoList->Clear();
    d.Data.SetPageBreak(2, false);
    const AnsiString before = d.Vlf();
    const std::string cpsBefore = Checkpoints(d);
    d.Data.BeginUndoSequence(vlutModifyItem, false);
    ASSERT_NO_THROW(c.Change(d.Data)) << c.What;
    // The operations built on the primitives lay the document out again.
    d.Format();
    const AnsiString after = d.Vlf();
    const std::string cpsAfter = Checkpoints(d);
    EXPECT_NE(after + cpsAfter, before + cpsBefore) << c.What;
    ASSERT_NO_THROW(d.Data.UndoList->Undo(&d.Data)) << c.What;
    EXPECT_EQ(d.Vlf(), before) << c.What;
    EXPECT_EQ(Checkpoints(d), cpsBefore) << c.What;
    ASSERT_NO_THROW(d.Data.RedoList->Redo(&d.Data)) << c.What;
    EXPECT_EQ(d.Vlf(), after) << c.What;
    EXPECT_EQ(Checkpoints(d), cpsAfter) << c.What;
  }
}

TEST(RecordingPrimitives, NothingRecordsWithoutAGroupAndErrorsAreTheLibrarys) {
  TEditDoc d;
  d.Text("abc");
  d.Format();
  d.Data.UndoDestination = 0;
  d.Data.InsertSubstring(0, 1, "x");
  EXPECT_EQ(d.Data.UndoList->Count(), 0);
  EXPECT_EQ(d.Dump(), "xabc");
  EXPECT_THROW(d.Data.InsertSubstring(5, 1, "x"), Exception);
  EXPECT_THROW(d.Data.DeleteCheckpoint(0), EVellumError);
  d.Data.AddCheckpoint(0, new TVLCPInfo());
  EXPECT_THROW(d.Data.AddCheckpoint(0, new TVLCPInfo()), EVellumError);
}

TEST(RecordingPrimitives, AJoinedParagraphKeepsTheSecondItemsCheckpoint) {
  struct TCase {
    const char* What;
    const char* FirstCP;  // "" for none
    const char* SecondCP;
    bool EmptyUnicodeFirst;
    std::string Expected;
  } cases[] = {
      {"the second's goes to the first", "", "mark", false, "0:mark;/mark#1"},
      {"the first keeps its own", "own", "mark", false, "0:own;/own#1"},
      {"an empty first of the other encoding gives way with its own", "own", "", true, "0:own;/own#1"},
      {"an empty first of the other encoding, the second's own", "own", "mark", true, "0:mark;/mark#1"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    TEditDoc d;
    if (c.EmptyUnicodeFirst)
      d.Data.AddUnicodeTextItemTag("", d.UStyle, 0, TVLTag());
    else
      d.Text("ab");
    d.Text("cd");
    d.Format();
    d.Data.BeginUndoSequence(vlutModifyItem, false);
    for (Integer i = 0; i < 2; ++i) {
      const char* name = i == 0 ? c.FirstCP : c.SecondCP;
      if (!*name) continue;
      auto* cp = new TVLCPInfo();
      cp->Name = name;
      d.Data.AddCheckpoint(i, cp);
    }
    d.Data.UndoList->Clear();
    const AnsiString before = d.Vlf();
    const std::string cpsBefore = Checkpoints(d);
    d.Data.BeginUndoSequence(vlutDelete, false);
    d.Data.ConcateItems(0);
    d.Format();
    EXPECT_EQ(d.Data.GetItemCount(), 1);
    EXPECT_EQ(Checkpoints(d), c.Expected);
    d.Data.UndoList->Undo(&d.Data);
    EXPECT_EQ(d.Vlf(), before);
    EXPECT_EQ(Checkpoints(d), cpsBefore);
  }
}

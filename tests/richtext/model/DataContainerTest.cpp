// The document container: adding, deleting and clearing items, checkpoints,
// moving and joining items, and settings of nested documents.
#include "platform/base/Streams.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLMarkers.h"

#include <gtest/gtest.h>

namespace {

// A cell-like document: its root is another document.
class TNestedData : public TCustomVLData {
public:
  explicit TNestedData(TCustomVLData* parent) : Parent(parent) {}
  ~TNestedData() override { Clear(); }
  Cardinal GetState() override { return State; }
  void SetState(Cardinal value) override { State = value; }
  TCustomVLData* GetParentData() override { return Parent; }
  TCustomVLData* GetRootData() override { return Parent->GetRootData(); }
  TCustomVLData* GetAbsoluteParentData() override { return Parent; }
  TCustomVLData* GetAbsoluteRootData() override { return Parent->GetAbsoluteRootData(); }
  TCustomVLData* Parent;
  Cardinal State = 0;
};

// A root that answers nothing itself.
class TBareRoot : public TCustomVLData {
public:
  ~TBareRoot() override { Clear(); }
  Cardinal GetState() override { return State; }
  void SetState(Cardinal value) override { State = value; }
  Cardinal State = 0;
};

TVLBreakItemInfo* NewBreak(TCustomVLData* d) {
  auto* b = new TVLBreakItemInfo(d);
  b->StyleNo = vlsBreak;
  return b;
}

TVLCPInfo* Attach(TCustomVLData& d, Integer itemNo, const char* name) {
  auto* cp = new TVLCPInfo();
  cp->Name = name;
  d.LinkCheckpoint(cp, itemNo);
  cp->ItemInfo = d.GetItem(itemNo);
  d.GetItem(itemNo)->Checkpoint = cp;
  ++d.CPCount;
  return cp;
}

}  // namespace

TEST(DataContainer, AddingItemsFollowsTheParagraphRules) {
  TVLStyle style(nullptr);
  style.ListStyles->Add()->Levels->Add();
  struct TCase {
    const char* Name;
    std::function<void(TVLDocumentData&)> Build;
    std::vector<Byte> Options;  // bits 0-2 of each item
    std::vector<Integer> Paras;
  };
  const TCase cases[] = {
      {"continuation in an empty document starts paragraph 0",
       [](TVLDocumentData& d) { d.AddTextItem("a", 0, -1); }, {0}, {0}},
      {"continuation joins the last paragraph",
       [](TVLDocumentData& d) {
         d.AddTextItem("a", 0, 1);
         d.AddTextItem("b", 0, -1);
       },
       {0, 1}, {1, 1}},
      {"after a break a continuation starts a paragraph",
       [](TVLDocumentData& d) {
         d.AddItem("", NewBreak(&d));
         d.AddTextItem("b", 0, -1);
       },
       {0, 0}, {0, 0}},
      {"paragraph after a marker gets an empty item first",
       [](TVLDocumentData& d) {
         d.SetListMarker(0, 0, 0, 1, 1, false);
         d.AddTextItem("x", 0, 0);
       },
       {0, 1, 0}, {1, 1, 0}},
      {"without paragraph mode items become line breaks; a break refuses",
       [](TVLDocumentData& d) {
         d.AddTextItem("a", 0, 0);
         d.SetAddParagraphMode(false);
         d.AddTextItem("b", 0, 0);
         d.AddItem("", NewBreak(&d));
       },
       {0, 4, 0}, {0, 0, 0}},
  };
  for (const TCase& c : cases) {
    TVLDocumentData doc(&style);
    c.Build(doc);
    ASSERT_EQ(doc.GetItemCount(), static_cast<Integer>(c.Options.size())) << c.Name;
    for (Integer i = 0; i < doc.GetItemCount(); ++i) {
      EXPECT_EQ(doc.GetItemOptions(i) & 7, c.Options[static_cast<size_t>(i)]) << c.Name << " item " << i;
      EXPECT_EQ(doc.GetItemPara(i), c.Paras[static_cast<size_t>(i)]) << c.Name << " item " << i;
    }
  }
}

TEST(DataContainer, QueriesOffsetsAndPageBreaks) {
  TVLStyle style(nullptr);
  style.TextStyles->Items(1)->Unicode = true;
  style.ListStyles->Add()->Levels->Add();
  TVLDocumentData doc(&style);
  doc.AddTextItem("ab\tc", 0, 0);
  doc.AddTextItem(AnsiString("x\0y\0", 4), 1, 0);
  doc.AddTextItem("", 0, 0);
  doc.AddItem("", NewBreak(&doc));
  doc.SetListMarker(doc.GetItemCount(), 0, 0, 1, 0, false);
  doc.AddTextItem("after", 0, -1);
  EXPECT_EQ(doc.GetItemTextA(0), "ab        c");  // tab as the sheet's 8 spaces
  EXPECT_EQ(doc.GetItemLength(1), 2);
  EXPECT_TRUE(doc.GetItem(1)->IsUnicode());
  EXPECT_EQ(doc.GetItemLength(2), 0);
  EXPECT_EQ(doc.GetItemEndOffset(2), 1);
  EXPECT_EQ(doc.GetItemLength(3), 1);
  EXPECT_EQ(doc.GetItemStartOffset(3), 0);
  doc.SetPageBreakBefore(4, true);
  EXPECT_TRUE(doc.GetPageBreakBefore(5));  // the marker's bit
  EXPECT_THROW(doc.GetPageBreakBefore(6), EVellumError);
  EXPECT_THROW(doc.SetPageBreakBefore(-1, true), EVellumError);
}

TEST(DataContainer, DeleteItemsAndClear) {
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  for (Integer i = 0; i < 7; ++i) doc.AddTextItem(std::to_string(i), 0, 0);
  Attach(doc, 5, "five");
  doc.DeleteItems(7, 1);
  EXPECT_EQ(doc.GetItemCount(), 7);
  doc.DeleteItems(5, 10);
  EXPECT_EQ(doc.GetItemCount(), 5);
  EXPECT_EQ(doc.CPCount, 0);
  EXPECT_EQ(doc.FirstCP, nullptr);

  Attach(doc, 1, "one");
  doc.NotAddedCP = new TVLCPInfo();
  ++doc.CPCount;
  doc.Clear();
  EXPECT_EQ(doc.GetItemCount(), 0);
  EXPECT_EQ(doc.CPCount, 0);
  EXPECT_EQ(doc.NotAddedCP, nullptr);
  EXPECT_EQ(doc.GetState() & vlstClearing, 0u);
}

TEST(DataContainer, CheckpointChainStaysInItemOrder) {
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  for (Integer i = 0; i < 6; ++i) doc.AddTextItem(std::to_string(i), 0, 0);
  Attach(doc, 3, "c");
  Attach(doc, 1, "a");
  Attach(doc, 5, "d");
  Attach(doc, 2, "b");
  std::string order;
  for (TVLCPInfo* cp = doc.FirstCP; cp; cp = cp->Next) order += cp->Name;
  EXPECT_EQ(order, "abcd");
  EXPECT_EQ(doc.LastCP->Name, "d");
  EXPECT_EQ(doc.FindCPBeforeItem(1), nullptr);
  EXPECT_EQ(doc.FindCPBeforeItem(3)->Name, "b");
  TVLCPInfo lone;
  doc.LinkCheckpoint(&lone, -1);
  EXPECT_EQ(lone.Next, nullptr);
  EXPECT_EQ(doc.CPCount, 4);
}

TEST(DataContainer, MovingItemsKeepsCheckpointsAndTheTrailingOne) {
  TVLStyle style(nullptr);
  TVLDocumentData source(&style), target(&style);
  target.AddTextItem("t", 0, 0);
  source.AddTextItem("a", 0, 0);
  source.AddTextItem("b", 0, -1);
  Attach(source, 1, "mid");
  source.NotAddedCP = new TVLCPInfo();
  source.NotAddedCP->Name = "tail";
  ++source.CPCount;
  target.MoveItemsFrom(&source);
  EXPECT_EQ(source.GetItemCount(), 0);
  EXPECT_EQ(source.CPCount, 0);
  ASSERT_EQ(target.GetItemCount(), 3);
  EXPECT_TRUE(target.IsParaStart(1));
  EXPECT_TRUE(target.GetItem(2)->GetSameAsPrev());
  ASSERT_NE(target.GetItemCheckpoint(2), nullptr);
  EXPECT_EQ(target.GetItemCheckpoint(2)->Name, "mid");
  ASSERT_NE(target.NotAddedCP, nullptr);
  EXPECT_EQ(target.NotAddedCP->Name, "tail");
  EXPECT_EQ(target.CPCount, 2);

  TVLDocumentData strings(&style);
  strings.Options.Include(vloTagsArePChars);
  strings.AddTextItem("s", 0, 0);
  EXPECT_THROW(target.MoveItemsFrom(&strings), EVellumError);
  EXPECT_EQ(strings.GetItemCount(), 1);
}

TEST(DataContainer, JoiningNeighbours) {
  TVLStyle style(nullptr);
  style.TextStyles->Items(3)->Protection.Include(vlprConcateProtect);
  struct TCase {
    const char* Name;
    Integer Style2;
    bool Continues;
    Integer Tag2;
    bool Checkpoint2;
    AnsiString Text1;
    Integer Style;
    Integer Expected;
  };
  const TCase cases[] = {
      {"same style continuing", 0, true, 0, false, "ab", 0, 1},
      {"new paragraph", 0, false, 0, false, "ab", 0, 2},
      {"other tag", 0, true, 5, false, "ab", 0, 2},
      {"checkpoint", 0, true, 0, true, "ab", 0, 2},
      {"protected style", 3, true, 0, false, "ab", 3, 2},
      {"empty first item takes the second's style", 2, true, 0, false, "", 0, 1},
  };
  for (const TCase& c : cases) {
    TVLDocumentData doc(&style);
    doc.AddTextItem(c.Text1, c.Style, 0);
    TVLTag tag;
    tag.Int = c.Tag2;
    doc.AddTextItemTag("cd", c.Style2, c.Continues ? -1 : 0, tag);
    if (c.Checkpoint2) Attach(doc, 1, "x");
    doc.ConcateItems(0, 5);
    ASSERT_EQ(doc.GetItemCount(), c.Expected) << c.Name;
    if (c.Expected == 1) {
      EXPECT_EQ(doc.GetItemTextA(0), c.Text1 + "cd") << c.Name;
      EXPECT_EQ(doc.GetItem(0)->StyleNo, c.Style2) << c.Name;
    }
  }
}

TEST(DataContainer, NestedDocumentsAskTheirRootAndRTFNeedsAReader) {
  TVLStyle style(nullptr);
  TVLDocumentData root(&style);
  root.VLFOptions = {vlfoSaveBinary};
  root.Options = {vloTagsArePChars};
  TNestedData cell(&root);
  EXPECT_EQ(cell.GetVLFOptions(), root.VLFOptions);
  EXPECT_TRUE(cell.TagsArePChars());
  EXPECT_EQ(cell.GetStyle(), &style);
  cell.SetVLFWarnings({vlfwConvToUnicode});
  EXPECT_TRUE(root.GetVLFWarnings().Contains(vlfwConvToUnicode));

  // A root without answers of its own gives the defaults, not a loop.
  TBareRoot bare;
  EXPECT_EQ(bare.GetVLFOptions(), VLFDefaultOptions);
  EXPECT_TRUE(bare.GetOptions().Empty());
  EXPECT_EQ(bare.GetStyle(), nullptr);

  TStringStream rtf("{\\rtf1 x}");
  EXPECT_EQ(root.LoadRTFFromStream(rtf), VLRTFNoReader);
  EXPECT_EQ(root.GetItemCount(), 0);

  struct TFakeReader : TVLRTFReadHook {
    Byte ReadFromFile(const String&, TCustomVLData* d) override { return 0; }
    Byte ReadFromStream(TStream&, TCustomVLData* d) override {
      d->AddTextItem("de", 0, -1);
      return 0;
    }
  } reader;
  // The hook is the whole program's: the one found here goes back.
  struct TRestore {
    TVLRTFReadHook* Kept = VLGetRTFReadHook();
    ~TRestore() { VLRegisterRTFReadHook(Kept); }
  } restore;
  VLRegisterRTFReadHook(&reader);
  root.AddTextItem("ab", 0, 0);
  EXPECT_EQ(root.LoadRTFFromStream(rtf), 0);
  ASSERT_EQ(root.GetItemCount(), 1);
  EXPECT_EQ(root.GetItemTextA(0), "abde");
}

TEST(DataContainer, NestedDocumentAsABinaryProperty) {
  TVLStyle style(nullptr);
  TVLDocumentData cell(&style);
  cell.VLFOptions.Include(vlfoSaveBack);
  cell.AddTextItem("in a cell", 0, 0);
  cell.AddTextItem("second", 2, 0);
  TMemoryStream s;
  s.WriteInt32LE(77);  // what precedes the property
  cell.SaveDataProperty(s);
  EXPECT_TRUE(cell.VLFOptions.Contains(vlfoSaveBack));
  s.SetPosition(4);
  EXPECT_EQ(s.ReadInt32LE(), static_cast<Integer>(s.GetSize()) - 8);
  s.SetPosition(4);
  TVLDocumentData back(&style);
  ASSERT_TRUE(back.LoadDataProperty(s));
  ASSERT_EQ(back.GetItemCount(), 2);
  EXPECT_EQ(back.GetItemTextA(1), "second");
  EXPECT_EQ(back.GetState() & vlstReadingCellData, 0u);
  // A length past the end is refused without reading it.
  TMemoryStream lying;
  lying.WriteInt32LE(1000);
  lying.WriteBytes("-8 1 3\r\n");
  lying.SetPosition(0);
  EXPECT_FALSE(back.LoadDataProperty(lying));
}

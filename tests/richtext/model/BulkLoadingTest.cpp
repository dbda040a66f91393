// Loading and inserting many items at once: the result must be the one that
// adding them one by one gives (markers counted and numbered alike,
// checkpoints chained in item order), only without going over the document
// again for every item.
#include "platform/base/Streams.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLMarkers.h"

#include <gtest/gtest.h>

#include <random>

namespace {

AnsiString Save(TCustomVLData& doc) {
  TMemoryStream out;
  EXPECT_TRUE(doc.SaveVLFToStream(out, false, clNone, nullptr, bsNoBitmap, nullptr));
  return out.Bytes();
}

bool Insert(TCustomVLData& doc, const AnsiString& bytes, Integer index) {
  TStringStream in(bytes);
  TColor color = clNone;
  return doc.InsertVLFFromStream(in, index, color, nullptr, nullptr, nullptr, false);
}

void AddLists(TVLStyle& style, TVLListType type, TVLListLevelOptions options) {
  for (int n = 0; n < 2; ++n) {
    TVLListInfo* list = style.ListStyles->Add();
    for (int level = 0; level < 4; ++level) {
      TVLListLevel* l = list->Levels->Add();
      l->ListType = level % 2 ? vllstLowerAlpha : type;
      l->StartFrom = 1 + level;
      l->FormatString = "%0:s.%1:s.%2:s.%3:s";
      l->Options = options;
    }
  }
}

struct TMarkerState {
  std::vector<Integer> Counters;
  std::vector<AnsiString> Texts;
  bool operator==(const TMarkerState&) const = default;
};

TMarkerState StateOf(TCustomVLData& doc) {
  TMarkerState s;
  if (TVLMarkerList* list = doc.GetMarkers(false))
    for (Integer i = 0; i < list->Count(); ++i) {
      s.Counters.push_back(list->GetCounter(i));
      s.Texts.push_back(list->GetDisplayString(i));
    }
  return s;
}

// Random list paragraphs added one at a time, each counted on its own.
void AddRandomMarkers(TVLDocumentData& doc, std::mt19937& r, int count) {
  for (int i = 0; i < count; ++i) {
    const Integer listNo = static_cast<Integer>(r() % 2);
    const Integer level = static_cast<Integer>(r() % 4);
    const bool reset = r() % 7 == 0;
    doc.SetListMarker(doc.GetItemCount(), listNo, level, static_cast<Integer>(r() % 5), 0, reset);
    doc.AddTextItem("item", 0, -1);
    if (r() % 5 == 0) doc.AddTextItem("plain", 0, 0);
  }
}

}  // namespace

TEST(BulkLoading, MarkersCountedTogetherMatchMarkersCountedOneByOne) {
  struct TCase {
    TVLListType Type;
    TVLListLevelOptions Options;
  };
  const TCase cases[] = {
      {vllstDecimal, {vlloContinuous, vlloLevelReset}},
      {vllstUpperRoman, {vlloContinuous}},
      {vllstLowerAlpha, {vlloLevelReset, vlloLegalStyleNumbering}},
  };
  for (const TCase& c : cases) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
      TVLStyle style(nullptr);
      AddLists(style, c.Type, c.Options);
      TVLDocumentData one(&style);
      std::mt19937 r(seed);
      AddRandomMarkers(one, r, 40);
      const TMarkerState expected = StateOf(one);
      ASSERT_FALSE(expected.Counters.empty());

      TVLDocumentData loaded(&style);
      ASSERT_TRUE(Insert(loaded, Save(one), 0));
      EXPECT_EQ(StateOf(loaded), expected) << "seed " << seed;

      // The same document pasted into the middle of itself, against the
      // same items added one by one in that order.
      TVLDocumentData pasted(&style);
      ASSERT_TRUE(Insert(pasted, Save(one), 0));
      const Integer middle = pasted.GetItemCount() / 2;
      ASSERT_TRUE(Insert(pasted, Save(one), middle));
      TVLDocumentData stepwise(&style);
      ASSERT_TRUE(Insert(stepwise, Save(pasted), 0));
      EXPECT_EQ(StateOf(pasted), StateOf(stepwise)) << "seed " << seed;
    }
  }
}

TEST(BulkLoading, InsertionInTheMiddleKeepsItemsCheckpointsAndMarkersInOrder) {
  TVLStyle style(nullptr);
  AddLists(style, vllstDecimal, {vlloContinuous, vlloLevelReset});
  auto checkpointed = [&](TVLDocumentData& doc, const AnsiString& name, const AnsiString& text) {
    doc.AddTextItem(text, 0, 0);
    auto* cp = new TVLCPInfo();
    cp->Name = name;
    cp->ItemInfo = doc.GetItem(doc.GetItemCount() - 1);
    doc.GetItem(doc.GetItemCount() - 1)->Checkpoint = cp;
    ++doc.CPCount;
    doc.RelinkCheckpoints();
  };
  TVLDocumentData block(&style);
  checkpointed(block, "b1", "B1");
  block.SetListMarker(block.GetItemCount(), 0, 0, 1, 0, false);
  block.AddTextItem("B2", 0, -1);
  checkpointed(block, "b3", "B3");
  const AnsiString blockBytes = Save(block);

  TVLDocumentData doc(&style);
  checkpointed(doc, "a1", "A1");
  doc.SetListMarker(doc.GetItemCount(), 0, 0, 1, 0, false);
  doc.AddTextItem("A2", 0, -1);
  checkpointed(doc, "a3", "A3");
  doc.SetListMarker(doc.GetItemCount(), 0, 0, 1, 0, false);
  doc.AddTextItem("A4", 0, -1);
  // Before "A3", whose checkpoint must stay after the inserted ones.
  ASSERT_TRUE(Insert(doc, blockBytes, 3));

  std::vector<AnsiString> texts;
  for (Integer i = 0; i < doc.GetItemCount(); ++i)
    if (doc.GetItem(i)->StyleNo >= 0) texts.push_back(doc.GetItemTextA(i));
  EXPECT_EQ(texts, (std::vector<AnsiString>{"A1", "A2", "B1", "B2", "B3", "A3", "A4"}));
  std::vector<AnsiString> chain;
  Integer previous = -1;
  for (TVLCPInfo* cp = doc.FirstCP; cp; cp = cp->Next) {
    chain.push_back(cp->Name);
    const Integer at = doc.FindItemNoFrom(0, cp->ItemInfo);
    EXPECT_GT(at, previous) << cp->Name;
    previous = at;
  }
  EXPECT_EQ(chain, (std::vector<AnsiString>{"a1", "b1", "b3", "a3"}));
  EXPECT_EQ(doc.CPCount, 4);
  EXPECT_EQ(StateOf(doc).Counters, (std::vector<Integer>{1, 2, 3}));
  // Every marker stands in the list where it stands in the document.
  TVLMarkerList* list = doc.GetMarkers(false);
  ASSERT_NE(list, nullptr);
  Integer last = -1;
  for (Integer i = 0; i < list->Count(); ++i) {
    const Integer at = doc.FindItemNoFrom(0, list->Get(i));
    EXPECT_GT(at, last);
    EXPECT_EQ(list->IndexOf(list->Get(i)), i);
    last = at;
  }
}

TEST(BulkLoading, ClearingADocumentOfMarkersEmptiesItsList) {
  TVLStyle style(nullptr);
  AddLists(style, vllstDecimal, {vlloContinuous, vlloLevelReset});
  TVLDocumentData doc(&style);
  std::mt19937 r(3);
  AddRandomMarkers(doc, r, 50);
  ASSERT_NE(doc.GetMarkers(false), nullptr);
  doc.Clear();
  EXPECT_EQ(doc.GetMarkers(false), nullptr);
  EXPECT_EQ(doc.GetItemCount(), 0);
  // The document numbers afresh afterwards.
  doc.SetListMarker(0, 0, 0, 1, 0, false);
  doc.AddTextItem("again", 0, -1);
  EXPECT_EQ(StateOf(doc).Counters, (std::vector<Integer>{1}));
}

TEST(BulkLoading, StyleNamesResolveAgainstTheStylesReadBeforeThem) {
  // The stream's own text styles replace the sheet's: a name refers to the
  // style of that name after the replacement, not before it.
  TVLStyle writerStyle(nullptr);
  writerStyle.TextStyles->Items(0)->StyleName = "Zero";
  writerStyle.TextStyles->Items(1)->StyleName = "One";
  TVLDocumentData writer(&writerStyle);
  writer.SetState(writer.GetState() | vlstViewDocument);
  writer.VLFOptions.Include(vlfoSaveTextStyles);
  writer.VLFOptions.Include(vlfoUseStyleNames);
  writer.AddTextItem("first", 1, 0);
  writer.AddTextItem("second", 0, 0);
  const AnsiString bytes = Save(writer);
  ASSERT_NE(bytes.find("\"One\" 1"), AnsiString::npos);

  TVLStyle readerStyle(nullptr);
  readerStyle.TextStyles->Items(0)->StyleName = "One";
  readerStyle.TextStyles->Items(1)->StyleName = "Zero";
  TVLDocumentData reader(&readerStyle);
  // A paragraph before the styles record names a style of the sheet as it
  // was.
  AnsiString withFirst = bytes;
  withFirst.insert(bytes.find("\r\n") + 2, "\"Zero\" 1 0 0 0 0\r\nbefore\r\n");
  TStringStream in(withFirst);
  TColor color = clNone;
  ASSERT_TRUE(reader.LoadVLFFromStream(in, color, nullptr, nullptr, nullptr));
  ASSERT_EQ(reader.GetItemCount(), 3);
  EXPECT_EQ(reader.GetItem(0)->StyleNo, 1);
  EXPECT_EQ(reader.GetItem(1)->StyleNo, 1);
  EXPECT_EQ(reader.GetItem(2)->StyleNo, 0);
  // A name no style has is style 0; the first of two equal names wins.
  ASSERT_EQ(readerStyle.TextStyles->Items(1)->StyleName, "One");
  readerStyle.TextStyles->Items(2)->StyleName = "Twice";
  readerStyle.TextStyles->Items(3)->StyleName = "Twice";
  TVLDocumentData named(&readerStyle);
  ASSERT_TRUE(Insert(named, "-8 1 3\r\n\"Nobody\" 1 0 0 0 0\r\na\r\n\"Twice\" 1 0 0 0 0\r\nb\r\n", 0));
  ASSERT_EQ(named.GetItemCount(), 2);
  EXPECT_EQ(named.GetItem(0)->StyleNo, 0);
  EXPECT_EQ(named.GetItem(1)->StyleNo, 2);
}

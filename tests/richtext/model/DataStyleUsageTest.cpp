// Deleting the styles no item uses, with every reference renumbered.
#include "richtext/model/VLData.h"
#include "richtext/model/VLMarkers.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Text styles named T0..T4 and paragraph styles P0..P2, none standard.
void MakeSheet(TVLStyle& style) {
  while (style.TextStyles->Count() > 5) style.TextStyles->Delete(style.TextStyles->Count() - 1);
  while (style.TextStyles->Count() < 5) style.TextStyles->Add();
  for (Integer i = 0; i < 5; ++i) {
    style.TextStyles->Items(i)->StyleName = "T" + std::to_string(i);
    style.TextStyles->Items(i)->Standard = false;
    style.TextStyles->Items(i)->NextStyleNo = -1;
  }
  while (style.ParaStyles->Count() < 3) style.ParaStyles->Add();
  for (Integer i = 0; i < 3; ++i) {
    style.ParaStyles->Items(i)->StyleName = "P" + std::to_string(i);
    style.ParaStyles->Items(i)->Standard = false;
  }
}

std::vector<String> Names(TCustomVLInfos& infos) {
  std::vector<String> r;
  for (Integer i = 0; i < infos.Count(); ++i) r.push_back(infos.GetInfo(i)->StyleName);
  return r;
}

}  // namespace

TEST(DataStyleUsage, UnusedTextStylesGoAndItemsAreRenumbered) {
  TVLStyle style(nullptr);
  MakeSheet(style);
  TVLDocumentData doc(&style);
  doc.AddTextItem("a", 0, 0);
  doc.AddTextItem("b", 2, 0);
  doc.AddTextItem("c", 4, 0);
  doc.DeleteUnusedStyles(true, false, false);
  EXPECT_EQ(Names(*style.TextStyles), (std::vector<String>{"T0", "T2", "T4"}));
  EXPECT_EQ(doc.GetItem(1)->StyleNo, 1);
  EXPECT_EQ(doc.GetItem(2)->StyleNo, 2);
  EXPECT_EQ(style.ParaStyles->Count(), 3);
}

TEST(DataStyleUsage, ReferencesKeepStylesAlive) {
  TVLStyle style(nullptr);
  MakeSheet(style);
  // 4 names 3 as its next style, 3 names itself through 1 (a cycle).
  style.TextStyles->Items(4)->NextStyleNo = 3;
  style.TextStyles->Items(3)->BaseStyleNo = 1;
  style.TextStyles->Items(1)->NextStyleNo = 3;
  style.TextStyles->Items(0)->NextStyleNo = 99;  // past the end: repaired
  TVLDocumentData doc(&style);
  doc.AddTextItem("x", 4, 0);
  doc.AddTextItem("y", 0, 0);
  doc.DeleteUnusedStyles(true, false, false);
  EXPECT_EQ(Names(*style.TextStyles), (std::vector<String>{"T0", "T1", "T3", "T4"}));
  EXPECT_EQ(style.TextStyles->Items(3)->NextStyleNo, 2);
  EXPECT_EQ(style.TextStyles->Items(2)->BaseStyleNo, 1);
  EXPECT_EQ(style.TextStyles->Items(1)->NextStyleNo, 2);
  EXPECT_EQ(style.TextStyles->Items(0)->NextStyleNo, -1);
}

TEST(DataStyleUsage, DefaultTextStyleOfParagraphStylesFollowsTheRenumbering) {
  TVLStyle style(nullptr);
  MakeSheet(style);
  style.ParaStyles->Items(1)->DefStyleNo = 4;
  TVLDocumentData doc(&style);
  doc.AddTextItem("plain", 0, 0);
  doc.AddTextItem("default", vlsDefStyle, 1);
  const String before = style.TextStyles->Items(doc.GetItemStyle(1))->StyleName;
  doc.DeleteUnusedStyles(true, true, false);
  EXPECT_EQ(Names(*style.TextStyles), (std::vector<String>{"T0", "T4"}));
  EXPECT_EQ(style.ParaStyles->Items(1)->DefStyleNo, 1);
  EXPECT_EQ(style.TextStyles->Items(doc.GetItemStyle(1))->StyleName, before);
  EXPECT_EQ(doc.GetItem(1)->StyleNo, vlsDefStyle);
  EXPECT_EQ(Names(*style.ParaStyles), (std::vector<String>{"P0", "P1"}));
}

TEST(DataStyleUsage, OnlyTheKindsAskedForAreCleaned) {
  TVLStyle style(nullptr);
  MakeSheet(style);
  for (Integer i = 0; i < 3; ++i) style.ListStyles->Add()->Levels->Add()->ListType = vllstDecimal;
  style.ListStyles->Items(0)->Standard = false;
  style.ListStyles->Items(1)->Standard = false;
  style.ListStyles->Items(2)->Standard = false;
  style.ParaStyles->Items(2)->NextParaNo = 0;
  TVLDocumentData doc(&style);
  doc.AddTextItem("a", 3, 2);
  doc.SetListMarker(doc.GetItemCount(), 2, 0, 1, 2, false);
  doc.AddTextItem("b", 3, -1);
  doc.DeleteUnusedStyles(false, true, false);
  EXPECT_EQ(style.TextStyles->Count(), 5);
  EXPECT_EQ(style.ListStyles->Count(), 3);
  EXPECT_EQ(Names(*style.ParaStyles), (std::vector<String>{"P0", "P2"}));
  EXPECT_EQ(doc.GetItem(0)->ParaNo, 1);
  EXPECT_EQ(style.ParaStyles->Items(1)->NextParaNo, 0);
  EXPECT_EQ(doc.GetItem(0)->StyleNo, 3);

  doc.DeleteUnusedStyles(false, false, true);
  EXPECT_EQ(style.ListStyles->Count(), 1);
  EXPECT_EQ(static_cast<TVLMarkerItemInfo*>(doc.GetItem(1))->ListNo, 0);
}

TEST(DataStyleUsage, ReportsWhetherAnyStyleWent) {
  // Callers keep what refers to styles by number (undo records) only while
  // nothing was renumbered, so the answer must be exact.
  const struct {
    const char* Name;
    Integer UsedText, UsedPara;
    bool Text, Para, Lists;
    bool Renumbered;
  } cases[] = {
      {"all text styles in use", 4, 2, true, false, false, false},
      {"the last text style unused", 3, 2, true, false, false, true},
      {"several text styles unused", 1, 2, true, false, false, true},
      {"unused text styles not asked for", 1, 2, false, true, false, false},
      {"an unused paragraph style", 4, 1, false, true, false, true},
      {"unused list style", 4, 2, false, false, true, true},
      {"nothing asked for", 0, 0, false, false, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TVLStyle style(nullptr);
    MakeSheet(style);
    style.ListStyles->Add()->Levels->Add()->ListType = vllstDecimal;
    style.ListStyles->Items(0)->Standard = false;
    TVLDocumentData doc(&style);
    // Items use text styles 0..UsedText and paragraph styles 0..UsedPara.
    for (Integer i = 0; i <= std::max(c.UsedText, c.UsedPara); ++i)
      doc.AddTextItem("x", std::min(i, c.UsedText), std::min(i, c.UsedPara));
    const Integer lastStyle = doc.GetItem(doc.GetItemCount() - 1)->StyleNo;
    EXPECT_EQ(doc.DeleteUnusedStyles(c.Text, c.Para, c.Lists), c.Renumbered);
    if (!c.Renumbered) {
      EXPECT_EQ(style.TextStyles->Count(), 5);
      EXPECT_EQ(style.ParaStyles->Count(), 3);
      EXPECT_EQ(doc.GetItem(doc.GetItemCount() - 1)->StyleNo, lastStyle);
    }
  }
}

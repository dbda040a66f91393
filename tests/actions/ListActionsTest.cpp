#include "actions/VLActionsList.h"
#include "richtext/model/VLItem.h"

#include "EditorBench.h"

#include <gtest/gtest.h>

namespace {

// Paragraphs "p0".."pN" of a real editor; the list toggles act on them.
struct TListBench : TEditorBench {
  explicit TListBench(int paragraphs) {
    PlainSheet();
    Sheet->ListStyles->Clear();
    Edit->Clear();
    for (int i = 0; i < paragraphs; ++i) Edit->AddTextItem("p" + std::to_string(i), 0, 0);
    Edit->Format();
    Bullets = new TvlActionParaBullets(Form);
    Numbering = new TvlActionParaNumbering(Form);
    Bullets->SetControl(Edit);
    Numbering->SetControl(Edit);
  }
  // The item that holds paragraph Para's text.
  Integer TextItem(int para) {
    for (Integer i = 0; i < Edit->ItemCount(); ++i)
      if (Edit->GetItemTextUtf8(i) == "p" + std::to_string(para)) return i;
    return -1;
  }
  void CaretIn(int para) { Edit->SetCaret(TextItem(para), Edit->GetItemStartOffset(TextItem(para))); }
  void SelectParas(int from, int to) {
    Edit->SetSelectionBounds(TextItem(from), Edit->GetItemStartOffset(TextItem(from)), TextItem(to),
                             Edit->GetItemEndOffset(TextItem(to)));
  }
  bool Run(TvlAction* a) {
    a->Update();
    return a->Execute();
  }
  // "-" for a paragraph without a list, else its marker text and list number.
  std::string Markers() {
    std::string s;
    for (Integer i = 0; i < Edit->ItemCount(); ++i) {
      if (!Edit->VLData()->IsParaStart(i)) continue;
      if (!s.empty()) s += " ";
      auto* m = dynamic_cast<TVLMarkerItemInfo*>(Edit->GetItem(i));
      std::string text = m ? m->AsText(0, Edit->VLData(), "", "", true, false) : "-";
      while (!text.empty() && text.back() == ' ') text.pop_back();
      s += m ? text + "@" + std::to_string(m->ListNo) : text;
    }
    return s;
  }
  TvlActionParaBullets* Bullets;
  TvlActionParaNumbering* Numbering;
};

TEST(NumberingToggle, ContinuesAnAdjacentListAndStartsAfreshPastAPlainParagraph) {
  // Four paragraphs; From..To numbered first, then Numbering at Target.
  struct Case {
    const char* Name;
    int From, To, Target;
    const char* Expected;
  } cases[] = {
      {"right after the list", 0, 1, 2, "1.@0 2.@0 3.@0 -"},
      {"right before the list", 1, 2, 0, "1.@0 2.@0 3.@0 -"},
      {"a plain paragraph between", 0, 1, 3, "1.@0 2.@0 - 1.@1"},
      {"two plain paragraphs between", 0, 0, 3, "1.@0 - - 1.@1"},
  };
  for (const Case& c : cases) {
    TListBench b(4);
    b.SelectParas(c.From, c.To);
    ASSERT_TRUE(b.Run(b.Numbering)) << c.Name;
    b.CaretIn(c.Target);
    ASSERT_TRUE(b.Run(b.Numbering)) << c.Name;
    EXPECT_EQ(b.Markers(), c.Expected) << c.Name;
  }
}

TEST(NumberingToggle, CheckedInsideItsOwnListAndRunningItAgainRemovesTheList) {
  TListBench b(2);
  b.SelectParas(0, 1);
  b.Numbering->Update();
  EXPECT_FALSE(b.Numbering->GetChecked());
  ASSERT_TRUE(b.Run(b.Numbering));
  b.CaretIn(1);
  b.Numbering->Update();
  EXPECT_TRUE(b.Numbering->GetChecked());
  b.Bullets->Update();
  EXPECT_FALSE(b.Bullets->GetChecked());
  ASSERT_TRUE(b.Run(b.Numbering));
  EXPECT_EQ(b.Markers(), "1.@0 -");
}

TEST(BulletsToggle, TwoListsOfTheSameLevelsAreNotOneAndGetJoined) {
  TListBench b(3);
  // Two list styles with the bullet levels, one on each of two paragraphs.
  for (int i = 0; i < 2; ++i) {
    TVLListInfo* l = b.Sheet->ListStyles->Add();
    l->SetLevels(b.Bullets->GetListLevels());
  }
  b.CaretIn(0);
  b.Edit->ApplyListStyle(0, -1, 1, false);
  b.CaretIn(1);
  b.Edit->ApplyListStyle(1, -1, 1, false);
  b.SelectParas(0, 1);
  b.Bullets->Update();
  EXPECT_FALSE(b.Bullets->GetChecked());
  ASSERT_TRUE(b.Run(b.Bullets));
  const std::string markers = b.Markers();
  EXPECT_EQ(markers.substr(markers.find('@'), 2), "@0") << markers;
  EXPECT_NE(markers.find("@0 "), std::string::npos) << markers;
  b.SelectParas(0, 1);
  b.Bullets->Update();
  EXPECT_TRUE(b.Bullets->GetChecked());
  EXPECT_EQ(b.Sheet->ListStyles->Count(), 2);
}

TEST(ListToggles, TheDefaultLevelsAreTheDocumentedOnes) {
  TEditorBench b;
  TvlActionParaBullets bullets(b.Form);
  TvlActionParaNumbering numbering(b.Form);
  ASSERT_EQ(bullets.GetListLevels().Count(), 9);
  ASSERT_EQ(numbering.GetListLevels().Count(), 9);
  for (Integer i = 0; i < 9; ++i) {
    const TVLListLevel* bl = bullets.GetListLevels().Items(i);
    const TVLListLevel* nl = numbering.GetListLevels().Items(i);
    EXPECT_EQ(bl->LeftIndent, 48 * i + 24) << i;
    EXPECT_EQ(nl->MarkerIndent, 48 * i) << i;
    EXPECT_EQ(nl->FormatString, "%" + std::to_string(i) + ":s.") << i;
    EXPECT_EQ(nl->ListType, vllstDecimal) << i;
    const char* fonts[] = {"Symbol", "Courier New", "Wingdings"};
    EXPECT_EQ(bl->FontOrNil()->GetName(), fonts[i % 3]) << i;
  }
}

}  // namespace

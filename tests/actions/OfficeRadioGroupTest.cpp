#include "actions/VLOfficeRadioBtn.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Forms.h"

#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct TGroupBench {
  TGroupBench(Integer items, Integer columns) {
    Application->Initialize();
    Form.reset(new TForm(nullptr));
    Form->SetBounds(0, 0, 400, 400);
    Group = new TVLOfficeRadioGroup(Form.get());
    Group->SetParent(Form.get());
    Group->SetBounds(10, 10, 200, 200);
    Group->SetColumns(columns);
    for (Integer i = 0; i < items; ++i) Group->AddItem("Item " + std::to_string(i));
    Group->OnClick = [this](TObject*) { ++Clicks; };
  }
  std::unique_ptr<TForm> Form;
  TVLOfficeRadioGroup* Group;
  int Clicks = 0;
};

TEST(OfficeRadioGroupTest, ButtonsFillColumnsTopToBottomAndMirrorRightToLeft) {
  struct Case {
    Integer items, columns;
    TBiDiMode bidi;
    std::vector<Integer> xs;
    Integer width;
    std::vector<Integer> rows;
  };
  const Case cases[] = {
      {3, 1, bdLeftToRight, {15, 15, 15}, 170, {0, 1, 2}},
      {5, 2, bdLeftToRight, {15, 15, 15, 105, 105}, 80, {0, 1, 2, 0, 1}},
      {5, 2, bdRightToLeft, {105, 105, 105, 15, 15}, 80, {0, 1, 2, 0, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.items * 10 + c.columns);
    TGroupBench b(c.items, c.columns);
    b.Group->SetBiDiMode(c.bidi);
    const Integer band = b.Group->CaptionBandHeight();
    const Integer rows = (c.items + c.columns - 1) / c.columns;
    const Integer pitch = (200 - band - 20) / rows;
    ASSERT_EQ(b.Group->ButtonCount(), c.items);
    for (Integer i = 0; i < c.items; ++i) {
      TOfficeGroupButton* btn = b.Group->Buttons(i);
      EXPECT_EQ(btn->GetLeft(), c.xs[i]) << i;
      EXPECT_EQ(btn->GetTop(), band + 10 + c.rows[i] * pitch) << i;
      EXPECT_EQ(btn->GetWidth(), c.width) << i;
      EXPECT_EQ(btn->GetHeight(), pitch) << i;
    }
  }
}

TEST(OfficeRadioGroupTest, ArrowKeysWalkTheGridAndPassOverEmptyAndDisabledCells) {
  struct Case {
    Integer from;
    Word key;
    Integer to;
    Integer disabled;
  };
  const Case cases[] = {
      {0, VK_RIGHT, 3, -1}, {0, VK_LEFT, 2, -1},  {0, VK_UP, 4, -1},   {0, VK_DOWN, 1, -1},
      {3, VK_RIGHT, 1, -1}, {1, VK_LEFT, 3, -1},  {4, VK_DOWN, 0, -1}, {2, VK_RIGHT, 0, -1},
      {0, VK_RIGHT, 1, 3},  {0, VK_DOWN, 2, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.from) + " key " + std::to_string(c.key));
    TGroupBench b(5, 2);
    if (c.disabled >= 0) {
      b.Group->Item(c.disabled).Enabled = false;
      b.Group->ItemChanged(c.disabled);
    }
    EXPECT_EQ(b.Group->GetNextButton(c.from, c.key), c.to);
  }
}

TEST(OfficeRadioGroupTest, ArrowKeyOnAFocusedButtonMovesFocusAndSelection) {
  TGroupBench b(5, 2);
  b.Form->Show();
  b.Group->SetItemIndex(0);
  b.Group->Buttons(0)->SetFocus();
  QTest::keyClick(WidgetOf(b.Group->Buttons(0)), Qt::Key_Right);
  Application->ProcessMessages();
  EXPECT_EQ(b.Group->GetItemIndex(), 3);
  EXPECT_TRUE(b.Group->Buttons(3)->GetChecked());
  EXPECT_FALSE(b.Group->Buttons(0)->GetChecked());
}

TEST(OfficeRadioGroupTest, ItemIndexIsClampedAndFiresOnlyWhenItSelectsAButton) {
  struct Case {
    Integer start, set, expected;
    int clicks;
  };
  const Case cases[] = {{-1, 7, 3, 1}, {-1, -5, -1, 0}, {2, -1, -1, 0}, {2, 2, 2, 0}, {-1, 2, 2, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.start) + "->" + std::to_string(c.set));
    TGroupBench b(4, 1);
    b.Group->SetItemIndex(c.start);
    b.Clicks = 0;
    b.Group->SetItemIndex(c.set);
    EXPECT_EQ(b.Group->GetItemIndex(), c.expected);
    EXPECT_EQ(b.Clicks, c.clicks);
    for (Integer i = 0; i < 4; ++i) EXPECT_EQ(b.Group->Buttons(i)->GetChecked(), i == c.expected) << i;
  }
}

TEST(OfficeRadioGroupTest, DeletingItemsKeepsTheIndexAsANumberAndDisablingReachesEveryButton) {
  TGroupBench b(5, 1);
  b.Group->SetItemIndex(4);
  b.Clicks = 0;
  b.Group->DeleteItem(4);
  EXPECT_EQ(b.Group->GetItemIndex(), 3);
  EXPECT_TRUE(b.Group->Buttons(3)->GetChecked());
  EXPECT_EQ(b.Clicks, 0);
  b.Group->SetEnabled(false);
  for (Integer i = 0; i < b.Group->ButtonCount(); ++i) EXPECT_FALSE(b.Group->Buttons(i)->GetEnabled());
  b.Group->SetColumns(0);
  EXPECT_EQ(b.Group->GetColumns(), 1);
  b.Group->SetColumns(20);
  EXPECT_EQ(b.Group->GetColumns(), 16);
}

TEST(OfficeRadioButtonTest, ImageAreaLeavesTheCaptionBandAndCutsASquare) {
  struct Case {
    Integer w, h;
    TORBTextPosition pos;
    bool square;
    TRect expected;
  };
  const Case cases[] = {
      {100, 100, orbtpBottom, false, TRect(0, 0, 100, 70)},
      {100, 100, orbtpBottom, true, TRect(15, 0, 85, 70)},
      {60, 120, orbtpTop, true, TRect(0, 45, 60, 105)},
  };
  Application->Initialize();
  for (const Case& c : cases) {
    TVLOfficeRadioButton b(nullptr);
    b.SetBounds(0, 0, c.w, c.h);
    b.SetTextPosition(c.pos);
    b.SetSquare(c.square);
    const TRect r = b.ImageArea(TRect(0, 0, c.w, c.h));
    EXPECT_EQ(r.Left, c.expected.Left);
    EXPECT_EQ(r.Top, c.expected.Top);
    EXPECT_EQ(r.Right, c.expected.Right);
    EXPECT_EQ(r.Bottom, c.expected.Bottom);
  }
}

TEST(OfficeRadioButtonTest, CheckingOneUnchecksItsSiblingsAndTheFrameLiesInsideTheImageArea) {
  Application->Initialize();
  TForm form(nullptr);
  auto* a = new TVLOfficeRadioButton(&form);
  auto* b = new TVLOfficeRadioButton(&form);
  a->SetParent(&form);
  b->SetParent(&form);
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  a->SetChecked(true);
  b->SetChecked(true);
  EXPECT_FALSE(a->GetChecked());
  EXPECT_EQ(clicks, 1);
  // The checked frame: 4 pixels inside the image area, SelWidth wide.
  b->SetSelColor(TColor(0x0000FF));
  b->SetFillColor(TColor(0xFFFFFF));
  TBitmap bmp;
  bmp.SetSize(100, 100);
  b->PaintButton(*bmp.Canvas(), TRect(0, 0, 100, 100), false);
  EXPECT_EQ(bmp.Canvas()->GetPixel(4, 35), TColor(0x0000FF));
  EXPECT_EQ(bmp.Canvas()->GetPixel(5, 35), TColor(0x0000FF));
  EXPECT_EQ(bmp.Canvas()->GetPixel(6, 35), TColor(0xFFFFFF));
  b->SetLargeSelection(true);
  b->PaintButton(*bmp.Canvas(), TRect(0, 0, 100, 100), false);
  EXPECT_EQ(bmp.Canvas()->GetPixel(0, 35), TColor(0x0000FF));
}

}  // namespace

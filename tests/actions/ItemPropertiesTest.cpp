#include "actions/ItemPropVLFrm.h"
#include "actions/VLActionsInsert.h"
#include "platform/gui/Dialogs.h"
#include "richtext/model/VLItem.h"

#include "EditorBench.h"

#include <gtest/gtest.h>

namespace {

// "ab", then a 10 x 20 picture or a line, then "cd"; the caret on the object.
struct TObjectBench : TEditorBench {
  explicit TObjectBench(bool picture, Byte lineWidth = 1) {
    Edit->Clear();
    Edit->AddTextItem("ab", 0, 0);
    if (picture) {
      auto bmp = std::make_unique<TBitmap>();
      bmp->SetSize(10, 20);
      auto item = TVLGraphicItemInfo::CreateEx(Edit->VLData(), std::move(bmp), vlvaBaseline);
      item->ParaNo = -1;
      Edit->AddItem("", item.release());
    } else {
      auto* item = new TVLBreakItemInfo(Edit->VLData());
      item->StyleNo = vlsBreak;
      item->LineWidth = lineWidth;
      item->Color = clRed;
      item->ParaNo = 0;
      Edit->AddItem("", item);
    }
    Edit->AddTextItem("cd", 0, 0);
    Edit->Format();
    Edit->SetSelectionBounds(1, 0, 1, 1);
    Action = new TvlActionItemProperties(Form);
    Action->SetControl(Edit);
  }
  Integer Extra(TVLExtraItemProperty prop) {
    Integer v = -1;
    Edit->GetItem(1)->GetExtraIntProperty(prop, v);
    return v;
  }
  // Runs the command; Script fills the dialog and answers.
  void Run(const std::function<int(TfrmVLItemProp*)>& script) {
    TInteractionScript s;
    s.Do([&](TInteraction& r) {
      auto* dlg = dynamic_cast<TfrmVLItemProp*>(r.Form);
      EXPECT_NE(dlg, nullptr);
      return dlg ? script(dlg) : mrCancel;
    });
    Action->Update();
    ASSERT_TRUE(Action->GetEnabled());
    ASSERT_TRUE(Action->Execute());
    EXPECT_EQ(s.Unexpected, 0);
    EXPECT_EQ(s.Pending(), 0u);
  }
  TvlActionItemProperties* Action;
};

void ChooseUnit(TComboBox* unit, int index) {
  unit->SetItemIndex(index);
  unit->OnSelect(unit);
}

TEST(ObjectProperties, PictureSizesAreStoredInPixels) {
  struct Case {
    const char* Name;
    int WUnit;  // -1: leave the width undecided
    double W;
    int HUnit;
    double H;
    Integer StoredW, StoredH;
  } cases[] = {
      {"own size", -1, 0, -1, 0, 0, 0},
      {"half the width in percent", 0, 50, -1, 0, 5, 0},
      {"pixels as typed", 1, 30, 1, 7, 30, 7},
      {"percent of each side", 0, 200, 0, 25, 20, 5},
  };
  for (const Case& c : cases) {
    TObjectBench b(true);
    b.Run([&](TfrmVLItemProp* d) {
      EXPECT_TRUE(d->seWidth->GetIndeterminate()) << c.Name;
      EXPECT_EQ(d->cmbWType->GetItemIndex(), 1) << c.Name;
      EXPECT_EQ(d->lblDefSize->GetText(), "Default size: 10 x 20") << c.Name;
      EXPECT_EQ(d->HelpContext, 90800);
      if (c.WUnit >= 0) {
        d->cmbWType->SetItemIndex(c.WUnit);
        d->seWidth->SetValue(c.W);
      }
      if (c.HUnit >= 0) {
        d->cmbHType->SetItemIndex(c.HUnit);
        d->seHeight->SetValue(c.H);
      }
      return mrOk;
    });
    EXPECT_EQ(b.Extra(vleipImageWidth), c.StoredW) << c.Name;
    EXPECT_EQ(b.Extra(vleipImageHeight), c.StoredH) << c.Name;
  }
}

TEST(ObjectProperties, UnitSwitchesConvertAndOneUndoRestoresThePicture) {
  TObjectBench b(true);
  b.Edit->ClearUndo();
  b.Run([](TfrmVLItemProp* d) {
    d->seWidth->SetValue(5);
    ChooseUnit(d->cmbWType, 0);
    EXPECT_EQ(d->seWidth->GetValue(), 50);
    ChooseUnit(d->cmbWType, 1);
    EXPECT_EQ(d->seWidth->GetValue(), 5);
    ChooseUnit(d->cmbVShiftType, 1);
    d->seVShift->SetValue(10);
    ChooseUnit(d->cmbVShiftType, 0);
    EXPECT_EQ(d->seVShift->GetValue(), 50);  // 10 px of a 20 px high picture
    d->cmbAlignTo->SetItemIndex(1);
    return mrOk;
  });
  auto* picture = dynamic_cast<TVLGraphicItemInfo*>(b.Edit->GetItem(1));
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->VAlign, vlvaMiddle);
  EXPECT_EQ(b.Extra(vleipImageWidth), 5);
  EXPECT_EQ(b.Extra(vleipVShift), 50);
  EXPECT_EQ(b.Extra(vleipVShiftAbsolute), 0);
  b.Edit->Undo();
  picture = dynamic_cast<TVLGraphicItemInfo*>(b.Edit->GetItem(1));
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->VAlign, vlvaBaseline);
  EXPECT_EQ(b.Extra(vleipImageWidth), 0);
  EXPECT_EQ(b.Extra(vleipVShift), 0);
  EXPECT_EQ(b.Edit->GetUndoType(), vlutNone);
}

TEST(ObjectProperties, LineWidthsAreKeptInTheListsRange) {
  struct Case {
    Byte Width;
    int Shown;
    Byte Stored;
  } cases[] = {{0, 0, 1}, {1, 0, 1}, {4, 3, 4}, {9, 5, 6}};
  for (const Case& c : cases) {
    TObjectBench b(false, c.Width);
    b.Run([&](TfrmVLItemProp* d) {
      EXPECT_EQ(d->cmbWidth->GetItemIndex(), c.Shown) << int(c.Width);
      EXPECT_EQ(d->cmbBreakColor->GetChosenColor(), clRed);
      EXPECT_EQ(d->HelpContext, 90900);
      d->cmbBreakColor->SetChosenColor(clBlue);
      return mrOk;
    });
    auto* line = dynamic_cast<TVLBreakItemInfo*>(b.Edit->GetItem(1));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->LineWidth, c.Stored) << int(c.Width);
    EXPECT_EQ(line->Color, clBlue);
    EXPECT_EQ(line->Style, 0);
  }
}

TEST(ObjectProperties, OnlyForAPictureOrLineAndCancelKeepsIt) {
  TObjectBench b(true);
  b.Edit->SetCaret(0, b.Edit->GetItemStartOffset(0) + 1);
  b.Action->Update();
  EXPECT_FALSE(b.Action->GetEnabled());
  // A selection wider than the picture.
  b.Edit->SetSelectionBounds(0, b.Edit->GetItemStartOffset(0), 1, 1);
  b.Action->Update();
  EXPECT_FALSE(b.Action->GetEnabled());
  b.Edit->SetSelectionBounds(1, 0, 1, 1);
  b.Run([](TfrmVLItemProp* d) {
    d->seWidth->SetValue(99);
    return mrCancel;
  });
  EXPECT_EQ(b.Extra(vleipImageWidth), 0);
  EXPECT_FALSE(b.Edit->Modified);
}

}  // namespace

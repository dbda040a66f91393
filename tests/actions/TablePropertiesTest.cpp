// The table properties dialog's pages on selected cells of a real editor:
// spacings, the cells' border group, widths that differ, and what OK
// writes back.
#include "TableTestSupport.h"

#include "actions/ItemPropVLFrm.h"
#include "actions/TableBackVLFrm.h"

#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace {

using tabletest::TTableWindow;

// Opens the properties of the table with cells (0,0) and (0,1) selected,
// lets check look at and change the dialog, and presses OK.
void Properties(TTableWindow& w, const std::function<void(TfrmVLItemProp*)>& check) {
  TvlActionTableProperties properties(w.Form.get());
  w.Click(0, 0);
  w.Click(0, 1, Qt::ShiftModifier);
  TInteractionScript script;
  script.Do([&](TInteraction& r) {
    auto* f = dynamic_cast<TfrmVLItemProp*>(r.Form);
    EXPECT_NE(f, nullptr);
    if (f) {
      // Shown: the handlers that follow the user's typing are live.
      f->Show();
      check(f);
      f->Hide();
    }
    return mrOk;
  });
  w.Run(properties);
  EXPECT_EQ(script.Pending(), 0u);
}

TEST(TableProperties, OneSpacingFieldStandsForFourEqualSpacings) {
  struct TCase {
    Integer CellH, CellV, BorderH, BorderV;
    bool Indeterminate;
    Integer Typed;  // -2: nothing typed
    Integer After[4];
  };
  const std::vector<TCase> cases = {
      {2, 2, 2, 2, false, -2, {2, 2, 2, 2}},
      {2, 3, 2, 3, true, -2, {2, 3, 2, 3}},
      {2, 3, 2, 3, true, 4, {4, 4, 4, 4}},
  };
  for (const TCase& k : cases) {
    TTableWindow w;
    TVLTableItemInfo* t = w.T();
    t->CellHSpacing = k.CellH;
    t->CellVSpacing = k.CellV;
    t->BorderHSpacing = k.BorderH;
    t->BorderVSpacing = k.BorderV;
    Properties(w, [&](TfrmVLItemProp* f) {
      EXPECT_EQ(f->seCellSpacing->GetIndeterminate(), k.Indeterminate);
      if (k.Typed != -2) f->seCellSpacing->SetValue(k.Typed);
    });
    EXPECT_EQ(t->CellHSpacing, k.After[0]);
    EXPECT_EQ(t->CellVSpacing, k.After[1]);
    EXPECT_EQ(t->BorderHSpacing, k.After[2]);
    EXPECT_EQ(t->BorderVSpacing, k.After[3]);
  }
}

TEST(TableProperties, WithoutCellBordersTheSidesAreNeitherShownNorWritten) {
  TTableWindow w;
  w.T()->CellBorderWidth = 0;
  w.T()->GetCell(0, 0)->VisibleBorders.Top = false;
  Properties(w, [](TfrmVLItemProp* f) {
    EXPECT_FALSE(f->gbCellBorder->GetVisible());
    const bool down = f->btnTop->GetDown();
    Word key = 'T';
    f->FormKeyDown(key, TShiftState{ssCtrl});
    EXPECT_EQ(f->btnTop->GetDown(), down);
  });
  EXPECT_FALSE(w.T()->GetCell(0, 0)->VisibleBorders.Top);
  EXPECT_TRUE(w.T()->GetCell(0, 1)->VisibleBorders.Top);
}

TEST(TableProperties, TheAutomaticBorderColourShowsTheTablesAndStaysAutomatic) {
  TTableWindow w;
  w.T()->CellBorderWidth = 1;
  w.T()->CellBorderStyle = vltbColor;
  w.T()->CellBorderColor = clGray;
  Properties(w, [](TfrmVLItemProp* f) {
    EXPECT_TRUE(f->gbCellBorder->GetVisible());
    EXPECT_EQ(f->lblCellBorderColor->GetText(), "C&olor:");
    EXPECT_FALSE(f->cmbCellBorderLightColor->GetVisible());
    EXPECT_FALSE(f->cmbCellBorderColor->GetIndeterminate());
    EXPECT_EQ(f->cmbCellBorderColor->GetChosenColor(), clGray);
  });
  EXPECT_EQ(w.T()->GetCell(0, 0)->BorderColor, clNone);
  EXPECT_EQ(w.T()->GetCell(0, 1)->BorderColor, clNone);
}

TEST(TableProperties, WidthsThatDifferAreLeftAloneUntilTheUserSetsOne) {
  struct TCase {
    const char* Name;
    std::function<void(TfrmVLItemProp*)> User;
    Integer Left, Right;
  };
  const std::vector<TCase> cases = {
      {"left grey", nullptr, 50, -30},
      {"40 pixels for both", [](TfrmVLItemProp* f) {
         f->cbCellWidth->SetChecked(true);
         f->cmbCellBWType->SetItemIndex(0);
         // Typing a number chooses pixels.
         f->seCellBestWidth->SetValue(40);
         EXPECT_EQ(f->cmbCellBWType->GetItemIndex(), 1);
       }, 40, 40},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.Name);
    TTableWindow w;
    w.T()->GetCell(0, 0)->BestWidth = 50;
    w.T()->GetCell(0, 1)->BestWidth = -30;
    Properties(w, [&](TfrmVLItemProp* f) {
      EXPECT_EQ(f->cbCellWidth->GetState(), cbGrayed);
      EXPECT_EQ(f->seCellBestWidth->GetValue(), 50);
      if (k.User) k.User(f);
    });
    EXPECT_EQ(w.T()->GetCell(0, 0)->BestWidth, k.Left);
    EXPECT_EQ(w.T()->GetCell(0, 1)->BestWidth, k.Right);
  }
}

TEST(TableProperties, OnlyTheTablePageWithTheCaretBesideTheTable) {
  TTableWindow w;
  TvlActionTableProperties properties(w.Form.get());
  TVLEditVLData& d = *w.Edit->EditData();
  Integer tableNo = -1;
  for (Integer i = 0; i < d.GetItemCount(); ++i)
    if (d.GetItem(i) == w.T()) tableNo = i;
  w.Edit->SetCaret(tableNo, 0);
  w.Settle();
  TInteractionScript script;
  script.Do([](TInteraction& r) {
    auto* f = dynamic_cast<TfrmVLItemProp*>(r.Form);
    EXPECT_TRUE(f->IsTabSheetVisible(f->tsTable));
    EXPECT_FALSE(f->IsTabSheetVisible(f->tsCells));
    EXPECT_FALSE(f->IsTabSheetVisible(f->tsRows));
    f->cmbCellColor->SetChosenColor(clRed);
    return mrOk;
  });
  EXPECT_TRUE(w.Enabled(properties));
  w.Run(properties);
  EXPECT_EQ(script.Shown.size(), 1u);
  EXPECT_EQ(w.T()->GetCell(0, 0)->Color, clNone);
}

// The table page's Picture button: the background dialog shows the table's
// colour, picture and placement, and OK on both dialogs gives the table the
// chosen picture as one undoable change; the cells keep theirs.
TEST(TableProperties, ThePictureButtonSetsTheTablesOwnPicture) {
  struct TCase {
    bool Choose;  // a picture chosen in the background dialog
    int BackResult;
    bool Expected;
  };
  const std::vector<TCase> cases = {{true, mrOk, true}, {true, mrCancel, false}, {false, mrOk, false}};
  for (const TCase& k : cases) {
    SCOPED_TRACE(std::to_string(k.Choose) + " " + std::to_string(k.BackResult));
    TTableWindow w;
    TVLTableItemInfo* t = w.T();
    t->Color = clYellow;
    TvlActionTableProperties properties(w.Form.get());
    w.Click(0, 0);
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      auto* f = dynamic_cast<TfrmVLItemProp*>(r.Form);
      EXPECT_NE(f, nullptr);
      if (!f) return mrCancel;
      EXPECT_TRUE(f->btnTableBack->GetVisible());
      EXPECT_FALSE(f->btnTableBack->GetText().empty());
      f->btnTableBack->Click();
      return mrOk;
    });
    script.Do([&](TInteraction& r) {
      auto* d = dynamic_cast<TfrmVLTableBack*>(r.Form);
      EXPECT_NE(d, nullptr);
      if (!d) return mrCancel;
      // Nothing yet: the table's colour frames an empty picture.
      TVLItemBackgroundStyle style = vlbsTiled;
      std::unique_ptr<TGraphic> shown;
      d->GetBackground(style, shown);
      EXPECT_EQ(shown, nullptr);
      if (k.Choose) {
        TBitmap picture(5, 4);
        d->SetBackground(clYellow, vlbsStretched, &picture);
      }
      return k.BackResult;
    });
    w.Run(properties);
    EXPECT_EQ(script.Pending(), 0u);
    ASSERT_EQ(t->GetBackgroundImage() != nullptr, k.Expected);
    if (!k.Expected) continue;
    EXPECT_EQ(t->GetBackgroundImage()->GetWidth(), 5);
    EXPECT_EQ(t->BackgroundStyle, vlbsStretched);
    EXPECT_EQ(t->GetCell(0, 0)->GetBackgroundImage(), nullptr);
    // The picture, then its placement, each a step of its own.
    w.Edit->Undo();
    EXPECT_EQ(t->GetBackgroundImage(), nullptr);
    w.Edit->Undo();
    EXPECT_EQ(t->BackgroundStyle, vlbsColor);
  }
}

}  // namespace

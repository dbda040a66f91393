#include "actions/ColorVLFrm.h"
#include "actions/FourSidesVLFrm.h"
#include "actions/VLColorGrid.h"
#include "actions/VLGrids.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Forms.h"

#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>

namespace {

TEST(CellGridTest, DefaultsScrollingAndRefusedCounts) {
  Application->Initialize();
  TVLGrid g(nullptr);
  EXPECT_EQ(g.ClientWidth(), 169);
  EXPECT_EQ(g.ClientHeight(), 169);
  g.SetRowCount(20);
  g.SetRowsVisible(8);
  struct Case {
    Integer top;
    TScrollCode code;
    Integer expected;
  };
  const Case cases[] = {{10, scPageDown, 12}, {2, scPageDown, 10}, {5, scPageUp, 0},
                        {9, scPageUp, 1},     {0, scBottom, 12},   {12, scLineDown, 12}};
  for (const Case& c : cases) {
    g.ScrollBy(scPosition, c.top);
    g.ScrollBy(c.code);
    EXPECT_EQ(g.TopRow(), c.expected) << c.top << " code " << c.code;
  }
  try {
    g.SetRowCount(0);
    ADD_FAILURE() << "no error";
  } catch (const EAssertionFailed& e) {
    EXPECT_STREQ(e.what(), "Incorrect RowCount value 0");
  }
  EXPECT_EQ(g.GetRowCount(), 20);
}

TEST(CellGridTest, HitTestingIsHalfOpenAndShrinkingKeepsTheSelectionInside) {
  Application->Initialize();
  TVLGrid g(nullptr);
  struct Case {
    Integer x, col;
  };
  // Columns start every 17 pixels (16 + a 1-pixel line).
  for (const Case& c : {Case{-1, -1}, Case{0, 0}, Case{16, 0}, Case{17, 1}, Case{168, 9}, Case{171, 10}})
    EXPECT_EQ(g.GetColAt(c.x), c.col) << c.x;
  g.SelectCell(9, 9);
  g.SetColCount(5);
  g.SetRowCount(3);
  EXPECT_EQ(g.Col(), 4);
  EXPECT_EQ(g.Row(), 2);
}

TEST(ColourGridTest, ChosenColourSelectsItsCellAndOthersMakeItIndeterminate) {
  Application->Initialize();
  TVLColorGrid g(nullptr);
  int changes = 0;
  g.OnColorChange = [&](TObject*) { ++changes; };
  EXPECT_EQ(g.ClientWidth(), 144);
  EXPECT_EQ(g.ClientHeight(), 114);
  struct Case {
    TColor color;
    bool indeterminate;
    Integer col, row;
    String name;
  };
  const Case cases[] = {
      {TColor(0x0000FF), false, 0, 3, "Red"},
      {clNone, false, 0, 0, "Default"},
      {TColor(0xFFFFFF), false, 7, 5, "White"},
      {TColor(0x030201), true, 7, 5, "Default"},
  };
  for (const Case& c : cases) {
    g.SetChosenColor(c.color);
    EXPECT_EQ(g.GetIndeterminate(), c.indeterminate);
    EXPECT_EQ(g.Col(), c.col);
    EXPECT_EQ(g.Row(), c.row);
    EXPECT_EQ(g.GetChosenColorName(), c.name);
  }
  EXPECT_EQ(changes, 0);
}

TEST(ColourGridTest, OnlyKeysThatReachACellChooseAColour) {
  Application->Initialize();
  TForm form(nullptr);
  auto* g = new TVLColorGrid(&form);
  g->SetParent(&form);
  form.Show();
  int changes = 0;
  g->OnColorChange = [&](TObject*) { ++changes; };
  struct Case {
    TColor start;
    Qt::Key key;
    bool indeterminate;
    TColor chosen;
    int changes;
  };
  const Case cases[] = {
      // An indeterminate grid at the left edge: Left cannot move, nothing is chosen.
      {TColor(0x030201), Qt::Key_Left, true, clNone, 0},
      {clNone, Qt::Key_Right, false, clNone, 0},
      {clNone, Qt::Key_Down, false, TColor(0x000000), 1},
      {TColor(0x0000FF), Qt::Key_Right, false, TColor(0x0099FF), 1},
  };
  for (const Case& c : cases) {
    g->SetChosenColor(TColor(0x000000));
    g->SetChosenColor(c.start);
    changes = 0;
    g->SetFocus();
    QTest::keyClick(WidgetOf(g), c.key);
    EXPECT_EQ(g->GetIndeterminate(), c.indeterminate) << c.key;
    EXPECT_EQ(g->GetChosenColor(), c.chosen) << c.key;
    EXPECT_EQ(changes, c.changes) << c.key;
  }
  // A click anywhere on the bar is the bar.
  g->SetChosenColor(TColor(0x0000FF));
  QTest::mouseClick(WidgetOf(g), Qt::LeftButton, {}, QPoint(100, 10));
  EXPECT_EQ(g->Col(), 0);
  EXPECT_EQ(g->Row(), 0);
  EXPECT_EQ(g->GetChosenColor(), clNone);
}

struct TFourSidesCase {
  Integer v[4];
  bool d[4];
  bool equal;
};

TEST(FourSidesDialogTest, SetValuesTicksEqualOnlyForEqualValuesAndFlags) {
  Application->Initialize();
  const TFourSidesCase cases[] = {
      {{5, 5, 5, 5}, {true, true, true, true}, true},
      {{5, 5, 5, 6}, {true, true, true, true}, false},
      {{0, 0, 0, 0}, {false, false, false, false}, true},
      {{5, 5, 5, 5}, {true, false, true, true}, false},
  };
  for (const auto& c : cases) {
    std::unique_ptr<TfrmVLFourSides> d(CreateVLForm<TfrmVLFourSides>(nullptr));
    d->SetValues(c.v[0], c.v[1], c.v[2], c.v[3], c.d[0], c.d[1], c.d[2], c.d[3]);
    EXPECT_EQ(d->cbEqual->GetChecked(), c.equal) << c.v[3];
    EXPECT_EQ(d->seTop->GetIndeterminate(), !c.d[1]);
  }
}

TEST(FourSidesDialogTest, EqualAveragesAndCopiesWhileShown) {
  Application->Initialize();
  std::unique_ptr<TfrmVLFourSides> d(CreateVLForm<TfrmVLFourSides>(nullptr));
  TInteractionScript script;
  script.Do([&](TInteraction&) {
    d->seLeft->SetValue(1);
    d->seTop->SetValue(2);
    d->seRight->SetValue(3);
    d->seBottom->SetValue(4);
    QTest::mouseClick(WidgetOf(d->cbEqual), Qt::LeftButton, {}, QPoint(5, 8));
    EXPECT_EQ(d->seBottom->GetText(), "2");
    d->seRight->SetFocus();
    d->seRight->SelectAll();
    QTest::keyClicks(WidgetOf(d->seRight), "7");
    EXPECT_EQ(d->seLeft->GetText(), "7");
    EXPECT_EQ(d->seTop->GetText(), "7");
    d->seTop->SetText("");
    EXPECT_TRUE(d->seBottom->GetIndeterminate());
    return mrOk;
  });
  d->SetValues(0, 0, 0, 0, true, true, true, false);
  EXPECT_EQ(d->ShowModal(), mrOk);
  Integer l, t, r, b;
  bool ld, td, rd, bd;
  d->GetValues(l, t, r, b, ld, td, rd, bd);
  EXPECT_FALSE(ld || td || rd || bd);
}

TEST(FourSidesDialogTest, AnOutOfRangeValueThatIsOnlyConfirmedStaysUndecided) {
  Application->Initialize();
  struct Case {
    bool spacing;
    const char* typed;
    bool defined;
    Integer value;
  };
  const Case cases[] = {{false, nullptr, false, 100}, {true, nullptr, false, 30}, {false, "60", true, 60}};
  for (const Case& c : cases) {
    std::unique_ptr<TfrmVLFourSides> d(c.spacing ? CreateVLForm<TfrmVLSpacing>(nullptr)
                                                 : CreateVLForm<TfrmVLFourSides>(nullptr));
    d->SetValues(150, 1, 1, 1, true, true, true, true);
    EXPECT_EQ(d->seLeft->GetText(), c.spacing ? "30" : "100");
    if (c.typed) d->seLeft->SetText(c.typed);
    Integer l, t, r, b;
    bool ld, td, rd, bd;
    d->GetValues(l, t, r, b, ld, td, rd, bd);
    EXPECT_EQ(ld, c.defined);
    EXPECT_TRUE(td);
    if (c.defined) {
      EXPECT_EQ(l, c.value);
    }
  }
}

}  // namespace

#include "actions/FillColorVLFrm.h"
#include "actions/FontVLFrm.h"
#include "actions/IntegerVLFrm.h"
#include "actions/ListVLFrm.h"
#include "actions/ParaBrdrVLFrm.h"
#include "actions/ParaVLFrm.h"

namespace {

// Made before any window of theirs was placed, dialogs still get the size
// their controls were laid out for.
TEST(DialogSizeTest, EveryDialogHasItsDesignedClientSize) {
  Application->Initialize();
  struct Case {
    const char* name;
    std::function<TfrmVLBase*()> make;
    Integer width, height;
  };
  const Case cases[] = {
      {"integer", [] { return CreateVLForm<TfrmInteger>(nullptr); }, 220, 112},
      {"list", [] { return CreateVLForm<TfrmVLList>(nullptr); }, 260, 236},
      {"four sides", [] { return CreateVLForm<TfrmVLFourSides>(nullptr); }, 268, 150},
      {"font", [] { return CreateVLForm<TfrmVLFont>(nullptr); }, 426, 420},
      {"paragraph", [] { return CreateVLForm<TfrmVLPara>(nullptr); }, 420, 444},
      {"borders", [] { return CreateVLForm<TfrmVLParaBrdr>(nullptr); }, 440, 392},
      {"fill colour", [] { return CreateVLForm<TfrmVLFillColor>(nullptr); }, 220, 304},
  };
  for (const Case& c : cases) {
    std::unique_ptr<TfrmVLBase> d(c.make());
    EXPECT_EQ(d->ClientWidth(), c.width) << c.name;
    EXPECT_EQ(d->ClientHeight(), c.height) << c.name;
  }
}

}  // namespace

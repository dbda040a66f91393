// The table dialogs on their own: Insert Table, Split, Borders and
// Background, filled and read back as the commands do.
#include "actions/InsTableVLFrm.h"
#include "actions/SplitVLFrm.h"
#include "actions/TableBackVLFrm.h"
#include "actions/TableBrdrVLFrm.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"

#include <QApplication>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

template <typename T>
std::unique_ptr<T> Make() {
  Application->Initialize();
  return std::unique_ptr<T>(CreateVLForm<T>(nullptr));
}

TEST(InsertTableDialog, AWidthOpensInItsModeAndReadsBackWithinRange) {
  struct TCase {
    Integer Width;
    bool Contents, Window, Manual;
    Integer Shown;  // seWidth
    int Unit;       // cmbWidthType
    Integer Back;   // GetTableWidth
  };
  const std::vector<TCase> cases = {
      {0, true, false, false, 100, 0, 0},
      {250, false, false, true, 250, 1, 250},
      {-50, false, false, true, 50, 0, -50},
      {-100, false, true, false, 100, 0, -100},
      {5000, false, false, true, 1000, 1, 1000},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.Width);
    auto f = Make<TfrmInsTable>();
    f->SetTableWidth(k.Width);
    EXPECT_EQ(f->rbFitContents->GetChecked(), k.Contents);
    EXPECT_EQ(f->rbFitWindow->GetChecked(), k.Window);
    EXPECT_EQ(f->rbFitManual->GetChecked(), k.Manual);
    EXPECT_EQ(f->seWidth->AsInteger(), k.Shown);
    EXPECT_EQ(f->cmbWidthType->GetItemIndex(), k.Unit);
    // The width fields only for a width entered by hand.
    EXPECT_EQ(f->seWidth->GetEnabled(), k.Manual);
    EXPECT_EQ(f->cmbWidthType->GetEnabled(), k.Manual);
    EXPECT_EQ(f->GetTableWidth(), k.Back);
  }
}

TEST(InsertTableDialog, PercentagesAboveAHundredAndTypedSizesAreHeldToTheirRanges) {
  auto f = Make<TfrmInsTable>();
  f->rbFitManual->SetChecked(true);
  f->cmbWidthType->SetItemIndex(0);
  for (int percent : {100, 150}) {
    f->seWidth->SetValue(percent);
    EXPECT_EQ(f->GetTableWidth(), -100);
  }
  f->SetRows(0);
  EXPECT_EQ(f->GetRows(), 1);
  // Enter confirms without leaving the field: the typed text as it stands.
  f->seRows->SetText("100000");
  f->seColumns->SetText("-5");
  EXPECT_EQ(f->GetRows(), 500);
  EXPECT_EQ(f->GetColumns(), 1);
}

TEST(SplitDialog, TheChosenWayShowsItsOwnFields) {
  auto f = Make<TfrmVLSplit>();
  EXPECT_TRUE(f->rbSplit->GetChecked());
  EXPECT_TRUE(f->panSplit->GetVisible());
  EXPECT_FALSE(f->panUnmerge->GetVisible());
  f->rbUnmerge->SetChecked(true);
  EXPECT_FALSE(f->panSplit->GetVisible());
  EXPECT_TRUE(f->panUnmerge->GetVisible());
  EXPECT_EQ(f->GetText(), "Split");
}

// Opens the borders dialog as the properties dialog does, lets the user
// act, and reads the border back into the values it was loaded from.
struct TBorder {
  TVLTableBorderStyle Style;
  TColor Light, Color;
  Integer Width;
  bool operator==(const TBorder&) const = default;
};

TBorder RoundTrip(TBorder b, const std::function<void(TfrmVLTableBrdr*)>& user) {
  auto f = Make<TfrmVLTableBrdr>();
  f->SetBorder(b.Style, b.Light, b.Color, b.Width);
  TInteractionScript script;
  script.Do([&](TInteraction&) {
    // Shown: the dialog activates, then the user acts.
    f->Show();
    QApplication::processEvents();
    if (user) user(f.get());
    f->Hide();
    return mrOk;
  });
  if (f->ShowModal() == mrOk) f->GetBorder(b.Style, b.Light, b.Color, b.Width);
  return b;
}

TEST(TableBordersDialog, BordersRoundTripAndChangeOnlyWhatTheUserChose) {
  struct TCase {
    const char* Name;
    TBorder In;
    std::function<void(TfrmVLTableBrdr*)> User;
    TBorder Out;
  };
  const std::vector<TCase> cases = {
      {"raised 2", {vltbRaised, clRed, clBlue, 2}, nullptr, {vltbRaised, clRed, clBlue, 2}},
      {"sunken, own colours", {vltbLoweredColor, clYellow, clNavy, 3}, nullptr, {vltbLoweredColor, clYellow, clNavy, 3}},
      {"flat", {vltbColor, clYellow, clNavy, 1}, nullptr, {vltbColor, clYellow, clNavy, 1}},
      {"none", {vltbColor, clYellow, clNavy, 4},
       [](TfrmVLTableBrdr* f) { f->rgBorderType->SetItemIndex(0); }, {vltbColor, clYellow, clNavy, 0}},
      {"sunken with both colours back to automatic", {vltbLoweredColor, clYellow, clNavy, 2},
       [](TfrmVLTableBrdr* f) {
         f->cmbBorderColor->SetChosenColor(f->cmbBorderColor->AutoColor);
         f->cmbBorderColorColorChange(f->cmbBorderColor);
         f->cmbBorderLightColor->SetChosenColor(f->cmbBorderLightColor->AutoColor);
         f->cmbBorderColorColorChange(f->cmbBorderLightColor);
       },
       {vltbLowered, clYellow, clNavy, 2}},
      // Merely confirming changes nothing: a width past the list's end,
      // and a coloured style whose colours happen to be the automatic ones.
      {"width 15", {vltbRaised, clRed, clBlue, 15}, nullptr, {vltbRaised, clRed, clBlue, 15}},
      {"coloured automatic", {vltbRaisedColor, clBtnFace, clWindowText, 1}, nullptr,
       {vltbRaisedColor, clBtnFace, clWindowText, 1}},
      {"width picked from none", {vltbColor, clYellow, clNavy, 0},
       [](TfrmVLTableBrdr* f) {
         f->cmbBorderWidth->SetItemIndex(4);
         f->cmbBorderWidthChange(f->cmbBorderWidth);
       },
       {vltbLoweredColor, clYellow, clNavy, 5}},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.Name);
    const TBorder out = RoundTrip(k.In, k.User);
    EXPECT_EQ(out.Style, k.Out.Style);
    EXPECT_EQ(out.Light, k.Out.Light);
    EXPECT_EQ(out.Color, k.Out.Color);
    EXPECT_EQ(out.Width, k.Out.Width);
  }
}

TEST(TableBordersDialog, FlatHidesTheLightColourAndRenamesTheColour) {
  auto f = Make<TfrmVLTableBrdr>();
  f->SetBorder(vltbRaised, clRed, clBlue, 0);
  f->Show();
  QApplication::processEvents();
  struct TStep {
    int Type;
    bool Light;
    const char* Label;
    int Width;
  };
  // Picking a type after none gives width 1; none clears it.
  for (const TStep& s : std::vector<TStep>{{3, false, "&Color:", 0}, {2, true, "Shadow &color:", 0}, {0, true, "Shadow &color:", -1}}) {
    f->rgBorderType->SetItemIndex(s.Type);
    EXPECT_EQ(f->cmbBorderLightColor->GetVisible(), s.Light);
    EXPECT_EQ(f->lblTableBorderLightColor->GetVisible(), s.Light);
    EXPECT_EQ(f->lblTableBorderColor->GetText(), s.Label);
    EXPECT_EQ(f->cmbBorderWidth->GetItemIndex(), s.Width);
  }
}

TEST(TableBackgroundDialog, OkNeedsAPictureForEveryPositionButNone) {
  struct TCase {
    TVLItemBackgroundStyle Style;
    bool Picture;
    bool Ok, SaveClear;
    TVLItemBackgroundStyle Back;
  };
  const std::vector<TCase> cases = {
      {vlbsTiled, false, false, false, vlbsTiled},
      {vlbsColor, false, true, false, vlbsColor},
      {vlbsStretched, true, true, true, vlbsStretched},
      {vlbsCentered, true, true, true, vlbsCentered},
  };
  for (const TCase& k : cases) {
    SCOPED_TRACE(k.Style);
    auto f = Make<TfrmVLTableBack>();
    TBitmap picture;
    picture.SetSize(20, 10);
    f->SetBackground(clNone, k.Style, k.Picture ? &picture : nullptr);
    EXPECT_EQ(f->btnOk->GetEnabled(), k.Ok);
    EXPECT_EQ(f->btnSave->GetEnabled(), k.SaveClear);
    EXPECT_EQ(f->btnClear->GetEnabled(), k.SaveClear);
    // The frame keeps its own colour for clNone.
    EXPECT_EQ(f->panImg->GetColor(), clBtnShadow);
    TVLItemBackgroundStyle style = vlbsColor;
    std::unique_ptr<TGraphic> back(new TBitmap);
    f->GetBackground(style, back);
    EXPECT_EQ(style, k.Back);
    ASSERT_EQ(back != nullptr, k.Picture);
    if (k.Picture) {
      EXPECT_EQ(back->GetWidth(), 20);
    }
    // Clearing the picture leaves only None confirmable.
    f->btnClearClick(f->btnClear);
    EXPECT_EQ(f->btnOk->GetEnabled(), k.Style == vlbsColor);
  }
}

TEST(TableBackgroundDialog, NoPositionChosenReadsAsCentredAndATableColourFillsTheFrame) {
  auto f = Make<TfrmVLTableBack>();
  f->SetBackground(clYellow, vlbsColor, nullptr);
  EXPECT_EQ(f->panImg->GetColor(), clYellow);
  f->rg->SetItemIndex(-1);
  TVLItemBackgroundStyle style = vlbsColor;
  std::unique_ptr<TGraphic> back;
  f->GetBackground(style, back);
  EXPECT_EQ(style, vlbsCentered);
  EXPECT_EQ(back, nullptr);
}

TEST(TableBackgroundDialog, APictureThatCannotBeReadIsReportedAndChangesNothing) {
  auto f = Make<TfrmVLTableBack>();
  f->SetBackground(clNone, vlbsColor, nullptr);
  const std::string dir = testing::TempDir() + "tableback-" + std::to_string(::getpid());
  std::filesystem::create_directories(dir);
  const std::string bad = dir + "/not-a-picture.bmp";
  { std::ofstream(bad) << "hello"; }
  TInteractionScript script;
  script.AnswerValue(bad, mrOk).Answer(IDOK);
  f->btnOpenClick(f->btnOpen);
  ASSERT_EQ(script.Shown.size(), 2u);
  EXPECT_EQ(script.Shown[1].Caption, "Error");
  EXPECT_NE(script.Shown[1].Text.find("Error loading image file."), std::string::npos);
  EXPECT_EQ(f->rg->GetItemIndex(), 0);
  EXPECT_FALSE(f->btnSave->GetEnabled());
  std::filesystem::remove_all(dir);
}

}  // namespace

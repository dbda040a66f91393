#include "EditorBench.h"
#include "actions/FillColorVLFrm.h"
#include "actions/VLActionsColor.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Dialogs.h"

#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

void Click(TControl* c, QPoint at = QPoint(6, 8)) {
  QTest::mouseClick(WidgetOf(c), Qt::LeftButton, {}, at);
  Application->ProcessMessages();
}

// The colour grid's cell at (5, 30) is black.
constexpr TColor Picked = 0x000000;

// Two paragraphs "One" and "Two", each with its own text and paragraph style.
struct TFillBench : TEditorBench {
  TFillBench(TColor back1, TColor back2, const std::function<void(TParaInfo&, int)>& para) {
    PlainSheet();
    const Integer t1 = AddText([&](TFontInfo& f) { f.BackColor = back1; });
    const Integer t2 = AddText([&](TFontInfo& f) { f.BackColor = back2; });
    const Integer p1 = AddPara([&](TParaInfo& p) { para(p, 0); });
    const Integer p2 = AddPara([&](TParaInfo& p) { para(p, 1); });
    Edit->Clear();
    Edit->AddTextItem("One", t1, p1);
    Edit->AddTextItem("Two", t2, p2);
    Edit->Format();
    Action = new TvlActionFillColor(Form);
    Action->SetControl(Edit);
  }
  TFontInfo& TextOf(Integer item) { return Text(Edit->GetItem(item)->StyleNo); }
  TParaInfo& ParaOf(Integer item) { return Para(Edit->GetItem(item)->ParaNo); }
  TvlActionFillColor* Action;
};

void NoPadding(TParaInfo&, int) {}

TEST(FillColorCommand, MixedTextColoursShowNoColourAndTakeTheOneChosenInOneStep) {
  struct Case {
    const char* what;
    TColor back1, back2;
    bool shown;
  };
  const Case cases[] = {
      {"mixed", 0x0000FF, clNone, false},
      {"shared", 0x00FF00, 0x00FF00, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TFillBench b(c.back1, c.back2, NoPadding);
    b.Edit->SelectAll();
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      auto& d = *static_cast<TfrmVLFillColor*>(r.Form);
      Application->ProcessMessages();
      EXPECT_EQ(d.cmb->Items().Count(), 2);
      EXPECT_EQ(d.SelectedElement(), vlafcaText);
      EXPECT_EQ(d.ColorIndeterminate, !c.shown);
      if (c.shown) {
        EXPECT_EQ(d.FillColor, c.back1);
      }
      // OK is refused while no colour is chosen.
      if (!c.shown) {
        Click(d.btnOk);
        EXPECT_EQ(d.ModalResult, mrNone);
      }
      Click(d.vlcg, QPoint(5, 30));
      Click(d.btnOk);
      return d.ModalResult;
    });
    if (!c.shown) script.Answer(IDOK);  // "Please select a color"
    ASSERT_TRUE(b.Action->Execute());
    EXPECT_EQ(script.Unexpected, 0);
    EXPECT_EQ(b.Action->TextColorMixed, !c.shown);
    EXPECT_EQ(b.TextOf(0).BackColor, Picked);
    EXPECT_EQ(b.TextOf(1).BackColor, Picked);
    EXPECT_EQ(b.ParaOf(0).Background.Color, clNone);
    b.Edit->Undo();
    EXPECT_EQ(b.TextOf(0).BackColor, c.back1);
    EXPECT_EQ(b.TextOf(1).BackColor, c.back2);
    EXPECT_EQ(b.Edit->GetUndoType(), vlutNone);
  }
}

TEST(FillColorCommand, WithoutASelectionTheParagraphsAreColoured) {
  TFillBench b(clNone, clNone, [](TParaInfo& p, int) { p.Background.Color = 0x00FFFF; });
  b.Edit->SetSelectionBounds(0, 2, 0, 2);
  TInteractionScript script;
  script.Do([&](TInteraction& r) {
    auto& d = *static_cast<TfrmVLFillColor*>(r.Form);
    Application->ProcessMessages();
    EXPECT_EQ(d.SelectedElement(), vlafcaParagraph);
    EXPECT_TRUE(d.btnPadding->GetEnabled());
    EXPECT_FALSE(d.ColorIndeterminate);
    EXPECT_EQ(d.FillColor, TColor(0x00FFFF));
    Click(d.vlcg, QPoint(5, 30));
    Click(d.btnOk);
    return d.ModalResult;
  });
  ASSERT_TRUE(b.Action->Execute());
  EXPECT_EQ(b.ParaOf(0).Background.Color, Picked);
  EXPECT_EQ(b.ParaOf(1).Background.Color, TColor(0x00FFFF));  // the caret's paragraph only
  EXPECT_EQ(b.TextOf(0).BackColor, clNone);
}

// Padding is compared on every paragraph, whatever their colours: a side the
// paragraphs do not share stays undecided and each keeps its own.
TEST(FillColorCommand, PaddingTheParagraphsDoNotShareIsNotWrittenOver) {
  struct Case {
    const char* what;
    TColor color1, color2;
    Integer left1, left2;
    bool leftKnown;
  };
  const Case cases[] = {
      {"one colour, two paddings", 0x00FF00, 0x00FF00, 4, 10, false},
      {"two colours, two paddings", 0x00FF00, 0xFF0000, 4, 10, false},
      {"one colour, one padding", 0x00FF00, 0x00FF00, 4, 4, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TFillBench b(clNone, clNone, [&](TParaInfo& p, int i) {
      p.Background.Color = i == 0 ? c.color1 : c.color2;
      p.Background.BorderOffsets.Left = i == 0 ? c.left1 : c.left2;
      p.Background.BorderOffsets.Top = 2;
    });
    b.Edit->SelectAll();
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      auto& d = *static_cast<TfrmVLFillColor*>(r.Form);
      Application->ProcessMessages();
      // The user turns to the paragraphs.
      d.SetComboBoxItemIndex(d._cmb, 1);
      d.cmbClick(d.cmb);
      EXPECT_TRUE(d.btnPadding->GetEnabled());
      TVLRect padding;
      TVLBooleanRect known(false);
      d.GetPadding(padding, known);
      EXPECT_EQ(known.Left, c.leftKnown);
      EXPECT_TRUE(known.Top);
      EXPECT_EQ(padding.Top, 2);
      Click(d.vlcg, QPoint(5, 30));
      Click(d.btnOk);
      return d.ModalResult;
    });
    ASSERT_TRUE(b.Action->Execute());
    EXPECT_EQ(b.ParaOf(0).Background.Color, Picked);
    EXPECT_EQ(b.ParaOf(1).Background.Color, Picked);
    EXPECT_EQ(b.ParaOf(0).Background.BorderOffsets.Left, c.left1);
    EXPECT_EQ(b.ParaOf(1).Background.BorderOffsets.Left, c.leftKnown ? c.left1 : c.left2);
    EXPECT_EQ(b.ParaOf(1).Background.BorderOffsets.Top, 2);
  }
}

TEST(FillColorCommand, OnlyTheAllowedTargetsAreOffered) {
  struct Case {
    const char* what;
    TVLAFillColorApplyToSet allowed;
    bool selection;
    int entries;
    int selected;  // the element code, 0 for none
  };
  const Case cases[] = {
      {"text only, caret", {vlafcaApplyText}, false, 1, 0},
      {"paragraph only, selection", {vlafcaApplyParagraph}, true, 1, vlafcaParagraph},
      {"both, caret", {vlafcaApplyText, vlafcaApplyParagraph}, false, 2, vlafcaParagraph},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TFillBench b(clNone, clNone, NoPadding);
    if (c.selection) b.Edit->SelectAll();
    else b.Edit->SetSelectionBounds(0, 1, 0, 1);
    b.Action->AllowApplyingTo = c.allowed;
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      auto& d = *static_cast<TfrmVLFillColor*>(r.Form);
      EXPECT_EQ(d.cmb->Items().Count(), c.entries);
      EXPECT_EQ(d.SelectedElement(), c.selected);
      return mrCancel;
    });
    ASSERT_TRUE(b.Action->Execute());
    EXPECT_EQ(script.Unexpected, 0);
  }
  // Nothing allowed: a beep and no dialog.
  TFillBench b(clNone, clNone, NoPadding);
  b.Action->AllowApplyingTo = {};
  TInteractionScript script;
  ASSERT_TRUE(b.Action->Execute());
  EXPECT_TRUE(script.Shown.empty());
}

}  // namespace

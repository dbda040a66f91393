#include "EditorBench.h"
#include "actions/FillColorVLFrm.h"
#include "actions/ParaBrdrVLFrm.h"
#include "actions/ParaVLFrm.h"
#include "actions/VLActionsParaDlg.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Dialogs.h"

#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// Two paragraphs, each in its own paragraph style made by Change(index).
struct TTwoParagraphs : TEditorBench {
  explicit TTwoParagraphs(const std::function<void(TParaInfo&, int)>& change) {
    PlainSheet();
    const Integer p1 = AddPara([&](TParaInfo& p) { change(p, 0); });
    const Integer p2 = AddPara([&](TParaInfo& p) { change(p, 1); });
    Edit->Clear();
    Edit->AddTextItem("First paragraph", 0, p1);
    Edit->AddTextItem("Second paragraph", 0, p2);
    Edit->Format();
    Edit->SelectAll();
  }
  TParaInfo& ParaOf(Integer item) { return Para(Edit->GetItem(item)->ParaNo); }
};

void Click(TControl* c, QPoint at = QPoint(6, 8)) {
  QTest::mouseClick(WidgetOf(c), Qt::LeftButton, {}, at);
  Application->ProcessMessages();
}

void PressOk(TButton* ok) {
  ok->SetFocus();
  QTest::keyClick(WidgetOf(ok), Qt::Key_Return);
  Application->ProcessMessages();
}

TEST(ParagraphDialogActionTest, UndecidedValuesKeepEachParagraphsOwn) {
  TTwoParagraphs b([](TParaInfo& p, int i) {
    p.LeftIndent = i == 0 ? 0 : 24;
    p.FirstIndent = -18;
    p.LineSpacing = i == 0 ? 100 : 150;
  });
  auto* action = new TvlActionParagraph(b.Form);
  action->SetControl(b.Edit);
  TInteractionScript script;
  script.Do([&](TInteraction& r) {
    auto& d = *static_cast<TfrmVLPara*>(r.Form);
    Application->ProcessMessages();
    EXPECT_TRUE(d.seLeftIndent->GetIndeterminate());
    EXPECT_TRUE(d.rbNegative->GetChecked());
    EXPECT_EQ(d.seFirstLineIndent->GetText(), "18");
    EXPECT_EQ(d.cmbLineSpacing->GetItemIndex(), 3);
    EXPECT_TRUE(d.seLineSpacingValue->GetIndeterminate());
    EXPECT_EQ(d.gbAlignment->GetItemIndex(), 0);
    // "Center", the third picture button.
    Click(d.gbAlignment->Buttons(2), QPoint(20, 20));
    EXPECT_EQ(d.gbAlignment->GetItemIndex(), 2);
    PressOk(d.btnOk);
    return d.ModalResult;
  });
  ASSERT_TRUE(action->Execute());
  EXPECT_EQ(b.ParaOf(0).Alignment, vlaCenter);
  EXPECT_EQ(b.ParaOf(1).Alignment, vlaCenter);
  EXPECT_EQ(b.ParaOf(0).LeftIndent, 0);
  EXPECT_EQ(b.ParaOf(1).LeftIndent, 24);
  EXPECT_EQ(b.ParaOf(0).FirstIndent, -18);
  EXPECT_EQ(b.ParaOf(1).LineSpacing, 150);
  b.Edit->Undo();
  EXPECT_EQ(b.ParaOf(0).Alignment, vlaLeft);
  EXPECT_EQ(b.ParaOf(1).Alignment, vlaLeft);
}

// Each attribute of the paragraph dialog: how two paragraphs differ in it,
// how the dialog shows it undecided, and its value as text.
struct TParaAttribute {
  const char* Name;
  std::function<void(TParaInfo&, int para)> Differ;
  std::function<bool(TfrmVLPara&)> Undecided;
  std::function<std::string(const TParaInfo&)> Value;
};

std::vector<TParaAttribute> ParaAttributes() {
  auto field = [](TVLSpinEdit* TfrmVLPara::* se) { return [se](TfrmVLPara& d) { return (d.*se)->GetIndeterminate(); }; };
  auto number = [](Integer TParaInfo::* v) { return [v](const TParaInfo& p) { return std::to_string(p.*v); }; };
  return {
      {"alignment", [](TParaInfo& p, int i) { p.Alignment = i ? vlaRight : vlaJustify; },
       [](TfrmVLPara& d) { return d.gbAlignment->GetItemIndex() < 0; },
       [](const TParaInfo& p) { return std::to_string(static_cast<int>(p.Alignment)); }},
      {"first line", [](TParaInfo& p, int i) { p.FirstIndent = i ? 20 : 10; },
       [](TfrmVLPara& d) {
         return d.seFirstLineIndent->GetIndeterminate() && !d.rbPositive->GetChecked() && !d.rbNegative->GetChecked();
       },
       number(&TParaInfo::FirstIndent)},
      {"left", [](TParaInfo& p, int i) { p.LeftIndent = i ? 40 : 14; }, field(&TfrmVLPara::seLeftIndent),
       number(&TParaInfo::LeftIndent)},
      {"right", [](TParaInfo& p, int i) { p.RightIndent = i ? 12 : 2; }, field(&TfrmVLPara::seRightIndent),
       number(&TParaInfo::RightIndent)},
      {"before", [](TParaInfo& p, int i) { p.SpaceBefore = i ? 6 : 1; }, field(&TfrmVLPara::seSpaceBefore),
       number(&TParaInfo::SpaceBefore)},
      {"after", [](TParaInfo& p, int i) { p.SpaceAfter = i ? 8 : 3; }, field(&TfrmVLPara::seSpaceAfter),
       number(&TParaInfo::SpaceAfter)},
      {"line spacing", [](TParaInfo& p, int i) { p.LineSpacing = i ? 150 : 250; },
       [](TfrmVLPara& d) {
         return d.GetComboBoxItemIndex(d._cmbLineSpacing) == 3 && d.seLineSpacingValue->GetIndeterminate();
       },
       [](const TParaInfo& p) {
         return std::to_string(p.LineSpacing) + (p.LineSpacingType == vllsPercent ? "%" : "px");
       }},
  };
}

TEST(ParagraphDialogActionTest, EachMixedAttributeShowsUndecidedAndKeepsEachParagraphsValue) {
  const std::vector<TParaAttribute> attributes = ParaAttributes();
  ASSERT_EQ(attributes.size(), 7u);  // every attribute the dialog offers
  struct Case {
    const char* Name;
    size_t Mixed;  // the attribute shown undecided
    std::function<void(TParaInfo&, int)> Differ;
  };
  std::vector<Case> cases;
  for (size_t i = 0; i < attributes.size(); ++i) cases.push_back({attributes[i].Name, i, attributes[i].Differ});
  // Spacing in pixels is no choice of the dialog, even where both agree.
  cases.push_back({"line spacing in pixels", 6, [](TParaInfo& p, int) {
                     p.LineSpacingType = vllsSpaceBetween;
                     p.LineSpacing = 4;
                   }});
  // What the user changes while the mixed attribute is left alone: the
  // attribute, how, and its value after.
  struct Touch {
    size_t Attribute;
    std::function<void(TfrmVLPara&)> Act;
    std::string Value;
  };
  const Touch touches[] = {
      {0, [](TfrmVLPara& d) { Click(d.gbAlignment->Buttons(2), QPoint(20, 20)); },
       std::to_string(static_cast<int>(vlaCenter))},
      {1,
       [](TfrmVLPara& d) {
         d.seFirstLineIndent->SetValue(10);
         Click(d.rbNegative, QPoint(30, 30));
       },
       "-10"},
      {2, [](TfrmVLPara& d) { d.seLeftIndent->SetValue(30); }, "30"},
      {5, [](TfrmVLPara& d) { d.seSpaceAfter->SetValue(9); }, "9"},
      {6,
       [](TfrmVLPara& d) {
         d.SetComboBoxItemIndex(d._cmbLineSpacing, 2);
         d.cmbLineSpacingClick(nullptr);
       },
       "200%"},
  };
  for (const Case& c : cases)
    for (const Touch& t : touches) {
      if (t.Attribute == c.Mixed) continue;
      SCOPED_TRACE(std::string(c.Name) + " mixed, " + attributes[t.Attribute].Name + " changed");
      // Left indents leave room for a hanging first line.
      TTwoParagraphs b([&](TParaInfo& p, int i) {
        p.LeftIndent = 20;
        c.Differ(p, i);
      });
      std::vector<std::string> before[2];
      for (Integer item : {0, 1})
        for (const TParaAttribute& a : attributes) before[item].push_back(a.Value(b.ParaOf(item)));
      auto* action = new TvlActionParagraph(b.Form);
      action->SetControl(b.Edit);
      TInteractionScript script;
      script.Do([&](TInteraction& r) {
        auto& d = *static_cast<TfrmVLPara*>(r.Form);
        Application->ProcessMessages();
        for (size_t i = 0; i < attributes.size(); ++i)
          EXPECT_EQ(attributes[i].Undecided(d), i == c.Mixed) << attributes[i].Name << " shown undecided";
        t.Act(d);
        PressOk(d.btnOk);
        return d.ModalResult;
      });
      ASSERT_TRUE(action->Execute());
      EXPECT_EQ(script.Unexpected, 0);
      for (Integer item : {0, 1}) {
        SCOPED_TRACE(item);
        for (size_t i = 0; i < attributes.size(); ++i) {
          const std::string want = i == t.Attribute ? t.Value : before[item][i];
          EXPECT_EQ(attributes[i].Value(b.ParaOf(item)), want) << attributes[i].Name;
        }
      }
    }
}

TEST(ParagraphDialogActionTest, AHangingFirstLineRaisesOnlyTheMixedLeftIndentsTooLowForIt) {
  TTwoParagraphs b([](TParaInfo& p, int i) { p.LeftIndent = i ? 40 : 0; });
  const Integer margin = b.Edit->LeftMargin;
  auto* action = new TvlActionParagraph(b.Form);
  action->SetControl(b.Edit);
  TInteractionScript script;
  script.Do([&](TInteraction& r) {
    auto& d = *static_cast<TfrmVLPara*>(r.Form);
    Application->ProcessMessages();
    d.seFirstLineIndent->SetValue(margin + 10);
    Click(d.rbNegative, QPoint(30, 30));
    EXPECT_TRUE(d.seLeftIndent->GetIndeterminate());
    PressOk(d.btnOk);
    return d.ModalResult;
  });
  ASSERT_TRUE(action->Execute());
  EXPECT_EQ(b.ParaOf(0).FirstIndent, -(margin + 10));
  EXPECT_EQ(b.ParaOf(1).FirstIndent, -(margin + 10));
  EXPECT_EQ(b.ParaOf(0).LeftIndent, 10);
  EXPECT_EQ(b.ParaOf(1).LeftIndent, 40);
}

TEST(ParagraphDialogTest, FirstLineAndLineSpacingRules) {
  Application->Initialize();
  struct Case {
    const char* name;
    std::function<void(TfrmVLPara&)> act;
    std::function<void(TfrmVLPara&)> check;
  };
  const Case cases[] = {
      {"hanging first line follows a lower left indent",
       [](TfrmVLPara& d) {
         d.seLeftIndent->SetValue(0);
         d.seFirstLineIndent->SetValue(30);
         Click(d.rbNegative, QPoint(30, 30));
         EXPECT_EQ(d.seLeftIndent->GetText(), "30");
         d.seLeftIndent->SetValue(10);
       },
       [](TfrmVLPara& d) { EXPECT_EQ(d.seFirstLineIndent->GetText(), "10"); }},
      {"a larger hanging first line raises the left indent",
       [](TfrmVLPara& d) {
         d.seLeftIndent->SetValue(10);
         d.seFirstLineIndent->SetValue(30);
         Click(d.rbNegative, QPoint(30, 30));
         d.seLeftIndent->SetValue(30);
         d.seFirstLineIndent->SetValue(40);
       },
       [](TfrmVLPara& d) { EXPECT_EQ(d.seLeftIndent->GetText(), "40"); }},
      {"a typed first line with no direction is indented; 0 has none",
       [](TfrmVLPara& d) { d.seFirstLineIndent->SetText("12"); },
       [](TfrmVLPara& d) {
         EXPECT_TRUE(d.rbPositive->GetChecked());
         d.seFirstLineIndent->SetText("0");
         EXPECT_FALSE(d.rbPositive->GetChecked() || d.rbNegative->GetChecked());
       }},
      {"Double empties by; typing 2.5 selects Multiple",
       [](TfrmVLPara& d) {
         d.seLineSpacingValue->SetValue(4);
         d.SetComboBoxItemIndex(d._cmbLineSpacing, 2);
         d.cmbLineSpacingClick(nullptr);
       },
       [](TfrmVLPara& d) {
         EXPECT_TRUE(d.seLineSpacingValue->GetIndeterminate());
         d.seLineSpacingValue->SetText("2.5");
         EXPECT_EQ(d.cmbLineSpacing->GetItemIndex(), 3);
       }},
      {"Multiple with an empty by puts 3 there",
       [](TfrmVLPara& d) {
         d.SetComboBoxItemIndex(d._cmbLineSpacing, 3);
         d.cmbLineSpacingClick(nullptr);
       },
       [](TfrmVLPara& d) { EXPECT_EQ(d.seLineSpacingValue->GetText(), "3"); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<TfrmVLPara> d(CreateVLForm<TfrmVLPara>(nullptr));
    d->SetComboBoxItemIndex(d->_cmbLineSpacing, 0);
    TInteractionScript script;
    script.Do([&](TInteraction&) {
      c.act(*d);
      c.check(*d);
      return mrOk;
    });
    d->ShowModal();
  }
}

TEST(ParagraphDialogActionTest, ReadBackLimitsValuesTypedAndConfirmedWithEnter) {
  struct Case {
    const char* by;
    Integer spacing;
  };
  for (const Case& c : {Case{"2.5", 250}, Case{"1.25", 125}, Case{"0.1", 100}, Case{"900", 10000}}) {
    SCOPED_TRACE(c.by);
    TTwoParagraphs b([](TParaInfo&, int) {});
    auto* action = new TvlActionParagraph(b.Form);
    action->SetControl(b.Edit);
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      auto& d = *static_cast<TfrmVLPara*>(r.Form);
      d.seLineSpacingValue->SetText(c.by);
      return mrOk;
    });
    ASSERT_TRUE(action->Execute());
    EXPECT_EQ(b.ParaOf(0).LineSpacing, c.spacing);
    EXPECT_EQ(b.ParaOf(1).LineSpacing, c.spacing);
  }
}

TEST(BorderDialogActionTest, ADoubleBorderForcesRoomForItselfAndFlatSidesStayUndecided) {
  TTwoParagraphs b([](TParaInfo& p, int i) {
    p.Border.Width = 1;
    p.Border.InternalWidth = 1;
    p.Border.BorderOffsets.Left = 5;
    p.Border.VisibleBorders.Top = i == 0;
  });
  auto* action = new TvlActionParaBorder(b.Form);
  action->SetControl(b.Edit);
  TInteractionScript script;
  script.Do([&](TInteraction& r) {
    auto& d = *static_cast<TfrmVLParaBrdr*>(r.Form);
    Application->ProcessMessages();
    EXPECT_EQ(d.rgBorderType->GetItemIndex(), 0);
    EXPECT_TRUE(d.btnTop->GetFlat());
    EXPECT_FALSE(d.btnLeft->GetFlat());
    EXPECT_TRUE(d.ColorIndeterminate == false);
    // The "Double" picture; it switches every side on.
    Click(d.rgBorderType->Buttons(2), QPoint(20, 20));
    EXPECT_TRUE(d.seIW->GetEnabled());
    // Ctrl+T toggles the top side off again.
    d.btnOk->SetFocus();
    QTest::keyClick(WidgetOf(d.btnOk), Qt::Key_T, Qt::ControlModifier);
    EXPECT_FALSE(d.btnTop->GetDown());
    PressOk(d.btnOk);
    return d.ModalResult;
  });
  ASSERT_TRUE(action->Execute());
  for (Integer item : {0, 1}) {
    const TParaInfo& p = b.ParaOf(item);
    EXPECT_EQ(p.Border.Style, vlbDouble);
    EXPECT_GE(p.LeftIndent, 7);
    EXPECT_FALSE(p.Border.VisibleBorders.Top);
    EXPECT_TRUE(p.Border.VisibleBorders.Left);
  }
}

TEST(BorderDialogTest, NoneBecomesSingleWhenAPartIsChosenAndTheSampleMakesRoom) {
  Application->Initialize();
  struct Case {
    const char* name;
    Integer startType;
    std::function<void(TfrmVLParaBrdr&)> act;
    Integer type;
  };
  const Case cases[] = {
      {"side", 0, [](TfrmVLParaBrdr& d) { Click(d.btnLeft); }, 1},
      {"width", 0,
       [](TfrmVLParaBrdr& d) {
         d.SetComboBoxItemIndex(d._cmbWidth, 2);
         d.cmbWidthClick(nullptr);
       },
       1},
      {"undecided type stays undecided", -1, [](TfrmVLParaBrdr& d) { Click(d.btnLeft); }, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::unique_ptr<TfrmVLParaBrdr> d(CreateVLForm<TfrmVLParaBrdr>(nullptr));
    d->rgBorderType->SetItemIndex(c.startType);
    TInteractionScript script;
    script.Do([&](TInteraction&) {
      c.act(*d);
      EXPECT_EQ(d->rgBorderType->GetItemIndex(), c.type);
      return mrCancel;
    });
    d->ShowModal();
  }
  // Offsets 2,0,5,0 with a single 3-pixel border and padding 0,4,1,0.
  std::unique_ptr<TfrmVLParaBrdr> d(CreateVLForm<TfrmVLParaBrdr>(nullptr));
  TVLRect offsets, padding;
  offsets.Left = 2;
  offsets.Right = 5;
  padding.Top = 4;
  padding.Right = 1;
  d->SetBorderOffsets(offsets, TVLBooleanRect(true));
  d->SetPadding(padding, TVLBooleanRect(true));
  d->rgBorderType->SetItemIndex(1);
  d->SetComboBoxItemIndex(d->_cmbWidth, 2);
  TInteractionScript script;
  script.Do([&](TInteraction&) {
    d->UpdateSample();
    const TParaInfo& p = *d->vls->ParaStyles->Items(0);
    EXPECT_EQ(p.LeftIndent, 5);
    EXPECT_EQ(p.RightIndent, 8);
    EXPECT_EQ(p.SpaceBefore, 4);
    EXPECT_EQ(p.SpaceAfter, 3);
    // A colour outside the palette is named by its parts.
    d->ColorIndeterminate = false;
    d->SetFillColor(TColor(0x030201));
    EXPECT_EQ(d->lblBackColor->GetText(), "RGB(1,2,3)");
    EXPECT_TRUE(d->vlcg->GetIndeterminate());
    return mrCancel;
  });
  d->ShowModal();
}

TEST(FillColourDialogTest, PaddingOnlyForParagraphsAndOkNeedsAColour) {
  Application->Initialize();
  struct Case {
    int selected;
    bool padding;
  };
  for (const Case& c : {Case{0, false}, Case{1, true}, Case{2, false}}) {
    std::unique_ptr<TfrmVLFillColor> d(CreateVLForm<TfrmVLFillColor>(nullptr));
    d->AddElement(vlafcaText);
    d->AddElement(vlafcaParagraph);
    d->AddElement(vlafcaCell);
    d->SetComboBoxItemIndex(d->_cmb, c.selected);
    TInteractionScript script;
    script.Do([&](TInteraction&) {
      Application->ProcessMessages();
      EXPECT_EQ(d->btnPadding->GetEnabled(), c.padding) << c.selected;
      // OK warns while no colour is chosen, then closes once one is.
      Click(d->btnOk);
      EXPECT_EQ(d->ModalResult, mrNone);
      Click(d->vlcg, QPoint(5, 30));
      EXPECT_FALSE(d->ColorIndeterminate);
      Click(d->btnOk);
      return d->ModalResult;
    });
    script.Answer(IDOK);
    // The warning comes while the dialog is open: answer it in order.
    TInteractionScript* s = &script;
    (void)s;
    EXPECT_EQ(d->ShowModal(), mrOk);
    EXPECT_EQ(d->FillColor, TColor(0x000000));
  }
}

}  // namespace

#include "EditorBench.h"
#include "actions/FontVLFrm.h"
#include "actions/VLActionsFontDlg.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Dialogs.h"

#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

// "Alpha " in Arial 10 and "Beta" in Times 12, bold as the case says.
struct TTwoRuns : TEditorBench {
  TTwoRuns(bool firstBold, bool secondBold) {
    PlainSheet();
    const Integer a = AddText([&](TFontInfo& s) {
      s.FontName = "Arial";
      s.Size = 10;
      if (firstBold) s.Style.Include(fsBold);
    });
    const Integer t = AddText([&](TFontInfo& s) {
      s.FontName = "Times";
      s.Size = 12;
      if (secondBold) s.Style.Include(fsBold);
    });
    Edit->Clear();
    Edit->AddTextItem("Alpha ", a, 0);
    Edit->AddTextItem("Beta", t, -1);
    Edit->Format();
    Edit->SelectAll();
    Action = new TvlActionFontEx(Form);
    Action->SetControl(Edit);
  }
  TFontInfo& Run(Integer item) { return Text(Edit->GetItem(item)->StyleNo); }
  TvlActionFontEx* Action;
};

void Click(TControl* c) {
  QTest::mouseClick(WidgetOf(c), Qt::LeftButton, {}, QPoint(6, 8));
  Application->ProcessMessages();
}

TEST(FontDialogActionTest, ATouchedAttributeAppliesAndUntouchedOnesKeepEachRunsValue) {
  struct Case {
    bool bold1, bold2;
    TCheckBoxState shownBold;
    const char* click;  // "bold", "italic" or nothing
    bool bold1After, bold2After, italicAfter;
  };
  const Case cases[] = {
      {false, true, cbGrayed, "bold", true, true, false},
      {false, true, cbGrayed, "italic", false, true, true},
      {true, true, cbChecked, "bold", false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.click);
    TTwoRuns b(c.bold1, c.bold2);
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      auto& d = *static_cast<TfrmVLFont*>(r.Form);
      Application->ProcessMessages();
      EXPECT_EQ(d.cbB->GetState(), c.shownBold);
      EXPECT_EQ(d.cmbFont->GetText(), "");
      EXPECT_EQ(d.cmbSize->GetText(), "");
      Click(String(c.click) == "bold" ? static_cast<TControl*>(d.cbB) : d.cbI);
      QTest::keyClick(WidgetOf(d.btnOk), Qt::Key_Return);
      return d.ModalResult;
    });
    ASSERT_TRUE(b.Action->Execute());
    EXPECT_EQ(script.Unexpected, 0);
    EXPECT_EQ(b.Run(0).Style.Contains(fsBold), c.bold1After);
    EXPECT_EQ(b.Run(1).Style.Contains(fsBold), c.bold2After);
    EXPECT_EQ(b.Run(1).Style.Contains(fsItalic), c.italicAfter);
    EXPECT_EQ(b.Run(0).FontName, "Arial");
    EXPECT_EQ(b.Run(0).Size, 10);
    EXPECT_EQ(b.Run(1).FontName, "Times");
    EXPECT_EQ(b.Run(1).Size, 12);
    // One undo step brings back the runs as they were.
    b.Edit->Undo();
    EXPECT_EQ(b.Run(0).Style.Contains(fsBold), c.bold1);
    EXPECT_EQ(b.Run(1).Style.Contains(fsBold), c.bold2);
    EXPECT_FALSE(b.Run(1).Style.Contains(fsItalic));
  }
}

// Each attribute of the dialog: how two runs differ in it, how the dialog
// shows it undecided, and its value as text.
struct TFontAttribute {
  const char* Name;
  std::function<void(TFontInfo&, int run)> Differ;
  std::function<bool(TfrmVLFont&)> Undecided;
  std::function<std::string(const TFontInfo&)> Value;
};

std::vector<TFontAttribute> FontAttributes() {
  auto box = [](TControl* TfrmVLFont::* control) {
    return [control](TfrmVLFont& d) { return d.GetCheckBoxState(d.*control) == cbGrayed; };
  };
  auto style = [](TFontStyle f) {
    return [f](const TFontInfo& s) { return std::to_string(s.Style.Contains(f)); };
  };
  auto styleEx = [](TVLFontStyle f) {
    return [f](const TFontInfo& s) { return std::to_string(s.StyleEx.Contains(f)); };
  };
  return {
      {"name", [](TFontInfo& s, int run) { s.FontName = run ? "Times" : "Arial"; },
       [](TfrmVLFont& d) { return d.cmbFont->GetText().empty(); }, [](const TFontInfo& s) { return s.FontName; }},
      {"size", [](TFontInfo& s, int run) { s.Size = run ? 12 : 10; },
       [](TfrmVLFont& d) { return d.cmbSize->GetText().empty(); },
       [](const TFontInfo& s) { return std::to_string(s.Size); }},
      {"script", [](TFontInfo& s, int run) { s.Charset = run ? RUSSIAN_CHARSET : ANSI_CHARSET; },
       [](TfrmVLFont& d) { return d.cmbCharset->GetItemIndex() < 0; },
       [](const TFontInfo& s) { return std::to_string(s.Charset); }},
      {"bold", [](TFontInfo& s, int run) { if (run) s.Style.Include(fsBold); }, box(&TfrmVLFont::_cbB),
       style(fsBold)},
      {"italic", [](TFontInfo& s, int run) { if (run) s.Style.Include(fsItalic); }, box(&TfrmVLFont::_cbI),
       style(fsItalic)},
      {"underline", [](TFontInfo& s, int run) { if (run) s.Style.Include(fsUnderline); },
       box(&TfrmVLFont::_cbU), style(fsUnderline)},
      {"strike-out", [](TFontInfo& s, int run) { if (run) s.Style.Include(fsStrikeOut); },
       box(&TfrmVLFont::_cbS), style(fsStrikeOut)},
      {"overline", [](TFontInfo& s, int run) { if (run) s.StyleEx.Include(vlfsOverline); },
       box(&TfrmVLFont::_cbO), styleEx(vlfsOverline)},
      {"all capitals", [](TFontInfo& s, int run) { if (run) s.StyleEx.Include(vlfsAllCaps); },
       box(&TfrmVLFont::_cbAC), styleEx(vlfsAllCaps)},
      {"vertical offset", [](TFontInfo& s, int run) { s.VShift = run ? 30 : -20; },
       [](TfrmVLFont& d) {
         return d.seShift->GetIndeterminate() && !d.rbUp->GetChecked() && !d.rbDown->GetChecked();
       },
       [](const TFontInfo& s) { return std::to_string(s.VShift); }},
      {"colour", [](TFontInfo& s, int run) { s.Color = run ? TColor(0x0000FF) : TColor(0x008000); },
       [](TfrmVLFont& d) { return d.cmbColor->GetIndeterminate(); },
       [](const TFontInfo& s) { return std::to_string(static_cast<long long>(s.Color)); }},
      {"scaling", [](TFontInfo& s, int run) { s.CharScale = run ? 150 : 80; },
       [](TfrmVLFont& d) { return d.seCharScale->GetIndeterminate(); },
       [](const TFontInfo& s) { return std::to_string(s.CharScale); }},
      {"spacing", [](TFontInfo& s, int run) { s.CharSpacing = run ? 5 : -3; },
       [](TfrmVLFont& d) {
         return d.seSpacing->GetIndeterminate() && !d.rbExp->GetChecked() && !d.rbCond->GetChecked();
       },
       [](const TFontInfo& s) { return std::to_string(s.CharSpacing); }},
  };
}

TEST(FontDialogActionTest, EachMixedAttributeShowsUndecidedAndKeepsEachRunsValue) {
  const std::vector<TFontAttribute> attributes = FontAttributes();
  ASSERT_EQ(attributes.size(), 13u);  // every attribute the dialog offers
  for (const TFontAttribute& mixed : attributes) {
    SCOPED_TRACE(mixed.Name);
    TEditorBench b;
    b.PlainSheet();
    Integer styles[2];
    for (int run = 0; run < 2; ++run) styles[run] = b.AddText([&](TFontInfo& s) { mixed.Differ(s, run); });
    b.Edit->Clear();
    b.Edit->AddTextItem("Alpha ", styles[0], 0);
    b.Edit->AddTextItem("Beta", styles[1], -1);
    b.Edit->Format();
    b.Edit->SelectAll();
    auto run = [&](Integer item) -> const TFontInfo& { return b.Text(b.Edit->GetItem(item)->StyleNo); };
    std::vector<std::string> before[2];
    for (Integer item : {0, 1})
      for (const TFontAttribute& a : attributes) before[item].push_back(a.Value(run(item)));
    ASSERT_NE(before[0], before[1]);
    // One attribute the selection shares is changed, the font where it can
    // be (a new font offers its own sizes and scripts); the mixed one is left.
    const bool nameMixed = String(mixed.Name) == "name";
    auto* action = new TvlActionFontEx(b.Form);
    action->SetControl(b.Edit);
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      auto& d = *static_cast<TfrmVLFont*>(r.Form);
      Application->ProcessMessages();
      for (const TFontAttribute& a : attributes)
        EXPECT_EQ(a.Undecided(d), &a == &mixed) << a.Name << " shown undecided";
      if (nameMixed) {
        d.cmbSize->SetText("14");
      } else {
        d.cmbFont->SetItemIndex(d.cmbFont->Items().IndexOf("DejaVu Sans"));
        d.cmbFontClick(d.cmbFont);
      }
      QTest::keyClick(WidgetOf(d.btnOk), Qt::Key_Return);
      return d.ModalResult;
    });
    ASSERT_TRUE(action->Execute());
    EXPECT_EQ(script.Unexpected, 0);
    ASSERT_EQ(b.Edit->ItemCount(), 2) << "the runs became one";
    for (Integer item : {0, 1}) {
      SCOPED_TRACE(item);
      for (size_t i = 0; i < attributes.size(); ++i) {
        const TFontAttribute& a = attributes[i];
        std::string want = before[item][i];
        if (nameMixed && String(a.Name) == "size") want = "14";
        if (!nameMixed && String(a.Name) == "name") want = "DejaVu Sans";
        EXPECT_EQ(a.Value(run(item)), want) << a.Name;
      }
    }
  }
}

TEST(FontDialogActionTest, SizeTextIsReadWithinItsRangeAndANonNumberChangesNothing) {
  struct Case {
    const char* typed;
    Integer first, second;
  };
  const Case cases[] = {{"250", 100, 100}, {"0", 1, 1}, {"x", 10, 12}, {"", 10, 12}, {"14", 14, 14}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    TTwoRuns b(false, false);
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      auto& d = *static_cast<TfrmVLFont*>(r.Form);
      d.cmbSize->SetText(c.typed);
      return mrOk;
    });
    ASSERT_TRUE(b.Action->Execute());
    EXPECT_EQ(b.Run(0).Size, c.first);
    EXPECT_EQ(b.Run(1).Size, c.second);
  }
}

TEST(FontDialogActionTest, OffsetAndSpacingRoundTripWithTheirDirections) {
  TEditorBench b;
  b.PlainSheet();
  const Integer s = b.AddText([](TFontInfo& f) {
    f.VShift = -30;
    f.CharSpacing = 5;
  });
  b.Edit->Clear();
  b.Edit->AddTextItem("Raised", s, 0);
  b.Edit->Format();
  b.Edit->SelectAll();
  auto* action = new TvlActionFontEx(b.Form);
  action->SetControl(b.Edit);
  TInteractionScript script;
  script.Do([&](TInteraction& r) {
    auto& d = *static_cast<TfrmVLFont*>(r.Form);
    EXPECT_TRUE(d.rbDown->GetChecked());
    EXPECT_EQ(d.seShift->GetText(), "30");
    EXPECT_TRUE(d.rbExp->GetChecked());
    d.rbUp->SetChecked(true);
    // Condensed limits the spacing to 20.
    d.seSpacing->SetText("35");
    d.rbCond->SetChecked(true);
    EXPECT_EQ(d.seSpacing->GetText(), "20");
    return mrOk;
  });
  ASSERT_TRUE(action->Execute());
  const TFontInfo& after = b.Text(b.Edit->GetItem(0)->StyleNo);
  EXPECT_EQ(after.VShift, 30);
  EXPECT_EQ(after.CharSpacing, -20);
}

TEST(FontDialogActionTest, ASelectionWithoutTextShowsTheCurrentStyleNotAnEarlierOne) {
  TEditorBench b;
  b.PlainSheet();
  b.Edit->Clear();
  b.Edit->AddTextItem("Alpha", 0, 0);
  auto* line = new TVLBreakItemInfo(b.Edit->VLData());
  line->StyleNo = vlsBreak;
  b.Edit->AddItem("", line);
  b.Edit->AddTextItem("Beta", 0, 0);
  b.Edit->Format();
  b.Edit->SetSelectionBounds(1, 0, 1, 1);
  auto* action = new TvlActionFontEx(b.Form);
  action->Font.SetName("Stale");
  action->ValidProperties = TVLFontProperties();
  action->GatherProperties(ActionEditorOf(b.Edit));
  EXPECT_EQ(action->ValidProperties, AllFontProperties);
  EXPECT_EQ(action->Font.GetName(), b.Text(0).FontName);
}

TEST(FontDialogActionTest, TheSampleShowsTheSelectedTextInEveryScript) {
  const char* const texts[] = {"Second line about \xC5\x81\xC3\xB3" "d\xC5\xBA", "caf\xC3\xA9 don\xE2\x80\x99t",
                               "\xC4\x8D" "iu\xC5\xBE" "in\xC4\x97 \xCE\xB1\xCE\xB2"};
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    TEditorBench b;
    b.PlainSheet();
    b.Text(0).Unicode = true;
    TEditorBench::Fill(b.Edit, text);
    b.Edit->SelectAll();
    auto* action = new TvlActionFontEx(b.Form);
    action->SetControl(b.Edit);
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      auto& d = *static_cast<TfrmVLFont*>(r.Form);
      Application->ProcessMessages();
      d.UpdateSample();
      EXPECT_EQ(d.vl->GetItemTextUtf8(1), text);
      return static_cast<int>(mrCancel);
    });
    action->ExecuteTarget(b.Edit);
    EXPECT_EQ(script.Shown.size(), 1u);
  }
}

TEST(FontDialogActionTest, AFontMissingFromTheListStillOffersSizesAndScripts) {
  Application->Initialize();
  struct Case {
    const char* Name;
    bool Listed;
  } cases[] = {{"DejaVu Sans", true}, {"Arial", false}, {"No Such Font Family", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    std::unique_ptr<TfrmVLFont> d(CreateVLForm<TfrmVLFont>(nullptr));
    d->cmbFont->SetText(c.Name);
    d->cmbFont->SetItemIndex(d->cmbFont->Items().IndexOf(c.Name));
    EXPECT_EQ(d->cmbFont->GetItemIndex() >= 0, c.Listed);
    d->cmbFontClick(nullptr);
    EXPECT_EQ(d->cmbSize->Items().Count(), 16);
    EXPECT_GT(d->cmbCharset->Items().Count(), 0);
  }
}

}  // namespace

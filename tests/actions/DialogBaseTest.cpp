#include "actions/BaseVLFrm.h"
#include "actions/ColorVLFrm.h"
#include "actions/VLALocalize.h"
#include "actions/VLColorCombo.h"
#include "actions/VLSpinEdit.h"

#include <gtest/gtest.h>

namespace {

// A dialog with OK and Cancel in a row, a label, a check box and a nested
// panel of controls, as dialogs are built.
class TTestDialog : public TfrmVLBase {
public:
  explicit TTestDialog(TComponent* AOwner) : TfrmVLBase(AOwner) {
    SetBounds(0, 0, 300, 200);
    Ok = Make<TButton>(this, 100, 160, 75, 25);
    Ok->ModalResult = mrOk;
    Ok->SetTabOrder(0);
    Cancel = Make<TButton>(this, 180, 160, 75, 25);
    Cancel->ModalResult = mrCancel;
    Cancel->SetTabOrder(1);
    Label = Make<TLabel>(this, 10, 10, 100, 16);
    Label->AutoSize = false;
    Label->SetBounds(10, 10, 100, 16);
    Centred = Make<TLabel>(this, 10, 30, 100, 16);
    Centred->AutoSize = false;
    Centred->SetBounds(10, 30, 100, 16);
    Centred->SetAlignment(taCenter);
    Check = Make<TCheckBox>(this, 10, 60, 120, 20);
    Check->SetAlignment(taRightJustify);
    Radio = Make<TRadioButton>(this, 10, 90, 120, 20);
    Radio->SetAlignment(taLeftJustify);
    Spin = Make<TVLSpinEdit>(this, 10, 120, 60, 24);
    Box = Make<TGroupBox>(this, 150, 10, 140, 100);
    Inner = new TEdit(this);
    Inner->SetParent(Box);
    Inner->SetBounds(10, 20, 50, 21);
  }
  void Localize() override {
    TfrmVLBase::Localize();
    ++Localized;
    Ok->SetText(LanguageText(195));
    Cancel->SetText(LanguageText(196));
    Box->SetText(LanguageTextPadded(5));
  }
  template <typename T>
  T* Make(TWinControl* parent, Integer l, Integer t, Integer w, Integer h) {
    T* c = new T(this);
    c->SetParent(parent);
    c->SetBounds(l, t, w, h);
    return c;
  }
  TButton *Ok, *Cancel;
  TLabel *Label, *Centred;
  TCheckBox* Check;
  TRadioButton* Radio;
  TVLSpinEdit* Spin;
  TGroupBox* Box;
  TEdit* Inner;
  int Localized = 0;
};

class DialogBaseTest : public ::testing::Test {
protected:
  void SetUp() override {
    Application->Initialize();
    while (CurrentLanguageIndex() >= 0) FinalizeLanguages();
    InitializeLanguages();
    for (auto& row : Rows) row = "x";
    Rows[0] = "";
    Rows[202] = "Help";
  }
  void TearDown() override {
    VLAMiddleEastLocale = &SysLocaleMiddleEastDefault;
    while (CurrentLanguageIndex() >= 0) FinalizeLanguages();
    InitializeLanguages();
  }
  static bool SysLocaleMiddleEastDefault();
  const char* Rows[VLA_MESSAGE_COUNT];
};
bool (*gDefaultMiddleEast)() = VLAMiddleEastLocale;
bool DialogBaseTest::SysLocaleMiddleEastDefault() { return gDefaultMiddleEast(); }

TEST_F(DialogBaseTest, EnglishKeepsLeftToRightAndAddsNoHelpButton) {
  std::unique_ptr<TTestDialog> d(CreateVLForm<TTestDialog>(nullptr));
  EXPECT_EQ(d->Localized, 1);
  EXPECT_EQ(d->BiDiMode, bdLeftToRight);
  EXPECT_EQ(d->Font.GetCharset(), 0);
  EXPECT_EQ(d->Ok->GetText(), "OK");
  EXPECT_EQ(d->Box->GetText(), " &Paragraph ");
  EXPECT_EQ(d->Ok->GetLeft(), 100);
  EXPECT_EQ(d->FindComponent("btnHelp"), nullptr);
  EXPECT_EQ(d->GetOkButton(), d->Ok);
  EXPECT_EQ(d->GetCancelButton(), d->Cancel);
}

TEST_F(DialogBaseTest, AHelpFileMovesOkAndCancelAlongForTheHelpButton) {
  RegisterLanguage("With help", 0, Rows, "manual.htm");
  SwitchLanguage("With help");
  std::unique_ptr<TTestDialog> d(CreateVLForm<TTestDialog>(nullptr));
  auto* help = dynamic_cast<TButton*>(d->FindComponent("btnHelp"));
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(help->GetText(), "Help");
  EXPECT_EQ(help->GetLeft(), 180);
  EXPECT_EQ(d->Cancel->GetLeft(), 100);
  EXPECT_EQ(d->Ok->GetLeft(), 20);
  EXPECT_EQ(d->Ok->GetTop(), 160);
  EXPECT_EQ(help->GetTabOrder(), d->Cancel->GetTabOrder() + 1);
  EXPECT_NE(d->HelpFile.find("manual.htm"), String::npos);
}

TEST_F(DialogBaseTest, RightToLeftCharsetsMirrorPositionsAndAlignments) {
  struct Case {
    Byte charset;
    bool middleEastLocale;
    TBiDiMode bidi;
    Integer okLeft, innerLeft;
    TAlignment check, radio, label;
  };
  const Case cases[] = {
      {178, false, bdRightToLeft, 300 - 100 - 75, -1, taLeftJustify, taRightJustify, taRightJustify},
      {177, true, bdRightToLeft, 300 - 100 - 75, -1, taRightJustify, taLeftJustify, taLeftJustify},
      {204, false, bdLeftToRight, 100, 10, taRightJustify, taLeftJustify, taLeftJustify},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(c.charset));
    while (CurrentLanguageIndex() >= 0) FinalizeLanguages();
    RegisterLanguage("Test", c.charset, Rows, "");
    static bool middleEast;
    middleEast = c.middleEastLocale;
    VLAMiddleEastLocale = [] { return middleEast; };
    std::unique_ptr<TTestDialog> d(CreateVLForm<TTestDialog>(nullptr));
    EXPECT_EQ(d->BiDiMode, c.bidi);
    EXPECT_EQ(d->Font.GetCharset(), c.charset);
    EXPECT_EQ(d->Ok->GetLeft(), c.okLeft);
    // Children of children too, mirrored inside their parent: as far from
    // its right edge as they were from its left.
    EXPECT_EQ(d->Inner->GetLeft(), c.innerLeft < 0 ? d->Box->GetWidth() - 10 - 50 : c.innerLeft);
    EXPECT_EQ(d->Check->GetAlignment(), c.check);
    EXPECT_EQ(d->Radio->GetAlignment(), c.radio);
    EXPECT_EQ(d->Spin->GetBiDiMode(), c.bidi);
    EXPECT_EQ(d->Label->GetAlignment(), c.label);
    EXPECT_EQ(d->Centred->GetAlignment(), taCenter);
  }
}

TEST_F(DialogBaseTest, ControlAccessChecksTheClass) {
  std::unique_ptr<TTestDialog> d(CreateVLForm<TTestDialog>(nullptr));
  d->SetCheckBoxState(d->Check, cbGrayed);
  EXPECT_EQ(d->GetCheckBoxState(d->Check), cbGrayed);
  EXPECT_THROW(d->GetCheckBoxChecked(d->Label), EInvalidCast);
  EXPECT_THROW(d->SetRadioButtonChecked(d->Check, true), EInvalidCast);
  EXPECT_THROW(d->GetComboBoxItemIndex(d->Inner), EInvalidCast);
  EXPECT_EQ(d->GetCheckBoxState(d->Check), cbGrayed);
  d->SetControlText(d->Inner, "abcdef");
  d->SetEditSelStart(d->Inner, 2);
  d->SetEditSelLength(d->Inner, 2);
  d->SetEditSelText(d->Inner, "XYZ");
  EXPECT_EQ(d->GetControlText(d->Inner), "abXYZef");
  EXPECT_EQ(d->GetEditSelStart(d->Inner), 5);
  d->SetFormCaption("Caption");
  EXPECT_EQ(d->GetText(), "Caption");
}

TEST_F(DialogBaseTest, ColourControlsRenameThePaletteAndTheirCaptions) {
  Rows[230] = "Clear";
  Rows[231] = "Automatic";
  Rows[237] = "Navy";
  RegisterLanguage("Colours", 0, Rows, "");
  SwitchLanguage("Colours");
  std::unique_ptr<TTestDialog> plain(CreateVLForm<TTestDialog>(nullptr));
  EXPECT_STRNE(PaletteColors[5].Name, "Navy");
  auto* form = new TTestDialog(nullptr);
  auto* combo = new TVLColorCombo(form);
  form->DoCreate();
  EXPECT_STREQ(PaletteColors[5].Name, "Navy");
  EXPECT_EQ(combo->AutoCaption, "Automatic");
  EXPECT_EQ(combo->TransparentCaption, "Clear");
  delete form;
  SwitchLanguage("English (US)");
  LocalizePaletteNames();
}

}  // namespace

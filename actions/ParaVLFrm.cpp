#include "actions/ParaVLFrm.h"

#include "actions/VLALocalize.h"
#include "platform/gui/GfxColors.h"

#include <cmath>

namespace {
// Alignment pictures (left, right, centre, justify), then indented and
// hanging first lines: lines of text as bars.
void DrawParagraphPicture(TCanvas& c, int kind) {
  c.Brush.Color = clWindow;
  c.FillRect(TRect(0, 0, 24, 24));
  c.Brush.Color = clWindowText;
  const Integer widths[5] = {18, 12, 16, 10, 14};
  for (int i = 0; i < 5; ++i) {
    const Integer y = 3 + i * 4;
    Integer w = kind == 3 ? 20 : widths[i];
    Integer l = 2;
    if (kind == 1) l = 22 - w;
    else if (kind == 2) l = (24 - w) / 2;
    else if (kind == 4) {
      l = i == 0 ? 8 : 2;
      w = i == 0 ? 14 : 20;
    } else if (kind == 5) {
      l = i == 0 ? 2 : 8;
      w = i == 0 ? 20 : 14;
    }
    c.FillRect(TRect(l, y, l + w, y + 2));
  }
}
}  // namespace

TfrmVLPara::TfrmVLPara(TComponent* AOwner) : TfrmVLBase(AOwner) {
  SetText("frmVLPara");
  // A new window reports a client area of its own until it is first placed.
  SetBounds(0, 0, 420, 444);
  SetClientWidth(420);
  SetClientHeight(444);
  Position = poScreenCenter;
  KeyPreview = true;
  HelpContext = 91700;

  ImageList1 = new TCustomImageList(this, 24, 24);
  ImageList1->SetName("ImageList1");
  for (int k = 0; k < 6; ++k) {
    TBitmap bmp;
    bmp.SetSize(24, 24);
    DrawParagraphPicture(*bmp.Canvas(), k);
    ImageList1->Add(&bmp, nullptr);
  }

  gbAlignment = PutControl<TVLOfficeRadioGroup>(this, this, "gbAlignment", 8, 6, 404, 96);
  gbAlignment->SetColumns(4);
  gbAlignment->SetMargin(2);
  gbAlignment->SetSquare(true);
  gbAlignment->SetTextAreaHeight(24);
  gbAlignment->SetImages(ImageList1);
  for (int i = 0; i < 4; ++i) gbAlignment->AddItem("Item", i);

  gbIndents = PutControl<TGroupBox>(this, this, "gbIndents", 8, 108, 200, 192);
  lblLeft = PutControl<TLabel>(this, gbIndents, "lblLeft", 10, 26, 80, 16);
  seLeftIndent = PutControl<TVLSpinEdit>(this, gbIndents, "seLeftIndent", 110, 22, 72, 24);
  lblRight = PutControl<TLabel>(this, gbIndents, "lblRight", 10, 54, 80, 16);
  seRightIndent = PutControl<TVLSpinEdit>(this, gbIndents, "seRightIndent", 110, 50, 72, 24);
  lblFirstLine = PutControl<TLabel>(this, gbIndents, "lblFirstLine", 10, 82, 96, 16);
  seFirstLineIndent = PutControl<TVLSpinEdit>(this, gbIndents, "seFirstLineIndent", 110, 78, 72, 24);
  rbPositive = PutControl<TVLOfficeRadioButton>(this, gbIndents, "rbPositive", 14, 108, 80, 78);
  rbNegative = PutControl<TVLOfficeRadioButton>(this, gbIndents, "rbNegative", 104, 108, 80, 78);

  gbSpacing = PutControl<TGroupBox>(this, this, "gbSpacing", 214, 108, 198, 192);
  lblBefore = PutControl<TLabel>(this, gbSpacing, "lblBefore", 10, 26, 80, 16);
  seSpaceBefore = PutControl<TVLSpinEdit>(this, gbSpacing, "seSpaceBefore", 110, 22, 72, 24);
  lblAfter = PutControl<TLabel>(this, gbSpacing, "lblAfter", 10, 54, 80, 16);
  seSpaceAfter = PutControl<TVLSpinEdit>(this, gbSpacing, "seSpaceAfter", 110, 50, 72, 24);
  // Line spacing takes a row of its own (its label runs long in some
  // languages); its value lines up with the fields above.
  lblLineSpacing = PutControl<TLabel>(this, gbSpacing, "lblLineSpacing", 10, 84, 176, 16);
  cmbLineSpacing = PutControl<TComboBox>(this, gbSpacing, "cmbLineSpacing", 10, 102, 172, 24);
  cmbLineSpacing->SetStyle(csDropDownList);
  for (const char* s : {"Single", "1.5 lines", "Double", "Multiple"}) cmbLineSpacing->Items().Add(s);
  lblBy = PutControl<TLabel>(this, gbSpacing, "lblBy", 10, 138, 96, 16);
  seLineSpacingValue = PutControl<TVLSpinEdit>(this, gbSpacing, "seLineSpacingValue", 110, 134, 72, 24);

  lblLeft->SetFocusControl(seLeftIndent);
  lblRight->SetFocusControl(seRightIndent);
  lblFirstLine->SetFocusControl(seFirstLineIndent);
  lblBefore->SetFocusControl(seSpaceBefore);
  lblAfter->SetFocusControl(seSpaceAfter);
  lblLineSpacing->SetFocusControl(seLineSpacingValue);
  lblBy->SetFocusControl(seLineSpacingValue);
  struct Spin {
    TVLSpinEdit* se;
    double min, max, step;
    int len;
  };
  for (const Spin& s : {Spin{seLeftIndent, 0, 1000, 1, 5}, Spin{seRightIndent, 0, 1000, 1, 5},
                        Spin{seFirstLineIndent, 0, 100, 1, 4}, Spin{seSpaceBefore, 0, 100, 1, 3},
                        Spin{seSpaceAfter, 0, 100, 1, 3}, Spin{seLineSpacingValue, 1, 100, 0.5, 6}}) {
    s.se->MinValue = s.min;
    s.se->MaxValue = s.max;
    s.se->Increment = s.step;
    s.se->SetMaxLength(s.len);
    s.se->SetIndeterminate(true);
  }
  seLineSpacingValue->IntegerValue = false;
  int image = 4;
  for (TVLOfficeRadioButton* rb : {rbPositive, rbNegative}) {
    rb->SetSquare(true);
    rb->SetImages(ImageList1);
    rb->SetImageIndex(image++);
    rb->SetTextAreaHeight(22);
  }

  gbSample = PutControl<TGroupBox>(this, this, "gbSample", 8, 306, 404, 100);
  vls = new TVLStyle(this);
  vls->TextStyles->Clear();
  for (TColor color : {clGray, clInfoText}) {
    TFontInfo* t = vls->TextStyles->Add();
    t->FontName = "Small Fonts";
    t->Size = 6;
    t->Color = color;
  }
  vls->TextStyles->Items(0)->StyleName = "Peripheral Text";
  vls->TextStyles->Items(1)->StyleName = "Main Text";
  vls->ParaStyles->Clear();
  vls->ParaStyles->Add()->StyleName = "Peripheral";
  TParaInfo* main = vls->ParaStyles->Add();
  main->StyleName = "Main";
  main->Background.Color = clInfoBk;
  vl = PutControl<TVellum>(this, gbSample, "vl", 8, 18, 388, 74);
  vl->TabStop = false;
  vl->SetVScrollVisible(false);
  vl->SetHScrollVisible(false);
  vl->SetStyle(vls);

  btnOk = PutControl<TButton>(this, this, "btnOk", 256, 412, 75, 25);
  btnOk->ModalResult = mrOk;
  btnOk->SetDefault(true);
  btnCancel = PutControl<TButton>(this, this, "btnCancel", 337, 412, 75, 25);
  btnCancel->ModalResult = mrCancel;
  btnCancel->Cancel = true;

  auto sample = [this](TObject*) { UpdateSample(); };
  gbAlignment->OnClick = sample;
  auto confirm = [this](TObject*) { ModalResult = mrOk; };
  gbAlignment->OnDblClickItem = confirm;
  rbNegative->OnDblClick = confirm;
  rbPositive->OnDblClick = confirm;
  seRightIndent->OnChange = sample;
  seSpaceBefore->OnChange = sample;
  seSpaceAfter->OnChange = sample;
  seLeftIndent->OnChange = [this](TObject* s) { seLeftIndentChange(s); };
  seFirstLineIndent->OnChange = [this](TObject* s) { seFirstLineIndentChange(s); };
  rbPositive->OnClick = rbNegative->OnClick = [this](TObject* s) { rbFLClick(s); };
  cmbLineSpacing->OnClick = cmbLineSpacing->OnSelect = [this](TObject* s) { cmbLineSpacingClick(s); };
  seLineSpacingValue->OnChange = [this](TObject* s) { seLineSpacingValueChange(s); };
  _cmbLineSpacing = cmbLineSpacing;
}

void TfrmVLPara::Localize() {
  TfrmVLBase::Localize();
  SetText(LanguageText(488));
  btnOk->SetText(LanguageText(195));
  btnCancel->SetText(LanguageText(196));
  gbAlignment->SetText(LanguageTextPadded(489));
  for (int i = 0; i < 4; ++i) {
    gbAlignment->Item(i).Caption = LanguageText(static_cast<Word>(490 + i));
    gbAlignment->ItemChanged(i);
  }
  gbSpacing->SetText(LanguageTextPadded(494));
  lblBefore->SetText(LanguageText(495));
  lblAfter->SetText(LanguageText(496));
  lblLineSpacing->SetText(LanguageText(497));
  lblBy->SetText(LanguageText(498));
  gbIndents->SetText(LanguageTextPadded(499));
  lblLeft->SetText(LanguageText(500));
  lblRight->SetText(LanguageText(501));
  lblFirstLine->SetText(LanguageText(502));
  rbPositive->SetText(LanguageText(503));
  rbNegative->SetText(LanguageText(504));
  gbSample->SetText(LanguageTextPadded(505));
  for (int i = 0; i < 4; ++i) cmbLineSpacing->Items().Put(i, LanguageText(static_cast<Word>(506 + i)));
  for (int i = 0; i < 2; ++i) vls->TextStyles->Items(i)->Charset = GetLanguageCharset();
  vl->Clear();
  const String text = LanguageText(510);
  vl->AddTextItem(text, 0, 0);
  vl->AddTextItem(text, 1, 1);
  vl->AddTextItem(text, 0, 0);
  vl->Format();
}

void TfrmVLPara::Activate() {
  TfrmVLBase::Activate();
  UpdateSample();
}

Integer TfrmVLPara::LineSpacingPercent() {
  switch (GetComboBoxItemIndex(_cmbLineSpacing)) {
    case 0: return 100;
    case 1: return 150;
    case 2: return 200;
    default:
      return static_cast<Integer>(std::nearbyint(seLineSpacingValue->CheckValue(seLineSpacingValue->GetValue()) * 100));
  }
}

void TfrmVLPara::UpdateSample() {
  if (!Showing()) return;
  TParaInfo& p = *vls->ParaStyles->Items(1);
  const int a = gbAlignment->GetItemIndex();
  p.Alignment = a >= 0 ? static_cast<TVLAlignment>(a) : vlaLeft;
  p.SpaceBefore = seSpaceBefore->AsInteger() / 2;
  p.SpaceAfter = seSpaceAfter->AsInteger() / 2;
  p.Background.BorderOffsets.Top = p.SpaceBefore;
  p.Background.BorderOffsets.Bottom = p.SpaceAfter;
  p.LeftIndent = seLeftIndent->AsInteger() / 2;
  p.RightIndent = seRightIndent->AsInteger() / 2;
  const Integer first = seFirstLineIndent->AsInteger();
  p.FirstIndent = (rbNegative->GetChecked() ? -first : first) / 2;
  p.LineSpacing = LineSpacingPercent();
  vl->Format();
  vl->Invalidate();
}

void TfrmVLPara::seFirstLineIndentChange(TObject*) {
  if (!Showing() || FUpdating) return;
  const Integer minLeft = static_cast<Integer>(std::nearbyint(seLeftIndent->MinValue));
  if (seFirstLineIndent->GetIndeterminate() || seFirstLineIndent->AsInteger() == 0) {
    rbNegative->SetChecked(false);
    rbPositive->SetChecked(false);
  } else if (!rbNegative->GetChecked() && !rbPositive->GetChecked()) {
    rbPositive->SetChecked(true);
  } else if (rbNegative->GetChecked() && !seLeftIndent->GetIndeterminate() &&
             seLeftIndent->AsInteger() - seFirstLineIndent->AsInteger() < minLeft) {
    FUpdating = true;
    seLeftIndent->SetValue(minLeft + seFirstLineIndent->AsInteger());
    FUpdating = false;
  }
  UpdateSample();
}

void TfrmVLPara::seLeftIndentChange(TObject*) {
  if (!Showing() || FUpdating) return;
  const Integer minLeft = static_cast<Integer>(std::nearbyint(seLeftIndent->MinValue));
  if (rbNegative->GetChecked() && seFirstLineIndent->AsInteger() > 0 &&
      seLeftIndent->AsInteger() - seFirstLineIndent->AsInteger() < minLeft) {
    FUpdating = true;
    seFirstLineIndent->SetValue(seLeftIndent->AsInteger() - minLeft);
    FUpdating = false;
  }
  UpdateSample();
}

void TfrmVLPara::rbFLClick(TObject*) {
  if (!Showing()) return;
  const Integer minLeft = static_cast<Integer>(std::nearbyint(seLeftIndent->MinValue));
  // A left indent the paragraphs do not share is theirs to keep: no room
  // is made in it for a hanging first line.
  if (rbNegative->GetChecked() && !seLeftIndent->GetIndeterminate() &&
      seLeftIndent->AsInteger() - seFirstLineIndent->AsInteger() < minLeft) {
    FUpdating = true;
    seLeftIndent->SetValue(minLeft + seFirstLineIndent->AsInteger());
    FUpdating = false;
  }
  if (seFirstLineIndent->GetIndeterminate()) seFirstLineIndent->SetValue(0);
  UpdateSample();
}

void TfrmVLPara::cmbLineSpacingClick(TObject*) {
  if (!Showing()) return;
  if (GetComboBoxItemIndex(_cmbLineSpacing) != 3)
    seLineSpacingValue->SetIndeterminate(true);
  else if (seLineSpacingValue->GetIndeterminate())
    seLineSpacingValue->SetValue(3);
  UpdateSample();
}

void TfrmVLPara::seLineSpacingValueChange(TObject*) {
  if (!Showing()) return;
  if (!seLineSpacingValue->GetIndeterminate() && GetComboBoxItemIndex(_cmbLineSpacing) != 3)
    SetComboBoxItemIndex(_cmbLineSpacing, 3);
  UpdateSample();
}

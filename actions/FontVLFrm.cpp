#include "actions/FontVLFrm.h"

#include "actions/VLALocalize.h"
#include "platform/base/SysUtils.h"
#include "platform/gui/GfxColors.h"

#include <cmath>

namespace {

// The pictures of the direction buttons: expanded, condensed, down, up.
void DrawDirection(TCanvas& c, int kind) {
  c.Brush.Color = clWindow;
  c.FillRect(TRect(0, 0, 24, 24));
  c.Pen.Color = clWindowText;
  c.Pen.Width = 1;
  c.Brush.Color = clWindowText;
  if (kind < 2) {
    // Two bars, far apart or close together.
    const Integer gap = kind == 0 ? 12 : 2;
    const Integer l = (24 - gap) / 2 - 4;
    c.FillRect(TRect(l, 5, l + 4, 19));
    c.FillRect(TRect(l + 4 + gap, 5, l + 8 + gap, 19));
  } else {
    // A base line and an arrow away from it.
    c.FillRect(TRect(3, 11, 21, 13));
    const bool down = kind == 2;
    const Integer tip = down ? 21 : 3, base = down ? 14 : 10;
    c.Polygon({TPoint(7, base), TPoint(17, base), TPoint(12, tip)});
  }
}
}  // namespace

TfrmVLFont::TfrmVLFont(TComponent* AOwner) : TfrmVLBase(AOwner) {
  SetText("frmVLFont");
  // A new window reports a client area of its own until it is first placed.
  SetBounds(0, 0, 426, 420);
  SetClientWidth(426);
  SetClientHeight(420);
  Position = poScreenCenter;
  KeyPreview = true;
  HelpContext = 90200;

  ImageList1 = new TCustomImageList(this, 24, 24);
  ImageList1->SetName("ImageList1");
  for (int k = 0; k < 4; ++k) {
    TBitmap bmp;
    bmp.SetSize(24, 24);
    DrawDirection(*bmp.Canvas(), k);
    ImageList1->Add(&bmp, nullptr);
  }

  pc = PutControl<TPageControl>(this, this, "pc", 8, 8, 410, 370);
  ts1 = new TTabSheet(this);
  ts1->SetName("ts1");
  ts1->SetPageControl(pc);
  ts2 = new TTabSheet(this);
  ts2->SetName("ts2");
  ts2->SetPageControl(pc);
  pc->SetActivePage(ts1);
  pc->OnChange = [this](TObject* s) { pcChange(s); };

  lblFont = PutControl<TLabel>(this, ts1, "lblFont", 8, 8, 170, 16);
  cmbFont = PutControl<TVLFontComboBox>(this, ts1, "cmbFont", 8, 26, 180, 124);
  lblSize = PutControl<TLabel>(this, ts1, "lblSize", 196, 8, 60, 16);
  cmbSize = PutControl<TVLFontSizeComboBox>(this, ts1, "cmbSize", 196, 26, 60, 124);
  gbStyle = PutControl<TGroupBox>(this, ts1, "gbStyle", 266, 8, 128, 72);
  cbB = PutControl<TCheckBox>(this, gbStyle, "cbB", 10, 20, 110, 20);
  cbI = PutControl<TCheckBox>(this, gbStyle, "cbI", 10, 44, 110, 20);
  lblScript = PutControl<TLabel>(this, ts1, "lblScript", 8, 158, 120, 16);
  cmbCharset = PutControl<TVLFontCharsetComboBox>(this, ts1, "cmbCharset", 8, 176, 122, 24);
  cmbCharset->SetDropDownCount(20);
  cmbCharset->SetAddDefaultCharset(true);
  lblColor = PutControl<TLabel>(this, ts1, "lblColor", 138, 158, 60, 16);
  cmbColor = PutControl<TVLColorCombo>(this, ts1, "cmbColor", 138, 176, 118, 24);
  cmbColor->AutoColor = clWindowText;
  cmbColor->SetIndeterminate(true);
  gbEffects = PutControl<TGroupBox>(this, ts1, "gbEffects", 266, 88, 128, 120);
  cbU = PutControl<TCheckBox>(this, gbEffects, "cbU", 10, 20, 112, 20);
  cbS = PutControl<TCheckBox>(this, gbEffects, "cbS", 10, 44, 112, 20);
  cbO = PutControl<TCheckBox>(this, gbEffects, "cbO", 10, 68, 112, 20);
  cbAC = PutControl<TCheckBox>(this, gbEffects, "cbAC", 10, 92, 112, 20);
  lblFont->SetFocusControl(cmbFont);
  lblSize->SetFocusControl(cmbSize);
  lblScript->SetFocusControl(cmbCharset);
  lblColor->SetFocusControl(cmbColor);

  gbSample = PutControl<TGroupBox>(this, ts1, "gbSample", 8, 236, 386, 96);
  vls = new TVLStyle(this);
  vls->TextStyles->Clear();
  TFontInfo* main = vls->TextStyles->Add();
  main->StyleName = "Main Text";
  main->FontName = "Small Fonts";
  main->Size = 6;
  main->BackColor = clInfoBk;
  TFontInfo* side = vls->TextStyles->Add();
  side->StyleName = "Peripheral Text";
  side->FontName = "Arial";
  side->Size = 10;
  side->Color = clBtnShadow;
  // The sample is the user's text in any script, not the chosen code page's.
  main->Unicode = true;
  side->Unicode = true;
  vls->ParaStyles->Clear();
  TParaInfo* para = vls->ParaStyles->Add();
  para->StyleName = "Main";
  para->Alignment = vlaCenter;
  para->Options.Include(vlpaoNoWrap);
  vl = PutControl<TVellum>(this, gbSample, "vl", 8, 18, 370, 70);
  vl->TabStop = false;
  vl->LeftMargin = vl->RightMargin = vl->TopMargin = vl->BottomMargin = 0;
  vl->SetVScrollVisible(false);
  vl->SetHScrollVisible(false);
  vl->SetStyle(vls);
  // A baseline across the sample in the marker colour, drawn with the
  // ">>>" marker, so that a raised or lowered sample stands out against it.
  vls->OnDrawStyleText = [this](TVLStyle* sender, const AnsiString&, TCanvas* canvas, Integer, Integer,
                                Integer, Integer top, Integer, Integer, TVLTextDrawStates, bool&) {
    if (sender->DrawContextItemNo != 0) return;
    TTextMetric tm;
    if (!canvas->GetTextMetrics(tm)) return;
    const Integer y = top + tm.tmAscent;
    canvas->Pen.Color = canvas->Font.GetColor();
    canvas->Pen.Width = 1;
    canvas->Pen.Style = psSolid;
    canvas->MoveTo(0, y);
    canvas->LineTo(vl->ClientWidth() + 1, y);
  };

  // The second page holds three groups above the sample, which stays where
  // the first page has it.
  gbSpacing = PutControl<TGroupBox>(this, ts2, "gbSpacing", 8, 4, 386, 88);
  lblSpacing = PutControl<TLabel>(this, gbSpacing, "lblSpacing", 12, 38, 100, 16);
  seSpacing = PutControl<TVLSpinEdit>(this, gbSpacing, "seSpacing", 116, 34, 64, 24);
  rbExp = PutControl<TVLOfficeRadioButton>(this, gbSpacing, "rbExp", 206, 12, 84, 72);
  rbCond = PutControl<TVLOfficeRadioButton>(this, gbSpacing, "rbCond", 294, 12, 84, 72);
  gbVShift = PutControl<TGroupBox>(this, ts2, "gbVShift", 8, 94, 386, 88);
  lblVShift = PutControl<TLabel>(this, gbVShift, "lblVShift", 12, 38, 100, 16);
  seShift = PutControl<TVLSpinEdit>(this, gbVShift, "seShift", 116, 34, 64, 24);
  Label5 = PutControl<TLabel>(this, gbVShift, "Label5", 184, 38, 12, 16);
  rbDown = PutControl<TVLOfficeRadioButton>(this, gbVShift, "rbDown", 206, 12, 84, 72);
  rbUp = PutControl<TVLOfficeRadioButton>(this, gbVShift, "rbUp", 294, 12, 84, 72);
  gbCharScale = PutControl<TGroupBox>(this, ts2, "gbCharScale", 8, 184, 386, 0);
  gbCharScale->SetHeight(0);
  lblCharScale = PutControl<TLabel>(this, gbCharScale, "lblCharScale", 12, 22, 100, 16);
  seCharScale = PutControl<TVLSpinEdit>(this, gbCharScale, "seCharScale", 116, 18, 64, 24);
  Label8 = PutControl<TLabel>(this, gbCharScale, "Label8", 184, 22, 12, 16);
  Label5->SetText("%");
  Label8->SetText("%");
  lblSpacing->SetFocusControl(seSpacing);
  lblVShift->SetFocusControl(seShift);
  lblCharScale->SetFocusControl(seCharScale);
  struct Spin {
    TVLSpinEdit* se;
    double min, max;
    int len;
  };
  for (const Spin& s : {Spin{seSpacing, 0, 100, 4}, Spin{seShift, 0, 500, 4}, Spin{seCharScale, 20, 500, 4}}) {
    s.se->MinValue = s.min;
    s.se->MaxValue = s.max;
    s.se->SetMaxLength(s.len);
    s.se->SetIndeterminate(true);
  }
  int image = 0;
  for (TVLOfficeRadioButton* rb : {rbExp, rbCond, rbDown, rbUp}) {
    rb->SetSquare(true);
    rb->SetImages(ImageList1);
    rb->SetImageIndex(image++);
    rb->SetTextAreaHeight(22);
  }

  btnOk = PutControl<TButton>(this, this, "btnOk", 262, 386, 75, 25);
  btnOk->ModalResult = mrOk;
  btnOk->SetDefault(true);
  btnCancel = PutControl<TButton>(this, this, "btnCancel", 343, 386, 75, 25);
  btnCancel->ModalResult = mrCancel;
  btnCancel->Cancel = true;

  auto sample = [this](TObject*) { UpdateSample(); };
  cmbSize->OnClick = sample;
  cmbSize->OnExit = sample;
  cmbCharset->OnClick = sample;
  for (TCheckBox* cb : {cbB, cbI, cbU, cbS, cbO, cbAC}) cb->OnClick = sample;
  cmbColor->OnColorChange = sample;
  seCharScale->OnChange = sample;
  cmbFont->OnClick = [this](TObject* s) { cmbFontClick(s); };
  seSpacing->OnChange = [this](TObject* s) { seSpacingChange(s); };
  seShift->OnChange = [this](TObject* s) { seShiftChange(s); };
  rbExp->OnClick = rbCond->OnClick = [this](TObject* s) { rbExpClick(s); };
  rbUp->OnClick = rbDown->OnClick = [this](TObject* s) { rbUpClick(s); };
  SetActiveControl(cmbFont);

  _gbSample = gbSample;
  _pc = pc;
  _cbB = cbB;
  _cbI = cbI;
  _cbU = cbU;
  _cbS = cbS;
  _cbO = cbO;
  _cbAC = cbAC;
}

void TfrmVLFont::Localize() {
  TfrmVLBase::Localize();
  SetText(LanguageText(296));
  btnOk->SetText(LanguageText(195));
  btnCancel->SetText(LanguageText(196));
  ts1->SetText(LanguageTextPadded(297));
  ts2->SetText(LanguageTextPadded(298));
  lblFont->SetText(LanguageText(299));
  lblSize->SetText(LanguageText(300));
  gbStyle->SetText(LanguageTextPadded(301));
  cbB->SetText(LanguageText(302));
  cbI->SetText(LanguageText(303));
  lblScript->SetText(LanguageText(304));
  lblColor->SetText(LanguageText(305));
  cmbCharset->DefaultCharsetCaption = LanguageText(306);
  gbEffects->SetText(LanguageTextPadded(307));
  cbU->SetText(LanguageText(308));
  cbO->SetText(LanguageText(309));
  cbS->SetText(LanguageText(310));
  cbAC->SetText(LanguageText(311));
  gbSample->SetText(LanguageTextPadded(312));
  gbSpacing->SetText(LanguageTextPadded(314));
  lblSpacing->SetText(LanguageText(315));
  rbExp->SetText(LanguageText(316));
  rbCond->SetText(LanguageText(317));
  gbVShift->SetText(LanguageTextPadded(318));
  lblVShift->SetText(LanguageText(319));
  rbDown->SetText(LanguageText(320));
  rbUp->SetText(LanguageText(321));
  gbCharScale->SetText(LanguageTextPadded(322));
  lblCharScale->SetText(LanguageText(323));
  gbCharScale->SetHeight(48);
}

String TfrmVLFont::GetSampleText() {
  if (!SampleText.empty()) return SampleText;
  const int i = cmbFont->GetItemIndex();
  if (i >= 0) return cmbFont->Items().Get(i);
  return LanguageText(313);
}

bool TfrmVLFont::GetSize(Integer& Size) {
  const String text = Trim(cmbSize->GetText());
  if (text.empty()) return false;
  Integer n = 0;
  if (!TryStrToInt(text, n)) return false;
  Size = std::clamp<Integer>(n, 1, 100);
  return true;
}

void TfrmVLFont::UpdateSample() {
  if (!Showing()) return;
  const String sizeText = cmbSize->GetText();
  if (!sizeText.empty()) {
    const Integer n = StrToIntDef(sizeText, 10);
    if (n < 1) cmbSize->SetText("1");
    else if (n > 100) cmbSize->SetText("100");
  }
  TFontInfo& s = *vls->TextStyles->Items(0);
  const int fi = cmbFont->GetItemIndex();
  s.FontName = fi >= 0 ? cmbFont->Items().Get(fi) : String("Arial");
  s.Size = StrToIntDef(cmbSize->GetText(), 10);
  const int ci = cmbCharset->GetItemIndex();
  s.Charset = ci >= 0 ? cmbCharset->Charsets(ci) : DEFAULT_CHARSET;
  s.Style = TFontStyles();
  if (cbB->GetState() == cbChecked) s.Style.Include(fsBold);
  if (cbI->GetState() == cbChecked) s.Style.Include(fsItalic);
  if (cbU->GetState() == cbChecked) s.Style.Include(fsUnderline);
  if (cbS->GetState() == cbChecked) s.Style.Include(fsStrikeOut);
  s.StyleEx = TVLFontStyles();
  if (cbO->GetState() == cbChecked) s.StyleEx.Include(vlfsOverline);
  if (cbAC->GetState() == cbChecked) s.StyleEx.Include(vlfsAllCaps);
  s.VShift = rbDown->GetChecked() ? -seShift->AsInteger() : seShift->AsInteger();
  s.Color = cmbColor->GetIndeterminate() ? clWindowText : cmbColor->GetChosenColor();
  s.CharSpacing = rbCond->GetChecked() ? -seSpacing->AsInteger() : seSpacing->AsInteger();
  s.CharScale = seCharScale->GetIndeterminate() ? 100 : seCharScale->AsInteger();
  vl->Clear();
  vl->AddTextItem(">>>   ", 1, 0);
  vl->AddTextItem(GetSampleText(), 0, -1);
  vl->AddTextItem("   <<<", 1, -1);
  vl->Format();
  vl->Invalidate();
}

void TfrmVLFont::pcChange(TObject*) {
  TTabSheet* page = GetActivePage(_pc);
  if (page) {
    // Same place on every page, mirrored or not.
    const Integer left = gbSample->GetLeft(), top = gbSample->GetTop();
    gbSample->SetParent(page);
    gbSample->SetBounds(left, top, 386, 96);
  }
}

void TfrmVLFont::cmbFontClick(TObject*) {
  // A name that is not in the list (a font the entry names but this system
  // lacks) is drawn in a substitute: its sizes and scripts are offered.
  const int i = cmbFont->GetItemIndex();
  const String name = i >= 0 ? cmbFont->Items().Get(i) : Trim(cmbFont->GetText());
  if (!name.empty()) {
    cmbSize->SetFontName(name);
    // A script the selection mixes stays undecided under the new font, not
    // the first one the font lists.
    const bool undecided = cmbCharset->GetItemIndex() < 0;
    cmbCharset->SetFontName(name);
    if (undecided) cmbCharset->SetItemIndex(-1);
  }
  UpdateSample();
}

void TfrmVLFont::Activate() {
  TfrmVLBase::Activate();
  FormActivate(this);
}

void TfrmVLFont::FormActivate(TObject*) {
  cmbSize->SetItemIndex(cmbSize->Items().IndexOf(cmbSize->GetText()));
  cmbColor->SetColorDialog(ColorDialog);
  seSpacingChange(seSpacing);
  seShiftChange(seShift);
}

void TfrmVLFont::seSpacingChange(TObject*) {
  if (!Showing()) return;
  if (!seSpacing->GetIndeterminate() && !rbExp->GetChecked() && !rbCond->GetChecked()) {
    rbExp->SetChecked(true);
    seSpacing->MaxValue = 100;
  } else if (seSpacing->GetIndeterminate()) {
    rbExp->SetChecked(false);
    rbCond->SetChecked(false);
  }
  UpdateSample();
}

void TfrmVLFont::rbExpClick(TObject*) {
  if (!Showing()) return;
  if (seSpacing->GetIndeterminate() && (rbExp->GetChecked() || rbCond->GetChecked())) seSpacing->SetValue(1);
  if (rbExp->GetChecked()) {
    seSpacing->MaxValue = 100;
  } else {
    seSpacing->MaxValue = 20;
    if (!seSpacing->GetIndeterminate()) seSpacing->SetValue(seSpacing->GetValue());
  }
  UpdateSample();
}

void TfrmVLFont::seShiftChange(TObject*) {
  if (!Showing()) return;
  if (!seShift->GetIndeterminate() && !rbUp->GetChecked() && !rbDown->GetChecked()) {
    rbDown->SetChecked(true);
  } else if (seShift->GetIndeterminate()) {
    rbUp->SetChecked(false);
    rbDown->SetChecked(false);
  }
  UpdateSample();
}

void TfrmVLFont::rbUpClick(TObject*) {
  if (!Showing()) return;
  if (seShift->GetIndeterminate() && (rbUp->GetChecked() || rbDown->GetChecked())) seShift->SetValue(1);
  UpdateSample();
}

bool TfrmVLFont::DoKeyDown(Word& Key, TShiftState Shift) {
  if (Key == VK_ESCAPE) {
    ModalResult = mrCancel;
    return true;
  }
  return TfrmVLBase::DoKeyDown(Key, Shift);
}

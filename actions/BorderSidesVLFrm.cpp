#include "actions/BorderSidesVLFrm.h"

#include "actions/VLALocalize.h"
#include "platform/gui/GfxColors.h"

namespace {
// A side button's picture: a dotted box with the side drawn solid.
void DrawSideGlyph(TBitmap& b, int side) {
  b.SetSize(16, 16);
  TCanvas& c = *b.Canvas();
  c.Brush.Color = clFuchsia;
  c.FillRect(TRect(0, 0, 16, 16));
  c.Brush.Color = clGray;
  for (int i = 2; i < 14; i += 2) {
    c.FillRect(TRect(i, 2, i + 1, 3));
    c.FillRect(TRect(i, 13, i + 1, 14));
    c.FillRect(TRect(2, i, 3, i + 1));
    c.FillRect(TRect(13, i, 14, i + 1));
  }
  c.Brush.Color = clBlack;
  const TRect sides[4] = {TRect(2, 2, 4, 14), TRect(2, 2, 14, 4), TRect(12, 2, 14, 14), TRect(2, 12, 14, 14)};
  c.FillRect(sides[side]);
  // The bottom-left pixel's colour is transparent.
  c.SetPixel(0, 15, clFuchsia);
}
}  // namespace

TfrmVLBorderSides::TfrmVLBorderSides(TComponent* AOwner) : TfrmVLBase(AOwner) {
  SetText("frmVLBorderSides");
  // A new window reports a client area of its own until it is first placed.
  SetBounds(0, 0, 440, 392);
  SetClientWidth(440);
  SetClientHeight(392);
  KeyPreview = true;
  PageControl1 = PutControl<TPageControl>(this, this, "PageControl1", 8, 8, 424, 342);
  ts1 = new TTabSheet(this);
  ts1->SetName("ts1");
  ts1->SetPageControl(PageControl1);
  ts2 = new TTabSheet(this);
  ts2->SetName("ts2");
  ts2->SetPageControl(PageControl1);
  PageControl1->SetActivePage(ts1);

  gbSample = PutControl<TGroupBox>(this, ts1, "gbSample", 212, 110, 200, 196);
  btnTop = PutControl<TSpeedButton>(this, gbSample, "btnTop", 88, 20, 24, 24);
  btnLeft = PutControl<TSpeedButton>(this, gbSample, "btnLeft", 4, 96, 24, 24);
  btnRight = PutControl<TSpeedButton>(this, gbSample, "btnRight", 172, 96, 24, 24);
  btnBottom = PutControl<TSpeedButton>(this, gbSample, "btnBottom", 88, 164, 24, 24);
  int side = 0;
  for (TSpeedButton* b : {btnLeft, btnTop, btnRight, btnBottom}) {
    b->SetAllowAllUp(true);
    b->SetFlat(true);
    b->SetGroupIndex(side + 1);
    DrawSideGlyph(b->Glyph(), side++);
    b->GlyphChanged();
    b->OnClick = [this](TObject* s) { btnClick(s); };
  }
  vl = PutControl<TVellum>(this, gbSample, "vl", 30, 46, 140, 116);
  vl->TopMargin = vl->BottomMargin = 0;
  vl->SetVScrollVisible(false);
  vl->SetHScrollVisible(false);
  vls = new TVLStyle(this);
  vl->SetStyle(vls);

  gbSettings = PutControl<TGroupBox>(this, ts1, "gbSettings", 8, 110, 196, 196);
  lblColor = PutControl<TLabel>(this, gbSettings, "lblColor", 10, 20, 120, 16);
  cmbColor = PutControl<TVLColorCombo>(this, gbSettings, "cmbColor", 10, 38, 150, 24);
  cmbColor->AutoColor = clWindowText;
  cmbColor->SetIndeterminate(true);
  cmbColor->OnColorChange = [this](TObject* s) { cmbColorColorChange(s); };
  lblWidth = PutControl<TLabel>(this, gbSettings, "lblWidth", 10, 70, 120, 16);
  cmbWidth = PutControl<TComboBox>(this, gbSettings, "cmbWidth", 10, 88, 150, 24);
  cmbWidth->SetStyle(csOwnerDrawFixed);
  cmbWidth->SetItemHeight(16);
  for (const char* w : {"1", "2", "3", "4", "5", "6"}) cmbWidth->Items().Add(w);
  cmbWidth->OnDrawItem = [this](TWinControl* c, int i, const TRect& r, TOwnerDrawState s) {
    cmbWidthDrawItem(c, i, r, s);
  };
  lblColor->SetFocusControl(cmbColor);
  lblWidth->SetFocusControl(cmbWidth);

  btnOk = PutControl<TButton>(this, this, "btnOk", 276, 358, 75, 25);
  btnOk->ModalResult = mrOk;
  btnOk->SetDefault(true);
  btnCancel = PutControl<TButton>(this, this, "btnCancel", 357, 358, 75, 25);
  btnCancel->ModalResult = mrCancel;
  btnCancel->Cancel = true;
  _cmbWidth = cmbWidth;
}

void TfrmVLBorderSides::Localize() {
  TfrmVLBase::Localize();
  btnOk->SetText(LanguageText(195));
  btnCancel->SetText(LanguageText(196));
}

void TfrmVLBorderSides::cmbWidthDrawItem(TWinControl*, int Index, const TRect& Rect, TOwnerDrawState State) {
  DrawBorderLineSample(*cmbWidth->Canvas(), Rect, Index, cmbColor->GetChosenColor(), State.Contains(odSelected));
}

void TfrmVLBorderSides::cmbColorColorChange(TObject*) { cmbWidth->Invalidate(); }

void TfrmVLBorderSides::btnClick(TObject* Sender) {
  if (auto* b = dynamic_cast<TSpeedButton*>(Sender)) b->SetFlat(false);
}

void TfrmVLBorderSides::ToggleSide(TSpeedButton* Button) {
  Button->SetDown(!Button->GetDown());
  if (Button->OnClick) Button->OnClick(Button);
}

bool TfrmVLBorderSides::DoKeyDown(Word& Key, TShiftState Shift) {
  if (Shift.Contains(ssCtrl)) {
    switch (Key) {
      case 'B': ToggleSide(btnBottom); break;
      case 'L': ToggleSide(btnLeft); break;
      case 'R': ToggleSide(btnRight); break;
      case 'T': ToggleSide(btnTop); break;
      default: break;
    }
  }
  return TfrmVLBase::DoKeyDown(Key, Shift);
}

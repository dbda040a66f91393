#include "actions/TableBrdrVLFrm.h"

#include "actions/VLALocalize.h"
#include "actions/VLActions.h"
#include "platform/gui/ImgList.h"

#include <string>

namespace {
// The four types as pictures: none, sunken, raised, flat.
void DrawTableBorderType(TCanvas& c, int type) {
  c.Brush.Color = clBtnFace;
  c.FillRect(TRect(0, 0, 32, 32));
  c.Brush.Color = clWindow;
  c.FillRect(TRect(4, 4, 28, 28));
  auto frame = [&](TColor topLeft, TColor bottomRight) {
    c.Pen.Style = psSolid;
    c.Pen.Width = 1;
    for (int i = 0; i < 3; ++i) {
      c.Pen.Color = topLeft;
      c.MoveTo(4 + i, 27 - i);
      c.LineTo(4 + i, 4 + i);
      c.LineTo(28 - i, 4 + i);
      c.Pen.Color = bottomRight;
      c.MoveTo(27 - i, 4 + i);
      c.LineTo(27 - i, 27 - i);
      c.LineTo(3 + i, 27 - i);
    }
  };
  switch (type) {
    case 0:
      c.Pen.Color = clGray;
      c.Pen.Style = psDot;
      c.Brush.Style = bsClear;
      c.Rectangle(4, 4, 28, 28);
      c.Brush.Style = bsSolid;
      break;
    case 1: frame(clBtnShadow, clBtnHighlight); break;
    case 2: frame(clBtnHighlight, clBtnShadow); break;
    default: frame(clWindowText, clWindowText); break;
  }
  c.Pen.Style = psSolid;
}
}  // namespace

TfrmVLTableBrdr::TfrmVLTableBrdr(TComponent* AOwner) : TfrmVLBase(AOwner) {
  SetName("frmVLTableBrdr");
  SetBorderStyle(bsDialog);
  Position = poScreenCenter;
  HelpContext = 92200;
  SetBounds(0, 0, 380, 300);
  SetClientWidth(380);
  SetClientHeight(300);
  ImageList1 = new TCustomImageList(this, 32, 32);
  ImageList1->SetName("ImageList1");
  for (int k = 0; k < 4; ++k) {
    TBitmap bmp;
    bmp.SetSize(32, 32);
    DrawTableBorderType(*bmp.Canvas(), k);
    ImageList1->Add(&bmp, nullptr);
  }
  rgBorderType = PutControl<TVLOfficeRadioGroup>(this, this, "rgBorderType", 8, 6, 364, 100);
  rgBorderType->SetColumns(4);
  rgBorderType->SetSquare(true);
  rgBorderType->SetImages(ImageList1);
  for (int i = 0; i < 4; ++i) rgBorderType->AddItem("Item", i);
  rgBorderType->OnClick = [this](TObject* s) { rgBorderTypeClick(s); };
  gbTableBorder = PutControl<TGroupBox>(this, this, "gbTableBorder", 8, 112, 364, 144);
  lblTableBorderColor = PutControl<TLabel>(this, gbTableBorder, "lblTableBorderColor", 12, 24, 150, 16);
  cmbBorderColor = PutControl<TVLColorCombo>(this, gbTableBorder, "cmbBorderColor", 12, 44, 160, 24);
  cmbBorderColor->AutoColor = clWindowText;
  cmbBorderColor->SetIndeterminate(true);
  cmbBorderColor->OnColorChange = [this](TObject* s) { cmbBorderColorColorChange(s); };
  lblTableBorderLightColor = PutControl<TLabel>(this, gbTableBorder, "lblTableBorderLightColor", 12, 78, 150, 16);
  cmbBorderLightColor = PutControl<TVLColorCombo>(this, gbTableBorder, "cmbBorderLightColor", 12, 98, 160, 24);
  cmbBorderLightColor->AutoColor = clBtnFace;
  cmbBorderLightColor->SetIndeterminate(true);
  cmbBorderLightColor->OnColorChange = [this](TObject* s) { cmbBorderColorColorChange(s); };
  lblTableBorderWidth = PutControl<TLabel>(this, gbTableBorder, "lblTableBorderWidth", 190, 24, 160, 16);
  cmbBorderWidth = PutControl<TComboBox>(this, gbTableBorder, "cmbBorderWidth", 190, 44, 160, 34);
  cmbBorderWidth->SetStyle(csOwnerDrawFixed);
  cmbBorderWidth->SetItemHeight(30);
  cmbBorderWidth->SetDropDownCount(10);
  for (int i = 1; i <= 10; ++i) cmbBorderWidth->Items().Add(std::to_string(i));
  cmbBorderWidth->OnSelect = [this](TObject* s) { cmbBorderWidthChange(s); };
  cmbBorderWidth->OnDrawItem = [this](TWinControl*, int Index, const TRect& Rect, TOwnerDrawState State) {
    const TColor shadow = cmbBorderColor->GetChosenColor(), light = cmbBorderLightColor->GetChosenColor();
    TColor topLeft = light, bottomRight = shadow;
    switch (rgBorderType->GetItemIndex()) {
      case 0:
      case 3: topLeft = bottomRight = shadow; break;
      case 1: topLeft = shadow; bottomRight = light; break;
      default: break;
    }
    DrawBorderBoxSample(*cmbBorderWidth->Canvas(), Rect, Index, topLeft, bottomRight, State.Contains(odSelected));
  };
  lblTableBorderColor->SetFocusControl(cmbBorderColor);
  lblTableBorderLightColor->SetFocusControl(cmbBorderLightColor);
  lblTableBorderWidth->SetFocusControl(cmbBorderWidth);
  btnOk = PutControl<TButton>(this, this, "btnOk", 210, 264, 78, 28);
  btnOk->ModalResult = mrOk;
  btnOk->SetDefault(true);
  btnCancel = PutControl<TButton>(this, this, "btnCancel", 294, 264, 78, 28);
  btnCancel->ModalResult = mrCancel;
  btnCancel->Cancel = true;
  _cmbBorderWidth = cmbBorderWidth;
  _lblTableBorderColor = lblTableBorderColor;
  _lblTableBorderLightColor = lblTableBorderLightColor;
}

void TfrmVLTableBrdr::Localize() {
  TfrmVLBase::Localize();
  btnOk->SetText(LanguageText(195));
  btnCancel->SetText(LanguageText(196));
  SetFormCaption(LanguageText(525));
  gbTableBorder->SetText(LanguageTextPadded(526));
  lblTableBorderColor->SetText(LanguageText(527));
  lblTableBorderLightColor->SetText(LanguageText(528));
  lblTableBorderWidth->SetText(LanguageText(530));
  rgBorderType->SetText(LanguageText(531));
  for (int i = 0; i < 4; ++i) {
    rgBorderType->Item(i).Caption = LanguageText(static_cast<Word>(532 + i));
    rgBorderType->ItemChanged(i);
  }
  if (rgBorderType->GetItemIndex() != 3) lblTableBorderColor->SetText(LanguageText(529));
}

void TfrmVLTableBrdr::SetBorder(TVLTableBorderStyle Style, TColor LightColor, TColor Color, Integer Width) {
  FUpdating = true;
  FLoadedStyle = Style;
  FLoadedWidth = Width;
  FColorsPicked = false;
  if (Style == vltbRaised || Style == vltbLowered) {
    cmbBorderColor->SetChosenColor(cmbBorderColor->AutoColor);
    cmbBorderLightColor->SetChosenColor(cmbBorderLightColor->AutoColor);
  } else {
    cmbBorderColor->SetChosenColor(Color);
    cmbBorderLightColor->SetChosenColor(LightColor);
  }
  if (Width <= 0) {
    rgBorderType->SetItemIndex(0);
  } else {
    cmbBorderWidth->SetItemIndex(Width - 1 < cmbBorderWidth->Items().Count() ? Width - 1 : -1);
    switch (Style) {
      case vltbRaised:
      case vltbRaisedColor: rgBorderType->SetItemIndex(2); break;
      case vltbLowered:
      case vltbLoweredColor: rgBorderType->SetItemIndex(1); break;
      default: rgBorderType->SetItemIndex(3); break;
    }
  }
  FUpdating = false;
}

void TfrmVLTableBrdr::GetBorder(TVLTableBorderStyle& Style, TColor& LightColor, TColor& Color, Integer& Width) {
  const int type = rgBorderType->GetItemIndex();
  if (type == 0) {
    Width = 0;
    return;
  }
  if (cmbBorderWidth->GetItemIndex() >= 0) Width = cmbBorderWidth->GetItemIndex() + 1;
  if (Width == 0) Width = 1;
  const bool autoColors = cmbBorderColor->GetChosenColor() == cmbBorderColor->AutoColor &&
                          cmbBorderLightColor->GetChosenColor() == cmbBorderLightColor->AutoColor;
  auto threeD = [&](TVLTableBorderStyle plain, TVLTableBorderStyle coloured) {
    // A coloured border keeps its colours unless the user chose new ones.
    if (autoColors && (FColorsPicked || FLoadedStyle != coloured)) {
      Style = plain;
      return;
    }
    Style = coloured;
    LightColor = cmbBorderLightColor->GetChosenColor();
    Color = cmbBorderColor->GetChosenColor();
  };
  switch (type) {
    case 1: threeD(vltbLowered, vltbLoweredColor); break;
    case 2: threeD(vltbRaised, vltbRaisedColor); break;
    case 3:
      Style = vltbColor;
      Color = cmbBorderColor->GetChosenColor();
      break;
    default: break;
  }
}

void TfrmVLTableBrdr::Activate() {
  TfrmVLBase::Activate();
  cmbBorderColor->SetColorDialog(ColorDialog);
  cmbBorderLightColor->SetColorDialog(ColorDialog);
  // Only the first time: the dialog activates again after the colour
  // dialog closes, and that must not reset what the user chose.
  if (FActivated) return;
  FActivated = true;
  UpdateTypeControls(false);
}

void TfrmVLTableBrdr::UpdateTypeControls(bool pickWidth) {
  if (FUpdating) return;
  FUpdating = true;
  const int type = rgBorderType->GetItemIndex();
  if (type == 0) cmbBorderWidth->SetItemIndex(-1);
  else if (pickWidth && cmbBorderWidth->GetItemIndex() < 0 && FLoadedWidth <= 0) cmbBorderWidth->SetItemIndex(0);
  const bool flat = type == 3;
  lblTableBorderColor->SetText(LanguageText(flat ? 527 : 529));
  lblTableBorderLightColor->SetVisible(!flat);
  cmbBorderLightColor->SetVisible(!flat);
  cmbBorderWidth->Invalidate();
  FUpdating = false;
}

void TfrmVLTableBrdr::rgBorderTypeClick(TObject*) {
  // A width above the list's last entry stays as it is until the user
  // picks one, so that merely confirming never narrows the border.
  if (GetVisible()) UpdateTypeControls(true);
}

void TfrmVLTableBrdr::cmbBorderColorColorChange(TObject*) {
  if (!GetVisible()) return;
  FColorsPicked = true;
  cmbBorderWidth->Invalidate();
  if (rgBorderType->GetItemIndex() < 1) rgBorderType->SetItemIndex(1);
}

void TfrmVLTableBrdr::cmbBorderWidthChange(TObject*) {
  if (!GetVisible() || FUpdating) return;
  if (rgBorderType->GetItemIndex() < 1) rgBorderType->SetItemIndex(1);
}

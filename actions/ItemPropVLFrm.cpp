#include "actions/ItemPropVLFrm.h"

#include "actions/FourSidesVLFrm.h"
#include "actions/TableBackVLFrm.h"
#include "actions/TableBrdrVLFrm.h"
#include "actions/VLALocalize.h"
#include "actions/VLActionsInsert.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/CommonDialogs.h"
#include "richtext/model/VLItem.h"

#include <cmath>

namespace {
TTabSheet* Page(TPageControl* pc, TComponent* owner, const char* name) {
  auto* t = new TTabSheet(owner);
  t->SetName(name);
  t->SetPageControl(pc);
  return t;
}

TComboBox* UnitCombo(TWinControl* parent, TComponent* owner, const char* name, Integer left, Integer top) {
  auto* c = PutControl<TComboBox>(owner, parent, name, left, top, 110, 24);
  c->SetStyle(csDropDownList);
  return c;
}

// Nearest integer, halves to the even neighbour.
Integer RoundEven(double v) { return static_cast<Integer>(std::nearbyint(v)); }

TGraphic* PreviewGraphic(TImage* img) { return img->Picture().GetGraphic(); }
}  // namespace

TfrmVLItemProp::TfrmVLItemProp(TComponent* AOwner) : TfrmVLBase(AOwner) {
  SetName("frmVLItemProp");
  SetBorderStyle(bsDialog);
  Position = poScreenCenter;
  KeyPreview = true;
  // Room for the table pages, the largest.
  SetClientWidth(464);
  SetClientHeight(450);
  pc = PutControl<TPageControl>(this, this, "pc", 8, 8, 448, 400);
  tsImage = Page(pc, this, "tsImage");
  tsImgLayout = Page(pc, this, "tsImgLayout");
  tsBreak = Page(pc, this, "tsBreak");

  lblPreview = PutControl<TLabel>(this, tsImage, "lblPreview", 8, 8, 160, 16);
  Panel1 = PutControl<TPanel>(this, tsImage, "Panel1", 8, 28, 160, 140);
  Panel1->SetBevelOuter(bvNone);
  Panel1->SetBorderStyle(bsSingle);
  Panel1->SetColor(clBtnShadow);
  img = PutControl<TImage>(this, Panel1, "img", 0, 0, 158, 138);
  img->SetAlign(alClient);
  img->SetCenter(true);
  img->SetStretch(true);
  img->SetProportional(true);
  img->OnDblClick = [this](TObject* s) { btnChangeImageClick(s); };
  btnChangeImage = PutControl<TButton>(this, tsImage, "btnChangeImage", 8, 176, 100, 28);
  btnChangeImage->OnClick = [this](TObject* s) { btnChangeImageClick(s); };
  gbTransp = PutControl<TGroupBox>(this, tsImage, "gbTransp", 180, 28, 188, 120);
  cbTransp = PutControl<TCheckBox>(this, gbTransp, "cbTransp", 10, 24, 170, 22);
  lblTrColor = PutControl<TLabel>(this, gbTransp, "lblTrColor", 10, 54, 170, 16);
  cmbColor = PutControl<TVLColorCombo>(this, gbTransp, "cmbColor", 10, 74, 168, 24);
  cmbColor->SetIndeterminate(true);
  cmbColor->OnColorChange = [this](TObject* s) { cmbColorColorChange(s); };
  lblTrColor->SetFocusControl(cmbColor);

  gbVAlign = PutControl<TGroupBox>(this, tsImgLayout, "gbVAlign", 8, 8, 360, 96);
  lblAlignTo = PutControl<TLabel>(this, gbVAlign, "lblAlignTo", 10, 28, 80, 16);
  cmbAlignTo = PutControl<TComboBox>(this, gbVAlign, "cmbAlignTo", 96, 24, 252, 24);
  cmbAlignTo->SetStyle(csDropDownList);
  lblVShift = PutControl<TLabel>(this, gbVAlign, "lblVShift", 10, 62, 80, 16);
  seVShift = PutControl<TVLSpinEdit>(this, gbVAlign, "seVShift", 96, 58, 80, 24);
  seVShift->MinValue = -500;
  seVShift->MaxValue = 500;
  seVShift->SetIndeterminate(true);
  cmbVShiftType = UnitCombo(gbVAlign, this, "cmbVShiftType", 182, 58);
  cmbVShiftType->OnSelect = [this](TObject*) {
    TGraphic* g = PreviewGraphic(img);
    SwitchUnit(seVShift, cmbVShiftType, g ? g->GetHeight() : 0, FVShiftUnit);
  };
  lblAlignTo->SetFocusControl(cmbAlignTo);
  lblVShift->SetFocusControl(seVShift);
  gbSize = PutControl<TGroupBox>(this, tsImgLayout, "gbSize", 8, 112, 360, 120);
  lblWidth = PutControl<TLabel>(this, gbSize, "lblWidth", 10, 28, 80, 16);
  seWidth = PutControl<TVLSpinEdit>(this, gbSize, "seWidth", 96, 24, 80, 24);
  cmbWType = UnitCombo(gbSize, this, "cmbWType", 182, 24);
  lblHeight = PutControl<TLabel>(this, gbSize, "lblHeight", 10, 62, 80, 16);
  seHeight = PutControl<TVLSpinEdit>(this, gbSize, "seHeight", 96, 58, 80, 24);
  cmbHType = UnitCombo(gbSize, this, "cmbHType", 182, 58);
  lblDefSize = PutControl<TLabel>(this, gbSize, "lblDefSize", 10, 92, 330, 16);
  for (TVLSpinEdit* se : {seWidth, seHeight}) {
    se->MinValue = 1;
    se->MaxValue = 500;
    se->SetValue(1);
    se->SetIndeterminate(true);
  }
  cmbWType->OnSelect = [this](TObject*) {
    TGraphic* g = PreviewGraphic(img);
    SwitchUnit(seWidth, cmbWType, g ? g->GetWidth() : 0, FWUnit);
  };
  cmbHType->OnSelect = [this](TObject*) {
    TGraphic* g = PreviewGraphic(img);
    SwitchUnit(seHeight, cmbHType, g ? g->GetHeight() : 0, FHUnit);
  };
  lblWidth->SetFocusControl(seWidth);
  lblHeight->SetFocusControl(seHeight);

  gbBreak = PutControl<TGroupBox>(this, tsBreak, "gbBreak", 8, 8, 360, 100);
  lblBreakColor = PutControl<TLabel>(this, gbBreak, "lblBreakColor", 10, 28, 80, 16);
  cmbBreakColor = PutControl<TVLColorCombo>(this, gbBreak, "cmbBreakColor", 96, 24, 200, 24);
  cmbBreakColor->AutoColor = clWindowText;
  cmbBreakColor->SetIndeterminate(true);
  cmbBreakColor->OnColorChange = [this](TObject*) { cmbWidth->Invalidate(); };
  lblBreakWidth = PutControl<TLabel>(this, gbBreak, "lblBreakWidth", 10, 62, 80, 16);
  cmbWidth = PutControl<TComboBox>(this, gbBreak, "cmbWidth", 96, 58, 200, 24);
  cmbWidth->SetStyle(csOwnerDrawFixed);
  cmbWidth->SetItemHeight(16);
  for (int i = 1; i <= 6; ++i) cmbWidth->Items().Add(std::to_string(i));
  cmbWidth->OnDrawItem = [this](TWinControl*, int Index, const TRect& Rect, TOwnerDrawState State) {
    DrawBorderLineSample(*cmbWidth->Canvas(), Rect, Index, cmbBreakColor->GetChosenColor(), State.Contains(odSelected));
  };
  lblBreakColor->SetFocusControl(cmbBreakColor);
  lblBreakWidth->SetFocusControl(cmbWidth);

  MakeTablePages();

  btnOk = PutControl<TButton>(this, this, "btnOk", 290, 414, 80, 28);
  btnOk->ModalResult = mrOk;
  btnOk->SetDefault(true);
  btnCancel = PutControl<TButton>(this, this, "btnCancel", 376, 414, 80, 28);
  btnCancel->ModalResult = mrCancel;
  btnCancel->Cancel = true;
}

void TfrmVLItemProp::Localize() {
  TfrmVLBase::Localize();
  btnOk->SetText(LanguageText(195));
  btnCancel->SetText(LanguageText(196));
  SetFormCaption(LanguageText(361));
  tsImage->SetText(LanguageTextPadded(362));
  tsImgLayout->SetText(LanguageTextPadded(363));
  tsBreak->SetText(LanguageTextPadded(364));
  lblPreview->SetText(LanguageText(368));
  gbTransp->SetText(LanguageTextPadded(369));
  cbTransp->SetText(LanguageText(370));
  lblTrColor->SetText(LanguageText(371));
  btnChangeImage->SetText(LanguageText(372));
  cmbColor->DefaultCaption = LanguageText(373);
  gbVAlign->SetText(LanguageTextPadded(374));
  lblAlignTo->SetText(LanguageText(375));
  cmbAlignTo->Items().Clear();
  cmbAlignTo->Items().Add(LanguageText(376));
  cmbAlignTo->Items().Add(LanguageText(377));
  lblVShift->SetText(LanguageText(378));
  gbSize->SetText(LanguageTextPadded(379));
  lblWidth->SetText(LanguageText(380));
  lblHeight->SetText(LanguageText(381));
  for (TComboBox* c : {cmbVShiftType, cmbWType, cmbHType}) {
    const int index = c->GetItemIndex();
    c->Items().Clear();
    c->Items().Add(LanguageText(203));
    c->Items().Add(LanguageText(204));
    c->SetItemIndex(index);
  }
  gbBreak->SetText(LanguageTextPadded(383));
  lblBreakColor->SetText(LanguageText(384));
  lblBreakWidth->SetText(LanguageText(385));
  LocalizeTablePages();
}

void TfrmVLItemProp::DoShow() {
  for (TVLColorCombo* c : {cmbColor, cmbBreakColor}) c->SetColorDialog(ColorDialog);
  TfrmVLBase::DoShow();
}

void TfrmVLItemProp::ShowPicture() {
  TGraphic* g = PreviewGraphic(img);
  const Integer w = g ? g->GetWidth() : 0, h = g ? g->GetHeight() : 0;
  img->SetStretch(w > img->GetWidth() || h > img->GetHeight());
  lblDefSize->SetText(FormatLanguageText(382, {w, h}));
  gbTransp->SetVisible(dynamic_cast<TBitmap*>(g) != nullptr);
}

bool TfrmVLItemProp::LoadItem(TVLActionEditor* Editor) {
  TCustomVLItemInfo* item = Editor ? Editor->GetCurrentItem() : nullptr;
  for (TTabSheet* t : {tsTable, tsRows, tsCells}) HideTabSheet(t);
  if (auto* picture = dynamic_cast<TVLGraphicItemInfo*>(item)) {
    HelpContext = 90800;
    HideTabSheet(tsBreak);
    SetActivePage(pc, tsImage);
    img->Picture().SetGraphic(picture->GetGraphic());
    if (auto* bmp = dynamic_cast<TBitmap*>(picture->GetGraphic())) {
      cbTransp->SetChecked(bmp->GetTransparent());
      cmbColor->SetChosenColor(bmp->GetTransparentMode() == tmAuto ? cmbColor->AutoColor : bmp->GetTransparentColor());
    }
    ShowPicture();
    cmbAlignTo->SetItemIndex(picture->VAlign == vlvaMiddle ? 1 : 0);
    seVShift->SetValue(picture->VShift);
    FVShiftUnit = picture->VShiftAbs ? 1 : 0;
    cmbVShiftType->SetItemIndex(FVShiftUnit);
    FWUnit = FHUnit = 1;
    cmbWType->SetItemIndex(1);
    cmbHType->SetItemIndex(1);
    Integer v = 0;
    if (picture->GetExtraIntProperty(vleipImageWidth, v) && v != 0) seWidth->SetValue(v);
    if (picture->GetExtraIntProperty(vleipImageHeight, v) && v != 0) seHeight->SetValue(v);
    gbSize->SetVisible(dynamic_cast<TIcon*>(picture->GetGraphic()) == nullptr);
    return true;
  }
  if (auto* line = dynamic_cast<TVLBreakItemInfo*>(item)) {
    HelpContext = 90900;
    HideTabSheet(tsImage);
    HideTabSheet(tsImgLayout);
    SetActivePage(pc, tsBreak);
    cmbBreakColor->SetChosenColor(line->Color);
    cmbWidth->SetItemIndex(std::clamp<Integer>(line->LineWidth - 1, 0, 5));
    return true;
  }
  return false;
}

void TfrmVLItemProp::cmbColorColorChange(TObject*) {
  if (GetVisible()) cbTransp->SetChecked(true);
}

void TfrmVLItemProp::SwitchUnit(TVLSpinEdit* Edit, TComboBox* Unit, Integer OwnSize, int& LastUnit) {
  const int now = Unit->GetItemIndex();
  if (now == LastUnit) return;
  LastUnit = now;
  if (OwnSize == 0 || Edit->GetIndeterminate()) return;
  const double v = Edit->GetValue();
  Edit->SetValue(RoundEven(now == 0 ? v * 100 / OwnSize : OwnSize * v / 100));
}

void TfrmVLItemProp::btnChangeImageClick(TObject*) {
  TOpenPictureDialog dialog(this);
  if (!GraphicFilter.empty()) dialog.Filter = GraphicFilter;
  if (dialog.Execute()) {
    if (std::unique_ptr<TGraphic> g = LoadChosenPicture(dialog.FileName, MB_ICONEXCLAMATION))
      img->Picture().SetGraphic(std::move(g));
  }
  ShowPicture();
}

void TfrmVLItemProp::ApplyItem(TVLActionEditor* Editor0) {
  TVLActionEditor* E = Editor0->GetInnermostEditor();
  TCustomVLItemInfo* item = E->GetCurrentItem();
  const bool picture = dynamic_cast<TVLGraphicItemInfo*>(item) != nullptr;
  auto* line = dynamic_cast<TVLBreakItemInfo*>(item);
  if (!picture && !line) return;
  E->BeginUndoGroup(vlutModifyItem);
  E->SetUndoGroupMode(true);
  try {
    if (picture && PreviewGraphic(img)) {
      TGraphic* preview = PreviewGraphic(img);
      std::unique_ptr<TGraphic> g = CreateGraphicLike(*preview);
      g->Assign(preview);
      if (auto* bmp = dynamic_cast<TBitmap*>(g.get())) {
        bmp->SetTransparent(cbTransp->GetChecked());
        if (cmbColor->GetChosenColor() == cmbColor->AutoColor) {
          bmp->SetTransparentMode(tmAuto);
        } else {
          bmp->SetTransparentMode(tmFixed);
          bmp->SetTransparentColor(cmbColor->GetChosenColor());
        }
      }
      const Integer ownW = g->GetWidth(), ownH = g->GetHeight();
      E->SetCurrentPictureInfo(E->GetCurrentItemText(), std::move(g),
                               cmbAlignTo->GetItemIndex() == 1 ? vlvaMiddle : vlvaBaseline, E->GetCurrentTag());
      Integer measure = 0;
      E->SaveCurrentItemParaWidth(measure);
      // Sizes are stored in pixels; 0 is the picture's own size.
      auto size = [](TVLSpinEdit* se, TComboBox* unit, Integer own) -> Integer {
        if (se->GetIndeterminate()) return 0;
        const double v = se->GetValue();
        return RoundEven(unit->GetItemIndex() == 1 ? v : own * v / 100);
      };
      E->SetCurrentItemExtraIntProperty(vleipImageWidth, size(seWidth, cmbWType, ownW));
      E->SetCurrentItemExtraIntProperty(vleipImageHeight, size(seHeight, cmbHType, ownH));
      E->SetCurrentItemExtraIntProperty(vleipVShiftAbsolute, cmbVShiftType->GetItemIndex() == 0 ? 0 : 1);
      E->SetCurrentItemExtraIntProperty(vleipVShift,
                                        seVShift->GetIndeterminate() ? 0 : RoundEven(seVShift->GetValue()));
      E->ReformatAfterCurrentItemChange(measure);
      E->Change();
    } else if (line) {
      E->SetCurrentBreakInfo(static_cast<Byte>(std::max(cmbWidth->GetItemIndex(), 0) + 1), 0,
                             cmbBreakColor->GetChosenColor(), E->GetCurrentTag());
    }
  } catch (...) {
    E->SetUndoGroupMode(false);
    throw;
  }
  E->SetUndoGroupMode(false);
}

// ---------------------------------------------------------------------------
// The table pages.

namespace {
// Alignment pictures: 4 default, 5 top, 6 centre, 7 bottom (0-3 unused).
void DrawAlignment(TCanvas& c, int kind) {
  c.Brush.Color = clWindow;
  c.FillRect(TRect(0, 0, 32, 32));
  c.Pen.Color = clBtnShadow;
  c.Pen.Style = psSolid;
  c.Pen.Width = 1;
  c.Brush.Style = bsClear;
  c.Rectangle(3, 3, 29, 29);
  c.Brush.Style = bsSolid;
  c.Brush.Color = clWindowText;
  Integer top = 0;
  switch (kind) {
    case 5: top = 6; break;
    case 6: top = 13; break;
    case 7: top = 20; break;
    case 4: top = 13; c.Brush.Color = clGray; break;
    default: return;
  }
  c.FillRect(TRect(7, top, 25, top + 2));
  c.FillRect(TRect(7, top + 4, 20, top + 6));
}

// A side button's picture: a grey square with the side drawn dark.
void DrawSide(TBitmap& b, int side) {
  b.SetSize(16, 16);
  TCanvas& c = *b.Canvas();
  c.Brush.Color = clBtnFace;
  c.FillRect(TRect(0, 0, 16, 16));
  c.Pen.Color = clGray;
  c.Pen.Style = psDot;
  c.Brush.Style = bsClear;
  c.Rectangle(2, 2, 14, 14);
  c.Brush.Style = bsSolid;
  c.Brush.Color = clWindowText;
  switch (side) {
    case 0: c.FillRect(TRect(2, 2, 4, 14)); break;
    case 1: c.FillRect(TRect(2, 2, 14, 4)); break;
    case 2: c.FillRect(TRect(12, 2, 14, 14)); break;
    default: c.FillRect(TRect(2, 12, 14, 14)); break;
  }
}

std::unique_ptr<TGraphic> CopyGraphic(const TGraphic* g) {
  if (!g) return nullptr;
  try {
    std::unique_ptr<TGraphic> copy = VLCreateGraphicLike(*g);
    if (copy) copy->Assign(g);
    return copy;
  } catch (const std::exception&) {
    return nullptr;
  }
}

// A length shown as a number and a unit: pixels (1) or percent (0).
void ShowLength(Integer value, TVLSpinEdit* se, TComboBox* unit) {
  if (value > 0) {
    unit->SetItemIndex(1);
    se->SetValue(value);
  } else if (value < 0) {
    unit->SetItemIndex(0);
    se->SetValue(-value);
  }
}
}  // namespace

void TfrmVLItemProp::MakeTablePages() {
  tsTable = Page(pc, this, "tsTable");
  tsRows = Page(pc, this, "tsRows");
  tsCells = Page(pc, this, "tsCells");
  ImageList1 = new TCustomImageList(this, 32, 32);
  ImageList1->SetName("ImageList1");
  for (int k = 0; k < 8; ++k) {
    TBitmap bmp;
    bmp.SetSize(32, 32);
    DrawAlignment(*bmp.Canvas(), k);
    ImageList1->Add(&bmp, nullptr);
  }

  gbTableSize = PutControl<TGroupBox>(this, tsTable, "gbTableSize", 8, 6, 424, 190);
  lblTableWidth = PutControl<TLabel>(this, gbTableSize, "lblTableWidth", 10, 26, 194, 16);
  seTableWidth = PutControl<TVLSpinEdit>(this, gbTableSize, "seTableWidth", 210, 22, 80, 24);
  seTableWidth->MinValue = 1;
  seTableWidth->MaxValue = 1000;
  seTableWidth->SetValue(1);
  seTableWidth->SetIndeterminate(true);
  seTableWidth->OnChange = [this](TObject* s) { seTableWidthChange(s); };
  cmbTWType = UnitCombo(gbTableSize, this, "cmbTWType", 296, 22);
  lblTableColor = PutControl<TLabel>(this, gbTableSize, "lblTableColor", 10, 58, 194, 16);
  cmbTableColor = PutControl<TVLColorCombo>(this, gbTableSize, "cmbTableColor", 210, 54, 196, 24);
  cmbTableColor->SetIndeterminate(true);
  lblCellPadding = PutControl<TLabel>(this, gbTableSize, "lblCellPadding", 10, 90, 194, 16);
  seCellPadding = PutControl<TVLSpinEdit>(this, gbTableSize, "seCellPadding", 210, 86, 80, 24);
  seCellPadding->MinValue = 0;
  seCellPadding->MaxValue = 30;
  seCellPadding->SetIndeterminate(true);
  lblCellSpacing = PutControl<TLabel>(this, gbTableSize, "lblCellSpacing", 10, 122, 194, 16);
  seCellSpacing = PutControl<TVLSpinEdit>(this, gbTableSize, "seCellSpacing", 210, 118, 80, 24);
  seCellSpacing->MinValue = -1;
  seCellSpacing->MaxValue = 30;
  seCellSpacing->SetIndeterminate(true);
  seCellSpacing->OnChange = [this](TObject* s) { seCellSpacingChange(s); };
  btnSpacing = PutControl<TButton>(this, gbTableSize, "btnSpacing", 296, 116, 110, 28);
  btnSpacing->OnClick = [this](TObject* s) { btnSpacingClick(s); };
  btnTableBorder = PutControl<TButton>(this, gbTableSize, "btnTableBorder", 10, 152, 196, 28);
  btnTableBorder->OnClick = [this](TObject* s) { btnTableBorderClick(s); };
  btnCellBorder = PutControl<TButton>(this, gbTableSize, "btnCellBorder", 212, 152, 196, 28);
  btnCellBorder->OnClick = [this](TObject* s) { btnCellBordersClick(s); };
  // Above the spacing button, beside the padding.
  btnTableBack = PutControl<TButton>(this, gbTableSize, "btnTableBack", 296, 84, 110, 28);
  btnTableBack->OnClick = [this](TObject* s) { btnTableBackClick(s); };
  lblTableWidth->SetFocusControl(seTableWidth);
  lblTableColor->SetFocusControl(cmbTableColor);
  lblCellPadding->SetFocusControl(seCellPadding);
  lblCellSpacing->SetFocusControl(seCellSpacing);
  gbTablePrint = PutControl<TGroupBox>(this, tsTable, "gbTablePrint", 8, 202, 424, 130);
  cbNoSplit = PutControl<TCheckBox>(this, gbTablePrint, "cbNoSplit", 10, 22, 404, 22);
  lblHeadingRows = PutControl<TLabel>(this, gbTablePrint, "lblHeadingRows", 10, 54, 194, 16);
  seHRC = PutControl<TVLSpinEdit>(this, gbTablePrint, "seHRC", 210, 50, 80, 24);
  seHRC->MinValue = 0;
  seHRC->MaxValue = 1000;
  seHRC->SetIndeterminate(true);
  lblHeadingRows->SetFocusControl(seHRC);
  lblHeadingRowsTip = PutControl<TLabel>(this, gbTablePrint, "lblHeadingRowsTip", 10, 82, 404, 40);
  lblHeadingRowsTip->SetWordWrap(true);

  rgRowVAlign = PutControl<TVLOfficeRadioGroup>(this, tsRows, "rgRowVAlign", 8, 6, 300, 120);
  rgRowVAlign->SetColumns(3);
  rgRowVAlign->SetMargin(5);
  rgRowVAlign->SetTextAreaHeight(25);
  rgRowVAlign->SetSquare(true);
  rgRowVAlign->SetImages(ImageList1);
  for (int image : {5, 6, 7}) rgRowVAlign->AddItem("Item", image);

  gbCells = PutControl<TGroupBox>(this, tsCells, "gbCells", 8, 6, 424, 122);
  cbCellWidth = PutControl<TCheckBox>(this, gbCells, "cbCellWidth", 10, 22, 190, 22);
  cbCellWidth->SetChecked(true);
  seCellBestWidth = PutControl<TVLSpinEdit>(this, gbCells, "seCellBestWidth", 206, 20, 80, 24);
  seCellBestWidth->MinValue = 1;
  seCellBestWidth->MaxValue = 2000;
  seCellBestWidth->SetValue(1);
  seCellBestWidth->SetIndeterminate(true);
  seCellBestWidth->OnChange = [this](TObject* s) { seCellBestWidthChange(s); };
  cmbCellBWType = UnitCombo(gbCells, this, "cmbCellBWType", 292, 20);
  cbCellHeight = PutControl<TCheckBox>(this, gbCells, "cbCellHeight", 10, 52, 190, 22);
  cbCellHeight->SetChecked(true);
  seCellBestHeight = PutControl<TVLSpinEdit>(this, gbCells, "seCellBestHeight", 206, 50, 80, 24);
  seCellBestHeight->MinValue = 1;
  seCellBestHeight->MaxValue = 2000;
  seCellBestHeight->SetValue(1);
  seCellBestHeight->SetIndeterminate(true);
  lblPixels = PutControl<TLabel>(this, gbCells, "lblPixels", 292, 54, 110, 16);
  lblCellColor = PutControl<TLabel>(this, gbCells, "lblCellColor", 10, 88, 190, 16);
  cmbCellColor = PutControl<TVLColorCombo>(this, gbCells, "cmbCellColor", 206, 84, 110, 24);
  cmbCellColor->SetIndeterminate(true);
  lblCellColor->SetFocusControl(cmbCellColor);
  btnCellBack = PutControl<TButton>(this, gbCells, "btnCellBack", 322, 82, 96, 28);
  btnCellBack->OnClick = [this](TObject* s) { btnCellBackClick(s); };
  rgCellVAlign = PutControl<TVLOfficeRadioGroup>(this, tsCells, "rgCellVAlign", 8, 132, 424, 100);
  rgCellVAlign->SetColumns(4);
  rgCellVAlign->SetMargin(5);
  rgCellVAlign->SetTextAreaHeight(25);
  rgCellVAlign->SetSquare(true);
  rgCellVAlign->SetImages(ImageList1);
  for (int image : {5, 6, 7, 4}) rgCellVAlign->AddItem("Item", image);
  gbCellBorder = PutControl<TGroupBox>(this, tsCells, "gbCellBorder", 8, 236, 424, 86);
  lblVS = PutControl<TLabel>(this, gbCellBorder, "lblVS", 10, 22, 120, 16);
  int side = 0;
  const int groups[4] = {3, 1, 4, 2};  // left, top, right, bottom
  TSpeedButton** buttons[4] = {&btnLeft, &btnTop, &btnRight, &btnBottom};
  const char* names[4] = {"btnLeft", "btnTop", "btnRight", "btnBottom"};
  for (side = 0; side < 4; ++side) {
    TSpeedButton* b = PutControl<TSpeedButton>(this, gbCellBorder, names[side], 10 + side * 28, 44, 26, 26);
    b->SetGroupIndex(groups[side]);
    b->SetAllowAllUp(true);
    DrawSide(b->Glyph(), side);
    b->GlyphChanged();
    b->OnClick = [this](TObject* s) { btnTopClick(s); };
    // The keyboard reaches the sides (Space toggles one), from the label too.
    b->SetTakesFocus(true);
    *buttons[side] = b;
  }
  lblVS->SetFocusControl(btnLeft);
  Bevel2 = PutControl<TBevel>(this, gbCellBorder, "Bevel2", 130, 18, 2, 60);
  Bevel2->SetShape(bsLeftLine);
  lblCellBorderColor = PutControl<TLabel>(this, gbCellBorder, "lblCellBorderColor", 140, 22, 130, 16);
  cmbCellBorderColor = PutControl<TVLColorCombo>(this, gbCellBorder, "cmbCellBorderColor", 140, 44, 130, 24);
  cmbCellBorderColor->AutoColor = clWindowText;
  cmbCellBorderColor->SetIndeterminate(true);
  cmbCellBorderColor->OnColorChange = [this](TObject*) {
    if (!cmbCellBorderColor->GetIndeterminate())
      ShadowColorAuto = cmbCellBorderColor->GetChosenColor() == cmbCellBorderColor->AutoColor;
  };
  lblCellBorderLightColor = PutControl<TLabel>(this, gbCellBorder, "lblCellBorderLightColor", 280, 22, 130, 16);
  cmbCellBorderLightColor = PutControl<TVLColorCombo>(this, gbCellBorder, "cmbCellBorderLightColor", 280, 44, 130, 24);
  cmbCellBorderLightColor->AutoColor = clBtnFace;
  cmbCellBorderLightColor->SetIndeterminate(true);
  cmbCellBorderLightColor->OnColorChange = [this](TObject*) {
    if (!cmbCellBorderLightColor->GetIndeterminate())
      LightColorAuto = cmbCellBorderLightColor->GetChosenColor() == cmbCellBorderLightColor->AutoColor;
  };
  lblCellBorderColor->SetFocusControl(cmbCellBorderColor);
  lblCellBorderLightColor->SetFocusControl(cmbCellBorderLightColor);
}

void TfrmVLItemProp::LocalizeTablePages() {
  tsTable->SetText(LanguageTextPadded(365));
  tsRows->SetText(LanguageTextPadded(366));
  tsCells->SetText(LanguageTextPadded(367));
  gbTableSize->SetText(LanguageTextPadded(386));
  lblTableWidth->SetText(LanguageText(387));
  lblTableColor->SetText(LanguageText(388));
  lblCellPadding->SetText(LanguageText(389));
  lblCellSpacing->SetText(LanguageText(390));
  btnTableBorder->SetText(LanguageText(392));
  btnCellBorder->SetText(LanguageText(393));
  btnSpacing->SetText(LanguageText(391));
  gbTablePrint->SetText(LanguageTextPadded(396));
  cbNoSplit->SetText(LanguageText(397));
  lblHeadingRows->SetText(LanguageText(398));
  lblHeadingRowsTip->SetText(LanguageText(399));
  for (TComboBox* c : {cmbTWType, cmbCellBWType}) {
    const int index = c->GetItemIndex();
    c->Items().Clear();
    c->Items().Add(LanguageText(203));
    c->Items().Add(LanguageText(204));
    c->SetItemIndex(index);
  }
  for (TVLOfficeRadioGroup* rg : {rgRowVAlign, rgCellVAlign}) {
    rg->SetText(LanguageTextPadded(374));
    for (int i = 0; i < rg->ItemCount(); ++i) {
      rg->Item(i).Caption = LanguageText(static_cast<Word>(400 + i));
      rg->ItemChanged(i);
    }
  }
  gbCells->SetText(LanguageTextPadded(404));
  cbCellWidth->SetText(LanguageText(405));
  cbCellHeight->SetText(LanguageText(406));
  lblCellColor->SetText(LanguageText(407));
  lblPixels->SetText(LanguageText(204));
  gbCellBorder->SetText(LanguageTextPadded(408));
  lblVS->SetText(LanguageText(409));
  btnTop->SetHint(LanguageText(206) + " (Ctrl+T)|");
  btnLeft->SetHint(LanguageText(205) + " (Ctrl+L)|");
  btnBottom->SetHint(LanguageText(208) + " (Ctrl+B)|");
  btnRight->SetHint(LanguageText(207) + " (Ctrl+R)|");
  lblCellBorderColor->SetText(LanguageText(CellBorderStyle == vltbColor ? 412 : 410));
  lblCellBorderLightColor->SetText(LanguageText(411));
  btnCellBack->SetText(LanguageText(413));
  btnTableBack->SetText(LanguageText(413));
}

void TfrmVLItemProp::WalkCells(TVLTableItemInfo* Table, const std::function<void(Integer, Integer)>& cell,
                               const std::function<void(Integer)>& afterRow) {
  Integer er = -1, ec = -1;
  const TVLTableCellData* edited = Table->GetEditedCell(er, ec) ? Table->GetCell(er, ec) : nullptr;
  for (Integer r = 0; r < Table->RowCount(); ++r) {
    bool counted = false;
    for (Integer c = 0; c < Table->Rows.GetRow(r)->Count(); ++c) {
      const TVLTableCellData* d = Table->GetCell(r, c);
      if (!d || (!Table->IsCellSelected(r, c) && d != edited)) continue;
      counted = true;
      cell(r, c);
    }
    if (counted) afterRow(r);
  }
}

void TfrmVLItemProp::ShowCommonSpacing() {
  if (CellHSpacing == CellVSpacing && BorderHSpacing == BorderVSpacing && CellHSpacing == BorderHSpacing)
    seCellSpacing->SetValue(CellHSpacing);
  else
    seCellSpacing->SetIndeterminate(true);
}

void TfrmVLItemProp::LoadTable(TVLTableItemInfo* T, bool TableOnly) {
  HelpContext = 91000;
  for (TTabSheet* t : {tsBreak, tsImage, tsImgLayout}) HideTabSheet(t);
  if (TableOnly) {
    HideTabSheet(tsCells);
    HideTabSheet(tsRows);
  }
  SetActivePage(pc, tsTable);
  AutomaticTableWidth = T->BestWidth == 0;
  // Automatic: its columns' total in pixels, or the whole width available.
  ShowLength(!AutomaticTableWidth ? T->BestWidth : T->SizedByColumns() ? std::max<Integer>(1, T->GetWidth()) : -100,
             seTableWidth, cmbTWType);
  ShownTableWidth = RoundEven(seTableWidth->GetValue());
  ShownTableWidthUnit = cmbTWType->GetItemIndex();
  cbNoSplit->SetChecked(!T->PrintOptions.Contains(vltoRowsSplit));
  seHRC->SetValue(T->HeadingRowCount);
  cmbTableColor->SetChosenColor(T->Color);
  seCellPadding->SetValue(T->CellPadding);
  CellHSpacing = T->CellHSpacing;
  CellVSpacing = T->CellVSpacing;
  TableBackStyle = T->BackgroundStyle;
  TableBackImage = CopyGraphic(T->GetBackgroundImage());
  TableBackChanged = false;
  BorderHSpacing = T->BorderHSpacing;
  BorderVSpacing = T->BorderVSpacing;
  ShowCommonSpacing();
  BorderWidth = T->BorderWidth;
  BorderStyle = T->BorderStyle;
  BorderColor = T->BorderColor;
  BorderLightColor = T->BorderLightColor;
  CellBorderWidth = T->CellBorderWidth;
  CellBorderColor = T->CellBorderColor;
  CellBorderLightColor = T->CellBorderLightColor;
  CellBorderStyle = T->CellBorderStyle;
  if (TableOnly) return;
  Integer top, left, cols, rows;
  if (!T->GetNormalizedSelectionBounds(true, top, left, cols, rows)) {
    HideTabSheet(tsCells);
    HideTabSheet(tsRows);
    return;
  }
  ShadowColorAuto = LightColorAuto = true;
  Integer er = -1, ec = -1;
  if (T->GetEditedCell(er, ec) && T->GetCell(er, ec)) {
    const TVLTableCellData* cell = T->GetCell(er, ec);
    CellBackStyle = cell->GetBackgroundStyle();
    CellBackImage = CopyGraphic(cell->GetBackgroundImage());
  }
  const TVLTableCellData* first = nullptr;
  bool firstRow = true;
  TSpeedButton* sides[4] = {btnLeft, btnTop, btnRight, btnBottom};
  auto sideOf = [](const TVLBooleanRect& v, int i) {
    return i == 0 ? v.Left : i == 1 ? v.Top : i == 2 ? v.Right : v.Bottom;
  };
  WalkCells(
      T,
      [&](Integer r, Integer c) {
        const TVLTableCellData* cell = T->GetCell(r, c);
        if (!CellBackImage) {
          CellBackStyle = cell->GetBackgroundStyle();
          CellBackImage = CopyGraphic(cell->GetBackgroundImage());
        }
        if (!first) {
          first = cell;
          ShowLength(cell->BestWidth, seCellBestWidth, cmbCellBWType);
          if (cell->BestHeight > 0) seCellBestHeight->SetValue(cell->BestHeight);
          cmbCellColor->SetChosenColor(cell->Color);
          rgCellVAlign->SetItemIndex(static_cast<Integer>(cell->VAlign));
          for (int i = 0; i < 4; ++i) sides[i]->SetDown(sideOf(cell->VisibleBorders, i));
          cmbCellBorderColor->SetChosenColor(cell->BorderColor);
          cmbCellBorderLightColor->SetChosenColor(cell->BorderLightColor);
          ShadowColorAuto = cell->BorderColor == clNone;
          LightColorAuto = cell->BorderLightColor == clNone;
          return;
        }
        if (cell->BestWidth != first->BestWidth) cbCellWidth->SetState(cbGrayed);
        if (cell->BestHeight != first->BestHeight) cbCellHeight->SetState(cbGrayed);
        if (cell->Color != first->Color) cmbCellColor->SetIndeterminate(true);
        if (cell->VAlign != first->VAlign) rgCellVAlign->SetItemIndex(-1);
        for (int i = 0; i < 4; ++i)
          if (sideOf(cell->VisibleBorders, i) != sideOf(first->VisibleBorders, i)) {
            sides[i]->SetDown(false);
            sides[i]->SetFlat(true);
          }
        if (cell->BorderColor != first->BorderColor) {
          cmbCellBorderColor->SetIndeterminate(true);
          ShadowColorAuto = false;
        }
        if (cell->BorderLightColor != first->BorderLightColor) {
          cmbCellBorderLightColor->SetIndeterminate(true);
          LightColorAuto = false;
        }
      },
      [&](Integer r) {
        const TVLCellVAlign a = T->Rows.GetRow(r)->VAlign;
        const int choice = a == vlcMiddle ? 1 : a == vlcBottom ? 2 : 0;
        if (firstRow) rgRowVAlign->SetItemIndex(choice);
        else if (rgRowVAlign->GetItemIndex() != choice) rgRowVAlign->SetItemIndex(-1);
        firstRow = false;
      });
  UpdateCellBorderControls();
}

void TfrmVLItemProp::UpdateCellBorderControls() {
  if (CellBorderWidth == 0) {
    gbCellBorder->SetVisible(false);
    return;
  }
  gbCellBorder->SetVisible(true);
  switch (CellBorderStyle) {
    case vltbRaised:
    case vltbLowered:
      for (TControl* c : {static_cast<TControl*>(lblCellBorderColor), static_cast<TControl*>(cmbCellBorderColor),
                          static_cast<TControl*>(lblCellBorderLightColor),
                          static_cast<TControl*>(cmbCellBorderLightColor)})
        c->SetVisible(false);
      break;
    case vltbColor:
      lblCellBorderColor->SetVisible(true);
      cmbCellBorderColor->SetVisible(true);
      lblCellBorderLightColor->SetVisible(false);
      cmbCellBorderLightColor->SetVisible(false);
      cmbCellBorderColor->AutoColor = CellBorderColor;
      lblCellBorderColor->SetText(LanguageText(412));
      if (ShadowColorAuto && !cmbCellBorderColor->GetIndeterminate())
        cmbCellBorderColor->SetChosenColor(cmbCellBorderColor->AutoColor);
      break;
    default:
      for (TControl* c : {static_cast<TControl*>(lblCellBorderColor), static_cast<TControl*>(cmbCellBorderColor),
                          static_cast<TControl*>(lblCellBorderLightColor),
                          static_cast<TControl*>(cmbCellBorderLightColor)})
        c->SetVisible(true);
      cmbCellBorderColor->AutoColor = CellBorderColor;
      cmbCellBorderLightColor->AutoColor = CellBorderLightColor;
      lblCellBorderColor->SetText(LanguageText(410));
      if (ShadowColorAuto && !cmbCellBorderColor->GetIndeterminate())
        cmbCellBorderColor->SetChosenColor(cmbCellBorderColor->AutoColor);
      if (LightColorAuto && !cmbCellBorderLightColor->GetIndeterminate())
        cmbCellBorderLightColor->SetChosenColor(cmbCellBorderLightColor->AutoColor);
      break;
  }
}

void TfrmVLItemProp::seTableWidthChange(TObject*) {
  if (GetVisible() && !seTableWidth->GetIndeterminate() && cmbTWType->GetItemIndex() < 0) cmbTWType->SetItemIndex(1);
}

void TfrmVLItemProp::seCellSpacingChange(TObject*) {
  if (!GetVisible() || seCellSpacing->GetIndeterminate()) return;
  CellHSpacing = CellVSpacing = BorderHSpacing = BorderVSpacing = RoundEven(seCellSpacing->GetValue());
}

void TfrmVLItemProp::seCellBestWidthChange(TObject*) {
  if (GetVisible() && !seCellBestWidth->GetIndeterminate()) cmbCellBWType->SetItemIndex(1);
}

void TfrmVLItemProp::btnTopClick(TObject* Sender) {
  if (auto* b = dynamic_cast<TSpeedButton*>(Sender)) b->SetFlat(false);
}

bool TfrmVLItemProp::DoKeyDown(Word& Key, TShiftState Shift) {
  FormKeyDown(Key, Shift);
  return TfrmVLBase::DoKeyDown(Key, Shift);
}

void TfrmVLItemProp::FormKeyDown(Word& Key, TShiftState Shift) {
  if (IsTabSheetVisible(tsCells) && gbCellBorder->GetVisible() && Shift.Contains(ssCtrl)) {
    TSpeedButton* b = Key == 'T'   ? btnTop
                      : Key == 'L' ? btnLeft
                      : Key == 'R' ? btnRight
                      : Key == 'B' ? btnBottom
                                   : nullptr;
    if (b) {
      b->SetDown(!b->GetDown());
      if (b->OnClick) b->OnClick(b);
    }
  }
}

void TfrmVLItemProp::btnSpacingClick(TObject*) {
  std::unique_ptr<TfrmVLSpacing> dlg(CreateVLForm<TfrmVLSpacing>(Application));
  dlg->SetValues(BorderHSpacing, CellHSpacing, BorderVSpacing, CellVSpacing, true, true, true, true);
  if (dlg->ShowModal() != mrOk) return;
  Integer l = 0, t = 0, r = 0, b = 0;
  bool ld = false, td = false, rd = false, bd = false;
  dlg->GetValues(l, t, r, b, ld, td, rd, bd);
  if (ld) BorderHSpacing = l;
  if (td) CellHSpacing = t;
  if (rd) BorderVSpacing = r;
  if (bd) CellVSpacing = b;
  ShowCommonSpacing();
}

void TfrmVLItemProp::btnTableBorderClick(TObject*) {
  std::unique_ptr<TfrmVLTableBrdr> dlg(CreateVLForm<TfrmVLTableBrdr>(Application));
  dlg->ColorDialog = ColorDialog;
  dlg->SetFormCaption(LanguageText(394));
  dlg->SetBorder(BorderStyle, BorderLightColor, BorderColor, BorderWidth);
  if (dlg->ShowModal() == mrOk) dlg->GetBorder(BorderStyle, BorderLightColor, BorderColor, BorderWidth);
}

void TfrmVLItemProp::btnCellBordersClick(TObject*) {
  std::unique_ptr<TfrmVLTableBrdr> dlg(CreateVLForm<TfrmVLTableBrdr>(Application));
  dlg->ColorDialog = ColorDialog;
  dlg->SetFormCaption(LanguageText(395));
  dlg->SetBorder(CellBorderStyle, CellBorderLightColor, CellBorderColor, CellBorderWidth);
  if (dlg->ShowModal() != mrOk) return;
  dlg->GetBorder(CellBorderStyle, CellBorderLightColor, CellBorderColor, CellBorderWidth);
  UpdateCellBorderControls();
}

void TfrmVLItemProp::btnCellBackClick(TObject*) {
  std::unique_ptr<TfrmVLTableBack> dlg(CreateVLForm<TfrmVLTableBack>(Application));
  dlg->SetBackground(clNone, CellBackStyle, CellBackImage.get());
  if (dlg->ShowModal() != mrOk) return;
  dlg->GetBackground(CellBackStyle, CellBackImage);
  CellBackChanged = true;
}

void TfrmVLItemProp::btnTableBackClick(TObject*) {
  std::unique_ptr<TfrmVLTableBack> dlg(CreateVLForm<TfrmVLTableBack>(Application));
  dlg->SetBackground(cmbTableColor->GetIndeterminate() ? clNone : cmbTableColor->GetChosenColor(), TableBackStyle,
                     TableBackImage.get());
  if (dlg->ShowModal() != mrOk) return;
  dlg->GetBackground(TableBackStyle, TableBackImage);
  TableBackChanged = true;
}

void TfrmVLItemProp::ApplyTable(TVLActionEditor* Editor, TVLTableItemInfo* T) {
  const Integer itemNo = T->GetOwnItemNo();
  Integer measure = 0;
  if (Editor) Editor->SaveItemParaWidth(itemNo, measure);
  const bool widthUntouched = AutomaticTableWidth && !seTableWidth->GetIndeterminate() &&
                              RoundEven(seTableWidth->GetValue()) == ShownTableWidth &&
                              cmbTWType->GetItemIndex() == ShownTableWidthUnit;
  if (!widthUntouched && (cmbTWType->GetItemIndex() >= 0 || seTableWidth->GetIndeterminate())) {
    Integer width = seTableWidth->GetIndeterminate() ? 0 : RoundEven(seTableWidth->GetValue());
    if (width != 0 && cmbTWType->GetItemIndex() == 0) width = width > 100 ? -100 : -width;
    T->SetBestWidth(width);
  }
  if (!cmbTableColor->GetIndeterminate()) T->SetColor(cmbTableColor->GetChosenColor());
  if (!seCellPadding->GetIndeterminate()) T->SetCellPadding(RoundEven(seCellPadding->GetValue()));
  T->SetCellHSpacing(CellHSpacing);
  T->SetCellVSpacing(CellVSpacing);
  T->SetBorderHSpacing(BorderHSpacing);
  T->SetBorderVSpacing(BorderVSpacing);
  T->SetBorderWidth(BorderWidth);
  T->SetBorderStyle(BorderStyle);
  T->SetBorderColor(BorderColor);
  T->SetBorderLightColor(BorderLightColor);
  T->SetCellBorderWidth(CellBorderWidth);
  T->SetCellBorderColor(CellBorderColor);
  T->SetCellBorderLightColor(CellBorderLightColor);
  T->SetCellBorderStyle(CellBorderStyle);
  TVLTablePrintOptions print = T->PrintOptions;
  if (cbNoSplit->GetChecked()) print -= TVLTablePrintOptions{vltoRowsSplit};
  else print += TVLTablePrintOptions{vltoRowsSplit};
  T->SetPropertyWithUndo("PrintOptions", static_cast<Integer>(print.ToMask()));
  if (!seHRC->GetIndeterminate()) T->SetHeadingRowCount(RoundEven(seHRC->GetValue()));
  if (TableBackChanged) {
    T->SetBackgroundStyle(TableBackStyle);
    T->SetBackgroundImage(CopyGraphic(TableBackImage.get()));
  }
  Integer top, left, cols, rows;
  if (IsTabSheetVisible(tsRows) && T->GetNormalizedSelectionBounds(true, top, left, cols, rows)) {
    TSpeedButton* sides[4] = {btnLeft, btnTop, btnRight, btnBottom};
    // The cells' settings are written whatever the rows show: rows that
    // differ in alignment keep theirs, and nothing else the user chose is
    // dropped for it.
    WalkCells(
        T,
        [&](Integer r, Integer c) {
          const TVLTableCellData* cell = T->GetCell(r, c);
          if (CellBackChanged) {
            T->SetCellBackgroundStyle(CellBackStyle, r, c);
            T->SetCellBackgroundImage(CopyGraphic(CellBackImage.get()), r, c);
          }
          if (cbCellWidth->GetState() == cbChecked) {
            Integer w = 0;
            if (!seCellBestWidth->GetIndeterminate()) {
              w = RoundEven(seCellBestWidth->GetValue());
              if (cmbCellBWType->GetItemIndex() == 0) w = std::max(-w, -100);
            }
            T->SetCellBestWidth(w, r, c);
          }
          if (cbCellHeight->GetState() == cbChecked)
            T->SetCellBestHeight(
                seCellBestHeight->GetIndeterminate() ? 0 : RoundEven(seCellBestHeight->GetValue()), r, c);
          if (!cmbCellColor->GetIndeterminate()) T->SetCellColor(cmbCellColor->GetChosenColor(), r, c);
          if (rgCellVAlign->GetItemIndex() >= 0)
            T->SetCellVAlign(static_cast<TVLCellVAlign>(rgCellVAlign->GetItemIndex()), r, c);
          if (gbCellBorder->GetVisible()) {
            const TVLBooleanRect& now = cell->VisibleBorders;
            auto side = [&](int i, bool own) { return sides[i]->GetFlat() ? own : sides[i]->GetDown(); };
            T->SetCellVisibleBorders(side(0, now.Left), side(1, now.Top), side(2, now.Right), side(3, now.Bottom),
                                     r, c);
            if (cmbCellBorderColor->GetVisible() && !cmbCellBorderColor->GetIndeterminate()) {
              const TColor v = cmbCellBorderColor->GetChosenColor();
              T->SetCellBorderColor(v == cmbCellBorderColor->AutoColor ? clNone : v, r, c);
            }
            if (cmbCellBorderLightColor->GetVisible() && !cmbCellBorderLightColor->GetIndeterminate()) {
              const TColor v = cmbCellBorderLightColor->GetChosenColor();
              T->SetCellBorderLightColor(v == cmbCellBorderLightColor->AutoColor ? clNone : v, r, c);
            }
          }
        },
        [&](Integer r) {
          const int choice = rgRowVAlign->GetItemIndex();
          if (choice >= 0) T->SetRowVAlign(static_cast<TVLCellVAlign>(choice), r);
        });
  }
  T->Changed();
  if (Editor) {
    Editor->ReformatAfterItemChange(itemNo, measure);
    Editor->Change();
  }
}

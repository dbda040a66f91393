#include "actions/ItemPropVLFrm.h"

#include "actions/VLALocalize.h"
#include "actions/VLActionsInsert.h"
#include "platform/gui/CommonDialogs.h"
#include "richtext/model/VLItem.h"

#include <cmath>

namespace {
template <typename T>
T* Make(TWinControl* parent, TComponent* owner, const char* name, Integer left, Integer top, Integer width,
        Integer height) {
  T* c = new T(owner);
  c->SetName(name);
  c->SetParent(parent);
  c->SetBounds(left, top, width, height);
  return c;
}

TTabSheet* Page(TPageControl* pc, TComponent* owner, const char* name) {
  auto* t = new TTabSheet(owner);
  t->SetName(name);
  t->SetPageControl(pc);
  return t;
}

TComboBox* UnitCombo(TWinControl* parent, TComponent* owner, const char* name, Integer left, Integer top) {
  auto* c = Make<TComboBox>(parent, owner, name, left, top, 110, 24);
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
  SetClientWidth(400);
  SetClientHeight(330);
  pc = Make<TPageControl>(this, this, "pc", 8, 8, 384, 272);
  tsImage = Page(pc, this, "tsImage");
  tsImgLayout = Page(pc, this, "tsImgLayout");
  tsBreak = Page(pc, this, "tsBreak");

  lblPreview = Make<TLabel>(tsImage, this, "lblPreview", 8, 8, 160, 16);
  Panel1 = Make<TPanel>(tsImage, this, "Panel1", 8, 28, 160, 140);
  Panel1->SetBevelOuter(bvNone);
  Panel1->SetBorderStyle(bsSingle);
  Panel1->SetColor(clBtnShadow);
  img = Make<TImage>(Panel1, this, "img", 0, 0, 158, 138);
  img->SetAlign(alClient);
  img->SetCenter(true);
  img->SetStretch(true);
  img->SetProportional(true);
  img->OnDblClick = [this](TObject* s) { btnChangeImageClick(s); };
  btnChangeImage = Make<TButton>(tsImage, this, "btnChangeImage", 8, 176, 100, 28);
  btnChangeImage->OnClick = [this](TObject* s) { btnChangeImageClick(s); };
  gbTransp = Make<TGroupBox>(tsImage, this, "gbTransp", 180, 28, 188, 120);
  cbTransp = Make<TCheckBox>(gbTransp, this, "cbTransp", 10, 24, 170, 22);
  lblTrColor = Make<TLabel>(gbTransp, this, "lblTrColor", 10, 54, 170, 16);
  cmbColor = Make<TVLColorCombo>(gbTransp, this, "cmbColor", 10, 74, 168, 24);
  cmbColor->SetIndeterminate(true);
  cmbColor->OnColorChange = [this](TObject* s) { cmbColorColorChange(s); };
  lblTrColor->SetFocusControl(cmbColor);

  gbVAlign = Make<TGroupBox>(tsImgLayout, this, "gbVAlign", 8, 8, 360, 96);
  lblAlignTo = Make<TLabel>(gbVAlign, this, "lblAlignTo", 10, 28, 80, 16);
  cmbAlignTo = Make<TComboBox>(gbVAlign, this, "cmbAlignTo", 96, 24, 252, 24);
  cmbAlignTo->SetStyle(csDropDownList);
  lblVShift = Make<TLabel>(gbVAlign, this, "lblVShift", 10, 62, 80, 16);
  seVShift = Make<TVLSpinEdit>(gbVAlign, this, "seVShift", 96, 58, 80, 24);
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
  gbSize = Make<TGroupBox>(tsImgLayout, this, "gbSize", 8, 112, 360, 120);
  lblWidth = Make<TLabel>(gbSize, this, "lblWidth", 10, 28, 80, 16);
  seWidth = Make<TVLSpinEdit>(gbSize, this, "seWidth", 96, 24, 80, 24);
  cmbWType = UnitCombo(gbSize, this, "cmbWType", 182, 24);
  lblHeight = Make<TLabel>(gbSize, this, "lblHeight", 10, 62, 80, 16);
  seHeight = Make<TVLSpinEdit>(gbSize, this, "seHeight", 96, 58, 80, 24);
  cmbHType = UnitCombo(gbSize, this, "cmbHType", 182, 58);
  lblDefSize = Make<TLabel>(gbSize, this, "lblDefSize", 10, 92, 330, 16);
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

  gbBreak = Make<TGroupBox>(tsBreak, this, "gbBreak", 8, 8, 360, 100);
  lblBreakColor = Make<TLabel>(gbBreak, this, "lblBreakColor", 10, 28, 80, 16);
  cmbBreakColor = Make<TVLColorCombo>(gbBreak, this, "cmbBreakColor", 96, 24, 200, 24);
  cmbBreakColor->AutoColor = clWindowText;
  cmbBreakColor->SetIndeterminate(true);
  cmbBreakColor->OnColorChange = [this](TObject*) { cmbWidth->Invalidate(); };
  lblBreakWidth = Make<TLabel>(gbBreak, this, "lblBreakWidth", 10, 62, 80, 16);
  cmbWidth = Make<TComboBox>(gbBreak, this, "cmbWidth", 96, 58, 200, 24);
  cmbWidth->SetStyle(csOwnerDrawFixed);
  cmbWidth->SetItemHeight(16);
  for (int i = 1; i <= 6; ++i) cmbWidth->Items().Add(std::to_string(i));
  cmbWidth->OnDrawItem = [this](TWinControl*, int Index, const TRect& Rect, TOwnerDrawState State) {
    DrawBorderLineSample(*cmbWidth->Canvas(), Rect, Index, cmbBreakColor->GetChosenColor(), State.Contains(odSelected));
  };
  lblBreakColor->SetFocusControl(cmbBreakColor);
  lblBreakWidth->SetFocusControl(cmbWidth);

  btnOk = Make<TButton>(this, this, "btnOk", 226, 292, 80, 28);
  btnOk->ModalResult = mrOk;
  btnOk->SetDefault(true);
  btnCancel = Make<TButton>(this, this, "btnCancel", 312, 292, 80, 28);
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
    std::unique_ptr<TGraphic> g = LoadPictureFile(dialog.FileName);
    if (g) img->Picture().SetGraphic(std::move(g));
    else MessageBox(LanguageText(215), LanguageText(213), MB_OK | MB_ICONEXCLAMATION);
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
      E->SetCurrentItemExtraIntProperty(vleipVShift, seVShift->GetIndeterminate() ? 0 : RoundEven(seVShift->GetValue()));
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

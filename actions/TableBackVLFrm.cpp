#include "actions/TableBackVLFrm.h"

#include "actions/BackVLFrm.h"
#include "actions/VLALocalize.h"
#include "actions/VLActionsFile.h"
#include "actions/VLActionsInsert.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/ImgList.h"
#include "richtext/model/VLItem.h"

namespace {
int IndexOfStyle(TVLItemBackgroundStyle style) {
  switch (style) {
    case vlbsTiled: return 1;
    case vlbsCentered: return 2;
    case vlbsStretched: return 3;
    default: return 0;
  }
}
}  // namespace

TfrmVLTableBack::TfrmVLTableBack(TComponent* AOwner) : TfrmVLBase(AOwner) {
  SetName("frmVLTableBack");
  SetBorderStyle(bsDialog);
  Position = poScreenCenter;
  HelpContext = 92100;
  SetBounds(0, 0, 420, 330);
  SetClientWidth(420);
  SetClientHeight(330);
  il = MakeBackgroundPlacementImages(this, 32);
  rg = PutControl<TVLOfficeRadioGroup>(this, this, "rg", 8, 6, 404, 96);
  rg->SetColumns(4);
  rg->SetSquare(true);
  rg->SetImages(il);
  for (int image : {0, 3, 4, 1}) rg->AddItem("Item", image);
  rg->OnClick = [this](TObject* s) { rgClick(s); };
  gbBack = PutControl<TGroupBox>(this, this, "gbBack", 8, 108, 404, 178);
  panImg = PutControl<TPanel>(this, gbBack, "panImg", 12, 22, 256, 144);
  panImg->SetBevelOuter(bvNone);
  panImg->SetBorderStyle(bsSingle);
  panImg->SetColor(clBtnShadow);
  img = PutControl<TImage>(this, panImg, "img", 0, 0, 254, 142);
  img->SetAlign(alClient);
  img->SetCenter(true);
  img->OnDblClick = [this](TObject* s) { btnOpenClick(s); };
  btnOpen = PutControl<TButton>(this, gbBack, "btnOpen", 280, 22, 112, 28);
  btnOpen->OnClick = [this](TObject* s) { btnOpenClick(s); };
  btnSave = PutControl<TButton>(this, gbBack, "btnSave", 280, 56, 112, 28);
  btnSave->OnClick = [this](TObject* s) { btnSaveClick(s); };
  btnClear = PutControl<TButton>(this, gbBack, "btnClear", 280, 90, 112, 28);
  btnClear->OnClick = [this](TObject* s) { btnClearClick(s); };
  btnOk = PutControl<TButton>(this, this, "btnOk", 250, 294, 78, 28);
  btnOk->ModalResult = mrOk;
  btnOk->SetDefault(true);
  btnCancel = PutControl<TButton>(this, this, "btnCancel", 334, 294, 78, 28);
  btnCancel->ModalResult = mrCancel;
  btnCancel->Cancel = true;
  _btnSave = btnSave;
  _btnClear = btnClear;
  _btnOk = btnOk;
  img->SetProportional(true);
  UpdateControls();
}

void TfrmVLTableBack::Localize() {
  TfrmVLBase::Localize();
  SetFormCaption(LanguageText(276));
  btnOk->SetText(LanguageText(195));
  btnCancel->SetText(LanguageText(196));
  btnOpen->SetText(LanguageText(199));
  btnSave->SetText(LanguageText(200));
  btnClear->SetText(LanguageText(201));
  rg->SetText(LanguageTextPadded(278));
  gbBack->SetText(LanguageTextPadded(279));
  static const Word ids[4] = {281, 284, 285, 282};
  for (int i = 0; i < 4; ++i) {
    rg->Item(i).Caption = LanguageText(ids[i]);
    rg->ItemChanged(i);
  }
}

bool TfrmVLTableBack::HasPicture() const {
  const TGraphic* g = const_cast<TImage*>(img)->Picture().GetGraphic();
  return g && !g->GetEmpty();
}

void TfrmVLTableBack::UpdateControls() {
  if (HasPicture()) {
    TPicture& p = img->Picture();
    img->SetStretch(p.GetWidth() > img->GetWidth() || p.GetHeight() > img->GetHeight());
  }
  btnSave->SetEnabled(HasPicture());
  btnClear->SetEnabled(HasPicture());
  btnOk->SetEnabled(rg->GetItemIndex() == 0 || HasPicture());
}

void TfrmVLTableBack::SetBackground(TColor Color, TVLItemBackgroundStyle Style, const TGraphic* Image) {
  if (Color != clNone) panImg->SetColor(Color);
  rg->SetItemIndex(IndexOfStyle(Style));
  img->Picture().SetGraphic(Image);
  UpdateControls();
}

void TfrmVLTableBack::GetBackground(TVLItemBackgroundStyle& Style, std::unique_ptr<TGraphic>& Image) {
  Image.reset();
  if (HasPicture()) {
    const TGraphic* g = img->Picture().GetGraphic();
    Image = VLCreateGraphicLike(*g);
    if (Image) Image->Assign(g);
  }
  switch (rg->GetItemIndex()) {
    case 0: Style = vlbsColor; break;
    case 1: Style = vlbsTiled; break;
    case 3: Style = vlbsStretched; break;
    default: Style = vlbsCentered; break;
  }
}

void TfrmVLTableBack::rgClick(TObject*) { UpdateControls(); }

void TfrmVLTableBack::btnOpenClick(TObject*) {
  TOpenPictureDialog dialog(this);
  dialog.Options = ofHideReadOnly | ofPathMustExist | ofFileMustExist | ofEnableSizing;
  dialog.DefaultExt = "bmp";
  if (dialog.Execute()) {
    std::unique_ptr<TGraphic> g = LoadChosenPicture(dialog.FileName, MB_ICONERROR);
    if (g) {
      img->Picture().SetGraphic(std::move(g));
      if (rg->GetItemIndex() == 0) rg->SetItemIndex(1);
    }
  }
  UpdateControls();
}

void TfrmVLTableBack::btnSaveClick(TObject*) {
  if (!HasPicture()) {
    MessageBeep(0);
    return;
  }
  const TGraphic* g = img->Picture().GetGraphic();
  TSavePictureDialog dialog(this);
  dialog.Options = ofOverwritePrompt | ofHideReadOnly | ofPathMustExist | ofEnableSizing;
  dialog.DefaultExt = "bmp";
  dialog.Filter = dynamic_cast<const TBitmap*>(g) ? String("Bitmaps (*.bmp)|*.bmp") : GraphicFilter();
  if (!dialog.Execute()) return;
  // A failed write is reported and the dialog stays open.
  try {
    img->Picture().SaveToFile(dialog.FileName);
  } catch (const std::exception&) {
    ShowSaveError(dialog.FileName, 216);
  }
}

void TfrmVLTableBack::btnClearClick(TObject*) {
  img->Picture().SetGraphic(static_cast<const TGraphic*>(nullptr));
  UpdateControls();
}

#include "actions/BackVLFrm.h"

#include "actions/FourSidesVLFrm.h"
#include "actions/VLALocalize.h"
#include "actions/VLActionsFile.h"
#include "actions/VLActions.h"
#include "actions/VLActionsInsert.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/ImgList.h"

namespace {
bool HasPicture(const TBitmap* b) { return b && !b->GetEmpty(); }
}  // namespace

void DrawBackgroundPlacement(TCanvas& c, int placement, int size) {
  const auto at = [size](int v) { return v * size / 32; };
  c.Brush.Style = bsSolid;
  c.Brush.Color = clWindow;
  c.FillRect(TRect(0, 0, size, size));
  c.Pen.Color = clBtnShadow;
  c.Pen.Style = psSolid;
  c.Pen.Width = 1;
  c.Brush.Style = bsClear;
  c.Rectangle(at(2), at(2), at(30), at(30));
  c.Brush.Style = bsSolid;
  c.Brush.Color = clTeal;
  switch (placement) {
    case bsStretched: c.FillRect(TRect(at(4), at(4), at(28), at(28))); break;
    case bsTiled:
    case bsTiledAndScrolled:
      for (int y = 4; y < 28; y += 8)
        for (int x = 4; x < 28; x += 8) c.FillRect(TRect(at(x), at(y), at(x + 6), at(y + 6)));
      if (placement == bsTiled) {
        // Fixed tiles: a pin, as they stay while the text scrolls.
        c.Brush.Color = clMaroon;
        c.FillRect(TRect(at(13), at(13), at(19), at(19)));
      }
      break;
    case bsCentered: c.FillRect(TRect(at(11), at(11), at(21), at(21))); break;
    default: break;
  }
}

TCustomImageList* MakeBackgroundPlacementImages(TComponent* owner, int size) {
  auto* images = new TCustomImageList(owner, size, size);
  images->SetName("il");
  for (int k = bsNoBitmap; k <= bsCentered; ++k) {
    TBitmap bmp;
    bmp.SetSize(size, size);
    DrawBackgroundPlacement(*bmp.Canvas(), k, size);
    images->Add(&bmp, nullptr);
  }
  return images;
}

TfrmVLBack::TfrmVLBack(TComponent* AOwner) : TfrmVLBase(AOwner) {
  SetName("frmVLBack");
  SetBorderStyle(bsDialog);
  Position = poScreenCenter;
  HelpContext = 90000;
  SetClientWidth(538);
  SetClientHeight(430);
  VLStyle1 = new TVLStyle(this);
  gbBack = PutControl<TGroupBox>(this, this, "gbBack", 8, 6, 330, 410);
  vl = PutControl<TVellum>(this, gbBack, "vl", 10, 20, 310, 310);
  vl->SetStyle(VLStyle1);
  vl->OnDblClick = [this](TObject* s) { btnOpenClick(s); };
  btnOpen = PutControl<TButton>(this, gbBack, "btnOpen", 10, 340, 96, 28);
  btnOpen->OnClick = [this](TObject* s) { btnOpenClick(s); };
  btnSave = PutControl<TButton>(this, gbBack, "btnSave", 117, 340, 96, 28);
  btnSave->OnClick = [this](TObject* s) { btnSaveClick(s); };
  btnClear = PutControl<TButton>(this, gbBack, "btnClear", 224, 340, 96, 28);
  btnClear->OnClick = [this](TObject* s) { btnClearClick(s); };
  lblColor = PutControl<TLabel>(this, this, "lblColor", 348, 12, 180, 16);
  cmbColor = PutControl<TVLColorCombo>(this, this, "cmbColor", 348, 32, 182, 24);
  cmbColor->AutoColor = clWindow;
  cmbColor->SetIndeterminate(true);
  cmbColor->OnColorChange = [this](TObject* s) { cmbColorColorChange(s); };
  lblColor->SetFocusControl(cmbColor);
  il = MakeBackgroundPlacementImages(this, 50);
  rg = PutControl<TVLOfficeRadioGroup>(this, this, "rg", 346, 62, 186, 276);
  rg->SetMargin(4);
  rg->SetColumns(2);
  rg->SetSquare(true);
  rg->SetImages(il);
  for (int k = bsNoBitmap; k <= bsCentered; ++k) rg->AddItem("Item", k);
  rg->OnClick = [this](TObject* s) { rgClick(s); };
  btnMargins = PutControl<TButton>(this, this, "btnMargins", 348, 346, 182, 28);
  btnMargins->OnClick = [this](TObject* s) { btnMarginsClick(s); };
  btnOk = PutControl<TButton>(this, this, "btnOk", 364, 388, 80, 28);
  btnOk->ModalResult = mrOk;
  btnOk->SetDefault(true);
  btnCancel = PutControl<TButton>(this, this, "btnCancel", 450, 388, 80, 28);
  btnCancel->ModalResult = mrCancel;
  btnCancel->Cancel = true;
}

void TfrmVLBack::Localize() {
  TfrmVLBase::Localize();
  SetFormCaption(LanguageText(276));
  btnOk->SetText(LanguageText(195));
  btnCancel->SetText(LanguageText(196));
  btnOpen->SetText(LanguageText(199));
  btnSave->SetText(LanguageText(200));
  btnClear->SetText(LanguageText(201));
  lblColor->SetText(LanguageText(277));
  rg->SetText(LanguageTextPadded(278));
  gbBack->SetText(LanguageTextPadded(279));
  for (Word id = 281; id <= 285; ++id) {
    rg->Item(id - 281).Caption = LanguageText(id);
    rg->ItemChanged(id - 281);
  }
  btnMargins->SetText(LanguageText(286));
}

void TfrmVLBack::ShowBitmapState() {
  const bool picture = HasPicture(vl->GetBackgroundBitmap());
  btnSave->SetEnabled(picture);
  btnClear->SetEnabled(picture);
  rg->SetItemIndex(static_cast<int>(vl->GetBackgroundStyle()));
}

void TfrmVLBack::Init(TVLActionEditor* Editor, TColorDialog* ColorDialog, TObject* Action) {
  FAction = Action;
  const TRect margins = Editor->GetDocumentMarginRect();
  vl->LeftMargin = margins.Left;
  vl->TopMargin = margins.Top;
  vl->RightMargin = margins.Right;
  vl->BottomMargin = margins.Bottom;
  vl->SetBackgroundBitmap(Editor->GetBackgroundBitmap());
  vl->SetBackgroundStyle(Editor->GetBackgroundStyle());
  TVLStyle* sheet = Editor->GetStyle();
  if (sheet) {
    VLStyle1->TextStyles->Assign(sheet->TextStyles.get());
    VLStyle1->ParaStyles->Assign(sheet->ParaStyles.get());
  }
  TColor color = Editor->GetDocumentColor();
  if (color == clNone && sheet) color = sheet->Color;
  vl->SetColor(color);
  ShowBitmapState();
  cmbColor->SetColorDialog(ColorDialog);
  cmbColor->SetChosenColor(color);
  Integer styleNo = Editor->GetCurTextStyleNo();
  if (styleNo < 0 || styleNo >= VLStyle1->TextStyles->Count()) styleNo = 0;
  if (VLStyle1->TextStyles->Count() > 0) VLStyle1->TextStyles->Items(styleNo)->Charset = GetLanguageCharset();
  vl->Clear();
  for (int i = 0; i < 51; ++i) vl->AddTextItem(LanguageText(280), styleNo, 0);
  vl->Format();
}

void TfrmVLBack::btnOpenClick(TObject*) {
  TOpenPictureDialog dialog(nullptr);
  dialog.Options = ofHideReadOnly | ofPathMustExist | ofFileMustExist | ofEnableSizing;
  if (dialog.Execute()) {
    std::unique_ptr<TGraphic> g = LoadChosenPicture(dialog.FileName, MB_ICONERROR);
    if (g) {
      TBitmap bitmap;
      bitmap.Assign(g.get());
      vl->SetBackgroundBitmap(&bitmap);
      if (vl->GetBackgroundStyle() == bsNoBitmap) vl->SetBackgroundStyle(bsTiled);
    }
  }
  ShowBitmapState();
}

void TfrmVLBack::btnSaveClick(TObject*) {
  TBitmap* bitmap = vl->GetBackgroundBitmap();
  if (!HasPicture(bitmap)) {
    MessageBeep(0);
    return;
  }
  TSavePictureDialog dialog(this);
  dialog.Options = ofOverwritePrompt | ofHideReadOnly | ofPathMustExist | ofEnableSizing;
  if (!dialog.Execute()) return;
  // A failed write is reported and the dialog stays open.
  try {
    bitmap->SaveToFile(dialog.FileName);
  } catch (const std::exception&) {
    ShowSaveError(dialog.FileName, 216);
  }
}

void TfrmVLBack::btnClearClick(TObject*) {
  vl->SetBackgroundBitmap(nullptr);
  btnSave->SetEnabled(false);
  btnClear->SetEnabled(false);
}

void TfrmVLBack::rgClick(TObject*) {
  const int index = rg->GetItemIndex();
  if (index >= 0 && index <= static_cast<int>(bsCentered)) vl->SetBackgroundStyle(static_cast<TBackgroundStyle>(index));
}

void TfrmVLBack::cmbColorColorChange(TObject*) {
  vl->SetColor(cmbColor->GetChosenColor());
  vl->Invalidate();
}

void TfrmVLBack::btnMarginsClick(TObject*) {
  std::unique_ptr<TfrmVLFourSides> d(CreateVLForm<TfrmVLFourSides>(Application));
  d->SetValues(vl->LeftMargin, vl->TopMargin, vl->RightMargin, vl->BottomMargin, true, true, true, true);
  d->HelpContext = 90302;
  if (d->ShowModal() != mrOk) return;
  Integer left = 0, top = 0, right = 0, bottom = 0;
  bool l = false, t = false, r = false, b = false;
  d->GetValues(left, top, right, bottom, l, t, r, b);
  if (l) vl->LeftMargin = left;
  if (t) vl->TopMargin = top;
  if (r) vl->RightMargin = right;
  if (b) vl->BottomMargin = bottom;
  vl->Format();
  vl->Invalidate();
}

void TfrmVLBack::Apply(TVLActionEditor* Editor) {
  const TBitmap* now = Editor->GetBackgroundBitmap();
  const TBitmap* chosen = vl->GetBackgroundBitmap();
  TColor shown = Editor->GetDocumentColor();
  if (shown == clNone && Editor->GetStyle()) shown = Editor->GetStyle()->Color;
  const bool pictureChanged = HasPicture(now) != HasPicture(chosen) ||
                              (HasPicture(now) && now->SaveToBytes() != chosen->SaveToBytes());
  const bool changed =
      shown != vl->GetColor() || Editor->GetBackgroundStyle() != vl->GetBackgroundStyle() || pictureChanged;
  // The background is saved with the entry: a protected one keeps its own.
  if (changed && Editor->SavesBackground() && !Editor->CanChange()) return;
  Editor->SetDocumentColor(vl->GetColor());
  Editor->SetBackgroundStyle(vl->GetBackgroundStyle());
  Editor->SetBackgroundBitmap(HasPicture(chosen) ? chosen : nullptr);
  if (changed && Editor->SavesBackground()) Editor->MarkModified();
  const TRect margins(vl->LeftMargin, vl->TopMargin, vl->RightMargin, vl->BottomMargin);
  if (margins != Editor->GetDocumentMarginRect()) {
    Editor->SetDocumentMarginRect(margins);
    FireMarginsChanged(FAction, Editor);
  }
}

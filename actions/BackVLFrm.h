#pragma once
// The Background dialog: the document's colour and background picture with
// its placement, tried out on a preview of sample text; OK copies them to
// the editor.
#include "actions/BaseVLFrm.h"
#include "actions/VLColorCombo.h"
#include "actions/VLOfficeRadioBtn.h"
#include "richtext/view/Vellum.h"

// The picture of a background placement, size x size pixels, by its
// TBackgroundStyle value: none, stretched, fixed tiles, tiles, centred.
void DrawBackgroundPlacement(TCanvas& Canvas, int Placement, int Size);
// The five placement pictures at Size pixels, owned by Owner.
TCustomImageList* MakeBackgroundPlacementImages(TComponent* Owner, int Size);

class TfrmVLBack : public TfrmVLBase {
public:
  explicit TfrmVLBack(TComponent* AOwner);
  void Localize() override;

  void Init(TVLActionEditor* Editor, TColorDialog* ColorDialog, TObject* Action);
  // Copies the preview's colour, picture and placement to the editor; a
  // document that saves its background is marked changed when they differ
  // from what it showed, and a protected one that saves it keeps its own.
  void Apply(TVLActionEditor* Editor);

  void btnOpenClick(TObject* Sender);
  void btnSaveClick(TObject* Sender);
  void btnClearClick(TObject* Sender);
  void rgClick(TObject* Sender);
  void cmbColorColorChange(TObject* Sender);
  void btnMarginsClick(TObject* Sender);

  TCustomImageList* il;
  TVLOfficeRadioGroup* rg;
  TGroupBox* gbBack;
  TVellum* vl;
  TVLColorCombo* cmbColor;
  TLabel* lblColor;
  TButton* btnOk;
  TButton* btnCancel;
  TButton* btnOpen;
  TButton* btnSave;
  TButton* btnClear;
  TButton* btnMargins;
  TVLStyle* VLStyle1;

private:
  void ShowBitmapState();
  TObject* FAction = nullptr;
};

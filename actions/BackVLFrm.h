#pragma once
// The Background dialog: the document's colour and background picture with
// its placement, tried out on a preview of sample text; OK copies them to
// the editor.
#include "actions/BaseVLFrm.h"
#include "actions/VLColorCombo.h"
#include "richtext/view/Vellum.h"

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

  TRadioGroup* rg;
  TGroupBox* gbBack;
  TVellum* vl;
  TVLColorCombo* cmbColor;
  TLabel* lblColor;
  TButton* btnOk;
  TButton* btnCancel;
  TButton* btnOpen;
  TButton* btnSave;
  TButton* btnClear;
  TVLStyle* VLStyle1;

private:
  void ShowBitmapState();
  TObject* FAction = nullptr;
};

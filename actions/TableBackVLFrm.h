#pragma once
// The Background dialog of table cells: a picture and how it is laid out
// (none, tiled, centred, stretched), shown in a frame of the table's colour
// when one is given.
#include "actions/BaseVLFrm.h"
#include "actions/VLOfficeRadioBtn.h"
#include "platform/gui/ExtCtrls.h"
#include "richtext/model/VLBack.h"

#include <memory>

class TCustomImageList;
class TOpenPictureDialog;

class TfrmVLTableBack : public TfrmVLBase {
public:
  explicit TfrmVLTableBack(TComponent* AOwner);
  void Localize() override;

  // Image may be nullptr; the dialog keeps a copy. clNone leaves the frame
  // its own colour.
  void SetBackground(TColor Color, TVLItemBackgroundStyle Style, const TGraphic* Image);
  // A copy of the picture (nullptr when none) and the layout; no position
  // chosen gives centred.
  void GetBackground(TVLItemBackgroundStyle& Style, std::unique_ptr<TGraphic>& Image);
  void UpdateControls();

  void rgClick(TObject* Sender);
  void btnOpenClick(TObject* Sender);
  void btnSaveClick(TObject* Sender);
  void btnClearClick(TObject* Sender);

  TVLOfficeRadioGroup* rg;
  TGroupBox* gbBack;
  TButton* btnOpen;
  TButton* btnSave;
  TButton* btnClear;
  TPanel* panImg;
  TImage* img;
  TButton* btnOk;
  TButton* btnCancel;
  TCustomImageList* il;
  TControl* _btnSave = nullptr;
  TControl* _btnClear = nullptr;
  TControl* _btnOk = nullptr;

private:
  bool HasPicture() const;
};

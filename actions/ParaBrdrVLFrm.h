#pragma once
// The Paragraph Border and Background dialog: border type, colour, width,
// internal width, sides, offsets, the background colour and its padding,
// with one sample shown on either page. Every value may stay undecided.
#include "actions/BorderSidesVLFrm.h"
#include "actions/VLColorGrid.h"
#include "actions/VLOfficeRadioBtn.h"
#include "actions/VLSpinEdit.h"
#include "platform/gui/CommonDialogs.h"

class TfrmVLParaBrdr : public TfrmVLBorderSides {
public:
  explicit TfrmVLParaBrdr(TComponent* AOwner);
  void Localize() override;

  TVLOfficeRadioGroup* rgBorderType;
  TLabel* lblIW;
  TVLSpinEdit* seIW;
  TButton* btnOffsets;
  TGroupBox* gbFillColor;
  TLabel* lblBackColor;
  TVLColorGrid* vlcg;
  TButton *btnColor, *btnPadding;
  TCustomImageList* ImageList1;
  TColorDialog* ColorDialog1;

  TColorDialog* ColorDialog = nullptr;
  TColor FillColor = clNone;
  bool ColorIndeterminate = true;

  void SetBorderOffsets(const TVLRect& Offsets, const TVLBooleanRect& Defined);
  void GetBorderOffsets(TVLRect& Offsets, TVLBooleanRect& Defined) const;
  void SetPadding(const TVLRect& Offsets, const TVLBooleanRect& Defined);
  void GetPadding(TVLRect& Offsets, TVLBooleanRect& Defined) const;
  // Shows the colour (ColorIndeterminate false) or clears the display.
  void SetFillColor(TColor Color);
  void UpdateSample();

  void rgBorderTypeClick(TObject* Sender);
  void cmbColorColorChange(TObject* Sender) override;
  void btnClick(TObject* Sender) override;
  void cmbWidthClick(TObject* Sender);
  void btnOffsetsClick(TObject* Sender);
  void btnPaddingClick(TObject* Sender);
  void vlcgColorChange(TObject* Sender);
  void btnColorClick(TObject* Sender);
  void PageControl1Change(TObject* Sender);

protected:
  void Activate() override;

private:
  void SwitchNoneToSingle();
  bool FUpdating = false;
  TVLRect FOffsets, FPadding;
  TVLBooleanRect FOffsetsDefined{false}, FPaddingDefined{false};
};

// "RGB(r,g,b)" of a colour (system colours resolved).
String RGBColorName(TColor Color);

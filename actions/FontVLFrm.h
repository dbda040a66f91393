#pragma once
// The Font dialog: name, size, script, bold, italic, underline, overline,
// strike-out, all capitals, colour, character spacing, vertical offset and
// horizontal scaling, with a live sample. An attribute the selection mixes
// is shown empty or grayed and read back as not set.
#include "actions/BaseVLFrm.h"
#include "actions/VLColorCombo.h"
#include "actions/VLFontCombos.h"
#include "actions/VLOfficeRadioBtn.h"
#include "actions/VLSpinEdit.h"
#include "richtext/view/Vellum.h"

class TfrmVLFont : public TfrmVLBase {
public:
  explicit TfrmVLFont(TComponent* AOwner);
  void Localize() override;

  TPageControl* pc;
  TTabSheet *ts1, *ts2;
  TLabel *lblFont, *lblSize, *lblScript, *lblColor;
  TVLFontComboBox* cmbFont;
  TVLFontSizeComboBox* cmbSize;
  TVLFontCharsetComboBox* cmbCharset;
  TVLColorCombo* cmbColor;
  TGroupBox *gbStyle, *gbEffects, *gbSample, *gbSpacing, *gbVShift, *gbCharScale;
  TCheckBox *cbB, *cbI, *cbU, *cbS, *cbO, *cbAC;
  TVellum* vl;
  TVLStyle* vls;
  TLabel *lblSpacing, *lblVShift, *Label5, *lblCharScale, *Label8;
  TVLSpinEdit *seSpacing, *seShift, *seCharScale;
  TVLOfficeRadioButton *rbExp, *rbCond, *rbDown, *rbUp;
  TCustomImageList* ImageList1;
  TButton *btnOk, *btnCancel;

  // The controls as the actions reach them.
  TControl *_gbSample = nullptr, *_pc = nullptr, *_cbB = nullptr, *_cbI = nullptr, *_cbU = nullptr,
           *_cbS = nullptr, *_cbO = nullptr, *_cbAC = nullptr;
  TColorDialog* ColorDialog = nullptr;
  String SampleText;

  String GetSampleText();
  void UpdateSample();
  // The size the user set: false when the box is empty or holds no number;
  // otherwise limited to 1..100.
  bool GetSize(Integer& Size);

  void cmbFontClick(TObject* Sender);
  void FormActivate(TObject* Sender);
  void pcChange(TObject* Sender);
  void seSpacingChange(TObject* Sender);
  void rbExpClick(TObject* Sender);
  void seShiftChange(TObject* Sender);
  void rbUpClick(TObject* Sender);

protected:
  void Activate() override;
  bool DoKeyDown(Word& Key, TShiftState Shift) override;
};

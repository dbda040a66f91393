#pragma once
// The Properties dialog of the object at the caret: a picture (its image,
// transparency, alignment and displayed size), a horizontal line (its
// colour and width), or a table (the table, the rows of the selected cells
// and the selected cells). On OK every value goes back through the editor
// as one undo step.
#include "actions/BaseVLFrm.h"
#include "actions/VLColorCombo.h"
#include "actions/VLSpinEdit.h"
#include "actions/VLOfficeRadioBtn.h"
#include "platform/gui/Bevel.h"
#include "platform/gui/Buttons.h"
#include "platform/gui/ExtCtrls.h"
#include "richtext/table/VLTable.h"

#include <memory>

class TCustomImageList;

class TfrmVLItemProp : public TfrmVLBase {
public:
  explicit TfrmVLItemProp(TComponent* AOwner);
  void Localize() override;

  // Loads the pages for the item at the caret; false (and nothing shown)
  // for an item that is neither a picture nor a line.
  bool LoadItem(TVLActionEditor* Editor);
  // Writes the values back to the same item.
  void ApplyItem(TVLActionEditor* Editor);

  void cmbColorColorChange(TObject* Sender);
  // Converts a spin edit's value when its unit changes (percent of the
  // picture's own size, or pixels).
  void SwitchUnit(TVLSpinEdit* Edit, TComboBox* Unit, Integer OwnSize, int& LastUnit);
  // Loads another picture file into the preview.
  void btnChangeImageClick(TObject* Sender);

  // The table pages. Several cells may be selected: values they share are
  // shown, values in which they differ are undecided, and applying changes
  // only what the user decided. TableOnly: the table page alone.
  void LoadTable(TVLTableItemInfo* Table, bool TableOnly);
  // Through the table's undoable setters, inside the group the caller
  // opened on Editor (the editor that holds the table).
  void ApplyTable(TVLActionEditor* Editor, TVLTableItemInfo* Table);
  // Shows and labels the cells' border colours to fit the cells' border.
  void UpdateCellBorderControls();
  void seTableWidthChange(TObject* Sender);
  void seCellSpacingChange(TObject* Sender);
  void btnSpacingClick(TObject* Sender);
  void btnTableBorderClick(TObject* Sender);
  void btnCellBordersClick(TObject* Sender);
  void btnCellBackClick(TObject* Sender);
  void btnTableBackClick(TObject* Sender);
  void seCellBestWidthChange(TObject* Sender);
  void btnTopClick(TObject* Sender);
  // Ctrl+T, Ctrl+L, Ctrl+R, Ctrl+B decide a visible side of the cells.
  void FormKeyDown(Word& Key, TShiftState Shift);

  TColorDialog* ColorDialog = nullptr;
  // The filter of the picture-open dialog (empty: every format).
  String GraphicFilter;

  TButton* btnOk;
  TButton* btnCancel;
  TPageControl* pc;
  TTabSheet* tsImage;
  TTabSheet* tsImgLayout;
  TTabSheet* tsBreak;
  // Picture page.
  TLabel* lblPreview;
  TPanel* Panel1;
  TImage* img;
  TButton* btnChangeImage;
  TGroupBox* gbTransp;
  TLabel* lblTrColor;
  TVLColorCombo* cmbColor;
  TCheckBox* cbTransp;
  // Layout page.
  TGroupBox* gbVAlign;
  TLabel* lblAlignTo;
  TComboBox* cmbAlignTo;
  TLabel* lblVShift;
  TVLSpinEdit* seVShift;
  TComboBox* cmbVShiftType;
  TGroupBox* gbSize;
  TLabel* lblWidth;
  TVLSpinEdit* seWidth;
  TComboBox* cmbWType;
  TLabel* lblHeight;
  TVLSpinEdit* seHeight;
  TComboBox* cmbHType;
  TLabel* lblDefSize;
  // Line page.
  TGroupBox* gbBreak;
  TLabel* lblBreakColor;
  TVLColorCombo* cmbBreakColor;
  TLabel* lblBreakWidth;
  TComboBox* cmbWidth;

  // Table page.
  TTabSheet* tsTable;
  TTabSheet* tsRows;
  TTabSheet* tsCells;
  TGroupBox* gbTableSize;
  TLabel* lblTableWidth;
  TVLSpinEdit* seTableWidth;
  TComboBox* cmbTWType;
  TLabel* lblTableColor;
  TVLColorCombo* cmbTableColor;
  TLabel* lblCellPadding;
  TVLSpinEdit* seCellPadding;
  TLabel* lblCellSpacing;
  TVLSpinEdit* seCellSpacing;
  TButton* btnSpacing;
  TButton* btnTableBorder;
  TButton* btnCellBorder;
  TButton* btnTableBack;
  TGroupBox* gbTablePrint;
  TCheckBox* cbNoSplit;
  TLabel* lblHeadingRows;
  TVLSpinEdit* seHRC;
  TLabel* lblHeadingRowsTip;
  // Rows page.
  TVLOfficeRadioGroup* rgRowVAlign;
  // Cells page.
  TGroupBox* gbCellBorder;
  TSpeedButton* btnTop;
  TSpeedButton* btnLeft;
  TSpeedButton* btnRight;
  TSpeedButton* btnBottom;
  TLabel* lblVS;
  TBevel* Bevel2;
  TLabel* lblCellBorderColor;
  TVLColorCombo* cmbCellBorderColor;
  TLabel* lblCellBorderLightColor;
  TVLColorCombo* cmbCellBorderLightColor;
  TGroupBox* gbCells;
  TCheckBox* cbCellWidth;
  TVLSpinEdit* seCellBestWidth;
  TComboBox* cmbCellBWType;
  TCheckBox* cbCellHeight;
  TVLSpinEdit* seCellBestHeight;
  TLabel* lblPixels;
  TLabel* lblCellColor;
  TVLColorCombo* cmbCellColor;
  TButton* btnCellBack;
  TVLOfficeRadioGroup* rgCellVAlign;
  TCustomImageList* ImageList1;

  // Working state of the table pages.
  Integer CellHSpacing = 0, CellVSpacing = 0, BorderHSpacing = 0, BorderVSpacing = 0;
  Integer BorderWidth = 0;
  TVLTableBorderStyle BorderStyle = vltbColor;
  TColor BorderColor = clNone, BorderLightColor = clNone;
  Integer CellBorderWidth = 0;
  TVLTableBorderStyle CellBorderStyle = vltbColor;
  TColor CellBorderColor = clNone, CellBorderLightColor = clNone;
  // The selected cells' picture (the table as a whole keeps none).
  std::unique_ptr<TGraphic> CellBackImage;
  TVLItemBackgroundStyle CellBackStyle = vlbsColor;
  bool CellBackChanged = false;
  // The table's own picture and its placement, as chosen in the dialog.
  std::unique_ptr<TGraphic> TableBackImage;
  TVLItemBackgroundStyle TableBackStyle = vlbsColor;
  bool TableBackChanged = false;
  bool ShadowColorAuto = true, LightColorAuto = true;
  // A table without a width of its own shows the width it has; unless
  // that is changed the table keeps following the space available.
  bool AutomaticTableWidth = false;
  Integer ShownTableWidth = 0;
  int ShownTableWidthUnit = -1;

protected:
  void DoShow() override;
  bool DoKeyDown(Word& Key, TShiftState Shift) override;

private:
  void ShowPicture();
  void MakeTablePages();
  void LocalizeTablePages();
  // The cells the table pages show and change: each cell that is selected
  // or edited, row by row; afterRow runs after each row that had one.
  void WalkCells(TVLTableItemInfo* Table, const std::function<void(Integer Row, Integer Col)>& cell,
                 const std::function<void(Integer Row)>& afterRow);
  void ShowCommonSpacing();
  int FVShiftUnit = 0, FWUnit = 1, FHUnit = 1;
};

#pragma once
// The Bullets and Numbering gallery: seven bulleted and seven numbered ready
// lists, each shown as a small picture, and "None". It opens on the list of
// the selection, shows the document's own lists in the places of the presets
// they came from, and reports the choice; it never changes the document.
// Customised presets are kept for the rest of the run.
#include "actions/BaseVLFrm.h"
#include "actions/VLOfficeRadioBtn.h"
#include "actions/VLSpinEdit.h"
#include "platform/gui/ImgList.h"

#include <memory>
#include <vector>

class TVLReportHelper;

inline constexpr Integer VLListPresetCount = 7;
// The factory presets of a page (0 bulleted, 1 numbered) with the preview's
// text and paragraph style.
void VLFillListTemplates(TVLStyle& Sheet, Integer Page);
// The presets as customised during this run (list styles only), made from
// the factory ones on first use.
TVLStyle& VLListPresetStore(Integer Page);
// Forgets every customisation (tests).
void VLResetListPresetStore();

class TfrmVLListGallery : public TfrmVLBase {
public:
  explicit TfrmVLListGallery(TComponent* AOwner);
  ~TfrmVLListGallery() override;
  void DoCreate() override;
  void Localize() override;

  // Reads the lists around the editor's selection.
  void InitFromEditor(TVLActionEditor* Editor);
  // The choice: ListStyle null for "None" (the rest untouched); otherwise a
  // list style the dialog keeps, the document list it is (-1: none) and how
  // numbering starts (numbered page only).
  void GetListStyle(TVLListInfo*& ListStyle, Integer& ListNo, Integer& StartFrom, bool& UseStartFrom);

  void rg1Click(TObject* Sender);
  void rg2Click(TObject* Sender);
  void cmbNumberingClick(TObject* Sender);
  void btnEdit1Click(TObject* Sender);
  void btnEdit2Click(TObject* Sender);
  void btnResetClick(TObject* Sender);

  // The preview of list style Index of Styles on Bitmap (the image size).
  void DrawListPreview(TBitmap& Bitmap, Integer Index, TVLStyle& Styles);

  TButton *btnOk, *btnCancel, *btnEdit1, *btnEdit2, *btnReset;
  TPageControl* pc;
  TTabSheet *ts1, *ts2;
  TVLOfficeRadioGroup *rg1, *rg2;
  TImageList *il, *il2;
  TComboBox* cmbNumbering;
  TVLSpinEdit* seStartFrom;
  TVLStyle *VLStyle1, *VLStyle2, *vlstmp, *vlsTemplate1, *vlsTemplate2;

  // The document list each slot shows (-1: its preset), per page, and the
  // restart value of a numbered slot's list (-1: it continues).
  std::vector<Integer> SlotListNo[2];
  std::vector<Integer> SlotStartFrom;
  Integer OpenPage = 0, OpenSlot = -1;

private:
  TVLStyle& Presets(Integer Page) { return Page == 0 ? *VLStyle1 : *VLStyle2; }
  TVLStyle& Templates(Integer Page) { return Page == 0 ? *vlsTemplate1 : *vlsTemplate2; }
  TVLOfficeRadioGroup* Group(Integer Page) { return Page == 0 ? rg1 : rg2; }
  TImageList* Images(Integer Page) { return Page == 0 ? il : il2; }
  void MatchDocumentList(TVLStyle& Doc, Integer ItemNo, Integer StartNo, Integer ListNo, Integer StartFrom,
                         bool UseStartFrom, Integer& Page, Integer& Slot);
  void AssignDocumentList(TVLStyle& Doc, Integer Page, Integer Slot, Integer ListNo, Integer StartFrom);
  void RedrawSlot(Integer Page, Integer Slot, TColor Transparent);
  void CustomizePreset(Integer Page, Integer ItemIndex);
  bool Differs(Integer Page, Integer Slot);
  void AddChoice(Word Id, int Code);
  std::unique_ptr<TVLReportHelper> helper;
  std::vector<int> FChoiceCodes;
};

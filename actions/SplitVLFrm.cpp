#include "actions/SplitVLFrm.h"

#include "actions/VLALocalize.h"

TfrmVLSplit::TfrmVLSplit(TComponent* AOwner) : TfrmVLBase(AOwner) {
  SetName("frmVLSplit");
  SetBorderStyle(bsDialog);
  Position = poScreenCenter;
  HelpContext = 92000;
  SetBounds(0, 0, 330, 268);
  SetClientWidth(330);
  SetClientHeight(268);
  GroupBox1 = PutControl<TGroupBox>(this, this, "GroupBox1", 8, 6, 314, 76);
  rbSplit = PutControl<TRadioButton>(this, GroupBox1, "rbSplit", 12, 22, 290, 22);
  rbUnmerge = PutControl<TRadioButton>(this, GroupBox1, "rbUnmerge", 12, 46, 290, 22);
  panSplit = PutControl<TGroupBox>(this, this, "panSplit", 8, 88, 314, 136);
  Label1 = PutControl<TLabel>(this, panSplit, "Label1", 12, 20, 200, 16);
  seColumns = PutControl<TVLSpinEdit>(this, panSplit, "seColumns", 224, 16, 78, 24);
  seColumns->MinValue = 1;
  seColumns->MaxValue = 100;
  seColumns->SetValue(2);
  Label2 = PutControl<TLabel>(this, panSplit, "Label2", 12, 52, 200, 16);
  seRows = PutControl<TVLSpinEdit>(this, panSplit, "seRows", 224, 48, 78, 24);
  seRows->MinValue = 1;
  seRows->MaxValue = 500;
  seRows->SetValue(2);
  Label1->SetFocusControl(seColumns);
  Label2->SetFocusControl(seRows);
  cbMerge = PutControl<TCheckBox>(this, panSplit, "cbMerge", 12, 92, 290, 22);
  panUnmerge = PutControl<TGroupBox>(this, this, "panUnmerge", 8, 88, 314, 136);
  cbUnmergeRows = PutControl<TCheckBox>(this, panUnmerge, "cbUnmergeRows", 12, 24, 290, 22);
  cbUnmergeCols = PutControl<TCheckBox>(this, panUnmerge, "cbUnmergeCols", 12, 52, 290, 22);
  cbUnmergeRows->SetChecked(true);
  cbUnmergeCols->SetChecked(true);
  panUnmerge->SetVisible(false);
  rbSplit->SetChecked(true);
  for (TRadioButton* rb : {rbSplit, rbUnmerge}) rb->OnClick = [this](TObject* s) { rbClick(s); };
  btnOk = PutControl<TButton>(this, this, "btnOk", 160, 232, 78, 28);
  btnOk->ModalResult = mrOk;
  btnOk->SetDefault(true);
  btnCancel = PutControl<TButton>(this, this, "btnCancel", 244, 232, 78, 28);
  btnCancel->ModalResult = mrCancel;
  btnCancel->Cancel = true;
  _rbSplit = rbSplit;
  _rbUnmerge = rbUnmerge;
  _panUnmerge = panUnmerge;
  _panSplit = panSplit;
  _cbUnmergeRows = cbUnmergeRows;
  _cbUnmergeCols = cbUnmergeCols;
  _cbMerge = cbMerge;
}

void TfrmVLSplit::Localize() {
  TfrmVLBase::Localize();
  btnOk->SetText(LanguageText(195));
  btnCancel->SetText(LanguageText(196));
  SetFormCaption(LanguageText(536));
  GroupBox1->SetText(LanguageTextPadded(537));
  rbSplit->SetText(LanguageText(538));
  rbUnmerge->SetText(LanguageText(539));
  cbUnmergeRows->SetText(LanguageText(544));
  cbUnmergeCols->SetText(LanguageText(543));
  Label1->SetText(LanguageText(540));
  Label2->SetText(LanguageText(541));
  cbMerge->SetText(LanguageText(542));
}

void TfrmVLSplit::rbClick(TObject*) {
  panSplit->SetVisible(rbSplit->GetChecked());
  panUnmerge->SetVisible(rbUnmerge->GetChecked());
}

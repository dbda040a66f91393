#pragma once
// The list dialog: a list of choices, each with an integer code; a double
// click or OK takes the selected one. Prepared here as Paste Special.
#include "actions/BaseVLFrm.h"

class TfrmVLList : public TfrmVLBase {
public:
  explicit TfrmVLList(TComponent* AOwner);
  // Lists the clipboard's formats in the fixed order, each with its code
  // (1 document format, 2 RTF, 3 text, 4 Unicode text, 5 bitmap,
  // 6 metafile); the first one is selected.
  void FillPasteFormats(const String& VLFName);
  // The code of the selected entry, -1 when none.
  int SelectedCode();
  void Localize() override;

  TListBox* lst;
  TLabel* Label1;
  TButton* btnOk;
  TButton* btnCancel;
};

#pragma once
// A list box whose rows carry check boxes and whose captions may be edited
// in place (the row's text is edited; the handler may refuse the name).
#include "platform/gui/StdCtrls.h"

#include <functional>

class TCheckListBox : public TListBox {
public:
  explicit TCheckListBox(TComponent* AOwner);
  bool GetChecked(int index) const;
  // Sets the mark without firing OnClickCheck.
  void SetChecked(int index, bool value);
  // Rows added after the last call get their check boxes here too.
  void PrepareRows();
  bool AllowEdit = false;
  // Starts editing the caption of a row (when AllowEdit and OnEditing allow).
  void EditRow(int index);
  // Ends an edit of a row with Text, as the in-place editor does.
  void CommitEdit(int index, const String& text);
  // The user ticked or unticked a row.
  std::function<void(TObject*, int Index)> OnClickCheck;
  // May refuse the edit of a row.
  std::function<void(TObject*, int Index, bool& AllowEdit)> OnEditing;
  // The edited caption; the handler may change Text (back to the old one).
  std::function<void(TObject*, int Index, const String& OldText, String& Text)> OnEdited;

private:
  bool FSetting = false;
  std::vector<String> FCaptions;
};

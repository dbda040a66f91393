#pragma once
// The simple-style combo box: an edit over a list that is always open.
// Clicking an entry puts its text into the edit and fires OnClick; typing
// fires OnChange and selects the entry that equals the text, if any.
#include "platform/gui/StdCtrls.h"

#include <memory>

class TSimpleComboBox : public TWinControl {
public:
  explicit TSimpleComboBox(TComponent* AOwner);
  ~TSimpleComboBox() override;
  TStrings& Items();
  int GetItemIndex() const;
  // Selects the entry and shows its text (-1 selects none, text stays).
  void SetItemIndex(int value);
  String GetText() const override;
  // Sets the edit's text; an equal entry (without case) becomes selected.
  void SetText(const String& value) override;
  int GetSelStart() const;
  int GetSelLength() const;
  void SelectAll();
  TNotifyEvent OnChange;
  // What a user's click on an entry does (also for scripts).
  void ClickItem(int index);

private:
  void SelectMatching();
  std::unique_ptr<TControlItems> FItems;
  struct TParts;
  std::unique_ptr<TParts> FParts;
};

#pragma once
// Four values, one per side, each of which may be undecided (empty), with a
// box that keeps the four equal: padding, border offsets and (as the cell
// spacing dialog) a table's spacings.
#include "actions/BaseVLFrm.h"
#include "actions/VLSpinEdit.h"

class TfrmVLFourSides : public TfrmVLBase {
public:
  explicit TfrmVLFourSides(TComponent* AOwner);
  void Localize() override;
  // A defined value is shown (limited to the field's range); an undefined
  // one leaves its field empty. Equal is ticked when the four values and the
  // four flags are equal.
  void SetValues(Integer Left, Integer Top, Integer Right, Integer Bottom, bool LeftDefined, bool TopDefined,
                 bool RightDefined, bool BottomDefined);
  // A side is defined when its field is not empty. A value that was outside
  // the field's range and that the user left as shown comes back undefined,
  // so that merely confirming never rewrites it.
  void GetValues(Integer& Left, Integer& Top, Integer& Right, Integer& Bottom, bool& LeftDefined,
                 bool& TopDefined, bool& RightDefined, bool& BottomDefined);

  TGroupBox* gb;
  TLabel *lblTop, *lblBottom, *lblLeft, *lblRight;
  TVLSpinEdit *seTop, *seBottom, *seLeft, *seRight;
  TCheckBox* cbEqual;
  TButton *btnOk, *btnCancel;
  TControl* _gb = nullptr;
  TControl* _cbEqual = nullptr;

  void cbEqualClick(TObject* Sender);
  void seTopChange(TObject* Sender);

protected:
  void SetRanges(double Min, double Max);

private:
  struct TClamped {
    bool Was = false;
    String Shown;
  };
  TClamped FClamped[4];
  bool FUpdating = false;
};

// The same with the range -1 to 30 and the texts of a table's cell spacing.
class TfrmVLSpacing : public TfrmVLFourSides {
public:
  explicit TfrmVLSpacing(TComponent* AOwner);
  void Localize() override;
  TLabel *Label5, *Label6;
};

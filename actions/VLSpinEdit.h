#pragma once
// The numeric field of the dialogs: an edit with small arrows at its right
// edge. The text is the only store of the value; an empty text is the
// indeterminate state (no common value across a selection).
#include "platform/gui/ComCtrls.h"
#include "platform/gui/StdCtrls.h"

// The arrows: report each step as OnDelta (+1 up, -1 down) and never reach
// a limit.
class TVLUpDown : public TUpDown {
public:
  explicit TVLUpDown(TComponent* AOwner);
  std::function<void(TObject* Sender, Integer Delta)> OnDelta;
};

class TVLSpinEdit : public TEdit {
public:
  explicit TVLSpinEdit(TComponent* AOwner);

  double MinValue = 0;
  double MaxValue = 1000;
  double Increment = 1;
  bool IntegerValue = true;
  bool EditorEnabled = true;

  // The number the text shows, not clamped; CheckValue(0) for no number.
  double GetValue() const;
  // Shows CheckValue(value) (15 significant digits).
  void SetValue(double value);
  // Value rounded to the nearest integer, halves to even.
  Integer AsInteger() const;
  bool GetIndeterminate() const;
  void SetIndeterminate(bool value);
  // Rounded when IntegerValue, then limited to MinValue..MaxValue unless the
  // two are equal.
  double CheckValue(double value) const;
  virtual bool IsValidChar(char16_t Key) const;
  TVLUpDown* UpDown() const { return FUpDown; }

  // Right to left puts the arrows at the left edge.
  TBiDiMode GetBiDiMode() const { return FBiDiMode; }
  void SetBiDiMode(TBiDiMode value);
  // The least height that shows the font: its character height, a quarter
  // of the smaller of that and the system font's, the borders and 2.
  Integer MinHeight() const;

  // Never lower than MinHeight; places the arrows and the text area.
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  void SetEnabled(bool value) override;

protected:
  bool DoKeyDown(Word& Key, TShiftState Shift) override;
  bool DoKeyPress(char16_t& Key) override;
  bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
  void DoEnter() override;
  void DoExit() override;

private:
  void Step(double delta);
  bool RightToLeft() const { return FBiDiMode == bdRightToLeft || FBiDiMode == bdRightToLeftNoAlign; }
  void UpdateEditRect();
  TVLUpDown* FUpDown = nullptr;
  TBiDiMode FBiDiMode = bdLeftToRight;
};

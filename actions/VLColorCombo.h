#pragma once
// The colour field of the dialogs: a box drawn like a drop-down combo whose
// text area shows the chosen colour; a click, Down or F4 drops the colour
// pop-up under it, and a pick becomes its colour and fires OnColorChange.
// Indeterminate shows no colour (a mixed selection).
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/Controls.h"

class TfrmColor;

class TVLColorCombo : public TCustomControl {
public:
  explicit TVLColorCombo(TComponent* AOwner);
  ~TVLColorCombo() override;

  TColor GetChosenColor() const { return FChosenColor; }
  // Stores, clears Indeterminate and repaints; never fires OnColorChange.
  void SetChosenColor(TColor value);
  bool GetIndeterminate() const { return FIndeterminate; }
  void SetIndeterminate(bool value);
  TColorDialog* GetColorDialog() const { return FColorDialog; }
  void SetColorDialog(TColorDialog* value);
  bool GetUseXPThemes() const { return FUseXPThemes; }
  void SetUseXPThemes(bool value);
  TfrmColor* PopupForm() const { return FPopupForm; }

  TColor AutoColor = clNone;
  String AutoCaption = "Auto";
  String TransparentCaption = "Transparent";
  String DefaultCaption;
  TNotifyEvent OnColorChange;

  String GetAutoText() const;
  // Height from the font: Hf + min(Hs, Hf) div 4 + 4 x border + 6.
  static Integer ComboHeight(Integer FontHeight, Integer SystemFontHeight, Integer BorderHeight);
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  void SetEnabled(bool value) override;

protected:
  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  bool DoKeyDown(Word& Key, TShiftState Shift) override;
  void DoEnter() override;
  void DoExit() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void PopupDestroyed(TObject* Sender);
  Integer GetComboHeight() const;
  TColor FChosenColor = clNone;
  bool FIndeterminate = false;
  bool FUseXPThemes = true;
  bool FMouseInControl = false;
  bool FLeftDown = false;
  TColorDialog* FColorDialog = nullptr;
  TfrmColor* FPopupForm = nullptr;
};

// The lightness of a colour on the scale 0 (black) to 240 (white).
Integer ColorLightness(TColor Color);

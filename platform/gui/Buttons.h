#pragma once
// Speed buttons: tool-bar style buttons that take no focus unless told to
// (a dialog's buttons the keyboard reaches: Tab, a label's key, Space). Buttons
// of one parent sharing a GroupIndex above 0 act as a group: at most one is
// Down; AllowAllUp lets a click release the pressed one. A flat button draws
// its frame only while the mouse is over it; Flat is also kept as a plain
// value that dialogs read.
#include "platform/gui/Controls.h"

#include <memory>

class TSpeedButton : public TWinControl {
public:
  explicit TSpeedButton(TComponent* AOwner);
  ~TSpeedButton() override;

  String GetText() const override;
  void SetText(const String& value) override;
  bool GetDown() const { return FDown; }
  // Pressing one of a group releases the others of the group.
  void SetDown(bool value);
  bool GetFlat() const { return FFlat; }
  void SetFlat(bool value);
  int GetGroupIndex() const { return FGroupIndex; }
  void SetGroupIndex(int value);
  bool GetAllowAllUp() const { return FAllowAllUp; }
  void SetAllowAllUp(bool value);
  // The picture; its bottom-left pixel's colour is drawn transparent.
  TBitmap& Glyph();
  void GlyphChanged();
  // What a user's click does: the group rule, then OnClick.
  void Click() override;
  void SetTakesFocus(bool value);
  bool CanFocus() const override { return FTakesFocus && TWinControl::CanFocus(); }

private:
  void ApplyState();
  void ReleaseOthers();
  std::unique_ptr<TBitmap> FGlyph;
  bool FDown = false;
  bool FFlat = false;
  bool FAllowAllUp = false;
  bool FTakesFocus = false;
  int FGroupIndex = 0;
};

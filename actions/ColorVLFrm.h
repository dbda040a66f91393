#pragma once
// The colour pop-up: a borderless window that drops under a colour control
// or a tool button with an automatic entry, the 40-colour palette and a
// more-colours entry. A click, or Enter after the arrow keys, picks; Escape
// or losing activation closes it without a pick, and so does Alt with a
// letter, which opens that menu of the window beneath. It frees itself when
// it closes; the opener reads Chosen and SelectedColor in OnDestroy.
#include "actions/BaseVLFrm.h"
#include "platform/gui/Buttons.h"
#include "platform/gui/CommonDialogs.h"

#include <vector>

constexpr int PALETTE_COLOR_COUNT = 40;
struct TVLPaletteColor {
  const char* Name;  // 8-bit text, not owned (the language table's)
  TColor Color;
};
// Row-major, 5 rows of 8.
extern TVLPaletteColor PaletteColors[PALETTE_COLOR_COUNT];
// Points the names at the current language's texts 232 to 271.
void LocalizePaletteNames();

class TfrmColor : public TfrmVLBase {
public:
  explicit TfrmColor(TComponent* AOwner);
  ~TfrmColor() override;

  void Init(TColor AutoColor, TColorDialog* AColorDialog, TColor InitialColor);
  void PopupAtCursor();
  void PopupAtRect(const TRect& R);
  void PopupUnder(TControl* Control);
  void Localize() override;

  TColorDialog* ColorDialog = nullptr;
  TColor SelectedColor = clNone;
  bool Chosen = false;
  int SelectedIndex = -1;
  std::vector<TSpeedButton*> Buttons;
  TSpeedButton* MoreColorsButton = nullptr;
  String DefaultCaption;
  bool Silent = false;
  // The colour dialog of its own, used when the opener gives none.
  TColorDialog* cd = nullptr;

  void ColorButtonClick(TObject* Sender);
  void MoreColorsClick(TObject* Sender);

  void WndProc(TMessage& Message) override;

protected:
  bool DoKeyDown(Word& Key, TShiftState Shift) override;
  void Paint() override;
  void Activate() override;
  void Deactivate() override;
  void DoClose(TCloseAction& Action) override;

private:
  void UpdateSelection(int s);
  void PlaceAt(Integer x, Integer y);
  bool FInColorDialog = false;
  bool FActiveNow = false;
};

// The swatch a palette button shows: a 14 x 14 picture, a 10 x 10 square of
// Color inside a 1-pixel shadow frame, ringed in red (white for red itself).
void MakeColorSwatch(TBitmap& Bitmap, TColor Color);

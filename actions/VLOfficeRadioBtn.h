#pragma once
// The picture radio button of the dialogs (a box showing one picture of an
// image list over or under its caption, a coloured frame when checked) and
// the captioned group that arranges one such button per item in columns and
// walks them with the arrow keys.
#include "platform/gui/AccessKey.h"
#include "platform/gui/Controls.h"
#include "platform/gui/ImgList.h"

#include <vector>

class TVLOfficeRadioButton;
enum TORBTextPosition { orbtpBottom, orbtpTop };
using TORBCustomDrawEvent =
    std::function<void(TVLOfficeRadioButton* Sender, TCanvas* Canvas, const TRect& ARect, bool& DoDefault)>;

// Limits Value to Min..Max; Max wins when Min exceeds it.
void ClampInteger(Integer& Value, Integer Min, Integer Max);

class TVLOfficeRadioButton : public TCustomControl {
public:
  explicit TVLOfficeRadioButton(TComponent* AOwner);
  ~TVLOfficeRadioButton() override;

  bool GetChecked() const { return FChecked; }
  // Checking unchecks the sibling radio buttons and fires OnClick.
  void SetChecked(bool value);

  TColor GetFillColor() const { return FFillColor; }
  void SetFillColor(TColor value);
  TColor GetSelColor() const { return FSelColor; }
  void SetSelColor(TColor value);
  Integer GetSelWidth() const { return FSelWidth; }
  void SetSelWidth(Integer value);
  Integer GetTextAreaHeight() const { return FTextAreaHeight; }
  void SetTextAreaHeight(Integer value);
  bool GetDisabled3D() const { return FDisabled3D; }
  void SetDisabled3D(bool value);
  TCustomImageList* GetImages() const { return FImages; }
  void SetImages(TCustomImageList* value);
  Integer GetImageIndex() const { return FImageIndex; }
  void SetImageIndex(Integer value);
  bool GetSquare() const { return FSquare; }
  void SetSquare(bool value);
  bool GetLargeSelection() const { return FLargeSelection; }
  void SetLargeSelection(bool value);
  TORBTextPosition GetTextPosition() const { return FTextPosition; }
  void SetTextPosition(TORBTextPosition value);
  bool GetUseXPThemes() const { return FUseXPThemes; }
  void SetUseXPThemes(bool value);
  TORBCustomDrawEvent OnCustomDraw;

  String GetText() const override { return FText; }
  void SetText(const String& value) override;
  void SetEnabled(bool value) override;

  // The picture box inside Rect (the client area), after the caption band
  // and the square cut.
  TRect ImageArea(const TRect& Rect) const;
  // The caption band's height at the screen's resolution.
  Integer ScaledTextAreaHeight() const;
  // Draws the button on Canvas (the client rectangle is ARect).
  void PaintButton(TCanvas& Canvas, const TRect& ARect, bool Focused);

  // Whether a click, a key or the arriving focus may check the button.
  virtual bool CanCheck() { return true; }

protected:
  void Paint() override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  bool DoKeyPress(char16_t& Key) override;
  void DoEnter() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  friend class TVLOfficeRadioGroup;

  bool FChecked = false;
  TColor FFillColor = clWindow;
  TColor FSelColor = clHighlight;
  Integer FSelWidth = 2;
  Integer FTextAreaHeight = 30;
  bool FDisabled3D = true;
  Integer FImageIndex = -1;
  TORBTextPosition FTextPosition = orbtpBottom;
  TCustomImageList* FImages = nullptr;
  bool FSquare = false;
  bool FUseXPThemes = true;
  bool FLargeSelection = false;

private:
  TChangeLink FChangeLink;
  // The caption's key focuses and checks the button, as a click does.
  TAccessKey FAccessKey;
};

// ---------------------------------------------------------------------------
class TVLOfficeRadioGroup;

// What differs from button to button.
struct TOfficeGroupItem {
  TColor FillColor = clWindow;
  Integer ImageIndex = -1;
  bool Enabled = true;
  String Hint;
  int HelpContext = 0;
  String Caption = "Item";
};

class TOfficeGroupButton : public TVLOfficeRadioButton {
public:
  explicit TOfficeGroupButton(TVLOfficeRadioGroup* Group);
  ~TOfficeGroupButton() override;
  bool CanCheck() override;

protected:
  bool DoKeyDown(Word& Key, TShiftState Shift) override;
  bool DoKeyPress(char16_t& Key) override;
  void DblClick() override;

private:
  TVLOfficeRadioGroup* FGroup;
};

using TORGCustomDrawEvent = std::function<void(TVLOfficeRadioGroup* Sender, Integer ItemIndex, TCanvas* Canvas,
                                               const TRect& ARect, bool& DoDefault)>;

class TVLOfficeRadioGroup : public TCustomControl {
public:
  explicit TVLOfficeRadioGroup(TComponent* AOwner);
  ~TVLOfficeRadioGroup() override;

  // --- items: changing the list rebuilds the buttons; changing one item
  // refreshes its button.
  Integer ItemCount() const { return static_cast<Integer>(FItems.size()); }
  TOfficeGroupItem& Item(Integer Index) { return FItems.at(static_cast<size_t>(Index)); }
  void AddItem(const String& Caption, Integer ImageIndex = -1);
  void DeleteItem(Integer Index);
  void ClearItems();
  // Call after changing Item(Index).
  void ItemChanged(Integer Index);

  Integer GetItemIndex() const { return FItemIndex; }
  void SetItemIndex(Integer value);
  Integer GetColumns() const { return FColumns; }
  void SetColumns(Integer value);
  Integer GetMargin() const { return FMargin; }
  void SetMargin(Integer value);
  TCustomImageList* GetImages() const { return FImages; }
  void SetImages(TCustomImageList* value);
  void SetSelColor(TColor value);
  void SetSelWidth(Integer value);
  void SetTextAreaHeight(Integer value);
  Integer GetTextAreaHeight() const { return FTextAreaHeight; }
  void SetDisabled3D(bool value);
  void SetTextPosition(TORBTextPosition value);
  void SetSquare(bool value);
  void SetUseXPThemes(bool value);
  bool GetUseXPThemes() const { return FUseXPThemes; }
  void SetOnCustomDraw(TORGCustomDrawEvent value);
  TNotifyEvent OnDblClickItem;
  // Right to left shows the first column at the right.
  TBiDiMode GetBiDiMode() const { return FBiDiMode; }
  void SetBiDiMode(TBiDiMode value);

  String GetText() const override { return FText; }
  void SetText(const String& value) override;
  void SetEnabled(bool value) override;

  Integer ButtonCount() const { return static_cast<Integer>(FButtons.size()); }
  TOfficeGroupButton* Buttons(Integer Index) const { return FButtons.at(static_cast<size_t>(Index)); }
  // The cell the arrow Key leads to from button Index; -1 when no button can
  // take the focus.
  Integer GetNextButton(Integer Index, Word Key) const;
  // The caption band: the font's character height plus one.
  Integer CaptionBandHeight();
  void ArrangeButtons();
  void UpdateButtons();
  void UpdateButton(Integer Index);
  virtual bool CanModify() { return true; }

protected:
  void Paint() override;
  void Resize() override;
  void FontChanged() override;
  void DoEnter() override;

private:
  friend class TOfficeGroupButton;
  void ButtonClick(TObject* Sender);
  void UpdateButtonProps(bool Repaint);
  void SetButtonCount(Integer Count);
  Integer IndexOfButton(const TOfficeGroupButton* Button) const;

  std::vector<TOfficeGroupButton*> FButtons;
  std::vector<TOfficeGroupItem> FItems;
  Integer FItemIndex = -1;
  Integer FColumns = 1;
  bool FUpdating = false;
  Integer FMargin = 10;
  TCustomImageList* FImages = nullptr;
  bool FDisabled3D = true;
  Integer FSelWidth = 2;
  Integer FTextAreaHeight = 30;
  TColor FSelColor = clHighlight;
  TORBTextPosition FTextPosition = orbtpBottom;
  TORGCustomDrawEvent FOnCustomDraw;
  // The caption's key moves the focus to the checked button.
  TAccessKey FAccessKey;
  bool FSquare = false;
  bool FUseXPThemes = true;
  TBiDiMode FBiDiMode = bdLeftToRight;
};

#pragma once
// The text-style conversion protocol and the one-colour commands: a text
// command changes a private copy of each text style the editor hands it and
// answers with an equal existing style or a new one; a colour command asks
// for its colour (not at all, the colour dialog or the colour pop-up) and
// then applies it. And the Fill Color command, which colours the text or
// the paragraphs of the selection through those commands.
#include "actions/VLActions.h"

class TfrmColor;

class TvlActionTextStyles : public TvlAction {
public:
  explicit TvlActionTextStyles(TComponent* AOwner) : TvlAction(AOwner) {}
  // Runs the protocol on Editor with ConvertTextStyle as the per-style step.
  void ApplyTextStyleConversion(TVLActionEditor* Editor, Integer UserData);
  void ExecuteTarget(TObject* Target) override;

protected:
  virtual void ConvertTextStyle(TVLActionEditor* Editor, TFontInfo& Style, Integer StyleNo, Integer UserData) = 0;
};

// The handler the protocol installs: maps StyleNo through Step to an equal
// style of the sheet, adding one (FireStyleAdded) when none is equal.
void ConvertTextStyleThrough(TObject* Action, TVLActionEditor* Sender, Integer StyleNo, bool AppliedToText,
                             Integer& NewStyleNo,
                             const std::function<void(TVLActionEditor*, TFontInfo&, Integer)>& Step);
// Installs Handler on the editor chain around Run, restoring the previous one
// also when Run raises.
void WithStyleConversion(TVLActionEditor* Editor, const TVLActionStyleConversionEvent& Handler,
                         const std::function<void()>& Run);

enum TvlaColorInterface { vlacNone, vlacColorDialog, vlacAdvanced };

class TvlActionCustomColor : public TvlAction {
public:
  explicit TvlActionCustomColor(TComponent* AOwner);
  ~TvlActionCustomColor() override;

  TColor GetColor() const { return FColor; }
  // Also refreshes the hint (the colour's name) while ColorNameInHint is on;
  // the caption is left as it is.
  void SetColor(TColor value);
  TvlaColorInterface UserInterface = vlacAdvanced;
  TColor DefaultColor = clNone;
  TNotifyEvent OnShowColorPicker;
  TNotifyEvent OnHideColorPicker;
  TControl* GetCallerControl() const { return FCallerControl; }
  void SetCallerControl(TControl* value);
  // The open pop-up (nullptr when none).
  TfrmColor* ColorPopup() const { return FPopup; }

  void ExecuteTarget(TObject* Target) override;
  void Localize() override;

  virtual void ApplyColor(TVLActionEditor* Editor, Integer UserData) = 0;
  virtual TColor GetCurrentColor(TVLActionEditor* Editor) = 0;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void LocalizeHint();
  void PopupClosed(TObject* Sender);
  void SetPopupEditor(TWinControl* control);
  TColor FColor = clNone;
  TfrmColor* FPopup = nullptr;
  TWinControl* FPopupEditor = nullptr;
  TControl* FCallerControl = nullptr;
};

class TvlActionFontCustomColor : public TvlActionCustomColor {
public:
  explicit TvlActionFontCustomColor(TComponent* AOwner) : TvlActionCustomColor(AOwner) {}
  void ApplyColor(TVLActionEditor* Editor, Integer UserData) override;

protected:
  virtual void ApplyColorToStyle(TVLActionEditor* Editor, TFontInfo& Style, Integer StyleNo, Integer UserData) = 0;
};

class TvlActionFontColor : public TvlActionFontCustomColor {
public:
  explicit TvlActionFontColor(TComponent* AOwner);
  TColor GetCurrentColor(TVLActionEditor* Editor) override;

protected:
  void ApplyColorToStyle(TVLActionEditor* Editor, TFontInfo& Style, Integer StyleNo, Integer UserData) override;
};

class TvlActionFontBackColor : public TvlActionFontCustomColor {
public:
  explicit TvlActionFontBackColor(TComponent* AOwner);
  TColor GetCurrentColor(TVLActionEditor* Editor) override;

protected:
  void ApplyColorToStyle(TVLActionEditor* Editor, TFontInfo& Style, Integer StyleNo, Integer UserData) override;
};

// What Fill Color may colour.
enum TVLAFillColorApplyTo { vlafcaApplyText, vlafcaApplyParagraph, vlafcaApplyCell, vlafcaApplyTable };
using TVLAFillColorApplyToSet = TSet<TVLAFillColorApplyTo>;

// The Fill Color dialog on the selection: the background colour of the
// selected text, the background colour and padding of the selected
// paragraphs, the colour of the selected table cells or of the table at the
// caret. The dialog opens on what the selection has in common.
class TvlActionFillColor : public TvlAction {
public:
  explicit TvlActionFillColor(TComponent* AOwner);
  void ExecuteTarget(TObject* Target) override;

  // What the selection holds, as the last execution found it.
  TColor TextColor = clNone;
  TColor ParaColor = clNone;
  TVLRect Padding;
  TVLBooleanRect PaddingSides{false};
  bool TextColorFound = false, ParaColorFound = false, TextColorMixed = false, ParaColorMixed = false;
  TVLAFillColorApplyToSet AllowApplyingTo{vlafcaApplyText, vlafcaApplyParagraph, vlafcaApplyCell,
                                          vlafcaApplyTable};

  // Walks the selection of Editor's innermost editor and records the above.
  void GatherColors(TVLActionEditor* Editor);

protected:
  void ProcessItem(TCustomVLData* VLData, Integer ItemNo, TVLActionEditor* Data, void* Param) override;
};

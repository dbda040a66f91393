#pragma once
// The two Font commands: the standard font dialog applying a whole font,
// and the library's own Font dialog, which shows what all runs of the
// selection share and applies only the attributes the user left decided.
#include "actions/VLActionsColor.h"

class TfrmVLFont;

class TvlActionFonts : public TvlActionTextStyles {
public:
  explicit TvlActionFonts(TComponent* AOwner);
  void ExecuteTarget(TObject* Target) override;
  TFont Font;
  bool UserInterface = true;

protected:
  void ConvertTextStyle(TVLActionEditor* Editor, TFontInfo& Style, Integer StyleNo, Integer UserData) override;
};

// The attributes of the Font dialog, as bits of ValidProperties.
enum TVLFontProperty {
  vlfpName, vlfpSize, vlfpCharset, vlfpBold, vlfpItalic, vlfpUnderline, vlfpStrikeOut, vlfpOverline,
  vlfpAllCaps, vlfpVShift, vlfpColor, vlfpCharScale, vlfpCharSpacing
};
using TVLFontProperties = TSet<TVLFontProperty>;
inline constexpr TVLFontProperties AllFontProperties{
    vlfpName, vlfpSize, vlfpCharset, vlfpBold, vlfpItalic, vlfpUnderline, vlfpStrikeOut,
    vlfpOverline, vlfpAllCaps, vlfpVShift, vlfpColor, vlfpCharScale, vlfpCharSpacing};

class TvlActionFontEx : public TvlActionFonts {
public:
  explicit TvlActionFontEx(TComponent* AOwner);
  void ExecuteTarget(TObject* Target) override;

  TVLFontProperties ValidProperties;
  Integer VShift = 0;
  Integer CharScale = 100;
  TVLFontStyles StyleEx;
  Integer CharSpacing = 0;

  // Reads the selection of Editor's innermost editor into the fields;
  // attributes the runs disagree on leave ValidProperties. A selection
  // without text takes the current text style.
  void GatherProperties(TVLActionEditor* Editor);
  void FillDialog(TfrmVLFont& Dialog);
  void ReadDialog(TfrmVLFont& Dialog);

protected:
  void ProcessItem(TCustomVLData* VLData, Integer ItemNo, TVLActionEditor* Data, void* Param) override;
  bool CanContinue(void* Param) override { return !ValidProperties.Empty(); }
  void ConvertTextStyle(TVLActionEditor* Editor, TFontInfo& Style, Integer StyleNo, Integer UserData) override;

private:
  void TakeStyle(const TFontInfo& S);
};

#pragma once
// Bold, italic, underline, strike-out, all capitals and overline toggles, and
// the grow and shrink size commands: text-style commands that change each
// style of the selection through the conversion protocol.
#include "actions/VLActionsColor.h"

class TvlActionFontStyle : public TvlActionTextStyles {
public:
  TvlActionFontStyle(TComponent* AOwner, TFontStyle Toggled, Word Id);
  void UpdateTarget(TObject* Target) override;

protected:
  void ConvertTextStyle(TVLActionEditor* Editor, TFontInfo& Style, Integer StyleNo, Integer UserData) override;

private:
  TFontStyle FFontStyle;
};

class TvlActionFontBold : public TvlActionFontStyle {
public:
  explicit TvlActionFontBold(TComponent* AOwner) : TvlActionFontStyle(AOwner, fsBold, 157) {}
};
class TvlActionFontItalic : public TvlActionFontStyle {
public:
  explicit TvlActionFontItalic(TComponent* AOwner) : TvlActionFontStyle(AOwner, fsItalic, 159) {}
};
class TvlActionFontUnderline : public TvlActionFontStyle {
public:
  explicit TvlActionFontUnderline(TComponent* AOwner) : TvlActionFontStyle(AOwner, fsUnderline, 161) {}
};
class TvlActionFontStrikeout : public TvlActionFontStyle {
public:
  explicit TvlActionFontStrikeout(TComponent* AOwner) : TvlActionFontStyle(AOwner, fsStrikeOut, 163) {}
};

class TvlActionFontStyleEx : public TvlActionTextStyles {
public:
  TvlActionFontStyleEx(TComponent* AOwner, TVLFontStyle Toggled, Word Id);
  void UpdateTarget(TObject* Target) override;

protected:
  void ConvertTextStyle(TVLActionEditor* Editor, TFontInfo& Style, Integer StyleNo, Integer UserData) override;

private:
  TVLFontStyle FStyleEx;
};

class TvlActionFontAllCaps : public TvlActionFontStyleEx {
public:
  explicit TvlActionFontAllCaps(TComponent* AOwner) : TvlActionFontStyleEx(AOwner, vlfsAllCaps, 173) {}
};
class TvlActionFontOverline : public TvlActionFontStyleEx {
public:
  explicit TvlActionFontOverline(TComponent* AOwner) : TvlActionFontStyleEx(AOwner, vlfsOverline, 175) {}
};

// Size steps (sizes are points; a negative size keeps its sign).
Integer GrowSizeByPercent(Integer Size, Integer Percent, Integer MaxSize);
Integer ShrinkSizeByPercent(Integer Size, Integer Percent, Integer MinSize);
Integer GrowSizeByOnePoint(Integer Size, Integer MaxSize);
Integer ShrinkSizeByOnePoint(Integer Size, Integer MinSize);

class TvlActionFontShrinkGrow : public TvlActionTextStyles {
public:
  explicit TvlActionFontShrinkGrow(TComponent* AOwner) : TvlActionTextStyles(AOwner) {}
  Integer Percent = 10;
};

class TvlActionFontGrow : public TvlActionFontShrinkGrow {
public:
  explicit TvlActionFontGrow(TComponent* AOwner);
  Integer MaxSize = 100;

protected:
  void ConvertTextStyle(TVLActionEditor*, TFontInfo& Style, Integer, Integer) override {
    Style.Size = GrowSizeByPercent(Style.Size, Percent, MaxSize);
  }
};

class TvlActionFontShrink : public TvlActionFontShrinkGrow {
public:
  explicit TvlActionFontShrink(TComponent* AOwner);
  Integer MinSize = 1;

protected:
  void ConvertTextStyle(TVLActionEditor*, TFontInfo& Style, Integer, Integer) override {
    Style.Size = ShrinkSizeByPercent(Style.Size, Percent, MinSize);
  }
};

class TvlActionFontGrowOnePoint : public TvlActionTextStyles {
public:
  explicit TvlActionFontGrowOnePoint(TComponent* AOwner);
  Integer MaxSize = 100;

protected:
  void ConvertTextStyle(TVLActionEditor*, TFontInfo& Style, Integer, Integer) override {
    Style.Size = GrowSizeByOnePoint(Style.Size, MaxSize);
  }
};

class TvlActionFontShrinkOnePoint : public TvlActionTextStyles {
public:
  explicit TvlActionFontShrinkOnePoint(TComponent* AOwner);
  Integer MinSize = 1;

protected:
  void ConvertTextStyle(TVLActionEditor*, TFontInfo& Style, Integer, Integer) override {
    Style.Size = ShrinkSizeByOnePoint(Style.Size, MinSize);
  }
};

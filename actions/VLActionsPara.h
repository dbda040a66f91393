#pragma once
// Paragraph commands: word wrap, alignment, indent, line spacing and the
// paragraph background colour. Each changes a private copy of the paragraph
// style of the affected paragraphs and answers with an equal existing style
// or a new one.
#include "actions/VLActionsColor.h"

class TvlActionParaStyles : public TvlAction {
public:
  explicit TvlActionParaStyles(TComponent* AOwner);
  void ApplyParaConversion(TVLActionEditor* Editor, Integer UserData);
  void ExecuteTarget(TObject* Target) override;

protected:
  virtual void ConvertParaStyle(TVLActionEditor* Editor, TParaInfo& ParaInfo, Integer StyleNo, Integer UserData) = 0;
  // The current paragraph style of the target editor (nullptr without one).
  TParaInfo* CurrentParaStyle(TObject* Target);
};

// The paragraph handler: maps StyleNo through Step to an equal style of the
// sheet, adding one (FireStyleAdded) when none is equal.
void ConvertParaStyleThrough(TObject* Action, TVLActionEditor* Sender, Integer StyleNo, Integer& NewStyleNo,
                             const std::function<void(TVLActionEditor*, TParaInfo&, Integer)>& Step);

class TvlActionWordWrap : public TvlActionParaStyles {
public:
  explicit TvlActionWordWrap(TComponent* AOwner);
  void UpdateTarget(TObject* Target) override;

protected:
  void ConvertParaStyle(TVLActionEditor* Editor, TParaInfo& ParaInfo, Integer StyleNo, Integer UserData) override;
};

class TvlActionAlignment : public TvlActionParaStyles {
public:
  TvlActionAlignment(TComponent* AOwner, TVLAlignment Value, Word Id);
  void UpdateTarget(TObject* Target) override;
  TVLAlignment Alignment;

protected:
  void ConvertParaStyle(TVLActionEditor* Editor, TParaInfo& ParaInfo, Integer StyleNo, Integer UserData) override;
};

class TvlActionAlignLeft : public TvlActionAlignment {
public:
  explicit TvlActionAlignLeft(TComponent* AOwner) : TvlActionAlignment(AOwner, vlaLeft, 85) {}
};
class TvlActionAlignRight : public TvlActionAlignment {
public:
  explicit TvlActionAlignRight(TComponent* AOwner) : TvlActionAlignment(AOwner, vlaRight, 87) {}
};
class TvlActionAlignCenter : public TvlActionAlignment {
public:
  explicit TvlActionAlignCenter(TComponent* AOwner) : TvlActionAlignment(AOwner, vlaCenter, 89) {}
};
class TvlActionAlignJustify : public TvlActionAlignment {
public:
  explicit TvlActionAlignJustify(TComponent* AOwner) : TvlActionAlignment(AOwner, vlaJustify, 91) {}
};

class TvlActionIndent : public TvlActionParaStyles {
public:
  explicit TvlActionIndent(TComponent* AOwner) : TvlActionParaStyles(AOwner) {}
  void ExecuteTarget(TObject* Target) override;
  Integer IndentStep = 24;

protected:
  virtual Integer ListLevelDelta() const = 0;
  // The side the paragraph is indented on: right for right-to-left text.
  static bool IndentsRight(TVLActionEditor* Editor, const TParaInfo& ParaInfo);
};

class TvlActionIndentInc : public TvlActionIndent {
public:
  explicit TvlActionIndentInc(TComponent* AOwner);
  Integer IndentMax = 200;

protected:
  void ConvertParaStyle(TVLActionEditor* Editor, TParaInfo& ParaInfo, Integer StyleNo, Integer UserData) override;
  Integer ListLevelDelta() const override { return 1; }
};

class TvlActionIndentDec : public TvlActionIndent {
public:
  explicit TvlActionIndentDec(TComponent* AOwner);

protected:
  void ConvertParaStyle(TVLActionEditor* Editor, TParaInfo& ParaInfo, Integer StyleNo, Integer UserData) override;
  Integer ListLevelDelta() const override { return -1; }
};

class TvlActionLineSpacing : public TvlActionParaStyles {
public:
  TvlActionLineSpacing(TComponent* AOwner, Integer Spacing, Word Id);
  void UpdateTarget(TObject* Target) override;
  Integer LineSpacing;

protected:
  void ConvertParaStyle(TVLActionEditor* Editor, TParaInfo& ParaInfo, Integer StyleNo, Integer UserData) override;
};

class TvlActionLineSpacing100 : public TvlActionLineSpacing {
public:
  explicit TvlActionLineSpacing100(TComponent* AOwner) : TvlActionLineSpacing(AOwner, 100, 95) {}
};
class TvlActionLineSpacing150 : public TvlActionLineSpacing {
public:
  explicit TvlActionLineSpacing150(TComponent* AOwner) : TvlActionLineSpacing(AOwner, 150, 97) {}
};
class TvlActionLineSpacing200 : public TvlActionLineSpacing {
public:
  explicit TvlActionLineSpacing200(TComponent* AOwner) : TvlActionLineSpacing(AOwner, 200, 99) {}
};

class TvlActionParaCustomColor : public TvlActionCustomColor {
public:
  explicit TvlActionParaCustomColor(TComponent* AOwner) : TvlActionCustomColor(AOwner) {}
  void ApplyColor(TVLActionEditor* Editor, Integer UserData) override;

protected:
  virtual void ApplyColorToParaStyle(TVLActionEditor* Editor, TParaInfo& ParaInfo, Integer StyleNo,
                                     Integer UserData) = 0;
};

class TvlActionParaColor : public TvlActionParaCustomColor {
public:
  explicit TvlActionParaColor(TComponent* AOwner);
  TColor GetCurrentColor(TVLActionEditor* Editor) override;

protected:
  void ApplyColorToParaStyle(TVLActionEditor* Editor, TParaInfo& ParaInfo, Integer StyleNo,
                             Integer UserData) override;
};

class TvlActionParaColorAndPadding : public TvlActionParaColor {
public:
  explicit TvlActionParaColorAndPadding(TComponent* AOwner) : TvlActionParaColor(AOwner) {}
  TVLBooleanRect PaddingSides{true};
  TVLRect Padding;

protected:
  void ApplyColorToParaStyle(TVLActionEditor* Editor, TParaInfo& ParaInfo, Integer StyleNo,
                             Integer UserData) override;
};

#pragma once
// The Paragraph and Paragraph Borders and Background commands: they read
// what all selected paragraphs share, show it (the rest undecided) and apply
// only what the dialog holds as decided, so each paragraph keeps the values
// the user did not touch.
#include "actions/VLActionsPara.h"

class TfrmVLPara;
class TfrmVLParaBrdr;

// The paragraph dialog's properties, bit by bit.
enum TVLParaProperty { vlppFirstIndent, vlppLeftIndent, vlppRightIndent, vlppSpaceBefore, vlppSpaceAfter,
                       vlppAlignment, vlppLineSpacing };
using TVLParaProperties = TSet<TVLParaProperty>;
inline constexpr TVLParaProperties AllParaProperties{vlppFirstIndent, vlppLeftIndent, vlppRightIndent,
                                                     vlppSpaceBefore, vlppSpaceAfter, vlppAlignment,
                                                     vlppLineSpacing};

// Indents and spacing that leave room for a border outside the text.
void FitIndentsToBorder(TParaInfo& ParaInfo);

class TvlActionParagraph : public TvlActionParaStyles {
public:
  explicit TvlActionParagraph(TComponent* AOwner);
  void ExecuteTarget(TObject* Target) override;

  TVLAlignment Alignment = vlaLeft;
  Integer LineSpacing = 0;
  TVLParaProperties ValidProperties;
  Integer SpaceBefore = 0, LeftIndent = 0, FirstIndent = 0, RightIndent = 0, SpaceAfter = 0;
  bool UserInterface = true;

  void GatherProperties(TVLActionEditor* Editor);
  void FillDialog(TfrmVLPara& Dialog, TVLActionEditor* Editor);
  void ReadDialog(TfrmVLPara& Dialog);

protected:
  void ProcessItem(TCustomVLData* VLData, Integer ItemNo, TVLActionEditor* Data, void* Param) override;
  bool CanContinue(void*) override { return !ValidProperties.Empty(); }
  void ConvertParaStyle(TVLActionEditor* Editor, TParaInfo& ParaInfo, Integer StyleNo, Integer UserData) override;
};

// Bits of the border dialog's properties.
constexpr Cardinal vlpbBackColor = 0x1, vlpbPaddingLeft = 0x2, vlpbPaddingTop = 0x4, vlpbPaddingRight = 0x8,
                   vlpbPaddingBottom = 0x10, vlpbColor = 0x20, vlpbStyle = 0x40, vlpbWidth = 0x80,
                   vlpbInternalWidth = 0x100, vlpbOffsetLeft = 0x200, vlpbOffsetTop = 0x400,
                   vlpbOffsetRight = 0x800, vlpbOffsetBottom = 0x1000, vlpbVisibleLeft = 0x2000,
                   vlpbVisibleTop = 0x4000, vlpbVisibleRight = 0x8000, vlpbVisibleBottom = 0x10000,
                   vlpbAll = 0x1FFFF;

class TvlActionParaBorder : public TvlActionParaStyles {
public:
  explicit TvlActionParaBorder(TComponent* AOwner);
  void ExecuteTarget(TObject* Target) override;

  bool UserInterface = true;
  TVLBorder Border;
  Cardinal ValidProperties = 0;
  TVLBackgroundRect Background;

  void GatherProperties(TVLActionEditor* Editor);
  void FillDialog(TfrmVLParaBrdr& Dialog);
  void ReadDialog(TfrmVLParaBrdr& Dialog);

protected:
  void ProcessItem(TCustomVLData* VLData, Integer ItemNo, TVLActionEditor* Data, void* Param) override;
  bool CanContinue(void*) override { return ValidProperties != 0; }
  void ConvertParaStyle(TVLActionEditor* Editor, TParaInfo& ParaInfo, Integer StyleNo, Integer UserData) override;
};

#pragma once
// The style sheet of the rich-text library: text, paragraph and list styles
// in numbered collections, the sheet's colours and cursors, the drawing
// hooks, and the finding, matching and merging of styles.
#include "platform/base/Components.h"
#include "platform/base/Set.h"
#include "platform/gui/GfxColors.h"
#include "platform/gui/GfxTypes.h"
#include "platform/gui/Graphics.h"
#include "richtext/model/VLClasses.h"

#include <functional>
#include <memory>

class TCanvas;
class TStream;
class TControl;
class TFont;
class TStrings;
class TVLStyle;
class TFontInfos;
class TCustomVLData;

// ---------------------------------------------------------------------------
// Shared enumerations.
enum TVLBiDiMode { vlbdUnspecified, vlbdLeftToRight, vlbdRightToLeft };

enum TVLFontStyle { vlfsOverline, vlfsAllCaps };
using TVLFontStyles = TSet<TVLFontStyle>;

enum TVLProtectOption {
  vlprStyleProtect, vlprModifyProtect, vlprDeleteProtect, vlprConcateProtect,
  vlprVLFInsertProtect, vlprDoNotAutoSwitch, vlprParaStartProtect, vlprSticking,
  vlprStickToTop, vlprStickToBottom
};
using TVLProtectOptions = TSet<TVLProtectOption>;

enum TVLTextOption { vlteoHTMLCode, vlteoRTFCode };
using TVLTextOptions = TSet<TVLTextOption>;

enum TVLAlignment { vlaLeft, vlaRight, vlaCenter, vlaJustify };
enum TVLLineSpacingType { vllsPercent, vllsSpaceBetween };
enum TVLBorderStyle { vlbNone, vlbSingle, vlbDouble, vlbTriple, vlbThickInside, vlbThickOutside };
enum TVLParaOption { vlpaoNoWrap, vlpaoReadOnly, vlpaoStyleProtect, vlpaoDoNotWantReturns };
using TVLParaOptions = TSet<TVLParaOption>;

enum TVLListType {
  vllstBullet, vllstPicture, vllstImageList, vllstDecimal, vllstLowerAlpha, vllstUpperAlpha,
  vllstLowerRoman, vllstUpperRoman, vllstImageListCounter, vllstUnicodeBullet
};
enum TVLMarkerAlignment { vlmaLeft, vlmaRight, vlmaCenter };
enum TVLListLevelOption { vlloContinuous, vlloLevelReset, vlloLegalStyleNumbering };
using TVLListLevelOptions = TSet<TVLListLevelOption>;

enum TVLSelectionMode { vlsmChar, vlsmWord, vlsmParagraph };
enum TVLSelectionStyle { vlssItems, vlssLines };
using TVLCodePage = Cardinal;

enum TVLColorMode { vlcmColor, vlcmPrinterColor, vlcmGrayScale, vlcmBlackAndWhite, vlcmBlackOnWhite };

enum TVLTextDrawState {
  vltsSelected, vltsHover, vltsItemStart, vltsItemEnd, vltsDrawItemStart, vltsDrawItemEnd,
  vltsControlFocused, vltsSpecialCharacters
};
using TVLTextDrawStates = TSet<TVLTextDrawState>;
enum TVLPageBreakType { vlpbSoftPageBreak, vlpbPageBreak };

// How MergeWith treats the incoming styles: merge equal ones, map each to the
// closest existing one, or append them all.
enum TVLStyleMergeMode { vlsmmMerge, vlsmmMap, vlsmmAppend };

// Screen and device pixels per inch, for printing.
struct TVLScreenAndDevice {
  Integer ppixScreen = 96, ppiyScreen = 96, ppixDevice = 96, ppiyDevice = 96;
};

// The cursor ids the sheet registers.
inline constexpr Word crJump = 101;
inline constexpr Word crVLFlipArrow = 106;

// Text-style property bits of the masked comparison.
enum : Cardinal {
  vlfiFontName = 1u << 0, vlfiSize = 1u << 1, vlfiCharset = 1u << 2, vlfiUnicode = 1u << 3,
  vlfiBold = 1u << 4, vlfiItalic = 1u << 5, vlfiUnderline = 1u << 6, vlfiStrikeOut = 1u << 7,
  vlfiOverline = 1u << 8, vlfiAllCaps = 1u << 9, vlfiVShift = 1u << 10, vlfiColor = 1u << 11,
  vlfiBackColor = 1u << 12, vlfiJump = 1u << 13, vlfiHoverBackColor = 1u << 14,
  vlfiHoverColor = 1u << 15, vlfiJumpCursor = 1u << 16, vlfiNextStyleNo = 1u << 17,
  vlfiProtection = 1u << 18, vlfiCharScale = 1u << 19, vlfiBaseStyleNo = 1u << 20,
  vlfiBiDiMode = 1u << 21, vlfiCharSpacing = 1u << 22, vlfiHTMLCode = 1u << 23,
  vlfiRTFCode = 1u << 24, vlfiAll = 0x01FFFFFFu
};
// Paragraph-style property bits of the masked comparison.
enum : Cardinal {
  vlpiFirstIndent = 1u << 0, vlpiLeftIndent = 1u << 1, vlpiRightIndent = 1u << 2,
  vlpiSpaceBefore = 1u << 3, vlpiSpaceAfter = 1u << 4, vlpiAlignment = 1u << 5,
  vlpiNextParaNo = 1u << 6, vlpiDefStyleNo = 1u << 7, vlpiLineSpacing = 1u << 8,
  vlpiLineSpacingType = 1u << 9, vlpiBackground_Color = 1u << 10,
  vlpiBackground_BO_Left = 1u << 11, vlpiBackground_BO_Top = 1u << 12,
  vlpiBackground_BO_Right = 1u << 13, vlpiBackground_BO_Bottom = 1u << 14,
  vlpiBorder_Color = 1u << 15, vlpiBorder_Style = 1u << 16, vlpiBorder_Width = 1u << 17,
  vlpiBorder_InternalWidth = 1u << 18, vlpiBorder_BO_Left = 1u << 19,
  vlpiBorder_BO_Top = 1u << 20, vlpiBorder_BO_Right = 1u << 21, vlpiBorder_BO_Bottom = 1u << 22,
  vlpiBorder_Vis_Left = 1u << 23, vlpiBorder_Vis_Top = 1u << 24, vlpiBorder_Vis_Right = 1u << 25,
  vlpiBorder_Vis_Bottom = 1u << 26, vlpiNoWrap = 1u << 27, vlpiReadOnly = 1u << 28,
  vlpiStyleProtect = 1u << 29, vlpiDoNotWantReturns = 1u << 30, vlpiBiDiMode = 1u << 31,
  vlpiAll = 0xFFFFFFFFu
};

// The picture shown in place of one that cannot be loaded.
void LoadBadPictureResource(TPicture& picture);

// Both empty, or graphics of one class with equal size and saved bytes.
bool PicturesEqual(const TPicture* a, const TPicture* b);

// The fields of a logical font that a text style fills.
struct TVLLogFont {
  Integer Height = 0;
  Integer Width = 0;
  Integer Weight = 400;
  bool Italic = false, Underline = false, StrikeOut = false;
  Byte Charset = 1;
  String FaceName;
};

// Closeness of two integers and of two colours; larger is closer.
Integer IntegerSimilarity(Integer a, Integer b, Integer maxWeight);
Integer ColorSimilarity(TColor color1, TColor color2, Integer channelWeight, Integer bonus);

// ---------------------------------------------------------------------------
// The common part of text, paragraph and list styles.
class TCustomVLInfo : public TCollectionItem {
public:
  explicit TCustomVLInfo(TCollection* collection);

  void Assign(const TPersistent* source) override;
  String GetDisplayName() const override { return StyleName; }
  void DeclareProperties(TPropertyList& list) override;

  virtual bool IsEqual(const TCustomVLInfo& value, bool ignoreReferences, bool ignoreID) const = 0;
  // Self is the incoming style, value a style of the receiving collection.
  virtual bool IsEqualMapped(const TCustomVLInfo& value, const TVLIntegerList& mapping) const = 0;
  virtual Integer SimilarityValue(const TCustomVLInfo& value) const = 0;
  // A hash of what IsEqual with ignoreReferences compares: styles that
  // compare equal have the same key, so a merge only compares styles of
  // one key. 0 for every style of a kind without a key of its own.
  virtual size_t MergeKey() const { return 0; }
  // Renumbers the references of a style that a merge appended.
  virtual void UpdateMergedReferences(const TVLIntegerList& mapping,
                                      const TVLIntegerList* textMapping);

  Integer BaseStyleNo = -1;
  String StyleName;
  bool Standard = true;

protected:
  // The name a new style of the kind gets ("Font Style", …), the streaming default.
  String FDefaultStyleName;
};

// The collections of styles; the owner is the style sheet.
class TCustomVLInfos : public TCollection {
public:
  TCustomVLInfos(TCollectionItemFactory itemClass, TVLStyle* owner);
  TVLStyle* GetStyleSheet() const { return FOwner; }
  TCustomVLInfo* GetInfo(Integer index) const;

  void MergeWith(TCustomVLInfos& styles, TVLStyleMergeMode mode, TVLIntegerList& mapping,
                 const TVLIntegerList* textMapping);

protected:
  // The candidates that mode vlsmmMap considers for an incoming style, in
  // order of preference (each group is scored on its own; the first group
  // that is not empty wins).
  virtual std::vector<std::vector<Integer>> MapCandidateGroups(const TCustomVLInfo& incoming) const;
  // Whether a style of this collection chosen as a merge target may serve
  // again (list styles with numbering may not).
  virtual bool MergeTargetReusable(const TCustomVLInfo& incoming) const { return true; }
  // Into a string list: the style names in number order.
  void AssignTo(TPersistent* dest) const override;

private:
  TVLStyle* FOwner;
};

// ---------------------------------------------------------------------------
// Text styles.
class TFontInfo : public TCustomVLInfo {
public:
  explicit TFontInfo(TCollection* collection);

  void Assign(const TPersistent* source) override;
  // Into a platform font: face, size, colour, style; the character set only
  // for non-Unicode styles.
  void AssignTo(TPersistent* dest) const override;
  void AssignFromFont(const TFont& font);
  void DeclareProperties(TPropertyList& list) override;
  void DefineProperties(TFiler& filer) override;
  void AssignToFont(TFont& font) const;
  // The CSS declarations of the style (only those differing from base).
  void SaveCSSToStream(TStream& stream, const TFontInfo* base, bool multiline) const;

  // The height in device units for a resolution.
  Integer FontHeight(Integer pixelsPerInch) const;
  void AssignToLogFont(TVLLogFont& logFont, TCanvas* canvas) const;
  // Selects the style's font into the canvas.
  void Apply(TCanvas* canvas, TVLBiDiMode defBiDiMode) const;
  // The character spacing in the canvas's pixels.
  Integer CharSpacingOn(const TCanvas* canvas) const;
  // Sets the canvas's font and brush colours for a draw state.
  void ApplyColor(TCanvas* canvas, const TVLStyle& sheet, TVLTextDrawStates drawState,
                  bool printing, TVLColorMode colorMode) const;
  // Draws a text fragment whose cell is width x height at (left, top); the
  // canvas already holds the style's font and colours.
  void Draw(const AnsiString& s, TCanvas* canvas, Integer styleNo, Integer spaceBefore,
            Integer left, Integer top, Integer width, Integer height, TVLStyle& sheet,
            TVLTextDrawStates drawState, bool printing, bool previewCorrection,
            TVLColorMode colorMode, TVLBiDiMode defBiDiMode) const;

  bool IsEqual(const TCustomVLInfo& value, bool ignoreReferences, bool ignoreID) const override;
  bool IsEqualMapped(const TCustomVLInfo& value, const TVLIntegerList& mapping) const override;
  Integer SimilarityValue(const TCustomVLInfo& value) const override;
  size_t MergeKey() const override;
  // Compares the properties of the mask (vlfi… bits).
  bool IsEqualMasked(const TFontInfo& value, Cardinal mask) const;
  void UpdateMergedReferences(const TVLIntegerList& mapping,
                              const TVLIntegerList* textMapping) override;

  // Published properties (streamed when they differ from these defaults).
  TVLBiDiMode BiDiMode = vlbdUnspecified;
  bool Jump = false;
  Word JumpCursor = crJump;
  String FontName = "Arial";
  Integer Size = 10;
  TColor Color = clWindowText;
  TColor BackColor = clNone;
  TColor HoverColor = clNone;
  TColor HoverBackColor = clNone;
  TFontStyles Style;
  TVLFontStyles StyleEx;
  Integer VShift = 0;
  Integer NextStyleNo = -1;
  Byte Charset = 1;
  bool Unicode = false;
  TVLProtectOptions Protection;
  TVLTextOptions Options;
  Integer CharScale = 100;
  Integer CharSpacing = 0;

private:
  friend class TFontInfos;
  // The collection this style answers for (its own, or the one whose
  // fallback it is).
  const TFontInfos* OwnerInfos() const;
  const TFontInfos* FFallbackOf = nullptr;
};

class TFontInfos : public TCustomVLInfos {
public:
  TFontInfos(TCollectionItemFactory itemClass, TVLStyle* owner);
  ~TFontInfos() override;

  TFontInfo* Add();
  // The style at index, or the fallback style (white on red) outside 0..Count-1.
  TFontInfo* Items(Integer index);
  TFontInfo* operator[](Integer index) { return Items(index); }
  void SetItems(Integer index, const TFontInfo& value);

  // See the masked comparison: BaseStyleNo first, then the others; -1 when none.
  Integer FindSuchStyle(Integer baseStyleNo, const TFontInfo& style, Cardinal mask);
  Integer FindStyleWithCharset(Integer styleNo, Byte charset);
  // Style no becomes a copy of source. The styles made from it (not
  // standard, with it as their base style; in older documents of its name
  // and like it but for bold, italic and underline) follow: what they had
  // of it they take from source, what is their own stays, and so do their
  // bold, italic and underline.
  void ChangeWithDerived(Integer no, const TFontInfo& source);

  // Replaces the canvas font's resolution when not 0.
  Integer PixelsPerInch = 0;

protected:
  std::vector<std::vector<Integer>> MapCandidateGroups(const TCustomVLInfo& incoming) const override;

private:
  std::unique_ptr<TFontInfo> FInvalidItem;
};

// ---------------------------------------------------------------------------
// Paragraph styles, borders and backgrounds.
class TVLRect : public TPersistent {
public:
  void Assign(const TPersistent* source) override;
  void SetAll(Integer value) { Top = Left = Right = Bottom = value; }
  void DeclareProperties(TPropertyList& list) override;
  void AssignToRect(TRect& rect) const { rect = TRect(Left, Top, Right, Bottom); }
  void AssignToRectIfGreater(TRect& rect) const;
  void InflateRect(TRect& rect) const;
  void InflateRectScaled(TRect& rect, const TVLScreenAndDevice& sad) const;
  bool IsEqual(const TVLRect& value) const;
  bool IsEqualEx(const TVLRect& value, bool ignL, bool ignT, bool ignR, bool ignB) const;

  Integer Top = 0, Left = 0, Right = 0, Bottom = 0;
};

class TVLBooleanRect : public TPersistent {
public:
  explicit TVLBooleanRect(bool value = true) { SetAll(value); }
  void Assign(const TPersistent* source) override;
  void SetAll(bool value) { Top = Left = Right = Bottom = value; }
  void DeclareProperties(TPropertyList& list) override;
  void SetValues(bool left, bool top, bool right, bool bottom);
  bool IsEqual(const TVLBooleanRect& value) const;
  bool IsEqualEx(const TVLBooleanRect& value, bool ignL, bool ignT, bool ignR, bool ignB) const;
  bool IsEqualEx(bool left, bool top, bool right, bool bottom) const;
  bool IsAllEqual(bool value) const;

  bool Top = true, Left = true, Right = true, Bottom = true;
};

class TVLBorder : public TPersistent {
public:
  void Assign(const TPersistent* source) override;
  Integer GetTotalWidth() const;
  void DeclareProperties(TPropertyList& list) override;
  void Draw(const TRect& rect, TCanvas* canvas) const;
  void DrawScaled(const TRect& rect, TCanvas* canvas, TVLColorMode colorMode,
                  const TVLScreenAndDevice& sad) const;
  bool IsEqual(const TVLBorder& value) const;
  // Compares the border bits (vlpiBorder_…) of the mask.
  bool IsEqualMasked(const TVLBorder& value, Cardinal mask) const;
  Integer SimilarityValue(const TVLBorder& value) const;

  TColor Color = clWindowText;
  TVLBorderStyle Style = vlbNone;
  Integer Width = 1;
  Integer InternalWidth = 1;
  TVLBooleanRect VisibleBorders;
  TVLRect BorderOffsets;

private:
  void DoDraw(TRect rect, TCanvas* canvas, Integer onePixel, Integer internalWidth, Integer width,
              TVLColorMode colorMode) const;
};

class TVLBackgroundRect : public TPersistent {
public:
  void Assign(const TPersistent* source) override;
  void PrepareDraw(TRect& rect) const { BorderOffsets.InflateRect(rect); }
  void DeclareProperties(TPropertyList& list) override;
  void PrepareDrawScaled(TRect& rect, const TVLScreenAndDevice& sad) const {
    BorderOffsets.InflateRectScaled(rect, sad);
  }
  void Draw(const TRect& rect, TCanvas* canvas, bool printing, TVLColorMode colorMode) const;
  bool IsEqual(const TVLBackgroundRect& value) const {
    return Color == value.Color && BorderOffsets.IsEqual(value.BorderOffsets);
  }

  TVLRect BorderOffsets;
  TColor Color = clNone;
};

class TParaInfo : public TCustomVLInfo {
public:
  explicit TParaInfo(TCollection* collection);

  void Assign(const TPersistent* source) override;
  void DeclareProperties(TPropertyList& list) override;
  bool IsEqual(const TCustomVLInfo& value, bool ignoreReferences, bool ignoreID) const override;
  bool IsEqualMapped(const TCustomVLInfo& value, const TVLIntegerList& mapping) const override;
  Integer SimilarityValue(const TCustomVLInfo& value) const override;
  size_t MergeKey() const override;
  // Compares the properties of the mask (vlpi… bits).
  bool IsEqualMasked(const TParaInfo& value, Cardinal mask) const;
  void UpdateMergedReferences(const TVLIntegerList& mapping,
                              const TVLIntegerList* textMapping) override;
  // The owned objects stay; their values are copied.
  void SetBorder(const TVLBorder& value) { Border.Assign(&value); }
  void SetBackground(const TVLBackgroundRect& value) { Background.Assign(&value); }
  void SaveCSSToStream(TStream& stream, const TParaInfo* base, bool listItem,
                       bool ignoreLeftAlignment, bool multiline) const;

  Integer FirstIndent = 0;
  Integer LeftIndent = 0;
  Integer RightIndent = 0;
  Integer SpaceBefore = 0;
  Integer SpaceAfter = 0;
  Integer LineSpacing = 100;
  TVLLineSpacingType LineSpacingType = vllsPercent;
  TVLAlignment Alignment = vlaLeft;
  TVLBorder Border;
  Integer NextParaNo = -1;
  TVLBackgroundRect Background;
  TVLParaOptions Options;
  TVLBiDiMode BiDiMode = vlbdUnspecified;
  Integer DefStyleNo = -1;
};

class TParaInfos : public TCustomVLInfos {
public:
  TParaInfos(TCollectionItemFactory itemClass, TVLStyle* owner);
  ~TParaInfos() override;

  TParaInfo* Add();
  // The style at index, or the fallback style (framed in red) outside 0..Count-1.
  TParaInfo* Items(Integer index);
  TParaInfo* operator[](Integer index) { return Items(index); }
  void SetItems(Integer index, const TParaInfo& value);
  Integer FindSuchStyle(Integer baseParaNo, const TParaInfo& style, Cardinal mask);

private:
  std::unique_ptr<TParaInfo> FInvalidItem;
};

// ---------------------------------------------------------------------------
// List styles.

// The font of a level's marker: "Arial" 8 unless set otherwise.
class TVLMarkerFont : public TFont {
public:
  TVLMarkerFont();
  bool IsEqual(const TFont& value) const;
  bool IsDefault() const;
  void DeclareProperties(TPropertyList& list) override;
};

class TVLListLevel : public TCollectionItem {
public:
  explicit TVLListLevel(TCollection* collection);
  ~TVLListLevel() override;

  void Assign(const TPersistent* source) override;
  String GetDisplayName() const override;

  void DeclareProperties(TPropertyList& list) override;
  void DefineProperties(TFiler& filer) override;
  // Created on first read.
  TPicture* GetPicture();
  const TPicture* PictureOrNil() const { return FPicture.get(); }
  void SetPicture(const TPicture* value);
  TVLMarkerFont* GetFont();
  const TVLMarkerFont* FontOrNil() const { return FFont.get(); }
  void SetFont(const TFont* value);

  bool HasNumbering() const;
  bool HasTextNumbering() const;
  bool HasPicture() const;
  bool UsesFont() const;
  // The HTML list tags of the level ("<OL…>"/"<UL…>", "</OL>"/"</UL>") and
  // the indents of a marker written as text.
  void SaveHTMLOpenTag(TStream& stream, bool useCSS) const;
  void SaveHTMLCloseTag(TStream& stream) const;
  AnsiString GetIndentCSSForTextVersion() const;

  bool IsEqual(const TVLListLevel& value) const;
  Integer SimilarityValue(const TVLListLevel& value) const;
  // The list style's document that is streaming the level, if any.
  TCustomVLData* GetAttachedData() const;

  TVLListType ListType = vllstBullet;
  TComponent* ImageList = nullptr;  // an image list, not owned
  Integer ImageIndex = 0;
  AnsiString FormatString = AnsiString(1, '\xB7');
  WideString FormatStringW;
  Integer LeftIndent = 0;
  Integer FirstIndent = 10;
  Integer MarkerIndent = 0;
  TVLMarkerAlignment MarkerAlignment = vlmaLeft;
  TVLListLevelOptions Options{vlloContinuous, vlloLevelReset};
  Integer StartFrom = 1;

private:
  std::unique_ptr<TPicture> FPicture;
  std::unique_ptr<TVLMarkerFont> FFont;
};

class TVLListInfo;

class TVLListLevelCollection : public TCollection {
public:
  explicit TVLListLevelCollection(TVLListInfo* owner);
  TVLListInfo* GetListInfo() const { return FOwner; }
  TVLListLevel* Add();
  TVLListLevel* Items(Integer index) const;
  bool IsEqual(const TVLListLevelCollection& value) const;

private:
  TVLListInfo* FOwner;
};

class TVLListInfo : public TCustomVLInfo {
public:
  explicit TVLListInfo(TCollection* collection);
  ~TVLListInfo() override;

  void Assign(const TPersistent* source) override;
  void SetLevels(const TVLListLevelCollection& value) { Levels->Assign(&value); }
  void DeclareProperties(TPropertyList& list) override;
  void DefineProperties(TFiler& filer) override;
  bool HasNumbering() const;
  bool AllNumbered() const;
  bool HasTextNumbering() const;

  bool IsEqual(const TCustomVLInfo& value, bool ignoreReferences, bool ignoreID) const override;
  bool IsEqualMapped(const TCustomVLInfo& value, const TVLIntegerList& mapping) const override;
  Integer SimilarityValue(const TCustomVLInfo& value) const override;
  size_t MergeKey() const override;

  // Drawn on first use: a random number from 1 to 0x7FFFFFFE.
  Integer GetListID() const;
  void SetListID(Integer value) { FListID = value; }

  std::unique_ptr<TVLListLevelCollection> Levels;
  bool OneLevelPreview = false;

private:
  mutable Integer FListID = 0;
};

class TVLListInfos : public TCustomVLInfos {
public:
  TVLListInfos(TCollectionItemFactory itemClass, TVLStyle* owner);

  TVLListInfo* Add();
  // No fallback: an invalid index raises the collection's index error.
  TVLListInfo* Items(Integer index) const;
  TVLListInfo* operator[](Integer index) const { return Items(index); }
  void SetItems(Integer index, const TVLListInfo& value);
  Integer FindSuchList(const TVLListInfo& list, bool addIfNotFound);
  Integer FindListByLevels(const TVLListLevelCollection& levels, const String& styleName,
                           bool addIfNotFound);
  void RemoveImageList(const TComponent* imageList);

  // The document that is streaming this collection (the VLF reader sets it).
  TCustomVLData* FVLData = nullptr;

protected:
  bool MergeTargetReusable(const TCustomVLInfo& incoming) const override;
};

// ---------------------------------------------------------------------------
// The style sheet.
using TVLApplyStyleEvent = std::function<void(TVLStyle* sender, TCanvas* canvas, Integer styleNo,
                                              bool& doDefault)>;
using TVLApplyStyleColorEvent =
    std::function<void(TVLStyle* sender, TCanvas* canvas, Integer styleNo,
                       TVLTextDrawStates drawState, bool& doDefault)>;
using TVLDrawStyleTextEvent = std::function<void(
    TVLStyle* sender, const AnsiString& s, TCanvas* canvas, Integer styleNo, Integer spaceBefore,
    Integer left, Integer top, Integer width, Integer height, TVLTextDrawStates drawState,
    bool& doDefault)>;
using TVLStyleHoverSensitiveEvent =
    std::function<void(TVLStyle* sender, Integer styleNo, bool& sensitive)>;
using TVLDrawTextBackEvent =
    std::function<void(TVLStyle* sender, TCanvas* canvas, Integer styleNo, Integer left,
                       Integer top, Integer width, Integer height, TVLTextDrawStates drawState,
                       bool& doDefault)>;
using TVLDrawCheckpointEvent =
    std::function<void(TVLStyle* sender, TCanvas* canvas, Integer x, Integer y, Integer itemNo,
                       Integer xShift, bool raiseEvent, TControl* control, bool& doDefault)>;
using TVLDrawPageBreakEvent =
    std::function<void(TVLStyle* sender, TCanvas* canvas, Integer y, Integer xShift,
                       TVLPageBreakType pageBreakType, TControl* control, bool& doDefault)>;
using TVLDrawParaRectEvent = std::function<void(TVLStyle* sender, TCanvas* canvas, Integer paraNo,
                                                TRect& rect, bool& doDefault)>;

class TVLStyle : public TComponent {
public:
  explicit TVLStyle(TComponent* owner);
  ~TVLStyle() override;

  // The item classes of the three collections; descendants substitute theirs.
  virtual TCollectionItemFactory GetTextStyleClass() const;
  virtual TCollectionItemFactory GetParaStyleClass() const;
  virtual TCollectionItemFactory GetListStyleClass() const;
  void DeclareProperties(TPropertyList& list) override;
  void DefineProperties(TFiler& filer) override;

  void ResetTextStyles();
  void ResetParaStyles();
  // The whole sheet as CSS; options: 1 differences from base styles, 2 no
  // left alignment without a base, 4 style 0 written as a class.
  void SaveCSS(TStream& stream, Integer options);
  // Copy into the owned collections.
  void SetTextStyles(const TFontInfos& value) { TextStyles->Assign(&value); }
  void SetParaStyles(const TParaInfos& value) { ParaStyles->Assign(&value); }
  void SetListStyles(const TVLListInfos& value) { ListStyles->Assign(&value); }

  TPicture* GetInvalidPicture();
  void SetInvalidPicture(const TPicture* value);

  TColor GetHoverColor(TColor color) const { return color != clNone ? color : HoverColor; }
  TColor GetHoverColorByStyle(Integer styleNo) const;

  // Painting hooks: each offers the work to its event first.
  void ApplyStyle(TCanvas* canvas, Integer styleNo, TVLBiDiMode defBiDiMode);
  void ApplyStyleColor(TCanvas* canvas, Integer styleNo, TVLTextDrawStates drawState,
                       bool printing, TVLColorMode colorMode);
  bool StyleHoverSensitive(Integer styleNo);
  void DrawStyleText(const AnsiString& s, TCanvas* canvas, Integer styleNo, Integer spaceBefore,
                     Integer left, Integer top, Integer width, Integer height,
                     TVLTextDrawStates drawState, bool printing, bool previewCorrection,
                     TVLColorMode colorMode, TVLBiDiMode defBiDiMode, TObject* contextData,
                     Integer contextItemNo, Integer contextOffset);
  void DrawTextBack(TCanvas* canvas, TObject* contextData, Integer contextItemNo,
                    Integer styleNo, Integer left, Integer top, Integer width, Integer height,
                    TVLTextDrawStates drawState);
  void DrawCheckpoint(TCanvas* canvas, Integer x, Integer y, Integer itemNo, Integer xShift,
                      bool raiseEvent, TControl* control);
  void DrawPageBreak(TCanvas* canvas, Integer y, Integer xShift, TVLPageBreakType pageBreakType,
                     TControl* control);
  void DrawParaBack(TCanvas* canvas, Integer paraNo, TRect& rect, TVLColorMode colorMode,
                    bool printing);

  std::unique_ptr<TFontInfos> TextStyles;
  std::unique_ptr<TParaInfos> ParaStyles;
  std::unique_ptr<TVLListInfos> ListStyles;

  TColor Color = clWindow;
  TColor HoverColor = clNone;
  TColor SelColor = clHighlight;
  TColor SelTextColor = clHighlightText;
  TColor InactiveSelColor = clHighlight;
  TColor InactiveSelTextColor = clHighlightText;
  TColor CheckpointColor = 0x008000;
  TColor CheckpointEvColor = 0x00FF00;
  Word JumpCursor = crJump;
  bool FullRedraw = false;
  int16_t SpacesInTab = 8;
  TColor PageBreakColor = clBtnShadow;
  TColor SoftPageBreakColor = clBtnFace;
  Integer DefUnicodeStyle = -1;
  TVLCodePage DefCodePage = 0;
  bool UseSound = true;
  TVLSelectionMode SelectionMode = vlsmWord;
  TVLSelectionStyle SelectionStyle = vlssItems;
  Word LineSelectCursor = crVLFlipArrow;

  TVLApplyStyleColorEvent OnApplyStyleColor;
  TVLApplyStyleEvent OnApplyStyle;
  TVLDrawStyleTextEvent OnDrawStyleText;
  TVLStyleHoverSensitiveEvent OnStyleHoverSensitive;
  TVLDrawTextBackEvent OnDrawTextBack;
  TVLDrawCheckpointEvent OnDrawCheckpoint;
  TVLDrawPageBreakEvent OnDrawPageBreak;
  TVLDrawParaRectEvent OnDrawParaBack;

  // The drawing context of the fragment being painted, recorded for the
  // drawing events; the view decides what they identify.
  TObject* DrawContextData = nullptr;
  Integer DrawContextItemNo = -1;
  Integer DrawContextOffset = 0;

protected:
  void Notification(TComponent* component, TOperation operation) override;

private:
  std::unique_ptr<TPicture> FInvalidPicture;
};

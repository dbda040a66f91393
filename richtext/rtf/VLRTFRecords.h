#pragma once
// The records an RTF read fills: the formatting in effect (character,
// paragraph, section, document, table row and cell), the tables of a
// document (fonts, colours, styles, lists, overrides) and the records of
// pictures and objects. Event handlers read them while the reader reports.
#include "platform/base/Streams.h"
#include "platform/base/Types.h"
#include "platform/gui/GfxColors.h"

#include <array>
#include <memory>
#include <vector>

// Colour values of the reader: clNone, and the automatic colour.
inline constexpr TColor rtf_clNone = 0x1FFFFFFF;
inline constexpr TColor rtf_clAuto = static_cast<TColor>(0xFF000008);

enum TVLRTFPosition { rtf_ts_ContinuePara, rtf_ts_NewLine, rtf_ts_NewPara };
enum TVLRTFHeaderFooterType { rtf_hf_MainText, rtf_hf_Header, rtf_hf_Footer };
enum TVLRTFTableEventKind { vlf_tbl_TableStart, vlf_tbl_TableEnd, vlf_tbl_RowEnd, vlf_tbl_CellEnd };
enum TVLRTFHighlightConvert { rtf_hl_Ignore, rtf_hl_FixedColors, rtf_hl_ColorTable };
enum TVLRTFParseMode { rtf_pm_Normal, rtf_pm_Binary, rtf_pm_Hex };

enum TVLRTFDestination : Byte {
  rtf_ds_Normal, rtf_ds_Skip, rtf_ds_FontTable, rtf_ds_StyleSheet, rtf_ds_ColorTable,
  rtf_ds_StyleEntry, rtf_ds_Picture, rtf_ds_ShapePicture, rtf_ds_Object, rtf_ds_ObjectData,
  rtf_ds_Field, rtf_ds_FieldInstruction, rtf_ds_Numbering, rtf_ds_NumberTextAfter,
  rtf_ds_NumberTextBefore, rtf_ds_SectionNumbering, rtf_ds_ListTable, rtf_ds_List,
  rtf_ds_ListLevel, rtf_ds_ListName, rtf_ds_LevelText, rtf_ds_LevelNumbers,
  rtf_ds_OverrideTable, rtf_ds_Override, rtf_ds_OverrideLevel
};

// Font style bits of the character and marker records.
enum : Byte { rtf_fs_Bold = 1, rtf_fs_Italic = 2, rtf_fs_Underline = 4, rtf_fs_StrikeOut = 8 };

// Round half to even, as the reader and the import round every length.
Integer RTFRound(double value);
// value / 2 rounded half to even (half points to points).
Integer RTFHalf(Integer value);

// The fixed colours of \highlight; clNone for 0 and unknown indexes.
TColor RTFHighlightColor(Integer index);
// background mixed with pattern by shading (hundredths of a percent).
TColor RTFBlendShading(TColor background, TColor pattern, Integer shading);

struct TVLRTFCharProperties {
  void Reset(Integer language, Integer fontIndex);
  // Every field but the language and the symbol font name.
  void Assign(const TVLRTFCharProperties& source);

  bool Hidden = false;
  Integer Size = 12;
  TColor Color = rtf_clAuto;
  TColor BackColor = rtf_clNone;
  Integer FontIndex = 0;
  Byte Style = 0;
  bool AllCaps = false;
  Integer HScale = 100;
  Integer VPosition = 0;  // 0 normal, 1 subscript, 2 superscript
  Integer CharSpacing = 0;
  Integer Language = 0;
  AnsiString SymbolFontName;
};

struct TVLRTFBorderSide {
  void Reset() { *this = TVLRTFBorderSide{0, 0, rtf_clNone, 0}; }
  Integer Style = 0;
  Integer Width = 0;
  TColor Color = 0;
  Integer Space = 0;
};

// Four optional sides: left, top, right, bottom.
struct TVLRTFParaBorder {
  TVLRTFParaBorder() = default;
  TVLRTFParaBorder(const TVLRTFParaBorder& source) { Assign(source); }
  TVLRTFParaBorder& operator=(const TVLRTFParaBorder& source) {
    Assign(source);
    return *this;
  }
  void Assign(const TVLRTFParaBorder& source);
  void Reset();
  TVLRTFBorderSide& GetSide(Integer index);
  const TVLRTFBorderSide* SideOrNil(Integer index) const;
  // A side that exists with a style.
  bool HasLine(Integer index) const;
  bool HasAny() const;

  std::array<std::unique_ptr<TVLRTFBorderSide>, 4> Sides;
};

struct TVLRTFCustomMarkerProperties {
  virtual ~TVLRTFCustomMarkerProperties() = default;
  virtual void Reset() { *this = TVLRTFCustomMarkerProperties(); }

  Byte Type = 0;  // 0 none, 1 decimal, 2 lower letter, 3 upper letter, 4/5 roman, 6 bullet, 7 no number
  Integer FontIndex = -1;
  Integer Indent = 0;
  Integer Space = 0;
  Integer Start = 0;
  Byte Style = 0;
  TColor Color = rtf_clAuto;
  Byte Alignment = 0;
  Byte Explicit = 0;  // bit 0 font, bit 1 size, bit 2 colour given
  Integer Size = 12;
};
inline constexpr Byte rtf_mx_Font = 1, rtf_mx_Size = 2, rtf_mx_Color = 4;

struct TVLRTFMarkerProperties : TVLRTFCustomMarkerProperties {
  void Reset() override { *this = TVLRTFMarkerProperties(); }
  Integer Level = 0;
  bool Hanging = false;
  AnsiString TextAfter;
  AnsiString TextBefore;
};

struct TVLRTFParaProperties {
  TVLRTFParaProperties() = default;
  TVLRTFParaProperties(const TVLRTFParaProperties& source) { Assign(source); }
  TVLRTFParaProperties& operator=(const TVLRTFParaProperties& source) {
    Assign(source);
    return *this;
  }
  void Reset();
  void Assign(const TVLRTFParaProperties& source);
  TVLRTFParaBorder& GetBorder();
  TVLRTFMarkerProperties& GetMarker();
  bool HasBorder() const { return Border && Border->HasAny(); }
  bool HasMarker() const { return Marker != nullptr; }
  // Folds the shading into the background colour.
  void FoldShading();

  Integer LeftIndent = 0, RightIndent = 0, FirstIndent = 0;
  Integer SpaceBefore = 0, SpaceAfter = 0;
  Integer Alignment = 0;
  std::unique_ptr<TVLRTFParaBorder> Border;
  std::unique_ptr<TVLRTFMarkerProperties> Marker;
  Integer CurBorderSide = 0;
  Integer LineSpacing = 240;
  Integer LineSpacingMulti = 1;
  TColor BackColor = rtf_clNone;
  Integer NestingLevel = 1;
  bool InTable = false;
  Integer Shading = 0;
  TColor ShadingColor = 0;
  Integer ListOverrideIndex = -1;
  Integer ListLevel = 0;
  bool NoOverlap = false;
};

struct TVLRTFSectionProperties {
  TVLRTFSectionProperties() = default;
  TVLRTFSectionProperties(const TVLRTFSectionProperties& source) { Assign(source); }
  TVLRTFSectionProperties& operator=(const TVLRTFSectionProperties& source) {
    Assign(source);
    return *this;
  }
  void Reset();
  // The header and footer distances are not copied.
  void Assign(const TVLRTFSectionProperties& source);
  TVLRTFMarkerProperties& GetLevel(Integer level);  // 1..11; outside raises

  Integer Columns = 1;
  Integer SectionBreak = 4;
  Integer PageNumberX = 720, PageNumberY = 720;
  Integer PageNumberFormat = 0;
  Integer HeaderY = 720, FooterY = 720;
  std::vector<std::unique_ptr<TVLRTFMarkerProperties>> Levels;  // empty or 11
};

struct TVLRTFDocProperties {
  Integer PaperWidth = 12240, PaperHeight = 15480;
  Integer LeftMargin = 1800, TopMargin = 1440, RightMargin = 1800, BottomMargin = 1440;
  Integer PageNumberStart = 1;
  bool FacingPages = false;
  bool Landscape = false;
};

struct TVLRTFCellProperties {
  Integer HMerge = 0;  // 0 none, 1 first, 2 merged
  Integer VMerge = 0;
  bool WidthIsPercent = false;
  Integer Width = 0;
  TColor BackColor = rtf_clNone;
  Integer VAlign = 0;  // 0 top, 1 bottom, 2 centre
  TVLRTFParaBorder Border;
  Integer CurBorderSide = 0;
  Integer RightBoundary = 0;
  TColor ShadingColor = 0;
  Integer Shading = 0;
  Integer Height = 0;
};

struct TVLRTFRowProperties {
  TVLRTFRowProperties();
  // Resets what \trowd resets (width is percent is kept).
  void Reset();
  // The cell that cell words address; a row whose cells were all taken by
  // \row gets a fresh one.
  TVLRTFCellProperties& PendingCell() {
    if (Cells.empty()) Cells.push_back(std::make_unique<TVLRTFCellProperties>());
    return *Cells.back();
  }
  Integer CellCount() const { return static_cast<Integer>(Cells.size()); }
  TVLRTFCellProperties& GetCell(Integer index) { return *Cells.at(static_cast<size_t>(index)); }
  // A copy of everything; the caller keeps the three flags the group copy omits.
  std::unique_ptr<TVLRTFRowProperties> Clone() const;

  bool WidthIsPercent = false;
  bool Heading = false;
  Integer Gap = 0, Left = 0, Height = 0;
  std::array<Integer, 4> Padding{};  // left, top, right, bottom
  std::array<Integer, 4> Spacing{};
  std::array<bool, 4> PaddingTwips{};
  std::array<bool, 4> SpacingTwips{};
  Integer Width = 0;
  Integer Alignment = 0;
  TVLRTFParaBorder Border;
  Integer CurBorderSide = 0;
  std::vector<std::unique_ptr<TVLRTFCellProperties>> Cells;
  bool CellsNeedShading = true;
  bool LastCellPending = true;
  bool AlignmentGiven = false;
  bool HasOwnSizes = false;
};

class TVLRTFReaderState {
public:
  TVLRTFReaderState() = default;
  // The group-state copy.
  void AssignGroup(const TVLRTFReaderState& source);
  void Reset();
  // Row properties, created on first use; a shared record is copied first.
  TVLRTFRowProperties& GetRowProperties();
  const TVLRTFRowProperties* RowOrNil() const { return Row.get(); }

  Integer DefLanguage = 0;
  TVLRTFCharProperties CharProps;
  TVLRTFParaProperties ParaProps;
  TVLRTFSectionProperties SectProps;
  TVLRTFDocProperties DocProps;
  Byte BorderTarget = 0;  // 0 paragraph, 1 row, 2 cell
  TVLRTFDestination Destination = rtf_ds_Normal;
  TVLRTFParseMode ParseMode = rtf_pm_Normal;
  AnsiString FieldInstruction;
  bool FieldPictureInserted = false;
  Integer DefFontNo = 0;
  Integer DefFontIndex = -1;
  Byte HFType = 0;

private:
  // Shared between saved group states until one of them changes it.
  std::shared_ptr<TVLRTFRowProperties> Row;
};

struct TVLRTFFont {
  Integer Number = 0;
  AnsiString Name;
  Byte Family = 0;
  Byte Charset = 1;
};

struct TVLRTFStyleSheetEntry {
  TVLRTFParaProperties ParaProps;
  TVLRTFCharProperties CharProps;
  bool Additive = false;
  bool Hidden = false;
  Integer Number = 0;
  Byte Kind = 1;  // 0 character, 1 paragraph, 2 section
  TVLRTFStyleSheetEntry* BasedOn = nullptr;
  TVLRTFStyleSheetEntry* Next = this;
  AnsiString Name;
};

struct TVLRTFListLevel97 : TVLRTFCustomMarkerProperties {
  void Reset() override { *this = TVLRTFListLevel97(); }
  bool Old = false, Legal = false, NoRestart = false;
  AnsiString LevelText;
  AnsiString LevelNumbers;
  WideString LevelTextW;
  Integer Follow = 0;
  Integer LeftIndent = 0, FirstIndent = 0, Tab = 0;
  bool SizeGiven = false;
  // \f named a font the table does not hold; the associated font (\af),
  // when the table holds that one, stands in for it.
  bool FontUndeclared = false;
  Integer AssociatedFontIndex = -1;
};

struct TVLRTFList97 {
  std::vector<std::unique_ptr<TVLRTFListLevel97>> Levels;
  Integer ListId = 0;
  bool Simple = false;
  AnsiString Name;
};

struct TVLRTFListOverrideLevel97 {
  bool StartAtGiven = false;
  Integer Start = 1;
};

struct TVLRTFListOverride97 {
  std::vector<std::unique_ptr<TVLRTFListOverrideLevel97>> Levels;
  Integer ListIndex = -1;
  Integer Number = 0;
  Integer Count = 0;
};

struct TVLRTFPicture {
  Byte Kind = 0;  // 0 EMF, 1 PNG, 2 JPEG, 3 PICT, 4 OS/2, 5 WMF, 6 DIB, 7 DDB
  Integer MappingMode = 0;
  Integer PicW = 0, PicH = 0;
  Integer GoalW = 0, GoalH = 0;
  Integer ScaleX = 100, ScaleY = 100;
  Integer WidthBytes = 0;
  Integer BitsPerPixel = 1;
  Integer Planes = 1;
  bool IsBitmap = false;
  bool InShapePicture = false;
  // Set when the data was damaged or too long: the picture arrives without
  // a graphic instead of ending the read.
  bool Corrupt = false;
  TMemoryStream Data;
  Integer PixelWidth = 0, PixelHeight = 0;
};

struct TVLRTFObject {
  Byte Kind = 0;
  TMemoryStream Data;
  Integer Width = 0, Height = 0;
  bool Corrupt = false;
};

#pragma once
// The RTF import: the options of a viewer or editor and the run that turns
// the reader's events into items, styles, lists and tables of a document.
// One run is one call of ReadFromFile, ReadFromStream (append) or
// InsertFromStream (at an item index, as the editor inserts at its caret).
#include "richtext/model/VLData.h"
#include "richtext/rtf/VLRTFReader.h"

#include <functional>
#include <map>
#include <memory>
#include <tuple>
#include <unordered_map>

class TVLRTFListImport;
class TVLRTFTableImport;
class TGraphic;

enum TVLReaderUnicode { vlruMixed, vlruNoUnicode, vlruOnlyUnicode };
enum TVLReaderStyleMode { vlrsUseSpecified, vlrsUseClosest, vlrsAddIfNeeded };
enum TVLRTFHighlight { rtfhlIgnore, rtfhlFixedColors, rtfhlColorTable };

using TVLRTFStyleFilterEvent = std::function<void(Integer styleNo, bool isTextStyle, bool& allow)>;
// Replaces the picture handling: may take the graphic, and may answer an item.
using TVLRTFCustomPictureEvent =
    std::function<void(TCustomVLData* vlData, std::unique_ptr<TGraphic>& graphic, TVLRTFPicture* picture,
                       bool& freeGraphic, std::unique_ptr<TCustomVLItemInfo>& item, bool hyperlinkFound)>;

class TVLRTFReaderProperties : public TPersistent, public TVLRTFReadHook {
public:
  TVLRTFReaderProperties();
  ~TVLRTFReaderProperties() override;

  void Assign(const TPersistent* source) override;

  Byte ReadFromFile(const String& fileName, TCustomVLData* data) override;
  Byte ReadFromStream(TStream& stream, TCustomVLData* data) override;
  void SetBasePath(const String& path) override { BasePath = path; }
  String GetBasePath() const override { return BasePath; }
  // Inserts at item index; index answers where the first item went (-1: none).
  Byte InsertFromStream(TStream& stream, TCustomVLData* data, Integer& index);

  void SetTextStyleNo(Integer value);
  void SetParaStyleNo(Integer value);
  Integer GetTextStyleNo() const { return FTextStyleNo; }
  Integer GetParaStyleNo() const { return FParaStyleNo; }

  // Published options.
  TVLReaderUnicode UnicodeMode = vlruNoUnicode;
  TVLReaderStyleMode TextStyleMode = vlrsUseClosest;
  TVLReaderStyleMode ParaStyleMode = vlrsUseClosest;
  bool IgnorePictures = false;
  bool UseHypertextStyles = false;
  bool SkipHiddenText = true;
  bool AutoHideTableGridLines = false;
  bool LineBreaksAsParagraphs = false;
  TVLRTFHighlight ConvertHighlight = rtfhlColorTable;

  // Unpublished settings.
  TCustomVLData* HeaderVLData = nullptr;
  TCustomVLData* FooterVLData = nullptr;
  String BasePath;
  bool CollapseCellBorders = true;
  bool TableWidthFromCellEdges = false;
  bool KeepParagraphBreaks = true;
  TVLRTFStyleFilterEvent OnStyleFilter;
  TVLRTFCustomPictureEvent OnCustomPicture;
  // Screen resolution for twips to pixels.
  Integer PixelsPerInch = 96;
  // Linked pictures of fields; off for data of unknown origin.
  TVLRTFLinkPolicy LinkPolicy;

  // Results of the last run.
  Integer HeaderYMM = -1, FooterYMM = -1;
  Byte ResultCode = 0;
  bool InsertionRefused = false;
  bool FullReformat = false;
  Integer InsertedCount = 0;
  Integer FirstItemIndex = -1;
  // The work of the run's text style lookups: the lookups, the font and
  // style names they lowered and the styles they compared with the
  // formatting asked for.
  Integer StyleLookups = 0, NamesLowered = 0, StylesCompared = 0;

  // ---- state of one run, used by the run's parts --------------------------
  TVLRTFReader* Reader = nullptr;
  TCustomVLData* Target = nullptr;
  TCustomVLData* CurrentData = nullptr;
  TVLStyle* Style = nullptr;
  double PixelsPerTwip = 96.0 / 1440.0;
  Integer InsertIndex = 0;
  bool FirstItem = true;
  bool InsertMode = false;
  bool PageBreakPending = false;
  TCustomVLData* PageBreakData = nullptr;
  TVLRTFHeaderFooterType CurrentDestination = rtf_hf_MainText;
  Integer DefaultParaCache = -1;
  Integer CurrentRow = -1, CurrentCol = -1;
  bool InsideTableEnd = false;
  std::unique_ptr<TVLRTFListImport> Lists;
  std::unique_ptr<TVLRTFTableImport> Tables;

  // The one way every item enters a document.
  void AddItem(AnsiString& text, std::unique_ptr<TCustomVLItemInfo> item, TVLRTFPosition position);
  Integer Twips(Integer twips) const;
  Integer GetParaStyleForNewText(TVLRTFPosition position);
  void ReaderNewText(TVLRTFReader* sender, const AnsiString& text, TVLRTFPosition position);
  void ReaderUpdateMarker(TVLRTFReader* sender);

  // ---- style mapping -------------------------------------------------------
  Integer MapTextStyle(bool unicodeWanted);
  Integer MapParaStyle();
  Integer GetDefaultParaNo(TVLAlignment alignment);
  Integer GetCellTextStyleNo() const { return TextStyleMode == vlrsUseSpecified ? FTextStyleNo : 0; }
  bool IsHypertextField() const;
  bool StyleAllowed(Integer styleNo, bool isTextStyle) const;
  // A style like styleNo that holds UTF-16 text (found or appended).
  Integer UnicodeTwin(Integer styleNo);

  // ---- text items, pictures, hyperlinks --------------------------------------
  bool ParseHyperlinkField(String& target, String& hint, String& extras) const;
  std::unique_ptr<TCustomVLItemInfo> CreateTextItem(const AnsiString& text, const WideString* textW,
                                                    AnsiString& itemText, Integer paraNo, Integer styleNo);

private:
  Byte Run(TStream* stream, const String* fileName, TCustomVLData* data, Integer index, bool insertMode);
  void Setup();
  void Finish();
  void ReaderNewUnicodeText(TVLRTFReader* sender, const WideString& text, TVLRTFPosition position);
  void ReaderNewPicture(TVLRTFReader* sender, TVLRTFPicture* picture, std::unique_ptr<TGraphic>& graphic,
                        TVLRTFPosition position, bool& inserted);
  void ReaderImportPicture(TVLRTFReader* sender, const String& location, std::unique_ptr<TGraphic>& graphic);
  void ReaderHeaderFooter(TVLRTFReader* sender, TVLRTFHeaderFooterType type, bool starting);
  void NewText(const AnsiString& text, const WideString* textW, TVLRTFPosition position, bool unicodeWanted);

  // Exact and closest searches.
  Integer FindTextStyle(bool unicodeWanted, bool hypertext);
  Integer AddTextStyle(bool unicodeWanted, bool hypertext);
  Integer FindClosestTextStyle(bool unicodeWanted, bool hypertext);
  Integer FindParaStyle();
  Integer AddParaStyle();
  Integer FindClosestParaStyle();
  // The values of the current character formatting that styles compare.
  struct TTextWanted {
    String FontName;  // as written, UTF-8
    String FontNameLower;
    Byte Charset = 1;
    Integer Size = 12;
    TColor Color = 0, BackColor = 0;
    TFontStyles FontStyle;
    bool AllCaps = false;
    Integer Scale = 100, Spacing = 0, VPosition = 0;
  };
  TTextWanted WantedText();

  std::unique_ptr<TVLDocumentData> FDiscard;
  // A font of the reader's font table as styles hold its name, and lowered;
  // made again only when the table's entry changes under its number.
  struct TFontName {
    bool Known = false;
    AnsiString Raw;
    Cardinal CodePage = 0;
    String Name, Lower;
  };
  std::vector<TFontName> FFontNames;
  TFontName FSymbolFont;  // the last symbol-field font
  const TFontName& FontNameOf(Integer fontIndex);
  String LowerCounted(const String& utf8);
  // Lowered font names of the text styles, by style number.
  std::vector<String> FStyleNamesLower;
  TVLStyle* FStyleNamesOf = nullptr;
  const String& StyleNameLower(Integer styleNo);
  // The text styles by the properties the exact and the Unicode twin's
  // searches compare first (the rest is compared candidate by candidate):
  // style numbers, ascending. Kept up to date as styles are added.
  std::unordered_map<std::string, std::vector<Integer>> FStyleIndex;
  TVLStyle* FStyleIndexOf = nullptr;
  Integer FStylesIndexed = 0;
  std::string StyleKey(const String& nameLower, Integer size, TColor color, TColor backColor, TFontStyles style,
                       Integer scale, Integer spacing, bool allCaps, Integer vposition, bool unicode) const;
  void IndexTextStyles();
  TVLStyle* FCacheStyle = nullptr;
  Integer FCacheCount = -1;
  Integer FTextStyleNo = 0;
  Integer FParaStyleNo = 0;
  // Closest-style answers of this run by the formatting asked for.
  std::map<std::tuple<String, Integer, Integer, TColor, TColor, Integer, Integer, Integer, Integer, Integer,
                      Integer, Integer>,
           Integer>
      FClosestCache;
};

// The reader's font style bits as a font style set.
TFontStyles RTFFontStyles(Byte bits);

// Border kind and width of RTF (twips) to the paragraph border of a style.
void RTFBorderToVL(Integer kind, Integer widthTwips, bool outer, double pixelsPerTwip,
                   TVLBorderStyle& style, Integer& width, Integer& internalWidth);

// The program-wide import that documents use when their view gives none
// (Unicode text kept as Unicode). VLRegisterRTFReader, called once at
// start-up, registers it with the document model's RTF hook and the table
// item with the item factory.
TVLRTFReaderProperties& VLDefaultRTFReaderProperties();
void VLRegisterRTFReader();

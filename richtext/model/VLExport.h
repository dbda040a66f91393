#pragma once
// What the document writers share: the HTML save options, the working tables
// of one RTF save, the state of one HTML export, the application's save-time
// events, and the text escaping that keeps exported files well formed.
#include "platform/base/Set.h"
#include "platform/base/Types.h"
#include "richtext/model/VLClasses.h"
#include "richtext/model/VLStyle.h"

#include <functional>
#include <memory>
#include <set>

class TStream;
class TGraphic;
class TControl;
class TCustomVLData;
class TCustomVLItemInfo;

enum TVLSaveOption {
  vlsoOverrideImages, vlsoFirstOnly, vlsoMiddleOnly, vlsoLastOnly, vlsoDefault0Style,
  vlsoNoHypertextImageBorders, vlsoImageSizes, vlsoForceNonTextCSS, vlsoUseCheckpointsNames,
  vlsoMarkersAsText, vlsoInlineCSS, vlsoNoDefCSSStyle, vlsoUseItemImageFileNames,
  // For the document converter's filter, what its HTML reader cannot take:
  // an empty SPAN starts each item of a list numbered "a)" or "(a)"; the
  // blanks a browser would merge are marked as such, not made hard; and an
  // empty paragraph is marked, not given a no-break space.
  vlsoConverterHints
};
using TVLSaveOptions = TSet<TVLSaveOption>;

// Save-format codes passed to the application's hooks.
inline constexpr Integer vlsfText = 0;
inline constexpr Integer vlsfHTML = 1;
inline constexpr Integer vlsfRTF = 2;

// ---------------------------------------------------------------------------
// RTF

class TVLRTFFontTableItem : public TObject {
public:
  String FontName;
  Byte Charset = 0;
};

class TVLRTFFontTable : public TVLList {
public:
  TVLRTFFontTableItem* Items(Integer index) const { return GetAs<TVLRTFFontTableItem>(index); }
  Integer IndexOf(const String& fontName, Byte charset) const;
  Integer AddUnique(const String& fontName, Byte charset);
};

// The working tables of one RTF save, made by the top-level call and handed
// to nested documents and to every item that writes itself.
struct TVLRTFSaveTables {
  TVLColorList ColorList;
  TVLIntegerList StyleToFont;
  TVLIntegerList ListOverrideOffsetsList1;
  TVLIntegerList ListOverrideOffsetsList2;
  TVLRTFFontTable FontTable;
  double TwipsPerPixel = 15.0;
  // The code page of \ansicpg: text in another code page goes out as \u.
  Cardinal DocCodePage = 1252;
};

// Index of a colour in the RTF colour table; 0 (automatic) when absent.
Integer VLRTFColorIndex(const TVLColorList& colors, TColor color);
// Lengths of the style sheet (screen pixels) in whole twips, within the
// range of an RTF number.
Integer VLRTFTwips(Integer pixels, double twipsPerPixel);
// A number as RTF writes it. Readers take 32-bit parameters (ours refused
// a file with one beyond), so a value outside is written as the nearest
// one inside.
AnsiString VLRTFInt(Int64 v);

// UTF-8 text as RTF text: ASCII escaped, every other character as \u with a
// one-character fallback in codePage, or with none (\uc0) when the code page
// cannot hold it.
AnsiString VLUtf8ToRTF(const String& s, Cardinal codePage, bool asName);
// Raw UTF-16LE text the same way; surrogate pairs stay two \u words.
AnsiString VLRawUnicodeToRTF(const AnsiString& raw, Cardinal codePage, bool rtfCode);
// 8-bit text of one code page as RTF for a document in another.
AnsiString VLAnsiToRTF(const AnsiString& s, Cardinal textCodePage, Cardinal docCodePage,
                       bool rtfCode);

// One picture group "{\pict ...}": JPEG pictures as \jpegblip, metafiles with
// their bytes as they are, every other picture as a PNG \pngblip. width and
// height are the shown size in pixels (0 or less: the picture's own).
void VLSaveImageToRTF(TStream& stream, const TGraphic& graphic, Integer width, Integer height,
                      double twipsPerPixel);
// The image of an image list, nothing for an index outside it.
void VLSaveImageListImageToRTF(TStream& stream, TComponent* imageList, Integer imageIndex,
                               double twipsPerPixel);
// The charset a list marker's font goes under in the font table: its
// texts are 8-bit in the document's code page.
Byte VLRTFMarkerFontCharset(const TFont& font, const TVLRTFSaveTables& t);
// The marker font words of a list level (\f, styles, \fs, \lang, \cf).
AnsiString VLRTFMarkerFontWords(TVLListLevel& level, TVLStyle* style, const TVLRTFSaveTables& t);
// List and template ids are random; tests fix the sequence.
void VLSetRTFRandomSeed(uint32_t seed);
// A PNG file of the graphic's pixels.
AnsiString VLGraphicToPNG(const TGraphic& graphic);

// The copy of the view: a writer of the selected part of a document as RTF,
// registered once by whoever provides it (the model registers its own).
using TVLRTFCopyWriter = std::function<bool(TCustomVLData& data, TStream& stream)>;
void VLRegisterRTFCopyWriter(TVLRTFCopyWriter writer);
const TVLRTFCopyWriter& VLGetRTFCopyWriter();

// ---------------------------------------------------------------------------
// HTML

// One image file already written in this export for an image-list image or
// a list picture; later items showing the same image share it.
class TVLHTMLBulletInfo : public TObject {
public:
  String FileName;
  TComponent* ImageList = nullptr;
  Integer ImageIndex = 0;
  const TGraphic* Graphic = nullptr;
  TColor BackColor = clNone;
};

// The state of one HTML export shared with the items that write themselves.
struct TVLHTMLSaveContext {
  String Path;
  String ImagesPrefix;
  TVLSaveOptions Options;
  Integer* imgSaveNo = nullptr;
  TVLList* Bullets = nullptr;
  // Every file this export wrote, so that no later image replaces it.
  std::set<String> WrittenFiles;
};

// Escaping for HTML attributes and links.
// A link target as an href value: characters a URL may not hold are
// percent-encoded; schemes that run code (javascript:, data:, vbscript: and
// any other than http, https, ftp, mailto and file) give an empty result.
AnsiString VLHTMLLinkTarget(const String& target);
// A relative file location as a src value: forward slashes, percent-encoded.
AnsiString VLHTMLFileLocation(const String& location);
// Raw UTF-16LE text as HTML with numeric character references; a surrogate
// pair becomes one reference, a lone surrogate or a control character U+FFFD.
// A blank at the start (end) is hard only where EdgeBefore (EdgeAfter) says
// the text starts (ends) its line or meets a blank there.
AnsiString VLRawUnicodeToHTML(const AnsiString& raw, bool nbspIfEmpty, bool htmlCode, bool edgeBefore = true,
                              bool edgeAfter = true);
// 8-bit text of a code page as HTML (ASCII escaped, others as references).
AnsiString VLAnsiToHTML(const AnsiString& s, Cardinal codePage, bool nbspIfEmpty, bool htmlCode,
                        bool edgeBefore = true, bool edgeAfter = true);
// UTF-8 text as HTML text (title, alt and hint values included).
AnsiString VLUtf8ToHTML(const String& s);

// ---------------------------------------------------------------------------
// The application's save-time events: the root document answers them (the
// view's data from its control's events, TVLDocumentData from these
// members); an unassigned event gives the design's default answer.
struct TVLExportEvents {
  // Target and Extras of a hypertext item's link (both empty: no link).
  std::function<void(TCustomVLData* vlData, Integer id, Integer itemNo, Integer saveFormat,
                     String& target, String& extras)>
      OnWriteHyperlink;
  // Extra RTF text for a text style (area 0), a paragraph style (1) or the
  // document (4).
  std::function<void(Integer area, TObject* obj, AnsiString& text, bool inStyleSheet,
                     Integer itemNo, Integer index)>
      OnSaveRTFExtra;
  // Extra HTML text for the areas 0..3 of the page.
  std::function<void(Integer area, bool css, AnsiString& text)> OnSaveHTMLExtra;
  std::function<void(TCustomVLData* vlData, Integer itemNo, bool isStart, bool css,
                     AnsiString& text)>
      OnSaveParaHTMLExtra;
  // Text that replaces an item's own output (true when supplied).
  std::function<bool(const String& path, TCustomVLData* vlData, Integer itemNo,
                     Integer saveFormat, bool unicode, AnsiString& text)>
      OnSaveItemToFile;
  // The text of an embedded control in a saved file.
  std::function<void(const String& path, TControl* control, Integer saveFormat, AnsiString& text)>
      OnSaveComponentToFile;
  // An image location of the application's own (clear doDefault to use it).
  std::function<void(TCustomVLData* vlData, Integer itemNo, const String& path, TColor backColor,
                     bool& doDefault, String& location)>
      OnHTMLSaveImage;
  std::function<void(const TGraphic* graphic, Integer saveFormat, const String& path,
                     const String& imagesPrefix, Integer& imgSaveNo, bool& doDefault,
                     String& location)>
      OnSaveImage2;
};

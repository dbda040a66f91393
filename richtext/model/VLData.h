#pragma once
// The document: an ordered list of items, each an item text paired with an
// item object. One class serves the main document of a view and every
// nested sub-document; nested documents take their settings from their
// root and raise their events through the outermost document.
#include "platform/base/Set.h"
#include "platform/base/Strings.h"
#include "richtext/model/VLClasses.h"
#include "richtext/model/VLExport.h"
#include "richtext/model/VLItem.h"
#include "richtext/model/VLStyle.h"

#include <functional>
#include <memory>
#include <utility>
#include <vector>

class TStream;
class TGraphic;
class TBitmap;
class TVLMarkerList;
class TControl;
struct TVLRTFSaveTables;
struct TVLHTMLSaveContext;
struct TVLExportEvents;

// ---------------------------------------------------------------------------
// Options kept by the root document (the view's published properties).
enum TVLFOption {
  vlfoSavePicturesBody, vlfoSaveControlsBody, vlfoIgnoreUnknownPicFmt, vlfoIgnoreUnknownCtrls,
  vlfoConvUnknownStylesToZero, vlfoConvLargeImageIdxToZero, vlfoSaveBinary, vlfoUseStyleNames,
  vlfoSaveBack, vlfoLoadBack, vlfoSaveTextStyles, vlfoSaveParaStyles, vlfoSaveLayout,
  vlfoLoadLayout, vlfoSaveDocProperties, vlfoLoadDocProperties
};
using TVLFOptions = TSet<TVLFOption>;
// The published default: pictures and controls with their bodies, binary,
// document properties saved and loaded.
inline const TVLFOptions VLFDefaultOptions{vlfoSavePicturesBody, vlfoSaveControlsBody,
                                           vlfoSaveBinary, vlfoSaveDocProperties,
                                           vlfoLoadDocProperties};

enum TVLRTFOption {
  vlrtfSaveStyleSheet, vlrtfDuplicateUnicode, vlrtfSaveEMFAsWMF, vlrtfSaveJpegAsJpeg,
  vlrtfSaveBitmapDefault, vlrtfSaveEMFDefault
};
using TVLRTFOptions = TSet<TVLRTFOption>;

// What the VLF reader found and repaired.
enum TVLFWarning {
  vlfwUnknownPicFmt, vlfwUnknownCtrls, vlfwConvUnknownStyles, vlfwConvLargeImageIdx,
  vlfwConvToUnicode, vlfwConvFromUnicode, vlfwInvalidPicture,
  // The data was refused: damaged, cut short, a length it does not hold, or
  // a record of a kind this program does not know.
  vlfwInvalidData,
  // A table's grid was ragged or contradictory and was repaired (cells
  // added, spans clipped); no cell text was dropped.
  vlfwTableGridRepaired,
  // A table claimed more cells than a table may have, and was left out;
  // the rest of the document was read.
  vlfwTableTooLarge,
  // A table would have lain deeper in tables than a table may, and was left
  // out; the rest of the document was read.
  vlfwTableTooDeep,
  // A table's record claimed more cells than it holds (within the limit),
  // and was left out; the rest of the document was read.
  vlfwTableDamaged,
  // A table's record was damaged where its cells are: the cells read and
  // the grid were kept, the cells that could not be read are empty, and
  // their text is lost.
  vlfwTableTextLost,
  // A record of a kind not known here was kept to be written back as it
  // was: what it holds is not shown.
  vlfwRecordNotShown,
  // The background picture could not be decoded and was left out.
  vlfwBackgroundLeftOut
};
using TVLFWarnings = TSet<TVLFWarning>;

// Whether the reader gave back the whole document: a picture it could not
// decode (vlfwInvalidPicture) is kept with its bytes and written back, so it
// is not a part left out.
inline bool VLFReadWhole(TVLFWarnings warnings) {
  warnings.Exclude(vlfwInvalidPicture);
  return warnings.Empty();
}

// The most cells a table read from a file may have: four times the largest
// table Insert Table makes. A table's cells take about a kilobyte each
// before they hold anything.
inline constexpr Int64 VLTableMaxCells = 4 * 100 * 500;
// The deepest a table may lie: one in the document is at depth 1, one in
// its cell at 2. Each level is two nested reads of the component streams,
// whose bound this stays within.
inline constexpr Integer VLTableMaxNesting = 32;

enum TVLFReaderStyleMode { vlf_sIgnore, vlf_sInsertMap, vlf_sInsertMerge };

enum TVLPaletteAction { vlpaDoNothing, vlpaAssignPalette, vlpaCreateCopies, vlpaCreateCopiesEx };

enum TVLControlAction {
  vlcaAfterVLFLoad, vlcaDestroy, vlcaMoveToUndoList, vlcaMoveFromUndoList, vlcaDestroyInUndoList,
  vlcaBeforeVLFSave, vlcaAfterVLFSave
};

enum TBackgroundStyle { bsNoBitmap, bsStretched, bsTiled, bsTiledAndScrolled, bsCentered };
// The page background the HTML writers save beside the page.
struct TVLBackgroundImage {
  TBackgroundStyle Style = bsNoBitmap;
  const TGraphic* Image = nullptr;
};

// Document state flags this unit knows.
inline constexpr Cardinal vlstClearing = 0x80;
inline constexpr Cardinal vlstViewDocument = 0x100;
inline constexpr Cardinal vlstReadingCellData = 0x20000;
inline constexpr Cardinal vlstClearReset1 = 0x200000;
inline constexpr Cardinal vlstClearReset2 = 0x400000;


// Margins and text widths that reading accepts; a stored value beyond them
// (a damaged stream) would push the text out of sight or layout
// coordinates out of range.
inline constexpr Integer VLMaxLayoutMargin = 1000;
inline constexpr Integer VLMaxLayoutWidth = 32767;

// Layout values a VLF stream may carry.
struct TVLLayoutInfo {
  Integer LeftMargin = 0, RightMargin = 0, TopMargin = 0, BottomMargin = 0;
  Integer MinTextWidth = 0, MaxTextWidth = 0;
  // The same six lengths as the stream stored them, before reading bounded
  // them; a host writes these back for lengths it has not changed, so that
  // saving loses nothing of the stored bytes.
  Integer StoredLengths[6] = {};
  TVLBiDiMode BiDiMode = vlbdUnspecified;
  // Extension: the saved part's ends inside paragraphs and the list marker
  // of the paragraph it starts in.
  bool StartsInsideParagraph = false;
  bool EndsInsideParagraph = false;
  Integer StartMarkerListNo = -1;
  Integer StartMarkerLevel = -1;
  // Set by the reader when the stream carried layout data.
  bool Loaded = false;
};

// Hooks through which the RTF subsystem takes part without the model
// depending on it: the reader appends an RTF document after the last item
// and answers its result code.
class TVLRTFReadHook {
public:
  virtual ~TVLRTFReadHook() = default;
  virtual Byte ReadFromFile(const String& fileName, TCustomVLData* data) = 0;
  virtual Byte ReadFromStream(TStream& stream, TCustomVLData* data) = 0;
  // The folder relative links and linked pictures are taken from (a paste
  // sets it to where the copied document came from).
  virtual void SetBasePath(const String&) {}
  virtual String GetBasePath() const { return String(); }
};
// The result when no RTF reader is registered.
inline constexpr Byte VLRTFNoReader = 6;

// Stream style numbers to sheet style numbers, one map per kind; none when
// the numbers are taken as they are.
struct TVLFStyleMaps {
  std::unique_ptr<TVLIntegerList> Text, Para, List;
};

// Events the root document raises for its nested documents.
using TVLItemActionEvent = std::function<void(TCustomVLData* sender, TVLItemAction action,
                                              TCustomVLItemInfo* item, AnsiString& text,
                                              TCustomVLData* vlData)>;
using TVLControlActionEvent = std::function<void(TCustomVLData* sender, TVLControlAction action,
                                                 Integer itemNo, TObject* control)>;
using TVLFPictureNeededEvent = std::function<void(TCustomVLData* sender, const String& name,
                                                  Integer tag, std::unique_ptr<TGraphic>& graphic)>;
using TVLFControlNeededEvent = std::function<void(TCustomVLData* sender, const String& name,
                                                  Integer tag, TObject*& control)>;
using TVLFImageListNeededEvent = std::function<void(TCustomVLData* sender, Integer imageListTag,
                                                    TComponent*& imageList)>;
using TVLReadHyperlinkEvent = std::function<void(TCustomVLData* sender, const String& target,
                                                 const String& extras, Integer docFormat,
                                                 Integer& styleNo, TCustomVLItemInfo* item)>;
using TVLItemHintEvent = std::function<void(TCustomVLData* sender, TCustomVLData* vlData,
                                            Integer itemNo, String& hint)>;

// The document container.
class TCustomVLData : public TPersistent {
public:
  TCustomVLData();
  ~TCustomVLData() override;
  TCustomVLData(const TCustomVLData&) = delete;
  TCustomVLData& operator=(const TCustomVLData&) = delete;

  // ---- settings, answered by the root -----------------------------------
  virtual TVLOptions GetOptions();
  virtual void SetOptions(TVLOptions value);
  virtual TVLFOptions GetVLFOptions();
  virtual void SetVLFOptions(TVLFOptions value);
  virtual TVLRTFOptions GetRTFOptions();
  virtual void SetRTFOptions(TVLRTFOptions value);
  virtual TVLFWarnings GetVLFWarnings();
  virtual void SetVLFWarnings(TVLFWarnings value);
  virtual TVLFReaderStyleMode GetVLFTextStylesReadMode();
  virtual TVLFReaderStyleMode GetVLFParaStylesReadMode();
  virtual TVLPaletteAction GetDoInPaletteMode();
  virtual void* GetPalette();
  virtual void* GetLogPalette();
  virtual TVLBiDiMode GetBiDiMode();
  virtual Cardinal GetState() = 0;
  virtual void SetState(Cardinal value) = 0;

  // ---- nesting ---------------------------------------------------------
  virtual TCustomVLData* GetVLData() { return this; }
  virtual TCustomVLData* GetSourceVLData() { return this; }
  virtual TVLStyle* GetStyle();
  virtual TCustomVLData* GetParentData() { return nullptr; }
  virtual TCustomVLData* GetRootData() { return this; }
  virtual TCustomVLData* GetAbsoluteParentData() { return nullptr; }
  virtual TCustomVLData* GetAbsoluteRootData() { return this; }
  virtual TCustomVLData* GetEditableVLData() { return this; }
  virtual TCustomVLData* GetActiveSubVLData() { return nullptr; }
  virtual TCustomVLItemInfo* GetActiveSubItem() { return nullptr; }
  virtual bool SupportsPageBreaks() { return true; }
  // Where this document sits in its parent: item -1 and no location in the base.
  virtual void GetParentInfo(Integer& itemNo, std::unique_ptr<TVLStoreSubVLData>& location);

  // ---- events, raised by the root ----------------------------------------
  virtual void ItemAction(TVLItemAction action, TCustomVLItemInfo* item, AnsiString& text,
                          TCustomVLData* vlData) {}
  virtual void DoControlAction(TVLControlAction action, Integer itemNo, TObject* control) {}
  virtual String GetDelimiters();
  virtual TVLRTFReadHook* GetRTFReadProperties();
  virtual TObject* GetParentControl();
  virtual TStringList* GetDocProperties() { return nullptr; }
  virtual void DoVLFPictureNeeded(const String& name, Integer tag, std::unique_ptr<TGraphic>& graphic);
  virtual void DoVLFControlNeeded(const String& name, Integer tag, TObject*& control);
  virtual void DoVLFImageListNeeded(Integer imageListTag, TComponent*& imageList);
  virtual void DoItemHint(TCustomVLData* vlData, Integer itemNo, String& hint);
  virtual void DoReadHyperlink(const String& target, const String& extras, Integer docFormat,
                               Integer& styleNo, TCustomVLItemInfo* item);
  // The style maps of a VLF read; the root keeps them so that nested reads
  // (table cells) use them and leave them in place. nullptr: the reader
  // keeps its own for the read.
  virtual TVLFStyleMaps* GetVLFStyleMaps();
  virtual void ReleaseVLFStyleMaps() {}

  // ---- items ---------------------------------------------------------------
  Integer GetItemCount() const { return Items->Count(); }
  TCustomVLItemInfo* GetItem(Integer itemNo) const;
  Integer GetItemNo(const TCustomVLItemInfo* item) const;
  // The item text as stored (8-bit, or raw UTF-16LE).
  AnsiString GetItemTextA(Integer itemNo) const { return Items->Get(itemNo); }
  // The item text itself, without a copy; valid until the items change.
  const AnsiString& ItemTextRef(Integer itemNo) const { return Items->Ref(itemNo); }
  // A document of secret text (a password report): its item texts are
  // wiped before they are freed, and layout, measuring and drawing leave no
  // copy of them behind. Documents sharing its items share the setting.
  bool IsSensitive() const { return Items && Items->Sensitive; }
  void SetSensitive(bool value) { Items->Sensitive = value; }
  void SetItemTextA(Integer itemNo, const AnsiString& text) { Items->Put(itemNo, text); }
  AnsiString GetRawItemText(Integer itemNo) const { return Items->Get(itemNo); }

  void AddItem(const AnsiString& text, TCustomVLItemInfo* item);
  void AddTextItemTag(const AnsiString& text, Integer styleNo, Integer paraNo, const TVLTag& tag);
  void AddTextItem(const AnsiString& text, Integer styleNo, Integer paraNo);
  void AddAnsiTextItemTag(const AnsiString& text, Integer styleNo, Integer paraNo, const TVLTag& tag);
  void AddUnicodeTextItemTag(const AnsiString& rawUnicode, Integer styleNo, Integer paraNo,
                             const TVLTag& tag);
  void SetAddParagraphMode(bool value) { AddParagraphMode = value; }
  void CheckItemClass(Integer itemNo, const std::function<bool(const TCustomVLItemInfo*)>& isClass);

  Integer GetItemStyle(Integer itemNo) const;
  Integer GetItemActualStyle(const TCustomVLItemInfo* item) const;
  Integer GetActualStyleNo(Integer styleNo, Integer paraNo) const;
  Integer GetItemPara(Integer itemNo) const;
  Byte GetItemOptions(Integer itemNo) const;
  const TVLTag& GetItemTag(Integer itemNo) const;
  TVLCPInfo* GetItemCheckpoint(Integer itemNo) const;
  Integer GetItemLength(Integer itemNo) const;
  Integer GetItemStartOffset(Integer itemNo) const;
  Integer GetItemEndOffset(Integer itemNo) const;
  bool IsFromNewLine(Integer itemNo) const;
  bool IsParaStart(Integer itemNo) const;
  bool GetPageBreakBefore(Integer itemNo) const;
  void SetPageBreakBefore(Integer itemNo, bool value);
  Integer FindControlItemNo(const TObject* control) const;
  bool TagsArePChars() { return GetOptions().Contains(vloTagsArePChars); }

  Cardinal GetStyleCodePage(Integer styleNo);
  Cardinal GetStyleLocale(Integer styleNo);
  Cardinal GetDefaultCodePage();
  void Beep();
  void UpdateItemsPaletteInfo();

  // ---- freeing -------------------------------------------------------------
  virtual void FreeItem(TCustomVLItemInfo* item, bool clearing);
  void FreeItemAt(Integer itemNo, bool clearing);
  void NotifyControlItem(TVLControlAction action, Integer itemNo, TCustomVLItemInfo* item);
  void DeleteItems(Integer firstItemNo, Integer count);
  // Puts the items with their texts before item index, all in one move of
  // the items after them. No notifications: the caller sends them.
  void InsertItemBlock(Integer index, const std::vector<std::pair<AnsiString, TCustomVLItemInfo*>>& items);
  // Removes the entries first..last in one move of the tail (the items
  // themselves are the caller's).
  void DeleteItemBlock(Integer first, Integer last);
  virtual void Clear();
  void NormalizeParaNo(Integer itemNo);
  // The range a writer saves: the whole document in the base.
  virtual void GetSaveRange(bool selectionOnly, Integer& startItemNo, Integer& endItemNo,
                            Integer& startOffs, Integer& endOffs, Integer& startPart,
                            Integer& endPart);
  static bool GetNextFileName(const String& prefix, const String& path, const String& ext,
                              Integer& counter, bool overwriteFiles, String& fileName);

  virtual bool ShareItems() { return false; }
  void ShareItemsFrom(TCustomVLData* source);

  // ---- checkpoints, tags, moving, joining ----------------------------------
  void UpdateCPItemNumbers();
  TVLCPInfo* FindCPBeforeItem(Integer itemNo);
  void LinkCheckpoint(TVLCPInfo* cp, Integer itemNo);
  // Rebuilds the checkpoint chain from the items' checkpoints, in item order.
  void RelinkCheckpoints();
  void UnlinkCheckpoint(TVLCPInfo* cp, bool decCount);
  void FreeCheckpoint(TVLCPInfo*& cp, bool unlink, bool decCount);
  void AttachPendingCheckpoint(TCustomVLItemInfo* item);
  void MoveItemsFrom(TCustomVLData* source);
  void NotifyItemsInserting(TCustomVLData* vlData, bool safe);
  bool CanConcateItems(Integer itemNo, TCustomVLItemInfo* item1, TCustomVLItemInfo* item2,
                       bool ignoreParaBreak);
  void ConcateItems(Integer first, Integer last);
  Byte LoadRTF(const String& fileName);
  Byte LoadRTFFromStream(TStream& stream);
  // Tags under the document's tag kind.
  TVLTag CopyTag(const TVLTag& tag) { return VLCopyTag(tag, TagsArePChars()); }
  bool AreTagsEqual(const TVLTag& tag1, const TVLTag& tag2) {
    return VLTagsEqual(tag1, tag2, TagsArePChars());
  }

  // ---- styles in use --------------------------------------------------------
  virtual void MarkStylesInUse(TVLIntegerList& textUsed, TVLIntegerList& paraUsed,
                               TVLIntegerList& listUsed);
  void RenumberItemStyles(const TVLIntegerList& textMap, const TVLIntegerList& paraMap,
                          const TVLIntegerList& listMap);
  virtual void RenumberStyles(const TVLIntegerList& textMap, const TVLIntegerList& paraMap,
                              const TVLIntegerList& listMap) {}
  // Deletes the styles nothing uses and renumbers every reference; true
  // when a style went (numbers may have moved).
  bool DeleteUnusedStyles(bool textStyles, bool paraStyles, bool listStyles);

  // ---- list markers -----------------------------------------------------------
  virtual TVLMarkerList* GetMarkers(bool allowCreate);
  virtual void DestroyMarkers();
  virtual TVLMarkerList* GetOuterMarkerList(bool allowCreate) { return nullptr; }
  void SetListMarker(Integer itemNo, Integer listNo, Integer level, Integer startFrom,
                     Integer paraNo, bool reset);
  Integer GetListMarkerInfo(Integer itemNo, Integer& listNo, Integer& level, Integer& startFrom,
                            bool& reset);
  void RecalcMarkersFrom(Integer itemNo, bool allowCreate);
  void AddMarkerToList(Integer itemNo);
  // Registers the markers of a block of items that starts at firstItemNo,
  // given in document order, and recounts once.
  void AddMarkersToList(Integer firstItemNo, const std::vector<TVLMarkerItemInfo*>& markers);
  void RemoveMarkerFromList(TCustomVLItemInfo* item, bool clearing);
  TCustomVLItemInfo* FindPrevMarker(Integer itemNo);
  Integer FindItemNoFrom(Integer startNo, const TCustomVLItemInfo* item);
  Integer FindLastMarkerOfLists(Integer startIndex, const TVLIntegerList& listNos);
  Integer GetParaStartItem(Integer itemNo) const;

  // ---- VLF -----------------------------------------------------------------------
  bool LoadVLF(const String& fileName, TColor& color, TBitmap* background,
               TBackgroundStyle* backgroundStyle, TVLLayoutInfo* layout);
  bool LoadVLFFromStream(TStream& stream, TColor& color, TBitmap* background,
                         TBackgroundStyle* backgroundStyle, TVLLayoutInfo* layout);
  bool InsertVLFFromStream(TStream& stream, Integer index, TColor& color, TBitmap* background,
                           TBackgroundStyle* backgroundStyle, TVLLayoutInfo* layout,
                           bool allowReplaceStyles);
  // The reader proper; index advances past every inserted item.
  bool ReadVLFFromStream(TStream& stream, Integer& index, TVLLayoutInfo* layout,
                         TBitmap* background, TBackgroundStyle* backgroundStyle, TColor& color,
                         bool editorInsert, bool allowReplaceStyles);
  // The editor joins the first read item to its text at the insertion point;
  // the base inserts it plainly.
  virtual bool InsertFirstVLFItem(Integer& index, AnsiString& text, TCustomVLItemInfo*& item,
                                  bool editFlag, bool& fullReformat, Integer& newListNo);
  bool SaveVLF(const String& fileName, bool selectionOnly, TColor color,
               const TBitmap* background, TBackgroundStyle backgroundStyle,
               const TVLLayoutInfo* layout);
  bool SaveVLFToStream(TStream& stream, bool selectionOnly, TColor color,
                       const TBitmap* background, TBackgroundStyle backgroundStyle,
                       const TVLLayoutInfo* layout);
  // A nested document as a binary property ("Data" of table cells): a
  // 32-bit length and a complete VLF stream without background.
  void SaveDataProperty(TStream& stream);
  // False when the length runs past the stream or the VLF is refused.
  bool LoadDataProperty(TStream& stream);

  // ---- plain text, RTF and HTML output (VLTextIO, VLRTFWrite, VLHTMLWrite) ----------
  bool LoadText(const String& fileName, Integer styleNo, Integer paraNo, bool asSingleParagraph);
  bool LoadTextUnicode(const String& fileName, Integer styleNo, Integer paraNo,
                       bool asSingleParagraph);
  void AddTextFromUnicode(const AnsiString& text, Integer styleNo, Integer firstParaNo,
                          Integer paraNo, bool asSingleParagraph);
  bool SaveText(const String& fileName, Integer lineWidth, bool unicode);
  // markers: the list markers' text too (as a copy shows them); the text read
  // for editing leaves them out.
  bool SaveTextToStream(const String& path, TStream& stream, Integer lineWidth,
                        bool selectionOnly, bool textOnly, bool unicode, bool unicodeSignature,
                        bool markers = true);
  void ReplaceTabs(const AnsiString& text, Integer styleNo, AnsiString& result, bool assumeUnicode);
  bool SaveRTF(const String& fileName, bool selectionOnly, TColor color, const TBitmap* background);
  // tables: nullptr for the top-level call, which makes them.
  virtual bool SaveRTFToStream(TStream& stream, bool selectionOnly, Integer level, TColor color,
                               const TBitmap* background, TVLRTFSaveTables* tables);
  void MakeRTFTables(TVLColorList& colorList, TVLIntegerList& listOverrideCountList, bool reset);
  bool SaveHTMLFile(const String& fileName, const String& title, const String& imagesPrefix,
                    TVLSaveOptions options, TColor color, Integer& imgSaveNo, Integer leftMargin,
                    Integer topMargin, Integer rightMargin, Integer bottomMargin,
                    const TVLBackgroundImage* background);
  virtual bool SaveHTMLToStream(TStream& stream, const String& path, const String& title,
                                const String& imagesPrefix, TVLSaveOptions options, TColor color,
                                Integer& imgSaveNo, Integer leftMargin, Integer topMargin,
                                Integer rightMargin, Integer bottomMargin,
                                const TVLBackgroundImage* background, TVLList* bullets);
  bool SaveCSSHTMLFile(const String& fileName, const String& title, const String& imagesPrefix,
                       const String& extraStyles, const String& externalCSS,
                       const String& cpPrefix, TVLSaveOptions options, TColor color,
                       TColor& currentFileColor, Integer& imgSaveNo, Integer leftMargin,
                       Integer topMargin, Integer rightMargin, Integer bottomMargin,
                       const TVLBackgroundImage* background);
  virtual bool SaveHTMLToStreamCSS(TStream& stream, const String& path, const String& title,
                                   const String& imagesPrefix, const String& extraStyles,
                                   const String& externalCSS, const String& cpPrefix,
                                   TVLSaveOptions options, TColor color, TColor& currentFileColor,
                                   Integer& imgSaveNo, Integer leftMargin, Integer topMargin,
                                   Integer rightMargin, Integer bottomMargin,
                                   const TVLBackgroundImage* background, TVLList* bullets);
  // Writes one image file beside the page and gives its location.
  virtual void SaveImageForHTML(bool asJpeg, const TGraphic& graphic, TVLHTMLSaveContext& ctx,
                                TColor backColor, String& location);
  // The save-time events of the absolute root (nullptr: none assigned).
  virtual TVLExportEvents* GetExportEvents() { return nullptr; }
  bool SaveItemToFile(const String& path, Integer itemNo, Integer saveFormat, bool unicode,
                      AnsiString& text);
  AnsiString SaveComponentToFile(const String& path, TControl* control, Integer saveFormat);
  void DoWriteHyperlink(Integer id, Integer itemNo, Integer saveFormat, String& target,
                        String& extras);
  AnsiString DoSaveRTFExtra(Integer area, TObject* obj, bool inStyleSheet, Integer itemNo,
                            Integer index);
  AnsiString DoSaveHTMLExtra(Integer area, bool css);
  AnsiString DoSaveParaHTMLExtra(Integer itemNo, bool isStart, bool css);
  void DoHTMLSaveImage(Integer itemNo, const String& path, TColor backColor, bool& doDefault,
                       String& location);

  // ---- fields ----------------------------------------------------------------------
  // Strings are item texts, objects the items (owned by the document unless
  // the list is shared).
  TStringList* Items = nullptr;
  bool AddParagraphMode = true;
  TVLCPInfo* FirstCP = nullptr;
  TVLCPInfo* LastCP = nullptr;
  TVLCPInfo* NotAddedCP = nullptr;
  Integer CPCount = 0;

protected:
  // Called by a sharing document's constructor.
  void CreateItems();
  bool FOwnsItems = false;
  // Answers for a root without a control of its own (see TVLDocumentData).
  TVLFWarnings FVLFWarnings;
};

// A document that is its own root and answers its settings itself: the
// container of loaders, tests and documents built in memory.
class TVLDocumentData : public TCustomVLData {
public:
  explicit TVLDocumentData(TVLStyle* style = nullptr);
  ~TVLDocumentData() override;

  TVLOptions GetOptions() override { return Options; }
  void SetOptions(TVLOptions value) override { Options = value; }
  TVLFOptions GetVLFOptions() override { return VLFOptions; }
  void SetVLFOptions(TVLFOptions value) override { VLFOptions = value; }
  TVLRTFOptions GetRTFOptions() override { return RTFOptions; }
  void SetRTFOptions(TVLRTFOptions value) override { RTFOptions = value; }
  TVLFWarnings GetVLFWarnings() override { return FVLFWarnings; }
  void SetVLFWarnings(TVLFWarnings value) override { FVLFWarnings = value; }
  TVLFReaderStyleMode GetVLFTextStylesReadMode() override { return VLFTextStylesReadMode; }
  TVLFReaderStyleMode GetVLFParaStylesReadMode() override { return VLFParaStylesReadMode; }
  TVLPaletteAction GetDoInPaletteMode() override { return vlpaDoNothing; }
  void* GetPalette() override { return nullptr; }
  void* GetLogPalette() override { return nullptr; }
  TVLBiDiMode GetBiDiMode() override { return BiDiMode; }
  Cardinal GetState() override { return FState; }
  void SetState(Cardinal value) override { FState = value; }
  TVLStyle* GetStyle() override { return Style; }
  TStringList* GetDocProperties() override { return DocProperties.get(); }
  TVLRTFReadHook* GetRTFReadProperties() override;
  TVLFStyleMaps* GetVLFStyleMaps() override { return &FStyleMaps; }
  void ReleaseVLFStyleMaps() override;
  TVLMarkerList* GetMarkers(bool allowCreate) override;
  void DestroyMarkers() override;
  void DoVLFPictureNeeded(const String& name, Integer tag, std::unique_ptr<TGraphic>& graphic) override;
  void DoVLFControlNeeded(const String& name, Integer tag, TObject*& control) override;
  void DoVLFImageListNeeded(Integer imageListTag, TComponent*& imageList) override;
  void DoControlAction(TVLControlAction action, Integer itemNo, TObject* control) override;

  TVLStyle* Style;
  TVLOptions Options;
  TVLFOptions VLFOptions = VLFDefaultOptions;
  TVLRTFOptions RTFOptions;
  TVLFReaderStyleMode VLFTextStylesReadMode = vlf_sInsertMerge;
  TVLFReaderStyleMode VLFParaStylesReadMode = vlf_sInsertMerge;
  TVLBiDiMode BiDiMode = vlbdUnspecified;
  // Document properties (VLF record 5); created by the owner when wanted.
  std::unique_ptr<TStringList> DocProperties;

  TVLExportEvents* GetExportEvents() override { return &ExportEvents; }
  TVLExportEvents ExportEvents;
  TVLFPictureNeededEvent OnVLFPictureNeeded;
  TVLFControlNeededEvent OnVLFControlNeeded;
  TVLFImageListNeededEvent OnVLFImageListNeeded;
  TVLControlActionEvent OnControlAction;

private:
  Cardinal FState = 0;
  TVLFStyleMaps FStyleMaps;
  std::unique_ptr<TVLMarkerList> FMarkers;
};

// The RTF reader registers itself here; until it does, RTF loading answers
// VLRTFNoReader.
void VLRegisterRTFReadHook(TVLRTFReadHook* hook);
TVLRTFReadHook* VLGetRTFReadHook();
// Each view has reader settings of its own, made on first use by the
// factory the reader registers (a copy of the program's defaults).
void VLRegisterRTFReadHookFactory(std::function<std::unique_ptr<TVLRTFReadHook>()> factory);
std::unique_ptr<TVLRTFReadHook> VLMakeRTFReadHook();

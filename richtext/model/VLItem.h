#pragma once
// Document items: the base item class and the item classes built on it, the
// style numbers that name item kinds, the registry through which further
// kinds (tables) join, the item factory and the extra-property lines.
#include "platform/base/Components.h"
#include "platform/base/Set.h"
#include "platform/gui/Controls.h"
#include "richtext/model/VLClasses.h"
#include "richtext/model/VLDrawLines.h"
#include "richtext/model/VLStyle.h"

#include <functional>
#include <memory>
#include <typeindex>
#include <vector>

class TStream;
class TStrings;
class TCustomVLData;
class TCustomVLItemInfo;
struct TVLRTFSaveTables;
struct TVLHTMLSaveContext;
class TBitmap;
class TCustomImageList;

// Style numbers of the item kinds.
inline constexpr Integer vlsBreak = -1;
inline constexpr Integer vlsCheckpoint = -2;
inline constexpr Integer vlsPicture = -3;
inline constexpr Integer vlsHotspot = -4;
inline constexpr Integer vlsComponent = -5;
inline constexpr Integer vlsBullet = -6;
inline constexpr Integer vlsBack = -7;
inline constexpr Integer vlsVersionInfo = -8;
inline constexpr Integer vlsDocProperty = -9;
inline constexpr Integer vlsHotPicture = -10;
inline constexpr Integer vlsListMarker = -11;
inline constexpr Integer vlsTable = -60;
// A text item in its paragraph style's default text style.
inline constexpr Integer vlsDefStyle = 0x7FFFFFFF;

// Item option bits.
inline constexpr Byte vlioSameAsPrev = 1;
inline constexpr Byte vlioPageBreakBefore = 2;
inline constexpr Byte vlioBR = 4;
inline constexpr Byte vlioUnicode = 8;

// The options of a view that documents read through their root document.
enum TVLOption {
  vloAllowSelection, vloSingleClick, vloScrollToEnd, vloClientTextWidth, vloShowCheckpoints,
  vloShowPageBreaks, vloShowSpecialCharacters, vloTagsArePChars, vloAutoCopyText,
  vloAutoCopyUnicodeText, vloAutoCopyVLF, vloAutoCopyImage, vloAutoCopyRTF, vloFormatInvalidate,
  vloDblClickSelectsWord, vloRClickDeselects, vloDisallowDrag, vloShowItemHints
};
using TVLOptions = TSet<TVLOption>;

enum TVLItemAction {
  vliaInserting, vliaInserted, vliaTextModifying, vliaDestroying, vliaMovingToUndoList
};
enum TVLVAlign { vlvaBaseline, vlvaMiddle };

// Extra integer properties (name=value lines); 0 has no name.
enum TVLExtraItemProperty {
  vleipUnknown, vleipVShift, vleipVShiftAbsolute, vleipImageWidth, vleipImageHeight,
  vleipTransparent, vleipTransparentMode, vleipTransparentColor, vleipMinHeightOnPage,
  vleipSpacing, vleipResizable, vleipUnremovable
};
// Extra string properties.
enum TVLExtraItemStrProperty { vlesipUnknown, vlesipHint, vlesipAltText, vlesipFileName };

// "vshift", …, "unremovable" (index 0: empty).
const char* VLExtraIntPropertyName(TVLExtraItemProperty prop);
// "hint", "alt", "filename" (index 0: empty).
const char* VLExtraStrPropertyName(TVLExtraItemStrProperty prop);

// A tag: an integer, or under vloTagsArePChars a string owned by the
// document (an empty string is no tag).
struct TVLTag {
  Integer Int = 0;
  AnsiString Str;
  bool operator==(const TVLTag&) const = default;
};
// Tags compare as integers, or as strings under string tags.
bool VLTagsEqual(const TVLTag& a, const TVLTag& b, bool tagsArePChars);
// A copy of a tag for another owner: the string is duplicated under string
// tags, else the integer is kept.
TVLTag VLCopyTag(const TVLTag& tag, bool tagsArePChars);

// A checkpoint: a named position attached to an item, chained in item order
// by its document.
class TVLCPInfo : public TObject {
public:
  void Assign(const TVLCPInfo& source, bool tagsArePChars);
  std::unique_ptr<TVLCPInfo> CreateCopy(bool tagsArePChars) const;

  String Name;
  TVLCPInfo* Next = nullptr;
  TVLCPInfo* Prev = nullptr;
  bool RaiseEvent = false;
  // The item is anchored at a paragraph start.
  bool Persistent = false;
  TCustomVLItemInfo* ItemInfo = nullptr;
  Integer ItemNo = -1;
  TVLTag Tag;
};

// How an item remembers one of its inner documents (a table cell).
class TVLStoreSubVLData : public TObject {
public:
  virtual std::unique_ptr<TVLStoreSubVLData> Duplicate() const { return nullptr; }
};

// ---------------------------------------------------------------------------
// The base item.
class TCustomVLItemInfo : public TPersistent {
public:
  explicit TCustomVLItemInfo(TCustomVLData* vlData);
  ~TCustomVLItemInfo() override;
  TCustomVLItemInfo(const TCustomVLItemInfo&) = delete;
  TCustomVLItemInfo& operator=(const TCustomVLItemInfo&) = delete;

  // Copies StyleNo, ParaNo, ItemOptions and Hint (and each class its own
  // fields when source is of its class).
  void Assign(const TPersistent* source) override;

  // --- option bits ---
  bool GetSameAsPrev() const { return (ItemOptions & vlioSameAsPrev) != 0; }
  void SetSameAsPrev(bool value);
  bool GetPageBreakBefore() const { return (ItemOptions & vlioPageBreakBefore) != 0; }
  void SetPageBreakBefore(bool value);
  bool GetBR() const { return (ItemOptions & vlioBR) != 0; }
  void SetBR(bool value);
  bool IsParaStart() const { return (ItemOptions & (vlioSameAsPrev | vlioBR)) == 0; }
  bool IsFromNewLine() const { return (ItemOptions & vlioSameAsPrev) == 0; }
  bool IsUnicode() const { return (ItemOptions & vlioUnicode) != 0; }
  Integer GetActualStyleNo(TVLStyle* vlStyle) const;

  // --- layout and painting hooks (the view overrides them) ---
  virtual Integer GetMinWidth(const TVLScreenAndDevice* sad, TCanvas* canvas, TCustomVLData* vlData);
  virtual TGraphic* GetGraphic() const { return nullptr; }
  virtual bool GetBoolValue(Integer prop) const;
  virtual bool GetBoolValueEx(Integer prop, TVLStyle* vlStyle) const;
  virtual void PaintFullWidth(Integer left, Integer right, Integer top, TCanvas* canvas,
                              TVLTextDrawStates state, TVLStyle* style, const TRect& clipRect,
                              TCustomVLData* vlData) {}
  virtual void Paint(Integer x, Integer y, TCanvas* canvas, TVLTextDrawStates state,
                     TVLStyle* style, TCustomVLData* vlData) {}
  // Draws the item (or page part `part` of drawLine, -1 for the whole item)
  // into bitmap for printing; true when it drew. The bitmap comes sized to
  // the item and may be resized.
  virtual bool PrintToBitmap(TBitmap* bitmap, bool preview, TCustomVLData* vlData,
                             const TVLDrawLineInfo* drawLine, Integer part, TVLColorMode colorMode) {
    return false;
  }
  virtual void Print(TCanvas* canvas, Integer x, Integer y, Integer x2, bool preview,
                     bool correctY, const TVLScreenAndDevice& sad, TCustomVLData* vlData,
                     TVLColorMode colorMode) {}
  virtual Integer GetImageWidth(TVLStyle* vlStyle) const { return 0; }
  virtual Integer GetImageHeight(TVLStyle* vlStyle) const { return 0; }
  virtual Integer GetBorderWidth() const { return 0; }
  virtual Integer GetBorderHeight() const { return 0; }
  virtual void Inserting(TCustomVLData* vlData, AnsiString& text, bool safe);
  virtual void Inserted(TCustomVLData* vlData, Integer itemNo);
  virtual void CalcSizeForDocWidth(Integer docWidth, Integer& result1, Integer& result2);
  // The same for a printed copy of the document (docWidth in screen pixels);
  // an item may take the size the screen would show it at with nothing wider
  // in its document: screenWidth is that line (0: none known).
  virtual void CalcSizeForPaper(Integer docWidth, Integer /*screenWidth*/, Integer& result1, Integer& result2) {
    CalcSizeForDocWidth(docWidth, result1, result2);
  }
  // Paints the item's own background into rect of a bitmap that lies behind
  // the item when printing; itemRect is the item's place in that bitmap.
  // what: 0 nothing, 1 the colour only, others the colour and any picture.
  virtual void DrawBackgroundForPrinting(TCanvas* canvas, const TRect& rect, const TRect& itemRect,
                                         TVLColorMode colorMode, Integer what) {}
  // The draw-line record of the item laid out for printing.
  virtual std::unique_ptr<TVLDrawLineInfo> CreateDrawLineInfo(const TVLScreenAndDevice& sad);

  // --- persistence and the rest of the item protocol ---
  virtual AnsiString GetVLFParams(TCustomVLData* vlData) const { return AnsiString(); }
  virtual Integer GetVLFExtraPropertyCount() const;
  virtual void SaveVLFExtraProperties(TStream& stream) const;
  virtual TCustomVLData* GetSubVLDataAt(Integer x, Integer y) { return nullptr; }
  virtual bool OwnsControl(TControl* control) const { return false; }
  virtual bool OwnsInplaceEditor(TObject* editor) const { return false; }
  // A left press at x, y (the item's own coordinates) begins a drag that
  // changes the item's size or its parts' (a table's border).
  virtual bool PressStartsSizing(Integer x, Integer y, TCustomVLData* vlData) const { return false; }
  virtual void SaveToHTML(TStream& stream, TCustomVLData* vlData, Integer itemNo,
                          const AnsiString& text, TVLHTMLSaveContext& ctx, TColor curColor,
                          bool useCSS) {}
  virtual AnsiString AsText(Integer lineWidth, TCustomVLData* vlData, const AnsiString& text,
                            const String& path, bool textOnly, bool unicode) const {
    return AnsiString();
  }
  virtual void UpdatePaletteInfo(Integer paletteAction, bool forceRecreateCopy) {}
  // Parses the item-specific header text; advances p.
  virtual bool ReadVLFParams(const char*& p) { return true; }
  // The save mode of the record's header (2: its last line is binary), told
  // before its lines are read.
  virtual void SetVLFReadType(Integer readType) {}
  // One line after the item header: by default an extra-property line.
  virtual bool ReadVLFLine(const AnsiString& s, TCustomVLData* vlData, Integer lineNo,
                           Integer lineCount, AnsiString& name, TObject*& cpInfo);
  virtual void SaveVLF(TStream& stream, TCustomVLData* vlData, Integer itemNo, Integer paraNo,
                       const AnsiString& name, bool part, bool forceSameAsPrev) {}
  virtual void SaveRTF(TStream& stream, TCustomVLData* vlData, Integer itemNo,
                       const AnsiString& text, Integer level, TVLRTFSaveTables& tables) {}
  // Adds the colours and list-override counts the item's RTF will need.
  virtual void FillRTFTables(TVLColorList& colorList, TVLIntegerList& listOverrideCountList,
                             TCustomVLData* vlData) {}
  virtual void MovingToUndoList(Integer itemNo, TCustomVLData* vlData, TObject* containerUndoItem);
  virtual void MovingFromUndoList(Integer itemNo, TCustomVLData* vlData) {}
  virtual void FinalizeUndoGroup() {}
  virtual bool MouseMove(TShiftState shift, Integer x, Integer y, Integer itemNo,
                         TCustomVLData* vlData);
  // True: the press begins a gesture of the item's own (a table's border
  // drag) that leaves the document's caret and selection where they are.
  virtual bool MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y, Integer itemNo,
                         TCustomVLData* vlData) {
    return false;
  }
  virtual bool MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y, Integer itemNo,
                       TCustomVLData* vlData) {
    return false;
  }
  // 2 from the RTF reader, 3 from the VLF reader.
  virtual void BeforeLoading(Integer fileFormat) {}
  virtual void RegisterInnerMarkers(TObject* markerList) {}
  virtual void Deselect() {}
  virtual bool PartiallySelected() const { return false; }
  virtual bool CanDeletePartiallySelected() const { return false; }
  virtual void DeletePartiallySelected() {}
  // What the item's own selection covers, as an item of its own made for
  // vlData (a table's selected cells: a table of those cells), with its
  // plain text; nullptr when the item is not partially selected. Copying
  // takes it.
  virtual std::unique_ptr<TCustomVLItemInfo> CopyPartiallySelected(TCustomVLData* vlData, WideString& text) {
    return nullptr;
  }
  // A key typed while the item is partially selected: the item opens where
  // the text is to go (a table: its first selected cell) and answers true,
  // or answers false and the key is refused.
  virtual bool EnterForTyping() { return false; }
  virtual void ApplyParaStyleToSubVLDatas(Integer paraNo) {}
  virtual void ApplyParaStyleConversionToSubVLDatas(Integer userData) {}
  virtual void ApplyStyleConversionToSubVLDatas(Integer userData) {}
  virtual void ApplyStyleConversion(Integer userData) {}
  virtual void BeginUpdate() {}
  virtual void EndUpdate() {}
  virtual void BeforeUndoChangeProperty() {}
  virtual void AfterUndoChangeProperty() {}
  virtual bool EnterItem(Integer from, Integer coord) { return false; }
  virtual Word GetHypertextCursor(TVLStyle* vlStyle) const;
  virtual void BuildJumps(Integer left, Integer top, Integer& startJumpNo, TObject* jumps) {}
  virtual void Focus() {}
  virtual bool SearchText(const AnsiString& text, Integer options) { return false; }
  virtual void ClearSearchResult() {}
  virtual void ExecuteJump(TCustomVLData* vlData) {}
  virtual bool LocateControl(TControl* control) const { return false; }
  // Sets usedParaStyles[ParaNo] (and each class its own) to 1.
  virtual void MarkStylesInUse(TVLIntegerList& usedTextStyles, TVLIntegerList& usedParaStyles,
                               TVLIntegerList& usedListStyles);
  // Renumbering after unused styles were deleted: number - (shift[number] - 1).
  virtual void UpdateStyles(const TVLIntegerList& textStylesShift,
                            const TVLIntegerList& paraStylesShift,
                            const TVLIntegerList& listStylesShift);
  virtual TCustomVLData* GetSubVLData(std::unique_ptr<TVLStoreSubVLData>& storeState,
                                      Integer position) {
    storeState.reset();
    return nullptr;
  }
  virtual void ChooseSubVLData(const TVLStoreSubVLData* storeState) {}
  // The inner document a location of GetParentInfo names (null when none).
  virtual TCustomVLData* GetSubVLDataOf(const TVLStoreSubVLData* location) { return nullptr; }
  // The items of an inner document changed outside an editor: the next
  // layout measures them anew.
  virtual void SubVLDataChanged() {}
  virtual void ResetSubVLDataChoice() {}
  // The document is laid out anew as a whole (its styles may have
  // changed): what the item kept of its last layout, and of the documents
  // inside it, no longer holds.
  virtual void LayoutAnew() {}
  // After an undo or redo: the caret back in the inner document storeState
  // names (or the nearest one left), at the item and offset given when
  // they still fit. False when the item has no such document.
  virtual bool ReturnCaretTo(const TVLStoreSubVLData* storeState, Integer itemNo, Integer offs) { return false; }
  virtual void UpdateOwnCoords(Integer left, Integer top) {}
  virtual bool SetExtraIntProperty(TVLExtraItemProperty prop, Integer value) { return false; }
  virtual bool GetExtraIntProperty(TVLExtraItemProperty prop, Integer& value) const { return false; }
  virtual bool SetExtraStrProperty(TVLExtraItemStrProperty prop, const String& value);
  virtual bool GetExtraStrProperty(TVLExtraItemStrProperty prop, String& value) const;
  virtual void SetExtraCustomProperty(const String& name, const String& value) {}
  virtual Integer PartStartToOffset(Integer partStart) const { return partStart; }

  Integer StyleNo = 0;
  Integer ParaNo = 0;
  Byte ItemOptions = 0;
  // Owned by the document's checkpoint chain.
  TVLCPInfo* Checkpoint = nullptr;
  Integer JumpID = 0;
  TVLTag Tag;
  Integer DrawItemNo = -1;
  String Hint;

  // Expires when the item is freed (see TVLItemRef); made on first request.
  std::weak_ptr<const void> LifeToken() const {
    if (!FLife) FLife = std::make_shared<char>(0);
    return FLife;
  }

private:
  mutable std::shared_ptr<char> FLife;
};

// An item held from outside the list that owns it (a document's active
// item): a table command or a document read anew may free the item, and the
// reference then reads as nullptr instead of dangling.
class TVLItemRef {
public:
  TVLItemRef() = default;
  TVLItemRef(TCustomVLItemInfo* item) { *this = item; }
  TVLItemRef& operator=(TCustomVLItemInfo* item) {
    FItem = item;
    FLife = item ? item->LifeToken() : std::weak_ptr<const void>();
    return *this;
  }
  TCustomVLItemInfo* Get() const { return FItem && !FLife.expired() ? FItem : nullptr; }
  operator TCustomVLItemInfo*() const { return Get(); }
  TCustomVLItemInfo* operator->() const { return Get(); }

private:
  TCustomVLItemInfo* FItem = nullptr;
  std::weak_ptr<const void> FLife;
};

using TCustomVLItemInfoClass = std::function<std::unique_ptr<TCustomVLItemInfo>(TCustomVLData*)>;

// An item class: its virtual constructor and its identity.
struct TVLItemClass {
  std::type_index Type = typeid(void);
  TCustomVLItemInfoClass Create;
};
template <class T>
TVLItemClass VLItemClassOf() {
  return {typeid(T), [](TCustomVLData* d) -> std::unique_ptr<TCustomVLItemInfo> {
            return std::make_unique<T>(d);
          }};
}

class TVLTextItemInfo : public TCustomVLItemInfo {
public:
  using TCustomVLItemInfo::TCustomVLItemInfo;
  bool GetBoolValueEx(Integer prop, TVLStyle* vlStyle) const override;
  bool ReadVLFParams(const char*& p) override { return true; }
  void ExecuteJump(TCustomVLData* vlData) override;
  void MarkStylesInUse(TVLIntegerList& usedTextStyles, TVLIntegerList& usedParaStyles,
                       TVLIntegerList& usedListStyles) override;
  void UpdateStyles(const TVLIntegerList& textStylesShift, const TVLIntegerList& paraStylesShift,
                    const TVLIntegerList& listStylesShift) override;
};

class TVLNonTextItemInfo : public TCustomVLItemInfo {
public:
  using TCustomVLItemInfo::TCustomVLItemInfo;
  void Assign(const TPersistent* source) override;
  virtual Integer GetHeight() const { return 0; }
  virtual Integer GetWidth() const { return 0; }
  virtual Integer GetDescent() const { return 0; }
  // The item is placed at its laid-out position (x, y in the document).
  virtual void MovingToPosition(Integer x, Integer y, bool updateTop) {}
  Integer GetVLFExtraPropertyCount() const override;
  void SaveVLFExtraProperties(TStream& stream) const override;
  bool SetExtraIntProperty(TVLExtraItemProperty prop, Integer value) override;
  bool GetExtraIntProperty(TVLExtraItemProperty prop, Integer& value) const override;

  // The item may not be deleted by editing.
  bool DeleteProtect = false;
};

class TVLFullLineItemInfo : public TVLNonTextItemInfo {
public:
  using TVLNonTextItemInfo::TVLNonTextItemInfo;
  bool GetBoolValue(Integer prop) const override;
};

class TVLRectItemInfo : public TVLNonTextItemInfo {
public:
  explicit TVLRectItemInfo(TCustomVLData* vlData);
  void Assign(const TPersistent* source) override;
  virtual Integer GetHorizontalOffset() const { return Spacing; }
  Integer GetBorderWidth() const override { return Spacing; }
  Integer GetBorderHeight() const override { return Spacing; }
  AnsiString GetVLFParams(TCustomVLData* vlData) const override;
  bool ReadVLFParams(const char*& p) override;
  Integer GetVLFExtraPropertyCount() const override;
  void SaveVLFExtraProperties(TStream& stream) const override;
  bool SetExtraIntProperty(TVLExtraItemProperty prop, Integer value) override;
  bool GetExtraIntProperty(TVLExtraItemProperty prop, Integer& value) const override;

  // Minimum height on a page when the item is split between pages.
  Integer MinHeightOnPage = 0;
  TVLVAlign VAlign = vlvaBaseline;
  Integer VShift = 0;
  // Otherwise VShift is a percentage of the item's height.
  bool VShiftAbs = false;
  Integer Spacing = 1;
};

// A whole control, sized and placed like a picture, that may take a share
// of the document's width. The item owns the control.
class TVLControlItemInfo : public TVLRectItemInfo {
public:
  using TVLRectItemInfo::TVLRectItemInfo;
  void SaveRTF(TStream& stream, TCustomVLData* vlData, Integer itemNo, const AnsiString& text,
               Integer level, TVLRTFSaveTables& tables) override;
  void SaveToHTML(TStream& stream, TCustomVLData* vlData, Integer itemNo, const AnsiString& text,
                  TVLHTMLSaveContext& ctx, TColor curColor, bool useCSS) override;
  // The application's text for the control (nothing without a handler).
  AnsiString AsText(Integer lineWidth, TCustomVLData* vlData, const AnsiString& text, const String& path,
                    bool textOnly, bool unicode) const override;
  ~TVLControlItemInfo() override;
  void Assign(const TPersistent* source) override;
  bool GetBoolValue(Integer prop) const override;
  bool GetBoolValueEx(Integer prop, TVLStyle* vlStyle) const override;
  bool OwnsControl(TControl* control) const override { return control && control == Control; }
  Integer GetWidth() const override;
  Integer GetHeight() const override;
  Integer GetImageWidth(TVLStyle* vlStyle) const override;
  Integer GetImageHeight(TVLStyle* vlStyle) const override;
  Integer GetMinWidth(const TVLScreenAndDevice* sad, TCanvas* canvas, TCustomVLData* vlData) override;
  void CalcSizeForDocWidth(Integer docWidth, Integer& result1, Integer& result2) override;
  // The width a percent control takes in a document docWidth wide.
  Integer PercentWidthFor(Integer docWidth) const;
  void MovingToPosition(Integer x, Integer y, bool updateTop) override;
  void Inserting(TCustomVLData* vlData, AnsiString& text, bool safe) override;
  void MovingToUndoList(Integer itemNo, TCustomVLData* vlData, TObject* containerUndoItem) override;
  void MovingFromUndoList(Integer itemNo, TCustomVLData* vlData) override;
  void Focus() override;
  void Paint(Integer x, Integer y, TCanvas* canvas, TVLTextDrawStates state, TVLStyle* style,
             TCustomVLData* vlData) override;
  std::unique_ptr<TVLDrawLineInfo> CreateDrawLineInfo(const TVLScreenAndDevice& sad) override;
  bool PrintToBitmap(TBitmap* bitmap, bool preview, TCustomVLData* vlData,
                     const TVLDrawLineInfo* drawLine, Integer part, TVLColorMode colorMode) override;
  Integer GetVLFExtraPropertyCount() const override;
  void SaveVLFExtraProperties(TStream& stream) const override;
  bool SetExtraIntProperty(TVLExtraItemProperty prop, Integer value) override;
  bool GetExtraIntProperty(TVLExtraItemProperty prop, Integer& value) const override;
  bool ReadVLFLine(const AnsiString& s, TCustomVLData* vlData, Integer lineNo, Integer lineCount,
                   AnsiString& name, TObject*& cpInfo) override;
  void SaveVLF(TStream& stream, TCustomVLData* vlData, Integer itemNo, Integer paraNo,
               const AnsiString& name, bool part, bool forceSameAsPrev) override;

  // The control shown; the item frees it.
  TControl* Control = nullptr;
  bool ResizableControl = false;
  // Percent of the document width (1..100), 0 for a fixed width.
  Integer PercentWidth = 0;
  // How the record being read carries its control (its save mode).
  Integer ReadType = 0;
};

// Makes an empty graphic of a named class. Pictures, backgrounds and the VLF
// reader make every graphic whose class is known only at run time through
// it; an application may put its own function here. Names coming from a
// document are checked against our graphic registry before they get here.
using TVLCreateGraphicFunc = std::function<std::unique_ptr<TGraphic>(const String& className)>;
extern TVLCreateGraphicFunc CreateGraphicOfClass;
// An empty graphic of source's own class (null when none can be made).
std::unique_ptr<TGraphic> VLCreateGraphicLike(const TGraphic& source);
// RTF import hands it every picture it has just read; it does nothing
// until an application puts its own function here.
extern std::function<void(TGraphic* graphic)> AfterImportGraphic;

// An inline picture of any of our graphic classes.
class TVLGraphicItemInfo : public TVLRectItemInfo {
public:
  using TVLRectItemInfo::TVLRectItemInfo;
  void SaveRTF(TStream& stream, TCustomVLData* vlData, Integer itemNo, const AnsiString& text,
               Integer level, TVLRTFSaveTables& tables) override;
  void SaveToHTML(TStream& stream, TCustomVLData* vlData, Integer itemNo, const AnsiString& text,
                  TVLHTMLSaveContext& ctx, TColor curColor, bool useCSS) override;
  // A picture item that takes the picture over.
  static std::unique_ptr<TVLGraphicItemInfo> CreateEx(TCustomVLData* vlData,
                                                      std::unique_ptr<TGraphic> image,
                                                      TVLVAlign vAlign);
  ~TVLGraphicItemInfo() override;
  void Assign(const TPersistent* source) override;
  TGraphic* GetGraphic() const override { return Image.get(); }
  bool GetBoolValue(Integer prop) const override;
  bool GetBoolValueEx(Integer prop, TVLStyle* vlStyle) const override;
  Integer GetImageWidth(TVLStyle* vlStyle) const override;
  Integer GetImageHeight(TVLStyle* vlStyle) const override;
  Integer GetWidth() const override;
  Integer GetHeight() const override;
  Integer GetMinWidth(const TVLScreenAndDevice* sad, TCanvas* canvas, TCustomVLData* vlData) override;
  void Paint(Integer x, Integer y, TCanvas* canvas, TVLTextDrawStates state, TVLStyle* style,
             TCustomVLData* vlData) override;
  bool PrintToBitmap(TBitmap* bitmap, bool preview, TCustomVLData* vlData,
                     const TVLDrawLineInfo* drawLine, Integer part, TVLColorMode colorMode) override;
  void Print(TCanvas* canvas, Integer x, Integer y, Integer x2, bool preview, bool correctY,
             const TVLScreenAndDevice& sad, TCustomVLData* vlData, TVLColorMode colorMode) override;
  std::unique_ptr<TVLDrawLineInfo> CreateDrawLineInfo(const TVLScreenAndDevice& sad) override;
  void UpdatePaletteInfo(Integer paletteAction, bool forceRecreateCopy) override;
  void MovingToUndoList(Integer itemNo, TCustomVLData* vlData, TObject* containerUndoItem) override;
  Integer GetVLFExtraPropertyCount() const override;
  void SaveVLFExtraProperties(TStream& stream) const override;
  bool SetExtraIntProperty(TVLExtraItemProperty prop, Integer value) override;
  bool GetExtraIntProperty(TVLExtraItemProperty prop, Integer& value) const override;
  bool SetExtraStrProperty(TVLExtraItemStrProperty prop, const String& value) override;
  bool GetExtraStrProperty(TVLExtraItemStrProperty prop, String& value) const override;
  bool ReadVLFLine(const AnsiString& s, TCustomVLData* vlData, Integer lineNo, Integer lineCount,
                   AnsiString& name, TObject*& cpInfo) override;
  void SaveVLF(TStream& stream, TCustomVLData* vlData, Integer itemNo, Integer paraNo,
               const AnsiString& name, bool part, bool forceSameAsPrev) override;

  std::unique_ptr<TGraphic> Image;
  // A copy adapted to a palette display; never made on true-colour devices.
  std::unique_ptr<TGraphic> PaletteCopy;
  Integer ImageWidth = 0;   // 0 or less: the picture's own
  Integer ImageHeight = 0;  // 0 or less: the picture's own
  String Alt;
  String ImageFileName;
  // How the record being read carries its picture (its save mode).
  Integer ReadType = 0;

  // The class name and bytes the picture was read from. While Image is still
  // the graphic made from them, unmodified, they are what is saved: nothing
  // is re-encoded, and a picture shown as the bad-picture image (unreadable,
  // or over the size limits) is written back as it came.
  void SetSource(const String& className, AnsiString bytes);
  bool HasSource() const;
  const String& GetSourceClassName() const { return FSourceClassName; }
  const AnsiString& GetSourceBytes() const { return FSourceBytes; }

private:
  String FSourceClassName;
  AnsiString FSourceBytes;
  const TGraphic* FSourceImage = nullptr;
};

class TVLHotGraphicItemInfo : public TVLGraphicItemInfo {
public:
  using TVLGraphicItemInfo::TVLGraphicItemInfo;
  bool GetBoolValueEx(Integer prop, TVLStyle* vlStyle) const override;
  void ExecuteJump(TCustomVLData* vlData) override;
};

// One page part of a picture or control printed over several pages: its
// rows, in screen pixels of the item.
class TVLImagePrintPart : public TVLMultiDrawItemPart {
public:
  Integer GetPartStart() const override { return ImageTop; }
  Integer ImageTop = 0;
  Integer ImageHeight = 0;
};

// The printing record of an item that may be split over pages.
class TVLMultiImagePrintInfo : public TVLSplitPrintInfo<TVLImagePrintPart> {
public:
  TVLMultiImagePrintInfo(TVLRectItemInfo* item, const TVLScreenAndDevice& sad);
  // The size comes from the item.
  void SetSize(Integer width, Integer height) override {}
  bool InitSplit() override;
  bool CanSplitFirst(Integer y) override;
  bool SplitAt(Integer y) override;

  TVLScreenAndDevice Sad;
  TVLRectItemInfo* Item;

private:
  Integer ImageHeightOnScreen() const;
  bool ItemIsMetafile() const;
};

// A picture from an image list that the document refers to, not owns.
class TVLBulletItemInfo : public TVLRectItemInfo {
public:
  using TVLRectItemInfo::TVLRectItemInfo;
  void SaveRTF(TStream& stream, TCustomVLData* vlData, Integer itemNo, const AnsiString& text,
               Integer level, TVLRTFSaveTables& tables) override;
  void SaveToHTML(TStream& stream, TCustomVLData* vlData, Integer itemNo, const AnsiString& text,
                  TVLHTMLSaveContext& ctx, TColor curColor, bool useCSS) override;
  void Assign(const TPersistent* source) override;
  bool GetBoolValue(Integer prop) const override;
  Integer GetImageWidth(TVLStyle* vlStyle) const override;
  Integer GetImageHeight(TVLStyle* vlStyle) const override;
  Integer GetWidth() const override;
  Integer GetHeight() const override;
  Integer GetMinWidth(const TVLScreenAndDevice* sad, TCanvas* canvas, TCustomVLData* vlData) override;
  void Paint(Integer x, Integer y, TCanvas* canvas, TVLTextDrawStates state, TVLStyle* style,
             TCustomVLData* vlData) override;
  bool PrintToBitmap(TBitmap* bitmap, bool preview, TCustomVLData* vlData,
                     const TVLDrawLineInfo* drawLine, Integer part, TVLColorMode colorMode) override;
  AnsiString GetVLFParams(TCustomVLData* vlData) const override;
  bool ReadVLFParams(const char*& p) override;
  bool ReadVLFLine(const AnsiString& s, TCustomVLData* vlData, Integer lineNo, Integer lineCount,
                   AnsiString& name, TObject*& cpInfo) override;
  void SaveVLF(TStream& stream, TCustomVLData* vlData, Integer itemNo, Integer paraNo,
               const AnsiString& name, bool part, bool forceSameAsPrev) override;
  virtual Integer GetImageIndex(bool hot) const { return ImageIndex; }
  // The image list as an image list (nullptr for none).
  TCustomImageList* GetImageList() const;

  // An image list, not owned.
  TComponent* ImageList = nullptr;
  Integer ImageIndex = 0;
  // The image list's tag as read from VLF, for the reader to resolve.
  Integer ImageListTag = 0;

protected:
  // Asks the document for the list and checks an index against it; false
  // when the read must fail.
  bool CheckImageIndex(TCustomVLData* vlData, Integer& index);
};

class TVLHotspotItemInfo : public TVLBulletItemInfo {
public:
  using TVLBulletItemInfo::TVLBulletItemInfo;
  void Assign(const TPersistent* source) override;
  bool GetBoolValueEx(Integer prop, TVLStyle* vlStyle) const override;
  AnsiString GetVLFParams(TCustomVLData* vlData) const override;
  bool ReadVLFParams(const char*& p) override;
  bool ReadVLFLine(const AnsiString& s, TCustomVLData* vlData, Integer lineNo, Integer lineCount,
                   AnsiString& name, TObject*& cpInfo) override;
  Integer GetImageIndex(bool hot) const override { return hot ? HotImageIndex : ImageIndex; }
  void ExecuteJump(TCustomVLData* vlData) override;

  Integer HotImageIndex = 0;
};

class TVLBreakItemInfo : public TVLFullLineItemInfo {
public:
  using TVLFullLineItemInfo::TVLFullLineItemInfo;
  AnsiString AsText(Integer lineWidth, TCustomVLData* vlData, const AnsiString& text,
                    const String& path, bool textOnly, bool unicode) const override;
  void SaveRTF(TStream& stream, TCustomVLData* vlData, Integer itemNo, const AnsiString& text,
               Integer level, TVLRTFSaveTables& tables) override;
  void SaveToHTML(TStream& stream, TCustomVLData* vlData, Integer itemNo, const AnsiString& text,
                  TVLHTMLSaveContext& ctx, TColor curColor, bool useCSS) override;
  void FillRTFTables(TVLColorList& colorList, TVLIntegerList& listOverrideCountList,
                     TCustomVLData* vlData) override;
  void Assign(const TPersistent* source) override;
  void PaintFullWidth(Integer left, Integer right, Integer top, TCanvas* canvas, TVLTextDrawStates state,
                      TVLStyle* style, const TRect& clipRect, TCustomVLData* vlData) override;
  void Print(TCanvas* canvas, Integer x, Integer y, Integer x2, bool preview, bool correctY,
             const TVLScreenAndDevice& sad, TCustomVLData* vlData, TVLColorMode colorMode) override;
  bool GetBoolValue(Integer prop) const override;
  bool GetBoolValueEx(Integer prop, TVLStyle* vlStyle) const override;
  AnsiString GetVLFParams(TCustomVLData* vlData) const override;
  bool ReadVLFParams(const char*& p) override;

  Byte LineWidth = 0;
  Byte Style = 0;  // 0: a plain line
  TColor Color = 0;
};

// The list marker; its numbering lives with the document's marker list.
class TVLMarkerItemInfo : public TVLRectItemInfo {
public:
  using TVLRectItemInfo::TVLRectItemInfo;
  AnsiString AsText(Integer lineWidth, TCustomVLData* vlData, const AnsiString& text,
                    const String& path, bool textOnly, bool unicode) const override;
  void SaveRTF(TStream& stream, TCustomVLData* vlData, Integer itemNo, const AnsiString& text,
               Integer level, TVLRTFSaveTables& tables) override;
  void SaveToHTML(TStream& stream, TCustomVLData* vlData, Integer itemNo, const AnsiString& text,
                  TVLHTMLSaveContext& ctx, TColor curColor, bool useCSS) override;
  // Whether RTF writes this marker as a restart of its list (an override of
  // its own): the table count, the override table and the marker's \ls must agree.
  bool RTFRestartsList(TVLStyle* style);
  void FillRTFTables(TVLColorList& colorList, TVLIntegerList& listOverrideCountList,
                     TCustomVLData* vlData) override;
  void Assign(const TPersistent* source) override;
  // Printed pages and report layouts draw the marker as the screen does.
  void Print(TCanvas* canvas, Integer x, Integer y, Integer x2, bool preview, bool correctY,
             const TVLScreenAndDevice& sad, TCustomVLData* vlData, TVLColorMode colorMode) override;
  void Paint(Integer x, Integer y, TCanvas* canvas, TVLTextDrawStates state, TVLStyle* style,
             TCustomVLData* vlData) override;
  bool GetBoolValue(Integer prop) const override;
  bool GetBoolValueEx(Integer prop, TVLStyle* vlStyle) const override;
  AnsiString GetVLFParams(TCustomVLData* vlData) const override;
  bool ReadVLFParams(const char*& p) override;
  void MarkStylesInUse(TVLIntegerList& usedTextStyles, TVLIntegerList& usedParaStyles,
                       TVLIntegerList& usedListStyles) override;
  void UpdateStyles(const TVLIntegerList& textStylesShift, const TVLIntegerList& paraStylesShift,
                    const TVLIntegerList& listStylesShift) override;
  // The level's settings in the sheet (a level past the last gives the last).
  TVLListLevel* GetLevelInfo(TVLStyle* vlStyle) const;

  Integer ListNo = -1;
  Integer Level = 0;
  Integer StartFrom = 1;
  bool Reset = false;
};

// ---------------------------------------------------------------------------
// What the base item behaviour asks of the document that holds an item. The
// document container fills these in when its unit starts; an unset hook
// answers as if the item had no document (no action, default options, empty
// text, no hint).
struct TVLItemDocumentHooks {
  std::function<void(TCustomVLData* vlData, TVLItemAction action, TCustomVLItemInfo* item,
                     AnsiString& text)>
      ItemAction;
  std::function<TVLOptions(const TCustomVLData* vlData)> GetOptions;
  std::function<AnsiString(const TCustomVLData* vlData, Integer itemNo)> GetItemText;
  // The hint to show for an item (the document's item-hint event).
  std::function<String(TCustomVLData* vlData, TCustomVLItemInfo* item, Integer itemNo)> GetItemHint;
  // The control that shows the root document.
  std::function<TControl*(TCustomVLData* vlData)> GetParentControl;
  // Hides the application's hint window.
  std::function<void()> CancelHint;
  // Fires the jump event of a formatted document for an item's jump.
  std::function<void(TCustomVLData* vlData, Integer jumpID)> ExecuteJump;
  // The print component's own imaging of a control: true when it has a
  // handler (image then holds its picture, or nothing).
  std::function<bool(TCustomVLData* vlData, TControl* control, std::unique_ptr<TBitmap>& image)>
      PrintComponent;
};
TVLItemDocumentHooks& VLItemDocumentHooks();

// ---------------------------------------------------------------------------
// The factory, the registry and the helpers of the item unit.

// The class that text items are created with (TVLTextItemInfo unless replaced).
extern TVLItemClass VLTextItemClass;

// A new item for a style number; nullptr for a number that names no kind.
std::unique_ptr<TCustomVLItemInfo> CreateVellumItem(Integer styleNo, TCustomVLData* vlData);
// Registers a class for a style number of -12 or below; another class for a
// taken number (or a number of -9 or above) raises EVellumError.
void RegisterItemClass(Integer styleNo, const TVLItemClass& itemClass);
// Takes back the class of a style number (none: nothing happens).
void UnregisterItemClass(Integer styleNo);
// A copy of source; its checkpoint too when asked.
std::unique_ptr<TCustomVLItemInfo> DuplicateItem(const TCustomVLItemInfo& source,
                                                 TCustomVLData* vlData, bool copyCheckpoint);
// One name=value line.
void ReadExtraProperty(TCustomVLItemInfo& item, const AnsiString& line);
void VLFWriteExtraIntProperty(TStream& stream, TVLExtraItemProperty prop, Integer value);
void VLFWriteExtraStrProperty(TStream& stream, TVLExtraItemStrProperty prop, const String& value);
AnsiString GetHTMLImageAlign(TVLVAlign vAlign);
// The option number of an item header: bits 0-3 only.
Byte VLFItemOptions(Byte itemOptions, bool forceSameAsPrev);

// ---------------------------------------------------------------------------
// Paragraph navigation over a document's item list (strings: item texts,
// objects: the items). The document container's operations of the same
// names answer through these.

// An item number at or past count becomes the last item; a negative one
// (also in an empty document) becomes 0.
void VLClampItemNo(Integer& itemNo, Integer count);
// The nearest item at or before itemNo that starts a paragraph (0 at the
// latest; an itemNo below 1 is answered as it is).
Integer VLGetParaStartItem(const TStrings& items, Integer itemNo);
// The same with line starts (a paragraph start or a line break).
Integer VLGetLineBreakStartItem(const TStrings& items, Integer itemNo);
// first..last widened to whole paragraphs (or lines).
void VLExpandToParas(const TStrings& items, Integer first, Integer last, Integer& paraFirst,
                     Integer& paraLast);
void VLExpandToParaSections(const TStrings& items, Integer first, Integer last,
                            Integer& sectionFirst, Integer& sectionLast);
// The paragraph style's direction, else the document's.
TVLBiDiMode VLGetParaBiDiMode(TVLStyle* style, Integer paraNo, TVLBiDiMode docBiDiMode);
// A text item's style direction, else its paragraph's.
TVLBiDiMode VLGetItemBiDiMode(const TStrings& items, TVLStyle* style, Integer itemNo,
                              TVLBiDiMode docBiDiMode);

// ---------------------------------------------------------------------------
// Drawing and exporting shared by the picture, bullet and control items.

// The hover frame (one pixel outside the box, in the sheet's HoverColor)
// and the selection frame (on the box, in SelColor when focused, else
// InactiveSelColor) of an item box at (x, y).
void VLPaintItemFrames(TCanvas* canvas, Integer x, Integer y, Integer width, Integer height,
                       TVLTextDrawStates state, TVLStyle* style, bool hoverFrame);


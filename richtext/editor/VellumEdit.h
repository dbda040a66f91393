#pragma once
// The rich-text editor control. Every change follows one protocol: the
// innermost in-place editor takes it, the before-change check (read-only,
// style sheet, OnChanging) may refuse it with a beep, one undo group holds
// it, and the change notification sets Modified, clears the redo list and
// fires OnChange. Keys arrive with their text in one event; the control
// also takes input-method commits and shows the pre-edit at the caret.
#include "platform/base/ComponentGuard.h"
#include "richtext/editor/VLEditData.h"
#include "richtext/view/Vellum.h"

#include <functional>
#include <memory>

class TGraphic;
class TStream;
class TStrings;

enum TVLEditorOption {
  vloClearTagOnStyleApp,
  vloCtrlJumps,
  vloDoNotWantReturns,
  vloDoNotWantShiftReturns,
  vloWantTabs,
  vloAutoSwitchLang,
  vloHideReadOnlyCaret,
  vloNoImageResize
};
using TVLEditorOptions = TSet<TVLEditorOption>;

enum TVLDragDropFormat { vlddVLF, vlddRTF, vlddText, vlddUnicodeText, vlddBitmap, vlddMetafile, vlddURL, vlddFiles };
using TVLDragDropFormats = TSet<TVLDragDropFormat>;

enum TVLGetOutDirection { vldLeft, vldUp, vldRight, vldDown, vldTop, vldBottom };
enum TVLDropFileAction { vldfNone, vldfInsert, vldfLink };

class TCustomVellumEdit;
using TVLChangingEvent = std::function<void(TCustomVellumEdit* sender, bool& canEdit)>;
using TVLStyleConversionEvent = std::function<void(TCustomVellumEdit* sender, Integer styleNo, Integer userData,
                                                   bool appliedToText, Integer& newStyleNo)>;
using TVLPasteEvent = std::function<void(TCustomVellumEdit* sender, bool& doDefault)>;
using TVLOnCaretGetOutEvent = std::function<void(TCustomVellumEdit* sender, TVLGetOutDirection direction)>;
using TVLDropFilesEvent = std::function<void(TCustomVellumEdit* sender, TStrings* files,
                                             TVLDropFileAction& fileAction, bool& doDefault)>;

// The folder of the page an "HTML Format" block was copied from (its
// "SourceURL:" header): a local folder for a file, the address's folder for
// a web page, each ending in "/"; empty without the header.
String VLHTMLSourceFolder(const AnsiString& htmlFormatBlock);

// The document format OnReadHyperlink names for a link dropped on an editor.
inline constexpr Integer VLDroppedLinkFormat = 3;

inline const TVLDragDropFormats VellumEditDefaultDropFormats{vlddVLF, vlddRTF, vlddText, vlddUnicodeText,
                                                            vlddBitmap, vlddMetafile, vlddFiles};

class TCustomVellumEdit : public TCustomVellum {
public:
  explicit TCustomVellumEdit(TComponent* owner);
  ~TCustomVellumEdit() override;

  TVLEditVLData* EditData() const { return static_cast<TVLEditVLData*>(VLData()); }

  // ---- settings ---------------------------------------------------------------
  virtual void SetReadOnly(bool value);
  virtual bool GetReadOnly() const { return FReadOnly; }
  // Stores the flag without showing or hiding the caret (undo of a cell).
  void SetReadOnlyField(bool value) { FReadOnly = value; }
  bool Modified = false;
  TVLEditorOptions GetEditorOptions() const { return FEditorOptions; }
  void SetEditorOptions(TVLEditorOptions value);
  TVLDragDropFormats AcceptDragDropFormats = VellumEditDefaultDropFormats;
  Integer GetUndoLimit() const;
  void SetUndoLimit(Integer value);
  // Only vltnNone: the editor takes Tab itself.
  void SetTabNavigation(TVLTabNavigationType value);

  // ---- events (Sender: the outermost editor) -----------------------------------
  TNotifyEvent OnCurParaStyleChanged, OnCurTextStyleChanged;
  TNotifyEvent OnChange;
  TNotifyEvent OnCaretMove;
  TVLChangingEvent OnChanging;
  TVLStyleConversionEvent OnStyleConversion, OnParaStyleConversion;
  TVLPasteEvent OnPaste;
  TVLOnCaretGetOutEvent OnCaretGetOut;
  TVLDropFilesEvent OnDropFiles;
  void CopyEventHandlers(const TCustomVellumEdit& source);

  // ---- nesting ----------------------------------------------------------------------
  TCustomVellumEdit* GetInnermostEditor();
  // The editor around this one (a cell editor's) laid out its document
  // anew: a cell editor's lines may need another height.
  virtual void HostLaidOut() {}
  TCustomVellumEdit* GetRootEditor();
  // Scrolls this editor so that a rectangle given on screen is in view: a
  // word or caret of a cell editor nested in it (cell editors grow with
  // their cells and scroll nothing themselves).
  void ShowScreenRect(const TRect& screen);

  // ---- the change protocol ----------------------------------------------------------
  // Whether a change may happen now; refuses with the document's beep.
  virtual bool BeforeChange(bool outside);
  bool CanChange() { return BeforeChange(true); }
  // Opens the undo group of an insertion and deletes the selection; false
  // (with a beep) when the change is refused.
  bool BeginInsert(Byte undoType = vlutInsert);
  void EndInsert();
  void Change();
  void DoChange(bool clearRedo);
  // While OnChange runs: whether the change is a new edit (it ended what
  // could be redone) rather than an undo or redo.
  bool ChangeClearsRedo() const { return FChangeClearsRedo; }
  void LockChangeEvent() { ++FChangeLock; }
  void UnlockChangeEvent() { --FChangeLock; }
  Integer ChangeLockCount() const { return FChangeLock; }
  // Internal inconsistencies repaired at a command's end (tests read it).
  Integer RepairCount = 0;

  // ---- current styles ---------------------------------------------------------------
  Integer GetCurTextStyleNo();
  void SetCurTextStyleNo(Integer styleNo);
  Integer GetCurParaStyleNo();
  void SetCurParaStyleNo(Integer paraNo);
  void SwitchToUnicodeStyle();
  // With vloAutoSwitchLang: an 8-bit current text style follows the input
  // language's charset (a variant of it is added when there is none).
  void SwitchToInputLanguage(Byte charset);

  // ---- edits -------------------------------------------------------------------------
  // Text in UTF-8; line breaks make paragraphs.
  bool InsertText(const String& text, bool caretBefore = false);
  bool InsertWideText(const WideString& text, bool caretBefore = false);
  // 2-byte characters in a byte string (keys, input methods, paste).
  bool InsertRawUnicodeText(const AnsiString& text, bool caretBefore = false);
  bool InsertTaggedText(const String& text, const TVLTag& tag);
  bool InsertTextFromFile(const String& fileName);
  bool InsertUnicodeTextFromFile(const String& fileName);
  // A whole VLF or RTF document at the caret in place of the selection.
  bool InsertVLFFromStream(TStream& stream);
  bool InsertRTFFromStream(TStream& stream);
  // Takes the item; a refused item is freed.
  bool InsertItem(const String& name, TCustomVLItemInfo* item);
  bool InsertPicture(const String& name, std::unique_ptr<TGraphic> graphic, TVLVAlign vAlign);
  bool InsertBreak(Byte width, Byte style, TColor color);
  void InsertPageBreak();
  void ApplyParaStyle(Integer paraNo);
  void ApplyTextStyle(Integer styleNo);
  void ApplyStyleConversion(Integer userData);
  void ApplyParaStyleConversion(Integer userData);
  void SetItemTag(Integer itemNo, const TVLTag& tag);
  void SetItemExtraIntProperty(Integer itemNo, TVLExtraItemProperty prop, Integer value,
                               bool autoReformat = true);
  void SetCurrentItemExtraIntProperty(TVLExtraItemProperty prop, Integer value, bool autoReformat = true);
  // Replacing one item in place (one undo step each). The picture and line
  // forms raise EVellumError for an item of another kind; the Current forms
  // act on the caret item of the innermost editor.
  void SetPictureInfo(Integer itemNo, const String& name, std::unique_ptr<TGraphic> graphic, TVLVAlign vAlign,
                      const TVLTag& tag);
  void SetCurrentPictureInfo(const String& name, std::unique_ptr<TGraphic> graphic, TVLVAlign vAlign,
                             const TVLTag& tag);
  void SetBreakInfo(Integer itemNo, Byte width, Byte style, TColor color, const TVLTag& tag);
  void SetCurrentBreakInfo(Byte width, Byte style, TColor color, const TVLTag& tag);
  void ConvertToHotPicture(Integer itemNo);
  void ConvertToPicture(Integer itemNo);
  void RemoveCurrentPageBreak();
  void CheckItemClass(Integer itemNo, const std::function<bool(const TCustomVLItemInfo*)>& isClass);
  // The width an item's paragraph needs, measured before a change and handed
  // back after it: the document is laid out again as far as the change asks.
  void SaveItemParaWidth(Integer itemNo, Integer& width);
  void ReformatAfterItemChange(Integer itemNo, Integer width);
  void SaveCurrentItemParaWidth(Integer& width);
  void ReformatAfterCurrentItemChange(Integer width);
  void ApplyListStyle(Integer listNo, Integer level, Integer startFrom, bool useStartFrom);
  void RemoveLists();
  void ChangeListLevels(Integer levelDelta);
  virtual void DeleteSelection();
  void CutToClipboard();
  virtual bool CanPaste();
  virtual void Paste();
  // Single formats of the clipboard; false when it has none or it could not
  // be read (nothing changes then).
  bool PasteVLF();
  bool PasteRTF();
  bool PasteUnicodeText();
  bool PasteText() { return PasteUnicodeText(); }
  bool PasteBitmap(bool textAsName);
  bool PasteHTML();
  bool PasteFiles();
  // Document files at the caret, replacing the selection; a document that
  // cannot be read whole changes nothing (also for the streams above).
  bool InsertVLFFromFile(const String& fileName);
  // The last paste or insert was refused and the user was told why.
  bool InsertRefusalTold() { return GetRootEditor()->FRefusalTold; }
  bool InsertRTFFromFile(const String& fileName);
  // Typed text at the caret: replaces the selection in the same undo step.
  void TypeText(const WideString& text);

  // ---- undo ---------------------------------------------------------------------------
  Byte GetUndoType();
  Byte GetRedoType();
  void BeginUndoGroup(Byte undoType);
  void BeginNamedUndoGroup(const String& caption);
  // Group mode of the innermost editor; turned off again in the editor it
  // was turned on in, even when a command opened or closed cells meanwhile.
  void SetUndoGroupMode(bool on);
  void ClearUndo();
  // Undo and redo of the whole chain of open editors (this one, the cell
  // editors open inside it and the editors it is open in): the step comes
  // from the innermost editor that holds one, whichever editor is asked.
  void Undo();
  void Redo();
  // The step of this editor's own history only, never routed.
  void ReplayOwnHistory(bool redo);

  // ---- caret and items -----------------------------------------------------------------
  Integer CurItemNo();
  Integer OffsetInCurItem();
  void SetCaret(Integer itemNo, Integer offs);
  TCustomVLItemInfo* GetCurrentItem();
  TVLTag GetCurrentTag();
  String GetCurrentItemText();
  TCustomVLItemInfo* FindCurrentItemOfClass(const std::function<bool(TCustomVLItemInfo*)>& isOfClass);
  bool SearchText(const String& text, bool down, bool matchCase, bool wholeWord);
  void FireCaretMove();
  // A full layout that keeps the caret on the same text.
  void Format();
  void Repaint() override;
  // Moves what the window shows of rect (client coordinates) dx pixels
  // across, as it was last painted, instead of painting it anew; what
  // comes in from outside rect or the window is painted. False (nothing
  // done) when the last painted image is not at the document's present
  // scroll position.
  bool ShiftPainted(const TRect& rect, Integer dx);

  // ---- input (also for tests) ------------------------------------------------------------
  bool DoKeyDown(Word& key, TShiftState shift) override;
  bool DoKeyUp(Word& key, TShiftState shift) override;
  // The hyperlink mode follows the Ctrl state each click carries: a key
  // release another window took (a message box) must not leave it on.
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  // Selects the word under the pointer where it is shown.
  void DblClick() override;
  // Pastes the primary selection as text where the middle button was
  // clicked (not in a read-only editor).
  void MiddleClick(int x, int y) override;
  bool DoKeyPress(char16_t& key) override;
  bool WantsShortcutKey(Word key, TShiftState shift) override;
  // The pre-edit of the input method (drawn at the caret, not in the document).
  const WideString& Preedit() const { return FPreedit; }

  // ---- hooks of the data ---------------------------------------------------------------------
  void DataChanged(bool clearRedo);
  void DataSetCaret(Integer x, Integer y, Integer height, bool visible);
  void DoCurTextStyleChanged();
  void DoCurParaStyleChanged();
  void DataStyleConversion(Integer styleNo, Integer userData, bool appliedToText, Integer& newStyleNo);
  void DataParaStyleConversion(Integer paraNo, Integer userData, Integer& newParaNo);
  // The conversion handlers that answer for this editor: its own, else (a
  // cell editor has none) those of the editor its chain starts from.
  const TVLStyleConversionEvent& StyleConversionHandler();
  const TVLStyleConversionEvent& ParaStyleConversionHandler();

protected:
  // Descendants (the cell editor) bring their own data class.
  TCustomVellumEdit(TComponent* owner, const std::function<std::unique_ptr<TVLEditVLData>(TCustomVellum*)>& makeData);
  void Paint() override;
  void Invalidated(const TRect& rect) override;
  void Resize() override;
  void WndProc(TMessage& message) override;
  void DoEnter() override;
  void DoExit() override;
  // Ends the hyperlink mode when the event says Ctrl is not held.
  void LeaveJumpModeWithoutCtrl(TShiftState shift);
  void VScrolled() override;
  void HScrolled() override;
  void ImePreedit(const WideString& text, int cursorPos) override;
  void ImeCommit(const WideString& text) override;
  bool ImeSurrounding(WideString& text, int& cursorPos, int& anchorPos) override;
  // Runs one edit: repairs what an internal error left behind and sends
  // one change notification when the document changed.
  bool RunEdit(const std::function<void()>& op, bool clearRedo = true);
  // Dragging the selection out may move it; a move to another window takes
  // it out of this document.
  int DragEffects() override;
  void DragFinished(int effect) override;

private:
  void ConvertPicture(Integer itemNo, bool toHot);
  // Takes the selection out where an insertion goes, keeping the current
  // text style (and the tag of one whole replaced item) for what comes in.
  void DeleteSelectionForInsert();
  void KeyDownPhase(Word& key, TShiftState shift, const WideString& text);
  bool CaretKey(Word key, TShiftState shift);
  void Repair(const String& message);
  void PlaceDrawnCaret();

protected:
  TCustomVellumEdit* InplaceEdit();
  // The innermost editor of the chain whose own list holds a step (null
  // when none does).
  TCustomVellumEdit* HistoryHolder(bool redo);
  void RouteHistory(bool redo);

private:
  // The editors group mode was turned on in, innermost last.
  std::vector<TComponentGuard<TCustomVellumEdit>> FGroupModeHolders;
  bool FReadOnly = false;
  TVLEditorOptions FEditorOptions{vloClearTagOnStyleApp};
  Integer FChangeLock = 0;
  Integer FEditDepth = 0;
  bool FPendingChange = false, FPendingClearRedo = false;
  bool FChangeClearsRedo = true;
  // The style an ApplyTextStyle gives (-1: the application's conversion).
  Integer FApplyingStyle = -1;
  // The caret as the data placed it (client coordinates).
  Integer FCaretX = 0, FCaretY = 0, FCaretH = 0;
  // The control's size as the last resize left it (frame and bars included).
  Integer FViewW = 0, FViewH = 0;
  bool FCaretVisible = false;
  WideString FPreedit;
  int FPreeditCursor = 0;
  // The first half of a character that arrives in two key presses.
  char16_t FHighSurrogate = 0;
  // Drops into the editor (VellumEditDrop.cpp).
  friend class TVLEditDropTarget;
  std::unique_ptr<TDropTarget> FDropTarget;
  // A drop onto the dragging editor itself took care of the move.
  bool FOwnDropDone = false;
  // Inserts the first format of data that it offers and the editor accepts
  // (own: the data comes from this editor's own drag); true when something
  // went in. Runs inside an open undo group.
  bool InsertDroppedData(const TDragData& data);
  // A drop at position itemNo/offs of at, a document of target or nested
  // in it (a table cell), or a move from source, another editor open in
  // the same outermost editor: the outer of the two editors does it, as one
  // undo step of its own. Answers the effect taken.
  static int DropAcrossDocuments(TCustomVellumEdit* target, const TDragData& data, TCustomVLData& at, Integer itemNo,
                                 Integer offs, TCustomVellumEdit* source, int allowed);
  // Dropped or pasted files; OnDropFiles may take them over. A file that
  // cannot be read is not counted (and beeps).
  bool InsertDroppedFiles(const std::vector<String>& files);
  // A link: through OnReadHyperlink as one tagged text item when the
  // application handles links, else as plain text.
  bool InsertDroppedURL(const String& url);
  // The style and tag OnReadHyperlink gives a link to url at the caret;
  // false when the application handles no links.
  bool LinkStyleAndTag(const String& url, Integer& styleNo, TVLTag& tag);
  // text as one tagged text item of a text style, at the caret of d.
  bool InsertTaggedItem(TVLEditVLData& d, const String& text, const TVLTag& tag, Integer textStyleNo);
  // One clipboard format inside an edit that replaces the selection.
  bool PasteWith(const std::function<bool(TVLEditVLData&)>& insert);
  // PasteWith for a document on the clipboard: one that cannot be read is told.
  bool PasteDocument(const std::function<bool(TVLEditVLData&)>& insert);
  // Tells the user why the document just refused holds a table that cannot
  // lie here; true when it did.
  bool TellRefusedTable();
  bool FRefusalTold = false;
  void RegisterEditDropTarget();
  // The client area as last painted: a keystroke draws its band again and
  // the rest of the window comes from here. Valid for one scroll position
  // and focus state; scrolling moves it.
  std::unique_ptr<TBitmap> FCache, FCacheSpare;
  // What is to be painted anew: a few rectangles (their bounds once there
  // are many), so that a change at the top and one at the bottom leave the
  // middle alone.
  std::vector<TRect> FDirty;
  void AddDirty(const TRect& rect);
  // Set while the window is told to show moved pixels of the image.
  bool FShifting = false;
  bool FCacheValid = false, FCacheFocused = false;
  Integer FCacheH = 0, FCacheV = 0;
  void PaintDocument(TCanvas* canvas, const TRect& clip);
};

class TVellumEdit : public TCustomVellumEdit {
public:
  explicit TVellumEdit(TComponent* owner) : TCustomVellumEdit(owner) {}
};

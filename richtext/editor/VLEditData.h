#pragma once
// The document data of an editor: the caret (a draw item and a stop of the
// caret's line), the current text and paragraph styles, the undo and redo
// lists, the recording primitives through which every edit changes the
// item list, and the editing operations built on them.
#include "richtext/editor/VLResize.h"
#include "richtext/editor/VLUndo.h"
#include "richtext/view/VellumVLData.h"

#include <functional>
#include <memory>
#include <set>
#include <vector>
#include <utility>

// The editor's marks in the document state word.
inline constexpr Cardinal vlstNestedCaret = 0x40;        // the caret belongs to a nested editor
inline constexpr Cardinal vlstFinalizingUndo = 0x8000;   // a nested item is being finalized
inline constexpr Cardinal vlstEditorCleared = 0x80000;
inline constexpr Cardinal vlstStylePending = 0x1000000;

// One caret stop of the caret's line.
struct TVLCharPos {
  Integer X = 0;
  Integer DrawItemNo = -1;
  Integer Offset = -1;
  Integer Shift = 1;
};

// Where an edit's partial re-layout goes: draw items of the old layout.
struct TVLReformatRange {
  Integer First = -1, Last = -1;
};

class TCustomVellumEdit;

// The editor's data is the view's data of its control (TCustomVellumEdit);
// without a control (tests, hidden documents) the host hooks answer nothing.
class TVLEditVLData : public TVellumVLData {
public:
  explicit TVLEditVLData(TCustomVellum* vellum = nullptr);
  ~TVLEditVLData() override;
  // The editor control hosting this data (null when none).
  TCustomVellumEdit* Editor() const;
  using TVLControlData::SelectionExists;

  void ClearDrawLines() override;
  void Clear() override;

  // ---- hooks of the owning control (the data works without one) ---------
  virtual void DoCaretMove();
  virtual void DoCurTextStyleChanged();
  virtual void DoCurParaStyleChanged();
  // The conversion callback of a style operation: newStyleNo enters equal
  // to styleNo; appliedToText is false for the current text style and for
  // paragraph numbers.
  virtual void DoStyleConversion(Integer styleNo, Integer userData, bool appliedToText,
                                 Integer& newStyleNo);
  virtual void DoParaStyleConversion(Integer paraNo, Integer userData, Integer& newParaNo);
  // Whether a text item loses its tag when its style changes.
  virtual bool ClearTagOnStyleApp();
  virtual bool HostReadOnly();
  virtual bool HideReadOnlyCaret();
  // The caret in client coordinates (kept for the input method also when
  // hidden); height 0 means none.
  virtual void HostSetCaret(Integer x, Integer y, Integer height, bool visible);
  // After an edit: the control sets Modified and fires OnChange.
  virtual void NotifyChange(bool clearRedo);
  // Repaint after a full reformat.
  virtual void InvalidateHost() { Invalidate(); }
  // The mouse moved the selection: the caret follows its end.
  void SelectionChanged() override;
  // Counts changes of the item list (each recording primitive asks for the
  // recording list just before it changes something).
  Cardinal EditStamp = 0;
  // Puts the drawn caret where the data's caret is (after scrolling).
  void UpdateHostCaret();
  // An internal inconsistency that the edit repaired.
  virtual void LogRepair(const String& message);

  // ---- current styles -----------------------------------------------------
  void SetCurTextStyleNo(Integer value);
  void SetCurParaStyleNo(Integer value);
  // The current text style, or its Unicode twin (found or made) / the
  // default Unicode style when text cannot be held in its code page.
  Integer StyleForText(Integer styleNo, const WideString& text);
  Integer UnicodeTwin(Integer styleNo);

  // ---- undo ----------------------------------------------------------------
  TVLUndoList* GetRecordingUndoList();
  bool BeginUndoSequence(Byte undoType, bool finalize);
  bool BeginNamedUndoSequence(Byte undoType, const String& caption, bool finalize);
  bool BeginRedoSequence(Byte undoType, const String& caption);
  void SetUndoGroupMode(bool on);
  void FinalizeNestedItem();

  // ---- caret (VLEditData.cpp) ---------------------------------------------
  void BuildCharPositions(Integer target);
  void PlaceCaret(bool scrollToCaret, bool updateFirst, bool keepCurStyles);
  // Scrolls the caret placed last into view, up and down and sideways.
  void ScrollToCaret();
  // Set while the caret goes where the user looks (a press or its release
  // puts it under the pointer, the focus comes back to it): a caret partly
  // shown then scrolls nothing.
  bool KeepsView() const { return FKeepView; }
  struct TKeepView {
    TVLEditVLData& D;
    const bool Saved;
    explicit TKeepView(TVLEditVLData& d) : D(d), Saved(d.FKeepView) { D.FKeepView = true; }
    ~TKeepView() { D.FKeepView = Saved; }
  };
  // Set while work the user did not ask for runs (a save, the cell editors
  // reopened after it): no caret it places moves the view, shown or not.
  // Held on the editor of the outermost document.
  bool HoldsView() const { return FHoldView > 0; }
  struct THoldView {
    TVLEditVLData& D;
    explicit THoldView(TVLEditVLData& d) : D(d) { ++D.FHoldView; }
    ~THoldView() { --D.FHoldView; }
    THoldView(const THoldView&) = delete;
    THoldView& operator=(const THoldView&) = delete;
  };
  // The caret placed last stands in the part of the document on the screen
  // (of a view of that size, when given).
  bool CaretInView(Integer wide = -1, Integer high = -1);
  // This document shows a caret of its own: not a cell editor's inside it.
  bool ShowsOwnCaret() { return CaretHeight != 0 && !ActiveItem && !(GetState() & vlstNestedCaret); }
  // The caret to item position (itemNo, offs); re-applies the current
  // paragraph style to the caret's paragraph when asked.
  void SetCaretToItemPos(Integer itemNo, Integer offs, bool applyParaStyle = false);
  void SetCaretToDrawItemStart();
  void SkipMarker(bool forward, Integer& offs);
  Integer GetCaretItemNo();
  Integer GetCaretOffset();
  void GetCaretPositionBiased(bool preferNext, Integer& itemNo, Integer& offs);
  void GetSelectionBoundsOrCaret(Integer& startNo, Integer& startOffs, Integer& endNo,
                                 Integer& endOffs);
  // False while the caret's stops name lines a change took away (before the
  // caret is placed anew).
  bool GetCaretClientPoint(TPoint& point);
  bool IsDocumentEmpty() const { return DrawItems.Count() == 0; }
  void PrepareEmptyDocument();
  Integer ItemNoOfObject(TCustomVLItemInfo* item);
  const TVLCharPos* CaretStop() const;
  // The caret stop exists and belongs to the caret's draw item; otherwise
  // the caret is put on a valid stop and the repair logged.
  bool EnsureValidCaret();

  // ---- caret movement (VLEditDataCaret.cpp) --------------------------------
  bool MoveCaretLeft(bool selecting, bool wordMove);
  bool MoveCaretRight(bool selecting, bool wordMove);
  bool MoveCaretUp(bool selecting, bool noEnter);
  bool MoveCaretDown(bool selecting, bool noEnter);
  bool MoveCaretHome(bool atDocument);
  bool MoveCaretEnd(bool atDocument);
  bool MoveCaretPageUp();
  bool MoveCaretPageDown();
  void MoveCaretToPrevParaStart();
  void MoveCaretToNextParaEnd();
  bool IsCaretAtLineStart() const { return CaretCharPos == 0; }
  bool IsCaretAtLineEnd() const { return CaretCharPos == static_cast<Integer>(CharPositions.size()) - 1; }
  bool IsCaretOnLastLine() const;
  void StartSelectionAtCaret();
  void ExtendSelectionToCaret();
  void CaretToSelectionEnd();
  bool SelectionExists() const;
  // Without a selection the caret stands for both ends.
  void GetDrawItemSelBounds(bool normalize, Integer& startNo, Integer& startOffs, Integer& endNo,
                            Integer& endOffs) const override;
  // The caret is after the last character (or non-text item) of its
  // paragraph.
  bool IsCaretAtParaEnd();

  // ---- recording primitives (VLEditDataUndo.cpp) --------------------------
  void AddReformatRange(Integer first, Integer last, bool flag);
  void DeleteItem(Integer itemNo, bool& fullReformat);
  void DeleteItems(Integer first, Integer last, bool& fullReformat);
  void InsertItem(Integer itemNo, const AnsiString& text, bool& fullReformat,
                  bool callMovingFromUndo, TCustomVLItemInfo* item);
  // Replay of a deletion of several items; takes the items over.
  void InsertItems(Integer itemNo, std::vector<std::pair<AnsiString, TCustomVLItemInfo*>>& list,
                   bool& fullReformat, bool callMovingFromUndo);
  void AddInsertItemsRecord(Integer itemNo, Integer count);
  void ReplaceItem(Integer itemNo, const AnsiString& text, TCustomVLItemInfo* newItem);
  // Another object for the same item (a picture that becomes a hot picture
  // and back); the text stays.
  void ReplaceItemObject(Integer itemNo, TCustomVLItemInfo* newItem);
  void DeleteSubstring(Integer itemNo, Integer index, Integer count);
  void InsertSubstring(Integer itemNo, Integer index, const AnsiString& s);
  void ChangeText(Integer itemNo, const AnsiString& newText);
  void SetSameAsPrev(Integer itemNo, bool value, bool& fullReformat, Integer newParaNo);
  void SetBR(Integer itemNo, bool value, bool& fullReformat);
  void SetPageBreak(Integer itemNo, bool value);
  // Puts back an item's line bits, recording the current ones (the replay of
  // the three records above).
  void RestoreItemFlags(Integer itemNo, Byte flags, Byte action);
  void SetParaRange(Integer first, Integer last, bool& fullReformat, Integer paraNo);
  void SetParaList(Integer first, const std::vector<Integer>& list, bool& fullReformat);
  void SetStyleNo(Integer itemNo, Integer styleNo);
  void SetTag(Integer itemNo, const TVLTag& tag);
  void SetExtraIntProperty(Integer itemNo, TVLExtraItemProperty prop, Integer value);
  // Sets ordinal properties of an item by name (the property registry).
  void SetItemIntPropertyWithUndo(Integer itemNo, const String& name, Integer value);
  void SetItemIntPropertiesWithUndo(Integer itemNo, const std::vector<std::pair<String, Integer>>& values);
  void ConcateItems(Integer itemNo);
  void AddModifyItemTerminator(Integer itemNo, bool flag);
  // itemNo -1: the document's trailing checkpoint. The document owns cp.
  void AddCheckpoint(Integer itemNo, TVLCPInfo* cp);
  void DeleteCheckpoint(Integer itemNo);
  void MoveCheckpoint(Integer from, Integer to);
  // A picture's or a control's size; reformat: lay the paragraph out at
  // once (an undo replay lays out its whole group afterwards).
  void Resize(Integer itemNo, Integer width, Integer height, bool reformat = false);
  // Minimum width of the paragraph of itemNo.
  Integer ParaMinWidth(Integer itemNo);
  // The width rule: a change of a paragraph from width w to n needs the
  // whole document laid out again.
  bool WidthNeedsFull(Integer w, Integer n) const;

  // ---- inserting and deleting (VLEditDataInsert.cpp) ----------------------
  bool InsertItemAtCaret(AnsiString& text, TCustomVLItemInfo* item, bool caretBefore,
                         bool inheritTag);
  bool InsertTextItemAtCaret(const AnsiString& text, Integer styleNo, bool inheritTag,
                             bool caretBefore);
  bool CanDeleteSelection();
  // A selection bound on a list marker moves into the text after it (when
  // it stands after the marker, preferNext is set, or the marker is the
  // document's first item) or to the end of the item before it.
  void AdjustBoundOffMarker(Integer& itemNo, Integer& offs, bool preferNext);
  // Refused (beep) while a drop caret stands inside the selection.
  bool DeleteSelection();
  // A position as units (characters, non-text items) before the document's
  // end, and back; positions after an edit keep this distance.
  Integer UnitsToEnd(Integer itemNo, Integer offs);
  void PositionFromEnd(Integer units, Integer& itemNo, Integer& offs);
  void DeleteKey(bool continuing);
  std::unique_ptr<TCustomVLItemInfo> CreateTextItem(Integer styleNo, Integer paraNo,
                                                    bool sameAsPrev, bool br);
  std::unique_ptr<TCustomVLItemInfo> CopyTextItem(Integer itemNo);
  bool IsParagraphAnchored(Integer itemNo);
  bool ParaHasAnchoredItem(Integer itemNo);
  bool IsParaReadOnly(Integer itemNo);
  bool HasProtection(Integer itemNo, TVLProtectOption option);
  bool IsItemDeleteProtected(Integer itemNo);
  // Re-layout after an edit: the range of the old layout with delta items
  // added, or the whole document when the width may change.
  void ReformatAfterEdit(const TVLReformatRange& range, Integer delta, bool full);
  TVLReformatRange CaretLineRange();
  TVLReformatRange ItemRange(Integer firstItem, Integer lastItem);

  // ---- typing, Backspace, Enter (VLEditDataTyping.cpp) ---------------------
  void KeyPressed(char key);
  // asTyping: one character joins the typing record; otherwise the string
  // is a step of undo of its own (or of the open group).
  void InsertTypedString(const AnsiString& s, bool asTyping = true);
  // UTF-16 text from the keyboard or an input method: goes into the current
  // style, switching to a Unicode style when the style cannot hold it.
  void InsertTypedText(const WideString& text, bool asTyping = true);
  void BackspacePressed(bool ctrl, bool wholeCharacter, bool recursive);
  // A table goes by a key only while it is selected and on the screen; a
  // key that reaches it otherwise selects it and scrolls it into view
  // (true: the key did that, nothing was deleted).
  bool KeepTableFromKey(Integer itemNo);
  bool InsertEnter(bool lineBreak);
  bool MoveAnchoredCheckpoint(Integer itemNo, bool preferPrevious);

  // ---- styles on the selection (VLEditDataStyles.cpp) ---------------------
  void ApplyStyleConversion(Integer userData);
  void ApplyParaStyleConversion(Integer paraNoOrUserData, bool convert);
  Integer ConvertStyleNo(Integer styleNo);
  Integer ConvertParaNo(Integer paraNo);
  // Gives a text item a new style, converting its text between code pages;
  // text an 8-bit style cannot hold goes to that style's Unicode twin.
  void ChangeItemStyle(Integer itemNo, Integer newStyleNo);
  // The text in the new style; newStyleNo may become a Unicode twin.
  AnsiString ConvertTextForStyle(const AnsiString& text, Integer oldStyleNo, Integer& newStyleNo,
                                 Integer paraNo);
  bool MustClearTag(TCustomVLItemInfo* item, Integer newStyleNo);
  void ClearTagOnStyleChange(Integer itemNo, Integer newStyleNo);

  // ---- bullets and numbering (VLEditDataLists.cpp) ------------------------
  // Mode 0 applies list listNo at level (negative: a paragraph's old level,
  // else 0), mode 1 removes markers, mode 2 moves every marker level levels.
  void ApplyListOperation(Integer mode, Integer listNo, Integer level, Integer startFrom, bool reset);
  // Recounts those lists from the marker index on and lays out the
  // paragraphs of the recounted markers.
  void RenumberLists(const std::set<Integer>& lists, Integer startIndex);
  void UpdateListNumbering(Integer first, Integer last);
  bool ListHasTextNumbering(Integer listNo);

  // ---- whole texts at the caret (VLEditDataInsertText.cpp) ----------------
  // Lines make paragraphs (any line ending).
  void InsertTextA(const AnsiString& text, bool inheritTag, bool caretAtStart);
  // Raw UTF-16; paragraph and line separators, CR, LF, VT, NUL and form feeds.
  void InsertRawUnicodeText(const AnsiString& text, bool caretAtStart);
  bool InsertTextFromFile(const String& fileName, bool caretAtStart);
  // UTF-16 with or without a byte-order mark.
  bool InsertUnicodeTextFromFile(const String& fileName, bool caretAtStart);
  // A copy of the marker that starts the paragraph of itemNo at insertAt.
  bool CopyListMarker(Integer itemNo, Integer insertAt, bool withUndo, bool& fullReformat);

  // ---- documents at the caret (VLEditDataInsertDoc.cpp) --------------------
  // A VLF or RTF document at the caret, its styles mapped into the sheet and
  // its pictures kept; one undo group. A document that cannot be read whole
  // changes nothing (beep, false), nor does one holding a table the reader
  // left out: RefusedTable() then says why.
  bool InsertVLFFromStream(TStream& stream);
  bool InsertRTFFromStream(TStream& stream);
  bool InsertVLFFromFile(const String& fileName);
  bool InsertRTFFromFile(const String& fileName);
  // Why the last document inserted was refused for a table in it
  // (vlfwTableTooDeep, vlfwTableTooLarge or vlfwTableDamaged) or for a
  // record it could not show (vlfwRecordNotShown), once; false when it was
  // not.
  bool TakeRefusedTable(TVLFWarning& why) {
    why = FRefusedTable;
    return std::exchange(FRefusedTableSet, false);
  }
  bool HasRefusedTable() const { return FRefusedTableSet; }
  // What of the last document inserted came in and is not shown, once: a
  // damaged table whose unreadable cells came in empty (vlfwTableTextLost),
  // pictures that cannot be decoded (vlfwInvalidPicture).
  TVLFWarnings TakeInsertedNotShown() { return std::exchange(FInsertedNotShown, TVLFWarnings()); }
  // The reader's first item goes in at the caret (splitting its item).
  bool InsertFirstVLFItem(Integer& index, AnsiString& text, TCustomVLItemInfo*& item, bool editFlag,
                          bool& fullReformat, Integer& newListNo) override;
  // Where the open undo group stood, so that a failed action can take back
  // exactly what it recorded.
  struct TUndoMark {
    TVLUndoInfos* Group = nullptr;
    Integer Count = 0;
    Integer CaretItemNo = -1, CaretOffs = 0;
  };
  TUndoMark MarkUndo();
  // Replays the records added since mark without recording, and lays out;
  // false when nothing was recorded to replay (undo switched off).
  bool RollBackTo(const TUndoMark& mark);

  // ---- clipboard and dropped content (VLEditDataPaste.cpp) -----------------
  // A VLF block of the clipboard or a drag; one whose length field claims
  // more than the block holds is refused with a beep.
  bool InsertVLFBlock(const AnsiString& block);
  // A picture at the caret; its name is the item's text.
  bool InsertPictureAtCaret(std::unique_ptr<TGraphic> graphic, const AnsiString& name);
  // A dropped file: a picture when it loads as one, else by its extension
  // (.rtf, .vlf, .txt). False when nothing went in.
  bool InsertDroppedFile(const String& fileName);

  // ---- the item resizer (VLEditDataResize.cpp) ----------------------------
  // At most one: on the single selected resizable picture or control.
  std::unique_ptr<TVLItemResizer> Resizer;
  // The editor switches handles off (or shows them while read-only).
  virtual bool NoImageResize();
  virtual bool ResizeWhileReadOnly();
  void UpdateResizer();
  void RefreshResizer();
  // The item the selection covers exactly, else -1.
  Integer GetSingleSelectedItem();
  Integer FindResizableDrawItem();
  void PaintOverlay(TCanvas* canvas, Integer hOffset, Integer vOffset) override;
  // Escape during a drag: the size stays.
  bool CancelResize();
  // The new size of the item as one undo step (spacing of pictures removed).
  void CommitResize(Integer itemNo, Integer newWidth, Integer newHeight);
  // A control item's new size (its position stays); with reformat its
  // paragraph, or the document when its width may change, is laid out.
  void ResizeControl(Integer itemNo, Integer newWidth, Integer newHeight, bool reformat);
  // The layout after a control of itemNo went from widthA to widthB wide.
  void ReformatForControlWidth(Integer itemNo, Integer widthA, Integer widthB);
  // The control whose bounds ResizeControl is changing (its resize
  // notifications come from us, not from the application).
  TControl* ResizingControl = nullptr;
  void SaveItemParaWidth(Integer itemNo, Integer& width);
  void ReformatAfterItemChange(Integer itemNo, Integer oldWidth);
  // The mouse goes to the resizer's handles first; a click on a picture
  // (or another item that selects by a click) selects it whole.
  void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void MouseMove(TShiftState shift, Integer x, Integer y) override;
  void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y) override;
  void SelectClickedItem(Integer x, Integer y);
  void CollapseSelectionForClick(Integer itemNo, Integer offs) override;

  // ---- style bookkeeping, tags, jump mode (VLEditDataMisc.cpp) -------------
  // The current styles count as used: deleting unused styles keeps them.
  void MarkStylesInUse(TVLIntegerList& textUsed, TVLIntegerList& paraUsed, TVLIntegerList& listUsed) override;
  // After unused styles went: the undo history (which names styles by
  // number) is dropped and the current styles follow their new numbers.
  void RenumberStyles(const TVLIntegerList& textMap, const TVLIntegerList& paraMap,
                      const TVLIntegerList& listMap) override;
  // Replacing exactly one whole item of the current style keeps its tag.
  void CaptureCurTag();
  void ReleaseCurTag();
  // Hypertext areas while Ctrl is down (or while a writer runs): the
  // layout numbers the links again.
  void EnterJumpMode(bool force);
  void LeaveJumpMode();
  bool SaveRTFToStream(TStream& stream, bool selectionOnly, Integer level, TColor color,
                       const TBitmap* background, TVLRTFSaveTables* tables) override;
  bool SaveHTMLToStream(TStream& stream, const String& path, const String& title, const String& imagesPrefix,
                        TVLSaveOptions options, TColor color, Integer& imgSaveNo, Integer leftMargin,
                        Integer topMargin, Integer rightMargin, Integer bottomMargin,
                        const TVLBackgroundImage* background, TVLList* bullets) override;
  bool SaveHTMLToStreamCSS(TStream& stream, const String& path, const String& title, const String& imagesPrefix,
                           const String& extraStyles, const String& externalCSS, const String& cpPrefix,
                           TVLSaveOptions options, TColor color, TColor& currentFileColor, Integer& imgSaveNo,
                           Integer leftMargin, Integer topMargin, Integer rightMargin, Integer bottomMargin,
                           const TVLBackgroundImage* background, TVLList* bullets) override;

  // ---- smaller operations (VLEditDataOps.cpp) ------------------------------
  // Lays out the whole document, or the paragraphs of itemNo's draw item,
  // and puts the caret back on the same text.
  void ReformatKeepingCaret(bool full, bool noCaching, Integer itemNo, bool scrollAndUpdate,
                            bool keepCurStyles = false);
  // Splits the paragraph at the caret when needed; one undo step.
  void InsertPageBreak();

  // ---- fields ------------------------------------------------------------
  Integer LastAutoStyleNo = 0;
  TVLTag CurTag;
  Integer CaretHeight = 0;
  // The height of the caret's draw item (where the caret's bottom goes).
  Integer CaretDrawHeight = 0;
  std::vector<TVLCharPos> CharPositions;
  Integer CurTextStyleNo = 0;
  Integer CurParaStyleNo = 0;
  std::unique_ptr<TVLUndoList> UndoList;
  std::unique_ptr<TVLUndoList> RedoList;
  Byte UndoDestination = 0;
  Integer CaretDrawItemNo = -1;
  Integer CaretCharPos = -1;
  // The jump of the link the caret stands on (-1: none).
  Integer CaretJumpID = -1;
  // The caret as drawn, in document coordinates.
  Integer CaretX = 0, CaretY = 0;
  // The caret width and extra height (document-wide, fixed).
  static constexpr Integer CaretWidth = 1;
  static constexpr Integer CaretExtraHeight = 0;
  static constexpr Integer MaxCaretHeight = 1000;
  // The data inserts: the caret's styles stay as they are.
  bool Inserting = false;

private:
  void BuildStopsPlain(Integer d, bool firstOfLine, Integer target, Integer& caretStop);
  void DeleteItemBeforeCaret(Integer itemNo);
  void ReplaceWithEmptyItem(Integer itemNo);
  void BackspaceAtParaStart(Integer itemNo, const TVLReformatRange& range);
  bool EnterAtBoundary(bool lineBreak, Integer d, Integer itemNo, bool atLineEnd);
  void ApplyCurParaStyleToCaretPara();
  // The state of one ApplyStyleConversion walk.
  struct TStyleWalk {
    Integer Delta = 0;
    Integer S = 0, SO = 0, E = 0, EO = 0;
  };
  void ConvertWholeItem(TStyleWalk& w, Integer itemNo);
  void ConvertItemStart(TStyleWalk& w, Integer itemNo, Integer from, Integer to);
  void ConvertItemEnd(TStyleWalk& w, Integer itemNo, Integer from, Integer to);
  void ConvertItemMiddle(TStyleWalk& w, Integer itemNo, Integer from, Integer to);
  void MergeAfterConversion(TStyleWalk& w, Integer first, Integer last);
  Integer FConvUserData = 0;
  struct TListWalk {
    Integer Mode = 0, ListNo = -1, Level = 0, StartFrom = 1;
    bool Reset = false, Full = false;
    Integer First = 0, Last = 0, Delta = 0, FirstMarkerIndex = -1;
    std::set<Integer> Lists;
    std::vector<Integer*> Positions;
  };
  void ApplyListToParas(TListWalk& w);
  struct TTextPiece {
    enum TKind { Para, Line } Kind = Para;
    bool PageBreak = false;
    AnsiString Text;
  };
  bool InsertPieces(const std::vector<TTextPiece>& pieces, Integer styleNo, bool inheritTag, bool caretAtStart);
  void FinishTextInsertion(Integer first, Integer last, bool caretAtStart, bool fullReformat,
                           const TVLReformatRange& range, Integer delta);
  Integer TextStyleForInsertion(const WideString& text);
  bool InsertDocument(const std::function<bool()>& read);
  void JoinInsertedBoundaries(Integer& first, Integer& last, Integer& caretOffs);
  // Set while a document is read in at the caret.
  bool FInsertingDocument = false;
  Integer FInsertedFirst = -1;
  bool FRefusedTableSet = false;
  TVLFWarning FRefusedTable = vlfwTableTooLarge;
  TVLFWarnings FInsertedNotShown;
  Integer FCountAfterFirst = 0;
  // The draw item a left press landed on (a click selects a picture).
  Integer FPressedDrawItem = -1;
  bool FKeepView = false;
  int FHoldView = 0;
  // Set while a press is handled; its caret, out of sight, is shown once
  // the press is let go (FShowAfterRelease).
  bool FPressHeld = false, FShowAfterRelease = false;
  // The cell editors of one item closed while a border of another is
  // dragged, reopened as they were at the release.
  std::function<void()> FResumeAfterSizing;
  TVLItemRef FResumeOwner;
  TVLReformatRange FInsertRange;

  void DeleteRange(Integer s, Integer so, Integer e, Integer eo, Integer& caretItem,
                   Integer& caretOffs, Integer& removed, bool& full);
};

// Undo group mode on for the guard's lifetime, also when an exception passes:
// the recordings in between join the group opened last.
class TVLUndoGroupModeGuard {
public:
  explicit TVLUndoGroupModeGuard(TVLEditVLData* data) : FData(data) { FData->SetUndoGroupMode(true); }
  ~TVLUndoGroupModeGuard() { FData->SetUndoGroupMode(false); }
  TVLUndoGroupModeGuard(const TVLUndoGroupModeGuard&) = delete;
  TVLUndoGroupModeGuard& operator=(const TVLUndoGroupModeGuard&) = delete;

private:
  TVLEditVLData* FData;
};

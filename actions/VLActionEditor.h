#pragma once
// The editor as the editing actions see it: the one seam between the actions
// and a rich-text editor control. Every operation the actions call on an
// editor is here and nowhere else, so an editor control (or an adapter over
// it) plugs in by implementing this class; the actions never name the
// control's own class.
//
// A control is an editor for the actions when EditorOfControl finds one for
// it: by default an editor control through its adapter, or a control that
// implements TVLActionEditor itself; a host may install another resolver
// (SetActionEditorResolver).
#include "platform/base/Components.h"
#include "platform/base/Set.h"
#include "platform/base/Types.h"
#include "richtext/editor/VLUndo.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLItem.h"
#include "richtext/model/VLStyle.h"

#include <functional>
#include <memory>

class TGraphic;
class TBitmap;

class TObject;
class TWinControl;
class TCustomVLData;
class TCustomVLItemInfo;
class TVLActionEditor;
class TVLTableItemInfo;

// The formats a whole document is read from.
enum class TVLDocumentFormat { VLF, RTF, Text, UnicodeText };

enum TVLSearchOption { vlseoMatchCase, vlseoDown, vlseoWholeWord };
using TVLSearchOptions = TSet<TVLSearchOption>;

// Sender = the editor doing the work; NewStyleNo arrives preset to StyleNo.
using TVLActionStyleConversionEvent = std::function<void(TVLActionEditor* Sender, Integer StyleNo, Integer UserData,
                                                   bool AppliedToText, Integer& NewStyleNo)>;

class TVLActionEditor {
public:
  virtual ~TVLActionEditor() = default;

  // The control itself (owner, focus, repaint, free notification).
  virtual TWinControl* EditorControl() = 0;
  // For an in-place table-cell editor: the editor whose document holds the
  // table; nullptr for any other editor.
  virtual TVLActionEditor* GetCellEditorParent() = 0;
  // The active in-place cell editor, nullptr when none.
  virtual TVLActionEditor* GetInplaceEditor() = 0;
  // Follows the active in-place editors down (this editor when none).
  virtual TVLActionEditor* GetInnermostEditor() = 0;

  // The document the editor shows (its items, in item numbers as the
  // selection bounds give them).
  virtual TCustomVLData* GetVLData() = 0;

  // Styles.
  virtual TVLStyle* GetStyle() = 0;
  virtual Integer GetCurTextStyleNo() = 0;
  virtual Integer GetCurParaStyleNo() = 0;
  virtual TVLBiDiMode GetBiDiMode() = 0;
  virtual Integer GetLeftMargin() = 0;
  virtual Integer GetRightMargin() = 0;
  virtual TVLActionStyleConversionEvent GetOnStyleConversion() = 0;
  virtual void SetOnStyleConversion(TVLActionStyleConversionEvent handler) = 0;
  virtual TVLActionStyleConversionEvent GetOnParaStyleConversion() = 0;
  virtual void SetOnParaStyleConversion(TVLActionStyleConversionEvent handler) = 0;
  // Forwarded to the active in-place editor; otherwise, when a handler is set
  // and the change is allowed, converts the current text style and the
  // selected runs (one undo step).
  virtual void ApplyStyleConversion(Integer UserData) = 0;
  // The same for the paragraphs the selection touches (undo type 3).
  virtual void ApplyParaStyleConversion(Integer UserData) = 0;
  virtual void ChangeListLevels(Integer Delta) = 0;

  // Undo.
  virtual void BeginUndoGroup(Integer UndoType) = 0;
  virtual void SetUndoGroupMode(bool On) = 0;
  virtual Integer GetUndoType() = 0;
  virtual Integer GetRedoType() = 0;
  virtual void Undo() = 0;
  virtual void Redo() = 0;

  // Selection and clipboard.
  virtual bool SelectionExists() = 0;
  // Normalized bounds; without a selection both ends are the caret.
  virtual void GetSelectionBounds(Integer& StartItemNo, Integer& StartItemOffs, Integer& EndItemNo,
                                  Integer& EndItemOffs) = 0;
  virtual Integer GetItemStartOffset(Integer ItemNo) = 0;
  virtual Integer GetItemEndOffset(Integer ItemNo) = 0;
  // The selection as plain text (UTF-8).
  virtual AnsiString GetSelText() = 0;
  virtual void SelectAll() = 0;
  virtual void CutToClipboard() = 0;
  virtual void Copy() = 0;
  virtual void Paste() = 0;
  virtual bool CanPaste() = 0;
  virtual void PasteVLF() = 0;
  virtual void PasteRTF() = 0;
  virtual void PasteText() = 0;
  virtual void PasteUnicodeText() = 0;
  virtual void PasteBitmap(bool TextAsName) = 0;
  virtual void PasteMetafile(bool TextAsName) = 0;

  // Search and replace (UTF-8 text). SearchText selects the match;
  // InsertText replaces the selection and answers whether the editor
  // carried the change out.
  virtual bool SearchText(const AnsiString& Text, TVLSearchOptions Options) = 0;
  virtual bool InsertText(const AnsiString& Text, bool CaretBefore) = 0;

  // ---- Links, pictures and breaks. An editor that cannot do one of these
  // keeps the default (the commands that need it stay disabled or refuse).
  // Whether item tags are strings (link targets need them).
  virtual bool TagsArePChars() { return false; }
  // Whether the document has an item that owns an inner selection (a table
  // with selected cells).
  virtual bool HasActiveItem() { return false; }
  virtual bool IsFromNewLine(Integer) { return true; }
  virtual void SetSelectionBounds(Integer, Integer, Integer, Integer) {}
  virtual void SetCurTextStyleNo(Integer) {}
  // One text item at the caret in the current text style, tagged Target.
  virtual bool InsertTaggedText(const String&, const String&) { return false; }
  virtual void SetItemTag(Integer, const String&) {}
  virtual String GetItemTag(Integer) { return String(); }
  virtual void ConvertToHotPicture(Integer) {}
  virtual void ConvertToPicture(Integer) {}
  // Insertions at the caret (one undo step each; false when refused).
  virtual bool InsertPicture(const String&, std::unique_ptr<TGraphic>, TVLVAlign) { return false; }
  virtual bool InsertBreak(Byte, Byte, TColor) { return false; }
  virtual void InsertPageBreak() {}
  virtual void RemoveCurrentPageBreak() {}
  // Whether the caret's line starts a new page.
  virtual bool CaretLineHasPageBreak() { return false; }
  // The document's own background colour (clNone: the style sheet's).
  virtual TColor GetDocumentColor() { return clNone; }
  virtual void SetDocumentColor(TColor) {}
  // Whether the background is saved with the document.
  virtual bool SavesBackground() { return false; }
  // Marks the document changed without an undo step.
  virtual void MarkModified() {}
  // Whether a change is allowed now (refuses with a beep).
  virtual bool CanChange() { return true; }
  // Whether the document is shown read-only: the commands that would only
  // change it are greyed (asked on every update, so without a beep).
  virtual bool IsReadOnly() { return false; }
  // Lists on the paragraphs of the selection (Level -1: each keeps its own
  // level, new ones get level 0).
  virtual void ApplyListStyle(Integer, Integer, Integer, bool) {}
  virtual void RemoveLists() {}
  // The item at the caret of the innermost editor and changes to it, each
  // an undo step of its own (group them with BeginUndoGroup).
  virtual TCustomVLItemInfo* GetCurrentItem() { return nullptr; }
  virtual String GetCurrentItemText() { return String(); }
  virtual String GetCurrentTag() { return String(); }
  virtual void SetCurrentPictureInfo(const String&, std::unique_ptr<TGraphic>, TVLVAlign, const String&) {}
  virtual void SetCurrentBreakInfo(Byte, Byte, TColor, const String&) {}
  virtual void SetCurrentItemExtraIntProperty(TVLExtraItemProperty, Integer) {}
  virtual void SaveCurrentItemParaWidth(Integer&) {}
  virtual void ReformatAfterCurrentItemChange(Integer) {}
  virtual void Change() {}
  // A whole file at the caret in place of the selection; false when it
  // could not be read (nothing changes then).
  virtual bool InsertVLFFromFile(const String&) { return false; }
  // The last insert was refused and the editor told the user why.
  virtual bool InsertRefusalTold() { return false; }
  virtual bool InsertRTFFromFile(const String&) { return false; }
  virtual bool InsertRTFFromStream(TStream&) { return false; }
  virtual bool InsertTextFromFile(const String&) { return false; }
  virtual bool InsertUnicodeTextFromFile(const String&) { return false; }
  virtual void Format() {}
  // The background picture and its placement (nullptr: no picture).
  virtual const TBitmap* GetBackgroundBitmap() { return nullptr; }
  virtual void SetBackgroundBitmap(const TBitmap*) {}
  virtual TBackgroundStyle GetBackgroundStyle() { return bsNoBitmap; }
  virtual void SetBackgroundStyle(TBackgroundStyle) {}
  // The document written to a file in one format; false on failure.
  virtual bool SaveVLF(const String&) { return false; }
  virtual bool SaveRTF(const String&) { return false; }
  // The whole document as RTF.
  virtual bool SaveRTFToStream(TStream&) { return false; }
  virtual bool SaveText(const String&, bool) { return false; }
  // Pictures go to files named from ImagesPrefix, relative to the page.
  virtual bool SaveHTML(const String&, const String&, const String&, bool, TVLSaveOptions = {}) { return false; }

  // ---- Whole documents (New and Open).
  virtual bool GetModified() { return false; }
  virtual void SetModified(bool) {}
  // Empties the document (items only; styles, margins and colour stay).
  virtual void ClearDocument() {}
  virtual void SetDocumentMargins(Integer) {}
  // The four document margins as left, top, right and bottom.
  virtual TRect GetDocumentMarginRect() { return TRect(GetLeftMargin(), 0, GetRightMargin(), 0); }
  // Sets the four margins and formats the document anew.
  virtual void SetDocumentMarginRect(const TRect&) {}
  virtual void SetCurParaStyleNo(Integer) {}
  // Adds the file's content to the document in Format (text in the given
  // styles); false when the file could not be read.
  virtual bool LoadDocument(const String&, TVLDocumentFormat, Integer, Integer) { return false; }
  // The same read into a scratch document over a copy of the style sheet,
  // so that this document and the sheet stay as they are.
  virtual bool CanLoadDocument(const String&, TVLDocumentFormat, Integer, Integer) { return false; }

  // ---- Tables. An editor without tables keeps the defaults (the table
  // commands stay disabled).
  // The innermost table around the caret (the caret's item, a table whose
  // cell is being edited or whose cells are selected) and the editor whose
  // document holds it; nullptr when the caret is in no table.
  virtual TVLTableItemInfo* FindCurrentTable(TVLActionEditor*& Holder) {
    Holder = nullptr;
    return nullptr;
  }
  // A ready item at the caret of the innermost editor, in place of the
  // selection, as one undo step; a refused item is freed.
  virtual bool InsertItem(const String&, std::unique_ptr<TCustomVLItemInfo>) { return false; }
  // Deletes the selection of this editor's own document (one undo step).
  virtual void DeleteSelection() {}
  // The item's number in this editor's document (-1 when not there).
  virtual Integer GetItemNo(const TCustomVLItemInfo*) { return -1; }
  virtual void SaveItemParaWidth(Integer, Integer& Width) { Width = 0; }
  virtual void ReformatAfterItemChange(Integer, Integer) {}
};

// The editor a control stands for, nullptr when it is none.
TVLActionEditor* EditorOfControl(TObject* control);
using TVLActionEditorResolver = std::function<TVLActionEditor*(TObject* control)>;
// Replaces how controls are mapped to editors (nullptr: the default).
void SetActionEditorResolver(TVLActionEditorResolver resolver);

// Tells whether an editor's control was destroyed while a dialog or a
// converter ran (its window closed by a timer, say), so that a command
// stops instead of using it.
class TVLEditorWatch : public TComponent {
public:
  explicit TVLEditorWatch(TVLActionEditor* E);
  ~TVLEditorWatch() override;
  bool Gone() const { return !FControl; }

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  TComponent* FControl;
};

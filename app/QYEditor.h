#pragma once
// A journal's editor window: a child window of the main frame holding the
// rich-text editor of the journal's entry, with the journal's own style
// sheet. It keeps the current journal in step with the active window, the
// tool bar's style and font boxes in step with the caret, turns the font
// boxes' choices into text styles, opens links, and saves its entry when it
// closes.
#include "app/QYEntryStore.h"

#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"

class TVellumEdit;
class TCustomVellumEdit;
class TCustomVLItemInfo;
class TVLStyle;
class TformQuilloryMain;
struct TOpenJournal;

// The codes the font boxes pass to the editor's style conversion.
inline constexpr Integer ConvertFontName = 99904;
inline constexpr Integer ConvertFontSize = 99906;

class TformQuilloryEditor : public TForm {
public:
  TformQuilloryEditor(TComponent* AOwner, TOpenJournal* journal);
  ~TformQuilloryEditor() override;

  TVellumEdit* QuilloryText = nullptr;
  TPanel* PanelJournalType = nullptr;
  TVLStyle* QuilloryStyle = nullptr;
  // The record of the journal shown here; nullptr once it is removed.
  TOpenJournal* Journal() const { return FJournal; }

  void FormActivate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void QuilloryTextChange(TObject* Sender);
  void QuilloryTextCurTextStyleChanged(TObject* Sender);
  void QuilloryTextCurParaStyleChanged(TObject* Sender);
  void QuilloryTextCaretMove(TObject* Sender);
  void QuilloryTextStyleConversion(Integer StyleNo, Integer UserData, bool AppliedToText, Integer& NewStyleNo);
  void QuilloryTextJump(TObject* Sender, Integer id);
  // A link read from RTF or dropped: the item keeps its target as its tag;
  // a dropped one is written in the link look of the caret's style.
  void QuilloryTextReadHyperlink(const String& target, Integer docFormat, Integer& styleNo, TCustomVLItemInfo* item);
  // The target the writers put into a link (copying as RTF, exports).
  void QuilloryTextURLNeeded(Integer id, String& url);
  // The target of the link with that jump number, in the text or a table
  // cell; empty when there is none.
  String LinkTarget(Integer id) const;

  // The captions of the shown entry (after every load).
  void ShowEntryCaptions();
  // The editor follows the entry store's state of its document (read-only,
  // caret, modified).
  void SyncFromDocument();
  // The date and time stamp: text in a paragraph of its own before the
  // caret's item, in the two stamp styles; one undo step.
  void InsertStamp(const String& text, const String& undoCaption);
  // Applies a text or paragraph style of this journal's sheet found by
  // name; false when there is none.
  bool ApplyTextStyleNamed(const String& name);
  bool ApplyParaStyleNamed(const String& name);
  void ApplyChosenFont(Integer code);
  bool ReadOnly() const;
  // The editor that holds the caret: the entry's own, or the cell editor
  // open deepest in one of its tables. Every command that works at the
  // caret or on the selection takes its item numbers from this one.
  TCustomVellumEdit* CaretEditor() const;
  void FocusEditor();
  bool EditorFocused() const;

  // The record is going (unload or close): the window forgets it.
  void ForgetJournal() { FJournal = nullptr; }

private:
  // The link look of a text style (found or added to the journal's sheet).
  Integer LinkStyleFor(Integer styleNo);
  TOpenJournal* FJournal;
};

// The styles a journal's sheet starts with (also the program's first styles
// file): text, headings and the date and time stamp's text and paragraph.
void QuilloryInitialStyles(TVLStyle& sheet);

// Copies the default sheet's standard styles into a journal's sheet by name.
void CopyStandardStyles(TVLStyle& target);
// An entry of the date shows in the default sheet's standard styles: older
// entries keep the look they were written in when the setting says so.
bool ShowsStandardStyles(double entryDate);

// Set while an editor window closes; activation does nothing meanwhile.
extern bool ClosingEditor;

// The current journal's editor window, nullptr when there is none.
TformQuilloryEditor* CurrentEditorWindow();

// The editing commands work on the current journal's editor wherever the
// focus is (the tree, the calendar, the tool bar); on the cover and without
// a journal on no editor. Called wherever the current journal or the screen
// changes.
void FollowCurrentEditor();

// The text shown in a link's target before it is opened: no line breaks,
// blanks as "%20".
String NormalizeLinkTarget(const String& target);
// The tooltip over a link: its target and how to follow it.
String LinkHint(const String& target);
// Opens a link's target through the link policy: web and mail links at
// once, local files and folders once the user agrees, nothing else (the
// user is told). True when it was opened.
bool OpenLinkTarget(const String& tag);

// Ties the open-journal list to editor windows of the main window: every
// added journal gets one, every removed one loses it, every load shows in it.
// The least size a journal window is shown at.
inline constexpr Integer MinJournalWindowWidth = 420;
inline constexpr Integer MinJournalWindowHeight = 280;
void RegisterEditorWindows(TformQuilloryMain* main);
void UnregisterEditorWindows();

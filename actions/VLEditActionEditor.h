#pragma once
// The rich-text editor control as the editing actions see it: an adapter
// owned by the control (it goes when the control goes), found through the
// actions' resolver.
// The editor control and the actions' seam each call their style-conversion
// handler type TVLStyleConversionEvent; the control's is seen here under
// another name so that one unit can use both.
#define TVLStyleConversionEvent TVLEditStyleConversionEvent
#include "richtext/editor/VellumEdit.h"
#undef TVLStyleConversionEvent
#include "actions/VLActionEditor.h"
#include "platform/base/Components.h"

class TVLEditActionEditor : public TComponent, public TVLActionEditor {
public:
  // Owned by editor.
  explicit TVLEditActionEditor(TCustomVellumEdit* editor);
  TCustomVellumEdit* Editor() const { return FEditor; }

  TWinControl* EditorControl() override;
  TVLActionEditor* GetCellEditorParent() override { return nullptr; }
  TVLActionEditor* GetInplaceEditor() override;
  TVLActionEditor* GetInnermostEditor() override;
  TVLStyle* GetStyle() override;
  Integer GetCurTextStyleNo() override;
  Integer GetCurParaStyleNo() override;
  TVLBiDiMode GetBiDiMode() override;
  Integer GetLeftMargin() override;
  Integer GetRightMargin() override;
  TVLStyleConversionEvent GetOnStyleConversion() override { return FTextConversion; }
  void SetOnStyleConversion(TVLStyleConversionEvent handler) override;
  TVLStyleConversionEvent GetOnParaStyleConversion() override { return FParaConversion; }
  void SetOnParaStyleConversion(TVLStyleConversionEvent handler) override;
  void ApplyStyleConversion(Integer UserData) override;
  void ApplyParaStyleConversion(Integer UserData) override;
  void ChangeListLevels(Integer Delta) override;
  void BeginUndoGroup(Integer UndoType) override;
  void SetUndoGroupMode(bool On) override;
  Integer GetUndoType() override;
  Integer GetRedoType() override;
  void Undo() override;
  void Redo() override;
  bool SelectionExists() override;
  void GetSelectionBounds(Integer& StartItemNo, Integer& StartItemOffs, Integer& EndItemNo,
                          Integer& EndItemOffs) override;
  Integer GetItemStartOffset(Integer ItemNo) override;
  Integer GetItemEndOffset(Integer ItemNo) override;
  AnsiString GetSelText() override;
  void SelectAll() override;
  void CutToClipboard() override;
  void Copy() override;
  void Paste() override;
  bool CanPaste() override;
  void PasteVLF() override;
  void PasteRTF() override;
  void PasteText() override;
  void PasteUnicodeText() override;
  void PasteBitmap(bool TextAsName) override;
  void PasteMetafile(bool TextAsName) override;
  bool SearchText(const AnsiString& Text, TVLSearchOptions Options) override;
  bool InsertText(const AnsiString& Text, bool CaretBefore) override;

private:
  TCustomVellumEdit* FEditor;
  TVLStyleConversionEvent FTextConversion, FParaConversion;
};

// The adapter of an editor control (made on first use).
TVLActionEditor* ActionEditorOf(TCustomVellumEdit* editor);
// Makes the actions find editor controls through their adapters (and any
// other control that is itself an action editor).
void InstallVellumEditActionEditors();

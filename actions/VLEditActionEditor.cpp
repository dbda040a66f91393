#include "actions/VLEditActionEditor.h"

#include "platform/gui/Clipbrd.h"
#include "platform/gui/Graphics.h"

TVLEditActionEditor::TVLEditActionEditor(TCustomVellumEdit* editor) : TComponent(editor), FEditor(editor) {
  SetName("ActionEditor");
}

TWinControl* TVLEditActionEditor::EditorControl() { return FEditor; }

TVLActionEditor* TVLEditActionEditor::GetInplaceEditor() {
  TCustomVellumEdit* inner = FEditor->GetInnermostEditor();
  return inner && inner != FEditor ? ActionEditorOf(inner) : nullptr;
}

TVLActionEditor* TVLEditActionEditor::GetInnermostEditor() {
  TCustomVellumEdit* inner = FEditor->GetInnermostEditor();
  return inner && inner != FEditor ? ActionEditorOf(inner) : this;
}

TVLStyle* TVLEditActionEditor::GetStyle() { return FEditor->GetStyle(); }
Integer TVLEditActionEditor::GetCurTextStyleNo() { return FEditor->GetCurTextStyleNo(); }
Integer TVLEditActionEditor::GetCurParaStyleNo() { return FEditor->GetCurParaStyleNo(); }
TVLBiDiMode TVLEditActionEditor::GetBiDiMode() { return FEditor->GetBiDiMode(); }
Integer TVLEditActionEditor::GetLeftMargin() { return FEditor->LeftMargin; }
Integer TVLEditActionEditor::GetRightMargin() { return FEditor->RightMargin; }

void TVLEditActionEditor::SetOnStyleConversion(TVLStyleConversionEvent handler) {
  FTextConversion = std::move(handler);
  if (!FTextConversion) {
    FEditor->OnStyleConversion = nullptr;
    return;
  }
  FEditor->OnStyleConversion = [this](TCustomVellumEdit*, Integer styleNo, Integer userData, bool applied,
                                      Integer& newStyleNo) {
    if (FTextConversion) FTextConversion(this, styleNo, userData, applied, newStyleNo);
  };
}

void TVLEditActionEditor::SetOnParaStyleConversion(TVLStyleConversionEvent handler) {
  FParaConversion = std::move(handler);
  if (!FParaConversion) {
    FEditor->OnParaStyleConversion = nullptr;
    return;
  }
  FEditor->OnParaStyleConversion = [this](TCustomVellumEdit*, Integer paraNo, Integer userData, bool applied,
                                          Integer& newParaNo) {
    if (FParaConversion) FParaConversion(this, paraNo, userData, applied, newParaNo);
  };
}

void TVLEditActionEditor::ApplyStyleConversion(Integer UserData) { FEditor->ApplyStyleConversion(UserData); }
void TVLEditActionEditor::ApplyParaStyleConversion(Integer UserData) { FEditor->ApplyParaStyleConversion(UserData); }
void TVLEditActionEditor::ChangeListLevels(Integer Delta) { FEditor->ChangeListLevels(Delta); }

void TVLEditActionEditor::BeginUndoGroup(Integer UndoType) { FEditor->BeginUndoGroup(static_cast<Byte>(UndoType)); }
void TVLEditActionEditor::SetUndoGroupMode(bool On) { FEditor->SetUndoGroupMode(On); }
Integer TVLEditActionEditor::GetUndoType() { return FEditor->GetUndoType(); }
Integer TVLEditActionEditor::GetRedoType() { return FEditor->GetRedoType(); }
void TVLEditActionEditor::Undo() { FEditor->Undo(); }
void TVLEditActionEditor::Redo() { FEditor->Redo(); }

bool TVLEditActionEditor::SelectionExists() { return FEditor->SelectionExists(); }

void TVLEditActionEditor::GetSelectionBounds(Integer& StartItemNo, Integer& StartItemOffs, Integer& EndItemNo,
                                             Integer& EndItemOffs) {
  if (!FEditor->SelectionExists()) {
    StartItemNo = EndItemNo = FEditor->CurItemNo();
    StartItemOffs = EndItemOffs = FEditor->OffsetInCurItem();
    return;
  }
  FEditor->GetSelectionBounds(StartItemNo, StartItemOffs, EndItemNo, EndItemOffs, true);
}

Integer TVLEditActionEditor::GetItemStartOffset(Integer ItemNo) { return FEditor->GetItemStartOffset(ItemNo); }
Integer TVLEditActionEditor::GetItemEndOffset(Integer ItemNo) { return FEditor->GetItemEndOffset(ItemNo); }
AnsiString TVLEditActionEditor::GetSelText() { return FEditor->GetSelText(); }
void TVLEditActionEditor::SelectAll() { FEditor->SelectAll(); }
void TVLEditActionEditor::CutToClipboard() { FEditor->CutToClipboard(); }
void TVLEditActionEditor::Copy() { FEditor->Copy(); }
void TVLEditActionEditor::Paste() { FEditor->Paste(); }
bool TVLEditActionEditor::CanPaste() { return FEditor->CanPaste(); }
// The editor pastes the richest format the clipboard holds (ours first, then
// RTF, pictures and text).
void TVLEditActionEditor::PasteVLF() { FEditor->Paste(); }
void TVLEditActionEditor::PasteRTF() { FEditor->Paste(); }
void TVLEditActionEditor::PasteMetafile(bool) { FEditor->Paste(); }
void TVLEditActionEditor::PasteText() { FEditor->InsertText(Clipboard().GetAsText()); }
void TVLEditActionEditor::PasteUnicodeText() { FEditor->InsertWideText(Clipboard().GetAsUnicodeText()); }

void TVLEditActionEditor::PasteBitmap(bool) {
  auto bitmap = std::make_unique<TBitmap>();
  if (Clipboard().GetBitmap(*bitmap)) FEditor->InsertPicture("", std::move(bitmap), vlvaBaseline);
}

bool TVLEditActionEditor::SearchText(const AnsiString& Text, TVLSearchOptions Options) {
  return FEditor->SearchText(Text, Options.Contains(vlseoDown), Options.Contains(vlseoMatchCase),
                             Options.Contains(vlseoWholeWord));
}

bool TVLEditActionEditor::InsertText(const AnsiString& Text, bool CaretBefore) {
  return FEditor->InsertText(Text, CaretBefore);
}

TVLActionEditor* ActionEditorOf(TCustomVellumEdit* editor) {
  if (!editor) return nullptr;
  for (int i = 0; i < editor->ComponentCount(); ++i)
    if (auto* a = dynamic_cast<TVLEditActionEditor*>(editor->Components(i))) return a;
  return new TVLEditActionEditor(editor);
}

void InstallVellumEditActionEditors() {
  SetActionEditorResolver([](TObject* control) -> TVLActionEditor* {
    if (auto* e = dynamic_cast<TCustomVellumEdit*>(control)) return ActionEditorOf(e);
    return dynamic_cast<TVLActionEditor*>(control);
  });
}

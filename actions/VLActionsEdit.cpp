#include "actions/VLActionsEdit.h"

#include "actions/ListVLFrm.h"
#include "actions/VLALocalize.h"

#include <memory>

namespace {
// The standard rule plus a condition on the editor that holds the caret
// (a cell's while one is edited); a failure disables.
template <typename F>
void UpdateWith(TvlAction* action, bool standard, TObject* Target, F&& condition) {
  try {
    TVLActionEditor* editor = action->GetCaretEditor(Target);
    action->SetEnabled(standard && editor && condition(editor));
  } catch (...) {
    action->SetEnabled(false);
  }
}
}  // namespace

#define QY_ACTION_CTOR(Class, Base, Id)             \
  Class::Class(TComponent* AOwner) : Base(AOwner) { \
    MessageID = Id;                                 \
    Localize();                                     \
  }

QY_ACTION_CTOR(TvlActionUndo, TvlAction, 39)
QY_ACTION_CTOR(TvlActionRedo, TvlAction, 41)
QY_ACTION_CTOR(TvlActionCut, TvlAction, 29)
QY_ACTION_CTOR(TvlActionCopy, TvlAction, 31)
QY_ACTION_CTOR(TvlActionPaste, TvlAction, 33)
QY_ACTION_CTOR(TvlActionPasteSpecial, TvlActionPaste, 35)
QY_ACTION_CTOR(TvlActionSelectAll, TvlAction, 37)

void TvlActionUndo::UpdateTarget(TObject* Target) {
  UpdateWith(this, StandardEnabled(), Target, [](TVLActionEditor* e) { return e->GetUndoType() != 0; });
}
void TvlActionUndo::ExecuteTarget(TObject* Target) {
  if (TVLActionEditor* e = GetControl(Target)) e->Undo();
}

void TvlActionRedo::UpdateTarget(TObject* Target) {
  UpdateWith(this, StandardEnabled(), Target, [](TVLActionEditor* e) { return e->GetRedoType() != 0; });
}
void TvlActionRedo::ExecuteTarget(TObject* Target) {
  if (TVLActionEditor* e = GetControl(Target)) e->Redo();
}

void TvlActionCut::UpdateTarget(TObject* Target) {
  UpdateWith(this, StandardEnabled(), Target,
             [](TVLActionEditor* e) { return e->SelectionExists() && !e->IsReadOnly(); });
}
void TvlActionCut::ExecuteTarget(TObject* Target) {
  if (TVLActionEditor* e = GetControl(Target)) e->CutToClipboard();
}

void TvlActionCopy::UpdateTarget(TObject* Target) {
  UpdateWith(this, StandardEnabled(), Target, [](TVLActionEditor* e) { return e->SelectionExists(); });
}
void TvlActionCopy::ExecuteTarget(TObject* Target) {
  if (TVLActionEditor* e = GetControl(Target)) e->Copy();
}

void TvlActionPaste::UpdateTarget(TObject* Target) {
  UpdateWith(this, StandardEnabled(), Target, [](TVLActionEditor* e) { return !e->IsReadOnly() && e->CanPaste(); });
}
void TvlActionPaste::ExecuteTarget(TObject* Target) {
  if (TVLActionEditor* e = GetControl(Target)) e->Paste();
}

void TvlActionPasteSpecial::ExecuteTarget(TObject* Target) {
  TVLActionEditor* editor = GetControl(Target);
  if (!editor) return;
  std::unique_ptr<TfrmVLList> dialog(CreateVLForm<TfrmVLList>(Application));
  dialog->FillPasteFormats(LocalizedVLFNames ? LanguageText(212) : VLFFormatName);
  if (dialog->lst->Items().Count() == 0) return;
  if (dialog->ShowModal() != mrOk) return;
  switch (dialog->SelectedCode()) {
    case 1: editor->PasteVLF(); break;
    case 2: editor->PasteRTF(); break;
    case 3: editor->PasteText(); break;
    case 4: editor->PasteUnicodeText(); break;
    case 5: editor->PasteBitmap(false); break;
    case 6: editor->PasteMetafile(false); break;
    default: break;
  }
}

void TvlActionSelectAll::ExecuteTarget(TObject* Target) {
  TVLActionEditor* editor = GetControl(Target);
  if (!editor) return;
  editor->SelectAll();
  TWinControl* control = editor->EditorControl();
  if (control->CanFocus()) control->SetFocus();
  control->Invalidate();
}

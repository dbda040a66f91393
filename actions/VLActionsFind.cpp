#include "actions/VLActionsFind.h"

#include "actions/VLALocalize.h"
#include "platform/base/CodePages.h"
#include "platform/gui/Dialogs.h"

namespace {
template <typename T>
T* Linked(T* published, TComponent* owner) {
  return published ? published : FindComponentOfClass<T>(owner);
}

// The searched editor's window owns the dialog: a match shown there does
// not bring that window over the dialog. Only the showing reads the owner.
// The texts come from the current language's table.
void ShowOwnedBy(TFindDialog* dialog, TWinControl* editor) {
  dialog->Captions = {LanguageText(579), LanguageText(580), LanguageText(581), LanguageText(582),
                      LanguageText(583), LanguageText(584), LanguageText(585), LanguageText(589),
                      LanguageText(590), LanguageText(586), LanguageText(587), LanguageText(588),
                      LanguageText(196)};
  dialog->OwnerControl = editor;
  dialog->Execute();
  dialog->OwnerControl = nullptr;
}

template <typename T>
void SetLink(TComponent* self, T*& slot, T* value) {
  if (slot == value) return;
  if (slot) slot->RemoveFreeNotification(self);
  slot = value;
  if (slot) slot->FreeNotification(self);
}
}  // namespace

TvlActionSearchBase::~TvlActionSearchBase() { SetSearchedEditor(nullptr); }

void TvlActionSearchBase::UpdateTarget(TObject* Target) {
  try {
    TVLActionEditor* editor = GetControl(Target);
    SetEnabled(StandardEnabled() && editor && editor->EditorControl()->Owner());
  } catch (...) {
    SetEnabled(false);
  }
}

void TvlActionSearchBase::SetSearchedEditor(TWinControl* control) { SetLink(this, FEditor, control); }

void TvlActionSearchBase::Notification(TComponent* AComponent, TOperation Operation) {
  TvlAction::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FEditor) FEditor = nullptr;
  DialogGone(AComponent);
}

bool TvlActionSearchBase::Search(TFindDialog* Dialog) {
  TVLActionEditor* editor = EditorOfControl(FEditor);
  if (!editor || !Dialog) return false;
  const String& text = Dialog->FindText;
  if (editor->SearchText(text, FindOptionsToSearchOptions(Dialog->Options))) return true;
  MessageBox(FormatLanguageText(227, {text}), LanguageText(226), MB_OK | MB_ICONINFORMATION);
  return false;
}

// ---------------------------------------------------------------------------

TvlActionFind::TvlActionFind(TComponent* AOwner) : TvlActionSearchBase(AOwner) {
  MessageID = 43;
  Localize();
}

TvlActionFind::~TvlActionFind() {
  if (FDialog) {
    FDialog->Action = nullptr;
    FDialog->OnFind = nullptr;
    FDialog->RemoveFreeNotification(this);
  }
  SetActionReplace(nullptr);
}

void TvlActionFind::SetActionReplace(TvlActionReplace* value) { SetLink(this, FActionReplace, value); }

void TvlActionFind::Notification(TComponent* AComponent, TOperation Operation) {
  TvlActionSearchBase::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FDialog) FDialog = nullptr;
  if (AComponent == FActionReplace) FActionReplace = nullptr;
}

void TvlActionFind::CloseReplaceDialog() {
  if (TvlActionReplace* r = Linked(FActionReplace, Owner()); r && r->ReplaceDialog()) r->ReplaceDialog()->CloseDialog();
}

void TvlActionFind::ExecuteTarget(TObject* Target) {
  TVLActionEditor* editor = GetControl(Target);
  CloseReplaceDialog();
  if (!editor) return;
  if (!FDialog) {
    FDialog = new TvlaFindDialog(editor->EditorControl()->Owner());
    FDialog->Action = this;
    FDialog->FreeNotification(this);
    FDialog->OnFind = [this](TObject*) { SearchHandler(); };
  }
  SetSearchedEditor(editor->EditorControl());
  ShowOwnedBy(FDialog, editor->EditorControl());
}

void TvlActionFind::SearchHandler() {
  if (!SearchedEditor()) return;
  CloseReplaceDialog();
  Search(FDialog);
}

// ---------------------------------------------------------------------------

TvlActionFindNext::TvlActionFindNext(TComponent* AOwner) : TvlAction(AOwner) {
  MessageID = 45;
  Localize();
}

TvlActionFindNext::~TvlActionFindNext() { SetActionFind(nullptr); }

void TvlActionFindNext::SetActionFind(TvlActionFind* value) { SetLink(this, FActionFind, value); }

void TvlActionFindNext::Notification(TComponent* AComponent, TOperation Operation) {
  TvlAction::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FActionFind) FActionFind = nullptr;
}

void TvlActionFindNext::ExecuteTarget(TObject*) {
  TvlActionFind* find = Linked(FActionFind, Owner());
  if (!find) throw Exception("TvlActionFind object is not assigned!");
  if (find->FindDialog() && !find->FindDialog()->FindText.empty())
    find->SearchHandler();
  else
    find->Execute();
}

// ---------------------------------------------------------------------------

TvlActionReplace::TvlActionReplace(TComponent* AOwner) : TvlActionSearchBase(AOwner) {
  MessageID = 47;
  Localize();
}

TvlActionReplace::~TvlActionReplace() {
  if (FDialog) {
    FDialog->Action = nullptr;
    FDialog->OnFind = nullptr;
    FDialog->OnReplace = nullptr;
    FDialog->RemoveFreeNotification(this);
  }
  SetActionFind(nullptr);
}

void TvlActionReplace::SetActionFind(TvlActionFind* value) { SetLink(this, FActionFind, value); }

void TvlActionReplace::Notification(TComponent* AComponent, TOperation Operation) {
  TvlActionSearchBase::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FDialog) FDialog = nullptr;
  if (AComponent == FActionFind) FActionFind = nullptr;
}

void TvlActionReplace::ExecuteTarget(TObject* Target) {
  TVLActionEditor* editor = GetControl(Target);
  if (TvlActionFind* f = Linked(FActionFind, Owner()); f && f->FindDialog()) f->FindDialog()->CloseDialog();
  if (!editor) return;
  if (!FDialog) {
    FDialog = new TvlaReplaceDialog(editor->EditorControl()->Owner());
    FDialog->Action = this;
    FDialog->FreeNotification(this);
    FDialog->OnFind = [this](TObject*) { SearchHandler(); };
    FDialog->OnReplace = [this](TObject*) { ReplaceHandler(); };
  }
  SetSearchedEditor(editor->EditorControl());
  ShowOwnedBy(FDialog, editor->EditorControl());
}

void TvlActionReplace::SearchHandler() {
  if (!SearchedEditor()) return;
  Search(FDialog);
}

bool TvlActionReplace::SelectionMatches(TVLActionEditor* Editor) {
  const String selected = Editor->GetSelText();
  const String& wanted = FDialog->FindText;
  if (FDialog->Options & frMatchCase) return selected == wanted;
  return AnsiSameText(selected, wanted);
}

bool TvlActionReplace::ReplaceOne(TVLActionEditor* Editor) {
  const String& text = FDialog->ReplaceText;
  if (OnReplacing) OnReplacing(this, Editor, text);
  return Editor->InsertText(text, (FDialog->Options & frDown) == 0);
}

void TvlActionReplace::ReplaceHandler() {
  TVLActionEditor* editor = EditorOfControl(SearchedEditor());
  if (!editor || !FDialog) return;
  if (FDialog->Options & frReplace) {
    if (SelectionMatches(editor)) ReplaceOne(editor);
    SearchHandler();
  } else if (FDialog->Options & frReplaceAll) {
    Integer count = 0;
    if (SelectionMatches(editor) && ReplaceOne(editor)) ++count;
    const String& text = FDialog->FindText;
    // Each search starts past the last replacement, so a replacement that
    // contains the search text is not found again; only replacements the
    // editor carried out are counted.
    while (editor->SearchText(text, FindOptionsToSearchOptions(FDialog->Options)))
      if (ReplaceOne(editor)) ++count;
    if (ShowReplaceAllSummary)
      MessageBox(count == 1 ? LanguageText(228) : FormatLanguageText(229, {count}), LanguageText(226),
                 MB_OK | MB_ICONINFORMATION);
  }
}

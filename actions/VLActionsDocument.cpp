#include "actions/VLActionsDocument.h"

#include "actions/BackVLFrm.h"
#include "platform/gui/Dialogs.h"

#include <memory>

TvlActionColor::TvlActionColor(TComponent* AOwner) : TvlActionCustomColor(AOwner) {
  MessageID = 65;
  DefaultColor = clWindow;
  SetColor(clWindow);
  Localize();
}

void TvlActionColor::ApplyColor(TVLActionEditor* Editor, Integer) {
  if (!Editor) return;
  // The colour is saved with the entry, so a read-only entry must not take it.
  if (Editor->SavesBackground() && !Editor->CanChange()) return;
  if (Editor->GetDocumentColor() == GetColor()) return;
  Editor->SetDocumentColor(GetColor());
  if (Editor->SavesBackground()) Editor->MarkModified();
}

TColor TvlActionColor::GetCurrentColor(TVLActionEditor* Editor) {
  const TColor c = Editor->GetDocumentColor();
  if (c != clNone) return c;
  TVLStyle* sheet = Editor->GetStyle();
  return sheet ? sheet->Color : clNone;
}

TvlActionBackground::TvlActionBackground(TComponent* AOwner) : TvlAction(AOwner) {
  MessageID = 75;
  Localize();
}

void TvlActionBackground::ExecuteTarget(TObject* Target) {
  TVLActionEditor* E = GetControl(Target);
  if (!E) return;
  std::unique_ptr<TfrmVLBack> dlg(CreateVLForm<TfrmVLBack>(Application));
  dlg->Init(E, GetSharedColorDialog(), this);
  if (dlg->ShowModal() == mrOk) dlg->Apply(E);
}

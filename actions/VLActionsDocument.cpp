#include "actions/VLActionsDocument.h"

#include "platform/gui/Dialogs.h"

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

#include "actions/VLActionEditor.h"

#include "actions/VLVellumActionEditor.h"

#include "platform/base/Components.h"

namespace {
TVLActionEditorResolver& Resolver() {
  static TVLActionEditorResolver resolver;
  return resolver;
}
}  // namespace

TVLActionEditor* EditorOfControl(TObject* control) {
  if (!control) return nullptr;
  if (Resolver()) return Resolver()(control);
  return ResolveActionEditor(control);
}

void SetActionEditorResolver(TVLActionEditorResolver resolver) { Resolver() = std::move(resolver); }

TVLEditorWatch::TVLEditorWatch(TVLActionEditor* E) : TComponent(nullptr), FControl(E->EditorControl()) {
  if (FControl) FControl->FreeNotification(this);
}

TVLEditorWatch::~TVLEditorWatch() {
  if (FControl) FControl->RemoveFreeNotification(this);
}

void TVLEditorWatch::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FControl) FControl = nullptr;
}

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

#pragma once
// Building forms in code: a control made with its owner, parent, name and
// bounds in one call, as the form designer would have laid it out.
#include "platform/gui/Controls.h"
#include "platform/gui/StdCtrls.h"

template <typename T>
T* MakeControl(TComponent* owner, TWinControl* parent, const char* name, Integer left, Integer top,
               Integer width, Integer height) {
  T* c = new T(owner);
  c->SetName(name);
  c->SetParent(parent);
  c->SetBounds(left, top, width, height);
  return c;
}

// A push button on a form with its caption, in the dialogs' usual size.
inline TButton* MakeButton(TWinControl* form, const char* name, const char* caption, Integer left,
                           Integer top, Integer width = 80, Integer height = 28) {
  auto* b = MakeControl<TButton>(form, form, name, left, top, width, height);
  b->SetCaption(caption);
  return b;
}

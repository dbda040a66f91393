#pragma once
// Building forms in code: a control made with its owner, parent, name and
// bounds in one call, as the form designer would have laid it out.
#include "platform/gui/Controls.h"

template <typename T>
T* MakeControl(TComponent* owner, TWinControl* parent, const char* name, Integer left, Integer top,
               Integer width, Integer height) {
  T* c = new T(owner);
  c->SetName(name);
  c->SetParent(parent);
  c->SetBounds(left, top, width, height);
  return c;
}

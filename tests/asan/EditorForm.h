// A window holding one editor over a style sheet, as the sanitizer tests
// of the editor build it.
#pragma once

#include "platform/gui/Forms.h"
#include "richtext/editor/VellumEdit.h"
#include "richtext/model/VLStyle.h"

#include <memory>

namespace qytest {

// A 420 x 320 window with a 400 x 300 editor (owned by the window) on it.
inline std::unique_ptr<TForm> FormWithEditor(TVLStyle& style, TVellumEdit*& edit) {
  auto form = std::make_unique<TForm>(nullptr);
  form->SetBounds(0, 0, 420, 320);
  edit = new TVellumEdit(form.get());
  edit->SetParent(form.get());
  edit->SetBounds(0, 0, 400, 300);
  edit->SetStyle(&style);
  return form;
}

}  // namespace qytest

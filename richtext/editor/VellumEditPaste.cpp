// Paste into the editor: the clipboard's text at the caret.
#include "richtext/editor/VellumEdit.h"

#include "platform/gui/Clipbrd.h"

bool TCustomVellumEdit::CanPaste() {
  if (TCustomVellumEdit* inner = InplaceEdit()) return inner->CanPaste();
  return Clipboard().HasFormat(CF_UNICODETEXT) || Clipboard().HasFormat(CF_TEXT);
}

void TCustomVellumEdit::Paste() {
  if (TCustomVellumEdit* inner = InplaceEdit()) return inner->Paste();
  bool doDefault = true;
  if (OnPaste) OnPaste(GetRootEditor(), doDefault);
  if (!doDefault) return;
  if (!CanPaste()) {
    EditData()->Beep();
    return;
  }
  InsertWideText(Clipboard().GetAsUnicodeText());
}

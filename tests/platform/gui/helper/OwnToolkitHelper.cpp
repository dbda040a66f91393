// A program that leaves the toolkit to the platform layer: it makes a form
// without a Qt application of its own and returns from main.
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

int main() {
  Application->Initialize();
  Application->SetTitle("Toolkit helper");
  auto* form = Application->CreateForm<TForm>();
  auto* label = new TLabel(form);
  label->SetParent(form);
  label->SetCaption("made by the platform's own application");
  form->Show();
  Application->ProcessMessages();
  return 0;
}

#include "spellvl/VLSpellChecker.h"

#include "richtext/editor/VellumEdit.h"
#include "spellvl/VellumParser.h"

TVLSpellChecker::TVLSpellChecker(TComponent* AOwner) : TSpellChecker(AOwner) {
  // A check taken up again goes on from where the user left the caret (the
  // prompted word while it stays selected); what a move ahead passed over
  // is asked after the end. The walk's own place is gone by then: leaving
  // the dialog resets the parser (the user may change the text meanwhile).
  ResumeFromLastPosition = false;
}

TVLSpellChecker::~TVLSpellChecker() {
  CancelCheck();
  if (FEdit) FEdit->RemoveFreeNotification(this);
  FEdit = nullptr;
}

TVellumParser* TVLSpellChecker::CurrentVellumParser() const {
  return dynamic_cast<TVellumParser*>(CurrentParser());
}

void TVLSpellChecker::CheckVellumEdit(TCustomVellumEdit* Edit, Byte CheckType) {
  if (!Edit || CheckRunning()) return;
  auto* parser = new TVellumParser;
  parser->CodePage = CodePage;
  try {
    parser->Initialize(Edit);
  } catch (...) {
    delete parser;
    throw;
  }
  // The check must not outlive the editor: its going ends the check.
  FEdit = Edit;
  Edit->FreeNotification(this);
  CheckParser(parser, CheckType);
  if (!FreeParserAtEnd) delete parser;
}

void TVLSpellChecker::CompleteCheck() {
  TSpellChecker::CompleteCheck();
  if (FEdit && !CheckRunning()) {
    FEdit->RemoveFreeNotification(this);
    FEdit = nullptr;
  }
}

void TVLSpellChecker::CancelCheck() {
  if (!CheckRunning()) return;
  if (TVellumParser* p = CurrentVellumParser()) p->Detach();
  StopCheck(true);
}

void TVLSpellChecker::Notification(TComponent* AComponent, TOperation Operation) {
  TSpellChecker::Notification(AComponent, Operation);
  if (Operation != opRemove || AComponent != FEdit) return;
  if (TVellumParser* p = CurrentVellumParser()) p->Detach();
  FEdit = nullptr;
  StopCheck(true);
}

void TVLSpellChecker::SpellDialogDeactivate(TObject* Sender) {
  TSpellChecker::SpellDialogDeactivate(Sender);
  if (TVellumParser* p = CurrentVellumParser()) p->Reset();
}

TVLThesaurus::TVLThesaurus(TComponent* AOwner) : TThesaurus(AOwner) {}

void TVLThesaurus::LookupVellumEdit(TCustomVellumEdit* Edit) {
  if (!Edit) return;
  TVellumParser parser;
  parser.CodePage = CodePage;
  parser.Initialize(Edit);
  LookupParser(&parser);
}

#include "spell/scConfigurationDialogCtrl.h"

#include "platform/base/SysUtils.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"
#include "spell/scCustomDictionary.h"
#include "spell/scMainDictionary.h"
#include "spell/scSpellBase.h"
#include "spell/scUtil.h"

TConfigurationDialogCtrl::TConfigurationDialogCtrl(TComponent* AOwner) : TComponent(AOwner) {}

void TConfigurationDialogCtrl::SetSpellChecker(TSpellCheckerBase* Engine) {
  // A form stays with the engine that first took it.
  if (SpellChecker) return;
  SpellChecker = Engine;
  if (!Engine) return;
  Configuration = &Engine->Configuration();
  AvailableOptions = Engine->ConfigAvailableOptions;
  if (OnConfigurationAvailable) OnConfigurationAvailable(this);
}

void TConfigurationDialogCtrl::SetCustomDictionary(TCustomDictionary* Dictionary) {
  CustomDictionary = Dictionary;
  if (Dictionary && OnCustomDictionaryAvailable) OnCustomDictionaryAvailable(this);
}

void TConfigurationDialogCtrl::PromptWord(TObject* Sender, const String& Word, bool Repeated) {
  if (OnPromptWord) OnPromptWord(Sender, Word, Repeated);
}

TStrings* TConfigurationDialogCtrl::GetMainDictionaryFiles() {
  return SpellChecker ? SpellChecker->GetMainDictionaryFiles() : nullptr;
}

TStrings* TConfigurationDialogCtrl::GetCustomDictionaryFiles() {
  return SpellChecker ? SpellChecker->GetCustomDictionaryFiles() : nullptr;
}

TStrings* TConfigurationDialogCtrl::GetMSWordCustomDictionaries() {
  return SpellChecker ? SpellChecker->GetMSWordCustomDictionaries() : nullptr;
}

bool TConfigurationDialogCtrl::UseExcludeWords() const {
  return SpellChecker ? SpellChecker->UseExcludeWords : true;
}

bool TConfigurationDialogCtrl::CanUndo() const { return SpellChecker && SpellChecker->CanUndo(); }

bool TConfigurationDialogCtrl::CheckRunning() const {
  return SpellChecker && SpellChecker->CheckRunning();
}

bool TConfigurationDialogCtrl::ReportOnly() const {
  return SpellChecker && SpellChecker->ReportOnly();
}

String TConfigurationDialogCtrl::LiveCheckingHint() const {
  return SpellChecker ? SpellChecker->LiveCheckingHint : String();
}

TCustomDictionary* TConfigurationDialogCtrl::InternalDictionary() const {
  return SpellChecker ? &SpellChecker->InternalDictionary() : nullptr;
}

TCustomDictionary* TConfigurationDialogCtrl::ActiveCustomDictionary() const {
  return SpellChecker ? SpellChecker->ActiveCustomDictionary() : nullptr;
}

TSpellDialogCommands TConfigurationDialogCtrl::CommandsVisible() const {
  return SpellChecker ? SpellChecker->CommandsVisible : TSpellDialogCommands{};
}

TSpellDialogCommands TConfigurationDialogCtrl::CommandsEnabled() const {
  return SpellChecker ? SpellChecker->CommandsEnabled : TSpellDialogCommands{};
}

int TConfigurationDialogCtrl::HelpCtxSpellDialog() const {
  return SpellChecker ? SpellChecker->HelpCtxSpellDialog : 0;
}
int TConfigurationDialogCtrl::HelpCtxConfigDialog() const {
  return SpellChecker ? SpellChecker->HelpCtxConfigDialog : 0;
}
int TConfigurationDialogCtrl::HelpCtxDictionariesDialog() const {
  return SpellChecker ? SpellChecker->HelpCtxDictionariesDialog : 0;
}
int TConfigurationDialogCtrl::HelpCtxDictionaryEditDialog() const {
  return SpellChecker ? SpellChecker->HelpCtxDictionaryEditDialog : 0;
}

String TConfigurationDialogCtrl::GetString(TSpellLanguageString Id) const {
  return SpellChecker ? SpellChecker->GetString(Id) : String();
}

String TConfigurationDialogCtrl::GetOptionCaption(TSpellOption Option) const {
  if (!SpellChecker) return {};
  switch (Option) {
    case soUser1: return SpellChecker->ConfigUserOption1;
    case soUser2: return SpellChecker->ConfigUserOption2;
    case soUser3: return SpellChecker->ConfigUserOption3;
    case soUser4: return SpellChecker->ConfigUserOption4;
    // The option texts follow the options one to one.
    default: return SpellChecker->GetString(static_cast<TSpellLanguageString>(static_cast<int>(lsLiveSpelling) + static_cast<int>(Option)));
  }
}

std::unique_ptr<TMainDictionary> TConfigurationDialogCtrl::OpenMainDictionary(const String& FileName) {
  return SpellChecker ? SpellChecker->OpenMainDictionary(FileName) : nullptr;
}

std::unique_ptr<TCustomDictionary> TConfigurationDialogCtrl::OpenCustomDictionary(const String& FileName) {
  return SpellChecker ? SpellChecker->OpenCustomDictionary(FileName) : nullptr;
}

void TConfigurationDialogCtrl::ShowConfigDialog() {
  if (SpellChecker) SpellChecker->ShowConfigDialog(this);
}
void TConfigurationDialogCtrl::ShowCustomDictionariesDialog() {
  if (SpellChecker) SpellChecker->ShowCustomDictionariesDialog(this);
}
void TConfigurationDialogCtrl::ShowEditCustomDictionaryDialog(TCustomDictionary* Dictionary) {
  if (SpellChecker) SpellChecker->ShowEditCustomDictionaryDialog(this, Dictionary);
}
bool TConfigurationDialogCtrl::ShowAddDictionaryDir() {
  if (!SpellChecker || !SpellChecker->ShowAddDictionaryDir(this)) return false;
  SpellChecker->DictionaryDirChange(this);
  return true;
}
void TConfigurationDialogCtrl::SetCustomDictionaryListed(const String& FileName, bool Active) {
  if (SpellChecker) SpellChecker->SetCustomDictionaryListed(FileName, Active);
}
void TConfigurationDialogCtrl::SetMSWordDictionaryListed(const String& FileName, bool Active) {
  if (SpellChecker) SpellChecker->SetMSWordDictionaryListed(FileName, Active);
}
void TConfigurationDialogCtrl::DeleteCustomDictionary(const String& FileName) {
  if (SpellChecker) SpellChecker->DeleteCustomDictionary(FileName);
}
bool TConfigurationDialogCtrl::NewCustomDictionary(const String& FileName) {
  return SpellChecker && SpellChecker->NewCustomDictionary(FileName);
}
bool TConfigurationDialogCtrl::RenameCustomDictionary(const String& OldName, const String& NewName) {
  return SpellChecker && SpellChecker->RenameCustomDictionary(OldName, NewName);
}
void TConfigurationDialogCtrl::Ignore() {
  if (SpellChecker) SpellChecker->Ignore();
}
void TConfigurationDialogCtrl::IgnoreAll() {
  if (SpellChecker) SpellChecker->IgnoreAll();
}
void TConfigurationDialogCtrl::Add() {
  if (SpellChecker) SpellChecker->Add();
}
void TConfigurationDialogCtrl::Undo() {
  if (SpellChecker) SpellChecker->Undo();
}
void TConfigurationDialogCtrl::Cancel() {
  if (SpellChecker) SpellChecker->Cancel();
}
void TConfigurationDialogCtrl::IgnoreRepeated() {
  if (SpellChecker) SpellChecker->IgnoreRepeated();
}
void TConfigurationDialogCtrl::DeleteRepeated() {
  if (SpellChecker) SpellChecker->DeleteRepeated();
}
bool TConfigurationDialogCtrl::EngineWord(const String& Text, AnsiString& Word) const {
  bool lossless = true;
  // Line breaks of any kind become spaces before the code page is met.
  // Nothing visible is no replacement: refused as the engine refuses it,
  // with no message naming nothing.
  if (IsInvisibleText(Text)) return false;
  Word = SpellWordFromText(OneLine(Text), &lossless);
  if (lossless) return true;
  // Put in as the engine holds it, the word would lose its letters.
  MessageBox(ReplacementRefusedText(Text), GetString(lsSpelling), MB_OK | MB_ICONWARNING);
  return false;
}
void TConfigurationDialogCtrl::Change(const String& NewWord) {
  AnsiString w;
  if (SpellChecker && EngineWord(NewWord, w)) SpellChecker->Change(w);
}
void TConfigurationDialogCtrl::ChangeAll(const String& NewWord) {
  AnsiString w;
  if (SpellChecker && EngineWord(NewWord, w)) SpellChecker->ChangeAll(w);
}
void TConfigurationDialogCtrl::AutoCorrect(const String& NewWord) {
  AnsiString w;
  if (SpellChecker && EngineWord(NewWord, w)) SpellChecker->AutoCorrect(w);
}
void TConfigurationDialogCtrl::GetSuggestions(const String& Word, TStrings* List) {
  if (!SpellChecker || !List) return;
  TStringList words;
  SpellChecker->GetSuggestions(SpellWordFromText(Word), &words);
  List->Clear();
  for (int i = 0; i < words.Count(); ++i) List->Add(SpellWordToText(words[i]));
}

namespace {
void Help(TSpellCheckerBase* engine, int context) {
  if (engine && Application) Application->HelpContext(context);
}
}  // namespace

void TConfigurationDialogCtrl::HelpSpellDialog() { Help(SpellChecker, HelpCtxSpellDialog()); }
void TConfigurationDialogCtrl::HelpConfigDialog() { Help(SpellChecker, HelpCtxConfigDialog()); }
void TConfigurationDialogCtrl::HelpDictionariesDialog() {
  Help(SpellChecker, HelpCtxDictionariesDialog());
}
void TConfigurationDialogCtrl::HelpDictionaryEditDialog() {
  Help(SpellChecker, HelpCtxDictionaryEditDialog());
}

TConfigurationDialogCtrl* FindDialogControl(TComponent* Form) {
  if (!Form) return nullptr;
  for (int i = 0; i < Form->ComponentCount(); ++i)
    if (auto* c = dynamic_cast<TConfigurationDialogCtrl*>(Form->Components(i))) return c;
  return nullptr;
}

#include "spell/scSpell.h"

#include "platform/gui/ComCtrls.h"
#include "platform/gui/Dialogs.h"
#include "spell/scConfigDialogs.h"
#include "spell/scCustomDictionary.h"
#include "spell/scSuggestions.h"
#include "spell/scUtil.h"

#include <memory>

TSpellChecker::TSpellChecker(TComponent* AOwner) : TSpellCheckerBase(AOwner) {
  UIType = suiDialog;
  MaxSuggestions = kDialogSuggestions;
}

TSpellChecker::~TSpellChecker() {
  // A check that is still running ends with its component.
  if (CheckRunning()) StopCheck(true);
  // The dialog is owned by this component and goes with it; the engine
  // must not reach it afterwards.
  SpellDialog = nullptr;
}

void TSpellChecker::CreateSpellDialog() {
  // This component owns the dialog (the engine releases it at the end of a
  // check); its window stays above the form of the control being checked.
  auto* dialog = new TSpellDialog(this);
  TCustomForm* window = nullptr;
  if (auto* parser = dynamic_cast<TControlParser2*>(CurrentParser()))
    if (auto* control = dynamic_cast<TControl*>(parser->GetControl())) window = GetParentForm(control);
  if (!window) window = OwnerForm(this);
  dialog->SetOwnerWindow(window);
  SpellDialog = dialog;
  ApplyUILanguageFonts(dialog, true);
}

void TSpellChecker::ShowConfigDialog(TComponent* AOwner) {
  if (OnShowConfigDialog) {
    OnShowConfigDialog(this, AOwner);
    return;
  }
  {
    std::unique_ptr<TSpellCheckConfigDialog> form(new TSpellCheckConfigDialog(AOwner));
    ApplyUILanguageFonts(form.get(), false);
    BindDialogControl(form.get());
    form->HelpContext = HelpCtxConfigDialog;
    if (form->ShowModal() != mrOk) form->Revert();
  }
  ReorderMainDictionaries();
}

void TSpellChecker::ShowCustomDictionariesDialog(TComponent* AOwner) {
  if (OnShowCustomDictionariesDialog) {
    OnShowCustomDictionariesDialog(this, AOwner);
    return;
  }
  std::unique_ptr<TCustomDictionariesDialog> form(new TCustomDictionariesDialog(AOwner));
  ApplyUILanguageFonts(form.get(), false);
  BindDialogControl(form.get());
  form->HelpContext = HelpCtxDictionariesDialog;
  form->ShowModal();
}

void TSpellChecker::ShowEditCustomDictionaryDialog(TComponent* AOwner, TCustomDictionary* Dictionary) {
  if (OnShowEditCustomDictionaryDialog) {
    OnShowEditCustomDictionaryDialog(this, AOwner, Dictionary);
    return;
  }
  {
    std::unique_ptr<TCustomDictionaryEditDialog> form(new TCustomDictionaryEditDialog(AOwner));
    ApplyUILanguageFonts(form.get(), true);
    BindDialogControl(form.get(), Dictionary);
    form->HelpContext = HelpCtxDictionaryEditDialog;
    form->ShowModal();
  }
  ConfigurationChanged(true);
}

bool TSpellChecker::ShowAddDictionaryDir(TComponent* AOwner) {
  if (OnShowAddDictionaryDir) {
    OnShowAddDictionaryDir(this, AOwner);
    return true;
  }
  String folder;
  if (!SelectDirectory(GetString(lsDlgBrowseForMainTitle), "", folder) || folder.empty()) return false;
  // The settings file would give another folder back (a line break, a
  // space at an end): its dictionaries would be gone at the next start.
  if (!IsStorableDictionaryName(folder)) {
    MessageBox(DictionaryFolderRefusedText(folder), GetString(lsSpelling), MB_OK | MB_ICONWARNING);
    return false;
  }
  Configuration().GetNewPaths().Add(folder);
  return true;
}

void TSpellChecker::ApplyUILanguageFonts(TComponent* Form, bool UseTextFont) {
  if (!Form || !UILanguageUseFonts) return;
  for (int i = 0; i < Form->ComponentCount(); ++i) {
    auto* c = dynamic_cast<TControl*>(Form->Components(i));
    if (!c) continue;
    if (dynamic_cast<TLabel*>(c) || dynamic_cast<TButton*>(c) || dynamic_cast<TCheckBox*>(c) ||
        dynamic_cast<TGroupBox*>(c) || dynamic_cast<TPageControl*>(c))
      c->Font.Assign(UILanguageFontControls);
    else if (dynamic_cast<TListBox*>(c) || dynamic_cast<TEdit*>(c) || dynamic_cast<TComboBox*>(c))
      c->Font.Assign(UseTextFont ? UILanguageFontText : UILanguageFontControls);
  }
}

void TSpellChecker::SettingsRefused(const String& FileName) {
  if (UIType != suiDialog || FRefused.IndexOf(FileName) >= 0) return;
  FRefused.Add(FileName);
  MessageBox(SettingsFileRefusedText(FileName), GetString(lsSpelling), MB_OK | MB_ICONWARNING);
}

void TSpellChecker::DictionaryRefused(const String& FileName) {
  TSpellCheckerBase::DictionaryRefused(FileName);
  if (OnDictionaryRefused || UIType != suiDialog || FRefused.IndexOf(FileName) >= 0) return;
  FRefused.Add(FileName);
  MessageBox(DictionaryFileRefusedText(FileName), GetString(lsSpelling), MB_OK | MB_ICONWARNING);
}

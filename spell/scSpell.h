#pragma once
// The spell engine with its dialogs: the modeless spelling dialog, the
// options dialog, the custom dictionaries dialog and the dictionary editor.
#include "platform/gui/Graphics.h"
#include "spell/scSpellBase.h"
#include "spell/scSpellDialog.h"

#include <functional>

class TSpellChecker : public TSpellCheckerBase {
public:
  explicit TSpellChecker(TComponent* AOwner);
  ~TSpellChecker() override;

  void CreateSpellDialog() override;
  void PromptWord() override;
  virtual void ShowConfigDialog(TComponent* AOwner);
  virtual void ShowCustomDictionariesDialog(TComponent* AOwner);
  virtual void ShowEditCustomDictionaryDialog(TComponent* AOwner, TCustomDictionary* Dictionary);
  // A folder chooser; the chosen folder goes to the configuration's new
  // paths. False when the user cancelled.
  virtual bool ShowAddDictionaryDir(TComponent* AOwner);
  virtual void ApplyUILanguageFonts(TComponent* Form, bool UseTextFont);
  // Names the refused file once; the check goes on without it.
  void DictionaryRefused(const String& FileName) override;
  TSpellDialog* Dialog() const { return dynamic_cast<TSpellDialog*>(SpellDialog); }

  TFont UILanguageFontControls;
  TFont UILanguageFontText;
  bool UILanguageUseFonts = false;
  TSpellDialogCommands CommandsVisible = kAllSpellDialogCommands;
  TSpellDialogCommands CommandsEnabled = kAllSpellDialogCommands;

private:
  TStringList FRefused;

public:

  // A handler replaces the built-in dialog.
  std::function<void(TObject*, TComponent* Owner)> OnShowConfigDialog;
  std::function<void(TObject*, TComponent* Owner)> OnShowCustomDictionariesDialog;
  std::function<void(TObject*, TComponent* Owner, TCustomDictionary* Dictionary)>
      OnShowEditCustomDictionaryDialog;
  std::function<void(TObject*, TComponent* Owner)> OnShowAddDictionaryDir;
};

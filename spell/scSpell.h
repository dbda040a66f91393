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
  void ShowConfigDialog(TComponent* AOwner) override;
  void ShowCustomDictionariesDialog(TComponent* AOwner) override;
  void ShowEditCustomDictionaryDialog(TComponent* AOwner, TCustomDictionary* Dictionary) override;
  bool ShowAddDictionaryDir(TComponent* AOwner) override;
  void ApplyUILanguageFonts(TComponent* Form, bool UseTextFont) override;
  // Names the refused file once; the check goes on without it.
  void DictionaryRefused(const String& FileName) override;
  // Names the refused settings file once.
  void SettingsRefused(const String& FileName) override;
  TSpellDialog* Dialog() const { return dynamic_cast<TSpellDialog*>(SpellDialog); }

  TFont UILanguageFontControls;
  TFont UILanguageFontText;
  bool UILanguageUseFonts = false;

private:
  TStringList FRefused;
};

#pragma once
// The spelling dialog: shows the word the engine stopped at (not found or
// written twice), offers the engine's suggestions and hands each decision
// back to the engine, which moves on and prompts again.
#include "platform/gui/AccessKey.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

#include <memory>

#include "spell/scConfigurationDialogCtrl.h"

class TSpellDialog : public TForm {
public:
  explicit TSpellDialog(TComponent* AOwner);
  ~TSpellDialog() override;

  // The engine attached itself: texts, visibility, the not-found state.
  void DialogControlConfigurationAvailable();
  // The engine stops at Word (Repeated: the doubled text).
  void DialogControlPromptWord(const String& Word, bool Repeated);
  void SetCommandsEnabled(bool Enable);
  bool RepeatedState() const { return FRepeated; }

  TLabel *NotFoundText, *ReplaceWithText, *SuggestionsText;
  TEdit *NotFoundEdit, *ReplaceWithEdit;
  TListBox* SuggestionsListbox;
  TButton *IgnoreButton, *IgnoreAllButton, *ChangeButton, *ChangeAllButton, *AddButton,
      *AutoCorrectButton, *HelpButton, *UndoButton, *CancelButton, *OptionsButton;
  TConfigurationDialogCtrl* DialogControl;

protected:
  void Activate() override;
  void Deactivate() override;

private:
  // The gap between a caption of the first column and its field.
  static constexpr int LabelGap = 8;
  void FitLabelColumn();
  void ReplaceWithEditChange();
  // The commands the current prompt offers, as it set them.
  void EnableForPrompt();
  // The keyboard where the prompt is answered: the replacement, else the
  // first command the prompt offers; never the read-only word itself. A
  // usable control the user went to keeps it.
  void KeyboardToAnswer();
  bool Has(TSpellDialogCommand C) const { return DialogControl->Enabled(C); }
  // While a repeated word is prompted Ignore All and Change All do nothing:
  // their keys answer Ignore and Change, as a key used at the other prompts
  // would be expected to.
  std::unique_ptr<TAccessKey> FIgnoreAllKey, FChangeAllKey;
  bool FRepeated = false, FDeactivated = false;
  bool FFilling = false;
  // A word was prompted; it had suggestions (else the list holds only the
  // "(no suggestions)" line).
  bool FPrompted = false, FHasSuggestions = false;
};

#pragma once
// The spelling dialog: shows the word the engine stopped at (not found or
// written twice), offers the engine's suggestions and hands each decision
// back to the engine, which moves on and prompts again.
#include "platform/base/Set.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"

class TSpellCheckerBase;

enum TSpellDialogCommand {
  sdcUndo, sdcOptions, sdcIgnoreAll, sdcIgnore, sdcChange, sdcChangeAll, sdcAdd, sdcAutoCorrect,
  sdcHelp, sdcCancel
};
using TSpellDialogCommands = TSet<TSpellDialogCommand>;
inline const TSpellDialogCommands kAllSpellDialogCommands{
    sdcUndo, sdcOptions, sdcIgnoreAll, sdcIgnore, sdcChange, sdcChangeAll, sdcAdd, sdcAutoCorrect,
    sdcHelp, sdcCancel};

class TSpellDialog : public TForm {
public:
  explicit TSpellDialog(TComponent* AOwner);
  ~TSpellDialog() override;

  // Attaches the engine: texts, visibility, the not-found state.
  void Setup(TSpellCheckerBase* AEngine, TSpellDialogCommands Visible,
             TSpellDialogCommands Enabled);
  void PromptWord(const String& Word, bool Repeated);
  void SetCommandsEnabled(bool Enable);
  bool RepeatedState() const { return FRepeated; }
  TSpellCheckerBase* Engine() const { return FEngine; }

  TLabel *NotFoundText, *ReplaceWithText, *SuggestionsText;
  TEdit *NotFoundEdit, *ReplaceWithEdit;
  TListBox* SuggestionsListbox;
  TButton *IgnoreButton, *IgnoreAllButton, *ChangeButton, *ChangeAllButton, *AddButton,
      *AutoCorrectButton, *HelpButton, *UndoButton, *CancelButton, *OptionsButton;
  // Called by the Options button; the spell component shows its options
  // dialog there.
  TNotifyEvent OnOptions;

protected:
  void Activate() override;
  void Deactivate() override;

private:
  // The gap between a caption of the first column and its field.
  static constexpr int LabelGap = 8;
  void FitLabelColumn();
  void ReplaceWithEditChange();
  bool Has(TSpellDialogCommand C) const { return FEnabled.Contains(C); }
  // A command of the engine; nothing while none is attached.
  template <typename F>
  void Run(F f);

  TSpellCheckerBase* FEngine = nullptr;
  TSpellDialogCommands FVisible, FEnabled;
  bool FRepeated = false, FDeactivated = false;
  bool FFilling = false;
};

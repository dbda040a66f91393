#pragma once
// The thesaurus with its dialog: meanings of the looked-up word, the words
// of the chosen meaning, a history of look-ups, Previous, Look Up and
// Replace.
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "spell/scThesaurusBase.h"

class TThesaurus;

class TThesDialog : public TForm {
public:
  explicit TThesDialog(TComponent* AOwner);
  void Setup(TThesaurus* AThesaurus);
  void PromptLookup(const AnsiString& Word,
                    const std::vector<std::unique_ptr<TThesaurusEntry>>& Contexts);
  void PromptContext(const std::vector<AnsiString>& Words);
  void SelectContext(int Index);
  void SelectWord(int Index);
  void Previous();

  TLabel *LookedUpLabel, *ContextsLabel, *ReplaceWithLabel;
  TComboBox* LookupCombo;
  TListBox *ContextLV, *WordList;
  TEdit* ReplaceEdit;
  TButton *PreviousButton, *LookupButton, *ReplaceButton, *CloseButton;

private:
  void ReplaceEditChange();
  bool Has(TThesaurusDialogCommand C) const;
  // The word looked up, in the engine's code page.
  AnsiString LookedUp() const;
  static String CaptionText(const AnsiString& Caption);
  // False, after telling the user, for a word the code page cannot hold.
  bool ReplacementWord(const String& Text, AnsiString& Word);
  TThesaurus* FThesaurus = nullptr;
  std::vector<AnsiString> FWords;
  bool FFilling = false;
};

class TThesaurus : public TThesaurusBase {
public:
  explicit TThesaurus(TComponent* AOwner);
  void CreateDialog() override;
  void PromptLookup() override;
  void PromptContext(int Index) override;
  TThesDialog* Dialog() const { return dynamic_cast<TThesDialog*>(FDialog); }
  void FileRefused() override;
  // Called with the dialog shown (tests script it here).
  TNotifyEvent OnDialogShown;
};

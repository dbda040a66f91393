#pragma once
// The spell checker's settings dialogs: spelling options, custom
// dictionaries, the editor of one custom dictionary and the name of a new
// one. Every change goes to the configuration or the dictionary at once.
#include "platform/gui/CheckLst.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/StdCtrls.h"
#include "spell/scConfiguration.h"
#include "spell/scConfigurationDialogCtrl.h"

#include <array>

class TCustomDictionary;

// The sentence under the spelling options on where the user's words are kept.
extern const char* const kSpellStorageNote;

class TSpellCheckConfigDialog : public TForm {
public:
  explicit TSpellCheckConfigDialog(TComponent* AOwner);
  // The engine attached itself: texts, commands, choices.
  void DialogControlConfigurationAvailable();
  void FillMainDictionaries();
  void FillCustomCombo();
  // Returns the number of option boxes left hidden.
  int SetupOptions();
  // The row of the folder browser in MainDictionaries (-1 when none).
  int BrowseRow() const { return FBrowseRow; }
  // Choices apply at once; Cancel (or closing the dialog) puts back the
  // options and dictionary lists it opened with.
  void Revert();

  TLabel* StorageNote = nullptr;
  TButton *OK, *CancelButton, *HelpButton, *ResetButton, *DictionariesButton;
  TGroupBox *OptionsGroup, *DictionariesGroup;
  std::array<TCheckBox*, 10> Options{};
  TCheckListBox* MainDictionaries;
  TLabel* CustomLabel;
  TComboBox* CustomCombo;
  TConfigurationDialogCtrl* DialogControl;

private:
  void MainDictionariesCheck(int Row);
  // The configuration as the dialog found it, for Revert.
  TSpellOptions FSavedOptions;
  TStringList FSavedMain, FSavedCustom;
  // The custom dictionary files there were when the dialog opened.
  TStringList FSavedFiles;
  String FSavedActive;
  std::vector<String> FMainFiles;
  int FBrowseRow = -1;
  bool FFilling = false;
};

class TCustomDictionariesDialog : public TForm {
public:
  explicit TCustomDictionariesDialog(TComponent* AOwner);
  void DialogControlConfigurationAvailable();
  void Fill();
  bool FocusEntry(const String& Name);
  void NewButtonClick();
  void DeleteButtonClick();
  void EditButtonClick();

  struct TListEntry {
    bool Active = true, Internal = false, Renamable = false;
    String FileName;
  };
  const std::vector<TListEntry>& Entries() const { return FEntries; }

  TGroupBox* CustomGroup;
  TCheckListBox* CustomDictionaries;
  TButton *EditButton, *DeleteButton, *NewButton, *OK, *HelpButton;
  TConfigurationDialogCtrl* DialogControl;

private:
  void SelectRow(int Row);
  void RowChecked(int Row);
  std::vector<TListEntry> FEntries;
  bool FFilling = false;
};

class TCustomDictionaryEditDialog : public TForm {
public:
  explicit TCustomDictionaryEditDialog(TComponent* AOwner);
  // The engine, then the dictionary to edit, attached themselves.
  void DialogControlConfigurationAvailable();
  void DialogControlCustomDictionaryAvailable();

  TPageControl* PageControl;
  TTabSheet *AddedWordsSheet, *AutoCorrectWordsSheet, *ExcludedWordsSheet;
  TLabel *AddedWordsExplain, *IgnoreEditLabel, *AutoCorrectWordsExplain, *ReplaceEditLabel,
      *WithEditLabel, *ExcludeWordsExplanation, *ExcludeEditLabel;
  TEdit *IgnoreEdit, *ReplaceEdit, *WithEdit, *ExcludeEdit;
  TListBox *IgnoreList, *AutoCorrectList, *ExcludeList;
  TButton *AddIgnoreButton, *DeleteIgnoreButton, *AddAutoCorrectButton, *DeleteAutoCorrectButton,
      *AddExcludeButton, *DeleteExcludeButton, *HelpButton, *OK;
  // Why Add is unavailable, under each sheet's buttons: shown while the
  // typed text holds letters the dictionary cannot store.
  TLabel *IgnoreNote, *AutoCorrectNote, *ExcludeNote;
  TConfigurationDialogCtrl* DialogControl;

  void IgnoreEditChange();
  void ExcludeEditChange();
  void ReplaceEditChange();
  void WithEditChange();
  void FillSheets();

private:
  // Room the tab bar leaves beside its tabs.
  static constexpr int TabsMargin = 16;
  void FitTabs();
  void ApplyTexts();
  void WordRule(bool Added);
  static void ShowNote(TLabel* Note, const String& Text);
  int PairRow(const String& Word) const;
  void AddPairRow(const String& Word, const String& Replacement);
  TCustomDictionary* FDictionary = nullptr;
  // The pairs in the list's order (word, replacement).
  std::vector<std::pair<String, String>> FPairs;
  bool FFilling = false;
};

class TNewCustomDictionary : public TForm {
public:
  explicit TNewCustomDictionary(TComponent* AOwner);
  void DialogControlConfigurationAvailable();
  TLabel* EditLabel;
  TEdit* NameEdit;
  TButton *OKButton, *CancelButton;
  TConfigurationDialogCtrl* DialogControl;
};

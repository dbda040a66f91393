#pragma once
// The link between a spelling form and the engine. A form never holds the
// engine: the engine attaches itself to the form's control before showing
// it, and the form does everything through the control. Without an engine
// every operation does nothing or answers a neutral value, so a form can be
// built and laid out on its own.
#include "platform/base/Components.h"
#include "platform/base/Set.h"
#include "platform/base/Strings.h"
#include "platform/gui/Graphics.h"
#include "spell/scConfiguration.h"
#include "spell/scLanguage.h"

#include <functional>
#include <memory>

class TSpellCheckerBase;
class TCustomDictionary;
class TMainDictionary;

// The commands of the spelling forms; each is a bit of the engine's
// CommandsVisible and CommandsEnabled.
enum TSpellDialogCommand {
  sdcIgnore, sdcIgnoreAll, sdcChange, sdcChangeAll, sdcAdd, sdcAutoCorrect, sdcUndo, sdcHelp,
  sdcCancel, sdcOptions, sdcCustomDictionary, sdcCustomDictionaries, sdcConfigOK, sdcAddedEdit,
  sdcAutoCorrectEdit, sdcExcludedEdit, sdcInternalEdit, sdcMainDictFolderBrowse, sdcResetDefaults
};
using TSpellDialogCommands = TSet<TSpellDialogCommand>;
inline const TSpellDialogCommands kAllSpellDialogCommands{
    sdcIgnore, sdcIgnoreAll, sdcChange, sdcChangeAll, sdcAdd, sdcAutoCorrect, sdcUndo,
    sdcHelp, sdcCancel, sdcOptions, sdcCustomDictionary, sdcCustomDictionaries, sdcConfigOK,
    sdcAddedEdit, sdcAutoCorrectEdit, sdcExcludedEdit, sdcInternalEdit, sdcMainDictFolderBrowse,
    sdcResetDefaults};

using TWordPromptEvent = std::function<void(TObject* Sender, const String& Word, bool Repeated)>;

class TConfigurationDialogCtrl : public TComponent {
public:
  explicit TConfigurationDialogCtrl(TComponent* AOwner);

  // Fields: none owned.
  TSpellCheckerBase* SpellChecker = nullptr;
  TCustomDictionary* CustomDictionary = nullptr;
  TSpellConfig* Configuration = nullptr;
  TSpellOptions AvailableOptions;
  TNotifyEvent OnConfigurationAvailable;
  TNotifyEvent OnCustomDictionaryAvailable;
  TWordPromptEvent OnPromptWord;

  String GetVersion() const { return "1.0"; }
  void SetVersion(const String&) {}

  // Only the first engine is taken; later ones are ignored.
  void SetSpellChecker(TSpellCheckerBase* Engine);
  void SetCustomDictionary(TCustomDictionary* Dictionary);
  // The engine's prompt of the word to decide about (as text, UTF-8).
  void PromptWord(TObject* Sender, const String& Word, bool Repeated);

  // --- read-through
  TStrings* GetMainDictionaryFiles();
  TStrings* GetCustomDictionaryFiles();
  TStrings* GetMSWordCustomDictionaries();
  bool UseExcludeWords() const;
  bool CanUndo() const;
  // A check is running, and its text takes no replacements (read-only).
  bool CheckRunning() const;
  bool ReportOnly() const;
  // Why the as-you-type options are greyed ('' when they are not).
  String LiveCheckingHint() const;
  TCustomDictionary* InternalDictionary() const;
  TCustomDictionary* ActiveCustomDictionary() const;
  TSpellDialogCommands CommandsVisible() const;
  TSpellDialogCommands CommandsEnabled() const;
  bool Visible(TSpellDialogCommand C) const { return CommandsVisible().Contains(C); }
  bool Enabled(TSpellDialogCommand C) const { return CommandsEnabled().Contains(C); }
  int HelpCtxSpellDialog() const;
  int HelpCtxConfigDialog() const;
  int HelpCtxDictionariesDialog() const;
  int HelpCtxDictionaryEditDialog() const;
  String GetString(TSpellLanguageString Id) const;
  String GetOptionCaption(TSpellOption Option) const;
  std::unique_ptr<TMainDictionary> OpenMainDictionary(const String& FileName);
  std::unique_ptr<TCustomDictionary> OpenCustomDictionary(const String& FileName);

  // --- forwarded commands
  void ShowConfigDialog();
  void ShowCustomDictionariesDialog();
  void ShowEditCustomDictionaryDialog(TCustomDictionary* Dictionary);
  // False when nothing was added (no engine, or the user cancelled); the
  // engine looks again for dictionaries when a folder was added.
  bool ShowAddDictionaryDir();
  void SetCustomDictionaryListed(const String& FileName, bool Active);
  void SetMSWordDictionaryListed(const String& FileName, bool Active);
  void DeleteCustomDictionary(const String& FileName);
  bool NewCustomDictionary(const String& FileName);
  bool RenameCustomDictionary(const String& OldName, const String& NewName);
  void Ignore();
  void IgnoreAll();
  void Add();
  void Undo();
  void Cancel();
  void IgnoreRepeated();
  void DeleteRepeated();
  void Change(const String& NewWord);
  void ChangeAll(const String& NewWord);
  void AutoCorrect(const String& NewWord);
  void GetSuggestions(const String& Word, TStrings* List);
  void HelpSpellDialog();
  void HelpConfigDialog();
  void HelpDictionariesDialog();
  void HelpDictionaryEditDialog();

private:
  // The engine's form of a word the user typed; false, after telling the
  // user, when it holds a letter the code page lacks.
  bool EngineWord(const String& Text, AnsiString& Word) const;
};

// The first control among Form's owned components, or nullptr.
TConfigurationDialogCtrl* FindDialogControl(TComponent* Form);

#pragma once
// The spell engine: dictionaries, options, ignore filters, word acceptance,
// suggestions, the spelling pop-up menu and the interactive check that
// walks a text through a parser.
#include "platform/base/Components.h"
#include "platform/base/Strings.h"
#include "platform/gui/Graphics.h"
#include "spell/scConfiguration.h"
#include "spell/scConfigurationDialogCtrl.h"
#include "spell/scLanguage.h"
#include "spell/scParserBase.h"
#include "spell/scSuggestions.h"

#include <array>
#include <functional>
#include <memory>
#include <vector>

class TCustomDictionary;
class TMainDictionary;
template <typename TValue>
class TWordCache;
class TSuggestionsGenerator;
class TPhoneticsMap;
class TMainParsingEngine;
class TEventList;
class TCustomForm;
class TPopupMenu;
class TMenuItem;
class TWinControl;

enum TWordCheckType { wcAccepted, wcExcluded, wcCorrected, wcDenied, wcRepeated };
enum TCaseModification { cmNone, cmInitialCaps, cmInitialCapsOrUpcase, cmAnyCase, cmCustom };
enum TSpellUI { suiDialog, suiSilent };
enum TSpellDialogInitialPos {
  ipScreenCenter, ipUnderSelection, ipAvoidControl, ipUserDefined, ipLastUserPos, ipIgnore,
  ipDesktopCenter
};
enum TSpellDialogAvoidPos { saAvoid, saAvoidUpDown, saMove, saMoveUpDown, saNone };
enum TSpellEndMessage { emAlways, emExceptCancel, emNoDialog, emNever };
enum TSpellEndPosition { epHome, epOriginal, epNoModify };
enum TSpellPopupOption {
  spCancel, spDialog, spAutoCorrect, spChangeAll, spAdd, spIgnoreAll, spIgnore, spReplace
};
using TSpellPopupOptions = TSet<TSpellPopupOption>;

// Check types beyond TParseCheckType.
constexpr Byte ctSelectionThenRest = 3;
constexpr Byte ctToEndMark = 4;

// One recorded action of a check.
class TSpellUndo : public TObject {
public:
  int X = 0, Y = 0;
  AnsiString Word, Replacement;
  TSpellAction Action = saIgnore;
  bool Automatic = false;
  int UndoData = 0;
};

class TSpellCheckerBase : public TComponent {
public:
  explicit TSpellCheckerBase(TComponent* AOwner);
  ~TSpellCheckerBase() override;

  // --- worker objects
  virtual void SetParsingEngine(TMainParsingEngine* Engine);
  virtual void SetSuggestionsGenerator(TSuggestionsGenerator* Generator);
  virtual void SetPhoneticsMap(TPhoneticsMap* Map);

  // --- property writers that reload or reopen
  virtual void SetConfigStorage(TConfigStorage Value);
  virtual void SetConfigID(const String& Value);
  virtual void SetConfigFilename(const String& Value);
  virtual void SetConfigRegistryKey(const String& Value);
  virtual void SetConfigDictionaryDir(const TStrings& Value);
  virtual void SetQuoteChars(const AnsiString& Value);
  virtual void SetKeepDictionariesActive(bool Value);
  virtual void SetPhoneticMaxDistance(int Value);
  virtual void SetPhoneticDivisor(int Value);
  virtual void SetPhoneticDepth(int Value);
  virtual void SetMappingDictionaryName(const String& Value);
  virtual void SetSuggestionsLearning(bool Value);
  virtual void SetSuggestionsLearningDict(const String& Value);
  int GetPhoneticMaxDistance() const;
  int GetPhoneticDivisor() const;
  int GetPhoneticDepth() const;

  // --- dictionary handling
  virtual TStrings* GetMainDictionaryFiles();
  virtual TStrings* GetCustomDictionaryFiles();
  virtual TStrings* GetMSWordCustomDictionaries();
  virtual int GetLanguage();
  virtual void ReorderMainDictionaries();
  virtual void OpenDictionaries();
  virtual void FindDictionaryFiles(const String& Ext, TStrings& List);
  virtual void CloseDictionaries();
  virtual void ConfigurationChanged(bool Reload);
  virtual void DictionaryDirChange(TObject* Sender);
  virtual std::unique_ptr<TMainDictionary> OpenMainDictionary(const String& Name);
  virtual std::unique_ptr<TCustomDictionary> OpenCustomDictionary(const String& Name);
  virtual std::unique_ptr<TCustomDictionary> OpenMSWordDictionary(const String& FileName);
  virtual void SetCustomDictionaryListed(const String& Name, bool Listed);
  virtual void SetMSWordDictionaryListed(const String& FileName, bool Listed);
  virtual void DeleteCustomDictionary(const String& Name);
  // Name is what the user typed: false when it is no plain file name (see
  // CustomDictionaryFileName) or the file cannot be made.
  virtual bool NewCustomDictionary(const String& Name);
  virtual bool RenameCustomDictionary(const String& OldName, const String& NewName);
  // A dictionary file that exists but is damaged or not a dictionary: it is
  // left out and the check goes on without it.
  virtual void DictionaryRefused(const String& FileName);
  // The settings file is larger than any could be: it is neither read nor
  // written, and the engine goes on with the standard settings.
  virtual void SettingsRefused(const String& FileName) {}
  virtual void ExpandPath(const String& Path, String& Result);
  virtual void ExpandConfigID(const String& Path, String& Result);
  String ExpandPath(const String& Path);

  // --- options and acceptance
  virtual void ApplyOptions(bool Force);
  virtual bool IsWordInMainDictionaries(const AnsiString& Word);
  virtual bool IsWordInDictionaries(const AnsiString& Word);
  virtual bool IsWordAcceptable(const AnsiString& Word);
  virtual bool IsWordExcluded(const AnsiString& Word);
  virtual bool FindCorrection(const AnsiString& Word, AnsiString& Replacement);
  // A pair of Change All or Auto-Correct (the custom dictionaries') for
  // Word; with OtherCaseForms also one for its lower-case, capitalised or
  // upper-case form, the replacement then in Word's case.
  bool FindTaughtPair(const AnsiString& Word, AnsiString& Replacement, bool OtherCaseForms);
  virtual void ModifyCase(const AnsiString& Word, AnsiString& Result);
  virtual bool IsPossessive(const AnsiString& Word);
  // A word with hyphens whose parts are acceptable ("co-founder").
  bool IsHyphenatedWord(const AnsiString& Word);
  // A word that follows an apostrophe and is written with one ("'til").
  bool IsElidedWord(const AnsiString& Word);
  // The character before Word (the parser stands just after it) is an apostrophe.
  bool FollowsApostrophe(const AnsiString& Word, TControlParser* Parser);
  virtual bool IsRepeatedWord(const AnsiString& Word, TControlParser* Parser);
  virtual void GetString(TSpellLanguageString LanguageString, String& Text);
  String GetString(TSpellLanguageString LanguageString);

  // --- filters
  // Called only while a filter ignores from characters (HasCharIgnore).
  virtual void CharFilter(char Ch, TControlParser* Parser, bool& Skip);
  virtual void WordFilter(const AnsiString& Word, TControlParser* Parser, bool& Skip);
  virtual bool IgnoreWordByFilters(const AnsiString& Word, TControlParser* Parser);
  virtual bool IgnoreLineByFilters(const AnsiString& Line);
  virtual void AddParserIgnore(TParserIgnore* Filter);
  virtual void ClearParserIgnores();
  int ParserIgnoreCount() const { return static_cast<int>(FFilters.size()); }

  // --- suggestions and pop-up menu
  virtual void GetSuggestions(const AnsiString& Word, TStrings* List);
  virtual void BuildSuggestions(const AnsiString& Word, int Max, TStrings* List);
  // The list for one case form, before the case pattern and apostrophes.
  // Names: only the candidates one edit away (the typed form of a
  // capitalised word adds its names to the lower-case form's suggestions).
  void BuildPlainSuggestions(const AnsiString& Word, int Max, TStrings* List, bool Names = false);
  // Puts the taught replacement of Word (FindTaughtPair) first in List.
  void AddTaughtSuggestion(const AnsiString& Word, char Apostrophe, int Max, TStrings* List);
  virtual void IsSuggestionWord(const AnsiString& Word, bool& Valid);
  virtual void LearnCorrection(const AnsiString& Word, const AnsiString& Replacement);
  virtual TSpellPopupOption ShowPopupMenu(TComponent* Owner, TSpellPopupOptions Options, int XPos,
                                          int YPos, AnsiString& Word);
  virtual TObject* CreatePopupMenu(TComponent* Owner);
  virtual TObject* AddPopupMenuItem(TObject* Menu, TObject* SubMenu, const String& Caption,
                                    bool Enable, bool HasChildren, int Tag);
  virtual void DoPopupMenu(TObject* Menu, int XPos, int YPos, int& PopupAction,
                           String& PopupWord);
  virtual void PopupItemClick(TObject* Sender);

  // --- interactive check
  virtual void CheckString(AnsiString& Text);
  // An edit control of the platform layer; rich and plain edits alike.
  virtual void CheckWinControl(TWinControl* Control, Byte CheckType);
  virtual void CheckRichEdit(TWinControl* Control, Byte CheckType);
  virtual int WordCountWinControl(TWinControl* Control, Byte CheckType);
  virtual void CheckParser(TControlParser* Parser, Byte CheckType);
  virtual void CheckParserSilent(TControlParser* Parser, Byte CheckType, bool CheckWords,
                                 bool StopAtFirst, bool& HasErrors, int& ErrorCount,
                                 int& WordCount);
  virtual int WordCountParser(TControlParser* Parser, Byte CheckType);
  virtual int WordCountString(const AnsiString& Text);
  virtual void StartSequenceCheck();
  virtual void StopSequenceCheck();
  virtual void StopCheck(bool Cancelled);
  virtual void CheckSelectionThenRest(TControlParser* Parser);
  virtual void ContinueCheck();
  virtual void CompleteCheck();
  virtual void PromptWord();
  virtual void CreateSpellDialog();
  virtual void ShowSpellDialog();
  virtual void HideSpellDialog();
  virtual void CloseSpellDialog();
  virtual void PositionSpellDialog();
  virtual void PositionDialogAvoidSelection(bool Horizontal, bool Vertical);
  virtual void PositionDialogBesideControl();
  virtual void AvoidSelection();
  virtual void ShowEndMessage();
  // False when the text refused the replacement (the parser did not move
  // past it); the text is then as it was.
  virtual bool ReplaceCurrentWord(const AnsiString& Replacement, int State);
  // A change the text refused is not made: its undo record goes and the
  // word is passed over as Ignore does.
  void ForgetLastUndo();
  void PassOverRefusedWord();
  virtual void IgnoreCurrentWord(int State);
  virtual void AddUndo(TSpellAction Action, const AnsiString& Replacement, bool Automatic);
  virtual void UndoLastAction();
  virtual void ParserUndoLast(int UndoState, TSpellAction UndoAction, int& UndoData);
  virtual void SpellDialogShow(TObject* Sender);
  virtual void SpellDialogDeactivate(TObject* Sender);
  virtual void SpellDialogActivate(TObject* Sender);
  virtual bool CanUndo() const { return !FUndo.empty(); }
  // The current text takes no replacements (read-only): the check reports
  // words and changes and records nothing.
  bool ReportOnly() const;
  virtual void ClearUndo() { FUndo.clear(); }

  // --- dialog commands
  virtual void Ignore();
  virtual void IgnoreAll();
  virtual void Change(const AnsiString& NewWord);
  virtual void ChangeAll(const AnsiString& NewWord);
  virtual void Add();
  virtual void AutoCorrect(const AnsiString& NewWord);
  virtual void Undo();
  virtual void IgnoreRepeated();
  virtual void DeleteRepeated();
  virtual void ResumeCheck();
  virtual void Cancel();

  // --- the dialogs' hooks. AOwner owns the new form (a dialog passes its
  // control). Here only the events run; the dialog component shows forms.
  virtual void ShowConfigDialog(TComponent* AOwner);
  virtual void ShowCustomDictionariesDialog(TComponent* AOwner);
  virtual void ShowEditCustomDictionaryDialog(TComponent* AOwner, TCustomDictionary* Dictionary);
  // A folder chooser; the chosen folder goes to the configuration's new
  // paths. False when nothing was chosen.
  virtual bool ShowAddDictionaryDir(TComponent* AOwner);
  virtual void ApplyUILanguageFonts(TComponent* Form, bool UseTextFont) {}
  // Attaches this engine and Dictionary to the first dialog control Form owns.
  void BindDialogControl(TComponent* Form, TCustomDictionary* Dictionary = nullptr);

  // --- configuration callbacks
  virtual void DoConfigReadString(const String& ConfigID, const String& Key,
                                  const String& Default, String& Value);
  virtual void DoConfigWriteString(const String& ConfigID, const String& Key, const String& Value);
  virtual void DoConfigLoaded();
  virtual void DoConfigSaved();

  // --- state a caller or a test reads
  TSpellConfig& Configuration() { return *FConfig; }
  TCustomDictionary& InternalDictionary() { return *FInternal; }
  TCustomDictionary* ActiveCustomDictionary() const { return FActiveCustom.get(); }
  TCustomDictionary* MappingDictionary() const { return FMapping.get(); }
  TCustomDictionary* LearningDictionary() const { return FLearning.get(); }
  const std::vector<std::unique_ptr<TMainDictionary>>& MainDictionaries() const { return FMain; }
  const std::vector<std::unique_ptr<TCustomDictionary>>& CustomDictionaries() const {
    return FCustom;
  }
  TMainParsingEngine& ParsingEngine() { return *FParsingEngine; }
  TSuggestionsGenerator& SuggestionsGenerator() { return *FGenerator; }
  TPhoneticsMap& PhoneticsMap() { return *FPhonetics; }
  TStrings& DictionaryDirs() { return FDirs; }
  TControlParser* CurrentParser() const { return FParser; }
  const AnsiString& CurrentWord() const { return FCurrentWord; }
  bool CheckRunning() const { return FCheckRunning; }
  bool CheckCancelled() const { return FCheckCancelled; }
  bool TextChanged() const { return FTextChanged; }
  bool RepeatedWord() const { return FRepeated; }
  int WordsChecked() const { return FWordsChecked; }
  const std::vector<std::unique_ptr<TSpellUndo>>& UndoList() const { return FUndo; }
  bool PossessiveFlag() const { return FPossessive; }
  TCustomForm* SpellDialog = nullptr;
  TEventList& OptionsListeners() { return *FOptionsListeners; }
  TEventList& ConfigListeners() { return *FConfigListeners; }
  TEventList& IgnoreWordListeners() { return *FIgnoreListeners; }
  TEventList& PopupResultListeners() { return *FPopupListeners; }
  bool ListenerBefore = false;       // for the ignore listeners
  int ListenerState = 0;
  TSpellPopupOption PopupResult = spCancel;  // for the pop-up listeners
  String Version() const;

  // --- published properties
  TConfigStorage ConfigStorage = csRegistry;
  String ConfigID = "%UserName%";
  String ConfigFilename = "%AppConfig%/%AppName%/Spell.cfg";
  String ConfigRegistryKey = "Software\\Corvessa\\%AppName%";
  TStringList ConfigDictionaryDir;
  TSpellOptions ConfigAvailableOptions{soUpcase, soNumbers, soPrimaryOnly, soRepeated,
                                       soDUalCaps};
  String ConfigUserOption1, ConfigUserOption2, ConfigUserOption3, ConfigUserOption4;
  bool ConfigUseMSWordCustom = true;
  TStringList ConfigDefaultMain;
  TStringList ConfigDefaultCustom;
  String ConfigDefaultActiveCustom = "%ConfigID%.spu";
  TSpellOptions ConfigDefaultOptions{soLiveSpelling, soLiveCorrect, soInternet, soAbbreviations,
                                     soRepeated, soDUalCaps};
  bool ConfigDefaultUseMSWordCustom = false;
  String HelpFile;
  // Why the as-you-type options are greyed in the options dialog: the host
  // checks on request only. Empty for a host that checks as you type.
  String LiveCheckingHint = "This editor checks spelling on request (F7), not as you type.";
  int HelpCtxSpellDialog = 0, HelpCtxConfigDialog = 0, HelpCtxDictionariesDialog = 0,
      HelpCtxDictionaryEditDialog = 0;
  bool SuggestionsAutoReplace = false;
  TSpellDialogCommands CommandsVisible = kAllSpellDialogCommands;
  TSpellDialogCommands CommandsEnabled = kAllSpellDialogCommands;
  bool SuggestionsLearning() const { return FSuggestionsLearning; }
  const String& SuggestionsLearningDict() const { return FSuggestionsLearningDict; }
  bool LiveSpelling() const { return FLiveSpelling; }
  bool LiveCorrect() const { return FLiveCorrect; }
  const AnsiString& QuoteChars() const { return FQuoteChars; }
  TSpellDialogInitialPos DialogInitialPos = ipLastUserPos;
  TSpellDialogAvoidPos DialogSelectionAvoid = saAvoid;
  bool DialogShowImmediate = false;
  bool DialogShowModal = false;
  TSpellEndMessage EndMessage = emExceptCancel;
  TSpellEndPosition EndCursorPosition = epOriginal;
  bool EndMessageWordCount = false;
  int MaxUndo = -1;
  int MaxSuggestions = -1;
  bool KeepDictionariesActive() const { return FKeepActive; }
  bool SynchronousCheck = true;
  bool UseHourglassCursor = true;
  bool PhoneticSuggestions = true;
  // English words that sound as typed, the whole word, reach lists where
  // nothing comes close; off, the lists are those of the spelling alone
  // (the benchmark compares the two).
  bool SoundAlikeSuggestions = true;
  const String& MappingDictionaryName() const { return FMappingName; }
  bool MappingAutoReplace = true;
  bool UseExcludeWords = true;
  bool UseAutoCorrectFirst = false;
  bool RecheckReplacedWords = true;
  bool ResumeFromLastPosition = true;
  TCaseModification AllowedCases = cmInitialCapsOrUpcase;
  TSpellLanguageType UILanguage = ltEnglish;
  TSpellUI UIType = suiSilent;
  bool SecondPhoneticPass = true;

  // --- events
  TNotifyEvent OnConfigChanged, OnConfigLoaded, OnConfigSaved, OnDictionariesChanged;
  std::function<void(TObject*, const String& ConfigID, const String& Key, const String& Default,
                     String& Value)> OnConfigReadString;
  std::function<void(TObject*, const String& ConfigID, const String& Key, const String& Value)>
      OnConfigWriteString;
  std::function<void(TObject*, const AnsiString& Word, TWordCheckType& CheckType,
                     AnsiString& Replacement)> OnWordCheck;
  std::function<void(TObject*, const AnsiString& Word, bool Repeated)> OnPromptWord;
  std::function<void(TObject*, TCustomForm*& SpellForm, bool Create)> OnCreateSpellDialog;
  std::function<void(TObject*, TSpellLanguageString, String& Text)> OnGetString;
  TNotifyEvent OnAddCustomIgnore, OnSpellDialogShow, OnSpellDialogHide, OnPositionDialog,
      OnShowEndMessage, OnCompleteCheck, OnDialogDeactivate, OnDialogActivate,
      OnAdjustPhoneticsMap, OnBeforeChange;
  std::function<void(TObject*, bool Before, const AnsiString& Replacement, int State)>
      OnParserReplaceWord;
  std::function<void(TObject*, bool Before, int State)> OnParserIgnoreWord;
  std::function<void(TObject*, int UndoState, TSpellAction UndoAction, int& UndoData)>
      OnParserUndoLast;
  std::function<void(TObject*, std::unique_ptr<TCustomDictionary>& Dictionary)>
      OnCreateCustomDictionary;
  std::function<void(TObject*, TComponent* Owner, TObject*& PopupMenu)> OnPopupCreateMenu;
  std::function<void(TObject*, TObject* Menu, TObject* SubMenu, const String& Caption,
                     bool Enable, bool HasChildren, int Tag, TObject*& MenuItem)>
      OnPopupAddMenuItem;
  std::function<void(TObject*, TObject* Menu, int XPos, int YPos, int& PopupAction,
                     String& PopupWord)> OnPopupDoMenu;
  std::function<void(TObject*, const AnsiString& Word, AnsiString& ResultWord,
                     TSpellPopupOption& PopupResult)> OnPopupResult;
  std::function<void(TObject*, AnsiString& Word)> OnCaseModification;
  std::function<void(TObject*, const String& FileName)> OnDictionaryRefused;
  // A handler replaces the built-in form.
  std::function<void(TObject*, TComponent* Owner)> OnShowConfigDialog;
  std::function<void(TObject*, TComponent* Owner)> OnShowCustomDictionariesDialog;
  std::function<void(TObject*, TComponent* Owner, TCustomDictionary* Dictionary)>
      OnShowEditCustomDictionaryDialog;
  std::function<void(TObject*, TComponent* Owner)> OnShowAddDictionaryDir;

protected:
  bool FreeParserAtEnd = true;
  bool CloseDialogAtEnd = true;

private:
  void CaretToEnd(bool Cancelled);
  void SetCurrentParser(TControlParser* Parser);
  void SelectReplacementOf(const TSpellUndo& R);
  std::unique_ptr<TCustomDictionary> MakeCustomDictionary();
  // Removes the learned entries an earlier conversion fault damaged.
  void DropMisencodedEntries(TCustomDictionary& Dictionary);
  bool InAnyCustom(const AnsiString& Word);
  // What the dictionaries say of a word whatever its place: 1 accepted,
  // 0 refused, -1 for the other rules (possessives, hyphens, numbers,
  // filters) to decide.
  int DictionaryVerdict(const AnsiString& Word);
  bool OtherwiseAcceptable(const AnsiString& Word);
  // The main dictionary the last look-up found a word in.
  TMainDictionary* FLastMainHit = nullptr;
  // While the generator tries single edits of a word of FNearLength
  // letters: the hashes (sorted) of the lower-case forms of the main
  // dictionaries' words within two edits of it (and of the words added to
  // the other dictionaries, while they are few). A candidate of at least
  // FNearLength - 1 letters (a split's parts are shorter) outside them is in
  // none, and its look-up there is left out; with the added words among
  // them it is not asked at all, so IsSuggestionWord must accept no word
  // that is not a case form of one of these.
  std::vector<uint64_t> FNearHashes;
  std::vector<uint64_t> FNearMain;  // the main dictionaries' part, for FNearKey (lower case)
  TPlaceLetters FNearPlaces;        // and their letters by place, for the generator
  AnsiString FNearKey;
  std::array<uint64_t, 64> FNearBits{};  // a bit per hash's top twelve bits, asked first
  size_t FNearLength = 0;
  bool FNearOnly = false;
  bool MayBeNear(const AnsiString& Word) const;
  // What a check remembers of an accepted word: the main dictionary that
  // holds it (for the usage counts) and its apostrophe (0: none).
  struct TAcceptedWord {
    TMainDictionary* Dictionary = nullptr;
    char Apostrophe = 0;
  };
  std::unique_ptr<TWordCache<TAcceptedWord>> FAccepted;
  // The previous word while the cache holds it (FPreviousWord is then
  // out of date), else nullptr.
  const TAcceptedWord* FPreviousCached = nullptr;
  void RememberPrevious(const TAcceptedWord* Cached);

  std::unique_ptr<TCustomDictionary> FInternal;
  std::unique_ptr<TSuggestionsGenerator> FGenerator;
  std::unique_ptr<TPhoneticsMap> FPhonetics;
  std::unique_ptr<TMainParsingEngine> FParsingEngine;
  TControlParser* FParser = nullptr;
  bool FTextChanged = false, FCheckRunning = false, FCheckCancelled = false;
  AnsiString FCurrentWord;
  TSpellOptions FAppliedOptions;
  bool FPrimaryOnly = false, FRepeatedTest = true, FDualCaps = true, FLiveSpelling = true,
       FLiveCorrect = true;
  std::vector<std::unique_ptr<TMainDictionary>> FMain;
  std::vector<std::unique_ptr<TCustomDictionary>> FCustom, FWordDicts;
  std::unique_ptr<TCustomDictionary> FActiveCustom, FMapping, FLearning;
  std::vector<std::unique_ptr<TParserIgnore>> FFilters;
  std::vector<TParserIgnore*> FParserFilters, FLineFilters, FCharFilters;
  // Gives the splitter the filter calls, leaving out those no filter needs.
  void ConnectFilters(TParsingEngine& Engine);
  bool FPossessive = false;
  bool FDialogShown = false;
  int FWordsChecked = 0, FReorderCountdown = 100;
  std::vector<std::unique_ptr<TSpellUndo>> FUndo;
  bool FInSequence = false;
  int FSavedX = 0, FSavedY = 0;
  bool FDialogDeactivated = false;
  // Where the user moved the caret ahead during a check, the text between
  // the prompted word and the caret was passed over: each such stretch
  // (From up to To, both the parser's positions) is checked after the end
  // of the text, before the check is complete. Only for checks that run to
  // the end of the text.
  struct TSkippedText {
    int FromX, FromY, ToX, ToY;
  };
  std::vector<TSkippedText> FSkipped;
  bool FTrackSkipped = false;
  // The first character of the word prompted last.
  bool FPrompted = false;
  int FPromptX = 0, FPromptY = 0;
  // Walking a passed-over stretch: a word from its end on was checked.
  bool FInSkipped = false;
  int FSkippedEndX = 0, FSkippedEndY = 0;
  // Takes up the next passed-over stretch; false when none is left.
  bool StartSkippedText();
  // Whether the word just read starts at or after the end of the stretch.
  bool PastSkippedEnd();
  // The walk now goes on from (X, Y): notes what the move passed over and
  // drops what the walk will read again anyway.
  void NoteResumedAt(int X, int Y);
  TStringList FDirs;
  std::unique_ptr<TSpellConfig> FConfig;
  TStringList FMainFiles, FCustomFiles, FWordFiles;
  // Set by DictionaryRefused: whether a file was refused since cleared, and
  // whether only for now (it has grown too large, and may shrink again).
  bool FRefusedOne = false;
  bool FRefusedForNow = false;
  bool FSavedCloseDialog = true, FSavedKeepActive = false;
  AnsiString FPreviousWord;
  // The apostrophe the user writes, as last seen in checked text.
  char FApostrophe = '\'';
  bool FRepeated = false;
  bool FPopupActive = false;
  int FPopupTag = 0;
  String FPopupCaption;
  std::unique_ptr<TEventList> FOptionsListeners, FConfigListeners, FIgnoreListeners,
      FPopupListeners;
  TNotifyEvent FSavedShow, FSavedActivate, FSavedDeactivate;

  bool FSuggestionsLearning = true;
  String FSuggestionsLearningDict = "%AppData%/%AppName%/%UserName%_sp.spl";
  AnsiString FQuoteChars = ">";
  bool FKeepActive = false;
  String FMappingName;
};

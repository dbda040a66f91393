#pragma once
// The thesaurus component: finds the word at a parser's caret, looks it up
// in the thesaurus file, lets a dialog (or the events alone) choose a
// replacement and puts it into the text.
#include "platform/base/Components.h"
#include "platform/base/Set.h"
#include "platform/gui/Graphics.h"
#include "spell/scParserBase.h"
#include "spell/scThesaurusFile.h"
#include "spell/scThesaurusLanguage.h"

#include <functional>
#include <memory>

class TMainParsingEngine;
class TCustomForm;
class TWinControl;

enum TDialogDoubleClickAction { dcaNone, dcaReplace, dcaLookup };
enum TThesaurusDialogCommand { tdcLookedUp, tdcPrevious, tdcLookup, tdcReplace, tdcClose };
using TThesaurusDialogCommands = TSet<TThesaurusDialogCommand>;

class TThesaurusBase : public TComponent {
public:
  explicit TThesaurusBase(TComponent* AOwner);
  ~TThesaurusBase() override;

  virtual void SetFilename(const String& Value);
  virtual void SetParsingEngine(TMainParsingEngine* Engine);
  virtual void PositionDialog();
  virtual void Execute(const AnsiString& Word, AnsiString& Replacement);
  virtual void PromptLookup();
  virtual void DialogShown(TObject* Sender);
  virtual void CreateDialog();
  virtual bool LookupParser(TControlParser* Parser);
  virtual void LookupString(const AnsiString& Word, AnsiString& Replacement);
  virtual void LookupControl(TWinControl* Control);
  virtual void GetString(TThesaurusLanguageString LanguageString, String& Text);
  String GetString(TThesaurusLanguageString LanguageString);
  virtual void PromptContext(int Index);
  // The words a meaning offers: the list of the kind it was found under, then
  // its other lists (synonyms, related, similar, broader), each word once.
  // A meaning found by its head (kind 0) offers the list that holds its head,
  // else its longest list.
  static std::vector<AnsiString> ContextWords(const TThesaurusEntry& Entry);
  // Orders the meanings of a look-up of Word, Word's own senses first;
  // drops a meaning that offers no other word and merges one whose words
  // all lie in another's; names each by its first synonyms other than Word,
  // as many as tell it from the others.
  static void NameMeanings(const AnsiString& Word, std::vector<std::unique_ptr<TThesaurusEntry>>& Results);
  virtual void LookupWord(const AnsiString& Word);
  virtual void ChooseReplacement(const AnsiString& Word);
  virtual void DoubleClickWord(const AnsiString& Word);
  virtual void CloseDialog();
  // The thesaurus file is missing, damaged or not a thesaurus.
  virtual void FileRefused();

  const String& Filename() const { return FFilename; }
  TThesaurusFile& ThesaurusFile() { return *FFile; }
  TMainParsingEngine& ParsingEngine() { return *FParsingEngine; }
  const TRect& SelectionRect() const { return FSelectionRect; }
  String Version() const;

  bool SortedLists = false;
  TDialogDoubleClickAction DoubleClickAction = dcaLookup;
  TThesaurusLanguageType UILanguage = TThesaurusLanguageType::ltEnglish;
  TThesaurusDialogCommands CommandsEnabled{tdcLookedUp, tdcPrevious, tdcLookup, tdcReplace,
                                           tdcClose};
  TThesaurusDialogCommands CommandsVisible{tdcLookedUp, tdcPrevious, tdcLookup, tdcReplace,
                                           tdcClose};
  String HelpFile;
  int HelpCtxThesaurusDialog = 0;

  std::function<void(TObject*, TCustomForm*& ThesaurusForm, bool Create)> OnCreateThesaurusDialog;
  std::function<void(TObject*, const AnsiString& Word,
                     std::vector<std::unique_ptr<TThesaurusEntry>>& ContextList)>
      OnPromptLookup;
  std::function<void(TObject*, std::vector<AnsiString>& Words)> OnPromptContext;
  TNotifyEvent OnBeforeChange;
  TNotifyEvent OnFileRefused;
  std::function<void(TObject*, TThesaurusLanguageString, String& Text)> OnGetString;

protected:
  TCustomForm* FDialog = nullptr;

private:
  std::unique_ptr<TMainParsingEngine> FParsingEngine;
  std::unique_ptr<TThesaurusFile> FFile;
  bool FBusy = false;
  TRect FSelectionRect{-1, -1, -1, -1};
  TNotifyEvent FSavedShow;
  AnsiString FReplacement;
  String FFilename = "%AppDir%/Wordhoard.spt";
};

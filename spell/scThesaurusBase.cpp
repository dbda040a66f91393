#include "spell/scThesaurusBase.h"

#include "platform/gui/Forms.h"
#include "spell/scParseEngine.h"
#include "spell/scUtil.h"
#include "spell/scWinAPIParser.h"

#include <algorithm>

TThesaurusBase::TThesaurusBase(TComponent* AOwner)
    : TComponent(AOwner),
      FParsingEngine(std::make_unique<TMainParsingEngine>()),
      FFile(std::make_unique<TThesaurusFile>()) {
  FFile->SetFileName(ExpandPathMacros(FFilename));
}

TThesaurusBase::~TThesaurusBase() = default;

String TThesaurusBase::Version() const {
  String v;
  GetLibraryVersion(v);
  return v;
}

void TThesaurusBase::SetFilename(const String& Value) {
  FFilename = Value;
  FFile->SetFileName(ExpandPathMacros(Value));
}

void TThesaurusBase::SetParsingEngine(TMainParsingEngine* Engine) {
  if (Engine) FParsingEngine.reset(Engine);
}

void TThesaurusBase::GetString(TThesaurusLanguageString LanguageString, String& Text) {
  Text = GetThesaurusLanguageString(static_cast<int>(LanguageString), static_cast<int>(UILanguage));
  if (OnGetString) OnGetString(this, LanguageString, Text);
  if (LanguageString == TThesaurusLanguageString::lsThesaurus)
    ReplaceMacro("%name%", FFile->Name(), Text, Text);
}

String TThesaurusBase::GetString(TThesaurusLanguageString LanguageString) {
  String t;
  GetString(LanguageString, t);
  return t;
}

bool TThesaurusBase::LookupParser(TControlParser* Parser) {
  if (!Parser) return false;
  FParsingEngine->Initialize(Parser, ctFromCursor);
  AnsiString word;
  FParsingEngine->NextWord(word);
  if (word.empty()) return false;
  Parser->SelectWord(static_cast<int>(word.size()));
  Parser->GetSelectionScreenRect(FSelectionRect);
  AnsiString replacement;
  Execute(word, replacement);
  if (!replacement.empty()) {
    if (OnBeforeChange) OnBeforeChange(this);
    Parser->ReplaceWord(replacement, 0);
  }
  return true;
}

void TThesaurusBase::LookupControl(TWinControl* Control) {
  TWinAPIControlParser parser;
  parser.Initialize(Control);
  LookupParser(&parser);
}

void TThesaurusBase::LookupString(const AnsiString& Word, AnsiString& Replacement) {
  FSelectionRect = TRect(-1, -1, -1, -1);
  Execute(Word, Replacement);
}

void TThesaurusBase::Execute(const AnsiString& Word, AnsiString& Replacement) {
  if (FBusy) return;
  FBusy = true;
  const bool wasActive = FFile->Active();
  const TCursor savedCursor = Screen ? Screen->GetCursor() : crDefault;
  if (Screen) Screen->SetCursor(crHourGlass);
  FFile->Lookup(Word);
  if (!FFile->Active()) FileRefused();
  if (FFile->Active()) {
    FDialog = nullptr;
    if (OnCreateThesaurusDialog)
      OnCreateThesaurusDialog(this, FDialog, true);
    else
      CreateDialog();
    FReplacement.clear();
    if (FDialog) {
      FDialog->HelpContext = HelpCtxThesaurusDialog;
      FSavedShow = FDialog->OnShow;
      FDialog->OnShow = [this](TObject* s) { DialogShown(s); };
      PositionDialog();
      FDialog->ShowModal();
      FDialog->OnShow = FSavedShow;
    } else {
      PromptLookup();
    }
    Replacement = FReplacement;
    if (FDialog) {
      if (OnCreateThesaurusDialog)
        OnCreateThesaurusDialog(this, FDialog, false);
      else
        FDialog->Release();
      FDialog = nullptr;
    }
  }
  if (Screen) Screen->SetCursor(savedCursor);
  FFile->SetActive(wasActive);
  FBusy = false;
}

void TThesaurusBase::CreateDialog() {}

void TThesaurusBase::FileRefused() {
  if (OnFileRefused) OnFileRefused(this);
}

void TThesaurusBase::DialogShown(TObject* Sender) {
  PromptLookup();
  if (FSavedShow) FSavedShow(Sender);
  if (Screen) Screen->SetCursor(crDefault);
}

void TThesaurusBase::PositionDialog() {
  if (!FDialog) return;
  if (FSelectionRect.Left == -1 && FSelectionRect.Top == -1)
    FDialog->Position = poOwnerFormCenter;
  else
    PlaceDialogBeside(FDialog, FSelectionRect, true, true);
}

void TThesaurusBase::PromptLookup() {
  auto& results = FFile->Results();
  if (SortedLists)
    std::stable_sort(results.begin(), results.end(),
                     [](const auto& a, const auto& b) { return a->Word < b->Word; });
  if (OnPromptLookup) OnPromptLookup(this, FFile->LastWord(), results);
}

void TThesaurusBase::PromptContext(int Index) {
  auto& results = FFile->Results();
  if (Index < 0 || Index >= static_cast<int>(results.size())) return;
  const TThesaurusEntry& e = *results[static_cast<size_t>(Index)];
  std::vector<AnsiString> words;
  if (e.Kind >= 1 && e.Kind <= 4) {
    words = e.Lists[e.Kind - 1];
  } else {
    const AnsiString head = SpellLower(e.Word);
    int chosen = -1;
    for (int l = 0; l < 4 && chosen < 0; ++l)
      if (std::find(e.Lists[l].begin(), e.Lists[l].end(), head) != e.Lists[l].end()) chosen = l;
    if (chosen < 0) {
      chosen = 0;
      for (int l = 1; l < 4; ++l)
        if (e.Lists[l].size() > e.Lists[chosen].size()) chosen = l;
    }
    words = e.Lists[chosen];
  }
  if (SortedLists) std::sort(words.begin(), words.end());
  if (OnPromptContext) OnPromptContext(this, words);
}

void TThesaurusBase::LookupWord(const AnsiString& Word) {
  FFile->Lookup(Word);
  PromptLookup();
}

void TThesaurusBase::ChooseReplacement(const AnsiString& Word) {
  FReplacement = Word;
  if (FDialog) FDialog->ModalResult = mrOk;
}

void TThesaurusBase::DoubleClickWord(const AnsiString& Word) {
  switch (DoubleClickAction) {
    case dcaLookup: LookupWord(Word); break;
    case dcaReplace: ChooseReplacement(Word); break;
    case dcaNone: break;
  }
}

void TThesaurusBase::CloseDialog() {
  if (FDialog) FDialog->ModalResult = mrCancel;
}

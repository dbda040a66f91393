#include "spell/scThesaurusBase.h"

#include "platform/gui/Forms.h"
#include "spell/scParseEngine.h"
#include "spell/scUtil.h"
#include "spell/scWinAPIParser.h"

#include <algorithm>
#include <set>

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
  // At the end of a paragraph (or with only marks and spaces after the
  // caret in it) the user means the word before the caret, not the next
  // paragraph's first word.
  int x = 0, y = 0;
  Parser->GetPosition(x, y);
  AnsiString line;
  Parser->GetLine(line);
  if (x >= 0 && static_cast<size_t>(x) <= line.size()) {
    const auto wordAhead = std::any_of(line.begin() + x, line.end(),
                                       [this](char c) { return FParsingEngine->IsWordStart(c); });
    int last = std::min(x, static_cast<int>(line.size())) - 1;
    while (last >= 0 && !FParsingEngine->IsWordChar(line[static_cast<size_t>(last)])) --last;
    if (!wordAhead && last >= 0) FParsingEngine->StartAt(last, y);
  }
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

std::vector<AnsiString> TThesaurusBase::ContextWords(const TThesaurusEntry& e) {
  std::vector<AnsiString> words;
  auto add = [&](const std::vector<AnsiString>& list) {
    for (const AnsiString& w : list)
      if (std::find(words.begin(), words.end(), w) == words.end()) words.push_back(w);
  };
  if (e.Kind == 1) {
    for (int l : {0, 3, 1, 2}) add(e.Lists[l]);
    return words;
  }
  // The word is only similar, narrower or related to another word's sense:
  // that sense's own words are what it offers. Its other similar or
  // related words are that word's neighbours, not this one's ("sad" is
  // similar to "bad", "pretty" is not).
  if (e.Kind >= 2 && e.Kind <= 4) {
    add(e.Lists[0]);
    return words;
  }
  const AnsiString head = SpellLower(e.Word);
  int chosen = -1;
  for (int l = 0; l < 4 && chosen < 0; ++l)
    if (std::find(e.Lists[l].begin(), e.Lists[l].end(), head) != e.Lists[l].end()) chosen = l;
  if (chosen < 0) {
    chosen = 0;
    for (int l = 1; l < 4; ++l)
      if (e.Lists[l].size() > e.Lists[chosen].size()) chosen = l;
  }
  return e.Lists[chosen];
}

void TThesaurusBase::NameMeanings(const AnsiString& Word, std::vector<std::unique_ptr<TThesaurusEntry>>& Results) {
  const AnsiString looked = SpellLower(Word);
  // The word's own senses (it is one of the meaning's synonyms) before the
  // meanings of other words that list it as similar or related.
  auto rank = [](const TThesaurusEntry& e) { return e.Kind == 1 ? 0 : e.Kind == 2 ? 1 : e.Kind == 4 ? 2 : 3; };
  std::stable_sort(Results.begin(), Results.end(),
                   [&](const auto& a, const auto& b) { return rank(*a) < rank(*b); });
  // Each meaning's words other than the word looked up.
  auto others = [&](const std::vector<AnsiString>& list) {
    std::vector<AnsiString> words;
    for (const AnsiString& w : list)
      if (SpellLower(w) != looked && std::find(words.begin(), words.end(), w) == words.end()) words.push_back(w);
    return words;
  };
  std::vector<std::vector<AnsiString>> offered;
  std::vector<std::set<AnsiString>> sets;
  for (const auto& e : Results) {
    offered.push_back(others(ContextWords(*e)));
    sets.emplace_back(offered.back().begin(), offered.back().end());
  }
  // A meaning that offers nothing but the word itself goes; one whose words
  // all lie in another's is merged with it: the earlier of the two stays,
  // with its name, and offers the words of both.
  auto drop = [&](size_t i) {
    Results.erase(Results.begin() + static_cast<long>(i));
    offered.erase(offered.begin() + static_cast<long>(i));
    sets.erase(sets.begin() + static_cast<long>(i));
  };
  auto merge = [&](size_t keep, size_t gone) {
    TThesaurusEntry& k = *Results[keep];
    const TThesaurusEntry& g = *Results[gone];
    // Only what the other offers joins (its lists may hold words of
    // neighbouring senses that it does not offer); the name stays the
    // keeper's.
    const std::vector<AnsiString> had = ContextWords(k);
    auto& into = k.Lists[k.Kind == 1 ? 1 : 0];
    for (const AnsiString& w : ContextWords(g))
      if (std::find(had.begin(), had.end(), w) == had.end() && std::find(into.begin(), into.end(), w) == into.end())
        into.push_back(w);
    offered[keep] = others(ContextWords(k));
    sets[keep].insert(sets[gone].begin(), sets[gone].end());
    drop(gone);
  };
  for (size_t i = 0; i < Results.size();) {
    if (sets[i].empty()) {
      drop(i);
      continue;
    }
    size_t into = Results.size();
    for (size_t j = 0; j < Results.size() && into == Results.size(); ++j)
      if (j != i && (sets[i].size() < sets[j].size() || (sets[i].size() == sets[j].size() && j < i)) &&
          std::includes(sets[j].begin(), sets[j].end(), sets[i].begin(), sets[i].end()))
        into = j;
    if (into == Results.size()) {
      ++i;
      continue;
    }
    if (into > i)
      merge(i, into);
    else
      merge(into, i);
    i = 0;  // a merge may make another meaning a part of this one
  }
  // A meaning is named by its synonyms, the words nearest the headword,
  // then by the rest of what it offers where that is needed to tell it apart.
  std::vector<std::vector<AnsiString>> naming;
  for (size_t i = 0; i < Results.size(); ++i) {
    std::vector<AnsiString> words = others(Results[i]->Lists[0]);
    for (const AnsiString& w : offered[i])
      if (std::find(words.begin(), words.end(), w) == words.end()) words.push_back(w);
    naming.push_back(std::move(words));
  }
  // Two words each, more where two meanings start alike; a meaning whose
  // words are all shown and still alike adds its kind, then its head.
  constexpr size_t kFirstWords = 2;
  std::vector<size_t> count(Results.size(), kFirstWords);
  std::vector<int> extra(Results.size(), 0);
  auto caption = [&](size_t i) {
    const auto& words = naming[i];
    const TThesaurusEntry& e = *Results[i];
    AnsiString c;
    for (size_t k = 0; k < std::min(count[i], words.size()); ++k) c += (k ? ", " : "") + words[k];
    if (count[i] < words.size()) c += ", \xE2\x80\xA6";
    if (c.empty()) c = e.Word;
    if (extra[i] >= 1 && !e.KindName.empty()) c += "  (" + e.KindName + ")";
    if (extra[i] >= 2) c += "  [" + e.Word + "]";
    return c;
  };
  for (bool changed = true; changed;) {
    changed = false;
    for (size_t i = 0; i < Results.size(); ++i)
      for (size_t j = i + 1; j < Results.size(); ++j)
        if (caption(i) == caption(j))
          for (size_t k : {i, j}) {
            if (count[k] < naming[k].size())
              ++count[k];
            else if (extra[k] < 2)
              ++extra[k];
            else
              continue;
            changed = true;
          }
  }
  for (size_t i = 0; i < Results.size(); ++i) Results[i]->Caption = caption(i);
}

void TThesaurusBase::PromptLookup() {
  auto& results = FFile->Results();
  NameMeanings(FFile->LastWord(), results);
  if (SortedLists)
    std::stable_sort(results.begin(), results.end(),
                     [](const auto& a, const auto& b) { return a->Word < b->Word; });
  if (OnPromptLookup) OnPromptLookup(this, FFile->LastWord(), results);
}

void TThesaurusBase::PromptContext(int Index) {
  auto& results = FFile->Results();
  if (Index < 0 || Index >= static_cast<int>(results.size())) return;
  std::vector<AnsiString> words = ContextWords(*results[static_cast<size_t>(Index)]);
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

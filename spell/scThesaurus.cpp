#include "spell/scThesaurus.h"

#include "platform/base/SysUtils.h"
#include "platform/gui/Dialogs.h"
#include "spell/scUtil.h"

namespace {
template <typename T>
T* Make(TThesDialog* form, const char* name, int left, int top, int width, int height) {
  T* c = new T(form);
  c->SetName(name);
  c->SetParent(form);
  c->SetBounds(left, top, width, height);
  return c;
}
}  // namespace

TThesDialog::TThesDialog(TComponent* AOwner) : TForm(AOwner) {
  SetBorderStyle(bsDialog);
  SetWidth(361);
  SetHeight(211);
  LookedUpLabel = Make<TLabel>(this, "LookedUpLabel", 8, 6, 161, 16);
  LookupCombo = Make<TComboBox>(this, "LookupCombo", 8, 24, 161, 21);
  LookupCombo->SetStyle(csDropDownList);
  ContextsLabel = Make<TLabel>(this, "ContextsLabel", 8, 54, 161, 16);
  ContextLV = Make<TListBox>(this, "ContextLV", 8, 72, 161, 105);
  ReplaceWithLabel = Make<TLabel>(this, "ReplaceWithLabel", 184, 6, 169, 16);
  ReplaceEdit = Make<TEdit>(this, "ReplaceEdit", 184, 24, 169, 21);
  WordList = Make<TListBox>(this, "WordList", 184, 50, 169, 127);
  PreviousButton = Make<TButton>(this, "PreviousButton", 8, 184, 75, 23);
  LookupButton = Make<TButton>(this, "LookupButton", 94, 184, 75, 23);
  ReplaceButton = Make<TButton>(this, "ReplaceButton", 192, 184, 75, 23);
  CloseButton = Make<TButton>(this, "CloseButton", 278, 184, 75, 23);
  CloseButton->Cancel = true;
  LookedUpLabel->SetFocusControl(LookupCombo);
  ContextsLabel->SetFocusControl(ContextLV);
  ReplaceWithLabel->SetFocusControl(ReplaceEdit);
  int tab = 0;
  for (TWinControl* c : std::initializer_list<TWinControl*>{LookupCombo, ContextLV, ReplaceEdit, WordList,
                                                             PreviousButton, ReplaceButton, CloseButton,
                                                             LookupButton})
    c->SetTabOrder(tab++);
  for (TButton* b : {PreviousButton, LookupButton, ReplaceButton}) b->SetEnabled(false);

  ContextLV->OnClick = [this](TObject*) {
    if (!FFilling) SelectContext(ContextLV->GetItemIndex());
  };
  WordList->OnClick = [this](TObject*) {
    if (!FFilling) SelectWord(WordList->GetItemIndex());
  };
  WordList->OnDblClick = [this](TObject*) {
    const int i = WordList->GetItemIndex();
    if (FThesaurus && i >= 0 && i < static_cast<int>(FWords.size()))
      FThesaurus->DoubleClickWord(FWords[static_cast<size_t>(i)]);
  };
  ReplaceEdit->OnChange = [this](TObject*) { ReplaceEditChange(); };
  LookupCombo->OnChange = [this](TObject*) {
    const int i = LookupCombo->GetItemIndex();
    if (!FFilling && FThesaurus && i >= 0) FThesaurus->LookupWord(SpellWordFromText(LookupCombo->Items().Get(i)));
  };
  LookupButton->OnClick = [this](TObject*) {
    if (FThesaurus && !ReplaceEdit->GetText().empty()) FThesaurus->LookupWord(SpellWordFromText(ReplaceEdit->GetText()));
  };
  PreviousButton->OnClick = [this](TObject*) { Previous(); };
  ReplaceButton->OnClick = [this](TObject*) {
    AnsiString w;
    if (FThesaurus && !ReplaceEdit->GetText().empty() && ReplacementWord(ReplaceEdit->GetText(), w))
      FThesaurus->ChooseReplacement(w);
  };
  CloseButton->OnClick = [this](TObject*) {
    if (FThesaurus) FThesaurus->CloseDialog();
    ModalResult = mrCancel;
  };
}

AnsiString TThesDialog::LookedUp() const {
  return LookupCombo->Items().Count() > 0 ? SpellWordFromText(LookupCombo->Items().Get(0)) : AnsiString();
}

String TThesDialog::CaptionText(const AnsiString& Caption) {
  // Captions are words of the code page joined by an ellipsis in UTF-8.
  static const AnsiString kEllipsis = "\xE2\x80\xA6";
  String text;
  size_t from = 0;
  for (size_t at; (at = Caption.find(kEllipsis, from)) != AnsiString::npos; from = at + kEllipsis.size())
    text += SpellWordToText(Caption.substr(from, at - from)) + kEllipsis;
  return text + SpellWordToText(Caption.substr(from));
}

bool TThesDialog::ReplacementWord(const String& Text, AnsiString& Word) {
  if (IsInvisibleText(Text)) return false;
  bool lossless = true;
  Word = SpellWordFromText(Text, &lossless);
  if (lossless) return true;
  MessageBox(ReplacementRefusedText(Text), FThesaurus->GetString(TThesaurusLanguageString::lsThesaurus),
             MB_OK | MB_ICONWARNING);
  return false;
}

bool TThesDialog::Has(TThesaurusDialogCommand C) const {
  return FThesaurus && FThesaurus->CommandsEnabled.Contains(C);
}

void TThesDialog::Setup(TThesaurus* AThesaurus) {
  FThesaurus = AThesaurus;
  if (!FThesaurus) return;
  using S = TThesaurusLanguageString;
  auto text = [this](S s) { return FThesaurus->GetString(s); };
  SetText(text(S::lsThesaurus));
  LookedUpLabel->SetText(text(S::lsDlgLookedUp));
  ContextsLabel->SetText(text(S::lsDlgContexts));
  ReplaceWithLabel->SetText(text(S::lsDlgReplaceWith));
  PreviousButton->SetText(text(S::lsDlgPrevious));
  LookupButton->SetText(text(S::lsDlgLookup));
  ReplaceButton->SetText(text(S::lsDlgReplace));
  CloseButton->SetText(text(S::lsDlgClose));
  CloseButton->SetEnabled(Has(tdcClose));
  LookedUpLabel->SetEnabled(Has(tdcLookedUp));
  LookupCombo->SetEnabled(Has(tdcLookedUp));
  const TThesaurusDialogCommands& visible = FThesaurus->CommandsVisible;
  if (!visible.Contains(tdcLookedUp)) {
    LookedUpLabel->SetVisible(false);
    LookupCombo->SetVisible(false);
    const int d = ContextsLabel->GetTop() - LookedUpLabel->GetTop();
    ContextsLabel->SetTop(ContextsLabel->GetTop() - d);
    ContextLV->SetBounds(ContextLV->GetLeft(), ContextLV->GetTop() - d, ContextLV->GetWidth(),
                         ContextLV->GetHeight() + d);
  }
  PreviousButton->SetVisible(visible.Contains(tdcPrevious));
  LookupButton->SetVisible(visible.Contains(tdcLookup));
  ReplaceButton->SetVisible(visible.Contains(tdcReplace));
  CloseButton->SetVisible(visible.Contains(tdcClose));
}

void TThesDialog::PromptLookup(const AnsiString& Word,
                               const std::vector<std::unique_ptr<TThesaurusEntry>>& Contexts) {
  FFilling = true;
  TStrings& history = LookupCombo->Items();
  const String word = SpellWordToText(Word);
  const int at = history.IndexOf(word);
  if (at >= 0) history.Delete(at);
  if (!Word.empty()) {
    history.Insert(0, word);
    LookupCombo->SetItemIndex(0);
  } else {
    LookupCombo->SetItemIndex(-1);
  }
  ContextLV->Clear();
  for (const auto& c : Contexts)
    ContextLV->Items().Add(CaptionText(!c->Caption.empty() ? c->Caption
                                       : c->KindName.empty() ? c->Word
                                                             : c->Word + "  (" + c->KindName + ")"));
  FFilling = false;
  ContextLV->SetEnabled(!Contexts.empty());
  if (Contexts.empty()) {
    ContextLV->Items().Add(FThesaurus ? FThesaurus->GetString(TThesaurusLanguageString::lsDlgNotFound) : "");
    WordList->Clear();
    FWords.clear();
  } else {
    FFilling = true;
    ContextLV->SetItemIndex(0);
    FFilling = false;
    SelectContext(0);
  }
  PreviousButton->SetEnabled(history.Count() > 1 && Has(tdcPrevious));
}

void TThesDialog::SelectContext(int Index) {
  if (FThesaurus && Index >= 0) FThesaurus->PromptContext(Index);
}

void TThesDialog::PromptContext(const std::vector<AnsiString>& Words) {
  FFilling = true;
  FWords = Words;
  WordList->Clear();
  for (const AnsiString& w : Words) WordList->Items().Add(SpellWordToText(w));
  const AnsiString looked = LookedUp();
  int own = -1;
  for (size_t i = 0; i < Words.size() && own < 0; ++i)
    if (SpellLower(Words[i]) == SpellLower(looked)) own = static_cast<int>(i);
  if (own >= 0) {
    WordList->SetItemIndex(own);
    ReplaceEdit->SetText("");
  }
  FFilling = false;
  LookupButton->SetEnabled(false);
  ReplaceButton->SetEnabled(false);
}

void TThesDialog::SelectWord(int Index) {
  if (Index < 0 || Index >= static_cast<int>(FWords.size())) return;
  const AnsiString& w = FWords[static_cast<size_t>(Index)];
  ReplaceEdit->SetText(SpellLower(w) == SpellLower(LookedUp()) ? String() : SpellWordToText(w));
}

void TThesDialog::ReplaceEditChange() {
  // Text that shows nothing is no word to look up or put in.
  const bool t = !IsInvisibleText(ReplaceEdit->GetText());
  LookupButton->SetEnabled(t && Has(tdcLookup));
  ReplaceButton->SetEnabled(t && Has(tdcReplace));
}

void TThesDialog::Previous() {
  TStrings& history = LookupCombo->Items();
  if (!FThesaurus || history.Count() < 2) return;
  history.Delete(0);
  FThesaurus->LookupWord(SpellWordFromText(history.Get(0)));
}

// ---------------------------------------------------------------------------

TThesaurus::TThesaurus(TComponent* AOwner) : TThesaurusBase(AOwner) {}

void TThesaurus::CreateDialog() {
  auto* d = new TThesDialog(this);
  d->Setup(this);
  d->OnShow = [this](TObject*) {
    if (OnDialogShown) OnDialogShown(this);
  };
  FDialog = d;
}

void TThesaurus::PromptLookup() {
  TThesaurusBase::PromptLookup();
  if (TThesDialog* d = Dialog()) d->PromptLookup(ThesaurusFile().LastWord(), ThesaurusFile().Results());
}

void TThesaurus::PromptContext(int Index) {
  auto& results = ThesaurusFile().Results();
  if (Index < 0 || Index >= static_cast<int>(results.size())) return;
  // The words reach the dialog through the event the base fires.
  auto saved = OnPromptContext;
  OnPromptContext = [this, saved](TObject* s, std::vector<AnsiString>& words) {
    if (saved) saved(s, words);
    if (TThesDialog* d = Dialog()) d->PromptContext(words);
  };
  TThesaurusBase::PromptContext(Index);
  OnPromptContext = saved;
}

void TThesaurus::FileRefused() {
  TThesaurusBase::FileRefused();
  if (OnFileRefused) return;
  const String name = ThesaurusFile().FileName();
  MessageBox(TooLargeToRead(name) ? TooLargeFileText("thesaurus file", "thesaurus", name, "nothing is looked up in it")
                                  : "The thesaurus file\r\n" + name + "\r\nis missing, damaged or not a thesaurus.",
             GetString(TThesaurusLanguageString::lsThesaurus), MB_OK | MB_ICONWARNING);
}

#include "spell/scSpellDialog.h"

#include "spell/scUtil.h"

#include <algorithm>

namespace {
template <typename T>
T* Make(TSpellDialog* form, const char* name, int left, int top, int width, int height) {
  T* c = new T(form);
  c->SetName(name);
  c->SetParent(form);
  c->SetBounds(left, top, width, height);
  return c;
}
}  // namespace

TSpellDialog::TSpellDialog(TComponent* AOwner) : TForm(AOwner) {
  SetBorderStyle(bsDialog);
  SetWidth(432);
  SetHeight(167);
  NotFoundText = Make<TLabel>(this, "NotFoundText", 8, 11, 92, 16);
  ReplaceWithText = Make<TLabel>(this, "ReplaceWithText", 8, 38, 92, 16);
  SuggestionsText = Make<TLabel>(this, "SuggestionsText", 8, 65, 92, 16);
  NotFoundEdit = Make<TEdit>(this, "NotFoundEdit", 104, 8, 140, 21);
  NotFoundEdit->SetReadOnly(true);
  NotFoundEdit->TabStop = false;
  ReplaceWithEdit = Make<TEdit>(this, "ReplaceWithEdit", 104, 35, 140, 21);
  SuggestionsListbox = Make<TListBox>(this, "SuggestionsListbox", 104, 62, 140, 99);
  IgnoreButton = Make<TButton>(this, "IgnoreButton", 252, 8, 85, 23);
  IgnoreAllButton = Make<TButton>(this, "IgnoreAllButton", 340, 8, 85, 23);
  ChangeButton = Make<TButton>(this, "ChangeButton", 252, 35, 85, 23);
  ChangeAllButton = Make<TButton>(this, "ChangeAllButton", 340, 35, 85, 23);
  AddButton = Make<TButton>(this, "AddButton", 252, 62, 85, 23);
  AutoCorrectButton = Make<TButton>(this, "AutoCorrectButton", 340, 62, 85, 23);
  HelpButton = Make<TButton>(this, "HelpButton", 252, 138, 85, 23);
  UndoButton = Make<TButton>(this, "UndoButton", 8, 111, 85, 23);
  CancelButton = Make<TButton>(this, "CancelButton", 340, 138, 85, 23);
  CancelButton->Cancel = true;
  OptionsButton = Make<TButton>(this, "OptionsButton", 8, 138, 85, 23);
  NotFoundText->SetFocusControl(NotFoundEdit);
  ReplaceWithText->SetFocusControl(ReplaceWithEdit);
  SuggestionsText->SetFocusControl(SuggestionsListbox);
  int tab = 0;
  for (TWinControl* c : std::initializer_list<TWinControl*>{
           NotFoundEdit, ReplaceWithEdit, SuggestionsListbox, IgnoreButton, IgnoreAllButton,
           ChangeButton, ChangeAllButton, AddButton, AutoCorrectButton, HelpButton, UndoButton,
           CancelButton, OptionsButton})
    c->SetTabOrder(tab++);

  DialogControl = new TConfigurationDialogCtrl(this);
  DialogControl->SetName("DialogControl");
  DialogControl->OnConfigurationAvailable = [this](TObject*) { DialogControlConfigurationAvailable(); };
  DialogControl->OnPromptWord = [this](TObject*, const String& word, bool repeated) {
    DialogControlPromptWord(word, repeated);
  };
  TConfigurationDialogCtrl* c = DialogControl;
  IgnoreButton->OnClick = [this, c](TObject*) { FRepeated ? c->IgnoreRepeated() : c->Ignore(); };
  IgnoreAllButton->OnClick = [c](TObject*) { c->IgnoreAll(); };
  ChangeButton->OnClick = [this, c](TObject*) {
    if (FRepeated)
      c->DeleteRepeated();
    else
      c->Change(ReplaceWithEdit->GetText());
  };
  ChangeAllButton->OnClick = [this, c](TObject*) { c->ChangeAll(ReplaceWithEdit->GetText()); };
  AddButton->OnClick = [c](TObject*) { c->Add(); };
  AutoCorrectButton->OnClick = [this, c](TObject*) { c->AutoCorrect(ReplaceWithEdit->GetText()); };
  UndoButton->OnClick = [c](TObject*) { c->Undo(); };
  CancelButton->OnClick = [c](TObject*) { c->Cancel(); };
  HelpButton->OnClick = [c](TObject*) { c->HelpSpellDialog(); };
  FIgnoreAllKey = std::make_unique<TAccessKey>(IgnoreButton, [this] {
    IgnoreButton->SetFocus();
    IgnoreButton->Click();
  });
  FChangeAllKey = std::make_unique<TAccessKey>(ChangeButton, [this] {
    ChangeButton->SetFocus();
    ChangeButton->Click();
  });
  OptionsButton->OnClick = [this, c](TObject*) {
    if (!c->SpellChecker) return;
    c->ShowConfigDialog();
    // The word again, with suggestions from the new options.
    if (c->CheckRunning()) DialogControlPromptWord(NotFoundEdit->GetText(), FRepeated);
  };
  SuggestionsListbox->OnClick = [this](TObject*) {
    const int i = SuggestionsListbox->GetItemIndex();
    if (i >= 0 && FHasSuggestions && SuggestionsListbox->GetEnabled())
      ReplaceWithEdit->SetText(SuggestionsListbox->Items().Get(i));
  };
  SuggestionsListbox->OnDblClick = [this, c](TObject*) {
    const int i = SuggestionsListbox->GetItemIndex();
    if (i < 0 || !FHasSuggestions || !SuggestionsListbox->GetEnabled()) return;
    c->Change(SuggestionsListbox->Items().Get(i));
  };
  NotFoundEdit->OnDblClick = [this](TObject*) { ReplaceWithEdit->SetText(NotFoundEdit->GetText()); };
  ReplaceWithEdit->OnChange = [this](TObject*) {
    if (!FRepeated && !FFilling) ReplaceWithEditChange();
  };
  OnCloseQuery = [c](TObject*, bool& canClose) {
    canClose = true;
    if (c->CheckRunning()) c->Cancel();
  };
}

TSpellDialog::~TSpellDialog() = default;

void TSpellDialog::DialogControlConfigurationAvailable() {
  FRepeated = false;
  FDeactivated = false;
  FPrompted = false;
  FHasSuggestions = false;
  TConfigurationDialogCtrl* c = DialogControl;
  auto text = [c](TSpellLanguageString s) { return c->GetString(s); };
  SetText(text(lsSpelling));
  NotFoundText->SetText(text(lsDlgNotFound));
  ReplaceWithText->SetText(text(lsDlgReplaceWith));
  SuggestionsText->SetText(text(lsDlgSuggestions));
  UndoButton->SetText(text(lsDlgUndo));
  OptionsButton->SetText(text(lsDlgOptions));
  IgnoreAllButton->SetText(text(lsDlgIgnoreAll));
  IgnoreButton->SetText(text(lsDlgIgnore));
  ChangeAllButton->SetText(text(lsDlgChangeAll));
  ChangeButton->SetText(text(lsDlgChange));
  AddButton->SetText(text(lsDlgAdd));
  AutoCorrectButton->SetText(text(lsDlgAutoCorrect));
  HelpButton->SetText(text(lsDlgHelp));
  CancelButton->SetText(text(lsDlgCancel));
  FitLabelColumn();
  UndoButton->SetVisible(c->Visible(sdcUndo));
  OptionsButton->SetVisible(c->Visible(sdcOptions));
  IgnoreAllButton->SetVisible(c->Visible(sdcIgnoreAll));
  IgnoreButton->SetVisible(c->Visible(sdcIgnore));
  ChangeButton->SetVisible(c->Visible(sdcChange));
  ChangeAllButton->SetVisible(c->Visible(sdcChangeAll));
  AddButton->SetVisible(c->Visible(sdcAdd));
  AutoCorrectButton->SetVisible(c->Visible(sdcAutoCorrect));
  HelpButton->SetVisible(c->Visible(sdcHelp) && c->HelpCtxSpellDialog() != 0);
  CancelButton->SetVisible(c->Visible(sdcCancel));
  HelpButton->SetEnabled(Has(sdcHelp));
  CancelButton->SetEnabled(Has(sdcCancel));
  if (!OptionsButton->GetVisible()) UndoButton->SetTop(OptionsButton->GetTop());
}

void TSpellDialog::SetCommandsEnabled(bool Enable) {
  TConfigurationDialogCtrl* c = DialogControl;
  if (!c->SpellChecker) return;
  const bool custom = c->ActiveCustomDictionary() != nullptr;
  // Read-only text takes no replacements.
  const bool replace = Enable && !c->ReportOnly();
  UndoButton->SetEnabled(Enable && c->CanUndo() && Has(sdcUndo));
  OptionsButton->SetEnabled(Enable && Has(sdcOptions));
  ReplaceWithEdit->SetEnabled(replace);
  SuggestionsListbox->SetEnabled(Enable);
  IgnoreAllButton->SetEnabled(Enable && Has(sdcIgnoreAll));
  IgnoreButton->SetEnabled(Enable && Has(sdcIgnore));
  ChangeAllButton->SetEnabled(replace && Has(sdcChangeAll));
  ChangeButton->SetEnabled(replace && Has(sdcChange));
  AddButton->SetEnabled(Enable && custom && Has(sdcAdd));
  AutoCorrectButton->SetEnabled(replace && custom && Has(sdcAutoCorrect));
}

void TSpellDialog::ReplaceWithEditChange() {
  TConfigurationDialogCtrl* c = DialogControl;
  if (!c->SpellChecker) return;
  // Nothing visible is no replacement: the word would go.
  const bool t = !IsInvisibleText(ReplaceWithEdit->GetText()) && !c->ReportOnly();
  ChangeAllButton->SetEnabled(t && Has(sdcChangeAll));
  ChangeButton->SetEnabled(t && Has(sdcChange));
  AutoCorrectButton->SetEnabled(t && c->ActiveCustomDictionary() != nullptr &&
                                Has(sdcAutoCorrect));
}

void TSpellDialog::FitLabelColumn() {
  // The widest caption the first column shows ("Repeated Word:" comes and
  // goes with the prompt) keeps a gap before the fields; the fields and the
  // buttons beside them move right, the form grows.
  const String shown = NotFoundText->GetText();
  int widest = 0;
  for (TLabel* l : {NotFoundText, ReplaceWithText, SuggestionsText}) widest = std::max(widest, l->GetWidth());
  NotFoundText->SetText(DialogControl->GetString(lsDlgRepeatedWord));
  widest = std::max(widest, NotFoundText->GetWidth());
  NotFoundText->SetText(shown);
  const int shift = NotFoundText->GetLeft() + widest + LabelGap - NotFoundEdit->GetLeft();
  if (shift <= 0) return;
  for (int i = 0; i < ControlCount(); ++i)
    if (TControl* c = Controls(i); c->GetLeft() >= NotFoundEdit->GetLeft()) c->SetLeft(c->GetLeft() + shift);
  SetWidth(GetWidth() + shift);
}

void TSpellDialog::DialogControlPromptWord(const String& Word, bool Repeated) {
  TConfigurationDialogCtrl* c = DialogControl;
  if (!c->SpellChecker) return;
  FFilling = true;
  NotFoundEdit->SetText(Word);
  SuggestionsListbox->Clear();
  FFilling = false;
  FRepeated = Repeated;
  FPrompted = true;
  FHasSuggestions = false;
  NotFoundText->SetText(c->GetString(Repeated ? lsDlgRepeatedWord : lsDlgNotFound));
  if (Repeated) {
    FFilling = true;
    ReplaceWithEdit->SetText(Word.substr(0, Word.size() / 2));
    FFilling = false;
    EnableForPrompt();
    return;
  }
  TStringList suggestions;
  c->GetSuggestions(Word, &suggestions);
  TStrings& items = SuggestionsListbox->Items();
  for (int i = 0; i < suggestions.Count(); ++i) items.Add(suggestions.Get(i));
  FHasSuggestions = items.Count() > 0;
  FFilling = true;
  ReplaceWithEdit->SetText(FHasSuggestions ? items.Get(0) : String());
  FFilling = false;
  if (FHasSuggestions)
    SuggestionsListbox->SetItemIndex(0);
  else
    items.Add(c->GetString(lsMnNoSuggestions));
  EnableForPrompt();
}

void TSpellDialog::EnableForPrompt() {
  TConfigurationDialogCtrl* c = DialogControl;
  if (!c->SpellChecker) return;
  // Each prompt sets the commands afresh: whether the text takes
  // replacements can change from word to word (a table cell). Disabled on
  // the way, a command the prompt offers again passes the keyboard on: it
  // comes back to it.
  TWinControl* had = GetActiveControl();
  SetCommandsEnabled(!FRepeated);
  if (FRepeated) {
    OptionsButton->SetEnabled(Has(sdcOptions));
    IgnoreButton->SetEnabled(true);
    ChangeButton->SetEnabled(!c->ReportOnly());
  } else {
    // The "(no suggestions)" line is a note, not a word to take.
    SuggestionsListbox->SetEnabled(FHasSuggestions);
    ReplaceWithEditChange();
  }
  UndoButton->SetEnabled(c->CanUndo() && Has(sdcUndo));
  FIgnoreAllKey->SetCaption(FRepeated ? IgnoreAllButton->GetText() : String());
  FChangeAllKey->SetCaption(FRepeated ? ChangeAllButton->GetText() : String());
  if (had && had != GetActiveControl() && had->GetVisible() && had->GetEnabled()) SetActiveControl(had);
  KeyboardToAnswer();
}

void TSpellDialog::KeyboardToAnswer() {
  TWinControl* now = GetActiveControl();
  if (now && now != NotFoundEdit && now->GetVisible() && now->GetEnabled()) return;
  for (TWinControl* c : std::initializer_list<TWinControl*>{ReplaceWithEdit, IgnoreButton, ChangeButton, CancelButton})
    if (c->GetVisible() && c->GetEnabled()) {
      SetActiveControl(c);
      return;
    }
}

void TSpellDialog::Activate() {
  // The commands come back before the activation handlers run: the
  // engine's resumes the check and prompts again, which sets them anew, and
  // nothing may enable more than that prompt offers.
  if (FDeactivated) {
    FDeactivated = false;
    if (FPrompted)
      EnableForPrompt();
    else
      SetCommandsEnabled(!FRepeated);
  }
  TForm::Activate();
}

void TSpellDialog::Deactivate() {
  TForm::Deactivate();
  FDeactivated = true;
  SetCommandsEnabled(false);
}

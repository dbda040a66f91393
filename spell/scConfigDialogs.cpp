#include "spell/scConfigDialogs.h"

#include "platform/base/SysUtils.h"
#include "platform/gui/Dialogs.h"
#include "spell/scCustomDictionary.h"
#include "spell/scMainDictionary.h"
#include "spell/scSpellBase.h"
#include "spell/scUtil.h"

#include <algorithm>
#include <filesystem>

namespace {
template <typename T>
T* Make(TComponent* owner, TWinControl* parent, const char* name, int left, int top, int width,
        int height) {
  T* c = new T(owner);
  c->SetName(name);
  c->SetParent(parent);
  c->SetBounds(left, top, width, height);
  return c;
}

TConfigurationDialogCtrl* MakeControl(TComponent* form) {
  auto* c = new TConfigurationDialogCtrl(form);
  c->SetName("DialogControl");
  return c;
}

String BareName(const String& path) { return std::filesystem::path(path).filename().string(); }

// The dictionary's form of a row's text; false when the code page lacks
// one of its letters (the dictionary cannot hold it).
bool ToEntry(const String& text, AnsiString& entry) {
  bool lossless = true;
  entry = SpellWordFromText(text, &lossless);
  return lossless;
}

// A pair as the list shows it.
String PairText(const String& word, const String& replacement) {
  return word + "  \xE2\x86\x92  " + replacement;
}
}  // namespace

// ---------------------------------------------------------------------------
// Spelling options

const char* const kSpellStorageNote =
    "Learned and added words are kept in files outside the password-protected journal, "
    "readable by you only.";

namespace {
constexpr int kConfigDialogHeight = 429;
}  // namespace

TSpellCheckConfigDialog::TSpellCheckConfigDialog(TComponent* AOwner) : TForm(AOwner) {
  SetBorderStyle(bsDialog);
  SetWidth(320);
  SetHeight(kConfigDialogHeight);
  Position = poOwnerFormCenter;
  DialogControl = MakeControl(this);
  DialogControl->OnConfigurationAvailable = [this](TObject*) { DialogControlConfigurationAvailable(); };
  OptionsGroup = Make<TGroupBox>(this, this, "OptionsGroup", 8, 8, 305, 185);
  for (size_t n = 0; n < Options.size(); ++n) {
    const String name = "Option" + IntToStr(static_cast<int>(n) + 1);
    Options[n] = Make<TCheckBox>(this, OptionsGroup, name.c_str(), 8, 18 + 16 * static_cast<int>(n), 289, 17);
    TCheckBox* box = Options[n];
    box->OnClick = [this, box](TObject*) {
      if (FFilling || !DialogControl->Configuration) return;
      TSpellConfig& config = *DialogControl->Configuration;
      const auto o = static_cast<TSpellOption>(box->Tag);
      TSpellOptions options = config.GetOptions();
      if (box->GetChecked() && !options.Contains(o))
        config.SetOptions(options + TSpellOptions{o});
      else if (!box->GetChecked() && options.Contains(o))
        config.SetOptions(options - TSpellOptions{o});
    };
  }
  DictionariesGroup = Make<TGroupBox>(this, this, "DictionariesGroup", 8, 200, 305, 161);
  MainDictionaries = Make<TCheckListBox>(this, DictionariesGroup, "MainDictionaries", 8, 18, 289, 95);
  MainDictionaries->OnClickCheck = [this](TObject*, int row) { MainDictionariesCheck(row); };
  CustomLabel = Make<TLabel>(this, DictionariesGroup, "CustomLabel", 8, 117, 169, 16);
  CustomCombo = Make<TComboBox>(this, DictionariesGroup, "CustomCombo", 8, 132, 169, 21);
  CustomCombo->SetStyle(csDropDownList);
  CustomLabel->SetFocusControl(CustomCombo);
  CustomCombo->OnChange = [this](TObject*) {
    if (FFilling || !DialogControl->Configuration) return;
    const int i = CustomCombo->GetItemIndex();
    if (i < 0) return;
    const String name = CustomCombo->Items().Get(i);
    // The settings file would give another name back (a line break, a
    // space at an end): the dictionary in use stays, and the user is told.
    if (!IsStorableDictionaryName(name)) {
      MessageBox(DictionaryNameRefusedText(name), DialogControl->GetString(lsSpellingOptions), MB_OK | MB_ICONWARNING);
      FillCustomCombo();
      return;
    }
    // A file that is no dictionary (a named pipe, another program's file)
    // is refused where it is chosen, and the engine names it: kept, it
    // would stay the dictionary every later check cannot add to.
    if (!DialogControl->OpenCustomDictionary(name)) {
      FillCustomCombo();
      return;
    }
    DialogControl->Configuration->SetActiveCustom(name);
  };
  DictionariesButton = Make<TButton>(this, DictionariesGroup, "DictionariesButton", 192, 130, 105, 23);
  DictionariesButton->OnClick = [this](TObject*) {
    if (!DialogControl->SpellChecker) return;
    DialogControl->ShowCustomDictionariesDialog();
    FillCustomCombo();
  };
  // The journal's password does not reach these files: the user should know.
  StorageNote = Make<TLabel>(this, this, "StorageNote", 8, 366, 305, 30);
  StorageNote->SetWordWrap(true);
  StorageNote->SetText(kSpellStorageNote);
  ResetButton = Make<TButton>(this, this, "ResetButton", 8, 400, 96, 23);
  ResetButton->OnClick = [this](TObject*) {
    if (!DialogControl->Configuration) return;
    DialogControl->Configuration->ResetToDefaults();
    FillMainDictionaries();
    FillCustomCombo();
    SetupOptions();
  };
  HelpButton = Make<TButton>(this, this, "HelpButton", 108, 400, 46, 23);
  HelpButton->OnClick = [this](TObject*) { DialogControl->HelpConfigDialog(); };
  OK = Make<TButton>(this, this, "OK", 158, 400, 75, 23);
  OK->ModalResult = mrOk;
  OK->SetDefault(true);
  CancelButton = Make<TButton>(this, this, "CancelButton", 238, 400, 75, 23);
  CancelButton->ModalResult = mrCancel;
  CancelButton->Cancel = true;
}

void TSpellCheckConfigDialog::DialogControlConfigurationAvailable() {
  TConfigurationDialogCtrl* c = DialogControl;
  auto text = [c](TSpellLanguageString s) { return c->GetString(s); };
  SetText(text(lsSpellingOptions));
  OptionsGroup->SetText(text(lsDlgOptionsLabel));
  DictionariesGroup->SetText(text(lsDlgDictionariesLabel));
  CustomLabel->SetText(text(lsDlgCustomDictionary));
  DictionariesButton->SetText(text(lsDlgDictionaries));
  HelpButton->SetText(text(lsDlgHelp));
  ResetButton->SetText(text(lsDlgResetDefaults));
  OK->SetText(text(lsDlgOK));
  CancelButton->SetText(text(lsDlgCancel));
  HelpButton->SetVisible(c->Visible(sdcHelp) && c->HelpCtxConfigDialog() != 0);
  HelpButton->SetEnabled(c->Enabled(sdcHelp));
  for (TControl* e : std::initializer_list<TControl*>{CustomLabel, CustomCombo}) {
    e->SetVisible(c->Visible(sdcCustomDictionary));
    e->SetEnabled(c->Enabled(sdcCustomDictionary));
  }
  DictionariesButton->SetVisible(c->Visible(sdcCustomDictionaries));
  DictionariesButton->SetEnabled(c->Enabled(sdcCustomDictionaries));
  OK->SetVisible(c->Visible(sdcConfigOK));
  OK->SetEnabled(c->Enabled(sdcConfigOK));
  ResetButton->SetVisible(c->Visible(sdcResetDefaults));
  ResetButton->SetEnabled(c->Enabled(sdcResetDefaults));
  TSpellConfig& config = *c->Configuration;
  FSavedOptions = config.GetOptions();
  FSavedMain.Assign(&config.GetMainDictionaries());
  FSavedCustom.Assign(&config.GetCustomDictionaries());
  FSavedActive = config.GetActiveCustom();
  if (TStrings* files = c->GetCustomDictionaryFiles()) FSavedFiles.Assign(files);
  FillMainDictionaries();
  FillCustomCombo();
  const int hidden = SetupOptions();
  // The form shrinks by the hidden option boxes; the dictionaries follow.
  const int step = Options[1]->GetTop() - Options[0]->GetTop();
  const int shrink = hidden * step;
  OptionsGroup->SetHeight(OptionsGroup->GetHeight() - shrink);
  DictionariesGroup->SetTop(DictionariesGroup->GetTop() - shrink);
  // The note takes the lines its font needs at its width (the system's
  // fonts are often larger than the design's); the buttons and the form follow.
  const int noteTop = DictionariesGroup->GetTop() + DictionariesGroup->GetHeight() + 5;
  const int noteHeight = std::max(StorageNote->WrappedTextHeight(), 16);
  StorageNote->SetBounds(StorageNote->GetLeft(), noteTop, StorageNote->GetWidth(), noteHeight);
  const int buttonsTop = noteTop + noteHeight + 4;
  for (TControl* c : std::initializer_list<TControl*>{OK, CancelButton, HelpButton, ResetButton}) c->SetTop(buttonsTop);
  SetHeight(buttonsTop + OK->GetHeight() + 6);
}

void TSpellCheckConfigDialog::Revert() {
  if (!DialogControl->Configuration) return;
  TSpellConfig& config = *DialogControl->Configuration;
  auto same = [](TStringList& a, const TStringList& b) {
    if (a.Count() != b.Count()) return false;
    for (int i = 0; i < a.Count(); ++i)
      if (a[i] != b.Get(i)) return false;
    return true;
  };
  // A dictionary deleted meanwhile (the user confirmed it) stays deleted:
  // listing it again would make a new, empty one at the next Add.
  TStringList custom, files;
  custom.Assign(&FSavedCustom);
  String active = FSavedActive;
  if (TStrings* now = DialogControl->GetCustomDictionaryFiles()) files.Assign(now);
  for (int i = 0; i < FSavedFiles.Count(); ++i) {
    const String name = FSavedFiles[i];
    if (files.IndexOf(name) >= 0) continue;
    if (int at = custom.IndexOf(name); at >= 0) custom.Delete(at);
    if (active == name) active = config.GetActiveCustom();
  }
  if (!same(config.GetMainDictionaries(), FSavedMain)) config.GetMainDictionaries().Assign(&FSavedMain);
  if (!same(config.GetCustomDictionaries(), custom)) config.GetCustomDictionaries().Assign(&custom);
  if (config.GetActiveCustom() != active) config.SetActiveCustom(active);
  if (config.GetOptions() != FSavedOptions) config.SetOptions(FSavedOptions);
}

int TSpellCheckConfigDialog::SetupOptions() {
  TConfigurationDialogCtrl* c = DialogControl;
  if (!c->Configuration) return static_cast<int>(Options.size());
  FFilling = true;
  TSpellConfig& config = *c->Configuration;
  const TSpellOptions options = config.GetOptions();
  size_t box = 0;
  for (int o = 0; o <= static_cast<int>(soUser4) && box < Options.size(); ++o) {
    const auto option = static_cast<TSpellOption>(o);
    if (!c->AvailableOptions.Contains(option)) continue;
    const String caption = c->GetOptionCaption(option);
    TCheckBox* b = Options[box++];
    b->Tag = o;
    b->SetText(caption);
    // Checking and correcting as you type promise what a host that checks
    // on request only does not do: kept as stored, shown off and greyed.
    const bool onRequest = (option == soLiveSpelling || option == soLiveCorrect) &&
                           !c->LiveCheckingHint().empty();
    b->SetChecked(!onRequest && options.Contains(option));
    b->SetEnabled(!onRequest);
    b->SetHint(onRequest ? c->LiveCheckingHint() : String());
    b->SetVisible(true);
  }
  const int hidden = static_cast<int>(Options.size() - box);
  for (; box < Options.size(); ++box) Options[box]->SetVisible(false);
  FFilling = false;
  return hidden;
}

void TSpellCheckConfigDialog::FillMainDictionaries() {
  TConfigurationDialogCtrl* c = DialogControl;
  TStrings* files = c->GetMainDictionaryFiles();
  if (!files) return;
  FFilling = true;
  FMainFiles.clear();
  TStrings& rows = MainDictionaries->Items();
  rows.Clear();
  for (int i = 0; i < files->Count(); ++i) {
    const String file = files->Get(i);
    String name = "???";
    try {
      if (auto d = c->OpenMainDictionary(file)) name = d->Name();
    } catch (const Exception&) {
    }
    rows.Add(name + "  (" + BareName(file) + ")");
    FMainFiles.push_back(file);
  }
  FBrowseRow = -1;
  if (c->Visible(sdcMainDictFolderBrowse)) {
    rows.Add(c->GetString(lsDlgBrowseForMain));
    FBrowseRow = rows.Count() - 1;
  }
  MainDictionaries->PrepareRows();
  const TStringList& chosen = c->Configuration->MainDictionaries;
  for (size_t i = 0; i < FMainFiles.size(); ++i)
    MainDictionaries->SetChecked(static_cast<int>(i), chosen.IndexOf(FMainFiles[i]) >= 0);
  FFilling = false;
}

void TSpellCheckConfigDialog::MainDictionariesCheck(int Row) {
  if (FFilling || !DialogControl->Configuration) return;
  if (Row >= 0 && Row == FBrowseRow) {
    // The browse row is a command, never a choice.
    MainDictionaries->SetChecked(Row, false);
    if (!DialogControl->Enabled(sdcMainDictFolderBrowse)) return;
    DialogControl->ShowAddDictionaryDir();
    FillMainDictionaries();
    return;
  }
  if (Row < 0 || Row >= static_cast<int>(FMainFiles.size())) return;
  TSpellConfig& config = *DialogControl->Configuration;
  const String file = FMainFiles[static_cast<size_t>(Row)];
  const bool on = MainDictionaries->GetChecked(Row);
  const int at = config.MainDictionaries.IndexOf(file);
  if (on && at < 0 && !DialogControl->OpenMainDictionary(file)) {
    // A file that cannot be opened (damaged, no dictionary) is not chosen:
    // kept, it would be named again at every start.
    FFilling = true;
    MainDictionaries->SetChecked(Row, false);
    FFilling = false;
    MessageBox(DictionaryFileRefusedText(file), DialogControl->GetString(lsSpellingOptions), MB_OK | MB_ICONWARNING);
    return;
  }
  if (on && at < 0)
    config.MainDictionaries.Add(file);
  else if (!on && at >= 0)
    config.MainDictionaries.Delete(at);
  else
    return;
  config.Changed(true);
}

void TSpellCheckConfigDialog::FillCustomCombo() {
  TStrings* files = DialogControl->GetCustomDictionaryFiles();
  if (!files) return;
  FFilling = true;
  CustomCombo->Items().Clear();
  for (int i = 0; i < files->Count(); ++i) CustomCombo->Items().Add(files->Get(i));
  const String active = DialogControl->Configuration->GetActiveCustom();
  int found = -1;
  for (int i = 0; i < CustomCombo->Items().Count() && !active.empty() && found < 0; ++i)
    if (SameText(CustomCombo->Items().Get(i), active)) found = i;
  CustomCombo->SetItemIndex(found);
  FFilling = false;
}

// ---------------------------------------------------------------------------
// Custom dictionaries

TCustomDictionariesDialog::TCustomDictionariesDialog(TComponent* AOwner) : TForm(AOwner) {
  SetBorderStyle(bsDialog);
  SetWidth(312);
  SetHeight(206);
  Position = poOwnerFormCenter;
  DialogControl = MakeControl(this);
  DialogControl->OnConfigurationAvailable = [this](TObject*) { DialogControlConfigurationAvailable(); };
  CustomGroup = Make<TGroupBox>(this, this, "CustomGroup", 8, 8, 297, 161);
  CustomDictionaries = Make<TCheckListBox>(this, CustomGroup, "CustomDictionaries", 8, 18, 201, 135);
  CustomDictionaries->AllowEdit = true;
  EditButton = Make<TButton>(this, CustomGroup, "EditButton", 214, 18, 75, 23);
  DeleteButton = Make<TButton>(this, CustomGroup, "DeleteButton", 214, 45, 75, 23);
  NewButton = Make<TButton>(this, CustomGroup, "NewButton", 214, 72, 75, 23);
  HelpButton = Make<TButton>(this, this, "HelpButton", 149, 176, 75, 23);
  OK = Make<TButton>(this, this, "OK", 230, 176, 75, 23);
  OK->ModalResult = mrOk;
  OK->SetDefault(true);
  // Every change is kept at once: Escape closes the dialog as OK does.
  OK->Cancel = true;
  HelpButton->OnClick = [this](TObject*) { DialogControl->HelpDictionariesDialog(); };
  CustomDictionaries->OnClick = [this](TObject*) { SelectRow(CustomDictionaries->GetItemIndex()); };
  CustomDictionaries->OnDblClick = [this](TObject*) {
    CustomDictionaries->EditRow(CustomDictionaries->GetItemIndex());
  };
  // F2 renames the chosen row, as a double-click does.
  CustomDictionaries->OnKeyDown = [this](TObject*, Word& key, TShiftState shift) {
    if (key != VK_F2 || !shift.Empty()) return;
    key = 0;
    CustomDictionaries->EditRow(CustomDictionaries->GetItemIndex());
  };
  CustomDictionaries->OnClickCheck = [this](TObject*, int row) { RowChecked(row); };
  CustomDictionaries->OnEditing = [this](TObject*, int row, bool& allow) {
    allow = row >= 0 && row < static_cast<int>(FEntries.size()) &&
            FEntries[static_cast<size_t>(row)].Renamable;
    // Enter ends the edit instead of closing the dialog.
    if (allow) OK->SetDefault(false);
  };
  CustomDictionaries->OnEdited = [this](TObject*, int row, const String& old, String& text) {
    // The row shows the file the dictionary now lives in, so that the row,
    // the file and the configuration name the same thing.
    const String file = CustomDictionaryFileName(text);
    if (file.empty() && !text.empty() && text != old)
      MessageBox(DictionaryNameRefusedText(text), DialogControl->GetString(lsDictionaries), MB_OK | MB_ICONWARNING);
    if (row < 0 || row >= static_cast<int>(FEntries.size()) ||
        !FEntries[static_cast<size_t>(row)].Renamable || file.empty() ||
        !DialogControl->RenameCustomDictionary(FEntries[static_cast<size_t>(row)].FileName, file)) {
      text = old;
      return;
    }
    text = file;
    FEntries[static_cast<size_t>(row)].FileName = file;
  };
  EditButton->OnClick = [this](TObject*) { EditButtonClick(); };
  DeleteButton->OnClick = [this](TObject*) { DeleteButtonClick(); };
  NewButton->OnClick = [this](TObject*) { NewButtonClick(); };
}

void TCustomDictionariesDialog::DialogControlConfigurationAvailable() {
  TConfigurationDialogCtrl* c = DialogControl;
  auto text = [c](TSpellLanguageString s) { return c->GetString(s); };
  SetText(text(lsDictionaries));
  CustomGroup->SetText(text(lsDlgCustomDictionaries));
  EditButton->SetText(text(lsDlgEdit));
  DeleteButton->SetText(text(lsDlgDelete));
  NewButton->SetText(text(lsDlgNew));
  OK->SetText(text(lsDlgOK));
  HelpButton->SetText(text(lsDlgHelp));
  HelpButton->SetVisible(c->Visible(sdcHelp) && c->HelpCtxDictionariesDialog() != 0);
  HelpButton->SetEnabled(c->Enabled(sdcHelp));
  Fill();
}

void TCustomDictionariesDialog::Fill() {
  EditButton->SetEnabled(false);
  DeleteButton->SetEnabled(false);
  TConfigurationDialogCtrl* c = DialogControl;
  TStrings* customs = c->GetCustomDictionaryFiles();
  if (!customs || !c->Configuration) return;
  FFilling = true;
  FEntries.clear();
  TStrings& rows = CustomDictionaries->Items();
  rows.Clear();
  TCustomDictionary& internal = *c->InternalDictionary();
  if (c->Visible(sdcInternalEdit) &&
      (internal.GetAddedCount() > 0 || internal.GetAutoCorrectCount() > 0)) {
    rows.Add(c->GetString(lsIgnoreAllChangeAll));
    TListEntry e;
    e.Internal = true;
    FEntries.push_back(e);
  }
  const TStringList& listed = c->Configuration->CustomDictionaries;
  for (int i = 0; i < customs->Count(); ++i) {
    const String name = customs->Get(i);
    TListEntry e;
    e.FileName = name;
    e.Active = listed.IndexOf(name) >= 0;
    e.Renamable = BareName(name) == name;
    rows.Add(BareName(name));
    FEntries.push_back(e);
  }
  CustomDictionaries->PrepareRows();
  for (size_t i = 0; i < FEntries.size(); ++i)
    CustomDictionaries->SetChecked(static_cast<int>(i), FEntries[i].Active);
  FFilling = false;
}

void TCustomDictionariesDialog::SelectRow(int Row) {
  const bool ok = Row >= 0 && Row < static_cast<int>(FEntries.size());
  EditButton->SetEnabled(ok && (!FEntries[static_cast<size_t>(Row)].Internal ||
                                DialogControl->Enabled(sdcInternalEdit)));
  DeleteButton->SetEnabled(ok && !FEntries[static_cast<size_t>(Row)].Internal);
}

void TCustomDictionariesDialog::RowChecked(int Row) {
  if (FFilling || !DialogControl->SpellChecker || Row < 0 || Row >= static_cast<int>(FEntries.size()))
    return;
  TListEntry& e = FEntries[static_cast<size_t>(Row)];
  const bool mark = CustomDictionaries->GetChecked(Row);
  if (e.Internal) {
    // The in-memory dictionary cannot be switched off.
    CustomDictionaries->SetChecked(Row, true);
    return;
  }
  if (mark == e.Active) return;
  CustomDictionaries->SetItemIndex(Row);
  SelectRow(Row);
  if (mark && !IsStorableDictionaryName(e.FileName))
    MessageBox(DictionaryNameRefusedText(e.FileName), DialogControl->GetString(lsDictionaries), MB_OK | MB_ICONWARNING);
  else
    DialogControl->SetCustomDictionaryListed(e.FileName, mark);
  // The row shows what the settings list: a file that cannot be used as a
  // dictionary (a FIFO, a damaged file) is not ticked.
  e.Active = DialogControl->Configuration->CustomDictionaries.IndexOf(e.FileName) >= 0;
  FFilling = true;
  CustomDictionaries->SetChecked(Row, e.Active);
  FFilling = false;
}

bool TCustomDictionariesDialog::FocusEntry(const String& Name) {
  TStrings& rows = CustomDictionaries->Items();
  for (int i = 0; i < rows.Count(); ++i)
    if (SameText(rows.Get(i), Name)) {
      CustomDictionaries->SetItemIndex(i);
      SelectRow(i);
      return true;
    }
  return false;
}

void TCustomDictionariesDialog::NewButtonClick() {
  TSpellCheckerBase* engine = DialogControl->SpellChecker;
  if (!engine) return;
  String name, typed;
  {
    // The new form talks to this form's engine.
    TNewCustomDictionary form(DialogControl);
    engine->ApplyUILanguageFonts(&form, false);
    engine->BindDialogControl(&form);
    if (form.ShowModal() != mrOk) return;
    typed = form.NameEdit->GetText();
    name = CustomDictionaryFileName(typed);
  }
  if (name.empty()) {
    if (!typed.empty())
      MessageBox(DictionaryNameRefusedText(typed), DialogControl->GetString(lsDictionaries), MB_OK | MB_ICONWARNING);
    return;
  }
  if (FocusEntry(name)) return;
  if (!DialogControl->NewCustomDictionary(name)) {
    MessageBox("This dictionary file could not be created in the dictionary folder.\r\n\r\n" + name,
               DialogControl->GetString(lsDictionaries), MB_OK | MB_ICONWARNING);
    return;
  }
  Fill();
  FocusEntry(name);
}

void TCustomDictionariesDialog::DeleteButtonClick() {
  const int row = CustomDictionaries->GetItemIndex();
  TConfigurationDialogCtrl* c = DialogControl;
  if (!c->SpellChecker || row < 0 || row >= static_cast<int>(FEntries.size())) return;
  const TListEntry e = FEntries[static_cast<size_t>(row)];
  if (e.Internal) return;
  if (MessageBox(c->GetString(lsRemoveCustomDict), c->GetString(lsConfirmation),
                 MB_YESNO | MB_ICONEXCLAMATION) != IDYES)
    return;
  c->DeleteCustomDictionary(e.FileName);
  Fill();
}

void TCustomDictionariesDialog::EditButtonClick() {
  const int row = CustomDictionaries->GetItemIndex();
  TConfigurationDialogCtrl* c = DialogControl;
  if (!c->SpellChecker || row < 0 || row >= static_cast<int>(FEntries.size())) return;
  const TListEntry e = FEntries[static_cast<size_t>(row)];
  if (e.Internal) {
    if (c->Enabled(sdcInternalEdit)) c->ShowEditCustomDictionaryDialog(c->InternalDictionary());
    return;
  }
  std::unique_ptr<TCustomDictionary> d;
  try {
    d = c->OpenCustomDictionary(e.FileName);
  } catch (const Exception&) {
    return;
  }
  if (!d) return;
  c->ShowEditCustomDictionaryDialog(d.get());
  d->Save();
}

// ---------------------------------------------------------------------------
// Custom dictionary editor

TCustomDictionaryEditDialog::TCustomDictionaryEditDialog(TComponent* AOwner) : TForm(AOwner) {
  SetBorderStyle(bsDialog);
  SetWidth(314);
  SetHeight(333);
  Position = poOwnerFormCenter;
  DialogControl = MakeControl(this);
  DialogControl->OnConfigurationAvailable = [this](TObject*) { DialogControlConfigurationAvailable(); };
  DialogControl->OnCustomDictionaryAvailable = [this](TObject*) {
    DialogControlCustomDictionaryAvailable();
  };
  PageControl = Make<TPageControl>(this, this, "PageControl", 0, 0, 313, 297);
  auto sheet = [this](const char* name) {
    auto* s = new TTabSheet(this);
    s->SetName(name);
    s->SetPageControl(PageControl);
    return s;
  };
  AddedWordsSheet = sheet("AddedWordsSheet");
  AutoCorrectWordsSheet = sheet("AutoCorrectWordsSheet");
  ExcludedWordsSheet = sheet("ExcludedWordsSheet");

  AddedWordsExplain = Make<TLabel>(this, AddedWordsSheet, "AddedWordsExplain", 8, 8, 289, 41);
  IgnoreEditLabel = Make<TLabel>(this, AddedWordsSheet, "IgnoreEditLabel", 8, 48, 200, 16);
  IgnoreEdit = Make<TEdit>(this, AddedWordsSheet, "IgnoreEdit", 8, 64, 209, 21);
  IgnoreList = Make<TListBox>(this, AddedWordsSheet, "IgnoreList", 8, 91, 209, 170);
  IgnoreList->SetSorted(true);
  AddIgnoreButton = Make<TButton>(this, AddedWordsSheet, "AddIgnoreButton", 224, 64, 75, 23);
  DeleteIgnoreButton = Make<TButton>(this, AddedWordsSheet, "DeleteIgnoreButton", 224, 91, 75, 23);

  AutoCorrectWordsExplain = Make<TLabel>(this, AutoCorrectWordsSheet, "AutoCorrectWordsExplain", 8, 8, 289, 41);
  ReplaceEditLabel = Make<TLabel>(this, AutoCorrectWordsSheet, "ReplaceEditLabel", 8, 48, 80, 16);
  WithEditLabel = Make<TLabel>(this, AutoCorrectWordsSheet, "WithEditLabel", 96, 48, 120, 16);
  ReplaceEdit = Make<TEdit>(this, AutoCorrectWordsSheet, "ReplaceEdit", 8, 64, 81, 21);
  WithEdit = Make<TEdit>(this, AutoCorrectWordsSheet, "WithEdit", 96, 64, 121, 21);
  AutoCorrectList = Make<TListBox>(this, AutoCorrectWordsSheet, "AutoCorrectList", 8, 91, 209, 170);
  AddAutoCorrectButton = Make<TButton>(this, AutoCorrectWordsSheet, "AddAutoCorrectButton", 224, 64, 75, 23);
  DeleteAutoCorrectButton =
      Make<TButton>(this, AutoCorrectWordsSheet, "DeleteAutoCorrectButton", 224, 91, 75, 23);

  ExcludeWordsExplanation = Make<TLabel>(this, ExcludedWordsSheet, "ExcludeWordsExplanation", 8, 8, 289, 39);
  ExcludeEditLabel = Make<TLabel>(this, ExcludedWordsSheet, "ExcludeEditLabel", 8, 48, 200, 16);
  ExcludeEdit = Make<TEdit>(this, ExcludedWordsSheet, "ExcludeEdit", 8, 64, 209, 21);
  ExcludeList = Make<TListBox>(this, ExcludedWordsSheet, "ExcludeList", 8, 91, 209, 170);
  ExcludeList->SetSorted(true);
  AddExcludeButton = Make<TButton>(this, ExcludedWordsSheet, "AddExcludeButton", 224, 64, 75, 23);
  DeleteExcludeButton = Make<TButton>(this, ExcludedWordsSheet, "DeleteExcludeButton", 224, 91, 75, 23);

  auto note = [this](TTabSheet* sheet, const char* name) {
    auto* l = Make<TLabel>(this, sheet, name, 224, 122, 75, 139);
    l->AutoSize = false;
    l->SetWordWrap(true);
    l->SetVisible(false);
    return l;
  };
  IgnoreNote = note(AddedWordsSheet, "IgnoreNote");
  AutoCorrectNote = note(AutoCorrectWordsSheet, "AutoCorrectNote");
  ExcludeNote = note(ExcludedWordsSheet, "ExcludeNote");

  HelpButton = Make<TButton>(this, this, "HelpButton", 150, 304, 75, 23);
  OK = Make<TButton>(this, this, "OK", 231, 304, 75, 23);
  OK->ModalResult = mrOk;
  // Every change is kept at once: Escape closes the editor as OK does.
  OK->Cancel = true;
  HelpButton->OnClick = [this](TObject*) { DialogControl->HelpDictionaryEditDialog(); };
  for (TLabel* l : {AddedWordsExplain, AutoCorrectWordsExplain, ExcludeWordsExplanation}) {
    l->AutoSize = false;
    l->SetWordWrap(true);
  }
  IgnoreEditLabel->SetFocusControl(IgnoreEdit);
  ReplaceEditLabel->SetFocusControl(ReplaceEdit);
  WithEditLabel->SetFocusControl(WithEdit);
  ExcludeEditLabel->SetFocusControl(ExcludeEdit);

  IgnoreEdit->OnChange = [this](TObject*) { IgnoreEditChange(); };
  ExcludeEdit->OnChange = [this](TObject*) { ExcludeEditChange(); };
  ReplaceEdit->OnChange = [this](TObject*) { ReplaceEditChange(); };
  WithEdit->OnChange = [this](TObject*) { WithEditChange(); };
  auto enterPresses = [](TButton* b) {
    return [b](TObject*, Word& key, TShiftState) {
      if (key == 13 && b->GetEnabled()) {
        key = 0;
        b->Click();
      }
    };
  };
  IgnoreEdit->OnKeyDown = enterPresses(AddIgnoreButton);
  ExcludeEdit->OnKeyDown = enterPresses(AddExcludeButton);
  WithEdit->OnKeyDown = enterPresses(AddAutoCorrectButton);
  ReplaceEdit->OnKeyDown = [this](TObject*, Word& key, TShiftState) {
    if (key == 13 && !ReplaceEdit->GetText().empty()) {
      key = 0;
      WithEdit->SetFocus();
    }
  };
  IgnoreList->OnClick = [this](TObject*) {
    const int i = IgnoreList->GetItemIndex();
    if (i >= 0) IgnoreEdit->SetText(IgnoreList->Items().Get(i));
    else IgnoreEditChange();
  };
  ExcludeList->OnClick = [this](TObject*) {
    const int i = ExcludeList->GetItemIndex();
    if (i >= 0) ExcludeEdit->SetText(ExcludeList->Items().Get(i));
    else ExcludeEditChange();
  };
  AutoCorrectList->OnClick = [this](TObject*) {
    const int i = AutoCorrectList->GetItemIndex();
    if (i < 0 || i >= static_cast<int>(FPairs.size())) return;
    const auto pair = FPairs[static_cast<size_t>(i)];
    FFilling = true;
    WithEdit->SetText(pair.second);
    FFilling = false;
    ReplaceEdit->SetText(pair.first);
  };
  AddIgnoreButton->OnClick = [this](TObject*) {
    const String t = IgnoreEdit->GetText();
    AnsiString w;
    if (FDictionary && !IsInvisibleText(t) && ToEntry(t, w) && FDictionary->AddWord(w)) IgnoreList->Items().Add(t);
    IgnoreEditChange();
  };
  AddExcludeButton->OnClick = [this](TObject*) {
    const String t = ExcludeEdit->GetText();
    AnsiString w;
    if (FDictionary && !IsInvisibleText(t) && ToEntry(t, w) && FDictionary->AddExcludedWord(w))
      ExcludeList->Items().Add(t);
    ExcludeEditChange();
  };
  auto deleter = [this](TListBox* list, TEdit* edit, bool added) {
    return [this, list, edit, added](TObject*) {
      const String t = edit->GetText();
      AnsiString w;
      if (!FDictionary || !ToEntry(t, w) || !(added ? FDictionary->RemoveWord(w) : FDictionary->RemoveExcludedWord(w)))
        return;
      int i = list->GetItemIndex();
      if (i < 0) i = list->Items().IndexOf(t);
      if (i >= 0) list->Items().Delete(i);
      if (i >= list->Items().Count()) i = list->Items().Count() - 1;
      list->SetItemIndex(i);
      if (i >= 0) edit->SetText(list->Items().Get(i));
      else WordRule(added);
    };
  };
  DeleteIgnoreButton->OnClick = deleter(IgnoreList, IgnoreEdit, true);
  DeleteExcludeButton->OnClick = deleter(ExcludeList, ExcludeEdit, false);
  AddAutoCorrectButton->OnClick = [this](TObject*) {
    const String w = ReplaceEdit->GetText(), r = WithEdit->GetText();
    AnsiString ew, er;
    if (FDictionary && !IsInvisibleText(w) && !IsInvisibleText(r) && ToEntry(w, ew) && ToEntry(r, er) &&
        FDictionary->AddAutoCorrect(ew, er))
      AddPairRow(w, r);
    ReplaceEditChange();
  };
  DeleteAutoCorrectButton->OnClick = [this](TObject*) {
    const String w = ReplaceEdit->GetText();
    int i = PairRow(w);
    AnsiString ew;
    if (!FDictionary || i < 0 || !ToEntry(w, ew) || !FDictionary->RemoveAutoCorrect(ew)) return;
    FPairs.erase(FPairs.begin() + i);
    AutoCorrectList->Items().Delete(i);
    if (i >= static_cast<int>(FPairs.size())) i = static_cast<int>(FPairs.size()) - 1;
    AutoCorrectList->SetItemIndex(i);
    if (i >= 0) AutoCorrectList->OnClick(AutoCorrectList);
    else ReplaceEditChange();
  };
}

void TCustomDictionaryEditDialog::DialogControlConfigurationAvailable() {
  // No dictionary yet: the dialog closes at once unless one comes.
  ApplyTexts();
  FillSheets();
}

void TCustomDictionaryEditDialog::DialogControlCustomDictionaryAvailable() {
  FDictionary = DialogControl->CustomDictionary;
  ModalResult = mrNone;
  ApplyTexts();
  FillSheets();
}

void TCustomDictionaryEditDialog::ApplyTexts() {
  TConfigurationDialogCtrl* c = DialogControl;
  auto text = [c](TSpellLanguageString s) { return c->GetString(s); };
  const bool internal = FDictionary && FDictionary == c->InternalDictionary();
  AddedWordsSheet->SetText(text(internal ? lsDlgIgnoreAll : lsDlgAddedWords));
  AddedWordsExplain->SetText(text(lsDlgAddedWordsExplanation));
  IgnoreEditLabel->SetText(text(lsDlgIgnoreThisWord));
  for (TButton* b : {AddIgnoreButton, AddAutoCorrectButton, AddExcludeButton}) b->SetText(text(lsDlgAdd));
  for (TButton* b : {DeleteIgnoreButton, DeleteAutoCorrectButton, DeleteExcludeButton})
    b->SetText(text(lsDlgDelete));
  AutoCorrectWordsSheet->SetText(text(internal ? lsDlgChangeAll : lsDlgAutoCorrectPairs));
  AutoCorrectWordsExplain->SetText(text(lsDlgAutoCorrectPairsExplanation));
  ReplaceEditLabel->SetText(text(lsDlgReplace));
  WithEditLabel->SetText(text(lsDlgWith));
  ExcludedWordsSheet->SetText(text(lsDlgExcludedWords));
  ExcludeWordsExplanation->SetText(text(lsDlgExcludedWordsExplanation));
  ExcludeEditLabel->SetText(text(lsDlgExcludeThisWord));
  HelpButton->SetText(text(lsDlgHelp));
  OK->SetText(text(lsDlgOK));
  AddedWordsSheet->SetTabVisible(c->Visible(sdcAddedEdit));
  AutoCorrectWordsSheet->SetTabVisible(c->Visible(sdcAutoCorrectEdit));
  ExcludedWordsSheet->SetTabVisible(c->Visible(sdcExcludedEdit) && c->UseExcludeWords() && !internal);
  AddedWordsSheet->SetEnabled(c->Enabled(sdcAddedEdit));
  AutoCorrectWordsSheet->SetEnabled(c->Enabled(sdcAutoCorrectEdit));
  ExcludedWordsSheet->SetEnabled(c->Enabled(sdcExcludedEdit));
  if (internal)
    SetText(text(lsIgnoreAllChangeAllTitle));
  else if (FDictionary)
    SetText(BareName(FDictionary->FileName()));
  HelpButton->SetVisible(c->Visible(sdcHelp) && c->HelpCtxDictionaryEditDialog() != 0);
  HelpButton->SetEnabled(c->Enabled(sdcHelp));
  FitTabs();
}

void TCustomDictionaryEditDialog::FitTabs() {
  // Every tab's caption whole: the form grows, the lists and texts widen
  // and the buttons beside them move along.
  const int grow = PageControl->TabsWidth() + TabsMargin - PageControl->GetWidth();
  if (grow <= 0) return;
  const int buttons = AddIgnoreButton->GetLeft();
  for (TTabSheet* sheet : {AddedWordsSheet, AutoCorrectWordsSheet, ExcludedWordsSheet})
    for (int i = 0; i < sheet->ControlCount(); ++i) {
      TControl* c = sheet->Controls(i);
      if (c->GetLeft() >= buttons)
        c->SetLeft(c->GetLeft() + grow);
      else if (c->GetLeft() + c->GetWidth() >= buttons - 8)
        c->SetWidth(c->GetWidth() + grow);
    }
  PageControl->SetWidth(PageControl->GetWidth() + grow);
  for (TButton* b : {HelpButton, OK}) b->SetLeft(b->GetLeft() + grow);
  SetWidth(GetWidth() + grow);
}

void TCustomDictionaryEditDialog::FillSheets() {
  for (TButton* b : {AddIgnoreButton, DeleteIgnoreButton, AddAutoCorrectButton, DeleteAutoCorrectButton,
                     AddExcludeButton, DeleteExcludeButton})
    b->SetEnabled(false);
  if (!FDictionary) {
    ModalResult = mrCancel;
    return;
  }
  TWaitCursor wait;
  AnsiString w, r;
  for (int i = 0; i < FDictionary->GetAddedCount(); ++i) {
    FDictionary->GetAddedWord(i, w);
    IgnoreList->Items().Add(SpellWordToText(w));
  }
  for (int i = 0; i < FDictionary->GetExcludedCount(); ++i) {
    FDictionary->GetExcludedWord(i, w);
    ExcludeList->Items().Add(SpellWordToText(w));
  }
  for (int i = 0; i < FDictionary->GetAutoCorrectCount(); ++i) {
    FDictionary->GetAutoCorrect(i, r, w);
    AddPairRow(SpellWordToText(w), SpellWordToText(r));
  }
}

int TCustomDictionaryEditDialog::PairRow(const String& Word) const {
  for (size_t i = 0; i < FPairs.size(); ++i)
    if (FPairs[i].first == Word) return static_cast<int>(i);
  return -1;
}

void TCustomDictionaryEditDialog::AddPairRow(const String& Word, const String& Replacement) {
  auto at = std::lower_bound(FPairs.begin(), FPairs.end(), std::make_pair(Word, Replacement));
  const int i = static_cast<int>(at - FPairs.begin());
  FPairs.insert(at, {Word, Replacement});
  AutoCorrectList->Items().Insert(i, PairText(Word, Replacement));
}

void TCustomDictionaryEditDialog::WordRule(bool Added) {
  if (!FDictionary) return;
  TEdit* edit = Added ? IgnoreEdit : ExcludeEdit;
  TListBox* list = Added ? IgnoreList : ExcludeList;
  TButton* add = Added ? AddIgnoreButton : AddExcludeButton;
  TButton* del = Added ? DeleteIgnoreButton : DeleteExcludeButton;
  const String t = edit->GetText();
  AnsiString replacement, w;
  const bool storable = ToEntry(t, w);
  ShowNote(Added ? IgnoreNote : ExcludeNote, UnstorableLettersText(t));
  if (Added ? FDictionary->IsAddedWord(w) : FDictionary->IsExcludedWord(w)) {
    add->SetEnabled(false);
    list->SetItemIndex(list->Items().IndexOf(t));
    del->SetEnabled(list->GetItemIndex() >= 0);
    return;
  }
  list->SetItemIndex(-1);
  del->SetEnabled(false);
  const bool other = Added ? FDictionary->IsExcludedWord(w) : FDictionary->IsAddedWord(w);
  // A word that shows nothing is no word to add or exclude.
  add->SetEnabled(!IsInvisibleText(t) && storable && !other && !FDictionary->FindAutoCorrect(w, replacement));
}

void TCustomDictionaryEditDialog::ShowNote(TLabel* Note, const String& Text) {
  Note->SetText(Text);
  // As tall as its lines, so they start under the buttons.
  if (!Text.empty()) Note->SetHeight(std::max(Note->WrappedTextHeight(), 16));
  Note->SetVisible(!Text.empty());
}

void TCustomDictionaryEditDialog::IgnoreEditChange() { WordRule(true); }
void TCustomDictionaryEditDialog::ExcludeEditChange() { WordRule(false); }

void TCustomDictionaryEditDialog::ReplaceEditChange() {
  if (!FDictionary || FFilling) return;
  const String t = ReplaceEdit->GetText();
  AnsiString replacement, w, with;
  const bool storable = ToEntry(t, w) && ToEntry(WithEdit->GetText(), with);
  ShowNote(AutoCorrectNote, UnstorableLettersText(t + WithEdit->GetText()));
  if (FDictionary->FindAutoCorrect(w, replacement)) {
    AddAutoCorrectButton->SetEnabled(false);
    AutoCorrectList->SetItemIndex(PairRow(t));
    DeleteAutoCorrectButton->SetEnabled(AutoCorrectList->GetItemIndex() >= 0);
    return;
  }
  AutoCorrectList->SetItemIndex(-1);
  DeleteAutoCorrectButton->SetEnabled(false);
  // A replacement that shows nothing would delete its word unseen.
  AddAutoCorrectButton->SetEnabled(!IsInvisibleText(t) && !IsInvisibleText(WithEdit->GetText()) && storable &&
                                    !FDictionary->IsAddedWord(w) && !FDictionary->IsExcludedWord(w));
}

void TCustomDictionaryEditDialog::WithEditChange() {
  if (!FDictionary || FFilling) return;
  const int row = AutoCorrectList->GetItemIndex();
  if (row < 0) {
    ReplaceEditChange();
    return;
  }
  const String word = ReplaceEdit->GetText(), with = WithEdit->GetText();
  AnsiString stored, w, r;
  // An emptied (or blank) replacement is never stored: a pair that corrects
  // a word to nothing would delete it from the user's text. The last one stays.
  if (IsInvisibleText(with) || !ToEntry(word, w) || !ToEntry(with, r) || !FDictionary->FindAutoCorrect(w, stored) ||
      stored == r)
    return;
  FDictionary->RemoveAutoCorrect(w);
  FDictionary->AddAutoCorrect(w, r);
  const int i = PairRow(word);
  if (i < 0) return;
  FPairs[static_cast<size_t>(i)].second = with;
  AutoCorrectList->Items().Put(i, PairText(word, with));
}

// ---------------------------------------------------------------------------
// New custom dictionary

TNewCustomDictionary::TNewCustomDictionary(TComponent* AOwner) : TForm(AOwner) {
  SetBorderStyle(bsDialog);
  SetWidth(231);
  SetHeight(102);
  Position = poOwnerFormCenter;
  DialogControl = MakeControl(this);
  DialogControl->OnConfigurationAvailable = [this](TObject*) { DialogControlConfigurationAvailable(); };
  EditLabel = Make<TLabel>(this, this, "EditLabel", 8, 16, 217, 16);
  NameEdit = Make<TEdit>(this, this, "NameEdit", 8, 40, 217, 21);
  EditLabel->SetFocusControl(NameEdit);
  OKButton = Make<TButton>(this, this, "OKButton", 70, 72, 75, 23);
  OKButton->ModalResult = mrOk;
  OKButton->SetDefault(true);
  CancelButton = Make<TButton>(this, this, "CancelButton", 150, 72, 75, 23);
  CancelButton->ModalResult = mrCancel;
  CancelButton->Cancel = true;
}

void TNewCustomDictionary::DialogControlConfigurationAvailable() {
  TConfigurationDialogCtrl* c = DialogControl;
  SetText(c->GetString(lsNewCustomTitle));
  EditLabel->SetText(c->GetString(lsDlgNewCustom));
  OKButton->SetText(c->GetString(lsDlgOK));
  CancelButton->SetText(c->GetString(lsDlgCancel));
}

// The engine's command sets decide which elements of the spelling forms are
// shown and usable; the spelling dialog stays with the checked editor.
#include "SpellEditorSupport.h"

#include "spell/scConfigDialogs.h"
#include "spell/scCustomDictionary.h"
#include "spell/scSpellDialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {
using spellvltest::TSpellEditor;

struct TShown {
  bool visible, enabled;
};
TShown Of(TControl* c) { return {c->GetVisible(), c->GetEnabled()}; }

struct DialogCommands : ::testing::Test {
  DialogCommands() {
    w.Spell->Configuration().SetActive(true);
    w.Spell->OpenDictionaries();
    w.Spell->HelpCtxSpellDialog = w.Spell->HelpCtxConfigDialog = w.Spell->HelpCtxDictionariesDialog =
        w.Spell->HelpCtxDictionaryEditDialog = 7;
    w.Spell->InternalDictionary().AddWord("zzyzx");
    w.Spell->OnShowAddDictionaryDir = [this](TObject*, TComponent*) { ++browsed; };
  }
  TSpellEditor w;
  int browsed = 0;
};

// The element of one command on a freshly bound form.
using TProbe = std::function<TShown(TSpellEditor&, int& browsed)>;

TProbe OnSpellDialog(TButton* TSpellDialog::*button) {
  return [button](TSpellEditor& w, int&) {
    TSpellDialog d(nullptr);
    w.Spell->BindDialogControl(&d);
    d.DialogControl->PromptWord(w.Spell.get(), "wrod", false);
    return Of(d.*button);
  };
}

template <typename TElement>
TProbe OnOptionsDialog(TElement* TSpellCheckConfigDialog::*element) {
  return [element](TSpellEditor& w, int&) {
    TSpellCheckConfigDialog d(nullptr);
    w.Spell->BindDialogControl(&d);
    return Of(d.*element);
  };
}

TProbe OnEditor(TTabSheet* TCustomDictionaryEditDialog::*sheet) {
  return [sheet](TSpellEditor& w, int&) {
    TCustomDictionary dict;
    TCustomDictionaryEditDialog d(nullptr);
    w.Spell->BindDialogControl(&d, &dict);
    return TShown{(d.*sheet)->GetTabVisible(), (d.*sheet)->GetEnabled()};
  };
}

TEST_F(DialogCommands, EachCommandShowsAndEnablesItsElement) {
  struct Case {
    TSpellDialogCommand command;
    const char* element;
    TProbe probe;
    bool enabling = true;  // whether the element's enabling follows the set alone
  } cases[] = {
      {sdcIgnore, "Ignore", OnSpellDialog(&TSpellDialog::IgnoreButton)},
      {sdcIgnoreAll, "Ignore All", OnSpellDialog(&TSpellDialog::IgnoreAllButton)},
      {sdcChange, "Change", OnSpellDialog(&TSpellDialog::ChangeButton)},
      {sdcChangeAll, "Change All", OnSpellDialog(&TSpellDialog::ChangeAllButton)},
      {sdcAdd, "Add", OnSpellDialog(&TSpellDialog::AddButton)},
      {sdcAutoCorrect, "Auto-Correct", OnSpellDialog(&TSpellDialog::AutoCorrectButton)},
      // Undo waits for something to undo as well.
      {sdcUndo, "Undo", OnSpellDialog(&TSpellDialog::UndoButton), false},
      {sdcHelp, "Help of the spelling dialog", OnSpellDialog(&TSpellDialog::HelpButton)},
      {sdcCancel, "Cancel", OnSpellDialog(&TSpellDialog::CancelButton)},
      {sdcOptions, "Options", OnSpellDialog(&TSpellDialog::OptionsButton)},
      {sdcHelp, "Help of the options", OnOptionsDialog(&TSpellCheckConfigDialog::HelpButton)},
      {sdcCustomDictionary, "custom dictionary box", OnOptionsDialog(&TSpellCheckConfigDialog::CustomCombo)},
      {sdcCustomDictionary, "its label", OnOptionsDialog(&TSpellCheckConfigDialog::CustomLabel)},
      {sdcCustomDictionaries, "Dictionaries",
       OnOptionsDialog(&TSpellCheckConfigDialog::DictionariesButton)},
      {sdcConfigOK, "OK", OnOptionsDialog(&TSpellCheckConfigDialog::OK)},
      {sdcResetDefaults, "Reset Defaults", OnOptionsDialog(&TSpellCheckConfigDialog::ResetButton)},
      {sdcMainDictFolderBrowse, "browse row",
       [](TSpellEditor& w, int& browsed) {
         TSpellCheckConfigDialog d(nullptr);
         w.Spell->BindDialogControl(&d);
         const int row = d.BrowseRow();
         if (row < 0) return TShown{false, false};
         EXPECT_EQ(d.MainDictionaries->Items().Get(row), w.Spell->GetString(lsDlgBrowseForMain));
         const int before = browsed;
         d.MainDictionaries->SetChecked(row, true);
         d.MainDictionaries->OnClickCheck(d.MainDictionaries, row);
         EXPECT_FALSE(d.MainDictionaries->GetChecked(row));
         return TShown{true, browsed > before};
       }},
      {sdcInternalEdit, "Ignore All / Change All row",
       [](TSpellEditor& w, int&) {
         TCustomDictionariesDialog d(nullptr);
         w.Spell->BindDialogControl(&d);
         if (d.Entries().empty() || !d.Entries()[0].Internal) return TShown{false, false};
         d.CustomDictionaries->SetItemIndex(0);
         d.CustomDictionaries->OnClick(d.CustomDictionaries);
         return TShown{true, d.EditButton->GetEnabled()};
       }},
      {sdcHelp, "Help of the dictionaries",
       [](TSpellEditor& w, int&) {
         TCustomDictionariesDialog d(nullptr);
         w.Spell->BindDialogControl(&d);
         return Of(d.HelpButton);
       }},
      {sdcAddedEdit, "added words", OnEditor(&TCustomDictionaryEditDialog::AddedWordsSheet)},
      {sdcAutoCorrectEdit, "auto-correct pairs", OnEditor(&TCustomDictionaryEditDialog::AutoCorrectWordsSheet)},
      {sdcExcludedEdit, "excluded words", OnEditor(&TCustomDictionaryEditDialog::ExcludedWordsSheet)},
      {sdcHelp, "Help of the editor",
       [](TSpellEditor& w, int&) {
         TCustomDictionary dict;
         TCustomDictionaryEditDialog d(nullptr);
         w.Spell->BindDialogControl(&d, &dict);
         return Of(d.HelpButton);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.element);
    const TSpellDialogCommands all = kAllSpellDialogCommands;
    w.Spell->CommandsVisible = w.Spell->CommandsEnabled = all;
    const TShown full = c.probe(w, browsed);
    EXPECT_TRUE(full.visible);
    if (c.enabling) {
      EXPECT_TRUE(full.enabled);
    }
    w.Spell->CommandsVisible = all - TSpellDialogCommands{c.command};
    EXPECT_FALSE(c.probe(w, browsed).visible);
    w.Spell->CommandsVisible = all;
    w.Spell->CommandsEnabled = all - TSpellDialogCommands{c.command};
    const TShown off = c.probe(w, browsed);
    EXPECT_TRUE(off.visible);
    EXPECT_FALSE(off.enabled);
  }
}

TEST_F(DialogCommands, WithoutOptionsUndoTakesTheBottomCorner) {
  w.Spell->CommandsVisible = kAllSpellDialogCommands - TSpellDialogCommands{sdcOptions};
  TSpellDialog d(nullptr);
  w.Spell->BindDialogControl(&d);
  EXPECT_FALSE(d.OptionsButton->GetVisible());
  EXPECT_EQ(d.UndoButton->GetTop(), 138);
}

TEST_F(DialogCommands, AnUnboundSpellingDialogDoesNothing) {
  TSpellDialog d(nullptr);
  const String caption = d.NotFoundText->GetText();
  d.DialogControl->PromptWord(nullptr, "wrod", false);
  for (TButton* b : {d.IgnoreButton, d.ChangeButton, d.AddButton, d.UndoButton, d.CancelButton})
    b->Click();
  EXPECT_EQ(d.NotFoundEdit->GetText(), "");
  EXPECT_EQ(d.NotFoundText->GetText(), caption);
}

TEST_F(DialogCommands, TheSpellingDialogIsOwnedByTheCheckedEditorsWindowAndShowsEachWordFirst) {
  w.SetText({"Teh cat sat"});
  std::vector<String> shown;
  w.Spell->OnPromptWord = [this, &shown](TObject*, const AnsiString& word, bool) {
    // The dialog already shows the word the host hears of.
    shown.push_back(w.Dialog() ? w.Dialog()->NotFoundEdit->GetText() + "/" + word : "none");
  };
  w.Check();
  ASSERT_TRUE(w.Spell->CheckRunning());
  TSpellDialog* d = w.Dialog();
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->GetOwnerWindow(), w.E.Form.get());
  EXPECT_TRUE(d->WindowOwnedBy(w.E.Form.get()));
  EXPECT_EQ(shown, std::vector<String>{"Teh/Teh"});
  d->CancelButton->Click();
  EXPECT_FALSE(w.Spell->CheckRunning());
}

// The dialog sits above the editor being checked even while another window
// (the journal's main window) is the active one or the program's main form:
// the owner the component names, not whichever window is at hand.
TEST_F(DialogCommands, TheSpellingDialogStaysAboveTheCheckedEditorWhateverWindowIsActive) {
  enum class TOther { Active, MainForm, None };
  for (TOther other : {TOther::Active, TOther::MainForm, TOther::None}) {
    SCOPED_TRACE(static_cast<int>(other));
    TSpellEditor e;
    e.SetText({"Caf\xC3\xA9 wrods"});
    TForm main(nullptr);
    main.SetBounds(500, 0, 300, 200);
    TCustomForm* const savedMain = Application->MainForm;
    if (other != TOther::None) main.Show();
    if (other == TOther::MainForm) Application->MainForm = &main;
    e.Check();
    ASSERT_TRUE(e.Spell->CheckRunning());
    TSpellDialog* d = e.Dialog();
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->WindowOwnedBy(e.E.Form.get()));
    EXPECT_FALSE(d->WindowOwnedBy(&main));
    d->CancelButton->Click();
    Application->MainForm = savedMain;
  }
}

}  // namespace

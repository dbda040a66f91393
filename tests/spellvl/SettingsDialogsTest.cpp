// The options dialog, the custom dictionaries dialog, the dictionary editor
// and the new-dictionary dialog, driven as a user would.
#include "SpellEditorSupport.h"

#include "spell/scConfigDialogs.h"
#include "spell/scCustomDictionary.h"
#include "spell/scSpellDialog.h"

#include "platform/gui/ControlsPrivate.h"

#include <QLineEdit>
#include <QListWidget>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <gtest/gtest.h>

#include <filesystem>

namespace {
using spellvltest::TSpellEditor;
using spellvltest::TypeText;

std::vector<String> Rows(TStrings& items) {
  std::vector<String> r;
  for (int i = 0; i < items.Count(); ++i) r.push_back(items.Get(i));
  return r;
}

struct Settings : ::testing::Test {
  Settings() {
    w.Spell->Configuration().SetActive(true);
    w.Spell->OpenDictionaries();
  }
  TSpellEditor w;
};

TEST_F(Settings, OptionsDialogShowsTheAvailableOptionsAndAppliesThemAtOnce) {
  const std::vector<String> journal = {"Check spelling as you type", "Correct spelling errors as you type",
                                       "Ignore words in &UPPERCASE", "Ignore words containing numbers",
                                       "Suggest from main dictionaries only", "Prompt on repeated word",
                                       "Automatically correct DUal capitals"};
  struct Case {
    TSpellOptions available;
    std::vector<String> shown;
  } cases[] = {
      {{soLiveSpelling, soLiveCorrect, soUpcase, soNumbers, soPrimaryOnly, soRepeated, soDUalCaps}, journal},
      {{soUpcase, soRepeated}, {"Ignore words in &UPPERCASE", "Prompt on repeated word"}},
  };
  int fullHeight = -1;
  for (const Case& c : cases) {
    w.Spell->ConfigAvailableOptions = c.available;
    TSpellCheckConfigDialog d(nullptr);
    w.Spell->BindDialogControl(&d);
    std::vector<String> shown;
    for (TCheckBox* b : d.Options)
      if (b->GetVisible()) shown.push_back(b->GetText());
    EXPECT_EQ(shown, c.shown);
    // The form is shorter by the hidden boxes (16 pixels each).
    if (fullHeight < 0) fullHeight = d.GetHeight() + 16 * static_cast<int>(10 - c.shown.size());
    EXPECT_EQ(d.GetHeight(), fullHeight - 16 * static_cast<int>(10 - c.shown.size()));
    // The note on where the words are kept sits between the dictionaries
    // and the buttons.
    EXPECT_GT(d.StorageNote->GetTop(), d.DictionariesGroup->GetTop() + d.DictionariesGroup->GetHeight());
    EXPECT_LE(d.StorageNote->GetTop() + d.StorageNote->GetHeight(), d.OK->GetTop());
    // A click on each box switches its option in the configuration; the
    // as-you-type ones are off and greyed, their stored value kept.
    for (size_t i = 0; i < c.shown.size(); ++i) {
      TCheckBox* b = d.Options[i];
      const auto option = static_cast<TSpellOption>(b->Tag);
      const bool before = w.Spell->Configuration().GetOptions().Contains(option);
      if (option == soLiveSpelling || option == soLiveCorrect) {
        EXPECT_TRUE(before) << b->GetText();  // stored as they were
        EXPECT_FALSE(b->GetChecked()) << b->GetText();
        EXPECT_FALSE(b->GetEnabled()) << b->GetText();
        EXPECT_NE(b->GetHint().find("on request (F7)"), String::npos) << b->GetHint();
        continue;
      }
      EXPECT_EQ(b->GetChecked(), before) << b->GetText();
      b->SetChecked(!before);
      b->Click();
      EXPECT_EQ(w.Spell->Configuration().GetOptions().Contains(option), !before) << b->GetText();
    }
  }
}

// Two controls of a form overlap (their bounds share pixels).
bool Overlap(TControl* a, TControl* b) {
  return a->GetLeft() < b->GetLeft() + b->GetWidth() && b->GetLeft() < a->GetLeft() + a->GetWidth() &&
         a->GetTop() < b->GetTop() + b->GetHeight() && b->GetTop() < a->GetTop() + a->GetHeight();
}

// The note on where the words are kept shows whole in the fonts a desktop
// gives (often larger than the design's): clear of the dictionaries' frame
// above, its last line inside it, the buttons below it.
TEST_F(Settings, StorageNoteShowsWholeInLargerFonts) {
  struct Case {
    const char* font;
    int size;
  } cases[] = {{"DejaVu Sans", 9}, {"DejaVu Sans", 11}, {"Liberation Serif", 14}, {"DejaVu Sans", 16}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.font) + " " + std::to_string(c.size));
    TSpellCheckConfigDialog d(nullptr);
    for (TControl* ctl : std::initializer_list<TControl*>{d.StorageNote, d.OK, d.CancelButton}) {
      ctl->Font.SetName(c.font);
      ctl->Font.SetSize(c.size);
    }
    w.Spell->BindDialogControl(&d);
    TLabel* note = d.StorageNote;
    EXPECT_GE(note->GetHeight(), note->WrappedTextHeight());
    EXPECT_GT(note->GetTop(), d.DictionariesGroup->GetTop() + d.DictionariesGroup->GetHeight());
    EXPECT_LE(note->GetTop() + note->GetHeight(), d.OK->GetTop());
    EXPECT_LE(d.OK->GetTop() + d.OK->GetHeight(), d.ClientHeight());
    EXPECT_EQ(d.CancelButton->GetTop(), d.OK->GetTop());
  }
}

TEST_F(Settings, OptionsCancelPutsBackWhatTheDialogOpenedWith) {
  TSpellConfig& config = w.Spell->Configuration();
  const TSpellOptions options = config.GetOptions();
  const String active = config.GetActiveCustom();
  const int mains = config.MainDictionaries.Count();
  for (bool cancel : {true, false}) {
    SCOPED_TRACE(cancel);
    TSpellCheckConfigDialog d(nullptr);
    w.Spell->BindDialogControl(&d);
    ASSERT_NE(d.CancelButton, nullptr);
    EXPECT_TRUE(d.CancelButton->GetVisible());
    EXPECT_TRUE(d.CancelButton->Cancel);
    EXPECT_EQ(d.CancelButton->ModalResult, mrCancel);
    EXPECT_EQ(d.CancelButton->GetText(), "Cancel");
    for (TButton* a : {d.OK, d.CancelButton, d.ResetButton, d.HelpButton}) {
      EXPECT_LE(a->GetLeft() + a->GetWidth(), d.ClientWidth()) << a->GetName();
      for (TButton* b : {d.OK, d.CancelButton, d.ResetButton, d.HelpButton})
        if (a != b) {
          EXPECT_FALSE(Overlap(a, b)) << a->GetName() << " " << b->GetName();
        }
    }
    // Change an option and untick the first main dictionary.
    TCheckBox* upper = nullptr;
    for (TCheckBox* b : d.Options)
      if (b->GetVisible() && b->Tag == soUpcase) upper = b;
    ASSERT_NE(upper, nullptr);
    upper->SetChecked(!upper->GetChecked());
    upper->Click();
    d.MainDictionaries->SetChecked(0, !d.MainDictionaries->GetChecked(0));
    d.MainDictionaries->OnClickCheck(d.MainDictionaries, 0);
    EXPECT_NE(config.GetOptions(), options);
    if (cancel) {
      d.Revert();
      EXPECT_EQ(config.GetOptions(), options);
      EXPECT_EQ(config.MainDictionaries.Count(), mains);
      EXPECT_EQ(config.GetActiveCustom(), active);
    } else {
      // OK keeps the choices: put them back by hand for the next round.
      config.SetOptions(options);
      d.MainDictionaries->SetChecked(0, !d.MainDictionaries->GetChecked(0));
      d.MainDictionaries->OnClickCheck(d.MainDictionaries, 0);
    }
  }
}

TEST_F(Settings, DictionaryEditorTabsAndSpellingCaptionsFitWhole) {
  TCustomDictionary dict;
  ASSERT_TRUE(dict.SetFileName((w.Tmp / "Tabs.spu").string()));
  TCustomDictionaryEditDialog d(nullptr);
  w.Spell->BindDialogControl(&d, &dict);
  EXPECT_LE(d.PageControl->TabsWidth(), d.PageControl->GetWidth());
  EXPECT_LE(d.PageControl->GetLeft() + d.PageControl->GetWidth(), d.ClientWidth());
  for (TTabSheet* sheet : {d.AddedWordsSheet, d.AutoCorrectWordsSheet, d.ExcludedWordsSheet})
    for (int i = 0; i < sheet->ControlCount(); ++i) {
      TControl* c = sheet->Controls(i);
      EXPECT_LE(c->GetLeft() + c->GetWidth(), d.PageControl->GetWidth()) << c->GetName();
      // The fields, lists and buttons stay apart (captions may touch).
      for (int k = 0; k < sheet->ControlCount(); ++k)
        if (k != i && !dynamic_cast<TLabel*>(c) && !dynamic_cast<TLabel*>(sheet->Controls(k))) {
          EXPECT_FALSE(Overlap(c, sheet->Controls(k))) << c->GetName() << " " << sheet->Controls(k)->GetName();
        }
    }
  // The spelling dialog's first column: "Repeated Word:" keeps its gap.
  TSpellDialog s(nullptr);
  w.Spell->CommandsVisible = w.Spell->CommandsEnabled = TSpellDialogCommands{sdcIgnore, sdcChange};
  w.Spell->BindDialogControl(&s);
  for (bool repeated : {true, false}) {
    s.DialogControl->PromptWord(w.Spell.get(), "the", repeated);
    EXPECT_EQ(s.NotFoundText->GetText(), repeated ? "Repeated Word:" : "Not Found:");
    for (TControl* label : std::initializer_list<TControl*>{s.NotFoundText, s.ReplaceWithText, s.SuggestionsText})
      EXPECT_LE(label->GetLeft() + label->GetWidth() + 6, s.NotFoundEdit->GetLeft()) << label->GetName();
    EXPECT_FALSE(Overlap(s.SuggestionsListbox, s.IgnoreButton));
    EXPECT_LE(s.CancelButton->GetLeft() + s.CancelButton->GetWidth(), s.ClientWidth());
  }
}

TEST_F(Settings, MainDictionaryRowsSwitchDictionariesAndTheBrowseRowStaysUnticked) {
  TSpellCheckConfigDialog d(nullptr);
  w.Spell->BindDialogControl(&d);
  const std::vector<String> rows = Rows(d.MainDictionaries->Items());
  ASSERT_GE(rows.size(), 3u);  // American, British, browse
  EXPECT_EQ(rows.back(), w.Spell->GetString(lsDlgBrowseForMain));
  int american = -1;
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i].find("American.spm") != String::npos) american = static_cast<int>(i);
  ASSERT_GE(american, 0);
  TStringList& chosen = w.Spell->Configuration().MainDictionaries;
  for (bool on : {true, false, true}) {
    d.MainDictionaries->SetChecked(american, on);
    d.MainDictionaries->OnClickCheck(d.MainDictionaries, american);
    EXPECT_EQ(chosen.IndexOf("American.spm") >= 0, on);
  }
  // Ticking the browse row asks for a folder; cancelled, nothing is added.
  TInteractionScript script;
  script.Answer(mrCancel);
  d.MainDictionaries->SetChecked(d.BrowseRow(), true);
  d.MainDictionaries->OnClickCheck(d.MainDictionaries, d.BrowseRow());
  EXPECT_FALSE(d.MainDictionaries->GetChecked(d.BrowseRow()));
  EXPECT_EQ(w.Spell->Configuration().GetNewPaths().Count(), 0);
  EXPECT_EQ(script.Shown.size(), 1u);
}

// The rows as the user meets them: the mouse on a row's caption or box,
// Space on the current row.
TEST_F(Settings, MainDictionaryRowsAnswerTheMouseAndSpace) {
  enum class TAct { Caption, Box, Space };
  TSpellCheckConfigDialog d(nullptr);
  w.Spell->BindDialogControl(&d);
  d.Show();
  auto* l = qobject_cast<QListWidget*>(WidgetOf(d.MainDictionaries));
  ASSERT_NE(l, nullptr);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(l->window(), 60000));
  auto act = [&](int row, TAct how) {
    QListWidgetItem* item = l->item(row);
    QStyleOptionViewItem opt;
    opt.initFrom(l);
    opt.rect = l->visualItemRect(item);
    opt.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    const QRect box = l->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, l);
    l->scrollToItem(item);
    switch (how) {
      case TAct::Caption:
        QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, QPoint(box.right() + 40, box.center().y()));
        break;
      case TAct::Box: QTest::mouseClick(l->viewport(), Qt::LeftButton, {}, box.center()); break;
      case TAct::Space:
        l->setCurrentRow(row);
        l->setFocus();
        QTest::keyClick(l, Qt::Key_Space);
        break;
    }
  };
  int american = -1;
  for (int i = 0; i < d.MainDictionaries->Items().Count(); ++i)
    if (d.MainDictionaries->Items().Get(i).find("American.spm") != String::npos) american = i;
  ASSERT_GE(american, 0);
  TStringList& chosen = w.Spell->Configuration().MainDictionaries;
  for (TAct how : {TAct::Caption, TAct::Box, TAct::Space}) {
    SCOPED_TRACE(static_cast<int>(how));
    const bool before = chosen.IndexOf("American.spm") >= 0;
    act(american, how);
    EXPECT_EQ(chosen.IndexOf("American.spm") >= 0, !before);
    EXPECT_EQ(d.MainDictionaries->GetChecked(american), !before);
    // "Locate Dictionaries..." asks for a folder and stays unticked.
    TInteractionScript script;
    script.Answer(mrCancel);
    act(d.BrowseRow(), how);
    EXPECT_EQ(script.Shown.size(), 1u);
    EXPECT_FALSE(d.MainDictionaries->GetChecked(d.BrowseRow()));
    EXPECT_EQ(w.Spell->Configuration().GetNewPaths().Count(), 0);
  }
}

TEST_F(Settings, CustomDictionariesNewRenameDeleteAndEdit) {
  TCustomDictionariesDialog d(nullptr);
  w.Spell->BindDialogControl(&d);
  auto names = [&] { return Rows(d.CustomDictionaries->Items()); };
  const size_t before = names().size();
  {
    TInteractionScript script;
    script.Do([](TInteraction& r) {
      auto* n = dynamic_cast<TNewCustomDictionary*>(r.Form);
      if (n) n->NameEdit->SetText("Travel.txt");  // another extension becomes .spu
      return static_cast<int>(mrOk);
    });
    d.NewButtonClick();
  }
  ASSERT_EQ(names().size(), before + 1);
  EXPECT_TRUE(std::filesystem::exists(w.Tmp / "Travel.spu"));
  // New with a name that exists (in any case) selects it and creates nothing.
  {
    TInteractionScript script;
    script.Do([](TInteraction& r) {
      if (auto* n = dynamic_cast<TNewCustomDictionary*>(r.Form)) n->NameEdit->SetText("TRAVEL.spu");
      return static_cast<int>(mrOk);
    });
    d.NewButtonClick();
    EXPECT_EQ(names().size(), before + 1);
    EXPECT_EQ(names()[static_cast<size_t>(d.CustomDictionaries->GetItemIndex())], "Travel.spu");
  }
  // Rename in place.
  const int row = d.CustomDictionaries->GetItemIndex();
  d.CustomDictionaries->CommitEdit(row, "Trips.spu");
  EXPECT_EQ(names()[static_cast<size_t>(row)], "Trips.spu");
  EXPECT_TRUE(std::filesystem::exists(w.Tmp / "Trips.spu"));
  EXPECT_FALSE(std::filesystem::exists(w.Tmp / "Travel.spu"));
  // Edit: add a word through the editor; it is in the file afterwards.
  {
    TInteractionScript script;
    script.Do([](TInteraction& r) {
      if (auto* e = dynamic_cast<TCustomDictionaryEditDialog*>(r.Form)) {
        e->IgnoreEdit->SetText("zorblax");
        e->AddIgnoreButton->Click();
      }
      return static_cast<int>(mrOk);
    });
    d.EditButtonClick();
  }
  TCustomDictionary check;
  ASSERT_TRUE(check.SetFileName((w.Tmp / "Trips.spu").string()));
  check.SetActive(true);
  EXPECT_TRUE(check.IsAddedWord("zorblax"));
  // Delete asks first: No keeps it, Yes deletes the file.
  for (int answer : {IDNO, IDYES}) {
    TInteractionScript script;
    script.Answer(answer);
    d.FocusEntry("Trips.spu");
    d.DeleteButtonClick();
    ASSERT_EQ(script.Shown.size(), 1u);
    EXPECT_EQ(script.Shown[0].Text, "Delete this custom dictionary?");
    EXPECT_EQ(std::filesystem::exists(w.Tmp / "Trips.spu"), answer == IDNO);
  }
  EXPECT_EQ(names().size(), before);
}

TEST_F(Settings, RenamedRowNamesItsFileAndHostileNamesAreRefused) {
  ASSERT_TRUE(w.Spell->NewCustomDictionary("Travel"));
  {
    TCustomDictionary d;
    ASSERT_TRUE(d.SetFileName((w.Tmp / "Travel.spu").string()));
    d.SetActive(true);
    d.AddAutoCorrect("teh", "the");
    ASSERT_TRUE(d.Save());
  }
  TCustomDictionariesDialog d(nullptr);
  w.Spell->BindDialogControl(&d);
  ASSERT_TRUE(d.FocusEntry("Travel.spu"));
  const int row = d.CustomDictionaries->GetItemIndex();
  auto row_text = [&] { return d.CustomDictionaries->Items().Get(row); };
  // Names that are no plain file name of the folder leave everything as it was.
  for (const char* hostile : {"../escaped", "..", ".", ".hidden", "sub/name", "a\\b", "tab\tname"}) {
    SCOPED_TRACE(hostile);
    TInteractionScript script;
    script.Answer(IDOK);
    d.CustomDictionaries->CommitEdit(row, hostile);
    ASSERT_EQ(script.Shown.size(), 1u);  // the user is told why
    EXPECT_NE(script.Shown[0].Text.find("cannot be used"), String::npos);
    EXPECT_EQ(row_text(), "Travel.spu");
    EXPECT_TRUE(std::filesystem::exists(w.Tmp / "Travel.spu"));
  }
  EXPECT_FALSE(std::filesystem::exists(w.Tmp.path().parent_path() / "escaped.spu"));
  for (const auto& f : std::filesystem::directory_iterator(w.Tmp.path()))
    EXPECT_NE(f.path().filename().string().front(), '.') << f.path();
  // A name without the extension: the row shows the file it now is.
  d.CustomDictionaries->CommitEdit(row, "Trips");
  EXPECT_EQ(row_text(), "Trips.spu");
  EXPECT_TRUE(std::filesystem::exists(w.Tmp / "Trips.spu"));
  EXPECT_FALSE(std::filesystem::exists(w.Tmp / "Trips"));
  TStringList& listed = w.Spell->Configuration().CustomDictionaries;
  EXPECT_GE(listed.IndexOf("Trips.spu"), 0);
  // Unticking the row takes the dictionary out of use.
  d.CustomDictionaries->SetChecked(row, false);
  d.CustomDictionaries->OnClickCheck(d.CustomDictionaries, row);
  EXPECT_EQ(listed.IndexOf("Trips.spu"), -1);
  for (const auto& c : w.Spell->CustomDictionaries()) EXPECT_EQ(c->GetAutoCorrectCount(), 0);
  // Edit shows the dictionary's own pairs.
  TInteractionScript script;
  int pairs = -1;
  script.Do([&](TInteraction& r) {
    if (auto* e = dynamic_cast<TCustomDictionaryEditDialog*>(r.Form)) pairs = e->AutoCorrectList->Items().Count();
    return static_cast<int>(mrOk);
  });
  d.FocusEntry("Trips.spu");
  d.EditButtonClick();
  EXPECT_EQ(pairs, 1);
}

// A dictionary's row renamed from the keyboard with F2 as with a
// double-click: the row's editor opens on it and takes the typed name;
// Enter renames the file, Escape leaves it as it was. Either ends the edit
// only, not the dialog.
TEST_F(Settings, F2RenamesTheChosenDictionaryAsADoubleClickDoes) {
  auto f2 = [](QListWidget* list, int) { QTest::keyClick(list, Qt::Key_F2); };
  const struct {
    const char* Name;
    std::function<void(QListWidget*, int)> Open;
    Qt::Key End;
    const char* Renamed;
  } cases[] = {
      {"F2", f2, Qt::Key_Return, "Trips.spu"},
      {"double-click",
       [](QListWidget* list, int row) {
         const QPoint at = list->visualItemRect(list->item(row)).center();
         QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
         QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
       },
       Qt::Key_Return, "Trips.spu"},
      {"F2 then Escape", f2, Qt::Key_Escape, "Travel.spu"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    ASSERT_TRUE(w.Spell->NewCustomDictionary("Travel"));
    TCustomDictionariesDialog d(nullptr);
    w.Spell->BindDialogControl(&d);
    ASSERT_TRUE(d.FocusEntry("Travel.spu"));
    const int row = d.CustomDictionaries->GetItemIndex();
    d.Show();
    QWidget* window = WidgetOf(&d)->window();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    d.CustomDictionaries->SetFocus();
    QApplication::processEvents();
    auto* list = static_cast<QListWidget*>(WidgetOf(d.CustomDictionaries));
    ASSERT_EQ(QApplication::focusWidget(), list);
    c.Open(list, row);
    QApplication::processEvents();
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr) << "the row's editor did not open";
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(editor, "Trips");
    QTest::keyClick(editor, c.End);
    QApplication::processEvents();
    const std::string other = std::string(c.Renamed) == "Trips.spu" ? "Travel.spu" : "Trips.spu";
    EXPECT_EQ(d.CustomDictionaries->Items().Get(row), c.Renamed);
    EXPECT_TRUE(std::filesystem::exists(w.Tmp / c.Renamed));
    EXPECT_FALSE(std::filesystem::exists(w.Tmp / other));
    EXPECT_TRUE(d.GetVisible() && WidgetOf(&d)->window()->isVisible()) << "the key closed the dialog";
    d.Hide();
    w.Spell->DeleteCustomDictionary(c.Renamed);
  }
}

// Add greys out for text the dictionary cannot store, and a note under the
// buttons says why; typed with the keyboard into each sheet's fields.
TEST_F(Settings, DictionaryEditorSaysWhyAddIsUnavailable) {
  TCustomDictionary dict;
  ASSERT_TRUE(dict.SetFileName((w.Tmp / "Notes.spu").string()));
  dict.SetActive(true);
  TCustomDictionaryEditDialog d(nullptr);
  w.Spell->BindDialogControl(&d, &dict);
  struct Case {
    TEdit* TCustomDictionaryEditDialog::*edit;
    TEdit* TCustomDictionaryEditDialog::*with;  // typed "caf\u00E9 cr\u00E8me" when set
    TButton* TCustomDictionaryEditDialog::*add;
    TLabel* TCustomDictionaryEditDialog::*note;
    const char* typed;
    std::vector<std::string> named;  // in the note; none: no note, Add available
  } cases[] = {
      {&TCustomDictionaryEditDialog::IgnoreEdit, nullptr, &TCustomDictionaryEditDialog::AddIgnoreButton,
       &TCustomDictionaryEditDialog::IgnoreNote, "\xC5\x81\xC3\xB3" "d\xC5\xBA", {"\xC5\x81", "\xC5\xBA"}},
      {&TCustomDictionaryEditDialog::IgnoreEdit, nullptr, &TCustomDictionaryEditDialog::AddIgnoreButton,
       &TCustomDictionaryEditDialog::IgnoreNote, "na\xC3\xAFvet\xC3\xA9", {}},
      {&TCustomDictionaryEditDialog::ExcludeEdit, nullptr, &TCustomDictionaryEditDialog::AddExcludeButton,
       &TCustomDictionaryEditDialog::ExcludeNote, "smile\xF0\x9F\x98\x80", {"\xF0\x9F\x98\x80"}},
      {&TCustomDictionaryEditDialog::ReplaceEdit, &TCustomDictionaryEditDialog::WithEdit,
       &TCustomDictionaryEditDialog::AddAutoCorrectButton, &TCustomDictionaryEditDialog::AutoCorrectNote,
       "Lodz", {}},
      {&TCustomDictionaryEditDialog::WithEdit, &TCustomDictionaryEditDialog::ReplaceEdit,
       &TCustomDictionaryEditDialog::AddAutoCorrectButton, &TCustomDictionaryEditDialog::AutoCorrectNote,
       "\xC5\x81\xC3\xB3" "d\xC5\xBA", {"\xC5\x81", "\xC5\xBA"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    if (c.with) {
      (d.*c.with)->SetText("");
      TypeText(WidgetOf(d.*c.with), "caf\xC3\xA9");
    }
    (d.*c.edit)->SetText("");
    TypeText(WidgetOf(d.*c.edit), c.typed);
    ASSERT_EQ((d.*c.edit)->GetText(), c.typed);
    EXPECT_EQ((d.*c.add)->GetEnabled(), c.named.empty());
    TLabel* note = d.*c.note;
    EXPECT_EQ(note->GetVisible(), !c.named.empty());
    for (const std::string& letter : c.named) EXPECT_NE(note->GetText().find(letter), String::npos) << note->GetText();
    if (!c.named.empty()) {
      // The note fits under the buttons, on the sheet.
      EXPECT_GT(note->WrappedTextHeight(), 0);
      EXPECT_LE(note->GetTop() + note->WrappedTextHeight(), note->GetParent()->ClientHeight());
    }
  }
}

TEST_F(Settings, DictionaryEditorRulesAndPairs) {
  TCustomDictionary dict;
  ASSERT_TRUE(dict.SetFileName((w.Tmp / "Edit.spu").string()));
  dict.SetActive(true);
  dict.AddWord("alpha");
  dict.AddExcludedWord("beta");
  dict.AddAutoCorrect("teh", "the");
  TCustomDictionaryEditDialog d(nullptr);
  w.Spell->BindDialogControl(&d, &dict);
  EXPECT_EQ(Rows(d.IgnoreList->Items()), std::vector<String>{"alpha"});
  EXPECT_EQ(Rows(d.ExcludeList->Items()), std::vector<String>{"beta"});
  ASSERT_EQ(d.AutoCorrectList->Items().Count(), 1);
  // Word rules of the added-words sheet: what Add and Delete allow.
  struct WordCase {
    String text;
    bool add, del;
  } words[] = {{"alpha", false, true}, {"beta", false, false}, {"teh", false, false},
               {"", false, false}, {"gamma", true, false}};
  for (const WordCase& c : words) {
    d.IgnoreEdit->SetText(c.text);
    EXPECT_EQ(d.AddIgnoreButton->GetEnabled(), c.add) << c.text;
    EXPECT_EQ(d.DeleteIgnoreButton->GetEnabled(), c.del) << c.text;
  }
  d.AddIgnoreButton->Click();
  EXPECT_TRUE(dict.IsAddedWord("gamma"));
  EXPECT_EQ(Rows(d.IgnoreList->Items()), (std::vector<String>{"alpha", "gamma"}));
  d.DeleteIgnoreButton->Click();
  EXPECT_FALSE(dict.IsAddedWord("gamma"));
  EXPECT_EQ(d.IgnoreEdit->GetText(), "alpha");  // the new last word is shown
  // A shown pair takes a new replacement; an emptied one is never stored.
  d.AutoCorrectList->SetItemIndex(0);
  d.AutoCorrectList->OnClick(d.AutoCorrectList);
  EXPECT_EQ(d.ReplaceEdit->GetText(), "teh");
  EXPECT_EQ(d.WithEdit->GetText(), "the");
  AnsiString r;
  for (const char* typed : {"they", "", "thee"}) {
    d.WithEdit->SetText(typed);
    ASSERT_TRUE(dict.FindAutoCorrect("teh", r)) << typed;
    EXPECT_EQ(r, *typed ? String(typed) : String("they"));
  }
  // A new pair.
  d.ReplaceEdit->SetText("recieve");
  d.WithEdit->SetText("receive");
  ASSERT_TRUE(d.AddAutoCorrectButton->GetEnabled());
  d.AddAutoCorrectButton->Click();
  EXPECT_TRUE(dict.FindAutoCorrect("recieve", r));
  EXPECT_EQ(d.AutoCorrectList->Items().Count(), 2);
}

}  // namespace

// Spell Check, Thesaurus and Setup Spell Check of the main window on the
// current journal's entry.
#include "MainWindowJournalSupport.h"

#include "app/QYAutoSave.h"
#include "app/QYSpelling.h"
#include "platform/gui/ActnList.h"
#include "spell/scConfigDialogs.h"
#include "spell/scCustomDictionary.h"
#include "spellvl/VLSpellChecker.h"

#include "platform/gui/ControlsPrivate.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

namespace {

using qytest::TMainJournalWorld;

class SpellingCommandsTest : public testing::Test {
protected:
  SpellingCommandsTest() {
    World.UseBuiltDictionaries();
    World.Main->VLThesaurus->SetFilename(String(QY_BIN_DIR) + "/Wordhoard.spt");
  }
  ~SpellingCommandsTest() override { CancelSpellCheck(); }
  TVLSpellChecker* Spell() { return World.Main->VLSpellChecker; }
  TMainJournalWorld World;
};

TEST_F(SpellingCommandsTest, CommandsSitInTheToolsMenuWithTheirKeys) {
  struct Case {
    TAction* action;
    const char* caption;
    TShortCut key;
  } cases[] = {{World.Main->ActionSpell, "&Spell Check", VK_F7},
               {World.Main->ActionThesaurus, "&Thesaurus...", scShift | VK_F7},
               {World.Main->ActionSpellSetup, "Set&up Spell Check...", scNone}};
  for (const Case& c : cases) {
    ASSERT_NE(c.action, nullptr) << c.caption;
    EXPECT_EQ(c.action->GetCaption(), c.caption);
    EXPECT_EQ(c.action->GetShortCut(), c.key) << c.caption;
    EXPECT_EQ(World.Main->FindComponent(c.action->GetName()), c.action);
  }
}

TEST_F(SpellingCommandsTest, SpellCheckSavesTheEntryAndCorrectsIt) {
  TOpenJournal* j = World.OpenWindow("Diary", 0);
  TMainJournalWorld::TypeAtEnd(j, "some wrods here");
  ASSERT_TRUE(j->Document->Modified);
  TInteractionScript script;
  script.Answer(IDOK);
  World.Main->ActionSpell->Execute();
  EXPECT_FALSE(j->Document->Modified);  // saved before the check
  ASSERT_TRUE(Spell()->CheckRunning());
  TSpellDialog* d = Spell()->Dialog();
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->NotFoundEdit->GetText(), "wrods");
  d->ReplaceWithEdit->SetText("words");
  d->ChangeButton->Click();
  EXPECT_FALSE(Spell()->CheckRunning());
  EXPECT_EQ(j->Document->Text(), "some words here");
  EXPECT_FALSE(TimerPaused);
}

// An entry in French, Polish and Lithuanian: the check asks only about
// words the dictionaries could hold, shows them as written, and changes
// only what the user chose, every letter kept; the saved entry and the
// learned words hold the exact text.
TEST_F(SpellingCommandsTest, SpellCheckOfAccentedWordsChangesOnlyTheChosenOnes) {
  TOpenJournal* j = World.OpenWindow("Diary", 0);
  TMainJournalWorld::TypeAtEnd(j, "Mon fianc\xC3\xA9 \xC3\xA9" "crivain \xC5\x81\xC3\xB3" "d\xC5\xBA "
                                  "\xC5\xBC\xC3\xB3\xC5\x82w \xC4\x8Di\xC5\xAB" "lbin\xC4\x97 at the cafe, na\xC3\xAFve");
  struct Step {
    String shown, button, typed;
  } steps[] = {{"\xC3\xA9" "crivain", "Ignore", ""},
               {"cafe", "Change", "caf\xC3\xA9"},
               {"na\xC3\xAFve", "Add", ""}};
  TInteractionScript script;
  script.Answer(IDOK);
  World.Main->ActionSpell->Execute();
  for (const Step& s : steps) {
    ASSERT_TRUE(Spell()->CheckRunning()) << "ended before " << s.shown;
    TSpellDialog* d = Spell()->Dialog();
    EXPECT_EQ(d->NotFoundEdit->GetText(), s.shown);
    if (!s.typed.empty()) d->ReplaceWithEdit->SetText(s.typed);
    (s.button == "Change" ? d->ChangeButton : s.button == "Add" ? d->AddButton : d->IgnoreButton)->Click();
  }
  EXPECT_FALSE(Spell()->CheckRunning());
  const String expected = "Mon fianc\xC3\xA9 \xC3\xA9" "crivain \xC5\x81\xC3\xB3" "d\xC5\xBA "
                          "\xC5\xBC\xC3\xB3\xC5\x82w \xC4\x8Di\xC5\xAB" "lbin\xC4\x97 at the caf\xC3\xA9, na\xC3\xAFve";
  EXPECT_EQ(j->Document->Text(), expected);
  ASSERT_NE(Spell()->ActiveCustomDictionary(), nullptr);
  EXPECT_TRUE(Spell()->ActiveCustomDictionary()->IsAddedWord("na\xEFve"));
  ASSERT_NE(Spell()->LearningDictionary(), nullptr);
  AnsiString learned;
  EXPECT_TRUE(Spell()->LearningDictionary()->FindAutoCorrect("cafe", learned));
  EXPECT_EQ(learned, "caf\xE9");
}

// A read-only entry is not checked: Spell Check and Thesaurus are greyed
// with the other commands that would change it, and F7 in its window
// starts nothing; the README says so.
TEST_F(SpellingCommandsTest, ReadOnlyEntryGreysSpellCheckAsTheReadmeSays) {
  TOpenJournal* j = World.OpenWindow("Diary", 0);
  TMainJournalWorld::TypeAtEnd(j, "some wrods here");
  World.Main->Show();
  j->EditorWindow->Show();
  j->EditorWindow->FocusEditor();
  Application->ProcessMessages();
  auto pressF7 = [] {
    QWidget* target = QApplication::focusWidget();
    ASSERT_NE(target, nullptr);
    QTest::keyClick(target, Qt::Key_F7);
    Application->ProcessMessages();
  };
  TInteractionScript script;
  script.Answer(IDOK);
  // Writable, F7 checks the entry.
  pressF7();
  ASSERT_TRUE(Spell()->CheckRunning());
  Spell()->Dialog()->CancelButton->Click();
  ASSERT_FALSE(Spell()->CheckRunning());
  ProfileSettings.ProtectPriorEntries = true;
  World.Main->ActionToggleReadOnly->Execute();
  ProfileSettings.ProtectPriorEntries = false;
  ASSERT_TRUE(j->Document->ReadOnly);
  EXPECT_FALSE(World.Main->ActionSpell->GetEnabled());
  EXPECT_FALSE(World.Main->ActionThesaurus->GetEnabled());
  j->EditorWindow->FocusEditor();
  Application->ProcessMessages();
  pressF7();
  EXPECT_FALSE(Spell()->CheckRunning());
  EXPECT_EQ(j->Document->Text(), "some wrods here");

  const std::string readme = qytest::ReadFileBytes(qytest::SourceDir() / "README.md");
  const size_t at = readme.find("**Spelling.**");
  ASSERT_NE(at, std::string::npos);
  std::string spelling = readme.substr(at, readme.find("\n- **", at) - at);
  for (char& c : spelling)
    if (c == '\n') c = ' ';
  for (size_t i; (i = spelling.find("  ")) != std::string::npos;) spelling.erase(i, 1);
  EXPECT_EQ(spelling.find("only reported"), std::string::npos) << spelling;
  EXPECT_NE(spelling.find("a read-only entry greys Spell Check and Thesaurus"), std::string::npos) << spelling;
}

// A hand-edited dictionary whose pair would put a control character into
// the entry: the pair is dropped as the file is read, the user is told once
// which dictionary held it, and the word is asked about instead.
TEST_F(SpellingCommandsTest, AHarmfulStoredPairIsDroppedAndItsDictionaryNamedOnce) {
  const String folder = Spell()->ExpandPath("%AppData%/%AppName%");
  std::filesystem::create_directories(folder);
  const String file = folder + "/Mine.spu";
  {
    TCustomDictionary d;
    ASSERT_TRUE(d.SetFileName(file));
    d.SetActive(true);
    ASSERT_TRUE(d.AddAutoCorrect("Zqxv", "ZZZ"));
    ASSERT_TRUE(d.Save());
  }
  std::string bytes = qytest::ReadFileBytes(file);
  const size_t at = bytes.find(std::string("Zqxv\0ZZZ\0", 9));
  ASSERT_NE(at, std::string::npos);
  bytes.replace(at + 5, 3, "Z\x81Z");
  qytest::WriteFileBytes(file, bytes);
  TInteractionScript script;
  for (int i = 0; i < 4; ++i) script.Answer(IDOK);
  Spell()->Configuration().SetActive(true);
  Spell()->Configuration().SetActiveCustom("Mine.spu");
  TOpenJournal* j = World.OpenWindow("Diary", 0);
  TMainJournalWorld::TypeAtEnd(j, "happy Zqxv days");
  for (int run = 0; run < 2; ++run) {
    World.Main->ActionSpell->Execute();
    ASSERT_TRUE(Spell()->CheckRunning());
    EXPECT_EQ(Spell()->Dialog()->NotFoundEdit->GetText(), "Zqxv");
    ASSERT_NE(Spell()->ActiveCustomDictionary(), nullptr);
    EXPECT_EQ(Spell()->ActiveCustomDictionary()->FileName(), file);
    CancelSpellCheck();
  }
  EXPECT_EQ(j->Document->Text(), "happy Zqxv days");
  int told = 0;
  for (const TInteraction& m : script.Shown)
    if (m.Text.find(file) != String::npos) {
      ++told;
      EXPECT_NE(m.Text.find("control character"), String::npos) << m.Text;
    }
  EXPECT_EQ(told, 1);
}

TEST_F(SpellingCommandsTest, LoadingAnotherEntryEndsARunningCheck) {
  TOpenJournal* j = World.OpenWindow("Diary", 0);
  TMainJournalWorld::TypeAtEnd(j, "teh wrods");
  TInteractionScript script;
  script.Answer(IDOK);
  World.Main->ActionSpell->Execute();
  ASSERT_TRUE(Spell()->CheckRunning());
  World.Main->ActionDatePrevious->Execute();
  EXPECT_FALSE(Spell()->CheckRunning());
  EXPECT_EQ(Spell()->CurrentParser(), nullptr);
}

TEST_F(SpellingCommandsTest, ThesaurusReplacesTheWordAtTheCaret) {
  TOpenJournal* j = World.OpenWindow("Diary", 0);
  TMainJournalWorld::TypeAtEnd(j, "glad");
  TVellumEdit* e = TMainJournalWorld::Editor(j);
  e->SetCaret(0, 2);
  TInteractionScript script;
  script.Do([](TInteraction& r) {
    auto* d = dynamic_cast<TThesDialog*>(r.Form);
    if (!d) return static_cast<int>(mrCancel);
    d->ReplaceEdit->SetText("happy");
    d->ReplaceButton->Click();
    return static_cast<int>(mrOk);
  });
  World.Main->ActionThesaurus->Execute();
  EXPECT_EQ(j->Document->Text(), "happy");
}

TEST_F(SpellingCommandsTest, SetupShowsTheOptionsOfTheJournal) {
  int boxes = -1;
  TInteractionScript script;
  script.Do([&](TInteraction& r) {
    auto* d = dynamic_cast<TSpellCheckConfigDialog*>(r.Form);
    if (!d) return static_cast<int>(mrCancel);
    boxes = 0;
    for (TCheckBox* b : d->Options) boxes += b->GetVisible() ? 1 : 0;
    return static_cast<int>(mrOk);
  });
  World.Main->ActionSpellSetup->Execute();
  EXPECT_EQ(boxes, 7);
}

// The spelling settings name the user's dictionaries and words, which live
// outside the password-protected journal: the options say so, and the
// settings file is the user's alone in a folder of their own.
TEST_F(SpellingCommandsTest, TheOptionsSayWhereTheWordsAreKeptAndTheSettingsArePrivate) {
  Spell()->Configuration().SetActive(true);
  const String file = Spell()->Configuration().FileName;
  ASSERT_FALSE(file.empty());
  String note;
  TInteractionScript script;
  script.Do([&](TInteraction& r) {
    auto* d = dynamic_cast<TSpellCheckConfigDialog*>(r.Form);
    if (!d) return static_cast<int>(mrCancel);
    note = d->StorageNote->GetVisible() ? d->StorageNote->GetText() : String();
    TCheckBox* b = d->Options[2];
    b->SetChecked(!b->GetChecked());
    b->Click();
    return static_cast<int>(mrOk);
  });
  World.Main->ActionSpellSetup->Execute();
  EXPECT_NE(note.find("outside the password-protected journal"), String::npos) << note;
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  ASSERT_EQ(::stat(ExtractFileDir(file).c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

// Killed saves of the spelling settings and dictionaries leave temporary
// files that hold the user's words: the program's start removes them, and
// only them.
TEST(SpellingStart, TemporaryFilesOfKilledSavesAreRemovedWhenTheProgramStarts) {
  String config, dictionaries;
  {
    // Where the program's own spell checker keeps its files.
    TVLSpellChecker defaults(nullptr);
    defaults.ConfigStorage = csNone;
    config = ExtractFileDir(defaults.ExpandPath(defaults.ConfigFilename));
    dictionaries = defaults.ExpandPath(defaults.ConfigDictionaryDir[0]);
  }
  std::filesystem::create_directories(config);
  std::filesystem::create_directories(dictionaries);
  const String left[] = {config + "/.Spell.cfg.0123456789.tmp", dictionaries + "/.user.spu.ABCDEF0123.tmp"};
  const String kept[] = {dictionaries + "/user.spu.tmp", config + "/.Spell.cfg.tmp"};
  for (const String& f : left) qytest::WriteFileBytes(f, "words");
  for (const String& f : kept) qytest::WriteFileBytes(f, "other");
  {
    TMainJournalWorld started;  // the main window as the program makes it
    for (const String& f : left) EXPECT_FALSE(std::filesystem::exists(f)) << f;
    for (const String& f : kept) EXPECT_TRUE(std::filesystem::exists(f)) << f;
  }
  for (const String& f : kept) std::filesystem::remove(f);
}

TEST_F(SpellingCommandsTest, SettingsThatCannotBeSavedAreReported) {
  // A folder where the settings file would go: it cannot be written.
  Spell()->Configuration().SetActive(true);
  const String file = Spell()->Configuration().FileName;
  ASSERT_FALSE(file.empty());
  std::filesystem::remove(file);
  std::filesystem::create_directories(file);
  TInteractionScript script;
  script.Do([](TInteraction& r) {
    auto* d = dynamic_cast<TSpellCheckConfigDialog*>(r.Form);
    if (!d) return static_cast<int>(mrCancel);
    TCheckBox* b = d->Options[2];
    b->SetChecked(!b->GetChecked());
    b->Click();
    return static_cast<int>(mrOk);
  });
  script.Answer(IDOK);
  World.Main->ActionSpellSetup->Execute();
  std::filesystem::remove_all(file);
  ASSERT_EQ(script.Shown.size(), 2u);
  EXPECT_NE(script.Shown[1].Text.find("could not be saved"), String::npos);
  EXPECT_NE(script.Shown[1].Text.find(file), String::npos);
  EXPECT_TRUE(Spell()->Configuration().Modified);  // kept for a later save
}

}  // namespace

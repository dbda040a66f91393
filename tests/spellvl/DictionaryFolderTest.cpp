// The custom dictionaries dialog over the files of the dictionary folder:
// names as the user typed them, odd files, and deletes the options' Cancel
// must not undo; the rows and the settings file always agree.
#include "SpellEditorSupport.h"

#include "spell/scConfigDialogs.h"
#include "spell/scCustomDictionary.h"
#include "spell/scSpellDialog.h"

#include "platform/gui/ControlsPrivate.h"

#include <QApplication>
#include <QListWidget>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <set>
#include <random>

namespace {
using spellvltest::TSpellEditor;

struct DictionaryFolder : ::testing::Test {
  DictionaryFolder() {
    w.Spell->ConfigStorage = csFile;
    w.Spell->ConfigFilename = w.Tmp.str() + "/Spell.cfg";
    w.Spell->Configuration().SetActive(true);
    w.Spell->OpenDictionaries();
  }
  TSpellConfig& Config() { return w.Spell->Configuration(); }
  // What the settings file lists, read back from the file.
  std::vector<String> ListedInFile() {
    EXPECT_TRUE(Config().Reload());
    std::vector<String> r;
    for (int i = 0; i < Config().CustomDictionaries.Count(); ++i) r.push_back(Config().CustomDictionaries[i]);
    std::sort(r.begin(), r.end());
    return r;
  }
  static void MakeDictionary(const String& path, const AnsiString& word) {
    TCustomDictionary d;
    ASSERT_TRUE(d.SetFileName(path));
    d.SetActive(true);
    d.AddWord(word);
    ASSERT_TRUE(d.Save());
  }
  TSpellEditor w;
};

int RowOf(TCustomDictionariesDialog& d, const String& name) {
  for (int i = 0; i < d.CustomDictionaries->Items().Count(); ++i)
    if (d.CustomDictionaries->Items().Get(i) == name) return i;
  return -1;
}

void Tick(TCustomDictionariesDialog& d, int row, bool on) {
  d.CustomDictionaries->SetChecked(row, on);
  d.CustomDictionaries->OnClickCheck(d.CustomDictionaries, row);
}

TEST_F(DictionaryFolder, TypedNamesWithPercentSignsArePlainFileNames) {
  // The user's own dictionary, which "%UserName%" would name if expanded.
  TCustomDictionary* own = w.Spell->ActiveCustomDictionary();
  ASSERT_NE(own, nullptr);
  ASSERT_TRUE(own->AddWord("zorblax"));
  ASSERT_TRUE(own->Save());
  const String ownFile = own->FileName();
  const std::string ownBytes = qytest::ReadFileBytes(ownFile);
  for (const String typed : {"%UserName%", "%ConfigID%", "%AppData%", "%HOME%"}) {
    SCOPED_TRACE(typed);
    const String file = typed + ".spu";
    TCustomDictionariesDialog d(nullptr);
    w.Spell->BindDialogControl(&d);
    {
      TInteractionScript script;
      script.Do([&](TInteraction& r) {
        if (auto* n = dynamic_cast<TNewCustomDictionary*>(r.Form)) n->NameEdit->SetText(typed);
        return static_cast<int>(mrOk);
      });
      d.NewButtonClick();
    }
    EXPECT_TRUE(std::filesystem::exists(w.Tmp / file));
    const int row = RowOf(d, file);
    ASSERT_GE(row, 0);
    EXPECT_EQ(d.CustomDictionaries->GetItemIndex(), row);
    EXPECT_TRUE(d.CustomDictionaries->GetChecked(row));
    std::vector<String> listed = ListedInFile();
    EXPECT_NE(std::find(listed.begin(), listed.end(), file), listed.end());
    // It can be unticked and deleted like any other.
    Tick(d, row, false);
    listed = ListedInFile();
    EXPECT_EQ(std::find(listed.begin(), listed.end(), file), listed.end());
    TInteractionScript script;
    script.Answer(IDYES);
    ASSERT_TRUE(d.FocusEntry(file));
    d.DeleteButtonClick();
    EXPECT_FALSE(std::filesystem::exists(w.Tmp / file));
    EXPECT_EQ(RowOf(d, file), -1);
    EXPECT_EQ(qytest::ReadFileBytes(ownFile), ownBytes);
  }
}

TEST_F(DictionaryFolder, OddFilesGetRowsThatAgreeWithTheSettings) {
  qytest::TempDir elsewhere;
  MakeDictionary(elsewhere.str() + "/Far.spu", "faraway");
  ASSERT_EQ(::mkfifo((w.Tmp / "Pipe.spu").c_str(), 0600), 0);
  std::filesystem::create_symlink(elsewhere.path() / "Far.spu", w.Tmp / "Linked.spu");
  std::string noise(20u << 20, '\0');
  std::mt19937 random(7);
  for (char& c : noise) c = static_cast<char>(random());
  qytest::WriteFileBytes(w.Tmp / "Random.spu", noise);
  qytest::WriteFileBytes(w.Tmp / "One.spu", "x");
  for (const char* name : {"a=b.spu", "[sec].spu", "new\nline.spu", " spaced.spu"})
    MakeDictionary(w.Tmp.str() + "/" + name, "word");
  struct Case {
    String row;
    bool usable;  // ticked, it is listed in the settings
    bool refused;  // ticking it says the name cannot be kept
    const char* file;  // what a message says of the file, with its name (nullptr: nothing)
  } cases[] = {{"Pipe.spu", false, false, "cannot be used: it is a named pipe, not a file."},
               {"Linked.spu", true, false, nullptr},
               {"Random.spu", false, false, "larger than any dictionary"},
               {"One.spu", false, false, "damaged or is not a dictionary"},
               {"a=b.spu", true, false, nullptr},
               {"[sec].spu", true, false, nullptr},
               {"new\nline.spu", false, true, nullptr},
               {" spaced.spu", false, true, nullptr}};
  TCustomDictionariesDialog d(nullptr);
  w.Spell->BindDialogControl(&d);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.row);
    const int row = RowOf(d, c.row);
    ASSERT_GE(row, 0);
    TInteractionScript script;  // messages about damaged files are answered with Cancel
    Tick(d, row, true);
    EXPECT_EQ(d.CustomDictionaries->GetChecked(row), c.usable);
    bool told = false, named = false;
    for (const TInteraction& m : script.Shown) {
      told = told || m.Text.find("dictionary name cannot be used") != String::npos;
      named = named || (c.file && m.Text.find(c.file) != String::npos &&
                        m.Text.find((w.Tmp / c.row).string()) != String::npos);
    }
    EXPECT_EQ(told, c.refused);
    EXPECT_EQ(named, c.file != nullptr);
  }
  // Every ticked row is listed in the file, and only those, by their names.
  std::vector<String> ticked;
  for (int i = 0; i < d.CustomDictionaries->Items().Count(); ++i)
    if (d.CustomDictionaries->GetChecked(i)) ticked.push_back(d.CustomDictionaries->Items().Get(i));
  std::sort(ticked.begin(), ticked.end());
  EXPECT_EQ(ListedInFile(), ticked);
  const std::string cfg = qytest::ReadFileBytes(w.Tmp / "Spell.cfg");
  EXPECT_EQ(cfg.find("line.spu"), std::string::npos);
  EXPECT_EQ(cfg.find("spaced.spu"), std::string::npos);
  // Unticking takes them out again.
  for (const Case& c : cases)
    if (c.usable) Tick(d, RowOf(d, c.row), false);
  for (const String& name : ListedInFile())
    for (const Case& c : cases) EXPECT_NE(name, c.row);
}

// A name the settings file cannot give back unchanged is refused, with a
// message, wherever the user chooses or types it: the settings keep the
// dictionary they had.
TEST_F(DictionaryFolder, NamesTheSettingsCannotKeepAreRefusedWithAMessageEverywhere) {
  ASSERT_TRUE(w.Spell->NewCustomDictionary("Travel"));
  MakeDictionary(w.Tmp.str() + "/new\nline.spu", "word");
  MakeDictionary(w.Tmp.str() + "/Caf\xC3\xA9.spu", "word");
  ASSERT_TRUE(Config().Save());
  struct Case {
    const char* where;
    String typed;
    std::function<void(const String&)> give;
  } cases[] = {
      {"options drop-down", "n",
       [this](const String& typed) {
         TSpellCheckConfigDialog o(nullptr);
         w.Spell->BindDialogControl(&o);
         // Typing a name's first letter in the closed drop-down chooses it.
         QTest::keyClicks(WidgetOf(o.CustomCombo), QString::fromStdString(typed));
         QApplication::processEvents();
         const int i = o.CustomCombo->GetItemIndex();
         EXPECT_TRUE(i >= 0 && o.CustomCombo->Items().Get(i) == Config().GetActiveCustom());
       }},
      {"rename", " spaced",
       [this](const String& typed) {
         TCustomDictionariesDialog d(nullptr);
         w.Spell->BindDialogControl(&d);
         ASSERT_TRUE(d.FocusEntry("Travel.spu"));
         const int row = d.CustomDictionaries->GetItemIndex();
         d.CustomDictionaries->CommitEdit(row, typed);
         EXPECT_EQ(d.CustomDictionaries->Items().Get(row), "Travel.spu");
       }},
      {"rename", "two\nlines",
       [this](const String& typed) {
         TCustomDictionariesDialog d(nullptr);
         w.Spell->BindDialogControl(&d);
         ASSERT_TRUE(d.FocusEntry("Travel.spu"));
         const int row = d.CustomDictionaries->GetItemIndex();
         d.CustomDictionaries->CommitEdit(row, typed);
         EXPECT_EQ(d.CustomDictionaries->Items().Get(row), "Travel.spu");
       }},
      {"new", "two\nlines",
       [this](const String& typed) {
         TCustomDictionariesDialog d(nullptr);
         w.Spell->BindDialogControl(&d);
         TInteractionScript names;
         names.Do([&](TInteraction& r) {
           if (auto* n = dynamic_cast<TNewCustomDictionary*>(r.Form)) n->NameEdit->SetText(typed);
           return static_cast<int>(mrOk);
         });
         names.Answer(IDOK);
         d.NewButtonClick();
         ASSERT_EQ(names.Shown.size(), 2u);
         EXPECT_NE(names.Shown[1].Text.find("cannot be used"), String::npos) << names.Shown[1].Text;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.where) + " " + c.typed);
    const String active = Config().GetActiveCustom();
    std::set<std::string> files;
    for (const auto& f : std::filesystem::directory_iterator(w.Tmp.path())) files.insert(f.path().filename());
    TInteractionScript script;
    script.Answer(IDOK);
    c.give(c.typed);
    if (std::string(c.where) != "new") {
      ASSERT_EQ(script.Shown.size(), 1u);
      EXPECT_NE(script.Shown[0].Text.find("cannot be used"), String::npos) << script.Shown[0].Text;
    }
    EXPECT_EQ(Config().GetActiveCustom(), active);
    std::set<std::string> after;
    for (const auto& f : std::filesystem::directory_iterator(w.Tmp.path())) after.insert(f.path().filename());
    EXPECT_EQ(after, files);
    ASSERT_TRUE(Config().Save());
    const std::string cfg = qytest::ReadFileBytes(w.Tmp / "Spell.cfg");
    EXPECT_EQ(cfg.find("line"), std::string::npos);
    EXPECT_EQ(cfg.find("spaced"), std::string::npos);
    std::vector<String> listed = ListedInFile();
    EXPECT_NE(std::find(listed.begin(), listed.end(), active), listed.end());
  }
}

// Dictionaries deleted or taken out of use leave no key behind in the
// settings file: it names only what the settings hold.
TEST_F(DictionaryFolder, TheSettingsFileKeepsNoKeysOfDictionariesThatWent) {
  for (const char* name : {"Alpha", "Bravo", "Caf\xC3\xA9", "Delta"}) ASSERT_TRUE(w.Spell->NewCustomDictionary(name));
  ASSERT_TRUE(Config().Save());
  std::string cfg = qytest::ReadFileBytes(w.Tmp / "Spell.cfg");
  ASSERT_NE(cfg.find("Delta.spu"), std::string::npos);
  TCustomDictionariesDialog d(nullptr);
  w.Spell->BindDialogControl(&d);
  for (const char* gone : {"Bravo.spu", "Caf\xC3\xA9.spu"}) {
    TInteractionScript script;
    script.Answer(IDYES);
    ASSERT_TRUE(d.FocusEntry(gone));
    d.DeleteButtonClick();
  }
  Tick(d, RowOf(d, "Delta.spu"), false);
  ASSERT_TRUE(Config().Save());
  cfg = qytest::ReadFileBytes(w.Tmp / "Spell.cfg");
  for (const char* gone : {"Bravo.spu", "Caf\xC3\xA9.spu", "Delta.spu"}) EXPECT_EQ(cfg.find(gone), std::string::npos) << gone << "\n" << cfg;
  EXPECT_NE(cfg.find("Alpha.spu"), std::string::npos);
  std::vector<String> listed = ListedInFile();
  EXPECT_NE(std::find(listed.begin(), listed.end(), "Alpha.spu"), listed.end());
  EXPECT_EQ(std::find(listed.begin(), listed.end(), "Delta.spu"), listed.end());
}

TEST_F(DictionaryFolder, ConfirmedDeleteStaysDoneWhenTheOptionsAreCancelled) {
  ASSERT_TRUE(w.Spell->NewCustomDictionary("Travel"));
  Config().SetActiveCustom("Travel.spu");
  w.Spell->OpenDictionaries();
  ASSERT_TRUE(Config().Reload());
  TInteractionScript script;
  // Options > Dictionaries > Delete (Yes), OK, then Cancel in the options.
  script.Do([](TInteraction& r) {
    auto* o = dynamic_cast<TSpellCheckConfigDialog*>(r.Form);
    if (o) o->DictionariesButton->Click();
    return static_cast<int>(mrCancel);
  });
  script.Do([](TInteraction& r) {
    auto* d = dynamic_cast<TCustomDictionariesDialog*>(r.Form);
    if (d && d->FocusEntry("Travel.spu")) d->DeleteButtonClick();
    return static_cast<int>(mrOk);
  });
  script.Answer(IDYES);
  w.Spell->ShowConfigDialog(nullptr);
  EXPECT_EQ(script.Shown.size(), 3u);
  EXPECT_FALSE(std::filesystem::exists(w.Tmp / "Travel.spu"));
  const std::vector<String> listed = ListedInFile();
  EXPECT_EQ(std::find(listed.begin(), listed.end(), "Travel.spu"), listed.end());
  EXPECT_NE(Config().GetActiveCustom(), "Travel.spu");
  // The next Add does not make the deleted dictionary again.
  w.Spell->OpenDictionaries();
  w.SetText({"the zorblax sings"});
  script.Answer(IDOK);
  w.Check();
  ASSERT_TRUE(w.Spell->CheckRunning());
  w.Dialog()->AddButton->Click();
  EXPECT_FALSE(w.Spell->CheckRunning());
  if (TCustomDictionary* a = w.Spell->ActiveCustomDictionary()) a->Save();
  EXPECT_FALSE(std::filesystem::exists(w.Tmp / "Travel.spu"));
}

// A file the program refuses as a dictionary (a named pipe), chosen as the
// one in use, is named when it is chosen and not kept: the settings file,
// the dictionaries list and the next check go on with the one in use.
TEST_F(DictionaryFolder, ARefusedDictionaryChosenInTheOptionsIsNotKept) {
  const std::string pipe = (w.Tmp / "Pipe.spu").string();
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  ASSERT_TRUE(Config().Save());
  const String before = Config().GetActiveCustom();
  ASSERT_NE(before, "Pipe.spu");
  TInteractionScript script;
  script.Do([&before](TInteraction& r) {
    auto* o = dynamic_cast<TSpellCheckConfigDialog*>(r.Form);
    if (!o) return static_cast<int>(mrCancel);
    // Its first letter typed in the closed drop-down chooses it.
    QTest::keyClicks(WidgetOf(o->CustomCombo), "P");
    QApplication::processEvents();
    const int i = o->CustomCombo->GetItemIndex();
    EXPECT_TRUE(i >= 0 && o->CustomCombo->Items().Get(i) == before) << "the drop-down keeps the one in use";
    return static_cast<int>(mrOk);
  });
  for (int i = 0; i < 3; ++i) script.Answer(IDOK);
  w.Spell->ShowConfigDialog(nullptr);
  bool named = false;
  for (const TInteraction& m : script.Shown) named = named || m.Text.find(pipe) != String::npos;
  EXPECT_TRUE(named) << "a message names " << pipe;
  ASSERT_TRUE(Config().Save());
  EXPECT_EQ(qytest::ReadFileBytes(w.Tmp / "Spell.cfg").find("Pipe.spu"), std::string::npos);
  const std::vector<String> listed = ListedInFile();
  EXPECT_EQ(std::find(listed.begin(), listed.end(), "Pipe.spu"), listed.end());
  EXPECT_EQ(Config().GetActiveCustom(), before);
  {
    TCustomDictionariesDialog d(nullptr);
    w.Spell->BindDialogControl(&d);
    const int row = RowOf(d, "Pipe.spu");
    ASSERT_GE(row, 0);
    EXPECT_FALSE(d.CustomDictionaries->GetChecked(row));
  }
  // The next check adds to the dictionary in use.
  w.SetText({"the zorblax sings"});
  TInteractionScript check;
  for (int i = 0; i < 3; ++i) check.Answer(IDOK);
  w.Check();
  ASSERT_TRUE(w.Spell->CheckRunning());
  EXPECT_TRUE(w.Dialog()->AddButton->GetEnabled());
  w.Dialog()->AddButton->Click();
  EXPECT_FALSE(w.Spell->CheckRunning());
  ASSERT_NE(w.Spell->ActiveCustomDictionary(), nullptr);
  EXPECT_TRUE(w.Spell->ActiveCustomDictionary()->IsAddedWord("zorblax"));
}

// Nothing that cannot be opened is kept: a new name too long for a file
// name is refused with a message, a damaged main dictionary ticked with
// Space is unticked and named, and dictionaries an older settings file
// lists that are there but refused leave it as the dictionaries open.
TEST_F(DictionaryFolder, DictionariesThatCannotBeOpenedAreRefusedAndNotKept) {
  for (int letters : {235, 240, 300}) {
    SCOPED_TRACE(letters);
    const bool fits = letters + 4 <= 239;
    TCustomDictionariesDialog d(nullptr);
    w.Spell->BindDialogControl(&d);
    TInteractionScript names;
    names.Do([&](TInteraction& r) {
      auto* n = dynamic_cast<TNewCustomDictionary*>(r.Form);
      if (!n) return static_cast<int>(mrCancel);
      QTest::keyClicks(WidgetOf(n->NameEdit), QString(letters, QChar('n')));
      return static_cast<int>(mrOk);
    });
    names.Answer(IDOK);
    d.NewButtonClick();
    const std::string file = std::string(static_cast<size_t>(letters), 'n') + ".spu";
    if (fits) {
      EXPECT_EQ(names.Shown.size(), 1u);
      EXPECT_TRUE(std::filesystem::exists(w.Tmp / file));
      EXPECT_GE(RowOf(d, file), 0);
      continue;
    }
    ASSERT_EQ(names.Shown.size(), 2u) << "a message says why nothing was made";
    EXPECT_NE(names.Shown[1].Text.find("too long"), String::npos) << names.Shown[1].Text;
    EXPECT_EQ(RowOf(d, file), -1);
    ASSERT_TRUE(Config().Save());
    EXPECT_EQ(qytest::ReadFileBytes(w.Tmp / "Spell.cfg").find(std::string(200, 'n') + std::string(40, 'n')),
              std::string::npos);
  }

  qytest::WriteFileBytes(w.Tmp / "Broken.spm", std::string(4096, '\x5A'));
  {
    TSpellCheckConfigDialog o(nullptr);
    TInteractionScript opened;
    opened.Answer(IDOK);  // the engine may name the file as the rows are read
    w.Spell->BindDialogControl(&o);
    o.Show();
    auto* l = qobject_cast<QListWidget*>(WidgetOf(o.MainDictionaries));
    ASSERT_NE(l, nullptr);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(l->window()));
    int row = -1;
    for (int i = 0; i < o.MainDictionaries->Items().Count(); ++i)
      if (o.MainDictionaries->Items().Get(i).find("Broken.spm") != String::npos) row = i;
    ASSERT_GE(row, 0);
    TInteractionScript script;
    script.Answer(IDOK);
    l->setCurrentRow(row);
    l->setFocus();
    QTest::keyClick(l, Qt::Key_Space);
    EXPECT_FALSE(o.MainDictionaries->GetChecked(row));
    EXPECT_EQ(Config().MainDictionaries.IndexOf("Broken.spm"), -1);
    ASSERT_EQ(script.Shown.size(), 1u) << "the refusal is said where the row is ticked";
    EXPECT_NE(script.Shown[0].Text.find("Broken.spm"), String::npos) << script.Shown[0].Text;
  }
  ASSERT_TRUE(Config().Save());
  EXPECT_EQ(qytest::ReadFileBytes(w.Tmp / "Spell.cfg").find("Broken.spm"), std::string::npos);

  // A settings file written while they were good (or not yet there).
  MakeDictionary(w.Tmp.str() + "/Kept.spu", "kept");
  Config().MainDictionaries.Add("Later.spm");
  Config().MainDictionaries.Add("Gone.spm");  // missing: its folder may come back
  Config().CustomDictionaries.Add("Junk.spu");
  Config().CustomDictionaries.Add("Kept.spu");
  ASSERT_TRUE(Config().Save());
  ASSERT_NE(qytest::ReadFileBytes(w.Tmp / "Spell.cfg").find("Later.spm"), std::string::npos);
  qytest::WriteFileBytes(w.Tmp / "Later.spm", std::string(4096, '\x5A'));
  qytest::WriteFileBytes(w.Tmp / "Junk.spu", "not a dictionary at all");
  // As at the next start: the settings read, the dictionaries opened.
  TInteractionScript told;
  for (int i = 0; i < 4; ++i) told.Answer(IDOK);
  ASSERT_TRUE(Config().Reload());
  w.Spell->OpenDictionaries();
  ASSERT_TRUE(Config().Save());
  const std::string cfg = qytest::ReadFileBytes(w.Tmp / "Spell.cfg");
  EXPECT_EQ(cfg.find("Later.spm"), std::string::npos) << cfg;
  EXPECT_EQ(cfg.find("Junk.spu"), std::string::npos) << cfg;
  EXPECT_NE(cfg.find("Gone.spm"), std::string::npos) << cfg;
  EXPECT_NE(cfg.find("Kept.spu"), std::string::npos) << cfg;
}

// Locate Dictionaries: a folder whose name the settings file cannot give
// back (a line break) is refused with a message when it is chosen; its
// dictionaries would be gone at the next start. A plain one is kept.
TEST_F(DictionaryFolder, ALocatedFolderTheSettingsCannotKeepIsRefusedWhenChosen) {
  struct Case {
    const char* folder;
    bool kept;
  } cases[] = {{"two\nlines", false}, {"tab\there", false}, {" spaced ", false}, {"Words", true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.folder);
    const auto folder = w.Tmp / c.folder;
    std::filesystem::create_directories(folder);
    const String extra = String("Extra") + std::to_string(&c - cases) + ".spm";
    std::filesystem::copy_file(spellvltest::BinDir() + "/American.spm", folder / extra);
    TSpellCheckConfigDialog d(nullptr);
    w.Spell->BindDialogControl(&d);
    TInteractionScript script;
    script.AnswerValue(folder.string());
    script.Answer(IDOK);
    d.MainDictionaries->SetChecked(d.BrowseRow(), true);
    d.MainDictionaries->OnClickCheck(d.MainDictionaries, d.BrowseRow());
    bool told = false;
    for (const TInteraction& m : script.Shown) told = told || m.Text.find("cannot be used") != String::npos;
    EXPECT_EQ(told, !c.kept);
    bool shown = false;
    for (int i = 0; i < d.MainDictionaries->Items().Count(); ++i)
      shown = shown || d.MainDictionaries->Items().Get(i).find(extra) != String::npos;
    EXPECT_EQ(shown, c.kept);
    EXPECT_EQ(Config().GetNewPaths().IndexOf(folder.string()) >= 0, c.kept);
    ASSERT_TRUE(Config().Save());
    const std::string cfg = qytest::ReadFileBytes(w.Tmp / "Spell.cfg");
    for (const char* refused : {"lines", "here", "spaced"}) EXPECT_EQ(cfg.find(refused), std::string::npos) << cfg;
    EXPECT_EQ(cfg.find("/Words") != std::string::npos, c.kept) << cfg;
    // What the settings file gives back after a restart.
    ASSERT_TRUE(Config().Reload());
    EXPECT_EQ(Config().GetNewPaths().IndexOf(folder.string()) >= 0, c.kept);
  }
}

}  // namespace

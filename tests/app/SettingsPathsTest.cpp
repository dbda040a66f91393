// The paths the settings hold, as a start of the program finds them: a
// cover picture, a styles file or a backup folder that is a folder (or no
// folder), a named pipe, unreadable, empty or no picture is told once, the
// program goes on with its default, and nothing ends or waits for ever.
#include "MainWindowJournalSupport.h"

#include "app/QYBackup.h"
#include "app/QYCover.h"
#include "app/QYPreferences.h"
#include "app/QYProfile.h"
#include "app/QYSpelling.h"
#include "richtext/model/VLStyle.h"
#include "richtext/model/VLStyleIni.h"
#include "spell/scConfiguration.h"
#include "spell/scSpellDialog.h"
#include "spellvl/VLSpellChecker.h"
#include "support/KeySeam.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using qytest::TMainJournalWorld;

enum class TBad { Folder, File, Fifo, Unreadable, Empty, Foreign, Huge, HugeText, InDatabaseFolder };

struct TBadPath {
  TBad Kind;
  const char* Cause;  // part of the message
};

// A bad path of the kind where path is. Unreadable is a link that leads
// round in a loop: the permission bits refuse nothing to the superuser.
void MakeBad(TBad kind, const fs::path& path) {
  fs::remove_all(path);
  switch (kind) {
    case TBad::Folder:
    case TBad::InDatabaseFolder: fs::create_directories(path); break;
    case TBad::File: qytest::WriteFileBytes(path, "a file, Łódź"); break;
    case TBad::Fifo: ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0); break;
    case TBad::Unreadable: fs::create_symlink(path.filename(), path); break;
    case TBad::Empty: qytest::WriteFileBytes(path, ""); break;
    case TBad::Foreign: qytest::WriteFileBytes(path, "café notes, no picture"); break;
    // A whole black bitmap of 4096 x 4096 at 32 bits, just over 64 MB: its
    // header, then holes that take no disk space.
    case TBad::Huge: {
      const uint32_t side = 4096, pixels = side * side * 4, size = 54 + pixels;
      std::string header = "BM";
      auto put = [&header](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) header += static_cast<char>((v >> (8 * i)) & 0xFF);
      };
      put(size, 4), put(0, 4), put(54, 4);
      put(40, 4), put(side, 4), put(side, 4), put(1, 2), put(32, 2), put(0, 4), put(pixels, 4);
      put(2835, 4), put(2835, 4), put(0, 4), put(0, 4);
      qytest::WriteFileBytes(path, header);
      fs::resize_file(path, size);
      break;
    }
    case TBad::HugeText: {
      // Past any settings file the program writes: 17 MB of remarks.
      std::string text;
      while (text.size() < (size_t(17) << 20)) text += "; a remark in the styles, Łódź\n";
      qytest::WriteFileBytes(path, text);
      break;
    }
  }
}

const char* Name(TBad kind) {
  switch (kind) {
    case TBad::Folder: return "a folder";
    case TBad::File: return "a file";
    case TBad::Fifo: return "a named pipe";
    case TBad::Unreadable: return "unreadable";
    case TBad::Empty: return "empty";
    case TBad::Foreign: return "no picture";
    case TBad::Huge: return "over 64 MB";
    case TBad::HugeText: return "huge";
    case TBad::InDatabaseFolder: return "in the database folder";
  }
  return "";
}

String QuotedPath(const String& path) { return "\"" + path + "\""; }

// The boxes that say a setting's path cannot be used.
std::vector<String> PathReports(const std::vector<TInteraction>& shown) {
  std::vector<String> texts;
  for (const TInteraction& i : shown)
    if (i.Text.find("cannot be used") != String::npos) texts.push_back(i.Text);
  return texts;
}

TEST(SettingsPaths, ABadCoverPictureIsToldOnceAndTheCoverPaintsWithoutIt) {
  const TBadPath cases[] = {{TBad::Folder, "it is a folder, not a file"},
                            {TBad::Fifo, "it is a named pipe, not a file"},
                            {TBad::Unreadable, "it is a symbolic link that leads round in a loop"},
                            {TBad::Empty, "it is empty"},
                            {TBad::Foreign, "it is no picture the program can show"}};
  for (const TBadPath& c : cases) {
    SCOPED_TRACE(Name(c.Kind));
    const qytest::TCallWatchdog watchdog(std::string("a start with a cover picture that is ") + Name(c.Kind));
    String picture;
    TMainJournalWorld w([&](TMainJournalWorld& world) {
      picture = world.Root.str() + "/Łódź cover.bmp";
      MakeBad(c.Kind, picture.c_str());
      SetProfileValue("BitmapLocation", pvString, picture);
    });
    ASSERT_EQ(ProfileSettings.BitmapLocation, picture);
    TInteractionScript script;
    for (int i = 0; i < 4; ++i) script.Answer(IDOK);
    w.Main->SetScreenMode(smCover);
    w.Main->Show();
    for (int i = 0; i < 3; ++i) {
      w.Main->CoverBitMap->Repaint();
      Application->ProcessMessages();
    }
    std::vector<TInteraction> shown = w.StartShown;
    shown.insert(shown.end(), script.Shown.begin(), script.Shown.end());
    const std::vector<String> reports = PathReports(shown);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("The cover picture \"" + picture + "\""), String::npos) << reports[0];
    EXPECT_NE(reports[0].find(c.Cause), String::npos) << reports[0];
    EXPECT_EQ(CoverPicture().Get(picture), nullptr);
    EXPECT_EQ(ScreenMode, smCover);
    EXPECT_FALSE(w.Main->Closing) << "the program is ending";
    CoverPicture().Reset();
  }
}

TEST(SettingsPaths, ABadStylesFileIsToldOnceAndTheStandardStylesServe) {
  const TBadPath cases[] = {{TBad::Folder, "it is a folder, not a file"},
                            {TBad::Fifo, "it is a named pipe, not a file"},
                            {TBad::Unreadable, "it is a symbolic link that leads round in a loop"},
                            {TBad::Empty, "it is empty"},
                            {TBad::HugeText, "it is 17 MB long, larger than any styles file it could be"}};
  TVLStyle standard(nullptr);
  QuilloryInitialStyles(standard);
  for (const TBadPath& c : cases) {
    SCOPED_TRACE(Name(c.Kind));
    const qytest::TCallWatchdog watchdog(std::string("a start with a styles file that is ") + Name(c.Kind));
    String styles;
    TMainJournalWorld w([&](TMainJournalWorld& world) {
      styles = world.DataDir() + "/" + VLStyleFileName;
      MakeBad(c.Kind, styles.c_str());
    });
    TInteractionScript script;
    for (int i = 0; i < 4; ++i) script.Answer(IDOK);
    // The journal's window and the entry it loads read the file again.
    w.OpenWindow("Café", 0);
    std::vector<TInteraction> shown = w.StartShown;
    shown.insert(shown.end(), script.Shown.begin(), script.Shown.end());
    const std::vector<String> reports = PathReports(shown);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("The styles file \"" + styles + "\""), String::npos) << reports[0];
    EXPECT_NE(reports[0].find(c.Cause), String::npos) << reports[0];
    ASSERT_NE(w.Main->QuilloryDefaultStyle, nullptr);
    EXPECT_EQ(w.Main->QuilloryDefaultStyle->TextStyles->Count(), standard.TextStyles->Count());
    EXPECT_EQ(w.Main->QuilloryDefaultStyle->ParaStyles->Count(), standard.ParaStyles->Count());
    EXPECT_EQ(CurrentJournal->EditorWindow->QuilloryStyle->TextStyles->Count(), standard.TextStyles->Count());
    EXPECT_EQ(CurrentJournal->EditorWindow->QuilloryStyle->ParaStyles->Count(), standard.ParaStyles->Count());
    EXPECT_FALSE(w.Main->Closing) << "the program is ending";
    // The file is the user's to look at: not replaced.
    if (c.Kind == TBad::Folder) {
      EXPECT_TRUE(fs::is_directory(styles));
    }
  }
}

TEST(SettingsPaths, ABadBackupFolderIsToldWithItsCauseAndTheJournalsStayOpen) {
  const TBadPath cases[] = {{TBad::File, "it is a file, not a folder"},
                            {TBad::Fifo, "it is a named pipe, not a folder"},
                            {TBad::Unreadable, "it is a symbolic link that leads round in a loop"}};
  for (const TBadPath& c : cases) {
    for (const bool backup : {true, false}) {
      SCOPED_TRACE(std::string(Name(c.Kind)) + (backup ? ", backup" : ", restore"));
      String folder;
      TMainJournalWorld w([&](TMainJournalWorld& world) {
        folder = world.Root.str() + "/Łódź backups";
        MakeBad(c.Kind, folder.c_str());
        SetProfileValue("BackupRestoreLocation", pvString, folder);
      });
      TOpenJournal* j = w.OpenWindow("Café", 0);
      TMainJournalWorld::TypeAtEnd(j, "naïve");
      TInteractionScript script;
      for (int i = 0; i < 4; ++i) script.Answer(IDOK);
      if (backup)
        ActionBackupExecute(w.Main);
      else
        ActionRestoreExecute(w.Main);
      const std::vector<String> reports = PathReports(script.Shown);
      ASSERT_EQ(reports.size(), 1u) << (script.Shown.empty() ? "" : script.Shown.back().Text);
      EXPECT_NE(reports[0].find(folder), String::npos) << reports[0];
      EXPECT_NE(reports[0].find(c.Cause), String::npos) << reports[0];
      EXPECT_TRUE(JournalsLoaded);
      EXPECT_EQ(ScreenMode, smOpen);
      ASSERT_NE(CurrentJournal, nullptr);
      EXPECT_NE(CurrentJournal->Document->Text().find("naïve"), String::npos);
      CurrentJournal->Document->Modified = false;
    }
  }
}

// The same paths chosen in the preferences: OK says why each cannot serve,
// the dialog stays open on it, and the settings keep what they held.
TEST(SettingsPaths, ABadPathChosenInThePreferencesIsRefused) {
  const struct {
    bool Cover;  // else the backup folder
    TBadPath Bad;
  } cases[] = {
      {true, {TBad::Folder, "it is a folder, not a file"}},
      {true, {TBad::Fifo, "it is a named pipe, not a file"}},
      {true, {TBad::Unreadable, "it is a symbolic link that leads round in a loop"}},
      {true, {TBad::Empty, "it is empty"}},
      {true, {TBad::Foreign, "it is no picture the program can show"}},
      {true, {TBad::Huge, "it is 64 MB long, larger than any picture it could be"}},
      {false, {TBad::File, "it is a file, not a folder"}},
      {false, {TBad::Fifo, "it is a named pipe, not a folder"}},
      {false, {TBad::Unreadable, "it is a symbolic link that leads round in a loop"}},
      // A backup there would go with the database it should save.
      {false, {TBad::InDatabaseFolder, "lies inside the database folder"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.Cover ? "cover picture, " : "backup folder, ") + Name(c.Bad.Kind));
    const qytest::TCallWatchdog watchdog("the preferences' OK");
    TMainJournalWorld w;
    TdlgPreferences dialog(Application);
    const String path = (c.Bad.Kind == TBad::InDatabaseFolder ? w.DataDir() : w.Root.str()) + "/Łódź chosen";
    MakeBad(c.Bad.Kind, path.c_str());
    const TProfileSettings before = ProfileSettings;
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      auto* d = static_cast<TdlgPreferences*>(r.Form);
      TEdit* edit = c.Cover ? d->eBitmapLocation : d->eBackupRestoreLocation;
      edit->SetText(path);
      d->OKBtn->Click();
      EXPECT_EQ(d->ModalResult, mrNone);  // the dialog stays open
      EXPECT_TRUE(edit->Focused());
      d->CancelBtn->Click();
      return static_cast<int>(d->ModalResult);
    });
    script.Answer(IDOK);
    EXPECT_EQ(dialog.ShowModal(), mrCancel);
    ASSERT_EQ(script.Shown.size(), 2u);
    // The box is recorded when it is answered, the dialog when it closes.
    EXPECT_NE(script.Shown[0].Text.find(QuotedPath(path)), String::npos) << script.Shown[0].Text;
    EXPECT_NE(script.Shown[0].Text.find(c.Bad.Cause), String::npos) << script.Shown[0].Text;
    EXPECT_EQ(ProfileSettings.BitmapLocation, before.BitmapLocation);
    EXPECT_EQ(ProfileSettings.BackupRestoreLocation, before.BackupRestoreLocation);
  }
}

// A dictionary the spelling settings name that is a folder, a named pipe
// or unreadable: Spell Check tells it once, however often it runs, and
// checks with the other dictionaries.
TEST(SettingsPaths, ABadDictionaryIsToldOnceAndSpellingGoesOnWithoutIt) {
  const TBadPath cases[] = {{TBad::Folder, "it is a folder, not a file"},
                            {TBad::Fifo, "it is a named pipe, not a file"},
                            {TBad::Unreadable, "it is a symbolic link that leads round in a loop"}};
  for (const TBadPath& c : cases) {
    SCOPED_TRACE(Name(c.Kind));
    const qytest::TCallWatchdog watchdog(std::string("Spell Check with a dictionary that is ") + Name(c.Kind));
    TMainJournalWorld w;
    TVLSpellChecker* spell = w.UseBuiltDictionaries();
    const String dictionary = w.Root.str() + "/Łódź words.spm";
    MakeBad(c.Kind, dictionary.c_str());
    spell->Configuration().GetMainDictionaries().Add(dictionary);
    TOpenJournal* j = w.OpenWindow("Café", 0);
    TMainJournalWorld::TypeAtEnd(j, "some wrods here");
    TInteractionScript script;
    for (int i = 0; i < 4; ++i) script.Answer(IDOK);
    for (int run = 0; run < 2; ++run) {
      w.Main->ActionSpell->Execute();
      ASSERT_TRUE(spell->CheckRunning());
      ASSERT_NE(spell->Dialog(), nullptr);
      EXPECT_EQ(spell->Dialog()->NotFoundEdit->GetText(), "wrods");
      CancelSpellCheck();
    }
    const std::vector<String> reports = PathReports(script.Shown);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("The dictionary \"" + dictionary + "\""), String::npos) << reports[0];
    EXPECT_NE(reports[0].find(c.Cause), String::npos) << reports[0];
  }
}

}  // namespace

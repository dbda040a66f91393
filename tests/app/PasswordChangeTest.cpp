// The change-password command: its dialog's checks, the journal moved to the
// new password with every entry, a change that fails half-way or is killed
// leaving the journal under the old password, and the read-only toggle.
#include "JournalTestSupport.h"

#include "app/QYMain.h"
#include "app/QYPassword.h"
#include "app/QYStartup.h"
#include "platform/db/DBFiles.h"
#include "platform/db/DBPassword.h"
#include "platform/gui/ActnList.h"

#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <filesystem>
#include <random>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using qytest::TJournalWorld;

constexpr int kDays = 40;

String EntryText(int day) {
  return "Needle-" + IntToStr(day) + " " + String(3000, static_cast<char>('a' + day % 26));
}

// A journal of kDays entries, protected by a password the user entered.
struct TPasswordWorld : TJournalWorld {
  explicit TPasswordWorld(const String& password) {
    Integer id = AddJournal("Diary", 0);
    for (int d = 0; d < kDays; ++d) {
      TOpenJournal* j = FindOrOpenJournal(id);
      LoadEntry(j, Date() - d);
      Type(j, EntryText(d));
      if (!SaveEntry(j, smExplicit)) throw Exception("not saved");
    }
    JournalsLoaded = true;
    UnloadJournals();
    if (!password.empty()) RestructureTablePassword("", password, "QUILLORY");
    QuillorySession().RemoveAllPasswords();
    if (!password.empty()) QuillorySession().AddPassword(password);
    JournalPassword = password;
    CloseDatabaseFiles();
    RegisterJournalHooks();
    Dialog = std::make_unique<TChangePasswordDlg>(nullptr);
  }
  ~TPasswordWorld() {
    Dialog.reset();
    AppHooks() = {};
    WipeString(JournalPassword);
  }

  String JournalFile() const { return DataDir() + "/Quillory.db"; }

  // Every entry, read in a session of its own that holds only this password.
  // Empty when the password does not open the file.
  std::vector<String> EntriesWith(const String& password) {
    QuillorySession().CloseIdleConnections();
    TSession other;
    other.SessionName = "EntriesCheck";
    RegisterTableFiles(other);
    other.AddStandardAlias("C", DataDir(), "STANDARD");
    other.SetCipherSettings(JournalFile(), QuillorySession().CipherSettingsOf(JournalFile()));
    if (!password.empty()) other.AddPassword(password);
    std::vector<String> texts;
    try {
      TQuery q;
      q.SessionName = "EntriesCheck";
      q.DatabaseName = "C";
      q.SQL.Add("SELECT JournalText FROM QUILLORY ORDER BY JournalDate DESC");
      q.Open();
      for (; !q.Eof(); q.Next()) {
        TEntryDocument doc;
        TStringStream s(q.Fields(0).AsString());
        if (!doc.LoadVLF(s)) return {"unreadable"};
        texts.push_back(doc.Text());
      }
    } catch (const EDBPasswordError&) {
      return {};
    }
    other.CloseIdleConnections();
    return texts;
  }

  static std::vector<String> AllEntries() {
    std::vector<String> texts;
    for (int d = 0; d < kDays; ++d) texts.push_back(EntryText(d));
    return texts;
  }

  // The database file and its logs hold the text of no entry in clear.
  bool AnyEntryInClear() {
    CloseDatabaseFiles();
    for (const auto& e : std::filesystem::directory_iterator(DataDir())) {
      const String bytes = qytest::ReadFileBytes(e.path());
      for (int d = 0; d < kDays; ++d)
        if (bytes.find("Needle-" + IntToStr(d) + " ") != String::npos) return true;
    }
    return false;
  }

  // Fills the dialog's three edits and presses OK.
  static TInteractionScript::TAction Type3(const String& existing, const String& fresh,
                                           const String& repeated) {
    return [=](TInteraction& r) {
      auto* dlg = static_cast<TChangePasswordDlg*>(r.Form);
      dlg->FormShow(dlg);
      dlg->eExistingPassword->SetText(existing);
      dlg->eNewPassword->SetText(fresh);
      dlg->eRepeatNewPassword->SetText(repeated);
      dlg->OKBtn->Click();
      return static_cast<int>(dlg->ModalResult);
    };
  }

  std::unique_ptr<TChangePasswordDlg> Dialog;
};

TEST(PasswordChange, DialogChecksThePasswordsUntilTheyAgreeOrTheUserCancels) {
  const String wrongExisting = "Existing password entered does not match database password";
  const String different = "New password and repeated new password are different";
  struct Case {
    const char* what;
    std::vector<std::array<String, 3>> answers;  // existing, new, repeated; one per showing
    std::vector<String> messages;
    bool changes;
  };
  const Case cases[] = {
      {"cancelled at once", {}, {}, false},
      {"wrong existing, then cancelled", {{"old-pass", "Next", "Next"}}, {wrongExisting}, false},
      {"case matters", {{"Old-pass", "Next", "Next"}}, {wrongExisting}, false},
      {"repeat differs, then cancelled", {{"Old-Pass", "Next", "Nexd"}}, {different}, false},
      {"wrong, then right",
       {{"x", "Next", "Next"}, {"Old-Pass", "Next", "Next"}},
       {wrongExisting},
       true},
  };
  // One journal for all: only the last case changes the password.
  TPasswordWorld w("Old-Pass");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TInteractionScript script;
    for (size_t i = 0; i < c.answers.size(); ++i) {
      const auto& a = c.answers[i];
      script.Do(TPasswordWorld::Type3(a[0], a[1], a[2]));
      if (i < c.messages.size()) script.Answer(IDOK);
    }
    if (!c.changes) script.Answer(mrCancel);
    if (c.changes) script.Answer(IDOK);  // the confirmation
    EXPECT_EQ(ChangePassword(), c.changes);
    EXPECT_EQ(script.Unexpected, 0);
    std::vector<String> shownMessages;
    for (const auto& s : script.Shown)
      if (s.Kind == TInteractionKind::MessageBox && s.Caption == "Message") {
        shownMessages.push_back(s.Text);
        EXPECT_EQ(s.Icon, MB_ICONERROR);
      }
    EXPECT_EQ(shownMessages, c.messages);
    // A change is confirmed, a refusal is not.
    const bool confirmed = !script.Shown.empty() && script.Shown.back().Kind == TInteractionKind::MessageBox &&
                           script.Shown.back().Text == PasswordChangedText;
    EXPECT_EQ(confirmed, c.changes);
    EXPECT_EQ(JournalPassword, c.changes ? "Next" : "Old-Pass");
    EXPECT_EQ(PasswordWasRecorded("Next"), c.changes);
    EXPECT_EQ(w.EntriesWith(c.changes ? "Next" : "Old-Pass"), TPasswordWorld::AllEntries());
    // The edits keep no password once the dialog is done.
    EXPECT_EQ(w.Dialog->eNewPassword->GetText(), "");
  }
}

TEST(PasswordChange, NewPasswordOpensEveryEntryAndTheOldOneNoLonger) {
  TPasswordWorld w("");
  // Unprotected → protected → another password of the longest length → removed.
  // Each step is confirmed in words that say what happened.
  const std::pair<String, const char*> steps[] = {
      {"First;Pass", PasswordSetText}, {"Fifteen-chars!!", PasswordChangedText}, {"", PasswordRemovedText}};
  String old = "";
  for (const auto& [fresh, confirmation] : steps) {
    SCOPED_TRACE(fresh);
    ASSERT_LE(fresh.size(), static_cast<size_t>(MaxPasswordLength));
    TInteractionScript script;
    script.Do(TPasswordWorld::Type3(old, fresh, fresh));
    // Taking the protection away is asked first.
    const bool removing = fresh.empty();
    if (removing) script.Answer(IDYES);
    script.Answer(IDOK);
    EXPECT_TRUE(ChangePassword());
    EXPECT_EQ(script.Unexpected, 0);
    ASSERT_EQ(script.Shown.size(), removing ? 3u : 2u);
    if (removing) {
      EXPECT_EQ(script.Shown[1].Text, RemovePasswordQuestion);
    }
    const TInteraction& told = script.Shown.back();
    EXPECT_EQ(told.Kind, TInteractionKind::MessageBox);
    EXPECT_EQ(told.Caption, "Change Password");
    EXPECT_EQ(told.Text, confirmation);
    EXPECT_EQ(told.Icon, MB_ICONINFORMATION);
    // The journals are open again, today's entry shown.
    EXPECT_TRUE(JournalsLoaded);
    ASSERT_NE(CurrentJournal, nullptr);
    EXPECT_EQ(CurrentJournal->Document->Text(), EntryText(0));
    JournalsLoaded = true;
    UnloadJournals();
    EXPECT_EQ(w.EntriesWith(fresh), TPasswordWorld::AllEntries());
    // (A journal without a password opens for anyone.)
    if (!old.empty() && !fresh.empty()) {
      EXPECT_TRUE(w.EntriesWith(old).empty()) << "old password still opens";
    }
    EXPECT_EQ(w.AnyEntryInClear(), fresh.empty());
    EXPECT_EQ(ClassifyDatabaseFile(w.JournalFile()), fresh.empty() ? dfPlain : dfEncrypted);
    old = fresh;
  }
  // An entry that cannot be saved keeps the journals open and the password.
  {
    TInteractionScript script;
    script.Do(TPasswordWorld::Type3("", "Unused", "Unused")).Answer(IDOK);
    JournalsLoaded = false;
    LoadJournals();
    ASSERT_NE(CurrentJournal, nullptr);
    CurrentJournal->EntryUnread = true;  // its load failed
    TJournalWorld::Type(CurrentJournal, " typed since");
    EXPECT_FALSE(ChangePassword());
    ASSERT_EQ(script.Shown.size(), 2u);
    EXPECT_EQ(script.Shown[1].Text, "The password was not changed: an entry could not be saved.");
    EXPECT_TRUE(JournalsLoaded);
    ASSERT_NE(CurrentJournal, nullptr);
    EXPECT_EQ(CurrentJournal->Document->Text(), EntryText(0) + "\n typed since");
    EXPECT_EQ(ClassifyDatabaseFile(w.JournalFile()), dfPlain);
    CurrentJournal->Document->Modified = false;
  }
  // A 16th character cannot be typed.
  w.Dialog->eNewPassword->SetText("Sixteen-chars!!!");
  EXPECT_EQ(w.Dialog->eNewPassword->GetText(), "Sixteen-chars!!");
}

// An empty new password takes the protection away: the user is asked, and
// No (or closing the box) leaves the journal under its password, untouched.
TEST(PasswordChange, RemovingThePasswordIsConfirmedFirst) {
  for (const int answer : {IDNO, IDCANCEL, IDYES}) {
    SCOPED_TRACE(answer);
    TPasswordWorld w("Łódź-café");
    const String digest = qytest::ReadFileBytes(w.JournalFile());
    TInteractionScript script;
    script.Do(TPasswordWorld::Type3("Łódź-café", "", "")).Answer(answer).Answer(IDOK);
    EXPECT_EQ(ChangePassword(), answer == IDYES);
    ASSERT_GE(script.Shown.size(), 2u);
    EXPECT_EQ(script.Shown[1].Text, RemovePasswordQuestion);
    EXPECT_EQ(script.Shown[1].Buttons & MB_YESNO, MB_YESNO);
    if (answer == IDYES) {
      EXPECT_EQ(script.Shown.back().Text, PasswordRemovedText);
      EXPECT_EQ(ClassifyDatabaseFile(w.JournalFile()), dfPlain);
      continue;
    }
    EXPECT_EQ(script.Shown.size(), 2u);
    EXPECT_EQ(JournalPassword, "Łódź-café");
    EXPECT_EQ(qytest::ReadFileBytes(w.JournalFile()), digest);
    EXPECT_EQ(w.EntriesWith("Łódź-café"), TPasswordWorld::AllEntries());
    EXPECT_TRUE(w.EntriesWith("").empty());
  }
}

// The disk fills up while the new file is being written: the change is
// reported, the journal stays under the old password with every entry, and
// nothing of the new file is left behind.
TEST(PasswordChange, ChangeThatFailsHalfWayLeavesTheOldJournalWhole) {
  TPasswordWorld w("Old-Pass");
  const auto size = std::filesystem::file_size(w.JournalFile());
  ASSERT_GT(size, 100000u);
  struct rlimit before {};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
  auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
  // The limit goes before the journals are opened again.
  AppHooks().LoadJournals = [&] {
    setrlimit(RLIMIT_FSIZE, &before);
    LoadJournals();
  };
  TInteractionScript script;
  script.Do([&](TInteraction& r) {
    // Writes past half the journal's size now fail.
    struct rlimit half = before;
    half.rlim_cur = size / 2;
    setrlimit(RLIMIT_FSIZE, &half);
    return TPasswordWorld::Type3("Old-Pass", "New-Pass", "New-Pass")(r);
  });
  script.Answer(IDOK);  // the error shown
  const bool changed = ChangePassword();
  setrlimit(RLIMIT_FSIZE, &before);
  std::signal(SIGXFSZ, oldSignal);
  EXPECT_FALSE(changed);
  ASSERT_FALSE(script.Shown.empty());
  EXPECT_EQ(script.Shown.back().Caption, "Error Display");
  EXPECT_EQ(script.Shown.back().Text.rfind("Change Password", 0), 0u) << script.Shown.back().Text;
  // It failed while the new file was being written, not before.
  EXPECT_NE(script.Shown.back().Text.find("SELECT failed: disk I/O error"), String::npos);
  EXPECT_EQ(JournalPassword, "Old-Pass");
  EXPECT_FALSE(PasswordWasRecorded("New-Pass"));
  // The program goes on: the journals are open again under the old password.
  EXPECT_TRUE(JournalsLoaded);
  ASSERT_NE(CurrentJournal, nullptr);
  EXPECT_EQ(CurrentJournal->Document->Text(), EntryText(0));
  JournalsLoaded = true;
  UnloadJournals();
  EXPECT_EQ(w.EntriesWith("Old-Pass"), TPasswordWorld::AllEntries());
  EXPECT_TRUE(w.EntriesWith("New-Pass").empty());
  EXPECT_FALSE(FileExists(RestructureTargetName(w.JournalFile())));
  EXPECT_FALSE(w.AnyEntryInClear());
}

// The program is killed at random moments while it changes the password back
// and forth: afterwards the journal opens with one of the two passwords with
// every entry, and the next start wipes what the killed change left.
TEST(PasswordChange, KilledChangeLeavesAJournalThatOpensWithOneOfThePasswords) {
  TPasswordWorld w("Pass-A");
  const String passwords[] = {"Pass-A", "Pass-B"};
  std::mt19937 random(1207);
  for (int run = 0; run < 6; ++run) {
    SCOPED_TRACE(run);
    QuillorySession().CloseIdleConnections();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // Only the database layer runs here, never the toolkit.
      for (int i = 0;; ++i) {
        const String& from = passwords[i % 2];
        const String& to = passwords[(i + 1) % 2];
        QuillorySession().RemoveAllPasswords();
        QuillorySession().AddPassword(from);
        try {
          RestructureTablePassword(from, to, "QUILLORY");
        } catch (...) {
          _exit(3);
        }
      }
    }
    usleep(std::uniform_int_distribution<int>(50000, 700000)(random));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the change failed in the child: " << status;
    RemoveStaleTableFiles(w.DataDir());
    const auto a = w.EntriesWith("Pass-A"), b = w.EntriesWith("Pass-B");
    EXPECT_NE(a.empty(), b.empty());
    EXPECT_EQ(a.empty() ? b : a, TPasswordWorld::AllEntries());
    EXPECT_FALSE(w.AnyEntryInClear());
  }
}

// The read-only toggle and the commands that follow it.
TEST(PasswordChange, ReadOnlyToggleWorksOnlyWhilePriorEntriesAreProtected) {
  TJournalWorld w;
  TformQuilloryMain main(nullptr);
  // The journal is open (on the cover the command is refused).
  main.SetScreenMode(smOpen);
  TAction* save = main.ActionSave;
  struct Case {
    bool protect, readOnly;
    bool afterToggle;
    const char* state;
  };
  const Case cases[] = {
      {true, false, true, "locked read only"},
      {true, true, false, ""},
      {false, true, true, "locked read only"},
      {false, false, false, "saved"},
  };
  TOpenJournal* j = w.Open("Diary", 0);
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.protect << c.readOnly);
    ProfileSettings.ProtectPriorEntries = c.protect;
    j->Document->ReadOnly = c.readOnly;
    main.SetStatusText(spState, c.readOnly ? "locked read only" : "saved");
    save->SetEnabled(!c.readOnly);
    main.ActionToggleReadOnly->Execute();
    EXPECT_EQ(j->Document->ReadOnly, c.afterToggle);
    EXPECT_EQ(save->GetEnabled(), !c.afterToggle);
    if (c.protect) {
      EXPECT_EQ(main.ActionToggleReadOnly->GetChecked(), c.afterToggle);
    }
    EXPECT_EQ(main.StatusText(spState), c.state);
  }
  // A load of a prior day under protection shows the state at once.
  ProfileSettings.ProtectPriorEntries = true;
  LoadEntry(j, Date() - 3);
  EXPECT_TRUE(main.ActionToggleReadOnly->GetChecked());
  EXPECT_FALSE(save->GetEnabled());
  EXPECT_EQ(main.StatusText(spState), "locked read only");
  LoadEntry(j, Date());
  EXPECT_TRUE(save->GetEnabled());
  EXPECT_FALSE(main.ActionToggleReadOnly->GetChecked());
}

}  // namespace

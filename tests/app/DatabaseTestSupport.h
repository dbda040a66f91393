#pragma once
// A program folder with a generated template and a documents folder, for the
// tests of the database folder, the settings store and the upgrades.
#include "app/QYDatabase.h"
#include "app/QYJournals.h"
#include "app/QYProfile.h"
#include "app/QYSchema.h"
#include "platform/gui/Dialogs.h"

#include "support/TestSupport.h"

namespace qytest {

class TDatabaseWorld {
public:
  TDatabaseWorld() {
    // Each world starts with a clean session: no aliases, no passwords.
    TSession& s = QuillorySession();
    s.CloseIdleConnections();
    for (const String& a : s.GetAliasNames()) s.DeleteAlias(a);
    s.RemoveAllPasswords();
    s.OnTrace = nullptr;
    s.OnPassword = nullptr;
    ProfileSettings = TProfileSettings();
    // An earlier test's unload holds the journals closed.
    JournalsHeldClosed = false;
    Folders.ProgramDir = (Root / "prog").string();
    Folders.DocumentsDir = (Root / "docs").string();
    Folders.TempDir = Root.str();
    Folders.WindowsUserName = "alice";
    std::filesystem::create_directories(Folders.DocumentsDir);
    MakeTemplate((Root / "prog" / "DataTemplate").string());
  }
  ~TDatabaseWorld() {
    QuillorySession().CloseIdleConnections();
    QuillorySession().OnTrace = nullptr;
  }

  static void MakeTemplate(const String& folder) {
    std::filesystem::create_directories(folder);
    TSession s;
    s.SessionName = "TemplateMaker";
    RegisterTableFiles(s);
    s.AddStandardAlias("T", folder, "STANDARD");
    CreateEmptyDatabase(s, "T", folder);
  }

  // First start, confirmed.
  void SetUp() {
    TInteractionScript script;
    script.Answer(IDOK);
    if (!SetUpDatabase(Folders)) throw Exception("set-up failed");
  }

  String DataDir() const { return Folders.DocumentsDir + "/Quillory for " + Folders.WindowsUserName; }

  // Runs a statement on the session and alias (Profile statements included).
  void Exec(const String& sql) {
    TQuery q;
    BindToDatabase(q);
    q.SQL.Add(sql);
    bool added = !QuillorySession().HasPassword(ProfilePassword);
    QuillorySession().AddPassword(ProfilePassword);
    try {
      q.ExecSQL();
    } catch (...) {
      if (added) QuillorySession().RemovePassword(ProfilePassword);
      throw;
    }
    if (added) QuillorySession().RemovePassword(ProfilePassword);
  }

  int Count(const String& sql) {
    TQuery q;
    BindToDatabase(q);
    q.SQL.Add(sql);
    bool added = !QuillorySession().HasPassword(ProfilePassword);
    QuillorySession().AddPassword(ProfilePassword);
    q.Open();
    if (added) QuillorySession().RemovePassword(ProfilePassword);
    return q.Fields(0).AsInteger();
  }

  TempDir Root;
  TDatabaseFolders Folders;
};

}  // namespace qytest

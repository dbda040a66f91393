#pragma once
// The journal's tables at the current version ("Database Version 3.0"), the
// files that hold them, and the Profile table's fixed password. Header-only:
// the template generator uses it without the application's units.
//
// Column storage (see platform/db/DB.h): JournalDate is a whole-day serial
// (9999999 for a topic journal's entry), CreatedDate and ModifiedDate are
// date-time numbers, Booleans are 1/0.
#include "platform/db/DBTables.h"

#include <vector>

// QUILLORY and Journals share one file, so one password (the user's) guards
// both and a password change moves both at once.
inline const char* const JournalFileName = "Quillory.db";
inline const char* const ProfileFileName = "Profile.db";

// The program's own key for the settings table: 15 letters and punctuation.
// It keeps the settings table closed to other programs; it is no secret from
// anyone who holds this program, so no password is ever written there.
inline const char* const ProfilePassword = "qU!LL.oRy;Pr=F#";

inline const char* const CurrentDatabaseVersion = "Database Version 3.0";

// The settings file's cipher settings are fixed like its key: a later change
// of the defaults must never lock the program out of its own settings.
inline const TCipherSettings ProfileCipherSettings{256000, 1024};

inline const std::vector<String>& JournalTableDDL() {
  static const std::vector<String> ddl{
      "CREATE TABLE QUILLORY (JournalID INTEGER NOT NULL, JournalDate DATE NOT NULL, "
      "JournalText BLOB, CreatedDate TIMESTAMP, ModifiedDate TIMESTAMP, CursorPosition INTEGER, "
      "Editor CHAR(3), ItemNumber INTEGER, ItemOffset INTEGER, "
      "PRIMARY KEY (JournalID, JournalDate))",
      "CREATE INDEX QUILLORY_ByDate ON QUILLORY (JournalDate, JournalID)",
      "CREATE TABLE Journals (JournalID INTEGER NOT NULL PRIMARY KEY, JournalName CHAR(100), "
      "JournalActive BOOLEAN, WindowTop INTEGER, WindowLeft INTEGER, WindowHeight INTEGER, "
      "WindowWidth INTEGER, WindowState INTEGER, WindowOrder INTEGER, ActiveWindow BOOLEAN, "
      "JournalType CHAR(1))",
  };
  return ddl;
}

inline const std::vector<String>& ProfileTableDDL() {
  static const std::vector<String> ddl{
      "CREATE TABLE Profile (ProfileKey CHAR(255) NOT NULL PRIMARY KEY, ProfileValue CHAR(255))",
  };
  return ddl;
}

// Tells the session which file each table lives in.
inline void RegisterTableFiles(TSession& session) {
  session.AddTableFile(JournalFileName, {"QUILLORY", "Journals"});
  session.AddTableFile(ProfileFileName, {"Profile"});
}

// Writes the empty tables of the current version into a folder: the journal
// file plain (no password until the user sets one), the Profile file keyed.
inline void CreateEmptyDatabase(TSession& session, const String& aliasName, const String& folder) {
  session.CreateDatabaseFile(folder + "/" + JournalFileName, String());
  session.CreateDatabaseFile(folder + "/" + ProfileFileName, ProfilePassword, ProfileCipherSettings);
  session.AddPassword(ProfilePassword);
  try {
    for (const auto* list : {&JournalTableDDL(), &ProfileTableDDL()})
      for (const String& sql : *list) {
        TQuery q;
        q.SessionName = session.SessionName;
        q.DatabaseName = aliasName;
        q.SQL.Add(sql);
        q.ExecSQL();
      }
  } catch (...) {
    session.RemovePassword(ProfilePassword);
    session.CloseIdleConnections();
    throw;
  }
  session.RemovePassword(ProfilePassword);
  session.CloseIdleConnections();
}

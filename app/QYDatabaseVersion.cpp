#include "app/QYDatabaseVersion.h"

#include "app/QYDatabase.h"
#include "app/QYProfile.h"
#include "platform/gui/Dialogs.h"

#include <functional>
#include <vector>

namespace {

const char* const kVersion1 = "Database Version 1.0";
const char* const kVersion2 = "Database Version 2.0";
const char* const kVersion3 = "Database Version 3.0";

struct TColumn {
  const char* Name;
  const char* Type;
};

// "ALTER TABLE t ADD a T, ADD b T;" for the columns the table lacks, so a
// step that an older build left half done cannot wedge the upgrade.
void AddMissingColumns(const String& table, const std::vector<TColumn>& columns) {
  TTable t;
  BindToDatabase(t);
  t.TableName = table;
  t.Open();
  std::vector<String> have = t.FieldNames();
  t.Close();
  String sql;
  for (const TColumn& c : columns) {
    bool present = false;
    for (const String& h : have) present = present || SameText(h, c.Name);
    if (present) continue;
    sql += String(sql.empty() ? "ALTER TABLE " + table + " ADD " : ", ADD ") + c.Name + " " + c.Type;
  }
  if (sql.empty()) return;
  TQuery q;
  BindToDatabase(q);
  q.SQL.Add(sql + ";");
  q.ExecSQL();
}

void Exec(const String& sql) {
  TQuery q;
  BindToDatabase(q);
  q.SQL.Add(sql);
  q.ExecSQL();
}

// Runs one step in a transaction; true when it was committed.
bool RunStep(const std::function<void()>& step, const String& errorCaption) {
  TDatabase db;
  db.SessionName = SessionName;
  db.AliasName = AliasName;
  try {
    db.StartTransaction();
    step();
    db.Commit();
    return true;
  } catch (Exception& e) {
    try {
      if (db.InTransaction()) db.Rollback();
    } catch (Exception&) {
    }
    MessageBox(String(e.ClassName()) + "\r\n" + e.Message, errorCaption, MB_OK | MB_ICONERROR);
    return false;
  }
}

bool RecordVersion(const String& version, const String& errorCaption) {
  try {
    SetProfileValue("DatabaseVersion", pvString, version);
  } catch (Exception& e) {
    MessageBox(String(e.ClassName()) + "\r\n" + e.Message, errorCaption, MB_OK | MB_ICONERROR);
    return false;
  }
  ProfileSettings.DatabaseVersion = version;
  MessageBox("Database Upgraded to " + version, "Database Upgraded", MB_OK | MB_ICONINFORMATION);
  return true;
}

}  // namespace

void UpgradeDatabase() {
  if (ProfileSettings.DatabaseVersion == kVersion1) {
    const char* caption = "Database Upgrade Error to 2";
    bool ok = RunStep(
        [] {
          AddMissingColumns("Journals", {{"WindowTop", "INTEGER"},
                                         {"WindowLeft", "INTEGER"},
                                         {"WindowHeight", "INTEGER"},
                                         {"WindowWidth", "INTEGER"},
                                         {"WindowState", "INTEGER"},
                                         {"WindowOrder", "INTEGER"}});
        },
        caption);
    if (ok) RecordVersion(kVersion2, caption);
  }
  if (ProfileSettings.DatabaseVersion == kVersion2) {
    const char* caption = "Database Upgrade to 3 Error ";
    bool ok = RunStep(
        [] {
          AddMissingColumns("Quillory",
                            {{"Editor", "CHAR(3)"}, {"ItemNumber", "INTEGER"}, {"ItemOffset", "INTEGER"}});
          AddMissingColumns("Journals", {{"ActiveWindow", "BOOLEAN"}, {"JournalType", "CHAR(1)"}});
          Exec("UPDATE Quillory SET Editor = 'RTF', ItemNumber = -1, ItemOffset = -1; ");
          Exec("UPDATE Journals SET ActiveWindow = FALSE, JournalType = 'D'; ");
        },
        caption);
    if (ok) RecordVersion(kVersion3, caption);
  }
}

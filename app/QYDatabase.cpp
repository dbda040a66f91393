#include "app/QYDatabase.h"

#include "app/QYSchema.h"
#include "platform/db/DBFiles.h"
#include "platform/gui/Dialogs.h"
#include "platform/os/Semaphores.h"
#include "platform/os/SysPaths.h"

#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

TDatabaseFolders DatabaseFolders;
const char* const SessionName = "QuillorySession";
String AliasName = "QuilloryAlias";

namespace {

const char* const kNewDatabaseText =
    "IMPORTANT!\r\n\r\nA NEW QUILLORY DATABASE IS BEING CREATED.\r\n\r\nFor new installations "
    "this is normal.\r\nIf you receive this message after you have been using the program.\r\n"
    "Then the original database has been moved or deleted.\r\nIn this case you will need to "
    "restore or move back the original database\r\n\r\nThis message will only appear one time";

// Releases the semaphore however the set-up ends.
struct TSemaphoreHold {
  std::shared_ptr<TNamedSemaphore> Sem;
  explicit TSemaphoreHold(std::shared_ptr<TNamedSemaphore> s) : Sem(std::move(s)) { Sem->Wait(); }
  ~TSemaphoreHold() { Sem->Release(); }
};

// Copies every regular file of the template into a fresh folder beside the
// data folder, then renames it into place: the data folder either does not
// exist or is complete. False (nothing left behind) on any failure.
bool CreateDataFolder(const String& templateDir, const String& dataDir) {
  const fs::path target(dataDir);
  const fs::path temp = target.string() + ".new" + std::to_string(::getpid());
  std::error_code ec;
  fs::remove_all(temp, ec);
  fs::create_directories(target.parent_path(), ec);
  // Private from the start: the journal will live in it.
  bool ok = fs::is_directory(templateDir, ec) && ::mkdir(temp.c_str(), 0700) == 0;
  int copied = 0;
  if (ok) {
    for (const auto& e : fs::directory_iterator(templateDir, ec)) {
      if (!e.is_regular_file()) continue;
      const String name = e.path().filename().string();
      if (!name.empty() && name[0] == '.') continue;
      if (!CopyFileOverwrite(e.path().string(), (temp / name).string())) {
        ok = false;
        break;
      }
      ++copied;
    }
    if (ec) ok = false;
  }
  // A template without the database files would give a folder that fails
  // later in odd places and is never made again.
  ok = ok && copied > 0 && fs::exists(temp / JournalFileName) && fs::exists(temp / ProfileFileName);
  if (ok) {
    ok = RestrictToOwner(temp.string());
    fs::rename(temp, target, ec);
    ok = !ec;
  }
  if (!ok) fs::remove_all(temp, ec);
  return ok;
}

}  // namespace

TSession& QuillorySession() {
  static TSession* session = [] {
    auto* s = new TSession;  // lives for the whole process
    s->SessionName = SessionName;
    RegisterTableFiles(*s);
    return s;
  }();
  return *session;
}

std::shared_ptr<TNamedSemaphore> DBSemaphore() {
  static std::shared_ptr<TNamedSemaphore> sem =
      TNamedSemaphore::Create("QYDBSemaphore", 1, 1, true);
  return sem;
}

void CompleteDatabaseFolders(TDatabaseFolders& f) {
  if (f.WindowsUserName.empty()) f.WindowsUserName = "System";
  f.ProgramDir = ExcludeTrailingPathDelimiter(f.ProgramDir);
  f.DocumentsDir = ExcludeTrailingPathDelimiter(f.DocumentsDir);
  f.TemplateDir = f.ProgramDir + "/DataTemplate";
  f.DataDir = f.DocumentsDir + "/Quillory for " + f.WindowsUserName;
}

TDatabaseFolders SystemDatabaseFolders() {
  TDatabaseFolders f;
  f.ProgramDir = GetProgramDataFolder();
  f.DocumentsDir = GetDocumentsFolder();
  f.TempDir = GetTempFolder();
  f.WindowsUserName = GetLogonUserName();
  CompleteDatabaseFolders(f);
  return f;
}

namespace {

// Every setting lives in the settings file: one that cannot be opened is
// reported with its cause before anything reads it (and is never replaced
// by a new, empty one).
void CheckSettingsFile() {
  TSession& s = QuillorySession();
  const bool added = !s.HasPassword(ProfilePassword);
  s.AddPassword(ProfilePassword);
  try {
    TTable t;
    BindToDatabase(t);
    t.TableName = "Profile";
    t.Open();
    t.Close();
    s.CloseIdleConnections();
  } catch (const EDBEngineError& e) {
    if (added) s.RemovePassword(ProfilePassword);
    throw EDBEngineError("The settings cannot be read. " + e.Message, e.ErrorCode);
  }
  if (added) s.RemovePassword(ProfilePassword);
}

}  // namespace

bool SetUpDatabase(const TDatabaseFolders& folders) {
  TSemaphoreHold hold(DBSemaphore());
  TDatabaseFolders f = folders;
  CompleteDatabaseFolders(f);
  if (f.TempDir.empty()) throw Exception("Problem Finding The Temp Path Directory");
  DatabaseFolders = f;
  CheckDatabaseEngine();
  if (!DirectoryExists(f.DataDir)) {
    if (MessageBox(kNewDatabaseText, "CREATING NEW QUILLORY DATABASE",
                   MB_OKCANCEL | MB_ICONINFORMATION) == IDCANCEL)
      return false;
    if (!CreateDataFolder(f.TemplateDir, f.DataDir)) {
      MessageBox("Database Setup Copy Failure", "Setup", MB_OK | MB_ICONERROR);
      return false;
    }
  }
  // Folders and files of earlier builds were readable by everyone.
  RestrictToOwner(f.DataDir);
  RemoveStaleTableFiles(f.DataDir);
  RegisterAlias(f.DataDir);
  CheckSettingsFile();
  return true;
}

String JournalFilePath() { return QuillorySession().ResolveFile(AliasName, "QUILLORY"); }

void RegisterAlias(const String& folder) {
  TSession& s = QuillorySession();
  s.SessionName = SessionName;
  AliasName = "QuilloryAlias";
  while (s.IsAlias(AliasName)) AliasName += "z";
  try {
    s.AddStandardAlias(AliasName, folder, "Paradox");
  } catch (Exception&) {
    throw Exception("Unable to add alias to ( BDE ) Dabase Engine ");
  }
  s.SetCipherSettings(ExcludeTrailingPathDelimiter(folder) + "/" + ProfileFileName,
                      ProfileCipherSettings);
}

void BindToDatabase(TQuery& query) {
  query.SessionName = SessionName;
  query.DatabaseName = AliasName;
}

void BindToDatabase(TTable& table) {
  table.SessionName = SessionName;
  table.DatabaseName = AliasName;
}

std::function<void()> OnDatabaseExclusiveUse;

namespace {

// The table opened exclusively, or the error the callers expect.
void OpenExclusive(TTable& t, const String& tableName) {
  if (OnDatabaseExclusiveUse) OnDatabaseExclusiveUse();
  BindToDatabase(t);
  t.TableName = tableName;
  t.Close();
  t.Exclusive = true;
  t.Open();
  if (!t.Active() || !t.Exclusive)
    throw EDBEngineError("Table must be opened in exclusive mode to add or change passwords");
}

}  // namespace

void RestructureTablePassword(const String&, const String& newPassword, const String& tableName) {
  TSession& s = QuillorySession();
  // After the first table of a shared file the file already has the new key.
  const bool added = !s.HasPassword(newPassword);
  if (added) s.AddPassword(newPassword);
  try {
    TTable t;
    OpenExclusive(t, tableName);
    t.RestructurePassword(newPassword);
  } catch (...) {
    if (added) s.RemovePassword(newPassword);
    throw;
  }
  if (added) s.RemovePassword(newPassword);
}

void PackTable(const String& tableName) {
  TTable t;
  OpenExclusive(t, tableName);
  t.Pack();
  t.Close();
}

void RegenerateTableIndexes(const String& tableName) {
  TTable t;
  OpenExclusive(t, tableName);
  t.RegenerateIndexes();
  t.Close();
}

void CloseDatabaseFiles() {
  if (OnDatabaseExclusiveUse) OnDatabaseExclusiveUse();
  QuillorySession().CloseFolder(QuillorySession().GetAliasPath(AliasName));
}

void CloseDatabaseSession() { QuillorySession().CloseIdleConnections(); }

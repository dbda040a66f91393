#include "app/QYDatabase.h"

#include "app/QYSchema.h"
#include "platform/db/DBFiles.h"
#include "platform/gui/Dialogs.h"
#include "platform/os/FolderLock.h"
#include "platform/os/Semaphores.h"
#include "platform/os/SingleInstance.h"
#include "platform/os/SysPaths.h"

#include <chrono>
#include <filesystem>
#include <regex>
#include <sys/stat.h>
#include <thread>
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
    // Another start made the folder meanwhile: that one is used.
    ok = !ec || fs::is_directory(target / JournalFileName);
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

String DatabaseLockContact;
std::function<void(const String&)> DatabaseLockWaitNotice;
int DatabaseLockWaitMs = 20000;

namespace {

std::unique_ptr<TFolderLock>& HeldLock() {
  static std::unique_ptr<TFolderLock> lock;
  return lock;
}

std::unique_ptr<TFolderLock>& PreparedLock() {
  static std::unique_ptr<TFolderLock> lock;
  return lock;
}

String SameFolderKey(const String& folder) {
  std::error_code ec;
  const fs::path p = fs::weakly_canonical(fs::path(folder), ec);
  return ec ? ExcludeTrailingPathDelimiter(folder) : p.string();
}

String HolderText(const TFolderLock::THolder& h) {
  String who = "another Quillory";
  if (h.Pid > 0) who += " (process " + std::to_string(h.Pid);
  if (!h.Host.empty() && h.Host != HostName()) who += (h.Pid > 0 ? " on " : " (on ") + h.Host;
  if (h.Pid > 0 || (!h.Host.empty() && h.Host != HostName())) who += ")";
  if (!h.User.empty() && h.User != GetLogonUserName()) who += " of " + h.User;
  return who;
}

}  // namespace

bool HoldsDatabaseFolder(const String& dataDir) {
  const auto& lock = HeldLock();
  return lock && lock->Held() && SameFolderKey(lock->Folder()) == SameFolderKey(dataDir);
}

void ReleaseDatabaseFolder() {
  HeldLock().reset();
  PreparedLock().reset();
}

TFolderClaim ClaimDatabaseFolder(const String& dataDir, String& refusal) {
  if (HoldsDatabaseFolder(dataDir)) return fcTaken;
  ReleaseDatabaseFolder();
  auto lock = std::make_unique<TFolderLock>(dataDir);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(DatabaseLockWaitMs);
  bool told = false;
  for (;;) {
    switch (lock->TryTake(DatabaseLockContact)) {
      case TFolderLock::flTaken: HeldLock() = std::move(lock); return fcTaken;
      case TFolderLock::flFailed:
        refusal = lock->FailureText();
        return fcRefused;
      case TFolderLock::flBusy: break;
    }
    const TFolderLock::THolder holder = lock->Holder();
    const bool here = holder.Host.empty() || holder.Host == HostName();
    if (here && !holder.Contact.empty() && TSingleInstance::SendTo(holder.Contact, "restore", 2000))
      return fcHandedOver;
    // A holder on another machine never answers here; one on this machine
    // may still be starting (not listening yet) or ending.
    if (!here || std::chrono::steady_clock::now() >= deadline) {
      refusal = "The journal in " + dataDir + " is open in " + HolderText(holder) +
                (here ? ", which does not answer" : "") +
                ".\r\nTwo programs on one journal would lose each other's entries: close that one "
                "first, then start Quillory again.";
      return fcRefused;
    }
    if (!told && DatabaseLockWaitNotice) {
      DatabaseLockWaitNotice("Waiting for " + HolderText(holder) + ",\nwhich has this journal open...");
      told = true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
}

bool PrepareDatabaseLockFor(const String& newFolder) {
  PreparedLock().reset();
  if (!HeldLock() || !HeldLock()->Held()) return true;
  auto lock = std::make_unique<TFolderLock>(newFolder);
  if (lock->TryTake(DatabaseLockContact) != TFolderLock::flTaken) return false;
  PreparedLock() = std::move(lock);
  return true;
}

void FinishDatabaseLockMove(bool swapped, const String& dataDir) {
  if (!PreparedLock()) return;
  if (!swapped) {
    PreparedLock().reset();
    return;
  }
  // The old folder's lock lies beside, in the folder that goes next.
  HeldLock() = std::move(PreparedLock());
  HeldLock()->Moved(dataDir);
}

String RestoreStagingOf(const String& dataDir) {
  const fs::path d(ExcludeTrailingPathDelimiter(dataDir));
  return (d.parent_path() / ("." + d.filename().string() + ".restore")).string();
}

void RemoveRestoreLeftover(const String& dataDir) {
  const String staging = RestoreStagingOf(dataDir);
  std::error_code ec;
  if (!fs::is_directory(fs::symlink_status(staging, ec))) return;
  for (const auto& e : fs::directory_iterator(staging, ec)) {
    std::error_code dec;
    if (!e.is_directory(dec) || e.is_symlink(dec)) continue;
    const fs::path target = fs::path(dataDir) / e.path().filename();
    if (!fs::exists(target, dec)) fs::rename(e.path(), target, dec);
  }
  fs::remove_all(staging, ec);
}

int RemoveInterruptedSaves(const String& folder) {
  static const std::regex temporary(R"(\..+\.[0-9A-Fa-f]{10}\.tmp)");
  int removed = 0;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(folder, ec)) {
    std::error_code fec;
    const String name = e.path().filename().string();
    if (!e.is_regular_file(fec) || e.is_symlink(fec) || !std::regex_match(name, temporary)) continue;
    if (fs::remove(e.path(), fec)) ++removed;
  }
  return removed;
}

void RemoveDatabaseLeftovers(const String& dataDir) {
  RemoveRestoreLeftover(dataDir);
  RemoveInterruptedSaves(dataDir);
}

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
  String refusal;
  switch (ClaimDatabaseFolder(f.DataDir, refusal)) {
    case fcTaken: break;
    case fcHandedOver: return false;
    case fcRefused: throw Exception(refusal);
  }
  // Only the holder of the lock may clear away what a killed program left.
  RemoveDatabaseLeftovers(f.DataDir);
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
    throw Exception("Unable to add the database alias");
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

#include "platform/db/DBTables.h"

#include "platform/base/CoreDumps.h"
#include "platform/base/Streams.h"
#include "platform/db/DBDialect.h"
#include "platform/db/DBFiles.h"
#include "platform/db/DBPassword.h"

#include <sqlcipher/sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

struct TDBConnection {
  sqlite3* Db = nullptr;
  String Path;
  String Key;  // the password that opened the file ("" for a plain file)
  std::thread::id Owner;
  int Users = 0;
  bool InTransaction = false;
  const void* ExclusiveHolder = nullptr;
};

namespace {

std::mutex GSessionsLock;
std::vector<TSession*> GSessions;

String EngineMessage(sqlite3* db, int rc) {
  const char* m = db ? sqlite3_errmsg(db) : nullptr;
  return m ? String(m) : String(sqlite3_errstr(rc));
}

// Runs SQL with no values; raises EDBEngineError with the statement kind.
void Exec(sqlite3* db, const String& sql) {
  char* err = nullptr;
  int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err);
  if (rc != SQLITE_OK) {
    String msg = err ? err : sqlite3_errstr(rc);
    sqlite3_free(err);
    throw EDBEngineError(StatementKind(sql) + " failed: " + msg, rc);
  }
}

// A single-row, single-column answer of a statement without values.
String QueryText(sqlite3* db, const String& sql, int* rcOut = nullptr) {
  sqlite3_stmt* st = nullptr;
  int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr);
  String r;
  if (rc == SQLITE_OK) {
    rc = sqlite3_step(st);
    if (rc == SQLITE_ROW) {
      const unsigned char* t = sqlite3_column_text(st, 0);
      r = t ? reinterpret_cast<const char*>(t) : "";
      rc = SQLITE_OK;
    } else if (rc == SQLITE_DONE) {
      rc = SQLITE_OK;
    }
  }
  if (rc != SQLITE_OK && !rcOut) {
    String msg = EngineMessage(db, rc);
    sqlite3_finalize(st);
    throw EDBEngineError(StatementKind(sql) + " failed: " + msg, rc);
  }
  sqlite3_finalize(st);
  if (rcOut) *rcOut = rc;
  return r;
}

String Upper(const String& s) { return UpperCase(s); }

// Closes the engine's connection and wipes the key it was opened with.
void CloseConnection(TDBConnection& c) {
  sqlite3_close_v2(c.Db);
  c.Db = nullptr;
  WipeString(c.Key);
}

// Sets the key and the cipher settings of a freshly opened connection, or of
// an attached one (schema "qy_new.").
int ApplyKey(sqlite3* db, const String& key, const TCipherSettings& settings,
             const String& schema = String()) {
  if (key.empty()) return SQLITE_OK;
  int rc = SQLITE_OK;
  if (schema.empty()) rc = sqlite3_key(db, key.data(), static_cast<int>(key.size()));
  for (const String& pragma : {"PRAGMA " + schema + "kdf_iter = " + IntToStr(settings.KdfIter),
                               "PRAGMA " + schema + "cipher_page_size = " + IntToStr(settings.PageSize)}) {
    if (rc != SQLITE_OK) break;
    char* err = nullptr;
    rc = sqlite3_exec(db, pragma.c_str(), nullptr, nullptr, &err);
    sqlite3_free(err);
  }
  return rc;
}

// Why an opened file cannot be whole ("" when nothing shows): a file cut in
// a page, or shorter than the pages its header counts. Pages that still live
// in the write-ahead log leave the file short on purpose, so a file with a
// log says nothing.
String TruncationOf(sqlite3* db, const String& path) {
  struct stat st {};
  if (::stat((path + "-wal").c_str(), &st) == 0 && st.st_size > 0) return String();
  if (::stat(path.c_str(), &st) != 0) return String();
  int rc = SQLITE_OK;
  const Int64 pageSize = StrToInt64Def(QueryText(db, "PRAGMA page_size", &rc), 0);
  const Int64 pages = rc == SQLITE_OK ? StrToInt64Def(QueryText(db, "PRAGMA page_count", &rc), 0) : 0;
  if (rc != SQLITE_OK || pageSize <= 0) return String();
  if (st.st_size % pageSize != 0 || st.st_size < pages * pageSize)
    return "truncated (" + IntToStr(Int64(st.st_size)) + " of " + IntToStr(pages * pageSize) + " bytes)";
  return String();
}

bool FsyncPath(const String& path, bool directory) {
  int fd = ::open(path.c_str(), directory ? O_RDONLY | O_DIRECTORY : O_RDONLY);
  if (fd < 0) return false;
  bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

}  // namespace

// ---------------------------------------------------------------------------

void CheckDatabaseEngine() {
  if (String(sqlite3_libversion()) != SQLITE_VERSION)
    throw EDBEngineError(String("Database engine mismatch: library ") + sqlite3_libversion() +
                         ", header " + SQLITE_VERSION);
  if (DatabaseEngineCipherVersion().empty())
    throw EDBEngineError("Database engine has no encryption (cipher_version is empty)");
}

String DatabaseEngineCipherVersion() {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(":memory:", &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
    sqlite3_close(db);
    return String();
  }
  int rc = 0;
  String v = QueryText(db, "PRAGMA cipher_version", &rc);
  sqlite3_close(db);
  return rc == SQLITE_OK ? v : String();
}

// ---------------------------------------------------------------------------
// TCipherSettings

bool TCipherSettings::SameKeyDerivation(const TCipherSettings& o) const {
  if (UsesArgon2() != o.UsesArgon2()) return false;
  if (UsesArgon2())
    return Argon2MemoryKiB == o.Argon2MemoryKiB && Argon2Passes == o.Argon2Passes && Argon2Lanes == o.Argon2Lanes;
  return KdfIter == o.KdfIter;
}

String TCipherSettings::Text() const {
  if (UsesArgon2())
    return "kdf=argon2id;m=" + IntToStr(Argon2MemoryKiB) + ";t=" + IntToStr(Argon2Passes) +
           ";p=" + IntToStr(Argon2Lanes) + ";cipher_page_size=" + IntToStr(PageSize);
  return "kdf_iter=" + IntToStr(KdfIter) + ";cipher_page_size=" + IntToStr(PageSize);
}

bool TCipherSettings::Parse(const String& text, TCipherSettings& out) {
  TCipherSettings r;
  bool iter = false, page = false, argon = false, m = false, t = false, p = false;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(';', start);
    if (end == String::npos) end = text.size();
    const String part = Trim(text.substr(start, end - start));
    start = end + 1;
    if (part.empty()) continue;
    const size_t eq = part.find('=');
    if (eq == String::npos) return false;
    const String name = Trim(part.substr(0, eq));
    const String value = Trim(part.substr(eq + 1));
    if (name == "kdf") {
      if (value != "argon2id" || argon) return false;
      argon = true;
      continue;
    }
    Int64 v = 0;
    if (!TryStrToInt64(value, v)) return false;
    if (name == "kdf_iter" && v >= 1 && v <= DBCostFactorLimit * Int64(DBKdfIterations)) {
      r.KdfIter = static_cast<int>(v);
      iter = true;
    } else if (name == "cipher_page_size" && v >= 512 && v <= 65536 && (v & (v - 1)) == 0) {
      r.PageSize = static_cast<int>(v);
      page = true;
    } else if (name == "m" && v >= 8 && v <= DBCostFactorLimit * Int64(DBArgon2MemoryKiB)) {
      r.Argon2MemoryKiB = static_cast<int>(v);
      m = true;
    } else if (name == "t" && v >= 1 && v <= DBCostFactorLimit * Int64(DBArgon2Passes)) {
      r.Argon2Passes = static_cast<int>(v);
      t = true;
    } else if (name == "p" && v >= 1 && v <= DBCostFactorLimit * Int64(DBArgon2Lanes)) {
      r.Argon2Lanes = static_cast<int>(v);
      p = true;
    } else {
      return false;
    }
  }
  if (!page) return false;
  if (argon ? (!m || !t || !p || iter || r.Argon2MemoryKiB < 8 * r.Argon2Lanes) : (!iter || m || t || p))
    return false;
  out = r;
  return true;
}

// ---------------------------------------------------------------------------
// TSession

TSession::TSession() {
  std::lock_guard<std::mutex> g(GSessionsLock);
  GSessions.push_back(this);
}

TSession::~TSession() {
  {
    std::lock_guard<std::mutex> g(GSessionsLock);
    GSessions.erase(std::remove(GSessions.begin(), GSessions.end(), this), GSessions.end());
  }
  for (auto& c : FConnections) CloseConnection(*c);
  for (String& p : FPasswords) WipeString(p);
  for (auto& [path, key] : FLastKey) key.Wipe();
}

TSession* TSession::FindSession(const String& name) {
  std::lock_guard<std::mutex> g(GSessionsLock);
  for (TSession* s : GSessions)
    if (name.empty() || SameText(s->SessionName, name)) return s;
  return nullptr;
}

void TSession::AddStandardAlias(const String& name, const String& folder, const String&) {
  std::lock_guard<std::recursive_mutex> g(FLock);
  if (Trim(name).empty()) throw EDatabaseError("Alias name is empty");
  if (FAliases.count(Upper(name))) throw EDatabaseError("Duplicate alias name: " + name);
  FAliases[Upper(name)] = ExcludeTrailingPathDelimiter(folder);
  FAliasOrder.push_back(name);
}

void TSession::DeleteAlias(const String& name) {
  std::lock_guard<std::recursive_mutex> g(FLock);
  FAliases.erase(Upper(name));
  FAliasOrder.erase(std::remove_if(FAliasOrder.begin(), FAliasOrder.end(),
                                   [&](const String& a) { return SameText(a, name); }),
                    FAliasOrder.end());
}

bool TSession::IsAlias(const String& name) const {
  std::lock_guard<std::recursive_mutex> g(FLock);
  return FAliases.count(Upper(name)) != 0;
}

std::vector<String> TSession::GetAliasNames() const {
  std::lock_guard<std::recursive_mutex> g(FLock);
  return FAliasOrder;
}

String TSession::GetAliasPath(const String& name) const {
  std::lock_guard<std::recursive_mutex> g(FLock);
  auto it = FAliases.find(Upper(name));
  if (it == FAliases.end()) throw EDatabaseError("Unknown database alias: " + name);
  return it->second;
}

void TSession::AddTableFile(const String& fileName, const std::vector<String>& tableNames) {
  std::lock_guard<std::recursive_mutex> g(FLock);
  for (const String& t : tableNames) FTableFiles[Upper(t)] = fileName;
}

String TSession::TableFileName(const String& tableName) const {
  std::lock_guard<std::recursive_mutex> g(FLock);
  auto it = FTableFiles.find(Upper(tableName));
  return it != FTableFiles.end() ? it->second : tableName + ".db";
}

void TSession::AddPassword(const String& password) {
  std::lock_guard<std::recursive_mutex> g(FLock);
  // A process that holds a password writes no core dump: it would hold the
  // password, the keys and what they decrypt.
  KeepOutOfCoreDumps();
  if (!HasPassword(password)) FPasswords.push_back(password);
  for (const String& p : FPasswords) LeaveOutOfCoreDumps(p.data(), p.size());
}

void TSession::RemovePassword(const String& password) {
  std::lock_guard<std::recursive_mutex> g(FLock);
  if (password.empty()) return;
  // The caller's string may be one of ours: compare against a copy.
  String p = password;
  for (auto it = FLastKey.begin(); it != FLastKey.end();) {
    if (it->second.Password == p) {
      it->second.Wipe();
      it = FLastKey.erase(it);
    } else {
      ++it;
    }
  }
  for (auto it = FPasswords.begin(); it != FPasswords.end();) {
    if (*it == p) {
      WipeString(*it);
      it = FPasswords.erase(it);
    } else {
      ++it;
    }
  }
  WipeString(p);
}

void TSession::RemoveAllPasswords() {
  std::lock_guard<std::recursive_mutex> g(FLock);
  for (String& p : FPasswords) WipeString(p);
  FPasswords.clear();
  for (auto& [path, key] : FLastKey) key.Wipe();
  FLastKey.clear();
  // Idle connections to keyed files go too, with their decrypted pages.
  for (auto it = FConnections.begin(); it != FConnections.end();) {
    if (!(*it)->Key.empty() && (*it)->Users == 0 && !(*it)->InTransaction) {
      CloseConnection(**it);
      it = FConnections.erase(it);
    } else {
      ++it;
    }
  }
}

bool TSession::HasPassword(const String& password) const {
  std::lock_guard<std::recursive_mutex> g(FLock);
  return std::find(FPasswords.begin(), FPasswords.end(), password) != FPasswords.end();
}

void TSession::Trace(const String& sql) {
  if (OnTrace) OnTrace(sql);
}

void TSession::RegisterDatabase(TDatabase* db) {
  std::lock_guard<std::recursive_mutex> g(FLock);
  FDatabases.push_back(db);
}

void TSession::UnregisterDatabase(TDatabase* db) {
  std::lock_guard<std::recursive_mutex> g(FLock);
  FDatabases.erase(std::remove(FDatabases.begin(), FDatabases.end(), db), FDatabases.end());
}

String TSession::ResolveFolder(const String& databaseName) const {
  std::lock_guard<std::recursive_mutex> g(FLock);
  for (TDatabase* d : FDatabases)
    if (!d->DatabaseName.empty() && SameText(d->DatabaseName, databaseName)) return d->Folder();
  return GetAliasPath(databaseName);
}

String TSession::ResolveFile(const String& databaseName, const String& tableName) const {
  return ResolveFolder(databaseName) + PathDelim + TableFileName(tableName);
}

void TSession::SetCipherSettings(const String& path, const TCipherSettings& settings) {
  std::lock_guard<std::recursive_mutex> g(FLock);
  FCipher[path] = settings;
}

TCipherSettings TSession::CipherSettingsOf(const String& path) const {
  std::lock_guard<std::recursive_mutex> g(FLock);
  auto it = FCipher.find(path);
  return it != FCipher.end() ? it->second : TCipherSettings();
}

int TSession::KeyDerivations() const {
  std::lock_guard<std::recursive_mutex> g(FLock);
  return FKeyDerivations;
}

void TSession::TFileKey::Wipe() {
  WipeString(Password);
  WipeString(Salt);
  WipeString(RawKey);
}

String TSession::RawKeyOf(const String& path, const String& password,
                          const TCipherSettings& settings, const String& salt) {
  std::lock_guard<std::recursive_mutex> g(FLock);
  if (password.empty() || IsCipherRawKey(password) || salt.size() != CipherSaltBytes)
    return String();
  auto last = FLastKey.find(path);
  // The page size plays no part in the key.
  if (last != FLastKey.end() && !last->second.RawKey.empty() && last->second.Password == password &&
      last->second.Settings.SameKeyDerivation(settings) && last->second.Salt == salt)
    return last->second.RawKey;
  ++FKeyDerivations;
  return CipherRawKey(password, salt, settings);
}

void TSession::RememberKey(const String& path, const String& password,
                           const TCipherSettings& settings, const String& salt, String& rawKey) {
  std::lock_guard<std::recursive_mutex> g(FLock);
  ForgetKey(path);
  if (password.empty() || !HasPassword(password)) {
    WipeString(rawKey);
    return;
  }
  TFileKey& k = FLastKey[path];
  k.Password = password;
  k.Settings = settings;
  k.Salt = salt;
  k.RawKey = std::move(rawKey);
  rawKey.clear();
  LeaveOutOfCoreDumps(k.Password.data(), k.Password.size());
  LeaveOutOfCoreDumps(k.RawKey.data(), k.RawKey.size());
}

void TSession::ForgetKey(const String& path) {
  std::lock_guard<std::recursive_mutex> g(FLock);
  auto it = FLastKey.find(path);
  if (it == FLastKey.end()) return;
  it->second.Wipe();
  FLastKey.erase(it);
}

sqlite3* TSession::OpenWithKey(const String& path, const String& key,
                               const TCipherSettings& settings, int& rc) {
  sqlite3* db = nullptr;
  // CREATE lets ATTACH make the file of a restructure; Acquire checks the
  // table file exists first.
  rc = sqlite3_open_v2(path.c_str(), &db,
                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_close(db);
    return nullptr;
  }
  rc = ApplyKey(db, key, settings);
  if (rc == SQLITE_OK) QueryText(db, "SELECT count(*) FROM sqlite_master", &rc);
  if (rc != SQLITE_OK) {
    sqlite3_close(db);
    return nullptr;
  }
  return db;
}

TDBConnection& TSession::Acquire(const String& path, const void* exclusiveHolder) {
  std::unique_lock<std::recursive_mutex> g(FLock);
  auto ex = FExclusive.find(path);
  if (ex != FExclusive.end() && ex->second != exclusiveHolder)
    throw EDBEngineError("Table file " + ExtractFileName(path) + " is opened exclusively");
  const auto me = std::this_thread::get_id();
  for (auto& c : FConnections)
    if (c->Path == path && c->Owner == me && (c->Users > 0 || c->InTransaction) &&
        c->ExclusiveHolder == exclusiveHolder) {
      CheckAccess(*c);
      ++c->Users;
      return *c;
    }
  for (auto& c : FConnections)
    if (c->Path == path && c->Users == 0 && !c->InTransaction &&
        c->ExclusiveHolder == exclusiveHolder) {
      CheckAccess(*c);
      c->Owner = me;
      c->Users = 1;
      return *c;
    }
  // Only a file that is a database is given to the engine: it would turn an
  // empty file into a new database, and a password cannot help a file that
  // is damaged or no database at all.
  String why;
  const TDBFileKind kind = ClassifyDatabaseFile(path, &why);
  switch (kind) {
    case dfMissing: throw EDBEngineError("Table file not found: " + path, SQLITE_CANTOPEN);
    case dfEmpty:
      throw EDBEngineError("Table file " + path +
                               " is empty (0 bytes): it is not a database and has been left as it is",
                           SQLITE_NOTADB);
    case dfNotDatabase:
      throw EDBEngineError("Table file " + path + " is not a database: " + why, SQLITE_NOTADB);
    case dfPlain:
    case dfEncrypted: break;
  }
  for (;;) {
    // A plain file opens without a key; an encrypted one is tried with the
    // key that fitted last time first, then the rest, each with the file's
    // recorded settings and then the defaults.
    std::vector<String> keys;
    keys.reserve(FPasswords.size() + 2);  // no copies left behind by growth
    const TWipeOnExit wipe(keys);
    if (kind == dfPlain) {
      keys.emplace_back();
    } else {
      auto last = FLastKey.find(path);
      if (last != FLastKey.end() && HasPassword(last->second.Password) &&
          !last->second.Password.empty())
        keys.push_back(last->second.Password);
      // Then the newest first: a password is given just before the file it
      // opens is used (each try costs a derivation).
      for (auto p = FPasswords.rbegin(); p != FPasswords.rend(); ++p)
        if (!p->empty() && std::find(keys.begin(), keys.end(), *p) == keys.end()) keys.push_back(*p);
    }
    std::vector<TCipherSettings> settings;
    if (auto rec = FCipher.find(path); rec != FCipher.end()) settings.push_back(rec->second);
    for (const TCipherSettings& cs : {DBNewFileCipherSettings, TCipherSettings(), DBEarlierCipherSettings})
      if (std::find(settings.begin(), settings.end(), cs) == settings.end()) settings.push_back(cs);
    // Each password is derived into the file's key here, once: the engine
    // takes the derived key without deriving again, and later connections
    // to the file (other threads, reopened ones) take the kept one.
    const String salt = kind == dfEncrypted ? CipherSaltOf(path, CipherSaltBytes) : String();
    int rc = SQLITE_OK;
    for (const String& k : keys) {
      // Settings that differ in the page size only share the key.
      String raw;
      const TCipherSettings* rawFor = nullptr;
      const TWipeOnExit wipeRaw({&raw});
      for (const TCipherSettings& cs : settings) {
        if (!rawFor || !rawFor->SameKeyDerivation(cs)) {
          WipeString(raw);
          raw = RawKeyOf(path, k, cs, salt);
          rawFor = &cs;
        }
        sqlite3* db = OpenWithKey(path, raw.empty() ? k : raw, cs, rc);
        if (db) {
          if (String cut = TruncationOf(db, path); !cut.empty()) {
            sqlite3_close(db);
            throw EDBEngineError("Table file " + path + " is damaged: " + cut, SQLITE_CORRUPT);
          }
          sqlite3_busy_timeout(db, 5000);
          sqlite3_extended_result_codes(db, 0);
          try {
            Exec(db, "PRAGMA journal_mode = WAL");
            Exec(db, "PRAGMA synchronous = FULL");
            // Room for the pages a large entry frees and those it writes in
            // one update: a smaller cache spills them to the log mid-save and
            // reads and decrypts the old ones again to free them.
            Exec(db, "PRAGMA cache_size = -8192");
            // Sorts and temporary tables stay in memory: on disk they would be
            // clear text beside an encrypted file.
            Exec(db, "PRAGMA temp_store = MEMORY");
          } catch (...) {
            sqlite3_close(db);
            throw;
          }
          RegisterDialectFunctions(db);
          auto c = std::make_unique<TDBConnection>();
          c->Db = db;
          c->Path = path;
          c->Key = k;
          LeaveOutOfCoreDumps(c->Key.data(), c->Key.size());
          c->Owner = me;
          c->Users = 1;
          c->ExclusiveHolder = exclusiveHolder;
          if (!k.empty()) {
            RememberKey(path, k, cs, salt, raw);
            FCipher[path] = cs;
          }
          FConnections.push_back(std::move(c));
          return *FConnections.back();
        }
        if (rc != SQLITE_NOTADB) {
          throw EDBEngineError("Cannot open table file " + path + ": " + sqlite3_errstr(rc), rc);
        }
        if (k.empty()) break;  // settings mean nothing without a key
      }
    }
    if (kind == dfPlain)
      throw EDBEngineError("Cannot open table file " + path + ": " + sqlite3_errstr(rc), rc);
    bool cont = false;
    if (OnPassword) {
      g.unlock();
      OnPassword(this, cont);
      g.lock();
    }
    if (!cont)
      throw EDBPasswordError("Invalid password for table file " + ExtractFileName(path),
                             SQLITE_NOTADB);
  }
}

void TSession::CheckAccess(TDBConnection& c) {
  std::unique_lock<std::recursive_mutex> g(FLock);
  while (!c.Key.empty() && !HasPassword(c.Key)) {
    bool cont = false;
    if (OnPassword) {
      g.unlock();
      OnPassword(this, cont);
      g.lock();
    }
    if (!cont)
      throw EDBPasswordError("Invalid password for table file " + ExtractFileName(c.Path),
                             SQLITE_NOTADB);
  }
}

void TSession::Release(TDBConnection& c) {
  std::lock_guard<std::recursive_mutex> g(FLock);
  if (c.Users > 0) --c.Users;
}

void TSession::CloseIdleConnections() {
  std::lock_guard<std::recursive_mutex> g(FLock);
  for (auto it = FConnections.begin(); it != FConnections.end();) {
    if ((*it)->Users == 0 && !(*it)->InTransaction) {
      CloseConnection(**it);
      it = FConnections.erase(it);
    } else {
      ++it;
    }
  }
}

void TSession::CloseFolder(const String& folder) {
  std::lock_guard<std::recursive_mutex> g(FLock);
  const String dir = ExcludeTrailingPathDelimiter(folder);
  for (auto& c : FConnections)
    if (ExtractFileDir(c->Path) == dir && (c->Users > 0 || c->InTransaction))
      throw EDBEngineError("Table file " + ExtractFileName(c->Path) + " is in use");
  for (auto it = FConnections.begin(); it != FConnections.end();) {
    if (ExtractFileDir((*it)->Path) == dir) {
      // The last connection to close checkpoints the log into the file.
      CloseConnection(**it);
      it = FConnections.erase(it);
    } else {
      ++it;
    }
  }
}

void TSession::TakeExclusive(const String& path, const void* holder) {
  std::lock_guard<std::recursive_mutex> g(FLock);
  auto ex = FExclusive.find(path);
  if (ex != FExclusive.end() && ex->second != holder)
    throw EDBEngineError("Table file " + ExtractFileName(path) + " is opened exclusively");
  for (auto& c : FConnections)
    if (c->Path == path && (c->Users > 0 || c->InTransaction))
      throw EDBEngineError("Table file " + ExtractFileName(path) + " is in use");
  FExclusive[path] = holder;
  // Idle connections would see the file change under them.
  CloseFile(path);
}

void TSession::ReleaseExclusive(const String& path, const void* holder) {
  std::lock_guard<std::recursive_mutex> g(FLock);
  auto ex = FExclusive.find(path);
  if (ex != FExclusive.end() && ex->second == holder) FExclusive.erase(ex);
}

void TSession::CloseFile(const String& path) {
  std::lock_guard<std::recursive_mutex> g(FLock);
  for (auto it = FConnections.begin(); it != FConnections.end();) {
    if ((*it)->Path == path && (*it)->Users == 0) {
      CloseConnection(**it);
      it = FConnections.erase(it);
    } else {
      ++it;
    }
  }
}

void TSession::CreateDatabaseFile(const String& path, const String& password,
                                  const TCipherSettings& settings) {
  if (FileExists(path)) throw EDBEngineError("Table file exists: " + ExtractFileName(path));
  // Made private before the engine writes a byte; its logs take its mode.
  if (!CreatePrivateFile(path))
    throw EDBEngineError("Cannot create table file " + path + ": " + std::strerror(errno),
                         SQLITE_CANTOPEN);
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &db,
                           SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                           nullptr);
  try {
    if (rc != SQLITE_OK)
      throw EDBEngineError("Cannot create table file " + ExtractFileName(path) + ": " +
                               EngineMessage(db, rc),
                           rc);
    if (!password.empty()) {
      // Argon2id is ours, not the engine's: the file gets a salt of ours and
      // the key derived over it.
      String key = settings.UsesArgon2() && !IsCipherRawKey(password)
                       ? CipherRawKey(password, NewCipherSalt(), settings, true)
                       : password;
      rc = ApplyKey(db, key, settings);
      WipeString(key);
      if (rc != SQLITE_OK) throw EDBEngineError("Cannot key table file", rc);
    }
    Exec(db, "PRAGMA journal_mode = WAL");
    // Writes the header, so the file is a database from now on.
    Exec(db, "PRAGMA user_version = 0");
  } catch (...) {
    sqlite3_close(db);
    std::remove(path.c_str());
    throw;
  }
  sqlite3_close(db);
  if (!password.empty()) SetCipherSettings(path, settings);
}

void TSession::StartTransaction(const String& folder) {
  std::lock_guard<std::recursive_mutex> g(FLock);
  if (InTransaction(folder)) throw EDatabaseError("A transaction is already active");
  FTransactions.emplace_back(std::this_thread::get_id(), folder);
}

bool TSession::InTransaction(const String& folder) const {
  std::lock_guard<std::recursive_mutex> g(FLock);
  for (auto& t : FTransactions)
    if (t.first == std::this_thread::get_id() && t.second == folder) return true;
  return false;
}

void TSession::FinishTransaction(const String& folder, const char* sql) {
  std::lock_guard<std::recursive_mutex> g(FLock);
  const auto me = std::this_thread::get_id();
  FTransactions.erase(std::remove_if(FTransactions.begin(), FTransactions.end(),
                                     [&](auto& t) { return t.first == me && t.second == folder; }),
                      FTransactions.end());
  std::unique_ptr<EDBEngineError> failure;
  for (auto& c : FConnections) {
    if (!c->InTransaction || c->Owner != me || ExtractFileDir(c->Path) != folder) continue;
    c->InTransaction = false;
    if (sqlite3_get_autocommit(c->Db)) continue;
    try {
      Exec(c->Db, sql);
    } catch (EDBEngineError& e) {
      sqlite3_exec(c->Db, "ROLLBACK", nullptr, nullptr, nullptr);
      if (!failure) failure = std::make_unique<EDBEngineError>(e);
    }
  }
  if (failure) throw *failure;
}

void TSession::Commit(const String& folder) { FinishTransaction(folder, "COMMIT"); }
void TSession::Rollback(const String& folder) { FinishTransaction(folder, "ROLLBACK"); }

// ---------------------------------------------------------------------------
// TDatabase

TDatabase::TDatabase() = default;

TDatabase::~TDatabase() {
  try {
    if (InTransaction()) Rollback();
  } catch (...) {
  }
  if (FRegistered) FRegistered->UnregisterDatabase(this);
}

TSession& TDatabase::Session() const {
  TSession* s = TSession::FindSession(SessionName);
  if (!s) throw EDatabaseError("Session not found: " + SessionName);
  return *s;
}

String TDatabase::Folder() const {
  return Session().GetAliasPath(AliasName.empty() ? DatabaseName : AliasName);
}

void TDatabase::Open() {
  if (FConnected) return;
  String folder = Folder();
  if (!DirectoryExists(folder))
    throw EDBEngineError("Database folder not found: " + folder, SQLITE_CANTOPEN);
  if (!DatabaseName.empty() && !FRegistered) {
    FRegistered = &Session();
    FRegistered->RegisterDatabase(this);
  }
  FConnected = true;
}

void TDatabase::Close() {
  if (InTransaction()) Rollback();
  if (FRegistered) FRegistered->UnregisterDatabase(this);
  FRegistered = nullptr;
  FConnected = false;
}

void TDatabase::StartTransaction() {
  Open();
  Session().StartTransaction(Folder());
}

void TDatabase::Commit() { Session().Commit(Folder()); }
void TDatabase::Rollback() { Session().Rollback(Folder()); }

bool TDatabase::InTransaction() const {
  try {
    return Session().InTransaction(Folder());
  } catch (EDatabaseError&) {
    return false;
  }
}

// ---------------------------------------------------------------------------
// TTable

TTable::TTable() = default;

TTable::~TTable() {
  try {
    Close();
  } catch (...) {
  }
}

TSession& TTable::Session() const {
  TSession* s = TSession::FindSession(SessionName);
  if (!s) throw EDatabaseError("Session not found: " + SessionName);
  return *s;
}

void TTable::Open() {
  if (Active()) return;
  TSession& s = Session();
  FPath = s.ResolveFile(DatabaseName, TableName);
  if (Exclusive) s.TakeExclusive(FPath, this);
  try {
    TDBConnection& c = s.Acquire(FPath, Exclusive ? this : nullptr);
    FConnection = &c;
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(
        c.Db, "SELECT count(*) FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE",
        -1, &st, nullptr);
    if (rc == SQLITE_OK) {
      sqlite3_bind_text(st, 1, TableName.c_str(), -1, SQLITE_TRANSIENT);
      rc = sqlite3_step(st);
    }
    bool found = rc == SQLITE_ROW && sqlite3_column_int(st, 0) > 0;
    sqlite3_finalize(st);
    if (!found) throw EDBEngineError("Table does not exist: " + TableName, SQLITE_ERROR);
  } catch (...) {
    Close();
    throw;
  }
}

void TTable::Close() {
  if (FConnection) {
    TSession& s = Session();
    FConnection->ExclusiveHolder = Exclusive ? this : nullptr;
    s.Release(*FConnection);
    if (Exclusive) {
      // The connection belongs to this holder only: close it.
      s.CloseFile(FPath);
    }
    FConnection = nullptr;
  }
  if (Exclusive && !FPath.empty()) Session().ReleaseExclusive(FPath, this);
}

void TTable::RequireExclusive(const char*) {
  if (!Active() || !Exclusive)
    throw EDBEngineError("Table must be opened in exclusive mode to add or change passwords");
  Session().CheckAccess(*FConnection);
}

std::vector<String> TTable::FieldNames() {
  if (!Active()) throw EDatabaseError("Table is not open: " + TableName);
  std::vector<String> out;
  sqlite3_stmt* st = nullptr;
  // The name cannot be a parameter of PRAGMA table_info; the table function
  // form is not in this SQLite, so read the columns from a prepared SELECT.
  String quoted = "\"" + StringReplace(TableName, "\"", "\"\"", rfReplaceAll) + "\"";
  int rc = sqlite3_prepare_v2(FConnection->Db, ("SELECT * FROM " + quoted + " LIMIT 0").c_str(),
                              -1, &st, nullptr);
  if (rc != SQLITE_OK) {
    String msg = EngineMessage(FConnection->Db, rc);
    sqlite3_finalize(st);
    throw EDBEngineError("SELECT failed: " + msg, rc);
  }
  for (int i = 0; i < sqlite3_column_count(st); ++i) out.push_back(sqlite3_column_name(st, i));
  sqlite3_finalize(st);
  return out;
}

void TTable::RestructurePassword(const String& newPassword) {
  RequireExclusive("restructure");
  sqlite3* db = FConnection->Db;
  const String target = RestructureTargetName(FPath);
  std::remove(target.c_str());
  std::remove((target + "-wal").c_str());
  std::remove((target + "-shm").c_str());
  std::remove((target + "-journal").c_str());
  // The new file is private from its first byte (the engine would make it
  // readable by all), and so is the journal the engine writes beside it.
  if (!CreatePrivateFile(target))
    throw EDBEngineError("Cannot create " + target + ": " + std::strerror(errno), SQLITE_CANTOPEN);
  const TCipherSettings settings = DBNewFileCipherSettings;  // a rewritten file takes the defaults
  // The new file gets a salt of ours, so its key is derived once, here: the
  // export and the check take it raw, and the session keeps it for the
  // connections to the new file.
  String salt, newKey, checkKey;
  const TWipeOnExit wipeKeys({&salt, &newKey, &checkKey});
  if (newPassword.empty() || IsCipherRawKey(newPassword)) {
    newKey = checkKey = newPassword;
  } else {
    salt = NewCipherSalt();
    newKey = CipherRawKey(newPassword, salt, settings, true);
    checkKey.reserve(3 + 64);
    checkKey.append(newKey, 0, 2 + 64);
    checkKey += '\'';
  }
  try {
    Exec(db, "PRAGMA wal_checkpoint(TRUNCATE)");
    String userVersion = QueryText(db, "PRAGMA user_version");
    sqlite3_stmt* st = nullptr;
    // File name and key are values: bound, never part of the text.
    int rc = sqlite3_prepare_v2(db, "ATTACH DATABASE ? AS qy_new KEY ?", -1, &st, nullptr);
    if (rc == SQLITE_OK) {
      sqlite3_bind_text(st, 1, target.c_str(), -1, SQLITE_TRANSIENT);
      // Static: the engine makes no copy of the key that it would free unwiped.
      sqlite3_bind_blob(st, 2, newKey.data(), static_cast<int>(newKey.size()), SQLITE_STATIC);
      rc = sqlite3_step(st);
      if (rc == SQLITE_DONE) rc = SQLITE_OK;
    }
    String msg = rc != SQLITE_OK ? EngineMessage(db, rc) : String();
    sqlite3_finalize(st);
    if (rc != SQLITE_OK) throw EDBEngineError("ATTACH failed: " + msg, rc);
    try {
      if (!newKey.empty() && ApplyKey(db, newKey, settings, "qy_new.") != SQLITE_OK)
        throw EDBEngineError("Cannot key the restructured table file", SQLITE_ERROR);
      QueryText(db, "SELECT sqlcipher_export('qy_new')");
      Exec(db, "PRAGMA qy_new.user_version = " + IntToStr(StrToInt64Def(userVersion, 0)));
    } catch (...) {
      sqlite3_exec(db, "DETACH DATABASE qy_new", nullptr, nullptr, nullptr);
      throw;
    }
    Exec(db, "DETACH DATABASE qy_new");
    // Packs the new file (export already wrote it compactly) and checks it
    // opens with the new key before it replaces the old one.
    sqlite3* check = nullptr;
    rc = sqlite3_open_v2(target.c_str(), &check, SQLITE_OPEN_READWRITE, nullptr);
    if (rc == SQLITE_OK) rc = ApplyKey(check, checkKey, settings);
    String ok = rc == SQLITE_OK ? QueryText(check, "PRAGMA quick_check", &rc) : String();
    if (rc == SQLITE_OK) {
      try {
        Exec(check, "PRAGMA journal_mode = WAL");
      } catch (...) {
        sqlite3_close(check);
        throw;
      }
    }
    sqlite3_close(check);
    if (rc != SQLITE_OK || ok != "ok")
      throw EDBEngineError("The restructured table file does not check", rc);
  } catch (...) {
    std::remove(target.c_str());
    std::remove((target + "-wal").c_str());
    std::remove((target + "-shm").c_str());
    std::remove((target + "-journal").c_str());
    throw;
  }
  // Every connection to the old file closes before the rename.
  TSession& s = Session();
  TDBConnection* c = FConnection;
  FConnection = nullptr;
  c->ExclusiveHolder = this;
  s.Release(*c);
  s.CloseFile(FPath);
  FsyncPath(target, false);
  std::remove((FPath + "-wal").c_str());
  std::remove((FPath + "-shm").c_str());
  if (std::rename(target.c_str(), FPath.c_str()) != 0) {
    std::remove(target.c_str());
    s.ReleaseExclusive(FPath, this);
    throw EDBEngineError("Cannot replace table file " + ExtractFileName(FPath));
  }
  FsyncPath(ExtractFileDir(FPath), true);
  s.SetCipherSettings(FPath, settings);
  // The old file's key goes: a copy of that file must not open with it.
  String kept = salt.empty() ? String() : std::move(checkKey);
  s.RememberKey(FPath, newPassword, settings, salt, kept);
  s.ReleaseExclusive(FPath, this);
}

void TTable::Pack() {
  RequireExclusive("pack");
  Exec(FConnection->Db, "VACUUM");
}

void TTable::RegenerateIndexes() {
  RequireExclusive("regenerate indexes");
  Exec(FConnection->Db, "REINDEX");
  String r = QueryText(FConnection->Db, "PRAGMA integrity_check");
  if (r != "ok")
    throw EDBEngineError("Integrity check of " + ExtractFileName(FPath) + " failed: " + r,
                         SQLITE_CORRUPT);
}

void TTable::CheckIntegrity() {
  if (!FConnection) throw EDBEngineError("Table is not open");
  int rc = SQLITE_OK;
  String r = QueryText(FConnection->Db, "PRAGMA integrity_check", &rc);
  if (rc != SQLITE_OK || r != "ok")
    throw EDBEngineError("Integrity check of " + ExtractFileName(FPath) + " failed: " +
                             (rc != SQLITE_OK ? EngineMessage(FConnection->Db, rc) : r),
                         rc != SQLITE_OK ? rc : SQLITE_CORRUPT);
}

// ---------------------------------------------------------------------------
// TSQLStrings

void TSQLStrings::Add(const String& line) {
  FLines.push_back(line);
  Changed();
}

void TSQLStrings::Clear() {
  FLines.clear();
  Changed();
}

String TSQLStrings::Text() const {
  String r;
  for (const String& l : FLines) r += l + "\n";
  return r;
}

void TSQLStrings::SetText(const String& text) {
  FLines.clear();
  size_t start = 0;
  while (start < text.size()) {
    size_t e = text.find('\n', start);
    if (e == String::npos) e = text.size();
    String line = text.substr(start, e - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    FLines.push_back(line);
    start = e + 1;
  }
  Changed();
}

// ---------------------------------------------------------------------------
// TQuery

TQuery::TQuery() {
  SQL.OnChange = [this] { SQLChanged(); };
}

TQuery::~TQuery() {
  try {
    Close();
    UnPrepare();
  } catch (...) {
  }
}

TSession& TQuery::Session() const {
  TSession* s = TSession::FindSession(SessionName);
  if (!s) throw EDatabaseError("Session not found: " + SessionName);
  return *s;
}

void TQuery::SQLChanged() {
  Close();
  UnPrepare();
  FParams.Rebuild(ExtractParamNames(SQL.Text()));
}

void TQuery::Fail(const String& what, int rc) {
  String msg = FConnection ? EngineMessage(FConnection->Db, rc) : String(sqlite3_errstr(rc));
  throw EDBEngineError(what + " failed: " + msg, rc);
}

void TQuery::Prepare() {
  if (Prepared()) return;
  TSession& s = Session();
  const String text = SQL.Text();
  std::vector<String> tables = ExtractTableNames(text);
  String folder = s.ResolveFolder(DatabaseName);
  String file;
  for (const String& t : tables) {
    String f = s.TableFileName(t);
    if (file.empty()) file = f;
    else if (f != file)
      throw EDBEngineError(StatementKind(text) + ": tables of different files in one statement");
  }
  if (file.empty()) throw EDBEngineError(StatementKind(text) + ": statement names no table");
  FTexts = TranslateSQL(text);
  if (FTexts.empty()) throw EDBEngineError("Empty statement");
  TDBConnection& c = s.Acquire(folder + PathDelim + file);
  FSession = &s;
  FConnection = &c;
  for (String& t : FTexts) {
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(c.Db, t.c_str(), -1, &st, nullptr);
    // A column two joined tables share, named without its table, means the
    // first table's (as the dialect has it); SQLite wants the table named.
    static const String kAmbiguous = "ambiguous column name: ";
    for (int tries = 0; rc != SQLITE_OK && tries < 8; ++tries) {
      String msg = EngineMessage(c.Db, rc);
      String table = FirstFromTable(t);
      if (msg.rfind(kAmbiguous, 0) != 0 || table.empty()) break;
      String column = msg.substr(kAmbiguous.size());
      if (column.find('.') != String::npos) break;
      t = QualifyColumn(t, column, table);
      rc = sqlite3_prepare_v2(c.Db, t.c_str(), -1, &st, nullptr);
    }
    if (rc != SQLITE_OK) {
      String msg = EngineMessage(c.Db, rc);
      UnPrepare();
      throw EDBEngineError(StatementKind(t) + " failed: " + msg, rc);
    }
    FStatements.push_back(st);
  }
}

void TQuery::UnPrepare() {
  for (sqlite3_stmt* st : FStatements) sqlite3_finalize(st);
  FStatements.clear();
  if (FConnection && FSession) FSession->Release(*FConnection);
  FConnection = nullptr;
  FSession = nullptr;
}

void TQuery::Bind(sqlite3_stmt* st) {
  sqlite3_reset(st);
  sqlite3_clear_bindings(st);
  for (int i = 1; i <= sqlite3_bind_parameter_count(st); ++i) {
    const char* n = sqlite3_bind_parameter_name(st, i);
    if (!n) continue;
    TParam* p = FParams.FindParam(n + 1);
    if (!p) continue;
    TDBValue v = p->BoundValue();
    switch (v.Kind) {
      case TDBValue::vkNull: sqlite3_bind_null(st, i); break;
      case TDBValue::vkInteger: sqlite3_bind_int64(st, i, v.I); break;
      case TDBValue::vkFloat: sqlite3_bind_double(st, i, v.F); break;
      case TDBValue::vkText:
        sqlite3_bind_text64(st, i, v.S.data(), v.S.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
        break;
      case TDBValue::vkBlob:
        sqlite3_bind_blob64(st, i, v.S.data(), v.S.size(), SQLITE_TRANSIENT);
        break;
    }
  }
}

namespace {

// Starts the thread's transaction on the connection when one is pending.
void JoinTransaction(TSession& s, TDBConnection& c) {
  if (!c.InTransaction && s.InTransaction(ExtractFileDir(c.Path))) {
    if (sqlite3_get_autocommit(c.Db)) Exec(c.Db, "BEGIN IMMEDIATE");
    c.InTransaction = true;
  }
}

}  // namespace

void TQuery::ExecSQL() {
  Close();
  bool temp = !Prepared();
  Prepare();
  try {
    TSession& s = *FSession;
    s.CheckAccess(*FConnection);
    JoinTransaction(s, *FConnection);
    sqlite3* db = FConnection->Db;
    // A statement the dialect splits runs as one unit.
    const bool unit = FStatements.size() > 1;
    if (unit) Exec(db, "SAVEPOINT qy_stmt");
    try {
      for (size_t i = 0; i < FStatements.size(); ++i) {
        sqlite3_stmt* st = FStatements[i];
        Bind(st);
        s.Trace(FTexts[i]);
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) {
          sqlite3_reset(st);
          Fail(StatementKind(FTexts[i]), rc);
        }
        FRowsAffected = sqlite3_changes(db);
        sqlite3_reset(st);
      }
    } catch (...) {
      if (unit) {
        sqlite3_exec(db, "ROLLBACK TO qy_stmt", nullptr, nullptr, nullptr);
        sqlite3_exec(db, "RELEASE qy_stmt", nullptr, nullptr, nullptr);
      }
      throw;
    }
    if (unit) Exec(db, "RELEASE qy_stmt");
  } catch (...) {
    if (temp) UnPrepare();
    throw;
  }
  if (temp) UnPrepare();
}

void TQuery::Open() {
  Close();
  bool temp = !Prepared();
  Prepare();
  try {
    if (FStatements.size() != 1) throw EDBEngineError("Open needs one statement that returns rows");
    TSession& s = *FSession;
    s.CheckAccess(*FConnection);
    JoinTransaction(s, *FConnection);
    sqlite3_stmt* st = FStatements[0];
    Bind(st);
    s.Trace(FTexts[0]);
    FFields.clear();
    FRows.clear();
    const int cols = sqlite3_column_count(st);
    for (int i = 0; i < cols; ++i) {
      auto f = std::make_unique<TField>();
      f->FieldName = sqlite3_column_name(st, i);
      FFields.push_back(std::move(f));
    }
    // The engine asks every few thousand steps of its own (a sort reads
    // every row before the first comes back).
    struct TCancelHandler {
      sqlite3* Db;
      TCancelHandler(sqlite3* db, std::function<bool()>* cancelled) : Db(*cancelled ? db : nullptr) {
        if (Db)
          sqlite3_progress_handler(
              Db, 4000, [](void* c) { return (*static_cast<std::function<bool()>*>(c))() ? 1 : 0; }, cancelled);
      }
      ~TCancelHandler() {
        if (Db) sqlite3_progress_handler(Db, 0, nullptr, nullptr);
      }
    } cancel(FConnection->Db, &Cancelled);
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
      if (Cancelled && Cancelled()) {
        rc = SQLITE_INTERRUPT;
        break;
      }
      std::vector<TDBValue> row(static_cast<size_t>(cols));
      for (int i = 0; i < cols; ++i) {
        TDBValue& v = row[static_cast<size_t>(i)];
        switch (sqlite3_column_type(st, i)) {
          case SQLITE_INTEGER: v = TDBValue::Integer(sqlite3_column_int64(st, i)); break;
          case SQLITE_FLOAT: v = TDBValue::Float(sqlite3_column_double(st, i)); break;
          case SQLITE_TEXT: {
            const char* t = reinterpret_cast<const char*>(sqlite3_column_text(st, i));
            v = TDBValue::Text(String(t, static_cast<size_t>(sqlite3_column_bytes(st, i))));
            break;
          }
          case SQLITE_BLOB: {
            const char* b = static_cast<const char*>(sqlite3_column_blob(st, i));
            v = TDBValue::Blob(b ? String(b, static_cast<size_t>(sqlite3_column_bytes(st, i)))
                                 : String());
            break;
          }
          default: break;
        }
      }
      FRows.push_back(std::move(row));
    }
    if (rc != SQLITE_DONE) {
      sqlite3_reset(st);
      FRows.clear();
      Fail(StatementKind(FTexts[0]), rc);
    }
    sqlite3_reset(st);
  } catch (...) {
    if (temp) UnPrepare();
    throw;
  }
  if (temp) UnPrepare();
  FActive = true;
  First();
}

void TQuery::Close() {
  FActive = false;
  FRows.clear();
  FFields.clear();
  FCurrent = 0;
  FEof = FBof = true;
}

void TQuery::LoadRow() {
  if (FRows.empty()) {
    for (auto& f : FFields) f->FValue = TDBValue();
    return;
  }
  auto& row = FRows[static_cast<size_t>(FCurrent)];
  for (size_t i = 0; i < FFields.size(); ++i) FFields[i]->FValue = row[i];
}

void TQuery::First() {
  FCurrent = 0;
  FBof = true;
  FEof = FRows.empty();
  LoadRow();
}

void TQuery::Last() {
  FCurrent = FRows.empty() ? 0 : static_cast<int>(FRows.size()) - 1;
  FEof = true;
  FBof = FRows.empty();
  LoadRow();
}

void TQuery::Next() {
  if (FCurrent + 1 < static_cast<int>(FRows.size())) {
    ++FCurrent;
    FBof = FEof = false;
    LoadRow();
  } else {
    FEof = true;
    if (!FRows.empty()) FBof = false;  // a move forward leaves the start, as with more rows
  }
}

void TQuery::Prior() {
  if (FCurrent > 0) {
    --FCurrent;
    FBof = FEof = false;
    LoadRow();
  } else {
    FBof = true;
    if (!FRows.empty()) FEof = false;
  }
}

TField& TQuery::Fields(int i) {
  if (i < 0 || i >= FieldCount()) throw EDatabaseError("Field index out of range");
  return *FFields[static_cast<size_t>(i)];
}

TField* TQuery::FindField(const String& name) {
  for (auto& f : FFields)
    if (SameText(f->FieldName, name)) return f.get();
  return nullptr;
}

TField& TQuery::FieldByName(const String& name) {
  if (TField* f = FindField(name)) return *f;
  throw EDatabaseError("Field '" + name + "' not found");
}

std::unique_ptr<TStream> TQuery::CreateBlobStream(TField& field, TBlobStreamMode mode) {
  if (mode != bmRead) throw EDatabaseError("Blobs are written through parameters");
  return std::make_unique<TStringStream>(field.Value().Kind == TDBValue::vkNull ? String()
                                                                                : field.AsString());
}

// ---------------------------------------------------------------------------

void TParam::LoadFromStream(TStream& stream, TFieldType blobType) {
  stream.SetPosition(0);
  SetAsBlob(stream.ReadBytes(stream.GetSize()), blobType);
}

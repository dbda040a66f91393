#pragma once
// Sessions, aliases, databases, tables and queries over SQLite through
// SQLCipher.
//
// An alias names a folder. Each table is kept in a database file in that
// folder; several tables may share a file (AddTableFile), an unmapped table
// lives in "<table>.db". A table's password is its file's key: opening a
// file tries the empty password and every password the session holds; when
// none fits, OnPassword is asked and, unless it sets Continue, the open fails.
// Each thread has connections of its own (connections are handed from thread
// to thread only while idle); the journal mode is WAL.
#include "platform/base/Streams.h"
#include "platform/db/DB.h"

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
class TDatabase;

// Iterations of PBKDF2-HMAC-SHA1, the key derivation of the encrypted files
// made before Argon2id (SQLCipher's own default is far lower).
constexpr int DBKdfIterations = 256000;
// Argon2id (RFC 9106) for the keys of new files: 64 MiB, 3 passes, 4 lanes,
// above OWASP's least (19 MiB with 2 passes, 1 lane) in every parameter. A
// guess costs a guesser that memory and time; an open derives once (about
// a fifth of a second here).
constexpr int DBArgon2MemoryKiB = 65536;
constexpr int DBArgon2Passes = 3;
constexpr int DBArgon2Lanes = 4;
// Settings read from a file may ask for at most this many times the cost of
// what the program writes: a copied or crafted settings file must not hold
// an open up for minutes or take gigabytes before the password is checked.
constexpr int DBCostFactorLimit = 4;

// How an encrypted file derives its key and lays out its pages. A file keeps
// the settings it was made with; callers record them (Text) so that a later
// change of the defaults still opens it (TSession::SetCipherSettings).
struct TCipherSettings {
  // PBKDF2-HMAC-SHA1 iterations, for a file whose key is not Argon2id's.
  int KdfIter = DBKdfIterations;
  // Large pages: a large entry spans a quarter of the pages it would in 1 KiB
  // ones, and each page costs its own IV, cipher set-up and HMAC.
  int PageSize = 4096;
  // Argon2id's memory (KiB), passes and lanes; 0 memory: PBKDF2 above.
  int Argon2MemoryKiB = 0;
  int Argon2Passes = 0;
  int Argon2Lanes = 0;

  bool operator==(const TCipherSettings&) const = default;
  bool UsesArgon2() const { return Argon2MemoryKiB > 0; }
  // True when both derive the same key from a password (the page size plays
  // no part in it).
  bool SameKeyDerivation(const TCipherSettings& other) const;
  // "kdf_iter=256000;cipher_page_size=1024", or for Argon2id
  // "kdf=argon2id;m=65536;t=3;p=4;cipher_page_size=4096".
  String Text() const;
  // False (out unchanged) for text that names no valid settings, or settings
  // costlier than DBCostFactorLimit times the program's own.
  static bool Parse(const String& text, TCipherSettings& out);
};

// What encrypted files were made with before the pages grew; tried last for
// a file that has no record of its settings.
inline const TCipherSettings DBEarlierCipherSettings{DBKdfIterations, 1024};
// What a new or rewritten encrypted file is made with.
inline const TCipherSettings DBNewFileCipherSettings{DBKdfIterations, 4096, DBArgon2MemoryKiB, DBArgon2Passes,
                                                     DBArgon2Lanes};

// Raises EDBEngineError unless the linked engine is SQLCipher (it answers
// "PRAGMA cipher_version") and the library is the one the header describes.
void CheckDatabaseEngine();
// The SQLCipher version text ("3.4.1").
String DatabaseEngineCipherVersion();

struct TDBConnection;

class TSession {
public:
  TSession();
  ~TSession();
  TSession(const TSession&) = delete;
  TSession& operator=(const TSession&) = delete;

  String SessionName = "Default";

  // Aliases of this session (they are never written anywhere). The driver
  // is accepted for the callers' sake; every alias is a folder of SQLite
  // files. Raises EDatabaseError when the name is taken or empty.
  void AddStandardAlias(const String& name, const String& folder, const String& driver);
  void DeleteAlias(const String& name);
  bool IsAlias(const String& name) const;
  std::vector<String> GetAliasNames() const;
  // The folder of an alias; raises EDatabaseError for an unknown alias.
  String GetAliasPath(const String& name) const;

  // Tables that share one file. Names compare without case.
  void AddTableFile(const String& fileName, const std::vector<String>& tableNames);
  String TableFileName(const String& tableName) const;

  void AddPassword(const String& password);
  // The password is wiped from the session's memory, with every note of
  // which file it opened.
  void RemovePassword(const String& password);
  // Also closes the idle connections to keyed files; all is wiped.
  void RemoveAllPasswords();
  bool HasPassword(const String& password) const;

  // Asked when no password of the session opens a file. Setting Continue
  // (after adding a password) tries again; leaving it false fails the open.
  std::function<void(TSession* sender, bool& Continue)> OnPassword;
  // Every statement text handed to the engine (never a parameter value).
  std::function<void(const String& sql)> OnTrace;

  // Makes an empty database file, keyed with the password (empty: plain),
  // readable by its owner only. Raises EDBEngineError when the file exists
  // or cannot be written.
  void CreateDatabaseFile(const String& path, const String& password,
                          const TCipherSettings& settings = DBNewFileCipherSettings);

  // The settings an encrypted file was made with, when they are not the
  // defaults: they are tried first when the file is opened.
  void SetCipherSettings(const String& path, const TCipherSettings& settings);
  // The settings that opened the file last (the defaults before that).
  TCipherSettings CipherSettingsOf(const String& path) const;
  // How many times this session derived a file's key from a password to open
  // it. The key that opened a file is kept (in memory only, wiped with its
  // password) for the further connections to that file while the file keeps
  // its salt.
  int KeyDerivations() const;

  // Closes every connection not in use (all threads).
  void CloseIdleConnections();
  // Closes every connection to the files of a folder, so that they are
  // whole on disk (no write-ahead log beside them) and may be copied or
  // replaced. Raises EDBEngineError while one of them is in use.
  void CloseFolder(const String& folder);

  // The session with that name (nullptr when none); "" finds the first.
  static TSession* FindSession(const String& name);

  // --- used by the datasets of this layer ---
  // The database file of a table in the folder a database name resolves to
  // (a TDatabase's name or an alias).
  String ResolveFile(const String& databaseName, const String& tableName) const;
  String ResolveFolder(const String& databaseName) const;
  // A connection of this thread to the file, opened with a fitting password.
  // A missing, empty or damaged file, or one that is no database, raises
  // EDBEngineError with the path and the cause, and is left as it is;
  // EDBPasswordError only when the file is encrypted and no password fits.
  TDBConnection& Acquire(const String& path, const void* exclusiveHolder = nullptr);
  void Release(TDBConnection& c);
  // Raises unless the connection's password is still held (or it has none).
  void CheckAccess(TDBConnection& c);
  void Trace(const String& sql);

  // Exclusive use of a file by one holder: fails while others use it, and
  // keeps others out until released.
  void TakeExclusive(const String& path, const void* holder);
  void ReleaseExclusive(const String& path, const void* holder);
  // Closes every connection to the file (none may be in use but the
  // holder's, which the holder releases first).
  void CloseFile(const String& path);

  // Keeps what opened the file (taking rawKey over, the derived key of a file
  // with that salt) while the session holds the password; wipes rawKey and
  // forgets the file's earlier key either way.
  void RememberKey(const String& path, const String& password, const TCipherSettings& settings,
                   const String& salt, String& rawKey);

  // Transactions of this thread over every file of a folder.
  void StartTransaction(const String& folder);
  void Commit(const String& folder);
  void Rollback(const String& folder);
  bool InTransaction(const String& folder) const;

  void RegisterDatabase(TDatabase* db);
  void UnregisterDatabase(TDatabase* db);

private:
  // The password that opened a file last, with what it opened it with.
  struct TFileKey {
    String Password;
    TCipherSettings Settings;
    String Salt;    // the file's salt then
    String RawKey;  // the derived key as the engine takes it ("" for none)
    void Wipe();
  };

  sqlite3* OpenWithKey(const String& path, const String& key, const TCipherSettings& settings,
                       int& rc);
  // The raw key of the password for the file with that salt: the kept one
  // when it fits, else derived now; "" when the password must go to the
  // engine as it is.
  String RawKeyOf(const String& path, const String& password, const TCipherSettings& settings,
                  const String& salt);
  void ForgetKey(const String& path);
  void FinishTransaction(const String& folder, const char* sql);

  mutable std::recursive_mutex FLock;
  std::map<String, String> FAliases;        // upper-case name -> folder
  std::vector<String> FAliasOrder;          // names as given
  std::map<String, String> FTableFiles;     // upper-case table -> file name
  std::vector<String> FPasswords;
  std::map<String, TFileKey> FLastKey;      // path -> key that fitted
  int FKeyDerivations = 0;
  std::map<String, TCipherSettings> FCipher;  // path -> settings of the file
  std::vector<std::unique_ptr<TDBConnection>> FConnections;
  std::map<String, const void*> FExclusive;  // path -> holder
  std::vector<std::pair<std::thread::id, String>> FTransactions;  // thread, folder
  std::vector<TDatabase*> FDatabases;
};

// A database: a name the datasets use for an alias, with transactions.
class TDatabase {
public:
  TDatabase();
  ~TDatabase();
  TDatabase(const TDatabase&) = delete;
  TDatabase& operator=(const TDatabase&) = delete;

  String SessionName;
  String AliasName;
  String DatabaseName;
  String DriverName = "STANDARD";

  void Open();
  void Close();
  bool Connected() const { return FConnected; }
  String Folder() const;

  // One transaction of this thread over the database's files.
  void StartTransaction();
  void Commit();
  void Rollback();
  bool InTransaction() const;

  TSession& Session() const;

private:
  bool FConnected = false;
  TSession* FRegistered = nullptr;
};

// A table opened to prove access and for maintenance.
class TTable {
public:
  TTable();
  ~TTable();
  TTable(const TTable&) = delete;
  TTable& operator=(const TTable&) = delete;

  String SessionName;
  String DatabaseName;
  String TableName;  // compared without case
  bool Exclusive = false;

  // Raises EDBEngineError when the file does not open with the session's
  // passwords, the table does not exist, or (Exclusive) others use it.
  void Open();
  void Close();
  bool Active() const { return FConnection != nullptr; }

  // The table's column names in order.
  std::vector<String> FieldNames();

  // Writes the table's file anew keyed with the password (empty: plain),
  // packed, and puts it in place of the old one in one rename; every table
  // of the file gets the password. The table must be open exclusively; it
  // is closed afterwards (the new password opens it again).
  void RestructurePassword(const String& newPassword);
  // Reclaims free space of the table's file.
  void Pack();
  // Rebuilds the indexes and checks the file's integrity.
  void RegenerateIndexes();
  // Checks the whole file without changing it; raises EDBEngineError with
  // the engine's findings when it is not sound.
  void CheckIntegrity();

  String FileName() const { return FPath; }

private:
  void RequireExclusive(const char* what);
  TSession& Session() const;

  TDBConnection* FConnection = nullptr;
  String FPath;
};

// The statement text of a query; changing it unprepares the query.
class TSQLStrings {
public:
  void Add(const String& line);
  void Clear();
  String Text() const;
  void SetText(const String& text);
  int Count() const { return static_cast<int>(FLines.size()); }
  const String& operator[](int i) const { return FLines.at(static_cast<size_t>(i)); }

  std::function<void()> OnChange;

private:
  void Changed() { if (OnChange) OnChange(); }
  std::vector<String> FLines;
};

class TQuery {
public:
  TQuery();
  ~TQuery();
  TQuery(const TQuery&) = delete;
  TQuery& operator=(const TQuery&) = delete;

  String SessionName;
  String DatabaseName;
  TSQLStrings SQL;

  TParams& Params() { return FParams; }
  TParam& ParamByName(const String& name) { return FParams.ParamByName(name); }

  // Compiles the statement once; ExecSQL and Open may then run many times.
  void Prepare();
  void UnPrepare();
  bool Prepared() const { return FConnection != nullptr; }

  // Runs a statement that returns no rows (all of them for a statement the
  // dialect splits, as one unit).
  void ExecSQL();
  int RowsAffected() const { return FRowsAffected; }

  // Runs a statement that returns rows; the rows are all read, so
  // RecordCount is known at once and the engine holds no read lock.
  void Open();
  // Asked now and then while Open reads (from the thread that runs it):
  // true stops the reading, and Open raises EDBEngineError with
  // SQLITE_INTERRUPT. A reader that is told to end need not finish first.
  std::function<bool()> Cancelled;
  void Close();
  bool Active() const { return FActive; }

  void First();
  void Next();
  void Prior();
  void Last();
  bool Eof() const { return FEof; }
  bool Bof() const { return FBof; }
  int RecordCount() const { return static_cast<int>(FRows.size()); }
  int RecNo() const { return FRows.empty() ? 0 : FCurrent + 1; }

  int FieldCount() const { return static_cast<int>(FFields.size()); }
  TField& Fields(int i);
  TField* FindField(const String& name);
  TField& FieldByName(const String& name);

  // A stream over the blob of the current row (a copy: the query may move on).
  std::unique_ptr<TStream> CreateBlobStream(TField& field, TBlobStreamMode mode);

private:
  void SQLChanged();
  void Bind(sqlite3_stmt* stmt);
  void LoadRow();
  [[noreturn]] void Fail(const String& what, int rc);
  TSession& Session() const;

  TParams FParams;
  TSession* FSession = nullptr;
  TDBConnection* FConnection = nullptr;
  std::vector<sqlite3_stmt*> FStatements;
  std::vector<String> FTexts;
  bool FActive = false;
  bool FEof = true;
  bool FBof = true;
  int FCurrent = 0;
  int FRowsAffected = 0;
  std::vector<std::unique_ptr<TField>> FFields;
  std::vector<std::vector<TDBValue>> FRows;
};

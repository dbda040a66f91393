#pragma once
// The user's database folder, the session that every table access goes
// through, and its session-only alias.
#include "platform/db/DBTables.h"

#include <functional>
#include <memory>

class TNamedSemaphore;

// The folders the set-up works with.
struct TDatabaseFolders {
  String ProgramDir;       // the folder of the program's data (GetProgramDataFolder)
  String TemplateDir;      // ProgramDir + "/DataTemplate"
  String DocumentsDir;     // the user's documents folder
  String TempDir;          // the temporary folder
  String WindowsUserName;  // the log-on name, "System" when empty
  String DataDir;          // DocumentsDir + "/Quillory for " + WindowsUserName
};

// The folders of this process (filled by SetUpDatabase).
extern TDatabaseFolders DatabaseFolders;

// The folders from the system: program folder, documents, temp, user.
TDatabaseFolders SystemDatabaseFolders();
// Fills TemplateDir and DataDir from the others ("System" for an empty user).
void CompleteDatabaseFolders(TDatabaseFolders& folders);

// The session "QuillorySession" with the table files registered.
TSession& QuillorySession();
extern const char* const SessionName;
// The alias of the database folder: "QuilloryAlias", with a "z" appended
// for each alias of that name the session already knows.
extern String AliasName;

// "QYDBSemaphore" (count 1, maximum 1, also across processes): held by the
// set-up and by the loading of the settings.
std::shared_ptr<TNamedSemaphore> DBSemaphore();

// Finds or creates the database folder and registers the alias. A new
// folder is announced first; the copy of the template goes to a temporary
// folder that is renamed into place only when complete. The folder and its
// files are made the user's alone, and what a killed password change left
// beside the tables is wiped. Returns false when the program must end (the
// user cancelled, or the folder could not be made: then nothing is left
// behind). Raises when the engine check or the alias registration fails, or
// when the settings file cannot be opened (missing, empty, damaged: it is
// left as it is).
bool SetUpDatabase(const TDatabaseFolders& folders);

// The lock of the database folder (a file inside it), held from the set-up
// until the program ends, so that two programs never work on one journal,
// whatever their runtime folders or machines. A later start hands over to
// the holder when it can reach it (same machine: the holder's single-instance
// socket); a holder that is still starting is waited for, said in waitNotice;
// one that cannot be reached is named in a refusal.
enum TFolderClaim { fcTaken, fcHandedOver, fcRefused };
// The hand-over address written into the lock (this program's socket).
extern String DatabaseLockContact;
// Said while a start waits for the holder (may be empty).
extern std::function<void(const String&)> DatabaseLockWaitNotice;
// How long a start waits for a holder that does not answer.
extern int DatabaseLockWaitMs;
TFolderClaim ClaimDatabaseFolder(const String& dataDir, String& refusal);
// True while this process holds the lock of that folder.
bool HoldsDatabaseFolder(const String& dataDir);
// Gives the lock up (the tests' worlds, before a helper process takes over).
void ReleaseDatabaseFolder();
// A restore takes the lock of the folder that is to replace the database
// folder before the two are exchanged (the lock goes with that folder):
// true when taken, or when this process holds no lock to carry over.
bool PrepareDatabaseLockFor(const String& newFolder);
// After the exchange (swapped: the new folder now lies at dataDir) or after
// a failed one (the prepared lock is dropped).
void FinishDatabaseLockMove(bool swapped, const String& dataDir);

// What a killed program left beside and in the database folder: a restore's
// staging folder (a whole copy of a journal) and temporary files of
// interrupted saves. Called with the folder's lock held.
void RemoveDatabaseLeftovers(const String& dataDir);
// The sibling folder a restore builds the new database folder in.
String RestoreStagingOf(const String& dataDir);
// What a restore killed half-way leaves: a new folder not yet swapped in, or
// the old folder swapped out. Sub-folders the database folder lacks go back
// into it (the restore moves them after the swap); the rest goes.
void RemoveRestoreLeftover(const String& dataDir);
// Temporary files an interrupted atomic save left in a folder
// (".<name>.<10 hex digits>.tmp"); the number removed.
int RemoveInterruptedSaves(const String& folder);

// The database file of the journal's tables.
String JournalFilePath();

// Registers the session-only alias for the folder under a unique name, and
// the settings file's fixed cipher settings.
// Raises Exception "Unable to add the database alias" on failure.
void RegisterAlias(const String& folder);

// Called before the database files are used exclusively or closed, so that
// workers reading them stop first.
extern std::function<void()> OnDatabaseExclusiveUse;

// A query or table bound to the session and the alias.
void BindToDatabase(TQuery& query);
void BindToDatabase(TTable& table);

// Sets a new password on the named table's file (empty: none), packing it;
// the existing password is not needed (the session holds it). QUILLORY and
// Journals share a file, so setting the password on one sets it on both, and
// a second call for the other only packs. Raises on failure; the old file
// stays in place then.
void RestructureTablePassword(const String& existingPassword, const String& newPassword,
                              const String& tableName);
// Reclaims the free space of the named table's file and keeps its key as
// it is (a pack never needs the password again). Raises on failure.
void PackTable(const String& tableName);
// Rebuilds the named table's indexes and checks its file. Raises on failure.
void RegenerateTableIndexes(const String& tableName);
// Closes the session's connections to the database folder so its files can
// be copied whole (backup) or replaced (restore). Raises while one is in use.
void CloseDatabaseFiles();
// At exit: closes every connection of the session, so the files are left
// whole (the engine's close of the shut-down).
void CloseDatabaseSession();

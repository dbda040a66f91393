#pragma once
// Backup and restore of the database folder, and the pack and index
// regeneration of its tables.
//
// Both copies are all or nothing. A backup is written into a hidden folder
// inside the backup folder, checked (the copies open with the journal's key
// and pass an integrity check), listed with each file's digest, and only then
// moved beside the list; a restore refuses a set of files that does not match
// its list. A restore builds the new database folder beside the old one,
// checks it, and swaps the two folders in one step.
#include "platform/base/DateTime.h"
#include "platform/base/Types.h"
#include "platform/db/DBBackup.h"

#include <functional>

class TformQuilloryMain;

// How a restore puts the new database folder in the old one's place: the
// two are exchanged in one step, so that a failure or a kill at any moment
// leaves one whole database folder. Replaceable so that tests can fail it.
struct TRestoreFileOps {
  std::function<bool(const String& a, const String& b, String& error)> Exchange = ExchangePaths;
};
TRestoreFileOps& RestoreFileOps();

// CopyDatabaseFiles modes.
constexpr int cdfBackup = 0;
constexpr int cdfRestore = 1;

// The list of a backup's files with their sizes and digests, written last.
extern const char* const BackupListName;

// Why the folder cannot hold backups of the database folder dataDir: it is
// not set, does not exist, is no folder, cannot be written (a backup), or
// is or lies inside the database folder. Empty when it can.
String BackupFolderProblem(const String& folder, const String& dataDir, int mode);
// The last of those: the folder is, or lies inside, the database folder
// (also reached another way, as through a bind mount). Empty when not.
String BackupFolderInsideProblem(const String& folder, const String& dataDir, int mode);
// The database folder of the session, without a trailing separator.
String DatabaseFolder();

// The copy in either direction, its questions and reports in message boxes;
// status (may be empty) receives the progress texts, and an empty text where
// the copy has nothing under way to show (a refusal, a Cancel, a question
// before anything is restored): the status shown before it. A backup checks its
// folder, then runs beforeClose (as below) and copies with every journal
// closed. A restore checks the backup and copies it beside
// the database folder first, asking for the backup's password if need be,
// then asks (unless askToOverwrite is false: the caller asked), then runs
// beforeClose (may be empty; false stops it: the caller could not close the
// journals), and only then closes the database files and swaps the folders.
// True when the copy went through; then the keys "Last<Backup|Restore>Date",
// "...FromPath" and "...ToPath" are written. filesClosed (may be null) says
// whether the database files were closed, which a refusal or a Cancel
// before the copy does not do.
bool CopyDatabaseFiles(int mode, const std::function<void(const String&)>& status = {},
                       bool askToOverwrite = true, bool* filesClosed = nullptr,
                       const std::function<bool()>& beforeClose = {});
inline constexpr const char* RestoreQuestion = "Are you sure you want to overwrite the database with the backup copy?";
// Added to the report of a restore that took the password typed for the
// backup.
inline constexpr const char* BackupPasswordNowTheJournalsText =
    "The journal now has the backup's password, the one you just typed: use it to open the journal.";

// The commands: backup and pack end with the journals open again, restore
// with the cover shown, the settings read from the restored database and no
// password held.
void ActionBackupExecute(TformQuilloryMain* main);
void ActionRestoreExecute(TformQuilloryMain* main);
void PackAndReindexTables(TformQuilloryMain* main);

// The journal's files packed and their indexes rebuilt and checked, stage
// by stage; a failing stage is shown and the next one runs. The number of
// stages that failed.
int PackAndReindexFiles(const std::function<void(const String&)>& status = {});

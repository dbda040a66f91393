#pragma once
// The settings store: typed rows of the Profile table, and the settings
// record that holds them while the program runs.
#include "platform/base/Types.h"

#include <functional>
#include <variant>

// Type codes of a stored value.
enum : Byte {
  pvString = 0,
  pvBoolean = 1,
  pvInteger = 2,
  pvVariant = 3,
  pvCurrency = 4,
  pvDateTime = 5,
  pvFloat = 6,
  pvEnumeration = 7,  // read and written as pvVariant
};

// A value: text, Boolean, integer, or a number (currency, float, date-time).
using TProfileValue = std::variant<String, bool, Int64, double>;

struct TProfileSettings {
  String LogonName;
  String UserName;
  String UserAddress;
  bool DisplayUserName = true;
  bool DisplayAddress = false;
  String BackupRestoreLocation;
  bool ConfirmDelete = true;
  bool ProtectPriorEntries = true;
  String LastUsedPrinter;
  String BitmapLocation;
  Byte BitmapDrawMode = 2;
  bool AutoSaveOn = true;
  Integer AutoSaveInterval = 1;
  bool AutoHideOn = false;
  Integer AutoHideInterval = 5;
  bool AutoHideMinimize = false;
  bool AutoLockOn = true;
  Integer AutoLockInterval = 10;
  bool AutoLockMinimize = false;
  bool BackupReminder = true;
  Integer BackupReminderInterval = 30;
  bool PasswordChangeReminder = false;
  Integer PasswordChangeInterval = 365;
  bool ShowEntryTree = false;
  bool ShowMonthCalendar = false;
  Byte StartUpFolder = 0;
  bool SaveWindowPositions = true;
  String DatabaseVersion = "Database Version 3.0";
  bool ConfirmPrint = true;
  bool KeepJournalStyle = true;
};

// The process-wide settings record (main thread).
extern TProfileSettings ProfileSettings;

// The value of a key read by its type code; the default when the key is
// absent or cannot be read (a read error is shown as "Profile Load Error").
TProfileValue GetProfileValue(const String& key, Byte typeCode, const TProfileValue& def);
// Writes a key when its stored value differs (or it is absent). A database
// error while writing reaches the caller.
void SetProfileValue(const String& key, Byte typeCode, const TProfileValue& value);

// The text a value is stored as under a type code. Date-times are stored as
// ISO text, so a change of locale never makes them unreadable.
String ProfileValueText(Byte typeCode, const TProfileValue& value);

// Typed conveniences over GetProfileValue.
String GetProfileString(const String& key, const String& def);
bool GetProfileBoolean(const String& key, bool def);
Integer GetProfileInteger(const String& key, Integer def);
TDateTime GetProfileDateTime(const String& key, TDateTime def);

// Reads every key of the record (absent keys take their defaults), holding
// "QYDBSemaphore" meanwhile.
void LoadProfile();
// Writes the keys of the record that the preferences own; showStatus (may
// be empty) receives "Saving Quillory Profile..." and "Profile Saved".
void SaveProfile(const std::function<void(const String&)>& showStatus = {});
// Sets the record to the reset values; writes nothing.
void ResetProfileDefaults();
// The backup folder the settings start with: beside the database folder.
String DefaultBackupLocation();

// Records a password change: "LPCD" and a "Wohs" key with the moment of the
// change, and the journal file's cipher settings. The key holds a salted
// Argon2id hash in place of the password, with the journal key's own
// parameters ("Wohs$argon2id$<m>$<t>$<p>$<salt>$<hash>"), so that the
// settings file is no cheaper to guess against than the journal. Only the
// current password's key is kept: the keys of earlier passwords go.
void RecordPasswordChange(const String& newPassword, TDateTime when);
// True when an Argon2id "Wohs" key records this password (the PBKDF2 keys
// of earlier builds are never checked against).
bool PasswordWasRecorded(const String& password);
// After a successful open with this password: replaces the PBKDF2 "Wohs"
// keys of earlier builds by an Argon2id key of the password, keeping the
// moment of the last change. True when it replaced any.
bool RenewPasswordRecord(const String& password);
// Removes the "Wohs" keys of earlier passwords that earlier builds kept
// (all but the one of the latest change); LoadProfile calls it. The number
// removed.
int RemoveEarlierPasswordRecords();

// Records in "JournalCipherSettings" the cipher settings that opened the
// encrypted journal file (nothing for a plain one), so that a later change
// of the defaults still opens it. LoadProfile hands them to the session.
void RecordJournalCipherSettings();

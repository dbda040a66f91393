#include "app/QYProfile.h"

#include "app/QYDatabase.h"
#include "app/QYSchema.h"
#include "platform/base/DateTime.h"
#include "platform/db/DBFiles.h"
#include "platform/db/DBPassword.h"
#include "platform/gui/Dialogs.h"
#include "platform/os/Semaphores.h"

#include <algorithm>
#include <limits>
#include <vector>

TProfileSettings ProfileSettings;

namespace {

// The Profile table's password is in the session only around the store's
// own statements, so the table stays closed to everything else.
class TProfileAccess {
public:
  TProfileAccess() : FAdded(!QuillorySession().HasPassword(ProfilePassword)) {
    QuillorySession().AddPassword(ProfilePassword);
  }
  ~TProfileAccess() {
    if (FAdded) QuillorySession().RemovePassword(ProfilePassword);
  }
  TProfileAccess(const TProfileAccess&) = delete;
  TProfileAccess& operator=(const TProfileAccess&) = delete;

private:
  bool FAdded;
};

String ValueAsString(const TProfileValue& v) {
  if (auto* s = std::get_if<String>(&v)) return *s;
  if (auto* b = std::get_if<bool>(&v)) return *b ? "TRUE" : "FALSE";
  if (auto* i = std::get_if<Int64>(&v)) return IntToStr(*i);
  return FloatToStr(std::get<double>(v));
}

bool ValueAsBoolean(const TProfileValue& v) {
  if (auto* b = std::get_if<bool>(&v)) return *b;
  if (auto* i = std::get_if<Int64>(&v)) return *i != 0;
  if (auto* d = std::get_if<double>(&v)) return *d != 0;
  return StrToBool(std::get<String>(v));
}

Int64 ValueAsInteger(const TProfileValue& v) {
  if (auto* i = std::get_if<Int64>(&v)) return *i;
  if (auto* b = std::get_if<bool>(&v)) return *b ? 1 : 0;
  if (auto* d = std::get_if<double>(&v)) return static_cast<Int64>(*d);
  return StrToInt64(Trim(std::get<String>(v)));
}

double ValueAsFloat(const TProfileValue& v) {
  if (auto* d = std::get_if<double>(&v)) return *d;
  if (auto* i = std::get_if<Int64>(&v)) return static_cast<double>(*i);
  if (auto* b = std::get_if<bool>(&v)) return *b ? 1 : 0;
  return StrToFloat(Trim(std::get<String>(v)));
}

TDateTime TextAsDateTime(const String& s) {
  TDateTime d = 0;
  if (TryISOToDateTime(Trim(s), d)) return d;
  return StrToDateTime(s);
}

// The stored text read by the type code.
TProfileValue ReadStored(Byte typeCode, const String& text) {
  switch (typeCode) {
    case pvBoolean: return StrToBool(Trim(text));
    case pvInteger: return StrToInt64(Trim(text));
    case pvCurrency:
    case pvFloat: return StrToFloat(Trim(text));
    case pvDateTime: return TextAsDateTime(text);
    default: return text;  // string, variant, enumeration
  }
}

void ShowProfileError(const Exception& e, const String& caption) {
  MessageBox(String(e.ClassName()) + "\r\n" + e.Message, caption, MB_OK);
}

TQuery& BindProfileQuery(TQuery& q, const String& sql) {
  BindToDatabase(q);
  q.SQL.Add(sql);
  q.ParamByName("bProfileKey").DataType = ftString;
  q.ParamByName("bProfileKey").ParamType = ptInput;
  return q;
}

}  // namespace

String ProfileValueText(Byte typeCode, const TProfileValue& value) {
  switch (typeCode) {
    case pvBoolean: return ValueAsBoolean(value) ? "TRUE" : "FALSE";
    case pvInteger: return IntToStr(ValueAsInteger(value));
    case pvCurrency:
    case pvFloat: return FloatToStr(ValueAsFloat(value));
    case pvDateTime:
      if (auto* s = std::get_if<String>(&value)) return DateTimeToISO(TextAsDateTime(*s));
      return DateTimeToISO(ValueAsFloat(value));
    default: return ValueAsString(value);
  }
}

TProfileValue GetProfileValue(const String& key, Byte typeCode, const TProfileValue& def) {
  TProfileValue result = def;
  TProfileAccess access;
  try {
    TQuery q;
    BindProfileQuery(q, "SELECT ProfileKey, ProfileValue FROM Profile WHERE ProfileKey = :bProfileKey");
    q.Prepare();
    q.ParamByName("bProfileKey").SetAsString(key);
    q.Open();
    if (!q.Eof() && typeCode <= pvEnumeration)
      result = ReadStored(typeCode, q.FieldByName("ProfileValue").AsString());
  } catch (Exception& e) {
    result = def;
    ShowProfileError(e, "Profile Load Error");
  }
  return result;
}

void SetProfileValue(const String& key, Byte typeCode, const TProfileValue& value) {
  TProfileAccess access;
  const String text = ProfileValueText(typeCode, value);
  bool exists = false;
  try {
    TQuery q;
    BindProfileQuery(q, "SELECT ProfileKey, ProfileValue FROM Profile WHERE ( ProfileKey = :bProfileKey );");
    q.ParamByName("bProfileKey").SetAsString(key);
    q.Open();
    if (!q.Eof()) {
      exists = true;
      const String stored = q.FieldByName("ProfileValue").AsString();
      bool same = false;
      try {
        same = ProfileValueText(typeCode, ReadStored(typeCode, stored)) == text;
      } catch (Exception&) {
        same = false;  // an unreadable stored value is replaced
      }
      if (same) return;
    }
  } catch (Exception& e) {
    // Without the look-up it is unknown whether the key exists: write nothing.
    MessageBox(String(e.ClassName()) + "\r\n" + e.Message, "", MB_OK);
    return;
  }
  TQuery w;
  BindToDatabase(w);
  if (exists)
    w.SQL.Add("UPDATE Profile SET ProfileValue = :bProfileValue WHERE ( ProfileKey = :bProfileKey );");
  else
    w.SQL.Add("INSERT INTO Profile (ProfileKey, ProfileValue) VALUES (:bProfileKey, :bProfileValue);");
  w.Prepare();
  w.ParamByName("bProfileKey").SetAsString(key);
  w.ParamByName("bProfileValue").SetAsString(text);
  w.ExecSQL();
}

String GetProfileString(const String& key, const String& def) {
  return ValueAsString(GetProfileValue(key, pvString, def));
}

bool GetProfileBoolean(const String& key, bool def) {
  return ValueAsBoolean(GetProfileValue(key, pvBoolean, def));
}

Integer GetProfileInteger(const String& key, Integer def) {
  const Int64 v = ValueAsInteger(GetProfileValue(key, pvInteger, Int64(def)));
  // A number the setting cannot hold is unreadable, like any other bad text.
  if (v < std::numeric_limits<Integer>::min() || v > std::numeric_limits<Integer>::max()) {
    ShowProfileError(EConvertError("'" + IntToStr(v) + "' is not a valid integer value"), "Profile Load Error");
    return def;
  }
  return static_cast<Integer>(v);
}

TDateTime GetProfileDateTime(const String& key, TDateTime def) {
  return ValueAsFloat(GetProfileValue(key, pvDateTime, def));
}

// Beside the database folder, not inside it: a backup inside is lost with
// the database, and a restore exchanges that folder whole.
String DefaultBackupLocation() { return ExcludeTrailingPathDelimiter(DatabaseFolders.DataDir) + " Backup"; }

namespace {

String LogonUserName() {
  if (!ProfileSettings.LogonName.empty()) return ProfileSettings.LogonName;
  return DatabaseFolders.WindowsUserName;
}

String DefaultBitmapLocation() { return DatabaseFolders.ProgramDir + "/BitMaps/Quillory.bmp"; }

Byte ReadByte(const String& key, Byte typeCode, Byte def) {
  TProfileValue v = GetProfileValue(key, typeCode, Int64(def));
  try {
    Int64 i = ValueAsInteger(v);
    return i >= 0 && i <= 255 ? static_cast<Byte>(i) : def;
  } catch (Exception&) {
    return def;
  }
}

}  // namespace

void LoadProfile() {
  auto sem = DBSemaphore();
  sem->Wait();
  struct TRelease {
    std::shared_ptr<TNamedSemaphore> S;
    ~TRelease() { S->Release(); }
  } release{sem};
  TProfileSettings& p = ProfileSettings;
  p.UserName = GetProfileString("UserName", LogonUserName());
  p.UserAddress = GetProfileString("UserAddress", "");
  p.DisplayUserName = GetProfileBoolean("DisplayUserName", true);
  p.DisplayAddress = GetProfileBoolean("DisplayAddress", false);
  p.BackupRestoreLocation = GetProfileString("BackupRestoreLocation", DefaultBackupLocation());
  p.ConfirmDelete = GetProfileBoolean("ConfirmDelete", true);
  p.ProtectPriorEntries = GetProfileBoolean("ProtectPriorEntries", true);
  p.LastUsedPrinter = GetProfileString("LastUsedPrinter", "");
  p.BitmapLocation = GetProfileString("BitmapLocation", DefaultBitmapLocation());
  p.BitmapDrawMode = ReadByte("BitmapDrawMode", pvEnumeration, 2);
  p.AutoSaveOn = GetProfileBoolean("AutoSaveOn", true);
  p.AutoSaveInterval = GetProfileInteger("AutoSaveInterval", 1);
  p.AutoHideOn = GetProfileBoolean("AutoHideOn", false);
  p.AutoHideInterval = GetProfileInteger("AutoHideInterval", 5);
  p.AutoHideMinimize = GetProfileBoolean("AutoHideMinimize", false);
  p.AutoLockOn = GetProfileBoolean("AutoLockOn", true);
  p.AutoLockInterval = GetProfileInteger("AutoLockInterval", 10);
  p.AutoLockMinimize = GetProfileBoolean("AutoLockMinimize", false);
  p.BackupReminder = GetProfileBoolean("BackupReminder", true);
  p.BackupReminderInterval = GetProfileInteger("BackupReminderInterval", 30);
  p.PasswordChangeReminder = GetProfileBoolean("PasswordChangeReminder", false);
  p.PasswordChangeInterval = GetProfileInteger("PasswordChangeInterval", 365);
  p.ShowEntryTree = GetProfileBoolean("ShowEntryTree", false);
  p.ShowMonthCalendar = GetProfileBoolean("ShowMonthCalendar", false);
  p.StartUpFolder = ReadByte("StartUpFolder", pvInteger, 0);
  p.SaveWindowPositions = GetProfileBoolean("SaveWindowPositions", true);
  p.DatabaseVersion = GetProfileString("DatabaseVersion", CurrentDatabaseVersion);
  p.ConfirmPrint = GetProfileBoolean("ConfirmPrint", true);
  p.KeepJournalStyle = GetProfileBoolean("KeepJournalStyle", true);
  TCipherSettings journal;
  if (TCipherSettings::Parse(GetProfileString("JournalCipherSettings", ""), journal))
    QuillorySession().SetCipherSettings(JournalFilePath(), journal);
  try {
    RemoveEarlierPasswordRecords();
  } catch (Exception& e) {
    ShowProfileError(e, "Profile Load Error");
  }
}

void SaveProfile(const std::function<void(const String&)>& showStatus) {
  if (showStatus) showStatus("Saving Quillory Profile...");
  const TProfileSettings& p = ProfileSettings;
  // All the keys or none: a program killed half-way must not leave old and
  // new settings mixed. The table's password stays in the session for the
  // whole transaction.
  TProfileAccess access;
  TDatabase db;
  db.SessionName = SessionName;
  db.AliasName = AliasName;
  db.StartTransaction();
  try {
    SetProfileValue("UserName", pvString, p.UserName);
    SetProfileValue("UserAddress", pvString, p.UserAddress);
    SetProfileValue("DisplayUserName", pvBoolean, p.DisplayUserName);
    SetProfileValue("DisplayAddress", pvBoolean, p.DisplayAddress);
    SetProfileValue("BitmapLocation", pvString, p.BitmapLocation);
    SetProfileValue("BitmapDrawMode", pvEnumeration, Int64(p.BitmapDrawMode));
    SetProfileValue("BackupRestoreLocation", pvString, p.BackupRestoreLocation);
    SetProfileValue("ConfirmDelete", pvBoolean, p.ConfirmDelete);
    SetProfileValue("ProtectPriorEntries", pvBoolean, p.ProtectPriorEntries);
    SetProfileValue("AutoSaveOn", pvBoolean, p.AutoSaveOn);
    SetProfileValue("AutoSaveInterval", pvInteger, Int64(p.AutoSaveInterval));
    SetProfileValue("AutoHideOn", pvBoolean, p.AutoHideOn);
    SetProfileValue("AutoHideInterval", pvInteger, Int64(p.AutoHideInterval));
    SetProfileValue("AutoHideMinimize", pvBoolean, p.AutoHideMinimize);
    SetProfileValue("AutoLockOn", pvBoolean, p.AutoLockOn);
    SetProfileValue("AutoLockInterval", pvInteger, Int64(p.AutoLockInterval));
    SetProfileValue("AutoLockMinimize", pvBoolean, p.AutoLockMinimize);
    SetProfileValue("BackupReminder", pvBoolean, p.BackupReminder);
    SetProfileValue("BackupReminderInterval", pvInteger, Int64(p.BackupReminderInterval));
    SetProfileValue("PasswordChangeReminder", pvBoolean, p.PasswordChangeReminder);
    SetProfileValue("PasswordChangeInterval", pvInteger, Int64(p.PasswordChangeInterval));
    SetProfileValue("LastUsedPrinter", pvString, p.LastUsedPrinter);
    SetProfileValue("StartUpFolder", pvInteger, Int64(p.StartUpFolder));
    SetProfileValue("SaveWindowPositions", pvBoolean, p.SaveWindowPositions);
    SetProfileValue("ConfirmPrint", pvBoolean, p.ConfirmPrint);
    SetProfileValue("KeepJournalStyle", pvBoolean, p.KeepJournalStyle);
    db.Commit();
  } catch (...) {
    try {
      if (db.InTransaction()) db.Rollback();
    } catch (Exception&) {
    }
    throw;
  }
  if (showStatus) showStatus("Profile Saved");
}

void ResetProfileDefaults() {
  TProfileSettings& p = ProfileSettings;
  p.DisplayUserName = true;
  p.DisplayAddress = true;
  p.BackupRestoreLocation = DefaultBackupLocation();
  p.ConfirmDelete = true;
  p.ProtectPriorEntries = true;
  p.LastUsedPrinter = "";
  p.BitmapLocation = DefaultBitmapLocation();
  p.AutoSaveOn = true;
  p.AutoSaveInterval = 1;
  p.AutoHideOn = true;
  p.AutoHideInterval = 5;
  p.AutoHideMinimize = false;
  p.AutoLockOn = true;
  p.AutoLockInterval = 10;
  p.AutoLockMinimize = false;
  p.BackupReminder = true;
  p.BackupReminderInterval = 30;
  p.PasswordChangeReminder = false;
  p.PasswordChangeInterval = 365;
  p.ShowEntryTree = false;
  p.ShowMonthCalendar = false;
  p.StartUpFolder = 0;
  p.SaveWindowPositions = false;
  p.ConfirmPrint = true;
  p.KeepJournalStyle = true;
}

namespace {

const char* const kPasswordKeyPrefix = "Wohs$";
// Records written before the iterations were part of the key.
constexpr int kOldRecordIterations = 100000;
// The kind word of a record made with Argon2id.
const char* const kArgon2Kind = "argon2id";

struct TPasswordRecord {
  String Key;
  // True for a record as strong as the journal's key (Argon2id).
  bool Argon2 = false;
};

// A parsed "Wohs" key: "Wohs$argon2id$<m>$<t>$<p>$<salt>$<hash>", or the
// PBKDF2 records of earlier builds, "Wohs$[<iterations>$]<salt>$<hash>".
struct TParsedKey {
  bool Argon2 = false;
  int Iterations = 0;
  TCipherSettings Settings;
  String Salt, Hash;
};

bool ParsePasswordKey(const String& key, TParsedKey& out) {
  if (key.compare(0, 5, kPasswordKeyPrefix) != 0) return false;
  std::vector<String> parts;
  size_t start = 5;
  for (;;) {
    size_t sep = key.find('$', start);
    parts.push_back(key.substr(start, sep == String::npos ? String::npos : sep - start));
    if (sep == String::npos) break;
    start = sep + 1;
  }
  if (parts.size() == 6 && parts[0] == kArgon2Kind) {
    // The same bounds as cipher settings read from a file: a record cannot
    // make a check run for minutes.
    if (!TCipherSettings::Parse("kdf=argon2id;m=" + parts[1] + ";t=" + parts[2] + ";p=" + parts[3] +
                                    ";cipher_page_size=4096",
                                out.Settings))
      return false;
    out.Argon2 = true;
    parts.erase(parts.begin(), parts.begin() + 4);
  } else if (parts.size() == 2) {
    out.Iterations = kOldRecordIterations;
  } else if (parts.size() == 3) {
    Int64 n = 0;
    if (!TryStrToInt64(parts[0], n) || n < 1 || n > 100000000) return false;
    out.Iterations = static_cast<int>(n);
    parts.erase(parts.begin());
  } else {
    return false;
  }
  out.Salt = parts[0];
  out.Hash = parts[1];
  return !out.Salt.empty() && out.Hash.size() == 64;
}

// What a new record is derived with: the journal's own Argon2id parameters,
// or the program's when the journal's key is of the older kind.
TCipherSettings RecordSettings() {
  TCipherSettings journal = DBNewFileCipherSettings;
  try {
    const String path = JournalFilePath();
    if (ClassifyDatabaseFile(path) == dfEncrypted) {
      const TCipherSettings own = QuillorySession().CipherSettingsOf(path);
      if (own.UsesArgon2()) journal = own;
    }
  } catch (Exception&) {
  }
  return journal;
}

String NewPasswordRecordKey(const String& password) {
  const TCipherSettings s = RecordSettings();
  const String salt = NewPasswordSalt();
  return kPasswordKeyPrefix + String(kArgon2Kind) + "$" + IntToStr(s.Argon2MemoryKiB) + "$" +
         IntToStr(s.Argon2Passes) + "$" + IntToStr(s.Argon2Lanes) + "$" + salt + "$" +
         PasswordHashArgon2id(password, salt, s);
}

// The "Wohs" key that records this password, or an empty key when none does.
TPasswordRecord FindPasswordKey(const String& password) {
  TProfileAccess access;
  TQuery q;
  BindToDatabase(q);
  q.SQL.Add("SELECT ProfileKey FROM Profile WHERE ProfileKey LIKE :bPrefix");
  q.ParamByName("bPrefix").SetAsString(String(kPasswordKeyPrefix) + "%");
  q.Open();
  for (; !q.Eof(); q.Next()) {
    const String key = q.FieldByName("ProfileKey").AsString();
    TParsedKey parsed;
    // A PBKDF2 record is never checked against: it is replaced at the next
    // open or change.
    if (!ParsePasswordKey(key, parsed) || !parsed.Argon2) continue;
    try {
      if (SameHash(PasswordHashArgon2id(password, parsed.Salt, parsed.Settings), parsed.Hash)) return {key, true};
    } catch (Exception&) {
      // not a key of ours
    }
  }
  return {};
}

void DeleteProfileKey(const String& key) {
  TProfileAccess access;
  TQuery q;
  BindToDatabase(q);
  q.SQL.Add("DELETE FROM Profile WHERE ProfileKey = :bProfileKey");
  q.ParamByName("bProfileKey").SetAsString(key);
  q.ExecSQL();
}

// Every "Wohs" key with its stored value.
std::vector<std::pair<String, String>> PasswordKeys() {
  TProfileAccess access;
  TQuery q;
  BindToDatabase(q);
  q.SQL.Add("SELECT ProfileKey, ProfileValue FROM Profile WHERE ProfileKey LIKE :bPrefix");
  q.ParamByName("bPrefix").SetAsString(String(kPasswordKeyPrefix) + "%");
  q.Open();
  std::vector<std::pair<String, String>> keys;
  for (; !q.Eof(); q.Next())
    keys.emplace_back(q.FieldByName("ProfileKey").AsString(), q.FieldByName("ProfileValue").AsString());
  return keys;
}

}  // namespace

void RecordPasswordChange(const String& newPassword, TDateTime when) {
  TPasswordRecord record = FindPasswordKey(newPassword);
  if (record.Key.empty()) record.Key = NewPasswordRecordKey(newPassword);
  SetProfileValue(record.Key, pvDateTime, when);
  // Hashes of earlier passwords would only help a guesser.
  for (const auto& [key, value] : PasswordKeys())
    if (key != record.Key) DeleteProfileKey(key);
  SetProfileValue("LPCD", pvDateTime, when);
  RecordJournalCipherSettings();
}

int RemoveEarlierPasswordRecords() {
  const auto keys = PasswordKeys();
  if (keys.size() < 2) return 0;
  // The current password's key carries the latest change.
  size_t newest = 0;
  TDateTime newestWhen = -1e9;
  for (size_t i = 0; i < keys.size(); ++i) {
    TDateTime when = -1e9;
    try {
      when = TextAsDateTime(keys[i].second);
    } catch (Exception&) {
    }
    if (when >= newestWhen) {
      newestWhen = when;
      newest = i;
    }
  }
  int removed = 0;
  for (size_t i = 0; i < keys.size(); ++i)
    if (i != newest) {
      DeleteProfileKey(keys[i].first);
      ++removed;
    }
  return removed;
}

bool PasswordWasRecorded(const String& password) { return !FindPasswordKey(password).Key.empty(); }

bool RenewPasswordRecord(const String& password) {
  try {
    // An encrypted journal opened without a password typed: which one
    // opened it is not known here.
    if (password.empty() && ClassifyDatabaseFile(JournalFilePath()) == dfEncrypted) return false;
    const auto keys = PasswordKeys();
    TDateTime newest = -1e9;
    bool weaker = false;
    for (const auto& [key, value] : keys) {
      TParsedKey parsed;
      if (ParsePasswordKey(key, parsed) && parsed.Argon2) continue;
      weaker = true;
      try {
        newest = std::max(newest, TextAsDateTime(value));
      } catch (Exception&) {
      }
    }
    if (!weaker) return false;
    // The password that opened the journal is the current one: its record
    // keeps the moment of the last change.
    const String key = NewPasswordRecordKey(password);
    SetProfileValue(key, pvDateTime, newest > -1e9 ? newest : GetProfileDateTime("LPCD", Now()));
    for (const auto& [old, value] : keys)
      if (old != key) DeleteProfileKey(old);
    return true;
  } catch (Exception&) {
    // Tried again at the next open.
    return false;
  }
}

void RecordJournalCipherSettings() {
  const String path = JournalFilePath();
  if (ClassifyDatabaseFile(path) != dfEncrypted) return;
  SetProfileValue("JournalCipherSettings", pvString, QuillorySession().CipherSettingsOf(path).Text());
}

// The settings store: defaults of an empty table, typed round trips, writes
// only of changed values, and the password records.
#include "DatabaseTestSupport.h"
#include "support/WorkCost.h"

#include "platform/base/DateTime.h"
#include "platform/db/DBPassword.h"

#include <gtest/gtest.h>


namespace {

struct TStatementCounter {
  int Selects = 0, Updates = 0, Inserts = 0;
  TStatementCounter() {
    QuillorySession().OnTrace = [this](const String& sql) {
      if (sql.rfind("SELECT", 0) == 0) ++Selects;
      if (sql.rfind("UPDATE", 0) == 0) ++Updates;
      if (sql.rfind("INSERT", 0) == 0) ++Inserts;
    };
  }
  ~TStatementCounter() { QuillorySession().OnTrace = nullptr; }
};

TEST(ProfileStore, EmptyTableGivesEveryDefaultAndWritesNothing) {
  qytest::TDatabaseWorld w;
  w.SetUp();
  ProfileSettings.LogonName = "alice";
  {
    TStatementCounter count;
    LoadProfile();
    EXPECT_EQ(count.Updates + count.Inserts, 0);
  }
  const TProfileSettings& p = ProfileSettings;
  const String prog = w.Folders.ProgramDir;
  EXPECT_EQ(p.UserName, "alice");
  EXPECT_EQ(p.UserAddress, "");
  EXPECT_EQ(p.BackupRestoreLocation, w.DataDir() + " Backup");
  EXPECT_EQ(p.BitmapLocation, prog + "/BitMaps/Quillory.bmp");
  EXPECT_EQ(p.LastUsedPrinter, "");
  EXPECT_EQ(p.DatabaseVersion, "Database Version 3.0");
  const std::pair<bool, bool> flags[] = {
      {p.DisplayUserName, true},   {p.DisplayAddress, false},   {p.ConfirmDelete, true},
      {p.ProtectPriorEntries, true}, {p.AutoSaveOn, true},      {p.AutoHideOn, false},
      {p.AutoHideMinimize, false}, {p.AutoLockOn, true},        {p.AutoLockMinimize, false},
      {p.BackupReminder, true},    {p.PasswordChangeReminder, false}, {p.ShowEntryTree, false},
      {p.ShowMonthCalendar, false}, {p.SaveWindowPositions, true}, {p.ConfirmPrint, true},
      {p.KeepJournalStyle, true}};
  for (size_t i = 0; i < std::size(flags); ++i) EXPECT_EQ(flags[i].first, flags[i].second) << i;
  const std::pair<int, int> numbers[] = {
      {p.BitmapDrawMode, 2},        {p.AutoSaveInterval, 1},        {p.AutoHideInterval, 5},
      {p.AutoLockInterval, 10},     {p.BackupReminderInterval, 30}, {p.PasswordChangeInterval, 365},
      {p.StartUpFolder, 0}};
  for (size_t i = 0; i < std::size(numbers); ++i) EXPECT_EQ(numbers[i].first, numbers[i].second) << i;
  EXPECT_EQ(w.Count("SELECT count(*) FROM Profile"), 0);
  // The store leaves the table's password out of the session.
  EXPECT_FALSE(QuillorySession().HasPassword(ProfilePassword));
}

TEST(ProfileStore, TypedValuesRoundTrip) {
  qytest::TDatabaseWorld w;
  w.SetUp();
  struct {
    const char* Key;
    Byte Code;
    TProfileValue Value;
    String Stored;
  } cases[] = {
      {"S", pvString, String("it's \"quoted\" ünïcode; DROP TABLE Profile"), "it's \"quoted\" ünïcode; DROP TABLE Profile"},
      {"B1", pvBoolean, true, "TRUE"},
      {"B0", pvBoolean, false, "FALSE"},
      {"I", pvInteger, Int64(-42), "-42"},
      {"D", pvDateTime, EncodeDateTime(2024, 2, 29, 13, 45, 10, 0), "2024-02-29 13:45:10"},
      {"F", pvFloat, 2.5, "2.5"},
      {"V", pvVariant, String("any"), "any"},
      {"E", pvEnumeration, Int64(3), "3"},
  };
  for (const auto& c : cases) {
    SetProfileValue(c.Key, c.Code, c.Value);
    TProfileValue back = GetProfileValue(c.Key, c.Code, String("default"));
    EXPECT_EQ(ProfileValueText(c.Code, back), c.Stored) << c.Key;
    if (c.Code != pvEnumeration) {
      EXPECT_TRUE(back == c.Value) << c.Key;
    }
  }
  // Rows stored as text read back by their type.
  w.Exec("INSERT INTO Profile (ProfileKey, ProfileValue) VALUES ('AutoHideOn', 'TRUE')");
  w.Exec("INSERT INTO Profile (ProfileKey, ProfileValue) VALUES ('BackupReminderInterval', '30')");
  w.Exec("INSERT INTO Profile (ProfileKey, ProfileValue) VALUES ('BitmapDrawMode', '4')");
  LoadProfile();
  EXPECT_TRUE(ProfileSettings.AutoHideOn);
  EXPECT_EQ(ProfileSettings.BackupReminderInterval, 30);
  EXPECT_EQ(ProfileSettings.BitmapDrawMode, 4);
  // An absent key gives the default.
  EXPECT_EQ(GetProfileInteger("Missing", 7), 7);
  // The settings file keeps its text unreadable to other programs.
  QuillorySession().CloseIdleConnections();
  String bytes = qytest::ReadFileBytes(w.DataDir() + "/Profile.db");
  EXPECT_EQ(bytes.find("quoted"), String::npos);
  EXPECT_EQ(bytes.find("ProfileKey"), String::npos);
}

TEST(ProfileStore, UnreadableValueShowsLoadErrorAndKeepsDefault) {
  qytest::TDatabaseWorld w;
  w.SetUp();
  w.Exec("INSERT INTO Profile (ProfileKey, ProfileValue) VALUES ('ConfirmDelete', 'maybe')");
  TInteractionScript script;
  script.Answer(IDOK);
  EXPECT_TRUE(GetProfileBoolean("ConfirmDelete", true));
  ASSERT_EQ(script.Shown.size(), 1u);
  EXPECT_EQ(script.Shown[0].Caption, "Profile Load Error");
  EXPECT_EQ(script.Shown[0].Text.rfind("EConvertError\r\n", 0), 0u);
}

TEST(ProfileStore, SavingWritesOnlyChangedValues) {
  qytest::TDatabaseWorld w;
  w.SetUp();
  ProfileSettings.LogonName = "alice";
  LoadProfile();
  std::vector<String> status;
  {
    TStatementCounter count;
    SaveProfile([&](const String& s) { status.push_back(s); });
    EXPECT_EQ(count.Inserts, 26);
    EXPECT_EQ(count.Updates, 0);
  }
  EXPECT_EQ(status, (std::vector<String>{"Saving Quillory Profile...", "Profile Saved"}));
  // Not written by the save: their owners write them.
  EXPECT_EQ(w.Count("SELECT count(*) FROM Profile WHERE ProfileKey IN ('DatabaseVersion', 'ShowEntryTree', 'ShowMonthCalendar')"), 0);
  {
    TStatementCounter count;
    SaveProfile();
    EXPECT_EQ(count.Updates + count.Inserts, 0);
    EXPECT_EQ(count.Selects, 26);  // look-ups only
  }
  ProfileSettings.AutoLockInterval = 25;
  ProfileSettings.UserAddress = "1 Lane";
  {
    TStatementCounter count;
    SaveProfile();
    EXPECT_EQ(count.Updates, 2);
    EXPECT_EQ(count.Inserts, 0);
  }
  ProfileSettings = TProfileSettings();
  LoadProfile();
  EXPECT_EQ(ProfileSettings.AutoLockInterval, 25);
  EXPECT_EQ(ProfileSettings.UserAddress, "1 Lane");
  EXPECT_EQ(ProfileSettings.UserName, "alice");
}

TEST(ProfileStore, ResetTurnsOnHideAndAddressAndOffPositions) {
  qytest::TDatabaseWorld w;
  w.SetUp();
  LoadProfile();
  ProfileSettings.UserName = "Kept";
  ProfileSettings.BitmapDrawMode = 5;
  ProfileSettings.AutoSaveInterval = 9;
  TStatementCounter count;
  ResetProfileDefaults();
  EXPECT_EQ(count.Selects + count.Updates + count.Inserts, 0);
  EXPECT_TRUE(ProfileSettings.AutoHideOn);
  EXPECT_TRUE(ProfileSettings.DisplayAddress);
  EXPECT_FALSE(ProfileSettings.SaveWindowPositions);
  EXPECT_EQ(ProfileSettings.AutoSaveInterval, 1);
  EXPECT_EQ(ProfileSettings.UserName, "Kept");
  EXPECT_EQ(ProfileSettings.BitmapDrawMode, 5);
}

// Only the current password's hash is kept: a hash of each earlier password
// would give a guesser one more target (and earlier passwords are often
// the pattern of the next). Keys that earlier builds kept go at the next
// load of the settings.
TEST(ProfileStore, OnlyTheCurrentPasswordIsRecordedAndNeverInClear) {
  qytest::TDatabaseWorld w;
  w.SetUp();
  const TDateTime t1 = EncodeDateTime(2025, 3, 1, 9, 0, 0, 0);
  const TDateTime t2 = EncodeDateTime(2025, 4, 1, 9, 0, 0, 0);
  const TDateTime t3 = EncodeDateTime(2025, 5, 1, 9, 0, 0, 0);
  const struct {
    const char* Password;
    TDateTime When;
  } changes[] = {{"FirstSecret", t1}, {"OtherSecret", t2}, {"FirstSecret", t3}};
  for (const auto& c : changes) {
    RecordPasswordChange(c.Password, c.When);
    EXPECT_EQ(w.Count("SELECT count(*) FROM Profile WHERE ProfileKey LIKE 'Wohs%'"), 1) << c.Password;
    EXPECT_TRUE(PasswordWasRecorded(c.Password));
    EXPECT_DOUBLE_EQ(GetProfileDateTime("LPCD", 0), c.When);
  }
  EXPECT_FALSE(PasswordWasRecorded("OtherSecret"));
  EXPECT_FALSE(PasswordWasRecorded("firstsecret"));
  EXPECT_EQ(w.Count("SELECT count(*) FROM Profile WHERE ProfileKey LIKE '%Secret%' OR ProfileValue LIKE '%Secret%'"), 0);

  // As an earlier build left them: one key per password ever set.
  for (const auto& [password, when] : {std::pair<const char*, TDateTime>{"Older-1", t1}, {"Older-2", t2}}) {
    const String salt = NewPasswordSalt();
    SetProfileValue("Wohs$1000$" + salt + "$" + PasswordHash(password, salt, 1000), pvDateTime, when);
  }
  ASSERT_EQ(w.Count("SELECT count(*) FROM Profile WHERE ProfileKey LIKE 'Wohs%'"), 3);
  LoadProfile();
  EXPECT_EQ(w.Count("SELECT count(*) FROM Profile WHERE ProfileKey LIKE 'Wohs%'"), 1);
  EXPECT_TRUE(PasswordWasRecorded("FirstSecret"));
  EXPECT_FALSE(PasswordWasRecorded("Older-1"));
  EXPECT_FALSE(PasswordWasRecorded("Older-2"));
}

TEST(ProfileStore, PasswordRecordsCostAsMuchAsTheJournalKeyAndOldOnesAreRenewed) {
  qytest::TDatabaseWorld w;
  w.SetUp();
  auto keys = [&] {
    std::vector<String> out;
    TQuery q;
    BindToDatabase(q);
    q.SQL.Add("SELECT ProfileKey FROM Profile WHERE ProfileKey LIKE 'Wohs%'");
    QuillorySession().AddPassword(ProfilePassword);
    q.Open();
    for (; !q.Eof(); q.Next()) out.push_back(q.Fields(0).AsString());
    QuillorySession().RemovePassword(ProfilePassword);
    return out;
  };
  // Records as earlier builds wrote them (PBKDF2-HMAC-SHA256): never checked
  // against, as a guesser would check against them far faster than against
  // the journal's key.
  const String salt = NewPasswordSalt();
  const String oldKeys[] = {"Wohs$" + salt + "$" + PasswordHash("Earlier-Łódź", salt, 100000),
                            "Wohs$600000$" + salt + "$" + PasswordHash("Earlier-Łódź", salt, 600000)};
  for (const String& oldKey : oldKeys) {
    SetProfileValue(oldKey, pvDateTime, EncodeDateTime(2024, 1, 1, 0, 0, 0, 0));
    EXPECT_FALSE(PasswordWasRecorded("Earlier-Łódź"));
    // Set again, it is recorded anew with Argon2id and the old record goes.
    RecordPasswordChange("Earlier-Łódź", EncodeDateTime(2025, 5, 1, 0, 0, 0, 0));
    const std::vector<String> now = keys();
    ASSERT_EQ(now.size(), 1u);
    const String prefix = "Wohs$argon2id$" + IntToStr(DBArgon2MemoryKiB) + "$" + IntToStr(DBArgon2Passes) + "$" +
                          IntToStr(DBArgon2Lanes) + "$";
    ASSERT_EQ(now[0].rfind(prefix, 0), 0u) << now[0];
    // A salt of its own, not the old record's, and nothing of the password.
    const String rest = now[0].substr(prefix.size());
    const String ownSalt = rest.substr(0, rest.find('$'));
    EXPECT_EQ(ownSalt.size(), 32u);
    EXPECT_NE(ownSalt, salt);
    EXPECT_EQ(rest.substr(ownSalt.size() + 1).size(), 64u);
    EXPECT_EQ(now[0].find("Earlier"), String::npos);
    EXPECT_TRUE(PasswordWasRecorded("Earlier-Łódź"));
    EXPECT_FALSE(PasswordWasRecorded("Earlier-Lodz"));
    // A record whose hash was changed verifies nothing.
    String tampered = now[0];
    tampered.back() = tampered.back() == '0' ? '1' : '0';
    w.Exec("UPDATE Profile SET ProfileKey = '" + tampered + "' WHERE ProfileKey = '" + now[0] + "'");
    EXPECT_FALSE(PasswordWasRecorded("Earlier-Łódź"));
    w.Exec("DELETE FROM Profile WHERE ProfileKey LIKE 'Wohs%'");
  }
  // Parameters costlier than the program's own are not run.
  w.Exec("INSERT INTO Profile (ProfileKey, ProfileValue) VALUES ('Wohs$argon2id$1048576$64$4$" + salt + "$" +
         String(64, 'a') + "', '')");
  // (Run, they would take a minute of CPU time and a gigabyte; the CPU time
  // of the whole process is counted, not the clock's, which a loaded
  // machine changes.)
  bool recorded = true;
  EXPECT_LT(qytest::MeasureWork([&] { recorded = PasswordWasRecorded("Earlier-Łódź"); }).ProcessCpuSeconds, 20.0);
  EXPECT_FALSE(recorded);
}

}  // namespace

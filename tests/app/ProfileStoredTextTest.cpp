// Settings whose stored text is unusual: blanks, line breaks, case-only
// changes, empty text, and numbers outside what the setting can hold.
#include "DatabaseTestSupport.h"

#include "platform/base/DateTime.h"

#include <gtest/gtest.h>

namespace {

struct TWriteCounter {
  int Writes = 0;
  TWriteCounter() {
    QuillorySession().OnTrace = [this](const String& sql) {
      if (sql.rfind("UPDATE", 0) == 0 || sql.rfind("INSERT", 0) == 0) ++Writes;
    };
  }
  ~TWriteCounter() { QuillorySession().OnTrace = nullptr; }
};

TEST(ProfileStoredText, OddTextRoundTripsExactly) {
  qytest::TDatabaseWorld w;
  w.SetUp();
  const String cases[] = {
      "",
      "  blanks around  ",
      "line one\r\nline two\n",
      "tab\there",
      "TRUE",
      "%s %n $HOME \\\\server\\share",
      "emoji \xF0\x9F\x98\x80 and \xC3\xBC",
      String("nul\0inside", 10),
      String(300, 'x'),
  };
  int n = 0;
  for (const String& value : cases) {
    const String key = "Odd" + IntToStr(n++);
    SetProfileValue(key, pvString, value);
    EXPECT_EQ(GetProfileString(key, "default"), value) << key;  // stored empty text is no absent key
  }
}

TEST(ProfileStoredText, ChangesOfCaseOrBlanksAreWrittenAndSameValuesAreNot) {
  qytest::TDatabaseWorld w;
  w.SetUp();
  struct Step {
    const char* Key;
    Byte Code;
    TProfileValue Value;
    int Writes;
    String Stored;
  };
  const Step steps[] = {
      {"Step", pvString, String("abc"), 1, "abc"},  {"Step", pvString, String("abc"), 0, "abc"},
      {"Step", pvString, String("ABC"), 1, "ABC"},  {"Step", pvString, String("ABC "), 1, "ABC "},
      {"Step", pvString, String(""), 1, ""},        {"Step", pvString, String(""), 0, ""},
      {"Step", pvInteger, Int64(5), 1, "5"},        {"Step", pvInteger, String(" 5 "), 0, "5"},
      {"Flag", pvBoolean, true, 1, "TRUE"},         {"Flag", pvBoolean, String("true"), 0, "TRUE"},
      {"Flag", pvBoolean, Int64(0), 1, "FALSE"},
  };
  int i = 0;
  for (const Step& s : steps) {
    TWriteCounter count;
    SetProfileValue(s.Key, s.Code, s.Value);
    EXPECT_EQ(count.Writes, s.Writes) << i;
    EXPECT_EQ(GetProfileString(s.Key, "default"), s.Stored) << i;
    ++i;
  }
  EXPECT_EQ(w.Count("SELECT count(*) FROM Profile WHERE ProfileKey = 'Step'"), 1);
}

TEST(ProfileStoredText, StoredTextIsReadByItsType) {
  qytest::TDatabaseWorld w;
  w.SetUp();
  struct Case {
    const char* Stored;
    Integer Integer_;  // read with the default 7
    bool Boolean;      // read with the default true
    size_t Errors;     // load errors shown
  };
  const Case cases[] = {
      {" 42 ", 42, true, 0},
      {"0", 0, false, 0},
      {"-2147483648", -2147483647 - 1, true, 0},
      {"2147483647", 2147483647, true, 0},
      // Beyond a 32-bit setting: the default, not a wrapped number.
      {"3000000000", 7, true, 1},
      {"-4294967297", 7, true, 1},
      {"false", 7, false, 1},
  };
  int n = 0;
  for (const Case& c : cases) {
    const String key = "Typed" + IntToStr(n++);
    w.Exec("INSERT INTO Profile (ProfileKey, ProfileValue) VALUES ('" + key + "', '" + c.Stored + "')");
    TInteractionScript script;
    for (int k = 0; k < 2; ++k) script.Answer(IDOK);
    EXPECT_EQ(GetProfileInteger(key, 7), c.Integer_) << c.Stored;
    EXPECT_EQ(GetProfileBoolean(key, true), c.Boolean) << c.Stored;
    EXPECT_EQ(script.Shown.size(), c.Errors) << c.Stored;
  }
  w.Exec("INSERT INTO Profile (ProfileKey, ProfileValue) VALUES ('When', ' 2024-02-29 13:45:10 ')");
  EXPECT_DOUBLE_EQ(GetProfileDateTime("When", 0), EncodeDateTime(2024, 2, 29, 13, 45, 10, 0));
}

}  // namespace

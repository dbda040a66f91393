#include "platform/base/DateTime.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

TEST(DateTime, CivilConversions) {
  struct Case { Integer y; Word m, d; double serial; Integer dow; };
  const Case cases[] = {
      {1899, 12, 30, 0, 7},        {1899, 12, 31, 1, 1},      {1900, 1, 1, 2, 2},
      {1899, 12, 29, -1, 6},       {1800, 1, 1, -36522, 4},   {1, 1, 1, -693593, 2},
      {2000, 2, 29, 36585, 3},     {2024, 3, 1, 45352, 6},    {9999, 12, 31, 2958465, 6},
      {29279, 1, 23, 9999999, 2},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.serial) << c.y << "-" << c.m << "-" << c.d;
    Integer y;
    Word m, d;
    DecodeDate(c.serial, y, m, d);
    EXPECT_EQ(y, c.y) << c.serial;
    EXPECT_EQ(m, c.m) << c.serial;
    EXPECT_EQ(d, c.d) << c.serial;
    EXPECT_EQ(DayOfWeek(c.serial), c.dow) << c.serial;
  }
  // The far-future sentinel of topic entries round-trips, also through text.
  Integer y;
  Word m, d;
  DecodeDate(9999999.0, y, m, d);
  EXPECT_EQ(EncodeDate(y, m, d), 9999999.0);
  TDateTime back;
  ASSERT_TRUE(TryISOToDateTime(DateToISO(9999999.0), back));
  EXPECT_EQ(back, 9999999.0);
  EXPECT_EQ(DateToISO(0), "1899-12-30");

  struct Bad { Integer y; Word m, d; };
  const Bad bad[] = {{2023, 2, 29}, {2024, 13, 1}, {2024, 0, 1}, {2024, 4, 31}, {0, 1, 1}, {1900, 2, 29}};
  for (const auto& b : bad) {
    TDateTime t;
    EXPECT_FALSE(TryEncodeDate(b.y, b.m, b.d, t)) << b.y << "-" << b.m << "-" << b.d;
    EXPECT_THROW(EncodeDate(b.y, b.m, b.d), EConvertError);
  }
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_EQ(DaysInAMonth(2024, 2), 29);
  EXPECT_EQ(DaysInAMonth(2023, 2), 28);
}

TEST(DateTime, TimeOfDay) {
  EXPECT_DOUBLE_EQ(EncodeTime(12, 0, 0, 0), 0.5);
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
  EXPECT_THROW(EncodeTime(1, 60, 0, 0), EConvertError);
  struct Case { TDateTime t; Word h, n, s, z; };
  const Case cases[] = {
      {0.25, 6, 0, 0, 0},
      {EncodeTime(13, 45, 10, 250), 13, 45, 10, 250},
      {-1.25, 6, 0, 0, 0},  // before the base day the fraction still runs forward
      {EncodeDateTime(2024, 3, 1, 23, 59, 59, 999), 23, 59, 59, 999},
  };
  for (const auto& c : cases) {
    Word h, n, s, z;
    DecodeTime(c.t, h, n, s, z);
    EXPECT_EQ(h, c.h) << c.t;
    EXPECT_EQ(n, c.n) << c.t;
    EXPECT_EQ(s, c.s) << c.t;
    EXPECT_EQ(z, c.z) << c.t;
  }
  Integer y;
  Word m, d;
  DecodeDate(-1.25, y, m, d);
  EXPECT_EQ(d, 29);
  EXPECT_EQ(EncodeDateTime(1899, 12, 29, 6, 0, 0, 0), -1.25);
  // A fraction that rounds up to 24:00 is the next midnight, date and time agreeing.
  const TDateTime almost = 1.0 - 1e-10;
  Word h, n, s, z;
  DecodeTime(almost, h, n, s, z);
  DecodeDate(almost, y, m, d);
  EXPECT_EQ(h, 0);
  EXPECT_EQ(d, 31);
  EXPECT_EQ(DateOf(EncodeDateTime(2024, 3, 1, 18, 0, 0, 0)), EncodeDate(2024, 3, 1));
  EXPECT_DOUBLE_EQ(TimeOf(EncodeDateTime(2024, 3, 1, 18, 0, 0, 0)), 0.75);
}

TEST(DateTime, IncMonthClampsTheDay) {
  struct Case { Integer y; Word m, d; Integer months; Integer ey; Word em, ed; };
  const Case cases[] = {
      {2024, 1, 31, 1, 2024, 2, 29}, {2023, 1, 31, 1, 2023, 2, 28}, {2024, 12, 15, 1, 2025, 1, 15},
      {2024, 1, 15, -1, 2023, 12, 15}, {2024, 3, 31, -13, 2023, 2, 28}, {2024, 5, 10, 24, 2026, 5, 10},
  };
  for (const auto& c : cases) {
    const TDateTime r = IncMonth(EncodeDate(c.y, c.m, c.d) + 0.5, c.months);
    EXPECT_EQ(r, EncodeDate(c.ey, c.em, c.ed) + 0.5) << c.y << "-" << c.m << "-" << c.d << " " << c.months;
  }
}

TEST(DateTime, FormatPatterns) {
  const TDateTime t = EncodeDateTime(2003, 7, 4, 15, 5, 9, 45);  // a Friday
  struct Case { const char* fmt; const char* expected; };
  const Case cases[] = {
      {"yyyy", "2003"},
      {"yy", "03"},
      {"m/d/yy", "7/4/03"},
      {"mm-dd", "07-04"},
      {"mmm", "Jul"},
      {"mmmm", "July"},
      {"ddd, dd", "Fri, 04"},
      {"dddd", "Friday"},
      {"hh:mm", "15:05"},  // m after h is minutes
      {"h:nn:ss.zzz", "15:05:09.045"},
      {"h:nn am/pm", "3:05 pm"},
      {"h:nn AM/PM", "3:05 PM"},
      {"h a/p", "3 p"},
      {"h:nn ampm", "3:05 PM"},
      {"'Date:' yyyy \"at\" h", "Date: 2003 at 15"},
      {"ddddd", "7/4/2003"},
      {"dddddd", "Friday, July 4, 2003"},
      {"t", "3:05 PM"},
      {"tt", "3:05:09 PM"},
      {"c", "7/4/2003 3:05:09 PM"},
      {"Ymd", "0374"},
      {"'unterminated", "unterminated"},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatDateTime(c.fmt, t), c.expected) << c.fmt;
  EXPECT_EQ(FormatDateTime("c", EncodeDate(2003, 7, 4)), "7/4/2003");  // no time at midnight
  EXPECT_EQ(FormatDateTime("h am/pm", EncodeTime(0, 30, 0, 0)), "12 am");
  EXPECT_EQ(FormatDateTime("yyyy", 9999999.0), "29279");

  TFormatSettings fs;
  fs.ShortDateFormat = "dd.mm.yyyy";
  fs.DateSeparator = '.';
  fs.LongMonthNames[6] = "Juli";
  EXPECT_EQ(FormatDateTime("ddddd mmmm", t, fs), "04.07.2003 Juli");
  // A short date format that names itself does not loop.
  fs.ShortDateFormat = "ddddd";
  EXPECT_NO_THROW(FormatDateTime("c", t, fs));
}

TEST(DateTime, ParsingText) {
  struct Case { const char* text; bool ok; TDateTime value; };
  const Case cases[] = {
      {"2024-03-01", true, EncodeDate(2024, 3, 1)},
      {"2024-03-01 13:45:10", true, EncodeDateTime(2024, 3, 1, 13, 45, 10, 0)},
      {"2024-03-01T13:45", true, EncodeDateTime(2024, 3, 1, 13, 45, 0, 0)},
      {"2024-03-01 13:45:10.5", true, EncodeDateTime(2024, 3, 1, 13, 45, 10, 500)},
      {"3/1/2024", true, EncodeDate(2024, 3, 1)},
      {"3/1/2024 1:30 PM", true, EncodeDateTime(2024, 3, 1, 13, 30, 0, 0)},
      {"12/31/1899 12:00 AM", true, 1.0},
      {"2024-02-30", false, 0},
      {"13/1/2024", false, 0},
      {"3/1/2024 25:00", false, 0},
      {"2024-03-01 13:45 junk", false, 0},
      {"", false, 0},
      {"hello", false, 0},
  };
  for (const auto& c : cases) {
    TDateTime v = -99;
    EXPECT_EQ(TryStrToDateTime(c.text, v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_DOUBLE_EQ(v, c.value) << c.text;
    }
  }
  EXPECT_THROW(StrToDateTime("nonsense"), EConvertError);
  EXPECT_DOUBLE_EQ(StrToTime("6:00"), 0.25);
  EXPECT_DOUBLE_EQ(StrToDate("1/2/2024"), EncodeDate(2024, 1, 2));

  // The database text form round-trips exactly to the millisecond.
  const TDateTime values[] = {0, EncodeDateTime(2024, 3, 1, 13, 45, 10, 7), -1.25, 9999999.0,
                              EncodeDateTime(1, 1, 1, 0, 0, 0, 1)};
  for (TDateTime v : values) {
    TDateTime back;
    ASSERT_TRUE(TryISOToDateTime(DateTimeToISO(v), back)) << DateTimeToISO(v);
    EXPECT_EQ(DateTimeToISO(back), DateTimeToISO(v));
    EXPECT_NEAR(back, v, 1e-9);
  }
  EXPECT_EQ(DateTimeToISO(EncodeDateTime(2024, 3, 1, 13, 45, 10, 7)), "2024-03-01 13:45:10.007");

  // Settings store date-times as the locale's text: it reads back to the
  // second (the text shows whole seconds, milliseconds dropped).
  for (int i = 0; i < 2000; ++i) {
    const TDateTime v = EncodeDate(1990, 1, 1) + i * 7.123457;
    const TDateTime seconds = std::floor(std::round(v * MSecsPerDay) / 1000) / SecsPerDay;
    EXPECT_NEAR(StrToDateTime(DateTimeToStr(v)), seconds, 1e-8) << DateTimeToStr(v);
  }
}

TEST(DateTime, Clocks) {
  // The system clock: a moment well after the code was written, and Date
  // and Time its two halves.
  const TDateTime now = Now();
  EXPECT_GT(now, EncodeDate(2020, 1, 1));
  EXPECT_EQ(DateTimeToUnix(UnixToDateTime(1700000000)), 1700000000);
  EXPECT_EQ(UnixToDateTime(0), 25569.0);
  const uint64_t a = GetTickCount64();
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_GE(GetTickCount64() - a, 4u);
}

// 2026-03-01 12:00:00.250 UTC.
constexpr Int64 kNoonUtcMs = 1772366400250;

// Zones in the POSIX form ("<-10>10" is ten hours behind UTC), which the C
// library reads without a time-zone database.
TEST(DateTime, NowIsLocalTimeOfTheClock) {
  struct Case {
    const char* zone;
    TDateTime local;  // what Now reads at kNoonUtcMs
  };
  const TDateTime noon = EncodeDateTime(2026, 3, 1, 12, 0, 0, 250);
  ASSERT_EQ(DateTimeToUnix(noon) * 1000 + 250, kNoonUtcMs);
  const Case cases[] = {
      {"UTC0", noon},
      {"<-10>10", EncodeDateTime(2026, 3, 1, 2, 0, 0, 250)},         // UTC-10
      {"<+14>-14", EncodeDateTime(2026, 3, 2, 2, 0, 0, 250)},        // UTC+14: already tomorrow
      {"<+0530>-5:30", EncodeDateTime(2026, 3, 1, 17, 30, 0, 250)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.zone);
    qytest::TimeZone zone(c.zone);
    TFixedClock clock(kNoonUtcMs);
    EXPECT_EQ(UtcNowMs(), kNoonUtcMs);
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", Now()), FormatDateTime("yyyy-mm-dd hh:nn:ss.zzz", c.local));
    EXPECT_EQ(Date(), DateOf(c.local));
    EXPECT_EQ(FormatDateTime("hh:nn:ss.zzz", Time()), FormatDateTime("hh:nn:ss.zzz", c.local));
    EXPECT_EQ(LocalToUtcMs(c.local), kNoonUtcMs);
  }
}

TEST(DateTime, TodayChangesAtLocalMidnight) {
  for (const char* zone : {"<-10>10", "<+14>-14", "UTC0"}) {
    SCOPED_TRACE(zone);
    qytest::TimeZone tz(zone);
    TFixedClock clock(0);
    clock.SetLocal(EncodeDateTime(2026, 12, 31, 23, 59, 59, 500));
    EXPECT_EQ(Date(), EncodeDate(2026, 12, 31));
    const Int64 before = UtcNowMs();
    clock.SetLocal(EncodeDateTime(2027, 1, 1, 0, 0, 0, 500));
    EXPECT_EQ(UtcNowMs() - before, 1000);  // one second later
    EXPECT_EQ(Date(), EncodeDate(2027, 1, 1));
    EXPECT_EQ(YearOf(Now()), 2027);
  }
}

TEST(DateTime, AFixedClockGivesBackTheOneItFound) {
  {
    TFixedClock outer(1000);
    {
      TFixedClock inner(5000);
      EXPECT_EQ(UtcNowMs(), 5000);
    }
    EXPECT_EQ(UtcNowMs(), 1000);
  }
  // The system clock again: it moves.
  const Int64 a = UtcNowMs();
  EXPECT_GT(a, 1577836800000);  // after 2020
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  EXPECT_GT(UtcNowMs(), a);
}

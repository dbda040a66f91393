#pragma once
// TDateTime: days since 1899-12-30 (the integer part) plus the time of day
// (the fraction). Before that day the integer part counts back and the
// fraction still runs forward: -1.25 is 1899-12-29 06:00.
#include "platform/base/SysUtils.h"
#include "platform/base/Types.h"

constexpr Integer HoursPerDay = 24;
constexpr Integer MinsPerDay = 24 * 60;
constexpr Integer SecsPerDay = 24 * 60 * 60;
constexpr Integer MSecsPerDay = SecsPerDay * 1000;
// Days from 0001-01-01 to 1899-12-30 (+1), for code that counts from year 1.
constexpr Integer DateDelta = 693594;
// Days from 1899-12-30 to 1970-01-01.
constexpr Integer UnixDateDelta = 25569;

// The civil (proleptic Gregorian) calendar, exact for any year from 1 on,
// so far-future sentinels such as 9999999 days round-trip.
bool IsLeapYear(Integer Year);
Word DaysInAMonth(Integer Year, Word Month);
bool TryEncodeDate(Integer Year, Word Month, Word Day, TDateTime& Date);
// EConvertError "Invalid argument to date encode".
TDateTime EncodeDate(Integer Year, Word Month, Word Day);
void DecodeDate(TDateTime Date, Integer& Year, Word& Month, Word& Day);
void DecodeDate(TDateTime Date, Word& Year, Word& Month, Word& Day);  // years up to 65535
bool TryEncodeTime(Word Hour, Word Min, Word Sec, Word MSec, TDateTime& Time);
// EConvertError "Invalid argument to time encode".
TDateTime EncodeTime(Word Hour, Word Min, Word Sec, Word MSec);
// The time is rounded to the millisecond; a fraction that rounds up to 24:00
// is midnight of the next day (DecodeDate agrees).
void DecodeTime(TDateTime Time, Word& Hour, Word& Min, Word& Sec, Word& MSec);
void DecodeDateTime(TDateTime DateTime, Integer& Year, Word& Month, Word& Day, Word& Hour,
                    Word& Min, Word& Sec, Word& MSec);
TDateTime EncodeDateTime(Integer Year, Word Month, Word Day, Word Hour, Word Min, Word Sec,
                         Word MSec);

Integer YearOf(TDateTime D);
Word MonthOf(TDateTime D);
Word DayOf(TDateTime D);
// 1 = Sunday ... 7 = Saturday.
Integer DayOfWeek(TDateTime D);
// Whole day (the time dropped), the time of day alone.
TDateTime DateOf(TDateTime D);
TDateTime TimeOf(TDateTime D);
// Months added; the day is clamped to the length of the new month; the
// time of day is kept.
TDateTime IncMonth(TDateTime D, Integer NumberOfMonths = 1);

// The one clock of the program: every "now", "today" and time stamp comes
// from here, so a test can set it (TFixedClock).
// Milliseconds since 1970-01-01 UTC.
Int64 UtcNowMs();
// Local wall-clock time.
TDateTime Now();
TDateTime Date();
TDateTime Time();
// A moment (milliseconds since 1970-01-01 UTC) as local wall-clock time in
// the process's time zone, and back (a local time skipped or repeated by a
// daylight-saving change is taken as the C library takes it).
TDateTime UtcMsToLocal(Int64 UtcMs);
Int64 LocalToUtcMs(TDateTime Local);

// For tests: while one lives, the clock stands at the moment it was set to;
// on leaving, the clock it found comes back (the system's, or an outer one).
class TFixedClock {
public:
  explicit TFixedClock(Int64 UtcMs);
  ~TFixedClock();
  TFixedClock(const TFixedClock&) = delete;
  TFixedClock& operator=(const TFixedClock&) = delete;
  void Set(Int64 UtcMs);
  void SetLocal(TDateTime Local);

private:
  bool FWasFixed;
  Int64 FWasMs;
};
TDateTime UnixToDateTime(Int64 UnixSeconds);  // UTC
Int64 DateTimeToUnix(TDateTime D);

// Milliseconds from a fixed point, never going back (idle timing).
uint64_t GetTickCount64();
Cardinal GetTickCount();

// Pattern letters (case-insensitive): c d dd ddd dddd ddddd dddddd m mm mmm
// mmmm (minutes right after an h) yy yyyy h hh n nn s ss z zzz t tt am/pm
// a/p ampm, "/" and ":" as the date and time separators, 'quoted' and
// "quoted" text; anything else is copied.
String FormatDateTime(const String& Format, TDateTime D);
String FormatDateTime(const String& Format, TDateTime D, const TFormatSettings& Settings);
String DateToStr(TDateTime D);      // ShortDateFormat
String TimeToStr(TDateTime D);      // LongTimeFormat
String DateTimeToStr(TDateTime D);  // both; no time at midnight

// Text to date: ISO ("2024-03-01", "2024-03-01 13:45:10", "...T13:45",
// ".zzz" milliseconds) or the order of ShortDateFormat with DateSeparator
// (two-digit years within 50 years of today, a missing year is this year),
// optionally followed by a time h[:n[:s[.zzz]]] with AM/PM.
bool TryStrToDate(const String& S, TDateTime& Value);
bool TryStrToTime(const String& S, TDateTime& Value);
bool TryStrToDateTime(const String& S, TDateTime& Value);
// EConvertError "'x' is not a valid date" / "... valid time" / "... valid date and time".
TDateTime StrToDate(const String& S);
TDateTime StrToTime(const String& S);
TDateTime StrToDateTime(const String& S);

// The database layer's text form: "yyyy-mm-dd" and "yyyy-mm-dd hh:nn:ss"
// with ".zzz" when there are milliseconds. Read back exactly by
// TryISOToDateTime (also with "T" between date and time).
String DateToISO(TDateTime D);
String DateTimeToISO(TDateTime D);
bool TryISOToDateTime(const String& S, TDateTime& Value);

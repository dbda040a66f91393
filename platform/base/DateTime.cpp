#include "platform/base/DateTime.h"

#include <time.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>

namespace {

// Days from 1970-01-01 to the civil date (any year).
Int64 DaysFromCivil(Int64 y, unsigned m, unsigned d) {
  y -= m <= 2;
  const Int64 era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<Int64>(doe) - 719468;
}

void CivilFromDays(Int64 z, Int64& y, unsigned& m, unsigned& d) {
  z += 719468;
  const Int64 era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<Int64>(yoe) + era * 400 + (m <= 2);
}

// Calendar day (days since 1899-12-30) and milliseconds into it.
void Split(TDateTime dt, Int64& day, Int64& ms) {
  if (!std::isfinite(dt)) dt = 0;
  // Clamp far outside any calendar use, so the integer arithmetic stays sane.
  dt = std::fmax(std::fmin(dt, 1e12), -1e12);
  const double whole = std::trunc(dt);
  day = static_cast<Int64>(whole);
  ms = std::llround(std::fabs(dt - whole) * MSecsPerDay);
  if (ms >= MSecsPerDay) {
    ms -= MSecsPerDay;
    day += 1;
  }
}

TDateTime Combine(Int64 day, Int64 ms) {
  const double frac = static_cast<double>(ms) / MSecsPerDay;
  return day < 0 ? static_cast<double>(day) - frac : static_cast<double>(day) + frac;
}

}  // namespace

bool IsLeapYear(Integer Year) {
  return (Year % 4 == 0) && ((Year % 100 != 0) || (Year % 400 == 0));
}

Word DaysInAMonth(Integer Year, Word Month) {
  static const Word kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (Month < 1 || Month > 12) return 0;
  return static_cast<Word>(kDays[Month - 1] + (Month == 2 && IsLeapYear(Year) ? 1 : 0));
}

bool TryEncodeDate(Integer Year, Word Month, Word Day, TDateTime& Date) {
  if (Year < 1 || Month < 1 || Month > 12 || Day < 1 || Day > DaysInAMonth(Year, Month))
    return false;
  Date = static_cast<double>(DaysFromCivil(Year, Month, Day) + UnixDateDelta);
  return true;
}

TDateTime EncodeDate(Integer Year, Word Month, Word Day) {
  TDateTime d;
  if (!TryEncodeDate(Year, Month, Day, d)) throw EConvertError("Invalid argument to date encode");
  return d;
}

void DecodeDate(TDateTime Date, Integer& Year, Word& Month, Word& Day) {
  Int64 day, ms;
  Split(Date, day, ms);
  Int64 y;
  unsigned m, d;
  CivilFromDays(day - UnixDateDelta, y, m, d);
  Year = static_cast<Integer>(y);
  Month = static_cast<Word>(m);
  Day = static_cast<Word>(d);
}

void DecodeDate(TDateTime Date, Word& Year, Word& Month, Word& Day) {
  Integer y;
  DecodeDate(Date, y, Month, Day);
  Year = static_cast<Word>(y);
}

bool TryEncodeTime(Word Hour, Word Min, Word Sec, Word MSec, TDateTime& Time) {
  if (Hour >= 24 || Min >= 60 || Sec >= 60 || MSec >= 1000) return false;
  Time = static_cast<double>(((Hour * 60 + Min) * 60 + Sec) * 1000 + MSec) / MSecsPerDay;
  return true;
}

TDateTime EncodeTime(Word Hour, Word Min, Word Sec, Word MSec) {
  TDateTime t;
  if (!TryEncodeTime(Hour, Min, Sec, MSec, t)) throw EConvertError("Invalid argument to time encode");
  return t;
}

void DecodeTime(TDateTime Time, Word& Hour, Word& Min, Word& Sec, Word& MSec) {
  Int64 day, ms;
  Split(Time, day, ms);
  MSec = static_cast<Word>(ms % 1000);
  ms /= 1000;
  Sec = static_cast<Word>(ms % 60);
  ms /= 60;
  Min = static_cast<Word>(ms % 60);
  Hour = static_cast<Word>(ms / 60);
}

void DecodeDateTime(TDateTime DateTime, Integer& Year, Word& Month, Word& Day, Word& Hour,
                    Word& Min, Word& Sec, Word& MSec) {
  DecodeDate(DateTime, Year, Month, Day);
  DecodeTime(DateTime, Hour, Min, Sec, MSec);
}

TDateTime EncodeDateTime(Integer Year, Word Month, Word Day, Word Hour, Word Min, Word Sec,
                         Word MSec) {
  const TDateTime d = EncodeDate(Year, Month, Day);
  const TDateTime t = EncodeTime(Hour, Min, Sec, MSec);
  return d < 0 ? d - t : d + t;
}

Integer YearOf(TDateTime D) {
  Integer y;
  Word m, d;
  DecodeDate(D, y, m, d);
  return y;
}

Word MonthOf(TDateTime D) {
  Integer y;
  Word m, d;
  DecodeDate(D, y, m, d);
  return m;
}

Word DayOf(TDateTime D) {
  Integer y;
  Word m, d;
  DecodeDate(D, y, m, d);
  return d;
}

Integer DayOfWeek(TDateTime D) {
  Int64 day, ms;
  Split(D, day, ms);
  // Day 0 (1899-12-30) was a Saturday.
  Int64 r = (day + 6) % 7;
  if (r < 0) r += 7;
  return static_cast<Integer>(r + 1);
}

TDateTime DateOf(TDateTime D) {
  Int64 day, ms;
  Split(D, day, ms);
  return static_cast<double>(day);
}

TDateTime TimeOf(TDateTime D) {
  Int64 day, ms;
  Split(D, day, ms);
  return static_cast<double>(ms) / MSecsPerDay;
}

TDateTime IncMonth(TDateTime D, Integer NumberOfMonths) {
  Int64 day, ms;
  Split(D, day, ms);
  Int64 y;
  unsigned m, dd;
  CivilFromDays(day - UnixDateDelta, y, m, dd);
  Int64 total = y * 12 + (m - 1) + NumberOfMonths;
  Int64 ny = total >= 0 ? total / 12 : (total - 11) / 12;
  const unsigned nm = static_cast<unsigned>(total - ny * 12) + 1;
  if (ny < 1) ny = 1;
  const unsigned maxDay = DaysInAMonth(static_cast<Integer>(ny), static_cast<Word>(nm));
  if (dd > maxDay) dd = maxDay;
  return Combine(DaysFromCivil(ny, nm, dd) + UnixDateDelta, ms);
}

namespace {
// The test clock: while set, "now" stands still at a given moment.
std::atomic<bool> ClockFixed{false};
std::atomic<Int64> ClockFixedMs{0};
}  // namespace

Int64 UtcNowMs() {
  if (ClockFixed.load()) return ClockFixedMs.load();
  timespec ts;
  clock_gettime(CLOCK_REALTIME, &ts);
  return static_cast<Int64>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

TDateTime UtcMsToLocal(Int64 UtcMs) {
  const Int64 secs = UtcMs >= 0 ? UtcMs / 1000 : (UtcMs - 999) / 1000;
  const time_t t = static_cast<time_t>(secs);
  tm lt;
  localtime_r(&t, &lt);
  const Int64 day = DaysFromCivil(lt.tm_year + 1900, static_cast<unsigned>(lt.tm_mon + 1),
                                  static_cast<unsigned>(lt.tm_mday)) +
                    UnixDateDelta;
  const Int64 ms = ((lt.tm_hour * 60 + lt.tm_min) * 60 + std::min(lt.tm_sec, 59)) * 1000LL +
                   (UtcMs - secs * 1000);
  return Combine(day, ms);
}

Int64 LocalToUtcMs(TDateTime Local) {
  Int64 day, ms;
  Split(Local, day, ms);
  Int64 y;
  unsigned m, d;
  CivilFromDays(day - UnixDateDelta, y, m, d);
  tm lt{};
  lt.tm_year = static_cast<int>(y - 1900);
  lt.tm_mon = static_cast<int>(m) - 1;
  lt.tm_mday = static_cast<int>(d);
  lt.tm_hour = static_cast<int>(ms / 3600000);
  lt.tm_min = static_cast<int>(ms / 60000 % 60);
  lt.tm_sec = static_cast<int>(ms / 1000 % 60);
  lt.tm_isdst = -1;
  return static_cast<Int64>(mktime(&lt)) * 1000 + ms % 1000;
}

TDateTime Now() { return UtcMsToLocal(UtcNowMs()); }

TFixedClock::TFixedClock(Int64 UtcMs) : FWasFixed(ClockFixed.load()), FWasMs(ClockFixedMs.load()) { Set(UtcMs); }

TFixedClock::~TFixedClock() {
  ClockFixedMs.store(FWasMs);
  ClockFixed.store(FWasFixed);
}

void TFixedClock::Set(Int64 UtcMs) {
  ClockFixedMs.store(UtcMs);
  ClockFixed.store(true);
}

void TFixedClock::SetLocal(TDateTime Local) { Set(LocalToUtcMs(Local)); }

TDateTime Date() { return DateOf(Now()); }
TDateTime Time() { return TimeOf(Now()); }

TDateTime UnixToDateTime(Int64 UnixSeconds) {
  const Int64 day = (UnixSeconds >= 0 ? UnixSeconds / SecsPerDay : (UnixSeconds - SecsPerDay + 1) / SecsPerDay);
  const Int64 secs = UnixSeconds - day * SecsPerDay;
  return Combine(day + UnixDateDelta, secs * 1000);
}

Int64 DateTimeToUnix(TDateTime D) {
  Int64 day, ms;
  Split(D, day, ms);
  return (day - UnixDateDelta) * SecsPerDay + ms / 1000;
}

uint64_t GetTickCount64() {
  using namespace std::chrono;
  return static_cast<uint64_t>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

Cardinal GetTickCount() { return static_cast<Cardinal>(GetTickCount64()); }

// ---------------------------------------------------------------------------
// Formatting

namespace {

char Up(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }

bool StartsWithNoCase(const String& s, size_t i, const char* w) {
  for (size_t k = 0; w[k]; ++k)
    if (i + k >= s.size() || Up(s[i + k]) != Up(w[k])) return false;
  return true;
}

String Pad2(unsigned v) { return v < 10 ? "0" + std::to_string(v) : std::to_string(v); }

struct TParts {
  Integer Year;
  Word Month, Day, Hour, Min, Sec, MSec;
  Integer Dow;  // 1..7
  bool HasTime;
};

// True when an am/pm marker follows before the end of the pattern.
bool UsesTwelveHours(const String& f, size_t i) {
  while (i < f.size()) {
    const char c = f[i];
    if (c == '\'' || c == '"') {
      const size_t e = f.find(c, i + 1);
      if (e == String::npos) return false;
      i = e + 1;
      continue;
    }
    if (StartsWithNoCase(f, i, "am/pm") || StartsWithNoCase(f, i, "a/p") ||
        StartsWithNoCase(f, i, "ampm"))
      return true;
    ++i;
  }
  return false;
}

void Append(String& out, const String& f, const TParts& p, const TFormatSettings& fs, int level) {
  if (level > 2) return;  // "c" inside the short date format must not recurse forever
  char last = ' ';
  size_t i = 0;
  const size_t n = f.size();
  while (i < n) {
    const char c = f[i];
    char token = Up(c);
    if (token >= 'A' && token <= 'Z') {
      if (token == 'M' && last == 'H') token = 'N';
      last = token;
    }
    size_t count = 1;
    auto countSame = [&] {
      while (i + count < n && Up(f[i + count]) == Up(c)) ++count;
    };
    switch (token) {
      case 'Y': {
        countSame();
        const Integer y = p.Year;
        if (count <= 2) {
          out += Pad2(static_cast<unsigned>(y % 100));
        } else {
          String s = std::to_string(y);
          while (s.size() < 4) s.insert(s.begin(), '0');
          out += s;
        }
        i += count;
        break;
      }
      case 'M':
        countSame();
        if (count == 1) out += std::to_string(p.Month);
        else if (count == 2) out += Pad2(p.Month);
        else if (count == 3) out += fs.ShortMonthNames[static_cast<size_t>(p.Month - 1)];
        else out += fs.LongMonthNames[static_cast<size_t>(p.Month - 1)];
        i += std::min<size_t>(count, 4);
        break;
      case 'D':
        countSame();
        if (count == 1) out += std::to_string(p.Day);
        else if (count == 2) out += Pad2(p.Day);
        else if (count == 3) out += fs.ShortDayNames[static_cast<size_t>(p.Dow - 1)];
        else if (count == 4) out += fs.LongDayNames[static_cast<size_t>(p.Dow - 1)];
        else if (count == 5) Append(out, fs.ShortDateFormat, p, fs, level + 1);
        else Append(out, fs.LongDateFormat, p, fs, level + 1);
        i += std::min<size_t>(count, 6);
        break;
      case 'H': {
        countSame();
        unsigned h = p.Hour;
        if (UsesTwelveHours(f, i + count)) {
          h %= 12;
          if (h == 0) h = 12;
        }
        out += count == 1 ? std::to_string(h) : Pad2(h);
        i += std::min<size_t>(count, 2);
        break;
      }
      case 'N':
        countSame();
        out += count == 1 ? std::to_string(p.Min) : Pad2(p.Min);
        i += std::min<size_t>(count, 2);
        break;
      case 'S':
        countSame();
        out += count == 1 ? std::to_string(p.Sec) : Pad2(p.Sec);
        i += std::min<size_t>(count, 2);
        break;
      case 'Z': {
        countSame();
        String s = std::to_string(p.MSec);
        if (count >= 3)
          while (s.size() < 3) s.insert(s.begin(), '0');
        out += s;
        i += std::min<size_t>(count, 3);
        break;
      }
      case 'T':
        countSame();
        Append(out, count == 1 ? fs.ShortTimeFormat : fs.LongTimeFormat, p, fs, level + 1);
        i += std::min<size_t>(count, 2);
        break;
      case 'C':
        Append(out, fs.ShortDateFormat, p, fs, level + 1);
        if (p.HasTime) {
          out.push_back(' ');
          Append(out, fs.LongTimeFormat, p, fs, level + 1);
        }
        ++i;
        break;
      case 'A':
        if (StartsWithNoCase(f, i, "am/pm")) {
          // The case of the pattern's letters is kept.
          out += p.Hour >= 12 ? f.substr(i + 3, 2) : f.substr(i, 2);
          i += 5;
        } else if (StartsWithNoCase(f, i, "a/p")) {
          out += p.Hour >= 12 ? f.substr(i + 2, 1) : f.substr(i, 1);
          i += 3;
        } else if (StartsWithNoCase(f, i, "ampm")) {
          out += p.Hour >= 12 ? fs.TimePMString : fs.TimeAMString;
          i += 4;
        } else {
          out.push_back(c);
          ++i;
        }
        break;
      case '/':
        out.push_back(fs.DateSeparator);
        ++i;
        break;
      case ':':
        out.push_back(fs.TimeSeparator);
        ++i;
        break;
      case '\'':
      case '"': {
        const size_t e = f.find(c, i + 1);
        if (e == String::npos) {
          out.append(f, i + 1, String::npos);
          i = n;
        } else {
          out.append(f, i + 1, e - i - 1);
          i = e + 1;
        }
        break;
      }
      default:
        out.push_back(c);
        ++i;
        break;
    }
  }
}

TParts PartsOf(TDateTime D) {
  TParts p;
  DecodeDateTime(D, p.Year, p.Month, p.Day, p.Hour, p.Min, p.Sec, p.MSec);
  p.Dow = DayOfWeek(D);
  Int64 day, ms;
  Split(D, day, ms);
  p.HasTime = ms != 0;
  return p;
}

}  // namespace

String FormatDateTime(const String& Format, TDateTime D, const TFormatSettings& Settings) {
  String out;
  const TParts p = PartsOf(D);
  Append(out, Format.empty() ? String("c") : Format, p, Settings, 0);
  return out;
}

String FormatDateTime(const String& Format, TDateTime D) {
  return FormatDateTime(Format, D, FormatSettings);
}

String DateToStr(TDateTime D) { return FormatDateTime("ddddd", D); }
String TimeToStr(TDateTime D) { return FormatDateTime("tt", D); }
String DateTimeToStr(TDateTime D) { return FormatDateTime("c", D); }

// ---------------------------------------------------------------------------
// Parsing

namespace {

struct TScanner {
  const String& S;
  size_t I = 0;
  void SkipBlanks() {
    while (I < S.size() && (S[I] == ' ' || S[I] == '\t')) ++I;
  }
  bool AtEnd() const { return I >= S.size(); }
  bool Number(int maxDigits, Int64& v, int* digits = nullptr) {
    size_t k = 0;
    v = 0;
    while (I + k < S.size() && S[I + k] >= '0' && S[I + k] <= '9' && static_cast<int>(k) < maxDigits) {
      v = v * 10 + (S[I + k] - '0');
      ++k;
    }
    if (k == 0) return false;
    I += k;
    if (digits) *digits = static_cast<int>(k);
    return true;
  }
  bool Char(char c) {
    if (I < S.size() && S[I] == c) {
      ++I;
      return true;
    }
    return false;
  }
};

// Time: h[:n[:s[.zzz]]] [AM|PM].
bool ScanTime(TScanner& sc, const TFormatSettings& fs, TDateTime& t) {
  Int64 h, n = 0, s = 0, z = 0;
  sc.SkipBlanks();
  if (!sc.Number(2, h)) return false;
  const char sep = sc.I < sc.S.size() && sc.S[sc.I] == ':' ? ':' : fs.TimeSeparator;
  if (sc.Char(sep)) {
    if (!sc.Number(2, n)) return false;
    if (sc.Char(sep)) {
      if (!sc.Number(2, s)) return false;
      if (sc.Char('.') || sc.Char(fs.DecimalSeparator)) {
        int digits = 0;
        if (!sc.Number(3, z, &digits)) return false;
        while (digits++ < 3) z *= 10;
        while (!sc.AtEnd() && sc.S[sc.I] >= '0' && sc.S[sc.I] <= '9') ++sc.I;  // finer digits
      }
    }
  }
  sc.SkipBlanks();
  auto marker = [&](const String& m) {
    if (!m.empty() && StartsWithNoCase(sc.S, sc.I, m.c_str())) {
      sc.I += m.size();
      return true;
    }
    return false;
  };
  if (marker(fs.TimePMString) || marker("PM") || marker("P")) {
    if (h < 1 || h > 12) return false;
    if (h != 12) h += 12;
  } else if (marker(fs.TimeAMString) || marker("AM") || marker("A")) {
    if (h < 1 || h > 12) return false;
    if (h == 12) h = 0;
  }
  return TryEncodeTime(static_cast<Word>(h), static_cast<Word>(n), static_cast<Word>(s),
                       static_cast<Word>(z), t);
}

bool ScanIsoDate(TScanner& sc, TDateTime& d) {
  Int64 y, m, day;
  int digits;
  const size_t start = sc.I;
  if (!sc.Number(9, y, &digits) || digits < 4 || !sc.Char('-') || !sc.Number(2, m) ||
      !sc.Char('-') || !sc.Number(2, day)) {
    sc.I = start;
    return false;
  }
  if (y > 2000000000 || !TryEncodeDate(static_cast<Integer>(y), static_cast<Word>(m), static_cast<Word>(day), d)) {
    sc.I = start;
    return false;
  }
  return true;
}

// The order of day, month and year in the short date format.
String DateOrder(const String& f) {
  String order;
  for (size_t i = 0; i < f.size(); ++i) {
    const char c = Up(f[i]);
    if (c == '\'' || c == '"') {
      const size_t e = f.find(f[i], i + 1);
      if (e == String::npos) break;
      i = e;
      continue;
    }
    if ((c == 'D' || c == 'M' || c == 'Y') && order.find(c) == String::npos) order.push_back(c);
  }
  if (order.size() != 3) order = "MDY";
  return order;
}

bool ScanShortDate(TScanner& sc, const TFormatSettings& fs, TDateTime& d) {
  const String order = DateOrder(fs.ShortDateFormat);
  Int64 v[3] = {0, 0, 0};
  int digits[3] = {0, 0, 0};
  int count = 0;
  sc.SkipBlanks();
  for (; count < 3; ++count) {
    if (count > 0 && !sc.Char(fs.DateSeparator)) break;
    if (!sc.Number(9, v[count], &digits[count])) return false;
  }
  if (count < 2) return false;
  Int64 y = 0, m = 0, day = 0;
  Integer thisYear;
  Word tm, td;
  DecodeDate(Now(), thisYear, tm, td);
  bool yearGiven = count == 3;
  int yearDigits = 4;
  if (count == 3) {
    for (int k = 0; k < 3; ++k) {
      if (order[static_cast<size_t>(k)] == 'Y') {
        y = v[k];
        yearDigits = digits[k];
      } else if (order[static_cast<size_t>(k)] == 'M') {
        m = v[k];
      } else {
        day = v[k];
      }
    }
  } else {
    // Two parts: day and month in the format's order, this year.
    String dm;
    for (char c : order)
      if (c != 'Y') dm.push_back(c);
    m = dm[0] == 'M' ? v[0] : v[1];
    day = dm[0] == 'M' ? v[1] : v[0];
    y = thisYear;
  }
  if (yearGiven && yearDigits <= 2) {
    // Within 50 years of this year.
    Int64 century = thisYear - thisYear % 100;
    y += century;
    if (y > thisYear + 50) y -= 100;
    if (y < thisYear - 50) y += 100;
  }
  if (y > 2000000000 || m > 12 || day > 31) return false;
  return TryEncodeDate(static_cast<Integer>(y), static_cast<Word>(m), static_cast<Word>(day), d);
}

bool Finish(TScanner& sc) {
  sc.SkipBlanks();
  return sc.AtEnd();
}

}  // namespace

bool TryStrToDate(const String& S, TDateTime& Value) {
  TScanner sc{S};
  TDateTime d;
  sc.SkipBlanks();
  if (ScanIsoDate(sc, d) && Finish(sc)) {
    Value = d;
    return true;
  }
  TScanner sc2{S};
  if (ScanShortDate(sc2, FormatSettings, d) && Finish(sc2)) {
    Value = d;
    return true;
  }
  return false;
}

bool TryStrToTime(const String& S, TDateTime& Value) {
  TScanner sc{S};
  TDateTime t;
  if (ScanTime(sc, FormatSettings, t) && Finish(sc)) {
    Value = t;
    return true;
  }
  return false;
}

bool TryStrToDateTime(const String& S, TDateTime& Value) {
  if (TryISOToDateTime(Trim(S), Value)) return true;
  TScanner sc{S};
  TDateTime d;
  if (!ScanShortDate(sc, FormatSettings, d)) return TryStrToTime(S, Value);
  if (Finish(sc)) {
    Value = d;
    return true;
  }
  TDateTime t;
  if (!ScanTime(sc, FormatSettings, t) || !Finish(sc)) return false;
  Value = d < 0 ? d - t : d + t;
  return true;
}

TDateTime StrToDate(const String& S) {
  TDateTime v;
  if (!TryStrToDate(S, v)) throw EConvertError("'" + S + "' is not a valid date");
  return v;
}

TDateTime StrToTime(const String& S) {
  TDateTime v;
  if (!TryStrToTime(S, v)) throw EConvertError("'" + S + "' is not a valid time");
  return v;
}

TDateTime StrToDateTime(const String& S) {
  TDateTime v;
  if (!TryStrToDateTime(S, v)) throw EConvertError("'" + S + "' is not a valid date and time");
  return v;
}

String DateToISO(TDateTime D) {
  Integer y;
  Word m, d;
  DecodeDate(D, y, m, d);
  String ys = std::to_string(y);
  while (ys.size() < 4) ys.insert(ys.begin(), '0');
  return ys + "-" + Pad2(m) + "-" + Pad2(d);
}

String DateTimeToISO(TDateTime D) {
  Word h, n, s, z;
  DecodeTime(D, h, n, s, z);
  String r = DateToISO(D) + " " + Pad2(h) + ":" + Pad2(n) + ":" + Pad2(s);
  if (z != 0) {
    String ms = std::to_string(z);
    while (ms.size() < 3) ms.insert(ms.begin(), '0');
    r += "." + ms;
  }
  return r;
}

bool TryISOToDateTime(const String& S, TDateTime& Value) {
  TScanner sc{S};
  TDateTime d;
  if (!ScanIsoDate(sc, d)) return false;
  if (sc.AtEnd()) {
    Value = d;
    return true;
  }
  if (!sc.Char(' ') && !sc.Char('T')) return false;
  Int64 h, n, s = 0, z = 0;
  if (!sc.Number(2, h) || !sc.Char(':') || !sc.Number(2, n)) return false;
  if (sc.Char(':')) {
    if (!sc.Number(2, s)) return false;
    if (sc.Char('.')) {
      int digits = 0;
      if (!sc.Number(3, z, &digits)) return false;
      while (digits++ < 3) z *= 10;
      while (!sc.AtEnd() && sc.S[sc.I] >= '0' && sc.S[sc.I] <= '9') ++sc.I;
    }
  }
  if (!sc.AtEnd()) return false;
  TDateTime t;
  if (!TryEncodeTime(static_cast<Word>(h), static_cast<Word>(n), static_cast<Word>(s),
                     static_cast<Word>(z), t))
    return false;
  Value = d < 0 ? d - t : d + t;
  return true;
}

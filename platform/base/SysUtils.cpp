#include "platform/base/SysUtils.h"
#include "platform/base/SaveTarget.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <cxxabi.h>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <random>
#include <typeinfo>

namespace fs = std::filesystem;

TFormatSettings FormatSettings;

String TObject::ClassName() const {
  const char* mangled = typeid(*this).name();
  int status = 0;
  std::unique_ptr<char, void (*)(void*)> demangled(
      abi::__cxa_demangle(mangled, nullptr, nullptr, &status), std::free);
  String name = status == 0 && demangled ? String(demangled.get()) : String(mangled);
  // Class names carry no namespace ("TFontInfo", not "ns::TFontInfo").
  int depth = 0;
  size_t start = 0;
  for (size_t i = 0; i + 1 < name.size(); ++i) {
    if (name[i] == '<') ++depth;
    if (name[i] == '>') --depth;
    if (depth == 0 && name[i] == ':' && name[i + 1] == ':') start = i + 2;
  }
  return name.substr(start);
}

void Abort() { throw EAbort("Operation aborted"); }

Integer MulDiv(Integer a, Integer b, Integer c) {
  if (c == 0) return -1;
  const int64_t num = static_cast<int64_t>(a) * b;
  const int64_t den = c;
  const int64_t q = num / den;
  const int64_t r = num % den;
  // Round half away from zero, as the platform's MulDiv does.
  if (2 * std::llabs(r) >= std::llabs(den)) {
    return static_cast<Integer>((num < 0) != (den < 0) ? q - 1 : q + 1);
  }
  return static_cast<Integer>(q);
}

// ---------------------------------------------------------------------------
// Integers

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Parses into a 64-bit value. Hexadecimal wraps at `bits` (so "$FFFFFFFF" is
// -1 as a 32-bit Integer); decimal must fit the signed range of `bits`.
bool ParseInteger(const String& s, int bits, Int64& out) {
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
  bool neg = false;
  if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
    neg = s[i] == '-';
    ++i;
  }
  bool hex = false;
  if (i < s.size() && s[i] == '$') {
    hex = true;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= s.size()) return false;
  uint64_t v = 0;
  if (hex) {
    const size_t maxDigits = static_cast<size_t>(bits / 4);
    size_t n = 0;
    for (; i < s.size(); ++i) {
      const int d = HexDigit(s[i]);
      if (d < 0) return false;
      if (v == 0 && d == 0) continue;  // leading zeros do not count
      if (++n > maxDigits) return false;
      v = (v << 4) | static_cast<uint64_t>(d);
    }
    Int64 r;
    if (bits == 32) {
      r = static_cast<int32_t>(static_cast<uint32_t>(v));
    } else {
      r = static_cast<Int64>(v);
    }
    out = neg ? static_cast<Int64>(0 - static_cast<uint64_t>(r)) : r;
    if (bits == 32) out = static_cast<int32_t>(out);
    return true;
  }
  const uint64_t limit = bits == 32 ? (neg ? 2147483648ull : 2147483647ull)
                                    : (neg ? 9223372036854775808ull : 9223372036854775807ull);
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    const uint64_t d = static_cast<uint64_t>(s[i] - '0');
    if (v > (limit - d) / 10) return false;
    v = v * 10 + d;
  }
  out = neg ? static_cast<Int64>(0 - v) : static_cast<Int64>(v);
  return true;
}

}  // namespace

String IntToStr(Int64 value) { return std::to_string(value); }

String IntToHex(Int64 value, int digits) {
  static const char kHex[] = "0123456789ABCDEF";
  uint64_t v = static_cast<uint64_t>(value);
  String r;
  do {
    r.push_back(kHex[v & 15]);
    v >>= 4;
  } while (v != 0);
  digits = std::min(digits, 64);
  while (static_cast<int>(r.size()) < digits) r.push_back('0');
  std::reverse(r.begin(), r.end());
  return r;
}

bool TryStrToInt(const String& s, Integer& value) {
  Int64 v;
  if (!ParseInteger(s, 32, v)) return false;
  value = static_cast<Integer>(v);
  return true;
}

bool TryStrToInt64(const String& s, Int64& value) { return ParseInteger(s, 64, value); }

Integer StrToInt(const String& s) {
  Integer v;
  if (!TryStrToInt(s, v)) throw EConvertError("'" + s + "' is not a valid integer value");
  return v;
}

Int64 StrToInt64(const String& s) {
  Int64 v;
  if (!TryStrToInt64(s, v)) throw EConvertError("'" + s + "' is not a valid integer value");
  return v;
}

Integer StrToIntDef(const String& s, Integer def) {
  Integer v;
  return TryStrToInt(s, v) ? v : def;
}

Int64 StrToInt64Def(const String& s, Int64 def) {
  Int64 v;
  return TryStrToInt64(s, v) ? v : def;
}

bool TryStrToBool(const String& s, bool& value) {
  if (SameText(s, "True")) {
    value = true;
    return true;
  }
  if (SameText(s, "False")) {
    value = false;
    return true;
  }
  double d;
  if (TryStrToFloat(s, d)) {
    value = d != 0;
    return true;
  }
  return false;
}

bool StrToBool(const String& s) {
  bool b;
  if (!TryStrToBool(s, b)) throw EConvertError("'" + s + "' is not a valid boolean value");
  return b;
}

bool StrToBoolDef(const String& s, bool def) {
  bool b;
  return TryStrToBool(s, b) ? b : def;
}

String BoolToStr(bool b, bool useBoolStrs) {
  if (useBoolStrs) return b ? "True" : "False";
  return b ? "-1" : "0";
}

// ---------------------------------------------------------------------------
// Floats

bool TryStrToFloat(const String& s, double& value) {
  const String t = Trim(s);
  if (t.empty()) return false;
  String c;
  c.reserve(t.size());
  bool digit = false;
  for (size_t i = 0; i < t.size(); ++i) {
    char ch = t[i];
    if (ch == FormatSettings.DecimalSeparator) {
      c.push_back('.');
    } else if ((ch >= '0' && ch <= '9')) {
      digit = true;
      c.push_back(ch);
    } else if (ch == '+' || ch == '-' || ch == 'e' || ch == 'E') {
      c.push_back(ch);
    } else {
      return false;  // no "inf", "nan", hex floats or separators
    }
  }
  if (!digit) return false;
  char* end = nullptr;
  const double d = std::strtod(c.c_str(), &end);
  if (end != c.c_str() + c.size() || !std::isfinite(d)) return false;
  value = d;
  return true;
}

double StrToFloat(const String& s) {
  double d;
  if (!TryStrToFloat(s, d)) throw EConvertError("'" + s + "' is not a valid floating point value");
  return d;
}

double StrToFloatDef(const String& s, double def) {
  double d;
  return TryStrToFloat(s, d) ? d : def;
}

namespace {

// A value as decimal digits: 0.d1d2d3... * 10^Exponent.
struct TDecimal {
  bool Negative = false;
  String Digits;  // no leading or trailing zeros; empty for zero
  int Exponent = 0;
};

void StripDigits(TDecimal& d) {
  size_t lead = 0;
  while (lead < d.Digits.size() && d.Digits[lead] == '0') ++lead;
  d.Digits.erase(0, lead);
  d.Exponent -= static_cast<int>(lead);
  while (!d.Digits.empty() && d.Digits.back() == '0') d.Digits.pop_back();
  if (d.Digits.empty()) d.Exponent = 0;
}

// Rounded to `precision` significant digits and, when decimals >= 0, to no
// more than `decimals` digits after the point. Halves round away from zero on
// the decimal digits, as the class library does (2.25 to one decimal is 2.3).
TDecimal FloatToDecimal(double v, int precision, int decimals) {
  TDecimal d;
  d.Negative = std::signbit(v) && v != 0;
  const double a = std::fabs(v);
  if (a == 0 || !std::isfinite(a)) return d;
  precision = std::clamp(precision, 1, 17);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.16e", a);  // 17 significant digits
  const char* e = std::strchr(buf, 'e');
  d.Exponent = std::atoi(e + 1) + 1;
  String digits;
  for (const char* p = buf; p < e; ++p)
    if (*p >= '0' && *p <= '9') digits.push_back(*p);
  int n = precision;
  if (decimals >= 0) n = static_cast<int>(std::min<Int64>(n, static_cast<Int64>(d.Exponent) + decimals));
  if (n < 0) {
    d.Negative = false;
    return TDecimal{};
  }
  if (n < static_cast<int>(digits.size())) {
    const bool up = digits[static_cast<size_t>(n)] >= '5';
    digits.resize(static_cast<size_t>(n));
    if (up) {
      int k = n - 1;
      while (k >= 0 && digits[static_cast<size_t>(k)] == '9') digits[static_cast<size_t>(k--)] = '0';
      if (k >= 0) {
        ++digits[static_cast<size_t>(k)];
      } else {
        digits.insert(digits.begin(), '1');
        ++d.Exponent;
      }
    }
  }
  d.Digits = digits;
  StripDigits(d);
  if (d.Digits.empty()) d.Negative = false;
  return d;
}

String GroupThousands(const String& intPart, char sep) {
  String r;
  const int n = static_cast<int>(intPart.size());
  for (int i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0 && sep != 0) r.push_back(sep);
    r.push_back(intPart[static_cast<size_t>(i)]);
  }
  return r;
}

String ExponentText(const TDecimal& d, int minMantissaDigits, bool forceSign, int expDigits,
                    const TFormatSettings& fs) {
  String r;
  if (d.Negative) r.push_back('-');
  String digits = d.Digits.empty() ? String("0") : d.Digits;
  while (static_cast<int>(digits.size()) < minMantissaDigits) digits.push_back('0');
  r.push_back(digits[0]);
  if (digits.size() > 1) {
    r.push_back(fs.DecimalSeparator);
    r.append(digits, 1, String::npos);
  }
  const int exp = d.Digits.empty() ? 0 : d.Exponent - 1;
  r.push_back('E');
  if (exp < 0) {
    r.push_back('-');
  } else if (forceSign) {
    r.push_back('+');
  }
  String e = std::to_string(std::abs(exp));
  while (static_cast<int>(e.size()) < expDigits) e.insert(e.begin(), '0');
  return r + e;
}

String FixedText(const TDecimal& d, int decimals, bool thousands, const TFormatSettings& fs,
                 bool withSign) {
  String intPart, frac;
  if (d.Exponent > 0) {
    intPart = d.Digits.substr(0, static_cast<size_t>(std::min<int>(d.Exponent, static_cast<int>(d.Digits.size()))));
    while (static_cast<int>(intPart.size()) < d.Exponent) intPart.push_back('0');
  } else {
    intPart = "0";
  }
  for (int k = 0; k < decimals; ++k) {
    const int idx = d.Exponent + k;  // digit index within Digits
    frac.push_back(idx >= 0 && idx < static_cast<int>(d.Digits.size()) ? d.Digits[static_cast<size_t>(idx)] : '0');
  }
  String r;
  if (withSign && d.Negative) r.push_back('-');
  r += thousands ? GroupThousands(intPart, fs.ThousandSeparator) : intPart;
  if (decimals > 0) {
    r.push_back(fs.DecimalSeparator);
    r += frac;
  }
  return r;
}

String GeneralText(double value, int precision, int digits, const TFormatSettings& fs) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  if (precision <= 0 || precision > 17) precision = 15;
  const TDecimal d = FloatToDecimal(value, precision, -1);
  if (d.Digits.empty()) return "0";
  if (d.Exponent > precision || d.Exponent < -3) return ExponentText(d, 0, false, digits, fs);
  const int decimals = std::max(0, static_cast<int>(d.Digits.size()) - d.Exponent);
  return FixedText(d, decimals, false, fs, true);
}

String FloatToStrFS(double value, TFloatFormat format, int precision, int digits,
                    const TFormatSettings& fs) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  if (precision <= 0 || precision > 17) precision = 15;
  digits = std::clamp(digits, 0, 40);
  switch (format) {
    case ffGeneral:
      return GeneralText(value, precision, digits, fs);
    case ffExponent: {
      const TDecimal d = FloatToDecimal(value, precision, -1);
      return ExponentText(d, precision, true, digits, fs);
    }
    case ffFixed:
    case ffNumber:
    case ffCurrency: {
      const TDecimal d = FloatToDecimal(value, precision, digits);
      if (d.Exponent > precision) return GeneralText(value, precision, 0, fs);
      if (format == ffCurrency) {
        const String body = FixedText(d, digits, true, fs, false);
        return d.Negative ? "(" + fs.CurrencyString + body + ")" : fs.CurrencyString + body;
      }
      return FixedText(d, digits, format == ffNumber, fs, true);
    }
  }
  return GeneralText(value, precision, digits, fs);
}

}  // namespace

String FloatToStr(double value) { return GeneralText(value, 15, 0, FormatSettings); }

String FloatToStrF(double value, TFloatFormat format, int precision, int digits) {
  return FloatToStrFS(value, format, precision, digits, FormatSettings);
}

// ---------------------------------------------------------------------------
// Text

String TrimLeft(const String& s) {
  size_t i = 0;
  while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ') ++i;
  return s.substr(i);
}

String TrimRight(const String& s) {
  size_t n = s.size();
  while (n > 0 && static_cast<unsigned char>(s[n - 1]) <= ' ') --n;
  return s.substr(0, n);
}

String Trim(const String& s) { return TrimLeft(TrimRight(s)); }

String UpperCase(const String& s) {
  String r = s;
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return r;
}

String LowerCase(const String& s) {
  String r = s;
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return r;
}

int CompareText(const String& a, const String& b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 32);
    if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 32);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int CompareStr(const String& a, const String& b) {
  const int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

bool SameText(const String& a, const String& b) {
  return a.size() == b.size() && CompareText(a, b) == 0;
}

namespace {

// Decodes one UTF-8 sequence. A byte that does not start a valid sequence
// stands for itself (as 0xDC00 + byte), so 8-bit text still compares apart.
char32_t NextCodePoint(const String& s, size_t& i) {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  const int n = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
  if (n == 0) {
    ++i;
    return c;
  }
  if (n < 0 || i + static_cast<size_t>(n) >= s.size()) {
    ++i;
    return 0xDC00 + c;
  }
  char32_t cp = c & (0x3F >> n);
  for (int k = 1; k <= n; ++k) {
    const unsigned char t = static_cast<unsigned char>(s[i + static_cast<size_t>(k)]);
    if ((t & 0xC0) != 0x80) {
      ++i;
      return 0xDC00 + c;
    }
    cp = (cp << 6) | (t & 0x3F);
  }
  i += static_cast<size_t>(n) + 1;
  return cp;
}

locale_t Utf8Locale() {
  static locale_t loc = [] {
    locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (!l) l = newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(nullptr));
    return l;
  }();
  return loc;
}

}  // namespace

namespace {

// The base letter of a Latin letter with a diacritic (lower case), so that
// names sort as a reader expects: "Eagle" < "Éclair" < "Fig".
char32_t BaseLetter(char32_t c) {
  static const char kLatin1[] =  // U+00C0..U+00FF
      "aaaaaaaceeeeiiii"
      "dnooooo*ouuuuyts"
      "aaaaaaaceeeeiiii"
      "dnooooo/ouuuuyty";
  static const char kExtendedA[] =  // U+0100..U+017F
      "aaaaaaccccccccdd"
      "ddeeeeeeeeeegggg"
      "gggghhhhiiiiiiii"
      "iiiijjkkklllllll"
      "lllnnnnnnnnnoooo"
      "oooorrrrrrssssss"
      "ssttttttuuuuuuuu"
      "uuuuwwyyyzzzzzzs";
  if (c >= 0xC0 && c <= 0xFF && c != 0xD7 && c != 0xF7) return static_cast<char32_t>(kLatin1[c - 0xC0]);
  if (c >= 0x100 && c <= 0x17F) return static_cast<char32_t>(kExtendedA[c - 0x100]);
  return c;
}

int CompareFolded(const String& a, const String& b, bool baseLetters) {
  size_t i = 0, j = 0;
  const locale_t loc = Utf8Locale();
  while (i < a.size() && j < b.size()) {
    char32_t x = static_cast<char32_t>(towlower_l(static_cast<wint_t>(NextCodePoint(a, i)), loc));
    char32_t y = static_cast<char32_t>(towlower_l(static_cast<wint_t>(NextCodePoint(b, j)), loc));
    if (baseLetters) {
      x = BaseLetter(x);
      y = BaseLetter(y);
    }
    if (x != y) return x < y ? -1 : 1;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

}  // namespace

int AnsiCompareText(const String& a, const String& b) {
  // Letters first by their base letter, then accents decide; case never does.
  const int primary = CompareFolded(a, b, true);
  return primary != 0 ? primary : CompareFolded(a, b, false);
}

bool AnsiSameText(const String& a, const String& b) { return AnsiCompareText(a, b) == 0; }

namespace {
// The length of the line break at S[I], 0 when there is none.
size_t LineBreakAt(const String& S, size_t I) {
  const char c = S[I];
  if (c == '\r' || c == '\n' || c == '\v' || c == '\f') return 1;
  if (c == '\xE2' && I + 2 < S.size() && S[I + 1] == '\x80' && (S[I + 2] == '\xA8' || S[I + 2] == '\xA9'))
    return 3;
  return 0;
}
}  // namespace

bool HasLineBreak(const String& S) {
  for (size_t i = 0; i < S.size(); ++i)
    if (LineBreakAt(S, i)) return true;
  return false;
}

String OneLine(const String& S) {
  if (!HasLineBreak(S)) return S;
  auto trim = [](String& t) {
    while (!t.empty() && (t.back() == ' ' || t.back() == '\t')) t.pop_back();
  };
  String out;
  bool broken = false;
  for (size_t i = 0; i < S.size();) {
    if (const size_t n = LineBreakAt(S, i)) {
      broken = true;
      i += n;
      continue;
    }
    const char c = S[i++];
    if (broken) {
      if (c == ' ' || c == '\t') continue;
      trim(out);
      if (!out.empty()) out += ' ';
      broken = false;
    }
    out += c;
  }
  if (broken) trim(out);
  return out;
}

String StringReplace(const String& s, const String& oldPattern, const String& newPattern,
                     int flags) {
  if (oldPattern.empty()) return s;
  const bool ignoreCase = (flags & rfIgnoreCase) != 0;
  const String hay = ignoreCase ? UpperCase(s) : s;
  const String needle = ignoreCase ? UpperCase(oldPattern) : oldPattern;
  String r;
  size_t pos = 0;
  while (true) {
    const size_t f = hay.find(needle, pos);
    if (f == String::npos) break;
    r.append(s, pos, f - pos);
    r += newPattern;
    pos = f + needle.size();
    if (!(flags & rfReplaceAll)) break;
  }
  r.append(s, pos, String::npos);
  return r;
}

String QuotedStr(const String& s) { return "'" + StringReplace(s, "'", "''", rfReplaceAll) + "'"; }

// ---------------------------------------------------------------------------
// Files

bool FileExists(const String& path) {
  std::error_code ec;
  return !path.empty() && fs::is_regular_file(fs::u8path(path), ec);
}

bool DirectoryExists(const String& path) {
  std::error_code ec;
  return !path.empty() && fs::is_directory(fs::u8path(path), ec);
}

bool ForceDirectories(const String& path) {
  if (path.empty()) return false;
  std::error_code ec;
  const fs::path p = fs::u8path(ExcludeTrailingPathDelimiter(path));
  if (fs::is_directory(p, ec)) return true;
  fs::create_directories(p, ec);
  return fs::is_directory(p, ec);
}

bool CreateDir(const String& path) {
  std::error_code ec;
  return !path.empty() && fs::create_directory(fs::u8path(path), ec);
}

bool RemoveDir(const String& path) {
  std::error_code ec;
  const fs::path p = fs::u8path(path);
  return fs::is_directory(p, ec) && fs::remove(p, ec);
}

bool DeleteFile(const String& path) {
  std::error_code ec;
  const fs::path p = fs::u8path(path);
  return !fs::is_directory(p, ec) && fs::remove(p, ec);
}

bool RenameFile(const String& oldName, const String& newName) {
  std::error_code ec;
  // Refuses to replace an existing target, like the platform call.
  if (fs::exists(fs::u8path(newName), ec)) return false;
  fs::rename(fs::u8path(oldName), fs::u8path(newName), ec);
  return !ec;
}

bool CopyDescriptor(int in, int out, const String& outName) {
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(in, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n == 0;
    for (ssize_t done = 0; done < n;) {
      const ssize_t w = ::write(out, buffer + done, static_cast<size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) {
        if (w < 0) TFileWriteWatch::Note(outName, errno);
        return false;
      }
      done += w;
    }
  }
}

bool CopyFile(const String& source, const String& target, bool failIfExists) {
  std::error_code ec;
  const fs::path src = fs::u8path(source);
  const fs::path dst = fs::u8path(target);
  if (!fs::is_regular_file(src, ec)) return false;
  if (failIfExists && fs::exists(dst, ec)) return false;
  if (fs::exists(dst, ec) && fs::equivalent(src, dst, ec)) return true;
  const int in = ::open(src.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat st {};
  if (in < 0 || ::fstat(in, &st) != 0) {
    if (in >= 0) ::close(in);
    return false;
  }
  static thread_local std::mt19937_64 rng{std::random_device{}()};
  fs::path tmp;
  int out = -1;
  for (int attempt = 0; attempt < 100 && out < 0; ++attempt) {
    tmp = dst.parent_path() / ("." + dst.filename().string() + ".tmp" + std::to_string(rng() % 1000000000));
    // The owner's alone until it has the source's permissions, given before
    // its first byte: a copy of a private file is never readable by others.
    out = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (out < 0 && errno != EEXIST) break;
  }
  bool ok = out >= 0 && ::fchmod(out, st.st_mode & 0777) == 0;
  ok = ok && CopyDescriptor(in, out, tmp.string());
  ::close(in);
  // Flushed to disk before the rename makes it the target.
  ok = ok && ::fsync(out) == 0;
  if (out >= 0 && ::close(out) != 0) ok = false;
  if (ok) {
    fs::rename(tmp, dst, ec);
    ok = !ec;
  }
  if (!ok && out >= 0) fs::remove(tmp, ec);
  return ok;
}

bool FileIsReadOnly(const String& path) {
  return FileExists(path) && ::access(path.c_str(), W_OK) != 0;
}

String FileWriteReason(const String& path, int error) {
  std::error_code ec;
  fs::path folder = fs::absolute(fs::u8path(path), ec).parent_path();
  if (ec) folder = fs::u8path(path).parent_path();
  const String where = folder.string();
  const String system = std::strerror(error);
  switch (error) {
    case ENOENT: {
      // The nearest missing folder is the one to name.
      fs::path missing = folder;
      while (missing.has_parent_path() && missing.parent_path() != missing &&
             !fs::exists(missing.parent_path(), ec))
        missing = missing.parent_path();
      return "the folder " + missing.string() + " does not exist (" + system + ")";
    }
    case ENOTDIR: return "a part of the folder " + where + " is a file, not a folder (" + system + ")";
    case EACCES:
    case EPERM: return "there is no permission to write in the folder " + where + " (" + system + ")";
    case EROFS: return "the folder " + where + " lies on a read-only file system (" + system + ")";
    case ENOSPC:
    case EDQUOT: return "the disk holding " + where + " is full (" + system + ")";
    case EISDIR: return "a folder has that name (" + system + ")";
    case ENAMETOOLONG: return "the name is too long (" + system + ")";
    default: return system;
  }
}

String FileWriteProblem(const String& path) {
  std::error_code ec;
  const fs::path target = fs::u8path(path);
  if (fs::is_directory(target, ec)) return FileWriteReason(path, EISDIR);
  fs::path folder = fs::absolute(target, ec).parent_path();
  if (ec) folder = target.parent_path();
  std::string trial = (folder / ".qy-write-XXXXXX").string();
  const int fd = ::mkstemp(trial.data());
  if (fd < 0) return FileWriteReason(path, errno);
  // An empty file fits on a full disk; a block of content does not (the
  // file system tells only when it is written out).
  static const char block[4096] = {};
  int error = 0;
  if (::write(fd, block, sizeof block) != static_cast<ssize_t>(sizeof block) || ::fsync(fd) != 0) error = errno;
  ::close(fd);
  ::unlink(trial.c_str());
  return error == ENOSPC || error == EDQUOT ? FileWriteReason(path, error) : String();
}

String SaveTargetOf(const String& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
  std::error_code ec;
  const fs::path real = fs::weakly_canonical(fs::absolute(fs::u8path(path), ec), ec);
  return ec ? path : real.string();
}

unsigned ReplacementMode(const String& target) {
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return st.st_mode & 0777;
  return 0666 & ~ProcessUmask();
}

unsigned ProcessUmask() {
  // Read where the system tells it: setting it to learn it would leave every
  // file another thread makes meanwhile open to all.
  if (FILE* f = std::fopen("/proc/self/status", "re")) {
    char line[256];
    unsigned mask = 0;
    bool found = false;
    while (!found && std::fgets(line, sizeof line, f)) found = std::sscanf(line, "Umask: %o", &mask) == 1;
    std::fclose(f);
    if (found) return mask & 0777;
  }
  const mode_t mask = ::umask(077);
  ::umask(mask);
  return mask & 0777;
}

String FileNotWrittenText(const String& path, const String& reason) {
  return "The file " + path + " could not be written: " + reason + ".";
}

namespace {
thread_local TFileWriteWatch* CurrentWriteWatch = nullptr;
}  // namespace

TFileWriteWatch::TFileWriteWatch() : FOuter(CurrentWriteWatch) { CurrentWriteWatch = this; }

TFileWriteWatch::~TFileWriteWatch() { CurrentWriteWatch = FOuter; }

void TFileWriteWatch::Note(const String& path, int error) {
  TFileWriteWatch* w = CurrentWriteWatch;
  if (!w || w->FError != 0 || error == 0) return;
  w->FError = error;
  w->FPath = path;
}

Int64 FileSizeOf(const String& path) {
  std::error_code ec;
  const auto n = fs::file_size(fs::u8path(path), ec);
  return ec ? -1 : static_cast<Int64>(n);
}

String ExtractFilePath(const String& path) {
  const size_t p = path.rfind(PathDelim);
  return p == String::npos ? String() : path.substr(0, p + 1);
}

String ExtractFileDir(const String& path) {
  const size_t p = path.rfind(PathDelim);
  if (p == String::npos) return String();
  if (p == 0) return "/";
  return path.substr(0, p);
}

String ExtractFileName(const String& path) {
  const size_t p = path.rfind(PathDelim);
  return p == String::npos ? path : path.substr(p + 1);
}

String ExtractFileExt(const String& path) {
  const size_t d = path.rfind('.');
  const size_t p = path.rfind(PathDelim);
  if (d == String::npos || (p != String::npos && d < p)) return String();
  return path.substr(d);
}

String ChangeFileExt(const String& path, const String& ext) {
  const size_t d = path.rfind('.');
  const size_t p = path.rfind(PathDelim);
  if (d == String::npos || (p != String::npos && d < p)) return path + ext;
  return path.substr(0, d) + ext;
}

String IncludeTrailingPathDelimiter(const String& path) {
  if (!path.empty() && path.back() == PathDelim) return path;
  return path + PathDelim;
}

String ExcludeTrailingPathDelimiter(const String& path) {
  String r = path;
  while (r.size() > 1 && r.back() == PathDelim) r.pop_back();
  return r;
}

// ---------------------------------------------------------------------------
// Format

namespace {

constexpr int kMaxWidth = 1 << 16;  // hostile widths do not allocate gigabytes

size_t Utf8Length(const String& s) {
  size_t n = 0;
  for (unsigned char c : s)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

String Utf8Prefix(const String& s, size_t chars) {
  size_t n = 0;
  for (size_t i = 0; i < s.size(); ++i) {
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
      if (n == chars) return s.substr(0, i);
      ++n;
    }
  }
  return s;
}

String HexText(uint64_t v, int minDigits) {
  String r = IntToHex(static_cast<Int64>(v), 1);
  while (static_cast<int>(r.size()) < minDigits) r.insert(r.begin(), '0');
  return r;
}

String ZeroPadded(const String& digits, bool negative, int prec) {
  String d = digits;
  while (static_cast<int>(d.size()) < prec) d.insert(d.begin(), '0');
  return negative ? "-" + d : d;
}

}  // namespace

String Format(const String& fmt, std::initializer_list<TVarRec> args) {
  return Format(fmt, std::vector<TVarRec>(args), FormatSettings);
}

String Format(const String& fmt, const std::vector<TVarRec>& args) {
  return Format(fmt, args, FormatSettings);
}

String Format(const String& fmt, const std::vector<TVarRec>& args, const TFormatSettings& fs) {
  String out;
  out.reserve(fmt.size() + 16);
  size_t argIndex = 0;
  size_t i = 0;
  const size_t n = fmt.size();
  while (i < n) {
    const size_t pct = fmt.find('%', i);
    if (pct == String::npos) {
      out.append(fmt, i, String::npos);
      break;
    }
    out.append(fmt, i, pct - i);
    i = pct + 1;
    if (i >= n) {
      out.push_back('%');
      break;
    }
    if (fmt[i] == '%') {
      out.push_back('%');
      ++i;
      continue;
    }
    const size_t start = pct;
    bool ok = true;
    // A number or "*" (taken from the argument list); -1 when absent.
    auto readNumber = [&](int& value) {
      value = -1;
      if (i < n && fmt[i] == '*') {
        ++i;
        if (argIndex < args.size() && args[argIndex].Kind == TVarRec::vkInteger) {
          value = static_cast<int>(std::clamp<Int64>(args[argIndex].I, 0, kMaxWidth));
          ++argIndex;
        } else {
          ok = false;
        }
        return;
      }
      if (i < n && fmt[i] >= '0' && fmt[i] <= '9') {
        Int64 v = 0;
        while (i < n && fmt[i] >= '0' && fmt[i] <= '9') {
          v = std::min<Int64>(v * 10 + (fmt[i] - '0'), 1 << 30);
          ++i;
        }
        value = static_cast<int>(v);
      }
    };
    int number = -1;
    readNumber(number);
    if (ok && i < n && fmt[i] == ':') {
      ++i;
      if (number < 0) {
        ok = false;
      } else {
        argIndex = static_cast<size_t>(number);
      }
      number = -1;
    }
    bool left = false;
    int width = number;
    if (ok && width < 0) {
      if (i < n && fmt[i] == '-') {
        left = true;
        ++i;
      }
      readNumber(width);
    }
    int prec = -1;
    if (ok && i < n && fmt[i] == '.') {
      ++i;
      readNumber(prec);
      if (prec < 0) prec = 0;
    }
    if (!ok || i >= n) {
      // Malformed or cut short: the rest of the specifier is plain text.
      i = std::min(n, i);
      out.append(fmt, start, i - start);
      if (!ok) continue;
      break;
    }
    width = std::min(width, kMaxWidth);
    prec = std::min(prec, kMaxWidth);
    const char type = static_cast<char>(std::tolower(static_cast<unsigned char>(fmt[i])));
    ++i;
    const TVarRec* arg = argIndex < args.size() ? &args[argIndex] : nullptr;
    String text;
    bool done = arg != nullptr;
    if (arg) {
      const bool isInt = arg->Kind == TVarRec::vkInteger || arg->Kind == TVarRec::vkUnsigned ||
                         arg->Kind == TVarRec::vkBoolean;
      const bool isNum = isInt || arg->Kind == TVarRec::vkFloat;
      switch (type) {
        case 'd':
          if (!isInt) {
            done = false;
          } else if (arg->Kind == TVarRec::vkUnsigned) {
            text = ZeroPadded(std::to_string(arg->U), false, prec);
          } else {
            const uint64_t mag = arg->I < 0 ? 0 - static_cast<uint64_t>(arg->I)
                                            : static_cast<uint64_t>(arg->I);
            text = ZeroPadded(std::to_string(mag), arg->I < 0, prec);
          }
          break;
        case 'u':
          if (!isInt) {
            done = false;
          } else {
            uint64_t v = arg->Kind == TVarRec::vkUnsigned ? arg->U : static_cast<uint64_t>(arg->I);
            if (arg->Kind != TVarRec::vkUnsigned && arg->I < 0 && arg->I >= INT32_MIN)
              v = static_cast<uint32_t>(arg->I);
            text = ZeroPadded(std::to_string(v), false, prec);
          }
          break;
        case 'x':
          if (!isInt && arg->Kind != TVarRec::vkPointer) {
            done = false;
          } else {
            uint64_t v = arg->Kind == TVarRec::vkUnsigned || arg->Kind == TVarRec::vkPointer
                             ? arg->U
                             : static_cast<uint64_t>(arg->I);
            if (arg->Kind == TVarRec::vkInteger && arg->I < 0 && arg->I >= INT32_MIN)
              v = static_cast<uint32_t>(arg->I);
            text = HexText(v, prec);
          }
          break;
        case 'p':
          if (arg->Kind != TVarRec::vkPointer) {
            done = false;
          } else {
            text = HexText(arg->U, 16);
          }
          break;
        case 'e':
        case 'f':
        case 'g':
        case 'n':
        case 'm': {
          if (!isNum) {
            done = false;
            break;
          }
          const double v = arg->Kind == TVarRec::vkFloat      ? arg->F
                           : arg->Kind == TVarRec::vkUnsigned ? static_cast<double>(arg->U)
                                                              : static_cast<double>(arg->I);
          const int p = std::min(prec, 400);
          if (type == 'e') text = FloatToStrFS(v, ffExponent, p < 0 ? 15 : std::max(p, 1), 3, fs);
          if (type == 'f') text = FloatToStrFS(v, ffFixed, 17, p < 0 ? 2 : p, fs);
          if (type == 'g') text = FloatToStrFS(v, ffGeneral, p < 0 ? 15 : std::max(p, 1), 3, fs);
          if (type == 'n') text = FloatToStrFS(v, ffNumber, 17, p < 0 ? 2 : p, fs);
          if (type == 'm')
            text = FloatToStrFS(v, ffCurrency, 17, p < 0 ? fs.CurrencyDecimals : p, fs);
          break;
        }
        case 's':
          switch (arg->Kind) {
            case TVarRec::vkString:
            case TVarRec::vkChar:
              text = arg->S;
              break;
            case TVarRec::vkInteger:
              text = std::to_string(arg->I);
              break;
            case TVarRec::vkUnsigned:
              text = std::to_string(arg->U);
              break;
            case TVarRec::vkBoolean:
              text = arg->I ? "True" : "False";
              break;
            case TVarRec::vkFloat:
              text = GeneralText(arg->F, 15, 0, fs);
              break;
            case TVarRec::vkPointer:
              done = false;
              break;
          }
          if (done && prec >= 0) text = Utf8Prefix(text, static_cast<size_t>(prec));
          break;
        default:
          done = false;
          break;
      }
    }
    if (!done) {
      out.append(fmt, start, i - start);
      continue;
    }
    ++argIndex;
    const size_t len = Utf8Length(text);
    if (width > 0 && len < static_cast<size_t>(width)) {
      const String pad(static_cast<size_t>(width) - len, ' ');
      text = left ? text + pad : pad + text;
    }
    out += text;
  }
  return out;
}

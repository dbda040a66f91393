#pragma once
// Exceptions and the small run-time helpers the libraries share.
#include "platform/base/Types.h"

#include <array>
#include <exception>
#include <initializer_list>
#include <string>
#include <vector>

// Base of every exception the system raises: a UTF-8 message and the class
// name that error displays show.
class Exception : public std::exception {
public:
  explicit Exception(String message) : Message(std::move(message)) {}
  ~Exception() override = default;
  const char* what() const noexcept override { return Message.c_str(); }
  virtual const char* ClassName() const { return "Exception"; }

  String Message;
};

#define QY_DECLARE_EXCEPTION(Name, Base)                          \
  class Name : public Base {                                      \
  public:                                                         \
    using Base::Base;                                             \
    const char* ClassName() const override { return #Name; }      \
  }

QY_DECLARE_EXCEPTION(EConvertError, Exception);
QY_DECLARE_EXCEPTION(EStreamError, Exception);
QY_DECLARE_EXCEPTION(EReadError, EStreamError);
QY_DECLARE_EXCEPTION(EWriteError, EStreamError);
QY_DECLARE_EXCEPTION(EFOpenError, EStreamError);
QY_DECLARE_EXCEPTION(EFCreateError, EStreamError);
QY_DECLARE_EXCEPTION(EListError, Exception);
QY_DECLARE_EXCEPTION(EStringListError, EListError);
QY_DECLARE_EXCEPTION(EIntOverflow, Exception);
QY_DECLARE_EXCEPTION(EInvalidOperation, Exception);
QY_DECLARE_EXCEPTION(EInvalidGraphic, Exception);
QY_DECLARE_EXCEPTION(EOutOfResources, Exception);
QY_DECLARE_EXCEPTION(EAbort, Exception);
QY_DECLARE_EXCEPTION(EComponentError, Exception);
QY_DECLARE_EXCEPTION(EInOutError, Exception);

// The silent exception: unwinds an operation without an error display.
[[noreturn]] void Abort();

// (a * b) / c rounded to the nearest integer, halves away from zero, with a
// 64-bit intermediate; -1 when c is 0.
Integer MulDiv(Integer a, Integer b, Integer c);

// ---------------------------------------------------------------------------
// Locale settings for number and date text. English defaults; nothing is
// taken from the user's locale unless the program sets it here.
struct TFormatSettings {
  char DecimalSeparator = '.';
  char ThousandSeparator = ',';
  char DateSeparator = '/';
  char TimeSeparator = ':';
  String ShortDateFormat = "m/d/yyyy";
  String LongDateFormat = "dddd, mmmm d, yyyy";
  String ShortTimeFormat = "h:nn AMPM";
  String LongTimeFormat = "h:nn:ss AMPM";
  String TimeAMString = "AM";
  String TimePMString = "PM";
  String CurrencyString = "$";
  Byte CurrencyDecimals = 2;
  std::array<String, 12> ShortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::array<String, 12> LongMonthNames{"January", "February", "March",     "April",
                                        "May",     "June",     "July",      "August",
                                        "September", "October", "November", "December"};
  // Index 0 is Sunday.
  std::array<String, 7> ShortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  std::array<String, 7> LongDayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};
};

// The process-wide settings (GUI thread). Functions without a settings
// argument use these.
extern TFormatSettings FormatSettings;

// ---------------------------------------------------------------------------
// Integer and Boolean conversions. Integer text: optional blanks, a sign, then
// decimal digits, or hexadecimal after "$", "0x" or "0X".
String IntToStr(Int64 value);
// At least `digits` upper-case hexadecimal digits; negative values show their
// two's complement (64-bit).
String IntToHex(Int64 value, int digits);
// Raises EConvertError "'x' is not a valid integer value".
Integer StrToInt(const String& s);
Int64 StrToInt64(const String& s);
Integer StrToIntDef(const String& s, Integer def);
Int64 StrToInt64Def(const String& s, Int64 def);
bool TryStrToInt(const String& s, Integer& value);
bool TryStrToInt64(const String& s, Int64& value);

// "True"/"False" (any case) or a number (0 is false). Raises EConvertError
// "'x' is not a valid boolean value".
bool StrToBool(const String& s);
bool StrToBoolDef(const String& s, bool def);
bool TryStrToBool(const String& s, bool& value);
// "-1"/"0", or "True"/"False" with useBoolStrs.
String BoolToStr(bool b, bool useBoolStrs = false);

// Floats use FormatSettings.DecimalSeparator. Raises EConvertError
// "'x' is not a valid floating point value".
double StrToFloat(const String& s);
double StrToFloatDef(const String& s, double def);
bool TryStrToFloat(const String& s, double& value);
// General format, 15 significant digits, no exponent unless needed ("0.1",
// "1E-5", "1.5E20").
String FloatToStr(double value);

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };
// precision = significant digits; digits = decimals (ffFixed, ffNumber,
// ffCurrency) or minimum exponent digits (ffExponent). ffNumber adds
// thousands separators.
String FloatToStrF(double value, TFloatFormat format, int precision, int digits);

// ---------------------------------------------------------------------------
// Text helpers (bytes; case mapping of ASCII letters only).
String Trim(const String& s);       // drops characters <= ' ' at both ends
String TrimLeft(const String& s);
String TrimRight(const String& s);
String UpperCase(const String& s);
String LowerCase(const String& s);
// ASCII case-insensitive comparison: <0, 0, >0.
int CompareText(const String& a, const String& b);
int CompareStr(const String& a, const String& b);
bool SameText(const String& a, const String& b);
// UTF-8 text compared without case over the whole of Unicode (simple case
// folding), for names shown to the user. Latin letters with accents sort
// with their base letter ("e" < "\u00E9" < "f") but are not equal to it.
int AnsiCompareText(const String& a, const String& b);
bool AnsiSameText(const String& a, const String& b);
// True when S holds a line break (CR, LF, VT, FF, or U+2028/U+2029 in UTF-8).
bool HasLineBreak(const String& S);
// S on one line: each run of line breaks becomes one space, and the blanks
// beside a break go with it.
String OneLine(const String& S);

enum TReplaceFlag { rfReplaceAll = 1, rfIgnoreCase = 2 };
String StringReplace(const String& s, const String& oldPattern, const String& newPattern,
                     int flags);
// 'text' with inner quotes doubled.
String QuotedStr(const String& s);

// ---------------------------------------------------------------------------
// Files. Paths are UTF-8 with "/" as the delimiter.
constexpr char PathDelim = '/';
bool FileExists(const String& path);       // a file, not a folder
bool DirectoryExists(const String& path);
bool ForceDirectories(const String& path);  // creates every missing level
bool CreateDir(const String& path);        // one level
bool RemoveDir(const String& path);        // an empty folder
bool DeleteFile(const String& path);
bool RenameFile(const String& oldName, const String& newName);
// Copies through a temporary file in the target folder that is renamed into
// place, so the target is either the old or the complete new file. With
// failIfExists, an existing target is left alone and false returned.
bool CopyFile(const String& source, const String& target, bool failIfExists);
// Copies what is left of `in` to `out` (named outName for the failure a
// TFileWriteWatch keeps); false on a read or write error.
bool CopyDescriptor(int in, int out, const String& outName);
bool FileIsReadOnly(const String& path);
Int64 FileSizeOf(const String& path);  // -1 when missing
// Why the file could not be written, for the user, from the system's error
// (errno) of making it: "the folder /home/ann/ex does not exist (No such
// file or directory)".
String FileWriteReason(const String& path, int error);
// Why no file of that name can be made now, found by making a trial file
// beside it; empty when one can (the failure lay elsewhere).
String FileWriteProblem(const String& path);
// "The file /home/ann/ex/a.rtf could not be written: " and the reason.
String FileNotWrittenText(const String& path, const String& reason);

// While one lives, the first file write on its thread that fails (a write,
// flush, close, creation or rename) is kept with what the system reported:
// a failed save names that cause instead of one guessed afterwards (a
// trial file may fit where the copy did not).
class TFileWriteWatch {
public:
  TFileWriteWatch();
  ~TFileWriteWatch();
  TFileWriteWatch(const TFileWriteWatch&) = delete;
  TFileWriteWatch& operator=(const TFileWriteWatch&) = delete;
  int Error() const { return FError; }
  const String& Path() const { return FPath; }  // the file the failing call was on
  // The writers' note of a failure; nothing when no watch lives.
  static void Note(const String& path, int error);

private:
  TFileWriteWatch* FOuter;
  int FError = 0;
  String FPath;
};

String ExtractFilePath(const String& path);  // "a/b/" of "a/b/c.txt"
String ExtractFileDir(const String& path);   // "a/b"
String ExtractFileName(const String& path);  // "c.txt"
String ExtractFileExt(const String& path);   // ".txt", "" without an extension
String ChangeFileExt(const String& path, const String& ext);  // ext with its dot
String IncludeTrailingPathDelimiter(const String& path);
String ExcludeTrailingPathDelimiter(const String& path);

// ---------------------------------------------------------------------------
// Format: the class library's formatter, made safe for patterns that come
// from data. Specifiers: "%" [index ":"] ["-"] [width] ["." precision] type,
// with type d u x X e f g n m s p and "%%"; width and precision may be "*".
// It never throws and never hands the pattern to printf: a specifier that
// is malformed, lacks an argument, or does not suit its argument is copied
// to the output as written; a lone "%" stays "%".
class TVarRec {
public:
  enum TKind { vkInteger, vkUnsigned, vkFloat, vkString, vkChar, vkBoolean, vkPointer };
  TVarRec(int v) : Kind(vkInteger), I(v) {}
  TVarRec(long v) : Kind(vkInteger), I(v) {}
  TVarRec(long long v) : Kind(vkInteger), I(v) {}
  TVarRec(unsigned v) : Kind(vkUnsigned), U(v) {}
  TVarRec(unsigned long v) : Kind(vkUnsigned), U(v) {}
  TVarRec(unsigned long long v) : Kind(vkUnsigned), U(v) {}
  TVarRec(double v) : Kind(vkFloat), F(v) {}
  TVarRec(float v) : Kind(vkFloat), F(v) {}
  TVarRec(bool v) : Kind(vkBoolean), I(v ? 1 : 0) {}
  TVarRec(char v) : Kind(vkChar), S(1, v) {}
  TVarRec(const char* v) : Kind(vkString), S(v ? v : "") {}
  TVarRec(String v) : Kind(vkString), S(std::move(v)) {}
  TVarRec(const void* v) : Kind(vkPointer), U(reinterpret_cast<uintptr_t>(v)) {}

  TKind Kind;
  Int64 I = 0;
  uint64_t U = 0;
  double F = 0;
  String S;
};

String Format(const String& fmt, std::initializer_list<TVarRec> args);
String Format(const String& fmt, const std::vector<TVarRec>& args);
String Format(const String& fmt, const std::vector<TVarRec>& args,
              const TFormatSettings& settings);

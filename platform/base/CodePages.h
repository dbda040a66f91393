#pragma once
// Code pages: 8-bit text in a Windows code page to and from UTF-16, UTF-8
// to and from UTF-16, font charsets to code pages, and case mapping that
// keeps the length of the text.
//
// The "system" 8-bit code page is 1252, fixed: it never comes from the
// user's locale. Conversions never fail: an unknown code page converts as
// the system one, a byte without a character gives "?", a character the code
// page lacks gives "?".
#include "platform/base/Types.h"

// Font charset bytes.
constexpr Byte ANSI_CHARSET = 0;
constexpr Byte DEFAULT_CHARSET = 1;
constexpr Byte SYMBOL_CHARSET = 2;
constexpr Byte MAC_CHARSET = 77;
constexpr Byte SHIFTJIS_CHARSET = 128;
constexpr Byte HANGEUL_CHARSET = 129;
constexpr Byte JOHAB_CHARSET = 130;
constexpr Byte GB2312_CHARSET = 134;
constexpr Byte CHINESEBIG5_CHARSET = 136;
constexpr Byte GREEK_CHARSET = 161;
constexpr Byte TURKISH_CHARSET = 162;
constexpr Byte VIETNAMESE_CHARSET = 163;
constexpr Byte HEBREW_CHARSET = 177;
constexpr Byte ARABIC_CHARSET = 178;
constexpr Byte BALTIC_CHARSET = 186;
constexpr Byte RUSSIAN_CHARSET = 204;
constexpr Byte THAI_CHARSET = 222;
constexpr Byte EASTEUROPE_CHARSET = 238;
constexpr Byte OEM_CHARSET = 255;
using TFontCharset = Byte;

// Pseudo code pages.
constexpr Cardinal CP_ACP = 0;    // the system code page (1252)
constexpr Cardinal CP_OEMCP = 1;  // the OEM code page (437)
constexpr Cardinal CP_MACCP = 2;  // Mac Roman (10000)
constexpr Cardinal CP_THREAD_ACP = 3;
constexpr Cardinal CP_UTF8 = 65001;

// 0 ANSI 1252; 1 DEFAULT and 2 SYMBOL 0; 77 MAC 2; 128 932; 129 949;
// 130 1361; 134 936; 136 950; 161 1253; 162 1254; 163 1258; 177 1255;
// 178 1256; 186 1257; 204 1251; 222 874; 238 1250; 255 OEM 1; others 0.
Cardinal CharsetToCodePage(TFontCharset Charset);

Cardinal GetACP();    // 1252
Cardinal GetOEMCP();  // 437
// The real code page a pseudo one stands for (0 → 1252, 1 → 437, 2 → 10000).
Cardinal ResolveCodePage(Cardinal CodePage);
// True for the code pages this layer converts: 874, 1250-1258, 437, 850,
// 10000, 932, 936, 949, 950, 1361, 65001 and the pseudo ones.
bool IsValidCodePage(Cardinal CodePage);
// True for the double-byte code pages (932, 936, 949, 950, 1361).
bool IsDBCSCodePage(Cardinal CodePage);
// True when B starts a two-byte character in CodePage.
bool IsDBCSLeadByte(Byte B, Cardinal CodePage);

// 8-bit text in CodePage to UTF-16. Bytes that have no character become
// "?"; 0x80-0x9F bytes that the code page leaves undefined stand for the
// control characters of the same value, as on the platform the files come
// from. An invalid code page converts as 1252.
WideString AnsiToWide(const AnsiString& S, Cardinal CodePage);
// UTF-16 to 8-bit text in CodePage; each character the code page lacks
// becomes one "?" (a surrogate pair counts as one character).
AnsiString WideToAnsi(const WideString& W, Cardinal CodePage);
// Same, telling whether every character had its own byte(s).
AnsiString WideToAnsi(const WideString& W, Cardinal CodePage, bool& Lossless);

// UTF-8 and UTF-16. Malformed UTF-8 gives U+FFFD per bad byte; an unpaired
// surrogate gives U+FFFD.
WideString Utf8ToWide(const String& S);
String WideToUtf8(const WideString& W);
String AnsiToUtf8(const AnsiString& S, Cardinal CodePage);
AnsiString Utf8ToAnsi(const String& S, Cardinal CodePage);
// True when S is well-formed UTF-8 (plain ASCII is).
bool IsUtf8(const String& S);

// UTF-16 code units as little-endian bytes, and back (an odd last byte is
// dropped).
AnsiString WideToRawUnicode(const WideString& W);
WideString RawUnicodeToWide(const AnsiString& S);

// Case mapping over the whole of Unicode that never changes the length:
// characters whose upper (lower) case would change the length ("ß") stay.
WideString WideUpperCase(const WideString& W);
WideString WideLowerCase(const WideString& W);
// 8-bit text upper-cased through its code page, byte length kept: a letter
// whose capital the code page lacks stays as it is; in double-byte code
// pages only single-byte letters change.
AnsiString AnsiUpperCase(const AnsiString& S, Cardinal CodePage = CP_ACP);
AnsiString AnsiLowerCase(const AnsiString& S, Cardinal CodePage = CP_ACP);

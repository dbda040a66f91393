#pragma once
// Counter texts of numbered list levels: decimal, letters and Roman numerals,
// and the marker text made from a level's format string.
#include "richtext/model/VLStyle.h"

#include <array>

// Roman numerals are written up to this value, larger counters in decimal.
inline constexpr Integer VLMaxRomanCounter = 4999;
// The longest marker text made from a format string; a format from a file
// may place the counter a thousand times.
inline constexpr size_t VLMaxMarkerTextLength = 256;

// Letters: 1 = a, 26 = z, 27 = aa; empty below 1.
AnsiString VLAlphaCounter(Integer value, bool upper);
// Roman numerals up to VLMaxRomanCounter, decimal above; "?" below 1.
AnsiString VLRomanCounter(Integer value, bool upper);
// The counter in the numbering of a list type; empty for the types that show
// no number.
AnsiString VLCounterText(Integer value, TVLListType listType);

// The marker texts of the levels 0..255 that a format string can place.
using TVLLevelTexts = std::array<AnsiString, 256>;
// The format string with "%s" (or "%n:s") replaced by the level texts; any
// other specifier is copied as written, so a format from a file cannot fail.
AnsiString VLFormatMarkerText(const AnsiString& formatString, const TVLLevelTexts& levels);

// Bullets of the symbol fonts ("Symbol", "Wingdings") are bytes that name the
// font's own glyphs, not characters of the code page: 0xB7 is the Symbol
// bullet, which the code page reads as a middle dot. Where that font is
// missing, the glyph is shown by its Unicode character instead.
struct TVLSymbolFontChar {
  unsigned char Code;
  char16_t Unicode;
  const char* Readable;  // plain-text form; nullptr keeps the byte
};
// The table entry of a byte in a font; nullptr for other fonts and bytes.
const TVLSymbolFontChar* VLFindSymbolFontChar(const String& fontName, unsigned char code);
// A level's marker text as drawn: table bytes of a symbol font as their
// Unicode characters, everything else through the code page.
WideString VLMarkerDisplayText(const AnsiString& text, const String& fontName, Cardinal codePage);
// The marker text as plain text: table bytes of a symbol font with a
// readable form as that form ("*", "=>").
AnsiString VLMarkerReadableText(const AnsiString& text, const String& fontName);

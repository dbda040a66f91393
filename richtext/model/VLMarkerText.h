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

// Text in the symbol fonts ("Symbol", "Wingdings") holds the font's own
// codes, not characters of the code page: 0xB7 is the Symbol bullet, which
// the code page reads as a middle dot. The text of an item (raw UTF-16 or
// bytes of codePage) as the characters it shows, through the one mapping
// of those fonts; other fonts' text as it is.
WideString VLSymbolFontText(const AnsiString& raw, bool unicode, const String& fontName, Cardinal codePage);
// A level's marker text as drawn: the codes of a symbol font as the
// characters they show, everything else through the code page.
WideString VLMarkerDisplayText(const AnsiString& text, const String& fontName, Cardinal codePage);
// The marker text as plain 8-bit text: the Symbol font's bullets and arrows
// as "*", "=>" and the like.
AnsiString VLMarkerReadableText(const AnsiString& text, const String& fontName);

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

#pragma once
// The 8-bit encoding of the Symbol font and its Unicode twins. Documents
// written for that font carry its codes (bytes 0x20..0xFE, or the same codes
// at U+F020..U+F0FE); the face fontconfig substitutes may be a real symbol
// face, which takes the codes, or an ordinary Unicode face, which needs the
// twins.
#include <cstddef>

// The Unicode character that the Symbol font shows at code (0x20..0xFF),
// 0 when the code is unassigned or has no Unicode twin.
char16_t SymbolCodeToUnicode(unsigned code);
// The Symbol code that shows ch, 0 when none.
unsigned UnicodeToSymbolCode(char16_t ch);
// The Unicode character of the Wingdings codes that lists and office
// documents use as bullets (circles, squares, diamonds, arrows, check
// marks, boxes); 0 for the others.
char16_t WingdingsCodeToUnicode(unsigned code);
// A code of a Symbol or Wingdings font, as itself (0x20..0xFF) or in the
// private-use range U+F020..U+F0FF (office suites write both), as the
// Unicode character it shows; 0 when the font is neither, the character is
// outside those ranges, or it has no known equivalent. FontName is compared
// without regard to case.
char16_t SymbolFontCharToUnicode(const char* FontName, char16_t Ch);
// What text in a Symbol or Wingdings font keeps for a private-use unit
// U+F020..U+F0FF: the character the font shows there, except that where the
// Symbol font shows a Latin-1 character other than the code ("®" at 0xD2)
// the code itself is kept, since in that font the units below 0x100 are its
// codes. 0 when the font is neither or the code has no equivalent.
char16_t SymbolFontPrivateUseToText(const char* FontName, char16_t Ch);
// Which of the fonts whose codes SymbolFontCharToUnicode knows FontName
// is, compared without regard to case.
enum class TSymbolCodeFont { None, Symbol, Wingdings };
TSymbolCodeFont SymbolCodeFontOf(const char* FontName);

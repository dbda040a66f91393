#pragma once
// The 8-bit encoding of the Symbol font and its Unicode twins. Documents
// written for that font carry its codes (bytes 0x20..0xFE, or the same codes
// at U+F020..U+F0FE); the face fontconfig substitutes may be a real symbol
// face, which takes the codes, or an ordinary Unicode face, which needs the
// twins.
#include <cstddef>
#include <string>

// The Unicode character that the Symbol font shows at code (0x20..0xFF),
// 0 when the code is unassigned or has no Unicode twin.
char16_t SymbolCodeToUnicode(unsigned code);
// The Symbol code that shows ch, 0 when none.
unsigned UnicodeToSymbolCode(char16_t ch);
// The Unicode character that the Wingdings font shows at code (0x20..0xFF),
// 0 where Unicode has none. Many lie beyond the Basic Multilingual Plane.
char32_t WingdingsCodeToUnicode(unsigned code);
// A code of a Symbol or Wingdings font, as itself (0x20..0xFF) or in the
// private-use range U+F020..U+F0FF (office suites write both), as the
// Unicode character it shows; 0 when the font is neither, the character is
// outside those ranges, or it has no known equivalent. FontName is compared
// without regard to case.
char32_t SymbolFontCharToUnicode(const char* FontName, char16_t Ch);
// Text in these fonts holds the font's codes: units below 0x100 (or bytes)
// and their private-use forms; other units are the characters they are.
// This is what such text shows, as Unicode characters: the one mapping that
// the view, the text, web page and RTF writers and list markers share.
// Text of other fonts is returned as it is.
std::u16string SymbolFontTextShown(const char* FontName, const std::u16string& text);
// What text in such a font keeps for a character named by its Unicode value
// (RTF's \u, a paste): in the Symbol font the code that shows it ("®" is
// 0xD2, a private-use unit its code), since there units below 0x100 are
// codes; in Wingdings a private-use unit as the character it shows. A
// private-use unit of a code that shows nothing, other characters and other
// fonts keep Ch.
char32_t SymbolFontUnicodeToText(const char* FontName, char16_t Ch);
// Which of the fonts whose codes SymbolFontCharToUnicode knows FontName
// is, compared without regard to case.
enum class TSymbolCodeFont { None, Symbol, Wingdings };
TSymbolCodeFont SymbolCodeFontOf(const char* FontName);

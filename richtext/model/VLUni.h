#pragma once
// Text primitives that treat 8-bit item text and raw UTF-16LE item text
// (two bytes per unit, kept in an AnsiString) alike. The item option value 8
// says which form a text has.
#include "platform/base/CodePages.h"
#include "richtext/model/VLClasses.h"

#include <vector>

class TCanvas;
class TFontInfo;

// The Unicode bit of an item's options.
inline constexpr Byte vlioUnicodeBit = 8;
inline bool IsUnicodeOptions(Byte itemOptions) { return (itemOptions & vlioUnicodeBit) != 0; }

// The wide-character paths of the platform are always there.
inline constexpr bool VLNT = true;

// ---------------------------------------------------------------------------
// By-character operations (1-based indexes; a character is a byte, or a
// 16-bit unit for Unicode text). Raw Unicode of odd byte length raises
// "Can't perform Unicode operation"; positions outside the text are clamped
// as the platform's Copy/Delete/Insert clamp them.
Integer TextLength(const AnsiString& s, Byte itemOptions);
AnsiString TextCopy(const AnsiString& s, Integer start, Integer count, Byte itemOptions);
void TextDelete(AnsiString& s, Integer index, Integer count, Byte itemOptions);
void TextInsert(const AnsiString& sub, AnsiString& s, Integer index, Byte itemOptions);
// False for an index outside the text.
bool IsSpaceAt(const AnsiString& s, Integer index, Byte itemOptions);

void WideStringToRawUnicode(const WideString& w, AnsiString& s);
AnsiString WideStringToRawUnicode(const WideString& w);
// The UTF-16 units of raw Unicode text (odd length raises).
WideString RawUnicodeToWideString(const AnsiString& s);
void SwapByteOrder(char16_t* buffer, Integer count);
const char16_t* StrScanW(const char16_t* p, char16_t ch, Integer count);
void CheckUnicodeByteLength(size_t length);
// Replaces every occurrence of oldText, searching again from the start after
// each replacement (from after it when newText holds oldText, which would
// otherwise never end).
void ReplaceAll(AnsiString& s, const AnsiString& oldText, const AnsiString& newText);

// ---------------------------------------------------------------------------
// Measuring and drawing through the canvas contract.
Integer TextWidth(const AnsiString& s, TCanvas* canvas, Byte itemOptions);
// How many characters fit into maxExtent; when dx is given it receives the
// cumulative extent of each prefix.
void GetTextExtentExPoint(TCanvas* canvas, const AnsiString& s, Integer maxExtent,
                          Byte itemOptions, std::vector<Integer>* dx, Integer& fit);
// The same for a text given by its first byte and its length in characters.
void GetTextExtentExPointPtr(TCanvas* canvas, const char* p, Integer length, Integer maxExtent,
                             Byte itemOptions, std::vector<Integer>* dx, Integer& fit);
// Caret x positions of a text (one more than characters); false when the
// characters cannot be placed.
bool GetCaretPositions(TCanvas* canvas, const AnsiString& s, std::vector<Integer>& positions,
                       Byte itemOptions);
// Draws characters from..to (1-based, logical) of s at their placed positions.
bool TextOutPlaced(TCanvas* canvas, Integer x, Integer y, const AnsiString& s, Byte itemOptions,
                   Integer from, Integer to, Integer height);
bool TryTextOutPlaced(bool enabled, TCanvas* canvas, Integer x, Integer y, const AnsiString& s,
                      Byte itemOptions, Integer from, Integer to, Integer height);

// ---------------------------------------------------------------------------
// Code pages and languages (CharsetToCodePage comes from CodePages.h).
Word CharsetToLanguage(Byte charset);
void AnsiToRawUnicode(Cardinal codePage, const AnsiString& s, AnsiString& r);
AnsiString AnsiToRawUnicode(const AnsiString& s, Cardinal codePage);
void RawUnicodeToAnsi(Cardinal codePage, const AnsiString& s, AnsiString& r);
AnsiString RawUnicodeToAnsi(const AnsiString& s, Cardinal codePage);
Cardinal GetKeyboardCodePage();
void KeyboardAnsiToRawUnicode(const AnsiString& s, AnsiString& r);

// ---------------------------------------------------------------------------
// HTML output of raw Unicode.
void RawUnicodeToHTML(const AnsiString& s, bool nbspIfEmpty, bool specialCode, AnsiString& r);
void CharToHTML(char ch, bool& prevSpace, bool specialCode, AnsiString& r, bool isLast);

// Item text as UTF-16: raw Unicode as it is, 8-bit text through the code page.
WideString VLTextToWide(const AnsiString& s, Byte itemOptions, Cardinal codePage);
// Upper-cased item text (raw Unicode, or 8-bit text in the code page).
AnsiString VLUpperCase(const AnsiString& s, Byte itemOptions, Cardinal codePage);

// Upper-cases the text when the style shows all capitals.
void ApplyAllCaps(const AnsiString& s, const TFontInfo& textStyle, AnsiString& r);
// 3 empty, 0 odd size, 1 UTF-16, 2 8-bit, 4 unreadable.
Integer GuessTextFileEncoding(const String& fileName);

inline Cardinal MakeLangId(Word primary, Word sub) {
  return (static_cast<Cardinal>(sub) << 10) | primary;
}
inline Cardinal MakeLcid(Cardinal langId, Word sort) {
  return (static_cast<Cardinal>(sort) << 16) | langId;
}
inline Cardinal LanguageToLocale(Word lang) { return MakeLcid(MakeLangId(lang, 1), 0); }

// ---------------------------------------------------------------------------
// Character steps inside an item's text (offsets 1..length+1): a base
// character with its combining marks, and a surrogate pair, count as one.
Integer GetNextCharOffset(const AnsiString& text, Byte itemOptions, Integer offset);
Integer GetPrevCharOffset(const AnsiString& text, Byte itemOptions, Integer offset);
bool IsCombiningMark(char16_t ch);
// Whether the character at the 1-based index is a word delimiter: a byte in
// delimiters, or a UTF-16 unit below 256 whose byte is in delimiters.
bool IsDelimiterA(char ch, const AnsiString& delimiters);
bool IsDelimiterW(char16_t ch, const AnsiString& delimiters);
bool IsDelimiterAt(const AnsiString& text, Integer index, Byte itemOptions,
                   const AnsiString& delimiters);

// ---------------------------------------------------------------------------
// Line breaking in UTF-16 text.
enum TVLLineBreakClass : Byte {
  lbOP, lbCL, lbQU, lbGL, lbNS, lbEX, lbSY, lbIS, lbPR, lbPO,
  lbNU, lbAL, lbID, lbIN, lbHY, lbBA, lbBB, lbB2, lbZW, lbCM
};
TVLLineBreakClass GetLineBreakClass(char16_t ch);
// pos is the 0-based index of the character that does not fit; the answer
// points at the character after which the line breaks, nullptr when there is
// no opportunity before pos.
const char16_t* FindLineBreak(const char16_t* p, Integer pos);
// Whether a line may break between two adjacent characters (at a space, or
// where the classes allow a direct break).
bool IsLineBreakBetween(char16_t before, char16_t after);

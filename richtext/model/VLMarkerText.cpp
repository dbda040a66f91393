#include "richtext/model/VLMarkerText.h"

#include "platform/base/SysUtils.h"
#include "platform/gui/SymbolEncoding.h"
#include "richtext/model/VLUni.h"

#include <cctype>

AnsiString VLAlphaCounter(Integer value, bool upper) {
  AnsiString r;
  const char base = upper ? 'A' : 'a';
  int64_t v = value;
  while (v >= 1) {
    r.insert(r.begin(), static_cast<char>(base + (v - 1) % 26));
    v = (v - 1) / 26;
  }
  return r;
}

AnsiString VLRomanCounter(Integer value, bool upper) {
  if (value < 1) return "?";
  // Past a few thousand a numeral is a row of M's that nobody reads; a
  // counter from a file could ask for millions of them.
  if (value > VLMaxRomanCounter) return std::to_string(value);
  static const struct {
    Integer Value;
    const char* Text;
  } Table[] = {{1000, "M"}, {900, "CM"}, {500, "D"}, {400, "CD"}, {100, "C"}, {90, "XC"}, {50, "L"},
               {40, "XL"},  {10, "X"},   {9, "IX"},   {5, "V"},    {4, "IV"},   {1, "I"}};
  AnsiString r;
  Integer v = value;
  for (const auto& e : Table)
    while (v >= e.Value) {
      r += e.Text;
      v -= e.Value;
    }
  if (!upper)
    for (char& c : r) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return r;
}

AnsiString VLCounterText(Integer value, TVLListType listType) {
  switch (listType) {
    case vllstDecimal:
    case vllstImageListCounter: return std::to_string(value);
    case vllstLowerAlpha: return VLAlphaCounter(value, false);
    case vllstUpperAlpha: return VLAlphaCounter(value, true);
    case vllstLowerRoman: return VLRomanCounter(value, false);
    case vllstUpperRoman: return VLRomanCounter(value, true);
    default: return {};
  }
}

AnsiString VLFormatMarkerText(const AnsiString& formatString, const TVLLevelTexts& levels) {
  // Only string arguments exist here: "%s" takes the next level, "%n:s" level
  // n (and moves the next one after it), "%%" is a percent sign.
  AnsiString r;
  size_t next = 0;
  const size_t n = formatString.size();
  for (size_t i = 0; i < n && r.size() < VLMaxMarkerTextLength; ++i) {
    char c = formatString[i];
    if (c != '%' || i + 1 >= n) {
      r += c;
      continue;
    }
    if (formatString[i + 1] == '%') {
      r += '%';
      ++i;
      continue;
    }
    size_t j = i + 1;
    size_t index = next;
    if (std::isdigit(static_cast<unsigned char>(formatString[j]))) {
      size_t k = j;
      size_t v = 0;
      while (k < n && std::isdigit(static_cast<unsigned char>(formatString[k])) && v < 100000)
        v = v * 10 + static_cast<size_t>(formatString[k++] - '0');
      if (k < n && formatString[k] == ':') {
        index = v;
        j = k + 1;
      }
    }
    if (j < n && (formatString[j] == 's' || formatString[j] == 'S') && index < levels.size()) {
      r += levels[index];
      next = index + 1;
      i = j;
      continue;
    }
    r += c;  // not a specifier we fill: copied as written
  }
  if (r.size() > VLMaxMarkerTextLength) r.resize(VLMaxMarkerTextLength);
  return r;
}

namespace {

// Plain 8-bit forms of the Symbol font's bullets and arrows, what plain text
// has always written for them; what they show comes from the shared table.
struct TReadable {
  unsigned char Code;
  const char* Text;
};
constexpr TReadable SymbolReadable[] = {
    {0xA7, "*"},  {0xA8, "*"},  {0xA9, "*"},   {0xAA, "*"}, {0xAB, "<->"}, {0xAC, "<-"}, {0xAE, "->"},
    {0xB7, "*"},  {0xD7, "*"},  {0xDB, "<=>"}, {0xDC, "<="}, {0xDE, "=>"}, {0xE0, "*"},
};

}  // namespace

WideString VLSymbolFontText(const AnsiString& raw, bool unicode, const String& fontName, Cardinal codePage) {
  if (unicode) return SymbolFontTextShown(fontName.c_str(), RawUnicodeToWideString(raw));
  if (SymbolCodeFontOf(fontName.c_str()) == TSymbolCodeFont::None)
    return RawUnicodeToWideString(AnsiToRawUnicode(raw, codePage));
  // Bytes are the font's codes; one it does not show goes through the code
  // page.
  const WideString viaPage = RawUnicodeToWideString(AnsiToRawUnicode(raw, codePage));
  const bool single = viaPage.size() == raw.size();
  WideString units;
  for (size_t i = 0; i < raw.size(); ++i) {
    const auto b = static_cast<unsigned char>(raw[i]);
    units += SymbolFontCharToUnicode(fontName.c_str(), b) || !single ? static_cast<char16_t>(b) : viaPage[i];
  }
  return SymbolFontTextShown(fontName.c_str(), units);
}

WideString VLMarkerDisplayText(const AnsiString& text, const String& fontName, Cardinal codePage) {
  return VLSymbolFontText(text, false, fontName, codePage);
}

AnsiString VLMarkerReadableText(const AnsiString& text, const String& fontName) {
  if (SymbolCodeFontOf(fontName.c_str()) != TSymbolCodeFont::Symbol) return text;
  AnsiString r;
  for (char ch : text) {
    const TReadable* found = nullptr;
    for (const TReadable& c : SymbolReadable)
      if (c.Code == static_cast<unsigned char>(ch)) found = &c;
    if (found) r += found->Text;
    else r += ch;
  }
  return r;
}

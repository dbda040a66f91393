#include "richtext/model/VLMarkerText.h"

#include "platform/base/SysUtils.h"
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

// Symbol: the readable forms are what plain text has always written.
constexpr TVLSymbolFontChar SymbolChars[] = {
    {0xA7, u'\u2663', "*"},   {0xA8, u'\u2666', "*"},  {0xA9, u'\u2665', "*"},   {0xAA, u'\u2660', "*"},
    {0xAB, u'\u2194', "<->"}, {0xAC, u'\u2190', "<-"}, {0xAD, u'\u2191', nullptr}, {0xAE, u'\u2192', "->"},
    {0xAF, u'\u2193', nullptr}, {0xB7, u'\u2022', "*"}, {0xD7, u'\u22C5', "*"},  {0xDB, u'\u21D4', "<=>"},
    {0xDC, u'\u21D0', "<="},  {0xDE, u'\u21D2', "=>"}, {0xE0, u'\u25CA', "*"},
};
// Wingdings: the bullets that lists use.
constexpr TVLSymbolFontChar WingdingsChars[] = {
    {0x6C, u'\u25CF', nullptr}, {0x6E, u'\u25A0', nullptr}, {0x71, u'\u2751', nullptr},
    {0x75, u'\u25C6', nullptr}, {0x76, u'\u2756', nullptr}, {0xA7, u'\u25AA', nullptr},
    {0xA8, u'\u25FB', nullptr}, {0xD8, u'\u27A2', nullptr}, {0xFC, u'\u2713', nullptr},
};

template <size_t N>
const TVLSymbolFontChar* Find(const TVLSymbolFontChar (&table)[N], unsigned char code) {
  for (const TVLSymbolFontChar& c : table)
    if (c.Code == code) return &c;
  return nullptr;
}

}  // namespace

const TVLSymbolFontChar* VLFindSymbolFontChar(const String& fontName, unsigned char code) {
  if (SameText(fontName, "Symbol")) return Find(SymbolChars, code);
  if (SameText(fontName, "Wingdings")) return Find(WingdingsChars, code);
  return nullptr;
}

WideString VLMarkerDisplayText(const AnsiString& text, const String& fontName, Cardinal codePage) {
  WideString r;
  AnsiString run;  // bytes that go through the code page
  auto flush = [&] {
    if (run.empty()) return;
    r += RawUnicodeToWideString(AnsiToRawUnicode(run, codePage));
    run.clear();
  };
  for (char ch : text) {
    if (const TVLSymbolFontChar* c = VLFindSymbolFontChar(fontName, static_cast<unsigned char>(ch))) {
      flush();
      r += c->Unicode;
    } else {
      run += ch;
    }
  }
  flush();
  return r;
}

AnsiString VLMarkerReadableText(const AnsiString& text, const String& fontName) {
  AnsiString r;
  for (char ch : text) {
    const TVLSymbolFontChar* c = VLFindSymbolFontChar(fontName, static_cast<unsigned char>(ch));
    if (c && c->Readable) r += c->Readable;
    else r += ch;
  }
  return r;
}

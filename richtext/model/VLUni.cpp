#include "richtext/model/VLUni.h"

#include "platform/base/CodePages.h"
#include "platform/base/Streams.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Clamps a 1-based (index, count) pair to the n characters of a text, the
// way the platform's Copy does; answers 0-based start and length.
void ClampRange(Integer n, Integer index, Integer count, Integer& start, Integer& len) {
  if (index < 1) index = 1;
  start = index - 1;
  if (start > n) start = n;
  if (count < 0) count = 0;
  len = std::min<Int64>(count, n - start);
}

}  // namespace

// ---------------------------------------------------------------------------
void CheckUnicodeByteLength(size_t length) {
  if (length % 2 != 0) throw EVellumError(errVLUnicode);
}

Integer TextLength(const AnsiString& s, Byte itemOptions) {
  if (!IsUnicodeOptions(itemOptions)) return static_cast<Integer>(s.size());
  CheckUnicodeByteLength(s.size());
  return static_cast<Integer>(s.size() / 2);
}

AnsiString TextCopy(const AnsiString& s, Integer start, Integer count, Byte itemOptions) {
  Integer n = TextLength(s, itemOptions);
  Integer from, len;
  ClampRange(n, start, count, from, len);
  if (len <= 0) return AnsiString();
  if (IsUnicodeOptions(itemOptions)) return s.substr(size_t(from) * 2, size_t(len) * 2);
  return s.substr(size_t(from), size_t(len));
}

void TextDelete(AnsiString& s, Integer index, Integer count, Byte itemOptions) {
  Integer n = TextLength(s, itemOptions);
  if (index < 1 || index > n || count <= 0) return;
  Integer from, len;
  ClampRange(n, index, count, from, len);
  if (IsUnicodeOptions(itemOptions))
    s.erase(size_t(from) * 2, size_t(len) * 2);
  else
    s.erase(size_t(from), size_t(len));
}

void TextInsert(const AnsiString& sub, AnsiString& s, Integer index, Byte itemOptions) {
  Integer n = TextLength(s, itemOptions);
  if (IsUnicodeOptions(itemOptions)) CheckUnicodeByteLength(sub.size());
  if (index < 1) index = 1;
  if (index > n + 1) index = n + 1;
  size_t at = size_t(index - 1) * (IsUnicodeOptions(itemOptions) ? 2 : 1);
  s.insert(at, sub);
}

bool IsSpaceAt(const AnsiString& s, Integer index, Byte itemOptions) {
  Integer n = TextLength(s, itemOptions);
  if (index < 1 || index > n) return false;
  if (IsUnicodeOptions(itemOptions)) {
    size_t i = size_t(index - 1) * 2;
    return s[i] == ' ' && s[i + 1] == 0;
  }
  return s[size_t(index - 1)] == ' ';
}

void WideStringToRawUnicode(const WideString& w, AnsiString& s) {
  s.resize(w.size() * 2);
  for (size_t i = 0; i < w.size(); ++i) {
    s[2 * i] = static_cast<char>(w[i] & 0xFF);
    s[2 * i + 1] = static_cast<char>(w[i] >> 8);
  }
}

AnsiString WideStringToRawUnicode(const WideString& w) {
  AnsiString s;
  WideStringToRawUnicode(w, s);
  return s;
}

WideString RawUnicodeToWideString(const AnsiString& s) {
  CheckUnicodeByteLength(s.size());
  WideString w(s.size() / 2, u'\0');
  for (size_t i = 0; i < w.size(); ++i)
    w[i] = static_cast<char16_t>(static_cast<Byte>(s[2 * i]) |
                                 (static_cast<Byte>(s[2 * i + 1]) << 8));
  return w;
}

void SwapByteOrder(char16_t* buffer, Integer count) {
  for (Integer i = 0; i < count; ++i)
    buffer[i] = static_cast<char16_t>((buffer[i] >> 8) | ((buffer[i] & 0xFF) << 8));
}

const char16_t* StrScanW(const char16_t* p, char16_t ch, Integer count) {
  if (!p) return nullptr;
  for (Integer i = 0; i < count; ++i)
    if (p[i] == ch) return p + i;
  return nullptr;
}

void ReplaceAll(AnsiString& s, const AnsiString& oldText, const AnsiString& newText) {
  if (oldText.empty()) return;
  const bool restart = newText.find(oldText) == AnsiString::npos;
  size_t from = 0;
  for (;;) {
    size_t at = s.find(oldText, restart ? 0 : from);
    if (at == AnsiString::npos) return;
    s.replace(at, oldText.size(), newText);
    from = at + newText.size();
  }
}

// ---------------------------------------------------------------------------
Word CharsetToLanguage(Byte charset) {
  switch (charset) {
    case 0: return 1033;
    case 128: return 1041;
    case 129: return 1042;
    case 130: return 2066;
    case 134: return 2052;
    case 136: return 1028;
    case 161: return 1032;
    case 162: return 1055;
    case 163: return 1066;
    case 177: return 1037;
    case 204: return 1049;
    case 222: return 1054;
    default: return 1024;
  }
}

// ---------------------------------------------------------------------------
void CharToHTML(char ch, bool& prevSpace, bool specialCode, AnsiString& r, bool isLast) {
  if (specialCode) {
    r = AnsiString(1, ch);
    prevSpace = false;
    return;
  }
  switch (ch) {
    case '&': r = "&amp;"; break;
    case '<': r = "&lt;"; break;
    case '>': r = "&gt;"; break;
    case ' ':
      if (!prevSpace && !isLast) {
        r = " ";
        prevSpace = true;
        return;
      }
      r = "&nbsp;";
      break;
    default: r = AnsiString(1, ch); break;
  }
  prevSpace = false;
}

void RawUnicodeToHTML(const AnsiString& s, bool nbspIfEmpty, bool specialCode, AnsiString& r) {
  WideString w = RawUnicodeToWideString(s);
  r.clear();
  bool prevSpace = true;
  AnsiString piece;
  for (size_t i = 0; i < w.size(); ++i) {
    char16_t u = w[i];
    if (u < 128) {
      CharToHTML(static_cast<char>(u), prevSpace, specialCode, piece, i + 1 == w.size());
      r += piece;
    } else {
      r += "&#" + IntToStr(u) + ";";
      prevSpace = false;
    }
  }
  if (nbspIfEmpty && r.empty()) r = "&nbsp;";
}

// ---------------------------------------------------------------------------
Integer GuessTextFileEncoding(const String& fileName) {
  // A named pipe or device is never opened to wait on it.
  const int fd = OpenRegularFile(fileName, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 4;
  struct stat st {};
  const off_t size = ::fstat(fd, &st) == 0 ? st.st_size : -1;
  std::string buf(static_cast<size_t>(std::clamp<off_t>(size, 0, 502)), '\0');
  const size_t got = ReadUpTo(fd, buf.data(), buf.size());
  ::close(fd);
  if (size < 0) return 4;
  if (size == 0) return 3;
  if (size % 2 != 0) return 0;
  if (got < buf.size()) return 4;
  const Word mark = static_cast<Word>(static_cast<unsigned char>(buf[0]) | (static_cast<unsigned char>(buf[1]) << 8));
  if (mark == 0xFEFF || mark == 0xFFFE) return 1;
  buf.erase(0, 2);
  return buf.find('\0') != std::string::npos ? 1 : 2;
}

// ---------------------------------------------------------------------------
// Line breaking.
namespace {

struct TLBRange {
  char16_t First, Last;
  TVLLineBreakClass Class;
};

// Ranges of the line-breaking property for the 16-bit characters, sorted;
// characters outside them are alphabetic.
constexpr TLBRange LBRanges[] = {
    {0x0000, 0x0008, lbCM}, {0x0009, 0x0009, lbBA}, {0x000A, 0x000D, lbBA},
    {0x000E, 0x001F, lbCM}, {0x0021, 0x0021, lbEX}, {0x0022, 0x0022, lbQU},
    {0x0024, 0x0024, lbPR}, {0x0025, 0x0025, lbPO}, {0x0027, 0x0027, lbQU},
    {0x0028, 0x0028, lbOP}, {0x0029, 0x0029, lbCL}, {0x002B, 0x002B, lbPR},
    {0x002C, 0x002C, lbIS}, {0x002D, 0x002D, lbHY}, {0x002E, 0x002E, lbIS},
    {0x002F, 0x002F, lbSY}, {0x0030, 0x0039, lbNU}, {0x003A, 0x003B, lbIS},
    {0x003F, 0x003F, lbEX}, {0x005B, 0x005B, lbOP}, {0x005C, 0x005C, lbPR},
    {0x005D, 0x005D, lbCL}, {0x007B, 0x007B, lbOP}, {0x007C, 0x007C, lbBA},
    {0x007D, 0x007D, lbCL}, {0x007F, 0x009F, lbCM}, {0x00A0, 0x00A0, lbGL},
    {0x00A1, 0x00A1, lbOP}, {0x00A2, 0x00A2, lbPO}, {0x00A3, 0x00A5, lbPR},
    {0x00AB, 0x00AB, lbQU}, {0x00AD, 0x00AD, lbBA}, {0x00B0, 0x00B0, lbPO},
    {0x00B1, 0x00B1, lbPR}, {0x00B4, 0x00B4, lbBB}, {0x00BB, 0x00BB, lbQU},
    {0x00BF, 0x00BF, lbOP}, {0x02C8, 0x02C8, lbBB}, {0x02CC, 0x02CC, lbBB},
    {0x0300, 0x036F, lbCM}, {0x0483, 0x0489, lbCM}, {0x0591, 0x05BD, lbCM},
    {0x05BE, 0x05BE, lbBA}, {0x05BF, 0x05BF, lbCM}, {0x05C1, 0x05C2, lbCM},
    {0x05C4, 0x05C5, lbCM}, {0x05C7, 0x05C7, lbCM}, {0x060C, 0x060C, lbIS},
    {0x061F, 0x061F, lbEX}, {0x064B, 0x065F, lbCM}, {0x0660, 0x0669, lbNU},
    {0x066A, 0x066A, lbPO}, {0x066B, 0x066C, lbNU}, {0x0670, 0x0670, lbCM},
    {0x06D6, 0x06E4, lbCM}, {0x06E7, 0x06E8, lbCM}, {0x06EA, 0x06ED, lbCM},
    {0x06F0, 0x06F9, lbNU}, {0x0901, 0x0903, lbCM}, {0x093C, 0x094D, lbCM},
    {0x0964, 0x0965, lbBA}, {0x0966, 0x096F, lbNU}, {0x0E31, 0x0E31, lbCM},
    {0x0E34, 0x0E3A, lbCM}, {0x0E3F, 0x0E3F, lbPR}, {0x0E47, 0x0E4E, lbCM},
    {0x0E50, 0x0E59, lbNU}, {0x0E5A, 0x0E5B, lbBA}, {0x1100, 0x115F, lbID},
    {0x1680, 0x1680, lbBA}, {0x17D4, 0x17D5, lbBA}, {0x1806, 0x1806, lbBB},
    {0x2000, 0x2006, lbBA}, {0x2007, 0x2007, lbGL}, {0x2008, 0x200A, lbBA},
    {0x200B, 0x200B, lbZW}, {0x200C, 0x200F, lbCM}, {0x2010, 0x2010, lbBA},
    {0x2011, 0x2011, lbGL}, {0x2012, 0x2013, lbBA}, {0x2014, 0x2014, lbB2},
    {0x2018, 0x2019, lbQU}, {0x201A, 0x201A, lbOP}, {0x201B, 0x201D, lbQU},
    {0x201E, 0x201E, lbOP}, {0x201F, 0x201F, lbQU}, {0x2024, 0x2026, lbIN},
    {0x2027, 0x2027, lbBA}, {0x202F, 0x202F, lbGL}, {0x2030, 0x2037, lbPO},
    {0x2039, 0x203A, lbQU}, {0x203C, 0x203C, lbNS}, {0x2044, 0x2044, lbIS},
    {0x2045, 0x2045, lbOP}, {0x2046, 0x2046, lbCL}, {0x207D, 0x207D, lbOP},
    {0x207E, 0x207E, lbCL}, {0x208D, 0x208D, lbOP}, {0x208E, 0x208E, lbCL},
    {0x20A0, 0x20CF, lbPR}, {0x20D0, 0x20FF, lbCM}, {0x2103, 0x2103, lbPO},
    {0x2109, 0x2109, lbPO}, {0x2116, 0x2116, lbPR}, {0x2212, 0x2213, lbPR},
    {0x2329, 0x2329, lbOP}, {0x232A, 0x232A, lbCL}, {0x2768, 0x2768, lbOP},
    {0x2769, 0x2769, lbCL}, {0x276A, 0x276A, lbOP}, {0x276B, 0x276B, lbCL},
    {0x276C, 0x276C, lbOP}, {0x276D, 0x276D, lbCL}, {0x276E, 0x276E, lbOP},
    {0x276F, 0x276F, lbCL}, {0x2770, 0x2770, lbOP}, {0x2771, 0x2771, lbCL},
    {0x2772, 0x2772, lbOP}, {0x2773, 0x2773, lbCL}, {0x2774, 0x2774, lbOP},
    {0x2775, 0x2775, lbCL}, {0x2E80, 0x2FFF, lbID}, {0x3000, 0x3000, lbID},
    {0x3001, 0x3002, lbCL}, {0x3003, 0x3007, lbID}, {0x3008, 0x3008, lbOP},
    {0x3009, 0x3009, lbCL}, {0x300A, 0x300A, lbOP}, {0x300B, 0x300B, lbCL},
    {0x300C, 0x300C, lbOP}, {0x300D, 0x300D, lbCL}, {0x300E, 0x300E, lbOP},
    {0x300F, 0x300F, lbCL}, {0x3010, 0x3010, lbOP}, {0x3011, 0x3011, lbCL},
    {0x3012, 0x3013, lbID}, {0x3014, 0x3014, lbOP}, {0x3015, 0x3015, lbCL},
    {0x3016, 0x3016, lbOP}, {0x3017, 0x3017, lbCL}, {0x3018, 0x3018, lbOP},
    {0x3019, 0x3019, lbCL}, {0x301A, 0x301A, lbOP}, {0x301B, 0x301B, lbCL},
    {0x301C, 0x301C, lbNS}, {0x301D, 0x301D, lbOP}, {0x301E, 0x301F, lbCL},
    {0x3020, 0x3029, lbID}, {0x302A, 0x302F, lbCM}, {0x3030, 0x303F, lbID},
    {0x3041, 0x3041, lbNS}, {0x3042, 0x3042, lbID}, {0x3043, 0x3043, lbNS},
    {0x3044, 0x3044, lbID}, {0x3045, 0x3045, lbNS}, {0x3046, 0x3046, lbID},
    {0x3047, 0x3047, lbNS}, {0x3048, 0x3048, lbID}, {0x3049, 0x3049, lbNS},
    {0x304A, 0x3062, lbID}, {0x3063, 0x3063, lbNS}, {0x3064, 0x3082, lbID},
    {0x3083, 0x3083, lbNS}, {0x3084, 0x3084, lbID}, {0x3085, 0x3085, lbNS},
    {0x3086, 0x3086, lbID}, {0x3087, 0x3087, lbNS}, {0x3088, 0x308D, lbID},
    {0x308E, 0x308E, lbNS}, {0x308F, 0x3094, lbID}, {0x3099, 0x309A, lbCM},
    {0x309B, 0x309E, lbNS}, {0x30A0, 0x30A0, lbNS}, {0x30A1, 0x30FA, lbID},
    {0x30FB, 0x30FB, lbNS}, {0x30FC, 0x30FC, lbNS}, {0x30FD, 0x30FE, lbNS},
    {0x30FF, 0x9FFF, lbID}, {0xA000, 0xA4CF, lbID}, {0xAC00, 0xD7A3, lbID},
    {0xF900, 0xFAFF, lbID}, {0xFB1E, 0xFB1E, lbCM}, {0xFD3E, 0xFD3E, lbOP},
    {0xFD3F, 0xFD3F, lbCL}, {0xFE00, 0xFE0F, lbCM}, {0xFE20, 0xFE2F, lbCM},
    {0xFE30, 0xFE34, lbID}, {0xFE35, 0xFE35, lbOP}, {0xFE36, 0xFE36, lbCL},
    {0xFE50, 0xFE50, lbCL}, {0xFE52, 0xFE52, lbCL}, {0xFE54, 0xFE55, lbNS},
    {0xFE56, 0xFE57, lbEX}, {0xFE59, 0xFE59, lbOP}, {0xFE5A, 0xFE5A, lbCL},
    {0xFEFF, 0xFEFF, lbGL}, {0xFF01, 0xFF01, lbEX}, {0xFF04, 0xFF04, lbPR},
    {0xFF05, 0xFF05, lbPO}, {0xFF08, 0xFF08, lbOP}, {0xFF09, 0xFF09, lbCL},
    {0xFF0C, 0xFF0C, lbCL}, {0xFF0E, 0xFF0E, lbCL}, {0xFF1A, 0xFF1B, lbNS},
    {0xFF1F, 0xFF1F, lbEX}, {0xFF3B, 0xFF3B, lbOP}, {0xFF3D, 0xFF3D, lbCL},
    {0xFF5B, 0xFF5B, lbOP}, {0xFF5D, 0xFF5D, lbCL}, {0xFF61, 0xFF61, lbCL},
    {0xFF62, 0xFF62, lbOP}, {0xFF63, 0xFF64, lbCL}, {0xFF65, 0xFF65, lbNS},
    {0xFF66, 0xFFDC, lbID}, {0xFFE0, 0xFFE0, lbPO}, {0xFFE1, 0xFFE1, lbPR},
    {0xFFE5, 0xFFE6, lbPR},
};

// Rows: the class before; columns: the class after. 0 break, 1 break only
// when a space follows, 2 no break.
constexpr Byte LBPairs[20][20] = {
    {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 1},
    {0, 2, 1, 1, 2, 2, 2, 2, 0, 1, 0, 0, 0, 0, 1, 1, 0, 0, 2, 1},
    {2, 2, 1, 1, 1, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 1},
    {1, 2, 1, 1, 1, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 1},
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 2, 1},
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 2, 1},
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 1, 0, 0, 0, 1, 1, 0, 0, 2, 1},
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 1, 0, 0, 0, 1, 1, 0, 0, 2, 1},
    {1, 2, 1, 1, 1, 2, 2, 2, 0, 0, 1, 1, 1, 0, 1, 1, 0, 0, 2, 1},
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 2, 1},
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 1, 1, 1, 0, 1, 1, 1, 0, 0, 2, 1},
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 1, 1, 0, 1, 1, 1, 0, 0, 2, 1},
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 1, 0, 0, 0, 1, 1, 1, 0, 0, 2, 1},
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 0, 0, 0, 1, 1, 1, 0, 0, 2, 1},
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 2, 1},
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 2, 1},
    {1, 2, 1, 1, 1, 2, 2, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 1},
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 0, 0, 0, 0, 1, 1, 0, 2, 2, 1},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 1},
    {0, 2, 1, 1, 1, 2, 2, 2, 0, 0, 1, 1, 0, 1, 1, 1, 0, 0, 2, 1},
};

}  // namespace

TVLLineBreakClass GetLineBreakClass(char16_t ch) {
  auto it = std::upper_bound(std::begin(LBRanges), std::end(LBRanges), ch,
                             [](char16_t c, const TLBRange& r) { return c < r.First; });
  if (it != std::begin(LBRanges)) {
    --it;
    if (ch >= it->First && ch <= it->Last) return it->Class;
  }
  return lbAL;
}

const char16_t* FindLineBreak(const char16_t* p, Integer pos) {
  if (!p || pos < 0) return nullptr;
  if (p[pos] == u' ') return p + pos;
  TVLLineBreakClass after = GetLineBreakClass(p[pos]);
  Integer j = pos - 1;
  for (; j >= 0; --j) {
    if (p[j] == u' ') continue;
    TVLLineBreakClass before = GetLineBreakClass(p[j]);
    Byte action = LBPairs[before][after];
    if (action == 1 && p[j + 1] != u' ') action = 2;
    if (action != 2) break;
    after = before;
  }
  if (j < 0) return nullptr;
  while (j + 1 <= pos - 1 && p[j + 1] == u' ') ++j;
  return p + j;
}

bool IsLineBreakBetween(char16_t before, char16_t after) {
  if (before == u' ' || after == u' ') return true;
  return LBPairs[GetLineBreakClass(before)][GetLineBreakClass(after)] == 0;
}

// ---------------------------------------------------------------------------
// Code-page conversions.
void AnsiToRawUnicode(Cardinal codePage, const AnsiString& s, AnsiString& r) {
  if (s.empty()) {
    r.clear();
    return;
  }
  // An unknown code page converts as the system one; a byte without a
  // character gives "?".
  if (!IsValidCodePage(codePage)) codePage = CP_ACP;
  r = WideToRawUnicode(AnsiToWide(s, codePage));
}

AnsiString AnsiToRawUnicode(const AnsiString& s, Cardinal codePage) {
  AnsiString r;
  AnsiToRawUnicode(codePage, s, r);
  return r;
}

void RawUnicodeToAnsi(Cardinal codePage, const AnsiString& s, AnsiString& r) {
  if (s.empty()) {
    r.clear();
    return;
  }
  CheckUnicodeByteLength(s.size());
  if (!IsValidCodePage(codePage)) codePage = CP_ACP;
  r = WideToAnsi(RawUnicodeToWideString(s), codePage);
}

AnsiString RawUnicodeToAnsi(const AnsiString& s, Cardinal codePage) {
  AnsiString r;
  RawUnicodeToAnsi(codePage, s, r);
  return r;
}

Cardinal GetKeyboardCodePage() { return GetACP(); }

void KeyboardAnsiToRawUnicode(const AnsiString& s, AnsiString& r) {
  AnsiToRawUnicode(GetKeyboardCodePage(), s, r);
}

WideString VLTextToWide(const AnsiString& s, Byte itemOptions, Cardinal codePage) {
  if (IsUnicodeOptions(itemOptions)) return RawUnicodeToWideString(s);
  if (!IsValidCodePage(codePage)) codePage = CP_ACP;
  return AnsiToWide(s, codePage);
}

AnsiString VLUpperCase(const AnsiString& s, Byte itemOptions, Cardinal codePage) {
  if (IsUnicodeOptions(itemOptions))
    return WideStringToRawUnicode(WideUpperCase(RawUnicodeToWideString(s)));
  if (!IsValidCodePage(codePage)) codePage = CP_ACP;
  return AnsiUpperCase(s, codePage);
}

// ---------------------------------------------------------------------------
// Character steps.
namespace {

struct TCharRange {
  char16_t First, Last;
};

// Combining marks (nonspacing, enclosing and spacing marks) of the 16-bit range.
constexpr TCharRange CombiningRanges[] = {
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x05BF, 0x05BF}, {0x05C1, 0x05C2},
    {0x05C4, 0x05C5}, {0x05C7, 0x05C7}, {0x0610, 0x061A}, {0x064B, 0x065F}, {0x0670, 0x0670},
    {0x06D6, 0x06DC}, {0x06DF, 0x06E4}, {0x06E7, 0x06E8}, {0x06EA, 0x06ED}, {0x0711, 0x0711},
    {0x0730, 0x074A}, {0x07A6, 0x07B0}, {0x0900, 0x0903}, {0x093A, 0x093C}, {0x093E, 0x094F},
    {0x0951, 0x0957}, {0x0962, 0x0963}, {0x0981, 0x0983}, {0x09BC, 0x09BC}, {0x09BE, 0x09CD},
    {0x0A01, 0x0A03}, {0x0A3C, 0x0A51}, {0x0A81, 0x0A83}, {0x0ABC, 0x0ACD}, {0x0B01, 0x0B03},
    {0x0B3C, 0x0B57}, {0x0BBE, 0x0BCD}, {0x0C00, 0x0C04}, {0x0C3E, 0x0C56}, {0x0CBC, 0x0CD6},
    {0x0D00, 0x0D03}, {0x0D3E, 0x0D4D}, {0x0E31, 0x0E31}, {0x0E34, 0x0E3A}, {0x0E47, 0x0E4E},
    {0x0EB1, 0x0EB1}, {0x0EB4, 0x0EBC}, {0x0EC8, 0x0ECD}, {0x0F18, 0x0F19}, {0x0F35, 0x0F39},
    {0x0F71, 0x0F84}, {0x102B, 0x103E}, {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF}, {0x200C, 0x200D},
    {0x20D0, 0x20FF}, {0x302A, 0x302F}, {0x3099, 0x309A}, {0xFB1E, 0xFB1E}, {0xFE00, 0xFE0F},
    {0xFE20, 0xFE2F},
};

bool IsHighSurrogate(char16_t ch) { return ch >= 0xD800 && ch <= 0xDBFF; }
bool IsLowSurrogate(char16_t ch) { return ch >= 0xDC00 && ch <= 0xDFFF; }

}  // namespace

bool IsCombiningMark(char16_t ch) {
  auto it = std::upper_bound(std::begin(CombiningRanges), std::end(CombiningRanges), ch,
                             [](char16_t c, const TCharRange& r) { return c < r.First; });
  return it != std::begin(CombiningRanges) && ch <= (it - 1)->Last;
}

Integer GetNextCharOffset(const AnsiString& text, Byte itemOptions, Integer offset) {
  if (!IsUnicodeOptions(itemOptions)) return offset + 1;
  WideString w = RawUnicodeToWideString(text);
  const Integer n = static_cast<Integer>(w.size());
  Integer i = offset - 1;  // 0-based index of the character at offset
  if (i < 0 || i >= n) return offset + 1;
  ++i;
  if (IsHighSurrogate(w[size_t(i - 1)]) && i < n && IsLowSurrogate(w[size_t(i)])) ++i;
  while (i < n && IsCombiningMark(w[size_t(i)])) ++i;
  return i + 1;
}

Integer GetPrevCharOffset(const AnsiString& text, Byte itemOptions, Integer offset) {
  if (!IsUnicodeOptions(itemOptions)) return offset - 1;
  WideString w = RawUnicodeToWideString(text);
  const Integer n = static_cast<Integer>(w.size());
  Integer i = offset - 1;  // the character before offset is at i - 1
  if (i <= 0 || i > n) return offset - 1;
  --i;
  while (i > 0 && IsCombiningMark(w[size_t(i)])) --i;
  if (i > 0 && IsLowSurrogate(w[size_t(i)]) && IsHighSurrogate(w[size_t(i - 1)])) --i;
  return i + 1;
}

bool IsDelimiterA(char ch, const AnsiString& delimiters) {
  return delimiters.find(ch) != AnsiString::npos;
}

bool IsDelimiterW(char16_t ch, const AnsiString& delimiters) {
  return ch < 256 && IsDelimiterA(static_cast<char>(ch), delimiters);
}

bool IsDelimiterAt(const AnsiString& text, Integer index, Byte itemOptions,
                   const AnsiString& delimiters) {
  if (index < 1 || index > TextLength(text, itemOptions)) return false;
  if (IsUnicodeOptions(itemOptions)) {
    size_t i = size_t(index - 1) * 2;
    char16_t ch = static_cast<char16_t>(static_cast<Byte>(text[i]) |
                                        (static_cast<Byte>(text[i + 1]) << 8));
    return IsDelimiterW(ch, delimiters);
  }
  return IsDelimiterA(text[size_t(index - 1)], delimiters);
}

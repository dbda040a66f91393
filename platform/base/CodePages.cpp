#include "platform/base/CodePages.h"

#include <iconv.h>
#include <locale.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cwctype>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace {

constexpr char16_t kNoChar = 0xFFFF;

const char* IconvName(Cardinal cp) {
  switch (cp) {
    case 874: return "CP874";
    case 1250: return "CP1250";
    case 1251: return "CP1251";
    case 1252: return "CP1252";
    case 1253: return "CP1253";
    case 1254: return "CP1254";
    case 1255: return "CP1255";
    case 1256: return "CP1256";
    case 1257: return "CP1257";
    case 1258: return "CP1258";
    case 437: return "CP437";
    case 850: return "CP850";
    case 10000: return "MACINTOSH";
    // Mac Japanese: Shift-JIS, with ASCII below 0x80 (see AnsiToWide) and
    // the Mac's own single bytes (ExtraSingleByte).
    case 10001: return "SHIFT_JIS";
    case 932: return "CP932";
    case 936: return "CP936";
    case 949: return "CP949";
    case 950: return "CP950";
    case 1361: return "JOHAB";
    default: return nullptr;
  }
}

// One direction of one code page through iconv, reset before each use.
class TIconv {
public:
  TIconv(const char* to, const char* from) : FCd(iconv_open(to, from)) {}
  ~TIconv() {
    if (Ok()) iconv_close(FCd);
  }
  TIconv(const TIconv&) = delete;
  TIconv& operator=(const TIconv&) = delete;
  bool Ok() const { return FCd != reinterpret_cast<iconv_t>(-1); }
  iconv_t Get() const { return FCd; }
  void Reset() { iconv(FCd, nullptr, nullptr, nullptr, nullptr); }

  // Converts the single byte b from a fresh state. Returns iconv's result
  // (errno tells why on failure) and, on success, the bytes produced
  // including any flushed state.
  size_t ConvertByte(int b, char (&out)[16], size_t& produced) {
    char in = static_cast<char>(b);
    char* ip = &in;
    size_t il = 1;
    char* op = out;
    size_t ol = sizeof out;
    Reset();
    const size_t r = iconv(FCd, &ip, &il, &op, &ol);
    if (r != static_cast<size_t>(-1)) iconv(FCd, nullptr, nullptr, &op, &ol);  // flush
    produced = sizeof out - ol;
    return r;
  }

private:
  iconv_t FCd;
};

// A single-byte code page as two tables built once from iconv.
struct TSingleByteTable {
  std::array<char16_t, 256> ToWide{};
  std::unordered_map<char16_t, Byte> FromWide;
};

struct TDoubleByteInfo {
  std::array<bool, 256> Lead{};
};

std::mutex gTablesMutex;

const TSingleByteTable* BuildSingleByteTable(Cardinal cp) {
  static std::map<Cardinal, std::unique_ptr<TSingleByteTable>> tables;
  std::lock_guard<std::mutex> lock(gTablesMutex);
  auto it = tables.find(cp);
  if (it != tables.end()) return it->second.get();
  const char* name = IconvName(cp);
  if (!name) return nullptr;
  TIconv cd("UTF-16LE", name);
  if (!cd.Ok()) return nullptr;
  auto t = std::make_unique<TSingleByteTable>();
  for (int b = 0; b < 256; ++b) {
    char out[16];
    size_t produced = 0;
    const size_t r = cd.ConvertByte(b, out, produced);
    char16_t ch = kNoChar;
    if (r != static_cast<size_t>(-1) && produced == 2) {
      ch = static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                                 (static_cast<unsigned char>(out[1]) << 8));
    } else if (b >= 0x80 && b <= 0x9F) {
      // Undefined in the code page (CP1252 0x81 0x8D 0x8F 0x90 0x9D, CP1251
      // 0x98, ...): the platform maps them to the C1 control of that value.
      ch = static_cast<char16_t>(b);
    }
    t->ToWide[static_cast<size_t>(b)] = ch;
    if (ch != kNoChar) t->FromWide.emplace(ch, static_cast<Byte>(b));
  }
  const TSingleByteTable* result = t.get();
  tables.emplace(cp, std::move(t));
  return result;
}

// Tables live for the whole run, so each thread keeps its own index of them
// and takes the lock only the first time it meets a code page.
const TSingleByteTable* SingleByteTable(Cardinal cp) {
  thread_local std::map<Cardinal, const TSingleByteTable*> seen;
  auto it = seen.find(cp);
  if (it != seen.end()) return it->second;
  const TSingleByteTable* t = BuildSingleByteTable(cp);
  seen.emplace(cp, t);
  return t;
}

const TDoubleByteInfo* DoubleByteInfo(Cardinal cp) {
  static std::map<Cardinal, std::unique_ptr<TDoubleByteInfo>> infos;
  std::lock_guard<std::mutex> lock(gTablesMutex);
  auto it = infos.find(cp);
  if (it != infos.end()) return it->second.get();
  const char* name = IconvName(cp);
  if (!name) return nullptr;
  TIconv cd("UTF-16LE", name);
  if (!cd.Ok()) return nullptr;
  auto info = std::make_unique<TDoubleByteInfo>();
  for (int b = 0x80; b < 256; ++b) {
    char out[16];
    size_t produced = 0;
    const size_t r = cd.ConvertByte(b, out, produced);
    // An incomplete sequence: the byte waits for a second one.
    info->Lead[static_cast<size_t>(b)] = r == static_cast<size_t>(-1) && errno == EINVAL;
  }
  const TDoubleByteInfo* result = info.get();
  infos.emplace(cp, std::move(info));
  return result;
}

// Per-thread converters for the double-byte code pages.
TIconv* ThreadConverter(Cardinal cp, bool toWide) {
  thread_local std::map<std::pair<Cardinal, bool>, std::unique_ptr<TIconv>> cache;
  auto key = std::make_pair(cp, toWide);
  auto it = cache.find(key);
  if (it == cache.end()) {
    const char* name = IconvName(cp);
    if (!name) return nullptr;
    auto cd = toWide ? std::make_unique<TIconv>("UTF-16LE", name)
                     : std::make_unique<TIconv>(name, "UTF-16LE");
    if (!cd->Ok()) return nullptr;
    it = cache.emplace(key, std::move(cd)).first;
  }
  it->second->Reset();
  return it->second.get();
}

// Single bytes of a double-byte code page that iconv's form of it lacks.
char16_t ExtraSingleByte(Cardinal cp, Byte b) {
  if (cp != 10001) return 0;
  switch (b) {
    case 0x80: return u'\\';
    case 0xA0: return 0x00A0;
    case 0xFD: return 0x00A9;
    case 0xFE: return 0x2122;
    case 0xFF: return 0x2026;
    default: return 0;
  }
}

WideString DoubleByteToWide(const AnsiString& s, TIconv& cd, Cardinal cp) {
  WideString r;
  r.reserve(s.size());
  char* ip = const_cast<char*>(s.data());
  size_t il = s.size();
  char buf[4096];
  while (il > 0) {
    char* op = buf;
    size_t ol = sizeof buf;
    const size_t rc = iconv(cd.Get(), &ip, &il, &op, &ol);
    const int err = rc == static_cast<size_t>(-1) ? errno : 0;
    const size_t produced = sizeof buf - ol;
    for (size_t k = 0; k + 1 < produced; k += 2)
      r.push_back(static_cast<char16_t>(static_cast<unsigned char>(buf[k]) |
                                        (static_cast<unsigned char>(buf[k + 1]) << 8)));
    if (err == E2BIG) continue;
    if (err == EILSEQ) {
      const char16_t extra = ExtraSingleByte(cp, static_cast<Byte>(*ip));
      r.push_back(extra ? extra : u'?');
      ++ip;
      --il;
      cd.Reset();
    } else if (err == EINVAL) {
      // Cut short at the end: one "?" per byte left.
      r.append(il, u'?');
      il = 0;
    } else if (err != 0) {
      break;
    }
  }
  return r;
}

AnsiString WideToDoubleByte(const WideString& w, TIconv& cd, bool& lossless) {
  AnsiString r;
  r.reserve(w.size() * 2);
  char* ip = reinterpret_cast<char*>(const_cast<char16_t*>(w.data()));
  size_t il = w.size() * 2;
  char buf[4096];
  while (il > 0) {
    char* op = buf;
    size_t ol = sizeof buf;
    const size_t rc = iconv(cd.Get(), &ip, &il, &op, &ol);
    const int err = rc == static_cast<size_t>(-1) ? errno : 0;
    r.append(buf, sizeof buf - ol);
    if (err == E2BIG) continue;
    if (err == EILSEQ || err == EINVAL) {
      lossless = false;
      r.push_back('?');
      // Skip the character: two units for a surrogate pair, else one.
      const char16_t u = static_cast<char16_t>(static_cast<unsigned char>(ip[0]) |
                                               (static_cast<unsigned char>(ip[1]) << 8));
      size_t skip = 2;
      if (u >= 0xD800 && u <= 0xDBFF && il >= 4) {
        const char16_t v = static_cast<char16_t>(static_cast<unsigned char>(ip[2]) |
                                                 (static_cast<unsigned char>(ip[3]) << 8));
        if (v >= 0xDC00 && v <= 0xDFFF) skip = 4;
      }
      skip = std::min(skip, il);
      ip += skip;
      il -= skip;
      cd.Reset();
    } else if (err != 0) {
      break;
    } else {
      // Flush any shift state.
      op = buf;
      ol = sizeof buf;
      iconv(cd.Get(), nullptr, nullptr, &op, &ol);
      r.append(buf, sizeof buf - ol);
    }
  }
  return r;
}

locale_t Utf8Locale() {
  static locale_t loc = [] {
    locale_t l = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    if (!l) l = newlocale(LC_CTYPE_MASK, "C", static_cast<locale_t>(nullptr));
    return l;
  }();
  return loc;
}

WideString MapCase(const WideString& w, bool upper) {
  const locale_t loc = Utf8Locale();
  WideString r = w;
  for (size_t i = 0; i < r.size(); ++i) {
    const char16_t u = r[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < r.size() && r[i + 1] >= 0xDC00 && r[i + 1] <= 0xDFFF) {
      const wint_t cp = 0x10000 + ((static_cast<wint_t>(u) - 0xD800) << 10) + (r[i + 1] - 0xDC00);
      const wint_t m = upper ? towupper_l(cp, loc) : towlower_l(cp, loc);
      if (m >= 0x10000 && m <= 0x10FFFF) {
        r[i] = static_cast<char16_t>(0xD800 + ((m - 0x10000) >> 10));
        r[i + 1] = static_cast<char16_t>(0xDC00 + ((m - 0x10000) & 0x3FF));
      }
      ++i;
      continue;
    }
    if (u >= 0xD800 && u <= 0xDFFF) continue;
    const wint_t m = upper ? towupper_l(u, loc) : towlower_l(u, loc);
    if (m < 0x10000 && !(m >= 0xD800 && m <= 0xDFFF)) r[i] = static_cast<char16_t>(m);
  }
  return r;
}

AnsiString MapAnsiCase(const AnsiString& s, Cardinal codePage, bool upper) {
  const Cardinal cp = IsValidCodePage(codePage) ? ResolveCodePage(codePage) : GetACP();
  AnsiString r = s;
  if (cp == CP_UTF8) {
    const String mapped = WideToUtf8(MapCase(Utf8ToWide(s), upper));
    return mapped.size() == s.size() ? mapped : s;
  }
  if (IsDBCSCodePage(cp)) {
    const TDoubleByteInfo* info = DoubleByteInfo(cp);
    for (size_t i = 0; i < r.size(); ++i) {
      const Byte b = static_cast<Byte>(r[i]);
      if (info && info->Lead[b]) {
        ++i;  // the trail byte is not a letter of its own
        continue;
      }
      if (upper && b >= 'a' && b <= 'z') r[i] = static_cast<char>(b - 32);
      if (!upper && b >= 'A' && b <= 'Z') r[i] = static_cast<char>(b + 32);
    }
    return r;
  }
  const TSingleByteTable* t = SingleByteTable(cp);
  if (!t) return r;
  const locale_t loc = Utf8Locale();
  for (char& c : r) {
    const char16_t u = t->ToWide[static_cast<Byte>(c)];
    if (u == kNoChar) continue;
    const wint_t m = upper ? towupper_l(u, loc) : towlower_l(u, loc);
    if (m == u || m > 0xFFFF) continue;
    auto it = t->FromWide.find(static_cast<char16_t>(m));
    if (it != t->FromWide.end()) c = static_cast<char>(it->second);
  }
  return r;
}

}  // namespace

Cardinal CharsetToCodePage(TFontCharset Charset) {
  switch (Charset) {
    case ANSI_CHARSET: return 1252;
    case MAC_CHARSET: return 2;
    case SHIFTJIS_CHARSET: return 932;
    case HANGEUL_CHARSET: return 949;
    case JOHAB_CHARSET: return 1361;
    case GB2312_CHARSET: return 936;
    case CHINESEBIG5_CHARSET: return 950;
    case GREEK_CHARSET: return 1253;
    case TURKISH_CHARSET: return 1254;
    case VIETNAMESE_CHARSET: return 1258;
    case HEBREW_CHARSET: return 1255;
    case ARABIC_CHARSET: return 1256;
    case BALTIC_CHARSET: return 1257;
    case RUSSIAN_CHARSET: return 1251;
    case THAI_CHARSET: return 874;
    case EASTEUROPE_CHARSET: return 1250;
    case OEM_CHARSET: return 1;
    default: return 0;  // DEFAULT, SYMBOL and unknown charsets
  }
}

Cardinal GetACP() { return 1252; }
Cardinal GetOEMCP() { return 437; }

Cardinal ResolveCodePage(Cardinal CodePage) {
  switch (CodePage) {
    case CP_ACP:
    case CP_THREAD_ACP: return GetACP();
    case CP_OEMCP: return GetOEMCP();
    case CP_MACCP: return 10000;
    default: return CodePage;
  }
}

bool IsValidCodePage(Cardinal CodePage) {
  const Cardinal cp = ResolveCodePage(CodePage);
  return cp == CP_UTF8 || IconvName(cp) != nullptr;
}

bool IsDBCSCodePage(Cardinal CodePage) {
  switch (ResolveCodePage(CodePage)) {
    case 932:
    case 10001:
    case 936:
    case 949:
    case 950:
    case 1361: return true;
    default: return false;
  }
}

bool IsDBCSLeadByte(Byte B, Cardinal CodePage) {
  const Cardinal cp = ResolveCodePage(CodePage);
  if (!IsDBCSCodePage(cp)) return false;
  const TDoubleByteInfo* info = DoubleByteInfo(cp);
  return info && info->Lead[B];
}

WideString AnsiToWide(const AnsiString& S, Cardinal CodePage) {
  if (S.empty()) return WideString();
  Cardinal cp = ResolveCodePage(CodePage);
  if (!IsValidCodePage(cp)) cp = GetACP();
  if (cp == CP_UTF8) return Utf8ToWide(S);
  if (IsDBCSCodePage(cp)) {
    if (TIconv* cd = ThreadConverter(cp, true)) {
      WideString r = DoubleByteToWide(S, *cd, cp);
      if (cp == 10001) {
        // The Mac's Japanese single bytes below 0x80 are ASCII, backslash
        // and tilde too; iconv's Shift-JIS gives the yen sign and overline,
        // which no double byte of it gives.
        std::replace(r.begin(), r.end(), u'\u00A5', u'\\');
        std::replace(r.begin(), r.end(), u'\u203E', u'~');
      }
      return r;
    }
    cp = GetACP();
  }
  const TSingleByteTable* t = SingleByteTable(cp);
  if (!t) t = SingleByteTable(GetACP());
  if (!t) return WideString(S.size(), u'?');
  WideString r(S.size(), u'?');
  for (size_t i = 0; i < S.size(); ++i) {
    const char16_t u = t->ToWide[static_cast<Byte>(S[i])];
    if (u != kNoChar) r[i] = u;
  }
  return r;
}

AnsiString WideToAnsi(const WideString& W, Cardinal CodePage, bool& Lossless) {
  Lossless = true;
  if (W.empty()) return AnsiString();
  Cardinal cp = ResolveCodePage(CodePage);
  if (!IsValidCodePage(cp)) cp = GetACP();
  if (cp == CP_UTF8) {
    const String r = WideToUtf8(W);
    Lossless = Utf8ToWide(r) == W;
    return r;
  }
  if (IsDBCSCodePage(cp)) {
    if (TIconv* cd = ThreadConverter(cp, false)) return WideToDoubleByte(W, *cd, Lossless);
    cp = GetACP();
  }
  const TSingleByteTable* t = SingleByteTable(cp);
  if (!t) t = SingleByteTable(GetACP());
  AnsiString r;
  r.reserve(W.size());
  for (size_t i = 0; i < W.size(); ++i) {
    const char16_t u = W[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < W.size() && W[i + 1] >= 0xDC00 && W[i + 1] <= 0xDFFF)
      ++i;  // a pair: one character, never in an 8-bit code page
    else if (t) {
      auto it = t->FromWide.find(u);
      if (it != t->FromWide.end()) {
        r.push_back(static_cast<char>(it->second));
        continue;
      }
    }
    Lossless = false;
    r.push_back('?');
  }
  return r;
}

AnsiString WideToAnsi(const WideString& W, Cardinal CodePage) {
  bool lossless;
  return WideToAnsi(W, CodePage, lossless);
}

WideString Utf8ToWide(const String& S) {
  WideString r;
  r.reserve(S.size());
  size_t i = 0;
  const size_t n = S.size();
  while (i < n) {
    const unsigned char c = static_cast<unsigned char>(S[i]);
    if (c < 0x80) {
      r.push_back(c);
      ++i;
      continue;
    }
    int len;
    char32_t cp;
    char32_t min;
    if ((c & 0xE0) == 0xC0) {
      len = 2;
      cp = c & 0x1F;
      min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
      len = 3;
      cp = c & 0x0F;
      min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
      len = 4;
      cp = c & 0x07;
      min = 0x10000;
    } else {
      r.push_back(0xFFFD);
      ++i;
      continue;
    }
    bool ok = i + static_cast<size_t>(len) <= n;
    for (int k = 1; ok && k < len; ++k) {
      const unsigned char t = static_cast<unsigned char>(S[i + static_cast<size_t>(k)]);
      if ((t & 0xC0) != 0x80) ok = false;
      cp = (cp << 6) | (t & 0x3F);
    }
    if (!ok || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      r.push_back(0xFFFD);
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      r.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      r.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      r.push_back(static_cast<char16_t>(cp));
    }
    i += static_cast<size_t>(len);
  }
  return r;
}

String WideToUtf8(const WideString& W) {
  String r;
  r.reserve(W.size());
  for (size_t i = 0; i < W.size(); ++i) {
    char32_t cp = W[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < W.size() && W[i + 1] >= 0xDC00 && W[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (W[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      r.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      r.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      r.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      r.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      r.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      r.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      r.push_back(static_cast<char>(0xF0 | (cp >> 18)));
      r.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
      r.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      r.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return r;
}

String AnsiToUtf8(const AnsiString& S, Cardinal CodePage) { return WideToUtf8(AnsiToWide(S, CodePage)); }

AnsiString Utf8ToAnsi(const String& S, Cardinal CodePage) { return WideToAnsi(Utf8ToWide(S), CodePage); }

AnsiString WideToRawUnicode(const WideString& W) {
  AnsiString r(W.size() * 2, '\0');
  for (size_t i = 0; i < W.size(); ++i) {
    r[2 * i] = static_cast<char>(W[i] & 0xFF);
    r[2 * i + 1] = static_cast<char>(W[i] >> 8);
  }
  return r;
}

WideString RawUnicodeToWide(const AnsiString& S) {
  WideString r(S.size() / 2, u'\0');
  for (size_t i = 0; i < r.size(); ++i)
    r[i] = static_cast<char16_t>(static_cast<Byte>(S[2 * i]) | (static_cast<Byte>(S[2 * i + 1]) << 8));
  return r;
}

WideString WideUpperCase(const WideString& W) { return MapCase(W, true); }
WideString WideLowerCase(const WideString& W) { return MapCase(W, false); }

AnsiString AnsiUpperCase(const AnsiString& S, Cardinal CodePage) { return MapAnsiCase(S, CodePage, true); }
AnsiString AnsiLowerCase(const AnsiString& S, Cardinal CodePage) { return MapAnsiCase(S, CodePage, false); }

bool IsUtf8(const String& S) {
  for (unsigned char c : S)
    if (c >= 0x80) return WideToUtf8(Utf8ToWide(S)) == S;  // malformed bytes come back as U+FFFD
  return true;
}


#include "richtext/model/VLFMisc.h"

#include "platform/base/Streams.h"
#include "platform/gui/Graphics.h"
#include "richtext/model/VLStyle.h"

#include <climits>

namespace {

const char* const HexUpper = "0123456789ABCDEF";

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

AnsiString VLFStringToHex(const AnsiString& s) {
  AnsiString h;
  h.resize(s.size() * 2);
  for (size_t i = 0; i < s.size(); ++i) {
    auto c = static_cast<unsigned char>(s[i]);
    h[2 * i] = HexUpper[c >> 4];
    h[2 * i + 1] = HexUpper[c & 15];
  }
  return h;
}

AnsiString VLFHexToString(const AnsiString& h) {
  if (h.size() % 2) return {};
  AnsiString s;
  s.reserve(h.size() / 2);
  for (size_t i = 0; i < h.size(); i += 2) {
    int a = HexDigit(h[i]), b = HexDigit(h[i + 1]);
    if (a < 0 || b < 0) break;
    s += static_cast<char>(a * 16 + b);
  }
  return s;
}

bool VLFTryHexToString(const AnsiString& h, AnsiString& s) {
  s.clear();
  if (h.size() % 2) return false;
  s.reserve(h.size() / 2);
  for (size_t i = 0; i < h.size(); i += 2) {
    int a = HexDigit(h[i]), b = HexDigit(h[i + 1]);
    if (a < 0 || b < 0) return false;
    s += static_cast<char>(a * 16 + b);
  }
  return true;
}

AnsiString VLFWideToHex(const WideString& w) {
  AnsiString h;
  h.reserve(w.size() * 4);
  for (char16_t c : w)
    for (int shift : {12, 8, 4, 0}) h += HexUpper[(c >> shift) & 15];
  return h;
}

WideString VLFHexToWide(const AnsiString& h) {
  if (h.size() % 4) return {};
  WideString w;
  for (size_t i = 0; i < h.size(); i += 4) {
    int v = 0;
    for (size_t k = 0; k < 4; ++k) {
      int d = HexDigit(h[i + k]);
      if (d < 0) return w;
      v = v * 16 + d;
    }
    w += static_cast<char16_t>(v);
  }
  return w;
}

AnsiString VLFEncodeLineBreaks(const AnsiString& s) {
  AnsiString r = s;
  for (char& c : r) {
    if (c == '\r')
      c = '\x01';
    else if (c == '\n')
      c = '\x02';
  }
  return r;
}

AnsiString VLFDecodeLineBreaks(const AnsiString& s) {
  AnsiString r = s;
  for (char& c : r) {
    if (c == '\x01')
      c = '\r';
    else if (c == '\x02')
      c = '\n';
  }
  return r;
}

namespace {
constexpr char OneLineEscape = '\x10';
}  // namespace

AnsiString VLFEncodeOneLine(const AnsiString& s) {
  AnsiString r;
  r.reserve(s.size());
  for (char c : s) {
    switch (c) {
      case '\r': r += '\x01'; break;
      case '\n': r += '\x02'; break;
      case '\0': r += {OneLineEscape, '0'}; break;
      case '\x01': r += {OneLineEscape, '1'}; break;
      case '\x02': r += {OneLineEscape, '2'}; break;
      case OneLineEscape: r += {OneLineEscape, OneLineEscape}; break;
      default: r += c; break;
    }
  }
  return r;
}

AnsiString VLFDecodeOneLine(const AnsiString& s) {
  AnsiString r;
  r.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '\x01') {
      r += '\r';
    } else if (c == '\x02') {
      r += '\n';
    } else if (c == OneLineEscape && i + 1 < s.size() &&
               (s[i + 1] == '0' || s[i + 1] == '1' || s[i + 1] == '2' || s[i + 1] == OneLineEscape)) {
      const char e = s[++i];
      r += e == '0' ? '\0' : e == '1' ? '\x01' : e == '2' ? '\x02' : OneLineEscape;
    } else {
      r += c;  // an escape byte before anything else stands for itself
    }
  }
  return r;
}

AnsiString VLFQuote(const AnsiString& s) {
  AnsiString r = "\"";
  for (char c : s) {
    if (c == '"') r += '"';
    r += c;
  }
  r += '"';
  return r;
}

AnsiString VLFSaveTag(bool tagsArePChars, Integer intTag, const AnsiString& strTag) {
  if (tagsArePChars) return strTag.empty() ? AnsiString("0") : VLFQuote(strTag);
  return std::to_string(intTag);
}

// ---------------------------------------------------------------------------

namespace {

void SkipSpace(const char*& p) {
  if (*p == ' ') ++p;
}

}  // namespace

bool VLFReadWord(const char*& p, AnsiString& s) {
  const char* start = p;
  while (*p && *p != ' ') ++p;
  s.assign(start, p);
  SkipSpace(p);
  return !s.empty();
}

bool VLFReadNumber(const char*& p, Integer& v) {
  const char* q = p;
  bool neg = false;
  if (*q == '-') {
    neg = true;
    ++q;
  } else if (*q < '0' || *q > '9') {
    return false;
  }
  int64_t value = 0;
  while (*q && *q != ' ') {
    if (*q < '0' || *q > '9') {
      p = q;
      return false;
    }
    value = value * 10 + (*q - '0');
    if (value > static_cast<int64_t>(INT_MAX) + 1) {
      p = q;
      return false;
    }
    ++q;
  }
  if (neg) value = -value;
  if (value > INT_MAX || value < INT_MIN) {
    p = q;
    return false;
  }
  v = static_cast<Integer>(value);
  p = q;
  SkipSpace(p);
  return true;
}

bool VLFReadQuotedString(const char*& p, AnsiString& s) {
  s.clear();
  if (*p != '"') {
    // Without a quote the rest of the line is the string.
    while (*p) s += *p++;
    return true;
  }
  ++p;
  for (;;) {
    if (!*p) return false;  // unterminated
    if (*p == '"') {
      if (p[1] == '"') {
        s += '"';
        p += 2;
        continue;
      }
      ++p;
      break;
    }
    s += *p++;
  }
  SkipSpace(p);
  return true;
}

bool VLFReadTagToken(const char*& p, bool tagsArePChars, bool quotedAllowed, Integer& intTag,
                     AnsiString& strTag, bool& hasString) {
  intTag = 0;
  strTag.clear();
  hasString = false;
  if (quotedAllowed && *p == '"') {
    AnsiString s;
    if (!VLFReadQuotedString(p, s)) return false;
    if (tagsArePChars) {
      strTag = s;
      hasString = true;
      return true;
    }
    // A quoted tag read into integer tags converts like a word.
    const char* q = s.c_str();
    Integer v;
    if (!VLFReadNumber(q, v) || *q) return false;
    intTag = v;
    return true;
  }
  AnsiString w;
  if (!VLFReadWord(p, w)) return false;
  if (tagsArePChars) {
    if (w != "0") {
      strTag = w;
      hasString = true;
    }
    return true;
  }
  const char* q = w.c_str();
  Integer v;
  if (!VLFReadNumber(q, v) || *q) return false;
  intTag = v;
  return true;
}

// ---------------------------------------------------------------------------

void VLFWrite(TStream& stream, const AnsiString& s) {
  if (!s.empty()) stream.WriteBuffer(s.data(), static_cast<Int64>(s.size()));
}

void VLFWriteLine(TStream& stream, const AnsiString& s) {
  VLFWrite(stream, s);
  stream.WriteBuffer("\r\n", 2);
}

void VLFWriteTextLine(TStream& stream, const AnsiString& s, bool unicode, bool hexUnicode) {
  if (unicode && hexUnicode) {
    VLFWriteLine(stream, VLFStringToHex(s));
  } else if (unicode) {
    VLFWrite(stream, s);
    stream.WriteBuffer("\x29\x20", 2);
  } else {
    VLFWriteLine(stream, s);
  }
}

void VLFWriteBinary(TStream& stream, const AnsiString& data) {
  stream.WriteInt32LE(static_cast<Integer>(data.size()));
  VLFWrite(stream, data);
}

AnsiString VLFStreamToHex(TMemoryStream& stream) { return VLFStringToHex(stream.Bytes()); }

bool VLFHexToStream(const AnsiString& h, TMemoryStream& stream) {
  if (h.size() % 2) return false;
  stream.SetSize(static_cast<Int64>(h.size() / 2));
  char* m = stream.Memory();
  for (size_t i = 0; i < h.size(); i += 2) {
    int a = HexDigit(h[i]), b = HexDigit(h[i + 1]);
    if (a < 0 || b < 0) return false;
    m[i / 2] = static_cast<char>(a * 16 + b);
  }
  return true;
}

// ---------------------------------------------------------------------------

AnsiString VLFSaveTextStyleRef(TVLStyle* style, bool useStyleNames, Integer styleNo) {
  if (useStyleNames && style && styleNo >= 0 && styleNo < style->TextStyles->Count())
    return VLFQuote(style->TextStyles->Items(styleNo)->StyleName);
  return std::to_string(styleNo);
}

AnsiString VLFSaveParaStyleRef(TVLStyle* style, bool useStyleNames, Integer paraNo) {
  if (useStyleNames && style && paraNo >= 0 && paraNo < style->ParaStyles->Count())
    return VLFQuote(style->ParaStyles->Items(paraNo)->StyleName);
  return std::to_string(paraNo);
}

namespace {

bool ReadStyleRef(TCustomVLInfos* infos, const char*& p, Integer& no) {
  if (*p != '"') return VLFReadNumber(p, no);
  AnsiString name;
  if (!VLFReadQuotedString(p, name)) return false;
  no = 0;
  for (Integer i = 0; infos && i < infos->Count(); ++i)
    if (infos->GetInfo(i)->StyleName == name) {
      no = i;
      break;
    }
  return true;
}

bool ReadIndexedStyleRef(TCustomVLInfos* infos, const char*& p, Integer& no, TVLFStyleNameIndex& index) {
  if (*p != '"') return VLFReadNumber(p, no);
  AnsiString name;
  if (!VLFReadQuotedString(p, name)) return false;
  no = index.Find(infos, name);
  return true;
}

}  // namespace

Integer TVLFStyleNameIndex::Find(TCustomVLInfos* infos, const AnsiString& name) {
  if (!infos) return 0;
  if (infos != FInfos || infos->Count() != FCount) {
    FInfos = infos;
    FCount = infos->Count();
    FNumbers.clear();
    FNumbers.reserve(static_cast<size_t>(FCount));
    for (Integer i = 0; i < FCount; ++i) FNumbers.try_emplace(infos->GetInfo(i)->StyleName, i);
  }
  auto it = FNumbers.find(name);
  return it == FNumbers.end() ? 0 : it->second;
}

bool VLFReadTextStyleRef(TVLStyle* style, const char*& p, Integer& no) {
  return ReadStyleRef(style ? style->TextStyles.get() : nullptr, p, no);
}

bool VLFReadParaStyleRef(TVLStyle* style, const char*& p, Integer& no) {
  return ReadStyleRef(style ? style->ParaStyles.get() : nullptr, p, no);
}

bool VLFReadTextStyleRef(TVLStyle* style, const char*& p, Integer& no, TVLFStyleNameIndex& index) {
  return ReadIndexedStyleRef(style ? style->TextStyles.get() : nullptr, p, no, index);
}

bool VLFReadParaStyleRef(TVLStyle* style, const char*& p, Integer& no, TVLFStyleNameIndex& index) {
  return ReadIndexedStyleRef(style ? style->ParaStyles.get() : nullptr, p, no, index);
}

AnsiString VLFSavePictureHex(const TGraphic& graphic) { return VLFStringToHex(graphic.SaveToBytes()); }

void VLFSavePictureBinary(TStream& stream, const TGraphic& graphic) {
  VLFWriteBinary(stream, graphic.SaveToBytes());
}

bool VLFLoadPictureHex(const AnsiString& h, TGraphic& graphic) {
  AnsiString bytes;
  if (!VLFTryHexToString(h, bytes)) return false;
  graphic.LoadFromBytes(bytes);
  return true;
}

void VLFLoadPictureRaw(const AnsiString& s, TGraphic& graphic) { graphic.LoadFromBytes(s); }

void VLFLoadPictureBinary(TStream& stream, TGraphic& graphic) {
  Integer n = stream.ReadInt32LE();
  if (n < 0) throw EReadError("Stream read error");
  graphic.LoadFromBytes(stream.ReadBytes(n));
}

#include "richtext/model/VLFuncs.h"

#include "platform/base/Streams.h"
#include "platform/base/SysUtils.h"
#include "platform/gui/SymbolEncoding.h"
#include "richtext/model/VLUni.h"

#include <cmath>
#include <cstring>

AnsiString ReplaceTabs(const AnsiString& s, Integer spacesCount) {
  if (s.find('\t') == AnsiString::npos) return s;
  AnsiString r;
  r.reserve(s.size() + 8);
  for (char c : s) {
    if (c == '\t')
      r.append(static_cast<size_t>(std::max(0, spacesCount)), ' ');
    else
      r += c;
  }
  return r;
}

AnsiString ReplaceTabsW(const AnsiString& s, Integer spacesCount) {
  AnsiString r;
  r.reserve(s.size());
  size_t i = 0;
  for (; i + 1 < s.size(); i += 2) {
    if (s[i] == '\t' && s[i + 1] == 0) {
      for (Integer k = 0; k < spacesCount; ++k) {
        r += ' ';
        r += '\0';
      }
    } else {
      r += s[i];
      r += s[i + 1];
    }
  }
  if (i < s.size()) r += s[i];  // odd trailing byte kept as it was
  return r;
}

Integer ScanChar(const char* buffer, char ch, Integer count) {
  if (!buffer) return 0;
  for (Integer i = 0; i < count; ++i)
    if (buffer[i] == ch) return i + 1;
  return 0;
}

namespace {

// Searches again from the start after each replacement.
AnsiString ReplaceRepeatedly(const AnsiString& s, const AnsiString& from, const AnsiString& to) {
  if (from.empty() || to.find(from) != AnsiString::npos) return ReplaceAllOnce(s, from, to);
  AnsiString r = s;
  size_t p;
  while ((p = r.find(from)) != AnsiString::npos) r.replace(p, from.size(), to);
  return r;
}

}  // namespace

AnsiString ReplaceAllOnce(const AnsiString& s, const AnsiString& from, const AnsiString& to) {
  if (from.empty()) return s;
  AnsiString r;
  size_t start = 0, p;
  while ((p = s.find(from, start)) != AnsiString::npos) {
    r.append(s, start, p - start);
    r += to;
    start = p + from.size();
  }
  r.append(s, start, AnsiString::npos);
  return r;
}

void AddWithSpace(AnsiString& s, const AnsiString& t) {
  if (s.empty())
    s = t;
  else
    s += " " + t;
}

void ReplaceNulChars(AnsiString& s) {
  for (char& c : s)
    if (c == '\0') c = '?';
}

AnsiString BackslashesToSlashes(const AnsiString& s) {
  AnsiString r = s;
  for (char& c : r)
    if (c == '\\') c = '/';
  return r;
}

AnsiString FormatHint(TVLHintMode mode, const AnsiString& hint) {
  if (hint.empty()) return {};
  AnsiString h = hint;
  for (char& c : h)
    if (c == '"') c = '\'';
  if (mode == vlhmHTML) return "title=\"" + MakeHTMLAttrStr(h) + "\"";
  return "\\o \"" + MakeRTFName(h) + "\"";
}

AnsiString MakeHTMLStr(const AnsiString& s, bool emptyToNbsp, bool htmlCode) {
  if (htmlCode) return s;
  AnsiString r = ReplaceAllOnce(s, "&", "&amp;");
  r = ReplaceAllOnce(r, ">", "&gt;");
  r = ReplaceAllOnce(r, "<", "&lt;");
  r = ReplaceRepeatedly(r, "  ", "&nbsp; ");
  if (!r.empty()) {
    if (r.back() == ' ') r.replace(r.size() - 1, 1, "&nbsp;");
    if (r.front() == ' ') r.replace(0, 1, "&nbsp;");
  } else if (emptyToNbsp) {
    r = "&nbsp;";
  }
  return r;
}

AnsiString MakeHTMLAttrStr(const AnsiString& s) {
  AnsiString r;
  r.reserve(s.size());
  for (char c : s) {
    switch (c) {
      case '&': r += "&amp;"; break;
      case '"': r += "&quot;"; break;
      case '<': r += "&lt;"; break;
      case '>': r += "&gt;"; break;
      default: r += c;
    }
  }
  return r;
}

namespace {

const char* const HexLower = "0123456789abcdef";

AnsiString EscapeHighChars(const AnsiString& s) {
  AnsiString r;
  r.reserve(s.size());
  for (char ch : s) {
    auto c = static_cast<unsigned char>(ch);
    if (c < 26 || c > 127) {
      r += "\\'";
      r += HexLower[c >> 4];
      r += HexLower[c & 15];
    } else {
      r += ch;
    }
  }
  return r;
}

}  // namespace

AnsiString MakeRTFStr(const AnsiString& s, bool rtfCode) {
  AnsiString r;
  if (rtfCode) {
    r = s;
  } else {
    r.reserve(s.size());
    for (char c : s) {
      if (c == '\\' || c == '{' || c == '}') r += '\\';
      r += c;
    }
  }
  return EscapeHighChars(r);
}

AnsiString MakeRTFName(const AnsiString& s) {
  AnsiString r = s;
  for (char& c : r)
    if (c == '\\' || c == '{' || c == '}') c = '_';
  return EscapeHighChars(r);
}

AnsiString MakeRTFBookmarkName(const AnsiString& s) {
  // The alphanumeric test of the 8-bit system code page (1252): ASCII letters
  // and digits and the accented letters of the upper half.
  auto alnum = [](unsigned char c) {
    if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
    if (c == 0x8A || c == 0x8C || c == 0x8E || c == 0x9A || c == 0x9C || c == 0x9E || c == 0x9F ||
        c == 0x83 || c == 0xAA || c == 0xB5 || c == 0xBA)
      return true;
    return c >= 0xC0 && c != 0xD7 && c != 0xF7;
  };
  AnsiString r = s;
  for (char& c : r)
    if (!alnum(static_cast<unsigned char>(c))) c = '_';
  return EscapeHighChars(r);
}

// ---------------------------------------------------------------------------

AnsiString ColorToHtml(TColor color) {
  if (color == clNone) return {};
  if (color == clWindowText) color = clBlack;
  TColor c = ColorToRGB(color);
  const char* hex = "0123456789ABCDEF";
  AnsiString r = "#";
  for (int shift : {0, 8, 16}) {
    int v = (c >> shift) & 0xFF;
    r += hex[v >> 4];
    r += hex[v & 15];
  }
  return r;
}

AnsiString ColorToHtmlOrTransparent(TColor color) {
  return color == clNone ? AnsiString("transparent") : ColorToHtml(color);
}

AnsiString CharsetToHtmlName(Integer charset) {
  switch (charset) {
    case 128: return "shift_jis";
    case 134: return "gb2312";
    case 136: return "big5";
    case 161: return "Windows-1253";
    case 162: return "Windows-1254";
    case 163: return "Windows-1258";
    case 177: return "Windows-1255";
    case 178: return "Windows-1256";
    case 186: return "Windows-1257";
    case 204: return "Windows-1251";
    case 222: return "Windows-874";
    case 238: return "Windows-1250";
    case 255: return "ascii";
    default: return {};
  }
}

Integer ColorLuminance(TColor color) {
  TColor c = ColorToRGB(color);
  int r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
  return static_cast<Integer>(std::lround(0.3 * r + 0.59 * g + 0.11 * b));
}

TColor ColorToGray(TColor color) {
  if (color == clNone) return color;
  Integer g = std::min(255, ColorLuminance(color));
  return g | (g << 8) | (g << 16);
}

TColor FixSystemColor(TColor color) {
  if (color == clScrollBar || color == clBtnFace) return 0xC0C0C0;
  if (color == clWindow || color == clBtnHighlight) return clWhite;
  if (color == clWindowText) return clBlack;
  if (color == clBtnShadow) return 0x808080;
  return color;
}

TColor ApplyColorModeFore(TColor color, TVLColorMode mode) {
  if (color == clNone) return color;
  switch (mode) {
    case vlcmColor: return color;
    case vlcmPrinterColor: return FixSystemColor(color);
    case vlcmGrayScale: return ColorToGray(FixSystemColor(color));
    case vlcmBlackAndWhite:
    case vlcmBlackOnWhite: return color == clWhite ? clWhite : clBlack;
  }
  return color;
}

TColor ApplyColorModeBack(TColor color, TVLColorMode mode) {
  if (color == clNone) return color;
  switch (mode) {
    case vlcmColor: return color;
    case vlcmPrinterColor: return FixSystemColor(color);
    case vlcmGrayScale: return ColorToGray(FixSystemColor(color));
    case vlcmBlackAndWhite:
    case vlcmBlackOnWhite: return clWhite;
  }
  return color;
}

Integer FontSizeToHtml(Integer points) {
  if (points < 9) return 1;
  if (points <= 10) return 2;
  if (points <= 12) return 3;
  if (points <= 14) return 4;
  if (points <= 18) return 5;
  if (points <= 24) return 6;
  return 7;
}

// ---------------------------------------------------------------------------

Integer ScreenToDeviceX(Integer value, const TVLResolution& res) {
  return MulDiv(value, res.DeviceX, res.ScreenX);
}
Integer ScreenToDeviceY(Integer value, const TVLResolution& res) {
  return MulDiv(value, res.DeviceY, res.ScreenY);
}
Integer ScaleX(Integer value, const TVLResolution& res) { return MulDiv(value, res.ScreenX, res.DeviceX); }
Integer ScaleY(Integer value, const TVLResolution& res) { return MulDiv(value, res.ScreenY, res.DeviceY); }

bool PointInBox(Integer x, Integer y, Integer left, Integer top, Integer width, Integer height) {
  return left <= x && x < left + width && top <= y && y < top + height;
}

Integer PixelsToTwips(Integer pixels, Integer pixelsPerInch) { return MulDiv(pixels, 1440, pixelsPerInch); }
Integer TwipsToPixels(Integer twips, Integer pixelsPerInch) { return MulDiv(twips, pixelsPerInch, 1440); }

void ScaleRect(TRect& rect, const TVLResolution& res) {
  rect.Left = ScaleX(rect.Left, res);
  rect.Right = ScaleX(rect.Right, res);
  rect.Top = ScaleY(rect.Top, res);
  rect.Bottom = ScaleY(rect.Bottom, res);
}

// ---------------------------------------------------------------------------

AnsiString UnicodeRTFStr(const AnsiString& rawUnicode, Cardinal codePage, bool rtfCode,
                         bool duplicateUnicode) {
  AnsiString r;
  for (size_t i = 0; i + 1 < rawUnicode.size(); i += 2) {
    const auto c = static_cast<uint16_t>(static_cast<unsigned char>(rawUnicode[i]) |
                                         (static_cast<unsigned char>(rawUnicode[i + 1]) << 8));
    if (c >= 1 && c <= 127) {
      r += MakeRTFStr(AnsiString(1, static_cast<char>(c)), rtfCode);
      continue;
    }
    AnsiString ansi;
    if (duplicateUnicode) {
      ansi = RawUnicodeToAnsi(rawUnicode.substr(i, 2), codePage);
      if (ansi.size() != 1) r += "\\uc" + std::to_string(ansi.size());
    }
    r += "\\u" + std::to_string(static_cast<int16_t>(c)) + " ";
    if (duplicateUnicode) {
      if (!ansi.empty()) r += MakeRTFStr(ansi, rtfCode);
      if (ansi.size() != 1) r += "\\uc1 ";
    }
  }
  return r;
}

void WriteUnicodeRTFStr(TStream& stream, const AnsiString& rawUnicode, Cardinal codePage,
                        bool rtfCode, bool duplicateUnicode) {
  stream.WriteBytes(UnicodeRTFStr(rawUnicode, codePage, rtfCode, duplicateUnicode));
}

// ---------------------------------------------------------------------------

namespace {

struct TFontLook {
  Integer Size;
  TColor Color;
  String Name;
  TFontStyles Style;
  Integer VShift;
};

TFontLook LookOf(const TFontInfo& f) { return {f.Size, f.Color, f.FontName, f.Style, f.VShift}; }
TFontLook LookOf(const TFont& f) { return {f.GetSize(), f.GetColor(), f.GetName(), f.GetStyle(), 0}; }


bool SameFontFrame(const TFontLook& s, const TFontLook& b) {
  return s.Size == b.Size && s.Color == b.Color && SameText(s.Name, b.Name);
}

AnsiString Open(const TFontLook& s, const TFontLook& b, bool relative, bool subSup) {
  AnsiString attrs;
  if (!relative || s.Size != b.Size) attrs += " size=" + std::to_string(FontSizeToHtml(s.Size));
  if (!relative || s.Color != b.Color) attrs += " color=" + ColorToHtml(s.Color);
  if (!relative || !SameText(s.Name, b.Name)) attrs += " face=\"" + MakeHTMLAttrStr(s.Name) + "\"";
  AnsiString r;
  if (!attrs.empty()) r = "<FONT" + attrs + ">";
  if (!relative) {
    r += VLOpenFontStyleTags(s.Style, TFontStyles());
  } else {
    r += VLCloseFontStyleTags(b.Style, s.Style);
    r += VLOpenFontStyleTags(s.Style, b.Style);
  }
  if (subSup) {
    if (s.VShift < 0) r += "<SUB>";
    if (s.VShift > 0) r += "<SUP>";
  }
  return r;
}

AnsiString Close(const TFontLook& s, const TFontLook& b, bool relative, bool subSup) {
  AnsiString r;
  if (subSup) {
    if (s.VShift < 0) r += "</SUB>";
    if (s.VShift > 0) r += "</SUP>";
  }
  if (relative) {
    r += VLCloseFontStyleTags(s.Style, b.Style);
    r += VLOpenFontStyleTags(b.Style, s.Style);
  } else {
    r += VLCloseFontStyleTags(s.Style, TFontStyles());
  }
  if (!relative || !SameFontFrame(s, b)) r += "</FONT>";
  return r;
}

}  // namespace

AnsiString OpenFontTag(const TFontInfo& style, const TFontInfo& baseStyle, bool relative) {
  return Open(LookOf(style), LookOf(baseStyle), relative, true);
}
AnsiString CloseFontTag(const TFontInfo& style, const TFontInfo& baseStyle, bool relative) {
  return Close(LookOf(style), LookOf(baseStyle), relative, true);
}
AnsiString OpenFontTagForFont(const TFont& font, const TFontInfo& baseStyle) {
  return Open(LookOf(font), LookOf(baseStyle), true, false);
}
AnsiString CloseFontTagForFont(const TFont& font, const TFontInfo& baseStyle) {
  return Close(LookOf(font), LookOf(baseStyle), true, false);
}

AnsiString VLCSSFontFamily(const String& name, const AnsiString& quoted) {
  return SymbolCodeFontOf(name.c_str()) == TSymbolCodeFont::None ? quoted : AnsiString("serif");
}

AnsiString FontToCSS(const TFont& font) {
  AnsiString f;
  if (font.GetStyle().Contains(fsBold)) f = "bold";
  if (font.GetStyle().Contains(fsItalic)) AddWithSpace(f, "italic");
  if (font.GetSize() >= 1)
    AddWithSpace(f, std::to_string(font.GetSize()) + "pt");
  else
    AddWithSpace(f, std::to_string(font.GetHeight()) + "px");
  AddWithSpace(f, VLCSSFontFamily(font.GetName(), "'" + font.GetName() + "'"));
  AnsiString r = "font: " + f + ";";
  AnsiString d;
  if (font.GetStyle().Contains(fsUnderline)) d = "underline";
  if (font.GetStyle().Contains(fsStrikeOut)) AddWithSpace(d, "line-through");
  if (!d.empty()) r += " text-decoration: " + d + ";";
  return r + " color: " + ColorToHtml(font.GetColor()) + ";";
}

namespace {
const TFontStyle TagOrder[] = {fsBold, fsItalic, fsUnderline, fsStrikeOut};
const char* const OpenTags[] = {"<B>", "<I>", "<U>", "<S>"};
const char* const CloseTags[] = {"</B>", "</I>", "</U>", "</S>"};
}  // namespace

AnsiString VLCloseFontStyleTags(TFontStyles a, TFontStyles b) {
  AnsiString r;
  for (int k = 3; k >= 0; --k)
    if (a.Contains(TagOrder[k]) && !b.Contains(TagOrder[k])) r += CloseTags[k];
  return r;
}

AnsiString VLOpenFontStyleTags(TFontStyles a, TFontStyles b) {
  AnsiString r;
  for (int k = 0; k < 4; ++k)
    if (a.Contains(TagOrder[k]) && !b.Contains(TagOrder[k])) r += OpenTags[k];
  return r;
}

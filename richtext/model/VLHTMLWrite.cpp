// The plain HTML writer, the parts both HTML writers share, the HTML output
// of the non-text items and the image files written beside the page. The
// page is HTML5 in UTF-8: formatting that older HTML put into FONT tags and
// presentational attributes goes into style attributes.
#include "richtext/model/VLHTMLWrite.h"

#include "platform/base/CodePages.h"
#include "platform/base/Streams.h"
#include "platform/base/SysUtils.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/Jpeg.h"
#include "platform/gui/SymbolEncoding.h"
#include "richtext/model/VLFuncs.h"
#include "richtext/model/VLMarkers.h"
#include "richtext/model/VLTextItems.h"
#include "richtext/model/VLUni.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

AnsiString I(Integer v) { return std::to_string(v); }
const char* const HexUpper = "0123456789ABCDEF";

bool IsUrlChar(unsigned char c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) return true;
  return std::strchr("-._~:/?@!$&'()*+,;=", c) != nullptr && c != 0;
}

bool IsHex(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

AnsiString PercentEncode(const AnsiString& s) {
  AnsiString r;
  bool fragment = false;
  for (size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c == '%' && i + 2 < s.size() && IsHex(s[i + 1]) && IsHex(s[i + 2])) {
      r += '%';
      continue;
    }
    if (c == '#' && !fragment) {
      fragment = true;
      r += '#';
      continue;
    }
    if (c != '%' && IsUrlChar(c)) {
      r += static_cast<char>(c);
      continue;
    }
    r += '%';
    r += HexUpper[c >> 4];
    r += HexUpper[c & 15];
  }
  return r;
}

// A code point that HTML may not carry, even as a reference.
bool Forbidden(uint32_t cp) {
  if (cp < 32) return cp != 9 && cp != 10 && cp != 13;
  if (cp >= 0x7F && cp <= 0x9F) return true;
  if (cp >= 0xD800 && cp <= 0xDFFF) return true;
  if (cp >= 0xFDD0 && cp <= 0xFDEF) return true;
  return (cp & 0xFFFE) == 0xFFFE;
}

// UTF-16 text as HTML. pairRule: the blank rule of 8-bit text (every pair
// of blanks becomes "&nbsp; ", the first and last blank "&nbsp;"); else the
// rule of Unicode text (a blank after a blank, or at either end, is
// "&nbsp;"). An end that is not an edge (the text goes on in the next run,
// without a blank there) keeps its blank a plain one.
AnsiString WideToHTML(const WideString& w, bool nbspIfEmpty, bool pairRule, bool edgeBefore = true,
                      bool edgeAfter = true) {
  AnsiString r;
  r.reserve(w.size() + w.size() / 4 + 8);
  bool prevSpace = edgeBefore;
  const size_t n = w.size();
  char buf[16];
  for (size_t i = 0; i < n; ++i) {
    uint32_t c = w[i];
    if (c == ' ') {
      bool nbsp;
      if (pairRule)
        // Of a run of blanks all but the last are hard, and so are the
        // first and last blank of the text.
        nbsp = (i + 1 < n && w[i + 1] == ' ') || (i == 0 && edgeBefore) || (i + 1 == n && edgeAfter);
      else
        nbsp = prevSpace || (i + 1 == n && edgeAfter);
      r += nbsp ? "&nbsp;" : " ";
      prevSpace = true;
      continue;
    }
    prevSpace = false;
    if (c < 128 && c >= 32 && c != 127) {
      switch (c) {
        case '&': r += "&amp;"; break;
        case '<': r += "&lt;"; break;
        case '>': r += "&gt;"; break;
        default: r += static_cast<char>(c);
      }
      continue;
    }
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && w[i + 1] >= 0xDC00 && w[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (w[i + 1] - 0xDC00);
      ++i;
    }
    if (Forbidden(c)) c = 0xFFFD;
    if (c < 128) {
      r += static_cast<char>(c);
      continue;
    }
    // The reference's digits, without the formatting machinery.
    char* end = buf + sizeof buf;
    char* q = end;
    *--q = ';';
    do *--q = static_cast<char>('0' + c % 10);
    while ((c /= 10) != 0);
    r += "&#";
    r.append(q, static_cast<size_t>(end - q));
  }
  if (r.empty() && nbspIfEmpty) r = "&nbsp;";
  return r;
}

}  // namespace

AnsiString VLHTMLLinkTarget(const String& targetIn) {
  String target = Trim(targetIn);
  if (target.empty()) return {};
  size_t colon = target.find(':');
  size_t n = 0;
  while (n < target.size() && (std::isalnum(static_cast<unsigned char>(target[n])) || target[n] == '+' ||
                               target[n] == '-' || target[n] == '.'))
    ++n;
  if (colon != String::npos && n == colon && colon > 0 && std::isalpha(static_cast<unsigned char>(target[0]))) {
    const String scheme = LowerCase(target.substr(0, colon));
    if (scheme.size() == 1) {
      // A drive letter: a local file.
      target = "file:///" + BackslashesToSlashes(target);
    } else if (scheme != "http" && scheme != "https" && scheme != "ftp" && scheme != "mailto" &&
               scheme != "file") {
      return {};
    }
  }
  return MakeHTMLAttrStr(PercentEncode(target));
}

AnsiString VLHTMLFileLocation(const String& location) {
  return MakeHTMLAttrStr(PercentEncode(BackslashesToSlashes(location)));
}

AnsiString VLRawUnicodeToHTML(const AnsiString& raw, bool nbspIfEmpty, bool htmlCode, bool edgeBefore,
                              bool edgeAfter) {
  const WideString w = RawUnicodeToWideString(raw);
  if (htmlCode) return WideToUtf8(w);
  return WideToHTML(w, nbspIfEmpty, false, edgeBefore, edgeAfter);
}

AnsiString VLAnsiToHTML(const AnsiString& s, Cardinal codePage, bool nbspIfEmpty, bool htmlCode, bool edgeBefore,
                        bool edgeAfter) {
  if (htmlCode) return AnsiToUtf8(s, codePage);
  bool ascii = true;
  for (char ch : s)
    if (static_cast<unsigned char>(ch) >= 128) {
      ascii = false;
      break;
    }
  return WideToHTML(ascii ? WideString(s.begin(), s.end()) : AnsiToWide(s, codePage), nbspIfEmpty, true,
                    edgeBefore, edgeAfter);
}

AnsiString VLUtf8ToHTML(const String& s) {
  AnsiString r = WideToHTML(Utf8ToWide(s), false, false);
  return ReplaceAllOnce(r, "\"", "&quot;");
}

AnsiString VLStyleAttr(const AnsiString& css) {
  return css.empty() ? AnsiString() : " style=\"" + MakeHTMLAttrStr(css) + "\"";
}

AnsiString VLTextStyleInlineCSS(const TFontInfo& style) {
  TStringStream s;
  style.SaveCSSToStream(s, nullptr, false);
  return Trim(s.DataString());
}

AnsiString VLParaStyleInlineCSS(const TParaInfo& style) {
  TStringStream s;
  style.SaveCSSToStream(s, nullptr, false, false, false);
  return Trim(s.DataString());
}

// ---------------------------------------------------------------------------
// Images

namespace {

// The folder part of an images prefix, kept inside the export's folder: no
// root, no "..", no empty or "." steps.
String SafePrefix(const String& prefix, String& folder) {
  const String p = BackslashesToSlashes(prefix);
  std::vector<String> parts;
  size_t start = 0;
  while (start <= p.size()) {
    size_t slash = p.find('/', start);
    if (slash == String::npos) slash = p.size();
    parts.push_back(p.substr(start, slash - start));
    start = slash + 1;
  }
  const String name = parts.back();
  parts.pop_back();
  folder.clear();
  for (const String& part : parts)
    if (!part.empty() && part != "." && part != "..") folder += part + "/";
  return name == "." || name == ".." ? String() : name;
}

bool InsideFolder(const fs::path& folder, const fs::path& file) {
  std::error_code ec;
  const fs::path base = fs::weakly_canonical(folder, ec);
  const fs::path target = fs::weakly_canonical(file.parent_path(), ec);
  if (ec) return false;
  auto b = base.begin(), t = target.begin();
  for (; b != base.end(); ++b, ++t)
    if (t == target.end() || *b != *t) return false;
  return true;
}

void WriteNewFile(const String& fileName, const AnsiString& bytes) {
  std::ofstream f(fileName, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!f) throw EFCreateError("Cannot create file \"" + fileName + "\"");
}

}  // namespace

void TCustomVLData::SaveImageForHTML(bool asJpeg, const TGraphic& graphic, TVLHTMLSaveContext& ctx,
                                     TColor backColor, String& location) {
  bool doDefault = true;
  TVLExportEvents* ev = GetAbsoluteRootData()->GetExportEvents();
  Integer dummy = 0;
  Integer& counter = ctx.imgSaveNo ? *ctx.imgSaveNo : dummy;
  if (ev && ev->OnSaveImage2)
    ev->OnSaveImage2(&graphic, vlsfHTML, ctx.Path, ctx.ImagesPrefix, counter, doDefault, location);
  if (!doDefault) return;
  location.clear();
  String folder;
  const String name = SafePrefix(ctx.ImagesPrefix, folder);
  String base = ctx.Path;
  if (!base.empty() && base.back() != '/') base += '/';
  if (!folder.empty()) ForceDirectories(base + folder);
  String fileName;
  // Existing files belong to someone else: never replaced.
  if (!GetNextFileName(folder + name, base, asJpeg ? ".jpg" : ".png", counter, false, fileName)) return;
  if (!InsideFolder(base.empty() ? fs::path(".") : fs::path(base), fs::path(fileName))) return;
  AnsiString bytes;
  if (asJpeg && dynamic_cast<const TJPEGImage*>(&graphic)) {
    bytes = graphic.SaveToBytes();
  } else {
    TBitmap bmp(std::max(1, graphic.GetWidth()), std::max(1, graphic.GetHeight()));
    bmp.SetPixelFormat(pf32bit);
    bmp.Canvas()->Brush.Color = backColor == clNone ? clWhite : backColor;
    bmp.Canvas()->FillRect(TRect(0, 0, bmp.GetWidth(), bmp.GetHeight()));
    bmp.Canvas()->Draw(0, 0, const_cast<TGraphic*>(&graphic));
    if (asJpeg) {
      TJPEGImage jpeg;
      jpeg.Assign(&bmp);
      bytes = jpeg.SaveToBytes();
    } else {
      bytes = bmp.SaveToPNGBytes();
    }
  }
  WriteNewFile(fileName, bytes);
  ctx.WrittenFiles.insert(fileName);
  location = folder + ExtractFileName(fileName);
}

String VLSaveBulletForHTML(TCustomVLData& data, TVLHTMLSaveContext& ctx, TComponent* imageList,
                           Integer imageIndex, const TGraphic* graphic, TColor backColor) {
  TVLList* cache = ctx.Bullets;
  if (cache)
    for (Integer i = 0; i < cache->Count(); ++i) {
      auto* b = cache->GetAs<TVLHTMLBulletInfo>(i);
      if (b->ImageList == imageList && b->ImageIndex == imageIndex && b->Graphic == graphic &&
          b->BackColor == backColor)
        return b->FileName;
    }
  auto* il = dynamic_cast<TCustomImageList*>(imageList);
  TBitmap bmp;
  if (il) {
    if (imageIndex < 0 || imageIndex >= il->Count()) return {};
    bmp.SetSize(il->GetWidth(), il->GetHeight());
  } else if (graphic) {
    bmp.SetSize(graphic->GetWidth(), graphic->GetHeight());
  } else {
    return {};
  }
  bmp.SetPixelFormat(pf32bit);
  bmp.Canvas()->Brush.Color = backColor == clNone ? clWhite : backColor;
  bmp.Canvas()->FillRect(TRect(0, 0, bmp.GetWidth(), bmp.GetHeight()));
  if (il)
    il->Draw(bmp.Canvas(), 0, 0, imageIndex, true);
  else
    bmp.Canvas()->Draw(0, 0, const_cast<TGraphic*>(graphic));
  String location;
  data.SaveImageForHTML(true, bmp, ctx, backColor, location);
  location = BackslashesToSlashes(location);
  if (cache && !location.empty()) {
    auto info = std::make_unique<TVLHTMLBulletInfo>();
    info->FileName = location;
    info->ImageList = imageList;
    info->ImageIndex = imageIndex;
    info->Graphic = graphic;
    info->BackColor = backColor;
    cache->Add(std::move(info));
  }
  return location;
}

// ---------------------------------------------------------------------------
// The shared walker

TVLHTMLWriterCore::TVLHTMLWriterCore(TCustomVLData& data, TStream& stream, TVLHTMLSaveContext& ctx,
                                     bool css)
    : D(data), S(stream), Ctx(ctx), CSS(css), Style(data.GetStyle()) {}

void TVLHTMLWriterCore::Str(const AnsiString& s) { S.WriteBytes(s); }
void TVLHTMLWriterCore::Line(const AnsiString& s) { S.WriteBytes(s + "\r\n"); }

void TVLHTMLWriterCore::Anchor(const TVLCPInfo& cp, bool lineEndBefore) {
  AnsiString id;
  if (Ctx.Options.Contains(vlsoUseCheckpointsNames) && !cp.Name.empty()) {
    for (char c : cp.Name) id += static_cast<unsigned char>(c) <= ' ' ? '_' : c;
  } else {
    id = CPPrefix + I(CPCounter);
  }
  ++CPCounter;
  // Ids are unique within a page.
  const AnsiString base = id;
  for (Integer n = 1; !FIds.insert(id).second; ++n) id = base + "_" + I(n);
  if (lineEndBefore) Str("\r\n");
  Line("<A id=\"" + VLUtf8ToHTML(id) + "\"></A>");
}

AnsiString TVLHTMLWriterCore::LinkTag(Integer itemNo, const AnsiString& attrs) {
  TCustomVLItemInfo* item = D.GetItem(itemNo);
  if (!item->GetBoolValueEx(1, Style)) return {};
  String target, extras;
  D.DoWriteHyperlink(item->JumpID, itemNo, vlsfHTML, target, extras);
  const AnsiString href = VLHTMLLinkTarget(target);
  if (href.empty()) return {};
  return "<A" + (attrs.empty() ? AnsiString() : " " + attrs) + " href=\"" + href + "\"" +
         (extras.empty() ? AnsiString() : " " + extras) + ">";
}

namespace {

// For the document converter: each run of hard blanks marked, so that its
// filter makes them the blanks they were (its readers take no-break spaces
// for the user's own), and nothing made up for an empty text.
AnsiString ConverterBlanks(const AnsiString& html) {
  static const AnsiString hard = "&nbsp;";
  if (html.empty()) return "<SPAN class=\"empty-paragraph\"></SPAN>";
  AnsiString r;
  size_t from = 0;
  for (size_t at; (at = html.find(hard, from)) != AnsiString::npos;) {
    size_t end = at;
    while (html.compare(end, hard.size(), hard) == 0) end += hard.size();
    r += html.substr(from, at - from) + "<SPAN class=\"blanks\">" + html.substr(at, end - at) + "</SPAN>";
    from = end;
  }
  return r + html.substr(from);
}

}  // namespace

AnsiString TVLHTMLWriterCore::ItemText(Integer itemNo) {
  AnsiString text;
  if (D.SaveItemToFile(Ctx.Path, itemNo, vlsfHTML, false, text)) return text;
  const bool hints = Ctx.Options.Contains(vlsoConverterHints);
  TCustomVLItemInfo* item = D.GetItem(itemNo);
  const Integer actual = D.GetItemActualStyle(item);
  const bool htmlCode = Style->TextStyles->Items(actual)->Options.Contains(vlteoHTMLCode);
  const AnsiString& raw = D.Items->Get(itemNo);
  const bool before = BlankEdge(itemNo, true), after = BlankEdge(itemNo, false);
  // A symbol font's codes go out as the characters they show: a browser or
  // converter takes the bytes for Latin-1 letters.
  const String& fontName = Style->TextStyles->Items(actual)->FontName;
  if (!htmlCode && SymbolCodeFontOf(fontName.c_str()) != TSymbolCodeFont::None)
    text = VLRawUnicodeToHTML(
        WideStringToRawUnicode(VLSymbolFontText(raw, item->IsUnicode(), fontName, D.GetStyleCodePage(actual))), !hints,
        false, before, after);
  else if (item->IsUnicode())
    text = VLRawUnicodeToHTML(raw, !hints, htmlCode, before, after);
  else
    text = VLAnsiToHTML(raw, D.GetStyleCodePage(actual), !hints, htmlCode, before, after);
  return hints && !htmlCode ? ConverterBlanks(text) : text;
}

bool TVLHTMLWriterCore::BlankEdge(Integer itemNo, bool before) {
  // The line starts (ends) here: a blank there would vanish unless hard.
  const Integer next = before ? itemNo : itemNo + 1;
  if (next >= D.GetItemCount() || !D.GetItem(next)->GetSameAsPrev()) return true;
  // The neighbouring run's text meets this one with a blank of its own.
  const Integer other = before ? itemNo - 1 : itemNo + 1;
  TCustomVLItemInfo* item = D.GetItem(other);
  if (item->StyleNo < 0) return false;
  const AnsiString& text = D.Items->Get(other);
  if (item->IsUnicode()) {
    if (text.size() < 2) return false;
    const size_t at = before ? text.size() - 2 : 0;
    return text[at] == ' ' && text[at + 1] == 0;
  }
  return !text.empty() && (before ? text.back() : text.front()) == ' ';
}

AnsiString TVLHTMLWriterCore::ParaExtra(Integer itemNo, bool isStart) {
  return D.DoSaveParaHTMLExtra(itemNo, isStart, CSS);
}

void TVLHTMLWriterCore::CloseListsTo(size_t depth) {
  bool any = false;
  while (Lists.size() > depth) {
    if (Lists.back().ItemOpen) {
      if (BeforeListItemEnds) BeforeListItemEnds();
      Str("</LI>");
    }
    Lists.back().Level->SaveHTMLCloseTag(S);
    Lists.pop_back();
    any = true;
  }
  if (any) Str("\r\n");
}

TVLHTMLWriterCore::TListItemForm TVLHTMLWriterCore::ListItemForm(const TVLMarkerItemInfo& marker,
                                                                 TVLListLevel& level) {
  TListItemForm r;
  if (!level.HasNumbering()) return r;
  const AnsiString own = "%" + I(std::max(0, marker.Level)) + ":s";
  const AnsiString& f = level.FormatString;
  if (f == "%s." || f == own + ".") return r;
  TVLMarkerList* markers = D.GetMarkers(false);
  const WideString shown = VLMarkerDisplayText(markers ? markers->DisplayStringOf(&marker) : AnsiString(),
                                               level.GetFont()->GetName(),
                                               CharsetToCodePage(level.GetFont()->GetCharset()));
  // A CSS string in ASCII (the attribute's own escaping comes after), a
  // no-break space after the marker as the browser's own markers have.
  AnsiString css = "list-style-type: '";
  char hex[16];
  for (size_t i = 0; i < shown.size(); ++i) {
    char32_t c = shown[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < shown.size() && shown[i + 1] >= 0xDC00 && shown[i + 1] <= 0xDFFF)
      c = 0x10000 + ((c - 0xD800) << 10) + (shown[++i] - 0xDC00);
    if (c == u'\\' || c == u'\'') {
      css += '\\';
      css += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7F) {
      css += static_cast<char>(c);
    } else {
      std::snprintf(hex, sizeof hex, "\\%X ", static_cast<unsigned>(c));
      css += hex;
    }
  }
  r.CSS = css + "\\A0';";
  if (!Ctx.Options.Contains(vlsoConverterHints)) return r;
  if (f == "%s)" || f == own + ")") r.Start = "<SPAN class=\"list-form-OneParen\"></SPAN>";
  else if (f == "(%s)" || f == "(" + own + ")") r.Start = "<SPAN class=\"list-form-TwoParens\"></SPAN>";
  return r;
}

void TVLHTMLWriterCore::PrepareListItem(const TVLMarkerItemInfo& marker, const TVLListLevel& level) {
  const size_t want = static_cast<size_t>(std::max(0, marker.Level)) + 1;
  if (Lists.size() > want) CloseListsTo(want);
  // Another list at this level starts anew; one deeper down goes inside the
  // open item, as the levels of one list do (a second level made a list of
  // its own by another word processor).
  if (Lists.size() == want && Lists.back().ListNo != marker.ListNo) CloseListsTo(want - 1);
  if (Lists.size() == want && Lists.back().ItemOpen) {
    if (BeforeListItemEnds) BeforeListItemEnds();
    Line("</LI>");
    Lists.back().ItemOpen = false;
  }
  TVLListInfo* list = Style->ListStyles->Items(marker.ListNo);
  while (Lists.size() < want) {
    const Integer k = static_cast<Integer>(Lists.size());
    if (k > 0) {
      if (Lists.back().ItemOpen) {
        if (BeforeListItemEnds) BeforeListItemEnds();
      } else {
        Str("<LI style=\"list-style-type: none;\">");
        Lists.back().ItemOpen = true;
      }
    }
    const TVLListLevel* lvl = k == marker.Level ? &level
                                                 : list->Levels->Items(std::min(k, list->Levels->Count() - 1));
    lvl->SaveHTMLOpenTag(S, CSS);
    Str("\r\n");
    Lists.push_back({lvl, marker.ListNo, false});
  }
}

String TVLHTMLWriterCore::SaveBackground(const TVLBackgroundImage* background, TColor color) {
  if (!background || background->Style == bsNoBitmap || !background->Image ||
      background->Image->GetEmpty())
    return {};
  bool doDefault = true;
  String location;
  D.DoHTMLSaveImage(-1, Ctx.Path, color, doDefault, location);
  if (doDefault) D.SaveImageForHTML(true, *background->Image, Ctx, color, location);
  return location;
}

// ---------------------------------------------------------------------------
// Formatting of runs in the plain writer: size, colour and face in a SPAN
// style, the font styles as B, I, U and S, shifts as SUB and SUP.

namespace {

struct TLook {
  Integer Size = 10;
  TColor Color = clWindowText;
  String Name;
  TFontStyles Styles;
  Integer VShift = 0;
};

TLook LookOf(const TFontInfo& f) { return {f.Size, f.Color, f.FontName, f.Style, f.VShift}; }
TLook LookOf(const TFont& f) { return {f.GetSize(), f.GetColor(), f.GetName(), f.GetStyle(), 0}; }


AnsiString FrameCSS(const TLook& s, const TLook* b) {
  AnsiString css;
  if (!b || s.Size != b->Size) AddWithSpace(css, "font-size: " + I(s.Size) + "pt;");
  if (!b || s.Color != b->Color) AddWithSpace(css, "color: " + ColorToHtml(s.Color) + ";");
  if (!b || !SameText(s.Name, b->Name)) {
    AnsiString name;
    for (char c : s.Name) {
      if (c == '\'' || c == '\\') name += '\\';
      name += c;
    }
    AddWithSpace(css, "font-family: " + VLCSSFontFamily(s.Name, "'" + name + "'") + ";");
  }
  return css;
}

// Opening tags of a run: the base's font styles it lacks are closed first
// (they are the innermost open elements), then its own frame and styles.
AnsiString OpenRun(const TLook& s, const TLook* b, bool subSup) {
  AnsiString r;
  const TFontStyles none;
  if (b) r += VLCloseFontStyleTags(b->Styles, s.Styles);
  const AnsiString css = FrameCSS(s, b);
  if (!css.empty()) r += "<SPAN" + VLStyleAttr(css) + ">";
  r += VLOpenFontStyleTags(s.Styles, b ? b->Styles : none);
  if (subSup && s.VShift < 0) r += "<SUB>";
  if (subSup && s.VShift > 0) r += "<SUP>";
  return r;
}

AnsiString CloseRun(const TLook& s, const TLook* b, bool subSup) {
  AnsiString r;
  const TFontStyles none;
  if (subSup && s.VShift < 0) r += "</SUB>";
  if (subSup && s.VShift > 0) r += "</SUP>";
  r += VLCloseFontStyleTags(s.Styles, b ? b->Styles : none);
  if (!FrameCSS(s, b).empty()) r += "</SPAN>";
  if (b) r += VLOpenFontStyleTags(b->Styles, s.Styles);
  return r;
}

// The picture attributes of an IMG tag.
AnsiString ImgAttrs(const TVLRectItemInfo& item, TCustomVLData* vlData, const TVLHTMLSaveContext& ctx,
                    Integer width, Integer height, bool ownSize, const String& alt, bool useCSS) {
  AnsiString r = ctx.Options.Contains(vlsoNoHypertextImageBorders) ? " border=0 " : " ";
  if ((ctx.Options.Contains(vlsoImageSizes) || ownSize) && width >= 0 && height >= 0)
    r += "width=" + I(width) + " height=" + I(height) + " ";
  r += "alt=\"" + VLUtf8ToHTML(alt) + "\" ";
  if (!item.Hint.empty()) r += FormatHint(vlhmHTML, item.Hint) + " ";
  AnsiString css;
  if (item.VAlign == vlvaMiddle) css = "vertical-align: middle;";
  if (useCSS) {
    AnsiString shift = VLRectVShiftCSS(item, vlData->GetStyle());
    const size_t colon = shift.find(':');
    if (colon != AnsiString::npos) AddWithSpace(css, "vertical-align: " + Trim(shift.substr(colon + 1)) + "px;");
  }
  if (!css.empty()) r += "style=\"" + css + "\" ";
  return r;
}

}  // namespace

// ---------------------------------------------------------------------------
// Items

void TVLGraphicItemInfo::SaveToHTML(TStream& stream, TCustomVLData* vlData, Integer itemNo,
                                    const AnsiString& /*text*/, TVLHTMLSaveContext& ctx,
                                    TColor curColor, bool useCSS) {
  if (!Image) return;
  String location;
  const bool useName = !ImageFileName.empty() && ctx.Options.Contains(vlsoUseItemImageFileNames);
  auto ownName = [&] {
    std::error_code ec;
    const fs::path rel = fs::path(ImageFileName).lexically_relative(ctx.Path.empty() ? "." : ctx.Path);
    return rel.empty() ? String(ImageFileName) : rel.generic_string();
  };
  if (useName) location = ownName();
  bool doDefault = true;
  vlData->DoHTMLSaveImage(itemNo, ctx.Path, curColor, doDefault, location);
  if (doDefault) {
    if (useName)
      location = ownName();
    else
      // Only a JPEG stays JPEG: any other picture is written losslessly.
      vlData->SaveImageForHTML(dynamic_cast<const TJPEGImage*>(Image.get()) != nullptr, *Image, ctx, curColor,
                               location);
  }
  if (location.empty()) return;
  const Integer w = ImageWidth > 0 ? ImageWidth : Image->GetWidth();
  const Integer h = ImageHeight > 0 ? ImageHeight : Image->GetHeight();
  stream.WriteBytes("<IMG" + ImgAttrs(*this, vlData, ctx, w, h, ImageWidth > 0 || ImageHeight > 0, Alt, useCSS) +
                    "src=\"" + VLHTMLFileLocation(location) + "\">");
}

void TVLBulletItemInfo::SaveToHTML(TStream& stream, TCustomVLData* vlData, Integer itemNo,
                                   const AnsiString& /*text*/, TVLHTMLSaveContext& ctx,
                                   TColor curColor, bool useCSS) {
  String location;
  bool doDefault = true;
  vlData->DoHTMLSaveImage(itemNo, ctx.Path, curColor, doDefault, location);
  if (doDefault) location = VLSaveBulletForHTML(*vlData, ctx, ImageList, ImageIndex, nullptr, curColor);
  if (location.empty()) return;
  auto* il = dynamic_cast<TCustomImageList*>(ImageList);
  stream.WriteBytes("<IMG" + ImgAttrs(*this, vlData, ctx, il ? il->GetWidth() : 0, il ? il->GetHeight() : 0,
                                      false, String(), useCSS) +
                    "src=\"" + VLHTMLFileLocation(location) + "\">");
}

void TVLBreakItemInfo::SaveToHTML(TStream& stream, TCustomVLData* vlData, Integer /*itemNo*/,
                                  const AnsiString& /*text*/, TVLHTMLSaveContext& /*ctx*/,
                                  TColor /*curColor*/, bool /*useCSS*/) {
  const AnsiString color = ColorToHtml(VLBreakColor(*this, vlData->GetStyle()));
  AnsiString css = "height: " + I(LineWidth) + "px; border: none;";
  if (!color.empty()) css += " color: " + color + "; background-color: " + color + ";";
  const AnsiString hint = Hint.empty() ? AnsiString() : " " + FormatHint(vlhmHTML, Hint);
  stream.WriteBytes("<HR style=\"" + css + "\"" + hint + ">");
}

void TVLMarkerItemInfo::SaveToHTML(TStream& stream, TCustomVLData* vlData, Integer itemNo,
                                   const AnsiString& /*text*/, TVLHTMLSaveContext& ctx,
                                   TColor curColor, bool useCSS) {
  if (!ctx.Options.Contains(vlsoMarkersAsText)) return;
  TVLStyle* style = vlData->GetStyle();
  TVLListLevel* lvl = GetLevelInfo(style);
  if (!lvl) return;
  TVLMarkerList* markers = vlData->GetMarkers(false);
  const Integer counter = markers ? markers->CounterOf(this) : 1;
  auto write = [&](const AnsiString& s) { stream.WriteBytes(s); };
  if (lvl->ListType == vllstPicture || lvl->ListType == vllstImageList ||
      lvl->ListType == vllstImageListCounter) {
    String location;
    bool doDefault = true;
    vlData->DoHTMLSaveImage(itemNo, ctx.Path, curColor, doDefault, location);
    if (doDefault) {
      if (lvl->ListType == vllstPicture) {
        if (lvl->HasPicture())
          location = VLSaveBulletForHTML(*vlData, ctx, nullptr, 0, lvl->GetPicture()->GetGraphic(), curColor);
      } else {
        const Integer index = lvl->ImageIndex + (lvl->ListType == vllstImageListCounter ? counter - 1 : 0);
        location = VLSaveBulletForHTML(*vlData, ctx, lvl->ImageList, index, nullptr, curColor);
      }
    }
    if (location.empty()) return;
    const bool wrap = useCSS && lvl->ListType != vllstPicture && lvl->MarkerIndent >= lvl->LeftIndent;
    if (wrap)
      write("<SPAN style=\"width:" + I(lvl->LeftIndent + lvl->FirstIndent - lvl->MarkerIndent) + "px\">");
    write("<IMG alt=\"\" src=\"" + VLHTMLFileLocation(location) + "\">");
    if (wrap) write("</SPAN>");
    write("\r\n");
    return;
  }
  AnsiString markerText;
  if (lvl->ListType == vllstUnicodeBullet)
    markerText = VLRawUnicodeToHTML(WideStringToRawUnicode(lvl->FormatStringW), false, false);
  else
    markerText = VLRawUnicodeToHTML(
        WideStringToRawUnicode(VLMarkerDisplayText(markers ? markers->DisplayStringOf(this) : AnsiString(),
                                                   lvl->GetFont()->GetName(),
                                                   CharsetToCodePage(lvl->GetFont()->GetCharset()))),
        false, false);
  if (useCSS) {
    AnsiString css = FontToCSS(*lvl->GetFont());
    if (lvl->LeftIndent <= lvl->MarkerIndent)
      css += " width: " + I(lvl->LeftIndent + lvl->FirstIndent - lvl->MarkerIndent) + "px;";
    write("<SPAN" + VLStyleAttr(css) + ">" + markerText);
    write("</SPAN>\r\n");
  } else {
    const TLook base = LookOf(*style->TextStyles->Items(0));
    const TLook look = LookOf(*lvl->GetFont());
    write(OpenRun(look, &base, false) + markerText + CloseRun(look, &base, false) + "\r\n");
  }
}

void TVLControlItemInfo::SaveToHTML(TStream& stream, TCustomVLData* vlData, Integer /*itemNo*/,
                                    const AnsiString& /*text*/, TVLHTMLSaveContext& ctx,
                                    TColor /*curColor*/, bool /*useCSS*/) {
  stream.WriteBytes(vlData->SaveComponentToFile(ctx.Path, Control, vlsfHTML));
}

// ---------------------------------------------------------------------------
// The plain writer

namespace {

AnsiString PageHead(const String& title) {
  return "<!DOCTYPE html>\r\n<HTML><HEAD><TITLE>" + VLUtf8ToHTML(title) + "</TITLE>\r\n<META charset=\"utf-8\">\r\n";
}

}  // namespace

bool TCustomVLData::SaveHTMLToStream(TStream& stream, const String& path, const String& title,
                                     const String& imagesPrefix, TVLSaveOptions options, TColor color,
                                     Integer& imgSaveNo, Integer leftMargin, Integer topMargin,
                                     Integer rightMargin, Integer bottomMargin,
                                     const TVLBackgroundImage* background, TVLList* bullets) {
  TVLStyle* style = GetStyle();
  if (!style || style->TextStyles->Count() == 0) return false;
  TVLList ownBullets;
  TVLHTMLSaveContext ctx;
  ctx.Path = path;
  ctx.ImagesPrefix = imagesPrefix;
  ctx.Options = options;
  ctx.imgSaveNo = &imgSaveNo;
  ctx.Bullets = bullets ? bullets : &ownBullets;
  TVLHTMLWriterCore w(*this, stream, ctx, false);
  const bool head = !options.Contains(vlsoMiddleOnly) && !options.Contains(vlsoLastOnly);
  const bool body = !options.Contains(vlsoFirstOnly) && !options.Contains(vlsoLastOnly);
  const bool end = !options.Contains(vlsoFirstOnly) && !options.Contains(vlsoMiddleOnly);
  if (head) {
    w.Str(PageHead(title));
    w.Str(DoSaveHTMLExtra(0, false));
    w.Line("</HEAD>");
    AnsiString css;
    if (color != clNone) css = "background-color: " + ColorToHtml(color) + ";";
    const String bg = w.SaveBackground(background, color);
    if (!bg.empty()) {
      AddWithSpace(css, "background-image: url('" + VLHTMLFileLocation(bg) + "');");
      if (background->Style != bsTiledAndScrolled) AddWithSpace(css, "background-attachment: fixed;");
    }
    AddWithSpace(css, "margin: " + I(topMargin) + "px " + I(rightMargin) + "px " + I(bottomMargin) +
                          "px " + I(leftMargin) + "px;");
    const AnsiString extra = DoSaveHTMLExtra(1, false);
    w.Line("<BODY" + VLStyleAttr(css) + (extra.empty() ? AnsiString() : " " + extra) + ">");
    w.Str(DoSaveHTMLExtra(2, false));
  }
  if (body) {
    const TFontInfo& f0 = *style->TextStyles->Items(0);
    const TLook look0 = LookOf(f0);
    const bool wrap0 = !options.Contains(vlsoDefault0Style);
    const AnsiString open0 = OpenRun(look0, nullptr, true), close0 = CloseRun(look0, nullptr, true);
    bool wrapOpen = false, paraOpen = false;
    // Style 0's formatting wraps the content of each paragraph and list
    // item, so that every element closes inside the one it opened in.
    auto openWrap = [&] {
      if (wrap0 && !wrapOpen) {
        w.Str(open0);
        wrapOpen = true;
      }
    };
    auto closeWrap = [&] {
      if (wrapOpen) {
        w.Str(close0);
        wrapOpen = false;
      }
    };
    w.BeforeListItemEnds = closeWrap;
    Integer listItemNo = -1;
    const Integer count = GetItemCount();
    for (Integer i = 0; i < count; ++i) {
      TCustomVLItemInfo* item = GetItem(i);
      if (!item->GetSameAsPrev()) {
        if (item->IsParaStart()) {
          if (w.ListItemOpen() && listItemNo >= 0) {
            closeWrap();
            w.Str(w.ParaExtra(listItemNo, false));
          }
          if (paraOpen) {
            closeWrap();
            w.Line("</DIV>");
            w.Str(w.ParaExtra(i, false));
            paraOpen = false;
          }
        } else {
          w.Line("<BR>");
        }
        const AnsiString pageBreak = item->GetPageBreakBefore() && options.Contains(vlsoForceNonTextCSS)
                                         ? AnsiString("page-break-before: always;")
                                         : AnsiString();
        TVLListLevel* lvl = item->StyleNo == vlsListMarker
                                ? static_cast<TVLMarkerItemInfo*>(item)->GetLevelInfo(style)
                                : nullptr;
        if (item->IsParaStart() && lvl && !options.Contains(vlsoMarkersAsText)) {
          auto* marker = static_cast<TVLMarkerItemInfo*>(item);
          w.PrepareListItem(*marker, *lvl);
          w.Str(w.ParaExtra(i, true));
          TVLMarkerList* markers = GetMarkers(false);
          const AnsiString value =
              lvl->HasNumbering() ? " value=" + I(markers ? markers->CounterOf(marker) : 1) : AnsiString();
          AnsiString css = pageBreak;
          const TVLHTMLWriterCore::TListItemForm form = w.ListItemForm(*marker, *lvl);
          AddWithSpace(css, form.CSS);
          w.Str("<LI" + value + VLStyleAttr(css) + ">" + form.Start);
          w.SetListItemOpen();
          listItemNo = i;
          openWrap();
        } else if (item->IsParaStart()) {
          w.CloseAllLists();
          listItemNo = -1;
          if (!item->GetBoolValue(0) || item->StyleNo >= 0) {
            w.Str(w.ParaExtra(i, true));
            static const char* const aligns[] = {"", "text-align: right;", "text-align: center;",
                                                 "text-align: justify;"};
            const Integer pc = style->ParaStyles->Count();
            const TParaInfo& p = *style->ParaStyles->Items(item->ParaNo >= 0 && item->ParaNo < pc ? item->ParaNo : 0);
            AnsiString css = aligns[p.Alignment];
            if (!pageBreak.empty()) AddWithSpace(css, pageBreak);
            w.Str("<DIV" + VLStyleAttr(css) + ">");
            paraOpen = true;
            openWrap();
          }
        }
      }
      if (item->Checkpoint) w.Anchor(*item->Checkpoint, true);
      const AnsiString link = w.LinkTag(i, AnsiString());
      if (item->StyleNo >= 0) {
        const Integer actual = GetItemActualStyle(item);
        const TFontInfo& f = *style->TextStyles->Items(actual);
        if (!f.Options.Contains(vlteoHTMLCode) && f.Options.Contains(vlteoRTFCode)) continue;
        const TLook look = LookOf(f);
        const bool tags = actual != 0 || !wrapOpen;
        if (tags) w.Str(OpenRun(look, wrapOpen ? &look0 : nullptr, true));
        if (!link.empty()) w.Str(link);
        const AnsiString hint = link.empty() ? FormatHint(vlhmHTML, item->Hint) : AnsiString();
        if (!hint.empty()) w.Str("<SPAN " + hint + ">");
        w.Str(w.ItemText(i));
        if (!hint.empty()) w.Str("</SPAN>");
        if (!link.empty()) w.Str("</A>");
        if (tags) w.Str(CloseRun(look, wrapOpen ? &look0 : nullptr, true));
        continue;
      }
      if (item->GetBoolValue(0)) {
        // Rules stand between paragraphs and lists, never inside them.
        closeWrap();
        w.CloseAllLists();
        listItemNo = -1;
      }
      if (!link.empty()) w.Str(link);
      AnsiString hooked;
      if (SaveItemToFile(path, i, vlsfHTML, false, hooked))
        w.Str(hooked);
      else
        item->SaveToHTML(stream, this, i, Items->Get(i), ctx, color, false);
      if (item->StyleNo == vlsBreak) w.Str("\r\n");
      if (!link.empty()) w.Str("</A>");
    }
    if (w.ListItemOpen() && listItemNo >= 0) {
      closeWrap();
      w.Str(w.ParaExtra(listItemNo, false));
    }
    w.CloseAllLists();
    if (paraOpen) {
      closeWrap();
      w.Line("</DIV>");
      w.Str(w.ParaExtra(count - 1, false));
    }
    if (NotAddedCP) w.Anchor(*NotAddedCP, false);
  }
  if (end) {
    w.Str(DoSaveHTMLExtra(3, false));
    w.Line("</BODY></HTML>");
  }
  return true;
}

bool TCustomVLData::SaveHTMLFile(const String& fileName, const String& title, const String& imagesPrefix,
                                 TVLSaveOptions options, TColor color, Integer& imgSaveNo,
                                 Integer leftMargin, Integer topMargin, Integer rightMargin,
                                 Integer bottomMargin, const TVLBackgroundImage* background) {
  TAtomicFileStream stream(fileName);
  const bool ok = SaveHTMLToStream(stream, ExtractFilePath(fileName), title, imagesPrefix, options, color,
                                   imgSaveNo, leftMargin, topMargin, rightMargin, bottomMargin,
                                   background, nullptr);
  if (ok) stream.Commit();
  return ok;
}

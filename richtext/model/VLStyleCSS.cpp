// The style sheet as CSS: one rule per text and paragraph style, the
// declarations of one style for inline style attributes, and the HTML list
// tags of a list level.
#include "platform/base/Streams.h"
#include "platform/base/SysUtils.h"
#include "richtext/model/VLFuncs.h"
#include "richtext/model/VLStyle.h"

#include <cstdio>

namespace {

void WriteStr(TStream& stream, const AnsiString& s) { stream.WriteBytes(s); }
void WriteLn(TStream& stream, const AnsiString& s) { stream.WriteBytes(s + "\r\n"); }
void WriteStrLn(TStream& stream, const AnsiString& s, bool multiline) {
  stream.WriteBytes(multiline ? s + "\r\n" : s);
}

AnsiString Px(Integer v) { return std::to_string(v) + "px"; }

// A CSS string body: quotes and backslashes escaped, and "<" too, so that a
// font name cannot close the STYLE element it stands in.
AnsiString CSSString(const String& s) {
  AnsiString r;
  for (char c : s) {
    if (c == '\'' || c == '\\')
      (r += '\\') += c;
    else if (c == '<')
      r += "\\3C ";
    else if (static_cast<unsigned char>(c) < 32)
      r += ' ';
    else
      r += c;
  }
  return r;
}

AnsiString Comment(const TCustomVLInfo& info) {
  if (!info.Standard) return {};
  AnsiString name = info.StyleName;
  // "*/" inside a name would end the comment early.
  name = ReplaceAllOnce(name, "*/", "* /");
  name = ReplaceAllOnce(name, "<", " ");
  return " /* " + name + " */";
}

// The text-decoration value. A hypertext style writes only what it shows:
// its own rule on the link replaces the link's default underline.
AnsiString Decoration(const TFontInfo& f) {
  AnsiString line;
  if (f.Style.Contains(fsUnderline))
    line = "underline";
  else if (f.Style.Contains(fsStrikeOut))
    line = "line-through";
  const AnsiString over = f.StyleEx.Contains(vlfsOverline) ? "overline" : "";
  if (!line.empty()) return over.empty() ? line : line + " " + over;
  return over.empty() ? AnsiString("none") : over;
}

bool BorderVisible(const TVLBorder& b) { return b.Style != vlbNone && b.Color != clNone; }

TRect BorderRect(const TParaInfo& p) {
  if (!BorderVisible(p.Border)) return TRect(0, 0, 0, 0);
  TRect r;
  p.Border.BorderOffsets.AssignToRect(r);
  return r;
}

// The border rectangle raised to the background's offsets where those are
// greater.
TRect PaddingRect(const TParaInfo& p) {
  TRect r = BorderRect(p);
  if (p.Background.Color != clNone) p.Background.BorderOffsets.AssignToRectIfGreater(r);
  return r;
}

Integer BorderCSSWidth(const TVLBorder& b) {
  switch (b.Style) {
    case vlbSingle: return b.Width;
    case vlbDouble: return b.Width + b.InternalWidth;
    case vlbTriple: return b.Width + 2 * b.InternalWidth;
    case vlbThickInside:
    case vlbThickOutside: return 3 * b.Width / 2 + b.InternalWidth;
    default: return 0;
  }
}

AnsiString LineHeight(Integer spacing) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%d.%02d", spacing / 100, std::abs(spacing % 100));
  return buf;
}

}  // namespace

void TFontInfo::SaveCSSToStream(TStream& stream, const TFontInfo* base, bool multiline) const {
  auto put = [&](const AnsiString& s) { WriteStrLn(stream, s, multiline); };
  if (!base || base->Size != Size) put(" font-size: " + std::to_string(Size) + "pt;");
  if (!base || !SameText(base->FontName, FontName))
    put(" font-family: " + VLCSSFontFamily(FontName, "'" + CSSString(FontName) + "'") + ";");
  const bool italic = Style.Contains(fsItalic), bold = Style.Contains(fsBold);
  if (!base || base->Style.Contains(fsItalic) != italic)
    put(AnsiString(" font-style: ") + (italic ? "italic" : "normal") + ";");
  if (!base || base->Style.Contains(fsBold) != bold)
    put(AnsiString(" font-weight: ") + (bold ? "bold" : "normal") + ";");
  if (!base || base->Color != Color) put(" color: " + ColorToHtml(Color) + ";");
  if (base ? base->CharSpacing != CharSpacing : CharSpacing != 0)
    put(" letter-spacing: " + Px(CharSpacing) + ";");
  const bool caps = StyleEx.Contains(vlfsAllCaps);
  if (caps && (!base || !base->StyleEx.Contains(vlfsAllCaps))) put(" text-transform: uppercase;");
  if (!caps && base && base->StyleEx.Contains(vlfsAllCaps)) put(" text-transform: none;");
  if (base ? base->BackColor != BackColor : !(BackColor == clNone && multiline))
    put(" background-color: " + ColorToHtmlOrTransparent(BackColor) + ";");
  // A style without a shift on a shifted base goes back to the baseline.
  if (base ? base->VShift != VShift : VShift != 0)
    put(AnsiString(" vertical-align: ") +
        (VShift > 0 ? "super" : VShift < 0 ? "sub" : "baseline") + ";");
  const AnsiString deco = Decoration(*this);
  if (!base || Decoration(*base) != deco || (Jump && deco == "none"))
    put(" text-decoration: " + deco + ";");
}

void TParaInfo::SaveCSSToStream(TStream& stream, const TParaInfo* base, bool listItem,
                                bool ignoreLeftAlignment, bool multiline) const {
  auto put = [&](const AnsiString& s) { WriteStrLn(stream, s, multiline); };
  static const char* const aligns[] = {"left", "right", "center", "justify"};
  if (base ? base->Alignment != Alignment : !(ignoreLeftAlignment && Alignment == vlaLeft))
    put(AnsiString(" text-align: ") + aligns[Alignment] + ";");
  if (!listItem && (!base || base->FirstIndent != FirstIndent))
    put(" text-indent: " + Px(FirstIndent) + ";");
  const bool pct = LineSpacingType == vllsPercent;
  if ((!base && pct && LineSpacing != 100) ||
      (base && pct && base->LineSpacingType == vllsPercent && base->LineSpacing != LineSpacing))
    put(" line-height: " + LineHeight(LineSpacing) + ";");
  else if (base && base->LineSpacingType == vllsPercent && base->LineSpacing != 100 && !pct)
    put(" line-height: normal;");
  if (Options.Contains(vlpaoNoWrap))
    put(" white-space: nowrap;");
  else if (base && base->Options.Contains(vlpaoNoWrap))
    put(" white-space: normal;");

  if (!BorderVisible(Border)) {
    if (base && BorderVisible(base->Border)) put(" border: none;");
  } else {
    put(" border-color: " + ColorToHtml(Border.Color) + ";");
    put(AnsiString(" border-style: ") + (Border.Style == vlbSingle ? "solid" : "double") + ";");
    put(" border-width: " + Px(BorderCSSWidth(Border)) + ";");
    if (!Border.VisibleBorders.Top) put(" border-top: none;");
    if (!Border.VisibleBorders.Right) put(" border-right: none;");
    if (!Border.VisibleBorders.Bottom) put(" border-bottom: none;");
    if (!Border.VisibleBorders.Left) put(" border-left: none;");
  }
  if (base ? base->Background.Color != Background.Color : Background.Color != clNone)
    put(" background: " + ColorToHtmlOrTransparent(Background.Color) + ";");
  const TRect r = PaddingRect(*this);
  auto nonNeg = [](Integer v) { return std::max(0, v); };
  const bool sameRect = base && PaddingRect(*base) == r;
  if (!sameRect)
    put(" padding: " + Px(nonNeg(r.Top)) + " " + Px(nonNeg(r.Right)) + " " + Px(nonNeg(r.Bottom)) +
        " " + Px(nonNeg(r.Left)) + ";");
  const Integer mt = SpaceBefore - r.Top, mr = RightIndent - r.Right, mb = SpaceAfter - r.Bottom,
                ml = LeftIndent - r.Left;
  bool sameMargins = false;
  if (base) {
    const TRect br = PaddingRect(*base);
    sameMargins = base->SpaceBefore - br.Top == mt && base->RightIndent - br.Right == mr &&
                  base->SpaceAfter - br.Bottom == mb && base->LeftIndent - br.Left == ml;
  }
  if (!sameMargins) {
    if (listItem) {
      put(" margin-top: " + Px(mt) + ";");
      put(" margin-right: " + Px(mr) + ";");
      put(" margin-bottom: " + Px(mb) + ";");
    } else {
      put(" margin: " + Px(mt) + " " + Px(mr) + " " + Px(mb) + " " + Px(ml) + ";");
    }
  }
}

void TVLStyle::SaveCSS(TStream& stream, Integer options) {
  const bool diffs = (options & 1) != 0, noLeft = (options & 2) != 0, noDefaults = (options & 4) != 0;
  WriteLn(stream, "/*----------Text Styles----------*/");
  const Integer textCount = TextStyles->Count();
  if (textCount > 0) WriteLn(stream, "HR { color: " + ColorToHtml(TextStyles->Items(0)->Color) + "}");
  auto isBodyDefault = [&](const TFontInfo& f) {
    return !f.Jump && f.BackColor == clNone && !noDefaults;
  };
  const bool style0AsBody = textCount > 0 && isBodyDefault(*TextStyles->Items(0));
  for (Integer i = 0; i < textCount; ++i) {
    const TFontInfo& f = *TextStyles->Items(i);
    const AnsiString n = std::to_string(i);
    if (i == 0 && style0AsBody)
      WriteLn(stream, "BODY, TABLE" + Comment(f));
    else if (f.Jump)
      WriteLn(stream, "A.VLTS" + n + ", SPAN.VLTS" + n + Comment(f));
    else
      WriteLn(stream, "SPAN.VLTS" + n + Comment(f));
    const TFontInfo* base = nullptr;
    if (diffs && f.BaseStyleNo >= 0 && f.BaseStyleNo < textCount)
      base = TextStyles->Items(f.BaseStyleNo);
    else if (i > 0 && style0AsBody)
      base = TextStyles->Items(0);
    WriteLn(stream, "{");
    f.SaveCSSToStream(stream, base, true);
    WriteLn(stream, "}");
    if (f.Jump) {
      const TColor hover = GetHoverColor(f.HoverColor);
      if (hover == clNone && f.HoverBackColor == clNone) continue;
      const TFontInfo* jb = base && base->Jump ? base : nullptr;
      WriteStr(stream, "A.VLTS" + n + ":hover {");
      if ((!jb && hover != clNone) || (jb && GetHoverColor(jb->HoverColor) != hover))
        WriteStr(stream, " color: " + ColorToHtmlOrTransparent(hover) + ";");
      if ((!jb && f.HoverBackColor != clNone) || (jb && jb->HoverBackColor != f.HoverBackColor))
        WriteStr(stream, " background-color: " + ColorToHtmlOrTransparent(f.HoverBackColor) + ";");
      WriteLn(stream, " }");
    }
  }
  WriteLn(stream, "/*----------Para Styles----------*/");
  const Integer paraCount = ParaStyles->Count();
  for (Integer i = 0; i < paraCount; ++i) {
    const TParaInfo& p = *ParaStyles->Items(i);
    if (i == 0 && !noDefaults)
      WriteLn(stream, "P,UL,OL" + Comment(p));
    else
      WriteLn(stream, ".VLPS" + std::to_string(i) + Comment(p));
    const TParaInfo* base = nullptr;
    if (diffs && p.BaseStyleNo >= 0 && p.BaseStyleNo < paraCount)
      base = ParaStyles->Items(p.BaseStyleNo);
    else if (i > 0 && !noDefaults)
      base = ParaStyles->Items(0);
    WriteLn(stream, "{");
    p.SaveCSSToStream(stream, base, false, noLeft, true);
    WriteLn(stream, "}");
  }
}

void TVLListLevel::SaveHTMLOpenTag(TStream& stream, bool useCSS) const {
  AnsiString styleAttr;
  AnsiString type, cssType;
  if (HasNumbering()) switch (ListType) {
      case vllstLowerAlpha: type = " type=a", cssType = " list-style-type: lower-alpha;"; break;
      case vllstUpperAlpha: type = " type=A", cssType = " list-style-type: upper-alpha;"; break;
      case vllstLowerRoman: type = " type=i", cssType = " list-style-type: lower-roman;"; break;
      case vllstUpperRoman: type = " type=I", cssType = " list-style-type: upper-roman;"; break;
      default: break;
    }
  if (useCSS) {
    // Only the position: the "list-style" shorthand would reset the type
    // to a bullet, whatever the tag's type says.
    AnsiString css;
    if (LeftIndent > MarkerIndent)
      css = "text-indent: " + Px(FirstIndent) + "; margin-left: " + Px(LeftIndent) +
            "; list-style-position: outside;";
    else
      css = "text-indent: " + Px(MarkerIndent - LeftIndent) + "; margin-left: " + Px(LeftIndent) +
            "; list-style-position: inside;";
    styleAttr = " style=\"" + css + cssType + "\"";
  }
  if (HasNumbering()) {
    WriteStr(stream, "<OL" + type + styleAttr + ">");
  } else {
    WriteStr(stream, "<UL" + styleAttr + ">");
  }
}

void TVLListLevel::SaveHTMLCloseTag(TStream& stream) const {
  WriteStr(stream, HasNumbering() ? "</OL>" : "</UL>");
}

AnsiString TVLListLevel::GetIndentCSSForTextVersion() const {
  return "text-indent: " + Px(MarkerIndent - LeftIndent) + "; margin-left: " + Px(LeftIndent) + ";";
}

#include "richtext/model/VLStyleIni.h"

#include "platform/base/IniFiles.h"
#include "platform/base/Streams.h"
#include "richtext/model/VLFMisc.h"

#include <algorithm>
#include <unordered_map>

namespace {

constexpr Integer LongStringPiece = 500;
// A damaged file must not make the loader create millions of styles.
constexpr Integer MaxStylesInFile = 65535;

// The pattern with the property name in place of its "%s".
String Key(const String& pattern, const String& name) {
  size_t p = pattern.find("%s");
  if (p == String::npos) return pattern + name;
  return pattern.substr(0, p) + name + pattern.substr(p + 2);
}

String Pattern(const char* prefix, Integer n) { return String(prefix) + "%s" + std::to_string(n); }

const char* YesNo(bool b) { return b ? "Yes" : "No"; }

class TWriter {
public:
  TWriter(TIniFile& ini, const String& section) : Ini(ini), Section(section) {}
  void Int(const String& key, Integer value, Integer def) {
    if (value != def) Ini.WriteInteger(Section, key, value);
  }
  void IntAlways(const String& key, Integer value) { Ini.WriteInteger(Section, key, value); }
  void Bool(const String& key, bool value, bool def) {
    if (value != def) Ini.WriteString(Section, key, YesNo(value));
  }
  void BoolAlways(const String& key, bool value) { Ini.WriteString(Section, key, YesNo(value)); }
  void Str(const String& key, const String& value) { Ini.WriteString(Section, key, value); }
  void LongStr(const String& key, const String& value) {
    Integer n = 0;
    for (size_t pos = 0; pos < value.size(); pos += LongStringPiece, ++n)
      Ini.WriteString(Section, key + "_" + std::to_string(n), value.substr(pos, LongStringPiece));
  }
  TIniFile& Ini;
  const String& Section;
};

// Reads the section's keys from one pass over it: a file of many styles is
// read without a walk of the whole section for every key.
class TReader {
public:
  TReader(TIniFile& ini, const String& section) {
    TStringList pairs;
    ini.ReadSectionValues(section, pairs);
    for (Integer i = 0; i < pairs.Count(); ++i) {
      const String& pair = pairs[i];
      const size_t eq = pair.find('=');
      if (eq == String::npos) continue;
      Values.emplace(Upper(pair.substr(0, eq)), pair.substr(eq + 1));  // the first of a name counts
    }
    // The default sheet's two paragraph and six text styles need no keys.
    Budget = static_cast<Integer>(std::min<size_t>(Values.size() + 8, MaxStylesInFile));
  }
  Integer Int(const String& key, Integer def) {
    const String* v = Find(key);
    return v ? StrToIntDef(*v, def) : def;
  }
  bool Bool(const String& key, bool def) {
    const String* v = Find(key);
    return v ? UpperCase(*v) == "YES" : def;
  }
  String Str(const String& key, const String& def) {
    const String* v = Find(key);
    return v ? *v : def;
  }
  String LongStr(const String& key) {
    String r;
    for (Integer n = 0;; ++n) {
      const String* piece = Find(key + "_" + std::to_string(n));
      if (!piece || piece->empty()) break;
      r += *piece;
    }
    return r;
  }
  // How many of count items to read: every style or level a file of ours
  // holds has a key of its own, so a count is never believed past the keys
  // the section has left to give (a count of millions in a small file).
  Integer Take(Integer count) {
    const Integer n = std::clamp(count, 0, Budget);
    Budget -= n;
    return n;
  }

private:
  static String Upper(String s) {
    for (char& c : s)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    return s;
  }
  const String* Find(const String& key) const {
    const auto it = Values.find(Upper(key));
    return it == Values.end() ? nullptr : &it->second;
  }
  std::unordered_map<String, String> Values;
  Integer Budget = 0;
};

// ---------------------------------------------------------------------------
// Common keys

void SaveBase(TWriter& w, const String& pat, const TCustomVLInfo& s) {
  w.Str(Key(pat, "StyleName"), s.StyleName);
  w.Int(Key(pat, "BaseStyleNo"), s.BaseStyleNo, -1);
  w.Int(Key(pat, "Standard"), s.Standard ? 1 : 0, 1);
}

void LoadBase(TReader& r, const String& pat, TCustomVLInfo& s, const char* defName) {
  s.StyleName = r.Str(Key(pat, "StyleName"), defName);
  s.BaseStyleNo = r.Int(Key(pat, "BaseStyleNo"), -1);
  s.Standard = r.Int(Key(pat, "Standard"), 1) != 0;
}

// ---------------------------------------------------------------------------
// Text styles

void SaveFont(TWriter& w, const String& pat, const TFontInfo& f) {
  SaveBase(w, pat, f);
  w.Str(Key(pat, "Name"), f.FontName);
  w.BoolAlways(Key(pat, "Jump"), f.Jump);
  w.Int(Key(pat, "Size"), f.Size, 10);
  w.Int(Key(pat, "Color"), f.Color, clWindowText);
  w.Int(Key(pat, "BackColor"), f.BackColor, clNone);
  w.Int(Key(pat, "HoverBackColor"), f.HoverBackColor, clNone);
  w.Int(Key(pat, "HoverColor"), f.HoverColor, clNone);
  w.Int(Key(pat, "JumpCursor"), f.JumpCursor, crJump);
  w.Int(Key(pat, "Charset"), f.Charset, 1);
  w.Int(Key(pat, "CharScale"), f.CharScale, 100);
  w.Int(Key(pat, "CharSpacing"), f.CharSpacing, 0);
  w.Int(Key(pat, "BiDiMode"), f.BiDiMode, 0);
  w.Bool(Key(pat, "Bold"), f.Style.Contains(fsBold), false);
  w.Bool(Key(pat, "Underline"), f.Style.Contains(fsUnderline), false);
  w.Bool(Key(pat, "StrikeOut"), f.Style.Contains(fsStrikeOut), false);
  w.Bool(Key(pat, "Italic"), f.Style.Contains(fsItalic), false);
  w.Bool(Key(pat, "Overline"), f.StyleEx.Contains(vlfsOverline), false);
  w.Bool(Key(pat, "Caps"), f.StyleEx.Contains(vlfsAllCaps), false);
  w.Int(Key(pat, "Protection"), static_cast<Integer>(f.Protection.ToMask() & 0x3FF), 0);
  w.Bool(Key(pat, "RTFCode"), f.Options.Contains(vlteoRTFCode), false);
  w.Bool(Key(pat, "HTMLCode"), f.Options.Contains(vlteoHTMLCode), false);
  w.Int(Key(pat, "VShift"), f.VShift, 0);
  w.Int(Key(pat, "NextStyleNo"), f.NextStyleNo, -1);
  w.Bool(Key(pat, "Unicode"), f.Unicode, false);
}

void LoadFont(TReader& r, const String& pat, TFontInfo& f, Integer n, Word defJumpCursor) {
  LoadBase(r, pat, f, "Font Style");
  f.FontName = r.Str(Key(pat, "Name"), "Arial");
  String jump = r.Str(Key(pat, "Jump"), "?");
  if (jump == "?") {
    f.Jump = n == 4 || n == 5;
    f.JumpCursor = defJumpCursor;
  } else {
    f.Jump = UpperCase(jump) == "YES";
    f.JumpCursor = static_cast<Word>(r.Int(Key(pat, "JumpCursor"), crJump));
  }
  f.Size = r.Int(Key(pat, "Size"), 10);
  f.Color = r.Int(Key(pat, "Color"), clWindowText);
  f.BackColor = r.Int(Key(pat, "BackColor"), clNone);
  f.HoverBackColor = r.Int(Key(pat, "HoverBackColor"), clNone);
  f.HoverColor = r.Int(Key(pat, "HoverColor"), clNone);
  f.Charset = static_cast<Byte>(r.Int(Key(pat, "Charset"), 1));
  f.CharScale = r.Int(Key(pat, "CharScale"), 100);
  f.CharSpacing = r.Int(Key(pat, "CharSpacing"), 0);
  Integer bidi = r.Int(Key(pat, "BiDiMode"), 0);
  f.BiDiMode = bidi >= 0 && bidi <= vlbdRightToLeft ? static_cast<TVLBiDiMode>(bidi) : vlbdUnspecified;
  f.Style.Clear();
  f.StyleEx.Clear();
  f.Options.Clear();
  if (r.Bool(Key(pat, "Bold"), false)) f.Style.Include(fsBold);
  if (r.Bool(Key(pat, "Underline"), false)) f.Style.Include(fsUnderline);
  if (r.Bool(Key(pat, "StrikeOut"), false)) f.Style.Include(fsStrikeOut);
  if (r.Bool(Key(pat, "Italic"), false)) f.Style.Include(fsItalic);
  if (r.Bool(Key(pat, "Overline"), false)) f.StyleEx.Include(vlfsOverline);
  if (r.Bool(Key(pat, "Caps"), false)) f.StyleEx.Include(vlfsAllCaps);
  f.Protection = TVLProtectOptions::FromMask(static_cast<Cardinal>(r.Int(Key(pat, "Protection"), 0)) & 0x3FF);
  if (r.Bool(Key(pat, "SingleSymbols"), false)) {
    f.Protection.Include(vlprStyleProtect);
    f.Protection.Include(vlprDoNotAutoSwitch);
  }
  if (r.Bool(Key(pat, "RTFCode"), false)) f.Options.Include(vlteoRTFCode);
  if (r.Bool(Key(pat, "HTMLCode"), false)) f.Options.Include(vlteoHTMLCode);
  f.VShift = r.Int(Key(pat, "VShift"), 0);
  f.NextStyleNo = r.Int(Key(pat, "NextStyleNo"), -1);
  f.Unicode = r.Bool(Key(pat, "Unicode"), false);
}

// ---------------------------------------------------------------------------
// Paragraph styles

void SaveRect(TWriter& w, const String& pat, const TVLRect& rc) {
  w.Int(Key(pat, "Left"), rc.Left, 0);
  w.Int(Key(pat, "Right"), rc.Right, 0);
  w.Int(Key(pat, "Top"), rc.Top, 0);
  w.Int(Key(pat, "Bottom"), rc.Bottom, 0);
}

void LoadRect(TReader& r, const String& pat, TVLRect& rc) {
  rc.Left = r.Int(Key(pat, "Left"), 0);
  rc.Right = r.Int(Key(pat, "Right"), 0);
  rc.Top = r.Int(Key(pat, "Top"), 0);
  rc.Bottom = r.Int(Key(pat, "Bottom"), 0);
}

void SavePara(TWriter& w, const String& pat, const TParaInfo& p) {
  SaveBase(w, pat, p);
  w.Int(Key(pat, "SpaceBefore"), p.SpaceBefore, 0);
  w.Int(Key(pat, "SpaceAfter"), p.SpaceAfter, 0);
  w.Int(Key(pat, "LeftIndent"), p.LeftIndent, 0);
  w.Int(Key(pat, "RightIndent"), p.RightIndent, 0);
  w.Int(Key(pat, "FirstIndent"), p.FirstIndent, 0);
  w.Int(Key(pat, "LineSpacing"), p.LineSpacing, 100);
  w.Int(Key(pat, "LSType"), p.LineSpacingType, 0);
  w.Int(Key(pat, "NextParaNo"), p.NextParaNo, -1);
  w.Int(Key(pat, "DefStyleNo"), p.DefStyleNo, -1);
  w.Int(Key(pat, "Alignment"), p.Alignment, 0);
  w.Int(Key(pat, "BiDiMode"), p.BiDiMode, 0);
  w.Bool(Key(pat, "NoWrap"), p.Options.Contains(vlpaoNoWrap), false);
  w.Bool(Key(pat, "ReadOnly"), p.Options.Contains(vlpaoReadOnly), false);
  w.Bool(Key(pat, "StyleProtect"), p.Options.Contains(vlpaoStyleProtect), false);
  w.Bool(Key(pat, "DoNotWantReturns"), p.Options.Contains(vlpaoDoNotWantReturns), false);
  String bp = Key(pat, "Border%s");
  w.Int(Key(bp, "Width"), p.Border.Width, 1);
  w.Int(Key(bp, "Style"), p.Border.Style, 0);
  w.Int(Key(bp, "Color"), p.Border.Color, clWindowText);
  w.Int(Key(bp, "InternalWidth"), p.Border.InternalWidth, 1);
  SaveRect(w, Key(bp, "Offsets%s"), p.Border.BorderOffsets);
  String vp = Key(bp, "Visible%s");
  w.Bool(Key(vp, "Left"), p.Border.VisibleBorders.Left, true);
  w.Bool(Key(vp, "Right"), p.Border.VisibleBorders.Right, true);
  w.Bool(Key(vp, "Top"), p.Border.VisibleBorders.Top, true);
  w.Bool(Key(vp, "Bottom"), p.Border.VisibleBorders.Bottom, true);
  String gp = Key(pat, "Background%s");
  w.Int(Key(gp, "Color"), p.Background.Color, clNone);
  SaveRect(w, Key(gp, "Offsets%s"), p.Background.BorderOffsets);
}

template <class E>
E ReadOrdinal(TReader& r, const String& key, E last, E def = static_cast<E>(0)) {
  Integer v = r.Int(key, def);
  return v >= 0 && v <= static_cast<Integer>(last) ? static_cast<E>(v) : def;
}

void LoadPara(TReader& r, const String& pat, TParaInfo& p) {
  LoadBase(r, pat, p, "Paragraph Style");
  p.SpaceBefore = r.Int(Key(pat, "SpaceBefore"), 0);
  p.SpaceAfter = r.Int(Key(pat, "SpaceAfter"), 0);
  p.LeftIndent = r.Int(Key(pat, "LeftIndent"), 0);
  p.RightIndent = r.Int(Key(pat, "RightIndent"), 0);
  p.FirstIndent = r.Int(Key(pat, "FirstIndent"), 0);
  p.LineSpacing = r.Int(Key(pat, "LineSpacing"), 100);
  p.LineSpacingType = ReadOrdinal(r, Key(pat, "LSType"), vllsSpaceBetween);
  p.NextParaNo = r.Int(Key(pat, "NextParaNo"), -1);
  p.DefStyleNo = r.Int(Key(pat, "DefStyleNo"), -1);
  p.Alignment = ReadOrdinal(r, Key(pat, "Alignment"), vlaJustify);
  p.BiDiMode = ReadOrdinal(r, Key(pat, "BiDiMode"), vlbdRightToLeft);
  p.Options.Clear();
  if (r.Bool(Key(pat, "NoWrap"), false)) p.Options.Include(vlpaoNoWrap);
  if (r.Bool(Key(pat, "ReadOnly"), false)) p.Options.Include(vlpaoReadOnly);
  if (r.Bool(Key(pat, "StyleProtect"), false)) p.Options.Include(vlpaoStyleProtect);
  if (r.Bool(Key(pat, "DoNotWantReturns"), false)) p.Options.Include(vlpaoDoNotWantReturns);
  String bp = Key(pat, "Border%s");
  p.Border.Width = r.Int(Key(bp, "Width"), 1);
  p.Border.Style = ReadOrdinal(r, Key(bp, "Style"), vlbThickOutside);
  p.Border.Color = r.Int(Key(bp, "Color"), clWindowText);
  p.Border.InternalWidth = r.Int(Key(bp, "InternalWidth"), 1);
  LoadRect(r, Key(bp, "Offsets%s"), p.Border.BorderOffsets);
  String vp = Key(bp, "Visible%s");
  p.Border.VisibleBorders.Left = r.Bool(Key(vp, "Left"), true);
  p.Border.VisibleBorders.Right = r.Bool(Key(vp, "Right"), true);
  p.Border.VisibleBorders.Top = r.Bool(Key(vp, "Top"), true);
  p.Border.VisibleBorders.Bottom = r.Bool(Key(vp, "Bottom"), true);
  String gp = Key(pat, "Background%s");
  p.Background.Color = r.Int(Key(gp, "Color"), clNone);
  LoadRect(r, Key(gp, "Offsets%s"), p.Background.BorderOffsets);
}

// ---------------------------------------------------------------------------
// List styles

String FontToIniText(const TFont& f) {
  String style;
  TFontStyles s = f.GetStyle();
  if (s.Contains(fsBold)) style += "B";
  if (s.Contains(fsItalic)) style += "I";
  if (s.Contains(fsUnderline)) style += "U";
  if (s.Contains(fsStrikeOut)) style += "S";
  return f.GetName() + "," + std::to_string(f.GetHeight()) + "," + style + "," +
         std::to_string(static_cast<int>(f.GetPitch())) + "," + ColorToString(f.GetColor()) + "," +
         std::to_string(static_cast<int>(f.GetCharset()));
}

void IniTextToFont(const String& text, TFont& f) {
  std::vector<String> fields;
  size_t start = 0;
  for (;;) {
    size_t p = text.find(',', start);
    fields.push_back(text.substr(start, p == String::npos ? String::npos : p - start));
    if (p == String::npos) break;
    start = p + 1;
  }
  if (fields.size() > 0) f.SetName(fields[0]);
  if (fields.size() > 1) f.SetHeight(StrToIntDef(fields[1], f.GetHeight()));
  if (fields.size() > 2) {
    TFontStyles s;
    for (char c : fields[2]) {
      switch (c) {
        case 'B': case 'b': s.Include(fsBold); break;
        case 'I': case 'i': s.Include(fsItalic); break;
        case 'U': case 'u': s.Include(fsUnderline); break;
        case 'S': case 's': s.Include(fsStrikeOut); break;
        default: break;
      }
    }
    f.SetStyle(s);
  }
  if (fields.size() > 3) {
    Integer pitch = StrToIntDef(fields[3], f.GetPitch());
    if (pitch >= fpDefault && pitch <= fpFixed) f.SetPitch(static_cast<TFontPitch>(pitch));
  }
  if (fields.size() > 4) {
    TColor c;
    try {
      c = StringToColor(fields[4]);
      f.SetColor(c);
    } catch (const EConvertError&) {
      // a colour that is no colour keeps the font's
    }
  }
  if (fields.size() > 5) f.SetCharset(static_cast<TFontCharset>(StrToIntDef(fields[5], f.GetCharset())));
}

void SaveLevel(TWriter& w, const String& pat, TVLListLevel& l) {
  w.Int(Key(pat, "ListType"), l.ListType, 0);
  w.Int(Key(pat, "ImageIndex"), l.ImageIndex, 0);
  w.Str(Key(pat, "FormatString"), l.FormatString);
  w.Int(Key(pat, "LeftIndent"), l.LeftIndent, 0);
  w.Int(Key(pat, "FirstIndent"), l.FirstIndent, 10);
  w.Int(Key(pat, "MarkerIndent"), l.MarkerIndent, 0);
  w.Int(Key(pat, "MarkerAlignment"), l.MarkerAlignment, 0);
  const TPicture* pic = l.PictureOrNil();
  if (pic && pic->GetGraphic()) {
    TGraphic* g = pic->GetGraphic();
    w.Str(Key(pat, "GraphicClass"), g->ClassName());
    w.LongStr(Key(pat, "Picture"), VLFStringToHex(g->SaveToBytes()));
  }
  if (const TVLMarkerFont* font = l.FontOrNil()) w.Str(Key(pat, "Font"), FontToIniText(*font));
  w.Bool(Key(pat, "Continuous"), l.Options.Contains(vlloContinuous), true);
  w.Bool(Key(pat, "LevelReset"), l.Options.Contains(vlloLevelReset), true);
  if (!l.FormatStringW.empty()) {
    AnsiString raw;
    for (char16_t c : l.FormatStringW) {
      raw += static_cast<char>(c & 0xFF);
      raw += static_cast<char>(c >> 8);
    }
    w.LongStr(Key(pat, "FormatStringW"), VLFStringToHex(raw));
  }
  // Kept per level so that they survive a save and load of the sheet.
  w.Int(Key(pat, "StartFrom"), l.StartFrom, 1);
  w.Bool(Key(pat, "Legal"), l.Options.Contains(vlloLegalStyleNumbering), false);
}

void LoadLevel(TReader& r, const String& pat, TVLListLevel& l) {
  l.ListType = ReadOrdinal(r, Key(pat, "ListType"), vllstUnicodeBullet);
  l.ImageIndex = r.Int(Key(pat, "ImageIndex"), 0);
  l.FormatString = r.Str(Key(pat, "FormatString"), "");
  l.LeftIndent = r.Int(Key(pat, "LeftIndent"), 0);
  l.FirstIndent = r.Int(Key(pat, "FirstIndent"), 10);
  l.MarkerIndent = r.Int(Key(pat, "MarkerIndent"), 0);
  l.MarkerAlignment = ReadOrdinal(r, Key(pat, "MarkerAlignment"), vlmaCenter);
  l.SetPicture(nullptr);
  String cls = r.Str(Key(pat, "GraphicClass"), "");
  if (!cls.empty()) {
    // Only our own picture classes are ever created from a file.
    if (std::unique_ptr<TGraphic> g = CreateGraphicOfClassName(cls)) {
      AnsiString bytes;
      if (VLFTryHexToString(r.LongStr(Key(pat, "Picture")), bytes)) {
        try {
          g->LoadFromBytes(bytes);
          TPicture pic;
          pic.SetGraphic(std::move(g));
          l.SetPicture(&pic);
        } catch (const Exception&) {
          l.SetPicture(nullptr);
        }
      }
    }
  }
  String font = r.Str(Key(pat, "Font"), "");
  if (font.empty()) {
    l.SetFont(nullptr);
  } else {
    TVLMarkerFont f;
    IniTextToFont(font, f);
    l.SetFont(&f);
  }
  l.Options.Clear();
  if (r.Bool(Key(pat, "Continuous"), true)) l.Options.Include(vlloContinuous);
  if (r.Bool(Key(pat, "LevelReset"), true)) l.Options.Include(vlloLevelReset);
  if (r.Bool(Key(pat, "Legal"), false)) l.Options.Include(vlloLegalStyleNumbering);
  l.FormatStringW.clear();
  AnsiString raw;
  if (VLFTryHexToString(r.LongStr(Key(pat, "FormatStringW")), raw)) {
    for (size_t i = 0; i + 1 < raw.size(); i += 2)
      l.FormatStringW += static_cast<char16_t>(static_cast<unsigned char>(raw[i]) |
                                               (static_cast<unsigned char>(raw[i + 1]) << 8));
  }
  l.StartFrom = r.Int(Key(pat, "StartFrom"), 1);
}

Integer ClampCount(Integer n) { return std::clamp(n, 0, MaxStylesInFile); }

}  // namespace

// ---------------------------------------------------------------------------

void VLStyleSaveToINI(TVLStyle& style, TIniFile& ini, const String& section) {
  ini.EraseSection(section);
  TWriter w(ini, section);
  w.Int("Color", style.Color, clWindow);
  w.Int("HoverColor", style.HoverColor, clNone);
  w.Int("SelColor", style.SelColor, clHighlight);
  w.Int("SelTextColor", style.SelTextColor, clHighlightText);
  w.Int("ISelColor", style.InactiveSelColor, clHighlight);
  w.Int("ISelTextColor", style.InactiveSelTextColor, clHighlightText);
  w.Int("CheckpointColor", style.CheckpointColor, 0x008000);
  w.Int("CheckpointEvColor", style.CheckpointEvColor, 0x00FF00);
  w.Int("PageBreakColor", style.PageBreakColor, clBtnShadow);
  w.Int("SoftPageBreakColor", style.SoftPageBreakColor, clBtnFace);
  w.Int("JumpCursor", style.JumpCursor, crJump);
  w.Bool("UseSound", style.UseSound, true);
  w.Int("SelectionMode", style.SelectionMode, vlsmWord);
  w.Int("SelectionStyle", style.SelectionStyle, vlssItems);
  w.Int("DefUnicodeStyle", style.DefUnicodeStyle, -1);
  w.Int("DefCodePage", static_cast<Integer>(style.DefCodePage), 0);

  TParaInfos& paras = *style.ParaStyles;
  w.IntAlways("ParasCount", paras.Count());
  for (Integer i = 0; i < paras.Count(); ++i) SavePara(w, Pattern("Para", i), *paras.Items(i));

  TFontInfos& fonts = *style.TextStyles;
  w.IntAlways("FontsCount", fonts.Count());
  for (Integer i = 0; i < fonts.Count(); ++i) SaveFont(w, Pattern("Font", i), *fonts.Items(i));

  TVLListInfos& lists = *style.ListStyles;
  w.IntAlways("ListCount", lists.Count());
  for (Integer i = 0; i < lists.Count(); ++i) {
    TVLListInfo& list = *lists.Items(i);
    String pat = Pattern("List", i);
    SaveBase(w, pat, list);
    w.Int(Key(pat, "LevelsCount"), list.Levels->Count(), 0);
    // The shared key keeps older readers working; the numbered key keeps
    // each list's own value.
    w.Bool("OneLevelPreview", list.OneLevelPreview, false);
    w.BoolAlways(Key(pat, "OneLevelPreview"), list.OneLevelPreview);
    for (Integer m = 0; m < list.Levels->Count(); ++m)
      SaveLevel(w, "List" + std::to_string(i) + "Lvl%s" + std::to_string(m), *list.Levels->Items(m));
  }
}

void VLStyleLoadFromINI(TVLStyle& style, TIniFile& ini, const String& section) {
  TReader r(ini, section);
  style.Color = r.Int("Color", clWindow);
  style.HoverColor = r.Int("HoverColor", clNone);
  style.SelColor = r.Int("SelColor", clHighlight);
  style.SelTextColor = r.Int("SelTextColor", clHighlightText);
  style.InactiveSelColor = r.Int("ISelColor", clHighlight);
  style.InactiveSelTextColor = r.Int("ISelTextColor", clHighlightText);
  style.CheckpointColor = r.Int("CheckpointColor", 0x008000);
  style.CheckpointEvColor = r.Int("CheckpointEvColor", 0x00FF00);
  style.PageBreakColor = r.Int("PageBreakColor", clBtnShadow);
  style.SoftPageBreakColor = r.Int("SoftPageBreakColor", clBtnFace);
  style.JumpCursor = static_cast<Word>(r.Int("JumpCursor", crJump));
  style.UseSound = r.Bool("UseSound", true);
  style.SelectionMode = ReadOrdinal(r, "SelectionMode", vlsmParagraph, vlsmWord);
  style.SelectionStyle = ReadOrdinal(r, "SelectionStyle", vlssLines);
  style.DefUnicodeStyle = r.Int("DefUnicodeStyle", -1);
  style.DefCodePage = static_cast<TVLCodePage>(r.Int("DefCodePage", 0));

  TParaInfos& paras = *style.ParaStyles;
  paras.Clear();
  Integer n = r.Take(ClampCount(r.Int("ParasCount", 2)));
  for (Integer i = 0; i < n; ++i) LoadPara(r, Pattern("Para", i), *paras.Add());

  TFontInfos& fonts = *style.TextStyles;
  fonts.Clear();
  n = r.Take(ClampCount(r.Int("FontsCount", 6)));
  for (Integer i = 0; i < n; ++i) LoadFont(r, Pattern("Font", i), *fonts.Add(), i, style.JumpCursor);

  TVLListInfos& lists = *style.ListStyles;
  lists.Clear();
  n = r.Take(ClampCount(r.Int("ListCount", 0)));
  bool sharedPreview = r.Bool("OneLevelPreview", false);
  for (Integer i = 0; i < n; ++i) {
    TVLListInfo& list = *lists.Add();
    String pat = Pattern("List", i);
    LoadBase(r, pat, list, "List Style");
    list.OneLevelPreview = r.Bool(Key(pat, "OneLevelPreview"), sharedPreview);
    list.Levels->Clear();
    Integer levels = r.Take(ClampCount(r.Int(Key(pat, "LevelsCount"), 0)));
    for (Integer m = 0; m < levels; ++m)
      LoadLevel(r, "List" + std::to_string(i) + "Lvl%s" + std::to_string(m), *list.Levels->Add());
  }
}

void VLStyleSaveINI(TVLStyle& style, const String& fileName, const String& section, bool ownerOnly) {
  TIniFile ini(fileName);
  ini.OwnerOnly = ownerOnly;
  VLStyleSaveToINI(style, ini, section);
  ini.UpdateFile();
}

void VLStyleLoadINI(TVLStyle& style, const String& fileName, const String& section) {
  TIniFile ini(fileName);
  VLStyleLoadFromINI(style, ini, section);
}

void VLStyleSetUpInitial(TVLStyle& style) {
  style.ResetTextStyles();
  style.ResetParaStyles();
  style.ListStyles->Clear();
  for (Integer i = 0; i < style.TextStyles->Count(); ++i) style.TextStyles->Items(i)->Unicode = true;
}

bool VLStyleLoadOrInitial(TVLStyle& style, const String& folder) {
  String fileName = IncludeTrailingPathDelimiter(folder) + VLStyleFileName;
  if (FileExists(fileName)) {
    VLStyleLoadINI(style, fileName, VLStyleSectionName);
    return true;
  }
  VLStyleSetUpInitial(style);
  return false;
}

#include "richtext/model/VLFStyles.h"

#include <algorithm>
#include <climits>

namespace {

// Little-endian writer and a bounds-checked reader.
class TOut {
public:
  void Int(Integer v) {
    auto u = static_cast<uint32_t>(v);
    for (int k = 0; k < 4; ++k) S += static_cast<char>((u >> (8 * k)) & 0xFF);
  }
  void Bool(bool b) { S += static_cast<char>(b ? 1 : 0); }
  void Str(const AnsiString& s) {
    Int(static_cast<Integer>(s.size()));
    S += s;
  }
  void WStr(const WideString& w) {
    Int(static_cast<Integer>(w.size()));
    for (char16_t c : w) {
      S += static_cast<char>(c & 0xFF);
      S += static_cast<char>(c >> 8);
    }
  }
  AnsiString S;
};

class TIn {
public:
  TIn(const AnsiString& s, size_t pos, size_t end) : S(s), Pos(pos), End(end) {}
  bool Int(Integer& v) {
    if (End - Pos < 4) return Fail();
    uint32_t u = 0;
    for (int k = 0; k < 4; ++k) u |= static_cast<uint32_t>(static_cast<unsigned char>(S[Pos + k])) << (8 * k);
    Pos += 4;
    v = static_cast<Integer>(u);
    return true;
  }
  bool Bool(bool& b) {
    if (End - Pos < 1) return Fail();
    b = S[Pos++] != 0;
    return true;
  }
  bool Str(AnsiString& s) {
    Integer n;
    if (!Int(n) || n < 0 || static_cast<size_t>(n) > End - Pos) return Fail();
    s.assign(S, Pos, static_cast<size_t>(n));
    Pos += static_cast<size_t>(n);
    return true;
  }
  bool WStr(WideString& w) {
    Integer n;
    if (!Int(n) || n < 0 || static_cast<size_t>(n) > (End - Pos) / 2) return Fail();
    w.clear();
    for (Integer i = 0; i < n; ++i, Pos += 2)
      w += static_cast<char16_t>(static_cast<unsigned char>(S[Pos]) |
                                 (static_cast<unsigned char>(S[Pos + 1]) << 8));
    return true;
  }
  bool Fail() {
    Ok = false;
    return false;
  }
  const AnsiString& S;
  size_t Pos, End;
  bool Ok = true;
};

template <class E>
E Enum(Integer v, E last) {
  return v >= 0 && v <= static_cast<Integer>(last) ? static_cast<E>(v) : static_cast<E>(0);
}

void PutBase(TOut& o, const TCustomVLInfo& s) {
  o.Str(s.StyleName);
  o.Int(s.BaseStyleNo);
  o.Bool(s.Standard);
}

void GetBase(TIn& in, TCustomVLInfo& s) {
  in.Str(s.StyleName);
  in.Int(s.BaseStyleNo);
  in.Bool(s.Standard);
}

void PutFont(TOut& o, const TFontInfo& f) {
  PutBase(o, f);
  o.Int(f.BiDiMode);
  o.Bool(f.Jump);
  o.Int(f.JumpCursor);
  o.Str(f.FontName);
  o.Int(f.Size);
  o.Int(f.Color);
  o.Int(f.BackColor);
  o.Int(f.HoverColor);
  o.Int(f.HoverBackColor);
  o.Int(static_cast<Integer>(f.Style.ToMask()));
  o.Int(static_cast<Integer>(f.StyleEx.ToMask()));
  o.Int(f.VShift);
  o.Int(f.NextStyleNo);
  o.Int(f.Charset);
  o.Bool(f.Unicode);
  o.Int(static_cast<Integer>(f.Protection.ToMask()));
  o.Int(static_cast<Integer>(f.Options.ToMask()));
  o.Int(f.CharScale);
  o.Int(f.CharSpacing);
}

void GetFont(TIn& in, TFontInfo& f) {
  GetBase(in, f);
  Integer v = 0;
  in.Int(v);
  f.BiDiMode = Enum(v, vlbdRightToLeft);
  in.Bool(f.Jump);
  in.Int(v);
  f.JumpCursor = static_cast<Word>(v);
  in.Str(f.FontName);
  in.Int(f.Size);
  in.Int(f.Color);
  in.Int(f.BackColor);
  in.Int(f.HoverColor);
  in.Int(f.HoverBackColor);
  in.Int(v);
  f.Style = TFontStyles::FromMask(static_cast<uint32_t>(v) & 0xF);
  in.Int(v);
  f.StyleEx = TVLFontStyles::FromMask(static_cast<uint32_t>(v) & 0x3);
  in.Int(f.VShift);
  in.Int(f.NextStyleNo);
  in.Int(v);
  f.Charset = static_cast<Byte>(v);
  in.Bool(f.Unicode);
  in.Int(v);
  f.Protection = TVLProtectOptions::FromMask(static_cast<uint32_t>(v) & 0x3FF);
  in.Int(v);
  f.Options = TVLTextOptions::FromMask(static_cast<uint32_t>(v) & 0x3);
  in.Int(f.CharScale);
  in.Int(f.CharSpacing);
}

void PutRect(TOut& o, const TVLRect& r) {
  o.Int(r.Left);
  o.Int(r.Top);
  o.Int(r.Right);
  o.Int(r.Bottom);
}

void GetRect(TIn& in, TVLRect& r) {
  in.Int(r.Left);
  in.Int(r.Top);
  in.Int(r.Right);
  in.Int(r.Bottom);
}

void PutPara(TOut& o, const TParaInfo& p) {
  PutBase(o, p);
  o.Int(p.FirstIndent);
  o.Int(p.LeftIndent);
  o.Int(p.RightIndent);
  o.Int(p.SpaceBefore);
  o.Int(p.SpaceAfter);
  o.Int(p.LineSpacing);
  o.Int(p.LineSpacingType);
  o.Int(p.Alignment);
  o.Int(p.Border.Color);
  o.Int(p.Border.Style);
  o.Int(p.Border.Width);
  o.Int(p.Border.InternalWidth);
  o.Bool(p.Border.VisibleBorders.Left);
  o.Bool(p.Border.VisibleBorders.Top);
  o.Bool(p.Border.VisibleBorders.Right);
  o.Bool(p.Border.VisibleBorders.Bottom);
  PutRect(o, p.Border.BorderOffsets);
  o.Int(p.NextParaNo);
  o.Int(p.Background.Color);
  PutRect(o, p.Background.BorderOffsets);
  o.Int(static_cast<Integer>(p.Options.ToMask()));
  o.Int(p.BiDiMode);
  o.Int(p.DefStyleNo);
}

void GetPara(TIn& in, TParaInfo& p) {
  GetBase(in, p);
  Integer v = 0;
  in.Int(p.FirstIndent);
  in.Int(p.LeftIndent);
  in.Int(p.RightIndent);
  in.Int(p.SpaceBefore);
  in.Int(p.SpaceAfter);
  in.Int(p.LineSpacing);
  in.Int(v);
  p.LineSpacingType = Enum(v, vllsSpaceBetween);
  in.Int(v);
  p.Alignment = Enum(v, vlaJustify);
  in.Int(p.Border.Color);
  in.Int(v);
  p.Border.Style = Enum(v, vlbThickOutside);
  in.Int(p.Border.Width);
  in.Int(p.Border.InternalWidth);
  in.Bool(p.Border.VisibleBorders.Left);
  in.Bool(p.Border.VisibleBorders.Top);
  in.Bool(p.Border.VisibleBorders.Right);
  in.Bool(p.Border.VisibleBorders.Bottom);
  GetRect(in, p.Border.BorderOffsets);
  in.Int(p.NextParaNo);
  in.Int(p.Background.Color);
  GetRect(in, p.Background.BorderOffsets);
  in.Int(v);
  p.Options = TVLParaOptions::FromMask(static_cast<uint32_t>(v) & 0xF);
  in.Int(v);
  p.BiDiMode = Enum(v, vlbdRightToLeft);
  in.Int(p.DefStyleNo);
}

void PutLevel(TOut& o, TVLListLevel& l) {
  o.Int(l.ListType);
  o.Int(l.ImageIndex);
  o.Str(l.FormatString);
  o.WStr(l.FormatStringW);
  o.Int(l.LeftIndent);
  o.Int(l.FirstIndent);
  o.Int(l.MarkerIndent);
  o.Int(l.MarkerAlignment);
  o.Int(static_cast<Integer>(l.Options.ToMask()));
  o.Int(l.StartFrom);
  const TPicture* pic = l.PictureOrNil();
  TGraphic* g = pic ? pic->GetGraphic() : nullptr;
  o.Str(g ? g->ClassName() : String());
  o.Str(g ? g->SaveToBytes() : AnsiString());
  const TVLMarkerFont* f = l.FontOrNil();
  o.Bool(f != nullptr);
  if (f) {
    o.Str(f->GetName());
    o.Int(f->GetHeight());
    o.Int(static_cast<Integer>(f->GetStyle().ToMask()));
    o.Int(f->GetPitch());
    o.Int(f->GetColor());
    o.Int(f->GetCharset());
  }
}

void GetLevel(TIn& in, TVLListLevel& l) {
  Integer v = 0;
  in.Int(v);
  l.ListType = Enum(v, vllstUnicodeBullet);
  in.Int(l.ImageIndex);
  in.Str(l.FormatString);
  in.WStr(l.FormatStringW);
  in.Int(l.LeftIndent);
  in.Int(l.FirstIndent);
  in.Int(l.MarkerIndent);
  in.Int(v);
  l.MarkerAlignment = Enum(v, vlmaCenter);
  in.Int(v);
  l.Options = TVLListLevelOptions::FromMask(static_cast<uint32_t>(v) & 0x7);
  in.Int(l.StartFrom);
  AnsiString cls, bytes;
  in.Str(cls);
  in.Str(bytes);
  l.SetPicture(nullptr);
  if (in.Ok && !cls.empty()) {
    // Only our own picture classes are created from a document.
    if (std::unique_ptr<TGraphic> g = CreateGraphicOfClassName(cls)) {
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
  bool hasFont = false;
  in.Bool(hasFont);
  if (in.Ok && hasFont) {
    TVLMarkerFont f;
    AnsiString name;
    in.Str(name);
    f.SetName(name);
    in.Int(v);
    f.SetHeight(v);
    in.Int(v);
    f.SetStyle(TFontStyles::FromMask(static_cast<uint32_t>(v) & 0xF));
    in.Int(v);
    f.SetPitch(Enum(v, fpFixed));
    in.Int(v);
    f.SetColor(v);
    in.Int(v);
    f.SetCharset(static_cast<TFontCharset>(v));
    if (in.Ok) l.SetFont(&f);
  } else {
    l.SetFont(nullptr);
  }
}

void PutList(TOut& o, TVLListInfo& li) {
  PutBase(o, li);
  o.Bool(li.OneLevelPreview);
  o.Int(li.GetListID());
  o.Int(li.Levels->Count());
  for (Integer m = 0; m < li.Levels->Count(); ++m) {
    TOut lo;
    PutLevel(lo, *li.Levels->Items(m));
    o.Str(lo.S);
  }
}

void GetList(TIn& in, TVLListInfo& li) {
  GetBase(in, li);
  in.Bool(li.OneLevelPreview);
  Integer id = 0, n = 0;
  in.Int(id);
  if (id > 0) li.SetListID(id);
  in.Int(n);
  if (n < 0 || static_cast<size_t>(n) > (in.End - in.Pos) / 4) {
    in.Fail();
    return;
  }
  li.Levels->Clear();
  for (Integer m = 0; m < n && in.Ok; ++m) {
    AnsiString rec;
    if (!in.Str(rec)) return;
    TIn lin(rec, 0, rec.size());
    GetLevel(lin, *li.Levels->Add());
    if (!lin.Ok) in.Fail();
  }
}

template <class TColl, class TItem, class Put>
AnsiString CollectionToBytes(TColl& styles, Put put) {
  TOut o;
  o.S += VLFCollectionMarker;
  for (Integer i = 0; i < styles.Count(); ++i) {
    TOut item;
    put(item, static_cast<TItem&>(*styles.template ItemAs<TItem>(i)));
    o.S += '\x01';
    o.Str(item.S);
  }
  o.S += '\0';
  return o.S;
}

template <class TColl, class TItem, class Get>
bool CollectionFromBytes(const AnsiString& data, TColl& styles, Get get) {
  if (data.empty() || data[0] != VLFCollectionMarker) return false;
  TIn in(data, 1, data.size());
  for (;;) {
    if (in.Pos >= in.End) return false;  // no end byte
    char c = data[in.Pos++];
    if (c == '\0') return true;
    if (c != '\x01') return false;
    AnsiString rec;
    if (!in.Str(rec)) return false;
    TIn rin(rec, 0, rec.size());
    auto* item = static_cast<TItem*>(styles.Add());
    get(rin, *item);
    if (!rin.Ok) return false;
  }
}

}  // namespace

AnsiString VLFTextStylesToBytes(TFontInfos& styles) {
  return CollectionToBytes<TFontInfos, TFontInfo>(styles, PutFont);
}
AnsiString VLFParaStylesToBytes(TParaInfos& styles) {
  return CollectionToBytes<TParaInfos, TParaInfo>(styles, PutPara);
}
AnsiString VLFListStylesToBytes(TVLListInfos& styles) {
  return CollectionToBytes<TVLListInfos, TVLListInfo>(styles, PutList);
}
bool VLFTextStylesFromBytes(const AnsiString& data, TFontInfos& styles) {
  return CollectionFromBytes<TFontInfos, TFontInfo>(data, styles, GetFont);
}
bool VLFParaStylesFromBytes(const AnsiString& data, TParaInfos& styles) {
  return CollectionFromBytes<TParaInfos, TParaInfo>(data, styles, GetPara);
}
bool VLFListStylesFromBytes(const AnsiString& data, TVLListInfos& styles) {
  return CollectionFromBytes<TVLListInfos, TVLListInfo>(data, styles, GetList);
}

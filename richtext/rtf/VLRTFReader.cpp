#include "richtext/rtf/VLRTFReader.h"

#include "platform/base/CodePages.h"
#include "platform/gui/SymbolEncoding.h"
#include "platform/gui/Graphics.h"
#include "richtext/rtf/VLRTFPictures.h"
#include "richtext/table/VLTable.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>

namespace {
constexpr size_t BufferSize = 4096;
constexpr size_t MaxKeyword = 64;
// Deeper table nesting than this is taken as this deep: no deeper than a
// saved document can hold.
constexpr Integer MaxTableNesting = VLTableMaxNesting;

bool IsHex(Byte c) { return std::isxdigit(c) != 0; }
Integer HexValue(Byte c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return c - 'A' + 10;
}

AnsiString TrimBlanks(const AnsiString& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<Byte>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<Byte>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

AnsiString UpperAscii(const AnsiString& s) {
  AnsiString r = s;
  for (char& c : r) c = static_cast<char>(std::toupper(static_cast<Byte>(c)));
  return r;
}

void AppendCapped(AnsiString& s, char c, size_t cap) {
  if (s.size() < cap) s.push_back(c);
}
}  // namespace

TVLRTFReader::TVLRTFReader(TComponent* owner) : TComponent(owner) {}

TVLRTFReader::~TVLRTFReader() = default;

const TVLRTFFont* TVLRTFReader::GetFont(Integer index) const {
  if (index < 0 || index >= static_cast<Integer>(FontList.size())) return nullptr;
  return &FontList[static_cast<size_t>(index)];
}

Cardinal TVLRTFReader::FontCodePage(const TVLRTFFont& font) const {
  const Cardinal cp = CharsetToCodePage(font.Charset);
  // A Mac font in a Mac document of another script than Roman (Mac
  // Japanese) is in the document's code page.
  if (cp == CP_MACCP && FCodePage > 10000 && FCodePage < 10100) return FCodePage;
  // A Japanese font of a Mac Japanese document holds the Mac's form of
  // Shift-JIS: ASCII below 0x80 and the Mac's own single bytes above.
  if (cp == 932 && ResolveCodePage(FCodePage) == 10001) return FCodePage;
  return cp ? cp : FCodePage;
}

void TVLRTFReader::Clear() {
  StyleSheet.clear();
  ClearFontList();
  ColorList.clear();
  ListTable.clear();
  ListOverrideTable.clear();
  FStack.clear();
  RTFState.Reset();
  FText.clear();
  FTextW.clear();
  FPosition = rtf_ts_NewPara;
  FPushedBack = false;
  FPicture.reset();
  FObject.reset();
  FNumbering.reset();
  FCodePage = DefCodePage;
  FUnicodeSkip = 1;
  FSkipCount = 0;
  FDepth = 0;
  FListTableDepth = FOverrideTableDepth = 0;
  FListTableReads = 0;
  FTableLevel = 0;
  FForceFlush = false;
  FShapePictureInserted = false;
  FObjectInserted = false;
  FStar = false;
  FBinCount = 0;
  FLastParam = 0;
  FHexValue = FHexDigits = 0;
  FHexByte = 0;
  FHexHigh = false;
}

Byte TVLRTFReader::ReadFromFile(const String& fileName) {
  std::unique_ptr<TFileStream> stream;
  try {
    stream = std::make_unique<TFileStream>(fileName, fmOpenRead | fmShareCompat);
  } catch (...) {
    return 8;
  }
  return ReadFromStream(*stream);
}

Byte TVLRTFReader::ReadFromStream(TStream& stream) {
  Byte result = 9;
  try {
    Clear();
    FStream = &stream;
    FStreamSize = stream.GetSize();
    FBuffer.assign(BufferSize, 0);
    FBufPos = FBufLen = 0;
    // The byte-order mark some writers put before "{\rtf" is no text.
    if (!AtEnd()) {
      NextChar();
      FBufPos = FBufLen >= 3 && FBuffer[0] == '\xEF' && FBuffer[1] == '\xBB' && FBuffer[2] == '\xBF' ? 3 : 0;
    }
    result = Parse();
  } catch (...) {
    result = 9;
  }
  FStream = nullptr;
  FBuffer.clear();
  FBuffer.shrink_to_fit();
  return result;
}

// ---------------------------------------------------------------------------
// Input

bool TVLRTFReader::AtEnd() const {
  if (FPushedBack || FBufPos < FBufLen) return false;
  return FStream->GetPosition() >= FStreamSize;
}

int TVLRTFReader::NextChar() {
  if (FPushedBack) {
    FPushedBack = false;
    return FLastChar;
  }
  if (FBufPos >= FBufLen) {
    const Int64 remaining = FStreamSize - FStream->GetPosition();
    const Int64 want = std::min<Int64>(static_cast<Int64>(BufferSize), remaining);
    if (want <= 0) throw std::runtime_error("read past the end");
    FStream->ReadBuffer(FBuffer.data(), want);
    FBufLen = static_cast<size_t>(want);
    FBufPos = 0;
  }
  FLastChar = static_cast<Byte>(FBuffer[FBufPos++]);
  return FLastChar;
}

Byte TVLRTFReader::Parse() {
  Byte r = 0;
  while (!AtEnd()) {
    const Byte c = static_cast<Byte>(NextChar());
    if (FDepth < 0) return 1;
    if (RTFState.ParseMode == rtf_pm_Binary) {
      if ((r = PutChar(c)) != 0) return r;
      if (--FBinCount <= 0) RTFState.ParseMode = rtf_pm_Normal;
      continue;
    }
    switch (c) {
      case '{':
        FSkipCount = 0;
        if ((r = PushGroup()) != 0) return r;
        break;
      case '}':
        FSkipCount = 0;
        if ((r = PopGroup()) != 0) return r;
        if (FDepth == 0) goto done;
        break;
      case '\\':
        if ((r = ReadControlWord()) != 0) return r;
        break;
      case 13:
      case 10:
        break;
      default:
        if (RTFState.ParseMode == rtf_pm_Hex) {
          if (!IsHex(c)) return 4;
          FHexValue = FHexValue * 16 + HexValue(c);
          if (++FHexDigits == 2) {
            const Byte b = static_cast<Byte>(FHexValue);
            FHexValue = FHexDigits = 0;
            RTFState.ParseMode = rtf_pm_Normal;
            if (FSkipCount > 0)
              --FSkipCount;
            else if ((r = PutChar(b, true)) != 0)
              return r;
          }
        } else if (RTFState.ParseMode == rtf_pm_Normal) {
          if (FSkipCount > 0)
            --FSkipCount;
          else if ((r = PutChar(c)) != 0)
            return r;
        } else {
          return 6;
        }
    }
  }
done:
  DoUpdateMarker();
  while (FTableLevel > 0) {
    --FTableLevel;
    DoTableEvent(vlf_tbl_TableEnd);
  }
  // The empty entry after the colour table's last ";" only.
  if (ColorList.size() > 1 && ColorList.back() == rtf_clAuto) ColorList.pop_back();
  if (FDepth < 0) return 1;
  if (FDepth > 0) return 3;
  if (!FText.empty() || !FTextW.empty()) return AddTextChar(0, true, true);
  return 0;
}

Byte TVLRTFReader::ReadControlWord() {
  if (AtEnd()) return 7;
  int c = NextChar();
  if (!std::isalpha(c)) {
    const char k[2] = {static_cast<char>(c), 0};
    return DispatchKeyword(FindRTFKeyword(std::string_view(k, 1)), 0, false);
  }
  char keyword[MaxKeyword];
  size_t len = 0;
  bool ended = false;
  while (true) {
    if (len < MaxKeyword) keyword[len++] = static_cast<char>(c);
    if (AtEnd()) {
      ended = true;
      break;
    }
    c = NextChar();
    if (!std::isalpha(c)) break;
  }
  bool hasParam = false;
  Integer value = 0;
  if (!ended) {
    bool negative = false;
    if (c == '-') {
      negative = true;
      if (AtEnd()) {
        ended = true;
      } else {
        c = NextChar();
      }
    }
    if (!ended && std::isdigit(c)) {
      hasParam = true;
      // A number beyond 32 bits is taken as the nearest one within: one
      // word out of range does not cost the whole file.
      Int64 v = 0;
      while (true) {
        v = std::min<Int64>(v * 10 + (c - '0'), 2147483648LL);
        if (AtEnd()) {
          ended = true;
          break;
        }
        c = NextChar();
        if (!std::isdigit(c)) break;
      }
      if (negative) v = -v;
      value = static_cast<Integer>(std::min<Int64>(v, 2147483647LL));
      FLastParam = value;
    }
    if (!ended && c != ' ') FPushedBack = true;
  }
  if (FSkipCount > 0) {
    --FSkipCount;
    return 0;
  }
  const TVLRTFsymbol* sym = len < MaxKeyword ? FindRTFKeyword(std::string_view(keyword, len)) : nullptr;
  return DispatchKeyword(sym, value, hasParam);
}

Byte TVLRTFReader::DispatchKeyword(const TVLRTFsymbol* sym, Integer value, bool hasParam) {
  if (!sym) {
    if (FStar) RTFState.Destination = rtf_ds_Skip;
    FStar = false;
    return 0;
  }
  FStar = false;
  switch (sym->Kind) {
    case rtf_kw_Char:
      return PutChar(static_cast<Byte>(sym->Id));
    case rtf_kw_WideChar:
      if (RTFState.Destination == rtf_ds_Normal && OnNewUnicodeText)
        return PutUnicodeChar(static_cast<char16_t>(sym->DefaultValue & 0xFFFF));
      return PutChar(static_cast<Byte>(sym->Id));
    case rtf_kw_Destination:
      return ChangeDestination(sym->Id, 0);
    case rtf_kw_Property: {
      const Integer v = sym->ForceDefault || !hasParam ? sym->DefaultValue : value;
      if (RTFState.Destination == rtf_ds_Normal && sym->Affects == rtf_af_Char) {
        const Byte r = FlushPending(true, false);
        if (r) return r;
      }
      return ChangeProperty(sym->Id, v);
    }
    case rtf_kw_Special:
      return DoSpecial(sym->Id);
  }
  return 5;
}

Byte TVLRTFReader::DoSpecial(Integer id) {
  if (RTFState.Destination == rtf_ds_Skip && id != 0) return 0;
  switch (id) {
    case 0:
      RTFState.ParseMode = rtf_pm_Binary;
      FBinCount = FLastParam;
      return 0;
    case 1:
      RTFState.ParseMode = rtf_pm_Hex;
      FHexValue = FHexDigits = 0;
      return 0;
    case 2:
      FStar = true;
      return 0;
  }
  return 5;
}

// ---------------------------------------------------------------------------
// Groups

Byte TVLRTFReader::PushGroup() {
  if (FDepth >= Limits.MaxDepth) return 2;
  try {
    auto saved = std::make_unique<TVLRTFReaderState>();
    saved->AssignGroup(RTFState);
    FStack.push_back(std::move(saved));
  } catch (...) {
    return 2;
  }
  RTFState.ParseMode = rtf_pm_Normal;
  ++FDepth;
  if (RTFState.Destination == rtf_ds_StyleSheet) {
    if (static_cast<Integer>(StyleSheet.size()) < Limits.MaxTableEntries) {
      StyleSheet.push_back(std::make_unique<TVLRTFStyleSheetEntry>());
      RTFState.Destination = rtf_ds_StyleEntry;
    } else {
      RTFState.Destination = rtf_ds_Skip;
    }
  }
  return 0;
}

Byte TVLRTFReader::PopGroup() {
  if (FStack.empty()) return 1;
  if (FStack.size() == 1) DoUpdateMarker();
  TVLRTFReaderState& saved = *FStack.back();
  const TVLRTFDestination closing = RTFState.Destination;
  if (closing == rtf_ds_StyleEntry && saved.Destination == rtf_ds_StyleSheet && !StyleSheet.empty()) {
    StyleSheet.back()->ParaProps.Assign(RTFState.ParaProps);
    StyleSheet.back()->CharProps.Assign(RTFState.CharProps);
  }
  Byte r = 0;
  if (closing == rtf_ds_Normal && (r = AddTextChar(0, false, false)) != 0) return r;
  if (closing != saved.Destination && (r = EndDestination(closing)) != 0) return r;
  if (RTFState.HFType != saved.HFType && (RTFState.HFType == 1 || RTFState.HFType == 2) && OnHeaderFooter)
    OnHeaderFooter(this, static_cast<TVLRTFHeaderFooterType>(RTFState.HFType), false);
  RTFState.AssignGroup(saved);
  if (closing == rtf_ds_Numbering && RTFState.Destination != rtf_ds_Numbering && FNumbering) {
    RTFState.ParaProps.GetMarker() = *FNumbering;
    FNumbering.reset();
  }
  FStack.pop_back();
  if (FListTableDepth == FDepth + 1) FListTableDepth = 0;
  if (FOverrideTableDepth == FDepth + 1) FOverrideTableDepth = 0;
  --FDepth;
  return 0;
}

// ---------------------------------------------------------------------------
// Text

Byte TVLRTFReader::PutChar(Byte c, bool escaped) {
  if (RTFState.Destination != rtf_ds_Normal) return PutDestChar(c, escaped);
  const bool br = c == 10 || c == 13;
  if (br && OnUpdateMarker) DoUpdateMarker();
  const Byte r = AddTextChar(c, true, true);
  if (br && OnUpdateMarker) DoUpdateMarker();
  return r;
}

Byte TVLRTFReader::PutUnicodeChar(char16_t u) {
  if (RTFState.Destination != rtf_ds_Normal) return PutDestUnicode(u);
  SyncTableLevel(true);
  if (!OnNewUnicodeText) return 0;
  if (!FText.empty()) {
    const Byte r = AddTextChar(0, false, false);
    if (r) return r;
  }
  // A \u in a symbol font names the character shown (as this reader's own
  // writer and other programs write it) or, in the private-use range, the
  // font's code: Symbol text keeps its codes, so "\u174" (a registered mark)
  // is its code 0xD2; Wingdings text the characters.
  char32_t c = u;
  if (const TVLRTFFont* f = GetFont(RTFState.CharProps.FontIndex)) c = SymbolFontUnicodeToText(f->Name.c_str(), u);
  if (c >= 0x10000) {
    FTextW.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
    FTextW.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
  } else if (c != 0) {
    FTextW.push_back(static_cast<char16_t>(c));
  }
  return 0;
}

Byte TVLRTFReader::FlushPending(bool synchronise, bool allowClose) {
  return AddTextChar(0, allowClose, synchronise);
}

Byte TVLRTFReader::AddTextChar(Byte c, bool allowClose, bool synchronise) {
  if (synchronise) SyncTableLevel(allowClose);
  if (c != 0 && c != 10 && c != 13) {
    if (!FTextW.empty()) {
      const Byte r = AddTextChar(0, false, false);
      if (r) return r;
    }
    FText.push_back(static_cast<char>(c));
    return 0;
  }
  const TVLRTFPosition kind = c == 10 ? rtf_ts_NewPara : c == 13 ? rtf_ts_NewLine : rtf_ts_ContinuePara;
  const bool had = FForceFlush || !FText.empty() || !FTextW.empty();
  const Byte r = FlushText(kind);
  if (kind != rtf_ts_ContinuePara)
    FPosition = kind;
  else if (had)
    FPosition = rtf_ts_ContinuePara;
  return r;
}

Byte TVLRTFReader::FlushText(TVLRTFPosition breakKind) {
  if (!FForceFlush && FText.empty() && FTextW.empty()) {
    if (FPosition == rtf_ts_ContinuePara || breakKind == rtf_ts_ContinuePara) return 0;
  }
  FForceFlush = false;
  RTFState.ParaProps.FoldShading();
  Byte result = 0;
  try {
    if (OnNewUnicodeText && !FTextW.empty())
      OnNewUnicodeText(this, FTextW, FPosition);
    else if (OnNewText)
      OnNewText(this, FText, FPosition);
  } catch (...) {
    result = 11;
  }
  FText.clear();
  FTextW.clear();
  return result;
}

void TVLRTFReader::SyncTableLevel(bool allowClose) {
  const TVLRTFParaProperties& p = RTFState.ParaProps;
  const Integer wanted = p.InTable ? std::clamp(p.NestingLevel, 0, MaxTableNesting) : 0;
  while (FTableLevel < wanted) {
    ++FTableLevel;
    DoTableEvent(vlf_tbl_TableStart);
  }
  if (allowClose && !p.NoOverlap) {
    while (FTableLevel > wanted) {
      --FTableLevel;
      DoTableEvent(vlf_tbl_TableEnd);
    }
  }
}

void TVLRTFReader::DoTableEvent(TVLRTFTableEventKind kind) {
  DoUpdateMarker();
  if (OnTable) OnTable(this, kind);
}

void TVLRTFReader::DoUpdateMarker() {
  if (!OnUpdateMarker) return;
  TVLRTFParaProperties& p = RTFState.ParaProps;
  if (p.Marker) {
    TVLRTFMarkerProperties& m = *p.Marker;
    const TVLRTFCharProperties& ch = RTFState.CharProps;
    if (!(m.Explicit & rtf_mx_Font)) m.FontIndex = ch.FontIndex;
    if (!(m.Explicit & rtf_mx_Size)) m.Size = ch.Size;
    if (!(m.Explicit & rtf_mx_Color)) m.Color = ch.Color;
    m.Style = static_cast<Byte>((m.Style & rtf_fs_Underline) |
                                (ch.Style & (rtf_fs_Bold | rtf_fs_Italic | rtf_fs_StrikeOut)));
  }
  OnUpdateMarker(this);
}

// ---------------------------------------------------------------------------
// Code pages

WideString TVLRTFReader::AnsiToUnicode(const AnsiString& s) const { return AnsiToWide(s, FCodePage); }

AnsiString TVLRTFReader::UnicodeToAnsi(const WideString& s) const { return WideToAnsi(s, FCodePage); }

AnsiString TVLRTFReader::UnicodeToAnsi(const WideString& s, bool& lossless) const {
  return WideToAnsi(s, FCodePage, lossless);
}

// ---------------------------------------------------------------------------
// Properties

void TVLRTFReader::ClearFontList() {
  FontList.clear();
  FFontIndexByNumber.clear();
  FFontsIndexed = 0;
  FFontDropped = false;
}

bool TVLRTFReader::FontDeclared(Integer number) const {
  return FontByNumber(number, -1) >= 0;
}

Integer TVLRTFReader::FontByNumber(Integer number, Integer none) const {
  if (FFontsIndexed > FontList.size()) {
    FFontIndexByNumber.clear();
    FFontsIndexed = 0;
  }
  for (; FFontsIndexed < FontList.size(); ++FFontsIndexed)
    FFontIndexByNumber.emplace(FontList[FFontsIndexed].Number, static_cast<Integer>(FFontsIndexed));
  const auto found = FFontIndexByNumber.find(number);
  return found == FFontIndexByNumber.end() ? none : found->second;
}

Integer TVLRTFReader::FontByNumber(Integer number) const {
  if (const Integer i = FontByNumber(number, -1); i >= 0) return i;
  if (number == RTFState.DefFontNo) return 0;
  return std::max<Integer>(FontByNumber(RTFState.DefFontNo, -1), 0);
}

bool TVLRTFReader::ColorByIndex(Integer index, TColor& color) const {
  if (index < 0 || index >= static_cast<Integer>(ColorList.size())) return false;
  color = ColorList[static_cast<size_t>(index)];
  return true;
}

TVLRTFBorderSide& TVLRTFReader::CurrentBorderSide() {
  switch (RTFState.BorderTarget) {
    case 1: {
      TVLRTFRowProperties& row = RTFState.GetRowProperties();
      return row.Border.GetSide(row.CurBorderSide);
    }
    case 2: {
      TVLRTFCellProperties& cell = RTFState.GetRowProperties().PendingCell();
      return cell.Border.GetSide(cell.CurBorderSide);
    }
    default:
      return RTFState.ParaProps.GetBorder().GetSide(RTFState.ParaProps.CurBorderSide);
  }
}

Byte TVLRTFReader::ResetProperties(Integer id) {
  switch (id) {
    case 36:
      RTFState.ParaProps.Reset();
      return 0;
    case 37:
      if (RTFState.DefFontIndex < 0) RTFState.DefFontIndex = FontByNumber(RTFState.DefFontNo);
      RTFState.CharProps.Reset(RTFState.DefLanguage, RTFState.DefFontIndex);
      return 0;
    case 38:
      RTFState.SectProps.Reset();
      return 0;
    case 123:
      RTFState.GetRowProperties().Reset();
      return 0;
  }
  return 5;
}

Byte TVLRTFReader::ChangeProperty(Integer id, Integer value) {
  const TVLRTFDestination dest = RTFState.Destination;
  if (dest == rtf_ds_Skip) return 0;
  if (id == 52) {
    if (dest != rtf_ds_Normal) return PutDestUnicode(static_cast<char16_t>(value & 0xFFFF));
    if (!OnNewUnicodeText) return 0;
    FSkipCount = FUnicodeSkip;
    return PutUnicodeChar(static_cast<char16_t>(value & 0xFFFF));
  }
  if (id == 53) {
    FUnicodeSkip = std::clamp(value, 0, 64);
    return 0;
  }
  switch (dest) {
    case rtf_ds_ColorTable: case rtf_ds_StyleEntry: case rtf_ds_Picture: case rtf_ds_Object:
    case rtf_ds_Numbering: case rtf_ds_SectionNumbering: case rtf_ds_List: case rtf_ds_ListLevel:
    case rtf_ds_Override: case rtf_ds_OverrideLevel:
      return ChangeDestinationProperty(id, value);
    default:
      break;
  }
  TVLRTFCharProperties& ch = RTFState.CharProps;
  TVLRTFParaProperties& pa = RTFState.ParaProps;
  TVLRTFSectionProperties& se = RTFState.SectProps;
  TVLRTFDocProperties& doc = RTFState.DocProps;
  TColor color;
  auto setBit = [](Byte& set, Byte bit, bool on) { set = static_cast<Byte>(on ? set | bit : set & ~bit); };
  switch (id) {
    case 0: setBit(ch.Style, rtf_fs_Bold, value != 0); break;
    case 1: setBit(ch.Style, rtf_fs_Italic, value != 0); break;
    case 2: setBit(ch.Style, rtf_fs_Underline, value != 0); break;
    case 3: setBit(ch.Style, rtf_fs_StrikeOut, value != 0); break;
    case 4: ch.HScale = value; break;
    case 5: ch.CharSpacing = value; break;
    case 6: ch.VPosition = value; break;
    case 7: ch.AllCaps = value != 0; break;
    case 8: ch.Size = RTFHalf(value); break;
    case 9: if (ColorByIndex(value, color)) ch.Color = color; break;
    case 10:
      if (ColorByIndex(value, color)) ch.BackColor = color == rtf_clAuto ? rtf_clNone : color;
      break;
    case 11:
      if (ConvertHighlight == rtf_hl_FixedColors)
        ch.BackColor = RTFHighlightColor(value);
      else if (ConvertHighlight == rtf_hl_ColorTable && ColorByIndex(value, color))
        ch.BackColor = color == rtf_clAuto ? rtf_clNone : color;
      break;
    case 12: ch.Language = value; break;
    case 13: RTFState.DefLanguage = value; break;
    case 14: pa.LineSpacing = value; break;
    case 15: pa.LineSpacingMulti = value; break;
    case 16: pa.LeftIndent = value; break;
    case 17: pa.RightIndent = value; break;
    case 18: pa.FirstIndent = value; break;
    case 19: se.Columns = value; break;
    case 20: se.PageNumberX = value; break;
    case 21: se.PageNumberY = value; break;
    case 22: se.HeaderY = value; break;
    case 23: se.FooterY = value; break;
    case 24: doc.PaperWidth = value; break;
    case 25: doc.PaperHeight = value; break;
    case 26: doc.LeftMargin = value; break;
    case 27: doc.RightMargin = value; break;
    case 28: doc.TopMargin = value; break;
    case 29: doc.BottomMargin = value; break;
    case 30: doc.PageNumberStart = value; break;
    case 31: se.SectionBreak = value; break;
    case 32: se.PageNumberFormat = value; break;
    case 33: doc.FacingPages = value != 0; break;
    case 34: doc.Landscape = value != 0; break;
    case 35: pa.Alignment = value; break;
    case 36: case 37: case 38: return ResetProperties(id);
    case 39:
      if (dest == rtf_ds_Normal) {
        ch.FontIndex = FontByNumber(value);
      } else if (dest == rtf_ds_FontTable) {
        FFontDropped = static_cast<Integer>(FontList.size()) >= Limits.MaxFonts;
        if (!FFontDropped) {
          TVLRTFFont f;
          f.Number = value;
          FontList.push_back(f);
        }
      } else if (dest == rtf_ds_StyleSheet && !StyleSheet.empty()) {
        StyleSheet.back()->CharProps.FontIndex = FontByNumber(value);
      }
      break;
    case 40: if (dest == rtf_ds_Normal) RTFState.DefFontNo = value; break;
    case 41: pa.SpaceBefore = value; break;
    case 42: pa.SpaceAfter = value; break;
    case 43: {
      TVLRTFBorderSide& s = CurrentBorderSide();
      if (s.Style == 0) s.Style = value;
      break;
    }
    case 44: RTFState.BorderTarget = 0; pa.CurBorderSide = value & 3; break;
    case 45: CurrentBorderSide().Width = value; break;
    case 46: if (ColorByIndex(value, color)) CurrentBorderSide().Color = color; break;
    case 47: pa.GetBorder().GetSide(pa.CurBorderSide).Space = value; break;
    case 48: if (ColorByIndex(value, color)) pa.BackColor = color; break;
    case 49: if (ColorByIndex(value, color)) pa.ShadingColor = color; break;
    case 50: pa.Shading = value; break;
    case 51: FCodePage = static_cast<Cardinal>(value); break;
    case 54:
      if (OnRequiredPageBreak) {
        const Byte r = FlushPending(true, true);
        if (r) return r;
        OnRequiredPageBreak(this);
      }
      break;
    case 58: {
      const bool hidden = value != 0;
      if (hidden != ch.Hidden) {
        if (hidden) FForceFlush = true;
        const Byte r = FlushPending(false, false);
        if (r) return r;
      }
      ch.Hidden = hidden;
      break;
    }
    case 62:
      if (dest == rtf_ds_FontTable && !FontList.empty() && !FFontDropped) FontList.back().Family = static_cast<Byte>(value);
      break;
    case 63:
      // A charset that is no byte is unknown (the default charset: the
      // document's code page), not the charset its low byte names.
      if (dest == rtf_ds_FontTable && !FontList.empty() && !FFontDropped)
        FontList.back().Charset = value >= 0 && value <= 255 ? static_cast<Byte>(value) : Byte{1};
      break;
    case 100: return ChangeDestination(rtf_dc_SectNumbering, value);
    case 115: {
      pa.ListOverrideIndex = -1;
      for (size_t i = 0; i < ListOverrideTable.size(); ++i)
        if (ListOverrideTable[i]->Number == value) {
          pa.ListOverrideIndex = static_cast<Integer>(i);
          break;
        }
      break;
    }
    case 117: pa.ListLevel = value; break;
    case 119: {
      TVLRTFRowProperties& row = RTFState.GetRowProperties();
      if (row.LastCellPending) {
        if (!row.Cells.empty()) row.Cells.pop_back();
        row.LastCellPending = false;
      }
      if (row.CellsNeedShading) {
        for (auto& c : row.Cells)
          if (c->Shading != 0) {
            c->BackColor = RTFBlendShading(c->BackColor, c->ShadingColor, c->Shading);
            c->Shading = 0;
          }
        row.CellsNeedShading = false;
      }
      SyncTableLevel(true);
      DoTableEvent(vlf_tbl_RowEnd);
      break;
    }
    case 120: {
      SyncTableLevel(true);
      const Byte r = FlushPending(true, true);
      FPosition = rtf_ts_NewPara;
      if (r) return r;
      DoTableEvent(vlf_tbl_CellEnd);
      break;
    }
    case 121: pa.InTable = true; break;
    case 122: pa.NestingLevel = value; if (value > 0) pa.InTable = true; break;
    case 123: return ResetProperties(123);
    case 158: pa.NoOverlap = true; break;
    default:
      if (id >= 124 && id <= 162) {
        TVLRTFRowProperties& row = RTFState.GetRowProperties();
        TVLRTFCellProperties& cell = row.PendingCell();
        switch (id) {
          case 124: row.Alignment = value; row.AlignmentGiven = true; break;
          case 125: row.Gap = value; break;
          case 126: row.Left = value; break;
          case 127: row.Height = value; break;
          case 128: row.Heading = true; break;
          case 129: row.Padding[0] = value; break;
          case 130: row.Padding[2] = value; break;
          case 131: row.Padding[1] = value; break;
          case 132: row.Padding[3] = value; break;
          case 133: row.PaddingTwips[0] = value == 3; break;
          case 134: row.PaddingTwips[2] = value == 3; break;
          case 135: row.PaddingTwips[1] = value == 3; break;
          case 136: row.PaddingTwips[3] = value == 3; break;
          case 137: row.Spacing[0] = value; break;
          case 138: row.Spacing[2] = value; break;
          case 139: row.Spacing[1] = value; break;
          case 140: row.Spacing[3] = value; break;
          case 141: row.SpacingTwips[0] = value == 3; break;
          case 142: row.SpacingTwips[2] = value == 3; break;
          case 143: row.SpacingTwips[1] = value == 3; break;
          case 144: row.SpacingTwips[3] = value == 3; break;
          case 145: row.Width = row.WidthIsPercent ? -value : value; break;
          case 146:
            if (value == 2) {
              row.WidthIsPercent = true;
              row.Width = -std::abs(row.Width);
            } else if (value != 3) {
              row.Width = 0;
            }
            break;
          case 147: cell.VMerge = value; break;
          case 148: cell.HMerge = value; break;
          case 149: cell.Width = cell.WidthIsPercent ? -value : value; break;
          case 150:
            if (value == 2) {
              cell.WidthIsPercent = true;
              cell.Width = -std::abs(cell.Width);
            } else if (value != 3) {
              cell.Width = 0;
            }
            break;
          case 151:
            if (ColorByIndex(value, color)) cell.BackColor = color == rtf_clAuto ? rtf_clNone : color;
            break;
          case 152: if (ColorByIndex(value, color)) cell.ShadingColor = color; break;
          case 153: cell.Shading = value; break;
          case 154: cell.VAlign = value; break;
          case 155:
            cell.RightBoundary = value;
            if (row.CellCount() < Limits.MaxCells) {
              row.Cells.push_back(std::make_unique<TVLRTFCellProperties>());
            }
            row.LastCellPending = true;
            break;
          case 156: RTFState.BorderTarget = 1; row.CurBorderSide = value & 3; break;
          case 157: RTFState.BorderTarget = 2; cell.CurBorderSide = value & 3; break;
          case 160: cell.Width = value; row.HasOwnSizes = true; break;
          case 161: cell.Height = value; row.HasOwnSizes = true; break;
          case 162: row.Width = value; row.HasOwnSizes = true; break;
          default: break;
        }
      }
      break;
  }
  return 0;
}

Byte TVLRTFReader::ChangeDestinationProperty(Integer id, Integer value) {
  TColor color;
  auto setBit = [](Byte& set, Byte bit, bool on) { set = static_cast<Byte>(on ? set | bit : set & ~bit); };
  switch (RTFState.Destination) {
    case rtf_ds_ColorTable:
      if ((id == 59 || id == 60 || id == 61) && !ColorList.empty()) {
        TColor& c = ColorList.back();
        if (c == rtf_clAuto) c = 0;
        const int shift = (id - 59) * 8;
        c = static_cast<TColor>(static_cast<Cardinal>(c) | (static_cast<Cardinal>(value & 0xFF) << shift));
      }
      return 0;
    case rtf_ds_StyleEntry: {
      if (StyleSheet.empty()) return 0;
      TVLRTFStyleSheetEntry& e = *StyleSheet.back();
      auto byNumber = [this](Integer n) -> TVLRTFStyleSheetEntry* {
        for (auto& s : StyleSheet)
          if (s->Number == n) return s.get();
        return nullptr;
      };
      switch (id) {
        case 64: return ChangeDestination(rtf_dc_ParaStyle, value);
        case 65: return ChangeDestination(rtf_dc_CharStyle, value);
        case 66: return ChangeDestination(rtf_dc_SectStyle, value);
        case 67: e.BasedOn = byNumber(value); break;
        case 68: e.Next = byNumber(value); break;
        case 69: e.Additive = true; break;
        case 70: e.Hidden = true; break;
        default: break;
      }
      return 0;
    }
    case rtf_ds_Picture: {
      if (!FPicture) return 0;
      TVLRTFPicture& p = *FPicture;
      switch (id) {
        case 71: p.PicW = value; break;
        case 72: p.PicH = value; break;
        case 73: p.ScaleX = value; break;
        case 74: p.ScaleY = value; break;
        case 75: p.GoalW = value; break;
        case 76: p.GoalH = value; break;
        case 77: p.WidthBytes = value; break;
        case 78: p.BitsPerPixel = value; break;
        case 79: p.Planes = value; break;
        case 80: p.Kind = static_cast<Byte>(value); break;
        case 81: p.Kind = 5; p.MappingMode = value >= 2 && value <= 8 ? value : 1; break;
        case 82: p.IsBitmap = true; break;
        default: break;
      }
      return 0;
    }
    case rtf_ds_Object:
      if (FObject) {
        if (id == 83) FObject->Kind = static_cast<Byte>(value);
        if (id == 84) FObject->Width = value;
        if (id == 85) FObject->Height = value;
      }
      return 0;
    case rtf_ds_Numbering:
    case rtf_ds_SectionNumbering: {
      TVLRTFMarkerProperties* target = nullptr;
      if (RTFState.Destination == rtf_ds_Numbering)
        target = FNumbering.get();
      else if (FSectionLevel >= 1 && FSectionLevel <= 11)
        target = &RTFState.SectProps.GetLevel(FSectionLevel);
      if (!target) return 0;
      TVLRTFMarkerProperties& m = *target;
      switch (id) {
        case 86:
          if (!RTFState.SectProps.Levels.empty() && value >= 1 && value <= 11 &&
              target != RTFState.SectProps.Levels[static_cast<size_t>(value - 1)].get()) {
            const TVLRTFMarkerProperties& l = *RTFState.SectProps.Levels[static_cast<size_t>(value - 1)];
            m.Type = l.Type;
            m.Alignment = l.Alignment;
            m.Indent = l.Indent;
            m.Space = l.Space;
            m.Start = l.Start;
            m.Style = l.Style;
            m.Hanging = m.Hanging || l.Hanging;
            // The record's own font, size and colour win over the level's.
            if (!(m.Explicit & rtf_mx_Font) && (l.Explicit & rtf_mx_Font)) m.FontIndex = l.FontIndex;
            if (!(m.Explicit & rtf_mx_Size) && (l.Explicit & rtf_mx_Size)) m.Size = l.Size;
            if (!(m.Explicit & rtf_mx_Color) && (l.Explicit & rtf_mx_Color)) m.Color = l.Color;
            m.Explicit = static_cast<Byte>(m.Explicit | l.Explicit);
            if (m.TextBefore.empty()) m.TextBefore = l.TextBefore;
            if (m.TextAfter.empty()) m.TextAfter = l.TextAfter;
          }
          m.Level = value;
          break;
        case 87: m.Hanging = true; break;
        case 88: m.Type = static_cast<Byte>(value); break;
        case 89: setBit(m.Style, rtf_fs_Bold, value != 0); break;
        case 90: setBit(m.Style, rtf_fs_Italic, value != 0); break;
        case 91: setBit(m.Style, rtf_fs_Underline, value != 0); break;
        case 92: setBit(m.Style, rtf_fs_StrikeOut, value != 0); break;
        case 93:
          if (ColorByIndex(value, color)) {
            m.Color = color;
            m.Explicit |= rtf_mx_Color;
          }
          break;
        case 94: m.FontIndex = FontByNumber(value); m.Explicit |= rtf_mx_Font; break;
        case 95: m.Size = RTFHalf(value); m.Explicit |= rtf_mx_Size; break;
        case 96: m.Indent = value; break;
        case 97: m.Space = value; break;
        case 98: m.Alignment = static_cast<Byte>(value); break;
        case 99: m.Start = value; break;
        default: break;
      }
      return 0;
    }
    case rtf_ds_List:
      if (!ListTable.empty()) {
        if (id == 101) ListTable.back()->ListId = value;
        if (id == 103) ListTable.back()->Simple = value != 0;
      }
      return 0;
    case rtf_ds_ListLevel: {
      if (ListTable.empty() || ListTable.back()->Levels.empty()) return 0;
      TVLRTFListLevel97& l = *ListTable.back()->Levels.back();
      switch (id) {
        case 106:
          // 255: no number (office suites mark outline levels of headings so).
          l.Type = value == 1 ? 5 : value == 2 ? 4 : value == 3 ? 3 : value == 4 ? 2 : value == 23 ? 6
                 : value == 255 ? 7 : 1;
          break;
        case 107:
          if (value == 0) l.Alignment = 0;
          if (value == 1) l.Alignment = 2;
          if (value == 2) l.Alignment = 1;
          break;
        case 108: l.Old = value != 0; break;
        case 112: l.Legal = value != 0; break;
        case 113: l.NoRestart = value != 0; break;
        case 109: l.Indent = value; break;
        case 110: l.Space = value; break;
        case 111: l.Follow = value; break;
        case 118: l.Tab = value; break;
        case 105: l.Start = value; break;
        case 0: setBit(l.Style, rtf_fs_Bold, value != 0); break;
        case 1: setBit(l.Style, rtf_fs_Italic, value != 0); break;
        case 2: setBit(l.Style, rtf_fs_Underline, value != 0); break;
        case 3: setBit(l.Style, rtf_fs_StrikeOut, value != 0); break;
        case 8: l.Size = RTFHalf(value); l.SizeGiven = true; break;
        case 9: if (ColorByIndex(value, color)) l.Color = color; break;
        case 16: l.LeftIndent = value; break;
        case 18: l.FirstIndent = value; break;
        case 39:
          l.FontIndex = FontByNumber(value);
          l.FontUndeclared = !FontDeclared(value);
          break;
        case 163:
          if (FontDeclared(value)) l.AssociatedFontIndex = FontByNumber(value);
          break;
        default: break;
      }
      return 0;
    }
    case rtf_ds_Override:
      if (!ListOverrideTable.empty()) {
        TVLRTFListOverride97& o = *ListOverrideTable.back();
        if (id == 101) {
          o.ListIndex = -1;
          for (size_t i = 0; i < ListTable.size(); ++i)
            if (ListTable[i]->ListId == value) {
              o.ListIndex = static_cast<Integer>(i);
              break;
            }
        }
        if (id == 114) o.Count = value;
        if (id == 115) o.Number = value;
      }
      return 0;
    case rtf_ds_OverrideLevel:
      if (!ListOverrideTable.empty() && !ListOverrideTable.back()->Levels.empty()) {
        TVLRTFListOverrideLevel97& l = *ListOverrideTable.back()->Levels.back();
        if (id == 105) l.Start = value;
        if (id == 116) l.StartAtGiven = true;
      }
      return 0;
    default:
      return 0;
  }
}

// ---------------------------------------------------------------------------
// Destinations

Byte TVLRTFReader::ChangeDestination(Integer code, Integer value) {
  TVLRTFReaderState& st = RTFState;
  if (st.Destination == rtf_ds_Skip) return 0;
  auto skip = [&st] { st.Destination = rtf_ds_Skip; };
  const auto tableFull = [this](size_t n) { return static_cast<Integer>(n) >= Limits.MaxTableEntries; };
  switch (code) {
    case rtf_dc_ShapePicture: st.Destination = rtf_ds_ShapePicture; break;
    case rtf_dc_NonShapePicture:
      if (FShapePictureInserted) skip(); else st.Destination = rtf_ds_Normal;
      break;
    case rtf_dc_Picture:
      if (FPicture) return 10;
      if (OnNewPicture) {
        FPicture = std::make_unique<TVLRTFPicture>();
        FPicture->InShapePicture = st.Destination == rtf_ds_ShapePicture;
      }
      st.Destination = rtf_ds_Picture;
      FHexByte = 0;
      FHexHigh = false;
      break;
    case rtf_dc_Skip: skip(); break;
    case rtf_dc_FontTable: ClearFontList(); st.Destination = rtf_ds_FontTable; break;
    case rtf_dc_StyleSheet: StyleSheet.clear(); st.Destination = rtf_ds_StyleSheet; break;
    case rtf_dc_ColorTable:
      ColorList.clear();
      ColorList.push_back(rtf_clAuto);
      st.Destination = rtf_ds_ColorTable;
      break;
    case rtf_dc_ParaStyle: case rtf_dc_CharStyle: case rtf_dc_SectStyle:
      if (!StyleSheet.empty()) {
        StyleSheet.back()->Number = value;
        StyleSheet.back()->Kind = code == rtf_dc_ParaStyle ? 1 : code == rtf_dc_CharStyle ? 0 : 2;
      }
      st.Destination = rtf_ds_StyleEntry;
      break;
    case rtf_dc_Field: {
      const Byte r = FlushPending(true, true);
      if (r) return r;
      st.Destination = rtf_ds_Field;
      break;
    }
    case rtf_dc_FieldInst:
      if (st.Destination == rtf_ds_Field) {
        st.FieldInstruction.clear();
        st.FieldPictureInserted = false;
        st.Destination = rtf_ds_FieldInstruction;
      }
      break;
    case rtf_dc_FieldResult: case rtf_dc_NestTableProps: st.Destination = rtf_ds_Normal; break;
    case rtf_dc_Header: case rtf_dc_Footer:
      st.HFType = code == rtf_dc_Header ? 1 : 2;
      if (!OnHeaderFooter)
        skip();
      else
        OnHeaderFooter(this, static_cast<TVLRTFHeaderFooterType>(st.HFType), true);
      break;
    case rtf_dc_TextAfter: case rtf_dc_TextBefore:
      if (st.Destination == rtf_ds_Numbering)
        st.Destination = code == rtf_dc_TextAfter ? rtf_ds_NumberTextAfter : rtf_ds_NumberTextBefore;
      else
        skip();
      break;
    case rtf_dc_Numbering:
      st.Destination = rtf_ds_Numbering;
      FNumbering = std::make_unique<TVLRTFMarkerProperties>();
      break;
    case rtf_dc_SectNumbering:
      // Levels other than 1..11 have no record to fill.
      if (value < 1 || value > 11) {
        skip();
        break;
      }
      FSectionLevel = value;
      st.Destination = rtf_ds_SectionNumbering;
      break;
    case rtf_dc_ListTable:
      // A list table inside the one being read would wipe the list its
      // groups are filling: it is skipped.
      if (FListTableDepth > 0) {
        skip();
        break;
      }
      ListTable.clear();
      ++FListTableReads;
      FListTableDepth = FDepth + 1;
      st.Destination = rtf_ds_ListTable;
      break;
    case rtf_dc_List:
      if (st.Destination == rtf_ds_ListTable && !tableFull(ListTable.size())) {
        ListTable.push_back(std::make_unique<TVLRTFList97>());
        st.Destination = rtf_ds_List;
      } else {
        skip();
      }
      break;
    case rtf_dc_ListName:
      if (st.Destination == rtf_ds_List) st.Destination = rtf_ds_ListName;
      break;
    case rtf_dc_ListLevel:
      if (st.Destination == rtf_ds_List && !ListTable.empty() &&
          static_cast<Integer>(ListTable.back()->Levels.size()) < Limits.MaxLevels) {
        ListTable.back()->Levels.push_back(std::make_unique<TVLRTFListLevel97>());
        st.Destination = rtf_ds_ListLevel;
      } else {
        skip();
      }
      break;
    case rtf_dc_LevelText: case rtf_dc_LevelNumbers:
      if (st.Destination == rtf_ds_ListLevel)
        st.Destination = code == rtf_dc_LevelText ? rtf_ds_LevelText : rtf_ds_LevelNumbers;
      else
        skip();
      break;
    case rtf_dc_OverrideTable:
      if (FOverrideTableDepth > 0) {
        skip();
        break;
      }
      ListOverrideTable.clear();
      FOverrideTableDepth = FDepth + 1;
      st.Destination = rtf_ds_OverrideTable;
      break;
    case rtf_dc_Override:
      if (st.Destination == rtf_ds_OverrideTable && !tableFull(ListOverrideTable.size())) {
        ListOverrideTable.push_back(std::make_unique<TVLRTFListOverride97>());
        st.Destination = rtf_ds_Override;
      } else {
        skip();
      }
      break;
    case rtf_dc_OverrideLevel:
      if (st.Destination == rtf_ds_Override && !ListOverrideTable.empty() &&
          static_cast<Integer>(ListOverrideTable.back()->Levels.size()) < Limits.MaxLevels) {
        ListOverrideTable.back()->Levels.push_back(std::make_unique<TVLRTFListOverrideLevel97>());
        st.Destination = rtf_ds_OverrideLevel;
      } else {
        skip();
      }
      break;
    case rtf_dc_Object:
      if (OnNewObject) {
        FObject = std::make_unique<TVLRTFObject>();
        st.Destination = rtf_ds_Object;
      } else {
        st.Destination = rtf_ds_Normal;
      }
      break;
    case rtf_dc_ObjectData:
      if (st.Destination == rtf_ds_Object) {
        FObjectInserted = false;
        FHexByte = 0;
        FHexHigh = false;
        st.Destination = rtf_ds_ObjectData;
      } else {
        skip();
      }
      break;
    case rtf_dc_Result:
      if (FObjectInserted) skip(); else st.Destination = rtf_ds_Normal;
      break;
    default:
      skip();
  }
  return 0;
}

Byte TVLRTFReader::PutHexOrBinary(TMemoryStream& data, Int64 limit, bool& corrupt, Byte c) {
  if (corrupt) return 0;
  if (RTFState.ParseMode == rtf_pm_Binary) {
    if (data.GetSize() >= limit) {
      corrupt = true;
      return 0;
    }
    data.WriteByte(c);
    return 0;
  }
  if (c == ' ' || c == '\t') return 0;
  if (!IsHex(c)) {
    // A damaged picture loses itself, not the rest of the document.
    corrupt = true;
    return 0;
  }
  FHexByte = static_cast<Byte>((FHexByte << 4) | HexValue(c));
  FHexHigh = !FHexHigh;
  if (!FHexHigh) {
    if (data.GetSize() >= limit) {
      corrupt = true;
      return 0;
    }
    data.WriteByte(FHexByte);
    FHexByte = 0;
  }
  return 0;
}

Byte TVLRTFReader::PutDestChar(Byte c, bool escaped) {
  switch (RTFState.Destination) {
    case rtf_ds_FontTable:
      if ((c != ';' || escaped) && !FontList.empty() && !FFontDropped) AppendCapped(FontList.back().Name, static_cast<char>(c), Limits.MaxName);
      break;
    case rtf_ds_ColorTable:
      if (c == ';' && static_cast<Integer>(ColorList.size()) < Limits.MaxTableEntries)
        ColorList.push_back(rtf_clAuto);
      break;
    case rtf_ds_StyleEntry:
      if ((c != ';' || escaped) && !StyleSheet.empty()) AppendCapped(StyleSheet.back()->Name, static_cast<char>(c), Limits.MaxName);
      break;
    case rtf_ds_Picture:
      if (FPicture) return PutHexOrBinary(FPicture->Data, Limits.MaxPictureBytes, FPicture->Corrupt, c);
      break;
    case rtf_ds_ObjectData:
      if (FObject) return PutHexOrBinary(FObject->Data, Limits.MaxPictureBytes, FObject->Corrupt, c);
      break;
    case rtf_ds_FieldInstruction:
      AppendCapped(RTFState.FieldInstruction, static_cast<char>(c), Limits.MaxFieldInstruction);
      break;
    case rtf_ds_NumberTextAfter:
      if (FNumbering) AppendCapped(FNumbering->TextAfter, static_cast<char>(c), Limits.MaxName);
      break;
    case rtf_ds_NumberTextBefore:
      if (FNumbering) AppendCapped(FNumbering->TextBefore, static_cast<char>(c), Limits.MaxName);
      break;
    case rtf_ds_ListName:
      if (!ListTable.empty()) AppendCapped(ListTable.back()->Name, static_cast<char>(c), Limits.MaxName);
      break;
    case rtf_ds_LevelText:
      if (!ListTable.empty() && !ListTable.back()->Levels.empty()) {
        TVLRTFListLevel97& l = *ListTable.back()->Levels.back();
        if (l.LevelText.size() < Limits.MaxLevelText) {
          l.LevelText.push_back(static_cast<char>(c));
          if (!l.LevelTextW.empty()) l.LevelTextW += AnsiToUnicode(AnsiString(1, static_cast<char>(c)));
        }
      }
      break;
    case rtf_ds_LevelNumbers:
      if (!ListTable.empty() && !ListTable.back()->Levels.empty())
        AppendCapped(ListTable.back()->Levels.back()->LevelNumbers, static_cast<char>(c), Limits.MaxLevelText);
      break;
    default:
      break;
  }
  return 0;
}

Byte TVLRTFReader::PutDestUnicode(char16_t u) {
  auto asBytes = [this](char16_t unit) -> Byte {
    if (FUnicodeSkip < 1) return 0;
    FSkipCount = FUnicodeSkip;
    const AnsiString s = UnicodeToAnsi(WideString(1, unit));
    for (char ch : s) {
      const Byte r = PutChar(static_cast<Byte>(ch));
      if (r) return r;
    }
    return 0;
  };
  switch (RTFState.Destination) {
    case rtf_ds_NumberTextAfter:
    case rtf_ds_NumberTextBefore: {
      const TVLRTFFont* f = FNumbering ? GetFont(FNumbering->FontIndex) : nullptr;
      if (f && UpperAscii(f->Name) == "SYMBOL" && u >= 0xF000 && u <= 0xF0FF) {
        FSkipCount = FUnicodeSkip;
        return PutChar(static_cast<Byte>(u & 0xFF));
      }
      return asBytes(u);
    }
    case rtf_ds_LevelText: {
      FSkipCount = FUnicodeSkip;
      if (ListTable.empty() || ListTable.back()->Levels.empty()) return 0;
      TVLRTFListLevel97& l = *ListTable.back()->Levels.back();
      if (l.LevelText.size() >= Limits.MaxLevelText) return 0;
      if (l.LevelTextW.empty()) l.LevelTextW = AnsiToUnicode(l.LevelText);
      // An empty 8-bit level text converts to nothing; keep the units aligned.
      if (l.LevelTextW.size() < l.LevelText.size()) l.LevelTextW.resize(l.LevelText.size(), u'?');
      l.LevelTextW.push_back(u);
      AnsiString b = UnicodeToAnsi(WideString(1, u));
      l.LevelText += b.empty() ? AnsiString("?") : b.substr(0, 1);
      return 0;
    }
    default:
      return asBytes(u);
  }
}

AnsiString TVLRTFReader::ParseFieldArgument(const AnsiString& s, Integer& nextPos) {
  const Integer len = static_cast<Integer>(s.size());
  // 1-based positions as the field syntax is usually described.
  auto at = [&s](Integer i) { return s[static_cast<size_t>(i - 1)]; };
  Integer start = 0;
  for (Integer i = 2; i <= len; ++i)
    if (at(i - 1) == ' ' && at(i) != ' ' && at(i) != '\\') {
      start = i;
      break;
    }
  if (start == 0) {
    nextPos = len + 1;
    return AnsiString();
  }
  Integer end = len + 1;
  if (at(start) == '"') {
    for (Integer i = start + 2; i <= len; ++i)
      if (at(i) == ' ' && at(i - 1) == '"' && i - 1 != start) {
        end = i;
        break;
      }
  } else {
    for (Integer i = start; i <= len; ++i)
      if (at(i) == ' ') {
        end = i;
        break;
      }
  }
  AnsiString arg = s.substr(static_cast<size_t>(start - 1), static_cast<size_t>(end - start));
  if (arg.size() >= 2 && arg.front() == '"' && arg.back() == '"') arg = arg.substr(1, arg.size() - 2);
  else if (!arg.empty() && arg.front() == '"') arg = arg.substr(1);
  nextPos = end + 1;
  return arg;
}

std::unique_ptr<TGraphic> TVLRTFReader::LoadLinkedPicture(const String& name) {
  namespace fs = std::filesystem;
  if (!LinkPolicy.LinkedPictures || BasePath.empty() || name.empty()) return nullptr;
  String rel = name;
  std::replace(rel.begin(), rel.end(), '\\', '/');
  const fs::path relPath(rel);
  if (relPath.is_absolute() || rel.front() == '/') return nullptr;
  for (const auto& part : relPath)
    if (part == "..") return nullptr;
  // Only a local folder (a web address as base names no file here).
  if (!fs::path(BasePath).is_absolute()) return nullptr;
  std::error_code ec;
  const fs::path base = fs::weakly_canonical(fs::path(BasePath), ec);
  if (ec) return nullptr;
  const fs::path full = fs::weakly_canonical(base / relPath, ec);
  if (ec) return nullptr;
  // No symbolic link may lead out of the base folder.
  const String b = base.string(), f = full.string();
  if (f.size() <= b.size() || f.compare(0, b.size(), b) != 0 || (f[b.size()] != '/' && b.back() != '/'))
    return nullptr;
  struct stat st {};
  if (::stat(f.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > LinkPolicy.MaxFileSize) return nullptr;
  try {
    TPicture picture;
    picture.LoadFromFile(f);
    if (!picture.GetGraphic()) return nullptr;
    std::unique_ptr<TGraphic> g = CreateGraphicLike(*picture.GetGraphic());
    if (g) g->Assign(picture.GetGraphic());
    return g;
  } catch (...) {
    return nullptr;
  }
}

void TVLRTFReader::IncludePictureField() {
  if (!OnNewPicture) return;
  AnsiString s = TrimBlanks(RTFState.FieldInstruction);
  if (!s.empty() && s.front() == '\\') s.erase(0, 1);
  const AnsiString u = UpperAscii(s);
  if (u.compare(0, 14, "INCLUDEPICTURE") != 0 && u.compare(0, 6, "IMPORT") != 0) return;
  Integer next = 0;
  String name = ParseFieldArgument(s, next);
  for (size_t p; (p = name.find("\\\\")) != String::npos;) name.erase(p, 1);
  if (name.empty()) return;
  if (!BasePath.empty() && (BasePath.back() == '/' || BasePath.back() == '\\') &&
      (name.front() == '/' || name.front() == '\\'))
    name.erase(0, 1);
  try {
    std::unique_ptr<TGraphic> graphic;
    if (OnImportPicture) OnImportPicture(this, BasePath + name, graphic);
    if (!graphic) graphic = LoadLinkedPicture(name);
    if (!graphic) return;
    RTFState.ParaProps.FoldShading();
    bool inserted = false;
    OnNewPicture(this, nullptr, graphic, FPosition, inserted);
    FPosition = rtf_ts_ContinuePara;
    RTFState.FieldPictureInserted = true;
  } catch (...) {
  }
}

Byte TVLRTFReader::SymbolField() {
  const AnsiString s = TrimBlanks(RTFState.FieldInstruction);
  if (UpperAscii(s).compare(0, 6, "SYMBOL") != 0 || s.size() < 8) return 0;
  const AnsiString rest = s.substr(7);
  const size_t sp = rest.find(' ');
  if (sp == AnsiString::npos) return 0;
  const size_t f = rest.find("\\f");
  if (f == AnsiString::npos || f + 3 >= rest.size() || rest[f + 3] != '"') return 0;
  const size_t q = rest.find('"', f + 4);
  if (q == AnsiString::npos) return 0;
  const AnsiString fontName = rest.substr(f + 4, q - f - 4);
  const size_t z = rest.find("\\s");
  if (z == AnsiString::npos) return 0;
  AnsiString sizeText = z + 3 < rest.size() ? rest.substr(z + 3) : AnsiString();
  sizeText = sizeText.substr(0, sizeText.find(' '));
  // A malformed code or size leaves the field to its result text.
  Integer code = 0, size = 0;
  try {
    size_t used = 0;
    code = std::stoi(rest.substr(0, sp), &used, 10);
    if (used != sp) return 0;
    size = std::stoi(sizeText, &used, 10);
    if (used != sizeText.size()) return 0;
  } catch (...) {
    return 0;
  }
  TVLRTFCharProperties& ch = RTFState.CharProps;
  const Integer oldSize = ch.Size;
  ch.SymbolFontName = fontName;
  ch.Size = size;
  Byte r = AddTextChar(static_cast<Byte>(code), false, false);
  if (!r) r = AddTextChar(0, false, false);
  ch.Size = oldSize;
  ch.SymbolFontName.clear();
  return r;
}

Byte TVLRTFReader::EndPicture() {
  Byte r = FlushPending(true, false);
  if (r) return r;
  std::unique_ptr<TVLRTFPicture> picture = std::move(FPicture);
  if (RTFState.FieldPictureInserted) return 0;
  if (!picture) return OnNewPicture ? 10 : 0;
  std::unique_ptr<TGraphic> graphic = picture->Corrupt ? nullptr : RTFDecodePicture(*picture, PixelsPerInch);
  if (picture->GoalW != 0 && picture->GoalH != 0) {
    picture->PixelWidth = RTFRound(static_cast<double>(picture->GoalW) * PixelsPerInch / 1440.0);
    picture->PixelHeight = RTFRound(static_cast<double>(picture->GoalH) * PixelsPerInch / 1440.0);
  }
  RTFState.ParaProps.FoldShading();
  picture->Data.SetPosition(0);
  bool inserted = false;
  try {
    OnNewPicture(this, picture.get(), graphic, FPosition, inserted);
  } catch (...) {
    r = 11;
  }
  if (picture->InShapePicture) FShapePictureInserted = inserted;
  FPosition = rtf_ts_ContinuePara;
  return r;
}

Byte TVLRTFReader::EndDestination(TVLRTFDestination destination) {
  switch (destination) {
    case rtf_ds_FontTable: {
      static const struct {
        Byte Charset;
        const char* Suffix;
      } suffixes[] = {{204, "cyr"}, {238, "ce"}, {161, "greek"}, {162, "tur"}, {186, "baltic"}};
      for (TVLRTFFont& f : FontList)
        for (const auto& sfx : suffixes) {
          if (f.Charset != sfx.Charset) continue;
          const AnsiString tail = AnsiString(" ") + sfx.Suffix;
          if (f.Name.size() > tail.size() - 1 &&
              f.Name.size() >= tail.size() &&
              AnsiLowerCase(f.Name.substr(f.Name.size() - tail.size())) == tail)
            f.Name.erase(f.Name.size() - tail.size());
        }
      return 0;
    }
    case rtf_ds_Picture:
      return EndPicture();
    case rtf_ds_Object:
      FObject.reset();
      return 0;
    case rtf_ds_ObjectData: {
      const Byte r = FlushPending(true, false);
      if (r) return r;
      if (OnNewObject && FObject) {
        RTFState.ParaProps.FoldShading();
        FObject->Data.SetPosition(0);
        bool inserted = false;
        try {
          OnNewObject(this, FObject.get(), FPosition, inserted);
        } catch (...) {
          return 11;
        }
        FObjectInserted = inserted;
        FPosition = rtf_ts_ContinuePara;
      }
      return 0;
    }
    case rtf_ds_Field:
      RTFState.FieldInstruction.clear();
      RTFState.FieldPictureInserted = false;
      return 0;
    case rtf_ds_FieldInstruction:
      IncludePictureField();
      return SymbolField();
    case rtf_ds_LevelText:
      if (!ListTable.empty() && !ListTable.back()->Levels.empty()) {
        TVLRTFListLevel97& l = *ListTable.back()->Levels.back();
        if (!l.LevelText.empty())
          l.LevelText.resize(std::min(l.LevelText.size(), static_cast<size_t>(static_cast<Byte>(l.LevelText[0])) + 1));
        if (!l.LevelTextW.empty())
          l.LevelTextW.resize(std::min(l.LevelTextW.size(), static_cast<size_t>(l.LevelTextW[0]) + 1));
      }
      return 0;
    case rtf_ds_LevelNumbers:
      if (!ListTable.empty() && !ListTable.back()->Levels.empty()) {
        AnsiString& n = ListTable.back()->Levels.back()->LevelNumbers;
        if (!n.empty()) n.resize(std::min(n.size(), static_cast<size_t>(static_cast<Byte>(n[0])) + 1));
      }
      return 0;
    default:
      return 0;
  }
}

// RTF output of the non-text items: pictures as PNG or JPEG blips (metafile
// bytes as they are), image-list bullets, rules, list-marker text and
// controls, and the PNG encoding the pictures need.
#include "platform/base/Streams.h"
#include "platform/base/SysUtils.h"
#include "platform/gui/Controls.h"
#include "platform/gui/ImgList.h"
#include "platform/gui/Jpeg.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLExport.h"
#include "richtext/model/VLFMisc.h"
#include "richtext/model/VLMarkers.h"
#include "richtext/model/VLUni.h"

#include <array>
#include <cmath>

namespace {

void W(TStream& s, const AnsiString& t) { s.WriteBytes(t); }
AnsiString I(Integer v) { return std::to_string(v); }

const std::array<uint32_t, 256>& CrcTable() {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  return table;
}

uint32_t Crc(const AnsiString& data, size_t from) {
  uint32_t c = 0xFFFFFFFFu;
  for (size_t i = from; i < data.size(); ++i)
    c = CrcTable()[(c ^ static_cast<unsigned char>(data[i])) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

void Put32(AnsiString& s, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) s += static_cast<char>((v >> shift) & 0xFF);
}

void Chunk(AnsiString& png, const char* type, const AnsiString& data) {
  Put32(png, static_cast<uint32_t>(data.size()));
  AnsiString body = type;
  body += data;
  png += body;
  Put32(png, Crc(body, 0));
}

// A zlib stream of stored (uncompressed) blocks: no compression library is
// needed, and every reader inflates it.
AnsiString StoredZlib(const AnsiString& raw) {
  AnsiString z;
  z.reserve(raw.size() + raw.size() / 65535 * 5 + 16);
  z += '\x78';
  z += '\x01';
  size_t pos = 0;
  do {
    const size_t n = std::min<size_t>(65535, raw.size() - pos);
    const bool last = pos + n >= raw.size();
    z += static_cast<char>(last ? 1 : 0);
    z += static_cast<char>(n & 0xFF);
    z += static_cast<char>(n >> 8);
    z += static_cast<char>(~n & 0xFF);
    z += static_cast<char>((~n >> 8) & 0xFF);
    z.append(raw, pos, n);
    pos += n;
  } while (pos < raw.size());
  uint32_t a = 1, b = 0;
  for (char ch : raw) {
    a = (a + static_cast<unsigned char>(ch)) % 65521;
    b = (b + a) % 65521;
  }
  Put32(z, (b << 16) | a);
  return z;
}

AnsiString BitmapToPNG(TBitmap& bmp) {
  bmp.SetPixelFormat(pf24bit);
  const Integer w = bmp.GetWidth(), h = bmp.GetHeight();
  AnsiString raw;
  raw.reserve(static_cast<size_t>(h) * (static_cast<size_t>(w) * 3 + 1));
  for (Integer y = 0; y < h; ++y) {
    raw += '\0';
    const auto* row = static_cast<const unsigned char*>(bmp.ScanLine(y));
    for (Integer x = 0; x < w; ++x) {
      raw += static_cast<char>(row[3 * x + 2]);
      raw += static_cast<char>(row[3 * x + 1]);
      raw += static_cast<char>(row[3 * x]);
    }
  }
  AnsiString png = "\x89PNG\r\n\x1a\n";
  AnsiString ihdr;
  Put32(ihdr, static_cast<uint32_t>(w));
  Put32(ihdr, static_cast<uint32_t>(h));
  ihdr += AnsiString("\x08\x02\x00\x00\x00", 5);
  Chunk(png, "IHDR", ihdr);
  Chunk(png, "IDAT", StoredZlib(raw));
  Chunk(png, "IEND", AnsiString());
  return png;
}

void WriteBlip(TStream& stream, const char* kind, Integer w, Integer h, const AnsiString& bytes) {
  W(stream, AnsiString("\\") + kind + "\\picw" + I(w) + "\\pich" + I(h) + "\\picwgoal" + I(w * 15) +
                "\\pichgoal" + I(h * 15) + " ");
  W(stream, VLFStringToHex(bytes));
}

bool IsPlaceableWMF(const AnsiString& b) {
  return b.size() >= 22 && static_cast<unsigned char>(b[0]) == 0xD7 &&
         static_cast<unsigned char>(b[1]) == 0xCD && static_cast<unsigned char>(b[2]) == 0xC6 &&
         static_cast<unsigned char>(b[3]) == 0x9A;
}

}  // namespace

AnsiString VLGraphicToPNG(const TGraphic& graphic) {
  TBitmap bmp;
  bmp.Assign(&graphic);
  return BitmapToPNG(bmp);
}

void VLSaveImageToRTF(TStream& stream, const TGraphic& graphic, Integer width, Integer height,
                      double twipsPerPixel) {
  if (graphic.GetEmpty()) return;
  W(stream, "{\\pict");
  const auto* meta = dynamic_cast<const TMetafile*>(&graphic);
  auto scale = [&](Integer shown, Integer own, Integer mm, const char* word) {
    if (shown <= 0 || own <= 0) return;
    Integer w0 = own;
    if (meta && mm > 0 && !meta->Enhanced)
      w0 = static_cast<Integer>(std::lround(mm * 72.0 / (127.0 * twipsPerPixel)));
    if (w0 > 0) W(stream, AnsiString(word) + I(static_cast<Integer>(std::lround(shown * 100.0 / w0))));
  };
  scale(width, graphic.GetWidth(), meta ? meta->GetMMWidth() : 0, "\\picscalex");
  scale(height, graphic.GetHeight(), meta ? meta->GetMMHeight() : 0, "\\picscaley");
  if (meta) {
    const AnsiString bytes = meta->SaveToBytes();
    if (meta->Enhanced) {
      W(stream, "\\emfblip\\picw" + I(meta->GetMMWidth()) + "\\pich" + I(meta->GetMMHeight()) + " ");
      W(stream, VLFStringToHex(bytes));
    } else {
      W(stream, "\\wmetafile8\\picw" + I(meta->GetMMWidth()) + "\\pich" + I(meta->GetMMHeight()) + " ");
      W(stream, VLFStringToHex(IsPlaceableWMF(bytes) ? bytes.substr(22) : bytes));
    }
  } else if (const auto* jpeg = dynamic_cast<const TJPEGImage*>(&graphic)) {
    WriteBlip(stream, "jpegblip", jpeg->GetWidth(), jpeg->GetHeight(), jpeg->SaveToBytes());
  } else {
    TBitmap bmp;
    bmp.Assign(&graphic);
    WriteBlip(stream, "pngblip", bmp.GetWidth(), bmp.GetHeight(), BitmapToPNG(bmp));
  }
  W(stream, "}");
}

void VLSaveImageListImageToRTF(TStream& stream, TComponent* imageList, Integer imageIndex,
                               double /*twipsPerPixel*/) {
  auto* il = dynamic_cast<TCustomImageList*>(imageList);
  if (!il || imageIndex < 0 || imageIndex >= il->Count()) return;
  TBitmap bmp;
  il->GetBitmap(imageIndex, &bmp);
  W(stream, "{\\pict");
  WriteBlip(stream, "pngblip", bmp.GetWidth(), bmp.GetHeight(), BitmapToPNG(bmp));
  W(stream, "}");
}

AnsiString VLRTFMarkerFontWords(TVLListLevel& level, TVLStyle* style, const TVLRTFSaveTables& t) {
  TFont& font = *level.GetFont();
  AnsiString r;
  const Integer fno = t.FontTable.IndexOf(font.GetName(), VLRTFMarkerFontCharset(font, t));
  if (fno >= 0) r += "\\f" + I(fno);
  const TFontStyles st = font.GetStyle();
  if (st.Contains(fsBold)) r += "\\b";
  if (st.Contains(fsItalic)) r += "\\i";
  if (st.Contains(fsUnderline)) r += "\\ul";
  if (st.Contains(fsStrikeOut)) r += "\\strike";
  r += "\\fs" + I(font.GetSize() * 2);
  const Byte cs = font.GetCharset();
  if (cs != 1 && style && cs != style->TextStyles->Items(0)->Charset)
    r += "\\lang" + I(CharsetToLanguage(cs));
  if (font.GetColor() != clWindowText) r += "\\cf" + I(VLRTFColorIndex(t.ColorList, font.GetColor()));
  return r;
}

// ---------------------------------------------------------------------------
// Items

void TVLGraphicItemInfo::SaveRTF(TStream& stream, TCustomVLData* /*vlData*/, Integer /*itemNo*/,
                                 const AnsiString& /*text*/, Integer /*level*/,
                                 TVLRTFSaveTables& tables) {
  if (Image) VLSaveImageToRTF(stream, *Image, ImageWidth, ImageHeight, tables.TwipsPerPixel);
}

void TVLBulletItemInfo::SaveRTF(TStream& stream, TCustomVLData* /*vlData*/, Integer /*itemNo*/,
                                const AnsiString& /*text*/, Integer /*level*/,
                                TVLRTFSaveTables& tables) {
  VLSaveImageListImageToRTF(stream, ImageList, ImageIndex, tables.TwipsPerPixel);
}

void TVLBreakItemInfo::FillRTFTables(TVLColorList& colorList, TVLIntegerList& /*counts*/,
                                     TCustomVLData* /*vlData*/) {
  colorList.AddUnique(Color);
}

void TVLBreakItemInfo::SaveRTF(TStream& stream, TCustomVLData* /*vlData*/, Integer /*itemNo*/,
                               const AnsiString& /*text*/, Integer level, TVLRTFSaveTables& tables) {
  const AnsiString n = level == 0 ? AnsiString() : level == 1 ? AnsiString("\\intbl\\itap1")
                                                              : "\\itap" + I(level);
  W(stream, "\\pard" + n + "\\plain\\fs6\\brdrb\\brdrs\\brdrw" +
                I(VLRTFTwips(LineWidth, tables.TwipsPerPixel)) + "\\brdrcf" +
                I(VLRTFColorIndex(tables.ColorList, Color)) + "\\par\\pard" + n);
}

bool TVLMarkerItemInfo::RTFRestartsList(TVLStyle* style) {
  if (!Reset || ListNo < 0 || Level < 0) return false;
  TVLListLevel* lvl = GetLevelInfo(style);
  return lvl && lvl->HasNumbering() && lvl->ListType != vllstImageListCounter;
}

void TVLMarkerItemInfo::FillRTFTables(TVLColorList& /*colorList*/, TVLIntegerList& counts,
                                      TCustomVLData* vlData) {
  if (ListNo >= counts.Count() || !RTFRestartsList(vlData->GetStyle())) return;
  counts.Put(ListNo, counts[ListNo] + 1);
}

void TVLMarkerItemInfo::SaveRTF(TStream& stream, TCustomVLData* vlData, Integer /*itemNo*/,
                                const AnsiString& /*text*/, Integer /*level*/,
                                TVLRTFSaveTables& tables) {
  TVLStyle* style = vlData->GetStyle();
  TVLListLevel* lvl = GetLevelInfo(style);
  if (!lvl) return;
  TVLMarkerList* markers = vlData->GetMarkers(false);
  const Integer counter = markers ? markers->CounterOf(this) : 1;
  switch (lvl->ListType) {
    case vllstPicture:
      if (lvl->HasPicture()) VLSaveImageToRTF(stream, *lvl->GetPicture()->GetGraphic(), 0, 0, tables.TwipsPerPixel);
      return;
    case vllstImageList:
      VLSaveImageListImageToRTF(stream, lvl->ImageList, lvl->ImageIndex, tables.TwipsPerPixel);
      return;
    case vllstImageListCounter:
      VLSaveImageListImageToRTF(stream, lvl->ImageList, lvl->ImageIndex + counter - 1,
                                tables.TwipsPerPixel);
      return;
    default: break;
  }
  AnsiString markerText;
  if (lvl->ListType == vllstUnicodeBullet) {
    markerText = VLRawUnicodeToRTF(WideStringToRawUnicode(lvl->FormatStringW), tables.DocCodePage, false);
  } else {
    const AnsiString shown = markers ? markers->DisplayStringOf(this) : AnsiString();
    markerText = VLAnsiToRTF(shown, CharsetToCodePage(lvl->GetFont()->GetCharset()),
                             tables.DocCodePage, false);
  }
  Integer ls = 1;
  if (ListNo >= 0 && ListNo < tables.ListOverrideOffsetsList1.Count()) {
    ls = tables.ListOverrideOffsetsList1[ListNo];
    if (RTFRestartsList(style)) {
      tables.ListOverrideOffsetsList2.Put(ListNo, tables.ListOverrideOffsetsList2[ListNo] + 1);
      ls = tables.ListOverrideOffsetsList2[ListNo];
    }
  }
  W(stream, "{\\listtext\\pard\\plain" + VLRTFMarkerFontWords(*lvl, style, tables) + " " + markerText +
                "\\tab}\\ls" + I(ls) + "\\ilvl" + I(Level));
}

void TVLControlItemInfo::SaveRTF(TStream& stream, TCustomVLData* vlData, Integer /*itemNo*/,
                                 const AnsiString& /*text*/, Integer /*level*/,
                                 TVLRTFSaveTables& tables) {
  const AnsiString text = vlData->SaveComponentToFile(String(), Control, vlsfRTF);
  if (!text.empty()) {
    W(stream, text);
    return;
  }
  // Without the application's text the control goes out as a picture of
  // itself, when it can paint itself.
  auto* custom = dynamic_cast<TCustomControl*>(Control);
  if (!custom || custom->GetWidth() <= 0 || custom->GetHeight() <= 0) return;
  TBitmap bmp(custom->GetWidth(), custom->GetHeight());
  bmp.Canvas()->Brush.Color = clWhite;
  bmp.Canvas()->FillRect(TRect(0, 0, custom->GetWidth(), custom->GetHeight()));
  custom->PaintTo(bmp.Canvas());
  VLSaveImageToRTF(stream, bmp, 0, 0, tables.TwipsPerPixel);
}

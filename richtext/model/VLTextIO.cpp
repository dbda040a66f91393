// Plain text in and out: 8-bit and UTF-16 text files become one text item
// per line, and documents (or their selection) are written as text with
// CR LF after every paragraph and line break (LF in 8-bit files, which are
// UTF-8 as the locale's text is).
#include "platform/base/CodePages.h"
#include "platform/base/Streams.h"
#include "platform/base/SysUtils.h"
#include "platform/gui/SymbolEncoding.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLFuncs.h"
#include "richtext/model/VLMarkers.h"
#include "richtext/model/VLTextItems.h"
#include "richtext/model/VLUni.h"

#include <algorithm>

namespace {

// Restores AddParagraphMode however the load ends.
class TParagraphModeKeeper {
public:
  explicit TParagraphModeKeeper(TCustomVLData& d) : D(d), Old(d.AddParagraphMode) {}
  ~TParagraphModeKeeper() { D.AddParagraphMode = Old; }
  TParagraphModeKeeper(const TParagraphModeKeeper&) = delete;
  TParagraphModeKeeper& operator=(const TParagraphModeKeeper&) = delete;

private:
  TCustomVLData& D;
  bool Old;
};

// The lines of an 8-bit file: LF ends a line, a CR before it is dropped,
// and a last line without an ending still counts.
std::vector<AnsiString> SplitLines(const AnsiString& bytes) {
  std::vector<AnsiString> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t lf = bytes.find('\n', start);
    if (lf == AnsiString::npos) lf = bytes.size();
    size_t end = lf;
    if (end > start && bytes[end - 1] == '\r') --end;
    lines.push_back(bytes.substr(start, end - start));
    start = lf + 1;
  }
  return lines;
}

const AnsiString CRLF = "\r\n";

}  // namespace

bool TCustomVLData::LoadText(const String& fileName, Integer styleNo, Integer paraNo,
                             bool asSingleParagraph) {
  TParagraphModeKeeper keep(*this);
  AnsiString bytes;
  try {
    bytes = LoadBytesFromFile(fileName);
  } catch (const Exception&) {
    return false;
  }
  // 8-bit text files are the locale's UTF-8; a file that is not well-formed
  // UTF-8 is read in the style's code page as before.
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
  const bool utf8 = std::any_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; }) &&
                    IsUtf8(bytes);
  const bool pageBreaks = SupportsPageBreaks();
  bool pendingPage = false, added = false;
  auto add = [&](const AnsiString& piece) {
    if (utf8)
      AddUnicodeTextItemTag(WideStringToRawUnicode(Utf8ToWide(piece)), styleNo, paraNo, TVLTag());
    else
      AddAnsiTextItemTag(piece, styleNo, paraNo, TVLTag());
    if (asSingleParagraph && !added) AddParagraphMode = false;
    added = true;
    if (pendingPage) {
      SetPageBreakBefore(GetItemCount() - 1, true);
      pendingPage = false;
    }
  };
  try {
    for (AnsiString line : SplitLines(bytes)) {
      ReplaceNulChars(line);
      if (!pageBreaks || line.empty()) {
        add(line);
        continue;
      }
      size_t start = 0, ff;
      while ((ff = line.find('\x0C', start)) != AnsiString::npos) {
        if (ff > start) add(line.substr(start, ff - start));
        pendingPage = true;
        start = ff + 1;
      }
      if (start < line.size()) add(line.substr(start));
    }
  } catch (const Exception&) {
    return false;
  }
  return true;
}

bool TCustomVLData::LoadTextUnicode(const String& fileName, Integer styleNo, Integer paraNo,
                                    bool asSingleParagraph) {
  try {
    AnsiString bytes = LoadBytesFromFile(fileName);
    CheckUnicodeByteLength(bytes.size());
    bool bigEndian = false;
    if (bytes.size() >= 2) {
      const auto b0 = static_cast<unsigned char>(bytes[0]), b1 = static_cast<unsigned char>(bytes[1]);
      if (b0 == 0xFF && b1 == 0xFE) {
        bytes.erase(0, 2);
      } else if (b0 == 0xFE && b1 == 0xFF) {
        bytes.erase(0, 2);
        bigEndian = true;
      }
    }
    if (bigEndian)
      for (size_t i = 0; i + 1 < bytes.size(); i += 2) std::swap(bytes[i], bytes[i + 1]);
    AddTextFromUnicode(bytes, styleNo, paraNo, paraNo, asSingleParagraph);
    return true;
  } catch (const Exception&) {
    return false;
  }
}

void TCustomVLData::AddTextFromUnicode(const AnsiString& text, Integer styleNo, Integer firstParaNo,
                                       Integer paraNo, bool asSingleParagraph) {
  if (text.empty()) {
    if (paraNo != -1) AddUnicodeTextItemTag(AnsiString(), styleNo, paraNo, TVLTag());
    return;
  }
  CheckUnicodeByteLength(text.size());
  TParagraphModeKeeper keep(*this);
  const WideString w = RawUnicodeToWideString(text);
  const bool pageBreaks = SupportsPageBreaks();
  bool pendingPage = false;
  Integer curPara = firstParaNo;
  // The break that ends a piece decides how the next piece joins: a new
  // paragraph, or a new line of the same one. The first piece starts one.
  bool nextMode = true;
  size_t pieceStart = 0;
  auto flush = [&](size_t end) {
    const WideString piece = w.substr(pieceStart, end - pieceStart);
    if (piece.empty() && (pendingPage || paraNo == -1)) return;
    AddParagraphMode = nextMode;
    AddUnicodeTextItemTag(WideStringToRawUnicode(piece), styleNo, curPara, TVLTag());
    if (nextMode) curPara = paraNo;
    if (pendingPage) {
      SetPageBreakBefore(GetItemCount() - 1, true);
      pendingPage = false;
    }
  };
  for (size_t i = 0; i < w.size(); ++i) {
    const char16_t c = w[i];
    if (c == 0x2028 || c == 0x2029 || c == 0x000B || c == 0x0000) {
      flush(i);
      nextMode = c == 0x2029 && !asSingleParagraph;
      pieceStart = i + 1;
    } else if (c == u'\r' || c == u'\n') {
      flush(i);
      nextMode = !asSingleParagraph;
      const char16_t partner = c == u'\r' ? u'\n' : u'\r';
      if (i + 1 < w.size() && w[i + 1] == partner) ++i;
      pieceStart = i + 1;
    } else if (c == 0x000C) {
      if (i > pieceStart) flush(i);
      nextMode = !asSingleParagraph;
      pieceStart = i + 1;
      if (pageBreaks) pendingPage = true;
    }
  }
  flush(w.size());
}

void TCustomVLData::ReplaceTabs(const AnsiString& text, Integer styleNo, AnsiString& result,
                                bool assumeUnicode) {
  TVLStyle* style = GetStyle();
  if (!style) {
    result = assumeUnicode ? ReplaceTabsW(text, 8) : ::ReplaceTabs(text, 8);
    return;
  }
  const Integer count = style->TextStyles->Count();
  const bool unicode = style->TextStyles->Items(styleNo >= 0 && styleNo < count ? styleNo : 0)->Unicode;
  result = unicode ? ReplaceTabsW(text, style->SpacesInTab) : ::ReplaceTabs(text, style->SpacesInTab);
}

bool TCustomVLData::SaveText(const String& fileName, Integer lineWidth, bool unicode) {
  try {
    TAtomicFileStream stream(fileName);
    bool ok;
    if (unicode) {
      ok = SaveTextToStream(ExtractFilePath(fileName), stream, lineWidth, false, false, true, true);
    } else {
      // 8-bit text files are the locale's: UTF-8 with LF, so nothing is lost.
      TMemoryStream wide;
      ok = SaveTextToStream(ExtractFilePath(fileName), wide, lineWidth, false, false, true, false);
      if (ok) {
        AnsiString text = WideToUtf8(RawUnicodeToWideString(
            AnsiString(static_cast<const char*>(wide.Memory()), static_cast<size_t>(wide.GetSize()))));
        text = StringReplace(text, CRLF, "\n", rfReplaceAll);
        stream.WriteBytes(text);
      }
    }
    if (ok) stream.Commit();
    return ok;
  } catch (const Exception&) {
    return false;
  }
}

bool TCustomVLData::SaveTextToStream(const String& path, TStream& stream, Integer lineWidth,
                                     bool selectionOnly, bool textOnly, bool unicode,
                                     bool unicodeSignature, bool markers) {
  Integer startNo, endNo, startOffs, endOffs, startPart, endPart;
  GetSaveRange(selectionOnly, startNo, endNo, startOffs, endOffs, startPart, endPart);
  if (startNo < 0 || endNo < startNo) return true;
  const Cardinal defCP = GetDefaultCodePage();
  // Text of one piece in the output's form.
  auto out = [&](const AnsiString& s, bool isUnicode, Cardinal codePage) {
    if (unicode == isUnicode)
      stream.WriteBytes(s);
    else if (unicode)
      stream.WriteBytes(AnsiToRawUnicode(s, codePage));
    else
      stream.WriteBytes(RawUnicodeToAnsi(s, codePage));
  };
  if (unicode && unicodeSignature) stream.WriteBytes(AnsiString("\xFF\xFE", 2));
  if (selectionOnly && markers) {
    const Integer lineStart = VLGetLineBreakStartItem(*Items, startNo);
    if (GetItem(lineStart)->StyleNo == vlsListMarker)
      out(VLMarkerAsText(*static_cast<TVLMarkerItemInfo*>(GetItem(lineStart)), *this, unicode),
          unicode, defCP);
  }
  for (Integer i = startNo; i <= endNo; ++i) {
    TCustomVLItemInfo* item = GetItem(i);
    if (i > startNo && !item->GetSameAsPrev()) out(CRLF, false, defCP);
    if (!markers && item->StyleNo == vlsListMarker) continue;
    const AnsiString& text = Items->Get(i);
    Integer from = i == startNo ? startOffs : GetItemStartOffset(i);
    Integer to = i == endNo ? endOffs : GetItemEndOffset(i);
    AnsiString hooked;
    if (item->StyleNo >= 0) {
      if (SaveItemToFile(path, i, vlsfText, unicode, hooked)) {
        stream.WriteBytes(hooked);
        continue;
      }
      const Integer actual = GetItemActualStyle(item);
      const AnsiString piece = TextCopy(text, from, to - from, item->ItemOptions);
      TVLStyle* style = GetStyle();
      const String fontName = style && actual < style->TextStyles->Count() ? style->TextStyles->Items(actual)->FontName
                                                                         : String();
      const AnsiString shown =
          SymbolCodeFontOf(fontName.c_str()) != TSymbolCodeFont::None
              ? WideStringToRawUnicode(VLSymbolFontText(piece, item->IsUnicode(), fontName, GetStyleCodePage(actual)))
              : AnsiString();
      if (!shown.empty())
        out(shown, true, GetStyleCodePage(actual));
      else
        out(piece, item->IsUnicode(), GetStyleCodePage(actual));
      continue;
    }
    if (textOnly && !item->GetBoolValue(6)) continue;
    if (from >= to) continue;
    if (SaveItemToFile(path, i, vlsfText, unicode, hooked)) {
      stream.WriteBytes(hooked);
      continue;
    }
    const AnsiString t = item->AsText(lineWidth, this, text, path, textOnly, unicode);
    out(t, unicode && item->GetBoolValueEx(5, GetStyle()), defCP);
  }
  return true;
}

AnsiString TVLControlItemInfo::AsText(Integer /*lineWidth*/, TCustomVLData* vlData,
                                      const AnsiString& /*text*/, const String& path,
                                      bool /*textOnly*/, bool /*unicode*/) const {
  return vlData ? vlData->SaveComponentToFile(path, Control, vlsfText) : AnsiString();
}

AnsiString TVLBreakItemInfo::AsText(Integer lineWidth, TCustomVLData* /*vlData*/,
                                    const AnsiString& /*text*/, const String& /*path*/,
                                    bool /*textOnly*/, bool /*unicode*/) const {
  return VLBreakAsText(*this, lineWidth);
}

AnsiString TVLMarkerItemInfo::AsText(Integer /*lineWidth*/, TCustomVLData* vlData,
                                     const AnsiString& /*text*/, const String& /*path*/,
                                     bool /*textOnly*/, bool unicode) const {
  return VLMarkerAsText(*this, *vlData, unicode);
}

// The VLF writer: document records the options ask for, then the items,
// joining runs of like text paragraphs into one record.
#include "platform/base/Streams.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLFMisc.h"
#include "richtext/model/VLFStyles.h"
#include "richtext/model/VLMarkers.h"
#include "richtext/model/VLUni.h"

namespace {

AnsiString StyleRef(TVLStyle* style, bool useNames, Integer no, bool para) {
  return para ? VLFSaveParaStyleRef(style, useNames, no) : VLFSaveTextStyleRef(style, useNames, no);
}

// Header values that end at a line break are kept on their line: CR and LF
// travel as bytes 01 and 02 (and those bytes, NUL and the escape byte
// escaped).
AnsiString QuoteOneLine(const AnsiString& s) { return VLFQuote(VLFEncodeOneLine(s)); }

AnsiString TagToken(const TVLTag& tag, bool tagsArePChars) {
  if (tagsArePChars) return tag.Str.empty() ? AnsiString("0") : QuoteOneLine(tag.Str);
  return std::to_string(tag.Int);
}

// A text that a plain line cannot carry: 8-bit text with a line end or NUL,
// raw Unicode with U+2029, U+0000 or an odd length.
bool NeedsHexLine(const AnsiString& text, bool unicode) {
  if (!unicode) {
    // A plain loop: find_first_of looks each byte up in the set one by one.
    for (unsigned char c : text)
      if (c <= '\r' && (c == '\r' || c == '\n' || c == 0)) return true;
    return false;
  }
  if (text.size() % 2) return true;
  for (size_t i = 0; i + 1 < text.size(); i += 2) {
    auto lo = static_cast<unsigned char>(text[i]), hi = static_cast<unsigned char>(text[i + 1]);
    if ((lo == 0x29 && hi == 0x20) || (lo == 0 && hi == 0)) return true;
  }
  return false;
}

class TVLFWriter {
public:
  TVLFWriter(TCustomVLData& data, TStream& stream) : Data(data), S(stream) {
    Options = data.GetVLFOptions();
    Binary = Options.Contains(vlfoSaveBinary);
    UseNames = Options.Contains(vlfoUseStyleNames);
    TagsP = data.TagsArePChars();
    Style = data.GetStyle();
  }

  void WriteCheckpoint(const TVLCPInfo* cp) {
    if (!cp) return;
    VLFWriteLine(S, "-2 1 0 0 0 " + TagToken(cp->Tag, TagsP) + " " +
                        std::to_string(cp->RaiseEvent ? 1 : 0) + " " + std::to_string(cp->Persistent ? 1 : 0));
    VLFWriteLine(S, VLFEncodeOneLine(cp->Name));
  }

  void WriteData(const AnsiString& bytes) {
    if (Binary)
      VLFWriteBinary(S, bytes);
    else
      VLFWriteLine(S, VLFStringToHex(bytes));
  }

  void WriteDocRecord(Integer subtype, const AnsiString& first, const AnsiString& bytes) {
    VLFWriteLine(S, "-9 2 0 0 " + std::to_string(Binary ? 2 : 0) + " 0 " + std::to_string(subtype));
    VLFWriteLine(S, first);
    WriteData(bytes);
  }

  void WriteLayout(const TVLLayoutInfo& l) {
    AnsiString b;
    auto put = [&b](Integer v) {
      auto u = static_cast<uint32_t>(v);
      for (int k = 0; k < 4; ++k) b += static_cast<char>((u >> (8 * k)) & 0xFF);
    };
    const bool ext = l.StartsInsideParagraph || l.EndsInsideParagraph;
    put(0);
    put(ext ? 41 : 25);
    put(l.LeftMargin);
    put(l.RightMargin);
    put(l.TopMargin);
    put(l.BottomMargin);
    put(l.MinTextWidth);
    put(l.MaxTextWidth);
    b += static_cast<char>(l.BiDiMode);
    if (ext) {
      put(l.StartsInsideParagraph ? 1 : 0);
      put(l.EndsInsideParagraph ? 1 : 0);
      put(l.StartMarkerListNo);
      put(l.StartMarkerLevel);
    }
    WriteDocRecord(3, "", b);
  }

  // A record of text lines with one header.
  void WriteTextRecord(const TCustomVLItemInfo& proto, Integer paraRef,
                       std::vector<AnsiString> lines, bool unicode, bool hex) {
    const Integer mode = hex ? 3 : 0;
    Byte options = VLFItemOptions(proto.ItemOptions, false);
    // 8-bit text that a line cannot carry (a line end or NUL in it) goes as
    // Unicode in hexadecimal, the one hexadecimal form of text the format
    // has; a reader turns it back into the same bytes through the default
    // code page. Text the code page cannot take there and back keeps the
    // 8-bit hexadecimal form, which only this reader reads.
    if (hex && !unicode) {
      const Cardinal codePage = Data.GetDefaultCodePage();
      std::vector<AnsiString> wide;
      for (const AnsiString& line : lines) {
        wide.push_back(AnsiToRawUnicode(line, codePage));
        if (RawUnicodeToAnsi(wide.back(), codePage) != line) break;
      }
      if (wide.size() == lines.size()) {
        lines = std::move(wide);
        options |= vlioUnicode;
      }
    }
    AnsiString h = StyleRef(Style, UseNames, proto.StyleNo, false) + " " +
                   std::to_string(lines.size()) + " " + StyleRef(Style, UseNames, paraRef, true) +
                   " " + std::to_string(options) + " " + std::to_string(mode) + " " + TagToken(proto.Tag, TagsP);
    if (!proto.Hint.empty()) h += " " + QuoteOneLine(proto.Hint);
    VLFWriteLine(S, h);
    for (const AnsiString& line : lines) {
      if (hex)
        VLFWriteLine(S, VLFStringToHex(line));
      else
        VLFWriteTextLine(S, line, unicode, false);
    }
  }

  bool ItemNeedsHex(Integer itemNo, const TCustomVLItemInfo* item) {
    const AnsiString& text = Data.Items->Get(itemNo);
    return NeedsHexLine(text, item->IsUnicode());
  }

  void FlushRun() {
    if (RunLength == 0) return;
    const TCustomVLItemInfo* first = Data.GetItem(RunStart);
    WriteCheckpoint(first->Checkpoint);
    std::vector<AnsiString> lines;
    lines.reserve(static_cast<size_t>(RunLength));
    for (Integer i = RunStart; i < RunStart + RunLength; ++i) lines.push_back(Data.Items->Get(i));
    const bool unicode = first->IsUnicode();
    const bool hex = (unicode && !Binary) || RunHex;
    WriteTextRecord(*first, RunParaNo, lines, unicode, hex);
    RunLength = 0;
  }

  bool Joins(Integer i) {
    const TCustomVLItemInfo* item = Data.GetItem(i);
    const TCustomVLItemInfo* first = Data.GetItem(RunStart);
    return RunLength > 0 && !RunHex && !item->GetSameAsPrev() && item->StyleNo >= 0 &&
           item->StyleNo == first->StyleNo && item->ParaNo == RunParaNo &&
           VLFItemOptions(item->ItemOptions, false) == VLFItemOptions(first->ItemOptions, false) &&
           VLTagsEqual(item->Tag, first->Tag, TagsP) && item->Hint == first->Hint && !item->Checkpoint &&
           !ItemNeedsHex(i, item);
  }

  // Characters a..b-1 of a text item (1-based offsets).
  void WriteTextPart(Integer i, Integer a, Integer b) {
    const TCustomVLItemInfo* item = Data.GetItem(i);
    if (a == Data.GetItemStartOffset(i)) WriteCheckpoint(item->Checkpoint);
    Integer paraNo = item->ParaNo;
    if (a > Data.GetItemStartOffset(i) || item->GetSameAsPrev()) paraNo = -1;
    if (paraNo == -1 && a == b) return;
    AnsiString text = TextCopy(Data.Items->Get(i), a, b - a, item->ItemOptions);
    const bool unicode = item->IsUnicode();
    const bool hex = (unicode && !Binary) || NeedsHexLine(text, unicode);
    WriteTextRecord(*item, paraNo, {text}, unicode, hex);
  }

  void WriteNonText(Integer i) {
    TCustomVLItemInfo* item = Data.GetItem(i);
    WriteCheckpoint(item->Checkpoint);
    const AnsiString name = Data.Items->Get(i);
    const Integer paraRef = item->GetSameAsPrev() ? -1 : item->ParaNo;
    auto header = [&](Integer lineCount, Integer saveMode) {
      VLFWriteLine(S, std::to_string(item->StyleNo) + " " + std::to_string(lineCount) + " " +
                          StyleRef(Style, UseNames, paraRef, true) + " " +
                          std::to_string(VLFItemOptions(item->ItemOptions, false)) + " " +
                          std::to_string(saveMode) + " " + TagToken(item->Tag, TagsP) + " " +
                          item->GetVLFParams(&Data));
    };
    const Integer extras = item->GetVLFExtraPropertyCount();
    switch (item->StyleNo) {
      case vlsBreak:
        header(0, 0);
        return;
      case vlsListMarker:
        header(extras, 0);
        item->SaveVLFExtraProperties(S);
        return;
      default:
        item->SaveVLF(S, &Data, i, paraRef, name, false, false);
        return;
    }
  }

  void WriteItems(bool selectionOnly) {
    Integer si, ei, so, eo, sp, ep;
    Data.GetSaveRange(selectionOnly, si, ei, so, eo, sp, ep);
    if (si < 0 || ei < si) return;
    if (si == ei && (so > Data.GetItemStartOffset(si) || eo < Data.GetItemEndOffset(si))) {
      if (Data.GetItem(si)->StyleNo >= 0) WriteTextPart(si, so, eo);
      return;
    }
    RunLength = 0;
    for (Integer i = si; i <= ei; ++i) {
      TCustomVLItemInfo* item = Data.GetItem(i);
      if (i == si && so > Data.GetItemStartOffset(i)) {
        if (item->StyleNo >= 0) WriteTextPart(i, so, Data.GetItemEndOffset(i));
        continue;
      }
      if (i > si && item->StyleNo >= 0 && Joins(i)) {
        ++RunLength;
        continue;
      }
      FlushRun();
      if (item->StyleNo < 0) {
        if (i < ei || eo == 1) WriteNonText(i);
        continue;
      }
      RunStart = i;
      RunLength = 1;
      RunParaNo = item->GetSameAsPrev() ? -1 : item->ParaNo;
      RunHex = ItemNeedsHex(i, item);
    }
    TCustomVLItemInfo* last = Data.GetItem(ei);
    if (RunLength > 0 && last->StyleNo >= 0 && RunStart + RunLength - 1 == ei &&
        eo < Data.GetItemEndOffset(ei) && !(ei == si && so > Data.GetItemStartOffset(si))) {
      --RunLength;
      FlushRun();
      WriteTextPart(ei, Data.GetItemStartOffset(ei), eo);
    } else {
      FlushRun();
    }
    if (ei == Data.GetItemCount() - 1 && eo == 1 && Data.NotAddedCP) WriteCheckpoint(Data.NotAddedCP);
  }

  TCustomVLData& Data;
  TStream& S;
  TVLFOptions Options;
  bool Binary = false, UseNames = false, TagsP = false;
  TVLStyle* Style = nullptr;
  Integer RunStart = 0, RunLength = 0, RunParaNo = 0;
  bool RunHex = false;
};

// endLine: the document ends with a version line, announced in its first.
bool WriteDocument(TCustomVLData& d, TStream& stream, bool selectionOnly, TColor color, const TBitmap* background,
                   TBackgroundStyle backgroundStyle, const TVLLayoutInfo* layout, bool endLine) {
  try {
    if (d.GetItemCount() == 0) return true;
    // Everything is composed in memory first so that the stream receives
    // one write.
    TMemoryStream buffer;
    TVLFWriter w(d, buffer);
    // A document on its own announces in its version line ("1" after the
    // version, which readers before it pass over) that it ends with a
    // version line: a cut between two records is then told from a shorter
    // document. A cell's content is as long as its property says and has
    // no end line.
    const AnsiString version = "-8 1 3";
    VLFWriteLine(buffer, endLine ? version + " 1" : version);
    if (!selectionOnly && w.Options.Contains(vlfoSaveBack) && background) {
      if (background->GetEmpty() || backgroundStyle == bsNoBitmap) {
        VLFWriteLine(buffer, "-7 0 -1 0 0 0 " + std::to_string(backgroundStyle) + " " + std::to_string(color));
      } else {
        VLFWriteLine(buffer, "-7 2 0 0 " + std::to_string(w.Binary ? 2 : 0) + " 0 " +
                                 std::to_string(backgroundStyle) + " " + std::to_string(color));
        VLFWriteLine(buffer, background->ClassName());
        w.WriteData(background->SaveToBytes());
      }
    }
    TVLStyle* style = d.GetStyle();
    if (style && ((d.GetState() & vlstViewDocument) || selectionOnly)) {
      const String name = style->GetName();
      if (w.Options.Contains(vlfoSaveTextStyles))
        w.WriteDocRecord(1, name, VLFTextStylesToBytes(*style->TextStyles));
      if (w.Options.Contains(vlfoSaveParaStyles) && d.GetRootData() == &d) {
        w.WriteDocRecord(2, name, VLFParaStylesToBytes(*style->ParaStyles));
        style->ListStyles->FVLData = &d;
        AnsiString lists = VLFListStylesToBytes(*style->ListStyles);
        style->ListStyles->FVLData = nullptr;
        w.WriteDocRecord(4, name, lists);
      }
    }
    if (w.Options.Contains(vlfoSaveDocProperties) && ((d.GetState() & vlstViewDocument) || selectionOnly)) {
      TStringList* props = d.GetAbsoluteRootData()->GetDocProperties();
      if (props && props->Count() > 0) {
        VLFWriteLine(buffer, "-9 " + std::to_string(props->Count()) + " 0 0 0 0 5");
        for (Integer i = 0; i < props->Count(); ++i) VLFWriteLine(buffer, VLFEncodeOneLine(props->Get(i)));
      }
    }
    if (!selectionOnly && w.Options.Contains(vlfoSaveLayout) && d.GetRootData() == &d && layout)
      w.WriteLayout(*layout);
    TCustomVLData* sub = selectionOnly ? d.GetActiveSubVLData() : nullptr;
    if (sub && sub != &d) {
      // The selection inside a cell comes with its own version lines; an
      // empty one leaves the end line to this document.
      const auto before = buffer.GetSize();
      if (!WriteDocument(*sub, buffer, true, clNone, nullptr, bsNoBitmap, nullptr, endLine)) return false;
      if (endLine && buffer.GetSize() == before) VLFWriteLine(buffer, version);
      buffer.SaveToStream(stream);
      return true;
    }
    w.WriteItems(selectionOnly);
    if (endLine) VLFWriteLine(buffer, version);
    buffer.SaveToStream(stream);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

bool TCustomVLData::SaveVLFToStream(TStream& stream, bool selectionOnly, TColor color,
                                    const TBitmap* background, TBackgroundStyle backgroundStyle,
                                    const TVLLayoutInfo* layout) {
  return WriteDocument(*this, stream, selectionOnly, color, background, backgroundStyle, layout, true);
}

bool TCustomVLData::SaveVLF(const String& fileName, bool selectionOnly, TColor color,
                            const TBitmap* background, TBackgroundStyle backgroundStyle,
                            const TVLLayoutInfo* layout) {
  try {
    // The file is replaced whole or not at all.
    TAtomicFileStream file(fileName);
    if (!SaveVLFToStream(file, selectionOnly, color, background, backgroundStyle, layout)) return false;
    file.Commit();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

void TCustomVLData::SaveDataProperty(TStream& stream) {
  TMemoryStream body;
  const TVLFOptions options = GetVLFOptions();
  if (options.Contains(vlfoSaveBack)) SetVLFOptions(options - TVLFOptions{vlfoSaveBack});
  const bool ok = WriteDocument(*this, body, false, clNone, nullptr, bsNoBitmap, nullptr, false);
  SetVLFOptions(options);
  if (!ok) throw EWriteError("Stream write error");
  stream.WriteInt32LE(static_cast<Integer>(body.GetSize()));
  body.SaveToStream(stream);
}

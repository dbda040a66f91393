// The VLF reader: records into items of a document, with the style sheet's
// collections replaced, mapped or merged, repairs recorded as warnings and
// any failure answered as false. Every length in the data is checked against
// what the buffer holds.
#include "platform/base/Streams.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLFMisc.h"
#include "richtext/model/VLFStyles.h"
#include "richtext/model/VLKeptRecord.h"
#include "richtext/model/VLMarkers.h"
#include "richtext/model/VLPictureLimits.h"
#include "richtext/model/VLUni.h"

#include <algorithm>

namespace {

// Raised inside the reader for data it refuses; caught at the top.
struct TVLFBadData {};

[[noreturn]] void Bad() { throw TVLFBadData(); }

struct THeader {
  Integer StyleNo = 0, LineCount = 0, ParaNo = 0, SaveMode = 0, Subtype = 0;
  Byte Options = 0;
  TVLTag Tag;
  Integer F1 = 0, F2 = 0;
  Integer BackStyle = 0;
  TColor BackColor = clNone;
  std::unique_ptr<TCustomVLItemInfo> Item;
  AnsiString Text;
  Integer Line = 0;
  // A record of a kind not known here: where its header starts, and where
  // the item options would go in a header of a stream without them.
  bool Kept = false;
  size_t Start = 0, OptionsAt = 0;
};

// An item read and waiting to go into the document with the others.
struct TPendingItem {
  AnsiString Text;
  TCustomVLItemInfo* Item = nullptr;
};

class TVLFReader {
public:
  TVLFReader(TCustomVLData& data, const AnsiString& buf) : Data(data), Buf(buf) {}

  // ---- line cutting ---------------------------------------------------------
  AnsiString Cut8() {
    size_t start = Pos;
    while (Pos < Buf.size() && Buf[Pos] != '\0' && Buf[Pos] != '\r' && Buf[Pos] != '\n') ++Pos;
    return Buf.substr(start, Pos - start);
  }
  AnsiString CutBinary() {
    if (Buf.size() - Pos < 4) Bad();
    uint32_t u = 0;
    for (int k = 0; k < 4; ++k) u |= static_cast<uint32_t>(static_cast<unsigned char>(Buf[Pos + k])) << (8 * k);
    Pos += 4;
    if (u > Buf.size() - Pos) Bad();  // a length that the data does not hold
    AnsiString r = Buf.substr(Pos, u);
    Pos += u;
    return r;
  }
  AnsiString CutUnicode() {
    size_t start = Pos;
    while (Buf.size() - Pos >= 2) {
      auto lo = static_cast<unsigned char>(Buf[Pos]), hi = static_cast<unsigned char>(Buf[Pos + 1]);
      if ((lo == 0x29 && hi == 0x20) || (lo == 0 && hi == 0)) break;
      Pos += 2;
    }
    if (Buf.size() - Pos == 1) Bad();  // half a character at the end
    // A U+0000 would end every following line at the same place: the count
    // of lines in the header could then be met without reading anything.
    if (Buf.size() - Pos >= 2 && Buf[Pos] == '\0' && Buf[Pos + 1] == '\0') Bad();
    return Buf.substr(start, Pos - start);
  }
  void SkipTerminator() {
    auto at = [this](char c) { return Pos < Buf.size() && Buf[Pos] == c; };
    auto skip2029 = [this] {
      if (Buf.size() - Pos >= 2 && Buf[Pos] == '\x29' && Buf[Pos + 1] == '\x20') Pos += 2;
    };
    switch (Mode) {
      case 0:
        if (at('\r')) ++Pos;
        if (at('\n')) ++Pos;
        if (at('\0') && Pos < Buf.size()) ++Pos;  // a NUL ends a line too
        break;
      case 1:
      case 3:
        if (!at('\r')) Bad();
        ++Pos;
        if (!at('\n')) Bad();
        ++Pos;
        Mode = Mode == 1 ? 2 : 4;
        break;
      case 2: Mode = 0; break;
      case 4: skip2029(); break;
      case 5:
        skip2029();
        Mode = 0;
        break;
      default: Bad();
    }
  }

  // ---- warnings and styles -----------------------------------------------------
  void Warn(TVLFWarning w) {
    // Items record their own repairs in the document too.
    Warnings = Data.GetVLFWarnings();
    Warnings.Include(w);
    Data.SetVLFWarnings(Warnings);
  }

  Integer CheckStyle(Integer no, bool para, bool strict = true) {
    TVLIntegerList* map = Maps ? (para ? Maps->Para.get() : Maps->Text.get()) : nullptr;
    if (map && no != vlsDefStyle) {
      if (no >= map->Count()) {
        if (!strict) return 0;
        Warn(vlfwConvUnknownStyles);
        Bad();
      }
      no = map->Get(no);
    }
    if (Style && no != vlsDefStyle) {
      const Integer count = para ? Style->ParaStyles->Count() : Style->TextStyles->Count();
      if (no >= count) {
        if (!strict) return 0;
        Warn(vlfwConvUnknownStyles);
        if (!Options.Contains(vlfoConvUnknownStylesToZero)) Bad();
        no = 0;
      }
    }
    return no;
  }

  // ---- headers -------------------------------------------------------------
  void ParseHeader(const AnsiString& line, size_t start) {
    H = THeader();
    H.Start = start;
    const char* p = line.c_str();
    if (!VLFReadTextStyleRef(Style, p, H.StyleNo, TextNames)) Bad();
    if (H.StyleNo == vlsVersionInfo) {
      if (!VLFReadNumber(p, Major) || !VLFReadNumber(p, Minor)) Bad();
      // "1" after the version announces a version line at the end; the
      // documents written before it have nothing there and no end line.
      Integer endLine = 0;
      if (VLFReadNumber(p, endLine) && endLine == 1) {
        EndAnnounced = true;
        AtEnd = false;
      } else {
        AtEnd = EndAnnounced;
      }
      H.LineCount = 0;
      return;
    }
    AtEnd = false;
    if (!VLFReadNumber(p, H.LineCount) || H.LineCount < 0) Bad();
    // Every line takes at least a byte: a record claiming more lines than
    // the data has bytes left ends inside itself, and what its items would
    // make for those lines is not made.
    if (static_cast<size_t>(H.LineCount) > Buf.size() - Pos) Bad();
    if (!VLFReadParaStyleRef(Style, p, H.ParaNo, ParaNames)) Bad();
    H.OptionsAt = static_cast<size_t>(p - line.c_str());
    const bool record = H.StyleNo == vlsBack || H.StyleNo == vlsCheckpoint || H.StyleNo == vlsDocProperty;
    if (!record) {
      H.Item = CreateVellumItem(H.StyleNo, &Data);
      // A kind not known here is kept as it was read, to be written back.
      if (!H.Item) H.Item = std::make_unique<TVLKeptRecordItemInfo>(&Data);
      H.Kept = dynamic_cast<TVLKeptRecordItemInfo*>(H.Item.get()) != nullptr;
      H.Item->BeforeLoading(3);
    }
    if (Major >= 1 && Minor >= 2) {
      Integer o;
      if (!VLFReadNumber(p, o)) Bad();
      H.Options = static_cast<Byte>(o & 0x0F);
      if (H.Item) H.Item->ItemOptions = H.Options;
    }
    if (!VLFReadNumber(p, H.SaveMode)) Bad();
    // Pictures and controls read their lines as their record carries them.
    if (auto* g = dynamic_cast<TVLGraphicItemInfo*>(H.Item.get())) g->ReadType = H.SaveMode;
    if (auto* c = dynamic_cast<TVLControlItemInfo*>(H.Item.get())) c->ReadType = H.SaveMode;
    if (H.Item) H.Item->SetVLFReadType(H.SaveMode);
    if (H.Kept) {
      // Only the layout of its lines matters; its paragraph style is
      // checked as far as placing it goes.
      if (H.ParaNo >= 0) H.ParaNo = CheckStyle(H.ParaNo, true, false);
      return;
    }
    AnsiString strTag;
    bool hasString;
    if (!VLFReadTagToken(p, TagsP, Major > 1 || Minor > 2, H.Tag.Int, strTag, hasString)) Bad();
    if (hasString) H.Tag.Str = VLFDecodeOneLine(strTag);
    if (H.StyleNo == vlsDocProperty) {
      if (!VLFReadNumber(p, H.Subtype)) Bad();
      return;
    }
    if (H.Item) H.Item->Tag = H.Tag;
    if (H.Item && H.StyleNo >= 0) {
      H.Item->StyleNo = CheckStyle(H.StyleNo, false);
      if (*p) {
        AnsiString hint;
        if (!VLFReadQuotedString(p, hint)) Bad();
        H.Item->Hint = VLFDecodeOneLine(hint);
      }
    }
    if (H.Item && H.ParaNo >= 0) H.ParaNo = CheckStyle(H.ParaNo, true);
    if (H.StyleNo == vlsBack) {
      if (!VLFReadNumber(p, H.BackStyle) || !VLFReadNumber(p, H.BackColor)) Bad();
      if (Options.Contains(vlfoLoadBack)) {
        Color = H.BackColor;
        if (BackStyle) *BackStyle = static_cast<TBackgroundStyle>(std::clamp(H.BackStyle, 0, 4));
        if (Background) Background->SetSize(0, 0);
      }
    } else if (H.StyleNo == vlsCheckpoint) {
      if (*p && *p != '\r' && *p != '\n' && VLFReadNumber(p, H.F1) && *p) VLFReadNumber(p, H.F2);
    } else if (H.Item && H.StyleNo < 0) {
      if (!H.Item->ReadVLFParams(p)) Bad();
      if (auto* m = dynamic_cast<TVLMarkerItemInfo*>(H.Item.get())) {
        if (m->Level < 0 || m->Level > 255) {
          Warn(vlfwConvUnknownStyles);
          m->Level = std::clamp(m->Level, 0, 255);
        }
      }
    }
  }

  // ---- inserting -------------------------------------------------------------
  void Insert(std::unique_ptr<TCustomVLItemInfo> item, AnsiString text) {
    if (!item) return;
    if (item->StyleNo < 0 && !item->GetBoolValue(1)) return;
    if (item->StyleNo >= 0 && EditorInsert && Style &&
        Style->TextStyles->Items(Data.GetActualStyleNo(item->StyleNo, std::max(0, H.ParaNo)))
            ->Protection.Contains(vlprVLFInsertProtect))
      return;
    if (H.ParaNo == -1) {
      TCustomVLItemInfo* prev = PrevItem();
      if (prev && !prev->GetBoolValue(0)) {
        item->SetSameAsPrev(true);
        item->ParaNo = prev->ParaNo;
      } else {
        item->SetSameAsPrev(false);
        item->ParaNo = 0;
      }
    } else {
      item->SetSameAsPrev(false);
      item->ParaNo = H.ParaNo;
    }
    item->UpdatePaletteInfo(Data.GetDoInPaletteMode(), false);
    if (item->StyleNo >= 0) {
      if (H.SaveMode == 3) {
        AnsiString raw;
        if (!VLFTryHexToString(text, raw)) Bad();
        text = raw;
      }
      if (item->IsUnicode() && text.size() % 2) Bad();
      if (Style) {
        const Integer actual = Data.GetActualStyleNo(item->StyleNo, item->ParaNo);
        const bool styleUnicode = Style->TextStyles->Items(actual)->Unicode;
        if (item->IsUnicode() && !styleUnicode) {
          text = RawUnicodeToAnsi(text, Data.GetDefaultCodePage());
          item->ItemOptions &= static_cast<Byte>(~vlioUnicode);
          Warn(vlfwConvFromUnicode);
        } else if (!item->IsUnicode() && styleUnicode) {
          text = AnsiToRawUnicode(text, Data.GetStyleCodePage(actual));
          item->ItemOptions |= vlioUnicode;
          Warn(vlfwConvToUnicode);
        }
      }
    }
    if (auto* m = dynamic_cast<TVLMarkerItemInfo*>(item.get())) {
      TVLIntegerList* map = Maps ? Maps->List.get() : nullptr;
      if (m->ListNo >= 0 && map) {
        if (m->ListNo >= map->Count()) {
          m->ListNo = 0;
          Warn(vlfwConvUnknownStyles);
        } else {
          m->ListNo = map->Get(m->ListNo);
        }
      }
      if (Style && m->ListNo >= Style->ListStyles->Count()) {
        Warn(vlfwConvUnknownStyles);
        m->ListNo = Style->ListStyles->Count() > 0 ? 0 : -1;
      }
    }
    // The pending checkpoint goes with the item.
    if (Pending) {
      TVLCPInfo* cp = Pending;
      Pending = nullptr;
      if (PendingIsDocs) {
        Data.AttachPendingCheckpoint(item.get());
      } else if (Appending) {
        Data.NotAddedCP = cp;
        ++Data.CPCount;
        Data.AttachPendingCheckpoint(item.get());
      } else {
        // Linked into the document's chain once the items are in place.
        cp->ItemInfo = item.get();
        item->Checkpoint = cp;
        ++Data.CPCount;
        Relink = true;
      }
      PendingIsDocs = false;
    }
    TCustomVLItemInfo* raw = item.release();
    if (First) {
      First = false;
      bool fullReformat = false;
      Integer newListNo = -1;
      if (!Data.InsertFirstVLFItem(Index, text, raw, EditorInsert, fullReformat, newListNo)) {
        Failed = true;
        Bad();
      }
      BatchAt = Index;
      if (raw->StyleNo == vlsComponent) Data.NotifyControlItem(vlcaAfterVLFLoad, Index - 1, raw);
    } else {
      // The rest go in together: one at a time in the middle of a long
      // document, each would move the whole tail.
      raw->Inserting(&Data, text, false);
      Batch.push_back({std::move(text), raw});
      ++Index;
    }
  }

  TCustomVLItemInfo* PrevItem() {
    if (!Batch.empty()) return Batch.back().Item;
    return Index > 0 ? Data.GetItem(Index - 1) : nullptr;
  }

  // Puts the waiting items into the document at their place, registers
  // their markers in one step and links the checkpoints read.
  void Flush() {
    std::vector<TPendingItem> batch;
    batch.swap(Batch);
    if (!batch.empty()) {
      const Integer at = BatchAt;
      std::vector<std::pair<AnsiString, TCustomVLItemInfo*>> block;
      block.reserve(batch.size());
      for (TPendingItem& p : batch) block.emplace_back(std::move(p.Text), p.Item);
      Data.InsertItemBlock(at, block);
      std::vector<TVLMarkerItemInfo*> markers;
      for (size_t k = 0; k < block.size(); ++k)
        if (block[k].second->StyleNo == vlsListMarker)
          if (auto* m = dynamic_cast<TVLMarkerItemInfo*>(block[k].second)) markers.push_back(m);
      Data.AddMarkersToList(at, markers);
      // Items with documents inside (tables) place their own markers among
      // these, so the document's markers are listed first.
      for (size_t k = 0; k < block.size(); ++k) block[k].second->Inserted(&Data, at + static_cast<Integer>(k));
      for (size_t k = 0; k < block.size(); ++k)
        if (block[k].second->StyleNo == vlsComponent)
          Data.NotifyControlItem(vlcaAfterVLFLoad, at + static_cast<Integer>(k), block[k].second);
      BatchAt = at + static_cast<Integer>(block.size());
    }
    if (Relink) {
      Relink = false;
      Data.RelinkCheckpoints();
    }
  }

  void InsertRecordItem() {
    if (!H.Item) return;
    if (auto* k = dynamic_cast<TVLKeptRecordItemInfo*>(H.Item.get())) {
      k->Record = Buf.substr(H.Start, Pos - H.Start);
      Warn(vlfwRecordNotShown);
      // A stream without item options gets them, as every stream written
      // here has them.
      if (!(Major >= 1 && Minor >= 2)) k->Record.insert(std::min(H.OptionsAt, k->Record.size()), "0 ");
    }
    Insert(std::move(H.Item), H.Text);
  }

  // ---- data lines ---------------------------------------------------------------
  void DocRecordLine(const AnsiString& line) {
    const Integer sub = H.Subtype;
    if (sub == 5) {
      TStringList* props = Data.GetDocProperties();
      if (AllowReplaceStyles && Options.Contains(vlfoLoadDocProperties) && props)
        props->Add(VLFDecodeOneLine(line));
      return;
    }
    if (H.Line == 0) {
      if (H.SaveMode == 2 && H.LineCount > 1) Mode = 1;
      return;
    }
    if (H.Line != 1) return;
    AnsiString bytes;
    if (H.SaveMode == 2)
      bytes = line;
    else if (!VLFTryHexToString(line, bytes))
      Bad();
    if (sub == 1 || sub == 2 || sub == 4) {
      ReadStyles(sub, bytes);
    } else if (sub == 3) {
      ReadLayout(bytes);
    } else if (sub == 6) {
      TVLMarkerList* outer = Data.GetOuterMarkerList(true);
      if (outer && AllowReplaceStyles && Options.Contains(vlfoLoadLayout)) {
        if (!outer->LoadFromBinaryString(bytes, false)) Bad();
      }
    }
  }

  void ReadStyles(Integer sub, const AnsiString& bytes) {
    const TVLFReaderStyleMode mode =
        sub == 1 ? Data.GetVLFTextStylesReadMode() : Data.GetVLFParaStylesReadMode();
    // Styles may be replaced or renamed below.
    TextNames.Invalidate();
    ParaNames.Invalidate();
    if (mode == vlf_sIgnore || bytes.empty() || !Style) return;
    if (bytes[0] != VLFCollectionMarker) Bad();
    const TVLStyleMergeMode merge = mode == vlf_sInsertMap ? vlsmmMap : vlsmmMerge;
    if (sub == 1) {
      TFontInfos read(Style->GetTextStyleClass(), Style);
      if (!VLFTextStylesFromBytes(bytes, read)) Bad();
      if (read.Count() == 0 || (Maps && Maps->Text)) return;
      if (AllowReplaceStyles) {
        Style->TextStyles->Assign(&read);
      } else if (Maps) {
        Maps->Text = std::make_unique<TVLIntegerList>();
        Style->TextStyles->MergeWith(read, merge, *Maps->Text, nullptr);
      }
    } else if (sub == 2) {
      TParaInfos read(Style->GetParaStyleClass(), Style);
      if (!VLFParaStylesFromBytes(bytes, read)) Bad();
      if (read.Count() == 0 || (Maps && Maps->Para)) return;
      if (AllowReplaceStyles) {
        Style->ParaStyles->Assign(&read);
      } else if (Maps) {
        Maps->Para = std::make_unique<TVLIntegerList>();
        Style->ParaStyles->MergeWith(read, merge, *Maps->Para, Maps->Text.get());
      }
    } else {
      TVLListInfos read(Style->GetListStyleClass(), Style);
      read.FVLData = &Data;
      bool ok = VLFListStylesFromBytes(bytes, read);
      read.FVLData = nullptr;
      if (!ok) Bad();
      if (read.Count() == 0 || (Maps && Maps->List)) return;
      if (AllowReplaceStyles) {
        Style->ListStyles->Assign(&read);
        // The stored list identifiers stay with their lists.
        for (Integer i = 0; i < read.Count() && i < Style->ListStyles->Count(); ++i)
          Style->ListStyles->Items(i)->SetListID(read.Items(i)->GetListID());
      } else if (Maps) {
        Maps->List = std::make_unique<TVLIntegerList>();
        Style->ListStyles->MergeWith(read, merge, *Maps->List, Maps->Text.get());
      }
    }
  }

  void ReadLayout(const AnsiString& b) {
    if (!Layout || !AllowReplaceStyles || !Options.Contains(vlfoLoadLayout)) return;
    auto get = [&b](size_t pos) {
      uint32_t u = 0;
      for (int k = 0; k < 4; ++k) u |= static_cast<uint32_t>(static_cast<unsigned char>(b[pos + k])) << (8 * k);
      return static_cast<Integer>(u);
    };
    if (b.size() < 8) Bad();
    const Integer body = get(4);
    if (body < 25) throw EVellumError(errVLInvalidVLF);
    if (b.size() < 8 + 25) Bad();
    Integer* const lengths[6] = {&Layout->LeftMargin,  &Layout->RightMargin,  &Layout->TopMargin,
                                 &Layout->BottomMargin, &Layout->MinTextWidth, &Layout->MaxTextWidth};
    for (size_t k = 0; k < 6; ++k) {
      Layout->StoredLengths[k] = get(8 + 4 * k);
      *lengths[k] = std::clamp(Layout->StoredLengths[k], 0, k < 4 ? VLMaxLayoutMargin : VLMaxLayoutWidth);
    }
    Layout->BiDiMode = static_cast<TVLBiDiMode>(std::clamp<int>(static_cast<unsigned char>(b[32]), 0, 2));
    if (body >= 41 && b.size() >= 8 + 41) {
      Layout->StartsInsideParagraph = get(33) != 0;
      Layout->EndsInsideParagraph = get(37) != 0;
      Layout->StartMarkerListNo = get(41);
      Layout->StartMarkerLevel = get(45);
      TVLIntegerList* map = Maps ? Maps->List.get() : nullptr;
      if (Layout->StartsInsideParagraph && Layout->StartMarkerListNo >= 0 && map &&
          Layout->StartMarkerListNo < map->Count())
        Layout->StartMarkerListNo = map->Get(Layout->StartMarkerListNo);
    }
    Layout->Loaded = true;
  }

  void BackgroundLine(const AnsiString& line) {
    if (H.Line == 0) {
      if (H.SaveMode == 2 && H.LineCount > 1) Mode = 1;
      return;
    }
    if (H.Line != 1 || !Options.Contains(vlfoLoadBack)) return;
    AnsiString bytes;
    if (H.SaveMode == 2)
      bytes = line;
    else if (!VLFTryHexToString(line, bytes))
      Bad();
    TBitmap temp;
    TBitmap* target = Background ? Background : &temp;
    try {
      if (!VLPictureWithinLimits(bytes)) throw EInvalidGraphic("Picture too large for its data");
      target->LoadFromBytes(bytes);
    } catch (const Exception&) {
      target->SetSize(0, 0);
      Warn(vlfwBackgroundLeftOut);
    }
  }

  // Lines of pictures, controls, bullets, hotspots, markers and registered
  // kinds: each item reads its own.
  void ItemLine(const AnsiString& line) {
    TCustomVLItemInfo* item = H.Item.get();
    const Integer n = H.Line, count = H.LineCount;
    TObject* cpInfo = nullptr;
    if (!item->ReadVLFLine(line, &Data, n, count, H.Text, cpInfo)) Bad();
    const bool withBody = (item->StyleNo == vlsPicture || item->StyleNo == vlsHotPicture ||
                           item->StyleNo == vlsComponent || item->StyleNo == vlsTable) &&
                          H.SaveMode != 1;
    // The line before the last says that binary data follows.
    if (withBody && H.SaveMode == 2 && n + 2 == count) Mode = 1;
  }

  void DataLine(const AnsiString& line) {
    if (H.StyleNo == vlsDocProperty) {
      DocRecordLine(line);
    } else if (H.StyleNo == vlsBack) {
      BackgroundLine(line);
    } else if (H.StyleNo == vlsCheckpoint) {
      if (H.Line == 0 && !Pending) {
        auto cp = std::make_unique<TVLCPInfo>();
        cp->Name = VLFDecodeOneLine(line);
        cp->Tag = H.Tag;
        cp->RaiseEvent = H.F1 != 0;
        cp->Persistent = H.F2 != 0;
        Pending = cp.release();
        PendingIsDocs = false;
      }
    } else if (H.Item && H.StyleNo >= 0) {
      auto item = VLTextItemClass.Create(&Data);
      item->BeforeLoading(3);
      item->Assign(H.Item.get());
      item->Tag = Data.CopyTag(H.Item->Tag);
      Insert(std::move(item), line);
    } else if (H.Item) {
      ItemLine(line);
    }
  }

  // ---- the main loop ---------------------------------------------------------------
  void Run() {
    while (Pos < Buf.size()) {
      const size_t lineStart = Pos;
      AnsiString line = Mode == 2 ? CutBinary() : Mode == 4 ? CutUnicode() : Cut8();
      // Every line of text is written with its end: one that runs to the
      // end of the data was cut there, and would read as shorter text.
      if (Mode != 2 && Pos == Buf.size()) Bad();
      // The record's item goes in after the line end, so that a kept record
      // holds its last line whole.
      bool insert = false;
      if (State == 0) {
        ParseHeader(line, lineStart);
        if (H.LineCount == 0) {
          insert = H.StyleNo != vlsBack && H.StyleNo != vlsVersionInfo;
        } else {
          const bool record = H.StyleNo == vlsBack || H.StyleNo == vlsCheckpoint || H.StyleNo == vlsDocProperty;
          State = record || (H.Item && H.Item->GetBoolValue(2)) ? 1 : 2;
          if (State == 1 && H.Item && H.StyleNo >= 0 && H.Item->IsUnicode() && H.SaveMode != 3) Mode = 3;
          if (State == 2 && H.SaveMode == 2 && H.LineCount == 1) Mode = 1;
        }
      } else {
        if (State == 1) DataLine(line);
        if (State == 2 && H.SaveMode == 2 && H.Line + 2 == H.LineCount) Mode = 1;
        ++H.Line;
        if (H.Line >= H.LineCount) {
          insert = State == 2 || (H.Item && H.StyleNo < 0);
          State = 0;
          if (Mode == 4) Mode = 5;
        }
      }
      SkipTerminator();
      if (insert) InsertRecordItem();
    }
    if (State != 0) Bad();  // the data ends inside a record
    // Cut between two records: without its end line the document would
    // read as a whole shorter one.
    if (EndAnnounced && !AtEnd) Bad();
    if (Mode == 1 || Mode == 3) Bad();
  }

  TCustomVLData& Data;
  const AnsiString& Buf;
  size_t Pos = 0;
  Integer Mode = 0, State = 0;
  Integer Major = 1, Minor = 0;
  bool EndAnnounced = false, AtEnd = false;
  THeader H;
  TVLFOptions Options;
  TVLFWarnings Warnings;
  TVLStyle* Style = nullptr;
  TVLFStyleMaps* Maps = nullptr;
  bool TagsP = false, EditorInsert = false, AllowReplaceStyles = false, Appending = false;
  bool First = true, Failed = false;
  Integer Index = 0;
  std::vector<TPendingItem> Batch;
  Integer BatchAt = 0;
  bool Relink = false;
  TVLFStyleNameIndex TextNames, ParaNames;
  TVLCPInfo* Pending = nullptr;
  bool PendingIsDocs = false;
  TVLLayoutInfo* Layout = nullptr;
  TBitmap* Background = nullptr;
  TBackgroundStyle* BackStyle = nullptr;
  TColor Color = clNone;
};

}  // namespace

bool TCustomVLData::InsertFirstVLFItem(Integer& index, AnsiString& text, TCustomVLItemInfo*& item,
                                       bool editFlag, bool& fullReformat, Integer& newListNo) {
  item->Inserting(this, text, false);
  Items->InsertObject(index, text, item);
  item->Inserted(this, index);
  AddMarkerToList(index);
  ++index;
  fullReformat = false;
  return true;
}

bool TCustomVLData::ReadVLFFromStream(TStream& stream, Integer& index, TVLLayoutInfo* layout,
                                      TBitmap* background, TBackgroundStyle* backgroundStyle,
                                      TColor& color, bool editorInsert, bool allowReplaceStyles) {
  if (index > GetItemCount() || index < 0) index = GetItemCount();
  const Integer startIndex = index;
  const bool appending = index == GetItemCount() && !editorInsert;
  AnsiString buf;
  bool ok = false;
  TVLFStyleMaps localMaps;
  TVLFStyleMaps* maps = GetVLFStyleMaps();
  TVLFReader r(*this, buf);
  try {
    buf = stream.ReadBytes(stream.Remaining());
    // Warnings are the whole document's: a cell read in the middle of it
    // must not wipe what the cells before it reported.
    if (!(GetState() & vlstReadingCellData)) SetVLFWarnings(TVLFWarnings());
    if (allowReplaceStyles)
      if (TStringList* props = GetDocProperties()) props->Clear();
    r.Options = GetVLFOptions();
    r.Style = GetStyle();
    r.Maps = maps ? maps : &localMaps;
    r.TagsP = TagsArePChars();
    r.EditorInsert = editorInsert;
    r.AllowReplaceStyles = allowReplaceStyles;
    r.Appending = appending;
    r.Index = index;
    r.Layout = layout;
    r.Background = background;
    r.BackStyle = backgroundStyle;
    r.Color = color;
    if (appending && NotAddedCP) {
      r.Pending = NotAddedCP;
      r.PendingIsDocs = true;
    }
    r.Run();
    r.Flush();
    index = r.Index;
    color = r.Color;
    // A marker is always followed by an item of its own paragraph.
    if (index > 0 && GetItem(index - 1)->StyleNo == vlsListMarker &&
        (index == GetItemCount() || GetItem(index)->IsParaStart())) {
      auto item = VLTextItemClass.Create(this);
      item->StyleNo = 0;
      item->ParaNo = GetItem(index - 1)->ParaNo;
      item->SetSameAsPrev(true);
      TCustomVLItemInfo* raw = item.release();
      AnsiString empty;
      raw->Inserting(this, empty, false);
      Items->InsertObject(index, empty, raw);
      raw->Inserted(this, index);
      ++index;
    }
    if (!editorInsert) NormalizeParaNo(startIndex);
    ok = true;
  } catch (...) {
    // What was read before the failure stays.
    try {
      r.Flush();
    } catch (...) {
    }
    index = r.Index;
    ok = false;
    r.Warn(vlfwInvalidData);
  }
  ReleaseVLFStyleMaps();
  if (r.Pending && !r.PendingIsDocs) {
    if (ok && appending && !NotAddedCP) {
      NotAddedCP = r.Pending;
      ++CPCount;
    } else {
      delete r.Pending;
    }
  }
  return ok;
}

bool TCustomVLData::InsertVLFFromStream(TStream& stream, Integer index, TColor& color,
                                        TBitmap* background, TBackgroundStyle* backgroundStyle,
                                        TVLLayoutInfo* layout, bool allowReplaceStyles) {
  return ReadVLFFromStream(stream, index, layout, background, backgroundStyle, color, false,
                           allowReplaceStyles);
}

bool TCustomVLData::LoadVLFFromStream(TStream& stream, TColor& color, TBitmap* background,
                                      TBackgroundStyle* backgroundStyle, TVLLayoutInfo* layout) {
  Clear();
  return InsertVLFFromStream(stream, 0, color, background, backgroundStyle, layout, true);
}

bool TCustomVLData::LoadVLF(const String& fileName, TColor& color, TBitmap* background,
                            TBackgroundStyle* backgroundStyle, TVLLayoutInfo* layout) {
  try {
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    return LoadVLFFromStream(file, color, background, backgroundStyle, layout);
  } catch (const std::exception&) {
    return false;
  }
}

bool TCustomVLData::LoadDataProperty(TStream& stream) {
  SetState(GetState() | vlstReadingCellData);
  struct TRestore {
    TCustomVLData* Self;
    ~TRestore() { Self->SetState(Self->GetState() & ~vlstReadingCellData); }
  } restore{this};
  try {
    const Integer size = stream.ReadInt32LE();
    if (size < 0 || size > stream.Remaining()) return false;
    TStringStream body(stream.ReadBytes(size));
    TColor color = clNone;
    return LoadVLFFromStream(body, color, nullptr, nullptr, nullptr);
  } catch (const Exception&) {
    return false;
  }
}

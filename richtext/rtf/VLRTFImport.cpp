#include "richtext/rtf/VLRTFImport.h"

#include "platform/base/CodePages.h"
#include "platform/base/SysUtils.h"
#include "platform/gui/SymbolEncoding.h"
#include "richtext/model/VLFuncs.h"
#include "richtext/model/VLMarkers.h"
#include "richtext/model/VLUni.h"
#include "richtext/rtf/VLRTFListImport.h"
#include "richtext/rtf/VLRTFTableImport.h"
#include "richtext/table/VLTable.h"

#include <algorithm>

namespace {
// Bytes of a Wingdings run as the characters the font shows, where known
// (the other bytes as the code page has them); false when the font is not
// Wingdings or no byte is known. The Symbol font's bytes stay codes: text
// in that font is drawn and copied through its own table.
bool WingdingsBytesToWide(const AnsiString& fontName, const AnsiString& text, Cardinal cp, WideString& out) {
  if (SymbolCodeFontOf(fontName.c_str()) != TSymbolCodeFont::Wingdings) return false;
  bool any = false;
  for (char c : text) any = any || WingdingsCodeToUnicode(static_cast<unsigned char>(c));
  if (any) out = VLSymbolFontText(text, false, fontName, cp);
  return any;
}

// The last marker of data up to item from, inner documents included, that
// is an entry of list (0 when none). Markers of table cells that count in a
// list of their cell's own are passed over.
TCustomVLItemInfo* LastListedMarker(TCustomVLData& data, Integer from, const TVLMarkerList& list, int depth = 0) {
  for (Integer i = std::min(from, data.GetItemCount() - 1); i >= 0; --i) {
    TCustomVLItemInfo* item = data.GetItem(i);
    if (item->StyleNo == vlsListMarker) {
      if (list.IndexOf(item) >= 0) return item;
      continue;
    }
    if (depth >= 64) continue;
    TCustomVLItemInfo* found = nullptr;
    std::unique_ptr<TVLStoreSubVLData> state;
    for (TCustomVLData* sub = item->GetSubVLData(state, 0); sub; sub = item->GetSubVLData(state, 4))
      if (TCustomVLItemInfo* m = LastListedMarker(*sub, sub->GetItemCount() - 1, list, depth + 1)) found = m;
    if (found) return found;
  }
  return nullptr;
}

// A marker of the target's own items joins the marker list right after the
// last marker before it that is in the list, so that a table whose cells
// hold list paragraphs does not send it to the front of the list.
void AddMarkerInOrder(TCustomVLData& doc, Integer itemNo) {
  auto* marker = dynamic_cast<TVLMarkerItemInfo*>(doc.GetItem(itemNo));
  if (!marker) return;
  TVLMarkerList* list = doc.GetMarkers(true);
  if (!list || list->IndexOf(marker) >= 0) return;
  const TCustomVLItemInfo* prev = LastListedMarker(doc, itemNo - 1, *list);
  const Integer index = prev ? list->IndexOf(prev) + 1 : 0;
  list->Insert(index, marker);
  list->RecalcCounters(index, doc.GetStyle());
}

AnsiString TrimLeading(const AnsiString& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}
}  // namespace

TVLRTFReaderProperties& VLDefaultRTFReaderProperties() {
  static TVLRTFReaderProperties* props = [] {
    auto* p = new TVLRTFReaderProperties();
    p->UnicodeMode = vlruMixed;
    p->TextStyleMode = vlrsAddIfNeeded;
    p->ParaStyleMode = vlrsAddIfNeeded;
    return p;
  }();
  return *props;
}

void VLRegisterRTFReader() {
  VLRegisterTableItem();
  VLRegisterRTFReadHook(&VLDefaultRTFReaderProperties());
  VLRegisterRTFReadHookFactory([]() -> std::unique_ptr<TVLRTFReadHook> {
    auto own = std::make_unique<TVLRTFReaderProperties>();
    own->Assign(&VLDefaultRTFReaderProperties());
    return own;
  });
}

TVLRTFReaderProperties::TVLRTFReaderProperties() = default;
TVLRTFReaderProperties::~TVLRTFReaderProperties() = default;

void TVLRTFReaderProperties::Assign(const TPersistent* source) {
  if (const auto* s = dynamic_cast<const TVLRTFReaderProperties*>(source)) {
    UnicodeMode = s->UnicodeMode;
    TextStyleMode = s->TextStyleMode;
    ParaStyleMode = s->ParaStyleMode;
    IgnorePictures = s->IgnorePictures;
    UseHypertextStyles = s->UseHypertextStyles;
    FTextStyleNo = s->FTextStyleNo;
    FParaStyleNo = s->FParaStyleNo;
    return;
  }
  TPersistent::Assign(source);
}

void TVLRTFReaderProperties::SetTextStyleNo(Integer value) {
  if (value < 0) throw Exception("Value must not be negative");
  FTextStyleNo = value;
}

void TVLRTFReaderProperties::SetParaStyleNo(Integer value) {
  if (value < 0) throw Exception("Value must not be negative");
  FParaStyleNo = value;
}

Integer TVLRTFReaderProperties::Twips(Integer twips) const { return RTFRound(twips * PixelsPerTwip); }

// ---------------------------------------------------------------------------
// The run

Byte TVLRTFReaderProperties::ReadFromFile(const String& fileName, TCustomVLData* data) {
  try {
    return Run(nullptr, &fileName, data, data->GetItemCount(), false);
  } catch (...) {
    return 9;
  }
}

Byte TVLRTFReaderProperties::ReadFromStream(TStream& stream, TCustomVLData* data) {
  try {
    return Run(&stream, nullptr, data, data->GetItemCount(), false);
  } catch (...) {
    return 9;
  }
}

Byte TVLRTFReaderProperties::InsertFromStream(TStream& stream, TCustomVLData* data, Integer& index) {
  const Byte r = Run(&stream, nullptr, data, index, true);
  index = FirstItemIndex;
  return r;
}

Byte TVLRTFReaderProperties::Run(TStream* stream, const String* fileName, TCustomVLData* data, Integer index,
                                 bool insertMode) {
  Target = data;
  InsertMode = insertMode;
  InsertIndex = std::clamp(index, 0, data->GetItemCount());
  FirstItemIndex = -1;
  TVLRTFReader reader;
  Reader = &reader;
  struct TFinish {
    TVLRTFReaderProperties* Self;
    ~TFinish() {
      try {
        Self->Finish();
      } catch (...) {
      }
      Self->Reader = nullptr;
    }
  } finish{this};
  Setup();
  ResultCode = fileName ? reader.ReadFromFile(*fileName) : reader.ReadFromStream(*stream);
  return ResultCode;
}

void TVLRTFReaderProperties::Setup() {
  TVLRTFReader& r = *Reader;
  PixelsPerTwip = PixelsPerInch / 1440.0;
  r.PixelsPerInch = PixelsPerInch;
  r.ConvertHighlight = static_cast<TVLRTFHighlightConvert>(ConvertHighlight);
  r.BasePath = BasePath;
  r.LinkPolicy = LinkPolicy;
  HeaderYMM = FooterYMM = -1;
  Lists = std::make_unique<TVLRTFListImport>(*this);
  Tables = std::make_unique<TVLRTFTableImport>(*this);
  r.OnUpdateMarker = [this](TVLRTFReader* s) { ReaderUpdateMarker(s); };
  r.OnNewText = [this](TVLRTFReader* s, const AnsiString& t, TVLRTFPosition p) { ReaderNewText(s, t, p); };
  if (UnicodeMode == vlruMixed || UnicodeMode == vlruOnlyUnicode)
    r.OnNewUnicodeText = [this](TVLRTFReader* s, const WideString& t, TVLRTFPosition p) {
      ReaderNewUnicodeText(s, t, p);
    };
  if (!IgnorePictures) {
    r.OnNewPicture = [this](TVLRTFReader* s, TVLRTFPicture* pic, std::unique_ptr<TGraphic>& g, TVLRTFPosition p,
                            bool& inserted) { ReaderNewPicture(s, pic, g, p, inserted); };
    r.OnImportPicture = [this](TVLRTFReader* s, const String& location, std::unique_ptr<TGraphic>& g) {
      ReaderImportPicture(s, location, g);
    };
  }
  r.DefCodePage = Target->GetDefaultCodePage();
  r.OnRequiredPageBreak = [this](TVLRTFReader*) {
    PageBreakPending = true;
    PageBreakData = CurrentData;
  };
  r.OnTable = [this](TVLRTFReader*, TVLRTFTableEventKind kind) { Tables->ReaderTable(kind); };
  Style = Target->GetStyle();
  PageBreakPending = false;
  PageBreakData = nullptr;
  InsertedCount = 0;
  InsertionRefused = false;
  FullReformat = false;
  FirstItem = true;
  CurrentData = Target;
  CurrentDestination = rtf_hf_MainText;
  DefaultParaCache = -1;
  CurrentRow = CurrentCol = -1;
  InsideTableEnd = false;
  // A style sheet may have changed between runs: nothing of its names,
  // index or closest answers is taken over.
  FClosestCache.clear();
  FCacheStyle = nullptr;
  FFontNames.clear();
  FSymbolFont = TFontName();
  FStyleNamesLower.clear();
  FStyleNamesOf = nullptr;
  FStyleIndex.clear();
  FStyleIndexOf = nullptr;
  FStylesIndexed = 0;
  StyleLookups = NamesLowered = StylesCompared = 0;
  if (HeaderVLData || FooterVLData) {
    r.OnHeaderFooter = [this](TVLRTFReader* s, TVLRTFHeaderFooterType t, bool starting) {
      ReaderHeaderFooter(s, t, starting);
    };
    if (HeaderVLData) HeaderVLData->Clear();
    if (FooterVLData) FooterVLData->Clear();
  }
}

void TVLRTFReaderProperties::Finish() {
  if (Lists && Reader) ReaderUpdateMarker(Reader);
  Tables.reset();
  Lists.reset();
  FDiscard.reset();
}

// ---------------------------------------------------------------------------
// Items

void TVLRTFReaderProperties::AddItem(AnsiString& text, std::unique_ptr<TCustomVLItemInfo> item,
                                     TVLRTFPosition position) {
  if (position == rtf_ts_ContinuePara) {
    item->SetSameAsPrev(true);
  } else if (position == rtf_ts_NewLine && !LineBreaksAsParagraphs) {
    item->SetBR(true);
  } else if (!KeepParagraphBreaks) {
    item->SetBR(true);
  } else if (item->StyleNo != vlsListMarker && item->StyleNo != vlsTable && !InsideTableEnd) {
    if (Lists->BeforeNewParagraph(item->ParaNo)) item->SetSameAsPrev(true);
  }
  if (PageBreakPending && PageBreakData == CurrentData) {
    item->SetPageBreakBefore(true);
    PageBreakPending = false;
  }
  const bool marker = item->StyleNo == vlsListMarker;
  Integer placedAt = -1;
  if (CurrentData == Target) {
    const bool afterFullLine = InsertIndex == 0 || Target->GetItem(InsertIndex - 1)->GetBoolValue(0);
    if (FirstItem) {
      FirstItem = false;
      if (!InsertMode && afterFullLine) item->SetSameAsPrev(false);
      TCustomVLItemInfo* raw = item.release();
      bool fullReformat = false;
      Integer newListNo = -1;
      if (!Target->InsertFirstVLFItem(InsertIndex, text, raw, InsertMode, fullReformat, newListNo)) {
        delete raw;
        InsertionRefused = true;
        Abort();
      }
      FullReformat = fullReformat;
      if (raw) {
        raw->RegisterInnerMarkers(nullptr);
        FirstItemIndex = InsertIndex - 1;
        placedAt = InsertIndex - 1;
      } else {
        FirstItem = true;
      }
    } else {
      if (afterFullLine) item->SetSameAsPrev(false);
      TCustomVLItemInfo* raw = item.release();
      raw->Inserting(Target, text, false);
      Target->Items->InsertObject(InsertIndex, text, raw);
      raw->Inserted(Target, InsertIndex);
      raw->RegisterInnerMarkers(nullptr);
      AddMarkerInOrder(*Target, InsertIndex);
      placedAt = InsertIndex;
      ++InsertIndex;
      ++InsertedCount;
    }
  } else {
    TCustomVLData* doc = CurrentData;
    const Integer count = doc->GetItemCount();
    if (count == 0 || doc->GetItem(count - 1)->GetBoolValue(0)) item->SetSameAsPrev(false);
    TCustomVLItemInfo* raw = item.release();
    raw->Inserting(doc, text, false);
    doc->Items->AddObject(text, raw);
    raw->Inserted(doc, count);
    if (doc == HeaderVLData || doc == FooterVLData) raw->RegisterInnerMarkers(nullptr);
    doc->AddMarkerToList(count);
    placedAt = count;
    Tables->ItemAdded(doc);
  }
  if (marker && placedAt >= 0) Lists->MarkerAdded(placedAt);
}

Integer TVLRTFReaderProperties::GetParaStyleForNewText(TVLRTFPosition position) {
  if (position == rtf_ts_NewPara) return MapParaStyle();
  if (CurrentData != Target) {
    const Integer count = CurrentData->GetItemCount();
    return count ? CurrentData->GetItem(count - 1)->ParaNo : 0;
  }
  return InsertIndex > 0 ? Target->GetItem(InsertIndex - 1)->ParaNo : 0;
}

void TVLRTFReaderProperties::ReaderNewText(TVLRTFReader* sender, const AnsiString& text, TVLRTFPosition position) {
  if (SkipHiddenText && sender->RTFState.CharProps.Hidden) return;
  NewText(text, nullptr, position, UnicodeMode == vlruOnlyUnicode);
}

void TVLRTFReaderProperties::ReaderNewUnicodeText(TVLRTFReader* sender, const WideString& text,
                                                  TVLRTFPosition position) {
  if (SkipHiddenText && sender->RTFState.CharProps.Hidden) return;
  NewText(AnsiString(), &text, position, true);
}

void TVLRTFReaderProperties::NewText(const AnsiString& text, const WideString* textW, TVLRTFPosition position,
                                     bool unicodeWanted) {
  const Integer styleNo = MapTextStyle(unicodeWanted);
  const Integer paraNo = GetParaStyleForNewText(position);
  AnsiString itemText;
  std::unique_ptr<TCustomVLItemInfo> item = CreateTextItem(text, textW, itemText, paraNo, styleNo);
  AddItem(itemText, std::move(item), position);
}

void TVLRTFReaderProperties::ReaderUpdateMarker(TVLRTFReader*) {
  if (Lists) Lists->UpdateMarker();
}

void TVLRTFReaderProperties::ReaderHeaderFooter(TVLRTFReader* sender, TVLRTFHeaderFooterType type, bool starting) {
  if (starting) {
    TCustomVLData* doc = type == rtf_hf_Header ? HeaderVLData : type == rtf_hf_Footer ? FooterVLData : nullptr;
    if (doc) {
      doc->Clear();
      CurrentData = doc;
      const Integer distance =
          type == rtf_hf_Header ? sender->RTFState.SectProps.HeaderY : sender->RTFState.SectProps.FooterY;
      (type == rtf_hf_Header ? HeaderYMM : FooterYMM) = RTFRound(distance * 127.0 / 7200.0);
    } else {
      // A header or footer nobody asked for must not join the text. One
      // opened inside another keeps the same document: rows of a table
      // begun in the outer one still belong to it.
      if (!FDiscard) FDiscard = std::make_unique<TVLDocumentData>(Style);
      CurrentData = FDiscard.get();
    }
  } else {
    CurrentData = Target;
  }
  Style = CurrentData->GetStyle();
  CurrentDestination = type;
}

// ---------------------------------------------------------------------------
// Text items, pictures and hyperlinks

bool TVLRTFReaderProperties::IsHypertextField() const {
  return Reader && Reader->RTFState.FieldInstruction.find("HYPERLINK") != AnsiString::npos;
}

bool TVLRTFReaderProperties::ParseHyperlinkField(String& target, String& hint, String& extras) const {
  if (!Reader) return false;
  AnsiString s = TrimLeading(Reader->RTFState.FieldInstruction);
  if (!s.empty() && s.front() == '\\') s.erase(0, 1);
  AnsiString upper = s;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (upper.compare(0, 9, "HYPERLINK") != 0) return false;
  hint.clear();
  Integer next = 0;
  AnsiString t = TVLRTFReader::ParseFieldArgument(s, next);
  for (size_t p = 0; (p = t.find("\\\\", p)) != AnsiString::npos; ++p) t.erase(p, 1);
  const Cardinal cp = Reader->CodePage();
  if (!BasePath.empty() && t.find(':') == AnsiString::npos) t = BasePath + t;
  target = AnsiToUtf8(t, cp);
  extras = AnsiToUtf8(s, cp);
  // The \o switch outside quoted parts.
  bool quoted = false;
  for (size_t i = 0; i + 2 < s.size(); ++i) {
    if (s[i] == '"') quoted = !quoted;
    if (quoted || s[i] != '\\' || s[i + 1] != 'o' || s[i + 2] != ' ') continue;
    size_t b = i + 3;
    AnsiString h;
    if (b < s.size() && s[b] == '"') {
      const size_t e = s.find('"', b + 1);
      h = s.substr(b + 1, e == AnsiString::npos ? AnsiString::npos : e - b - 1);
    } else {
      const size_t e = s.find(' ', b);
      h = s.substr(b, e == AnsiString::npos ? AnsiString::npos : e - b);
    }
    hint = AnsiToUtf8(h, cp);
    break;
  }
  return true;
}

std::unique_ptr<TCustomVLItemInfo> TVLRTFReaderProperties::CreateTextItem(const AnsiString& text,
                                                                          const WideString* textW,
                                                                          AnsiString& itemText, Integer paraNo,
                                                                          Integer styleNo) {
  std::unique_ptr<TCustomVLItemInfo> item = VLTextItemClass.Create(CurrentData);
  item->BeforeLoading(2);
  bool unicodeStyle = Style && Style->TextStyles->Items(styleNo)->Unicode;
  WideString converted;
  if (!textW) {
    Cardinal cp = Reader->CodePage();
    bool symbol = false;
    AnsiString fontName = Reader->RTFState.CharProps.SymbolFontName;
    if (const TVLRTFFont* f = Reader->GetFont(Reader->RTFState.CharProps.FontIndex)) {
      cp = Reader->FontCodePage(*f);
      symbol = f->Charset == 2;
      if (fontName.empty()) fontName = f->Name;
    }
    if (WingdingsBytesToWide(fontName, text, cp, converted)) {
      textW = &converted;
    } else if (unicodeStyle) {
      itemText = WideToRawUnicode(AnsiToWide(text, cp));
    } else if (symbol || ResolveCodePage(cp) == ResolveCodePage(CurrentData->GetStyleCodePage(styleNo))) {
      itemText = text;
    } else {
      // Bytes of another code page than the style's: carried over as characters.
      converted = AnsiToWide(text, cp);
      textW = &converted;
    }
  }
  if (!textW) {
  } else if (unicodeStyle) {
    itemText = WideToRawUnicode(*textW);
  } else {
    bool lossless = true;
    itemText = WideToAnsi(*textW, CurrentData->GetStyleCodePage(styleNo), lossless);
    if (!lossless && Style) {
      // Text the 8-bit style cannot hold keeps its characters in a Unicode style.
      styleNo = UnicodeTwin(styleNo);
      unicodeStyle = true;
      itemText = WideToRawUnicode(*textW);
    }
  }
  if (unicodeStyle) item->ItemOptions |= vlioUnicode;
  if (itemText.find(unicodeStyle ? AnsiString("\t\0", 2) : AnsiString("\t")) != AnsiString::npos) {
    const Integer spaces = Style ? Style->SpacesInTab : 8;
    itemText = unicodeStyle ? ReplaceTabsW(itemText, spaces) : ReplaceTabs(itemText, spaces);
  }
  item->StyleNo = styleNo;
  String target, hint, extras;
  if (ParseHyperlinkField(target, hint, extras)) {
    Integer s = styleNo;
    Target->DoReadHyperlink(target, extras, 2, s, item.get());
    if (s >= 0) item->StyleNo = s;
    item->Hint = hint;
  }
  item->ParaNo = paraNo;
  return item;
}

void TVLRTFReaderProperties::ReaderNewPicture(TVLRTFReader*, TVLRTFPicture* picture,
                                              std::unique_ptr<TGraphic>& graphic, TVLRTFPosition position,
                                              bool& inserted) {
  inserted = false;
  if (graphic && AfterImportGraphic) AfterImportGraphic(graphic.get());
  String target, hint, extras;
  const bool hyperlink = ParseHyperlinkField(target, hint, extras);
  std::unique_ptr<TCustomVLItemInfo> item;
  if (OnCustomPicture) {
    bool freeGraphic = false;
    OnCustomPicture(CurrentData, graphic, picture, freeGraphic, item, hyperlink);
    if (freeGraphic) graphic.reset();
    if (item && hyperlink) {
      Integer s = item->StyleNo;
      Target->DoReadHyperlink(target, extras, 2, s, item.get());
      item->StyleNo = s;
    }
  } else {
    if (!graphic) {
      if (picture && picture->InShapePicture) return;
      TPicture* invalid = Style ? Style->GetInvalidPicture() : nullptr;
      if (!invalid || !invalid->GetGraphic()) return;
      graphic = CreateGraphicLike(*invalid->GetGraphic());
      graphic->Assign(invalid->GetGraphic());
    }
    Integer styleNo = vlsPicture;
    if (hyperlink) Target->DoReadHyperlink(target, extras, 2, styleNo, nullptr);
    std::unique_ptr<TCustomVLItemInfo> made = CreateVellumItem(styleNo, CurrentData);
    auto* g = dynamic_cast<TVLGraphicItemInfo*>(made.get());
    if (!g) {
      made = CreateVellumItem(vlsPicture, CurrentData);
      g = dynamic_cast<TVLGraphicItemInfo*>(made.get());
    }
    g->StyleNo = made->StyleNo;
    g->Image = std::move(graphic);
    item = std::move(made);
  }
  if (!item) return;
  if (auto* g = dynamic_cast<TVLGraphicItemInfo*>(item.get()); g && picture && g->Image) {
    const bool metafile = dynamic_cast<TMetafile*>(g->Image.get()) != nullptr;
    if (!metafile || picture->ScaleX != 100) {
      const Integer w = picture->PixelWidth > 0 ? picture->PixelWidth : g->Image->GetWidth();
      g->ImageWidth = RTFRound(w / 100.0 * picture->ScaleX);
    }
    if (!metafile || picture->ScaleY != 100) {
      const Integer h = picture->PixelHeight > 0 ? picture->PixelHeight : g->Image->GetHeight();
      g->ImageHeight = RTFRound(h / 100.0 * picture->ScaleY);
    }
  }
  item->ParaNo = GetParaStyleForNewText(position);
  item->Hint = hint;
  item->BeforeLoading(2);
  AnsiString text;
  AddItem(text, std::move(item), position);
  inserted = true;
}

void TVLRTFReaderProperties::ReaderImportPicture(TVLRTFReader*, const String& location,
                                                 std::unique_ptr<TGraphic>& graphic) {
  std::unique_ptr<TGraphic> g;
  CurrentData->DoVLFPictureNeeded(location, 0, g);
  if (g) graphic = std::move(g);
}

// Whole texts and text files at the caret: the first piece goes through the
// insert-at-caret placement, further pieces are added to the item list
// directly and recorded as one block, then the block's ends are joined.
#include "richtext/editor/VLEditData.h"
#include "richtext/model/VLFuncs.h"
#include "richtext/model/VLMarkers.h"
#include "richtext/model/VLUni.h"
#include "platform/base/CodePages.h"
#include "platform/base/Streams.h"

#include <algorithm>

bool TVLEditVLData::CopyListMarker(Integer itemNo, Integer insertAt, bool withUndo, bool& fullReformat) {
  const Integer start = GetParaStartItem(itemNo);
  if (start < 0 || GetItemStyle(start) != vlsListMarker) return false;
  std::unique_ptr<TCustomVLItemInfo> copy = DuplicateItem(*GetItem(start), this, false);
  auto* m = dynamic_cast<TVLMarkerItemInfo*>(copy.get());
  if (!m) return false;
  m->Reset = false;
  m->DeleteProtect = false;
  m->ItemOptions &= static_cast<Byte>(~(vlioSameAsPrev | vlioBR | vlioPageBreakBefore));
  if (withUndo) {
    InsertItem(insertAt, "", fullReformat, false, copy.release());
    return true;
  }
  AnsiString text;
  TCustomVLItemInfo* raw = copy.release();
  raw->Inserting(this, text, false);
  Items->InsertObject(insertAt, text, raw);
  raw->Inserted(this, insertAt);
  AddMarkerToList(insertAt);
  return true;
}

bool TVLEditVLData::InsertPieces(const std::vector<TTextPiece>& pieces, Integer styleNo, bool inheritTag,
                                 bool caretAtStart) {
  if (pieces.empty()) return true;
  auto first = CreateTextItem(styleNo, CurParaStyleNo, false, false);
  TCustomVLItemInfo* firstItem = first.get();
  AnsiString t = pieces[0].Text;
  if (!InsertItemAtCaret(t, first.release(), false, inheritTag)) {
    Beep();
    return false;
  }
  const Integer f = ItemNoOfObject(firstItem);
  const Integer paraStart = GetParaStartItem(f);
  const bool marker = paraStart >= 0 && GetItemStyle(paraStart) == vlsListMarker;
  const TVLReformatRange range = ItemRange(f, f);
  Integer last = f, added = 0;
  bool full = false;
  for (size_t k = 1; k < pieces.size(); ++k) {
    const TTextPiece& p = pieces[k];
    bool sameAsPrev = false, br = false;
    if (p.Kind == TTextPiece::Line) {
      br = true;
    } else if (marker) {
      bool fr = false;
      if (CopyListMarker(f, last + 1, false, fr)) {
        ++last;
        ++added;
        if (p.PageBreak) GetItem(last)->ItemOptions |= vlioPageBreakBefore;
        sameAsPrev = true;
      }
    }
    auto item = CreateTextItem(styleNo, CurParaStyleNo, sameAsPrev, br);
    if (p.PageBreak && !sameAsPrev) item->ItemOptions |= vlioPageBreakBefore;
    AnsiString text = p.Text;
    TCustomVLItemInfo* raw = item.release();
    raw->Inserting(this, text, false);
    Items->InsertObject(last + 1, text, raw);
    raw->Inserted(this, last + 1);
    ++last;
    ++added;
  }
  FinishTextInsertion(f, last, caretAtStart, full, range, added);
  return true;
}

void TVLEditVLData::FinishTextInsertion(Integer first, Integer last, bool caretAtStart, bool fullReformat,
                                        const TVLReformatRange& range, Integer delta) {
  UpdateCPItemNumbers();
  AddInsertItemsRecord(first + 1, last - first);
  Integer offs = caretAtStart ? 1 : GetItemLength(last) + 1;
  if (last + 1 < GetItemCount() && CanConcateItems(last, GetItem(last), GetItem(last + 1), false)) {
    ConcateItems(last);
    --delta;
  }
  if (first > 0 && CanConcateItems(first - 1, GetItem(first - 1), GetItem(first), false)) {
    if (caretAtStart || first == last) offs += GetItemLength(first - 1);
    ConcateItems(first - 1);
    --first;
    --last;
    --delta;
  }
  first = std::clamp(first, 0, GetItemCount() - 1);
  last = std::clamp(last, first, GetItemCount() - 1);
  if (CalculateMinItemsWidth(first, last) > DocumentWidth) fullReformat = true;
  ReformatAfterEdit(range, delta, fullReformat);
  const Integer target = caretAtStart ? first : last;
  Integer d, o;
  Item2DrawItem(target, std::clamp(offs, GetItemStartOffset(target), GetItemEndOffset(target)), d, o);
  if (d >= 0) {
    CaretDrawItemNo = d;
    BuildCharPositions(o - 2);
  }
  PlaceCaret(true, true, false);
  if (!fullReformat) {
    const Integer ps = GetParaStartItem(first);
    if (ps >= 0 && GetItemStyle(ps) == vlsListMarker) UpdateListNumbering(first, last);
  }
  NotifyChange(true);
}

Integer TVLEditVLData::TextStyleForInsertion(const WideString& text) {
  return StyleForText(CurTextStyleNo, text);
}

void TVLEditVLData::InsertTextA(const AnsiString& text, bool inheritTag, bool caretAtStart) {
  if (text.empty()) {
    InvalidateHost();
    return;
  }
  TVLStyle* style = GetStyle();
  const Integer spaces = style ? style->SpacesInTab : 8;
  const Integer styleNo = CurTextStyleNo;
  const Integer actual = GetActualStyleNo(styleNo, CurParaStyleNo);
  const bool unicode = style && actual >= 0 && actual < style->TextStyles->Count() &&
                       style->TextStyles->Items(actual)->Unicode;
  std::vector<TTextPiece> pieces;
  size_t i = 0;
  TTextPiece cur;
  auto flush = [&] {
    AnsiString line = ::ReplaceTabs(cur.Text, spaces);
    cur.Text = unicode ? AnsiToRawUnicode(line, GetStyleCodePage(actual)) : line;
    pieces.push_back(cur);
    cur = TTextPiece();
    cur.Kind = TTextPiece::Para;
  };
  // Any line ending: CR LF, LF CR, CR or LF.
  while (i < text.size()) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      flush();
      const char partner = c == '\r' ? '\n' : '\r';
      if (i + 1 < text.size() && text[i + 1] == partner) ++i;
    } else {
      cur.Text += c;
    }
    ++i;
  }
  flush();
  InsertPieces(pieces, styleNo, inheritTag, caretAtStart);
}

void TVLEditVLData::InsertRawUnicodeText(const AnsiString& text, bool caretAtStart) {
  if (text.empty()) {
    InvalidateHost();
    return;
  }
  if (text.size() % 2 != 0) throw EVellumError(errVLUnicode);
  const WideString w = RawUnicodeToWideString(text);
  TVLStyle* style = GetStyle();
  const Integer spaces = style ? style->SpacesInTab : 8;
  const Integer styleNo = TextStyleForInsertion(w);
  const Integer actual = GetActualStyleNo(styleNo, CurParaStyleNo);
  const bool unicode = style && actual >= 0 && actual < style->TextStyles->Count() &&
                       style->TextStyles->Items(actual)->Unicode;
  std::vector<TTextPiece> pieces;
  TTextPiece cur;
  WideString piece;
  // The kind of the next piece comes from the separator before it. An empty
  // piece after a page break is skipped; the break goes to the next one.
  auto flush = [&](TTextPiece::TKind next) {
    const bool carry = cur.PageBreak && piece.empty() && !pieces.empty();
    if (!carry) {
      const AnsiString raw = ReplaceTabsW(WideStringToRawUnicode(piece), spaces);
      cur.Text = unicode ? raw : RawUnicodeToAnsi(raw, GetStyleCodePage(actual));
      pieces.push_back(cur);
    }
    piece.clear();
    const TTextPiece::TKind kind = carry ? TTextPiece::Para : next;
    cur = TTextPiece();
    cur.Kind = kind;
    cur.PageBreak = carry;
  };
  for (size_t i = 0; i < w.size(); ++i) {
    const char16_t c = w[i];
    switch (c) {
      case 0x2029:
        flush(TTextPiece::Para);
        break;
      case 0x2028:
      case 0x000B:
      case 0x0000:
        flush(TTextPiece::Line);
        break;
      case u'\r':
      case u'\n': {
        const char16_t partner = c == u'\r' ? u'\n' : u'\r';
        if (i + 1 < w.size() && w[i + 1] == partner) ++i;
        flush(TTextPiece::Para);
        break;
      }
      case 0x000C:
        if (!piece.empty()) flush(TTextPiece::Para);
        cur.PageBreak = true;
        cur.Kind = TTextPiece::Para;
        break;
      default:
        piece += c;
    }
  }
  flush(TTextPiece::Para);
  InsertPieces(pieces, styleNo, false, caretAtStart);
}

bool TVLEditVLData::InsertTextFromFile(const String& fileName, bool caretAtStart) {
  AnsiString bytes;
  try {
    TMemoryStream s;
    s.LoadFromFile(fileName);
    bytes = s.Bytes();
  } catch (const Exception&) {
    return false;
  }
  BeginUndoSequence(vlutInsert, true);
  for (char& c : bytes)
    if (c == '\0') c = ' ';
  // Form feeds: the following line starts after a page break.
  TVLStyle* style = GetStyle();
  const Integer spaces = style ? style->SpacesInTab : 8;
  const Integer styleNo = CurTextStyleNo;
  const Integer actual = GetActualStyleNo(styleNo, CurParaStyleNo);
  const bool unicode = style && actual >= 0 && actual < style->TextStyles->Count() &&
                       style->TextStyles->Items(actual)->Unicode;
  std::vector<TTextPiece> pieces;
  TTextPiece cur;
  bool pendingBreak = false;
  // A well-formed UTF-8 file is the locale's text; any other is 8-bit text
  // of the style's code page.
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
  const bool utf8 = std::any_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; }) &&
                    IsUtf8(bytes);
  auto flush = [&] {
    const AnsiString line = ::ReplaceTabs(cur.Text, spaces);
    if (utf8)
      cur.Text = unicode ? WideStringToRawUnicode(Utf8ToWide(line)) : Utf8ToAnsi(line, GetStyleCodePage(actual));
    else
      cur.Text = unicode ? AnsiToRawUnicode(line, GetStyleCodePage(actual)) : line;
    cur.PageBreak = pendingBreak;
    pendingBreak = false;
    pieces.push_back(cur);
    cur = TTextPiece();
    cur.Kind = TTextPiece::Para;
  };
  for (size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '\r' || c == '\n') {
      flush();
      const char partner = c == '\r' ? '\n' : '\r';
      if (i + 1 < bytes.size() && bytes[i + 1] == partner) ++i;
    } else if (c == '\f') {
      if (!cur.Text.empty()) flush();
      pendingBreak = true;
    } else {
      cur.Text += c;
    }
  }
  if (!cur.Text.empty() || pendingBreak) flush();
  return InsertPieces(pieces, styleNo, false, caretAtStart);
}

bool TVLEditVLData::InsertUnicodeTextFromFile(const String& fileName, bool caretAtStart) {
  try {
    TMemoryStream s;
    s.LoadFromFile(fileName);
    AnsiString bytes = s.Bytes();
    if (bytes.size() % 2 != 0) throw EVellumError(errVLUnicode);
    bool swap = false;
    if (bytes.size() >= 2) {
      const auto b0 = static_cast<unsigned char>(bytes[0]), b1 = static_cast<unsigned char>(bytes[1]);
      if (b0 == 0xFF && b1 == 0xFE) {
        bytes.erase(0, 2);
      } else if (b0 == 0xFE && b1 == 0xFF) {
        bytes.erase(0, 2);
        swap = true;
      }
    }
    if (swap)
      for (size_t i = 0; i + 1 < bytes.size(); i += 2) std::swap(bytes[i], bytes[i + 1]);
    BeginUndoSequence(vlutInsert, true);
    InsertRawUnicodeText(bytes, caretAtStart);
    return true;
  } catch (const Exception&) {
    return false;
  }
}

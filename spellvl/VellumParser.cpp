#include "spellvl/VellumParser.h"

#include "platform/base/CodePages.h"
#include "platform/base/SysUtils.h"
#include "richtext/editor/VellumEdit.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLItem.h"
#include "richtext/model/VLStyle.h"
#include "richtext/model/VLUni.h"
#include "richtext/table/VLCellEditor.h"
#include "richtext/view/VLFormattedData.h"
#include "spell/scUtil.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <mutex>

namespace {

// UTF-16 unit to one byte of a single-byte code page; a letter the page
// lacks is the engine's stand-in letter (the word stays whole), anything
// else "?". Surrogate pairs are read as pairs (AppendItemLine).
class TUnitTable {
public:
  explicit TUnitTable(Cardinal codePage) {
    if (ResolveCodePage(codePage) == 1252) {
      // The engine's own code page: the engine's own mapping.
      for (size_t u = 0; u < FTable.size(); ++u) FTable[u] = SpellByteOfUnit(static_cast<char16_t>(u));
      return;
    }
    for (size_t u = 0; u < FTable.size(); ++u)
      FTable[u] = IsForeignLetterUnit(static_cast<char16_t>(u)) ? kForeignLetter : '?';
    for (int c = 0; c < 0x80; ++c) FTable[static_cast<size_t>(c)] = static_cast<char>(c);
    if (IsDBCSCodePage(codePage) || ResolveCodePage(codePage) == CP_UTF8) return;
    AnsiString bytes;
    for (int b = 0x80; b < 0x100; ++b) bytes += static_cast<char>(b);
    const WideString w = AnsiToWide(bytes, codePage);
    if (w.size() != bytes.size()) return;
    for (size_t i = 0; i < w.size(); ++i)
      if (w[i] != u'?' && FTable[w[i]] == '?') FTable[w[i]] = bytes[i];
  }
  char operator[](char16_t u) const { return FTable[u]; }

private:
  std::array<char, 0x10000> FTable;
};

const TUnitTable& UnitTable(Cardinal codePage) {
  static std::mutex lock;
  static std::map<Cardinal, std::unique_ptr<TUnitTable>> tables;
  std::lock_guard<std::mutex> guard(lock);
  auto& t = tables[codePage];
  if (!t) t = std::make_unique<TUnitTable>(codePage);
  return *t;
}

}  // namespace

TVellumParser::TVellumParser() = default;
TVellumParser::~TVellumParser() = default;

void TVellumParser::Initialize(void* Target) {
  Serializer.reset();
  Edit = nullptr;
  auto* control = static_cast<TObject*>(Target);
  auto* edit = dynamic_cast<TCustomVellumEdit*>(control);
  if (!edit) throw EInvalidCast("Invalid class typecast");
  Edit = edit;
  Serializer = std::make_unique<TVLSerializer>(Edit->VLData());
  EndSet = false;
  CharIndex = 0;
  NeedReload = true;
  TextLen = 0;
  CachedPos = -1;
  Text.clear();
  FPieces.clear();
  FRunData = nullptr;
}

void TVellumParser::Detach() {
  Serializer.reset();
  Edit = nullptr;
  Text.clear();
  TextLen = 0;
  CachedPos = -1;
  FPieces.clear();
  FRunData = nullptr;
}

TObject* TVellumParser::GetControl() { return Edit; }

bool TVellumParser::Checkable(TCustomVLData* data, int itemNo) const {
  TCustomVLData* d = data->GetVLData();
  if (itemNo < 0 || itemNo >= d->GetItemCount()) return false;
  const int style = d->GetItemStyle(itemNo);
  if (style < 0) return false;
  TVLStyle* sheet = d->GetStyle();
  if (!sheet || style >= sheet->TextStyles->Count()) return false;
  const TFontInfo* info = sheet->TextStyles->Items(style);
  return info->Charset != SYMBOL_CHARSET && !info->Protection.Contains(vlprModifyProtect);
}

bool TVellumParser::RunStart(TCustomVLData* data, int itemNo) const {
  TCustomVLData* d = data->GetVLData();
  return itemNo == 0 || d->IsFromNewLine(itemNo) || !Checkable(data, itemNo - 1);
}

int TVellumParser::AppendItemLine(TCustomVLData* data, int itemNo, AnsiString& Out) const {
  TCustomVLData* d = data->GetVLData();
  const AnsiString raw = d->GetRawItemText(itemNo);
  const TUnitTable& t = UnitTable(CodePage);
  if (!IsUnicodeOptions(d->GetItemOptions(itemNo))) {
    const Cardinal cp = d->GetStyleCodePage(d->GetItemActualStyle(d->GetItem(itemNo)));
    if (ResolveCodePage(cp) == ResolveCodePage(CodePage)) {
      Out += raw;
      return static_cast<int>(raw.size());
    }
    // Bytes of another code page (two to a character in a double-byte
    // one): each character is the engine's byte for it, once for every
    // byte it takes, so that indexes in the line stay offsets in the item.
    for (size_t i = 0; i < raw.size();) {
      const size_t n = i + 1 < raw.size() && IsDBCSLeadByte(static_cast<Byte>(raw[i]), cp) ? 2 : 1;
      const WideString w = AnsiToWide(raw.substr(i, n), cp);
      char b = w.size() == 1 ? t[w[0]] : '?';
      if (n == 2 && b != '?') b = kForeignLetter;
      Out.append(n, b);
      i += n;
    }
    return static_cast<int>(raw.size());
  }
  const size_t n = raw.size() / 2, at = Out.size();
  Out.resize(at + n);
  char* out = Out.data() + at;
  const char* in = raw.data();
  size_t i = 0;
  // Four ASCII units at a time: their low bytes are the characters.
  for (; i + 4 <= n; i += 4) {
    uint64_t v;
    std::memcpy(&v, in + 2 * i, 8);
    if (v & 0xFF80FF80FF80FF80ull) break;
    out[i] = static_cast<char>(v);
    out[i + 1] = static_cast<char>(v >> 16);
    out[i + 2] = static_cast<char>(v >> 32);
    out[i + 3] = static_cast<char>(v >> 48);
  }
  auto unitAt = [in](size_t k) {
    return static_cast<char16_t>(static_cast<unsigned char>(in[2 * k]) |
                                 (static_cast<unsigned char>(in[2 * k + 1]) << 8));
  };
  for (; i < n; ++i) {
    const char16_t u = unitAt(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < n && unitAt(i + 1) >= 0xDC00 && unitAt(i + 1) <= 0xDFFF) {
      // A character beyond the basic plane: both its units stand for it,
      // so a letter there keeps its word whole.
      const char16_t pair[2] = {u, unitAt(i + 1)};
      SpellBytesOfUnits(pair, 2, out + i);
      ++i;
      continue;
    }
    out[i] = t[u];
  }
  return static_cast<int>(n);
}

int TVellumParser::ItemChars(TCustomVLData* data, int itemNo) const {
  TCustomVLData* d = data->GetVLData();
  const size_t n = d->GetRawItemText(itemNo).size();
  return static_cast<int>(IsUnicodeOptions(d->GetItemOptions(itemNo)) ? n / 2 : n);
}

void TVellumParser::SkipForward() {
  for (;;) {
    if (Serializer->AtEnd) return;
    TCustomVLData* data = nullptr;
    int no = -1;
    Serializer->GetCurrentItem(data, no);
    if (no >= 0 && Checkable(data, no)) return;
    if (!Serializer->GoNext()) return;
  }
}

void TVellumParser::SkipBackward() {
  for (;;) {
    TCustomVLData* data = nullptr;
    int no = -1;
    Serializer->GetCurrentItem(data, no);
    if (no < 0) return;
    if (Checkable(data, no) && RunStart(data, no)) return;
    if (!Serializer->GoPrev()) return;
  }
}

bool TVellumParser::StepOverRun() {
  for (size_t i = 1; i < FPieces.size(); ++i)
    if (!Serializer->GoNext()) return false;
  return Serializer->GoNext();
}

void TVellumParser::LoadRun() {
  TCustomVLData* data = nullptr;
  int no = -1;
  Serializer->GetCurrentItem(data, no);
  FRunData = data;
  FPieces.clear();
  Text.clear();
  TCustomVLData* d = data->GetVLData();
  const int count = d->GetItemCount();
  for (int i = no; i < count; ++i) {
    if (i > no && (d->IsFromNewLine(i) || !Checkable(data, i))) break;
    const int start = static_cast<int>(Text.size());
    FPieces.push_back({i, start, AppendItemLine(data, i, Text)});
  }
  Text += "\r\n";
  TextLen = static_cast<int>(Text.size());
}

bool TVellumParser::LoadCurrentText() {
  if (!Serializer) return false;
  // Inside the loaded line nothing can have moved: every call that moves
  // the walk or changes the text asks for a reload.
  if (LineReady()) return true;
  bool result = true;
  if (Serializer->GetCurrentPos() == CachedPos && !NeedReload) {
    if (CharIndex >= TextLen) {
      StepOverRun();
      SkipForward();
      CharIndex = 0;
    } else if (CharIndex < 0) {
      if (Serializer->GoPrev()) SkipBackward();
      CharIndex = -1;
    }
  }
  if (Serializer->GetCurrentPos() < 0) {
    Serializer->GoNext();
    CharIndex = 0;
    result = false;
  }
  SkipForward();
  if (Serializer->AtEnd) result = false;
  const int pos = Serializer->GetCurrentPos();
  if (pos != CachedPos || NeedReload) {
    TCustomVLData* data = nullptr;
    int no = -1;
    Serializer->GetCurrentItem(data, no);
    if (Serializer->AtEnd || pos < 0 || no < 0 || !Checkable(data, no)) return false;
    NeedReload = false;
    LoadRun();
    CachedPos = pos;
    if (CharIndex == -1) CharIndex = TextLen - 1;
  }
  return result;
}

char TVellumParser::GetChar() {
  if (LineReady()) return Text[static_cast<size_t>(CharIndex)];
  if (!LoadCurrentText()) return '\0';
  if (CharIndex < 0 || CharIndex >= TextLen) return '\0';
  return Text[static_cast<size_t>(CharIndex)];
}

void TVellumParser::GetLine(AnsiString& Line) {
  if (LoadCurrentText())
    Line = Text;
  else
    Line.clear();
}

bool TVellumParser::MoveNext() {
  ++CharIndex;
  const bool ok = LineReady() || LoadCurrentText();
  if (ok && EndSet) {
    const int pos = Serializer->GetCurrentPos();
    if (pos > EndPos || (pos == EndPos && CharIndex > EndOffset)) return false;
  }
  return ok;
}

int TVellumParser::Ahead(const char*& Data) {
  if (!LineReady()) return 0;
  int n = TextLen - CharIndex;
  if (EndSet) {
    // MoveNext fails past the end mark: the block stops there.
    const int pos = Serializer->GetCurrentPos();
    if (pos > EndPos) n = 1;
    else if (pos == EndPos) n = std::clamp(EndOffset - CharIndex + 1, 1, n);
  }
  Data = Text.data() + CharIndex;
  return n;
}

bool TVellumParser::MovePrevious() {
  --CharIndex;
  return LoadCurrentText();
}

void TVellumParser::ToRunStart(int& X) {
  for (;;) {
    TCustomVLData* data = nullptr;
    int no = -1;
    Serializer->GetCurrentItem(data, no);
    if (no < 0 || !Checkable(data, no) || RunStart(data, no)) return;
    if (!Serializer->GoPrev()) return;
    Serializer->GetCurrentItem(data, no);
    X += ItemChars(data, no);
  }
}

void TVellumParser::SetPosition(int X, int Y, TParserPosition Which) {
  if (Which == ppEnd) {
    EndSet = true;
    EndOffset = X;
    EndPos = Y;
    return;
  }
  NeedReload = true;
  if (!Serializer) return;
  if (Serializer->GoToPos(Y)) ToRunStart(X);
  CharIndex = X;
}

void TVellumParser::GetPosition(int& X, int& Y) {
  if (UseCaretFirst) {
    UseCaretFirst = false;
    GetCursorPosition(X, Y);
    return;
  }
  Y = Serializer ? Serializer->GetCurrentPos() : -1;
  X = CharIndex;
}

void TVellumParser::Locate(int I, bool AtEnd, int& Piece, int& Offs) const {
  Piece = 0;
  Offs = 0;
  if (FPieces.empty()) return;
  for (size_t k = 0; k < FPieces.size(); ++k) {
    const TPiece& p = FPieces[k];
    const int end = p.Start + p.Length;
    if (I < end || (AtEnd && I == end) || k + 1 == FPieces.size()) {
      Piece = static_cast<int>(k);
      Offs = std::clamp(I - p.Start, 0, p.Length);
      return;
    }
  }
}

bool TVellumParser::InCell() const {
  return Serializer && Serializer->CurrentEntry().ItemNo >= 0;
}

bool TVellumParser::CellLevels(std::vector<TCellLevel>& Levels) const {
  Levels.clear();
  if (!Serializer) return false;
  for (int i = Serializer->CurIndex; i >= 0;) {
    const TVLSerEntry& e = Serializer->EntryAt(i);
    if (e.ParentIndex < 0 || e.ItemNo < 0) break;
    const TVLSerEntry& parent = Serializer->EntryAt(e.ParentIndex);
    TCustomVLData* holder = parent.VLData->GetVLData();
    auto* table = e.ItemNo < holder->GetItemCount() ? dynamic_cast<TVLTableItemInfo*>(holder->GetItem(e.ItemNo))
                                                    : nullptr;
    if (!table || !table->Options.Contains(vltoEditing)) return false;
    Levels.push_back({table, &e});
    i = e.ParentIndex;
  }
  std::reverse(Levels.begin(), Levels.end());
  return true;
}

TCustomVellumEdit* TVellumParser::OpenItemEditor() {
  std::vector<TCellLevel> levels;
  if (!Edit || !CellLevels(levels)) return nullptr;
  TCustomVellumEdit* editor = Edit;
  for (const TCellLevel& level : levels) {
    // The holder's table is found again at each step: opening the outer
    // cell moved the inner table into that cell's editor.
    auto* open = dynamic_cast<TVLTableInplaceEdit*>(editor->GetInplaceEditor());
    if (open && open->Cell != level.Entry->VLData) {
      editor->DestroyInplaceEditor();
      open = nullptr;
    }
    if (!open) {
      level.Table->ChooseSubVLData(level.Entry->Store.get());
      open = dynamic_cast<TVLTableInplaceEdit*>(editor->GetInplaceEditor());
      if (!open || open->Cell != level.Entry->VLData) return nullptr;
    }
    editor = open;
  }
  // A cell editor left open below this level would take the replacement.
  editor->DestroyInplaceEditor();
  return editor;
}

void TVellumParser::SelectWord(int Length) {
  if (!Serializer || !Edit || Serializer->GetCurrentPos() < 0 || Serializer->AtEnd) return;
  if (NeedReload || CachedPos != Serializer->GetCurrentPos()) {
    const int keep = CharIndex;
    if (!LoadCurrentText()) return;
    CharIndex = keep;
  }
  CharIndex -= Length;
  const int lineEnd = TextLen - 2;
  CharIndex = std::clamp(CharIndex, 0, std::max(0, lineEnd));
  Length = std::clamp(Length, 0, std::max(0, lineEnd - CharIndex));
  FSelLength = Length;
  int sp = 0, so = 0, ep = 0, eo = 0;
  Locate(CharIndex, false, sp, so);
  Locate(CharIndex + Length, Length > 0, ep, eo);
  if (FPieces.empty()) return;
  const int si = FPieces[static_cast<size_t>(sp)].ItemNo, ei = FPieces[static_cast<size_t>(ep)].ItemNo;
  // A word in a table is selected in its cell's editor, which then takes
  // the replacement as one step of the document's undo list.
  TCustomVellumEdit* editor = OpenItemEditor();
  if (!editor) {
    if (auto* cell = dynamic_cast<TCustomVLFormattedData*>(FRunData->GetVLData())) {
      cell->StoreSelBounds(si, so + 1, ei, eo + 1);
      Serializer->ChooseCurrentSubData();
    }
    Edit->Invalidate();
    return;
  }
  editor->SetSelectionBounds(si, so + 1, ei, eo + 1);
  editor->Invalidate();
}

void TVellumParser::CenterSelection() {
  if (!Edit) return;
  TCustomVellumEdit* inner = Edit->GetInnermostEditor();
  if (!inner || inner == Edit) return;  // the editor scrolled to its own selection
  // Only the editor that holds the outermost table scrolls: the word's
  // place on screen, in its document's coordinates.
  const TRect word = inner->GetSelectionRect();
  if (word.Height() <= 0) return;
  Edit->ShowScreenRect(word);
}

bool TVellumParser::CanReplace() {
  std::vector<TCellLevel> levels;
  return Edit && !Edit->GetReadOnly() && (!InCell() || CellLevels(levels));
}

void TVellumParser::ReplaceWord(const AnsiString& Replacement, int State) {
  LastReplaced = false;
  if (!Edit || !Serializer || !CanReplace()) {
    Edit ? Edit->VLData()->Beep() : void();
    return;
  }
  if (EndSet && Serializer->GetCurrentPos() == EndPos)
    EndOffset += static_cast<int>(Replacement.size()) - FSelLength;
  const String text = ResolveCodePage(CodePage) == 1252 ? SpellWordToText(Replacement)
                                                         : AnsiToUtf8(Replacement, CodePage);
  // The innermost open editor holds the selected word.
  if (!Edit->InsertText(text, false)) return;
  LastReplaced = true;
  FSelLength = 0;
  CharIndex += static_cast<int>(Replacement.size());
  NeedReload = true;
}

void TVellumParser::IgnoreWord(int State) {
  // The word this parser selected: a word in a table cell is selected in
  // the cell, not in the editor's own selection.
  if (Edit) CharIndex += FSelLength;
}

void TVellumParser::GetCursorPosition(int& X, int& Y) {
  X = Y = 0;
  if (!Serializer || !Edit) return;
  // Where the user left the innermost editor (a cell's own in a table):
  // the start of what it selects, the prompted word while it stays
  // selected, else the caret. Item and offset come from that one editor.
  TVLEditVLData* edit = Edit->GetInnermostEditor()->EditData();
  if (!edit) return;
  Integer si = -1, so = 0, ei = -1, eo = 0;
  edit->GetSelectionBounds(si, so, ei, eo, true);
  if (si < 0 || ei < 0 || (si == ei && so == eo)) {
    si = edit->GetCaretItemNo();
    so = edit->GetCaretOffset();
  } else if (ei < si || (ei == si && eo < so)) {
    si = ei;
    so = eo;
  }
  if (si < 0 || !Serializer->LocateItem(edit->GetSourceVLData(), si)) {
    NeedReload = true;
    return;
  }
  X = so;
  if (edit->GetItemStyle(si) >= 0) --X;
  ToRunStart(X);
  Y = Serializer->GetCurrentPos();
  NeedReload = true;
}

void TVellumParser::GetSelectionPosition(int& XStart, int& YStart, int& XEnd, int& YEnd) {
  XStart = YStart = XEnd = YEnd = 0;
  if (!Serializer || !Edit) return;
  Serializer->GetSelectionPositions(YStart, XStart, YEnd, XEnd);
  if (YEnd >= 0 && Serializer->GoToPos(YEnd)) {
    ToRunStart(XEnd);
    YEnd = Serializer->GetCurrentPos();
  }
  if (YStart >= 0 && Serializer->GoToPos(YStart)) {
    ToRunStart(XStart);
    YStart = Serializer->GetCurrentPos();
  }
  NeedReload = true;
}

void TVellumParser::GetControlScreenRect(TRect& R) {
  if (!Edit) {
    R = TRect(0, 0, 0, 0);
    return;
  }
  const TPoint o = Edit->ClientToScreen(TPoint(0, 0));
  R = TRect(o.X, o.Y, o.X + Edit->GetWidth(), o.Y + Edit->GetHeight());
}

void TVellumParser::GetSelectionScreenRect(TRect& R) {
  if (!Edit) {
    R = TRect(0, 0, 0, 0);
    return;
  }
  R = Edit->GetInnermostEditor()->GetSelectionRect();
}

void TVellumParser::Reset() {
  if (Serializer) Serializer->SeekPosBackward(-1);
  CharIndex = -1;
  CachedPos = -1;
  Text.clear();
  TextLen = 0;
  UseCaretFirst = true;
}

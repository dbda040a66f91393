// Whole VLF and RTF documents at the caret. The reader's first item goes in
// through the insert-at-caret placement (which splits the caret's item and
// records itself); the rest of the document is added as one block, recorded
// as one insertion, and its ends are joined with their neighbours.
#include "richtext/editor/VLEditData.h"
#include "platform/base/Streams.h"
#include "richtext/model/VLMarkers.h"

#include <algorithm>
#include <vector>

namespace {

bool Numbered(TVLStyle* sheet, const TVLMarkerItemInfo& m, TVLListType* type) {
  if (!sheet || m.ListNo < 0 || m.ListNo >= sheet->ListStyles->Count()) return false;
  TVLListLevelCollection* levels = sheet->ListStyles->Items(m.ListNo)->Levels.get();
  if (!levels || m.Level < 0 || m.Level >= levels->Count()) return false;
  const TVLListType t = levels->Items(m.Level)->ListType;
  *type = t;
  return t == vllstDecimal || t == vllstLowerAlpha || t == vllstUpperAlpha || t == vllstLowerRoman ||
         t == vllstUpperRoman;
}

// The numbered list paragraph the caret is in, or the nearest one above it
// across empty paragraphs; nullptr when text comes first.
const TVLMarkerItemInfo* ListAtCaret(TCustomVLData& d, Integer caretItem) {
  if (caretItem < 0 || caretItem >= d.GetItemCount()) return nullptr;
  for (Integer start = d.GetParaStartItem(caretItem); start >= 0;) {
    if (auto* m = dynamic_cast<TVLMarkerItemInfo*>(d.GetItem(start))) return m;
    for (Integer k = start; k < d.GetItemCount() && (k == start || !d.GetItem(k)->IsParaStart()); ++k)
      if (d.GetItemStyle(k) < 0 || d.GetItemLength(k) > 0) return nullptr;
    if (start == 0) return nullptr;
    start = d.GetParaStartItem(start - 1);
  }
  return nullptr;
}

// A document (the items from..to-1 of doc) inserted under a numbered list
// goes on with its numbers: its first numbered list of the same kind at that
// level becomes that list. Answers the list it continues, -1 when none.
Integer ContinueList(TCustomVLData& doc, Integer from, Integer to, TVLStyle* sheet, const TVLMarkerItemInfo* before) {
  TVLListType kind = vllstBullet;
  if (!before || !Numbered(sheet, *before, &kind)) return -1;
  TVLMarkerItemInfo* first = nullptr;
  for (Integer i = from; i < to && !first; ++i) {
    auto* m = dynamic_cast<TVLMarkerItemInfo*>(doc.GetItem(i));
    TVLListType type = vllstBullet;
    if (m && m->Level == before->Level && Numbered(sheet, *m, &type) && type == kind) first = m;
  }
  if (!first) return -1;
  const Integer list = first->ListNo;
  first->Reset = false;
  for (Integer i = from; i < to; ++i)
    if (auto* m = dynamic_cast<TVLMarkerItemInfo*>(doc.GetItem(i)); m && m->ListNo == list) m->ListNo = before->ListNo;
  return before->ListNo;
}

// Any other list of the document that the entry already uses above the
// caret (the reader took the entry's list for one alike) starts at its own
// numbers instead of going on with the entry's.
void StartOwnLists(TCustomVLData& doc, Integer from, Integer to, TVLStyle* sheet, TCustomVLData& entry,
                   Integer caretItem, Integer continued) {
  std::vector<Integer> above;
  for (Integer i = 0; i < std::min(caretItem, entry.GetItemCount()); ++i)
    if (auto* m = dynamic_cast<TVLMarkerItemInfo*>(entry.GetItem(i))) above.push_back(m->ListNo);
  std::vector<Integer> started;
  for (Integer i = from; i < to; ++i) {
    auto* m = dynamic_cast<TVLMarkerItemInfo*>(doc.GetItem(i));
    if (!m || m->ListNo == continued || std::find(started.begin(), started.end(), m->ListNo) != started.end()) continue;
    started.push_back(m->ListNo);
    if (m->Reset || std::find(above.begin(), above.end(), m->ListNo) == above.end()) continue;
    m->Reset = true;
    const TVLListLevel* level = VLGetListLevel(sheet, m->ListNo, m->Level);
    m->StartFrom = level ? level->StartFrom : 1;
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// Rolling back a failed action

TVLEditVLData::TUndoMark TVLEditVLData::MarkUndo() {
  TUndoMark m;
  if (TVLUndoList* list = GetRecordingUndoList()) {
    m.Group = list->LastGroup();
    m.Count = m.Group ? m.Group->Count() : 0;
  }
  if (DrawItems.Count() > 0) {
    m.CaretItemNo = GetCaretItemNo();
    m.CaretOffs = GetCaretOffset();
  }
  return m;
}

bool TVLEditVLData::RollBackTo(const TUndoMark& mark) {
  TVLUndoList* list = GetRecordingUndoList();
  if (!list || !mark.Group || list->LastGroup() != mark.Group) return false;
  std::unique_ptr<TVLUndoInfos> tail = mark.Group->TakeFrom(mark.Count);
  tail->CaretItemNo = mark.CaretItemNo;
  tail->CaretOffs = mark.CaretOffs;
  // The replay must not leave records of its own anywhere.
  const Byte destination = UndoDestination;
  UndoDestination = 0;
  struct TRestore {
    TVLEditVLData* D;
    Byte V;
    ~TRestore() { D->UndoDestination = V; }
  } restore{this, destination};
  tail->PerformUndo(this, true);
  list->RemoveEmptyLastGroup();
  return true;
}

// ---------------------------------------------------------------------------
// The reader's first item

bool TVLEditVLData::InsertFirstVLFItem(Integer& index, AnsiString& text, TCustomVLItemInfo*& item,
                                       bool editFlag, bool& fullReformat, Integer& newListNo) {
  if (!FInsertingDocument || !editFlag)
    return TVellumVLData::InsertFirstVLFItem(index, text, item, editFlag, fullReformat, newListNo);
  fullReformat = false;
  if (item->StyleNo == vlsListMarker) {
    // A list marker cannot go into the middle of a paragraph: the document's
    // first paragraph then simply continues the caret's. Only an empty item
    // that starts its paragraph (or follows the paragraph's own marker)
    // makes room for it; not one left after a picture, nor a picture.
    const Integer n = GetCaretItemNo();
    const bool paraStart = n >= 0 && GetItemStyle(n) >= 0 && GetItemLength(n) == 0 &&
                           (GetItem(n)->IsParaStart() || (n > 0 && GetItemStyle(n - 1) == vlsListMarker));
    if (n >= 0 && !paraStart) {
      delete item;
      item = CreateTextItem(CurTextStyleNo, CurParaStyleNo, true, false).release();
      text.clear();
    }
  }
  // Into an empty paragraph the document's first paragraph keeps its own
  // style (its alignment, its indents): there is nothing of the caret's
  // paragraph to continue.
  const Integer caret = GetCaretItemNo();
  const bool emptyPara = caret >= 0 && GetItemStyle(caret) >= 0 && GetItemLength(caret) == 0 &&
                         GetItem(caret)->IsParaStart() &&
                         (caret + 1 >= GetItemCount() || GetItem(caret + 1)->IsParaStart());
  const Integer ownPara = item->ParaNo;
  TCustomVLItemInfo* placed = item;
  if (!InsertItemAtCaret(text, item, false, false)) {
    item = nullptr;  // freed by the refused placement
    Beep();
    return false;
  }
  const Integer at = ItemNoOfObject(placed);
  if (emptyPara && ownPara >= 0 && GetStyle() && ownPara < GetStyle()->ParaStyles->Count())
    for (Integer i = std::max<Integer>(GetParaStartItem(at), 0); i <= at; ++i) GetItem(i)->ParaNo = ownPara;
  FInsertedFirst = at;
  FCountAfterFirst = GetItemCount();
  FInsertRange = ItemRange(at, at);
  index = at + 1;
  return true;
}

// ---------------------------------------------------------------------------
// Joining the block with its neighbours

void TVLEditVLData::JoinInsertedBoundaries(Integer& first, Integer& last, Integer& caretOffs) {
  bool f = false;
  const Integer after = last + 1;
  if (after < GetItemCount()) {
    TCustomVLItemInfo* a = GetItem(after);
    if (CanConcateItems(last, GetItem(last), a, false)) {
      ConcateItems(last);
    } else if (!a->IsParaStart() && (a->GetBoolValue(0) || GetItem(last)->GetBoolValue(0))) {
      // A full-line item never shares its line.
      SetSameAsPrev(after, false, f, -1);
      if (GetItem(after)->GetBR()) SetBR(after, false, f);
    }
  }
  if (first > 0) {
    TCustomVLItemInfo* b = GetItem(first);
    if (CanConcateItems(first - 1, GetItem(first - 1), b, false)) {
      if (first == last) caretOffs += GetItemLength(first - 1);
      ConcateItems(first - 1);
      --first;
      --last;
    } else if (!b->IsParaStart() && GetItemStyle(first - 1) >= 0 && GetItemLength(first - 1) == 0) {
      DeleteItem(first - 1, f);
      --first;
      --last;
    }
  }
}

// ---------------------------------------------------------------------------
// Documents

bool TVLEditVLData::InsertDocument(const std::function<bool()>& read) {
  FinalizeNestedItem();
  PrepareEmptyDocument();
  if (!EnsureValidCaret()) {
    Beep();
    return false;
  }
  BeginUndoSequence(vlutInsert, true);
  const TUndoMark mark = MarkUndo();
  FInsertingDocument = true;
  FInsertedFirst = -1;
  FRefusedTableSet = false;
  FInsertedNotShown = TVLFWarnings();
  // The reader's warnings are the inserted text's, not the entry's: a table
  // it leaves out would be lost without a word, so the insert is refused.
  const TVLFWarnings entryWarnings = GetVLFWarnings();
  SetVLFWarnings(TVLFWarnings());
  bool ok = false;
  try {
    struct TOff {
      TVLEditVLData* D;
      TVLFWarnings Kept;
      ~TOff() {
        D->FInsertingDocument = false;
        TVLFWarnings read = D->GetVLFWarnings();
        for (TVLFWarning w : {vlfwTableTooDeep, vlfwTableTooLarge, vlfwTableDamaged, vlfwRecordNotShown})
          if (read.Contains(w)) {
            D->FRefusedTableSet = true;
            D->FRefusedTable = w;
            read.Exclude(w);
          }
        for (TVLFWarning w : {vlfwTableTextLost, vlfwInvalidPicture})
          if (read.Contains(w)) D->FInsertedNotShown.Include(w);
        D->SetVLFWarnings(Kept + read);
      }
    } off{this, entryWarnings};
    ok = read();
  } catch (const std::exception&) {
    ok = false;
  }
  if (FRefusedTableSet) ok = false;
  Integer first = FInsertedFirst;
  if (first < 0) {
    // Nothing went in: an empty document, or one refused before its first item.
    UndoList->RemoveEmptyLastGroup();
    if (!ok) Beep();
    return ok;
  }
  // The rest of the document stands right after the first item, not yet
  // recorded nor laid out.
  Integer last = first + (GetItemCount() - FCountAfterFirst);
  if (!ok) {
    // Recorded and laid out first, so that the document is whole either way.
    AddInsertItemsRecord(first + 1, last - first);
    ReformatAfterEdit(FInsertRange, last - first, false);
    // Without undo there is nothing to replay: what was read stays.
    if (!RollBackTo(mark)) PlaceCaret(true, true, false);
    Beep();
    NotifyChange(true);
    return false;
  }
  // The first and the last paragraph of the document are the caret's.
  const Integer firstPara = GetItem(first)->ParaNo;
  for (Integer i = first + 1; i <= last && !GetItem(i)->IsParaStart(); ++i) GetItem(i)->ParaNo = firstPara;
  if (last + 1 < GetItemCount() && !GetItem(last + 1)->IsParaStart()) {
    const Integer tailPara = GetItem(last + 1)->ParaNo;
    for (Integer i = last; i > first; --i) {
      GetItem(i)->ParaNo = tailPara;
      if (GetItem(i)->IsParaStart()) break;
    }
  }
  // Neighbours inside the block that can be one item become one.
  if (last > first) {
    const Integer before = GetItemCount();
    TCustomVLData::ConcateItems(first, last);
    last -= before - GetItemCount();
  }
  AddInsertItemsRecord(first + 1, last - first);
  Integer caretOffs = GetItemEndOffset(last);
  JoinInsertedBoundaries(first, last, caretOffs);
  first = std::clamp(first, 0, GetItemCount() - 1);
  last = std::clamp(last, first, GetItemCount() - 1);
  // Laid out first: the new lines show whether anything is wider than the
  // document, without measuring a large block a second time. The width is
  // the one before: the partial layout widens the scroll range to a line
  // that sticks out, but only a whole layout wraps the text at it.
  const Integer left = GetLeftMargin(), right = left + DocumentWidth;
  ReformatAfterEdit(FInsertRange, GetItemCount() - FCountAfterFirst, false);
  // A word or picture wider than the document sticks out of its line: then
  // the document's width changes and everything is laid out again.
  bool full = false;
  {
    const Integer d0 = Item2FirstDrawItem(first);
    for (Integer d = std::max(d0, 0); d0 >= 0 && d < DrawItems.Count() && DrawItems[d]->ItemNo <= last && !full; ++d)
      full = DrawItems[d]->Left < left || DrawItems[d]->Left + DrawItems[d]->Width > right;
  }
  if (full) ReformatAfterEdit(TVLReformatRange(), 0, true);
  Integer d, o;
  Item2DrawItem(last, std::clamp(caretOffs, GetItemStartOffset(last), GetItemEndOffset(last)), d, o);
  if (d >= 0) {
    CaretDrawItemNo = d;
    BuildCharPositions(o - 2);
  }
  PlaceCaret(true, true, false);
  if (!full) {
    const Integer ps = GetParaStartItem(first);
    if (ps >= 0 && GetItemStyle(ps) == vlsListMarker) UpdateListNumbering(first, last);
  }
  NotifyChange(true);
  return true;
}

bool TVLEditVLData::InsertVLFFromStream(TStream& stream) {
  const TVLMarkerItemInfo* caretList = ListAtCaret(*this, GetCaretItemNo());
  return InsertDocument([&] {
    Integer index = GetItemCount();
    TColor color = clNone;
    // The document's background colour does not become the editor's.
    const bool read = ReadVLFFromStream(stream, index, nullptr, nullptr, nullptr, color, true, false);
    // Its lists go on from the caret's or start anew, as those of RTF do
    // (its list is often the entry's own, copied from it).
    if (FInsertedFirst >= 0) {
      const Integer end = FInsertedFirst + 1 + (GetItemCount() - FCountAfterFirst);
      const Integer continued = ContinueList(*this, FInsertedFirst, end, GetStyle(), caretList);
      StartOwnLists(*this, FInsertedFirst, end, GetStyle(), *this, FInsertedFirst, continued);
      // The markers were counted as they came in.
      TVLMarkerList* markers = GetMarkers(false);
      for (Integer i = FInsertedFirst; markers && i < end; ++i)
        if (auto* m = dynamic_cast<TVLMarkerItemInfo*>(GetItem(i)); m && markers->IndexOf(m) >= 0) {
          markers->RecalcFrom(markers->IndexOf(m), GetStyle());
          break;
        }
    }
    return read;
  });
}

bool TVLEditVLData::InsertRTFFromStream(TStream& stream) {
  if (stream.Remaining() <= 0) return true;
  TVLRTFReadHook* reader = GetRTFReadProperties();
  if (!reader) return false;
  // The reader appends: it reads into a document of its own over our style
  // sheet (adding the styles it needs), which then goes in as VLF. Its links
  // go through this editor's link handler and keep tags of this editor's kind.
  class TLinkedDocument : public TVLDocumentData {
  public:
    TLinkedDocument(TVLStyle* style, TCustomVLData* target) : TVLDocumentData(style), FTarget(target) {}
    void DoReadHyperlink(const String& target, const String& extras, Integer docFormat, Integer& styleNo,
                         TCustomVLItemInfo* item) override {
      FTarget->DoReadHyperlink(target, extras, docFormat, styleNo, item);
    }

  private:
    TCustomVLData* FTarget;
  };
  TLinkedDocument doc(GetStyle(), this);
  if (GetOptions().Contains(vloTagsArePChars)) doc.Options.Include(vloTagsArePChars);
  if (reader->ReadFromStream(stream, &doc) != 0) {
    Beep();
    return false;
  }
  const Integer continued = ContinueList(doc, 0, doc.GetItemCount(), GetStyle(), ListAtCaret(*this, GetCaretItemNo()));
  StartOwnLists(doc, 0, doc.GetItemCount(), GetStyle(), *this, GetCaretItemNo(), continued);
  TMemoryStream vlf;
  if (!doc.SaveVLFToStream(vlf, false, clNone, nullptr, bsNoBitmap, nullptr)) {
    Beep();
    return false;
  }
  vlf.SetPosition(0);
  return InsertDocument([&] {
    Integer index = GetItemCount();
    TColor color = clNone;
    return ReadVLFFromStream(vlf, index, nullptr, nullptr, nullptr, color, true, false);
  });
}

bool TVLEditVLData::InsertVLFFromFile(const String& fileName) {
  try {
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    return InsertVLFFromStream(file);
  } catch (const Exception&) {
    return false;
  }
}

bool TVLEditVLData::InsertRTFFromFile(const String& fileName) {
  try {
    TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    return InsertRTFFromStream(file);
  } catch (const Exception&) {
    return false;
  }
}

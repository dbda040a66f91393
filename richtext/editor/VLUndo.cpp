#include "richtext/editor/VLUndo.h"

#include "richtext/editor/VLEditData.h"
#include "richtext/editor/VLUndoRecords.h"

#include <algorithm>

TVLUndoList* TVLUndoInfo::GetOwnerList() const {
  const std::shared_ptr<TVLUndoList* const> anchor = FOwnerList.lock();
  return anchor ? *anchor : nullptr;
}

TCustomVLData* TVLUndoInfo::GetOwnerVLData() const {
  TVLUndoList* list = GetOwnerList();
  return list ? list->GetOwner() : nullptr;
}

void TVLUndoInfo::SetOwnerList(TVLUndoList* list) {
  if (list)
    FOwnerList = list->Anchor();
  else
    FOwnerList.reset();
}

// ---------------------------------------------------------------------------
// Groups

void TVLUndoInfos::SetOwnerList(TVLUndoList* list) {
  for (auto& r : FRecords) r->SetOwnerList(list);
}

bool TVLUndoInfos::IsEmpty() const {
  if (FRecords.empty()) return true;
  const TVLUndoInfo* first = FRecords.front().get();
  if (first->TypingCount() >= 0) return first->TypingCount() == 0;
  if (auto* c = dynamic_cast<const TVLCompositeUndo*>(first)) return !c->UndoList || c->UndoList->Count() == 0;
  // Any other group is replayed whole.
  return true;
}

std::unique_ptr<TVLUndoInfos> TVLUndoInfos::TakeFrom(Integer index) {
  auto tail = std::make_unique<TVLUndoInfos>();
  tail->UndoType = UndoType;
  tail->CaretItemNo = CaretItemNo;
  tail->CaretOffs = CaretOffs;
  const size_t from = static_cast<size_t>(std::clamp(index, 0, Count()));
  for (size_t i = from; i < FRecords.size(); ++i) tail->Add(std::move(FRecords[i]));
  FRecords.resize(from);
  return tail;
}

void TVLUndoInfos::NoteCaretCell(Integer itemNo, const TVLStoreSubVLData& cell, Integer caretItemNo,
                                 Integer caretOffs) {
  if (CaretCell || itemNo < 0) return;
  CaretCell = cell.Duplicate();
  if (!CaretCell) return;
  CellItemNo = itemNo;
  CellCaretItemNo = caretItemNo;
  CellCaretOffs = caretOffs;
}

void TVLUndoInfos::CopyCaretCellTo(TVLUndoInfos& other) const {
  if (!CaretCell || other.CaretCell) return;
  other.NoteCaretCell(CellItemNo, *CaretCell, CellCaretItemNo, CellCaretOffs);
  for (const auto& [itemNo, cell] : InnerCells) other.NoteInnerCell(itemNo, *cell);
}

void TVLUndoInfos::NoteInnerCell(Integer itemNo, const TVLStoreSubVLData& cell) {
  if (CaretCell && itemNo >= 0)
    if (auto c = cell.Duplicate()) InnerCells.emplace_back(itemNo, std::move(c));
}

void TVLUndoInfos::Undo(TVLEditVLData* data) {
  if (data->BeginRedoSequence(UndoType, Caption))
    if (TVLUndoInfos* redo = data->RedoList->LastGroup()) CopyCaretCellTo(*redo);
  PerformUndo(data, true);
}

void TVLUndoInfos::Redo(TVLEditVLData* data) {
  if (data->BeginNamedUndoSequence(UndoType, Caption, true))
    if (TVLUndoInfos* undo = data->UndoList->LastGroup()) CopyCaretCellTo(*undo);
  PerformUndo(data, true);
}

void TVLUndoInfos::PerformUndo(TVLEditVLData* data, bool reformat) {
  if (FRecords.empty()) return;
  const bool hadSelection = data->SelectionExists(false, false);
  data->Deselect(nullptr, true);
  bool requiresReformat = false, finalUpdate = false;
  Integer first = data->GetItemCount() - 1, last = 0, added = 0;
  for (auto it = FRecords.rbegin(); it != FRecords.rend(); ++it) {
    TVLUndoInfo* r = it->get();
    requiresReformat = requiresReformat || r->RequiresReformat();
    finalUpdate = finalUpdate || r->RequiresFinalUpdate();
    Integer s = first, e = last;
    const bool hadRange = [&] {
      Integer s0 = -2, e0 = -2;
      r->GetAffectedRange(s0, e0, data);
      if (s0 == -2) return false;
      s = s0;
      e = e0;
      return true;
    }();
    if (!hadRange) continue;
    if (added > 0) e += added;
    const Integer n = r->ItemsAdded();
    if (n > 0) e += n;
    added += n;
    first = std::min(first, s);
    last = std::max(last, e);
  }
  if (last < first) std::swap(first, last);
  first = std::max(first, 0);
  last = std::max(last, first);
  if (last + added < first) last = first - added;

  // The old layout's draw items of the range, before anything changes.
  TVLReformatRange range;
  const Integer oldCount = data->GetItemCount();
  if (data->DrawItems.Count() > 0 && oldCount > 0) {
    const Integer fi = std::min(first, oldCount - 1);
    // Items of the old document that the range reaches.
    const Integer li = std::clamp(last, fi, oldCount - 1);
    range = data->ItemRange(fi, li);
  }

  bool full = false;
  Integer depth = 0;
  bool saved = false;
  for (auto it = FRecords.rbegin(); it != FRecords.rend(); ++it) {
    TVLUndoInfo* r = it->get();
    if (depth == 0) full = requiresReformat && (full || r->FullReformatBeforeUndo(data));
    // Records between a pair of terminators do not decide the reformat.
    if (auto* t = dynamic_cast<TVLUndoModifyItemTerminator*>(r)) {
      if (!t->Flag) {
        if (depth == 0) saved = t->SavedFullReformat;
        ++depth;
      } else if (depth > 0 && --depth == 0) {
        t->SavedFullReformat = saved;
      }
    }
    r->Undo(data);
    if (depth == 0) full = requiresReformat && (full || r->FullReformatAfterUndo(data));
  }
  if (reformat && requiresReformat) data->ReformatAfterEdit(range, added, full);
  if (!data->ActiveItem && data->GetItemCount() > 0) {
    Integer item = std::clamp(CaretItemNo, 0, data->GetItemCount() - 1);
    Integer offs = std::clamp(CaretOffs, data->GetItemStartOffset(item), data->GetItemEndOffset(item));
    if (data->DrawItems.Count() > 0) data->SetCaretToItemPos(item, offs);
  }
  // A partial reformat invalidated the lines it changed; the rest of the
  // window changes only when something else did.
  if (!(reformat && requiresReformat) || full || hadSelection || finalUpdate) data->InvalidateHost();
  if (finalUpdate) data->Reformat();
  // Laid out again: the caret goes back into the cell the action was given
  // in, not beside the item that holds it.
  if (reformat && CaretCell && CellItemNo < data->GetItemCount() && data->DrawItems.Count() > 0) {
    // Down the cells noted, each opened in the one before.
    TCustomVLData* doc = data;
    Integer itemNo = CellItemNo;
    const TVLStoreSubVLData* cell = CaretCell.get();
    for (size_t i = 0;; ++i) {
      const bool last = i == InnerCells.size();
      TCustomVLItemInfo* item = doc->GetItem(itemNo);
      if (!item->ReturnCaretTo(cell, last ? CellCaretItemNo : -1, CellCaretOffs) || last) break;
      doc = item->GetSubVLDataOf(cell);
      itemNo = InnerCells[i].first;
      cell = InnerCells[i].second.get();
      if (!doc || itemNo >= doc->GetItemCount()) break;
    }
  }
}

// ---------------------------------------------------------------------------
// Lists

bool TVLUndoList::BeginGroup(Byte undoType, const String& caption, Integer caretItemNo,
                             Integer caretOffs) {
  if (Limit == 0) return false;
  if (GroupModeCounter >= 1 && !FGroups.empty()) {
    TVLUndoInfos* g = FGroups.back().get();
    if (!(g->Count() == 1 && g->Get(0)->Action == vlumTyping)) return true;
  }
  TrimToLimit();
  if (Limit > 0 && Count() >= Limit) FGroups.erase(FGroups.begin());
  String cap = caption;
  auto g = std::make_unique<TVLUndoInfos>();
  if (!FGroups.empty() && FGroups.back()->Count() == 0) {
    caretItemNo = FGroups.back()->CaretItemNo;
    caretOffs = FGroups.back()->CaretOffs;
    cap = FGroups.back()->Caption;
    FGroups.back()->CopyCaretCellTo(*g);
    FGroups.pop_back();
  }
  g->UndoType = undoType;
  g->Caption = cap;
  g->CaretItemNo = caretItemNo;
  g->CaretOffs = caretOffs;
  FGroups.push_back(std::move(g));
  return true;
}

void TVLUndoList::TrimToLimit() {
  if (Limit < 0) return;
  while (Count() > Limit) FGroups.erase(FGroups.begin());
}

void TVLUndoList::AddInfo(std::unique_ptr<TVLUndoInfo> record) {
  if (FGroups.empty()) throw EVellumError("Can't modify empty undo list");
  TVLUndoInfos* g = FGroups.back().get();
  if (g->Count() == 1 && g->Get(0)->Action == vlumTyping)
    throw EVellumError("Incorrect adding into undo list");
  record->SetOwnerList(this);
  g->Add(std::move(record));
}

void TVLUndoList::AddGroup(std::unique_ptr<TVLUndoInfos> group) {
  group->SetOwnerList(this);
  FGroups.push_back(std::move(group));
}

void TVLUndoList::AddTyping(Integer itemNo, Integer offs, bool unicode) {
  if (Limit == 0) return;
  if (!FGroups.empty() && FGroups.back()->Count() == 0) FGroups.pop_back();
  if (TVLUndoInfos* g = LastGroup()) {
    if (auto* t = dynamic_cast<TVLUndoTypingInfo*>(g->Get(0));
        t && t->ItemNo == itemNo && t->Offset + t->Length == offs) {
      ++t->Length;
      ++g->CaretOffs;
      return;
    }
  }
  // A typing group stands alone even in group mode.
  const Integer mode = GroupModeCounter;
  GroupModeCounter = 0;
  BeginGroup(vlutTyping, String(), itemNo, offs);
  GroupModeCounter = mode;
  auto t = std::make_unique<TVLUndoTypingInfo>();
  t->Action = vlumTyping;
  t->ItemNo = itemNo;
  t->Offset = offs;
  t->Length = 1;
  t->Unicode = unicode;
  AddInfo(std::move(t));
}

void TVLUndoList::AddRedoTyping(const AnsiString& text, Integer itemNo, Integer offs) {
  if (!FGroups.empty() && FGroups.back()->Count() == 0) FGroups.pop_back();
  const bool unicode = text.size() > 1;
  if (TVLUndoInfos* g = LastGroup()) {
    if (auto* t = dynamic_cast<TVLRedoTypingInfo*>(g->Get(0));
        t && t->ItemNo == itemNo && t->Offset - t->CharCount() == offs) {
      t->Text += text;
      --g->CaretOffs;
      return;
    }
  }
  const Integer mode = GroupModeCounter;
  GroupModeCounter = 0;
  const bool opened = BeginGroup(vlutTyping, String(), itemNo, offs);
  GroupModeCounter = mode;
  if (!opened) return;
  auto t = std::make_unique<TVLRedoTypingInfo>();
  t->Action = vlumTyping;
  t->ItemNo = itemNo;
  t->Offset = offs;
  t->Text = text;
  t->Unicode = unicode;
  AddInfo(std::move(t));
}

Byte TVLUndoList::GetLastGroupType() const { return FGroups.empty() ? vlutNone : FGroups.back()->UndoType; }

void TVLUndoList::RemoveEmptyLastGroup() {
  if (GroupModeCounter > 0) return;
  if (!FGroups.empty() && FGroups.back()->Count() == 0) FGroups.pop_back();
}

void TVLUndoList::Undo(TVLEditVLData* data) {
  if (FGroups.empty()) throw EVellumError("Undo buffer is empty");
  TVLUndoInfos* g = FGroups.back().get();
  g->Undo(data);
  PopGroup(g);
}

void TVLUndoList::Redo(TVLEditVLData* data) {
  if (FGroups.empty()) throw EVellumError("Undo buffer is empty");
  TVLUndoInfos* g = FGroups.back().get();
  g->Redo(data);
  PopGroup(g);
}

void TVLUndoList::PopLastGroup() {
  if (!FGroups.empty()) PopGroup(FGroups.back().get());
}

void TVLUndoList::PopGroup(TVLUndoInfos* g) {
  // The group replayed, even when the replay added one after it (a cell
  // editor that closed on the way handed its history over).
  auto at = std::find_if(FGroups.rbegin(), FGroups.rend(), [g](const auto& p) { return p.get() == g; });
  if (at == FGroups.rend()) return;
  if (!g->IsEmpty()) {
    // A typing group loses one character per replay and stays.
    if (dynamic_cast<TVLUndoTypingInfo*>(g->Get(0)))
      --g->CaretOffs;
    else
      ++g->CaretOffs;
    return;
  }
  FGroups.erase(std::next(at).base());
}

#include "spellvl/VLSerializer.h"

#include "richtext/editor/VLEditData.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLItem.h"

namespace {
int LastItemNo(TCustomVLData* data) { return data->GetVLData()->GetItemCount() - 1; }
}  // namespace

TVLSerEntry::TVLSerEntry(TCustomVLData* AVLData, int AStartPos) : StartPos(AStartPos), VLData(AVLData) {}
TVLSerEntry::~TVLSerEntry() = default;

TVLSerializer::TVLSerializer(TCustomVLData* AVLData) : RootVLData(AVLData) {
  FEntries.push_back(std::make_unique<TVLSerEntry>(AVLData, 0));
}

TVLSerializer::~TVLSerializer() = default;

void TVLSerializer::CutAfter(int index) {
  FEntries.resize(static_cast<size_t>(index) + 1);
}

void TVLSerializer::AppendCell(TCustomVLData* cell, int parentIndex, int itemNo,
                               std::unique_ptr<TVLStoreSubVLData> store) {
  auto e = std::make_unique<TVLSerEntry>(cell->GetSourceVLData(), Last().EndPos() + 1);
  e->ParentIndex = parentIndex;
  e->ItemNo = itemNo;
  e->Store = std::move(store);
  FEntries.push_back(std::move(e));
  CurIndex = Count() - 1;
}

bool TVLSerializer::GoNext() {
  // A loop instead of the recursion the steps describe: empty tables and
  // deep nesting cost no stack.
  for (;;) {
    TVLSerEntry& e = Entry(CurIndex);
    if (e.CurItemNo < LastItemNo(e.VLData)) {
      ++e.CurItemNo;
      TCustomVLItemInfo* item = e.VLData->GetVLData()->GetItem(e.CurItemNo);
      std::unique_ptr<TVLStoreSubVLData> store;
      TCustomVLData* inner = item ? item->GetSubVLData(store, 0) : nullptr;
      if (!inner) return true;
      AppendCell(inner, CurIndex, e.CurItemNo, std::move(store));
      continue;
    }
    if (!e.Store) {
      AtEnd = true;
      return false;
    }
    TVLSerEntry& parent = Entry(e.ParentIndex);
    std::unique_ptr<TVLStoreSubVLData> s = e.Store->Duplicate();
    TCustomVLItemInfo* table = parent.VLData->GetVLData()->GetItem(e.ItemNo);
    TCustomVLData* next = table && s ? table->GetSubVLData(s, 4) : nullptr;
    if (next) {
      AppendCell(next, e.ParentIndex, e.ItemNo, std::move(s));
      continue;
    }
    const int pIndex = e.ParentIndex;
    CurIndex = pIndex;
    TVLSerEntry& p = Entry(pIndex);
    if (p.CurItemNo < LastItemNo(p.VLData)) {
      auto c = std::make_unique<TVLSerEntry>(p.VLData, Last().EndPos() + 1);
      c->ParentIndex = p.ParentIndex;
      c->ItemNo = p.ItemNo;
      if (p.Store) c->Store = p.Store->Duplicate();
      c->FirstItemNo = p.CurItemNo + 1;
      c->CurItemNo = p.CurItemNo;
      FEntries.push_back(std::move(c));
      CurIndex = Count() - 1;
    }
  }
}

bool TVLSerializer::GoPrev() {
  if (AtEnd) {
    AtEnd = false;
    return true;
  }
  // After a look-up stopped on a table item the walk has already entered
  // its first cell; the entries beyond the current one are cut instead of
  // failing, so that a step back is always possible.
  if (CurIndex != Count() - 1) CutAfter(CurIndex);
  TVLSerEntry& e = Entry(CurIndex);
  --e.CurItemNo;
  if (e.CurItemNo >= e.FirstItemNo) return true;
  if (CurIndex == 0) {
    e.CurItemNo = -1;
    return false;
  }
  FEntries.pop_back();
  CurIndex = Count() - 1;
  return true;
}

int TVLSerializer::GetCurrentPos() const { return Entry(CurIndex).EndPos(); }

void TVLSerializer::GetCurrentItem(TCustomVLData*& AVLData, int& AItemNo) const {
  const TVLSerEntry& e = Entry(CurIndex);
  AVLData = e.VLData;
  AItemNo = e.CurItemNo;
}

bool TVLSerializer::GoToPos(int Pos) { return SeekPosBackward(Pos) || FindPosForward(Pos); }

bool TVLSerializer::LocateItem(TCustomVLData* AVLData, int AItemNo) {
  return SeekItemBackward(AVLData, AItemNo) || FindItemForward(AVLData, AItemNo);
}

bool TVLSerializer::SeekPosBackward(int Pos) {
  if (Pos == -1) {
    CutAfter(0);
    Entry(0).CurItemNo = -1;
    CurIndex = 0;
    return false;
  }
  if (Count() == 1 && Entry(0).CurItemNo < 0) return false;
  for (int i = Count() - 1; i >= 0; --i) {
    TVLSerEntry& e = Entry(i);
    if (e.StartPos > Pos) continue;
    if (e.EndPos() < Pos) return false;
    CutAfter(i);
    e.CurItemNo = e.FirstItemNo + Pos - e.StartPos - 1;
    CurIndex = i;
    AtEnd = false;
    GoNext();
    return true;
  }
  return false;
}

bool TVLSerializer::FindPosForward(int Pos) {
  AtEnd = false;
  for (;;) {
    const int before = GetCurrentPos();
    if (before == Pos) return true;
    if (!GoNext()) return false;
    // A table item's own position is passed over by the walk: arriving
    // beyond it in one step means the first item of its first cell, which
    // is where a table position leads.
    if (before < Pos && GetCurrentPos() > Pos) return true;
  }
}

bool TVLSerializer::SeekItemBackward(TCustomVLData* AVLData, int AItemNo) {
  if (Count() == 1 && Entry(0).CurItemNo < 0) return false;
  for (int i = Count() - 1; i >= 0; --i) {
    TVLSerEntry& e = Entry(i);
    if (e.VLData == AVLData && e.FirstItemNo <= AItemNo && AItemNo <= e.CurItemNo) {
      CutAfter(i);
      e.CurItemNo = AItemNo;
      CurIndex = i;
      AtEnd = false;
      return true;
    }
  }
  return false;
}

bool TVLSerializer::FindItemForward(TCustomVLData* AVLData, int AItemNo) {
  AtEnd = false;
  for (;;) {
    for (int i = Count() - 1; i >= 0; i = Entry(i).ParentIndex) {
      const TVLSerEntry& e = Entry(i);
      if (e.VLData == AVLData && e.CurItemNo >= AItemNo && AItemNo >= e.FirstItemNo) {
        CurIndex = i;
        return true;
      }
    }
    if (!GoNext()) return false;
  }
}

void TVLSerializer::ItemToPos(TCustomVLData* AVLData, int AItemNo, int& Pos) const {
  Pos = -1;
  if (Count() == 1 && Entry(0).CurItemNo < 0) return;
  for (int i = Count() - 1; i >= 0; --i) {
    const TVLSerEntry& e = Entry(i);
    if (e.VLData == AVLData && e.FirstItemNo <= AItemNo) {
      Pos = e.PosOf(AItemNo);
      return;
    }
  }
}

TCustomVLData* TVLSerializer::InnermostEditData() const {
  TCustomVLData* data = RootVLData;
  while (TCustomVLData* sub = data->GetActiveSubVLData()) {
    if (!dynamic_cast<TVLEditVLData*>(sub)) break;
    data = sub;
  }
  return data;
}

void TVLSerializer::GetSelectionPositions(int& StartPos, int& StartOffs, int& EndPos, int& EndOffs) {
  StartPos = StartOffs = EndPos = EndOffs = -1;
  auto* data = dynamic_cast<TVLEditVLData*>(InnermostEditData());
  if (!data) return;
  int si = 0, so = 0, ei = 0, eo = 0;
  data->GetSelectionBounds(si, so, ei, eo, true);
  if (si < 0 || ei < 0) {
    si = ei = data->GetCaretItemNo();
    so = eo = data->GetCaretOffset();
    if (si < 0) return;
  }
  if (si > ei || (si == ei && so > eo)) {
    std::swap(si, ei);
    std::swap(so, eo);
  }
  if (data->GetItemStyle(si) >= 0) --so;
  if (data->GetItemStyle(ei) >= 0) --eo;
  TCustomVLData* source = data->GetSourceVLData();
  LocateItem(source, ei);
  ItemToPos(source, si, StartPos);
  ItemToPos(source, ei, EndPos);
  StartOffs = so;
  EndOffs = eo;
}

void TVLSerializer::ChooseCurrentSubData() {
  const TVLSerEntry& e = Entry(CurIndex);
  if (e.ItemNo < 0 || e.ParentIndex < 0) return;
  TCustomVLItemInfo* table = Entry(e.ParentIndex).VLData->GetVLData()->GetItem(e.ItemNo);
  if (table) table->ChooseSubVLData(e.Store.get());
}

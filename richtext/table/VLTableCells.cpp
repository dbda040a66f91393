// The table as a container of cell documents: walking the cells, moving
// between neighbours, and searching text through them.
#include "richtext/table/VLTable.h"

#include "richtext/view/VLSearch.h"

bool TVLTableItemInfo::GetCellTo(Integer row, Integer col, bool /*wrap*/, Integer& newCol, Integer& newRow,
                                 Integer direction) const {
  newRow = newCol = -1;
  const Integer R = RowCount(), C = ColCount();
  if (row < 0 || row >= R || col < 0 || col >= C) return false;
  Integer mr, mc;
  const TVLTableCellData* self = Rows.GetMainCell(row, col, mr, mc);
  if (!self) return false;
  auto cover = [&](Integer r, Integer c) {
    if (r < 0 || r >= R || c < 0 || c >= C) return false;
    return Rows.GetMainCell(r, c, newRow, newCol) != nullptr;
  };
  // Reading order over the positions that hold cells of their own.
  auto next = [&](Integer r, Integer c) {
    for (++c; r < R; ++r, c = 0)
      for (; c < C; ++c)
        if (Rows.GetRow(r)->GetCell(c)) {
          newRow = r;
          newCol = c;
          return true;
        }
    return false;
  };
  auto previous = [&](Integer r, Integer c) {
    for (--c; r >= 0; --r, c = C - 1)
      for (; c >= 0; --c)
        if (Rows.GetRow(r)->GetCell(c)) {
          newRow = r;
          newCol = c;
          return true;
        }
    return false;
  };
  switch (direction) {
    case 0: return mc > 0 ? cover(row, mc - 1) : previous(mr, mc);
    case 1: return mr > 0 && cover(mr - 1, col);
    case 2: return mc + self->ColSpan < C ? cover(row, mc + self->ColSpan) : next(mr, mc);
    case 3: return mr + self->RowSpan < R && cover(mr + self->RowSpan, col);
    case 6: return next(mr, mc);
    case 7: return previous(mr, mc);
    default: return false;
  }
}

TCustomVLData* TVLTableItemInfo::GetSubVLData(std::unique_ptr<TVLStoreSubVLData>& storeState, Integer position) {
  const Integer R = RowCount(), C = ColCount();
  Integer r = -1, c = -1, mr, mc;
  TVLTableCellData* cell = nullptr;
  switch (position) {
    case 0:
    case -1:  // callers that only want a first document
      if (!Rows.IsEmpty()) cell = Rows.GetMainCell(0, 0, r, c);
      break;
    case 1:
      // The last in reading order: the main cell of the last place may stand
      // before others (a cell spanning rows down to the last one).
      for (Integer i = R - 1; i >= 0 && !cell; --i)
        for (Integer j = C - 1; j >= 0 && !cell; --j)
          if ((cell = Rows.GetRow(i)->GetCell(j))) {
            r = i;
            c = j;
          }
      break;
    case 2:
    case 3:
      if (FEditedRow >= 0 && FEditedRow < R && FEditedCol >= 0 && FEditedCol < C)
        cell = Rows.GetMainCell(FEditedRow, FEditedCol, r, c);
      break;
    case 4:
    case 5: {
      auto* s = dynamic_cast<TVLTableStoreSubVLData*>(storeState.get());
      if (s && GetCellTo(s->Row, s->Col, false, mc, mr, position == 4 ? 6 : 7)) {
        s->Row = mr;
        s->Col = mc;
        return GetCell(mr, mc);
      }
      storeState.reset();
      return nullptr;
    }
    default: break;
  }
  if (!cell) {
    storeState.reset();
    return nullptr;
  }
  storeState = std::make_unique<TVLTableStoreSubVLData>(r, c);
  return cell;
}

// Searches one cell from its start (or end), or after the last match when
// resuming; nested tables are searched through their own remembered place.
bool TVLTableItemInfo::SearchInCell(TVLTableCellData& cell, const AnsiString& text, Integer options, bool resume) {
  const bool matchCase = options & 1, down = options & 2, wholeWord = options & 4;
  const Integer count = cell.GetItemCount();
  if (count == 0) return false;
  const WideString raw = Utf8ToWide(text);
  const WideString pattern = matchCase ? raw : VLFoldCase(raw);
  const AnsiString delims = cell.GetDelimiters();
  const Integer resumed = resume && FSearchItem >= 0 && FSearchItem < count ? FSearchItem : -1;
  Integer item = resumed >= 0 ? resumed : (down ? 0 : count - 1);
  Integer offs = resume && FSearchItem >= 0 ? FSearchOffs : -1;
  for (; down ? item < count : item >= 0; item += down ? 1 : -1, offs = -1) {
    TCustomVLItemInfo* it = cell.GetItem(item);
    if (it->StyleNo < 0) {
      // A nested table not being resumed is searched whole: where it was
      // last edited or searched is no place to go on from.
      if (item != resumed) it->ClearSearchResult();
      if (it->SearchText(text, options)) {
        FSearchItem = item;
        FSearchOffs = -1;
        return true;
      }
      continue;
    }
    TVLTextMatch m;
    if (!VLFindInItem(cell, item, offs, down, pattern, matchCase, wholeWord, delims, m)) continue;
    FSearchItem = down ? m.EndItem : m.StartItem;
    FSearchOffs = down ? m.EndOffs : m.StartOffs;
    if (cell.DrawItems.Count() > 0) {
      if (down)
        cell.StoreSelBounds(m.StartItem, m.StartOffs, m.EndItem, m.EndOffs);
      else
        cell.StoreSelBounds(m.EndItem, m.EndOffs, m.StartItem, m.StartOffs);
    }
    return true;
  }
  return false;
}

bool TVLTableItemInfo::SearchText(const AnsiString& text, Integer options) {
  if (text.empty() || Rows.IsEmpty()) return false;
  const bool down = options & 2;
  const Integer R = RowCount(), C = ColCount();
  Integer r = FSearchRow, c = FSearchCol;
  bool resume = r >= 0 && r < R && c >= 0 && c < C && GetCell(r, c);
  // The walk goes in reading order, so upward it starts at the last
  // position holding a cell: the bottom-right one may be covered by a cell
  // that begins rows higher, with cells of the bottom row after it.
  auto last = [&] {
    for (r = R - 1; r >= 0; --r)
      for (c = C - 1; c >= 0; --c)
        if (Rows.GetRow(r)->GetCell(c)) return true;
    return false;
  };
  if (!resume && !(down ? Rows.GetMainCell(0, 0, r, c) != nullptr : last())) return false;
  // The remembered cell was searched to its end in its cell editor.
  const bool skipFirst = resume && FSearchItem == vlSearchCellDone;
  while (true) {
    TVLTableCellData* cell = skipFirst && r == FSearchRow && c == FSearchCol ? nullptr : GetCell(r, c);
    if (cell && SearchInCell(*cell, text, options, resume)) {
      FSearchRow = r;
      FSearchCol = c;
      // The cell with the match is the chosen inner document.
      FEditedRow = r;
      FEditedCol = c;
      return true;
    }
    Integer nr, nc;
    if (!GetCellTo(r, c, false, nc, nr, down ? 6 : 7)) break;
    r = nr;
    c = nc;
    resume = false;
    FSearchItem = -1;
  }
  FSearchRow = FSearchCol = -1;
  FSearchItem = -1;
  return false;
}

void TVLTableItemInfo::ClearSearchResult() {
  if (FSearchRow >= 0 && FSearchRow < RowCount() && FSearchCol >= 0 && FSearchCol < ColCount())
    if (TVLTableCellData* cell = GetCell(FSearchRow, FSearchCol)) cell->Deselect(nullptr, false);
  FSearchRow = FSearchCol = -1;
  FSearchItem = -1;
}

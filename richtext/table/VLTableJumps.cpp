// Links inside cells: a cell lays itself out without collecting hypertext
// areas, so the table hands them to the document that holds it.
#include "richtext/table/VLTable.h"

namespace {

void AddCellJumps(TVLTableCellData& cell, Integer x0, Integer y0, Integer& nextJumpNo, TVLJumpList& list) {
  TVLStyle* style = cell.GetStyle();
  if (!style) return;
  for (Integer d = 0; d < cell.DrawItems.Count(); ++d) {
    const TVLDrawLineInfo* di = cell.DrawItems[d];
    TCustomVLItemInfo* item = cell.GetItem(di->ItemNo);
    const Integer st = item->StyleNo;
    const bool firstPiece = d == 0 || cell.DrawItems[d - 1]->ItemNo != di->ItemNo;
    bool jump = false;
    Word cursor = crJump;
    if (st >= 0) {
      if (st < style->TextStyles->Count() && style->TextStyles->Items(st)->Jump) {
        jump = true;
        cursor = style->TextStyles->Items(st)->JumpCursor;
      }
    } else if (firstPiece && item->GetBoolValueEx(1, style)) {
      jump = true;
      cursor = item->GetHypertextCursor(style);
    } else if (firstPiece) {
      // A table inside the cell brings its own cells' areas.
      item->BuildJumps(x0 + di->Left, y0 + di->Top, nextJumpNo, &list);
    }
    if (!jump) continue;
    if (firstPiece) {
      item->JumpID = nextJumpNo;
      ++nextJumpNo;
    }
    auto j = std::make_unique<TVLJumpInfo>();
    j->Left = x0 + di->Left;
    j->Top = y0 + di->Top;
    j->Width = di->Width;
    j->Height = di->Height;
    j->JumpID = item->JumpID;
    j->DrawItemNo = d;
    j->VLData = &cell;
    j->Cursor = cursor;
    list.push_back(std::move(j));
  }
}

}  // namespace

void TVLTableItemInfo::BuildJumps(Integer left, Integer top, Integer& startJumpNo, TObject* jumps) {
  auto* list = dynamic_cast<TVLJumpList*>(jumps);
  if (!list) return;
  const size_t first = list->size();
  for (Integer r = 0; r < RowCount(); ++r)
    for (Integer c = 0; c < Rows.GetRow(r)->Count(); ++c)
      if (TVLTableCellData* cell = Rows.GetRow(r)->GetCell(c))
        AddCellJumps(*cell, left + cell->Left + CellPadding, top + cell->Top + CellPadding + cell->GetVAlignOffset(),
                     startJumpNo, *list);
  // The areas follow this table's draw item when the document around it is
  // laid out again in part.
  for (size_t i = first; i < list->size(); ++i) (*list)[i]->HostDrawItemNo = DrawItemNo;
}

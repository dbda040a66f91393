// The mouse over a table: into the cell editor, cell, row and column
// selection, and dragging column and row borders to new sizes.
#include "platform/base/FlagGuard.h"
#include "platform/gui/Cursors.h"
#include "platform/gui/WindowFocus.h"
#include "richtext/table/VLCellEditor.h"
#include "richtext/view/VLControlData.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace {

constexpr TCursor crVLSelectRow = 104;
constexpr TCursor crVLSelectCol = 105;

void EnsureCursors() {
  static const bool done = [] {
    SetCursorById(crVLSelectRow, LoadCursorResource("VL_SELECTROW_CURSOR"));
    SetCursorById(crVLSelectCol, LoadCursorResource("VL_SELECTCOL_CURSOR"));
    return true;
  }();
  (void)done;
}

Integer Tolerance(Integer w) { return std::max(w / 2, 2); }

TVLControlData* ControlDataOf(TCustomVLData* data) { return dynamic_cast<TVLControlData*>(data); }

TCustomVellumEdit* EditorOf(TCustomVLData* data) {
  auto* d = dynamic_cast<TVLEditVLData*>(data);
  return d ? d->Editor() : nullptr;
}

void Capture(TCustomVLData* data, TCustomVLItemInfo* item) {
  if (auto* f = dynamic_cast<TCustomVLFormattedData*>(data)) f->CaptureMouseItem = item;
}

// A press on a selection in e or an editor open inside it waits to become
// a drag.
bool DragPendingIn(TCustomVellumEdit* e) {
  for (; e; e = dynamic_cast<TCustomVellumEdit*>(e->GetInplaceEditor()))
    if (e->EditData()->GetState() & vlstDragPending) return true;
  return false;
}

// A border of a table in e, or in an editor open inside it, is being
// dragged.
bool BorderDragIn(TCustomVellumEdit* e) {
  for (; e; e = dynamic_cast<TCustomVellumEdit*>(e->GetInplaceEditor()))
    if (auto* t = dynamic_cast<TVLTableItemInfo*>(e->EditData()->CaptureMouseItem); t && t->DraggingBorder())
      return true;
  return false;
}

bool Captured(TCustomVLData* data, TCustomVLItemInfo* item) {
  auto* f = dynamic_cast<TCustomVLFormattedData*>(data);
  return f && f->CaptureMouseItem == item;
}

void Release(TCustomVLData* data, TCustomVLItemInfo* item) {
  if (auto* f = dynamic_cast<TCustomVLFormattedData*>(data); f && f->CaptureMouseItem == item)
    f->CaptureMouseItem = nullptr;
}

// One undo step of cell sizes: the sizes it puts back, and the inverse it
// records while doing so.
class TVLUndoCellSizes : public TVLUndoInfo {
public:
  struct TSize {
    Integer Row, Col, BestWidth, BestHeight;
  };
  void Undo(TVLEditVLData* data) override {
    if (!data || TableItemNo < 0 || TableItemNo >= data->GetItemCount()) return;
    auto* table = dynamic_cast<TVLTableItemInfo*>(data->GetItem(TableItemNo));
    if (!table) return;
    auto inverse = std::make_unique<TVLUndoCellSizes>();
    inverse->Action = Action;
    inverse->TableItemNo = TableItemNo;
    for (const TSize& s : Sizes) {
      TVLTableCellData* cell = s.Row < table->RowCount() && s.Col < table->ColCount() ? table->GetCell(s.Row, s.Col) : nullptr;
      if (!cell) continue;
      inverse->Sizes.push_back({s.Row, s.Col, cell->BestWidth, cell->BestHeight});
      cell->BestWidth = s.BestWidth;
      cell->BestHeight = s.BestHeight;
    }
    table->FormattingInfo.Width = 0;
    if (TVLUndoList* list = data->GetRecordingUndoList()) list->AddInfo(std::move(inverse));
  }
  void GetAffectedRange(Integer& startItemNo, Integer& endItemNo, TVLEditVLData*) override {
    startItemNo = endItemNo = TableItemNo;
  }
  bool FullReformatAfterUndo(TVLEditVLData*) override { return true; }
  Integer TableItemNo = -1;
  std::vector<TSize> Sizes;
};

}  // namespace

// ---------------------------------------------------------------------------
// Hit tests.

Integer TVLTableItemInfo::ColBorderAt(Integer x, Integer& pos, Integer& prevStart) const {
  const auto& F = FormattingInfo;
  const Integer C = ColCount();
  pos = prevStart = 0;
  if (Rows.IsEmpty() || x < 0 || x > F.Width || static_cast<Integer>(F.ColStarts.size()) < C) return -1;
  const Integer outer = BorderWidth + BorderHSpacing + CellBorderWidth, inner = 2 * CellBorderWidth + CellHSpacing;
  if (std::abs(x - outer / 2) <= Tolerance(outer)) {
    pos = outer / 2;
    prevStart = -1;
    return 0;
  }
  if (std::abs(x - (F.Width - outer / 2)) <= Tolerance(outer)) {
    pos = F.Width - outer / 2;
    prevStart = F.ColStarts[static_cast<size_t>(C - 1)];
    return C;
  }
  for (Integer j = 0; j + 1 < C; ++j) {
    const Integer start = F.ColStarts[static_cast<size_t>(j + 1)];
    if (std::abs(x - (start - inner / 2)) <= Tolerance(inner)) {
      pos = start - (inner + 1) / 2;
      prevStart = F.ColStarts[static_cast<size_t>(j)];
      return j + 1;
    }
  }
  return -1;
}

Integer TVLTableItemInfo::RowBorderAt(Integer y, Integer& pos, Integer& prevStart) const {
  const auto& F = FormattingInfo;
  const Integer R = RowCount();
  pos = prevStart = 0;
  if (Rows.IsEmpty() || y < 0 || y > F.Height || static_cast<Integer>(F.RowStarts.size()) < R) return -1;
  const Integer outer = BorderWidth + BorderVSpacing + CellBorderWidth, inner = 2 * CellBorderWidth + CellVSpacing;
  if (std::abs(y - outer / 2) <= Tolerance(outer)) {
    pos = outer / 2;
    prevStart = -1;
    return 0;
  }
  if (std::abs(y - (F.Height - outer / 2)) <= Tolerance(outer)) {
    pos = F.Height - outer / 2;
    prevStart = F.RowStarts[static_cast<size_t>(R - 1)];
    return R;
  }
  for (Integer i = 0; i + 1 < R; ++i) {
    const Integer start = F.RowStarts[static_cast<size_t>(i + 1)];
    if (std::abs(y - (start - inner / 2)) <= Tolerance(inner)) {
      pos = start - (inner + 1) / 2;
      prevStart = F.RowStarts[static_cast<size_t>(i)];
      return i + 1;
    }
  }
  return -1;
}

Integer TVLTableItemInfo::ColumnAt(Integer x) const {
  const auto& F = FormattingInfo;
  for (size_t j = 0; j < F.ColStarts.size() && j < F.ColWidths.size(); ++j) {
    if (x < F.ColStarts[j]) return -1;
    if (x <= F.ColStarts[j] + F.ColWidths[j] + 2 * CellPadding) return static_cast<Integer>(j);
  }
  return -1;
}

Integer TVLTableItemInfo::RowAt(Integer y) const {
  const auto& F = FormattingInfo;
  for (size_t i = 0; i < F.RowStarts.size() && i < F.RowHeights.size(); ++i) {
    if (y < F.RowStarts[i]) return -1;
    if (y <= F.RowStarts[i] + F.RowHeights[i] + 2 * CellPadding) return static_cast<Integer>(i);
  }
  return -1;
}

// ---------------------------------------------------------------------------
// The mouse.

bool TVLTableItemInfo::MouseMove(TShiftState shift, Integer x, Integer y, Integer /*itemNo*/, TCustomVLData* vlData) {
  if (Rows.IsEmpty()) return false;
  EnsureCursors();
  TVLControlData* view = ControlDataOf(vlData);
  if (FDragMode != 0) {
    // The resize line follows the pointer, never left of the column's start.
    FDragPos = std::max((FDragMode == 1 ? x : y) + FDragOffset, FDragLimit + 1);
    if (view) {
      view->SetCursor(FDragMode == 1 ? crHSplit : crVSplit);
      view->Invalidate();
    }
    return true;
  }
  if (IsUpdating()) return true;
  // The mouse held with the button up: its release went elsewhere (to a drag
  // of text that began in a cell).
  if (!shift.Contains(ssLeft) && Captured(vlData, this)) {
    FSelecting = false;
    Release(vlData, this);
  }
  // The moves of a border drag in a table inside the edited cell are that
  // table's, wherever the pointer goes: no block of cells here.
  if (FSelecting && shift.Contains(ssLeft) && FInplaceEditor && BorderDragIn(FInplaceEditor)) {
    const TVLTableCellData* edited = FInplaceEditor->Cell;
    FInplaceEditor->MouseMove(shift, x - edited->Left, y - edited->Top - edited->GetVAlignOffset());
    return true;
  }
  Integer row, col;
  if (GetCellAt(x, y, row, col)) {
    TVLTableCellData* cell = GetCell(row, col);
    if (FSelecting && shift.Contains(ssLeft)) {
      const Integer rowOffset = row - SelStartRow, colOffset = col - SelStartCol;
      if (rowOffset != SelRowOffset || colOffset != SelColOffset) {
        SelRowOffset = rowOffset;
        SelColOffset = colOffset;
        FCellsSelected = rowOffset != 0 || colOffset != 0;
        // A block of cells replaces the text selection inside one cell.
        if (FCellsSelected) DestroyInplaceEditor(true);
        UpdateCellsSelectedState();
        if (view) view->Invalidate();
      }
      if (!FCellsSelected && FInplaceEditor && FInplaceEditor->Cell == cell)
        FInplaceEditor->MouseMove(shift, x - cell->Left, y - cell->Top - cell->GetVAlignOffset());
      return true;
    }
    if (FSelecting) return true;
    const bool inContent = x >= cell->Left + CellPadding && x < cell->Left + cell->Width - CellPadding &&
                           y >= cell->Top + CellPadding && y < cell->Top + cell->Height - CellPadding;
    if (view) view->SetCursor(inContent ? view->GetNormalCursor() : crArrow);
    return true;
  }
  if (!view) return true;
  const bool inEditor = EditorOf(vlData) != nullptr;
  const bool selecting = view->GetOptions().Contains(vloAllowSelection);
  Integer pos, prev;
  const Integer colBorder = ColBorderAt(x, pos, prev), rowBorder = RowBorderAt(y, pos, prev);
  TCursor cursor = crArrow;
  if (colBorder == 0 && Options.Contains(vltoRowSelect) && selecting)
    cursor = crVLSelectRow;
  else if (colBorder > 0 && Options.Contains(vltoColSizing) && inEditor)
    cursor = crHSplit;
  else if (rowBorder == 0 && Options.Contains(vltoColSelect) && selecting)
    cursor = crVLSelectCol;
  else if (rowBorder > 0 && Options.Contains(vltoRowSizing) && inEditor)
    cursor = crVSplit;
  view->SetCursor(cursor);
  return true;
}

bool TVLTableItemInfo::PressStartsSizing(Integer x, Integer y, TCustomVLData* vlData) const {
  if (Rows.IsEmpty() || IsUpdating() || !EditorOf(vlData)) return false;
  Integer row, col, pos, prev;
  if (GetCellAt(x, y, row, col)) return false;
  return (ColBorderAt(x, pos, prev) > 0 && Options.Contains(vltoColSizing)) ||
         (RowBorderAt(y, pos, prev) > 0 && Options.Contains(vltoRowSizing));
}

bool TVLTableItemInfo::MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y, Integer itemNo,
                                 TCustomVLData* vlData) {
  if (Rows.IsEmpty() || IsUpdating()) return false;
  FShowCaretOnRelease = false;
  TCustomVellumEdit* hostEditor = EditorOf(vlData);
  TVLControlData* view = ControlDataOf(vlData);
  Integer row, col;
  if (GetCellAt(x, y, row, col)) {
    // Shift+click: the block from the cell pressed or edited before.
    Integer anchorRow = FInplaceEditor ? FInplaceEditor->Row : FPressedRow;
    Integer anchorCol = FInplaceEditor ? FInplaceEditor->Col : FPressedCol;
    if (SelStartRow >= 0 && FCellsSelected) {
      anchorRow = SelStartRow;
      anchorCol = SelStartCol;
    }
    // A press inside the edited cell is its editor's (which has it already:
    // extending its text or selecting cells of a table nested there), not a
    // block of one cell that would close that editor.
    const bool inEdited = FInplaceEditor && FInplaceEditor->Cell == GetCell(row, col);
    if (button == mbLeft && shift.Contains(ssShift) && !inEdited && anchorRow >= 0 && anchorRow < RowCount() &&
        anchorCol >= 0 && anchorCol < ColCount() && SelectingDocument()) {
      Select(anchorRow, anchorCol, col - anchorCol, row - anchorRow);
      FSelecting = true;
      Capture(vlData, this);
      return false;
    }
    FPressedRow = row;
    FPressedCol = col;
    TVLTableCellData* cell = GetCell(row, col);
    if (hostEditor && Options.Contains(vltoEditing) && (button == mbLeft || button == mbRight)) {
      // A right click on selected cells keeps them for a context menu.
      if (button == mbRight && (cell->Selected || FCellsSelected)) return false;
      // The press is for what is under the pointer: a caret it puts on a
      // line partly shown scrolls nothing, or a double click's second press
      // would land on what scrolled there.
      const TFlagGuard press(FPressing);
      if (!FInplaceEditor || FInplaceEditor->Cell != cell) CreateInplaceEditor(itemNo, row, col, false, false, false, false);
      if (FInplaceEditor && FInplaceEditor->Cell == cell) {
        // A press on the editor reaches the editors that hold it too: the
        // editor had it already, and must not have it twice.
        if (!FInplaceEditor->HoldsMousePress())
          FInplaceEditor->MouseDown(button, shift, x - cell->Left, y - cell->Top - cell->GetVAlignOffset());
        FPressing = false;
        // Out of sight (past the end of a line scrolled away), it is shown
        // once the press is let go: shown now, the view would move under the
        // pointer and the release would select up to other text. A right
        // press puts it only then (where no text is selected): the caret
        // there now is the one the editor opened with.
        FShowCaretOnRelease = true;
        // A press on text selected in the editor (or one further in) may
        // begin a drag of it, which selects no cells; the table keeps the
        // mouse all the same, for the document around to leave it alone.
        if (button == mbLeft && (DragPendingIn(FInplaceEditor) || StartSelecting(row, col))) Capture(vlData, this);
      }
      return false;
    }
    DestroyInplaceEditor(true);
    if (button == mbLeft && StartSelecting(row, col)) {
      Capture(vlData, this);
      if (view) view->Invalidate();
    }
    return false;
  }
  const bool any = Options.Contains(vltoRowSizing) || Options.Contains(vltoColSizing) ||
                   Options.Contains(vltoRowSelect) || Options.Contains(vltoColSelect);
  if (button != mbLeft || !any) {
    DestroyInplaceEditor(true);
    return false;
  }
  Integer colPos, colPrev, rowPos, rowPrev;
  const Integer colBorder = ColBorderAt(x, colPos, colPrev), rowBorder = RowBorderAt(y, rowPos, rowPrev);
  auto startDrag = [&](Integer mode, Integer boundary, Integer pos, Integer prev, Integer at) {
    FDragMode = mode;
    FDragBoundary = boundary;
    FDragOffset = pos - at;
    FDragLimit = prev;
    FDragPos = FDragFrom = pos;
    FDragShift = shift.Contains(ssShift);
    Capture(vlData, this);
    if (view) view->Invalidate();
  };
  // The editors open in the table (those of tables nested in its cells too)
  // go while the sizes change and come back afterwards as they were: the
  // same cells, caret and selection. A chain busy in a handler of its own
  // keeps the table as it is. The press of a drag begun reaches the table
  // again through the editors that hold it: the editors it closed stay
  // to come back.
  auto suspend = [&] {
    if (!FInplaceEditor) {
      if (FDragMode == 0) FResumeAfterDrag = nullptr;
      return true;
    }
    const bool focused = HoldsWindowFocus(FInplaceEditor->GetInnermostEditor());
    try {
      FResumeAfterDrag = SuspendInplaceEditor(true);
    } catch (const EVLTableInplaceError&) {
      return false;
    }
    if (focused && hostEditor->Showing()) SetWindowFocus(hostEditor);
    return true;
  };
  // The caret of the document around stays where it is while a border moves.
  if (colBorder > 0 && Options.Contains(vltoColSizing) && hostEditor) {
    if (!suspend()) return false;
    startDrag(1, colBorder, colPos, colPrev, x);
    return true;
  } else if (rowBorder > 0 && Options.Contains(vltoRowSizing) && hostEditor) {
    if (!suspend()) return false;
    startDrag(2, rowBorder, rowPos, rowPrev, y);
    return true;
  } else if (rowBorder == 0 && Options.Contains(vltoColSelect)) {
    if (const Integer c = ColumnAt(x); c >= 0) {
      SelectCols(c, 1);
      Capture(vlData, this);
    }
  } else if (colBorder == 0 && Options.Contains(vltoRowSelect)) {
    if (const Integer r = RowAt(y); r >= 0) {
      SelectRows(r, 1);
      Capture(vlData, this);
    }
  }
  return false;
}

bool TVLTableItemInfo::MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y, Integer itemNo,
                               TCustomVLData* vlData) {
  if (Rows.IsEmpty()) return false;
  Release(vlData, this);
  const bool showCaret = (button == mbLeft || button == mbRight) && std::exchange(FShowCaretOnRelease, false);
  if (button == mbLeft && FDragMode != 0) {
    const Integer mode = FDragMode;
    FDragMode = 0;
    TCustomVellumEdit* hostEditor = EditorOf(vlData);
    // A border let go where it was pressed sizes nothing: sized, its columns
    // (rows) would keep the widths they have now in place of following
    // their text, and Undo would list a step that changed nothing seen.
    const bool moved = (mode == 1 ? x : y) + FDragOffset != FDragFrom;
    if (moved && hostEditor && hostEditor->CanChange()) {
      if (mode == 1)
        ResizeColumn(FDragBoundary, x + FDragOffset - FDragLimit, x + FDragOffset, FDragShift);
      else
        ResizeRow(FDragBoundary, y + FDragOffset - FDragLimit);
    }
    if (auto* view = ControlDataOf(vlData)) view->Invalidate();
    if (const std::function<void()> resume = std::exchange(FResumeAfterDrag, {})) resume();
    return false;
  }
  const bool wasSelecting = FSelecting;
  FSelecting = false;
  if (FInplaceEditor && !FCellsSelected && (button == mbLeft || button == mbRight)) {
    TVLTableCellData* cell = FInplaceEditor->Cell;
    if (wasSelecting || button == mbRight)
      FInplaceEditor->MouseUp(button, shift, x - cell->Left, y - cell->Top - cell->GetVAlignOffset());
    if (showCaret && FInplaceEditor) ShowInplaceCaret(true);
    return false;
  }
  if (wasSelecting && !FCellsSelected && !FInplaceEditor) {
    // A drag that came back to the cell it began in selects no cells (their
    // block closed the cell's editor on the way): the table holds nothing of
    // the document's, and the cell takes the release as a click.
    if (auto* doc = dynamic_cast<TCustomVLFormattedData*>(FVLData); doc && doc->ActiveItem == this)
      doc->SetActiveItem(nullptr);
    Integer row, col;
    if (button == mbLeft && EditorOf(vlData) && Options.Contains(vltoEditing) && GetCellAt(x, y, row, col) &&
        CreateInplaceEditor(itemNo, row, col, false, false, false, false) && FInplaceEditor) {
      TVLTableCellData* cell = FInplaceEditor->Cell;
      const Integer cx = x - cell->Left, cy = y - cell->Top - cell->GetVAlignOffset();
      TShiftState pressed = shift;
      pressed.Include(ssLeft);
      FInplaceEditor->MouseDown(mbLeft, pressed, cx, cy);
      FInplaceEditor->MouseUp(mbLeft, shift, cx, cy);
    }
  }
  return false;
}

// ---------------------------------------------------------------------------
// Border drags.

namespace {

// Records the sizes of the cells before a change, as one undo step of the
// document that holds the table.
void RecordSizes(TVLTableItemInfo& t, const std::vector<TVLTableCellData*>& cells) {
  auto* host = dynamic_cast<TVLEditVLData*>(t.GetVLData());
  if (!host) return;
  host->BeginUndoSequence(vlutModifyItem, true);
  TVLUndoGroupModeGuard group(host);
  TVLUndoList* list = host->GetRecordingUndoList();
  if (!list) return;
  auto record = std::make_unique<TVLUndoCellSizes>();
  record->Action = vlumModifyItem;
  record->TableItemNo = host->GetItemNo(&t);
  for (Integer r = 0; r < t.RowCount(); ++r)
    for (Integer c = 0; c < t.ColCount(); ++c)
      if (TVLTableCellData* cell = t.GetCell(r, c);
          cell && std::find(cells.begin(), cells.end(), cell) != cells.end())
        record->Sizes.push_back({r, c, cell->BestWidth, cell->BestHeight});
  list->AddInfo(std::move(record));
}

void AfterResize(TVLTableItemInfo& t) {
  t.FormattingInfo.Width = 0;
  auto* host = dynamic_cast<TVLEditVLData*>(t.GetVLData());
  if (!host) return;
  host->UndoDestination = 0;
  const Integer itemNo = host->GetItemNo(&t);
  if (itemNo >= 0) host->ReformatKeepingCaret(true, false, itemNo, false, true);
  if (TCustomVellumEdit* editor = host->Editor()) {
    editor->Invalidate();
    editor->DoChange(true);
  }
}

bool IsPercentColumn(TVLTableItemInfo& t, Integer j) {
  for (Integer r = 0; r < t.RowCount(); ++r)
    if (TVLTableCellData* cell = t.GetCell(r, j); cell && cell->ColSpan == 1 && cell->BestWidth < 0) return true;
  return false;
}

}  // namespace

void TVLTableItemInfo::ResizeColumn(Integer boundary, Integer newWidth, Integer borderPos, bool onlyLeft) {
  const Integer C = ColCount(), R = RowCount();
  if (boundary < 1 || boundary > C || static_cast<Integer>(FormattingInfo.ColStarts.size()) < C) return;
  const Integer j = boundary - 1;
  const Integer pad = CellPadding, cb = CellBorderWidth, hs = CellHSpacing;
  const bool percent = IsPercentColumn(*this, j);
  const bool neighbour = !percent && !onlyLeft && boundary < C && !IsPercentColumn(*this, j + 1);
  // The cells whose sizes change: those ending in the column (and its neighbour).
  std::vector<TVLTableCellData*> touched;
  for (Integer r = 0; r < R; ++r)
    for (Integer c = 0; c < C; ++c)
      if (TVLTableCellData* cell = GetCell(r, c)) {
        const Integer last = c + cell->ColSpan - 1;
        if (last == j || (neighbour && last == j + 1)) touched.push_back(cell);
      }
  RecordSizes(*this, touched);
  auto apply = [&](Integer col, Integer value) {
    bool single = false;
    for (Integer r = 0; r < R; ++r)
      if (TVLTableCellData* cell = GetCell(r, col); cell && cell->ColSpan == 1) {
        cell->BestWidth = value;
        single = true;
      }
    for (Integer r = 0; r < R; ++r)
      for (Integer c = 0; c < col; ++c)
        if (TVLTableCellData* cell = GetCell(r, c); cell && c + cell->ColSpan - 1 == col)
          cell->BestWidth = single || value < 0 ? 0 : std::max<Integer>(1, borderPos - cell->Left - 2 * pad);
  };
  const bool last = j == C - 1;
  if (percent) {
    const Integer c = newWidth - (last ? (BorderWidth + BorderHSpacing + cb) / 2 : cb + hs / 2);
    const Integer structure = (C - 1) * hs + 2 * (BorderWidth + BorderHSpacing) + 2 * C * cb;
    // An all-empty table without padding has no room: no division by zero.
    const Integer room = std::max<Integer>(1, FormattingInfo.Width - structure);
    apply(j, std::min<Integer>(-1, -(c * 100 / room)));
  } else {
    const Integer c = newWidth - 2 * pad - (last ? (BorderWidth + BorderHSpacing + cb + 1) / 2 : cb + hs / 2);
    apply(j, std::max<Integer>(1, c));
    if (neighbour) {
      // The right neighbour keeps its right edge where it was.
      const Integer edge = j + 2 < C ? FormattingInfo.ColStarts[static_cast<size_t>(j + 2)] - (cb + (hs + 1) / 2)
                                     : FormattingInfo.Width - (BorderWidth + BorderHSpacing + cb) / 2;
      const Integer w = edge - borderPos - cb - (hs + 1) / 2;
      const bool nextLast = j + 1 == C - 1;
      const Integer c2 = w - 2 * pad - (nextLast ? (BorderWidth + BorderHSpacing + cb + 1) / 2 : cb + hs / 2);
      apply(j + 1, std::max<Integer>(1, c2));
    }
  }
  AfterResize(*this);
}

void TVLTableItemInfo::ResizeRow(Integer boundary, Integer newHeight) {
  const Integer R = RowCount(), C = ColCount();
  if (boundary < 1 || boundary > R || static_cast<Integer>(FormattingInfo.RowStarts.size()) < R) return;
  const Integer i = boundary - 1;
  const bool last = i == R - 1;
  const Integer content = std::max<Integer>(
      0, newHeight - 2 * CellPadding -
             (last ? (BorderWidth + BorderVSpacing + CellBorderWidth + 1) / 2 : CellVSpacing / 2 + CellBorderWidth));
  std::vector<TVLTableCellData*> touched;
  for (Integer r = 0; r <= i; ++r)
    for (Integer c = 0; c < C; ++c)
      if (TVLTableCellData* cell = GetCell(r, c); cell && r + cell->RowSpan - 1 == i) touched.push_back(cell);
  RecordSizes(*this, touched);
  bool single = false;
  for (Integer c = 0; c < C; ++c)
    if (TVLTableCellData* cell = GetCell(i, c); cell && cell->RowSpan == 1) {
      cell->BestHeight = content;
      single = true;
    }
  const Integer bottom = FormattingInfo.RowStarts[static_cast<size_t>(i)] + content;
  for (Integer r = 0; r < i; ++r)
    for (Integer c = 0; c < C; ++c)
      if (TVLTableCellData* cell = GetCell(r, c); cell && r + cell->RowSpan - 1 == i)
        cell->BestHeight = single ? 0 : std::max<Integer>(0, bottom - cell->Top - CellPadding);
  AfterResize(*this);
}

// The in-place cell editor and the table's side of it: opening the editor
// over a cell, following the table's layout, leaving the cell by the
// keyboard, and handing the cell's history to the document's undo list.
#include "richtext/table/VLCellEditor.h"

#include "platform/base/FlagGuard.h"
#include "platform/gui/Forms.h"
#include "platform/gui/WindowFocus.h"
#include "richtext/view/VLHitTesting.h"
#include "richtext/view/VLScroller.h"

#include <algorithm>
#include <vector>

namespace {

// The cell editor's history of one visit as one record of the document's
// list; replaying it opens the editor on the cell again and replays one
// step there (the rest stays in the editor, so every step stays one step).
class TVLUndoCellModify : public TVLUndoInfo {
public:
  bool RequiresReformat() const override { return false; }
  void Undo(TVLEditVLData* data) override;
  // The kept history goes along, nested cells' histories in it too.
  void SetOwnerList(TVLUndoList* list) override {
    TVLUndoInfo::SetOwnerList(list);
    for (auto& g : Groups) g->SetOwnerList(list);
  }

  bool IsRedo = false;
  Integer TableItemNo = -1, Row = -1, Col = -1;
  TVLCellEditPlace Place;
  std::vector<std::unique_ptr<TVLUndoInfos>> Groups;
};

void TVLUndoCellModify::Undo(TVLEditVLData* data) {
  if (!data || TableItemNo < 0 || TableItemNo >= data->GetItemCount()) return;
  auto* table = dynamic_cast<TVLTableItemInfo*>(data->GetItem(TableItemNo));
  if (!table) return;
  TVLTableInplaceEdit* editor = table->GetInplaceEditor();
  if (!editor || editor->Row != Row || editor->Col != Col) {
    table->CreateInplaceEditor(TableItemNo, Row, Col, false, true, false, true);
    editor = table->GetInplaceEditor();
  }
  if (!editor) return;
  TVLEditVLData* d = editor->EditData();
  TVLUndoList* target = IsRedo ? d->RedoList.get() : d->UndoList.get();
  for (auto& g : Groups) target->AddGroup(std::move(g));
  Groups.clear();
  editor->SetCaret(Place.CaretItem, Place.CaretOffs);
  if (Place.BlockItem >= 0 && Place.BlockItem < d->GetItemCount())
    if (auto* block = dynamic_cast<TVLTableItemInfo*>(d->GetItem(Place.BlockItem)))
      block->Select(Place.BlockRow, Place.BlockCol, Place.BlockCols, Place.BlockRows);
  // The replay itself runs once the document's own replay is over.
  PostMessage(editor->ParentEditor, IsRedo ? WM_VLINPLACEREDO : WM_VLINPLACEUNDO);
}

TVLCellEditPlace EditPlaceOf(TVLTableInplaceEdit& editor) {
  TVLCellEditPlace place;
  TVLEditVLData* d = editor.EditData();
  if (d->DrawItems.Count() > 0) {
    place.CaretItem = d->GetCaretItemNo();
    place.CaretOffs = d->GetCaretOffset();
  }
  if (auto* block = dynamic_cast<TVLTableItemInfo*>(d->ActiveItem.Get()); block && block->CellsSelected()) {
    place.BlockItem = d->GetItemNo(block);
    place.BlockRow = block->SelStartRow;
    place.BlockCol = block->SelStartCol;
    place.BlockCols = block->SelColOffset;
    place.BlockRows = block->SelRowOffset;
  }
  return place;
}

TVLTableInplaceEdit* OpenCellEditor(TCustomVellumEdit* host) {
  return host ? dynamic_cast<TVLTableInplaceEdit*>(host->GetInplaceEditor()) : nullptr;
}

// The editor that holds a table answers the requests of its cell editors.
void InstallHostHandlers(TCustomVellumEdit* host) {
  host->SetMessageHandler(WM_VLINPLACEGETOUT, [host](TMessage& m) {
    if (TVLTableInplaceEdit* e = OpenCellEditor(host)) e->Table->InplaceGetOut(static_cast<Integer>(m.WParam));
  });
  auto replay = [host](bool redo) {
    if (TVLTableInplaceEdit* e = OpenCellEditor(host)) e->ReplayOwnHistory(redo);
    // The document's replay opened a group that received nothing.
    TVLEditVLData* d = host->EditData();
    (redo ? d->UndoList : d->RedoList)->RemoveEmptyLastGroup();
  };
  host->SetMessageHandler(WM_VLINPLACEUNDO, [replay](TMessage&) { replay(false); });
  host->SetMessageHandler(WM_VLINPLACEREDO, [replay](TMessage&) { replay(true); });
}

// An editor of the chain from e inwards is inside one of its handlers:
// closing e would close that one under it.
bool ChainBusy(TCustomVellumEdit* e) {
  for (; e; e = dynamic_cast<TCustomVellumEdit*>(e->GetInplaceEditor()))
    if (e->InHandler()) return true;
  return false;
}

// Cell colour, else table colour, else none.
TColor CellEditorColor(const TVLTableItemInfo& t, const TVLTableCellData& cell) {
  if (cell.Color != clNone) return cell.Color;
  if (t.Color != clNone) return t.Color;
  return clNone;
}

}  // namespace

// ---------------------------------------------------------------------------

TVLTableInplaceEdit* TVLTableInplaceVLData::InplaceEditor() const { return dynamic_cast<TVLTableInplaceEdit*>(Editor()); }

void TVLTableInplaceVLData::DrawBackground(TCanvas* canvas, const TRect& clip) {
  TVLTableInplaceEdit* e = InplaceEditor();
  // A transparent cell shows what lies behind it: through the transparent
  // cells of the tables it lies in, up to an editor with a picture of its
  // own or the one that holds the outermost table. Each editor seen
  // through, innermost first, with where this one's corner lies in it.
  struct TThrough {
    TVLTableInplaceEdit* Editor;
    Integer X, Y;
  };
  std::vector<TThrough> through;
  TCustomVellumEdit* host = nullptr;
  Integer x = 0, y = 0;
  for (TVLTableInplaceEdit* at = e; at && at->ShowParentBackground && at->Cell && at->Cell->Color == clNone;) {
    through.push_back({at, x, y});
    x += at->GetLeft();
    y += at->GetTop();
    host = at->ParentEditor;
    at = dynamic_cast<TVLTableInplaceEdit*>(host);
    const TVLBackground* own = at ? at->GetBackground() : nullptr;
    if (own && own->GetBitmap() && !own->GetBitmap()->GetEmpty() && at->GetBackgroundStyle() != bsNoBitmap) break;
  }
  TVLBackground* back = host ? host->GetBackground() : nullptr;
  if (!back || !back->GetBitmap() || back->GetBitmap()->GetEmpty() || host->GetBackgroundStyle() == bsNoBitmap) {
    TVLEditVLData::DrawBackground(canvas, clip);
  } else {
    // The holder's background at the editor's place in it.
    TVellumVLData* outer = host->VLData();
    const TRect moved(clip.Left + x, clip.Top + y, clip.Right + x, clip.Bottom + y);
    back->Draw(canvas, moved, outer->GetHOffset(), outer->GetVOffset(), 0, 0, outer->GetWidth(), outer->GetHeight(),
               host->GetEffectiveColor(), false);
  }
  // Over the colour, the pictures each table paints under its cell,
  // outermost first; this cell's own table's last. The canvas has its
  // origin at the corner of the area being painted.
  if (through.empty() && e && e->Table && e->Cell) through.push_back({e, 0, 0});
  for (auto it = through.rbegin(); it != through.rend(); ++it) {
    TVLTableInplaceEdit* at = it->Editor;
    if (!at->Table || !at->Cell) continue;
    at->Table->PaintPicturesUnderCell(canvas, TRect(0, 0, clip.Width(), clip.Height()), *at->Cell,
                                      -at->Cell->Left - clip.Left - it->X,
                                      -(at->Cell->Top + at->Cell->GetVAlignOffset()) - clip.Top - it->Y);
  }
}

void TVLTableItemInfo::RelayCellEditorDragDrop(TObject* sender, TObject* source, Integer x, Integer y) {
  auto* editor = dynamic_cast<TVLTableInplaceEdit*>(sender);
  TCustomVellumEdit* host = editor ? editor->ParentEditor : nullptr;
  if (host && host->OnDragDrop) host->OnDragDrop(host, source, x + editor->GetLeft(), y + editor->GetTop());
}

TCustomVLData* TVLTableInplaceVLData::GetSourceVLData() {
  TVLTableInplaceEdit* e = InplaceEditor();
  return e && e->Cell ? static_cast<TCustomVLData*>(e->Cell) : this;
}

TVLMarkerList* TVLTableInplaceVLData::GetMarkers(bool allowCreate) {
  TVLTableInplaceEdit* e = InplaceEditor();
  if (e && e->SharesCellMarkers && e->Cell) return e->Cell->GetMarkers(allowCreate);
  return TVLEditVLData::GetMarkers(allowCreate);
}

void TVLTableInplaceVLData::DestroyMarkers() {
  TVLTableInplaceEdit* e = InplaceEditor();
  if (e && e->SharesCellMarkers && e->Cell) return e->Cell->DestroyMarkers();
  TVLEditVLData::DestroyMarkers();
}

TVLTableInplaceEdit::TVLTableInplaceEdit(TComponent* owner)
    : TCustomVellumEdit(owner, [](TCustomVellum* v) { return std::make_unique<TVLTableInplaceVLData>(v); }) {
  SetBorderStyle(bsNone);
  SetVisible(false);
  WheelStep = 0;
  SetVScrollVisible(false);
  SetHScrollVisible(false);
  OnCaretGetOut = [this](TCustomVellumEdit*, TVLGetOutDirection direction) {
    PostGetOut(static_cast<Integer>(direction));
  };
}

bool TVLTableInplaceEdit::GetReadOnly() const {
  return ParentEditor ? ParentEditor->GetReadOnly() : TCustomVellumEdit::GetReadOnly();
}

void TVLTableInplaceEdit::SetReadOnly(bool value) {
  if (ParentEditor)
    ParentEditor->SetReadOnly(value);
  else
    TCustomVellumEdit::SetReadOnly(value);
}

bool TVLTableInplaceEdit::BeforeChange(bool outside) {
  // The editor that holds the table decides (read-only, OnChanging).
  if (ParentEditor && !ParentEditor->BeforeChange(outside)) return false;
  return TCustomVellumEdit::BeforeChange(outside);
}

bool TVLTableInplaceEdit::DoKeyDown(Word& key, TShiftState shift) {
  if (key == VK_TAB && !shift.Contains(ssCtrl)) {
    key = 0;
    // Moved now, not posted: keys typed ahead are queued already and must
    // find the keyboard in the next cell. This editor closing under its own
    // key handler is retired till the handler is over.
    if (Table && ParentEditor) Table->InplaceGetOut(shift.Contains(ssShift) ? vldPrevCell : vldNextCell);
    return true;
  }
  return TCustomVellumEdit::DoKeyDown(key, shift);
}

bool TVLTableInplaceEdit::DoKeyPress(char16_t& key) {
  // Tab moves between cells; only Ctrl+Tab types it.
  if (key == 9 && GetKeyState(VK_CONTROL) >= 0) return true;
  return TCustomVellumEdit::DoKeyPress(key);
}

TVLTableInplaceEdit::TSelBounds TVLTableInplaceEdit::SelectionNow() {
  TSelBounds b;
  // Without a selection its stored bounds are stale: the caret is where
  // typing goes on.
  if (EditData()->SelectionExists()) {
    GetSelectionBounds(b.StartItem, b.StartOffs, b.EndItem, b.EndOffs, false);
  } else {
    b.StartItem = b.EndItem = CurItemNo();
    b.StartOffs = b.EndOffs = OffsetInCurItem();
  }
  if (auto* block = dynamic_cast<TVLTableItemInfo*>(EditData()->ActiveItem.Get()); block && block->CellsSelected()) {
    b.Block = block;
    b.BlockRow = block->SelStartRow;
    b.BlockCol = block->SelStartCol;
    b.BlockCols = block->SelColOffset;
    b.BlockRows = block->SelRowOffset;
  }
  return b;
}

void TVLTableInplaceEdit::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  BeforePress = SelectionNow();
  TCustomVellumEdit::MouseDown(button, shift, x, y);
}

void TVLTableInplaceEdit::PostGetOut(Integer direction) {
  if (ParentEditor) PostMessage(ParentEditor, WM_VLINPLACEGETOUT, direction);
}

void TVLTableInplaceEdit::Retire() {
  OnChange = nullptr;
  OnCaretMove = nullptr;
  OnCaretGetOut = nullptr;
  OnDragDrop = nullptr;
  ParentEditor = nullptr;
  Table = nullptr;
  Cell = nullptr;
  SharesCellMarkers = false;
  Hide();
  // Nothing else frees it meanwhile: the editor it was open in may go first.
  SetParent(nullptr);
  if (TComponent* owner = Owner()) owner->RemoveComponent(this);
  // What is left of its handler still finds a document (an empty one).
  TVLEditVLData* d = EditData();
  d->Clear();
  d->AddTextItem("", 0, 0);
  ReleaseWhenIdle();
}

// ---------------------------------------------------------------------------
// The cell's side.

Integer TVLTableCellData::ContentHeight() const {
  if (InplaceData) return std::max(0, InplaceData->DocumentHeight - 2 * (FTable ? FTable->CellPadding : 0));
  return DocumentHeight;
}

Integer TVLTableCellData::ContentMinWidth(TCanvas* canvas) {
  return InplaceData ? InplaceData->CalculateMinDocWidth(canvas, nullptr) : CalculateMinDocWidth(canvas, nullptr);
}

Integer TVLTableCellData::GetHOffset() {
  return FTable ? -(FTable->OriginX + FTable->CellPadding + Left) : 0;
}

Integer TVLTableCellData::GetVOffset() {
  return FTable ? -(FTable->OriginY + FTable->CellPadding + Top + GetVAlignOffset()) : 0;
}

TCustomVLData* TVLTableCellData::GetVLData() { return InplaceData ? static_cast<TCustomVLData*>(InplaceData) : this; }

// ---------------------------------------------------------------------------
// The table's side.

bool TVLTableItemInfo::CreateInplaceEditor(Integer itemNo, Integer row, Integer col, bool readOnly,
                                           bool caretAtStart, bool caretAtEnd, bool noEvent) {
  auto* host = dynamic_cast<TVLEditVLData*>(FVLData);
  TCustomVellumEdit* hostEditor = host ? host->Editor() : nullptr;
  if (!hostEditor || Rows.IsEmpty() || row < 0 || row >= RowCount() || col < 0 || col >= ColCount()) return false;
  Integer r, c;
  TVLTableCellData* cell = Rows.GetMainCell(row, col, r, c);
  if (!cell) return false;
  if (!noEvent && OnCellEditing) {
    bool allow = true;
    OnCellEditing(this, r, c, false, allow);
    if (!allow) return false;
  }
  if (itemNo < 0 || itemNo >= host->GetItemCount() || host->GetItem(itemNo) != this) itemNo = host->GetItemNo(this);
  if (itemNo < 0) return false;
  const TFlagGuard opening(FOpeningEditor);
  DestroyInplaceEditor(true);
  ForgetCellSelection();
  // The caret goes into this table: a block of cells selected in another
  // table of the document goes, or it stays shown while the keys come here.
  if (TCustomVLItemInfo* active = host->ActiveItem.Get(); active == this || (active && active->PartiallySelected()))
    host->SetActiveItem(nullptr);
  host->Deselect(nullptr, false);

  auto* editor = new TVLTableInplaceEdit(hostEditor);
  editor->ParentEditor = hostEditor;
  editor->Table = this;
  editor->Cell = cell;
  editor->Row = r;
  editor->Col = c;
  editor->Options = hostEditor->Options;
  editor->VLFOptions = hostEditor->VLFOptions;
  editor->RTFOptions = hostEditor->RTFOptions;
  TVLEditorOptions options = hostEditor->GetEditorOptions();
  options.Include(vloWantTabs);
  editor->SetEditorOptions(options);
  editor->SetUndoLimit(hostEditor->GetUndoLimit() != 0 ? -1 : 0);
  editor->LeftMargin = editor->RightMargin = editor->TopMargin = editor->BottomMargin = CellPadding;
  const TColor color = CellEditorColor(*this, *cell);
  editor->SetColor(color != clNone ? color : hostEditor->GetEffectiveColor());
  editor->ShowParentBackground = color == clNone;
  editor->OnDragDrop = [this](TObject* sender, TObject* source, Integer x, Integer y) {
    RelayCellEditorDragDrop(sender, source, x, y);
  };
  editor->SetStyle(hostEditor->GetStyle());
  editor->SetParent(hostEditor);
  // An undo or redo in the cell keeps what the document could redo.
  editor->OnChange = [this, editor](TObject*) { InplaceChanged(editor->ChangeClearsRedo()); };
  editor->OnCaretMove = [this, hostEditor](TObject*) {
    ShowInplaceCaret();
    // The application hears of the caret through the editor it knows.
    if (hostEditor->OnCaretMove) hostEditor->OnCaretMove(hostEditor->GetRootEditor());
  };
  editor->SharesCellMarkers = cell->SharesMarkers;
  editor->EditData()->MoveItemsFrom(cell);
  if (editor->EditData()->GetItemCount() == 0) editor->EditData()->AddTextItem("", 0, 0);
  cell->InplaceData = editor->EditData();
  FInplaceEditor = editor;
  FEditedRow = r;
  FEditedCol = c;
  CloseCellEditor = [this](bool tell) { DestroyInplaceEditor(tell); };
  InstallHostHandlers(hostEditor);
  // The width first, the height once the content is laid out at it.
  PlaceInplaceEditor();
  editor->Format();
  // A cell that cannot be changed still follows its links on a click.
  if (readOnly || hostEditor->GetReadOnly()) editor->EditData()->EnterJumpMode(true);
  FEditorHeight = editor->EditData()->DocumentHeight;
  FEditorMinWidth = cell->ContentMinWidth(host->GetCanvas());
  PlaceInplaceEditor();
  hostEditor->SetInplaceEditor(editor, [this] { DestroyInplaceEditor(true); }, [this] { return SuspendInplaceEditor(); });
  hostEditor->ActiveSubData = cell;
  hostEditor->ActiveItem = this;
  host->SetState(host->GetState() | vlstNestedCaret);
  host->PlaceCaret(false, false, true);
  editor->Show();
  FOpeningEditor = false;
  TVLEditVLData* d = editor->EditData();
  if (caretAtStart) editor->SetCaret(0, d->GetItemStartOffset(0));
  if (caretAtEnd) editor->SetCaret(d->GetItemCount() - 1, d->GetItemEndOffset(d->GetItemCount() - 1));
  // Opened for a find or a spelling check, the cell must not take the
  // keyboard from that dialog: it gets it when its window is active again.
  if (hostEditor->Showing() && !FResuming) SetWindowFocus(editor);
  hostEditor->Invalidate();
  return true;
}

std::function<void()> TVLTableItemInfo::SuspendInplaceEditor(bool beforePress) {
  if (!FInplaceEditor || FClosingEditor) return {};
  if (ChainBusy(FInplaceEditor)) throw EVLTableInplaceError("Cannot destroy cell inplace editor at this time");
  // The chain of open editors from this table inwards, each with its
  // selection.
  // A block of cells selected in a table of an editor's document goes as
  // the editor closes, and comes back with it.
  struct TLevel {
    TVLTableItemInfo* Table;
    Integer Row, Col;
    TVLTableInplaceEdit::TSelBounds Sel;
  };
  std::vector<TLevel> chain;
  bool focused = false;
  for (TVLTableItemInfo* t = this; t && t->FInplaceEditor;) {
    TVLTableInplaceEdit* e = t->FInplaceEditor;
    chain.push_back({t, e->Row, e->Col, beforePress && e->HoldsMousePress() ? e->BeforePress : e->SelectionNow()});
    focused = HoldsWindowFocus(e);
    auto* inner = dynamic_cast<TVLTableInplaceEdit*>(e->GetInplaceEditor());
    t = inner ? inner->Table : nullptr;
  }
  DestroyInplaceEditor(false);
  return [chain, focused] {
    TVLTableInplaceEdit* last = nullptr;
    for (const TLevel& level : chain) {
      // A table further in is reached through the editor just opened: one
      // no longer in its document (deleted meanwhile) ends the chain there.
      if (last && last->EditData()->GetItemNo(level.Table) < 0) break;
      TVLTableItemInfo& t = *level.Table;
      t.FResuming = true;
      const bool opened = t.CreateInplaceEditor(-1, level.Row, level.Col, false, true, false, true);
      t.FResuming = false;
      if (!opened) break;
      last = t.FInplaceEditor;
      const Integer n = last->EditData()->GetItemCount();
      const TVLTableInplaceEdit::TSelBounds& b = level.Sel;
      const bool inside = b.StartItem >= 0 && b.StartItem < n && b.EndItem >= 0 && b.EndItem < n;
      if (inside) last->SetSelectionBounds(b.StartItem, b.StartOffs, b.EndItem, b.EndOffs);
      auto* block = dynamic_cast<TVLTableItemInfo*>(b.Block.Get());
      if (block && block->GetVLData() == last->EditData()) {
        block->Select(b.BlockRow, b.BlockCol, b.BlockCols, b.BlockRows);
        // Selecting the block lets go of the text: text selected beside
        // it (by the keys from the table's end) comes back as it was.
        if (inside && (b.StartItem != b.EndItem || b.StartOffs != b.EndOffs))
          last->SetSelectionBounds(b.StartItem, b.StartOffs, b.EndItem, b.EndOffs);
      }
    }
    // Also behind a dialog: its window's keyboard comes back to the cell.
    if (last && focused && last->ParentEditor && last->ParentEditor->Showing()) SetWindowFocus(last);
  };
}

void TVLTableItemInfo::DestroyInplaceEditor(bool notify) {
  if (!FInplaceEditor || FClosingEditor) return;
  // An error on the way (a cell editor inside failing to close) leaves the
  // table able to close this one later.
  const TFlagGuard closing(FClosingEditor);
  TVLTableInplaceEdit* editor = FInplaceEditor;
  // Asked before the cells inside close: the keyboard may be in the
  // innermost one.
  bool hadFocus = false, hadPress = false;
  for (TCustomVellumEdit* e = editor; e; e = dynamic_cast<TCustomVellumEdit*>(e->GetInplaceEditor())) {
    hadFocus = hadFocus || HoldsWindowFocus(e);
    hadPress = hadPress || e->HoldsMousePress();
  }
  // A cell editor open inside this one closes first.
  editor->DestroyInplaceEditor();
  // The caret and block of cells as an Undo in the open cell finds them,
  // taken before the block goes (which leaves the document no caret): the
  // history handed over is replayed from there, and its Redo comes back to
  // the same place.
  TVLEditVLData* edited = editor->EditData();
  const TVLCellEditPlace place = EditPlaceOf(*editor);
  // A block of cells selected in the editor's document goes with it: no
  // document that is shown holds it any more.
  if (TCustomVLItemInfo* active = edited->ActiveItem.Get(); active && active->PartiallySelected())
    active->Deselect();
  TCustomVellumEdit* hostEditor = editor->ParentEditor;
  auto* host = dynamic_cast<TVLEditVLData*>(FVLData);
  // A cell editor inside another closes with it when an editor further out
  // goes away: nothing outside is there to hear of it.
  bool clearing = !host || !hostEditor;
  for (TCustomVellumEdit* e = hostEditor; e && !clearing;) {
    auto* inplace = dynamic_cast<TVLTableInplaceEdit*>(e);
    clearing = e->ComponentState.Contains(csDestroying) || (inplace && inplace->Table && inplace->Table->FGoing);
    e = inplace ? inplace->ParentEditor : nullptr;
  }
  if (!clearing) MoveEditorUndo(&place);
  TVLTableCellData* cell = editor->Cell;
  const Integer row = editor->Row, col = editor->Col;
  cell->InplaceData = nullptr;
  try {
    cell->MoveItemsFrom(editor->EditData());
    editor->SharesCellMarkers = false;
  } catch (...) {
    // Refused before anything moved: the editor stays open with the cell's
    // content, rather than the cell showing nothing.
    cell->InplaceData = editor->EditData();
    throw;
  }
  // A search that goes on past this cell continues with its neighbour: the
  // search inside the editor covered the rest of it.
  FSearchRow = row;
  FSearchCol = col;
  FSearchItem = vlSearchCellDone;
  if (cell->GetItemCount() == 0) cell->ResetContent();
  FInplaceEditor = nullptr;
  FEditedRow = FEditedCol = -1;
  if (hostEditor) {
    hostEditor->SetInplaceEditor(nullptr, {});
    if (hostEditor->ActiveItem == this) {
      hostEditor->ActiveItem = nullptr;
      hostEditor->ActiveSubData = nullptr;
    }
  }
  // Closed from inside a handler of its own (a command of its context
  // menu, a request it sent): it goes once that handler is over.
  if (editor->InHandler())
    editor->Retire();
  else
    delete editor;
  if (!clearing) {
    host->SetState(host->GetState() & ~vlstNestedCaret);
    // Without a block of cells the table holds nothing of the document's
    // selection or caret any more.
    if (host->ActiveItem == this && !FCellsSelected) {
      FSelecting = false;
      host->SetActiveItem(nullptr);
    }
    cell->Format(false, true, false, 0, host->GetCanvas(), false, false);
    hostEditor->Invalidate();
    // The table itself going (the entry read anew, the table deleted): the
    // keyboard stays in the editor that held the cell, not nowhere.
    if ((notify || FGoing) && hadFocus && hostEditor->Showing()) SetWindowFocus(hostEditor);
    // Closed under a press begun in it (a drag that became a block of
    // cells): the rest of the press is the host's, or the tables that
    // took the mouse never hear the release and refuse every change.
    if (hadPress && hostEditor->Showing()) hostEditor->TakeOverMousePress();
    if (host->DrawItems.Count() > 0) host->PlaceCaret(false, false, true);
  }
  FClosingEditor = false;
  if (OnCellEndEdit) OnCellEndEdit(this, row, col, clearing);
}

void TVLTableItemInfo::DropInplaceEditor() noexcept {
  try {
    DestroyInplaceEditor(false);
    return;
  } catch (...) {
  }
  TVLTableInplaceEdit* editor = FInplaceEditor;
  if (!editor) return;
  // The cell and the table go; what the editor held goes with it.
  if (editor->Cell) editor->Cell->InplaceData = nullptr;
  FInplaceEditor = nullptr;
  FEditedRow = FEditedCol = -1;
  if (TCustomVellumEdit* hostEditor = editor->ParentEditor) {
    hostEditor->SetInplaceEditor(nullptr, {});
    if (hostEditor->ActiveItem == this) {
      hostEditor->ActiveItem = nullptr;
      hostEditor->ActiveSubData = nullptr;
    }
  }
  try {
    if (editor->InHandler()) editor->Retire();
    else delete editor;
  } catch (...) {
    // Retiring it asks for memory too: without, it stays until the end.
  }
}

bool TVLTableItemInfo::MoveEditorUndo(const TVLCellEditPlace* closing) {
  auto* host = dynamic_cast<TVLEditVLData*>(FVLData);
  if (!FInplaceEditor || !host) return false;
  TVLEditVLData* d = FInplaceEditor->EditData();
  const Integer itemNo = host->GetItemNo(this);
  bool moved = false;
  for (const bool redo : {false, true}) {
    TVLUndoList* source = redo ? d->RedoList.get() : d->UndoList.get();
    if (source->Count() == 0) continue;
    const TVLCellEditPlace place = closing ? *closing : EditPlaceOf(*FInplaceEditor);
    auto groups = source->TakeGroups();
    // A group a command opened here while its change went to the table's
    // own editor replays nothing: handed back, it would take an Undo that
    // does nothing and leave the Redos one step short.
    std::erase_if(groups, [](const auto& g) { return g->Count() == 0; });
    if (groups.empty()) continue;
    // The records stay with the document's list until a replay hands them
    // back: the cell editor's own list goes with the editor.
    TVLUndoList* keeper = redo ? host->RedoList.get() : host->UndoList.get();
    for (auto& g : groups) g->SetOwnerList(keeper);
    const Byte saved = host->UndoDestination;
    const bool opened =
        redo ? host->BeginRedoSequence(vlutModifyItem, String()) : host->BeginUndoSequence(vlutModifyItem, false);
    if (opened && itemNo >= 0) {
      auto record = std::make_unique<TVLUndoCellModify>();
      record->Action = vlumModifyItem;
      record->IsRedo = redo;
      record->TableItemNo = itemNo;
      record->Row = FInplaceEditor->Row;
      record->Col = FInplaceEditor->Col;
      record->Place = place;
      record->Groups = std::move(groups);
      (redo ? host->RedoList : host->UndoList)->AddInfo(std::move(record));
      moved = true;
    }
    host->UndoDestination = saved;
  }
  return moved;
}

void TVLTableItemInfo::FinalizeUndoGroup() { MoveEditorUndo(nullptr); }

bool TVLTableItemInfo::OwnsInplaceEditor(TObject* editor) const {
  return editor && editor == static_cast<TObject*>(FInplaceEditor);
}

void TVLTableItemInfo::PlaceInplaceEditor() {
  if (!FInplaceEditor) return;
  auto* host = dynamic_cast<TCustomVLFormattedData*>(FVLData);
  if (!host || DrawItemNo < 0 || DrawItemNo >= host->DrawItems.Count()) return;
  const TVLDrawLineInfo* d = host->DrawItems[DrawItemNo];
  if (d->ItemNo < 0 || d->ItemNo >= host->GetItemCount() || host->GetItem(d->ItemNo) != this) return;
  TVLTableCellData* cell = FInplaceEditor->Cell;
  const Integer offset = cell->GetVAlignOffset();
  const Integer x = d->Left - host->GetHOffset() + cell->Left;
  const Integer y = d->Top - host->GetVOffset() + cell->Top + offset;
  // Windows taller than this misbehave; the rest of the cell stays painted.
  const Integer height = std::clamp(cell->Height - offset, 1, 10000);
  FInplaceEditor->Tag = y;
  if (FInplaceEditor->GetLeft() != x || FInplaceEditor->GetTop() != ClampedControlTop(y) ||
      FInplaceEditor->GetWidth() != cell->Width || FInplaceEditor->GetHeight() != height)
    FInplaceEditor->SetBounds(x, ClampedControlTop(y), std::max(cell->Width, 1), height);
}

void TVLTableItemInfo::ShowInplaceCaret(bool unlessPartlyShown) {
  auto* host = dynamic_cast<TVLEditVLData*>(FVLData);
  // A press's caret is shown once the press has put it. An editor closing
  // (the cell editors inside it close first, each placing the caret of the
  // one that held it) shows none: the view would move under the pointer of
  // a press that closes it.
  if (!FInplaceEditor || !host || FInCellChange || FPressing || FClosingEditor || !FInplaceEditor->Showing()) return;
  // The caret typing moves may be a cell editor's further in, and cell
  // editors grow with their cells and scroll nothing: the editor that holds
  // the outermost table shows the innermost caret.
  TCustomVellumEdit* shown = FInplaceEditor->GetInnermostEditor();
  TCustomVellumEdit* root = FInplaceEditor->GetRootEditor();
  if (!shown || !root) return;
  // Work the user did not ask for (a save reopening the cell editors)
  // leaves the view where the user took it.
  for (TCustomVellumEdit* e = root; e; e = dynamic_cast<TCustomVellumEdit*>(e->GetInplaceEditor()))
    if (e->EditData()->HoldsView()) return;
  TVLEditVLData* d = shown->EditData();
  TPoint p;
  if (d->CaretHeight <= 0 || !shown->Showing() || !d->GetCaretClientPoint(p)) return;
  // Its caret lies at a table of its own that opens a cell editor (closing
  // another): shown, it would scroll the entry under the mouse pressing
  // the cell.
  const Integer caretItem = d->GetCaretItemNo();
  if (caretItem >= 0 && caretItem < d->GetItemCount())
    if (auto* t = dynamic_cast<TVLTableItemInfo*>(d->GetItem(caretItem)); t && t->FOpeningEditor) return;
  // A caret taller than the view (beside a tall table) shows its top: the
  // whole of it would scroll to its bottom, or stay put over the view.
  TVLEditVLData* view = root->EditData();
  const Integer room = std::max<Integer>(view->GetHeight() - 2 * view->GetVSmallStep(), 1);
  const Integer high = std::min<Integer>(d->CaretHeight + 2, room);
  // The focus coming back (a press on the entry around the cell hands it
  // on before the press is handled) never moves the view under the
  // pointer, nor does a press or its release in the cell, which put the
  // caret under it. The editor taking the focus may be this cell's, its
  // caret at the table of a cell editor further in.
  for (TCustomVellumEdit* e = FInplaceEditor; e; e = dynamic_cast<TCustomVellumEdit*>(e->GetInplaceEditor())) {
    if (e->EditData()->KeepsView()) return;
    if (e == shown) break;
  }
  if (unlessPartlyShown) {
    const TPoint at = root->ScreenToClient(shown->ClientToScreen(p));
    if (at.X >= 0 && at.X < view->GetWidth() && at.Y + d->CaretHeight > 0 && at.Y < view->GetHeight()) return;
  }
  if (view == host && shown == FInplaceEditor) {
    const Integer x = FInplaceEditor->GetLeft() + p.X + host->GetHOffset();
    const Integer y = static_cast<Integer>(FInplaceEditor->Tag) + p.Y + host->GetVOffset();
    VLShowRectangle(*host, x, y, 2, high);
    return;
  }
  const TPoint at = shown->ClientToScreen(p);
  root->ShowScreenRect(TRect(at.X, at.Y, at.X + 2, at.Y + high));
}

void TVLTableItemInfo::MovingToPosition(Integer /*x*/, Integer /*y*/, bool /*updateTop*/) { PlaceInplaceEditor(); }

namespace {
// The document's partial reformat leaves the table's own area to it.
struct TSelfPainting {
  TCustomVLFormattedData* D;
  TCustomVLItemInfo* Saved;
  ~TSelfPainting() { D->SelfPaintingItem = Saved; }
};
}  // namespace

void TVLTableItemInfo::InplaceChanged(bool clearRedo) {
  if (!FInplaceEditor || FInCellChange) return;
  auto* host = dynamic_cast<TVLEditVLData*>(FVLData);
  TCustomVellumEdit* hostEditor = FInplaceEditor->ParentEditor;
  if (!host || !hostEditor) return;
  FInCellChange = true;
  TVLEditVLData* d = FInplaceEditor->EditData();
  TVLTableCellData* cell = FInplaceEditor->Cell;
  const Integer height = d->DocumentHeight;
  const Integer minWidth = cell->ContentMinWidth(host->GetCanvas());
  const Integer room = cell->Width - 2 * CellPadding;
  // The table is laid out again only when the cell needs another height,
  // or its narrowest width changes its column's: the columns share the room
  // beyond their narrowest widths, so the shares move with them (as the
  // layout made on opening the entry would have them).
  const bool widthMatters = minWidth != FEditorMinWidth &&
                            (minWidth > room || FEditorMinWidth >= room || ColumnMinimumMoves(*cell, minWidth));
  FEditorMinWidth = minWidth;
  if (cell->LaidMinWidth != minWidth) {
    cell->LaidMinWidth = minWidth;
    FMinWidthKnown = false;
  }
  if (widthMatters) {
    // Column widths may change: the table is laid out again, measuring
    // only this cell anew and formatting only the cells whose width moves.
    FEditorHeight = height;
    const TVLTableItemFormattingInfo before = FormattingInfo;
    FormattingInfo.Width = 0;
    const Integer itemNo = host->GetItemNo(this);
    struct TOnly {
      TVLTableCellData*& Slot;
      ~TOnly() { Slot = nullptr; }
    } only{FOnlyCellChanged = cell};
    if (itemNo >= 0) {
      TSelfPainting self{host, host->SelfPaintingItem};
      host->SelfPaintingItem = this;
      host->ReformatKeepingCaret(false, false, itemNo, false, true);
    }
    // Wider than the document now: the entry scrolls that far (the caret
    // shown in a far cell brings it into view). Its other lines keep their
    // layout.
    if (DrawItemNo >= 0 && DrawItemNo < host->DrawItems.Count() && !dynamic_cast<TVLTableInplaceVLData*>(host)) {
      const Integer right = host->DrawItems[DrawItemNo]->Left + FormattingInfo.Width;
      if (right > host->GetLeftMargin() + host->DocumentWidth) {
        host->DocumentWidth = right - host->GetLeftMargin();
        host->SetDocumentSize(right + host->GetRightMargin(), host->DocumentHeight, false);
      }
    }
    PlaceInplaceEditor();
    InvalidateLayoutChange(before);
  }
  // Only the rows: the cells keep their widths and their layout. Also
  // after new widths, which rewrap the cell's own lines in its editor (a
  // column narrowed by an Undo in the cell makes it taller).
  FollowEditorHeights();
  FInCellChange = false;
  // The document changed: Modified and OnChange of the editor that holds
  // the table; a new edit in the cell ends what the document could redo.
  hostEditor->DoChange(clearRedo);
  // The cell grew after its caret moved (a line break at the window's
  // edge): the caret is shown where the tables now put it.
  ShowInplaceCaret();
}

void TVLTableItemInfo::FollowEditorHeights() {
  auto* host = dynamic_cast<TVLEditVLData*>(FVLData);
  if (!FInplaceEditor || !host) return;
  // A table in the edited cell was laid out at its new width too: its rows
  // first, which move the cell's lines.
  if (auto* inner = dynamic_cast<TVLTableInplaceEdit*>(FInplaceEditor->GetInplaceEditor()); inner && inner->Table) {
    TVLTableItemInfo& t = *inner->Table;
    // As inside a change of its cell: its reformat moves no caret or view.
    t.FollowEditorHeightsAfterLayout();
  }
  if (!FInplaceEditor) return;
  // (The layout the table ran for a change of the cell took its height
  // before the lines were laid out at the cell's new width.)
  auto followed = [this] {
    const Integer lines = FInplaceEditor->EditData()->DocumentHeight;
    return lines == FEditorHeight && FInplaceEditor->GetHeight() >= lines;
  };
  if (followed()) return;
  const TVLTableItemFormattingInfo before = FormattingInfo;
  // The document, grown or shrunk, may show or hide its scroll bar and lay
  // the table out at the new width: the cell's lines rewrap in its editor,
  // and the rows follow once more.
  for (int pass = 0; pass < 3 && FInplaceEditor && !followed(); ++pass) {
    FEditorHeight = FInplaceEditor->EditData()->DocumentHeight;
    const Integer height = FormattingInfo.Height;
    RelayoutHeights();
    // The document moves what follows the table.
    if (FormattingInfo.Height != height)
      if (const Integer itemNo = host->GetItemNo(this); itemNo >= 0) {
        TSelfPainting self{host, host->SelfPaintingItem};
        host->SelfPaintingItem = this;
        host->ReformatKeepingCaret(false, false, itemNo, false, true);
      }
    PlaceInplaceEditor();
  }
  InvalidateLayoutChange(before);
}

void TVLTableItemInfo::FollowEditorHeightsAfterLayout() {
  if (FInCellChange) return;
  const TFlagGuard inChange(FInCellChange);
  FollowEditorHeights();
}

void TVLTableInplaceEdit::HostLaidOut() {
  if (Table) Table->FollowEditorHeightsAfterLayout();
}

void TVLTableItemInfo::InvalidateLayoutChange(const TVLTableItemFormattingInfo& before) {
  auto* host = dynamic_cast<TVLEditVLData*>(FVLData);
  TCustomVellumEdit* hostEditor = FInplaceEditor ? FInplaceEditor->ParentEditor : nullptr;
  if (!host || !hostEditor) return;
  const TVLTableItemFormattingInfo& F = FormattingInfo;
  const size_t R = static_cast<size_t>(RowCount()), C = static_cast<size_t>(ColCount());
  if (DrawItemNo < 0 || DrawItemNo >= host->DrawItems.Count() || host->GetItem(host->DrawItems[DrawItemNo]->ItemNo) != this ||
      before.RowStarts.size() != R + 1 || F.RowStarts.size() != R + 1 || before.RowHeights.size() != R ||
      F.RowHeights.size() != R || before.ColStarts.size() != C + 1 || F.ColStarts.size() != C + 1 ||
      before.ColWidths.size() != C || F.ColWidths.size() != C) {
    hostEditor->Invalidate();
    return;
  }
  const TVLDrawLineInfo* d = host->DrawItems[DrawItemNo];
  const Integer x0 = d->Left - host->GetHOffset(), y0 = d->Top - host->GetVOffset();
  const Integer clientWidth = hostEditor->ClientWidth();
  // Glyphs may reach a little past their cell.
  constexpr Integer Overhang = 10;
  // Rows from the first that moved or changed height, to the lower of the
  // table's two bottoms (below it the document repaints what moved).
  size_t r0 = 0;
  while (r0 < R && before.RowStarts[r0] == F.RowStarts[r0] && before.RowHeights[r0] == F.RowHeights[r0]) ++r0;
  // A merged cell reaching into the first changed row or column changes
  // as a whole (none without the layout's cache).
  const bool merged = !TypingCache(FInplaceEditor->Cell);
  Integer mr, mc;
  for (size_t c = 0; merged && r0 < R && c < C; ++c)
    if (Rows.GetMainCell(static_cast<Integer>(r0), static_cast<Integer>(c), mr, mc))
      r0 = std::min(r0, static_cast<size_t>(mr));
  const Integer rowGap = std::abs(CellVSpacing) + CellBorderWidth + HRuleWidth + 2;
  Integer columnsBottom = y0 + std::max(before.Height, F.Height) + Overhang;
  if (r0 < R) {
    const Integer top = y0 + std::min(before.RowStarts[r0], F.RowStarts[r0]) - rowGap;
    host->InvalidateRect(TRect(0, top, clientWidth, columnsBottom));
    columnsBottom = top;
  }
  const Integer edge = std::max<Integer>(BorderWidth, 1) + 1;
  if (before.Height != F.Height && columnsBottom > y0) {
    // The outer border's sides, drawn up from the bottom: their dots move.
    host->InvalidateRect(TRect(x0 - 1, y0 - 1, x0 + edge, columnsBottom));
    for (const Integer right : {x0 + before.Width, x0 + F.Width})
      host->InvalidateRect(TRect(right - edge, y0 - 1, right + 1, columnsBottom));
  }
  // Above that, the first column that moved or changed width, and the ones
  // after it.
  size_t j0 = 0;
  while (j0 < C && before.ColStarts[j0] == F.ColStarts[j0] && before.ColWidths[j0] == F.ColWidths[j0]) ++j0;
  for (size_t r = 0; merged && j0 < C && r < R; ++r)
    if (Rows.GetMainCell(static_cast<Integer>(r), static_cast<Integer>(j0), mr, mc))
      j0 = std::min(j0, static_cast<size_t>(mc));
  if ((j0 == C && before.Width == F.Width) || columnsBottom <= y0) return;
  const Integer colGap = std::abs(CellHSpacing) + CellBorderWidth + VRuleWidth + Overhang;
  const Integer left = j0 < C ? x0 + std::min(before.ColStarts[j0], F.ColStarts[j0]) - colGap
                              : x0 + std::min(before.Width, F.Width) - BorderWidth - std::abs(BorderHSpacing) - colGap;
  const TRect rest(left, y0 - Overhang, clientWidth, columnsBottom);
  if (before.Width != F.Width) {
    // The outer border's top and bottom run from one end or the other:
    // their dots move all along when the table's width changes.
    host->InvalidateRect(TRect(x0 - 1, y0 - 1, clientWidth, y0 + edge));
    const Integer bottom = y0 + F.Height;
    if (r0 == R) host->InvalidateRect(TRect(x0 - 1, bottom - edge, clientWidth, bottom + 1));
  }
  // When the columns after the first only moved, and by as much as the
  // table's width changed, their pixels move with them: the one column is
  // painted. Pictures behind the table, and what the program draws itself,
  // would not move with it.
  const Integer dx = F.Width - before.Width;
  const TVLStyle* style = host->GetStyle();
  const bool customDrawing = !style || style->OnDrawStyleText || style->OnDrawTextBack || style->OnDrawParaBack;
  bool shifted = j0 < C && !merged && !customDrawing && !OnDrawBorder && !GetTableBackground() &&
                 F.ColStarts[j0 + 1] - before.ColStarts[j0 + 1] == dx;
  for (size_t j = j0 + 1; shifted && j < C; ++j)
    shifted = F.ColWidths[j] == before.ColWidths[j] && F.ColStarts[j] - before.ColStarts[j] == dx;
  for (TCustomVellumEdit* e = hostEditor; shifted && e;) {
    const TVLBackground* back = e->GetBackground();
    shifted = !back || !back->GetBitmap() || back->GetBitmap()->GetEmpty() || e->GetBackgroundStyle() == bsNoBitmap;
    auto* inplace = dynamic_cast<TVLTableInplaceEdit*>(e);
    e = inplace && inplace->ShowParentBackground ? inplace->ParentEditor : nullptr;
  }
  if (shifted) {
    // From the gap after the changed column.
    const Integer from = x0 + before.ColStarts[j0 + 1] - std::abs(CellHSpacing) - CellBorderWidth;
    // Only the table's own pixels move (none of the lines above or below it).
    const Integer bottom = std::min(columnsBottom, y0 + std::min(before.Height, F.Height));
    if (hostEditor->ShiftPainted(TRect(from, y0, clientWidth, bottom), dx)) {
      const Integer to = x0 + std::max(before.ColStarts[j0 + 1], F.ColStarts[j0 + 1]) + Overhang;
      host->InvalidateRect(TRect(left, rest.Top, std::min(to, clientWidth), rest.Bottom));
      return;
    }
  }
  host->InvalidateRect(rest);
}

void TVLTableItemInfo::ShowChosenCell(Integer row, Integer col) {
  if (!Options.Contains(vltoEditing) || !dynamic_cast<TVLEditVLData*>(FVLData)) return;
  TVLTableCellData* cell = GetCell(row, col);
  if (!cell || (FInplaceEditor && FInplaceEditor->Cell == cell)) return;
  Integer s1 = -1, o1 = 0, s2 = -1, o2 = 0;
  if (cell->DrawItems.Count() > 0) cell->GetSelBounds(false, s1, o1, s2, o2);
  if (!CreateInplaceEditor(-1, row, col, false, true, false, false)) return;
  FEditedRow = row;
  FEditedCol = col;
  if (s1 >= 0 && s2 >= 0 && (s1 != s2 || o1 != o2)) FInplaceEditor->SetSelectionBounds(s1, o1, s2, o2);
  // A match found in a table inside the cell is shown in that table's own
  // cell editor, where the keyboard then is.
  TVLEditVLData* inner = FInplaceEditor->EditData();
  if (FSearchRow == row && FSearchCol == col && FSearchItem >= 0 && FSearchOffs < 0 &&
      FSearchItem < inner->GetItemCount())
    if (auto* nested = dynamic_cast<TVLTableItemInfo*>(inner->GetItem(FSearchItem)))
      if (nested->FSearchRow >= 0 && nested->FSearchCol >= 0) nested->ShowChosenCell(nested->FSearchRow, nested->FSearchCol);
}

TVLTableItemInfo::TCaretCell TVLTableItemInfo::CaretCell() const {
  TCaretCell at;
  if (FInplaceEditor) {
    at.Row = FInplaceEditor->Row;
    at.Col = FInplaceEditor->Col;
    at.ItemNo = FInplaceEditor->CurItemNo();
    at.Offs = FInplaceEditor->OffsetInCurItem();
    at.Cell = FInplaceEditor->Cell;
    return at;
  }
  Integer top, left, cols, rows;
  if (const_cast<TVLTableItemInfo*>(this)->GetNormalizedSelectionBounds(true, top, left, cols, rows)) {
    at.Row = top;
    at.Col = left;
    at.Cell = GetCell(top, left);
  }
  return at;
}

void TVLTableItemInfo::NoteCaretCell(TVLEditVLData* edit, Integer itemNo, const TCaretCell& at) {
  TVLUndoList* list = edit ? edit->GetRecordingUndoList() : nullptr;
  if (!list && edit && edit->UndoList->Limit != 0) list = edit->UndoList.get();
  TVLUndoInfos* group = list ? list->LastGroup() : nullptr;
  if (group && at.Row >= 0 && itemNo >= 0)
    group->NoteCaretCell(itemNo, TVLTableStoreSubVLData(at.Row, at.Col, at.Cell), at.ItemNo, at.Offs);
}

bool TVLTableItemInfo::ReturnCaretTo(const TVLStoreSubVLData* storeState, Integer itemNo, Integer offs) {
  const auto* s = dynamic_cast<const TVLTableStoreSubVLData*>(storeState);
  if (!s || Rows.IsEmpty() || !Options.Contains(vltoEditing) || !IsInEditor()) return false;
  // The cell itself where the grid has it now; gone from the grid, the
  // nearest cell left at its old place.
  Integer r, c;
  const TVLTableCellData* cell = s->LiveCell();
  const bool same = cell && cell->GetTable() == this && cell->FindPlace(r, c) && GetCell(r, c) == cell;
  if (!same &&
      !Rows.GetMainCell(std::clamp(s->Row, 0, RowCount() - 1), std::clamp(s->Col, 0, ColCount() - 1), r, c))
    return false;
  if (!CreateInplaceEditor(-1, r, c, false, false, true, true) || !FInplaceEditor) return false;
  TVLEditVLData* d = FInplaceEditor->EditData();
  if ((same || (!cell && r == s->Row && c == s->Col)) && itemNo >= 0 && itemNo < d->GetItemCount())
    FInplaceEditor->SetCaret(itemNo, std::clamp(offs, d->GetItemStartOffset(itemNo), d->GetItemEndOffset(itemNo)));
  return true;
}

bool TVLTableItemInfo::EnterItem(Integer from, Integer coord) {
  if (Rows.IsEmpty() || !Options.Contains(vltoEditing)) return false;
  const Integer R = RowCount(), C = ColCount();
  Integer row = 0, col = 0;
  bool atEnd = false;
  switch (from) {
    case 1:
      row = R - 1;
      col = C - 1;
      atEnd = true;
      break;
    case 2:
    case 3: {
      // The column under the caret's x; beside the grid the nearest one.
      const auto& starts = FormattingInfo.ColStarts;
      for (Integer j = 0; j < C && j < static_cast<Integer>(starts.size()); ++j)
        if (starts[static_cast<size_t>(j)] <= coord) col = j;
      row = from == 2 ? 0 : R - 1;
      atEnd = from == 3;
      break;
    }
    default: break;
  }
  return CreateInplaceEditor(-1, row, col, false, !atEnd, atEnd, false);
}

void TVLTableItemInfo::InplaceGetOut(Integer direction) {
  if (!FInplaceEditor) return;
  TCustomVellumEdit* hostEditor = FInplaceEditor->ParentEditor;
  auto* host = dynamic_cast<TVLEditVLData*>(FVLData);
  if (!hostEditor || !host) return;
  const Integer row = FInplaceEditor->Row, col = FInplaceEditor->Col;
  if (direction == vldTop || direction == vldBottom) {
    // To the start or the end of the whole document.
    TCustomVellumEdit* root = hostEditor->GetRootEditor();
    root->DestroyInplaceEditor();
    TVLEditVLData* rd = root->EditData();
    if (rd->GetItemCount() == 0) return;
    if (direction == vldTop)
      root->SetCaret(0, rd->GetItemStartOffset(0));
    else
      root->SetCaret(rd->GetItemCount() - 1, rd->GetItemEndOffset(rd->GetItemCount() - 1));
    if (root->Showing()) root->SetFocus();
    return;
  }
  Integer newRow, newCol;
  if (GetCellTo(row, col, false, newCol, newRow, direction)) {
    const bool toEnd = direction == vldLeft || direction == vldUp || direction == vldPrevCell;
    CreateInplaceEditor(-1, newRow, newCol, false, !toEnd, toEnd, false);
    return;
  }
  Integer mr, mc;
  const TVLTableCellData* cell = Rows.GetMainCell(row, col, mr, mc);
  if (!cell) return;
  const bool before = (direction == vldLeft && mc == 0) || (direction == vldUp && mr == 0);
  const bool after = (direction == vldRight && mc + cell->ColSpan >= ColCount()) ||
                     (direction == vldDown && mr + cell->RowSpan >= RowCount());
  // Tab from the last cell and Shift+Tab from the first stay.
  if (!before && !after) return;
  DestroyInplaceEditor(true);
  const Integer itemNo = host->GetItemNo(this);
  if (itemNo < 0) return;
  hostEditor->SetCaret(itemNo, before ? 0 : 1);
  if (hostEditor->Showing()) hostEditor->SetFocus();
}

bool TVLTableItemInfo::OwnsControl(TControl* control) const {
  for (Integer r = 0; r < RowCount(); ++r)
    for (Integer c = 0; c < ColCount(); ++c)
      if (TVLTableCellData* cell = Rows.GetRow(r)->GetCell(c))
        if (cell->GetVLData()->FindControlItemNo(control) >= 0) return true;
  return false;
}

bool TVLTableItemInfo::LocateControl(TControl* control, TCustomVLData*& vlData, Integer& itemNo) {
  for (Integer r = 0; r < RowCount(); ++r)
    for (Integer c = 0; c < ColCount(); ++c) {
      TVLTableCellData* cell = Rows.GetRow(r)->GetCell(c);
      if (!cell) continue;
      TCustomVLData* doc = cell->GetVLData();
      const Integer n = doc->FindControlItemNo(control);
      if (n < 0) continue;
      FSearchRow = r;
      FSearchCol = c;
      if (auto* formatted = dynamic_cast<TCustomVLFormattedData*>(doc)) formatted->FocusedItem = n;
      TCustomVLItemInfo* item = doc->GetItem(n);
      // A nested table names its own cell and item.
      if (auto* nested = dynamic_cast<TVLTableItemInfo*>(item)) nested->LocateControl(control, vlData, itemNo);
      if (item->GetBoolValue(7)) {
        vlData = doc;
        itemNo = n;
      }
      return true;
    }
  return false;
}

bool TVLTableItemInfo::LocateControl(TControl* control) const {
  TCustomVLData* vlData = nullptr;
  Integer itemNo = -1;
  return const_cast<TVLTableItemInfo*>(this)->LocateControl(control, vlData, itemNo);
}

#pragma once
// The in-place cell editor: an editor control laid over one table cell. Its
// document holds the cell's items while it is open; whatever belongs to the
// whole document (undo with an empty own history, leaving the cell by the
// keyboard, read-only state, the change veto) goes to the editor that holds
// the table.
#include "richtext/editor/VellumEdit.h"
#include "richtext/table/VLTable.h"

// Messages the editor that holds a table handles for its cell editor; they
// are posted because they close the editor that asks.
inline constexpr Cardinal WM_VLINPLACEGETOUT = WM_USER + 10;
inline constexpr Cardinal WM_VLINPLACEUNDO = WM_USER + 11;
inline constexpr Cardinal WM_VLINPLACEREDO = WM_USER + 12;

// Directions of leaving a cell beyond TVLGetOutDirection: Tab, Shift+Tab.
inline constexpr Integer vldNextCell = 6;
inline constexpr Integer vldPrevCell = 7;

class TVLTableInplaceEdit;

class TVLTableInplaceVLData : public TVLEditVLData {
public:
  explicit TVLTableInplaceVLData(TCustomVellum* vellum) : TVLEditVLData(vellum) {}
  TVLTableInplaceEdit* InplaceEditor() const;
  // The document this one stands for: the edited cell.
  TCustomVLData* GetSourceVLData() override;
  // The markers of a cell that counts in the list of the document around it
  // stay there while it is edited: an open cell shows the numbers it shows
  // closed, and the markers after it count its own.
  TVLMarkerList* GetMarkers(bool allowCreate) override;
  void DestroyMarkers() override;
  // A transparent cell shows the background of the document that holds the
  // table where the cell lies (with ShowParentBackground).
  void DrawBackground(TCanvas* canvas, const TRect& clip) override;
};

class TVLTableInplaceEdit : public TCustomVellumEdit {
public:
  explicit TVLTableInplaceEdit(TComponent* owner);
  TVLTableInplaceVLData* InplaceData() const { return static_cast<TVLTableInplaceVLData*>(EditData()); }

  // The editor that holds the table, the table and the edited cell.
  TCustomVellumEdit* ParentEditor = nullptr;
  TVLTableItemInfo* Table = nullptr;
  TVLTableCellData* Cell = nullptr;
  Integer Row = -1, Col = -1;
  // The cell's markers count in the list of the document around the table
  // while its items are here.
  bool SharesCellMarkers = false;

  bool GetReadOnly() const override;
  void SetReadOnly(bool value) override;
  bool BeforeChange(bool outside) override;
  bool DoKeyDown(Word& key, TShiftState shift) override;
  bool DoKeyPress(char16_t& key) override;
  // The editor grows with its cell and, unless OwnScrolling, never scrolls
  // itself: the document that holds the table scrolls instead.
  void VScrollTo(Integer y, bool redraw) override {
    if (OwnScrolling) TCustomVellumEdit::VScrollTo(y, redraw);
  }
  void HScrollTo(Integer x) override {}
  bool OwnScrolling = false;
  void HostLaidOut() override;
  // The cell has no colour of its own, nor has its table: the editor shows
  // the background of the document that holds the table.
  bool ShowParentBackground = false;

  // Closed while a handler of its own is on the stack: cut off from the
  // table and its document, hidden, and freed once that handler is over.
  void Retire();

  // The selection, or the caret where there is none; and a block of cells
  // selected in a table of the editor's document.
  struct TSelBounds {
    Integer StartItem = 0, StartOffs = 0, EndItem = 0, EndOffs = 0;
    TVLItemRef Block;
    Integer BlockRow = -1, BlockCol = -1, BlockCols = 0, BlockRows = 0;
  };
  TSelBounds SelectionNow();
  // As it was before the press the editor holds now: a press on the cell's
  // edge that also starts a drag of the table's border leaves it so (the
  // press let go of a block of cells in the editor already).
  TSelBounds BeforePress;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;

private:
  void PostGetOut(Integer direction);
};

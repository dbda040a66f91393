#pragma once
// A laid-out document owned by a window control: keyboard focus among its
// hyperlinks (Tab, a dotted focus frame, Enter follows the link), painting
// through an off-screen image reused between paints, and the mouse: the
// selection by characters, words, lines and paragraphs, hyperlink hover and
// clicks, and the view's mouse events. The host control answers through the
// virtual operations at the end.
#include "platform/gui/Controls.h"
#include "richtext/view/VLFormattedData.h"
#include "richtext/view/VLHitTesting.h"

#include <functional>
#include <memory>

class TBitmap;

// State bits of the mouse (the state word of the document).
inline constexpr Cardinal vlstSelecting = 0x1;        // a mouse selection is running
inline constexpr Cardinal vlstLineSelecting = 0x2;    // started in the left margin: whole lines
inline constexpr Cardinal vlstIgnoreMouseUp = 0x2000;  // a double click just selected a word
inline constexpr Cardinal vlstDragPending = 0x4000;    // a drag of the selection was requested
inline constexpr Cardinal vlstFocusOrigin = 0x800;     // the focus arrived by a click or from nowhere
inline constexpr Cardinal vlstSkipFocus = 0x100000;    // the next MoveFocus only clears this bit
// The host lets the pointer leave the visible area while selecting
// (auto-scroll follows it).
inline constexpr Cardinal vlstPointerMayLeave = 0x10000;

// Which checkpoints the view reports as it scrolls: none, the one whose
// section the view shows, or each one entering the view.
enum TCPEventKind { cpeNone, cpeAsSectionStart, cpeWhenVisible };

class TVLControlData : public TCustomVLFormattedData {
public:
  TVLControlData();
  ~TVLControlData() override;

  void ClearDrawLines() override;
  void Deselect(TCustomVLItemInfo* newPartiallySelected, bool makeEvent) override;
  void SetFocusedItem(Integer itemNo, TCustomVLFormattedData* innerData, Integer innerItemNo);

  // ---- focus among hyperlinks ----------------------------------------------
  void MoveFocus(bool backward, TControl* fromControl);
  // Shows or hides the focus frame (drawn over the document when painted).
  void DrawFocusFrame();
  void ExecuteFocusedJump();
  Integer GetNextFocusedItem(bool goForward, Integer itemNo);
  void ClearFocus();
  Integer InnerFocusedItemNo = -1;
  TCustomVLFormattedData* InnerFocusedData = nullptr;
  bool ClickFocus = true;
  bool FocusFrameShown = false;

  // ---- painting -----------------------------------------------------------------
  // Paints the clip rectangle of the host (the toolkit buffers the window).
  void PaintBuffered(TCanvas* hostCanvas, const TRect& clip);
  // The background of the clip rectangle (the image's origin is its corner).
  virtual void DrawBackground(TCanvas* canvas, const TRect& clip);
  // The drop caret while a drag hovers (null when none: whoever takes drops
  // makes it when a drag enters and drops it when the drag leaves).
  std::unique_ptr<TVLDragDropCaretInfo> DragDropCaret;
  // Moves the drop caret to the position under the client point; off every
  // item, the caret is scrolled into view instead.
  void SetDragDropCaretTo(Integer x, Integer y);
  void RemoveDragDropCaret();

  // ---- XOR figure (a table's resize line) ---------------------------------------------
  // The figure is an overlay of the painted image: drawing it twice erases
  // it, so it is either shown or not. The painter gets the image's canvas
  // and the figure's client point moved into that image.
  using TVLXorPainter = std::function<void(TCustomVLFormattedData* sender, TCanvas* canvas, Integer x, Integer y)>;
  void AssignXorDrawing(const TObject* owner, TVLXorPainter painter);
  void UnAssignXorDrawing(const TObject* owner);
  bool UsesXorDrawing(const TObject* owner) const { return owner && owner == FXorOwner; }
  // Erases a shown figure; answers whether it was shown.
  bool ClearXorDrawing();
  void XorDrawAt(Integer x, Integer y);
  void XorDraw() override;

  // ---- selection ------------------------------------------------------------------
  bool SelectionExists(bool resetIfEmpty, bool askActiveItem);
  void GetSelectionBounds(Integer& startItemNo, Integer& startItemOffs, Integer& endItemNo,
                          Integer& endItemOffs, bool normalize);
  void SetSelectionBounds(Integer startItemNo, Integer startItemOffs, Integer endItemNo, Integer endItemOffs);
  virtual void GetSelStart(Integer& drawItemNo, Integer& offs);
  TRect GetSelectionRect();
  Integer GetJumpPointItemNo(Integer jumpId);
  void ResetHoverAndRepaint();
  void InvalidateJumpRect(Integer jumpId);
  // Selection changed (the editor moves its caret to the end).
  virtual void SelectionChanged() {}
  // Selects length positions of one draw item from offset on (the end
  // first when backward) and fires the select event.
  void SelectInItem(Integer drawItemNo, Integer offset, Integer length, bool backward);
  // A click on the selection that started no drag collapses it at an item
  // position before its release is handled (an editor shows a caret put
  // out of sight once the release is).
  virtual void CollapseSelectionForClick(Integer itemNo, Integer offs) {
    SetSelectionBounds(itemNo, offs, itemNo, offs);
  }

  // ---- mouse (client coordinates) ---------------------------------------------
  virtual void MouseDown(TMouseButton button, TShiftState shift, Integer x, Integer y);
  virtual void MouseMove(TShiftState shift, Integer x, Integer y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, Integer x, Integer y);
  // The double click at the client point (x, y).
  void DblClick(Integer x, Integer y);

  // ---- checkpoints scrolled into view ------------------------------------------
  // Reports the checkpoint the view now shows, once per change.
  void CheckCheckpointsVisibility();
  virtual TCPEventKind GetCPEventKind() { return cpeNone; }
  virtual bool IsOnCheckpointVisibleAssigned() { return false; }
  virtual void DoCheckpointVisible(TVLCPInfo*) {}

  // ---- the view's events (fired only when assigned) -----------------------------
  virtual bool IsOnVLMouseDownAssigned() { return false; }
  virtual void DoVLMouseDown(TMouseButton, TShiftState, Integer, Integer, Integer) {}
  virtual bool IsOnVLMouseUpAssigned() { return false; }
  virtual void DoVLMouseUp(TMouseButton, TShiftState, Integer, Integer, Integer) {}
  virtual bool IsOnVLDblClickAssigned() { return false; }
  virtual void DoVLDblClick(const String&, Integer) {}
  virtual bool IsOnVLRightClickAssigned() { return false; }
  virtual void DoVLRightClick(const String&, Integer, Integer, Integer) {}
  virtual bool IsOnJumpAssigned() { return false; }
  virtual void DoJump(Integer) {}
  virtual void DoVLMouseMove(Integer) {}
  virtual bool IsOnCopyAssigned() { return false; }
  virtual bool CanStartDragging() { return false; }

  // ---- host ------------------------------------------------------------------------
  virtual TControl* GetHostControl() { return nullptr; }
  virtual void Invalidate();
  virtual void InvalidateRect(const TRect& r);
  virtual void Refresh();
  virtual void SetCursor(TCursor cursor);
  virtual TCursor GetNormalCursor() { return crDefault; }
  // Gives the host window the focus.
  virtual void FocusHost();
  virtual bool HostFocused();
  // Asks the host to start the drag of the selection after this handler.
  virtual void RequestDrag() {}
  virtual Integer GetFirstJumpNo() { return 0; }
  void InvalidateBand(Integer top, Integer bottom) override;
  void DoJumpHover(Integer jumpID) override;

private:
  Integer JumpAt(Integer x, Integer y, TCustomVLFormattedData*& owner, TVLJumpInfo*& jump);
  void ClampToVisible(Integer& x, Integer& y);
  const TObject* FXorOwner = nullptr;
  TVLXorPainter FXorPainter;
  // The checkpoint reported last (null: none, or the last one left).
  TVLCPInfo* FReportedCP = nullptr;
};

#pragma once
// The resizer of a selected picture or control: eight square handles on the
// item's edges; dragging one shows the new size as a dotted frame, and the
// mouse-up commits it as one undoable change (the editor data does that).
#include "platform/base/Types.h"
#include "platform/gui/Cursors.h"

class TCanvas;
class TVLDrawLineInfo;
class TCustomVLItemInfo;

// Corner handles keep the picture's proportions even without Shift.
inline bool VLResizeCornersKeepAspect = true;

class TVLItemResizer {
public:
  TVLItemResizer(TVLDrawLineInfo* drawItem, Integer drawItemNo, TCustomVLItemInfo* item);

  struct TFrame {
    Integer Left = 0, Top = 0, Right = 0, Bottom = 0;
  };

  void DrawHandles(TCanvas* canvas, Integer hOffset, Integer vOffset) const;
  void GetHandlePos(Integer index, bool withShift, Integer& x, Integer& y) const;
  void GetHandleShift(Integer index, Integer& dx, Integer& dy) const;
  bool HandleAt(Integer x, Integer y, Integer hOffset, Integer vOffset, Integer& index) const;
  static TCursor GetHandleCursor(Integer index);
  bool StartDrag(Integer x, Integer y, Integer hOffset, Integer vOffset);
  // shift, ctrl: the keys held (Shift keeps the proportions, Ctrl grows
  // both sides alike).
  void DragTo(bool shift, bool ctrl, Integer x, Integer y, Integer hOffset, Integer vOffset);
  void DrawFrame(TCanvas* canvas, Integer hOffset, Integer vOffset) const;
  void EndDrag();
  void Cancel();
  static bool IsCornerHandle(Integer index) { return index < 4; }

  Integer Width = 0, Height = 0;
  TVLDrawLineInfo* DrawItem;
  Integer DrawItemNo;
  Integer ItemNo = 0;
  bool Dragging = false;
  bool Cancelled = false;
  Integer GrabX = 0, GrabY = 0;
  TFrame Frame;
  Byte Handle = 0;
  TCustomVLItemInfo* Item;
  bool HandlesOutside = false;
};

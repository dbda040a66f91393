#pragma once
// Controls drawn into pictures for printing: buttons, edits, memos and
// panels are drawn here from their state (in the toolkit's style), any other
// control by its own widget.
#include "platform/gui/Graphics.h"

#include <memory>

class TControl;
class TButton;
class TEdit;
class TMemo;
class TPanel;

// A new bitmap of the control's size with the control drawn at (0, 0).
std::unique_ptr<TBitmap> DrawControl(TControl* control);
void DrawControlTo(TControl* control, TCanvas& canvas, Integer x, Integer y);
void DrawButtonImage(TButton* button, TCanvas& canvas, Integer x, Integer y);
// Fills rect with color and frames it (sunken when ctl3D); rect ends up as
// the area inside the frame, less one more pixel.
void DrawEditFrame(TCanvas& canvas, TRect& rect, TColor color, bool hasBorder, bool ctl3D);
void DrawEditImage(TEdit* edit, TCanvas& canvas, Integer x, Integer y);
void DrawMemoImage(TMemo* memo, TCanvas& canvas, Integer x, Integer y);
void DrawPanelImage(TPanel* panel, TCanvas& canvas, Integer x, Integer y);

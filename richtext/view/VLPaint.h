#pragma once
// Painting a laid-out document: the part inside a clip rectangle, in the
// passes paragraph backgrounds and borders, custom text backgrounds, then
// every visible draw item with its page-break and checkpoint marks, the
// selection and the special-character marks, the trailing checkpoint and the
// overlay. All drawing goes through the style sheet's hooks.
#include "richtext/view/VLFormattedData.h"

class TControl;

struct TVLPaintInfo {
  // The view (or an editor nested in it) has the focus: selection colours.
  bool Focused = false;
  // The control that shows the document (marks are drawn across it).
  TControl* Control = nullptr;
  // The whole document counts as selected (a cell of a selected table).
  bool SelectedAsWhole = false;
  // Paper: the colour mode of the page and the styles' printing colours.
  TVLColorMode ColorMode = vlcmColor;
  bool Printing = false;
};

// Draws the document part inside clip (client coordinates of the host) onto
// canvas, whose origin is the clip rectangle's top-left corner.
void VLPaintTo(TCustomVLFormattedData& data, TCanvas* canvas, const TRect& clip,
               const TVLPaintInfo& info);

// Left of character from (1-based) inside draw item n, relative to the draw
// item's text start: the measured width of the characters before it.
Integer VLTextPrefixWidth(TCustomVLFormattedData& data, TCanvas* canvas, Integer drawItemNo,
                          Integer from);

#pragma once
// What text runs, breaks and inline rectangles do beyond their stored
// values: the break's plain-text form, its painting and printing, and the
// vertical shift of a rectangle in CSS.
#include "richtext/model/VLItem.h"

class TCanvas;

// max(1, charsPerLine) characters: "-" for a line thinner than 2, else "=".
AnsiString VLBreakAsText(const TVLBreakItemInfo& item, Integer charsPerLine);
// The break's colour: its own, or text style 0's for clNone.
TColor VLBreakColor(const TVLBreakItemInfo& item, TVLStyle* style);
// Paints the rule across left..right at top (screen).
void VLPaintBreak(const TVLBreakItemInfo& item, Integer left, Integer right, Integer top,
                  TCanvas& canvas, TVLTextDrawStates state, TVLStyle* style);
// Prints it at device resolution with the print's colour mode.
void VLPrintBreak(const TVLBreakItemInfo& item, Integer left, Integer right, Integer top,
                  TCanvas& canvas, TVLColorMode colorMode, const TVLScreenAndDevice& sad,
                  TVLStyle* style);
// A sunken three-dimensional frame of the given width.
void VLDrawSunkenFrame(TCanvas& canvas, TRect rect, TColor topColor, TColor bottomColor, Integer width);
// "vertical-align : n" for a baseline-aligned item with a shift and an
// image height; empty otherwise.
AnsiString VLRectVShiftCSS(const TVLRectItemInfo& item, TVLStyle* style);

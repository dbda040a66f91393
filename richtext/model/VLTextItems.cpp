#include "richtext/model/VLTextItems.h"

#include "platform/gui/Graphics.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLFuncs.h"
#include "richtext/model/VLMarkers.h"

#include <cmath>

AnsiString VLBreakAsText(const TVLBreakItemInfo& item, Integer charsPerLine) {
  return AnsiString(static_cast<size_t>(std::max(1, charsPerLine)), item.LineWidth < 2 ? '-' : '=');
}

TColor VLBreakColor(const TVLBreakItemInfo& item, TVLStyle* style) {
  if (item.Color != clNone) return item.Color;
  return style && style->TextStyles->Count() > 0 ? style->TextStyles->Items(0)->Color : clWindowText;
}

void VLDrawSunkenFrame(TCanvas& canvas, TRect rect, TColor topColor, TColor bottomColor, Integer width) {
  if (width < 1) width = 1;
  const bool fits = width <= rect.Bottom - rect.Top;
  for (Integer i = 0; i < width; ++i) {
    canvas.Pen.Color = topColor;
    canvas.MoveTo(rect.Left, rect.Bottom);
    canvas.LineTo(rect.Left, rect.Top);
    canvas.LineTo(rect.Right, rect.Top);
    if (fits) {
      canvas.Pen.Color = bottomColor;
      canvas.LineTo(rect.Right, rect.Bottom);
      canvas.LineTo(rect.Left, rect.Bottom);
      rect.Left += 1;
      rect.Right -= 1;
    }
    rect.Top += 1;
    rect.Bottom -= 1;
  }
}

void VLPaintBreak(const TVLBreakItemInfo& item, Integer left, Integer right, Integer top,
                  TCanvas& canvas, TVLTextDrawStates state, TVLStyle* style) {
  const Integer y = top + 5;
  const Integer w = item.LineWidth;
  canvas.Pen.Color = VLBreakColor(item, style);
  canvas.Pen.Style = psInsideFrame;
  switch (item.Style) {
    case 1:
      canvas.Pen.Width = 1;
      canvas.Brush.Style = bsClear;
      canvas.Rectangle(left + 5, y - w / 2, right - 5, y - w / 2 + w);
      break;
    case 2:
      canvas.Pen.Width = 1;
      VLDrawSunkenFrame(canvas, TRect(left + 5, y - w / 2, right - 6, y - w / 2 + w - 1), clBtnShadow,
                        clBtnFace, 1);
      break;
    default:
      canvas.Pen.Width = w;
      canvas.MoveTo(left + 5, y);
      canvas.LineTo(right - 5, y);
      break;
  }
  if (state.Contains(vltsSelected) && style) {
    TColor sel = state.Contains(vltsControlFocused) ? style->SelColor : style->InactiveSelColor;
    if (sel != clNone) {
      canvas.Pen.Color = sel;
      canvas.Pen.Width = w;
      canvas.MoveTo(left + 5, y);
      canvas.LineTo(right - 5, y);
    }
  }
  canvas.Pen.Width = 1;
  canvas.Pen.Style = psSolid;
}

void VLPrintBreak(const TVLBreakItemInfo& item, Integer left, Integer right, Integer top,
                  TCanvas& canvas, TVLColorMode colorMode, const TVLScreenAndDevice& sad,
                  TVLStyle* style) {
  canvas.Pen.Style = psInsideFrame;
  canvas.Pen.Mode = pmCopy;
  canvas.Pen.Color = ApplyColorModeFore(VLBreakColor(item, style), colorMode);
  const Integer dx = 5 * sad.ppixDevice / std::max(1, sad.ppixScreen);
  const Integer dy = 5 * sad.ppiyDevice / std::max(1, sad.ppiyScreen);
  const Integer y = top + dy;
  const Integer h = item.LineWidth * sad.ppiyDevice / std::max(1, sad.ppiyScreen);
  const Integer onePixel =
      static_cast<Integer>(std::lround(static_cast<double>(sad.ppiyDevice) / std::max(1, sad.ppiyScreen)));
  switch (item.Style) {
    case 1:
      canvas.Pen.Width = onePixel;
      canvas.Brush.Style = bsClear;
      canvas.Rectangle(left + dx, y - h / 2, right - dx, y - h / 2 + h);
      break;
    case 2:
      canvas.Pen.Width = 1;
      VLDrawSunkenFrame(canvas, TRect(left + dx, y - h / 2, right - dx - 1, y - h / 2 + h - 1),
                        ApplyColorModeFore(clBtnShadow, colorMode), ApplyColorModeFore(clBtnFace, colorMode),
                        onePixel);
      break;
    default:
      canvas.Pen.Width = h;
      canvas.MoveTo(left + dx, y);
      canvas.LineTo(right - dx, y);
      break;
  }
  canvas.Pen.Style = psSolid;
}

AnsiString VLRectVShiftCSS(const TVLRectItemInfo& item, TVLStyle* style) {
  Integer height = item.GetImageHeight(style);
  if (height == 0)
    if (auto* g = dynamic_cast<const TVLGraphicItemInfo*>(&item))
      height = g->ImageHeight > 0 ? g->ImageHeight : (g->Image ? g->Image->GetHeight() : 0);
  if (item.VShift == 0 || height == 0 || item.VAlign != vlvaBaseline) return {};
  const Integer shift = item.VShiftAbs ? item.VShift : MulDiv(height, item.VShift, 100);
  return "vertical-align : " + std::to_string(shift);
}

// The break and the list marker draw through the routines above when the
// painting and printing passes call them.
void TVLBreakItemInfo::PaintFullWidth(Integer left, Integer right, Integer top, TCanvas* canvas,
                                      TVLTextDrawStates state, TVLStyle* style, const TRect& /*clipRect*/,
                                      TCustomVLData* /*vlData*/) {
  if (canvas) VLPaintBreak(*this, left, right, top, *canvas, state, style);
}

// x..x2 across at y, in device pixels.
void TVLBreakItemInfo::Print(TCanvas* canvas, Integer x, Integer y, Integer x2, bool /*preview*/,
                             bool /*correctY*/, const TVLScreenAndDevice& sad, TCustomVLData* vlData,
                             TVLColorMode colorMode) {
  if (canvas) VLPrintBreak(*this, x, x2, y, *canvas, colorMode, sad, vlData ? vlData->GetStyle() : nullptr);
}

void TVLMarkerItemInfo::Print(TCanvas* canvas, Integer x, Integer y, Integer /*x2*/, bool /*preview*/,
                              bool /*correctY*/, const TVLScreenAndDevice& sad, TCustomVLData* vlData,
                              TVLColorMode /*colorMode*/) {
  if (canvas && vlData) VLPaintMarker(*this, *vlData, x, y, *canvas, &sad);
}

void TVLMarkerItemInfo::Paint(Integer x, Integer y, TCanvas* canvas, TVLTextDrawStates /*state*/,
                              TVLStyle* /*style*/, TCustomVLData* vlData) {
  if (canvas && vlData) VLPaintMarker(*this, *vlData, x, y, *canvas);
}

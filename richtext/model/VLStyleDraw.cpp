// The style sheet's drawing of text fragments, checkpoints and page breaks,
// each offered to its event first.
#include "platform/base/Wipe.h"
#include "platform/gui/Controls.h"
#include "richtext/model/VLStyle.h"
#include "richtext/model/VLUni.h"

namespace {

WideString FragmentText(const AnsiString& s, const TFontInfo& style) {
  return VLTextToWide(s, style.Unicode ? vlioUnicodeBit : 0, CharsetToCodePage(style.Charset));
}

// Per-character advances of a text from the canvas's cumulative extents.
std::vector<Integer> Advances(TCanvas* canvas, const WideString& w) {
  std::vector<Integer> extents;
  Integer fit = 0;
  canvas->GetTextExtentExPoint(w, 0x7FFFFFFF, &fit, &extents);
  std::vector<Integer> advances(w.size(), 0);
  for (size_t i = 0; i < w.size() && i < extents.size(); ++i)
    advances[i] = extents[i] - (i ? extents[i - 1] : 0);
  return advances;
}

}  // namespace

void TFontInfo::Draw(const AnsiString& s, TCanvas* canvas, Integer styleNo, Integer spaceBefore,
                     Integer left, Integer top, Integer width, Integer height, TVLStyle& sheet,
                     TVLTextDrawStates drawState, bool printing, bool previewCorrection,
                     TVLColorMode colorMode, TVLBiDiMode defBiDiMode) const {
  const TVLBiDiMode mode = BiDiMode != vlbdUnspecified ? BiDiMode : defBiDiMode;
  WideString w = FragmentText(s, *this);
  const TWipeTextOnExit<char16_t> wipe(w, canvas->SensitiveText);
  const Integer x = left + spaceBefore;
  bool drawn = false;
  if (printing && mode == vlbdUnspecified) {
    if (canvas->Brush.Style != bsClear) {
      TPenStyle penStyle = canvas->Pen.Style;
      canvas->Pen.Style = psClear;
      canvas->FillRect(Bounds(left, top, width, height));
      canvas->Pen.Style = penStyle;
      canvas->Brush.Style = bsClear;
    }
    const Integer extra = canvas->GetTextCharacterExtra();
    if (w.size() >= 2 && (previewCorrection || extra != 0)) {
      std::vector<Integer> advances = Advances(canvas, w);
      Integer measured = 0;
      for (Integer a : advances) measured += a;
      if (!previewCorrection) {
        // The advances hold the spacing already.
        canvas->SetTextCharacterExtra(0);
        canvas->ExtTextOut(x, top, 0, nullptr, w, advances.data());
        canvas->SetTextCharacterExtra(extra);
        drawn = true;
      } else if (measured != width) {
        // The difference is spread over the characters from the first.
        Integer d = width - spaceBefore - measured;
        for (size_t i = 0; i < advances.size() && d != 0; ++i) {
          Integer share = d / static_cast<Integer>(advances.size() - i);
          advances[i] += share;
          d -= share;
        }
        canvas->ExtTextOut(x, top, 0, nullptr, w, advances.data());
        drawn = true;
      }
    }
  }
  if (!drawn) {
    canvas->TextOutW(x, top, w);
    if (drawState.Contains(vltsSpecialCharacters)) {
      std::vector<Integer> positions;
      const bool placed = GetCaretPositions(canvas, WideStringToRawUnicode(w), positions, vlioUnicodeBit);
      std::vector<Integer> advances = placed ? std::vector<Integer>() : Advances(canvas, w);
      const Integer extra = canvas->GetTextCharacterExtra();
      TBrushStyle brushStyle = canvas->Brush.Style;
      canvas->Brush.Style = bsClear;
      Integer runX = 0;
      for (size_t i = 0; i < w.size(); ++i) {
        Integer charX = placed ? positions[i] - (i ? 1 : 0) : runX;
        if (w[i] == u' ') canvas->TextOutW(x + charX, top, u"\u00B7");
        if (!placed) runX += advances[i] + extra;
      }
      canvas->Brush.Style = brushStyle;
    }
  }
  if (spaceBefore != 0 && !printing) {
    if (drawState.Contains(vltsSelected) && w.empty()) {
      TVLTextDrawStates unselected = drawState;
      unselected.Exclude(vltsSelected);
      sheet.ApplyStyleColor(canvas, styleNo, unselected, printing, colorMode);
    }
    if (canvas->Brush.Style != bsClear) canvas->FillRect(Bounds(left, top, spaceBefore, height));
  }
  canvas->Brush.Style = bsClear;
  const bool underline = canvas->Font.GetStyle().Contains(fsUnderline);
  if ((spaceBefore != 0 && underline) || StyleEx.Contains(vlfsOverline)) {
    TOutlineTextMetric otm;
    const bool haveMetrics = canvas->GetOutlineTextMetrics(otm);
    const Integer thickness = haveMetrics && otm.otmsUnderscoreSize > 0 ? otm.otmsUnderscoreSize : 1;
    const TPen saved = canvas->Pen;
    canvas->Pen.Style = psSolid;
    canvas->Pen.Width = thickness;
    canvas->Pen.Color = canvas->Font.GetColor();
    if (spaceBefore != 0 && underline && haveMetrics) {
      Integer y = top + otm.otmTextMetrics.tmAscent - otm.otmsUnderscorePosition + thickness / 2;
      canvas->MoveTo(left, y);
      canvas->LineTo(left + spaceBefore + 1, y);
    }
    if (StyleEx.Contains(vlfsOverline)) {
      canvas->MoveTo(left, top);
      canvas->LineTo(left + width, top);
    }
    canvas->Pen.Assign(&saved);
  }
}

// ---------------------------------------------------------------------------
void TVLStyle::DrawStyleText(const AnsiString& s, TCanvas* canvas, Integer styleNo,
                             Integer spaceBefore, Integer left, Integer top, Integer width,
                             Integer height, TVLTextDrawStates drawState, bool printing,
                             bool previewCorrection, TVLColorMode colorMode,
                             TVLBiDiMode defBiDiMode, TObject* contextData,
                             Integer contextItemNo, Integer contextOffset) {
  const TFontInfo* style = TextStyles->Items(styleNo);
  AnsiString text;
  const TWipeTextOnExit<char> wipe(text, canvas->SensitiveText);
  ApplyAllCaps(s, *style, text);
  bool doDefault = true;
  if (OnDrawStyleText) {
    DrawContextData = contextData;
    DrawContextItemNo = contextItemNo;
    DrawContextOffset = contextOffset;
    OnDrawStyleText(this, text, canvas, styleNo, spaceBefore, left, top, width, height, drawState,
                    doDefault);
  }
  if (doDefault)
    style->Draw(text, canvas, styleNo, spaceBefore, left, top, width, height, *this, drawState,
                printing, previewCorrection, colorMode, defBiDiMode);
}

void TVLStyle::DrawTextBack(TCanvas* canvas, TObject* contextData, Integer contextItemNo,
                            Integer styleNo, Integer left, Integer top, Integer width,
                            Integer height, TVLTextDrawStates drawState) {
  if (!OnDrawTextBack) return;
  DrawContextData = contextData;
  DrawContextItemNo = contextItemNo;
  bool doDefault = true;
  OnDrawTextBack(this, canvas, styleNo, left, top, width, height, drawState, doDefault);
}

void TVLStyle::DrawCheckpoint(TCanvas* canvas, Integer x, Integer y, Integer itemNo,
                              Integer xShift, bool raiseEvent, TControl* control) {
  bool doDefault = true;
  if (OnDrawCheckpoint) OnDrawCheckpoint(this, canvas, x, y, itemNo, xShift, raiseEvent, control, doDefault);
  if (doDefault) {
    canvas->Pen.Width = 1;
    canvas->Pen.Color = raiseEvent ? CheckpointEvColor : CheckpointColor;
    canvas->Brush.Style = bsClear;
    if (itemNo != -1) {
      canvas->Pen.Style = psSolid;
      canvas->Ellipse(x - 2, y - 2, x + 2, y + 2);
    }
    canvas->Pen.Style = psDot;
    canvas->MoveTo(-xShift, y);
    canvas->LineTo(control ? control->GetWidth() : 0, y);
  }
  canvas->Pen.Style = psSolid;
  canvas->Brush.Style = bsClear;
}

void TVLStyle::DrawPageBreak(TCanvas* canvas, Integer y, Integer xShift,
                             TVLPageBreakType pageBreakType, TControl* control) {
  bool doDefault = true;
  if (OnDrawPageBreak) OnDrawPageBreak(this, canvas, y, xShift, pageBreakType, control, doDefault);
  if (doDefault) {
    canvas->Pen.Color = pageBreakType == vlpbPageBreak ? PageBreakColor : SoftPageBreakColor;
    canvas->Pen.Width = 1;
    canvas->Pen.Style = psSolid;
    const Integer w = (control ? control->ClientWidth() : 0) - xShift;
    canvas->MoveTo(-xShift, y);
    canvas->LineTo(w - 8, y);
    canvas->Brush.Color = clWindow;
    canvas->Brush.Style = bsSolid;
    canvas->Polygon({TPoint(w - 8, y), TPoint(w, y + 8), TPoint(w - 8, y + 8)});
  }
  canvas->Pen.Style = psSolid;
  canvas->Brush.Style = bsClear;
}

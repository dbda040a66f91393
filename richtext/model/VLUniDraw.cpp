// Measuring, placing and drawing item text through the canvas, and the
// all-capitals form of a text.
#include "platform/gui/Graphics.h"
#include "richtext/model/VLStyle.h"
#include "richtext/model/VLUni.h"

namespace {

// 8-bit text is read in the code page of the canvas font's character set.
WideString CanvasText(TCanvas* canvas, const AnsiString& s, Byte itemOptions) {
  return VLTextToWide(s, itemOptions, CharsetToCodePage(canvas->Font.GetCharset()));
}

}  // namespace

Integer TextWidth(const AnsiString& s, TCanvas* canvas, Byte itemOptions) {
  if (s.empty()) return 0;
  return canvas->TextWidthW(CanvasText(canvas, s, itemOptions));
}

void GetTextExtentExPoint(TCanvas* canvas, const AnsiString& s, Integer maxExtent,
                          Byte itemOptions, std::vector<Integer>* dx, Integer& fit) {
  fit = 0;
  if (dx) dx->clear();
  if (s.empty()) return;
  WideString w = CanvasText(canvas, s, itemOptions);
  canvas->GetTextExtentExPoint(w, maxExtent, &fit, dx);
}

void GetTextExtentExPointPtr(TCanvas* canvas, const char* p, Integer length, Integer maxExtent,
                             Byte itemOptions, std::vector<Integer>* dx, Integer& fit) {
  const size_t bytes = size_t(length < 0 ? 0 : length) * (IsUnicodeOptions(itemOptions) ? 2 : 1);
  GetTextExtentExPoint(canvas, AnsiString(p, bytes), maxExtent, itemOptions, dx, fit);
}

bool GetCaretPositions(TCanvas* canvas, const AnsiString& s, std::vector<Integer>& positions,
                       Byte itemOptions) {
  WideString w = CanvasText(canvas, s, itemOptions);
  const size_t n = w.size();
  positions.assign(n + 1, 0);
  if (n == 0) return true;
  TCharacterPlacement placement;
  if (!canvas->GetCharacterPlacement(w, placement) || placement.Order.size() != n ||
      placement.Dx.size() != n || placement.Class.size() != n)
    return false;
  // Visual position -> logical index.
  std::vector<Integer> logical(n, -1);
  for (size_t j = 0; j < n; ++j) {
    Integer v = placement.Order[j];
    if (v < 0 || static_cast<size_t>(v) >= n || logical[size_t(v)] >= 0) return false;
    logical[size_t(v)] = static_cast<Integer>(j);
  }
  Integer x = 0;
  for (size_t v = 0; v < n; ++v) {
    const size_t j = static_cast<size_t>(logical[v]);
    const Integer width = placement.Dx[j];
    if (placement.Class[j] == GCPCLASS_HEBREW) {
      positions[j + 1] = x;
      if (j == 0) positions[0] = x + width;
    } else {
      positions[j + 1] = x + width + 1;
      if (j == 0) positions[0] = x;
    }
    x += width;
  }
  return true;
}

bool TextOutPlaced(TCanvas* canvas, Integer x, Integer y, const AnsiString& s, Byte itemOptions,
                   Integer from, Integer to, Integer height) {
  WideString w = CanvasText(canvas, s, itemOptions);
  const Integer n = static_cast<Integer>(w.size());
  if (from < 1) from = 1;
  if (to > n) to = n;
  if (n == 0 || from > to) return true;
  TCharacterPlacement placement;
  if (!canvas->GetCharacterPlacement(w, placement) || static_cast<Integer>(placement.Order.size()) != n ||
      static_cast<Integer>(placement.Dx.size()) != n)
    return false;
  std::vector<Integer> logical(size_t(n), -1);
  for (Integer j = 0; j < n; ++j) {
    Integer v = placement.Order[size_t(j)];
    if (v < 0 || v >= n || logical[size_t(v)] >= 0) return false;
    logical[size_t(v)] = j;
  }
  // Left edge of every visual position.
  std::vector<Integer> left(size_t(n) + 1, 0);
  for (Integer v = 0; v < n; ++v) left[size_t(v) + 1] = left[size_t(v)] + placement.Dx[size_t(logical[size_t(v)])];
  std::vector<bool> drawn(size_t(n), false);
  for (Integer v = 0; v < n; ++v) {
    Integer j = logical[size_t(v)];
    if (drawn[size_t(j)] || j < from - 1 || j > to - 1) continue;
    // Extend over neighbouring visual positions while they stay logically
    // consecutive and inside the range.
    Integer vEnd = v;
    Integer lo = j, hi = j;
    while (vEnd + 1 < n) {
      Integer k = logical[size_t(vEnd) + 1];
      if (k < from - 1 || k > to - 1 || drawn[size_t(k)]) break;
      if (k == hi + 1) hi = k;
      else if (k == lo - 1) lo = k;
      else break;
      ++vEnd;
    }
    for (Integer k = lo; k <= hi; ++k) drawn[size_t(k)] = true;
    const Integer runLeft = x + left[size_t(v)];
    const Integer runWidth = left[size_t(vEnd) + 1] - left[size_t(v)];
    std::vector<Integer> dx;
    for (Integer k = lo; k <= hi; ++k) dx.push_back(placement.Dx[size_t(k)]);
    const TRect clip(runLeft, y, runLeft + runWidth, y + height);
    canvas->ExtTextOut(runLeft, y, ETO_OPAQUE | ETO_CLIPPED, &clip,
                       w.substr(size_t(lo), size_t(hi - lo + 1)), dx.data());
  }
  return true;
}

bool TryTextOutPlaced(bool enabled, TCanvas* canvas, Integer x, Integer y, const AnsiString& s,
                      Byte itemOptions, Integer from, Integer to, Integer height) {
  if (!enabled) return false;
  return TextOutPlaced(canvas, x, y, s, itemOptions, from, to, height);
}

void ApplyAllCaps(const AnsiString& s, const TFontInfo& textStyle, AnsiString& r) {
  if (!textStyle.StyleEx.Contains(vlfsAllCaps)) {
    r = s;
    return;
  }
  r = VLUpperCase(s, textStyle.Unicode ? vlioUnicodeBit : 0, CharsetToCodePage(textStyle.Charset));
}

// Point to document position, from the draw items alone.
#include "richtext/model/VLUni.h"
#include "richtext/view/VLFormattedDataState.h"

#include <algorithm>

namespace {

bool Contains(const TVLDrawLineInfo* d, Integer x, Integer y) {
  return d->Left <= x && x < d->Left + d->Width && d->Top <= y && y <= d->Top + d->Height;
}

}  // namespace

void TCustomVLFormattedData::FindDrawItemForSel(Integer x, Integer y, Integer& drawItemNo, Integer& offs,
                                                bool strict) {
  drawItemNo = -1;
  offs = -1;
  const Integer count = DrawItems.Count();
  if (count == 0) return;
  Integer first = 0, last = 0;
  if (y < DrawItems[0]->Top + DrawItems[0]->Height) {
    GetLineBounds(0, first, last);
  } else {
    Integer lo = 1, hi = count - 1, m = 0;
    while (lo <= hi) {
      const Integer mid = (lo + hi) / 2;
      if (DrawItems[mid]->Top <= y) {
        m = mid;
        lo = mid + 1;
      } else {
        hi = mid - 1;
      }
    }
    GetLineBounds(m, first, last);
    if (last + 1 < count) {
      Integer nf, nl;
      GetLineBounds(last + 1, nf, nl);
      for (Integer i = nf; i <= nl; ++i)
        if (DrawItems[i]->Top <= y) {
          first = nf;
          last = nl;
          break;
        }
    }
  }
  const TVLBiDiMode paraMode = ParaBiDi(DrawItems[first]->ItemNo);
  const bool rtl = paraMode == vlbdRightToLeft;
  std::vector<Integer> line;
  for (Integer i = first; i <= last; ++i) line.push_back(i);
  if (paraMode != vlbdUnspecified)
    std::stable_sort(line.begin(), line.end(), [this](Integer a, Integer b) {
      return CompareDrawItemsLeft(DrawItems[a], DrawItems[b]) < 0;
    });
  Integer chosen = -1;
  if (strict) {
    for (Integer i : line)
      if (Contains(DrawItems[i], x, y)) {
        chosen = i;
        break;
      }
    if (chosen < 0) return;
  } else {
    // Left to right along the line: the piece at x, the leftmost one for a
    // point left of the line and the rightmost for a point right of it.
    chosen = line.front();
    for (Integer i : line)
      if (DrawItems[i]->Left <= x) chosen = i;
  }
  const TVLDrawLineInfo* d = DrawItems[chosen];
  const Integer styleNo = GetItemStyle(d->ItemNo);
  if (styleNo < 0) {
    // Below the document's last line the caret goes after an object there:
    // typing beneath a closing table must not land before the table.
    const bool belowEnd = last == count - 1 && y >= d->Top + d->Height;
    const bool rightHalf = x >= d->Left + d->Width / 2;
    offs = belowEnd || rightHalf != rtl ? 1 : 0;
  } else {
    TVLStyle* style = GetStyle();
    TCanvas* canvas = GetCanvas();
    ResetMeasuring();
    const TVLBiDiMode itemMode = VLGetItemBiDiMode(*Items, style, d->ItemNo, GetBiDiMode());
    const TVLMeasuredText& measured = MeasureItemText(canvas, d->ItemNo);
    const std::u16string_view text = measured.Text;
    const Integer from = d->TextOffset - 1;
    const Integer dx = x - d->Left - d->JustifyExtra;
    Integer pos = 0;
    bool placed = false;
    if (itemMode != vlbdUnspecified && d->Length > 0) {
      std::vector<Integer> carets;
      const AnsiString piece = WideStringToRawUnicode(WideString(text.substr(static_cast<size_t>(from), static_cast<size_t>(d->Length))));
      UseTextStyle(canvas, styleNo, itemMode);
      if (GetCaretPositions(canvas, piece, carets, vlioUnicodeBit)) {
        Integer best = -1;
        for (Integer k = 0; k <= d->Length && k < static_cast<Integer>(carets.size()); ++k) {
          const Integer dist = std::abs(dx - carets[static_cast<size_t>(k)]);
          if (best < 0 || dist < best) {
            best = dist;
            pos = k;
          }
        }
        placed = best >= 0;
      }
    }
    if (!placed) {
      const std::span<const Integer> e = measured.Extents;
      const Integer base = from > 0 && from <= static_cast<Integer>(e.size()) ? e[static_cast<size_t>(from - 1)] : 0;
      Integer best = std::abs(x - d->Left);
      pos = 0;
      for (Integer k = 1; k <= d->Length && from + k - 1 < static_cast<Integer>(e.size()); ++k) {
        const Integer dist = std::abs(dx - (e[static_cast<size_t>(from + k - 1)] - base));
        if (dist < best) {
          best = dist;
          pos = k;
        }
      }
    }
    // Never inside a character of several units.
    while (pos > 0 && pos < d->Length) {
      const char16_t c = text[static_cast<size_t>(from + pos)];
      if (!(c >= 0xDC00 && c <= 0xDFFF) && !IsCombiningMark(c)) break;
      ++pos;
    }
    offs = std::min(pos + 1, d->Length + 1);
    if (d->Length > 0) offs = std::max(offs, 1);
  }
  drawItemNo = chosen;
  if (!strict && styleNo == vlsListMarker && chosen + 1 < count) {
    drawItemNo = chosen + 1;
    offs = GetOffsBeforeDrawItem(drawItemNo);
  }
}

Integer TCustomVLFormattedData::FindDrawItemAtPoint(Integer x, Integer y) {
  const Integer count = DrawItems.Count();
  if (count == 0) return -1;
  // The first line's bottom row is the top row of a line starting there:
  // that one's, as for every other line.
  if (Contains(DrawItems[0], x, y) && (count == 1 || y < DrawItems[0]->Top + DrawItems[0]->Height)) return 0;
  if (count == 1) return -1;
  Integer lo = 0, hi = count - 1, m = 0;
  while (lo <= hi) {
    const Integer mid = (lo + hi) / 2;
    if (DrawItems[mid]->Top <= y) {
      m = mid;
      lo = mid + 1;
    } else {
      hi = mid - 1;
    }
  }
  // Pieces of earlier lines that reach down to this one, then forward over
  // the pieces that start at or above y.
  Integer start = m;
  while (start > 0 && DrawItems[start - 1]->Top + DrawItems[start - 1]->Height > DrawItems[m]->Top) --start;
  // Pieces of one line need not start at its top (text beside a tall
  // picture sits lower): the search ends at a line that lies wholly below y.
  for (Integer i = start; i < count; ++i) {
    if (i > m && DrawItems[i]->StartsNewLine) {
      Integer top = DrawItems[i]->Top;
      for (Integer j = i + 1; j < count && !DrawItems[j]->StartsNewLine; ++j) top = std::min(top, DrawItems[j]->Top);
      if (top > y) break;
    }
    if (Contains(DrawItems[i], x, y)) return i;
  }
  return -1;
}

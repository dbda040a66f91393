// Tables on paper: the layout on paper, where the page breaks fall and how
// one page's rows are drawn.
#include "richtext/table/VLTablePrint.h"

#include "richtext/model/VLClasses.h"
#include "richtext/model/VLFuncs.h"
#include "richtext/table/VLTable.h"
#include "richtext/view/VLPrint.h"

#include <cstdint>
#include <limits>
#include <numeric>
#include <unordered_map>

// ---- row groups and heading rows ----------------------------------------------------

bool TVLTableItemInfo::CanRepeatHeadingRows() const {
  const Integer h = std::min(HeadingRowCount, RowCount());
  if (h <= 0) return false;
  for (Integer c = 0; c < ColCount(); ++c) {
    Integer mr, mc;
    const TVLTableCellData* cell = Rows.GetMainCell(h - 1, c, mr, mc);
    if (cell && mr + cell->RowSpan > h) return false;
  }
  return true;
}

Integer TVLTableItemInfo::GetLastRowOfGroup(Integer row) const {
  Integer r = row;
  for (;;) {
    if (r >= RowCount() - 1) return r;
    bool grew = false;
    for (Integer c = ColCount() - 1; c >= 0; --c) {
      Integer mr, mc;
      const TVLTableCellData* cell = Rows.GetMainCell(r, c, mr, mc);
      if (!cell) continue;
      if (mr + cell->RowSpan - 1 > r) {
        r = mr + cell->RowSpan - 1;
        grew = true;
        break;
      }
      c = mc;
    }
    if (!grew) return r;
  }
}

Integer TVLTableItemInfo::GetFirstRowOfGroup(Integer row) const {
  for (;;) {
    if (row < 1) return row;
    bool moved = false;
    for (Integer c = ColCount() - 1; c >= 0; --c) {
      Integer mr, mc;
      const TVLTableCellData* cell = Rows.GetMainCell(row, c, mr, mc);
      if (!cell) continue;
      if (mr < row) {
        row = mr;
        moved = true;
        break;
      }
      c = mc;
    }
    if (!moved) return row;
  }
}

// ---- the printed document of a cell ------------------------------------------------------

TCellPtblVLData::TCellPtblVLData(TVLTableCellData* cell, TCustomPrintableVLData* parent,
                                 const TVLScreenAndDevice& sad)
    : TVLRectPrintableData(cell, parent), Cell(cell), Sad(sad) {
  // The table paints the cell's colour and picture under the content.
  Color = clNone;
  Transparent = cell->Color == clNone;
}

TCellPtblVLData::~TCellPtblVLData() {
  if (ExtentsCache.Wipe) ExtentsCache.Clear();
}

void TCellPtblVLData::DrawPageBackground(Integer x, Integer y, TBitmap& bitmap, const TVLScreenAndDevice& sad,
                                         Integer layer, bool fromItem) {
  if (fromItem) CurrentItemOffset(sad, x, y);
  const TRect all(0, 0, bitmap.GetWidth(), bitmap.GetHeight());
  const TColor para = CurrentParaColor();
  if (para != clNone) {
    FillBackground(bitmap.Canvas(), all, ApplyColorModeBack(para, GetColorMode()));
  } else {
    // What the table's document shows there: its page and the table.
    Parent->DrawPageBackground(x + VLToScreenX(sad, OffsetX), y + VLToScreenY(sad, OffsetY), bitmap, sad, -1, false);
    // The cell's own colour and picture over it.
    const TRect cell = Bounds(VLToScreenX(sad, CellRect.Left) - x, VLToScreenY(sad, CellRect.Top) - y,
                              VLToScreenX(sad, CellRect.Width()), VLToScreenY(sad, CellRect.Height()));
    const TRect part(std::max(cell.Left, 0), std::max(cell.Top, 0), std::min(cell.Right, all.Right),
                     std::min(cell.Bottom, all.Bottom));
    if (part.Right > part.Left && part.Bottom > part.Top) {
      if (Cell->Color != clNone) FillBackground(bitmap.Canvas(), part, ApplyColorModeBack(Cell->Color, GetColorMode()));
      if (TVLBackground* back = Cell->GetBackground(); back && back->GetBitmap() && !back->GetBitmap()->GetEmpty())
        back->Draw(bitmap.Canvas(), part, 0, 0, cell.Left, cell.Top, cell.Width(), cell.Height(), clNone, true);
    }
  }
  DrawItemBackground(x, y, bitmap, sad, layer);
}

void TCellPtblVLData::DrawHyperlink(TCustomVLData* source, Integer itemNo, const TRect& r) {
  const Integer left = Parent->GetPrintableAreaLeft(Parent->DrawingPageNo > 0 ? Parent->DrawingPageNo : 1) + OffsetX;
  const Integer top = Parent->GetPrintableAreaTop() + OffsetY;
  auto scale = [this](Integer v) { return MulDiv(v, ScaleNum, ScaleDen); };
  Parent->DrawHyperlink(source, itemNo,
                        Bounds(left + scale(r.Left - Left), top + scale(r.Top - Top), scale(r.Width()), scale(r.Height())));
}

// ---- the printing record and the layout on paper ----------------------------------------

std::unique_ptr<TVLDrawLineInfo> TVLTableItemInfo::CreateDrawLineInfo(const TVLScreenAndDevice& sad) {
  auto d = std::make_unique<TVLTablePrintInfo>(this, sad);
  d->HeadingCount = HeadingRowCount;
  d->RepeatHeading = CanRepeatHeadingRows();
  return d;
}

TVLTablePrintInfo::TVLTablePrintInfo(TVLTableItemInfo* table, const TVLScreenAndDevice& sad)
    : Table(table), Sad(sad), PaperSad(sad) {}

TVLTablePrintInfo::~TVLTablePrintInfo() = default;

namespace {

// Nothing to print: no items, or one empty text item.
bool EmptyContent(const TVLTableCellData& cell) {
  const Integer n = cell.GetItemCount();
  return n == 0 || (n == 1 && cell.GetItemStyle(0) >= 0 && cell.ItemTextRef(0).empty());
}

// The ratio num / den of a resolution scaled by mul / div, kept small
// enough to be scaled again: a table nested in a fitted table is fitted in
// turn, and the exact fraction would grow past an Integer a few levels in.
void Scale(Integer& num, Integer& den, Integer mul, Integer div) {
  int64_t n = static_cast<int64_t>(num) * mul, d = static_cast<int64_t>(den) * div;
  const int64_t g = std::gcd(n, d);
  if (g > 1) n /= g, d /= g;
  constexpr int64_t kMost = int64_t{1} << 20;
  if (const int64_t m = std::max(n, d); m > kMost) {
    n = std::max<int64_t>(1, (n * kMost + m / 2) / m);
    d = std::max<int64_t>(1, (d * kMost + m / 2) / m);
  }
  num = static_cast<Integer>(n);
  den = static_cast<Integer>(d);
}

// A cell's printed document laid out at a content width.
void LayOutCell(TCellPtblVLData& data, Integer width, TCanvas* canvas) {
  if (TVLTableItemInfo* table = data.Cell->GetTable()) ++table->PaperCellFormatCount;
  data.Width = std::max<Integer>(1, width);
  data.Height = 1;
  data.Format(false, true, false, 0, canvas, false, false);
}

// The width a cell's printed lines take, from the leftmost to the
// rightmost and at least its content width: a letter, a list marker or a
// nested table wider than the column goes past its right side, a letter
// in a right-aligned line past its left.
Integer Reach(TCellPtblVLData& data) {
  Integer left = data.GetLeftMargin(), right = left + data.DocumentWidth;
  for (Integer i = 0; i < data.DrawItems.Count(); ++i) {
    const TVLDrawLineInfo& d = *data.DrawItems[i];
    left = std::min(left, d.Left);
    right = std::max(right, d.Left + d.Width);
  }
  return right - left;
}

Integer Overflow(TCellPtblVLData& data) { return Reach(data) - data.DocumentWidth; }

// The width the tables of a cell's document ask for to keep their words
// whole, with their paragraphs' indents.
Integer TablesFloor(TCellPtblVLData& data) {
  Integer best = 0;
  for (Integer i = 0; i < data.DrawItems.Count(); ++i)
    if (auto* t = dynamic_cast<const TVLTablePrintInfo*>(data.DrawItems[i]); t && t->LaidOut) {
      Integer paraStart = -1;
      const Integer indents = MulDiv(data.GetHorzIndents(t->ItemNo, paraStart), data.Sad.ppixDevice, data.Sad.ppixScreen);
      best = std::max(best, t->WordsFloor + indents);
    }
  return best;
}

TCellPaperMeasuresKey MeasuresKey(const TCellPtblVLData& data, Integer width) {
  return {data.Cell, width, data.Sad.ppixDevice, data.Sad.ppixScreen, data.Sad.ppiyDevice, data.Sad.ppiyScreen};
}

}  // namespace

void TVLTablePrintInfo::LayOut(TCell& k, Integer width, TCanvas* canvas) {
  width = std::max<Integer>(1, width);
  if (k.LaidAt == width) return;
  LayOutCell(*k.Data, width, canvas);
  k.LaidAt = width;
  Measures->insert_or_assign(MeasuresKey(*k.Data, width),
                             TCellPaperMeasures{Reach(*k.Data), Overflow(*k.Data), TablesFloor(*k.Data)});
}

TCellPaperMeasures TVLTablePrintInfo::Measure(TCell& k, Integer width, TCanvas* canvas) {
  width = std::max<Integer>(1, width);
  if (k.LaidAt != width) {
    if (const auto it = Measures->find(MeasuresKey(*k.Data, width)); it != Measures->end()) return it->second;
    LayOut(k, width, canvas);
  }
  return {Reach(*k.Data), Overflow(*k.Data), TablesFloor(*k.Data)};
}

void TVLTablePrintInfo::WidenNarrowColumns(TCanvas* canvas) {
  const Integer R = Table->RowCount(), C = Cols;
  const auto each = [&](auto&& f) {
    for (Integer r = 0; r < R; ++r)
      for (Integer c = 0; c < C; ++c)
        if (TCell& k = Cells[static_cast<size_t>(r) * static_cast<size_t>(C) + static_cast<size_t>(c)]; k.Data)
          f(k, c, k.Data->Cell->ColSpan);
  };
  // Each column's width on paper; a column of merged cells alone has the
  // width between its neighbours (it gives and takes as the others, so a
  // merged cell over such columns gets room for its words).
  std::vector<Integer> width(static_cast<size_t>(C), -1), floor(static_cast<size_t>(C), 2 * PadX + 1);
  for (Integer r = 0; r < R; ++r)
    for (Integer c = 0; c < C; ++c)
      if (const TVLTableCellData* cell = Table->Rows.GetRow(r)->GetCell(c); cell && cell->ColSpan == 1)
        width[static_cast<size_t>(c)] = std::max(width[static_cast<size_t>(c)], CellAt(r, c).Rect.Width());
  for (size_t j = 0; j < width.size() && j + 1 < Formatting.ColStarts.size(); ++j)
    if (width[j] < 0)
      width[j] = std::max<Integer>(1, Formatting.ColStarts[j + 1] - Formatting.ColStarts[j] - LenX(Table->CellHSpacing));
  // Each cell's widest word with its list marker and indents, at the
  // printer's resolution (its text is measured already: cheap), or the
  // floor of a table in it. Nothing to do while every cell holds its words
  // and its lines.
  std::unordered_map<const TCellPtblVLData*, Integer> words;
  std::vector<Integer> columnWords(static_cast<size_t>(C), 0);
  bool needed = false, overflows = false;
  Integer mergedLack = 0;
  each([&](TCell& k, Integer c, Integer span) {
    TVLResolutionInfo res;
    k.Data->GetResolutionInfo(canvas, res);
    Integer paraStart = 0;
    const TCellPaperMeasures m = Measure(k, k.Rect.Width() - 2 * PadX, canvas);
    const Integer w =
        std::max(k.Data->CalculateMinItemsWidthEx(0, k.Data->GetItemCount() - 1, canvas, &res, paraStart), m.TablesFloor) +
        2 * PadX;
    words[k.Data.get()] = w;
    if (span == 1) columnWords[static_cast<size_t>(c)] = std::max(columnWords[static_cast<size_t>(c)], w);
    overflows = overflows || m.Overflow > 0;
    needed = needed || w > k.Rect.Width();
  });
  // The table's own floor, which the column holding it asks for.
  WordsFloor = Formatting.Width;
  for (size_t j = 0; j < width.size(); ++j)
    if (width[j] >= 0) WordsFloor += columnWords[j] - width[j];
  each([&](TCell& k, Integer c, Integer span) {
    if (span == 1) return;
    Integer room = k.Rect.Width();
    for (Integer j = c; j < std::min(c + span, C); ++j)
      if (const size_t i = static_cast<size_t>(j); width[i] >= 0) room += columnWords[i] - width[i];
    mergedLack = std::max(mergedLack, words[k.Data.get()] - room);
  });
  // (And a pixel a column: laid out at another width, its lengths scaled
  // anew may round up.)
  WordsFloor += mergedLack + C + 1;
  needed = needed || overflows;
  if (!needed) return;
  // Each column's floor: its cells laid out at the narrowest width, a
  // letter or marker a line, are as wide as their widest; above it the
  // width that keeps its words whole.
  const std::vector<Integer> startWidth = width;
  std::vector<TRect> startRects;
  for (const TCell& k : Cells) startRects.push_back(k.Rect);
  std::vector<Integer> whole(floor);
  std::vector<bool> holds(static_cast<size_t>(C), false);
  each([&](TCell& k, Integer c, Integer span) {
    bool table = false;
    for (Integer i = 0; i < k.Data->GetItemCount() && !table; ++i)
      table = dynamic_cast<TVLTableItemInfo*>(k.Data->GetItem(i)) != nullptr;
    for (Integer i = c; table && i < std::min(c + span, C); ++i) holds[static_cast<size_t>(i)] = true;
    if (span != 1) return;
    const size_t j = static_cast<size_t>(c);
    floor[j] = std::max(floor[j], Measure(k, 1, canvas).Reach + 2 * PadX);
    whole[j] = std::max(whole[j], words[k.Data.get()]);
  });
  // The words are kept whole as far as the line holds them (the table
  // grows up to it for them): where it cannot, the columns whose words ask
  // most are let down to their letters first, those holding tables last.
  const Integer grow = std::max<Integer>(0, LineWidth - Formatting.Width);
  Integer total = 0, asked = 0;
  std::vector<size_t> most;
  for (size_t j = 0; j < width.size(); ++j) {
    if (width[j] < 0) continue;
    whole[j] = std::max(whole[j], floor[j]);
    total += width[j];
    asked += whole[j];
    most.push_back(j);
  }
  std::stable_sort(most.begin(), most.end(),
                   [&](size_t a, size_t b) { return holds[a] != holds[b] ? holds[b] : whole[a] > whole[b]; });
  for (size_t j : most) {
    if (asked <= total + grow) break;
    asked -= whole[j] - floor[j];
    whole[j] = floor[j];
  }
  const std::vector<Integer> letters = floor;
  for (size_t j = 0; j < width.size(); ++j) floor[j] = std::max(floor[j], whole[j]);
  // The narrow columns are widened to their floors, taking the width from
  // the others' room above theirs in proportion to it; the table grows
  // only by what that room cannot give. A merged cell, or a cell whose
  // layout the floor did not foresee, raises its last column's floor and
  // the columns are shared again.
  const auto share = [&](bool forWords) {
    std::vector<Integer> moved(static_cast<size_t>(C) + 1, 0);
    for (int round = 0; round < 4; ++round) {
      Integer need = 0, room = 0;
      for (Integer c = 0; c < C; ++c) {
        const size_t j = static_cast<size_t>(c);
        if (width[j] < 0) continue;
        need += std::max<Integer>(0, floor[j] - width[j]);
        room += std::max<Integer>(0, width[j] - floor[j]);
      }
      Integer give = std::min(need, room), roomLeft = room;
      std::vector<Integer> shift(static_cast<size_t>(C) + 1, 0);
      for (Integer c = 0; c < C; ++c) {
        const size_t j = static_cast<size_t>(c);
        Integer delta = 0;
        if (width[j] >= 0 && floor[j] > width[j]) {
          delta = floor[j] - width[j];
        } else if (width[j] >= 0 && width[j] > floor[j]) {
          const Integer own = width[j] - floor[j];
          const Integer part =
              own == roomLeft ? give : static_cast<Integer>(static_cast<int64_t>(own) * give / roomLeft);
          delta = -part;
          give -= part;
          roomLeft -= own;
        }
        if (width[j] >= 0) width[j] += delta;
        shift[j + 1] = shift[j] + delta;
        moved[j + 1] += shift[j + 1];
      }
      for (Integer r = 0; r < R; ++r)
        for (Integer c = 0; c < C; ++c) {
          const TVLTableCellData* cell = Table->Rows.GetRow(r)->GetCell(c);
          if (!cell) continue;
          TCell& k = Cells[static_cast<size_t>(r) * static_cast<size_t>(C) + static_cast<size_t>(c)];
          k.Rect.Left += shift[static_cast<size_t>(c)];
          k.Rect.Right += shift[static_cast<size_t>(std::min(c + cell->ColSpan, C))];
        }
      bool again = false;
      each([&](TCell& k, Integer c, Integer span) {
        const Integer over = Measure(k, k.Rect.Width() - 2 * PadX, canvas).Overflow;
        const size_t last = static_cast<size_t>(std::min(c + span, C) - 1);
        if (width[last] < 0) return;
        // A merged cell short of its words takes what the table has left:
        // its columns' floors together come to them.
        Integer lack = 0;
        if (forWords && span != 1 && words[k.Data.get()] > k.Rect.Width()) {
          Integer atFloors = k.Rect.Width();
          for (Integer j = c; j < std::min(c + span, C); ++j)
            if (const size_t i = static_cast<size_t>(j); width[i] >= 0) atFloors -= width[i] - floor[i];
          lack = std::min(words[k.Data.get()] - atFloors, total + grow - asked);
        }
        if (over == 0 && lack <= 0) return;
        const Integer before = floor[last];
        floor[last] = std::max({floor[last], width[last] + over, floor[last] + lack});
        asked += floor[last] - before;
        again = true;
      });
      if (!again) break;
    }
    return moved;
  };
  std::vector<Integer> moved = share(true);
  // Where the words' widths leave a cell that outgrows its column (a
  // picture or a table laid out wider than foreseen) and the table would
  // grow past the line, only the letters are held, as they were.
  if (moved.back() > grow) {
    for (size_t i = 0; i < Cells.size(); ++i) Cells[i].Rect = startRects[i];
    width = startWidth;
    floor = letters;
    if (overflows) {
      moved = share(false);
    } else {
      std::fill(moved.begin(), moved.end(), 0);
    }
  }
  for (size_t j = 0; j < Formatting.ColStarts.size() && j < moved.size(); ++j) Formatting.ColStarts[j] += moved[j];
  Formatting.Width += moved.back();
}

void TVLTablePrintInfo::LayOutForPrinting(TCustomVLData* printData, TCanvas* canvas, Integer lineWidth) {
  auto* doc = dynamic_cast<TCustomPrintableVLData*>(printData);
  const TVLTableItemFormattingInfo& S = Table->FormattingInfo;
  const Integer R = Table->RowCount(), C = Table->ColCount();
  LaidOut = false;
  WordsFloor = 0;
  Cells.clear();
  if (!doc || Table->Rows.IsEmpty() || static_cast<Integer>(S.RowStarts.size()) != R + 1 ||
      static_cast<Integer>(S.ColStarts.size()) != C + 1 || Sad.ppixScreen <= 0 || Sad.ppiyScreen <= 0)
    return;
  // A table wider than the line is fitted to it: its columns and lengths
  // shrink, the text in its cells keeps its size.
  PaperSad = Sad;
  LineWidth = lineWidth;
  const Integer full = MulDiv(S.Width, Sad.ppixDevice, Sad.ppixScreen);
  if (lineWidth > 0 && full > lineWidth) {
    Scale(PaperSad.ppixDevice, PaperSad.ppixScreen, lineWidth, full);
    Scale(PaperSad.ppiyDevice, PaperSad.ppiyScreen, lineWidth, full);
  }
  const Integer cb = Table->CellBorderWidth;
  // Columns' text keeps a gap on paper, padding or not: a letter or word
  // running to its cell's edge would join the next column's first word.
  // (A point of the canvas the text is measured on: the lengths of a
  // nested table are scaled, its text is not; more would crowd tables
  // nested deep out of the line.)
  PadX = std::max(LenX(Table->CellPadding), canvas ? MulDiv(canvas->GetPixelsPerInch(), 1, 72) : 0);
  PadY = LenY(Table->CellPadding);
  RowExtra = 2 * PadY + LenY(cb);
  Formatting.Clear();
  Formatting.ColStarts.reserve(S.ColStarts.size());
  for (Integer v : S.ColStarts) Formatting.ColStarts.push_back(LenX(v));
  Formatting.Width = LenX(S.Width);

  // Each cell laid out again on the printer's canvas at its width on paper
  // (measured at widths tried; laid out at the one it keeps).
  if (const auto* holder = dynamic_cast<const TCellPtblVLData*>(doc); holder && holder->Measures)
    Measures = holder->Measures;
  else
    Measures = std::make_shared<TCellPaperMeasuresCache>();
  Cols = C;
  Cells.resize(static_cast<size_t>(R) * static_cast<size_t>(C));
  std::unordered_map<const TVLTableCellData*, Integer> heights;
  for (Integer r = 0; r < R; ++r)
    for (Integer c = 0; c < C; ++c) {
      TVLTableCellData* cell = Table->Rows.GetRow(r)->GetCell(c);
      if (!cell) continue;
      TCell& k = Cells[static_cast<size_t>(r) * static_cast<size_t>(C) + static_cast<size_t>(c)];
      const Integer left = LenX(cell->Left);
      k.Rect = TRect(left, 0, LenX(cell->Left + cell->Width), 0);
      if (cell->RowSpan != 1 || cell->ColSpan != 1 || !EmptyContent(*cell)) {
        k.Data = std::make_unique<TCellPtblVLData>(cell, doc, PaperSad);
        // A secret document's cells are measured as secret too.
        if (doc->IsSensitive()) k.Data->ExtentsCache.Wipe = true;
        k.Data->Measures = Measures;
        Measure(k, k.Rect.Width() - 2 * PadX, canvas);
      }
    }
  WidenNarrowColumns(canvas);
  for (TCell& k : Cells)
    if (k.Data) LayOut(k, k.Rect.Width() - 2 * PadX, canvas);
  for (Integer r = 0; r < R; ++r)
    for (Integer c = 0; c < C; ++c) {
      TVLTableCellData* cell = Table->Rows.GetRow(r)->GetCell(c);
      if (!cell) continue;
      const TCell& k = CellAt(r, c);
      const Integer content = k.Data ? k.Data->DocumentHeight : LenY(cell->ContentHeight());
      heights[cell] = std::max(content, LenY(cell->BestHeight));
    }
  Table->LayOutRowHeights({PadY, LenY(cb), LenY(Table->CellVSpacing), LenY(Table->BorderWidth),
                           LenY(Table->BorderVSpacing), LenY(10)},
                          [&heights](const TVLTableCellData& cell) {
                            const auto it = heights.find(&cell);
                            return it == heights.end() ? 0 : it->second;
                          },
                          Formatting);
  for (Integer r = 0; r < R; ++r)
    for (Integer c = 0; c < C; ++c) {
      TVLTableCellData* cell = Table->Rows.GetRow(r)->GetCell(c);
      if (!cell) continue;
      TCell& k = Cells[static_cast<size_t>(r) * static_cast<size_t>(C) + static_cast<size_t>(c)];
      const Integer last = std::min(r + cell->RowSpan, R) - 1;
      k.Rect.Top = RowTop(r);
      k.Rect.Bottom = RowTop(last) + Formatting.RowHeights[static_cast<size_t>(last)] + 2 * PadY;
    }
  LaidOut = true;
  Width = Formatting.Width;
  Height = Formatting.Height;
}

Integer TVLTablePrintInfo::ExtraHeight() const {
  const Integer R = RowCount();
  if (R == 0) return TableHeight();
  return RowTop(HeadingRows()) + TableHeight() - RowBottom(R - 1);
}

bool TVLTablePrintInfo::InitSplit() {
  PartsList.clear();
  const Integer R = RowCount();
  if (R == 0 || !Table->PrintOptions.Contains(vltoRowsSplit)) return false;
  if (RepeatHeading && HeadingCount >= R) return false;
  auto part = std::make_unique<TVLTablePrintPart>();
  part->FirstRow = std::min(HeadingRows(), R);
  part->RowCount = R - part->FirstRow;
  part->Height = TableHeight();
  PartsList.push_back(std::move(part));
  return true;
}

bool TVLTablePrintInfo::CanSplitFirst(Integer height) {
  const Integer R = RowCount(), h = HeadingRows();
  if (R == 0 || h >= R) return false;
  const Integer y = height - ExtraHeight() + RowTop(h);
  return y > RowBottom(Table->GetLastRowOfGroup(h));
}

bool TVLTablePrintInfo::SplitAt(Integer height) {
  if (PartsList.empty()) throw EVellumError(errVLInternalPrint);
  TVLTablePrintPart& p = *PartsList.back();
  const Integer R = RowCount(), h = HeadingRows();
  if (p.RowCount < 1 || p.Height <= height) return false;
  if (h >= R) return false;
  const Integer e = ExtraHeight();
  const Integer start = p.Reach >= 0 ? p.Reach : RowTop(p.FirstRow);
  const Integer y = height - e + start;
  // The first row past the first that does not end above y.
  const Integer end = p.FirstRow + p.RowCount;
  Integer k = 1;
  while (k < p.RowCount && RowBottom(p.FirstRow + k) < y) ++k;
  Integer b = end;
  if (k < p.RowCount) {
    b = Table->GetFirstRowOfGroup(p.FirstRow + k);
    if (b <= p.FirstRow) b = Table->GetLastRowOfGroup(p.FirstRow) + 1;
  }
  auto next = std::make_unique<TVLTablePrintPart>();
  if (b < end && RowBottom(b - 1) <= y) {
    // Between rows.
    p.RowCount = b - p.FirstRow;
    p.Height = RowBottom(b - 1) + e - start;
    next->FirstRow = b;
    next->Height = RowBottom(R - 1) + e - RowTop(b);
  } else {
    // A row group taller than the page goes on over the next pages: each
    // line of its cells prints whole on the page where it ends, the lines
    // cut at y on the next, which starts at the top of the highest of them.
    const std::vector<std::pair<Integer, Integer>> lines = CellLines();
    const Integer after = p.Top >= 0 ? p.Top : kAllLinesAfter;
    Integer cut = y, first = std::numeric_limits<Integer>::max();
    bool fits = false;
    for (const auto& [top, bottom] : lines)
      if (bottom > after) {
        fits = fits || bottom <= y;
        first = std::min(first, bottom);
      }
    // A line taller than the page ends its page of its own.
    if (!fits && first != std::numeric_limits<Integer>::max()) cut = first;
    // (A line taller than half the page prints where it ends, cut there.)
    Integer reach = cut;
    for (const auto& [top, bottom] : lines)
      if (bottom > cut && top < reach && 2 * (bottom - top) <= y - start) reach = top;
    if (reach <= start) reach = cut;
    if (cut <= start) return false;
    Integer r = p.FirstRow;
    while (r + 1 < end && RowTop(r + 1) <= cut) ++r;
    p.RowCount = r - p.FirstRow + 1;
    p.Bottom = cut;
    p.Height = cut + e - start;
    next->FirstRow = Table->GetFirstRowOfGroup(std::min(r, R - 1));
    while (next->FirstRow + 1 < R && RowTop(next->FirstRow + 1) <= reach) ++next->FirstRow;
    next->Top = cut;
    next->Reach = reach;
    next->Height = RowBottom(R - 1) + e - reach;
  }
  next->RowCount = R - next->FirstRow;
  PartsList.push_back(std::move(next));
  return true;
}

namespace {

void CollectLines(const TVLTablePrintInfo& t, Integer dy, std::vector<std::pair<Integer, Integer>>& out) {
  for (const TVLTablePrintInfo::TCell& k : t.Cells) {
    if (!k.Data) continue;
    const TCellPtblVLData& data = *k.Data;
    const Integer top = dy + k.Rect.Top + t.PadY + t.ContentShift(data, k.Rect.Height());
    for (Integer i = 0; i < data.DrawItems.Count(); ++i) {
      const TVLDrawLineInfo* d = data.DrawItems[i];
      if (auto* nested = dynamic_cast<const TVLTablePrintInfo*>(d); nested && nested->LaidOut) {
        CollectLines(*nested, top + d->Top, out);
      } else if (i == 0 || d->StartsNewLine) {
        Integer from, to;
        data.LineSpan(i, from, to);
        out.emplace_back(top + from, top + to);
      }
    }
  }
}

}  // namespace

std::vector<std::pair<Integer, Integer>> TVLTablePrintInfo::CellLines() const {
  std::vector<std::pair<Integer, Integer>> lines;
  CollectLines(*this, 0, lines);
  return lines;
}

Integer TVLTablePrintInfo::ContentShift(const TCellPtblVLData& data, Integer cellHeight) const {
  const Integer room = cellHeight - 2 * PadY - data.DocumentHeight;
  switch (data.Cell->GetRealVAlign()) {
    case vlcMiddle: return std::max<Integer>(0, room / 2);
    case vlcBottom: return std::max<Integer>(0, room);
    default: return 0;
  }
}

void TVLTablePrintInfo::PrintCell(Integer row, Integer col, TCanvas* canvas, const TRect& cellRect) {
  TCellPtblVLData* data = CellAt(row, col).Data.get();
  if (!data || !Doc) return;
  const Integer shift = ContentShift(*data, cellRect.Height());
  const Integer contentTop = CellAt(row, col).Rect.Top + PadY + shift;
  data->LinesAfter = MovedLineBound(LinesAfter, -contentTop);
  data->LinesUpTo = MovedLineBound(LinesUpTo, -contentTop);
  data->Left = cellRect.Left + PadX;
  data->Top = cellRect.Top + PadY + shift;
  data->Height = std::max<Integer>(1, data->DocumentHeight);
  data->CellRect = cellRect;
  OffsetRect(data->CellRect, -data->Left, -data->Top);
  data->ScaleNum = ScaleNum;
  data->ScaleDen = ScaleDen;
  data->OffsetX = OriginX + MulDiv(data->Left, ScaleNum, ScaleDen) - Doc->GetPrintableAreaLeft(PageNo);
  data->OffsetY = OriginY + MulDiv(data->Top, ScaleNum, ScaleDen) - Doc->GetPrintableAreaTop();
  // A word wider than its column stops at the cell's edge, as on screen.
  const int saved = canvas->SaveDC();
  canvas->IntersectClipRect(cellRect.Left, cellRect.Top, cellRect.Right, cellRect.Bottom);
  data->DrawPage(PageNo, canvas, Preview, Correction);
  canvas->RestoreDC(saved);
}

// ---- what the painter takes on paper -------------------------------------------------------

const TVLTableItemFormattingInfo& TVLTableItemInfo::PaintFormatting() const {
  return FPrinting ? FPrinting->Formatting : FormattingInfo;
}

TRect TVLTableItemInfo::PaintCellRect(const TVLTableCellData& cell, Integer row, Integer col) const {
  if (FPrinting) return FPrinting->CellAt(row, col).Rect;
  return TRect(cell.Left, cell.Top, cell.Left + cell.Width, cell.Top + cell.Height);
}

Integer TVLTableItemInfo::PaintLenX(Integer v) const { return FPrinting ? FPrinting->LenX(v) : v; }

Integer TVLTableItemInfo::PaintLenY(Integer v) const { return FPrinting ? FPrinting->LenY(v) : v; }

void TVLTableItemInfo::PaintPicture(TVLBackground& back, TCanvas* canvas, const TRect& part, const TRect& whole) const {
  // On paper a tiled picture keeps its size in inches.
  if (FPrinting) back.Print(canvas, part, whole, FPrinting->PaperSad, clNone);
  else back.Draw(canvas, part, 0, 0, whole.Left, whole.Top, whole.Width(), whole.Height(), clNone, true);
}

bool TVLTableItemInfo::PrintCellContent(Integer row, Integer col, TCanvas* canvas, const TRect& cellRect) {
  if (!FPrinting) return false;
  FPrinting->PrintCell(row, col, canvas, cellRect);
  return true;
}

// ---- drawing on paper -------------------------------------------------------------------

namespace {

// While one lives, the canvas's origin lies at (x, y) of its present
// coordinates and one unit is num / den of them (a preview's own mapping
// kept).
class TTableMapping {
public:
  TTableMapping(TCanvas* canvas, Integer x, Integer y, Integer numX, Integer denX, Integer numY, Integer denY)
      : C(canvas), Saved(canvas->SaveDC()), Ppi(canvas->GetPixelsPerInch()) {
    TSize we{1, 1}, ve{1, 1};
    if (canvas->GetMapMode() == MM_ANISOTROPIC) {
      canvas->SetWindowExtEx(1, 1, &we);
      canvas->SetViewportExtEx(1, 1, &ve);
      if (we.cx == 0 || we.cy == 0) we = TSize{1, 1};
    }
    const TPoint wo = canvas->GetWindowOrgEx(), vo = canvas->GetViewportOrgEx();
    canvas->SetMapMode(MM_ANISOTROPIC);
    canvas->SetWindowOrgEx(0, 0);
    // A preview's own mapping times the scale can pass 32 bits: the ratios
    // are reduced first.
    auto fit = [](int64_t window, int64_t viewport) {
      const int64_t g = std::gcd(window, viewport);
      if (g > 1) window /= g, viewport /= g;
      while (std::max(std::abs(window), std::abs(viewport)) > std::numeric_limits<int32_t>::max() / 2)
        window /= 2, viewport /= 2;
      return std::pair<Integer, Integer>(static_cast<Integer>(window ? window : 1), static_cast<Integer>(viewport));
    };
    const auto [wx, vx] = fit(int64_t{we.cx} * denX, int64_t{ve.cx} * numX);
    const auto [wy, vy] = fit(int64_t{we.cy} * denY, int64_t{ve.cy} * numY);
    canvas->SetWindowExtEx(wx, wy);
    canvas->SetViewportExtEx(vx, vy);
    canvas->SetViewportOrgEx(vo.X + MulDiv(x - wo.X, ve.cx, we.cx), vo.Y + MulDiv(y - wo.Y, ve.cy, we.cy));
  }
  ~TTableMapping() {
    C->RestoreDC(Saved);
    C->SetPixelsPerInch(Ppi);
  }
  TTableMapping(const TTableMapping&) = delete;
  TTableMapping& operator=(const TTableMapping&) = delete;

private:
  TCanvas* C;
  int Saved;
  Integer Ppi;
};

}  // namespace

void TVLTableItemInfo::Print(TCanvas* canvas, Integer x, Integer y, Integer /*x2*/, bool preview, bool correctY,
                             const TVLScreenAndDevice& sad, TCustomVLData* vlData, TVLColorMode colorMode) {
  if (!canvas) return;
  const TCanvasToolsKeeper keep(canvas);
  auto* doc = dynamic_cast<TCustomPrintableVLData*>(vlData);
  TVLTablePrintInfo* info = nullptr;
  if (doc && doc->CurrentDrawItemNo >= 0 && doc->CurrentDrawItemNo < doc->DrawItems.Count())
    info = dynamic_cast<TVLTablePrintInfo*>(doc->DrawItems[doc->CurrentDrawItemNo]);
  if (info && (info->Table != this || !info->LaidOut || info->RowCount() != RowCount() ||
               info->Cols != ColCount()))
    info = nullptr;
  TVLStyle* style = vlData ? vlData->GetStyle() : nullptr;
  TVLTablePaperScope paper(colorMode);

  if (!info) {
    // Outside a printed document: the screen layout, scaled to the device
    // (the fonts sized in the screen pixels it was laid out in).
    if (sad.ppixScreen <= 0 || sad.ppiyScreen <= 0) return;
    const TTableMapping mapping(canvas, x, y, sad.ppixDevice, sad.ppixScreen, sad.ppiyDevice, sad.ppiyScreen);
    canvas->SetPixelsPerInch(sad.ppiyScreen);
    const TVLTableItemFormattingInfo& F = FormattingInfo;
    PaintFullWidth(0, F.Width, 0, canvas, TVLTextDrawStates(), style, TRect(0, 0, F.Width, F.Height), FVLData);
    return;
  }

  // Which rows: all of them, or one page part's.
  const Integer R = info->RowCount();
  Integer first = 0, count = R, heading = 0, cutTop = -1, cutBottom = -1;
  // The lines of its cells the document prints here (a table nested in a
  // cut row), and those of this part.
  const Integer docAfter = MovedLineBound(doc->LinesAfter, -info->Top);
  const Integer docUpTo = MovedLineBound(doc->LinesUpTo, -info->Top);
  Integer after = docAfter, upTo = docUpTo;
  if (doc->CurrentPart >= 0 && doc->CurrentPart < info->PartCount()) {
    const TVLTablePrintPart& part = *info->PartsList[static_cast<size_t>(doc->CurrentPart)];
    first = part.FirstRow;
    count = part.RowCount;
    heading = info->HeadingRows();
    cutTop = part.Reach;
    cutBottom = part.Bottom;
    if (part.Top >= 0) after = std::max(after, part.Top);
    if (part.Bottom >= 0) upTo = std::min(upTo, part.Bottom);
  }
  info->LinesAfter = docAfter;
  info->LinesUpTo = docUpTo;
  const TVLTableItemFormattingInfo& F = info->Formatting;
  const bool whole = first == 0 && count == R && cutTop < 0 && cutBottom < 0;
  const Integer border = info->LenY(CellBorderWidth);
  // The rows drawn (table coordinates) and the repeated heading above them.
  const Integer last = std::min(first + count, R) - 1;
  const Integer headEnd = !whole && heading > 0 ? info->RowTop(heading) - border : 0;
  const Integer from = cutTop >= 0                 ? cutTop
                       : whole || first == 0         ? 0
                       : first == heading            ? headEnd
                                                     : info->RowTop(first) - border;
  const Integer to = cutBottom >= 0 ? cutBottom : whole || last == R - 1 ? F.Height : info->RowBottom(last);
  const Integer drawn = headEnd + (to - from);

  // Rows that cannot be split and are taller than the page (a row group, or
  // a table that may not split) are shrunk to the page instead of losing
  // their foot.
  Integer shrinkNum = 1, shrinkDen = 1;
  if (doc->DrawingPageNo > 0) {
    const Integer room = doc->GetPageContentBottom(doc->DrawingPageNo) - y;
    if (room > 0 && drawn > room) shrinkNum = room, shrinkDen = drawn;
  }
  const TTableMapping mapping(canvas, x, y, shrinkNum, shrinkDen, shrinkNum, shrinkDen);
  struct TPrinting {
    TVLTableItemInfo& T;
    TVLTablePrintInfo* Saved;
    ~TPrinting() { T.FPrinting = Saved; }
  } printing{*this, FPrinting};
  FPrinting = info;
  info->Doc = doc;
  info->PageNo = doc->DrawingPageNo > 0 ? doc->DrawingPageNo : 1;
  info->Preview = preview;
  info->Correction = correctY;
  info->OriginX = x;
  info->ScaleNum = shrinkNum;
  info->ScaleDen = shrinkDen;

  const Integer w = F.Width;
  // Paints the table's rows between top and bottom (table coordinates) at
  // dest. The painter leaves out the cells outside its clip, which starts
  // at the canvas origin: the origin moves to dest.
  auto region = [&](Integer top, Integer bottom, Integer dest) {
    if (bottom <= top) return;
    const int s = canvas->SaveDC();
    canvas->SetWindowOrgEx(0, -dest);
    canvas->IntersectClipRect(0, 0, w, bottom - top);
    info->OriginY = y + MulDiv(dest, shrinkNum, shrinkDen);
    PaintFullWidth(0, w, -top, canvas, TVLTextDrawStates(), style, TRect(0, 0, w, bottom - top), FVLData);
    canvas->RestoreDC(s);
  };
  if (whole) {
    region(0, F.Height, 0);
    return;
  }
  // The repeated heading rows with the table's top border.
  region(0, headEnd, 0);
  info->LinesAfter = after;
  info->LinesUpTo = upTo;
  region(from, to, headEnd);
  // The outer border is closed where the table is cut.
  const Integer bw = info->LenY(BorderWidth);
  if (bw > 0 && BorderColor != clNone) {
    canvas->Brush.Style = bsSolid;
    canvas->Brush.Color = ApplyColorModeFore(BorderStyle == vltbColor ? BorderColor : clBtnShadow, colorMode);
    if (from > 0 && heading == 0) canvas->FillRect(TRect(0, 0, w, bw));
    if (last < R - 1 || cutBottom >= 0) canvas->FillRect(TRect(0, drawn - bw, w, drawn));
    canvas->Brush.Style = bsClear;
  }
}
void TVLTableItemInfo::DrawBackgroundForPrinting(TCanvas* canvas, const TRect& rect, const TRect& itemRect,
                                                 TVLColorMode colorMode, Integer what) {
  if (!canvas || what == 0) return;
  TColor color = Color;
  if (color != clNone) color = PrintOptions.Contains(vltoWhiteBackground) ? clWhite : ApplyColorModeBack(color, colorMode);
  if (color != clNone) {
    const TRect r(std::max(rect.Left, itemRect.Left), std::max(rect.Top, itemRect.Top),
                  std::min(rect.Right, itemRect.Right), std::min(rect.Bottom, itemRect.Bottom));
    if (r.Right > r.Left && r.Bottom > r.Top) {
      canvas->Brush.Style = bsSolid;
      canvas->Brush.Color = color;
      canvas->FillRect(r);
    }
  }
  if (what == 1) return;
  TVLBackground* back = GetTableBackground();
  if (!back || !back->GetBitmap() || back->GetBitmap()->GetEmpty()) return;
  const TRect r(std::max(rect.Left, itemRect.Left), std::max(rect.Top, itemRect.Top),
                std::min(rect.Right, itemRect.Right), std::min(rect.Bottom, itemRect.Bottom));
  if (r.Right > r.Left && r.Bottom > r.Top)
    back->Draw(canvas, r, 0, 0, itemRect.Left, itemRect.Top, itemRect.Width(), itemRect.Height(), clNone, true);
}

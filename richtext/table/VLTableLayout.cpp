// Table layout: column widths, row heights, cell rectangles, and the cell
// under a point. Lengths are screen pixels (no device scaling here; the
// printed layout is for the page-splitting code).
#include "richtext/table/VLTable.h"

#include "richtext/table/VLCellEditor.h"

#include "platform/base/SysUtils.h"

#include <algorithm>
#include <cstddef>
#include <numeric>

struct TVLTableItemInfo::TLayoutCache {
  Integer R = 0, C = 0;
  bool AutoSized = false;
  std::vector<Integer> ColPixel, PctMin, PctMax, ColMin;
  std::vector<char> PctCol;
  // By grid position (row * C + col): minimum content width and minimum
  // height of each cell.
  std::vector<Integer> MinW, Heights;
  size_t At(Integer r, Integer c) const { return static_cast<size_t>(r) * static_cast<size_t>(C) + static_cast<size_t>(c); }
  // The edited cell measured again, and its column's minimum.
  void MeasureOnly(TVLTableCellData& cell, Integer r, Integer c, TCanvas* canvas) {
    const Integer w = cell.ContentMinWidth(canvas);
    cell.LaidMinWidth = w;
    MinW[At(r, c)] = w;
    Integer m = 0;
    for (Integer k = 0; k < R; ++k) m = std::max(m, MinW[At(k, c)]);
    ColMin[static_cast<size_t>(c)] = m;
  }
};

TVLTableItemInfo::TLayoutCache* TVLTableItemInfo::TypingCache(const TVLTableCellData* only) const {
  if (!only || !FLayoutCache || !FCellsMeasured || FLayoutCache->R != RowCount() || FLayoutCache->C != ColCount())
    return nullptr;
  Integer r, c;
  return only->FindPlace(r, c) ? FLayoutCache.get() : nullptr;
}

namespace {

using TLayoutCache = TVLTableItemInfo::TLayoutCache;

Integer MulDivSafe(Integer a, Integer b, Integer c) {
  if (c == 0) return 0;
  return static_cast<Integer>(static_cast<int64_t>(a) * b / c);
}

// One layout run: the table's numbers and the cells found by position.
struct TLayoutRun {
  TVLTableItemInfo& T;
  TCanvas* Canvas;
  Integer R, C, Pad, CB, HS, VS, BW, BHS, BVS;
  struct Placed {
    TVLTableCellData* Cell;
    Integer Row, Col;
  };
  std::vector<Placed> Cells;  // reading order
  std::vector<Integer> MinW;  // minimum content width per placed cell

  // Per column, gathered in one pass over the cells (a search of every
  // cell per column made big tables quadratic).
  std::vector<Integer> ColPixel;         // column pixel width, 0 when a percent cell is in it
  std::vector<Integer> PctMin, PctMax;   // smallest and largest percent of its own cells, 0 when none
  std::vector<char> PctCol;              // a percent cell ends in the column
  std::vector<Integer> ColMin;           // column minimum, after MeasureMinimums

  // The table's numbers alone.
  TLayoutRun(TVLTableItemInfo& t, TCanvas* canvas, std::nullptr_t)
      : T(t), Canvas(canvas), R(t.RowCount()), C(t.ColCount()), Pad(t.CellPadding), CB(t.CellBorderWidth),
        HS(t.CellHSpacing), VS(t.CellVSpacing), BW(t.BorderWidth), BHS(t.BorderHSpacing), BVS(t.BorderVSpacing) {}

  TLayoutRun(TVLTableItemInfo& t, TCanvas* canvas) : TLayoutRun(t, canvas, nullptr) {
    for (Integer r = 0; r < R; ++r)
      for (Integer c = 0; c < C; ++c)
        if (TVLTableCellData* cell = t.Rows.GetRow(r)->GetCell(c)) Cells.push_back({cell, r, c});
    const size_t n = static_cast<size_t>(std::max<Integer>(C, 0));
    ColPixel.assign(n, 0);
    PctMin.assign(n, 0);
    PctMax.assign(n, 0);
    PctCol.assign(n, 0);
    std::vector<char> negative(n, 0);
    for (const Placed& p : Cells) {
      const Integer bw = p.Cell->BestWidth;
      const Integer last = p.Col + p.Cell->ColSpan - 1;
      if (bw < 0 && last >= 0 && last < C) PctCol[static_cast<size_t>(last)] = 1;
      if (p.Cell->ColSpan != 1) continue;
      const size_t j = static_cast<size_t>(p.Col);
      if (bw < 0) {
        negative[j] = 1;
        const Integer pct = -bw;
        PctMax[j] = std::max(PctMax[j], pct);
        PctMin[j] = PctMin[j] == 0 ? pct : std::min(PctMin[j], pct);
      } else {
        ColPixel[j] = std::max(ColPixel[j], bw);
      }
    }
    for (size_t j = 0; j < n; ++j)
      if (negative[j]) ColPixel[j] = 0;
  }

  // From the cache: no cells visited (a table without merged cells).
  TLayoutRun(TVLTableItemInfo& t, TCanvas* canvas, const TLayoutCache& cache) : TLayoutRun(t, canvas, nullptr) {
    ColPixel = cache.ColPixel;
    PctMin = cache.PctMin;
    PctMax = cache.PctMax;
    PctCol = cache.PctCol;
    ColMin = cache.ColMin;
  }

  // What a keystroke's layout starts from; nullptr when a cell spans.
  std::shared_ptr<TLayoutCache> MakeCache(bool autoSized) const {
    auto cache = std::make_shared<TLayoutCache>();
    cache->R = R;
    cache->C = C;
    cache->AutoSized = autoSized;
    cache->ColPixel = ColPixel;
    cache->PctMin = PctMin;
    cache->PctMax = PctMax;
    cache->PctCol = PctCol;
    cache->ColMin = ColMin;
    const size_t n = static_cast<size_t>(R) * static_cast<size_t>(C);
    if (Cells.size() != n || MinW.size() != n) return nullptr;
    cache->MinW.resize(n);
    cache->Heights.resize(n);
    for (size_t i = 0; i < n; ++i) {
      const Placed& p = Cells[i];
      if (p.Cell->ColSpan != 1 || p.Cell->RowSpan != 1) return nullptr;
      cache->MinW[cache->At(p.Row, p.Col)] = MinW[i];
      cache->Heights[cache->At(p.Row, p.Col)] = p.Cell->GetMinHeight();
    }
    return cache;
  }

  Integer StructureWidth() const { return (C - 1) * HS + 2 * (BW + BHS) + 2 * C * CB; }

  // Which cells are measured: every one, none (each keeps what it measured
  // at the last layout) or only the one whose content changed since.
  enum TMeasure { mAll, mNone, mOnly };
  void MeasureMinimums(TMeasure what = mAll, const TVLTableCellData* only = nullptr, bool keep = true) {
    MinW.clear();
    ColMin.assign(static_cast<size_t>(std::max<Integer>(C, 0)), 0);
    for (const Placed& p : Cells) {
      if (what == mAll || (what == mOnly && p.Cell == only)) {
        const Integer w = p.Cell->ContentMinWidth(Canvas);
        MinW.push_back(w);
        if (keep) p.Cell->LaidMinWidth = w;
      } else {
        MinW.push_back(p.Cell->LaidMinWidth);
      }
      if (p.Cell->ColSpan == 1) ColMin[static_cast<size_t>(p.Col)] = std::max(ColMin[static_cast<size_t>(p.Col)], MinW.back());
    }
  }

  bool IsPercentCol(Integer j) const { return PctCol[static_cast<size_t>(j)] != 0; }
  Integer ColPixelWidth(Integer j) const { return ColPixel[static_cast<size_t>(j)]; }
  // The largest share of total that a percent cell of the column asks for.
  Integer ColPercentWidth(Integer j, Integer total) const {
    const Integer pct = total >= 0 ? PctMax[static_cast<size_t>(j)] : PctMin[static_cast<size_t>(j)];
    return pct ? std::max<Integer>(0, MulDivSafe(pct, total, 100)) : 0;
  }
  Integer ColMinimum(Integer j) const { return ColMin[static_cast<size_t>(j)]; }

  // Widens the columns under a spanning cell so that w fits, in proportion
  // to their widths; the last column takes the rounding. Returns the growth.
  Integer MinimumSpread(std::vector<Integer>& m, Integer first, Integer n, Integer w) const {
    const Integer need = w + 2 * Pad;
    Integer avail = -HS - 2 * CB, weight = 0;
    for (Integer k = first; k < first + n; ++k) {
      avail += m[static_cast<size_t>(k)] + Pad + HS + Pad + 2 * CB;
      weight += std::max<Integer>(1, m[static_cast<size_t>(k)] + 2 * Pad);
    }
    if (avail >= need) return 0;
    Integer target = need - avail + weight, growth = 0;
    for (Integer k = first; k < first + n; ++k) {
      Integer& mk = m[static_cast<size_t>(k)];
      const Integer c = std::max<Integer>(1, mk + 2 * Pad);
      const Integer c2 = k == first + n - 1 ? target : MulDivSafe(c, target, weight);
      mk = c2 - 2 * Pad;
      weight -= c;
      target -= c2;
      growth += c2 - c;
    }
    return growth;
  }

  // The same over the columns whose level is at most the lowest level that
  // takes part (up to maxLevel); the extra is capped at E when E is given.
  void LevelSpread(std::vector<Integer>& m, const std::vector<Integer>& level, Integer first, Integer n, Integer w,
                   Integer maxLevel, Integer* E) const {
    const Integer need = w + 2 * Pad;
    Integer avail = -HS - 2 * CB;
    for (Integer k = first; k < first + n; ++k) avail += m[static_cast<size_t>(k)] + Pad + HS + Pad + 2 * CB;
    if (avail >= need) return;
    for (Integer lvl = 0; lvl <= maxLevel; ++lvl) {
      std::vector<Integer> part;
      Integer weight = 0;
      for (Integer k = first; k < first + n; ++k)
        if (level[static_cast<size_t>(k)] <= lvl) {
          part.push_back(k);
          weight += std::max<Integer>(1, m[static_cast<size_t>(k)] + 2 * Pad);
        }
      if (part.empty()) continue;
      Integer extra = need - avail;
      if (E) {
        extra = std::min(extra, std::max<Integer>(0, *E));
        *E -= extra;
      }
      Integer target = extra + weight;
      for (size_t i = 0; i < part.size(); ++i) {
        Integer& mk = m[static_cast<size_t>(part[i])];
        const Integer c = std::max<Integer>(1, mk + 2 * Pad);
        const Integer c2 = i + 1 == part.size() ? target : MulDivSafe(c, target, weight);
        mk = c2 - 2 * Pad;
        weight -= c;
        target -= c2;
      }
      return;
    }
  }

  // Auto-sized: every column closed by a cell with a pixel width, no percent
  // widths, and every column holding a cell of its own.
  bool AutoSized() const {
    std::vector<char> closed(static_cast<size_t>(C), 0), own(static_cast<size_t>(C), 0);
    for (const Placed& p : Cells) {
      if (p.Cell->BestWidth < 0) return false;
      if (p.Cell->BestWidth > 0) closed[static_cast<size_t>(p.Col + p.Cell->ColSpan - 1)] = 1;
      own[static_cast<size_t>(p.Col)] = 1;
    }
    for (Integer j = 0; j < C; ++j)
      if (!closed[static_cast<size_t>(j)] || !own[static_cast<size_t>(j)]) return false;
    return true;
  }
};


// Starts of runs of the given sizes from first, with extra spread evenly
// over them; one more entry than sizes, the end of the last.
std::vector<Integer> SpreadStarts(Integer first, const std::vector<Integer>& sizes, Integer extra) {
  const Integer n = static_cast<Integer>(sizes.size());
  std::vector<Integer> starts(sizes.size() + 1, first);
  for (Integer k = 0, left = extra; k < n; ++k) {
    const Integer share = left / (n - k);
    left -= share;
    starts[static_cast<size_t>(k) + 1] = starts[static_cast<size_t>(k)] + sizes[static_cast<size_t>(k)] + share;
  }
  return starts;
}

// The size of span runs from first: their sizes and the spacing between them.
Integer SpanSize(const std::vector<Integer>& sizes, Integer first, Integer span, Integer extra) {
  Integer size = MulDivSafe(extra, span - 1, static_cast<Integer>(sizes.size()));
  for (Integer k = first; k < first + span; ++k) size += sizes[static_cast<size_t>(k)];
  return size;
}

// 13-15: row heights from the cells' content, then the rows' and cells'
// tops and heights (the widths stay).
void LayoutRows(TVLTableItemInfo& t, TLayoutRun& run) {
  TVLTableItemFormattingInfo& F = t.FormattingInfo;
  t.LayOutRowHeights({run.Pad, run.CB, run.VS, t.BorderWidth, t.BorderVSpacing, 10},
                     [](const TVLTableCellData& cell) { return cell.GetMinHeight(); }, F);
  const Integer P = run.R * (2 * (run.Pad + run.CB) + run.VS);
  for (const auto& p : run.Cells) {
    TVLTableCellData& cell = *p.Cell;
    cell.Top = F.RowStarts[static_cast<size_t>(p.Row)];
    cell.Height = 2 * run.Pad + SpanSize(F.RowHeights, p.Row, cell.RowSpan, P);
  }
}

// 13 and 15 from the cache: the heights of the rows marked are found
// again, and only the cells of rows that move or change height are placed.
void LayoutRowsFromCache(TVLTableItemInfo& t, TLayoutCache& cache, const std::vector<char>& touched,
                         const std::vector<Integer>& oldHeights, const std::vector<Integer>& oldStarts) {
  TVLTableItemFormattingInfo& F = t.FormattingInfo;
  const Integer R = cache.R, C = cache.C, Pad = t.CellPadding, CB = t.CellBorderWidth;
  std::vector<Integer>& rh = F.RowHeights;
  rh = oldHeights;
  F.Height = 2 * R * Pad + 2 * t.BorderWidth + 2 * t.BorderVSpacing + (R - 1) * t.CellVSpacing + 2 * R * CB;
  for (Integer r = 0; r < R; ++r) {
    if (touched[static_cast<size_t>(r)]) {
      Integer h = 0;
      for (Integer c = 0; c < C; ++c) h = std::max(h, cache.Heights[cache.At(r, c)]);
      rh[static_cast<size_t>(r)] = h > 0 ? h : 10;
    }
    F.Height += rh[static_cast<size_t>(r)];
  }
  const Integer P = R * (2 * (Pad + CB) + t.CellVSpacing);
  F.RowStarts = SpreadStarts(t.BorderWidth + t.BorderVSpacing + CB, rh, P);
  for (Integer r = 0; r < R; ++r) {
    const size_t i = static_cast<size_t>(r);
    if (F.RowStarts[i] == oldStarts[i] && rh[i] == oldHeights[i]) continue;
    for (const auto& cell : t.Rows.GetRow(r)->Cells) {
      cell->Top = F.RowStarts[i];
      cell->Height = 2 * Pad + rh[i];
    }
  }
}

// 5: every column at its minimum, the columns under a spanning cell
// widened until it fits. Returns their sum.
Integer MinimumColumns(const TLayoutRun& run, std::vector<Integer>& cw) {
  cw.assign(static_cast<size_t>(run.C), 0);
  Integer M = 0;
  for (Integer j = 0; j < run.C; ++j) M += (cw[static_cast<size_t>(j)] = run.ColMinimum(j));
  for (size_t i = 0; i < run.Cells.size(); ++i)
    if (run.Cells[i].Cell->ColSpan > 1) M += run.MinimumSpread(cw, run.Cells[i].Col, run.Cells[i].Cell->ColSpan, run.MinW[i]);
  return M;
}

// 7c-d: columns and spanning cells with pixel widths take them; what they
// take comes out of E unless the table is auto-sized (no E).
void PixelColumns(const TLayoutRun& run, std::vector<Integer>& cw, std::vector<Integer>& level, Integer& fixed,
                  Integer& pixel, Integer* E) {
  if (!E || *E > 0)
    for (Integer j = 0; j < run.C; ++j) {
      if (level[static_cast<size_t>(j)] != 0) continue;
      Integer p = run.ColPixelWidth(j);
      if (p > 0) {
        level[static_cast<size_t>(j)] = 1;
        ++fixed;
        ++pixel;
      }
      if (p > cw[static_cast<size_t>(j)]) {
        if (E) {
          *E += cw[static_cast<size_t>(j)];
          p = std::min(p, *E);
        }
        cw[static_cast<size_t>(j)] = p;
        if (E) {
          *E -= p;
          if (*E == 0) break;
        }
      }
    }
  if (!E || *E > 0)
    for (const auto& p : run.Cells) {
      if (p.Cell->ColSpan < 2 || p.Cell->BestWidth <= 0) continue;
      run.LevelSpread(cw, level, p.Col, p.Cell->ColSpan, p.Cell->BestWidth, 1, E);
      for (Integer k = p.Col; k < p.Col + p.Cell->ColSpan; ++k)
        if (level[static_cast<size_t>(k)] == 0) {
          level[static_cast<size_t>(k)] = 1;
          ++fixed;
          ++pixel;
        }
    }
}

// The width an auto-sized table is laid out at, whatever the room.
Integer AutoSizedWidth(const TLayoutRun& run) {
  std::vector<Integer> cw, level(static_cast<size_t>(run.C), 0);
  Integer fixed = 0, pixel = 0;
  MinimumColumns(run, cw);
  PixelColumns(run, cw, level, fixed, pixel, nullptr);
  return run.StructureWidth() + run.C * run.Pad * 2 + std::accumulate(cw.begin(), cw.end(), 0);
}

// The minimum width of the whole table from its cells' minimums.
Integer MinWidthOf(const TVLTableItemInfo& t, const TLayoutRun& run) {
  const Integer BestWidth = t.BestWidth, CellPadding = t.CellPadding;
  const Integer C = run.C;
  Integer result = C * CellPadding * 2 + run.StructureWidth();
  std::vector<Integer> m(static_cast<size_t>(C));
  Integer M = 0;
  for (Integer j = 0; j < C; ++j) {
    m[static_cast<size_t>(j)] = run.ColMinimum(j);
    if (BestWidth == 0) m[static_cast<size_t>(j)] = std::max(m[static_cast<size_t>(j)], run.ColPixelWidth(j));
    M += m[static_cast<size_t>(j)];
  }
  for (size_t i = 0; i < run.Cells.size(); ++i) {
    const auto& p = run.Cells[i];
    if (p.Cell->ColSpan < 2) continue;
    Integer w = run.MinW[i];
    if (BestWidth == 0) w = std::max(w, p.Cell->BestWidth);
    M += run.MinimumSpread(m, p.Col, p.Cell->ColSpan, w);
  }
  Integer width = result + M;
  // Laid out, a spanning cell widens its columns before their pixel widths
  // apply, which can make an auto-sized table wider than the sum above; a
  // minimum short of its width leaves its right part beyond the document.
  // (A run from the typing cache has no cells and no spans.)
  if (BestWidth == 0 && !run.Cells.empty() && run.AutoSized()) width = std::max(width, AutoSizedWidth(run));
  return std::max(width, BestWidth);
}

}  // namespace

void TVLTableItemInfo::LayOutRowHeights(const TRowLengths& m,
                                         const std::function<Integer(const TVLTableCellData&)>& minHeight,
                                         TVLTableItemFormattingInfo& F) const {
  const Integer R = RowCount(), Pad = m.Pad, CB = m.CB;
  // 13: row heights.
  F.Height = 2 * R * Pad + 2 * m.BorderWidth + 2 * m.BorderVSpacing + (R - 1) * m.VS + 2 * R * CB;
  std::vector<Integer>& rh = F.RowHeights;
  rh.assign(static_cast<size_t>(R), 0);
  for (Integer r = 0; r < R; ++r) {
    Integer h = 0;
    for (const auto& cell : Rows.GetRow(r)->Cells)
      if (cell && cell->RowSpan == 1) h = std::max(h, minHeight(*cell));
    rh[static_cast<size_t>(r)] = h > 0 ? h : m.EmptyRow;
    F.Height += rh[static_cast<size_t>(r)];
  }
  // 14: cells spanning rows.
  for (Integer row = 0; row < R; ++row)
    for (const auto& owned : Rows.GetRow(row)->Cells) {
      if (!owned || owned->RowSpan < 2) continue;
      const TVLTableCellData& cell = *owned;
      const Integer need = minHeight(cell) + 2 * Pad;
      Integer have = -m.VS - 2 * CB;
      for (Integer k = row; k < row + cell.RowSpan; ++k) have += rh[static_cast<size_t>(k)] + Pad + m.VS + Pad + 2 * CB;
      if (have >= need) continue;
      // Rows that hold a cell ending inside the span are constrained.
      std::vector<char> constrained(static_cast<size_t>(cell.RowSpan), 0);
      constrained[0] = 1;
      for (Integer k = row; k < row + cell.RowSpan; ++k)
        for (const auto& other : Rows.GetRow(k)->Cells)
          if (other && other.get() != &cell && k + other->RowSpan <= row + cell.RowSpan)
            constrained[static_cast<size_t>(k - row)] = 1;
      const bool someFree = std::find(constrained.begin(), constrained.end(), 0) != constrained.end();
      std::vector<Integer> part;
      Integer sum = 0;
      for (Integer k = row; k < row + cell.RowSpan; ++k)
        if (!someFree || !constrained[static_cast<size_t>(k - row)]) {
          part.push_back(k);
          sum += rh[static_cast<size_t>(k)];
        }
      Integer extra = need - have;
      F.Height += extra;
      for (size_t i = 0; i < part.size(); ++i) {
        Integer& h = rh[static_cast<size_t>(part[i])];
        const Integer share = i + 1 == part.size() ? extra : MulDivSafe(h, extra, sum);
        sum -= h;
        h += share;
        extra -= share;
      }
    }
  // 15: row starts.
  const Integer P = R * (2 * (Pad + CB) + m.VS);
  F.RowStarts = SpreadStarts(m.BorderWidth + m.BorderVSpacing + CB, rh, P);
}

Integer TVLTableItemInfo::GetMinWidth(const TVLScreenAndDevice* sad, TCanvas* canvas, TCustomVLData*) {
  // On paper the table is fitted to the line (scaled when it must be): it
  // never widens the printed document past the sheet.
  if (sad) return 0;
  if (Rows.IsEmpty()) return 2 * (BorderWidth + BorderHSpacing);
  // On screen the cells' minimums of the last layout hold while the table
  // is not to be laid out again; while a cell is typed in only that cell
  // is measured. The document asks at every keystroke.
  const bool laid = !FStructureChanged && FormattingInfo.Width != 0 && FCellsMeasured;
  if (laid && FMinWidthKnown) return FMinWidth;
  const bool typing = FOnlyCellChanged && FInplaceEditor && FCellsMeasured;
  if (TLayoutCache* cache = typing ? TypingCache(FOnlyCellChanged) : nullptr) {
    Integer r, c;
    FOnlyCellChanged->FindPlace(r, c);
    cache->MeasureOnly(*FOnlyCellChanged, r, c, canvas);
    TLayoutRun run(*this, canvas, *cache);
    FMinWidthKnown = false;
    return FMinWidth = MinWidthOf(*this, run);
  }
  TLayoutRun run(*this, canvas);
  run.MeasureMinimums(typing ? TLayoutRun::mOnly : laid ? TLayoutRun::mNone : TLayoutRun::mAll, FOnlyCellChanged);
  const Integer result = MinWidthOf(*this, run);
  FMinWidthKnown = laid;
  FMinWidth = result;
  return result;
}

bool TVLTableItemInfo::ColumnMinimumMoves(const TVLTableCellData& cell, Integer minWidth) const {
  TLayoutCache* cache = TypingCache(&cell);
  Integer r, c;
  // Without the last layout's measures (merged cells) any change may.
  if (!cache || !cell.FindPlace(r, c)) return true;
  Integer column = minWidth;
  for (Integer k = 0; k < cache->R; ++k)
    if (k != r) column = std::max(column, cache->MinW[cache->At(k, c)]);
  return column != cache->ColMin[static_cast<size_t>(c)];
}

void TVLTableItemInfo::LayoutAnew() {
  FormattingInfo.Width = 0;
  FMinWidthKnown = false;
  FCellsMeasured = false;
  FLayoutCache.reset();
  for (Integer r = 0; r < RowCount(); ++r)
    for (Integer c = 0; c < ColCount(); ++c)
      if (TVLTableCellData* cell = Rows.GetRow(r)->GetCell(c)) {
        cell->LaidMinWidth = 0;
        // An edited cell's items are in its editor, laid out by it below.
        if (cell->InplaceData) continue;
        for (Integer i = 0; i < cell->GetItemCount(); ++i) cell->GetItem(i)->LayoutAnew();
      }
  // The editor's own layout (its tables' too) at the new measures, before
  // the table asks for its content's size.
  if (FInplaceEditor) FInplaceEditor->Format();
}

bool TVLTableItemInfo::SizedByColumns() const {
  if (BestWidth != 0 || Rows.IsEmpty()) return false;
  return TLayoutRun(const_cast<TVLTableItemInfo&>(*this), nullptr).AutoSized();
}

void TVLTableItemInfo::CalcSizeForDocWidth(Integer docWidth, Integer& result1, Integer& result2) {
  result1 = result2 = 0;
  TCanvas* canvas = nullptr;
  if (auto* doc = dynamic_cast<TCustomVLFormattedData*>(FVLData)) canvas = doc->GetCanvas();
  if (FStructureChanged) {
    FStructureChanged = false;
    FormattingInfo.Width = 0;
  }
  Layout(docWidth, false, canvas);
}

void TVLTableItemInfo::CalcSizeForPaper(Integer docWidth, Integer screenWidth, Integer& result1, Integer& result2) {
  const TVLTableItemFormattingInfo& F = FormattingInfo;
  const bool laid = !FStructureChanged && F.Width != 0 && static_cast<Integer>(F.ColStarts.size()) == ColCount() + 1 &&
                    static_cast<Integer>(F.RowStarts.size()) == RowCount() + 1;
  bool pixels = BestWidth > 0;
  for (Integer r = 0; r < RowCount() && !pixels; ++r)
    for (Integer c = 0; c < ColCount() && !pixels; ++c)
      if (const TVLTableCellData* cell = Rows.GetRow(r)->GetCell(c)) pixels = cell->BestWidth > 0;
  if (laid && pixels && screenWidth <= 0) {
    result1 = result2 = 0;
    return;
  }
  CalcSizeForDocWidth(pixels && screenWidth > 0 ? screenWidth : docWidth, result1, result2);
}

void TVLTableItemInfo::Layout(Integer docWidth, bool force, TCanvas* canvas) {
  TVLTableItemFormattingInfo& F = FormattingInfo;
  if (Rows.IsEmpty()) {
    F.Clear();
    F.Width = 2 * (BorderWidth + BorderHSpacing);
    F.Height = 2 * (BorderWidth + BorderVSpacing);
    F.Target = 0;
    return;
  }
  // 3: nothing changed since the last layout (a change of the table or of
  // a cell's width clears F.Width) and the width aimed at is the same: that
  // layout stands. Checked before anything visits the cells.
  if (!force && F.Width != 0) {
    if (BestWidth == 0 && F.AutoSized) return;
    const Integer aim = BestWidth > 0 ? BestWidth : BestWidth < 0 ? MulDivSafe(-BestWidth, docWidth, 100) : docWidth;
    if (aim != 0 && aim == F.Target) return;
  }
  // Only the edited cell changed since the last layout.
  TVLTableCellData* only = FOnlyCellChanged && FInplaceEditor && FCellsMeasured ? FOnlyCellChanged : nullptr;
  TLayoutCache* cache = TypingCache(only);
  TLayoutRun run = cache ? TLayoutRun(*this, canvas, *cache) : TLayoutRun(*this, canvas);
  const Integer C = run.C, Pad = run.Pad, CB = run.CB;

  // 2: the width aimed at.
  bool autoSized = false;
  Integer W;
  if (BestWidth > 0)
    W = BestWidth;
  else if (BestWidth < 0)
    W = MulDivSafe(-BestWidth, docWidth, 100);
  else if (cache ? cache->AutoSized : run.AutoSized()) {
    W = 0;
    autoSized = true;
  } else
    W = docWidth;
  F.Width = F.Target = W;
  F.AutoSized = autoSized;
  // Cells measure with the text measurer of the document that holds them.
  if (auto* doc = dynamic_cast<TCustomVLFormattedData*>(FVLData))
    for (const auto& p : run.Cells) p.Cell->Measurer = doc->Measurer;
  FMinWidthKnown = false;
  FCellsMeasured = false;

  // 5: minimum widths.
  Integer onlyRow = -1, onlyCol = -1;
  if (cache) {
    only->FindPlace(onlyRow, onlyCol);
    cache->MeasureOnly(*only, onlyRow, onlyCol, canvas);
    run.ColMin = cache->ColMin;
  } else {
    run.MeasureMinimums(only ? TLayoutRun::mOnly : TLayoutRun::mAll, only);
  }
  // A keystroke's layout gets the line the table had, which a full layout
  // widens to the table's minimum, pixel columns at their widths: laid out
  // narrower, the pixel columns would give their width to the typed cell
  // and take it back at the next full layout.
  if (only && BestWidth == 0 && !autoSized) F.Width = std::max(F.Width, MinWidthOf(*this, run));

  const Integer S = run.StructureWidth();
  const Integer T = autoSized ? 0 : F.Width - S;
  const Integer A = autoSized ? 0 : T - C * Pad * 2;
  // What the columns and rows were: a keystroke's layout moves only what changes.
  std::vector<Integer> oldColStarts, oldColWidths, oldRowStarts, oldRowHeights;
  if (cache) {
    oldColStarts = std::move(F.ColStarts);
    oldColWidths = std::move(F.ColWidths);
    oldRowStarts = std::move(F.RowStarts);
    oldRowHeights = std::move(F.RowHeights);
  }
  F.Clear();
  std::vector<Integer>& cw = F.ColWidths;
  const Integer M = MinimumColumns(run, cw);

  if (!autoSized && M >= A) {
    // 6: too narrow; every column keeps its minimum.
    F.Width = F.Width - A + M;
  } else {
    // 7: distribution.
    std::vector<Integer> level(static_cast<size_t>(C), 0);
    Integer fixed = 0, pixel = 0;
    Integer E = autoSized ? 0 : A - M;
    if (!autoSized) {
      // a. percent columns
      std::vector<Integer> d(static_cast<size_t>(C));
      Integer D = 0, K = 0;
      for (Integer j = 0; j < C; ++j) {
        d[static_cast<size_t>(j)] = std::max<Integer>(0, run.ColPercentWidth(j, T) - 2 * Pad);
        if (d[static_cast<size_t>(j)] > cw[static_cast<size_t>(j)]) {
          E += cw[static_cast<size_t>(j)];
          D += d[static_cast<size_t>(j)];
          K += cw[static_cast<size_t>(j)];
        }
      }
      if (D != 0) {
        D = std::max(D, E);
        for (Integer j = 0; j < C; ++j) {
          const Integer dj = d[static_cast<size_t>(j)];
          if (dj == 0) continue;
          if (dj <= cw[static_cast<size_t>(j)]) {
            level[static_cast<size_t>(j)] = 2;
            ++fixed;
            continue;
          }
          K -= cw[static_cast<size_t>(j)];
          Integer v = MulDivSafe(dj, E, D);
          D -= dj;
          if (v > 0) {
            level[static_cast<size_t>(j)] = 2;
            ++fixed;
          }
          v = std::min(v, E - K);
          cw[static_cast<size_t>(j)] = std::max(cw[static_cast<size_t>(j)], v);
          E -= cw[static_cast<size_t>(j)];
          if (E == 0 && K == 0) break;
        }
      }
      // b. percent spanning cells
      if (E > 0)
        for (const auto& p : run.Cells) {
          if (p.Cell->ColSpan < 2 || p.Cell->BestWidth >= 0) continue;
          run.LevelSpread(cw, level, p.Col, p.Cell->ColSpan, MulDivSafe(-p.Cell->BestWidth, T, 100) - 2 * Pad, 2, &E);
          for (Integer k = p.Col; k < p.Col + p.Cell->ColSpan; ++k)
            if (level[static_cast<size_t>(k)] == 0) {
              level[static_cast<size_t>(k)] = 2;
              ++fixed;
            }
        }
    }
    // c-d. pixel columns and pixel spanning cells
    PixelColumns(run, cw, level, fixed, pixel, autoSized ? nullptr : &E);
    if (autoSized) {
      F.Width = S + C * Pad * 2 + std::accumulate(cw.begin(), cw.end(), 0);
    } else if (E > 0 && C > fixed) {
      // 9: free columns share the rest evenly.
      Integer freeLeft = C - fixed;
      for (Integer j = 0; j < C && E > 0; ++j) {
        if (level[static_cast<size_t>(j)] != 0) continue;
        const Integer share = E / freeLeft--;
        cw[static_cast<size_t>(j)] += share;
        E -= share;
      }
    } else if (E > 0 && pixel > 0) {
      // 10: pixel columns by their widths.
      std::vector<Integer> weight(static_cast<size_t>(C), 0);
      Integer sum = 0;
      for (Integer j = 0; j < C; ++j)
        if (!run.IsPercentCol(j)) sum += (weight[static_cast<size_t>(j)] = std::max<Integer>(1, run.ColPixelWidth(j)));
      for (Integer j = 0; j < C && E > 0; ++j) {
        if (!weight[static_cast<size_t>(j)]) continue;
        const Integer share = MulDivSafe(E, weight[static_cast<size_t>(j)], sum);
        cw[static_cast<size_t>(j)] += share;
        E -= share;
        sum -= weight[static_cast<size_t>(j)];
      }
    } else if (E > 0) {
      // 11: all fixed by percent.
      std::vector<Integer> weight(static_cast<size_t>(C), 0);
      Integer sum = 0;
      for (Integer j = 0; j < C; ++j)
        if (run.IsPercentCol(j))
          sum += (weight[static_cast<size_t>(j)] = std::max<Integer>(1, run.ColPercentWidth(j, T) - 2 * Pad));
      for (Integer j = 0; j < C && E > 0; ++j) {
        if (!weight[static_cast<size_t>(j)]) continue;
        const Integer share = std::min(MulDivSafe(E, weight[static_cast<size_t>(j)], sum), E);
        cw[static_cast<size_t>(j)] += share;
        E -= share;
        sum -= weight[static_cast<size_t>(j)];
      }
    }
  }

  // 12: columns and cell widths; every cell is laid out at its width.
  const Integer O = C * (2 * (Pad + CB) + run.HS);
  F.ColStarts = SpreadStarts(BorderWidth + BorderHSpacing + CB, cw, O);
  if (cache && oldColStarts.size() == F.ColStarts.size() && oldColWidths.size() == cw.size() &&
      oldRowStarts.size() == static_cast<size_t>(run.R) + 1 && oldRowHeights.size() == static_cast<size_t>(run.R)) {
    // Only the columns that move or change width; a cell whose width
    // changes is laid out again, and its row measured again.
    std::vector<char> touched(static_cast<size_t>(run.R), 0);
    touched[static_cast<size_t>(onlyRow)] = 1;
    for (Integer j = 0; j < C; ++j) {
      const size_t js = static_cast<size_t>(j);
      const bool moved = oldColStarts[js] != F.ColStarts[js], resized = oldColWidths[js] != cw[js];
      if (!moved && !resized && j != onlyCol) continue;
      const Integer width = 2 * Pad + cw[js];
      for (Integer r = 0; r < run.R; ++r) {
        TVLTableCellData& cell = *Rows.GetRow(r)->Cells[js];
        cell.Left = F.ColStarts[js];
        if (&cell != only && cell.Width == width) continue;
        cell.Width = width;
        cell.Format(false, true, false, 0, canvas, false, false);
        ++CellFormatCount;
        cache->Heights[cache->At(r, j)] = cell.GetMinHeight();
        touched[static_cast<size_t>(r)] = 1;
      }
    }
    LayoutRowsFromCache(*this, *cache, touched, oldRowHeights, oldRowStarts);
    FCellsMeasured = true;
    FMinWidth = MinWidthOf(*this, run);
    FMinWidthKnown = true;
    return;
  }
  for (const auto& p : run.Cells) {
    TVLTableCellData& cell = *p.Cell;
    cell.Left = F.ColStarts[static_cast<size_t>(p.Col)];
    const Integer width = 2 * Pad + SpanSize(cw, p.Col, cell.ColSpan, O);
    if (only && &cell != only && cell.Width == width) continue;
    cell.Width = width;
    cell.Format(false, true, false, 0, canvas, false, false);
    ++CellFormatCount;
  }

  if (cache) {
    // The old layout did not fit the cache: every cell is placed anew.
    TLayoutRun all(*this, canvas);
    all.MeasureMinimums(TLayoutRun::mNone);
    for (const auto& p : all.Cells) {
      p.Cell->Left = F.ColStarts[static_cast<size_t>(p.Col)];
      const Integer width = 2 * Pad + SpanSize(cw, p.Col, p.Cell->ColSpan, O);
      if (p.Cell != only && p.Cell->Width == width) continue;
      p.Cell->Width = width;
      p.Cell->Format(false, true, false, 0, canvas, false, false);
      ++CellFormatCount;
    }
    LayoutRows(*this, all);
    FLayoutCache = all.MakeCache(cache->AutoSized);
  } else {
    LayoutRows(*this, run);
    FLayoutCache = run.MakeCache(autoSized);
  }
  FCellsMeasured = true;
  // The document asks for the minimum width next: it is known now.
  FMinWidth = MinWidthOf(*this, run);
  FMinWidthKnown = true;
}

void TVLTableItemInfo::RelayoutHeights() {
  if (Rows.IsEmpty() || static_cast<Integer>(FormattingInfo.ColStarts.size()) != ColCount() + 1) return;
  TVLTableCellData* edited = FInplaceEditor ? FInplaceEditor->Cell : nullptr;
  Integer r, c;
  if (TLayoutCache* cache = TypingCache(edited);
      cache && edited->FindPlace(r, c) && FormattingInfo.RowStarts.size() == static_cast<size_t>(cache->R) + 1 &&
      FormattingInfo.RowHeights.size() == static_cast<size_t>(cache->R)) {
    // Only the edited cell's height changed: its row is measured again.
    cache->Heights[cache->At(r, c)] = edited->GetMinHeight();
    std::vector<char> touched(static_cast<size_t>(cache->R), 0);
    touched[static_cast<size_t>(r)] = 1;
    const std::vector<Integer> heights = FormattingInfo.RowHeights, starts = FormattingInfo.RowStarts;
    LayoutRowsFromCache(*this, *cache, touched, heights, starts);
    return;
  }
  TLayoutRun run(*this, nullptr);
  LayoutRows(*this, run);
}

bool TVLTableItemInfo::GetCellAt(Integer x, Integer y, Integer& row, Integer& col) const {
  row = col = -1;
  const TVLTableItemFormattingInfo& F = FormattingInfo;
  if (Rows.IsEmpty() || F.RowStarts.size() < 2 || F.ColStarts.size() < 2) return false;
  const TVLTableCellData* first = Rows.GetMainCell(0, 0, row, col);
  if (!first) return false;
  const Integer left = first->Left + 1, top = first->Top + 1;
  const Integer width = F.Width - 2 * first->Left - 2, height = F.Height - 2 * first->Top - 2;
  if (x < left || y < top || x >= left + width || y >= top + height) {
    row = col = -1;
    return false;
  }
  const Integer R = RowCount(), C = ColCount();
  Integer r = static_cast<Integer>(std::upper_bound(F.RowStarts.begin(), F.RowStarts.begin() + R, y) - F.RowStarts.begin()) - 1;
  Integer c = static_cast<Integer>(std::upper_bound(F.ColStarts.begin(), F.ColStarts.begin() + C, x) - F.ColStarts.begin()) - 1;
  r = std::clamp(r, 0, R - 1);
  c = std::clamp(c, 0, C - 1);
  const TVLTableCellData* cell = Rows.GetMainCell(r, c, row, col);
  if (!cell || x < cell->Left + 1 || x >= cell->Left + cell->Width - 1 || y < cell->Top + 1 ||
      y >= cell->Top + cell->Height - 1) {
    row = col = -1;
    return false;
  }
  return true;
}

TCustomVLData* TVLTableItemInfo::GetSubVLDataAt(Integer x, Integer y) {
  Integer r, c;
  return GetCellAt(x, y, r, c) ? GetCell(r, c) : nullptr;
}

#pragma once
// The printed page held to what the screen shows: the words of a document
// as its lines show them, found again in a PDF read in drawing order
// (pdftotext -raw -bbox), in order within their cells and inside the
// printable area. Used by the printed-page tests and the sequence test's
// print step.
#include "platform/base/Types.h"
#include "richtext/model/VLItem.h"
#include "richtext/model/VLMarkers.h"
#include "richtext/model/VLStyle.h"
#include "richtext/table/VLTable.h"
#include "richtext/view/VLFormattedData.h"
#include "richtext/view/VLPrint.h"
#include "support/PdfPages.h"

#include <QImage>
#include <QString>

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace qytest::printed {

using qytest::TPdfLayout;
using qytest::TPdfWord;

// A word as the screen shows it: where (the body, or a cell by its tables
// and grid positions), its text size in points, and the widest letter
// spacing of its styles in points (pdftotext breaks a spaced word apart).
struct TShownWord {
  std::string Text, Cell;
  Integer Points = 0;
  double Spacing = 0;
  // Its paragraph's indents (a list's too), in points.
  double Indent = 0;
};
// A table as the screen shows it: its columns' shares of its width, its
// cells by grid position (column and columns spanned), and what it takes
// beside its cells' content on paper (borders, spacing and padding, the
// padding at least the gap kept between columns' text) in points.
struct TShownCell {
  std::string Name;
  Integer Col = 0, Span = 1;
};
struct TShownTable {
  std::string Cell;
  Integer Rows = 0, Cols = 0;
  std::vector<double> Shares;
  bool HoldsTables = false;
  std::vector<TShownCell> Cells = {};
  double Extra = 0;
};
// The least a table takes beside its content on paper.
inline double TableExtraPoints(const TVLTableItemInfo& t) {
  const double pt = 72.0 / ScreenPixelsPerInch;
  const Integer C = t.ColCount();
  return ((C - 1) * t.CellHSpacing + 2 * (t.BorderWidth + t.BorderHSpacing) + 2 * C * t.CellBorderWidth) * pt +
         2 * C * std::max(t.CellPadding * pt, 1.0);
}
inline std::vector<TShownCell> ShownCells(const TVLTableItemInfo& t, const std::string& table) {
  std::vector<TShownCell> out;
  for (Integer r = 0; r < t.RowCount(); ++r)
    for (Integer c = 0; c < t.ColCount(); ++c)
      if (const TVLTableCellData* one = t.Rows.GetRow(r)->GetCell(c))
        out.push_back({table + "r" + std::to_string(r) + "c" + std::to_string(c), c, one->ColSpan});
  return out;
}
struct TScreen {
  std::vector<TShownWord> Words;
  std::vector<TShownTable> Tables;
};

inline std::string CellName(const std::string& outer, size_t table, Integer r, Integer c) {
  return outer + "/t" + std::to_string(table) + "r" + std::to_string(r) + "c" + std::to_string(c);
}

// The words of a document as its lines show them (cells as shown: in their
// editors while open), list markers as words of their own.
inline void ReadScreen(TCustomVLData& data, const std::string& cell, TScreen& out) {
  auto* shown = dynamic_cast<TCustomVLFormattedData*>(&data);
  if (!shown) return;
  std::u16string line;
  std::vector<double> spacing;  // each character's, in points
  Integer points = 0;
  double indent = 0;
  auto flush = [&] {
    std::u16string word;
    double spaced = 0;
    for (size_t k = 0; k <= line.size(); ++k) {
      if (k < line.size() && line[k] != u' ') {
        word += line[k];
        spaced = std::max(spaced, spacing[k]);
        continue;
      }
      if (!word.empty()) out.Words.push_back({WideToUtf8(word), cell, points, spaced, indent});
      word.clear();
      spaced = 0;
    }
    line.clear();
    spacing.clear();
  };
  size_t tables = 0;
  for (Integer i = 0; i < shown->DrawItems.Count(); ++i) {
    const TVLDrawLineInfo& d = *shown->DrawItems[i];
    TCustomVLItemInfo* item = data.GetItem(d.ItemNo);
    // Text apart on its line (a tab, a stretched line) is apart in words.
    if (d.StartsNewLine || (i > 0 && d.Left > shown->DrawItems[i - 1]->Left + shown->DrawItems[i - 1]->Width + 2)) flush();
    if (auto* marker = dynamic_cast<TVLMarkerItemInfo*>(item)) {
      flush();
      const WideString text = VLMarkerShownText(*marker, data);
      // A marker is drawn in its level's own font, on the screen as on paper.
      TVLListLevel* level = VLGetListLevel(data.GetStyle(), marker->ListNo, marker->Level);
      const Integer points = level && level->UsesFont() ? level->GetFont()->GetSize() : 0;
      if (!text.empty()) out.Words.push_back({WideToUtf8(text), cell, points});
    } else if (auto* t = dynamic_cast<TVLTableItemInfo*>(item)) {
      flush();
      const size_t k = tables++;
      TShownTable table{cell + "/t" + std::to_string(k), t->RowCount(), t->ColCount(), {}, false, {}, TableExtraPoints(*t)};
      table.Cells = ShownCells(*t, table.Cell);
      // From the first row's first cell's left edge to its last cell's right.
      std::vector<const TVLTableCellData*> row;
      for (Integer c = 0; c < t->ColCount(); ++c) row.push_back(t->GetCell(0, c));
      if (std::find(row.begin(), row.end(), nullptr) == row.end()) {
        const double width = row.back()->Left + row.back()->Width - row.front()->Left;
        for (size_t c = 0; c + 1 < row.size(); ++c) table.Shares.push_back((row[c + 1]->Left - row[c]->Left) / width);
      }
      for (Integer r = 0; r < t->RowCount(); ++r)
        for (Integer c = 0; c < t->ColCount(); ++c)
          if (TVLTableCellData* one = t->GetCell(r, c)) {
            TCustomVLData& inner = *one->GetVLData();
            for (Integer n = 0; n < inner.GetItemCount(); ++n)
              table.HoldsTables = table.HoldsTables || dynamic_cast<TVLTableItemInfo*>(inner.GetItem(n));
            ReadScreen(inner, CellName(cell, k, r, c), out);
          }
      out.Tables.push_back(table);
    } else if (item->StyleNo >= 0) {
      // As drawn (all capitals where the style shows them), in the style
      // the text is drawn in.
      const std::u16string text = shown->GetDisplayText(d.ItemNo);
      const TFontInfo* style = data.GetStyle()->TextStyles->Items(data.GetItemActualStyle(item));
      if (line.empty()) {
        points = style->Size;
        Integer paraStart = -1;
        indent = shown->GetHorzIndents(d.ItemNo, paraStart) * 72.0 / ScreenPixelsPerInch;
      }
      line += text.substr(static_cast<size_t>(std::max<Integer>(0, d.TextOffset - 1)), static_cast<size_t>(d.Length));
      spacing.resize(line.size(), std::max(0.0, style->CharSpacing * 72.0 / ScreenPixelsPerInch));
    } else {
      // A picture (or a line, a control) parts the words beside it.
      flush();
    }
  }
  flush();
}

// pdftotext reads the bullet of a symbol font as a middle dot.
inline bool SameText(const std::string& shown, const std::string& printed) {
  return shown == printed || (shown == "\u2022" && printed == "\u00b7");
}

inline bool SameLine(const TPdfWord& a, const TPdfWord& b) {
  return a.Page == b.Page && std::abs((a.YMin + a.YMax) / 2 - (b.YMin + b.YMax) / 2) < std::min(a.Height(), b.Height()) / 2;
}

// A list's number as printed: "a.", "12." (a document may hold markers
// the words expected leave out, as the sweep's do).
inline bool ListNumberText(const std::string& text) {
  return text.size() > 1 && text.size() < 5 && text.back() == '.' &&
         (std::all_of(text.begin(), text.end() - 1, [](char c) { return c >= '0' && c <= '9'; }) ||
          std::all_of(text.begin(), text.end() - 1, [](char c) { return c >= 'a' && c <= 'z'; }));
}
inline bool SameWord(const TPdfWord& a, const TPdfWord& b) {
  return a.Page == b.Page && a.XMin == b.XMin && a.YMin == b.YMin && a.Text == b.Text;
}

// pdftotext joins the end of a cell's line and the start of the next
// cell's into one word when they meet at the rule between them (a cell's
// padding is a pixel of the screen). A printed word that is no part of any
// word the screen shows is cut back into such parts, the first as long as
// it can be, each with its share of the width (a list's number is such a
// part whether expected or not). A printed word that is itself part of a
// longer word ("vy" | "h" read as "vyh") is cut only
// where it ends one of the words `lost` (missing when read uncut) and the
// next column's lines start; with `only`, only when it is one of those.
inline TPdfLayout ApartAtCells(const TScreen& screen, const TPdfLayout& given, const std::vector<std::string>& lost = {},
                               const std::vector<TPdfWord>* only = nullptr) {
  std::unordered_set<std::string> parts, ends, starts;
  for (const TShownWord& w : screen.Words)
    for (size_t from = 0; from < w.Text.size(); ++from) {
      ends.insert(w.Text.substr(from));
      starts.insert(w.Text.substr(0, from + 1));
      for (size_t n = 1; from + n <= w.Text.size(); ++n) parts.insert(w.Text.substr(from, n));
    }
  // Where the text of a printed word splits into parts; empty when it does
  // not. A cut after the end of a word and before the start of one first,
  // then after an end or before a start; among those the cut at the left
  // edge of the next column's lines (each letter taken as wide as the
  // others), the longest first part first.
  std::unordered_map<std::string, std::vector<size_t>> known;
  const TPdfWord* word = nullptr;
  std::vector<double> edges;
  std::function<std::vector<size_t>(const std::string&)> cuts = [&](const std::string& text) {
    const bool whole = parts.count(text) > 0 || ListNumberText(text), atEdgeOnly = whole && text == word->Text;
    if (whole && !atEdgeOnly) return std::vector<size_t>{text.size()};
    if (auto k = known.find(text); k != known.end()) return k->second;
    const size_t at = word->Text.size() - text.size();
    const double perByte = (word->XMax - word->XMin) / static_cast<double>(word->Text.size());
    std::vector<std::tuple<int, int, size_t>> tries;
    for (size_t cut = text.size() - 1; cut > 0; --cut)
      if (const std::string first = text.substr(0, cut); parts.count(first)) {
        const double x = word->XMin + perByte * static_cast<double>(at + cut);
        double off = 1e9;
        for (double e : edges) off = std::min(off, std::abs(e - x));
        if (atEdgeOnly && (off >= perByte / 2 || std::none_of(lost.begin(), lost.end(), [&](const std::string& l) {
                             return l.size() > first.size() && l.ends_with(first);
                           })))
          continue;
        tries.push_back({-2 * static_cast<int>(ends.count(first)) - static_cast<int>(starts.count(text.substr(cut, 1))),
                         off < perByte / 2 ? 0 : 1, text.size() - cut});
      }
    std::sort(tries.begin(), tries.end());
    // Into the fewest parts: a word's own letters are no short words of
    // others ("xu" | "jc" | "vbn" of "xujcvbncp" + "xnkcvk").
    std::vector<size_t> found;
    for (const auto& [score, far, rest] : tries) {
      const size_t cut = text.size() - rest;
      if (std::vector<size_t> after = cuts(text.substr(cut));
          !after.empty() && (found.empty() || after.size() + 1 < found.size())) {
        found = {cut};
        for (size_t r : after) found.push_back(r + cut);
      }
    }
    return known[text] = found;
  };
  TPdfLayout out;
  out.PageSizes = given.PageSizes;
  for (const TPdfWord& w : given.Words) {
    if (parts.count(w.Text) &&
        (lost.empty() || (only && std::none_of(only->begin(), only->end(), [&](const TPdfWord& o) { return SameWord(o, w); })))) {
      out.Words.push_back(w);
      continue;
    }
    word = &w;
    known.clear();
    edges.clear();
    for (const TPdfWord& o : given.Words)
      if (o.Page == w.Page && o.XMin > w.XMin && o.XMin < w.XMax && std::abs(o.YMin - w.YMin) < 4 * w.Height())
        edges.push_back(o.XMin);
    const std::vector<size_t> at = cuts(w.Text);
    if (at.size() < 2) {
      out.Words.push_back(w);
      continue;
    }
    const double perByte = (w.XMax - w.XMin) / static_cast<double>(w.Text.size());
    size_t from = 0;
    for (size_t to : at) {
      TPdfWord part = w;
      part.Text = w.Text.substr(from, to - from);
      part.XMin = w.XMin + perByte * static_cast<double>(from);
      part.XMax = w.XMin + perByte * static_cast<double>(to);
      out.Words.push_back(part);
      from = to;
    }
  }
  return out;
}

// The width a table needs on paper to keep every word of its cells whole
// (those of the tables in them too): each column as wide as its widest
// word with its indents, or a table in it at its own; the words' widths
// taken from paper (the pieces of a broken word together).
class TWordFloors {
public:
  TWordFloors(const TScreen& screen, const std::vector<std::vector<TPdfWord>>& pieces) : S(screen) {
    for (size_t i = 0; i < screen.Words.size(); ++i) {
      double w = 0;
      for (const TPdfWord& p : pieces[i]) w += p.XMax - p.XMin;
      double& need = Need[screen.Words[i].Cell];
      need = std::max(need, w + screen.Words[i].Indent);
    }
    for (const TShownTable& t : screen.Tables) ByName[t.Cell] = &t;
  }
  // A table's floor in points; 0 for one not known.
  double Table(const std::string& name) {
    if (const auto k = Known.find(name); k != Known.end()) return k->second;
    const auto t = ByName.find(name);
    if (t == ByName.end()) return 0;
    double w = t->second->Extra;
    for (double c : Columns(name)) w += c;
    return Known[name] = w;
  }
  // What each column of a table needs (its content, without padding).
  std::vector<double> Columns(const std::string& name) {
    const auto t = ByName.find(name);
    if (t == ByName.end()) return {};
    std::vector<double> col(static_cast<size_t>(t->second->Cols), 0);
    for (const TShownCell& c : t->second->Cells)
      if (c.Span == 1 && c.Col < t->second->Cols) col[static_cast<size_t>(c.Col)] = std::max(col[static_cast<size_t>(c.Col)], Cell(c.Name));
    // A merged cell short of its words widens its last column.
    for (const TShownCell& c : t->second->Cells) {
      if (c.Span == 1) continue;
      const size_t last = static_cast<size_t>(std::min(c.Col + c.Span, t->second->Cols) - 1);
      double have = 0;
      for (size_t j = static_cast<size_t>(c.Col); j <= last; ++j) have += col[j];
      col[last] += std::max(0.0, Cell(c.Name) - have);
    }
    return col;
  }
  // What a cell's content needs: its widest word, or its tables'.
  double Cell(const std::string& name) {
    double w = 0;
    if (const auto k = Need.find(name); k != Need.end()) w = k->second;
    for (const TShownTable& t : S.Tables)
      if (t.Cell.size() > name.size() + 2 && t.Cell.compare(0, name.size() + 2, name + "/t") == 0 &&
          t.Cell.find('/', name.size() + 1) == std::string::npos)
        w = std::max(w, Table(t.Cell));
    return w;
  }
  // The outermost table holding a cell ("" in the body).
  static std::string Outermost(const std::string& cell) {
    const size_t t = cell.find("/t");
    if (t == std::string::npos) return std::string();
    size_t end = t + 2;
    while (end < cell.size() && cell[end] >= '0' && cell[end] <= '9') ++end;
    return cell.substr(0, end);
  }

private:
  const TScreen& S;
  std::unordered_map<std::string, double> Need, Known;
  std::unordered_map<std::string, const TShownTable*> ByName;
};

// Where the printed page differs from the screen: a word or marker of the
// screen missing on paper (or split), out of order in its cell, in another
// column, at another text size, or the columns of a table in other shares
// than on the screen. With piecesOut, each word's pieces on paper (none
// when not on paper whole).
inline std::vector<std::string> Differences(const TScreen& screen, const TPdfLayout& printed,
                                     const std::function<QImage(int)>& pageImage, double dpi,
                                     std::vector<std::vector<TPdfWord>>* piecesOut = nullptr,
                                     const std::vector<std::string>& lost = {},
                                     const std::vector<TPdfWord>* only = nullptr, double lineWidth = 0) {
  std::vector<std::string> out;
  const TPdfLayout pdf = ApartAtCells(screen, printed, lost, only);
  // Where each word starts and ends on paper: a word wider than its column
  // is broken over lines there, in pieces that follow each other.
  std::vector<const TPdfWord*> match(screen.Words.size(), nullptr), matchEnd(screen.Words.size(), nullptr);
  std::vector<bool> used(pdf.Words.size(), false);
  std::vector<double> pageTop(pdf.PageSizes.size() + 2, 1e9);
  for (const TPdfWord& w : pdf.Words) {
    double& top = pageTop[static_cast<size_t>(w.Page)];
    top = std::min(top, w.YMin);
  }
  // The word left of w on its line, when it is a list's marker: the lines
  // after a marker's line start under the marker, left of the first line's
  // text.
  const auto markerBefore = [&](const TPdfWord& w) -> const TPdfWord* {
    const TPdfWord* near = nullptr;
    for (const TPdfWord& m : pdf.Words)
      if (&m != &w && SameLine(m, w) && m.XMax <= w.XMin + 1 && (!near || m.XMax > near->XMax)) near = &m;
    if (!near || w.XMin - near->XMax > w.Height()) return nullptr;
    const bool marker = near->Text == "\u2022" || near->Text == "\u00b7" ||
                        (near->Text.size() > 1 && near->Text.back() == '.');
    return marker ? near : nullptr;
  };
  // b comes after a in reading order.
  const auto follows = [](const TPdfWord& a, const TPdfWord& b) {
    if (a.Page != b.Page) return b.Page > a.Page;
    return SameLine(a, b) ? b.XMin >= a.XMax - 1 : b.YMin > a.YMin;
  };
  // The pieces of pdf that hold word i: one whole (when `whole`), or pieces
  // of it on the lines below each other in one column or side by side on a
  // line, nearest first, going back when a piece leads nowhere; with
  // `after`, from a first piece after that one in reading order. Empty
  // when none.
  const auto find = [&](size_t i, bool whole, const TPdfWord* after = nullptr) {
    const TShownWord& s = screen.Words[i];
    for (size_t k = 0; k < pdf.Words.size() && whole; ++k)
      if (!used[k] && SameText(s.Text, pdf.Words[k].Text)) return std::vector<size_t>{k};
    // The first pieces that may start it, those after the word before it
    // in its cell first, nearest first: a short word ("xa") could take the
    // first lines of a longer one ("xab") in another column of letters.
    const TPdfWord* before = i > 0 && screen.Words[i - 1].Cell == s.Cell ? matchEnd[i - 1] : nullptr;
    std::vector<std::pair<double, size_t>> starts;
    for (size_t k = 0; k < pdf.Words.size(); ++k) {
      const TPdfWord& w = pdf.Words[k];
      if (used[k] || w.Text.size() >= s.Text.size() || s.Text.compare(0, w.Text.size(), w.Text) != 0) continue;
      if (after && !follows(*after, w)) continue;
      const double down = before ? (w.Page - before->Page) * 1e4 + w.YMin - before->YMin : 0;
      starts.push_back({down >= 0 ? down : 1e9 + static_cast<double>(k), k});
    }
    std::stable_sort(starts.begin(), starts.end());
    // Pieces wholly in one column first: in columns a letter wide, side by
    // side, a word could else begin in its neighbour's column and cross
    // into its own. Pieces side by side on a line last, where none below
    // each other make the word.
    for (const auto& [asideToo, sideBySide] : {std::pair{false, false}, {true, false}, {true, true}})
    for (const auto& [distance, k] : starts) {
      const TPdfWord* marker = markerBefore(pdf.Words[k]);
      std::vector<size_t> chain = {k};
      // Where a chain leads depends only on how much of the word it holds,
      // its last piece and the column its pieces span: each such end that
      // led nowhere is tried once (among many like letters the ways to it
      // are too many to go through).
      std::set<std::tuple<size_t, size_t, double, double>> deadEnds;
      std::function<bool(size_t)> extend = [&](size_t have) {
        if (have == s.Text.size()) return true;
        const TPdfWord& last = pdf.Words[chain.back()];
        double spanFrom = 1e9, spanTo = -1e9;
        for (size_t u : chain) {
          spanFrom = std::min(spanFrom, pdf.Words[u].XMin);
          spanTo = std::max(spanTo, pdf.Words[u].XMax);
        }
        const auto end = std::make_tuple(have, chain.back(), spanFrom, spanTo);
        if (deadEnds.count(end)) return false;
        std::vector<std::pair<double, size_t>> next;
        // A word goes on over the page only from its column's last line
        // there: no line of its column right under it (a neighbouring
        // cell's lines may lie a little lower).
        bool atFoot = true;
        for (const TPdfWord& o : pdf.Words)
          if (o.Page == last.Page && std::abs(o.YMin - last.YMax) < 1 &&
              std::min(o.XMax, last.XMax) - std::max(o.XMin, last.XMin) > std::min(o.XMax - o.XMin, last.XMax - last.XMin) / 2) {
            atFoot = false;
            break;
          }
        for (size_t e = 0; e < pdf.Words.size(); ++e) {
          const TPdfWord& w = pdf.Words[e];
          if (used[e] || (w.Page != last.Page && w.Page != last.Page + 1) ||
              std::find(chain.begin(), chain.end(), e) != chain.end() || w.Text.size() > s.Text.size() - have ||
              s.Text.compare(have, w.Text.size(), w.Text) != 0)
            continue;
          // A letter-spaced word, or one in styles of several sizes, prints
          // as pieces side by side on its line. (Columns a letter wide lie
          // side by side as closely, in one style.)
          if (SameLine(last, w)) {
            if (!sideBySide || (s.Spacing <= 0 && std::abs(w.Height() - last.Height()) < 0.5)) continue;
            const double gap = w.XMin - last.XMax;
            // (Narrower than the padding between two cells, beside the
            // word's letter spacing.)
            if (gap > -1 && gap < std::min(last.Height() / 4, 1.6) + s.Spacing) next.push_back({gap, e});
            continue;
          }
          // In the column of the pieces before it (from under the marker
          // on); a row cut over pages goes on in the first lines of the
          // next page's text. A letter wider than its column reaches a
          // point or two into the next: a piece that overlaps the column by
          // less than half its width is tried last.
          double from = marker && w.Page == marker->Page ? marker->XMin : 1e9, to = -1e9;
          for (size_t u : chain) {
            from = std::min(from, pdf.Words[u].XMin);
            to = std::max(to, pdf.Words[u].XMax);
          }
          if (w.XMin >= to + 2 || w.XMax <= from - 2) continue;
          const bool aside = std::min(w.XMax, to) - std::max(w.XMin, from) < std::min(w.XMax - w.XMin, to - from) / 2;
          if (aside && !asideToo) continue;
          const double later = aside ? 1e5 : 0;
          if (w.Page != last.Page) {
            if (atFoot && w.YMin - pageTop[static_cast<size_t>(w.Page)] < 4 * last.Height())
              next.push_back({1e6 + later + w.YMin + std::abs(w.XMin - pdf.Words[k].XMin), e});
            continue;
          }
          const double down = w.YMin - last.YMin;
          if (down < last.Height() / 2 || down > 3 * last.Height()) continue;
          // On the next line of its column: a whole line between, under
          // both pieces, holds another word ("xa" | "e" of "xae" over "xb" |
          // "e"). A narrower neighbouring column's letters lie across lines.
          const auto under = [](const TPdfWord& o, const TPdfWord& p) {
            return (o.XMin + o.XMax) / 2 > p.XMin && (o.XMin + o.XMax) / 2 < p.XMax;
          };
          if (std::any_of(pdf.Words.begin(), pdf.Words.end(), [&](const TPdfWord& o) {
                return o.Page == w.Page && o.YMin > last.YMax - 1 && o.YMax < w.YMin + 1 && under(o, last) && under(o, w);
              }))
            continue;
          next.push_back({later + down + std::abs(w.XMin - pdf.Words[k].XMin), e});
        }
        std::sort(next.begin(), next.end());
        for (const auto& [distance, e] : next) {
          chain.push_back(e);
          if (extend(have + pdf.Words[e].Text.size())) return true;
          chain.pop_back();
        }
        deadEnds.insert(end);
        return false;
      };
      if (extend(pdf.Words[k].Text.size())) return chain;
    }
    return std::vector<size_t>();
  };
  std::vector<std::vector<size_t>> pieces(screen.Words.size());
  const auto take = [&](size_t i, const std::vector<size_t>& chain) {
    pieces[i] = chain;
    for (size_t u : chain) used[u] = true;
    match[i] = &pdf.Words[chain.front()];
    matchEnd[i] = &pdf.Words[chain.back()];
  };
  // Each word in its cell's order once the word before it is placed (a
  // cell's first word at once): whole where it follows that word most
  // closely on paper (a cell's first word where it comes first), else
  // broken into pieces after it; so a word printed more than once (in the
  // heading too, or typed twice) is taken at its place. Then every word
  // left, whole or broken, anywhere.
  const size_t none = screen.Words.size();
  std::vector<size_t> before(screen.Words.size(), none);
  {
    std::unordered_map<std::string, size_t> last;
    for (size_t i = 0; i < screen.Words.size(); ++i) {
      if (const auto l = last.find(screen.Words[i].Cell); l != last.end()) before[i] = l->second;
      last[screen.Words[i].Cell] = i;
    }
  }
  std::vector<bool> tried(screen.Words.size(), false);
  for (bool progress = true; progress;) {
    progress = false;
    for (size_t i = 0; i < screen.Words.size(); ++i) {
      if (match[i] || tried[i] || (before[i] != none && !match[before[i]])) continue;
      tried[i] = true;
      const TPdfWord* anchor = before[i] == none ? nullptr : matchEnd[before[i]];
      size_t best = pdf.Words.size();
      for (size_t k = 0; k < pdf.Words.size(); ++k)
        if (!used[k] && SameText(screen.Words[i].Text, pdf.Words[k].Text) && (!anchor || follows(*anchor, pdf.Words[k])) &&
            (best == pdf.Words.size() || follows(pdf.Words[k], pdf.Words[best])))
          best = k;
      if (best < pdf.Words.size()) {
        take(i, {best});
        progress = true;
      } else if (const std::vector<size_t> chain = find(i, false, anchor); !chain.empty()) {
        take(i, chain);
        progress = true;
      }
    }
  }
  for (size_t i = 0; i < screen.Words.size(); ++i)
    if (!match[i])
      if (const std::vector<size_t> chain = find(i, true); !chain.empty()) take(i, chain);
  // A word found first may hold the first line of a later one broken over
  // lines ("xa" of "xab" over "xa" | "b", or "x" | "a" of it) while it is
  // on paper elsewhere too: the later one takes the pieces when the first
  // then finds others (taking another's in turn, a few deep).
  const auto give = [&](size_t i) {
    for (size_t u : pieces[i]) used[u] = false;
    match[i] = matchEnd[i] = nullptr;
  };
  std::function<bool(size_t, int)> place = [&](size_t i, int depth) {
    if (const std::vector<size_t> chain = find(i, true); !chain.empty()) {
      take(i, chain);
      return true;
    }
    if (depth == 0) return false;
    for (size_t t = 0; t < screen.Words.size(); ++t) {
      if (t == i || !match[t] || match[t]->Text.size() >= screen.Words[i].Text.size() ||
          screen.Words[i].Text.compare(0, match[t]->Text.size(), match[t]->Text) != 0)
        continue;
      const std::vector<size_t> had = pieces[t];
      give(t);
      if (const std::vector<size_t> chain = find(i, true); !chain.empty()) {
        take(i, chain);
        if (place(t, depth - 1)) return true;
        give(i);
      }
      take(t, had);
    }
    return false;
  };
  // Pieces a word gives up go back to the pool: a word that found none
  // before may find its own there now.
  for (bool more = true; more;) {
    more = false;
    for (size_t i = 0; i < screen.Words.size(); ++i)
      if (!match[i] && place(i, 3)) more = true;
  }
  if (piecesOut) {
    piecesOut->assign(screen.Words.size(), {});
    for (size_t i = 0; i < screen.Words.size(); ++i)
      if (match[i])
        for (size_t k : pieces[i]) (*piecesOut)[i].push_back(pdf.Words[k]);
  }
  std::vector<std::string> missing;
  for (size_t i = 0; i < screen.Words.size(); ++i) {
    const TShownWord& s = screen.Words[i];
    if (!match[i]) {
      missing.push_back(s.Text);
      out.push_back("\"" + s.Text + "\" of " + (s.Cell.empty() ? "the body" : s.Cell) + " is not on paper whole");
      continue;
    }
    if (s.Points > 0) {
      const double ratio = match[i]->Height() / s.Points;
      if (ratio < 0.9 || ratio > 1.35)
        out.push_back("\"" + s.Text + "\" prints " + std::to_string(match[i]->Height()).substr(0, 4) +
                      " points high, the screen shows it at " + std::to_string(s.Points) + " points");
    }
  }
  // In each cell the words follow each other as on the screen.
  for (size_t i = 0; i + 1 < screen.Words.size(); ++i) {
    const TPdfWord *a = matchEnd[i], *b = match[i + 1];
    if (!a || !b || screen.Words[i].Cell != screen.Words[i + 1].Cell) continue;
    const bool after = SameLine(*a, *b) ? b->XMin >= a->XMax - 1 : b->Page > a->Page || (b->Page == a->Page && b->YMin > a->YMin);
    if (!after) out.push_back("\"" + b->Text + "\" is not after \"" + a->Text + "\" on paper");
  }
  // Where like words stand cannot be told apart: only words the screen
  // shows once tell where a column's text lies.
  std::unordered_map<std::string, int> shown;
  for (const TShownWord& w : screen.Words) ++shown[w.Text];
  std::unique_ptr<TWordFloors> floors;
  const auto wordFloors = [&]() -> TWordFloors& {
    if (!floors) {
      std::vector<std::vector<TPdfWord>> all(screen.Words.size());
      for (size_t i = 0; i < screen.Words.size(); ++i)
        for (size_t k : pieces[i]) all[i].push_back(pdf.Words[k]);
      floors = std::make_unique<TWordFloors>(screen, std::move(all));
    }
    return *floors;
  };
  for (const TShownTable& t : screen.Tables) {
    // A point at least between columns' text, which else reads as one word;
    // in a table the line (lineWidth, when known) cannot give its words
    // whole, and beside a column whose words break over lines, its letters
    // may crowd: no more than touching then.
    const double gap =
        lineWidth > 0 && wordFloors().Table(TWordFloors::Outermost(t.Cell + "r0c0")) > lineWidth * 0.98 - 1 ? 0 : 1;
    const auto breaks = [&](const std::string& cell) {
      for (size_t i = 0; i < screen.Words.size(); ++i)
        if (screen.Words[i].Cell == cell)
          for (size_t k = 1; k < pieces[i].size(); ++k)
            if (!SameLine(pdf.Words[pieces[i][k - 1]], pdf.Words[pieces[i][k]])) return true;
      return false;
    };
    // Each column's words left of the next column's in the same row.
    for (Integer r = 0; r < t.Rows; ++r)
      for (Integer c = 0; c + 1 < t.Cols; ++c) {
        const std::string left = t.Cell + "r" + std::to_string(r) + "c" + std::to_string(c);
        const std::string right = t.Cell + "r" + std::to_string(r) + "c" + std::to_string(c + 1);
        double leftEnd = -1, rightStart = 1e9;
        for (size_t i = 0; i < screen.Words.size(); ++i) {
          if (!match[i] || shown[screen.Words[i].Text] > 1) continue;
          if (screen.Words[i].Cell == left) leftEnd = std::max(leftEnd, match[i]->XMax);
          else if (screen.Words[i].Cell == right) rightStart = std::min(rightStart, match[i]->XMin);
        }
        if (leftEnd > rightStart - (breaks(left) || breaks(right) ? 0 : gap))
          out.push_back("words of " + left + " run into the next column on paper");
      }
    if (t.HoldsTables || t.Shares.empty()) continue;
    // The shares: the first words of the first row's cells, between the
    // table's outer borders.
    std::vector<const TPdfWord*> first(static_cast<size_t>(t.Cols), nullptr);
    for (size_t i = screen.Words.size(); i-- > 0;)
      for (Integer c = 0; c < t.Cols; ++c)
        if (match[i] && screen.Words[i].Cell == t.Cell + "r0c" + std::to_string(c)) first[static_cast<size_t>(c)] = match[i];
    if (std::find(first.begin(), first.end(), nullptr) != first.end()) continue;
    // The shares give way where a column's words ask for more on paper.
    const std::vector<double> need = wordFloors().Columns(t.Cell);
    bool gave = false;
    for (size_t c = 0; c + 1 < first.size() && c < need.size(); ++c)
      gave = gave || (first[c + 1]->XMin - first[c]->XMin) < need[c] + t.Extra / static_cast<double>(t.Cols) + 2;
    if (gave) continue;
    // (Only where the pages are drawn to find the borders.)
    const QImage page = pageImage(first[0]->Page);
    if (page.isNull()) continue;
    const QRect box = qytest::WordBox(*first[0], dpi);
    // The borders nearest the first cell's first word on its left and the
    // last cell's on its right.
    const QRect last = qytest::WordBox(*first.back(), dpi);
    // (A preview may draw a word's first letter against the border.)
    // Across the first words' boxes from top to bottom, which no letter's
    // stroke spans.
    int y0 = box.top(), y1 = box.bottom();
    for (const TPdfWord* f : first) {
      y0 = std::min(y0, qytest::WordBox(*f, dpi).top());
      y1 = std::max(y1, qytest::WordBox(*f, dpi).bottom());
    }
    const std::vector<int> before = qytest::VerticalRules(page, 0, box.left() + 3, y0, y1);
    const std::vector<int> after = qytest::VerticalRules(page, last.right() - 3, page.width(), y0, y1);
    if (before.empty() || after.empty()) {
      out.push_back("no borders around " + t.Cell + " on paper");
      continue;
    }
    const double width = (after.front() - before.back()) * 72.0 / dpi;
    std::string shares, shown;
    bool differ = false;
    for (size_t c = 0; c + 1 < first.size(); ++c) {
      const double share = (first[c + 1]->XMin - first[c]->XMin) / width;
      differ = differ || std::abs(share - t.Shares[c]) > 0.04;
      shares += " " + std::to_string(share).substr(0, 4);
      shown += " " + std::to_string(t.Shares[c]).substr(0, 4);
    }
    if (differ) out.push_back("the columns of " + t.Cell + " take" + shares + " on paper," + shown + " on the screen");
  }
  // A word missing may end in a printed word pdftotext joined to the next
  // column's letters that is itself part of a longer word: read again with
  // those cut where the words missing then find their pieces (and no
  // others), and keep the reading that finds more.
  if (lost.empty() && !missing.empty()) {
    std::vector<std::vector<TPdfWord>> again;
    Differences(screen, printed, pageImage, dpi, &again, missing, nullptr, lineWidth);
    std::vector<TPdfWord> joined;
    for (size_t i = 0; i < screen.Words.size(); ++i)
      for (const TPdfWord& piece : match[i] ? std::vector<TPdfWord>() : again[i])
        for (const TPdfWord& o : printed.Words)
          if (o.Page == piece.Page && o.YMin == piece.YMin && o.Text != piece.Text && o.XMin <= piece.XMin &&
              piece.XMax <= o.XMax + 0.01)
            joined.push_back(o);
    std::vector<std::string> cut = Differences(screen, printed, pageImage, dpi, &again, missing, &joined, lineWidth);
    if (!joined.empty() && cut.size() < out.size()) {
      if (piecesOut) *piecesOut = std::move(again);
      return cut;
    }
  }
  return out;
}

// The words printed broken where the line had room for them whole: a word
// of the body no wider than the line, or of a table that with every
// column at its floor is no wider than the line (lineWidth, in points).
inline std::vector<std::string> UnreadableWords(const TScreen& screen, const std::vector<std::vector<TPdfWord>>& pieces,
                                                double lineWidth) {
  std::vector<std::string> out;
  TWordFloors floors(screen, pieces);
  for (size_t i = 0; i < screen.Words.size() && i < pieces.size(); ++i) {
    if (pieces[i].size() < 2) continue;
    const TShownWord& s = screen.Words[i];
    // Broken over lines; pieces side by side on a line are read apart only
    // (a letter-spaced word, a change of font within it).
    bool overLines = false;
    for (size_t k = 1; k < pieces[i].size(); ++k) overLines = overLines || !SameLine(pieces[i][k - 1], pieces[i][k]);
    if (!overLines || s.Spacing > 0) continue;
    const std::string table = TWordFloors::Outermost(s.Cell);
    double needs = 0;
    for (const TPdfWord& p : pieces[i]) needs += p.XMax - p.XMin;
    needs += s.Indent;
    if (!table.empty()) needs = std::max(needs, floors.Table(table));
    // (Some room for the rounding of widths on paper and the table's own
    // lengths, which the checker estimates.)
    if (needs > lineWidth * 0.98 - 1) continue;
    std::string shown;
    for (const TPdfWord& p : pieces[i]) shown += (shown.empty() ? "" : "|") + p.Text;
    out.push_back("\"" + s.Text + "\" of " + (s.Cell.empty() ? "the body" : s.Cell) + " prints as " + shown +
                  " where " + (table.empty() ? "the line" : table + ", at " + std::to_string(static_cast<int>(needs)) + " points,") +
                  " has room in " + std::to_string(static_cast<int>(lineWidth)) + " points");
  }
  return out;
}

// The width of the lines of a printed document, in points.
inline double LineWidthOnPaper(const TPdfLayout& pdf, TVLPrint& print) {
  if (pdf.PageSizes.empty()) return 0;
  return pdf.PageSizes.front().first - (print.Data().LeftMarginMM + print.Data().RightMarginMM) * 72 / 25.4;
}

// The printed words that reach past the sides of the printable area (the
// printed document's margins), each as "word (page n, from x to x)".
inline std::vector<std::string> OffThePrintableArea(const TPdfLayout& pdf, TVLPrint& print) {
  std::vector<std::string> out;
  const double left = print.Data().LeftMarginMM * 72 / 25.4, right = print.Data().RightMarginMM * 72 / 25.4;
  for (const TPdfWord& w : pdf.Words) {
    const double width = pdf.PageSizes.at(static_cast<size_t>(w.Page - 1)).first;
    if (w.XMin < left - 1 || w.XMax > width - right + 1)
      out.push_back(w.Text + " (page " + std::to_string(w.Page) + ", from " + std::to_string(static_cast<int>(w.XMin)) +
                    " to " + std::to_string(static_cast<int>(w.XMax)) + " of " + std::to_string(static_cast<int>(width)) +
                    ")");
  }
  return out;
}

// The pictures printed wider than the printable area, and the ink past its
// sides on the pages that hold pictures, each as "what (page n, …)".
inline std::vector<std::string> PicturesOffThePrintableArea(const std::string& file, TVLPrint& print) {
  std::vector<std::string> out;
  const double left = print.Data().LeftMarginMM * 72 / 25.4, right = print.Data().RightMarginMM * 72 / 25.4;
  const TPdfLayout pdf = qytest::PdfLayout(file);
  int drawn = 0;
  for (const qytest::TPdfImage& image : qytest::PdfImages(file)) {
    const double width = pdf.PageSizes.at(static_cast<size_t>(image.Page - 1)).first;
    if (image.PointsWide() > width - left - right + 1)
      out.push_back("a picture " + std::to_string(static_cast<int>(image.PointsWide())) + " points wide (page " +
                    std::to_string(image.Page) + ", " + std::to_string(static_cast<int>(width - left - right)) +
                    " printable)");
    // Drawing pages costs: only those with a picture wide enough to reach
    // the sides when misplaced.
    if (image.Page == drawn || image.PointsWide() < (width - left - right) / 2) continue;
    // At 72 dots an inch a pixel is a point; a picture's edge may smear
    // into the next.
    drawn = image.Page;
    const QImage page = qytest::PdfPageImage(file, drawn, 72);
    for (int y = 0; y < page.height(); ++y)
      for (int x = 0; x < page.width(); ++x)
        if ((x < left - 2 || x > page.width() - right + 1) && qGray(page.pixel(x, y)) < 128) {
          out.push_back("ink at " + std::to_string(x) + ", " + std::to_string(y) + " (page " + std::to_string(drawn) +
                        ", printable from " + std::to_string(static_cast<int>(left)) + " to " +
                        std::to_string(static_cast<int>(width - right)) + ")");
          y = page.height();
          break;
        }
  }
  return out;
}

// The words of a PDF's document, away from the page's header and footer (a
// date, a time), which stand half way or more into the margins.
inline TPdfLayout BodyOnPaper(const TPdfLayout& pdf, TVLPrint& print) {
  TPdfLayout body = pdf;
  const double top = (print.Data().TopMarginMM + print.Data().HeaderYMM) / 2 * 72 / 25.4,
               bottom = (print.Data().BottomMarginMM + print.Data().FooterYMM) / 2 * 72 / 25.4;
  body.Words.clear();
  for (const TPdfWord& w : pdf.Words)
    if (w.YMin >= top - 1 && w.YMax <= pdf.PageSizes.at(static_cast<size_t>(w.Page - 1)).second - bottom + 1)
      body.Words.push_back(w);
  return body;
}

// The printed-page check of a document print made: every word expected is
// on a page whole (or broken only over the lines of a column narrower than
// it), in order within its cell, and no printed word reaches past the
// printable area. Empty when all holds.
inline std::vector<std::string> WordsKeptOnPaper(const TScreen& expected, const TPdfLayout& pdf, TVLPrint& print) {
  if (pdf.Words.empty()) return {"no word on paper"};
  const auto noPage = [](int) { return QImage(); };
  std::vector<std::vector<TPdfWord>> pieces;
  std::vector<std::string> faults =
      Differences(expected, BodyOnPaper(pdf, print), noPage, 144, &pieces, {}, nullptr, LineWidthOnPaper(pdf, print));
  for (const std::string& f : UnreadableWords(expected, pieces, LineWidthOnPaper(pdf, print))) faults.push_back(f);
  for (const std::string& f : OffThePrintableArea(pdf, print)) faults.push_back("off the paper: " + f);
  return faults;
}

// Every letter and digit expected is printed in the document, as many
// times: for a document whose words repeat, where the order of like words
// on paper cannot be told apart. Returns the letters missing or extra.
inline std::vector<std::string> LettersKeptOnPaper(const TScreen& expected, const TPdfLayout& pdf, TVLPrint& print) {
  std::map<char32_t, int> count;
  auto add = [&](const std::string& text, int by) {
    for (const uint c : QString::fromStdString(text).toUcs4())
      if (QChar::isLetterOrNumber(static_cast<char32_t>(c))) count[static_cast<char32_t>(c)] += by;
  };
  for (const TShownWord& w : expected.Words) add(w.Text, 1);
  for (const TPdfWord& w : BodyOnPaper(pdf, print).Words) add(w.Text, -1);
  std::vector<std::string> out;
  for (const auto& [c, n] : count)
    if (n != 0)
      out.push_back("\"" + QString::fromUcs4(&c, 1).toStdString() + "\" " + (n > 0 ? "missing " : "extra ") +
                    std::to_string(std::abs(n)) + " time(s) on paper");
  return out;
}

}  // namespace qytest::printed

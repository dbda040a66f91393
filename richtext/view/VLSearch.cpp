#include "richtext/view/VLSearch.h"

#include "platform/base/CodePages.h"
#include "richtext/model/VLItem.h"
#include "richtext/model/VLUni.h"

#include <algorithm>
#include <tuple>
#include <vector>

namespace {

WideString ItemTextW(TCustomVLData& data, Integer itemNo) {
  TCustomVLItemInfo* item = data.GetItem(itemNo);
  const AnsiString raw = data.GetItemTextA(itemNo);
  if (item->IsUnicode()) return RawUnicodeToWideString(raw);
  return RawUnicodeToWideString(AnsiToRawUnicode(raw, data.GetStyleCodePage(data.GetItemActualStyle(item))));
}

void GetSearchStart(TVLControlData& data, bool down, Integer& itemNo, Integer& offs) {
  if (data.SelectionExists(true, false)) {
    data.DrawItem2Item(data.SelEndDrawItem, data.SelEndOffs, itemNo, offs);
  } else if (down) {
    itemNo = std::max(0, data.GetFirstItemVisible());
    offs = data.GetItemStartOffset(itemNo);
  } else {
    itemNo = std::max(0, data.GetLastItemVisible());
    offs = data.GetItemEndOffset(itemNo) + 1;
  }
  if (itemNo < 0) itemNo = 0;
}

// Selects from one item position to another, shows where it starts and
// tells the host.
void SelectAndShow(TVLControlData& data, Integer fromItem, Integer from, Integer toItem, Integer to) {
  data.StoreSelBounds(fromItem, from, toItem, to);
  if (data.SelStartDrawItem >= 0) {
    const TVLDrawLineInfo* d = data.DrawItems[data.SelStartDrawItem];
    VLShowRectangle(data, d->Left, d->Top, d->Width, d->Height);
  }
  data.Invalidate();
  data.SelectionChanged();
  data.DoSelect();
}

void SelectFound(TVLControlData& data, const TVLTextMatch& m, bool backward) {
  Integer d, o, d2, o2;
  data.Item2DrawItem(m.StartItem, m.StartOffs, d, o);
  data.Item2DrawItem(m.EndItem, m.EndOffs, d2, o2);
  if (d >= 0 && d == d2) {
    // Within one line: the data selects it (an editor moves its caret too).
    const TVLDrawLineInfo* di = data.DrawItems[d];
    VLShowRectangle(data, di->Left, di->Top, di->Width, di->Height);
    data.SelectInItem(d, o, o2 - o, backward);
    return;
  }
  if (backward)
    SelectAndShow(data, m.EndItem, m.EndOffs, m.StartItem, m.StartOffs);
  else
    SelectAndShow(data, m.StartItem, m.StartOffs, m.EndItem, m.EndOffs);
}

}  // namespace

WideString VLFoldCase(const WideString& text) {
  WideString out = text;
  for (char16_t& c : out) {
    if (c < 0x80) {
      if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
      continue;
    }
    const WideString up = WideUpperCase(WideString(1, c));
    if (up.size() == 1) c = up[0];
  }
  return out;
}

namespace {

// The index of the first acceptable occurrence of pattern in text at or
// after from (a whole word judged by the characters around it in text),
// npos when none; occurrences overlapping a rejected one are passed over.
size_t FindAcceptable(const WideString& text, const WideString& pattern, bool wholeWord, const AnsiString& delimiters,
                      size_t from) {
  while (true) {
    const size_t p = text.find(pattern, from);
    if (p == WideString::npos || !wholeWord) return p;
    const size_t end = p + pattern.size();
    const bool left = p == 0 || IsDelimiterW(text[p - 1], delimiters);
    const bool right = end >= text.size() || IsDelimiterW(text[end], delimiters);
    if (left && right) return p;
    from = end;
  }
}

}  // namespace

Integer VLFindWord(const WideString& text, const WideString& pattern, bool wholeWord, const AnsiString& delimiters) {
  if (pattern.empty()) return 0;
  const size_t p = FindAcceptable(text, pattern, wholeWord, delimiters, 0);
  return p == WideString::npos ? 0 : static_cast<Integer>(p + 1);
}

Integer VLFindWordBackward(const WideString& text, const WideString& pattern, bool wholeWord,
                           const AnsiString& delimiters) {
  Integer last = 0, base = 0;
  WideString rest = text;
  while (true) {
    const Integer p = VLFindWord(rest, pattern, wholeWord, delimiters);
    if (p == 0) return last;
    last = base + p;
    const size_t skip = static_cast<size_t>(p - 1) + pattern.size();
    base += static_cast<Integer>(skip);
    rest = rest.substr(skip);
  }
}

bool VLSearchText(TVLControlData& data, bool down, bool matchCase, const WideString& text, bool wholeWord) {
  if (text.empty() || data.GetItemCount() == 0) return false;
  Integer itemNo, offs;
  GetSearchStart(data, down, itemNo, offs);
  return VLSearchTextFrom(data, down, matchCase, text, wholeWord, itemNo, offs);
}

namespace {

// The text of an item and of up to `reach` characters of the text items
// beside it in the same line, with where each piece comes from.
struct TItemContext {
  struct TPiece {
    Integer ItemNo, FirstOffs, From, Length;
  };
  WideString Text;
  std::vector<TPiece> Pieces;
  size_t ItemFrom = 0, ItemLength = 0;

  TItemContext(TCustomVLData& data, Integer itemNo, size_t reach) {
    // Item i goes on the line of text item i - 1.
    const auto joined = [&](Integer i) { return !data.IsFromNewLine(i) && data.GetItemStyle(i - 1) >= 0; };
    // Item, offset of the first character taken, the characters.
    std::vector<std::tuple<Integer, Integer, WideString>> before;
    for (Integer i = itemNo, need = static_cast<Integer>(reach); need > 0 && i > 0 && joined(i); --i) {
      WideString w = ItemTextW(data, i - 1);
      const Integer cut = std::max(0, static_cast<Integer>(w.size()) - need);
      need -= static_cast<Integer>(w.size()) - cut;
      before.emplace_back(i - 1, cut + 1, w.substr(static_cast<size_t>(cut)));
    }
    for (auto it = before.rbegin(); it != before.rend(); ++it)
      Append(std::get<0>(*it), std::get<1>(*it), std::get<2>(*it));
    ItemFrom = Text.size();
    const WideString own = ItemTextW(data, itemNo);
    ItemLength = own.size();
    Append(itemNo, 1, own);
    for (Integer i = itemNo + 1, need = static_cast<Integer>(reach);
         need > 0 && i < data.GetItemCount() && data.GetItemStyle(i) >= 0 && joined(i); ++i) {
      WideString w = ItemTextW(data, i);
      if (static_cast<Integer>(w.size()) > need) w = w.substr(0, need);
      need -= static_cast<Integer>(w.size());
      Append(i, 1, w);
    }
  }
  void Append(Integer itemNo, Integer firstOffs, const WideString& w) {
    if (w.empty()) return;
    Pieces.push_back({itemNo, firstOffs, static_cast<Integer>(Text.size()), static_cast<Integer>(w.size())});
    Text += w;
  }
  // The item position of the character at index p (end: just after the
  // character before p).
  void Position(size_t p, bool end, Integer& itemNo, Integer& offs) const {
    const auto at = static_cast<Integer>(p);
    for (const TPiece& piece : Pieces)
      if (end ? at > piece.From && at <= piece.From + piece.Length : at >= piece.From && at < piece.From + piece.Length) {
        itemNo = piece.ItemNo;
        offs = piece.FirstOffs + at - piece.From;
        return;
      }
  }
};

}  // namespace

bool VLFindInItem(TCustomVLData& data, Integer itemNo, Integer offs, bool down, const WideString& pattern,
                  bool matchCase, bool wholeWord, const AnsiString& delimiters, TVLTextMatch& match) {
  if (pattern.empty()) return false;
  TItemContext c(data, itemNo, pattern.size());
  if (!matchCase) c.Text = VLFoldCase(c.Text);
  const WideString& w = c.Text;
  const size_t itemEnd = c.ItemFrom + c.ItemLength;
  const size_t limit = offs < 0 ? (down ? c.ItemFrom : itemEnd)
                                : std::min(itemEnd, c.ItemFrom + static_cast<size_t>(std::max(0, offs - 1)));
  // Occurrences never overlap a found or rejected one.
  size_t found = WideString::npos;
  for (size_t from = down ? limit : 0;;) {
    const size_t p = FindAcceptable(w, pattern, wholeWord, delimiters, from);
    if (p == WideString::npos) break;
    const size_t end = p + pattern.size();
    if (down ? p >= itemEnd : end > limit) break;
    if (down || end > c.ItemFrom) {
      found = p;
      if (down) break;
    }
    from = end;
  }
  if (found == WideString::npos) return false;
  c.Position(found, false, match.StartItem, match.StartOffs);
  c.Position(found + pattern.size(), true, match.EndItem, match.EndOffs);
  return true;
}

bool VLSearchTextFrom(TVLControlData& data, bool down, bool matchCase, const WideString& text, bool wholeWord,
                      Integer itemNo, Integer offs) {
  if (text.empty() || data.GetItemCount() == 0) return false;
  itemNo = std::clamp(itemNo, 0, data.GetItemCount() - 1);
  const WideString pattern = matchCase ? text : VLFoldCase(text);
  const AnsiString delims = data.GetDelimiters();
  auto searchIn = [&](Integer no, bool whole) {
    TVLTextMatch m;
    if (!VLFindInItem(data, no, whole ? -1 : offs, down, pattern, matchCase, wholeWord, delims, m)) return false;
    SelectFound(data, m, !down);
    return true;
  };
  // Items with documents of their own (table cells) are searched inside;
  // the item selected by an earlier match there goes on where it stopped.
  const String utf8 = WideToUtf8(text);
  const Integer options = (matchCase ? 1 : 0) | (down ? 2 : 0) | (wholeWord ? 4 : 0);
  auto searchInside = [&](Integer no, bool resume) {
    TCustomVLItemInfo* item = data.GetItem(no);
    std::unique_ptr<TVLStoreSubVLData> probe;
    if (!item->GetSubVLData(probe, 0)) return false;
    if (!resume) item->ClearSearchResult();
    if (!item->SearchText(utf8, options)) return false;
    SelectAndShow(data, no, 0, no, 1);
    // The document with the match becomes the item's chosen one (a table in
    // an editor shows the match in the cell's editor).
    std::unique_ptr<TVLStoreSubVLData> chosen;
    if (item->GetSubVLData(chosen, down ? 3 : 2) && chosen) item->ChooseSubVLData(chosen.get());
    return true;
  };
  auto visit = [&](Integer no) { return data.GetItemStyle(no) >= 0 ? searchIn(no, true) : searchInside(no, false); };
  if (data.GetItemStyle(itemNo) >= 0) {
    if (searchIn(itemNo, false)) return true;
  } else {
    // Only an item selected whole (by its last match, or by a search going
    // on past its cell editor) goes on where it stopped. With the caret on
    // it (Ctrl+Home beside selected cells) it is searched whole: the place
    // it remembers is stale, from a cell editor closed since.
    Integer s1, o1, s2, o2;
    data.GetSelBounds(true, s1, o1, s2, o2);
    const bool selectedWhole = data.SelectionExists(false, false) && s1 == itemNo && s2 == itemNo && o1 == 0 && o2 == 1;
    if (searchInside(itemNo, selectedWhole)) return true;
  }
  if (down) {
    for (Integer i = itemNo + 1; i < data.GetItemCount(); ++i)
      if (visit(i)) return true;
  } else {
    for (Integer i = itemNo - 1; i >= 0; --i)
      if (visit(i)) return true;
  }
  return false;
}

#include "richtext/view/VLSearch.h"

#include "platform/base/CodePages.h"
#include "richtext/model/VLItem.h"
#include "richtext/model/VLUni.h"

#include <algorithm>

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

// Selects from one offset of an item to another, shows where it starts and
// tells the host.
void SelectAndShow(TVLControlData& data, Integer itemNo, Integer from, Integer to) {
  data.StoreSelBounds(itemNo, from, itemNo, to);
  if (data.SelStartDrawItem >= 0) {
    const TVLDrawLineInfo* d = data.DrawItems[data.SelStartDrawItem];
    VLShowRectangle(data, d->Left, d->Top, d->Width, d->Height);
  }
  data.Invalidate();
  data.SelectionChanged();
  data.DoSelect();
}

void SelectFound(TVLControlData& data, Integer itemNo, Integer offs, Integer length, bool backward) {
  Integer d, o, d2, o2;
  data.Item2DrawItem(itemNo, offs, d, o);
  data.Item2DrawItem(itemNo, offs + length, d2, o2);
  if (d >= 0 && d == d2) {
    // Within one line: the data selects it (an editor moves its caret too).
    const TVLDrawLineInfo* di = data.DrawItems[d];
    VLShowRectangle(data, di->Left, di->Top, di->Width, di->Height);
    data.SelectInItem(d, o, length, backward);
    return;
  }
  if (backward)
    SelectAndShow(data, itemNo, offs + length, offs);
  else
    SelectAndShow(data, itemNo, offs, offs + length);
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

Integer VLFindWord(const WideString& text, const WideString& pattern, bool wholeWord, const AnsiString& delimiters) {
  if (pattern.empty()) return 0;
  size_t from = 0;
  while (true) {
    const size_t p = text.find(pattern, from);
    if (p == WideString::npos) return 0;
    if (!wholeWord) return static_cast<Integer>(p + 1);
    const size_t end = p + pattern.size();
    const bool left = p == 0 || IsDelimiterW(text[p - 1], delimiters);
    const bool right = end >= text.size() || IsDelimiterW(text[end], delimiters);
    if (left && right) return static_cast<Integer>(p + 1);
    from = end;
  }
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

Integer VLFindInItem(TCustomVLData& data, Integer itemNo, Integer offs, bool down, const WideString& pattern,
                     bool matchCase, bool wholeWord, const AnsiString& delimiters) {
  WideString w = ItemTextW(data, itemNo);
  Integer base = 1;
  if (offs >= 0) {
    const size_t cut = static_cast<size_t>(std::max(0, offs - 1));
    if (down) {
      base = offs;
      w = cut < w.size() ? w.substr(cut) : WideString();
    } else {
      w = w.substr(0, std::min(cut, w.size()));
    }
  }
  if (!matchCase) w = VLFoldCase(w);
  const Integer p =
      down ? VLFindWord(w, pattern, wholeWord, delimiters) : VLFindWordBackward(w, pattern, wholeWord, delimiters);
  return p == 0 ? 0 : base + p - 1;
}

bool VLSearchTextFrom(TVLControlData& data, bool down, bool matchCase, const WideString& text, bool wholeWord,
                      Integer itemNo, Integer offs) {
  if (text.empty() || data.GetItemCount() == 0) return false;
  itemNo = std::clamp(itemNo, 0, data.GetItemCount() - 1);
  const WideString pattern = matchCase ? text : VLFoldCase(text);
  const AnsiString delims = data.GetDelimiters();
  const Integer length = static_cast<Integer>(pattern.size());
  auto searchIn = [&](Integer no, bool whole) {
    const Integer start = VLFindInItem(data, no, whole ? -1 : offs, down, pattern, matchCase, wholeWord, delims);
    if (start == 0) return false;
    SelectFound(data, no, start, length, !down);
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
    SelectAndShow(data, no, 0, 1);
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

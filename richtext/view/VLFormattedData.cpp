// The formatted document: draw items, selection conversions and look-ups.
#include "richtext/view/VLFormattedData.h"

#include "platform/base/SysUtils.h"
#include "richtext/model/VLFuncs.h"
#include "richtext/model/VLUni.h"

#include <algorithm>

void VLCoordinateOverflow() { throw EIntOverflow("Integer overflow"); }

TCustomVLFormattedData::TCustomVLFormattedData() = default;

TCustomVLFormattedData::~TCustomVLFormattedData() {
  // Host answers are gone with the descendant; drop the layout plainly.
  DrawItems.Clear();
  Jumps.clear();
}

void TCustomVLFormattedData::SetActiveItem(TCustomVLItemInfo* item) {
  if (ActiveItem == item) return;
  TCustomVLItemInfo* old = ActiveItem;
  Deselect(nullptr, false);
  ActiveItem = item;
  // Only the active item shows a selection of its parts (a block of cells):
  // the one that was active drops its own.
  if (old && old->PartiallySelected()) old->Deselect();
  DoSelect();
}

void TCustomVLFormattedData::GetResolutionInfo(TCanvas* canvas, TVLResolutionInfo& res) {
  res.Sad = TVLScreenAndDevice();
  if (canvas) {
    res.Sad.ppixDevice = canvas->GetPixelsPerInch();
    res.Sad.ppiyDevice = canvas->GetPixelsPerInch();
  }
}

void TCustomVLFormattedData::GetStartListLevel(Integer& listNo, Integer& level, bool& useStartFrom) {
  listNo = -1;
  level = -1;
  useStartFrom = false;
}

void TCustomVLFormattedData::GetOrigin(Integer& x, Integer& y) {
  x = 0;
  y = 0;
}

TCanvas* TCustomVLFormattedData::GetCanvas() {
  if (!FOwnCanvas) FOwnCanvas = std::make_unique<TCanvas>();
  return FOwnCanvas.get();
}

void TCustomVLFormattedData::XorDraw() {
  if (XorDrawing) XorDrawing(this, XorX, XorY);
  XorDrawn = !XorDrawn;
}

void TCustomVLFormattedData::ClearJumps() {
  Jumps.clear();
  ResetHoveredJump();
}

void TCustomVLFormattedData::ClearDrawLines() {
  DrawItems.Clear();
  ClearJumps();
  // A nested document's links are listed by the document that lays it out
  // (a cell's by the one holding its table), at these lines: they go with
  // them, or a hover would read lines that are gone.
  if (auto* root = dynamic_cast<TCustomVLFormattedData*>(GetRootData()); root && root != this)
    root->ForgetJumpsOf(this);
  NextJumpNo = 0;
  CaptureMouseItem = nullptr;
  HoverData = nullptr;
  CaptureDrawItem = -1;
  LastFormattedItem = -1;
  MouseDownDrawItem = -1;
  CurrentItem = nullptr;
  FState &= ~(vlstMouseSelecting | vlstMouseSelecting2 | vlstJumpHovered);
  SelectingInfo.reset();
  DocumentHeight = GetTopMargin() + GetBottomMargin();
}

void TCustomVLFormattedData::ForgetJumpsOf(TCustomVLFormattedData* nested) {
  const auto gone = std::remove_if(Jumps.begin(), Jumps.end(),
                                   [nested](const std::unique_ptr<TVLJumpInfo>& j) { return j->VLData == nested; });
  if (gone == Jumps.end()) return;
  Jumps.erase(gone, Jumps.end());
  if (HoverData == nested) ResetHoveredJump();
}

void TCustomVLFormattedData::ResetHoveredJump() {
  if (HoverData) {
    TCustomVLFormattedData* hover = HoverData;
    hover->FState &= ~vlstJumpHovered;
    hover->HoveredJump = -1;
    hover->PressedJump = -1;
    hover->HoverData = nullptr;
    hover->DoJumpHover(-1);
  }
  FState &= ~vlstJumpHovered;
  HoveredJump = -1;
  PressedJump = -1;
  HoverData = nullptr;
}

void TCustomVLFormattedData::Clear() {
  const bool wasClearing = (GetState() & vlstClearing) != 0;
  SetState(GetState() | vlstClearing);
  SoftPageBreaks.reset();
  Deselect(nullptr, true);
  ClearDrawLines();
  // Secret text measured goes with the text.
  if (ExtentsCache.Wipe) ExtentsCache.Clear();
  TCustomVLData::Clear();
  if (!wasClearing) SetState(GetState() & ~vlstClearing);
}

void TCustomVLFormattedData::Deselect(TCustomVLItemInfo* newPartiallySelected, bool makeEvent) {
  if (FState & vlstDeselecting) return;
  FState |= vlstDeselecting;
  FState &= ~(vlstMouseSelecting | vlstMouseSelecting2);
  SelStartDrawItem = SelEndDrawItem = -1;
  SelStartOffs = SelEndOffs = 0;
  FocusedItem = -1;
  if (makeEvent) DoSelect();
  FState &= ~vlstDeselecting;
}

void TCustomVLFormattedData::SelectAll() {
  if (GetItemCount() == 0 || DrawItems.Count() == 0) return;
  SelStartDrawItem = 0;
  SelStartOffs = GetOffsBeforeDrawItem(0);
  SelEndDrawItem = DrawItems.Count() - 1;
  SelEndOffs = GetOffsAfterDrawItem(SelEndDrawItem);
  DoSelect();
}

Integer TCustomVLFormattedData::GetOffsBeforeDrawItem(Integer n) const {
  return GetItemStyle(DrawItems[n]->ItemNo) >= 0 ? 1 : 0;
}

Integer TCustomVLFormattedData::GetOffsAfterDrawItem(Integer n) const {
  const TVLDrawLineInfo* d = DrawItems[n];
  return GetItemStyle(d->ItemNo) >= 0 ? d->Length + 1 : 1;
}

void TCustomVLFormattedData::Reformat(bool itemFlag) {
  Format(false, true, false, 0, GetCanvas(), false, itemFlag);
}

void TCustomVLFormattedData::GetDrawItemSelBounds(bool normalize, Integer& startNo, Integer& startOffs,
                                                  Integer& endNo, Integer& endOffs) const {
  startNo = SelStartDrawItem;
  startOffs = SelStartOffs;
  endNo = SelEndDrawItem;
  endOffs = SelEndOffs;
  if (normalize && (startNo > endNo || (startNo == endNo && startOffs > endOffs))) {
    std::swap(startNo, endNo);
    std::swap(startOffs, endOffs);
  }
}

void TCustomVLFormattedData::DrawItem2Item(Integer drawItemNo, Integer drawItemOffs, Integer& itemNo,
                                           Integer& itemOffs) const {
  if (drawItemNo < 0 || drawItemNo >= DrawItems.Count()) {
    itemNo = -1;
    itemOffs = -1;
    return;
  }
  const TVLDrawLineInfo* d = DrawItems[drawItemNo];
  itemNo = d->ItemNo;
  itemOffs = GetItemStyle(itemNo) >= 0 ? d->TextOffset + drawItemOffs - 1 : drawItemOffs;
}

void TCustomVLFormattedData::Item2DrawItem(Integer itemNo, Integer itemOffs, Integer& drawItemNo,
                                           Integer& drawItemOffs) const {
  drawItemNo = -1;
  drawItemOffs = -1;
  if (itemNo < 0 || itemNo >= GetItemCount() || DrawItems.Count() == 0) return;
  Integer n = Item2FirstDrawItem(itemNo);
  if (n < 0) return;
  if (GetItemStyle(itemNo) < 0) {
    drawItemNo = n;
    drawItemOffs = itemOffs;
    return;
  }
  // A position on the boundary of two pieces belongs to the earlier one.
  while (n + 1 < DrawItems.Count() && DrawItems[n + 1]->ItemNo == itemNo &&
         itemOffs > DrawItems[n]->TextOffset + DrawItems[n]->Length)
    ++n;
  drawItemNo = n;
  drawItemOffs = itemOffs - DrawItems[n]->TextOffset + 1;
}

Integer TCustomVLFormattedData::Item2FirstDrawItem(Integer itemNo) const {
  if (itemNo < 0 || itemNo >= GetItemCount()) return -1;
  Integer n = GetItem(itemNo)->DrawItemNo;
  if (n >= DrawItems.Count()) n = DrawItems.Count() - 1;
  return n;
}

void TCustomVLFormattedData::GetSelBounds(bool normalize, Integer& startItemNo, Integer& startItemOffs,
                                          Integer& endItemNo, Integer& endItemOffs) const {
  Integer sn, so, en, eo;
  GetDrawItemSelBounds(normalize, sn, so, en, eo);
  DrawItem2Item(sn, so, startItemNo, startItemOffs);
  DrawItem2Item(en, eo, endItemNo, endItemOffs);
}

void TCustomVLFormattedData::StoreSelBounds(Integer startItemNo, Integer startItemOffs,
                                            Integer endItemNo, Integer endItemOffs) {
  Item2DrawItem(startItemNo, startItemOffs, SelStartDrawItem, SelStartOffs);
  Item2DrawItem(endItemNo, endItemOffs, SelEndDrawItem, SelEndOffs);
  if (SelStartDrawItem < 0) SelStartOffs = 0;
  if (SelEndDrawItem < 0) SelEndOffs = 0;
}

void TCustomVLFormattedData::GetLineBounds(Integer n, Integer& first, Integer& last) const {
  first = n;
  while (first > 0 && !DrawItems[first]->StartsNewLine) --first;
  last = n;
  while (last + 1 < DrawItems.Count() && !DrawItems[last + 1]->StartsNewLine) ++last;
}

Integer TCustomVLFormattedData::FindDrawItemAtY(Integer y, Integer mode) const {
  const Integer count = DrawItems.Count();
  // One draw item: the search below would start past the end.
  if (count <= 1 || y <= DrawItems[0]->Top) return 0;
  if (mode == 3 && y > DrawItems[count - 1]->Top) return count - 1;
  // Top(m - 1) < y <= Top(m).
  Integer lo = 1, hi = count - 1;
  while (lo < hi) {
    const Integer mid = (lo + hi) / 2;
    if (DrawItems[mid]->Top < y) lo = mid + 1;
    else hi = mid;
  }
  Integer m = lo;
  if (mode == 1) {
    // The last draw item of the line two lines above: a safe start for
    // scanning lines that overlap vertically.
    for (int pass = 0; pass < 2; ++pass) {
      while (m > 0 && !DrawItems[m]->StartsNewLine) --m;
      if (m > 0) --m;
    }
    return m;
  }
  while (m < count - 1 && DrawItems[m]->Top < y) ++m;
  return m;
}

Integer TCustomVLFormattedData::FindDrawItemByItem(Integer itemNo) const {
  if (itemNo < 0) return -1;
  for (Integer i = 0; i < DrawItems.Count(); ++i)
    if (DrawItems[i]->ItemNo == itemNo) return i;
  return -1;
}

Integer TCustomVLFormattedData::GetFirstItemVisible() {
  if (DrawItems.Count() == 0) return -1;
  Integer n = std::min(FindDrawItemAtY(GetVOffset(), 1), DrawItems.Count() - 1);
  return DrawItems[n]->ItemNo;
}

Integer TCustomVLFormattedData::GetLastItemVisible() {
  if (DrawItems.Count() == 0) return -1;
  Integer n = std::min(FindDrawItemAtY(GetVOffset() + GetHeight(), 3), DrawItems.Count() - 1);
  return DrawItems[n]->ItemNo;
}

int TCustomVLFormattedData::CompareDrawItemsLeft(const TVLDrawLineInfo* a, const TVLDrawLineInfo* b) {
  return a->Left < b->Left ? -1 : (a->Left > b->Left ? 1 : 0);
}

void TCustomVLFormattedData::AdjustChildrenCoords() {
  if ((GetLayoutFlags() & vllfNoMoveControls) || (FState & vlstNoChildAdjust) || !HasChildControls()) return;
  const Integer h = GetHOffset(), v = GetVOffset();
  for (Integer i = 0; i < GetItemCount(); ++i) {
    if (GetItem(i)->StyleNo >= 0) continue;  // text: the common case, no cast
    auto* item = dynamic_cast<TVLControlItemInfo*>(GetItem(i));
    if (!item) {
      // Items that lay a control of their own over the text (a table's cell
      // editor) follow their draw item too.
      auto* other = dynamic_cast<TVLNonTextItemInfo*>(GetItem(i));
      if (other && other->DrawItemNo >= 0 && other->DrawItemNo < DrawItems.Count()) {
        const TVLDrawLineInfo* d = DrawItems[other->DrawItemNo];
        other->MovingToPosition(d->Left - h, d->Top - v, true);
      }
      continue;
    }
    if (!item->Control || item->DrawItemNo < 0 || item->DrawItemNo >= DrawItems.Count()) continue;
    const TVLDrawLineInfo* d = DrawItems[item->DrawItemNo];
    item->Control->SetBounds(d->Left - h + item->Spacing, d->Top - v + item->Spacing,
                             item->Control->GetWidth(), item->Control->GetHeight());
  }
}

WideString TCustomVLFormattedData::GetDisplayText(Integer itemNo) {
  return DisplayTextOf(Items->Ref(itemNo), GetItem(itemNo));
}

WideString TCustomVLFormattedData::DisplayTextOf(const AnsiString& raw, TCustomVLItemInfo* item) {
  const Integer styleNo = GetItemActualStyle(item);
  TVLStyle* style = GetStyle();
  const TFontInfo* fi = style && styleNo >= 0 ? style->TextStyles->Items(styleNo) : nullptr;
  AnsiString caps;
  const TWipeTextOnExit<char> wipeCaps(caps, IsSensitive());
  const bool allCaps = fi && fi->StyleEx.Contains(vlfsAllCaps);
  if (allCaps) ApplyAllCaps(raw, *fi, caps);
  const AnsiString& text = allCaps ? caps : raw;
  if (item->IsUnicode()) {
    if (text.size() % 2) {
      AnsiString even = text.substr(0, text.size() - 1);
      const TWipeTextOnExit<char> wipeEven(even, IsSensitive());
      return RawUnicodeToWideString(even);
    }
    return RawUnicodeToWideString(text);
  }
  const Cardinal cp = fi ? CharsetToCodePage(fi->Charset) : GetDefaultCodePage();
  WideString w = VLTextToWide(text, 0, cp);
  if (w.size() == text.size()) return w;
  // A double-byte code page: one unit per byte keeps offsets and extents
  // in step with the stored text.
  w.clear();
  for (char c : text) {
    WideString one = VLTextToWide(AnsiString(1, c), 0, cp);
    w += one.size() == 1 ? one[0] : u'?';
  }
  return w;
}

void TCustomVLFormattedData::ResetMeasuring() {
  FStyleMemo.clear();
  FAppliedStyle = -1;
  FRunTexts.clear();
  ExtentsCache.Trim();
}

TCustomVLFormattedData::TStyleMemo& TCustomVLFormattedData::StyleMemo(TCanvas* canvas, Integer styleNo,
                                                                      TVLBiDiMode bidi) {
  return FStyleMemo[static_cast<int64_t>(styleNo) * 4 + bidi];
}

void TCustomVLFormattedData::UseTextStyle(TCanvas* canvas, Integer styleNo, TVLBiDiMode bidi) {
  const int64_t key = static_cast<int64_t>(styleNo) * 4 + bidi;
  if (FAppliedStyle == key) return;
  TVLStyle* style = GetStyle();
  Measurer->ApplyStyle(canvas, style, styleNo, bidi);
  FAppliedStyle = key;
}

const TTextMetric& TCustomVLFormattedData::TextStyleMetrics(TCanvas* canvas, Integer styleNo, TVLBiDiMode bidi) {
  TStyleMemo& m = StyleMemo(canvas, styleNo, bidi);
  if (!m.HasMetrics) {
    UseTextStyle(canvas, styleNo, bidi);
    Measurer->GetTextMetrics(canvas, m.Metrics);
    m.HasMetrics = true;
  }
  return m.Metrics;
}

const TVLMeasuredText& TCustomVLFormattedData::MeasureItemText(TCanvas* canvas, Integer itemNo) {
  const size_t slot = static_cast<size_t>(itemNo);
  if (FRunActive && slot < FRunTexts.size() && FRunTexts[slot]) return *FRunTexts[slot];
  TCustomVLItemInfo* item = GetItem(itemNo);
  // An empty item (every cell of a new table) has nothing to measure.
  static const TVLMeasuredText nothing;
  if (Items->Ref(itemNo).empty()) return nothing;
  const Integer styleNo = GetItemActualStyle(item);
  const TVLBiDiMode bidi = VLGetItemBiDiMode(*Items, GetStyle(), itemNo, GetBiDiMode());
  TStyleMemo& m = StyleMemo(canvas, styleNo, bidi);
  if (m.KeyA < 0) {
    // The style's numbers in the extents cache, the same for an equal font.
    String key = Measurer->StyleKey(canvas, GetStyle(), styleNo, bidi);
    key += "|A";
    m.KeyA = ExtentsCache.KeyId(key);
    key.back() = 'U';
    m.KeyU = ExtentsCache.KeyId(key);
  }
  const bool secret = IsSensitive();
  if (secret) ExtentsCache.Wipe = true;
  const AnsiString& raw = Items->Ref(itemNo);
  const TVLMeasuredText& r =
      ExtentsCache.Get(item, slot, item->IsUnicode() ? m.KeyU : m.KeyA, raw, [&](WideString& text, std::vector<Integer>& extents) {
        text = DisplayTextOf(raw, item);
        UseTextStyle(canvas, styleNo, bidi);
        const bool wasSecret = canvas->SensitiveText;
        canvas->SensitiveText = wasSecret || secret;
        Measurer->GetExtents(canvas, text, extents);
        canvas->SensitiveText = wasSecret;
      });
  if (FRunActive) {
    if (FRunTexts.size() < static_cast<size_t>(GetItemCount())) FRunTexts.resize(static_cast<size_t>(GetItemCount()));
    if (slot < FRunTexts.size()) FRunTexts[slot] = &r;
  }
  return r;
}

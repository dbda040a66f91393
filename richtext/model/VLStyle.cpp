#include "richtext/model/VLStyle.h"

#include "platform/base/Strings.h"
#include "platform/gui/Cursors.h"
#include "richtext/model/VLFuncs.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

// A red cross on white.
void LoadBadPictureResource(TPicture& picture) {
  auto bitmap = std::make_unique<TBitmap>(16, 16);
  TCanvas* c = bitmap->Canvas();
  c->Brush.Color = clWhite;
  c->Brush.Style = bsSolid;
  c->FillRect(TRect(0, 0, 16, 16));
  c->Pen.Color = clRed;
  c->Pen.Width = 2;
  c->MoveTo(3, 3);
  c->LineTo(13, 13);
  c->MoveTo(12, 3);
  c->LineTo(2, 13);
  picture.SetGraphic(std::move(bitmap));
}

// ---------------------------------------------------------------------------
// TCustomVLInfo
TCustomVLInfo::TCustomVLInfo(TCollection* collection) : TCollectionItem(collection) {}

void TCustomVLInfo::Assign(const TPersistent* source) {
  if (auto src = dynamic_cast<const TCustomVLInfo*>(source)) {
    BaseStyleNo = src->BaseStyleNo;
    StyleName = src->StyleName;
    Standard = src->Standard;
    return;
  }
  TCollectionItem::Assign(source);
}

void TCustomVLInfo::UpdateMergedReferences(const TVLIntegerList& mapping,
                                           const TVLIntegerList* /*textMapping*/) {
  if (BaseStyleNo >= 0 && BaseStyleNo < mapping.Count()) BaseStyleNo = mapping[BaseStyleNo];
}

// ---------------------------------------------------------------------------
// TCustomVLInfos
TCustomVLInfos::TCustomVLInfos(TCollectionItemFactory itemClass, TVLStyle* owner)
    : TCollection(std::move(itemClass), owner), FOwner(owner) {}

void TCustomVLInfos::AssignTo(TPersistent* dest) const {
  if (auto list = dynamic_cast<TStrings*>(dest)) {
    list->Clear();
    for (Integer i = 0; i < Count(); ++i) list->Add(GetInfo(i)->StyleName);
    return;
  }
  TCollection::AssignTo(dest);
}

TCustomVLInfo* TCustomVLInfos::GetInfo(Integer index) const {
  return static_cast<TCustomVLInfo*>(TCollection::Items(index));
}

std::vector<std::vector<Integer>> TCustomVLInfos::MapCandidateGroups(
    const TCustomVLInfo& /*incoming*/) const {
  std::vector<Integer> all;
  for (Integer i = 0; i < Count(); ++i) all.push_back(i);
  return {all};
}

void TCustomVLInfos::MergeWith(TCustomVLInfos& styles, TVLStyleMergeMode mode,
                               TVLIntegerList& mapping, const TVLIntegerList* textMapping) {
  mapping.Clear();
  const Integer oldCount = Count();
  // Fixed first, so that merging a collection into itself ends.
  const Integer incomingCount = styles.Count();
  auto appendCopy = [&](const TCustomVLInfo& incoming) {
    TCollection::Add()->Assign(&incoming);
    return Count() - 1;
  };
  switch (mode) {
    case vlsmmMerge: {
      // The candidates of each key in number order: only styles of the
      // incoming style's key can equal it. A target that may not be chosen
      // again (a numbered list) leaves its key's candidates.
      std::unordered_map<size_t, std::vector<Integer>> byKey;
      byKey.reserve(static_cast<size_t>(Count() + incomingCount));
      for (Integer j = 0; j < Count(); ++j) byKey[GetInfo(j)->MergeKey()].push_back(j);
      std::vector<bool> used(static_cast<size_t>(Count()), false);
      auto usable = [&](Integer i) { return i >= static_cast<Integer>(used.size()) || !used[i]; };
      for (Integer i = 0; i < incomingCount; ++i) {
        const TCustomVLInfo& incoming = *styles.GetInfo(i);
        const size_t key = incoming.MergeKey();
        std::vector<Integer>& candidates = byKey[key];
        Integer target = -1;
        if (i < Count() && usable(i) && incoming.IsEqualMapped(*GetInfo(i), mapping)) target = i;
        for (size_t k = 0; target < 0 && k < candidates.size(); ++k)
          if (usable(candidates[k]) && incoming.IsEqualMapped(*GetInfo(candidates[k]), mapping))
            target = candidates[k];
        if (target < 0) {
          target = appendCopy(incoming);
          candidates.push_back(target);
        }
        if (!MergeTargetReusable(incoming)) {
          if (static_cast<Integer>(used.size()) <= target) used.resize(size_t(target) + 1, false);
          used[static_cast<size_t>(target)] = true;
          std::vector<Integer>& own = byKey[GetInfo(target)->MergeKey()];
          own.erase(std::remove(own.begin(), own.end(), target), own.end());
        }
        mapping.Add(target);
      }
      break;
    }
    case vlsmmMap:
      for (Integer i = 0; i < incomingCount; ++i) {
        const TCustomVLInfo& incoming = *styles.GetInfo(i);
        Integer target = -1;
        for (const auto& group : MapCandidateGroups(incoming)) {
          Integer best = 0;
          for (Integer j : group) {
            Integer score = incoming.SimilarityValue(*GetInfo(j));
            if (target < 0 || score > best) {
              target = j;
              best = score;
            }
          }
          if (target >= 0) break;
        }
        // An empty receiving collection has nothing to map to.
        if (target < 0) target = 0;
        mapping.Add(target);
      }
      break;
    case vlsmmAppend:
      for (Integer i = 0; i < incomingCount; ++i) mapping.Add(appendCopy(*styles.GetInfo(i)));
      break;
  }
  for (Integer i = oldCount; i < Count(); ++i) {
    TCustomVLInfo* added = GetInfo(i);
    added->Standard = false;
    added->UpdateMergedReferences(mapping, textMapping);
  }
}

// ---------------------------------------------------------------------------
// TFontInfo
TFontInfo::TFontInfo(TCollection* collection) : TCustomVLInfo(collection) {
  StyleName = FDefaultStyleName = "Font Style";
}

void TFontInfo::Assign(const TPersistent* source) {
  if (auto src = dynamic_cast<const TFontInfo*>(source)) {
    BiDiMode = src->BiDiMode;
    Jump = src->Jump;
    JumpCursor = src->JumpCursor;
    FontName = src->FontName;
    Size = src->Size;
    Color = src->Color;
    BackColor = src->BackColor;
    HoverColor = src->HoverColor;
    HoverBackColor = src->HoverBackColor;
    Style = src->Style;
    StyleEx = src->StyleEx;
    VShift = src->VShift;
    NextStyleNo = src->NextStyleNo;
    Charset = src->Charset;
    Unicode = src->Unicode;
    Protection = src->Protection;
    Options = src->Options;
    CharScale = src->CharScale;
    CharSpacing = src->CharSpacing;
    TCustomVLInfo::Assign(source);
    return;
  }
  if (auto font = dynamic_cast<const TFont*>(source)) {
    AssignFromFont(*font);
    return;
  }
  TCustomVLInfo::Assign(source);
}

void TFontInfo::AssignTo(TPersistent* dest) const {
  if (auto font = dynamic_cast<TFont*>(dest)) {
    AssignToFont(*font);
    return;
  }
  TCustomVLInfo::AssignTo(dest);
}

void TFontInfo::UpdateMergedReferences(const TVLIntegerList& mapping,
                                       const TVLIntegerList* textMapping) {
  TCustomVLInfo::UpdateMergedReferences(mapping, textMapping);
  if (NextStyleNo >= 0 && NextStyleNo < mapping.Count()) NextStyleNo = mapping[NextStyleNo];
}

Integer TFontInfo::FontHeight(Integer pixelsPerInch) const {
  return -MulDiv(Size, pixelsPerInch, 72);
}

// ---------------------------------------------------------------------------
// TFontInfos
TFontInfos::TFontInfos(TCollectionItemFactory itemClass, TVLStyle* owner)
    : TCustomVLInfos(std::move(itemClass), owner) {}

TFontInfos::~TFontInfos() = default;

TFontInfo* TFontInfos::Add() { return static_cast<TFontInfo*>(TCollection::Add()); }

TFontInfo* TFontInfos::Items(Integer index) {
  if (index >= 0 && index < Count()) return static_cast<TFontInfo*>(TCollection::Items(index));
  if (!FInvalidItem) {
    auto fallback = std::make_unique<TFontInfo>(nullptr);
    if (Count() > 0) fallback->Assign(TCollection::Items(0));
    fallback->BackColor = 0x0000FF;
    fallback->Color = 0xFFFFFF;
    fallback->FFallbackOf = this;
    FInvalidItem = std::move(fallback);
  }
  return FInvalidItem.get();
}

void TFontInfos::SetItems(Integer index, const TFontInfo& value) {
  TCollection::Items(index)->Assign(&value);
}

std::vector<std::vector<Integer>> TFontInfos::MapCandidateGroups(
    const TCustomVLInfo& incoming) const {
  const auto& in = static_cast<const TFontInfo&>(incoming);
  std::vector<std::vector<Integer>> groups(4);
  for (Integer i = 0; i < Count(); ++i) {
    const auto* s = static_cast<const TFontInfo*>(TCollection::Items(i));
    const bool sameJump = s->Jump == in.Jump;
    const bool sameUnicode = s->Unicode == in.Unicode;
    if (sameJump && sameUnicode) groups[0].push_back(i);
    if (sameJump) groups[1].push_back(i);
    if (sameUnicode) groups[2].push_back(i);
    groups[3].push_back(i);
  }
  return groups;
}

// ---------------------------------------------------------------------------
// TVLStyle
TVLStyle::TVLStyle(TComponent* owner) : TComponent(owner) {
  // The jump cursor (the desktop's pointing hand) and the line-selection
  // cursor, registered once for the whole process.
  static const bool cursorsRegistered = [] {
    SetCursorById(crJump, LoadSystemCursor(IDC_HAND));
    SetCursorById(crVLFlipArrow, LoadCursorResource("VL_FLIPARROW_CURSOR"));
    return true;
  }();
  (void)cursorsRegistered;
  TextStyles = std::make_unique<TFontInfos>(GetTextStyleClass(), this);
  ParaStyles = std::make_unique<TParaInfos>(GetParaStyleClass(), this);
  ListStyles = std::make_unique<TVLListInfos>(GetListStyleClass(), this);
  ResetParaStyles();
  ResetTextStyles();
}

TVLStyle::~TVLStyle() {
  // A document built on these styles (a copy kept for the clipboard) lets
  // go of them while they still stand.
  BeginDestroying();
  TextStyles.reset();
  ParaStyles.reset();
  ListStyles.reset();
  FInvalidPicture.reset();
}

TCollectionItemFactory TVLStyle::GetTextStyleClass() const {
  return TCollection::Factory<TFontInfo>();
}
TCollectionItemFactory TVLStyle::GetParaStyleClass() const {
  return TCollection::Factory<TParaInfo>();
}
TCollectionItemFactory TVLStyle::GetListStyleClass() const {
  return TCollection::Factory<TVLListInfo>();
}

void TVLStyle::ResetTextStyles() {
  struct TDefault {
    const char* Name;
    bool Bold, Italic, Underline, Jump;
    TColor Color;
  };
  static const TDefault defaults[] = {
      {"Normal text", false, false, false, false, clWindowText},
      {"Heading", true, false, false, false, 0xFF0000},
      {"Subheading", true, false, false, false, 0x800000},
      {"Keywords", false, true, false, false, 0x000080},
      {"Jump 1", false, false, true, true, 0x008000},
      {"Jump 2", false, false, true, true, 0x008000},
  };
  TextStyles->BeginUpdate();
  TextStyles->Clear();
  for (const TDefault& d : defaults) {
    TFontInfo* fi = TextStyles->Add();
    fi->StyleName = d.Name;
    fi->Color = d.Color;
    if (d.Bold) fi->Style.Include(fsBold);
    if (d.Italic) fi->Style.Include(fsItalic);
    if (d.Underline) fi->Style.Include(fsUnderline);
    if (d.Jump) {
      fi->Jump = true;
      fi->JumpCursor = JumpCursor;
    }
  }
  TextStyles->EndUpdate();
}

void TVLStyle::ResetParaStyles() {
  ParaStyles->BeginUpdate();
  ParaStyles->Clear();
  ParaStyles->Add();
  TParaInfo* centered = ParaStyles->Add();
  centered->StyleName = "Centered";
  centered->Alignment = vlaCenter;
  ParaStyles->EndUpdate();
}

TPicture* TVLStyle::GetInvalidPicture() {
  if (!FInvalidPicture) {
    FInvalidPicture = std::make_unique<TPicture>();
    LoadBadPictureResource(*FInvalidPicture);
  }
  return FInvalidPicture.get();
}

void TVLStyle::SetInvalidPicture(const TPicture* value) {
  if (!value) {
    FInvalidPicture.reset();
    return;
  }
  if (value == FInvalidPicture.get()) return;
  if (!FInvalidPicture) FInvalidPicture = std::make_unique<TPicture>();
  FInvalidPicture->Assign(value);
}

TColor TVLStyle::GetHoverColorByStyle(Integer styleNo) const {
  TColor c = TextStyles->Items(styleNo)->HoverColor;
  return c != clNone ? c : HoverColor;
}

void TVLStyle::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && ListStyles) ListStyles->RemoveImageList(component);
}

void TVLStyle::ApplyStyle(TCanvas* canvas, Integer styleNo, TVLBiDiMode defBiDiMode) {
  bool doDefault = true;
  if (OnApplyStyle) OnApplyStyle(this, canvas, styleNo, doDefault);
  if (doDefault) TextStyles->Items(styleNo)->Apply(canvas, defBiDiMode);
}

void TVLStyle::ApplyStyleColor(TCanvas* canvas, Integer styleNo, TVLTextDrawStates drawState,
                               bool printing, TVLColorMode colorMode) {
  bool doDefault = true;
  if (OnApplyStyleColor) OnApplyStyleColor(this, canvas, styleNo, drawState, doDefault);
  if (doDefault) TextStyles->Items(styleNo)->ApplyColor(canvas, *this, drawState, printing, colorMode);
}

bool TVLStyle::StyleHoverSensitive(Integer styleNo) {
  const TFontInfo* fi = TextStyles->Items(styleNo);
  bool sensitive = GetHoverColor(fi->HoverColor) != clNone || fi->HoverBackColor != fi->BackColor;
  if (OnStyleHoverSensitive) OnStyleHoverSensitive(this, styleNo, sensitive);
  return sensitive;
}

void TVLStyle::DrawParaBack(TCanvas* canvas, Integer paraNo, TRect& rect, TVLColorMode colorMode,
                            bool printing) {
  bool doDefault = true;
  if (OnDrawParaBack) OnDrawParaBack(this, canvas, paraNo, rect, doDefault);
  if (doDefault) ParaStyles->Items(paraNo)->Background.Draw(rect, canvas, printing, colorMode);
}

// ---------------------------------------------------------------------------
// Text styles on a canvas.
namespace {

Integer StyleResolution(const TFontInfos* infos, TCanvas* canvas) {
  if (infos && infos->PixelsPerInch != 0) return infos->PixelsPerInch;
  return canvas ? canvas->Font.GetPixelsPerInch() : ScreenPixelsPerInch;
}

Integer Luminance(TColor c) {
  return static_cast<Integer>(
      std::nearbyint(0.3 * GetRValue(c) + 0.59 * GetGValue(c) + 0.11 * GetBValue(c)));
}

}  // namespace

const TFontInfos* TFontInfo::OwnerInfos() const {
  if (FFallbackOf) return FFallbackOf;
  return dynamic_cast<const TFontInfos*>(GetCollection());
}

void TFontInfo::AssignFromFont(const TFont& font) {
  FontName = font.GetName();
  Size = font.GetSize();
  Color = font.GetColor();
  Style = font.GetStyle();
  Charset = font.GetCharset();
}

void TFontInfo::AssignToFont(TFont& font) const {
  font.SetName(FontName);
  font.SetSize(Size);
  font.SetColor(Color);
  font.SetStyle(Style);
  if (!Unicode) font.SetCharset(Charset);
}

void TFontInfo::AssignToLogFont(TVLLogFont& logFont, TCanvas* canvas) const {
  logFont = TVLLogFont();
  logFont.Height = FontHeight(StyleResolution(OwnerInfos(), canvas));
  logFont.Weight = Style.Contains(fsBold) ? 700 : 400;
  logFont.Italic = Style.Contains(fsItalic);
  logFont.Underline = Style.Contains(fsUnderline);
  logFont.StrikeOut = Style.Contains(fsStrikeOut);
  logFont.Charset = Charset;
  logFont.FaceName = FontName;
  logFont.Width = 0;
}

void TFontInfo::Apply(TCanvas* canvas, TVLBiDiMode defBiDiMode) const {
  TFont& font = canvas->Font;
  const TFontInfos* infos = OwnerInfos();
  if (CharScale == 100) {
    font.SetStyle(Style);
    if (infos && infos->PixelsPerInch != 0)
      font.SetHeight(FontHeight(infos->PixelsPerInch));
    else
      font.SetSize(Size);
    font.SetWidth(0);
    font.SetName(FontName);
    font.SetCharset(Charset);
  } else {
    TVLLogFont lf;
    AssignToLogFont(lf, canvas);
    font.SetStyle(Style);
    font.SetHeight(lf.Height);
    font.SetName(lf.FaceName);
    font.SetCharset(lf.Charset);
    font.SetWidth(0);
    TTextMetric tm;
    Integer average = canvas->GetTextMetrics(tm) ? tm.tmAveCharWidth : canvas->TextWidth("x");
    font.SetWidth(average * CharScale / 100);
  }
  const TVLBiDiMode mode = BiDiMode != vlbdUnspecified ? BiDiMode : defBiDiMode;
  switch (mode) {
    case vlbdLeftToRight:
      canvas->SetTextCharacterExtra(0);
      canvas->SetTextAlign(0);
      break;
    case vlbdRightToLeft:
      canvas->SetTextCharacterExtra(0);
      canvas->SetTextAlign(TA_RTLREADING);
      break;
    case vlbdUnspecified: canvas->SetTextCharacterExtra(CharSpacingOn(canvas)); break;
  }
}

// The spacing is in screen pixels: a printer's canvas draws and measures it in
// its own, so that paper keeps the line the screen shows.
Integer TFontInfo::CharSpacingOn(const TCanvas* canvas) const {
  const Integer ppi = canvas->GetPixelsPerInch();
  return ppi == ScreenPixelsPerInch ? CharSpacing : MulDiv(CharSpacing, ppi, ScreenPixelsPerInch);
}

void TFontInfo::ApplyColor(TCanvas* canvas, const TVLStyle& sheet, TVLTextDrawStates drawState,
                           bool printing, TVLColorMode colorMode) const {
  TColor fore = Color, back = BackColor;
  if (drawState.Contains(vltsSelected)) {
    const bool focused = drawState.Contains(vltsControlFocused);
    back = focused ? sheet.SelColor : sheet.InactiveSelColor;
    fore = focused ? sheet.SelTextColor : sheet.InactiveSelTextColor;
    if (fore == clNone) fore = Color;
  } else if (drawState.Contains(vltsHover)) {
    fore = sheet.GetHoverColor(HoverColor);
    if (fore == clNone) fore = Color;
    back = HoverBackColor;
  } else if (printing) {
    switch (colorMode) {
      case vlcmColor: break;
      case vlcmPrinterColor:
        fore = FixSystemColor(Color);
        back = FixSystemColor(BackColor);
        break;
      case vlcmGrayScale:
        fore = ColorToGray(FixSystemColor(Color));
        back = ColorToGray(FixSystemColor(BackColor));
        break;
      case vlcmBlackAndWhite: {
        const TColor text = FixSystemColor(Color);
        if (BackColor == clNone) {
          back = clNone;
          fore = text == clWhite ? clWhite : clBlack;
        } else if (Luminance(FixSystemColor(BackColor)) <= Luminance(text)) {
          fore = clWhite;
          back = clBlack;
        } else {
          fore = clBlack;
          back = clWhite;
        }
        break;
      }
      case vlcmBlackOnWhite:
        fore = clBlack;
        back = clNone;
        break;
    }
  }
  canvas->Font.SetColor(fore);
  canvas->Brush.Color = back;
  canvas->Brush.Style = back == clNone ? bsClear : bsSolid;
}

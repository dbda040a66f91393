// Paragraph styles with their borders and backgrounds.
#include "richtext/model/VLFuncs.h"
#include "richtext/model/VLStyle.h"

// ---------------------------------------------------------------------------
// TVLRect
void TVLRect::Assign(const TPersistent* source) {
  if (auto src = dynamic_cast<const TVLRect*>(source)) {
    Top = src->Top;
    Left = src->Left;
    Right = src->Right;
    Bottom = src->Bottom;
    return;
  }
  TPersistent::Assign(source);
}

void TVLRect::AssignToRectIfGreater(TRect& rect) const {
  if (Left > rect.Left) rect.Left = Left;
  if (Top > rect.Top) rect.Top = Top;
  if (Right > rect.Right) rect.Right = Right;
  if (Bottom > rect.Bottom) rect.Bottom = Bottom;
}

void TVLRect::InflateRect(TRect& rect) const {
  rect.Left -= Left;
  rect.Top -= Top;
  rect.Right += Right;
  rect.Bottom += Bottom;
}

void TVLRect::InflateRectScaled(TRect& rect, const TVLScreenAndDevice& sad) const {
  rect.Left -= MulDiv(Left, sad.ppixDevice, sad.ppixScreen);
  rect.Top -= MulDiv(Top, sad.ppiyDevice, sad.ppiyScreen);
  rect.Right += MulDiv(Right, sad.ppixDevice, sad.ppixScreen);
  rect.Bottom += MulDiv(Bottom, sad.ppiyDevice, sad.ppiyScreen);
}

bool TVLRect::IsEqual(const TVLRect& value) const {
  return Top == value.Top && Left == value.Left && Right == value.Right && Bottom == value.Bottom;
}

bool TVLRect::IsEqualEx(const TVLRect& value, bool ignL, bool ignT, bool ignR, bool ignB) const {
  return (ignL || Left == value.Left) && (ignT || Top == value.Top) &&
         (ignR || Right == value.Right) && (ignB || Bottom == value.Bottom);
}

// ---------------------------------------------------------------------------
// TVLBooleanRect
void TVLBooleanRect::Assign(const TPersistent* source) {
  if (auto src = dynamic_cast<const TVLBooleanRect*>(source)) {
    Top = src->Top;
    Left = src->Left;
    Right = src->Right;
    Bottom = src->Bottom;
    return;
  }
  TPersistent::Assign(source);
}

void TVLBooleanRect::SetValues(bool left, bool top, bool right, bool bottom) {
  Left = left;
  Top = top;
  Right = right;
  Bottom = bottom;
}

bool TVLBooleanRect::IsEqual(const TVLBooleanRect& value) const {
  return Top == value.Top && Left == value.Left && Right == value.Right && Bottom == value.Bottom;
}

bool TVLBooleanRect::IsEqualEx(const TVLBooleanRect& value, bool ignL, bool ignT, bool ignR,
                               bool ignB) const {
  return (ignL || Left == value.Left) && (ignT || Top == value.Top) &&
         (ignR || Right == value.Right) && (ignB || Bottom == value.Bottom);
}

bool TVLBooleanRect::IsEqualEx(bool left, bool top, bool right, bool bottom) const {
  return Left == left && Top == top && Right == right && Bottom == bottom;
}

bool TVLBooleanRect::IsAllEqual(bool value) const {
  return Left == value && Top == value && Right == value && Bottom == value;
}

// ---------------------------------------------------------------------------
// TVLBorder
void TVLBorder::Assign(const TPersistent* source) {
  if (auto src = dynamic_cast<const TVLBorder*>(source)) {
    Width = src->Width;
    InternalWidth = src->InternalWidth;
    Color = src->Color;
    Style = src->Style;
    VisibleBorders.Assign(&src->VisibleBorders);
    BorderOffsets.Assign(&src->BorderOffsets);
    return;
  }
  TPersistent::Assign(source);
}

Integer TVLBorder::GetTotalWidth() const {
  switch (Style) {
    case vlbNone: return 0;
    case vlbSingle: return Width;
    case vlbDouble: return 2 * Width + InternalWidth;
    case vlbTriple: return 3 * Width + 2 * InternalWidth;
    case vlbThickInside:
    case vlbThickOutside: return 3 * Width + InternalWidth;
  }
  return 0;
}

namespace {

TColor ModeColor(TColor color, TVLColorMode mode) {
  switch (mode) {
    case vlcmColor: return color;
    case vlcmPrinterColor: return FixSystemColor(color);
    case vlcmGrayScale: return ColorToGray(FixSystemColor(color));
    case vlcmBlackAndWhite:
    case vlcmBlackOnWhite: return clBlack;
  }
  return color;
}

}  // namespace

void TVLBorder::DoDraw(TRect rect, TCanvas* canvas, Integer onePixel, Integer internalWidth,
                       Integer width, TVLColorMode colorMode) const {
  canvas->Pen.Width = width;
  canvas->Pen.Style = psInsideFrame;
  canvas->Pen.Color = ModeColor(Color, colorMode);
  Integer count = 1;
  switch (Style) {
    case vlbDouble: count = 2; break;
    case vlbTriple: count = 3; break;
    case vlbThickInside:
    case vlbThickOutside: count = 2; break;
    default: break;
  }
  for (Integer k = count; k >= 1; --k) {
    const bool thick = (Style == vlbThickInside && k == 2) || (Style == vlbThickOutside && k == 1);
    canvas->Pen.Width = thick ? 2 * width : width;
    // Each side there and back, so that both of its end points are painted.
    if (VisibleBorders.Top) {
      canvas->MoveTo(rect.Left, rect.Top);
      canvas->LineTo(rect.Right, rect.Top);
      canvas->LineTo(rect.Left, rect.Top);
    }
    if (VisibleBorders.Right) {
      canvas->MoveTo(rect.Right, rect.Top);
      canvas->LineTo(rect.Right, rect.Bottom);
      canvas->LineTo(rect.Right, rect.Top);
    }
    if (VisibleBorders.Bottom) {
      canvas->MoveTo(rect.Right, rect.Bottom);
      canvas->LineTo(rect.Left, rect.Bottom);
      canvas->LineTo(rect.Right, rect.Bottom);
    }
    if (VisibleBorders.Left) {
      canvas->MoveTo(rect.Left, rect.Bottom);
      canvas->LineTo(rect.Left, rect.Top);
      canvas->LineTo(rect.Left, rect.Bottom);
    }
    ::InflateRect(rect, internalWidth + onePixel, internalWidth + onePixel);
    if (width == onePixel) {
      if (Style == vlbThickOutside) {
        rect.Right += onePixel;
        rect.Bottom += onePixel;
      } else if (Style == vlbThickInside) {
        rect.Left -= onePixel;
        rect.Top -= onePixel;
      }
    }
  }
  canvas->Pen.Width = 1;
}

void TVLBorder::Draw(const TRect& rect, TCanvas* canvas) const {
  if (Style == vlbNone) return;
  TRect r = rect;
  BorderOffsets.InflateRect(r);
  DoDraw(r, canvas, 1, InternalWidth, Width, vlcmColor);
}

void TVLBorder::DrawScaled(const TRect& rect, TCanvas* canvas, TVLColorMode colorMode,
                           const TVLScreenAndDevice& sad) const {
  if (Style == vlbNone) return;
  TRect r = rect;
  BorderOffsets.InflateRectScaled(r, sad);
  auto scale = [&](Integer v) { return MulDiv(v, sad.ppiyDevice, sad.ppiyScreen); };
  DoDraw(r, canvas, scale(1), scale(InternalWidth), scale(Width), colorMode);
}

// ---------------------------------------------------------------------------
// TVLBackgroundRect
void TVLBackgroundRect::Assign(const TPersistent* source) {
  if (auto src = dynamic_cast<const TVLBackgroundRect*>(source)) {
    Color = src->Color;
    BorderOffsets.Assign(&src->BorderOffsets);
    return;
  }
  TPersistent::Assign(source);
}

void TVLBackgroundRect::Draw(const TRect& rect, TCanvas* canvas, bool printing,
                             TVLColorMode colorMode) const {
  if (Color == clNone) return;
  if (printing && (colorMode == vlcmBlackAndWhite || colorMode == vlcmBlackOnWhite)) return;
  TColor c = FixSystemColor(Color);
  if (printing && colorMode == vlcmGrayScale) c = ColorToGray(c);
  canvas->Brush.Style = bsSolid;
  canvas->Brush.Color = c;
  canvas->Pen.Style = psClear;
  // The rectangle is filled up to and including its right and bottom edges.
  canvas->FillRect(TRect(rect.Left, rect.Top, rect.Right + 1, rect.Bottom + 1));
  canvas->Pen.Style = psSolid;
  canvas->Brush.Style = bsClear;
}

// ---------------------------------------------------------------------------
// TParaInfo
TParaInfo::TParaInfo(TCollection* collection) : TCustomVLInfo(collection) {
  StyleName = FDefaultStyleName = "Paragraph Style";
}

void TParaInfo::Assign(const TPersistent* source) {
  if (auto src = dynamic_cast<const TParaInfo*>(source)) {
    FirstIndent = src->FirstIndent;
    LeftIndent = src->LeftIndent;
    RightIndent = src->RightIndent;
    SpaceBefore = src->SpaceBefore;
    SpaceAfter = src->SpaceAfter;
    LineSpacing = src->LineSpacing;
    LineSpacingType = src->LineSpacingType;
    Alignment = src->Alignment;
    Border.Assign(&src->Border);
    NextParaNo = src->NextParaNo;
    Background.Assign(&src->Background);
    Options = src->Options;
    BiDiMode = src->BiDiMode;
    DefStyleNo = src->DefStyleNo;
  }
  TCustomVLInfo::Assign(source);
}

void TParaInfo::UpdateMergedReferences(const TVLIntegerList& mapping,
                                       const TVLIntegerList* textMapping) {
  TCustomVLInfo::UpdateMergedReferences(mapping, textMapping);
  if (NextParaNo >= 0 && NextParaNo < mapping.Count()) NextParaNo = mapping[NextParaNo];
  if (textMapping && DefStyleNo >= 0 && DefStyleNo < textMapping->Count())
    DefStyleNo = (*textMapping)[DefStyleNo];
}

// ---------------------------------------------------------------------------
// TParaInfos
TParaInfos::TParaInfos(TCollectionItemFactory itemClass, TVLStyle* owner)
    : TCustomVLInfos(std::move(itemClass), owner) {}

TParaInfos::~TParaInfos() = default;

TParaInfo* TParaInfos::Add() { return static_cast<TParaInfo*>(TCollection::Add()); }

TParaInfo* TParaInfos::Items(Integer index) {
  if (index >= 0 && index < Count()) return static_cast<TParaInfo*>(TCollection::Items(index));
  if (!FInvalidItem) {
    auto fallback = std::make_unique<TParaInfo>(nullptr);
    if (Count() > 0) fallback->Assign(TCollection::Items(0));
    fallback->LeftIndent = 1;
    fallback->RightIndent = 1;
    fallback->SpaceBefore = 1;
    fallback->SpaceAfter = 1;
    fallback->Border.Color = 0x0000FF;
    fallback->Border.Style = vlbSingle;
    fallback->Border.Width = 2;
    fallback->Border.BorderOffsets.SetAll(1);
    FInvalidItem = std::move(fallback);
  }
  return FInvalidItem.get();
}

void TParaInfos::SetItems(Integer index, const TParaInfo& value) {
  TCollection::Items(index)->Assign(&value);
}

#include "richtext/model/VLBack.h"

#include "richtext/model/VLItem.h"

#include <algorithm>

namespace {

Integer FloorDiv(Integer a, Integer b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

void Fill(TCanvas* canvas, const TRect& r, TColor color) {
  canvas->Brush.Style = bsSolid;
  canvas->Brush.Color = color;
  canvas->FillRect(r);
}

}  // namespace

TVLBackground::TVLBackground(bool createImage) {
  if (createImage) Image = std::make_unique<TBitmap>();
}

TVLBackground::~TVLBackground() = default;

void TVLBackground::FreeImage() {
  Image.reset();
  PaletteCopy.reset();
}

void TVLBackground::AssignImage(std::unique_ptr<TGraphic> graphic, TCustomVLData* vlData) {
  if (graphic.get() == Image.get()) return;
  Image = std::move(graphic);
  UpdatePaletted(vlData ? vlData->GetDoInPaletteMode() : vlpaDoNothing);
}

void TVLBackground::AssignImageCopy(const TGraphic& graphic, TCustomVLData* vlData) {
  if (&graphic == Image.get()) return;
  FreeImage();
  Image = VLCreateGraphicLike(graphic);
  if (Image) Image->Assign(&graphic);
  UpdatePaletted(vlData ? vlData->GetDoInPaletteMode() : vlpaDoNothing);
}

void TVLBackground::UpdatePaletted(TVLPaletteAction /*paletteAction*/) {
  // Copies are made only for a logical palette, which true-colour devices
  // never have.
  PaletteCopy.reset();
}

bool TVLBackground::HasPicture() const { return Image && !Image->GetEmpty(); }

bool TVLBackground::Empty() const { return Style == bsNoBitmap && !HasPicture(); }

bool TVLBackground::ScrollRequiresFullRedraw() const {
  return HasPicture() && Style != bsNoBitmap && Style != bsTiledAndScrolled;
}

TVLItemBackgroundStyle TVLBackground::GetItemBackStyle() const {
  switch (Style) {
    case bsNoBitmap: return vlbsColor;
    case bsStretched: return vlbsStretched;
    case bsCentered: return vlbsCentered;
    default: return vlbsTiled;
  }
}

void TVLBackground::SetItemBackStyle(TVLItemBackgroundStyle value) {
  switch (value) {
    case vlbsColor: Style = bsNoBitmap; break;
    case vlbsStretched: Style = bsStretched; break;
    case vlbsCentered: Style = bsCentered; break;
    case vlbsTiled: Style = bsTiled; break;
  }
}

void TVLBackground::Draw(TCanvas* canvas, const TRect& rect, Integer hOffset, Integer vOffset, Integer left,
                         Integer top, Integer width, Integer height, TColor color, bool clip) {
  TGraphic* pic = PaletteCopy ? PaletteCopy.get() : Image.get();
  const bool picture = pic && !pic->GetEmpty();
  if (clip) {
    canvas->SaveDC();
    canvas->IntersectClipRect(rect.Left, rect.Top, rect.Right, rect.Bottom);
    // Moved from where the canvas stands now: a partial repaint paints
    // with its origin at the corner of the area being painted.
    const TPoint org = canvas->GetWindowOrgEx();
    canvas->SetWindowOrgEx(org.X - rect.Left, org.Y - rect.Top);
  }
  // The repaint area in the background area's own coordinates; drawing at
  // (0, 0) lands on its top-left.
  TRect r = rect;
  OffsetRect(r, -left, -top);
  if (color != clNone && (!picture || pic->GetTransparent() || Style == bsNoBitmap || Style == bsCentered))
    Fill(canvas, TRect(0, 0, r.Width(), r.Height()), color);
  if (picture && Style != bsNoBitmap) {
    const Integer w = std::max(pic->GetWidth(), 1), h = std::max(pic->GetHeight(), 1);
    switch (Style) {
      case bsStretched:
        canvas->StretchDraw(TRect(-r.Left, -r.Top, width - r.Left, height - r.Top), pic);
        break;
      case bsTiled:
      case bsTiledAndScrolled: {
        const Integer dx = Style == bsTiled ? 0 : hOffset, dy = Style == bsTiled ? 0 : vOffset;
        for (Integer row = FloorDiv(r.Top + dy, h); row <= FloorDiv(r.Bottom + dy, h); ++row)
          for (Integer col = FloorDiv(r.Left + dx, w); col <= FloorDiv(r.Right + dx, w); ++col)
            canvas->Draw(col * w - dx - r.Left, row * h - dy - r.Top, pic);
        break;
      }
      case bsCentered:
        canvas->Draw((width - w) / 2 - r.Left, (height - h) / 2 - r.Top, pic);
        break;
      default: break;
    }
  }
  if (clip) canvas->RestoreDC(-1);
}

void TVLBackground::Print(TCanvas* canvas, const TRect& rect, const TRect& fullRect, const TVLScreenAndDevice& sad,
                          TColor color, const std::function<void(TCanvas*, const TRect&)>& pageBackground) {
  canvas->SaveDC();
  canvas->IntersectClipRect(rect.Left, rect.Top, rect.Right, rect.Bottom);
  const bool picture = HasPicture();
  if (color != clNone && (!picture || Style == bsNoBitmap || Style == bsCentered)) Fill(canvas, rect, color);
  if (picture && Style != bsNoBitmap) {
    const Integer w = std::max(Image->GetWidth(), 1), h = std::max(Image->GetHeight(), 1);
    // The picture over its colour, so that a transparent one prints as on
    // screen.
    TBitmap tile(w, h);
    if (color != clNone) Fill(tile.Canvas(), TRect(0, 0, w, h), color);
    tile.Canvas()->Draw(0, 0, Image.get());
    const bool compose = Image->GetTransparent() && color == clNone && pageBackground;
    const Integer tw = std::max(MulDiv(w, sad.ppixDevice, sad.ppixScreen), 1);
    const Integer th = std::max(MulDiv(h, sad.ppiyDevice, sad.ppiyScreen), 1);
    const int oldMode = canvas->SetStretchBltMode(HALFTONE);
    auto put = [&](const TRect& target) {
      if (!compose) {
        canvas->StretchDraw(target, &tile);
        return;
      }
      TBitmap under(target.Width(), target.Height());
      pageBackground(under.Canvas(), target);
      under.Canvas()->StretchDraw(TRect(0, 0, target.Width(), target.Height()), Image.get());
      canvas->Draw(target.Left, target.Top, &under);
    };
    switch (Style) {
      case bsStretched: put(fullRect); break;
      case bsCentered:
        put(Bounds(fullRect.Left + (fullRect.Width() - tw) / 2, fullRect.Top + (fullRect.Height() - th) / 2, tw, th));
        break;
      default:
        // Scrolling plays no part on paper.
        for (Integer row = FloorDiv(rect.Top - fullRect.Top, th); fullRect.Top + row * th < rect.Bottom; ++row)
          for (Integer col = FloorDiv(rect.Left - fullRect.Left, tw); fullRect.Left + col * tw < rect.Right; ++col)
            put(Bounds(fullRect.Left + col * tw, fullRect.Top + row * th, tw, th));
        break;
    }
    canvas->SetStretchBltMode(oldMode);
  }
  canvas->RestoreDC(-1);
}

// The print preview control.
#include "richtext/view/VLPreview.h"

#include "platform/gui/Cursors.h"
#include "richtext/view/VLPrint.h"

#include <algorithm>

TCustomVLPrintPreview::TCustomVLPrintPreview(TComponent* owner) : TVLScroller(owner) {
  MarginsPen.Style = psClear;
  MarginsPen.Color = 0xC0C0C0;
  for (const auto& [id, name] : {std::pair<TCursor, const char*>{crVLZoomIn, "VL_ZOOMIN_CURSOR"},
                                 std::pair<TCursor, const char*>{crVLZoomOut, "VL_ZOOMOUT_CURSOR"}}) {
    if (IsCursorRegistered(id)) continue;
    bool found = false;
    HCURSOR cursor = LoadCursorResource(name, &found);
    if (found) SetCursorById(id, cursor);
  }
  SetBorderStyle(bsSingle);
  SetBounds(GetLeft(), GetTop(), 100, 100);
  SetColor(clBtnShadow);
  FullRedraw = false;
  LineStep = 10;
  VSmallStep = 1;
}

TCustomVLPrintPreview::~TCustomVLPrintPreview() = default;

void TCustomVLPrintPreview::Last() {
  if (CanDraw()) SetPageNo(GetPageCount());
}

void TCustomVLPrintPreview::Next() {
  if (CanDraw() && PageNo < GetPageCount()) SetPageNo(PageNo + 1);
}

void TCustomVLPrintPreview::Prev() {
  if (PageNo > 1) SetPageNo(PageNo - 1);
}

void TCustomVLPrintPreview::SetPageNo(Integer value) {
  // A page that does not exist cannot be drawn: every paint would fail.
  if (CanDraw()) value = std::clamp<Integer>(value, 1, std::max<Integer>(1, GetPageCount()));
  PageNo = value;
  Invalidate();
}

void TCustomVLPrintPreview::SetZoomMode(Byte mode) {
  ZoomMode = mode;
  UpdateZoom();
}

void TCustomVLPrintPreview::SetZoomPercent(Integer percent) {
  const bool changed = percent != ZoomPercent;
  if (percent == 100 && ZoomPercent != 100) PrevZoomPercent = ZoomPercent;
  ZoomPercent = percent;
  if (!CanDraw()) return;
  PageWidthZoomed = MulDiv(GetPageWidth(), ZoomPercent, 100);
  PageHeightZoomed = MulDiv(GetPageHeight(), ZoomPercent, 100);
  Invalidate();
  switch (ZoomMode) {
    case vlzmFullPage: UpdateScrollBars(10, 10, true, true); break;
    case vlzmPageWidth: UpdateScrollBars(10, PageHeightZoomed + 2 * BackgroundMargin, true, true); break;
    default:
      UpdateScrollBars(PageWidthZoomed + 2 * BackgroundMargin, PageHeightZoomed + 2 * BackgroundMargin, true, true);
  }
  UpdateCursor();
  if (changed && OnZoomChanged) OnZoomChanged(this);
}

void TCustomVLPrintPreview::UpdateZoom() {
  if (!CanDraw()) return;
  const Integer pw = GetPageWidth(), ph = GetPageHeight();
  if (pw <= 0 || ph <= 0) return;
  switch (ZoomMode) {
    case vlzmFullPage: {
      const Integer w = MulDiv(GetWidth() - GetSystemMetrics(SM_CXHSCROLL) - 2 * BackgroundMargin, 100, pw);
      const Integer h = MulDiv(GetHeight() - GetSystemMetrics(SM_CYVSCROLL) - 2 * BackgroundMargin, 100, ph);
      SetZoomPercent(std::max<Integer>(1, std::min(w, h)));
      break;
    }
    case vlzmPageWidth:
      SetZoomPercent(std::max<Integer>(1, MulDiv(ClientWidth() - 2 * BackgroundMargin, 100, pw)));
      break;
    default: SetZoomPercent(ZoomPercent);
  }
}

void TCustomVLPrintPreview::SetZoomInCursor(TCursor value) {
  ZoomInCursor = value;
  UpdateCursor();
}

void TCustomVLPrintPreview::SetZoomOutCursor(TCursor value) {
  ZoomOutCursor = value;
  UpdateCursor();
}

void TCustomVLPrintPreview::UpdateCursor() {
  if (ClickMode == vlcmNone) {
    SetCursor(crDefault);
    return;
  }
  const Integer next = ZoomPercent == 100 ? PrevZoomPercent : 100;
  SetCursor(next > ZoomPercent ? ZoomInCursor : ZoomOutCursor);
}

void TCustomVLPrintPreview::Click() {
  TVLScroller::Click();
  if (ClickMode != vlcmSwitchZoom) return;
  SetZoomMode(vlzmPercent);
  SetZoomPercent(ZoomPercent != 100 ? 100 : PrevZoomPercent);
}

void TCustomVLPrintPreview::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TVLScroller::MouseDown(button, shift, x, y);
  if (CanFocus()) SetFocus();
}

void TCustomVLPrintPreview::Resize() {
  TVLScroller::Resize();
  UpdateZoom();
}

TRect TCustomVLPrintPreview::PageRect() const {
  const Integer w = std::max(ClientWidth(), XSize), h = std::max(ClientHeight(), YSize);
  const Integer left = (w - PageWidthZoomed) / 2 - HPos, top = (h - PageHeightZoomed) / 2 - VPos;
  return TRect(left, top, left + PageWidthZoomed, top + PageHeightZoomed);
}

void TCustomVLPrintPreview::DrawMargins(TCanvas* canvas, const TRect& /*pageRect*/, Integer /*pageNo*/) {
  canvas->Pen.Assign(&MarginsPen);
  canvas->Brush.Style = bsClear;
}

void TCustomVLPrintPreview::Paint() {
  const Integer cw = ClientWidth(), ch = ClientHeight();
  if (cw <= 0 || ch <= 0) return;
  TBitmap buffer(cw, ch);
  TCanvas* c = buffer.Canvas();
  c->Brush.Style = bsSolid;
  c->Brush.Color = GetColor();
  c->FillRect(TRect(0, 0, cw, ch));
  if (CanDraw() && GetPageCount() > 0) {
    if (PageNo < 1 || PageNo > GetPageCount()) PageNo = std::clamp<Integer>(PageNo, 1, GetPageCount());
    const TRect page = PageRect();
    if (ShadowWidth > 0) {
      c->Brush.Color = ShadowColor;
      c->FillRect(TRect(page.Left + ShadowWidth, page.Top + ShadowWidth, page.Right + ShadowWidth,
                        page.Bottom + ShadowWidth));
    }
    const int saved = c->SaveDC();
    c->IntersectClipRect(page.Left, page.Top, page.Right, page.Bottom);
    DrawPage(c, page);
    c->RestoreDC(saved);
    c->Pen.Style = psSolid;
    c->Pen.Width = PageBorderWidth;
    c->Pen.Color = PageBorderColor;
    c->Brush.Style = bsClear;
    if (PageBorderWidth > 0) c->Rectangle(page);
    if (MarginsPen.Style != psClear) DrawMargins(c, page, PageNo);
  }
  c->ReleaseHandle();
  Canvas()->Draw(0, 0, &buffer);
}

// ---- pages from a print component ---------------------------------------------------------

void TVLPrintPreview::SetVLPrint(TVLPrint* value) {
  FVLPrint = value;
  FPageImage.reset();
  FCachedPageNo = -1;
  UpdateZoom();
}

bool TVLPrintPreview::CanDraw() {
  return FVLPrint && FVLPrint->PagesFormatted() && FVLPrint->IsPrinterReady();
}

Integer TVLPrintPreview::GetPageWidth() { return FVLPrint ? FVLPrint->GetPreview100PercentWidth() : -1; }
Integer TVLPrintPreview::GetPageHeight() { return FVLPrint ? FVLPrint->GetPreview100PercentHeight() : -1; }
Integer TVLPrintPreview::GetPageCount() { return FVLPrint ? FVLPrint->GetPagesCount() : 1; }

void TVLPrintPreview::DrawMargins(TCanvas* canvas, const TRect& pageRect, Integer pageNo) {
  TCustomVLPrintPreview::DrawMargins(canvas, pageRect, pageNo);
  if (FVLPrint) FVLPrint->DrawMarginsRect(canvas, pageRect, pageNo);
}

void TVLPrintPreview::UpdatePageImage(const TRect& rect) {
  const Integer counter = FVLPrint ? FVLPrint->FormatCounter() : -1;
  if (FPageImage && FCachedPageNo == PageNo && FCachedRect == rect && FCachedFormatCounter == counter) return;
  FPageImage.reset();
  if (!FVLPrint) return;
  FPageImage = std::make_unique<TBitmap>(std::max<Integer>(1, rect.Width()), std::max<Integer>(1, rect.Height()));
  FVLPrint->DrawPreview(PageNo, FPageImage->Canvas(), rect);
  FPageImage->Canvas()->ReleaseHandle();
  ++PagesDrawn;
  FCachedPageNo = PageNo;
  FCachedRect = rect;
  FCachedFormatCounter = counter;
}

void TVLPrintPreview::DrawPage(TCanvas* canvas, const TRect& pageRect) {
  if (!FVLPrint) return;
  if (CachePageImage) {
    UpdatePageImage(TRect(0, 0, pageRect.Width(), pageRect.Height()));
    if (FPageImage) canvas->Draw(pageRect.Left, pageRect.Top, FPageImage.get());
  } else {
    FVLPrint->DrawPreview(PageNo, canvas, pageRect);
    ++PagesDrawn;
  }
}

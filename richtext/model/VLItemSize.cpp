// Boxes of rectangle items.
#include "richtext/model/VLItemSize.h"

#include "platform/gui/Graphics.h"
#include "platform/gui/ImgList.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLMarkers.h"

namespace {

Integer ToDeviceX(Integer v, const TVLScreenAndDevice* sad) {
  return sad ? MulDiv(v, sad->ppixDevice, sad->ppixScreen) : v;
}
Integer ToDeviceY(Integer v, const TVLScreenAndDevice* sad) {
  return sad ? MulDiv(v, sad->ppiyDevice, sad->ppiyScreen) : v;
}

}  // namespace

TVLItemSize VLGetRectItemSize(TVLRectItemInfo& item, TCustomVLData& data, TCanvas* canvas,
                              const TVLScreenAndDevice* sad, Integer docWidth, bool rightToLeft) {
  TVLItemSize r;
  if (auto* marker = dynamic_cast<TVLMarkerItemInfo*>(&item)) {
    if (!canvas) return r;
    const TVLMarkerMetrics m = VLMeasureMarker(*marker, data, *canvas, sad, rightToLeft);
    r.Width = m.Width;
    r.Height = m.Height;
    r.Descent = m.Descent;
    r.MinWidth = m.MinWidth;
    r.RTLShift = m.ExtraShift;
    return r;
  }
  Integer w = 0, h = 0;
  bool percent = false;
  if (auto* graphic = dynamic_cast<TVLGraphicItemInfo*>(&item)) {
    const TGraphic* g = graphic->Image.get();
    w = graphic->ImageWidth > 0 ? graphic->ImageWidth : (g ? g->GetWidth() : 0);
    h = graphic->ImageHeight > 0 ? graphic->ImageHeight : (g ? g->GetHeight() : 0);
  } else if (auto* bullet = dynamic_cast<TVLBulletItemInfo*>(&item)) {
    if (auto* list = dynamic_cast<TCustomImageList*>(bullet->ImageList)) {
      w = list->GetWidth();
      h = list->GetHeight();
    }
  } else if (auto* control = dynamic_cast<TVLControlItemInfo*>(&item)) {
    if (control->Control) {
      w = control->Control->GetWidth();
      h = control->Control->GetHeight();
    }
    if (control->PercentWidth > 0 && docWidth > 0) {
      w = MulDiv(docWidth, control->PercentWidth, 100);
      percent = true;
    }
  }
  const Integer spacing = item.Spacing < 0 ? 0 : item.Spacing;
  r.Width = (percent ? w : ToDeviceX(w, sad)) + 2 * ToDeviceX(spacing, sad);
  r.Height = ToDeviceY(h + 2 * spacing, sad);
  r.Descent = ToDeviceY(spacing, sad);
  r.MinWidth = percent ? 2 * ToDeviceX(spacing, sad) : r.Width;
  return r;
}

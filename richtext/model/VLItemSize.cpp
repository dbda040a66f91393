// Boxes of rectangle items.
#include "richtext/model/VLItemSize.h"

#include "platform/gui/Graphics.h"
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
  const Integer spacing = item.Spacing < 0 ? 0 : item.Spacing;
  Integer w = item.GetImageWidth(data.GetStyle()), h = item.GetImageHeight(data.GetStyle());
  bool percent = false;
  if (auto* control = dynamic_cast<TVLControlItemInfo*>(&item);
      control && control->Control && control->PercentWidth >= 1 && control->PercentWidth <= 100 && docWidth > 0) {
    // On screen the control takes its share; for a device the share is
    // worked out there and the control keeps its screen width.
    if (sad) {
      w = std::max(control->PercentWidthFor(docWidth), 0);
    } else {
      Integer offset = 0, unused = 0;
      control->CalcSizeForDocWidth(docWidth, offset, unused);
      w = control->GetImageWidth(data.GetStyle());
    }
    percent = true;
  }
  r.Width = (percent && sad ? w : ToDeviceX(w, sad)) + 2 * ToDeviceX(spacing, sad);
  r.Height = ToDeviceY(h + 2 * spacing, sad);
  r.Descent = ToDeviceY(spacing, sad);
  r.MinWidth = item.GetMinWidth(sad, canvas, &data);
  return r;
}

#pragma once
// The box of a rectangle item (picture, bullet, hotspot, control, list
// marker) as layout needs it: size, descent below the baseline and the
// narrowest width it can take, on the screen or scaled to a device.
#include "richtext/model/VLItem.h"

class TCanvas;
class TCustomVLData;

struct TVLItemSize {
  Integer Width = 0;
  Integer Height = 0;
  // Part of the height below the baseline.
  Integer Descent = 0;
  Integer MinWidth = 0;
  // How far a right-to-left line moves right at a list marker.
  Integer RTLShift = 0;
};

// The items' own sizes (image size and spacing). docWidth (device pixels)
// sizes controls given in percent of the width;
// sad, when given, scales screen lengths to its device. A marker is
// measured through canvas.
TVLItemSize VLGetRectItemSize(TVLRectItemInfo& item, TCustomVLData& data, TCanvas* canvas,
                              const TVLScreenAndDevice* sad, Integer docWidth, bool rightToLeft);

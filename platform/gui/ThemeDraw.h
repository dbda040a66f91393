#pragma once
// Drawing of standard parts through the toolkit's style, for controls that
// paint themselves like standard ones (a combo box's drop-down button, a
// sunken edit frame).
#include "platform/gui/Graphics.h"

enum TThemePartState { tpsNormal = 1, tpsHot = 2, tpsPressed = 3, tpsDisabled = 4 };

// True while the toolkit's styled look is in use (the "themes active" test).
bool ThemesActive();
// The drop-down button of a combo box filling r.
void DrawComboButton(TCanvas& canvas, const TRect& r, TThemePartState state);
// A sunken edit frame around r (the frame lies inside r).
void DrawEditFrame(TCanvas& canvas, const TRect& r, bool enabled);
// A raised push-button face and frame filling r (no caption).
void DrawPushButtonFrame(TCanvas& canvas, const TRect& r, bool enabled);
// The width of a vertical scroll bar.
Integer VerticalScrollBarWidth();

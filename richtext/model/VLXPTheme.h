#pragma once
// Themed drawing: always there, through the toolkit's style. Callers that
// would fall back to classic drawing test the flag first.
#include "platform/gui/Graphics.h"

// True: borders and controls are drawn in the toolkit's style.
bool VLThemesActive();
// The view's themed border: a sunken frame inside rect.
void VLDrawThemedBorder(TCanvas& canvas, const TRect& rect, bool enabled);

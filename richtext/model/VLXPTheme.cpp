#include "richtext/model/VLXPTheme.h"

#include "platform/gui/ThemeDraw.h"

bool VLThemesActive() { return true; }

void VLDrawThemedBorder(TCanvas& canvas, const TRect& rect, bool enabled) { DrawEditFrame(canvas, rect, enabled); }

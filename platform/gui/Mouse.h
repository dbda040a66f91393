#pragma once
// The mouse pointer.
#include "platform/base/Types.h"
#include "platform/gui/GfxTypes.h"

// The pointer's position on the screen.
TPoint GetCursorPos();

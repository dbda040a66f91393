#pragma once
// Mouse cursors by id: the standard ids (crDefault … crSizeAll) map to the
// desktop's cursors; positive ids are the program's own, registered with
// SetCursorById (the rich-text library registers its jump and flip-arrow
// cursors from LoadCursorResource).
#include "platform/base/Types.h"

#include <memory>

class QCursor;

using TCursor = int16_t;
// A loaded cursor image; callers only hand it on to SetCursorById.
using HCURSOR = std::shared_ptr<const QCursor>;

constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
constexpr TCursor crHSplit = -14;
constexpr TCursor crVSplit = -15;
constexpr TCursor crMultiDrag = -16;
constexpr TCursor crSQLWait = -17;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;
constexpr TCursor crSize = crSizeAll;

// The system's pointing-hand cursor as the design asks for it by number.
constexpr int IDC_HAND = 32649;
constexpr int IDC_ARROW = 32512;
constexpr int IDC_IBEAM = 32513;
constexpr int IDC_WAIT = 32514;

// The cursor an id stands for; an unknown id gives the arrow (inside the
// GUI layer, where QCursor is known).
QCursor CursorById(TCursor id);
// Registers (or replaces) a program cursor for an id; null registers the
// arrow.
void SetCursorById(TCursor id, const HCURSOR& cursor);
bool IsCursorRegistered(TCursor id);

// The program's own cursor images by resource name: "VL_JUMP_CURSOR" (a
// hand for links) and "VL_FLIPARROW_CURSOR" (an arrow pointing up and to the
// right, for selecting whole lines), "VL_ZOOMIN_CURSOR" and
// "VL_ZOOMOUT_CURSOR" (magnifying glasses with a plus and a minus, for the
// print preview), "VL_SELECTROW_CURSOR" and "VL_SELECTCOL_CURSOR" (arrows
// pointing right and down, for selecting table rows and columns). An unknown name gives the arrow and sets found to false.
HCURSOR LoadCursorResource(const String& name, bool* found = nullptr);
// A system cursor by its number (IDC_HAND …).
HCURSOR LoadSystemCursor(int idc);

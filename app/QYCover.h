#pragma once
// The cover screen: the picture in its draw mode, the framed labels, the rule
// and the Open / Lock / Exit buttons. The same painting serves the cover
// preview of the preferences dialog.
#include "platform/base/Types.h"

#include <vector>

// ---------------------------------------------------------------------------
// Geometry. All divisions are integer divisions truncating toward zero.

struct TCoverPoint {
  int X = 0;
  int Y = 0;
  bool operator==(const TCoverPoint&) const = default;
};
struct TCoverRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  bool operator==(const TCoverRect&) const = default;
};

// The cover's grid: labels sit on rows of a 30-row grid.
constexpr int CoverRows = 30;

// Bitmap draw modes of the setting BitmapDrawMode.
enum TCoverDrawMode : Byte { cdmNone = 0, cdmNormal = 1, cdmTiled = 2, cdmStretched = 3 };

// Where a label of textW × textH goes on an area of w × h: centred, on its
// row, never left of or above the area's edge.
TCoverPoint CoverLabelOrigin(int w, int h, int rows, int row, int textW, int textH);
// The rounded frame around a label of the given font size.
TCoverRect CoverLabelFrame(TCoverPoint origin, int textW, int textH, int size);
// The address block: widest line maxW, tallest line maxLineH, all lines totalH.
TCoverPoint CoverAddressOrigin(int w, int h, int rows, int row, int maxW, int maxLineH);
TCoverRect CoverAddressFrame(TCoverPoint origin, int maxW, int totalH, int size);

// Normal mode: the picture centred (possibly at negative coordinates).
TCoverPoint CoverCentredOrigin(int areaW, int areaH, int bmpW, int bmpH);
// Tiled mode: the first tile's corner, at or above / left of 0, chosen so that
// one tile sits exactly in the centre.
TCoverPoint CoverTileStart(int areaW, int areaH, int bmpW, int bmpH);
// Every tile's top-left corner, row by row.
std::vector<TCoverPoint> CoverTiles(int areaW, int areaH, int bmpW, int bmpH);

// The buttons: Open centred horizontally at two thirds of the free height,
// Lock and Exit directly below, all of Open's size.
struct TCoverButtonPlaces {
  TCoverRect Open, Lock, Exit;
};
TCoverButtonPlaces CoverButtonPlaces(int w, int h, int buttonW, int buttonH);

// The horizontal rule from 1/12 of the width to 1/12 before its end, at row 9.
struct TCoverRule {
  TCoverPoint From, To;
};
TCoverRule CoverRuleLine(int areaW, int areaH, int windowW);

// Lines of the stored address (CR LF, LF or CR separated).
std::vector<String> CoverAddressLines(const String& address);

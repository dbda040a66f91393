#pragma once
// The cover screen: the picture in its draw mode, the framed labels, the rule
// and the Open / Lock / Exit buttons. The same painting serves the cover
// preview of the preferences dialog.
#include "platform/base/Types.h"
#include "platform/gui/Graphics.h"

#include <filesystem>
#include <memory>
#include <vector>

class TformQuilloryMain;
class TPaintBox;

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

// ---------------------------------------------------------------------------
// Painting.

// The texts the cover shows; empty ones are not drawn.
struct TCoverTexts {
  String Caption;      // the journal caption, in capitals
  String Address;      // the address lines as stored ("" = not shown)
  String DateText;     // today in the long date format
  String Notice;       // the maker's notice line
  String VersionText;  // "Version " and the program version
};

// The maker's notice line of the cover.
extern const char* const CoverNoticeText;

// The cover picture. It is read once per file (and again when the file or
// its time stamp changes), so painting never reads the disk; a file that is
// not a valid picture is reported once, not at every painting.
class TCoverPicture {
public:
  // The picture of path; nullptr when there is none or the file cannot be
  // used (the user told why, once).
  TBitmap* Get(const String& path);
  // Forget the loaded picture (the next Get reads and reports again).
  void Reset();

private:
  String FPath;
  std::filesystem::file_time_type FStamp{};
  bool FChecked = false;
  std::unique_ptr<TBitmap> FBitmap;
};
// The program's one cover picture.
TCoverPicture& CoverPicture();

// Paints the whole cover on canvas: the area of areaW × areaH (the paint box)
// is filled with the canvas brush and gets the picture; labels and the rule's
// right end are placed by the layout width and height.
void PaintCoverOn(TCanvas& canvas, int areaW, int areaH, int layoutW, int layoutH, Byte drawMode,
                  TBitmap* picture, const TCoverTexts& texts);
// One framed label on its row; nothing for an empty text.
void DrawCoverLabelOn(TCanvas& canvas, int layoutW, int layoutH, int size, bool framed, int row, int rows,
                      const String& text, const String& fontName);
// The address block, line by line, centred as one block.
void DrawCoverAddressOn(TCanvas& canvas, int layoutW, int layoutH, int size, bool framed, int row, int rows,
                        const String& address, const String& fontName);

// ---------------------------------------------------------------------------
// The main window's cover.

// In cover mode: places the Open, Lock and Exit buttons and repaints the
// cover on box.
void LayoutCover(TformQuilloryMain* main, TPaintBox* box);
// Paints the cover on box with the settings' picture, draw mode and texts.
// The main window's own cover is laid out by the window's size; another box
// (the preferences' preview) by its own, so the preview is a true miniature.
// A paint that arrives while one runs is ignored.
void PaintCover(TformQuilloryMain* main, TPaintBox* box);
// The texts of the cover from the settings and the build.
TCoverTexts CurrentCoverTexts();

#pragma once
// Fonts, pens, brushes and the canvas that draws with them, plus the
// graphic classes (bitmap, icon, metafile; JPEG in Jpeg.h) and the picture
// that holds one.
//
// The canvas follows the drawing model callers were written for: integer
// logical coordinates, half-open rectangles (Right and Bottom excluded),
// lines that leave out their end point, pens drawn inside their frame for
// psInsideFrame, XOR pens, and text measured and drawn through one contract
// (TextMeasure.h) so that a caret placed from measured extents lands on the
// drawn glyph.
#include "platform/base/CodePages.h"
#include "platform/base/Components.h"
#include "platform/base/Set.h"
#include "platform/base/SysUtils.h"
#include "platform/base/Types.h"
#include "platform/gui/GfxColors.h"
#include "platform/gui/GfxTypes.h"

#include <functional>
#include <memory>
#include <vector>

class QPainter;
class QPaintDevice;
class QFont;
class QPicture;
class QImage;
class QImageReader;
class TStream;
class TGraphic;
struct TFontData;
class TGlyphBatch;

using TNotifyEvent = std::function<void(TObject* Sender)>;

// The resolution documents are laid out at on screen, whatever the display.
constexpr Integer ScreenPixelsPerInch = 96;

// ---------------------------------------------------------------------------
// Fonts

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
// TFontCharset and the charset bytes come from CodePages.h.

// A font as callers describe it: face name, height in pixels of the device
// it is used on (negative: character height; positive: cell height), style,
// colour, character set and pitch. Size in points is derived from Height
// through PixelsPerInch: Height = -MulDiv(Size, PixelsPerInch, 72).
// Width is the average character width asked for (0: the font's own), which
// scales the font horizontally.
class TFont : public TPersistent {
public:
  TFont();
  TFont(const TFont& other);
  TFont& operator=(const TFont& other);
  ~TFont() override;

  // From another TFont: every attribute but PixelsPerInch (the size in
  // points is kept, so a font moves between devices unchanged in points).
  void Assign(const TPersistent* Source) override;
  void Assign(const TFont& Source) { Assign(static_cast<const TPersistent*>(&Source)); }

  const String& GetName() const { return FName; }
  void SetName(const String& name);
  Integer GetSize() const;
  void SetSize(Integer points);
  Integer GetHeight() const { return FHeight; }
  void SetHeight(Integer height);
  TFontStyles GetStyle() const { return FStyle; }
  void SetStyle(TFontStyles style);
  TColor GetColor() const { return FColor; }
  void SetColor(TColor color);
  TFontCharset GetCharset() const { return FCharset; }
  void SetCharset(TFontCharset charset);
  TFontPitch GetPitch() const { return FPitch; }
  void SetPitch(TFontPitch pitch);
  // Changing the resolution keeps Height (the pixel size), so Size changes.
  Integer GetPixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(Integer ppi);
  Integer GetWidth() const { return FWidth; }
  void SetWidth(Integer averageCharWidth);

  // Same face (ignoring case), height, style, colour, charset, pitch, width.
  bool IsEqual(const TFont& other) const;

  // The family fontconfig chose for Name: a missing face falls back to an
  // installed one, and this tells which.
  String ResolvedName() const;
  // The Qt font in pixels of the device (kerning off).
  const QFont& QtFont() const;
  // Shared measuring data of this font (TextMeasure.h).
  const std::shared_ptr<const TFontData>& Data() const;

  TNotifyEvent OnChange;

protected:
  void Changed();

private:
  String FName;
  Integer FHeight;
  TFontStyles FStyle;
  TColor FColor;
  TFontCharset FCharset;
  TFontPitch FPitch;
  Integer FPixelsPerInch;
  Integer FWidth = 0;
  mutable std::shared_ptr<const TFontData> FData;
};

// The desktop's user-interface font (what a control shows without a font
// of its own), in points of the screen.
void GetSystemFont(TFont& font);

// ---------------------------------------------------------------------------
// Pens and brushes: plain values the canvas reads before each operation.

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode {
  pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
  pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};

class TPen : public TPersistent {
public:
  void Assign(const TPersistent* Source) override;
  TColor Color = clBlack;
  Integer Width = 1;
  TPenStyle Style = psSolid;
  TPenMode Mode = pmCopy;
};

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBrush : public TPersistent {
public:
  void Assign(const TPersistent* Source) override;
  TColor Color = clWhite;
  TBrushStyle Style = bsSolid;
};

// ---------------------------------------------------------------------------
// Device-context style constants used with the canvas.

// Background modes.
constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
// Text alignment flags.
constexpr int TA_NOUPDATECP = 0;
constexpr int TA_UPDATECP = 1;
constexpr int TA_LEFT = 0;
constexpr int TA_RIGHT = 2;
constexpr int TA_CENTER = 6;
constexpr int TA_TOP = 0;
constexpr int TA_BOTTOM = 8;
constexpr int TA_BASELINE = 24;
constexpr int TA_RTLREADING = 256;
// Text output options.
constexpr int ETO_OPAQUE = 2;
constexpr int ETO_CLIPPED = 4;
constexpr int ETO_RTLREADING = 128;
// Stretching modes: nearest pixel, or smoothed (printing pictures).
constexpr int COLORONCOLOR = 3;
constexpr int HALFTONE = 4;
// Mapping modes.
constexpr int MM_TEXT = 1;
constexpr int MM_ANISOTROPIC = 8;
// Clip results.
constexpr int RGN_ERROR = 0;
constexpr int NULLREGION = 1;
constexpr int SIMPLEREGION = 2;
constexpr int COMPLEXREGION = 3;
// Block copy modes.
using TCopyMode = Integer;
constexpr TCopyMode cmBlackness = 0x00000042;
constexpr TCopyMode cmDstInvert = 0x00550009;
constexpr TCopyMode cmMergeCopy = 0x00C000CA;
constexpr TCopyMode cmMergePaint = 0x00BB0226;
constexpr TCopyMode cmNotSrcCopy = 0x00330008;
constexpr TCopyMode cmNotSrcErase = 0x001100A6;
constexpr TCopyMode cmSrcAnd = 0x008800C6;
constexpr TCopyMode cmSrcCopy = 0x00CC0020;
constexpr TCopyMode cmSrcErase = 0x00440328;
constexpr TCopyMode cmSrcInvert = 0x00660046;
constexpr TCopyMode cmSrcPaint = 0x00EE0086;
constexpr TCopyMode cmWhiteness = 0x00FF0062;

// Text metrics of the selected font, in device pixels.
struct TTextMetric {
  Integer tmHeight = 0;
  Integer tmAscent = 0;
  Integer tmDescent = 0;
  Integer tmInternalLeading = 0;
  Integer tmExternalLeading = 0;
  Integer tmAveCharWidth = 0;
  Integer tmMaxCharWidth = 0;
  Integer tmWeight = 400;
  Integer tmOverhang = 0;
  Integer tmDigitizedAspectX = 96;
  Integer tmDigitizedAspectY = 96;
  char16_t tmFirstChar = 0x20;
  char16_t tmLastChar = 0xFFFC;
  char16_t tmDefaultChar = 0x3F;
  char16_t tmBreakChar = 0x20;
  Byte tmItalic = 0;
  Byte tmUnderlined = 0;
  Byte tmStruckOut = 0;
  Byte tmPitchAndFamily = 0;
  Byte tmCharSet = 0;
};

// The outline metrics callers use: underscore and strike-out lines.
struct TOutlineTextMetric {
  TTextMetric otmTextMetrics;
  Integer otmAscent = 0;
  Integer otmDescent = 0;
  Integer otmsUnderscoreSize = 0;
  Integer otmsUnderscorePosition = 0;  // above the baseline: negative = below
  Integer otmsStrikeoutSize = 0;
  Integer otmsStrikeoutPosition = 0;
  Integer otmEMSquare = 0;
};

// Character placement of a text: for each logical character its visual
// position (Order), its advance (Dx) and its class (GCPCLASS_*).
constexpr Byte GCPCLASS_LATIN = 1;
constexpr Byte GCPCLASS_HEBREW = 2;
constexpr Byte GCPCLASS_ARABIC = 2;
constexpr Byte GCPCLASS_NEUTRAL = 3;
constexpr Byte GCPCLASS_LOCALNUMBER = 4;
struct TCharacterPlacement {
  std::vector<Integer> Order;  // logical index -> visual index
  std::vector<Integer> Dx;     // logical order
  std::vector<Byte> Class;     // logical order
  Integer Width = 0;
};

// ---------------------------------------------------------------------------
// The canvas.

class TCanvas : public TObject {
public:
  // A canvas without a device; set one with SetHandle or SetDevice.
  TCanvas();
  // Paints through an open painter that the caller owns.
  explicit TCanvas(QPainter* painter);
  // Opens a painter of its own on the device when first drawn on.
  explicit TCanvas(QPaintDevice* device);
  ~TCanvas() override;
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  // --- device ---
  // The painter in use, opening one on the device when there is none yet.
  // nullptr when the canvas has neither.
  QPainter* Handle();
  bool HandleAllocated() const { return FPainter != nullptr; }
  // Switches to another caller-owned painter (begin of a paint) or to none
  // (end of it). The coordinate mapping, clipping and saved states of the
  // previous painter are dropped; Font, Pen and Brush stay.
  void SetHandle(QPainter* painter);
  // Paints on device through a painter of our own (nullptr: no device).
  void SetDevice(QPaintDevice* device);
  QPaintDevice* Device() const;
  // Ends our own painter (the device may then be read or resized); the next
  // drawing opens a new one.
  void ReleaseHandle();
  // On printers, text that follows on in one font and colour is held back
  // and sent as one run: this draws what is held. Every drawing, state
  // change and Handle() of the canvas does it first; a page must before it
  // ends.
  void Flush();
  // Resolution fonts are sized for: 96 on screens and images, the device's
  // own for printers. Setting it updates Font.
  Integer GetPixelsPerInch() const { return FPixelsPerInch; }
  void SetPixelsPerInch(Integer ppi);

  // --- drawing tools ---
  TFont Font;
  TPen Pen;
  TBrush Brush;
  TPoint PenPos;
  TCopyMode CopyMode = cmSrcCopy;

  // --- lines and figures ---
  void MoveTo(Integer x, Integer y);
  // Draws from PenPos to (x, y) without the end point; PenPos moves there.
  void LineTo(Integer x, Integer y);
  void Polyline(const std::vector<TPoint>& points);
  void Polygon(const std::vector<TPoint>& points);
  // 3n+1 points: a start and n (control, control, end) triples.
  void PolyBezier(const std::vector<TPoint>& points);
  // Pen frame and brush interior of [x1,x2) x [y1,y2). Without a pen the
  // fill loses its right column and bottom row, as callers expect.
  void Rectangle(Integer x1, Integer y1, Integer x2, Integer y2);
  void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
  void RoundRect(Integer x1, Integer y1, Integer x2, Integer y2, Integer cornerW, Integer cornerH);
  void Ellipse(Integer x1, Integer y1, Integer x2, Integer y2);
  void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
  // Brush only, the whole half-open rectangle.
  void FillRect(const TRect& r);
  // A one-pixel frame in the brush colour.
  void FrameRect(const TRect& r);
  // A dotted frame drawn with XOR: drawing it twice removes it.
  void DrawFocusRect(const TRect& r);
  TColor GetPixel(Integer x, Integer y);
  void SetPixel(Integer x, Integer y, TColor color);

  // --- text (UTF-8 strings; W variants take UTF-16) ---
  // Text at (x, y) as the text alignment says (top-left by default), on a
  // background of the brush colour unless the brush is clear.
  void TextOut(Integer x, Integer y, const String& text);
  void TextOutW(Integer x, Integer y, const WideString& text);
  // The same, clipped to r, whose area the brush fills first unless clear.
  void TextRect(const TRect& r, Integer x, Integer y, const String& text);
  TSize TextExtent(const String& text);
  Integer TextWidth(const String& text);
  Integer TextHeight(const String& text);
  TSize TextExtentW(const WideString& text);
  Integer TextWidthW(const WideString& text);
  // How many characters fit into maxExtent and, when dx is given, the
  // cumulative extent of every character (UTF-16 units; a cluster's width
  // goes to its first unit, the others repeat its edge).
  bool GetTextExtentExPoint(const WideString& text, Integer maxExtent, Integer* fit,
                            std::vector<Integer>* dx, TSize* size = nullptr);
  // Visual order, advances and classes of every character.
  bool GetCharacterPlacement(const WideString& text, TCharacterPlacement& placement);
  // Text with optional explicit advances (dx, one per UTF-16 unit), an
  // opaque background rectangle (ETO_OPAQUE) and clipping (ETO_CLIPPED).
  void ExtTextOut(Integer x, Integer y, int options, const TRect* rect, const WideString& text,
                  const Integer* dx);
  bool GetTextMetrics(TTextMetric& tm);
  bool GetOutlineTextMetrics(TOutlineTextMetric& otm);
  // The text measured and drawn is secret (a password shown in clear):
  // nothing caches it and the copies made on the way are wiped.
  bool SensitiveText = false;
  // Extra pixels after every character; returns the previous value.
  Integer SetTextCharacterExtra(Integer extra);
  Integer GetTextCharacterExtra() const { return FCharExtra; }
  int SetTextAlign(int flags);
  int GetTextAlign() const { return FTextAlign; }
  // Background of text and hatches. Changing the brush resets them: a solid
  // brush makes the background opaque in its colour, any other transparent.
  int SetBkMode(int mode);
  int GetBkMode();
  TColor SetBkColor(TColor color);
  TColor GetBkColor();
  void SetBrushOrg(Integer x, Integer y);

  // --- graphics and block copies ---
  void Draw(Integer x, Integer y, TGraphic* graphic);
  void StretchDraw(const TRect& r, TGraphic* graphic);
  // Copies source's srcRect into dest (stretching), by CopyMode.
  void CopyRect(const TRect& dest, TCanvas* source, const TRect& srcRect);
  int SetStretchBltMode(int mode);
  int GetStretchBltMode() const { return FStretchMode; }
  // Block transfer of a QImage (the canvas's own pixels for image canvases).
  void DrawImage(const TRect& dest, const QImage& image, const TRect& srcRect);
  // The pixels of an image canvas (null for others).
  QImage* ImageDevice() const;

  // --- drawing state ---
  // The pen, the brush and the text settings, without the font, the
  // clipping and the mapping: plain values, cheap to take and to put back
  // around drawing that may change them.
  struct TTools {
    TColor PenColor;
    Integer PenWidth;
    TPenStyle PenStyle;
    TPenMode PenMode;
    TColor BrushColor;
    TBrushStyle BrushStyle;
    TPoint BrushOrg;
    int BkMode;
    TColor BkColor;
    TColor BkBrushColor;
    TBrushStyle BkBrushStyle;
    int TextAlign;
    Integer CharExtra;
    TCopyMode CopyMode;
    int StretchMode;
  };
  TTools GetTools() const;
  void SetTools(const TTools& tools);

  // --- clipping, state and mapping ---
  int IntersectClipRect(Integer left, Integer top, Integer right, Integer bottom);
  int ExcludeClipRect(Integer left, Integer top, Integer right, Integer bottom);
  // Clip to r (logical), or remove clipping for nullptr.
  int SelectClipRect(const TRect* r);
  // The clip box in logical coordinates (the whole device when unclipped).
  TRect ClipRect();
  int SaveDC();
  // A positive index restores that state (and drops later ones); -1 the last.
  bool RestoreDC(int index);
  void SetWindowOrgEx(Integer x, Integer y, TPoint* old = nullptr);
  TPoint GetWindowOrgEx() const { return FWindowOrg; }
  void SetViewportOrgEx(Integer x, Integer y, TPoint* old = nullptr);
  TPoint GetViewportOrgEx() const { return FViewportOrg; }
  int SetMapMode(int mode);
  int GetMapMode() const { return FMapMode; }
  void SetWindowExtEx(Integer cx, Integer cy, TSize* old = nullptr);
  void SetViewportExtEx(Integer cx, Integer cy, TSize* old = nullptr);
  TPoint LPtoDP(TPoint p) const;
  TPoint DPtoLP(TPoint p) const;

  // Palettes mean nothing on true-colour devices; kept so callers compile.
  void SelectPalette(void* palette, bool forceBackground) {}
  Integer RealizePalette() { return 0; }

  // Measuring data of the current font (TextMeasure.h).
  const std::shared_ptr<const TFontData>& FontData() { return Font.Data(); }

private:
  struct TState;
  // The painter after drawing the text held back.
  QPainter* RequirePainter();
  // The painter as it is, the text held back still held.
  QPainter* Painter();
  void ApplyMapping();
  void ApplyRop(QPainter* p, bool usePenMode);
  void SyncBrushBackground();
  void FillPixels(QPainter* p, const TRect& r, TColor color);
  void FillBrushRect(QPainter* p, const TRect& r);
  void DrawStyledLine(QPainter* p, TPoint a, TPoint b, bool includeEnd);
  void DrawPenFrame(QPainter* p, Integer x1, Integer y1, Integer x2, Integer y2);
  void ShapeWithQt(const std::function<void(QPainter*)>& paint, bool usePen, bool useBrush);
  // Answers the text's advance.
  Integer DrawTextRun(Integer x, Integer y, const WideString& text, const Integer* dx, const TRect* opaque,
                      const TRect* clip);

  QPainter* FPainter = nullptr;
  std::unique_ptr<QPainter> FOwnPainter;
  QPaintDevice* FDevice = nullptr;
  Integer FPixelsPerInch = ScreenPixelsPerInch;
  Integer FCharExtra = 0;
  int FTextAlign = 0;
  int FBkMode = OPAQUE;
  TColor FBkColor = clWhite;
  TColor FAppliedBrushColor = clWhite;
  TBrushStyle FAppliedBrushStyle = bsSolid;
  TPoint FBrushOrg;
  TPoint FWindowOrg;
  TPoint FViewportOrg;
  TSize FWindowExt{1, 1};
  TSize FViewportExt{1, 1};
  int FMapMode = MM_TEXT;
  int FStretchMode = COLORONCOLOR;
  bool FRtlOutput = false;
  std::vector<TState> FSaved;
  bool FHasBaseTransform = false;
  double FBase[6] = {1, 0, 0, 1, 0, 0};
  // Text held back (printers only: a screen paints at once).
  std::unique_ptr<TGlyphBatch> FTextBatch;
};

// Puts a canvas's tools back as they were when it was made, and its font
// too when asked: what one piece of drawing sets does not reach the next.
class TCanvasToolsKeeper {
public:
  explicit TCanvasToolsKeeper(TCanvas* canvas, bool font = false)
      : FCanvas(canvas), FTools(canvas->GetTools()), FFont(font ? std::make_unique<TFont>(canvas->Font) : nullptr) {}
  ~TCanvasToolsKeeper() {
    FCanvas->SetTools(FTools);
    if (FFont) FCanvas->Font.Assign(*FFont);
  }
  TCanvasToolsKeeper(const TCanvasToolsKeeper&) = delete;
  TCanvasToolsKeeper& operator=(const TCanvasToolsKeeper&) = delete;

private:
  TCanvas* FCanvas;
  TCanvas::TTools FTools;
  std::unique_ptr<TFont> FFont;
};

// ---------------------------------------------------------------------------
// Formatted text and edges in rectangles.

constexpr unsigned DT_TOP = 0x0;
constexpr unsigned DT_LEFT = 0x0;
constexpr unsigned DT_CENTER = 0x1;
constexpr unsigned DT_RIGHT = 0x2;
constexpr unsigned DT_VCENTER = 0x4;
constexpr unsigned DT_BOTTOM = 0x8;
constexpr unsigned DT_WORDBREAK = 0x10;
constexpr unsigned DT_SINGLELINE = 0x20;
constexpr unsigned DT_EXPANDTABS = 0x40;
constexpr unsigned DT_NOCLIP = 0x100;
constexpr unsigned DT_CALCRECT = 0x400;
constexpr unsigned DT_NOPREFIX = 0x800;
constexpr unsigned DT_EDITCONTROL = 0x2000;
constexpr unsigned DT_END_ELLIPSIS = 0x8000;
constexpr unsigned DT_RTLREADING = 0x20000;
constexpr unsigned DT_HIDEPREFIX = 0x100000;

// Text in a rectangle with the canvas's font and colours: lines end at line
// breaks (none with DT_SINGLELINE) and, with DT_WORDBREAK, at the last space
// that fits (a word wider than the rectangle stays whole unless
// DT_EDITCONTROL); "&" underlines the next character and "&&" is one "&"
// unless DT_NOPREFIX; DT_VCENTER and DT_BOTTOM place a single line. With
// DT_CALCRECT nothing is drawn and r gets the text's extent (its width is
// kept when wrapping, unless a word is wider). Returns the text's height
// (measured from r's top when placed lower).
Integer DrawText(TCanvas& canvas, const String& text, TRect& r, unsigned format);
Integer DrawTextW(TCanvas& canvas, const WideString& text, TRect& r, unsigned format);

constexpr unsigned BDR_RAISEDOUTER = 0x1;
constexpr unsigned BDR_SUNKENOUTER = 0x2;
constexpr unsigned BDR_RAISEDINNER = 0x4;
constexpr unsigned BDR_SUNKENINNER = 0x8;
constexpr unsigned EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
constexpr unsigned EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
constexpr unsigned EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
constexpr unsigned EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;
constexpr unsigned BF_LEFT = 0x1;
constexpr unsigned BF_TOP = 0x2;
constexpr unsigned BF_RIGHT = 0x4;
constexpr unsigned BF_BOTTOM = 0x8;
constexpr unsigned BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;
constexpr unsigned BF_MIDDLE = 0x800;
constexpr unsigned BF_ADJUST = 0x2000;
constexpr unsigned BF_FLAT = 0x4000;
constexpr unsigned BF_MONO = 0x8000;

// A classic three-dimensional edge of one-pixel lines in the system's 3-D
// colours, inside r: the outer line on r's border, the inner one inside it.
// BF_MIDDLE fills the rest with clBtnFace; BF_ADJUST leaves in r what the
// edge encloses.
bool DrawEdge(TCanvas& canvas, TRect& r, unsigned edge, unsigned flags);

// ---------------------------------------------------------------------------
// Graphics

// Base of the picture classes. Streams hold each class's own file format.
class TGraphic : public TPersistent {
public:
  ~TGraphic() override;

  virtual bool GetEmpty() const = 0;
  virtual Integer GetWidth() const = 0;
  virtual Integer GetHeight() const = 0;
  virtual void SetWidth(Integer width) = 0;
  virtual void SetHeight(Integer height) = 0;
  virtual bool GetTransparent() const { return FTransparent; }
  virtual void SetTransparent(bool value);
  // Palettes are no-ops on true-colour devices.
  void* GetPalette() const { return nullptr; }
  void SetPalette(void*) {}

  // The class's file format from all remaining bytes of the stream; the
  // position ends after the bytes the format used. Raises EInvalidGraphic
  // for truncated or corrupt data, leaving the graphic as it was.
  void LoadFromStream(TStream& stream);
  void SaveToStream(TStream& stream) const;
  void LoadFromFile(const String& fileName);
  void SaveToFile(const String& fileName) const;
  // The same on a byte buffer; LoadFromBytes returns the bytes it used.
  virtual size_t LoadFromBytes(const char* data, size_t size) = 0;
  size_t LoadFromBytes(const AnsiString& bytes) { return LoadFromBytes(bytes.data(), bytes.size()); }
  virtual AnsiString SaveToBytes() const = 0;

  // Paints the graphic stretched over r (logical coordinates).
  virtual void Draw(TCanvas& canvas, const TRect& r) = 0;
  // The picture as pixels (an empty image for an empty graphic).
  virtual QImage ToImage() const = 0;

  bool Modified = false;
  TNotifyEvent OnChange;

protected:
  void Changed();
  bool FTransparent = false;
};

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TTransparentMode { tmAuto, tmFixed };

// A device-independent bitmap kept in memory as a QImage whose rows have the
// layout of the pixel format (pf24bit: B,G,R bytes; pf32bit: B,G,R,X;
// pf8bit/pf1bit: palette indexes). The stream format is a BMP file with its
// 14-byte file header; 1, 4, 8, 16, 24 and 32-bit files are read (also RLE),
// 24-bit (32-bit for pf32bit) files are written.
class TBitmap : public TGraphic {
public:
  TBitmap();
  TBitmap(Integer width, Integer height);
  ~TBitmap() override;

  void Assign(const TPersistent* Source) override;
  bool GetEmpty() const override;
  Integer GetWidth() const override;
  Integer GetHeight() const override;
  void SetWidth(Integer width) override;
  void SetHeight(Integer height) override;
  void SetSize(Integer width, Integer height);
  size_t LoadFromBytes(const char* data, size_t size) override;
  using TGraphic::LoadFromBytes;
  AnsiString SaveToBytes() const override;
  // The pixels as a compressed PNG file (lossless); empty when empty.
  AnsiString SaveToPNGBytes() const;
  void Draw(TCanvas& canvas, const TRect& r) override;
  QImage ToImage() const override;

  TPixelFormat GetPixelFormat() const { return FPixelFormat; }
  void SetPixelFormat(TPixelFormat format);
  // Row y (top first) in the layout of the pixel format.
  void* ScanLine(Integer row);
  // A canvas on the pixels; it ends its painter whenever the bitmap is
  // read, resized or saved.
  TCanvas* Canvas();

  // The transparent colour: the bottom-left pixel in tmAuto mode.
  TColor GetTransparentColor() const;
  void SetTransparentColor(TColor color);
  TTransparentMode GetTransparentMode() const { return FTransparentMode; }
  void SetTransparentMode(TTransparentMode mode);
  bool IgnorePalette = false;

  // Direct access to the pixels (the canvas's painter is ended first).
  const QImage& Image() const;
  QImage& Image();
  void SetImage(const QImage& image);
  // A picture file of any format the toolkit decodes (PNG, GIF, …) of at
  // most maxPixels pixels, whatever memory it takes; false, and the bitmap
  // unchanged, when it decodes none or is larger.
  bool LoadFromAnyImageFile(const String& fileName, int64_t maxPixels);
  // The same of a file's bytes already read; the extension (".tga") names
  // the format where the content does not.
  bool LoadFromAnyImageBytes(const AnsiString& bytes, const String& extension, int64_t maxPixels);
  // A device-independent bitmap without its file header (info header,
  // colour table, bits), as clipboards and some files carry it.
  void LoadFromDIB(const char* data, size_t size);
  // A device-dependent bitmap: rows top first, each widthBytes long (0:
  // padded to 16 bits), 1 bit (0 black, 1 white), 4 or 8 bits (indexes into
  // the standard palettes), 24 or 32 bits (B, G, R[, X]); one plane. Raises
  // EInvalidGraphic when the data is shorter than the rows it needs.
  void LoadFromDDB(Integer width, Integer height, Integer planes, Integer bitsPerPixel, const char* data,
                   size_t size, Integer widthBytes = 0);

private:
  void ReleaseCanvas() const;
  bool LoadFromImageReader(QImageReader& reader, int64_t maxPixels);
  std::unique_ptr<QImage> FImage;
  TPixelFormat FPixelFormat = pfDevice;
  TTransparentMode FTransparentMode = tmAuto;
  TColor FTransparentColor = clDefault;
  std::unique_ptr<TCanvas> FCanvas;
};

// An icon: the ICO file bytes are kept and written back unchanged.
class TIcon : public TGraphic {
public:
  TIcon();
  ~TIcon() override;
  void Assign(const TPersistent* Source) override;
  bool GetEmpty() const override;
  Integer GetWidth() const override;
  Integer GetHeight() const override;
  // Icons take their size from their image.
  void SetWidth(Integer) override {}
  void SetHeight(Integer) override {}
  size_t LoadFromBytes(const char* data, size_t size) override;
  using TGraphic::LoadFromBytes;
  AnsiString SaveToBytes() const override;
  void Draw(TCanvas& canvas, const TRect& r) override;
  QImage ToImage() const override;

private:
  AnsiString FBytes;
  std::unique_ptr<QImage> FImage;
};

// A metafile. There is no metafile player here, so loaded metafiles are kept
// as their bytes (written back unchanged) with the size read from their
// header, and drawn as a framed placeholder. A metafile recorded through a
// TMetafileCanvas replays what was drawn on it.
class TMetafile : public TGraphic {
public:
  TMetafile();
  ~TMetafile() override;
  void Assign(const TPersistent* Source) override;
  bool GetEmpty() const override;
  Integer GetWidth() const override { return FWidth; }
  Integer GetHeight() const override { return FHeight; }
  void SetWidth(Integer width) override;
  void SetHeight(Integer height) override;
  size_t LoadFromBytes(const char* data, size_t size) override;
  using TGraphic::LoadFromBytes;
  AnsiString SaveToBytes() const override { return FBytes; }
  void Draw(TCanvas& canvas, const TRect& r) override;
  QImage ToImage() const override;

  // Size in 0.01 mm.
  Integer GetMMWidth() const;
  Integer GetMMHeight() const;
  void SetMMWidth(Integer value);
  void SetMMHeight(Integer value);
  bool Enhanced = true;
  // Units per inch of a placeable Windows metafile (0 when unknown).
  Word Inch = 0;
  void Clear();

private:
  friend class TMetafileCanvas;
  AnsiString FBytes;
  Integer FWidth = 0;
  Integer FHeight = 0;
  Integer FMMWidth = 0;
  Integer FMMHeight = 0;
  std::shared_ptr<QPicture> FRecording;
};

// A canvas whose drawing is recorded into a metafile when the canvas goes.
class TMetafileCanvas : public TCanvas {
public:
  // reference supplies the resolution (nullptr: the screen).
  TMetafileCanvas(TMetafile* metafile, TCanvas* reference);
  ~TMetafileCanvas() override;

private:
  TMetafile* FMetafile;
  std::shared_ptr<QPicture> FPicture;
};

// ---------------------------------------------------------------------------
// Graphic classes by name: only our own classes are known.

using TGraphicFactory = std::function<std::unique_ptr<TGraphic>()>;
// "TBitmap", "TJPEGImage", "TIcon", "TMetafile"; nullptr for any other name.
std::unique_ptr<TGraphic> CreateGraphicOfClassName(const String& className);
bool IsGraphicClassRegistered(const String& className);
// A new empty graphic of the same class as graphic.
std::unique_ptr<TGraphic> CreateGraphicLike(const TGraphic& graphic);
// Registers a class of ours with the file extensions it loads (without dots).
void RegisterGraphicClass(const String& className, TGraphicFactory factory,
                          const std::vector<String>& extensions = {}, const String& description = {});
// The class that loads files with this extension ("jpg", ".JPG"): "" if none.
String GraphicClassForExtension(const String& extension);
// An open-dialog filter of every registered format:
// "All (*.bmp;*.jpg;…)|*.bmp;*.jpg;…|Bitmaps (*.bmp)|*.bmp|…".
String GraphicFilter();
// The open-dialog filter of the picture files the program draws (PNG, JPEG,
// GIF, BMP, TIFF, WebP, ICO, as far as the decoders here read them): all of
// them first, then one entry per format. Metafiles are never offered.
String PictureFileFilter();

// Holds one graphic of any class.
class TPicture : public TPersistent {
public:
  TPicture();
  ~TPicture() override;
  void Assign(const TPersistent* Source) override;

  TGraphic* GetGraphic() const { return FGraphic.get(); }
  // A copy of graphic (nullptr clears the picture).
  void SetGraphic(const TGraphic* graphic);
  // Takes graphic over.
  void SetGraphic(std::unique_ptr<TGraphic> graphic);
  // The graphic as a bitmap, replacing another class by an empty bitmap.
  TBitmap* Bitmap();
  Integer GetWidth() const { return FGraphic ? FGraphic->GetWidth() : 0; }
  Integer GetHeight() const { return FGraphic ? FGraphic->GetHeight() : 0; }

  // Chooses the class by the file's extension; raises EInvalidGraphic for an
  // unknown extension or contents that are not of that format.
  void LoadFromFile(const String& fileName);
  void SaveToFile(const String& fileName) const;

  TNotifyEvent OnChange;

private:
  void Changed();
  std::unique_ptr<TGraphic> FGraphic;
};

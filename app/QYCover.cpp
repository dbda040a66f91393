#include "app/QYCover.h"

#include "app/QYAbout.h"
#include "app/QYMain.h"
#include "app/QYProfile.h"
#include "app/QYSettingsPaths.h"

#include "platform/base/CodePages.h"
#include "platform/base/DateTime.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/ExtCtrls.h"

#include <algorithm>

TCoverPoint CoverLabelOrigin(int w, int h, int rows, int row, int textW, int textH) {
  TCoverPoint p;
  p.X = w / 2 - textW / 2;
  if (p.X < 1) p.X = 0;
  p.Y = (rows > 0 ? h / rows : 0) * row - textH / 2;
  if (p.Y <= 0) p.Y = 0;
  return p;
}

TCoverRect CoverLabelFrame(TCoverPoint origin, int textW, int textH, int size) {
  TCoverRect r;
  r.Left = origin.X > size / 3 ? origin.X - size / 3 : origin.X;
  r.Top = origin.Y > size / 6 ? origin.Y - size / 6 : origin.Y;
  r.Right = origin.X + textW + size / 3;
  r.Bottom = origin.Y + textH + size / 6;
  return r;
}

TCoverPoint CoverAddressOrigin(int w, int h, int rows, int row, int maxW, int maxLineH) {
  TCoverPoint p;
  p.X = w / 2 - maxW / 2;
  if (p.X < 1) p.X = 0;
  p.Y = (rows > 0 ? h / rows : 0) * row - maxLineH / 2;
  if (p.Y < 1) p.Y = 0;
  return p;
}

TCoverRect CoverAddressFrame(TCoverPoint origin, int maxW, int totalH, int size) {
  TCoverRect r;
  r.Left = origin.X - size / 3 > 0 ? origin.X - size / 3 : 0;
  r.Top = origin.Y - size / 6 > 0 ? origin.Y - size / 6 : 0;
  r.Right = origin.X + maxW + size / 3;
  r.Bottom = origin.Y + totalH + size / 6;
  return r;
}

TCoverPoint CoverCentredOrigin(int areaW, int areaH, int bmpW, int bmpH) {
  return {areaW / 2 - bmpW / 2, areaH / 2 - bmpH / 2};
}

TCoverPoint CoverTileStart(int areaW, int areaH, int bmpW, int bmpH) {
  TCoverPoint p = CoverCentredOrigin(areaW, areaH, bmpW, bmpH);
  // A picture of no size would never step back to the edge.
  if (bmpW > 0)
    while (p.X > 0) p.X -= bmpW;
  if (bmpH > 0)
    while (p.Y > 0) p.Y -= bmpH;
  return p;
}

std::vector<TCoverPoint> CoverTiles(int areaW, int areaH, int bmpW, int bmpH) {
  std::vector<TCoverPoint> tiles;
  if (bmpW <= 0 || bmpH <= 0) return tiles;
  const TCoverPoint start = CoverTileStart(areaW, areaH, bmpW, bmpH);
  for (int y = start.Y; y < areaH; y += bmpH)
    for (int x = start.X; x < areaW; x += bmpW) tiles.push_back({x, y});
  return tiles;
}

TCoverButtonPlaces CoverButtonPlaces(int w, int h, int buttonW, int buttonH) {
  TCoverButtonPlaces b;
  const int left = (w - buttonW) / 2;
  const int top = ((h - buttonH) / 3) * 2;
  b.Open = {left, top, left + buttonW, top + buttonH};
  b.Lock = {left, b.Open.Bottom, left + buttonW, b.Open.Bottom + buttonH};
  b.Exit = {left, b.Lock.Bottom, left + buttonW, b.Lock.Bottom + buttonH};
  return b;
}

TCoverRule CoverRuleLine(int areaW, int areaH, int windowW) {
  const int y = (areaH / 30) * 9;
  return {{areaW / 12, y}, {windowW - areaW / 12, y}};
}

std::vector<String> CoverAddressLines(const String& address) {
  std::vector<String> lines;
  String line;
  for (size_t i = 0; i < address.size(); ++i) {
    const char c = address[i];
    if (c == '\r' || c == '\n') {
      lines.push_back(line);
      line.clear();
      if (c == '\r' && i + 1 < address.size() && address[i + 1] == '\n') ++i;
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

// ---------------------------------------------------------------------------
// Painting.

const char* const CoverNoticeText = "Brixane \xE2\x80\x94 a journal kept close, one day at a time";

TBitmap* TCoverPicture::Get(const String& path) {
  std::error_code ec;
  auto stamp = std::filesystem::last_write_time(path, ec);
  if (ec) stamp = {};
  if (FChecked && path == FPath && stamp == FStamp) return FBitmap.get();
  FPath = path;
  FStamp = stamp;
  FChecked = true;
  FBitmap.reset();
  if (Trim(path).empty()) return nullptr;
  auto bitmap = std::make_unique<TBitmap>();
  const String problem = LoadSettingsPicture(path, *bitmap);
  if (problem.empty())
    FBitmap = std::move(bitmap);
  else if (problem != SettingsPathMissing)  // a missing file is skipped silently
    ReportSettingsPath("cover picture", path, problem,
                       "The cover is shown without a picture. Choose another one on the Cover Page of the "
                       "preferences.");
  return FBitmap.get();
}

void TCoverPicture::Reset() {
  FBitmap.reset();
  FChecked = false;
  FPath.clear();
}

TCoverPicture& CoverPicture() {
  static TCoverPicture picture;
  return picture;
}

namespace {
constexpr TColor CoverFrameColor = clSilver;
constexpr TColor CoverLineColor = clNavy;
}  // namespace

void DrawCoverLabelOn(TCanvas& canvas, int layoutW, int layoutH, int size, bool framed, int row, int rows,
                      const String& text, const String& fontName) {
  if (text.empty()) return;
  const TCanvasToolsKeeper keep(&canvas, true);
  canvas.Pen.Color = CoverLineColor;
  canvas.Font.SetSize(size);
  canvas.Font.SetName(fontName);
  const TSize extent = canvas.TextExtent(text);
  const TCoverPoint p = CoverLabelOrigin(layoutW, layoutH, rows, row, extent.cx, extent.cy);
  if (framed) {
    canvas.Brush.Color = CoverFrameColor;
    canvas.Brush.Style = bsSolid;
    const TCoverRect f = CoverLabelFrame(p, extent.cx, extent.cy, size);
    canvas.RoundRect(f.Left, f.Top, f.Right, f.Bottom, size / 2, size / 2);
  }
  canvas.TextOut(p.X, p.Y, text);
}

void DrawCoverAddressOn(TCanvas& canvas, int layoutW, int layoutH, int size, bool framed, int row, int rows,
                        const String& address, const String& fontName) {
  const std::vector<String> lines = CoverAddressLines(address);
  if (lines.empty()) return;
  const TCanvasToolsKeeper keep(&canvas, true);
  canvas.Pen.Color = CoverLineColor;
  canvas.Font.SetSize(size);
  canvas.Font.SetName(fontName);
  int maxW = 0, maxH = 0, totalH = 0;
  std::vector<int> heights;
  for (const String& line : lines) {
    // An empty line still takes a line's height.
    const TSize e = canvas.TextExtent(line.empty() ? String(" ") : line);
    maxW = std::max(maxW, line.empty() ? 0 : e.cx);
    maxH = std::max(maxH, e.cy);
    totalH += e.cy;
    heights.push_back(e.cy);
  }
  TCoverPoint p = CoverAddressOrigin(layoutW, layoutH, rows, row, maxW, maxH);
  if (framed) {
    canvas.Brush.Color = CoverFrameColor;
    canvas.Brush.Style = bsSolid;
    const TCoverRect f = CoverAddressFrame(p, maxW, totalH, size);
    canvas.RoundRect(f.Left, f.Top, f.Right, f.Bottom, size / 2, size / 2);
  }
  for (size_t i = 0; i < lines.size(); ++i) {
    canvas.TextOut(p.X, p.Y, lines[i]);
    p.Y += heights[i];
  }
}

void PaintCoverOn(TCanvas& canvas, int areaW, int areaH, int layoutW, int layoutH, Byte drawMode,
                  TBitmap* picture, const TCoverTexts& texts) {
  canvas.FillRect(Rect(0, 0, areaW, areaH));

  if (picture && !picture->GetEmpty()) {
    const int bw = picture->GetWidth(), bh = picture->GetHeight();
    switch (drawMode) {
      case cdmNormal: {
        const TCoverPoint p = CoverCentredOrigin(areaW, areaH, bw, bh);
        canvas.Draw(p.X, p.Y, picture);
        break;
      }
      case cdmTiled:
        for (const TCoverPoint& p : CoverTiles(areaW, areaH, bw, bh)) canvas.Draw(p.X, p.Y, picture);
        break;
      case cdmStretched:
        canvas.StretchDraw(Rect(0, 0, areaW, areaH), picture);
        break;
      default:
        break;
    }
  }

  {
    TPen saved;
    saved.Assign(&canvas.Pen);
    canvas.Pen.Color = CoverLineColor;
    canvas.Pen.Width = 4;
    const TCoverRule rule = CoverRuleLine(areaW, areaH, layoutW);
    canvas.MoveTo(rule.From.X, rule.From.Y);
    canvas.LineTo(rule.To.X, rule.To.Y);
    canvas.Pen.Assign(&saved);
  }

  DrawCoverLabelOn(canvas, layoutW, layoutH, 40, true, 6, CoverRows, "QUILLORY", "Times New Roman");
  DrawCoverLabelOn(canvas, layoutW, layoutH, 12, true, 10, CoverRows, texts.Caption, "Arial");
  DrawCoverAddressOn(canvas, layoutW, layoutH, 8, true, 12, CoverRows, texts.Address, "Arial");
  DrawCoverLabelOn(canvas, layoutW, layoutH, 10, true, 16, CoverRows, texts.DateText, "Times New Roman");
  DrawCoverLabelOn(canvas, layoutW, layoutH, 8, true, 25, CoverRows, texts.Notice, "Times New Roman");
  DrawCoverLabelOn(canvas, layoutW, layoutH, 8, true, 26, CoverRows, texts.VersionText, "Times New Roman");
}

// ---------------------------------------------------------------------------
// The main window's cover.

namespace {
size_t CharacterCount(const String& utf8) {
  size_t n = 0;
  for (unsigned char c : utf8) n += (c & 0xC0) != 0x80;
  return n;
}

String UpperCaseText(const String& utf8) { return WideToUtf8(WideUpperCase(Utf8ToWide(utf8))); }
}  // namespace

TCoverTexts CurrentCoverTexts() {
  TCoverTexts t;
  t.Caption = UpperCaseText(JournalOwnerText());
  if (ProfileSettings.DisplayAddress && CharacterCount(ProfileSettings.UserAddress) > 1)
    t.Address = ProfileSettings.UserAddress;
  t.DateText = FormatDateTime(FormatSettings.LongDateFormat, Date());
  t.Notice = CoverNoticeText;
  t.VersionText = "Version " + ProgramProductVersion();
  return t;
}

void LayoutCover(TformQuilloryMain* main, TPaintBox* box) {
  if (!main || ScreenMode != smCover) return;
  TButton* open = main->pbOpenQuillory;
  const TCoverButtonPlaces b =
      CoverButtonPlaces(main->GetWidth(), main->GetHeight(), open->GetWidth(), open->GetHeight());
  open->SetBounds(b.Open.Left, b.Open.Top, b.Open.Right - b.Open.Left, b.Open.Bottom - b.Open.Top);
  main->pbLockQuillory->SetBounds(b.Lock.Left, b.Lock.Top, b.Lock.Right - b.Lock.Left,
                                  b.Lock.Bottom - b.Lock.Top);
  main->pbExitQuillory->SetBounds(b.Exit.Left, b.Exit.Top, b.Exit.Right - b.Exit.Left,
                                  b.Exit.Bottom - b.Exit.Top);
  if (open->Showing() && open->CanFocus()) open->SetFocus();
  if (box) box->Invalidate();
}

void PaintCover(TformQuilloryMain* main, TPaintBox* box) {
  static bool painting = false;
  if (painting || !box) return;
  painting = true;
  try {
    // The main window's own cover follows the window; a preview its own box.
    const bool own = main && box == main->CoverBitMap;
    const int layoutW = own ? main->GetWidth() : box->GetWidth();
    const int layoutH = own ? main->GetHeight() : box->GetHeight();
    TCanvas& canvas = *box->Canvas();
    canvas.Brush.Color = box->GetColor() == clDefault ? clBtnFace : box->GetColor();
    canvas.Brush.Style = bsSolid;
    PaintCoverOn(canvas, box->GetWidth(), box->GetHeight(), layoutW, layoutH, ProfileSettings.BitmapDrawMode,
                 CoverPicture().Get(ProfileSettings.BitmapLocation), CurrentCoverTexts());
  } catch (...) {
    painting = false;
    throw;
  }
  painting = false;
}

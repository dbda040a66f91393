#pragma once
// The print preview: a scrolling window that shows one page at a zoom,
// centred on a coloured background with a border and a drop shadow. A click
// switches between 100 % and the previous zoom. The base knows nothing of
// documents; TVLPrintPreview takes its pages from a print component.
#include "richtext/view/VLScroller.h"

#include <memory>

class TVLPrint;

enum TVLClickMode { vlcmNone, vlcmSwitchZoom };

inline constexpr TCursor crVLZoomIn = 102;
inline constexpr TCursor crVLZoomOut = 103;

// Zoom modes.
inline constexpr Byte vlzmFullPage = 0, vlzmPageWidth = 1, vlzmPercent = 2;

class TCustomVLPrintPreview : public TVLScroller {
public:
  explicit TCustomVLPrintPreview(TComponent* owner);
  ~TCustomVLPrintPreview() override;

  void First() { SetPageNo(1); }
  void Last();
  void Next();
  void Prev();
  // The page shown, kept inside 1..page count while there are pages.
  virtual void SetPageNo(Integer value);
  Integer GetPageNo() const { return PageNo; }
  void SetZoomMode(Byte mode);
  Byte GetZoomMode() const { return ZoomMode; }
  void SetZoomPercent(Integer percent);
  Integer GetZoomPercent() const { return ZoomPercent; }
  void UpdateZoom();
  void SetZoomInCursor(TCursor value);
  void SetZoomOutCursor(TCursor value);
  // The page rectangle of the last paint (client coordinates).
  TRect PageRect() const;

  Integer PrevZoomPercent = 50;
  Integer PageWidthZoomed = 0, PageHeightZoomed = 0;
  TNotifyEvent OnZoomChanged;
  // Outlines the printable area unless its style is psClear.
  TPen MarginsPen;
  TVLClickMode ClickMode = vlcmSwitchZoom;
  TColor PageBorderColor = clHighlight;
  TColor ShadowColor = cl3DDkShadow;
  Integer ShadowWidth = 4;
  Integer PageBorderWidth = 2;
  Integer BackgroundMargin = 20;

  // The page source.
  virtual bool CanDraw() { return true; }
  virtual void DrawPage(TCanvas* /*canvas*/, const TRect& /*pageRect*/) {}
  virtual Integer GetPageWidth() { return -1; }
  virtual Integer GetPageHeight() { return -1; }
  virtual Integer GetPageCount() { return 1; }
  virtual void DrawMargins(TCanvas* canvas, const TRect& pageRect, Integer pageNo);

  void Click() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;

protected:
  void Paint() override;
  void Resize() override;
  Integer GetDefSmallStep() override { return 1; }
  void UpdateCursor();
  Integer PageNo = 1;
  Integer ZoomPercent = 100;
  Byte ZoomMode = vlzmFullPage;
  TCursor ZoomInCursor = crVLZoomIn, ZoomOutCursor = crVLZoomOut;
};

class TVLPrintPreview : public TCustomVLPrintPreview {
public:
  explicit TVLPrintPreview(TComponent* owner) : TCustomVLPrintPreview(owner) {}

  void SetVLPrint(TVLPrint* value);
  TVLPrint* GetVLPrint() const { return FVLPrint; }
  // Caches the page picture between paints of the same page and zoom.
  bool CachePageImage = true;
  // How often the print component drew a page for this preview.
  Integer PagesDrawn = 0;

  bool CanDraw() override;
  void DrawPage(TCanvas* canvas, const TRect& pageRect) override;
  Integer GetPageWidth() override;
  Integer GetPageHeight() override;
  Integer GetPageCount() override;
  void DrawMargins(TCanvas* canvas, const TRect& pageRect, Integer pageNo) override;

private:
  void UpdatePageImage(const TRect& rect);
  TVLPrint* FVLPrint = nullptr;
  Integer FCachedPageNo = -1, FCachedFormatCounter = -1;
  TRect FCachedRect;
  std::unique_ptr<TBitmap> FPageImage;
};

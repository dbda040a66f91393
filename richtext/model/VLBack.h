#pragma once
// The background of a document area: a colour and, optionally, a picture
// stretched, tiled (fixed to the area or scrolling with the content) or
// centred, painted on screen and printed at the device's resolution.
#include "platform/gui/Graphics.h"
#include "richtext/model/VLData.h"

#include <functional>
#include <memory>

// The background styles of table cells and tables.
enum TVLItemBackgroundStyle { vlbsColor, vlbsStretched, vlbsTiled, vlbsCentered };

class TVLBackground : public TObject {
public:
  // With createImage an empty bitmap is the image.
  explicit TVLBackground(bool createImage);
  ~TVLBackground() override;
  TVLBackground(const TVLBackground&) = delete;
  TVLBackground& operator=(const TVLBackground&) = delete;

  void FreeImage();
  TGraphic* GetBitmap() const { return Image.get(); }
  // Takes graphic over as the image.
  void AssignImage(std::unique_ptr<TGraphic> graphic, TCustomVLData* vlData);
  // A copy of graphic (of its own class) becomes the image.
  void AssignImageCopy(const TGraphic& graphic, TCustomVLData* vlData);
  // Drops the palette copy; true-colour devices never need one.
  void UpdatePaletted(TVLPaletteAction paletteAction);

  // Nothing to store: no picture style and no picture.
  bool Empty() const;
  // A picture fixed to the window must be repainted whole when scrolling.
  bool ScrollRequiresFullRedraw() const;
  TVLItemBackgroundStyle GetItemBackStyle() const;
  void SetItemBackStyle(TVLItemBackgroundStyle value);

  // Paints the part rect of an area whose origin is at (left, top) and
  // whose size is width x height, scrolled by (hOffset, vOffset). With clip
  // the canvas is the area's own (drawing is clipped to rect); without it
  // the canvas is a buffer whose origin is rect's top-left.
  void Draw(TCanvas* canvas, const TRect& rect, Integer hOffset, Integer vOffset, Integer left, Integer top,
            Integer width, Integer height, TColor color, bool clip);
  // Prints the part rect of a page area fullRect (device pixels): tiles keep
  // their screen size in inches. pageBackground, when given, draws what lies
  // under a transparent tile whose colour is clNone.
  void Print(TCanvas* canvas, const TRect& rect, const TRect& fullRect, const TVLScreenAndDevice& sad,
             TColor color, const std::function<void(TCanvas* canvas, const TRect& tile)>& pageBackground = {});

  std::unique_ptr<TGraphic> PaletteCopy;
  TBackgroundStyle Style = bsNoBitmap;
  std::unique_ptr<TGraphic> Image;

private:
  bool HasPicture() const;
};

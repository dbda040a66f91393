#pragma once
// Image lists: equally sized images drawn by index, normally, greyed when
// disabled, or blended with a colour when focused or selected. Holders hear
// of changes through a change link, and of the list's destruction through
// the component free notification.
#include "platform/base/Components.h"
#include "platform/gui/Graphics.h"

#include <vector>

class QImage;

enum TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };

class TCustomImageList;

// A holder's subscription to an image list's changes; it unsubscribes when
// it goes.
class TChangeLink {
public:
  TChangeLink() = default;
  ~TChangeLink();
  TChangeLink(const TChangeLink&) = delete;
  TChangeLink& operator=(const TChangeLink&) = delete;
  TCustomImageList* Sender = nullptr;
  TNotifyEvent OnChange;
};

class TCustomImageList : public TComponent {
public:
  explicit TCustomImageList(TComponent* AOwner);
  TCustomImageList(TComponent* AOwner, Integer width, Integer height);
  ~TCustomImageList() override;

  Integer GetWidth() const { return FWidth; }
  Integer GetHeight() const { return FHeight; }
  // Changing the size removes every image.
  void SetWidth(Integer width);
  void SetHeight(Integer height);
  Integer Count() const;

  // Adds the image (cut into Width-wide pieces when it is wider); mask pixels
  // that are white make the image transparent there. Returns the index of
  // the first image added, -1 when nothing was added.
  Integer Add(TBitmap* image, TBitmap* mask);
  // The same with pixels of maskColor transparent (clDefault: the colour of
  // the bottom-left pixel).
  Integer AddMasked(TBitmap* image, TColor maskColor);
  Integer AddImage(const QImage& image);
  void Replace(Integer index, TBitmap* image, TBitmap* mask);
  void Delete(Integer index);
  void Clear();
  void Move(Integer curIndex, Integer newIndex);

  // Draws image index at (x, y); disabled images are drawn greyed.
  void Draw(TCanvas* canvas, Integer x, Integer y, Integer index, bool enabled = true);
  void Draw(TCanvas* canvas, Integer x, Integer y, Integer index, TDrawingStyle style, bool enabled);
  // The image on a background of BkColor (white when clNone).
  void GetBitmap(Integer index, TBitmap* image);
  const QImage& Image(Integer index) const;

  TColor BkColor = clNone;
  // The colour selected and focused images are blended with (clNone: the
  // highlight colour).
  TColor BlendColor = clNone;
  TDrawingStyle DrawingStyle = dsNormal;
  bool Masked = true;
  TNotifyEvent OnChange;

  void RegisterChanges(TChangeLink* link);
  void UnRegisterChanges(TChangeLink* link);

protected:
  void Change();

private:
  QImage Prepared(const QImage& image, TDrawingStyle style, bool enabled) const;
  std::vector<QImage> Slice(const QImage& image) const;
  Integer FWidth = 16;
  Integer FHeight = 16;
  std::vector<QImage> FImages;
  std::vector<TChangeLink*> FLinks;
};

class TImageList : public TCustomImageList {
public:
  using TCustomImageList::TCustomImageList;
};

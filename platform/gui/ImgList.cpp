#include "platform/gui/ImgList.h"

#include "platform/gui/GuiPrivate.h"

#include <QImage>
#include <QPainter>
#include <algorithm>

TChangeLink::~TChangeLink() {
  if (Sender) Sender->UnRegisterChanges(this);
}

TCustomImageList::TCustomImageList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomImageList::TCustomImageList(TComponent* AOwner, Integer width, Integer height)
    : TComponent(AOwner), FWidth(std::max(1, width)), FHeight(std::max(1, height)) {}

TCustomImageList::~TCustomImageList() {
  for (TChangeLink* link : FLinks) link->Sender = nullptr;
}

void TCustomImageList::RegisterChanges(TChangeLink* link) {
  if (!link || std::find(FLinks.begin(), FLinks.end(), link) != FLinks.end()) return;
  if (link->Sender && link->Sender != this) link->Sender->UnRegisterChanges(link);
  link->Sender = this;
  FLinks.push_back(link);
}

void TCustomImageList::UnRegisterChanges(TChangeLink* link) {
  auto it = std::find(FLinks.begin(), FLinks.end(), link);
  if (it == FLinks.end()) return;
  FLinks.erase(it);
  link->Sender = nullptr;
}

void TCustomImageList::Change() {
  // A handler may unregister links while we notify: walk a copy.
  const std::vector<TChangeLink*> links = FLinks;
  for (TChangeLink* link : links) {
    if (std::find(FLinks.begin(), FLinks.end(), link) != FLinks.end() && link->OnChange) link->OnChange(this);
  }
  if (OnChange) OnChange(this);
}

void TCustomImageList::SetWidth(Integer width) {
  width = std::max(1, width);
  if (width == FWidth) return;
  FWidth = width;
  FImages.clear();
  Change();
}

void TCustomImageList::SetHeight(Integer height) {
  height = std::max(1, height);
  if (height == FHeight) return;
  FHeight = height;
  FImages.clear();
  Change();
}

std::vector<QImage> TCustomImageList::Slice(const QImage& image) const {
  std::vector<QImage> pieces;
  if (image.isNull()) return pieces;
  const int count = std::max(1, image.width() / FWidth);
  for (int i = 0; i < count; ++i) {
    QImage piece(FWidth, FHeight, QImage::Format_ARGB32);
    piece.fill(Qt::transparent);
    QPainter p(&piece);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    p.drawImage(QPoint(0, 0), image, QRect(i * FWidth, 0, FWidth, FHeight));
    p.end();
    pieces.push_back(piece);
  }
  return pieces;
}

Integer TCustomImageList::Count() const { return static_cast<Integer>(FImages.size()); }

Integer TCustomImageList::AddImage(const QImage& image) {
  std::vector<QImage> pieces = Slice(image.convertToFormat(QImage::Format_ARGB32));
  if (pieces.empty()) return -1;
  const Integer first = Count();
  for (auto& piece : pieces) FImages.push_back(std::move(piece));
  Change();
  return first;
}

namespace {
// The image with the mask applied: white mask pixels become transparent.
QImage ApplyMask(const QImage& image, const QImage* mask, const QRgb* key) {
  QImage out = image.convertToFormat(QImage::Format_ARGB32);
  const QImage m = mask ? mask->convertToFormat(QImage::Format_RGB32) : QImage();
  for (int y = 0; y < out.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < out.width(); ++x) {
      bool clear = false;
      if (mask && y < m.height() && x < m.width()) clear = qGray(m.pixel(x, y)) > 127;
      if (key && (row[x] & 0x00FFFFFF) == (*key & 0x00FFFFFF)) clear = true;
      if (clear) row[x] = 0;
    }
  }
  return out;
}
}  // namespace

Integer TCustomImageList::Add(TBitmap* image, TBitmap* mask) {
  if (!image || image->GetEmpty()) return -1;
  QImage mimg = mask && !mask->GetEmpty() ? mask->ToImage() : QImage();
  return AddImage(ApplyMask(image->ToImage(), mimg.isNull() ? nullptr : &mimg, nullptr));
}

Integer TCustomImageList::AddMasked(TBitmap* image, TColor maskColor) {
  if (!image || image->GetEmpty()) return -1;
  const QImage img = image->ToImage();
  QRgb key;
  if (maskColor == clDefault) {
    key = img.pixel(0, img.height() - 1);
  } else {
    const TColor c = ColorToRGB(maskColor);
    key = qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
  }
  return AddImage(ApplyMask(img, nullptr, &key));
}

void TCustomImageList::Replace(Integer index, TBitmap* image, TBitmap* mask) {
  if (index < 0 || index >= Count()) throw EInvalidOperation("Invalid image list index");
  if (!image || image->GetEmpty()) return;
  QImage mimg = mask && !mask->GetEmpty() ? mask->ToImage() : QImage();
  auto pieces = Slice(ApplyMask(image->ToImage(), mimg.isNull() ? nullptr : &mimg, nullptr));
  FImages[static_cast<size_t>(index)] = pieces.front();
  Change();
}

void TCustomImageList::Delete(Integer index) {
  if (index < 0 || index >= Count()) throw EInvalidOperation("Invalid image list index");
  FImages.erase(FImages.begin() + index);
  Change();
}

void TCustomImageList::Clear() {
  if (FImages.empty()) return;
  FImages.clear();
  Change();
}

void TCustomImageList::Move(Integer curIndex, Integer newIndex) {
  if (curIndex < 0 || curIndex >= Count() || newIndex < 0 || newIndex >= Count())
    throw EInvalidOperation("Invalid image list index");
  if (curIndex == newIndex) return;
  QImage img = FImages[static_cast<size_t>(curIndex)];
  FImages.erase(FImages.begin() + curIndex);
  FImages.insert(FImages.begin() + newIndex, img);
  Change();
}

const QImage& TCustomImageList::Image(Integer index) const {
  if (index < 0 || index >= Count()) throw EInvalidOperation("Invalid image list index");
  return FImages[static_cast<size_t>(index)];
}

QImage TCustomImageList::Prepared(const QImage& image, TDrawingStyle style, bool enabled) const {
  QImage out = image;
  if (!enabled) {
    // Greyed: the luminance, lightened halfway to white.
    for (int y = 0; y < out.height(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
      for (int x = 0; x < out.width(); ++x) {
        const int g = (qGray(row[x]) + 255) / 2;
        row[x] = qRgba(g, g, g, qAlpha(row[x]));
      }
    }
  }
  if (style == dsFocus || style == dsSelected) {
    const TColor blend = ColorToRGB(BlendColor == clNone ? clHighlight : BlendColor);
    const int percent = style == dsSelected ? 50 : 25;
    for (int y = 0; y < out.height(); ++y) {
      auto* row = reinterpret_cast<QRgb*>(out.scanLine(y));
      for (int x = 0; x < out.width(); ++x) {
        auto mix = [&](int a, int b) { return (a * (100 - percent) + b * percent) / 100; };
        row[x] = qRgba(mix(qRed(row[x]), GetRValue(blend)), mix(qGreen(row[x]), GetGValue(blend)),
                       mix(qBlue(row[x]), GetBValue(blend)), qAlpha(row[x]));
      }
    }
  }
  if (!Masked || (style != dsTransparent && BkColor != clNone)) {
    // Unmasked lists, and lists with a background colour, draw opaque.
    QImage flat(out.size(), QImage::Format_ARGB32);
    flat.fill(QColorOf(BkColor == clNone ? clWhite : BkColor));
    QPainter p(&flat);
    p.drawImage(0, 0, out);
    p.end();
    out = flat;
  }
  return out;
}

void TCustomImageList::Draw(TCanvas* canvas, Integer x, Integer y, Integer index, bool enabled) {
  Draw(canvas, x, y, index, DrawingStyle, enabled);
}

void TCustomImageList::Draw(TCanvas* canvas, Integer x, Integer y, Integer index, TDrawingStyle style,
                            bool enabled) {
  if (!canvas || index < 0 || index >= Count()) return;
  const QImage img = Prepared(FImages[static_cast<size_t>(index)], style, enabled);
  const TCopyMode saved = canvas->CopyMode;
  canvas->CopyMode = cmSrcCopy;
  canvas->DrawImage(Bounds(x, y, FWidth, FHeight), img, TRect(0, 0, FWidth, FHeight));
  canvas->CopyMode = saved;
}

void TCustomImageList::GetBitmap(Integer index, TBitmap* image) {
  if (!image || index < 0 || index >= Count()) return;
  QImage flat(FWidth, FHeight, QImage::Format_RGB32);
  flat.fill(QColorOf(BkColor == clNone ? clWhite : BkColor));
  QPainter p(&flat);
  p.drawImage(0, 0, FImages[static_cast<size_t>(index)]);
  p.end();
  image->SetImage(flat);
}

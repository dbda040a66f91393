// Icons, metafiles, the graphic class registry and the picture holder.
#include "platform/gui/Graphics.h"
#include "platform/gui/Jpeg.h"

#include <QBuffer>
#include <QByteArray>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QPicture>
#include <map>
#include <mutex>

namespace {

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
int32_t I32(const uint8_t* p) {
  return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                              (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24));
}

}  // namespace

// ---------------------------------------------------------------------------
// TIcon

TIcon::TIcon() : FImage(std::make_unique<QImage>()) { FTransparent = true; }

TIcon::~TIcon() = default;

bool TIcon::GetEmpty() const { return FImage->isNull(); }
Integer TIcon::GetWidth() const { return FImage->width(); }
Integer TIcon::GetHeight() const { return FImage->height(); }
QImage TIcon::ToImage() const { return *FImage; }

void TIcon::Assign(const TPersistent* Source) {
  if (Source == this) return;
  if (Source == nullptr) {
    FBytes.clear();
    *FImage = QImage();
    Changed();
    return;
  }
  if (auto src = dynamic_cast<const TIcon*>(Source)) {
    FBytes = src->FBytes;
    *FImage = *src->FImage;
    Changed();
    return;
  }
  if (auto g = dynamic_cast<const TGraphic*>(Source)) {
    FBytes.clear();
    *FImage = g->ToImage().convertToFormat(QImage::Format_ARGB32);
    Changed();
    return;
  }
  TGraphic::Assign(Source);
}

size_t TIcon::LoadFromBytes(const char* data, size_t size) {
  const auto* p = reinterpret_cast<const uint8_t*>(data);
  // An icon directory: reserved 0, type 1, at least one entry.
  if (size < 6 || U16(p) != 0 || U16(p + 2) != 1 || U16(p + 4) == 0) throw EInvalidGraphic("Icon image is not valid");
  QImage img;
  if (!img.loadFromData(reinterpret_cast<const uchar*>(data), static_cast<int>(size), "ICO") || img.isNull())
    throw EInvalidGraphic("Icon image is not valid");
  FBytes.assign(data, size);
  *FImage = img.convertToFormat(QImage::Format_ARGB32);
  Changed();
  return size;
}

AnsiString TIcon::SaveToBytes() const {
  if (!FBytes.empty() || FImage->isNull()) return FBytes;
  QByteArray out;
  QBuffer buffer(&out);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "ICO");
  if (!writer.write(*FImage)) throw EInvalidGraphic("Icon image is not valid");
  return AnsiString(out.constData(), static_cast<size_t>(out.size()));
}

void TIcon::Draw(TCanvas& canvas, const TRect& r) {
  if (FImage->isNull()) return;
  const TCopyMode saved = canvas.CopyMode;
  canvas.CopyMode = cmSrcCopy;
  canvas.DrawImage(r, *FImage, TRect(0, 0, FImage->width(), FImage->height()));
  canvas.CopyMode = saved;
}

// ---------------------------------------------------------------------------
// TMetafile

TMetafile::TMetafile() = default;
TMetafile::~TMetafile() = default;

void TMetafile::Assign(const TPersistent* Source) {
  if (Source == this) return;
  if (Source == nullptr) {
    Clear();
    Changed();
    return;
  }
  if (auto src = dynamic_cast<const TMetafile*>(Source)) {
    FBytes = src->FBytes;
    FWidth = src->FWidth;
    FHeight = src->FHeight;
    FMMWidth = src->FMMWidth;
    FMMHeight = src->FMMHeight;
    Enhanced = src->Enhanced;
    Inch = src->Inch;
    FRecording = src->FRecording;
    Changed();
    return;
  }
  TGraphic::Assign(Source);
}

void TMetafile::Clear() {
  FBytes.clear();
  FWidth = FHeight = FMMWidth = FMMHeight = 0;
  Inch = 0;
  FRecording.reset();
}

bool TMetafile::GetEmpty() const { return FBytes.empty() && !FRecording; }

void TMetafile::SetWidth(Integer width) {
  FWidth = std::max(0, width);
  FMMWidth = MulDiv(FWidth, 2540, ScreenPixelsPerInch);
  Changed();
}

void TMetafile::SetHeight(Integer height) {
  FHeight = std::max(0, height);
  FMMHeight = MulDiv(FHeight, 2540, ScreenPixelsPerInch);
  Changed();
}

Integer TMetafile::GetMMWidth() const { return FMMWidth; }
Integer TMetafile::GetMMHeight() const { return FMMHeight; }

void TMetafile::SetMMWidth(Integer value) {
  FMMWidth = std::max(0, value);
  FWidth = MulDiv(FMMWidth, ScreenPixelsPerInch, 2540);
  Changed();
}

void TMetafile::SetMMHeight(Integer value) {
  FMMHeight = std::max(0, value);
  FHeight = MulDiv(FMMHeight, ScreenPixelsPerInch, 2540);
  Changed();
}

size_t TMetafile::LoadFromBytes(const char* data, size_t size) {
  const auto* p = reinterpret_cast<const uint8_t*>(data);
  Integer mmW = 0, mmH = 0;
  bool enhanced;
  Word inch = 0;
  if (size >= 88 && I32(p) == 1 && static_cast<uint32_t>(I32(p + 40)) == 0x464D4520u) {
    // Enhanced metafile header: the frame in 0.01 mm.
    enhanced = true;
    mmW = I32(p + 32) - I32(p + 24);
    mmH = I32(p + 36) - I32(p + 28);
  } else if (size >= 22 && static_cast<uint32_t>(I32(p)) == 0x9AC6CDD7u) {
    // Placeable Windows metafile: a bounding box in units per inch.
    enhanced = false;
    inch = U16(p + 14);
    const int w = static_cast<int16_t>(U16(p + 10)) - static_cast<int16_t>(U16(p + 6));
    const int h = static_cast<int16_t>(U16(p + 12)) - static_cast<int16_t>(U16(p + 8));
    if (inch == 0) throw EInvalidGraphic("Metafile is not valid");
    mmW = MulDiv(w, 2540, inch);
    mmH = MulDiv(h, 2540, inch);
  } else if (size >= 18 && (U16(p) == 1 || U16(p) == 2) && U16(p + 2) == 9) {
    // A Windows metafile without a size: the caller supplies it.
    enhanced = false;
  } else {
    throw EInvalidGraphic("Metafile is not valid");
  }
  FBytes.assign(data, size);
  FRecording.reset();
  Enhanced = enhanced;
  Inch = inch;
  FMMWidth = std::max(0, mmW);
  FMMHeight = std::max(0, mmH);
  FWidth = MulDiv(FMMWidth, ScreenPixelsPerInch, 2540);
  FHeight = MulDiv(FMMHeight, ScreenPixelsPerInch, 2540);
  Changed();
  return size;
}

void TMetafile::Draw(TCanvas& canvas, const TRect& r) {
  if (IsRectEmpty(r)) return;
  if (FRecording) {
    QPainter* p = canvas.Handle();
    if (!p) return;
    const QRect bounds = FRecording->boundingRect();
    const Integer w = FWidth > 0 ? FWidth : bounds.right() + 1;
    const Integer h = FHeight > 0 ? FHeight : bounds.bottom() + 1;
    if (w <= 0 || h <= 0) return;
    p->save();
    p->translate(r.Left, r.Top);
    p->scale(static_cast<double>(r.Width()) / w, static_cast<double>(r.Height()) / h);
    p->drawPicture(0, 0, *FRecording);
    p->restore();
    return;
  }
  if (FBytes.empty()) return;
  // No metafile player here: a light box with a cross marks the place.
  const TPen savedPen = canvas.Pen;
  const TBrush savedBrush = canvas.Brush;
  canvas.Pen.Color = clGray;
  canvas.Pen.Style = psSolid;
  canvas.Pen.Width = 1;
  canvas.Pen.Mode = pmCopy;
  canvas.Brush.Color = RGB(0xF0, 0xF0, 0xF0);
  canvas.Brush.Style = bsSolid;
  canvas.Rectangle(r);
  canvas.MoveTo(r.Left, r.Top);
  canvas.LineTo(r.Right - 1, r.Bottom - 1);
  canvas.MoveTo(r.Right - 1, r.Top);
  canvas.LineTo(r.Left, r.Bottom - 1);
  canvas.Pen = savedPen;
  canvas.Brush = savedBrush;
}

QImage TMetafile::ToImage() const {
  if (GetEmpty() || FWidth <= 0 || FHeight <= 0) return QImage();
  QImage img(FWidth, FHeight, QImage::Format_RGB32);
  img.fill(Qt::white);
  TCanvas canvas(static_cast<QPaintDevice*>(&img));
  const_cast<TMetafile*>(this)->Draw(canvas, TRect(0, 0, FWidth, FHeight));
  canvas.ReleaseHandle();
  return img;
}

TMetafileCanvas::TMetafileCanvas(TMetafile* metafile, TCanvas* reference)
    : TCanvas(), FMetafile(metafile), FPicture(std::make_shared<QPicture>()) {
  SetDevice(FPicture.get());
  SetPixelsPerInch(reference ? reference->GetPixelsPerInch() : ScreenPixelsPerInch);
}

TMetafileCanvas::~TMetafileCanvas() {
  ReleaseHandle();
  if (!FMetafile) return;
  FMetafile->FBytes.clear();
  FMetafile->FRecording = FPicture;
  FMetafile->Enhanced = true;
  if (FMetafile->FWidth <= 0 || FMetafile->FHeight <= 0) {
    const QRect bounds = FPicture->boundingRect();
    FMetafile->FWidth = std::max(0, bounds.right() + 1);
    FMetafile->FHeight = std::max(0, bounds.bottom() + 1);
    FMetafile->FMMWidth = MulDiv(FMetafile->FWidth, 2540, ScreenPixelsPerInch);
    FMetafile->FMMHeight = MulDiv(FMetafile->FHeight, 2540, ScreenPixelsPerInch);
  }
  FMetafile->Modified = true;
  if (FMetafile->OnChange) FMetafile->OnChange(FMetafile);
}

// ---------------------------------------------------------------------------
// The registry

namespace {

struct TGraphicClassEntry {
  TGraphicFactory Factory;
  std::vector<String> Extensions;
  String Description;
};

struct TGraphicRegistry {
  std::mutex Lock;
  std::vector<std::pair<String, TGraphicClassEntry>> Classes;  // registration order
};

TGraphicRegistry& Registry() {
  static TGraphicRegistry* registry = [] {
    auto* r = new TGraphicRegistry;
    r->Classes.push_back({"TJPEGImage",
                          {[] { return std::make_unique<TJPEGImage>(); }, {"jpg", "jpeg"}, "JPEG Image File"}});
    r->Classes.push_back({"TBitmap", {[] { return std::make_unique<TBitmap>(); }, {"bmp"}, "Bitmaps"}});
    r->Classes.push_back({"TIcon", {[] { return std::make_unique<TIcon>(); }, {"ico"}, "Icons"}});
    r->Classes.push_back({"TMetafile",
                          {[] { return std::make_unique<TMetafile>(); }, {"emf", "wmf"}, "Metafiles"}});
    return r;
  }();
  return *registry;
}

String NormalExt(const String& ext) {
  String e = ext;
  if (!e.empty() && e[0] == '.') e.erase(0, 1);
  return LowerCase(e);
}

}  // namespace

void RegisterGraphicClass(const String& className, TGraphicFactory factory, const std::vector<String>& extensions,
                          const String& description) {
  TGraphicRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.Lock);
  std::vector<String> exts;
  for (const String& e : extensions) exts.push_back(NormalExt(e));
  for (auto& entry : r.Classes) {
    if (entry.first == className) {
      entry.second = {std::move(factory), std::move(exts), description};
      return;
    }
  }
  r.Classes.push_back({className, {std::move(factory), std::move(exts), description}});
}

std::unique_ptr<TGraphic> CreateGraphicOfClassName(const String& className) {
  TGraphicRegistry& r = Registry();
  TGraphicFactory factory;
  {
    std::lock_guard<std::mutex> guard(r.Lock);
    for (const auto& entry : r.Classes) {
      if (SameText(entry.first, className)) factory = entry.second.Factory;
    }
  }
  return factory ? factory() : nullptr;
}

bool IsGraphicClassRegistered(const String& className) {
  TGraphicRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.Lock);
  for (const auto& entry : r.Classes) {
    if (SameText(entry.first, className)) return true;
  }
  return false;
}

std::unique_ptr<TGraphic> CreateGraphicLike(const TGraphic& graphic) {
  return CreateGraphicOfClassName(graphic.ClassName());
}

String GraphicClassForExtension(const String& extension) {
  const String ext = NormalExt(extension);
  TGraphicRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.Lock);
  for (const auto& entry : r.Classes) {
    for (const String& e : entry.second.Extensions) {
      if (e == ext) return entry.first;
    }
  }
  return String();
}

String GraphicFilter() {
  TGraphicRegistry& r = Registry();
  std::lock_guard<std::mutex> guard(r.Lock);
  String all, parts;
  for (const auto& entry : r.Classes) {
    for (const String& e : entry.second.Extensions) {
      const String mask = "*." + e;
      all += (all.empty() ? "" : ";") + mask;
      parts += "|" + entry.second.Description + " (" + mask + ")|" + mask;
    }
  }
  return "All (" + all + ")|" + all + parts;
}

String PictureFileFilter() {
  static const struct {
    const char* Description;
    const char* Decoder;
    std::vector<const char*> Extensions;
  } formats[] = {{"PNG Images", "png", {"png"}},   {"JPEG Images", "jpeg", {"jpg", "jpeg"}},
                 {"GIF Images", "gif", {"gif"}},   {"Bitmaps", "bmp", {"bmp"}},
                 {"TIFF Images", "tiff", {"tif", "tiff"}}, {"WebP Images", "webp", {"webp"}},
                 {"Icons", "ico", {"ico"}}};
  const QList<QByteArray> readable = QImageReader::supportedImageFormats();
  String all, parts;
  for (const auto& f : formats) {
    // JPEG and bitmaps have decoders of our own.
    const bool own = String(f.Decoder) == "jpeg" || String(f.Decoder) == "bmp";
    if (!own && !readable.contains(QByteArray(f.Decoder))) continue;
    String masks;
    for (const char* e : f.Extensions) masks += (masks.empty() ? "" : ";") + String("*.") + e;
    all += (all.empty() ? "" : ";") + masks;
    parts += "|" + String(f.Description) + " (" + masks + ")|" + masks;
  }
  return "All Pictures (" + all + ")|" + all + parts;
}

// ---------------------------------------------------------------------------
// TPicture

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed() {
  if (OnChange) OnChange(this);
}

void TPicture::Assign(const TPersistent* Source) {
  if (Source == this) return;
  if (Source == nullptr) {
    SetGraphic(static_cast<const TGraphic*>(nullptr));
    return;
  }
  if (auto src = dynamic_cast<const TPicture*>(Source)) {
    SetGraphic(src->GetGraphic());
    return;
  }
  if (auto g = dynamic_cast<const TGraphic*>(Source)) {
    SetGraphic(g);
    return;
  }
  TPersistent::Assign(Source);
}

void TPicture::SetGraphic(const TGraphic* graphic) {
  if (graphic == FGraphic.get() && graphic) return;
  if (!graphic) {
    FGraphic.reset();
    Changed();
    return;
  }
  std::unique_ptr<TGraphic> copy = CreateGraphicLike(*graphic);
  if (!copy) throw EInvalidGraphic("Unsupported picture class " + graphic->ClassName());
  copy->Assign(graphic);
  SetGraphic(std::move(copy));
}

void TPicture::SetGraphic(std::unique_ptr<TGraphic> graphic) {
  FGraphic = std::move(graphic);
  if (FGraphic) FGraphic->OnChange = [this](TObject*) { Changed(); };
  Changed();
}

TBitmap* TPicture::Bitmap() {
  if (auto b = dynamic_cast<TBitmap*>(FGraphic.get())) return b;
  SetGraphic(std::make_unique<TBitmap>());
  return static_cast<TBitmap*>(FGraphic.get());
}

void TPicture::LoadFromFile(const String& fileName) {
  const String ext = NormalExt(ExtractFileExt(fileName));
  const String cls = GraphicClassForExtension(ext);
  if (cls.empty()) throw EInvalidGraphic("Unknown picture file extension (." + ext + ")");
  std::unique_ptr<TGraphic> graphic = CreateGraphicOfClassName(cls);
  graphic->LoadFromFile(fileName);
  SetGraphic(std::move(graphic));
}

void TPicture::SaveToFile(const String& fileName) const {
  if (FGraphic) FGraphic->SaveToFile(fileName);
}

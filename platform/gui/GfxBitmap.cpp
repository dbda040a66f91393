// TGraphic's shared parts and TBitmap with its BMP reader and writer.
#include "platform/base/Streams.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/QtText.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

const char* const BadBitmap = "Bitmap image is not valid";

// Pictures larger than this are refused rather than allocated.
constexpr int64_t MaxPixels = int64_t{1} << 28;

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
void Put16(AnsiString& s, uint16_t v) {
  s.push_back(static_cast<char>(v & 0xFF));
  s.push_back(static_cast<char>(v >> 8));
}
void Put32(AnsiString& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

[[noreturn]] void Bad() { throw EInvalidGraphic(BadBitmap); }

// Value of a bit-field mask scaled to 8 bits.
int MaskedChannel(uint32_t pixel, uint32_t mask) {
  if (mask == 0) return 0;
  int shift = 0;
  while (((mask >> shift) & 1) == 0) ++shift;
  const uint32_t max = mask >> shift;
  const uint32_t v = (pixel & mask) >> shift;
  return static_cast<int>((v * 255 + max / 2) / max);
}

struct TDecodedBmp {
  QImage Image;
  TPixelFormat Format = pfDevice;
  size_t Used = 0;
};

// Run-length decoding of 8-bit (nibbles = false) or 4-bit bitmaps into an
// 8-bit indexed image, bottom-up; every read and write is bounds-checked.
void DecodeRle(const uint8_t* src, size_t size, bool nibbles, bool bottomUp, QImage& img, size_t& used) {
  const int w = img.width(), h = img.height();
  int x = 0, y = 0;
  size_t i = 0;
  auto put = [&](uint8_t v) {
    if (x < w && y < h) img.scanLine(bottomUp ? h - 1 - y : y)[x] = v;
    ++x;
  };
  while (true) {
    if (i + 2 > size) Bad();
    const uint8_t count = src[i], value = src[i + 1];
    i += 2;
    if (count > 0) {
      for (int k = 0; k < count; ++k) {
        put(nibbles ? static_cast<uint8_t>(k % 2 == 0 ? value >> 4 : value & 0x0F) : value);
      }
      continue;
    }
    if (value == 0) {
      x = 0;
      ++y;
    } else if (value == 1) {
      break;
    } else if (value == 2) {
      if (i + 2 > size) Bad();
      x += src[i];
      y += src[i + 1];
      i += 2;
    } else {
      const size_t n = value;
      const size_t bytes = nibbles ? (n + 1) / 2 : n;
      if (i + bytes > size) Bad();
      for (size_t k = 0; k < n; ++k) {
        const uint8_t b = src[i + (nibbles ? k / 2 : k)];
        put(nibbles ? static_cast<uint8_t>(k % 2 == 0 ? b >> 4 : b & 0x0F) : b);
      }
      i += bytes;
      if (i % 2) ++i;  // runs are padded to 16 bits
    }
    if (y > h) Bad();
  }
  used = std::min(i, size);
}

// The device-independent part (info header, colour table, bits). bitsAt is
// the offset of the bits from `dib` when a file header gave one, else 0.
TDecodedBmp DecodeDib(const uint8_t* dib, size_t size, size_t bitsAt) {
  TDecodedBmp out;
  if (size < 12) Bad();
  const uint32_t headerSize = U32(dib);
  int64_t width, height;
  int bpp;
  uint32_t compression = 0, colorsUsed = 0;
  size_t entrySize = 4;
  uint32_t masks[4] = {0, 0, 0, 0};
  if (headerSize == 12) {
    width = U16(dib + 4);
    height = static_cast<int16_t>(U16(dib + 6));
    bpp = U16(dib + 10);
    entrySize = 3;
  } else if (headerSize >= 40 && headerSize <= 124) {
    if (size < headerSize) Bad();
    width = static_cast<int32_t>(U32(dib + 4));
    height = static_cast<int32_t>(U32(dib + 8));
    bpp = U16(dib + 14);
    compression = U32(dib + 16);
    colorsUsed = U32(dib + 32);
    if (headerSize >= 52) {
      masks[0] = U32(dib + 40);
      masks[1] = U32(dib + 44);
      masks[2] = U32(dib + 48);
    }
    if (headerSize >= 56) masks[3] = U32(dib + 52);
  } else {
    Bad();
  }
  if (size < headerSize) Bad();
  const bool bottomUp = height > 0;
  if (height < 0) height = -height;
  if (width <= 0 || height <= 0 || width * height > MaxPixels) Bad();
  if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) Bad();
  size_t pos = headerSize;
  if (compression == 3) {  // bit fields
    if (bpp != 16 && bpp != 32) Bad();
    if (headerSize == 40) {
      if (pos + 12 > size) Bad();
      masks[0] = U32(dib + pos);
      masks[1] = U32(dib + pos + 4);
      masks[2] = U32(dib + pos + 8);
      pos += 12;
    }
  } else if (compression == 1) {
    if (bpp != 8) Bad();
  } else if (compression == 2) {
    if (bpp != 4) Bad();
  } else if (compression != 0) {
    Bad();
  }
  QList<QRgb> palette;
  if (bpp <= 8) {
    const uint32_t maxColors = 1u << bpp;
    if (colorsUsed > 256) Bad();
    const uint32_t n = colorsUsed ? std::min(colorsUsed, maxColors) : maxColors;
    if (pos + n * entrySize > size) Bad();
    for (uint32_t k = 0; k < n; ++k) {
      const uint8_t* e = dib + pos + k * entrySize;
      palette.push_back(qRgb(e[2], e[1], e[0]));
    }
    pos += n * entrySize;
    // Indexes past the table show black instead of reading past it.
    while (palette.size() < static_cast<qsizetype>(maxColors)) palette.push_back(qRgb(0, 0, 0));
  }
  if (bitsAt >= pos && bitsAt < size) pos = bitsAt;
  const int w = static_cast<int>(width), h = static_cast<int>(height);
  const uint8_t* bits = dib + pos;
  const size_t avail = size - std::min(pos, size);

  if (compression == 1 || compression == 2) {
    QImage img(w, h, QImage::Format_Indexed8);
    if (img.isNull()) Bad();
    img.fill(0);
    img.setColorTable(palette);
    size_t used = 0;
    DecodeRle(bits, avail, compression == 2, bottomUp, img, used);
    out.Image = img;
    out.Format = pf8bit;
    out.Used = pos + used;
    return out;
  }

  const size_t stride = ((static_cast<size_t>(w) * static_cast<size_t>(bpp) + 31) / 32) * 4;
  const size_t need = stride * static_cast<size_t>(h);
  if (need > avail) Bad();
  out.Used = pos + need;
  auto fileRow = [&](int y) { return bits + stride * static_cast<size_t>(bottomUp ? h - 1 - y : y); };

  if (bpp == 1) {
    QImage img(w, h, QImage::Format_Mono);
    if (img.isNull()) Bad();
    img.setColorTable(palette);
    const size_t rowBytes = (static_cast<size_t>(w) + 7) / 8;
    for (int y = 0; y < h; ++y) std::memcpy(img.scanLine(y), fileRow(y), rowBytes);
    out.Image = img;
    out.Format = pf1bit;
  } else if (bpp == 4 || bpp == 8) {
    QImage img(w, h, QImage::Format_Indexed8);
    if (img.isNull()) Bad();
    img.setColorTable(palette);
    for (int y = 0; y < h; ++y) {
      const uint8_t* s = fileRow(y);
      uint8_t* d = img.scanLine(y);
      if (bpp == 8) {
        std::memcpy(d, s, static_cast<size_t>(w));
      } else {
        for (int x = 0; x < w; ++x) d[x] = static_cast<uint8_t>(x % 2 == 0 ? s[x / 2] >> 4 : s[x / 2] & 0x0F);
      }
    }
    out.Image = img;
    out.Format = pf8bit;
  } else if (bpp == 16) {
    if (compression != 3) {
      masks[0] = 0x7C00;
      masks[1] = 0x03E0;
      masks[2] = 0x001F;
    }
    const bool is555 = masks[0] == 0x7C00 && masks[1] == 0x03E0 && masks[2] == 0x001F;
    const bool is565 = masks[0] == 0xF800 && masks[1] == 0x07E0 && masks[2] == 0x001F;
    if (is555 || is565) {
      QImage img(w, h, is555 ? QImage::Format_RGB555 : QImage::Format_RGB16);
      if (img.isNull()) Bad();
      for (int y = 0; y < h; ++y) std::memcpy(img.scanLine(y), fileRow(y), static_cast<size_t>(w) * 2);
      out.Image = img;
      out.Format = is555 ? pf15bit : pf16bit;
    } else {
      QImage img(w, h, QImage::Format_RGB32);
      if (img.isNull()) Bad();
      for (int y = 0; y < h; ++y) {
        const uint8_t* s = fileRow(y);
        auto* d = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
          const uint32_t px = U16(s + 2 * x);
          d[x] = qRgb(MaskedChannel(px, masks[0]), MaskedChannel(px, masks[1]), MaskedChannel(px, masks[2]));
        }
      }
      out.Image = img;
      out.Format = pf32bit;
    }
  } else if (bpp == 24) {
    QImage img(w, h, QImage::Format_BGR888);
    if (img.isNull()) Bad();
    for (int y = 0; y < h; ++y) std::memcpy(img.scanLine(y), fileRow(y), static_cast<size_t>(w) * 3);
    out.Image = img;
    out.Format = pf24bit;
  } else {
    const bool standard = compression != 3 || (masks[0] == 0xFF0000 && masks[1] == 0xFF00 && masks[2] == 0xFF);
    QImage img(w, h, QImage::Format_RGB32);
    if (img.isNull()) Bad();
    for (int y = 0; y < h; ++y) {
      const uint8_t* s = fileRow(y);
      auto* d = reinterpret_cast<QRgb*>(img.scanLine(y));
      for (int x = 0; x < w; ++x) {
        const uint32_t px = U32(s + 4 * x);
        d[x] = standard ? (px | 0xFF000000u)
                        : qRgb(MaskedChannel(px, masks[0]), MaskedChannel(px, masks[1]), MaskedChannel(px, masks[2]));
      }
    }
    out.Image = img;
    out.Format = pf32bit;
  }
  return out;
}

AnsiString EncodeBmp(const QImage& source, bool thirtyTwo) {
  const QImage img = source.convertToFormat(thirtyTwo ? QImage::Format_RGB32 : QImage::Format_BGR888);
  const uint32_t w = static_cast<uint32_t>(img.width()), h = static_cast<uint32_t>(img.height());
  const uint32_t bpp = thirtyTwo ? 32 : 24;
  const uint32_t stride = ((w * bpp + 31) / 32) * 4;
  const uint32_t imageSize = stride * h;
  AnsiString s;
  s.reserve(54 + imageSize);
  s += "BM";
  Put32(s, 54 + imageSize);
  Put32(s, 0);
  Put32(s, 54);
  Put32(s, 40);
  Put32(s, w);
  Put32(s, h);
  Put16(s, 1);
  Put16(s, static_cast<uint16_t>(bpp));
  Put32(s, 0);
  Put32(s, imageSize);
  Put32(s, 3780);  // 96 pixels per inch
  Put32(s, 3780);
  Put32(s, 0);
  Put32(s, 0);
  const size_t rowBytes = w * (bpp / 8);
  for (uint32_t y = h; y-- > 0;) {
    const char* row = reinterpret_cast<const char*>(img.constScanLine(static_cast<int>(y)));
    s.append(row, rowBytes);
    s.append(stride - rowBytes, '\0');
  }
  return s;
}

QImage::Format QtFormatOf(TPixelFormat f) {
  switch (f) {
    case pf1bit: return QImage::Format_Mono;
    case pf4bit:
    case pf8bit: return QImage::Format_Indexed8;
    case pf15bit: return QImage::Format_RGB555;
    case pf16bit: return QImage::Format_RGB16;
    case pf24bit: return QImage::Format_BGR888;
    default: return QImage::Format_RGB32;
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// TGraphic

TGraphic::~TGraphic() = default;

void TGraphic::SetTransparent(bool value) {
  if (value == FTransparent) return;
  FTransparent = value;
  Changed();
}

void TGraphic::Changed() {
  Modified = true;
  if (OnChange) OnChange(this);
}

void TGraphic::LoadFromStream(TStream& stream) {
  const Int64 start = stream.GetPosition();
  const AnsiString bytes = stream.ReadBytes(stream.Remaining());
  const size_t used = LoadFromBytes(bytes.data(), bytes.size());
  stream.SetPosition(start + static_cast<Int64>(used));
}

void TGraphic::SaveToStream(TStream& stream) const { stream.WriteBytes(SaveToBytes()); }

void TGraphic::LoadFromFile(const String& fileName) {
  const AnsiString bytes = LoadBytesFromFile(fileName);
  LoadFromBytes(bytes.data(), bytes.size());
}

void TGraphic::SaveToFile(const String& fileName) const { SaveBytesAtomically(fileName, SaveToBytes()); }

// ---------------------------------------------------------------------------
// TBitmap

TBitmap::TBitmap() : FImage(std::make_unique<QImage>()) {}

TBitmap::TBitmap(Integer width, Integer height) : FImage(std::make_unique<QImage>()) { SetSize(width, height); }

TBitmap::~TBitmap() { FCanvas.reset(); }

void TBitmap::ReleaseCanvas() const {
  if (FCanvas) FCanvas->ReleaseHandle();
}

void TBitmap::Assign(const TPersistent* Source) {
  if (Source == this) return;
  if (Source == nullptr) {
    ReleaseCanvas();
    *FImage = QImage();
    FPixelFormat = pfDevice;
    Changed();
    return;
  }
  if (auto src = dynamic_cast<const TBitmap*>(Source)) {
    src->ReleaseCanvas();
    ReleaseCanvas();
    *FImage = src->FImage->copy();
    FPixelFormat = src->FPixelFormat;
    FTransparent = src->FTransparent;
    FTransparentMode = src->FTransparentMode;
    FTransparentColor = src->FTransparentColor;
    IgnorePalette = src->IgnorePalette;
    Changed();
    return;
  }
  if (auto g = dynamic_cast<const TGraphic*>(Source)) {
    ReleaseCanvas();
    const QImage img = g->ToImage();
    if (img.isNull()) {
      *FImage = QImage();
      FPixelFormat = pfDevice;
    } else if (img.hasAlphaChannel()) {
      // Transparent parts of icons come out white, as on a fresh bitmap.
      QImage flat(img.size(), QImage::Format_RGB32);
      flat.fill(Qt::white);
      QPainter p(&flat);
      p.drawImage(0, 0, img);
      p.end();
      *FImage = flat;
      FPixelFormat = pf32bit;
    } else if (img.format() == QImage::Format_Indexed8 || img.format() == QImage::Format_Grayscale8) {
      *FImage = img.convertToFormat(QImage::Format_Indexed8);
      FPixelFormat = pf8bit;
    } else {
      *FImage = img.convertToFormat(QImage::Format_BGR888);
      FPixelFormat = pf24bit;
    }
    Changed();
    return;
  }
  TGraphic::Assign(Source);
}

bool TBitmap::GetEmpty() const { return FImage->isNull() || FImage->width() == 0 || FImage->height() == 0; }
Integer TBitmap::GetWidth() const { return FImage->width(); }
Integer TBitmap::GetHeight() const { return FImage->height(); }
void TBitmap::SetWidth(Integer width) { SetSize(width, GetHeight()); }
void TBitmap::SetHeight(Integer height) { SetSize(GetWidth(), height); }

void TBitmap::SetSize(Integer width, Integer height) {
  width = std::max(0, width);
  height = std::max(0, height);
  if (width == FImage->width() && height == FImage->height() && !FImage->isNull()) return;
  ReleaseCanvas();
  if (width == 0 || height == 0) {
    *FImage = QImage();
    Changed();
    return;
  }
  if (static_cast<int64_t>(width) * height > MaxPixels) throw EOutOfResources("Out of system resources");
  QImage img(width, height, QtFormatOf(FPixelFormat));
  if (img.isNull()) throw EOutOfResources("Out of system resources");
  if (img.format() == QImage::Format_Indexed8 || img.format() == QImage::Format_Mono) {
    QList<QRgb> table = FImage->colorTable();
    if (table.isEmpty()) table = {qRgb(0, 0, 0), qRgb(255, 255, 255)};
    img.setColorTable(table);
    img.fill(static_cast<uint>(table.size() - 1));
  } else {
    img.fill(Qt::white);
  }
  if (!FImage->isNull()) {
    // The old pixels stay in the top-left corner.
    const int w = std::min(width, FImage->width()), h = std::min(height, FImage->height());
    if (img.format() == FImage->format()) {
      const int bpl = std::min(img.bytesPerLine(), FImage->bytesPerLine());
      for (int y = 0; y < h; ++y) std::memcpy(img.scanLine(y), FImage->constScanLine(y), static_cast<size_t>(bpl));
    } else {
      QPainter p(&img);
      p.drawImage(QPoint(0, 0), *FImage, QRect(0, 0, w, h));
    }
  }
  *FImage = img;
  Changed();
}

size_t TBitmap::LoadFromBytes(const char* data, size_t size) {
  const auto* p = reinterpret_cast<const uint8_t*>(data);
  if (size < 14 || p[0] != 'B' || p[1] != 'M') Bad();
  const uint32_t offBits = U32(p + 10);
  // The bits start where the header says when that lies after the colour
  // table; writers that leave the offset 0 put them right after it.
  TDecodedBmp bmp = DecodeDib(p + 14, size - 14, offBits >= 14 ? offBits - 14 : 0);
  ReleaseCanvas();
  *FImage = bmp.Image;
  FPixelFormat = bmp.Format;
  Changed();
  return 14 + bmp.Used;
}

bool TBitmap::LoadFromAnyImageFile(const String& fileName, int64_t maxPixels) {
  QImageReader reader(ToQ(fileName));
  return LoadFromImageReader(reader, maxPixels);
}

bool TBitmap::LoadFromAnyImageBytes(const AnsiString& bytes, const String& extension, int64_t maxPixels) {
  QByteArray data = QByteArray::fromRawData(bytes.data(), static_cast<qsizetype>(bytes.size()));
  QBuffer buffer(&data);
  buffer.open(QIODevice::ReadOnly);
  // By the content first, as a file is; by its extension where the content
  // tells nothing (a format without a mark of its own).
  QImageReader byContent(&buffer);
  if (byContent.size().isValid()) return LoadFromImageReader(byContent, maxPixels);
  String format = extension;
  if (!format.empty() && format[0] == '.') format.erase(0, 1);
  if (format.empty()) return false;
  buffer.seek(0);
  QImageReader byName(&buffer, QByteArray::fromStdString(LowerCase(format)));
  return LoadFromImageReader(byName, maxPixels);
}

bool TBitmap::LoadFromImageReader(QImageReader& reader, int64_t maxPixels) {
  const QSize size = reader.size();
  if (!size.isValid() || static_cast<int64_t>(size.width()) * size.height() > maxPixels) return false;
  // The caller's pixel limit is the one that counts, not the toolkit's own
  // memory limit (which refuses large PNGs that a JPEG of the size passes):
  // room for 8 bytes a pixel, the widest format a decoder gives.
  // The limit is the toolkit's for every reader: raised for this one, then
  // put back.
  const int64_t mebibytes = static_cast<int64_t>(size.width()) * size.height() * 8 / (1 << 20) + 1;
  const int previous = QImageReader::allocationLimit();
  QImageReader::setAllocationLimit(std::max(previous, static_cast<int>(std::min<int64_t>(mebibytes, INT32_MAX))));
  QImage image;
  const bool read = reader.read(&image);
  QImageReader::setAllocationLimit(previous);
  if (!read || image.isNull()) return false;
  SetImage(image);
  return true;
}

void TBitmap::LoadFromDIB(const char* data, size_t size) {
  TDecodedBmp bmp = DecodeDib(reinterpret_cast<const uint8_t*>(data), size, 0);
  ReleaseCanvas();
  *FImage = bmp.Image;
  FPixelFormat = bmp.Format;
  Changed();
}

AnsiString TBitmap::SaveToBytes() const {
  ReleaseCanvas();
  if (GetEmpty()) return AnsiString();
  return EncodeBmp(*FImage, FPixelFormat == pf32bit);
}

AnsiString TBitmap::SaveToPNGBytes() const {
  ReleaseCanvas();
  if (GetEmpty()) return AnsiString();
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!FImage->save(&buffer, "PNG")) return AnsiString();
  return AnsiString(bytes.constData(), static_cast<size_t>(bytes.size()));
}

QImage TBitmap::ToImage() const {
  ReleaseCanvas();
  return *FImage;
}

void TBitmap::Draw(TCanvas& canvas, const TRect& r) {
  if (GetEmpty()) return;
  ReleaseCanvas();
  if (!FTransparent) {
    canvas.DrawImage(r, *FImage, TRect(0, 0, FImage->width(), FImage->height()));
    return;
  }
  // Pixels of the transparent colour let the background show.
  QImage masked = FImage->convertToFormat(QImage::Format_ARGB32);
  const TColor tc = ColorToRGB(GetTransparentColor());
  const QRgb key = qRgb(GetRValue(tc), GetGValue(tc), GetBValue(tc)) & 0x00FFFFFF;
  for (int y = 0; y < masked.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(masked.scanLine(y));
    for (int x = 0; x < masked.width(); ++x) {
      if ((row[x] & 0x00FFFFFF) == key) row[x] = 0;
    }
  }
  const TCopyMode saved = canvas.CopyMode;
  canvas.CopyMode = cmSrcCopy;
  canvas.DrawImage(r, masked, TRect(0, 0, masked.width(), masked.height()));
  canvas.CopyMode = saved;
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
  if (format == FPixelFormat) return;
  ReleaseCanvas();
  if (!FImage->isNull()) {
    *FImage = FImage->convertToFormat(QtFormatOf(format));
  }
  FPixelFormat = format;
  Changed();
}

void* TBitmap::ScanLine(Integer row) {
  ReleaseCanvas();
  if (row < 0 || row >= FImage->height()) throw EInvalidGraphic("Scan line index out of range");
  return FImage->scanLine(row);
}

TCanvas* TBitmap::Canvas() {
  ReleaseCanvas();
  // Painting needs a direct-colour image.
  if (FImage->format() == QImage::Format_Indexed8 || FImage->format() == QImage::Format_Mono ||
      FImage->format() == QImage::Format_MonoLSB) {
    *FImage = FImage->convertToFormat(QImage::Format_RGB32);
    FPixelFormat = pfDevice;
  }
  if (!FCanvas) FCanvas = std::make_unique<TCanvas>(static_cast<QPaintDevice*>(FImage.get()));
  return FCanvas.get();
}

TColor TBitmap::GetTransparentColor() const {
  if (FTransparentMode == tmFixed && FTransparentColor != clDefault) return FTransparentColor;
  if (GetEmpty()) return clDefault;
  ReleaseCanvas();
  const QRgb c = FImage->pixel(0, FImage->height() - 1);
  return RGB(qRed(c), qGreen(c), qBlue(c));
}

void TBitmap::SetTransparentColor(TColor color) {
  FTransparentColor = color;
  FTransparentMode = color == clDefault ? tmAuto : tmFixed;
  Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode mode) {
  if (mode == FTransparentMode) return;
  if (mode == tmAuto) {
    FTransparentColor = clDefault;
  } else if (FTransparentColor == clDefault) {
    FTransparentColor = GetTransparentColor();
  }
  FTransparentMode = mode;
  Changed();
}

const QImage& TBitmap::Image() const {
  ReleaseCanvas();
  return *FImage;
}

QImage& TBitmap::Image() {
  ReleaseCanvas();
  return *FImage;
}

void TBitmap::SetImage(const QImage& image) {
  ReleaseCanvas();
  switch (image.format()) {
    case QImage::Format_Mono: *FImage = image; FPixelFormat = pf1bit; break;
    case QImage::Format_Indexed8: *FImage = image; FPixelFormat = pf8bit; break;
    case QImage::Format_BGR888: *FImage = image; FPixelFormat = pf24bit; break;
    case QImage::Format_RGB32: *FImage = image; FPixelFormat = pf32bit; break;
    default:
      *FImage = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
      FPixelFormat = pf32bit;
      break;
  }
  Changed();
}

namespace {

// The colours 4 and 8-bit device-dependent bitmaps index: the sixteen
// standard colours, then (8 bits) a 6x6x6 colour cube and 24 greys.
QList<QRgb> StandardPalette(int bitsPerPixel) {
  static const QRgb sixteen[16] = {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
                                   qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
                                   qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
                                   qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
  QList<QRgb> table(std::begin(sixteen), std::end(sixteen));
  if (bitsPerPixel == 8) {
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 6; ++g)
        for (int b = 0; b < 6; ++b) table.push_back(qRgb(r * 51, g * 51, b * 51));
    for (int i = 0; i < 24; ++i) table.push_back(qRgb(8 + i * 10, 8 + i * 10, 8 + i * 10));
  }
  return table;
}

}  // namespace

void TBitmap::LoadFromDDB(Integer width, Integer height, Integer planes, Integer bitsPerPixel, const char* data,
                          size_t size, Integer widthBytes) {
  if (width <= 0 || height <= 0 || planes != 1 || static_cast<int64_t>(width) * height > MaxPixels) Bad();
  if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 24 && bitsPerPixel != 32) Bad();
  const size_t rowBits = static_cast<size_t>(width) * static_cast<size_t>(bitsPerPixel);
  const size_t minRow = (rowBits + 7) / 8;
  const size_t stride = widthBytes > 0 ? static_cast<size_t>(widthBytes) : ((rowBits + 15) / 16) * 2;
  if (stride < minRow) Bad();
  // The last row needs only its own bytes, not its padding.
  if (size < stride * static_cast<size_t>(height - 1) + minRow) Bad();
  const auto* bits = reinterpret_cast<const uint8_t*>(data);
  QImage img;
  TPixelFormat format;
  if (bitsPerPixel == 1) {
    img = QImage(width, height, QImage::Format_Mono);
    img.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    format = pf1bit;
  } else if (bitsPerPixel <= 8) {
    img = QImage(width, height, QImage::Format_Indexed8);
    QList<QRgb> table = StandardPalette(bitsPerPixel);
    while (table.size() < 256) table.push_back(qRgb(0, 0, 0));
    img.setColorTable(table);
    format = pf8bit;
  } else if (bitsPerPixel == 24) {
    img = QImage(width, height, QImage::Format_BGR888);
    format = pf24bit;
  } else {
    img = QImage(width, height, QImage::Format_RGB32);
    format = pf32bit;
  }
  if (img.isNull()) throw EOutOfResources("Out of system resources");
  for (int y = 0; y < height; ++y) {
    const uint8_t* s = bits + stride * static_cast<size_t>(y);
    uint8_t* d = img.scanLine(y);
    if (bitsPerPixel == 4) {
      for (int x = 0; x < width; ++x) d[x] = static_cast<uint8_t>(x % 2 == 0 ? s[x / 2] >> 4 : s[x / 2] & 0x0F);
    } else if (bitsPerPixel == 32) {
      auto* px = reinterpret_cast<QRgb*>(d);
      for (int x = 0; x < width; ++x) px[x] = U32(s + 4 * x) | 0xFF000000u;
    } else {
      std::memcpy(d, s, minRow);
    }
  }
  ReleaseCanvas();
  *FImage = img;
  FPixelFormat = format;
  Changed();
}

#include "platform/gui/Jpeg.h"

#include <QPainter>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" {
#include <jpeglib.h>
}

namespace {

// Pictures larger than this are refused rather than allocated.
constexpr int64_t MaxJpegPixels = int64_t{1} << 28;

// The library's default error handler ends the process; ours jumps back to
// the call with the message, and warnings (such as a premature end of data)
// are remembered instead of printed.
struct TJpegError {
  jpeg_error_mgr Mgr;
  jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
};

extern "C" void JpegErrorExit(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<TJpegError*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->Message);
  longjmp(err->Jump, 1);
}

extern "C" void JpegOutputMessage(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<TJpegError*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->Message);
}

void InitError(TJpegError& err) {
  jpeg_std_error(&err.Mgr);
  err.Mgr.error_exit = JpegErrorExit;
  err.Mgr.output_message = JpegOutputMessage;
  err.Message[0] = '\0';
}

enum TOutKind { okRgb, okGray, okIndexed, okCmyk };

// Where decoded rows go: filled by the caller once the size is known.
struct TDecodeTarget {
  void* Context;
  // Returns the first row and sets the distance between rows; nullptr when
  // the picture cannot be held.
  unsigned char* (*Allocate)(void* context, int width, int height, TOutKind kind, int colors,
                             JSAMPARRAY colormap, long* stride);
};

struct TJpegHeader {
  int Width = 0, Height = 0;
  bool Gray = false;
};

// Decodes (or with target nullptr only reads the header). Only C objects
// live in this frame, so the error jump skips no destructor. Returns 0 on
// success, 1 on an error, 2 on warnings (damaged or truncated data).
int DecodeJpeg(const unsigned char* data, size_t size, int scaleDenom, bool gray, bool quantize,
               const TDecodeTarget* target, TJpegHeader* header, char* message) {
  jpeg_decompress_struct cinfo;
  TJpegError err;
  InitError(err);
  cinfo.err = &err.Mgr;
  if (setjmp(err.Jump)) {
    std::strcpy(message, err.Message);
    jpeg_destroy_decompress(&cinfo);
    return 1;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
  jpeg_read_header(&cinfo, TRUE);
  header->Width = static_cast<int>(cinfo.image_width);
  header->Height = static_cast<int>(cinfo.image_height);
  header->Gray = cinfo.jpeg_color_space == JCS_GRAYSCALE;
  if (!target) {
    jpeg_destroy_decompress(&cinfo);
    return 0;
  }
  cinfo.scale_num = 1;
  cinfo.scale_denom = static_cast<unsigned int>(scaleDenom);
  TOutKind kind;
  if (gray || cinfo.jpeg_color_space == JCS_GRAYSCALE) {
    cinfo.out_color_space = JCS_GRAYSCALE;
    kind = okGray;
  } else if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
    cinfo.out_color_space = JCS_CMYK;
    kind = okCmyk;
  } else if (quantize) {
    cinfo.out_color_space = JCS_RGB;
    cinfo.quantize_colors = TRUE;
    cinfo.desired_number_of_colors = 256;
    cinfo.two_pass_quantize = TRUE;
    cinfo.dither_mode = JDITHER_FS;
    kind = okIndexed;
  } else {
    cinfo.out_color_space = JCS_EXT_BGRA;
    kind = okRgb;
  }
  jpeg_calc_output_dimensions(&cinfo);
  if (static_cast<int64_t>(cinfo.output_width) * cinfo.output_height > MaxJpegPixels) {
    std::strcpy(message, "JPEG image is too large");
    jpeg_destroy_decompress(&cinfo);
    return 1;
  }
  jpeg_start_decompress(&cinfo);
  long stride = 0;
  unsigned char* first =
      target->Allocate(target->Context, static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height),
                       kind, cinfo.actual_number_of_colors, cinfo.colormap, &stride);
  if (!first) {
    std::strcpy(message, "Out of memory for the JPEG image");
    jpeg_destroy_decompress(&cinfo);
    return 1;
  }
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = first + stride * static_cast<long>(cinfo.output_scanline);
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  const long warnings = err.Mgr.num_warnings;
  if (warnings > 0) std::strcpy(message, err.Message);
  jpeg_destroy_decompress(&cinfo);
  return warnings > 0 ? 2 : 0;
}

// Compresses rows of BGRX (components 4) or grey (components 1) pixels.
int EncodeJpeg(const unsigned char* first, long stride, int width, int height, int components, int quality,
               bool progressive, unsigned char** out, unsigned long* outSize, char* message) {
  jpeg_compress_struct cinfo;
  TJpegError err;
  InitError(err);
  cinfo.err = &err.Mgr;
  if (setjmp(err.Jump)) {
    std::strcpy(message, err.Message);
    jpeg_destroy_compress(&cinfo);
    return 1;
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, out, outSize);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = components;
  cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_EXT_BGRX;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  if (progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<unsigned char*>(first + stride * static_cast<long>(cinfo.next_scanline));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return 0;
}

struct TAllocContext {
  QImage Image;
  TOutKind Kind = okRgb;
};

unsigned char* AllocateImage(void* context, int width, int height, TOutKind kind, int colors, JSAMPARRAY colormap,
                             long* stride) {
  auto* ctx = static_cast<TAllocContext*>(context);
  ctx->Kind = kind;
  switch (kind) {
    case okRgb: ctx->Image = QImage(width, height, QImage::Format_RGB32); break;
    case okCmyk: ctx->Image = QImage(width, height, QImage::Format_RGB32); break;
    case okGray:
    case okIndexed: ctx->Image = QImage(width, height, QImage::Format_Indexed8); break;
  }
  if (ctx->Image.isNull()) return nullptr;
  if (kind == okGray) {
    QList<QRgb> table;
    for (int i = 0; i < 256; ++i) table.push_back(qRgb(i, i, i));
    ctx->Image.setColorTable(table);
  } else if (kind == okIndexed) {
    QList<QRgb> table;
    for (int i = 0; i < colors; ++i) table.push_back(qRgb(colormap[0][i], colormap[1][i], colormap[2][i]));
    while (table.size() < 256) table.push_back(qRgb(0, 0, 0));
    ctx->Image.setColorTable(table);
  }
  *stride = static_cast<long>(ctx->Image.bytesPerLine());
  return ctx->Image.scanLine(0);
}

// CMYK pixels (as decoded into 32-bit rows) to RGB. They are stored
// inverted, as the usual writers do: colour = ink * key.
void CmykToRgb(QImage& img) {
  for (int y = 0; y < img.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
    for (int x = 0; x < img.width(); ++x) {
      const auto* px = reinterpret_cast<const unsigned char*>(row + x);
      const unsigned c = px[0], m = px[1], ye = px[2], k = px[3];
      row[x] = qRgb(static_cast<int>(c * k / 255), static_cast<int>(m * k / 255), static_cast<int>(ye * k / 255));
    }
  }
}

int DenomOf(TJPEGScale scale) {
  switch (scale) {
    case jsHalf: return 2;
    case jsQuarter: return 4;
    case jsEighth: return 8;
    default: return 1;
  }
}

[[noreturn]] void Fail(const char* message) {
  throw EInvalidGraphic(String("JPEG error: ") + (message[0] ? message : "invalid data"));
}

}  // namespace

TJPEGImage::TJPEGImage() : FImage(std::make_unique<QImage>()) {}
TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::Assign(const TPersistent* Source) {
  if (Source == this) return;
  if (Source == nullptr) {
    FBytes.clear();
    *FImage = QImage();
    FImageValid = false;
    FNativeWidth = FNativeHeight = 0;
    Changed();
    return;
  }
  if (auto src = dynamic_cast<const TJPEGImage*>(Source)) {
    FBytes = src->FBytes;
    *FImage = *src->FImage;
    FImageValid = src->FImageValid;
    FNativeWidth = src->FNativeWidth;
    FNativeHeight = src->FNativeHeight;
    FNativeGray = src->FNativeGray;
    FScale = src->FScale;
    FPixelFormat = src->FPixelFormat;
    FGrayscale = src->FGrayscale;
    CompressionQuality = src->CompressionQuality;
    ProgressiveEncoding = src->ProgressiveEncoding;
    Changed();
    return;
  }
  if (auto g = dynamic_cast<const TGraphic*>(Source)) {
    const QImage img = g->ToImage();
    QImage flat;
    if (!img.isNull()) {
      flat = QImage(img.size(), QImage::Format_RGB32);
      flat.fill(Qt::white);
      QPainter p(&flat);
      p.drawImage(0, 0, img);
    }
    FBytes.clear();
    *FImage = flat;
    FImageValid = !flat.isNull();
    FNativeWidth = flat.width();
    FNativeHeight = flat.height();
    FNativeGray = false;
    FScale = jsFullSize;
    Changed();
    return;
  }
  TGraphic::Assign(Source);
}

bool TJPEGImage::GetEmpty() const { return FBytes.empty() && !FImageValid; }

Integer TJPEGImage::GetWidth() const {
  if (FImageValid) return FImage->width();
  const int d = DenomOf(FScale);
  return (FNativeWidth + d - 1) / d;
}

Integer TJPEGImage::GetHeight() const {
  if (FImageValid) return FImage->height();
  const int d = DenomOf(FScale);
  return (FNativeHeight + d - 1) / d;
}

size_t TJPEGImage::LoadFromBytes(const char* data, size_t size) {
  const auto* p = reinterpret_cast<const unsigned char*>(data);
  char message[JMSG_LENGTH_MAX] = "";
  if (size < 4 || p[0] != 0xFF || p[1] != 0xD8) Fail("Not a JPEG file: starts with no start-of-image marker");
  // Decode now, so that damaged data is reported when it is loaded.
  TAllocContext ctx;
  TDecodeTarget target{&ctx, &AllocateImage};
  TJpegHeader header;
  const int rc = DecodeJpeg(p, size, DenomOf(FScale), FGrayscale, FPixelFormat == jf8Bit, &target, &header, message);
  if (rc != 0) Fail(message);
  FBytes.assign(data, size);
  FNativeWidth = header.Width;
  FNativeHeight = header.Height;
  FNativeGray = header.Gray;
  *FImage = ctx.Image;
  FImageValid = true;
  if (ctx.Kind == okCmyk) CmykToRgb(*FImage);
  Changed();
  return size;
}

void TJPEGImage::Decode() const {
  if (FImageValid || FBytes.empty()) return;
  char message[JMSG_LENGTH_MAX] = "";
  TAllocContext ctx;
  TDecodeTarget target{&ctx, &AllocateImage};
  TJpegHeader header;
  const int rc = DecodeJpeg(reinterpret_cast<const unsigned char*>(FBytes.data()), FBytes.size(), DenomOf(FScale),
                            FGrayscale, FPixelFormat == jf8Bit, &target, &header, message);
  if (rc != 0) Fail(message);
  *FImage = ctx.Image;
  if (ctx.Kind == okCmyk) CmykToRgb(*FImage);
  FImageValid = true;
}

void TJPEGImage::DIBNeeded() const { Decode(); }

void TJPEGImage::JPEGNeeded() const {
  if (!FBytes.empty() || !FImageValid) return;
  const_cast<TJPEGImage*>(this)->Compress();
}

void TJPEGImage::Compress() {
  Decode();
  if (!FImageValid || FImage->isNull()) return;
  const bool gray = FGrayscale;
  const QImage src = FImage->convertToFormat(gray ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  char message[JMSG_LENGTH_MAX] = "";
  const int rc = EncodeJpeg(src.constScanLine(0), static_cast<long>(src.bytesPerLine()), src.width(), src.height(),
                            gray ? 1 : 4, std::clamp(CompressionQuality, 1, 100), ProgressiveEncoding, &out, &outSize,
                            message);
  if (rc != 0) {
    std::free(out);
    Fail(message);
  }
  FBytes.assign(reinterpret_cast<const char*>(out), outSize);
  std::free(out);
  FNativeWidth = src.width();
  FNativeHeight = src.height();
  FNativeGray = gray;
  FScale = jsFullSize;
  Changed();
}

AnsiString TJPEGImage::SaveToBytes() const {
  JPEGNeeded();
  return FBytes;
}

QImage TJPEGImage::ToImage() const {
  Decode();
  return *FImage;
}

void TJPEGImage::Draw(TCanvas& canvas, const TRect& r) {
  Decode();
  if (FImage->isNull()) return;
  canvas.DrawImage(r, *FImage, TRect(0, 0, FImage->width(), FImage->height()));
}

void TJPEGImage::SetScale(TJPEGScale scale) {
  if (scale == FScale) return;
  FScale = scale;
  if (!FBytes.empty()) FImageValid = false;
  Changed();
}

void TJPEGImage::SetPixelFormat(TJPEGPixelFormat format) {
  if (format == FPixelFormat) return;
  FPixelFormat = format;
  if (!FBytes.empty()) FImageValid = false;
  Changed();
}

void TJPEGImage::SetGrayscale(bool value) {
  if (value == FGrayscale) return;
  FGrayscale = value;
  if (!FBytes.empty()) FImageValid = false;
  Changed();
}

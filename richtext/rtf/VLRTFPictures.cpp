#include "richtext/rtf/VLRTFPictures.h"

#include "platform/gui/Jpeg.h"

#include <zlib.h>

#include <cstring>
#include <vector>

namespace {
constexpr int64_t MaxPngPixels = int64_t{1} << 24;

uint32_t BE32(const unsigned char* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

int Paeth(int a, int b, int c) {
  const int p = a + b - c;
  const int pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
  if (pa <= pb && pa <= pc) return a;
  return pb <= pc ? b : c;
}
}  // namespace

std::unique_ptr<TBitmap> RTFDecodePNG(const char* data, size_t size) {
  const auto* p = reinterpret_cast<const unsigned char*>(data);
  static const unsigned char sig[8] = {0x89, 'P', 'N', 'G', 13, 10, 26, 10};
  if (size < 8 || std::memcmp(p, sig, 8) != 0) return nullptr;
  uint32_t width = 0, height = 0;
  int depth = 0, colorType = -1;
  std::vector<unsigned char> idat, palette, trns;
  size_t pos = 8;
  bool ended = false;
  while (pos + 12 <= size) {
    const uint32_t len = BE32(p + pos);
    if (len > size - pos - 12) return nullptr;
    const unsigned char* type = p + pos + 4;
    const unsigned char* body = p + pos + 8;
    if (std::memcmp(type, "IHDR", 4) == 0) {
      if (len < 13) return nullptr;
      width = BE32(body);
      height = BE32(body + 4);
      depth = body[8];
      colorType = body[9];
      if (body[10] != 0 || body[11] != 0 || body[12] != 0) return nullptr;  // interlaced or unknown
    } else if (std::memcmp(type, "PLTE", 4) == 0) {
      palette.assign(body, body + len);
    } else if (std::memcmp(type, "tRNS", 4) == 0) {
      trns.assign(body, body + len);
    } else if (std::memcmp(type, "IDAT", 4) == 0) {
      if (idat.size() + len > (size_t{1} << 28)) return nullptr;
      idat.insert(idat.end(), body, body + len);
    } else if (std::memcmp(type, "IEND", 4) == 0) {
      ended = true;
      break;
    }
    pos += 12 + len;
  }
  (void)ended;
  if (width == 0 || height == 0 || static_cast<int64_t>(width) * height > MaxPngPixels) return nullptr;
  int channels;
  switch (colorType) {
    case 0: channels = 1; break;
    case 2: channels = 3; break;
    case 3: channels = 1; break;
    case 4: channels = 2; break;
    case 6: channels = 4; break;
    default: return nullptr;
  }
  const bool depthOk = depth == 8 || depth == 16 ||
                       ((colorType == 0 || colorType == 3) && (depth == 1 || depth == 2 || depth == 4));
  if (!depthOk || (colorType == 3 && (depth == 16 || palette.empty()))) return nullptr;
  const size_t bpp = static_cast<size_t>(std::max(1, channels * depth / 8));
  const size_t stride = (static_cast<size_t>(width) * channels * depth + 7) / 8;
  const size_t rawSize = (stride + 1) * height;
  std::vector<unsigned char> raw(rawSize);
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return nullptr;
  z.next_in = idat.data();
  z.avail_in = static_cast<uInt>(idat.size());
  z.next_out = raw.data();
  z.avail_out = static_cast<uInt>(raw.size());
  const int zr = inflate(&z, Z_FINISH);
  const size_t produced = raw.size() - z.avail_out;
  inflateEnd(&z);
  if ((zr != Z_STREAM_END && zr != Z_BUF_ERROR && zr != Z_OK) || produced < rawSize) return nullptr;

  std::vector<unsigned char> prev(stride, 0), cur(stride);
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf32bit);
  bitmap->SetSize(static_cast<Integer>(width), static_cast<Integer>(height));
  for (uint32_t y = 0; y < height; ++y) {
    const unsigned char* line = raw.data() + y * (stride + 1);
    const int filter = line[0];
    std::memcpy(cur.data(), line + 1, stride);
    for (size_t i = 0; i < stride; ++i) {
      const int a = i >= bpp ? cur[i - bpp] : 0, b = prev[i], c = i >= bpp ? prev[i - bpp] : 0;
      switch (filter) {
        case 0: break;
        case 1: cur[i] = static_cast<unsigned char>(cur[i] + a); break;
        case 2: cur[i] = static_cast<unsigned char>(cur[i] + b); break;
        case 3: cur[i] = static_cast<unsigned char>(cur[i] + ((a + b) >> 1)); break;
        case 4: cur[i] = static_cast<unsigned char>(cur[i] + Paeth(a, b, c)); break;
        default: return nullptr;
      }
    }
    auto* out = static_cast<unsigned char*>(bitmap->ScanLine(static_cast<Integer>(y)));
    const int step = depth == 16 ? 2 : 1;
    for (uint32_t x = 0; x < width; ++x) {
      unsigned char r, g, b, alpha = 255;
      if (depth < 8) {
        const size_t bit = static_cast<size_t>(x) * depth;
        const int v = (cur[bit / 8] >> (8 - depth - bit % 8)) & ((1 << depth) - 1);
        if (colorType == 3) {
          if (static_cast<size_t>(v) * 3 + 2 >= palette.size()) return nullptr;
          r = palette[v * 3]; g = palette[v * 3 + 1]; b = palette[v * 3 + 2];
          if (static_cast<size_t>(v) < trns.size()) alpha = trns[static_cast<size_t>(v)];
        } else {
          r = g = b = static_cast<unsigned char>(v * 255 / ((1 << depth) - 1));
        }
      } else {
        const unsigned char* px = cur.data() + static_cast<size_t>(x) * channels * step;
        switch (colorType) {
          case 0: r = g = b = px[0]; break;
          case 2: r = px[0]; g = px[step]; b = px[2 * step]; break;
          case 3:
            if (static_cast<size_t>(px[0]) * 3 + 2 >= palette.size()) return nullptr;
            r = palette[px[0] * 3]; g = palette[px[0] * 3 + 1]; b = palette[px[0] * 3 + 2];
            if (px[0] < trns.size()) alpha = trns[px[0]];
            break;
          case 4: r = g = b = px[0]; alpha = px[step]; break;
          default: r = px[0]; g = px[step]; b = px[2 * step]; alpha = px[3 * step]; break;
        }
      }
      // Transparent parts show on white, as on a page.
      auto over = [alpha](unsigned char c) {
        return static_cast<unsigned char>((c * alpha + 255 * (255 - alpha)) / 255);
      };
      out[x * 4] = over(b);
      out[x * 4 + 1] = over(g);
      out[x * 4 + 2] = over(r);
      out[x * 4 + 3] = 255;
    }
    std::swap(prev, cur);
  }
  return bitmap;
}

std::unique_ptr<TGraphic> RTFDecodePicture(TVLRTFPicture& picture, Integer pixelsPerInch) {
  const AnsiString& bytes = picture.Data.Bytes();
  if (bytes.empty()) return nullptr;
  try {
    switch (picture.Kind) {
      case 0: {
        auto m = std::make_unique<TMetafile>();
        m->LoadFromBytes(bytes);
        return m;
      }
      case 1:
        return RTFDecodePNG(bytes.data(), bytes.size());
      case 2: {
        auto j = std::make_unique<TJPEGImage>();
        j->LoadFromBytes(bytes);
        // Decoding now finds damage now, not when the picture is painted.
        j->DIBNeeded();
        if (j->GetWidth() <= 0 || j->GetHeight() <= 0) return nullptr;
        return j;
      }
      case 5: {
        auto m = std::make_unique<TMetafile>();
        m->LoadFromBytes(bytes);
        m->Enhanced = false;
        if (picture.PicW >= 1 && picture.PicH >= 1) {
          if (picture.MappingMode == 7 || picture.MappingMode == 8) {
            m->SetMMWidth(picture.PicW);
            m->SetMMHeight(picture.PicH);
            picture.PixelWidth = RTFRound(picture.PicW / 2540.0 * pixelsPerInch);
            picture.PixelHeight = RTFRound(picture.PicH / 2540.0 * pixelsPerInch);
          } else if (m->GetWidth() <= 0 || m->GetHeight() <= 0) {
            m->SetWidth(picture.PicW);
            m->SetHeight(picture.PicH);
          }
        }
        return m;
      }
      case 6: {
        auto b = std::make_unique<TBitmap>();
        b->LoadFromDIB(bytes.data(), bytes.size());
        return b;
      }
      case 7: {
        auto b = std::make_unique<TBitmap>();
        b->LoadFromDDB(picture.PicW, picture.PicH, picture.Planes, picture.BitsPerPixel, bytes.data(),
                       bytes.size(), picture.WidthBytes);
        return b;
      }
      default:
        return nullptr;
    }
  } catch (...) {
    return nullptr;
  }
}

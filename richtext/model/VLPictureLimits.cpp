#include "richtext/model/VLPictureLimits.h"

#include <algorithm>

namespace {

uint32_t LE16(const AnsiString& b, size_t p) {
  return static_cast<uint32_t>(static_cast<unsigned char>(b[p])) |
         static_cast<uint32_t>(static_cast<unsigned char>(b[p + 1])) << 8;
}
uint32_t LE32(const AnsiString& b, size_t p) { return LE16(b, p) | LE16(b, p + 2) << 16; }
uint32_t BE16(const AnsiString& b, size_t p) {
  return static_cast<uint32_t>(static_cast<unsigned char>(b[p])) << 8 |
         static_cast<uint32_t>(static_cast<unsigned char>(b[p + 1]));
}
uint32_t BE32(const AnsiString& b, size_t p) { return BE16(b, p) << 16 | BE16(b, p + 2); }

int64_t Abs32(uint32_t v) {
  const auto s = static_cast<int32_t>(v);
  return s < 0 ? -static_cast<int64_t>(s) : s;
}

// A device-independent bitmap header at pos: 12-byte core or 40+ bytes.
bool DibSize(const AnsiString& b, size_t pos, int64_t& w, int64_t& h) {
  if (b.size() < pos + 12) return false;
  const uint32_t headerSize = LE32(b, pos);
  if (headerSize == 12) {
    w = LE16(b, pos + 4);
    h = LE16(b, pos + 6);
    return true;
  }
  if (headerSize < 40 || b.size() < pos + 12) return false;
  w = Abs32(LE32(b, pos + 4));
  h = Abs32(LE32(b, pos + 8));
  return true;
}

bool PngSize(const AnsiString& b, size_t pos, int64_t& w, int64_t& h) {
  static const char Signature[] = "\x89PNG\r\n\x1a\n";
  if (b.size() < pos + 24 || b.compare(pos, 8, Signature, 8) != 0) return false;
  w = BE32(b, pos + 16);
  h = BE32(b, pos + 20);
  return true;
}

bool JpegSize(const AnsiString& b, int64_t& w, int64_t& h) {
  size_t p = 2;
  while (p + 4 <= b.size()) {
    if (static_cast<unsigned char>(b[p]) != 0xFF) return false;
    const auto marker = static_cast<unsigned char>(b[p + 1]);
    if (marker == 0xFF) {  // fill byte
      ++p;
      continue;
    }
    if (marker == 0xD8 || (marker >= 0xD0 && marker <= 0xD7) || marker == 0x01) {
      p += 2;
      continue;
    }
    if (marker == 0xD9 || marker == 0xDA) return false;  // no frame before the scan
    const size_t length = BE16(b, p + 2);
    const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      if (p + 9 > b.size()) return false;
      h = BE16(b, p + 5);
      w = BE16(b, p + 7);
      return true;
    }
    if (length < 2) return false;
    p += 2 + length;
  }
  return false;
}

bool IconSize(const AnsiString& b, int64_t& w, int64_t& h) {
  if (b.size() < 6 || LE16(b, 0) != 0 || LE16(b, 2) != 1) return false;
  const size_t count = LE16(b, 4);
  bool any = false;
  int64_t best = -1;
  for (size_t i = 0; i < count && 6 + 16 * (i + 1) <= b.size(); ++i) {
    const size_t entry = 6 + 16 * i;
    int64_t ew = static_cast<unsigned char>(b[entry]), eh = static_cast<unsigned char>(b[entry + 1]);
    if (ew == 0) ew = 256;
    if (eh == 0) eh = 256;
    const size_t offset = LE32(b, entry + 12);
    int64_t iw = 0, ih = 0;
    // The image's own header rules over the directory's byte-sized entry.
    if (offset < b.size() && (PngSize(b, offset, iw, ih) || DibSize(b, offset, iw, ih))) {
      ew = std::max(ew, iw);
      eh = std::max(eh, ih);
    }
    if (ew * eh > best) {
      best = ew * eh;
      w = ew;
      h = eh;
      any = true;
    }
  }
  return any;
}

}  // namespace

bool VLPictureClaimedSize(const AnsiString& bytes, int64_t& width, int64_t& height) {
  width = height = 0;
  if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return DibSize(bytes, 14, width, height);
  if (bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xD8)
    return JpegSize(bytes, width, height);
  if (PngSize(bytes, 0, width, height)) return true;
  return IconSize(bytes, width, height);
}

bool VLPictureWithinLimits(const AnsiString& bytes) {
  int64_t w = 0, h = 0;
  if (!VLPictureClaimedSize(bytes, w, h)) return true;
  const int64_t pixels = w * h;  // both below 2^32
  if (pixels > VLMaxPicturePixels) return false;
  return pixels <= VLFreePicturePixels + static_cast<int64_t>(bytes.size()) * VLMaxPixelsPerByte;
}

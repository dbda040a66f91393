#pragma once
// How large a picture from a document may be before it is decoded. Picture
// data in an entry, a pasted block or a dropped file are untrusted: a
// compressed bitmap of a kilobyte can claim a quarter of a gigapixel. The
// size is read from the data's header and weighed against the data itself.
#include "platform/base/Types.h"

#include <cstdint>

// No picture of more pixels than this is decoded, whatever its data.
inline constexpr int64_t VLMaxPicturePixels = 100'000'000;
// Pictures up to this many pixels are decoded whatever their data size.
inline constexpr int64_t VLFreePicturePixels = int64_t{1} << 22;
// Beyond that, the pixels a picture may claim per byte of its data: well
// above what real bitmaps and photographs reach (blank areas included).
inline constexpr int64_t VLMaxPixelsPerByte = 1024;

// The width and height that the data of a bitmap, JPEG or icon claim (for an
// icon, its largest image); false when the header tells no size.
bool VLPictureClaimedSize(const AnsiString& bytes, int64_t& width, int64_t& height);

// True when the data may be decoded: they claim no size (the decoder then
// judges them), or a size within the limits above for their length.
bool VLPictureWithinLimits(const AnsiString& bytes);

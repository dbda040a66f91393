#pragma once
// Turns the data of an RTF picture into a graphic: PNG and JPEG pictures,
// device-independent and device-dependent bitmaps are decoded; metafiles are
// kept as their bytes (shown as placeholders at their size). Every decoder
// checks its lengths; damaged data gives nullptr, never a read outside it.
#include "platform/gui/Graphics.h"
#include "richtext/rtf/VLRTFRecords.h"

#include <memory>

// The graphic of the picture, nullptr when it cannot be decoded.
std::unique_ptr<TGraphic> RTFDecodePicture(TVLRTFPicture& picture, Integer pixelsPerInch);

// A PNG file into a 32-bit bitmap; nullptr for damaged, interlaced or
// oversized pictures.
std::unique_ptr<TBitmap> RTFDecodePNG(const char* data, size_t size);

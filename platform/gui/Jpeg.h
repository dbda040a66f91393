#pragma once
// JPEG pictures over libjpeg-turbo. The file bytes are kept as loaded and
// written back unchanged unless the picture is compressed again (after an
// Assign from a bitmap, or Compress). Decoding honours Scale, PixelFormat
// (jf8Bit quantises to 256 colours) and Grayscale; damaged or truncated data
// raises EInvalidGraphic.
#include "platform/gui/Graphics.h"

enum TJPEGScale { jsFullSize, jsHalf, jsQuarter, jsEighth };
enum TJPEGPixelFormat { jf24Bit, jf8Bit };

class TJPEGImage : public TGraphic {
public:
  TJPEGImage();
  ~TJPEGImage() override;

  // From a TJPEGImage: its bytes and settings. From any other graphic (a
  // bitmap): its pixels, compressed when the bytes are next needed.
  void Assign(const TPersistent* Source) override;
  bool GetEmpty() const override;
  Integer GetWidth() const override;
  Integer GetHeight() const override;
  // JPEG pictures take their size from their data.
  void SetWidth(Integer) override {}
  void SetHeight(Integer) override {}
  size_t LoadFromBytes(const char* data, size_t size) override;
  using TGraphic::LoadFromBytes;
  AnsiString SaveToBytes() const override;
  void Draw(TCanvas& canvas, const TRect& r) override;
  // The decoded picture (at Scale).
  QImage ToImage() const override;

  TJPEGScale GetScale() const { return FScale; }
  void SetScale(TJPEGScale scale);
  TJPEGPixelFormat GetPixelFormat() const { return FPixelFormat; }
  void SetPixelFormat(TJPEGPixelFormat format);
  bool GetGrayscale() const { return FGrayscale; }
  void SetGrayscale(bool value);
  // 1..100, used when compressing.
  Integer CompressionQuality = 90;
  bool ProgressiveEncoding = false;

  // Compresses the pixels into new bytes (with CompressionQuality).
  void Compress();
  // Makes sure the pixels (DIBNeeded) or the bytes (JPEGNeeded) exist.
  void DIBNeeded() const;
  void JPEGNeeded() const;
  // The stored bytes (after JPEGNeeded).
  const AnsiString& Bytes() const { return FBytes; }
  // The picture's full size as stored, whatever the Scale.
  Integer NativeWidth() const { return FNativeWidth; }
  Integer NativeHeight() const { return FNativeHeight; }

private:
  void Decode() const;
  mutable AnsiString FBytes;
  std::unique_ptr<QImage> FImage;
  mutable bool FImageValid = false;
  Integer FNativeWidth = 0;
  Integer FNativeHeight = 0;
  bool FNativeGray = false;
  TJPEGScale FScale = jsFullSize;
  TJPEGPixelFormat FPixelFormat = jf24Bit;
  bool FGrayscale = false;
};

#pragma once
// The fundamental value types every library shares.
#include <cstdint>
#include <string>

using Integer = int32_t;
using Cardinal = uint32_t;
using Word = uint16_t;
using Byte = uint8_t;
using Int64 = int64_t;

// 8-bit text in some code page, or raw bytes (item text, RTF, VLF).
using AnsiString = std::string;
// UTF-16 text.
using WideString = std::u16string;
// Captions, messages and file names: UTF-8.
using String = std::string;

// 0x00BBGGRR; system colours have the top byte 0xFF (or 0x80 in the class
// library's own numbering, kept where files store it).
using TColor = int32_t;

// Days since 1899-12-30, the fraction being the time of day.
using TDateTime = double;

constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;
constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;

// Root of the class hierarchies that hold untyped object references (string
// list objects, tree node data, collection items).
class TObject {
public:
  virtual ~TObject() = default;
  // The class name the error messages show ("TFontInfo"), from the dynamic type.
  String ClassName() const;
};

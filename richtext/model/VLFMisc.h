#pragma once
// Encoding primitives of VLF: line writing with the right terminator, the
// hexadecimal and length-prefixed binary forms, pictures in both forms, and
// the token readers and writers of record header lines.
#include "platform/base/Types.h"

#include <unordered_map>

class TStream;
class TMemoryStream;
class TGraphic;
class TVLStyle;
class TCustomVLData;
class TCustomVLInfos;

// ---------------------------------------------------------------------------
// Writing

void VLFWrite(TStream& stream, const AnsiString& s);
// s, then CR LF.
void VLFWriteLine(TStream& stream, const AnsiString& s);
// unicode && hexUnicode: s in hexadecimal + CR LF; unicode only: the raw bytes
// + 29 20 (U+2029); neither: s + CR LF.
void VLFWriteTextLine(TStream& stream, const AnsiString& s, bool unicode, bool hexUnicode);
// A 32-bit little-endian length followed by the bytes.
void VLFWriteBinary(TStream& stream, const AnsiString& data);

AnsiString VLFStringToHex(const AnsiString& s);
AnsiString VLFStreamToHex(TMemoryStream& stream);
// False for an odd length (stream untouched) or at the first bad pair (the
// bytes before it are filled).
bool VLFHexToStream(const AnsiString& h, TMemoryStream& stream);
// Empty for an odd length; decoded up to the first bad pair.
AnsiString VLFHexToString(const AnsiString& h);
// Strict form: false for an odd length or any bad pair.
bool VLFTryHexToString(const AnsiString& h, AnsiString& s);
AnsiString VLFWideToHex(const WideString& w);
WideString VLFHexToWide(const AnsiString& h);

// CR becomes byte 01 and LF byte 02 (and back), so a string stays one line.
AnsiString VLFEncodeLineBreaks(const AnsiString& s);
AnsiString VLFDecodeLineBreaks(const AnsiString& s);
// The same, keeping every byte: a string that holds bytes 01 or 02 of its
// own, a NUL (which ends a line) or the escape byte 10 has those written as
// 10 followed by "1", "2", "0" or 10. A string without any of them is
// written exactly as VLFEncodeLineBreaks writes it.
AnsiString VLFEncodeOneLine(const AnsiString& s);
AnsiString VLFDecodeOneLine(const AnsiString& s);

// Tags: integer, or an owned string under string tags (empty = none).
// String tags: the text quoted (inner quotes doubled), "0" for none or empty;
// integer tags: decimal.
AnsiString VLFSaveTag(bool tagsArePChars, Integer intTag, const AnsiString& strTag);
AnsiString VLFQuote(const AnsiString& s);

// A style reference: the quoted StyleName when useStyleNames and styleNo is
// a style of the sheet, else the number.
AnsiString VLFSaveTextStyleRef(TVLStyle* style, bool useStyleNames, Integer styleNo);
AnsiString VLFSaveParaStyleRef(TVLStyle* style, bool useStyleNames, Integer paraNo);

// Pictures in their own stream format, as hexadecimal text or as a
// length-prefixed binary block.
AnsiString VLFSavePictureHex(const TGraphic& graphic);
void VLFSavePictureBinary(TStream& stream, const TGraphic& graphic);
// False for malformed hexadecimal; the graphic's own load raises
// EInvalidGraphic for data that is not of its format.
bool VLFLoadPictureHex(const AnsiString& h, TGraphic& graphic);
void VLFLoadPictureRaw(const AnsiString& s, TGraphic& graphic);
// Reads the length and that many bytes (EReadError when the stream holds
// fewer).
void VLFLoadPictureBinary(TStream& stream, TGraphic& graphic);

// ---------------------------------------------------------------------------
// Reading header tokens. Each reader advances p through a NUL-terminated line
// and skips one space after its token.

bool VLFReadWord(const char*& p, AnsiString& s);
// Decimal with an optional leading "-"; a lone "-" is 0. False (p unchanged)
// unless the first byte is "-" or a digit; false at any other byte, and on a
// value outside 32 bits.
bool VLFReadNumber(const char*& p, Integer& v);
// A double-quoted string with doubled inner quotes; without a leading quote,
// the rest of the line.
bool VLFReadQuotedString(const char*& p, AnsiString& s);
// The tag token: quoted (when allowed and present) or a word. String tags: an
// unquoted "0" is no tag (hasString false). Integer tags: decimal, false when
// it does not convert.
bool VLFReadTagToken(const char*& p, bool tagsArePChars, bool quotedAllowed, Integer& intTag,
                     AnsiString& strTag, bool& hasString);

// An integer, or a quoted name looked up by StyleName (0 when no style has
// it; true in that case too).
bool VLFReadTextStyleRef(TVLStyle* style, const char*& p, Integer& no);
bool VLFReadParaStyleRef(TVLStyle* style, const char*& p, Integer& no);

// Style numbers by StyleName (the first style of each name, 0 for a name
// no style has), so that a reader resolves every quoted reference without
// going through the styles. Built on first use and again when the
// collection's size changes; Invalidate after styles are replaced.
class TVLFStyleNameIndex {
public:
  Integer Find(TCustomVLInfos* infos, const AnsiString& name);
  void Invalidate() { FInfos = nullptr; }

private:
  TCustomVLInfos* FInfos = nullptr;
  Integer FCount = -1;
  std::unordered_map<AnsiString, Integer> FNumbers;
};
bool VLFReadTextStyleRef(TVLStyle* style, const char*& p, Integer& no, TVLFStyleNameIndex& index);
bool VLFReadParaStyleRef(TVLStyle* style, const char*& p, Integer& no, TVLFStyleNameIndex& index);

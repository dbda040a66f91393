#pragma once
// Routines the writers and items share: text escaping for HTML and RTF,
// colours and print colour modes, and screen/device scaling.
#include "platform/base/Types.h"
#include "platform/gui/GfxColors.h"
#include "richtext/model/VLStyle.h"

class TStream;

// ---------------------------------------------------------------------------
// Text

// Each tab of 8-bit text becomes spacesCount blanks.
AnsiString ReplaceTabs(const AnsiString& s, Integer spacesCount);
// The same on raw UTF-16LE text held in bytes.
AnsiString ReplaceTabsW(const AnsiString& s, Integer spacesCount);
// 1-based position of the first byte ch within count bytes; 0 when absent.
Integer ScanChar(const char* buffer, char ch, Integer count);
// Replaces every occurrence, continuing after the inserted text.
AnsiString ReplaceAllOnce(const AnsiString& s, const AnsiString& from, const AnsiString& to);
// s becomes t when empty, else s + " " + t.
void AddWithSpace(AnsiString& s, const AnsiString& t);
// Every NUL byte becomes "?".
void ReplaceNulChars(AnsiString& s);
AnsiString BackslashesToSlashes(const AnsiString& s);

enum TVLHintMode { vlhmHTML, vlhmRTF };
// The hint as an HTML title attribute or an RTF field switch; empty for no hint.
AnsiString FormatHint(TVLHintMode mode, const AnsiString& hint);

AnsiString MakeHTMLStr(const AnsiString& s, bool emptyToNbsp, bool htmlCode);
// HTML attribute value escaping (quotes, ampersands and angle brackets).
AnsiString MakeHTMLAttrStr(const AnsiString& s);
AnsiString MakeRTFStr(const AnsiString& s, bool rtfCode);
AnsiString MakeRTFName(const AnsiString& s);
AnsiString MakeRTFBookmarkName(const AnsiString& s);
// Raw UTF-16LE text as RTF: ASCII through MakeRTFStr, everything else as
// \u with, when duplicateUnicode, the 8-bit text in codePage after it.
AnsiString UnicodeRTFStr(const AnsiString& rawUnicode, Cardinal codePage, bool rtfCode,
                         bool duplicateUnicode);
void WriteUnicodeRTFStr(TStream& stream, const AnsiString& rawUnicode, Cardinal codePage,
                        bool rtfCode, bool duplicateUnicode);

// ---------------------------------------------------------------------------
// Colours



AnsiString ColorToHtml(TColor color);
AnsiString ColorToHtmlOrTransparent(TColor color);
AnsiString CharsetToHtmlName(Integer charset);
Integer ColorLuminance(TColor color);
TColor ColorToGray(TColor color);
TColor FixSystemColor(TColor color);
TColor ApplyColorModeFore(TColor color, TVLColorMode mode);
TColor ApplyColorModeBack(TColor color, TVLColorMode mode);
Integer FontSizeToHtml(Integer points);

// HTML font tags of a text style, absolute or relative to a base style.
AnsiString OpenFontTag(const TFontInfo& style, const TFontInfo& baseStyle, bool relative);
AnsiString CloseFontTag(const TFontInfo& style, const TFontInfo& baseStyle, bool relative);
AnsiString OpenFontTagForFont(const TFont& font, const TFontInfo& baseStyle);
AnsiString CloseFontTagForFont(const TFont& font, const TFontInfo& baseStyle);
// The CSS family of a font, quoted as given; the symbol fonts, whose text
// the web page writes as the characters it shows, as a generic family (a
// browser would draw those characters in the symbol face by its codes).
AnsiString VLCSSFontFamily(const String& name, const AnsiString& quoted);
AnsiString FontToCSS(const TFont& font);

// ---------------------------------------------------------------------------
// Scaling

// Screen pixels per inch X/Y, then device pixels per inch X/Y.
struct TVLResolution {
  Integer ScreenX = 96, ScreenY = 96, DeviceX = 96, DeviceY = 96;
};
Integer ScreenToDeviceX(Integer value, const TVLResolution& res);
Integer ScreenToDeviceY(Integer value, const TVLResolution& res);
Integer ScaleX(Integer value, const TVLResolution& res);
Integer ScaleY(Integer value, const TVLResolution& res);
void ScaleRect(TRect& rect, const TVLResolution& res);
bool PointInBox(Integer x, Integer y, Integer left, Integer top, Integer width, Integer height);

// Document lengths are pixels at 96 per inch; RTF uses twips (1440 per inch).
constexpr Integer VLScreenPixelsPerInch = 96;
Integer PixelsToTwips(Integer pixels, Integer pixelsPerInch = VLScreenPixelsPerInch);
Integer TwipsToPixels(Integer twips, Integer pixelsPerInch = VLScreenPixelsPerInch);

// HTML tags for the font styles of a missing from b: closing ones in reverse
// order (B, I, U, S nest in that order), opening ones in order.
AnsiString VLCloseFontStyleTags(TFontStyles a, TFontStyles b);
AnsiString VLOpenFontStyleTags(TFontStyles a, TFontStyles b);

#pragma once
// Colours: the system colours (top byte 0xFF, low byte the system colour
// index), their resolution to RGB, and the colour names that INI files and
// property streams use ("clRed", or "$00BBGGRR" for any other value).
#include "platform/base/Types.h"

#include <functional>

constexpr TColor SystemColor(int index) { return static_cast<TColor>(0xFF000000u | static_cast<uint32_t>(index)); }

constexpr TColor clScrollBar = SystemColor(0);
constexpr TColor clBackground = SystemColor(1);
constexpr TColor clActiveCaption = SystemColor(2);
constexpr TColor clInactiveCaption = SystemColor(3);
constexpr TColor clMenu = SystemColor(4);
constexpr TColor clWindow = SystemColor(5);
constexpr TColor clWindowFrame = SystemColor(6);
constexpr TColor clMenuText = SystemColor(7);
constexpr TColor clWindowText = SystemColor(8);
constexpr TColor clCaptionText = SystemColor(9);
constexpr TColor clActiveBorder = SystemColor(10);
constexpr TColor clInactiveBorder = SystemColor(11);
constexpr TColor clAppWorkSpace = SystemColor(12);
constexpr TColor clHighlight = SystemColor(13);
constexpr TColor clHighlightText = SystemColor(14);
constexpr TColor clBtnFace = SystemColor(15);
constexpr TColor clBtnShadow = SystemColor(16);
constexpr TColor clGrayText = SystemColor(17);
constexpr TColor clBtnText = SystemColor(18);
constexpr TColor clInactiveCaptionText = SystemColor(19);
constexpr TColor clBtnHighlight = SystemColor(20);
constexpr TColor cl3DDkShadow = SystemColor(21);
constexpr TColor cl3DLight = SystemColor(22);
constexpr TColor clInfoText = SystemColor(23);
constexpr TColor clInfoBk = SystemColor(24);
constexpr TColor clHotLight = SystemColor(26);
constexpr TColor clGradientActiveCaption = SystemColor(27);
constexpr TColor clGradientInactiveCaption = SystemColor(28);
constexpr TColor clMenuHighlight = SystemColor(29);
constexpr TColor clMenuBar = SystemColor(30);
constexpr int MaxSysColorIndex = 30;

constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;

constexpr bool IsSystemColor(TColor c) { return (static_cast<uint32_t>(c) & 0xFF000000u) == 0xFF000000u; }

// 0x00BBGGRR of any colour: system colours through the current palette (the
// application's when one runs, else a fixed classic scheme); clNone and
// clDefault pass through unchanged, as does any other value with a top byte.
TColor ColorToRGB(TColor color);
// The RGB of a system colour index in the fixed classic scheme (printing).
TColor FixedSysColor(int index);

constexpr Byte GetRValue(TColor c) { return static_cast<Byte>(c & 0xFF); }
constexpr Byte GetGValue(TColor c) { return static_cast<Byte>((c >> 8) & 0xFF); }
constexpr Byte GetBValue(TColor c) { return static_cast<Byte>((c >> 16) & 0xFF); }
constexpr TColor RGB(int r, int g, int b) {
  return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}

// "clRed", "clBtnFace", … for a named value, else "$" + eight hex digits.
String ColorToString(TColor color);
// A colour name (any case) or an integer ("$00FF0000", "255"); raises
// EConvertError for anything else.
TColor StringToColor(const String& s);
// False when s names no colour.
bool IdentToColor(const String& ident, TColor& color);
bool ColorToIdent(TColor color, String& ident);
// Every colour name with its value, in the table's order.
void GetColorValues(const std::function<void(const String& name)>& proc);

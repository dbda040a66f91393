#include "platform/gui/GfxColors.h"

#include "platform/base/SysUtils.h"
#include "platform/gui/GuiPrivate.h"

#include <QGuiApplication>
#include <QPalette>
#include <array>

namespace {

struct TColorName {
  TColor Value;
  const char* Name;
};

// The names INI files and streamed properties use, in the table's order.
constexpr std::array<TColorName, 52> ColorNames{{
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"},
    {clSkyBlue, "clSkyBlue"},
    {clCream, "clCream"},
    {clMedGray, "clMedGray"},
    {clActiveBorder, "clActiveBorder"},
    {clActiveCaption, "clActiveCaption"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clBackground, "clBackground"},
    {clBtnFace, "clBtnFace"},
    {clBtnHighlight, "clBtnHighlight"},
    {clBtnShadow, "clBtnShadow"},
    {clBtnText, "clBtnText"},
    {clCaptionText, "clCaptionText"},
    {clDefault, "clDefault"},
    {clGradientActiveCaption, "clGradientActiveCaption"},
    {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clGrayText, "clGrayText"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clHotLight, "clHotLight"},
    {clInactiveBorder, "clInactiveBorder"},
    {clInactiveCaption, "clInactiveCaption"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clInfoBk, "clInfoBk"},
    {clInfoText, "clInfoText"},
    {clMenu, "clMenu"},
    {clMenuBar, "clMenuBar"},
    {clMenuHighlight, "clMenuHighlight"},
    {clMenuText, "clMenuText"},
    {clNone, "clNone"},
    {clScrollBar, "clScrollBar"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clWindowText, "clWindowText"},
}};

// A plain light-grey desktop scheme, used when no application palette
// exists and for the roles a palette does not carry.
constexpr std::array<TColor, MaxSysColorIndex + 1> FixedScheme{{
    0xC8D0D4,  // scroll bar
    0xA56E3A,  // background
    0x6A240A,  // active caption
    0x808080,  // inactive caption
    0xC8D0D4,  // menu
    0xFFFFFF,  // window
    0x000000,  // window frame
    0x000000,  // menu text
    0x000000,  // window text
    0xFFFFFF,  // caption text
    0xC8D0D4,  // active border
    0xC8D0D4,  // inactive border
    0x808080,  // application work space
    0x6A240A,  // highlight
    0xFFFFFF,  // highlight text
    0xC8D0D4,  // button face
    0x808080,  // button shadow
    0x808080,  // grey text
    0x000000,  // button text
    0xC8D0D4,  // inactive caption text
    0xFFFFFF,  // button highlight
    0x404040,  // 3-D dark shadow
    0xC8D0D4,  // 3-D light
    0x000000,  // info text
    0xE1FFFF,  // info background
    0xB5B5B5,  // (unused)
    0x800000,  // hot light
    0xF0CAA6,  // gradient active caption
    0xC0C0C0,  // gradient inactive caption
    0x6A240A,  // menu highlight
    0xC8D0D4,  // menu bar
}};

bool PaletteColor(int index, TColor& out) {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return false;
  const QPalette pal = QGuiApplication::palette();
  QPalette::ColorGroup group = QPalette::Active;
  QPalette::ColorRole role;
  switch (index) {
    case 4: role = QPalette::Window; break;                       // menu
    case 5: role = QPalette::Base; break;                         // window
    case 7: role = QPalette::WindowText; break;                   // menu text
    case 8: role = QPalette::Text; break;                         // window text
    case 13: role = QPalette::Highlight; break;                   // highlight
    case 14: role = QPalette::HighlightedText; break;             // highlight text
    case 15: role = QPalette::Button; break;                      // button face
    case 16: role = QPalette::Mid; break;                         // button shadow
    case 17: role = QPalette::Text; group = QPalette::Disabled; break;  // grey text
    case 18: role = QPalette::ButtonText; break;                  // button text
    case 20: role = QPalette::Light; break;                       // button highlight
    case 21: role = QPalette::Shadow; break;                      // 3-D dark shadow
    case 22: role = QPalette::Midlight; break;                    // 3-D light
    case 23: role = QPalette::ToolTipText; break;                 // info text
    case 24: role = QPalette::ToolTipBase; break;                 // info background
    case 26: role = QPalette::Link; break;                        // hot light
    case 29: role = QPalette::Highlight; break;                   // menu highlight
    case 30: role = QPalette::Window; break;                      // menu bar
    default: return false;
  }
  out = FromQColor(pal.color(group, role));
  return true;
}

bool ParseHexColor(const String& s, TColor& out) {
  size_t i = 0;
  if (!s.empty() && s[0] == '$') {
    i = 1;
  } else if (s.size() > 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    i = 2;
  } else {
    return false;
  }
  if (i >= s.size() || s.size() - i > 8) return false;
  uint32_t v = 0;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    uint32_t d;
    if (c >= '0' && c <= '9') d = static_cast<uint32_t>(c - '0');
    else if (c >= 'a' && c <= 'f') d = static_cast<uint32_t>(c - 'a' + 10);
    else if (c >= 'A' && c <= 'F') d = static_cast<uint32_t>(c - 'A' + 10);
    else return false;
    v = (v << 4) | d;
  }
  out = static_cast<TColor>(v);
  return true;
}

}  // namespace

TColor FixedSysColor(int index) {
  if (index < 0 || index > MaxSysColorIndex) return clBlack;
  return FixedScheme[static_cast<size_t>(index)];
}

TColor ColorToRGB(TColor color) {
  if (!IsSystemColor(color)) return color;
  const int index = static_cast<int>(static_cast<uint32_t>(color) & 0xFF);
  TColor rgb;
  if (PaletteColor(index, rgb)) return rgb;
  return FixedSysColor(index);
}

bool ColorToIdent(TColor color, String& ident) {
  for (const auto& entry : ColorNames) {
    if (entry.Value == color) {
      ident = entry.Name;
      return true;
    }
  }
  return false;
}

bool IdentToColor(const String& ident, TColor& color) {
  for (const auto& entry : ColorNames) {
    if (SameText(ident, entry.Name)) {
      color = entry.Value;
      return true;
    }
  }
  return false;
}

String ColorToString(TColor color) {
  String name;
  if (ColorToIdent(color, name)) return name;
  return "$" + IntToHex(static_cast<uint32_t>(color), 8);
}

TColor StringToColor(const String& s) {
  TColor color;
  if (IdentToColor(s, color)) return color;
  const String t = Trim(s);
  if (ParseHexColor(t, color)) return color;
  Integer value;
  if (TryStrToInt(t, value)) return value;
  throw EConvertError("'" + s + "' is not a valid integer value");
}

void GetColorValues(const std::function<void(const String& name)>& proc) {
  for (const auto& entry : ColorNames) proc(entry.Name);
}

QColor QColorOf(TColor color) {
  const TColor rgb = ColorToRGB(color);
  return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

TColor FromQColor(const QColor& color) { return RGB(color.red(), color.green(), color.blue()); }

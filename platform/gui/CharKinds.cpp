#include "platform/gui/CharKinds.h"

#include <QChar>

bool IsWordCharacter(char32_t C) {
  switch (QChar::category(C)) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
    case QChar::Number_DecimalDigit:
      return !IsBlankCharacter(C);
    default:
      return false;
  }
}

bool IsBlankCharacter(char32_t C) {
  switch (QChar::category(C)) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Separator_Space:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
      return true;
    default:
      break;
  }
  // Variation selectors (a nonspacing mark that only picks a glyph), the
  // grapheme joiner, the Mongolian free variation selectors and the
  // fillers that Hangul and Braille draw as nothing.
  return (C >= 0xFE00 && C <= 0xFE0F) || (C >= 0xE0100 && C <= 0xE01EF) || (C >= 0x180B && C <= 0x180F) ||
         C == 0x034F || C == 0x115F || C == 0x1160 || C == 0x3164 || C == 0xFFA0 || C == 0x2800 ||
         C == 0x17B4 || C == 0x17B5;
}

bool IsNonSpacingMark(char32_t C) { return QChar::category(C) == QChar::Mark_NonSpacing; }

char32_t CodePointAt(const char16_t* Text, size_t Length, size_t I, size_t* Units) {
  const char16_t u = Text[I];
  if (QChar::isHighSurrogate(u) && I + 1 < Length && QChar::isLowSurrogate(Text[I + 1])) {
    if (Units) *Units = 2;
    return QChar::surrogateToUcs4(u, Text[I + 1]);
  }
  if (Units) *Units = 1;
  return u;
}

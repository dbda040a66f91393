#pragma once
// The reader's vocabulary: one entry per control word, looked up by exact,
// case-sensitive keyword.
#include "platform/base/Types.h"

#include <string_view>

enum TVLRTFKeywordKind : Byte {
  rtf_kw_Char, rtf_kw_WideChar, rtf_kw_Destination, rtf_kw_Property, rtf_kw_Special
};
enum TVLRTFAffects : Byte { rtf_af_Other, rtf_af_Char, rtf_af_Para };

struct TVLRTFsymbol {
  std::string_view Keyword;
  Integer DefaultValue;
  bool ForceDefault;
  TVLRTFKeywordKind Kind;
  Integer Id;
  TVLRTFAffects Affects;
};

// The entry of a keyword, nullptr for an unknown one.
const TVLRTFsymbol* FindRTFKeyword(std::string_view keyword);
// How many keywords the table holds.
Integer RTFKeywordCount();

// Destination codes of the destination keywords.
enum : Integer {
  rtf_dc_ShapePicture = 0, rtf_dc_NonShapePicture = 1, rtf_dc_Picture = 2, rtf_dc_Skip = 3,
  rtf_dc_FontTable = 4, rtf_dc_StyleSheet = 5, rtf_dc_ColorTable = 6, rtf_dc_ParaStyle = 7,
  rtf_dc_CharStyle = 8, rtf_dc_SectStyle = 9, rtf_dc_Field = 10, rtf_dc_FieldInst = 11,
  rtf_dc_FieldResult = 12, rtf_dc_NestTableProps = 13, rtf_dc_Header = 14, rtf_dc_Footer = 15,
  rtf_dc_TextAfter = 16, rtf_dc_TextBefore = 17, rtf_dc_Numbering = 18, rtf_dc_SectNumbering = 19,
  rtf_dc_ListTable = 20, rtf_dc_List = 21, rtf_dc_ListName = 22, rtf_dc_ListLevel = 23,
  rtf_dc_LevelText = 24, rtf_dc_LevelNumbers = 25, rtf_dc_OverrideTable = 26,
  rtf_dc_Override = 27, rtf_dc_OverrideLevel = 28, rtf_dc_Object = 29, rtf_dc_ObjectData = 30,
  rtf_dc_Result = 31
};

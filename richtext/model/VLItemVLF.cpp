#include "richtext/model/VLItemVLF.h"

#include "platform/base/Streams.h"
#include "richtext/model/VLFMisc.h"

void VLFWriteItemHeader(TStream& stream, TCustomVLData* vlData, TCustomVLItemInfo& item,
                        Integer lineCount, Integer paraNo, Integer saveMode) {
  TVLStyle* style = vlData ? vlData->GetStyle() : nullptr;
  const bool useNames = VLFOptionsOf(vlData).Contains(vlfoUseStyleNames);
  const bool tagsP = vlData && vlData->TagsArePChars();
  const AnsiString tag = tagsP ? (item.Tag.Str.empty() ? AnsiString("0") : VLFQuote(VLFEncodeOneLine(item.Tag.Str)))
                               : std::to_string(item.Tag.Int);
  VLFWriteLine(stream, std::to_string(item.StyleNo) + " " + std::to_string(lineCount) + " " +
                           VLFSaveParaStyleRef(style, useNames, paraNo) + " " +
                           std::to_string(VLFItemOptions(item.ItemOptions, false)) + " " +
                           std::to_string(saveMode) + " " + tag + " " + item.GetVLFParams(vlData));
}

void VLFAddWarning(TCustomVLData* vlData, TVLFWarning warning) {
  if (!vlData) return;
  TVLFWarnings w = vlData->GetVLFWarnings();
  w.Include(warning);
  vlData->SetVLFWarnings(w);
}

TVLFOptions VLFOptionsOf(TCustomVLData* vlData) { return vlData ? vlData->GetVLFOptions() : VLFDefaultOptions; }

void VLFWriteItemData(TStream& stream, bool binary, const AnsiString& bytes) {
  if (binary)
    VLFWriteBinary(stream, bytes);
  else
    VLFWriteLine(stream, VLFStringToHex(bytes));
}

bool VLFReadItemData(const AnsiString& line, Integer saveMode, AnsiString& bytes) {
  if (saveMode == 2) {
    bytes = line;
    return true;
  }
  return VLFTryHexToString(line, bytes);
}

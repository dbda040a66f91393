#pragma once
// A VLF record of a kind this build does not know (a table written by a
// later version, say), kept as the bytes it was read from so that the next
// save writes it back unchanged. It shows nothing and takes no room.
#include "richtext/model/VLItem.h"

// The style number of such an item; never written (the record keeps its
// own header).
inline constexpr Integer vlsKeptRecord = -0x7FFF;

class TVLKeptRecordItemInfo : public TVLNonTextItemInfo {
public:
  explicit TVLKeptRecordItemInfo(TCustomVLData* vlData) : TVLNonTextItemInfo(vlData) { StyleNo = vlsKeptRecord; }
  void Assign(const TPersistent* source) override;
  bool GetBoolValue(Integer prop) const override;
  void SaveVLF(TStream& stream, TCustomVLData* vlData, Integer itemNo, Integer paraNo, const AnsiString& name,
               bool continuesPara, bool forceSameAsPrev) override;

  // The header line (with its line end) and the data lines, as read.
  AnsiString Record;
};

#include "richtext/model/VLKeptRecord.h"

#include "platform/base/Streams.h"

void TVLKeptRecordItemInfo::Assign(const TPersistent* source) {
  if (auto src = dynamic_cast<const TVLKeptRecordItemInfo*>(source)) Record = src->Record;
  TVLNonTextItemInfo::Assign(source);
}

bool TVLKeptRecordItemInfo::GetBoolValue(Integer prop) const {
  // It has its content (1) but reads no lines itself (2): the reader keeps them.
  if (prop == 2) return false;
  return TVLNonTextItemInfo::GetBoolValue(prop);
}

void TVLKeptRecordItemInfo::SaveVLF(TStream& stream, TCustomVLData*, Integer, Integer, const AnsiString&, bool,
                                    bool) {
  stream.WriteBuffer(Record.data(), static_cast<Int64>(Record.size()));
}

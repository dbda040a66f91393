// Nested documents.
#include "richtext/view/VLItemFormattedData.h"

void TVLItemFormattedData::SetLayoutFlags(Word /*value*/) {
  throw EVellumError("This method is not supported for TVLItemFormattedData");
}

TCustomVLData* TVLItemFormattedData::GetRootData() {
  TCustomVLData* parent = GetParentData();
  return parent ? parent->GetRootData() : this;
}

TCustomVLData* TVLItemFormattedData::GetAbsoluteRootData() {
  TCustomVLData* parent = GetAbsoluteParentData();
  return parent ? parent->GetAbsoluteRootData() : this;
}

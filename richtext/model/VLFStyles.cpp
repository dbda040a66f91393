#include "richtext/model/VLFStyles.h"

#include "platform/base/PropStream.h"

namespace {

// The platform's collection streaming; damaged data is an answer of false.
bool FromBytes(const AnsiString& data, TCollection& styles) {
  if (data.empty() || data[0] != VLFCollectionMarker) return false;
  try {
    CollectionFromBytes(styles, data);
    return true;
  } catch (const Exception&) {
    return false;
  }
}

}  // namespace

AnsiString VLFTextStylesToBytes(TFontInfos& styles) { return CollectionToBytes(styles); }
AnsiString VLFParaStylesToBytes(TParaInfos& styles) { return CollectionToBytes(styles); }
AnsiString VLFListStylesToBytes(TVLListInfos& styles) { return CollectionToBytes(styles); }
bool VLFTextStylesFromBytes(const AnsiString& data, TFontInfos& styles) { return FromBytes(data, styles); }
bool VLFParaStylesFromBytes(const AnsiString& data, TParaInfos& styles) { return FromBytes(data, styles); }
bool VLFListStylesFromBytes(const AnsiString& data, TVLListInfos& styles) { return FromBytes(data, styles); }

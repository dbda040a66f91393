#pragma once
// The style collections as VLF document records carry them: the platform's
// collection streaming, which starts with the collection marker byte (14).
#include "richtext/model/VLStyle.h"

inline constexpr char VLFCollectionMarker = 14;

AnsiString VLFTextStylesToBytes(TFontInfos& styles);
AnsiString VLFParaStylesToBytes(TParaInfos& styles);
AnsiString VLFListStylesToBytes(TVLListInfos& styles);
// Read into an empty collection; false (the collection then holds what was
// read) for data that is not a collection or ends inside a style.
bool VLFTextStylesFromBytes(const AnsiString& data, TFontInfos& styles);
bool VLFParaStylesFromBytes(const AnsiString& data, TParaInfos& styles);
bool VLFListStylesFromBytes(const AnsiString& data, TVLListInfos& styles);

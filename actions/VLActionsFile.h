#pragma once
// The file formats the file commands offer: open-dialog filters and the way
// back from a chosen filter entry to its format.
#include "actions/VLActions.h"

#include <vector>

enum TvlFileImportFilter { ffiVLF, ffiRTF, ffiTextANSI, ffiTextUnicode, ffiTextAuto, ffiOfficeConverters };
using TvlFileImportFilterSet = TSet<TvlFileImportFilter>;

// The filter entries of the set in the fixed order VLF, RTF, text of
// detected encoding, 8-bit text, UTF-16 text; Formats receives each entry's
// format. No text converters are installed on this platform, so
// ffiOfficeConverters adds nothing.
String BuildOpenFilter(TvlFileImportFilterSet Filter, std::vector<TvlFileImportFilter>& Formats);
// The format of a zero-based filter index; false for an index with none.
bool ImportFilterIndexToFormat(const std::vector<TvlFileImportFilter>& Formats, int Index,
                               TvlFileImportFilter& Format);

#pragma once
// What the item classes share when they write and read their own VLF
// records: the record header and the reader's warnings.
#include "richtext/model/VLData.h"

class TStream;

// The header line of an item record: style number, line count, paragraph
// reference (-1 continues the paragraph), options, save mode, tag and the
// item's own parameters.
void VLFWriteItemHeader(TStream& stream, TCustomVLData* vlData, TCustomVLItemInfo& item,
                        Integer lineCount, Integer paraNo, Integer saveMode);
// Records a repair in the document's VLF warnings.
void VLFAddWarning(TCustomVLData* vlData, TVLFWarning warning);
// The document's VLF options (the defaults without a document).
TVLFOptions VLFOptionsOf(TCustomVLData* vlData);
// Writes a record's data line: binary under binary VLF, else hexadecimal.
void VLFWriteItemData(TStream& stream, bool binary, const AnsiString& bytes);
// Reads a record's data line as the save mode wrote it; false for bad
// hexadecimal text.
bool VLFReadItemData(const AnsiString& line, Integer saveMode, AnsiString& bytes);

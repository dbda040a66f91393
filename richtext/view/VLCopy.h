#pragma once
// Copying the selection to the clipboard: one content with VLF under our
// own type (a 4-byte little-endian length, then the VLF), RTF when a writer
// is registered, Unicode text and the picture of a selection that is exactly
// one picture. Only the VLF is written at once; the other formats are made
// from it when a reader first asks. Also the document's plain text.
#include "richtext/view/VLControlData.h"

// The name of the registered VLF clipboard format.
inline constexpr const char* VLFClipboardFormatName = "Vellum Format";
inline constexpr const char* RTFClipboardFormatName = "Rich Text Format";

// The text of the items a writer saves (the selection or the whole
// document): paragraphs and line breaks end with a line feed.
WideString VLDocumentText(TCustomVLData& data, bool selectionOnly);
// The selection as plain text (empty without a selection).
WideString VLGetSelText(TVLControlData& data);
// The picture of a selection that is exactly one picture item, else null.
TGraphic* VLGetSelectedImage(TVLControlData& data);
// The VLF clipboard block: the length of the VLF, then the VLF.
AnsiString VLMakeVLFBlock(const AnsiString& vlf);
// Puts the selection on the clipboard in every format the options ask for
// (OnCopy may add formats while the clipboard is open). False when copying
// is not enabled at all.
bool VLCopy(TVLControlData& data, TColor color);

// Appends plain text (UTF-8, any line ends) as paragraphs of styleNo/paraNo.
bool VLAddPlainText(TCustomVLData& data, const AnsiString& utf8, Integer styleNo, Integer paraNo,
                    bool asSingleParagraph);
// Writes a file through a temporary file renamed into place.
bool VLWriteFileReplacing(const String& fileName, const AnsiString& bytes);

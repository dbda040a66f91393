#pragma once
// Copying the selection to the clipboard: one content with VLF under our
// own type (a 4-byte little-endian length, then the VLF), RTF with a web page
// beside it (links keep their addresses in both), Unicode text and the
// picture of a selection that is exactly one picture. Only the VLF is written
// at once; the others are made from it when a reader first asks.
#include "richtext/view/VLControlData.h"

#include <functional>

// The name of the registered VLF clipboard format.
inline constexpr const char* VLFClipboardFormatName = "Vellum Format";
inline constexpr const char* RTFClipboardFormatName = "Rich Text Format";

// The plain text of the selection (or of the whole document) as the
// document's text writer makes it.
WideString VLDocumentText(TCustomVLData& data, bool selectionOnly, bool markers = true);
// The selection as plain text (empty without a selection).
// The selected text as editing reads it: without list markers. A copy
// (markers true) shows them, as the clipboard's plain text does.
WideString VLGetSelText(TVLControlData& data, bool markers = false);
// The picture of a selection that is exactly one picture item, else null.
TGraphic* VLGetSelectedImage(TVLControlData& data);
// The VLF clipboard block: the length of the VLF, then the VLF.
AnsiString VLMakeVLFBlock(const AnsiString& vlf);
// The VLF of a block from the clipboard or a drag: the length says how much
// of the rest is the document. False when it claims more than the block has
// (or less than nothing): the block comes from any program.
bool VLReadVLFBlock(const AnsiString& block, AnsiString& vlf);
// Where the formats of a selection go: the clipboard or a drag.
struct TVLTransferTarget {
  std::function<void(Word format, const AnsiString& bytes)> SetData;
  std::function<void(Word format, std::function<AnsiString()> render)> SetLazyData;
  std::function<void(const TGraphic& graphic)> SetPicture;
};
// The selection in the formats the options ask for: the VLF block at once,
// text, RTF and the web page made from it when first read, the picture of a one-picture
// selection. False without a selection.
bool VLPutSelection(TVLControlData& data, TColor color, const TVLTransferTarget& target);
// Puts the selection on the clipboard in every format the options ask for
// (OnCopy may add formats while the clipboard is open). False when copying
// is not enabled at all.
bool VLCopy(TVLControlData& data, TColor color);

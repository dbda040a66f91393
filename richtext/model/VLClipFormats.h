#pragma once
// The four clipboard formats of rich text, registered once when the program
// starts, in the order "Vellum Format", "Rich Text Format",
// "UniformResourceLocator", "HTML Format". Each travels as a MIME type
// (application/x-vellum-format, text/rtf, text/uri-list, text/html).
#include "platform/base/Types.h"

// VLF data: copy, paste, drag and drop between views.
Word ClipboardFormatVLF();
// RTF data.
Word ClipboardFormatRTF();
// The HTML source of pasted HTML.
Word ClipboardFormatHTML();
// A dropped link.
Word ClipboardFormatURL();

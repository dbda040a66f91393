#include "richtext/model/VLClipFormats.h"

#include "platform/gui/Clipbrd.h"

namespace {

struct TFormats {
  Word VLF, RTF, URL, HTML;
};

const TFormats& Formats() {
  static const TFormats formats = [] {
    TFormats f{};
    f.VLF = RegisterClipboardFormat("Vellum Format");
    f.RTF = RegisterClipboardFormat("Rich Text Format");
    f.URL = RegisterClipboardFormat("UniformResourceLocator");
    f.HTML = RegisterClipboardFormat("HTML Format");
    return f;
  }();
  return formats;
}

// Registered when the program starts, before any view asks.
[[maybe_unused]] const TFormats& Registered = Formats();

}  // namespace

Word ClipboardFormatVLF() { return Formats().VLF; }
Word ClipboardFormatRTF() { return Formats().RTF; }
Word ClipboardFormatHTML() { return Formats().HTML; }
Word ClipboardFormatURL() { return Formats().URL; }

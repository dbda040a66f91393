#pragma once
// The clipboard. Each format is a MIME type: the standard ones map to the
// toolkit's text and image types; registered names get a type of their own
// ("Vellum Format" -> application/x-vellum-format). Between Open and Close
// every format set goes out together as one clipboard content.
#include "platform/base/Types.h"

#include <functional>
#include <memory>
#include <vector>

class TGraphic;
class TBitmap;
class QMimeData;

constexpr Word CF_TEXT = 1;
constexpr Word CF_BITMAP = 2;
constexpr Word CF_METAFILEPICT = 3;
constexpr Word CF_DIB = 8;
constexpr Word CF_UNICODETEXT = 13;
constexpr Word CF_ENHMETAFILE = 14;
constexpr Word CF_HDROP = 15;

// The same id for the same name (without case) for the whole run, in the
// order of registration from 0xC000 on; 0 for an empty name.
Word RegisterClipboardFormat(const String& name);
// The MIME type a format travels as (empty for an unknown id).
String ClipboardFormatMimeType(Word format);
String ClipboardFormatName(Word format);

class TClipboard {
public:
  // selection: the X primary selection (what is selected is pasted by the
  // middle button) instead of the clipboard.
  explicit TClipboard(bool selection = false);
  ~TClipboard();
  // Whether the platform has a selection clipboard at all (X11 does).
  bool Available() const;

  // Groups the formats set until the matching Close into one content.
  void Open();
  void Close();
  void Clear();

  bool HasFormat(Word format) const;
  // The formats on the clipboard, standard and registered, that we know.
  std::vector<Word> Formats() const;

  // Text in UTF-8 (CF_TEXT) and as UTF-16 (CF_UNICODETEXT): one text format.
  String GetAsText() const;
  void SetAsText(const String& text);
  WideString GetAsUnicodeText() const;
  void SetAsUnicodeText(const WideString& text);

  // The bytes of a format (registered formats: exactly what was set).
  AnsiString GetData(Word format) const;
  void SetData(Word format, const AnsiString& bytes);
  // Offers format without its bytes: render makes them when a reader first
  // asks (render must not depend on anything that may change or go).
  void SetLazyData(Word format, std::function<AnsiString()> render);

  // Pictures.
  bool HasPicture() const { return HasFormat(CF_BITMAP); }
  // False when the clipboard holds no picture.
  bool GetBitmap(TBitmap& bitmap) const;
  void Assign(const TGraphic& graphic);

  // The content being built between Open and Close (the program may add
  // formats to it directly); null when not open.
  QMimeData* PendingData() const;
  // What a paste reads: the pending content while open, else the clipboard's.
  const QMimeData* Contents() const;

private:
  QMimeData* Target();
  const QMimeData* Current() const;
  void Commit(std::unique_ptr<QMimeData> data);
  bool FSelection = false;
  int FOpenCount = 0;
  std::unique_ptr<QMimeData> FPending;
};

TClipboard& Clipboard();
// The primary selection; where the platform has none, setting it does
// nothing and it holds nothing.
TClipboard& PrimarySelection();

// Reading and writing formats of a QMimeData (the clipboard's and drags').
namespace clipformat {
bool Has(const QMimeData* data, Word format);
AnsiString Get(const QMimeData* data, Word format);
void Set(QMimeData* data, Word format, const AnsiString& bytes);
}  // namespace clipformat

#include "platform/gui/Clipbrd.h"

#include "platform/gui/LazyMimeDataPrivate.h"

#include "platform/gui/Graphics.h"
#include "platform/gui/QtText.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QUrl>
#include <cctype>
#include <mutex>

namespace {

struct TRegistered {
  String Name;
  String Mime;
};

std::mutex gFormatsMutex;
std::vector<TRegistered>& Registered() {
  static std::vector<TRegistered> formats;
  return formats;
}

constexpr Word kFirstRegistered = 0xC000;

String Lower(const String& s) {
  String out = s;
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

String MimeForName(const String& name) {
  static const std::pair<const char*, const char*> known[] = {
      {"vellum format", "application/x-vellum-format"},
      {"rich text format", "text/rtf"},
      {"html format", "text/html"},
      {"uniformresourcelocator", "text/uri-list"},
  };
  for (auto& [n, m] : known)
    if (Lower(name) == n) return m;
  String mime = "application/x-quillory-";
  for (char c : Lower(name)) mime += std::isalnum(static_cast<unsigned char>(c)) ? c : '-';
  return mime;
}

QByteArray Bytes(const AnsiString& s) { return QByteArray(s.data(), static_cast<qsizetype>(s.size())); }
AnsiString FromBytes(const QByteArray& b) { return AnsiString(b.constData(), static_cast<size_t>(b.size())); }

// A device-independent bitmap is a BMP file without its 14-byte file header.
constexpr qsizetype kBmpFileHeader = 14;

AnsiString ImageToDib(const QImage& image) {
  if (image.isNull()) return {};
  QByteArray bmp;
  QBuffer buffer(&bmp);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "BMP") || bmp.size() <= kBmpFileHeader) return {};
  return FromBytes(bmp.mid(kBmpFileHeader));
}

QImage DibToImage(const AnsiString& dib) {
  auto le32 = [&](size_t at) {
    return static_cast<uint32_t>(static_cast<unsigned char>(dib[at])) |
           static_cast<uint32_t>(static_cast<unsigned char>(dib[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(dib[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(dib[at + 3])) << 24;
  };
  if (dib.size() < 40) return {};
  const uint32_t headerSize = le32(0);
  if (headerSize < 40 || headerSize > dib.size()) return {};
  // The pixels follow the header, the colour masks of BI_BITFIELDS and the
  // palette.
  const uint32_t bits = static_cast<uint32_t>(static_cast<unsigned char>(dib[14])) |
                        static_cast<uint32_t>(static_cast<unsigned char>(dib[15])) << 8;
  const uint32_t compression = le32(16);
  uint32_t colours = le32(32);
  if (colours == 0 && bits <= 8) colours = 1u << bits;
  if (colours > 256) return {};
  const uint64_t masks = compression == 3 && headerSize == 40 ? 12 : 0;
  const uint64_t offset = kBmpFileHeader + headerSize + masks + uint64_t(colours) * 4;
  if (offset > dib.size() + kBmpFileHeader) return {};
  const uint64_t fileSize = dib.size() + kBmpFileHeader;
  QByteArray file("BM", 2);
  for (uint64_t v : {fileSize, uint64_t(0), offset})
    for (int i = 0; i < 4; ++i) file.append(static_cast<char>((v >> (8 * i)) & 0xFF));
  file.append(Bytes(dib));
  QImage image;
  image.loadFromData(file, "BMP");
  return image;
}

}  // namespace

Word RegisterClipboardFormat(const String& name) {
  if (name.empty()) return 0;
  std::lock_guard<std::mutex> lock(gFormatsMutex);
  auto& formats = Registered();
  for (size_t i = 0; i < formats.size(); ++i)
    if (Lower(formats[i].Name) == Lower(name)) return static_cast<Word>(kFirstRegistered + i);
  formats.push_back({name, MimeForName(name)});
  return static_cast<Word>(kFirstRegistered + formats.size() - 1);
}

String ClipboardFormatMimeType(Word format) {
  switch (format) {
    case CF_TEXT:
    case CF_UNICODETEXT: return "text/plain";
    case CF_BITMAP:
    case CF_DIB: return "application/x-qt-image";
    case CF_HDROP: return "text/uri-list";
    default: break;
  }
  std::lock_guard<std::mutex> lock(gFormatsMutex);
  size_t i = static_cast<size_t>(format) - kFirstRegistered;
  if (format < kFirstRegistered || i >= Registered().size()) return {};
  return Registered()[i].Mime;
}

String ClipboardFormatName(Word format) {
  std::lock_guard<std::mutex> lock(gFormatsMutex);
  size_t i = static_cast<size_t>(format) - kFirstRegistered;
  if (format < kFirstRegistered || i >= Registered().size()) return {};
  return Registered()[i].Name;
}

namespace clipformat {

bool Has(const QMimeData* data, Word format) {
  if (!data) return false;
  switch (format) {
    case CF_TEXT:
    case CF_UNICODETEXT: return data->hasText();
    case CF_BITMAP:
    case CF_DIB: return data->hasImage();
    case CF_HDROP:
      for (const QUrl& u : data->urls())
        if (u.isLocalFile()) return true;
      return false;
    default: break;
  }
  String mime = ClipboardFormatMimeType(format);
  if (mime.empty()) return false;
  if (mime == "text/rtf") return data->hasFormat("text/rtf") || data->hasFormat("application/rtf");
  return data->hasFormat(ToQ(mime));
}

AnsiString Get(const QMimeData* data, Word format) {
  if (!data) return {};
  switch (format) {
    case CF_TEXT: return FromQ(data->text());
    case CF_UNICODETEXT: {
      std::u16string w = data->text().toStdU16String();
      return AnsiString(reinterpret_cast<const char*>(w.data()), w.size() * 2);
    }
    case CF_BITMAP:
    case CF_DIB: return data->hasImage() ? ImageToDib(qvariant_cast<QImage>(data->imageData())) : AnsiString();
    case CF_HDROP: {
      AnsiString out;
      for (const QUrl& u : data->urls())
        if (u.isLocalFile()) out += FromQ(u.toLocalFile()) + '\0';
      return out;
    }
    default: break;
  }
  String mime = ClipboardFormatMimeType(format);
  if (mime.empty()) return {};
  if (mime == "text/rtf" && !data->hasFormat("text/rtf")) return FromBytes(data->data("application/rtf"));
  return FromBytes(data->data(ToQ(mime)));
}

void Set(QMimeData* data, Word format, const AnsiString& bytes) {
  switch (format) {
    case CF_TEXT: data->setText(ToQ(bytes)); return;
    case CF_UNICODETEXT: {
      std::u16string w(bytes.size() / 2, u'\0');
      for (size_t i = 0; i < w.size(); ++i)
        w[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                     (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
      while (!w.empty() && w.back() == u'\0') w.pop_back();
      data->setText(QString::fromStdU16String(w));
      return;
    }
    case CF_BITMAP:
    case CF_DIB: {
      const QImage image = DibToImage(bytes);
      if (!image.isNull()) data->setImageData(image);
      return;
    }
    default: break;
  }
  String mime = ClipboardFormatMimeType(format);
  if (mime.empty()) return;
  data->setData(ToQ(mime), Bytes(bytes));
  // Other programs look for either name of rich text.
  if (mime == "text/rtf") data->setData("application/rtf", Bytes(bytes));
}

}  // namespace clipformat

// ---------------------------------------------------------------------------

TClipboard::TClipboard(bool selection) : FSelection(selection) {}
TClipboard::~TClipboard() = default;

TClipboard& Clipboard() {
  static TClipboard clipboard;
  return clipboard;
}

TClipboard& PrimarySelection() {
  static TClipboard selection(true);
  return selection;
}

bool TClipboard::Available() const {
  QClipboard* cb = QGuiApplication::clipboard();
  return cb && (!FSelection || cb->supportsSelection());
}

const QMimeData* TClipboard::Current() const {
  if (!Available()) return nullptr;
  return QGuiApplication::clipboard()->mimeData(FSelection ? QClipboard::Selection : QClipboard::Clipboard);
}

void TClipboard::Open() {
  if (FOpenCount++ == 0) FPending.reset();
}

void TClipboard::Close() {
  if (FOpenCount == 0) return;
  if (--FOpenCount == 0 && FPending) Commit(std::move(FPending));
}

QMimeData* TClipboard::PendingData() const { return FOpenCount > 0 ? FPending.get() : nullptr; }

const QMimeData* TClipboard::Contents() const { return FOpenCount > 0 && FPending ? FPending.get() : Current(); }

QMimeData* TClipboard::Target() {
  if (FOpenCount > 0) {
    // Setting while open builds on what was set since Open.
    if (!FPending) FPending = std::make_unique<TLazyMimeData>();
    return FPending.get();
  }
  return nullptr;
}

void TClipboard::SetLazyData(Word format, std::function<AnsiString()> render) {
  QMimeData* target = Target();
  std::unique_ptr<QMimeData> own;
  if (!target) {
    own = std::make_unique<TLazyMimeData>();
    target = own.get();
  }
  if (auto* lazy = dynamic_cast<TLazyMimeData*>(target))
    lazy->SetLazy(format, std::move(render));
  else
    clipformat::Set(target, format, render());
  if (own) Commit(std::move(own));
}

void TClipboard::Commit(std::unique_ptr<QMimeData> data) {
  if (Available())
    QGuiApplication::clipboard()->setMimeData(data.release(),
                                              FSelection ? QClipboard::Selection : QClipboard::Clipboard);
}

void TClipboard::Clear() {
  if (FOpenCount > 0) {
    FPending = std::make_unique<TLazyMimeData>();
    return;
  }
  Commit(std::make_unique<QMimeData>());
}

bool TClipboard::HasFormat(Word format) const {
  if (FOpenCount > 0 && FPending) return clipformat::Has(FPending.get(), format);
  return clipformat::Has(Current(), format);
}

std::vector<Word> TClipboard::Formats() const {
  std::vector<Word> out;
  std::vector<Word> candidates = {CF_TEXT, CF_UNICODETEXT, CF_BITMAP, CF_DIB, CF_HDROP};
  {
    std::lock_guard<std::mutex> lock(gFormatsMutex);
    for (size_t i = 0; i < Registered().size(); ++i) candidates.push_back(static_cast<Word>(kFirstRegistered + i));
  }
  for (Word f : candidates)
    if (HasFormat(f)) out.push_back(f);
  return out;
}

String TClipboard::GetAsText() const { return GetData(CF_TEXT); }

void TClipboard::SetAsText(const String& text) { SetData(CF_TEXT, text); }

WideString TClipboard::GetAsUnicodeText() const {
  const QMimeData* data = FOpenCount > 0 && FPending ? FPending.get() : Current();
  return data && data->hasText() ? data->text().toStdU16String() : WideString();
}

void TClipboard::SetAsUnicodeText(const WideString& text) {
  AnsiString bytes;
  for (char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  SetData(CF_UNICODETEXT, bytes);
}

AnsiString TClipboard::GetData(Word format) const {
  if (FOpenCount > 0 && FPending) return clipformat::Get(FPending.get(), format);
  return clipformat::Get(Current(), format);
}

void TClipboard::SetData(Word format, const AnsiString& bytes) {
  if (QMimeData* target = Target()) {
    clipformat::Set(target, format, bytes);
    return;
  }
  // A single format set outside Open replaces the whole content.
  auto data = std::make_unique<QMimeData>();
  clipformat::Set(data.get(), format, bytes);
  Commit(std::move(data));
}

bool TClipboard::GetBitmap(TBitmap& bitmap) const {
  const QMimeData* data = FOpenCount > 0 && FPending ? FPending.get() : Current();
  if (!data || !data->hasImage()) return false;
  QImage image = qvariant_cast<QImage>(data->imageData());
  if (image.isNull()) return false;
  bitmap.SetImage(image);
  return true;
}

void TClipboard::Assign(const TGraphic& graphic) {
  QImage image = graphic.ToImage();
  if (QMimeData* target = Target()) {
    target->setImageData(image);
    return;
  }
  auto data = std::make_unique<QMimeData>();
  data->setImageData(image);
  Commit(std::move(data));
}

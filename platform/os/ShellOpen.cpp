#include "platform/os/ShellOpen.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

namespace {
TUrlOpener& Opener() {
  static TUrlOpener opener;
  return opener;
}
}  // namespace

String ShellOpenTarget(const String& target) {
  QString text = QString::fromUtf8(target.data(), static_cast<qsizetype>(target.size())).trimmed();
  if (text.isEmpty()) return {};
  // A plain absolute path.
  if (text.startsWith('/')) {
    QFileInfo fi(text);
    return fi.exists() ? QUrl::fromLocalFile(fi.absoluteFilePath()).toString(QUrl::FullyEncoded).toStdString()
                       : String();
  }
  QUrl url(text, QUrl::StrictMode);
  if (!url.isValid()) return {};
  QString scheme = url.scheme().toLower();
  if (scheme == "http" || scheme == "https") {
    if (url.host().isEmpty()) return {};
    return url.toString(QUrl::FullyEncoded).toStdString();
  }
  if (scheme == "mailto") return url.path().isEmpty() ? String() : url.toString(QUrl::FullyEncoded).toStdString();
  if (scheme == "file") {
    if (!url.host().isEmpty() && url.host() != "localhost") return {};
    url.setHost(QString());  // else the local file reads as a network path
    QFileInfo fi(url.toLocalFile());
    if (!fi.exists()) return {};
    return QUrl::fromLocalFile(fi.absoluteFilePath()).toString(QUrl::FullyEncoded).toStdString();
  }
  return {};
}

bool ShellOpen(const String& target) {
  String url = ShellOpenTarget(target);
  if (url.empty()) return false;
  if (Opener()) return Opener()(url);
  return QDesktopServices::openUrl(QUrl(QString::fromStdString(url), QUrl::StrictMode));
}

TUrlOpener SetUrlOpener(TUrlOpener opener) {
  TUrlOpener old = std::move(Opener());
  Opener() = std::move(opener);
  return old;
}

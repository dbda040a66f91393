#include "platform/os/ShellOpen.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <QUrlQuery>

#include <sys/stat.h>

namespace {

TUrlOpener& Opener() {
  static TUrlOpener opener;
  return opener;
}

TLinkVerdict Refused(const char* reason) { return {TLinkDecision::Refuse, String(), String(), reason}; }

String Utf8(const QString& s) { return s.toUtf8().toStdString(); }

// Types a desktop starts as a program rather than showing (launchers,
// installers, archives it runs).
bool IsLauncherName(const QString& name) {
  static const char* const kinds[] = {".desktop", ".appimage", ".flatpakref", ".exe", ".msi",
                                      ".bat",     ".cmd",      ".com",        ".jar", ".run"};
  const QString lower = name.toLower();
  for (const char* kind : kinds)
    if (lower.endsWith(QLatin1String(kind))) return true;
  return false;
}

bool InPseudoFileSystem(const QString& path) {
  for (const char* root : {"/proc", "/sys", "/dev"}) {
    const QLatin1String r(root);
    if (path == r || path.startsWith(r + QLatin1Char('/'))) return true;
  }
  return false;
}

// An absolute local path: a regular file that is not a program, or a folder.
// Links are resolved first, so what is judged is what would be opened.
TLinkVerdict LocalTarget(const QString& path) {
  if (!QDir::isAbsolutePath(path)) return Refused("it is not a full path");
  const QString canonical = QFileInfo(path).canonicalFilePath();
  if (canonical.isEmpty()) return Refused("it does not exist");
  if (InPseudoFileSystem(canonical)) return Refused("it is a device or system file");
  struct stat st {};
  if (::stat(canonical.toLocal8Bit().constData(), &st) != 0) return Refused("it does not exist");
  if (S_ISREG(st.st_mode)) {
    if ((st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0 || IsLauncherName(canonical))
      return Refused("it is a program, which a link never starts");
  } else if (!S_ISDIR(st.st_mode)) {
    return Refused("it is neither a file nor a folder");
  }
  return {TLinkDecision::Ask, Utf8(QUrl::fromLocalFile(canonical).toString(QUrl::FullyEncoded)), Utf8(canonical), String()};
}

bool HasControlCharacters(const QString& text) {
  for (QChar c : text)
    if (c.unicode() < 0x20 || c.unicode() == 0x7F) return true;
  return false;
}

// A mail link may fill in a message but not attach files to it.
bool MailtoAttaches(const QUrl& url) {
  const QString path = url.path(QUrl::FullyDecoded);
  // A "?" or "&" hidden by encoding would become a parameter further on.
  if (path.contains('?') || path.contains('&')) return true;
  const auto items = QUrlQuery(url).queryItems(QUrl::FullyDecoded);
  for (const auto& [key, value] : items)
    if (key.trimmed().toLower().startsWith(QLatin1String("attach"))) return true;
  return false;
}

}  // namespace

TLinkVerdict ClassifyLinkTarget(const String& target) {
  const QString text = QString::fromUtf8(target.data(), static_cast<qsizetype>(target.size())).trimmed();
  if (text.isEmpty()) return Refused("the link is empty");
  if (HasControlCharacters(text)) return Refused("it holds control characters");
  if (text.startsWith('/')) {
    // Links are stored with their blanks as "%20": a path that names no file
    // as it stands is the file it names once decoded.
    if (!QFileInfo::exists(text)) {
      const QString decoded = QUrl::fromPercentEncoding(text.toUtf8());
      if (QFileInfo::exists(decoded)) return LocalTarget(decoded);
    }
    return LocalTarget(text);
  }
  QUrl url(text, QUrl::StrictMode);
  if (!url.isValid()) return Refused("it is not a valid address");
  const QString scheme = url.scheme().toLower();
  if (scheme == "http" || scheme == "https") {
    if (url.host().isEmpty()) return Refused("it names no web site");
    return {TLinkDecision::Open, Utf8(url.toString(QUrl::FullyEncoded)), String(), String()};
  }
  if (scheme == "mailto") {
    if (url.path().isEmpty()) return Refused("it names no mail address");
    if (MailtoAttaches(url)) return Refused("a mail link may not attach files");
    return {TLinkDecision::Open, Utf8(url.toString(QUrl::FullyEncoded)), String(), String()};
  }
  if (scheme == "file") {
    // Another host's file is a network path.
    if (!url.host().isEmpty() && url.host().toLower() != "localhost")
      return Refused("it is a file on another computer");
    url.setHost(QString());
    return LocalTarget(url.toLocalFile());
  }
  return Refused("only web, mail and file links are opened");
}

String ShellOpenTarget(const String& target) { return ClassifyLinkTarget(target).Url; }

bool ShellOpen(const String& target) {
  const String url = ShellOpenTarget(target);
  if (url.empty()) return false;
  if (Opener()) return Opener()(url);
  return QDesktopServices::openUrl(QUrl(QString::fromStdString(url), QUrl::StrictMode));
}

TUrlOpener SetUrlOpener(TUrlOpener opener) {
  TUrlOpener old = std::move(Opener());
  Opener() = std::move(opener);
  return old;
}

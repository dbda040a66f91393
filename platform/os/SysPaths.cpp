#include "platform/os/SysPaths.h"

#include "platform/base/SysUtils.h"

#include <QDir>
#include <QStandardPaths>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
String FromQ(const QString& s) { return s.toStdString(); }

String StripTrailingDelim(String s) {
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

String Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? String(v) : String();
}
}  // namespace

String GetLogonUserName() {
  String name;
  if (passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_name) name = pw->pw_name;
  if (name.empty()) name = Env("USER");
  return name.empty() ? "System" : name;
}

String GetDocumentsFolder() {
  String fromEnv = Env("XDG_DOCUMENTS_DIR");
  if (!fromEnv.empty()) return StripTrailingDelim(fromEnv);
  QString loc = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  if (!loc.isEmpty()) return StripTrailingDelim(FromQ(loc));
  return StripTrailingDelim(FromQ(QDir::homePath())) + "/Documents";
}

String GetTempFolder() { return StripTrailingDelim(FromQ(QDir::tempPath())); }

String GetConfigFolder() {
  String fromEnv = Env("XDG_CONFIG_HOME");
  if (!fromEnv.empty() && fromEnv[0] == '/') return StripTrailingDelim(fromEnv);
  return StripTrailingDelim(FromQ(QDir::homePath())) + "/.config";
}

bool IsPrivateFolder(const String& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid() &&
         (st.st_mode & 077) == 0;
}

namespace {

// Makes path (and missing parents) and answers whether it is a private folder.
bool MakePrivateFolder(const String& path) {
  std::error_code ec;
  fs::create_directories(fs::path(path).parent_path(), ec);
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
  return IsPrivateFolder(path);
}

}  // namespace

String GetRuntimeFolder(String* failure) {
  String fromEnv = StripTrailingDelim(Env("XDG_RUNTIME_DIR"));
  if (!fromEnv.empty() && fromEnv[0] == '/' && IsPrivateFolder(fromEnv)) return fromEnv;
  // The temporary folder is shared: a folder of our own inside it, which
  // nobody else may have made for us.
  const String own = GetTempFolder() + "/quillory-" + std::to_string(::geteuid());
  if (MakePrivateFolder(own)) return own;
  // Someone else took that name first (in a sticky folder this user cannot
  // remove it): a folder under the user's own state or cache folder.
  String state = StripTrailingDelim(Env("XDG_STATE_HOME"));
  if (state.empty() || state[0] != '/') state = StripTrailingDelim(FromQ(QDir::homePath())) + "/.cache";
  const String fallback = state + "/quillory-run-" + std::to_string(::geteuid());
  if (MakePrivateFolder(fallback)) return fallback;
  if (failure)
    *failure = "Neither " + own + " nor " + fallback +
               " is a private folder (owned by you, closed to everyone else), and neither can be "
               "made. Set XDG_RUNTIME_DIR to a private folder.";
  return {};
}

String GetProgramPath() {
  std::error_code ec;
  fs::path p = fs::read_symlink("/proc/self/exe", ec);
  return ec ? String() : p.string();
}

String FindProgramInPath(const String& name) {
  if (name.empty() || name.find('/') != String::npos) return String();
  const char* path = std::getenv("PATH");
  const String dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    const size_t end = std::min(dirs.find(':', start), dirs.size());
    const String dir = dirs.substr(start, end - start);
    start = end + 1;
    if (dir.empty()) continue;  // the working folder is never searched
    const String candidate = dir + "/" + name;
    struct stat st {};
    if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(candidate.c_str(), X_OK) == 0)
      return candidate;
  }
  return String();
}

String GetProgramFolder() {
  String exe = GetProgramPath();
  if (exe.empty()) return StripTrailingDelim(fs::current_path().string());
  return fs::path(exe).parent_path().string();
}

// The data folder as seen from the installed program's folder (set by the
// build from its install layout).
#ifndef QY_DATA_FROM_PROGRAM
#define QY_DATA_FROM_PROGRAM "../share/quillory"
#endif

String GetProgramDataFolder() {
  const String program = GetProgramFolder();
  std::error_code ec;
  const fs::path installed = fs::canonical(fs::path(program) / QY_DATA_FROM_PROGRAM, ec);
  if (!ec && fs::is_directory(installed, ec)) return installed.string();
  return program;
}

bool RestrictToOwner(const String& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return false;
  if (S_ISREG(st.st_mode)) return (st.st_mode & 0777) == 0600 || ::chmod(path.c_str(), 0600) == 0;
  if (!S_ISDIR(st.st_mode)) return true;
  bool ok = (st.st_mode & 0777) == 0700 || ::chmod(path.c_str(), 0700) == 0;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(path, ec))
    if (e.is_regular_file(ec) && !e.is_symlink(ec)) ok = RestrictToOwner(e.path().string()) && ok;
  return ok && !ec;
}

String LocalFileUrl(const String& path) {
  return FromQ(QUrl::fromLocalFile(QString::fromStdString(path)).toString(QUrl::FullyEncoded));
}

bool CopyFileOverwrite(const String& source, const String& dest) { return CopyFile(source, dest, false); }

#include "app/QYSettingsPaths.h"

#include "app/QYMain.h"

#include "platform/base/SysUtils.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Graphics.h"
#include "richtext/model/VLStyleIni.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace {

// A cover picture is a screen's worth of pixels; a file far larger would be
// read into memory whole.
constexpr Int64 kLargestPicture = Int64(64) << 20;

String Cause(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR: return SettingsPathMissing;
    case ELOOP: return "it is a symbolic link that leads round in a loop";
    case EACCES: return "it may not be read (permission denied)";
    default: return String("it cannot be read (") + std::strerror(error) + ")";
  }
}

}  // namespace

String SettingsPathProblem(const String& path, TSettingsPathKind kind) {
  if (Trim(path).empty()) return "no path is set";
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return Cause(errno);
  if (kind == TSettingsPathKind::Folder) {
    if (S_ISREG(st.st_mode)) return "it is a file, not a folder";
    if (S_ISFIFO(st.st_mode)) return "it is a named pipe, not a folder";
    if (!S_ISDIR(st.st_mode)) return "it is a device or socket, not a folder";
    if (::access(path.c_str(), R_OK | X_OK) != 0) return Cause(errno);
    return String();
  }
  if (S_ISDIR(st.st_mode)) return "it is a folder, not a file";
  if (S_ISFIFO(st.st_mode)) return "it is a named pipe, not a file";
  if (!S_ISREG(st.st_mode)) return "it is a device or socket, not a file";
  // Opened, not judged by the permission bits alone; a regular file never
  // blocks the open.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return Cause(errno);
  char first = 0;
  const ssize_t got = ::read(fd, &first, 1);
  const int readError = errno;
  ::close(fd);
  if (got < 0) return Cause(readError);
  if (got == 0 || st.st_size == 0) return "it is empty";
  if (kind == TSettingsPathKind::Picture && st.st_size > kLargestPicture)
    return "it is " + IntToStr(static_cast<Int64>(st.st_size) >> 20) + " MB long, larger than any picture it could be";
  if (kind == TSettingsPathKind::Styles && st.st_size > LargestSettingsFile)
    return "it is " + IntToStr(static_cast<Int64>(st.st_size) >> 20) + " MB long, larger than any styles file it could be";
  return String();
}

String LoadSettingsPicture(const String& path, TBitmap& bitmap) {
  const String problem = SettingsPathProblem(path, TSettingsPathKind::Picture);
  if (!problem.empty()) return problem;
  try {
    bitmap.LoadFromFile(path);
  } catch (const std::exception&) {
    return "it is no picture the program can show";
  }
  if (bitmap.GetEmpty()) return "it is no picture the program can show";
  return String();
}

void ReportSettingsPath(const String& setting, const String& path, const String& problem, const String& instead) {
  static std::set<std::tuple<String, String, String>> told;
  if (!told.insert({setting, path, problem}).second) return;
  MessageBox("The " + setting + " \"" + path + "\" cannot be used: " + problem + ".\r\n\r\n" + instead, "Quillory",
             MB_OK | MB_ICONWARNING);
}

bool LoadStylesFile(TVLStyle& style) {
  const String problem = SettingsPathProblem(StyleFilePath, TSettingsPathKind::Styles);
  if (problem.empty()) {
    try {
      VLStyleLoadINI(style, StyleFilePath, VLStyleSectionName);
      return true;
    } catch (const std::exception& e) {
      ReportSettingsPath("styles file", StyleFilePath, String("it cannot be read (") + e.what() + ")",
                         "The standard styles are used until the file can be read again.");
      return false;
    }
  }
  if (problem != SettingsPathMissing)
    ReportSettingsPath("styles file", StyleFilePath, problem,
                       "The standard styles are used until the file can be read again.");
  return false;
}

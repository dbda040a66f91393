#include "platform/os/Autostart.h"

#include "platform/os/SysPaths.h"

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace fs = std::filesystem;

String AutostartFolder() { return GetConfigFolder() + "/autostart"; }

String AutostartEntryPath(const String& name) { return AutostartFolder() + "/" + name + ".desktop"; }

bool AutostartEntryExists(const String& name) {
  std::error_code ec;
  fs::path p = AutostartEntryPath(name);
  if (!fs::is_regular_file(p, ec)) return false;
  std::ifstream in(p);
  String line;
  while (std::getline(in, line)) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    if (line == "Hidden=true") return false;
  }
  return true;
}

String DesktopExecArgument(const String& arg) {
  static const String reserved = " \t\n\"'\\><~|&;$*?#()`";
  bool quote = arg.empty() || arg.find_first_of(reserved) != String::npos;
  String quoted;
  if (quote) quoted += '"';
  for (char c : arg) {
    if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) quoted += '\\';
    quoted += c;
    if (c == '%') quoted += '%';
  }
  if (quote) quoted += '"';
  // The value itself is a string: its backslashes and control characters
  // are escaped once more.
  String value;
  for (char c : quoted) {
    switch (c) {
      case '\\': value += "\\\\"; break;
      case '\n': value += "\\n"; break;
      case '\t': value += "\\t"; break;
      case '\r': value += "\\r"; break;
      default: value += c;
    }
  }
  return value;
}

bool WriteAutostartEntry(const String& name, const String& displayName, const String& programPath) {
  std::error_code ec;
  fs::create_directories(AutostartFolder(), ec);
  fs::path target = AutostartEntryPath(name);
  fs::path temp = target;
  temp += ".tmp-" + std::to_string(::getpid());
  {
    std::ofstream out(temp, std::ios::trunc);
    if (!out) return false;
    String shownName;
    for (char c : displayName) shownName += (c == '\n' || c == '\r') ? ' ' : c;
    out << "[Desktop Entry]\n"
        << "Type=Application\n"
        << "Name=" << shownName << "\n"
        << "Exec=" << DesktopExecArgument(fs::absolute(programPath).string()) << "\n"
        << "Terminal=false\n"
        << "X-GNOME-Autostart-enabled=true\n";
    out.flush();
    if (!out) {
      fs::remove(temp, ec);
      return false;
    }
  }
  fs::rename(temp, target, ec);
  if (ec) fs::remove(temp, ec);
  return !ec;
}

bool RemoveAutostartEntry(const String& name) {
  std::error_code ec;
  fs::remove(AutostartEntryPath(name), ec);
  return !fs::exists(AutostartEntryPath(name), ec);
}

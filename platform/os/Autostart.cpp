#include "platform/os/Autostart.h"

#include "platform/base/Streams.h"
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
  bool mainGroup = false;
  auto trim = [](String s) {
    size_t b = s.find_first_not_of(" \t\r"), e = s.find_last_not_of(" \t\r");
    return b == String::npos ? String() : s.substr(b, e - b + 1);
  };
  while (std::getline(in, line)) {
    line = trim(line);
    if (!line.empty() && line[0] == '[') {
      mainGroup = line == "[Desktop Entry]";  // other groups' keys do not hide the entry
      continue;
    }
    size_t eq = line.find('=');
    // Blanks around "=" are not part of the key or value.
    if (mainGroup && eq != String::npos && trim(line.substr(0, eq)) == "Hidden" && trim(line.substr(eq + 1)) == "true")
      return false;
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
  String shownName;
  for (char c : displayName) shownName += (c == '\n' || c == '\r') ? ' ' : c;
  const String text = "[Desktop Entry]\n"
                      "Type=Application\n"
                      "Name=" + shownName + "\n"
                      "Exec=" + DesktopExecArgument(fs::absolute(programPath).string()) + "\n"
                      "Terminal=false\n"
                      "X-GNOME-Autostart-enabled=true\n";
  try {
    // Private like the program's other files (it names the program's path),
    // from its first byte.
    SaveBytesAtomically(AutostartEntryPath(name), text, true);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool RemoveAutostartEntry(const String& name) {
  std::error_code ec;
  fs::remove(AutostartEntryPath(name), ec);
  return !fs::exists(AutostartEntryPath(name), ec);
}

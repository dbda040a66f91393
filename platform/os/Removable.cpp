#include "platform/os/Removable.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Mount table fields escape blanks and backslashes as octal ("\040").
String Unescape(const String& s) {
  auto isOct = [](char c) { return c >= '0' && c <= '7'; };
  String out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() && isOct(s[i + 1]) && isOct(s[i + 2]) && isOct(s[i + 3])) {
      out += static_cast<char>((s[i + 1] - '0') * 64 + (s[i + 2] - '0') * 8 + (s[i + 3] - '0'));
      i += 3;
      continue;
    }
    out += s[i];
  }
  return out;
}

struct TMount {
  String Point;
  String Device;  // "major:minor"
};

bool Covers(const String& mount, const String& path) {
  if (mount == "/") return true;
  return path == mount || (path.size() > mount.size() && path.compare(0, mount.size(), mount) == 0 &&
                           path[mount.size()] == '/');
}

bool FindMount(const String& path, const String& procRoot, TMount& found) {
  std::error_code ec;
  // Resolve as much of the path as exists (a backup folder may not exist yet).
  fs::path p = fs::absolute(path, ec);
  fs::path probe = p;
  while (!probe.empty() && !fs::exists(probe, ec)) probe = probe.parent_path();
  fs::path resolved = probe.empty() ? p : fs::weakly_canonical(p, ec);
  String target = resolved.lexically_normal().string();
  if (target.size() > 1 && target.back() == '/') target.pop_back();

  std::ifstream in(procRoot + "/self/mountinfo");
  String line;
  bool any = false;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    String id, parent, dev, root, point;
    if (!(fields >> id >> parent >> dev >> root >> point)) continue;
    point = Unescape(point);
    // The last matching longest mount wins (later mounts hide earlier ones).
    if (Covers(point, target) && (!any || point.size() >= found.Point.size())) {
      found = {point, dev};
      any = true;
    }
  }
  return any;
}

bool ReadFlag(const fs::path& file) {
  std::ifstream in(file);
  int v = 0;
  return (in >> v) && v != 0;
}

}  // namespace

String MountPointOf(const String& path, const String& procRoot) {
  TMount m;
  return FindMount(path, procRoot, m) ? m.Point : String();
}

bool IsOnRemovableMedia(const String& path, const String& procRoot, const String& sysRoot) {
  TMount m;
  if (!FindMount(path, procRoot, m)) return false;
  std::error_code ec;
  fs::path dev = fs::canonical(fs::path(sysRoot) / "dev/block" / m.Device, ec);
  if (ec) return false;  // not a block device (tmpfs, network, overlay)
  // A partition has no flag of its own; its disk is the parent folder.
  for (fs::path d = dev; !d.empty() && d != d.root_path(); d = d.parent_path()) {
    if (fs::exists(d / "removable", ec)) return ReadFlag(d / "removable");
    if (d.filename() == "block") break;
  }
  return false;
}

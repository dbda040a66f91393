#include "platform/os/FolderMacros.h"

#include "platform/os/SysPaths.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace {
String Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? String(v) : String();
}

String Home() {
  String h = Env("HOME");
  if (h.empty()) {
    if (passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_dir) h = pw->pw_dir;
  }
  while (h.size() > 1 && h.back() == '/') h.pop_back();
  return h;
}

String XdgFolder(const char* var, const char* fallback) {
  String v = Env(var);
  while (v.size() > 1 && v.back() == '/') v.pop_back();
  if (!v.empty() && v[0] == '/') return v;
  String h = Home();
  return h.empty() ? String() : h + fallback;
}
}  // namespace

bool ExpandEnvironmentStrings(const String& S, String& Result, size_t MaxLength) {
  String out;
  size_t i = 0;
  while (i < S.size()) {
    size_t close = S[i] == '%' ? S.find('%', i + 1) : String::npos;
    if (close != String::npos && close > i + 1) {
      String name = S.substr(i + 1, close - i - 1);
      if (const char* v = std::getenv(name.c_str())) {
        out += v;
        i = close + 1;
        continue;
      }
      // Unknown: keep "%NAME" and read on from the second "%", which may
      // open the next macro.
      out.append(S, i, close - i);
      i = close;
      continue;
    }
    out += S[i++];
  }
  if (out.size() > MaxLength) {
    Result = S;
    return false;
  }
  Result = std::move(out);
  return true;
}

String GetDataFolder() { return XdgFolder("XDG_DATA_HOME", "/.local/share"); }

String GetUserConfigFolder() { return XdgFolder("XDG_CONFIG_HOME", "/.config"); }

String GetLoginName() {
  String name;
  if (passwd* pw = ::getpwuid(::geteuid()); pw && pw->pw_name) name = pw->pw_name;
  if (name.empty()) name = Env("USER");
  return name;
}

String GetProgramName() {
  String p = GetProgramPath();
  auto slash = p.find_last_of('/');
  if (slash != String::npos) p = p.substr(slash + 1);
  auto dot = p.find_last_of('.');
  if (dot != String::npos && dot > 0) p = p.substr(0, dot);
  return p;
}

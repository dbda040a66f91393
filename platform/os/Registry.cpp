#include "platform/os/Registry.h"

#include "platform/base/SysUtils.h"
#include "platform/os/SysPaths.h"

#include <algorithm>
#include <fstream>

namespace {

// "a\\b\" -> "a\b": no empty parts, no leading or trailing delimiter.
String NormalizePath(const String& path) {
  String out;
  for (char c : path) {
    if (c == '/') c = '\\';
    if (c == '\\' && (out.empty() || out.back() == '\\')) continue;
    out += c;
  }
  if (!out.empty() && out.back() == '\\') out.pop_back();
  return out;
}

bool ParseRoot(const String& name, HKEY& root) {
  const std::pair<const char*, HKEY> roots[] = {
      {"hkey_current_user", HKEY_CURRENT_USER}, {"hkcu", HKEY_CURRENT_USER},
      {"hkey_local_machine", HKEY_LOCAL_MACHINE}, {"hklm", HKEY_LOCAL_MACHINE},
      {"hkey_classes_root", HKEY_CLASSES_ROOT}, {"hkey_users", HKEY_USERS}};
  for (auto& [n, r] : roots)
    if (LowerCase(name) == n) {
      root = r;
      return true;
    }
  return false;
}

}  // namespace

String TRegistry::DefaultFile() { return GetConfigFolder() + "/quillory/registry.ini"; }

TRegistry::TRegistry() { Load(DefaultFile()); }
TRegistry::TRegistry(const String& iniPath) { Load(iniPath); }

void TRegistry::Load(const String& iniPath) {
  std::ifstream in(iniPath, std::ios::binary);
  String line;
  TSection* current = nullptr;
  bool first = true;
  while (std::getline(in, line)) {
    // Editors may start the file with a UTF-8 byte-order mark.
    if (first && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    first = false;
    line = Trim(line);
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line.front() == '[' && line.back() == ']') {
      String full = NormalizePath(line.substr(1, line.size() - 2));
      size_t cut = full.find('\\');
      HKEY root;
      current = nullptr;
      if (!ParseRoot(full.substr(0, cut), root)) continue;  // not a key of ours
      String path = cut == String::npos ? String() : full.substr(cut + 1);
      for (auto& [r, s] : FSections)
        if (r == root && SameText(s.Path, path)) current = &s;
      if (!current) {
        FSections.push_back({root, TSection{path, {}}});
        current = &FSections.back().second;
      }
      continue;
    }
    size_t eq = line.find('=');
    if (!current || eq == String::npos) continue;
    String name = Trim(line.substr(0, eq));
    String value = Trim(line.substr(eq + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') name = name.substr(1, name.size() - 2);
    auto it = std::find_if(current->Values.begin(), current->Values.end(),
                           [&](auto& v) { return SameText(v.first, name); });
    if (it != current->Values.end())
      it->second = value;
    else
      current->Values.emplace_back(name, value);
  }
}

String TRegistry::Absolute(const String& key) const {
  if (!key.empty() && (key[0] == '\\' || key[0] == '/')) return NormalizePath(key);
  if (!FOpen || FCurrentPath.empty()) return NormalizePath(key);
  return NormalizePath(FCurrentPath + "\\" + key);
}

const TRegistry::TSection* TRegistry::Find(HKEY root, const String& path) const {
  for (auto& [r, s] : FSections)
    if (r == root && SameText(s.Path, path)) return &s;
  return nullptr;
}

bool TRegistry::KeyExists(const String& key) const {
  String path = Absolute(key);
  if (Find(RootKey, path)) return true;
  // A key exists when one of its sub-keys has a section.
  String prefix = LowerCase(path) + "\\";
  for (auto& [r, s] : FSections)
    if (r == RootKey && (path.empty() || LowerCase(s.Path).rfind(prefix, 0) == 0)) return true;
  return false;
}

bool TRegistry::OpenKeyReadOnly(const String& key) {
  if (!KeyExists(key)) return false;
  FCurrentPath = Absolute(key);
  FOpen = true;
  return true;
}

void TRegistry::CloseKey() {
  FOpen = false;
  FCurrentPath.clear();
}

bool TRegistry::ValueExists(const String& name) const {
  if (!FOpen) return false;
  const TSection* s = Find(RootKey, FCurrentPath);
  if (!s) return false;
  return std::any_of(s->Values.begin(), s->Values.end(), [&](auto& v) { return SameText(v.first, name); });
}

String TRegistry::ReadString(const String& name) const {
  if (!FOpen) return {};
  const TSection* s = Find(RootKey, FCurrentPath);
  if (!s) return {};
  for (auto& v : s->Values)
    if (SameText(v.first, name)) return v.second;
  return {};
}

std::vector<String> TRegistry::GetKeyNames() const {
  std::vector<String> names;
  if (!FOpen) return names;
  String prefix = FCurrentPath.empty() ? String() : LowerCase(FCurrentPath) + "\\";
  for (auto& [r, s] : FSections) {
    if (r != RootKey || s.Path.size() <= prefix.size() || LowerCase(s.Path).rfind(prefix, 0) != 0) continue;
    String rest = s.Path.substr(prefix.size());
    String child = rest.substr(0, rest.find('\\'));
    if (std::none_of(names.begin(), names.end(), [&](const String& n) { return SameText(n, child); }))
      names.push_back(child);
  }
  return names;
}

std::vector<String> TRegistry::GetValueNames() const {
  std::vector<String> names;
  if (!FOpen) return names;
  if (const TSection* s = Find(RootKey, FCurrentPath))
    for (auto& v : s->Values) names.push_back(v.first);
  return names;
}

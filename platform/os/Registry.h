#pragma once
// A read-only settings registry. Keys live in an INI file in the user's
// configuration folder ("<config>/quillory/registry.ini"): each section is a
// full key path such as "[HKEY_CURRENT_USER\Software\Vendor\Tools]" and its
// entries are the key's string values. Missing keys and values read as absent.
#include "platform/base/Types.h"

#include <map>
#include <vector>

enum HKEY : uint32_t { HKEY_CLASSES_ROOT = 0x80000000u, HKEY_CURRENT_USER = 0x80000001u,
                       HKEY_LOCAL_MACHINE = 0x80000002u, HKEY_USERS = 0x80000003u };

class TRegistry {
public:
  TRegistry();
  // A registry read from another file (tests, other programs' files).
  explicit TRegistry(const String& iniPath);

  HKEY RootKey = HKEY_CURRENT_USER;

  // Opens key (relative to the open key unless it starts with "\"); false
  // when it does not exist. Nothing is ever created.
  bool OpenKeyReadOnly(const String& key);
  bool KeyExists(const String& key) const;
  void CloseKey();
  String CurrentPath() const { return FCurrentPath; }

  bool ValueExists(const String& name) const;
  // The value's text; empty when it does not exist.
  String ReadString(const String& name) const;
  // The direct sub-keys of the open key, in file order.
  std::vector<String> GetKeyNames() const;
  std::vector<String> GetValueNames() const;

  static String DefaultFile();

private:
  struct TSection {
    String Path;  // without the root
    std::vector<std::pair<String, String>> Values;
  };
  void Load(const String& iniPath);
  String Absolute(const String& key) const;
  const TSection* Find(HKEY root, const String& path) const;

  std::vector<std::pair<HKEY, TSection>> FSections;
  String FCurrentPath;
  bool FOpen = false;
};

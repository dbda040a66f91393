// A home, user folders and a runtime folder of the helper program's own
// under root, so that nothing it runs reaches the user's files.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>

inline void UsePrivateFolders(const std::filesystem::path& root) {
  namespace fs = std::filesystem;
  for (const char* sub : {"home", "docs", "run"}) fs::create_directories(root / sub);
  ::chmod((root / "run").c_str(), 0700);
  const fs::path home = root / "home";
  ::setenv("HOME", home.c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
  ::setenv("XDG_DATA_HOME", (home / ".local/share").c_str(), 1);
  ::setenv("XDG_STATE_HOME", (home / ".local/state").c_str(), 1);
  ::setenv("XDG_CACHE_HOME", (home / ".cache").c_str(), 1);
  ::setenv("XDG_DOCUMENTS_DIR", (root / "docs").c_str(), 1);
  ::setenv("XDG_RUNTIME_DIR", (root / "run").c_str(), 1);
}

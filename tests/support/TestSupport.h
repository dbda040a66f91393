#pragma once
#include <filesystem>
#include <string>

namespace qytest {

// A folder that exists for the life of the object and is removed after it.
class TempDir {
public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return FPath; }
  std::string str() const { return FPath.string(); }
  std::filesystem::path operator/(const std::string& name) const { return FPath / name; }

private:
  std::filesystem::path FPath;
};

// The root of the source tree (for fixtures and resources).
std::filesystem::path SourceDir();

// Whole file as bytes; empty when missing.
std::string ReadFileBytes(const std::filesystem::path& p);
void WriteFileBytes(const std::filesystem::path& p, const std::string& bytes);

}  // namespace qytest

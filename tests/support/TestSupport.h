#pragma once
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <optional>
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

// The process's time zone set to Zone (a TZ value such as "Etc/GMT+10")
// for the life of the object, then put back.
class TimeZone {
public:
  explicit TimeZone(const char* zone) {
    if (const char* tz = std::getenv("TZ")) FKept = tz;
    ::setenv("TZ", zone, 1);
    ::tzset();
  }
  ~TimeZone() {
    if (FKept)
      ::setenv("TZ", FKept->c_str(), 1);
    else
      ::unsetenv("TZ");
    ::tzset();
  }
  TimeZone(const TimeZone&) = delete;
  TimeZone& operator=(const TimeZone&) = delete;

private:
  std::optional<std::string> FKept;
};

// The root of the source tree (for fixtures and resources).
std::filesystem::path SourceDir();

// Whole file as bytes; empty when missing.
std::string ReadFileBytes(const std::filesystem::path& p);
void WriteFileBytes(const std::filesystem::path& p, const std::string& bytes);

}  // namespace qytest

#pragma once
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
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

// For its life, the calling thread obeys file permissions even as root: the
// capabilities that pass them are out of its effective set (lowering needs
// no privilege; the permitted set keeps them for the way back). Tests of
// write-protected files and folders use it, so that they run under CI's root.
class TPermissionsBindRoot {
public:
  TPermissionsBindRoot() {
    FLowered = ::syscall(SYS_capget, &FHeader, FKept) == 0;
    if (!FLowered) return;
    __user_cap_data_struct lowered[2];
    std::memcpy(lowered, FKept, sizeof lowered);
    for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER})
      lowered[cap / 32].effective &= ~(1u << (cap % 32));
    FLowered = ::syscall(SYS_capset, &FHeader, lowered) == 0;
  }
  ~TPermissionsBindRoot() {
    if (FLowered) ::syscall(SYS_capset, &FHeader, FKept);
  }
  TPermissionsBindRoot(const TPermissionsBindRoot&) = delete;
  TPermissionsBindRoot& operator=(const TPermissionsBindRoot&) = delete;
  // False when the capabilities could not be lowered (the test then means
  // nothing as root).
  bool Bound() const { return FLowered; }

private:
  __user_cap_header_struct FHeader{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct FKept[2]{};
  bool FLowered = false;
};

// The root of the source tree (for fixtures and resources).
std::filesystem::path SourceDir();

// Whole file as bytes; empty when missing.
std::string ReadFileBytes(const std::filesystem::path& p);
void WriteFileBytes(const std::filesystem::path& p, const std::string& bytes);

// A folder of this test program's own (made once, removed at its end) with
// a link to each file of Folder whose name ends in Ext. A spell checker
// that looks in it finds the build's main dictionaries by name, and nothing
// else of the build's folder: no user dictionary another run left there.
std::string LinksToFiles(const std::string& Folder, const std::string& Ext);

}  // namespace qytest

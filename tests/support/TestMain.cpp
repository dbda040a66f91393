#include "TestSupport.h"

#include <QApplication>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <map>
#include <random>
#include <unistd.h>

namespace qytest {

namespace {
std::filesystem::path MakeUniqueDir(const std::filesystem::path& parent, const std::string& prefix) {
  std::random_device rd;
  for (int i = 0; i < 100; ++i) {
    auto p = parent / (prefix + std::to_string(::getpid()) + "-" + std::to_string(rd()));
    std::error_code ec;
    if (std::filesystem::create_directory(p, ec)) return p;
  }
  throw std::runtime_error("cannot create a temporary folder");
}
}  // namespace

TempDir::TempDir() : FPath(MakeUniqueDir(std::filesystem::temp_directory_path(), "qytest-")) {}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(FPath, ec);
}

std::filesystem::path SourceDir() {
  if (const char* s = std::getenv("QY_SOURCE_DIR")) return s;
#ifdef QY_DEFAULT_SOURCE_DIR
  return QY_DEFAULT_SOURCE_DIR;
#else
  return std::filesystem::current_path();
#endif
}

std::string ReadFileBytes(const std::filesystem::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), {});
}

void WriteFileBytes(const std::filesystem::path& p, const std::string& bytes) {
  std::ofstream f(p, std::ios::binary | std::ios::trunc);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string LinksToFiles(const std::string& Folder, const std::string& Ext) {
  // Removed by the process that made it only: a forked child that exits
  // leaves it to its parent.
  struct TLinks {
    std::filesystem::path Path = MakeUniqueDir(std::filesystem::temp_directory_path(), "qytest-links-");
    pid_t Owner = ::getpid();
    ~TLinks() {
      std::error_code ec;
      if (::getpid() == Owner) std::filesystem::remove_all(Path, ec);
    }
  };
  static std::map<std::string, TLinks> made;
  const auto [at, added] = made.try_emplace(Folder + '\n' + Ext);
  if (added)
    for (const auto& f : std::filesystem::directory_iterator(Folder))
      if (f.path().extension() == Ext) std::filesystem::create_symlink(f.path(), at->second.Path / f.path().filename());
  return at->second.Path.string();
}

}  // namespace qytest

int main(int argc, char** argv) {
  // Tests never need a display; a Qt program with neither aborts.
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // Each test program works in a home and configuration folder of its own, so
  // nothing a test writes reaches the user's files.
  static qytest::TempDir home;
  // A runtime folder must be private, or Qt warns on every use.
  std::filesystem::permissions(home.path(), std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::replace);
  ::setenv("HOME", home.str().c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (home.path() / ".config").c_str(), 1);
  ::setenv("XDG_DATA_HOME", (home.path() / ".local/share").c_str(), 1);
  ::setenv("XDG_STATE_HOME", (home.path() / ".local/state").c_str(), 1);
  ::setenv("XDG_CACHE_HOME", (home.path() / ".cache").c_str(), 1);
  ::setenv("XDG_DOCUMENTS_DIR", (home.path() / "Documents").c_str(), 1);
  ::setenv("XDG_RUNTIME_DIR", home.str().c_str(), 1);
  ::unsetenv("QT_SCALE_FACTOR");
  ::unsetenv("QT_FONT_DPI");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

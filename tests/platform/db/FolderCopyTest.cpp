// The file operations a restore is built on: the one-step exchange of two
// folders and the look at a database file before it is copied.
#include "platform/db/DBBackup.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

String PlainDatabasePage() {
  String page("SQLite format 3", 16);
  page.resize(4096, '\0');
  return page;
}

// Both names keep what the other held: nothing is deleted on the way.
TEST(FolderCopy, ExchangeSwapsBothPaths) {
  qytest::TempDir dir;
  const fs::path a = dir / "Quillory for café", b = dir / "staging Łódź";
  fs::create_directories(a / "sub");
  fs::create_directories(b);
  qytest::WriteFileBytes(a / "old.db", "old");
  qytest::WriteFileBytes(a / "sub" / "deep.txt", "deep");
  qytest::WriteFileBytes(b / "new.db", "new");
  String error;
  ASSERT_TRUE(ExchangePaths(a.string(), b.string(), error)) << error;
  EXPECT_EQ(qytest::ReadFileBytes(b / "old.db"), "old");
  EXPECT_EQ(qytest::ReadFileBytes(b / "sub" / "deep.txt"), "deep");
  EXPECT_EQ(qytest::ReadFileBytes(a / "new.db"), "new");
  EXPECT_FALSE(fs::exists(a / "old.db"));
  EXPECT_FALSE(fs::exists(b / "new.db"));
  // A missing side is refused with its cause, and the other stays.
  EXPECT_FALSE(ExchangePaths(a.string(), (dir / "missing").string(), error));
  EXPECT_NE(error.find("missing"), String::npos) << error;
  EXPECT_EQ(qytest::ReadFileBytes(a / "new.db"), "new");
}

TEST(FolderCopy, ADatabaseSourceIsLookedAtBeforeItIsCopied) {
  const struct {
    const char* What;
    std::function<void(const fs::path&)> Make;
    const char* Refusal;  // nullptr: accepted
  } cases[] = {
      {"plain database", [](const fs::path& p) { qytest::WriteFileBytes(p, PlainDatabasePage()); }, nullptr},
      {"sparse database",
       [](const fs::path& p) {
         qytest::WriteFileBytes(p, PlainDatabasePage());
         fs::resize_file(p, Int64(1) << 30);
       },
       "holes"},
      {"text", [](const fs::path& p) { qytest::WriteFileBytes(p, String(8192, 'z')); }, "is no database file"},
      {"empty", [](const fs::path& p) { qytest::WriteFileBytes(p, ""); }, "is no database file"},
      {"fifo", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }, "Cannot read"},
      {"link", [](const fs::path& p) { fs::create_symlink("/etc/hostname", p); }, "Cannot read"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    qytest::TempDir dir;
    const fs::path file = dir / "Quillory.db";
    c.Make(file);
    String error;
    EXPECT_EQ(InspectDatabaseSource(file.string(), error), c.Refusal == nullptr);
    if (c.Refusal) {
      EXPECT_NE(error.find(c.Refusal), String::npos) << error;
    }
  }
  qytest::TempDir dir;
  EXPECT_GT(FreeSpaceOf(dir.str()), 0);
  EXPECT_EQ(FreeSpaceOf((dir / "missing").string()), -1);
}

}  // namespace

#include "platform/os/SysPaths.h"

#include "support/TestSupport.h"

#include <QCoreApplication>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

TEST(SysPathsTest, FoldersComeFromTheEnvironment) {
  qytest::TempDir dir;
  String old = std::getenv("XDG_DOCUMENTS_DIR") ? std::getenv("XDG_DOCUMENTS_DIR") : "";
  ::setenv("XDG_DOCUMENTS_DIR", (dir.str() + "/Docs/").c_str(), 1);
  EXPECT_EQ(GetDocumentsFolder(), dir.str() + "/Docs");
  ::setenv("XDG_DOCUMENTS_DIR", old.c_str(), 1);

  EXPECT_EQ(GetConfigFolder(), std::getenv("XDG_CONFIG_HOME"));
  EXPECT_EQ(GetProgramFolder(), QCoreApplication::applicationDirPath().toStdString());
  EXPECT_FALSE(GetLogonUserName().empty());
  EXPECT_FALSE(GetTempFolder().empty());
  EXPECT_NE(GetTempFolder().back(), '/');
}

TEST(SysPathsTest, CopyReplacesTheTargetAndAFailedCopyLeavesItAlone) {
  qytest::TempDir dir;
  qytest::WriteFileBytes(dir / "a", std::string("new\0bytes", 9));
  qytest::WriteFileBytes(dir / "b", "old");
  EXPECT_TRUE(CopyFileOverwrite((dir / "a").string(), (dir / "b").string()));
  EXPECT_EQ(qytest::ReadFileBytes(dir / "b"), std::string("new\0bytes", 9));
  EXPECT_FALSE(CopyFileOverwrite((dir / "missing").string(), (dir / "b").string()));
  EXPECT_EQ(qytest::ReadFileBytes(dir / "b"), std::string("new\0bytes", 9));
  EXPECT_FALSE(CopyFileOverwrite((dir / "a").string(), (dir / "no/such/folder/b").string()));
  size_t files = 0;
  for (auto& e : std::filesystem::directory_iterator(dir.path())) files += e.is_regular_file();
  EXPECT_EQ(files, 2u);  // no temporary file left behind
}

}  // namespace

#include "platform/os/SysPaths.h"

#include "support/TestSupport.h"

#include <QCoreApplication>
#include <cstdio>
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

// The data folder follows the program's place: <prefix>/share/quillory
// beside an installed <prefix>/bin, the program's own folder otherwise (the
// build tree). The helper that prints both is copied into each layout.
TEST(SysPathsTest, DataFolderIsTheInstalledShareFolderOrTheProgramFolder) {
  struct Case {
    const char* name;
    const char* bin;        // where the program is copied
    const char* folder;     // a folder made beside it ("" = none)
    const char* file;       // a plain file made beside it ("" = none)
    const char* expected;   // the data folder it reports
  } cases[] = {
      {"installed", "usr/bin", "usr/share/quillory", "", "usr/share/quillory"},
      {"installed under /usr/local", "usr/local/bin", "usr/local/share/quillory/help", "",
       "usr/local/share/quillory"},
      {"build tree", "build/bin", "build/bin/DataTemplate", "", "build/bin"},
      {"share folder of another program", "usr/bin", "usr/share/other", "", "usr/bin"},
      {"share/quillory not a folder", "usr/bin", "usr/share", "usr/share/quillory", "usr/bin"},
  };
  const fs::path helper = fs::path(QCoreApplication::applicationDirPath().toStdString()) / "os_program_folders_helper";
  ASSERT_TRUE(fs::exists(helper)) << helper;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    qytest::TempDir dir;
    const fs::path root = fs::canonical(dir.path());
    fs::create_directories(root / c.bin);
    if (*c.folder) fs::create_directories(root / c.folder);
    if (*c.file) qytest::WriteFileBytes(root / c.file, "x");
    const fs::path program = root / c.bin / "quillory";
    fs::copy_file(helper, program);
    std::FILE* p = ::popen(("'" + program.string() + "'").c_str(), "r");
    ASSERT_NE(p, nullptr);
    String out;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, p)) > 0;) out.append(buffer, n);
    EXPECT_EQ(::pclose(p), 0);
    EXPECT_EQ(out, (root / c.bin).string() + "\n" + (root / c.expected).string() + "\n");
  }
}

}  // namespace

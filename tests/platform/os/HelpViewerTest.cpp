#include "platform/os/HelpViewer.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

TEST(HelpViewerTest, EveryContextAndKeywordOfTheProgramHasAPage) {
  THelpViewer viewer;
  viewer.SetHelpFolder((qytest::SourceDir() / "resources/help").string());
  for (int context : {13, 1001, 86, 22, 57, 35, 18, 23}) {
    String page = viewer.PageForContext(context);
    ASSERT_FALSE(page.empty()) << context;
    EXPECT_TRUE(fs::is_regular_file(qytest::SourceDir() / "resources/help" / page)) << page;
  }
  for (const char* keyword : {"Welcome", "Password", "Change Password", "Create New Journal", "Manage Journals"})
    EXPECT_FALSE(viewer.PageForKeyword(keyword).empty()) << keyword;
  EXPECT_EQ(viewer.PageForKeyword("manage journals"), viewer.PageForKeyword("Manage Journals"));
  EXPECT_EQ(viewer.PageForContext(0), "");
  EXPECT_EQ(viewer.PageForContext(4242), "");

  EXPECT_TRUE(viewer.ShowContext(1001));
  EXPECT_EQ(viewer.CurrentPage(), "password.html");
  ASSERT_NE(viewer.Window(), nullptr);
  EXPECT_FALSE(viewer.ShowKeyword("No Such Topic"));
  EXPECT_EQ(viewer.CurrentPage(), "password.html");
  viewer.Close();
}

TEST(HelpViewerTest, IndexEntriesCannotLeaveTheHelpFolder) {
  qytest::TempDir dir;
  qytest::WriteFileBytes(dir / "index.txt", "1||../secret.html\n2||/etc/passwd\n3|Ok|ok.html\n");
  qytest::WriteFileBytes(dir / "ok.html", "<html><head><title>Ok</title></head></html>");
  THelpViewer viewer;
  viewer.SetHelpFolder(dir.str());
  EXPECT_EQ(viewer.PageForContext(1), "");
  EXPECT_EQ(viewer.PageForContext(2), "");
  EXPECT_EQ(viewer.PageForContext(3), "ok.html");
  EXPECT_EQ(viewer.PageForKeyword("ok"), "ok.html");
}

}  // namespace

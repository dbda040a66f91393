// Every help topic the program opens (help contexts and window keywords in
// its sources) has a page of its own that says something, and the pages'
// links lead to pages that exist.
#include "platform/os/HelpViewer.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <set>

namespace {

namespace fs = std::filesystem;

// The text a reader sees: tags and surplus blanks gone.
std::string VisibleText(const std::string& html) {
  std::string text = std::regex_replace(html, std::regex("<head>[\\s\\S]*?</head>"), " ");
  text = std::regex_replace(text, std::regex("<[^>]*>"), " ");
  return std::regex_replace(text, std::regex("\\s+"), " ");
}

struct TUses {
  std::set<int> Contexts;
  std::set<std::string> Keywords;
};

TUses HelpUsesInSources() {
  TUses uses;
  const std::regex context("HelpContext\\s*(?:\\(|=)\\s*(\\d+)");
  const std::regex keyword("HelpKeyword\\s*(?:\\(|=)\\s*\"([^\"]+)\"");
  for (const auto& e : fs::recursive_directory_iterator(qytest::SourceDir() / "app")) {
    if (e.path().extension() != ".cpp") continue;
    const std::string code = qytest::ReadFileBytes(e.path());
    for (std::sregex_iterator m(code.begin(), code.end(), context), end; m != end; ++m)
      if (const int n = std::stoi((*m)[1]); n != 0) uses.Contexts.insert(n);
    for (std::sregex_iterator m(code.begin(), code.end(), keyword), end; m != end; ++m)
      uses.Keywords.insert((*m)[1]);
  }
  return uses;
}

TEST(HelpPages, EveryTopicTheProgramOpensHasARealPage) {
  const fs::path folder = qytest::SourceDir() / "resources/help";
  THelpViewer viewer;
  viewer.SetHelpFolder(folder.string());
  const TUses uses = HelpUsesInSources();
  // The F1 contents and the dialogs' help buttons are among them.
  ASSERT_TRUE(uses.Contexts.count(57) && uses.Contexts.count(1001) && uses.Contexts.count(13));
  ASSERT_TRUE(uses.Keywords.count("Welcome"));

  std::set<std::string> pages;
  for (int c : uses.Contexts) {
    const String page = viewer.PageForContext(c);
    EXPECT_FALSE(page.empty()) << "help context " << c;
    if (!page.empty()) pages.insert(page);
  }
  for (const std::string& k : uses.Keywords) {
    const String page = viewer.PageForKeyword(k);
    EXPECT_FALSE(page.empty()) << "help keyword " << k;
    if (!page.empty()) pages.insert(page);
  }
  for (const std::string& page : pages) {
    SCOPED_TRACE(page);
    const std::string html = qytest::ReadFileBytes(folder / page);
    ASSERT_FALSE(html.empty());
    // A page of a few sentences at least, with a title for the window.
    EXPECT_GE(VisibleText(html).size(), 600u) << VisibleText(html);
    EXPECT_TRUE(std::regex_search(html, std::regex("<title>[^<]+</title>")));
  }
}

TEST(HelpPages, LinksBetweenPagesLeadToPagesThatExist) {
  const fs::path folder = qytest::SourceDir() / "resources/help";
  const std::regex link("href=\"([^\"#:]+)(#[^\"]*)?\"");
  int links = 0;
  for (const auto& e : fs::directory_iterator(folder)) {
    if (e.path().extension() != ".html") continue;
    const std::string html = qytest::ReadFileBytes(e.path());
    for (std::sregex_iterator m(html.begin(), html.end(), link), end; m != end; ++m, ++links)
      EXPECT_TRUE(fs::is_regular_file(folder / (*m)[1].str())) << e.path().filename() << " -> " << (*m)[1];
  }
  EXPECT_GT(links, 0);
}

}  // namespace

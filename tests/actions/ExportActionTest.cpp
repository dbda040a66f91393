#include "actions/VLActionsFile.h"
#include "actions/VLVellumActionEditor.h"
#include "platform/gui/Dialogs.h"
#include "richtext/model/VLItem.h"
#include "support/TestSupport.h"

#include "EditorBench.h"

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct TExportBench : TEditorBench {
  explicit TExportBench(bool picture) {
    Fill(Edit, "Caf\xC3\xA9 entry");
    if (picture) {
      auto bmp = std::make_unique<TBitmap>();
      bmp->SetSize(6, 4);
      auto item = TVLGraphicItemInfo::CreateEx(Edit->VLData(), std::move(bmp), vlvaBaseline);
      item->ParaNo = -1;
      Edit->AddItem("", item.release());
      Edit->Format();
    }
    Action = new TvlActionExport(Form);
    Action->SetControl(Edit);
  }
  TvlActionExport* Action;
};

std::vector<std::string> Listing(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::recursive_directory_iterator(dir))
    names.push_back(fs::relative(e.path(), dir).generic_string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(ExportAction, CopiesReadBackInTheirFormats) {
  struct Case {
    TvlFileExportFilter Format;
    const char* Name;
    std::function<bool(TVellumEdit*, const String&)> Load;
  } cases[] = {
      {ffeVLF, "copy.vlf", [](TVellumEdit* e, const String& f) { return e->LoadVLF(f); }},
      {ffeRTF, "copy.rtf", [](TVellumEdit* e, const String& f) { return e->LoadRTF(f); }},
      {ffeTextANSI, "copy.txt", [](TVellumEdit* e, const String& f) { return e->LoadText(f, 0, 0, false); }},
      {ffeTextUnicode, "copy-16.txt",
       [](TVellumEdit* e, const String& f) { return e->LoadTextUnicode(f, 0, 0, false); }},
  };
  qytest::TempDir dir;
  for (const Case& c : cases) {
    TExportBench b(false);
    const String path = (dir / c.Name).string();
    ASSERT_TRUE(b.Action->Export(ActionEditorOf(b.Edit), path, c.Format)) << c.Name;
    TVellumEdit* back = b.Make();
    back->Clear();
    ASSERT_TRUE(c.Load(back, path)) << c.Name;
    back->Format();
    EXPECT_EQ(TEditorBench::Text(back), "Caf\xC3\xA9 entry") << c.Name;
  }
  // Nothing but the copies: no temporary files stay behind.
  EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{"copy-16.txt", "copy.rtf", "copy.txt", "copy.vlf"}));
}

TEST(ExportAction, HTMLPicturesGoToAFolderThatOnlyPagesWithPicturesKeep) {
  struct Case {
    const char* Name;
    bool Picture;
    bool FileInTheWay;
    TvlFileExportFilter Format;
  } cases[] = {
      {"picture, CSS", true, false, ffeHTMLCSS},
      {"picture, simplified", true, false, ffeHTML},
      {"no picture", false, false, ffeHTMLCSS},
      {"a file named like the folder", true, true, ffeHTML},
  };
  for (const Case& c : cases) {
    qytest::TempDir dir;
    TExportBench b(c.Picture);
    if (c.FileInTheWay) std::ofstream((dir / "page.files").string()) << "x";
    ASSERT_TRUE(b.Action->Export(ActionEditorOf(b.Edit), (dir / "page.htm").string(), c.Format)) << c.Name;
    std::ifstream in((dir / "page.htm").string());
    const std::string html((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> folders;
    for (const auto& e : fs::directory_iterator(dir.path()))
      if (e.is_directory()) folders.push_back(e.path().filename().string());
    if (!c.Picture) {
      EXPECT_TRUE(folders.empty()) << c.Name;
      continue;
    }
    ASSERT_EQ(folders.size(), 1u) << c.Name;
    const std::string folder = folders[0];
    EXPECT_EQ(folder.rfind("page.files", 0), 0u) << c.Name;
    EXPECT_EQ(folder == "page.files", !c.FileInTheWay) << c.Name;
    ASSERT_FALSE(fs::is_empty(dir / folder)) << c.Name;
    const std::string picture = fs::directory_iterator(dir / folder)->path().filename().string();
    EXPECT_EQ(picture.rfind("img", 0), 0u) << c.Name;
    EXPECT_NE(html.find("src=\"" + folder + "/" + picture + "\""), std::string::npos) << c.Name << "\n" << html;
  }
}

// A copy is the owner's alone, as a printed entry is, and so is the folder
// of its pictures: a new page, one over a private page and one over a page
// others could read, under the usual umask.
TEST(ExportAction, ACopyAndItsPicturesAreClosedToOthers) {
  const mode_t umaskWas = ::umask(022);
  for (const mode_t existing : {mode_t(0), mode_t(0600), mode_t(0644)}) {
    SCOPED_TRACE(existing ? "over a page of mode " + std::to_string(existing) : std::string("a new page"));
    qytest::TempDir dir;
    const fs::path page = dir / "page.htm";
    if (existing) {
      qytest::WriteFileBytes(page, "old");
      ::chmod(page.c_str(), existing);
    }
    TExportBench b(true);
    ASSERT_TRUE(b.Action->Export(ActionEditorOf(b.Edit), page.string(), ffeHTMLCSS));
    struct stat st {};
    ASSERT_EQ(::stat((dir / "page.files").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
    ASSERT_EQ(::stat(page.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
  }
  ::umask(umaskWas);
}

TEST(ExportAction, TheExportedPagePassesTheNuChecker) {
  const char* src = std::getenv("QY_SOURCE_DIR");
  const fs::path jar = fs::path(src ? src : qytest::SourceDir().string()) / "tools/node_modules/vnu-jar/build/dist/vnu.jar";
  ASSERT_TRUE(fs::exists(jar)) << jar;
  qytest::TempDir dir;
  for (TvlFileExportFilter f : {ffeHTMLCSS, ffeHTML}) {
    TExportBench b(true);
    const String name = f == ffeHTML ? "simple.htm" : "css.htm";
    ASSERT_TRUE(b.Action->Export(ActionEditorOf(b.Edit), (dir / name).string(), f));
  }
  const std::string command = "java -Xss4m -jar '" + jar.string() + "' --errors-only --skip-non-html '" +
                              dir.str() + "' 2>&1";
  FILE* p = popen(command.c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::string out;
  std::array<char, 4096> buf{};
  size_t n = 0;
  while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) out.append(buf.data(), n);
  EXPECT_EQ(pclose(p), 0) << out;
  EXPECT_EQ(out, "");
}

// The message says what failed and why, as the system answers for the
// folder: Save a Copy into ~/ex/simple where ex is not there said "Error
// saving file. Possible reasons: out of disk space; …".
TEST(ExportAction, AFolderThatCannotBeWrittenSaysSoAndLeavesNothing) {
  qytest::TempDir dir;
  const fs::path locked = dir / "locked";
  fs::create_directory(locked);
  qytest::WriteFileBytes(dir / "notes.txt", "caf\u00e9");
  struct Case {
    const char* Name;
    fs::path Target;
    int FilterIndex;
    std::string Said;
  } cases[] = {
      {"a missing folder", dir / "ex" / "simple.htm", 5,
       "the folder " + (dir / "ex").string() + " does not exist (No such file or directory)"},
      {"a missing folder, by the document converter", dir / "\u0141\u00f3d\u017a" / "simple.docx", 7,
       "the folder " + (dir / "\u0141\u00f3d\u017a").string() + " does not exist (No such file or directory)"},
      {"a file taken for a folder", dir / "notes.txt" / "simple.htm", 5,
       "a part of the folder " + (dir / "notes.txt").string() + " is a file, not a folder (Not a directory)"},
      {"a folder without write permission", locked / "page.htm", 5,
       "there is no permission to write in the folder " + locked.string() + " (Permission denied)"},
  };
  fs::permissions(locked, fs::perms::owner_read | fs::perms::owner_exec);
  // Root too obeys the folder's permissions.
  qytest::TPermissionsBindRoot bound;
  ASSERT_TRUE(bound.Bound());
  for (const Case& c : cases) {
    TExportBench b(true);
    TInteractionScript script;
    script.Do([&](TInteraction& r) {
      r.FileName = c.Target.string();
      r.FilterIndex = c.FilterIndex;
      return mrOk;
    });
    script.Answer(IDOK);
    ASSERT_TRUE(b.Action->Execute()) << c.Name;
    EXPECT_EQ(script.Unexpected, 0) << c.Name;
    ASSERT_EQ(script.Shown.size(), 2u) << c.Name;
    EXPECT_EQ(script.Shown[1].Text, "The file " + c.Target.string() + " could not be written: " + c.Said + ".")
        << c.Name;
    EXPECT_EQ(b.Action->FileName, "") << c.Name;
  }
  fs::permissions(locked, fs::perms::owner_all);
  EXPECT_EQ(Listing(dir.path()), (std::vector<std::string>{"locked", "notes.txt"}));
}

}  // namespace

// Save a Copy over a file that is there: the copy is the owner's alone
// whatever the file it replaces allowed, a symbolic link stays and its file
// gets the copy, on our own writers' route and the converters'. A copy that
// does not fit on the disk says the disk is full.
#include "actions/VLActionsFile.h"
#include "platform/gui/Dialogs.h"
#include "richtext/rtf/VLOfficeCnv.h"
#include "support/ChildProcess.h"
#include "support/FolderWatch.h"
#include "support/TestSupport.h"

#include "EditorBench.h"

#include <cerrno>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

unsigned ModeOf(const fs::path& p) {
  struct stat st {};
  return ::stat(p.c_str(), &st) == 0 ? st.st_mode & 0777 : 0;
}

// The index of the installed converter for the extension (pandoc or not).
int ConverterFor(const char* mask, bool pandoc) {
  TVLOfficeConverter probe(nullptr);
  probe.ExcludeHTMLExportConverter = true;
  TVLOfficeCnvList& exports = probe.GetExportConverters();
  for (Integer i = 0; i < exports.Count(); ++i)
    if (exports.GetItem(i)->Filter == mask &&
        (exports.GetItem(i)->ExportCommand.front().find("pandoc") != String::npos) == pandoc)
      return i;
  return -1;
}

struct TRoute {
  const char* Name;
  const char* Ext;
  TvlFileExportFilter Format;
  const char* Mask;  // of the converter
  bool Pandoc;
};
const TRoute kRoutes[] = {
    {"RTF", ".rtf", ffeRTF, nullptr, false},
    {"web page", ".htm", ffeHTMLCSS, nullptr, false},
    {"office suite's Word", ".docx", ffeOfficeConverters, "*.docx", false},
    {"pandoc's Markdown", ".md", ffeOfficeConverters, "*.md;*.markdown", true},
};

bool ExportCopy(const TRoute& route, const fs::path& name) {
  TEditorBench b;
  TEditorBench::Fill(b.Edit, "Private words");
  auto* exporter = new TvlActionExport(b.Form);
  exporter->SetControl(b.Edit);
  const int index = route.Mask ? ConverterFor(route.Mask, route.Pandoc) : -1;
  if (route.Mask && index < 0) {
    ADD_FAILURE() << "no converter for " << route.Mask;
    return false;
  }
  return exporter->Export(ActionEditorOf(b.Edit), name.string(), route.Format, index);
}

TEST(CopyOverExistingFile, IsTheOwnersAloneAndKeepsTheLink) {
  const mode_t umaskWas = ::umask(022);
  for (const TRoute& route : kRoutes) {
    SCOPED_TRACE(route.Name);
    qytest::TempDir dir;
    // Over a private file: private still.
    const fs::path privateCopy = dir / (std::string("private") + route.Ext);
    qytest::WriteFileBytes(privateCopy, "old");
    ::chmod(privateCopy.c_str(), 0600);
    ASSERT_TRUE(ExportCopy(route, privateCopy));
    EXPECT_NE(qytest::ReadFileBytes(privateCopy), "old");
    EXPECT_EQ(ModeOf(privateCopy), 0600u);
    // Over a file of the group's, and as a new file: private too, as a
    // printed entry is.
    const fs::path shared = dir / (std::string("shared") + route.Ext);
    qytest::WriteFileBytes(shared, "old");
    ::chmod(shared.c_str(), 0640);
    ASSERT_TRUE(ExportCopy(route, shared));
    EXPECT_EQ(ModeOf(shared), 0600u);
    const fs::path fresh = dir / (std::string("new") + route.Ext);
    ASSERT_TRUE(ExportCopy(route, fresh));
    EXPECT_EQ(ModeOf(fresh), 0600u);
    // Through a link: the link stays, its file (in another folder) holds
    // the copy and keeps its permissions.
    fs::create_directory(dir / "real");
    const fs::path target = dir / "real" / (std::string("target") + route.Ext);
    qytest::WriteFileBytes(target, "old");
    ::chmod(target.c_str(), 0600);
    const fs::path link = dir / (std::string("link") + route.Ext);
    fs::create_symlink(fs::path("real") / target.filename(), link);
    ASSERT_TRUE(ExportCopy(route, link));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_NE(qytest::ReadFileBytes(target), "old");
    EXPECT_EQ(ModeOf(target), 0600u);
    // Nothing else stays behind in either folder.
    for (const fs::path& folder : {dir.path(), dir.path() / "real"})
      for (const auto& e : fs::directory_iterator(folder))
        EXPECT_NE(e.path().filename().string()[0], '.') << e.path();
  }
  ::umask(umaskWas);
}

// Our own writers' routes, each over a private file of its kind.
const TRoute kOwnRoutes[] = {
    {"RTF", ".rtf", ffeRTF, nullptr, false},
    {"web page", ".htm", ffeHTMLCSS, nullptr, false},
    {"plain web page", ".html", ffeHTML, nullptr, false},
    {"text", ".txt", ffeTextUnicode, nullptr, false},
    {"VLF", ".vlf", ffeVLF, nullptr, false},
};

// An entry long enough that writing it takes a while.
String LongEntry() {
  String text;
  for (int i = 0; text.size() < 3000000; ++i) text += "Private words, line " + std::to_string(i) + ". ";
  return text;
}

// Over a private file in a folder others may read (as ~/Documents is), a
// copy through each of our own writers is never readable by others while
// it is written: a watcher of the folder finds no such file at any moment.
TEST(CopyOverExistingFile, APrivateCopyIsNeverReadableByOthersWhileWritten) {
  const mode_t umaskWas = ::umask(022);
  TEditorBench b;
  TEditorBench::Fill(b.Edit, LongEntry());
  auto* exporter = new TvlActionExport(b.Form);
  exporter->SetControl(b.Edit);
  for (const TRoute& route : kOwnRoutes) {
    SCOPED_TRACE(route.Name);
    qytest::TempDir dir;
    ::chmod(dir.path().c_str(), 0755);
    const fs::path target = dir / (std::string("private") + route.Ext);
    qytest::WriteFileBytes(target, "old");
    ::chmod(target.c_str(), 0600);
    qytest::TFolderWatch watch(dir.path());
    ASSERT_TRUE(watch.Watching());
    const bool ok = exporter->Export(ActionEditorOf(b.Edit), target.string(), route.Format, -1);
    const std::vector<std::string> open = watch.Stop();
    ASSERT_TRUE(ok);
    EXPECT_GT(qytest::ReadFileBytes(target).size(), 3000000u);
    EXPECT_EQ(ModeOf(target), 0600u);
    EXPECT_GT(watch.Looks(), 1);
    EXPECT_TRUE(open.empty()) << open.front();
    // The whole-document save writes the same way.
    qytest::TFolderWatch again(dir.path());
    const bool saved = route.Format != ffeHTML && route.Format != ffeHTMLCSS
                           ? WriteDocumentFile(ActionEditorOf(b.Edit), target.string(), route.Format)
                           : true;
    const std::vector<std::string> openToo = again.Stop();
    EXPECT_TRUE(saved);
    EXPECT_TRUE(openToo.empty()) << openToo.front();
    EXPECT_EQ(ModeOf(target), 0600u);
  }
  ::umask(umaskWas);
}

// A program killed while it writes a copy leaves its part file; the next
// start removes it, on each of our own writers' routes.
TEST(CopyOverExistingFile, ThePartAKilledCopyLeftIsRemovedAtTheNextStart) {
  TEditorBench b;
  TEditorBench::Fill(b.Edit, LongEntry());
  for (const TRoute& route : kOwnRoutes) {
    SCOPED_TRACE(route.Name);
    qytest::TempDir dir;
    const fs::path target = dir / (std::string("private") + route.Ext);
    qytest::WriteFileBytes(target, "old");
    ::chmod(target.c_str(), 0600);
    const pid_t child = fork();
    if (child == 0) {
      // Ended by the system at its first write past 4 KB, as a kill in the
      // middle of the copy would end it, whatever the machine's speed.
      const rlimit small{4096, 4096}, none{0, 0};
      ::setrlimit(RLIMIT_CORE, &none);
      ::setrlimit(RLIMIT_FSIZE, &small);
      auto* exporter = new TvlActionExport(b.Form);
      exporter->SetControl(b.Edit);
      exporter->Export(ActionEditorOf(b.Edit), target.string(), route.Format, -1);
      _exit(0);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << "the copy was not ended in its middle";
    std::vector<std::string> left;
    for (const auto& e : fs::directory_iterator(dir.path())) left.push_back(e.path().filename().string());
    EXPECT_GT(left.size(), 1u) << "the kill came too late to leave anything";
    RemoveConversionLeftovers();
    // The page's empty picture folder may stay: it holds nothing.
    left.clear();
    for (const auto& e : fs::directory_iterator(dir.path()))
      if (!e.is_directory() || !fs::is_empty(e.path())) left.push_back(e.path().filename().string());
    ASSERT_EQ(left.size(), 1u) << left.back();
    EXPECT_EQ(left.front(), target.filename().string());
    EXPECT_EQ(qytest::ReadFileBytes(target), "old");
  }
}

// Words no archive makes much smaller: a Word copy of them is as large as
// the RTF one.
std::string Incompressible(size_t size) {
  std::string text;
  uint32_t state = 12345;
  while (text.size() < size) {
    state = state * 1103515245u + 12345u;
    text += static_cast<char>('a' + (state >> 16) % 26);
    if ((state >> 8) % 7 == 0) text += ' ';
  }
  return text;
}

// Run by the test below in a mount space of its own, over small file
// systems in the folders of QY_FULL_DISK: Save a Copy (our RTF and web
// page, then the office suite's Word) into each and what it said, into the
// file QY_FULL_DISK_MESSAGES.
TEST(CopyOverExistingFile, FullDiskChild) {
  const char* disk = std::getenv("QY_FULL_DISK");
  const char* messages = std::getenv("QY_FULL_DISK_MESSAGES");
  if (!disk || !messages) GTEST_SKIP() << "run by AFullDiskIsNamed";
  std::ofstream said(messages);
  const TRoute web{"web page", ".htm", ffeHTMLCSS, nullptr, false};
  for (const char* folder : {"full", "nearly"})
    for (const TRoute& route : {kRoutes[0], web, kRoutes[2]}) {
      TEditorBench b;
      TEditorBench::Fill(b.Edit, Incompressible(60000));
      auto* exporter = new TvlActionExport(b.Form);
      exporter->SetControl(b.Edit);
      exporter->Filter = {ffeRTF, ffeHTMLCSS, ffeOfficeConverters};
      const int index = route.Mask ? ConverterFor(route.Mask, route.Pandoc) : -1;
      TInteractionScript script;
      script.Do([&](TInteraction& r) {
        r.FileName = (fs::path(disk) / folder / (std::string("copy") + route.Ext)).string();
        r.FilterIndex = route.Mask ? 3 + index : route.Format == ffeRTF ? 1 : 2;
        return mrOk;
      });
      script.Answer(IDOK);
      exporter->Update();
      exporter->Execute();
      said << folder << " " << route.Name << ": "
           << (script.Shown.size() == 2 ? script.Shown[1].Text : String("(no message)")) << "\n";
    }
}

// Over file systems of 256 KiB (mounted in a mount space of the child's
// own), one full and one with 24 KiB free, smaller than the copy but room
// for a trial block: Save a Copy tells that the disk is full, on every
// route, as the failing write reported it.
TEST(CopyOverExistingFile, AFullDiskIsNamed) {
  if (std::getenv("QY_FULL_DISK")) GTEST_SKIP();
  qytest::TempDir dir;
  const fs::path disk = dir / "disk";
  fs::create_directory(disk);
  const fs::path messages = dir / "messages.txt";
  const std::string self = fs::read_symlink("/proc/self/exe").string();
  std::string script;
  for (const auto& [folder, blocks] : {std::pair{"full", 64}, std::pair{"nearly", 58}}) {
    const std::string d = (disk / folder).string();
    script += "mkdir '" + d + "' && mount -t tmpfs -o size=256k tmpfs '" + d + "' || exit 3\n"
              "dd if=/dev/zero of='" + d + "/filler' bs=4k count=" + std::to_string(blocks) + " 2>/dev/null\n";
  }
  script += "QY_FULL_DISK='" + disk.string() + "' QY_FULL_DISK_MESSAGES='" + messages.string() + "' exec '" + self +
            "' --gtest_filter=CopyOverExistingFile.FullDiskChild\n";
  const int status = qytest::RunChild({"/usr/bin/unshare", "-m", "--propagation", "private", "/bin/sh", "-c", script},
                                      std::nullopt);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 3 || (WEXITSTATUS(status) == 1 && !fs::exists(messages)))
    GTEST_SKIP() << "no mount space of our own here";
  ASSERT_EQ(WEXITSTATUS(status), 0);
  const std::string text = qytest::ReadFileBytes(messages);
  for (const char* folder : {"full", "nearly"})
    for (const char* route : {"RTF: ", "web page: ", "office suite's Word: "}) {
      const std::string key = std::string(folder) + " " + route;
      const size_t at = text.find(key);
      ASSERT_NE(at, std::string::npos) << text;
      const std::string line = text.substr(at, text.find('\n', at) - at);
      EXPECT_NE(line.find("the disk holding " + (disk / folder).string() + " is full (No space left on device)"),
                std::string::npos)
          << line;
    }
}

}  // namespace

// The converters of the programs installed here (the office suite and the
// document converter): which formats they offer in which order, our own
// document out and back in through each, and their failures.
#include "RTFTestSupport.h"
#include "platform/os/SysPaths.h"
#include "richtext/model/VLMarkers.h"
#include "richtext/rtf/VLOfficeCnv.h"
#include "support/TestSupport.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <thread>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

#define SKIP_WITHOUT_OFFICE_SUITE() \
  if (FindOfficeSuite().empty()) GTEST_SKIP() << "LibreOffice's writer is not installed"

enum class TProgram { Pandoc, Office };

// The converter of that program with exactly that mask; -1 when none.
Integer IndexOf(TVLOfficeCnvList& list, TProgram program, const char* mask, bool import) {
  const String wanted = program == TProgram::Office ? FindOfficeSuite() : FindProgramInPath("pandoc");
  for (Integer i = 0; i < list.Count(); ++i) {
    const auto& command = import ? list.GetItem(i)->ImportCommand : list.GetItem(i)->ExportCommand;
    if (list.GetItem(i)->Filter == mask && !command.empty() && command[0] == wanted) return i;
  }
  return -1;
}

std::vector<String> Names(TVLOfficeCnvList& list) {
  std::vector<String> names;
  for (Integer i = 0; i < list.Count(); ++i) names.push_back(list.GetItem(i)->Name);
  return names;
}

TEST(InstalledConverters, TheOfficeSuiteComesFirstWhereBothOfferAFormat) {
  SKIP_WITHOUT_OFFICE_SUITE();
  ASSERT_FALSE(FindProgramInPath("pandoc").empty()) << "the set-up installs pandoc";
  qytest::TempDir dir;
  TVLOfficeConverter cnv;
  cnv.DescriptionFile = (dir / "absent.ini").string();
  cnv.ExcludeHTMLExportConverter = true;
  EXPECT_EQ(Names(cnv.GetImportConverters()),
            (std::vector<String>{"Word Document", "Word Document via pandoc", "Word 97\u20132003 Document",
                                 "OpenDocument Text", "OpenDocument Text via pandoc", "WordPerfect Document",
                                 "EPUB Book", "Markdown", "Web Page"}));
  // WordPerfect is read only; web pages are written by the program itself.
  EXPECT_EQ(Names(cnv.GetExportConverters()),
            (std::vector<String>{"Word Document", "Word Document via pandoc", "Word 97\u20132003 Document",
                                 "OpenDocument Text", "OpenDocument Text via pandoc", "EPUB Book", "Markdown"}));
  cnv.ExtensionsInFilter = true;
  EXPECT_EQ(cnv.GetExportFilter().substr(0, 85),
            "Word Document (*.docx)|*.docx|Word Document via pandoc (*.docx)|*.docx|Word 97\u20132003");

  // A converter of the description file takes the name from both programs.
  qytest::WriteFileBytes(dir / "converters.ini", "[Word Document]\nExtensions=docx\nImport=cat %1\n");
  TVLOfficeConverter own;
  own.DescriptionFile = (dir / "converters.ini").string();
  const auto names = Names(own.GetImportConverters());
  EXPECT_EQ(std::count(names.begin(), names.end(), "Word Document"), 1);
  EXPECT_EQ(std::count(names.begin(), names.end(), "Word Document via pandoc"), 0);
  EXPECT_EQ(own.GetImportConverters().GetItem(0)->ImportCommand[0], "cat");
}

// Our own document: text with a bold word, a numbered list and a table.
const String& OurRTF() {
  static const String rtf = [] {
    rtftest::TImported source;
    const Byte read = source.Read(
        "{\\rtf1{\\fonttbl{\\f0 Arial;}}"
        "{\\*\\listtable{\\list{\\listlevel\\levelnfc0\\levelstartat1{\\leveltext\\'02\\'00.;}{\\levelnumbers\\'01;}}"
        "\\listid1}}{\\*\\listoverridetable{\\listoverride\\listid1\\ls1}}"
        "\\pard Plain and {\\b heavy} words.\\par"
        "\\pard\\ls1\\ilvl0 first item\\par\\pard\\ls1\\ilvl0 second item\\par"
        "\\trowd\\cellx2000\\cellx4000\\pard\\intbl north\\cell\\pard\\intbl south\\cell\\row"
        "\\pard After.\\par}");
    TMemoryStream ours;
    if (read != 0 || !source.Doc.SaveRTFToStream(ours, false, 0, clNone, nullptr, nullptr)) return String();
    return ours.Bytes();
  }();
  return rtf;
}


// TMPDIR for the life of the object.
class TTempFolderSet {
public:
  explicit TTempFolderSet(const String& folder) {
    if (const char* t = std::getenv("TMPDIR")) FKept = t;
    ::setenv("TMPDIR", folder.c_str(), 1);
  }
  ~TTempFolderSet() {
    if (FKept) ::setenv("TMPDIR", FKept->c_str(), 1);
    else ::unsetenv("TMPDIR");
  }

private:
  std::optional<std::string> FKept;
};

struct TRoundTrip {
  const char* What;
  TProgram Program;
  const char* Mask;
  // The list's numbers as they come back: the document converter's RTF
  // reader drops list numbering, the office suite keeps it.
  std::vector<std::string> Markers;
};

void PrintTo(const TRoundTrip& c, std::ostream* os) { *os << c.What; }

struct ConvertedRoundTrip : ::testing::TestWithParam<TRoundTrip> {};

// Out through the converter as the foreign format, then in again through the
// same converter: the text, the bold word, the list and the table are back.
TEST_P(ConvertedRoundTrip, OurDocumentComesBackWithItsContent) {
  const TRoundTrip& c = GetParam();
  if (c.Program == TProgram::Office) SKIP_WITHOUT_OFFICE_SUITE();
  ASSERT_FALSE(FindProgramInPath("pandoc").empty()) << "the set-up installs pandoc";
  ASSERT_FALSE(OurRTF().empty());
  qytest::TempDir dir;
  // Work folders whose names a URL has to encode.
  const fs::path temp = dir / "work a#%20b";
  fs::create_directory(temp);
  // The program's working folder gets nothing (the office suite writes its
  // key database files into the folder it runs in).
  qytest::TempDir cwd;
  const TTempFolderSet tmpdir(temp.string());
  const fs::path keptCwd = fs::current_path();
  fs::current_path(cwd.path());
  struct TBack {
    fs::path Folder;
    ~TBack() { fs::current_path(Folder); }
  } cwdBack{keptCwd};
  TVLOfficeConverter cnv;
  cnv.DescriptionFile = (dir / "absent.ini").string();
  const String file = (dir / (String("entry") + (c.Mask + 1))).string();
  cnv.Stream.Write(OurRTF().data(), static_cast<Integer>(OurRTF().size()));
  cnv.Stream.SetPosition(0);
  const Integer out = IndexOf(cnv.GetExportConverters(), c.Program, c.Mask, false);
  ASSERT_GE(out, 0);
  ASSERT_TRUE(cnv.ExportRTF(file, out)) << cnv.ErrorCode;
  // A copy is made as any new file, not with the hidden file's mode, and
  // nothing else is left beside it.
  const mode_t umaskNow = ::umask(0);
  ::umask(umaskNow);
  EXPECT_EQ(fs::status(file).permissions(), fs::perms(0666 & ~umaskNow));
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 2);
  EXPECT_TRUE(fs::is_empty(temp));

  const Integer in = IndexOf(cnv.GetImportConverters(), c.Program, c.Mask, true);
  ASSERT_GE(in, 0);
  ASSERT_TRUE(cnv.ImportRTF(file, in)) << cnv.ErrorCode;
  rtftest::TImported imported;
  ASSERT_EQ(imported.Props.ReadFromStream(cnv.Stream, &imported.Doc), 0);
  TVLDocumentData& back = imported.Doc;
  const std::string text = rtftest::PlainText(back);
  for (const char* words : {"Plain and ", "heavy", "north|south|", "After."})
    EXPECT_NE(text.find(words), std::string::npos) << words << " in\n" << text;
  // List items come back as paragraphs of their own.
  EXPECT_NE(text.find("first item\nsecond item\n"), std::string::npos) << text;
  EXPECT_EQ(rtftest::MarkerTexts(back), c.Markers);
  bool bold = false, table = false;
  for (Integer i = 0; i < back.GetItemCount(); ++i) {
    const Integer styleNo = back.GetItem(i)->StyleNo;
    if (styleNo >= 0 && rtftest::ItemText(back, i) == "heavy")
      bold = imported.Style.TextStyles->Items(styleNo)->Style.Contains(fsBold);
    table = table || dynamic_cast<TVLTableItemInfo*>(back.GetItem(i)) != nullptr;
  }
  EXPECT_TRUE(bold);
  EXPECT_TRUE(table);
  for (const auto& e : fs::directory_iterator(cwd.path())) ADD_FAILURE() << "in the working folder: " << e.path();
}

INSTANTIATE_TEST_SUITE_P(
    Installed, ConvertedRoundTrip,
    ::testing::Values(TRoundTrip{"PandocWord", TProgram::Pandoc, "*.docx", {}},
                      TRoundTrip{"PandocOpenDocument", TProgram::Pandoc, "*.odt", {}},
                      TRoundTrip{"OfficeWord", TProgram::Office, "*.docx", {"1.", "2."}},
                      TRoundTrip{"OfficeWord97", TProgram::Office, "*.doc", {"1.", "2."}},
                      TRoundTrip{"OfficeOpenDocument", TProgram::Office, "*.odt", {"1.", "2."}}),
    [](const ::testing::TestParamInfo<TRoundTrip>& info) { return std::string(info.param.What); });

// A file of /proc; empty when its process went while it was read.
std::string ReadProcFile(const fs::path& path) {
  std::string text;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return text;
  char buf[4096];
  for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;) text.append(buf, static_cast<size_t>(n));
  ::close(fd);
  return text;
}

// Whether a process whose command line names the text runs on: one that
// has a kill waiting or has begun to exit is ending, whenever a loaded
// machine gets round to it.
bool ProcessRunsOnNaming(const std::string& text) {
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator("/proc", ec)) {
    if (ReadProcFile(entry.path() / "cmdline").find(text) == std::string::npos) continue;
    // The state and the flags (PF_EXITING) after the command's name.
    const std::string stat = ReadProcFile(entry.path() / "stat");
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) continue;  // gone meanwhile
    std::istringstream fields(stat.substr(close + 2));
    std::string state;
    long long skip = 0;
    unsigned long long flags = 0;
    fields >> state >> skip >> skip >> skip >> skip >> skip >> flags;
    if (state == "Z" || state == "X" || (flags & 0x4)) continue;
    // A SIGKILL pending, for the thread or the whole process.
    std::istringstream status(ReadProcFile(entry.path() / "status"));
    bool killed = false;
    for (std::string line; std::getline(status, line);)
      if (line.rfind("SigPnd:", 0) == 0 || line.rfind("ShdPnd:", 0) == 0)
        killed = killed || (std::stoull(line.substr(7), nullptr, 16) & (1ull << (SIGKILL - 1)));
    // Gone meanwhile: ended.
    if (!killed && !ReadProcFile(entry.path() / "stat").empty()) return true;
  }
  return false;
}

// A failed conversion is reported and changes nothing: the stream is empty
// after an import, the file as it was after an export, no work file stays,
// and a program stopped at the time limit is stopped with all its children.
TEST(InstalledConverters, AFailedOfficeConversionChangesNothing) {
  SKIP_WITHOUT_OFFICE_SUITE();
  qytest::TempDir dir;
  const fs::path temp = dir / "tmp";
  fs::create_directory(temp);
  const TTempFolderSet tmpdir(temp.string());
  // A Word file cut short is no Word file (a zip archive without its
  // directory): the office suite that reads it writes nothing.
  TVLOfficeConverter maker;
  maker.DescriptionFile = (dir / "absent.ini").string();
  maker.Stream.Write(OurRTF().data(), static_cast<Integer>(OurRTF().size()));
  maker.Stream.SetPosition(0);
  ASSERT_TRUE(maker.ExportRTF((dir / "whole.docx").string(),
                              IndexOf(maker.GetExportConverters(), TProgram::Pandoc, "*.docx", false)));
  qytest::WriteFileBytes(dir / "cut.docx", qytest::ReadFileBytes(dir / "whole.docx").substr(0, 600));
  qytest::WriteFileBytes(dir / "kept.docx", "old");

  struct Case {
    const char* What;
    bool Import;
    const char* File;
    Integer TimeLimitMs;  // 0: the default, minutes for a start on a loaded machine
    Integer ErrorCode;
  } cases[] = {
      {"a cut Word file", true, "cut.docx", 0, 5},
      {"an import past the time limit", true, "whole.docx", 400, 3},
      {"an export past the time limit", false, "kept.docx", 400, 3},
      {"an export into a missing folder", false, "missing/new.docx", 0, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    TVLOfficeConverter cnv;
    cnv.DescriptionFile = (dir / "absent.ini").string();
    if (c.TimeLimitMs) cnv.TimeLimitMs = c.TimeLimitMs;
    const String file = (dir / c.File).string();
    bool ok;
    if (c.Import) {
      cnv.Stream.Write("x", 1);
      ok = cnv.ImportRTF(file, IndexOf(cnv.GetImportConverters(), TProgram::Office, "*.docx", true));
      EXPECT_EQ(cnv.Stream.GetSize(), 0);
    } else {
      cnv.Stream.Write(OurRTF().data(), static_cast<Integer>(OurRTF().size()));
      cnv.Stream.SetPosition(0);
      ok = cnv.ExportRTF(file, IndexOf(cnv.GetExportConverters(), TProgram::Office, "*.docx", false));
    }
    EXPECT_FALSE(ok);
    EXPECT_EQ(cnv.ErrorCode, c.ErrorCode);
    EXPECT_EQ(qytest::ReadFileBytes(dir / "kept.docx"), "old");
    EXPECT_FALSE(fs::exists(dir / "missing"));
    for (const auto& e : fs::directory_iterator(temp)) ADD_FAILURE() << "left behind: " << e.path();
    // Every process of the run has ended or is being killed. (Looked at
    // again: one caught between taking its kill and exiting is ending too;
    // one that was not killed runs on each time.)
    bool runsOn = ProcessRunsOnNaming(temp.string());
    for (int i = 0; runsOn && i < 3; ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      runsOn = ProcessRunsOnNaming(temp.string());
    }
    EXPECT_FALSE(runsOn);
  }
  // Nothing hidden is left beside the files either.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 4);
}

// A document's linked picture is not fetched while it is converted: the
// office suite reads a web page even when it is named .docx, and a page's
// picture would otherwise be fetched from its server (here one that listens
// and never answers).
TEST(InstalledConverters, AConvertedDocumentDoesNotReachTheNetwork) {
  SKIP_WITHOUT_OFFICE_SUITE();
  const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(server, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(::listen(server, 4), 0);
  ASSERT_EQ(::getsockname(server, reinterpret_cast<sockaddr*>(&address), &length), 0);
  const std::string url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/p.png";

  qytest::TempDir dir;
  qytest::WriteFileBytes(dir / "page.docx", "<html><body><p>Seen <img src=\"" + url + "\"> here</p></body></html>");
  TVLOfficeConverter cnv;
  cnv.DescriptionFile = (dir / "absent.ini").string();
  // Room for the office suite's start on a loaded machine (it took over a
  // minute at a load of five times the cores): only a program that waits
  // for the server reaches the limit.
  cnv.TimeLimitMs = 600000;
  cnv.ImportRTF((dir / "page.docx").string(), IndexOf(cnv.GetImportConverters(), TProgram::Office, "*.docx", true));
  pollfd waiting{server, POLLIN, 0};
  EXPECT_EQ(::poll(&waiting, 1, 0), 0) << "the converter connected to " << url;
  EXPECT_NE(cnv.ErrorCode, 3);
  ::close(server);
}

}  // namespace

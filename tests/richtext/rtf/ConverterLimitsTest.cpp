// Converters run within bounds (time, memory, output), in private folders
// that a killed program's next start removes, and a description file that
// cannot be used is named once with the reason.
#include "platform/os/SysPaths.h"
#include "richtext/rtf/VLOfficeCnv.h"
#include "support/TestSupport.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct TLimitsBench {
  explicit TLimitsBench(const std::string& description) {
    qytest::WriteFileBytes(Ini, description);
    Cnv.DescriptionFile = Ini.string();
    Cnv.UseInstalledConverters = false;
  }
  qytest::TempDir Dir;
  fs::path Ini = Dir / "converters.ini";
  TVLOfficeConverter Cnv;
};

int ModeOf(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
}

// Each bound stops the program it concerns and says which it was; the
// bounds come from the file's [Limits] section. A program that fails on its
// own is told by its exit status, whatever address space it reserved (a
// runtime may reserve most of the limit at start) and however large this
// program is.
TEST(ConverterLimits, EachLimitStopsTheConverterAndTellsWhichItWas) {
  TLimitsBench b("");
  // A program that takes memory in steps until it is refused.
  qytest::WriteFileBytes(b.Dir / "hog.py", "b = []\nwhile True:\n    b.append(bytearray(8 << 20))\n");
  // One that reserves 200 MiB it never touches, lives a moment and fails.
  qytest::WriteFileBytes(b.Dir / "reserve.py",
                         "import mmap, sys, time\n"
                         "m = mmap.mmap(-1, 200 << 20, prot=mmap.PROT_READ)\n"
                         "time.sleep(0.3)\n"
                         "sys.exit(63)\n");
  qytest::WriteFileBytes(b.Ini, "[Limits]\nMemory=256\nOutput=1\nTime=2\n"
                                "[Sleeper]\nExtensions=slow\nImport=sleep 30\n"
                                "[Flood]\nExtensions=big\nImport=head -c 5000000 /dev/zero\n"
                                "[Flood to file]\nExtensions=bigf\nImport=sh -c \"head -c 5000000 /dev/zero > $0\" %2\n"
                                "[Hog]\nExtensions=hog\nImport=python3 " + (b.Dir / "hog.py").string() + "\n"
                                "[Fails]\nExtensions=bad\nImport=sh -c \"exit 63\"\n"
                                "[Reserves]\nExtensions=res\nImport=python3 " + (b.Dir / "reserve.py").string() + "\n"
                                "[Fine]\nExtensions=rtf\nImport=cat %1\n");
  qytest::WriteFileBytes(b.Dir / "in.rtf", "{\\rtf1 caf\\'e9}");
  EXPECT_EQ(b.Cnv.GetImportFilter(),
            "Sleeper|*.slow|Flood|*.big|Flood to file|*.bigf|Hog|*.hog|Fails|*.bad|Reserves|*.res|Fine|*.rtf");
  EXPECT_EQ(b.Cnv.MemoryLimit, 256u << 20);
  EXPECT_EQ(b.Cnv.OutputLimit, 1u << 20);
  EXPECT_EQ(b.Cnv.TimeLimitMs, 2000);
  struct TCase {
    int Index;
    Integer Code;
    const char* Says;
  } cases[] = {{0, 3, "did not finish within 2 seconds"},
               {1, 6, "grew past 1 MiB"},
               {2, 6, "grew past 1 MiB"},
               {3, 7, "out of memory at its limit of 256 MiB"},
               {4, 63, "exit status 63"},
               {5, 63, "exit status 63"},
               {6, 0, ""}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Index);
    // Only the time case meets the time bound: on a loaded machine the
    // others could reach it before their own.
    b.Cnv.TimeLimitMs = c.Code == 3 ? 2000 : 600000;
    EXPECT_EQ(b.Cnv.ImportRTF((b.Dir / "in.rtf").string(), c.Index), c.Code == 0);
    EXPECT_EQ(b.Cnv.ErrorCode, c.Code);
    EXPECT_NE(b.Cnv.ErrorText().find(c.Says), String::npos) << b.Cnv.ErrorText();
    // Nothing past the output bound is held in memory.
    EXPECT_LE(b.Cnv.Stream.GetSize(), 1 << 20);
  }
  EXPECT_EQ(b.Cnv.Stream.Bytes(), "{\\rtf1 caf\\'e9}");
  // Without [Limits] a converter has minutes (the office suite started on a
  // busy machine takes more than one), told in minutes when stopped.
  TLimitsBench plain("[Fine]\nExtensions=rtf\nImport=cat %1\n");
  EXPECT_TRUE(plain.Cnv.ImportRTF((b.Dir / "in.rtf").string(), 0));
  plain.Cnv.ErrorCode = 3;
  EXPECT_NE(plain.Cnv.ErrorText().find("did not finish within 30 minutes and"), String::npos)
      << plain.Cnv.ErrorText();
}

// A converter is cancelled from the wait callback at once (at the call that
// answers false, long before its time limit), and what it started goes
// with it.
TEST(ConverterLimits, TheWaitCallbackCancelsTheConverter) {
  TLimitsBench b("[Sleeper]\nExtensions=slow\nImport=sh -c \"sleep 30 & sleep 30\"\n");
  b.Cnv.TimeLimitMs = 600000;
  int calls = 0;
  b.Cnv.OnWait = [&] { return ++calls < 5; };
  EXPECT_FALSE(b.Cnv.ImportRTF((b.Dir / "in.slow").string(), 0));
  EXPECT_EQ(b.Cnv.ErrorCode, 8);
  EXPECT_EQ(b.Cnv.ErrorText(), "");
  EXPECT_EQ(calls, 5);
}

// The RTF of the entry and what the converter writes lie in a folder of
// the user's alone in the runtime folder, never in the shared temporary
// folder.
TEST(ConverterLimits, TheEntryPassesThroughPrivateFilesInTheRuntimeFolder) {
  TLimitsBench b(
      "[Modes]\nExtensions=txt\n"
      "Export=sh -c \"stat -c '%a %n' $0 $(dirname $0) > $1\" %2 %1\n");
  b.Cnv.Stream.Clear();
  const std::string rtf = "{\\rtf1 Łódź caf\\'e9}";
  b.Cnv.Stream.Write(rtf.data(), static_cast<Int64>(rtf.size()));
  b.Cnv.Stream.SetPosition(0);
  const std::string out = (b.Dir / "modes.txt").string();
  ASSERT_TRUE(b.Cnv.ExportRTF(out, 0)) << b.Cnv.ErrorCode;
  std::ifstream in(out);
  std::string fileMode, file, folderMode, folder;
  in >> fileMode >> file >> folderMode >> folder;
  EXPECT_EQ(fileMode, "600");
  EXPECT_EQ(folderMode, "700");
  const String parent = ConversionFolder();
  EXPECT_EQ(fs::path(folder).parent_path().string(), parent);
  EXPECT_EQ(fs::path(parent).parent_path().string(), GetRuntimeFolder());
  EXPECT_EQ(ModeOf(parent), 0700);
  EXPECT_TRUE(fs::is_empty(parent)) << "the run's folder goes when it ends";
}

// A program killed during a conversion leaves the run's folder; the next
// start removes it, and only it: a running program's conversion stays.
TEST(ConverterLimits, AConversionLeftByAKilledProgramGoesAtTheNextStart) {
  qytest::TempDir tmp;
  const char* keptTmp = std::getenv("TMPDIR");
  const std::string kept = keptTmp ? keptTmp : "";
  ::setenv("TMPDIR", tmp.str().c_str(), 1);
  TLimitsBench b("[Hang]\nExtensions=docx\nExport=sh -c \"echo $$ > $1.pid; exec sleep 60\" %2 %1\n");
  const std::string out = (b.Dir / "entry.docx").string();
  const pid_t child = fork();
  if (child == 0) {
    // The program's part: a Save a Copy through the hanging converter.
    b.Cnv.Stream.Clear();
    const std::string rtf = "{\\rtf1 secret caf\\'e9}";
    b.Cnv.Stream.Write(rtf.data(), static_cast<Int64>(rtf.size()));
    b.Cnv.Stream.SetPosition(0);
    b.Cnv.ExportRTF(out, 0);
    _exit(0);
  }
  ASSERT_GT(child, 0);
  // The converter has started once it wrote its process number (beside
  // the file it writes, in the run's folder).
  std::string pidFile;
  for (int i = 0; i < 2000 && pidFile.empty(); ++i) {
    std::error_code ec;
    for (const auto& e : fs::recursive_directory_iterator(ConversionFolder(), ec))
      if (e.path().extension() == ".pid" && fs::file_size(e.path(), ec) > 0) pidFile = e.path().string();
    if (pidFile.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_FALSE(pidFile.empty());
  ::kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  pid_t converter = 0;
  std::ifstream(pidFile) >> converter;
  if (converter > 0) ::kill(converter, SIGKILL);

  // What the kill left: the entry, private, in the runtime folder.
  const String parent = ConversionFolder();
  std::vector<fs::path> left;
  for (const auto& e : fs::directory_iterator(parent)) left.push_back(e.path());
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(ModeOf(left[0].string()), 0700);
  EXPECT_EQ(ModeOf((left[0] / "entry.rtf").string()), 0600);
  EXPECT_NE(qytest::ReadFileBytes(left[0] / "entry.rtf").find("secret"), std::string::npos);
  // Earlier versions' leftovers in the temporary folder, and a conversion
  // of this (running) program.
  fs::create_directories(tmp / "qy-convert-AbC123/result");
  qytest::WriteFileBytes(tmp / "qy-convert-AbC123/entry.rtf", "{\\rtf1 old}");
  const auto old = fs::file_time_type::clock::now() - std::chrono::hours(1);
  fs::last_write_time(tmp / "qy-convert-AbC123", old);
  const fs::path running = fs::path(parent) / ("run-" + std::to_string(getppid()) + "-Running");
  fs::create_directories(running);

  EXPECT_EQ(RemoveConversionLeftovers(), 2);
  EXPECT_FALSE(fs::exists(left[0]));
  EXPECT_FALSE(fs::exists(tmp / "qy-convert-AbC123"));
  EXPECT_TRUE(fs::exists(running));
  fs::remove_all(running);
  if (keptTmp) ::setenv("TMPDIR", kept.c_str(), 1);
  else ::unsetenv("TMPDIR");
}

// A description file that cannot be used is named, with the reason, once
// in a run; a missing one and a sound one say nothing.
TEST(ConverterLimits, AnUnusableDescriptionFileIsNamedOnceWithTheReason) {
  qytest::TempDir dir;
  fs::create_directories(dir / "folder.ini");
  qytest::WriteFileBytes(dir / "garbage.ini", "\x89PNG\r\n\x1a\n binary stuff here\n");
  static const char nul[] = "[A]\nExtensions=a\0b\nImport=cat %1\n";
  qytest::WriteFileBytes(dir / "nul.ini", std::string(nul, sizeof nul - 1));
  qytest::WriteFileBytes(dir / "sound.ini", "; converters\n[Rich]\nExtensions=rtf\nImport=cat %1\n");
  ASSERT_EQ(::mkfifo((dir / "fifo.ini").c_str(), 0600), 0);
  fs::create_symlink(dir / "loop-b.ini", dir / "loop-a.ini");
  fs::create_symlink(dir / "loop-a.ini", dir / "loop-b.ini");
  struct TCase {
    const char* File;
    const char* Reason;  // nullptr: nothing to tell
  } cases[] = {{"folder.ini", "it is a folder"},
               {"garbage.ini", "line 1 is neither a [section] nor a name=value line"},
               {"nul.ini", "NUL bytes"},
               {"fifo.ini", "named pipe"},
               {"loop-a.ini", "loop"},
               {"missing.ini", nullptr},
               {"sound.ini", nullptr}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.File);
    const std::string file = (dir / c.File).string();
    for (int time = 0; time < 2; ++time) {
      TVLOfficeConverter cnv(nullptr);
      cnv.DescriptionFile = file;
      cnv.UseInstalledConverters = false;
      const String filter = cnv.GetImportFilter();
      const String told = cnv.TakeDescriptionProblem();
      if (!c.Reason || time == 1) {
        EXPECT_EQ(told, "");
      } else {
        EXPECT_NE(told.find(file), String::npos) << told;
        EXPECT_NE(told.find(c.Reason), String::npos) << told;
      }
      EXPECT_EQ(filter, std::string(c.File) == "sound.ini" ? "Rich|*.rtf" : "");
    }
  }
}

}  // namespace

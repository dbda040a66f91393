// RTF import of a 1.5 MB document (10,000 paragraphs, 21 tables, pictures),
// of a 20 MB one and of a damaged 457 KB one that once cost seconds (the
// tests' reproducer), beside pandoc and unrtf reading the same file. Each
// case also reports the peak memory of a separate process doing one read
// (counter peak_MB).
#include "platform/base/Streams.h"
#include "richtext/rtf/VLRTFImport.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string PngHex(int w, int h) {
  // A plain deflate-free PNG is not possible; keep a small real PNG.
  static const char* png =
      "89504e470d0a1a0a0000000d4948445200000002000000010806000000f4227f8a0000000e49444154789c63f8cfc00042ff01"
      "0ff903fd851199760000000049454e44ae426082";
  (void)w;
  (void)h;
  return png;
}

// A document in the shape word processors write: a font, colour and style
// table, formatted paragraphs, tables every so often and pictures.
std::string MakeRtf(int paragraphs, int tables, int pictures) {
  std::mt19937 r(7);
  const char* words[] = {"journal", "entry", "today", "the", "weather", "was", "quiet", "and", "I", "wrote",
                         "caf\\'e9", "\\u1060?", "river", "bridge"};
  std::string s =
      "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\froman\\fcharset0 Times New Roman;}{\\f1\\fswiss\\fcharset0 Arial;}"
      "{\\f2\\fcharset204 Arial Cyr;}}{\\colortbl;\\red0\\green0\\blue0;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}"
      "{\\stylesheet{\\s0 Normal;}{\\s1\\b\\fs32 heading 1;}}{\\info{\\title Bench}}\\viewkind4\\uc1\n";
  const int tableEvery = paragraphs / (tables + 1), pictureEvery = paragraphs / (pictures + 1);
  for (int p = 0; p < paragraphs; ++p) {
    s += "\\pard\\plain\\s0\\sa120\\f";
    s += std::to_string(r() % 2);
    s += "\\fs";
    s += std::to_string(20 + 2 * (r() % 3));
    s += " ";
    const int len = 12 + static_cast<int>(r() % 10);
    for (int w = 0; w < len; ++w) {
      const unsigned pick = r() % 40;
      if (pick == 0) s += "{\\b ";
      if (pick == 1) s += "{\\i\\cf2 ";
      s += words[r() % 14];
      if (pick <= 1) s += "}";
      s += ' ';
    }
    s += "\\par\n";
    if (tables && p % tableEvery == tableEvery - 1 && p / tableEvery <= tables) {
      for (int row = 0; row < 8; ++row) {
        s += "\\trowd\\trgaph108\\trleft-108";
        for (int c = 1; c <= 4; ++c)
          s += "\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10\\cellx" +
               std::to_string(c * 2000);
        s += "\\pard\\intbl ";
        for (int c = 0; c < 4; ++c) s += std::string(words[r() % 14]) + " cell\\cell ";
        s += "\\row\n";
      }
      s += "\\pard\n";
    }
    if (pictures && p % pictureEvery == pictureEvery - 1)
      s += "{\\pict\\pngblip\\picwgoal600\\pichgoal300 " + PngHex(2, 1) + "}\n";
  }
  return s + "}\n";
}

std::string WriteTemp(const std::string& name, const std::string& data) {
  const std::string path = "/tmp/qy-bench-" + std::to_string(getpid()) + "-" + name + ".rtf";
  std::ofstream(path, std::ios::binary) << data;
  return path;
}

const std::string& File(int size) {
  static const std::string small = WriteTemp("1_5MB", [] {
    std::string s = MakeRtf(10000, 21, 40);
    return s;
  }());
  static std::string large;
  if (size == 20 && large.empty()) {
    std::string body = MakeRtf(135000, 280, 400);
    large = WriteTemp("20MB", body);
  }
  return size == 20 ? large : small;
}

// The fuzzer's mutation that once cost seconds in the style lookup: its
// font table is left open, so every font word of the body adds a font while
// table cells go on handing over text.
const std::string& StyleFlood() {
  static const std::string path = std::string(QY_RTF_TEST_DATA) + "/slow-style-lookup-457k.rtf";
  return path;
}

const std::string& Path(int arg) { return arg == 0 ? StyleFlood() : File(arg); }

Byte ImportOnce(const std::string& path) {
  TVLStyle style(nullptr);
  TVLDocumentData doc(&style);
  TVLRTFReaderProperties props;
  props.UnicodeMode = vlruMixed;
  return props.ReadFromFile(path, &doc);
}

// Peak memory (MB) of a child process that runs work once.
template <class F>
double ChildPeakMB(F work) {
  const pid_t pid = fork();
  if (pid == 0) _exit(work());
  int status = 0;
  rusage ru{};
  wait4(pid, &status, 0, &ru);
  return ru.ru_maxrss / 1024.0;
}

bool HaveTool(const char* tool) {
  return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

void Ours(benchmark::State& state) {
  const std::string& path = Path(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(ImportOnce(path));
  state.counters["peak_MB"] = ChildPeakMB([&] { return ImportOnce(path); });
  state.counters["MB"] = static_cast<double>(std::ifstream(path, std::ios::ate | std::ios::binary).tellg()) / 1e6;
}

void Peer(benchmark::State& state, const char* tool, const std::string& argsBefore) {
  if (!HaveTool(tool)) {
    state.SkipWithError((std::string(tool) + " is not installed").c_str());
    return;
  }
  const std::string& path = Path(static_cast<int>(state.range(0)));
  // unrtf writes the pictures it meets into the working folder.
  const std::string cmd = "cd /tmp && " + std::string(tool) + " " + argsBefore + " '" + path + "' >/dev/null 2>&1";
  for (auto _ : state) benchmark::DoNotOptimize(std::system(cmd.c_str()));
  state.counters["peak_MB"] = ChildPeakMB([&] {
    execl("/bin/sh", "sh", "-c", cmd.c_str(), static_cast<char*>(nullptr));
    return 127;
  });
}

// pandoc reads into its own document tree and writes that tree out as is.
void Pandoc(benchmark::State& state) { Peer(state, "pandoc", "-f rtf -t json -o /dev/null"); }
void Unrtf(benchmark::State& state) { Peer(state, "unrtf", "--text"); }

// The argument: the file (0: the style flood, else its size in MB).
BENCHMARK(Ours)->Name("StyleFlood457K/ours")->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(Pandoc)->Name("StyleFlood457K/pandoc")->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Unrtf)->Name("StyleFlood457K/unrtf")->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Ours)->Name("Import1_5MB/ours")->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(Pandoc)->Name("Import1_5MB/pandoc")->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(Unrtf)->Name("Import1_5MB/unrtf")->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(Ours)->Name("Import20MB/ours")->Arg(20)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(Pandoc)->Name("Import20MB/pandoc")->Arg(20)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(Unrtf)->Name("Import20MB/unrtf")->Arg(20)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QGuiApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::remove(File(1).c_str());
  return 0;
}

// Writing and reading a 1 MB entry (10,000 paragraphs in mixed styles) as
// binary VLF.
#include "platform/base/Streams.h"
#include "richtext/model/VLData.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>

namespace {

void BuildEntry(TVLDocumentData& doc, TVLStyle& style) {
  style.TextStyles->Items(2)->Unicode = true;
  std::mt19937 r(42);
  const std::string words[] = {"journal ", "entry ", "today ", "the ", "weather ", "was ",
                               "quiet ", "and ", "I ", "wrote "};
  for (Integer p = 0; p < 10000; ++p) {
    const Integer parts = 1 + static_cast<Integer>(r() % 3);
    for (Integer k = 0; k < parts; ++k) {
      AnsiString text;
      while (text.size() < 100 / static_cast<size_t>(parts)) text += words[r() % 10];
      const Integer style = static_cast<Integer>(r() % 4);
      if (style == 2) {
        AnsiString raw;
        for (char c : text) {
          raw += c;
          raw += '\0';
        }
        text = raw;
      }
      doc.AddTextItem(text, style, k == 0 ? static_cast<Integer>(r() % 2) : -1);
    }
  }
}

struct TFixture {
  TFixture() : Style(nullptr), Doc(&Style) {
    Doc.SetState(Doc.GetState() | vlstViewDocument);
    Doc.VLFOptions.Include(vlfoSaveTextStyles);
    Doc.VLFOptions.Include(vlfoSaveParaStyles);
    BuildEntry(Doc, Style);
    Doc.SaveVLFToStream(Bytes, false, clNone, nullptr, bsNoBitmap, nullptr);
  }
  TVLStyle Style;
  TVLDocumentData Doc;
  TMemoryStream Bytes;
};

TFixture& Fixture() {
  static int argc = 1;
  static char arg0[] = "bench_vlf";
  static char* argv[] = {arg0, nullptr};
  static QGuiApplication* app = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return new QGuiApplication(argc, argv);
  }();
  (void)app;
  static TFixture f;
  return f;
}

void BM_WriteBinaryVLF(benchmark::State& state) {
  TFixture& f = Fixture();
  for (auto _ : state) {
    TMemoryStream out;
    f.Doc.SaveVLFToStream(out, false, clNone, nullptr, bsNoBitmap, nullptr);
    benchmark::DoNotOptimize(out.GetSize());
  }
  state.SetBytesProcessed(state.iterations() * f.Bytes.GetSize());
  state.counters["bytes"] = static_cast<double>(f.Bytes.GetSize());
}
BENCHMARK(BM_WriteBinaryVLF)->Unit(benchmark::kMillisecond);

void BM_ReadBinaryVLF(benchmark::State& state) {
  TFixture& f = Fixture();
  for (auto _ : state) {
    TVLStyle style(nullptr);
    TVLDocumentData doc(&style);
    TStringStream in(f.Bytes.Bytes());
    TColor color = clNone;
    bool ok = doc.LoadVLFFromStream(in, color, nullptr, nullptr, nullptr);
    benchmark::DoNotOptimize(ok);
  }
  state.SetBytesProcessed(state.iterations() * f.Bytes.GetSize());
}
BENCHMARK(BM_ReadBinaryVLF)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

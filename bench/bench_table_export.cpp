// Export of a 1 MB entry holding 100 tables (6 x 5, spans, every tenth with
// a nested table) as RTF and HTML, beside pandoc reading the same RTF.
#include "BenchPandoc.h"
#include "platform/base/Streams.h"
#include "platform/gui/Forms.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLExport.h"
#include "richtext/table/VLTable.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct TBenchDoc {
  TVLStyle Style{nullptr};
  std::unique_ptr<TVLDocumentData> Doc;
  fs::path Folder;
  String RTFFile;
  size_t TextBytes = 0;

  TBenchDoc() {
    Doc = std::make_unique<TVLDocumentData>(&Style);
    std::mt19937 rng(5);
    const char* const words[] = {"morning", "walk", "river", "bright", "quiet", "letters", "garden", "coffee"};
    auto text = [&](size_t size) {
      AnsiString s;
      while (s.size() < size) s += AnsiString(words[rng() % 8]) + " ";
      TextBytes += s.size();
      return s;
    };
    for (int block = 0; block < 100; ++block) {
      for (int p = 0; p < 70; ++p) Doc->AddTextItem(text(120), rng() % 4 == 0 ? 3 : 0, 0);
      auto t = TVLTableItemInfo::CreateEx(6, 5, Doc.get());
      t->CellBorderWidth = 1;
      t->BorderWidth = 1;
      t->BestWidth = -100;
      for (Integer r = 0; r < 6; ++r)
        for (Integer c = 0; c < 5; ++c) t->GetCell(r, c)->SetItemTextA(0, text(40));
      t->MergeCells(0, 0, 2, 1);
      t->MergeCells(2, 3, 2, 2);
      t->GetCell(1, 1)->Color = 0xE0F0FF;
      if (block % 10 == 0) {
        TVLTableCellData* host = t->GetCell(5, 4);
        auto inner = TVLTableItemInfo::CreateEx(2, 2, host);
        for (Integer k = 0; k < 4; ++k) inner->GetCell(k / 2, k % 2)->SetItemTextA(0, text(20));
        host->AddItem("", inner.release());
      }
      Doc->AddItem("", t.release());
    }
    Folder = fs::temp_directory_path() / ("qy_bench_table_export_" + std::to_string(::getpid()));
    fs::create_directories(Folder);
    RTFFile = (Folder / "entry.rtf").string();
    Doc->SaveRTF(RTFFile, false, clWindow, nullptr);
  }
  ~TBenchDoc() {
    std::error_code ec;
    fs::remove_all(Folder, ec);
  }
};

TBenchDoc& Doc() {
  static TBenchDoc doc;
  return doc;
}

void RTF_ours(benchmark::State& state) {
  TBenchDoc& d = Doc();
  for (auto _ : state) {
    TMemoryStream s;
    d.Doc->SaveRTFToStream(s, false, 0, clWindow, nullptr, nullptr);
    benchmark::DoNotOptimize(s.GetSize());
    state.counters["bytes"] = static_cast<double>(s.GetSize());
  }
  state.counters["text"] = static_cast<double>(d.TextBytes);
}

void HTML_ours(benchmark::State& state) {
  TBenchDoc& d = Doc();
  const String path = d.Folder.string() + "/";
  for (auto _ : state) {
    TMemoryStream s;
    Integer no = 0;
    d.Doc->SaveHTMLToStream(s, path, "Entry", "img", {}, clNone, no, 0, 0, 0, 0, nullptr, nullptr);
    benchmark::DoNotOptimize(s.GetSize());
    state.counters["bytes"] = static_cast<double>(s.GetSize());
  }
}

void Pandoc(benchmark::State& state, const char* to) { RunPandoc(state, Doc().RTFFile, Doc().Folder, to); }

void RTF_pandoc(benchmark::State& state) { Pandoc(state, "rtf"); }
void HTML_pandoc(benchmark::State& state) { Pandoc(state, "html"); }

}  // namespace

BENCHMARK(RTF_ours)->Name("TableExportRTF/ours")->Unit(benchmark::kMillisecond);
BENCHMARK(RTF_pandoc)->Name("TableExportRTF/pandoc")->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(HTML_ours)->Name("TableExportHTML/ours")->Unit(benchmark::kMillisecond);
BENCHMARK(HTML_pandoc)->Name("TableExportHTML/pandoc")->Unit(benchmark::kMillisecond)->Iterations(2);

int main(int argc, char** argv) {
  Application->Initialize();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

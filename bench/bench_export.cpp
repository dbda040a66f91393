// Export of a 1 MB entry (10,000 paragraphs, 50 pictures) as RTF, HTML and
// HTML with CSS, beside pandoc turning the same RTF into HTML for scale.
#include "BenchPandoc.h"
#include "platform/base/Streams.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/Jpeg.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLExport.h"
#include "richtext/model/VLUni.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <unistd.h>
#include <filesystem>
#include <memory>
#include <random>

namespace fs = std::filesystem;

namespace {

struct TBenchDoc {
  TVLStyle Style{nullptr};
  std::unique_ptr<TVLDocumentData> Doc;
  fs::path Folder;
  String RTFFile;

  TBenchDoc() {
    Style.TextStyles->Items(1)->Unicode = true;
    TVLListInfo* list = Style.ListStyles->Add();
    for (int k = 0; k < 3; ++k) list->Levels->Add()->ListType = k == 0 ? vllstBullet : vllstDecimal;
    Doc = std::make_unique<TVLDocumentData>(&Style);
    std::mt19937 rng(3);
    const char* const words[] = {"morning", "walk", "river", "bright", "quiet", "letters", "garden", "coffee"};
    const WideString uni = u"\u0436\u0443\u0440\u043D\u0430\u043B \u4E2D\u6587 caf\u00E9 ";
    TBitmap picture(64, 48);
    for (int p = 0; p < 10000; ++p) {
      if (p % 10 == 3) Doc->SetListMarker(-1, 0, static_cast<Integer>(rng() % 3), 1, 0, false);
      AnsiString text;
      while (text.size() < 60) text += AnsiString(words[rng() % 8]) + " ";
      Doc->AddTextItem(text, static_cast<Integer>(rng() % 4 == 0 ? 3 : 0), p % 10 == 3 ? -1 : 0);
      Doc->SetAddParagraphMode(false);
      Doc->AddTextItem(WideStringToRawUnicode(uni), 1, -1);
      if (p % 200 == 0) {
        std::unique_ptr<TGraphic> g;
        if (p % 400 == 0) {
          auto jpeg = std::make_unique<TJPEGImage>();
          jpeg->Assign(&picture);
          g = std::move(jpeg);
        } else {
          g = std::make_unique<TBitmap>(32, 32);
        }
        auto item = TVLGraphicItemInfo::CreateEx(Doc.get(), std::move(g), vlvaBaseline);
        item->SetSameAsPrev(true);
        Doc->AddItem("", item.release());
      }
      Doc->SetAddParagraphMode(true);
    }
    Folder = fs::temp_directory_path() / ("qy_bench_export_" + std::to_string(::getpid()));
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

// A fresh folder for the pictures of one export.
String PictureFolder(int run) {
  const fs::path f = Doc().Folder / ("html" + std::to_string(run));
  std::error_code ec;
  fs::remove_all(f, ec);
  fs::create_directories(f);
  return f.string() + "/";
}

void RTF_ours(benchmark::State& state) {
  TBenchDoc& d = Doc();
  for (auto _ : state) {
    TMemoryStream s;
    d.Doc->SaveRTFToStream(s, false, 0, clWindow, nullptr, nullptr);
    benchmark::DoNotOptimize(s.GetSize());
    state.counters["bytes"] = static_cast<double>(s.GetSize());
  }
}

void HTML_ours(benchmark::State& state) {
  TBenchDoc& d = Doc();
  int run = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const String path = PictureFolder(run++);
    state.ResumeTiming();
    TMemoryStream s;
    Integer no = 0;
    d.Doc->SaveHTMLToStream(s, path, "Entry", "img", {}, clNone, no, 0, 0, 0, 0, nullptr, nullptr);
    benchmark::DoNotOptimize(s.GetSize());
  }
}

void HTMLCSS_ours(benchmark::State& state) {
  TBenchDoc& d = Doc();
  int run = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const String path = PictureFolder(run++);
    state.ResumeTiming();
    TMemoryStream s;
    Integer no = 0;
    TColor cur = clNone;
    d.Doc->SaveHTMLToStreamCSS(s, path, "Entry", "img", "", "", "", {}, clNone, cur, no, 0, 0, 0, 0, nullptr,
                               nullptr);
    benchmark::DoNotOptimize(s.GetSize());
  }
}

void Pandoc(benchmark::State& state, const char* to) { RunPandoc(state, Doc().RTFFile, Doc().Folder, to); }

void RTF_pandoc(benchmark::State& state) { Pandoc(state, "native"); }
void HTML_pandoc(benchmark::State& state) { Pandoc(state, "html"); }
void HTMLCSS_pandoc(benchmark::State& state) { Pandoc(state, "html5"); }

}  // namespace

BENCHMARK(RTF_ours)->Name("ExportRTF/ours")->Unit(benchmark::kMillisecond);
BENCHMARK(RTF_pandoc)->Name("ExportRTF/pandoc")->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(HTML_ours)->Name("ExportHTML/ours")->Unit(benchmark::kMillisecond);
BENCHMARK(HTML_pandoc)->Name("ExportHTML/pandoc")->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(HTMLCSS_ours)->Name("ExportHTMLCSS/ours")->Unit(benchmark::kMillisecond);
BENCHMARK(HTMLCSS_pandoc)->Name("ExportHTMLCSS/pandoc")->Unit(benchmark::kMillisecond)->Iterations(2);

int main(int argc, char** argv) {
  // Pictures are drawn, which needs the GUI application.
  Application->Initialize();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

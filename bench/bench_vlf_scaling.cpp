// How loading and editing costs grow with the size of a document: list
// markers, merged and named styles, and VLF inserted in the middle of a long
// entry. Each runs at three sizes, ten times apart; a linear path takes
// about ten times as long per step.
#include "platform/base/Streams.h"
#include "richtext/model/VLData.h"
#include "richtext/model/VLMarkers.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

void EnsureApp() {
  static int argc = 1;
  static char arg0[] = "bench_vlf_scaling";
  static char* argv[] = {arg0, nullptr};
  static QGuiApplication* app = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return new QGuiApplication(argc, argv);
  }();
  (void)app;
}

void AddDecimalList(TVLStyle& style) {
  TVLListInfo* list = style.ListStyles->Add();
  for (int level = 0; level < 3; ++level) {
    TVLListLevel* l = list->Levels->Add();
    l->ListType = vllstDecimal;
    l->FormatString = "%0:s.%1:s.%2:s";
  }
}

// n list paragraphs at one level: a marker and its text each.
AnsiString MarkersVLF(Integer n, Integer level) {
  AnsiString s = "-8 1 3\r\n";
  const AnsiString marker = "-11 0 0 0 0 0 0 " + std::to_string(level) + " 1 0\r\n0 1 -1 0 0 0\r\nitem\r\n";
  s.reserve(s.size() + marker.size() * static_cast<size_t>(n));
  for (Integer i = 0; i < n; ++i) s += marker;
  return s;
}

bool Load(TVLDocumentData& doc, const AnsiString& bytes) {
  TStringStream in(bytes);
  TColor color = clNone;
  return doc.LoadVLFFromStream(in, color, nullptr, nullptr, nullptr);
}

// Markers on level 0, each the next number of the one before.
void BM_LoadMarkers(benchmark::State& state) {
  EnsureApp();
  const AnsiString bytes = MarkersVLF(static_cast<Integer>(state.range(0)), 0);
  for (auto _ : state) {
    TVLStyle style(nullptr);
    AddDecimalList(style);
    TVLDocumentData doc(&style);
    benchmark::DoNotOptimize(Load(doc, bytes));
    state.PauseTiming();
    doc.Clear();
    state.ResumeTiming();
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_LoadMarkers)->Arg(1600)->Arg(16000)->Arg(160000)->Unit(benchmark::kMillisecond)->Complexity();

// Markers on level 1 with no marker on level 0 before them: every one looks
// for a parent it does not have.
void BM_LoadMarkersWithoutParents(benchmark::State& state) {
  EnsureApp();
  const AnsiString bytes = MarkersVLF(static_cast<Integer>(state.range(0)), 1);
  for (auto _ : state) {
    TVLStyle style(nullptr);
    AddDecimalList(style);
    TVLDocumentData doc(&style);
    benchmark::DoNotOptimize(Load(doc, bytes));
    state.PauseTiming();
    doc.Clear();
    state.ResumeTiming();
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_LoadMarkersWithoutParents)->Arg(1600)->Arg(16000)->Arg(160000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_ClearMarkers(benchmark::State& state) {
  EnsureApp();
  const AnsiString bytes = MarkersVLF(static_cast<Integer>(state.range(0)), 0);
  TVLStyle style(nullptr);
  AddDecimalList(style);
  for (auto _ : state) {
    state.PauseTiming();
    TVLDocumentData doc(&style);
    Load(doc, bytes);
    state.ResumeTiming();
    doc.Clear();
  }
  state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_ClearMarkers)->Arg(400)->Arg(4000)->Arg(40000)->Unit(benchmark::kMillisecond)->Complexity();

// n distinct text styles.
void FillStyles(TFontInfos& styles, Integer n) {
  for (Integer i = 0; i < n; ++i) {
    TFontInfo* fi = styles.Add();
    fi->Size = 8 + i % 20;
    fi->Color = static_cast<TColor>(i);
    fi->StyleName = "Style " + std::to_string(i);
  }
}

// Styles inserted with a pasted block, merged into the sheet.
void BM_MergeStyles(benchmark::State& state) {
  EnsureApp();
  const auto n = static_cast<Integer>(state.range(0));
  TVLStyle source(nullptr);
  FillStyles(*source.TextStyles, n);
  for (auto _ : state) {
    TVLStyle sheet(nullptr);
    TVLIntegerList mapping;
    sheet.TextStyles->MergeWith(*source.TextStyles, vlsmmMerge, mapping, nullptr);
    benchmark::DoNotOptimize(mapping.Count());
  }
  state.SetComplexityN(n);
}
BENCHMARK(BM_MergeStyles)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();

// A document that names its styles: one paragraph per style.
void BM_LoadStyleNames(benchmark::State& state) {
  EnsureApp();
  const auto n = static_cast<Integer>(state.range(0));
  TVLStyle style(nullptr);
  style.TextStyles->Clear();
  FillStyles(*style.TextStyles, n);
  AnsiString bytes = "-8 1 3\r\n";
  for (Integer i = 0; i < n; ++i) bytes += "\"Style " + std::to_string(i) + "\" 1 0 0 0 0\r\ntext\r\n";
  for (auto _ : state) {
    TVLDocumentData doc(&style);
    benchmark::DoNotOptimize(Load(doc, bytes));
  }
  state.SetComplexityN(n);
}
BENCHMARK(BM_LoadStyleNames)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();

// A block of n paragraphs pasted in the middle of a document of n.
void BM_InsertInTheMiddle(benchmark::State& state) {
  EnsureApp();
  const auto n = static_cast<Integer>(state.range(0));
  AnsiString bytes = "-8 1 3\r\n0 " + std::to_string(n) + " 0 0 0 0\r\n";
  for (Integer i = 0; i < n; ++i) bytes += AnsiString(96, static_cast<char>('a' + i % 26)) + "\r\n";
  TVLStyle style(nullptr);
  for (auto _ : state) {
    state.PauseTiming();
    TVLDocumentData doc(&style);
    Load(doc, bytes);
    state.ResumeTiming();
    TStringStream in(bytes);
    TColor color = clNone;
    benchmark::DoNotOptimize(doc.InsertVLFFromStream(in, n / 2, color, nullptr, nullptr, nullptr, false));
    state.PauseTiming();
    doc.Clear();
    state.ResumeTiming();
  }
  state.SetComplexityN(n);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_InsertInTheMiddle)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity();

}  // namespace

BENCHMARK_MAIN();

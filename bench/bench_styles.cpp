// Finding, and adding when missing, a text style in a large style sheet: the
// work of every formatting command and of RTF import on a sheet that has
// grown over years of journal entries.
#include "platform/gui/Forms.h"
#include "richtext/model/VLStyle.h"

#include <benchmark/benchmark.h>

namespace {

constexpr Integer SheetSize = 1000;

// A sheet of 1,000 distinct text styles.
void FillSheet(TVLStyle& sheet) {
  sheet.TextStyles->Clear();
  const char* faces[] = {"Arial", "Liberation Serif", "Liberation Mono", "DejaVu Sans"};
  for (Integer i = 0; i < SheetSize; ++i) {
    TFontInfo* fi = sheet.TextStyles->Add();
    fi->FontName = faces[i % 4];
    fi->Size = 8 + (i / 4) % 25;
    fi->Color = static_cast<TColor>((i * 2654435761u) & 0xFFFFFF);
    if (i % 3 == 0) fi->Style.Include(fsBold);
    if (i % 5 == 0) fi->Style.Include(fsItalic);
    fi->Jump = i % 50 == 0;
  }
}

// The style is found; range(0) is the number of the style looked for.
void BM_FindTextStyle(benchmark::State& state) {
  TVLStyle sheet(nullptr);
  FillSheet(sheet);
  TFontInfo wanted(nullptr);
  wanted.Assign(sheet.TextStyles->Items(static_cast<Integer>(state.range(0))));
  for (auto _ : state) {
    Integer no = sheet.TextStyles->FindSuchStyle(0, wanted, vlfiAll);
    benchmark::DoNotOptimize(no);
  }
}
BENCHMARK(BM_FindTextStyle)->Arg(1)->Arg(500)->Arg(999);

// The style is missing: the whole sheet is searched, then the style added
// (and taken away again, so every round starts from 1,000 styles).
void BM_FindOrAddTextStyle(benchmark::State& state) {
  TVLStyle sheet(nullptr);
  FillSheet(sheet);
  TFontInfo wanted(nullptr);
  wanted.Assign(sheet.TextStyles->Items(10));
  wanted.Size = 99;
  for (auto _ : state) {
    Integer no = sheet.TextStyles->FindSuchStyle(0, wanted, vlfiAll);
    if (no < 0) {
      sheet.TextStyles->Add()->Assign(&wanted);
      no = sheet.TextStyles->Count() - 1;
    }
    benchmark::DoNotOptimize(no);
    sheet.TextStyles->Delete(no);
  }
}
BENCHMARK(BM_FindOrAddTextStyle);

// Bold applied to a style: the look-up with one property changed.
void BM_FindBoldVariant(benchmark::State& state) {
  TVLStyle sheet(nullptr);
  FillSheet(sheet);
  TFontInfo wanted(nullptr);
  wanted.Assign(sheet.TextStyles->Items(998));
  wanted.Style.Include(fsBold);
  for (auto _ : state) {
    Integer no = sheet.TextStyles->FindSuchStyle(998, wanted, vlfiAll);
    benchmark::DoNotOptimize(no);
  }
}
BENCHMARK(BM_FindBoldVariant);

// Mapping incoming styles to the closest of 1,000 (RTF import, pasting).
void BM_MapToClosestTextStyle(benchmark::State& state) {
  TVLStyle sheet(nullptr), incoming(nullptr);
  FillSheet(sheet);
  incoming.TextStyles->Clear();
  TFontInfo* odd = incoming.TextStyles->Add();
  odd->FontName = "Liberation Sans";
  odd->Size = 13;
  odd->Color = 0x123456;
  TVLIntegerList map;
  for (auto _ : state) {
    sheet.TextStyles->MergeWith(*incoming.TextStyles, vlsmmMap, map, nullptr);
    benchmark::DoNotOptimize(map[0]);
  }
}
BENCHMARK(BM_MapToClosestTextStyle);

// Merging an identical sheet of 1,000 styles (a VLF fragment pasted into
// the journal that wrote it).
void BM_MergeIdenticalSheet(benchmark::State& state) {
  TVLStyle sheet(nullptr), incoming(nullptr);
  FillSheet(sheet);
  FillSheet(incoming);
  TVLIntegerList map;
  for (auto _ : state) {
    sheet.TextStyles->MergeWith(*incoming.TextStyles, vlsmmMerge, map, nullptr);
    benchmark::DoNotOptimize(map.Count());
  }
}
BENCHMARK(BM_MergeIdenticalSheet);

}  // namespace

int main(int argc, char** argv) {
  // The style sheet registers its cursors, which needs the GUI application.
  Application->Initialize();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

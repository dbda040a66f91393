// The base layer's hot paths: code-page conversion of item text (every
// layout and save of an 8-bit item), property streaming of style
// collections (every VLF entry that carries its styles), sorted string
// lists (journal and style names) and the safe formatter.
#include "platform/base/CodePages.h"
#include "platform/base/PropStream.h"
#include "platform/base/Strings.h"
#include "platform/base/SysUtils.h"

#include <benchmark/benchmark.h>

namespace {

// range(0) bytes of Western text with accented letters.
AnsiString WesternText(size_t n) {
  static const char words[] = "The caf\xE9 na\xEFve r\xE9sum\xE9 \x93quoted\x94 \x80 100 ";
  AnsiString s;
  s.reserve(n);
  while (s.size() < n) s += words;
  s.resize(n);
  return s;
}

void BM_AnsiToWide1252(benchmark::State& state) {
  const AnsiString text = WesternText(static_cast<size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(AnsiToWide(text, 1252));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AnsiToWide1252)->Arg(64)->Arg(1 << 20);

void BM_WideToAnsi1252(benchmark::State& state) {
  const WideString text = AnsiToWide(WesternText(static_cast<size_t>(state.range(0))), 1252);
  for (auto _ : state) benchmark::DoNotOptimize(WideToAnsi(text, 1252));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_WideToAnsi1252)->Arg(64)->Arg(1 << 20);

void BM_AnsiToWide932(benchmark::State& state) {
  AnsiString text;
  while (text.size() < static_cast<size_t>(state.range(0))) text += "\x93\xFA\x96\x7B\x8C\xEA abc ";
  for (auto _ : state) benchmark::DoNotOptimize(AnsiToWide(text, 932));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_AnsiToWide932)->Arg(64)->Arg(1 << 20);

class TBenchStyle : public TCollectionItem {
public:
  explicit TBenchStyle(TCollection* c) : TCollectionItem(c) {}
  AnsiString Name = "Font Style";
  Integer Size = 10;
  Integer Color = 0;
  bool Bold = false;
  Integer Align = 0;
  void DeclareProperties(TPropertyList& L) override {
    L.AddString("StyleName", Name, "Font Style");
    L.AddInt("Size", Size, 10);
    L.AddInt("Color", Color, 0);
    L.AddBool("Bold", Bold, false);
    L.AddEnumProp(
        "Alignment", [this] { return Align; }, [this](Int64 v) { Align = static_cast<Integer>(v); },
        {"vlaLeft", "vlaRight", "vlaCenter", "vlaJustify"}, 0);
  }
};

void FillStyles(TCollection& c, int n) {
  for (int i = 0; i < n; ++i) {
    auto* s = static_cast<TBenchStyle*>(c.Add());
    s->Name = "Style " + std::to_string(i);
    s->Size = 8 + i % 20;
    s->Color = i * 4099;
    s->Bold = i % 3 == 0;
    s->Align = i % 4;
  }
}

void BM_CollectionWrite(benchmark::State& state) {
  TCollection c(TCollection::Factory<TBenchStyle>());
  FillStyles(c, static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(CollectionToBytes(c));
}
BENCHMARK(BM_CollectionWrite)->Arg(8)->Arg(1000);

void BM_CollectionRead(benchmark::State& state) {
  TCollection c(TCollection::Factory<TBenchStyle>());
  FillStyles(c, static_cast<int>(state.range(0)));
  const AnsiString bytes = CollectionToBytes(c);
  TCollection r(TCollection::Factory<TBenchStyle>());
  for (auto _ : state) CollectionFromBytes(r, bytes);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
}
BENCHMARK(BM_CollectionRead)->Arg(8)->Arg(1000);

// Adding 10,000 names to a sorted, case-insensitive list.
void BM_SortedStringListAdd(benchmark::State& state) {
  std::vector<String> names;
  uint32_t seed = 7;
  for (int i = 0; i < state.range(0); ++i) {
    seed = seed * 1103515245 + 12345;
    names.push_back("Journal " + std::to_string(seed % 1000003) + (i % 2 ? " \xC3\x89t\xC3\xA9" : " notes"));
  }
  for (auto _ : state) {
    TStringList l;
    l.SetSorted(true);
    l.Duplicates = dupAccept;
    for (const String& n : names) l.Add(n);
    benchmark::DoNotOptimize(l.Count());
  }
}
BENCHMARK(BM_SortedStringListAdd)->Arg(10000);

void BM_Format(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(Format("{\\f%d\\fnil\\fcharset%d %s;}\\red%d\\green%d\\blue%d;%5.2f",
                                    {3, 238, "Liberation Serif", 255, 128, 0, 2.5}));
}
BENCHMARK(BM_Format);

}  // namespace

BENCHMARK_MAIN();

// The spell checker beside aspell (with aspell-en) on the same words: check
// speed of dictionary words, suggestion time and quality on generated
// misspellings (single edits of dictionary words), and the memory of an
// opened main dictionary. The aspell cases drive "aspell -a" through a
// pipe and are skipped with a message when aspell is missing.
#include "platform/base/CodePages.h"
#include "platform/os/SysPaths.h"
#include "spell/scMainDictionary.h"
#include "spell/scSpellBase.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

const std::string kWordList = "/usr/share/dict/american-english";

std::string DictionaryFolder() { return GetProgramFolder() + "/../bin"; }

std::vector<std::string> SourceWords() {
  std::vector<std::string> words;
  std::ifstream f(kWordList);
  for (std::string l; std::getline(f, l);)
    if (!l.empty()) words.push_back(Utf8ToAnsi(l, 1252));
  return words;
}

// 10,000 dictionary words in a fixed random order.
const std::vector<std::string>& CheckWords() {
  static const std::vector<std::string> words = [] {
    auto all = SourceWords();
    std::mt19937 rng(7);
    std::shuffle(all.begin(), all.end(), rng);
    all.resize(std::min<size_t>(all.size(), 10000));
    return all;
  }();
  return words;
}

struct Pair {
  std::string typo, intended;
};

// At least 2,000 single edits of lower-case dictionary words that are not
// words themselves: transpositions, insertions, deletions, substitutions.
const std::vector<Pair>& Misspellings() {
  static const std::vector<Pair> pairs = [] {
    const auto all = SourceWords();
    const std::set<std::string> known(all.begin(), all.end());
    std::vector<std::string> base;
    for (const auto& w : all)
      if (w.size() >= 4 && w.find_first_not_of("abcdefghijklmnopqrstuvwxyz") == std::string::npos)
        base.push_back(w);
    std::mt19937 rng(2026);
    std::vector<Pair> out;
    while (out.size() < 2000) {
      const std::string w = base[rng() % base.size()];
      std::string t = w;
      const size_t i = rng() % w.size();
      const char c = static_cast<char>('a' + rng() % 26);
      switch (out.size() % 4) {
        case 0:
          if (i + 1 >= t.size() || t[i] == t[i + 1]) continue;
          std::swap(t[i], t[i + 1]);
          break;
        case 1: t.insert(i, 1, c); break;
        case 2: t.erase(i, 1); break;
        case 3:
          if (t[i] == c) continue;
          t[i] = c;
          break;
      }
      if (known.count(t)) continue;
      out.push_back({t, w});
    }
    return out;
  }();
  return pairs;
}

std::unique_ptr<TSpellCheckerBase> MakeEngine() {
  auto e = std::make_unique<TSpellCheckerBase>(nullptr);
  e->ConfigStorage = csNone;
  e->ConfigDefaultActiveCustom = "";
  e->SetSuggestionsLearning(false);
  TStringList dirs;
  dirs.Add(DictionaryFolder());
  e->SetConfigDictionaryDir(dirs);
  e->SetKeepDictionariesActive(true);
  e->Configuration().SetActive(true);
  return e;
}

long RssKb(pid_t pid) {
  std::ifstream f("/proc/" + std::to_string(pid) + "/status");
  for (std::string l; std::getline(f, l);)
    if (l.rfind("VmRSS:", 0) == 0) return std::stol(l.substr(6));
  return -1;
}

// One "aspell -a" process: a line in, a result out.
class Aspell {
public:
  Aspell() {
    int in[2], out[2];
    if (pipe(in) || pipe(out)) return;
    FPid = fork();
    if (FPid == 0) {
      dup2(in[0], 0);
      dup2(out[1], 1);
      close(in[1]);
      close(out[0]);
      execlp("aspell", "aspell", "-a", "--lang=en_US", "--encoding=iso8859-1", nullptr);
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    FIn = fdopen(in[1], "w");
    FOut = fdopen(out[0], "r");
    char banner[512];
    FOk = FPid > 0 && fgets(banner, sizeof banner, FOut) && banner[0] == '@';
  }
  ~Aspell() {
    if (FIn) fclose(FIn);
    if (FOut) fclose(FOut);
    if (FPid > 0) waitpid(FPid, nullptr, 0);
  }
  bool Ok() const { return FOk; }
  pid_t Pid() const { return FPid; }

  // One result line per word ("*", "& ...", "# ..."), in order. A writer
  // thread keeps the pipes from filling up.
  std::vector<std::string> Ask(const std::vector<std::string>& words) {
    std::thread writer([&] {
      for (const auto& w : words) fprintf(FIn, "^%s\n", w.c_str());
      fflush(FIn);
    });
    std::vector<std::string> results;
    char line[65536];
    std::string current;
    while (results.size() < words.size() && fgets(line, sizeof line, FOut)) {
      std::string l = line;
      if (l == "\n") {
        results.push_back(current);
        current.clear();
      } else if (current.empty()) {
        current = l;
      }
    }
    writer.join();
    return results;
  }

private:
  pid_t FPid = -1;
  FILE* FIn = nullptr;
  FILE* FOut = nullptr;
  bool FOk = false;
};

std::vector<std::string> AspellSuggestions(const std::string& result) {
  std::vector<std::string> s;
  if (result.empty() || result[0] != '&') return s;
  std::stringstream in(result.substr(result.find(':') + 1));
  for (std::string w; std::getline(in, w, ',');) {
    while (!w.empty() && (w.front() == ' ')) w.erase(0, 1);
    while (!w.empty() && (w.back() == '\n' || w.back() == ' ')) w.pop_back();
    s.push_back(w);
  }
  return s;
}

void Shares(benchmark::State& state, int top1, int top10, size_t n) {
  state.counters["top1_pct"] = 100.0 * top1 / static_cast<double>(n);
  state.counters["top10_pct"] = 100.0 * top10 / static_cast<double>(n);
}

void Rank(const std::vector<std::string>& list, const std::string& intended, int& top1,
          int& top10) {
  for (size_t i = 0; i < list.size() && i < 10; ++i)
    if (list[i] == intended) {
      if (i == 0) ++top1;
      ++top10;
      break;
    }
}

// --- Check: dictionary words, per word.
void Check_ours(benchmark::State& state) {
  auto e = MakeEngine();
  const auto& words = CheckWords();
  size_t accepted = 0;
  for (auto _ : state)
    for (const auto& w : words) accepted += e->IsWordAcceptable(w);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * words.size()));
  state.counters["accepted_pct"] = 100.0 * static_cast<double>(accepted) /
                                   static_cast<double>(state.iterations() * words.size());
}

void Check_aspell(benchmark::State& state) {
  Aspell a;
  if (!a.Ok()) {
    state.SkipWithError("aspell (with aspell-en) is not installed");
    return;
  }
  const auto& words = CheckWords();
  size_t accepted = 0;
  for (auto _ : state)
    for (const auto& r : a.Ask(words)) accepted += !r.empty() && r[0] == '*';
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * words.size()));
  state.counters["accepted_pct"] = 100.0 * static_cast<double>(accepted) /
                                   static_cast<double>(state.iterations() * words.size());
}

// --- Suggest: the generated misspellings, per word, with the share of the
// intended word first and among the first ten.
void Suggest_ours(benchmark::State& state) {
  auto e = MakeEngine();
  const auto& pairs = Misspellings();
  int top1 = 0, top10 = 0;
  for (auto _ : state) {
    top1 = top10 = 0;
    for (const auto& p : pairs) {
      TStringList list;
      e->GetSuggestions(p.typo, &list);
      Rank(list.ToVector(), p.intended, top1, top10);
    }
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * pairs.size()));
  Shares(state, top1, top10, pairs.size());
  if (!e->MainDictionaries().empty())
    state.counters["tables_kb"] =
        static_cast<double>(e->MainDictionaries().front()->TableBytes()) / 1024.0;
}

void Suggest_aspell(benchmark::State& state) {
  Aspell a;
  if (!a.Ok()) {
    state.SkipWithError("aspell (with aspell-en) is not installed");
    return;
  }
  const auto& pairs = Misspellings();
  std::vector<std::string> typos;
  for (const auto& p : pairs) typos.push_back(p.typo);
  int top1 = 0, top10 = 0;
  for (auto _ : state) {
    top1 = top10 = 0;
    const auto results = a.Ask(typos);
    for (size_t i = 0; i < pairs.size() && i < results.size(); ++i)
      Rank(AspellSuggestions(results[i]), pairs[i].intended, top1, top10);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * pairs.size()));
  Shares(state, top1, top10, pairs.size());
}

// --- Memory of an opened main dictionary: ours is the mapped file (and
// what of it the look-ups made resident) and the tables built on opening;
// aspell's the whole process.
void DictionaryMemory_ours(benchmark::State& state) {
  const long before = RssKb(getpid());
  TMainDictionary d;
  d.Open(DictionaryFolder() + "/American.spm");
  size_t found = 0;
  for (auto _ : state)
    for (const auto& w : CheckWords()) found += d.WordExists(w);
  benchmark::DoNotOptimize(found);
  state.counters["mapped_kb"] = static_cast<double>(d.MappedSize()) / 1024.0;
  // Heap pages freed by an earlier run of this case may be reused without
  // growing the resident size: the tables are counted apart.
  state.counters["tables_kb"] = static_cast<double>(d.TableBytes()) / 1024.0;
  state.counters["rss_growth_kb"] = static_cast<double>(RssKb(getpid()) - before);
}

void DictionaryMemory_aspell(benchmark::State& state) {
  Aspell a;
  if (!a.Ok()) {
    state.SkipWithError("aspell (with aspell-en) is not installed");
    return;
  }
  for (auto _ : state) a.Ask(CheckWords());
  state.counters["process_rss_kb"] = static_cast<double>(RssKb(a.Pid()));
}

}  // namespace

// Wall-clock time throughout: aspell's work happens in its own process.
BENCHMARK(Check_ours)->Name("Check/ours")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Check_aspell)->Name("Check/aspell")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Suggest_ours)->Name("Suggest/ours")->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();
BENCHMARK(Suggest_aspell)
    ->Name("Suggest/aspell")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();
BENCHMARK(DictionaryMemory_ours)->Name("DictionaryMemory/ours")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(DictionaryMemory_aspell)
    ->Name("DictionaryMemory/aspell")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->UseRealTime();

BENCHMARK_MAIN();

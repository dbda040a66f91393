// The spell checker beside aspell (libaspell with aspell-en) and hunspell
// (libhunspell with hunspell-en-us), each called in process, word by word:
// check time of words, suggestion time and quality on misspellings, and the
// memory of an opened main dictionary. The misspellings are made from the
// thesaurus's headwords, not from our word list, with four kinds of error
// (transposition, doubled letter, dropped letter, phonetic), and kept only
// where all three checkers know the intended word and none accepts the
// misspelling; a set of misspellings people really write, gathered by
// hand (bench/data/real-misspellings.txt); and the larger set of the
// misspelling lists that codespell and misspell-fixer install. A peer whose
// library is missing is skipped with a message.
#include "platform/base/CodePages.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"
#include "platform/os/SysPaths.h"
#include "richtext/editor/VellumEdit.h"
#include "richtext/model/VLStyle.h"
#include "spell/scMainDictionary.h"
#include "spell/scSpellBase.h"
#include "spell/scSuggestions.h"
#include "spellvl/VLSpellChecker.h"

#include "BenchText.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <ctime>
#include <fstream>
#include <random>
#include <set>
#include <unistd.h>

#ifdef QY_HAVE_ASPELL
#include <aspell.h>
#endif
#ifdef QY_HAVE_HUNSPELL
#include <hunspell/hunspell.h>
#endif

namespace {

const std::string kOurList = "/usr/share/dict/american-english";
const std::string kOtherSource = "/usr/share/mythes/th_en_US_v2.dat";

std::string DictionaryFolder() { return GetProgramFolder() + "/../bin"; }

bool PlainLower(const std::string& w) {
  return w.size() >= 4 && w.find_first_not_of("abcdefghijklmnopqrstuvwxyz") == std::string::npos;
}

// Lower-case single words of the thesaurus (a source apart from our list).
std::vector<std::string> OtherWords() {
  std::vector<std::string> words;
  std::ifstream f(kOtherSource);
  std::string l;
  std::getline(f, l);
  while (std::getline(f, l)) {
    const auto bar = l.rfind('|');
    if (bar == std::string::npos || l[0] == '(') continue;
    const std::string w = l.substr(0, bar);
    if (PlainLower(w)) words.push_back(w);
  }
  return words;
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

// One checker behind a common face.
class Checker {
public:
  virtual ~Checker() = default;
  virtual bool Ok() const = 0;
  virtual bool Check(const std::string& w) = 0;
  virtual std::vector<std::string> Suggest(const std::string& w) = 0;
};

class Ours : public Checker {
public:
  Ours() : FEngine(MakeEngine()) {}
  bool Ok() const override { return !FEngine->MainDictionaries().empty(); }
  bool Check(const std::string& w) override { return FEngine->IsWordAcceptable(w); }
  std::vector<std::string> Suggest(const std::string& w) override {
    TStringList list;
    FEngine->BuildSuggestions(w, kDialogSuggestions, &list);
    return list.ToVector();
  }
  TSpellCheckerBase& Engine() { return *FEngine; }

private:
  std::unique_ptr<TSpellCheckerBase> FEngine;
};

class Aspell : public Checker {
public:
#ifdef QY_HAVE_ASPELL
  Aspell() {
    AspellConfig* c = new_aspell_config();
    aspell_config_replace(c, "lang", "en_US");
    aspell_config_replace(c, "encoding", "iso-8859-1");
    AspellCanHaveError* r = new_aspell_speller(c);
    delete_aspell_config(c);
    if (aspell_error_number(r) == 0)
      FSpeller = to_aspell_speller(r);
    else
      delete_aspell_can_have_error(r);
  }
  ~Aspell() override {
    if (FSpeller) delete_aspell_speller(FSpeller);
  }
  bool Ok() const override { return FSpeller != nullptr; }
  bool Check(const std::string& w) override {
    return aspell_speller_check(FSpeller, w.c_str(), static_cast<int>(w.size())) == 1;
  }
  std::vector<std::string> Suggest(const std::string& w) override {
    std::vector<std::string> out;
    const AspellWordList* l = aspell_speller_suggest(FSpeller, w.c_str(), static_cast<int>(w.size()));
    AspellStringEnumeration* e = aspell_word_list_elements(l);
    while (const char* s = aspell_string_enumeration_next(e)) out.emplace_back(s);
    delete_aspell_string_enumeration(e);
    return out;
  }

private:
  AspellSpeller* FSpeller = nullptr;
#else
  bool Ok() const override { return false; }
  bool Check(const std::string&) override { return false; }
  std::vector<std::string> Suggest(const std::string&) override { return {}; }
#endif
};

class Hunspell : public Checker {
public:
#ifdef QY_HAVE_HUNSPELL
  Hunspell() {
    if (access("/usr/share/hunspell/en_US.aff", R_OK) == 0)
      FHandle = Hunspell_create("/usr/share/hunspell/en_US.aff", "/usr/share/hunspell/en_US.dic");
  }
  ~Hunspell() override {
    if (FHandle) Hunspell_destroy(FHandle);
  }
  bool Ok() const override { return FHandle != nullptr; }
  // The test words are plain ASCII, the same in UTF-8.
  bool Check(const std::string& w) override { return Hunspell_spell(FHandle, w.c_str()) != 0; }
  std::vector<std::string> Suggest(const std::string& w) override {
    char** list = nullptr;
    const int n = Hunspell_suggest(FHandle, &list, w.c_str());
    std::vector<std::string> out(list, list + n);
    Hunspell_free_list(FHandle, &list, n);
    return out;
  }

private:
  Hunhandle* FHandle = nullptr;
#else
  bool Ok() const override { return false; }
  bool Check(const std::string&) override { return false; }
  std::vector<std::string> Suggest(const std::string&) override { return {}; }
#endif
};

std::unique_ptr<Checker> Make(int which) {
  if (which == 1) return std::make_unique<Aspell>();
  if (which == 2) return std::make_unique<Hunspell>();
  return std::make_unique<Ours>();
}

// 10,000 words to check: half from our list, half from the other source.
const std::vector<std::string>& CheckWords() {
  static const std::vector<std::string> words = [] {
    std::vector<std::string> ours;
    std::ifstream f(kOurList);
    for (std::string l; std::getline(f, l);)
      if (!l.empty()) ours.push_back(Utf8ToAnsi(l, 1252));
    auto other = OtherWords();
    std::mt19937 rng(7);
    std::shuffle(ours.begin(), ours.end(), rng);
    std::shuffle(other.begin(), other.end(), rng);
    ours.resize(std::min<size_t>(ours.size(), 5000));
    other.resize(std::min<size_t>(other.size(), 5000));
    ours.insert(ours.end(), other.begin(), other.end());
    std::shuffle(ours.begin(), ours.end(), rng);
    return ours;
  }();
  return words;
}

struct Pair {
  std::string typo, intended;
  int kind;
};

// A phonetic misspelling: one sound written another common way.
bool Phonetic(std::string& t, std::mt19937& rng) {
  static const std::pair<const char*, const char*> kSounds[] = {
      {"ph", "f"}, {"f", "ph"}, {"ie", "ei"}, {"ei", "ie"}, {"tion", "shun"}, {"c", "k"},
      {"k", "c"},  {"ea", "ee"}, {"ee", "ea"}, {"ough", "uff"}, {"ight", "ite"}, {"s", "z"},
      {"ck", "k"}, {"qu", "kw"}, {"x", "ks"}, {"ance", "ence"}, {"ence", "ance"}, {"able", "ible"},
      {"ible", "able"}, {"er", "ur"}, {"or", "er"}, {"y", "ie"}, {"wh", "w"}, {"ss", "s"}};
  const auto& [from, to] = kSounds[rng() % std::size(kSounds)];
  const auto at = t.find(from, rng() % t.size() / 2);
  if (at == std::string::npos) return false;
  t.replace(at, std::string(from).size(), to);
  return true;
}

// 2,000 misspellings, 500 of each kind.
const std::vector<Pair>& Misspellings() {
  static const std::vector<Pair> pairs = [] {
    auto base = OtherWords();
    Ours ours;
    Aspell aspell;
    Hunspell hunspell;
    std::vector<Checker*> all{&ours};
    if (aspell.Ok()) all.push_back(&aspell);
    if (hunspell.Ok()) all.push_back(&hunspell);
    std::mt19937 rng(2026);
    std::vector<Pair> out;
    std::set<std::string> used;
    int count[4] = {};
    for (size_t tries = 0; out.size() < 2000 && tries < 2000000; ++tries) {
      const std::string w = base[rng() % base.size()];
      const int kind = static_cast<int>(tries % 4);
      if (count[kind] >= 500) continue;
      std::string t = w;
      const size_t i = rng() % w.size();
      switch (kind) {
        case 0:
          if (i + 1 >= t.size() || t[i] == t[i + 1]) continue;
          std::swap(t[i], t[i + 1]);
          break;
        case 1: t.insert(i, 1, t[i]); break;
        case 2:
          if (i > 0 && t[i] == t[i - 1]) continue;
          t.erase(i, 1);
          break;
        case 3:
          if (!Phonetic(t, rng)) continue;
          break;
      }
      if (t == w || !used.insert(t).second) continue;
      bool fair = true;
      for (Checker* c : all) fair = fair && c->Check(w) && !c->Check(t);
      if (!fair) continue;
      ++count[kind];
      out.push_back({t, w, kind});
    }
    return out;
  }();
  return pairs;
}

// Misspellings people really write (gathered by hand, bench/data), kept
// where all three checkers know the intended word and none accepts the
// misspelling.
const std::vector<Pair>& RealMisspellings() {
  static const std::vector<Pair> pairs = [] {
    Ours ours;
    Aspell aspell;
    Hunspell hunspell;
    std::vector<Checker*> all{&ours};
    if (aspell.Ok()) all.push_back(&aspell);
    if (hunspell.Ok()) all.push_back(&hunspell);
    std::vector<Pair> out;
    std::ifstream f(std::string(QY_BENCH_DATA) + "/real-misspellings.txt");
    for (std::string l; std::getline(f, l);) {
      if (l.empty() || l[0] == '#') continue;
      const auto space = l.find(' ');
      if (space == std::string::npos) continue;
      const Pair p{l.substr(0, space), l.substr(space + 1), 0};
      bool fair = true;
      for (Checker* c : all) fair = fair && c->Check(p.intended) && !c->Check(p.typo);
      if (fair) out.push_back(p);
    }
    return out;
  }();
  return pairs;
}

// Misspellings from the list of misspelling->correction pairs that Debian's
// codespell package installs (many of them several slips away), where the
// correction is one word of plain letters: a fixed sample of 4,000 of those
// all three checkers judge as the other sets. Empty without the package.
const std::string kCodespellList = "/usr/lib/python3/dist-packages/codespell_lib/data/dictionary.txt";

const std::vector<Pair>& CodespellMisspellings() {
  static const std::vector<Pair> pairs = [] {
    std::vector<Pair> all;
    std::ifstream f(kCodespellList);
    for (std::string l; std::getline(f, l);) {
      const auto arrow = l.find("->");
      if (arrow == std::string::npos) continue;
      const Pair p{l.substr(0, arrow), l.substr(arrow + 2), 0};
      auto plain = [](const std::string& w) {
        return w.size() >= 3 && w.find_first_not_of("abcdefghijklmnopqrstuvwxyz") == std::string::npos;
      };
      if (plain(p.typo) && plain(p.intended)) all.push_back(p);
    }
    std::mt19937 rng(5);
    std::shuffle(all.begin(), all.end(), rng);
    Ours ours;
    Aspell aspell;
    Hunspell hunspell;
    std::vector<Checker*> judges{&ours};
    if (aspell.Ok()) judges.push_back(&aspell);
    if (hunspell.Ok()) judges.push_back(&hunspell);
    std::vector<Pair> out;
    for (const Pair& p : all) {
      if (out.size() >= 4000) break;
      bool fair = true;
      for (Checker* c : judges) fair = fair && c->Check(p.intended) && !c->Check(p.typo);
      if (fair) out.push_back(p);
    }
    return out;
  }();
  return pairs;
}

// The larger set: every misspelling of one plain word for another in the
// lists of misspelling->correction pairs that Debian packages install, kept
// where all three checkers know the correction and none accepts the
// misspelling; each misspelling once, with the first list's correction.
// The lists: codespell's whole dictionary and misspell-fixer's "safe"
// rules (sed lines "s/\bmisspelling\b/correction/g"). Empty without the
// packages.
const std::string kMisspellFixerRules = "/usr/share/misspell-fixer/rules/safe.";

bool PlainWord(const std::string& w) {
  return w.size() >= 3 && w.find_first_not_of("abcdefghijklmnopqrstuvwxyz") == std::string::npos;
}

std::vector<Pair> ListedMisspellings() {
  std::vector<Pair> all;
  std::set<std::string> typos;
  auto add = [&](const std::string& typo, const std::string& intended) {
    if (PlainWord(typo) && PlainWord(intended) && typo != intended && typos.insert(typo).second)
      all.push_back({typo, intended, 0});
  };
  std::string l;
  {
    std::ifstream f(kCodespellList);
    while (std::getline(f, l)) {
      const auto arrow = l.find("->");
      if (arrow != std::string::npos) add(l.substr(0, arrow), l.substr(arrow + 2));
    }
  }
  for (int part = 0; part < 4; ++part) {
    std::ifstream f(kMisspellFixerRules + std::to_string(part) + ".sed");
    const std::string open = "s/\\b", close = "\\b/";
    while (std::getline(f, l)) {
      if (l.rfind(open, 0) != 0) continue;
      const auto mid = l.find(close);
      const auto end = l.rfind("/g");
      if (mid == std::string::npos || end == std::string::npos || end < mid + close.size()) continue;
      add(l.substr(open.size(), mid - open.size()), l.substr(mid + close.size(), end - mid - close.size()));
    }
  }
  return all;
}

const std::vector<Pair>& LargerMisspellings() {
  static const std::vector<Pair> pairs = [] {
    Ours ours;
    Aspell aspell;
    Hunspell hunspell;
    std::vector<Checker*> judges{&ours};
    if (aspell.Ok()) judges.push_back(&aspell);
    if (hunspell.Ok()) judges.push_back(&hunspell);
    std::vector<Pair> out;
    for (const Pair& p : ListedMisspellings()) {
      bool fair = true;
      for (Checker* c : judges) fair = fair && c->Check(p.intended) && !c->Check(p.typo);
      if (fair) out.push_back(p);
    }
    return out;
  }();
  return pairs;
}

const char* const kNames[] = {"ours", "aspell", "hunspell"};

// --- Check: per word.
void Check(benchmark::State& state, int which) {
  auto c = Make(which);
  if (!c->Ok()) {
    state.SkipWithError((std::string(kNames[which]) + " is not installed").c_str());
    return;
  }
  const auto& words = CheckWords();
  size_t accepted = 0;
  for (auto _ : state)
    for (const auto& w : words) accepted += c->Check(w);
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * words.size()));
  // Seconds per word (the inverse of the rate).
  state.counters["s_per_word"] = benchmark::Counter(
      static_cast<double>(words.size()),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  state.counters["accepted_pct"] = 100.0 * static_cast<double>(accepted) /
                                   static_cast<double>(state.iterations() * words.size());
}

// --- Suggest: the dialog's list (ten at most) for each misspelling of a
// set, in lower case or capitalised (the start of a sentence): the time of
// one list, and the share of lists with the intended word first, among the
// first five and anywhere in the list (of the generated set, the first by
// kind of slip too). Ours also takes its lists in turn with aspell's, a
// few misspellings at a time, in CPU time: a ratio that the load of a shared
// machine moves less than two cases run one after the other.
// The larger set also whole and in a tenth (every tenth misspelling), for
// hunspell's 30 ms a list.
enum TSet { stReal, stGenerated, stCodespell, stLarger, stLargerTenth };

std::vector<Pair> SetOf(TSet set, bool capital) {
  std::vector<Pair> pairs;
  switch (set) {
    case stReal: pairs = RealMisspellings(); break;
    case stGenerated: pairs = Misspellings(); break;
    case stCodespell: pairs = CodespellMisspellings(); break;
    case stLarger: pairs = LargerMisspellings(); break;
    case stLargerTenth:
      for (size_t i = 0; i < LargerMisspellings().size(); i += 10) pairs.push_back(LargerMisspellings()[i]);
      break;
  }
  if (capital)
    for (auto& p : pairs) {
      p.typo[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(p.typo[0])));
      p.intended[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(p.intended[0])));
    }
  return pairs;
}

std::vector<std::string> DialogList(Checker& c, const std::string& typo) {
  auto list = c.Suggest(typo);
  if (list.size() > static_cast<size_t>(kDialogSuggestions)) list.resize(kDialogSuggestions);
  return list;
}

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

void SuggestSet(benchmark::State& state, int which, TSet set, bool capital) {
  auto c = Make(which);
  if (!c->Ok()) {
    state.SkipWithError((std::string(kNames[which]) + " is not installed").c_str());
    return;
  }
  const auto pairs = SetOf(set, capital);
  if (pairs.empty()) {
    state.SkipWithError("no misspellings in the set (codespell or misspell-fixer is not installed?)");
    return;
  }
  // The figures of quality, from a pass before the timed ones (which also
  // builds what the first lists build); hunspell's, from its one timed pass.
  int top1 = 0, top5 = 0, top10 = 0;
  int kindTop1[4] = {}, kindCount[4] = {};
  std::vector<size_t> sizes;
  auto judge = [&](const Pair& p, const std::vector<std::string>& list) {
    const auto at = std::find(list.begin(), list.end(), p.intended) - list.begin();
    const auto size = static_cast<long>(list.size());
    // (An empty list holds no first word.)
    top1 += at == 0 && size > 0;
    top5 += at < 5 && at < size;
    top10 += at < size;
    kindTop1[p.kind] += at == 0 && size > 0;
    ++kindCount[p.kind];
    sizes.push_back(list.size());
  };
  const bool once = which == 2;
  if (!once)
    for (const auto& p : pairs) judge(p, DialogList(*c, p.typo));
  bool judged = !once;
  for (auto _ : state) {
    for (const auto& p : pairs) {
      auto list = DialogList(*c, p.typo);
      if (!judged) judge(p, list);
      benchmark::DoNotOptimize(list);
    }
    judged = true;
  }
  const double n = static_cast<double>(pairs.size());
  std::sort(sizes.begin(), sizes.end());
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * pairs.size()));
  state.counters["misspellings"] = n;
  state.counters["top1_pct"] = n ? 100.0 * top1 / n : 0.0;
  state.counters["top5_pct"] = n ? 100.0 * top5 / n : 0.0;
  state.counters["top10_pct"] = n ? 100.0 * top10 / n : 0.0;
  state.counters["median_suggestions"] = sizes.empty() ? 0.0 : static_cast<double>(sizes[sizes.size() / 2]);
  state.counters["s_per_list"] = benchmark::Counter(
      n, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  if (set == stGenerated) {
    const char* kinds[] = {"swap", "double", "drop", "phonetic"};
    for (int k = 0; k < 4; ++k)
      if (kindCount[k])
        state.counters[std::string("top1_") + kinds[k] + "_pct"] = 100.0 * kindTop1[k] / kindCount[k];
  }
  if (which != 0) return;
  if (set == stLarger) {
    // The lists of the engine without the words that sound as typed (the
    // engine before them), in lower case and capitalised: those of ten that
    // held the intended word and lost it with them, and those that gained it.
    auto& engine = static_cast<Ours&>(*c).Engine();
    int lost = 0, gained = 0;
    for (const bool upper : {false, true})
      for (const auto& p : SetOf(set, upper)) {
        engine.SoundAlikeSuggestions = false;
        const auto earlier = DialogList(*c, p.typo);
        engine.SoundAlikeSuggestions = true;
        const auto now = DialogList(*c, p.typo);
        const bool before = std::find(earlier.begin(), earlier.end(), p.intended) != earlier.end();
        const bool after = std::find(now.begin(), now.end(), p.intended) != now.end();
        lost += before && !after;
        gained += after && !before;
      }
    state.counters["lost_to_sound_alikes"] = lost;
    state.counters["gained_by_sound_alikes"] = gained;
  }
  Aspell aspell;
  if (!aspell.Ok() || pairs.empty()) return;
  // Forty lists at a time: each checker's tables stay in the caches as in
  // a case of its own.
  double ours = 0, theirs = 0;
  const size_t rounds = std::max<size_t>(1, 1000 / pairs.size()), chunk = 40;
  for (size_t r = 0; r < rounds; ++r)
    for (size_t from = 0; from < pairs.size(); from += chunk) {
      const size_t to = std::min(pairs.size(), from + chunk);
      const double start = CpuSeconds();
      for (size_t i = from; i < to; ++i) benchmark::DoNotOptimize(DialogList(*c, pairs[i].typo));
      const double middle = CpuSeconds();
      for (size_t i = from; i < to; ++i) benchmark::DoNotOptimize(DialogList(aspell, pairs[i].typo));
      ours += middle - start;
      theirs += CpuSeconds() - middle;
    }
  state.counters["to_aspell_cpu"] = theirs > 0 ? ours / theirs : 0.0;
}

void RegisterSuggestSets() {
  struct TCase {
    const char* name;
    TSet set;
    bool capital;
    int iterations;
  } cases[] = {{"SuggestReal", stReal, false, 10},
               {"SuggestRealCapitalised", stReal, true, 10},
               {"SuggestGenerated", stGenerated, false, 2},
               {"SuggestGeneratedCapitalised", stGenerated, true, 2},
               {"SuggestCodespell", stCodespell, false, 1},
               {"SuggestLarger", stLarger, false, 1},
               {"SuggestLargerTenth", stLargerTenth, false, 1}};
  // Hunspell takes some 20-30 ms a list: on the real misspellings and a
  // tenth of the larger set only.
  for (const auto& c : cases)
    for (int which = 0; which < (c.set == stReal || c.set == stLargerTenth ? 3 : 2); ++which)
      benchmark::RegisterBenchmark((std::string(c.name) + "/" + kNames[which]).c_str(),
                                   [which, set = c.set, capital = c.capital](benchmark::State& state) {
                                     SuggestSet(state, which, set, capital);
                                   })
          ->Unit(benchmark::kMillisecond)
          ->Iterations(which == 2 ? 1 : c.iterations);
}

// --- The first list after the program starts: a new checker that has
// opened its dictionary (a word checked), then the dialog's list for one
// misspelling, with what the first list builds (ours: the word index by
// ending and by sound).
void FirstSuggestionList(benchmark::State& state, int which) {
  for (auto _ : state) {
    state.PauseTiming();
    auto c = Make(which);
    if (!c->Ok()) {
      state.SkipWithError((std::string(kNames[which]) + " is not installed").c_str());
      return;
    }
    c->Check("journal");
    state.ResumeTiming();
    benchmark::DoNotOptimize(DialogList(*c, "wrods"));
  }
}

long RssKb(pid_t pid) {
  std::ifstream f("/proc/" + std::to_string(pid) + "/status");
  for (std::string l; std::getline(f, l);)
    if (l.rfind("VmRSS:", 0) == 0) return std::stol(l.substr(6));
  return -1;
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
  // The first near-word search builds the word index by ending: its time
  // (paid once, by the first suggestion list) and the tables after it.
  TStringList near;
  const auto start = std::chrono::steady_clock::now();
  d.FindNearWords("acommodation", 2, kDialogSuggestions, &near);
  state.counters["first_near_ms"] =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  state.counters["tables_after_near_kb"] = static_cast<double>(d.TableBytes()) / 1024.0;
}

// --- A whole entry through the editor: a 1 MB entry of generated journal
// prose in a real editor, checked through the rich-text parser with the
// spelling dialog's engine; aspell gets the same text through its pipe
// ("aspell list", process start included).
// Paragraphs of words drawn uniformly from every word of the list our
// dictionary accepts: a vocabulary of tens of thousands, the worst case for
// the check's word cache (journal prose repeats its words far more).
std::vector<std::string> VariedParagraphs(size_t count) {
  static const std::vector<std::string> vocabulary = [] {
    std::vector<std::string> all;
    Ours ours;
    std::ifstream f(kOurList);
    for (std::string l; std::getline(f, l);) {
      const std::string w = Utf8ToAnsi(l, 1252);
      bool plain = !w.empty() && w.size() < 20;
      for (unsigned char c : w) plain = plain && std::isalpha(c) && c < 0x80;
      if (plain && ours.Check(w)) all.push_back(w);
    }
    return all;
  }();
  std::mt19937 rng(11);
  std::uniform_int_distribution<size_t> pick(0, vocabulary.empty() ? 0 : vocabulary.size() - 1);
  std::vector<std::string> paragraphs;
  for (size_t i = 0; i < count && !vocabulary.empty(); ++i) {
    std::string p;
    for (int w = 0; w < 14; ++w) p += (w ? " " : "") + vocabulary[pick(rng)];
    paragraphs.push_back(p + ".");
  }
  return paragraphs;
}

struct TEntry {
  explicit TEntry(const std::string& tail, bool varied = false) : Style(nullptr) {
    Style.TextStyles->Items(0)->FontName = "Arial";
    Style.TextStyles->Items(0)->Size = 10;
    Style.TextStyles->Items(0)->Unicode = true;
    Style.UseSound = false;
    Form.SetBounds(0, 0, 820, 620);
    Edit = new TVellumEdit(&Form);
    Edit->SetParent(&Form);
    Edit->SetBounds(0, 0, 800, 600);
    Edit->SetStyle(&Style);
    for (const std::string& generated : varied ? VariedParagraphs(8000) : BenchParagraphs(10000)) {
      // Without a word written twice in a row, which the check would stop at.
      std::string p, last;
      for (size_t at = 0; at < generated.size();) {
        size_t end = generated.find(' ', at);
        if (end == std::string::npos) end = generated.size();
        const std::string word = generated.substr(at, end - at);
        if (word != last) p += (p.empty() ? "" : " ") + word;
        last = word;
        at = end + 1;
      }
      Edit->AddTextItem(p, 0, 0);
      Text += p + "\n";
    }
    Edit->AddTextItem("the end of the day" + tail, 0, 0);
    Text += "the end of the day" + tail + "\n";
    Form.Show();
    Edit->Format();
    Edit->SetCaret(0, 1);
    Spell.ConfigStorage = csNone;
    Spell.ConfigDefaultActiveCustom = "";
    Spell.SetSuggestionsLearning(false);
    TStringList dirs;
    dirs.Add(DictionaryFolder());
    Spell.SetConfigDictionaryDir(dirs);
    Spell.SetKeepDictionariesActive(true);
    Spell.SynchronousCheck = false;
    Spell.EndMessage = emNever;
    QApplication::processEvents();
  }
  ~TEntry() { Spell.CancelCheck(); }
  TVLStyle Style;
  TForm Form{nullptr};
  TVellumEdit* Edit = nullptr;
  TVLSpellChecker Spell{nullptr};
  std::string Text;
};

void CheckEntry1MB_ours(benchmark::State& state, bool varied) {
  TEntry e("", varied);
  int words = 0;
  for (auto _ : state) {
    e.Spell.CheckVellumEdit(e.Edit, ctWholeText);
    if (e.Spell.CheckRunning()) {
      state.SkipWithError(("stopped at \"" + e.Spell.CurrentWord() + "\"").c_str());
      return;
    }
    words = e.Spell.WordsChecked();
  }
  state.counters["words"] = words;
  state.counters["bytes"] = static_cast<double>(e.Text.size());
}

void CheckEntry1MB_aspell(benchmark::State& state, bool varied) {
  if (std::system("command -v aspell > /dev/null 2>&1") != 0) {
    state.SkipWithError("aspell is not installed");
    return;
  }
  TEntry e("", varied);
  char path[] = "/tmp/qy-bench-spell-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0 || write(fd, e.Text.data(), e.Text.size()) != static_cast<ssize_t>(e.Text.size())) {
    state.SkipWithError("cannot write the text for aspell");
    return;
  }
  close(fd);
  const std::string cmd = std::string("aspell --lang=en_US --encoding=iso-8859-1 list < ") + path;
  size_t reported = 0;
  for (auto _ : state) {
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) break;
    char buf[4096];
    reported = 0;
    while (fgets(buf, sizeof buf, p)) ++reported;
    pclose(p);
  }
  unlink(path);
  state.counters["misspellings"] = static_cast<double>(reported);
  state.counters["bytes"] = static_cast<double>(e.Text.size());
}

// From the command to the first Not Found prompt, the misspelling at the
// end of a 1 MB entry: the walk, the suggestions and the dialog shown.
void F7ToFirstPrompt1MB_ours(benchmark::State& state) {
  TEntry e(" wrods");
  for (auto _ : state) {
    e.Spell.CheckVellumEdit(e.Edit, ctWholeText);
    if (!e.Spell.CheckRunning() || !e.Spell.Dialog() || e.Spell.CurrentWord() != "wrods") {
      state.SkipWithError("no prompt for the misspelling");
      return;
    }
    state.PauseTiming();
    e.Spell.CancelCheck();
    QApplication::processEvents();
    state.ResumeTiming();
  }
}

}  // namespace

BENCHMARK_CAPTURE(CheckEntry1MB_ours, prose, false)->Name("CheckEntry1MB/ours")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CheckEntry1MB_aspell, prose, false)->Name("CheckEntry1MB/aspell")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CheckEntry1MB_ours, varied, true)->Name("CheckEntryVaried1MB/ours")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(CheckEntry1MB_aspell, varied, true)
    ->Name("CheckEntryVaried1MB/aspell")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(F7ToFirstPrompt1MB_ours)->Name("F7ToFirstPrompt1MB/ours")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Check, ours, 0)->Name("Check/ours")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Check, aspell, 1)->Name("Check/aspell")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Check, hunspell, 2)->Name("Check/hunspell")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FirstSuggestionList, ours, 0)
    ->Name("FirstSuggestionList/ours")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);
BENCHMARK_CAPTURE(FirstSuggestionList, aspell, 1)
    ->Name("FirstSuggestionList/aspell")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);
BENCHMARK_CAPTURE(FirstSuggestionList, hunspell, 2)
    ->Name("FirstSuggestionList/hunspell")
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);
BENCHMARK(DictionaryMemory_ours)->Name("DictionaryMemory/ours")->Unit(benchmark::kMillisecond);

// Figures of the editor cases (shared 8-core machine under a load of 14-17,
// medians of five): CheckEntry1MB ours 9-12.5 ms (161,702 words through the
// rich-text parser, the engine's filters and the dictionaries; 43 ms before
// the check's word cache, the block-wise splitter and the filters asked only
// after the characters they act on), aspell's pipe 50-56 ms on the same
// text; F7ToFirstPrompt1MB 12-16.5 ms (was 32). Of ours, about a third is
// the splitter's scan of the text, a fifth the word cache's probe, and a
// sixth the parser's per-item work (reading and converting item text).
// The suggestion sets, lists of the dialog's length (same machine, load
// 1-8, six runs each; ours and aspell in CPU time, ratio of the pair and of
// the lists taken in turn): SuggestReal ours 0.090-0.095 ms a list, aspell
// 0.263-0.285 ms (0.33-0.34, in turn 0.39-0.41); capitalised 0.100-0.105 ms
// against 0.275-0.299 ms (0.34-0.38, in turn 0.42-0.43); SuggestGenerated
// 0.082-0.091 ms against 0.319-0.340 ms (0.25-0.27, in turn 0.32-0.34);
// capitalised 0.094-0.097 ms against 0.322-0.369 ms (0.26-0.29, in turn
// 0.35-0.37). Before the capitalised word's typed form tried again only the
// single edits its lower-case form let through, the scoring made the typed
// word's side once, the walk counted bits with the processor's instruction
// and so on, the same runs (load 69) gave 0.116-0.118 ms (0.40-0.41, in turn
// 0.46), capitalised 0.131-0.132 ms (0.46, in turn 0.50), generated
// 0.104-0.106 ms (0.31-0.32, in turn 0.37-0.38) and 0.119-0.125 ms
// capitalised (0.35-0.37, in turn 0.40-0.41), with the same lists. First,
// top five, top ten: real 92.1/99.6/99.6 % (aspell 84.6/98.2/99.6), generated
// 91.3/98.8/99.8 % (aspell 89.3/99.1/99.7). That is with the reach grown to
// two edits from four letters and three from seven whatever the first letter
// (the search three out by beginning or by an ending within one edit, and
// from the typed first letter only where a word is one edit away); before
// it, with three edits from nine letters and the typed first letter, lists
// lacked the word meant where the engine before the near-word index had it
// (tests/spell/data/earlier-suggestions.tsv keeps those lists). Of a list
// now: about a third the walk two edits out, a seventh the search three out,
// a tenth the scoring, a tenth the single edits. The word index by ending,
// built by the first list, takes 7-9 ms and 4.2 MB; the node table's walk
// fields 1 MB more than the table (DictionaryMemory). Before the near-word
// index: 4.3 ms a list.
// With the words that sound as typed reaching weak lists (a shared machine
// under a load of 25-36, one run each before and after, lists in turn):
// first, top five, top ten unchanged on the real (92.1/99.6/99.6 %) and
// generated sets (91.35/98.85/99.8 %, capitalised 91.25/98.8/99.75 %);
// SuggestCodespell, 4,000 of codespell's misspellings, 88.9/98.0/98.8 % before
// and 88.9/98.05/98.85 % after (aspell 88.4/97.4/98.2). Ours to aspell's CPU
// time, lists in turn, before and after: real 0.45 and 0.44, capitalised
// 0.47 and 0.47, generated 0.32 and 0.38, capitalised 0.35 and 0.37,
// codespell 0.41 and 0.40 (0.22 ms a list against aspell's 0.53-0.64 ms).
// SuggestLarger, the 30,041 misspellings of codespell's and misspell-fixer's
// lists that all three checkers judge alike (load 18-20, one run): with the
// words that sound as typed asked after the near words and behind them
// among equal scores, no list of ten, lower case or capitalised, lost the
// intended word that the lists without them held, and 66 gained it (as
// they were first made: 14 lost, 60 gained); first, top five, top ten
// 88.88/97.47/98.38 % (aspell 88.37/96.96/97.75; hunspell, on the tenth,
// 83.39/95.07/95.51 against ours 88.35/97.47/98.37). Ours 0.107 ms a list,
// aspell 0.299 ms, hunspell 27.6 ms; to aspell's CPU time, lists in turn,
// 0.34 (real 0.47, capitalised 0.48, generated 0.41 and 0.43, codespell
// 0.47). The first list of a new checker 11.6 ms of CPU, the word index by
// ending most of it (24.6 ms when every word's sound was keyed and sorted
// for it; aspell 0.75 ms, hunspell 42 ms).
int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  RegisterSuggestSets();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}

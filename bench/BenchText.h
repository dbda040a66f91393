// Generated journal prose shared by the benchmarks: the same words in every
// program, so figures of different cases stay comparable.
#pragma once

#include <random>
#include <string>
#include <vector>

// Words separated by blanks up to at least the given length.
inline std::string BenchWords(std::mt19937& rng, size_t bytes) {
  static const char* words[] = {"journal", "morning", "the", "of", "walked", "river", "quiet", "and",
                                "a", "letters", "remembered", "evening", "light", "garden", "to", "wrote"};
  std::string s;
  while (s.size() < bytes) {
    if (!s.empty()) s += ' ';
    s += words[rng() % 16];
  }
  return s;
}

// Paragraphs of about 100 bytes each.
inline std::vector<std::string> BenchParagraphs(int count, unsigned seed = 7) {
  std::mt19937 rng(seed);
  std::vector<std::string> paras;
  paras.reserve(static_cast<size_t>(count));
  for (int p = 0; p < count; ++p) paras.push_back(BenchWords(rng, 100));
  return paras;
}

// A styled run of the generated documents: style 0 body, 1 bold heading,
// 2 italic.
struct TBenchRun {
  std::string Text;
  int Style;
  bool ParaStart;
};

// About the given bytes of paragraphs of body text with an italic run, a
// bold heading every tenth paragraph.
inline std::vector<TBenchRun> BenchStyledDocument(size_t bytes) {
  std::mt19937 rng(7);
  std::vector<TBenchRun> runs;
  size_t made = 0;
  for (int p = 0; made < bytes; ++p) {
    if (p % 10 == 0) {
      runs.push_back({BenchWords(rng, 40), 1, true});
    } else {
      runs.push_back({BenchWords(rng, 55), 0, true});
      runs.push_back({" " + BenchWords(rng, 18), 2, false});
      runs.push_back({" " + BenchWords(rng, 20), 0, false});
    }
    made += p % 10 == 0 ? 40 : 95;
  }
  return runs;
}

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

// Damaged dictionary and thesaurus files must be refused or find nothing,
// and never read outside their data nor run without end (this program runs
// under the address and undefined-behaviour sanitizers).
#include "spell/scCustomDictionary.h"
#include "spell/scMainDictionary.h"
#include "spell/scPhoneticsMap.h"
#include "spell/scThesaurusFile.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>
#include <unistd.h>

namespace {
constexpr int kRounds = 10000;

std::string RunTool(const std::string& cmd) { return std::system(cmd.c_str()) == 0 ? "" : cmd; }

// Flips, cuts or grows the data a little.
std::string Mutate(const std::string& good, std::mt19937& r) {
  std::string bad = good;
  switch (r() % 4) {
    case 0:
    case 1:
      for (int k = 1 + static_cast<int>(r() % 8); k > 0; --k) bad[r() % bad.size()] = static_cast<char>(r());
      break;
    case 2: bad.resize(r() % bad.size()); break;
    case 3: bad.insert(r() % bad.size(), std::string(1 + r() % 16, static_cast<char>(r()))); break;
  }
  return bad;
}

// Ten thousand small files are written per test: in memory when the
// system offers a memory file system, since a disk makes that slow.
class Scratch {
public:
  Scratch() {
    std::error_code ec;
    if (std::filesystem::is_directory("/dev/shm", ec)) {
      FPath = "/dev/shm/qy-spell-" + std::to_string(::getpid());
      if (std::filesystem::create_directory(FPath, ec)) return;
    }
    FPath = FFallback.str();
  }
  ~Scratch() {
    std::error_code ec;
    if (FPath != FFallback.str()) std::filesystem::remove_all(FPath, ec);
  }
  std::string str() const { return FPath; }

private:
  qytest::TempDir FFallback;
  std::string FPath;
};
}  // namespace

TEST(SpellCorruptInput, MutatedMainDictionaries) {
  qytest::TempDir tmp;
  const std::string list = tmp.str() + "/w.txt", good = tmp.str() + "/good.spm";
  {
    std::ofstream f(list);
    for (const char* w : {"a", "cat", "cats", "catalog", "zebra", "zebras", "phone", "phoney",
                          "dog", "doge", "Paris", "co", "cot", "cottage", "cotton", "zoo"})
      f << w << "\n";
  }
  ASSERT_EQ(RunTool(std::string(QY_TOOLS_DIR) + "/SpmCompile " + list + " " + good +
                " Test 0x0409 > /dev/null"),
            "");
  const std::string bytes = qytest::ReadFileBytes(good);
  std::mt19937 r(2020);
  TPhoneticsMap map;
  map.BuildRules(0x0409);
  Scratch scratch;
  const std::string path = scratch.str() + "/bad.spm";
  for (int round = 0; round < kRounds; ++round) {
    qytest::WriteFileBytes(path, Mutate(bytes, r));
    TMainDictionary d;
    d.Open(path);
    for (const char* w : {"cat", "catalog", "zebras", "cottage", "q", "xyz"}) d.WordExists(w);
    TStringList results;
    d.FindPhoneticMatches("cotage", map, &results);
    d.FindPhoneticMatches("phonne", map, &results);
    // The near-word walks over whatever node table the file gave, with the
    // word index by ending the first one builds.
    d.FindNearWords("catalgo", 2, 50, &results);
    d.FindNearWords("zbera", 2, 50, &results);
    d.FindNearWords("cotagee", 3, 50, &results, true);
  }
}

TEST(SpellCorruptInput, MutatedThesaurusFiles) {
  qytest::TempDir tmp;
  const std::string th = tmp.str() + "/th.dat", counts = tmp.str() + "/cnt",
                    good = tmp.str() + "/good.spt";
  qytest::WriteFileBytes(th,
                         "UTF-8\nhappy|2\n(adj)|glad|felicitous (similar term)|unhappy (antonym)\n"
                         "(adj)|well-chosen|felicitous (similar term)\nglad|1\n"
                         "(adj)|happy|pleased (similar term)\ncat|1\n(noun)|true cat|feline "
                         "(generic term)\n");
  qytest::WriteFileBytes(counts, "happy%3:00:00:: 1 10\nglad%3:00:00:: 1 5\ncat%1:05:00:: 1 3\n");
  ASSERT_EQ(RunTool(std::string(QY_TOOLS_DIR) + "/SptCompile " + th + " " + counts + " " + good +
                " Tiny > /dev/null"),
            "");
  const std::string bytes = qytest::ReadFileBytes(good);
  std::mt19937 r(2021);
  Scratch scratch;
  const std::string path = scratch.str() + "/bad.spt";
  for (int round = 0; round < kRounds; ++round) {
    qytest::WriteFileBytes(path, Mutate(bytes, r));
    TThesaurusFile f;
    f.SetFileName(path);
    for (const char* w : {"happy", "Glad", "CAT", "true cat", "felicitous", "x"}) f.Lookup(w);
    AnsiString w;
    for (uint32_t n = 0; n < 40; ++n) f.GetWord(w, n);
  }
}

TEST(SpellCorruptInput, MutatedCustomDictionaries) {
  qytest::TempDir tmp;
  const std::string good = tmp.str() + "/good.spu";
  {
    TCustomDictionary d;
    d.SetFileName(good);
    for (int i = 0; i < 40; ++i) d.AddWord("word" + std::to_string(i));
    d.AddExcludedWord("bad");
    d.AddAutoCorrect("teh", "the");
    d.RemoveWord("word3");
    ASSERT_TRUE(d.Save());
  }
  const std::string bytes = qytest::ReadFileBytes(good);
  std::mt19937 r(2022);
  Scratch scratch;
  const std::string path = scratch.str() + "/bad.spu";
  for (int round = 0; round < kRounds; ++round) {
    qytest::WriteFileBytes(path, Mutate(bytes, r));
    TCustomDictionary d;
    if (!d.SetFileName(path)) continue;
    AnsiString s, t;
    d.IsAddedWord("word7");
    d.FindAutoCorrect("teh", s);
    d.IsExcludedWord("absent");
    d.GetAutoCorrect(0, s, t);
    d.GetAddedWord(3, s);
    d.AddWord("fresh");
    d.SetModified(false);
  }
}

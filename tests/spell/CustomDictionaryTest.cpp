#include "spell/scCustomDictionary.h"
#include "spell/scUtil.h"

#include "SpellTestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>


TEST(CustomDictionary, TableGrowsFrom251To509AtThe63rdEntry) {
  TCustomDictionary d;
  EXPECT_EQ(d.TableSize(), 0);
  for (int i = 1; i <= 63; ++i) {
    ASSERT_TRUE(d.AddWord("word" + std::to_string(i)));
    EXPECT_EQ(d.TableSize(), i < 63 ? 251 : 509) << i;
  }
  for (int i = 1; i <= 63; ++i) EXPECT_TRUE(d.IsAddedWord("word" + std::to_string(i)));
  EXPECT_EQ(d.GetAddedCount(), 63);
}

TEST(CustomDictionary, KindsAndPairRules) {
  TCustomDictionary d;
  EXPECT_TRUE(d.AddWord("alpha"));
  EXPECT_FALSE(d.AddExcludedWord("alpha"));  // one kind per word
  EXPECT_FALSE(d.AddWord(""));
  EXPECT_TRUE(d.AddExcludedWord("beta"));
  EXPECT_TRUE(d.AddAutoCorrect(std::string(200, 'w'), std::string(300, 'r')));
  EXPECT_FALSE(d.AddAutoCorrect(std::string(201, 'v'), std::string(300, 'r')));
  AnsiString r;
  EXPECT_TRUE(d.FindAutoCorrect(std::string(200, 'w'), r));
  EXPECT_EQ(r, std::string(300, 'r'));
  EXPECT_FALSE(d.IsAddedWord("beta"));
  EXPECT_TRUE(d.IsExcludedWord("beta"));
  EXPECT_FALSE(d.IsAddedWord("Alpha"));  // case-sensitive
  AnsiString w, rep;
  d.GetAutoCorrect(0, rep, w);
  EXPECT_EQ(w.size(), 200u);
  EXPECT_EQ(rep, std::string(300, 'r'));
  d.GetAutoCorrect(1, rep, w);
  EXPECT_EQ(w, "");
}

TEST(CustomDictionary, RemovedEntriesKeepTheirBytesAndHomeSlotIsReused) {
  TCustomDictionary d;
  ASSERT_TRUE(d.AddWord("gamma"));
  const int pool = d.PoolSize();
  ASSERT_TRUE(d.RemoveWord("gamma"));
  EXPECT_FALSE(d.IsAddedWord("gamma"));
  EXPECT_EQ(d.PoolSize(), pool);
  ASSERT_TRUE(d.AddWord("gamma"));
  EXPECT_EQ(d.PoolSize(), 2 * pool);
  EXPECT_TRUE(d.IsAddedWord("gamma"));
  EXPECT_EQ(d.EntryCount(), 1);
}

TEST(CustomDictionary, AddAndRemoveCyclesNeverHang) {
  // Every cycle leaves a removed slot; look-ups of absent words must still end.
  TCustomDictionary d;
  for (int i = 0; i < 10000; ++i) {
    const std::string w = "w" + std::to_string(i);
    ASSERT_TRUE(d.AddWord(w));
    ASSERT_TRUE(d.RemoveWord(w));
  }
  EXPECT_FALSE(d.IsAddedWord("absent"));
  EXPECT_EQ(d.TableSize(), 251);
}

TEST(CustomDictionary, LargeTablesHashWithoutOverflow) {
  TCustomDictionary d;
  for (int i = 0; i < 20000; ++i) ASSERT_TRUE(d.AddWord("entry" + std::to_string(i)));
  EXPECT_EQ(d.TableSize(), 131071);
  for (int i = 0; i < 20000; i += 997) EXPECT_TRUE(d.IsAddedWord("entry" + std::to_string(i)));
  // The 64-bit hash equals the 31-bit one for the small sizes.
  for (uint32_t m : {251u, 32749u}) {
    uint32_t h = 0, a = 31415;
    for (char c : std::string("hashing")) {
      h = (a * h + static_cast<unsigned char>(c)) % m;
      a = (a * 27183) % (m - 1);
    }
    EXPECT_EQ(DictionaryHash("hashing", 7, m), h);
  }
}

TEST(CustomDictionary, MissingFileOpensModifiedAndSaveCreatesIt) {
  qytest::TempDir tmp;
  const std::string path = tmp.str() + "/user.spu";
  {
    TCustomDictionary d;
    ASSERT_TRUE(d.SetFileName(path));
    d.SetActive(true);
    EXPECT_TRUE(d.Modified());
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_TRUE(d.AddWord("delta"));
    EXPECT_TRUE(d.AddAutoCorrect("teh", "the"));
    EXPECT_TRUE(d.Save());
  }
  ASSERT_TRUE(std::filesystem::exists(path));
  TCustomDictionary again;
  ASSERT_TRUE(again.SetFileName(path));
  EXPECT_TRUE(again.IsAddedWord("delta"));
  AnsiString r;
  EXPECT_TRUE(again.FindAutoCorrect("teh", r));
  EXPECT_EQ(r, "the");
  EXPECT_FALSE(again.SetFileName(tmp.str()));  // a folder
  qytest::WriteFileBytes(tmp / "foreign.spu", "not a dictionary at all");
  EXPECT_FALSE(again.SetFileName(tmp.str() + "/foreign.spu"));
  EXPECT_EQ(again.FileName(), path);
}

TEST(CustomDictionary, TwoWritersChangesMerge) {
  qytest::TempDir tmp;
  const std::string path = tmp.str() + "/shared.spu";
  {
    TCustomDictionary seed;
    seed.SetFileName(path);
    seed.AddWord("common");
    seed.AddWord("dropped");
    ASSERT_TRUE(seed.Save());
  }
  TCustomDictionary a, b;
  ASSERT_TRUE(a.SetFileName(path));
  ASSERT_TRUE(b.SetFileName(path));
  a.SetActive(true);
  b.SetActive(true);
  a.AddWord("fromA");
  b.AddWord("fromB");
  b.RemoveWord("dropped");
  b.AddWord("dropped");   // removed and added again: kept
  b.RemoveWord("common");
  ASSERT_TRUE(a.Save());
  ASSERT_TRUE(b.Save());  // sees A's save and merges
  a.AddExcludedWord("laterA");
  ASSERT_TRUE(a.Save());  // merges again, replaying only what came since
  TCustomDictionary check;
  check.SetFileName(path);
  EXPECT_TRUE(check.IsAddedWord("fromA"));
  EXPECT_TRUE(check.IsAddedWord("fromB"));
  EXPECT_TRUE(check.IsAddedWord("dropped"));
  EXPECT_FALSE(check.IsAddedWord("common"));
  EXPECT_TRUE(check.IsExcludedWord("laterA"));
}

TEST(CustomDictionary, FailedWriteIsReportedAndPreviousFileStays) {
  qytest::TempDir tmp;
  const std::string path = tmp.str() + "/user.spu";
  {
    TCustomDictionary d;
    d.SetFileName(path);
    d.AddWord("kept");
    ASSERT_TRUE(d.Save());
  }
  const std::string before = qytest::ReadFileBytes(path);
  TCustomDictionary d;
  ASSERT_TRUE(d.SetFileName(path));
  d.AddWord("pending");
  {
    spelltest::FileSizeLimit limit(64);  // fails the write, also for root
    EXPECT_FALSE(d.Save());
    d.SetActive(false);  // cannot save: stays active with its words
    EXPECT_TRUE(d.Active());
  }
  EXPECT_TRUE(d.Modified());
  EXPECT_EQ(qytest::ReadFileBytes(path), before);
  EXPECT_TRUE(d.Save());  // the pending word was kept for the retry
  TCustomDictionary check;
  check.SetFileName(path);
  EXPECT_TRUE(check.IsAddedWord("pending"));
  EXPECT_TRUE(check.IsAddedWord("kept"));
}

// A dictionary that cannot be read whole is never read as empty and then
// written over (every word in it lost): it is set aside as "<file>.damaged",
// a new one is started with every whole entry still readable, and the user
// is told how many came over.
TEST(CustomDictionary, DamagedDictionariesAreSetAsideAndANewOneStarted) {
  qytest::TempDir tmp;
  const std::string path = tmp.str() + "/d.spu";
  {
    TCustomDictionary d;
    d.SetFileName(path);
    for (int i = 0; i < 100; ++i) d.AddWord("epsilon" + std::to_string(i));
    d.AddAutoCorrect("teh", "the end");
    d.AddExcludedWord("irregardless");
    ASSERT_TRUE(d.Save());
  }
  const std::string good = qytest::ReadFileBytes(path);
  auto patch = [&](size_t at, uint32_t v) {
    std::string b = good;
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    return b;
  };
  // Offsets: counts from 121, table size at 137, slots from 141.
  // The whole entries each damaged copy still holds: the 100 words, the
  // pair and the excluded word come last in the file.
  struct Case {
    const char* name;
    std::string bytes;
    int recovered;
  };
  const std::vector<Case> cases = {
      {"table size not a prime of the list", patch(137, 250), 102},
      {"table size huge", patch(137, 0x7FFFFFFF), 102},
      {"negative count", patch(121, 0xFFFFFFFF), 102},
      {"added count that does not match", patch(121, 99), 102},
      {"entry count that does not match", patch(133, 101), 102},
      // The excluded word loses its end: it is not carried over cut.
      {"truncated by 3 bytes", good.substr(0, good.size() - 3), 101},
      {"truncated inside the pair", good.substr(0, good.find("the end") + 3), 100},
      {"cut inside the banner", good.substr(0, 60), 0},
      {"slot beyond pool", [&] {
         std::string b = good;
         for (size_t i = 0; i < 251; ++i)
           if (b.compare(141 + 4 * i, 4, std::string(4, '\0')) != 0)
             for (int k = 0; k < 4; ++k) b[141 + 4 * i + k] = '\x70';
         return b;
       }(), 102},
  };
  struct Told {
    String file, aside;
    int recovered;
  };
  std::vector<Told> told;
  TCustomDictionary::OnDamaged = [&](const String& file, const String& aside, int recovered) {
    told.push_back({file, aside, recovered});
  };
  for (const auto& [name, bytes, recovered] : cases) {
    SCOPED_TRACE(name);
    told.clear();
    qytest::WriteFileBytes(path, good);
    TCustomDictionary d;
    ASSERT_TRUE(d.SetFileName(path));
    d.SetActive(true);
    EXPECT_EQ(d.EntryCount(), 102);
    d.SetActive(false);
    qytest::WriteFileBytes(path, bytes);
    d.SetActive(true);
    EXPECT_EQ(d.IsAddedWord("epsilon1"), recovered > 0);
    EXPECT_EQ(d.EntryCount(), recovered);
    AnsiString with;
    EXPECT_EQ(d.FindAutoCorrect("teh", with), recovered > 100);
    if (recovered > 100) {
      EXPECT_EQ(with, "the end");
    }
    EXPECT_EQ(d.IsExcludedWord("irregardless"), recovered > 101);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].file, path);
    EXPECT_EQ(told[0].aside, path + ".damaged");
    EXPECT_EQ(told[0].recovered, recovered);
    EXPECT_EQ(qytest::ReadFileBytes(path + ".damaged"), bytes);
    // The new dictionary takes the file's place; the damaged one stays aside.
    EXPECT_TRUE(d.AddWord("zeta"));
    EXPECT_TRUE(d.Save());
    EXPECT_EQ(qytest::ReadFileBytes(path + ".damaged"), bytes);
    TCustomDictionary again;
    ASSERT_TRUE(again.SetFileName(path));
    again.SetActive(true);
    EXPECT_TRUE(again.IsAddedWord("zeta"));
    EXPECT_EQ(again.IsAddedWord("epsilon99"), recovered > 0);
    EXPECT_EQ(again.EntryCount(), recovered + 1);
  }
  // A FIFO in the dictionary's place is never read (it would block) nor
  // set aside.
  told.clear();
  std::filesystem::remove(path);
  ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
  TCustomDictionary fifo;
  EXPECT_FALSE(fifo.SetFileName(path));
  EXPECT_TRUE(told.empty());
  TCustomDictionary::OnDamaged = nullptr;
}

// The user's words are their own: dictionaries are written 0600 whatever
// the umask (also one an earlier build left readable by all), and a folder
// made for them is 0700.
TEST(CustomDictionary, DictionariesAreTheirOwnersAlone) {
  qytest::TempDir tmp;
  const mode_t oldMask = ::umask(022);
  const std::string folder = tmp.str() + "/new/dicts";
  ForceFolders(folder);
  const std::string path = folder + "/words.spu";
  TCustomDictionary d;
  ASSERT_TRUE(d.SetFileName(path));
  d.SetActive(true);
  d.AddWord("private");
  ASSERT_TRUE(d.Save());
  ::chmod(path.c_str(), 0644);  // as earlier builds left it
  d.AddWord("again");
  ASSERT_TRUE(d.Save());
  ::umask(oldMask);
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  for (const std::string& f : {tmp.str() + "/new", folder}) {
    ASSERT_EQ(::stat(f.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u) << f;
  }
}

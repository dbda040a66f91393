#include "platform/base/FindFiles.h"
#include "platform/base/MemoryMap.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <thread>

TEST(MemoryMap, ReadsAreBoundsChecked) {
  qytest::TempDir tmp;
  const String path = tmp.str() + "/m.bin";
  qytest::WriteFileBytes(path, std::string("\x01\x02\x03\x04\x05", 5));
  TMemoryMap m;
  ASSERT_TRUE(m.Open(path));
  EXPECT_EQ(m.Size(), 5u);
  uint32_t v32 = 0;
  uint16_t v16 = 0;
  Byte v8 = 0;
  EXPECT_TRUE(m.ReadU32(0, v32));
  EXPECT_EQ(v32, 0x04030201u);
  EXPECT_TRUE(m.ReadU32(1, v32));
  EXPECT_FALSE(m.ReadU32(2, v32));
  EXPECT_TRUE(m.ReadU16(3, v16));
  EXPECT_EQ(v16, 0x0504);
  EXPECT_FALSE(m.ReadU16(4, v16));
  EXPECT_TRUE(m.ReadU8(4, v8));
  EXPECT_FALSE(m.ReadU8(5, v8));
  EXPECT_FALSE(m.Contains(UINT64_MAX, 2));  // no wrap-around
  EXPECT_EQ(m.Span(3, 3), nullptr);
  TMemoryMap moved = std::move(m);
  EXPECT_FALSE(m.Active());
  EXPECT_TRUE(moved.Active());
  moved.Close();
  EXPECT_FALSE(moved.ReadU8(0, v8));
}

TEST(MemoryMap, RefusesMissingEmptyFoldersAndFifos) {
  qytest::TempDir tmp;
  qytest::WriteFileBytes(tmp / "empty", "");
  TMemoryMap m;
  EXPECT_FALSE(m.Open(tmp.str() + "/none"));
  EXPECT_FALSE(m.Open(tmp.str() + "/empty"));
  EXPECT_FALSE(m.Open(tmp.str()));
  // A FIFO with no writer: refused at once, not waited on.
  ASSERT_EQ(::mkfifo((tmp.str() + "/fifo").c_str(), 0600), 0);
  EXPECT_FALSE(m.Open(tmp.str() + "/fifo"));
  EXPECT_FALSE(m.Active());
}

TEST(FindFiles, ListsMatchesInNameOrderWithDates) {
  qytest::TempDir tmp;
  for (const char* n : {"b.spm", "a.spm", "c.spu", ".h.spm"}) qytest::WriteFileBytes(tmp / n, "xy");
  std::filesystem::create_directory(tmp / "d.spm");
  struct Case {
    String pattern;
    int attr;
    std::vector<String> names;
  } cases[] = {
      {"/*.spm", 0, {"a.spm", "b.spm"}},
      {"/*.spm", faAnyFile, {"a.spm", "b.spm", "d.spm"}},
      {"/?.spu", 0, {"c.spu"}},
      {"/*.SPM", 0, {}},
  };
  for (const auto& c : cases) {
    std::vector<String> got;
    TSearchRec f;
    for (int r = FindFirst(tmp.str() + c.pattern, c.attr, f); r == 0; r = FindNext(f)) {
      got.push_back(f.Name);
      if (f.Name == "a.spm") {
        EXPECT_EQ(f.Size, 2);
        EXPECT_EQ(f.Time, FileAge(tmp.str() + "/a.spm"));
      }
    }
    FindClose(f);
    EXPECT_EQ(got, c.names) << c.pattern;
  }
  EXPECT_EQ(FileAge(tmp.str() + "/none"), -1);
  EXPECT_EQ(FileAge(tmp.str() + "/d.spm"), -1);
}

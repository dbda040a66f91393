// Old RTF entries whose text reopens its own list or override table (and
// fuzzer finds of that shape) open without harm: readable ones as retrieved,
// unreadable ones as damaged, read-only, with the stored text untouched.
#include "JournalTestSupport.h"

#include "platform/base/DateTime.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using qytest::TJournalWorld;

TEST(StoredRTFEntry, ListTableReentryOpensAndKeepsTheStoredText) {
  // One day for the product and the test, whenever the test runs.
  TFixedClock clock(LocalToUtcMs(EncodeDateTime(2025, 3, 10, 23, 59, 59, 900)));
  const double today = std::floor(Date());
  const struct {
    const char* File;
    const char* Word;
    bool Damaged;
  } cases[] = {
      {"rtf-list-reentry.rtf", "retrieved", false},
      {"rtf-override-reentry.rtf", "retrieved", false},
      {"fuzz-crash-list-1.rtf", "damaged entry", true},
      {"fuzz-crash-list-2.rtf", "damaged entry", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.File);
    const String bytes = qytest::ReadFileBytes(qytest::SourceDir() / "tests/richtext/rtf/data" / c.File);
    ASSERT_FALSE(bytes.empty());
    TJournalWorld w;
    const Integer id = w.AddJournal("Old", 0);
    {
      TQuery q;
      BindToDatabase(q);
      q.SQL.Add("INSERT INTO Quillory (JournalID, JournalDate, JournalText, Editor) VALUES (:bJournalID, "
                ":bJournalDate, :bJournalText, 'RTF')");
      q.ParamByName("bJournalID").SetAsInteger(id);
      q.ParamByName("bJournalDate").SetAsDate(today);
      q.ParamByName("bJournalText").SetAsBlob(bytes, ftFmtMemo);
      q.ExecSQL();
    }
    ASSERT_EQ(w.StoredBlob(id, today), bytes);
    JournalsLoaded = true;
    TOpenJournal* j = FindOrOpenJournal(id);
    ASSERT_NE(j, nullptr);
    EXPECT_EQ(EntryStateWord, c.Word);
    EXPECT_EQ(j->EntryDamaged, c.Damaged);
    EXPECT_EQ(j->Document->ReadOnly, c.Damaged);
    if (c.Damaged) {
      j->Document->Modified = true;
      EXPECT_FALSE(SaveEntry(j, smAuto));
      EXPECT_EQ(w.StoredBlob(id, today), bytes);
    }
  }
}

}  // namespace

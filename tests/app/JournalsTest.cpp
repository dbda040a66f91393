// The open-journal list: loading at most 75 active journals, new journals,
// ids never reused, geometry kept, and unloading that saves every journal.
#include "JournalTestSupport.h"

#include "platform/gui/Dialogs.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using qytest::TJournalWorld;

std::vector<Integer> OpenIds() {
  std::vector<Integer> ids;
  for (TOpenJournal* j = FirstJournal; j; j = j->Next) ids.push_back(j->JournalID);
  return ids;
}

TEST(Journals, AtMost75ActiveJournalsOpenAndTheLimitIsAnnounced) {
  const struct {
    int Active;
    int Opened;
    bool Announced;
  } cases[] = {{76, 75, true}, {75, 75, true}, {74, 74, false}};
  for (const auto& c : cases) {
    TJournalWorld w;
    for (int i = 0; i < c.Active; ++i) w.AddJournal("J" + IntToStr(i), i % 2);
    w.AddJournal("Retired", 0, false);
    TInteractionScript script;
    script.Answer(IDOK);
    LoadJournals();
    EXPECT_TRUE(JournalsLoaded);
    EXPECT_EQ(OpenJournalCount(), c.Opened) << c.Active;
    ASSERT_EQ(script.Shown.size(), c.Announced ? 1u : 0u) << c.Active;
    if (c.Announced) {
      EXPECT_EQ(script.Shown[0].Caption, "Max Journals");
      EXPECT_EQ(script.Shown[0].Text, "Max Number of Active Journals open at one time (75) Reached");
    }
    EXPECT_EQ(CurrentJournal, LastJournal);
    EXPECT_EQ(static_cast<int>(SelectJournalLines.size()), c.Opened);
  }
}

TEST(Journals, NewJournalIdsPassEveryIdStillUsedByEntries) {
  TJournalWorld w;
  EXPECT_EQ(NextJournalID(), 1);
  w.AddJournal("A", 0);
  w.Exec("INSERT INTO Quillory (JournalID, JournalDate, Editor) VALUES (9, 45000, 'VLF')");
  EXPECT_EQ(NextJournalID(), 10);
  Integer id = 0;
  ASSERT_TRUE(InsertJournal("Topics", 1, id));
  EXPECT_EQ(id, 10);
  EXPECT_EQ(w.Count("SELECT count(*) FROM Journals WHERE JournalType = 'T' AND JournalActive = TRUE"), 1);
}

TEST(Journals, NewJournalIsAppendedCurrentAndCancelReloadsToday) {
  // One "today" for the product and the test, far from midnight.
  TFixedClock clock(LocalToUtcMs(EncodeDateTime(2025, 3, 10, 9, 0, 0, 0)));
  TJournalWorld w;
  TOpenJournal* first = w.Open("Diary", 0);
  TJournalWorld::Type(first, "before the new journal");
  NewJournal("Garden", 1, true);
  EXPECT_EQ(w.Count("SELECT count(*) FROM Quillory"), 1);
  ASSERT_NE(CurrentJournal, first);
  EXPECT_EQ(CurrentJournal, LastJournal);
  EXPECT_EQ(CurrentJournal->JournalName, "Garden");
  EXPECT_EQ(StoredEntryDate(CurrentJournal, CurrentJournal->EntryDate), TopicEntryDate);
  EXPECT_TRUE(CurrentJournal->Maximized);
  EXPECT_EQ(OpenJournalCount(), 2);

  CurrentJournal = first;
  LoadEntry(first, std::floor(Date()) - 3);
  NewJournal("", 0, false);
  EXPECT_EQ(OpenJournalCount(), 2);
  EXPECT_EQ(first->EntryDate, std::floor(Date()));
  EXPECT_EQ(EntryStateWord, "retrieved");
}

TEST(Journals, GeometryIsKeptAndZeroSizeOpensMaximised) {
  TJournalWorld w;
  const Integer a = w.AddJournal("A", 0);
  const Integer b = w.AddJournal("B", 0);
  w.Exec("UPDATE Journals SET WindowTop = 10, WindowLeft = 20, WindowWidth = 300, WindowHeight = 200, "
         "WindowState = 0, ActiveWindow = FALSE WHERE JournalID = " + IntToStr(a));
  w.Exec("UPDATE Journals SET WindowWidth = 0, WindowHeight = 200, ActiveWindow = TRUE WHERE JournalID = " +
         IntToStr(b));
  LoadJournals();
  // The journal that was active comes last and is current.
  EXPECT_EQ(OpenIds(), (std::vector<Integer>{a, b}));
  EXPECT_EQ(CurrentJournal->JournalID, b);
  EXPECT_TRUE(CurrentJournal->Maximized);
  EXPECT_FALSE(FirstJournal->Maximized);
  EXPECT_EQ(FirstJournal->WindowWidth, 300);

  FirstJournal->WindowLeft = 77;
  CurrentJournal = FirstJournal;
  UnloadJournals();
  EXPECT_FALSE(JournalsLoaded);
  EXPECT_EQ(FirstJournal, nullptr);
  EXPECT_EQ(w.Count("SELECT WindowLeft FROM Journals WHERE JournalID = " + IntToStr(a)), 77);
  EXPECT_EQ(w.Count("SELECT count(*) FROM Journals WHERE ActiveWindow = TRUE"), 1);
  EXPECT_EQ(w.Count("SELECT JournalID FROM Journals WHERE ActiveWindow = TRUE"), a);
}

TEST(Journals, UnloadSavesEveryModifiedJournalEvenWhenOneFails) {
  TJournalWorld w;
  for (const char* name : {"A", "B", "C"}) w.AddJournal(name, 0);
  LoadJournals();
  int n = 0;
  for (TOpenJournal* j = FirstJournal; j; j = j->Next) TJournalWorld::Type(j, "text " + IntToStr(n++));
  // The middle one cannot be written.
  FirstJournal->Next->EntryUnread = true;
  UnloadJournals();
  EXPECT_EQ(w.Count("SELECT count(*) FROM Quillory"), 2);
  EXPECT_EQ(FirstJournal, nullptr);
  EXPECT_TRUE(SelectJournalLines.empty());
}

TEST(Journals, FindOrOpenReopensAClosedJournalWithTodaysEntry) {
  // One "today" for the product and the test, far from midnight.
  TFixedClock clock(LocalToUtcMs(EncodeDateTime(2025, 3, 10, 9, 0, 0, 0)));
  TJournalWorld w;
  const Integer a = w.AddJournal("A", 0);
  const Integer retired = w.AddJournal("Retired", 0, false);
  LoadJournals();
  EXPECT_EQ(OpenIds(), (std::vector<Integer>{a}));
  TOpenJournal* j = FindOrOpenJournal(retired);
  ASSERT_NE(j, nullptr);
  EXPECT_EQ(j->JournalID, retired);
  EXPECT_EQ(j->EntryDate, std::floor(Date()));
  EXPECT_EQ(FindOrOpenJournal(retired), j);
  EXPECT_EQ(OpenJournalCount(), 2);
  EXPECT_EQ(FindOrOpenJournal(999), nullptr);

  CloseJournal(j);
  EXPECT_EQ(CurrentJournal, nullptr);
  EXPECT_EQ(OpenIds(), (std::vector<Integer>{a}));
}

}  // namespace

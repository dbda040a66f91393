// Moving between dates: the date commands, the date picker, the month
// calendar and the journal selector save the entry left and load the entry
// of the date reached; a save that fails is never left behind silently.
#include "MainWindowJournalSupport.h"

#include "platform/base/DateTime.h"

#include <functional>

#include <gtest/gtest.h>

namespace {

using qytest::TMainJournalWorld;

class DateNavigationTest : public testing::Test {
protected:
  // One "today" for the product and the test, far from midnight.
  TFixedClock Clock{LocalToUtcMs(EncodeDateTime(2025, 3, 10, 9, 0, 0, 0))};
  TMainJournalWorld World;
};

TEST_F(DateNavigationTest, EveryDateCommandSavesTheEntryLeftAndLoadsTheEntryReached) {
  TformQuilloryMain* m = World.Main;
  TOpenJournal* j = World.OpenWindow("Diary", 0);
  const double newYear = EncodeDate(2023, 1, 1), oldYear = EncodeDate(2022, 12, 31);
  const double today = std::floor(Date()), june = EncodeDate(2023, 6, 15);
  // Entries already stored on some of the dates.
  for (const auto& [date, text] : {std::pair{oldYear, "last day of the old year"}, std::pair{june, "midsummer"}}) {
    LoadEntry(j, date);
    TMainJournalWorld::TypeAtEnd(j, text);
    ASSERT_TRUE(SaveEntry(j, smAuto));
  }
  const struct {
    const char* Name;
    double From, To;
    std::function<void()> Move;
  } cases[] = {
      {"previous from January 1", newYear, oldYear, [m] { m->ActionDatePrevious->Execute(); }},
      {"next", oldYear, newYear, [m] { m->ActionDateNext->Execute(); }},
      {"today", june, today, [m] { m->ActionDateToday->Execute(); }},
      {"date picker", newYear, june, [m, june] { m->QuilloryDate->SetDate(june); }},
      {"calendar double-click", june, oldYear,
       [m, oldYear] {
         m->MonthCalendar->SetDate(oldYear);
         m->MonthCalendarDblClick(m->MonthCalendar);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    LoadEntry(j, c.From);
    const String typed = String(" typed before ") + c.Name;
    TMainJournalWorld::TypeAtEnd(j, typed);
    ASSERT_TRUE(j->Document->Modified);
    c.Move();
    EXPECT_EQ(j->EntryDate, c.To);
    // The entry left is in the table with what was typed.
    EXPECT_NE(World.StoredText(j->JournalID, c.From).find(typed), String::npos);
    // The entry reached is the stored one (or empty), unmodified.
    EXPECT_EQ(j->Document->Text(), World.StoredText(j->JournalID, c.To));
    EXPECT_FALSE(j->Document->Modified);
    EXPECT_EQ(std::floor(m->QuilloryDate->GetDate()), c.To);
    EXPECT_EQ(std::floor(m->MonthCalendar->GetDate()), c.To);
    EXPECT_NE(j->EditorWindow->GetCaption().find(FormatDateTime(FormatSettings.LongDateFormat, c.To)), String::npos);
  }
  EXPECT_EQ(World.StoredText(j->JournalID, june).find("midsummer"), 0u);
}

TEST_F(DateNavigationTest, PickingTheDateShownChangesNothing) {
  TOpenJournal* j = World.OpenWindow("Diary", 0);
  TMainJournalWorld::TypeAtEnd(j, "not yet saved");
  World.Main->QuilloryDate->SetDate(j->EntryDate);
  World.Main->QuilloryDateChange(World.Main->QuilloryDate);
  EXPECT_TRUE(j->Document->Modified);
  EXPECT_EQ(World.StoredText(j->JournalID, j->EntryDate), "");
}

TEST_F(DateNavigationTest, ATopicJournalShowsItsOneEntryOnEveryDate) {
  TOpenJournal* j = World.OpenWindow("Garden", 1);
  TMainJournalWorld::TypeAtEnd(j, "roses by the wall");
  const double today = std::floor(Date());
  World.Main->ActionDateNext->Execute();
  EXPECT_EQ(j->EntryDate, today + 1);
  EXPECT_NE(j->Document->Text().find("roses by the wall"), String::npos);
  World.Main->ActionDatePrevious->Execute();
  World.Main->ActionDatePrevious->Execute();
  EXPECT_EQ(j->EntryDate, today - 1);
  EXPECT_NE(j->Document->Text().find("roses by the wall"), String::npos);
  EXPECT_NE(World.StoredText(j->JournalID, TopicEntryDate).find("roses by the wall"), String::npos);
  EXPECT_EQ(j->EditorWindow->PanelJournalType->GetCaption(), "Topic Journal Garden");
}

TEST_F(DateNavigationTest, AnEntryThatCannotBeSavedIsLeftOnlyWithTheUsersWord) {
  const struct {
    int Answer;
    bool Moves;
  } cases[] = {{IDNO, false}, {IDYES, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Answer);
    TOpenJournal* j = World.OpenWindow("Diary " + IntToStr(c.Answer), 0);
    const double start = j->EntryDate;
    TMainJournalWorld::TypeAtEnd(j, "words the table never got");
    // The entry's row could not be read: no save may guess at it.
    j->EntryUnread = true;
    TInteractionScript script;
    script.Answer(c.Answer);
    World.Main->ActionDateNext->Execute();
    ASSERT_EQ(script.Shown.size(), 1u);
    EXPECT_EQ(script.Shown[0].Caption, "Entry Not Saved");
    EXPECT_EQ(j->EntryDate, c.Moves ? start + 1 : start);
    if (!c.Moves) {
      EXPECT_NE(j->Document->Text().find("words the table never got"), String::npos);
      EXPECT_TRUE(j->Document->Modified);
      EXPECT_EQ(World.Main->StatusText(spState), "not saved");
    }
    CloseJournal(j);
    Application->ProcessMessages();
  }
}

TEST_F(DateNavigationTest, TheJournalSelectorAndWindowSwitchesSaveTheJournalLeft) {
  TformQuilloryMain* m = World.Main;
  TOpenJournal* a = World.OpenWindow("Alpha", 0);
  TOpenJournal* b = World.OpenWindow("Beta", 0);
  ASSERT_EQ(m->cbSelectJournal->Items().Count(), 2);
  ASSERT_EQ(CurrentJournal, b);
  LoadEntry(a, EncodeDate(2020, 5, 5));
  TMainJournalWorld::TypeAtEnd(b, "beta words");
  // The window of another journal comes to the front.
  a->EditorWindow->FormActivate(a->EditorWindow);
  EXPECT_EQ(CurrentJournal, a);
  EXPECT_EQ(m->StatusText(spState), "auto saved");
  EXPECT_NE(World.StoredText(b->JournalID, b->EntryDate).find("beta words"), String::npos);
  EXPECT_EQ(std::floor(m->QuilloryDate->GetDate()), EncodeDate(2020, 5, 5));
  EXPECT_EQ(m->cbSelectJournal->GetText(), "Alpha");
  // And back through the selector.
  TMainJournalWorld::TypeAtEnd(a, "alpha words");
  m->cbSelectJournal->SetItemIndex(1);
  m->cbSelectJournalClick(m->cbSelectJournal);
  EXPECT_EQ(CurrentJournal, b);
  EXPECT_NE(World.StoredText(a->JournalID, EncodeDate(2020, 5, 5)).find("alpha words"), String::npos);
  EXPECT_NE(b->Document->Text().find("beta words"), String::npos);
}

TEST_F(DateNavigationTest, ClosingAWindowSavesItsEntryAndTheWindowLeftBecomesCurrent) {
  TOpenJournal* a = World.OpenWindow("Alpha", 0);
  TOpenJournal* b = World.OpenWindow("Beta", 0);
  const Integer bID = b->JournalID;
  const double bDate = b->EntryDate;
  TMainJournalWorld::TypeAtEnd(b, "written before closing");
  b->EditorWindow->Close();
  // The window is freed by a message, then by a queued call.
  Application->ProcessMessages();
  Application->ProcessMessages();
  EXPECT_NE(World.StoredText(bID, bDate).find("written before closing"), String::npos);
  EXPECT_EQ(OpenJournalCount(), 1);
  EXPECT_EQ(World.Main->MDIChildCount(), 1);
  // Typing goes on in the window that is left, and it is the current one.
  EXPECT_EQ(CurrentJournal, a);
}

TEST_F(DateNavigationTest, SeventySixActiveJournalsOpenSeventyFiveWindows) {
  for (int i = 0; i < 76; ++i) World.AddJournal("Journal " + IntToStr(i), i % 2);
  TInteractionScript script;
  script.Answer(IDOK);
  LoadJournals();
  EXPECT_EQ(OpenJournalCount(), MaxOpenJournals);
  EXPECT_EQ(World.Main->MDIChildCount(), MaxOpenJournals);
  for (TOpenJournal* j = FirstJournal; j; j = j->Next) EXPECT_NE(j->EditorWindow, nullptr);
  ASSERT_EQ(script.Shown.size(), 1u);
  EXPECT_EQ(script.Shown[0].Caption, "Max Journals");
  EXPECT_EQ(CurrentJournal, LastJournal);
}

}  // namespace

// Exit through the real main window and editor windows: every modified entry
// is stored, also when the steps around it fail.
#include "MainWindowJournalSupport.h"

#include "platform/base/DateTime.h"
#include "platform/db/DB.h"

#include <gtest/gtest.h>

namespace {

using qytest::TMainJournalWorld;

TEST(ExitSavesEntries, EveryModifiedEntryIsStoredWhateverElseFails) {
  const struct {
    const char* Name;
    std::function<void()> Inject;
  } cases[] = {
      {"the tool-bar file cannot be written",
       [] { AppHooks().SaveToolBarLayout = [](const String&) { throw EFCreateError("Cannot create file"); }; }},
      {"the current entry's own save step fails",
       [] { AppHooks().SaveCurrentEntry = [](int) { throw EDatabaseError("entry table is locked"); }; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TFixedClock clock(LocalToUtcMs(EncodeDateTime(2025, 3, 10, 9, 0, 0, 0)));
    TMainJournalWorld world;
    TOpenJournal* diary = world.OpenWindow("Diary", 0);
    TOpenJournal* garden = world.OpenWindow("Garden", 0);
    const Integer diaryId = diary->JournalID, gardenId = garden->JournalID;
    TMainJournalWorld::TypeAtEnd(diary, "written in the diary");
    TMainJournalWorld::TypeAtEnd(garden, "written in the garden book");
    ASSERT_TRUE(diary->Document->Modified && garden->Document->Modified);
    c.Inject();
    TInteractionScript script;
    for (int i = 0; i < 5; ++i) script.Answer(IDOK);
    EXPECT_EQ(world.Main->RunExitSequence(), 1);
    ASSERT_GE(script.Shown.size(), 1u);
    EXPECT_EQ(script.Shown[0].Caption, "Error Display");
    EXPECT_EQ(world.StoredText(diaryId, Date()), "written in the diary");
    EXPECT_EQ(world.StoredText(gardenId, Date()), "written in the garden book");
    EXPECT_EQ(FirstJournal, nullptr);
  }
}

}  // namespace

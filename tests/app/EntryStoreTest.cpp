// Entries in the journal file: first saves insert, later saves update, topic
// entries keep one row, old RTF rows load, and no failure loses stored text.
#include "JournalTestSupport.h"

#include "platform/gui/Dialogs.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using qytest::TJournalWorld;

// A morning far from midnight: the tests' "today" and the product's agree.
const Int64 kMorningUtcMs = LocalToUtcMs(EncodeDateTime(2025, 3, 10, 9, 0, 0, 0));
double Today() { return std::floor(Date()); }

// A document whose writer or reader refuses, as a broken item would.
class TFailingDocument : public TEntryDocument {
public:
  bool SaveVLF(TStream& stream) override { return !FailWrite && TEntryDocument::SaveVLF(stream); }
  bool FailWrite = false;
};

TEST(EntryStore, FirstSaveInsertsLaterSavesUpdateAndTextComesBack) {
  TFixedClock clock(kMorningUtcMs);  // one day for the product and the test
  TJournalWorld w;
  TOpenJournal* j = w.Open("Diary", 0);
  EXPECT_EQ(EntryStateWord, "blank slate");
  int inserted = 0;
  OnEntryInserted = [&](const TTreeRefreshEntry&) { ++inserted; };
  TJournalWorld::Type(j, "first words");
  EXPECT_TRUE(SaveEntry(j, smAuto));
  EXPECT_EQ(EntryStateWord, "auto saved");
  TJournalWorld::Type(j, "second words");
  EXPECT_TRUE(SaveEntry(j, smExplicit));
  EXPECT_EQ(EntryStateWord, "saved");
  // Nothing written: an automatic save leaves the word, the command says so.
  EXPECT_TRUE(SaveEntry(j, smAuto));
  EXPECT_EQ(EntryStateWord, "saved");
  EXPECT_TRUE(SaveEntry(j, smExplicit));
  EXPECT_EQ(EntryStateWord, "nothing to save");
  EXPECT_EQ(inserted, 1);
  EXPECT_EQ(w.Count("SELECT count(*) FROM Quillory WHERE Editor = 'VLF'"), 1);

  LoadEntry(j, Today() - 1);
  EXPECT_EQ(EntryStateWord, "blank slate");
  EXPECT_EQ(j->Document->Text(), "");
  LoadEntry(j, Today());
  EXPECT_EQ(EntryStateWord, "retrieved");
  EXPECT_EQ(j->Document->Text(), "first words\nsecond words");
  EXPECT_TRUE(j->EntryStored);
}

TEST(EntryStore, TopicEntriesKeepOneRowUnderTheTopicDateAndAreNeverProtectedByAge) {
  TFixedClock clock(kMorningUtcMs);  // one day for the product and the test
  TJournalWorld w;
  ProfileSettings.ProtectPriorEntries = true;
  TOpenJournal* j = w.Open("Recipes", 1);
  EXPECT_EQ(StoredEntryDate(j, j->EntryDate), TopicEntryDate);
  for (double date : {Today(), Today() - 400, Today() + 3}) {
    LoadEntry(j, date);
    EXPECT_FALSE(j->Document->ReadOnly);
    TJournalWorld::Type(j, "line");
    EXPECT_TRUE(SaveEntry(j, smAuto));
  }
  EXPECT_EQ(w.Count("SELECT count(*) FROM Quillory"), 1);
  EXPECT_EQ(w.Count("SELECT count(*) FROM Quillory WHERE JournalDate = 9999999"), 1);
  EXPECT_EQ(j->Caption, "Recipes");
  EXPECT_EQ(j->KindPanel, "Topic Journal Recipes");
}

TEST(EntryStore, ProtectPriorEntriesMakesOnlyOlderDaysReadOnly) {
  TFixedClock clock(kMorningUtcMs);  // one day for the product and the test
  TJournalWorld w;
  ProfileSettings.ProtectPriorEntries = true;
  TOpenJournal* j = w.Open("Diary", 0);
  const struct {
    double Date;
    bool ReadOnly;
  } cases[] = {{Today() - 1, true}, {Today(), false}, {Today() + 1, false}};
  for (const auto& c : cases) {
    LoadEntry(j, c.Date);
    EXPECT_EQ(j->Document->ReadOnly, c.ReadOnly) << c.Date;
  }
}

TEST(EntryStore, OldRtfEntryLoadsThroughTheRegisteredReaderAndIsSavedAsVlf) {
  TFixedClock clock(kMorningUtcMs);  // one day for the product and the test
  TJournalWorld w;
  const Integer id = w.AddJournal("Old", 0);
  w.Exec("INSERT INTO Quillory (JournalID, JournalDate, JournalText, Editor, ItemNumber, ItemOffset) VALUES (" +
         IntToStr(id) + ", " + IntToStr(static_cast<Int64>(Today())) +
         ", '{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Written in nineteen ninety\\par}', 'RTF', -1, -1)");
  JournalsLoaded = true;
  TOpenJournal* j = FindOrOpenJournal(id);
  EXPECT_EQ(EntryStateWord, "retrieved");
  EXPECT_EQ(j->Document->Text(), "Written in nineteen ninety");
  EXPECT_FALSE(j->EntryDamaged);
  j->Document->CaretItemNo = 0;
  j->Document->CaretOffset = 5;
  ActionSaveExecute();
  EXPECT_EQ(w.Count("SELECT count(*) FROM Quillory WHERE Editor = 'VLF' AND ItemOffset = 5"), 1);
  LoadEntry(j, Today());
  EXPECT_EQ(j->Document->Text(), "Written in nineteen ninety");
}

// Database errors made by the engine itself; the stored text survives each,
// the entry stays modified and the next save writes it.
TEST(EntryStore, FailedSavesKeepTheEntryModifiedAndTheStoredTextWhole) {
  TFixedClock clock(kMorningUtcMs);  // one day for the product and the test
  const struct {
    const char* Name;
    const char* Trigger;  // empty: the writer refuses
    bool StoredFirst;
  } cases[] = {
      {"insert error", "BEFORE INSERT ON QUILLORY", false},
      {"update error", "BEFORE UPDATE ON QUILLORY", true},
      {"writer false", "", true},
  };
  for (const auto& c : cases) {
    TJournalWorld w;
    TOpenJournal* j = w.Open("Diary", 0);
    auto* doc = new TFailingDocument;
    j->Document.reset(doc);
    String stored;
    if (c.StoredFirst) {
      TJournalWorld::Type(j, "kept text");
      ASSERT_TRUE(SaveEntry(j, smAuto)) << c.Name;
      stored = w.StoredBlob(j->JournalID, Today());
      ASSERT_FALSE(stored.empty());
    }
    if (*c.Trigger)
      w.Exec(String("CREATE TRIGGER Injected ") + c.Trigger +
             " WHEN (SELECT count(*) FROM Journals WHERE JournalName = 'Fail') > 0"
             " BEGIN SELECT RAISE(ABORT, 'injected'); END");
    doc->FailWrite = !*c.Trigger;
    w.Exec("INSERT INTO Journals (JournalID, JournalName) VALUES (999, 'Fail')");
    TJournalWorld::Type(j, "new text");
    TInteractionScript script;
    script.Answer(IDOK).Answer(IDOK);
    EXPECT_FALSE(SaveEntry(j, smAuto)) << c.Name;
    EXPECT_EQ(EntryStateWord, "not saved") << c.Name;
    EXPECT_TRUE(doc->Modified) << c.Name;
    EXPECT_EQ(w.StoredBlob(j->JournalID, Today()), stored) << c.Name;
    EXPECT_EQ(script.Shown.size(), *c.Trigger ? 1u : 0u) << c.Name;

    // The fault goes away: the retry writes everything typed.
    w.Exec("DELETE FROM Journals WHERE JournalID = 999");
    doc->FailWrite = false;
    EXPECT_TRUE(SaveEntry(j, smAuto)) << c.Name;
    EXPECT_EQ(w.Count("SELECT count(*) FROM Quillory"), 1) << c.Name;
    LoadEntry(j, Today());
    EXPECT_NE(j->Document->Text().find("new text"), String::npos) << c.Name;
  }
}

TEST(EntryStore, DamagedEntryOpensReadOnlyAndIsReplacedOnlyWithConsentKeepingTheOriginal) {
  TFixedClock clock(kMorningUtcMs);  // one day for the product and the test
  TJournalWorld w;
  const Integer id = w.AddJournal("Diary", 0);
  const String damaged = "-8 1 0\nnot a document at all";
  w.Exec("INSERT INTO Quillory (JournalID, JournalDate, JournalText, Editor) VALUES (" + IntToStr(id) + ", " +
         IntToStr(static_cast<Int64>(Today())) + ", '" + damaged + "', 'VLF')");
  JournalsLoaded = true;
  TOpenJournal* j = FindOrOpenJournal(id);
  CurrentJournal = j;
  EXPECT_EQ(EntryStateWord, "damaged entry");
  EXPECT_TRUE(j->EntryDamaged);
  EXPECT_TRUE(j->Document->ReadOnly);

  // Auto-save never, the save command only after a Yes.
  j->Document->Modified = true;
  EXPECT_FALSE(SaveEntry(j, smAuto));
  {
    TInteractionScript script;
    script.Answer(IDNO);
    ActionSaveExecute();
    EXPECT_EQ(script.Shown.size(), 1u);
  }
  EXPECT_EQ(EntryStateWord, "not saved");
  EXPECT_EQ(w.StoredBlob(id, Today()), damaged);

  TInteractionScript script;
  script.Answer(IDYES);
  ActionSaveExecute();
  EXPECT_EQ(EntryStateWord, "saved");
  EXPECT_NE(w.StoredBlob(id, Today()), damaged);
  EXPECT_EQ(w.Count("SELECT count(*) FROM Journals WHERE JournalActive = FALSE AND JournalName = 'Kept aside: Diary'"), 1);
  EXPECT_EQ(w.Count("SELECT count(*) FROM Quillory WHERE CAST(JournalText AS TEXT) = '" + damaged + "'"), 1);
  EXPECT_FALSE(j->EntryDamaged);
}

TEST(EntryStore, FailedLoadIsNeverTakenForAnEmptyDay) {
  TFixedClock clock(kMorningUtcMs);  // one day for the product and the test
  TJournalWorld w;
  TOpenJournal* j = w.Open("Diary", 0);
  TJournalWorld::Type(j, "stored text");
  ASSERT_TRUE(SaveEntry(j, smAuto));
  QuillorySession().AddTableFile(JournalFileName, {"Elsewhere"});
  w.Exec("ALTER TABLE QUILLORY RENAME TO Elsewhere");
  {
    TInteractionScript script;
    script.Answer(IDOK).Answer(IDOK);
    LoadEntry(j, Today());
  }
  EXPECT_EQ(EntryStateWord, "not retrieved");
  EXPECT_TRUE(j->Document->ReadOnly);
  TJournalWorld::Type(j, "typed over");
  EXPECT_FALSE(SaveEntry(j, smExplicit));
  w.Exec("ALTER TABLE Elsewhere RENAME TO QUILLORY");
  LoadEntry(j, Today());
  EXPECT_EQ(EntryStateWord, "retrieved");
  EXPECT_EQ(j->Document->Text(), "stored text");
  EXPECT_EQ(w.Count("SELECT count(*) FROM Quillory"), 1);
  // Whatever goes wrong, the table holds no second row for a journal's day.
  EXPECT_ANY_THROW(w.Exec("INSERT INTO Quillory (JournalID, JournalDate, JournalText, Editor) VALUES (" +
                          IntToStr(j->JournalID) + ", " + IntToStr(static_cast<Int64>(Today())) + ", 'x', 'VLF')"));
  EXPECT_EQ(w.Count("SELECT count(*) FROM Quillory"), 1);
}

TEST(EntryStore, DeleteAsksRemovesTheRowAndTellsTheTree) {
  TJournalWorld w;
  TOpenJournal* j = w.Open("Diary", 0);
  int deleted = 0;
  OnEntryDeleted = [&](const TTreeRefreshEntry&) { ++deleted; };
  // Nothing stored, nothing typed: no question.
  {
    TInteractionScript script;
    ActionDeleteExecute();
    EXPECT_EQ(script.Shown.size(), 0u);
    EXPECT_EQ(EntryStateWord, "nothing to delete");
  }
  TJournalWorld::Type(j, "draft");
  {
    TInteractionScript script;
    script.Answer(IDYES);
    ActionDeleteExecute();
    EXPECT_EQ(EntryStateWord, "cleared");
  }
  TJournalWorld::Type(j, "stored");
  ASSERT_TRUE(SaveEntry(j, smAuto));
  {
    TInteractionScript script;
    script.Answer(IDNO);
    ActionDeleteExecute();
    EXPECT_EQ(EntryStateWord, "nothing to delete");
    EXPECT_EQ(script.Shown.at(0).Caption, "Confirm Delete");
  }
  TInteractionScript script;
  script.Answer(IDYES);
  ActionDeleteExecute();
  EXPECT_EQ(EntryStateWord, "deleted");
  EXPECT_EQ(deleted, 1);
  EXPECT_EQ(w.Count("SELECT count(*) FROM Quillory"), 0);
  EXPECT_FALSE(j->EntryStored);
}

TEST(EntryStore, KeyedJournalFileHoldsNoEntryTextInClear) {
  TJournalWorld w;
  RestructureTablePassword("", "Secret;Pass", "QUILLORY");
  QuillorySession().AddPassword("Secret;Pass");
  TOpenJournal* j = w.Open("Diary", 0);
  TJournalWorld::Type(j, "UnmistakableNeedleWord");
  ASSERT_TRUE(SaveEntry(j, smAuto));
  JournalsLoaded = true;
  UnloadJournals();
  CloseDatabaseFiles();
  const String bytes = qytest::ReadFileBytes(w.DataDir() + "/Quillory.db");
  EXPECT_FALSE(bytes.empty());
  EXPECT_EQ(bytes.find("UnmistakableNeedleWord"), String::npos);
  EXPECT_EQ(bytes.find("Diary"), String::npos);
}

}  // namespace

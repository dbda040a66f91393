// An entry the reader takes only in part (a table nested deeper than a
// saved document may hold, written by the program's own writer) opens in
// its window read-only as a damaged entry and is never saved over; one at
// the bound opens as any other.
#include "MainWindowJournalSupport.h"

#include "app/QYAutoSave.h"
#include "app/QYEntryStore.h"

#include "platform/gui/Dialogs.h"
#include "richtext/table/VLTable.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using qytest::TMainJournalWorld;

const Int64 kMorningUtcMs = LocalToUtcMs(EncodeDateTime(2025, 3, 10, 9, 0, 0, 0));

// "before", tables nested depth deep with "Łódź" in the innermost cell, "after",
// as the entry store writes them.
String NestedEntry(Integer depth) {
  VLRegisterTableItem();
  TEntryDocument doc;
  TCustomVLData* host = &doc.Data;
  doc.Data.AddTextItem("before", 0, 0);
  for (Integer k = 0; k < depth; ++k) {
    auto t = TVLTableItemInfo::CreateEx(1, 1, host);
    TVLTableItemInfo* raw = t.get();
    host->AddItem("", t.release());
    host = raw->GetCell(0, 0);
  }
  host->SetItemTextA(0, "Łódź");
  doc.Data.AddTextItem("after", 0, 0);
  TMemoryStream s;
  EXPECT_TRUE(doc.SaveVLF(s));
  return s.Bytes();
}

String Hex(const String& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  String out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

TEST(EntryReadInPart, OpensReadOnlyAsADamagedEntryAndIsNeverSavedOver) {
  TFixedClock clock(kMorningUtcMs);
  struct Case {
    const char* Name;
    Integer Depth;
    bool Damaged;
  } cases[] = {
      {"tables nested as deep as they may be", VLTableMaxNesting, false},
      {"tables nested one deeper", VLTableMaxNesting + 1, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TMainJournalWorld world;
    ProfileSettings.AutoSaveOn = true;
    ProfileSettings.AutoSaveInterval = 1;
    const Integer id = world.AddJournal("Diary", 0);
    const String stored = NestedEntry(c.Depth);
    world.Exec("INSERT INTO Quillory (JournalID, JournalDate, JournalText, Editor) VALUES (" + IntToStr(id) +
               ", " + IntToStr(static_cast<Int64>(std::floor(Date()))) + ", X'" + Hex(stored) + "', 'VLF')");
    JournalsLoaded = true;
    TInteractionScript script;
    for (int i = 0; i < 4; ++i) script.Answer(IDOK);
    TOpenJournal* j = FindOrOpenJournal(id);
    ASSERT_TRUE(j && j->EditorWindow);
    CurrentJournal = j;
    EXPECT_EQ(EntryStateWord, c.Damaged ? "damaged entry" : "retrieved");
    EXPECT_EQ(j->EntryDamaged, c.Damaged);
    TVellumEdit* e = TMainJournalWorld::Editor(j);
    EXPECT_EQ(e->GetReadOnly(), c.Damaged);
    // The automatic save a minute later leaves the stored entry as it was.
    j->Document->Modified = true;
    LastSaveTime = Now() - 2.0 / (24 * 60);
    AutomaticSaveTimerTimer(Now());
    if (c.Damaged) {
      EXPECT_TRUE(j->Document->Modified);
      EXPECT_TRUE(world.StoredBlob(id, std::floor(Date())) == stored);
    } else {
      EXPECT_FALSE(j->Document->Modified);
    }
  }
}

}  // namespace

// An entry the reader takes only in part (a table nested deeper, or with
// more cells, than a saved document may hold, written by the program's own
// writer; any damage that leaves text out) opens in its window read-only as
// a damaged entry and is never saved over; one at the bound, or with a
// picture that cannot be shown, opens as any other.
#include "MainWindowJournalSupport.h"
#include "support/DamageSweep.h"

#include "app/QYAutoSave.h"
#include "app/QYEntryStore.h"
#include "app/QYPassword.h"

#include "platform/gui/Dialogs.h"
#include "richtext/model/VLFMisc.h"
#include "richtext/table/VLTable.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

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

// "before", a grid of 400 rows held by one merged cell with "Łódź" (as the
// reader takes it from a record of the writer's form), "after"; then extra
// columns added by the table's own command.
String WideGridEntry(Integer extraCols) {
  VLRegisterTableItem();
  const int rows = 400, cols = static_cast<int>(VLTableMaxCells / rows);
  auto i32 = [](int v) {
    return std::string("\x04", 1) + char(v & 0xFF) + char((v >> 8) & 0xFF) + char((v >> 16) & 0xFF) +
           char((v >> 24) & 0xFF);
  };
  std::string stream = std::string("QPS1\x0ATVLTableSW\x00", 16) + std::string("\x01" "C", 2);
  stream += i32(rows) + i32(cols) + "\x01" + i32(cols) + i32(rows) + std::string("QPS1\x02TD\x00\x00", 9);
  stream += std::string("\x00\x00", 2);
  const std::string record = "-8 1 3\r\n0 1 0 0 0 0\r\nbefore\r\n-60 3 0 0 0 0 \r\n\r\n1\r\n" +
                             VLFStringToHex(stream) + "\r\n0 1 0 0 0 0\r\nafter\r\n";
  TEntryDocument doc;
  TStringStream in(record);
  EXPECT_TRUE(doc.LoadVLF(in));
  EXPECT_FALSE(doc.LoadedInPart());
  auto* t = dynamic_cast<TVLTableItemInfo*>(doc.Data.GetItem(1));
  EXPECT_TRUE(t);
  if (!t) return String();
  t->GetCell(0, 0)->SetItemTextA(0, "Łódź");
  if (extraCols) t->InsertCols(t->ColCount(), extraCols, -1, false);
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
    std::function<String()> Entry;
    bool Damaged;
  } cases[] = {
      {"tables nested as deep as they may be", [] { return NestedEntry(VLTableMaxNesting); }, false},
      {"tables nested one deeper", [] { return NestedEntry(VLTableMaxNesting + 1); }, true},
      {"a table of as many cells as a table may have", [] { return WideGridEntry(0); }, false},
      {"a table one column wider", [] { return WideGridEntry(1); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TMainJournalWorld world;
    ProfileSettings.AutoSaveOn = true;
    ProfileSettings.AutoSaveInterval = 1;
    const Integer id = world.AddJournal("Diary", 0);
    const String stored = c.Entry();
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

// The sweep's entry, as the entry store writes it.
qytest::TSweepEntry SweepEntry() {
  TEntryDocument doc;
  qytest::AddSweepLists(doc.Style);
  return qytest::MakeSweepEntry(doc.Data, [&doc] {
    TMemoryStream s;
    EXPECT_TRUE(doc.SaveVLF(s));
    return s.Bytes();
  });
}

void StoreToday(TMainJournalWorld& world, Integer id, const String& blob) {
  const String date = IntToStr(static_cast<Int64>(std::floor(Date())));
  world.Exec("DELETE FROM Quillory WHERE JournalID = " + IntToStr(id) + " AND JournalDate = " + date);
  world.Exec("INSERT INTO Quillory (JournalID, JournalDate, JournalText, Editor) VALUES (" + IntToStr(id) + ", " +
             date + ", X'" + Hex(blob) + "', 'VLF')");
}

// Damage to a stored entry, anywhere: the entry opens read-only as damaged,
// or shows every text it holds. A span or a grid size read as zero, a
// table's record kind changed or a cut at the end of a line or between two
// records showed less text and opened as the user's own, to be saved over
// at the next save.
TEST(EntryReadInPart, EveryDamageOpensAsDamagedOrShowsAllItsText) {
  TFixedClock clock(kMorningUtcMs);
  TMainJournalWorld world;
  const Integer id = world.AddJournal("Diary", 0);
  const qytest::TSweepEntry entry = SweepEntry();
  StoreToday(world, id, entry.Bytes);
  JournalsLoaded = true;
  TInteractionScript script;
  TOpenJournal* j = FindOrOpenJournal(id);
  ASSERT_TRUE(j && j->EditorWindow);
  CurrentJournal = j;
  ASSERT_FALSE(j->EntryDamaged);
  ASSERT_TRUE(qytest::WordsNotShown(entry.Words, entry.Bytes, {qytest::TDamage::Cut, entry.Bytes.size()},
                                    qytest::ShownText(*TMainJournalWorld::Editor(j)->VLData()))
                  .empty());
  // Among them a cut inside the last text's line, one between records before
  // it, and the outer grid's column count zeroed.
  const size_t grid = entry.Bytes.find(std::string("\x01" "C\x02\x03\x02\x03", 6));
  ASSERT_NE(grid, std::string::npos);
  std::vector<qytest::TDamage> found = qytest::CutsAtTheLastText(entry.Bytes);
  ASSERT_EQ(found.size(), 2u);
  found.push_back({qytest::TDamage::Zeroed, grid + 5});
  int damaged = 0, whole = 0, empty = 0;
  for (const qytest::TDamage& d : qytest::DamagesToTry(entry.Bytes, 60, found)) {
    SCOPED_TRACE(d.Name());
    StoreToday(world, id, d.Apply(entry.Bytes));
    LoadEntry(j, Date());
    TVellumEdit* e = TMainJournalWorld::Editor(j);
    if (j->EntryDamaged) {
      ++damaged;
      EXPECT_EQ(EntryStateWord, "damaged entry");
      EXPECT_TRUE(e->GetReadOnly());
      continue;
    }
    if (qytest::CutToNothing(d)) {
      ++empty;
      continue;
    }
    ++whole;
    EXPECT_EQ(qytest::WordsNotShown(entry.Words, entry.Bytes, d, qytest::ShownText(*e->VLData())),
              std::vector<std::string>());
  }
  std::printf("%d damaged copies: %d opened as damaged, %d showed all their text, %d cut to nothing\n",
              damaged + whole + empty, damaged, whole, empty);
}

// A picture that cannot be decoded made the day "Unreadable entry: read
// only" at every opening, the typing after a toggle not saved. It is kept
// and written back as it was; the entry opens, saves and reads back as any
// other.
TEST(EntryReadInPart, APictureThatCannotBeShownLeavesTheEntryTheUsersOwn) {
  TFixedClock clock(kMorningUtcMs);
  TMainJournalWorld world;
  ProfileSettings.AutoSaveOn = true;
  ProfileSettings.AutoSaveInterval = 1;
  const Integer id = world.AddJournal("Second", 0);
  const std::string picture =
      qytest::ReadFileBytes(qytest::SourceDir() / "tests/richtext/model/data/repro/repro-rle-bomb-x4.vlf");
  ASSERT_FALSE(picture.empty());
  StoreToday(world, id, picture);
  JournalsLoaded = true;
  TInteractionScript script;
  TOpenJournal* j = FindOrOpenJournal(id);
  ASSERT_TRUE(j && j->EditorWindow);
  CurrentJournal = j;
  TVellumEdit* e = TMainJournalWorld::Editor(j);
  EXPECT_TRUE(e->VLData()->GetVLFWarnings().Contains(vlfwInvalidPicture));
  EXPECT_EQ(EntryStateWord, "retrieved");
  EXPECT_FALSE(j->EntryDamaged);
  EXPECT_FALSE(e->GetReadOnly());
  EXPECT_EQ(ReadOnlyReason(j), "");
  // Typing goes into the next automatic save, the pictures as they were.
  e->SetCaret(0, e->GetItemStartOffset(0));
  e->InsertText("My own words. ");
  ASSERT_TRUE(j->Document->Modified);
  LastSaveTime = Now() - 2.0 / (24 * 60);
  AutomaticSaveTimerTimer(Now());
  EXPECT_FALSE(j->Document->Modified);
  EXPECT_NE(world.StoredBlob(id, std::floor(Date())), picture);
  LoadEntry(j, Date());
  EXPECT_FALSE(j->EntryDamaged);
  EXPECT_FALSE(TMainJournalWorld::Editor(j)->GetReadOnly());
  EXPECT_NE(j->Document->Text().find("My own words."), std::string::npos);
  EXPECT_EQ(script.Unexpected, 0);
}

}  // namespace

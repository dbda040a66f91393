// The entry tree on a real database: the full load by date, by journal and
// for topic journals; the nodes a first save adds and a delete removes; the
// requests that come while the tree is busy; stopping a load half-way.
#include "JournalTestSupport.h"

#include "app/QYEntryTree.h"
#include "app/QYTreeThreads.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Threads.h"

#include <chrono>
#include <thread>

#include <gtest/gtest.h>

namespace {

using qytest::TJournalWorld;

struct TTreeWorld : TJournalWorld {
  TTreeWorld() : Form(nullptr) {
    EntryTreeBusy = false;
    EntryTreeLoaded = false;
    View = new TTreeView(&Form);
    View->SetParent(&Form);
    Panel = new TPanel(&Form);
    Panel->SetParent(&Form);
    Tree = new TEntryTree(&Form, View, Panel);
    UseEntryTree(Tree);
  }
  ~TTreeWorld() {
    Drain();
    OnEntryTreeOpenEntry = OpenEntryFromTree;
    EntryTreeBusy = false;
    EntryTreeLoaded = false;
  }

  void Drain() { qytest::DrainEntryTree(); }

  void Load() {
    Tree->RequestLoad();
    Drain();
  }

  // A stored entry of the journal on the date, through the entry store.
  void Write(TOpenJournal* j, TDateTime date, const String& text = "words") {
    LoadEntry(j, date);
    Type(j, text);
    ASSERT_TRUE(SaveEntry(j, smAuto));
  }

  // Every node, indented two blanks a level; "*" marks what opens an entry.
  String Dump() const {
    String out;
    for (TTreeNode* n = View->Items().GetFirstNode(); n; n = n->GetNext())
      out += String(2 * n->Level(), ' ') + n->GetText() + (IsEntryLeaf(n) ? " *" : "") + "\n";
    return out;
  }

  // The part of the dump under one root.
  String Under(int root) const {
    String out;
    TTreeNode* r = Tree->Root(root);
    for (TTreeNode* n = r ? r->GetFirstChild() : nullptr; n && n->Level() > 0; n = n->GetNext())
      out += String(2 * (n->Level() - 1), ' ') + n->GetText() + (IsEntryLeaf(n) ? " *" : "") + "\n";
    return out;
  }

  TForm Form;
  TTreeView* View = nullptr;
  TPanel* Panel = nullptr;
  TEntryTree* Tree = nullptr;
};

String DayText(TDateTime d) { return FormatDateTime("ddd, dd", d); }

TEST(EntryTree, LoadListsEveryEntryByDateByJournalAndTopic) {
  // "Today" is the clock's, the same for the load and for this test.
  TFixedClock clock(0);
  clock.SetLocal(EncodeDateTime(2026, 6, 14, 12, 0, 0, 0));
  TTreeWorld w;
  TOpenJournal* diary = w.Open("Diary", 0);
  TOpenJournal* work = w.Open("Work", 0);
  TOpenJournal* recipes = w.Open("Recipes", 1);
  w.Write(diary, EncodeDate(2003, 1, 5));
  w.Write(diary, EncodeDate(2004, 1, 10));
  w.Write(work, EncodeDate(2004, 1, 10));
  w.Write(work, Date());
  w.Write(recipes, Date());
  w.Drain();
  // Entries made before the load leave only the load's nodes.
  w.View->Items().Clear();
  w.Load();

  const String today = "    " + DayText(Date()) + "\n      Work *\n";
  const String year = FormatDateTime("yyyy", Date()), month = FormatDateTime("mmm", Date());
  EXPECT_EQ(w.Under(rtByDate), "2003\n  Jan\n    Sun, 05\n      Diary *\n"
                               "2004\n  Jan\n    Sat, 10\n      Diary *\n      Work *\n" +
                                   year + "\n  " + month + "\n" + today);
  EXPECT_EQ(w.Under(rtByJournal), "Diary\n  2003\n    Jan\n      Sun, 05 *\n  2004\n    Jan\n      Sat, 10 *\n"
                                  "Recipes *\n"
                                  "Work\n  2004\n    Jan\n      Sat, 10 *\n  " +
                                      year + "\n    " + month + "\n      " + DayText(Date()) + " *\n");
  EXPECT_EQ(w.Under(rtTopics), "Recipes *\n");
  EXPECT_EQ(w.View->Items().GetFirstNode()->GetText(), "Journal Entries By Date");

  // Today's path is open down to its day; other years stay closed.
  TTreeNode* byDate = w.Tree->Root(rtByDate);
  EXPECT_TRUE(byDate->GetExpanded());
  EXPECT_FALSE(byDate->Item(0)->GetExpanded());
  TTreeNode* y = byDate->GetLastChild();
  EXPECT_TRUE(y->GetExpanded() && y->GetFirstChild()->GetExpanded() &&
              y->GetFirstChild()->GetFirstChild()->GetExpanded());

  // Finished: shown, caption cleared, flags as they end.
  EXPECT_TRUE(w.View->GetVisible());
  EXPECT_TRUE(w.View->GetEnabled());
  EXPECT_EQ(w.Panel->GetText(), "");
  EXPECT_FALSE(w.Tree->ProgressBar()->GetVisible());
  EXPECT_TRUE(EntryTreeLoaded);
  EXPECT_FALSE(EntryTreeBusy);

  // Loaded once a run: a later open changes nothing.
  const String before = w.Dump();
  w.Exec("DELETE FROM Quillory");
  w.Load();
  EXPECT_EQ(w.Dump(), before);
}

// The tree by journal sorts the rows it read by date; its order is the one
// the database gives them by journal name and date.
// The path the load opens is today's, and today turns at local midnight.
TEST(EntryTree, TheOpenedPathFollowsTheClockAcrossMidnight) {
  struct Case {
    TDateTime now;
    const char* openYear;
  };
  const Case cases[] = {
      {EncodeDateTime(2026, 12, 31, 23, 59, 59, 500), "2026"},
      {EncodeDateTime(2027, 1, 1, 0, 0, 0, 500), "2027"},
  };
  qytest::TimeZone zone("<-10>10");  // far from UTC, where the two days differ
  for (const Case& c : cases) {
    SCOPED_TRACE(c.openYear);
    TFixedClock clock(0);
    clock.SetLocal(c.now);
    TTreeWorld w;
    TOpenJournal* diary = w.Open("Diary", 0);
    w.Write(diary, EncodeDate(2026, 12, 31));
    w.Write(diary, EncodeDate(2027, 1, 1));
    w.Drain();
    w.View->Items().Clear();
    w.Load();
    TTreeNode* byDate = w.Tree->Root(rtByDate);
    ASSERT_EQ(byDate->Count(), 2);
    EXPECT_TRUE(byDate->GetExpanded());
    for (int i = 0; i < 2; ++i) {
      TTreeNode* year = byDate->Item(i);
      const bool open = year->GetText() == c.openYear;
      SCOPED_TRACE(year->GetText());
      EXPECT_EQ(year->GetExpanded(), open);
      EXPECT_EQ(year->GetFirstChild()->GetExpanded(), open);
      EXPECT_EQ(year->GetFirstChild()->GetFirstChild()->GetExpanded(), open);
    }
  }
}

TEST(EntryTree, ByJournalIsInTheDatabasesOrder) {
  TTreeWorld w;
  TOpenJournal* journals[] = {w.Open("beta", 0), w.Open("Alpha", 0), w.Open("alpha", 0), w.Open("Alpha", 0),
                              w.Open("", 0)};
  for (int i = 0; i < 20; ++i) w.Write(journals[(i * 7) % 5], EncodeDate(2001 + i % 3, 1 + i % 12, 1 + i));
  w.Drain();
  w.View->Items().Clear();
  w.Load();
  String expected, shown;
  TQuery q;
  BindToDatabase(q);
  q.SQL.Add("SELECT DISTINCT JournalName, JournalID, JournalDate FROM Quillory, Journals WHERE "
            "Quillory.JournalID = Journals.JournalID ORDER BY JournalName, JournalDate");
  for (q.Open(); !q.Eof(); q.Next())
    expected += q.FieldByName("JournalName").AsString() + " " + FloatToStr(q.FieldByName("JournalDate").AsDateTime()) + "\n";
  TTreeNode* root = w.Tree->Root(rtByJournal);
  for (TTreeNode* n = root->GetFirstChild(); n && n->Level() > 0; n = n->GetNext())
    if (const TEntryNodeData* d = EntryNodeData(n); d && d->Record && IsEntryLeaf(n))
      shown += d->Record->JournalName + " " + FloatToStr(d->Record->JournalDate) + "\n";
  EXPECT_EQ(shown, expected);
  EXPECT_NE(expected.find("Alpha"), String::npos);
}

TEST(EntryTree, AnEmptyTableGivesTheThreeRoots) {
  TTreeWorld w;
  w.Load();
  EXPECT_EQ(w.Dump(), "Journal Entries By Date\nJournal Entries By Journal\nTopic Journals\n");
  EXPECT_TRUE(w.View->GetVisible());
}

TEST(EntryTree, FirstSavesAddNodesInOrderAndDeletesTakeThemOut) {
  TTreeWorld w;
  TOpenJournal* diary = w.Open("Diary", 0);
  w.Write(diary, EncodeDate(2003, 1, 5));
  w.Write(diary, EncodeDate(2005, 7, 1));
  w.Drain();
  w.View->Items().Clear();
  w.Load();
  TOpenJournal* aard = w.Open("Aardvark", 0);
  TOpenJournal* twin = w.Open("Diary", 0);  // another journal of the same name
  TOpenJournal* topic = w.Open("Recipes", 1);

  struct Step {
    TOpenJournal* journal;
    TDateTime date;
    bool remove;
    const char* byDate;
    const char* byJournal;
  };
  const Step steps[] = {
      // 2004 comes between 2003 and 2005, on both sides.
      {diary, EncodeDate(2004, 3, 3), false,
       "2003\n  Jan\n    Sun, 05\n      Diary *\n2004\n  Mar\n    Wed, 03\n      Diary *\n"
       "2005\n  Jul\n    Fri, 01\n      Diary *\n",
       "Diary\n  2003\n    Jan\n      Sun, 05 *\n  2004\n    Mar\n      Wed, 03 *\n  2005\n    Jul\n      Fri, 01 *\n"},
      // A new journal's node is placed by name; on a shared day, by name too.
      {aard, EncodeDate(2004, 3, 3), false,
       "2003\n  Jan\n    Sun, 05\n      Diary *\n2004\n  Mar\n    Wed, 03\n      Aardvark *\n      Diary *\n"
       "2005\n  Jul\n    Fri, 01\n      Diary *\n",
       "Aardvark\n  2004\n    Mar\n      Wed, 03 *\n"
       "Diary\n  2003\n    Jan\n      Sun, 05 *\n  2004\n    Mar\n      Wed, 03 *\n  2005\n    Jul\n      Fri, 01 *\n"},
      // The same name again: after the first, not at the end of the day.
      {twin, EncodeDate(2004, 3, 3), false,
       "2003\n  Jan\n    Sun, 05\n      Diary *\n2004\n  Mar\n    Wed, 03\n      Aardvark *\n      Diary *\n      Diary *\n"
       "2005\n  Jul\n    Fri, 01\n      Diary *\n",
       nullptr},
      // Days within a month in order on the journal side.
      {diary, EncodeDate(2004, 3, 1), false, nullptr,
       "Aardvark\n  2004\n    Mar\n      Wed, 03 *\n"
       "Diary\n  2003\n    Jan\n      Sun, 05 *\n  2004\n    Mar\n      Mon, 01 *\n      Wed, 03 *\n      Wed, 03 *\n"
       "  2005\n    Jul\n      Fri, 01 *\n"},
      // The only entry of a year goes with its month, year and journal.
      {aard, EncodeDate(2004, 3, 3), true, nullptr,
       "Diary\n  2003\n    Jan\n      Sun, 05 *\n  2004\n    Mar\n      Mon, 01 *\n      Wed, 03 *\n      Wed, 03 *\n"
       "  2005\n    Jul\n      Fri, 01 *\n"},
      // Two journals named alike: only the deleted one's leaves go.
      {diary, EncodeDate(2004, 3, 3), true,
       "2003\n  Jan\n    Sun, 05\n      Diary *\n2004\n  Mar\n    Mon, 01\n      Diary *\n    Wed, 03\n      Diary *\n"
       "2005\n  Jul\n    Fri, 01\n      Diary *\n",
       "Diary\n  2003\n    Jan\n      Sun, 05 *\n  2004\n    Mar\n      Mon, 01 *\n      Wed, 03 *\n"
       "  2005\n    Jul\n      Fri, 01 *\n"},
      {diary, EncodeDate(2005, 7, 1), true,
       "2003\n  Jan\n    Sun, 05\n      Diary *\n2004\n  Mar\n    Mon, 01\n      Diary *\n    Wed, 03\n      Diary *\n",
       "Diary\n  2003\n    Jan\n      Sun, 05 *\n  2004\n    Mar\n      Mon, 01 *\n      Wed, 03 *\n"},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(FormatDateTime("yyyy-mm-dd", s.date) + " " + s.journal->JournalName + (s.remove ? " delete" : ""));
    if (s.remove) {
      LoadEntry(s.journal, s.date);
      DeleteEntry(s.journal);
    } else {
      w.Write(s.journal, s.date);
    }
    w.Drain();
    if (s.byDate) {
      EXPECT_EQ(w.Under(rtByDate), s.byDate);
    }
    if (s.byJournal) {
      EXPECT_EQ(w.Under(rtByJournal), s.byJournal);
    }
    EXPECT_TRUE(w.View->GetVisible());
    EXPECT_EQ(w.Panel->GetText(), "");
  }

  // A topic entry: a leaf of its own and its journal's node, both gone on delete.
  w.Write(topic, Date());
  w.Drain();
  EXPECT_EQ(w.Under(rtTopics), "Recipes *\n");
  EXPECT_NE(w.Under(rtByJournal).find("Recipes *\n"), String::npos);
  const TEntryNodeData* d = EntryNodeData(w.Tree->Root(rtTopics)->GetFirstChild());
  ASSERT_TRUE(d && d->Record);
  EXPECT_EQ(d->Record->JournalDate, TopicEntryDate);
  // Shown on another day, the topic entry is still the one deleted.
  LoadEntry(topic, Date() + 3);
  DeleteEntry(topic);
  w.Drain();
  EXPECT_EQ(w.Under(rtTopics), "");
  EXPECT_EQ(w.Under(rtByJournal).find("Recipes"), String::npos);
}

TEST(EntryTree, NoUpdateIsLostWhileTheTreeIsBusy) {
  TTreeWorld w;
  TOpenJournal* diary = w.Open("Diary", 0);
  TOpenJournal* other = w.Open("Other", 0);
  w.Write(diary, EncodeDate(2010, 2, 2));
  w.Drain();
  w.View->Items().Clear();

  // Saved while the load runs: there once, whether the load saw it or not.
  w.Tree->RequestLoad();
  w.Write(diary, EncodeDate(2010, 2, 3));
  w.Drain();
  EXPECT_EQ(w.Under(rtByDate), "2010\n  Feb\n    Tue, 02\n      Diary *\n    Wed, 03\n      Diary *\n");

  // The first save the tree's own selection makes (leaving an unsaved new
  // day through the tree) still reaches the tree.
  LoadEntry(diary, EncodeDate(2010, 2, 9));
  TJournalWorld::Type(diary, "new day");
  CurrentJournal = diary;
  TTreeNode* leaf = w.Tree->Root(rtByDate)->GetFirstChild()->GetFirstChild()->GetFirstChild()->GetFirstChild();
  tEntryTreeChange(leaf);
  w.Drain();
  EXPECT_EQ(w.Under(rtByDate), "2010\n  Feb\n    Tue, 02\n      Diary *\n    Wed, 03\n      Diary *\n"
                               "    Tue, 09\n      Diary *\n");
  EXPECT_EQ(CurrentJournal, diary);
  EXPECT_EQ(diary->EntryDate, EncodeDate(2010, 2, 2));

  // An add cut short (the file was needed for maintenance) runs again.
  w.Write(diary, EncodeDate(2010, 2, 10));
  w.Tree->Stop();
  w.Drain();
  EXPECT_NE(w.Under(rtByDate).find("    Wed, 10\n      Diary *\n"), String::npos) << w.Under(rtByDate);

  // A window's own journal saved while another is current (as a closing
  // window does) is the one the tree gets.
  CurrentJournal = diary;
  w.Write(other, EncodeDate(2010, 2, 2));
  CurrentJournal = diary;
  w.Drain();
  EXPECT_EQ(w.Under(rtByJournal).find("Other\n  2010\n    Feb\n      Tue, 02 *\n") != String::npos, true)
      << w.Under(rtByJournal);
}

TEST(EntryTree, ChoosingANodeSavesAndOpensOnlyEntryLeaves) {
  TTreeWorld w;
  TOpenJournal* diary = w.Open("Diary", 0);
  const Integer id = diary->JournalID;
  w.Write(diary, EncodeDate(2012, 6, 6), "june");
  w.Drain();
  // Closed meanwhile: choosing its leaf opens the journal again.
  CloseJournal(diary);
  w.View->Items().Clear();
  w.Load();

  std::vector<std::pair<Integer, TDateTime>> opened;
  OnEntryTreeOpenEntry = [&](Integer j, TDateTime d) { opened.emplace_back(j, d); };
  TTreeNode* year = w.Tree->Root(rtByDate)->GetFirstChild();
  TTreeNode* byJournalDay = w.Tree->Root(rtByJournal)->GetFirstChild()->GetFirstChild()->GetFirstChild()->GetFirstChild();
  struct Case {
    TTreeNode* node;
    bool opens;
  };
  const Case cases[] = {{w.Tree->Root(rtByDate), false},
                        {year, false},
                        {year->GetFirstChild()->GetFirstChild(), false},
                        {year->GetFirstChild()->GetFirstChild()->GetFirstChild(), true},
                        {byJournalDay, true},
                        {nullptr, false}};
  for (const Case& c : cases) {
    opened.clear();
    tEntryTreeChange(c.node);
    EXPECT_EQ(opened.size(), c.opens ? 1u : 0u) << (c.node ? c.node->GetText() : "none");
    if (c.opens && !opened.empty()) {
      EXPECT_EQ(opened[0].first, id);
      EXPECT_EQ(opened[0].second, EncodeDate(2012, 6, 6));
    }
    EXPECT_FALSE(EntryTreeBusy);
  }
  // Busy: the choice is ignored.
  EntryTreeBusy = true;
  opened.clear();
  tEntryTreeChange(byJournalDay);
  EXPECT_TRUE(opened.empty());
  EntryTreeBusy = false;

  OnEntryTreeOpenEntry = OpenEntryFromTree;
  tEntryTreeChange(byJournalDay);
  ASSERT_NE(CurrentJournal, nullptr);
  EXPECT_EQ(CurrentJournal->JournalID, id);
  EXPECT_EQ(CurrentJournal->EntryDate, EncodeDate(2012, 6, 6));
  EXPECT_EQ(CurrentJournal->Document->Text(), "june");
}

// A journal large enough that the load is still running when it is stopped.
void FillMany(TTreeWorld& w, int count) {
  const Integer id = w.AddJournal("Many", 0);
  TDatabase db;
  db.SessionName = SessionName;
  db.AliasName = AliasName;
  db.StartTransaction();
  TQuery q;
  BindToDatabase(q);
  q.SQL.Add("INSERT INTO Quillory (JournalID, JournalDate, Editor) VALUES (:bJournalID, :bJournalDate, 'VLF')");
  q.Prepare();
  for (int i = 0; i < count; ++i) {
    q.ParamByName("bJournalID").SetAsInteger(id);
    q.ParamByName("bJournalDate").SetAsDate(36000 + i);
    q.ExecSQL();
  }
  db.Commit();
}

TEST(EntryTree, AStoppedLoadLeavesNothingBehind) {
  enum How { hStop, hClosing, hDestroy, hPack };
  // At once (the worker still reads) and later (its rows wait to be handed over).
  for (int run = 0; run < 8; ++run) {
    const How how = static_cast<How>(run % 4);
    const int wait = run < 4 ? 0 : 40;
    SCOPED_TRACE(IntToStr(how) + " after " + IntToStr(wait) + " ms");
    TTreeWorld w;
    FillMany(w, 3000);
    bool closing = false;
    w.Tree->IsClosing = [&] { return closing; };
    w.Tree->RequestLoad();
    std::this_thread::sleep_for(std::chrono::milliseconds(wait));
    switch (how) {
      case hStop:
        w.Tree->Stop();
        EXPECT_FALSE(EntryTreeBusy);
        EXPECT_FALSE(EntryTreeLoaded);
        break;
      case hClosing:
        closing = true;
        w.Drain();
        // Exit keeps what was read and ends the load as finished.
        EXPECT_TRUE(EntryTreeLoaded);
        break;
      case hPack:
        // Maintenance needs the file to itself: the load gives way.
        EXPECT_NO_THROW(PackTable("QUILLORY"));
        EXPECT_FALSE(EntryTreeLoaded);
        break;
      case hDestroy:
        delete w.Tree;
        w.Tree = nullptr;
        EXPECT_EQ(EntryTree, nullptr);
        break;
    }
    // Whatever the worker handed over after that is dropped.
    for (int i = 0; i < 50; ++i) {
      Application->ProcessMessages();
      TThread::CheckSynchronize();
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    EXPECT_FALSE(EntryTreeBusy);
    if (!w.Tree) continue;
    EXPECT_TRUE(w.View->GetVisible());
    EXPECT_EQ(w.Panel->GetText(), "");
    int leaves = 0;
    for (TTreeNode* n = w.View->Items().GetFirstNode(); n; n = n->GetNext()) leaves += IsEntryLeaf(n);
    EXPECT_LT(leaves, 2 * 3000);
    if (how == hStop) {
      // A later open loads the whole tree afresh.
      w.Load();
      leaves = 0;
      for (TTreeNode* n = w.View->Items().GetFirstNode(); n; n = n->GetNext()) leaves += IsEntryLeaf(n);
      EXPECT_EQ(leaves, 2 * 3000);
    }
  }
}

TEST(EntryTree, AFailedPassIsReportedAndTheLoadGoesOn) {
  TTreeWorld w;
  TOpenJournal* diary = w.Open("Diary", 0);
  w.Write(diary, EncodeDate(2003, 1, 5));
  w.Drain();
  w.View->Items().Clear();
  // A date the reader cannot take.
  w.Exec("UPDATE Quillory SET JournalDate = 'not a date'");
  TInteractionScript script;
  script.Answer(IDOK).Answer(IDOK);
  w.Load();
  ASSERT_EQ(script.Shown.size(), 2u);
  EXPECT_NE(script.Shown[0].Text.find("Load Entry Tree By Date"), String::npos);
  EXPECT_NE(script.Shown[1].Text.find("Load Entry Tree By Journal"), String::npos);
  EXPECT_TRUE(EntryTreeLoaded);
  EXPECT_TRUE(w.View->GetVisible());
  EXPECT_EQ(w.Under(rtTopics), "");
}

TEST(EntryTree, ProgressTextShowsPercentAndRow) {
  const struct {
    int row, count;
    const char* text;
  } cases[] = {{10, 20, "By Date 50.0% c=10"}, {1, 3, "By Date 33.3% c=1"}, {7300, 7300, "By Date 100.0% c=7300"}};
  for (const auto& c : cases) EXPECT_EQ(EntryTreeProgressText("By Date ", c.row, c.count), c.text);
}

}  // namespace

namespace {

// Equal keys keep their order and never pass a greater key.
TEST(EntryTree, ALeafOfAnExistingNameGoesAfterItNotToTheEnd) {
  TTreeWorld w;
  w.Load();
  const TDateTime day = EncodeDate(2004, 3, 3);
  const struct {
    const char* name;
    Integer id;
  } rows[] = {{"Diary", 1}, {"Work", 2}, {"Diary", 3}};
  for (const auto& r : rows) w.Tree->PlaceEntry(MakeEntryTreeRow(r.name, r.id, "D", day, 0, FormatSettings));
  EXPECT_EQ(w.Under(rtByDate), "2004\n  Mar\n    Wed, 03\n      Diary *\n      Diary *\n      Work *\n");
  EXPECT_EQ(w.Under(rtByJournal), "Diary\n  2004\n    Mar\n      Wed, 03 *\n      Wed, 03 *\nWork\n  2004\n    Mar\n      Wed, 03 *\n");
  // The same entry again changes nothing.
  w.Tree->PlaceEntry(MakeEntryTreeRow("Work", 2, "D", day, 0, FormatSettings));
  EXPECT_EQ(w.Under(rtByDate), "2004\n  Mar\n    Wed, 03\n      Diary *\n      Diary *\n      Work *\n");
}

}  // namespace

// Global find through stored entries: each hit shown selected in its
// journal's window, the options, damaged entries, responsiveness, cancel
// and a lock while a search waits at a hit.
#include "FindReportSupport.h"

#include "app/QYAutoSave.h"
#include "platform/base/DateTime.h"

#include <QCoreApplication>
#include <QMetaObject>
#include "app/QYEntryStore.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

using namespace qytest;

namespace {

String SelectedText(TOpenJournal* j) { return j->EditorWindow->QuilloryText->GetSelText(); }

struct THitSeen {
  Integer JournalID;
  double Date;
  String Selected;
  bool operator==(const THitSeen&) const = default;
};

std::ostream& operator<<(std::ostream& os, const THitSeen& h) {
  return os << h.JournalID << "@" << FormatDateTime("yyyy-mm-dd", h.Date) << " '" << h.Selected << "'";
}

// A journal "Diary" in its window, shown and active, the editor focused
// to be typed into; null when it did not open.
TOpenJournal* OpenDiaryToType(TFindReportWorld& w) {
  w.Journal("Diary");
  TOpenJournal* j = w.OpenWindow("Diary", 0);
  if (!j || !j->EditorWindow) return nullptr;
  w.ShowActive();
  j->EditorWindow->FocusEditor();
  return w.Settle() ? j : nullptr;
}

// Every hit of a search, as the journal windows showed them.
std::vector<THitSeen> AllHits(TFindReportWorld& w) {
  std::vector<THitSeen> hits;
  // The window counts the hits of every search it ran.
  int seen = w.Find->HitsShown;
  while (w.NextHit(seen)) {
    TOpenJournal* j = CurrentJournal;
    hits.push_back({j->JournalID, std::floor(j->EntryDate), SelectedText(j)});
    if (hits.size() > 50) break;
    w.Find->pbFind->Click();
  }
  return hits;
}

TEST(GlobalFindTest, ThreeHitsAmongTwentyYearsOfEntriesOneAfterAnother) {
  TFindReportWorld w;
  const Integer id = w.Journal("Diary");
  w.Journal("Other");
  const Integer first = static_cast<Integer>(EncodeDate(2001, 1, 1));
  std::vector<TFindReportWorld::TRow> rows;
  const String plain = TFindReportWorld::EntryVLF({"We walked along the river and talked about nothing much."});
  const std::vector<Integer> hitDays = {first + 17, first + 3650, first + 7299};
  for (Integer d = first; d < first + 7300; ++d) {
    const bool hit = std::find(hitDays.begin(), hitDays.end(), d) != hitDays.end();
    rows.push_back({id, static_cast<double>(d),
                    hit ? TFindReportWorld::EntryVLF({"A day like others.", "Packing boxes for the move today."})
                        : plain});
  }
  w.Store(rows);
  w.StartFind("move");
  const std::vector<THitSeen> hits = AllHits(w);
  std::vector<THitSeen> expected;
  for (Integer d : hitDays) expected.push_back({id, static_cast<double>(d), "move"});
  EXPECT_EQ(hits, expected);
  EXPECT_EQ(w.FindStatus(), "find done");
  EXPECT_EQ(w.Find->pbFind->GetCaption(), "&Find");
  EXPECT_EQ(w.LogLines().back(), "Global Find Thread Exited");
}

TEST(GlobalFindTest, OptionsNarrowTheHitsAsTheEditorDoes) {
  TFindReportWorld w;
  const Integer a = w.Journal("Alpha");
  const Integer b = w.Journal("Beta");
  const double d1 = EncodeDate(2010, 5, 1), d2 = EncodeDate(2010, 5, 2), d3 = EncodeDate(2010, 5, 3),
               d4 = EncodeDate(2010, 5, 4), d5 = EncodeDate(2010, 5, 5);
  w.Store({{a, d1, TFindReportWorld::EntryVLF({"Move, move and MOVE.", "Removed nothing."})},
           {b, d2, TFindReportWorld::EntryVLF({"Café in Zürich, 東京 next; naïve plans."})},
           {a, d3, TFindReportWorld::EntryVLF({"movement is not a move"})},
           {b, d4, TFindReportWorld::CyrillicEntryVLF("Завтра переезд в Москву")},
           // A bold first letter, and a word bold from its middle on.
           {a, d5, TFindReportWorld::RunsEntryVLF({"K", "eyword and key", "word"})}});
  struct TCase {
    const char* Name;
    const char* Text;
    bool MatchCase, WholeWord, Backward;
    std::vector<THitSeen> Expected;
  };
  const std::vector<TCase> cases = {
      {"any case, any part of a word", "move", false, false, false,
       {{a, d1, "Move"}, {a, d1, "move"}, {a, d1, "MOVE"}, {a, d1, "move"}, {a, d3, "move"}, {a, d3, "move"}}},
      {"match case", "move", true, false, false,
       {{a, d1, "move"}, {a, d1, "move"}, {a, d3, "move"}, {a, d3, "move"}}},
      {"whole words", "move", false, true, false, {{a, d1, "Move"}, {a, d1, "move"}, {a, d1, "MOVE"}, {a, d3, "move"}}},
      {"whole words, backward", "move", false, true, true,
       {{a, d3, "move"}, {a, d1, "MOVE"}, {a, d1, "move"}, {a, d1, "Move"}}},
      {"unicode text", "東京", false, false, false, {{b, d2, "東京"}}},
      {"unicode without case", "ZÜRICH", false, false, false, {{b, d2, "Zürich"}}},
      {"unicode with case", "ZÜRICH", true, false, false, {}},
      {"8-bit text in its own code page", "ПЕРЕЕЗД", false, true, false, {{b, d4, "переезд"}}},
      {"a style change inside a word", "keyword", false, true, false, {{a, d5, "Keyword"}, {a, d5, "keyword"}}},
      {"a style change inside a word, backward", "Keyword", true, true, true, {{a, d5, "Keyword"}}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    w.StartFind(c.Text, c.MatchCase, c.WholeWord, c.Backward);
    EXPECT_EQ(AllHits(w), c.Expected);
    EXPECT_EQ(w.FindStatus(), c.Expected.empty() ? String(c.Text) + " not found" : String("find done"));
  }
}

TEST(GlobalFindTest, DamagedEntriesAreSkippedWithALogLine) {
  TFindReportWorld w;
  const Integer a = w.Journal("Alpha");
  const double d1 = EncodeDate(2011, 2, 1), d2 = EncodeDate(2011, 2, 2), d3 = EncodeDate(2011, 2, 3);
  String damaged = TFindReportWorld::EntryVLF({"the move was damaged"});
  damaged.resize(damaged.size() / 2);
  w.Store({{a, d1, "\x01\x02 not a document at all"}, {a, d2, damaged}, {a, d3, TFindReportWorld::EntryVLF({"the move"})}});
  w.StartFind("move");
  EXPECT_EQ(AllHits(w), (std::vector<THitSeen>{{a, d3, "move"}}));
  const std::vector<String> log = w.LogLines();
  for (double d : {d1, d2})
    EXPECT_NE(std::find(log.begin(), log.end(), "entry of " + DateToStr(d) + " could not be read"), log.end())
        << DateToStr(d);
  EXPECT_EQ(w.FindStatus(), "find done");
}

// A topic journal's entries have no day: their hits name the journal only
// (the stored marker date read as a day in the year 29279); a daily
// journal's hits keep their day.
TEST(GlobalFindTest, TopicEntryHitsShowNoDate) {
  TFindReportWorld w;
  const Integer topics = w.Journal("Idées & Plans", 1);
  const Integer daily = w.Journal("Łódź diary", 0);
  const double day = EncodeDate(2012, 6, 7);
  w.Store({{topics, TopicEntryDate, TFindReportWorld::EntryVLF({"the café move"})},
           {daily, day, TFindReportWorld::EntryVLF({"another move"})}});
  w.StartFind("move");
  std::vector<String> statuses;
  int seen = w.Find->HitsShown;
  while (w.NextHit(seen) && statuses.size() < 5) {
    statuses.push_back(w.FindStatus());
    w.Find->pbFind->Click();
  }
  std::sort(statuses.begin(), statuses.end());
  EXPECT_EQ(statuses, (std::vector<String>{"found:Idées & Plans", "found:Łódź diary " + DateToStr(day)}));
}

TEST(GlobalFindTest, NoJournalSelectedEndsWithAnError) {
  TFindReportWorld w;
  w.Journal("Alpha");
  JournalsLoaded = true;
  ActionGlobalFindExecute();
  for (int i = 0; i < w.Selection->lbJournals->Items().Count(); ++i) w.Selection->lbJournals->SetSelected(i, false);
  w.Find->SetRecordSelection(true);
  w.Find->leTextToFind->SetText("x");
  w.Find->pbFind->Click();
  EXPECT_EQ(w.FindStatus(), "find error, canceled");
  EXPECT_FALSE(w.Find->FindRunning);
}

// An entry whose table holds the word in several cells, one of them in a
// table nested two deep, and in the text after it: each Find Next shows
// the next hit, in reading order, in the cell that holds it (the journal's
// window opens the cells the search reached), not the table's first hit
// again.
TEST(GlobalFindTest, EachHitInsideATableIsShownInItsCellInReadingOrder) {
  TFindReportWorld w;
  TOpenJournal* j = OpenDiaryToType(w);
  ASSERT_TRUE(j);
  ASSERT_TRUE(w.Type("before"));
  ASSERT_TRUE(w.Key(Qt::Key_Return));
  ASSERT_TRUE(w.Type("after move z"));
  ASSERT_TRUE(w.Key(Qt::Key_Home));
  ASSERT_TRUE(w.InsertTable(2, 2));
  ASSERT_TRUE(w.Type("move a"));
  ASSERT_TRUE(w.Key(Qt::Key_Tab));
  ASSERT_TRUE(w.Type("x move b"));
  ASSERT_TRUE(w.Key(Qt::Key_Tab));
  ASSERT_TRUE(w.InsertTable(1, 2));
  ASSERT_TRUE(w.Type("move c"));
  ASSERT_TRUE(w.Key(Qt::Key_Tab));
  ASSERT_TRUE(w.Type("y move d"));
  ASSERT_TRUE(w.Menu("ActionSave"));
  ASSERT_FALSE(j->Document->Modified);
  w.StartFind("move");
  std::vector<std::string> hits;
  int seen = w.Find->HitsShown;
  while (w.NextHit(seen) && hits.size() < 10) {
    TCustomVellumEdit* inner = CurrentJournal->EditorWindow->QuilloryText->GetInnermostEditor();
    hits.push_back(WideToUtf8(inner->GetSelTextW()) + " in \"" + DocumentText(*inner->VLData()) + "\"");
    w.Find->pbFind->Click();
  }
  EXPECT_EQ(hits, (std::vector<std::string>{"move in \"move a\"", "move in \"x move b\"", "move in \"move c\"",
                                            "move in \"y move d\"", "move in \"before|[move a/x move b/[move c/y move d]/]|after move z\""}));
}

// A hit in the entry the window shows, stored as it is shown (the find
// saved it as it began): the entry is not read again, the hit is selected
// in it, and what was typed before the find can still be undone.
TEST(GlobalFindTest, AHitInTheEntryShownKeepsItsUndoHistory) {
  TFindReportWorld w;
  TOpenJournal* j = OpenDiaryToType(w);
  ASSERT_TRUE(j);
  ASSERT_TRUE(w.Type("we move on"));
  w.StartFind("move");
  int seen = w.Find->HitsShown;
  ASSERT_TRUE(w.NextHit(seen));
  ASSERT_EQ(CurrentJournal, j);
  EXPECT_EQ(SelectedText(j), "move");
  TVellumEdit* e = j->EditorWindow->QuilloryText;
  EXPECT_NE(e->GetUndoType(), vlutNone) << "the entry was read again";
  for (int i = 0; i < 20 && e->GetUndoType() != vlutNone; ++i) e->Undo();
  EXPECT_EQ(DocumentText(*e->VLData()), "") << "the typing was not undone";
  w.Find->Close();
}

// Entries enough for a search to run a while, none holding the text.
void StoreMany(TFindReportWorld& w, int count) {
  const Integer id = w.Journal("Many");
  const Integer first = static_cast<Integer>(EncodeDate(2000, 1, 1));
  std::vector<TFindReportWorld::TRow> rows;
  const String text = TFindReportWorld::EntryVLF(
      {"Nothing to see here, only words that repeat and repeat to fill an ordinary page of a journal."});
  for (int i = 0; i < count; ++i) rows.push_back({id, static_cast<double>(first + i), text});
  w.Store(rows);
}

// How quickly the GUI answers meanwhile is measured in bench/ (it depends on
// the machine's load); here only what no load can bring about: events are
// answered while the search runs, and Close stops the worker long before the
// rows are read.
TEST(GlobalFindTest, TheGuiAnswersWhileTheWorkerRunsAndCancelStopsIt) {
  TFindReportWorld w;
  const int rows = 7300;
  StoreMany(w, rows);
  // Slowed to run for many seconds: only a worker that heeds the cancel
  // stops before it has read them all.
  auto read = std::make_shared<std::atomic<int>>(0);
  w.Find->OnRowRead = [read] {
    ++*read;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  };
  w.StartFind("absent-word");
  // Events posted from another thread while it searches; the state outlives
  // events still queued.
  struct TProbe {
    std::atomic<bool> Stop{false};
    std::atomic<int> Pending{0};
    int Answered = 0;  // GUI thread only
  };
  auto probe = std::make_shared<TProbe>();
  std::thread poster([probe] {
    while (!probe->Stop) {
      ++probe->Pending;
      QMetaObject::invokeMethod(
          QCoreApplication::instance(),
          [probe] {
            ++probe->Answered;
            --probe->Pending;
          },
          Qt::QueuedConnection);
      while (probe->Pending > 0 && !probe->Stop) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  });
  TFindReportWorld::PumpUntil([&] { return probe->Answered >= 10 || !w.Find->FindRunning; });
  const bool running = w.Find->FindRunning;
  const int answered = probe->Answered;
  w.Find->Close();
  const int readAtClose = *read;
  probe->Stop = true;
  poster.join();
  ASSERT_TRUE(running) << "the search ended (" << w.FindStatus() << ") after " << answered << " events";
  EXPECT_GE(answered, 10);
  EXPECT_FALSE(w.Find->FindRunning);
  // Nothing more is read once Close has returned, and far from all was.
  for (int i = 0; i < 20; ++i) Application->ProcessMessages();
  EXPECT_EQ(*read, readAtClose);
  EXPECT_LT(readAtClose, rows / 2);
}

TEST(GlobalFindTest, ALockWhileWaitingAtAHitEndsTheSearch) {
  TFindReportWorld w;
  const Integer a = w.Journal("Alpha");
  w.Store({{a, EncodeDate(2012, 1, 1), TFindReportWorld::EntryVLF({"move one"})},
           {a, EncodeDate(2012, 1, 2), TFindReportWorld::EntryVLF({"move two"})}});
  w.StartFind("move");
  int seen = 0;
  ASSERT_TRUE(w.NextHit(seen));
  ASSERT_TRUE(w.Find->FindRunning);
  TInteractionScript script;
  for (int i = 0; i < 5; ++i) script.Answer(IDOK);
  w.Main->ActionLockExecute(w.Main);
  EXPECT_FALSE(w.Find->FindRunning);
  EXPECT_FALSE(w.Find->GetVisible());
  EXPECT_EQ(w.Find->HitsShown, 1);
  // Nothing further arrives once the thread is gone.
  for (int i = 0; i < 20; ++i) Application->ProcessMessages();
  EXPECT_EQ(w.Find->HitsShown, 1);
}


TEST(GlobalFindTest, TheWindowMovesOffTheHitItShows) {
  TFindReportWorld w;
  const Integer a = w.Journal("Alpha");
  w.Store({{a, EncodeDate(2012, 1, 1), TFindReportWorld::EntryVLF({"move one"})}});
  w.Main->SetBounds(0, 0, 900, 700);
  w.Main->Show();
  w.StartFind("move");
  int seen = 0;
  ASSERT_TRUE(w.NextHit(seen));
  TVellumEdit* e = CurrentJournal->EditorWindow->QuilloryText;
  const TRect hit = e->GetSelectionRect();
  // Put over the hit, as a window manager may place it, then shown again.
  w.Find->SetBounds(hit.Left, hit.Top - 10, w.Find->GetWidth(), w.Find->GetHeight());
  w.Find->KeepClearOf(hit);
  const TRect me = w.Find->BoundsRect();
  EXPECT_FALSE(me.Left < hit.Right && hit.Left < me.Right && me.Top < hit.Bottom && hit.Top < me.Bottom);
  // The window belongs to the main window; it is not above every window.
  EXPECT_NE(w.Find->GetFormStyle(), fsStayOnTop);
  w.Find->Close();
}

// Ctrl+Shift+F, the text, Enter, and Enter again at each hit, as the user
// goes from hit to hit by the keyboard: each Enter is Find Next, never a
// paragraph break in the entry where the hit is selected (in the text and
// in a table cell), and the saved entry is as it was typed.
TEST(GlobalFindTest, EnterAtAHitIsFindNextByTheKeyboard) {
  TFindReportWorld w;
  // A hit in a journal whose window is not open yet: it opens for the hit.
  const Integer other = w.Journal("Other river notes");
  w.Store({{other, EncodeDate(2015, 3, 4), TFindReportWorld::EntryVLF({"Down by the river, naïve."})}});
  TOpenJournal* j = w.OpenWindow("Łódź diary", 0);
  ASSERT_TRUE(w.ShowActive());
  j->EditorWindow->FocusEditor();
  ASSERT_TRUE(w.Settle());
  ASSERT_TRUE(w.Type("The river café"));
  ASSERT_TRUE(w.Key(Qt::Key_Return));
  ASSERT_TRUE(w.InsertTable(1, 2));
  ASSERT_TRUE(w.Type("river bank"));
  const std::string typed = "The river café|[river bank/]";
  TVellumEdit* e = TFindReportWorld::Editor(j);
  ASSERT_EQ(DocumentText(*e->VLData()), typed);

  ASSERT_TRUE(w.Key(Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier));
  ASSERT_TRUE(w.Find->GetVisible());
  QWidget* findWindow = WidgetOf(w.Find.get())->window();
  ASSERT_TRUE(TFindReportWorld::WaitFor([&] { return QApplication::activeWindow() == findWindow; }));
  ASSERT_TRUE(w.Type("river"));
  ASSERT_EQ(w.Find->leTextToFind->GetText(), "river");
  int seen = w.Find->HitsShown;
  ASSERT_TRUE(w.Key(Qt::Key_Return));  // Find
  std::vector<String> hits;
  while (w.NextHit(seen) && hits.size() < 5) {
    hits.push_back(CurrentJournal->EditorWindow->QuilloryText->GetInnermostEditor()->GetSelText());
    // As long as a window manager may take to hand the activation round.
    EXPECT_TRUE(TFindReportWorld::WaitFor([&] { return QApplication::activeWindow() == findWindow; }))
        << "the journal took the keyboard at hit " << hits.size();
    ASSERT_TRUE(w.Key(Qt::Key_Return));  // Find Next
    EXPECT_EQ(DocumentText(*e->VLData()), typed) << "after Enter at hit " << hits.size();
  }
  EXPECT_EQ(hits, (std::vector<String>{"river", "river", "river"}));
  TOpenJournal* opened = FindOrOpenJournal(other);
  ASSERT_NE(opened, nullptr);
  EXPECT_EQ(opened->Document->Text(), "Down by the river, naïve.");
  EXPECT_EQ(w.FindStatus(), "find done");
  w.Find->Close();
  SaveEntry(j, smAuto);
  const String blob = w.StoredBlob(j->JournalID, std::floor(j->EntryDate));
  TEntryDocument stored;
  TMemoryStream stream;
  stream.Write(blob.data(), static_cast<Int64>(blob.size()));
  stream.Seek(0, soBeginning);
  ASSERT_TRUE(stored.LoadVLF(stream));
  EXPECT_EQ(DocumentText(stored.Data), typed);
}

}  // namespace

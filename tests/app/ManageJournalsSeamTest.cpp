// Manage Journals against the rest of the main window: while it is up
// nothing opens a journal (the entry tree, the selector), a deleted journal
// keeps no window and no place in a list, the tree follows every change at
// once, a save that cannot reach its journal says so, and the names the
// user gives are checked and shown as typed.
#include "MainWindowJournalSupport.h"

#include "app/QYAddJournal.h"
#include "app/QYEntryTree.h"
#include "app/QYJournalManager.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/ExtCtrls.h"
#include "platform/gui/Grids.h"
#include "platform/gui/StdCtrls.h"
#include "platform/gui/Threads.h"

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <thread>

namespace {

using qytest::TMainJournalWorld;

struct TSeamWorld : TMainJournalWorld {
  TSeamWorld() {
    EntryTreeBusy = false;
    EntryTreeLoaded = false;
  }
  ~TSeamWorld() {
    Drain();
    EntryTreeLoaded = false;
  }

  void Drain() { qytest::DrainEntryTree(); }

  void LoadTree() {
    StartEntryTreeLoad();
    Drain();
  }

  // A stored entry of today in the journal, typed in its window.
  void WriteToday(TOpenJournal* j, const String& text) {
    TypeAtEnd(j, text);
    ASSERT_TRUE(SaveEntry(j, smAuto));
  }

  TformJournalManager* Manage() {
    TInteractionScript script;
    TformJournalManager* window = ActionJournalManagerExecute(Main);
    EXPECT_TRUE(script.Shown.empty());
    return window;
  }

  static int RowOf(TformJournalManager* m, Integer id) {
    for (int r = 0; r < m->JournalManagerGrid->RowCount(); ++r)
      if (m->JournalManagerGrid->Cell(jmcID, r) == IntToStr(id)) return r;
    return -1;
  }

  // The journals that hold a record in the program, and those with a window.
  static std::set<String> OpenNames() {
    std::set<String> names;
    for (TOpenJournal* j = FirstJournal; j; j = j->Next) names.insert(j->JournalName);
    return names;
  }
  std::set<String> WindowCaptions() const {
    std::set<String> names;
    for (int i = 0; i < Main->MDIChildCount(); ++i)
      if (auto* w = dynamic_cast<TformQuilloryEditor*>(Main->MDIChildren(i)); w && w->GetVisible())
        names.insert(w->GetCaption());
    return names;
  }
  std::vector<String> SelectorLines() const {
    std::vector<String> lines;
    for (int i = 0; i < Main->cbSelectJournal->Items().Count(); ++i)
      lines.push_back(Main->cbSelectJournal->Items()[i]);
    return lines;
  }

  // Every entry leaf of the tree, by the text it shows.
  std::vector<TTreeNode*> Leaves() const {
    std::vector<TTreeNode*> out;
    for (TTreeNode* n = Main->tEntryTree->Items().GetFirstNode(); n; n = n->GetNext())
      if (IsEntryLeaf(n)) out.push_back(n);
    return out;
  }
  // The journal names the tree lists under "By Journal".
  std::vector<String> TreeJournals() const {
    std::vector<String> out;
    TTreeNode* root = EntryTree ? EntryTree->Root(rtByJournal) : nullptr;
    for (int i = 0; root && i < root->Count(); ++i) out.push_back(root->Item(i)->GetText());
    return out;
  }
  // The names on the leaves under "By Date".
  std::set<String> TreeDateLeafNames() const {
    std::set<String> out;
    TTreeNode* root = EntryTree ? EntryTree->Root(rtByDate) : nullptr;
    for (TTreeNode* n = root ? root->GetFirstChild() : nullptr; n && n->Level() > 0; n = n->GetNext())
      if (IsEntryLeaf(n)) out.insert(n->GetText());
    return out;
  }
};

// Typed key by key, as a keyboard with those letters sends them.
void TypeKeys(QWidget* target, const QString& text) {
  for (QChar ch : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(target, &release);
  }
}

// The user clicks a leaf of the journal's entry in the tree.
void ChooseLeafOf(TSeamWorld& w, Integer journalID) {
  for (TTreeNode* n : w.Leaves())
    if (EntryNodeData(n)->Record->JournalID == journalID) {
      w.Main->tEntryTree->SetSelected(nullptr);
      w.Main->tEntryTree->SetSelected(n);
      Application->ProcessMessages();
      return;
    }
  ADD_FAILURE() << "no leaf of journal " << journalID;
}

TEST(ManageJournals, NothingOpensAJournalWhileTheyAreManagedAndADeletedOneStaysGone) {
  TSeamWorld w;
  TOpenJournal* diary = w.OpenWindow("Diary", 0);
  const Integer diaryID = diary->JournalID;
  w.WriteToday(diary, "café notes");
  TOpenJournal* work = w.OpenWindow("Work", 0);
  const Integer workID = work->JournalID;
  w.WriteToday(work, "don’t forget");
  w.LoadTree();
  ASSERT_EQ(w.Leaves().size(), 4u);

  TformJournalManager* m = w.Manage();
  ASSERT_NE(m, nullptr);
  ASSERT_TRUE(w.OpenNames().empty());
  // The tree, the selector and the calendar are out of reach, and the tree's
  // own choice opens nothing either.
  EXPECT_FALSE(w.Main->tEntryTree->GetEnabled());
  EXPECT_FALSE(w.Main->MonthCalendar->GetEnabled());
  EXPECT_TRUE(w.SelectorLines().empty());
  ChooseLeafOf(w, diaryID);
  EXPECT_TRUE(w.OpenNames().empty());
  EXPECT_TRUE(w.WindowCaptions().empty());
  EXPECT_EQ(FindOrOpenJournal(workID), nullptr);

  {
    TInteractionScript script;
    script.Answer(IDYES).Answer(IDOK);
    ASSERT_TRUE(m->DeleteJournalRow(w.RowOf(m, diaryID)));
  }
  ChooseLeafOf(w, diaryID);
  EXPECT_TRUE(w.OpenNames().empty());
  m->pbOkClick(m);
  Application->ProcessMessages();
  w.Drain();

  EXPECT_EQ(w.OpenNames(), std::set<String>{"Work"});
  EXPECT_EQ(w.SelectorLines(), std::vector<String>{"Work"});
  for (const String& caption : w.WindowCaptions()) EXPECT_EQ(caption.find("Diary"), String::npos) << caption;
  EXPECT_EQ(w.TreeJournals(), std::vector<String>{"Work"});
  EXPECT_TRUE(w.Main->tEntryTree->GetEnabled());
  EXPECT_EQ(w.Count("SELECT count(*) FROM Quillory WHERE JournalID = " + IntToStr(diaryID)), 0);
}

TEST(ManageJournals, TheTreeFollowsRenamesHidesAndDeletesAtOnce) {
  TSeamWorld w;
  TOpenJournal* diary = w.OpenWindow("Diary", 0);
  const Integer diaryID = diary->JournalID;
  w.WriteToday(diary, "Łódź in spring");
  TOpenJournal* ideas = w.OpenWindow("Ideas", 0);
  const Integer ideasID = ideas->JournalID;
  w.WriteToday(ideas, "an idea");
  TOpenJournal* work = w.OpenWindow("Work", 0);
  const Integer workID = work->JournalID;
  w.WriteToday(work, "a meeting");
  w.LoadTree();
  ASSERT_EQ(w.TreeJournals(), (std::vector<String>{"Diary", "Ideas", "Work"}));

  TformJournalManager* m = w.Manage();
  m->JournalManagerGrid->EditCell(jmcName, w.RowOf(m, diaryID), "Łódź & Co");
  m->JournalManagerGrid->ToggleCell(jmcShow, w.RowOf(m, workID));
  {
    TInteractionScript script;
    script.Answer(IDYES);
    ASSERT_TRUE(m->DeleteJournalRow(w.RowOf(m, ideasID)));
  }
  m->pbOkClick(m);
  Application->ProcessMessages();
  w.Drain();

  // The hidden journal is neither open nor listed; its entries are kept.
  EXPECT_EQ(w.TreeJournals(), std::vector<String>{"Łódź & Co"});
  EXPECT_EQ(w.TreeDateLeafNames(), std::set<String>{"Łódź & Co"});
  EXPECT_EQ(w.SelectorLines(), std::vector<String>{"Łódź & Co"});
  EXPECT_EQ(w.Count("SELECT count(*) FROM Quillory WHERE JournalID = " + IntToStr(workID)), 1);
  // The renamed journal's leaf opens it under its new name.
  ChooseLeafOf(w, diaryID);
  ASSERT_NE(CurrentJournal, nullptr);
  EXPECT_EQ(CurrentJournal->JournalName, "Łódź & Co");
  EXPECT_EQ(CurrentJournal->Document->Text(), "Łódź in spring");
}

TEST(ManageJournals, ASaveThatCannotReachItsJournalSaysSoAndKeepsTheText) {
  TSeamWorld w;
  TOpenJournal* j = w.OpenWindow("Diary", 0);
  const Integer id = j->JournalID;
  TMainJournalWorld::TypeAtEnd(j, "typed after the journal went: naïve");
  // The journal's row goes behind the window's back.
  w.Exec("DELETE FROM Journals WHERE JournalID = " + IntToStr(id));
  for (int attempt = 0; attempt < 2; ++attempt) {
    TInteractionScript script;
    script.Answer(IDOK);
    w.Main->ActionSave->Execute();
    ASSERT_EQ(script.Shown.size(), 1u) << attempt;
    EXPECT_NE(script.Shown[0].Text.find("\"Diary\" is no longer in the database"), String::npos)
        << script.Shown[0].Text;
    EXPECT_EQ(w.Main->StatusText(spState), "not saved");
    EXPECT_TRUE(j->Document->Modified);
    EXPECT_EQ(TMainJournalWorld::Editor(j)->GetItemTextUtf8(TMainJournalWorld::Editor(j)->ItemCount() - 1),
              "typed after the journal went: naïve");
  }
  EXPECT_EQ(w.Count("SELECT count(*) FROM Quillory"), 0);
  // The automatic save says it once, not at every tick.
  TInteractionScript quiet;
  EXPECT_FALSE(SaveEntry(j, smAuto));
  EXPECT_TRUE(quiet.Shown.empty());
}

TEST(ManageJournals, AnAddedRowOpensItsNameForTyping) {
  TSeamWorld w;
  w.OpenWindow("Diary", 0);
  w.Main->Show();
  TformJournalManager* m = w.Manage();
  ASSERT_TRUE(m->InsertJournalRow());
  const int row = m->JournalManagerGrid->RowCount() - 1;
  // The name's editor is open in the new row and has the keyboard.
  QWidget* editor = QApplication::focusWidget();
  ASSERT_NE(qobject_cast<QLineEdit*>(editor), nullptr);
  ASSERT_TRUE(WidgetOf(m->JournalManagerGrid)->isAncestorOf(editor));
  TypeKeys(editor, QString::fromUtf8("Café"));
  QTest::keyClick(editor, Qt::Key_Return);
  Application->ProcessMessages();
  EXPECT_EQ(m->JournalManagerGrid->Cell(jmcName, row), "Café");
  EXPECT_EQ(w.Count("SELECT count(*) FROM Journals WHERE JournalName = 'Café'"), 1);
  // Enter ended the edit: it added no second journal.
  EXPECT_EQ(m->JournalManagerGrid->RowCount(), 2);
  // A second added row takes a name no journal has.
  ASSERT_TRUE(m->InsertJournalRow());
  ASSERT_TRUE(m->InsertJournalRow());
  EXPECT_EQ(m->JournalManagerGrid->Cell(jmcName, 2), "New Journal");
  EXPECT_EQ(m->JournalManagerGrid->Cell(jmcName, 3), "New Journal 2");
  m->pbOkClick(m);
  Application->ProcessMessages();
}

TEST(ManageJournals, NamesAreRefusedWhenTakenOrTooLongInTheGridAndTheAddDialog) {
  const struct {
    const char* What;
    String Name;
    bool Accepted;
    const char* Message;
  } cases[] = {
      {"taken", "Diary", false, "There is a journal named \"Diary\" already"},
      {"taken, other case", "DIARY", false, "There is a journal named \"DIARY\" already"},
      {"taken, beyond ASCII", "łódź", false, "There is a journal named \"łódź\" already"},
      {"5,000 characters", String(5000, 'x'), false, "at most 100 characters long; this one has 5000"},
      {"101 characters beyond ASCII", String(50, 'x') + [] {
         String s;
         for (int i = 0; i < 51; ++i) s += "é";
         return s;
       }(), false, "this one has 101"},
      {"100 characters beyond ASCII", [] {
         String s;
         for (int i = 0; i < 100; ++i) s += "é";
         return s;
       }(), true, ""},
      {"an ampersand", "Ideas & Plans", true, ""},
  };
  for (const auto& c : cases) {
    TSeamWorld w;
    w.OpenWindow("Diary", 0);
    w.OpenWindow("Łódź", 0);
    const Integer other = w.OpenWindow("Other", 0)->JournalID;
    // In the grid: the row shows its stored name again.
    TformJournalManager* m = w.Manage();
    {
      TInteractionScript script;
      script.Answer(IDOK);
      m->JournalManagerGrid->EditCell(jmcName, w.RowOf(m, other), c.Name);
      EXPECT_EQ(script.Shown.size(), c.Accepted ? 0u : 1u) << c.What;
      if (!c.Accepted && !script.Shown.empty()) {
        EXPECT_NE(script.Shown[0].Text.find(c.Message), String::npos) << c.What << ": " << script.Shown[0].Text;
      }
      EXPECT_EQ(m->JournalManagerGrid->Cell(jmcName, w.RowOf(m, other)), c.Accepted ? c.Name : String("Other"))
          << c.What;
      EXPECT_EQ(w.Count("SELECT count(*) FROM Journals WHERE JournalName = 'Other'"), c.Accepted ? 0 : 1)
          << c.What;
    }
    m->pbOkClick(m);
    Application->ProcessMessages();
    // In the Add Journal dialog: OK keeps it open.
    w.Exec("UPDATE Journals SET JournalName = 'Other' WHERE JournalID = " + IntToStr(other));
    TdlgAddJournal dialog(nullptr);
    dialog.eJournalName->SetText(c.Name);
    TInteractionScript script;
    script.Answer(IDOK);
    dialog.OKBtnClick(nullptr);
    EXPECT_EQ(dialog.ModalResult, c.Accepted ? mrOk : mrNone) << c.What;
    EXPECT_EQ(script.Shown.size(), c.Accepted ? 0u : 1u) << c.What;
  }
}

// What a panel shows, as pixels.
QImage PanelPicture(TPanel* panel) { return WidgetOf(panel)->grab().toImage(); }

TEST(ManageJournals, AnAmpersandInANameShowsAsTypedInTheEditorsHeader) {
  TSeamWorld w;
  TOpenJournal* j = w.OpenWindow("Ideas & Plans", 1);
  TPanel* header = j->EditorWindow->PanelJournalType;
  EXPECT_EQ(header->GetCaption(), "Topic Journal Ideas & Plans");
  // The same text drawn as a literal by a panel beside it that marks access
  // keys ("&&" is one "&").
  TPanel* reference = new TPanel(j->EditorWindow);
  reference->SetParent(j->EditorWindow);
  reference->SetAlign(alBottom);
  reference->SetAlignment(header->GetAlignment());
  reference->SetColor(header->GetColor());
  reference->SetHeight(header->GetHeight());
  reference->SetCaption("Topic Journal Ideas && Plans");
  ASSERT_EQ(reference->GetWidth(), header->GetWidth());
  const QImage shown = PanelPicture(header), literal = PanelPicture(reference);
  EXPECT_TRUE(shown == literal);
  if (shown != literal) {
    shown.save(QString::fromStdString((w.Root / "header.png").string()));
  }
}

}  // namespace

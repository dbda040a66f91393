// The program from its first start to its second, under a real display, with
// scripted mouse and keyboard input on its real windows:
//
//   journal_end_to_end all <program folder> <screenshot>
//       runs the two starts below, each as a process of its own, on a new
//       documents folder; ends with 0 when both did what they should.
//   journal_end_to_end first|second <program folder> <documents folder> <screenshot>
//
// First start: the database folder is made, the journal opened, the entry
// tree and the month calendar shown by their shortcuts, a daily and a topic
// journal created through the New Journal button and its dialog, and an
// entry typed with bold text and a bulleted list; the date moves to the day
// before and back, the entry must still be there, and the tree has its
// nodes; the program is left through its exit command. Second start: the
// journal opened again must show the entry, bold and bullets included, the
// calendar and the loaded tree open on the day, whose entry is chosen there;
// the tool bar's boxes name the caret's style and the status bar shows the
// countdowns; the screenshot shows it. Then a lock closes it behind the cover.
#include "app/QYAddJournal.h"
#include "app/QYEditor.h"
#include "app/QYEntryTree.h"
#include "app/QYJournals.h"
#include "app/QYMain.h"
#include "app/QYProfile.h"
#include "app/QYStartup.h"

#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Dialogs.h"
#include "platform/gui/Forms.h"
#include "richtext/editor/VellumEdit.h"
#include "richtext/model/VLStyle.h"

#include "PrivateFolders.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <cmath>
#include <dlfcn.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

int Failures = 0;
int WelcomeOffers = 0;

bool Check(bool ok, const std::string& what) {
  std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
  std::fflush(stdout);
  if (!ok) ++Failures;
  return ok;
}

// The script runs inside the program's loop; between steps the loop would
// go idle and update the commands, as it does here.
void Settle(int rounds = 10) {
  for (int i = 0; i < rounds; ++i) {
    QApplication::processEvents();
    QTest::qWait(20);
  }
  Application->Idle();
}

QWidget* W(TControl* c) { return WidgetOf(c); }

void ClickControl(TControl* c) {
  QTest::mouseClick(W(c), Qt::LeftButton);
  Settle();
}

void ClickButton(const char* name) {
  auto* c = dynamic_cast<TControl*>(formQuilloryMain->FindComponent(name));
  Check(c != nullptr, std::string("tool button ") + name);
  if (c) ClickControl(c);
}

// Boxes are answered OK (printed); the add-journal dialog is filled with the
// keyboard and confirmed with its OK button while its real modal loop runs.
class TScriptedHook : public TInteractionHook {
public:
  explicit TScriptedHook(TInteractionHook* real) : FReal(real) {}
  std::vector<std::pair<String, int>> Journals;  // name, kind to create, in order
  int Run(TInteraction& r) override {
    auto* dlg = dynamic_cast<TdlgAddJournal*>(r.Form);
    if (!dlg) {
      std::printf("box \"%s\": %s\n", r.Caption.c_str(), r.Text.c_str());
      // Answered "OK", not "Yes": the journals are made with the button below.
      if (r.Caption == "Welcome to Quillory") ++WelcomeOffers;
      // Starting at log-in is asked once; yes, so that the entry is made.
      if (r.Caption == "Quillory Start-Up") return IDYES;
      return r.Kind == TInteractionKind::MessageBox ? IDOK : static_cast<int>(mrOk);
    }
    const auto [name, kind] = Journals.empty() ? std::pair<String, int>{"", 0} : Journals.front();
    if (!Journals.empty()) Journals.erase(Journals.begin());
    QTimer::singleShot(200, [dlg, name = name, kind = kind] {
      QWidget* edit = W(dlg->eJournalName);
      edit->setFocus();
      QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
      QTest::keyClicks(edit, QString::fromStdString(name));
      QWidget* box = W(dlg->cbJournalType);
      box->setFocus();
      // The kind box: "Daily Journal" first, "Topic Journal" below it.
      QTest::keyClick(box, Qt::Key_Home);
      if (kind == 1) QTest::keyClick(box, Qt::Key_Down);
      QTest::qWait(50);
      QTest::mouseClick(W(dlg->OKBtn), Qt::LeftButton);
    });
    return FReal->Run(r);
  }

private:
  TInteractionHook* FReal;
};

TOpenJournal* JournalNamed(const String& name) {
  for (TOpenJournal* j = FirstJournal; j; j = j->Next)
    if (j->JournalName == name) return j;
  return nullptr;
}

bool HasBoldItem(TVellumEdit* e, const String& text) {
  for (Integer i = 0; i < e->ItemCount(); ++i) {
    const Integer s = e->VLData()->GetItemStyle(i);
    if (s >= 0 && e->GetItemTextUtf8(i) == text && e->GetStyle()->TextStyles->Items(s)->Style.Contains(fsBold))
      return true;
  }
  return false;
}

int ListMarkers(TVellumEdit* e) {
  int n = 0;
  for (Integer i = 0; i < e->ItemCount(); ++i) n += e->VLData()->GetItemStyle(i) == -11;
  return n;
}

const char* const Bold = "tulips";
const char* const Opening = "Planted ";

void TypeEntry(TVellumEdit* e) {
  QWidget* w = W(e);
  w->setFocus();
  Settle();
  QTest::keyClicks(w, QString::fromUtf8(Opening));
  Settle();
  ClickButton("tbvlActionFontBold");
  w->setFocus();
  QTest::keyClicks(w, QString::fromUtf8(Bold));
  Settle();
  ClickButton("tbvlActionFontBold");
  w->setFocus();
  QTest::keyClicks(w, " by the gate.");
  QTest::keyClick(w, Qt::Key_Return);
  // A bullet list: no list command exists yet, so the list style is made and
  // applied as the bullets command will (its first level: the Symbol
  // bullet in 12 points); the items are typed.
  TVLListInfo* list = e->GetStyle()->ListStyles->Add();
  TVLListLevel* level = list->Levels->Add();
  level->ListType = vllstBullet;
  level->LeftIndent = 24;
  level->FirstIndent = 0;
  level->MarkerIndent = 0;
  level->FormatString = "\xB7";
  level->GetFont()->SetName("Symbol");
  level->GetFont()->SetCharset(2);
  level->GetFont()->SetSize(12);
  e->ApplyListStyle(e->GetStyle()->ListStyles->Count() - 1, 0, 1, false);
  QTest::keyClicks(w, "water them daily");
  QTest::keyClick(w, Qt::Key_Return);
  QTest::keyClicks(w, "keep the rabbits out");
  Settle();
}

void CheckEntry(TOpenJournal* j, const std::string& when) {
  TVellumEdit* e = j->EditorWindow->QuilloryText;
  const String text = j->Document->Text();
  Check(text.find(String(Opening) + Bold + " by the gate.") != String::npos, "entry text " + when + ": " + text);
  Check(text.find("water them daily") != String::npos && text.find("keep the rabbits out") != String::npos,
        "list items " + when);
  if (!Check(HasBoldItem(e, Bold), "bold text " + when))
    for (Integer i = 0; i < e->ItemCount(); ++i)
      std::printf("  item %d style %d: %s\n", static_cast<int>(i), static_cast<int>(e->VLData()->GetItemStyle(i)),
                  e->GetItemTextUtf8(i).c_str());
  Check(ListMarkers(e) == 2, "two list markers " + when + " (" + std::to_string(ListMarkers(e)) + ")");
}

// The ink box of the editor's drawing in a rectangle of its client area.
QRect InkIn(TVellumEdit* e, const QRect& area) {
  const QImage img = W(e)->grab().toImage();
  QRect ink;
  for (int y = std::max(0, area.top()); y <= area.bottom() && y < img.height(); ++y)
    for (int x = std::max(0, area.left()); x <= area.right() && x < img.width(); ++x)
      if (qGray(img.pixel(x, y)) < 200) ink |= QRect(x, y, 1, 1);
  return ink;
}

// Each list marker is drawn as a bullet of its level's size, not as a speck.
void CheckBullets(TVellumEdit* e, const std::string& when) {
  Settle();
  int seen = 0;
  for (Integer i = 0; i < e->ItemCount(); ++i) {
    if (e->VLData()->GetItemStyle(i) != -11) continue;
    Integer left = 0, top = 0, textLeft = 0, textTop = 0;
    if (!e->GetItemCoords(i, left, top) || !e->GetItemCoords(i + 1, textLeft, textTop)) continue;
    // Between the marker's place and its item's text, on the item's line.
    const QRect ink = InkIn(e, QRect(left, top, textLeft - left - 2, 24));
    ++seen;
    Check(ink.width() >= 4 && ink.height() >= 4,
          "bullet " + std::to_string(seen) + " " + when + " is drawn whole (" + std::to_string(ink.width()) + "x" +
              std::to_string(ink.height()) + " px)");
  }
  Check(seen == 2, "two bullets looked at " + when);
}

// The first child of a node with the given text.
TTreeNode* Child(TTreeNode* node, const String& text) {
  for (int i = 0; node && i < node->Count(); ++i)
    if (node->Item(i)->GetText() == text) return node->Item(i);
  return nullptr;
}

TTreeNode* Root(TTreeView* tree, const String& text) {
  for (TTreeNode* n = tree->Items().GetFirstNode(); n; n = n->GetNextSibling())
    if (n->GetText() == text) return n;
  return nullptr;
}

// The day's path under "Journal Entries By Date": year, month, day, entry.
TTreeNode* TodaysLeaf(TTreeView* tree, const std::string& when) {
  const TDateTime today = std::floor(Date());
  TTreeNode* byDate = Root(tree, "Journal Entries By Date");
  TTreeNode* year = Child(byDate, FormatDateTime("yyyy", today));
  TTreeNode* month = Child(year, FormatDateTime("mmm", today));
  TTreeNode* day = Child(month, FormatDateTime("ddd, dd", today));
  TTreeNode* leaf = Child(day, "Garden Diary");
  Check(byDate && year && month && day && leaf, "the tree holds the year, month and day of the entry " + when);
  Check(Root(tree, "Topic Journals") && Child(Root(tree, "Topic Journals"), "Recipes"),
        "the tree holds the topic entry " + when);
  return leaf;
}

bool BoldButtonDown() {
  auto* b = dynamic_cast<TToolButton*>(formQuilloryMain->FindComponent("tbvlActionFontBold"));
  return b && b->GetDown();
}

bool ShownWithSize(TControl* c) {
  return c && c->Showing() && W(c)->isVisible() && c->GetWidth() > 20 && c->GetHeight() > 20;
}

// Ctrl+L locks: every journal closes and the cover takes the window; where
// the entry was, nothing of it is left to see.
void CheckLock(TformQuilloryMain* m) {
  TOpenJournal* j = JournalNamed("Garden Diary");
  if (!Check(j != nullptr, "a journal is open to lock")) return;
  QWidget* top = W(m)->window();
  QWidget* editor = W(j->EditorWindow->QuilloryText);
  const QRect area(editor->mapTo(top, QPoint(0, 0)), editor->size());
  const QImage before = top->grab().toImage();
  QTest::keyClick(top, Qt::Key_L, Qt::ControlModifier);
  Settle(25);
  Check(ScreenMode == smCover && !JournalsLoaded && !FirstJournal && m->MDIChildCount() == 0,
        "the lock closes every journal and shows the cover");
  const QImage after = top->grab().toImage();
  int same = 0, all = 0;
  for (int y = area.top(); y <= area.bottom(); y += 2)
    for (int x = area.left(); x <= area.right(); x += 2, ++all) same += before.pixel(x, y) == after.pixel(x, y);
  Check(all > 0 && same * 10 < all, "the entry's place shows the cover (" + std::to_string(same) + " of " +
                                        std::to_string(all) + " pixels unchanged)");
}

// Real key presses through the X test extension, as a keyboard makes them.
bool FakeKey(unsigned long keysym) {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11 || !x11->display()) return false;
  using TKeysymToKeycode = unsigned char (*)(void*, unsigned long);
  using TFakeKey = int (*)(void*, unsigned int, int, unsigned long);
  using TFlush = int (*)(void*);
  void* xlib = ::dlopen("libX11.so.6", RTLD_LAZY);
  void* xtst = ::dlopen("libXtst.so.6", RTLD_LAZY);
  if (!xlib || !xtst) return false;
  auto toCode = reinterpret_cast<TKeysymToKeycode>(::dlsym(xlib, "XKeysymToKeycode"));
  auto flush = reinterpret_cast<TFlush>(::dlsym(xlib, "XFlush"));
  auto fake = reinterpret_cast<TFakeKey>(::dlsym(xtst, "XTestFakeKeyEvent"));
  if (!toCode || !flush || !fake) return false;
  const unsigned int code = toCode(x11->display(), keysym);
  if (code == 0) return false;
  fake(x11->display(), code, 1, 0);
  flush(x11->display());
  Settle(5);
  fake(x11->display(), code, 0, 0);
  flush(x11->display());
  Settle(5);
  return true;
}

// Caps Lock on and off again with the editor focused: the panel follows both.
void CheckLockIndicators(TformQuilloryMain* m, TVellumEdit* e) {
  e->SetFocus();
  Settle();
  const unsigned long capsLock = 0xFFE5;
  if (!Check(FakeKey(capsLock), "Caps Lock pressed through the X test extension")) return;
  Check(m->StatusText(spCapsLock) == "cap", "Caps Lock on shows \"cap\": \"" + m->StatusText(spCapsLock) + "\"");
  FakeKey(capsLock);
  Check(m->StatusText(spCapsLock).empty(), "Caps Lock off clears it: \"" + m->StatusText(spCapsLock) + "\"");
}

// Selecting sets the X primary selection; a middle click pastes it.
void CheckPrimarySelection(TVellumEdit* e) {
  QClipboard* cb = QGuiApplication::clipboard();
  if (!Check(cb->supportsSelection(), "the display has a primary selection")) return;
  QWidget* w = W(e);
  w->setFocus();
  e->SetCaret(0, 1);
  QTest::keyClick(w, Qt::Key_End, Qt::ShiftModifier);
  Settle();
  const String line = String(Opening) + Bold + " by the gate.";
  Check(cb->text(QClipboard::Selection).toStdString() == line,
        "a selection made with the keyboard is the primary selection: \"" +
            cb->text(QClipboard::Selection).toStdString() + "\"");
  const Integer last = e->ItemCount() - 1;
  Integer left = 0, top = 0;
  if (!Check(e->GetItemCoords(last, left, top), "the last line has a place")) return;
  auto allText = [e] {
    String all;
    for (Integer i = 0; i < e->ItemCount(); ++i) all += e->GetItemTextUtf8(i) + "|";
    return all;
  };
  const String before = allText();
  // At the far right of the last line: the paste goes to its end.
  QTest::mouseClick(w, Qt::MiddleButton, {}, QPoint(w->width() - 30, top + 8));
  Settle();
  const String after = allText();
  Check(after.find("keep the rabbits out" + line) != String::npos && after.size() == before.size() + line.size(),
        "a middle click pastes it where it was clicked: " + after);
}

bool Shot(const std::string& file) {
  Settle(25);
  QPixmap shot = W(formQuilloryMain)->window()->grab();
  const bool ok = shot.save(QString::fromStdString(file), "PNG");
  Check(ok, "screenshot " + file);
  return ok;
}

void FirstStart(const std::string& screenshot) {
  TformQuilloryMain* m = formQuilloryMain;
  Check(m && ScreenMode == smCover, "first start shows the cover");
  ClickControl(m->pbOpenQuillory);
  Check(ScreenMode == smOpen, "the journal is open");
  Check(WelcomeOffers == 1, "an open without a journal offers to make the first one");
  Check(m->StatusText(spHint).find("New Journal") != String::npos, "the status bar says how to make a journal");
  Check(!m->pEntryTree->Showing() && !m->pMonthCalendar->Showing(), "tree and calendar are hidden at first");
  // The user shows the entry tree and the month calendar (kept for the next
  // start).
  QTest::keyClick(W(m)->window(), Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
  QTest::keyClick(W(m)->window(), Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);
  Settle();
  Check(ProfileSettings.ShowEntryTree && ShownWithSize(m->tEntryTree), "the entry tree shows");
  Check(ProfileSettings.ShowMonthCalendar && ShownWithSize(m->MonthCalendar), "the month calendar shows");
  ClickButton("tbActionNewJournal");
  ClickButton("tbActionNewJournal");
  TOpenJournal* daily = JournalNamed("Garden Diary");
  TOpenJournal* topic = JournalNamed("Recipes");
  Check(daily && daily->JournalKind == 0, "a daily journal was made");
  Check(topic && topic->JournalKind == 1, "a topic journal was made");
  if (!daily || !topic) return;
  Check(m->MDIChildCount() == 2, "two editor windows");
  TypeEntry(topic->EditorWindow->QuilloryText);
  Check(CurrentJournal == topic && m->QuilloryDate->Blank(), "the topic journal shows no date");
  daily->EditorWindow->Show();
  daily->EditorWindow->BringToFront();
  Settle();
  Check(CurrentJournal == daily, "the daily journal's window is current");
  TypeEntry(daily->EditorWindow->QuilloryText);
  CheckEntry(daily, "as typed");
  const double today = std::floor(Date());
  ClickButton("tbActionDatePrevious");
  Check(daily->EntryDate == today - 1, "moved to the day before");
  Check(daily->Document->Text().empty(), "the day before is empty");
  ClickButton("tbActionDateNext");
  Check(daily->EntryDate == today, "moved back to today");
  CheckEntry(daily, "after moving back");
  CheckBullets(daily->EditorWindow->QuilloryText, "after moving back");
  // The first saves put the entries into the tree.
  // (A minute at most, for a loaded machine.)
  for (int i = 0; i < 1500 && (EntryTreeBusy || !TodaysLeaf(m->tEntryTree, "")); ++i) Settle(2);
  TodaysLeaf(m->tEntryTree, "after the first save");
  Shot(screenshot);
  m->ActionExit->Execute();
}

void SecondStart(const std::string& screenshot) {
  TformQuilloryMain* m = formQuilloryMain;
  ClickControl(m->pbOpenQuillory);
  Check(ScreenMode == smOpen && OpenJournalCount() == 2, "both journals open again");
  if (TOpenJournal* daily = JournalNamed("Garden Diary")) {
    daily->EditorWindow->BringToFront();
    Settle();
    CheckEntry(daily, "after the restart");
  } else {
    Check(false, "the daily journal is there");
  }
  if (TOpenJournal* topic = JournalNamed("Recipes")) CheckEntry(topic, "of the topic journal after the restart");
  // Tree and calendar show as left; the tree, loaded on opening, is open
  // on today's entry, which the user chooses there.
  Check(ShownWithSize(m->MonthCalendar) && ShownWithSize(m->pMonthCalendar), "the month calendar shows again");
  Check(std::floor(m->MonthCalendar->GetDate()) == std::floor(Date()), "the calendar shows today");
  for (int i = 0; i < 1500 && !EntryTreeLoaded; ++i) Settle(2);
  Check(EntryTreeLoaded && ShownWithSize(m->tEntryTree) && ShownWithSize(m->pEntryTree), "the entry tree shows again");
  if (TTreeNode* leaf = TodaysLeaf(m->tEntryTree, "after the restart")) {
    Check(leaf->Parent()->GetExpanded() && leaf->Parent()->Parent()->GetExpanded() &&
              leaf->Parent()->Parent()->Parent()->GetExpanded(),
          "the tree is open down to today");
    m->tEntryTree->SetSelected(leaf);
    Settle();
    Check(CurrentJournal && CurrentJournal->JournalName == "Garden Diary", "the tree's entry is the current one");
  }
  if (TOpenJournal* daily = JournalNamed("Garden Diary")) {
    TVellumEdit* e = daily->EditorWindow->QuilloryText;
    CheckBullets(e, "after the restart");
    // The caret in the first words: the boxes name their style, its font
    // included, though that font is not installed here.
    e->SetFocus();
    e->SetCaret(0, 3);
    Settle();
    const TFontInfo* style = e->GetStyle()->TextStyles->Items(e->GetCurTextStyleNo());
    Check(m->tbFontName->GetText() == style->FontName && !style->FontName.empty(),
          "the font box shows \"" + style->FontName + "\": " + m->tbFontName->GetText());
    Check(m->tbFontSize->GetText() == IntToStr(style->Size), "the size box shows " + IntToStr(style->Size));
    Check(m->cbTextStyles->GetText() == style->StyleName, "the text style box shows " + style->StyleName);
    Check(m->cbParagraphStyles->GetText() == "Quillory Paragraph", "the paragraph style box shows its style");
    // A click into the bold word: the boxes follow the caret there, and the
    // Home key takes them back.
    for (Integer i = 0; i < e->ItemCount(); ++i) {
      if (e->GetItemTextUtf8(i) != Bold) continue;
      Integer left = 0, top = 0;
      if (!e->GetItemCoords(i, left, top)) break;
      QTest::mouseClick(W(e), Qt::LeftButton, {}, QPoint(left + 10, top + 8));
      Settle();
      const TFontInfo* bold = e->GetStyle()->TextStyles->Items(e->GetCurTextStyleNo());
      Check(bold->Style.Contains(fsBold), "the click put the caret into the bold word");
      Check(m->tbFontName->GetText() == bold->FontName && m->tbFontSize->GetText() == IntToStr(bold->Size),
            "the font boxes follow the caret into the bold word");
      Check(m->cbTextStyles->GetText() == (bold->Standard ? bold->StyleName : String()),
            "the text style box follows the caret into the bold word: \"" + m->cbTextStyles->GetText() + "\"");
      Check(BoldButtonDown(), "the Bold button is down in the bold word");
      QTest::keyClick(W(e), Qt::Key_Home);
      Settle();
      Check(m->cbTextStyles->GetText() == style->StyleName && m->tbFontName->GetText() == style->FontName,
            "the boxes follow the caret back to the line's start");
      Check(!BoldButtonDown(), "the Bold button is up again at the line's start");
    }
  }
  // The countdowns show from the timer's first tick (nothing stands there
  // before it).
  for (int i = 0; i < 300 && m->StatusText(spCountdown).find("lock:") != 0; ++i) Settle(10);
  Check(m->StatusText(spCountdown).find("lock:") == 0, "the countdowns show: " + m->StatusText(spCountdown));
  std::printf("  boxes: journals %d/%d text %d/%d para %d/%d font %d/%d\n", m->cbSelectJournal->Items().Count(),
              m->cbSelectJournal->GetItemIndex(), m->cbTextStyles->Items().Count(), m->cbTextStyles->GetItemIndex(),
              m->cbParagraphStyles->Items().Count(), m->cbParagraphStyles->GetItemIndex(),
              m->tbFontName->Items().Count(), m->tbFontName->GetItemIndex());
  Shot(screenshot);
  if (TOpenJournal* daily = JournalNamed("Garden Diary")) {
    CheckLockIndicators(m, daily->EditorWindow->QuilloryText);
    CheckPrimarySelection(daily->EditorWindow->QuilloryText);
  }
  CheckLock(m);
  m->ActionExit->Execute();
}

int RunStart(int argc, char** argv, bool first, const std::string& programDir, const std::string& docs,
             const std::string& screenshot) {
  QApplication toolkit(argc, argv);
  TDatabaseFolders folders = SystemDatabaseFolders();
  folders.ProgramDir = programDir;
  folders.DocumentsDir = docs;
  CompleteDatabaseFolders(folders);
  SetMainWindowDatabaseFolders(folders);
  TScriptedHook hook(&InteractionHook());
  hook.Journals = {{"Garden Diary", 0}, {"Recipes", 1}};
  SetInteractionHook(&hook);
  // The script starts once the program's loop runs.
  std::function<void()> step;
  step = [&] {
    if (!formQuilloryMain || !formQuilloryMain->Showing()) {
      QTimer::singleShot(100, step);
      return;
    }
    formQuilloryMain->SetBounds(0, 0, 1100, 760);
    // No window manager runs on the virtual display: the window is made
    // active as a click on it would.
    QWidget* top = W(formQuilloryMain)->window();
    top->activateWindow();
    Check(QTest::qWaitForWindowActive(top, 60000), "the main window is active");
    Settle(20);
    if (first) FirstStart(screenshot);
    else SecondStart(screenshot);
    if (Application && !Application->Terminated()) Application->Terminate();
  };
  QTimer::singleShot(300, step);
  const int code = QuilloryMain(argc, argv);
  SetInteractionHook(nullptr);
  Check(code == 0, "the program ended normally");
  return Failures == 0 ? 0 : 1;
}

int RunChild(const char* self, const char* phase, const std::string& programDir, const std::string& docs,
             const std::string& shot) {
  const pid_t pid = fork();
  if (pid == 0) {
    execl(self, self, phase, programDir.c_str(), docs.c_str(), shot.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "all" && argc == 4) {
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("qy-e2e-" + std::to_string(::getpid()));
    // A display of our own (xvfb-run), a home and user folders of our own:
    // the program writes its autostart entry and settings there.
    ::unsetenv("QT_QPA_PLATFORM");
    UsePrivateFolders(root);
    const std::string shot = argv[3];
    const std::string first = (root / "first.png").string();
    const int a = RunChild(argv[0], "first", argv[2], (root / "docs").string(), first);
    const int b = a == 0 ? RunChild(argv[0], "second", argv[2], (root / "docs").string(), shot) : 1;
    std::printf("first start %s, second start %s\n", a == 0 ? "passed" : "FAILED", b == 0 ? "passed" : "FAILED");
    // The start-up entry the program makes went into our own folder.
    const bool ownAutostart = fs::exists(root / "home/.config/autostart/QUILLORY.desktop");
    std::printf("autostart entry in the test's own home: %s\n", ownAutostart ? "yes" : "NO");
    std::error_code ec;
    fs::remove_all(root, ec);
    return a == 0 && b == 0 && ownAutostart ? 0 : 1;
  }
  if ((mode == "first" || mode == "second") && argc == 5) {
    char* args[] = {argv[0], nullptr};
    int one = 1;
    return RunStart(one, args, mode == "first", argv[2], argv[3], argv[4]);
  }
  std::fprintf(stderr, "usage: %s all <program folder> <screenshot> | first|second <program folder> <documents> <screenshot>\n",
               argv[0]);
  return 2;
}

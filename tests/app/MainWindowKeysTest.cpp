// The main window's keys, pressed as a user would: the date keys, the cover's
// Open, the editing commands' usual keys; no two keys of the window (menu
// letters included) name the same thing. And the find and replace windows
// over it, keys handed over as the window system does: Enter in a find
// field is Find Next, also in a window opened again after a button had the
// keyboard; an option's key takes effect before the Enter typed right after
// it; the search goes to the entry shown, up or down from its caret.
#include "WindowSeamSupport.h"

#include "actions/VLActionsFind.h"
#include "platform/gui/CommonDialogs.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Menus.h"
#include "richtext/model/VLStyle.h"
#include "spell/scConfigDialogs.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <initializer_list>
#include <map>
#include <set>
#include <string>
#include <utility>

namespace {

using qytest::TMainJournalWorld;

class MainWindowKeysTest : public testing::Test {
protected:
  QWidget* Window() const { return WidgetOf(World.Main)->window(); }

  void ShowActive() {
    World.Main->Show();
    Window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Window(), 60000));
  }

  // One key press and release where the focus is, as the keyboard sends it.
  void Press(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : Window();
    QTest::keyClick(target, key, mods);
    Application->ProcessMessages();
  }

  // An entry of two lines in a window with the focus in its text.
  TOpenJournal* OpenTyped() {
    TOpenJournal* j = World.OpenWindow("Diary", 0);
    TMainJournalWorld::Editor(j)->InsertText("first line\r\nsecond line");
    ShowActive();
    j->EditorWindow->FocusEditor();
    Application->ProcessMessages();
    return j;
  }

  bool FirstWordHas(TOpenJournal* j, TFontStyle style) {
    TVellumEdit* e = TMainJournalWorld::Editor(j);
    return j->EditorWindow->QuilloryStyle->TextStyles->Items(e->VLData()->GetItemStyle(0))->Style.Contains(style);
  }

  TMainJournalWorld World;
};

TEST_F(MainWindowKeysTest, DateKeysMoveTheEntryEvenWithTheMenusLetters) {
  TOpenJournal* j = OpenTyped();
  const double today = std::floor(Date());
  const struct {
    Qt::Key Key;
    double Day;  // relative to today, after the key
  } steps[] = {{Qt::Key_P, -1}, {Qt::Key_P, -2}, {Qt::Key_T, 0}, {Qt::Key_N, 1}, {Qt::Key_T, 0}};
  for (const auto& s : steps) {
    SCOPED_TRACE(QKeySequence(s.Key | Qt::AltModifier).toString().toStdString());
    Press(s.Key, Qt::AltModifier);
    EXPECT_EQ(std::floor(j->EntryDate), today + s.Day);
  }
}

// With nothing selected style keys set the style of what is typed next;
// letting Ctrl go between them loses neither.
TEST_F(MainWindowKeysTest, AStyleKeyWithNothingSelectedStylesWhatIsTypedNext) {
  TOpenJournal* j = OpenTyped();
  TVellumEdit* e = TMainJournalWorld::Editor(j);
  const int last = e->ItemCount() - 1;
  e->SetCaret(last, e->GetItemEndOffset(last));
  Application->ProcessMessages();
  Press(Qt::Key_B, Qt::ControlModifier);
  Press(Qt::Key_I, Qt::ControlModifier);
  QTest::keyClicks(QApplication::focusWidget(), "xy");
  Application->ProcessMessages();
  const int end = e->ItemCount() - 1;
  ASSERT_EQ(e->GetItemTextUtf8(end), "xy");
  const auto& typed = j->EditorWindow->QuilloryStyle->TextStyles->Items(e->VLData()->GetItemStyle(end))->Style;
  EXPECT_TRUE(typed.Contains(fsBold));
  EXPECT_TRUE(typed.Contains(fsItalic));
}

TEST_F(MainWindowKeysTest, TheCoversOpenButtonAnswersAltO) {
  ShowActive();
  World.Main->SetScreenMode(smCover);
  Application->ProcessMessages();
  int opened = 0;
  World.Main->pbOpenQuillory->OnClick = [&](TObject*) { ++opened; };
  Press(Qt::Key_O, Qt::AltModifier);
  // A button's key clicks it as the mouse would, a moment later.
  EXPECT_TRUE(QTest::qWaitFor([&] { return opened == 1; }, 60000)) << "the Open button's click";
}

TEST_F(MainWindowKeysTest, EditingCommandsHaveTheDesktopsKeys) {
  TOpenJournal* j = OpenTyped();
  TVellumEdit* e = TMainJournalWorld::Editor(j);
  const struct {
    Qt::Key Key;
    TFontStyle Style;
  } styles[] = {{Qt::Key_B, fsBold}, {Qt::Key_I, fsItalic}, {Qt::Key_U, fsUnderline}};
  for (const auto& s : styles) {
    SCOPED_TRACE(static_cast<int>(s.Style));
    e->SetSelectionBounds(0, 1, 0, 6);
    Press(s.Key, Qt::ControlModifier);
    EXPECT_TRUE(FirstWordHas(j, s.Style));
    Press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(FirstWordHas(j, s.Style));
    // Both redo keys bring it back.
    Press(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_TRUE(FirstWordHas(j, s.Style));
    Press(Qt::Key_Z, Qt::ControlModifier);
    Press(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(FirstWordHas(j, s.Style));
    Press(Qt::Key_Z, Qt::ControlModifier);
  }

  auto* find = dynamic_cast<TvlActionFind*>(World.Main->FindComponent("vlActionFind"));
  ASSERT_NE(find, nullptr);
  e->SetCaret(0, e->GetItemStartOffset(0));
  Press(Qt::Key_F, Qt::ControlModifier);
  ASSERT_NE(find->FindDialog(), nullptr);
  EXPECT_TRUE(find->FindDialog()->Visible());
  find->FindDialog()->FindText = "line";
  find->FindDialog()->Options |= frDown;
  find->FindDialog()->CloseDialog();
  j->EditorWindow->FocusEditor();
  Application->ProcessMessages();
  // F3 finds the next one each time.
  Press(Qt::Key_F3);
  EXPECT_EQ(e->CurItemNo(), 0);
  EXPECT_EQ(e->GetSelText(), "line");
  Press(Qt::Key_F3);
  EXPECT_EQ(e->CurItemNo(), 1);
  EXPECT_EQ(e->GetSelText(), "line");
}

TEST_F(MainWindowKeysTest, EveryCommandShowsItsKeyInItsMenu) {
  const struct {
    const char* Action;
    const char* Key;
  } cases[] = {{"vlActionFontBold", "Ctrl+B"}, {"vlActionFontItalic", "Ctrl+I"},
               {"vlActionFontUnderline", "Ctrl+U"}, {"vlActionUndo", "Ctrl+Z"},
               {"vlActionRedo", "Ctrl+Y"},      {"vlActionFind", "Ctrl+F"},
               {"vlActionFindNext", "F3"},      {"ActionDateToday", "Alt+T"},
               {"ActionSave", "Ctrl+S"}};
  std::map<String, QAction*> shown;
  std::function<void(QMenu*)> walk = [&](QMenu* menu) {
    for (QAction* a : menu->actions()) {
      if (a->menu()) walk(a->menu());
      else if (!a->isSeparator()) shown[a->text().toStdString()] = a;
      // A line between groups is drawn as a line, with no text beside it.
      if (a->isSeparator()) {
        EXPECT_TRUE(a->text().isEmpty()) << a->text().toStdString();
      }
    }
  };
  for (QAction* top : Window()->findChild<QMenuBar*>()->actions())
    if (top->menu()) walk(top->menu());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Action);
    auto* a = dynamic_cast<TCustomAction*>(World.Main->FindComponent(c.Action));
    ASSERT_NE(a, nullptr);
    auto it = shown.find(a->Handle()->text().toStdString());
    ASSERT_NE(it, shown.end()) << "not in a menu";
    EXPECT_EQ(it->second->shortcut().toString().toStdString(), c.Key);
  }
}

// Each command of the Tools menu has a letter of its own, and the spelling
// set-up opens by the menu's key and its own.
TEST_F(MainWindowKeysTest, TheSpellingSetUpOpensFromTheToolsMenuByKeys) {
  World.UseBuiltDictionaries();
  ShowActive();
  QMenu* tools = nullptr;
  for (QAction* top : Window()->findChild<QMenuBar*>()->actions())
    if (top->menu() && QKeySequence::mnemonic(top->text()) == QKeySequence(Qt::ALT | Qt::Key_S)) tools = top->menu();
  ASSERT_NE(tools, nullptr) << "no menu answers Alt+S";
  for (QAction* a : tools->actions()) {
    if (a->isSeparator()) continue;
    EXPECT_FALSE(QKeySequence::mnemonic(a->text()).isEmpty()) << a->text().toStdString() << " has no letter";
  }
  bool opened = false;
  TInteractionScript script;
  script.Do([&](TInteraction& r) {
    opened = dynamic_cast<TSpellCheckConfigDialog*>(r.Form) != nullptr;
    return static_cast<int>(mrCancel);
  });
  Press(Qt::Key_S, Qt::AltModifier);
  ASSERT_EQ(QApplication::activePopupWidget(), tools);
  const QString setup = World.Main->ActionSpellSetup->Handle()->text();
  const int amp = setup.indexOf('&');
  ASSERT_GE(amp, 0) << "\"" << setup.toStdString() << "\" has no letter";
  QTest::keyClick(tools, QKeySequence::fromString(setup.mid(amp + 1, 1))[0].key());
  Application->ProcessMessages();
  if (QApplication::activePopupWidget()) QApplication::activePopupWidget()->close();
  EXPECT_TRUE(opened) << "the spelling options did not open";
}

TEST_F(MainWindowKeysTest, NoTwoKeysOfTheWindowClash) {
  // Every key the window answers, with who answers it.
  std::map<QKeySequence, std::set<std::string>> owners;
  auto add = [&](const QKeySequence& key, const std::string& who) {
    if (!key.isEmpty()) owners[key].insert(who);
  };
  QWidget* w = Window();
  std::set<QAction*> actions;
  for (QAction* a : w->findChildren<QAction*>()) actions.insert(a);
  for (QAction* a : w->actions()) actions.insert(a);
  for (QWidget* child : w->findChildren<QWidget*>())
    for (QAction* a : child->actions()) actions.insert(a);
  for (QAction* a : actions)
    if (!a->menu())
      for (const QKeySequence& key : a->shortcuts()) add(key, "command " + a->text().toStdString());
  auto* bar = w->findChild<QMenuBar*>();
  ASSERT_NE(bar, nullptr);
  for (QAction* top : bar->actions()) add(QKeySequence::mnemonic(top->text()), "menu " + top->text().toStdString());
  for (auto* b : w->findChildren<QAbstractButton*>())
    add(QKeySequence::mnemonic(b->text()), "button " + b->text().toStdString());
  for (auto* l : w->findChildren<QLabel*>())
    if (l->buddy()) add(QKeySequence::mnemonic(l->text()), "label " + l->text().toStdString());
  EXPECT_GT(owners.size(), 20u);
  for (const auto& [key, who] : owners) {
    std::string names;
    for (const std::string& n : who) names += " [" + n + "]";
    EXPECT_EQ(who.size(), 1u) << key.toString().toStdString() << ":" << names;
  }

  // Within each menu the letters differ too.
  std::function<void(QMenu*)> walk = [&](QMenu* menu) {
    std::map<QKeySequence, std::string> letters;
    for (QAction* a : menu->actions()) {
      if (a->menu()) walk(a->menu());
      const QKeySequence key = QKeySequence::mnemonic(a->text());
      if (key.isEmpty()) continue;
      auto [it, added] = letters.emplace(key, a->text().toStdString());
      EXPECT_TRUE(added) << menu->title().toStdString() << ": " << it->second << " and " << a->text().toStdString();
    }
  };
  for (QAction* top : bar->actions())
    if (top->menu()) walk(top->menu());
}


struct TFindWindow : qytest::TDiaryWindow {
  TFindDialog* Dialog(const char* command) const {
    if (auto* f = dynamic_cast<TvlActionFind*>(Main->FindComponent(command))) return f->FindDialog();
    if (auto* r = dynamic_cast<TvlActionReplace*>(Main->FindComponent(command))) return r->ReplaceDialog();
    return nullptr;
  }
  // A command that shows a find window run by its key or its menu item:
  // the window itself is shown, not answered by the test's script.
  bool Showing(const std::function<bool()>& run) {
    TInteractionHook* answers = SetInteractionHook(nullptr);
    const bool done = run();
    SetInteractionHook(answers);
    return done;
  }
  bool Open(const char* command) { return Showing([&] { return Menu(command); }); }
  // The window up with the keyboard in it (under a window manager the
  // activation comes a moment later).
  TFindDialog* Up(const char* command) {
    TFindDialog* d = Dialog(command);
    if (!d || !d->FWindow->Dialog || !WaitFor([&] { return QApplication::activeWindow() == d->FWindow->Dialog; }))
      return nullptr;
    return d;
  }
  QPushButton* Button(TFindDialog* d, const char* caption) const {
    for (QPushButton* b : d->FWindow->Dialog->findChildren<QPushButton*>())
      if (b->text() == caption) return b;
    return nullptr;
  }
  // Keys typed in one burst, as a quick hand or a script sends them: the
  // window system hands them over before anything they set going has run.
  bool Burst(std::initializer_list<std::pair<Qt::Key, Qt::KeyboardModifiers>> keys) {
    QWidget* active = QApplication::activeWindow();
    if (!active || !active->windowHandle()) return false;
    for (const auto& [key, mods] : keys) qytest::WindowKeyClick(active->windowHandle(), key, mods);
    return Settle();
  }
  std::string Selected() const { return WideToUtf8(Innermost()->GetSelTextW()); }
};

// A window closed after the mouse pressed one of its buttons (which takes
// the keyboard), opened again: the find text typed anew and Enter, in the
// find or the replace field, is Find Next, and so is the next Enter: nothing
// is replaced, no box is shown, the window stays.
TEST(FindWindowKeys, EnterIsFindNextInAWindowOpenedAgain) {
  enum TClose { byTheButton, byEscape, byCancel };
  struct Case {
    const char* name;
    const char* command;
    const char* clicked;  // with the mouse, before the window closes
    TClose close;
  };
  const Case cases[] = {
      {"Replace All, then Escape", "vlActionReplace", "Replace &All", byEscape},
      {"Replace All, then Cancel", "vlActionReplace", "Replace &All", byCancel},
      {"Replace, then Escape", "vlActionReplace", "&Replace", byEscape},
      {"Cancel of the find window", "vlActionFind", "Cancel", byTheButton},
      {"Cancel of the replace window", "vlActionReplace", "Cancel", byTheButton},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TFindWindow w;
    ASSERT_TRUE(w.Type("one two one two"));
    ASSERT_TRUE(w.Key(Qt::Key_Home, Qt::ControlModifier));
    const bool replace = std::string(c.command) == "vlActionReplace";
    TInteractionScript script;
    script.Answer(IDOK);  // Replace All's summary
    ASSERT_TRUE(w.Open(c.command));
    TFindDialog* d = w.Up(c.command);
    ASSERT_NE(d, nullptr);
    ASSERT_TRUE(w.Type("one"));
    if (replace) {
      ASSERT_TRUE(w.WindowKey(Qt::Key_Tab));
      ASSERT_TRUE(w.Type("1"));
    }
    QPushButton* clicked = w.Button(d, c.clicked);
    ASSERT_NE(clicked, nullptr);
    QTest::mouseClick(clicked, Qt::LeftButton);
    ASSERT_TRUE(w.Settle());
    if (c.close == byEscape) {
      ASSERT_TRUE(w.WindowKey(Qt::Key_Escape));
    } else if (c.close == byCancel) {
      QTest::mouseClick(w.Button(d, "Cancel"), Qt::LeftButton);
    }
    ASSERT_TRUE(w.WaitFor([&] { return !d->Visible(); }));
    ASSERT_TRUE(w.Activate(w.Window()));
    ASSERT_TRUE(w.Key(Qt::Key_Home, Qt::ControlModifier));
    const std::string before = w.Shown();
    const size_t boxes = script.Shown.size();

    ASSERT_TRUE(w.Open(c.command));
    ASSERT_EQ(w.Up(c.command), d);
    ASSERT_TRUE(w.Type("two"));
    if (replace) {
      ASSERT_TRUE(w.WindowKey(Qt::Key_Tab));
      ASSERT_TRUE(w.Type("2"));
    }
    for (int enter = 1; enter <= 2; ++enter) {
      SCOPED_TRACE("Enter " + std::to_string(enter));
      ASSERT_TRUE(w.WindowKey(Qt::Key_Return));
      EXPECT_EQ(w.Shown(), before) << "Enter replaced";
      EXPECT_EQ(script.Shown.size(), boxes) << "Enter showed " << script.Shown.back().Text;
      EXPECT_EQ(w.Selected(), "two");
      if (!d->Visible()) {
        ADD_FAILURE() << "Enter closed the window";
        break;
      }
    }
    d->CloseDialog();
  }
}

// Find with Up, Down or Match case chosen by its key and Enter typed right
// after it, and Replace All (which goes down), one after another in one
// run (the find window reused, its choices kept): in the
// entry shown, that of the journal opened first, then of a second journal
// opened after the find window had searched the first.
TEST(FindWindowKeys, UpAndDownSearchTheShownEntryFromItsCaret) {
  struct Case {
    const char* name;
    bool secondJournal;
    Qt::Key caretTo;    // Ctrl with Home or End
    Qt::Key option;  // Alt with U (up), D (down) or C (match case); Key_unknown: Replace All
    const char* find;
    const char* selected;
    const char* box;    // shown by the next Enter, or by Replace All
    const char* after;  // the entry after Replace All
  };
  const Case cases[] = {
      {"Up from the end", false, Qt::Key_End, Qt::Key_U, "two", "two", "Search string 'two' not found.", nullptr},
      {"Down from the start", false, Qt::Key_Home, Qt::Key_D, "two", "two", "Search string 'two' not found.",
       nullptr},
      {"Up from the start", false, Qt::Key_Home, Qt::Key_U, "two", "", "Search string 'two' not found.", nullptr},
      {"Down from the end", false, Qt::Key_End, Qt::Key_D, "two", "", "Search string 'two' not found.", nullptr},
      {"Match case, down from the start", false, Qt::Key_Home, Qt::Key_C, "TWO", "",
       "Search string 'TWO' not found.", nullptr},
      {"Replace All from the end", false, Qt::Key_End, Qt::Key_unknown, "two", "", "0 strings replaced.",
       "one two|three four five"},
      {"Up in a second journal", true, Qt::Key_End, Qt::Key_U, "two", "two", "Search string 'two' not found.",
       nullptr},
      {"Down in a second journal", true, Qt::Key_Home, Qt::Key_D, "two", "two", "Search string 'two' not found.",
       nullptr},
      {"Replace All in a second journal", true, Qt::Key_Home, Qt::Key_unknown, "two", "", "1 string replaced.",
       "one 2|three four five"},
  };
  TFindWindow w;
  TInteractionScript script;
  for (int i = 0; i < 20; ++i) script.Answer(IDOK);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.secondJournal && w.J->JournalName != "Travel") {
      // The first journal searched, then a second one opened.
      ASSERT_TRUE(w.Key(Qt::Key_A, Qt::ControlModifier));
      ASSERT_TRUE(w.Type("two in the first"));
      ASSERT_TRUE(w.Showing([&] { return w.WindowKey(Qt::Key_F, Qt::ControlModifier); }));
      ASSERT_NE(w.Up("vlActionFind"), nullptr);
      ASSERT_TRUE(w.Type("first"));
      ASSERT_TRUE(w.WindowKey(Qt::Key_Return));
      ASSERT_TRUE(w.WindowKey(Qt::Key_Escape));
      ASSERT_TRUE(w.Activate(w.Window()));
      w.J = w.OpenWindow("Travel", 0);
      w.J->EditorWindow->FocusEditor();
      ASSERT_TRUE(w.Settle());
    }
    // The entry typed anew over what the last case left.
    ASSERT_TRUE(w.Key(Qt::Key_A, Qt::ControlModifier));
    ASSERT_TRUE(w.Type("one two"));
    ASSERT_TRUE(w.Key(Qt::Key_Return));
    ASSERT_TRUE(w.Type("three four five"));
    ASSERT_TRUE(w.Key(c.caretTo, Qt::ControlModifier));
    const size_t boxes = script.Shown.size();
    const bool replace = c.option == Qt::Key_unknown;
    const char* command = replace ? "vlActionReplace" : "vlActionFind";
    // Find by its key, Replace from the Edit menu (it has no key).
    ASSERT_TRUE(replace ? w.Open(command) : w.Showing([&] { return w.WindowKey(Qt::Key_F, Qt::ControlModifier); }));
    TFindDialog* d = w.Up(command);
    ASSERT_NE(d, nullptr);
    ASSERT_TRUE(w.Type(c.find));
    if (replace) {
      ASSERT_TRUE(w.WindowKey(Qt::Key_Tab));
      ASSERT_TRUE(w.Type("2"));
      ASSERT_TRUE(w.WindowKey(Qt::Key_A, Qt::AltModifier));
      ASSERT_TRUE(w.WaitFor([&] { return script.Shown.size() > boxes; }));
      EXPECT_EQ(w.Shown(), c.after);
    } else {
      ASSERT_TRUE(w.Burst({{c.option, Qt::AltModifier}, {Qt::Key_Return, Qt::NoModifier}}));
      EXPECT_EQ(w.Selected(), c.selected);
      if (*c.selected) {
        EXPECT_EQ(script.Shown.size(), boxes) << script.Shown.back().Text;
        ASSERT_TRUE(w.WindowKey(Qt::Key_Return));  // nothing further that way
      }
    }
    if (script.Shown.size() > boxes)
      EXPECT_EQ(script.Shown[boxes].Text, c.box);
    else
      ADD_FAILURE() << "no box; expected " << c.box;
    ASSERT_TRUE(w.Activate(d->FWindow->Dialog));
    ASSERT_TRUE(w.WindowKey(Qt::Key_Escape));
    ASSERT_TRUE(w.Activate(w.Window()));
  }
}

}  // namespace

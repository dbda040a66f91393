// The main window's keys, pressed as a user would: the date keys, the cover's
// Open, the editing commands' usual keys; and no two keys of the window (menu
// letters included) name the same thing.
#include "MainWindowJournalSupport.h"

#include "actions/VLActionsFind.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/ControlsPrivate.h"
#include "platform/gui/Menus.h"
#include "richtext/model/VLStyle.h"
#include "spell/scConfigDialogs.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>

namespace {

using qytest::TMainJournalWorld;

class MainWindowKeysTest : public testing::Test {
protected:
  QWidget* Window() const { return WidgetOf(World.Main)->window(); }

  void ShowActive() {
    World.Main->Show();
    Window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Window()));
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
  EXPECT_TRUE(QTest::qWaitFor([&] { return opened == 1; }, 2000));
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

}  // namespace

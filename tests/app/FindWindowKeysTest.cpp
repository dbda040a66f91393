// The find and replace windows driven by the keyboard over the journal
// window, keys handed over as the window system does: Enter in a find field
// is Find Next, also in a window opened again after a button had the
// keyboard; an option's key takes effect before the Enter typed right after
// it; the search goes to the entry shown, up or down from its caret.
#include "WindowSeamSupport.h"

#include "actions/VLActionsFind.h"
#include "platform/gui/CommonDialogs.h"

#include <QDialog>
#include <QPushButton>
#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <utility>

namespace {

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
    for (const auto& [key, mods] : keys) QTest::keyClick(active->windowHandle(), key, mods);
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

// The program's own dialogs by keyboard alone: each key a caption shows
// does with Alt what a click does (support/AccessKeyWalk.h), on every page;
// Escape closes each secondary window; the main window's keys work from the
// find window.
#include "FindReportSupport.h"

#include "app/QYAbout.h"
#include "app/QYAddJournal.h"
#include "app/QYGlobalFind.h"
#include "app/QYPassword.h"
#include "app/QYPreferences.h"
#include "app/QYProfile.h"
#include "platform/os/HelpViewer.h"
#include "spell/scCustomDictionary.h"
#include "support/AccessKeyWalk.h"

#include <QLineEdit>
#include <gtest/gtest.h>

namespace {

using namespace qytest::keywalk;
using qytest::TFindReportWorld;

TEST(AppDialogKeys, EveryKeyShownDoesWhatAClickDoes) {
  Application->Initialize();
  const struct {
    const char* Name;
    TMakeDialog Make;
  } dialogs[] = {
      {"add journal", [] { return new TdlgAddJournal(nullptr); }},
      {"password", [] { return new TPasswordDlg(nullptr); }},
      {"change password", [] { return new TChangePasswordDlg(nullptr); }},
      {"preferences", [] { return new TdlgPreferences(nullptr); }},
      {"find in journals", [] { return new TfGlobalFind(nullptr); }},
      {"about",
       [] {
         auto* about = new TdlgAboutBox(nullptr);
         about->DoCreate();
         return about;
       }},
  };
  for (const auto& d : dialogs) {
    SCOPED_TRACE(d.Name);
    EXPECT_EQ(WalkDialog(d.Make), std::vector<std::string>{});
  }
}

// Escape pressed where the keyboard is in the window, made the active one
// as a click on it does.
void PressEscapeIn(QWidget* window) {
  TFindReportWorld::Activate(window);
  QWidget* target = QApplication::focusWidget();
  if (!target || target->window() != window) target = window;
  QTest::keyClick(target, Qt::Key_Escape);
  QApplication::processEvents();
}

// What Escape did to the window that open shows ("closed" when it went). A
// modal window answers Escape with its result, which ends its loop.
std::string EscapeIn(const std::function<void()>& open, const std::function<QWidget*()>& window) {
  if (window) {
    open();
    QWidget* w = window();
    if (!w || !w->isVisible()) return "the window did not come up";
    PressEscapeIn(w);
    if (!w->isVisible()) return "closed";
    w->close();
    return "Escape left the window up";
  }
  std::string what = "no modal window came up";
  TInteractionScript script;
  script.Do([&](TInteraction& r) {
    if (!r.Form) return static_cast<int>(mrCancel);
    PressEscapeIn(WidgetOf(r.Form)->window());
    what = r.Form->ModalResult != mrNone ? "closed" : "Escape left the window up";
    return static_cast<int>(mrCancel);
  });
  open();
  return what;
}

TEST(AppDialogKeys, EscapeClosesEachSecondaryWindow) {
  TFindReportWorld w;
  TVLSpellChecker* spell = w.UseBuiltDictionaries();
  spell->Configuration().SetActive(true);
  spell->OpenDictionaries();
  w.Journal("Diary");
  JournalsLoaded = true;
  ASSERT_TRUE(w.ShowActive());
  const struct {
    const char* Name;
    std::function<void()> Open;
    std::function<QWidget*()> Window;  // the non-modal ones
  } cases[] = {
      {"about", [&] { w.Main->ActionAbout->Execute(); }, nullptr},
      {"advanced find", [] { ActionGlobalFindExecute(); }, [&] { return WidgetOf(w.Find.get())->window(); }},
      {"print preview", [&] { w.Preview->ShowModal(); }, nullptr},
      {"help", [] { Application->HelpContext(57); }, [] { return THelpViewer::Instance().Window(); }},
      {"dictionaries", [&] { spell->ShowCustomDictionariesDialog(w.Main); }, nullptr},
      {"dictionary editor", [&] { spell->ShowEditCustomDictionaryDialog(w.Main, &spell->InternalDictionary()); },
       nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(EscapeIn(c.Open, c.Window), "closed");
    TFindReportWorld::Activate(w.Window());
  }
}

// Keys the find window's controls leave unused are the main window's
// commands there too; a key its text field takes stays with the field.
TEST(AppDialogKeys, TheMainWindowsKeysWorkFromTheFindWindow) {
  TFindReportWorld w;
  TOpenJournal* journal = w.OpenWindow("Diary", 0);
  TFindReportWorld::TypeAtEnd(journal, "an entry of its own");
  ASSERT_TRUE(w.ShowActive());
  ActionGlobalFindExecute();
  QWidget* find = WidgetOf(w.Find.get())->window();
  ASSERT_TRUE(find->isVisible());
  ASSERT_TRUE(TFindReportWorld::Activate(find));
  auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget());
  ASSERT_NE(field, nullptr) << "the keyboard is not in the text to find";
  QTest::keyClicks(field, "river");
  const struct {
    const char* Name;
    Qt::Key Key;
    Qt::KeyboardModifiers Mods;
    std::function<bool()> Done;
  } steps[] = {
      {"Ctrl+A selects the field's text, not the entry's",
       Qt::Key_A, Qt::ControlModifier,
       [&] { return field->selectedText() == "river" && TFindReportWorld::Editor(journal)->GetSelText().empty(); }},
      {"Ctrl+Shift+E shows or hides the entry tree", Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier,
       [&, before = ProfileSettings.ShowEntryTree] { return ProfileSettings.ShowEntryTree != before; }},
      {"Ctrl+L locks the journal", Qt::Key_L, Qt::ControlModifier,
       [] { return ScreenMode == smCover && !JournalsLoaded; }},
  };
  for (const auto& s : steps) {
    SCOPED_TRACE(s.Name);
    TFindReportWorld::Activate(find);
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : find;
    QTest::keyClick(target, s.Key, s.Mods);
    w.Settle();
    EXPECT_TRUE(s.Done());
  }
}

// The help window is one of the program's windows too: the main window's
// Lock works from it, wherever in it the keyboard is.
TEST(AppDialogKeys, TheMainWindowsLockWorksFromTheHelpWindow) {
  TFindReportWorld w;
  w.OpenWindow("Diary", 0);
  ASSERT_TRUE(w.ShowActive());
  ASSERT_TRUE(Application->HelpContext(57));
  QWidget* help = THelpViewer::Instance().Window();
  ASSERT_NE(help, nullptr);
  ASSERT_TRUE(TFindReportWorld::Activate(help));
  QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : help;
  ASSERT_EQ(target->window(), help);
  QTest::keyClick(target, Qt::Key_L, Qt::ControlModifier);
  w.Settle();
  EXPECT_EQ(ScreenMode, smCover);
  EXPECT_FALSE(JournalsLoaded);
  THelpViewer::Instance().Close();
}

}  // namespace

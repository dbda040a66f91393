#include "platform/gui/ActnList.h"
#include "platform/gui/ComCtrls.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Menus.h"
#include "platform/gui/StdCtrls.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QMenu>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(ActionTest, UpdateRunsBeforeExecuteAndADisabledActionNeverExecutes) {
  TForm form(nullptr);
  TActionList list(&form);
  TAction action(&form);
  action.SetActionList(&list);
  std::vector<String> log;
  bool allowed = true;
  action.OnUpdate = [&](TObject*) {
    log.push_back("update");
    action.SetEnabled(allowed);
  };
  action.OnExecute = [&](TObject*) { log.push_back("execute"); };

  EXPECT_TRUE(action.Execute());
  allowed = false;
  EXPECT_FALSE(action.Execute());
  // Even when the last update left it enabled, the one before running decides.
  action.SetEnabled(true);
  EXPECT_FALSE(action.Execute());
  // Through the toolkit's action (a menu, a tool button, a shortcut).
  // A disabled toolkit action does not even fire; the idle update enables it.
  action.Handle()->trigger();
  allowed = true;
  list.UpdateActions();
  action.Handle()->trigger();
  EXPECT_EQ(log, (std::vector<String>{"update", "execute", "update", "update", "update", "update", "execute"}));
}

TEST(ActionTest, MenuItemFollowsItsActionAndRunsIt) {
  TForm form(nullptr);
  TActionList list(&form);
  TAction bold(&form);
  bold.SetActionList(&list);
  bold.SetCaption("&Bold");
  bold.SetShortCut(ShortCut('B', {ssCtrl}));
  bold.AutoCheck = true;
  int runs = 0;
  bold.OnExecute = [&](TObject*) { ++runs; };
  TMainMenu menu(&form);
  auto* format = new TMenuItem(nullptr);
  format->SetCaption("F&ormat");
  menu.Items()->Add(format);
  auto* item = new TMenuItem(nullptr);
  format->Add(item);
  item->SetAction(&bold);
  EXPECT_EQ(item->GetCaption(), "&Bold");
  EXPECT_EQ(item->Handle()->shortcut().toString(), "Ctrl+B");
  item->Click();
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(bold.GetChecked());
  EXPECT_TRUE(item->GetChecked());
  bold.SetEnabled(false);
  EXPECT_FALSE(item->GetEnabled());
  form.SetMenu(&menu);
}

// A tool button shows its action's check state both ways, as the caret
// moving in and out of bold text sets and clears a bold action's.
TEST(ActionTest, ToolButtonFollowsItsActionsCheckBothWays) {
  TForm form(nullptr);
  TActionList list(&form);
  TToolBar bar(&form);
  bar.SetParent(&form);
  const struct {
    const char* Name;
    TToolButtonStyle Style;
    bool AutoCheck;
  } cases[] = {{"plain button", tbsButton, false}, {"check button", tbsCheck, false}, {"auto check", tbsButton, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    TAction action(&form);
    action.SetActionList(&list);
    action.SetCaption("Bold");
    action.AutoCheck = c.AutoCheck;
    auto* button = new TToolButton(&form);
    button->SetStyle(c.Style);
    button->SetAction(&action);
    button->SetParent(&bar);
    for (bool checked : {false, true, false, true, false}) {
      action.SetChecked(checked);
      EXPECT_EQ(button->GetDown(), checked);
    }
  }
}

// An editing action that works on whatever edit has the focus.
class TSelectAllAction : public TAction {
public:
  using TAction::TAction;
  bool HandlesTarget(TObject* target) override { return dynamic_cast<TEdit*>(target) != nullptr; }
  void UpdateTarget(TObject* target) override {
    Updated = target;
    SetEnabled(!static_cast<TEdit*>(target)->GetText().empty());
  }
  void ExecuteTarget(TObject* target) override {
    Executed = target;
    static_cast<TEdit*>(target)->SelectAll();
  }
  TObject* Updated = nullptr;
  TObject* Executed = nullptr;
};

TEST(ActionTest, TargetIsTheFocusedControl) {
  TForm form(nullptr);
  TEdit a(&form), b(&form);
  a.SetParent(&form);
  b.SetParent(&form);
  b.SetTop(30);
  b.SetText("text");
  TButton button(&form);
  button.SetParent(&form);
  button.SetTop(60);
  TActionList list(&form);
  TSelectAllAction selectAll(&form);
  selectAll.SetActionList(&list);
  form.Show();

  b.SetFocus();
  ASSERT_TRUE(b.Focused());
  EXPECT_TRUE(selectAll.Execute());
  EXPECT_EQ(selectAll.Updated, &b);
  EXPECT_EQ(selectAll.Executed, &b);
  EXPECT_EQ(b.GetSelText(), "text");

  a.SetFocus();  // empty: the target disables the action
  selectAll.Executed = nullptr;
  EXPECT_FALSE(selectAll.Execute());
  EXPECT_EQ(selectAll.Executed, nullptr);

  button.SetFocus();  // nothing handles a button: disabled by the update
  selectAll.SetEnabled(true);
  list.UpdateActions();
  EXPECT_FALSE(selectAll.GetEnabled());
  form.Hide();
}

// An open menu holds the keyboard while it is up, yet its commands still
// work on the control that had the focus before it opened.
TEST(ActionTest, TargetStaysTheFocusedControlWhileAMenuIsOpen) {
  TForm form(nullptr);
  TEdit edit(&form);
  edit.SetParent(&form);
  edit.SetText("text");
  TActionList list(&form);
  TSelectAllAction selectAll(&form);
  selectAll.SetActionList(&list);
  form.Show();
  QWidget* window = WidgetOf(&form)->window();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window, 60000));
  edit.SetFocus();
  ASSERT_TRUE(edit.Focused());

  QMenu menu;
  menu.addAction("Select All");
  menu.popup(QPoint(10, 10));
  QCoreApplication::processEvents();
  ASSERT_EQ(QApplication::activePopupWidget(), &menu);
  // On X the open menu takes the keyboard focus; the offscreen test
  // platform leaves it, so it is given here.
  menu.setFocus(Qt::PopupFocusReason);
  ASSERT_EQ(QApplication::focusWidget(), &menu);
  EXPECT_EQ(Screen->ActiveControl(), &edit);
  list.UpdateActions();
  EXPECT_TRUE(selectAll.GetEnabled());
  EXPECT_TRUE(selectAll.Execute());
  EXPECT_EQ(selectAll.Executed, &edit);
  menu.close();
  QCoreApplication::processEvents();
  EXPECT_EQ(Screen->ActiveControl(), &edit);
  form.Hide();
}

TEST(ShortCutTest, TextAndKeysConvertBothWays) {
  struct Case {
    TShortCut sc;
    const char* text;
  };
  const Case cases[] = {
      {ShortCut('S', {ssCtrl}), "Ctrl+S"},
      {ShortCut('Z', {ssCtrl, ssShift}), "Shift+Ctrl+Z"},
      {ShortCut(VK_F4, {ssAlt}), "Alt+F4"},
      {ShortCut(VK_F1, {}), "F1"},
      {ShortCut(VK_DELETE, {}), "Del"},
      {ShortCut(VK_INSERT, {ssShift}), "Shift+Ins"},
      {ShortCut(VK_NEXT, {ssCtrl}), "Ctrl+PgDn"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ShortCutToText(c.sc), c.text);
    EXPECT_EQ(TextToShortCut(c.text), c.sc) << c.text;
  }
  EXPECT_EQ(TextToShortCut("ctrl+s"), ShortCut('S', {ssCtrl}));
  EXPECT_EQ(TextToShortCut("Hyper+Q"), 0);
  EXPECT_EQ(ShortCutToText(0), "");
  EXPECT_EQ(StripHotkey("&Save && Close"), "Save & Close");
}

TEST(PopupMenuTest, ScriptedChoiceRunsTheItem) {
  TForm form(nullptr);
  TPopupMenu popup(&form);
  String chosen;
  for (const char* caption : {"&Cut", "&Copy", "-", "&Paste"}) {
    auto* item = new TMenuItem(nullptr);
    item->SetCaption(caption);
    item->OnClick = [&chosen, caption](TObject*) { chosen = caption; };
    popup.Items()->Add(item);
  }
  TInteractionScript script;
  script.Do([](TInteraction& r) {
    r.Menu->Items()->Find("Copy")->Click();
    return mrOk;
  });
  popup.Popup(10, 20);
  EXPECT_EQ(chosen, "&Copy");
  EXPECT_EQ(script.Shown[0].X, 10);
  EXPECT_TRUE(popup.Items()->Items(2)->IsLine());
}

}  // namespace

#include <QCoreApplication>
#include <QTimer>

namespace {

TEST(IdleTest, EventLoopIdleUpdatesActionsAndRunsOnIdle) {
  TForm form(nullptr);
  TActionList list(&form);
  TAction save(&form);
  save.SetActionList(&list);
  bool dirty = false;
  int updates = 0;
  save.OnExecute = [](TObject*) {};
  save.OnUpdate = [&](TObject*) {
    ++updates;
    save.SetEnabled(dirty);
  };
  int idles = 0;
  auto savedIdle = Application->OnIdle;
  Application->OnIdle = [&](TObject*, bool&) { ++idles; };
  dirty = true;
  // Let the loop go idle once.
  QTimer::singleShot(20, [] {});
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  Application->OnIdle = savedIdle;
  EXPECT_GT(idles, 0);
  EXPECT_GT(updates, 0);
  EXPECT_TRUE(save.GetEnabled());
}

}  // namespace

#include "platform/gui/ActnList.h"
#include "platform/gui/Forms.h"

#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Lets the event loop go idle once.
void IdleOnce() {
  QTimer::singleShot(5, [] {});
  QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  QCoreApplication::processEvents();
}

TEST(IdleUpdatesTest, ActionsUpdateOnlyAfterSomethingChanged) {
  Application->Initialize();
  TForm form(nullptr);
  TActionList list(&form);
  TAction action(&form);
  action.SetActionList(&list);
  int updates = 0;
  action.OnExecute = [](TObject*) {};
  action.OnUpdate = [&](TObject*) { ++updates; };
  IdleOnce();  // a new list counts as a change
  EXPECT_GT(updates, 0);
  // Windows of earlier tests may still be going (focus changes, deferred
  // deletes) and mark the actions again: let them finish before counting.
  for (int i = 0, before = -1; i < 50 && (updates != before || Application->ActionsInvalid()); ++i) {
    before = updates;
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    IdleOnce();
  }
  EXPECT_FALSE(Application->ActionsInvalid());
  const int settled = updates;
  for (int i = 0; i < 3; ++i) IdleOnce();  // timers alone change nothing
  EXPECT_EQ(updates, settled);
  Application->InvalidateActions();  // e.g. an editor's selection moved
  IdleOnce();
  EXPECT_EQ(updates, settled + 1);
  // Asked for directly, the idle work always updates.
  Application->Idle();
  EXPECT_EQ(updates, settled + 2);
}

}  // namespace

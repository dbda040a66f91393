#include "platform/gui/Forms.h"
#include "platform/gui/Messages.h"
#include "platform/gui/StdCtrls.h"

#include <QCoreApplication>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

constexpr Cardinal WM_QY_REFRESH = WM_USER + 10;

// A payload that tells when it goes.
struct TCountedPayload : TObject {
  explicit TCountedPayload(int& alive, int v) : Alive(alive), Value(v) { ++Alive; }
  ~TCountedPayload() override { --Alive; }
  int& Alive;
  int Value;
};

class TReceiver : public TCustomControl {
public:
  using TCustomControl::TCustomControl;
  void WndProc(TMessage& m) override {
    if (m.Msg == WM_QY_REFRESH) {
      auto* p = dynamic_cast<TCountedPayload*>(m.Data);
      Log.push_back("refresh " + std::to_string(m.WParam) + " " + std::to_string(p ? p->Value : -1));
      m.Result = 42;
      return;
    }
    TCustomControl::WndProc(m);
  }
  std::vector<String> Log;
};

TEST(MessagesTest, PostedMessageArrivesAfterTheCurrentHandlerAndOwnsItsPayload) {
  int alive = 0;
  TReceiver r(nullptr);
  r.OnClick = [&](TObject*) {
    PostMessage(&r, WM_QY_REFRESH, 7, 0, std::make_unique<TCountedPayload>(alive, 99));
    r.Log.push_back("handler end");
  };
  r.Click();
  EXPECT_EQ(r.Log, (std::vector<String>{"handler end"}));
  EXPECT_EQ(alive, 1);
  QCoreApplication::sendPostedEvents();
  EXPECT_EQ(r.Log, (std::vector<String>{"handler end", "refresh 7 99"}));
  EXPECT_EQ(alive, 0);  // freed after delivery
  EXPECT_EQ(SendMessage(&r, WM_QY_REFRESH, 1), 42);
  EXPECT_EQ(SendMessage(nullptr, WM_QY_REFRESH), 0);
}

TEST(MessagesTest, MessagePostedToADestroyedControlIsDroppedAndFreed) {
  int alive = 0;
  auto r = std::make_unique<TReceiver>(nullptr);
  EXPECT_TRUE(PostMessage(r.get(), WM_QY_REFRESH, 1, 0, std::make_unique<TCountedPayload>(alive, 1)));
  EXPECT_EQ(alive, 1);
  r.reset();
  EXPECT_EQ(alive, 0);
  QCoreApplication::sendPostedEvents();  // nothing is delivered to the dead control
  EXPECT_FALSE(PostMessage(nullptr, WM_QY_REFRESH, 0, 0, std::make_unique<TCountedPayload>(alive, 2)));
  EXPECT_EQ(alive, 0);
}

TEST(MessagesTest, MessageHandlersByNumber) {
  TReceiver r(nullptr);
  int seen = 0;
  r.SetMessageHandler(WM_USER + 3, [&](TMessage& m) {
    seen = static_cast<int>(m.LParam);
    m.Result = 1;
  });
  EXPECT_EQ(r.Perform(WM_USER + 3, 0, 5), 1);
  EXPECT_EQ(seen, 5);
  EXPECT_EQ(r.Perform(WM_USER + 4), 0);
}

TEST(MessagesTest, ExceptionsFromHandlersReachTheApplicationNotTheEventLoop) {
  TReceiver r(nullptr);
  r.SetMessageHandler(WM_USER + 5, [](TMessage&) { throw EConvertError("'x' is not a valid integer value"); });
  std::vector<String> shown;
  auto saved = Application->OnException;
  Application->OnException = [&](TObject*, const Exception& e) { shown.push_back(String(e.ClassName()) + ": " + e.Message); };
  PostMessage(&r, WM_USER + 5);
  QCoreApplication::sendPostedEvents();
  Application->OnException = saved;
  EXPECT_EQ(shown, (std::vector<String>{"EConvertError: 'x' is not a valid integer value"}));

  // Without a handler the error box shows the message.
  TInteractionScript script;
  script.Answer(IDOK);
  PostMessage(&r, WM_USER + 5);
  QCoreApplication::sendPostedEvents();
  ASSERT_EQ(script.Shown.size(), 1u);
  EXPECT_EQ(script.Shown[0].Text, "'x' is not a valid integer value.");
  EXPECT_EQ(script.Shown[0].Icon, MB_ICONERROR);
}

TEST(TimerTest, FiresWhileAModalLoopRuns) {
  TTimer timer(nullptr);
  timer.SetInterval(5);
  int ticks = 0;
  TForm dlg(nullptr);
  timer.OnTimer = [&](TObject*) {
    if (++ticks == 3) dlg.ModalResult = mrOk;
  };
  EXPECT_EQ(dlg.ShowModal(), mrOk);  // the real loop: only the timer ends it
  EXPECT_GE(ticks, 3);
  timer.SetEnabled(false);
  int before = ticks;
  QTimer wait;
  QCoreApplication::processEvents();
  EXPECT_EQ(ticks, before);
}

}  // namespace

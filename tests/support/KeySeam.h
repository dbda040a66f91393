#pragma once
// Input as the user's keyboard sends it, and a bounded wait for what it set
// going: text beyond ASCII typed key by key, and events processed until no
// posted message arrives any more (or a bound says the work never ends).
// Header only: the test programs that include it link the GUI library.
#include "platform/gui/GuiPrivate.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

namespace qytest {

// Each character a key press and release carrying it, as a keyboard layout
// that has the character sends it (ASCII through its own key).
inline void TypeKeys(QWidget* target, const std::string& utf8) {
  for (const QChar ch : QString::fromUtf8(utf8.c_str())) {
    if (!target) return;
    if (ch.unicode() >= 0x20 && ch.unicode() < 0x7F) {
      QTest::keyClick(target, static_cast<char>(ch.unicode()));
      continue;
    }
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(target, &release);
  }
}

// A key pressed and released on a window as the window system hands them
// over, the modifiers' own keys around it as QTest sends them. QTest
// processes events after each of these, so a window the key closed may be
// deleted before the rest: what is left is dropped, not sent to a freed
// window (nothing here acts on a release).
inline void WindowKeyClick(QWindow* window, Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
  QPointer<QWindow> target(window);
  const std::pair<Qt::KeyboardModifier, Qt::Key> order[] = {{Qt::ShiftModifier, Qt::Key_Shift},
                                                            {Qt::ControlModifier, Qt::Key_Control},
                                                            {Qt::AltModifier, Qt::Key_Alt},
                                                            {Qt::MetaModifier, Qt::Key_Meta}};
  auto send = [&target](bool press, int code, Qt::KeyboardModifiers held, const QString& text) {
    if (target) QTest::simulateEvent(target.data(), press, code, held, text, false);
  };
  const char ascii = QTest::keyToAscii(key);
  const QString text = ascii ? QString(QChar::fromLatin1(ascii)) : QString();
  Qt::KeyboardModifiers held;
  for (const auto& [mod, modKey] : order)
    if (mods & mod) {
      send(true, modKey, held, QString());
      held |= mod;
    }
  send(true, key, mods, text);
  send(false, key, mods, text);
  for (auto it = std::rbegin(order); it != std::rend(order); ++it)
    if (mods & it->first) {
      send(false, it->second, held, QString());
      held &= ~it->first;
    }
}

// Counts the posted messages delivered while it lives.
class TPostedCounter : public QObject {
public:
  TPostedCounter() { QApplication::instance()->installEventFilter(this); }
  ~TPostedCounter() override { QApplication::instance()->removeEventFilter(this); }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == TPostedMessageEvent::EventType()) ++Count;
    return false;
  }
  int Count = 0;
};

// Processes events until a round delivers no posted message; false when
// `rounds` rounds still deliver some (requests handed back and forth).
inline bool SettleWithin(TPostedCounter& counter, int rounds = 8) {
  for (int i = 0; i < rounds; ++i) {
    const int before = counter.Count;
    QApplication::processEvents();
    if (counter.Count == before) return true;
  }
  return false;
}

// Ends the test program with a message naming the call when it has not
// returned within the bound: a call that never ends fails instead of
// hanging the suite. The bound is far above any honest call's time.
class TCallWatchdog {
public:
  explicit TCallWatchdog(std::string what, std::chrono::seconds bound = std::chrono::seconds(60))
      : FWhat(std::move(what)), FThread([this, bound] {
          std::unique_lock<std::mutex> lock(FMutex);
          if (!FDone.wait_for(lock, bound, [this] { return FReturned; })) {
            std::fprintf(stderr, "%s did not return\n", FWhat.c_str());
            std::abort();
          }
        }) {}
  ~TCallWatchdog() {
    {
      std::lock_guard<std::mutex> lock(FMutex);
      FReturned = true;
    }
    FDone.notify_one();
    FThread.join();
  }
  TCallWatchdog(const TCallWatchdog&) = delete;
  TCallWatchdog& operator=(const TCallWatchdog&) = delete;

private:
  std::string FWhat;
  std::mutex FMutex;
  std::condition_variable FDone;
  bool FReturned = false;
  std::thread FThread;
};

}  // namespace qytest

#pragma once
// Window messages: a record delivered to a control's WndProc, sent (at once)
// or posted (after the current handler returns, through the event loop).
// A posted message owns its payload and is dropped, payload freed, when its
// target is destroyed before delivery. Timers. The guard every handler call
// from the toolkit passes through, so exceptions never cross the event loop.
#include "platform/base/Components.h"
#include "platform/base/Types.h"

#include <exception>
#include <functional>
#include <memory>

class TControl;

constexpr Cardinal WM_NULL = 0x0000;
constexpr Cardinal WM_DESTROY = 0x0002;
constexpr Cardinal WM_SIZE = 0x0005;
constexpr Cardinal WM_SETFOCUS = 0x0007;
constexpr Cardinal WM_KILLFOCUS = 0x0008;
constexpr Cardinal WM_PAINT = 0x000F;
constexpr Cardinal WM_ERASEBKGND = 0x0014;
constexpr Cardinal WM_CLOSE = 0x0010;
// The keyboard's input language changed; sent to the control with the
// focus. WParam: the font charset of the new language (SysLocale.h).
constexpr Cardinal WM_INPUTLANGCHANGE = 0x0051;
constexpr Cardinal WM_KEYDOWN = 0x0100;
constexpr Cardinal WM_KEYUP = 0x0101;
constexpr Cardinal WM_CHAR = 0x0102;
constexpr Cardinal WM_SYSCOMMAND = 0x0112;
constexpr Cardinal WM_TIMER = 0x0113;
constexpr Cardinal WM_HSCROLL = 0x0114;
constexpr Cardinal WM_VSCROLL = 0x0115;
constexpr Cardinal WM_MOUSEMOVE = 0x0200;
constexpr Cardinal WM_LBUTTONDOWN = 0x0201;
constexpr Cardinal WM_LBUTTONUP = 0x0202;
constexpr Cardinal WM_CUT = 0x0300;
constexpr Cardinal WM_COPY = 0x0301;
constexpr Cardinal WM_PASTE = 0x0302;
constexpr Cardinal WM_CLEAR = 0x0303;
constexpr Cardinal WM_UNDO = 0x0304;
constexpr Cardinal WM_USER = 0x0400;
// The class library's own messages.
constexpr Cardinal CM_BASE = 0xB000;
constexpr Cardinal CM_RELEASE = CM_BASE + 33;
constexpr Cardinal CM_MOUSELEAVE = CM_BASE + 20;

constexpr intptr_t SC_MINIMIZE = 0xF020;
constexpr intptr_t SC_MAXIMIZE = 0xF030;
constexpr intptr_t SC_RESTORE = 0xF120;

// Scroll codes (WParam of WM_HSCROLL/WM_VSCROLL and the scroll events).
enum TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom,
                   scEndScroll };
constexpr int SB_LINEUP = scLineUp, SB_LINEDOWN = scLineDown, SB_PAGEUP = scPageUp, SB_PAGEDOWN = scPageDown,
              SB_THUMBPOSITION = scPosition, SB_THUMBTRACK = scTrack, SB_TOP = scTop, SB_BOTTOM = scBottom,
              SB_ENDSCROLL = scEndScroll;

struct TMessage {
  Cardinal Msg = 0;
  intptr_t WParam = 0;
  intptr_t LParam = 0;
  intptr_t Result = 0;
  // The payload of a posted message (owned by the message while queued) or
  // whatever the sender passes; null when none.
  TObject* Data = nullptr;
};

// Delivers the message to target's WndProc at once; answers its Result
// (0 for a null target).
intptr_t SendMessage(TControl* target, Cardinal msg, intptr_t wParam = 0, intptr_t lParam = 0,
                     TObject* data = nullptr);
// Queues the message for target's WndProc; it runs after the current handler
// returns. False (payload freed) for a null target.
bool PostMessage(TControl* target, Cardinal msg, intptr_t wParam = 0, intptr_t lParam = 0,
                 std::unique_ptr<TObject> data = nullptr);

// --- exceptions at dispatch -------------------------------------------------
// Where exceptions escaping a handler go (the application sets its
// HandleException); without one they are written to stderr.
using TDispatchExceptionSink = std::function<void(std::exception_ptr)>;
void SetDispatchExceptionSink(TDispatchExceptionSink sink);
// Call from a catch (...) block: hands the current exception to the sink.
void HandleDispatchException();
// Runs f, handing any exception to the sink. Every call from the toolkit
// into our handlers passes through here.
template <typename F>
void GuardedCall(F&& f) {
  try {
    f();
  } catch (...) {
    HandleDispatchException();
  }
}

// ---------------------------------------------------------------------------
// A timer firing OnTimer every Interval milliseconds while Enabled, also while
// a modal dialog runs its own loop.
class TTimer : public TComponent {
public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  Cardinal GetInterval() const { return FInterval; }
  void SetInterval(Cardinal value);
  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool value);
  std::function<void(TObject* Sender)> OnTimer;

  // Fires OnTimer as the toolkit would (tests, and the toolkit's callback).
  void Fire();

private:
  void UpdateTimer();
  Cardinal FInterval = 1000;
  bool FEnabled = true;
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};

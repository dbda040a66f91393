#pragma once
// The access key of a control that draws its own caption: the caption's "&"
// letter with Alt, anywhere in the control's active window, runs OnKey (as
// the toolkit's own buttons and labels take theirs). When another control of
// the window has the same key, the key only moves the focus along them.
#include "platform/gui/Controls.h"

#include <functional>
#include <memory>

class TAccessKey {
public:
  TAccessKey(TWinControl* Control, std::function<void()> OnKey);
  ~TAccessKey();
  TAccessKey(const TAccessKey&) = delete;
  TAccessKey& operator=(const TAccessKey&) = delete;

  // Takes the key of Caption ("&&" is a plain "&"); none drops it.
  void SetCaption(const String& Caption);

private:
  struct TImpl;
  std::unique_ptr<TImpl> FImpl;
};

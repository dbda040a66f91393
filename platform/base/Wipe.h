#pragma once
// Secrets (a password shown in clear) are overwritten before their memory
// is freed, so that no copy outlives its use in the process's heap.
#include <string.h>

#include <string>

inline void WipeBytes(void* p, size_t n) {
  if (p && n) explicit_bzero(p, n);
}

// Overwrites the whole buffer of s, spare capacity included (it may hold an
// older, longer text), and leaves s empty.
template <class C>
void WipeText(std::basic_string<C>& s) {
  s.resize(s.capacity(), C());
  WipeBytes(s.data(), s.size() * sizeof(C));
  s.clear();
}

// Wipes a string when the scope ends, when asked to: the copies that code
// makes of secret text while it works.
template <class C>
class TWipeTextOnExit {
public:
  TWipeTextOnExit(std::basic_string<C>& s, bool on) : FText(s), FOn(on) {}
  ~TWipeTextOnExit() {
    if (FOn) WipeText(FText);
  }
  TWipeTextOnExit(const TWipeTextOnExit&) = delete;
  TWipeTextOnExit& operator=(const TWipeTextOnExit&) = delete;

private:
  std::basic_string<C>& FText;
  bool FOn;
};

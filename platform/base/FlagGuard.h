#pragma once

// Sets a flag for as long as it lives; clears it when it goes, also when
// an exception passes.
class TFlagGuard {
public:
  explicit TFlagGuard(bool& flag) : FFlag(flag) { FFlag = true; }
  ~TFlagGuard() { FFlag = false; }
  TFlagGuard(const TFlagGuard&) = delete;
  TFlagGuard& operator=(const TFlagGuard&) = delete;

private:
  bool& FFlag;
};

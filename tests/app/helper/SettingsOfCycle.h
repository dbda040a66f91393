#pragma once
// The settings a preferences cycle of maintenance_cycles saves: every one
// differs from cycle to cycle, so a mixture of two saves shows.
#include "app/QYProfile.h"

#include <string>

inline void SettingsOfCycle(int cycle, TProfileSettings& p) {
  p.UserName = "user " + std::to_string(cycle);
  p.UserAddress = "address " + std::to_string(cycle);
  p.DisplayAddress = cycle % 2 == 1;
  p.AutoSaveInterval = 1 + cycle % 50;
  p.AutoHideInterval = 2 + cycle % 50;
  p.AutoLockInterval = 3 + cycle % 50;
  p.BackupReminderInterval = 4 + cycle % 50;
  p.PasswordChangeInterval = 5 + cycle % 50;
  p.LastUsedPrinter = "printer " + std::to_string(cycle);
  p.ConfirmPrint = cycle % 2 == 0;
}

// Prints the program's folder and its data folder, one a line; the tests
// copy it into made-up install layouts and run it there.
#include "platform/os/SysPaths.h"

#include <cstdio>

int main() {
  std::printf("%s\n%s\n", GetProgramFolder().c_str(), GetProgramDataFolder().c_str());
  return 0;
}

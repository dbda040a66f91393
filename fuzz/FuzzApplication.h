#pragma once
// The application the fuzz targets read under: the program's own widget
// application, offscreen. Documents may hold embedded controls, which are
// widgets; under a plain GUI application the toolkit aborts at the first.
#include "platform/gui/Forms.h"

#include <cstdlib>

inline void FuzzStartApplication() {
  static const bool started = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize();
    return true;
  }();
  (void)started;
}

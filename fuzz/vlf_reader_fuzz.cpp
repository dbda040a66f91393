// libFuzzer target: any bytes given to the VLF reader end in true or false,
// never in a crash or a read outside the data.
#include "fuzz/VLFReaderExercise.h"

#include <QGuiApplication>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static int argc = 1;
  static char arg0[] = "vlf_reader_fuzz";
  static char* argv[] = {arg0, nullptr};
  static QGuiApplication* app = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return new QGuiApplication(argc, argv);
  }();
  (void)app;

  VLFExerciseReader(AnsiString(reinterpret_cast<const char*>(data), size));
  return 0;
}

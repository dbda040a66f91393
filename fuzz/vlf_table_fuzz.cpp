// libFuzzer target: the VLF reader with the table item registered, so that
// table records (both forms, cells holding documents and tables of their
// own) are read, written and inserted again; any bytes end in true or
// false, never in a crash, a read outside the data or a bomb.
#include "fuzz/VLFReaderExercise.h"
#include "richtext/table/VLTable.h"

#include <QGuiApplication>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static int argc = 1;
  static char arg0[] = "vlf_table_fuzz";
  static char* argv[] = {arg0, nullptr};
  static QGuiApplication* app = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    VLRegisterTableItem();
    return new QGuiApplication(argc, argv);
  }();
  (void)app;

  VLFExerciseReader(AnsiString(reinterpret_cast<const char*>(data), size));
  return 0;
}

// libFuzzer target: the VLF reader with the table item registered, so that
// table records (both forms, cells holding documents and tables of their
// own) are read, written and inserted again; any bytes end in true or
// false, never in a crash, a read outside the data or a bomb.
#include "fuzz/FuzzApplication.h"
#include "fuzz/VLFReaderExercise.h"
#include "richtext/table/VLTable.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool registered = [] {
    VLRegisterTableItem();
    return true;
  }();
  (void)registered;
  FuzzStartApplication();

  VLFExerciseReader(AnsiString(reinterpret_cast<const char*>(data), size));
  return 0;
}
